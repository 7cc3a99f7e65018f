#include "books/BookRows.h"

#include <cstdint>

#include "books/Slips.h"
#include "store/Text.h"

namespace tabulo {
namespace {

std::string Yen(std::int64_t amount) { return FormatAmount(amount, false); }
std::string YenOrBlank(std::int64_t amount) { return FormatAmount(amount, true); }

std::string ItemName(int itemNo, const ItemTableArray& items) {
    if (itemNo < 1 || itemNo > kItemCount) return {};
    return TrimRight(items[static_cast<std::size_t>(itemNo)].ItemName);
}

// The item's name and the line's remarks, as one description.
std::string Description(const BookEntry& e, const ItemTableArray& items) {
    std::string text = e.source == BookEntry::CashBook ? ItemName(e.itemNo, items) : std::string();
    const std::string remarks = Trim(e.remarks);
    if (!remarks.empty()) text += (text.empty() ? "" : "　") + remarks;
    return text;
}

}  // namespace

std::string EntrySourceText(const BookEntry& entry) {
    return std::string(EntrySourceName(entry.source)) + " " + std::to_string(entry.number);
}

JournalView::JournalView(const std::vector<BookEntry>& journal, const SlipBook& book,
                         const ItemTableArray& items)
    : journal_(journal), book_(book), items_(items) {
    for (const Account& a : ChartOfAccounts())
        for (std::size_t i = 0; i < book.Openings.size(); ++i)
            if (book.Openings[i].AccountCode == a.code) openings_.push_back(i);
}

JournalViewRow JournalView::Row(std::size_t row) const {
    if (row < openings_.size()) {
        const OpeningBalance& o = book_.Openings[openings_[row]];
        const std::string name = AccountName(o.AccountCode, items_);
        const bool debit = DebitNormal(o.AccountCode);
        return {"期首", debit ? name : "", debit ? "" : name, Yen(o.Balance), "期首残高", ""};
    }
    const BookEntry& e = journal_.at(row - openings_.size());
    return {e.date, AccountName(e.posting.debit, items_), AccountName(e.posting.credit, items_),
            Yen(e.posting.amount), Description(e, items_), EntrySourceText(e)};
}

std::vector<JournalViewRow> JournalViewRows(const std::vector<BookEntry>& journal,
                                            const SlipBook& book, const ItemTableArray& items) {
    const JournalView view(journal, book, items);
    std::vector<JournalViewRow> rows;
    rows.reserve(view.RowCount());
    for (std::size_t i = 0; i < view.RowCount(); ++i) rows.push_back(view.Row(i));
    return rows;
}

std::vector<SlipViewRow> SlipViewRows(const SlipBook& book, const ItemTableArray& items,
                                      std::vector<std::size_t>& order) {
    order = SlipsByDate(book);
    std::vector<SlipViewRow> rows;
    rows.reserve(order.size());
    for (std::size_t i : order) {
        const TransferSlip& slip = book.Slips[i];
        rows.push_back({std::to_string(i + 1), slip.SlipDate, AccountName(slip.DebitCode, items),
                        AccountName(slip.CreditCode, items), Yen(slip.SlipAmount),
                        slip.SlipRemarks});
    }
    return rows;
}

LedgerView::LedgerView(const GeneralLedger& ledger, const ItemTableArray& items)
    : ledger_(ledger), items_(items) {
    for (const GeneralLedgerRow& r : ledger.rows) {
        debit_ += r.debit;
        credit_ += r.credit;
    }
}

LedgerViewRow LedgerView::Row(std::size_t row) const {
    if (row == 0) return {"期首", "", "前期繰越", "", "", Yen(ledger_.opening)};
    if (row == ledger_.rows.size() + 1) return {"", "", "合計", Yen(debit_), Yen(credit_), Yen(ledger_.closing)};
    const GeneralLedgerRow& r = ledger_.rows.at(row - 1);
    return {r.entry != nullptr ? std::string(r.entry->date) : std::string(), AccountName(r.counterpart, items_),
            r.entry != nullptr ? Description(*r.entry, items_) : std::string(),
            YenOrBlank(r.debit), YenOrBlank(r.credit), Yen(r.balance)};
}

std::vector<LedgerViewRow> LedgerViewRows(const GeneralLedger& ledger,
                                          const ItemTableArray& items) {
    const LedgerView view(ledger, items);
    std::vector<LedgerViewRow> rows;
    rows.reserve(view.RowCount());
    for (std::size_t i = 0; i < view.RowCount(); ++i) rows.push_back(view.Row(i));
    return rows;
}

std::vector<TrialBalanceViewRow> TrialBalanceViewRows(const TrialBalance& tb,
                                                      const ItemTableArray& items) {
    std::vector<TrialBalanceViewRow> rows;
    rows.reserve(tb.rows.size() + 1);
    std::int64_t opening = 0, closing = 0;
    for (const TrialBalanceRow& r : tb.rows) {
        opening += r.opening;
        closing += r.closing;
        rows.push_back({AccountName(r.code, items), Yen(r.opening), Yen(r.debit), Yen(r.credit),
                        Yen(r.closing)});
    }
    rows.push_back({"合計", Yen(opening), Yen(tb.debitTotal), Yen(tb.creditTotal), Yen(closing)});
    return rows;
}

std::string TrialBalanceNote(const TrialBalance& tb, const ItemTableArray& items) {
    std::string note = tb.Balances() ? kBooksBalance : kBooksDoNotBalance;
    if (tb.unassignedLines > 0) {
        note += "　勘定科目のない項目の行が " + std::to_string(tb.unassignedLines) +
                " 行あります（項目 " + std::to_string(tb.firstUnassignedItem);
        const std::string name = ItemName(tb.firstUnassignedItem, items);
        if (!name.empty()) note += " " + name;
        note += "）。";
    }
    return note;
}

std::vector<int> LedgerAccounts(const std::vector<BookEntry>& journal, const SlipBook& book) {
    std::array<bool, AccountCode::Limit> used{};
    auto mark = [&](int code) {
        if (code >= 0 && code < AccountCode::Limit) used[static_cast<std::size_t>(code)] = true;
    };
    for (const OpeningBalance& o : book.Openings) mark(o.AccountCode);
    for (const BookEntry& e : journal) {
        mark(e.posting.debit);
        mark(e.posting.credit);
    }
    std::vector<int> codes;
    for (const Account& a : ChartOfAccounts())
        if (used[static_cast<std::size_t>(a.code)]) codes.push_back(a.code);
    return codes;
}

std::vector<AccountChoice> AccountChoices(const ItemTableArray& items, bool balanceSheetOnly) {
    std::vector<AccountChoice> choices;
    for (const Account& a : ChartOfAccounts()) {
        if (a.code == AccountCode::Unassigned) continue;
        if (balanceSheetOnly && !IsBalanceSheetAccount(a.code)) continue;
        choices.push_back({a.code, AccountName(a.code, items)});
    }
    return choices;
}

}  // namespace tabulo
