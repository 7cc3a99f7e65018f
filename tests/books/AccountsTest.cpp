// The chart of accounts and the account an item posts to.

#include <gtest/gtest.h>

#include <set>

#include "books/Accounts.h"

namespace tabulo {
namespace {

TEST(ChartOfAccounts, EveryPageOneLineAnItemFeedsIsAnAccountOnItsSide) {
    // The lines items feed on page 1 and the two stock lines the closing entries post
    // to; the others are sums.
    for (int line = 1; line <= 45; ++line) {
        const bool fed = line == 1 || line == 3 || (line >= 8 && line <= 31) ||
                         (line >= 34 && line <= 36) || (line >= 38 && line <= 41);
        const bool stock = line == 2 || line == 5;
        const Account* a = FindAccount(line);
        ASSERT_EQ(a != nullptr, fed || stock) << "line " << line;
        if (!a) continue;
        // 期末商品棚卸高 lessens the cost of sales: it stands with the credit side.
        const bool income = line == 1 || line == 5 || (line >= 34 && line <= 36);
        EXPECT_EQ(a->side, income ? AccountSide::Income : AccountSide::Expense) << line;
        EXPECT_FALSE(IsBalanceSheetAccount(line));
    }
    EXPECT_STREQ(FindAccount(18)->name, "減価償却費");
    EXPECT_STREQ(FindAccount(31)->name, "雑費");
    EXPECT_STREQ(FindAccount(AccountCode::OpeningStock)->name, "期首商品棚卸高");
    EXPECT_STREQ(FindAccount(AccountCode::ClosingStock)->name, "期末商品棚卸高");
}

TEST(ChartOfAccounts, AnItemCodedToAStockLineHasNoAccountOfItsOwn) {
    // Lines 2 and 5 are typed on page 1, never summed from items: an item coded to
    // one posts where an item without a line does.
    ItemTableArray items{};
    ItemAccountArray chosen{};
    items[1].ItemKubun3 = 2;
    items[2].ItemKubun3 = 5;
    items[3].ItemKubun3 = 5;
    chosen[3] = AccountCode::Stock;
    EXPECT_EQ(ItemAccount(1, items, chosen), 0);
    EXPECT_EQ(ItemAccount(2, items, chosen), 0);
    EXPECT_EQ(ItemAccount(3, items, chosen), AccountCode::Stock);
}

TEST(ChartOfAccounts, PageFourRowsCarryTheirColumnsAndNormalSides) {
    EXPECT_STREQ(FindAccount(AccountCode::Cash)->name, "現金");
    EXPECT_STREQ(FindAccount(AccountCode::Receivables)->name, "売掛金");
    EXPECT_STREQ(FindAccount(AccountCode::Loans)->name, "借入金");
    EXPECT_STREQ(FindAccount(AccountCode::OwnerDrawings)->name, "事業主貸");
    EXPECT_STREQ(FindAccount(AccountCode::OwnerContributions)->name, "事業主借");
    EXPECT_STREQ(FindAccount(AccountCode::Capital)->name, "元入金");
    EXPECT_TRUE(DebitNormal(AccountCode::Cash));
    EXPECT_TRUE(DebitNormal(AccountCode::OwnerDrawings));  // shown in the asset column
    EXPECT_TRUE(DebitNormal(17));
    EXPECT_FALSE(DebitNormal(AccountCode::Loans));
    EXPECT_FALSE(DebitNormal(AccountCode::Capital));
    EXPECT_FALSE(DebitNormal(AccountCode::Sales));
    EXPECT_EQ(FindAccount(AccountCode::Capital)->side, AccountSide::Capital);
    EXPECT_TRUE(IsBalanceSheetAccount(AccountCode::Deposits));
    // The suspense account is not one a user may choose.
    EXPECT_FALSE(IsBalanceSheetAccount(AccountCode::Unassigned));
    EXPECT_EQ(FindAccount(150), nullptr);
    EXPECT_EQ(FindAccount(-1), nullptr);
    EXPECT_EQ(FindAccount(AccountCode::Limit), nullptr);
}

TEST(ChartOfAccounts, CodesAndNamesAreUnique) {
    std::set<int> codes;
    std::set<std::string> names;
    for (const Account& a : ChartOfAccounts()) {
        EXPECT_TRUE(codes.insert(a.code).second) << a.code;
        if (*a.name) {
            EXPECT_TRUE(names.insert(a.name).second) << a.name;
        }
    }
}

TEST(ItemAccount, TheStatementLineComesFirstThenTheChosenAccount) {
    ItemTableArray items{};
    ItemAccountArray chosen{};
    items[1].ItemKubun3 = 12;  // 通信費
    chosen[1] = AccountCode::Loans;
    items[2].ItemKubun3 = 0;
    chosen[2] = AccountCode::Loans;
    items[3].ItemKubun3 = 5;  // a stock line names no account
    chosen[3] = AccountCode::OwnerDrawings;
    items[4].ItemKubun3 = 46;
    items[5].ItemKubun3 = 0;
    chosen[5] = 12;  // a page-1 line cannot be chosen by hand
    EXPECT_EQ(ItemAccount(1, items, chosen), 12);
    EXPECT_EQ(ItemAccount(2, items, chosen), AccountCode::Loans);
    EXPECT_EQ(ItemAccount(3, items, chosen), AccountCode::OwnerDrawings);
    EXPECT_EQ(ItemAccount(4, items, chosen), 0);
    EXPECT_EQ(ItemAccount(5, items, chosen), 0);
    EXPECT_EQ(ItemAccount(0, items, chosen), 0);
    EXPECT_EQ(ItemAccount(51, items, chosen), 0);
}

TEST(AccountName, AFreeLineTakesTheNameOfItsFirstItem) {
    ItemTableArray items{};
    items[7] = {"車両費      ", 4, "支出", 0, 27};
    items[3] = {"リース料", 4, "支出", 0, 27};
    EXPECT_EQ(AccountName(27, items), "リース料");
    EXPECT_EQ(AccountName(28, items), "科目28");
    EXPECT_EQ(AccountName(AccountCode::Cash, items), "現金");
}

}  // namespace
}  // namespace tabulo
