// The balance sheet of hand-worked years: each row's 1 January and 31 December
// figures, 元入金 worked out when none was kept, the income that makes the sides
// agree, the notes when they do not; and the manufacturing-cost figures and their
// file, against bytes written from the file's table.
#include <gtest/gtest.h>

#include <climits>

#include "books/BalanceSheet.h"
#include "store/DataSet.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "tests/books/BooksYear.h"

namespace tabulo::testing {
namespace {

using namespace BookItem;

class BalanceSheetYear : public BooksYear {
  protected:
    BalanceSheet Sheet() {
        const TrialBalance tb = Trial();
        auto sheet = BuildBalanceSheet(tb, book);
        EXPECT_TRUE(sheet.ok()) << (sheet.ok() ? "" : sheet.error().detail);
        return sheet.ok() ? *sheet : BalanceSheet{};
    }
    static std::pair<Amount, Amount> Row(const BalanceSheet& b, int code) {
        const BalanceSheetRow* r = b.Find(code);
        EXPECT_NE(r, nullptr) << code;
        return r != nullptr ? std::pair{r->opening, r->closing} : std::pair{0, 0};
    }
};

// A first year: cash and a loan to start with, sales for cash and on credit,
// purchases, a bank account filled from the till, the phone and a repayment from
// the bank, the owner's drawings.
TEST_F(BalanceSheetYear, AFirstYearWorkedByHand) {
    Opening(AccountCode::Cash, 100000);
    Opening(AccountCode::Loans, 50000);
    Line("130105", Sales, 300000);
    Line("130110", Purchases, 120000);
    Line("130115", ToBank, 50000);
    Line("130120", Phone, 5000);
    Line("130125", Repayment, 10000);
    Line("130130", Drawings, 30000);
    Slip("130131", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り");
    const BalanceSheet b = Sheet();

    // The form's rows in order, every one of them, used or not.
    ASSERT_EQ(b.assets.size(), 17u);
    ASSERT_EQ(b.claims.size(), 9u);
    EXPECT_EQ(b.assets.front().code, AccountCode::Cash);
    EXPECT_EQ(b.assets.back().code, AccountCode::OwnerDrawings);
    EXPECT_EQ(b.claims.front().code, 201);
    EXPECT_EQ(b.claims[7].code, AccountCode::OwnerContributions);
    EXPECT_EQ(b.claims.back().code, AccountCode::Capital);

    // 100,000 + 300,000 - 120,000 - 50,000 - 30,000.
    EXPECT_EQ(Row(b, AccountCode::Cash), (std::pair<Amount, Amount>{100000, 200000}));
    // 50,000 - 5,000 - 10,000.
    EXPECT_EQ(Row(b, AccountCode::Deposits), (std::pair<Amount, Amount>{0, 35000}));
    EXPECT_EQ(Row(b, AccountCode::Receivables), (std::pair<Amount, Amount>{0, 80000}));
    EXPECT_EQ(Row(b, AccountCode::OwnerDrawings), (std::pair<Amount, Amount>{0, 30000}));
    EXPECT_EQ(Row(b, AccountCode::Loans), (std::pair<Amount, Amount>{50000, 40000}));
    // Nothing kept for 元入金: the opening assets less the opening liabilities, the
    // same on both days.
    EXPECT_TRUE(b.capitalWorkedOut);
    EXPECT_EQ(Row(b, AccountCode::Capital), (std::pair<Amount, Amount>{50000, 50000}));
    // 300,000 + 80,000 - 120,000 - 5,000.
    EXPECT_EQ(b.income, 255000);
    EXPECT_EQ(b.assetsOpening, 100000);
    EXPECT_EQ(b.claimsOpening, 100000);
    EXPECT_EQ(b.assetsClosing, 345000);
    EXPECT_EQ(b.claimsClosing, 345000);
    EXPECT_TRUE(b.SidesAgree());
    EXPECT_TRUE(BalanceSheetNotes(b).empty());
}

// A later year: 元入金 kept as carried over, an asset bought on a loan and
// depreciated by a slip, the owner paying a bill from home.
TEST_F(BalanceSheetYear, AKeptCapitalAnAssetAndTheOwnersMoney) {
    Opening(AccountCode::Cash, 200000);
    Opening(115, 0);
    Opening(AccountCode::Capital, 200000);
    Slip("130301", 115, AccountCode::Loans, 400000, "備品");
    Slip("131231", AccountCode::Depreciation, 115, 100000, "減価償却");
    Slip("130401", 12, AccountCode::OwnerContributions, 7000, "自宅から");
    Line("130501", Sales, 150000);
    const BalanceSheet b = Sheet();
    EXPECT_FALSE(b.capitalWorkedOut);
    EXPECT_EQ(Row(b, 115), (std::pair<Amount, Amount>{0, 300000}));
    EXPECT_EQ(Row(b, AccountCode::Cash), (std::pair<Amount, Amount>{200000, 350000}));
    EXPECT_EQ(Row(b, AccountCode::Loans), (std::pair<Amount, Amount>{0, 400000}));
    EXPECT_EQ(Row(b, AccountCode::OwnerContributions), (std::pair<Amount, Amount>{0, 7000}));
    EXPECT_EQ(Row(b, AccountCode::Capital), (std::pair<Amount, Amount>{200000, 200000}));
    // 150,000 - 100,000 - 7,000: a loss shows as a figure below zero.
    EXPECT_EQ(b.income, 43000);
    EXPECT_EQ(b.assetsClosing, 650000);
    EXPECT_EQ(b.claimsClosing, 400000 + 7000 + 200000 + 43000);
    EXPECT_TRUE(b.SidesAgree());
}

TEST_F(BalanceSheetYear, SidesThatDifferAreNamedWithBothTotals) {
    Opening(AccountCode::Cash, 100000);
    Opening(AccountCode::Capital, 90000);  // 10,000 short
    Line("130105", Sales, 1000);
    Line("130106", NoAccount, 300);  // an item with no account
    const BalanceSheet b = Sheet();
    EXPECT_FALSE(b.OpeningAgrees());
    EXPECT_FALSE(b.ClosingAgrees());
    EXPECT_EQ(b.assetsClosing, 100700);
    EXPECT_EQ(b.claimsClosing, 91000);
    const std::vector<std::string> notes = BalanceSheetNotes(b);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NE(notes[0].find("1月1日"), std::string::npos);
    EXPECT_NE(notes[0].find("100000 円"), std::string::npos);
    EXPECT_NE(notes[0].find("90000 円"), std::string::npos);
    EXPECT_NE(notes[1].find("12月31日"), std::string::npos);
    EXPECT_NE(notes[1].find("差額 9700 円"), std::string::npos);
    EXPECT_NE(notes[2].find("項目 12"), std::string::npos);
}

TEST_F(BalanceSheetYear, AnEmptyYearIsAnEmptySheetThatAgrees) {
    const BalanceSheet b = Sheet();
    EXPECT_EQ(b.assets.size(), 17u);
    EXPECT_EQ(b.assetsClosing, 0);
    EXPECT_FALSE(b.capitalWorkedOut);
    EXPECT_TRUE(b.SidesAgree());
}

TEST(BalanceSheet, ATotalBeyond32BitsIsAnOverflow) {
    TrialBalance tb;
    tb.rows.push_back({101, INT32_MAX, 0, 0, INT32_MAX});
    tb.rows.push_back({102, 0, 5, 0, 5});
    auto sheet = BuildBalanceSheet(tb, SlipBook{});
    ASSERT_FALSE(sheet.ok());
    EXPECT_EQ(sheet.error().code, FileErrorCode::Overflow);
}

TEST(BalanceSheet, ReadsTheYearsFilesAndWritesNone) {
    TempFolder dir;
    SharedState s;
    s.DataFolder = dir.path();
    s.LedgerPath = dir / "KEIRI13.DAT";
    s.FiscalYear = 13;
    SlipBook book;
    book.Openings.push_back({AccountCode::Cash, 5000});
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    auto sheet = YearBalanceSheet(s);
    ASSERT_TRUE(sheet.ok());
    EXPECT_EQ(sheet->assetsOpening, 5000);
    EXPECT_EQ(sheet->Find(AccountCode::Capital)->closing, 5000);
    EXPECT_FALSE(std::filesystem::exists(ItemAccountsPath(s)));
    EXPECT_FALSE(std::filesystem::exists(ManufacturingCostPath(s)));
}

// A caller that had not read the statement into the year got the books without their
// year end: the stock of the statement's file must reach the sheet all the same.
TEST(BalanceSheet, TheYearEndComesFromTheStatementFileWhenTheYearHasNotReadIt) {
    TempFolder dir;
    SharedState s;
    s.DataFolder = dir.path();
    s.LedgerPath = dir / "KEIRI13.DAT";
    s.TaxReturnPath = dir / "SHINKOKU.DAT";
    s.FiscalYear = 13;
    SlipBook book;
    book.Openings.push_back({AccountCode::Cash, 5000});
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    TaxReturnTables t = DefaultTaxReturnData();
    StoreStatementEntry(t, kOpeningStockLine, 1000);
    StoreStatementEntry(t, kClosingStockLine, 3000);
    auto bytes = EncodeTaxReturnFile(t);
    ASSERT_TRUE(bytes.ok());
    WriteBytes(s.TaxReturnPath,
                        std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    auto sheet = YearBalanceSheet(s);
    ASSERT_TRUE(sheet.ok());
    EXPECT_EQ(sheet->Find(AccountCode::Stock)->closing, 2000);
    EXPECT_EQ(sheet->income, 2000);
    EXPECT_TRUE(sheet->SidesAgree());
    // A statement that cannot be read is named, not taken as empty.
    WriteBytes(s.TaxReturnPath, "\"broken");
    auto refused = YearBalanceSheet(s);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().path, s.TaxReturnPath.string());
}

// ---------------------------------------------------------------- 製造原価の計算

ManufacturingCost Sample() {
    ManufacturingCost c;
    c.lines[1] = 50000;     // 期首原材料
    c.lines[2] = 400000;    // 仕入
    c.lines[4] = 60000;     // 期末原材料
    c.lines[6] = 300000;    // 労務費
    c.lines[7] = 20000;     // 外注工賃
    c.lines[8] = 15000;     // 電力費
    c.lines[11] = 40000;    // 減価償却費
    c.lines[12] = 3000;     // a free line
    c.lines[17] = 2000;     // 雑費
    c.lines[20] = 10000;    // 期首仕掛品
    c.lines[22] = 25000;    // 期末仕掛品
    c.freeNames[0] = "包装材料";
    return c;
}

TEST(ManufacturingCost, TheSumsWorkedByHand) {
    ManufacturingCost c = Sample();
    ASSERT_TRUE(ComputeManufacturingCost(c));
    EXPECT_EQ(c.lines[3], 450000);
    EXPECT_EQ(c.lines[5], 390000);
    EXPECT_EQ(c.lines[18], 80000);
    EXPECT_EQ(c.lines[19], 770000);
    EXPECT_EQ(c.lines[21], 780000);
    EXPECT_EQ(c.lines[23], 755000);
    EXPECT_TRUE(c.Used());
    EXPECT_FALSE(ManufacturingCost{}.Used());
    // A sum beyond 32 bits leaves every sum as it was.
    c.lines[7] = INT32_MAX;
    EXPECT_FALSE(ComputeManufacturingCost(c));
    EXPECT_EQ(c.lines[18], 80000);
    EXPECT_TRUE(IsCostInputLine(22));
    EXPECT_FALSE(IsCostInputLine(23));
}

// The file from its table: the mark, 17 longs, 5 names of 16 bytes.
std::string Fixture() {
    std::string f = "SZG1";
    auto lng = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    // Lines 1, 2, 4, 6..17, 20, 22.
    for (std::uint32_t v : {50000u, 400000u, 60000u, 300000u, 20000u, 15000u, 0u, 0u, 40000u,
                            3000u, 0u, 0u, 0u, 0u, 2000u, 10000u, 25000u})
        lng(v);
    // 包装材料 in CP932, then blanks.
    f += "\x95\xEF\x91\x95\x8D\xDE\x97\xBF" + std::string(8, ' ');
    f += std::string(64, ' ');
    return f;
}

TEST(ManufacturingCost, TheFileMatchesItsTable) {
    const std::string fixture = Fixture();
    ASSERT_EQ(fixture.size(), kCostFileSize);
    auto bytes = EncodeManufacturingCost(Sample());
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()), fixture);
    auto read = DecodeManufacturingCost(
        std::as_bytes(std::span(fixture.data(), fixture.size())), "SEIZO13.DAT");
    ASSERT_TRUE(read.ok());
    ManufacturingCost want = Sample();
    ASSERT_TRUE(ComputeManufacturingCost(want));
    EXPECT_EQ(*read, want);
}

TEST(ManufacturingCost, ABadFileIsRefusedAndARefusedSaveWritesNothing) {
    std::string wrong = Fixture();
    wrong[0] = 'X';
    EXPECT_FALSE(DecodeManufacturingCost(std::as_bytes(std::span(wrong.data(), wrong.size())), "f")
                     .ok());
    const std::string shortFile = Fixture().substr(0, 100);
    EXPECT_FALSE(
        DecodeManufacturingCost(std::as_bytes(std::span(shortFile.data(), shortFile.size())), "f")
            .ok());
    // Sums that would overflow on reading.
    std::string big = Fixture();
    for (int i = 0; i < 4; ++i) big[4 + 4 * 4 + i] = i == 3 ? '\x7F' : '\xFF';  // line 7
    big[4 + 5 * 4] = '\x10';                                                     // line 8
    EXPECT_FALSE(DecodeManufacturingCost(std::as_bytes(std::span(big.data(), big.size())), "f")
                     .ok());

    TempFolder dir;
    const auto path = dir / "SEIZO13.DAT";
    ASSERT_TRUE(SaveManufacturingCost(path, Sample()).ok());
    const std::string before = ReadBytes(path);
    ManufacturingCost tooLong = Sample();
    tooLong.freeNames[2] = "とても長い科目の名前です";
    auto st = SaveManufacturingCost(path, tooLong);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().path, path.string());
    EXPECT_EQ(ReadBytes(path), before);
    // A missing file: nothing manufactured.
    auto none = LoadManufacturingCost(dir / "SEIZO14.DAT");
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none->Used());
}

}  // namespace
}  // namespace tabulo::testing
