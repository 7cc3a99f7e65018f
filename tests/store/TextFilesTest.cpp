#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "store/DataSet.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::ReadBytes;

std::span<const std::byte> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}
std::string Str(const std::vector<std::byte>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size());
}
std::string Sjis(const std::string& utf8) { return *ToCp932(utf8); }
const std::array<std::string, 8> kKubun = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};

// ---- TAB_SET3.DAT ----

TEST(SetupFile, BareLinesWithCrLf) {
    std::array<std::string, 9> lines = {"", "A", "2000", "0", "0", "0", "0", "0", "0"};
    auto bytes = EncodeSetupFile(lines);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), "A\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
}

TEST(SetupFile, ReadsLinesAsTheyAreAndFillsMissingOnes) {
    auto lines = DecodeSetupFile(Bytes("/media/usb\r\n1500\r\n-1.5\r\n2\n3\r\n"));
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ((*lines)[1], "/media/usb");
    EXPECT_EQ((*lines)[2], "1500");
    EXPECT_EQ((*lines)[3], "-1.5");
    EXPECT_EQ((*lines)[4], "2");
    EXPECT_EQ((*lines)[5], "3");
    EXPECT_EQ((*lines)[6], "0");
    EXPECT_EQ((*lines)[8], "0");
    EXPECT_FALSE(DecodeSetupFile(Bytes("A\r\n\x81\r\n")).ok());
}

// ---- DATE.DAT ----

TEST(FiscalYearFile, FixtureReadsAndWritesBack) {
    std::string fixture = ReadBytes(FixturePath("DATE.DAT"));  // 13,"平成",0 CR LF
    auto v = DecodeFiscalYearFile(Bytes(fixture));
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v->FiscalYear, 13);
    EXPECT_EQ(v->EraName, "平成");
    EXPECT_EQ(v->FiscalYearSpare, 0);
    auto bytes = EncodeFiscalYearFile(*v);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), fixture);
}

TEST(FiscalYearFile, ToleratesBlanksAndBareLineFeeds) {
    auto v = DecodeFiscalYearFile(Bytes(" 5 , \"" + Sjis("令和") + "\" ,-3\n"));
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v->FiscalYear, 5);
    EXPECT_EQ(v->EraName, "令和");
    EXPECT_EQ(v->FiscalYearSpare, -3);
}

TEST(FiscalYearFile, MalformedFilesAreReported) {
    const std::string era = Sjis("平成");
    const std::string cases[] = {
        "13,\"" + era + "\r\n",        // quote never closed
        "13," + era + ",0\r\n",        // text without quotes
        "13,13,0\r\n",                 // a number where text is due
        "\"13\",\"" + era + "\",0\r\n",  // text where a number is due
        "13,\"" + era + "\"",          // ends before the third value
        "40000,\"" + era + "\",0\r\n",  // does not fit an Integer
        "13,\"" + era + "\"x,0\r\n",   // junk after the closing quote
        "13,\"\x81\",0\r\n",           // a lead byte alone
        "1a,\"" + era + "\",0\r\n",
    };
    for (const auto& c : cases) EXPECT_FALSE(DecodeFiscalYearFile(Bytes(c)).ok()) << c;
}

TEST(WriteStyle, DoubleQuoteInTextIsWrittenAsApostrophe) {
    // A quote inside a quoted string has no escape and would make the file unreadable.
    auto bytes = EncodeFiscalYearFile({1, "a\"b", 0});
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), "1,\"a'b\",0\r\n");
    auto back = DecodeFiscalYearFile(*bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->EraName, "a'b");
}

TEST(WriteStyle, TextWithoutCp932FormIsAnError) {
    auto bytes = EncodeFiscalYearFile({1, "😀", 0});
    ASSERT_FALSE(bytes.ok());
    EXPECT_EQ(bytes.error().code, FileErrorCode::NotEncodable);
}

// ---- MASTER.DAT ----

TEST(MasterFile, FixtureReadsAndWritesBackByteForByte) {
    std::string fixture = ReadBytes(FixturePath("MASTER.DAT"));
    auto m = DecodeMasterFile(Bytes(fixture), kKubun);
    ASSERT_TRUE(m.ok()) << m.error().detail;
    EXPECT_EQ(m->itemsRead, 50);
    EXPECT_EQ(m->header[MasterField::BusinessName], "山田商店");
    EXPECT_EQ(m->header[MasterField::Location], "東京都千代田区1-1, 2階");  // comma inside quotes
    EXPECT_EQ(m->header[MasterField::NameReading], "ﾔﾏﾀﾞ ﾀﾛｳ");
    EXPECT_EQ(m->header[MasterField::Association], "青色申告会");
    EXPECT_EQ(m->header[MasterField::AccountantPhone], "");
    EXPECT_EQ(m->items[1].ItemName, "売上");
    EXPECT_EQ(m->items[1].ItemKubun, 1);
    EXPECT_EQ(m->items[1].ItemKubunName, "収入");
    EXPECT_EQ(m->items[1].ItemKubun2, 1);
    EXPECT_EQ(m->items[1].ItemKubun3, 1);
    EXPECT_EQ(m->items[3].ItemKubun3, 6);
    EXPECT_EQ(m->items[5].ItemKubun, 7);
    EXPECT_EQ(m->items[50].ItemName, "");
    auto bytes = EncodeMasterFile(m->header, m->items);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), fixture);
}

