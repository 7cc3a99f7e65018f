// The 履歴 screen on a 10,000-line year whose history holds 20,000 changes: cash-book
// lines posted, changed, inserted and deleted (with undos among them), transfer
// slips and opening balances, appended one by one as the program appends them. The
// screen opening (the file read and checked, every change put in words, the grid
// filled) is to take 50 ms or less; one line's history, and the parts, for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <fstream>

#include "bench/BenchHistory.h"
#include "bench/BenchScreens.h"
#include "bench/BenchYear.h"
#include "books/BooksFiles.h"
#include "store/History.h"
#include "ebooks/HistoryText.h"
#include "ebooks/HistoryForm.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "ui/TextGridModel.h"

namespace {

using namespace tabulo;
using bench::App;
using bench::NoToolbar;

constexpr int kChanges = bench::kHistoryChanges;

class HistoryYear {
  public:
    HistoryYear() {
        year.s.DataFolder = year.folder();
        bench::WriteBenchHistory(HistoryPath(year.s), kChanges);
    }
    bench::BenchYear year;
};

void BM_HistoryScreenOpens(benchmark::State& state) {
    App();
    HistoryYear y;
    bench::YesPrompt prompt;
    NoToolbar toolbar;
    AppContext ctx{y.year.s, prompt, toolbar};
    const int line = static_cast<int>(state.range(0));
    int rows = 0;
    for (auto _ : state) {
        HistoryForm screen(ctx, line);
        rows = screen.model()->rowCount();
        if (rows == 0) state.SkipWithError("no rows");
    }
    state.counters["rows"] = rows;
}
// 0: the whole history; 7920: one line's changes.
BENCHMARK(BM_HistoryScreenOpens)->ArgName("line")->Arg(0)->Arg(7920)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts: the file read and checked, and every change put in words.
void BM_HistoryLoad(benchmark::State& state) {
    HistoryYear y;
    for (auto _ : state) {
        auto h = LoadHistory(HistoryPath(y.year.s));
        if (!h || h->Records.size() != kChanges || !h->Damage.empty()) state.SkipWithError("bad history");
        benchmark::DoNotOptimize(h);
    }
}
BENCHMARK(BM_HistoryLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HistoryDescribe(benchmark::State& state) {
    HistoryYear y;
    auto h = LoadHistory(HistoryPath(y.year.s));
    if (!h) std::abort();
    for (auto _ : state) {
        auto rows = DescribeHistory(*h, y.year.s.ItemTable);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_HistoryDescribe)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
