// The ledger rules on small hand-written ledgers: the three balance walks, insert,
// delete, growth, refusals, overflow and the end-of-entry totals.
#include <gtest/gtest.h>

#include "cashbook/Ledger.h"
#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "tests/cashbook/LedgerFixture.h"

namespace tabulo {
namespace {

using testing::kBlank16;
using testing::kBlank6;
using testing::kFri;
using testing::kMon;
using testing::kSun;
using testing::kThu;
using testing::kTue;
using testing::kWed;

using LedgerRules = testing::LedgerFixture;

std::string H(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) s += p + " ";
    return s;
}

// Four lines over February and March, balances not yet worked out:
//   1 130201 item 1 (収入) income 1,000
//   2 130215 item 4 (支出) expense 300
//   3 130301 item 3 (口座振り込み) income 500
//   4 130302 item 1 (収入) income 200
std::string FebMarch() {
    return H({"0400 00000000 00000000 00000000 00000000",
              "313330323031", kThu, "0100 e8030000 00000000 00000000", kBlank16,
              "313330323135", kThu, "0400 00000000 2c010000 00000000", kBlank16,
              "313330333031", kThu, "0300 f4010000 00000000 00000000", kBlank16,
              "313330333032", kFri, "0100 c8000000 00000000 00000000", kBlank16});
}

TEST_F(LedgerRules, RecalculateAllRestartsOnTheFirstLineOfAMonthWhateverItsCategory) {
    Load(FebMarch());
    ASSERT_TRUE(RecalculateAll(s).ok());
    // 1,000 / 700, then March opens with the category 3 line at 0 and its cash line
    // starts from 0. The header is not touched.
    ExpectFile(H({"0400 00000000 00000000 00000000 00000000",
                  "313330323031", kThu, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330323135", kThu, "0400 00000000 2c010000 bc020000", kBlank16,
                  "313330333031", kThu, "0300 f4010000 00000000 00000000", kBlank16,
                  "313330333032", kFri, "0100 c8000000 00000000 c8000000", kBlank16}));
}

TEST_F(LedgerRules, PostAmountRestartsAMonthOnlyOnACashLine) {
    Load(FebMarch());
    RowFields row{"130201", "（木）", 1, ""};
    ASSERT_TRUE(PostAmount(s, 1, 1, 1000, "02", row).ok());
    // The category 3 line carries 700 and takes March as the month, so the March
    // cash line goes on from 700: 900, which becomes the closing balance.
    ExpectFile(H({"0400 00000000 00000000 00000000 84030000",
                  "313330323031", kThu, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330323135", kThu, "0400 00000000 2c010000 bc020000", kBlank16,
                  "313330333031", kThu, "0300 f4010000 00000000 bc020000", kBlank16,
                  "313330333032", kFri, "0100 c8000000 00000000 84030000", kBlank16}));
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 900);
}

TEST_F(LedgerRules, NonCashLinesKeepThePreviousBalanceAndLineOneStartsFromTheOpeningBalance) {
    // Opening balance 5,000 (88130000); April lines:
    //   1 item 3 income 500, 2 item 1 income 1,000, 3 item 6 expense 200,
    //   4 no item, 5 item 4 expense 300.
    Load(H({"0500 88130000 00000000 00000000 00000000",
            "313330343031", kSun, "0300 f4010000 00000000 00000000", kBlank16,
            "313330343032", kMon, "0100 e8030000 00000000 00000000", kBlank16,
            "313330343033", kTue, "0600 00000000 c8000000 00000000", kBlank16,
            "313330343034", kWed, "0000 00000000 00000000 00000000", kBlank16,
            "313330343035", kThu, "0400 00000000 2c010000 00000000", kBlank16}));
    ASSERT_TRUE(RecalculateAll(s).ok());
    const int expected[] = {5000, 6000, 6000, 6000, 5700};
    for (int n = 1; n <= 5; ++n) {
        auto line = ReadLedgerLineAt(s, n);
        ASSERT_TRUE(line.ok());
        EXPECT_EQ(line->Zandaka, expected[n - 1]) << "line " << n;
    }
}

TEST_F(LedgerRules, RecalculateFromPageStartsFromTheLastDatedLineBeforeThePage) {
    // Twelve April lines of income 100 (item 1) whose stored balances are all 50.
    // Dates 130401..130409 and 130410..130412, written out.
    const char* dates[] = {"313330343031", "313330343032", "313330343033", "313330343034",
                           "313330343035", "313330343036", "313330343037", "313330343038",
                           "313330343039", "313330343130", "313330343131", "313330343132"};
    std::string hex = "0c00 00000000 00000000 00000000 00000000 ";
    for (const char* d : dates) hex += H({d, kBlank6, "0100 64000000 00000000 32000000", kBlank16});
    Load(hex);
    ASSERT_TRUE(RecalculateFromPage(s, 2).ok());
    // Page 2 starts the walk at line 10 from line 9's balance 50: 150, 250, 350.
    // Lines 1..9 keep what they had.
    for (int n = 1; n <= 12; ++n) {
        auto line = ReadLedgerLineAt(s, n);
        ASSERT_TRUE(line.ok());
        EXPECT_EQ(line->Zandaka, n < 10 ? 50 : 50 + (n - 9) * 100) << "line " << n;
    }
}

