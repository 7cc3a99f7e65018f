// What each page prints slot by slot, against hand-written expectations.
#include <gtest/gtest.h>

#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementPage4.h"
#include "taxreturn/StatementSlots.h"

namespace tabulo {
namespace {

TEST(StatementSlots, Page1HeaderSplitsPeriodAndBoxedLines) {
    MasterHeaderArray h;
    h[MasterField::Address] = "東京都港区1-2-3";
    h[MasterField::Location] = "同上";
    h[MasterField::LineOfBusiness] = "食料品小売業兼飲食業";  // split after 6 characters
    h[MasterField::TradeName] = "やまだ商店本店";             // after 5
    h[MasterField::Name] = "山田太郎";
    h[MasterField::NameReading] = "ヤマダタロウ";
    h[MasterField::AccountantAddress] = "大阪府大阪市北区梅田";  // fits one line
    Page1Figures p;
    p.freeLineNames[2] = "リース料";
    p.lines[1] = 1234567;
    p.lines[45] = -250000;
    const auto s = Page1Slots(h, p, 7);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kPage1Slots + kYearSlots));
    EXPECT_EQ(s[0].text, "東京都港区1-2-3");
    EXPECT_EQ(s[1].text, "同上");
    EXPECT_EQ(s[2].text, "食料品小売業");
    EXPECT_EQ(s[3].text, "兼飲食業");
    EXPECT_EQ(s[4].text, "やまだ商店");
    EXPECT_EQ(s[5].text, "本店");
    EXPECT_EQ(s[6].text, "ヤマダタロウ");
    EXPECT_EQ(s[7].text, "山田太郎");
    EXPECT_EQ(s[11].text, "大阪府大阪市北区梅田");
    EXPECT_EQ(s[12].text, "");
    EXPECT_EQ(s[16].text, "リース料");
    EXPECT_EQ(s[21].text, "1");
    EXPECT_EQ(s[23].text, "12");
    EXPECT_EQ(s[24].text, "31");
    EXPECT_DOUBLE_EQ(s[24].size, 9);
    EXPECT_EQ(s[25].text, "  1 2 3 4 5 6 7");
    EXPECT_DOUBLE_EQ(s[25].size, 14);
    EXPECT_EQ(s[25].fieldChars, 15);
    EXPECT_EQ(s[26].text, "              -");
    EXPECT_EQ(s[69].text, "  - 2 5 0 0 0 0");  // a loss on line 45
    // The year goes last, so that a layout drawn without its slot still prints.
    EXPECT_EQ(s[70].text, " 7");
    EXPECT_TRUE(s[70].optional);
    for (std::size_t k = 0; k < 70; ++k) EXPECT_FALSE(s[k].optional) << k;
}

// The accountant's address broke as "渋谷区1 / -1": it now breaks where an address
// does, never inside a number, and stays on one line when it fits.
TEST(StatementSlots, AnAddressBreaksAfterItsCityNeverInsideANumber) {
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitAddress("東京都渋谷区1-1", 44), (P{"東京都渋谷区1-1", ""}));
    EXPECT_EQ(SplitAddress("東京都渋谷区神宮前1-1-1", 20), (P{"東京都渋谷区", "神宮前1-1-1"}));
    EXPECT_EQ(SplitAddress("神奈川県横浜市中区山下町1-23-456", 30),
              (P{"神奈川県横浜市中区山下町", "1-23-456"}));
    // No city within the line: after the prefecture.
    EXPECT_EQ(SplitAddress("北海道ニセコ町字ニセコ123", 8), (P{"北海道", "ニセコ町字ニセコ123"}));
    // Nothing natural: between a word and its number, not inside the number.
    EXPECT_EQ(SplitAddress("ABCDEF12345678", 10), (P{"ABCDEF", "12345678"}));
    // A line with room for nothing natural at all is cut where it is full.
    EXPECT_EQ(SplitAddress("1234567890", 4), (P{"1234", "567890"}));
}

