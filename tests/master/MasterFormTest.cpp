// The item master form driven by keys: cell edits, the key rules, saving and cancelling.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"
#include "master/MasterForm.h"
#include "ui/AppContext.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FakePrompt;
using testing::FakeToolbar;
using testing::Key;
using testing::TypeText;

class MasterFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(tmp.path() / "KEIRIDATA");
        s.ProgramFolder = tmp.path();
        s.SetupLines = {"", tmp.path().string(), "2000", "0", "0", "0", "0", "0", "0"};
        s.FiscalYear = 7;
        s.EraName = "令和";
        s.MasterPath = tmp.path() / "KEIRIDATA" / "MASTER.DAT";
        s.KubunNames = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};
        s.MasterHeader = {"山田商店",     "東京都新宿区1-2-3",
                          "新宿区西新宿", "小売業",
                          "旧屋号",       "山田太郎",
                          "ヤマダタロウ", "",
                          "03-9999-0000", "商工会",
                          "渋谷区",       "佐藤一郎",
                          "03-0000-1111"};
        s.ItemTable[1] = {"売上            ", 1, "収入", 1, 1};
        s.ItemTable[2] = {"仕入            ", 4, "支出", 0, 5};
        s.ItemTableEdit = s.ItemTable;
        s.ReportTitleName = "山田商店";
        toolbar.enabled = {false, true, true, true, true, false, true, true, true};
    }

    QString Cell(MasterForm& f, int item, int column) {
        return f.grid()->item(item - 1, column)->text();
    }
    QLineEdit* InpData(MasterForm& f) { return f.cellEditor()->editor(); }
    void StartEdit(MasterForm& f, int item, int column) {
        f.grid()->setCurrentCell(item - 1, column);
        Key(f.grid(), Qt::Key_Return);
    }
    void EditCell(MasterForm& f, int item, int column, const QString& text) {
        StartEdit(f, item, column);
        ASSERT_TRUE(InpData(f)->isVisible());
        TypeText(InpData(f), text);
        Key(InpData(f), Qt::Key_Return);
        ASSERT_FALSE(InpData(f)->isVisible());
    }

    testing::TempFolder tmp;
    SharedState s;
    FakePrompt prompt;
    FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
};

TEST_F(MasterFormTest, OpensWithTheTablesAndHoldsTheToolbar) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("マスター登録"));
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(toolbar.enabled[i]) << i;

    ASSERT_EQ(f.grid()->rowCount(), 50);
    ASSERT_EQ(f.grid()->columnCount(), 5);
    QStringList heads;
    for (int c = 0; c < 5; ++c) heads << f.grid()->horizontalHeaderItem(c)->text();
    EXPECT_EQ(heads, (QStringList{QStringLiteral("No."), QStringLiteral("    項目名"),
                                  QStringLiteral("区分"), QStringLiteral("区分2"),
                                  QStringLiteral("区分3")}));
    EXPECT_EQ(Cell(f, 1, 0), QStringLiteral("  1"));
    EXPECT_EQ(Cell(f, 50, 0), QStringLiteral(" 50"));
    EXPECT_EQ(Cell(f, 2, 1), QStringLiteral("仕入"));
    EXPECT_EQ(Cell(f, 2, 2), QStringLiteral("  4"));
    EXPECT_EQ(Cell(f, 2, 4), QStringLiteral("  5"));
    EXPECT_EQ(Cell(f, 3, 3), QStringLiteral("  0"));
    EXPECT_EQ(f.headerBox(1)->text(), QStringLiteral("山田商店"));
    EXPECT_EQ(f.headerBox(5)->text(), QStringLiteral("山田太郎"));  // the trade name has no box
    EXPECT_EQ(f.headerBox(12)->text(), QStringLiteral("03-0000-1111"));

    EXPECT_EQ(f.findChild<QLabel*>(QStringLiteral("KubunLegend"))->text(),
              QStringLiteral("１＝収入\n２＝預金繰り入れ\n３＝口座振り込み\n ４＝支出\n５＝預金\n"
                             "６＝口座引落とし\n７＝繰越"));
    EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("Touroku"))->toolTip(),
              QStringLiteral("登録して終了します"));
    EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("Chudan"))->text(),
              QStringLiteral("中断(F5)"));

    Key(f.grid(), Qt::Key_F5);  // default answer Yes
    EXPECT_EQ(toolbar.enabled,
              (std::array<bool, 9>{false, true, true, true, true, false, true, true, true}));
}

