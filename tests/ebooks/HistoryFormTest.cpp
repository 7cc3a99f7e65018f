// The history screen driven by keys: every change newest first, narrowed by line, day
// and operation, a bad day refused, a damaged record named in red and marked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "store/History.h"
#include "ebooks/HistoryForm.h"
#include "shell/MainWindow.h"
#include "tests/cashbook/LedgerFixture.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "ui/AppContext.h"
#include "ui/TextGridModel.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

std::vector<std::byte> Line(const std::string& hex) {
    const std::string s = testing::FromHex(hex);
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return {p, p + s.size()};
}

// 130402 （月） item 1 売上 in 12,000, remarks 現金売上.
const char* const kSale =
    "313330343032 81698c8e816a 0100 e02e0000 00000000 00000000 8cbb8be094848fe32020202020202020";

class HistoryFormTest : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        std::vector<HistoryRecord> records = {
            {0, "20261201090000", HistoryOperation::CashBookPost, 2, 0, {}, Line(kSale)},
            {0, "20261202100000", HistoryOperation::CashBookChange, 2, 0, Line(kSale), Line(kSale)},
            {0, "20261203110000", HistoryOperation::CashBookDelete, 3, 0, Line(kSale), {}},
            {0, "20261203120000", HistoryOperation::CashBookInsert, 3, 3, {}, Line(kSale)},
        };
        records[1].NewBytes[14] = std::byte{0xf0};  // 12,000 -> 12,016
        path = HistoryPath(s);
        for (const HistoryRecord& r : records) {
            auto tail = ReadHistoryTail(path);
            ASSERT_TRUE(tail.ok());
            auto bytes = EncodeHistoryAppend(*tail, r);
            ASSERT_TRUE(bytes.ok());
            std::string file = std::filesystem::exists(path) ? testing::ReadBytes(path) : "";
            file.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
            testing::WriteBytes(path, file);
        }
    }
    static void Show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    std::vector<std::string> Numbers(const HistoryForm& r) const {
        std::vector<std::string> out;
        for (int i = 0; i < r.model()->rowCount(); ++i) out.push_back(r.model()->Text(i, 0).toStdString());
        return out;
    }

    std::filesystem::path path;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
};

using Q = std::vector<std::string>;

TEST_F(HistoryFormTest, ListsEveryChangeNewestFirstWithItsValuesInWords) {
    HistoryForm r(app);
    Show(r);
    EXPECT_EQ(Numbers(r), (Q{"4", "3", "2", "1"}));
    EXPECT_EQ(r.model()->Text(2, 1), QStringLiteral("2026-12-02 10:00:00"));
    EXPECT_EQ(r.model()->Text(2, 2), QStringLiteral("出納簿 訂正"));
    EXPECT_EQ(r.model()->Text(2, 3), QStringLiteral("出納簿:2"));
    EXPECT_EQ(r.model()->Text(2, 4), QStringLiteral("13年4月2日 売上 入金 12,000円 現金売上"));
    EXPECT_EQ(r.model()->Text(2, 5), QStringLiteral("13年4月2日 売上 入金 12,016円 現金売上"));
    EXPECT_EQ(r.model()->Text(0, 2), QStringLiteral("元に戻す（3）: 出納簿 挿入"));
    EXPECT_EQ(r.countLabel()->text(), QStringLiteral("4 件"));
    EXPECT_TRUE(r.damageLabel()->isHidden());
}

TEST_F(HistoryFormTest, NarrowsByLineDayAndOperationByKeys) {
    HistoryForm r(app);
    Show(r);
    QTest::keyClicks(r.lineField(), QStringLiteral("2"));
    QTest::keyClick(r.lineField(), Qt::Key_Return);
    EXPECT_EQ(Numbers(r), (Q{"2", "1"}));

    r.lineField()->clear();
    QTest::keyClicks(r.fromField(), QStringLiteral("2026-12-02"));
    QTest::keyClicks(r.toField(), QStringLiteral("2026/12/03"));
    QTest::keyClick(r.toField(), Qt::Key_F5);
    EXPECT_EQ(Numbers(r), (Q{"4", "3", "2"}));

    r.operationList()->setCurrentIndex(static_cast<int>(HistoryOperation::CashBookDelete));
    QTest::keyClick(r.toField(), Qt::Key_Return);
    EXPECT_EQ(Numbers(r), (Q{"3"}));

    // A day that is no day is refused and the list stays as it was.
    r.toField()->setText(QStringLiteral("2026-02-30"));
    QTest::keyClick(r.toField(), Qt::Key_Return);
    EXPECT_EQ(prompt.LastText(), "日付は 2026-12-01 のように西暦で入力してください。");
    EXPECT_EQ(Numbers(r), (Q{"3"}));
}

TEST_F(HistoryFormTest, OpenedForALineShowsThatLinesChangesOnly) {
    HistoryForm r(app, 3);
    Show(r);
    EXPECT_EQ(r.lineField()->text(), QStringLiteral("3"));
    EXPECT_EQ(Numbers(r), (Q{"4", "3"}));
}

