#pragma once
// The ruled cash-book page of the printed reports: 40 lines a page in eight columns
// (年月日, 曜日, 区分, 項目名, 収入, 支出, 現金残高, 備考) under the business name, the
// title and the page number, with the totals in the foot line of the last page.
// The item ledger prints through it; the month's cash book uses the same frame.

#include <array>
#include <string>
#include <vector>

#include "platform/PrintDocument.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;
class Prompt;

inline constexpr const char* kPrinterErrorMessage = "プリンターのエラーです。印刷できません！";
inline constexpr int kLinesPerPrintedPage = 40;

// What a ruled printout prints: eight columns of printed lines (line n from 1), the
// number of lines, the title over them and the totals of the foot line. The callers
// fill one and hand it to the printer.
struct PrintTable {
    std::array<std::vector<std::string>, 8> columns;  // columns[c][n]; entry 0 unused
    int lineCount = 0;
    std::string title;
    Amount incomeTotal = 0;
    Amount expenseTotal = 0;
    Amount balanceTotal = 0;

    // Column `c` of line `n`, or "" when the columns do not reach it.
    const std::string& Cell(int c, int n) const;
    // Sets column `c` of line `n`, growing the columns as needed.
    void SetCell(int c, int n, std::string text);
    // Empties lines 1..count of every column.
    void ClearLines(int count);
};

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

// Page set-up of the next page (160 x 193 units): the rules, the business name, the
// table's title, the column heads, the foot label and the page number.
void StartLedgerPage(PageWriter& w, const SharedState& s, const std::string& title,
                     const LedgerPageFrame& frame);
// Print line n of the table as row `row` (1..40) of the page.
void PrintLedgerRow(PageWriter& w, const PrintTable& t, double x0, int n, int row);
// One total of the foot line at x, only when it is not zero.
void PrintFootAmount(PageWriter& w, double x, Amount total);

// Prints the table's lines under its title, asking before every page after the first;
// No ends the printout on the page just filled, with its foot line. totalsMode 2: the
// income and expense totals in the foot line; 1: the balance total.
PrintDocument PrintLedgerPages(const SharedState& s, Prompt& prompt, const PrintTable& t,
                               int totalsMode);

}  // namespace tabulo
