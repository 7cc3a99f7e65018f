// A year whose statement the fixed-asset register and the business shares feed, worked
// by hand: the van of 2,400,000 first used in April 2026 at 80 %, the PC of 180,000 as
// 一括償却資産, the PC of 250,000 under the 少額 rule, the shop fitting of 2005 in its
// third equal year and the rent of 1,200,000 at 40 %. Page 3's rows, page 1's lines 18
// and 23, the closing entries and the trial balance all follow from the files.

#include <gtest/gtest.h>

#include "assets/AssetFiles.h"
#include "assets/StatementFeed.h"
#include "books/Closing.h"
#include "books/TrialBalance.h"
#include "cashbook/Aggregation.h"
#include "store/DataSet.h"
#include "store/TaxReturnFile.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementSlots.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;

constexpr int kRent = 16;        // 地代家賃: 支出, line 23
constexpr int kVehicles = 114;   // 車両運搬具
constexpr int kEquipment = 115;  // 工具器具備品
constexpr int kFittings = 112;   // 建物附属設備

FixedAsset Asset(const char* name, std::int16_t kind, std::int32_t used, Amount cost, Amount opening,
                 std::int16_t life, std::int16_t method, std::int16_t share = 100) {
    FixedAsset a;
    a.AssetName = name;
    a.AssetKind = kind;
    a.AcquiredOn = a.FirstUsedOn = used;
    a.Cost = cost;
    a.OpeningBookValue = opening;
    a.UsefulLife = life;
    a.Method = method;
    a.BusinessShare = share;
    return a;
}

AssetRegister TheYearsAssets() {
    return {Asset("営業用バン", 5, 20260401, 2400000, 2400000, 6, AssetMethod::StraightLine, 80),
            Asset("パソコン一括", 6, 20261210, 180000, 180000, 0, AssetMethod::LumpSum),
            Asset("パソコン", 6, 20260215, 250000, 250000, 4, AssetMethod::SmallAsset),
            Asset("店舗内装", 2, 20050601, 1000000, 30000, 15, AssetMethod::OldStraightLine)};
}

class RegisterYear2026 : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        // 令和8年 (2026).
        s.FiscalYear = 8;
        s.EraName = "令和";
        s.LedgerPath = dir / "KEIRI08.DAT";
        s.DepositPath = dir / "YOKIN08.DAT";
        s.TaxReturnData = DefaultTaxReturnData();
        Item(kRent, "地代家賃", 4, 23);
        for (int m = 1; m <= 12; ++m) {
            const std::string month = (m < 10 ? "0" : "") + std::to_string(m);
            Line("08" + month + "25", kRent, 100000, "家賃");
        }
        Line("080105", Sales, 5000000, "売上");
        WriteLedger();
        ASSERT_TRUE(SaveAssetRegister(AssetRegisterPath(s), TheYearsAssets()).ok());
        ItemShares shares{};
        shares[kRent] = 40;
        ASSERT_TRUE(SaveItemShares(ItemSharesPath(s), shares).ok());
    }
    YearFeed Feed() {
        auto feed = ReadYearFeed(s);
        EXPECT_TRUE(feed.ok()) << (feed.ok() ? "" : feed.error().detail);
        return feed.ok() ? *feed : YearFeed{};
    }
    TaxReturnTables Fed(const YearFeed& feed, FilledAssetRows* rows = nullptr) {
        auto t = feed.Tables(s.TaxReturnData, rows);
        EXPECT_TRUE(t.ok()) << (t.ok() ? "" : t.error().detail);
        return t.ok() ? *t : TaxReturnTables{};
    }
    static void Named(TaxReturnTables& t, int row, const std::string& name, Amount cost, Amount total,
                      Amount business) {
        Page3Data d = ReadPage3(t);
        AssetRow& a = d.assets[static_cast<std::size_t>(row)];
        a.Name1 = name;
        a.Gaku = cost;
        a.Hi = a.Goukei = total;
        a.Keihi = business;
        WritePage3(t, d);
    }
};

