// End-to-end runs of the built tabulo-cli on fixture folders: its CSV files and its
// check reports against expected files written by hand, one PDF per report, and the
// bad-input cases of the data store, each leaving the folder exactly as it was.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "tests/cli/CliRun.h"
#include "tests/support/RollbackJournalWriter.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using testing::Execute;
using testing::Outcome;
using testing::CliRun;
using testing::Snapshot;

// The fixture's statement pages disagree with each other in three figures: check
// notes them after its faults.
const std::string kFixtureNotes =
    "注記: SHINKOKU.DAT: １ページ⑳給料賃金 0 と２ページの給料賃金の内訳の計 700 が一致しません。\n"
    "注記: SHINKOKU.DAT: １ページ㊳専従者給与 0 と２ページの専従者給与の内訳の計 -5 が一致しません。\n"
    "注記: SHINKOKU.DAT: １ページ㊴貸倒引当金 0 と２ページの本年分の貸倒引当金繰入額⑤ 50 が一致しません。\n";
std::string InEnglish(std::string notes) {
    for (std::size_t at = notes.find("注記: "); at != std::string::npos; at = notes.find("注記: "))
        notes.replace(at, std::string("注記: ").size(), "note: ");
    return notes;
}


std::string Expected(const std::string& name) {
    const fs::path p = fs::path(TABULO_CLI_TESTS) / "expected" / name;
    EXPECT_TRUE(fs::exists(p)) << "missing expected file " << p;
    return ReadBytes(p);
}

std::string FirstLines(const std::string& text, int count) {
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) pos = text.find('\n', pos) + 1;
    return text.substr(0, pos);
}

