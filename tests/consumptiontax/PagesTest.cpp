// What the screens and the printout show of a return (the comparison, the forms' lines,
// the notes on rules not yet law, the 税区分別集計), the lines of an amended return,
// and the settings file of an amended year against bytes written from its layout.

#include <gtest/gtest.h>

#include <algorithm>

#include "consumptiontax/TaxReturnPages.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

Yen Line(const MethodReturn& r, const std::string& mark) {
    for (const TaxLine& l : r.Lines)
        if (l.Sheet == "第一表" && l.Mark == mark) return l.Amount;
    ADD_FAILURE() << "no line " << mark;
    return -1;
}

TaxSettings GroceryShop() {
    TaxSettings t;
    t.Taxable = true;
    t.Method = TaxMethod::Simplified;
    t.BusinessClass = 2;
    t.SimpleElectionFiled = true;
    t.RegistrationNo = "T7123456789012";
    return t;
}

TaxTotals Grocery() {
    TaxTotals t;
    AddToTotals(t, TaxCategory::Sales8, 20260301, 5432100, 0);
    AddToTotals(t, TaxCategory::Sales10, 20260301, 1654300, 0);
    AddToTotals(t, TaxCategory::Purchase8, 20260301, 3791500, 0);
    AddToTotals(t, TaxCategory::Purchase10, 20260401, 992200, 0);
    AddToTotals(t, TaxCategory::Purchase10NoInvoice, 20260615, 110000, 0);
    AddToTotals(t, TaxCategory::Purchase10NoInvoice, 20261110, 55000, 0);
    return t;
}

TEST(TaxReturnPages, YenAreWrittenAsOnTheForms) {
    EXPECT_EQ(TaxYenText(0), "0");
    EXPECT_EQ(TaxYenText(1234567), "1,234,567");
    EXPECT_EQ(TaxYenText(-1200), "△1,200");
    EXPECT_EQ(TaxYenText(-999), "△999");
}

TEST(TaxReturnPages, TheComparisonShowsEachMethodWithTheCheapestMarked) {
    const auto all = ComputeTaxReturn(Grocery(), GroceryShop(), 2026);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(MethodHead(all[0]), "2割特例（最も少ない）");
    EXPECT_EQ(MethodHead(all[1]), "簡易課税（最も少ない）");
    EXPECT_EQ(MethodHead(all[2]), "原則課税");
    const auto rows = ComparisonRows(all);
    const auto row = [&](const std::string& label) {
        for (const ComparisonRow& r : rows)
            if (r.Label == label) return r.Cells;
        ADD_FAILURE() << label;
        return std::vector<std::string>{};
    };
    EXPECT_EQ(row("課税標準額"), (std::vector<std::string>{"6,532,000", "6,532,000", "6,532,000"}));
    EXPECT_EQ(row("控除対象仕入税額"), (std::vector<std::string>{"344,834", "344,834", "298,390"}));
    EXPECT_EQ(row("納付（還付）税額の合計"), (std::vector<std::string>{"110,500", "110,500", "170,000"}));
    EXPECT_EQ(row("改正案による数値"), (std::vector<std::string>{"なし", "なし", "あり（下の注）"}));
    // Only the method that rests on the reform's 70 % carries the note.
    const auto notes = UnconfirmedNotes(all);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].rfind("原則課税：", 0), 0u);
    EXPECT_NE(notes[0].find(UnconfirmedRuleNote()), std::string::npos);
    EXPECT_NE(notes[0].find("令和8年度税制改正の大綱"), std::string::npos);
}

TEST(TaxReturnPages, AMethodThatCannotBeWorkedOutSaysWhy) {
    TaxSettings t = GroceryShop();
    t.BusinessClass = 0;  // sales with no class
    const auto all = ComputeTaxReturn(Grocery(), t, 2026);
    const auto rows = ComparisonRows(all);
    EXPECT_NE(rows[0].Cells[1].find("事業区分"), std::string::npos) << rows[0].Cells[1];
    EXPECT_EQ(rows[1].Cells[1], "");
    EXPECT_FALSE(all[1].Least);
    EXPECT_TRUE(all[0].Least);  // 2割特例 110,500 against 原則 170,000
}

