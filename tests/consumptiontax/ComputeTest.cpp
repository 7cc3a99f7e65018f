// The return worked out by each method for years worked by hand (amounts include tax,
// no interim payment unless a test gives one).

#include <gtest/gtest.h>

#include "consumptiontax/ConsumptionTax.h"

namespace tabulo {
namespace {

const TaxLine* LineOf(const MethodReturn& r, const std::string& mark) {
    for (const TaxLine& l : r.Lines)
        if (l.Sheet == "第一表" && l.Mark == mark) return &l;
    return nullptr;
}
Yen Line(const MethodReturn& r, const std::string& mark) {
    const TaxLine* l = LineOf(r, mark);
    EXPECT_NE(l, nullptr) << mark;
    return l == nullptr ? -1 : l->Amount;
}

TaxSettings Taxable(int businessClass) {
    TaxSettings t;
    t.Taxable = true;
    t.BusinessClass = static_cast<std::uint8_t>(businessClass);
    t.SimpleElectionFiled = true;
    return t;
}

// A designer, class 5, sales 5,500,000 at 10 %; purchases 1,100,000 at 10 %.
TaxTotals Designer() {
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales10, 20260531, 5500000, 5);
    AddToTotals(t, TaxCategory::Purchase10, 20260601, 1100000, 0);
    return t;
}

TEST(ConsumptionTaxYears, TheDesignerPaysLeastUnderTheTwentyPercentRule) {
    const auto all = ComputeTaxReturn(Designer(), Taxable(5), 2026);
    ASSERT_EQ(all.size(), 3u);
    const MethodReturn& twenty = all[0];
    const MethodReturn& simple = all[1];
    const MethodReturn& general = all[2];
    EXPECT_EQ(twenty.Method, TaxMethod::TwentyPercent);
    EXPECT_EQ(Line(twenty, "①"), 5000000);
    EXPECT_EQ(Line(twenty, "②"), 390000);
    EXPECT_EQ(Line(twenty, "⑨"), 78000);
    EXPECT_EQ(Line(twenty, "⑳"), 22000);
    EXPECT_EQ(twenty.Total, 100000);
    EXPECT_EQ(Line(simple, "④"), 195000);
    EXPECT_EQ(Line(simple, "⑳"), 55000);
    EXPECT_EQ(simple.Total, 250000);
    EXPECT_EQ(Line(general, "④"), 78000);
    EXPECT_EQ(Line(general, "⑨"), 312000);
    EXPECT_EQ(Line(general, "⑳"), 88000);
    EXPECT_EQ(Line(general, "㉖"), 400000);
    EXPECT_TRUE(twenty.Least);
    EXPECT_FALSE(simple.Least);
    EXPECT_FALSE(general.Least);
    EXPECT_FALSE(twenty.Unconfirmed);
}

// A grocery, class 2: sales 5,432,100 at 8 % and 1,654,300 at 10 %; purchases with
// invoices 3,791,500 at 8 % and 992,200 at 10 %; at 10 % without an invoice 110,000 on
// 15 June and 55,000 on 10 November.
TaxTotals Grocery() {
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales8, 20260301, 5432100, 0);
    AddToTotals(t, TaxCategory::Sales10, 20260301, 1654300, 0);
    AddToTotals(t, TaxCategory::Purchase8, 20260301, 3791500, 0);
    AddToTotals(t, TaxCategory::Purchase10, 20260301, 992200, 0);
    AddToTotals(t, TaxCategory::Purchase10NoInvoice, 20260615, 110000, 0);
    AddToTotals(t, TaxCategory::Purchase10NoInvoice, 20261110, 55000, 0);
    return t;
}

TEST(ConsumptionTaxYears, TheGroceryByEachMethod) {
    const auto all = ComputeTaxReturn(Grocery(), Taxable(2), 2026);
    ASSERT_EQ(all.size(), 3u);
    const MethodReturn& general = all[2];
    EXPECT_EQ(general.TaxBase[1], 5029000);
    EXPECT_EQ(general.TaxBase[0], 1503000);
    EXPECT_EQ(Line(general, "①"), 6532000);
    EXPECT_EQ(general.OutputTax[1], 313809);
    EXPECT_EQ(general.OutputTax[0], 117234);
    EXPECT_EQ(Line(general, "②"), 431043);
    // 219,064 + 70,356 + 6,240 (80 %) + 2,730 (70 %, the reform as proposed)
    EXPECT_EQ(Line(general, "④"), 298390);
    EXPECT_EQ(Line(general, "⑨"), 132600);
    EXPECT_EQ(Line(general, "⑳"), 37400);
    EXPECT_EQ(general.Total, 170000);
    EXPECT_TRUE(general.Unconfirmed);  // the 70 % row is not law
    EXPECT_FALSE(general.UnconfirmedSources.empty());
    EXPECT_EQ(all[1].Deduction, 344834);
    EXPECT_EQ(all[1].NetTax, 86200);
    EXPECT_EQ(all[1].LocalTax, 24300);
    EXPECT_EQ(all[1].Total, 110500);
    EXPECT_EQ(all[0].Total, 110500);
    EXPECT_TRUE(all[0].Least);
    EXPECT_TRUE(all[1].Least);
    EXPECT_FALSE(general.Least);
    EXPECT_FALSE(all[1].Unconfirmed);
}

