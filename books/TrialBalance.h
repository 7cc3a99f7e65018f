#pragma once
// The figures of the double-entry books: the trial balance (試算表) of the year and
// the general ledger (総勘定元帳) of one account with its running balance.

#include <string>
#include <vector>

#include "books/Entries.h"

namespace tabulo {

// Balances are signed with debit positive (an asset's or expense's balance is
// positive, a liability's, capital's or income's is negative), as a ledger tool
// prints them.
struct TrialBalanceRow {
    int code = 0;
    Amount opening = 0;  // 期首残高
    Amount debit = 0;    // 借方 of the year
    Amount credit = 0;   // 貸方 of the year
    Amount closing = 0;  // 期末残高 = opening + debit − credit
};

struct TrialBalance {
    // The accounts with an opening balance or an entry, in the chart's order.
    std::vector<TrialBalanceRow> rows;
    Amount openingDebit = 0, openingCredit = 0;  // the opening balances on each side
    Amount debitTotal = 0, creditTotal = 0;      // the year's entries
    Amount closingDebit = 0, closingCredit = 0;  // the debit and the credit balances
    int unassignedLines = 0;  // cash-book lines whose item names no account
    int firstUnassignedItem = 0;
    // Debits equal credits, from the opening balances to the closing ones.
    bool Balances() const {
        return openingDebit == openingCredit && debitTotal == creditTotal &&
               closingDebit == closingCredit;
    }
    const TrialBalanceRow* Find(int code) const;
};

// The trial balance of the year: the opening balances, every cash-book line through
// DeriveEntry, every slip and the closing entries. Reads the ledger's stored amounts in place. Any figure
// beyond 32 bits is an overflow error.
Result<TrialBalance> BuildTrialBalance(const SharedState& s, const SlipBook& book,
                                       const ItemAccountArray& chosen);

// The opening balances the year's books start from: those kept on 期首残高; in a year
// that kept none, 現金 at the cash book's opening balance with 元入金 to match, so that
// the cash account and the cash book agree from the first day. An overflow error
// when 元入金 would pass 32 bits.
Result<std::vector<OpeningBalance>> YearOpenings(const SharedState& s, const SlipBook& book);
// The same made the openings of `book`, for the screens and exports that only read
// the books (never for a book that is saved: a year without kept openings keeps none).
Status StartFromYearOpenings(const SharedState& s, SlipBook& book);
// What 期首残高 offers in a year that kept none: 現金 from the cash book's opening
// balance, その他の預金 (where the cash book's deposit lines go) from the deposit
// book's carried total, and 元入金 to match; the user may change each.
Result<std::vector<OpeningBalance>> OfferedOpenings(const SharedState& s);

// The opening balance of `code` signed with debit positive (0 when none is kept).
Amount SignedOpening(const SlipBook& book, int code);

struct GeneralLedgerRow {
    const BookEntry* entry = nullptr;
    int counterpart = 0;  // the account on the other side
    Amount debit = 0;
    Amount credit = 0;
    Amount balance = 0;  // on the account's own side: an asset's debit balance,
                         // a liability's credit balance, and so on
};

struct GeneralLedger {
    int code = 0;
    Amount opening = 0;  // on the account's own side
    std::vector<GeneralLedgerRow> rows;
    Amount closing = 0;
};

// The entries of `journal` that touch `code`, in journal order, with the running
// balance from the opening one. `journal` must outlive the result.
Result<GeneralLedger> BuildGeneralLedger(const std::vector<BookEntry>& journal,
                                         const SlipBook& book, int code);

// The cash book's own opening cash balance: the balance its first line carries in when
// that line is a carry-over (category 繰越), else the header's opening balance.
Result<Amount> CashBookOpeningBalance(const SharedState& s);

// The cash book's own closing cash balance: the running balance of its last line as
// the full recalculation gives it (each month restarting from its carry-over line).
Result<Amount> CashBookClosingBalance(const SharedState& s);

}  // namespace tabulo
