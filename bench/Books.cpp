// The double-entry books on a 10,000-line year with 500 transfer slips and the year
// end's closing entries (the stock and ten depreciated assets): the trial balance
// (the goal is 10 ms or less), the journal with every line's date and remarks, the
// general ledger of the cash account from that journal, and the journal's printout.
#include <benchmark/benchmark.h>

#include "bench/BenchYear.h"
#include "books/BooksPrint.h"
#include "books/TrialBalance.h"
#include "store/DataSet.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"

namespace {

using namespace tabulo;

struct BooksYear {
    BooksYear() {
        // Statement lines for the items of the bench year; the rest are deposit moves
        // and the carry-over, which need none.
        const std::pair<int, int> lines[] = {{1, 1}, {3, 1}, {4, 3}, {6, 12},
                                             {8, 11}, {9, 1}, {10, 1}};
        for (auto [item, line] : lines)
            year.s.ItemTable[static_cast<std::size_t>(item)].ItemKubun3 =
                static_cast<std::int16_t>(line);
        book.Openings = {{AccountCode::Cash, 100000}, {AccountCode::Capital, 100000}};
        for (int i = 0; i < 500; ++i) {
            char date[8];
            std::snprintf(date, sizeof date, "08%02d%02d", i % 12 + 1, i % 28 + 1);
            book.Slips.push_back({date, AccountCode::Receivables, AccountCode::Sales, 1000 + i,
                                  "掛売り"});
        }
        // The year end: page 1's stock and page 3's assets, as their screens store them.
        year.s.TaxReturnData = DefaultTaxReturnData();
        StoreStatementEntry(year.s.TaxReturnData, kOpeningStockLine, 40000);
        StoreStatementEntry(year.s.TaxReturnData, kClosingStockLine, 55000);
        Page3Data page3 = ReadPage3(year.s.TaxReturnData);
        for (int r = 1; r <= kAssetRows; ++r) {
            AssetRow& a = page3.assets[static_cast<std::size_t>(r)];
            a.Name1 = r % 2 ? "パソコン" : "軽トラック";
            a.Goukei = 10000 * r;
            a.Keihi = 8000 * r;
        }
        WritePage3(year.s.TaxReturnData, page3);
    }
    bench::BenchYear year;
    SlipBook book;
    ItemAccountArray accounts{};
};

void BM_TrialBalance(benchmark::State& state) {
    BooksYear y;
    for (auto _ : state) {
        auto tb = BuildTrialBalance(y.year.s, y.book, y.accounts);
        if (!tb) state.SkipWithError("trial balance failed");
        benchmark::DoNotOptimize(tb);
    }
}
BENCHMARK(BM_TrialBalance)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Journal(benchmark::State& state) {
    BooksYear y;
    for (auto _ : state) {
        auto journal = BuildJournal(y.year.s, y.book, y.accounts);
        if (!journal) state.SkipWithError("journal failed");
        benchmark::DoNotOptimize(journal);
    }
}
BENCHMARK(BM_Journal)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalAndTrialBalance(benchmark::State& state) {
    BooksYear y;
    for (auto _ : state) {
        auto journal = BuildJournal(y.year.s, y.book, y.accounts);
        auto tb = BuildTrialBalance(y.year.s, y.book, y.accounts);
        if (!journal || !tb) state.SkipWithError("books failed");
        benchmark::DoNotOptimize(journal);
        benchmark::DoNotOptimize(tb);
    }
}
BENCHMARK(BM_JournalAndTrialBalance)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs `each` over the bench year's journal, built once.
template <class Each>
void OverJournal(benchmark::State& state, Each each) {
    BooksYear y;
    auto journal = BuildJournal(y.year.s, y.book, y.accounts);
    if (!journal) {
        state.SkipWithError("journal failed");
        return;
    }
    for (auto _ : state) each(y, *journal);
}

void BM_CashLedger(benchmark::State& state) {
    OverJournal(state, [](BooksYear& y, const std::vector<BookEntry>& journal) {
        auto ledger = BuildGeneralLedger(journal, y.book, AccountCode::Cash);
        benchmark::DoNotOptimize(ledger);
    });
}
BENCHMARK(BM_CashLedger)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PrintJournal(benchmark::State& state) {
    OverJournal(state, [](BooksYear& y, const std::vector<BookEntry>& journal) {
        PrintDocument doc = PrintJournal(y.year.s, y.book, journal);
        benchmark::DoNotOptimize(doc);
    });
}
BENCHMARK(BM_PrintJournal)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

