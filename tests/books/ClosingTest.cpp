// The year end of the double-entry books, worked by hand: the closing entries made
// from page 1's stock and page 3's depreciation, the books' standing (balance, sides,
// cash and deposits, the deduction they allow), page 1 from the journal, and the
// carry-over into the next year's opening balance sheet with 元入金 worked out.

#include <gtest/gtest.h>

#include "books/BooksChecks.h"
#include "books/Closing.h"
#include "books/TrialBalance.h"
#include "cashbook/Aggregation.h"
#include "store/DataSet.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Year = testing::BooksYear;

constexpr int kEquipment = 115;  // 工具器具備品
constexpr int kVehicles = 114;   // 車両運搬具
constexpr int kAssetPurchase = 15;

// A year with page 1's stock and page 3's assets typed as their screens store them.
class ClosingYear : public Year {
  protected:
    void SetUp() override {
        Year::SetUp();
        s.TaxReturnData = DefaultTaxReturnData();
        Item(kAssetPurchase, "備品購入", 4, 0);
        accounts[kAssetPurchase] = kEquipment;
    }
    void Stock(Amount opening, Amount closing) {
        StoreStatementEntry(s.TaxReturnData, kOpeningStockLine, opening);
        StoreStatementEntry(s.TaxReturnData, kClosingStockLine, closing);
    }
    // Page 3's row `row`: 償却費合計 `total`, 経費算入額 `business`; the totals row follows.
    void Asset(int row, const std::string& name, Amount total, Amount business) {
        Page3Data d = ReadPage3(s.TaxReturnData);
        AssetRow& a = d.assets[static_cast<std::size_t>(row)];
        a.Name1 = name;
        a.Goukei = total;
        a.Keihi = business;
        AssetRow& sum = d.assets[static_cast<std::size_t>(kAssetTotalRow)];
        sum.Goukei += total;
        sum.Keihi += business;
        WritePage3(s.TaxReturnData, d);
    }
    // The year's income (青色申告特別控除前の所得金額) as the trial balance gives it.
    static Amount Income(const TrialBalance& tb) {
        Amount income = 0;
        for (const TrialBalanceRow& r : tb.rows) {
            const AccountSide side = FindAccount(r.code)->side;
            if (side == AccountSide::Income || side == AccountSide::Expense) income -= r.closing;
        }
        return income;
    }
    void SaveBooks() {
        WriteLedger();
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
        ASSERT_TRUE(SaveItemAccounts(ItemAccountsPath(s), accounts).ok());
    }
};

TEST(ClosingEntries, AnAssetTakesItsAccountFromItsName) {
    EXPECT_EQ(AssetAccount("パソコン"), kEquipment);
    EXPECT_EQ(AssetAccount(""), kEquipment);
    EXPECT_EQ(AssetAccount("軽トラック"), kVehicles);
    EXPECT_EQ(AssetAccount("営業用自動車"), kVehicles);
    EXPECT_EQ(AssetAccount("店舗建物"), 111);
    EXPECT_EQ(AssetAccount("建物附属設備（電気）"), 112);
    EXPECT_EQ(AssetAccount("製麺機械"), 113);
}

TEST(ClosingEntries, EachFigureMakesItsEntryAndNoneForZero) {
    ClosingFigures f;
    EXPECT_TRUE(ClosingEntries(f)->empty());
    f.openingStock = 40000;
    f.closingStock = 55000;
    f.assets.push_back({1, "パソコン", 60000, 45000});
    f.assets.push_back({2, "軽トラック", 90000, 90000});  // used for the business only
    f.assets.push_back({3, "机", 10000, 12000});          // 経費算入額 typed above the whole
    auto e = ClosingEntries(f);
    ASSERT_TRUE(e.ok());
    ASSERT_EQ(e->size(), 6u);
    auto is = [&](std::size_t i, int debit, int credit, Amount amount) {
        EXPECT_EQ((*e)[i].posting.debit, debit) << i;
        EXPECT_EQ((*e)[i].posting.credit, credit) << i;
        EXPECT_EQ((*e)[i].posting.amount, amount) << i;
    };
    is(0, AccountCode::OpeningStock, AccountCode::Stock, 40000);
    is(1, AccountCode::Stock, AccountCode::ClosingStock, 55000);
    is(2, AccountCode::Depreciation, kEquipment, 45000);
    is(3, AccountCode::OwnerDrawings, kEquipment, 15000);  // the private quarter
    is(4, AccountCode::Depreciation, kVehicles, 90000);
    is(5, AccountCode::Depreciation, kEquipment, 12000);
    EXPECT_EQ((*e)[2].remarks, "減価償却費 パソコン");
    EXPECT_EQ((*e)[3].remarks, "減価償却費（家事分） パソコン");

    // Tables that were never read have no figures at all.
    EXPECT_TRUE(ReadClosingFigures(TaxReturnTables{}).assets.empty());
}