TEST_F(HistoryFormTest, NamesADamagedRecordAndMarksItsRow) {
    std::string bytes = testing::ReadBytes(path);
    // The second record's old amount changed by hand.
    const std::size_t second = kHistoryHeaderSize + kHistoryRecordFixedSize + kLedgerLineSize;
    bytes[second + 36 + 14] = static_cast<char>(0xe1);
    testing::WriteBytes(path, bytes);
    HistoryForm r(app);
    Show(r);
    ASSERT_FALSE(r.damageLabel()->isHidden());
    EXPECT_EQ(r.damageLabel()->text(), QStringLiteral("履歴の記録 2 の内容が書き換えられているか、壊れています。"));
    EXPECT_EQ(Numbers(r), (Q{"4", "3", "※2", "1"}));
}

// A record whose size is broken ends the reading: the screen says from which record
// on nothing can be read, and lists the records before it.
TEST_F(HistoryFormTest, SaysFromWhichRecordOnTheHistoryCannotBeRead) {
    std::string bytes = testing::ReadBytes(path);
    // The third record (after a post of 86 bytes and a change of 128) says 45 bytes.
    bytes[kHistoryHeaderSize + 86 + 128] = '\x2d';
    testing::WriteBytes(path, bytes);
    HistoryForm r(app);
    Show(r);
    ASSERT_FALSE(r.damageLabel()->isHidden());
    EXPECT_EQ(r.damageLabel()->text(),
              QStringLiteral("履歴の記録 3 の大きさが壊れています。記録 3 から先は読めません。"));
    EXPECT_EQ(Numbers(r), (Q{"2", "1"}));
}

// Runs `act` on the next history screen that opens, from its own event loop, and
// closes it; fails after two seconds without one.
void OnHistoryScreen(std::function<void(HistoryForm&)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    auto tries = std::make_shared<int>(0);
    *poll = [act, poll, tries] {
        QPointer<HistoryForm> screen = qobject_cast<HistoryForm*>(QApplication::activeModalWidget());
        if (screen && screen->isVisible()) {
            act(*screen);
            screen->accept();
        } else if (++*tries < 400) {
            QTimer::singleShot(5, *poll);
        } else {
            ADD_FAILURE() << "no history screen opened";
        }
    };
    QTimer::singleShot(0, *poll);
}

TEST_F(HistoryFormTest, TheMainWindowOpensItFromTheMenuBesideTheSearchAndFromTheToolbar) {
    const SharedState year = s;
    MainWindow window{s, prompt, nullptr, nullptr};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Without a year read, the data are asked for.
    window.OpenHistory();
    EXPECT_EQ(prompt.LastText(), "データを読み込んでください！！");
    s = year;  // the year as the read would load it
    s.DataLoaded = 1;

    QMenu* ebooks = nullptr;
    for (QAction* a : window.menuBar()->actions())
        if (a->text() == QStringLiteral("電子帳簿(&E)")) ebooks = a->menu();
    ASSERT_NE(ebooks, nullptr);
    ASSERT_EQ(ebooks->actions().size(), 2);
    EXPECT_EQ(ebooks->actions()[0], window.SearchAction());
    EXPECT_EQ(ebooks->actions()[1], window.HistoryAction());
    EXPECT_EQ(window.HistoryAction()->text(), QStringLiteral("履歴(&R)"));

    std::vector<std::string> fromMenu, fromButton;
    OnHistoryScreen([&](HistoryForm& r) { fromMenu = Numbers(r); });
    window.HistoryAction()->trigger();
    EXPECT_EQ(fromMenu, (Q{"4", "3", "2", "1"}));

    ASSERT_NE(window.HistoryButton(), nullptr);
    EXPECT_EQ(window.HistoryButton()->text(), QStringLiteral("履歴"));
    EXPECT_FALSE(window.HistoryButton()->icon().isNull());
    OnHistoryScreen([&](HistoryForm& r) { fromButton = Numbers(r); });
    window.HistoryButton()->click();
    EXPECT_EQ(fromButton, (Q{"4", "3", "2", "1"}));
}

TEST_F(HistoryFormTest, TheCashBooksKeyOpensItThroughTheMainWindowForOneLine) {
    const SharedState year = s;
    MainWindow window{s, prompt, nullptr, nullptr};
    s = year;  // the window starts with no year; this one is loaded
    s.DataLoaded = 1;
    std::string line;
    std::vector<std::string> numbers;
    OnHistoryScreen([&](HistoryForm& r) {
        line = r.lineField()->text().toStdString();
        numbers = Numbers(r);
    });
    EXPECT_TRUE(window.OpenLineHistory(2, &window));
    EXPECT_EQ(line, "2");
    EXPECT_EQ(numbers, (Q{"2", "1"}));
}

}  // namespace
}  // namespace tabulo
