// The item ledger of a 10,000-line year of one item: selecting its lines from the
// file, and building the operation list of its 250 printed pages (every page asked
// for and granted).
#include <benchmark/benchmark.h>

#include "bench/BenchYear.h"
#include "reports/ItemLedger.h"

namespace {

using namespace tabulo;
using bench::BenchYear;
using bench::YesPrompt;

// Every line of the year on item 4 (仕入).
struct Year : BenchYear {
    Year() : BenchYear(4) {}
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
        PrintDocument doc = PrintItemLedger(
            y.s, prompt, ItemLedgerPrintTable(sel->rows, sel->income, sel->expense), 4);
        pages = doc.pages.size();
        benchmark::DoNotOptimize(doc);
    }
    state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BM_ItemLedger250Pages)->Unit(benchmark::kMillisecond);

}  // namespace
