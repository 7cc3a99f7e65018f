#include "store/BinaryRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/Text.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::FromHex;
using testing::ReadBytes;

std::span<const std::byte> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}
std::string Str(const std::vector<std::byte>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size());
}

// KEIRI13.DAT: header and three lines.
//   header  LineCount 3, OpeningBalance 10000, TotalIn 15000, TotalOut 1200, Closing 13800
//   line 1  "130401" "（日）" item 1, in 5000, out 0, balance 15000, "売上"
//   line 2  "130402" "（月）" item 4, in 0, out 1200, balance 13800, "ABC"
//   line 3  blank, item 0, balance 13800
const char* kHeaderHex = "0300 10270000 983a0000 b0040000 e8350000";
const char* kLine1Hex =
    "313330343031"                      // 130401
    "8169 93fa 816a"                    // （日）
    "0100"                              // item 1
    "88130000 00000000 983a0000"        // 5000, 0, 15000
    "9484 8fe3 2020202020202020 20202020";  // 売上 + 12 blanks

TEST(LedgerRecords, HeaderMatchesLayout) {
    auto h = DecodeLedgerHeader(Bytes(FromHex(kHeaderHex)));
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h->LineCount, 3);
    EXPECT_EQ(h->OpeningBalance, 10000);
    EXPECT_EQ(h->TotalIn, 15000);
    EXPECT_EQ(h->TotalOut, 1200);
    EXPECT_EQ(h->ClosingBalance, 13800);
    EXPECT_EQ(Str(EncodeLedgerHeader(*h)), FromHex(kHeaderHex));
    EXPECT_FALSE(DecodeLedgerHeader(Bytes(FromHex("0300 1027"))).ok());
}

TEST(LedgerRecords, NegativeValuesAreTwosComplementLittleEndian) {
    LedgerHeaderRecord h{-1, -2, 2147483647, -2147483647 - 1, 0};
    EXPECT_EQ(Str(EncodeLedgerHeader(h)),
              FromHex("ffff feffffff ffffff7f 00000080 00000000"));
}

TEST(LedgerRecords, LineMatchesLayout) {
    auto line = DecodeLedgerLine(Bytes(FromHex(kLine1Hex)));
    ASSERT_TRUE(line.ok());
    EXPECT_EQ(line->NenGetsuBi, "130401");
    EXPECT_EQ(line->Youbi, "（日）");
    EXPECT_EQ(line->ItemNo, 1);
    EXPECT_EQ(line->Indata, 5000);
    EXPECT_EQ(line->Outdata, 0);
    EXPECT_EQ(line->Zandaka, 15000);
    EXPECT_EQ(line->Bikou, "売上            ");  // padding kept as read
    auto bytes = EncodeLedgerLine(*line);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), FromHex(kLine1Hex));
}

// A stored line read in place gives what decoding it whole gives, field by field; its
// texts are only checked until asked for, and a text that is not CP932 is caught by
// the check as by the decoder.
TEST(LedgerRecords, StoredLineReadInPlaceAgreesWithTheDecoder) {
    const std::string bytes = FromHex(kLine1Hex);
    const StoredLedgerLine line(reinterpret_cast<const std::byte*>(bytes.data()));
    EXPECT_EQ(line.ItemNo(), 1);
    EXPECT_EQ(line.Indata(), 5000);
    EXPECT_EQ(line.Outdata(), 0);
    EXPECT_EQ(line.Zandaka(), 15000);
    EXPECT_TRUE(line.PlainDate());
    EXPECT_EQ(line.DateBytes(), "130401");
    EXPECT_EQ(*line.Youbi(), "（日）");
    EXPECT_EQ(*line.Bikou(), "売上            ");
    LineTextCheck check;
    EXPECT_TRUE(check.TextsRead(line));

    std::string bad = bytes;
    bad[26] = '\x80';  // a lone byte that no CP932 character starts with
    const StoredLedgerLine badLine(reinterpret_cast<const std::byte*>(bad.data()));
    EXPECT_FALSE(badLine.BikouReads());
    EXPECT_FALSE(check.TextsRead(badLine));  // after a good remark, not taken as the same
    EXPECT_TRUE(check.TextsRead(line));
    EXPECT_FALSE(badLine.Decode().ok());

    // A date in full-width digits is not plain: it is decoded, as the decoder does.
    std::string wide = bytes;
    wide.replace(0, 6, FromHex("824f 8250 8251"));  // ０１２
    const StoredLedgerLine wideLine(reinterpret_cast<const std::byte*>(wide.data()));
    EXPECT_FALSE(wideLine.PlainDate());
    EXPECT_EQ(*wideLine.Date(), "０１２");
    EXPECT_EQ(*wideLine.Date(), DecodeLedgerLine(Bytes(wide))->NenGetsuBi);
}

TEST(LedgerRecords, TextFieldsAreCutAtCharacterBoundaryAndPadded) {
    LedgerLine line = BlankLedgerLine(0);
    line.NenGetsuBi = "1304";
    line.Bikou = "あいうえおかきくけ";  // 18 bytes: the ninth character does not fit
    auto bytes = EncodeLedgerLine(line);
    ASSERT_TRUE(bytes.ok());
    std::string s = Str(*bytes);
    EXPECT_EQ(s.substr(0, 6), "1304  ");
    EXPECT_EQ(s.substr(26), *ToCp932("あいうえおかきく"));
    line.Bikou = "あいうえおかきABC";  // 14 + 3 bytes: the C is cut
    s = Str(*EncodeLedgerLine(line));
    EXPECT_EQ(s.substr(26), *ToCp932("あいうえおかきAB"));
    line.Bikou = "ｱｲｳ";
    s = Str(*EncodeLedgerLine(line));
    EXPECT_EQ(s.substr(26), std::string("\xB1\xB2\xB3") + std::string(13, ' '));
}

