// The deposit book's cell rules, totals, the stored record and the chooser entries.
#include <gtest/gtest.h>

#include "deposits/DepositTable.h"
#include "store/BinaryRecords.h"

namespace tabulo {
namespace {

DepositBookRecord TwoAccounts() {
    DepositBookRecord b = ClearedDepositBook();
    b.AccountName[1] = "普通預金          ";  // 8 bytes + 10 blanks
    b.AccountNo[1] = "123-4567      ";
    b.CarriedBalance[1] = 100000;
    b.CurrentBalance[1] = 1234567;
    b.AccountName[3] = "定期              ";
    b.AccountNo[3] = "9-1           ";
    b.CarriedBalance[3] = 500000;
    b.CurrentBalance[3] = 500000;
    b.Maturity[3] = "R8.03.31  ";
    b.CarriedTotal = 600000;
    b.CurrentTotal = 1734567;
    return b;
}

TEST(DepositCells, AmountsShowInElevenAndNeverLoseDigits) {
    EXPECT_EQ(AmountCellText(0), "          0");
    EXPECT_EQ(AmountCellText(1234567), "  1,234,567");
    EXPECT_EQ(AmountCellText(-5000), "     -5,000");
    // Keeping only the last 11 characters would show "147,483,647" and read it back so.
    EXPECT_EQ(AmountCellText(2147483647), "2,147,483,647");
    EXPECT_EQ(AmountCellText(-999999999), "-999,999,999");
}

TEST(DepositCells, AmountTextReadsCommasJunkAndRefusesOverflow) {
    EXPECT_EQ(AmountOfCell("  1,234,567"), 1234567);
    EXPECT_EQ(AmountOfCell("abc"), 0);
    EXPECT_EQ(AmountOfCell(""), 0);
    EXPECT_EQ(AmountOfCell("-2,147,483,648"), -2147483647 - 1);
    EXPECT_EQ(AmountOfCell("2147483648"), std::nullopt);
    EXPECT_EQ(AmountOfCell("99999999999"), std::nullopt);
}

TEST(DepositCells, AccountExistsOnlyWithANumber) {
    EXPECT_FALSE(AccountExists(""));
    EXPECT_FALSE(AccountExists("              "));
    EXPECT_TRUE(AccountExists("            12"));
}

TEST(DepositCells, LoadedBookShowsTrimmedTextsAndFormattedAmounts) {
    DepositTable t(TwoAccounts());
    EXPECT_EQ(t.Cell(1, DepositColumn::No), "  1");
    EXPECT_EQ(t.Cell(20, DepositColumn::No), " 20");
    EXPECT_EQ(t.Cell(1, DepositColumn::Name), "普通預金");
    EXPECT_EQ(t.Cell(1, DepositColumn::AccountNo), "123-4567");
    EXPECT_EQ(t.Cell(1, DepositColumn::Current), "  1,234,567");
    EXPECT_EQ(t.Cell(3, DepositColumn::Maturity), "R8.03.31");
    EXPECT_EQ(t.Cell(2, DepositColumn::Carried), "          0");
}

TEST(DepositCells, CommitsCutAlignAndFormat) {
    DepositTable t(ClearedDepositBook());
    // Ten double-byte characters are 20 bytes; the name keeps nine.
    auto name = t.Commit(1, DepositColumn::Name, "一二三四五六七八九十");
    ASSERT_TRUE(name.ok);
    EXPECT_EQ(name.text, "一二三四五六七八九");
    EXPECT_EQ(t.Commit(1, DepositColumn::AccountNo, "AB-12").text, "         AB-12");
    EXPECT_EQ(t.Commit(1, DepositColumn::Maturity, "R8.3.31").text, "   R8.3.31");
    // A double-byte maturity is aligned by bytes, so it still fits its 10-byte field.
    EXPECT_EQ(t.Commit(2, DepositColumn::Maturity, "満期３月").text, "  満期３月");
    EXPECT_EQ(t.Commit(1, DepositColumn::Carried, "1234567").text, "  1,234,567");
    EXPECT_EQ(t.Commit(1, DepositColumn::Current, "12x").text, "         12");
    EXPECT_EQ(t.Commit(2, DepositColumn::Current, "junk").text, "          0");
    auto totals = t.Totals();
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->carried, 1234567);
    EXPECT_EQ(totals->current, 12);
}

TEST(DepositCells, OverflowingAmountsAndTotalsAreRefusedAndTheCellKept) {
    DepositTable t(ClearedDepositBook());
    auto big = t.Commit(1, DepositColumn::Carried, "3000000000");
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.message, kAmountTooLargeMessage);
    EXPECT_EQ(t.Cell(1, DepositColumn::Carried), "          0");

    ASSERT_TRUE(t.Commit(1, DepositColumn::Current, "2000000000").ok);
    // Two accounts that each fit would wrap the current total to a negative sum.
    auto total = t.Commit(2, DepositColumn::Current, "200000000");
    EXPECT_FALSE(total.ok);
    EXPECT_EQ(total.message, kTotalTooLargeMessage);
    EXPECT_EQ(t.Cell(2, DepositColumn::Current), "          0");
    EXPECT_EQ(t.Totals()->current, 2000000000);
}

