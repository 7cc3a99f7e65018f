// What recording the history adds to a post: a 10,000-line year whose history already
// holds 20,000 records, the same post with the recording on and off, on the last line
// (the common case) and on line 1 (every later balance moves). Compare the CPU times:
// the recording may add at most 0.3 ms to a post. And the staging of one record alone
// (which walks the whole history to make sure every record can be read back) on that
// history and on one at the file's limit.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchYear.h"
#include "cashbook/Ledger.h"
#include "store/BinaryRecords.h"
#include "store/History.h"

namespace {

using namespace tabulo;
using tabulo::bench::BenchYear;
using tabulo::bench::kYearLines;

constexpr int kHistoryRecords = 20000;

// The year's history: `count` changes of a line, each with its old and new 42 bytes.
void WriteHistory(const BenchYear& y, int count, benchmark::State& state) {
    LedgerLine line = BlankLedgerLine(1000);
    line.NenGetsuBi = "080401";
    line.Youbi = "（月）";
    line.ItemNo = 1;
    line.Indata = 1000;
    line.Bikou = "ベンチ";
    auto before = EncodeLedgerLine(line);
    line.Indata = 1200;
    auto after = EncodeLedgerLine(line);
    if (!before || !after) {
        state.SkipWithError("line");
        return;
    }
    std::vector<std::byte> file;
    HistoryTail tail;
    for (int i = 0; i < count; ++i) {
        HistoryRecord r{0, "20261208093000", HistoryOperation::CashBookChange, i % kYearLines + 1, 0,
                        *before, *after};
        auto bytes = EncodeHistoryAppend(tail, r);
        if (!bytes) {
            state.SkipWithError("history");
            return;
        }
        // The record ends with its check and its size.
        const std::byte* check = bytes->data() + bytes->size() - 8;
        tail.LastCheck = static_cast<std::uint32_t>(GetRawAmount(check));
        tail.NextSequence += 1;
        tail.FileSize += bytes->size();
        file.insert(file.end(), bytes->begin(), bytes->end());
    }
    std::ofstream out(HistoryPath(y.s), std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

void Post(benchmark::State& state, int line, const char* date, bool recording) {
    BenchYear y;

    WriteHistory(y, kHistoryRecords, state);
    y.s.RecordsCashBookHistory = recording;
    const RowFields row{date, "（月）", 1, "ベンチ"};
    const std::string month = MonthOf(date);
    Amount amount = 100;
    // Recorded as the cash book screen records it: with the step 元に戻す keeps.
    UndoLists undo;
    for (auto _ : state) {
        amount = amount == 100 ? 200 : 100;  // so that the line (and later balances) change
        Status st = PostAmount(y.s, line, 1, amount, month, row, nullptr,
                               recording ? &undo.CashBook : nullptr);
        if (!st) state.SkipWithError((st.error().path + ": " + st.error().detail).c_str());
    }
}

// Line 10,000 is dated 08/12/28, line 1 08/01/01.
BENCHMARK_CAPTURE(Post, last_line_recorded, kYearLines, "081228", true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Post, last_line_not_recorded, kYearLines, "081228", false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Post, line_1_recorded, 1, "080101", true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Post, line_1_not_recorded, 1, "080101", false)->Unit(benchmark::kMicrosecond);

// The staging of one change after `records` changes of 128 bytes each.
void Stage(benchmark::State& state, int records) {
    BenchYear y;

    WriteHistory(y, records, state);
    const std::vector<std::byte> line(42, std::byte{0x20});
    const std::vector<HistoryRecord> one = {
        {0, "20261208093000", HistoryOperation::CashBookChange, 1, 0, line, line}};
    for (auto _ : state) {
        auto staged = HistoryAppend::Stage(HistoryPath(y.s), one);
        if (!staged) state.SkipWithError(staged.error().detail.c_str());
        benchmark::DoNotOptimize(staged);
    }
}
BENCHMARK_CAPTURE(Stage, history_of_20000, kHistoryRecords)->Unit(benchmark::kMicrosecond);
// 131,000 changes: 16 MiB, the history's limit, less one record.
BENCHMARK_CAPTURE(Stage, history_at_the_limit, 131000)->Unit(benchmark::kMicrosecond);

}  // namespace
