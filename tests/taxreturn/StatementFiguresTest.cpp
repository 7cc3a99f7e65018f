// The arithmetic of the three statement pages: page 1's lines from the item totals,
// page 2's monthly section, wage totals and figure 7, page 3's depreciation.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "books/BooksChecks.h"
#include "store/DataSet.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"
#include "taxreturn/StatementPage3.h"

namespace tabulo {
namespace {

struct Year {
    ItemTableArray items{};
    MonthlyTable totals{};
    // Item `i` named `name`, codes 区分2 / 区分3, with `year` as its year total.
    void Item(int i, const std::string& name, int kubun2, int kubun3, Amount year) {
        items[i].ItemName = name;
        items[i].ItemKubun2 = static_cast<std::int16_t>(kubun2);
        items[i].ItemKubun3 = static_cast<std::int16_t>(kubun3);
        totals[i][14] = year;
    }
    Page1Figures Page1(Amount opening = 0, Amount closing = 0, Amount deduction = 100000) const {
        return ComputePage1(items, totals, opening, closing, deduction, 0);
    }
};

TEST(StatementPage1, LinesFollowTheItemCodesAndTheFormulas) {
    Year y;
    y.Item(1, "売上", 1, 1, 5000000);
    y.Item(2, "雑収入", 2, 1, 30000);
    y.Item(3, "仕入", 0, 3, 2000000);
    y.Item(4, "電気代", 0, 10, 120000);
    y.Item(5, "ガス代", 0, 10, 30000);
    y.Item(6, "減価償却", 0, 18, 87500);
    y.Item(7, "給料", 0, 20, 1200000);
    y.Item(8, "雑費", 0, 31, 5000);
    y.Item(9, "貸倒引当金戻入", 0, 34, 10000);
    y.Item(10, "専従者給与", 0, 38, 600000);
    y.Item(11, "未使用", 0, 0, 999);   // code 0 feeds no line
    y.Item(12, "範囲外", 0, 46, 777);  // nor does a code above 45
    const Page1Figures f = y.Page1(100000, 150000);
    EXPECT_TRUE(f.failedLines.empty());
    EXPECT_EQ(f.lines[1], 5030000);
    EXPECT_EQ(f.lines[2], 100000);
    EXPECT_EQ(f.lines[3], 2000000);
    EXPECT_EQ(f.lines[4], 2100000);
    EXPECT_EQ(f.lines[5], 150000);
    EXPECT_EQ(f.lines[6], 1950000);
    EXPECT_EQ(f.lines[7], 3080000);
    EXPECT_EQ(f.lines[10], 150000);
    EXPECT_EQ(f.lines[32], 120000 + 30000 + 87500 + 1200000 + 5000);
    EXPECT_EQ(f.lines[33], 3080000 - 1442500);
    EXPECT_EQ(f.lines[37], 10000);
    EXPECT_EQ(f.lines[42], 600000);
    EXPECT_EQ(f.lines[43], 1637500 + 10000 - 600000);
    EXPECT_EQ(f.lines[44], 100000);
    EXPECT_EQ(f.lines[45], 947500);
    EXPECT_EQ(f.lines[46], 0);
}

TEST(StatementPage1, FreeLinesTakeTheNameOfTheirFirstItem) {
    Year y;
    y.Item(7, "リース料B", 0, 27, 2000);
    y.Item(3, "リース料A", 0, 27, 1000);
    y.Item(9, "会議費", 0, 30, 500);
    const Page1Figures f = y.Page1();
    EXPECT_EQ(f.lines[27], 3000);
    EXPECT_EQ(f.freeLineNames[3], "リース料A");  // the lower item number wins
    EXPECT_EQ(f.freeLineNames[6], "会議費");
    EXPECT_EQ(f.freeLineNames[1], "");  // no item coded 25
    EXPECT_EQ(f.lines[25], 0);
    EXPECT_EQ(f.lines[32], 3500);  // the free lines count in the expenses
}

TEST(StatementPage1, TypingTheClosingStockMovesTheDependentLines) {
    Year y;
    y.Item(1, "売上", 1, 1, 500000);
    Page1Figures f = y.Page1();
    std::vector<int> changed;
    EXPECT_TRUE(EnterStock(f.lines, kClosingStockLine, 100000, &changed).empty());
    EXPECT_EQ(f.lines[5], 100000);
    EXPECT_EQ(f.lines[6], -100000);
    EXPECT_EQ(f.lines[7], 600000);
    EXPECT_EQ(f.lines[33], 600000);
    EXPECT_EQ(f.lines[43], 600000);
    EXPECT_EQ(f.lines[45], 500000);
    EXPECT_EQ(changed, (std::vector<int>{5, 6, 7, 33, 43, 45}));
    changed.clear();
    EnterStock(f.lines, kOpeningStockLine, 40000, &changed);
    EXPECT_EQ(changed, (std::vector<int>{2, 4, 6, 7, 33, 43, 45}));
    EXPECT_EQ(f.lines[4], 40000);
    EXPECT_EQ(f.lines[45], 460000);
}

TEST(StatementPage1, ALineThatWouldOverflowIsNotStoredAndIsNamed) {
    Year y;
    y.Item(1, "売上A", 1, 1, INT32_MAX);
    y.Item(2, "売上B", 1, 1, 1);  // line 1 leaves the range
    y.Item(3, "租税", 0, 8, 5);
    Page1Figures f = y.Page1();
    EXPECT_EQ(f.failedLines, (std::vector<int>{1}));
    EXPECT_EQ(f.lines[1], 0);
    EXPECT_EQ(f.lines[33], -5);
    EXPECT_EQ(FailedLinesMessage(f.failedLines),
              "金額が大きすぎるため、次の行を計算できません！\r\n(1)");
    // A stock entry whose difference overflows: line 6 keeps its old amount.
    Year z;
    z.Item(1, "売上", 1, 1, 10);
    Page1Figures g = z.Page1(INT32_MAX, 0);
    const auto failed = EnterStock(g.lines, kClosingStockLine, -10, nullptr);
    EXPECT_EQ(failed, (std::vector<int>{6, 45}));  // 7 = 10 - line 6 still fits
    EXPECT_EQ(g.lines[6], INT32_MAX);
    EXPECT_EQ(g.lines[5], -10);
}

TEST(StatementPage1, FixedCaptionsIncludingTheCorrectedOnes) {
    EXPECT_EQ(StatementLineCaption(18), "減価償却費");
    EXPECT_EQ(StatementLineCaption(8), "租税公課");
    EXPECT_EQ(StatementLineCaption(24), "貸倒金");
    // The current form's wording, with its circled line numbers.
    EXPECT_EQ(StatementLineCaption(45), "所得金額（㊸－㊹）");
    EXPECT_EQ(StatementLineCaption(6), "差引原価（④－⑤）");
    EXPECT_EQ(StatementLineCaption(2), "期首商品（製品）棚卸高");
    EXPECT_EQ(StatementLineCaption(43), "青色申告特別控除前の所得金額（㉝＋㊲－㊷）");
    EXPECT_EQ(CircledNumber(1), "①");
    EXPECT_EQ(CircledNumber(20), "⑳");
    EXPECT_EQ(CircledNumber(21), "㉑");
    EXPECT_EQ(CircledNumber(35), "㉟");
    EXPECT_EQ(CircledNumber(36), "㊱");
    EXPECT_EQ(CircledNumber(45), "㊺");
    EXPECT_EQ(StatementLineCaption(35), "");
    EXPECT_EQ(StatementLineCaption(27), "");
}

TEST(StatementPage2, MonthlySalesAndPurchasesByMonthColumn) {
    Year y;
    y.Item(1, "売上", 1, 1, 0);
    y.totals[1][MonthColumn(6)] = 100;
    y.totals[1][MonthColumn(7)] = 700;  // July is column 8, after the half-year
    y.totals[1][7] = 99999;             // the half-year column itself is never a month
    y.Item(2, "家事消費", 3, 1, 0);
    y.totals[2][MonthColumn(3)] = 30;
    y.totals[2][MonthColumn(12)] = 5;
    y.Item(3, "雑収入", 2, 1, 0);
    y.totals[3][MonthColumn(1)] = 8;
    y.Item(4, "仕入", 0, 3, 0);
    y.totals[4][MonthColumn(7)] = 400;
    y.totals[4][MonthColumn(12)] = 20;
    const MonthlySection m = ComputeMonthlySection(y.items, y.totals);
    EXPECT_EQ(MonthColumn(6), 6);
    EXPECT_EQ(MonthColumn(7), 8);
    EXPECT_EQ(m.sales[6], 100);
    EXPECT_EQ(m.sales[7], 700);
    EXPECT_EQ(m.sales[13], 35);
    EXPECT_EQ(m.sales[14], 8);
    EXPECT_EQ(m.sales[15], 843);
    EXPECT_EQ(m.purchases[7], 400);
    EXPECT_EQ(m.purchases[15], 420);
    EXPECT_TRUE(m.failures.empty());
}

TEST(StatementPage2, WageRowsAndTotals) {
    Page2Data d;
    d.family.KyuRyo[1] = 100000;
    RecomputeWageRow(d.family, kFamilyRows, 1, WageColumn::KyuRyo);
    d.family.Syouyo[2] = 50000;
    RecomputeWageRow(d.family, kFamilyRows, 2, WageColumn::Syouyo);
    EXPECT_EQ(d.family.Goukei[1], 100000);
    EXPECT_EQ(d.family.Goukei[2], 50000);
    EXPECT_EQ(d.family.KyuRyo[5], 100000);
    EXPECT_EQ(d.family.Syouyo[5], 50000);
    EXPECT_EQ(d.family.Goukei[5], 150000);
    // The employees' その他 row (6) counts into their total row 7.
    d.employees.Gensen[6] = 300;
    d.employees.Gensen[1] = 200;
    RecomputeWageRow(d.employees, kEmployeeOtherRow, 6, WageColumn::Gensen);
    EXPECT_EQ(d.employees.Gensen[7], 500);
    d.employees.KyuRyo[1] = INT32_MAX;
    d.employees.Syouyo[1] = 1;
    EXPECT_FALSE(RecomputeWageRow(d.employees, kEmployeeOtherRow, 1, WageColumn::Syouyo));
    EXPECT_EQ(d.employees.Goukei[1], 0);  // not stored

    d.Syukei[1] = 20000;
    d.Syukei[4] = 30000;
    EXPECT_TRUE(RecomputeFigure5(d));
    EXPECT_EQ(d.Syukei[5], 50000);
}

// Figure 7 once left out the reversals and the provisions: with a family-employee
// salary the deduction base came out too high.
TEST(StatementPage2, Figure7IsPage1Line43WithReversalsAndProvisions) {
    Year y;
    y.Item(1, "売上", 1, 1, 3000000);
    y.Item(2, "経費", 0, 12, 200000);
    y.Item(3, "専従者給与", 0, 38, 800000);
    y.Item(4, "引当金戻入", 0, 34, 50000);
    TaxReturnTables t = DefaultTaxReturnData();
    StoreStatementEntry(t, 2, 10000);
    StoreStatementEntry(t, 5, 30000);
    const Figure7 f7 = ComputeFigure7(y.items, y.totals, t);
    EXPECT_EQ(f7.value, 3000000 + 20000 - 200000 + 50000 - 800000);
    EXPECT_EQ(f7.value, y.Page1(10000, 30000).lines[43]);
}

// Page 1's line 44 read the deduction page 2 had stored: 10万円 (a new file's) until page
// 2 was opened once, though the books allowed 55万円.
TEST(StatementPage1, Line44TakesTheDeductionTheYearAllowsWithoutPage2AndKeepsTypedFigures) {
    Year y;
    y.Item(1, "売上", 1, 1, 3000000);
    y.Item(2, "経費", 0, 12, 200000);
    TaxReturnTables t = DefaultTaxReturnData();
    ASSERT_EQ(StoredDeduction(t), 100000);
    OfferStoredDeduction(t, kDoubleEntryDeduction, y.items, y.totals);
    EXPECT_EQ(StoredDeduction(t), 550000);
    const Page1Figures f = OpeningPage1(y.items, y.totals, t);
    EXPECT_EQ(f.lines[44], 550000);
    EXPECT_EQ(f.lines[45], 2800000 - 550000);
    // An income below the limit is offered whole; the year's limit may be 10万円 again.
    TaxReturnTables small = DefaultTaxReturnData();
    y.totals[1][14] = 250000;
    OfferStoredDeduction(small, kDoubleEntryDeduction, y.items, y.totals);
    EXPECT_EQ(StoredDeduction(small), 50000);
    OfferStoredDeduction(small, kSimpleDeduction, y.items, y.totals);
    EXPECT_EQ(StoredDeduction(small), 50000);
    // A figure the user typed on page 2 stays, and nothing else of the file moves.
    Page2Data d = ReadPage2(t);
    d.Syukei[9] = 0;
    d.Syukei[11] = 30000;
    WritePage2(t, d);
    const TaxReturnTables typed = t;
    OfferStoredDeduction(t, kDoubleEntryDeduction, y.items, y.totals);
    EXPECT_EQ(t, typed);
    EXPECT_EQ(OpeningPage1(y.items, y.totals, t).lines[44], 30000);
}

// Depreciation is never a cash line: an asset on page 3 with 経費算入額 36,000 used to
// leave line 18 at 0, and the whole profit-and-loss statement wrong with it.
TEST(StatementPage1, Line18TakesPage3sTotalAndTheLinesAfterItFollow) {
    Year y;
    y.Item(1, "売上", 1, 1, 1000000);
    y.Item(2, "通信費", 0, 12, 50000);
    TaxReturnTables t = DefaultTaxReturnData();
    Page3Data p3 = ReadPage3(t);
    p3.assets[1].Goukei = 60000;
    p3.assets[1].Jigyo = 60;
    p3.assets[1].Keihi = 36000;
    p3.assets[kAssetTotalRow].Keihi = 36000;
    WritePage3(t, p3);
    EXPECT_EQ(StoredDepreciation(t), 36000);
    const Page1Figures f = OpeningPage1(y.items, y.totals, t);
    EXPECT_EQ(f.lines[18], 36000);
    EXPECT_EQ(f.assetDepreciation, 36000);
    EXPECT_EQ(f.cashBookDepreciation, 0);
    EXPECT_EQ(f.lines[32], 50000 + 36000);
    EXPECT_EQ(f.lines[33], 1000000 - 86000);
    EXPECT_EQ(f.lines[43], 914000);
    EXPECT_EQ(f.lines[45], 914000 - 100000);
    // Page 2's figure 7 is the same line 43.
    EXPECT_EQ(ComputeFigure7(y.items, y.totals, t).value, 914000);
    // Cash-book amounts coded 18 are added, and kept apart so the screens can say so.
    y.Item(3, "減価償却", 0, 18, 10000);
    const Page1Figures both = OpeningPage1(y.items, y.totals, t);
    EXPECT_EQ(both.lines[18], 46000);
    EXPECT_EQ(both.cashBookDepreciation, 10000);
    EXPECT_EQ(both.lines[43], 904000);
}

TEST(StatementPage1, Line18ThatWouldOverflowIsNamed) {
    Year y;
    y.Item(1, "減価償却", 0, 18, INT32_MAX);
    const Page1Figures f = ComputePage1(y.items, y.totals, 0, 0, 0, 1);
    EXPECT_NE(std::find(f.failedLines.begin(), f.failedLines.end(), 18), f.failedLines.end());
    EXPECT_EQ(f.lines[18], 0);
}

AssetRow Asset(Amount base, const std::string& rate, int months) {
    AssetRow a;
    a.KisoGaku = base;
    a.Ritsu = rate;
    a.Kikan = static_cast<std::int16_t>(months);
    return a;
}

TEST(StatementPage3, OrdinaryDepreciationWorkedExamples) {
    Amount hi = -1;
    EXPECT_EQ(OrdinaryDepreciation(Asset(1000000, "0.250", 12), DepreciationTrigger::Base, hi),
              DepreciationResult::Computed);
    EXPECT_EQ(hi, 250000);
    OrdinaryDepreciation(Asset(1000000, "0.250", 7), DepreciationTrigger::Months, hi);
    EXPECT_EQ(hi, 145833);  // 145833.33
    OrdinaryDepreciation(Asset(100000, "1/3", 7), DepreciationTrigger::Rate, hi);
    EXPECT_EQ(hi, 33333);  // 33333.33 + 0.51
    OrdinaryDepreciation(Asset(200000, "1/3", 1), DepreciationTrigger::Base, hi);
    EXPECT_EQ(hi, 66667);  // 66666.67 + 0.51
    // Worked by hand: 600000 x 0.167 x 5 / 12 = 41750 exactly; 0.49 rounds up, 0.48 not.
    OrdinaryDepreciation(Asset(600000, "0.167", 5), DepreciationTrigger::Base, hi);
    EXPECT_EQ(hi, 41750);
    OrdinaryDepreciation(Asset(49, "0.01", 12), DepreciationTrigger::Base, hi);
    EXPECT_EQ(hi, 1);  // 0.49
    OrdinaryDepreciation(Asset(48, "0.01", 12), DepreciationTrigger::Base, hi);
    EXPECT_EQ(hi, 0);  // 0.48
    OrdinaryDepreciation(Asset(1000000, "1/12", 3), DepreciationTrigger::Base, hi);
    EXPECT_EQ(hi, 83333);  // 83333.33, the months play no part
}

TEST(StatementPage3, TheMonthsNeverChangeA1OverNFigure) {
    Amount hi = 33333;
    // Read as a decimal, "1/3" would give 100000 x 1 x 7 / 12.
    EXPECT_EQ(OrdinaryDepreciation(Asset(100000, "1/3", 7), DepreciationTrigger::Months, hi),
              DepreciationResult::Unchanged);
    EXPECT_EQ(hi, 33333);
}

// A rate "1/0" divided by zero.
TEST(StatementPage3, ARateOneOverNothingIsRefusedAndHiKeepsItsValue) {
    for (const char* rate : {"1/0", "1/", "1/abc", "1/-4"}) {
        Amount hi = 1234;
        EXPECT_EQ(OrdinaryDepreciation(Asset(100000, rate, 12), DepreciationTrigger::Rate, hi),
                  DepreciationResult::BadRate)
            << rate;
        EXPECT_EQ(hi, 1234);
    }
    Amount hi = 5;
    EXPECT_EQ(OrdinaryDepreciation(Asset(INT32_MAX, "99", 12), DepreciationTrigger::Base, hi),
              DepreciationResult::TooLarge);
    EXPECT_EQ(hi, 5);
}

TEST(StatementPage3, BusinessShareAndTotals) {
    Page3Data d;
    AssetRow& a = d.assets[1];
    a.Hi = 145833;
    a.Jigyo = 60;
    EXPECT_TRUE(AfterDepreciation(d, 1));
    EXPECT_EQ(a.Goukei, 145833);
    EXPECT_EQ(a.Keihi, 87500);  // 87499.8 + 0.51
    // The expense total once waited for a typed expense box and printed stale.
    EXPECT_EQ(d.assets[11].Keihi, 87500);
    d.assets[2].Hi = 1000;
    d.assets[2].TokuHi = 500;
    d.assets[2].Keihi = 777;  // typed by the user, with no share
    AfterDepreciation(d, 2);
    EXPECT_EQ(d.assets[2].Goukei, 1500);
    EXPECT_EQ(d.assets[2].Keihi, 777);
    EXPECT_EQ(d.assets[11].Hi, 146833);
    EXPECT_EQ(d.assets[11].Goukei, 147333);
    // Leaving the share box works the expense out whatever the ratio: 0 gives 0.
    EXPECT_TRUE(AfterBusinessShare(d, 2));
    EXPECT_EQ(d.assets[2].Keihi, 0);
    EXPECT_EQ(d.assets[11].Keihi, 87500);
    // The product goukei x share is 32-bit: beyond it nothing is stored.
    d.assets[3].Goukei = 30000000;
    d.assets[3].Jigyo = 100;
    d.assets[3].Keihi = 9;
    EXPECT_FALSE(AfterBusinessShare(d, 3));
    EXPECT_EQ(d.assets[3].Keihi, 9);
    d.assets[1].Zandaka = 500;
    d.assets[10].Zandaka = 250;
    EXPECT_TRUE(TotalAssetColumn(d, AssetColumn::Zandaka));
    EXPECT_EQ(d.assets[11].Zandaka, 750);
}

TEST(StatementFormats, BoxedDigitsColumnsAndTheirLimits) {
    EXPECT_EQ(BoxedAmount(1234567), "  1 2 3 4 5 6 7");
    EXPECT_EQ(BoxedAmount(0), "              -");
    EXPECT_EQ(BoxedAmount(99999999), "9 9 9 9 9 9 9 9");
    // A loss takes its sign into the box before the first digit.
    EXPECT_EQ(BoxedAmount(-1234567), "- 1 2 3 4 5 6 7");
    EXPECT_EQ(BoxedAmount(-5), std::string(12, ' ') + "- 5");
    // More digits than boxes: nothing is cut.
    EXPECT_EQ(BoxedAmount(123456789), "1 2 3 4 5 6 7 8 9");
    EXPECT_EQ(BoxedDigits(12, 2), "1 2");
    EXPECT_EQ(BoxedDigits(7, 3), "    7");
    EXPECT_EQ(ColumnAmount(0), "         -");
    EXPECT_EQ(ColumnAmount(1234567), " 1,234,567");
    EXPECT_EQ(ColumnAmount(-1234567890), "-1,234,567,890");
    EXPECT_EQ(ScreenAmount(0), "         0");
    EXPECT_EQ(ScreenAmountOrEmpty(0), "");
    EXPECT_EQ(SmallNumber(7, 2), " 7");
}

}  // namespace
}  // namespace tabulo
