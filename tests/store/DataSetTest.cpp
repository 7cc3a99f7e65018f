#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FakePrompt;
using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.ProgramFolder = temp / "prog";
        fs::create_directories(s.ProgramFolder);
        s.SetupLines = {"", "A", "2000", "0", "0", "0", "0", "0", "0"};
        FillKubunNames(s);
        disk = s.ProgramFolder / "drives" / "A" / "KEIRIDATA";
    }
    // A data disk holding the fixtures of era year 13.
    void CopyFixtures() {
        fs::create_directories(disk);
        for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"}) {
            fs::copy_file(FixturePath(name), disk / name);
        }
    }
    void Read() {
        ReadDataSet(s, prompt, [this] { ++asked; });
    }
    // A fresh copy of the fixtures, changed by `damage`, read as at a new start.
    void ReadDamagedCopy(const std::function<void()>& damage) {
        fs::remove_all(disk);
        CopyFixtures();
        damage();
        s = SharedState{};
        s.ProgramFolder = temp / "prog";
        s.SetupLines = {"", "A", "2000", "0", "0", "0", "0", "0", "0"};
        prompt.Clear();
        Read();
    }
    TempFolder temp;
    SharedState s;
    FakePrompt prompt;
    fs::path disk;
    int asked = 0;
};

// ---- Settings ----

TEST_F(DataSetTest, EmptySettingsFileIsWrittenWithDefaults) {
    WriteBytes(s.ProgramFolder / "TAB_SET3.DAT", "");
    s.SetupLines = {};
    ASSERT_TRUE(ReadSetupFile(s).ok());
    EXPECT_EQ(ReadBytes(s.ProgramFolder / "TAB_SET3.DAT"),
              "A\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(s.SetupLines[1], "A");
    EXPECT_EQ(s.PageLimit, 200);
}

TEST_F(DataSetTest, SettingsFileSetsPageLimit) {
    WriteBytes(s.ProgramFolder / "TAB_SET3.DAT", "B\r\n1500\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    ASSERT_TRUE(ReadSetupFile(s).ok());
    EXPECT_EQ(s.SetupLines[1], "B");
    EXPECT_EQ(s.SetupLines[8], "6");
    EXPECT_EQ(s.PageLimit, 150);
    s.SetupLines[2] = "10000";
    ASSERT_TRUE(WriteSetupFile(s).ok());
    EXPECT_EQ(s.PageLimit, 1000);
    EXPECT_EQ(ReadBytes(s.ProgramFolder / "TAB_SET3.DAT"),
              "B\r\n10000\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
}

// ---- Paths ----

TEST_F(DataSetTest, PathsCarryTheTwoDigitYearTag) {
    EXPECT_EQ(YearTag(5), "05");
    EXPECT_EQ(YearTag(13), "13");
    s.FiscalYear = 5;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    EXPECT_EQ(s.DataFolder, disk);
    EXPECT_EQ(s.FiscalYearPath, disk / "DATE.DAT");
    EXPECT_EQ(s.MasterPath, disk / "MASTER.DAT");
    EXPECT_EQ(s.TaxReturnPath, disk / "SHINKOKU.DAT");
    EXPECT_EQ(s.LedgerPath, disk / "KEIRI05.DAT");
    EXPECT_EQ(s.DepositPath, disk / "YOKIN05.DAT");
}

// ---- The read-data action ----

TEST_F(DataSetTest, ReadsAWholeYearAndChangesNoFile) {
    CopyFixtures();
    Read();
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(s.FiscalYear, 13);
    EXPECT_EQ(s.EraName, "平成");
    EXPECT_EQ(s.ReportTitleName, "山田商店");
    EXPECT_EQ(s.ItemTable[3].ItemName, "仕入");
    EXPECT_EQ(s.ItemTableEdit[3].ItemName, "仕入");
    EXPECT_EQ(s.LedgerHeader.LineCount, 3);
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 13800);
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 120000);
    EXPECT_EQ(s.ErrorFlag, 0);
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"}) {
        EXPECT_EQ(ReadBytes(disk / name), ReadBytes(FixturePath(name))) << name;
    }
}