TEST_F(MasterFormTest, EnterEditsACellAndEscPutsTheOldValueBack) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 1);
    ASSERT_TRUE(InpData(f)->isVisible());
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("売上"));
    InpData(f)->selectAll();
    TypeText(InpData(f), QStringLiteral("雑費"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("雑費"));
    Key(InpData(f), Qt::Key_Escape);
    EXPECT_FALSE(InpData(f)->isVisible());
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("売上"));
    EXPECT_TRUE(f.isVisible());  // Esc ends the edit, not the form

    EditCell(f, 1, 1, QStringLiteral("雑費"));
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("雑費"));
    EditCell(f, 1, 2, QStringLiteral("05"));
    EXPECT_EQ(Cell(f, 1, 2), QStringLiteral("  5"));
    EXPECT_EQ(prompt.beeps, 0);
    // Nothing reaches the tables before 登録.
    EXPECT_EQ(s.ItemTableEdit[1].ItemName, "売上            ");
}

TEST_F(MasterFormTest, KeysOutsideAFieldsRuleBeepAndAreSwallowed) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 3, 2);
    TypeText(InpData(f), QStringLiteral("8a7"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("7"));
    EXPECT_EQ(prompt.beeps, 2);
    Key(InpData(f), Qt::Key_Return);

    StartEdit(f, 3, 4);
    TypeText(InpData(f), QStringLiteral("9"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("9"));
    Key(InpData(f), Qt::Key_Return);

    StartEdit(f, 3, 1);
    TypeText(InpData(f), QStringLiteral("A\"B\U0001F600"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("AB"));
    EXPECT_EQ(prompt.beeps, 4);
    Key(InpData(f), Qt::Key_Escape);

    prompt.beeps = 0;
    f.headerBox(7)->setFocus();
    TypeText(f.headerBox(7), QStringLiteral("03-12a4"));
    EXPECT_EQ(f.headerBox(7)->text(), QStringLiteral("03-124"));
    EXPECT_EQ(prompt.beeps, 1);
    f.headerBox(4)->clear();
    TypeText(f.headerBox(4), QStringLiteral("it\"サービス"));
    EXPECT_EQ(f.headerBox(4)->text(), QStringLiteral("ITサービス"));
    EXPECT_EQ(prompt.beeps, 2);
}

TEST_F(MasterFormTest, PastedTextPassesTheSameRules) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    f.headerBox(9)->clear();
    f.headerBox(9)->setFocus();
    // A pasted quote would otherwise slip past the key rules into MASTER.DAT.
    QApplication::clipboard()->setText(QStringLiteral("商工\"会"));
    QTest::keyClick(f.headerBox(9), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.headerBox(9)->text(), QString());
    EXPECT_EQ(prompt.beeps, 1);
    QApplication::clipboard()->setText(QStringLiteral("jc商工会"));
    QTest::keyClick(f.headerBox(9), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.headerBox(9)->text(), QStringLiteral("JC商工会"));
    EXPECT_EQ(prompt.beeps, 1);
}

TEST_F(MasterFormTest, InputMethodTextPassesTheSameRules) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 6, 1);
    InpData(f)->clear();
    QInputMethodEvent kanji;
    kanji.setCommitString(QStringLiteral("旅費"));
    QApplication::sendEvent(InpData(f), &kanji);
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("旅費"));
    QInputMethodEvent emoji;
    emoji.setCommitString(QStringLiteral("\U0001F697"));
    QApplication::sendEvent(InpData(f), &emoji);
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("旅費"));
    EXPECT_EQ(prompt.beeps, 1);
    Key(InpData(f), Qt::Key_Return);
    // A letter typed on the grid itself neither edits nor moves the current cell.
    TypeText(f.grid(), QStringLiteral("仕"));  // item 2 is 仕入
    EXPECT_EQ(f.grid()->currentRow(), 5);
    EXPECT_FALSE(InpData(f)->isVisible());
}

