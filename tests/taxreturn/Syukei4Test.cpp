// Statement page 4 driven by keys on the offscreen platform: the balance sheet of a
// small year's books on both days, the manufacturing figures typed, summed, kept in
// their own file and read back; the preview with the data where the layout puts
// them, moved by the print offsets, data alone; and a PDF of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/PrinterHost.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "taxreturn/StatementPreview.h"
#include "taxreturn/Syukei4.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/RecordingPrinter.h"
#include "tests/support/TempFolder.h"
#include "ui/AppContext.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using testing::ReadBytes;

class Page4Screen : public ::testing::Test {
  protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        StatementPreview::SetDataOnlySetting(false);
        s.ProgramFolder = TABULO_SOURCE_DIR;  // FORM/ with the shipped layouts
        s.DataFolder = dir.path();
        s.LedgerPath = dir / "KEIRI07.DAT";
        s.TaxReturnPath = dir / "SHINKOKU.DAT";
        s.FiscalYear = 7;
        s.EraName = "令和";
        s.SetupLines[3] = "0";
        s.SetupLines[4] = "0";
        // Cash and a loan to start with, a credit sale, a desk bought from the till.
        SlipBook book;
        book.Openings = {{AccountCode::Cash, 100000}, {AccountCode::Loans, 50000}};
        book.Slips = {{"070410", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り"},
                      {"070601", 115, AccountCode::Cash, 30000, "机"}};
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
        app.output = &printer;
    }
    static void Show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    static void Shot(QWidget& w, const char* name) {
        if (const char* shots = std::getenv("TABULO_SHOTS"))
            w.grab().save(QString::fromLocal8Bit(shots) + QLatin1Char('/') + QLatin1String(name));
    }
    static void Type(QLineEdit* box, const QString& text, Qt::Key leave = Qt::Key_Tab) {
        box->setFocus();
        QApplication::processEvents();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, leave);
        QApplication::processEvents();
    }

    testing::TempFolder dir;
    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    testing::RecordingPrinter printer;
    AppContext app{s, prompt, toolbar};
};

TEST_F(Page4Screen, TheBalanceSheetOfTheBooksOnBothDays) {
    Syukei4 form(app);
    ASSERT_TRUE(form.Loaded());
    Show(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("青色申告書４ページ"));
    EXPECT_EQ(form.Opening(AccountCode::Cash)->text(), QStringLiteral("   100,000"));
    EXPECT_EQ(form.Closing(AccountCode::Cash)->text(), QStringLiteral("    70,000"));
    EXPECT_EQ(form.Closing(AccountCode::Receivables)->text(), QStringLiteral("    80,000"));
    EXPECT_EQ(form.Closing(115)->text(), QStringLiteral("    30,000"));
    EXPECT_EQ(form.Opening(115)->text(), QStringLiteral(""));
    EXPECT_EQ(form.Closing(AccountCode::Loans)->text(), QStringLiteral("    50,000"));
    // No 元入金 kept: the opening assets less the opening liabilities, and said so.
    EXPECT_EQ(form.Opening(AccountCode::Capital)->text(), QStringLiteral("    50,000"));
    EXPECT_EQ(form.Closing(AccountCode::Capital)->text(), QStringLiteral("    50,000"));
    EXPECT_EQ(form.Income()->text(), QStringLiteral("    80,000"));
    EXPECT_EQ(form.TotalOpening(0)->text(), QStringLiteral("   100,000"));
    EXPECT_EQ(form.TotalOpening(1)->text(), QStringLiteral("   100,000"));
    EXPECT_EQ(form.TotalClosing(0)->text(), QStringLiteral("   180,000"));
    EXPECT_EQ(form.TotalClosing(1)->text(), QStringLiteral("   180,000"));
    EXPECT_TRUE(form.Closing(AccountCode::Cash)->isReadOnly());
    EXPECT_FALSE(form.notesLabel()->isHidden());
    EXPECT_NE(form.notesLabel()->text().indexOf(QStringLiteral("元入金")), -1);
    EXPECT_EQ(form.notesLabel()->text().indexOf(QStringLiteral("一致しません")), -1);
    Shot(form, "Syukei4.png");
    form.EndYesNo_Click();
    // Nothing typed: the year keeps no manufacturing file.
    EXPECT_FALSE(std::filesystem::exists(ManufacturingCostPath(s)));
}

