// How a cash-book line becomes a journal entry, and the journal's order.

#include <gtest/gtest.h>

#include "books/Entries.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Year = testing::BooksYear;

TEST_F(Year, EachCategoryPostsToItsTwoAccounts) {
    struct Case {
        int item;
        Amount in, out;
        int debit, credit;
    } cases[] = {
        {Sales, 1000, 0, AccountCode::Cash, AccountCode::Sales},                 // 1
        {Withdrawal, 1000, 0, AccountCode::Cash, AccountCode::Deposits},         // 2
        {BankSales, 1000, 0, AccountCode::Deposits, AccountCode::Sales},         // 3
        {Purchases, 0, 1000, AccountCode::Purchases, AccountCode::Cash},         // 4
        {ToBank, 0, 1000, AccountCode::Deposits, AccountCode::Cash},             // 5
        {Phone, 0, 1000, 12, AccountCode::Deposits},                             // 6
        {Repayment, 0, 1000, AccountCode::Loans, AccountCode::Deposits},         // 6, chosen
        {Drawings, 0, 1000, AccountCode::OwnerDrawings, AccountCode::Cash},      // 4, chosen
        {Collection, 1000, 0, AccountCode::Cash, AccountCode::Receivables},      // 1, chosen
    };
    for (const Case& c : cases) {
        auto p = DeriveEntry(c.item, c.in, c.out, s.ItemTable, accounts);
        ASSERT_TRUE(p.ok());
        ASSERT_TRUE(p->has_value()) << "item " << c.item;
        EXPECT_EQ((*p)->debit, c.debit) << "item " << c.item;
        EXPECT_EQ((*p)->credit, c.credit) << "item " << c.item;
        EXPECT_EQ((*p)->amount, 1000);
        EXPECT_FALSE((*p)->unassigned);
    }
}

TEST_F(Year, CarryOverLinesWithoutItemAndZeroAmountsMakeNoEntry) {
    for (auto [item, in, out] : {std::tuple{CarryOver, 5000, 0}, std::tuple{0, 5000, 0},
                                 std::tuple{51, 5000, 0}, std::tuple{Sales, 0, 0},
                                 std::tuple{-3, 0, 100}}) {
        auto p = DeriveEntry(item, in, out, s.ItemTable, accounts);
        ASSERT_TRUE(p.ok());
        EXPECT_FALSE(p->has_value()) << "item " << item;
    }
    s.ItemTable[20].ItemKubun = 0;  // an item without a category
    auto p = DeriveEntry(20, 100, 0, s.ItemTable, accounts);
    ASSERT_TRUE(p.ok());
    EXPECT_FALSE(p->has_value());
}

TEST_F(Year, ANegativeCorrectionStaysOnTheSameSides) {
    auto p = DeriveEntry(Purchases, 0, -300, s.ItemTable, accounts);
    ASSERT_TRUE(p.ok() && p->has_value());
    EXPECT_EQ((*p)->debit, AccountCode::Purchases);
    EXPECT_EQ((*p)->amount, -300);
}

TEST_F(Year, AnItemWithoutAccountGoesToTheSuspenseAccount) {
    auto p = DeriveEntry(NoAccount, 0, 700, s.ItemTable, accounts);
    ASSERT_TRUE(p.ok() && p->has_value());
    EXPECT_EQ((*p)->debit, AccountCode::Unassigned);
    EXPECT_EQ((*p)->credit, AccountCode::Cash);
    EXPECT_TRUE((*p)->unassigned);
    // Deposit moves need no account of the item's own.
    auto q = DeriveEntry(ToBank, 0, 700, s.ItemTable, accounts);
    ASSERT_TRUE(q.ok() && q->has_value());
    EXPECT_FALSE((*q)->unassigned);
}

TEST_F(Year, ALineWhoseNetAmountPassesThirtyTwoBitsIsAnOverflow) {
    // Both columns filled (a damaged line): income less expense leaves the range.
    auto p = DeriveEntry(Sales, INT32_MAX, -1, s.ItemTable, accounts);
    ASSERT_FALSE(p.ok());
    EXPECT_EQ(p.error().code, FileErrorCode::Overflow);
}

TEST_F(Year, SlipsFollowTheCashBookLinesOfTheirDay) {
    Line("130101", CarryOver, 1000);
    Line("130105", Sales, 200, "午前");
    Line("      ", Sales, 300);  // no date: the day before it
    Line("130107", Purchases, 50);
    Slip("130107", AccountCode::Receivables, AccountCode::Sales, 9);
    Slip("130105", AccountCode::Receivables, AccountCode::Sales, 8);
    Slip("121231", AccountCode::Receivables, AccountCode::Sales, 7);
    Slip("130105", AccountCode::Receivables, AccountCode::Sales, 6);
    WriteLedger();
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    std::vector<std::string> order;
    for (const BookEntry& e : *journal)
        order.push_back((e.source == BookEntry::Slip ? "slip " : "line ") +
                        std::to_string(e.number) + " " + std::string(e.date));
    EXPECT_EQ(order, (std::vector<std::string>{"slip 3 121231", "line 2 130105",
                                               "line 3 130105", "slip 2 130105",
                                               "slip 4 130105", "line 4 130107",
                                               "slip 1 130107"}));
    EXPECT_EQ((*journal)[1].remarks, "午前");
    EXPECT_EQ((*journal)[1].itemNo, Sales);
}

TEST_F(Year, AnEmptyYearHasOnlyItsSlipsAndOpensNoLedger) {
    Slip("130301", AccountCode::Receivables, AccountCode::Sales, 9);
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    ASSERT_EQ(journal->size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(s.LedgerPath));
}

}  // namespace
}  // namespace tabulo
