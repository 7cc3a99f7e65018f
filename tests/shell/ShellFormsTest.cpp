// The main window, the settings and fiscal-year forms and the hand-over to a running copy.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/PrinterHost.h"
#include "platform/SingleInstance.h"
#include "platform/UrlOpener.h"
#include "shell/About.h"
#include "shell/StartupWindow.h"
#include "shell/CheckStartup.h"
#include "shell/HelpWindow.h"
#include "shell/SettingsForm.h"
#include "shell/PrintOffsetsForm.h"
#include "shell/FiscalYearForm.h"
#include "books/BookLinks.h"
#include "shell/MainWindow.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/TempFolder.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::FakePrompt;
using testing::FakeToolbar;
using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// DATE.DAT of era year 13 of 平成: 13,"平成",0 CR LF in Shift-JIS.
const std::string kDateDat13 = FromHex("31 33 2c 22 95bd 90ac 22 2c 30 0d0a");

EnvLookup NoEnv() {
    return [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
}

// Runs `step` on the next modal window that opens (polled from the event loop).
void OnNextModal(std::function<void(QWidget*)> step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

struct ShellForms : ::testing::Test {
    TempFolder home;
    SharedState s;
    FakePrompt prompt;
    FakeToolbar toolbar;
    AppContext ctx{s, prompt, toolbar};
    fs::path dataFolder;

    ShellForms() {
        s.ProgramFolder = home.path();
        EXPECT_EQ(CheckStartup(s, prompt, NoEnv()), StartupResult::Ready);
        dataFolder = home.path() / "drives" / "A" / "KEIRIDATA";
        prompt.Clear();
    }
    static void Activate(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
};

// ---- 環境設定 ----

TEST_F(ShellForms, SettingsCapTheCountAndFillEmptyBoxes) {
    SettingsForm form(ctx, nullptr);
    Activate(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("環境設定"));
    EXPECT_FALSE(toolbar.enabled[ToolButton::Read]);  // off while the settings are open
    EXPECT_EQ(form.Text1(0)->text(), QStringLiteral("A"));
    EXPECT_EQ(form.Text1(1)->text(), QStringLiteral("2000"));

    form.Text1(1)->setFocus();
    form.Text1(1)->clear();
    QTest::keyClicks(form.Text1(1), QStringLiteral("20000"));
    QTest::keyClick(form.Text1(1), Qt::Key_Return);  // Enter moves on to the X offset
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"データ件数は10,000件までです。"});
    EXPECT_EQ(form.Text1(1)->text(), QStringLiteral("10000"));
    EXPECT_TRUE(form.Text1(2)->hasFocus());

    form.Text1(2)->clear();
    QTest::keyClick(form.Text1(2), Qt::Key_Tab);
    EXPECT_EQ(form.Text1(2)->text(), QStringLiteral("0"));

    // Only digits, "." and "-" go into the number boxes.
    form.Text1(3)->setFocus();
    form.Text1(3)->clear();
    QTest::keyClicks(form.Text1(3), QStringLiteral("-1.5x"));
    EXPECT_EQ(form.Text1(3)->text(), QStringLiteral("-1.5"));
    EXPECT_EQ(prompt.beeps, 1);
    // Pasted text obeys the same rule.
    form.Text1(4)->clear();
    form.Text1(4)->insert(QStringLiteral("１２x"));
    EXPECT_EQ(form.Text1(4)->text(), QString());
    // The drive box takes letters.
    form.Text1(0)->setFocus();
    form.Text1(0)->clear();
    QTest::keyClicks(form.Text1(0), QStringLiteral("b"));
    EXPECT_EQ(form.Text1(0)->text(), QStringLiteral("b"));
    EXPECT_EQ(prompt.beeps, 1);
}

TEST_F(ShellForms, SavingTheSettingsFromAnyBoxWithF10ClearsTheLoadedYear) {
    s.DataLoaded = 1;
    s.FiscalYear = 13;
    SettingsForm form(ctx, nullptr);
    Activate(form);
    form.Text1(2)->setFocus();
    form.Text1(2)->clear();
    QTest::keyClicks(form.Text1(2), QStringLiteral("12"));
    QTest::keyClick(form.Text1(2), Qt::Key_F10);

    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown[0].text, "設定データを更新しますか？");
    EXPECT_EQ(prompt.shown[0].title, "更新確認");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_EQ(s.FiscalYear, 0);
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"), "A\r\n2000\r\n12\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    for (int b : {ToolButton::Read, ToolButton::Settings, ToolButton::PrinterSetup, ToolButton::End})
        EXPECT_TRUE(toolbar.enabled[b]) << b;
}

TEST_F(ShellForms, CancellingTheSettingsAsksAndKeepsTheFile) {
    const std::string before = ReadBytes(home / "TAB_SET3.DAT");
    SettingsForm form(ctx, nullptr);
    Activate(form);
    form.Text1(1)->setFocus();
    form.Text1(1)->clear();
    QTest::keyClicks(form.Text1(1), QStringLiteral("500"));
    prompt.Answer(Answer::No);
    QTest::keyClick(form.Text1(1), Qt::Key_F5);
    EXPECT_TRUE(form.isVisible());  // "No" stays on the form
    QTest::keyClick(form.Text1(1), Qt::Key_F5);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(prompt.shown.back().text, "中断しますか？");
    EXPECT_EQ(prompt.shown.back().title, "中断確認");
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"), before);
    EXPECT_TRUE(toolbar.enabled[ToolButton::Read]);
}

