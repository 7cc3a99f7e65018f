// Search of a 10,000-line year with 1,000 transfer slips, as the 検索 screen and
// tabulo-cli search run it: the slip file read, the journal built, the conditions
// applied. The goal is 20 ms or less for any combination of conditions.
#include <benchmark/benchmark.h>

#include "bench/BenchYear.h"
#include "books/BooksFiles.h"
#include "ebooks/Search.h"

namespace {

using namespace tabulo;

struct SearchBench {
    SearchBench() {
        const std::pair<int, int> lines[] = {{1, 1}, {3, 1}, {4, 3}, {6, 12},
                                             {8, 11}, {9, 1}, {10, 1}};
        for (auto [item, line] : lines)
            year.s.ItemTable[static_cast<std::size_t>(item)].ItemKubun3 =
                static_cast<std::int16_t>(line);
        year.s.DataFolder = year.folder();
        SlipBook book;
        for (int i = 0; i < 1000; ++i) {
            char date[8];
            std::snprintf(date, sizeof date, "08%02d%02d", i % 12 + 1, i % 28 + 1);
            book.Slips.push_back({date, AccountCode::Receivables, AccountCode::Sales, 1000 + i % 97,
                                  "ｶｹｳﾘ " + std::to_string(i)});
        }
        if (!SaveSlipBook(SlipBookPath(year.s), book)) std::abort();
    }
    bench::BenchYear year;
};

// The conditions of each run, as typed.
SearchInput Conditions(int which) {
    SearchInput in;
    switch (which) {
    case 1: in.from = "2026-04-01", in.to = "2026-06-30"; break;
    case 2: in.min = "1000", in.max = "1050"; break;
    case 3: in.text = "べんち"; break;  // matches nothing: every line's remarks looked at
    case 4: in.text = "ﾍﾞﾝﾁ"; break;    // matches every cash-book line
    case 5: in.account = "現金"; break;
    case 6: in.item = "旅費交通費"; break;
    case 7:  // everything together
        in.from = "2026-01-01", in.to = "2026-12-31", in.min = "1", in.max = "99999";
        in.text = "ベンチ", in.account = "現金";
        break;
    default: break;  // no condition: every transaction
    }
    return in;
}

void BM_Search(benchmark::State& state) {
    SearchBench y;
    const SearchInput input = Conditions(static_cast<int>(state.range(0)));
    std::size_t found = 0;
    for (auto _ : state) {
        const ReadConditions read = ReadSearchConditions(input, y.year.s.EraName, y.year.s.ItemTable);
        if (!read.conditions) {
            state.SkipWithError(read.refusal.en.c_str());
            break;
        }
        auto rows = SearchYear(y.year.s, *read.conditions);
        if (!rows) {
            state.SkipWithError("search failed");
            break;
        }
        found = rows->size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_Search)
    ->ArgName("conditions")
    ->DenseRange(0, 7)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
