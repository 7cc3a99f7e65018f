#pragma once
// Page 2 of the statement: monthly sales and purchases from the item totals, the two
// wage tables with their row and column totals, and the calculation figures. Every
// sum is checked; a result that would leave the 32-bit range is not stored.

#include <array>
#include <string>
#include <vector>

#include "store/SharedState.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"

namespace tabulo {

struct MonthlySection {
    // 1..12 the months; sales 13 家事消費等, 14 雑収入; 15 the totals.
    std::array<Amount, 16> sales{};
    std::array<Amount, 16> purchases{};
    // What could not be computed ("売上 7月", "仕入 合計" ...).
    std::vector<std::string> failures;
};

// Month m of an item row: column m for January..June, m + 1 for July..December.
int MonthColumn(int month);

// With `slips`, the transfer slips to 売上 and 仕入 join their months (家事消費 its
// own column), as page 1 takes them.
MonthlySection ComputeMonthlySection(const ItemTableArray& items, const MonthlyTable& totals,
                                     const SlipFigures* slips = nullptr);

enum class WageColumn { KyuRyo, Syouyo, Gensen };

// After an amount of person row `row` changed: the row's 合計 (for salary or bonus)
// and the total row for the edited column and for 合計 (or for 源泉徴収額). `persons`
// is the number of rows summed (4 for family employees, 6 for employees with その他);
// the total row is persons + 1. Returns false when a sum would leave the range; the
// sums that fit are stored, the others keep their values.
bool RecomputeWageRow(WageColumns& w, int persons, int row, WageColumn column);

// Figure 5 = figure 1 + figure 4; false (figure 5 unchanged) on overflow.
bool RecomputeFigure5(Page2Data& d);

// Figure 7 ("青色申告特別控除前の金額"): page 1's line 43 worked out by page 1's own
// rules, reversals and provisions included.
struct Figure7 {
    Amount value = 0;
    std::vector<int> failedLines;
};
Figure7 ComputeFigure7(const ItemTableArray& items, const MonthlyTable& totals,
                       const TaxReturnTables& t, const SlipFigures* slips = nullptr);

// The special deduction figures 8–11 the books allow, from figure 6 (the real-estate
// income, which takes its part first) and figure 7 (the income before the deduction):
// books kept by double entry (BooksStanding::AllowsDoubleEntryDeduction) fill 8 and 9
// with their limit (65万円 when kept as electronic books all year, else 55万円), any
// other books 10 and 11 with the 10万円 limit; a figure below 0 counts as 0.
struct DeductionOffer {
    bool doubleEntry = false;
    Amount limit = 0;
    std::array<Amount, 12> figures{};  // 8..11 used
};
// `limit` is the year's (kElectronicBooksDeduction, kDoubleEntryDeduction or
// kSimpleDeduction); the first two fill 8 and 9.
DeductionOffer OfferDeduction(Amount limit, Amount figure6, Amount figure7);
// The 55万円 or 10万円 offer.
DeductionOffer OfferDeduction(bool doubleEntry, Amount figure6, Amount figure7);

// Figures 8..11 of `syukei` replaced by `offer`'s, unless the user typed his own: a
// figure counts as the program's when it is 0, what `before` offered, what any limit
// offers, or a new file's 10万円 in figure 11. False (the figures kept) when one was typed.
bool TakeDeductionOffer(std::array<Amount, 12>& syukei, const DeductionOffer& before,
                        const DeductionOffer& offer);

// The stored tables with page 2's deduction figures offered for `limit` as page 2
// offers them on opening (figure 7 worked out from page 1), so that page 1's line 44
// takes the deduction the year qualifies for whether or not page 2 was opened. The
// figures a user typed are kept; nothing else of the tables changes.
void OfferStoredDeduction(TaxReturnTables& t, Amount limit, const ItemTableArray& items,
                          const MonthlyTable& totals, const SlipFigures* slips = nullptr);

// "金額が大きすぎるため計算できません！" naming the figures of `failures`.
std::string FailuresMessage(const std::vector<std::string>& failures);

}  // namespace tabulo
