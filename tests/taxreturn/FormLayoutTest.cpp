// The layout files: every record type, the page set-up and its scale, the formSlots of
// records 9 and 10, the offsets that move the data and never the form, and the
// files the program ships.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ShippedFiles.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementPage4.h"
#include "taxreturn/StatementSlots.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

std::vector<std::byte> Bytes(const std::string& utf8) {
    const std::string cp = *ToCp932(utf8);
    std::vector<std::byte> b(cp.size());
    for (std::size_t i = 0; i < cp.size(); ++i) b[i] = static_cast<std::byte>(cp[i]);
    return b;
}

FormLayout Parse(const std::string& text) {
    auto r = ParseFormLayout(Bytes(text), "test.FRW");
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().detail);
    return r.ok() ? *r : FormLayout{};
}

std::string Detail(const std::string& text) {
    auto r = ParseFormLayout(Bytes(text), "test.FRW");
    EXPECT_FALSE(r.ok());
    return r.ok() ? std::string() : r.error().detail;
}

// The A4 example: a frame 2000 units wide on A4 portrait.
const char* kA4Head = "7,\"表題\"\r\n1,0,0,2000,2880\r\n8,1,1,0\r\n";

TEST(FormLayout, PageSetUpScalesTheFrameOntoA4Portrait) {
    const FormLayout L = Parse(std::string(kA4Head) + "9,100,50,\"\",0\r\n0\r\n");
    EXPECT_EQ(L.orientation, 1);
    EXPECT_EQ(L.paper, 1);
    EXPECT_NEAR(L.sx, 5.5566, 1e-9);
    EXPECT_NEAR(L.sy, 16046.101 / 2880, 1e-9);
    EXPECT_DOUBLE_EQ(L.pageWidth, 11113.2);
    ASSERT_EQ(L.formSlots.size(), 1u);
    // After the set-up the horizontal shift is 2 units: (100 + 2) x 5.5566.
    EXPECT_NEAR(L.formSlots[0].x, 566.7732, 1e-6);
    EXPECT_NEAR(L.formSlots[0].y, 50 * 16046.101 / 2880, 1e-6);
}

TEST(FormLayout, OtherPapersAndLandscape) {
    double w = 0, h = 0;
    ASSERT_TRUE(PaperSize(3, 2, w, h));
    EXPECT_DOUBLE_EQ(w, 19278.0);
    EXPECT_DOUBLE_EQ(h, 13381.2);
    EXPECT_FALSE(PaperSize(5, 1, w, h));
    const FormLayout L = Parse("1,0,0,1000,1000\r\n8,2,0,0\r\n0\r\n");
    EXPECT_EQ(L.orientation, 2);
    EXPECT_NEAR(L.sx, 23020.201 / 1000, 1e-9);
}

TEST(FormLayout, DrawingRecordsBecomeNavyOperationsOnWholeTwips) {
    const FormLayout L = Parse(std::string(kA4Head) +
                               "6,3,0\r\n2,0,0,100,0\r\n6,1,2\r\n3,10.5,10,20,20\r\n"
                               "5,\"ＭＳ 明朝\",10.5\r\n4,30,40,\"損益計算書\"\r\n"
                               "11,1,2,\"無視\"\r\n0\r\n");
    ASSERT_EQ(L.form.ops.size(), 3u);
    const DrawOp& line = L.form.ops[0];
    EXPECT_EQ(line.kind, DrawKind::Line);
    EXPECT_EQ(line.color, kFormColor);
    EXPECT_EQ(line.x1, std::round(2 * 5.5566));
    EXPECT_EQ(line.x2, std::round(102 * 5.5566));
    EXPECT_EQ(line.width, 4);  // a bold rule
    const DrawOp& box = L.form.ops[1];
    EXPECT_EQ(box.kind, DrawKind::Box);
    EXPECT_EQ(box.x1, std::round(12.5 * 5.5566));
    EXPECT_EQ(box.width, 1);
    EXPECT_EQ(box.style, 2);
    const DrawOp& text = L.form.ops[2];
    EXPECT_EQ(text.text, "損益計算書");
    EXPECT_EQ(text.font, "ＭＳ 明朝");
    EXPECT_DOUBLE_EQ(text.size, 10.5);
    EXPECT_NEAR(text.x1, 32 * 5.5566, 1e-9);  // texts keep their fractions
    EXPECT_EQ(L.dataFont, "ＭＳ 明朝");
}

