// export balance-sheet, print statement 4's words, and check's notes on a balance sheet
// whose sides differ, on the fixture year of the double-entry books; the year's
// folder is left as it was.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "books/BalanceSheet.h"
#include "cli/Arguments.h"
#include "cli/Check.h"
#include "cli/Commands.h"
#include "store/Text.h"
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

TEST_F(BalanceSheetExport, ACashOnlyYearGetsNoBalanceSheetNote) {
    fs::remove(dir / "KAMOKU.DAT");
    fs::remove(dir / "FURIKAE13.DAT");
    EXPECT_TRUE(Notes().empty());
}

}  // namespace
}  // namespace tabulo
