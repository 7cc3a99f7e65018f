// Small years worked by hand: the trial balance balances, each account closes where
// the hand says, the cash account agrees with the cash book, and a cash-only year's
// profit-and-loss accounts give page 1 as it is today.

#include <gtest/gtest.h>

#include <filesystem>

#include "books/BooksFiles.h"
#include "books/TrialBalance.h"
#include "store/RollbackJournal.h"
#include "cashbook/Aggregation.h"
#include "taxreturn/StatementPage1.h"
#include "tests/books/BooksYear.h"
#include "tests/support/RollbackJournalWriter.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Year = testing::BooksYear;

// A year whose opening balances were never kept starts its cash account where the
// cash book starts (its carry-over line, else its header), with 元入金 to match, so
// the trial balance balances and the cash account agrees with the cash book; kept
// openings are never overridden, and nothing is written for it.
TEST_F(Year, AYearWithoutKeptOpeningsStartsItsCashAccountFromTheCashBook) {
    Line("130101", CarryOver, 45000);
    Line("130105", Sales, 30000);
    Line("130110", Purchases, 12000);
    TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    const TrialBalanceRow* cash = tb.Find(AccountCode::Cash);
    ASSERT_NE(cash, nullptr);
    EXPECT_EQ(cash->opening, 45000);
    EXPECT_EQ(Closing(tb, AccountCode::Capital), -45000);
    auto cashBook = CashBookClosingBalance(s);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(cash->closing, *cashBook);
    EXPECT_EQ(*cashBook, 63000);
    EXPECT_FALSE(std::filesystem::exists(SlipBookPath(s)));

    // The header's opening balance when the first line carries nothing in.
    lines.erase(lines.begin());
    WriteLedger();
    s.LedgerHeader.OpeningBalance = 7000;
    auto viaHeader = BuildTrialBalance(s, book, accounts);
    ASSERT_TRUE(viaHeader.ok());
    EXPECT_EQ(viaHeader->Find(AccountCode::Cash)->opening, 7000);
    EXPECT_TRUE(viaHeader->Balances());

    // Kept openings stand as kept.
    Opening(AccountCode::Cash, 1000);
    Opening(AccountCode::Capital, 1000);
    auto kept = BuildTrialBalance(s, book, accounts);
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->Find(AccountCode::Cash)->opening, 1000);
}

TEST_F(Year, CashOnlyYear) {
    Opening(AccountCode::Cash, 50000);
    Opening(AccountCode::Capital, 50000);
    Line("130101", CarryOver, 50000);
    Line("130105", Sales, 30000);
    Line("130110", Purchases, 12000);
    Line("130120", Supplies, 3000);
    Line("130201", CarryOver, 65000);
    Line("130215", Sales, 20000);
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    const TrialBalanceRow* cash = tb.Find(AccountCode::Cash);
    ASSERT_NE(cash, nullptr);
    EXPECT_EQ(cash->opening, 50000);
    EXPECT_EQ(cash->debit, 50000);
    EXPECT_EQ(cash->credit, 15000);
    EXPECT_EQ(cash->closing, 85000);
    EXPECT_EQ(Closing(tb, AccountCode::Sales), -50000);
    EXPECT_EQ(Closing(tb, AccountCode::Purchases), 12000);
    EXPECT_EQ(Closing(tb, 17), 3000);
    EXPECT_EQ(Closing(tb, AccountCode::Capital), -50000);
    EXPECT_EQ(tb.closingDebit, 100000);
    EXPECT_EQ(tb.closingCredit, 100000);
    EXPECT_EQ(tb.debitTotal, 65000);
    EXPECT_EQ(tb.unassignedLines, 0);
    // The rows follow the chart: page 1 first, then page 4.
    ASSERT_EQ(tb.rows.size(), 5u);
    EXPECT_EQ(tb.rows.front().code, AccountCode::Sales);
    EXPECT_EQ(tb.rows.back().code, AccountCode::Capital);

    auto cashBook = CashBookClosingBalance(s);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(*cashBook, cash->closing);

    // Page 1 from the item totals, as the statement screen computes it today.
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    const Page1Figures page1 = ComputePage1(s.ItemTable, *totals, 0, 0, 100000, 0);
    for (const TrialBalanceRow& r : tb.rows) {
        const Account* a = FindAccount(r.code);
        if (a->side != AccountSide::Income && a->side != AccountSide::Expense) continue;
        const Amount figure = a->side == AccountSide::Income ? -r.closing : r.closing;
        EXPECT_EQ(figure, page1.lines[static_cast<std::size_t>(r.code)]) << r.code;
    }
}

