// The import's rules and last choices as their files hold them, and how the preview
// applies them.
#include <gtest/gtest.h>

#include "statements/Rules.h"
#include "tests/support/TempFolder.h"

using namespace tabulo;
using namespace tabulo::statements;
using tabulo::testing::TempFolder;
using tabulo::testing::WriteBytes;

TEST(ImportRules, TheFilesAsWrittenByHandAndWhatTheyRefuse) {
    auto book = ParseRuleBook(
        "# 規則\r\n"
        "bank\tﾃﾞﾝｷ\t6\t電気代\r\n"
        "bank\t振込\t3\r\n"
        "\r\n"
        "card\tＡＭＡＺＯＮ\t17\t\r\n",
        "bank\tNTT ﾋｶﾘ\t6\ncard\tスターバックス\t14\n");
    ASSERT_TRUE(book) << book.error().detail;
    ASSERT_EQ(book->bank.size(), 2u);
    EXPECT_EQ(book->bank[0], (ImportRule{"ﾃﾞﾝｷ", 6, "電気代"}));
    EXPECT_EQ(book->bank[1], (ImportRule{"振込", 3, ""}));
    ASSERT_EQ(book->card.size(), 1u);
    EXPECT_EQ(book->card[0].target, 17);
    // Choices are kept by the description as the preview compares it.
    EXPECT_EQ(book->bankChoices.at(MatchKey("ＮＴＴ　ヒカリ")), 6);
    EXPECT_EQ(book->cardChoices.at(MatchKey("スターバックス")), 14);

    // What is written reads back the same.
    auto again = ParseRuleBook(FormatRules(*book), FormatChoices(*book));
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *book);

    // The line at fault is named.
    auto bad = ParseRuleBook("bank\tA\t3\nbank\tB\t51\n", "");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().line, 2);
    EXPECT_FALSE(ParseRuleBook("bank A 3\n", ""));             // no tabs
    EXPECT_FALSE(ParseRuleBook("visa\tA\t3\n", ""));           // no such kind
    EXPECT_FALSE(ParseRuleBook("card\tA\t204\n", ""));         // the card's own debt
    EXPECT_FALSE(ParseRuleBook("card\tA\t999\n", ""));         // 未設定科目
    EXPECT_FALSE(ParseRuleBook("bank\t　\t3\n", ""));           // no text once folded
    EXPECT_FALSE(ParseRuleBook("", "bank\tA\tx\n"));
}

TEST(ImportRules, ARuleKeptFromAChoiceWinsAndTheLastChoiceComesAfterTheRules) {
    RuleBook book;
    book.bank.push_back({"ｶ)ﾔﾏﾀﾞ", 3, ""});
    // A choice kept as a rule goes first and replaces the rule of the same text.
    KeepAsRule(book, StatementKind::Bank, {"カ）ヤマダ", 9, "山田商店"});
    ASSERT_EQ(book.bank.size(), 1u);
    EXPECT_EQ(book.bank[0].target, 9);
    KeepAsRule(book, StatementKind::Bank, {"フリコミ", 3, ""});
    EXPECT_EQ(book.bank[0].contains, "フリコミ");

    StatementRow row;
    row.description = "ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ";
    ImportRow taken{row, {}, 3, ""};
    RowKey key;
    StatementRow other;
    other.description = "ATM ﾋｷﾀﾞｼ";
    RememberChoices(book, StatementKind::Bank, {taken, ImportRow{other, key, 6, ""}});
    const ImportChoices c = ChoicesFor(book, StatementKind::Bank);
    EXPECT_EQ(AssignRow(c.rules, c.lastChoice, "ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ").target, 3);  // the rule
    auto last = AssignRow(c.rules, c.lastChoice, "ＡＴＭ　ヒキダシ");
    EXPECT_EQ(last.target, 6);
    EXPECT_TRUE(last.fromLastChoice);
    // A card's choices are the card's own.
    EXPECT_TRUE(ChoicesFor(book, StatementKind::Card).lastChoice.empty());

    TempFolder dir;
    const std::string folder = (dir.path() / "TORIKOMI").string();
    ASSERT_TRUE(SaveRuleBook(folder, book));
    auto loaded = LoadRuleBook(folder);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, book);
    // A file damaged by hand is named with its line; a missing folder has no rules.
    WriteBytes(dir.path() / "TORIKOMI" / kRulesFileName, "bank\tA\t3\ncard\n");
    auto damaged = LoadRuleBook(folder);
    ASSERT_FALSE(damaged);
    EXPECT_NE(damaged.error().path.find(kRulesFileName), std::string::npos);
    auto none = LoadRuleBook((dir.path() / "none").string());
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->bank.empty());
}
