#pragma once
// Page 3 of the statement: each asset's ordinary depreciation for the year, its
// total with the extra depreciation, the part that counts as business expense, and
// the totals row. Amounts are checked; a result that would leave the 32-bit range is
// not stored.

#include <string>

#include "taxreturn/StatementData.h"

namespace tabulo {

enum class DepreciationResult {
    Computed,   // Hi holds the new figure
    BadRate,    // a rate "1/n" whose n is 0, negative or not a number; Hi unchanged
    TooLarge,   // the figure would leave the range; Hi unchanged
    Unchanged,  // the months of a 1/n rate were left: nothing to do
};

// Which box was left: the months alone never change a 1/n figure.
enum class DepreciationTrigger { Base, Rate, Months };

// The ordinary depreciation of a row: a rate written "1/n" gives base / n; any other
// rate gives base x rate x months / 12; both rounded up from a fraction of 0.49 on.
DepreciationResult OrdinaryDepreciation(const AssetRow& row, DepreciationTrigger trigger,
                                        Amount& hi);

// True when the rate text is written as a fraction 1/n.
bool IsFractionRate(const std::string& rate);

// After Hi of row r changed by computation: the Hi total, the row's 合計 and its
// total, and (when 専用割合 is at least 1) the row's 経費算入額 and its total. False
// when a figure would leave the range (that figure keeps its value).
bool AfterDepreciation(Page3Data& d, int r);
// After Hi or TokuHi of row r was typed over: the column's total, the row's 合計 and
// the 合計 total; 経費算入額 is left alone.
bool AfterDepreciationTyped(Page3Data& d, int r);
// After 専用割合 was left: 経費算入額 = 合計 x 割合 / 100, whatever the ratio, and
// the 経費算入額 total.
bool AfterBusinessShare(Page3Data& d, int r);
// Keihi = Int(Goukei x Jigyo x 0.01 + 0.51), the product in 32 bits.
bool BusinessExpense(Amount goukei, std::int16_t jigyo, Amount& keihi);

enum class AssetColumn { Hi, TokuHi, Goukei, Keihi, Zandaka };
// Row 11 of a column = the sum of rows 1..10; false (unchanged) on overflow.
bool TotalAssetColumn(Page3Data& d, AssetColumn column);

inline constexpr const char* kBadRateMessage =
    "償却率の「1/n」の n が正しくありません！\r\n耐用年数を数字で入力してください。";
inline constexpr const char* kMonthsMessage = "入力は１２ヶ月までです！";

}  // namespace tabulo
