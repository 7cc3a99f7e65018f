// The cross-page checks: each pair of figures the official form prints twice is
// compared, and a pair that disagrees is named with both figures.
#include <gtest/gtest.h>

#include "store/DataSet.h"
#include "taxreturn/StatementChecks.h"

namespace tabulo {
namespace {

struct Year {
    ItemTableArray items{};
    MonthlyTable totals{};
    TaxReturnTables t = DefaultTaxReturnData();
    // Item `i` with codes 区分2 / 区分3 and `amount` in January and the year.
    void Item(int i, int kubun2, int kubun3, Amount amount) {
        items[i].ItemName = "項目" + std::to_string(i);
        items[i].ItemKubun2 = static_cast<std::int16_t>(kubun2);
        items[i].ItemKubun3 = static_cast<std::int16_t>(kubun3);
        totals[i][1] = amount;
        totals[i][14] = amount;
    }
};

bool Mentions(const std::vector<std::string>& checks, const std::string& a, const std::string& b) {
    for (const std::string& c : checks)
        if (c.find(a) != std::string::npos && c.find(b) != std::string::npos) return true;
    return false;
}

TEST(StatementChecks, AnEmptyYearAgrees) {
    Year y;
    EXPECT_TRUE(CrossPageChecks(y.items, y.totals, y.t).empty());
    EXPECT_EQ(CrossPageChecksText({}), "");
}

// The sample year: page 1 line 1 said 3,298,900 and page 2's 計 1,940,900, silently.
TEST(StatementChecks, SalesOfPage1AgainstPage2sMonthlyTotal) {
    Year y;
    y.Item(1, 1, 1, 1940900);  // 売上 on both pages
    y.Item(2, 0, 1, 1358000);  // coded to line 1 but not marked as sales on page 2
    const auto checks = CrossPageChecks(y.items, y.totals, y.t);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(Mentions(checks, "3,298,900", "1,940,900")) << checks[0];
    EXPECT_NE(checks[0].find("売上"), std::string::npos);
    // 家事消費 and 雑収入 count in page 2's 計, as they count in line 1.
    Year z;
    z.Item(1, 1, 1, 100000);
    z.Item(2, 3, 1, 20000);
    z.Item(3, 2, 1, 3000);
    EXPECT_TRUE(CrossPageChecks(z.items, z.totals, z.t).empty());
}

TEST(StatementChecks, DepreciationWagesFamilyAndProvision) {
    Year y;
    Page3Data p3 = ReadPage3(y.t);
    p3.assets[kAssetTotalRow].Keihi = 36000;
    WritePage3(y.t, p3);
    // Line 18 follows page 3: they agree until the cash book adds to line 18 too.
    EXPECT_TRUE(CrossPageChecks(y.items, y.totals, y.t).empty());
    y.Item(1, 0, 18, 36000);
    auto checks = CrossPageChecks(y.items, y.totals, y.t);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(Mentions(checks, "72,000", "36,000")) << checks[0];
    EXPECT_NE(checks[0].find("二重計上"), std::string::npos) << checks[0];

    Year w;
    w.Item(1, 0, 20, 1200000);  // 給料賃金
    w.Item(2, 0, 38, 960000);   // 専従者給与
    w.Item(3, 0, 39, 50000);    // 貸倒引当金
    Page2Data p2 = ReadPage2(w.t);
    p2.employees.Goukei[kEmployeeTotalRow] = 1100000;
    p2.family.Goukei[kFamilyTotalRow] = 960000;
    p2.Syukei[5] = 40000;
    WritePage2(w.t, p2);
    checks = CrossPageChecks(w.items, w.totals, w.t);
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_TRUE(Mentions({checks[0]}, "給料賃金", "1,100,000")) << checks[0];
    EXPECT_NE(checks[0].find("1,200,000"), std::string::npos);
    EXPECT_TRUE(Mentions({checks[1]}, "貸倒引当金", "40,000")) << checks[1];
    EXPECT_NE(checks[1].find("50,000"), std::string::npos);
    const std::string text = CrossPageChecksText(checks);
    EXPECT_NE(text.find(checks[0]), std::string::npos);
    EXPECT_NE(text.find(checks[1]), std::string::npos);
}

}  // namespace
}  // namespace tabulo