TEST_F(Page4Screen, ManufacturingTypedByKeysIsSummedSavedAndReadBack) {
    {
        Syukei4 form(app);
        Show(form);
        QLineEdit* bought = form.CostLine(2);
        bought->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(bought, QStringLiteral("400000"));
        QTest::keyClick(bought, Qt::Key_Return);  // Enter goes on past the sum to line 4
        QApplication::processEvents();
        EXPECT_TRUE(form.CostLine(4)->hasFocus());
        EXPECT_EQ(bought->text(), QStringLiteral("   400,000"));
        EXPECT_EQ(form.CostLine(3)->text(), QStringLiteral("   400,000"));
        EXPECT_TRUE(form.CostLine(3)->isReadOnly());
        Type(form.CostLine(4), QStringLiteral("60000"));
        Type(form.CostLine(6), QStringLiteral("300000"));
        Type(form.CostName(12), QStringLiteral("包装材料"));
        Type(form.CostLine(12), QStringLiteral("3000"));
        Type(form.CostLine(22), QStringLiteral("25000"));
        EXPECT_EQ(form.CostLine(5)->text(), QStringLiteral("   340,000"));
        EXPECT_EQ(form.CostLine(18)->text(), QStringLiteral("     3,000"));
        EXPECT_EQ(form.CostLine(19)->text(), QStringLiteral("   643,000"));
        EXPECT_EQ(form.CostLine(23)->text(), QStringLiteral("   618,000"));
        // A figure whose sums would leave the range is refused and said so.
        Type(form.CostLine(7), QStringLiteral("99999999"));
        Type(form.CostLine(8), QStringLiteral("99999999"));
        Type(form.CostLine(9), QStringLiteral("99999999"));
        const std::size_t before = prompt.shown.size();
        for (int line : {10, 11, 13, 14, 15, 16, 17, 20})
            Type(form.CostLine(line), QStringLiteral("99999999"));
        ASSERT_GT(prompt.shown.size(), before);
        EXPECT_NE(prompt.LastText().find("金額が大きすぎる"), std::string::npos);
        for (int line : {7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 20})
            Type(form.CostLine(line), QStringLiteral("0"));
        EXPECT_EQ(form.CostLine(23)->text(), QStringLiteral("   618,000"));
        Shot(form, "Syukei4-cost.png");
        form.EndYesNo_Click();
    }
    auto kept = LoadManufacturingCost(ManufacturingCostPath(s));
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->lines[2], 400000);
    EXPECT_EQ(kept->lines[12], 3000);
    EXPECT_EQ(kept->lines[23], 618000);
    EXPECT_EQ(kept->freeNames[0], "包装材料");
    Syukei4 again(app);
    EXPECT_EQ(again.CostLine(6)->text(), QStringLiteral("   300,000"));
    EXPECT_EQ(again.CostName(12)->text(), QStringLiteral("包装材料"));
    EXPECT_EQ(again.CostLine(23)->text(), QStringLiteral("   618,000"));
}

TEST_F(Page4Screen, ADamagedSlipBookIsNamedAndTheScreenStaysEmpty) {
    std::string bytes = ReadBytes(SlipBookPath(s));
    bytes.pop_back();
    testing::WriteBytes(SlipBookPath(s), bytes);
    Syukei4 form(app);
    EXPECT_FALSE(form.Loaded());
    EXPECT_NE(prompt.LastText().find("FURIKAE07.DAT"), std::string::npos);
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), bytes);
}

TEST_F(Page4Screen, FitsASmallScreen) {
    Syukei4 form(app);
    const QSize least = form.minimumSizeHint().expandedTo(form.minimumSize());
    EXPECT_LE(least.width(), 1366);
    EXPECT_LE(least.height(), 768 - 40);
    EXPECT_LE(form.size().width(), 1366);
}

