// The month's cash book: its lines on the ruled pages moved to x 10, the 収支合計 of
// the cash categories only, the note under every frame and the page questions.
#include <gtest/gtest.h>

#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "reports/LedgerPages.h"
#include "reports/MonthlyCashBook.h"
#include "tests/reports/ReportFixture.h"

namespace tabulo {
namespace {

using testing::ExpectLines;
using testing::FakePrompt;
using testing::HeaderHex;
using testing::kBlank16;
using testing::kSun;
using testing::LineHex;
using testing::Rules;
using testing::Texts;
using testing::TextsAt;

constexpr const char* kNote =
    "T (13,184) 10.5 注記：収支合計欄の集計は繰越データ、預金の出し入れデータは除外されています。";

class MonthlyCashBook : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        s.ReportTitleName = "山田商店";
    }
    // `count` April lines of item 1 with income 10 each, then `after` May lines.
    void LoadApril(int count, int after) {
        std::string hex = HeaderHex(count + after);
        for (int n = 1; n <= count; ++n) hex += LineHex("130401", kSun, 1, 10, 0, 10 * n);
        for (int n = 1; n <= after; ++n) hex += LineHex("130501", kSun, 1, 10, 0, 10 * n);
        Load(hex);
    }
    FakePrompt prompt;
};

std::vector<std::string> Header(const char* pageLabel) {
    return {"T (56,5) 16.4 山田商店",
            "T (11,10) 15 平成13年04月度出納簿",
            "T (13,15) 10.5 年月日",
            "T (25,15) 10.5 曜日",
            "T (34,15) 10.5 区分",
            "T (46,15) 10.5 項  目  名",
            "T (75,15) 10.5 収入",
            "T (95,15) 10.5 支出",
            "T (111,15) 10.5  現金残高",
            "T (134,15) 10.5  備  考 ",
            "T (25,179) 10.5  収　　支　　合　　計",
            std::string("T (136,11) 10.5 ") + pageLabel,
            kNote};
}

