// The 検索 screen by keys: the conditions typed, Enter to search, Enter on a result to
// open where it was kept; and the main window's Ctrl+F opening it over a loaded year,
// a cash-book line opening the cash book at its page with the cursor on the line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

#include "books/BooksFiles.h"
#include "cashbook/CashBookForm.h"
#include "ebooks/SearchForm.h"
#include "shell/MainWindow.h"
#include "tests/books/BooksYear.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;

// The jumps the screen asks for; slips have no screen here.
struct RecordingOpener : FormOpener {
    void OpenForm(FormId, QWidget*) override {}
    bool CanOpen(FormId) const override { return true; }
    bool OpenEntrySource(EntrySource source, int number, QWidget*) override {
        asked.push_back({source, number});
        return source == EntrySource::CashBookLine;
    }
    std::vector<std::pair<EntrySource, int>> asked;
};

// Runs `act` on the next modal window other than `except`, from that window's own
// event loop; fails after two seconds without one.
void OnModal(std::function<void(QWidget*)> act, QWidget* except = nullptr) {
    auto poll = std::make_shared<std::function<void()>>();
    auto tries = std::make_shared<int>(0);
    *poll = [act, poll, tries, except] {
        QWidget* m = QApplication::activeModalWidget();
        if (m != nullptr && m != except && m->isVisible()) {
            QPointer<QWidget> dialog(m);
            QTimer::singleShot(10, [act, dialog] {
                if (dialog) act(dialog);
            });
        } else if (++*tries < 400) {
            QTimer::singleShot(5, *poll);
        } else {
            ADD_FAILURE() << "no dialog opened";
        }
    };
    QTimer::singleShot(0, *poll);
}

// Japanese text arrives committed by the input method.
void Ime(QWidget* w, const QString& text) {
    QInputMethodEvent ev;
    ev.setCommitString(text);
    QApplication::sendEvent(w, &ev);
}

// A year of 25 lines of sales and one slip; line 23 (on page 3) and the slip are the
// only ones with 12,345 yen, and "株式会社ヤマダ" is kept in half-width katakana.
class SearchScreen : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        watchdog = std::thread([this] {
            std::unique_lock lock(watchMutex);
            if (!watchDone.wait_for(lock, std::chrono::seconds(60), [this] { return finished; })) {
                std::fprintf(stderr, "search screen test hung; giving up\n");
                std::_Exit(2);
            }
        });
        for (int n = 1; n <= 25; ++n) {
            char date[8];
            std::snprintf(date, sizeof date, "1304%02d", n);
            if (n == 23)
                Line(date, Sales, 12345, "ｶﾌﾞｼｷｶﾞｲｼｬﾔﾏﾀﾞ");
            else
                Line(date, n % 2 == 0 ? Purchases : Sales, 1000 + n, "売上" + std::to_string(n));
        }
        Slip("130430", AccountCode::Receivables, AccountCode::Sales, 12345, "ヤマダ 掛売り");
        WriteLedger();
        s.PageLimit = 200;
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
        ASSERT_TRUE(SaveItemAccounts(ItemAccountsPath(s), accounts).ok());
        s.DataLoaded = 1;
    }
    void TearDown() override {
        {
            std::lock_guard lock(watchMutex);
            finished = true;
        }
        watchDone.notify_all();
        watchdog.join();
    }
    // Types 12,345 as both ends of the amount range and searches; the rows found.
    static int SearchExactly12345(SearchForm& form) {
        form.minAmount()->setFocus();
        QTest::keyClicks(form.minAmount(), QStringLiteral("12345"));
        QTest::keyClick(form.minAmount(), Qt::Key_Tab);
        QTest::keyClicks(form.maxAmount(), QStringLiteral("12345"));
        QTest::keyClick(form.maxAmount(), Qt::Key_Return);
        return form.resultModel()->rowCount();
    }
    static void Activate(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    RecordingOpener opener;
    std::thread watchdog;
    std::mutex watchMutex;
    std::condition_variable watchDone;
    bool finished = false;
};