TEST_F(MasterFormTest, ArrowKeysWrapAtTheRowEnds) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    QTableWidget* g = f.grid();
    g->setCurrentCell(0, 4);
    Key(g, Qt::Key_Right);
    EXPECT_EQ(g->currentRow(), 1);
    EXPECT_EQ(g->currentColumn(), 1);
    Key(g, Qt::Key_Left);
    EXPECT_EQ(g->currentRow(), 0);
    EXPECT_EQ(g->currentColumn(), 4);
    Key(g, Qt::Key_Left);
    EXPECT_EQ(g->currentColumn(), 3);
    Key(g, Qt::Key_Down);
    EXPECT_EQ(g->currentRow(), 1);
    EXPECT_EQ(g->currentColumn(), 3);
    // The number column is never the current cell.
    g->setCurrentCell(5, 0);
    EXPECT_EQ(g->currentColumn(), 1);
    Key(g, Qt::Key_PageDown);
    EXPECT_EQ(g->currentRow(), 5);
    g->setCurrentCell(49, 4);
    Key(g, Qt::Key_Right);
    EXPECT_EQ(g->currentRow(), 49);
    EXPECT_EQ(g->currentColumn(), 4);
}

TEST_F(MasterFormTest, ClickingAnotherCellCommitsTheEditAndOpensThatCell) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 1);
    InpData(f)->selectAll();
    TypeText(InpData(f), QStringLiteral("一二三四五六七八九"));
    QRect target = f.grid()->visualItemRect(f.grid()->item(2, 2));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, Qt::NoModifier, target.center());
    // Leaving the box is a commit too: the name is cut, and the clicked cell is open.
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("一二三四五六七八"));
    ASSERT_TRUE(InpData(f)->isVisible());
    EXPECT_EQ(f.grid()->currentRow(), 2);
    EXPECT_EQ(f.grid()->currentColumn(), 2);
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("0"));
    EXPECT_EQ(InpData(f)->geometry(), target);
}

TEST_F(MasterFormTest, EnterMovesThroughTheHeaderBoxesAndF2GoesToTheGrid) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    f.headerBox(1)->setFocus();
    Key(f.headerBox(1), Qt::Key_Return);
    EXPECT_TRUE(f.headerBox(2)->hasFocus());
    Key(f.headerBox(2), Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(prompt.shown.empty());
    Key(f.headerBox(2), Qt::Key_F2);
    EXPECT_TRUE(f.grid()->hasFocus());
    EXPECT_FALSE(InpData(f)->isVisible());
}

TEST_F(MasterFormTest, SaveWritesTheMasterFileAsTheLayoutSays) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    f.headerBox(2)->setFocus();
    f.headerBox(2)->end(false);
    TypeText(f.headerBox(2), QStringLiteral("abc"));
    TypeText(f.headerBox(7), QStringLiteral("03-1234-5678"));
    EditCell(f, 3, 1, QStringLiteral("交通費"));
    EditCell(f, 3, 2, QStringLiteral("4"));
    EditCell(f, 3, 4, QStringLiteral("9"));

    Key(f.grid(), Qt::Key_F10);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "マスターデータを更新しますか？");
    EXPECT_EQ(prompt.shown[0].title, "更新確認");
    EXPECT_EQ(prompt.shown[0].style, 52);
    EXPECT_FALSE(f.isVisible());

    EXPECT_EQ(testing::ReadBytes(s.MasterPath),
              testing::ReadBytes(testing::FixturePath("master_saved.dat")));
    EXPECT_EQ(s.ItemTable[3], (ItemEntry{"交通費          ", 4, "支出", 0, 9}));
    EXPECT_EQ(s.ItemTableEdit, s.ItemTable);
    EXPECT_EQ(s.MasterHeader[MasterField::TradeName], "山田商店");
    EXPECT_TRUE(toolbar.enabled[1]);
}

