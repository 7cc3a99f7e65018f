// 集計 as a whole on a 10,000-line year: the date check, the recalculation of every
// balance and the table; and the table alone.
#include "cashbook/Aggregation.h"

#include <benchmark/benchmark.h>

#include "bench/BenchYear.h"
#include "platform/Prompt.h"

namespace {

using namespace tabulo;

void BM_AggregateYear(benchmark::State& state) {
    bench::BenchYear year;
    bench::YesPrompt prompt;
    for (auto _ : state) {
        auto r = AggregateYear(year.s, prompt);
        if (!r || !*r) state.SkipWithError("aggregation failed");
        benchmark::DoNotOptimize(year.s.MonthlyItemTable);
    }
}
BENCHMARK(BM_AggregateYear)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MonthlyItemTable(benchmark::State& state) {
    bench::BenchYear year;
    for (auto _ : state) {
        auto t = ComputeMonthlyItemTable(year.s);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_MonthlyItemTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
