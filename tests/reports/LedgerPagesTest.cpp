// The ruled cash-book pages: frame and header of every page, 40 rows a page with the
// question before each further page, the foot line and the cuts of long texts.
#include <gtest/gtest.h>

#include "platform/Prompt.h"
#include "reports/LedgerPages.h"
#include "store/SharedState.h"
#include "tests/reports/ReportFixture.h"

namespace tabulo {
namespace {

using testing::ExpectLines;
using testing::FakePrompt;
using testing::Rules;
using testing::Texts;
using testing::TextsAt;

class LedgerPages : public ::testing::Test {
  protected:
    void SetUp() override {
        s.ReportTitleName = "山田商店";
        t.title = "令和 8年度項目別集計";
    }
    // Line n: date 08.04.dd, item 4, income n yen, remark "rN".
    void FillLines(int count) {
        for (int n = 1; n <= count; ++n) {
            t.SetCell(0, n,
                         "08.04." + std::string(n < 10 ? "0" : "") + std::to_string(n % 100));
            t.SetCell(1, n, "（水）");
            t.SetCell(2, n, "  4");
            t.SetCell(3, n, "売上");
            t.SetCell(4, n, "       " + std::to_string(100 + n));
            t.SetCell(5, n, "          ");
            t.SetCell(6, n, "          ");
            t.SetCell(7, n, "r" + std::to_string(n));
        }
    }
    SharedState s;
    PrintTable t;
    FakePrompt prompt;
};

// The frame of every page, worked out from the layout: X0 8, R 159, B 182.
std::vector<std::string> FrameRules() {
    std::vector<std::string> r = {"B (8,14)-(154,182) s0 w5", "L (8,18)-(154,18) s0 w5",
                                  "L (8,178)-(154,178) s0 w5"};
    for (int y = 22; y <= 174; y += 4)
        r.push_back("L (8," + std::to_string(y) + ")-(154," + std::to_string(y) + ") s2 w3");
    for (const char* v :
         {"L (21.5,14)-(21.5,178) s0 w3", "L (31.5,14)-(31.5,178) s0 w3",
          "L (38,14)-(38,178) s0 w3", "L (66,14)-(66,182) s0 w3", "L (86,14)-(86,182) s0 w3",
          "L (106,14)-(106,182) s0 w3", "L (126,14)-(126,182) s0 w3"}) {
        r.push_back(v);
    }
    return r;
}

std::vector<std::string> HeaderTexts(const char* pageLabel) {
    return {"T (54,5) 16.4 山田商店",        "T (9,10) 15 令和 8年度項目別集計",
            "T (11,15) 10.5 年月日",         "T (23,15) 10.5 曜日",
            "T (32,15) 10.5 区分",           "T (44,15) 10.5 項  目  名",
            "T (73,15) 10.5 収入",           "T (93,15) 10.5 支出",
            "T (109,15) 10.5  現金残高",     "T (132,15) 10.5  備  考 ",
            "T (26,179) 10.5  合　　　　計", std::string("T (134,11) 10.5 ") + pageLabel};
}

TEST_F(LedgerPages, NoLinesPrintOnePageWithFrameHeaderAndAnEmptyFootLine) {
    PrintDocument doc = PrintLedgerPages(s, prompt, t, 2);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(doc.pages[0].scaleWidth, 160);
    EXPECT_EQ(doc.pages[0].scaleHeight, 193);
    EXPECT_EQ(FrameRules().size(), 49u);
    ExpectLines(Rules(doc.pages[0]), FrameRules());
    ExpectLines(Texts(doc.pages[0]), HeaderTexts("  1 Page"));
    testing::ExpectMincho(doc);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(LedgerPages, FortyLinesFillOnePageWithoutAQuestion) {
    FillLines(40);
    t.incomeTotal = 1234567;
    t.expenseTotal = -5;
    PrintDocument doc = (t.lineCount = 40, PrintLedgerPages(s, prompt, t, 2));
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_TRUE(prompt.shown.empty());
    // Row 1 at y 19, row 40 at y 175; blank amounts print nothing.
    ExpectLines(TextsAt(doc.pages[0], 19),
                {"T (9,19) 10.5 08.04.01", "T (22,19) 10.5 （水）", "T (32,19) 10.5   4",
                 "T (39,19) 10.5 売上", "T (68,19) 10.5        101", "T (127,19) 10.5 r1"});
    ExpectLines(TextsAt(doc.pages[0], 175),
                {"T (9,175) 10.5 08.04.40", "T (22,175) 10.5 （水）", "T (32,175) 10.5   4",
                 "T (39,175) 10.5 売上", "T (68,175) 10.5        140", "T (127,175) 10.5 r40"});
    ExpectLines(TextsAt(doc.pages[0], 179),
                {"T (26,179) 10.5  合　　　　計", "T (68,179) 10.5  1,234,567",
                 "T (88,179) 10.5         -5"});
}

TEST_F(LedgerPages, TheFortyFirstLineAsksOnceAndOpensPageTwoWithIt) {
    FillLines(41);
    t.incomeTotal = 100;
    PrintDocument doc = (t.lineCount = 41, PrintLedgerPages(s, prompt, t, 2));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, " 2 ページを印刷しますか？");
    EXPECT_EQ(prompt.shown[0].style, MsgStyle::YesNoWarning);
    EXPECT_EQ(prompt.shown[0].title, "印刷確認");
    ASSERT_EQ(doc.pages.size(), 2u);
    ExpectLines(Rules(doc.pages[1]), FrameRules());
    // Page 1 ends without totals; page 2 has its own header, line 41 as row 1 and the foot.
    ExpectLines(TextsAt(doc.pages[0], 179), {"T (26,179) 10.5  合　　　　計"});
    std::vector<std::string> page2 = HeaderTexts("  2 Page");
    for (const char* t : {"T (9,19) 10.5 08.04.41", "T (22,19) 10.5 （水）", "T (32,19) 10.5   4",
                          "T (39,19) 10.5 売上", "T (68,19) 10.5        141", "T (127,19) 10.5 r41",
                          "T (68,179) 10.5        100"}) {
        page2.push_back(t);
    }
    ExpectLines(Texts(doc.pages[1]), page2);
}

TEST_F(LedgerPages, NoAtThePageBreakEndsOnThePageJustFilledWithItsFootLine) {
    FillLines(81);
    t.incomeTotal = 7000;
    t.expenseTotal = 300;
    prompt.Answer(Answer::No);
    PrintDocument doc = (t.lineCount = 81, PrintLedgerPages(s, prompt, t, 2));
    ASSERT_EQ(prompt.shown.size(), 1u);
    ASSERT_EQ(doc.pages.size(), 1u);
    ExpectLines(TextsAt(doc.pages[0], 179),
                {"T (26,179) 10.5  合　　　　計", "T (68,179) 10.5      7,000",
                 "T (88,179) 10.5        300"});
    // The table is the caller's: printing leaves it as it was.
    EXPECT_EQ(t.Cell(0, 1), "08.04.01");
    EXPECT_EQ(t.Cell(7, 81), "r81");
}

TEST_F(LedgerPages, CellsPrintWhatTheyHoldCutToSixteenBytes) {
    t.SetCell(0, 1, "08.04.01");
    // 3 + 2 x 7 = 17 bytes: the seventh double-byte character is left out whole.
    t.SetCell(3, 1, "ABC交通費旅費通信費");
    t.SetCell(4, 1, "         0");
    t.SetCell(5, 1, "");
    t.SetCell(6, 1, "    -1,000");
    t.SetCell(7, 1, "備考が長すぎる書き込みです");
    t.balanceTotal = -1000;
    t.incomeTotal = 999;  // not printed in balance mode
    PrintDocument doc = (t.lineCount = 1, PrintLedgerPages(s, prompt, t, 1));
    ExpectLines(TextsAt(doc.pages[0], 19),
                {"T (9,19) 10.5 08.04.01", "T (39,19) 10.5 ABC交通費旅費通",
                 "T (108,19) 10.5     -1,000", "T (127,19) 10.5 備考が長すぎる書"});
    ExpectLines(TextsAt(doc.pages[0], 179),
                {"T (26,179) 10.5  合　　　　計", "T (108,179) 10.5     -1,000"});
}

TEST(PrintColumns, GrowOnDemandAndReadEmptyBeyondTheirEnd) {
    PrintTable t;
    EXPECT_EQ(t.Cell(3, 5000), "");
    t.SetCell(3, 10000, "x");
    EXPECT_EQ(t.Cell(3, 10000), "x");
    EXPECT_EQ(t.Cell(3, 9999), "");
    t.ClearLines(10000);
    EXPECT_EQ(t.Cell(3, 10000), "");
}

}  // namespace
}  // namespace tabulo