TEST(TaxReturnPages, EachMethodHasItsForms) {
    const auto all = ComputeTaxReturn(Grocery(), GroceryShop(), 2026);
    EXPECT_EQ(SheetsOf(all[0]), (std::vector<std::string>{"第一表", "第二表", "付表6"}));
    EXPECT_EQ(SheetsOf(all[1]), (std::vector<std::string>{"第一表", "第二表", "付表4-3", "付表5-3"}));
    EXPECT_EQ(SheetsOf(all[2]), (std::vector<std::string>{"第一表", "第二表", "付表1-3", "付表2-3"}));
    // 第二表: the grocer's sales without tax by rate, and the tax on each.
    const auto second = SheetLines(all[2], "第二表");
    ASSERT_EQ(second.size(), 8u);
    EXPECT_EQ(second[1].Name, "課税資産の譲渡等の対価の額（6.24%適用分）");
    EXPECT_EQ(second[1].Amount, 5029722);  // 5,432,100 × 100/108
    EXPECT_EQ(second[2].Amount, 1503909);  // 1,654,300 × 100/110
    EXPECT_EQ(second[3].Amount, 5029722 + 1503909);
    EXPECT_EQ(second[6].Amount, 431043);
    EXPECT_EQ(second[7].Amount, 132600);
    const auto first = SheetLines(all[2], "第一表");
    ASSERT_EQ(first.size(), 26u);  // ① to ㉖, each once
    EXPECT_EQ(first.front().Mark, "①");
    EXPECT_EQ(first.back().Mark, "㉖");
    EXPECT_EQ(first.back().Name, "消費税及び地方消費税の合計（納付又は還付）税額");
}

TEST(TaxReturnPages, TheCategoriesByMonth) {
    const auto rows = CategoryMonthRows(Grocery());
    ASSERT_EQ(rows.size(), 5u);  // the categories that hold an amount, in their order
    EXPECT_EQ(rows[0].Name, "課税売上10%");
    EXPECT_EQ(rows[0].Months[2], 1654300);
    EXPECT_EQ(rows[3].Name, "課税仕入8%（軽減）");
    EXPECT_EQ(rows[4].Name, "課税仕入10%（適格請求書なし）");
    EXPECT_EQ(rows[4].Months[5], 110000);
    EXPECT_EQ(rows[4].Months[10], 55000);
    EXPECT_EQ(rows[4].Total, 165000);
}

// An amended return: ⑬ and ㉔ are what the return amended came to, ⑭ and ㉕ what this
// one adds, and ㉖ their sum.
TEST(AmendedReturn, TheLinesOfTheAmendment) {
    TaxSettings t = GroceryShop();
    t.Amended = true;
    t.PriorTax = 80000;
    t.PriorLocalTax = 22500;
    const MethodReturn r = ComputeMethod(Grocery(), t, TaxMethod::Simplified, 2026);
    EXPECT_EQ(Line(r, "⑪"), 86200);
    EXPECT_EQ(Line(r, "⑬"), 80000);
    EXPECT_EQ(Line(r, "⑭"), 6200);
    EXPECT_EQ(Line(r, "㉒"), 24300);
    EXPECT_EQ(Line(r, "㉔"), 22500);
    EXPECT_EQ(Line(r, "㉕"), 1800);
    EXPECT_EQ(Line(r, "㉖"), 8000);
    // Amending a refund: what was refunded counts as less than 0.
    t.PriorTax = -5000;
    t.PriorLocalTax = -1400;
    const MethodReturn refund = ComputeMethod(Grocery(), t, TaxMethod::Simplified, 2026);
    EXPECT_EQ(Line(refund, "⑭"), 91200);
    EXPECT_EQ(Line(refund, "㉕"), 25700);
    // Not amended: the four lines are 0 and ㉖ is the return's own.
    const MethodReturn plain = ComputeMethod(Grocery(), GroceryShop(), TaxMethod::Simplified, 2026);
    for (const char* mark : {"⑬", "⑭", "㉔", "㉕"}) EXPECT_EQ(Line(plain, mark), 0) << mark;
    EXPECT_EQ(Line(plain, "㉖"), 110500);
}