TEST_F(ShellForms, PrintPositionFormLocksDriveAndCountAndOnlyWritesTheFile) {
    s.OffsetOnlyMode = -1;
    s.DataLoaded = 1;
    s.FiscalYear = 13;
    PrintOffsetsForm form(ctx, nullptr);
    Activate(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("印刷座標設定"));
    EXPECT_FALSE(form.Text1(0)->isEnabled());
    EXPECT_FALSE(form.Text1(1)->isEnabled());
    form.Text1(3)->setFocus();
    form.Text1(3)->clear();
    QTest::keyClicks(form.Text1(3), QStringLiteral("-3"));
    QTest::keyClick(form.Text1(3), Qt::Key_F10);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(s.DataLoaded, 1);  // the year stays loaded
    EXPECT_EQ(s.FiscalYear, 13);
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"), "A\r\n2000\r\n0\r\n-3\r\n0\r\n0\r\n0\r\n0\r\n");
}

// ---- 年度 ----

TEST_F(ShellForms, FiscalYearFormProposesTheEraOfToday) {
    ctx.today = [] { return year{2026} / March / 1; };
    FiscalYearForm reiwa(ctx, nullptr);
    EXPECT_EQ(reiwa.Text1()->text(), QStringLiteral("令和"));
    ctx.today = [] { return year{2018} / March / 1; };
    FiscalYearForm heisei(ctx, nullptr);
    EXPECT_EQ(heisei.Text1()->text(), QStringLiteral("平成"));
}

TEST_F(ShellForms, FiscalYearFormProposesThisYearOfTheEraSelectedForTyping) {
    ctx.today = [] { return year{2026} / March / 1; };
    FiscalYearForm reiwa(ctx, nullptr);
    EXPECT_EQ(reiwa.Text2()->text(), QStringLiteral("8"));
    EXPECT_EQ(reiwa.Text2()->selectedText(), QStringLiteral("8"));
    ctx.today = [] { return year{2019} / April / 30; };
    FiscalYearForm heisei(ctx, nullptr);
    EXPECT_EQ(heisei.Text1()->text(), QStringLiteral("平成"));
    EXPECT_EQ(heisei.Text2()->text(), QStringLiteral("31"));
    ctx.today = [] { return year{2019} / May / 1; };
    FiscalYearForm first(ctx, nullptr);
    EXPECT_EQ(first.Text1()->text(), QStringLiteral("令和"));
    EXPECT_EQ(first.Text2()->text(), QStringLiteral("1"));
}

TEST_F(ShellForms, FiscalYearZeroOnlyBeepsAndOtherKeysAreRefused) {
    s.DataFolder = dataFolder;
    s.FiscalYearPath = dataFolder / "DATE.DAT";
    FiscalYearForm form(ctx, nullptr);
    Activate(form);
    form.Text2()->setFocus();
    QTest::keyClicks(form.Text2(), QStringLiteral("a-0"));
    EXPECT_EQ(form.Text2()->text(), QStringLiteral("0"));
    EXPECT_EQ(prompt.beeps, 2);
    QTest::mouseClick(form.Touroku(), Qt::LeftButton);
    EXPECT_EQ(prompt.beeps, 3);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(fs::exists(s.FiscalYearPath));
    EXPECT_EQ(s.FiscalYear, 0);
}

TEST_F(ShellForms, RegisteringTheFiscalYearWritesDateDat) {
    ctx.today = [] { return year{2018} / June / 1; };
    s.DataFolder = dataFolder;
    s.FiscalYearPath = dataFolder / "DATE.DAT";
    FiscalYearForm form(ctx, nullptr);
    Activate(form);
    form.Text2()->setFocus();
    QTest::keyClicks(form.Text2(), QStringLiteral("13"));  // replaces the proposed 30
    QTest::keyClick(form.Text2(), Qt::Key_Return);  // Enter in the year box registers
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(s.FiscalYear, 13);
    EXPECT_EQ(s.EraName, "平成");
    EXPECT_EQ(ReadBytes(s.FiscalYearPath), kDateDat13);
}

// ---- The main window ----

struct MainWindowTest : ShellForms {
    MainWindow window{s, prompt, nullptr, nullptr};
    MainWindowTest() { window.show(); }
    std::vector<bool> Buttons() {
        std::vector<bool> on;
        for (int i = 0; i < 9; ++i) on.push_back(window.IsButtonEnabled(i));
        return on;
    }
};