TEST(MasterFile, ShortFileLoadsItsItemsAndSavesAllFifty) {
    std::string fixture = ReadBytes(FixturePath("MASTER_SHORT.DAT"));  // three items
    auto m = DecodeMasterFile(Bytes(fixture), kKubun);
    ASSERT_TRUE(m.ok()) << m.error().detail;
    EXPECT_EQ(m->itemsRead, 3);
    EXPECT_EQ(m->items[3].ItemName, "仕入");
    EXPECT_EQ(m->items[4], ItemEntry{});
    // An end-of-file mark after the last item is no item.
    auto marked = DecodeMasterFile(Bytes(fixture + "\x1A"), kKubun);
    ASSERT_TRUE(marked.ok());
    EXPECT_EQ(marked->itemsRead, 3);
    auto bytes = EncodeMasterFile(m->header, m->items);
    ASSERT_TRUE(bytes.ok());
    std::string s = Str(*bytes);
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 3 + 50);
    EXPECT_EQ(s.substr(0, fixture.size()), fixture);
    EXPECT_EQ(s.substr(s.size() - 13), "\"\",0,\"\",0,0\r\n");
}

TEST(MasterFile, NamesAreCutToTheirFieldWidths) {
    MasterHeaderArray header;
    header[MasterField::BusinessName] = "あいうえおかきくけこさしす";  // 26 bytes
    header[MasterField::Address] = "あいうえおかきくけこさしす";       // not cut
    ItemTableArray items;
    items[1].ItemName = "ABCDEFGHIJKLMNOPQRS";
    items[2].ItemName = "ABCDEFGHIJKLMNO山";  // 15 + 2 bytes
    auto bytes = EncodeMasterFile(header, items);
    ASSERT_TRUE(bytes.ok());
    auto m = DecodeMasterFile(*bytes, kKubun);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m->header[MasterField::BusinessName], "あいうえおかきくけこさし");
    EXPECT_EQ(m->header[MasterField::Address], "あいうえおかきくけこさしす");
    EXPECT_EQ(m->items[1].ItemName, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(m->items[2].ItemName, "ABCDEFGHIJKLMNO");
}

TEST(MasterFile, TruncatedOrShiftedFilesAreReported) {
    std::string fixture = ReadBytes(FixturePath("MASTER.DAT"));
    // Cut inside the header.
    EXPECT_FALSE(DecodeMasterFile(Bytes(fixture.substr(0, 40)), kKubun).ok());
    // Cut inside an item line (after "売上",1,).
    std::size_t item1 = fixture.find(Sjis("\"売上\",1,"));
    ASSERT_NE(item1, std::string::npos);
    auto cut = DecodeMasterFile(Bytes(fixture.substr(0, item1 + 8)), kKubun);
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().code, FileErrorCode::BadFormat);
    // A header line that lost a string: a number arrives where a name is due.
    std::string shifted = fixture;
    shifted.erase(0, shifted.find(',') + 1);
    EXPECT_FALSE(DecodeMasterFile(Bytes(shifted), kKubun).ok());
}

// ---- SHINKOKU.DAT ----

TEST(TaxReturnFile, LayoutHasElevenGroupsOfNinetySevenLines) {
    const auto& layout = TaxReturnLayout();
    ASSERT_EQ(layout.size(), 11u);
    EXPECT_EQ(TaxReturnLineTypes().size(), 97u);
    EXPECT_EQ(layout[6].LineTypes(1).size(), 17u);
    EXPECT_EQ(TaxLineIndex(9, 1), 44);
    EXPECT_EQ(TaxLineIndex(11, 1), 49);
    EXPECT_EQ(layout[8].LineTypes(2).size(), 6u);
    EXPECT_EQ(layout[8].LineTypes(3).size(), 7u);
}

