// The statement screens driven by keys on the offscreen platform: stock typed on page
// 1, a wage row on page 2, an asset row on page 3, each saved into SHINKOKU.DAT and
// read back; page 4's balance sheet and manufacturing figures; the print question,
// the preview and its printout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/PrinterHost.h"
#include "platform/Prompt.h"
#include "books/BooksFiles.h"
#include "ebooks/ElectronicBooks.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "taxreturn/StatementPreview.h"
#include "taxreturn/StatementPage1Form.h"
#include "taxreturn/StatementPage2Form.h"
#include "taxreturn/StatementPage3Form.h"
#include "taxreturn/StatementPage4Form.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/RecordingPrinter.h"
#include "tests/support/TempFolder.h"
#include "ui/AppContext.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using testing::ReadBytes;

std::vector<std::string> FileLines(const std::filesystem::path& p) {
    const std::string bytes = ReadBytes(p);
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t q; (q = bytes.find("\r\n", start)) != std::string::npos; start = q + 2)
        out.push_back(bytes.substr(start, q - start));
    return out;
}

struct RecordingOpener : FormOpener {
    explicit RecordingOpener(SharedState& s) : s(s) {}
    void OpenForm(FormId id, QWidget*) override {
        opened.push_back(id);
        modeWhileOpen = s.OffsetOnlyMode;
    }
    bool CanOpen(FormId) const override { return true; }
    SharedState& s;
    std::vector<FormId> opened;
    int modeWhileOpen = 0;
};

class StatementForms : public ::testing::Test {
  protected:
    void SetUp() override {
        StatementPreview::SetDataOnlySetting(false);
        s.ProgramFolder = TABULO_SOURCE_DIR;  // FORM/ with the shipped layouts
        s.TaxReturnPath = dir / "SHINKOKU.DAT";
        s.SetupLines[3] = "0";
        s.SetupLines[4] = "0";
        s.MasterHeader[MasterField::Name] = "山田太郎";
        Item(1, "売上", 1, 1);
        Item(2, "仕入", 0, 3);
        Item(3, "給料", 0, 20);
        Item(4, "リース料", 0, 25);
        s.MonthlyItemTable[1][14] = 500000;
        s.MonthlyItemTable[1][1] = 200000;
        s.MonthlyItemTable[1][8] = 300000;  // July
        s.MonthlyItemTable[4][14] = 1000;
        app.output = &printer;
        app.forms = &opener;
    }
    void Item(int i, const char* name, int k2, int k3) {
        s.ItemTable[i].ItemName = name;
        s.ItemTable[i].ItemKubun2 = static_cast<std::int16_t>(k2);
        s.ItemTable[i].ItemKubun3 = static_cast<std::int16_t>(k3);
    }
    static void Show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // Optional screenshot of a screen, to look at: TABULO_SHOTS=<folder>.
    static void Shot(QWidget& w, const char* name) {
        if (const char* shots = std::getenv("TABULO_SHOTS"))
            w.grab().save(QString::fromLocal8Bit(shots) + QLatin1Char('/') + QLatin1String(name));
    }
    // Types `text` into `box` and leaves it with Tab.
    static void Type(QLineEdit* box, const QString& text) {
        box->setFocus();
        QApplication::processEvents();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
        QApplication::processEvents();
    }

    testing::TempFolder dir;
    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    testing::RecordingPrinter printer;
    AppContext app{s, prompt, toolbar};
    RecordingOpener opener{s};
};

TEST_F(StatementForms, Page1TypedClosingStockMovesTheLinesAndIsSaved) {
    {
        StatementPage1Form form(app);
        ASSERT_TRUE(form.Loaded());
        Show(form);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("青色申告書１ページ"));
        EXPECT_EQ(form.Gaku(1)->text(), QStringLiteral("   500,000"));
        EXPECT_EQ(form.Gaku(44)->text(),
                  QStringLiteral("   100,000"));  // new file: the usual deduction
        EXPECT_EQ(form.LineCaption(25)->text(), QStringLiteral("リース料"));
        EXPECT_EQ(form.LineCaption(18)->text(), QStringLiteral("減価償却費"));
        EXPECT_TRUE(form.Gaku(1)->isReadOnly());

        QLineEdit* box5 = form.Gaku(5);
        box5->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(box5, QStringLiteral("1,00000"));  // the comma is refused with a beep
        EXPECT_EQ(prompt.beeps, 1);
        QTest::keyClick(box5, Qt::Key_Return);  // Enter goes over to line 2
        QApplication::processEvents();
        EXPECT_TRUE(form.Gaku(2)->hasFocus());
        EXPECT_EQ(box5->text(), QStringLiteral("   100,000"));
        EXPECT_EQ(form.Gaku(6)->text(), QStringLiteral("  -100,000"));
        EXPECT_EQ(form.Gaku(7)->text(), QStringLiteral("   600,000"));
        EXPECT_EQ(form.Gaku(33)->text(), QStringLiteral("   599,000"));
        EXPECT_EQ(form.Gaku(43)->text(), QStringLiteral("   599,000"));
        EXPECT_EQ(form.Gaku(45)->text(), QStringLiteral("   499,000"));
        Shot(form, "StatementPage1Form.png");

        // More than 8 characters: a beep and 0.
        Type(form.Gaku(2), QStringLiteral("123456789"));
        EXPECT_EQ(form.Gaku(2)->text(), QStringLiteral("         0"));
        EXPECT_EQ(prompt.beeps, 2);

        form.CloseForm();
    }
    const auto lines = FileLines(s.TaxReturnPath);
    ASSERT_EQ(lines.size(), 97u);
    EXPECT_EQ(lines[49 + 4], "100000");  // entry 5
    EXPECT_EQ(lines[49 + 1], "0");
    EXPECT_EQ(lines[19], "100000");  // the deduction, written with the new file

    // Read back on the next opening.
    StatementPage1Form again(app);
    EXPECT_EQ(again.Gaku(5)->text(), QStringLiteral("   100,000"));
    EXPECT_EQ(again.Gaku(45)->text(), QStringLiteral("   499,000"));
}

