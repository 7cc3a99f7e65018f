// The item ledger of a 10,000-line year of one item: selecting its lines from the
// file, and building the operation list of its 250 printed pages (every page asked
// for and granted).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/Prompt.h"
#include "reports/ItemLedger.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"

namespace {

using namespace tabulo;

constexpr int kLines = 10000;

class YesPrompt : public Prompt {
  public:
    int MsgBox(std::string_view, int, std::string_view) override { return Answer::Yes; }
    void Beep() override {}
};

class Year {
  public:
    Year() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("tabulo-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        s.LedgerPath = dir_ / "KEIRI08.DAT";
        s.EraName = "令和";
        s.FiscalYear = 8;
        s.ReportTitleName = "山田商店";
        s.ItemTable[4].ItemName = "仕入";
        s.ItemTable[4].ItemKubun = 4;

        LedgerHeaderRecord h;
        h.LineCount = kLines;
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        for (int n = 1; n <= kLines; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            line.NenGetsuBi = "080401";
            line.Youbi = "（水）";
            line.ItemNo = 4;
            line.Outdata = 1000 + n;
            line.Bikou = "ベンチ";
            auto encoded = EncodeLedgerLine(line);
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        std::ofstream out(s.LedgerPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        s.LedgerHeader = h;
    }
    ~Year() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    SharedState s;

  private:
    std::filesystem::path dir_;
};

void BM_SelectItemLines(benchmark::State& state) {
    Year y;
    for (auto _ : state) {
        auto sel = SelectItemLines(y.s, 4);
        if (!sel) state.SkipWithError(sel.error().detail.c_str());
        benchmark::DoNotOptimize(sel);
    }
}
BENCHMARK(BM_SelectItemLines)->Unit(benchmark::kMillisecond);

// Filling the print columns from the screen rows and building all 250 pages.
void BM_ItemLedger250Pages(benchmark::State& state) {
    Year y;
    auto sel = SelectItemLines(y.s, 4);
    if (!sel) {
        state.SkipWithError(sel.error().detail.c_str());
        return;
    }
    YesPrompt prompt;
    std::size_t pages = 0;
    for (auto _ : state) {
        FillItemLedgerPrintColumns(y.s, sel->rows);
        PrintDocument doc = PrintItemLedger(y.s, prompt, 4);
        pages = doc.pages.size();
        benchmark::DoNotOptimize(doc);
    }
    state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BM_ItemLedger250Pages)->Unit(benchmark::kMillisecond);

}  // namespace
