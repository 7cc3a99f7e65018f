#pragma once
// What 元に戻す (Ctrl+Z) can take back: the cash book's and the slip screen's own
// operations since the program started, oldest first. The application owns one
// UndoLists for the whole run and hands it to those screens, so that closing a screen
// and opening it again keeps them; a new run starts empty. The operations that change
// entries add their step to the list they are given (the command line, the benchmarks
// and the fuzz targets give none and keep nothing).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "store/History.h"
#include "store/LedgerFile.h"

namespace tabulo {

// One cash-book operation: the history records it appended and what it did to the
// ledger file.
struct CashBookUndoStep {
    std::filesystem::path LedgerPath;    // the year's ledger the operation wrote
    std::vector<HistoryRecord> Records;  // as appended, numbered (a DepositChange last)
    LedgerImage Ledger;
};
using CashBookUndoList = std::vector<CashBookUndoStep>;

// The most operations kept, and the most bytes of ledger images they may hold (an
// insert at line 1 of a full year keeps twice the year's lines); the oldest are
// forgotten past either.
inline constexpr std::size_t kCashBookUndoSteps = 100;
inline constexpr std::size_t kCashBookUndoBytes = 16u << 20;

// One slip operation (a slip added, changed or deleted).
struct SlipUndoStep {
    std::int16_t Operation = 0;       // as the history names it: added, changed, deleted
    std::int32_t Target = 0;          // the slip's number (1-based, in kept order)
    std::uint32_t Sequence = 0;       // the history record the operation wrote
    std::vector<std::byte> OldBytes;  // the slip's stored bytes before (none: added)
    std::vector<std::byte> NewBytes;  // and after (none: deleted)
    std::filesystem::path File;       // the slip book it changed
    std::uint64_t FileSize = 0;       // that file as the operation left it (its length
    std::uint32_t FileCheck = 0;      // and CRC-32): an undo refuses a file otherwise
};
using SlipUndoList = std::vector<SlipUndoStep>;

struct UndoLists {
    CashBookUndoList CashBook;
    SlipUndoList Slips;
};

}  // namespace tabulo