TEST_F(MainWindowTest, HasTheMenusAndButtonsOfTheProgram) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("会計処理"));
    const auto menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 6);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("選択メニュー(&M)"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("複式簿記(&B)"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("決算(&K)"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("電子帳簿(&E)"));
    EXPECT_EQ(menus[4]->text(), QStringLiteral("消費税(&Z)"));
    EXPECT_EQ(menus[5]->text(), QStringLiteral("ヘルプ(&H)"));
    QStringList yearEnd;
    for (QAction* a : menus[2]->menu()->actions()) yearEnd << a->text();
    EXPECT_EQ(yearEnd.join(QLatin1Char('|')), QStringLiteral("固定資産台帳(&F)|家事按分(&A)"));
    QStringList ebooks;
    for (QAction* a : menus[3]->menu()->actions()) ebooks << a->text();
    EXPECT_EQ(ebooks.join(QLatin1Char('|')), QStringLiteral("検索(&K)|履歴(&R)"));
    QStringList entries;
    for (QAction* a : menus[0]->menu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries.join(QLatin1Char('|')),
              QStringLiteral("データ読み込み(&R)|-|データ入力(&I)|項目別表示(&H)|マスター登録(&S)|"
                             "預金データ入力(&Y)|明細の取り込み(&T)...|-|環境設定(&K)|プリンター設定(&P)|-|"
                             "データディスクのバックアップ(&B)|翌年度データディスク作成(&N)|"
                             "自動バックアップから戻す(&M)...|"
                             "CSVファイルに出力(&X)...|最後に出力したPDFを開く(&O)|"
                             "PDFのフォルダーを開く(&F)|-|終了(&E)"));
    entries.clear();
    for (QAction* a : menus[1]->menu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries.join(QLatin1Char('|')),
              QStringLiteral("振替伝票入力(&F)|期首残高(&O)|項目の勘定科目(&A)|-|仕訳帳(&J)|"
                             "総勘定元帳(&L)|試算表(&T)|-|電子帳簿の設定(&E)..."));
    // Like the cash book, the books open only once a year is read.
    for (QAction* a : menus[1]->menu()->actions()) {
        if (a->isSeparator()) continue;
        prompt.Clear();
        a->trigger();
        EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"データを読み込んでください！！"})
            << a->text().toStdString();
    }
    // The register, the shares, the search and the history too.
    for (QAction* a : menus[2]->menu()->actions() + menus[3]->menu()->actions()) {
        prompt.Clear();
        a->trigger();
        EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"データを読み込んでください！！"})
            << a->text().toStdString();
    }
    // The consumption tax's settings and calculation, once a year is read.
    entries.clear();
    for (QAction* a : menus[4]->menu()->actions()) {
        entries << a->text();
        prompt.Clear();
        a->trigger();
        EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"データを読み込んでください！！"})
            << a->text().toStdString();
    }
    EXPECT_EQ(entries.join(QLatin1Char('|')), QStringLiteral("消費税の設定(&S)|消費税の計算(&C)"));
    entries.clear();
    for (QAction* a : menus[5]->menu()->actions()) entries << a->text();
    EXPECT_EQ(entries.join(QLatin1Char('|')),
              QStringLiteral("目次(&C)|はじめて使うとき(&F)|ヘルプの使い方(&H)|バージョン情報(&A)"));
    const char* tips[] = {"データ読み込み", "データ入力", "項目別表示", "マスター登録",
                          "預金データ入力", "環境設定", "プリンター設定", "終了"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(window.ToolbarButton(i)->toolTip(), QString::fromUtf8(tips[i]));
        EXPECT_FALSE(window.ToolbarButton(i)->icon().isNull());
    }
}

TEST_F(MainWindowTest, DataFormsBeforeReadingAskForTheDataAndOpenNothing) {
    for (int button : {1, 2, 3, 4}) {
        prompt.Clear();
        QTest::mouseClick(window.ToolbarButton(button), Qt::LeftButton);
        ASSERT_EQ(prompt.shown.size(), 1u) << button;
        EXPECT_EQ(prompt.shown[0].text, "データを読み込んでください！！");
        EXPECT_EQ(prompt.shown[0].title, "エラー確認");
        EXPECT_EQ(prompt.shown[0].style, MsgStyle::Exclamation);
        EXPECT_EQ(window.LastButton(), button);
        EXPECT_FALSE(window.ToolbarButton(button)->isDown());
        EXPECT_TRUE(window.findChildren<QDialog*>().isEmpty());
    }
    prompt.Clear();
    window.OpenMaster();
    EXPECT_EQ(prompt.LastText(), "データを読み込んでください！！");
}

TEST_F(MainWindowTest, ReadingTheDataOpensTheDataButtonsAndClosesReadAndSettings) {
    WriteBytes(dataFolder / "DATE.DAT", kDateDat13);
    QTest::mouseClick(window.ToolbarButton(ToolButton::Read), Qt::LeftButton);
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(s.FiscalYear, 13);
    EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, true, true, true, false, true, true, true}));
    // The read entry of the menu now only beeps.
    const int beeps = prompt.beeps;
    window.ReadYear();
    EXPECT_EQ(prompt.beeps, beeps + 1);
}

