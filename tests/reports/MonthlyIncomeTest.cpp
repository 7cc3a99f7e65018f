// The month's income by day: the three income classes per day and for the month on
// one ruled page, day labels only for days the month has.
#include <gtest/gtest.h>

#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "reports/MonthlyIncome.h"
#include "store/Dates.h"
#include "tests/reports/ReportFixture.h"

namespace tabulo {
namespace {

using testing::ExpectLines;
using testing::FakePrompt;
using testing::HeaderHex;
using testing::kBlank6;
using testing::kSun;
using testing::LineHex;
using testing::Rules;
using testing::TextsAt;

constexpr const char* kTen = "          ";  // an empty amount cell

class MonthlyIncome : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        s.EraName = "令和";
        s.FiscalYear = 8;  // 2026, not a leap year
        s.ReportTitleName = "山田商店";
        s.ItemTable[1].ItemKubun2 = 1;  // 売上
        s.ItemTable[9].ItemKubun2 = 2;  // 雑収入: その他
        Item(11, "自家消費", 1);
        s.ItemTable[11].ItemKubun2 = 3;
        Item(12, "受取利息", 1);  // income of no class
    }
    FakePrompt prompt;
};

TEST_F(MonthlyIncome, FebruaryOfACommonYearHasNoDayLabelsOnItsLastThreeRows) {
    Load(HeaderHex(9) +                               //
         LineHex("080131", kSun, 1, 999, 0, 0) +      // January
         LineHex("080201", kSun, 1, 1000, 0, 0) +     // 売上
         LineHex("080201", kSun, 9, 200, 0, 0) +      // その他売上
         LineHex("080203", kSun, 11, 50, 0, 0) +      // 家事消費
         LineHex("080203", kSun, 12, 77, 0, 0) +      // no class
         LineHex("080203", kSun, 4, 0, 300, 0) +      // an expense
         LineHex("", kBlank6, 0, 0, 0, 0) +           // a blank line inside the month
         LineHex("080228", kSun, 1, 2000000, 0, 0) +  //
         LineHex("080301", kSun, 1, 5, 0, 0));        // March
    auto result = PrintMonthlyIncome(s, prompt, "02");
    ASSERT_TRUE(result.ok());
    ASSERT_TRUE(result->has_value());
    const PrintDocument& doc = **result;
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(doc.name, "収入 02月");
    ASSERT_EQ(doc.pages.size(), 1u);
    const PrintPage& page = doc.pages[0];
    EXPECT_EQ(page.scaleWidth, 121);
    EXPECT_EQ(page.scaleHeight, 189);
    testing::ExpectMincho(doc);

    // Frame: X0 10, R 110, B 178; 31 dotted rules 5 apart from y 23.
    const auto rules = Rules(page);
    ASSERT_EQ(rules.size(), 39u);
    ExpectLines(
        {rules[0], rules[1], rules[2], rules[3], rules[33]},
        {"B (10,14)-(109,178) s0 w5", "L (10,19)-(109,19) s0 w5", "L (10,173)-(109,173) s0 w5",
         "L (10,23)-(109,23) s2 w3", "L (10,173)-(109,173) s2 w3"});
    ExpectLines({rules.begin() + 34, rules.end()},
                {"L (20,14)-(20,173) s0 w3", "L (30,14)-(30,178) s0 w3", "L (50,14)-(50,178) s0 w3",
                 "L (70,14)-(70,178) s0 w3", "L (90,14)-(90,178) s0 w3"});

    ExpectLines(TextsAt(page, 5), {"T (40,5) 16.4 山田商店"});
    ExpectLines(TextsAt(page, 10), {"T (11,10) 15 令和 8年02月度収入項目別データ"});
    ExpectLines(TextsAt(page, 16), {"T (13,16) 10.5  日", "T (23,16) 10.5 曜日",
                                    "T (39,16) 10.5 売上", "T (55,16) 10.5 その他売上",
                                    "T (75,16) 10.5 家事消費", "T (95,16) 10.5 収入合計"});

    // 1 February 2026 was a Sunday, the 28th a Saturday.
    ExpectLines(TextsAt(page, 20),
                {"T (12,20) 10.5  1日", "T (22,20) 10.5 （日）", "T (35,20) 10.5      1,000",
                 "T (55,20) 10.5        200", std::string("T (75,20) 10.5 ") + kTen,
                 "T (95,20) 10.5      1,200"});
    ExpectLines(TextsAt(page, 25),
                {"T (12,25) 10.5  2日", "T (22,25) 10.5 （月）",
                 std::string("T (35,25) 10.5 ") + kTen, std::string("T (55,25) 10.5 ") + kTen,
                 std::string("T (75,25) 10.5 ") + kTen, std::string("T (95,25) 10.5 ") + kTen});
    ExpectLines(TextsAt(page, 30),
                {"T (12,30) 10.5  3日", "T (22,30) 10.5 （火）",
                 std::string("T (35,30) 10.5 ") + kTen, std::string("T (55,30) 10.5 ") + kTen,
                 "T (75,30) 10.5         50", "T (95,30) 10.5         50"});
    ExpectLines(TextsAt(page, 155),
                {"T (12,155) 10.5 28日", "T (22,155) 10.5 （土）", "T (35,155) 10.5  2,000,000",
                 std::string("T (55,155) 10.5 ") + kTen, std::string("T (75,155) 10.5 ") + kTen,
                 "T (95,155) 10.5  2,000,000"});
    for (double y : {160.0, 165.0, 170.0}) {
        SCOPED_TRACE(y);
        const auto row = TextsAt(page, y);
        ASSERT_EQ(row.size(), 4u);  // the amount cells only
        EXPECT_EQ(row[0].substr(0, 4), "T (3");
        EXPECT_EQ(row[3].substr(row[3].size() - 10), kTen);
    }
    // The month line: the label, then the three class totals and their sum.
    ExpectLines(TextsAt(page, 175), {"T (16,175) 10.5 合    計", "T (35,175) 10.5  2,001,000",
                                     "T (55,175) 10.5        200", "T (75,175) 10.5         50",
                                     "T (95,175) 10.5  2,001,250"});
}