// The preview: the form in navy, each figure in black at its slot moved by the print
// offsets while the form stays; data alone for pre-printed paper.
TEST_F(Page4Screen, ThePreviewPutsEachFigureAtItsSlotMovedByTheOffsets) {
    s.SetupLines[3] = "10";
    s.SetupLines[4] = "-5";
    auto layout = LoadFormLayout(LayoutPath(s.ProgramFolder, 4));
    ASSERT_TRUE(layout.ok());
    Syukei4 form(app);
    Show(form);
    bool seen = false;
    form.showPreview = [&](StatementPreview& p) {
        seen = true;
        EXPECT_EQ(p.windowTitle(), QStringLiteral("４ページ印刷"));
        if (const char* shots = std::getenv("TABULO_SHOTS")) {
            p.show();
            p.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/Print4Page.png"));
        }
        const auto& ops = p.Document().pages.at(0).ops;
        // The form as the layout draws it, unmoved, then the data in slot order: 現金
        // on both days first, the year last.
        ASSERT_GT(ops.size(), layout->form.ops.size());
        for (std::size_t k = 0; k < layout->form.ops.size(); ++k) {
            EXPECT_EQ(ops[k].x1, layout->form.ops[k].x1);
            EXPECT_EQ(ops[k].y1, layout->form.ops[k].y1);
        }
        std::vector<const DrawOp*> data;
        for (std::size_t k = layout->form.ops.size(); k < ops.size(); ++k) {
            EXPECT_EQ(ops[k].color, kDataColor);
            data.push_back(&ops[k]);
        }
        ASSERT_GE(data.size(), 3u);
        EXPECT_EQ(data[0]->text, "   100,000");
        EXPECT_NEAR(data[0]->x1, layout->formSlots[0].x + 10 * layout->sx, 0.01);
        EXPECT_NEAR(data[0]->y1, layout->formSlots[0].y - 5 * layout->sy, 0.01);
        EXPECT_EQ(data[1]->text, "    70,000");
        EXPECT_NEAR(data[1]->x1, layout->formSlots[1].x + 10 * layout->sx, 0.01);
        EXPECT_EQ(data.back()->text, " 7");
        EXPECT_NEAR(data.back()->x1, layout->formSlots[kPage4Slots].x + 10 * layout->sx, 0.01);
        p.printButton()->click();
        ASSERT_EQ(printer.printed.size(), 1u);
        EXPECT_EQ(printer.printed[0].pages[0].ops.size(), ops.size());
        p.dataOnlyBox()->setChecked(true);
        p.printButton()->click();
        ASSERT_EQ(printer.printed.size(), 2u);
        EXPECT_EQ(printer.printed[1].pages[0].ops.size(), data.size());
        for (const DrawOp& op : printer.printed[1].pages[0].ops) EXPECT_EQ(op.color, kDataColor);
    };
    form.PrintOut_Click();
    EXPECT_EQ(prompt.shown.front().text,
              "４ページを印刷します。\r\n申告書の４ページをプリンターにセットしてください");
    EXPECT_TRUE(seen);
}

// The page printed into a PDF on the application's printer: one A4 page with the
// form's captions and the year's figures. TABULO_KEEP_PDF=<folder> keeps it.
TEST_F(Page4Screen, ThePagePrintsToPdf) {
    const char* keep = std::getenv("TABULO_KEEP_PDF");
    const std::filesystem::path home = keep ? std::filesystem::path(keep) : dir.path();
    PrinterHost host(home);
    if (!host.PrintsToFile()) GTEST_SKIP() << "a printer is installed";
    std::vector<std::filesystem::path> pdfs;
    host.OnPdfWritten([&](const std::filesystem::path& p) { pdfs.push_back(p); });
    app.printer = &host;
    app.output = &host;
    Syukei4 form(app);
    Show(form);
    Type(form.CostLine(2), QStringLiteral("400000"));
    form.showPreview = [](StatementPreview& p) { p.printButton()->click(); };
    form.PrintOut_Click();
    ASSERT_EQ(pdfs.size(), 1u);
    const std::string cmd = "pdftotext -layout '" + pdfs[0].string() + "' - 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string text;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, pipe.get())) text.append(buf, n);
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\n') compact += c;
    for (const char* want : {"令和7年分", "（資産負債調）", "現金", "元入金", "製造原価の計算",
                             "180,000", "400,000", "青色申告特別控除前の所得金額"})
        EXPECT_NE(compact.find(want), std::string::npos) << want << "\n" << text;
}

}  // namespace
}  // namespace tabulo
