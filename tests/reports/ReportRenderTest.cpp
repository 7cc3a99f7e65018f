// The playback of printouts: drawing operations onto a painter (positions, pen widths,
// dotted rules, a text's top-left corner) and whole printouts into PDF files, one file
// per printout that never overwrites another.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/PrintDocument.h"
#include "platform/PrintPlayer.h"
#include "platform/PrinterHost.h"
#include "tests/support/PdfText.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// Dark pixels inside a rectangle of the image.
int DarkIn(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Dark(img, x, y)) ++n;
    return n;
}

// A 100 x 50 unit page played onto 1000 x 500 pixels at 300 dpi: 10 pixels a unit,
// and a pen of DrawWidth n is n pixels wide.
QImage Render(const PrintPage& page) {
    QImage img(1000, 500, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PlayPage(p, page, QRectF(0, 0, 1000, 500), 300);
    p.end();
    return img;
}

TEST(ReportPlayback, UnitsSpreadOverTheAreaAndPensAreDotsOf300PerInch) {
    PrintDocument doc;
    PageWriter w(doc);
    w.NewPage(100, 50);
    w.DrawWidth = 5;
    w.Box(10, 10, 90, 40);
    w.DrawWidth = 1;
    w.DrawStyle = 2;
    w.Line(10, 25, 90, 25);
    const QImage img = Render(doc.pages[0]);

    // The box's left side at x = 100 px, five pixels wide; its inside stays white.
    EXPECT_TRUE(Dark(img, 100, 200));
    EXPECT_TRUE(Dark(img, 101, 200));
    EXPECT_FALSE(Dark(img, 106, 200));
    EXPECT_FALSE(Dark(img, 500, 150));
    EXPECT_TRUE(Dark(img, 500, 100));  // top side at y = 100 px
    EXPECT_TRUE(Dark(img, 899, 300));  // right side at x = 900 px
    // The dotted rule at y = 250 px has gaps.
    int dark = 0;
    for (int x = 200; x < 800; ++x)
        if (Dark(img, x, 250)) ++dark;
    EXPECT_GT(dark, 100);
    EXPECT_LT(dark, 500);
}

TEST(ReportPlayback, ATextHangsFromItsTopLeftCorner) {
    PrintDocument doc;
    PageWriter w(doc);
    w.NewPage(100, 50);
    w.FontName = "ＭＳ 明朝";
    w.FontSize = 12;  // 50 pixels at 300 dpi
    w.PrintAt(50, 20, "日本");
    const QImage img = Render(doc.pages[0]);
    // Nothing above the top at y = 200 px or left of x = 500 px; ink right below.
    EXPECT_EQ(DarkIn(img, QRect(400, 100, 400, 98)), 0);
    EXPECT_EQ(DarkIn(img, QRect(400, 200, 98, 60)), 0);
    EXPECT_GT(DarkIn(img, QRect(500, 200, 100, 50)), 50);
}

std::string RunText(const std::string& command) { return testing::CommandOutput(command); }

TEST(ReportPlayback, EachPrintoutIntoAPdfIsAFileOfItsOwnNamedAfterItAndTheTime) {
    testing::TempFolder home;
    PrinterHost host(home.path());
    host.Printer().setOutputFormat(QPrinter::PdfFormat);
    host.SetClock([] { return std::string("20261208-0912"); });
    fs::path noticed;
    host.OnPdfWritten([&noticed](const fs::path& p) { noticed = p; });

    PrintDocument doc;
    doc.name = "出納簿 04月";
    PageWriter w(doc);
    for (const char* text : {"平成13年04月度出納簿", "2ページ目"}) {
        w.NewPage(160, 193);
        w.FontName = "ＭＳ 明朝";
        w.FontSize = 15;
        w.PrintAt(9, 10, text);
        w.DrawWidth = 5;
        w.Box(8, 14, 154, 182);
    }
    ASSERT_TRUE(host.Print(doc));
    const fs::path first = home.path() / "PDF" / "20261208-0912 出納簿 04月.pdf";
    ASSERT_TRUE(fs::exists(first));
    EXPECT_EQ(noticed, first);
    const std::string text = RunText("pdftotext '" + first.string() + "' -");
    EXPECT_NE(text.find("平成13年04月度出納簿"), std::string::npos) << text;
    EXPECT_NE(text.find("2ページ目"), std::string::npos);
    const std::string info = RunText("pdfinfo '" + first.string() + "'");
    const auto pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_EQ(std::stoi(info.substr(pages + 6)), 2);
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;

    // The same printout in the same minute goes into a second file.
    ASSERT_TRUE(host.Print(doc));
    EXPECT_TRUE(fs::exists(home.path() / "PDF" / "20261208-0912 出納簿 04月 (2).pdf"));
    EXPECT_GT(fs::file_size(first), 0u);
}

}  // namespace
}  // namespace tabulo
