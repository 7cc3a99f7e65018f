// The rules the check shares with the window, taken one line at a time: they must
// give what the window's own walks give.

#include <gtest/gtest.h>

#include "cashbook/Aggregation.h"
#include "cashbook/Ledger.h"
#include "cli/YearFolder.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

LedgerLine Line(const char* date, int item, Amount in, Amount out, Amount balance = 0) {
    LedgerLine l = BlankLedgerLine(balance);
    l.NenGetsuBi = date;
    l.ItemNo = static_cast<std::int16_t>(item);
    l.Indata = in;
    l.Outdata = out;
    return l;
}

class LedgerRules : public ::testing::Test {
  protected:
    void SetUp() override {
        s.LedgerPath = temp / "KEIRI13.DAT";
        FillKubunNames(s);
        const int kubun[] = {0, 1, 3, 4, 6, 7, 5};
        for (int i = 1; i <= 6; ++i)
            s.ItemTable[static_cast<std::size_t>(i)].ItemKubun =
                static_cast<std::int16_t>(kubun[i]);
        lines = {Line("130401", 5, 9000, 0), Line("130402", 1, 1000, 0), Line("130403", 2, 500, 0),
                 Line("      ", 0, 0, 0),    Line("130501", 2, 70, 0),   Line("130502", 3, 0, 40),
                 Line("130503", 6, 0, 300),  Line("130520", 4, 0, 20),   Line("130601", 1, 5, 0)};
        s.LedgerHeader.LineCount = static_cast<std::int16_t>(lines.size());
        s.LedgerHeader.OpeningBalance = 100;
        auto f = LedgerFile::Open(s.LedgerPath);
        f->WriteHeader(s.LedgerHeader);
        for (std::size_t i = 0; i < lines.size(); ++i)
            f->WriteLine(static_cast<int>(i) + 1, lines[i]);
        ASSERT_TRUE(f->Commit().ok());
    }
    TempFolder temp;
    SharedState s;
    std::vector<LedgerLine> lines;
};

TEST_F(LedgerRules, ReferenceBalanceIsWhatRecalculateAllWrites) {
    ASSERT_TRUE(RecalculateAll(s).ok());
    auto f = LedgerFile::Open(s.LedgerPath);
    ReferenceBalance rule(s.LedgerHeader, s.ItemTable);
    for (int n = 1; n <= s.LedgerHeader.LineCount; ++n) {
        auto expected = rule.Next(n, lines[static_cast<std::size_t>(n - 1)]);
        ASSERT_TRUE(expected.ok());
        EXPECT_EQ(*expected, f->ReadLine(n)->Zandaka) << "line " << n;
    }
}

TEST_F(LedgerRules, ReferenceBalanceReportsAnOverflow) {
    ReferenceBalance rule(s.LedgerHeader, s.ItemTable);
    ASSERT_TRUE(rule.Next(1, Line("130401", 1, 2147483000, 0)).ok());
    auto over = rule.Next(2, Line("130402", 1, 1000, 0));
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().code, FileErrorCode::Overflow);
}

TEST_F(LedgerRules, TotalsRuleIsWhatComputeLedgerTotalsGives) {
    LedgerTotalsRule rule(s.LedgerHeader.OpeningBalance);
    for (const auto& l : lines) ASSERT_TRUE(rule.Add(l));
    auto totals = rule.Totals(s.LedgerHeader);
    ASSERT_TRUE(totals.has_value());
    ASSERT_TRUE(ComputeLedgerTotals(s).ok());
    EXPECT_EQ(*totals, s.LedgerHeader);
    EXPECT_EQ(totals->TotalIn, 100 + 9000 + 1000 + 500 + 70 + 5);

    LedgerTotalsRule over(0);
    EXPECT_TRUE(over.Add(Line("130401", 1, 2147483647, 0)));
    EXPECT_FALSE(over.Add(Line("130402", 1, 1, 0)));
    EXPECT_FALSE(over.Totals(s.LedgerHeader).has_value());
}