TEST(TaxReturnFile, FixtureReadsByGroupRowColumnAndWritesBack) {
    std::string fixture = ReadBytes(FixturePath("SHINKOKU.DAT"));
    auto t = DecodeTaxReturnFile(Bytes(fixture), TaxReturnTables{});
    ASSERT_TRUE(t.ok()) << t.error().detail;
    EXPECT_TRUE(HasTaxReturnShape(*t));
    EXPECT_EQ(TaxText(*t, 1, 1, 1), "妻 花子1");
    EXPECT_EQ(TaxNumber(*t, 1, 4, 3), 4);
    EXPECT_EQ(TaxNumber(*t, 2, 5, 3), -5);
    EXPECT_EQ(TaxNumber(*t, 3, 10, 1), 100);
    EXPECT_EQ(TaxNumber(*t, 3, 11, 1), 100000);
    EXPECT_EQ(TaxText(*t, 5, 1, 1), "家賃, 事務所");
    EXPECT_EQ(TaxText(*t, 7, 10, 1), "車両10");
    EXPECT_EQ(TaxText(*t, 7, 3, 9), "0.167");
    EXPECT_EQ(TaxNumber(*t, 7, 3, 16), 1000000);
    EXPECT_EQ(TaxText(*t, 8, 1, 6), "計");
    EXPECT_EQ(TaxText(*t, 9, 3, 1), "銀行2");
    EXPECT_EQ(TaxNumber(*t, 9, 4, 6), -900);
    EXPECT_EQ(TaxText(*t, 10, 1, 1), "備考");
    EXPECT_EQ(TaxNumber(*t, 11, 48, 1), 48 * 111);
    auto bytes = EncodeTaxReturnFile(*t);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(Str(*bytes), fixture);
}

TEST(TaxReturnFile, OlderShortFilesKeepTheRemainingTables) {
    TaxReturnTables previous = DefaultTaxReturnData();
    SetTaxText(previous, 9, 1, 1, "前の値");
    SetTaxText(previous, 10, 1, 1, "前の備考");
    SetTaxNumber(previous, 11, 1, 1, 777);
    SetTaxNumber(previous, 1, 1, 3, 99);  // overwritten by the file

    auto g8 = DecodeTaxReturnFile(Bytes(ReadBytes(FixturePath("SHINKOKU_G8.DAT"))), previous);
    ASSERT_TRUE(g8.ok()) << g8.error().detail;
    EXPECT_EQ(TaxNumber(*g8, 1, 1, 3), 1);
    EXPECT_EQ(TaxText(*g8, 8, 1, 6), "計");
    EXPECT_EQ(TaxText(*g8, 9, 1, 1), "前の値");
    EXPECT_EQ(TaxText(*g8, 10, 1, 1), "前の備考");
    EXPECT_EQ(TaxNumber(*g8, 11, 1, 1), 777);

    auto g10 = DecodeTaxReturnFile(Bytes(ReadBytes(FixturePath("SHINKOKU_G10.DAT"))), previous);
    ASSERT_TRUE(g10.ok()) << g10.error().detail;
    EXPECT_EQ(TaxText(*g10, 9, 1, 1), "銀行1");
    EXPECT_EQ(TaxText(*g10, 10, 1, 1), "備考");
    EXPECT_EQ(TaxNumber(*g10, 11, 1, 1), 777);
}

TEST(TaxReturnFile, FileEndingElsewhereIsReported) {
    std::string full = ReadBytes(FixturePath("SHINKOKU.DAT"));
    // Cut after 46 lines: in the middle of group 9.
    std::size_t pos = 0;
    for (int i = 0; i < 46; ++i) pos = full.find('\n', pos) + 1;
    auto t = DecodeTaxReturnFile(Bytes(full.substr(0, pos)), DefaultTaxReturnData());
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.error().code, FileErrorCode::BadFormat);
    // A value of the wrong kind in group 7.
    std::string bad = full;
    bad.replace(bad.find("1500000"), 7, "\"x\"");
    EXPECT_FALSE(DecodeTaxReturnFile(Bytes(bad), DefaultTaxReturnData()).ok());
}

TEST(TaxReturnFile, DefaultsAndClearing) {
    TaxReturnTables t = DefaultTaxReturnData();
    EXPECT_TRUE(HasTaxReturnShape(t));
    EXPECT_EQ(TaxNumber(t, 3, 11, 1), 100000);
    EXPECT_EQ(TaxNumber(t, 3, 10, 1), 0);
    EXPECT_EQ(TaxText(t, 7, 1, 17), "");
    auto bytes = EncodeTaxReturnFile(t);
    ASSERT_TRUE(bytes.ok());
    std::string s = Str(*bytes);
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 97);
    const std::string group1Line = "\"\",\"\",0,0\r\n";
    EXPECT_EQ(s.substr(0, 4 * group1Line.size() + 9),
              group1Line + group1Line + group1Line + group1Line + "0,0,0,0\r\n");

    SetTaxText(t, 7, 2, 1, "車両");
    SetTaxNumber(t, 7, 2, 5, 12345);
    ClearTaxReturnNumbers(t);
    EXPECT_EQ(TaxText(t, 7, 2, 1), "車両");
    EXPECT_EQ(TaxNumber(t, 7, 2, 5), 0);
    EXPECT_EQ(TaxNumber(t, 3, 11, 1), 0);
}

TEST(TaxReturnFile, WriterRefusesWhatCouldNotBeReadBack) {
    TaxReturnTables t = DefaultTaxReturnData();
    SetTaxNumber(t, 1, 1, 3, 40000);  // an Integer column
    EXPECT_FALSE(EncodeTaxReturnFile(t).ok());
    TaxReturnTables shapeless;
    EXPECT_FALSE(EncodeTaxReturnFile(shapeless).ok());
}

}  // namespace
}  // namespace tabulo
