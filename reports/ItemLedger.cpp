#include "reports/ItemLedger.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "cashbook/Overflow.h"
#include "reports/LedgerPages.h"
#include "reports/LedgerWalk.h"
#include "reports/ReportText.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

const std::string& ItemName(const SharedState& s, int item) {
    static const std::string none;
    if (item < 1 || item > kItemCount) return none;
    return s.ItemTable[static_cast<std::size_t>(item)].ItemName;
}

}  // namespace

Result<ItemLedgerSelection> SelectItemLines(const SharedState& s, int item) {
    ItemLedgerSelection sel;
    const std::string name = FirstChars(ItemName(s, item), 16);
    const std::string itemText = PadLeft(std::to_string(item), 3);
    std::int64_t income = 0;
    std::int64_t expense = 0;
    int overflowLine = 0;
    Status walked = WalkLedger(s, [&](int n, StoredLedgerLine stored) -> Result<bool> {
        if (stored.ItemNo() != item) return true;
        // Only the item's own lines are decoded, for their rows.
        auto decoded = DecodeLedgerLineAt(s.LedgerPath, n, stored);
        if (!decoded) return decoded.error();
        LedgerLine& line = *decoded;
        income += line.Indata;
        expense += line.Outdata;
        if (!CheckedAmount(income) || !CheckedAmount(expense)) {
            overflowLine = n;
            return false;
        }
        ItemLedgerRow row;
        row[0] = std::move(line.NenGetsuBi);
        row[1] = std::move(line.Youbi);
        row[2] = itemText;
        row[3] = name;
        row[4] = AmountCell(line.Indata);
        row[5] = AmountCell(line.Outdata);
        row[6] = std::string(10, ' ');  // 残 stays empty: a balance of one item means nothing
        // The field is stored blank-filled; the screen and copied cells show the text only.
        row[7] = CutToBytes(TrimRight(line.Bikou), 16);
        sel.rows.push_back(std::move(row));
        return true;
    });
    if (!walked) return walked.error();
    if (overflowLine > 0) return LedgerOverflowError(s.LedgerPath, overflowLine);

    sel.income = static_cast<Amount>(income);
    sel.expense = static_cast<Amount>(expense);
    if (sel.income != 0) {
        sel.incomeLabel = AmountCell(sel.income);
    } else if (sel.expense != 0) {
        sel.expenseLabel = AmountCell(sel.expense);
    }
    return sel;
}

std::string ItemListEntry(const SharedState& s, int item) {
    return PadLeft(std::to_string(item), 2) + " " + ItemName(s, item);
}

PrintTable ItemLedgerPrintTable(const std::vector<ItemLedgerRow>& rows, Amount income,
                                Amount expense) {
    PrintTable t;
    int n = 0;
    for (const ItemLedgerRow& row : rows) {
        ++n;
        t.SetCell(0, n, DottedDate(row[0]));
        t.SetCell(1, n, Trim(row[1]));
        t.SetCell(2, n, FirstChars(row[2], 3));
        t.SetCell(3, n, CutToBytes(row[3], 16));
        for (int c = 4; c <= 6; ++c) t.SetCell(c, n, PadLeft(row[static_cast<std::size_t>(c)], 10));
        t.SetCell(7, n, CutToBytes(row[7], 16));
    }
    t.lineCount = n;
    t.incomeTotal = income;
    t.expenseTotal = expense;
    return t;
}

std::string ItemLedgerTitle(const SharedState& s) {
    return s.EraName + YearInTwo(s.FiscalYear) + "年度項目別集計";
}

PrintDocument PrintItemLedger(const SharedState& s, Prompt& prompt, PrintTable table, int item) {
    table.title = ItemLedgerTitle(s);
    PrintDocument doc = PrintLedgerPages(s, prompt, table, 2);
    char name[32];
    std::snprintf(name, sizeof name, "項目別集計 %02d", item);
    doc.name = name;
    return doc;
}

}  // namespace tabulo
