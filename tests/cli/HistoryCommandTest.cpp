// tabulo-cli history and check on a history written by hand from the file's table, in
// the fixture year of the double-entry books: the words and options, the table and the
// CSV newest first, the filters, a damaged record marked and named, and check naming
// a history tampered with in each way while a clean one adds nothing.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/Arguments.h"
#include "cli/Check.h"
#include "cli/HistoryCommand.h"
#include "store/Text.h"
#include "tests/cli/HistoryFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FiveChanges;
using testing::FromHex;
using testing::HandRecord;
using testing::HistoryBytes;
using testing::kLineAfter;
using testing::kLineBefore;
using testing::LittleHex;
using testing::ReadBytes;
using testing::WriteBytes;

ParsedArguments Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(HistoryArguments, TakesTheLineTheDaysAndTheFormat) {
    auto p = Parse({"history", "--line", "12", "/d", "--from=2026-12-01", "--to", "2026/12/31",
                    "--format", "csv", "--encoding", "cp932"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->kind, CliRequest::History);
    const HistoryRequest& q = p.request->historyRequest;
    EXPECT_EQ(q.folder, fs::path("/d"));
    EXPECT_EQ(q.filter.Line, 12);
    EXPECT_EQ(q.filter.From, "20261201");
    EXPECT_EQ(q.filter.To, "20261231");
    EXPECT_EQ(q.filter.Operation, 0);
    EXPECT_TRUE(q.csv);
    EXPECT_EQ(q.encoding, CsvEncoding::Cp932);

    auto plain = Parse({"history"});
    ASSERT_TRUE(plain.request) << plain.error;
    EXPECT_TRUE(plain.request->historyRequest.folder.empty());  // the default data folder
    EXPECT_EQ(plain.request->historyRequest.filter.Line, 0);
    EXPECT_FALSE(plain.request->historyRequest.csv);
}

TEST(HistoryArguments, RefusesWhatMeansNothingForTheHistory) {
    const std::vector<std::vector<std::string>> refused = {
        {"history", "/d", "--line", "0"},
        {"history", "/d", "--line", "-3"},
        {"history", "/d", "--line", "12a"},
        {"history", "/d", "--line", "40000"},
        {"history", "/d", "--line", ""},
        {"history", "/d", "--from", "2026-02-30"},
        {"history", "/d", "--to", "R8-12-01"},
        {"history", "/d", "--from", "2026-12-02", "--to", "2026-12-01"},
        {"history", "/d", "--min", "100"},
        {"history", "/d", "--text", "abc"},
        {"history", "/d", "--format", "hledger"},
        {"history", "/d", "--encoding", "cp932"},  // the table is for the terminal
        {"history", "/d", "-o", "x.csv"},
        {"history", "/d", "-v"},
        {"history", "/d", "/e"},
        {"search", "/d", "--line", "3"},
        {"check", "/d", "--line", "3"},
    };
    for (const auto& args : refused) {
        auto p = Parse(args);
        EXPECT_FALSE(p.request) << args[0] << " " << args[2] << " " << args.back();
        EXPECT_FALSE(p.errorJa.empty());
        EXPECT_FALSE(p.errorEn.empty());
    }
}

TEST(HistoryArguments, HelpNamesTheCommandAndItsSourceNamesInBothLanguages) {
    for (bool ja : {true, false}) {
        EXPECT_NE(HelpText(ja).find("tabulo-cli history [DATAFOLDER] [--line N]"), std::string::npos);
        const std::string own = HelpText(ja, "history");
        for (const char* name : {"出納簿:123", "振替:5", "預金:3", "期首:現金", "項目:12", "設定", "--line"})
            EXPECT_NE(own.find(name), std::string::npos) << name;
    }
    auto p = Parse({"help", "history"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->helpTopic, "history");
}

// The fixture year with five changes: line 1 posted (売上 5,000), changed (5,500
// "ABC"), the opening of 現金 set to 50,000, line 1 deleted, and the delete undone.
class HistoryCommand : public testing::BooksFolder {
  protected:
    void WriteHistory(const std::string& bytes) { WriteBytes(dir / "RIREKI13.DAT", bytes); }
    Run History(std::vector<std::string> args, bool japanese = true) {
        args.insert(args.begin(), {"history", dir.path().string()});
        auto p = ParseArguments(args);
        EXPECT_TRUE(p.request) << p.error;
        if (!p.request) return {};
        std::ostringstream out, err;
        Run r;
        r.status = RunHistory(p.request->historyRequest, out, err, japanese);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
};

TEST_F(HistoryCommand, TheTableListsNewestFirstWithTheValuesInWords) {
    WriteHistory(HistoryBytes(FiveChanges()));
    const auto before = Snapshot();
    Run r = History({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "番号  日時                 操作                        出所       変更前                             変更後\n"
              "   5  2026-12-10 11:00:05  元に戻す（4）: 出納簿 挿入  出納簿:1                                      13年4月1日 売上 入金 5,500円 ABC\n"
              "   4  2026-12-10 11:00:00  出納簿 削除                 出納簿:1   13年4月1日 売上 入金 5,500円 ABC\n"
              "   3  2026-12-09 10:00:00  期首残高 訂正               期首:現金                                     50,000円\n"
              "   2  2026-12-08 09:31:05  出納簿 訂正                 出納簿:1   13年4月1日 売上 入金 5,000円 売上  13年4月1日 売上 入金 5,500円 ABC\n"
              "   1  2026-12-08 09:30:00  出納簿 記帳                 出納簿:1                                      13年4月1日 売上 入金 5,000円 売上\n"
              "5 件\n");
    Run en = History({}, false);
    EXPECT_EQ(en.out.substr(0, en.out.find('\n')).substr(0, 30), "No.  When                 Oper");
    EXPECT_EQ(en.out.substr(en.out.rfind('\n', en.out.size() - 2) + 1), "5 changes\n");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(HistoryCommand, CsvNamesTheSourceFirstAndTheUndoneChangeApart) {
    WriteHistory(HistoryBytes(FiveChanges()));
    Run r = History({"--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "出所,日時,操作,変更前,変更後,取消対象,番号,状態\r\n"
              "出納簿:1,2026-12-10 11:00:05,出納簿 挿入,,\"13年4月1日 売上 入金 5,500円 ABC\",4,5,\r\n"
              "出納簿:1,2026-12-10 11:00:00,出納簿 削除,\"13年4月1日 売上 入金 5,500円 ABC\",,,4,\r\n"
              "期首:現金,2026-12-09 10:00:00,期首残高 訂正,,\"50,000円\",,3,\r\n"
              "出納簿:1,2026-12-08 09:31:05,出納簿 訂正,\"13年4月1日 売上 入金 5,000円 売上\","
              "\"13年4月1日 売上 入金 5,500円 ABC\",,2,\r\n"
              "出納簿:1,2026-12-08 09:30:00,出納簿 記帳,,\"13年4月1日 売上 入金 5,000円 売上\",,1,\r\n");
}

TEST_F(HistoryCommand, NarrowsByLineAndByTheDaysOfTheChanges) {
    WriteHistory(HistoryBytes(FiveChanges()));
    auto numbers = [](const std::string& csv) {
        std::string out;
        std::istringstream in(csv);
        std::string line;
        std::getline(in, line);  // the header
        while (std::getline(in, line)) {
            line.pop_back();  // CR
            const auto last = line.rfind(',');
            const auto before = line.rfind(',', last - 1);
            out += line.substr(before + 1, last - before - 1) + " ";
        }
        return out;
    };
    EXPECT_EQ(numbers(History({"--line", "1", "--format", "csv"}).out), "5 4 2 1 ");
    EXPECT_EQ(numbers(History({"--line", "2", "--format", "csv"}).out), "");
    EXPECT_EQ(numbers(History({"--from", "2026-12-09", "--format", "csv"}).out), "5 4 3 ");
    EXPECT_EQ(numbers(History({"--to", "20261209", "--format", "csv"}).out), "3 2 1 ");
    EXPECT_EQ(numbers(History({"--from", "2026-12-08", "--to", "2026-12-08", "--line", "1",
                               "--format", "csv"}).out),
              "2 1 ");
}

TEST_F(HistoryCommand, AYearWithoutAHistoryListsNothing) {
    Run r = History({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1), "0 件\n");
    EXPECT_FALSE(fs::exists(dir / "RIREKI13.DAT"));
}

TEST_F(HistoryCommand, ADamagedRecordIsListedMarkedAndNamedWithStatusOne) {
    std::vector<std::size_t> at;
    std::string bytes = HistoryBytes(FiveChanges(), &at);
    bytes[at[1] + 36 + 42 + 9] = '\x10';  // record 2's new amount: 5,500 -> 4,220
    WriteHistory(bytes);
    Run r = History({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tabulo-cli: RIREKI13.DAT: 履歴の記録 2 の内容が書き換えられているか、壊れています。\n");
    EXPECT_NE(r.out.find("\n ※2  2026-12-08 09:31:05"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5 件（※ 壊れた記録 1 件）\n"), std::string::npos) << r.out;

    Run csv = History({"--format", "csv"});
    EXPECT_EQ(csv.status, 1);
    EXPECT_NE(csv.out.find(",,2,破損\r\n"), std::string::npos) << csv.out;
    // The record shown narrowed away is still named.
    Run narrowed = History({"--from", "2026-12-10"}, false);
    EXPECT_EQ(narrowed.status, 1);
    EXPECT_EQ(narrowed.err,
              "tabulo-cli: RIREKI13.DAT: history record 2: its bytes were changed after it was "
              "written, or are damaged.\n");
}

// A history many times the window it is read through: every change listed once, newest
// first, the damaged one marked, and the columns lined up from the first line to the
// last (their widths known before the first line is written).
TEST_F(HistoryCommand, ALongHistoryIsListedWholeNewestFirstWithItsColumnsLinedUp) {
    std::vector<HandRecord> records;
    const std::vector<HandRecord> five = FiveChanges();
    for (std::uint32_t n = 1; n <= 4000; ++n) {
        HandRecord r = five[(n - 1) % 5];
        r.sequence = n;
        r.target = r.operation == 9 ? 101 : static_cast<std::int32_t>(n);
        r.undoOf = r.undoOf == 0 ? 0 : n - 1;
        records.push_back(r);
    }
    std::vector<std::size_t> at;
    std::string bytes = HistoryBytes(records, &at);
    ASSERT_GT(bytes.size(), 4u * (64u << 10));  // several windows
    bytes[at[1501] + 36 + 42 + 9] = '\x10';  // record 1502's new amount changed
    WriteHistory(bytes);
    Run r = History({});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4002u);
    EXPECT_EQ(lines.back(), "4000 件（※ 壊れた記録 1 件）");
    // Each line's number, and where its time and its source begin, in terminal columns.
    const auto widthTo = [](const std::string& line, const std::string& part) {
        const auto pos = line.find(part);
        return pos == std::string::npos ? -1 : Cp932Width(std::string_view(line).substr(0, pos));
    };
    const int when = widthTo(lines[0], "日時"), source = widthTo(lines[0], "出所");
    for (std::uint32_t n = 4000, i = 1; n >= 1; --n, ++i) {
        const std::string& line = lines[i];
        // The numbers right-aligned under the widest, "※1502".
        const std::string number = (n == 1502 ? "※" : "") + std::to_string(n) + "  2026-";
        ASSERT_EQ(line.find(number), n == 1502 ? 0 : 6 - std::to_string(n).size()) << line;
        ASSERT_EQ(widthTo(line, "  2026-") + 2, when) << line;
        const std::string target = n % 5 == 3 ? "期首:現金" : "出納簿:" + std::to_string(n);
        ASSERT_EQ(widthTo(line, "  " + target + " ") + 2, source) << line;
    }
}

// check on the same year: each way of tampering named by its record, a clean history
// adding nothing to what check says of the year.
class HistoryCheck : public testing::BooksFolder {
  protected:
    std::vector<CheckFinding> Findings() {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok());
        return report ? report->findings : std::vector<CheckFinding>{};
    }
    // The faults check finds in the history (besides them, a year that keeps books is
    // told which deduction a damaged history leaves it).
    std::vector<std::string> HistoryFaults(const std::string& bytes) {
        WriteBytes(dir / "RIREKI13.DAT", bytes);
        std::vector<std::string> out;
        for (const CheckFinding& f : Findings())
            if (f.file == "RIREKI13.DAT" && f.fault) out.push_back(f.text);
        return out;
    }
};

// The cash book as the five changes leave it: line 1 as 5,500 "ABC" (balance 15,500).
void WriteLedgerOfTheFiveChanges(const std::filesystem::path& folder) {
    WriteBytes(folder / "KEIRI13.DAT",
               FromHex("0100 10270000 8c3c0000 00000000 8c3c0000" + kLineAfter));
}

TEST_F(HistoryCheck, ACleanHistoryAddsNothing) {
    auto compare = [](const std::vector<CheckFinding>& a) {
        std::vector<std::string> t;
        for (const CheckFinding& f : a) t.push_back(f.file + " " + f.text);
        return t;
    };
    WriteLedgerOfTheFiveChanges(dir.path());
    const auto without = compare(Findings());
    WriteBytes(dir / "RIREKI13.DAT", HistoryBytes(FiveChanges()));
    EXPECT_EQ(compare(Findings()), without);
}

TEST_F(HistoryCheck, NamesEachWayOfTamperingByItsRecord) {
    std::vector<std::size_t> at;
    const std::string clean = HistoryBytes(FiveChanges(), &at);

    std::string changed = clean;
    changed[at[2] + 36] = '\x51';  // record 3's opening: 50,000 -> 50,001
    EXPECT_EQ(HistoryFaults(changed),
              std::vector<std::string>{"履歴の記録 3 の内容が書き換えられているか、壊れています。"});

    const std::string takenOut = clean.substr(0, at[1]) + clean.substr(at[2]);
    EXPECT_EQ(HistoryFaults(takenOut),
              std::vector<std::string>{"履歴の記録 3 の前に記録が抜けています（2〜2）。"});

    std::string brokenSize = clean;
    brokenSize[at[3]] = '\x2d';  // record 4's leading size 86 -> 45
    EXPECT_EQ(HistoryFaults(brokenSize),
              std::vector<std::string>{"履歴の記録 4 の大きさが壊れています。記録 4 から先は読めません。"});

    const std::string cutShort = clean.substr(0, clean.size() - 10);
    EXPECT_EQ(HistoryFaults(cutShort),
              std::vector<std::string>{"履歴の記録 5 の途中でファイルが終わっています（76 バイトしかありません）。記録 5 から先は読めません。"});

    // A history the next-year disk carried over is looked at too.
    WriteBytes(dir / "RIREKI13.DAT", clean);
    WriteBytes(dir / "RIREKI12.DAT", changed);
    bool named = false;
    for (const CheckFinding& f : Findings())
        named = named || (f.file == "RIREKI12.DAT" && f.fault && f.text.find("記録 3 ") != std::string::npos);
    EXPECT_TRUE(named);
}

TEST_F(HistoryCheck, AHistoryEmptiedOrCutShortOfTheBooksIsAFault) {
    WriteLedgerOfTheFiveChanges(dir.path());
    std::vector<HandRecord> records = FiveChanges();
    EXPECT_EQ(HistoryFaults(HistoryBytes(records)), std::vector<std::string>{});

    // Emptied: the file holds its mark alone, or nothing.
    const std::vector<std::string> emptied{
        "履歴ファイルに記録が一つもありません。プログラムは最初の記録と一緒にしかこのファイルを作らないため、"
        "記録が消されています。"};
    EXPECT_EQ(HistoryFaults(FromHex("52524b31")), emptied);
    EXPECT_EQ(HistoryFaults(""), emptied);

    // Cut after the delete (record 4): the books hold a line the history no longer has.
    EXPECT_EQ(HistoryFaults(HistoryBytes({records.begin(), records.begin() + 4})),
              std::vector<std::string>{"履歴の出納簿の最後の記録 4 の後は 0 行ですが、出納簿には 1 行あります"
                                       "（履歴の末尾が切り取られたおそれがあります）。"});
    // Cut after the post (record 1): line 1 is not as the history leaves it.
    EXPECT_EQ(HistoryFaults(HistoryBytes({records.begin(), records.begin() + 1})),
              std::vector<std::string>{"1 行目は、履歴の出納簿の最後の記録 1 の後の内容と違います"
                                       "（履歴の末尾が切り取られたおそれがあります）。"});

    // The slip book: its two slips added, then the history cut after the first.
    const std::string slipBook = ReadBytes(dir / "FURIKAE13.DAT");
    ASSERT_EQ(slipBook.size(), 10u + 2 * 6 + 2 * 38);
    const auto hex = [](const std::string& bytes) {
        std::string out;
        for (unsigned char c : bytes) out += LittleHex(c, 1);
        return out;
    };
    records.push_back({6, "20261211090000", 6, 1, 0, "", hex(slipBook.substr(22, 38))});
    records.push_back({7, "20261211090100", 6, 2, 0, "", hex(slipBook.substr(60, 38))});
    EXPECT_EQ(HistoryFaults(HistoryBytes(records)), std::vector<std::string>{});
    records.pop_back();
    EXPECT_EQ(HistoryFaults(HistoryBytes(records)),
              std::vector<std::string>{"履歴の振替伝票の最後の記録 6 の後は 1 件ですが、振替伝票には 2 件あります"
                                       "（履歴の末尾が切り取られたおそれがあります）。"});
}

TEST_F(HistoryCheck, RecordsTheProgramCouldNeverWriteAreFaults) {
    WriteLedgerOfTheFiveChanges(dir.path());
    const std::string when = "20261208093000";
    // A cash-book line of one byte.
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 1, 1, 0, "", "31"}})),
              std::vector<std::string>{"記録 1（出納簿 記帳）の値の大きさ（変更前 0 バイト、変更後 1 バイト）は、"
                                       "この操作が記録するものではありません。"});
    // A line numbered -2^31.
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 2, INT32_MIN, 0, kLineBefore, kLineAfter}})),
              std::vector<std::string>{"記録 1（出納簿 訂正）の対象 -2147483648 は、出納簿の行（1〜32767）ではありません。"});
    // An undo of itself, and of a record after it.
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 3, 1, 1, "", kLineAfter}})),
              std::vector<std::string>{"記録 1（出納簿 挿入）は、それ以後の記録 1 を元に戻したことになっています。"});
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 1, 1, 0, "", kLineAfter}, {2, when, 4, 1, 3, kLineAfter, ""}})),
              std::vector<std::string>{"記録 2（出納簿 削除）は、それ以後の記録 3 を元に戻したことになっています。"});
    // An item's account of 3 bytes, a deposit account 21, the setting with bytes.
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 10, 8, 0, "0000", "cb0000"}})).size(), 1u);
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 5, 21, 0, std::string(124, '2'), std::string(124, '2')}})).size(), 1u);
    EXPECT_EQ(HistoryFaults(HistoryBytes({{1, when, 11, 0, 0, "", "01"}})).size(), 1u);
}

TEST_F(HistoryCheck, ADamagedHistoryMakesCheckExitAsForADamagedFile) {
    std::vector<std::size_t> at;
    std::string bytes = HistoryBytes(FiveChanges(), &at);
    bytes[at[0] + 8] = '3';  // record 1's time: 2026 -> 3026
    WriteBytes(dir / "RIREKI13.DAT", bytes);
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(dir.path(), out, err, false, true), ExitStatus::Fault);
    EXPECT_NE(err.str().find("RIREKI13.DAT: 履歴の記録 1 の内容が書き換えられているか、壊れています。\n"),
              std::string::npos)
        << err.str();
    std::ostringstream enOut, enErr;
    EXPECT_EQ(RunCheck(dir.path(), enOut, enErr, false, false), ExitStatus::Fault);
    EXPECT_NE(enErr.str().find("RIREKI13.DAT: history record 1: its bytes were changed"), std::string::npos)
        << enErr.str();
}

}  // namespace
}  // namespace tabulo
