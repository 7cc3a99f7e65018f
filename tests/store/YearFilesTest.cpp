// The one list of a year's files: the names every reader builds, the names a copy
// carries, and the README's table that users read.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "store/DataSet.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "store/YearFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(YearFiles, NamesAreTheStoredOnesForEveryYear) {
    EXPECT_EQ(YearFileName(YearFileKind::Ledger, 13), "KEIRI13.DAT");
    EXPECT_EQ(YearFileName(YearFileKind::LedgerSecond, 13), "KEIRI13.DA2");
    EXPECT_EQ(YearFileName(YearFileKind::RedoLog, 13), "KEIRI13.JNL");
    EXPECT_EQ(YearFileName(YearFileKind::DepositBook, 7), "YOKIN07.DAT");
    EXPECT_EQ(YearFileName(YearFileKind::ConsumptionTax, 8), "SHOHIZEI08.DAT");
    EXPECT_EQ(YearFileName(YearFileKind::Master, 13), "MASTER.DAT");
    EXPECT_EQ(YearFileName(YearFileKind::ItemAccounts, 13), "KAMOKU.DAT");
    EXPECT_EQ(YearFileName(YearFileKind::History, 100), "RIREKI00.DAT");  // the two last digits

    // Every name reads back as its own kind and year, and nothing else does.
    for (const YearFile& f : AllYearFiles()) {
        for (int year : {1, 9, 13, 99}) {
            const std::string name = YearFileName(f.kind, year);
            const auto named = YearFileOfName(name);
            ASSERT_TRUE(named) << name;
            EXPECT_EQ(named->kind, f.kind) << name;
            EXPECT_EQ(named->tag, f.perYear ? YearTag(year) : "") << name;
        }
    }
    for (const char* name : {"KEIRI1.DAT", "KEIRI131.DAT", "KEIRIab.DAT", "keiri13.dat", "KEIRI13.DAT.tmp",
                             "FURIKAE13.DA2", "MASTER13.DAT", ".RIREKI13.DAT", "KEIRI13-ASIDE1.JNL", "出納簿.csv"})
        EXPECT_FALSE(YearFileOfName(name)) << name;
}

TEST(YearFiles, PathsOfAYearFollowItsCashBooksFolder) {
    SharedState s;
    s.FiscalYear = 13;
    s.DataFolder = "/media/a/KEIRIDATA";
    EXPECT_EQ(YearFilePath(s, YearFileKind::SlipBook), "/media/a/KEIRIDATA/FURIKAE13.DAT");
    s.LedgerPath = "/elsewhere/KEIRI13.DAT";
    EXPECT_EQ(YearFilePath(s, YearFileKind::Assets), "/elsewhere/SHISAN13.DAT");
    SetYearPaths(s);
    EXPECT_EQ(s.LedgerPath, "/media/a/KEIRIDATA/KEIRI13.DAT");
    EXPECT_EQ(s.DepositPath, "/media/a/KEIRIDATA/YOKIN13.DAT");
    EXPECT_EQ(s.MasterPath, "/media/a/KEIRIDATA/MASTER.DAT");
}

// A copy of the year carries every file of the books but the redo log, so that a
// restore brings back the asset register, the private shares and the consumption-tax
// settings with the cash book they belong to.
TEST(YearFiles, ARestoreBringsBackEveryFileOfTheBooks) {
    for (const YearFile& f : AllYearFiles())
        EXPECT_EQ(IsDataFileName(YearFileName(f.kind, 13)), f.kind != YearFileKind::RedoLog)
            << YearFileName(f.kind, 13);

    TempFolder home;
    const auto data = home.path() / "KEIRIDATA";
    const auto copy = home.path() / "backup" / "20261201-090000";
    const std::string date = std::string("\x0d\x00", 2) + "\x97\xdf\x98\x61" + std::string(6, '\0');
    for (const char* name : {"DATE.DAT", "SHISAN13.DAT", "ANBUN13.DAT", "SHOHIZEI13.DAT"})
        WriteBytes(copy / name, std::string(name) + " as copied");
    WriteBytes(data / "DATE.DAT", date);
    WriteBytes(data / "SHISAN13.DAT", "a register changed since");
    auto report = RestoreCopy(copy, data, home.path() / "backup", "20261209-100000");
    ASSERT_TRUE(report.ok()) << report.error().detail;
    for (const char* name : {"SHISAN13.DAT", "ANBUN13.DAT", "SHOHIZEI13.DAT"})
        EXPECT_EQ(ReadBytes(data / name), std::string(name) + " as copied") << name;
    EXPECT_EQ(ReadBytes(report->keptAs / "SHISAN13.DAT"), "a register changed since");
}

// The README's table of the files names each one of the list.
TEST(YearFiles, TheReadmeListsEveryFile) {
    std::ifstream in(std::string(TABULO_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(in) << "README.md";
    const std::string readme{std::istreambuf_iterator<char>(in), {}};
    for (const YearFile& f : AllYearFiles()) {
        const std::string name =
            std::string("`") + f.stem + (f.perYear ? "<nn>" : "") + "." + f.extension + "`";
        EXPECT_NE(readme.find("| " + name + " |"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace tabulo
