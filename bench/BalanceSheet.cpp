// Statement page 4 on a 10,000-line year with 500 transfer slips and opening
// balances: the balance sheet read from the year's folder (its slip book, its item
// accounts, the trial balance over the cash book) and the page's slot texts.
#include <benchmark/benchmark.h>

#include "bench/BenchBooks.h"
#include "bench/BenchYear.h"
#include "books/BalanceSheet.h"
#include "taxreturn/StatementPage4.h"

namespace {

using namespace tabulo;

struct PageYear {
    PageYear() {
        if (!bench::WriteBenchBooks(year.s)) std::abort();
    }
    bench::BenchYear year;
};

void BM_YearBalanceSheet(benchmark::State& state) {
    PageYear y;
    for (auto _ : state) {
        auto sheet = YearBalanceSheet(y.year.s);
        if (!sheet) state.SkipWithError("balance sheet failed");
        benchmark::DoNotOptimize(sheet);
    }
}
BENCHMARK(BM_YearBalanceSheet)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Page4Slots(benchmark::State& state) {
    PageYear y;
    for (auto _ : state) {
        auto page = OpeningPage4(y.year.s);
        if (!page) state.SkipWithError("page 4 failed");
        auto slots = Page4Slots(*page, y.year.s.FiscalYear);
        benchmark::DoNotOptimize(slots);
    }
}
BENCHMARK(BM_Page4Slots)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