TEST_F(SearchScreen, EnterSearchesAndEnterOnAResultOpensItsSource) {
    AppContext app{s, prompt, toolbar};
    app.forms = &opener;
    SearchForm form(app);
    Activate(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("検索"));
    EXPECT_EQ(QApplication::focusWidget(), form.fromDate());

    QTest::keyClicks(form.minAmount(), QStringLiteral("12,345"));
    QTest::keyClicks(form.maxAmount(), QStringLiteral("12345"));
    form.searchText()->setFocus();
    Ime(form.searchText(), QStringLiteral("ヤマダ"));  // full-width finds the half-width too
    QTest::keyClick(form.searchText(), Qt::Key_Return);
    ASSERT_EQ(form.resultModel()->rowCount(), 2);
    EXPECT_EQ(form.resultModel()->Text(0, 0), QStringLiteral("出納簿:23"));
    EXPECT_EQ(form.resultModel()->Text(0, 1), QStringLiteral("2001-04-23"));
    EXPECT_EQ(form.resultModel()->Text(0, 2), QStringLiteral("現金"));
    EXPECT_EQ(form.resultModel()->Text(0, 3), QStringLiteral("売上（収入）金額"));
    EXPECT_EQ(form.resultModel()->Text(0, 4), QStringLiteral("12,345"));
    EXPECT_EQ(form.resultModel()->Text(0, 5), QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬﾔﾏﾀﾞ"));
    EXPECT_EQ(form.resultModel()->Text(1, 0), QStringLiteral("振替:1"));
    EXPECT_EQ(form.countLabel()->text(), QStringLiteral("2 件"));
    // The results have the cursor, on the first row.
    EXPECT_EQ(QApplication::focusWidget(), form.results());

    QTest::keyClick(form.results(), Qt::Key_Return);
    ASSERT_EQ(opener.asked.size(), 1u);
    EXPECT_EQ(opener.asked[0], (std::pair{EntrySource::CashBookLine, 23}));
    EXPECT_TRUE(prompt.shown.empty());

    // A slip the opener cannot show (gone since the search): the jump says so and
    // nothing else happens.
    QTest::keyClick(form.results(), Qt::Key_Down);
    QTest::keyClick(form.results(), Qt::Key_Return);
    ASSERT_EQ(opener.asked.size(), 2u);
    EXPECT_EQ(opener.asked[1], (std::pair{EntrySource::Slip, 1}));
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"振替:1 を表示できません。検索し直してください。"});

    // A double click opens a result too.
    const QRect cell = form.results()->visualRect(form.resultModel()->index(0, 2));
    QTest::mouseClick(form.results()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(form.results()->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(opener.asked.size(), 3u);
    EXPECT_EQ(opener.asked[2], (std::pair{EntrySource::CashBookLine, 23}));
}

TEST_F(SearchScreen, ARefusedConditionIsShownAndKeepsTheCursorInItsField) {
    AppContext app{s, prompt, toolbar};
    SearchForm form(app);
    Activate(form);
    QTest::keyClicks(form.fromDate(), QStringLiteral("2001-04-10"));
    QTest::keyClicks(form.toDate(), QStringLiteral("2001-02-30"));
    QTest::keyClick(form.toDate(), Qt::Key_Return);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "日付が正しくありません: 2001-02-30（2026-04-01 か、出納簿と同じ 080401 の形で入れてください）");
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    EXPECT_EQ(QApplication::focusWidget(), form.toDate());
    EXPECT_EQ(form.resultModel()->rowCount(), 0);

    // Corrected, the range gives both of its end days.
    form.toDate()->clear();
    QTest::keyClicks(form.toDate(), QStringLiteral("130412"));
    QTest::keyClick(form.toDate(), Qt::Key_Return);
    ASSERT_EQ(form.resultModel()->rowCount(), 3);
    EXPECT_EQ(form.resultModel()->Text(0, 0), QStringLiteral("出納簿:10"));
    EXPECT_EQ(form.resultModel()->Text(2, 0), QStringLiteral("出納簿:12"));

    // Nothing found says so; 条件クリア empties everything.
    form.account()->setFocus();
    Ime(form.account(), QStringLiteral("買掛金"));
    QTest::keyClick(form.account(), Qt::Key_Return);
    EXPECT_EQ(form.resultModel()->rowCount(), 0);
    EXPECT_EQ(form.countLabel()->text(), QStringLiteral("該当なし"));
    form.ClearSearch();
    EXPECT_TRUE(form.fromDate()->text().isEmpty());
    EXPECT_TRUE(form.account()->text().isEmpty());
}