TEST_F(ClosingYear, AnAssetBoughtAndDepreciated) {
    Opening(AccountCode::Cash, 500000);
    Opening(AccountCode::Capital, 500000);
    Line("130101", CarryOver, 500000);
    Line("130401", CarryOver, 500000);  // each month starts from its carry-over
    Line("130401", kAssetPurchase, 300000, "パソコン");
    Asset(1, "パソコン", 60000, 48000);  // 8 of 10 parts for the business
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(Closing(tb, kEquipment), 240000);
    EXPECT_EQ(Closing(tb, AccountCode::Depreciation), 48000);
    EXPECT_EQ(Closing(tb, AccountCode::OwnerDrawings), 12000);
    EXPECT_EQ(Closing(tb, AccountCode::Cash), 200000);
    EXPECT_EQ(*CashBookClosingBalance(s), 200000);

    // The journal ends with the closing entries, dated 31 December.
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    ASSERT_EQ(journal->size(), 3u);
    const BookEntry& last = journal->back();
    EXPECT_EQ(last.source, BookEntry::Closing);
    EXPECT_EQ(last.date, "131231");
    EXPECT_EQ(last.number, 2);
    EXPECT_STREQ(EntrySourceName(last.source), "決算整理");
    auto ledger = BuildGeneralLedger(*journal, book, kEquipment);
    ASSERT_TRUE(ledger.ok());
    ASSERT_EQ(ledger->rows.size(), 3u);
    EXPECT_EQ(ledger->rows[1].balance, 252000);
    EXPECT_EQ(ledger->closing, 240000);
}

TEST_F(ClosingYear, OpeningAndClosingStockReachTheTrialBalanceAndPageOne) {
    Opening(AccountCode::Cash, 60000);
    Opening(AccountCode::Stock, 40000);
    Opening(AccountCode::Capital, 100000);
    Line("130101", CarryOver, 60000);
    Line("130110", Sales, 150000);
    Line("130120", Purchases, 100000);
    Stock(40000, 55000);
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(Closing(tb, AccountCode::Stock), 55000);
    EXPECT_EQ(Closing(tb, AccountCode::OpeningStock), 40000);
    EXPECT_EQ(Closing(tb, AccountCode::ClosingStock), -55000);
    EXPECT_EQ(Closing(tb, AccountCode::Purchases), 100000);
    // 150,000 − (40,000 + 100,000 − 55,000)
    EXPECT_EQ(Income(tb), 65000);
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    const Page1Figures page1 = OpeningPage1(s.ItemTable, *totals, s.TaxReturnData);
    EXPECT_EQ(page1.lines[2], 40000);
    EXPECT_EQ(page1.lines[5], 55000);
    EXPECT_EQ(page1.lines[6], 85000);
    EXPECT_EQ(page1.lines[43], Income(tb));
}

