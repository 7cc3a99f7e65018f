// The cash book's ledger operations on a 10,000-line year: posting on line 1 (every
// later balance changes), posting on the last line (the common case), the full
// recalculation, showing one page, changing from page 1 to page 2 as the entry screen
// does (also right after a post on the last line), and inserting and deleting at line 1.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "cashbook/Ledger.h"
#include "cashbook/PageView.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"

namespace {

using namespace tabulo;

constexpr int kLines = 10000;

// A year of income lines (item 1, category 1) in April, written once into a fresh
// temporary folder.
class Year {
public:
    Year() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("tabulo-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        s.LedgerPath = dir_ / "KEIRI13.DAT";
        s.DepositPath = dir_ / "YOKIN13.DAT";
        s.SetupLines[2] = "20000";
        s.PageLimit = 2000;
        s.ItemTable[1].ItemName = "売上";
        s.ItemTable[1].ItemKubun = 1;
        s.ItemTable[4].ItemName = "仕入";
        s.ItemTable[4].ItemKubun = 4;

        LedgerHeaderRecord h;
        h.LineCount = kLines;
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        Amount balance = 0;
        for (int n = 1; n <= kLines; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            line.NenGetsuBi = "130401";
            line.Youbi = "（日）";
            line.ItemNo = n % 3 == 0 ? 4 : 1;
            if (line.ItemNo == 1) line.Indata = 100; else line.Outdata = 50;
            balance += line.Indata - line.Outdata;
            line.Zandaka = balance;
            line.Bikou = "ベンチ";
            auto encoded = EncodeLedgerLine(line);
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        std::ofstream out(s.LedgerPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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

void Check(const Status& st, benchmark::State& state) {
    if (!st) state.SkipWithError((st.error().path + ": " + st.error().detail).c_str());
}

void BM_PostAmountOnLine1(benchmark::State& state) {
    Year y;
    RowFields row{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        amount = amount == 100 ? 200 : 100;  // so that every later balance moves
        Check(PostAmount(y.s, 1, 1, amount, "04", row), state);
    }
}
BENCHMARK(BM_PostAmountOnLine1)->Unit(benchmark::kMillisecond);

void BM_PostAmountOnLastLine(benchmark::State& state) {
    Year y;
    RowFields row{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        amount = amount == 100 ? 200 : 100;
        Check(PostAmount(y.s, kLines, 1, amount, "04", row), state);
    }
}
BENCHMARK(BM_PostAmountOnLastLine)->Unit(benchmark::kMillisecond);

void BM_RecalculateAll(benchmark::State& state) {
    Year y;
    for (auto _ : state) {
        // A changed opening balance moves every balance, so every line is rewritten.
        y.s.LedgerHeader.OpeningBalance = y.s.LedgerHeader.OpeningBalance == 0 ? 1 : 0;
        Check(RecalculateAll(y.s), state);
    }
}
BENCHMARK(BM_RecalculateAll)->Unit(benchmark::kMillisecond);

void BM_ShowPage(benchmark::State& state) {
    Year y;
    for (auto _ : state) {
        auto lines = ReadPage(y.s, 500);
        if (!lines) state.SkipWithError("read");
        PageRows rows = BuildPageRows(y.s.ItemTable, 500, *lines);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_ShowPage)->Unit(benchmark::kMillisecond);

// The rows of page 1 as the entry screen holds them.
std::array<RowFields, kRowsPerPage> PageOneFields(Year& y, benchmark::State& state) {
    std::array<RowFields, kRowsPerPage> fields;
    auto shown = ReadPage(y.s, 1);
    if (!shown) {
        state.SkipWithError("read");
        return fields;
    }
    const PageRows page1 = BuildPageRows(y.s.ItemTable, 1, *shown);
    for (std::size_t r = 0; r < fields.size(); ++r)
        fields[r] = RowFields{page1[r].date, page1[r].youbi, page1[r].itemNo, page1[r].bikou};
    return fields;
}

// The whole page change of the entry screen, from page 1 to page 2: the page's rows
// saved as the screen holds them, the balances recomputed from there to the year's
// end, and the next page shown with the line before it (for 同上 on its first row).
void ChangeToPageTwo(Year& y, const std::array<RowFields, kRowsPerPage>& fields,
                     benchmark::State& state) {
    Check(SavePage(y.s, 1, fields), state);
    Check(RecalculateFromPage(y.s, 1), state);
    auto lines = ReadPage(y.s, 2);
    if (!lines) state.SkipWithError("read");
    PageRows rows = BuildPageRows(y.s.ItemTable, 2, *lines);
    auto before = ReadLedgerLineAt(y.s, LineOfRow(2, 1) - 1);
    if (!before) state.SkipWithError("read");
    benchmark::DoNotOptimize(rows);
    benchmark::DoNotOptimize(before);
}

void BM_PageChange(benchmark::State& state) {
    Year y;
    const auto fields = PageOneFields(y, state);
    for (auto _ : state) ChangeToPageTwo(y, fields, state);
}
BENCHMARK(BM_PageChange)->Unit(benchmark::kMicrosecond);

// The same page change after an amount was posted on the last line (not timed): only
// what the post changed is walked again.
void BM_PageChangeAfterPostOnLastLine(benchmark::State& state) {
    Year y;
    const auto fields = PageOneFields(y, state);
    RowFields last{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        state.PauseTiming();
        amount = amount == 100 ? 200 : 100;
        Check(PostAmount(y.s, kLines, 1, amount, "04", last), state);
        state.ResumeTiming();
        ChangeToPageTwo(y, fields, state);
    }
}
BENCHMARK(BM_PageChangeAfterPostOnLastLine)->Unit(benchmark::kMicrosecond);

void BM_InsertAtLine1(benchmark::State& state) {
    Year y;
    for (auto _ : state) {
        auto r = InsertLine(y.s, 1);
        if (!r) state.SkipWithError("insert");
        state.PauseTiming();
        Check(DeleteLine(y.s, 1, 0), state);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertAtLine1)->Unit(benchmark::kMillisecond);

void BM_DeleteAtLine1(benchmark::State& state) {
    Year y;
    for (auto _ : state) {
        state.PauseTiming();
        auto r = InsertLine(y.s, 1);
        if (!r) state.SkipWithError("insert");
        state.ResumeTiming();
        Check(DeleteLine(y.s, 1, 0), state);
    }
}
BENCHMARK(BM_DeleteAtLine1)->Unit(benchmark::kMillisecond);

}  // namespace
