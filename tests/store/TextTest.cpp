#include "store/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tabulo {
namespace {

TEST(Cp932, ConvertsBothWaysWithKnownCodes) {
    // 山 = 8E 52, （ = 81 69, ｱ (half-width) = B1, \ and ~ keep their ASCII bytes.
    EXPECT_EQ(ToCp932("山（ｱ\\~"), std::string("\x8E\x52\x81\x69\xB1\\~"));
    EXPECT_EQ(FromCp932("\x8E\x52\x81\x69\xB1"), std::string("山（ｱ"));
    EXPECT_EQ(ToCp932("plain ASCII, 123"), std::string("plain ASCII, 123"));
}

TEST(Cp932, RefusesWhatHasNoForm) {
    EXPECT_FALSE(ToCp932("絵文字😀").has_value());
    EXPECT_FALSE(ToCp932("한국어").has_value());
    EXPECT_FALSE(IsCp932Text("😀"));
    EXPECT_TRUE(IsCp932Text("髙橋①"));  // NEC and IBM extensions are CP932
    // A lead byte without its second byte, and 0x80, are no CP932 text.
    EXPECT_FALSE(FromCp932("AB\x8E").has_value());
    EXPECT_FALSE(FromCp932("\x80").has_value());
}

TEST(Cp932, WidthCountsBytes) {
    EXPECT_EQ(Cp932Width("ABC"), 3);
    EXPECT_EQ(Cp932Width("ｱｲｳ"), 3);
    EXPECT_EQ(Cp932Width("山田"), 4);
    EXPECT_EQ(Cp932Width("A😀"), 3);
    // Past ASCII, one byte only for the half-width katakana and their marks, U+FF61
    // (｡) to U+FF9F (ﾟ), and the yen sign and overline, which become 0x5C and 0x7E.
    EXPECT_EQ(Cp932Width("｡ﾟ"), 2);
    EXPECT_EQ(Cp932Width("｠ￂ"), 4);  // U+FF60, U+FFC2: no one-byte form
    EXPECT_EQ(Cp932Width("ＡＢ"), 4);
    EXPECT_EQ(Cp932Width("①髙"), 4);
    EXPECT_EQ(Cp932Width("¥‾"), 2);
    EXPECT_EQ(Cp932Width("￥"), 2);  // the full-width yen sign
    EXPECT_EQ(Cp932Width("\xC2\xA6\xE2\x80\xBF"), 4);  // their neighbours U+00A6, U+203F
    EXPECT_EQ(Cp932Width(""), 0);
    // A byte that starts no character counts as one character of no form.
    EXPECT_EQ(Cp932Width("A\x80" "B"), 4);
    EXPECT_EQ(Cp932Width("\xEF\xBD" "A"), 2);  // a broken sequence is one character
}

TEST(CutToBytes, KeepsWholeCharacters) {
    const std::string eight = "あいうえおかきく";
    EXPECT_EQ(CutToBytes(eight, 16), eight);
    EXPECT_EQ(CutToBytes(eight + "け", 16), eight);
    EXPECT_EQ(CutToBytes("ABC山", 4), "ABC");
    EXPECT_EQ(CutToBytes("ABC山", 5), "ABC山");
    EXPECT_EQ(CutToBytes("ｱｲｳｴｵｶｷｸｹｺ", 4), "ｱｲｳｴ");
    EXPECT_EQ(CutToBytes("ABCDEFG", 3), "ABC");
    EXPECT_EQ(CutToBytes("ABC", 0), "");
    EXPECT_EQ(CutToBytes("short", 10), "short");
}

TEST(KeyCodeOf, OneByteGivesByteValueOthersNegative) {
    EXPECT_EQ(KeyCodeOf(U'A'), 65);
    EXPECT_EQ(KeyCodeOf(U' '), 32);
    EXPECT_EQ(KeyCodeOf(U'ｱ'), 0xB1);
    EXPECT_LT(KeyCodeOf(U'１'), 0);
    EXPECT_LT(KeyCodeOf(U'山'), 0);
    EXPECT_LT(KeyCodeOf(U'😀'), 0);
}

TEST(KeyFilters, AcceptExactlyTheirCharacters) {
    struct Case {
        int (*filter)(int);
        std::string accepted;
    };
    const std::string digits = "0123456789";
    const Case cases[] = {
        {AcceptCodeChar, " #()/&-" + digits + "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {AcceptDigitsAndDash, digits + "-"},
        {AcceptNumber, digits + ".-"},
        {AcceptDigits, digits},
        {AcceptRate, digits + "./-"},
    };
    for (const auto& c : cases) {
        for (int key = 0; key < 256; ++key) {
            bool inSet = key < 128 && c.accepted.find(static_cast<char>(key)) != std::string::npos;
            EXPECT_EQ(c.filter(key), inSet ? 0 : 1) << "key " << key << " set " << c.accepted;
        }
        // A full-width digit arrives with a negative code.
        EXPECT_EQ(c.filter(KeyCodeOf(U'１')), 1);
    }
    EXPECT_EQ(AcceptCodeChar('a'), 1);
}

TEST(TextHelpers, TrimAndBlank) {
    EXPECT_EQ(TrimRight("  ab  "), "  ab");
    EXPECT_EQ(Trim("  ab  "), "ab");
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("      "));
    EXPECT_FALSE(IsBlank("  1   "));
}

TEST(TextHelpers, AlignByCharacters) {
    EXPECT_EQ(RightAlign("1,234", 10), "     1,234");
    EXPECT_EQ(RightAlign("12,345,678,901", 10), "45,678,901");
    EXPECT_EQ(RightAlign("売上", 4), "  売上");
    EXPECT_EQ(LeftAlign("売上", 4), "売上  ");
    EXPECT_EQ(LeftAlign("abcdef", 3), "abc");
}

TEST(TextHelpers, FormatAmountPatterns) {
    EXPECT_EQ(FormatAmount(0, false), "0");
    EXPECT_EQ(FormatAmount(0, true), "");
    EXPECT_EQ(FormatAmount(999, false), "999");
    EXPECT_EQ(FormatAmount(1000, true), "1,000");
    EXPECT_EQ(FormatAmount(-1234567, false), "-1,234,567");
    EXPECT_EQ(FormatAmount(2147483647, false), "2,147,483,647");
    EXPECT_EQ(FormatAmount(-2147483648LL, false), "-2,147,483,648");
    EXPECT_EQ(FormatAmount(INT64_MIN, false), "-9,223,372,036,854,775,808");
    std::string text = "残高 ";
    AppendAmount(text, 100000);
    AppendAmount(text, 0);
    EXPECT_EQ(text, "残高 100,0000");
}

TEST(TextHelpers, ValReadsLeadingNumber) {
    EXPECT_DOUBLE_EQ(Val("  123abc"), 123);
    EXPECT_DOUBLE_EQ(Val("-12.5"), -12.5);
    EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
}

TEST(TextHelpers, AmountFromTextChecksRange) {
    EXPECT_EQ(AmountFromText("1,234,567"), 1234567);
    EXPECT_EQ(AmountFromText("-500"), -500);
    EXPECT_EQ(AmountFromText("2,147,483,647"), 2147483647);
    // One yen more than a 32-bit amount holds must not wrap to a negative amount.
    EXPECT_FALSE(AmountFromText("2,147,483,648").has_value());
    EXPECT_FALSE(AmountFromText("99999999999").has_value());
    EXPECT_EQ(AmountFromText(""), 0);
}

}  // namespace
}  // namespace tabulo
