#pragma once
// How the year's double-entry books stand at the year end: whether they balance,
// whether the balance sheet's two sides agree, whether the cash and deposit accounts
// agree with the cash book and the deposit book, and so which special deduction they
// allow. The check of tabulo-cli and the statement screens read the same answer.

#include <cstdint>

#include "books/TrialBalance.h"

namespace tabulo {

// The special deductions of the blue return the books decide between.
inline constexpr Amount kElectronicBooksDeduction = 650000;  // 65万円: and kept as electronic books
inline constexpr Amount kDoubleEntryDeduction = 550000;  // 55万円: books by double entry
inline constexpr Amount kSimpleDeduction = 100000;       // 10万円: any other books

struct BooksStanding {
    // The year keeps a slip book (FURIKAE<nn>.DAT) with an opening balance sheet.
    bool keepsBooks = false;
    bool hasOpenings = false;
    bool balances = false;  // the trial balance, opening to closing
    // What is left on 未設定科目 at the year end: lines whose item names no account.
    // The balance sheet has no row for it, so its sides differ by this much.
    Amount unassigned = 0;
    // 現金 against the cash book's own closing balance.
    Amount cashAccount = 0, cashBook = 0;
    // 当座預金, 定期預金 and その他の預金 together against the deposit book's 現預金額.
    Amount depositAccounts = 0, depositBook = 0;

    // The cash account's opening balance, the cash book's own (its header) and
    // whether the cash book has a carry-over line (category 繰越) yet.
    Amount cashOpening = 0, cashBookOpening = 0;
    bool cashBookCarried = false;

    bool SidesAgree() const { return balances && unassigned == 0; }
    bool CashAgrees() const { return cashAccount == cashBook; }
    // A new year whose cash book has no carry-over line yet: the cash account and the
    // cash book differ by the opening cash that line will bring, and by nothing else.
    bool CashAwaitsCarryOver() const {
        return !CashAgrees() && !cashBookCarried && cashOpening != cashBookOpening &&
               std::int64_t{cashAccount} - cashBook ==
                   std::int64_t{cashOpening} - cashBookOpening;
    }
    bool DepositsAgree() const { return depositAccounts == depositBook; }
    // 55万円 when the year keeps its books by double entry from an opening balance
    // sheet, they balance and the balance sheet's sides agree; 10万円 otherwise.
    bool AllowsDoubleEntryDeduction() const { return keepsBooks && hasOpenings && SidesAgree(); }
    Amount DeductionLimit() const {
        return AllowsDoubleEntryDeduction() ? kDoubleEntryDeduction : kSimpleDeduction;
    }
};

// From the year in `s` (its cash book, the deposit book read into it and its
// tax-return tables), its slip book and item accounts, and their trial balance.
Result<BooksStanding> StandingOfBooks(const SharedState& s, const SlipBook& book,
                                      const TrialBalance& tb, bool keepsBooks);

// The same, reading the year's books files. A year without FURIKAE<nn>.DAT keeps no
// books: nothing is read or worked out, and the answer is only keepsBooks = false.
Result<BooksStanding> YearBooksStanding(const SharedState& s);

}  // namespace tabulo
