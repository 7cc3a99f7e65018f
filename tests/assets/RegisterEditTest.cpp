// What the register's screen leaves to the core: the boxes read into an asset, an
// asset's years until it is written off, and the printouts of the register and the
// shares, against figures worked by hand.

#include <gtest/gtest.h>

#include "assets/AssetsPrint.h"
#include "assets/RegisterEdit.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

AssetFields VanFields() {
    AssetFields f;
    f.name = "営業用バン";
    f.kind = 5;
    f.acquiredOn = "2026/4/1";
    f.cost = "2,400,000";
    f.usefulLife = "6";
    f.method = AssetMethod::StraightLine;
    f.businessShare = "80";
    return f;
}

TEST(RegisterEdit, TheBoxesReadIntoAnAsset) {
    auto van = ReadAssetFields(VanFields(), 2026);
    ASSERT_TRUE(van.ok()) << van.error().detail;
    EXPECT_EQ(van->AcquiredOn, 20260401);
    EXPECT_EQ(van->FirstUsedOn, 20260401);  // blank: the day of acquisition
    EXPECT_EQ(van->Cost, 2400000);
    EXPECT_EQ(van->OpeningBookValue, 2400000);  // first used this year: its cost
    EXPECT_EQ(van->BusinessShare, 80);
    EXPECT_EQ(FieldsOf(*van).acquiredOn, "2026-04-01");
    auto again = ReadAssetFields(FieldsOf(*van), 2026);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(*again, *van);

    auto refused = [](AssetFields f, int year) {
        auto a = ReadAssetFields(f, year);
        return a.ok() ? std::string() : a.error().detail;
    };
    AssetFields f = VanFields();
    f.name = "  ";
    EXPECT_EQ(refused(f, 2026), "名称を入力して下さい。");
    f = VanFields();
    f.acquiredOn = "2026-02-29";
    EXPECT_EQ(refused(f, 2026), "取得年月日を 2026-04-01 のように入力して下さい。");
    f = VanFields();
    f.cost = "12a";
    EXPECT_EQ(refused(f, 2026), "取得価額を入力して下さい。");
    // Used since last year: its opening book value must be given.
    EXPECT_NE(refused(VanFields(), 2027).find("期首の帳簿価額"), std::string::npos);
    f = VanFields();
    f.openingBookValue = "2500000";
    EXPECT_EQ(refused(f, 2026), "期首の帳簿価額は０円から取得価額までです。");
    f = VanFields();
    f.disposalKind = DisposalKind::Scrapped;
    EXPECT_EQ(refused(f, 2026), "売却・除却の月（１から１２）を入力して下さい。");
    f.disposalMonth = "3";  // before the month of first use
    auto early = ReadAssetFields(f, 2026);
    ASSERT_TRUE(early.ok());
    auto added = WithAsset({}, 0, *early, 2026);
    EXPECT_FALSE(added.ok());

    EXPECT_EQ(*ReadShareText("40"), 40);
    EXPECT_EQ(*ReadShareText(" 70% "), 70);
    EXPECT_EQ(*ReadShareText(""), 0);
    EXPECT_FALSE(ReadShareText("101").ok());
    EXPECT_FALSE(ReadShareText("-5").ok());
}

TEST(RegisterEdit, TheVansYearsEndAtOneYen) {
    auto van = ReadAssetFields(VanFields(), 2026);
    ASSERT_TRUE(van.ok());
    const std::vector<ScheduleYear> years = AssetSchedule(*van, 2026);
    ASSERT_EQ(years.size(), 7u);
    EXPECT_EQ(years[0].figures.depreciation, 300600);
    EXPECT_EQ(years[0].figures.expense, 240480);
    EXPECT_EQ(years[0].figures.closingBookValue, 2099400);
    EXPECT_EQ(years[1].opening, 2099400);
    EXPECT_EQ(years[1].figures.depreciation, 400800);
    EXPECT_EQ(years[1].figures.closingBookValue, 1698600);
    EXPECT_EQ(years[5].year, 2031);
    EXPECT_EQ(years[5].figures.closingBookValue, 95400);
    EXPECT_EQ(years[6].year, 2032);
    EXPECT_EQ(years[6].figures.depreciation, 95399);
    EXPECT_EQ(years[6].figures.closingBookValue, 1);
}