TEST_F(StatementForms, Page1PrintAsksSavesAndPreviewsTheWholePage) {
    StatementPage1Form form(app);
    Show(form);
    StatementPreview* seen = nullptr;
    form.showPreview = [&](StatementPreview& p) {
        seen = &p;
        EXPECT_EQ(p.windowTitle(), QStringLiteral("１ページ印刷"));
        // Optional screenshot of the preview, to look at: TABULO_SHOTS=<folder>.
        if (const char* shots = std::getenv("TABULO_SHOTS")) {
            p.show();
            p.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/StatementPage1Print.png"));
        }
        const auto& ops = p.Document().pages.at(0).ops;
        bool navyForm = false;
        for (const DrawOp& op : ops)
            navyForm = navyForm || (op.kind == DrawKind::Box && op.color == kFormColor);
        EXPECT_TRUE(navyForm);
        EXPECT_EQ(ops.back().text,
                  "  - 1 0 1 0 0 0");  // line 45: a loss of 1,000 and the deduction
        EXPECT_EQ(ops.back().color, kDataColor);
        // The default prints the page as previewed.
        p.printButton()->click();
        ASSERT_EQ(printer.printed.size(), 1u);
        EXPECT_EQ(printer.printed[0].pages[0].ops.size(), ops.size());
        // Data alone for pre-printed paper, and the choice is kept.
        p.dataOnlyBox()->setChecked(true);
        p.printButton()->click();
        ASSERT_EQ(printer.printed.size(), 2u);
        for (const DrawOp& op : printer.printed[1].pages[0].ops) EXPECT_EQ(op.color, kDataColor);
        EXPECT_TRUE(StatementPreview::DataOnlySetting());
    };
    s.MonthlyItemTable[1][14] = 0;  // no sales this year
    StatementPage1Form empty(app);
    empty.showPreview = form.showPreview;
    prompt.Answer(Answer::No);
    empty.PrintOut();
    EXPECT_EQ(prompt.LastText(),
              "１ページを印刷します。\r\n申告書の１ページをプリンターにセットしてください");
    EXPECT_EQ(prompt.shown.back().title, "印刷確認");
    EXPECT_EQ(seen, nullptr);
    EXPECT_FALSE(std::filesystem::exists(s.TaxReturnPath));  // No: nothing saved
    empty.PrintOut();
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(std::filesystem::exists(s.TaxReturnPath));
}

TEST_F(StatementForms, AMissingLayoutIsNamedAndNothingPrints) {
    s.ProgramFolder = dir.path();
    StatementPage3Form form(app);
    bool previewed = false;
    form.showPreview = [&](StatementPreview&) { previewed = true; };
    form.PrintOut();
    EXPECT_FALSE(previewed);
    EXPECT_TRUE(printer.printed.empty());
    EXPECT_NE(prompt.LastText().find("shinkoku-3.FRW"), std::string::npos);
    EXPECT_EQ(prompt.shown.back().title, "エラー確認");
}

TEST_F(StatementForms, OffsetsOpenThePrintPositionFormLocked) {
    StatementPage2Form form(app);
    form.OpenPrintOffsets();
    EXPECT_EQ(prompt.LastText(), "印刷座標の調整をしますか？");
    EXPECT_EQ(prompt.shown.back().title, "作業確認");
    ASSERT_EQ(opener.opened, std::vector<FormId>{FormId::PrintOffsetsForm});
    EXPECT_EQ(opener.modeWhileOpen, -1);
    EXPECT_EQ(s.OffsetOnlyMode, 0);
}