TEST_F(LedgerRules, DateRuleGivesTheMessagesOfTheDateCheck) {
    lines[3].ItemNo = 1;             // a blank date with an item
    lines[6].NenGetsuBi = "130430";  // earlier than line 6's 130502
    auto f = LedgerFile::Open(s.LedgerPath);
    for (std::size_t i = 0; i < lines.size(); ++i) f->WriteLine(static_cast<int>(i) + 1, lines[i]);
    ASSERT_TRUE(f->Commit().ok());
    testing::FakePrompt prompt;
    ASSERT_TRUE(CheckLedgerDates(s, prompt).ok());
    LedgerDateRule rule;
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string m = rule.Next(static_cast<int>(i) + 1, lines[i]);
        if (!m.empty()) messages.push_back(m);
    }
    EXPECT_EQ(messages, prompt.Texts());
    EXPECT_EQ(messages, (std::vector<std::string>{" 4行の年月日が入力されていません！",
                                                  " 7行の年月日が前の行より以前の日付です！"}));
}

TEST(LedgerBytes, ScanKeepsTheNumbersOfALineWithBadText) {
    std::string bytes = ReadBytes(FixturePath("KEIRI13.DAT")).substr(18 + 42, 42);
    bytes[26] = '\x80';  // remarks: a byte that starts no CP932 character
    bytes[0] = '\xA0';   // date too
    std::span<const std::byte, kLedgerLineSize> raw(
        reinterpret_cast<const std::byte*>(bytes.data()), kLedgerLineSize);
    ScannedLedgerLine scanned = ScanLedgerLine(raw);
    EXPECT_EQ(scanned.badFields, (std::vector<std::string>{"年月日", "備考"}));
    EXPECT_EQ(scanned.line.ItemNo, 4);
    EXPECT_EQ(scanned.line.Outdata, 1200);
    EXPECT_EQ(scanned.line.Zandaka, 13800);
    EXPECT_EQ(scanned.line.Youbi, "（月）");
}

TEST(LedgerBytes, LedgerFileHeaderIsRefusedWhenItsCountDoesNotFit) {
    const std::string fixture = ReadBytes(FixturePath("KEIRI13.DAT"));
    auto span = [](const std::string& s) {
        return std::span<const std::byte>(reinterpret_cast<const std::byte*>(s.data()), s.size());
    };
    auto good = DecodeLedgerFile(span(fixture), "/d/KEIRI13.DAT");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good->LineCount, 3);
    std::string tooMany = fixture;
    tooMany[0] = 4;
    std::string negative = fixture;
    negative[1] = '\x80';
    for (const std::string& bad : {tooMany, negative, fixture.substr(0, 17)}) {
        auto h = DecodeLedgerFile(span(bad), "/d/KEIRI13.DAT");
        ASSERT_FALSE(h.ok());
        EXPECT_EQ(h.error().code, FileErrorCode::BadFormat);
        EXPECT_EQ(h.error().path, "/d/KEIRI13.DAT");
    }

    // Read from the file's first bytes and its length only: the same judgement, and
    // a missing or empty file is a year without lines.
    TempFolder dir;
    const auto path = dir.path() / "KEIRI13.DAT";
    WriteBytes(path, fixture);
    auto read = ReadLedgerFileHeader(path);
    ASSERT_TRUE(read.ok());
    ASSERT_TRUE(read->has_value());
    EXPECT_EQ((*read)->LineCount, 3);
    EXPECT_EQ((*read)->OpeningBalance, good->OpeningBalance);
    EXPECT_EQ((*read)->ClosingBalance, good->ClosingBalance);
    for (const std::string& bad : {tooMany, negative, fixture.substr(0, 17), fixture.substr(0, fixture.size() - 1)}) {
        WriteBytes(path, bad);
        auto h = ReadLedgerFileHeader(path);
        ASSERT_FALSE(h.ok());
        EXPECT_EQ(h.error().code, FileErrorCode::BadFormat);
        EXPECT_EQ(h.error().path, path.string());
    }
    WriteBytes(path, "");
    auto empty = ReadLedgerFileHeader(path);
    ASSERT_TRUE(empty.ok());
    EXPECT_FALSE(empty->has_value());
    auto missing = ReadLedgerFileHeader(dir.path() / "KEIRI14.DAT");
    ASSERT_TRUE(missing.ok());
    EXPECT_FALSE(missing->has_value());
}

