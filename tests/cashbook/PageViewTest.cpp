// What the rows of a page show for stored lines.
#include <gtest/gtest.h>

#include "cashbook/PageView.h"
#include "store/BinaryRecords.h"

namespace tabulo {
namespace {

TEST(PageRowsView, RowsShowTheirLineInTheScreenPatterns) {
    ItemTableArray items{};
    items[4] = {"仕入", 4, "支出", 0, 0};
    items[12] = {"とても長い項目の名前ですよね", 1, "収入", 1, 1};
    std::array<std::optional<LedgerLine>, kRowsPerPage> lines;
    LedgerLine expense = BlankLedgerLine(-1500);
    expense.NenGetsuBi = "130402";
    expense.Youbi = "（月）";
    expense.ItemNo = 4;
    expense.Outdata = 1234567;
    expense.Bikou = "文具代            ";
    lines[0] = expense;
    LedgerLine undated = BlankLedgerLine(700);  // no item: date and weekday only
    undated.NenGetsuBi = "130403";
    undated.Youbi = "（火）";
    lines[1] = undated;
    LedgerLine income = BlankLedgerLine(0);
    income.ItemNo = 12;
    income.Indata = 5;
    lines[2] = income;

    const PageRows rows = BuildPageRows(items, 3, lines);
    EXPECT_EQ(rows[0].no, "  21");
    EXPECT_EQ(rows[0].date, "130402");
    EXPECT_EQ(rows[0].kubun, " 4");
    EXPECT_EQ(rows[0].name, "仕入");
    EXPECT_EQ(rows[0].indata, "");
    EXPECT_EQ(rows[0].outdata, " 1,234,567");
    EXPECT_EQ(rows[0].zandaka, "    -1,500");
    EXPECT_EQ(rows[0].bikou, "文具代");
    EXPECT_TRUE(rows[0].inLocked);
    EXPECT_FALSE(rows[0].outLocked);

    EXPECT_EQ(rows[1].date, "130403");
    EXPECT_EQ(rows[1].youbi, "（火）");
    EXPECT_EQ(rows[1].kubun, "");
    EXPECT_EQ(rows[1].zandaka, "");
    EXPECT_TRUE(rows[1].inLocked && rows[1].outLocked);

    EXPECT_EQ(rows[2].kubun, "12");
    EXPECT_EQ(rows[2].name, "とても長い項目の名前ですよね");  // 14 characters, all kept
    EXPECT_EQ(rows[2].indata, "         5");
    EXPECT_EQ(rows[2].zandaka, "         0");
    EXPECT_FALSE(rows[2].inLocked);
    EXPECT_TRUE(rows[2].outLocked);

    EXPECT_EQ(rows[3].no, "  24");
    EXPECT_EQ(rows[3].date, "");
    EXPECT_EQ(FirstChars("あいうえおかきくけこさしすせそたちつ", 16), "あいうえおかきくけこさしすせそた");
}

}  // namespace
}  // namespace tabulo
