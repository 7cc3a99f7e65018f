// tabulo-cli import-preview on a copy of a year: the states of a statement's rows, the
// CSV the header names, and the refusals, with nothing written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ImportPreviewCommand.h"
#include "statements/Preview.h"
#include "store/History.h"
#include "store/ImportedRows.h"
#include "tests/support/TempFolder.h"

using namespace tabulo;
using tabulo::testing::ReadBytes;
using tabulo::testing::TempFolder;
using tabulo::testing::WriteBytes;

namespace {

struct Year {
    TempFolder dir;
    TempFolder home;
    Year() {
        for (const char* f : {"DATE.DAT", "KEIRI13.DAT", "MASTER.DAT", "SHINKOKU.DAT", "YOKIN13.DAT"})
            std::filesystem::copy_file(std::string(TABULO_TEST_DATA) + "/" + f, dir.path() / f);
        ::setenv("TABULO_HOME", home.path().c_str(), 1);
    }
    int Run(const std::vector<std::string>& args, std::string& out, std::string& err) {
        auto parsed = ParseArguments(args);
        EXPECT_TRUE(parsed.request) << parsed.error;
        if (!parsed.request) return -1;
        std::ostringstream o, e;
        const int rc = RunImportPreview(parsed.request->importPreviewRequest, o, e);
        out = o.str();
        err = e.str();
        return rc;
    }
};

// A statement of the fixture year (平成13 = 2001) and one row of another year.
constexpr const char* kStatement =
    "日付,内容,出金金額(円),入金金額(円),残高(円)\n"
    "2001/05/02,振込 ｽｽﾞｷ,,5000,15000\n"
    "2001/05/01,口座振替,3000,,10000\n"
    "2000/12/31,年末,100,,13000\n";

}  // namespace

TEST(ImportPreviewCommand, TheRowsWithTheirStatesAsCsvAndNothingWritten) {
    Year y;
    WriteBytes(y.dir.path() / "sbi.csv", kStatement);
    const std::string ledgerBefore = ReadBytes(y.dir.path() / "KEIRI13.DAT");
    std::string out, err;
    ASSERT_EQ(y.Run({"import-preview", y.dir.path().string(), (y.dir.path() / "sbi.csv").string(),
                     "--account", "1", "--format", "csv"},
                    out, err),
              ExitStatus::Ok)
        << err;
    EXPECT_EQ(out,
              "状態,日付,摘要,入金,出金,項目・科目\n"
              "年度外,2000-12-31,年末,,100,\n"
              "新規,2001-05-01,口座振替,,3000,\n"
              "新規,2001-05-02,振込 ｽｽﾞｷ,5000,,\n");
    EXPECT_NE(err.find("住信SBIネット銀行"), std::string::npos);
    EXPECT_EQ(ReadBytes(y.dir.path() / "KEIRI13.DAT"), ledgerBefore);
}

TEST(ImportPreviewCommand, RefusalsNameWhatIsWrong) {
    Year y;
    WriteBytes(y.dir.path() / "sbi.csv", kStatement);
    WriteBytes(y.dir.path() / "bad.csv", "日付,内容,出金金額(円),入金金額(円),残高(円)\n2001/05/32,x,1,,0\n");
    WriteBytes(y.dir.path() / "other.csv", "a,b,c\n1,2,3\n");
    const std::string folder = y.dir.path().string();
    std::string out, err;
    // A bank statement needs its account.
    EXPECT_EQ(y.Run({"import-preview", folder, (y.dir.path() / "sbi.csv").string()}, out, err),
              ExitStatus::Refused);
    EXPECT_NE(err.find("--account"), std::string::npos);
    // A line the layout refuses: its number and the reason, and no rows at all.
    EXPECT_EQ(y.Run({"import-preview", folder, (y.dir.path() / "bad.csv").string(), "--account", "1"},
                    out, err),
              ExitStatus::Refused);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(err.find("2行目"), std::string::npos) << err;
    // A file no layout knows.
    EXPECT_EQ(y.Run({"import-preview", folder, (y.dir.path() / "other.csv").string(), "--account", "1"},
                    out, err),
              ExitStatus::Refused);
    EXPECT_NE(err.find("--profile"), std::string::npos);
    // Options of the command only.
    EXPECT_FALSE(ParseArguments({"search", folder, "--card", "x"}).request);
    EXPECT_FALSE(ParseArguments({"import-preview", folder, "f.csv", "--account", "1", "--card", "x"}).request);
    EXPECT_FALSE(ParseArguments({"import-preview", folder, "f.csv", "--account", "21"}).request);
}

// A row the window imported before (its record in the year's history) is 既存; a row
// a rule of the program folder fits shows the rule's item.
TEST(ImportPreviewCommand, RowsImportedBeforeAndTheRulesOfTheProgramFolder) {
    Year y;
    WriteBytes(y.dir.path() / "sbi.csv", kStatement);
    statements::StatementRow debit;
    debit.date = {2001, 5, 1};
    debit.description = "口座振替";
    debit.out = 3000;
    debit.hasBalance = true;
    debit.balance = 10000;
    const auto key = statements::KeyRows("口座1", {debit}).front();
    HistoryRecord imported;
    imported.When = "20261208093000";
    imported.Operation = HistoryOperation::StatementImport;
    imported.Target = 1;
    imported.NewBytes = EncodeImportedRows(
        ImportedRows{ImportedKind::Bank, "口座1", {ImportedRow{key.fingerprint, key.occurrence, 20010501, 0, 3000}}});
    auto history = EncodeHistoryAppend(HistoryTail{}, imported);
    ASSERT_TRUE(history);
    WriteBytes(y.dir.path() / "RIREKI13.DAT", std::string(reinterpret_cast<const char*>(history->data()), history->size()));
    WriteBytes(y.home.path() / "TORIKOMI" / "RULES.TXT", "bank\tｽｽﾞｷ\t1\t\n");
    std::string out, err;
    ASSERT_EQ(y.Run({"import-preview", y.dir.path().string(), (y.dir.path() / "sbi.csv").string(),
                     "--account", "1", "--format", "csv"},
                    out, err),
              ExitStatus::Ok)
        << err;
    EXPECT_NE(out.find("既存,2001-05-01,口座振替,,3000,\n"), std::string::npos) << out;
    EXPECT_NE(out.find("新規,2001-05-02,振込 ｽｽﾞｷ,5000,,"), std::string::npos) << out;
    EXPECT_EQ(out.find("新規,2001-05-02,振込 ｽｽﾞｷ,5000,,\n"), std::string::npos) << "the rule gives an item";
}