TEST(AmendedReturn, TheSettingsFileGrowsToTheAmendedLayout) {
    // Written by hand: the grocer's 132 bytes under "CTX2", then Amended 1, three
    // reserved 0, PriorTax 80,000 (0x00013880), PriorLocalTax -1,400 (0xFFFFFA88).
    std::vector<unsigned char> b = {'C', 'T', 'X', '2', 0x01, 0x02, 0x01, 0x02, 0x01, 0x01,
                                    'T', '7', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2',
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    b.resize(132, 0);
    const std::vector<unsigned char> tail = {0x01, 0x00, 0x00, 0x00, 0x80, 0x38, 0x01, 0x00,
                                             0x88, 0xFA, 0xFF, 0xFF};
    b.insert(b.end(), tail.begin(), tail.end());
    std::vector<std::byte> bytes;
    for (unsigned char c : b) bytes.push_back(std::byte(c));
    ASSERT_EQ(bytes.size(), kAmendedTaxSettingsSize);
    TaxSettings t = GroceryShop();
    t.Method = TaxMethod::Simplified;
    t.Amended = true;
    t.PriorTax = 80000;
    t.PriorLocalTax = -1400;
    auto read = DecodeTaxSettings(bytes, "SHOHIZEI08.DAT");
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_EQ(*read, t);
    EXPECT_EQ(EncodeTaxSettings(t), bytes);
    // A year not amended keeps the 132-byte form.
    EXPECT_EQ(EncodeTaxSettings(GroceryShop()).size(), kTaxSettingsSize);
    auto reserved = bytes;
    reserved[134] = std::byte(1);
    EXPECT_FALSE(DecodeTaxSettings(reserved, "x").ok());
    auto flag = bytes;
    flag[132] = std::byte(2);
    EXPECT_FALSE(DecodeTaxSettings(flag, "x").ok());
    auto shortened = bytes;
    shortened.pop_back();
    EXPECT_FALSE(DecodeTaxSettings(shortened, "x").ok());
    std::vector<std::byte> old(bytes.begin(), bytes.begin() + 132);
    EXPECT_FALSE(DecodeTaxSettings(old, "x").ok());  // "CTX2" with the old length
}

TEST(TaxSettingsFields, YenAsTheUserTypesThem) {
    EXPECT_EQ(TaxYenFromText("", false), 0);
    EXPECT_EQ(TaxYenFromText(" 12,345 ", false), 12345);
    EXPECT_EQ(TaxYenFromText("2147483647", false), 2147483647);
    EXPECT_FALSE(TaxYenFromText("2147483648", false).has_value());
    EXPECT_FALSE(TaxYenFromText("-5", false).has_value());
    EXPECT_FALSE(TaxYenFromText("12a", false).has_value());
    EXPECT_FALSE(TaxYenFromText("1.5", false).has_value());
    EXPECT_FALSE(TaxYenFromText(",", false).has_value());
    EXPECT_EQ(TaxYenFromText("-5,000", true), -5000);
    EXPECT_EQ(TaxYenFromText("△1,400", true), -1400);
    EXPECT_FALSE(TaxYenFromText("△", true).has_value());
}

// The printout: the comparison, the shown method's 第一表 and worksheets, the 税区分別
// 集計; every page with the business and the registration number.
TEST(TaxReturnPrintout, ThePagesOfTheGroceryYear) {
    SharedState s;
    s.EraName = "令和";
    s.FiscalYear = 8;
    s.ReportTitleName = "青空商店";
    YearTaxBooks year;
    year.Settings = GroceryShop();
    year.Totals = Grocery();
    year.Year = 2026;
    const auto all = ComputeTaxReturn(year.Totals, year.Settings, year.Year);
    const auto texts = [](const PrintPage& page) {
        std::vector<std::string> out;
        for (const DrawOp& op : page.ops)
            if (op.kind == DrawKind::Text) out.push_back(op.text);
        return out;
    };
    const auto has = [&](const PrintPage& page, const std::string& piece) {
        const auto t = texts(page);
        return std::any_of(t.begin(), t.end(), [&](const std::string& x) { return x.find(piece) != std::string::npos; });
    };

    const PrintDocument general = PrintConsumptionTax(s, year, all, 2);
    // The comparison, 第一表, 第二表, 付表1-3, 付表2-3, the categories.
    ASSERT_EQ(general.pages.size(), 6u);
    for (const PrintPage& p : general.pages) {
        EXPECT_TRUE(has(p, "青空商店"));
        EXPECT_TRUE(has(p, "登録番号 T7123456789012"));
        EXPECT_DOUBLE_EQ(p.scaleWidth, 200);
        for (const DrawOp& op : p.ops) {  // everything inside the A4 page
            EXPECT_LE(op.x1, 200);
            EXPECT_LE(op.y1, 287);
            EXPECT_LE(op.y2, 287);
        }
    }
    EXPECT_TRUE(has(general.pages[0], "◎2割特例（最も少ない）"));
    EXPECT_TRUE(has(general.pages[0], "◎簡易課税（最も少ない）"));
    EXPECT_TRUE(has(general.pages[0], "170,000"));
    EXPECT_TRUE(has(general.pages[0], "110,500"));
    EXPECT_TRUE(has(general.pages[0], "原則課税："));  // the note on the 70 % row
    EXPECT_TRUE(has(general.pages[1], "第一表"));
    EXPECT_TRUE(has(general.pages[1], "298,390"));
    EXPECT_TRUE(has(general.pages[1], "原則課税："));
    EXPECT_TRUE(has(general.pages[2], "第二表"));
    EXPECT_TRUE(has(general.pages[4], "付表2-3"));
    EXPECT_TRUE(has(general.pages[5], "税区分別集計"));
    EXPECT_TRUE(has(general.pages[5], "165,000"));

    const PrintDocument simple = PrintConsumptionTax(s, year, all, 1);
    ASSERT_EQ(simple.pages.size(), 6u);
    EXPECT_TRUE(has(simple.pages[3], "付表4-3"));
    EXPECT_TRUE(has(simple.pages[4], "付表5-3"));
    EXPECT_TRUE(has(simple.pages[4], "344,834"));
    EXPECT_FALSE(has(simple.pages[1], "原則課税："));  // 簡易課税 rests on law alone
}

}  // namespace
}  // namespace tabulo
