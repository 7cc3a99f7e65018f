// The consumption-tax screens driven by keys with scripted answers: the grocery year's
// categories, classes and settings typed on 消費税の設定 and kept in SHOHIZEI08.DAT,
// then 消費税の計算 showing the three methods side by side (the cheapest marked, the
// note on the rule not yet law) and printing; numbers of a wrong form, amounts that
// cannot be kept and a save that fails.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <sstream>

#include "cashbook/CashBookForm.h"
#include "cashbook/Ledger.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "consumptiontax/ConsumptionTaxForm.h"
#include "consumptiontax/TaxSettingsForm.h"
#include "platform/FileOps.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "tests/books/BooksYear.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/RecordingPrinter.h"
#include "ui/AppContext.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using namespace testing::BookItem;
using testing::FakePrompt;
using testing::FakeToolbar;
using testing::Key;
using testing::TypeText;

// The grocery of 令和8年: sales at 8 % on 売上 and at 10 % on 振込入金, purchases at 8 %
// on 仕入 and at 10 % on 電話代, and purchases at 10 % without a qualified invoice: on
// 消耗品 in June, and in November one line of 電話代 marked 【免】 in its remarks.
class TaxScreens : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        s.EraName = "令和";
        s.FiscalYear = 8;
        s.LedgerPath = dir / "KEIRI08.DAT";
        s.ReportTitleName = "青空商店";
        toolbar.enabled = {false, true, true, true, true, false, true, true, true};
        Line("080310", Sales, 5432100);
        Line("080311", BankSales, 1654300);
        Line("080312", Purchases, 3791500);
        Line("080401", Phone, 992200);
        Line("080615", Supplies, 110000);
        Line("081110", Phone, 55000);  // marked on the cash book: no invoice
        WriteLedger();
    }
    void TearDown() override { alive.reset(); }

    // Picks line `row` of the category list (0: the account's) with the keys.
    void PickCategory(int row) {
        testing::OnNextModal(
            alive, nullptr,
            [row](QWidget* m) {
                auto* list = m->findChild<QListWidget*>();
                QTest::keyClick(list, Qt::Key_Home);
                for (int i = 0; i < row; ++i) QTest::keyClick(list, Qt::Key_Down);
                QTest::keyClick(list, Qt::Key_Return);
            },
            QStringLiteral("TaxCategoryPicker"));
    }
    void Category(TaxSettingsForm& f, int item, TaxCategory c) {
        f.grid()->setCurrentCell(item - 1, TaxSettingsForm::ColCategory);
        PickCategory(static_cast<int>(c));
        Key(f.grid(), Qt::Key_Return);
    }
    static void Retype(QLineEdit* e, const QString& text) {
        e->setFocus();
        e->selectAll();
        Key(e, Qt::Key_Delete);
        TypeText(e, text);
    }
    // Types the grocer's settings; the caller saves.
    void TypeGrocer(TaxSettingsForm& f) {
        Category(f, Sales, TaxCategory::Sales8);
        Category(f, Purchases, TaxCategory::Purchase8);
        Category(f, Supplies, TaxCategory::Purchase10NoInvoice);
        f.grid()->setCurrentCell(Sales - 1, TaxSettingsForm::ColCategory);
        Key(f.grid(), Qt::Key_2);  // class 2 for 売上
        f.taxableBox()->setFocus();
        Key(f.taxableBox(), Qt::Key_Space);
        Retype(f.registrationEdit(), QStringLiteral("T7123456789012"));
        f.methodBox()->setFocus();
        Key(f.methodBox(), Qt::Key_Down);  // 2割特例
        Key(f.methodBox(), Qt::Key_Down);  // 簡易課税
        f.classBox()->setFocus();
        Key(f.classBox(), Qt::Key_Down);
        Key(f.classBox(), Qt::Key_Down);  // 第2種
        f.electionBox()->setFocus();
        Key(f.electionBox(), Qt::Key_Space);
    }
    TaxSettings Stored() {
        auto read = LoadTaxSettings(TaxSettingsPath(s));
        EXPECT_TRUE(read.ok());
        return read.ok() ? *read : TaxSettings{};
    }

    FakePrompt prompt;
    FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