TEST_F(StatementForms, Page2MonthlySectionAndAWageRowSavedAndReadBack) {
    {
        StatementPage2Form form(app);
        ASSERT_TRUE(form.Loaded());
        Show(form);
        EXPECT_EQ(form.Gaku(1)->text(), QStringLiteral("   200,000"));
        EXPECT_EQ(form.Gaku(6)->text(), QStringLiteral("         0"));
        EXPECT_EQ(form.Gaku(7)->text(), QStringLiteral("   300,000"));
        EXPECT_EQ(form.Gaku(15)->text(), QStringLiteral("   500,000"));
        EXPECT_EQ(form.SyukeiBox(11)->text(), QStringLiteral("   100,000"));
        EXPECT_EQ(form.SyukeiBox(7)->text(), QStringLiteral("   499,000"));  // page 1's line 43

        form.Employee(1, StatementPage2Form::Name)->setText(QStringLiteral("佐藤一郎"));
        Type(form.Employee(1, StatementPage2Form::Nenrei), QStringLiteral("30"));
        Type(form.Employee(1, StatementPage2Form::Gtuki), QStringLiteral("12"));
        Type(form.Employee(1, StatementPage2Form::KyuRyo), QStringLiteral("2400000"));
        Type(form.Employee(1, StatementPage2Form::Syouyo), QStringLiteral("300000"));
        Type(form.Employee(1, StatementPage2Form::Gensen), QStringLiteral("45600"));
        EXPECT_EQ(form.Employee(1, StatementPage2Form::KyuRyo)->text(), QStringLiteral(" 2,400,000"));
        EXPECT_EQ(form.Employee(1, StatementPage2Form::Goukei)->text(), QStringLiteral(" 2,700,000"));
        EXPECT_EQ(form.Employee(7, StatementPage2Form::Goukei)->text(), QStringLiteral(" 2,700,000"));
        EXPECT_EQ(form.Employee(7, StatementPage2Form::Gensen)->text(), QStringLiteral("    45,600"));
        Type(form.Employee(2, StatementPage2Form::KyuRyo), QStringLiteral("0"));
        EXPECT_EQ(form.Employee(2, StatementPage2Form::KyuRyo)->text(), QString());  // 0 shows empty
        Type(form.SyukeiBox(1), QStringLiteral("20000"));
        Type(form.SyukeiBox(4), QStringLiteral("30000"));
        EXPECT_EQ(form.SyukeiBox(5)->text(), QStringLiteral("    50,000"));
        Shot(form, "StatementPage2Form.png");
        form.CloseForm();
    }
    const auto lines = FileLines(s.TaxReturnPath);
    ASSERT_EQ(lines.size(), 97u);
    // Group 4 row 1 (line 21), group 6 rows 1 and 7 (lines 27 and 33), figures 1..5.
    EXPECT_EQ(lines[20], "\"\x8d\xb2\x93\xa1\x88\xea\x98\x59\",30,12");  // 佐藤一郎 in CP932
    EXPECT_EQ(lines[26], "2400000,300000,2700000,45600");
    EXPECT_EQ(lines[32], "2400000,300000,2700000,45600");
    EXPECT_EQ(lines[9], "20000");
    EXPECT_EQ(lines[13], "50000");
    EXPECT_EQ(lines[15], "499000");

    StatementPage2Form again(app);
    EXPECT_EQ(again.Employee(1, StatementPage2Form::Name)->text(), QStringLiteral("佐藤一郎"));
    EXPECT_EQ(again.Employee(1, StatementPage2Form::Goukei)->text(), QStringLiteral(" 2,700,000"));
    EXPECT_EQ(again.SyukeiBox(5)->text(), QStringLiteral("    50,000"));
}

TEST_F(StatementForms, Page3AnAssetRowIsDepreciatedSavedAndReadBack) {
    {
        StatementPage3Form form(app);
        ASSERT_TRUE(form.Loaded());
        Show(form);
        // The interest table's column reads 算入 (the old caption had 参入), in the
        // current form's words.
        int expenseCaptions = 0;
        for (QLabel* l : form.findChildren<QLabel*>()) {
            EXPECT_FALSE(l->text().contains(QStringLiteral("参入"))) << l->text().toStdString();
            expenseCaptions += l->text().startsWith(QStringLiteral("左の")) &&
                               l->text().endsWith(QStringLiteral("必要経費算入額"));
        }
        EXPECT_EQ(expenseCaptions, 3);  // interest, rent and fees
        form.Asset(1, StatementPage3Form::Name1)->setText(QStringLiteral("軽自動車"));
        Type(form.Asset(1, StatementPage3Form::KisoGaku), QStringLiteral("1000000"));
        Type(form.Asset(1, StatementPage3Form::Ritsu), QStringLiteral("0.250"));
        Type(form.Asset(1, StatementPage3Form::Kikan), QStringLiteral("7"));
        // Tab went on to the row's next box, 普通償却費, ready for typing over.
        EXPECT_TRUE(form.Asset(1, StatementPage3Form::Hi)->hasFocus());
        EXPECT_EQ(form.Asset(1, StatementPage3Form::Hi)->text(), QStringLiteral("145833"));
        Type(form.Asset(1, StatementPage3Form::Jigyo), QStringLiteral("60"));
        EXPECT_EQ(form.Data().assets[1].Keihi, 87500);
        form.Memo()->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(form.Asset(1, StatementPage3Form::Hi)->text(), QStringLiteral("   145,833"));
        EXPECT_EQ(form.Asset(1, StatementPage3Form::Keihi)->text(), QStringLiteral("    87,500"));
        EXPECT_EQ(form.Asset(11, StatementPage3Form::Hi)->text(), QStringLiteral("   145,833"));
        EXPECT_EQ(form.Asset(11, StatementPage3Form::Goukei)->text(), QStringLiteral("   145,833"));

        // Months above 12 are refused; the row keeps its months.
        Type(form.Asset(1, StatementPage3Form::Kikan), QStringLiteral("13"));
        EXPECT_EQ(prompt.LastText(), "入力は１２ヶ月までです！");
        EXPECT_EQ(form.Data().assets[1].Kikan, 7);

        // A rate 1/0 is refused and the figure stays.
        Type(form.Asset(2, StatementPage3Form::KisoGaku), QStringLiteral("300000"));
        Type(form.Asset(2, StatementPage3Form::Ritsu), QStringLiteral("1/0"));
        EXPECT_NE(prompt.LastText().find("償却率"), std::string::npos);
        Type(form.Asset(2, StatementPage3Form::Ritsu), QStringLiteral("1/3"));
        EXPECT_EQ(form.Asset(2, StatementPage3Form::Hi)->text(), QStringLiteral("   100,000"));

        form.Memo()->setText(QStringLiteral("店舗改装"));
        Shot(form, "StatementPage3Form.png");
        form.CloseForm();
    }
    const auto lines = FileLines(s.TaxReturnPath);
    ASSERT_EQ(lines.size(), 97u);
    EXPECT_NE(lines[33].find(",0,1000000,\"\",0,\"0.250\",7,145833,0,145833,60,87500,0,"),
              std::string::npos)
        << lines[33];
    EXPECT_EQ(lines[43], "245833,0,245833,87500,0,\"\"");

    StatementPage3Form again(app);
    EXPECT_EQ(again.Asset(1, StatementPage3Form::Name1)->text(), QStringLiteral("軽自動車"));
    EXPECT_EQ(again.Asset(1, StatementPage3Form::Keihi)->text(), QStringLiteral("    87,500"));
    EXPECT_EQ(again.Asset(2, StatementPage3Form::Ritsu)->text(), QStringLiteral("1/3"));
    EXPECT_EQ(again.Memo()->text(), QStringLiteral("店舗改装"));
}

// Page 3's Tab order jumped around an asset row. Tab and Enter now go along a row's
// boxes from left to right, then to the next row, as on the form; page 2's wage rows
// likewise.
TEST_F(StatementForms, TabAndEnterGoAlongARowThenToTheNextRow) {
    StatementPage3Form form(app);
    ASSERT_TRUE(form.Loaded());
    Show(form);
    const StatementPage3Form::Column row[] = {
        StatementPage3Form::QT,        StatementPage3Form::Nen,    StatementPage3Form::Tuki,  StatementPage3Form::Gaku,    StatementPage3Form::KisoGaku,
        StatementPage3Form::SyouKyaku, StatementPage3Form::Nensuu, StatementPage3Form::Ritsu, StatementPage3Form::Kikan,   StatementPage3Form::Hi,
        StatementPage3Form::TokuHi,    StatementPage3Form::Jigyo,  StatementPage3Form::Keihi, StatementPage3Form::Zandaka, StatementPage3Form::Bikou};
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Tab ? "Tab" : "Enter");
        form.Asset(3, StatementPage3Form::Name1)->setFocus();
        QApplication::processEvents();
        for (StatementPage3Form::Column c : row) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), form.Asset(3, c)) << c;
        }
        QTest::keyClick(QApplication::focusWidget(), key);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), form.Asset(4, StatementPage3Form::Name1));
    }
    // The last asset row goes on to the totals row's 摘要, then to the interest table.
    form.Asset(10, StatementPage3Form::Bikou)->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Asset(11, StatementPage3Form::Bikou));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Interest(1, 0));
    form.CloseForm();

    StatementPage2Form page2(app);
    Show(page2);
    page2.Employee(1, StatementPage2Form::Name)->setFocus();
    QApplication::processEvents();
    for (StatementPage2Form::Column c :
         {StatementPage2Form::Nenrei, StatementPage2Form::Gtuki, StatementPage2Form::KyuRyo, StatementPage2Form::Syouyo, StatementPage2Form::Gensen}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), page2.Employee(1, c)) << c;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), page2.Employee(2, StatementPage2Form::Name));
}

// Pages that contradicted each other said nothing. Each screen lists the checks that
// fail, naming both figures, and the list follows what is typed; page 3's expense
// reaches page 1's line 18, and a cash-book amount coded 18 as well is named as a
// likely double count.
TEST_F(StatementForms, EachScreenListsTheFiguresThatDisagreeBetweenPages) {
    s.MonthlyItemTable[3][14] = 1200000;  // 給料, page 1's line 20
    {
        StatementPage2Form page2(app);
        ASSERT_TRUE(page2.Loaded());
        Show(page2);
        QLabel* checks = page2.checksLabel();
        ASSERT_FALSE(checks->isHidden());
        EXPECT_TRUE(checks->text().contains(QStringLiteral("⑳給料賃金 1,200,000")))
            << checks->text().toStdString();
        Type(page2.Employee(1, StatementPage2Form::KyuRyo), QStringLiteral("1000000"));
        EXPECT_TRUE(checks->text().contains(QStringLiteral("1,000,000")))
            << checks->text().toStdString();
        Type(page2.Employee(1, StatementPage2Form::Syouyo), QStringLiteral("200000"));
        EXPECT_TRUE(checks->isHidden()) << checks->text().toStdString();
        page2.CloseForm();
    }
    Item(5, "減価償却", 0, 18);
    s.MonthlyItemTable[5][14] = 36000;
    {
        StatementPage3Form page3(app);
        Show(page3);
        QLabel* checks = page3.checksLabel();
        ASSERT_FALSE(checks->isHidden());
        EXPECT_TRUE(checks->text().contains(QStringLiteral("⑱減価償却費 36,000")))
            << checks->text().toStdString();
        Type(page3.Asset(1, StatementPage3Form::KisoGaku), QStringLiteral("240000"));
        Type(page3.Asset(1, StatementPage3Form::Ritsu), QStringLiteral("0.250"));
        Type(page3.Asset(1, StatementPage3Form::Kikan), QStringLiteral("12"));
        Type(page3.Asset(1, StatementPage3Form::Jigyo), QStringLiteral("60"));
        EXPECT_EQ(page3.Asset(11, StatementPage3Form::Keihi)->text(), QStringLiteral("    36,000"));
        const std::string text = checks->text().toStdString();
        EXPECT_NE(text.find("72,000"), std::string::npos) << text;
        EXPECT_NE(text.find("二重計上"), std::string::npos) << text;
        page3.CloseForm();
    }
    StatementPage1Form page1(app);
    EXPECT_EQ(page1.Gaku(18)->text(), QStringLiteral("    72,000"));
    EXPECT_FALSE(page1.checksLabel()->isHidden());
    EXPECT_TRUE(page1.checksLabel()->text().contains(QStringLiteral("二重計上")));
    // Printing is not refused for it.
    bool previewed = false;
    page1.showPreview = [&](StatementPreview&) { previewed = true; };
    page1.PrintOut();
    EXPECT_TRUE(previewed);
}

// The page-2 screen was 848 px tall with that as its minimum: every statement window
// now fits a 1366 x 768 screen (its body scrolls), can be resized, and keeps its
// buttons in sight.
TEST_F(StatementForms, EveryStatementWindowFitsASmallScreenAndResizes) {
    StatementPage1Form page1(app);
    StatementPage2Form page2(app);
    StatementPage3Form page3(app);
    for (StatementForm* form : std::initializer_list<StatementForm*>{&page1, &page2, &page3}) {
        SCOPED_TRACE(form->objectName().toStdString());
        const QSize least = form->minimumSizeHint().expandedTo(form->minimumSize());
        EXPECT_LE(least.width(), 1366);
        EXPECT_LE(least.height(), 768 - 40);  // the title bar and the taskbar
        EXPECT_LT(least.height(), form->Body()->sizeHint().height());  // it scrolls
        EXPECT_GT(form->maximumSize().height(), least.height());
        EXPECT_GT(form->maximumSize().width(), least.width());
    }
    bool checked = false;
    page2.showPreview = [&](StatementPreview& p) {
        const QSize least = p.minimumSizeHint().expandedTo(p.minimumSize());
        EXPECT_LE(least.width(), 1366);
        EXPECT_LE(least.height(), 768 - 40);
        EXPECT_GT(p.maximumSize().height(), least.height());
        checked = true;
    };
    page2.PrintOut();
    EXPECT_TRUE(checked);
}

// A tax-return file that cannot be read is reported and the screen is not filled,
// so that closing it cannot overwrite the file with empty pages.
TEST_F(StatementForms, AnUnreadableTaxReturnFileIsReportedAndLeftAlone) {
    testing::WriteBytes(s.TaxReturnPath, "\"a\",\"b\",x,y\r\n");
    const std::string before = ReadBytes(s.TaxReturnPath);
    StatementPage2Form form(app);
    EXPECT_FALSE(form.Loaded());
    EXPECT_NE(prompt.LastText().find("SHINKOKU.DAT"), std::string::npos);
    EXPECT_EQ(ReadBytes(s.TaxReturnPath), before);
}

// A small shop's year printed into PDF files on the application's printer: each page
// comes out as one A4 page with its figures. With TABULO_KEEP_PDF set to a folder the
// files stay there to be looked at.
TEST_F(StatementForms, APlausibleYearPrintsEachPageToPdf) {
    s.FiscalYear = 7;
    s.EraName = "令和";
    s.MasterHeader[MasterField::Address] = "東京都台東区浅草1-2-3";
    s.MasterHeader[MasterField::TradeName] = "山田商店";
    s.MasterHeader[MasterField::LineOfBusiness] = "食料品小売業";
    s.MasterHeader[MasterField::AccountantAddress] = "東京都渋谷区神宮前1-1-1 神宮前ビル3階";
    Item(5, "水道光熱費", 0, 10);
    Item(7, "消耗品費", 0, 17);
    Item(8, "貸倒引当金繰入", 0, 39);
    s.MonthlyItemTable[1] = {};
    s.MonthlyItemTable[2] = {};
    for (int m = 1; m <= 12; ++m) {
        const int column = m <= 6 ? m : m + 1;
        s.MonthlyItemTable[1][column] = 500000 + m * 10000;  // 6,780,000 in the year
        s.MonthlyItemTable[2][column] = 200000;
    }
    s.MonthlyItemTable[1][14] = 6780000;
    s.MonthlyItemTable[2][14] = 2400000;
    s.MonthlyItemTable[3][14] = 1800000;
    s.MonthlyItemTable[5][14] = 240000;
    s.MonthlyItemTable[7][14] = 98000;
    s.MonthlyItemTable[8][14] = 50000;
    const char* keep = std::getenv("TABULO_KEEP_PDF");
    const std::filesystem::path home = keep ? std::filesystem::path(keep) : dir.path();
    PrinterHost host(home);
    if (!host.PrintsToFile()) GTEST_SKIP() << "a printer is installed";
    std::vector<std::filesystem::path> pdfs;
    host.OnPdfWritten([&](const std::filesystem::path& p) { pdfs.push_back(p); });
    app.printer = &host;
    app.output = &host;
    auto print = [](StatementPreview& p) { p.printButton()->click(); };
    // Page 3 first: its depreciation is page 1's line 18.
    {
        StatementPage3Form page3(app);
        Show(page3);
        page3.showPreview = print;
        page3.Asset(1, StatementPage3Form::Name1)->setText(QStringLiteral("軽自動車"));
        page3.Asset(1, StatementPage3Form::SyouKyaku)->setText(QStringLiteral("定額法"));
        Type(page3.Asset(1, StatementPage3Form::Nensuu), QStringLiteral("4"));
        Type(page3.Asset(1, StatementPage3Form::KisoGaku), QStringLiteral("1000000"));
        Type(page3.Asset(1, StatementPage3Form::Ritsu), QStringLiteral("0.250"));
        Type(page3.Asset(1, StatementPage3Form::Kikan), QStringLiteral("12"));
        Type(page3.Asset(1, StatementPage3Form::Jigyo), QStringLiteral("60"));
        page3.Asset(2, StatementPage3Form::Name1)->setText(QStringLiteral("陳列棚"));
        Type(page3.Asset(2, StatementPage3Form::KisoGaku), QStringLiteral("300000"));
        Type(page3.Asset(2, StatementPage3Form::Ritsu), QStringLiteral("1/3"));
        Type(page3.Asset(2, StatementPage3Form::Jigyo), QStringLiteral("100"));
        page3.PrintOut();
    }
    {
        StatementPage2Form page2(app);
        Show(page2);
        page2.showPreview = print;
        page2.Employee(1, StatementPage2Form::Name)->setText(QStringLiteral("佐藤一郎"));
        Type(page2.Employee(1, StatementPage2Form::Nenrei), QStringLiteral("34"));
        Type(page2.Employee(1, StatementPage2Form::Gtuki), QStringLiteral("12"));
        Type(page2.Employee(1, StatementPage2Form::KyuRyo), QStringLiteral("1800000"));
        Type(page2.SyukeiBox(4), QStringLiteral("50000"));
        // Wages and the provision agree with page 1.
        EXPECT_TRUE(page2.checksLabel()->isHidden()) << page2.checksLabel()->text().toStdString();
        page2.PrintOut();
    }
    {
        StatementPage1Form page1(app);
        Show(page1);
        page1.showPreview = print;
        Type(page1.Gaku(2), QStringLiteral("300000"));
        Type(page1.Gaku(5), QStringLiteral("280000"));
        EXPECT_EQ(page1.Gaku(18)->text(), QStringLiteral("   250,000"));
        EXPECT_TRUE(page1.checksLabel()->isHidden()) << page1.checksLabel()->text().toStdString();
        Shot(page1, "StatementPage1Form-year.png");
        page1.PrintOut();
    }
    ASSERT_EQ(pdfs.size(), 3u);
    // Page 3, 2, 1 in that order: the year on each, page 3's expense total as line 18,
    // and the current form's captions.
    const std::vector<std::string> expect[3] = {{"250,000", "定額法 4", "未償却残高"},
                                                {"1,800,000", "年齢", "65万円又は55万円"},
                                                {"6 7 8 0 0 0 0", "2 5 0 0 0 0", "期首商品"}};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string cmd = "pdftotext -layout '" + pdfs[i].string() + "' - 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
        ASSERT_TRUE(pipe);
        std::string text;
        char buf[4096];
        while (std::size_t n = fread(buf, 1, sizeof buf, pipe.get())) text.append(buf, n);
        EXPECT_NE(text.find("青色申告決算書"), std::string::npos) << pdfs[i];
        std::string compact;
        for (char c : text)
            if (c != ' ' && c != '\n') compact += c;
        EXPECT_NE(compact.find("令和7年分"), std::string::npos) << pdfs[i] << "\n" << text;
        for (const std::string& e : expect[i])
            EXPECT_NE(text.find(e), std::string::npos) << e << " in " << pdfs[i] << "\n" << text;
    }
}

// Statement page 4 on a small year's books: cash and a loan to start with, a credit
// sale, a desk bought from the till; the balance sheet on both days, the manufacturing
// figures typed, summed, kept in their own file and read back; the preview with the
// data where the layout puts them, moved by the print offsets, data alone; a PDF.
class Page4Screen : public StatementForms {
  protected:
    void SetUp() override {
        StatementForms::SetUp();
        s.DataFolder = dir.path();
        s.LedgerPath = dir / "KEIRI07.DAT";
        s.FiscalYear = 7;
        s.EraName = "令和";
        SlipBook book;
        book.Openings = {{AccountCode::Cash, 100000}, {AccountCode::Loans, 50000}};
        book.Slips = {{"070410", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り"},
                      {"070601", 115, AccountCode::Cash, 30000, "机"}};
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    }
};

TEST_F(Page4Screen, TheBalanceSheetOfTheBooksOnBothDays) {
    StatementPage4Form form(app);
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
    Shot(form, "StatementPage4Form.png");
    form.CloseForm();
    // Nothing typed: the year keeps no manufacturing file.
    EXPECT_FALSE(std::filesystem::exists(ManufacturingCostPath(s)));
}

TEST_F(Page4Screen, ManufacturingTypedByKeysIsSummedSavedAndReadBack) {
    {
        StatementPage4Form form(app);
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
        form.CostName(12)->setText(QStringLiteral("包装材料"));  // typed through the IME
        Type(form.CostLine(12), QStringLiteral("3000"));
        Type(form.CostLine(22), QStringLiteral("25000"));
        EXPECT_EQ(form.CostLine(5)->text(), QStringLiteral("   340,000"));
        EXPECT_EQ(form.CostLine(18)->text(), QStringLiteral("     3,000"));
        EXPECT_EQ(form.CostLine(19)->text(), QStringLiteral("   643,000"));
        EXPECT_EQ(form.CostLine(23)->text(), QStringLiteral("   618,000"));
        // More than 8 characters: a beep, and the line is 0 again.
        const int beeps = prompt.beeps;
        Type(form.CostLine(7), QStringLiteral("123456789"));
        EXPECT_EQ(prompt.beeps, beeps + 1);
        EXPECT_EQ(form.CostLine(7)->text(), QStringLiteral(""));
        EXPECT_EQ(form.CostLine(23)->text(), QStringLiteral("   618,000"));
        Shot(form, "StatementPage4Form-cost.png");
        form.CloseForm();
    }
    auto kept = LoadManufacturingCost(ManufacturingCostPath(s));
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->lines[2], 400000);
    EXPECT_EQ(kept->lines[12], 3000);
    EXPECT_EQ(kept->lines[23], 618000);
    EXPECT_EQ(kept->freeNames[0], "包装材料");
    StatementPage4Form again(app);
    EXPECT_EQ(again.CostLine(6)->text(), QStringLiteral("   300,000"));
    EXPECT_EQ(again.CostName(12)->text(), QStringLiteral("包装材料"));
    EXPECT_EQ(again.CostLine(23)->text(), QStringLiteral("   618,000"));
}

TEST_F(Page4Screen, ADamagedSlipBookIsNamedAndTheScreenStaysEmpty) {
    std::string bytes = ReadBytes(SlipBookPath(s));
    bytes.pop_back();
    testing::WriteBytes(SlipBookPath(s), bytes);
    StatementPage4Form form(app);
    EXPECT_FALSE(form.Loaded());
    EXPECT_NE(prompt.LastText().find("FURIKAE07.DAT"), std::string::npos);
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), bytes);
}

TEST_F(Page4Screen, FitsASmallScreen) {
    StatementPage4Form form(app);
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
    StatementPage4Form form(app);
    Show(form);
    bool seen = false;
    form.showPreview = [&](StatementPreview& p) {
        seen = true;
        EXPECT_EQ(p.windowTitle(), QStringLiteral("４ページ印刷"));
        if (const char* shots = std::getenv("TABULO_SHOTS")) {
            p.show();
            p.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/StatementPage4Print.png"));
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
    form.PrintOut();
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
    StatementPage4Form form(app);
    Show(form);
    Type(form.CostLine(2), QStringLiteral("400000"));
    form.showPreview = [](StatementPreview& p) { p.printButton()->click(); };
    form.PrintOut();
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
                             "180,000", "400,000", "除前の所得金額"})
        EXPECT_NE(compact.find(want), std::string::npos) << want << "\n" << text;
}

// ---- The special deduction page 2 offers ----

// A year kept by double entry from balanced openings (現金 100,000 = 借入金 50,000 +
// 元入金 50,000) with a sale on credit by slip, and sales of 3,000,000: the income
// before the deduction is well above every limit. The history decides 65万円.
class DeductionOnPage2 : public Page4Screen {
  protected:
    void SetUp() override {
        Page4Screen::SetUp();
        s.MonthlyItemTable[1][14] = 3000000;
        SlipBook book;
        book.Openings = {{AccountCode::Cash, 100000}, {AccountCode::Loans, 50000},
                         {AccountCode::Capital, 50000}};
        book.Slips = {{"070410", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り"}};
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    }
    void History(std::initializer_list<HistoryOperation> ops) {
        int minute = 0;
        for (HistoryOperation op : ops) {
            HistoryRecord r;
            r.When = "202701050900" + std::string(minute < 10 ? "0" : "") + std::to_string(minute);
            ++minute;
            r.Operation = op;
            ASSERT_TRUE(AppendHistoryRecord(s, r).ok());
        }
    }
    static QString Box(const StatementPage2Form& f, int i) { return f.SyukeiBox(i)->text().trimmed(); }
    // Types ⑥ and leaves the figures (a figure being typed shows no separators).
    static void TypeFigure6(StatementPage2Form& f, const QString& text) {
        Type(f.SyukeiBox(6), text);
        f.Employee(1, StatementPage2Form::Name)->setFocus();
        QApplication::processEvents();
    }
    static QString Figures(const StatementPage2Form& f) {
        return QStringList{Box(f, 8), Box(f, 9), Box(f, 10), Box(f, 11)}.join(QLatin1Char('|'));
    }
};

TEST_F(DeductionOnPage2, SixtyFiveWhenTheBooksWereKeptAsElectronicBooksAllYear) {
    History({HistoryOperation::ElectronicBooksOn, HistoryOperation::CashBookPost,
             HistoryOperation::SlipAdd});
    StatementPage2Form f(app);
    ASSERT_TRUE(f.Loaded());
    Show(f);
    EXPECT_EQ(f.Offer().limit, 650000);
    EXPECT_EQ(Figures(f), QStringLiteral("|650,000||"));
    EXPECT_NE(f.DeductionNote()->text().indexOf(QStringLiteral("65万円")), -1);
    // Real-estate income typed in ⑥ takes its part first.
    TypeFigure6(f, QStringLiteral("200000"));
    EXPECT_EQ(Figures(f), QStringLiteral("200,000|450,000||"));
    Shot(f, "StatementPage2Form-65.png");
}

TEST_F(DeductionOnPage2, FiftyFiveWhenTheSettingCameLateOrWasSwitchedOff) {
    History({HistoryOperation::CashBookPost, HistoryOperation::ElectronicBooksOn});
    {
        StatementPage2Form f(app);
        Show(f);
        EXPECT_EQ(f.Offer().limit, 550000);
        EXPECT_EQ(Figures(f), QStringLiteral("|550,000||"));
        EXPECT_NE(f.DeductionNote()->text().indexOf(QStringLiteral("55万円")), -1);
        EXPECT_NE(f.DeductionNote()->text().indexOf(QStringLiteral("帳簿の変更が記録されています")), -1);
        TypeFigure6(f, QStringLiteral("200000"));
        EXPECT_EQ(Figures(f), QStringLiteral("200,000|350,000||"));
        // A figure typed by the user is kept when ⑥ changes again.
        Type(f.SyukeiBox(9), QStringLiteral("300000"));
        TypeFigure6(f, QStringLiteral("100000"));
        EXPECT_EQ(Figures(f), QStringLiteral("200,000|300,000||"));
    }
    std::filesystem::remove(HistoryPath(s));
    History({HistoryOperation::ElectronicBooksOn, HistoryOperation::CashBookPost,
             HistoryOperation::ElectronicBooksOff, HistoryOperation::ElectronicBooksOn});
    StatementPage2Form f(app);
    Show(f);
    EXPECT_EQ(Figures(f), QStringLiteral("|550,000||"));
    EXPECT_NE(f.DeductionNote()->text().indexOf(QStringLiteral("途中で終了")), -1);
}

TEST_F(DeductionOnPage2, TenWithoutDoubleEntryBooksEvenWhenElectronic) {
    History({HistoryOperation::ElectronicBooksOn});
    std::filesystem::remove(SlipBookPath(s));
    StatementPage2Form f(app);
    Show(f);
    EXPECT_EQ(f.Offer().limit, 100000);
    EXPECT_EQ(Figures(f), QStringLiteral("|||100,000"));
    EXPECT_NE(f.DeductionNote()->text().indexOf(QStringLiteral("10万円")), -1);
}

}  // namespace
}  // namespace tabulo
