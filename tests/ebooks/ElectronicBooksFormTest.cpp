// The electronic-books setting screen driven by keys: the check switched on and off
// after asking, each switch appended to the year's history and read back from it, a
// No that changes nothing, and a damaged history that is refused and left alone.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include "ebooks/ElectronicBooksForm.h"
#include "ebooks/ElectronicBooks.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/TempFolder.h"
#include "ui/AppContext.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

class DenshiScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        s.DataFolder = dir.path();
        s.LedgerPath = dir / "KEIRI08.DAT";
        s.FiscalYear = 8;
        s.EraName = "令和";
        s.HistoryClock = [] { return std::string("20260105090000"); };
    }
    static void Show(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // Space on the focused check, as a user switches it.
    static void Switch(ElectronicBooksForm& f) {
        f.onBox()->setFocus();
        QTest::keyClick(f.onBox(), Qt::Key_Space);
    }
    std::vector<HistoryRecord> Records() {
        auto h = LoadHistory(HistoryPath(s));
        EXPECT_TRUE(h.ok());
        if (!h) return {};
        EXPECT_TRUE(h->Damage.empty());
        return h->Records;
    }

    testing::TempFolder dir;
    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
};

TEST_F(DenshiScreen, SwitchingOnAndOffIsRecordedAndReadBackFromTheHistory) {
    ElectronicBooksForm f(app);
    Show(f);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("電子帳簿の設定"));
    EXPECT_FALSE(f.onBox()->isChecked());
    EXPECT_EQ(f.settingLabel()->text(), QStringLiteral("記録していません。"));

    Switch(f);  // answered Yes
    EXPECT_EQ(prompt.LastText(), "優良な電子帳簿としての記録を開始しますか？");
    auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Operation, HistoryOperation::ElectronicBooksOn);
    EXPECT_EQ(records[0].Target, 0);
    EXPECT_EQ(records[0].When, "20260105090000");
    EXPECT_TRUE(f.onBox()->isChecked());
    EXPECT_EQ(f.settingLabel()->text(), QStringLiteral("2026年01月05日 09:00 から記録しています。"));
    EXPECT_EQ(f.yearLabel()->text(),
              QStringLiteral("この年は、年の初めから優良な電子帳簿として記録しています。"));

    // No: nothing is appended and the check stays on.
    prompt.Answer(Answer::No);
    Switch(f);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_TRUE(f.onBox()->isChecked());

    s.HistoryClock = [] { return std::string("20260610120000"); };
    Switch(f);  // off, answered Yes
    records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].Operation, HistoryOperation::ElectronicBooksOff);
    EXPECT_FALSE(f.onBox()->isChecked());
    EXPECT_EQ(f.settingLabel()->text(), QStringLiteral("2026年06月10日 12:00 に記録を終了しました。"));
    EXPECT_NE(f.yearLabel()->text().indexOf(QString::fromUtf8(kEbooksSwitchedOff)), -1);
}

TEST_F(DenshiScreen, ADamagedHistoryIsRefusedAndLeftAsItWas) {
    testing::WriteBytes(HistoryPath(s), testing::FromHex("52524b31 2c000000 0100"));
    const std::string before = testing::ReadBytes(HistoryPath(s));
    ElectronicBooksForm f(app);
    Show(f);
    Switch(f);
    EXPECT_EQ(prompt.LastText().rfind("設定を記録できませんでした", 0), 0u) << prompt.LastText();
    EXPECT_EQ(testing::ReadBytes(HistoryPath(s)), before);
    EXPECT_FALSE(f.onBox()->isChecked());
}

}  // namespace
}  // namespace tabulo