TEST_F(MasterFormTest, NineDoubleByteCharactersAreStoredAsEight) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 4, 1, QStringLiteral("一二三四五六七八九"));
    EXPECT_EQ(Cell(f, 4, 1), QStringLiteral("一二三四五六七八"));
    f.Register();
    EXPECT_EQ(s.ItemTable[4].ItemName, "一二三四五六七八");
    std::string file = testing::ReadBytes(s.MasterPath);
    // 一二三四五六七八 in CP932, quoted, followed by the 区分 of item 4.
    EXPECT_NE(file.find(testing::FromHex("22 88ea 93f1 8e4f 8e6c 8cdc 985a 8eb5 94aa 22 2c 30")),
              std::string::npos);
    EXPECT_EQ(file.find(testing::FromHex("8be3")), std::string::npos);  // 九
}

TEST_F(MasterFormTest, TradeNameFollowsTheBusinessNameCutTo24Bytes) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    f.headerBox(1)->clear();
    TypeText(f.headerBox(1), QStringLiteral("abc商会新宿東口駅前通り支店"));  // 3 + 26 bytes
    f.Register();
    EXPECT_EQ(s.MasterHeader[MasterField::BusinessName], "ABC商会新宿東口駅前通り");
    EXPECT_EQ(s.MasterHeader[MasterField::TradeName], "ABC商会新宿東口駅前通り");
    EXPECT_EQ(s.ReportTitleName, "ABC商会新宿東口駅前通り");
    std::string file = testing::ReadBytes(s.MasterPath);
    std::string firstLine = file.substr(0, file.find("\r\n"));
    std::string secondLine = file.substr(firstLine.size() + 2);
    std::string quoted = firstLine.substr(0, firstLine.find(','));
    EXPECT_EQ(secondLine.substr(0, quoted.size() + 1), quoted + ",");
}

TEST_F(MasterFormTest, CancelLeavesTheFileAndTheTablesUntouched) {
    testing::WriteBytes(s.MasterPath, "old master bytes\r\n");
    const ItemTableArray before = s.ItemTable;
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 1, QStringLiteral("変更"));
    EditCell(f, 2, 2, QStringLiteral("1"));
    TypeText(f.headerBox(1), QStringLiteral("X"));

    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F5);
    EXPECT_TRUE(f.isVisible());  // No keeps the form with its edits
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("変更"));

    Key(f.grid(), Qt::Key_F5);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "中断しますか？");
    EXPECT_EQ(prompt.shown[1].title, "中断確認");
    EXPECT_EQ(prompt.shown[1].style, 52);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(testing::ReadBytes(s.MasterPath), "old master bytes\r\n");
    EXPECT_EQ(s.ItemTable, before);
    EXPECT_EQ(s.ItemTableEdit, before);
    EXPECT_EQ(s.MasterHeader[MasterField::BusinessName], "山田商店");
}

TEST_F(MasterFormTest, SavingOrCancellingWhileACellIsEditedOnlyBeeps) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 1);
    TypeText(InpData(f), QStringLiteral("X"));
    Key(InpData(f), Qt::Key_F10);
    Key(InpData(f), Qt::Key_F5);
    f.Register();
    EXPECT_EQ(prompt.beeps, 3);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(InpData(f)->isVisible());
    EXPECT_FALSE(std::filesystem::exists(s.MasterPath));
}

TEST_F(MasterFormTest, AnsweringNoToTheSaveQuestionWritesNothing) {
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 1, QStringLiteral("変更"));
    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F10);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(std::filesystem::exists(s.MasterPath));
    EXPECT_EQ(s.ItemTable[1].ItemName, "売上            ");
}

TEST_F(MasterFormTest, AFailedSaveSaysSoAndKeepsEverything) {
    // The data folder has gone (a stick pulled out): the write cannot happen.
    s.MasterPath = tmp.path() / "gone" / "MASTER.DAT";
    const ItemTableArray before = s.ItemTable;
    MasterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 1, QStringLiteral("変更"));
    f.Register();
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].title, "エラー確認");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("変更"));
    EXPECT_EQ(s.ItemTable, before);
    EXPECT_EQ(s.MasterHeader[MasterField::TradeName], "旧屋号");
    EXPECT_FALSE(toolbar.enabled[1]);
}

}  // namespace
}  // namespace tabulo
