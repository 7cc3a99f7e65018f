// The item ledger: the lines of one item with its totals as the screen lists them,
// and their printout on the ruled pages under the year's title.
#include <gtest/gtest.h>

#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "reports/ItemLedger.h"
#include "reports/LedgerPages.h"
#include "tests/reports/ReportFixture.h"

namespace tabulo {
namespace {

using testing::ExpectLines;
using testing::FakePrompt;
using testing::HeaderHex;
using testing::kSun;
using testing::LineHex;
using testing::TextsAt;

constexpr const char* kTen = "          ";

class ItemLedger : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        s.EraName = "令和";
        s.FiscalYear = 8;
        s.ReportTitleName = "山田商店";
        const std::string remark = testing::AsciiHex("ABC DEF         ");
        Load(HeaderHex(5) +                                           //
             LineHex("080401", kSun, 4, 0, 300, 0, remark.c_str()) +  //
             LineHex("080402", kSun, 1, 1000, 0, 0) +                 //
             LineHex("080405", kSun, 4, 50, 0, 0) +                   // a refund on 仕入
             LineHex("080406", kSun, 4, 0, 1234567, 0) +              //
             LineHex("080407", kSun, 8, 0, 20, 0));
    }
    FakePrompt prompt;
};

TEST_F(ItemLedger, SelectionListsTheItemsLinesWithTotalsAndOnlyTheIncomeLabel) {
    auto sel = SelectItemLines(s, 4);
    ASSERT_TRUE(sel.ok());
    ASSERT_EQ(sel->rows.size(), 3u);
    ExpectLines({sel->rows[0].begin(), sel->rows[0].end()},
                {"080401", "（日）", "  4", "仕入", kTen, "       300", kTen, "ABC DEF"});
    ExpectLines({sel->rows[1].begin(), sel->rows[1].end()},
                {"080405", "（日）", "  4", "仕入", "        50", kTen, kTen, ""});
    EXPECT_EQ(sel->rows[2][5], " 1,234,567");
    EXPECT_EQ(sel->income, 50);
    EXPECT_EQ(sel->expense, 1234867);
    // Both totals exist; the screen shows the income one only.
    EXPECT_EQ(sel->incomeLabel, "        50");
    EXPECT_EQ(sel->expenseLabel, "");
    const PrintTable t = ItemLedgerPrintTable(sel->rows, sel->income, sel->expense);
    EXPECT_EQ(t.lineCount, 3);
    EXPECT_EQ(t.incomeTotal, 50);
    EXPECT_EQ(t.expenseTotal, 1234867);
}

TEST_F(ItemLedger, AnExpenseOnlyItemShowsTheExpenseAndAnUnusedItemShowsNothing) {
    auto expense = SelectItemLines(s, 8);
    ASSERT_TRUE(expense.ok());
    EXPECT_EQ(expense->incomeLabel, "");
    EXPECT_EQ(expense->expenseLabel, "        20");

    auto unused = SelectItemLines(s, 9);
    ASSERT_TRUE(unused.ok());
    EXPECT_TRUE(unused->rows.empty());
    EXPECT_EQ(unused->incomeLabel, "");
    EXPECT_EQ(unused->expenseLabel, "");
    const PrintTable t = ItemLedgerPrintTable(unused->rows, unused->income, unused->expense);
    EXPECT_EQ(t.lineCount, 0);
    PrintDocument doc = PrintItemLedger(s, prompt, t, 9);
    ASSERT_EQ(doc.pages.size(), 1u);
    ExpectLines(TextsAt(doc.pages[0], 179), {"T (26,179) 10.5  合　　　　計"});
    EXPECT_EQ(doc.name, "項目別集計 09");
}