TEST_F(TaxScreens, TheGroceryYearTypedByKeysShowsTheThreeMethodsAndPrints) {
    {
        // The November phone bill came from a seller without registration: its remarks
        // say so on the cash book.
        CashBookForm book(app);
        ASSERT_TRUE(testing::ShowActive(&book));
        auto focus = [&] { return QApplication::focusWidget(); };
        QTest::keyClick(focus(), Qt::Key_Up);  // from the next free line to line 6
        for (int i = 0; i < 4; ++i) QTest::keyClick(focus(), Qt::Key_Right);
        ASSERT_EQ(focus(), book.field(CashBookForm::ColRemarks, 6));
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("【免】山田文具"));
        QApplication::sendEvent(focus(), &typed);
        QTest::keyClick(focus(), Qt::Key_Return);
        auto line = ReadLedgerLineAt(s, 6);
        ASSERT_TRUE(line.ok());
        EXPECT_EQ(line->Bikou.rfind("【免】山田文具", 0), 0u);
    }
    {
        TaxSettingsForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        ASSERT_TRUE(f.Loaded());
        // Each item shows its account's category beside its own.
        EXPECT_EQ(f.grid()->item(Phone - 1, TaxSettingsForm::ColDefault)->text(), QStringLiteral("課税仕入10%"));
        EXPECT_EQ(f.grid()->item(Interest - 1, TaxSettingsForm::ColDefault)->text(), QStringLiteral("非課税仕入"));
        // An exempt year asks nothing of the return.
        EXPECT_FALSE(f.taxableBox()->isChecked());
        EXPECT_FALSE(f.methodBox()->isEnabled());
        TypeGrocer(f);
        EXPECT_TRUE(f.methodBox()->isEnabled());
        EXPECT_EQ(f.grid()->item(Supplies - 1, TaxSettingsForm::ColCategory)->text(),
                  QStringLiteral("課税仕入10%（適格請求書なし）"));
        EXPECT_EQ(f.grid()->item(Sales - 1, TaxSettingsForm::ColClass)->text(), QStringLiteral("第2種"));
        Key(f.grid(), Qt::Key_F10);
        EXPECT_EQ(prompt.LastText(), "消費税の設定を登録しますか？");
        EXPECT_FALSE(f.isVisible());
    }
    const TaxSettings t = Stored();
    EXPECT_TRUE(t.Taxable);
    EXPECT_EQ(t.RegistrationNo, "T7123456789012");
    EXPECT_EQ(t.Method, TaxMethod::Simplified);
    EXPECT_EQ(t.BusinessClass, 2);
    EXPECT_TRUE(t.SimpleElectionFiled);
    EXPECT_EQ(t.ItemCategory[Sales], TaxCategory::Sales8);
    EXPECT_EQ(t.ItemCategory[Phone], TaxCategory::FromAccount);
    EXPECT_EQ(t.ItemClass[Sales], 2);

    testing::RecordingPrinter printer;
    app.output = &printer;
    ConsumptionTaxForm c(app);
    ASSERT_TRUE(testing::ShowActive(&c));
    ASSERT_TRUE(c.Loaded());
    QTableWidget* g = c.comparisonGrid();
    ASSERT_EQ(g->columnCount(), 4);
    EXPECT_EQ(g->horizontalHeaderItem(1)->text(), QStringLiteral("◎2割特例（最も少ない）"));
    EXPECT_EQ(g->horizontalHeaderItem(2)->text(), QStringLiteral("◎簡易課税（最も少ない）"));
    EXPECT_EQ(g->horizontalHeaderItem(3)->text(), QStringLiteral("原則課税"));
    int totalRow = -1;
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->item(r, 0)->text() == QStringLiteral("納付（還付）税額の合計")) totalRow = r;
    ASSERT_GE(totalRow, 0);
    EXPECT_EQ(g->item(totalRow, 1)->text(), QStringLiteral("110,500"));
    EXPECT_EQ(g->item(totalRow, 2)->text(), QStringLiteral("110,500"));
    EXPECT_EQ(g->item(totalRow, 3)->text(), QStringLiteral("170,000"));
    // 原則課税 rests on the reform's 70 %: the note says so on the screen.
    EXPECT_TRUE(c.noteLabel()->isVisible());
    EXPECT_TRUE(c.noteLabel()->text().startsWith(QStringLiteral("原則課税：")));
    // The second tab shows the settings' method: 簡易課税's 第一表 and worksheets.
    Key(c.comparisonGrid(), Qt::Key_2);  // not a tab key: nothing happens
    QTest::keyClick(&c, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(c.tabs()->currentIndex(), 1);
    EXPECT_EQ(c.methodBox()->currentIndex(), 1);
    int totals = 0;
    for (int r = 0; r < c.linesGrid()->rowCount(); ++r) {
        if (auto* m = c.linesGrid()->item(r, 1); m != nullptr && m->text() == QStringLiteral("㉖")) {
            EXPECT_EQ(c.linesGrid()->item(r, 3)->text(), QStringLiteral("110,500"));
            ++totals;
        }
    }
    EXPECT_EQ(totals, 1);
    c.methodBox()->setFocus();
    Key(c.methodBox(), Qt::Key_Down);  // 原則課税
    bool found = false;
    for (int r = 0; r < c.linesGrid()->rowCount(); ++r)
        if (auto* m = c.linesGrid()->item(r, 1); m != nullptr && m->text() == QStringLiteral("④")) {
            EXPECT_EQ(c.linesGrid()->item(r, 3)->text(), QStringLiteral("298,390"));
            found = true;
        }
    EXPECT_TRUE(found);
    QTest::keyClick(&c, Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(c.tabs()->currentIndex(), 2);
    EXPECT_EQ(c.categoryGrid()->rowCount(), 5);
    QTest::keyClick(&c, Qt::Key_4, Qt::AltModifier);
    EXPECT_EQ(c.tabs()->currentIndex(), 3);
    ASSERT_EQ(c.markedGrid()->rowCount(), 1);
    EXPECT_EQ(c.markedGrid()->item(0, 0)->text(), QStringLiteral("出納簿 6"));
    EXPECT_EQ(c.markedGrid()->item(0, 3)->text(), QStringLiteral("55,000"));
    EXPECT_EQ(c.markedGrid()->item(0, 4)->text(), QStringLiteral("課税仕入10%"));
    EXPECT_EQ(c.markedGrid()->item(0, 5)->text(), QStringLiteral("課税仕入10%（適格請求書なし）"));

    // The command line gives the lines the screen shows, for the year's method and for
    // another one asked for.
    testing::WriteBytes(dir / "DATE.DAT", std::string("8,\"\x97\xDF\x98\x61\",0\r\n"));  // 令和
    auto master = EncodeMasterFile(s.MasterHeader, s.ItemTable);
    ASSERT_TRUE(master.ok());
    testing::WriteBytes(dir / "MASTER.DAT", std::string(reinterpret_cast<const char*>(master->data()), master->size()));
    auto exported = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"export", "consumption-tax", dir.path().string(),
                                         "--encoding", "utf-8"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto parsed = ParseArguments(args);
        EXPECT_TRUE(parsed.request) << parsed.error;
        std::ostringstream out, err;
        if (parsed.request) {
            EXPECT_EQ(RunExport(parsed.request->exportRequest, out, err), ExitStatus::Ok) << err.str();
        }
        return out.str();
    };
    auto expectScreenInCsv = [&](const std::string& csv) {
        QString sheet;
        int lines = 0;
        for (int r = 0; r < c.linesGrid()->rowCount(); ++r) {
            if (!c.linesGrid()->item(r, 0)->text().isEmpty()) {
                sheet = c.linesGrid()->item(r, 0)->text();
                continue;
            }
            const QString row = sheet + c.linesGrid()->item(r, 1)->text() + QLatin1Char(',') +
                                c.linesGrid()->item(r, 2)->text() + QLatin1Char(',') +
                                c.linesGrid()->item(r, 3)->text().remove(QLatin1Char(','));
            EXPECT_NE(csv.find(row.toStdString() + "\r\n"), std::string::npos) << row.toStdString();
            ++lines;
        }
        EXPECT_GT(lines, 20);
    };
    expectScreenInCsv(exported({"--method", "gensoku"}));
    EXPECT_NE(exported({"--method", "gensoku"}).find("第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,170000\r\n"),
              std::string::npos);
    Key(c.methodBox(), Qt::Key_Up);  // back to 簡易課税, the year's method
    const std::string kani = exported({});
    expectScreenInCsv(kani);
    EXPECT_NE(kani.find("第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,110500\r\n"), std::string::npos);
    EXPECT_NE(exported({"--method", "2wari"}).find("第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,110500\r\n"),
              std::string::npos);

    Key(c.methodBox(), Qt::Key_F8);
    ASSERT_EQ(printer.printed.size(), 1u);
    // The comparison, 第一表, 第二表, 付表1-3, 付表2-3, the categories, the marked line.
    EXPECT_EQ(printer.printed[0].pages.size(), 7u);
    Key(c.methodBox(), Qt::Key_F10);
    EXPECT_FALSE(c.isVisible());
}