TEST(RegisterEdit, TheShopFittingsEqualYearsEndIn2028) {
    FixedAsset a;
    a.AssetName = "店舗内装";
    a.AssetKind = 2;
    a.AcquiredOn = a.FirstUsedOn = 20050601;
    a.Cost = 1000000;
    a.OpeningBookValue = 30000;  // two of the five years done
    a.UsefulLife = 15;
    a.Method = AssetMethod::OldStraightLine;
    const std::vector<ScheduleYear> years = AssetSchedule(a, 2026);
    ASSERT_EQ(years.size(), 3u);
    EXPECT_EQ(years[0].figures.depreciation, 10000);  // 9,999.8 rounded up
    EXPECT_EQ(years[1].figures.depreciation, 10000);
    EXPECT_EQ(years[2].year, 2028);
    EXPECT_EQ(years[2].figures.depreciation, 9999);
    EXPECT_EQ(years[2].figures.closingBookValue, 1);

    // A lump-sum asset's three years, then nothing.
    FixedAsset pc;
    pc.AssetName = "PC";
    pc.AcquiredOn = pc.FirstUsedOn = 20261210;
    pc.Cost = pc.OpeningBookValue = 180000;
    pc.Method = AssetMethod::LumpSum;
    const std::vector<ScheduleYear> lump = AssetSchedule(pc, 2026);
    ASSERT_EQ(lump.size(), 3u);
    for (const ScheduleYear& y : lump) EXPECT_EQ(y.figures.depreciation, 60000);
    EXPECT_EQ(lump[2].figures.closingBookValue, 0);
}

TEST(AssetsPrint, TheRegisterPrintsEachAssetItsTotalsAndTheRules) {
    SharedState s;
    s.EraName = "令和";
    s.FiscalYear = 8;
    s.ReportTitleName = "山田商店";
    YearRegister reg;
    auto van = ReadAssetFields(VanFields(), 2026);
    ASSERT_TRUE(van.ok());
    for (int i = 0; i < 30; ++i) reg.assets.push_back(*van);
    auto year = DepreciateRegister(reg.assets, 2026);
    ASSERT_TRUE(year.ok());
    reg.year = *year;
    const PrintDocument doc = PrintAssetRegister(s, reg);
    // 30 assets and the totals: 24 rows, then 7.
    ASSERT_EQ(doc.pages.size(), 2u);
    auto texts = [&](std::size_t page) {
        std::string all;
        for (const DrawOp& op : doc.pages[page].ops)
            if (op.kind == DrawKind::Text) all += op.text + "\n";
        return all;
    };
    const std::string first = texts(0), last = texts(1);
    EXPECT_NE(first.find("固 定 資 産 台 帳"), std::string::npos);
    EXPECT_NE(first.find("令和8年分"), std::string::npos);
    EXPECT_NE(first.find("営業用バン"), std::string::npos);
    EXPECT_NE(first.find("2,099,400"), std::string::npos);
    EXPECT_NE(first.find("6年 0.167"), std::string::npos);
    EXPECT_EQ(first.find("合計"), std::string::npos);
    EXPECT_NE(last.find("合計"), std::string::npos);
    EXPECT_NE(last.find("9,018,000"), std::string::npos);  // 30 x 300,600
    EXPECT_NE(last.find("（償却費の計算の根拠）"), std::string::npos);
    EXPECT_NE(last.find("定額法の償却率"), std::string::npos);
    EXPECT_NE(last.find("- 2 / 2 -"), std::string::npos);

    SharesYear shares;
    shares.lines.push_back({16, "地代家賃", 23, 1200000, 40, 480000, 720000});
    shares.lines.push_back({17, "消耗品費", 18, 30000, 0, 30000, 0});
    shares.total = 1230000;
    shares.expense = 510000;
    shares.privatePart = 720000;
    const PrintDocument list = PrintPrivateShares(s, shares);
    ASSERT_EQ(list.pages.size(), 1u);
    std::string all;
    for (const DrawOp& op : list.pages[0].ops)
        if (op.kind == DrawKind::Text) all += op.text + "\n";
    EXPECT_NE(all.find("地代家賃"), std::string::npos);
    EXPECT_NE(all.find("40%"), std::string::npos);
    EXPECT_NE(all.find("全額"), std::string::npos);
    EXPECT_NE(all.find("720,000"), std::string::npos);
    EXPECT_NE(all.find("1,230,000"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
