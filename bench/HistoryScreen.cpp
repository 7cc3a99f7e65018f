// The 履歴 screen on a 10,000-line year whose history holds 20,000 changes: cash-book
// lines posted, changed, inserted and deleted (with undos among them), transfer
// slips and opening balances, appended one by one as the program appends them. The
// screen opening (the file read and checked, every change put in words, the grid
// filled) is to take 50 ms or less; one line's history, and the parts, for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <fstream>

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

constexpr int kChanges = 20000;

std::vector<std::byte> StoredLine(int n, Amount amount) {
    LedgerLine line = BlankLedgerLine(0);
    char date[8];
    std::snprintf(date, sizeof date, "08%02d%02d", n % 12 + 1, n % 28 + 1);
    line.NenGetsuBi = date;
    line.Youbi = "（月）";
    line.ItemNo = static_cast<std::int16_t>(n % 2 == 0 ? 1 : 4);
    (n % 2 == 0 ? line.Indata : line.Outdata) = amount;
    line.Bikou = "ベンチ";
    auto encoded = EncodeLedgerLine(line);
    if (!encoded) std::abort();
    return *encoded;
}

std::vector<std::byte> StoredSlip(int n) {
    const TransferSlip slip{"080401", AccountCode::Receivables, AccountCode::Sales, 1000 + n % 97,
                            "ｶｹｳﾘ " + std::to_string(n)};
    std::vector<std::byte> record(kSlipRecordSize);
    if (!EncodeSlip(slip, record.data())) std::abort();
    return record;
}

class HistoryYear {
  public:
    HistoryYear() {
        year.s.DataFolder = year.folder();
        std::vector<std::byte> file;
        HistoryTail tail;
        for (int i = 0; i < kChanges; ++i) {
            const int line = 1 + (i * 7919) % bench::kYearLines;
            char when[16];
            std::snprintf(when, sizeof when, "2026%02d%02d%02d%02d%02d", i % 12 + 1, i % 28 + 1, i % 24,
                          i % 60, (i / 60) % 60);
            HistoryRecord r;
            r.When = when;
            r.Target = line;
            switch (i % 10) {
            case 0: r.Operation = HistoryOperation::CashBookPost, r.NewBytes = StoredLine(i, 1000 + i % 97); break;
            case 1:
            case 2:
            case 3:
            case 4:
                r.Operation = HistoryOperation::CashBookChange;
                r.OldBytes = StoredLine(i, 1000 + i % 97);
                r.NewBytes = StoredLine(i, 2000 + i % 89);
                break;
            case 5: r.Operation = HistoryOperation::CashBookInsert, r.NewBytes = StoredLine(i, 500); break;
            case 6: r.Operation = HistoryOperation::CashBookDelete, r.OldBytes = StoredLine(i, 500); break;
            case 7:  // the delete undone
                r.Operation = HistoryOperation::CashBookInsert, r.NewBytes = StoredLine(i - 1, 500);
                r.UndoOf = tail.NextSequence - 1;
                break;
            case 8:
                r.Operation = HistoryOperation::SlipChange, r.Target = i % 1000 + 1;
                r.OldBytes = StoredSlip(i), r.NewBytes = StoredSlip(i + 1);
                break;
            default: {
                r.Operation = HistoryOperation::OpeningChange, r.Target = AccountCode::Cash;
                r.NewBytes.resize(4);
                PutRawAmount(r.NewBytes.data(), 100000 + i);
                break;
            }
            }
            auto bytes = EncodeHistoryAppend(tail, r);
            if (!bytes) std::abort();
            file.insert(file.end(), bytes->begin(), bytes->end());
            tail.FileSize = file.size();
            tail.NextSequence += 1;
            tail.LastCheck = static_cast<std::uint32_t>(LoadLittleEndian(file.data() + file.size() - 8, 4));
        }
        if (!AtomicSave(HistoryPath(year.s), file)) std::abort();
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