TEST(StatementSlots, Page2InItsOrder) {
    MonthlySection m;
    m.sales[1] = 120000;
    m.sales[15] = 120000;
    m.purchases[7] = 5000;
    Page2Data d;
    d.Name1[1] = "山田花子";
    d.Zokugara[1] = "妻";
    d.Nenrei[1] = 45;
    d.Gtuki[1] = 12;
    d.family.KyuRyo[1] = 960000;
    d.family.Goukei[1] = 960000;
    d.family.KyuRyo[5] = 960000;
    d.family.Goukei[5] = 960000;
    d.family.Gensen[5] = 12340;
    d.Syukei[11] = 100000;
    d.Name2[1] = "佐藤一郎";
    d.Gtuki2[1] = 10;
    d.Gtuki2[2] = 3;
    d.employees.KyuRyo[1] = 1500000;
    d.Ninzuu = "2";
    d.employees.Gensen[7] = 45600;
    const auto s = Page2Slots(m, d, 13);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kPage2Slots + kYearSlots));
    EXPECT_EQ(s[0].text, "");
    EXPECT_EQ(s[1].text, "");
    EXPECT_EQ(s[2].text, "   120,000");        // January
    EXPECT_EQ(s[3].text, "         -");        // a zero month prints "-"
    EXPECT_EQ(s[14].text, "              -");  // 家事消費等
    EXPECT_EQ(s[16].text, "    1 2 0 0 0 0");  // the sales total, boxed
    EXPECT_EQ(s[17 + 6].text, "     5,000");   // purchases in July
    EXPECT_EQ(s[29].text, "              -");  // purchases total
    // Family row 1 from slot 31 (index 30).
    EXPECT_EQ(s[30].text, "山田花子");
    EXPECT_EQ(s[31].text, "妻");
    EXPECT_EQ(s[32].text, "45");
    EXPECT_EQ(s[33].text, "12");
    EXPECT_EQ(s[34].text, "   960,000");
    EXPECT_EQ(s[35].text, "");     // a zero bonus prints nothing but keeps its slot
    EXPECT_EQ(s[38].text, "");     // row 2's name
    EXPECT_EQ(s[62].text, "1 2");  // the months worked, boxed
    EXPECT_EQ(s[63].text, "   960,000");
    EXPECT_EQ(s[66].text, "  1 2 3 4 0");  // the withheld total, 6 boxes
    EXPECT_EQ(s[67 + 10].text, "    1 0 0 0 0 0");
    EXPECT_EQ(s[78].text, "佐藤一郎");
    EXPECT_EQ(s[80].text, "10");
    EXPECT_EQ(s[81].text, " 1,500,000");
    EXPECT_EQ(s[113].text, "2");      // その他 persons
    EXPECT_EQ(s[118].text, "  1 3");  // employees' months, 3 boxes
    EXPECT_EQ(s[122].text, "  4 5 6 0 0");
    EXPECT_EQ(s[123].text, "13");
    EXPECT_TRUE(s[123].optional);
}

