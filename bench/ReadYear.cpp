// Reading a year whose cash book holds 10,000 lines, the date check over it, and a
// walk that rewrites every line (what posting on line 1 costs the file layer).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/Prompt.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"

namespace {

using namespace tabulo;
namespace fs = std::filesystem;

constexpr int kLines = 10000;

class SilentPrompt : public Prompt {
public:
    int MsgBox(std::string_view, int, std::string_view) override {
        ++boxes;
        return Answer::Ok;
    }
    void Beep() override {}
    int boxes = 0;
};

// A program folder with drive A holding era year 13: master, deposit book and a
// ledger of kLines dated lines in order.
class YearOnDisk {
public:
    YearOnDisk() {
        std::string tmpl = (fs::temp_directory_path() / "tabulo-bench-XXXXXX").string();
        root_ = mkdtemp(tmpl.data());
        s.ProgramFolder = root_;
        s.SetupLines = {"", "A", "20000", "0", "0", "0", "0", "0", "0"};
        FillKubunNames(s);
        fs::create_directories(root_ / "drives" / "A" / "KEIRIDATA");
        s.FiscalYear = 13;
        s.EraName = "平成";
        if (!BuildDataPaths(s) || !WriteFiscalYearFile(s)) std::abort();
        for (int i = 1; i <= kItemCount; ++i) {
            s.ItemTableEdit[static_cast<std::size_t>(i)] = {"項目" + std::to_string(i), 1, "収入", 0, 1};
        }
        s.MasterHeader[MasterField::BusinessName] = "山田商店";
        if (!SaveMaster(s)) std::abort();
        s.DepositBook = ClearedDepositBook();
        if (!SaveDepositBook(s)) std::abort();

        auto f = LedgerFile::Open(s.LedgerPath);
        if (!f) std::abort();
        LedgerHeaderRecord h;
        h.LineCount = kLines;
        f->WriteHeader(h);
        Amount balance = 0;
        for (int n = 1; n <= kLines; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            int month = 4 + (n - 1) * 12 / kLines;
            int day = 1 + ((n - 1) * 12 * 28 / kLines) % 28;  // in date order
            char date[8];
            std::snprintf(date, sizeof date, "%02d%02d%02d", 13 + month / 13, (month - 1) % 12 + 1,
                          day);
            line.NenGetsuBi = date;
            line.Youbi = "（月）";
            line.ItemNo = static_cast<std::int16_t>(1 + n % 50);
            line.Indata = 1000;
            balance += 1000;
            line.Zandaka = balance;
            line.Bikou = "備考テキスト";
            if (!f->WriteLine(n, line)) std::abort();
        }
        if (!f->Commit()) std::abort();
        ClearYearData(s);
    }
    ~YearOnDisk() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    SharedState s;

private:
    fs::path root_;
};

void BM_ReadDataSet(benchmark::State& state) {
    YearOnDisk year;
    SilentPrompt prompt;
    for (auto _ : state) {
        ClearYearData(year.s);
        ReadDataSet(year.s, prompt, [] {});
        if (year.s.DataLoaded != 1 || prompt.boxes != 0) state.SkipWithError("read failed");
    }
}
BENCHMARK(BM_ReadDataSet)->Unit(benchmark::kMillisecond);

void BM_CheckLedgerDates(benchmark::State& state) {
    YearOnDisk year;
    SilentPrompt prompt;
    ReadDataSet(year.s, prompt, [] {});
    for (auto _ : state) {
        if (!CheckLedgerDates(year.s, prompt) || year.s.ErrorFlag != 0) {
            state.SkipWithError("check failed");
        }
    }
}
BENCHMARK(BM_CheckLedgerDates)->Unit(benchmark::kMillisecond);

// Open, read and rewrite lines 1..10,000 with a new balance, commit (one pwrite and
// one flush): the file side of posting an amount on line 1.
void BM_RewriteEveryLine(benchmark::State& state) {
    YearOnDisk year;
    SilentPrompt prompt;
    ReadDataSet(year.s, prompt, [] {});
    Amount delta = 0;
    for (auto _ : state) {
        ++delta;
        auto f = LedgerFile::Open(year.s.LedgerPath);
        if (!f) state.SkipWithError("open failed");
        for (int n = 1; n <= kLines; ++n) {
            auto line = f->ReadLine(n);
            if (!line) state.SkipWithError("read failed");
            line->Zandaka += delta;
            if (!f->WriteLine(n, *line)) state.SkipWithError("write failed");
        }
        f->WriteHeader(year.s.LedgerHeader);
        if (!f->Commit()) state.SkipWithError("commit failed");
    }
}
BENCHMARK(BM_RewriteEveryLine)->Unit(benchmark::kMillisecond);

}  // namespace
