#pragma once
// 元に戻す on the cash book: the last operation of this run that changed entries is
// taken back as a new change. The ledger (and the deposit account the operation
// corrected) get back exactly the bytes they had before it; the history keeps the
// operation and gains the records of its undo, each naming the record it undoes.

#include <string>

#include "platform/FileError.h"
#include "store/UndoLists.h"

namespace tabulo {

struct SharedState;

// What every 元に戻す (the cash book's, the slips') says when there is nothing to undo.
inline constexpr const char* kNothingToUndoMessage = "元に戻せる操作がありません。";

struct UndoOutcome {
    bool undone = false;
    // Why nothing was undone, in words for the user; "" when it was undone.
    std::string refusal;
    int line = 0;  // the first line the undone operation was about (0: none)
};

// Undoes the last step of `undo` and takes it off. Refused (nothing written, the step kept) when
// there is none, when a line the operation wrote has had its entry fields changed
// since (the balances the walks recompute do not count), when the ledger's length or
// line count is no longer what the operation left, or when the deposit account it
// corrected has changed since. A file error leaves every file as it was.
Result<UndoOutcome> UndoLastCashBookOperation(SharedState& s, CashBookUndoList& undo);

}  // namespace tabulo