TEST_F(DataSetTest, FreshDiskAsksForTheYearAndReadsItOnce) {
    int messagesWhenAsked = -1;
    ReadDataSet(s, prompt, [&] {
        ++asked;
        messagesWhenAsked = static_cast<int>(prompt.shown.size());
        // What the fiscal-year form does on 登録.
        s.FiscalYear = 5;
        s.EraName = "令和";
        ASSERT_TRUE(WriteFiscalYearFile(s).ok());
    });
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(messagesWhenAsked, 1);
    EXPECT_EQ(prompt.shown[0].text, "年度ファイルが有りません！！");
    EXPECT_EQ(prompt.shown[0].style, 48);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(ReadBytes(disk / "DATE.DAT"), "5,\"\x97\xdf\x98\x61\",0\r\n");
    // A missing deposit book is created with 21 cleared slots; an empty ledger is not kept.
    EXPECT_EQ(ReadBytes(disk / "YOKIN05.DAT"),
              std::string(reinterpret_cast<const char*>(EncodeDepositBook(ClearedDepositBook())->data()),
                          1536));
    EXPECT_FALSE(fs::exists(disk / "KEIRI05.DAT"));
    EXPECT_EQ(s.LedgerHeader.LineCount, 0);
}

TEST_F(DataSetTest, ClosingTheYearFormLeavesDataUnread) {
    // Closing the fiscal-year form used to count as a successful read.
    Read();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_FALSE(fs::exists(disk / "YOKIN00.DAT"));
}

TEST_F(DataSetTest, YearZeroCountsAsNoYear) {
    fs::create_directories(disk);
    WriteBytes(disk / "DATE.DAT", "0,\"\",0\r\n");
    Read();
    EXPECT_EQ(asked, 1);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown[0].text, "年度ファイルが有りません！！");
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_FALSE(fs::exists(disk / "YOKIN00.DAT"));
}

TEST_F(DataSetTest, EmptyLedgerFileIsRemoved) {
    CopyFixtures();
    WriteBytes(disk / "KEIRI13.DAT", "");
    Read();
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(s.LedgerHeader, LedgerHeaderRecord{});
    EXPECT_FALSE(fs::exists(disk / "KEIRI13.DAT"));
}

// A ledger that is no ledger file at all: a sparse file of 8 GB, one byte larger
// than the format allows, a link to an endless device, a FIFO. The read refuses it
// by name, without waiting and without removing or changing anything.
TEST_F(DataSetTest, LedgersThatAreHugeEndlessOrNoFileAreRefusedByTheRead) {
    const fs::path ledger = disk / "KEIRI13.DAT";
    const struct {
        const char* why;
        std::function<void()> make;
        fs::file_type type;
        std::uintmax_t size;  // of a regular file
    } cases[] = {
        {"a sparse file of 8 GB", [&] { fs::resize_file(ledger, 8ull << 30); },
         fs::file_type::regular, 8ull << 30},
        {"one byte over the largest ledger",
         [&] { fs::resize_file(ledger, kMaxLedgerFileSize + 1); }, fs::file_type::regular,
         kMaxLedgerFileSize + 1},
        {"a link to /dev/zero",
         [&] {
             fs::remove(ledger);
             fs::create_symlink("/dev/zero", ledger);
         },
         fs::file_type::symlink, 0},
        {"a FIFO",
         [&] {
             fs::remove(ledger);
             ASSERT_EQ(::mkfifo(ledger.c_str(), 0600), 0);
         },
         fs::file_type::fifo, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ReadDamagedCopy(c.make);
        EXPECT_EQ(s.DataLoaded, 0);
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_NE(prompt.LastText().find("KEIRI13.DAT"), std::string::npos) << prompt.LastText();
        EXPECT_EQ(prompt.shown.back().title, "エラー確認");
        EXPECT_EQ(fs::symlink_status(ledger).type(), c.type);
        if (c.type == fs::file_type::regular) {
            EXPECT_EQ(fs::file_size(ledger), c.size);
        }
        // A cash-book operation opening the ledger refuses it in the same way.
        s.LedgerPath = ledger;
        auto opened = LedgerFile::Open(ledger);
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().path, ledger.string());
        EXPECT_EQ(fs::symlink_status(ledger).type(), c.type);
    }
}

