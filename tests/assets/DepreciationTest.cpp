// The year's depreciation of the register, against figures worked by hand.

#include <gtest/gtest.h>

#include "assets/Depreciation.h"

namespace tabulo {
namespace {

FixedAsset Van() {
    FixedAsset a;
    a.AssetName = "バン";
    a.AssetKind = 5;
    a.AcquiredOn = a.FirstUsedOn = 20260401;
    a.Cost = a.OpeningBookValue = 2400000;
    a.UsefulLife = 6;
    a.Method = AssetMethod::StraightLine;
    a.BusinessShare = 80;
    return a;
}

FixedAsset LumpSumPc() {
    FixedAsset a;
    a.AssetName = "パソコン（一括）";
    a.AcquiredOn = a.FirstUsedOn = 20261210;
    a.Cost = a.OpeningBookValue = 180000;
    a.Method = AssetMethod::LumpSum;
    return a;
}

FixedAsset SmallPc(std::int32_t acquired = 20260215, Amount cost = 250000) {
    FixedAsset a;
    a.AssetName = "パソコン";
    a.AcquiredOn = a.FirstUsedOn = acquired;
    a.Cost = a.OpeningBookValue = cost;
    a.UsefulLife = 4;
    a.Method = AssetMethod::SmallAsset;
    return a;
}

// The shop fitting of 2005 whose book value reached 5 % of its cost at the end of 2023.
FixedAsset ShopFitting(Amount opening) {
    FixedAsset a;
    a.AssetName = "店舗内装";
    a.AssetKind = 2;
    a.AcquiredOn = a.FirstUsedOn = 20050601;
    a.Cost = 1000000;
    a.OpeningBookValue = opening;
    a.UsefulLife = 15;
    a.Method = AssetMethod::OldStraightLine;
    return a;
}

AssetYear One(const FixedAsset& a, int year) {
    auto y = DepreciateRegister({a}, year);
    EXPECT_TRUE(y.ok()) << (y.ok() ? "" : y.error().detail);
    return y.ok() ? y->assets.at(0) : AssetYear{};
}

TEST(DepreciationRates, FollowTheOfficialTables) {
    // 定額法: 1/n rounded up to thousandths.
    const std::pair<int, int> straight[] = {{2, 500}, {3, 334}, {4, 250}, {6, 167}, {7, 143},
                                            {9, 112}, {12, 84}, {15, 67}, {20, 50}, {47, 22}};
    for (auto [life, rate] : straight) EXPECT_EQ(StraightLineRateThousandths(life, 20260101), rate) << life;
    // 旧定額法: 1/n cut to thousandths.
    const std::pair<int, int> old[] = {{3, 333}, {6, 166}, {10, 100}, {11, 90}, {15, 66}, {47, 21}};
    for (auto [life, rate] : old) EXPECT_EQ(OldStraightLineRateThousandths(life, 20050601), rate) << life;
    // Each table belongs to its side of 2007-04-01.
    EXPECT_EQ(StraightLineRateThousandths(6, 20070331), 0);
    EXPECT_EQ(OldStraightLineRateThousandths(6, 20070401), 0);
    EXPECT_EQ(RateText(167), "0.167");
    EXPECT_EQ(RateText(1000), "1.000");
    EXPECT_EQ(RateText(22), "0.022");
}

TEST(StraightLine, TheVanSplitsItsFirstYearByTheBusinessShare) {
    const AssetYear y = One(Van(), 2026);
    EXPECT_EQ(y.months, 9);  // April counts whole
    EXPECT_EQ(y.depreciation, 300600);
    EXPECT_EQ(y.expense, 240480);
    EXPECT_EQ(y.privatePart, 60120);
    EXPECT_EQ(y.closingBookValue, 2099400);
    EXPECT_EQ(y.base, 2400000);
    EXPECT_EQ(y.rateText, "0.167");
    EXPECT_FALSE(y.unconfirmed);
}

TEST(StraightLine, CarriedYearByYearTheLastYearStopsAtOneYen) {
    AssetRegister reg{Van()};
    const Amount want[] = {300600, 400800, 400800, 400800, 400800, 400800, 95399, 0};
    const Amount book[] = {2099400, 1698600, 1297800, 897000, 496200, 95400, 1, 1};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(2026 + i);
        auto y = DepreciateRegister(reg, 2026 + i);
        ASSERT_TRUE(y.ok());
        EXPECT_EQ(y->assets[0].depreciation, want[i]);
        EXPECT_EQ(y->assets[0].closingBookValue, book[i]);
        reg = NextYearRegister(reg, *y);
        ASSERT_EQ(reg.size(), 1u);  // kept at 1 yen while the van is owned
        EXPECT_EQ(reg[0].OpeningBookValue, book[i]);
    }
}

TEST(StraightLine, AScrappedVanTakesItsMonthsAndLeavesTheRegister) {
    FixedAsset van = Van();
    van.OpeningBookValue = 2099400;
    van.DisposalMonth = 6;
    van.DisposalKind = DisposalKind::Scrapped;
    auto y = DepreciateRegister({van}, 2027);
    ASSERT_TRUE(y.ok());
    EXPECT_EQ(y->assets[0].months, 6);
    EXPECT_EQ(y->assets[0].depreciation, 200400);  // 2,400,000 x 0.167 x 6/12
    EXPECT_EQ(y->assets[0].disposalBookValue, 1899000);
    EXPECT_EQ(y->assets[0].closingBookValue, 0);
    EXPECT_TRUE(NextYearRegister({van}, *y).empty());
}

TEST(StraightLine, AnAssetNotYetInUseWaitsAndOneAcquiredBefore2007IsRefused) {
    FixedAsset later = Van();
    later.AcquiredOn = later.FirstUsedOn = 20270105;
    const AssetYear y = One(later, 2026);
    EXPECT_EQ(y.depreciation, 0);
    EXPECT_EQ(y.closingBookValue, 2400000);

    FixedAsset old = Van();
    old.AcquiredOn = 20070331;
    auto refused = DepreciateRegister({Van(), old}, 2026);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().detail.find("資産 2"), std::string::npos);
}