TEST(YearPaths, NamedAfterTheYearInsideTheDataFolder) {
    SharedState s;
    s.DataFolder = "/media/stick/KEIRIDATA";
    s.FiscalYear = 5;
    SetYearPaths(s);
    EXPECT_EQ(s.LedgerPath, "/media/stick/KEIRIDATA/KEIRI05.DAT");
    EXPECT_EQ(s.DepositPath, "/media/stick/KEIRIDATA/YOKIN05.DAT");
    EXPECT_EQ(s.MasterPath, "/media/stick/KEIRIDATA/MASTER.DAT");
    EXPECT_EQ(s.TaxReturnPath, "/media/stick/KEIRIDATA/SHINKOKU.DAT");
}

TEST(YearFolderRead, TheCommandLineOpensTheLedgerForReadingOnly) {
    TempFolder temp;
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
        std::filesystem::copy_file(FixturePath(name), temp / name);
    SharedState s;
    ASSERT_TRUE(LoadYearFolder(s, temp.path(), false).ok());
    EXPECT_TRUE(s.ReadOnly);
    EXPECT_EQ(s.LedgerHeader.LineCount, 3);
    // What reads works; an operation that would write fails and changes nothing,
    // however the file's permissions stand (root may write a protected file).
    EXPECT_TRUE(ComputeMonthlyItemTable(s).ok());
    const std::string before = ReadBytes(temp / "KEIRI13.DAT");
    s.LedgerHeader.OpeningBalance += 1;
    EXPECT_FALSE(RecalculateAll(s).ok());
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), before);
    EXPECT_FALSE(std::filesystem::exists(temp / "KEIRI13.JNL"));
}

// A redo log whose operation was done but whose write into the deposit book was lost:
// the report said the data would stay as it is, although the program's read writes the
// operation into the files.
TEST(YearFolderRead, ALiveLogIsSaidToBeWrittenIntoTheFilesByTheNextRead) {
    TempFolder temp;
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
        std::filesystem::copy_file(FixturePath(name), temp / name);
    const std::string deposit = ReadBytes(temp / "YOKIN13.DAT");
    std::string changed = deposit;
    changed[760] = static_cast<char>(changed[760] ^ 0x55);
    auto bytes = [](const std::string& t) { return std::as_bytes(std::span(t.data(), t.size())); };
    const std::vector<FileChange> changes = {
        FileChange{temp / "YOKIN13.DAT", true, bytes(deposit), bytes(changed), {{760, 761}}, {}}};
    ASSERT_TRUE(CommitChanges(temp / "KEIRI13.JNL", changes).ok());
    testing::WriteBytes(temp / "YOKIN13.DAT", deposit);  // the write after the log's flush lost
    SharedState s;
    ASSERT_TRUE(OpenYearFolder(s, temp.path()).ok());
    ASSERT_EQ(*InspectJournal(temp / "KEIRI13.JNL"), Recovery::Completed);
    const std::string said = JournalMessage(s);
    EXPECT_EQ(said.find("データはこのまま"), std::string::npos) << said;
    EXPECT_NE(said.find("ファイルに書き込まれて"), std::string::npos) << said;
    // And so it is: a read writes the operation into the deposit book.
    ASSERT_TRUE(SettleJournal(temp / "KEIRI13.JNL").ok());
    EXPECT_EQ(ReadBytes(temp / "YOKIN13.DAT"), changed);
}

}  // namespace
}  // namespace tabulo