TEST(ConsumptionTaxYears, TheGroceryUnderTheLawInForceDeductsHalfAfterSeptember) {
    TaxComputeOptions law;
    law.Reform = false;
    const MethodReturn r = ComputeMethod(Grocery(), Taxable(2), TaxMethod::General, 2026, law);
    EXPECT_EQ(r.Deduction, 297610);
    EXPECT_EQ(r.Total, 171000);
    EXPECT_FALSE(r.Unconfirmed);
}

TEST(ConsumptionTaxBoundaries, ThePurchaseDateDecidesTheTransitionalShare) {
    // 110,000 at 10 % without an invoice holds 7,800 of tax: 80 % to 30 September.
    TaxTotals before, after;
    AddToTotals(before, TaxCategory::Purchase10NoInvoice, 20260930, 110000, 0);
    AddToTotals(after, TaxCategory::Purchase10NoInvoice, 20261001, 110000, 0);
    AddToTotals(before, TaxCategory::Sales10, 20260101, 1100000, 1);
    AddToTotals(after, TaxCategory::Sales10, 20260101, 1100000, 1);
    EXPECT_EQ(ComputeMethod(before, Taxable(1), TaxMethod::General, 2026).Deduction, 6240);
    EXPECT_EQ(ComputeMethod(after, Taxable(1), TaxMethod::General, 2026).Deduction, 5460);
    TaxComputeOptions law;
    law.Reform = false;
    EXPECT_EQ(ComputeMethod(after, Taxable(1), TaxMethod::General, 2026, law).Deduction, 3900);
}

TEST(ConsumptionTaxBoundaries, TheTaxBaseIsCutToWholeThousands) {
    // 1,100,000 × 100/110 = 1,000,000 exactly; 1,101,098 × 100/110 = 1,000,998.18...
    TaxTotals zero, remainder;
    AddToTotals(zero, TaxCategory::Sales10, 20260101, 1100000, 1);
    AddToTotals(remainder, TaxCategory::Sales10, 20260101, 1101098, 1);
    EXPECT_EQ(ComputeMethod(zero, Taxable(1), TaxMethod::General, 2026).TaxBase[0], 1000000);
    const MethodReturn r = ComputeMethod(remainder, Taxable(1), TaxMethod::General, 2026);
    EXPECT_EQ(r.TaxBase[0], 1000000);
    EXPECT_EQ(Line(r, "⑮"), 1000998);  // the sales without tax keep their yen
    // 1,101,100 without tax is 1,001,000: the next thousand.
    TaxTotals next;
    AddToTotals(next, TaxCategory::Sales10, 20260101, 1101100, 1);
    EXPECT_EQ(ComputeMethod(next, Taxable(1), TaxMethod::General, 2026).TaxBase[0], 1001000);
}

TEST(ConsumptionTaxBoundaries, TheNetTaxIsCutToWholeHundreds) {
    // Output 78,000 less purchases' 7,801 = 70,199: 70,100 due, local 19,771 -> 19,700.
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales10, 20260101, 1100000, 1);
    AddToTotals(t, TaxCategory::Purchase10, 20260101, 110015, 0);  // 7,801.06 of tax
    const MethodReturn r = ComputeMethod(t, Taxable(1), TaxMethod::General, 2026);
    EXPECT_EQ(r.Deduction, 7801);
    EXPECT_EQ(r.NetTax, 70100);
    EXPECT_EQ(r.LocalTax, 19700);
    EXPECT_EQ(r.Total, 89800);
}

