#include "store/Dates.h"

#include <gtest/gtest.h>

#include "tests/support/FakePrompt.h"

namespace tabulo {
namespace {

using testing::FakePrompt;

constexpr const char* kInvalid = "入力された日付が異常です！！";
constexpr const char* kUnsupported = "この日付けには対応しておりません！";

struct DateCase {
    const char* era;
    const char* date;
    const char* youbi;    // "" when refused
    const char* message;  // nullptr when none
};

class DateToWeekdayTable : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateToWeekdayTable, GivesWeekdayOrMessage) {
    const DateCase& c = GetParam();
    FakePrompt prompt;
    WeekdayResult r = DateToWeekday(c.date, c.era, prompt);
    EXPECT_EQ(r.youbi, c.youbi);
    EXPECT_EQ(r.failed, std::string(c.youbi).empty() ? -1 : 0);
    if (c.message == nullptr) {
        EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    } else {
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, c.message);
        if (std::string(c.message) == kInvalid) {
            EXPECT_EQ(prompt.shown[0].style, 48);
            EXPECT_EQ(prompt.shown[0].title, "エラー確認");
        } else {
            EXPECT_EQ(prompt.shown[0].style, 0);
            EXPECT_EQ(prompt.shown[0].title, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Eras, DateToWeekdayTable,
    ::testing::Values(
        // 平成 13 is 2001: 1 April 2001 was a Sunday.
        DateCase{"平成", "130401", "（日）", nullptr},
        DateCase{"平成", "010108", "（日）", nullptr},   // 1989-01-08
        DateCase{"平成", "120229", "（火）", nullptr},   // 2000 was a leap year
        DateCase{"平成", "130229", "", kInvalid},
        DateCase{"平成", "400101", "（土）", nullptr},   // 2028-01-01
        DateCase{"平成", "410101", "", kUnsupported},
        DateCase{"平成", "001201", "", kInvalid},        // year 00
        DateCase{"平成", "130001", "", kInvalid},        // month 00
        DateCase{"平成", "130400", "", kInvalid},        // day 00
        DateCase{"平成", "131301", "", kInvalid},
        DateCase{"平成", "130431", "", kInvalid},
        DateCase{"平成", "13 401", "", kInvalid},
        DateCase{" 平成 ", "130401", "（日）", nullptr},  // padding around the era name
        DateCase{"令和", "010501", "（水）", nullptr},   // 2019-05-01
        DateCase{"令和", "020229", "（土）", nullptr},   // 2020 leap year
        DateCase{"令和", "050229", "", kInvalid},
        DateCase{"令和", "990101", "（金）", nullptr},   // 2117-01-01
        DateCase{"昭和", "640107", "（土）", nullptr},   // 1989-01-07
        DateCase{"昭和", "650101", "", kUnsupported},
        DateCase{"昭和", "630229", "（月）", nullptr},   // 1988 leap year
        // Unknown era names fall back to the table the cash book always used.
        DateCase{"", "110101", "（土）", nullptr},       // 2011-01-01
        DateCase{"", "120229", "（火）", nullptr},       // "12" is 2000
        DateCase{"", "130401", "（日）", nullptr},       // "13" is 2001
        DateCase{"", "400101", "（土）", nullptr},       // 2028
        DateCase{"大正", "410101", "", kUnsupported},
        DateCase{"", "000101", "", kInvalid},
        // Blank or short dates fail silently.
        DateCase{"平成", "", "", nullptr},
        DateCase{"平成", "      ", "", nullptr},
        DateCase{"平成", "1304", "", nullptr},
        DateCase{"平成", "1304011", "", nullptr}));

TEST(WesternYear, FollowsEraName) {
    EXPECT_EQ(WesternYear("令和", "05"), 2023);
    EXPECT_EQ(WesternYear("平成", "31"), 2019);
    EXPECT_EQ(WesternYear("昭和", "64"), 1989);
    EXPECT_EQ(WesternYear("平成", "41"), std::nullopt);
    EXPECT_EQ(WesternYear("平成", "00"), std::nullopt);
    EXPECT_EQ(WesternYear("", "05"), 2005);
    EXPECT_EQ(WesternYear("", "20"), 2008);
}

TEST(DateToWeekdayShort, UsesTheSameYears) {
    FakePrompt prompt;
    EXPECT_EQ(DateToWeekdayShort("130401", "平成", prompt), "（日）");
    EXPECT_EQ(DateToWeekdayShort("310430", "平成", prompt), "（火）");  // 2019-04-30
    EXPECT_EQ(DateToWeekdayShort("050401", "令和", prompt), "（土）");  // 2023-04-01
    EXPECT_TRUE(prompt.shown.empty());
    // A line with no date prints no weekday and asks nothing.
    EXPECT_EQ(DateToWeekdayShort("      ", "平成", prompt), "");
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(DateToWeekdayShort("130431", "平成", prompt), "");
    EXPECT_EQ(DateToWeekdayShort("410101", "平成", prompt), "");
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, kInvalid);
    EXPECT_EQ(prompt.shown[1].text, kInvalid);
}

}  // namespace
}  // namespace tabulo