TEST_F(MonthlyIncome, AThirtyOneDayMonthLabelsItsLastDay) {
    Load(HeaderHex(1) + LineHex("080331", kSun, 1, 10, 0, 0));
    auto result = PrintMonthlyIncome(s, prompt, "03");
    ASSERT_TRUE(result.ok() && result->has_value());
    ExpectLines(TextsAt((*result)->pages[0], 170),
                {"T (12,170) 10.5 31日", "T (22,170) 10.5 （火）", "T (35,170) 10.5         10",
                 std::string("T (55,170) 10.5 ") + kTen, std::string("T (75,170) 10.5 ") + kTen,
                 "T (95,170) 10.5         10"});
}

TEST_F(MonthlyIncome, AMonthWithoutLinesSaysSoAndPrintsNothing) {
    Load(HeaderHex(2) + LineHex("080401", kSun, 1, 10, 0, 0) +
         LineHex("080601", kSun, 1, 10, 0, 0));
    auto result = PrintMonthlyIncome(s, prompt, "05");
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result->has_value());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "指定された月のデータはありません！");
    EXPECT_EQ(prompt.shown[0].style, MsgStyle::Exclamation);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
}

TEST_F(MonthlyIncome, AnOverflowingMonthTotalEndsWithoutAPage) {
    Load(HeaderHex(2) + LineHex("080401", kSun, 1, 2000000000, 0, 0) +
         LineHex("080402", kSun, 1, 2000000000, 0, 0));
    auto result = PrintMonthlyIncome(s, prompt, "04");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, FileErrorCode::Overflow);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MonthlyIncome, ADaySumThatOverflowsEndsWithoutAPage) {
    // Each class fits; their sum on the 1st does not.
    Load(HeaderHex(2) + LineHex("080401", kSun, 1, 2000000000, 0, 0) +
         LineHex("080401", kSun, 9, 2000000000, 0, 0));
    auto result = PrintMonthlyIncome(s, prompt, "04");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, FileErrorCode::Overflow);
}

TEST(WeekdayText, UsesTheCashBooksYearsAndNeverAsks) {
    // Nothing here can show a message: the function has no prompt to show it with.
    EXPECT_EQ(WeekdayText("080301", "令和"), "（日）");  // 1 March 2026
    EXPECT_EQ(WeekdayText("130401", "平成"), "（日）");  // 1 April 2001
    EXPECT_EQ(WeekdayText("080229", "令和"), "");        // 2026 is no leap year
    EXPECT_EQ(WeekdayText("080431", "令和"), "");
    EXPECT_EQ(WeekdayText("410101", "平成"), "");  // beyond the era
    EXPECT_EQ(WeekdayText("      ", "令和"), "");
    EXPECT_EQ(WeekdayText("0803", "令和"), "");
}

}  // namespace
}  // namespace tabulo
