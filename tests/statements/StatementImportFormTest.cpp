// The import screen driven by keys, with scripted answers: a three-month bank file
// and a card file (both Shift-JIS, written by hand) read, their rows given items and
// accounts from the lists, a choice kept as a rule that then gives the other rows
// theirs, a row typed by hand already shown unsure and left out, the import, a second
// reading that finds everything in the books, and Ctrl+Z taking each import back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTableWidget>
#include "ui/TextGridModel.h"
#include <QTest>
#include <cstdlib>
#include <functional>
#include <memory>

#include "books/BooksFiles.h"
#include "books/TrialBalance.h"
#include "cashbook/Ledger.h"
#include "statements/StatementImportForm.h"
#include "store/History.h"
#include "tests/master/FormKeys.h"
#include "tests/statements/ImportYear.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/ModalDialogs.h"
#include "ui/AppContext.h"

namespace tabulo {
namespace {

using namespace statements;
using testing::FakePrompt;
using testing::FakeToolbar;
using testing::Key;
using testing::TypeText;

const std::filesystem::path kData = TABULO_STATEMENT_DATA;

class ImportScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        // Item 8 (カード払い, category 6) pays the card: its account is 未払金.
        ItemAccountArray accounts{};
        accounts[8] = kCardPayableAccount;
        ASSERT_TRUE(SaveItemAccounts(year.data / "KAMOKU.DAT", accounts));
        s = year.Fresh(prompt);
        // Typed by hand already: the telephone bill of April from account 1.
        DepositChange d{6, 1, 0};
        ASSERT_TRUE(PostAmount(s, 5, 2, 6000, "04", RowFields{"080425", "（土）", 6, "電話代"}, &d));
        prompt.shown.clear();
    }
    void TearDown() override { alive.reset(); }

