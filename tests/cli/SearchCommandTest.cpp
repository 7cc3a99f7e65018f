// tabulo-cli search: its words and options, the table and the CSV of the fixture year
// (three cash-book lines, two slips) against texts written by hand, the refusals, and
// the year's folder left as it was.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/Arguments.h"
#include "cli/SearchCommand.h"
#include "store/Text.h"
#include "tests/cli/BooksFolder.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

ParsedArguments Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(SearchArguments, EveryConditionIsTakenWhereverItStands) {
    auto p = Parse({"search", "--from", "2026-04-01", "/d", "--to=2026-04-30", "--min", "-5",
                    "--max", "1,000", "--text", "ｱｲｳ 商事", "--account=現金", "--item", "3"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->kind, CliRequest::Search);
    const SearchRequest& q = p.request->searchRequest;
    EXPECT_EQ(q.folder, fs::path("/d"));
    EXPECT_EQ(q.input.from, "2026-04-01");
    EXPECT_EQ(q.input.to, "2026-04-30");
    EXPECT_EQ(q.input.min, "-5");
    EXPECT_EQ(q.input.max, "1,000");
    EXPECT_EQ(q.input.text, "ｱｲｳ 商事");
    EXPECT_EQ(q.input.account, "現金");
    EXPECT_EQ(q.input.item, "3");
    EXPECT_FALSE(q.csv);
    EXPECT_EQ(q.encoding, CsvEncoding::Utf8);

    auto exact = Parse({"search", "--amount", "3000", "--format", "csv", "--encoding", "cp932"});
    ASSERT_TRUE(exact.request) << exact.error;
    EXPECT_EQ(exact.request->searchRequest.input.min, "3000");
    EXPECT_EQ(exact.request->searchRequest.input.max, "3000");
    EXPECT_TRUE(exact.request->searchRequest.csv);
    EXPECT_EQ(exact.request->searchRequest.encoding, CsvEncoding::Cp932);
    // No folder: the default data folder, as for the other commands.
    EXPECT_TRUE(exact.request->searchRequest.folder.empty());
}

TEST(SearchArguments, RefusesWhatMeansNothingForASearch) {
    const std::vector<std::vector<std::string>> refused = {
        {"search", "/d", "--amount", "5", "--min", "1"},
        {"search", "/d", "--from"},
        {"search", "/d", "--text", "a", "--text", "b"},
        {"search", "/d", "--text", ""},
        {"search", "/d", "--account", "  "},
        {"search", "/d", "--format", "hledger"},
        {"search", "/d", "--encoding", "cp932"},  // the table is for the terminal
        {"search", "/d", "--format", "csv", "--encoding", "latin1"},
        {"search", "/d", "-o", "x.csv"},
        {"search", "/d", "/e"},
        {"search", "/d", "--until", "2026-04-01"},
        {"check", "/d", "--from", "2026-04-01"},
        {"export", "ledger", "/d", "--text", "abc"},
    };
    for (const auto& args : refused) {
        auto p = Parse(args);
        EXPECT_FALSE(p.request) << args[0] << " " << args.back();
        EXPECT_FALSE(p.errorJa.empty());
        EXPECT_FALSE(p.errorEn.empty());
    }
}

TEST(SearchArguments, HelpNamesTheCommandInBothLanguages) {
    for (bool ja : {true, false}) {
        const std::string all = HelpText(ja);
        EXPECT_NE(all.find("tabulo-cli search [DATAFOLDER]"), std::string::npos);
        const std::string own = HelpText(ja, "search");
        EXPECT_NE(own.find("--account"), std::string::npos);
        EXPECT_NE(own.find("振替:5"), std::string::npos);
    }
    auto p = Parse({"help", "search"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->helpTopic, "search");
}

// The fixture year (平成13 = 2001): cash-book lines 1 売上 5,000 "売上" and 2 普通預金へ
// 1,200 "ABC" (line 3 makes no entry), slips 1 売掛金 / 売上 80,000 "掛売り" and 2 現金 /
// 売掛金 80,000 "ABC".
class SearchCommand : public testing::BooksFolder {
  protected:
    Run Search(std::vector<std::string> args, bool japanese = true) {
        args.insert(args.begin(), {"search", dir.path().string()});
        auto p = ParseArguments(args);
        EXPECT_TRUE(p.request) << p.error;
        if (!p.request) return {};
        std::ostringstream out, err;
        Run r;
        r.status = RunSearch(p.request->searchRequest, out, err, japanese);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
};

TEST_F(SearchCommand, TheTableAlignsItsColumnsAsATerminalShowsThem) {
    const auto before = Snapshot();
    Run r = Search({"--text", "ａｂｃ"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Double-byte characters take two columns.
    EXPECT_EQ(r.out,
              "出所      日付        借方          貸方      金額  摘要\n"
              "出納簿:2  2001-04-02  その他の預金  現金     1,200  ABC\n"
              "振替:2    2001-05-20  現金          売掛金  80,000  ABC\n"
              "2 件\n");
    Run en = Search({"--text", "abc"}, false);
    EXPECT_EQ(en.out.substr(0, en.out.find('\n')), "Source    Date        Debit         Credit  Amount  Text");
    EXPECT_EQ(en.out.substr(en.out.rfind('\n', en.out.size() - 2) + 1), "2 entries\n");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SearchCommand, CsvHasAHeaderRowAndOneRowPerTransaction) {
    Run r = Search({"--min", "1200", "--max", "80000", "--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "出所,日付,借方コード,借方科目,貸方コード,貸方科目,金額,摘要\r\n"
              "出納簿:1,2001-04-01,101,現金,1,売上（収入）金額,5000,売上\r\n"
              "出納簿:2,2001-04-02,104,その他の預金,101,現金,1200,ABC\r\n"
              "振替:1,2001-04-05,106,売掛金,1,売上（収入）金額,80000,掛売り\r\n"
              "振替:2,2001-05-20,101,現金,106,売掛金,80000,ABC\r\n");
    Run cp932 = Search({"--account", "売掛金", "--to", "2001-04-30", "--format", "csv",
                        "--encoding", "cp932"});
    EXPECT_EQ(cp932.status, 0) << cp932.err;
    EXPECT_EQ(cp932.out,
              ToCp932("出所,日付,借方コード,借方科目,貸方コード,貸方科目,金額,摘要\r\n"
                      "振替:1,2001-04-05,106,売掛金,1,売上（収入）金額,80000,掛売り\r\n")
                  .value());
}

TEST_F(SearchCommand, ConditionsTogetherAndNothingFound) {
    Run r = Search({"--account", "101", "--from", "130402", "--format", "csv"});
    EXPECT_EQ(r.out,
              "出所,日付,借方コード,借方科目,貸方コード,貸方科目,金額,摘要\r\n"
              "出納簿:2,2001-04-02,104,その他の預金,101,現金,1200,ABC\r\n"
              "振替:2,2001-05-20,101,現金,106,売掛金,80000,ABC\r\n");
    Run item = Search({"--item", "1", "--amount", "5,000"});
    EXPECT_EQ(item.out.substr(item.out.rfind('\n', item.out.size() - 2) + 1), "1 件\n");
    Run none = Search({"--amount", "4999"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "出所  日付  借方  貸方  金額  摘要\n0 件\n");
}

TEST_F(SearchCommand, BadConditionsAreClearMessagesWithStatusTwo) {
    const auto before = Snapshot();
    const struct {
        std::vector<std::string> args;
        const char* ja;
        const char* en;
    } cases[] = {
        {{"--from", "2001-02-30"}, "日付が正しくありません: 2001-02-30", "not a date: 2001-02-30"},
        {{"--from", "2001-05-01", "--to", "2001-04-01"}, "期間の始めの日付が終わりの日付より後です。",
         "the start date is after the end date"},
        {{"--min", "10", "--max", "9"}, "金額の下限が上限より大きくなっています。",
         "the lower amount is above the upper one"},
        {{"--max", "12円50銭"}, "金額が正しくありません: 12円50銭", "not an amount in whole yen"},
        {{"--account", "現金預金"}, "その勘定科目はありません: 現金預金", "no such account: 現金預金"},
        {{"--item", "99"}, "その項目はありません: 99", "no such item: 99"},
    };
    for (const auto& c : cases) {
        Run ja = Search(c.args, true);
        EXPECT_EQ(ja.status, 2) << c.ja;
        EXPECT_EQ(ja.out, "");
        EXPECT_EQ(ja.err.rfind("tabulo-cli: ", 0), 0u) << ja.err;
        EXPECT_NE(ja.err.find(c.ja), std::string::npos) << ja.err;
        Run en = Search(c.args, false);
        EXPECT_NE(en.err.find(c.en), std::string::npos) << en.err;
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SearchCommand, AFolderWithoutAYearIsRefused) {
    TempFolder empty;
    SearchRequest q;
    q.folder = empty.path();
    std::ostringstream out, err;
    EXPECT_EQ(RunSearch(q, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("tabulo-cli: "), std::string::npos);
}

}  // namespace
}  // namespace tabulo
