#pragma once
// Page 4 of the statement: the balance sheet of the year from the double-entry books
// and the 製造原価の計算 typed on the page, and what the page prints slot by slot.

#include <vector>

#include "books/BalanceSheet.h"
#include "taxreturn/FormLayout.h"

namespace tabulo {

struct SharedState;

// The slots of page 4 before the year's: the asset rows and 事業主貸 (1月1日 and
// 12月31日 each), the asset 合計, the liability rows, 事業主借 and 元入金 (both days),
// the income (12月31日), the other 合計, the names of the manufacturing free lines
// 12..16 and the manufacturing lines 1..23.
inline constexpr int kPage4Slots = 85;

struct Page4Figures {
    BalanceSheet sheet;
    ManufacturingCost cost;
};

// The page as it opens: the balance sheet of the year's books and the manufacturing
// figures kept for the year (nothing is written).
Result<Page4Figures> OpeningPage4(const SharedState& s);

std::vector<SlotText> Page4Slots(const Page4Figures& page, int fiscalYear);

}  // namespace tabulo
