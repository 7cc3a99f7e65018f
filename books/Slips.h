#pragma once
// Keeping a transfer slip or the opening balance sheet: what the slip screen and the
// opening-balance screen will call. Each checks first, then writes FURIKAE<nn>.DAT
// whole; a refused or failed change leaves the file and the book in memory as they
// were.

#include <string>
#include <vector>

#include "books/BooksFiles.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// A slip's date must be a day of the fiscal year.
inline constexpr const char* kSlipYearMessage = "振替伝票の日付は今年度の日付です。";

// Adds `slip` to `book` (at the end) and saves. Refused with the reason when the slip
// is faulty (SlipFault), dated outside the fiscal year, or would carry an account's
// figures of the year beyond 32 bits (the overflow message).
Status KeepSlip(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                const TransferSlip& slip);

// Replaces the opening balances and saves; refused like KeepSlip (an account twice, an
// account that is not on the balance sheet, a total beyond 32 bits).
Status KeepOpenings(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                    const std::vector<OpeningBalance>& openings);

}  // namespace tabulo