TEST_F(MonthlyCashBook, AMonthWithoutLinesIsOnePageOfFrameHeaderAndNote) {
    Load(HeaderHex(2) + LineHex("130331", kSun, 1, 500, 0, 500) +
         LineHex("130501", kSun, 4, 0, 200, 300));
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(doc.ok());
    ASSERT_EQ(doc->pages.size(), 1u);
    EXPECT_EQ(doc->name, "出納簿 04月");
    const auto rules = Rules(doc->pages[0]);
    ASSERT_EQ(rules.size(), 49u);
    EXPECT_EQ(rules[0], "B (10,14)-(154,182) s0 w5");
    EXPECT_EQ(rules[3], "L (10,22)-(154,22) s2 w3");
    EXPECT_EQ(rules[42], "L (23.5,14)-(23.5,178) s0 w3");
    EXPECT_EQ(rules[48], "L (128,14)-(128,182) s0 w3");
    ExpectLines(Texts(doc->pages[0]), Header("  1 Page"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MonthlyCashBook, DepositAndCarryOverLinesPrintButStayOutOfTheTotal) {
    const std::string remark = testing::AsciiHex("ABC DEF         ");
    Load(HeaderHex(10) +                                            //
         LineHex("130331", kSun, 1, 800, 0, 800) +                  // March
         LineHex("130401", kSun, 1, 1000, 0, 1000) +                // 収入
         LineHex("130402", kSun, 2, 500, 0, 1000) +                 // 預金繰り入れ
         LineHex("130403", kSun, 4, 0, 300, 700) +                  // 支出
         LineHex("130404", kSun, 0, 0, 0, 700) +                    // no item
         LineHex("130405", kSun, 5, 0, 2000, 700) +                 // 預金
         LineHex("130406", kSun, 7, 9999, 0, 700) +                 // 繰越
         LineHex("130407", kSun, 3, 700, 0, 700, remark.c_str()) +  // 口座振り込み
         LineHex("130408", kSun, 6, 0, 4000, 700) +                 // 口座引落とし
         LineHex("130501", kSun, 4, 0, 1, 699));
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(doc.ok());
    ASSERT_EQ(doc->pages.size(), 1u);
    const PrintPage& page = doc->pages[0];
    ExpectLines(TextsAt(page, 19),
                {"T (11,19) 10.5 13.04.01", "T (24,19) 10.5 （日）", "T (34,19) 10.5   1",
                 "T (41,19) 10.5 売上", "T (70,19) 10.5      1,000", "T (110,19) 10.5      1,000"});
    // The line without an item is an empty ruled row; the next line goes on below it.
    EXPECT_TRUE(TextsAt(page, 31).empty());
    ExpectLines(TextsAt(page, 35), {"T (11,35) 10.5 13.04.05", "T (24,35) 10.5 （日）",
                                    "T (34,35) 10.5   5", "T (41,35) 10.5 預入れ",
                                    "T (90,35) 10.5      2,000", "T (110,35) 10.5        700"});
    ExpectLines(TextsAt(page, 43),
                {"T (11,43) 10.5 13.04.07", "T (24,43) 10.5 （日）", "T (34,43) 10.5   3",
                 "T (41,43) 10.5 振込入金", "T (70,43) 10.5        700",
                 "T (110,43) 10.5        700", "T (129,43) 10.5 ABC DEF"});
    EXPECT_EQ(TextsAt(page, 47).size(), 6u);  // line 8 of April
    EXPECT_TRUE(TextsAt(page, 51).empty());   // May is not printed
    // Only categories 1, 3, 4 and 6 count: 1,000 + 700 in, 300 + 4,000 out.
    ExpectLines(TextsAt(page, 179),
                {"T (25,179) 10.5  収　　支　　合　　計", "T (70,179) 10.5      1,700",
                 "T (90,179) 10.5      4,300", "T (110,179) 10.5     -2,600"});
}

TEST_F(MonthlyCashBook, FortyLinesOfTheMonthFillOnePage) {
    LoadApril(40, 0);
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc->pages.size(), 1u);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(TextsAt(doc->pages[0], 175).size(), 6u);
    ExpectLines(TextsAt(doc->pages[0], 179),
                {"T (25,179) 10.5  収　　支　　合　　計", "T (70,179) 10.5        400",
                 "T (110,179) 10.5        400"});
}

TEST_F(MonthlyCashBook, LinesOfALaterMonthAfterAFullPageStillAskForAPage) {
    LoadApril(40, 1);
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(doc.ok());
    ASSERT_EQ(prompt.Texts(), std::vector<std::string>{" 2 ページを印刷しますか？"});
    ASSERT_EQ(doc->pages.size(), 2u);
    // Page 2 holds only its frame, header, note and the totals.
    EXPECT_EQ(Rules(doc->pages[1]).size(), 49u);
    std::vector<std::string> page2 = Header("  2 Page");
    page2.push_back("T (70,179) 10.5        400");
    page2.push_back("T (110,179) 10.5        400");
    ExpectLines(Texts(doc->pages[1]), page2);
}

TEST_F(MonthlyCashBook, NoAtThePageBreakPutsTheTotalsOnThePageJustPrinted) {
    LoadApril(45, 0);
    prompt.Answer(Answer::No);
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(doc.ok());
    ASSERT_EQ(doc->pages.size(), 1u);
    // The totals are of the 40 lines printed; the five left off the paper are not in them.
    ExpectLines(TextsAt(doc->pages[0], 179),
                {"T (25,179) 10.5  収　　支　　合　　計", "T (70,179) 10.5        400",
                 "T (110,179) 10.5        400"});
}

TEST_F(MonthlyCashBook, JanuaryIsPickedByCharactersThreeAndFourOfTheDate) {
    Load(HeaderHex(3) + LineHex("131201", kSun, 1, 5, 0, 5) + LineHex("130110", kSun, 8, 0, 3, 2) +
         LineHex("130201", kSun, 1, 7, 0, 7));
    auto doc = PrintMonthlyCashBook(s, prompt, "01");
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(Texts(doc->pages[0])[1], "T (11,10) 15 平成13年01月度出納簿");
    ExpectLines(TextsAt(doc->pages[0], 19),
                {"T (11,19) 10.5 13.01.10", "T (24,19) 10.5 （日）", "T (34,19) 10.5   8",
                 "T (41,19) 10.5 経費", "T (90,19) 10.5          3", "T (110,19) 10.5          2"});
    EXPECT_TRUE(TextsAt(doc->pages[0], 23).empty());
}

TEST_F(MonthlyCashBook, AnOverflowingTotalEndsBeforeAnyPageOrQuestion) {
    // Two incomes of 2,000,000,000 and 45 lines: the total does not fit 32 bits.
    std::string hex = HeaderHex(45);
    hex += LineHex("130401", kSun, 1, 2000000000, 0, 0);
    hex += LineHex("130401", kSun, 1, 2000000000, 0, 0);
    for (int n = 3; n <= 45; ++n) hex += LineHex("130401", kSun, 4, 0, 1, 0);
    Load(hex);
    auto doc = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_FALSE(doc.ok());
    EXPECT_EQ(doc.error().code, FileErrorCode::Overflow);
    EXPECT_EQ(doc.error().detail, kOverflowMessage);
    EXPECT_TRUE(prompt.shown.empty());
}

}  // namespace
}  // namespace tabulo