TEST_F(DataSetTest, OnlyAnEmptyRegularLedgerFileIsRemoved) {
    // A link that leads to an empty file is no empty ledger of ours: it stays, and
    // so does the file it leads to. The year has no lines either way.
    CopyFixtures();
    WriteBytes(temp / "empty", "");
    fs::remove(disk / "KEIRI13.DAT");
    fs::create_symlink(temp / "empty", disk / "KEIRI13.DAT");
    Read();
    EXPECT_EQ(s.DataLoaded, 1) << prompt.LastText();
    EXPECT_EQ(s.LedgerHeader, LedgerHeaderRecord{});
    EXPECT_TRUE(fs::is_symlink(disk / "KEIRI13.DAT"));
    EXPECT_TRUE(fs::exists(temp / "empty"));
}

struct BadFile {
    const char* name;
    std::string bytes;
    const char* why;
};

TEST_F(DataSetTest, BadFilesAreReportedAndLeftAsTheyWere) {
    std::string ledger = ReadBytes(FixturePath("KEIRI13.DAT"));
    std::string negative = ledger;
    negative[0] = '\xFF';
    negative[1] = '\xFF';
    std::string tooMany = ledger;
    tooMany[0] = 4;
    std::string badText = ledger;
    badText[18 + 42 + 26] = '\x80';
    std::string master = ReadBytes(FixturePath("MASTER.DAT"));
    const BadFile cases[] = {
        {"KEIRI13.DAT", negative, "negative line count"},
        {"KEIRI13.DAT", tooMany, "line count past the end"},
        {"KEIRI13.DAT", ledger.substr(0, 10), "header cut short"},
        {"KEIRI13.DAT", badText, "no CP932 text in a line"},
        {"YOKIN13.DAT", ReadBytes(FixturePath("YOKIN13.DAT")).substr(0, 1000), "short record"},
        {"MASTER.DAT", master.substr(0, 300), "cut inside an item"},
        {"MASTER.DAT", "\"a\",\"b\r\n", "quote not closed"},
        {"DATE.DAT", "\"13\",\"\x95\xbd\x90\xac\",0\r\n", "text for a number"},
        // Year 100 would name the files of year "00"; 平成 41 was never a year of the era.
        {"DATE.DAT", "100,\"\x95\xbd\x90\xac\",0\r\n", "era year above 99"},
        {"DATE.DAT", "41,\"\x95\xbd\x90\xac\",0\r\n", "era year past its era"},
        // A 51st item would be dropped without a word and lost at the next save.
        {"MASTER.DAT", master + "\"EXTRA\",1,\"\",0,0\r\n", "item lines past 50"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.why);
        ReadDamagedCopy([&] { WriteBytes(disk / c.name, c.bytes); });
        EXPECT_EQ(s.DataLoaded, 0);
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_NE(prompt.LastText().find(c.name), std::string::npos) << prompt.LastText();
        EXPECT_EQ(prompt.shown.back().title, "エラー確認");
        EXPECT_EQ(ReadBytes(disk / c.name), c.bytes);
        // Nothing is created from a refused file.
        EXPECT_FALSE(fs::exists(disk / "YOKIN00.DAT"));
        EXPECT_FALSE(fs::exists(disk / "KEIRI00.DAT"));
    }
}

TEST_F(DataSetTest, DepositSaveStopsWhenTheOldFileCannotBeRead) {
    CopyFixtures();
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    ASSERT_TRUE(LoadDepositBook(s).ok());
    // The bytes after the record could not be kept: nothing is written.
    fs::remove(s.DepositPath);
    fs::create_directories(s.DepositPath / "unreadable");
    s.DepositBook.CurrentBalance[1] = 1;
    auto st = SaveDepositBook(s);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(FileErrorMessage(st.error()).find("YOKIN13.DAT"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(s.DepositPath / "unreadable"));
}

TEST_F(DataSetTest, FailedFolderFlushAfterASaveIsReportedAndTheSaveKept) {
    CopyFixtures();
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    ASSERT_TRUE(LoadMaster(s).ok());
    s.ItemTableEdit[1].ItemName = "新しい名前";
    // A whole-file save makes: the write, the flush of the file, the rename, the
    // flush of the folder.
    testing::FaultyFiles files(4, testing::Fault::Fail);
    Status st = Ok();
    {
        ScopedFileOps use(files);
        st = SaveMaster(s);
    }
    ASSERT_TRUE(files.reached);
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(st.error().applied);
    EXPECT_NE(FileErrorMessage(st.error()).find("確定"), std::string::npos);
    // The file holds the new master, and so does memory.
    SharedState again;
    again.KubunNames = s.KubunNames;
    again.MasterPath = s.MasterPath;
    ASSERT_TRUE(LoadMaster(again).ok());
    EXPECT_EQ(again.ItemTable[1].ItemName, "新しい名前");
    EXPECT_EQ(s.ItemTable[1].ItemName, "新しい名前");
}

TEST_F(DataSetTest, ReadingRemovesOnlyStaleTemporaryFilesOfOurOwn) {
    CopyFixtures();
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".MASTER.DAT.tmp4242-0", ".YOKIN13.DAT.tmp17-3", ".notes.tmp"}) {
        WriteBytes(disk / name, "left behind");
        fs::last_write_time(disk / name, old);
    }
    // One of this run's saves, still on its way to its rename.
    WriteBytes(disk / ".DATE.DAT.tmp99-1", "in progress");
    Read();
    ASSERT_EQ(s.DataLoaded, 1);
    EXPECT_FALSE(fs::exists(disk / ".MASTER.DAT.tmp4242-0"));
    EXPECT_FALSE(fs::exists(disk / ".YOKIN13.DAT.tmp17-3"));
    EXPECT_TRUE(fs::exists(disk / ".notes.tmp"));
    EXPECT_TRUE(fs::exists(disk / ".DATE.DAT.tmp99-1"));
}

