// The item master's cell commits, key rules and the rows and header it saves.
#include <gtest/gtest.h>

#include "master/MasterEdit.h"

namespace tabulo {
namespace {

const std::array<std::string, 8> kKubunNames = {"",     "収入", "収入", "収入",
                                                "支出", "支出", "支出", ""};

TEST(MasterCells, NamesAreCutTo16BytesAtACharacterBoundary) {
    EXPECT_EQ(CommitCellText(MasterColumn::Name, "一二三四五六七八九"), "一二三四五六七八");
    EXPECT_EQ(CommitCellText(MasterColumn::Name, "一二三四五六七八"), "一二三四五六七八");
    // 15 single-byte characters leave one byte: the double-byte one is left out whole.
    EXPECT_EQ(CommitCellText(MasterColumn::Name, "ABCDEFGHIJKLMNO費"), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(CommitCellText(MasterColumn::Name, "ｶﾞｿﾘﾝ代"), "ｶﾞｿﾘﾝ代");
}

TEST(MasterCells, CodesShowTheirNumberRightAlignedInThree) {
    EXPECT_EQ(CommitCellText(MasterColumn::Kubun, "7"), "  7");
    EXPECT_EQ(CommitCellText(MasterColumn::Kubun2, ""), "  0");
    EXPECT_EQ(CommitCellText(MasterColumn::Kubun3, "012"), " 12");
    EXPECT_EQ(CodeCellText(0), "  0");
    // A code from a file wider than the cell shows whole instead of losing digits.
    EXPECT_EQ(CodeCellText(1234), "1234");
    EXPECT_EQ(ItemNoCellText(7), "  7");
    EXPECT_EQ(ItemNoCellText(50), " 50");
}

TEST(MasterKeys, GridColumnsTakeTheirCharacters) {
    for (char32_t d = U'0'; d <= U'7'; ++d) {
        EXPECT_TRUE(AcceptsGridKey(MasterColumn::Kubun, d));
        EXPECT_TRUE(AcceptsGridKey(MasterColumn::Kubun2, d));
    }
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Kubun, U'8'));
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Kubun2, U'9'));
    EXPECT_TRUE(AcceptsGridKey(MasterColumn::Kubun3, U'9'));
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Kubun3, U'a'));
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Kubun3, U'３'));

    EXPECT_TRUE(AcceptsGridKey(MasterColumn::Name, U'あ'));
    EXPECT_TRUE(AcceptsGridKey(MasterColumn::Name, U'ｱ'));
    EXPECT_TRUE(AcceptsGridKey(MasterColumn::Name, U'a'));
    EXPECT_TRUE(AcceptsGridKey(MasterColumn::Name, U','));
    // The quote would end the string in MASTER.DAT; an emoji has no CP932 form.
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Name, U'"'));
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::Name, U'\U0001F600'));
    EXPECT_FALSE(AcceptsGridKey(MasterColumn::No, U'1'));
}

TEST(MasterKeys, HeaderBoxesUpperCaseAndPhonesTakeDigitsAndDash) {
    EXPECT_EQ(HeaderKeyTransform(U'a'), U'A');
    EXPECT_EQ(HeaderKeyTransform(U'z'), U'Z');
    EXPECT_EQ(HeaderKeyTransform(U'あ'), U'あ');
    EXPECT_EQ(HeaderKeyTransform(U'1'), U'1');
    for (int box : {7, 8, 12}) {
        EXPECT_TRUE(AcceptsHeaderKey(box, U'0'));
        EXPECT_TRUE(AcceptsHeaderKey(box, U'-'));
        EXPECT_FALSE(AcceptsHeaderKey(box, U'A'));
        EXPECT_FALSE(AcceptsHeaderKey(box, U'（'));
        EXPECT_FALSE(AcceptsHeaderKey(box, U' '));
    }
    for (int box : {1, 2, 6, 11}) {
        EXPECT_TRUE(AcceptsHeaderKey(box, U'A'));
        EXPECT_TRUE(AcceptsHeaderKey(box, U'山'));
        EXPECT_FALSE(AcceptsHeaderKey(box, U'"'));
        EXPECT_FALSE(AcceptsHeaderKey(box, U'\U0001F600'));
    }
}

TEST(MasterRows, CellsBecomeItemsWithPaddedNamesAndCategoryNames) {
    ItemEntry sales = ItemFromCells({"売上", "  1", "  1", "  1"}, kKubunNames);
    EXPECT_EQ(sales.ItemName, "売上            ");  // 4 + 12 = 16 bytes
    EXPECT_EQ(sales.ItemKubun, 1);
    EXPECT_EQ(sales.ItemKubunName, "収入");
    EXPECT_EQ(sales.ItemKubun2, 1);
    EXPECT_EQ(sales.ItemKubun3, 1);

    ItemEntry full = ItemFromCells({"一二三四五六七八", "  4", "  0", " 12"}, kKubunNames);
    EXPECT_EQ(full.ItemName, "一二三四五六七八");
    EXPECT_EQ(full.ItemKubunName, "支出");
    EXPECT_EQ(full.ItemKubun3, 12);

    ItemEntry blank = ItemFromCells({"", "  0", "  0", "  0"}, kKubunNames);
    EXPECT_EQ(blank.ItemName, std::string(16, ' '));
    EXPECT_EQ(blank.ItemKubunName, "");
    EXPECT_EQ(ItemFromCells({"", "  7", "", ""}, kKubunNames).ItemKubunName, "");

    // Keys allow 77; there is no category name for it and none is made up.
    ItemEntry odd = ItemFromCells({"x", " 77", "", ""}, kKubunNames);
    EXPECT_EQ(odd.ItemKubun, 77);
    EXPECT_EQ(odd.ItemKubunName, "");
}

TEST(MasterRows, HeaderBoxesMapToTheFileOrderAroundTheTradeName) {
    std::array<std::string, kHeaderBoxCount> boxes;
    for (int i = 0; i < kHeaderBoxCount; ++i) boxes[i] = "box" + std::to_string(i + 1);
    MasterHeaderArray h = HeaderFromBoxes(boxes);
    EXPECT_EQ(h[MasterField::BusinessName], "box1");
    EXPECT_EQ(h[MasterField::LineOfBusiness], "box4");
    EXPECT_EQ(h[MasterField::TradeName], "box1");
    EXPECT_EQ(h[MasterField::Name], "box5");
    EXPECT_EQ(h[MasterField::PhoneHome], "box7");
    EXPECT_EQ(h[MasterField::AccountantPhone], "box12");
}

TEST(MasterRows, BusinessNameIsCutTo24BytesAndCopiedToTheTradeName) {
    std::array<std::string, kHeaderBoxCount> boxes;
    boxes[0] = "株式会社山田商店東京新宿支店";  // 14 double-byte characters, 28 bytes
    MasterHeaderArray h = HeaderFromBoxes(boxes);
    EXPECT_EQ(h[MasterField::BusinessName], "株式会社山田商店東京新宿");
    EXPECT_EQ(h[MasterField::TradeName], h[MasterField::BusinessName]);
    boxes[0] = "A株式会社山田商店東京新宿";  // 1 + 24 bytes: the last character goes whole
    EXPECT_EQ(HeaderFromBoxes(boxes)[MasterField::BusinessName], "A株式会社山田商店東京新");
}

}  // namespace
}  // namespace tabulo