TEST(ConsumptionTaxBoundaries, ARefundIsNotCut) {
    // Output 78,000; purchases 2,200,055 at 10 % hold 156,003 of tax.
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales10, 20260101, 1100000, 1);
    AddToTotals(t, TaxCategory::Purchase10, 20260101, 2200055, 0);
    const MethodReturn r = ComputeMethod(t, Taxable(1), TaxMethod::General, 2026);
    EXPECT_EQ(r.Deduction, 156003);
    EXPECT_EQ(r.ShortfallRefund, 78003);
    EXPECT_EQ(r.NetTax, 0);
    EXPECT_EQ(r.LocalRefund, 22000);  // 78,003 × 22/78 = 22,000.8
    EXPECT_EQ(r.Total, -100003);
    EXPECT_EQ(Line(r, "⑧"), 78003);
    EXPECT_EQ(Line(r, "㉖"), -100003);
}

TEST(ConsumptionTaxBoundaries, InterimPaymentsComeOffOrComeBack) {
    TaxSettings s = Taxable(5);
    s.InterimTax = 100000;
    s.InterimLocalTax = 20000;
    const MethodReturn r = ComputeMethod(Designer(), s, TaxMethod::TwentyPercent, 2026);
    EXPECT_EQ(Line(r, "⑪"), 0);
    EXPECT_EQ(Line(r, "⑫"), 22000);  // 100,000 paid against 78,000
    EXPECT_EQ(Line(r, "㉒"), 2000);
    EXPECT_EQ(r.Total, -20000);
}

TEST(ConsumptionTaxSimplified, SeveralClassesTakeTheLowerOfTheWeightedShareAndTheSeventyFivePercentRule) {
    // Class 1 (90 %) 8,800,000 and class 5 (50 %) 2,200,000 at 10 %: class 1 makes 80 % of
    // the sales, so 90 % applies to all (output 780,000 → 702,000) rather than the
    // weighted 82 % (639,600).
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales10, 20260101, 8800000, 1);
    AddToTotals(t, TaxCategory::Sales10, 20260101, 2200000, 5);
    const MethodReturn r = ComputeMethod(t, Taxable(0), TaxMethod::Simplified, 2026);
    EXPECT_EQ(r.OutputTax[0], 780000);
    EXPECT_EQ(r.Deduction, 702000);
    // At 70 % / 30 % the rule does not reach: the weighted 78 % holds (608,400).
    TaxTotals w;
    AddToTotals(w, TaxCategory::Sales10, 20260101, 7700000, 1);
    AddToTotals(w, TaxCategory::Sales10, 20260101, 3300000, 5);
    EXPECT_EQ(ComputeMethod(w, Taxable(0), TaxMethod::Simplified, 2026).Deduction, 608400);
}

TEST(ConsumptionTaxSimplified, SalesWithoutAClassAreRefusedUntilOneIsChosen) {
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales10, 20260101, 1100000, 0);
    const MethodReturn r = ComputeMethod(t, Taxable(0), TaxMethod::Simplified, 2026);
    EXPECT_FALSE(r.Fault.empty());
    TaxComputeOptions o;
    o.BusinessClass = 3;
    EXPECT_EQ(ComputeMethod(t, Taxable(0), TaxMethod::Simplified, 2026, o).Deduction, 54600);
}

TEST(ConsumptionTaxYears, WhichMethodsEachYearHas) {
    EXPECT_EQ(MethodsOfYear(2026).front(), TaxMethod::TwentyPercent);
    EXPECT_EQ(MethodsOfYear(2027).front(), TaxMethod::ThirtyPercent);
    EXPECT_EQ(MethodsOfYear(2029).front(), TaxMethod::Simplified);
    // 3割特例 rests on the reform outline: marked.
    const MethodReturn thirty = ComputeMethod(Designer(), Taxable(5), TaxMethod::ThirtyPercent, 2027);
    EXPECT_TRUE(thirty.Fault.empty()) << thirty.Fault;
    EXPECT_TRUE(thirty.Unconfirmed);
    EXPECT_EQ(thirty.Deduction, 273000);
    EXPECT_FALSE(ComputeMethod(Designer(), Taxable(5), TaxMethod::TwentyPercent, 2027).Fault.empty());
    EXPECT_FALSE(ComputeMethod(Designer(), Taxable(5), TaxMethod::General, 2019).Fault.empty());
}

TEST(ConsumptionTaxYears, WhatEachMethodNeedsFollowsTheSettings) {
    TaxSettings s = Taxable(5);
    s.SimpleElectionFiled = false;
    s.ByRegistration = false;
    const auto all = ComputeTaxReturn(Designer(), s, 2026);
    EXPECT_FALSE(all[0].NeedsMet);
    EXPECT_FALSE(all[1].NeedsMet);
    EXPECT_TRUE(all[2].NeedsMet);
}

}  // namespace
}  // namespace tabulo
