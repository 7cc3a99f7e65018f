#include "books/BooksChecks.h"

#include <filesystem>

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
    std::error_code ec;
    if (!std::filesystem::is_regular_file(SlipBookPath(s), ec)) return BooksStanding{};
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto chosen = LoadItemAccounts(ItemAccountsPath(s));
    if (!chosen) return chosen.error();
    auto tb = BuildTrialBalance(s, *book, *chosen);
    if (!tb) return tb.error();
    return StandingOfBooks(s, *book, *tb, true);
}

}  // namespace tabulo
