// export journal and export trial-balance: the words and options, the CSV files of a
// fixture year against files written by hand, the hledger journal read back by
// hledger itself, and the year's folder left as it was.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "cli/Arguments.h"
#include "cli/BooksExport.h"
#include "cli/Commands.h"
#include "store/Text.h"
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
        {"print", "journal", "/d", "-o", "x.pdf"},
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
              "101,現金,資産,0,5000,1200,3800\r\n"
              "104,その他の預金,資産,0,1200,0,1200\r\n"
              ",合計,,0,6200,6200,0\r\n");
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

}  // namespace
}  // namespace tabulo
