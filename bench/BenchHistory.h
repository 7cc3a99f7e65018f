#pragma once
// A history of 20,000 changes for the benchmarks: cash-book lines posted, changed,
// inserted and deleted (with undos among them), transfer slips and opening balances,
// appended one by one as the program appends them.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchYear.h"
#include "books/BooksFiles.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/History.h"
#include "store/SharedState.h"

namespace tabulo::bench {

inline constexpr int kHistoryChanges = 20000;

inline std::vector<std::byte> HistoryStoredLine(int n, Amount amount) {
    LedgerLine line = BlankLedgerLine(0);
    char date[16];
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

inline std::vector<std::byte> HistoryStoredSlip(int n) {
    const TransferSlip slip{"080401", AccountCode::Receivables, AccountCode::Sales, 1000 + n % 97,
                            "ｶｹｳﾘ " + std::to_string(n)};
    std::vector<std::byte> record(kSlipRecordSize);
    if (!EncodeSlip(slip, record.data())) std::abort();
    return record;
}

// Where a data folder keeps the history of fiscal year `fiscalYear`.
inline std::filesystem::path BenchHistoryPath(const std::filesystem::path& folder, int fiscalYear) {
    SharedState s;
    s.DataFolder = folder;
    s.FiscalYear = fiscalYear;
    return HistoryPath(s);
}

// Writes `changes` changes to the lines of a year of `lines` lines as the history at
// `path`.
inline void WriteBenchHistory(const std::filesystem::path& path, int changes = kHistoryChanges,
                              int lines = kYearLines) {
    std::vector<std::byte> file;
    HistoryTail tail;
    // As the program writes them: a line posted goes after the last one, a line
    // inserted or deleted moves the lines after it, and an undone deletion puts the
    // line back where it was.
    int held = lines, deleted = 1;
    for (int i = 0; i < changes; ++i) {
        int line = 1 + (i * 7919) % held;
        if (i % 10 == 0) line = held + 1;
        if (i % 10 == 7) line = deleted;
        if (i % 10 == 6) deleted = line;
        if (i % 10 == 0 || i % 10 == 5 || i % 10 == 7) ++held;
        if (i % 10 == 6) --held;
        char when[32];
        std::snprintf(when, sizeof when, "2026%02d%02d%02d%02d%02d", i % 12 + 1, i % 28 + 1, i % 24,
                      i % 60, (i / 60) % 60);
        HistoryRecord r;
        r.When = when;
        r.Target = line;
        switch (i % 10) {
        case 0: r.Operation = HistoryOperation::CashBookPost, r.NewBytes = HistoryStoredLine(i, 1000 + i % 97); break;
        case 1:
        case 2:
        case 3:
        case 4:
            r.Operation = HistoryOperation::CashBookChange;
            r.OldBytes = HistoryStoredLine(i, 1000 + i % 97);
            r.NewBytes = HistoryStoredLine(i, 2000 + i % 89);
            break;
        case 5: r.Operation = HistoryOperation::CashBookInsert, r.NewBytes = HistoryStoredLine(i, 500); break;
        case 6: r.Operation = HistoryOperation::CashBookDelete, r.OldBytes = HistoryStoredLine(i, 500); break;
        case 7:  // the delete undone
            r.Operation = HistoryOperation::CashBookInsert, r.NewBytes = HistoryStoredLine(i - 1, 500);
            r.UndoOf = tail.NextSequence - 1;
            break;
        case 8:
            r.Operation = HistoryOperation::SlipChange, r.Target = i % 1000 + 1;
            r.OldBytes = HistoryStoredSlip(i), r.NewBytes = HistoryStoredSlip(i + 1);
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
    if (!AtomicSave(path, file)) std::abort();
}

}  // namespace tabulo::bench
