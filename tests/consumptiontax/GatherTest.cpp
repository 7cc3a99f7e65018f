// The year's amounts by tax category read from the books: each item's category from
// its account or the user's choice, slips by their accounts, and the return worked
// from a small year.

#include <gtest/gtest.h>

#include "consumptiontax/ConsumptionTax.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using testing::BooksYear;
namespace Item = testing::BookItem;

TEST(TaxCategoryDefaults, EachAccountTakesItsCategory) {
    EXPECT_EQ(DefaultTaxCategory(AccountCode::Sales), TaxCategory::Sales10);
    EXPECT_EQ(DefaultTaxCategory(AccountCode::Purchases), TaxCategory::Purchase10);
    EXPECT_EQ(DefaultTaxCategory(12), TaxCategory::Purchase10);  // 通信費
    EXPECT_EQ(DefaultTaxCategory(31), TaxCategory::Purchase10);  // 雑費
    for (int outside : {8, 18, 20, 24, 38})  // 租税公課 減価償却費 給料賃金 貸倒金 専従者給与
        EXPECT_EQ(DefaultTaxCategory(outside), TaxCategory::OutOfScope) << outside;
    EXPECT_EQ(DefaultTaxCategory(15), TaxCategory::ExemptPurchase);  // 損害保険料
    EXPECT_EQ(DefaultTaxCategory(22), TaxCategory::ExemptPurchase);  // 利子割引料
    EXPECT_EQ(DefaultTaxCategory(114), TaxCategory::Purchase10);     // 車両運搬具
    EXPECT_EQ(DefaultTaxCategory(116), TaxCategory::ExemptPurchase); // 土地
    EXPECT_EQ(DefaultTaxCategory(AccountCode::Loans), TaxCategory::OutOfScope);
    EXPECT_EQ(DefaultTaxCategory(AccountCode::Receivables), TaxCategory::OutOfScope);
    EXPECT_STREQ(TaxCategoryName(TaxCategory::Purchase10NoInvoice), "課税仕入10%（適格請求書なし）");
    EXPECT_FALSE(TaxCategoryFromValue(11).has_value());
}

class TaxBooksYear : public BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        s.EraName = "令和";
        s.FiscalYear = 8;
    }
    TaxTotals Gather() {
        WriteLedger();
        auto t = GatherTaxTotals(s, book, accounts, settings, 2026);
        EXPECT_TRUE(t.ok()) << (t.ok() ? "" : t.error().detail);
        return t.ok() ? *t : TaxTotals{};
    }
    TaxSettings settings;
};

TEST_F(TaxBooksYear, CashBookLinesAndSlipsAreSummedByTheirCategory) {
    Line("080105", Item::Sales, 110000);
    Line("080110", Item::Purchases, 33000);
    Line("080111", Item::Phone, 5500);
    Line("080112", Item::Interest, 1200);     // 利子割引料: exempt
    Line("080113", Item::Repayment, 50000);   // 借入金: outside the tax
    Line("080114", Item::Collection, 22000);  // 売掛金回収: outside the tax
    Slip("080120", AccountCode::Receivables, AccountCode::Sales, 22000, "掛売り");
    Slip("080121", AccountCode::Purchases, AccountCode::Payables, 11000, "掛仕入");
    Slip("080122", 114, AccountCode::Loans, 2200000, "車");
    Slip("080123", 116, AccountCode::Loans, 5000000, "土地");
    const TaxTotals t = Gather();
    EXPECT_EQ(t.Sales[0][0], 132000);
    EXPECT_EQ(t.Purchases[0], 33000 + 5500 + 11000 + 2200000);
    EXPECT_EQ(t.ExemptPurchases, 1200 + 5000000);
    EXPECT_EQ(t.OutOfScope, 50000 + 22000);
    EXPECT_EQ(t.ByMonth[static_cast<std::size_t>(TaxCategory::Sales10)][1], 132000);
}

TEST_F(TaxBooksYear, AnItemsOwnCategoryAndClassComeBeforeItsAccounts) {
    Line("080615", Item::Supplies, 110000);
    Line("081110", Item::Supplies, 55000);
    Line("080301", Item::Sales, 108000);
    settings.ItemCategory[Item::Supplies] = TaxCategory::Purchase10NoInvoice;
    settings.ItemCategory[Item::Sales] = TaxCategory::Sales8;
    settings.ItemClass[Item::Sales] = 2;
    const TaxTotals t = Gather();
    EXPECT_EQ(t.Purchases[0], 0);
    ASSERT_EQ(t.NoInvoicePurchases[0].size(), 2u);
    EXPECT_EQ(t.NoInvoicePurchases[0].at(20260615), 110000);
    EXPECT_EQ(t.NoInvoicePurchases[0].at(20261110), 55000);
    EXPECT_EQ(t.Sales[1][2], 108000);
    const MethodReturn r = ComputeMethod(t, settings, TaxMethod::General, 2026);
    EXPECT_EQ(r.Deduction, 6240 + 2730);
}