TEST(OldStraightLine, FiveEqualYearsAfterFivePercentEndAtOneYen) {
    // (50,000 - 1) / 5 = 9,999.8, rounded up: 10,000 for four years, 9,999 in the fifth.
    const Amount want[] = {10000, 10000, 10000, 10000, 9999, 0};
    const Amount book[] = {40000, 30000, 20000, 10000, 1, 1};
    AssetRegister reg{ShopFitting(50000)};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(2024 + i);
        auto y = DepreciateRegister(reg, 2024 + i);
        ASSERT_TRUE(y.ok());
        EXPECT_EQ(y->assets[0].depreciation, want[i]);
        EXPECT_EQ(y->assets[0].closingBookValue, book[i]);
        EXPECT_EQ(y->assets[0].rateText, "1/5");
        EXPECT_EQ(y->assets[0].base, 49999);
        reg = NextYearRegister(reg, *y);
    }
    // 2026 is the third year: 30,000 at the start, 20,000 at the end.
    const AssetYear third = One(ShopFitting(30000), 2026);
    EXPECT_EQ(third.depreciation, 10000);
    EXPECT_EQ(third.closingBookValue, 20000);
}

TEST(OldStraightLine, OrdinaryYearsStopAtFivePercentOfTheCost) {
    FixedAsset a = ShopFitting(400000);
    a.UsefulLife = 10;  // 0.100 of 90 % of the cost: 90,000 a year
    AssetYear y = One(a, 2026);
    EXPECT_EQ(y.depreciation, 90000);
    EXPECT_EQ(y.base, 900000);
    EXPECT_EQ(y.rateText, "0.100");
    a.OpeningBookValue = 95000;
    y = One(a, 2026);
    EXPECT_EQ(y.depreciation, 45000);
    EXPECT_EQ(y.closingBookValue, 50000);
    // 95 % of 3,333,333 is 3,166,666.35, rounded up: the floor is 166,666.
    a.Cost = 3333333;
    a.OpeningBookValue = 200000;
    y = One(a, 2026);
    EXPECT_EQ(y.closingBookValue, 166666);
}