TEST_F(LedgerRules, PostAmountStartsFromTheLineBeforeOnlyInTheSameMonth) {
    // 1 130331 item 1 income 1,000 (balance 1,000); 2 130401 item 1 income 500.
    Load(H({"0200 00000000 00000000 00000000 00000000",
            "313330333331", kBlank6, "0100 e8030000 00000000 e8030000", kBlank16,
            "313330343031", kSun, "0100 f4010000 00000000 00000000", kBlank16}));
    ASSERT_TRUE(PostAmount(s, 2, 1, 500, "04", {"130401", "（日）", 1, ""}).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 2)->Zandaka, 500);  // March's 1,000 does not carry into April

    // A line without an item before the posted one is passed over.
    Load(H({"0300 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
            kBlank6, kBlank6, "0000 00000000 00000000 e8030000", kBlank16,
            "313330343032", kMon, "0100 c8000000 00000000 00000000", kBlank16}));
    ASSERT_TRUE(PostAmount(s, 3, 1, 200, "04", {"130402", "（月）", 1, ""}).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 3)->Zandaka, 1200);
}

TEST_F(LedgerRules, PostingBeyondTheEndWritesTheSkippedLineBlank) {
    // One line: 130401 item 1 income 1,000, balance 1,000.
    Load(H({"0100 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16}));
    ASSERT_TRUE(PostAmount(s, 3, 2, 300, "04", {"130405", "（木）", 4, "文具"}).ok());
    // LineCount 3, line 2 blank carrying 1,000, line 3 an expense of 300 from it:
    // 700, the closing balance. Remarks "文具" = 95b6 8bef.
    ExpectFile(H({"0300 00000000 00000000 00000000 bc020000",
                  "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                  kBlank6, kBlank6, "0000 00000000 00000000 e8030000", kBlank16,
                  "313330343035", kThu, "0400 00000000 2c010000 bc020000",
                  "95b68bef 2020202020202020 20202020"}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 3);
}

TEST_F(LedgerRules, ADateOnANewLineRaisesTheLineCountAndTypingStopsTwoLinesOn) {
    Load(H({"0100 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16}));
    EXPECT_TRUE(MayTypeOnLine(3, 1));
    EXPECT_FALSE(MayTypeOnLine(4, 1));
    // Two lines beyond the end are out of reach for every write.
    const std::string before = File();
    EXPECT_FALSE(WriteLineDate(s, 4, "130404", "（水）").ok());
    EXPECT_FALSE(PostAmount(s, 4, 1, 100, "04", {"130404", "（水）", 1, ""}).ok());
    EXPECT_EQ(File(), before);
    ASSERT_TRUE(WriteLineDate(s, 2, "130402", "（月）").ok());
    ASSERT_TRUE(WriteLineDate(s, 4, "130404", "（水）").ok());
    // Line 2 dated, line 3 skipped and blank, line 4 dated; each carries 1,000.
    ExpectFile(H({"0400 00000000 00000000 00000000 00000000",
                  "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330343032", kMon, "0000 00000000 00000000 e8030000", kBlank16,
                  kBlank6, kBlank6, "0000 00000000 00000000 e8030000", kBlank16,
                  "313330343034", kWed, "0000 00000000 00000000 e8030000", kBlank16}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 4);
}

TEST_F(LedgerRules, InsertAtLineOneShiftsEveryLineAndRecalculates) {
    Load(H({"0200 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
            "313330343032", kMon, "0400 00000000 2c010000 bc020000", kBlank16}));
    auto r = InsertLine(s, 1);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, InsertOutcome::Inserted);
    ExpectFile(H({"0300 00000000 00000000 00000000 00000000",
                  kBlank6, kBlank6, "0000 00000000 00000000 00000000", kBlank16,
                  "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330343032", kMon, "0400 00000000 2c010000 bc020000", kBlank16}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 3);
}

TEST_F(LedgerRules, InsertPastTheLineCapacityIsRefusedAndWritesNothing) {
    s.SetupLines[2] = "2";
    const std::string hex = H({"0200 00000000 00000000 00000000 00000000",
                               "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                               "313330343032", kMon, "0400 00000000 2c010000 bc020000", kBlank16});
    Load(hex);
    auto r = InsertLine(s, 1);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, InsertOutcome::CapacityFull);
    ExpectFile(hex);
    EXPECT_EQ(s.LedgerHeader.LineCount, 2);
    s.SetupLines[2] = "3";
    EXPECT_EQ(*InsertLine(s, 2), InsertOutcome::Inserted);
}

TEST_F(LedgerRules, DeletingTheOnlyLineLeavesABlankFirstLine) {
    Load(H({"0100 00000000 e8030000 00000000 e8030000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16}));
    ASSERT_TRUE(DeleteLine(s, 1, 0).ok());
    ExpectFile(H({"0000 00000000 e8030000 00000000 00000000",
                  kBlank6, kBlank6, "0000 00000000 00000000 00000000", kBlank16}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 0);
}

TEST_F(LedgerRules, DeletingAMiddleLineMovesTheRestDownAndRecalculates) {
    Load(H({"0300 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
            "313330343032", kMon, "0400 00000000 2c010000 bc020000", kBlank16,
            "313330343033", kTue, "0100 c8000000 00000000 84030000", kBlank16}));
    ASSERT_TRUE(DeleteLine(s, 2, 0).ok());
    // 1,000 then 1,200 (b0040000); the old last place is blank with balance 0.
    ExpectFile(H({"0200 00000000 00000000 00000000 b0040000",
                  "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330343033", kTue, "0100 c8000000 00000000 b0040000", kBlank16,
                  kBlank6, kBlank6, "0000 00000000 00000000 00000000", kBlank16}));
}

TEST_F(LedgerRules, AnOverflowLeavesTheFileByteForByteAsItWas) {
    // Balance 2,147,483,000 (78fdff7f) on lines 1 and 2 (line 2 not yet worked out);
    // a further 1,000 passes 2^31 - 1 in every walk.
    const std::string hex =
        H({"0200 00000000 00000000 00000000 00000000",
           "313330343031", kSun, "0100 78fdff7f 00000000 78fdff7f", kBlank16,
           "313330343032", kMon, "0100 e8030000 00000000 78fdff7f", kBlank16});
    Load(hex);
    const LedgerHeaderRecord header = s.LedgerHeader;

    Status posted = PostAmount(s, 3, 1, 1000, "04", {"130403", "（火）", 1, ""});
    ASSERT_FALSE(posted.ok());
    EXPECT_EQ(posted.error().code, FileErrorCode::Overflow);
    EXPECT_EQ(posted.error().detail, "金額が大きすぎるため処理できません！！");
    ExpectFile(hex);
    EXPECT_EQ(s.LedgerHeader, header);  // the line count did not grow either

    EXPECT_FALSE(RecalculateAll(s).ok());
    ExpectFile(hex);
    EXPECT_FALSE(InsertLine(s, 1).ok());
    ExpectFile(hex);
}

TEST_F(LedgerRules, EndOfEntryTotalsCountEveryLineWhateverItsCategory) {
    // Income 1,000 of category 1 and 500 of category 3: the cash balance stays 1,000
    // but TotalIn is 1,500 (dc050000), and ClosingBalance = TotalIn - TotalOut.
    Load(H({"0200 00000000 00000000 00000000 00000000",
            "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
            "313330343032", kMon, "0300 f4010000 00000000 e8030000", kBlank16}));
    ASSERT_TRUE(FinishEntry(s).ok());
    ExpectFile(H({"0200 00000000 dc050000 00000000 dc050000",
                  "313330343031", kSun, "0100 e8030000 00000000 e8030000", kBlank16,
                  "313330343032", kMon, "0300 f4010000 00000000 e8030000", kBlank16}));
    EXPECT_EQ(s.LedgerHeader.TotalIn, 1500);
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 1500);
}

TEST(Paging, TheLastPageHoldsTheNextFreeLineWithinThePageLimit) {
    EXPECT_EQ(LastPage(0, 200), 1);
    EXPECT_EQ(LastPage(9, 200), 1);
    EXPECT_EQ(LastPage(10, 200), 2);
    EXPECT_EQ(LastPage(2000, 200), 200);
    EXPECT_EQ(LineOfRow(2, 1), 11);
    EXPECT_EQ(PageOfLine(10), 1);
    EXPECT_EQ(PageOfLine(11), 2);
}

TEST_F(LedgerRules, TheDateSearchFindsThePageOfTheFirstLineOnOrAfterTheDate) {
    // 21 lines: 130401..130410 on lines 1..10, 130501..130511 on lines 11..21.
    std::string hex = "1500 00000000 00000000 00000000 00000000 ";
    const char* april[] = {"313330343031", "313330343032", "313330343033", "313330343034",
                           "313330343035", "313330343036", "313330343037", "313330343038",
                           "313330343039", "313330343130"};
    const char* may[] = {"313330353031", "313330353032", "313330353033", "313330353034",
                         "313330353035", "313330353036", "313330353037", "313330353038",
                         "313330353039", "313330353130", "313330353131"};
    for (const char* d : april) hex += H({d, kBlank6, "0100 64000000 00000000 00000000", kBlank16});
    for (const char* d : may) hex += H({d, kBlank6, "0100 64000000 00000000 00000000", kBlank16});
    Load(hex);
    EXPECT_EQ(*SearchPage(s, "130501"), 2);  // line 11
    EXPECT_EQ(*SearchPage(s, "130301"), 1);  // before the first line
    EXPECT_EQ(*SearchPage(s, "1305"), 2);    // year and month find the month's first line
    EXPECT_EQ(*SearchPage(s, "130601"), 3);  // after the last line: the last line's page
    EXPECT_FALSE(SearchPage(s, "")->has_value());
}

}  // namespace
}  // namespace tabulo