TEST(FormLayout, GridSlotsRowByRowWithTheFontOnlyOnTheFirst) {
    std::string grid = "10,3,2,100,40,\"ＭＳ ゴシック\",12";
    for (int c = 0; c < 20; ++c) grid += "," + std::to_string(10 + 100 * c);
    const FormLayout L = Parse(std::string(kA4Head) + "9,1,1,\"ＭＳ 明朝\",9\r\n" + grid +
                               "\r\n9,5,5,\"\",0\r\n0\r\n");
    ASSERT_EQ(L.formSlots.size(), 8u);
    EXPECT_EQ(L.formSlots[0].font, "ＭＳ 明朝");
    EXPECT_EQ(L.formSlots[1].font, "ＭＳ ゴシック");
    EXPECT_DOUBLE_EQ(L.formSlots[1].size, 12);
    for (int k = 2; k <= 6; ++k) {
        EXPECT_EQ(L.formSlots[k].font, "");
        EXPECT_EQ(L.formSlots[k].size, 0);
    }
    // Slots 2..4 the first row, 5..7 the second: columns at 10, 110, 210.
    EXPECT_NEAR(L.formSlots[2].x, 112 * 5.5566, 1e-9);
    EXPECT_NEAR(L.formSlots[4].x, 12 * 5.5566, 1e-9);
    EXPECT_NEAR(L.formSlots[4].y, 140 * L.sy, 1e-9);
    EXPECT_EQ(L.formSlots[7].font, "");  // an empty font and size 0 change nothing
}

TEST(FormLayout, UnknownCodesAreSkippedWithoutReadingValues) {
    // 99 is no record: the next value (9) is read as a code again.
    const FormLayout L = Parse(std::string(kA4Head) + "99,9,1,1,\"\",0\r\n0\r\n");
    EXPECT_EQ(L.formSlots.size(), 1u);
}

TEST(FormLayout, FaultyLayoutsAreRefusedWithTheReason) {
    EXPECT_NE(Detail(std::string(kA4Head) + "9,1,1,\"\",0\r\n").find("終わりのレコード"),
              std::string::npos);
    EXPECT_NE(Detail(std::string(kA4Head) + "2,1,1\r\n").find("途中で終わって"), std::string::npos);
    EXPECT_NE(Detail(std::string(kA4Head) + "2,1,x,3,4\r\n0\r\n").find("数値が正しくありません"),
              std::string::npos);
    std::string many = kA4Head;
    for (int i = 0; i < 501; ++i) many += "9,1,1,\"\",0\r\n";
    EXPECT_NE(Detail(many + "0\r\n").find("500"), std::string::npos);
    std::string exactly = kA4Head;
    for (int i = 0; i < 500; ++i) exactly += "9,1,1,\"\",0\r\n";
    EXPECT_EQ(Parse(exactly + "0\r\n").formSlots.size(), 500u);
    EXPECT_NE(Detail("1,0,0,0,100\r\n8,1,1,0\r\n0\r\n").find("幅か高さ"), std::string::npos);

    testing::TempFolder dir;
    auto missing = LoadFormLayout(dir / "FORM/shinkoku-1.FRW");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().path.find("shinkoku-1.FRW"), std::string::npos);
}

TEST(FormLayout, ValuesOutsideTheirSaneRangeAreLayoutErrors) {
    const std::string head = kA4Head;
    struct Case {
        std::string record;
        const char* reason;
    };
    const Case cases[] = {
        {"5,\"明朝\",1000000000000\r\n", "数値が範囲外です（文字の大きさ）"},
        {"5,\"明朝\",-9\r\n", "数値が範囲外です（文字の大きさ）"},
        {"9,100,100,\"明朝\",201\r\n", "数値が範囲外です（文字の大きさ）"},
        {"10,1,1,0,0,\"\",99999999,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n",
         "数値が範囲外です（文字の大きさ）"},
        {"2,0,0,100000000000,5\r\n", "数値が範囲外です（線）"},
        {"4,-1000000,5,\"文字\"\r\n", "数値が範囲外です（文字の位置）"},
        {"9,5,999999999999,\"\",0\r\n", "数値が範囲外です（データの位置）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        auto r = ParseFormLayout(Bytes(head + c.record + "0\r\n"), "test.FRW");
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().path, "test.FRW");
        EXPECT_NE(r.error().detail.find(c.reason), std::string::npos) << r.error().detail;
    }
    // A frame a thousandth of a unit wide scales every position far off the paper.
    const std::string tiny = "1,0,0,0.001,2880\r\n8,1,1,0\r\n";
    EXPECT_NE(Detail(tiny + "2,0,0,10,10\r\n0\r\n").find("用紙から大きく外れています（線）"),
              std::string::npos);
    EXPECT_NE(Detail(tiny + "9,10,10,\"\",0\r\n0\r\n").find("用紙から大きく外れています"),
              std::string::npos);
    // The limits themselves are values a layout may hold.
    const FormLayout L = Parse(head + "5,\"明朝\",200\r\n9,100000,-100000,\"\",0\r\n0\r\n");
    EXPECT_EQ(L.formSlots.size(), 1u);
}

