// Taking a statement's rows into a year of 10,000 cash-book lines: the preview against
// the year's books and history, and the import itself (placing the lines in date
// order, the full recalculation, the deposit account, the history and the commit).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/BenchYear.h"
#include "statements/Import.h"
#include "store/DataSet.h"
#include "store/RecordedChange.h"

using namespace tabulo;
using namespace tabulo::statements;

namespace {

std::vector<StatementRow> Rows(int count) {
    std::vector<StatementRow> rows;
    for (int i = 0; i < count; ++i) {
        StatementRow r;
        r.line = i + 2;
        r.date = {2026, 1 + i % 12, 1 + (i / 12) % 28};
        r.description = i % 2 ? "ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ" : "ｺｳｻﾞﾌﾘｶｴ ﾃﾞﾝｷ";
        if (i % 2) r.in = 1000 + i;
        else r.out = 500 + i;
        rows.push_back(r);
    }
    return rows;
}

std::string Bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void BM_ImportBankRows(benchmark::State& state) {
    bench::BenchYear year;
    SharedState& s = year.s;
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.AccountNo[1] = "1234567";
    s.DepositBook.CurrentBalance[1] = 10000000;
    SaveDepositBook(s);
    const std::string ledger = Bytes(s.LedgerPath), deposit = Bytes(s.DepositPath);
    const SharedState start = s;
    const ImportTarget target{StatementKind::Bank, 1, {}};
    const auto rows = Rows(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        // The year as it was: its files written back and the log of the operations
        // before taken away with them (settled later, it would write them in again).
        std::filesystem::remove(YearJournalPath(s));
        std::filesystem::remove(HistoryPath(s));
        std::ofstream(s.LedgerPath, std::ios::binary) << ledger;
        std::ofstream(s.DepositPath, std::ios::binary) << deposit;
        s = start;
        state.ResumeTiming();
        auto preview = PreviewImport(s, target, rows, {});
        std::vector<ImportRow> chosen;
        for (const PreviewLine& p : *preview) chosen.push_back({p.row, p.key, p.row.in > 0 ? 3 : 6, ""});
        auto done = ImportRows(s, target, chosen);
        if (!done || done->taken != state.range(0)) state.SkipWithError("the import failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportBankRows)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
