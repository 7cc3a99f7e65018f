#include "books/BooksChecks.h"

#include "books/Closing.h"
#include "cashbook/Overflow.h"
#include "store/SharedState.h"

namespace tabulo {

Result<BooksStanding> StandingOfBooks(const SharedState& s, const SlipBook& book,
                                      const TrialBalance& tb, bool keepsBooks) {
    BooksStanding b;
    b.keepsBooks = keepsBooks;
    b.hasOpenings = !book.Openings.empty();
    b.balances = tb.Balances();
    auto closing = [&](int code) -> Amount {
        const TrialBalanceRow* r = tb.Find(code);
        return r == nullptr ? 0 : r->closing;
    };
    b.unassigned = closing(AccountCode::Unassigned);
    b.cashAccount = closing(AccountCode::Cash);
    std::int64_t deposits = 0;
    for (int code : {102, 103, AccountCode::Deposits}) deposits += closing(code);
    auto sum = CheckedAmount(deposits);
    if (!sum) return OverflowError();
    b.depositAccounts = *sum;
    b.depositBook = s.DepositBook.CurrentTotal;
    auto cashBook = CashBookClosingBalance(s);
    if (!cashBook) return cashBook.error();
    b.cashBook = *cashBook;
    return b;
}

Result<BooksStanding> YearBooksStanding(const SharedState& s) {
    auto year = ReadYearTrial(s);
    if (!year) return year.error();
    if (!*year) return BooksStanding{};
    return StandingOfBooks(s, (*year)->book, (*year)->tb, true);
}

}  // namespace tabulo
