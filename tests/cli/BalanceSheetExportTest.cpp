// export balance-sheet, print statement 4's words, and check's notes on a balance sheet
// whose sides differ, on the fixture year of the double-entry books; the year's
// folder is left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "books/BalanceSheet.h"
#include "cli/Arguments.h"
#include "cli/Check.h"
#include "cli/Commands.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"
#include "cli/YearFolder.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage4.h"
#include "tests/cli/BooksFolder.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

class BalanceSheetExport : public testing::BooksFolder {
  protected:
    std::vector<std::string> Notes() {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok());
        std::vector<std::string> out;
        if (report.ok())
            for (const CheckFinding& f : report->findings)
                if (f.text.find("貸借対照表") != std::string::npos) out.push_back(f.text);
        return out;
    }
};

TEST(BalanceSheetArguments, ExportBalanceSheetAndPrintStatement4AreKnownWords) {
    auto e = ParseArguments({"export", "balance-sheet", "/d", "--encoding", "utf-8"});
    ASSERT_TRUE(e.request) << e.error;
    EXPECT_EQ(e.request->exportRequest.what, "balance-sheet");
    auto p = ParseArguments({"print", "statement", "4", "/d", "-o", "p4.pdf"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->printRequest.number, 4);
    EXPECT_FALSE(ParseArguments({"print", "statement", "5", "/d", "-o", "p.pdf"}).request);
    EXPECT_FALSE(ParseArguments({"print", "balance-sheet", "/d", "-o", "p.pdf"}).request);
    EXPECT_NE(HelpText(true, "export").find("balance-sheet"), std::string::npos);
    EXPECT_NE(HelpText(false, "print").find("statement 1|2|3|4"), std::string::npos);
}

TEST_F(BalanceSheetExport, TheCsvMatchesTheHandWorkedFile) {
    const auto before = Snapshot();
    Run r = Export({"balance-sheet", dir.path().string(), "--encoding", "utf-8"});
    EXPECT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_EQ(r.out, "\xEF\xBB\xBF" + Expected("books-balance-sheet.csv"));
    Run cp932 = Export({"balance-sheet", dir.path().string()});
    EXPECT_EQ(cp932.out, ToCp932(Expected("books-balance-sheet.csv")).value());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(BalanceSheetExport, AManufacturingYearAddsItsLines) {
    ManufacturingCost cost;
    cost.lines[2] = 40000;
    cost.lines[6] = 30000;
    cost.freeNames[0] = "包装材料";
    cost.lines[12] = 500;
    ASSERT_TRUE(SaveManufacturingCost(dir / "SEIZO13.DAT", cost).ok());
    Run r = Export({"balance-sheet", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    const std::string tail = r.out.substr(r.out.find("製造原価,1,"));
    EXPECT_EQ(tail.substr(0, tail.find("製造原価,13,")),
              "製造原価,1,期首原材料棚卸高,,0\r\n"
              "製造原価,2,原材料仕入高,,40000\r\n"
              "製造原価,3,小計,,40000\r\n"
              "製造原価,4,期末原材料棚卸高,,0\r\n"
              "製造原価,5,差引原材料費,,40000\r\n"
              "製造原価,6,労務費,,30000\r\n"
              "製造原価,7,外注工賃,,0\r\n"
              "製造原価,8,電力費,,0\r\n"
              "製造原価,9,水道光熱費,,0\r\n"
              "製造原価,10,修繕費,,0\r\n"
              "製造原価,11,減価償却費,,0\r\n"
              "製造原価,12,包装材料,,500\r\n");
    EXPECT_NE(r.out.find("製造原価,23,製品製造原価,,70500\r\n"), std::string::npos);
}

TEST_F(BalanceSheetExport, ADamagedSlipBookIsRefusedByName) {
    std::string bytes = ReadBytes(dir / "FURIKAE13.DAT");
    bytes.pop_back();
    WriteBytes(dir / "FURIKAE13.DAT", bytes);
    const auto before = Snapshot();
    Run r = Export({"balance-sheet", dir.path().string()});
    EXPECT_EQ(r.status, ExitStatus::Refused);
    EXPECT_NE(r.err.find("FURIKAE13.DAT"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(BalanceSheetExport, CheckNotesSidesThatDifferAndNothingWhenTheyAgree) {
    EXPECT_TRUE(Notes().empty());
    // 元入金 kept as 140,000 against 150,000 of cash: both days 10,000 apart.
    std::string bytes = ReadBytes(dir / "FURIKAE13.DAT");
    const std::string capital("\x2e\x01\xf0\x49\x02\x00", 6);
    const std::size_t at = bytes.find(capital);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, capital.size(), std::string("\x2e\x01\xe0\x22\x02\x00", 6));  // 140000
    WriteBytes(dir / "FURIKAE13.DAT", bytes);
    const auto before = Snapshot();
    const std::vector<std::string> notes = Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("1月1日"), std::string::npos);
    EXPECT_NE(notes[0].find("差額 10000 円"), std::string::npos);
    EXPECT_NE(notes[1].find("12月31日"), std::string::npos);
    EXPECT_NE(notes[1].find("235000 円"), std::string::npos);
    EXPECT_NE(notes[1].find("225000 円"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

// check on a damaged SEIZO<nn>.DAT (written by hand from its layout: the mark, 17
// amounts, five names of 16 bytes): each kind of damage named, the other findings kept.
class ManufacturingCostCheck : public BalanceSheetExport {
  protected:
    static std::string Cost(const std::string& amounts, const std::string& names) {
        return testing::FromHex("535a4731") + testing::FromHex(amounts) + names;
    }
    static std::string Zeros() { return std::string(17 * 8, '0'); }
    static std::string Blanks() { return std::string(80, ' '); }
    std::vector<std::string> Faults() {
        auto report = CheckYearFolder(dir.path());
        EXPECT_TRUE(report.ok()) << (report ? "" : report.error().detail);
        std::vector<std::string> out;
        if (report)
            for (const CheckFinding& f : report->findings)
                if (f.file == "SEIZO13.DAT") out.push_back(f.text);
        return out;
    }
    std::size_t AllFindings() {
        auto report = CheckYearFolder(dir.path());
        return report ? report->findings.size() : 0;
    }
};

TEST_F(ManufacturingCostCheck, EachKindOfDamageIsNamedAndTheOtherFindingsStay) {
    const fs::path file = dir / "SEIZO13.DAT";
    const std::size_t others = AllFindings();
    WriteBytes(file, Cost(Zeros(), Blanks()));
    EXPECT_EQ(Faults(), std::vector<std::string>{});
    WriteBytes(file, "");
    EXPECT_EQ(Faults(), std::vector<std::string>{});

    using V = std::vector<std::string>;
    WriteBytes(file, Cost(Zeros(), Blanks()).substr(0, 151));
    EXPECT_EQ(Faults(), V{"ファイルの大きさが 151 バイトです（152 バイトのはずです）。"});
    WriteBytes(file, Cost(Zeros(), Blanks()) + " ");
    EXPECT_EQ(Faults(), V{"ファイルの大きさが 153 バイトです（152 バイトのはずです）。"});
    WriteBytes(file, Cost(Zeros(), Blanks()) + std::string(1 << 20, ' '));
    EXPECT_EQ(Faults(), V{"ファイルの大きさが 1048728 バイトです（152 バイトのはずです）。"});
    WriteBytes(file, "SZG2" + Cost(Zeros(), Blanks()).substr(4));
    EXPECT_EQ(Faults(), V{"先頭に製造原価の計算のファイルの印 SZG1 がありません。"});

    // Line 13's name holds a byte no CP932 text has, line 14's a tab.
    std::string names = Blanks();
    names[16] = '\xff';
    names[32 + 3] = '\t';
    WriteBytes(file, Cost(Zeros(), names));
    EXPECT_EQ(Faults(), (V{"13 行目の科目名が Shift-JIS の文字ではありません。",
                           "14 行目の科目名に制御文字があります。"}));

    // Lines 1 and 2 at 2,147,483,647 and 1: every sum from line 3 on leaves 32 bits.
    std::string amounts = Zeros();
    amounts.replace(0, 16, "ffffff7f01000000");
    WriteBytes(file, Cost(amounts, Blanks()));
    EXPECT_EQ(Faults(), (V{"3 行目の合計 2147483648 が扱える金額を超えます。",
                           "5 行目の合計 2147483648 が扱える金額を超えます。",
                           "19 行目の合計 2147483648 が扱える金額を超えます。",
                           "21 行目の合計 2147483648 が扱える金額を超えます。",
                           "23 行目の合計 2147483648 が扱える金額を超えます。"}));
    EXPECT_EQ(AllFindings(), others + 5);

    // Not a file: a folder, a pipe, a link that leads nowhere.
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(Faults(), V{"ファイルではなくフォルダーです。"});
    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(Faults(), V{"通常のファイルではありません。"});
    fs::remove(file);
    fs::create_symlink(dir / "nowhere.DAT", file);
    EXPECT_EQ(Faults(), V{"どこにもないファイルへのリンクです。"});
}

TEST_F(BalanceSheetExport, SlipTotalsBeyond32BitsAreAFindingNamingTheSlipBook) {
    // Both slips credit 売上 (1) with 2,147,483,647.
    std::string bytes = ReadBytes(dir / "FURIKAE13.DAT");
    bytes.replace(22 + 10, 4, std::string("\xff\xff\xff\x7f", 4));
    bytes.replace(60 + 6, 8, std::string("\x65\x00\x01\x00\xff\xff\xff\x7f", 8));
    WriteBytes(dir / "FURIKAE13.DAT", bytes);
    auto report = CheckYearFolder(dir.path());
    ASSERT_TRUE(report.ok()) << report.error().detail;
    bool named = false, others = false;
    for (const CheckFinding& f : report->findings) {
        if (f.file == "FURIKAE13.DAT" && f.fault &&
            f.text.find("振替伝票の金額を集計できません") != std::string::npos)
            named = true;
        else
            others = true;
    }
    EXPECT_TRUE(named);
    EXPECT_TRUE(others);
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(dir.path(), out, err, false, true), ExitStatus::Fault) << err.str();
}

TEST_F(BalanceSheetExport, ACashOnlyYearGetsNoBalanceSheetNote) {
    fs::remove(dir / "KAMOKU.DAT");
    fs::remove(dir / "FURIKAE13.DAT");
    EXPECT_TRUE(Notes().empty());
}

// The export left out the closing entries (stock and depreciation) that page 4's screen
// and its printout take, so its 31 December column was the books before the year end.
TEST_F(BalanceSheetExport, TheYearEndEntriesReachTheExportAsThePageShowsThem) {
    TaxReturnTables t = DefaultTaxReturnData();
    StoreStatementEntry(t, kOpeningStockLine, 40000);
    StoreStatementEntry(t, kClosingStockLine, 55000);
    Page3Data d = ReadPage3(t);
    d.assets[1].Name1 = "パソコン";
    d.assets[1].Goukei = 50000;  // 償却費合計
    d.assets[1].Keihi = 40000;   // 本年分の必要経費算入額: 10,000 private
    d.assets[static_cast<std::size_t>(kAssetTotalRow)].Goukei = 50000;
    d.assets[static_cast<std::size_t>(kAssetTotalRow)].Keihi = 40000;
    WritePage3(t, d);
    auto bytes = EncodeTaxReturnFile(t);
    ASSERT_TRUE(bytes.ok());
    WriteBytes(dir / "SHINKOKU.DAT",
               std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    const auto before = Snapshot();
    Run r = Export({"balance-sheet", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    // Worked by hand: 棚卸資産 55,000 - 40,000; 工具器具備品 less 50,000 of depreciation;
    // 事業主貸 the private 10,000; income 85,000 + 55,000 - 40,000 - 40,000.
    EXPECT_EQ(r.out, "\xEF\xBB\xBF"
                     "区分,コード,勘定科目,1月1日,12月31日\r\n"
                     "資産,101,現金,150000,233800\r\n"
                     "資産,104,その他の預金,0,1200\r\n"
                     "資産,108,棚卸資産,0,15000\r\n"
                     "資産,115,工具器具備品,0,-50000\r\n"
                     "資産,130,事業主貸,0,10000\r\n"
                     "資産,,資産の部 合計,150000,210000\r\n"
                     "負債・資本,302,元入金,150000,150000\r\n"
                     "負債・資本,,青色申告特別控除前の所得金額,,60000\r\n"
                     "負債・資本,,負債・資本の部 合計,150000,210000\r\n");
    // The page as the window opens it (the year read with its statement) says the same.
    SharedState s;
    ASSERT_TRUE(LoadYearFolder(s, dir.path(), true).ok());
    auto page = OpeningPage4(s);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page->sheet.assetsClosing, 210000);
    EXPECT_EQ(page->sheet.income, 60000);
    EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace tabulo
