#pragma once
// Page 1 of the blue-return statement: the 45 lines of the profit-and-loss statement,
// worked out from the year's item totals and the items' statement-line codes. Only
// the opening and closing stock (lines 2 and 5) are typed in. Every sum is checked:
// a line whose amount would leave the 32-bit range is not stored and is reported.

#include <array>
#include <string>
#include <vector>

#include "books/BooksFiles.h"
#include "platform/FileError.h"
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

// What the transfer slips of the double-entry books post to the statement: `lines`
// to the lines items feed, on each line's own side (an income line's credits less its
// debits, an expense line's debits less its credits), element N is line N; `sales`
// and `purchases` to 売上 and 仕入 by the slip's month (1..12) as page 2 counts them,
// a sale against 事業主貸 (家事消費) in sales 13. With the cash-book lines (the item
// totals) they make the journal's figures.
struct SlipFigures {
    StatementLineAmounts lines{};
    std::array<Amount, 16> sales{};
    std::array<Amount, 16> purchases{};
};
Result<SlipFigures> SlipFiguresOf(const SlipBook& book);
// The same for the year in `s`, read from its FURIKAE<nn>.DAT (all 0 without one):
// what the screens and tabulo-cli hand to the page functions below.
Result<SlipFigures> YearSlipFigures(const SharedState& s);

// The whole page from the journal: the item totals (column 14 of MonthlyItemTable)
// and the slips' amounts when given, the two stock entries, the deduction (page 2's
// figure 11) and page 3's 経費算入額 total, which line 18 adds to the cash-book items
// coded 18. A year without slips gives the page of its cash book alone.
Page1Figures ComputePage1(const ItemTableArray& items, const MonthlyTable& totals,
                          Amount openingStock, Amount closingStock, Amount deduction,
                          Amount assetDepreciation, const SlipFigures* slips = nullptr);

// The page as its screen shows it on opening: the year's totals (and slips) with the
// stock entries, the deduction and page 3's total stored in the tax-return tables.
Page1Figures OpeningPage1(const ItemTableArray& items, const MonthlyTable& totals,
                          const TaxReturnTables& t, const SlipFigures* slips = nullptr);

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
