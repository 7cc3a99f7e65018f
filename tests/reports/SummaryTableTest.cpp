// The monthly summary: the screen grid's texts from the year's table, the print
// columns filled from the grid, and the two printed pages.
#include <gtest/gtest.h>

#include "reports/LedgerPages.h"
#include "reports/SummaryTable.h"
#include "store/SharedState.h"
#include "tests/reports/ReportFixture.h"

namespace tabulo {
namespace {

using testing::ExpectLines;
using testing::Rules;
using testing::Texts;
using testing::TextsAt;

class Summary : public ::testing::Test {
  protected:
    void SetUp() override {
        s.EraName = "平成";
        s.FiscalYear = 13;
        s.ReportTitleName = "山田商店";
        s.ItemTable[1].ItemName = "売上";
        s.ItemTable[2].ItemName = "預金引出";
        s.ItemTable[3].ItemName = "ABCDEFGHIJKLMNOPQ";                   // 17 characters
        s.ItemTable[4].ItemName = "あいうえおかきくけこさしすせそたち";  // 17 characters
        auto& t = s.MonthlyItemTable;
        t[1][1] = 1234567;  // January
        t[1][7] = 1234567;  // half-year
        t[3][8] = 500;      // July
        t[3][14] = 500;     // year
        t[51][1] = 1234567;
        t[51][7] = -1234;  // the net line of the half-year
        t[51][14] = -12345678;
    }
    SharedState s;
};

TEST_F(Summary, GridShowsTenCharacterAmountsBlanksForZeroAndTheNetLine) {
    const SummaryGrid g = BuildSummaryGrid(s);
    ExpectLines(
        {g[0].begin(), g[0].end()},
        {"   ", "    項   目", "　１月", "　２月", "　３月", "　４月", "　５月", "　６月",
         "中間集計", "　７月", "　８月", "　９月", "１０月", "１１月", "１２月", "年間集計"});
    EXPECT_EQ(g[1][0], "  1");
    EXPECT_EQ(g[50][0], " 50");
    EXPECT_EQ(g[1][1], "売上");
    EXPECT_EQ(g[1][2], " 1,234,567");
    EXPECT_EQ(g[1][3], "          ");  // zero is ten blanks, not "0"
    EXPECT_EQ(g[3][9], "       500");
    // Screen names are cut to 16 characters, whatever their width.
    EXPECT_EQ(g[3][1], "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(g[4][1], "あいうえおかきくけこさしすせそた");
    for (std::size_t c = 2; c < 16; ++c) EXPECT_EQ(g[2][c], "          ") << c;
    EXPECT_EQ(g[51][0], "");
    EXPECT_EQ(g[51][1], "  合  計");
    EXPECT_EQ(g[51][8], "    -1,234");
    // An amount wider than the cell keeps its sign and every digit.
    EXPECT_EQ(g[51][15], "-12,345,678");
}

TEST_F(Summary, PrintColumnsTakeNamesCutToSixteenBytesAndTheCellsBlockByBlock) {
    const PrintTable t = SummaryPrintTable(BuildSummaryGrid(s));
    EXPECT_EQ(t.Cell(3, 1), "売上");
    EXPECT_EQ(t.Cell(3, 3), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(t.Cell(3, 4), "あいうえおかきく");
    EXPECT_EQ(t.Cell(3, 51), "  合  計");
    EXPECT_EQ(t.Cell(4, 1), " 1,234,567");  // block 1, row 1
    EXPECT_EQ(t.Cell(4, 2), "          ");
    EXPECT_EQ(t.Cell(4, 6 * 51 + 51), "    -1,234");  // block 7, row 51
    EXPECT_EQ(t.Cell(4, 7 * 51 + 3), "       500");   // block 8 (July), row 3
    EXPECT_EQ(t.Cell(4, 714), "-12,345,678");         // block 14, row 51
    EXPECT_EQ(t.Cell(4, 715), "");
}

// Frame of both pages: X0 10, R 160; box to 172, 49 dotted rules 3 apart.
std::vector<std::string> FrameRules() {
    std::vector<std::string> r = {"B (10,16)-(154,172) s0 w3", "L (10,19)-(154,19) s0 w3",
                                  "L (10,169)-(154,169) s0 w3"};
    for (int y = 22; y <= 166; y += 3)
        r.push_back("L (10," + std::to_string(y) + ")-(154," + std::to_string(y) + ") s2 w1");
    r.push_back("L (17,16)-(17,169) s0 w1");
    for (int x = 41; x <= 137; x += 16)
        r.push_back("L (" + std::to_string(x) + ",16)-(" + std::to_string(x) + ",172) s0 w1");
    return r;
}

TEST_F(Summary, PrintsTwoPagesWithoutAQuestionFromTheGridTexts) {
    PrintDocument doc = PrintSummaryTable(s, SummaryPrintTable(BuildSummaryGrid(s)), kSummaryCellCount);
    EXPECT_EQ(doc.name, "月別集計表");
    ASSERT_EQ(doc.pages.size(), 2u);
    testing::ExpectMincho(doc);
    ASSERT_EQ(FrameRules().size(), 60u);
    for (const PrintPage& page : doc.pages) {
        EXPECT_EQ(page.scaleWidth, 161);
        EXPECT_EQ(page.scaleHeight, 183);
        ExpectLines(Rules(page), FrameRules());
    }
    const PrintPage& p1 = doc.pages[0];
    const PrintPage& p2 = doc.pages[1];
    const auto texts1 = Texts(p1);
    ASSERT_GE(texts1.size(), 13u);
    ExpectLines({texts1.begin(), texts1.begin() + 13},
                {"T (63,6) 16.4 山田商店", "T (20,12) 15 平成13年度  月別の集計表",
                 "T (143,13) 9.8  1 Page", "T (11,16.5) 9.8 区分", "T (22,16.5) 9.8 項  目  名",
                 "T (46,16.5) 9.8 １月", "T (62,16.5) 9.8 ２月", "T (78,16.5) 9.8 ３月",
                 "T (94,16.5) 9.8 ４月", "T (110,16.5) 9.8 ５月", "T (126,16.5) 9.8 ６月",
                 "T (139,16.5) 9.8 中間集計", "T (18,169.5) 9.8 損　　　益"});
    ExpectLines(
        TextsAt(p2, 16.5),
        {"T (11,16.5) 9.8 区分", "T (22,16.5) 9.8 項  目  名", "T (46,16.5) 9.8 ７月",
         "T (62,16.5) 9.8 ８月", "T (78,16.5) 9.8 ９月", "T (94,16.5) 9.8 １０月",
         "T (110,16.5) 9.8 １１月", "T (126,16.5) 9.8 １２月", "T (139,16.5) 9.8 年間集計"});
    ExpectLines(TextsAt(p2, 13), {"T (143,13) 9.8  2 Page"});

    ExpectLines(TextsAt(p1, 19.5), {"T (12,19.5) 9.8  1", "T (18,19.5) 9.8 売上",
                                    "T (42,19.5) 9.8  1,234,567", "T (138,19.5) 9.8  1,234,567"});
    // A row of blanks keeps its number and name.
    ExpectLines(TextsAt(p1, 22.5), {"T (12,22.5) 9.8  2", "T (18,22.5) 9.8 預金引出"});
    ExpectLines(TextsAt(p2, 22.5), {"T (12,22.5) 9.8  2", "T (18,22.5) 9.8 預金引出"});
    ExpectLines(TextsAt(p2, 25.5), {"T (12,25.5) 9.8  3", "T (18,25.5) 9.8 ABCDEFGHIJKLMNOP",
                                    "T (42,25.5) 9.8        500", "T (138,25.5) 9.8        500"});
    ExpectLines(TextsAt(p1, 166.5), {"T (12,166.5) 9.8 50"});
    // The profit line: the half-year and the year sit in the last column of each page.
    ExpectLines(TextsAt(p1, 169.5), {"T (18,169.5) 9.8 損　　　益", "T (42,169.5) 9.8  1,234,567",
                                     "T (138,169.5) 9.8     -1,234"});
    ExpectLines(TextsAt(p2, 169.5),
                {"T (18,169.5) 9.8 損　　　益", "T (138,169.5) 9.8 -12,345,678"});
}

}  // namespace
}  // namespace tabulo