TEST_F(TaxBooksYear, ASalesReturnAndARefundLessenTheirCategory) {
    Line("080105", Item::Sales, 110000);
    Slip("080201", AccountCode::Sales, AccountCode::Cash, 11000, "返品");
    Line("080110", Item::Purchases, 33000);
    Slip("080202", AccountCode::Cash, AccountCode::Purchases, 3300, "値引");
    const TaxTotals t = Gather();
    EXPECT_EQ(t.Sales[0][0], 99000);
    EXPECT_EQ(t.Purchases[0], 29700);
}

// A single line's own category: a mark in its remarks, whatever its item says.
TEST(LineTaxMarks, EachMarkGivesItsCategory) {
    using C = TaxCategory;
    EXPECT_EQ(LineTaxCategory(C::Sales10, false, "店頭"), C::Sales10);  // no mark
    EXPECT_EQ(LineTaxCategory(C::Sales10, false, "【軽】店頭"), C::Sales8);
    EXPECT_EQ(LineTaxCategory(C::Sales8, false, "配達【標】"), C::Sales10);
    EXPECT_EQ(LineTaxCategory(C::Sales10, false, "【輸】"), C::ZeroRatedSales);
    EXPECT_EQ(LineTaxCategory(C::Sales10, false, "【非】"), C::ExemptSales);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "【免】"), C::Purchase10NoInvoice);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "【軽】【免】"), C::Purchase8NoInvoice);
    EXPECT_EQ(LineTaxCategory(C::Purchase10NoInvoice, false, "【軽】"), C::Purchase8NoInvoice);
    EXPECT_EQ(LineTaxCategory(C::Purchase8, false, "【標】"), C::Purchase10);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "【外】"), C::OutOfScope);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "【非】"), C::ExemptPurchase);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "【輸】"), C::Purchase10);  // a purchase is no export
    // A line outside the tax or exempt that a mark makes taxed: the side of its entry.
    EXPECT_EQ(LineTaxCategory(C::ExemptPurchase, false, "【標】"), C::Purchase10);
    EXPECT_EQ(LineTaxCategory(C::OutOfScope, true, "【標】"), C::Sales10);
    EXPECT_EQ(LineTaxCategory(C::OutOfScope, false, "【軽】"), C::Purchase8);
    EXPECT_EQ(LineTaxCategory(C::OutOfScope, true, "【免】"), C::Sales10);  // a sale needs no invoice
    // Half-width or other brackets are not marks.
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "[免]"), C::Purchase10);
    EXPECT_EQ(LineTaxCategory(C::Purchase10, false, "免税店"), C::Purchase10);
}

TEST_F(TaxBooksYear, AMarkedLineOrSlipTakesItsOwnCategoryAndIsListed) {
    Line("080105", Item::Sales, 108000, "【軽】弁当");
    Line("080106", Item::Sales, 110000);
    Line("080615", Item::Phone, 11000, "【免】個人");
    Line("081110", Item::Phone, 5500);
    Slip("080120", AccountCode::Purchases, AccountCode::Payables, 21600, "【軽】【免】農家");
    Slip("080121", 12, AccountCode::Cash, 3300, "【外】会費");  // 通信費 by slip
    const TaxTotals t = Gather();
    EXPECT_EQ(t.Sales[1][0], 108000);
    EXPECT_EQ(t.Sales[0][0], 110000);
    EXPECT_EQ(t.Purchases[0], 5500);
    EXPECT_EQ(t.NoInvoicePurchases[0].at(20260615), 11000);
    EXPECT_EQ(t.NoInvoicePurchases[1].at(20260120), 21600);
    EXPECT_EQ(t.OutOfScope, 3300);
    ASSERT_EQ(t.Marked.size(), 4u);
    // In the journal's order: the slips of 20 and 21 January after the lines of 5 and 6.
    EXPECT_FALSE(t.Marked[0].Slip);
    EXPECT_EQ(t.Marked[0].Number, 1);
    EXPECT_EQ(t.Marked[0].Usual, TaxCategory::Sales10);
    EXPECT_EQ(t.Marked[0].Marked, TaxCategory::Sales8);
    EXPECT_TRUE(t.Marked[1].Slip);
    EXPECT_EQ(t.Marked[1].Number, 1);
    EXPECT_EQ(t.Marked[1].Marked, TaxCategory::Purchase8NoInvoice);
    EXPECT_EQ(t.Marked[2].Marked, TaxCategory::OutOfScope);
    EXPECT_EQ(t.Marked[3].Number, 3);
    EXPECT_EQ(t.Marked[3].Amount, 11000);
    EXPECT_EQ(t.Marked[3].Marked, TaxCategory::Purchase10NoInvoice);
}

}  // namespace
}  // namespace tabulo