TEST_F(MainWindowTest, AfterReadingTheButtonsOpenTheirForms) {
    WriteBytes(dataFolder / "DATE.DAT", kDateDat13);
    window.ReadYear();
    ASSERT_EQ(s.DataLoaded, 1);
    const std::pair<int, const char*> forms[] = {
        {ToolButton::Input, "tabulo::CashBookForm"},
        {ToolButton::Master, "tabulo::MasterForm"},
        {ToolButton::Deposits, "tabulo::DepositBookForm"},
        {ToolButton::ItemLedger, "tabulo::ItemLinesForm"},
    };
    for (const auto& [button, className] : forms) {
        QString opened;
        OnNextModal([&opened](QWidget* w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            static_cast<QDialog*>(w)->done(QDialog::Rejected);
        });
        QTest::mouseClick(window.ToolbarButton(button), Qt::LeftButton);
        EXPECT_EQ(opened, QString::fromLatin1(className));
        EXPECT_FALSE(window.ToolbarButton(button)->isDown());
    }
}

// The electronic-books setting opens from the books' menu once a year is read; the
// journal asked for from a line that makes no entry says so and opens nothing.
TEST_F(MainWindowTest, TheSettingScreenAndTheJournalOfALineOpenOverTheWindow) {
    WriteBytes(dataFolder / "DATE.DAT", kDateDat13);
    window.ReadYear();
    ASSERT_EQ(s.DataLoaded, 1);
    QString opened;
    OnNextModal([&opened](QWidget* w) {
        opened = QString::fromLatin1(w->metaObject()->className());
        static_cast<QDialog*>(w)->done(QDialog::Accepted);
    });
    window.OpenElectronicBooksSetting();
    EXPECT_EQ(opened, QStringLiteral("tabulo::ElectronicBooksForm"));

    prompt.Clear();
    EXPECT_EQ(window.OpenJournalEntry(EntrySource::CashBookLine, 1, &window), std::nullopt);
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{kNoEntryForSource});
}

// After a failed read the read button used to stay off, so only a restart could read.
TEST_F(MainWindowTest, AFailedReadLeavesReadingAndSettingsOpenForAnotherTry) {
    TempFolder media;
    s.SetupLines[1] = (media / "not-mounted").string();
    for (int i = 0; i < 3; ++i) prompt.Answer(Answer::Cancel);
    window.ReadYear();
    EXPECT_EQ(s.DataLoaded, 0);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_NE(prompt.shown[0].text.find("にデータディスクが準備されていません！！"), std::string::npos);
    EXPECT_EQ(Buttons(), (std::vector<bool>{true, true, true, true, true, true, true, true, true}));
    // The data forms still refuse.
    prompt.Clear();
    window.OpenCashBook();
    EXPECT_EQ(prompt.LastText(), "データを読み込んでください！！");
}

// A first start: the status bar says what to do; 読み込み on the fresh disk gives the
// message, then the year form centred over the window with this year proposed, and
// Enter registers it. Afterwards the caption and the status bar name the year.
TEST_F(MainWindowTest, AFirstStartGuidesFromReadingToTheLoadedYear) {
    window.resize(800, 600);
    window.move(150, 90);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("会計処理"));
    EXPECT_TRUE(window.YearLabel()->text().contains(QStringLiteral("［読み込み］ボタン")));
    EXPECT_TRUE(window.YearLabel()->text().contains(QStringLiteral("はじめて使うとき")));
    window.Context().today = [] { return year{2026} / June / 3; };
    QPoint formCentre, windowCentre;
    QString proposed;
    OnNextModal([&](QWidget* w) {
        auto* form = qobject_cast<FiscalYearForm*>(w);
        ASSERT_NE(form, nullptr);
        formCentre = form->frameGeometry().center();
        windowCentre = window.frameGeometry().center();
        proposed = form->Text1()->text() + form->Text2()->text();
        EXPECT_EQ(form->focusWidget(), form->Text2());  // the year is where typing goes
        QTest::keyClick(form->Text2(), Qt::Key_Return);
    });
    QTest::mouseClick(window.ToolbarButton(ToolButton::Read), Qt::LeftButton);
    EXPECT_EQ(prompt.shown.at(0).text, "年度ファイルが有りません！！");
    EXPECT_EQ(proposed, QStringLiteral("令和8"));
    EXPECT_LE((formCentre - windowCentre).manhattanLength(), 4)
        << formCentre.x() << "," << formCentre.y() << " vs " << windowCentre.x() << ","
        << windowCentre.y();
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(ReadBytes(dataFolder / "DATE.DAT"), FromHex("38 2c 22 97df 9861 22 2c 30 0d0a"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("会計処理 - 令和8年度"));
    EXPECT_TRUE(window.YearLabel()->text().startsWith(QStringLiteral("令和8年度のデータを読み込みました")))
        << window.YearLabel()->text().toStdString();
}

