// What the screens of the books rely on below them: changing and removing a slip, the
// slips in date order, the opening sides and the 元入金 that balances them, keeping the
// items' accounts, and the rows of the journal, ledger and trial-balance views.

#include <gtest/gtest.h>

#include "books/BookRows.h"
#include "books/Slips.h"
#include "cashbook/Overflow.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"
#include "tests/books/BooksYear.h"
#include "tests/books/SmallYear.h"
#include "tests/support/RollbackJournalWriter.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Year = testing::BooksYear;
using testing::ReadBytes;

TEST_F(Year, AChangedSlipKeepsItsNumberAndARemovedOneLeavesTheFile) {
    WriteLedger();
    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130410", 106, 1, 5000, "掛売り"}).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130402", 130, 1, 700, "家事消費"}).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130402", 202, 204, 900, ""}).ok());
    // Date order, one day's slips in the order kept.
    EXPECT_EQ(SlipsByDate(book), (std::vector<std::size_t>{1, 2, 0}));

    ASSERT_TRUE(ChangeSlip(s, accounts, book, 0, {"130401", 106, 1, 6000, "掛売り"}).ok());
    EXPECT_EQ(book.Slips[0].SlipAmount, 6000);
    EXPECT_EQ(SlipsByDate(book), (std::vector<std::size_t>{0, 1, 2}));
    auto read = LoadSlipBook(SlipBookPath(s));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, book);

    ASSERT_TRUE(DeleteSlip(s, accounts, book, 1).ok());
    ASSERT_EQ(book.Slips.size(), 2u);
    EXPECT_EQ(book.Slips[1].SlipAmount, 900);
    read = LoadSlipBook(SlipBookPath(s));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, book);
}

TEST_F(Year, ARefusedChangeOrRemovalWritesNothing) {
    Line("130101", Sales, 2000000000);
    WriteLedger();
    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130102", 106, 1, 100000000, ""}).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130103", 1, 106, 10000000, "返品"}).ok());
    const std::string before = ReadBytes(SlipBookPath(s));
    const SlipBook kept = book;
    // Faulty, outside the year, or carrying 売上 past 32 bits.
    EXPECT_FALSE(ChangeSlip(s, accounts, book, 0, {"130102", 106, 106, 1, ""}).ok());
    EXPECT_EQ(ChangeSlip(s, accounts, book, 0, {"140102", 106, 1, 1, ""}).error().detail,
              kSlipYearMessage);
    EXPECT_EQ(ChangeSlip(s, accounts, book, 0, {"130102", 106, 1, 200000000, ""}).error().detail,
              kOverflowMessage);
    // The return turned into a second sale on credit: 売上's credits would reach
    // 2,150,000,000. (The year's debits and credits as a whole are bound too.)
    EXPECT_EQ(ChangeSlip(s, accounts, book, 1, {"130103", 106, 1, 50000000, ""}).error().detail,
              kOverflowMessage);
    EXPECT_FALSE(ChangeSlip(s, accounts, book, 2, {"130102", 106, 1, 1, ""}).ok());
    EXPECT_FALSE(DeleteSlip(s, accounts, book, 2).ok());
    EXPECT_EQ(book, kept);
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), before);
}

// A cash-book operation cut short after its files were written leaves a journal that
// still counts; a slip kept afterwards settles it first, so that the journal can never
// be applied over the folder later.
TEST_F(Year, KeepingASlipSettlesAnUnfinishedCashBookJournalFirst) {
    Line("130105", Sales, 1000);
    WriteLedger();
    const std::string now = ReadBytes(s.LedgerPath);
    std::string old = now;
    old.back() = static_cast<char>(old.back() ^ 0x01);
    auto bytes = [](const std::string& text) {
        return std::vector<std::byte>(reinterpret_cast<const std::byte*>(text.data()),
                                      reinterpret_cast<const std::byte*>(text.data()) + text.size());
    };
    const std::vector<std::byte> before = bytes(old), after = bytes(now);
    FileChange change;
    change.path = s.LedgerPath;
    change.before = before;
    change.after = after;
    change.ranges = {{now.size() - 4, now.size()}};
    const std::vector<std::byte> journal = EncodeJournal(std::span<const FileChange>(&change, 1));
    const auto journalPath = JournalPathFor(s.LedgerPath);
    testing::WriteBytes(journalPath, std::string(reinterpret_cast<const char*>(journal.data()),
                                                 journal.size()));
    ASSERT_TRUE(JournalIsLive(journalPath));

    ASSERT_TRUE(KeepSlip(s, accounts, book, {"130410", 106, 1, 5000, ""}).ok());
    EXPECT_FALSE(JournalIsLive(journalPath));
    EXPECT_EQ(ReadBytes(s.LedgerPath), now);  // the operation had finished: kept as written
    EXPECT_EQ(LoadSlipBook(SlipBookPath(s))->Slips.size(), 1u);

    // The items' accounts settle the same way.
    testing::WriteBytes(journalPath, std::string(reinterpret_cast<const char*>(journal.data()),
                                                 journal.size()));
    ASSERT_TRUE(JournalIsLive(journalPath));
    ItemAccountArray changed{};
    changed[NoAccount] = AccountCode::OwnerDrawings;
    ASSERT_TRUE(KeepItemAccounts(s, book, accounts, changed).ok());
    EXPECT_FALSE(JournalIsLive(journalPath));
}

