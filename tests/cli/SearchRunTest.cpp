// tabulo-cli search run as a process on the fixture year: the folder given or the
// default one, the CSV on standard output, a refusal with status 2, nothing written.

#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"

namespace tabulo {
namespace {

using testing::CliRun;
using testing::Outcome;

TEST_F(CliRun, SearchPrintsCsvOfTheTransactionsFound) {
    Outcome r = Unchanged({"search", year.string(), "--text", "ａｂｃ", "--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "出所,日付,借方コード,借方科目,貸方コード,貸方科目,金額,摘要\r\n"
              "出納簿:2,2001-04-02,104,その他の預金,101,現金,1200,ABC\r\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliRun, SearchReadsTheDefaultFolderAndNamesIt) {
    Outcome r = Unchanged({"search", "--amount", "5000"}, {"TABULO_DATA=" + year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("出納簿:1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 件"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(year.string()), std::string::npos) << r.err;
}

TEST_F(CliRun, SearchRefusesABadDateWithStatusTwo) {
    Outcome r = Unchanged({"search", year.string(), "--from", "2001-04-31"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("tabulo-cli: 日付が正しくありません: 2001-04-31", 0), 0u) << r.err;
    Outcome en = Unchanged({"search", year.string(), "--min", "9", "--max", "1"}, {"LANG=C"});
    EXPECT_EQ(en.status, 2);
    EXPECT_EQ(en.err, "tabulo-cli: the lower amount is above the upper one\n");
}

}  // namespace
}  // namespace tabulo
