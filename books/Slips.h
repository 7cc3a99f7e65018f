#pragma once
// Keeping a transfer slip or the opening balance sheet: what the slip screen and the
// opening-balance screen call. Each checks first, then writes FURIKAE<nn>.DAT together
// with the year's history (one record for each slip, opening balance or item account
// changed, holding its stored bytes before and after); a refused or failed change
// leaves the files and the book in memory as they were.

#include <cstddef>
#include <string>
#include <vector>

#include "books/BooksFiles.h"
#include "cashbook/Undo.h"  // kNothingToUndoMessage
#include "platform/FileError.h"
#include "store/UndoLists.h"

namespace tabulo {

struct SharedState;

// A slip's date must be a day of the fiscal year.
inline constexpr const char* kSlipYearMessage = "振替伝票の日付は今年度の日付です。";

// Adds `slip` to `book` (at the end) and saves. Refused with the reason when the slip
// is faulty (SlipFault), dated outside the fiscal year, or would carry an account's
// figures of the year beyond 32 bits (the overflow message). The slip operations keep
// their step for 元に戻す in `undo` (the slip screen's); without one they keep none.
Status KeepSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                const TransferSlip& slip, SlipUndoList* undo = nullptr);

// Replaces the opening balances and saves; refused like KeepSlip (an account twice, an
// account that is not on the balance sheet, a total beyond 32 bits).
Status KeepOpenings(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                    const std::vector<OpeningBalance>& openings);

// Replaces slip `index` (0-based, in kept order) with `slip` and saves; refused like
// KeepSlip. The slip keeps its number; the journal places it by its date.
Status ChangeSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index, const TransferSlip& slip, SlipUndoList* undo = nullptr);

// Removes slip `index` and saves; refused when the figures left would pass 32 bits.
Status DeleteSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index, SlipUndoList* undo = nullptr);

// 元に戻す: undoes the last slip operation of `undo` and takes it off, as a new change
// whose history record names the undone one (UndoOf). The slip book is then byte for
// byte as before that operation. Refused with the reason, changing nothing, when
// there is none, when the slip was changed again since, when the file is no longer as
// the operation left it, or when the figures would pass 32 bits.
Status UndoSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                SlipUndoList& undo);

// The slips' indices in date order; slips of one day in the order they were kept.
std::vector<std::size_t> SlipsByDate(const SlipBook& book);

// The opening balance sheet's two sides: the debit balances (assets, 事業主貸) and the
// credit balances (liabilities and capital). Overflow error beyond 32 bits.
struct OpeningSides {
    Amount debit = 0;
    Amount credit = 0;
    bool Balances() const { return debit == credit; }
};
Result<OpeningSides> SumOpenings(const std::vector<OpeningBalance>& openings);

// The 元入金 that makes the openings balance: the debit side less every credit
// balance but 元入金's own. Overflow error beyond 32 bits.
Result<Amount> BalancingCapital(const std::vector<OpeningBalance>& openings);

// Keeps the balance-sheet accounts chosen for the items (KAMOKU.DAT) and makes
// `chosen` follow the file. Refused with the reason when an account is not on the
// balance sheet or when the year's figures, read with the new accounts, would pass
// 32 bits; nothing is written then.
Status KeepItemAccounts(const SharedState& s, const SlipBook& book, ItemAccountArray& chosen,
                        const ItemAccountArray& changed);

}  // namespace tabulo
