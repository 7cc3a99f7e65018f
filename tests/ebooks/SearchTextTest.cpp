// The compared form of texts: what a user types finds the same text stored in another
// width or case.

#include <gtest/gtest.h>

#include "ebooks/SearchText.h"

namespace tabulo {
namespace {

TEST(FoldForSearch, FullWidthLettersDigitsAndSymbolsReadAsAscii) {
    EXPECT_EQ(FoldForSearch("ＡＢＣ商事１２３！＃（）－"), "abc商事123!#()-");
    EXPECT_EQ(FoldForSearch("ａｂｃ"), "abc");
    EXPECT_EQ(FoldForSearch("ＮＴＴ　１月分"), "ntt 1月分");
}

TEST(FoldForSearch, LatinCapitalsReadAsSmallLetters) {
    EXPECT_EQ(FoldForSearch("NTT Docomo"), "ntt docomo");
    EXPECT_EQ(FoldForSearch("abc"), FoldForSearch("ABC"));
}

TEST(FoldForSearch, HalfWidthKatakanaReadAsFullWidth) {
    EXPECT_EQ(FoldForSearch("ｱｲｳｴｵ"), "アイウエオ");
    EXPECT_EQ(FoldForSearch("ｶﾌﾞｼｷｶﾞｲｼｬ"), "カブシキガイシャ");
    EXPECT_EQ(FoldForSearch("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"), "パピプペポ");
    EXPECT_EQ(FoldForSearch("ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ"), "ダヂヅデド");
    EXPECT_EQ(FoldForSearch("ｳﾞｧｲｵﾘﾝ"), "ヴァイオリン");
    EXPECT_EQ(FoldForSearch("ｺｰﾋｰ｡｢ﾃｽﾄ｣､ｷｬｯｼｭ･ｶｰﾄﾞ"), "コーヒー。「テスト」、キャッシュ・カード");
    EXPECT_EQ(FoldForSearch("ｦﾝ"), "ヲン");
}

TEST(FoldForSearch, AVoicedMarkThatJoinsNothingStandsAlone) {
    // ア takes no voiced mark; a mark at the start has no kana before it.
    EXPECT_EQ(FoldForSearch("ｱﾞ"), "ア゛");
    EXPECT_EQ(FoldForSearch("ﾞｶ"), "゛カ");
    EXPECT_EQ(FoldForSearch("ｶﾟ"), "カ゜");
    // A mark after a kana already voiced does not voice it twice.
    EXPECT_EQ(FoldForSearch("ｶﾞﾞ"), "ガ゛");
}

TEST(FoldForSearch, CombiningMarksJoinFullWidthKana) {
    EXPECT_EQ(FoldForSearch("カ\u3099ハ\u309A"), "ガパ");
}

TEST(FoldForSearch, OtherTextIsKept) {
    EXPECT_EQ(FoldForSearch("株式会社 山田"), "株式会社 山田");
    EXPECT_EQ(FoldForSearch("ひらがな"), "ひらがな");
    EXPECT_EQ(FoldForSearch(""), "");
    // Bytes that are not UTF-8 stay as they are.
    EXPECT_EQ(FoldForSearch("a\xff" "b"), "a\xff" "b");
}

TEST(FoldForSearch, BothSidesFoldedFindEachOther) {
    EXPECT_TRUE(HoldsFolded(FoldForSearch("ｶﾌﾞｼｷｶﾞｲｼｬ山田"), FoldForSearch("ガイシャ")));
    EXPECT_TRUE(HoldsFolded(FoldForSearch("株式会社ヤマダ"), FoldForSearch("ﾔﾏﾀﾞ")));
    EXPECT_FALSE(HoldsFolded(FoldForSearch("株式会社ヤマタ"), FoldForSearch("ﾔﾏﾀﾞ")));
}

}  // namespace
}  // namespace tabulo
