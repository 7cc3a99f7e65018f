// The account chooser: which accounts it lists, the preselection and the confirmation.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>

#include "deposits/DepositChooser.h"
#include "ui/AppContext.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"

namespace tabulo {
namespace {

using testing::Key;

class DepositChooserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        s.DepositBook = ClearedDepositBook();
        s.DepositBook.AccountName[1] = "普通預金          ";
        s.DepositBook.AccountNo[1] = "123-4567      ";
        s.DepositBook.CurrentBalance[1] = 150000;
        // Account 2 has a balance but no number: it is no account.
        s.DepositBook.AccountName[2] = "番号なし          ";
        s.DepositBook.CurrentBalance[2] = 5000;
        s.DepositBook.AccountName[3] = "定期              ";
        s.DepositBook.AccountNo[3] = "9-1           ";
        s.DepositBook.CurrentBalance[3] = 500000;
        s.DepositBook.Maturity[3] = "R8.03.31  ";
    }
    QStringList Entries(DepositChooser& d) {
        QStringList out;
        for (int i = 0; i < d.list()->count(); ++i) out << d.list()->item(i)->text();
        return out;
    }

    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
};

TEST_F(DepositChooserTest, ListsAccountsWithANumberUnderTheirOwnNumbers) {
    DepositChooser d(app);
    ASSERT_TRUE(testing::ShowActive(&d));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("預金ファイル選択"));
    QStringList entries = Entries(d);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].startsWith(QStringLiteral(" 1 普通預金")));
    EXPECT_TRUE(entries[1].startsWith(QStringLiteral(" 3 定期")));
    EXPECT_TRUE(entries[1].contains(QStringLiteral("     500,000 R8.03.31")));
    EXPECT_FALSE(entries.join(QString()).contains(QStringLiteral("番号なし")));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral(" No.   名      称　　  口座Ｎｏ．    　預金額　　  満期 "));
    EXPECT_EQ(d.list()->currentRow(), 0);  // preselecting 0 means account 1
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(DepositChooserTest, EnterAndYesChooseTheAccount) {
    DepositChooser d(app, 3);
    ASSERT_TRUE(testing::ShowActive(&d));
    EXPECT_EQ(d.list()->currentRow(), 1);
    Key(d.list(), Qt::Key_Return);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "定期");
    EXPECT_EQ(prompt.shown[0].title, "口座確認");
    EXPECT_EQ(prompt.shown[0].style, 52);
    EXPECT_EQ(d.Chosen(), 3);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(DepositChooserTest, DoubleClickAsksToo) {
    DepositChooser d(app);
    ASSERT_TRUE(testing::ShowActive(&d));
    QListWidgetItem* first = d.list()->item(0);
    QRect r = d.list()->visualItemRect(first);
    QTest::mouseClick(d.list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(d.list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "普通預金");
    EXPECT_EQ(d.Chosen(), 1);
}

TEST_F(DepositChooserTest, NoReturnsToTheListAndChangesNothing) {
    DepositChooser d(app, 1);
    ASSERT_TRUE(testing::ShowActive(&d));
    d.list()->setCurrentRow(1);
    prompt.Answer(Answer::No);
    Key(d.list(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.Chosen(), std::nullopt);
    // There is no cancel key: Esc leaves the chooser open.
    Key(d.list(), Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    // The close box backs out without a choice.
    d.close();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.Chosen(), std::nullopt);
}

TEST_F(DepositChooserTest, NoAccountSaysSoAndNothingCanBeConfirmed) {
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.CurrentBalance[4] = 1000;  // a balance without an account number
    DepositChooser d(app, 4);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "預金データがありません！");
    EXPECT_EQ(prompt.shown[0].style, 0);
    EXPECT_EQ(prompt.shown[0].title, "");
    EXPECT_EQ(s.ErrorFlag, 1);
    ASSERT_TRUE(testing::ShowActive(&d));
    EXPECT_EQ(d.list()->count(), 0);
    Key(d.list(), Qt::Key_Return);
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(d.Chosen(), std::nullopt);
}

}  // namespace
}  // namespace tabulo