TEST_F(Year, CreditSaleAndItsCollection) {
    Opening(AccountCode::Cash, 10000);
    Opening(AccountCode::Capital, 10000);
    Line("130401", CarryOver, 10000);
    Slip("130405", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り");
    Line("130501", CarryOver, 10000);
    Line("130520", Collection, 80000);
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    const TrialBalanceRow* receivables = tb.Find(AccountCode::Receivables);
    ASSERT_NE(receivables, nullptr);
    EXPECT_EQ(receivables->debit, 80000);
    EXPECT_EQ(receivables->credit, 80000);
    EXPECT_EQ(receivables->closing, 0);
    EXPECT_EQ(Closing(tb, AccountCode::Sales), -80000);
    EXPECT_EQ(Closing(tb, AccountCode::Cash), 90000);
    auto cashBook = CashBookClosingBalance(s);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(*cashBook, 90000);

    // The receivable's ledger: up with the sale, back to 0 with the collection.
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    auto ledger = BuildGeneralLedger(*journal, book, AccountCode::Receivables);
    ASSERT_TRUE(ledger.ok());
    ASSERT_EQ(ledger->rows.size(), 2u);
    EXPECT_EQ(ledger->rows[0].debit, 80000);
    EXPECT_EQ(ledger->rows[0].counterpart, AccountCode::Sales);
    EXPECT_EQ(ledger->rows[0].balance, 80000);
    EXPECT_EQ(ledger->rows[1].credit, 80000);
    EXPECT_EQ(ledger->rows[1].counterpart, AccountCode::Cash);
    EXPECT_EQ(ledger->rows[1].balance, 0);
    EXPECT_EQ(ledger->rows[1].entry->source, BookEntry::CashBook);
}

TEST_F(Year, ALoanAndItsRepayment) {
    Opening(AccountCode::Cash, 20000);
    Opening(AccountCode::Deposits, 100000);
    Opening(AccountCode::Capital, 120000);
    Line("130101", CarryOver, 20000);
    Line("130110", Loan, 500000, "銀行融資");
    Line("130115", Withdrawal, 50000);
    Line("130131", Repayment, 100000);
    Line("130131", Interest, 5000);
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(Closing(tb, AccountCode::Cash), 70000);
    EXPECT_EQ(Closing(tb, AccountCode::Deposits), 445000);  // 100,000 + 500,000 − 155,000
    EXPECT_EQ(Closing(tb, AccountCode::Loans), -400000);
    EXPECT_EQ(Closing(tb, 22), 5000);
    EXPECT_EQ(tb.closingDebit, 520000);
    EXPECT_EQ(tb.closingCredit, 520000);
    auto cashBook = CashBookClosingBalance(s);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(*cashBook, 70000);

    // The loan's ledger runs on its credit side: 500,000 then 400,000.
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    auto ledger = BuildGeneralLedger(*journal, book, AccountCode::Loans);
    ASSERT_TRUE(ledger.ok());
    ASSERT_EQ(ledger->rows.size(), 2u);
    EXPECT_EQ(ledger->rows[0].balance, 500000);
    EXPECT_EQ(ledger->rows[1].balance, 400000);
    EXPECT_EQ(ledger->closing, 400000);
    // The deposit ledger starts from its opening balance.
    auto deposits = BuildGeneralLedger(*journal, book, AccountCode::Deposits);
    ASSERT_TRUE(deposits.ok());
    EXPECT_EQ(deposits->opening, 100000);
    ASSERT_EQ(deposits->rows.size(), 4u);
    EXPECT_EQ(deposits->rows[0].balance, 600000);
    EXPECT_EQ(deposits->rows[1].balance, 550000);
    EXPECT_EQ(deposits->closing, 445000);
}

TEST_F(Year, OwnersDrawingsAndContributions) {
    Opening(AccountCode::Cash, 30000);
    Opening(AccountCode::Capital, 30000);
    Line("130301", CarryOver, 30000);
    Line("130310", Drawings, 10000, "生活費");
    Slip("130320", 17, AccountCode::OwnerContributions, 2500, "私費で立替");
    Slip("130331", AccountCode::OwnerDrawings, AccountCode::Sales, 2000, "家事消費");
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(Closing(tb, AccountCode::OwnerDrawings), 12000);
    EXPECT_EQ(Closing(tb, AccountCode::OwnerContributions), -2500);
    EXPECT_EQ(Closing(tb, AccountCode::Sales), -2000);
    EXPECT_EQ(Closing(tb, 17), 2500);
    EXPECT_EQ(Closing(tb, AccountCode::Cash), 20000);
    auto cashBook = CashBookClosingBalance(s);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(*cashBook, 20000);
}

TEST_F(Year, OpeningBalancesThatDifferMakeTheTrialBalanceFail) {
    // 元入金 typed 1,000 short: the books cannot balance.
    Opening(AccountCode::Cash, 10000);
    Opening(AccountCode::Capital, 9000);
    Line("130101", Sales, 100);
    const TrialBalance tb = Trial();
    EXPECT_FALSE(tb.Balances());
    EXPECT_EQ(tb.openingDebit, 10000);
    EXPECT_EQ(tb.openingCredit, 9000);
    EXPECT_EQ(tb.debitTotal, tb.creditTotal);
}

TEST_F(Year, LinesOfAnItemWithoutAccountAreCountedAndStillBalance) {
    Line("130101", Sales, 1000);
    Line("130102", NoAccount, 300);
    Line("130103", NoAccount, 200);
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(tb.unassignedLines, 2);
    EXPECT_EQ(tb.firstUnassignedItem, NoAccount);
    EXPECT_EQ(Closing(tb, AccountCode::Unassigned), 500);
}

TEST_F(Year, AnAccountTotalBeyondThirtyTwoBitsIsAnOverflow) {
    Line("130101", Sales, 2000000000);
    Line("130102", Sales, 2000000000);
    WriteLedger();
    auto tb = BuildTrialBalance(s, book, accounts);
    ASSERT_FALSE(tb.ok());
    EXPECT_EQ(tb.error().code, FileErrorCode::Overflow);
}

// The walks of the books opened the ledger for writing even for a tool that never
// writes, and so rolled back a journal they found: the command line changed the books.
TEST_F(Year, AReadOnlyYearIsWalkedWithoutTouchingItsFilesOrJournal) {
    Line("130105", Sales, 5000, "a");
    Line("130106", Purchases, 2000, "b");
    WriteLedger();
    const std::string before = testing::ReadBytes(s.LedgerPath);
    std::string after = before;
    after.back() = 'x';  // a remark changed by an operation cut short
    auto bytes = [](const std::string& t) { return std::as_bytes(std::span(t.data(), t.size())); };
    const FileChange change{s.LedgerPath, true, bytes(before), bytes(after),
                            {{after.size() - 1, after.size()}}, {}};
    const std::vector<std::byte> journal = EncodeJournal(std::span<const FileChange>(&change, 1));
    testing::WriteBytes(s.LedgerPath, after);
    testing::WriteBytes(dir / "KEIRI13.JNL",
                        std::string(reinterpret_cast<const char*>(journal.data()), journal.size()));
    s.ReadOnly = true;
    auto tb = BuildTrialBalance(s, book, accounts);
    ASSERT_TRUE(tb.ok());
    EXPECT_EQ(Closing(*tb, AccountCode::Cash), 3000);
    EXPECT_TRUE(BuildJournal(s, book, accounts).ok());
    EXPECT_TRUE(CashBookClosingBalance(s).ok());
    EXPECT_EQ(testing::ReadBytes(s.LedgerPath), after);
    EXPECT_EQ(testing::ReadBytes(dir / "KEIRI13.JNL"),
              std::string(reinterpret_cast<const char*>(journal.data()), journal.size()));
}

}  // namespace
}  // namespace tabulo