TEST(DepositStore, OnlyACurrentBalanceChangedAsksNothing) {
    DepositBookRecord before = TwoAccounts();
    DepositTable t(before);
    ASSERT_TRUE(t.Commit(1, DepositColumn::Current, "200000").ok);
    auto plan = t.Store(before, true);
    ASSERT_TRUE(plan);
    EXPECT_FALSE(plan->askCorrection);
    EXPECT_EQ(plan->book.CarriedTotal, 600000);
    EXPECT_EQ(plan->book.CurrentTotal, 700000);
    EXPECT_EQ(plan->book.CurrentBalance[1], 200000);
    // Texts read and stored back keep their bytes.
    EXPECT_EQ(plan->book.AccountName[1], before.AccountName[1]);
    EXPECT_EQ(plan->book.AccountNo[3], before.AccountNo[3]);
}

TEST(DepositStore, ARaisedCarryOverAsksAndNoKeepsTheOldTotal) {
    DepositBookRecord before = TwoAccounts();
    before.SpareAmount[2] = 77;
    before.DepositNote = std::string(394, 'n');
    before.AccountName[0] = "slot zero         ";
    DepositTable t(before);
    ASSERT_TRUE(t.Commit(1, DepositColumn::Carried, "120,000").ok);
    auto plan = t.Store(before, true);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->askCorrection);
    EXPECT_EQ(plan->oldCarriedTotal, 600000);
    EXPECT_EQ(plan->newCarriedTotal, 620000);

    StorePlan no = *plan;
    ApplyCorrectionAnswer(no, false);
    EXPECT_EQ(no.book.CarriedTotal, 600000);
    EXPECT_EQ(no.book.CarriedBalance[1], 120000);
    StorePlan yes = *plan;
    ApplyCorrectionAnswer(yes, true);
    EXPECT_EQ(yes.book.CarriedTotal, 620000);

    // What the screen does not show is carried over unchanged.
    EXPECT_EQ(plan->book.SpareAmount[2], 77);
    EXPECT_EQ(plan->book.DepositNote, before.DepositNote);
    EXPECT_EQ(plan->book.AccountName[0], before.AccountName[0]);
}

TEST(DepositStore, ANewFileStoresTheNewTotalWithoutAsking) {
    DepositBookRecord before = ClearedDepositBook();
    DepositTable t(before);
    ASSERT_TRUE(t.Commit(2, DepositColumn::Name, "当座").ok);
    ASSERT_TRUE(t.Commit(2, DepositColumn::Carried, "5000").ok);
    auto plan = t.Store(before, false);
    ASSERT_TRUE(plan);
    EXPECT_FALSE(plan->askCorrection);
    EXPECT_EQ(plan->book.CarriedTotal, 5000);
    // Names are padded to 18 characters and cut to 18 bytes.
    EXPECT_EQ(plan->book.AccountName[2], "当座              ");
    EXPECT_EQ(plan->book.AccountNo[2], std::string(14, ' '));
}

TEST(DepositStore, AStoredTotalThatDiffersFromTheSumAsksAgain) {
    // An earlier "No" left a carry-over total unequal to the accounts' sum; storing
    // recomputes the sum, so the question comes back even for a current-balance edit.
    DepositBookRecord before = TwoAccounts();
    before.CarriedTotal = 580000;
    DepositTable t(before);
    auto plan = t.Store(before, true);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->askCorrection);
    EXPECT_EQ(plan->newCarriedTotal, 600000);
}

TEST(AccountChooser, ListsOnlyAccountsWithANumber) {
    DepositBookRecord b = TwoAccounts();
    b.AccountName[2] = "番号なし";
    b.AccountNo[2] = std::string(14, ' ');
    b.CurrentBalance[2] = 999;
    auto entries = ChooserEntries(b);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].account, 1);
    EXPECT_EQ(entries[1].account, 3);
    EXPECT_EQ(entries[0].text, " 1 普通預金" + std::string(10, ' ') + " 123-4567" +
                                   std::string(6, ' ') + "  " + "   1,234,567" + " " +
                                   std::string(10, ' '));
    EXPECT_EQ(entries[1].text, " 3 定期" + std::string(14, ' ') + " 9-1" + std::string(11, ' ') +
                                   "  " + "     500,000" + " R8.03.31  ");
}

TEST(AccountChooser, ShortNamesAndZeroBalancesKeepTheColumns) {
    DepositBookRecord b = ClearedDepositBook();
    b.AccountName[12] = "郵便";  // unpadded, as the screen may leave it
    b.AccountNo[12] = "77";
    auto entries = ChooserEntries(b);
    ASSERT_EQ(entries.size(), 1u);
    // "##,###,###" shows a zero balance as blanks.
    EXPECT_EQ(entries[0].text, "12 郵便" + std::string(14, ' ') + " 77" + std::string(12, ' ') +
                                   "  " + std::string(12, ' ') + " " + std::string(10, ' '));
}

TEST(AccountChooser, PreselectsTheAccountOrTheFirstEntry) {
    auto entries = ChooserEntries(TwoAccounts());
    EXPECT_EQ(PreselectedEntry(entries, 0), 0);
    EXPECT_EQ(PreselectedEntry(entries, 1), 0);
    EXPECT_EQ(PreselectedEntry(entries, 3), 1);
    // Account 2 is not listed; the entry index is not the account number.
    EXPECT_EQ(PreselectedEntry(entries, 2), 0);
    EXPECT_EQ(PreselectedEntry({}, 1), -1);
    EXPECT_EQ(AccountQuestion(TwoAccounts(), 3), "定期");
}

}  // namespace
}  // namespace tabulo
