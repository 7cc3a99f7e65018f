// Item choice on deposit lines and the account corrections of deposit lines,
// including the deposit file they write.
#include <gtest/gtest.h>

#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "store/BinaryRecords.h"
#include "tests/cashbook/LedgerFixture.h"

namespace tabulo {
namespace {

using testing::kBlank16;
using testing::kSun;
using DepositLines = testing::LedgerFixture;

TEST_F(DepositLines, TheChooserKeepsADepositLineInItsCategory) {
    const auto& items = s.ItemTable;
    // A category 5 line may take another category 5 item (10) but not category 4 (8).
    EXPECT_EQ(JudgeItemChoice(items, 5, 5, 10).selection, 10);
    ItemChoice refused = JudgeItemChoice(items, 5, 5, 8);
    EXPECT_EQ(refused.selection, 5);
    EXPECT_EQ(refused.refusal, "この預金データは区分の変更はできません！");
    // A category 1 line cannot become a deposit line; it can become category 4.
    for (int item : {2, 3, 5, 6}) {
        ItemChoice c = JudgeItemChoice(items, 0, 1, item);
        EXPECT_EQ(c.selection, 1) << item;
        EXPECT_EQ(c.refusal, "このデータは預金データへは変更できません！");
    }
    EXPECT_EQ(JudgeItemChoice(items, 0, 1, 8).selection, 8);
    // A new line takes any item.
    for (int item = 1; item <= 10; ++item) EXPECT_EQ(JudgeItemChoice(items, 0, 0, item).selection, item);
    EXPECT_EQ(LockedCategoryFor(CategoryOf(items, 5)), 5);
    EXPECT_EQ(LockedCategoryFor(CategoryOf(items, 1)), 0);
}

TEST(DepositCorrection, EachCategoryMovesItsAccountTheRightWay) {
    DepositBookRecord book = ClearedDepositBook();
    book.CurrentBalance[3] = 10000;
    book.CurrentBalance[4] = 1;
    // Cash taken from the account: 3,000 -> 5,000 lowers it by 2,000.
    EXPECT_EQ(CorrectForAmountChange(book, 2, 3, 3000, 5000)->CurrentBalance[3], 8000);
    EXPECT_EQ(CorrectForAmountChange(book, 3, 3, 3000, 5000)->CurrentBalance[3], 12000);
    EXPECT_EQ(CorrectForAmountChange(book, 5, 3, 0, 5000)->CurrentBalance[3], 15000);
    EXPECT_EQ(CorrectForAmountChange(book, 6, 3, 0, 5000)->CurrentBalance[3], 5000);
    EXPECT_EQ(CorrectForAmountChange(book, 2, 3, 3000, 5000)->CurrentTotal, 8001);

    LedgerLine in;
    in.Indata = 700;
    LedgerLine out;
    out.Outdata = 700;
    EXPECT_EQ(CorrectForDeletedLine(book, 2, 3, in)->CurrentBalance[3], 10700);
    EXPECT_EQ(CorrectForDeletedLine(book, 3, 3, in)->CurrentBalance[3], 9300);
    EXPECT_EQ(CorrectForDeletedLine(book, 5, 3, out)->CurrentBalance[3], 9300);
    EXPECT_EQ(CorrectForDeletedLine(book, 6, 3, out)->CurrentBalance[3], 10700);

    book.CurrentBalance[3] = 2147483000;
    auto over = CorrectForAmountChange(book, 3, 3, 0, 1000);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().detail, "金額が大きすぎるため処理できません！！");
    // The sum of the accounts can pass 2^31 - 1 on its own.
    book.CurrentBalance[3] = 2147483000;
    book.CurrentBalance[4] = 2000;
    EXPECT_FALSE(WithCurrentTotal(book).ok());
}

TEST_F(DepositLines, PostingADepositAmountWritesTheAccountAfterTheLedger) {
    // One line: 130401 item 5 (預入れ) expense 0.
    Load("0100 00000000 00000000 00000000 00000000 313330343031" + std::string(kSun) +
         "0500 00000000 00000000 00000000" + kBlank16);
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.AccountNo[1] = "123";
    s.DepositBook.CurrentBalance[1] = 10000;
    DepositChange dep{5, 1, 0};
    ASSERT_TRUE(PostAmount(s, 1, 2, 3000, "04", {"130401", "（日）", 5, ""}, &dep).ok());
    const std::string yokin = testing::ReadBytes(s.DepositPath);
    ASSERT_EQ(yokin.size(), 1536u);
    // CurrentBalance(1) at 756 + 4 and CurrentTotal at 1138: 13,000 = c8320000.
    EXPECT_EQ(testing::LedgerDump(yokin.substr(760, 4)), "c8320000");
    EXPECT_EQ(testing::LedgerDump(yokin.substr(1138, 4)), "c8320000");
    EXPECT_EQ(ReadLedgerLineAt(s, 1)->Outdata, 3000);
}

TEST_F(DepositLines, AnAccountOverflowWritesNeitherFile) {
    const std::string hex = "0100 00000000 00000000 00000000 00000000 313330343031" +
                            std::string(kSun) + "0300 00000000 00000000 00000000" + kBlank16;
    Load(hex);
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.CurrentBalance[2] = 2147483000;
    DepositChange dep{3, 2, 0};
    EXPECT_FALSE(PostAmount(s, 1, 1, 1000, "04", {"130401", "（日）", 3, ""}, &dep).ok());
    ExpectFile(hex);
    EXPECT_FALSE(std::filesystem::exists(s.DepositPath));
    EXPECT_EQ(s.DepositBook.CurrentBalance[2], 2147483000);
}

TEST_F(DepositLines, DeletingADepositLineGivesTheAmountBackToTheChosenAccount) {
    // 1 130401 item 1 income 5,000; 2 130401 item 5 expense 3,000 (b80b0000).
    Load("0200 00000000 00000000 00000000 00000000 "
         "313330343031" + std::string(kSun) + "0100 88130000 00000000 88130000" + kBlank16 +
         "313330343031" + kSun + "0500 00000000 b80b0000 d0070000" + kBlank16);
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.CurrentBalance[1] = 10000;
    ASSERT_TRUE(DeleteLine(s, 2, 1).ok());
    const std::string yokin = testing::ReadBytes(s.DepositPath);
    // 10,000 - 3,000 = 7,000 = 581b0000.
    EXPECT_EQ(testing::LedgerDump(yokin.substr(760, 4)), "581b0000");
    EXPECT_EQ(testing::LedgerDump(yokin.substr(1138, 4)), "581b0000");
    EXPECT_EQ(s.LedgerHeader.LineCount, 1);
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 5000);
}

}  // namespace
}  // namespace tabulo
