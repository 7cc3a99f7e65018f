// export journal and export trial-balance: the words and options, the CSV files of a
// fixture year against files written by hand, the hledger journal read back by
// hledger itself, and the year's folder left as it was.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "cli/Arguments.h"
#include "cli/BooksExport.h"
#include "cli/Check.h"
#include "cli/Commands.h"
#include "ebooks/ElectronicBooks.h"
#include "store/DataSet.h"
#include "store/Text.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "tests/books/BooksYear.h"
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

TEST(BooksArguments, JournalTakesAFormatAndHledgerIsUtf8) {
    auto csv = Parse({"export", "journal", "/d"});
    ASSERT_TRUE(csv.request) << csv.error;
    EXPECT_EQ(csv.request->exportRequest.what, "journal");
    EXPECT_EQ(csv.request->exportRequest.format, "csv");
    EXPECT_EQ(csv.request->exportRequest.encoding, CsvEncoding::Cp932);
    for (auto args : {std::vector<std::string>{"export", "journal", "/d", "--format", "hledger"},
                      {"export", "--format=hledger", "journal", "/d", "--encoding", "utf-8"}}) {
        auto p = Parse(args);
        ASSERT_TRUE(p.request) << p.error;
        EXPECT_EQ(p.request->exportRequest.format, "hledger");
        EXPECT_EQ(p.request->exportRequest.encoding, CsvEncoding::Utf8);
        EXPECT_EQ(p.request->exportRequest.folder, fs::path("/d"));
    }
    auto tb = Parse({"export", "trial-balance", "/d", "-o", "t.csv", "--encoding", "utf-8"});
    ASSERT_TRUE(tb.request) << tb.error;
    EXPECT_EQ(tb.request->kind, CliRequest::Export);
    EXPECT_EQ(tb.request->exportRequest.what, "trial-balance");
    EXPECT_EQ(tb.request->exportRequest.output, fs::path("t.csv"));
}

TEST(BooksArguments, PrintTakesTheJournalAndTheLedgerOfAnAccount) {
    auto journal = Parse({"print", "journal", "/d", "-o", "j.pdf"});
    ASSERT_TRUE(journal.request) << journal.error;
    EXPECT_EQ(journal.request->kind, CliRequest::Print);
    EXPECT_EQ(journal.request->printRequest.what, "journal");
    EXPECT_EQ(journal.request->printRequest.folder, fs::path("/d"));
    auto ledger = Parse({"print", "ledger", "売掛金", "/d", "-o", "l.pdf"});
    ASSERT_TRUE(ledger.request) << ledger.error;
    EXPECT_EQ(ledger.request->printRequest.what, "ledger");
    EXPECT_EQ(ledger.request->printRequest.account, "売掛金");
    EXPECT_EQ(ledger.request->printRequest.folder, fs::path("/d"));
    auto byCode = Parse({"print", "ledger", "101", "-o", "l.pdf"});
    ASSERT_TRUE(byCode.request) << byCode.error;
    EXPECT_EQ(byCode.request->printRequest.account, "101");
    EXPECT_EQ(byCode.request->printRequest.folder, fs::path());
}

TEST(BooksArguments, RefusesFormatsWhereTheyMeanNothing) {
    const std::vector<std::vector<std::string>> refused = {
        {"export", "journal", "/d", "--format", "hledger", "--encoding", "cp932"},
        {"export", "journal", "/d", "--format", "xml"},
        {"export", "journal", "/d", "--format"},
        {"export", "journal", "/d", "--format", "csv", "--format", "csv"},
        {"export", "ledger", "/d", "--format", "csv"},
        {"export", "trial-balance", "/d", "--format", "hledger"},
        {"check", "/d", "--format", "csv"},
        {"print", "summary", "/d", "-o", "x.pdf", "--format", "csv"},
        {"export", "journal", "3", "/d"},
        {"print", "journal", "/d", "--format", "csv", "-o", "x.pdf"},
        {"print", "trial-balance", "/d", "-o", "x.pdf"},
        {"print", "ledger", "-o", "x.pdf"},  // no account
        {"print", "journal", "/d"},          // no output
    };
    for (const auto& args : refused) {
        auto p = Parse(args);
        EXPECT_FALSE(p.request) << args[1] << " " << args.back();
        EXPECT_FALSE(p.error.empty());
    }
}