// The year of the hand: openings, cash-book lines, slips, an asset depreciated;
// carried to the next year with 元入金 = 元入金 + 所得 + 事業主借 − 事業主貸.
class CarriedYear : public ClosingYear {
  protected:
    void SetUp() override {
        ClosingYear::SetUp();
        Opening(AccountCode::Cash, 50000);
        Opening(AccountCode::Deposits, 200000);
        Opening(kEquipment, 300000);
        Opening(AccountCode::Loans, 150000);
        Opening(AccountCode::Capital, 400000);
        Line("130101", CarryOver, 50000);
        Line("130105", Sales, 400000);
        Line("130110", Purchases, 150000);
        Line("130120", Drawings, 120000, "生活費");
        Line("130125", ToBank, 100000);
        Line("130131", Repayment, 50000);
        Slip("130601", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り");
        Slip("130701", 17, AccountCode::OwnerContributions, 5000, "私費で立替");
        Asset(1, "パソコン", 60000, 45000);
        s.DepositBook.CurrentTotal = 250000;
    }
};

TEST_F(CarriedYear, EveryAccountClosesWhereTheHandSays) {
    const TrialBalance tb = Trial();
    EXPECT_TRUE(tb.Balances());
    EXPECT_EQ(Closing(tb, AccountCode::Cash), 80000);
    EXPECT_EQ(Closing(tb, AccountCode::Deposits), 250000);
    EXPECT_EQ(Closing(tb, AccountCode::Receivables), 80000);
    EXPECT_EQ(Closing(tb, kEquipment), 240000);
    EXPECT_EQ(Closing(tb, AccountCode::OwnerDrawings), 135000);
    EXPECT_EQ(Closing(tb, AccountCode::Loans), -100000);
    EXPECT_EQ(Closing(tb, AccountCode::OwnerContributions), -5000);
    EXPECT_EQ(Closing(tb, AccountCode::Capital), -400000);
    // 480,000 sales − 150,000 purchases − 5,000 supplies − 45,000 depreciation
    EXPECT_EQ(Income(tb), 280000);
    EXPECT_EQ(tb.closingDebit, 785000 + 45000 + 150000 + 5000);
}

TEST_F(CarriedYear, PageOneComesFromTheJournal) {
    const TrialBalance tb = Trial();
    SaveBooks();
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    auto slips = YearSlipFigures(s);
    ASSERT_TRUE(slips.ok());
    EXPECT_EQ(slips->lines[1], 80000);
    EXPECT_EQ(slips->lines[17], 5000);
    EXPECT_EQ(slips->sales[6], 80000);  // the credit sale of June
    EXPECT_EQ(slips->sales[7], 0);
    const Page1Figures page1 = OpeningPage1(s.ItemTable, *totals, s.TaxReturnData, &*slips);
    EXPECT_EQ(page1.lines[1], 480000);  // the credit sale joins the cash sales
    EXPECT_EQ(page1.lines[17], 5000);
    EXPECT_EQ(page1.lines[18], 45000);
    EXPECT_EQ(page1.lines[43], 280000);
    EXPECT_EQ(page1.lines[43], Income(tb));
    // Every profit-and-loss account of the trial balance is its page-1 line.
    for (const TrialBalanceRow& r : tb.rows) {
        const AccountSide side = FindAccount(r.code)->side;
        if (side != AccountSide::Income && side != AccountSide::Expense) continue;
        EXPECT_EQ(side == AccountSide::Income ? -r.closing : r.closing,
                  page1.lines[static_cast<std::size_t>(r.code)])
            << r.code;
    }
    // Without the slips the page is the cash book's alone, as before.
    const Page1Figures cashOnly = OpeningPage1(s.ItemTable, *totals, s.TaxReturnData);
    EXPECT_EQ(cashOnly.lines[1], 400000);
    EXPECT_EQ(cashOnly.lines[17], 0);
}

TEST_F(CarriedYear, TheNextYearOpensWithCapitalWorkedOutByHand) {
    const TrialBalance tb = Trial();
    auto carried = CarriedOpenings(tb);
    ASSERT_TRUE(carried.ok());
    // 元入金 400,000 + 所得 280,000 + 事業主借 5,000 − 事業主貸 135,000 = 550,000,
    // which is the assets 650,000 less the loan 100,000.
    const std::vector<OpeningBalance> expected = {
        {AccountCode::Cash, 80000},       {AccountCode::Deposits, 250000},
        {AccountCode::Receivables, 80000}, {kEquipment, 240000},
        {AccountCode::Loans, 100000},     {AccountCode::Capital, 550000}};
    EXPECT_EQ(*carried, expected);

    // Read from the year's files, as the next-year disk does.
    SaveBooks();
    auto next = NextYearSlipBook(s);
    ASSERT_TRUE(next.ok());
    ASSERT_TRUE(next->has_value());
    EXPECT_EQ((*next)->Openings, expected);
    EXPECT_TRUE((*next)->Slips.empty());

    // The next year's books open balanced.
    book = **next;
    lines.clear();
    s.TaxReturnData = DefaultTaxReturnData();
    const TrialBalance nextTb = Trial();
    EXPECT_TRUE(nextTb.Balances());
    EXPECT_EQ(nextTb.openingDebit, 650000);
    EXPECT_EQ(nextTb.openingCredit, 650000);
}

TEST_F(CarriedYear, AYearWithoutASlipBookCarriesNone) {
    WriteLedger();
    auto next = NextYearSlipBook(s);
    ASSERT_TRUE(next.ok());
    EXPECT_FALSE(next->has_value());
}

TEST_F(CarriedYear, BooksThatBalanceAllowTheDoubleEntryDeduction) {
    SaveBooks();
    auto standing = YearBooksStanding(s);
    ASSERT_TRUE(standing.ok());
    EXPECT_TRUE(standing->keepsBooks);
    EXPECT_TRUE(standing->balances);
    EXPECT_TRUE(standing->SidesAgree());
    EXPECT_EQ(standing->cashAccount, 80000);
    EXPECT_EQ(standing->cashBook, 80000);
    EXPECT_TRUE(standing->CashAgrees());
    EXPECT_TRUE(standing->DepositsAgree());
    EXPECT_TRUE(standing->AllowsDoubleEntryDeduction());
    EXPECT_EQ(standing->DeductionLimit(), 550000);
}

TEST_F(CarriedYear, WhatCostsTheDoubleEntryDeduction) {
    // Cash and deposits that disagree with their books are reported but do not decide.
    s.DepositBook.CurrentTotal = 240000;
    book.Openings[0].Balance = 60000;  // 現金 typed 10,000 high
    book.Openings[4].Balance = 410000;
    SaveBooks();
    auto standing = YearBooksStanding(s);
    ASSERT_TRUE(standing.ok());
    EXPECT_EQ(standing->cashAccount, 90000);
    EXPECT_FALSE(standing->CashAgrees());
    EXPECT_EQ(standing->depositAccounts, 250000);
    EXPECT_FALSE(standing->DepositsAgree());
    EXPECT_TRUE(standing->AllowsDoubleEntryDeduction());

    // Opening balances that differ.
    book.Openings[4].Balance = 400000;
    SaveBooks();
    EXPECT_FALSE(YearBooksStanding(s)->AllowsDoubleEntryDeduction());
    EXPECT_EQ(YearBooksStanding(s)->DeductionLimit(), 100000);

    // A line whose item names no account: the sheet has no row for it.
    book.Openings[4].Balance = 410000;
    Line("130201", NoAccount, 300);
    SaveBooks();
    auto unassigned = YearBooksStanding(s);
    ASSERT_TRUE(unassigned.ok());
    EXPECT_TRUE(unassigned->balances);
    EXPECT_EQ(unassigned->unassigned, 300);
    EXPECT_FALSE(unassigned->SidesAgree());
    EXPECT_FALSE(unassigned->AllowsDoubleEntryDeduction());

    // No opening balance sheet: single-entry books.
    lines.pop_back();
    book.Openings.clear();
    SaveBooks();
    EXPECT_FALSE(YearBooksStanding(s)->AllowsDoubleEntryDeduction());
}

TEST(DeductionOffer, TheLimitGoesToRealEstateFirstThenToTheBusiness) {
    DeductionOffer o = OfferDeduction(true, 0, 2000000);
    EXPECT_EQ(o.limit, 550000);
    EXPECT_EQ(o.figures[8], 0);
    EXPECT_EQ(o.figures[9], 550000);
    EXPECT_EQ(o.figures[11], 0);
    o = OfferDeduction(true, 200000, 2000000);
    EXPECT_EQ(o.figures[8], 200000);
    EXPECT_EQ(o.figures[9], 350000);
    o = OfferDeduction(true, 0, 300000);  // never more than the income
    EXPECT_EQ(o.figures[9], 300000);
    o = OfferDeduction(true, -50000, -10000);  // losses take nothing
    EXPECT_EQ(o.figures[8], 0);
    EXPECT_EQ(o.figures[9], 0);
    o = OfferDeduction(false, 30000, 2000000);
    EXPECT_EQ(o.limit, 100000);
    EXPECT_EQ(o.figures[8], 0);
    EXPECT_EQ(o.figures[9], 0);
    EXPECT_EQ(o.figures[10], 30000);
    EXPECT_EQ(o.figures[11], 70000);
}

TEST(DeductionOffer, PageOneTakesTheDeductionTheYearClaims) {
    TaxReturnTables t = DefaultTaxReturnData();
    Page2Data d = ReadPage2(t);
    d.Syukei[11] = 100000;
    WritePage2(t, d);
    EXPECT_EQ(StoredDeduction(t), 100000);
    d.Syukei[9] = 550000;
    d.Syukei[11] = 0;
    WritePage2(t, d);
    EXPECT_EQ(StoredDeduction(t), 550000);
}

}  // namespace
}  // namespace tabulo