TEST_F(DataSetTest, MissingDiskAsksUntilItIsThere) {
    const fs::path stick = temp / "stick";
    setenv("TABULO_DRIVE_B", stick.c_str(), 1);
    s.SetupLines[1] = "B";
    int boxes = 0;
    prompt.onShow = [&](const testing::ShownBox&) {
        // The user plugs the stick in after the second message.
        if (++boxes == 2) {
            fs::create_directories(stick / "KEIRIDATA");
            fs::copy_file(FixturePath("DATE.DAT"), stick / "KEIRIDATA" / "DATE.DAT");
        }
    };
    Read();
    unsetenv("TABULO_DRIVE_B");
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "B:\\KEIRIDATA にデータディスクが準備されていません！！");
    // OK retries and キャンセル gives up: a user without the stick is never held there.
    EXPECT_EQ(prompt.shown[0].style, MsgStyle::Exclamation + MsgStyle::OkCancel);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    EXPECT_EQ(s.FiscalYear, 13);
    EXPECT_EQ(s.DataLoaded, 1);
}

TEST_F(DataSetTest, CancelAtMissingDiskEndsTheRead) {
    const fs::path stick = temp / "stick";
    s.SetupLines[1] = stick.string();
    prompt.Answer(Answer::Cancel);
    Read();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              (stick / "KEIRIDATA").string() + " にデータディスクが準備されていません！！");
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_FALSE(fs::exists(stick));
}

TEST_F(DataSetTest, DriveThatIsNoFolderSkipsWithMessage) {
    WriteBytes(temp / "notadir", "x");
    s.SetupLines[1] = (temp / "notadir").string();
    Read();
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown[0].text, "パスが有りません！！");
    EXPECT_EQ(prompt.shown[0].style, 48);
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_EQ(asked, 0);
}

TEST_F(DataSetTest, BadDriveSettingEndsAfterOneMessage) {
    s.SetupLines[1] = "relative/path";
    Read();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "パスが有りません！！");
    EXPECT_EQ(s.DataLoaded, 0);
}

// ---- Single files ----

TEST_F(DataSetTest, ShortDepositFileIsNeverCreatedOver) {
    CopyFixtures();
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    const std::string shortRecord = ReadBytes(FixturePath("YOKIN13.DAT")).substr(0, 100);
    WriteBytes(s.DepositPath, shortRecord);
    auto st = LoadDepositBook(s);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::BadFormat);
    EXPECT_EQ(ReadBytes(s.DepositPath), shortRecord);
}