// The fixture year: DATE, MASTER, the three-line cash book and the deposit book, with
// the item accounts and the slip book of tests/data/books.
class BooksExport : public testing::BooksFolder {};

TEST_F(BooksExport, TrialBalanceAndJournalCsvMatchTheHandWorkedFiles) {
    const auto before = Snapshot();
    const std::string folder = dir.path().string();
    Run tb = Export({"trial-balance", folder, "--encoding", "utf-8"});
    EXPECT_EQ(tb.status, ExitStatus::Ok) << tb.err;
    // UTF-8 begins with a byte-order mark, as every UTF-8 export does.
    EXPECT_EQ(tb.out, "\xEF\xBB\xBF" + Expected("books-trial-balance.csv"));
    Run journal = Export({"journal", folder, "--encoding", "utf-8"});
    EXPECT_EQ(journal.status, ExitStatus::Ok) << journal.err;
    EXPECT_EQ(journal.out, "\xEF\xBB\xBF" + Expected("books-journal.csv"));
    // The default encoding is the spreadsheet's CP932, as for the other exports.
    Run cp932 = Export({"trial-balance", folder});
    EXPECT_EQ(cp932.out, ToCp932(Expected("books-trial-balance.csv")).value());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(BooksExport, AYearWithoutBooksFilesExportsItsCashBookAndCreatesNothing) {
    fs::remove(dir / "KAMOKU.DAT");
    fs::remove(dir / "FURIKAE13.DAT");
    const auto before = Snapshot();
    Run tb = Export({"trial-balance", dir.path().string(), "--encoding", "utf-8"});
    EXPECT_EQ(tb.status, ExitStatus::Ok) << tb.err;
    EXPECT_EQ(tb.out,
              "\xEF\xBB\xBF"
              "コード,勘定科目,区分,期首残高,借方,貸方,期末残高\r\n"
              "1,売上（収入）金額,収益,0,0,5000,-5000\r\n"
              "101,現金,資産,10000,5000,1200,13800\r\n"
              "104,その他の預金,資産,0,1200,0,1200\r\n"
              "302,元入金,資本,-10000,0,0,-10000\r\n"
              ",合計,,0,6200,6200,0\r\n");
    // Without kept opening balances the cash account starts where the cash book does
    // (its opening 10,000, 元入金 to match), and closes where the cash book closes.
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(BooksExport, ADamagedSlipBookIsRefusedByName) {
    std::string bytes = ReadBytes(dir / "FURIKAE13.DAT");
    bytes.pop_back();  // the last slip cut short
    WriteBytes(dir / "FURIKAE13.DAT", bytes);
    const auto before = Snapshot();
    for (const char* what : {"journal", "trial-balance"}) {
        Run r = Export({what, dir.path().string()});
        EXPECT_EQ(r.status, ExitStatus::Refused);
        EXPECT_NE(r.err.find("FURIKAE13.DAT"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(Snapshot(), before);
}

bool HledgerInstalled() {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    std::string d;
    while (std::getline(dirs, d, ':'))
        if (!d.empty() && fs::exists(fs::path(d) / "hledger")) return true;
    return false;
}

// hledger's own balance of the exported journal, account by account in yen.
std::map<std::string, long long> HledgerBalance(const fs::path& journal, const fs::path& temp) {
    const fs::path csv = temp / "balance.csv";
    const std::string command = "hledger -f '" + journal.string() +
                                "' balance --flat -N -O csv > '" + csv.string() + "' 2> '" +
                                (temp / "hledger.err").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadBytes(temp / "hledger.err");
    std::map<std::string, long long> balances;
    std::stringstream lines(ReadBytes(csv));
    std::string line;
    std::getline(lines, line);  // "account","balance"
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::size_t comma = line.find("\",\"");
        const std::string account = line.substr(1, comma - 1);
        const std::string amount = line.substr(comma + 3);  // "-85000 円"
        balances[account] = std::stoll(amount);
        EXPECT_NE(amount.find("円"), std::string::npos) << line;
    }
    return balances;
}

TEST_F(BooksExport, HledgerReadsTheJournalAndItsBalancesAreOurTrialBalance) {
    if (!HledgerInstalled()) GTEST_SKIP() << "hledger is not installed";
    // Output never goes into the data folder: the journal is written beside it.
    TempFolder out;
    const fs::path file = out / "year.journal";
    Run r = Export({"journal", dir.path().string(), "--format", "hledger", "-o", file.string()});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    const std::map<std::string, long long> theirs = HledgerBalance(file, out.path());

    SharedState s;
    // Our trial balance, from the same core the command uses.
    Run tb = Export({"trial-balance", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(tb.status, ExitStatus::Ok);
    std::map<std::string, long long> ours;
    std::stringstream rows(tb.out);
    std::string row;
    std::getline(rows, row);
    while (std::getline(rows, row)) {
        std::vector<std::string> f;
        std::stringstream fields(row.substr(0, row.size() - 1));  // without the CR
        for (std::string v; std::getline(fields, v, ',');) f.push_back(v);
        ASSERT_EQ(f.size(), 7u) << row;
        if (f[0].empty()) continue;  // 合計
        const long long closing = std::stoll(f[6]);
        if (closing != 0) ours[LedgerAccountName(std::stoi(f[0]), s.ItemTable)] = closing;
    }
    EXPECT_EQ(theirs, ours);
    EXPECT_EQ(theirs.size(), 4u);
}

// A year of 6,000 lines over every category, with negative corrections, an item
// without account, free lines named after their items, slips and opening balances:
// hledger's balance of the journal is our trial balance, account by account.
class BooksHledger : public testing::BooksYear {};

TEST_F(BooksHledger, ALargeYearBalancesTheSameInHledger) {
    if (!HledgerInstalled()) GTEST_SKIP() << "hledger is not installed";
    using namespace testing::BookItem;
    Item(15, "リース料", 4, 27);         // a free line of page 1
    Item(16, "車両:燃料;  費", 4, 28);  // marks a ledger tool reads as its own
    Opening(AccountCode::Cash, 300000);
    Opening(AccountCode::Deposits, 2000000);
    Opening(AccountCode::Loans, 500000);
    Opening(AccountCode::Capital, 1800000);
    const int items[] = {Sales,  Withdrawal, BankSales, Purchases, ToBank, Phone,     CarryOver,
                         Repayment, Drawings, Loan,     Supplies,  NoAccount, Collection,
                         Interest, 15,       16};
    for (int n = 0; n < 6000; ++n) {
        char date[8];
        std::snprintf(date, sizeof date, "13%02d%02d", n * 12 / 6000 + 1, n % 28 + 1);
        const int item = items[n % std::size(items)];
        Line(date, item, (n % 37 == 0 ? -1 : 1) * (100 + n % 977), n % 3 ? "備考" : "");
        if (n % 50 == 0)
            Slip(date, AccountCode::Receivables, AccountCode::Sales, 1000 + n, "掛売り");
    }
    const TrialBalance tb = Trial();
    ASSERT_TRUE(tb.Balances());
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    auto text = HledgerJournal(s, {book, accounts}, *journal);
    ASSERT_TRUE(text.ok()) << text.error().detail;
    const fs::path file = dir / "year.journal";
    WriteBytes(file, *text);
    std::map<std::string, long long> ours;
    for (const TrialBalanceRow& r : tb.rows)
        if (r.closing != 0) ours[LedgerAccountName(r.code, s.ItemTable)] = r.closing;
    EXPECT_EQ(HledgerBalance(file, dir.path()), ours);
    EXPECT_TRUE(ours.count("費用:リース料"));
    EXPECT_TRUE(ours.count("費用:車両：燃料； 費"));
    EXPECT_TRUE(ours.count("資産:未設定科目"));
}

// print journal and print ledger: the pages of the fixture's books, the account by
// its code or its name, and an account that the chart does not have refused.
TEST_F(BooksExport, PrintJournalAndLedgerArePagesOfTheBooks) {
    const auto before = Snapshot();
    TempFolder out;
    auto print = [&](const std::string& what, const std::string& account, int& status) {
        std::ostringstream err;
        PrintRequest r{what, 0, dir.path(), out / "p.pdf", false, account};
        auto doc = BuildPrintout(r, err, status);
        if (!doc) ADD_FAILURE() << err.str();
        return doc;
    };
    auto texts = [](const PrintDocument& doc) {
        std::vector<std::string> t;
        for (const PrintPage& p : doc.pages)
            for (const DrawOp& op : p.ops)
                if (op.kind == DrawKind::Text) t.push_back(op.text);
        return t;
    };
    auto has = [](const std::vector<std::string>& t, const std::string& text) {
        return std::find(t.begin(), t.end(), text) != t.end();
    };
    int status = 0;
    auto journal = print("journal", "", status);
    ASSERT_TRUE(journal);
    ASSERT_EQ(journal->pages.size(), 1u);
    EXPECT_EQ(journal->name, "仕訳帳");
    const auto j = texts(*journal);
    EXPECT_TRUE(has(j, "仕　訳　帳"));
    EXPECT_TRUE(has(j, "期首残高"));
    EXPECT_TRUE(has(j, "売掛金"));
    EXPECT_TRUE(has(j, "- 1 / 1 -"));

    auto byName = print("ledger", "売掛金", status);
    auto byCode = print("ledger", "106", status);
    ASSERT_TRUE(byName && byCode);
    EXPECT_EQ(byName->pages.size(), 1u);
    EXPECT_EQ(byName->pages[0].ops, byCode->pages[0].ops);
    const auto l = texts(*byName);
    EXPECT_TRUE(has(l, "総勘定元帳　売掛金（106）"));
    EXPECT_TRUE(has(l, "前期繰越"));
    // 80,000 up with the sale and back to 0 with the collection.
    EXPECT_TRUE(has(l, "        80,000"));
    EXPECT_TRUE(has(l, "合計"));

    std::ostringstream err;
    PrintRequest unknown{"ledger", 0, dir.path(), out / "p.pdf", false, "売掛"};
    EXPECT_FALSE(BuildPrintout(unknown, err, status));
    EXPECT_NE(err.str().find("勘定科目がありません: 売掛"), std::string::npos) << err.str();
    EXPECT_EQ(Snapshot(), before);
}

// check and the double-entry books: the fixture's openings put 150,000 in 現金 where the
// cash book closes at 13,800, and no deposit account holds the deposit book's 119,995.
TEST_F(BooksExport, CheckReportsCashAndDepositsThatDisagreeAndBooksThatDoNotBalance) {
    // The faults the books' check names (the balance sheet's notes are counted apart).
    int sheetNotes = 0;
    auto booksFindings = [&] {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok());
        std::vector<std::string> texts;
        sheetNotes = 0;
        if (!report) return texts;
        for (const CheckFinding& f : report->findings) {
            if (f.file != "FURIKAE13.DAT") continue;
            if (f.fault)
                texts.push_back(f.text);
            else if (f.text.rfind("貸借対照表", 0) == 0)
                ++sheetNotes;
        }
        return texts;
    };
    const auto before = Snapshot();
    EXPECT_EQ(booksFindings(),
              (std::vector<std::string>{
                  "現金勘定の残高 233800 は、出納簿の残高 13800 と違います。",
                  "預金勘定（当座預金、定期預金、その他の預金）の残高 1200 は、預金帳の現預金額 "
                  "119995 と違います。"}));
    EXPECT_EQ(Snapshot(), before);

    // Openings that agree with both books: 現金 10,000 (13,800 less the year's 3,800)
    // and その他の預金 118,795 (119,995 less the year's 1,200), 元入金 the rest.
    // FRK1, three openings, no slips: 101 10,000; 104 118,795; 302 128,795.
    WriteBytes(dir / "FURIKAE13.DAT",
               testing::FromHex("46524b31 0300 00000000 6500 10270000 6800 0bd00100 2e01 "
                                "1bf70100"));
    EXPECT_TRUE(booksFindings().empty());

    // 元入金 typed 1 short: the trial balance does not balance.
    WriteBytes(dir / "FURIKAE13.DAT",
               testing::FromHex("46524b31 0300 00000000 6500 10270000 6800 0bd00100 2e01 "
                                "1af70100"));
    EXPECT_EQ(booksFindings(),
              std::vector<std::string>{"試算表の借方と貸方が合いません（期首残高の差を確かめて下さい）。"});
    // ... and page 4's sides differ by that yen on both days.
    EXPECT_EQ(sheetNotes, 2);

    // A year without a slip book compares nothing: its cash account has no opening.
    fs::remove(dir / "FURIKAE13.DAT");
    EXPECT_TRUE(booksFindings().empty());
}

// A next-year disk starts the books with the carried cash while its cash book has no
// line yet: check called the cash a fault (45,000 against 0) until the carry-over line
// was typed. It says what to type instead, and a real difference stays a fault.
TEST_F(BooksExport, ANewYearWithoutItsCarryOverLineIsToldWhatToType) {
    auto cashFindings = [&] {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok());
        std::vector<std::pair<bool, std::string>> out;
        if (report)
            for (const CheckFinding& f : report->findings)
                if (f.file == "FURIKAE13.DAT" && f.text.find("現金") != std::string::npos)
                    out.emplace_back(f.fault, f.text);
        return out;
    };
    // The cash book as the next-year disk writes it: a header and no lines.
    WriteBytes(dir / "KEIRI13.DAT", std::string(18, '\0'));
    // FRK1, two openings, no slips: 101 現金 45,000; 302 元入金 45,000.
    WriteBytes(dir / "FURIKAE13.DAT",
               testing::FromHex("46524b31 0200 00000000 6500 c8af0000 2e01 c8af0000"));
    const auto before = Snapshot();
    auto fresh = cashFindings();
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_FALSE(fresh[0].first) << fresh[0].second;
    EXPECT_NE(fresh[0].second.find("出納簿にまだ繰越の行がありません。現金の期首残高 45000 を、"),
              std::string::npos)
        << fresh[0].second;
    EXPECT_NE(fresh[0].second.find("で出納簿の最初の行に入力して下さい"), std::string::npos)
        << fresh[0].second;
    EXPECT_EQ(Snapshot(), before);
    // The fixture's lines, from the cash book's own opening balance of 10,000 and no
    // carry-over line: the 35,000 between the openings is what the line will bring.
    std::string ledger = ReadBytes(FixturePath("KEIRI13.DAT"));
    WriteBytes(dir / "KEIRI13.DAT", ledger);
    auto lines = cashFindings();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].first) << lines[0].second;
    EXPECT_NE(lines[0].second.find("（それまで現金勘定の残高 48800 と出納簿の残高 13800 は違います）"),
              std::string::npos)
        << lines[0].second;
    // With its carry-over line typed (line 1 as 前月繰越, 5,000) the cash book restarts
    // there, and a difference left is a fault, as it always was.
    ledger[18 + 12] = 5;
    WriteBytes(dir / "KEIRI13.DAT", ledger);
    auto other = cashFindings();
    ASSERT_EQ(other.size(), 1u);
    EXPECT_TRUE(other[0].first) << other[0].second;
    EXPECT_EQ(other[0].second.rfind("現金勘定の残高 ", 0), 0u) << other[0].second;
}

// The statement's stock figures make closing entries that every export of the books
// takes: 期首商品棚卸高 40,000 and 期末商品棚卸高 55,000 against 棚卸資産.
// check names the special deduction of a year kept by double entry, as page 2 offers
// it: 55万円 until the history shows the books kept as electronic books all year.
TEST_F(BooksExport, CheckNotesTheDeductionTheBooksAndTheHistoryAllow) {
    auto deduction = [&] {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok());
        std::vector<std::string> texts;
        if (report)
            for (const CheckFinding& f : report->findings)
                if (f.file == "RIREKI13.DAT") texts.push_back(f.text);
        return texts;
    };
    // Openings that agree with both books (see the check of the books above).
    WriteBytes(dir / "FURIKAE13.DAT",
               testing::FromHex("46524b31 0300 00000000 6500 10270000 6800 0bd00100 2e01 "
                                "1bf70100"));
    EXPECT_EQ(deduction(), (std::vector<std::string>{
                               "青色申告特別控除の限度額は 55万円 です（優良な電子帳簿の設定がされていません）。"}));
    SharedState year;
    year.DataFolder = dir.path();
    year.LedgerPath = dir / "KEIRI13.DAT";
    year.FiscalYear = 13;
    ASSERT_TRUE(AppendHistoryRecord(year, ElectronicBooksRecord(true, "20010101090000")).ok());
    const auto before = Snapshot();
    EXPECT_EQ(deduction(), (std::vector<std::string>{
                               "青色申告特別控除の限度額は 65万円 です（複式簿記の帳簿を、年の初めから優良な"
                               "電子帳簿として記録しています）。"}));
    EXPECT_EQ(Snapshot(), before);
    // A year without a slip book keeps no books: nothing is said.
    std::filesystem::remove(dir / "FURIKAE13.DAT");
    EXPECT_TRUE(deduction().empty());
}

TEST_F(BooksExport, TheClosingEntriesOfTheStatementReachTheExports) {
    TaxReturnTables t = DefaultTaxReturnData();
    StoreStatementEntry(t, kOpeningStockLine, 40000);
    StoreStatementEntry(t, kClosingStockLine, 55000);
    auto bytes = EncodeTaxReturnFile(t);
    ASSERT_TRUE(bytes.ok());
    WriteBytes(dir / "SHINKOKU.DAT", std::string(reinterpret_cast<const char*>(bytes->data()),
                                                 bytes->size()));
    const auto before = Snapshot();
    Run tb = Export({"trial-balance", dir.path().string(), "--encoding", "utf-8"});
    EXPECT_EQ(tb.status, ExitStatus::Ok) << tb.err;
    for (const char* row : {"2,期首商品棚卸高,費用,0,40000,0,40000\r\n",
                            "5,期末商品棚卸高,収益,0,0,55000,-55000\r\n",
                            "108,棚卸資産,資産,0,55000,40000,15000\r\n",
                            ",合計,,0,261200,261200,0\r\n"})
        EXPECT_NE(tb.out.find(row), std::string::npos) << row << tb.out;
    Run journal = Export({"journal", dir.path().string(), "--encoding", "utf-8"});
    EXPECT_EQ(journal.status, ExitStatus::Ok) << journal.err;
    EXPECT_NE(journal.out.find("2001-12-31,2,期首商品棚卸高,108,棚卸資産,40000,期首商品棚卸高,決算整理,1,"),
              std::string::npos)
        << journal.out;
    EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace tabulo

