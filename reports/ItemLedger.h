#pragma once
// 項目別集計: every line of the year that carries one item, with the item's income and
// expense totals, as the item-ledger screen lists them and as they print.

#include <array>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/PrintDocument.h"
#include "reports/LedgerPages.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;
class Prompt;

// One screen row: 年月日 (YYMMDD as stored), 曜日, 区分 (the item number in 3
// characters), 項目 (16 characters of the name), 収入, 支出 (10-character amounts,
// blanks for zero), 残 (always 10 blanks), 備考 (cut to 16 bytes).
using ItemLedgerRow = std::array<std::string, 8>;

struct ItemLedgerSelection {
    std::vector<ItemLedgerRow> rows;
    Amount income = 0;
    Amount expense = 0;
    // The one total the screen shows: the income when it is not zero, else the
    // expense; each 10 characters, "" when not shown.
    std::string incomeLabel;
    std::string expenseLabel;
};

// The lines of item `item` (1..50) with their totals. A total that overflows ends with
// the overflow error.
Result<ItemLedgerSelection> SelectItemLines(const SharedState& s, int item);

// The list entry of item `item` in the item chooser: " 7 旅費交通費".
std::string ItemListEntry(const SharedState& s, int item);

// The printed lines from the screen's rows (date as YY.MM.DD, names and remarks cut
// to 16 bytes, amounts right-aligned in 10) with the selection's totals for the foot.
PrintTable ItemLedgerPrintTable(const std::vector<ItemLedgerRow>& rows, Amount income,
                                Amount expense);

// "令和 8年度項目別集計": the era, the year right-aligned in 2, the text.
std::string ItemLedgerTitle(const SharedState& s);

// Prints the table's lines under the item ledger's title with both totals in the foot
// line. `item` names the document ("項目別集計 07").
PrintDocument PrintItemLedger(const SharedState& s, Prompt& prompt, PrintTable table, int item);

}  // namespace tabulo