TEST_F(TaxScreens, AWrongNumberOrAmountIsRefusedAndACheckDigitOnlyWarns) {
    TaxSettingsForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    f.taxableBox()->setFocus();
    Key(f.taxableBox(), Qt::Key_Space);
    Retype(f.registrationEdit(), QStringLiteral("T712345678901"));
    Key(f.grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), kRegistrationNoFormMessage);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.registrationEdit()->hasFocus());
    EXPECT_FALSE(std::filesystem::exists(TaxSettingsPath(s)));

    Retype(f.registrationEdit(), QStringLiteral("T7123456789012"));
    Retype(f.interimEdit(), QStringLiteral("-100"));
    Key(f.interimEdit(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "中間納付税額は0以上の円単位の金額で入力してください。");
    EXPECT_TRUE(f.interimEdit()->hasFocus());
    EXPECT_FALSE(std::filesystem::exists(TaxSettingsPath(s)));

    Retype(f.interimEdit(), QStringLiteral("12,300"));
    Retype(f.registrationEdit(), QStringLiteral("T7123456789013"));
    prompt.Clear();
    Key(f.registrationEdit(), Qt::Key_F10);
    ASSERT_EQ(prompt.Texts().size(), 2u);
    EXPECT_EQ(prompt.Texts()[0], kRegistrationNoCheckMessage);
    EXPECT_EQ(prompt.Texts()[1], "消費税の設定を登録しますか？");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Stored().RegistrationNo, "T7123456789013");
    EXPECT_EQ(Stored().InterimTax, 12300);
}