TEST_F(RegisterYear2026, PageThreeTakesEachAssetsYearFromTheRegister) {
    FilledAssetRows rows;
    const Page3Data p = ReadPage3(Fed(Feed(), &rows));
    const AssetRow& van = p.assets[1];
    EXPECT_EQ(van.Name1, "営業用バン");
    EXPECT_EQ(van.Nen, 8);  // 令和8年4月
    EXPECT_EQ(van.Tuki, 4);
    EXPECT_EQ(van.Gaku, 2400000);
    EXPECT_EQ(van.KisoGaku, 2400000);
    EXPECT_EQ(van.SyouKyaku, "定額法");
    EXPECT_EQ(van.Nensuu, 6);
    EXPECT_EQ(van.Ritsu, "0.167");
    EXPECT_EQ(van.Kikan, 9);
    EXPECT_EQ(van.Hi, 300600);
    EXPECT_EQ(van.Goukei, 300600);
    EXPECT_EQ(van.Jigyo, 80);
    EXPECT_EQ(van.Keihi, 240480);
    EXPECT_EQ(van.Zandaka, 2099400);
    EXPECT_EQ(rows.account[1], kVehicles);

    EXPECT_EQ(p.assets[2].Name1, "パソコン一");  // cut to the name box, whole characters
    EXPECT_EQ(p.assets[2].Ritsu, "1/3");
    EXPECT_EQ(p.assets[2].Keihi, 60000);
    EXPECT_EQ(p.assets[2].Zandaka, 120000);
    EXPECT_EQ(p.assets[3].Keihi, 250000);
    EXPECT_EQ(p.assets[3].Zandaka, 0);
    EXPECT_EQ(p.assets[3].SyouKyaku, "少額");
    EXPECT_EQ(p.assets[3].Bikou, "措法28の2");
    EXPECT_EQ(p.assets[4].Nen, 17);  // 平成17年
    EXPECT_EQ(p.assets[4].Ritsu, "1/5");
    EXPECT_EQ(p.assets[4].Keihi, 10000);
    EXPECT_EQ(p.assets[4].Zandaka, 20000);
    EXPECT_EQ(rows.account[4], kFittings);

    const AssetRow& total = p.assets[kAssetTotalRow];
    EXPECT_EQ(total.Hi, 300600 + 60000 + 250000 + 10000);
    EXPECT_EQ(total.Keihi, 240480 + 60000 + 250000 + 10000);
    EXPECT_EQ(total.Zandaka, 2099400 + 120000 + 0 + 20000);

    // The printout of the page carries the figures.
    const std::vector<SlotText> slots = Page3Slots(p, s.FiscalYear);
    auto printed = [&](const std::string& text) {
        for (const SlotText& t : slots)
            if (t.text.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(printed("240,480"));
    EXPECT_TRUE(printed("2,099,400"));
    EXPECT_TRUE(printed("560,480"));
}

TEST_F(RegisterYear2026, PageOneTakesTheDepreciationAndTheBusinessShareOfTheRent) {
    const YearFeed feed = Feed();
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    const Page1Figures whole = OpeningPage1(s.ItemTable, *totals, s.TaxReturnData);
    EXPECT_EQ(whole.lines[23], 1200000);
    EXPECT_EQ(whole.lines[kDepreciationLine], 0);

    const Page1Figures fed = OpeningPage1(s.ItemTable, feed.Totals(s.ItemTable, *totals), Fed(feed));
    EXPECT_EQ(fed.lines[23], 480000);
    EXPECT_EQ(fed.lines[kDepreciationLine], 560480);
    EXPECT_EQ(fed.lines[1], 5000000);
    // Income falls by the business parts alone.
    EXPECT_EQ(whole.lines[43] - fed.lines[43], 560480 - 720000);
}

TEST_F(RegisterYear2026, TheClosingEntriesSendThePrivatePartsToTheOwner) {
    const TrialBalance tb = Trial();
    EXPECT_EQ(Closing(tb, AccountCode::Depreciation), 560480);
    EXPECT_EQ(Closing(tb, 23), 480000);                               // 地代家賃
    EXPECT_EQ(Closing(tb, AccountCode::OwnerDrawings), 60120 + 720000);  // van and rent
    EXPECT_EQ(Closing(tb, kVehicles), -300600);   // the whole depreciation off the van
    EXPECT_EQ(Closing(tb, kEquipment), -310000);  // the two PCs
    EXPECT_EQ(Closing(tb, kFittings), -10000);
    EXPECT_EQ(tb.debitTotal, tb.creditTotal);

    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    int closing = 0;
    bool rent = false;
    for (const BookEntry& e : *journal) {
        if (e.source != BookEntry::Closing) continue;
        ++closing;
        EXPECT_EQ(e.date, "081231");
        if (e.posting.debit == AccountCode::OwnerDrawings && e.posting.credit == 23) {
            EXPECT_EQ(e.posting.amount, 720000);
            EXPECT_EQ(e.remarks, "家事分 地代家賃");
            rent = true;
        }
    }
    EXPECT_TRUE(rent);
    // The four assets' expenses, the van's private part and the rent's private part.
    EXPECT_EQ(closing, 6);
}

TEST_F(RegisterYear2026, ASoldAssetsBookValueLeavesTheBooks) {
    AssetRegister assets = TheYearsAssets();
    assets[0].DisposalMonth = 12;
    assets[0].DisposalKind = DisposalKind::Sold;
    ASSERT_TRUE(SaveAssetRegister(AssetRegisterPath(s), assets).ok());
    const TrialBalance tb = Trial();
    // Nine months of depreciation, then the rest leaves with the van.
    EXPECT_EQ(Closing(tb, kVehicles), -2400000);
    EXPECT_EQ(Closing(tb, AccountCode::OwnerDrawings), 60120 + 720000 + 2099400);
}

TEST_F(RegisterYear2026, ARowTheUserTypedStaysAndTheRegisterTakesTheFreeRows) {
    Named(s.TaxReturnData, 1, "看板", 300000, 50000, 50000);
    // A row typed earlier for the van: the register's figures replace it.
    Named(s.TaxReturnData, 3, "営業用バン", 2400000, 400000, 320000);
    FilledAssetRows rows;
    const TaxReturnTables fed = Fed(Feed(), &rows);
    const Page3Data p = ReadPage3(fed);
    EXPECT_EQ(p.assets[1].Name1, "看板");
    EXPECT_EQ(p.assets[1].Keihi, 50000);
    EXPECT_FALSE(rows.FromRegister(1));
    EXPECT_EQ(p.assets[3].Name1, "営業用バン");
    EXPECT_EQ(p.assets[3].Keihi, 240480);
    EXPECT_EQ(p.assets[2].Name1, "パソコン一");
    EXPECT_EQ(p.assets[4].Name1, "パソコン");
    EXPECT_EQ(p.assets[5].Name1, "店舗内装");
    EXPECT_EQ(p.assets[kAssetTotalRow].Keihi, 50000 + 560480);

    // What is stored keeps the typed row only; filling again gives the same page.
    TaxReturnTables stored = fed;
    ClearFilledRows(stored, rows);
    const Page3Data kept = ReadPage3(stored);
    EXPECT_EQ(kept.assets[1].Name1, "看板");
    EXPECT_EQ(kept.assets[3].Name1, "");
    EXPECT_EQ(kept.assets[kAssetTotalRow].Keihi, 50000);
    // The register's rows then take the free rows in its order, and stay there.
    FilledAssetRows againRows;
    auto again = Feed().Tables(stored, &againRows);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(ReadPage3(*again).assets[2].Name1, "営業用バン");
    EXPECT_EQ(ReadPage3(*again).assets[kAssetTotalRow].Keihi, 50000 + 560480);
    TaxReturnTables storedAgain = *again;
    ClearFilledRows(storedAgain, againRows);
    EXPECT_EQ(storedAgain, stored);
    auto third = Feed().Tables(storedAgain);
    ASSERT_TRUE(third.ok());
    EXPECT_EQ(*third, *again);

    // The typed van row disagreed with the register.
    auto reg = ReadYearRegister(s);
    ASSERT_TRUE(reg.ok());
    const std::vector<std::string> differ = RowsDisagreeing(s.TaxReturnData, reg->assets, reg->year);
    ASSERT_EQ(differ.size(), 1u);
    EXPECT_NE(differ[0].find("行 3 営業用バン"), std::string::npos) << differ[0];
    EXPECT_TRUE(RowsDisagreeing(fed, reg->assets, reg->year).empty());
}

TEST_F(RegisterYear2026, MoreAssetsThanRowsSumTheRestAsAnAttachedSheet) {
    AssetRegister many;
    for (int i = 0; i < 12; ++i)
        many.push_back(Asset(("机" + std::to_string(i)).c_str(), 6, 20260101, 120000, 120000, 0,
                             AssetMethod::LumpSum));
    ASSERT_TRUE(SaveAssetRegister(AssetRegisterPath(s), many).ok());
    Named(s.TaxReturnData, 2, "看板", 300000, 50000, 50000);
    FilledAssetRows rows;
    const Page3Data p = ReadPage3(Fed(Feed(), &rows));
    // Eight rows of their own, the ninth free row sums the other four.
    EXPECT_EQ(p.assets[10].Name1, kMoreAssetsRowName);
    EXPECT_EQ(rows.assets[10].size(), 4u);
    EXPECT_EQ(p.assets[10].Gaku, 4 * 120000);
    EXPECT_EQ(p.assets[10].Keihi, 4 * 40000);
    EXPECT_EQ(p.assets[kAssetTotalRow].Keihi, 12 * 40000 + 50000);

    // With every row typed, the register cannot go on the page: an error, nothing filled.
    TaxReturnTables full = s.TaxReturnData;
    for (int r = 1; r <= kAssetRows; ++r) Named(full, r, "手書き" + std::to_string(r), 1000, 100, 100);
    const TaxReturnTables before = full;
    auto reg = ReadYearRegister(s);
    ASSERT_TRUE(reg.ok());
    auto filled = FillAssetRows(full, reg->assets, reg->year);
    EXPECT_FALSE(filled.ok());
    EXPECT_EQ(full, before);
}

TEST_F(RegisterYear2026, AYearWithoutRegisterOrSharesIsAsTyped) {
    std::filesystem::remove(AssetRegisterPath(s));
    std::filesystem::remove(ItemSharesPath(s));
    Named(s.TaxReturnData, 1, "看板", 300000, 50000, 50000);
    const YearFeed feed = Feed();
    EXPECT_FALSE(feed.reg.has_value());
    EXPECT_EQ(Fed(feed), s.TaxReturnData);
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    EXPECT_EQ(feed.Totals(s.ItemTable, *totals), *totals);
}

}  // namespace
}  // namespace tabulo
