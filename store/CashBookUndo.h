#pragma once
// What the cash book keeps, for this run only, of each of its operations that changed
// entries, so that 元に戻す can take the last one back: the history records the
// operation appended and what it did to the ledger file.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "store/History.h"
#include "store/LedgerFile.h"

namespace tabulo {

struct CashBookUndoStep {
    std::filesystem::path LedgerPath;    // the year's ledger the operation wrote
    std::vector<HistoryRecord> Records;  // as appended, numbered (a DepositChange last)
    LedgerImage Ledger;
};

// The most operations kept, and the most bytes of ledger images they may hold (an
// insert at line 1 of a full year keeps twice the year's lines); the oldest are
// forgotten past either.
inline constexpr std::size_t kCashBookUndoSteps = 100;
inline constexpr std::size_t kCashBookUndoBytes = 16u << 20;

}  // namespace tabulo
