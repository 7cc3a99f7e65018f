#include "books/TrialBalance.h"

#include <array>
#include <cstdint>

#include "books/Closing.h"
#include "cashbook/Ledger.h"
#include "cashbook/Overflow.h"
#include "store/BinaryRecords.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

// Per-account sums in 64 bits; a figure is checked against 32 bits when it is stored.
struct Sums {
    std::array<std::int64_t, AccountCode::Limit> opening{};
    std::array<std::int64_t, AccountCode::Limit> debit{};
    std::array<std::int64_t, AccountCode::Limit> credit{};
    std::array<bool, AccountCode::Limit> used{};

    void Post(const Posting& p) {
        const auto d = static_cast<std::size_t>(p.debit), c = static_cast<std::size_t>(p.credit);
        debit[d] += p.amount;
        credit[c] += p.amount;
        used[d] = used[c] = true;
    }
};

}  // namespace

const TrialBalanceRow* TrialBalance::Find(int code) const {
    for (const TrialBalanceRow& r : rows)
        if (r.code == code) return &r;
    return nullptr;
}

Amount SignedOpening(const SlipBook& book, int code) {
    for (const OpeningBalance& o : book.Openings)
        if (o.AccountCode == code) return DebitNormal(code) ? o.Balance : -o.Balance;
    return 0;
}

Result<TrialBalance> BuildTrialBalance(const SharedState& s, const SlipBook& book,
                                       const ItemAccountArray& chosen) {
    Sums sums;
    TrialBalance tb;
    // A book that did not come through its checks must not index past the sums.
    if (std::string why = SlipBookFault(book); !why.empty())
        return BadFormatError(SlipBookPath(s).string(), why);
    for (const OpeningBalance& o : book.Openings) {
        const auto c = static_cast<std::size_t>(o.AccountCode);
        sums.opening[c] += DebitNormal(o.AccountCode) ? std::int64_t{o.Balance}
                                                      : -std::int64_t{o.Balance};
        sums.used[c] = true;
    }
    ItemYearTotals itemTotals{};
    Status walked = WalkCashBookEntries(s, chosen, [&](LedgerFile&, int, const std::byte* raw,
                                                       const std::optional<Posting>& posting) {
        AddItemTotal(itemTotals, raw);
        if (!posting) return Ok();
        if (posting->unassigned && tb.unassignedLines++ == 0)
            tb.firstUnassignedItem = GetRawInteger(raw + kLedgerItemOffset);
        sums.Post(*posting);
        return Ok();
    });
    if (!walked) return walked.error();
    for (const TransferSlip& slip : book.Slips)
        sums.Post({slip.DebitCode, slip.CreditCode, slip.SlipAmount, false});
    auto closing = YearClosingEntries(s, chosen, itemTotals);
    if (!closing) return closing.error();
    for (const ClosingEntry& e : *closing) sums.Post(e.posting);

    std::int64_t openingDebit = 0, openingCredit = 0, debitTotal = 0, creditTotal = 0,
                 closingDebit = 0, closingCredit = 0;
    for (const Account& a : ChartOfAccounts()) {
        const auto c = static_cast<std::size_t>(a.code);
        if (!sums.used[c]) continue;
        const std::int64_t closing = sums.opening[c] + sums.debit[c] - sums.credit[c];
        auto opening = CheckedAmount(sums.opening[c]);
        auto debit = CheckedAmount(sums.debit[c]);
        auto credit = CheckedAmount(sums.credit[c]);
        auto close = CheckedAmount(closing);
        if (!opening || !debit || !credit || !close) return OverflowError();
        tb.rows.push_back({a.code, *opening, *debit, *credit, *close});
        (sums.opening[c] >= 0 ? openingDebit : openingCredit) +=
            sums.opening[c] >= 0 ? sums.opening[c] : -sums.opening[c];
        debitTotal += sums.debit[c];
        creditTotal += sums.credit[c];
        (closing >= 0 ? closingDebit : closingCredit) += closing >= 0 ? closing : -closing;
    }
    const std::int64_t totals[] = {openingDebit, openingCredit, debitTotal,
                                   creditTotal,  closingDebit,  closingCredit};
    Amount* into[] = {&tb.openingDebit, &tb.openingCredit, &tb.debitTotal,
                      &tb.creditTotal,  &tb.closingDebit,  &tb.closingCredit};
    for (std::size_t i = 0; i < std::size(totals); ++i) {
        auto v = CheckedAmount(totals[i]);
        if (!v) return OverflowError();
        *into[i] = *v;
    }
    return tb;
}

Result<GeneralLedger> BuildGeneralLedger(const std::vector<BookEntry>& journal,
                                         const SlipBook& book, int code) {
    GeneralLedger g;
    g.code = code;
    const bool debitNormal = DebitNormal(code);
    const Amount signedOpening = SignedOpening(book, code);
    g.opening = debitNormal ? signedOpening : -signedOpening;
    std::int64_t balance = g.opening;
    for (const BookEntry& e : journal) {
        const Posting& p = e.posting;
        if (p.debit != code && p.credit != code) continue;
        GeneralLedgerRow row;
        row.entry = &e;
        if (p.debit == code) {
            row.debit = p.amount;
            row.counterpart = p.credit;
            balance += debitNormal ? p.amount : -std::int64_t{p.amount};
        } else {
            row.credit = p.amount;
            row.counterpart = p.debit;
            balance += debitNormal ? -std::int64_t{p.amount} : p.amount;
        }
        auto b = CheckedAmount(balance);
        if (!b) return OverflowError();
        row.balance = *b;
        g.rows.push_back(row);
    }
    g.closing = static_cast<Amount>(balance);
    return g;
}

Result<Amount> CashBookClosingBalance(const SharedState& s) {
    const int count = s.LedgerHeader.LineCount;
    if (count < 1) return s.LedgerHeader.OpeningBalance;
    auto file = OpenYearLedger(s);
    if (!file) return file.error();
    ReferenceBalance reference(s.LedgerHeader, s.ItemTable);
    Amount balance = 0;
    for (int n = 1; n <= count; ++n) {
        auto line = file->ReadLine(n);
        if (!line) return line.error();
        auto b = reference.Next(n, *line);
        if (!b) return b.error();
        balance = *b;
    }
    return balance;
}

}  // namespace tabulo