TEST(FormLayout, OffsetsMoveTheDataAndNeverTheForm) {
    const FormLayout L = Parse(std::string(kA4Head) +
                               "2,0,0,100,0\r\n9,100,50,\"\",0\r\n"
                               "9,200,50,\"\",0\r\n0\r\n");
    const PrintOffsets off = OffsetsFromSettings("-10", "5");
    auto doc = RenderStatementPage(L, {{"A", 14, 0}, {"B", 0, 0}}, off, true, "p", "f");
    ASSERT_TRUE(doc.ok());
    const auto& ops = doc->pages.at(0).ops;
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0], L.form.ops[0]);  // the form line did not move
    EXPECT_NEAR(ops[1].x1, L.formSlots[0].x - 10 * L.sx, 1e-9);
    EXPECT_NEAR(ops[1].y1, L.formSlots[0].y + 5 * L.sy, 1e-9);
    EXPECT_EQ(ops[1].color, kDataColor);
    EXPECT_DOUBLE_EQ(ops[1].size, 14);
    EXPECT_DOUBLE_EQ(ops[2].size, 14);  // the size in force carries on
    EXPECT_DOUBLE_EQ(doc->pages[0].scaleWidth, 11113.2);

    // Data alone for pre-printed paper: no form operations at all.
    auto data = RenderStatementPage(L, {{"A", 0, 0}}, {}, false, "p", "f");
    ASSERT_EQ(data->pages[0].ops.size(), 1u);
    EXPECT_EQ(data->pages[0].ops[0].text, "A");

    // Too few formSlots for the data: refused, naming the file.
    auto short_ = RenderStatementPage(L, {{"A"}, {"B"}, {"C"}}, {}, true, "p", "shinkoku-9.FRW");
    ASSERT_FALSE(short_.ok());
    EXPECT_EQ(short_.error().path, "shinkoku-9.FRW");
}

// The year came to the pages after their first layouts: a layout drawn without its
// slot prints the page without the year, one with it prints the year there.
TEST(FormLayout, AnOlderLayoutWithoutTheYearSlotStillPrints) {
    const FormLayout older = Parse(std::string(kA4Head) + "9,100,50,\"\",0\r\n0\r\n");
    const FormLayout newer =
        Parse(std::string(kA4Head) + "9,100,50,\"\",0\r\n9,300,50,\"\",0\r\n0\r\n");
    SlotText year{"13", 14, 2};
    year.optional = true;
    const std::vector<SlotText> texts{{"A", 10, 0}, year};
    auto a = RenderStatementPage(older, texts, {}, false, "p", "f");
    ASSERT_TRUE(a.ok());
    ASSERT_EQ(a->pages[0].ops.size(), 1u);
    EXPECT_EQ(a->pages[0].ops[0].text, "A");
    auto b = RenderStatementPage(newer, texts, {}, false, "p", "f");
    ASSERT_TRUE(b.ok());
    ASSERT_EQ(b->pages[0].ops.size(), 2u);
    EXPECT_EQ(b->pages[0].ops[1].text, "13");
    EXPECT_NEAR(b->pages[0].ops[1].x1, newer.formSlots[1].x, 1e-9);
    // A slot that is not optional is still required.
    const FormLayout none = Parse(std::string(kA4Head) + "0\r\n");
    EXPECT_FALSE(RenderStatementPage(none, texts, {}, false, "p", "f").ok());
}