// The help menu has the page for a first start.
TEST_F(MainWindowTest, TheHelpMenuOpensThePageForAFirstStart) {
    struct PageNotes : HelpHost {
        std::vector<std::string> pages;
        void ShowContents() override { pages.push_back("contents"); }
        void ShowHelpOnHelp() override {}
        void ShowPage(const std::string& name) override { pages.push_back(name); }
        void CloseHelp() override {}
    } help;
    MainWindow withHelp(s, prompt, nullptr, &help);
    QAction* first = nullptr;
    for (QAction* a : withHelp.menuBar()->actions().back()->menu()->actions())
        if (a->text() == QStringLiteral("はじめて使うとき(&F)")) first = a;
    ASSERT_NE(first, nullptr);
    first->trigger();
    EXPECT_EQ(help.pages, std::vector<std::string>{"first.html"});
    EXPECT_TRUE(fs::exists(fs::path(TABULO_TEST_DATA).parent_path().parent_path() / "help" / "first.html"));
}

// After a printout into a PDF file, Ctrl+O hands that file to the desktop's viewer and
// Ctrl+Shift+O its folder to the file manager.
TEST_F(MainWindowTest, KeysOpenTheLastPdfAndThePdfFolder) {
    struct Urls : UrlOpener {
        std::vector<QUrl> opened;
        bool answer = true;
        bool Open(const QUrl& url) override {
            opened.push_back(url);
            return answer;
        }
    } urls;
    PrinterHost printer(home.path());
    printer.Printer().setOutputFormat(QPrinter::PdfFormat);
    printer.Printer().setOutputFileName(
        QString::fromStdString((printer.DefaultPdfFolder() / "TABULO.pdf").string()));
    printer.SetClock([] { return std::string("20260603-1000"); });
    MainWindow w(s, prompt, &printer, nullptr);
    w.SetUrlOpener(&urls);
    Activate(w);
    EXPECT_FALSE(w.OpenPdfAction()->isEnabled());  // nothing printed yet
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(urls.opened.empty());

    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(urls.opened.size(), 1u);
    EXPECT_EQ(urls.opened[0], QUrl::fromLocalFile(QString::fromStdString((home.path() / "PDF").string())));
    EXPECT_TRUE(fs::is_directory(home.path() / "PDF"));

    PrintDocument doc;
    doc.name = "出納簿 04月";
    PageWriter page(doc);
    page.NewPage(11906, 16838);
    page.FontName = "ＭＳ 明朝";
    page.Print("出納簿");
    ASSERT_TRUE(printer.Print(doc));
    const fs::path pdf = home.path() / "PDF" / "20260603-1000 出納簿 04月.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_TRUE(w.statusBar()->currentMessage().contains(QString::fromStdString(pdf.string())));
    EXPECT_TRUE(w.OpenPdfAction()->isEnabled());
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(urls.opened.size(), 2u);
    EXPECT_EQ(urls.opened[1], QUrl::fromLocalFile(QString::fromStdString(pdf.string())));
    EXPECT_TRUE(prompt.shown.empty());

    // A desktop without a viewer: the user is told, with the file's name.
    urls.answer = false;
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.LastText().find("PDFを開くプログラムが見つかりません。"), std::string::npos);
    EXPECT_NE(prompt.LastText().find(pdf.string()), std::string::npos);
}