TEST(LumpSum, AThirdInEachOfThreeYearsWhateverTheMonth) {
    AssetRegister reg{LumpSumPc()};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(2026 + i);
        auto y = DepreciateRegister(reg, 2026 + i);
        ASSERT_TRUE(y.ok());
        EXPECT_EQ(y->assets[0].depreciation, 60000);
        EXPECT_EQ(y->assets[0].closingBookValue, 120000 - 60000 * i);
        EXPECT_EQ(y->assets[0].rateText, "1/3");
        reg = NextYearRegister(reg, *y);
    }
    EXPECT_TRUE(reg.empty());  // dropped once its cost is spent
    // An uneven cost: the fraction rounds up and the third year takes the rest.
    FixedAsset odd = LumpSumPc();
    odd.Cost = odd.OpeningBookValue = 100000;
    EXPECT_EQ(One(odd, 2026).depreciation, 33334);
    odd.OpeningBookValue = 33332;
    EXPECT_EQ(One(odd, 2028).depreciation, 33332);
    EXPECT_EQ(One(odd, 2028).closingBookValue, 0);
    // Outside 100,000 to under 200,000 yen it is refused.
    odd.Cost = odd.OpeningBookValue = 200000;
    EXPECT_FALSE(DepreciateRegister({odd}, 2026).ok());
}

TEST(SmallAsset, TheWholeCostInTheYearOfUseWithinTheLimitAndCap) {
    AssetYear y = One(SmallPc(), 2026);
    EXPECT_EQ(y.depreciation, 250000);
    EXPECT_EQ(y.closingBookValue, 0);
    EXPECT_EQ(y.remarks, "措法28の2");
    EXPECT_FALSE(y.unconfirmed);
    // 300,000 yen is not under the limit of an asset acquired up to 2026-03-31 ...
    EXPECT_FALSE(DepreciateRegister({SmallPc(20260315, 300000)}, 2026).ok());
    // ... while one acquired from April rests on the proposed 400,000 yen, and says so.
    auto proposed = DepreciateRegister({SmallPc(20260415, 350000)}, 2026);
    ASSERT_TRUE(proposed.ok());
    EXPECT_EQ(proposed->assets[0].depreciation, 350000);
    EXPECT_TRUE(proposed->assets[0].unconfirmed);
    EXPECT_TRUE(proposed->unconfirmed());
    // Eleven of 280,000 yen in one year: the eleventh would pass 3,000,000.
    AssetRegister eleven(11, SmallPc(20250610, 280000));
    auto capped = DepreciateRegister(eleven, 2025);
    ASSERT_FALSE(capped.ok());
    EXPECT_NE(capped.error().detail.find("資産 11"), std::string::npos);
    eleven.pop_back();
    EXPECT_TRUE(DepreciateRegister(eleven, 2025).ok());
}

TEST(RegisterYearTotals, AddUpAndTheNoteNamesEveryRuleWithItsStatus) {
    AssetRegister reg{Van(), LumpSumPc(), SmallPc(), ShopFitting(30000)};
    auto y = DepreciateRegister(reg, 2026);
    ASSERT_TRUE(y.ok());
    EXPECT_EQ(y->depreciation, 300600 + 60000 + 250000 + 10000);
    EXPECT_EQ(y->expense, 240480 + 60000 + 250000 + 10000);
    EXPECT_EQ(y->privatePart, 60120);
    EXPECT_EQ(y->closingBookValue, 2099400 + 120000 + 0 + 20000);
    EXPECT_FALSE(y->unconfirmed());
    const auto note = ClosingNote(*y);
    ASSERT_EQ(note.size(), y->rules.size());
    bool rounding = false;
    for (const std::string& line : note) {
        EXPECT_NE(line.find("確定"), std::string::npos) << line;
        if (line.find("切上げ") != std::string::npos) rounding = true;
    }
    EXPECT_TRUE(rounding);
}

TEST(BusinessShare, RoundsAsPageThreeDoes) {
    EXPECT_EQ(BusinessPart(300600, 80), 240480);
    EXPECT_EQ(BusinessPart(145833, 60), 87500);  // 87,499.8 -> 87,500
    EXPECT_EQ(BusinessPart(1000, 33), 330);
    EXPECT_EQ(BusinessPart(1001, 33), 330);  // 330.33
    EXPECT_EQ(BusinessPart(-1001, 33), -330);
    EXPECT_EQ(BusinessPart(2147483647, 100), 2147483647);
}

}  // namespace
}  // namespace tabulo