TEST_F(DataSetTest, DepositSaveKeepsBytesAfterTheRecord) {
    CopyFixtures();
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    const std::string fixture = ReadBytes(FixturePath("YOKIN13.DAT"));
    WriteBytes(s.DepositPath, fixture + "TAIL");
    ASSERT_TRUE(LoadDepositBook(s).ok());
    s.DepositBook.CurrentBalance[1] = 1;
    ASSERT_TRUE(SaveDepositBook(s).ok());
    std::string now = ReadBytes(s.DepositPath);
    ASSERT_EQ(now.size(), 1540u);
    EXPECT_EQ(now.substr(756 + 4, 4), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(now.substr(1536), "TAIL");
}

TEST_F(DataSetTest, MasterSaveWritesFiftyItemsAndAdoptsTheEditedTable) {
    CopyFixtures();
    WriteBytes(disk / "MASTER.DAT", ReadBytes(FixturePath("MASTER_SHORT.DAT")));
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    ASSERT_TRUE(LoadMaster(s).ok());
    s.ItemTableEdit[4].ItemName = "雑費";
    s.ItemTableEdit[4].ItemKubun = 4;
    ASSERT_TRUE(SaveMaster(s).ok());
    EXPECT_EQ(s.ItemTable[4].ItemName, "雑費");
    std::string file = ReadBytes(disk / "MASTER.DAT");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 53);
}

TEST_F(DataSetTest, TextWithoutCp932FormLeavesTheOldFile) {
    CopyFixtures();
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    ASSERT_TRUE(LoadMaster(s).ok());
    s.ItemTableEdit[1].ItemName = "売上😀";
    auto st = SaveMaster(s);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(FileErrorMessage(st.error()).find("MASTER.DAT に書き込めません"), std::string::npos);
    EXPECT_EQ(s.ItemTable[1].ItemName, "売上");
    EXPECT_EQ(ReadBytes(disk / "MASTER.DAT"), ReadBytes(FixturePath("MASTER.DAT")));
}

TEST_F(DataSetTest, EmptyTaxReturnFileGivesDefaultsAndWritesNothing) {
    fs::create_directories(disk);
    s.FiscalYear = 13;
    ASSERT_TRUE(BuildDataPaths(s).ok());
    ASSERT_TRUE(LoadTaxReturnData(s).ok());
    EXPECT_EQ(TaxNumber(s.TaxReturnData, 3, 11, 1), 100000);
    EXPECT_FALSE(fs::exists(s.TaxReturnPath));
    SetTaxText(s.TaxReturnData, 1, 1, 1, "妻");
    ASSERT_TRUE(SaveTaxReturnData(s).ok());
    TaxReturnTables saved = s.TaxReturnData;
    ASSERT_TRUE(LoadTaxReturnData(s).ok());
    EXPECT_EQ(s.TaxReturnData, saved);
}

// ---- Ledger walks ----

class LedgerWalkTest : public DataSetTest {
protected:
    void SetUp() override {
        DataSetTest::SetUp();
        CopyFixtures();
        s.FiscalYear = 13;
        ASSERT_TRUE(BuildDataPaths(s).ok());
        ASSERT_TRUE(ReadLedgerHeader(s).ok());
    }
    void WriteLines(const std::vector<LedgerLine>& lines) {
        fs::remove(s.LedgerPath);
        auto f = LedgerFile::Open(s.LedgerPath);
        ASSERT_TRUE(f.ok());
        s.LedgerHeader = LedgerHeaderRecord{};
        s.LedgerHeader.LineCount = static_cast<std::int16_t>(lines.size());
        f->WriteHeader(s.LedgerHeader);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ASSERT_TRUE(f->WriteLine(static_cast<int>(i) + 1, lines[i]).ok());
        }
        ASSERT_TRUE(f->Commit().ok());
    }
    static LedgerLine Line(const char* date, int item, Amount in = 0, Amount out = 0) {
        LedgerLine l = BlankLedgerLine(0);
        l.NenGetsuBi = date;
        l.ItemNo = static_cast<std::int16_t>(item);
        l.Indata = in;
        l.Outdata = out;
        return l;
    }
};

TEST_F(LedgerWalkTest, TotalsCountEveryLine) {
    s.LedgerHeader.TotalIn = s.LedgerHeader.TotalOut = s.LedgerHeader.ClosingBalance = 0;
    ASSERT_TRUE(ComputeLedgerTotals(s).ok());
    EXPECT_EQ(s.LedgerHeader.TotalIn, 15000);
    EXPECT_EQ(s.LedgerHeader.TotalOut, 1200);
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 13800);
}

TEST_F(LedgerWalkTest, TotalsThatOverflowAreAnErrorAndChangeNothing) {
    WriteLines({Line("130401", 1, 2147483000), Line("130402", 3, 1000)});
    LedgerHeaderRecord before = s.LedgerHeader;
    auto st = ComputeLedgerTotals(s);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::Overflow);
    EXPECT_EQ(s.LedgerHeader, before);
}