    std::unique_ptr<StatementImportForm> Open() {
        auto f = std::make_unique<StatementImportForm>(
            app, std::vector<std::filesystem::path>{year.program / "TORIKOMI", TABULO_SHIPPED_PROFILES});
        EXPECT_TRUE(testing::ShowActive(f.get()));
        return f;
    }
    void Read(StatementImportForm& f, const char* file) {
        f.fileEdit()->setFocus();
        f.fileEdit()->clear();
        TypeText(f.fileEdit(), QString::fromStdString((kData / file).string()));
        Key(f.fileEdit(), Qt::Key_F2);
    }
    // Chooses item `n` in 区分選択 (opened on the current row by Enter).
    void ChooseItem(StatementImportForm& f, int row, int n) {
        testing::OnNextModal(alive, &f, [n](QWidget* m) {
            auto* list = m->findChild<QListWidget*>();
            QTest::keyClick(list, Qt::Key_Home);
            for (int i = 1; i < n; ++i) QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        f.grid()->setCurrentIndex(f.model()->index(row, StatementImportForm::ColTarget));
        Key(f.grid(), Qt::Key_Return);
        QApplication::setActiveWindow(&f);
    }
    // Chooses account `code` in the account list (opened by F4).
    void ChooseAccount(StatementImportForm& f, int row, int code) {
        testing::OnNextModal(
            alive, &f,
            [code](QWidget* m) {
                auto* list = m->findChild<QListWidget*>();
                QTest::keyClick(list, Qt::Key_Home);
                for (int i = 0; i < list->count(); ++i) {
                    if (list->currentItem()->data(Qt::UserRole).toInt() == code) break;
                    QTest::keyClick(list, Qt::Key_Down);
                }
                QTest::keyClick(list, Qt::Key_Return);
            },
            QStringLiteral("AccountPicker"));
        f.grid()->setCurrentIndex(f.model()->index(row, StatementImportForm::ColTarget));
        Key(f.grid(), Qt::Key_F4);
        QApplication::setActiveWindow(&f);
    }
    // With TABULO_SHOTS set, the screen as it stands goes to <that folder>/<name>.png,
    // to look at it as a user would.
    static void Shot(QWidget* w, const char* name) {
        if (const char* folder = std::getenv("TABULO_SHOTS"))
            w->grab().save(QString::fromUtf8(folder) + QLatin1Char('/') + QString::fromUtf8(name) +
                           QStringLiteral(".png"));
    }
    QString Cell(StatementImportForm& f, int row, int column) { return f.model()->Text(row, column); }
    std::vector<std::string> States(StatementImportForm& f) {
        std::vector<std::string> out;
        for (int r = 0; r < f.model()->rowCount(); ++r)
            out.push_back(Cell(f, r, StatementImportForm::ColState).toStdString());
        return out;
    }

    testing::ImportYear year;
    FakePrompt prompt;
    FakeToolbar toolbar;
    SharedState s;
    AppContext app{s, prompt, toolbar};
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

TEST_F(ImportScreen, ABankFileIsPreviewedGivenItemsByKeysAndARuleImportedAndUndone) {
    const auto before = year.Files();
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("明細の取り込み"));
    Read(*f, "mufg-three-months-cp932.csv");
    ASSERT_EQ(f->model()->rowCount(), 7) << prompt.LastText();
    // The hand-typed telephone bill of April makes its row unsure, unticked.
    EXPECT_EQ(States(*f), (std::vector<std::string>{"新規", "要確認", "新規", "新規", "新規", "新規", "新規"}));
    EXPECT_EQ(Cell(*f, 1, StatementImportForm::ColTake), QStringLiteral("□"));
    EXPECT_EQ(Cell(*f, 0, StatementImportForm::ColTake), QStringLiteral("■"));
    EXPECT_EQ(Cell(*f, 6, StatementImportForm::ColDescription), QStringLiteral("口座振替 ㈱髙島電力"));
    EXPECT_EQ(Cell(*f, 0, StatementImportForm::ColIn), QStringLiteral("120,000"));
    EXPECT_TRUE(f->summary()->text().contains(QStringLiteral("三菱UFJ銀行（Shift-JIS")))
        << f->summary()->text().toStdString();
    EXPECT_TRUE(f->summary()->text().contains(QStringLiteral("要確認 1 行")));

    // Without items the import is refused and the row without one is shown.
    Key(f->grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "項目を選んでいない行があります。");

    // The first transfer in takes item 3 from the list; kept as a rule (F6, Yes), the
    // other two take it too.
    ChooseItem(*f, 0, 3);
    EXPECT_EQ(Cell(*f, 0, StatementImportForm::ColTarget), QStringLiteral("3 振込入金"));
    EXPECT_TRUE(Cell(*f, 3, StatementImportForm::ColTarget).isEmpty());
    f->grid()->setCurrentIndex(f->model()->index(0, StatementImportForm::ColTarget));
    Key(f->grid(), Qt::Key_F6);
    EXPECT_EQ(prompt.shown.back().title, "規則の確認");
    EXPECT_EQ(Cell(*f, 3, StatementImportForm::ColTarget), QStringLiteral("3 振込入金"));
    EXPECT_EQ(Cell(*f, 5, StatementImportForm::ColTarget), QStringLiteral("3 振込入金"));
    const std::string rules = testing::ReadBytes(year.program / "TORIKOMI" / kRulesFileName);
    EXPECT_NE(rules.find("bank\t振込 ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ商店\t3\t\n"), std::string::npos) << rules;
    // Money out refuses an item of another category than 6, and keeps none.
    ChooseItem(*f, 4, 4);
    EXPECT_EQ(prompt.LastText(), "この預金データは区分の変更はできません！");
    EXPECT_TRUE(Cell(*f, 4, StatementImportForm::ColTarget).isEmpty());
    ChooseItem(*f, 2, 8);  // the card's payment
    ChooseItem(*f, 4, 6);
    ChooseItem(*f, 6, 6);
    EXPECT_TRUE(f->summary()->text().contains(QStringLiteral("取り込む行 6 行")));
    Shot(f.get(), "import-bank-preview");

    prompt.shown.clear();
    Key(f->grid(), Qt::Key_F10);  // answered Yes
    ASSERT_GE(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "6 行を取り込みますか？");
    EXPECT_EQ(prompt.LastText(), "6 行を取り込みました。");
    // Read again at once: all in the books but the row left unsure.
    EXPECT_EQ(States(*f), (std::vector<std::string>{"既存", "要確認", "既存", "既存", "既存", "既存", "既存"}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 11);
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 100000 - 6000 + 370000 - 4980 - 6100 - 8800);
    auto june = ReadLedgerLineAt(s, 10);
    ASSERT_TRUE(june);
    EXPECT_EQ(june->NenGetsuBi, "080610");
    EXPECT_EQ(june->Indata, 130000);
    // The trial balance of the year balances.
    auto book = LoadSlipBook(year.data / "FURIKAE08.DAT");
    auto accounts = LoadItemAccounts(year.data / "KAMOKU.DAT");
    ASSERT_TRUE(book && accounts);
    auto tb = BuildTrialBalance(s, *book, *accounts);
    ASSERT_TRUE(tb);
    EXPECT_TRUE(tb->Balances());

    // The same file again (closed and opened): nothing to take.
    Key(f->grid(), Qt::Key_F5);
    EXPECT_FALSE(f->isVisible());
    f = Open();
    Read(*f, "mufg-three-months-cp932.csv");
    EXPECT_EQ(States(*f), (std::vector<std::string>{"既存", "要確認", "既存", "既存", "既存", "既存", "既存"}));
    Key(f->grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "取り込む行がありません。");
    // The rule and the last choices came back from the program folder.
    EXPECT_EQ(f->Rules().bank.size(), 1u);
    EXPECT_EQ(f->Rules().bankChoices.size(), 4u);

    // Ctrl+Z in a screen opened again has nothing of its own to undo.
    Key(f->grid(), Qt::Key_F5);
    auto g = Open();
    Read(*g, "mufg-three-months-cp932.csv");
    QTest::keyClick(g->grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(prompt.LastText(), "元に戻せる取り込みがありません。");
    (void)before;
}

TEST_F(ImportScreen, ControlZTakesTheImportBackWhole) {
    const auto before = year.Files();
    auto f = Open();
    Read(*f, "mufg-three-months-cp932.csv");
    for (int row : {0, 3, 5}) ChooseItem(*f, row, 3);
    for (int row : {2, 4, 6}) ChooseItem(*f, row, 6);
    Key(f->grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "6 行を取り込みました。");
    EXPECT_EQ(f->UndoSteps(), 1u);
    QTest::keyClick(f->grid(), Qt::Key_Z, Qt::ControlModifier);  // answered Yes
    EXPECT_EQ(prompt.LastText(), "直前の取り込み（6 行）を元に戻しますか？");
    EXPECT_EQ(f->UndoSteps(), 0u);
    auto now = year.Files();
    EXPECT_EQ(now["KEIRI08.DAT"], before.at("KEIRI08.DAT"));
    EXPECT_EQ(now["YOKIN08.DAT"], before.at("YOKIN08.DAT"));
    EXPECT_EQ(s.LedgerHeader.LineCount, 5);
    EXPECT_EQ(States(*f), (std::vector<std::string>{"新規", "要確認", "新規", "新規", "新規", "新規", "新規"}));
    auto history = LoadHistory(year.data / "RIREKI08.DAT");
    ASSERT_TRUE(history);
    EXPECT_EQ(history->Records.back().Operation, HistoryOperation::CashBookDelete);
    EXPECT_NE(history->Records.back().UndoOf, 0u);
}

TEST_F(ImportScreen, ACardFileBecomesSlipsWithAccountsFromTheList) {
    auto f = Open();
    // A card statement read as if it were the bank's is refused with what to do.
    Read(*f, "view-card-cp932.csv");
    EXPECT_NE(prompt.LastText().find("カードの明細です"), std::string::npos) << prompt.LastText();
    EXPECT_EQ(f->model()->rowCount(), 0);
    f->targetBox()->setCurrentIndex(f->targetBox()->count() - 1);  // カード
    f->cardEdit()->setFocus();
    TypeText(f->cardEdit(), QStringLiteral("ビューカード"));
    Read(*f, "view-card-cp932.csv");
    ASSERT_EQ(f->model()->rowCount(), 3) << prompt.LastText();
    EXPECT_EQ(States(*f), (std::vector<std::string>{"新規", "新規", "新規"}));
    ChooseAccount(*f, 0, 11);  // 旅費交通費
    ChooseAccount(*f, 1, 17);  // 消耗品費
    ChooseAccount(*f, 2, 17);
    EXPECT_EQ(Cell(*f, 0, StatementImportForm::ColTarget), QStringLiteral("11 旅費交通費"));
    // Space leaves the refund out, and takes it again.
    f->grid()->setCurrentIndex(f->model()->index(2, StatementImportForm::ColTake));
    Key(f->grid(), Qt::Key_Space);
    EXPECT_EQ(Cell(*f, 2, StatementImportForm::ColTake), QStringLiteral("□"));
    Key(f->grid(), Qt::Key_Space);
    Key(f->grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "3 行を取り込みました。");
    auto book = LoadSlipBook(year.data / "FURIKAE08.DAT");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->Slips.size(), 3u);
    EXPECT_EQ(book->Slips[0], (TransferSlip{"080402", 11, kCardPayableAccount, 3000, "ＪＲ東日本　ﾓﾊﾞｲﾙSuica"}));
    EXPECT_EQ(book->Slips[2], (TransferSlip{"080406", kCardPayableAccount, 17, 500, "文具の髙橋"}));
    EXPECT_EQ(States(*f), (std::vector<std::string>{"既存", "既存", "既存"}));
    Shot(f.get(), "import-card-done");
    QTest::keyClick(f->grid(), Qt::Key_Z, Qt::ControlModifier);
    auto undone = LoadSlipBook(year.data / "FURIKAE08.DAT");
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->Slips.empty());
}

TEST_F(ImportScreen, TheRulesScreenListsRemovesAndRefusesRules) {
    RuleBook book;
    book.bank = {{"ﾃﾞﾝｷ", 6, "電気代"}, {"振込", 3, ""}};
    book.card = {{"ＡＭＡＺＯＮ", 17, ""}};
    const std::string folder = (year.program / "TORIKOMI").string();
    {
        ImportRulesForm form(app, book, folder);
        ASSERT_TRUE(testing::ShowActive(&form));
        ASSERT_EQ(form.grid()->rowCount(), 3);
        EXPECT_EQ(form.grid()->item(2, ImportRulesForm::ColKind)->text(), QStringLiteral("カード"));
        Shot(&form, "import-rules");
        // Delete takes the first rule away; a card rule on 未払金 is refused with its row.
        form.grid()->setCurrentCell(0, ImportRulesForm::ColText);
        Key(form.grid(), Qt::Key_Delete);
        form.grid()->item(1, ImportRulesForm::ColTarget)->setText(QStringLiteral("204"));
        Key(form.grid(), Qt::Key_F10);
        EXPECT_EQ(prompt.LastText(), "2 行目: 勘定科目のコードが正しくありません（未払金のほかの科目）。");
        EXPECT_TRUE(form.isVisible());
        form.grid()->item(1, ImportRulesForm::ColTarget)->setText(QStringLiteral("31"));
        Key(form.grid(), Qt::Key_F10);
        EXPECT_FALSE(form.isVisible());
    }
    ASSERT_EQ(book.bank.size(), 1u);
    EXPECT_EQ(book.bank[0].contains, "振込");
    ASSERT_EQ(book.card.size(), 1u);
    EXPECT_EQ(book.card[0].target, 31);
    auto kept = LoadRuleBook(folder);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, book);
}

}  // namespace
}  // namespace tabulo
