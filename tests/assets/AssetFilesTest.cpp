// SHISAN<nn>.DAT and ANBUN<nn>.DAT against bytes written by hand from the layout in
// assets/AssetFiles.h.

#include <gtest/gtest.h>

#include "assets/AssetFiles.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::byte> Bytes(const std::string& s) {
    std::vector<std::byte> out(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<std::byte>(s[i]);
    return out;
}

// The van of the worked example: one asset, 76 bytes.
const std::string kVanRegister = FromHex(
    "53 53 4E 31"  // "SSN1"
    "01 00"        // AssetCount 1
    // AssetName "バン" and 28 blanks
    "83 6F 83 93 20 20 20 20 20 20 20 20 20 20 20 20"
    "20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20"
    "05 00"        // AssetKind 5 車両運搬具
    "31 91 E4 20 20 20 20 20 20 20"  // Quantity "1台"
    "31 26 35 01"  // AcquiredOn 20260401
    "31 26 35 01"  // FirstUsedOn 20260401
    "00 9F 24 00"  // Cost 2,400,000
    "06 00"        // UsefulLife 6
    "01 00"        // Method 1 定額法
    "50 00"        // BusinessShare 80
    "00 9F 24 00"  // OpeningBookValue 2,400,000
    "00 00"        // DisposalMonth
    "00 00");      // DisposalKind

FixedAsset Van() {
    FixedAsset a;
    a.AssetName = "バン";
    a.AssetKind = 5;
    a.Quantity = "1台";
    a.AcquiredOn = 20260401;
    a.FirstUsedOn = 20260401;
    a.Cost = 2400000;
    a.UsefulLife = 6;
    a.Method = AssetMethod::StraightLine;
    a.BusinessShare = 80;
    a.OpeningBookValue = 2400000;
    return a;
}

// Items 8 (40 %) and 10 (70 %) split, the rest whole: 104 bytes.
std::string SharesFixture() {
    std::string s = FromHex("41 42 4E 31");  // "ABN1"
    for (int i = 1; i <= 50; ++i)
        s += i == 8 ? FromHex("28 00") : i == 10 ? FromHex("46 00") : FromHex("00 00");
    return s;
}

TEST(AssetRegisterFile, ReadsAndWritesTheHandWrittenBytes) {
    ASSERT_EQ(kVanRegister.size(), 76u);
    auto read = DecodeAssetRegister(Bytes(kVanRegister), "SHISAN08.DAT");
    ASSERT_TRUE(read.ok()) << read.error().detail;
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ((*read)[0], Van());
    auto written = EncodeAssetRegister({Van()});
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(*written, Bytes(kVanRegister));
    // An empty register is the header alone.
    auto empty = EncodeAssetRegister({});
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(*empty, Bytes(FromHex("53 53 4E 31 00 00")));
}

TEST(AssetRegisterFile, RefusesBytesThatDoNotFollowTheLayout) {
    std::string badMark = kVanRegister;
    badMark[3] = '2';
    std::string shortFile = kVanRegister.substr(0, 75);
    std::string badMethod = kVanRegister;
    badMethod[6 + 58] = 9;  // Method 9
    std::string negativeCost = kVanRegister;
    negativeCost[6 + 55] = static_cast<char>(0x80);  // Cost below 0
    std::string bookAboveCost = kVanRegister;
    bookAboveCost[6 + 64] = 0x25;  // OpeningBookValue 2,465,536 above the cost
    std::string disposalWithoutKind = kVanRegister;
    disposalWithoutKind[6 + 66] = 6;  // DisposalMonth 6, DisposalKind 0
    std::string badDate = kVanRegister;
    badDate[6 + 44] = 0x32;  // AcquiredOn 20260402 after FirstUsedOn
    std::string notCp932 = kVanRegister;
    notCp932[6 + 0] = static_cast<char>(0x85);
    notCp932[6 + 1] = static_cast<char>(0x40);  // 0x85 0x40 is no CP932 character
    for (const std::string& bytes :
         {badMark, shortFile, badMethod, negativeCost, bookAboveCost, disposalWithoutKind, badDate,
          notCp932}) {
        auto read = DecodeAssetRegister(Bytes(bytes), "SHISAN08.DAT");
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().code, FileErrorCode::BadFormat);
        EXPECT_EQ(read.error().path, "SHISAN08.DAT");
        EXPECT_FALSE(read.error().detail.empty());
    }
}

TEST(AssetRegisterFile, AMissingFileIsAnEmptyRegisterAndIsNotCreated) {
    TempFolder dir;
    auto read = LoadAssetRegister(dir / "SHISAN08.DAT");
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read->empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "SHISAN08.DAT"));
}

TEST(AssetRegisterFile, ARefusedAssetWritesNothing) {
    TempFolder dir;
    WriteBytes(dir / "SHISAN08.DAT", kVanRegister);
    FixedAsset noName = Van();
    noName.AssetName = "  ";
    FixedAsset longName = Van();
    longName.AssetName = "とても長い名前の営業用ワンボックス車両その２";  // 22 characters
    FixedAsset noLife = Van();
    noLife.UsefulLife = 0;
    FixedAsset emoji = Van();
    emoji.Quantity = "🚐";
    for (const FixedAsset& bad : {noName, longName, noLife, emoji}) {
        Status s = SaveAssetRegister(dir / "SHISAN08.DAT", {Van(), bad});
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.error().detail.find("資産 2"), std::string::npos) << s.error().detail;
        EXPECT_EQ(ReadBytes(dir / "SHISAN08.DAT"), kVanRegister);
    }
}

TEST(AssetRegisterFile, LivesBesideTheCashBookOfTheYear) {
    SharedState s;
    s.FiscalYear = 8;
    s.DataFolder = "/data/KEIRIDATA";
    EXPECT_EQ(AssetRegisterPath(s), std::filesystem::path("/data/KEIRIDATA/SHISAN08.DAT"));
    EXPECT_EQ(ItemSharesPath(s), std::filesystem::path("/data/KEIRIDATA/ANBUN08.DAT"));
}

TEST(ItemSharesFile, ReadsAndWritesTheHandWrittenBytes) {
    const std::string fixture = SharesFixture();
    ASSERT_EQ(fixture.size(), 104u);
    auto read = DecodeItemShares(Bytes(fixture), "ANBUN08.DAT");
    ASSERT_TRUE(read.ok()) << read.error().detail;
    ItemShares want{};
    want[8] = 40;
    want[10] = 70;
    EXPECT_EQ(*read, want);
    EXPECT_EQ(EncodeItemShares(want), Bytes(fixture));
}

TEST(ItemSharesFile, RefusesAShareAboveAHundredOrAWrongLength) {
    std::string above = SharesFixture();
    above[4 + 2 * 7] = static_cast<char>(150);  // item 8 at 150 %
    auto read = DecodeItemShares(Bytes(above), "ANBUN08.DAT");
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().detail.find("項目 8"), std::string::npos);
    EXPECT_FALSE(DecodeItemShares(Bytes(SharesFixture().substr(0, 102)), "ANBUN08.DAT").ok());
    TempFolder dir;
    WriteBytes(dir / "ANBUN08.DAT", SharesFixture());
    ItemShares bad{};
    bad[3] = -1;
    EXPECT_FALSE(SaveItemShares(dir / "ANBUN08.DAT", bad).ok());
    EXPECT_EQ(ReadBytes(dir / "ANBUN08.DAT"), SharesFixture());
    auto missing = LoadItemShares(dir / "ANBUN09.DAT");
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(*missing, ItemShares{});
}

}  // namespace
}  // namespace tabulo
