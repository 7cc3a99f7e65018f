#include "reports/MonthlyCashBook.h"

#include <cstdint>
#include <string>
#include <vector>

#include "cashbook/Ledger.h"
#include "cashbook/Overflow.h"
#include "reports/LedgerPages.h"
#include "reports/LedgerWalk.h"
#include "reports/ReportText.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

struct MonthLine {
    int n = 0;  // its line number in the ledger
    bool totalled = false;
    LedgerLine line;
};

const ItemEntry* ItemOf(const SharedState& s, int itemNo) {
    if (itemNo < 1 || itemNo > kItemCount) return nullptr;
    return &s.ItemTable[static_cast<std::size_t>(itemNo)];
}

// Only cash moves count in the month's total; deposits and the carry-over do not.
bool IsTotalled(const ItemEntry* item) {
    if (item == nullptr) return false;
    const int k = item->ItemKubun;
    return k == Kubun::Income || k == Kubun::IntoAccount || k == Kubun::Expense ||
           k == Kubun::DebitAccount;
}

void FillRow(const SharedState& s, PrintTable& t, int row, const LedgerLine& line) {
    const ItemEntry* item = ItemOf(s, line.ItemNo);
    if (line.ItemNo < 1) {
        for (int c = 0; c < 8; ++c) t.SetCell(c, row, {});
        return;
    }
    t.SetCell(0, row, DottedDate(line.NenGetsuBi));
    t.SetCell(1, row, Trim(line.Youbi));
    t.SetCell(2, row, PadLeft(std::to_string(line.ItemNo), 3));
    t.SetCell(3, row, item != nullptr ? item->ItemName : std::string());
    t.SetCell(4, row, AmountCell(line.Indata));
    t.SetCell(5, row, AmountCell(line.Outdata));
    t.SetCell(6, row, AmountCell(line.Zandaka));
    t.SetCell(7, row, Trim(line.Bikou));
}

}  // namespace

Result<PrintDocument> PrintMonthlyCashBook(const SharedState& s, Prompt& prompt,
                                           std::string_view monthKey) {
    // The month's lines first, so that an overflow of the whole month's totals ends the
    // printout before any page is asked for.
    std::vector<MonthLine> lines;
    std::int64_t income = 0;
    std::int64_t expense = 0;
    bool overflow = false;
    int lastCounted = 0;  // the line an overflow is reported on
    StoredDate date;
    Status walked = WalkLedger(s, [&](int n, StoredLedgerLine stored) -> Result<bool> {
        if (!date.Read(stored, s.LedgerPath, n)) return date.error();
        if (MonthOf(date.text()) != monthKey) return true;
        // Only the month's lines are decoded whole, for their rows.
        auto line = DecodeLedgerLineAt(s.LedgerPath, n, stored);
        if (!line) return line.error();
        const bool totalled = line->ItemNo >= 1 && IsTotalled(ItemOf(s, line->ItemNo));
        if (totalled) {
            income += line->Indata;
            expense += line->Outdata;
            lastCounted = n;
            if (!CheckedAmount(income) || !CheckedAmount(expense)) {
                overflow = true;
                return false;
            }
        }
        lines.push_back({n, totalled, std::move(*line)});
        return true;
    });
    if (!walked) return walked.error();
    if (overflow || !CheckedAmount(income - expense))
        return LedgerOverflowError(s.LedgerPath, lastCounted);

    const int lineCount = s.LedgerHeader.LineCount;
    PrintTable t;
    t.title =
        s.EraName + YearInTwo(s.FiscalYear) + "年" + std::string(monthKey) + "月度出納簿";

    LedgerPageFrame frame;
    frame.x0 = 10;
    frame.footLabel = " 収　　支　　合　　計";
    frame.footLabelDx = 15;
    frame.note = "注記：収支合計欄の集計は繰越データ、預金の出し入れデータは除外されています。";

    PrintDocument doc;
    doc.name = "出納簿 " + std::string(monthKey) + "月";
    PageWriter w(doc);
    StartLedgerPage(w, s, t.title, frame);
    // The foot line totals the lines printed: No at a page question leaves the lines after
    // it out of the total as well as off the paper.
    income = 0;
    expense = 0;
    int row = 1;
    for (const MonthLine& m : lines) {
        if (m.totalled) {
            income += m.line.Indata;
            expense += m.line.Outdata;
        }
        FillRow(s, t, row, m.line);
        PrintLedgerRow(w, t, frame.x0, row, row);
        ++row;
        // Any further line of the ledger, of whatever month, turns the page.
        if (row > kLinesPerPrintedPage && m.n < lineCount) {
            if (!AskNextPage(prompt, w.PageCount() + 1)) break;
            StartLedgerPage(w, s, t.title, frame);
            t.ClearLines(kLinesPerPrintedPage);
            row = 1;
        }
    }
    // Only negative amounts could make a part of the month overflow where the whole did not.
    if (!CheckedAmount(income) || !CheckedAmount(expense) || !CheckedAmount(income - expense)) {
        return OverflowError();
    }
    PrintFootAmount(w, frame.x0 + 60, static_cast<Amount>(income));
    PrintFootAmount(w, frame.x0 + 80, static_cast<Amount>(expense));
    PrintFootAmount(w, frame.x0 + 100, static_cast<Amount>(income - expense));
    return doc;
}

}  // namespace tabulo