TEST(LedgerRecords, TextWithoutCp932FormIsRefusedNotWrittenLossily) {
    LedgerLine line = BlankLedgerLine(0);
    line.Bikou = "絵文字😀";
    auto bytes = EncodeLedgerLine(line);
    ASSERT_FALSE(bytes.ok());
    EXPECT_EQ(bytes.error().code, FileErrorCode::NotEncodable);
}

TEST(LedgerRecords, InvalidCp932IsReported) {
    std::string bad = FromHex(kLine1Hex);
    bad[26] = '\x80';
    EXPECT_FALSE(DecodeLedgerLine(Bytes(bad)).ok());
    EXPECT_FALSE(DecodeLedgerLine(Bytes(bad.substr(0, 41))).ok());
}

// Places `bytes` at `offset` of a record being built by hand from the table.
void Place(std::string& rec, std::size_t offset, const std::string& bytes) {
    rec.replace(offset, bytes.size(), bytes);
}
std::string Le32(std::int32_t v) {
    std::string s(4, '\0');
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return s;
}

TEST(DepositRecord, FieldsSitAtTheirOffsets) {
    // YOKIN13.DAT: slot 1 "みずほ銀行" / "1234567" / carried 100000 / current 120000 /
    // maturity "2001/03/31"; slot 2 "ﾕｳﾁｮ", current -5; slot 20 spare 7;
    // totals 100000 and 119995; note "定期は3月満期".
    std::string fixture = ReadBytes(FixturePath("YOKIN13.DAT"));
    ASSERT_EQ(fixture.size(), 1536u);
    auto book = DecodeDepositBook(Bytes(fixture));
    ASSERT_TRUE(book.ok()) << book.error().detail;
    EXPECT_EQ(book->AccountName[1], "みずほ銀行        ");
    EXPECT_EQ(book->AccountName[2], "ﾕｳﾁｮ              ");
    EXPECT_EQ(book->AccountNo[1], "1234567       ");
    EXPECT_EQ(book->CarriedBalance[1], 100000);
    EXPECT_EQ(book->CurrentBalance[1], 120000);
    EXPECT_EQ(book->CurrentBalance[2], -5);
    EXPECT_EQ(book->SpareAmount[20], 7);
    EXPECT_EQ(book->Maturity[1], "2001/03/31");
    EXPECT_EQ(book->CarriedTotal, 100000);
    EXPECT_EQ(book->CurrentTotal, 119995);
    EXPECT_EQ(TrimRight(book->DepositNote), "定期は3月満期");
    auto again = EncodeDepositBook(*book);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(Str(*again), fixture);
}

TEST(DepositRecord, EncodesEveryTableOffset) {
    DepositBookRecord book = ClearedDepositBook();
    book.AccountName[20] = "ABC";
    book.AccountNo[0] = "9";
    book.CarriedBalance[3] = 1;
    book.CurrentBalance[4] = 2;
    book.SpareAmount[5] = 3;
    book.Maturity[20] = "M";
    book.CarriedTotal = 4;
    book.CurrentTotal = 5;
    book.DepositNote = "N";
    std::string expected(1536, '\0');
    Place(expected, 0, std::string(378, ' '));
    Place(expected, 378, std::string(294, ' '));
    Place(expected, 924, std::string(210, ' '));
    Place(expected, 1142, std::string(394, ' '));
    Place(expected, 20 * 18, "ABC");
    Place(expected, 378, "9");
    Place(expected, 672 + 3 * 4, Le32(1));
    Place(expected, 756 + 4 * 4, Le32(2));
    Place(expected, 840 + 5 * 4, Le32(3));
    Place(expected, 924 + 20 * 10, "M");
    Place(expected, 1134, Le32(4));
    Place(expected, 1138, Le32(5));
    Place(expected, 1142, "N");
    auto bytes = EncodeDepositBook(book);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), expected);
}

TEST(DepositRecord, ShortRecordIsRefused) {
    std::string fixture = ReadBytes(FixturePath("YOKIN13.DAT"));
    auto book = DecodeDepositBook(Bytes(fixture.substr(0, 1535)));
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().code, FileErrorCode::BadFormat);
}

TEST(DepositRecord, ClearedBookIsBlanksAndZeros) {
    auto bytes = EncodeDepositBook(ClearedDepositBook());
    ASSERT_TRUE(bytes.ok());
    std::string s = Str(*bytes);
    EXPECT_EQ(s.substr(0, 672), std::string(672, ' '));
    EXPECT_EQ(s.substr(672, 252), std::string(252, '\0'));
    EXPECT_EQ(s.substr(924, 210), std::string(210, ' '));
    EXPECT_EQ(s.substr(1134, 8), std::string(8, '\0'));
    EXPECT_EQ(s.substr(1142), std::string(394, ' '));
}

}  // namespace
}  // namespace tabulo
