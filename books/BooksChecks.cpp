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
    b.cashOpening = SignedOpening(book, AccountCode::Cash);
    b.cashBookOpening = s.LedgerHeader.OpeningBalance;
    Status walked = WalkCashBookEntries(
        s, ItemAccountArray{}, [&](LedgerFile&, int, const std::byte* raw, const auto&) {
            const int item = GetRawInteger(raw + kLedgerItemOffset);
            if (item >= 1 && item <= kItemCount &&
                s.ItemTable[static_cast<std::size_t>(item)].ItemKubun == 7)
                b.cashBookCarried = true;
            return Ok();
        });
    if (!walked) return walked.error();
    return b;
}

Result<BooksStanding> YearBooksStanding(const SharedState& s) {
    auto year = ReadYearTrial(s);
    if (!year) return year.error();
    if (!*year) return BooksStanding{};
    return StandingOfBooks(s, (*year)->book, (*year)->tb, true);
}

}  // namespace tabulo