TEST_F(SearchScreen, CtrlFOpensTheSearchAndAResultOpensTheCashBookOnItsLine) {
    const LedgerHeaderRecord header = s.LedgerHeader;
    MainWindow window{s, prompt, nullptr, nullptr};
    // The window starts with no year; this one is loaded, as the read would load it.
    BooksYear::SetUp();
    s.LedgerHeader = header;
    s.PageLimit = 200;
    s.DataLoaded = 1;
    Activate(window);
    ASSERT_NE(window.SearchButton(), nullptr);
    EXPECT_EQ(window.SearchButton()->text(), QStringLiteral("検索"));
    EXPECT_FALSE(window.SearchButton()->icon().isNull());

    int cashBookPage = 0;
    QWidget* cashBookFocus = nullptr;
    QWidget* expectedFocus = nullptr;
    bool searched = false;
    OnModal([&](QWidget* m) {
        auto* form = qobject_cast<SearchForm*>(m);
        ASSERT_NE(form, nullptr) << "Ctrl+F opened no search";
        searched = SearchExactly12345(*form) == 2;
        OnModal(
            [&](QWidget* c) {
                auto* cashBook = qobject_cast<CashBookForm*>(c);
                if (cashBook == nullptr) {
                    ADD_FAILURE() << "the jump opened no cash book";
                    c->close();
                    return;
                }
                cashBookPage = cashBook->currentPage();
                cashBookFocus = cashBook->focusWidget();
                expectedFocus = cashBook->field(CashBookForm::ColDate, 3);
                cashBook->CancelEdit();  // 中断: Yes
            },
            form);
        QTest::keyClick(form->results(), Qt::Key_Return);  // 出納簿:23
        form->reject();
    });
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(searched);
    // Line 23 is row 3 of page 3.
    EXPECT_EQ(cashBookPage, 3);
    EXPECT_EQ(cashBookFocus, expectedFocus);
}

// Over an open cash book, a line chosen in the search closes the search and comes
// back to the cash book to move to; no second cash book opens.
TEST_F(SearchScreen, OverTheCashBookALineChosenIsHandedBackToIt) {
    const LedgerHeaderRecord header = s.LedgerHeader;
    MainWindow window{s, prompt, nullptr, nullptr};
    BooksYear::SetUp();
    s.LedgerHeader = header;
    s.PageLimit = 200;
    s.DataLoaded = 1;
    Activate(window);
    bool searched = false, secondScreen = false;
    OnModal([&](QWidget* m) {
        auto* form = qobject_cast<SearchForm*>(m);
        ASSERT_NE(form, nullptr);
        searched = SearchExactly12345(*form) == 2;
        OnModal(
            [&](QWidget* c) {
                secondScreen = true;
                c->close();
            },
            form);
        QTest::keyClick(form->results(), Qt::Key_Return);  // 出納簿:23
        if (form->isVisible()) form->reject();
    });
    const std::optional<int> line = window.OpenSearchOverCashBook(&window);
    EXPECT_TRUE(searched);
    EXPECT_FALSE(secondScreen);
    EXPECT_EQ(line, std::optional<int>(23));
}

TEST_F(SearchScreen, WithoutALoadedYearTheSearchAsksForTheData) {
    MainWindow window{s, prompt, nullptr, nullptr};
    Activate(window);
    window.OpenSearch();
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"データを読み込んでください！！"});
}

}  // namespace
}  // namespace tabulo
