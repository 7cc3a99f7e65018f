// The cash book's ledger operations on a year of 10,000 lines and on the largest year
// (32,767 lines): posting on line 1 (every later balance changes), posting on the last
// line (the common case), the full recalculation, showing one page, changing from
// page 1 to page 2 as the entry screen does (also right after a post on the last
// line), changing pages near the end of the year as the screen does when it has just
// opened on the last page, and inserting and deleting at line 1.
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

// The sizes measured: the usual year and the most lines a year can hold.
void Sizes(benchmark::internal::Benchmark* b) { b->Arg(10000)->Arg(32767); }

// A year of `lines` income and expense lines (items 1 and 4) in April of 平成13, written
// once into a fresh temporary folder, with the fiscal year its files are named for.
class Year {
public:
    explicit Year(int lines) {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("tabulo-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        s.LedgerPath = dir_ / "KEIRI13.DAT";
        s.DepositPath = dir_ / "YOKIN13.DAT";
        s.SetupLines[2] = "32767";
        s.PageLimit = 32767 / kRowsPerPage + 1;
        s.FiscalYear = 13;
        s.EraName = "平成";
        s.ItemTable[1].ItemName = "売上";
        s.ItemTable[1].ItemKubun = 1;
        s.ItemTable[4].ItemName = "仕入";
        s.ItemTable[4].ItemKubun = 4;

        LedgerHeaderRecord h;
        h.LineCount = static_cast<std::int16_t>(lines);
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        Amount balance = 0;
        for (int n = 1; n <= lines; ++n) {
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

int Lines(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void BM_PostAmountOnLine1(benchmark::State& state) {
    Year y(Lines(state));
    RowFields row{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        amount = amount == 100 ? 200 : 100;  // so that every later balance moves
        Check(PostAmount(y.s, 1, 1, amount, "04", row), state);
    }
}
BENCHMARK(BM_PostAmountOnLine1)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_PostAmountOnLastLine(benchmark::State& state) {
    Year y(Lines(state));
    RowFields row{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        amount = amount == 100 ? 200 : 100;
        Check(PostAmount(y.s, Lines(state), 1, amount, "04", row), state);
    }
}
BENCHMARK(BM_PostAmountOnLastLine)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_RecalculateAll(benchmark::State& state) {
    Year y(Lines(state));
    for (auto _ : state) {
        // A changed opening balance moves every balance, so every line is rewritten.
        y.s.LedgerHeader.OpeningBalance = y.s.LedgerHeader.OpeningBalance == 0 ? 1 : 0;
        Check(RecalculateAll(y.s), state);
    }
}
BENCHMARK(BM_RecalculateAll)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_ShowPage(benchmark::State& state) {
    Year y(Lines(state));
    for (auto _ : state) {
        auto lines = ReadPage(y.s, 500);
        if (!lines) state.SkipWithError("read");
        PageRows rows = BuildPageRows(y.s.ItemTable, 500, *lines);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_ShowPage)->Apply(Sizes)->Unit(benchmark::kMillisecond);

// The rows of a page as the entry screen holds them.
std::array<RowFields, kRowsPerPage> PageFields(Year& y, int page, benchmark::State& state) {
    std::array<RowFields, kRowsPerPage> fields;
    auto shown = ReadPage(y.s, page);
    if (!shown) {
        state.SkipWithError("read");
        return fields;
    }
    const PageRows rows = BuildPageRows(y.s.ItemTable, page, *shown);
    for (std::size_t r = 0; r < fields.size(); ++r)
        fields[r] = RowFields{rows[r].date, rows[r].youbi, rows[r].itemNo, rows[r].bikou};
    return fields;
}

// The whole page change of the entry screen, from page `from` to page `to`: the page's
// rows saved as the screen holds them, the balances recomputed from there to the
// year's end, and the next page shown with the line before it (for 同上 on its first
// row).
void ChangePage(Year& y, int from, int to, const std::array<RowFields, kRowsPerPage>& fields,
                benchmark::State& state) {
    Check(SavePage(y.s, from, fields), state);
    Check(RecalculateFromPage(y.s, from), state);
    auto lines = ReadPage(y.s, to);
    if (!lines) state.SkipWithError("read");
    PageRows rows = BuildPageRows(y.s.ItemTable, to, *lines);
    auto before = ReadLedgerLineAt(y.s, LineOfRow(to, 1) - 1);
    if (!before) state.SkipWithError("read");
    benchmark::DoNotOptimize(rows);
    benchmark::DoNotOptimize(before);
}

void BM_PageChange(benchmark::State& state) {
    Year y(Lines(state));
    const auto fields = PageFields(y, 1, state);
    for (auto _ : state) ChangePage(y, 1, 2, fields, state);
}
BENCHMARK(BM_PageChange)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

// The same page change after an amount was posted on the last line (not timed): only
// what the post changed is walked again.
void BM_PageChangeAfterPostOnLastLine(benchmark::State& state) {
    Year y(Lines(state));
    const auto fields = PageFields(y, 1, state);
    RowFields last{"130401", "（日）", 1, "ベンチ"};
    Amount amount = 100;
    for (auto _ : state) {
        state.PauseTiming();
        amount = amount == 100 ? 200 : 100;
        Check(PostAmount(y.s, Lines(state), 1, amount, "04", last), state);
        state.ResumeTiming();
        ChangePage(y, 1, 2, fields, state);
    }
}
BENCHMARK(BM_PageChangeAfterPostOnLastLine)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

// The first page change of a screen just opened on the last page: back from the
// second-last page, with nothing yet known of the year's balances (the year as it
// is when read).
void BM_PageChangeNearEnd(benchmark::State& state) {
    Year y(Lines(state));
    const int from = Lines(state) / kRowsPerPage - 1;
    const auto fields = PageFields(y, from, state);
    for (auto _ : state) {
        y.s.BalanceMark = LedgerBalanceMark{};
        ChangePage(y, from, from - 1, fields, state);
    }
}
BENCHMARK(BM_PageChangeNearEnd)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

// Insert and delete at line 1 of a year that holds one line less than the size, so
// that the insert fits even into the largest year.
void BM_InsertAtLine1(benchmark::State& state) {
    Year y(Lines(state) - 1);
    for (auto _ : state) {
        auto r = InsertLine(y.s, 1);
        if (!r || *r != InsertOutcome::Inserted) state.SkipWithError("insert");
        state.PauseTiming();
        Check(DeleteLine(y.s, 1, 0), state);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertAtLine1)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_DeleteAtLine1(benchmark::State& state) {
    Year y(Lines(state) - 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto r = InsertLine(y.s, 1);
        if (!r || *r != InsertOutcome::Inserted) state.SkipWithError("insert");
        state.ResumeTiming();
        Check(DeleteLine(y.s, 1, 0), state);
    }
}
BENCHMARK(BM_DeleteAtLine1)->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace
