// The report screens driven by keys: 集計 from the cash book to a filled summary, the
// summary's printout, the item ledger's choice, totals and printout, and the two month
// dialogs, all printing into a recording printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cashbook/Aggregation.h"
#include "cashbook/CashBookForm.h"
#include "platform/PrinterHost.h"
#include "reports/MonthlyTotalsForm.h"
#include "reports/IncomeMonthPrintForm.h"
#include "reports/ItemLedger.h"
#include "reports/ItemLinesForm.h"
#include "reports/MonthlyCashBook.h"
#include "reports/MonthlyIncome.h"
#include "reports/CashBookMonthPrintForm.h"
#include "reports/SummaryTable.h"
#include "store/SharedState.h"
#include "tests/cashbook/LedgerFixture.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/PdfText.h"
#include "tests/support/RecordingPrinter.h"
#include "ui/AppContext.h"
#include "ui/TextGridModel.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using testing::kBlank16;
using testing::kMon;
using testing::kSun;
using testing::kTue;

std::string H(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) s += p + " ";
    return s;
}

// The fixture's items (1 売上 income, 8 経費 expense, 7 前月繰越 carry-over ...):
//   1 130401 item 7  income  5,000 (carry-over)
//   2 130402 item 1  income 12,000  remarks "現金売上"
//   3 130402 item 8  expense 3,000
//   4 130715 item 8  expense   800
//   5 130716 item 1  income  2,000
std::string Year() {
    return H({"0500 00000000 00000000 00000000 00000000",
              "313330343031",
              kSun,
              "0700 88130000 00000000 00000000",
              kBlank16,
              "313330343032",
              kMon,
              "0100 e02e0000 00000000 00000000",
              "8cbb8be094848fe32020202020202020",  // 現金売上 + 8 blanks
              "313330343032",
              kMon,
              "0800 00000000 b80b0000 00000000",
              kBlank16,
              "313330373135",
              kTue,
              "0800 00000000 20030000 00000000",
              kBlank16,
              "313330373136",
              kTue,
              "0100 d0070000 00000000 00000000",
              kBlank16});
}

// Opens the forms the shell would, without showing them modally, and keeps what
// they showed.
struct RecordingOpener : FormOpener {
    explicit RecordingOpener(AppContext& app) : app(app) {}
    void OpenForm(FormId id, QWidget* parent) override {
        opened.push_back(id);
        if (id == FormId::MonthlyTotalsForm) {
            MonthlyTotalsForm g(app, parent);
            for (int r = 0; r <= 51; ++r)
                for (int c = 0; c < 16; ++c) summary[r][c] = g.CellText(r, c);
        }
    }
    bool CanOpen(FormId id) const override { return id == FormId::MonthlyTotalsForm; }
    AppContext& app;
    std::vector<FormId> opened;
    QString summary[52][16];
};

class ReportForms : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        s.ReportTitleName = "山田商店";
        s.ItemTable[1].ItemKubun2 = 1;  // 売上 counts as sales in the income printout
        Load(Year());
        app.output = &printer;
        app.forms = &opener;
        app.today = [] {
            using namespace std::chrono;
            return year_month_day{year{2026}, month{4}, day{15}};
        };
    }
    static void Show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    static QWidget* Focus(QWidget& form) {
        QWidget* w = QApplication::focusWidget();
        return w ? w : form.focusWidget();
    }

    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    testing::RecordingPrinter printer;
    AppContext app{s, prompt, toolbar};
    RecordingOpener opener{app};
};

TEST_F(ReportForms, F7FromTheCashBookTotalsTheYearAndOpensTheFilledSummary) {
    CashBookForm form(app);
    Show(form);
    prompt.Answer(Answer::No);
    QTest::keyClick(Focus(form), Qt::Key_F7);
    EXPECT_EQ(prompt.LastText(), "集計作業をしますか？");
    EXPECT_EQ(prompt.shown.back().title, "集計確認");
    EXPECT_EQ(prompt.shown.back().style, MsgStyle::YesNoWarning);
    EXPECT_TRUE(opener.opened.empty());

    QTest::keyClick(Focus(form), Qt::Key_F7);
    ASSERT_EQ(opener.opened, std::vector<FormId>{FormId::MonthlyTotalsForm});
    // April is grid column 5, July column 9, the year column 15.
    EXPECT_EQ(opener.summary[1][5], QStringLiteral("    12,000"));
    EXPECT_EQ(opener.summary[8][5], QStringLiteral("     3,000"));
    EXPECT_EQ(opener.summary[8][9], QStringLiteral("       800"));
    EXPECT_EQ(opener.summary[7][5], QString(10, QLatin1Char(' ')));  // carry-over left out
    EXPECT_EQ(opener.summary[51][5], QStringLiteral("     9,000"));
    EXPECT_EQ(opener.summary[51][9], QStringLiteral("     1,200"));
    EXPECT_EQ(opener.summary[51][15], QStringLiteral("    10,200"));
    EXPECT_EQ(opener.summary[51][1], QStringLiteral("  合  計"));
    EXPECT_EQ(s.MonthlyItemTable[1][14], 14000);
    // The balances were worked out again and the page shows them: 5,000 + 12,000 - 3,000.
    EXPECT_EQ(form.field(CashBookForm::ColBalance, 3)->text(), QStringLiteral("    14,000"));
}

TEST_F(ReportForms, F7WithABadDateReportsTheLineAndOpensNothing) {
    Load(H({"0200 00000000 00000000 00000000 00000000", "313330343032", kMon,
            "0100 e02e0000 00000000 00000000", kBlank16, "313330333032", kMon,
            "0800 00000000 b80b0000 00000000", kBlank16}));
    CashBookForm form(app);
    Show(form);
    QTest::keyClick(Focus(form), Qt::Key_F7);
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"集計作業をしますか？",
                                                        " 2行の年月日が前の行より以前の日付です！",
                                                        "日付エラーのため集計できません！"}));
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(ReportForms, F8AndF9OpenTheMonthDialogs) {
    CashBookForm form(app);
    Show(form);
    QTest::keyClick(Focus(form), Qt::Key_F8);
    QTest::keyClick(Focus(form), Qt::Key_F9);
    EXPECT_EQ(opener.opened, (std::vector<FormId>{FormId::CashBookMonthPrintForm, FormId::IncomeMonthPrintForm}));
}

TEST_F(ReportForms, SummaryShowsBlankZerosSeparatorsAndTheNetLineInAFixedPitchFace) {
    s.ItemTable[1].ItemName = "売上高（店頭・通信販売・卸売分）合計";
    s.MonthlyItemTable[1][1] = 1234567;
    s.MonthlyItemTable[51][14] = -45000;
    MonthlyTotalsForm g(app);
    EXPECT_EQ(g.windowTitle(), QStringLiteral("月毎の項目別集計"));
    EXPECT_EQ(g.CellText(0, 2), QStringLiteral("　１月"));
    EXPECT_EQ(g.CellText(0, 8), QStringLiteral("中間集計"));
    EXPECT_EQ(g.CellText(0, 15), QStringLiteral("年間集計"));
    EXPECT_EQ(g.CellText(1, 0), QStringLiteral("  1"));
    EXPECT_EQ(g.CellText(1, 1),
              QStringLiteral("売上高（店頭・通信販売・卸売分）"));  // 16 characters
    EXPECT_EQ(g.CellText(1, 2), QStringLiteral(" 1,234,567"));
    EXPECT_EQ(g.CellText(2, 2), QString(10, QLatin1Char(' ')));
    EXPECT_EQ(g.CellText(51, 0), QString());
    EXPECT_EQ(g.CellText(51, 15), QStringLiteral("   -45,000"));
    // The columns line up as the user sees them: the digits, the blank, the comma and
    // the minus advance by one cell, a full-width character by two, in the grid's face.
    const QFontMetricsF fm(g.grid()->font());
    const qreal cell = fm.horizontalAdvance(QLatin1Char('0'));
    EXPECT_GT(cell, 0);
    for (QChar c : QStringLiteral("0123456789 ,-"))
        EXPECT_EQ(fm.horizontalAdvance(c), cell) << "half-width " << QString(c).toStdString();
    for (QChar c : QStringLiteral("１月売上高（）・中間集計"))
        EXPECT_EQ(fm.horizontalAdvance(c), 2 * cell) << "full-width " << QString(c).toStdString();
    EXPECT_EQ(fm.horizontalAdvance(g.CellText(1, 2)), 10 * cell);
    EXPECT_EQ(fm.horizontalAdvance(g.CellText(1, 1)), 32 * cell);
    EXPECT_EQ(g.grid()->currentIndex().row(), 0);  // row 1, column 2
    EXPECT_EQ(g.grid()->currentIndex().column(), 2);
    // Only the statement pages this program has are offered.
    EXPECT_FALSE(g.pageButton(1)->isEnabled());
}

TEST_F(ReportForms, SummaryPrintsBothPagesWithoutAQuestionBetweenThem) {
    s.MonthlyItemTable[1][1] = 1000;
    s.MonthlyItemTable[1][8] = 2000;
    MonthlyTotalsForm g(app);
    prompt.Answer(Answer::No);
    g.PrintOut();
    EXPECT_TRUE(printer.printed.empty());

    g.PrintOut();
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"集計表を印刷しますか？", "集計表を印刷しますか？"}));
    EXPECT_EQ(prompt.shown.back().title, "印刷確認");
    ASSERT_EQ(printer.printed.size(), 1u);
    ASSERT_EQ(printer.printed[0].pages.size(), 2u);
    EXPECT_TRUE(printer.HasText(0, 0, "     1,000"));
    EXPECT_TRUE(printer.HasText(0, 1, "     2,000"));
    EXPECT_FALSE(printer.HasText(0, 0, "     2,000"));
    EXPECT_EQ(g.grid()->currentIndex().row(), 0);
    EXPECT_EQ(g.grid()->currentIndex().column(), 2);

    printer.failing = true;
    g.PrintOut();
    EXPECT_EQ(prompt.LastText(), "プリンターのエラーです。印刷できません！");
    EXPECT_EQ(prompt.shown.back().style, MsgStyle::Ok);
}

TEST_F(ReportForms, ItemLedgerPicksAnItemFromTheListAndShowsItsLinesAndTotal) {
    ItemLinesForm k(app);
    Show(k);
    for (int b : {0, 1, 2, 3, 4, 7})
        EXPECT_FALSE(toolbar.enabled[static_cast<std::size_t>(b)]) << b;
    EXPECT_EQ(k.itemList()->count(), 50);
    EXPECT_EQ(k.itemList()->itemText(7), QStringLiteral(" 8 経費"));
    EXPECT_EQ(k.itemList()->currentIndex(), -1);

    // Nothing picked yet: F8 asks for a choice; typing picks nothing.
    k.itemList()->setFocus();
    QTest::keyClick(k.itemList(), Qt::Key_F8);
    EXPECT_EQ(prompt.LastText(), "データを選択してください！");
    QTest::keyClicks(k.itemList(), QStringLiteral("8"));
    EXPECT_EQ(k.itemList()->currentIndex(), -1);

    // Item 1 (売上) by keys: two income lines.
    QTest::keyClick(k.itemList(), Qt::Key_Down);
    ASSERT_EQ(k.itemList()->currentIndex(), 0);
    ASSERT_EQ(k.model()->rowCount(), 2);
    EXPECT_EQ(k.model()->Text(0, 0), QStringLiteral("130402"));
    EXPECT_EQ(k.model()->Text(0, 1), QStringLiteral("（月）"));
    EXPECT_EQ(k.model()->Text(0, 2), QStringLiteral("  1"));
    EXPECT_EQ(k.model()->Text(0, 3), QStringLiteral("売上"));
    EXPECT_EQ(k.model()->Text(0, 4), QStringLiteral("    12,000"));
    EXPECT_EQ(k.model()->Text(0, 5), QString(10, QLatin1Char(' ')));
    EXPECT_EQ(k.model()->Text(0, 6), QString(10, QLatin1Char(' ')));
    // The stored blanks after the remarks are not part of the cell.
    EXPECT_EQ(k.model()->Text(0, 7), QStringLiteral("現金売上"));
    EXPECT_EQ(k.model()->Text(1, 7), QString());
    EXPECT_EQ(k.inGaku()->text(), QStringLiteral("    14,000"));
    EXPECT_EQ(k.outGaku()->text(), QString());

    // Item 8 (経費): the expense total only.
    k.itemList()->setFocus();
    for (int i = 0; i < 7; ++i) QTest::keyClick(k.itemList(), Qt::Key_Down);
    ASSERT_EQ(k.model()->rowCount(), 2);
    EXPECT_EQ(k.inGaku()->text(), QString());
    EXPECT_EQ(k.outGaku()->text(), QStringLiteral("     3,800"));

    // F8 prints the lines under the year's title, with the totals in the foot line.
    QTest::keyClick(Focus(k), Qt::Key_F8);
    EXPECT_EQ(prompt.LastText(), "印刷しますか？");
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_TRUE(printer.HasText(0, 0, "平成13年度項目別集計"));
    EXPECT_TRUE(printer.HasText(0, 0, "13.07.15"));
    EXPECT_TRUE(printer.HasText(0, 0, "     3,800"));
    EXPECT_EQ(k.itemList()->currentIndex(), 7);

    // F10 asks; No keeps the form, Yes gives back every button but 読み込み.
    prompt.Answer(Answer::No);
    QTest::keyClick(Focus(k), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "終了しますか？");
    EXPECT_EQ(prompt.shown.back().title, "終了確認");
    EXPECT_TRUE(k.isVisible());
    QTest::keyClick(Focus(k), Qt::Key_F10);
    EXPECT_FALSE(k.isVisible());
    EXPECT_EQ(toolbar.enabled,
              (std::array<bool, 9>{false, true, true, true, true, true, true, true, true}));
}

TEST_F(ReportForms, CashBookMonthDialogStartsOnTodaysMonthAndPrintsTheChosenMonth) {
    CashBookMonthPrintForm d(app);
    Show(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("出納簿印刷データ選択"));
    EXPECT_EQ(d.MonthText(), QStringLiteral("4"));
    d.monthBox()->setFocus();
    QTest::keyClicks(d.monthBox(), QStringLiteral("7"));
    QTest::keyClick(d.monthBox(), Qt::Key_Backspace);
    EXPECT_EQ(d.MonthText(), QStringLiteral("4"));

    prompt.Answer(Answer::No);
    QTest::mouseClick(d.printButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.LastText(), "4月のデータを印刷しますか？");
    EXPECT_EQ(prompt.shown.back().title, "印刷確認");
    EXPECT_TRUE(printer.printed.empty());

    QTest::mouseClick(d.printButton(), Qt::LeftButton);
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_EQ(printer.printed[0].name, "出納簿 04月");
    EXPECT_TRUE(printer.HasText(0, 0, "平成13年04月度出納簿"));
    EXPECT_TRUE(printer.HasText(0, 0, "13.04.02"));
    EXPECT_FALSE(printer.HasText(0, 0, "13.07.15"));
    EXPECT_TRUE(d.isVisible());  // the dialog stays for another month

    d.monthBox()->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(d.monthBox(), Qt::Key_Down);
    EXPECT_EQ(d.MonthText(), QStringLiteral("7"));
    QTest::mouseClick(d.printButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.LastText(), "7月のデータを印刷しますか？");
    ASSERT_EQ(printer.printed.size(), 2u);
    EXPECT_EQ(printer.printed[1].name, "出納簿 07月");

    QTest::mouseClick(d.endButton(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
}

// 41 April lines of 売上: forty of 500 yen and a last one of 1,040 yen.
std::string FortyOneAprilLines() {
    std::string hex = "2900 00000000 00000000 00000000 00000000 ";
    for (int n = 1; n <= 41; ++n) {
        hex += H({"313330343031", kSun, n < 41 ? "0100 f4010000 00000000 00000000"
                                               : "0100 10040000 00000000 00000000",
                  kBlank16});
    }
    return hex;
}

// The foot line used to total the whole month although No at the page question had
// left line 41 off the paper.
TEST_F(ReportForms, MonthPrintoutTotalsOnlyTheLinesItPrinted) {
    Load(FortyOneAprilLines());
    CashBookMonthPrintForm d(app);
    Show(d);
    ASSERT_EQ(d.MonthText(), QStringLiteral("4"));

    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    d.printButton()->setFocus();
    QTest::keyClick(d.printButton(), Qt::Key_Space);
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{"4月のデータを印刷しますか？", " 2 ページを印刷しますか？"}));
    ASSERT_EQ(printer.printed.size(), 1u);
    ASSERT_EQ(printer.printed[0].pages.size(), 1u);
    EXPECT_TRUE(printer.HasText(0, 0, "    20,000"));
    EXPECT_FALSE(printer.HasText(0, 0, "    21,040"));
    EXPECT_FALSE(printer.HasText(0, 0, "     1,040"));

    // Yes at the question prints line 41 on page 2, and the total takes it in.
    prompt.Clear();
    QTest::keyClick(d.printButton(), Qt::Key_Space);
    ASSERT_EQ(printer.printed.size(), 2u);
    ASSERT_EQ(printer.printed[1].pages.size(), 2u);
    EXPECT_TRUE(printer.HasText(1, 1, "     1,040"));
    EXPECT_TRUE(printer.HasText(1, 1, "    21,040"));
    EXPECT_FALSE(printer.HasText(1, 0, "    20,000"));
}

TEST_F(ReportForms, IncomeMonthDialogSaysWhenTheMonthHasNoLines) {
    IncomeMonthPrintForm d(app);
    Show(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("収入印刷データ選択"));
    EXPECT_EQ(d.printButton()->toolTip(), QStringLiteral("指定された月のデータを印刷"));
    d.monthBox()->setCurrentIndex(4);  // May: no lines
    QTest::mouseClick(d.printButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"5月の収入データを印刷しますか？",
                                                        "指定された月のデータはありません！"}));
    EXPECT_EQ(prompt.shown[0].title, "収入データ印刷確認");
    EXPECT_TRUE(printer.printed.empty());

    d.monthBox()->setCurrentIndex(3);
    QTest::mouseClick(d.printButton(), Qt::LeftButton);
    ASSERT_EQ(printer.printed.size(), 1u);
    ASSERT_EQ(printer.printed[0].pages.size(), 1u);
    EXPECT_TRUE(printer.HasText(0, 0, "平成13年04月度収入項目別データ"));
    EXPECT_TRUE(printer.HasText(0, 0, "    12,000"));
}

std::string PdfText(const std::filesystem::path& pdf) {
    return testing::CommandOutput("pdftotext -layout '" + pdf.string() + "' -");
}

// Each printout played into a PDF reads, as text laid out by poppler, exactly as its
// golden file. TABULO_SHOTS_DIR keeps the PDFs for a look.
TEST_F(ReportForms, EachPrintoutPlaysIntoAPdfThatReadsAsItsGoldenText) {
    namespace fs = std::filesystem;
    ASSERT_TRUE(AggregateYear(s, prompt).ok());
    std::vector<std::pair<std::string, PrintDocument>> docs;
    auto month = PrintMonthlyCashBook(s, prompt, "04");
    ASSERT_TRUE(month.ok());
    docs.emplace_back("cashbook-04", *month);
    auto income = PrintMonthlyIncome(s, prompt, "04");
    ASSERT_TRUE(income.ok() && income->has_value());
    docs.emplace_back("income-04", **income);
    docs.emplace_back("summary", PrintSummaryTable(s, SummaryPrintTable(BuildSummaryGrid(s)),
                                                   kSummaryCellCount));
    auto item = SelectItemLines(s, 1);
    ASSERT_TRUE(item.ok());
    docs.emplace_back("item-01",
                      PrintItemLedger(s, prompt,
                                      ItemLedgerPrintTable(item->rows, item->income, item->expense),
                                      1));

    PrinterHost host(dir.path());
    host.Printer().setOutputFormat(QPrinter::PdfFormat);
    host.SetClock([] { return std::string("20260415-1200"); });
    const fs::path golden = fs::path(TABULO_TEST_DATA) / "golden";
    for (const auto& [key, doc] : docs) {
        ASSERT_TRUE(host.Print(doc)) << key;
        const fs::path pdf = dir.path() / "PDF" / ("20260415-1200 " + doc.name + ".pdf");
        ASSERT_TRUE(fs::exists(pdf)) << pdf;
        if (const char* keep = std::getenv("TABULO_SHOTS_DIR"))
            fs::copy_file(pdf, fs::path(keep) / (key + ".pdf"),
                          fs::copy_options::overwrite_existing);
        const std::string text = PdfText(pdf);
        std::ifstream in(golden / (key + ".txt"), std::ios::binary);
        ASSERT_TRUE(in.good()) << "no golden file " << (golden / (key + ".txt"))
                               << "; the printout reads:\n"
                               << text;
        std::stringstream want;
        want << in.rdbuf();
        EXPECT_EQ(text, want.str()) << key;
    }
}

}  // namespace
}  // namespace tabulo