TEST_F(LedgerWalkTest, FirstLineOnOrAfterADate) {
    EXPECT_EQ(*FindFirstLineOnOrAfter(s, "130401"), 1);
    EXPECT_EQ(*FindFirstLineOnOrAfter(s, "130402"), 2);
    EXPECT_EQ(*FindFirstLineOnOrAfter(s, "010101"), 1);
    EXPECT_EQ(*FindFirstLineOnOrAfter(s, "130403"), 3);  // none: LineCount
}

// The in-place form of the date rule says "in order" exactly where the rule gives no
// message, on plain, blank, earlier and non-item lines alike.
TEST(LedgerDateRuleTest, InOrderAgreesWithTheMessages) {
    const struct {
        int item;
        const char* date;
    } lines[] = {{1, "130402"}, {1, "130403"}, {1, "130401"}, {0, "130301"}, {1, "      "},
                 {1, "130405"}, {1, " 13040"}, {1, "130404"}, {1, "130501"}, {1, "130501"}};
    LedgerDateRule messages;
    LedgerDateRule inPlace;
    int n = 0;
    for (const auto& l : lines) {
        ++n;
        SCOPED_TRACE(n);
        const std::string message = messages.Next(n, l.item, l.date);
        const bool inOrder = inPlace.InOrder(n, l.item, l.date);
        EXPECT_EQ(inOrder, message.empty()) << message;
        if (!inOrder) {
            EXPECT_EQ(inPlace.Next(n, l.item, l.date), message);
        }
    }
}

TEST_F(LedgerWalkTest, DateCheckReportsLineByLine) {
    std::vector<LedgerLine> lines = {
        Line("130405", 1), Line("      ", 1), Line("      ", 0), Line("130401", 2),
        Line("130402", 3), Line("130301", 0),  // no item: passed over
    };
    for (int i = 7; i <= 11; ++i) lines.push_back(Line("130410", 4));
    lines.push_back(Line("      ", 4));
    WriteLines(lines);
    ASSERT_TRUE(CheckLedgerDates(s, prompt).ok());
    EXPECT_EQ(s.ErrorFlag, -1);
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[0].text, " 2行の年月日が入力されていません！");
    EXPECT_EQ(prompt.shown[1].text, " 4行の年月日が前の行より以前の日付です！");
    EXPECT_EQ(prompt.shown[2].text, " 12行の年月日が入力されていません！");
    for (const auto& box : prompt.shown) {
        EXPECT_EQ(box.style, 48);
        EXPECT_EQ(box.title, "エラー確認");
    }
    prompt.Clear();
    WriteLines({Line("130401", 1), Line("130401", 1), Line("130501", 4)});
    ASSERT_TRUE(CheckLedgerDates(s, prompt).ok());
    EXPECT_EQ(s.ErrorFlag, 0);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(LedgerWalkTest, ReadingGoesOnAfterDateMessages) {
    WriteLines({Line("130405", 1), Line("130401", 1)});
    Read();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(s.ErrorFlag, 0);
}

// ---- Clearing and messages ----

TEST_F(DataSetTest, ClearYearDataForgetsTheLoadedYear) {
    CopyFixtures();
    Read();
    ASSERT_EQ(s.DataLoaded, 1);
    ClearYearData(s);
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_EQ(s.FiscalYear, 0);
    EXPECT_EQ(s.EraName, "");
    EXPECT_EQ(s.LedgerHeader, LedgerHeaderRecord{});
    EXPECT_EQ(s.MasterHeader[MasterField::BusinessName], "");
    EXPECT_EQ(s.ItemTable[1], ItemEntry{});
    EXPECT_TRUE(HasTaxReturnShape(s.TaxReturnData));
}

TEST(FileErrorMessage, NamesTheFileAndWhy) {
    FileError e = BadFormatError("/d/KEIRIDATA/MASTER.DAT", "3 行目: 引用符が閉じていません。");
    EXPECT_EQ(FileErrorMessage(e),
              "/d/KEIRIDATA/MASTER.DAT を読み込めません。\r\n3 行目: 引用符が閉じていません。");
    FakePrompt prompt;
    ShowFileError(prompt, e);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].style, 48);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
}

}  // namespace
}  // namespace tabulo