TEST(StatementSlots, Page3TakesItsTwoHundredAndSevenSlots) {
    Page3Data d;
    AssetRow& a = d.assets[1];
    a.Name1 = "軽自動車";
    a.QT = "1台";
    a.Nen = 5;
    a.Tuki = 4;
    a.Gaku = 1200000;
    a.KisoGaku = 1200000;
    a.SyouKyaku = "定率";
    a.Nensuu = 4;
    a.Ritsu = "0.500";
    a.Kikan = 12;
    a.Hi = 600000;
    a.Goukei = 600000;
    a.Jigyo = 60;
    a.Keihi = 360000;
    a.Zandaka = 600000;
    a.Bikou = "中古";
    d.assets[3].Bikou = "措法28の2";  // as the register writes it for a small asset
    d.assets[11].Hi = 600000;
    d.assets[11].Bikou = "計";
    d.interest[2].Name2 = "田中";
    d.rent[1].Buken = "店舗";
    d.fees[2].Gensen4 = 10210;
    d.Memo = std::string(36, 'x') + "改装のため休業";
    const auto s = Page3Slots(d, 8);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kPage3Slots + kYearSlots));
    EXPECT_EQ(s.back().text, " 8");
    EXPECT_TRUE(s.back().optional);
    EXPECT_EQ(s[0].text, "軽自動車");
    EXPECT_DOUBLE_EQ(s[0].size, 8.4);
    EXPECT_DOUBLE_EQ(s[1].size, 9);  // the rows print at 9 points to fit their columns
    EXPECT_EQ(s[2].text, " 5");
    EXPECT_EQ(s[4].text, " 1,200,000");
    EXPECT_EQ(s[8].text, "0.500");
    EXPECT_EQ(s[11].text, "");  // no extra depreciation
    EXPECT_EQ(s[13].text, " 60");
    EXPECT_EQ(s[14].text, "   360,000");
    EXPECT_EQ(s[17].text, "");  // row 2 is empty
    // A memo wider than its column's eight characters prints smaller to stay inside.
    EXPECT_EQ(s[16].text, "中古");
    EXPECT_DOUBLE_EQ(s[16].size, 9);
    EXPECT_EQ(s[2 * 17 + 16].text, "措法28の2");
    EXPECT_DOUBLE_EQ(s[2 * 17 + 16].size, 8);
    EXPECT_EQ(s[170].text, "   600,000");
    EXPECT_EQ(s[175].text, "計");
    EXPECT_EQ(s[180].text, "田中");
    EXPECT_EQ(s[185].text, "店舗");
    EXPECT_EQ(s[201].text, "    10,210");
    EXPECT_EQ(s[202].text, std::string(35, 'x'));
    EXPECT_EQ(s[203].text, "x改装のため休業");
    EXPECT_DOUBLE_EQ(s[203].size, 7.4);
    EXPECT_EQ(s[206].text, "");
}

// Page 4, slot by slot: the asset rows on both days, 合計, the other column with the
// income on 31 December alone, the manufacturing names and lines, the year.
TEST(StatementSlots, Page4InTheLayoutsOrder) {
    Page4Figures p;
    for (int code : {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115,
                     116, 130})
        p.sheet.assets.push_back({code, 0, 0});
    for (int code : {201, 202, 203, 204, 205, 206, 207, 301, 302})
        p.sheet.claims.push_back({code, 0, 0});
    p.sheet.assets[0] = {101, 100000, 200000};
    p.sheet.assets[16] = {130, 0, 30000};
    p.sheet.assetsOpening = 100000;
    p.sheet.assetsClosing = 230000;
    p.sheet.claims[2] = {203, 50000, 40000};
    p.sheet.claims[8] = {302, 50000, 50000};
    p.sheet.income = -60000;
    p.sheet.claimsOpening = 100000;
    p.sheet.claimsClosing = 30000;
    p.cost.freeNames[0] = "包装材料";
    p.cost.lines[1] = 1234;
    p.cost.lines[23] = 7654321;
    const auto s = Page4Slots(p, 7);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kPage4Slots + kYearSlots));
    EXPECT_EQ(s[0].text, "   100,000");
    EXPECT_EQ(s[1].text, "   200,000");
    EXPECT_DOUBLE_EQ(s[1].size, 9);
    EXPECT_EQ(s[2].text, "");  // 当座預金: nothing on either day
    EXPECT_EQ(s[32].text, "");
    EXPECT_EQ(s[33].text, "    30,000");  // 事業主貸
    EXPECT_EQ(s[34].text, "   100,000");  // 合計
    EXPECT_EQ(s[35].text, "   230,000");
    EXPECT_EQ(s[40].text, "    50,000");  // 借入金
    EXPECT_EQ(s[41].text, "    40,000");
    EXPECT_EQ(s[52].text, "    50,000");  // 元入金
    EXPECT_EQ(s[54].text, "   -60,000");  // the income, a loss
    EXPECT_EQ(s[55].text, "   100,000");
    EXPECT_EQ(s[56].text, "    30,000");
    EXPECT_EQ(s[57].text, "包装材料");
    EXPECT_EQ(s[61].text, "");
    EXPECT_EQ(s[62].text, "     1,234");
    EXPECT_EQ(s[84].text, " 7,654,321");
    EXPECT_EQ(s[85].text, " 7");
    EXPECT_TRUE(s[85].optional);
}

}  // namespace
}  // namespace tabulo