TEST(OpeningSides, TheSidesAndTheCapitalThatBalancesThem) {
    const std::vector<OpeningBalance> openings = {
        {AccountCode::Cash, 300000}, {AccountCode::Receivables, 120000},
        {AccountCode::Loans, 250000}, {AccountCode::Payables, 20000}, {AccountCode::Capital, 1}};
    auto sides = SumOpenings(openings);
    ASSERT_TRUE(sides.ok());
    EXPECT_EQ(sides->debit, 420000);
    EXPECT_EQ(sides->credit, 270001);
    EXPECT_FALSE(sides->Balances());
    // 元入金 = 420,000 − 250,000 − 20,000, whatever it held before.
    auto capital = BalancingCapital(openings);
    ASSERT_TRUE(capital.ok());
    EXPECT_EQ(*capital, 150000);
    // Liabilities above the assets: a negative 元入金.
    auto negative = BalancingCapital({{AccountCode::Cash, 1000}, {AccountCode::Loans, 5000}});
    ASSERT_TRUE(negative.ok());
    EXPECT_EQ(*negative, -4000);
    EXPECT_EQ(SumOpenings({{AccountCode::Cash, 2000000000}, {AccountCode::Receivables, 2000000000}})
                  .error()
                  .detail,
              kOverflowMessage);
    EXPECT_FALSE(BalancingCapital({{AccountCode::Cash, 2000000000}, {AccountCode::Loans, -2000000000}})
                     .ok());
    EXPECT_FALSE(BalancingCapital({{AccountCode::Loans, 2147483647}, {AccountCode::Payables, 1}}).ok());
}

TEST_F(Year, ItemAccountsAreCheckedThenKeptInTheirOwnFile) {
    Line("130105", NoAccount, 4000);
    WriteLedger();
    ItemAccountArray chosen{};
    ItemAccountArray changed{};
    changed[NoAccount] = AccountCode::OwnerDrawings;
    ASSERT_TRUE(KeepItemAccounts(s, book, chosen, changed).ok());
    EXPECT_EQ(chosen, changed);
    auto read = LoadItemAccounts(ItemAccountsPath(s));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ((*read)[NoAccount], AccountCode::OwnerDrawings);

    const std::string before = ReadBytes(ItemAccountsPath(s));
    ItemAccountArray wrong = changed;
    wrong[Drawings] = AccountCode::Sales;  // not on the balance sheet
    EXPECT_FALSE(KeepItemAccounts(s, book, chosen, wrong).ok());
    EXPECT_EQ(chosen, changed);
    EXPECT_EQ(ReadBytes(ItemAccountsPath(s)), before);
}

TEST_F(Year, ItemAccountsThatWouldCarryAnAccountPastThirtyTwoBitsAreRefused) {
    Line("130105", NoAccount, 2000000000);
    Line("130106", Drawings, 2000000000);
    WriteLedger();
    ItemAccountArray chosen{};
    ItemAccountArray changed{};
    changed[NoAccount] = AccountCode::OwnerDrawings;
    changed[Drawings] = AccountCode::OwnerDrawings;
    const Status st = KeepItemAccounts(s, book, chosen, changed);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().detail, kOverflowMessage);
    EXPECT_EQ(chosen, ItemAccountArray{});
    EXPECT_FALSE(std::filesystem::exists(ItemAccountsPath(s)));
}

class SmallYear : public testing::WithSmallYear<Year> {
  protected:
    void SetUp() override {
        WithSmallYear::SetUp();
        auto j = BuildJournal(s, book, accounts);
        ASSERT_TRUE(j.ok());
        journal = *j;
    }
    std::vector<BookEntry> journal;
};

