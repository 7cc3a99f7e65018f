#pragma once
// Page 1 of the blue-return statement: the 45 lines of the profit-and-loss statement,
// worked out from the year's item totals and the items' statement-line codes. Only
// the opening and closing stock (lines 2 and 5) are typed in. Every sum is checked:
// a line whose amount would leave the 32-bit range is not stored and is reported.

#include <array>
#include <string>
#include <vector>

#include "store/Records.h"
#include "store/SharedState.h"
#include "taxreturn/StatementData.h"

namespace tabulo {

inline constexpr int kStatementLineCount = 45;
// Element N (1..45) is line N; 0 and 46..48 unused.
using StatementLineAmounts = std::array<Amount, 49>;

// The stored values page 1 reads: the stock entries and the page-2 deduction.
inline constexpr int kOpeningStockLine = 2;
inline constexpr int kClosingStockLine = 5;
// 減価償却費: page 3's 本年分の必要経費算入額 total plus any cash-book amounts coded to it
// (depreciation is never a cash line, so the ledger alone would leave it at 0).
inline constexpr int kDepreciationLine = 18;

struct Page1Figures {
    StatementLineAmounts lines{};
    // Element k (1..6) is the caption of free line 24 + k; 0 and 7..10 unused.
    std::array<std::string, 11> freeLineNames;
    // Lines that could not be computed (their amount stayed 0), in line order.
    std::vector<int> failedLines;
    // The two parts of line 18: the cash-book items coded 18 and page 3's total.
    Amount cashBookDepreciation = 0;
    Amount assetDepreciation = 0;
};

// The line number as the form prints it: ① .. ㊿ (UTF-8); "(n)" outside 1..50.
std::string CircledNumber(int n);

// The caption of line N in the wording of the current form; the free lines 25..30 and the
// uncaptioned reversal and provision lines (35, 36, 40, 41) have none of their own.
std::string StatementLineCaption(int line);

// The whole page from the item totals (column 14 of MonthlyItemTable), the two stock
// entries, the deduction (page 2's figure 11) and page 3's 経費算入額 total, which
// line 18 adds to the cash-book items coded 18.
Page1Figures ComputePage1(const ItemTableArray& items, const MonthlyTable& totals,
                          Amount openingStock, Amount closingStock, Amount deduction,
                          Amount assetDepreciation);

// The page as its screen shows it on opening: the year's totals with the stock
// entries, the deduction and page 3's total stored in the tax-return tables.
Page1Figures OpeningPage1(const ItemTableArray& items, const MonthlyTable& totals,
                          const TaxReturnTables& t);

// Stock line 2 or 5 has been typed: stores it and works out the lines that depend on
// it (4 and 6, or 6; then 7, 33, 43, 45). Returns the lines that could not be
// computed; those keep their previous amount. The recomputed lines are appended to
// `changed` when given.
std::vector<int> EnterStock(StatementLineAmounts& lines, int line, Amount value,
                            std::vector<int>* changed = nullptr);

// "金額が大きすぎるため、次の行を計算できません！" with the lines named; empty when
// `lines` is empty.
std::string FailedLinesMessage(const std::vector<int>& lines);

}  // namespace tabulo