TEST_F(TaxScreens, AnAmendedReturnKeepsWhatWasFiledBefore) {
    TaxSettingsForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    TypeGrocer(f);
    EXPECT_FALSE(f.priorEdit()->isEnabled());
    f.amendedBox()->setFocus();
    Key(f.amendedBox(), Qt::Key_Space);
    EXPECT_TRUE(f.priorEdit()->isEnabled());
    Retype(f.priorEdit(), QStringLiteral("80,000"));
    Retype(f.priorLocalEdit(), QStringLiteral("△1,400"));
    Key(f.priorLocalEdit(), Qt::Key_F10);
    EXPECT_FALSE(f.isVisible());
    const TaxSettings t = Stored();
    EXPECT_TRUE(t.Amended);
    EXPECT_EQ(t.PriorTax, 80000);
    EXPECT_EQ(t.PriorLocalTax, -1400);
    EXPECT_EQ(std::filesystem::file_size(TaxSettingsPath(s)), kAmendedTaxSettingsSize);
}

TEST_F(TaxScreens, CancelAndAFailedSaveLeaveTheSettingsAsTheyWere) {
    {
        TaxSettingsForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        TypeGrocer(f);
        Key(f.grid(), Qt::Key_F5);
        EXPECT_EQ(prompt.LastText(), "中断しますか？");
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(std::filesystem::exists(TaxSettingsPath(s)));
    }
    // The save fails at its first write: said, the screen stays open with the edits,
    // and the file is not there.
    {
        TaxSettingsForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        TypeGrocer(f);
        testing::FaultyFiles files(1, testing::Fault::Fail);
        {
            ScopedFileOps scoped(files);
            Key(f.grid(), Qt::Key_F10);
        }
        EXPECT_TRUE(files.reached);
        EXPECT_NE(prompt.LastText().find("消費税の設定を保存できませんでした"), std::string::npos);
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(std::filesystem::exists(TaxSettingsPath(s)));
        Key(f.grid(), Qt::Key_F10);  // tried again, it is kept
        EXPECT_FALSE(f.isVisible());
        EXPECT_TRUE(Stored().Taxable);
    }
    // A settings file that is not one: said, and the screen keeps nothing.
    testing::WriteBytes(TaxSettingsPath(s), std::string("CTX1 short"));
    TaxSettingsForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_FALSE(f.Loaded());
    EXPECT_NE(prompt.LastText().find("消費税の設定を読めません"), std::string::npos);
    Key(f.grid(), Qt::Key_F10);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(testing::ReadBytes(TaxSettingsPath(s)), std::string("CTX1 short"));
}

TEST_F(TaxScreens, TheCalculationOfAYearNeverSetShowsWhatRegisteringWouldCost) {
    ConsumptionTaxForm c(app);
    ASSERT_TRUE(testing::ShowActive(&c));
    ASSERT_TRUE(c.Loaded());
    EXPECT_TRUE(c.headLabel()->text().contains(QStringLiteral("免税事業者の設定です")));
    // No class chosen: 簡易課税 says why it cannot be worked out.
    EXPECT_TRUE(c.comparisonGrid()->item(0, 2)->text().contains(QStringLiteral("事業区分")));
    EXPECT_EQ(c.comparisonGrid()->columnCount(), 4);
}

}  // namespace
}  // namespace tabulo