TEST(FormLayout, AFigureWiderThanItsBoxesMovesLeftInsteadOfBeingCut) {
    const FormLayout L =
        Parse(std::string(kA4Head) + "9,100,50,\"\",0\r\n9,100,90,\"\",0\r\n0\r\n");
    auto doc = RenderStatementPage(L, {{"1 2 3 4 5 6 7 8 9", 14, 15}, {"  1 2 3 4 5 6 7", 14, 15}},
                                   {}, false, "p", "f");
    const auto& ops = doc->pages.at(0).ops;
    // Two characters too many at 14 points: 2 x 140 twips to the left, so the last
    // digit ends where the field ends.
    EXPECT_NEAR(ops[0].x1, L.formSlots[0].x - 280, 1e-9);
    EXPECT_EQ(ops[0].text, "1 2 3 4 5 6 7 8 9");
    EXPECT_NEAR(ops[1].x1, L.formSlots[1].x, 1e-9);
}

// The shipped layouts: each reads, fits A4 portrait and has exactly its page's formSlots.
TEST(FormLayout, ShippedLayoutsHaveTheSlotsOfTheirPages) {
    const std::filesystem::path folder = std::filesystem::path(TABULO_SOURCE_DIR) / "FORM";
    const int expected[4] = {kPage1Slots, kPage2Slots, kPage3Slots, kPage4Slots};
    for (int page = 1; page <= 4; ++page) {
        auto L = LoadFormLayout(LayoutPath(folder.parent_path(), page));
        ASSERT_TRUE(L.ok()) << page << ": " << (L.ok() ? "" : L.error().detail);
        EXPECT_EQ(L->orientation, 1);
        EXPECT_EQ(L->paper, 1);
        EXPECT_EQ(static_cast<int>(L->formSlots.size()), expected[page - 1] + kYearSlots) << page;
        EXPECT_GT(L->form.ops.size(), 100u) << page;
        // Everything lies on the printable area.
        for (const DrawOp& op : L->form.ops) {
            EXPECT_GE(op.x1, 0);
            EXPECT_LE(std::max(op.x1, op.x2), L->pageWidth);
            EXPECT_LE(std::max(op.y1, op.y2), L->pageHeight);
        }
        for (const FormSlot& s : L->formSlots) {
            EXPECT_GE(s.x, 0);
            EXPECT_LT(s.x, L->pageWidth);
            EXPECT_LT(s.y, L->pageHeight);
        }
    }
}

}  // namespace
}  // namespace tabulo

namespace tabulo {
namespace {

// The build puts the layouts beside the executable; the first start copies them into
// the program folder, where the statement pages look for them.
TEST(FormLayout, ShippedLayoutsReachTheProgramFolderAtFirstStart) {
    testing::TempFolder home;
    const auto copied = CopyShippedFiles(ShippedFilesFolder(TABULO_EXE_DIR), home.path());
    EXPECT_TRUE(copied.failures.empty());
    for (int page = 1; page <= 4; ++page) {
        const auto path = LayoutPath(home.path(), page);
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_TRUE(LoadFormLayout(path).ok()) << path;
    }
    // Only layouts go into FORM/: the script that draws them stays behind.
    EXPECT_FALSE(std::filesystem::exists(home / "FORM/draw_layouts.py"));
}

}  // namespace
}  // namespace tabulo

namespace tabulo {
namespace {

TEST(FormLayout, FitToPaperKeepsTwipsAndCentresThePage) {
    PrintDocument doc;
    PrintPage page;
    page.scaleWidth = 11113.2;
    page.scaleHeight = 16046.1;
    DrawOp op;
    op.x1 = op.x2 = 100;
    op.y1 = op.y2 = 200;
    page.ops.push_back(op);
    doc.pages.push_back(page);
    // A4 (11906 x 16838 twips) drawn inside 5 mm (283.5 twips) margins.
    const PrintDocument fit = FitToPaper(doc, 283.5, 283.5, 11339, 16271, 11906, 16838);
    const PrintPage& p = fit.pages[0];
    EXPECT_DOUBLE_EQ(p.scaleWidth, 11339);
    EXPECT_DOUBLE_EQ(p.scaleHeight, 16271);
    // The printable area's corner lands (11906 - 11113.2) / 2 twips from the paper's edge.
    EXPECT_NEAR(p.ops[0].x1 + 283.5, 100 + (11906 - 11113.2) / 2, 1e-9);
    EXPECT_NEAR(p.ops[0].y1 + 283.5, 200 + (16838 - 16046.1) / 2, 1e-9);
}

}  // namespace
}  // namespace tabulo