TEST_F(CliRun, ExportsMatchTheHandWrittenFiles) {
    const struct {
        std::vector<std::string> what;
        const char* expected;
    } cases[] = {{{"ledger"}, "ledger.csv"},
                 {{"summary"}, "summary.csv"},
                 {{"item", "1"}, "item1.csv"},
                 {{"deposits"}, "deposits.csv"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<std::string> args{"export"};
        args.insert(args.end(), c.what.begin(), c.what.end());
        args.push_back(year.string());
        args.insert(args.end(), {"--encoding", "utf-8"});
        Outcome r = Unchanged(args);
        EXPECT_EQ(r.status, 0) << r.err;
        // UTF-8 begins with the byte-order mark by which spreadsheets know it.
        EXPECT_EQ(r.out, "\xEF\xBB\xBF" + Expected(c.expected));
    }
}

TEST_F(CliRun, CsvIsShiftJisByDefaultAndGoesIntoTheNamedFile) {
    const fs::path out = temp / "out" / "ledger.csv";
    fs::create_directories(out.parent_path());
    Outcome r = Unchanged({"export", "ledger", year.string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    const std::string bytes = ReadBytes(out);
    // "行,年月日" in CP932, and the first line ends in CR LF.
    EXPECT_EQ(bytes.substr(0, 9), "\x8d\x73,\x94\x4e\x8c\x8e\x93\xfa");
    EXPECT_EQ(bytes.substr(bytes.find('\n') - 1, 2), "\r\n");
    // 売上 as the item name of line 1.
    EXPECT_NE(bytes.find(",\x94\x84\x8f\xe3,"), std::string::npos);
}

TEST_F(CliRun, TheDataFolderMayBeNamedByTheDriveAbove) {
    Outcome r = Unchanged({"export", "deposits", temp.path().string(), "--encoding", "utf-8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\xEF\xBB\xBF" + Expected("deposits.csv"));
    EXPECT_EQ(r.err, "");  // a folder named on the command line is not named again
}

// Sound books: no faults. The fixture's statement pages disagree with each other,
// which the check notes with -v.
TEST_F(CliRun, CheckOfSoundBooksSaysNothingUnlessAsked) {
    Outcome r = Unchanged({"check", year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    Outcome v = Unchanged({"check", "-v", year.string()});
    EXPECT_EQ(v.status, 0) << v.err;
    EXPECT_EQ(v.out, Expected("check-clean.txt"));
    EXPECT_EQ(v.err, "");
    Outcome en = Unchanged({"check", "--verbose", year.string()}, {"LANG=C.UTF-8"});
    EXPECT_EQ(en.out, InEnglish(kFixtureNotes) + "No faults (3 notes).\n");
}

TEST_F(CliRun, StaleHeaderTotalsAreOnlyNoted) {
    // The header as 中断 leaves it: totals of an earlier state (in 14000, closing 12800).
    std::string ledger = ReadBytes(year / "KEIRI13.DAT");
    ledger.replace(6, 4, std::string("\xb0\x36\x00\x00", 4));
    ledger.replace(14, 4, std::string("\x00\x32\x00\x00", 4));
    WriteBytes(year / "KEIRI13.DAT", ledger);
    Outcome r = Unchanged({"check", "-v", year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Expected("check-stale.txt"));
    // Notes alone are no fault: without -v nothing is said.
    Outcome quiet = Unchanged({"check", year.string()});
    EXPECT_EQ(quiet.out + quiet.err, "");
}

TEST_F(CliRun, CheckNamesEachFaultOfADamagedLedger) {
    // A truncated last line, a balance changed by hand, an item 77, dates out of
    // order and blank, and remarks that are not Shift-JIS.
    fs::copy_file(fs::path(TABULO_CLI_TESTS) / "data" / "KEIRI13-damaged.DAT", year / "KEIRI13.DAT",
                  fs::copy_options::overwrite_existing);
    Outcome r = Unchanged({"check", year.string()});
    EXPECT_EQ(r.status, 1) << r.err;
    // Faults go to standard error.
    EXPECT_EQ(r.err, Expected("check-damaged.txt"));
    EXPECT_EQ(r.out, "");
}

// A wrong item number on one line is one fault: the balances after it, which follow
// from the stored balance of that line, are not reported line after line.
TEST_F(CliRun, OneWrongItemNumberIsReportedOnce) {
    std::string ledger = ReadBytes(year / "KEIRI13.DAT");
    ledger[18 + 12] = 77;  // line 1's item number
    WriteBytes(year / "KEIRI13.DAT", ledger);
    Outcome r = Unchanged({"check", year.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "KEIRI13.DAT 1行: 項目番号 77 は 0〜50 の範囲にありません。\n" + kFixtureNotes +
                  "誤り 1 件（注記 3 件）。\n");
    Outcome en = Unchanged({"check", year.string()}, {"LANG=en_GB.UTF-8"});
    EXPECT_EQ(en.err,
              "KEIRI13.DAT line 1: the item number 77 is not within 0..50.\n" +
                  InEnglish(kFixtureNotes) + "1 fault (3 notes).\n");
    // A balance changed by hand is reported on its line only.
    ledger = ReadBytes(FixturePath("KEIRI13.DAT"));
    ledger[18 + 22] = 0x10;  // line 1's balance 15000 -> 14864
    WriteBytes(year / "KEIRI13.DAT", ledger);
    Outcome balance = Unchanged({"check", year.string()});
    EXPECT_EQ(balance.status, 1);
    EXPECT_EQ(balance.err,
              "KEIRI13.DAT 1行: 残高 14864 は、再計算すると 15000 です。\n" + kFixtureNotes +
                  "誤り 1 件（注記 3 件）。\n")
        << balance.err;
    // An amount changed without recomputing: the lines after it follow its stored
    // balance, and only the changed line is reported.
    ledger = ReadBytes(FixturePath("KEIRI13.DAT"));
    ledger[18 + 14] = 0x70;  // line 1's income 5000 -> 4976, its balance left at 15000
    WriteBytes(year / "KEIRI13.DAT", ledger);
    Outcome amount = Unchanged({"check", year.string()});
    EXPECT_EQ(amount.err.rfind("KEIRI13.DAT 1行: 残高 15000 は、再計算すると 14976 です。\n", 0), 0u)
        << amount.err;
    EXPECT_EQ(amount.err.find("2行"), std::string::npos) << amount.err;
    EXPECT_EQ(amount.err.find("3行"), std::string::npos) << amount.err;
}

TEST_F(CliRun, CheckFindsDepositTotalsThatDisagree) {
    std::string book = ReadBytes(year / "YOKIN13.DAT");
    book.replace(1138, 4, std::string("\x00\x00\x00\x00", 4));  // CurrentTotal 0
    WriteBytes(year / "YOKIN13.DAT", book);
    Outcome r = Unchanged({"check", year.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("YOKIN13.DAT: 現預金額の合計 0 は、口座 1〜20 の合計では 119995 です。"),
              std::string::npos)
        << r.err;
}

// While the window runs, its redo log holds operations not yet written into the files.
// The command line refused such a year with status 2; it reads it as the program
// would, the log's records applied in a copy of its own, says so, and writes nothing.
TEST_F(CliRun, AYearWithALiveLogIsReadWithTheLogAppliedAndNothingWritten) {
    const fs::path tmp = temp / "tmp";
    fs::create_directories(tmp);
    const std::vector<std::string> env{"TMPDIR=" + tmp.string()};
    // A log whose mark was cleared is the file kept between operations: nothing to say.
    WriteBytes(year / "KEIRI13.JNL", std::string(8, '\0'));
    Outcome cleared = Unchanged({"check", "-v", year.string()}, env);
    EXPECT_EQ(cleared.status, 0);
    EXPECT_EQ(cleared.out.find("KEIRI13.JNL"), std::string::npos) << cleared.out;
    // One cut short in its own write never counted: read without it, and said.
    WriteBytes(year / "KEIRI13.JNL", "TABJRNL2 and what an interrupted operation left");
    Outcome torn = Unchanged({"check", year.string()}, env);
    EXPECT_EQ(torn.status, 1);
    EXPECT_NE(torn.err.find("KEIRI13.JNL: 壊れた操作の記録があります。反映せずに読みました"
                            "（データフォルダーには何も書き込んでいません）。"),
              std::string::npos)
        << torn.err;

    // An operation committed to the log whose write into the deposit book is lost.
    const std::string ledger = ReadBytes(year / "KEIRI13.DAT");
    const std::string deposit = ReadBytes(year / "YOKIN13.DAT");
    std::string newDeposit = deposit;
    newDeposit[760] = static_cast<char>(newDeposit[760] ^ 0x55);
    auto bytes = [](const std::string& t) { return std::as_bytes(std::span(t.data(), t.size())); };
    std::vector<FileChange> changes = {
        FileChange{year / "YOKIN13.DAT", true, bytes(deposit), bytes(newDeposit), {{760, 761}}, {}}};
    fs::remove(year / "KEIRI13.JNL");
    ASSERT_TRUE(CommitChanges(year / "KEIRI13.JNL", changes).ok());
    WriteBytes(year / "YOKIN13.DAT", deposit);  // the write after the log's flush lost
    // The books as they stand: the same folder with the operation written whole.
    const fs::path written = temp / "written";
    fs::create_directories(written);
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "SHINKOKU.DAT", "KEIRI13.DAT"})
        fs::copy_file(year / name, written / name);
    WriteBytes(written / "YOKIN13.DAT", newDeposit);
    const std::string applied =
        "tabulo-cli: KEIRI13.JNL: まだファイルに書き込まれていない操作の記録があります。"
        "その操作を反映して読みました（データフォルダーには何も書き込んでいません）。\n";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"export", "deposits"}, {"export", "ledger"},
          {"export", "journal"}, {"export", "trial-balance"}, {"history"}}) {
        std::vector<std::string> args = command;
        args.push_back(year.string());
        Outcome live = Unchanged(args, env);
        args.back() = written.string();
        Outcome whole = Cli(args, env);
        EXPECT_EQ(live.status, whole.status) << command[0] << " " << live.err;
        EXPECT_EQ(live.out, whole.out) << command[0];
        EXPECT_EQ(live.err, applied + whole.err) << command[0];
    }
    // check reads the deposit book as the log leaves it, and notes the log.
    Outcome r = Unchanged({"check", year.string()}, env);
    EXPECT_NE(r.err.find("注記: KEIRI13.JNL: まだファイルに書き込まれていない操作の記録があります。"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err, Cli({"check", year.string()}, env).err);
    Outcome w = Cli({"check", written.string()}, env);
    EXPECT_NE(r.err.find(w.err.substr(0, w.err.find("\n"))), std::string::npos) << r.err << w.err;
    // A file the reading names is named by its place in the data folder.
    fs::remove(year / "MASTER.DAT");
    WriteBytes(year / "MASTER.DAT", "\"not a master");
    Outcome bad = Unchanged({"export", "ledger", year.string()}, env);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find((year / "MASTER.DAT").string()), std::string::npos) << bad.err;
    EXPECT_EQ(bad.err.find(tmp.string()), std::string::npos) << bad.err;
    // The files saved since: the log no longer fits them, and is read as not applied.
    WriteBytes(year / "MASTER.DAT", ReadBytes(FixturePath("MASTER.DAT")));
    newDeposit[760] = 'x';
    WriteBytes(year / "YOKIN13.DAT", newDeposit);
    Outcome aside = Unchanged({"check", year.string()}, env);
    EXPECT_EQ(aside.status, 1);
    EXPECT_NE(aside.err.find("今のデータには当てはまらないため、反映せずに読みました"), std::string::npos)
        << aside.err;
    // No copy is left behind.
    EXPECT_TRUE(fs::is_empty(tmp));
}

// restore brings an automatic copy back over a folder that an interrupted operation
// left with its journal: the files are the copy's, the journal never touches them,
// the files replaced are kept as one more copy; only finished copies are taken.
TEST_F(CliRun, RestoreBringsBackAFinishedCopyAndKeepsTheFilesItReplaces) {
    const fs::path backup = temp / "prog" / "backup";
    const fs::path copy = backup / "20261201-090000";
    fs::create_directories(copy);
    const auto original = Snapshot(year);
    for (const auto& [name, bytes] : original) WriteBytes(copy / name, bytes);
    const fs::path partial = backup / ".partial-20261202-090000";
    fs::create_directories(partial);
    for (const auto& [name, bytes] : original) WriteBytes(partial / name, bytes);
    EXPECT_EQ(Unchanged({"restore", partial.string(), year.string()}).status, 2);

    // Later work, and an operation cut short with half of its writes done.
    std::string ledger = ReadBytes(year / "KEIRI13.DAT");
    ledger[20] = static_cast<char>(ledger[20] ^ 1);
    WriteBytes(year / "KEIRI13.DAT", ledger);
    const auto later = Snapshot(year);
    std::string newLedger = ledger;
    newLedger[2] = static_cast<char>(newLedger[2] ^ 0x7f);
    auto bytes = [](const std::string& t) { return std::as_bytes(std::span(t.data(), t.size())); };
    std::vector<FileChange> changes = {
        FileChange{year / "KEIRI13.DAT", true, bytes(ledger), bytes(newLedger), {{2, 3}}, {}}};
    const std::vector<std::byte> journal = EncodeJournal(changes);
    WriteBytes(year / "KEIRI13.JNL",
               std::string(reinterpret_cast<const char*>(journal.data()), journal.size()));

    Outcome r = Cli({"restore", copy.string(), year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2026/12/01 09:00:00 のコピーからデータを戻しました。"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("取り消して"), std::string::npos) << r.out;
    EXPECT_EQ(Snapshot(year), original);
    // The files replaced (the later work, the cut-short operation undone) are a copy.
    int copies = 0;
    for (const auto& e : fs::directory_iterator(backup)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(".") || e.path() == copy) continue;
        ++copies;
        EXPECT_EQ(Snapshot(e.path()), later) << name;
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(CliRun, MissingFilesAreReadAsTheProgramWouldWithoutCreatingThem) {
    // The program would create the deposit book and delete the empty ledger.
    fs::remove(year / "YOKIN13.DAT");
    WriteBytes(year / "KEIRI13.DAT", "");
    Outcome r = Unchanged({"check", "-v", year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("注記: KEIRI13.DAT: 空のファイルです"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("注記: YOKIN13.DAT: ファイルがありません"), std::string::npos) << r.out;
    Outcome d = Unchanged({"export", "deposits", year.string(), "--encoding", "utf-8"});
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_NE(d.out.find("\r\n,合計,,0,0,\r\n"), std::string::npos) << d.out;
}

// The data store's bad-input cases: every command ends with status 2 and a message
// naming the file, and nothing is written. The check names the ledger's own faults
// (a count past the end, text that is not Shift-JIS, a negative count) as faults.
TEST_F(CliRun, MalformedFilesAreRefusedNamingTheFile) {
    const std::string ledger = ReadBytes(FixturePath("KEIRI13.DAT"));
    std::string negative = ledger;
    negative[0] = '\xFF';
    negative[1] = '\xFF';
    std::string tooMany = ledger;
    tooMany[0] = 4;
    std::string badText = ledger;
    badText[18 + 42 + 26] = '\x80';
    const std::string master = ReadBytes(FixturePath("MASTER.DAT"));
    const struct {
        const char* file;
        std::string bytes;
        int checkStatus;
        const char* why;
    } cases[] = {
        {"KEIRI13.DAT", negative, 1, "negative line count"},
        {"KEIRI13.DAT", tooMany, 1, "line count past the end"},
        {"KEIRI13.DAT", ledger.substr(0, 10), 2, "header cut short"},
        {"KEIRI13.DAT", badText, 1, "no CP932 text in a line"},
        {"YOKIN13.DAT", ReadBytes(FixturePath("YOKIN13.DAT")).substr(0, 1000), 2, "short record"},
        {"MASTER.DAT", master.substr(0, 300), 2, "cut inside an item"},
        {"MASTER.DAT", "\"a\",\"b\r\n", 2, "quote not closed"},
        {"DATE.DAT", "\"13\",\"\x95\xbd\x90\xac\",0\r\n", 2, "text for a number"},
        {"SHINKOKU.DAT", FirstLines(ReadBytes(FixturePath("SHINKOKU.DAT")), 46), 2,
         "statement inputs cut inside group 9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string good = ReadBytes(year / c.file);
        WriteBytes(year / c.file, c.bytes);
        Outcome check = Unchanged({"check", year.string()});
        EXPECT_EQ(check.status, c.checkStatus) << check.out << check.err;
        EXPECT_NE((check.out + check.err).find(c.file), std::string::npos)
            << check.out << check.err;
        if (std::string(c.file) != "SHINKOKU.DAT") {
            // Only the statement reads the tax-return inputs.
            // A fault inside the ledger's lines stops only what reads the lines.
            const bool lines = std::string(c.why) == "no CP932 text in a line";
            for (const char* what : {"ledger", "summary", "deposits"}) {
                if (lines && std::string(what) == "deposits") continue;
                Outcome e = Unchanged({"export", what, year.string()});
                EXPECT_EQ(e.status, 2) << what;
                EXPECT_NE(e.err.find(c.file), std::string::npos) << what << ": " << e.err;
                EXPECT_TRUE(e.out.empty()) << what;
            }
            Outcome p =
                Unchanged({"print", "month", "4", year.string(), "-o", (temp / "p.pdf").string()});
            EXPECT_EQ(p.status, 2);
            EXPECT_NE(p.err.find(c.file), std::string::npos) << p.err;
            EXPECT_FALSE(fs::exists(temp / "p.pdf"));
        }
        WriteBytes(year / c.file, good);
    }
}

TEST_F(CliRun, BadArgumentsAndUnreadableFoldersGiveStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", year.string()},
        {"check"},  // the default data folder of an empty program folder holds no year
        {"check", (temp / "nowhere").string()},
        {"export", "item", "51", year.string()},
        {"export", "item", year.string()},
        {"export", "ledger", year.string(), "--encoding", "latin1"},
        {"print", "month", "13", year.string(), "-o", (temp / "x.pdf").string()},
        {"print", "summary", year.string()},
        {"print", "month", "4", year.string(), "-o", (temp / "x.pdf").string(), "--bogus"},
    };
    for (const auto& args : cases) {
        Outcome r = Cli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]) << " " << r.out;
        EXPECT_FALSE(r.err.empty());
    }
    Outcome noYear = Cli({"check", temp.path().string() + "/out-of-year"});
    EXPECT_EQ(noYear.status, 2);
    fs::remove(year / "DATE.DAT");
    Outcome missingDate = Cli({"export", "ledger", year.string()});
    EXPECT_EQ(missingDate.status, 2);
    EXPECT_NE(missingDate.err.find("DATE.DAT"), std::string::npos) << missingDate.err;
    EXPECT_FALSE(fs::exists(year / "DATE.DAT"));
}

TEST_F(CliRun, HelpAndMessagesFollowTheLocale) {
    Outcome r = Cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("使い方:\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("tabulo-cli export ledger|summary|item N|deposits"), std::string::npos);
    EXPECT_NE(r.out.find("終了状態"), std::string::npos);
    // Which encoding is for which spreadsheet.
    EXPECT_NE(r.out.find("--encoding utf-8: 先頭に BOM を付けます"), std::string::npos);
    Outcome en = Cli({"--help"}, {"LANG=C.UTF-8"});
    EXPECT_EQ(en.out.rfind("Usage:\n", 0), 0u) << en.out;
    EXPECT_NE(en.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(en.out.find("使い方"), std::string::npos);
    // LC_ALL comes before LANG.
    Outcome all = Cli({"--help"}, {"LANG=C.UTF-8", "LC_ALL=ja_JP.UTF-8"});
    EXPECT_EQ(all.out, r.out);

    // help [COMMAND] is --help, for that command.
    Outcome help = Cli({"help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, r.out);
    Outcome exportHelp = Cli({"help", "export"}, {"LANG=C.UTF-8"});
    EXPECT_EQ(exportHelp.status, 0);
    EXPECT_NE(exportHelp.out.find("byte-order mark"), std::string::npos);
    EXPECT_EQ(exportHelp.out.find("Prints the window's reports"), std::string::npos);
    EXPECT_EQ(Cli({"help", "frobnicate"}).status, 2);

    // A refusal in the locale's language only.
    Outcome ja = Cli({"export", "ledger", year.string(), "--frobnicate"});
    EXPECT_EQ(ja.status, 2);
    EXPECT_EQ(ja.err, "tabulo-cli: 知らないオプションです: --frobnicate\n詳しくは tabulo-cli help\n");
    Outcome c = Cli({"export", "ledger", year.string(), "--frobnicate"}, {"LANG=C"});
    EXPECT_EQ(c.err, "tabulo-cli: unknown option: --frobnicate\nSee tabulo-cli help\n");
    Outcome version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tabulo-cli ", 0), 0u);
}

// Without a folder: $TABULO_DATA where set, else the data drive of the program's
// settings file, the folder the window reads; standard error names it. A program
// folder given on the command line leads to its year the same way.
TEST_F(CliRun, WithoutAFolderTheProgramsOwnDataDriveIsRead) {
    // The settings of a new program folder: drive A, drives/A/KEIRIDATA below it.
    const fs::path home = temp / "home";
    const fs::path driveA = home / "drives" / "A" / "KEIRIDATA";
    fs::create_directories(driveA);
    for (const auto& e : fs::directory_iterator(year)) fs::copy_file(e.path(), driveA / e.path().filename());
    Outcome r = Cli({"export", "deposits", "--encoding", "utf-8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\xEF\xBB\xBF" + Expected("deposits.csv"));
    EXPECT_EQ(r.err, "tabulo-cli: データフォルダー " + driveA.string() +
                         "（プログラムのデータドライブ（" + (home / "TAB_SET3.DAT").string() + "））\n");
    EXPECT_FALSE(fs::exists(home / "TAB_SET3.DAT"));  // nothing is written, not even that

    // A settings file naming another drive: a directory.
    WriteBytes(home / "TAB_SET3.DAT", temp.path().string() + "\r\n2000\r\n0\r\n0\r\n0\r\n");
    Outcome other = Cli({"check", "-v"}, {"LANG=C.UTF-8"});
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(other.err, "tabulo-cli: data folder " + year.string() + " (the program's data drive (" +
                             (home / "TAB_SET3.DAT").string() + "))\n");
    EXPECT_EQ(other.out, InEnglish(kFixtureNotes) + "No faults (3 notes).\n");
    // check without -v stays silent on sound books, folder line and all.
    Outcome quiet = Cli({"check"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");

    // The program folder named on the command line.
    Outcome named = Cli({"export", "deposits", home.string(), "--encoding", "utf-8"}, {"LANG=C"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, "\xEF\xBB\xBF" + Expected("deposits.csv"));
    EXPECT_NE(named.err.find("data folder " + year.string()), std::string::npos) << named.err;

    // $TABULO_DATA comes first.
    Outcome env = Cli({"export", "deposits"}, {"TABULO_DATA=" + driveA.string(), "LANG=C"});
    EXPECT_EQ(env.status, 0) << env.err;
    EXPECT_EQ(env.err, "tabulo-cli: data folder " + driveA.string() + " ($TABULO_DATA)\n");
    Outcome missing = Cli({"check"}, {"TABULO_DATA=" + (temp / "nowhere").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find((temp / "nowhere").string()), std::string::npos) << missing.err;
}

// ---- print: one PDF per report, its page count and its text ----

int PageCount(const TempFolder& temp, const fs::path& pdf) {
    Outcome info = Execute(temp, "/usr/bin/pdfinfo", {pdf.string()});
    const auto at = info.out.find("Pages:");
    if (at == std::string::npos) return -1;
    return std::stoi(info.out.substr(at + 6));
}

std::string PdfText(const TempFolder& temp, const fs::path& pdf) {
    return Execute(temp, "/usr/bin/pdftotext", {"-layout", pdf.string(), "-"}).out;
}

TEST_F(CliRun, EachReportPrintsIntoAPdf) {
    const struct {
        std::vector<std::string> what;
        int pages;
        std::vector<std::string> texts;
    } cases[] = {
        {{"month", "4"},
         1,
         {"山田商店", "平成13年04月度出納簿", "普通預金へ", "13,800", "収", "注記："}},
        {{"income", "4"}, 1, {"平成13年04月度収入項目別データ", "5,000"}},
        {{"summary"}, 2, {"月別の集計表", "中間集計", "年間集計", "売上", "5,000", "７月"}},
        {{"item", "1"}, 1, {"平成13年度項目別集計", "売上", "5,000", "1 Page"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what[0]);
        const fs::path pdf = temp / ("report-" + c.what[0] + ".pdf");
        std::vector<std::string> args{"print"};
        args.insert(args.end(), c.what.begin(), c.what.end());
        args.insert(args.end(), {year.string(), "-o", pdf.string()});
        Outcome r = Unchanged(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(PageCount(temp, pdf), c.pages);
        const std::string text = PdfText(temp, pdf);
        for (const auto& t : c.texts)
            EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
    }
}

TEST_F(CliRun, StatementPagesPrintWithTheShippedLayouts) {
    // A program folder without layouts of its own: the shipped ones are used.
    setenv("TABULO_HOME", (temp / "home").c_str(), 1);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        const fs::path pdf = temp / ("statement-" + std::to_string(page) + ".pdf");
        Outcome r = Unchanged(
            {"print", "statement", std::to_string(page), year.string(), "-o", pdf.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(PageCount(temp, pdf), 1);
        EXPECT_NE(PdfText(temp, pdf).find("青色申告決算書"), std::string::npos);
    }
    // The business name from MASTER.DAT lands on page 1.
    EXPECT_NE(PdfText(temp, temp / "statement-1.pdf").find("山田"), std::string::npos);
    unsetenv("TABULO_HOME");
}

std::string WithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n') out += c;
    return out;
}

// The statement said "令和□年分" with an empty box, and an asset's depreciation never
// reached page 1. Each page now prints the year, page 1's line 18 is page 3's
// 経費算入額 total, and the captions are the current form's.
TEST_F(CliRun, StatementPagesCarryTheYearLine18FromPage3AndTodaysCaptions) {
    SharedState st;
    st.TaxReturnPath = year / "SHINKOKU.DAT";
    ASSERT_TRUE(LoadTaxReturnData(st).ok());
    SetTaxNumber(st.TaxReturnData, 8, 1, 4, 36000);  // page 3's totals row: 経費算入額
    ASSERT_TRUE(SaveTaxReturnData(st).ok());
    setenv("TABULO_HOME", (temp / "home").c_str(), 1);
    const struct {
        int page;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        {1, {"令和13年分", "3600", "売上（収入）金額", "期首商品"}, {"原価償却費"}},
        {2,
         {"令和13年分", "65万円又は55万円と⑥のいずれか少ない方の金額", "年齢"},
         {"年令", "５５万円"}},
        {3, {"令和13年分", "左のうち必要経費算入額", "所得税及び復興特別所得税"}, {"左の内"}},
        {4,
         {"令和13年分", "（資産負債調）", "1月1日（期首）", "製造原価の計算", "元入金",
          "期末半製品・仕掛品棚卸高"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const fs::path pdf = temp / ("page-" + std::to_string(c.page) + ".pdf");
        Outcome r = Unchanged(
            {"print", "statement", std::to_string(c.page), year.string(), "-o", pdf.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string text = WithoutBlanks(PdfText(temp, pdf));
        for (const auto& t : c.present)
            EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
        for (const auto& t : c.absent) EXPECT_EQ(text.find(t), std::string::npos) << t;
    }
    // Line 18 as eight boxed digits: "3 6 0 0 0" right-aligned in its 15 places.
    EXPECT_NE(PdfText(temp, temp / "page-1.pdf").find("3 6 0 0 0"), std::string::npos);
    unsetenv("TABULO_HOME");
}

// The pages disagreed with each other silently; the check names each pair (as notes:
// the user may still print), and the statement's notes do not make it fail.
TEST_F(CliRun, CheckNotesTheStatementFiguresThatDisagree) {
    SharedState st;
    st.TaxReturnPath = year / "SHINKOKU.DAT";
    ASSERT_TRUE(LoadTaxReturnData(st).ok());
    SetTaxNumber(st.TaxReturnData, 6, 7, 3, 1200000);  // 給料賃金の内訳: the 合計 of 計
    ASSERT_TRUE(SaveTaxReturnData(st).ok());
    Outcome r = Unchanged({"check", "-v", year.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("注記: SHINKOKU.DAT: １ページ⑳給料賃金 0 と２ページの給料賃金の内訳の計 "
                         "1,200,000 が一致しません。"),
              std::string::npos)
        << r.out;
}

TEST_F(CliRun, IncomeOfAMonthWithoutLinesPrintsNothing) {
    const fs::path pdf = temp / "empty.pdf";
    Outcome r = Unchanged({"print", "income", "7", year.string(), "-o", pdf.string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("指定された月のデータはありません！"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace tabulo
