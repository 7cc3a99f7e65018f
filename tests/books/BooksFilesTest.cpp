// The item-account and slip files against dumps written from their tables, and
// their saves: a refused save or a missing file leaves the folder as it was.

#include <gtest/gtest.h>

#include "books/BooksFiles.h"
#include "platform/FileError.h"
#include "store/FileLimits.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::span<const std::byte> Bytes(const std::string& s) {
    return std::as_bytes(std::span(s.data(), s.size()));
}
std::string Text(const std::vector<std::byte>& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// FURIKAE13.DAT with two opening balances and two slips.
const char* const kSlipFile =
    "46524b31 0200 02000000"         // "FRK1", 2 openings, 2 slips
    "6500 f0490200"                  // 現金 (101) 150,000
    "2e01 f0490200"                  // 元入金 (302) 150,000
    "313330343035 6a00 0100 80380100"  // 130405 売掛金 (106) / 売上 (1) 80,000
    "8a7c948482e8 202020202020202020202020202020202020"  // 掛売り + 18 blanks
    "313330353230 6500 6a00 80380100"  // 130520 現金 / 売掛金 80,000
    "414243 202020202020202020202020202020202020202020";  // ABC + 21 blanks

SlipBook ExpectedBook() {
    SlipBook b;
    b.Openings = {{AccountCode::Cash, 150000}, {AccountCode::Capital, 150000}};
    b.Slips = {{"130405", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り"},
               {"130520", AccountCode::Cash, AccountCode::Receivables, 80000, "ABC"}};
    return b;
}

TEST(SlipFile, ReadsAndWritesTheTableByteForByte) {
    const std::string bytes = FromHex(kSlipFile);
    ASSERT_EQ(bytes.size(), 10u + 2 * 6 + 2 * 38);
    auto book = DecodeSlipBook(Bytes(bytes), "FURIKAE13.DAT");
    ASSERT_TRUE(book.ok()) << book.error().detail;
    EXPECT_EQ(*book, ExpectedBook());
    auto written = EncodeSlipBook(ExpectedBook());
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(Text(*written), bytes);
}

TEST(SlipFile, AnEmptyBookIsTheHeaderAlone) {
    auto written = EncodeSlipBook({});
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(Text(*written), FromHex("46524b31 0000 00000000"));
}

TEST(SlipFile, RefusesAFileThatDoesNotFollowItsTable) {
    const std::string good = FromHex(kSlipFile);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string wrongMark = good;
    wrongMark[3] = '2';
    std::string unknownDebit = good;
    unknownDebit[10 + 12 + 6] = '\x96';  // code 150: no such account
    std::string sameSides = good;
    sameSides[10 + 12 + 38 + 8] = '\x65';  // credit 現金 like the debit
    std::string zeroAmount = good;
    for (int i = 0; i < 4; ++i) zeroAmount[10 + 12 + 10 + i] = '\0';
    std::string badDate = good;
    badDate[10 + 12 + 2] = 'x';
    std::string openingIncome = good;
    openingIncome[10] = '\x01';  // 売上 cannot have an opening balance
    std::string twiceCash = good;
    twiceCash[16] = '\x65';
    twiceCash[17] = '\0';
    const Case cases[] = {
        {"too short for the header", good.substr(0, 9)},
        {"another file", wrongMark},
        {"a slip cut off", good.substr(0, good.size() - 1)},
        {"a byte too many", good + " "},
        {"an unknown account", unknownDebit},
        {"both sides one account", sameSides},
        {"an amount of 0", zeroAmount},
        {"a date that is no day", badDate},
        {"an opening balance on page 1", openingIncome},
        {"an account opened twice", twiceCash},
    };
    for (const Case& c : cases) {
        auto book = DecodeSlipBook(Bytes(c.bytes), "FURIKAE13.DAT");
        ASSERT_FALSE(book.ok()) << c.what;
        EXPECT_EQ(book.error().code, FileErrorCode::BadFormat) << c.what;
        EXPECT_EQ(book.error().path, "FURIKAE13.DAT") << c.what;
    }
}

TEST(SlipFile, AMissingFileIsAnEmptyBookAndReadingCreatesNothing) {
    TempFolder dir;
    auto book = LoadSlipBook(dir / "FURIKAE13.DAT");
    ASSERT_TRUE(book.ok());
    EXPECT_TRUE(book->Slips.empty());
    EXPECT_TRUE(book->Openings.empty());
    auto accounts = LoadItemAccounts(dir / "KAMOKU.DAT");
    ASSERT_TRUE(accounts.ok());
    EXPECT_EQ(*accounts, ItemAccountArray{});
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SlipFile, SavedBookReadsBackAndARefusedSaveLeavesTheOldFile) {
    TempFolder dir;
    const auto path = dir / "FURIKAE13.DAT";
    ASSERT_TRUE(SaveSlipBook(path, ExpectedBook()).ok());
    EXPECT_EQ(ReadBytes(path), FromHex(kSlipFile));
    const struct {
        const char* what;
        TransferSlip slip;
    } refused[] = {
        {"negative amount", {"130601", AccountCode::Cash, AccountCode::Sales, -5, ""}},
        {"same account", {"130601", AccountCode::Cash, AccountCode::Cash, 5, ""}},
        {"suspense account", {"130601", AccountCode::Unassigned, AccountCode::Sales, 5, ""}},
        {"month 13", {"131301", AccountCode::Cash, AccountCode::Sales, 5, ""}},
        {"remarks too long", {"130601", AccountCode::Cash, AccountCode::Sales, 5,
                              "あいうえおかきくけこさしす"}},
        {"remarks without CP932", {"130601", AccountCode::Cash, AccountCode::Sales, 5, "😀"}},
    };
    for (const auto& r : refused) {
        SlipBook more = ExpectedBook();
        more.Slips.push_back(r.slip);
        EXPECT_FALSE(SaveSlipBook(path, more).ok()) << r.what;
        EXPECT_EQ(ReadBytes(path), FromHex(kSlipFile)) << r.what;
    }
    SlipBook twice = ExpectedBook();
    twice.Openings.push_back({AccountCode::Cash, 1});
    EXPECT_FALSE(SaveSlipBook(path, twice).ok());
    EXPECT_EQ(ReadBytes(path), FromHex(kSlipFile));
}

// The slip book was written up to 64 MiB and read up to 16 MiB. One limit holds for
// both: the most slips the writer keeps make a file its reader reads, and one more
// slip is refused with the old file left as it was.
TEST(SlipFile, TheWriterStopsAtTheLimitItsReaderReads) {
    const std::size_t most = (kMaxSlipFileSize - kSlipHeaderSize) / kSlipRecordSize;
    SlipBook book;
    book.Slips.assign(most, TransferSlip{"130405", AccountCode::Receivables, AccountCode::Sales, 1, "掛売り"});
    TempFolder dir;
    const auto path = dir / "FURIKAE13.DAT";
    ASSERT_TRUE(SaveSlipBook(path, book).ok());
    const auto size = std::filesystem::file_size(path);
    EXPECT_LE(size, kMaxSlipFileSize);
    EXPECT_GT(size + kSlipRecordSize, kMaxSlipFileSize);
    auto read = LoadSlipBook(path);
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_EQ(read->Slips.size(), most);

    book.Slips.push_back(book.Slips.back());
    Status more = SaveSlipBook(path, book);
    ASSERT_FALSE(more.ok());
    EXPECT_NE(more.error().detail.find("振替伝票が多すぎます"), std::string::npos) << more.error().detail;
    EXPECT_EQ(std::filesystem::file_size(path), size);
}

TEST(ItemAccountsFile, ReadsTheFixtureAndWritesItBack) {
    const std::string bytes = ReadBytes(FixturePath("books/KAMOKU.DAT"));
    auto accounts = DecodeItemAccounts(Bytes(bytes), "KAMOKU.DAT");
    ASSERT_TRUE(accounts.ok()) << accounts.error().detail;
    ItemAccountArray expected{};
    expected[8] = AccountCode::Loans;
    expected[9] = AccountCode::OwnerDrawings;
    expected[10] = AccountCode::Loans;
    expected[13] = AccountCode::Receivables;
    EXPECT_EQ(*accounts, expected);
    EXPECT_EQ(Text(EncodeItemAccounts(expected)), bytes);
}

TEST(ItemAccountsFile, RefusesLinesOutOfOrderUnknownAccountsAndShortFiles) {
    const std::string good = ReadBytes(FixturePath("books/KAMOKU.DAT"));
    std::string outOfOrder = good;
    outOfOrder.replace(0, 3, "2,0");  // line 1 names item 2
    std::string pageOne = good;
    pageOne.replace(0, 3, "1,3");  // 仕入金額 is not a balance-sheet account
    std::string cut = good.substr(0, good.find("50,0"));
    for (const std::string& bytes : {outOfOrder, pageOne, cut, good + "51,0\r\n"}) {
        auto accounts = DecodeItemAccounts(Bytes(bytes), "KAMOKU.DAT");
        ASSERT_FALSE(accounts.ok());
        EXPECT_EQ(accounts.error().path, "KAMOKU.DAT");
    }
}

TEST(ItemAccountsFile, ARefusedSaveLeavesTheOldFile) {
    TempFolder dir;
    const auto path = dir / "KAMOKU.DAT";
    WriteBytes(path, ReadBytes(FixturePath("books/KAMOKU.DAT")));
    ItemAccountArray bad{};
    bad[4] = 17;  // a page-1 line
    EXPECT_FALSE(SaveItemAccounts(path, bad).ok());
    EXPECT_EQ(ReadBytes(path), ReadBytes(FixturePath("books/KAMOKU.DAT")));
}

TEST(BooksPaths, TheFilesLieBesideTheCashBookWithItsYearTag) {
    SharedState s;
    s.DataFolder = "/d/KEIRIDATA";
    s.LedgerPath = "/d/KEIRIDATA/KEIRI05.DAT";
    s.FiscalYear = 5;
    EXPECT_EQ(SlipBookPath(s), std::filesystem::path("/d/KEIRIDATA/FURIKAE05.DAT"));
    EXPECT_EQ(ItemAccountsPath(s), std::filesystem::path("/d/KEIRIDATA/KAMOKU.DAT"));
}

}  // namespace
}  // namespace tabulo