TEST_F(SmallYear, TheJournalViewShowsTheOpeningsThenEveryEntry) {
    const auto rows = JournalViewRows(journal, book, s.ItemTable);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (JournalViewRow{"期首", "現金", "", "1,000", "期首残高", ""}));
    EXPECT_EQ(rows[1], (JournalViewRow{"期首", "", "元入金", "1,000", "期首残高", ""}));
    EXPECT_EQ(rows[2], (JournalViewRow{"130105", "現金", "売上（収入）金額", "10,000",
                                       "売上　店頭", "出納簿 1"}));
    EXPECT_EQ(rows[3], (JournalViewRow{"130110", "仕入金額", "現金", "3,000", "仕入", "出納簿 2"}));
    EXPECT_EQ(rows[4], (JournalViewRow{"130120", "売掛金", "売上（収入）金額", "5,000", "掛売り",
                                       "振替伝票 1"}));
}

TEST_F(SmallYear, TheLedgerViewRunsTheBalanceFromTheOpeningOne) {
    auto cash = BuildGeneralLedger(journal, book, AccountCode::Cash);
    ASSERT_TRUE(cash.ok());
    const auto rows = LedgerViewRows(*cash, s.ItemTable);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (LedgerViewRow{"期首", "", "前期繰越", "", "", "1,000"}));
    EXPECT_EQ(rows[1], (LedgerViewRow{"130105", "売上（収入）金額", "売上　店頭", "10,000", "",
                                      "11,000"}));
    EXPECT_EQ(rows[2], (LedgerViewRow{"130110", "仕入金額", "仕入", "", "3,000", "8,000"}));
    EXPECT_EQ(rows[3], (LedgerViewRow{"", "", "合計", "10,000", "3,000", "8,000"}));
    // A credit account's balance grows on its own side.
    auto sales = BuildGeneralLedger(journal, book, AccountCode::Sales);
    ASSERT_TRUE(sales.ok());
    EXPECT_EQ(LedgerViewRows(*sales, s.ItemTable).back(),
              (LedgerViewRow{"", "", "合計", "0", "15,000", "15,000"}));
    EXPECT_EQ(LedgerAccounts(journal, book),
              (std::vector<int>{AccountCode::Sales, AccountCode::Purchases, AccountCode::Cash,
                                AccountCode::Receivables, AccountCode::Capital}));
}

TEST_F(SmallYear, TheTrialBalanceViewTotalsToZeroWhenTheBooksBalance) {
    auto tb = BuildTrialBalance(s, book, accounts);
    ASSERT_TRUE(tb.ok());
    const auto rows = TrialBalanceViewRows(*tb, s.ItemTable);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (TrialBalanceViewRow{"売上（収入）金額", "0", "0", "15,000", "-15,000"}));
    EXPECT_EQ(rows[2], (TrialBalanceViewRow{"現金", "1,000", "10,000", "3,000", "8,000"}));
    EXPECT_EQ(rows[4], (TrialBalanceViewRow{"元入金", "-1,000", "0", "0", "-1,000"}));
    EXPECT_EQ(rows[5], (TrialBalanceViewRow{"合計", "0", "18,000", "18,000", "0"}));
    EXPECT_EQ(TrialBalanceNote(*tb, s.ItemTable), kBooksBalance);
}

TEST_F(Year, TheTrialBalanceNoteNamesUnbalancedOpeningsAndItemsWithoutAnAccount) {
    Opening(AccountCode::Cash, 500);
    Line("130105", NoAccount, 4000);
    Line("130106", NoAccount, 1000);
    const TrialBalance tb = Trial();
    EXPECT_EQ(TrialBalanceNote(tb, s.ItemTable),
              std::string(kBooksDoNotBalance) +
                  "　勘定科目のない項目の行が 2 行あります（項目 12 雑支出）。");
}

TEST_F(Year, TheSlipViewListsTheSlipsByDateWithTheirNumbers) {
    Slip("130410", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
    Slip("130402", AccountCode::OwnerDrawings, AccountCode::Sales, 700, "家事消費");
    std::vector<std::size_t> order;
    const auto rows = SlipViewRows(book, s.ItemTable, order);
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 0}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (SlipViewRow{"2", "130402", "事業主貸", "売上（収入）金額", "700", "家事消費"}));
    EXPECT_EQ(rows[1], (SlipViewRow{"1", "130410", "売掛金", "売上（収入）金額", "5,000", "掛売り"}));
}

}  // namespace
}  // namespace tabulo