TEST_F(MainWindowTest, ReadingAFreshDiskAsksForTheYear) {
    ctx.today = [] { return year{2026} / April / 1; };
    window.Context().today = ctx.today;
    bool asked = false;
    OnNextModal([&](QWidget* w) {
        auto* form = qobject_cast<FiscalYearForm*>(w);
        ASSERT_NE(form, nullptr);
        asked = true;
        EXPECT_EQ(form->Text1()->text(), QStringLiteral("令和"));
        form->Text2()->setText(QStringLiteral("8"));
        form->Touroku()->click();
    });
    window.ReadYear();
    EXPECT_TRUE(asked);
    EXPECT_EQ(prompt.shown.at(0).text, "年度ファイルが有りません！！");
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_EQ(s.FiscalYear, 8);
    EXPECT_EQ(ReadBytes(dataFolder / "DATE.DAT"), FromHex("38 2c 22 97df 9861 22 2c 30 0d0a"));
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileAWorkFormHoldsTheBooks) {
    window.SetButtonEnabled(ToolButton::Read, false);
    window.SetButtonEnabled(ToolButton::Input, false);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(prompt.beeps, 1);
    EXPECT_EQ(prompt.LastText(), "「終了」ボタンか「中断」ボタンをクリックします！！");
    EXPECT_EQ(prompt.shown.back().title, "エラー確認");

    window.SetButtonEnabled(ToolButton::Input, true);
    QSignalSpy ended(&window, &MainWindow::ended);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(MainWindowTest, EndAsksFirst) {
    QSignalSpy ended(&window, &MainWindow::ended);
    prompt.Answer(Answer::No);
    QTest::mouseClick(window.ToolbarButton(ToolButton::End), Qt::LeftButton);
    EXPECT_EQ(prompt.LastText(), "終了しますか？");
    EXPECT_EQ(prompt.shown.back().title, "終了確認");
    EXPECT_EQ(prompt.shown.back().style, MsgStyle::YesNoWarning);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ended.count(), 0);

    window.EndProgram();  // answered Yes
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(MainWindowTest, SettingsCancelledBeforeReadingCloseTheFirstDataButtons) {
    OnNextModal([](QWidget* w) {
        ASSERT_NE(qobject_cast<SettingsForm*>(w), nullptr);
        QTest::keyClick(w, Qt::Key_F5);
    });
    window.OpenSettings();
    EXPECT_EQ(prompt.LastText(), "中断しますか？");
    EXPECT_EQ(Buttons(), (std::vector<bool>{true, false, false, false, true, true, true, true, true}));
}

TEST_F(MainWindowTest, SummaryAsksBeforeTotallingAndNeedsTheData) {
    window.OpenMonthlyTotals();
    EXPECT_EQ(prompt.LastText(), "データを読み込んでください！！");
    EXPECT_TRUE(window.IsButtonEnabled(ToolButton::Read));

    s.DataLoaded = 1;
    prompt.Answer(Answer::No);
    window.OpenMonthlyTotals();
    EXPECT_EQ(prompt.LastText(), "月毎の項目別集計をしますか？");
    EXPECT_EQ(prompt.shown.back().title, "集計確認");
    EXPECT_TRUE(window.IsButtonEnabled(ToolButton::Read));
    QString opened;
    OnNextModal([&opened](QWidget* w) {
        opened = QString::fromLatin1(w->metaObject()->className());
        static_cast<QDialog*>(w)->done(QDialog::Rejected);
    });
    window.OpenMonthlyTotals();
    // The table held in memory is shown; nothing is totalled from the toolbar.
    EXPECT_EQ(opened, QStringLiteral("tabulo::MonthlyTotalsForm"));
    EXPECT_FALSE(window.IsButtonEnabled(ToolButton::Read));
    EXPECT_FALSE(window.IsButtonEnabled(ToolButton::Settings));
}

TEST_F(MainWindowTest, DiskActionsFromTheMenuAskAndStopAtEachNo) {
    window.CreateNextYearDisk();
    EXPECT_EQ(prompt.LastText(), "ファイルを読み込まないと翌年度のデータディスクは作成出来ません！！");
    prompt.Answer(Answer::No);
    window.BackUpDataDisk();
    EXPECT_EQ(prompt.LastText(), "データディスクのバックアップしますか？");
    EXPECT_FALSE(fs::exists(home.path() / "KEIRIDATA3"));

    // Reading the year makes its automatic copy.
    WriteBytes(dataFolder / "DATE.DAT", kDateDat13);
    window.ReadYear();
    ASSERT_EQ(s.DataLoaded, 1);
    ASSERT_TRUE(fs::exists(home.path() / "backup"));
    int copies = 0;
    for (const auto& e : fs::directory_iterator(home.path() / "backup")) {
        ++copies;
        EXPECT_EQ(testing::ReadBytes(e.path() / "DATE.DAT"), kDateDat13);
    }
    EXPECT_EQ(copies, 1);
    auto folderBytes = [this] {
        std::map<std::string, std::string> m;
        for (const auto& e : fs::directory_iterator(dataFolder))
            if (e.is_regular_file()) m[e.path().filename().string()] = testing::ReadBytes(e.path());
        return m;
    };
    const auto before = folderBytes();

    prompt.Clear();
    prompt.Answer(Answer::No);
    window.CreateNextYearDisk();
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"翌年度のデータディスクを作成しますか？"});
    prompt.Clear();
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    window.CreateNextYearDisk();
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].title, "セット確認");
    prompt.Clear();
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    window.BackUpDataDisk();
    EXPECT_EQ(prompt.LastText(), "作業を中止しました。");
    EXPECT_EQ(folderBytes(), before);
}

// ---- Start-up window and about box ----

TEST(StartupWindow, RunsTheStartUpOnceAfterShowingCentred) {
    int runs = 0;
    StartupWindow window([&runs] { ++runs; });
    EXPECT_EQ(runs, 0);  // nothing runs before the window is shown
    window.show();
    QTRY_COMPARE(runs, 1);
    window.hide();
    window.show();
    QTest::qWait(50);
    EXPECT_EQ(runs, 1);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.geometry().center().x(), screen.center().x());
}

// The start-up work (reading the settings, building the main window) waits until the
// user sees the start-up window painted.
TEST(StartupWindow, RunsTheStartUpOnlyOnceThePaintedWindowIsThere) {
    class PaintCount : public QObject {
      public:
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } count;
    int paintsBeforeStartUp = -1;
    StartupWindow window([&] { paintsBeforeStartUp = count.paints; });
    window.installEventFilter(&count);
    window.show();
    QTRY_VERIFY(paintsBeforeStartUp >= 0);
    EXPECT_GE(paintsBeforeStartUp, 1);
    // Dark blue inside a darker border, the caption in white.
    const QImage painted = window.grab().toImage();
    EXPECT_EQ(painted.pixelColor(0, 0), QColor(0x0c, 0x2a, 0x45));
    EXPECT_EQ(painted.pixelColor(4, 4), QColor(0x1f, 0x4e, 0x79));
    bool white = false;
    for (int y = 0; y < painted.height() && !white; ++y)
        for (int x = 0; x < painted.width() && !white; ++x) white = painted.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(white);
}