TEST_F(ItemLedger, PrintoutHasTheYearsTitleBothTotalsAndAnEmptyBalanceColumn) {
    auto sel = SelectItemLines(s, 4);
    ASSERT_TRUE(sel.ok());
    const PrintTable t = ItemLedgerPrintTable(sel->rows, sel->income, sel->expense);
    EXPECT_EQ(t.Cell(0, 1), "08.04.01");
    EXPECT_EQ(ItemLedgerTitle(s), "令和 8年度項目別集計");
    PrintDocument doc = PrintItemLedger(s, prompt, t, 4);
    EXPECT_EQ(doc.name, "項目別集計 04");
    ASSERT_EQ(doc.pages.size(), 1u);
    const PrintPage& page = doc.pages[0];
    ExpectLines(TextsAt(page, 10), {"T (9,10) 15 令和 8年度項目別集計"});
    ExpectLines(
        TextsAt(page, 19),
        {"T (9,19) 10.5 08.04.01", "T (22,19) 10.5 （日）", "T (32,19) 10.5   4",
         "T (39,19) 10.5 仕入", "T (88,19) 10.5        300", "T (127,19) 10.5 ABC DEF"});
    ExpectLines(
        TextsAt(page, 23),
        {"T (9,23) 10.5 08.04.05", "T (22,23) 10.5 （日）", "T (32,23) 10.5   4",
         "T (39,23) 10.5 仕入", "T (68,23) 10.5         50"});
    ExpectLines(TextsAt(page, 179), {"T (26,179) 10.5  合　　　　計", "T (68,179) 10.5         50",
                                     "T (88,179) 10.5  1,234,867"});
    for (const DrawOp& op : page.ops) {
        EXPECT_FALSE(op.kind == DrawKind::Text && op.x1 == 108) << "残: " << op.text;
    }
}

TEST_F(ItemLedger, MoreLinesThanTheOldGridHeldAreAllListedAndPrinted) {
    std::string hex = HeaderHex(1201);
    for (int n = 1; n <= 1201; ++n) hex += LineHex("080401", kSun, 1, 1, 0, 0);
    Load(hex);
    auto sel = SelectItemLines(s, 1);
    ASSERT_TRUE(sel.ok());
    EXPECT_EQ(sel->rows.size(), 1201u);
    PrintDocument doc =
        PrintItemLedger(s, prompt, ItemLedgerPrintTable(sel->rows, sel->income, sel->expense), 1);
    // 30 full pages and line 1201 alone on page 31, after 30 questions.
    ASSERT_EQ(doc.pages.size(), 31u);
    EXPECT_EQ(prompt.shown.size(), 30u);
    EXPECT_EQ(prompt.shown.back().text, " 31 ページを印刷しますか？");
    ExpectLines(TextsAt(doc.pages[30], 11), {"T (134,11) 10.5  31 Page"});
    ExpectLines(
        TextsAt(doc.pages[30], 19),
        {"T (9,19) 10.5 08.04.01", "T (22,19) 10.5 （日）", "T (32,19) 10.5   1",
         "T (39,19) 10.5 売上", "T (68,19) 10.5          1"});
    ExpectLines(TextsAt(doc.pages[30], 179),
                {"T (26,179) 10.5  合　　　　計", "T (68,179) 10.5      1,201"});
}

TEST_F(ItemLedger, AnOverflowingTotalSelectsNothing) {
    Load(HeaderHex(2) + LineHex("080401", kSun, 1, 2000000000, 0, 0) +
         LineHex("080402", kSun, 1, 2000000000, 0, 0));
    auto sel = SelectItemLines(s, 1);
    ASSERT_FALSE(sel.ok());
    EXPECT_EQ(sel.error().code, FileErrorCode::Overflow);
}

TEST(ItemLedgerList, EntriesAreTheNumberInTwoABlankAndTheName) {
    SharedState s;
    s.ItemTable[7].ItemName = "旅費交通費";
    s.ItemTable[12].ItemName = "通信費";
    EXPECT_EQ(ItemListEntry(s, 7), " 7 旅費交通費");
    EXPECT_EQ(ItemListEntry(s, 12), "12 通信費");
}

}  // namespace
}  // namespace tabulo
