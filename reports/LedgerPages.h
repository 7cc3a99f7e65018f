#pragma once
// The ruled cash-book page of the printed reports: 40 lines a page in eight columns
// (年月日, 曜日, 区分, 項目名, 収入, 支出, 現金残高, 備考) under the business name, the
// title and the page number, with the totals in the foot line of the last page.
// The item ledger prints through it; the month's cash book uses the same frame.

#include <string>

#include "platform/PrintDocument.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;
class Prompt;

inline constexpr const char* kPrinterErrorMessage = "プリンターのエラーです。印刷できません！";
inline constexpr int kLinesPerPrintedPage = 40;

// Empties entries 1..count of the eight print columns.
void ClearPrintColumns(SharedState& s, int count);
// Column `c` of print line `n`, or "" when the columns do not reach it.
const std::string& PrintCell(const SharedState& s, int c, int n);
// Sets column `c` of print line `n`, growing the columns as needed.
void SetPrintCell(SharedState& s, int c, int n, std::string text);

// The question before page `page` (" 2 ページを印刷しますか？"); Yes prints it.
bool AskNextPage(Prompt& prompt, int page);

// Where the ruled page sits and what its foot says: the item ledger's frame starts at
// x = 8 under " 合　　　　計"; the month's cash book moves it to x = 10, labels the
// foot line 収支合計 and prints a note under the frame.
struct LedgerPageFrame {
    double x0 = 8;
    std::string footLabel = " 合　　　　計";
    double footLabelDx = 18;  // from x0
    std::string note;         // under the frame in 10.5 points; none when empty
};

// Page set-up of the next page (160 x 193 units): the rules, the business name,
// PrintTitle, the column heads, the foot label and the page number.
void StartLedgerPage(PageWriter& w, const SharedState& s, const LedgerPageFrame& frame);
// Print line n of the print columns as row `row` (1..40) of the page.
void PrintLedgerRow(PageWriter& w, const SharedState& s, double x0, int n, int row);
// One total of the foot line at x, only when it is not zero.
void PrintFootAmount(PageWriter& w, double x, Amount total);

// Prints lines 1..lineCount of the print columns under PrintTitle, asking before
// every page after the first; No ends the printout on the page just filled, with its
// foot line. totalsMode 2: PrintIncomeTotal and PrintExpenseTotal in the foot line;
// 1: PrintBalanceTotal. The print columns are emptied afterwards.
PrintDocument PrintLedgerPages(SharedState& s, Prompt& prompt, int lineCount, int totalsMode);

}  // namespace tabulo