TEST_F(ShellForms, AboutBoxNamesTheSystemProcessorAndFreeMemory) {
    About box(ctx, nullptr);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_TRUE(box.ProcessorText().startsWith(QStringLiteral("CPU: ")));
    EXPECT_TRUE(box.MemoryText().startsWith(QStringLiteral("使用可能ﾒﾓﾘ容量: ")));
    EXPECT_TRUE(box.MemoryText().endsWith(QStringLiteral("%")));
    EXPECT_FALSE(box.SystemText().isEmpty());
    QStringList labels;
    for (QLabel* l : box.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains(box.ProcessorText()));
    EXPECT_TRUE(labels.contains(box.MemoryText()));
    box.show();
    auto buttons = box.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    buttons[0]->click();
    EXPECT_FALSE(box.isVisible());
}

// ---- Help ----

struct CountingHelp : HelpHost {
    void ShowContents() override { ++contents; }
    void ShowHelpOnHelp() override { ++usage; }
    void ShowPage(const std::string&) override {}
    void CloseHelp() override { ++closed; }
    int contents = 0, usage = 0, closed = 0;
};

TEST_F(ShellForms, HelpMenuOpensTheBookAndEndingClosesIt) {
    CountingHelp help;
    MainWindow window(s, prompt, nullptr, &help);
    window.show();
    window.ShowHelpContents();
    window.ShowHelpOnHelp();
    EXPECT_EQ(help.contents, 1);
    EXPECT_EQ(help.usage, 1);
    window.EndProgram();
    EXPECT_EQ(help.closed, 1);
}

// ---- Window sizes and places ----

// What a window must be on the smallest screen the program is laid out for: its least
// size fits 1366 x 768 less a title bar and a taskbar, the user can make it larger, and
// (when `over` is given and the form fits beside it) it sits centred over that window.
void ExpectFitsAndSitsOver(QWidget* w, const QWidget* over) {
    SCOPED_TRACE(w->metaObject()->className());
    const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
    EXPECT_LE(least.width(), kSmallScreenWidth);
    EXPECT_LE(least.height(), kSmallScreenHeight - 40);
    EXPECT_GT(w->maximumWidth(), least.width());
    EXPECT_GT(w->maximumHeight(), least.height());
    if (over == nullptr) return;
    const QRect area = w->screen()->availableGeometry();
    QRect centred(QPoint(), w->frameGeometry().size());
    centred.moveCenter(over->frameGeometry().center());
    if (!area.contains(centred)) {
        // Too large to sit centred: kept on the screen instead (when the screen of the
        // test, smaller than a laptop's, has room for the window's least size).
        if (least.width() > area.width() || least.height() > area.height()) return;
        const QRect at = w->frameGeometry();
        EXPECT_TRUE(area.contains(at))
            << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
        return;
    }
    const QPoint d = w->frameGeometry().center() - over->frameGeometry().center();
    EXPECT_LE(std::abs(d.x()), 2) << d.x();
    EXPECT_LE(std::abs(d.y()), 2) << d.y();
}

// Runs `open`, which shows a modal form, and checks the form once it is up; false when
// no form opened.
bool CheckModal(const std::function<void()>& open, const QWidget* over) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) return;
        timer.stop();
        seen = true;
        ExpectFitsAndSitsOver(w, over);
        // Statement screens ask before closing; a rejected dialog closes at once.
        if (auto* d = qobject_cast<QDialog*>(w)) d->done(QDialog::Rejected);
    });
    timer.start();
    open();
    timer.stop();
    return seen;
}

// The page-2 statement screen was taller than a laptop's screen and the help window
// opened at the screen's corner. Every window now fits 1366 x 768 (scrolling where it
// must), can be resized, and opens centred over the main window.
TEST_F(MainWindowTest, EveryWindowFitsASmallScreenResizesAndOpensOverTheMainWindow) {
    WriteBytes(dataFolder / "DATE.DAT", kDateDat13);
    window.ReadYear();
    ASSERT_EQ(s.DataLoaded, 1);
    const QRect area = window.screen()->availableGeometry();
    window.resize(area.width() / 2, area.height() / 2);
    window.move(area.x() + area.width() / 5, area.y() + area.height() / 6);
    QApplication::processEvents();
    ExpectFitsAndSitsOver(&window, nullptr);

    for (int button :
         {ToolButton::Input, ToolButton::Master, ToolButton::Deposits, ToolButton::ItemLedger}) {
        SCOPED_TRACE(button);
        EXPECT_TRUE(
            CheckModal([&] { QTest::mouseClick(window.ToolbarButton(button), Qt::LeftButton); }, &window));
    }
    for (FormId id : {FormId::MonthlyTotalsForm, FormId::CashBookMonthPrintForm, FormId::IncomeMonthPrintForm, FormId::StatementPage1Form,
                      FormId::StatementPage2Form, FormId::StatementPage3Form, FormId::StatementPage4Form, FormId::PrintOffsetsForm}) {
        SCOPED_TRACE(static_cast<int>(id));
        EXPECT_TRUE(CheckModal([&] { window.OpenForm(id, &window); }, &window));
    }
    About about(ctx, &window);
    EXPECT_TRUE(CheckModal([&] { about.exec(); }, &window));
    SettingsForm settings(ctx, &window);
    EXPECT_TRUE(CheckModal([&] { settings.exec(); }, &window));
    // The fiscal-year form's place is its own; its size is checked with the rest.
    FiscalYearForm year(ctx, &window);
    ExpectFitsAndSitsOver(&year, nullptr);

    // The help opens from the main window's menu, with the main window active.
    QApplication::setActiveWindow(&window);
    HelpWindow help(fs::path(TABULO_TEST_DATA).parent_path().parent_path() / "help");
    help.ShowContents();
    QApplication::processEvents();
    ExpectFitsAndSitsOver(&help, &window);
}

