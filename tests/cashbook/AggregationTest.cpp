// The year's totals per item and month, on hand-written ledgers: which categories
// count, the half-year and year columns, the net line, and what stops the aggregation.
#include <gtest/gtest.h>

#include "cashbook/Aggregation.h"
#include "platform/FileError.h"
#include "tests/cashbook/LedgerFixture.h"
#include "tests/support/FakePrompt.h"

namespace tabulo {
namespace {

using testing::kBlank16;
using testing::kMon;
using testing::kSun;

using Aggregation = testing::LedgerFixture;

std::string H(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) s += p + " ";
    return s;
}

// The fixture's items: 1 売上 (1), 2 預金引出 (2), 3 振込入金 (3), 4 仕入 (4),
// 5 預入れ (5), 6 口座引落 (6), 7 前月繰越 (7), 8 経費 (4), 9 雑収入 (1).
//   1 130110 item 1  income  10,000
//   2 130111 item 8  expense  2,500
//   3 130320 item 3  income   4,000
//   4 130701 item 7  income  99,999   (carry-over: not totalled)
//   5 130702 item 2  income   3,000   (cash from an account: not totalled)
//   6 130703 item 5  expense  1,000   (cash into an account: not totalled)
//   7 130715 item 8  expense    800
//   8 131231 item 6  expense    300
//   9 131231 item 1  income   1,500
std::string Year() {
    return H({"0900 00000000 00000000 00000000 00000000",
              "313330313130",
              kSun,
              "0100 10270000 00000000 00000000",
              kBlank16,
              "313330313131",
              kMon,
              "0800 00000000 c4090000 00000000",
              kBlank16,
              "313330333230",
              kMon,
              "0300 a00f0000 00000000 00000000",
              kBlank16,
              "313330373031",
              kSun,
              "0700 9f860100 00000000 00000000",
              kBlank16,
              "313330373032",
              kMon,
              "0200 b80b0000 00000000 00000000",
              kBlank16,
              "313330373033",
              kMon,
              "0500 00000000 e8030000 00000000",
              kBlank16,
              "313330373135",
              kMon,
              "0800 00000000 20030000 00000000",
              kBlank16,
              "313331323331",
              kMon,
              "0600 00000000 2c010000 00000000",
              kBlank16,
              "313331323331",
              kMon,
              "0100 dc050000 00000000 00000000",
              kBlank16});
}

TEST_F(Aggregation, TotalsPerItemAndMonthWithHalfYearYearAndNetLine) {
    Load(Year());
    auto t = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(t.ok()) << t.error().detail;
    const MonthlyTable& m = *t;
    // Income item 1: January and December (column 13), half-year and year.
    EXPECT_EQ(m[1][1], 10000);
    EXPECT_EQ(m[1][13], 1500);
    EXPECT_EQ(m[1][7], 10000);
    EXPECT_EQ(m[1][14], 11500);
    // The July expense of 800 lands in column 8 (July), not in the half-year.
    EXPECT_EQ(m[8][2], 0);
    EXPECT_EQ(m[8][1], 2500);
    EXPECT_EQ(m[8][8], 800);
    EXPECT_EQ(m[8][7], 2500);
    EXPECT_EQ(m[8][14], 3300);
    // Paid into an account (3) and debited from one (6) count.
    EXPECT_EQ(m[3][3], 4000);
    EXPECT_EQ(m[6][13], 300);
    // Carry-over and the cash/deposit transfers change no cell.
    for (int row : {2, 5, 7}) {
        for (int c = 1; c <= 14; ++c) EXPECT_EQ(m[row][c], 0) << "row " << row << " col " << c;
    }
    // Net line: income side minus expense side, column by column.
    EXPECT_EQ(m[51][1], 10000 - 2500);
    EXPECT_EQ(m[51][3], 4000);
    EXPECT_EQ(m[51][7], 10000 - 2500 + 4000);
    EXPECT_EQ(m[51][8], -800);
    EXPECT_EQ(m[51][13], 1500 - 300);
    EXPECT_EQ(m[51][14], 11500 + 4000 - 3300 - 300);
    // Rows and columns outside the table stay zero.
    for (int c = 0; c <= 14; ++c) EXPECT_EQ(m[0][c], 0);
    for (int r = 0; r <= 51; ++r) EXPECT_EQ(m[r][0], 0);
}

TEST_F(Aggregation, AggregateYearRecalculatesBalancesAndFillsTheSharedTable) {
    Load(Year());
    s.MonthlyItemTable[4][4] = 123;  // left over from an earlier aggregation
    testing::FakePrompt prompt;
    auto r = AggregateYear(s, prompt);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(*r);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(s.MonthlyItemTable[4][4], 0);
    EXPECT_EQ(s.MonthlyItemTable[1][14], 11500);
    // The balances were worked out: line 2 is 10,000 - 2,500 in January.
    const std::string file = File();
    const auto* line2 = reinterpret_cast<const unsigned char*>(file.data() + 18 + 42 + 22);
    EXPECT_EQ(line2[0] | line2[1] << 8 | line2[2] << 16 | line2[3] << 24, 7500);
}

TEST_F(Aggregation, ABlankDateOnALineWithAnItemStopsWithTheDateMessages) {
    Load(H({"0200 00000000 00000000 00000000 00000000", "313330313130", kSun,
            "0100 10270000 00000000 00000000", kBlank16, "202020202020", "202020202020",
            "0400 00000000 64000000 00000000", kBlank16}));
    s.MonthlyItemTable[1][1] = 42;
    testing::FakePrompt prompt;
    auto r = AggregateYear(s, prompt);
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(*r);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, " 2行の年月日が入力されていません！");
    EXPECT_EQ(prompt.shown[1].text, "日付エラーのため集計できません！");
    EXPECT_EQ(prompt.shown[1].style, 0);
    EXPECT_EQ(prompt.shown[1].title, "");
    EXPECT_EQ(s.ErrorFlag, 0);
    EXPECT_EQ(s.MonthlyItemTable[1][1], 42);  // nothing was totalled
}

TEST_F(Aggregation, AnEmptyYearGivesAnEmptyTable) {
    s.LedgerHeader.LineCount = 0;
    auto t = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(*t, MonthlyTable{});
}

TEST_F(Aggregation, AMonthOutsideOneToTwelveEndsWithAnErrorNamingTheLine) {
    // A line dated month 13 (a file not written by the cash book).
    Load(H({"0100 00000000 00000000 00000000 00000000", "313331333031", kSun,
            "0100 10270000 00000000 00000000", kBlank16}));
    auto t = ComputeMonthlyItemTable(s);
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.error().code, FileErrorCode::BadFormat);
    EXPECT_NE(t.error().detail.find("1行目"), std::string::npos);
}

TEST_F(Aggregation, ATotalBeyondThirtyTwoBitsIsReportedAndTheTableKept) {
    // Two payments of 2,000,000,000 into an account (item 3) in January: the cell would pass 2^31.
    Load(H({"0200 00000000 00000000 00000000 00000000", "313330313130", kSun,
            "0300 00943577 00000000 00000000", kBlank16, "313330313131", kMon,
            "0300 00943577 00000000 00000000", kBlank16}));
    s.MonthlyItemTable[3][1] = 5;
    testing::FakePrompt prompt;
    auto r = AggregateYear(s, prompt);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, FileErrorCode::Overflow);
    EXPECT_EQ(s.MonthlyItemTable[3][1], 5);
}

}  // namespace
}  // namespace tabulo
