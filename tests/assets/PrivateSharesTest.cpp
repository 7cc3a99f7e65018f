// The private shares of mixed expenses, worked by hand.

#include <gtest/gtest.h>

#include "assets/PrivateShares.h"

namespace tabulo {
namespace {

struct Year {
    ItemTableArray items{};
    MonthlyTable totals{};
    ItemShares shares{};
    void Item(int i, const char* name, int line, Amount total, std::int16_t share) {
        items[static_cast<std::size_t>(i)].ItemName = name;
        items[static_cast<std::size_t>(i)].ItemKubun = 4;
        items[static_cast<std::size_t>(i)].ItemKubun3 = static_cast<std::int16_t>(line);
        totals[static_cast<std::size_t>(i)][14] = total;
        totals[static_cast<std::size_t>(i)][1] = total;
        shares[static_cast<std::size_t>(i)] = share;
    }
};

TEST(PrivateShares, TheRentAtFortyPercent) {
    Year y;
    y.Item(1, "売上", 1, 5000000, 50);  // an income item is never split
    y.Item(5, "地代家賃", 23, 1200000, 40);
    y.Item(6, "通信費", 12, 100001, 70);
    y.Item(7, "消耗品費", 18, 30000, 0);
    auto s = SplitPrivateShares(y.items, y.totals, y.shares);
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s->lines.size(), 3u);
    EXPECT_EQ(s->lines[0], (ShareLine{5, "地代家賃", 23, 1200000, 40, 480000, 720000}));
    EXPECT_EQ(s->lines[1], (ShareLine{6, "通信費", 12, 100001, 70, 70001, 30000}));  // 70,000.7
    EXPECT_EQ(s->lines[2], (ShareLine{7, "消耗品費", 18, 30000, 0, 30000, 0}));
    EXPECT_EQ(s->privatePart, 750000);
    EXPECT_EQ(s->expense, 480000 + 70001 + 30000);

    const MonthlyTable business = BusinessTotals(y.items, y.totals, y.shares);
    EXPECT_EQ(business[5][14], 480000);
    EXPECT_EQ(business[6][14], 70001);
    EXPECT_EQ(business[7][14], 30000);
    EXPECT_EQ(business[1][14], 5000000);
    EXPECT_EQ(business[5][1], 1200000);  // the months stay as booked
}

TEST(PrivateShares, ATotalBeyondThirtyTwoBitsIsAnOverflow) {
    Year y;
    y.Item(5, "地代家賃", 23, 2000000000, 40);
    y.Item(6, "通信費", 12, 2000000000, 70);
    auto s = SplitPrivateShares(y.items, y.totals, y.shares);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, FileErrorCode::Overflow);
}

}  // namespace
}  // namespace tabulo