fs::path HelpFolder() { return fs::path(TABULO_TEST_DATA).parent_path().parent_path() / "help"; }

TEST(HelpBook, ContentsAndUsagePagesOpenInTheHelpWindow) {
    HelpWindow help(HelpFolder());
    help.ShowContents();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.Browser()->documentTitle(), QStringLiteral("目次"));
    help.ShowHelpOnHelp();
    EXPECT_EQ(help.Browser()->documentTitle(), QStringLiteral("ヘルプの使い方"));
    help.CloseHelp();
    EXPECT_FALSE(help.isVisible());
}

// The program's help is built only when a page is first asked for, then the same
// window serves every page.
TEST(HelpBook, TheWindowIsMadeOnlyWhenAPageIsAskedFor) {
    HelpOnDemand help(HelpFolder());
    help.CloseHelp();  // nothing to close yet
    EXPECT_EQ(help.Made(), nullptr);
    help.ShowPage("first.html");
    ASSERT_NE(help.Made(), nullptr);
    HelpWindow* window = help.Made();
    EXPECT_TRUE(window->isVisible());
    help.ShowContents();
    EXPECT_EQ(help.Made(), window);
    EXPECT_EQ(window->Browser()->documentTitle(), QStringLiteral("目次"));
    help.CloseHelp();
    EXPECT_FALSE(window->isVisible());
}

TEST(HelpBook, EveryLinkLeadsToAPageOfTheBook) {
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
    int links = 0;
    for (const auto& entry : fs::directory_iterator(HelpFolder())) {
        if (entry.path().extension() != ".html") continue;
        QFile f(QString::fromStdString(entry.path().string()));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const std::string target = it.next().captured(1).toStdString();
            ++links;
            EXPECT_TRUE(fs::exists(HelpFolder() / target))
                << entry.path().filename() << " links to missing " << target;
        }
    }
    EXPECT_GT(links, 20);
}

// ---- Another copy ----

TEST(SingleInstanceTest, SecondCopyHandsOverToTheFirst) {
    TempFolder home;
    const QString name = SingleInstance::ServerNameFor(home.path());
    EXPECT_EQ(name, SingleInstance::ServerNameFor(home.path()));
    TempFolder other;
    EXPECT_NE(name, SingleInstance::ServerNameFor(other.path()));

    SingleInstance first(name);
    ASSERT_TRUE(first.BecomePrimary());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_FALSE(second.BecomePrimary());
    EXPECT_TRUE(activated.count() == 1 || activated.wait(3000));
    EXPECT_EQ(activated.count(), 1);
}

// Only the request activates the first copy: a stranger's bytes, or a connection that
// ends without a word, change nothing and leave it answering. A copy that ends takes
// its socket with it, and the next one started is the first.
TEST(SingleInstanceTest, OnlyTheRequestActivatesAndAnEndedCopyLeavesNoSocket) {
    TempFolder home;
    const QString name = SingleInstance::ServerNameFor(home.path());
    const QByteArray path = (QDir::tempPath() + QLatin1Char('/') + name).toLocal8Bit();
    const auto connectTo = [&path] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        return fd;
    };
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.BecomePrimary());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        const int silent = connectTo();
        ::close(silent);
        const int stranger = connectTo();
        const std::string noise(1000, 'x');
        EXPECT_EQ(::send(stranger, noise.data(), noise.size(), MSG_NOSIGNAL), static_cast<ssize_t>(noise.size()));
        EXPECT_FALSE(activated.wait(300));
        ::close(stranger);
        SingleInstance second(name);
        EXPECT_FALSE(second.BecomePrimary());
        EXPECT_TRUE(activated.count() == 1 || activated.wait(3000));
        EXPECT_EQ(activated.count(), 1);
        EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));
    }
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(path)));
    SingleInstance next(name);
    EXPECT_TRUE(next.BecomePrimary());
}

TEST(SingleInstanceTest, SocketLeftByACrashedCopyIsTakenOver) {
    TempFolder home;
    const QString name = SingleInstance::ServerNameFor(home.path());
    // A copy that crashed leaves its socket file behind with nobody listening on it.
    const QByteArray path = (QDir::tempPath() + QLatin1Char('/') + name).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));

    SingleInstance next(name);
    EXPECT_TRUE(next.BecomePrimary());
}

}  // namespace
}  // namespace tabulo
