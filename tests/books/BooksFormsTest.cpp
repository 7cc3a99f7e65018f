// The screens of the double-entry books driven by keys, with scripted answers: typing
// a transfer slip (accounts by code and from the list), refusing a faulty one, changing
// and removing a slip, the opening balances and the 元入金 that balances them, the
// accounts of the items, and what the journal, ledger and trial balance show of a
// small hand-made year.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "books/BookViewForm.h"
#include "books/BookRows.h"
#include "books/ItemAccountForm.h"
#include "books/OpeningForm.h"
#include "books/SlipForm.h"
#include "books/Slips.h"
#include "cashbook/Overflow.h"
#include "master/MasterForm.h"
#include "platform/Prompt.h"
#include "store/History.h"
#include "tests/books/BooksYear.h"
#include "tests/books/SmallYear.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/RecordingPrinter.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"
#include "ui/TextGridModel.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using namespace testing::BookItem;
using testing::FakePrompt;
using testing::FakeToolbar;
using testing::Key;
using testing::ReadBytes;
using testing::TypeText;

// Records the forms the item master asks the shell to open.
class FakeForms : public FormOpener {
  public:
    void OpenForm(FormId id, QWidget*) override { opened.push_back(id); }
    bool CanOpen(FormId) const override { return true; }
    std::vector<FormId> opened;
};

class BooksScreens : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        toolbar.enabled = {false, true, true, true, true, false, true, true, true};
    }
    void TearDown() override { alive.reset(); }

    // Runs `act` on the account list when it opens.
    void OnModal(std::function<void(QWidget*)> act) {
        testing::OnNextModal(alive, nullptr, std::move(act), QStringLiteral("AccountPicker"));
    }
    // Picks account `code` in the account list with the arrow keys and Enter.
    void PickWithKeys(int code) {
        OnModal([code](QWidget* m) {
            auto* list = m->findChild<QListWidget*>();
            QTest::keyClick(list, Qt::Key_Home);
            for (int i = 0; i < list->count(); ++i) {
                if (list->currentItem()->data(Qt::UserRole).toInt() == code) break;
                QTest::keyClick(list, Qt::Key_Down);
            }
            QTest::keyClick(list, Qt::Key_Return);
        });
    }
    // A slip of 2 April typed by keys: 700 of 家事消費 (130) against cash (1).
    static void TypeHomeUse(SlipForm& f) {
        Type(f.field(SlipForm::FieldDate), QStringLiteral("130402"));
        Type(f.field(SlipForm::FieldDebit), QStringLiteral("130"));
        Type(f.field(SlipForm::FieldCredit), QStringLiteral("1"));
        Type(f.field(SlipForm::FieldAmount), QStringLiteral("700"));
        Type(f.field(SlipForm::FieldRemarks), QStringLiteral("家事消費"));
    }
    static void Type(QWidget* w, const QString& text) {
        TypeText(w, text);
        Key(w, Qt::Key_Return);
    }
    static QStringList Row(TextGridModel* m, int row) {
        QStringList texts;
        for (int c = 0; c < m->columnCount(); ++c) texts << m->Text(row, c);
        return texts;
    }
    SlipBook Stored() {
        auto read = LoadSlipBook(SlipBookPath(s));
        EXPECT_TRUE(read.ok());
        return read.ok() ? *read : SlipBook{};
    }

    FakePrompt prompt;
    FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

// ---- 振替伝票 ----

TEST_F(BooksScreens, ASlipTypedByKeysIsKeptAndListed) {
    WriteLedger();
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_TRUE(f.Loaded());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("振替伝票"));
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(toolbar.enabled[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(f.field(SlipForm::FieldDate)->hasFocus());

    Type(f.field(SlipForm::FieldDate), QStringLiteral("130405"));
    EXPECT_TRUE(f.field(SlipForm::FieldDebit)->hasFocus());
    TypeText(f.field(SlipForm::FieldDebit), QStringLiteral("106"));
    EXPECT_EQ(f.debitName()->text(), QStringLiteral("売掛金"));
    Key(f.field(SlipForm::FieldDebit), Qt::Key_Return);
    Type(f.field(SlipForm::FieldCredit), QStringLiteral("1"));
    EXPECT_EQ(f.creditName()->text(), QStringLiteral("売上（収入）金額"));
    // Letters never reach the amount.
    TypeText(f.field(SlipForm::FieldAmount), QStringLiteral("8a0,000"));
    EXPECT_EQ(f.field(SlipForm::FieldAmount)->text(), QStringLiteral("80,000"));
    EXPECT_EQ(prompt.beeps, 1);
    Key(f.field(SlipForm::FieldAmount), Qt::Key_Return);
    Type(f.field(SlipForm::FieldRemarks), QStringLiteral("掛売り　山田様"));

    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    const SlipBook stored = Stored();
    ASSERT_EQ(stored.Slips.size(), 1u);
    EXPECT_EQ(stored.Slips[0], (TransferSlip{"130405", AccountCode::Receivables, AccountCode::Sales,
                                             80000, "掛売り　山田様"}));
    ASSERT_EQ(f.model()->rowCount(), 1);
    EXPECT_EQ(Row(f.model(), 0),
              (QStringList{QStringLiteral("1"), QStringLiteral("130405"), QStringLiteral("売掛金"),
                           QStringLiteral("売上（収入）金額"), QStringLiteral("80,000"),
                           QStringLiteral("掛売り　山田様")}));
    // Ready for the next slip of the same day.
    EXPECT_TRUE(f.field(SlipForm::FieldDate)->hasFocus());
    EXPECT_EQ(f.field(SlipForm::FieldDate)->text(), QStringLiteral("130405"));
    EXPECT_TRUE(f.field(SlipForm::FieldDebit)->text().isEmpty());
    EXPECT_TRUE(f.field(SlipForm::FieldRemarks)->text().isEmpty());
    EXPECT_EQ(f.modeLabel()->text(), QStringLiteral("新規"));

    Key(f.field(SlipForm::FieldDate), Qt::Key_F10);  // 終了, answered Yes
    EXPECT_EQ(prompt.LastText(), "終了しますか？");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(toolbar.enabled,
              (std::array<bool, 9>{false, true, true, true, true, false, true, true, true}));
}

TEST_F(BooksScreens, AnAccountIsChosenFromTheListWhenItsFieldIsBlank) {
    WriteLedger();
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    Type(f.field(SlipForm::FieldDate), QStringLiteral("130601"));
    PickWithKeys(AccountCode::OwnerDrawings);
    Key(f.field(SlipForm::FieldDebit), Qt::Key_Return);  // blank: the list opens
    EXPECT_EQ(f.field(SlipForm::FieldDebit)->text(), QStringLiteral("130"));
    EXPECT_EQ(f.debitName()->text(), QStringLiteral("事業主貸"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_TRUE(f.field(SlipForm::FieldCredit)->hasFocus());
    PickWithKeys(AccountCode::Purchases);
    Key(f.field(SlipForm::FieldCredit), Qt::Key_F2);  // F2 opens it too
    EXPECT_EQ(f.field(SlipForm::FieldCredit)->text(), QStringLiteral("3"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    Type(f.field(SlipForm::FieldAmount), QStringLiteral("1200"));
    Type(f.field(SlipForm::FieldRemarks), QStringLiteral("家事消費"));
    ASSERT_EQ(Stored().Slips.size(), 1u);
    EXPECT_EQ(Stored().Slips[0].DebitCode, AccountCode::OwnerDrawings);
    EXPECT_EQ(Stored().Slips[0].CreditCode, AccountCode::Purchases);

    // A code the chart does not have keeps the focus, with the reason.
    Type(f.field(SlipForm::FieldDate), QString());
    Type(f.field(SlipForm::FieldDebit), QStringLiteral("555"));
    EXPECT_EQ(prompt.LastText(), "その勘定科目はありません。");
    EXPECT_TRUE(f.field(SlipForm::FieldDebit)->hasFocus());
    EXPECT_TRUE(f.debitName()->text().isEmpty());
}

TEST_F(BooksScreens, AFaultySlipIsRefusedWithItsReasonAndNothingIsWritten) {
    Line("130101", Sales, 2000000000);
    WriteLedger();
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    auto typeSlip = [&](const char* date, const char* debit, const char* credit,
                        const char* amount) {
        for (auto* w : {f.field(SlipForm::FieldDate), f.field(SlipForm::FieldDebit),
                        f.field(SlipForm::FieldCredit), f.field(SlipForm::FieldAmount),
                        f.field(SlipForm::FieldRemarks)})
            w->clear();
        f.field(SlipForm::FieldDate)->setFocus();
        Type(f.field(SlipForm::FieldDate), QString::fromUtf8(date));
        Type(f.field(SlipForm::FieldDebit), QString::fromUtf8(debit));
        Type(f.field(SlipForm::FieldCredit), QString::fromUtf8(credit));
        Type(f.field(SlipForm::FieldAmount), QString::fromUtf8(amount));
        Key(f.field(SlipForm::FieldRemarks), Qt::Key_Return);
    };
    const struct {
        const char *date, *debit, *credit, *amount;
        std::string message;
    } refused[] = {
        {"130405", "106", "106", "100", "借方と貸方が同じ勘定科目です。"},
        {"120405", "106", "1", "100", kSlipYearMessage},
        {"130231", "106", "1", "100", kSlipYearMessage},
        {"1304", "106", "1", "100", "日付は年月日の６桁です。"},
        {"130405", "106", "1", "", "金額は１円以上です。"},
        {"130405", "106", "1", "9,999,999,999", kOverflowMessage},
        // 売上 would pass 32 bits on its credit side.
        {"130405", "106", "1", "200,000,000", kOverflowMessage},
    };
    for (const auto& r : refused) {
        prompt.Clear();
        typeSlip(r.date, r.debit, r.credit, r.amount);
        ASSERT_EQ(prompt.shown.size(), 1u) << r.date << " " << r.amount;
        EXPECT_EQ(prompt.shown[0].text, r.message);
        EXPECT_EQ(prompt.shown[0].style, MsgStyle::Exclamation);
        EXPECT_FALSE(std::filesystem::exists(SlipBookPath(s))) << r.message;
        EXPECT_TRUE(f.book().Slips.empty());
        EXPECT_EQ(f.model()->rowCount(), 0);
    }
}

TEST_F(BooksScreens, ASlipIsChangedAndRemovedFromTheList) {
    WriteLedger();
    Slip("130410", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
    Slip("130402", AccountCode::OwnerDrawings, AccountCode::Sales, 700, "家事消費");
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_EQ(f.model()->rowCount(), 2);
    EXPECT_EQ(f.model()->Text(0, 1), QStringLiteral("130402"));  // date order
    EXPECT_EQ(f.model()->Text(0, 0), QStringLiteral("2"));

    Key(f.field(SlipForm::FieldDate), Qt::Key_F6);
    EXPECT_TRUE(f.grid()->hasFocus());
    Key(f.grid(), Qt::Key_Down);
    Key(f.grid(), Qt::Key_Return);  // the slip of 10 April into the entry line
    ASSERT_EQ(f.Editing(), std::optional<std::size_t>(0));
    EXPECT_EQ(f.modeLabel()->text(), QStringLiteral("変更　振替伝票 1"));
    EXPECT_EQ(f.field(SlipForm::FieldAmount)->text(), QStringLiteral("5,000"));
    EXPECT_TRUE(f.field(SlipForm::FieldDate)->hasFocus());
    Type(f.field(SlipForm::FieldDate), QStringLiteral("130401"));
    Key(f.field(SlipForm::FieldDebit), Qt::Key_Return);
    Key(f.field(SlipForm::FieldCredit), Qt::Key_Return);
    f.field(SlipForm::FieldAmount)->selectAll();
    Type(f.field(SlipForm::FieldAmount), QStringLiteral("6000"));
    Key(f.field(SlipForm::FieldRemarks), Qt::Key_Return);
    SlipBook stored = Stored();
    ASSERT_EQ(stored.Slips.size(), 2u);
    EXPECT_EQ(stored.Slips[0], (TransferSlip{"130401", AccountCode::Receivables,
                                             AccountCode::Sales, 6000, "掛売り"}));
    EXPECT_EQ(f.model()->Text(0, 1), QStringLiteral("130401"));
    EXPECT_EQ(f.modeLabel()->text(), QStringLiteral("新規"));

    // 削除 asks; No keeps the slip.
    f.grid()->setFocus();
    f.grid()->setCurrentIndex(f.model()->index(1, 0));  // slip 2 of 2 April
    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F4);
    EXPECT_EQ(prompt.LastText(), "振替伝票 2 を削除しますか？");
    EXPECT_EQ(Stored().Slips.size(), 2u);
    Key(f.grid(), Qt::Key_Delete);  // Yes
    stored = Stored();
    ASSERT_EQ(stored.Slips.size(), 1u);
    EXPECT_EQ(stored.Slips[0].SlipAmount, 6000);
    EXPECT_EQ(f.model()->rowCount(), 1);

    // Nothing chosen: nothing to remove.
    prompt.Clear();
    f.field(SlipForm::FieldDate)->setFocus();
    Key(f.field(SlipForm::FieldDate), Qt::Key_F4);
    EXPECT_EQ(prompt.LastText(), "削除する振替伝票を選んでください！！");
    EXPECT_EQ(Stored().Slips.size(), 1u);
}

// 元に戻す: Ctrl+Z takes back the screen's last slip operations one by one, each time
// leaving the file byte for byte as it was before; the history keeps them all.
TEST_F(BooksScreens, CtrlZUndoesTheLastSlipOperationsAndSaysWhyWhenItCannot) {
    WriteLedger();
    s.HistoryClock = [] { return std::string("20261208101500"); };
    Slip("130410", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    const std::string first = ReadBytes(SlipBookPath(s));
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_EQ(f.button(SlipForm::UndoButton)->text(), QStringLiteral("元に戻す(Ctrl+Z)"));

    TypeHomeUse(f);
    const std::string added = ReadBytes(SlipBookPath(s));
    ASSERT_EQ(Stored().Slips.size(), 2u);
    f.grid()->setFocus();
    f.grid()->setCurrentIndex(f.model()->index(1, 0));  // slip 1 of 10 April
    Key(f.grid(), Qt::Key_Delete);                      // answered Yes
    ASSERT_EQ(Stored().Slips.size(), 1u);
    EXPECT_EQ(Stored().Slips[0].SlipAmount, 700);

    prompt.Clear();
    f.field(SlipForm::FieldDate)->setFocus();
    QTest::keyClick(f.field(SlipForm::FieldDate), Qt::Key_Z, Qt::ControlModifier);  // the delete undone
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), added);
    EXPECT_EQ(f.model()->rowCount(), 2);
    EXPECT_EQ(f.book(), Stored());
    EXPECT_EQ(f.field(SlipForm::FieldDate)->text(), QStringLiteral("130402"));  // not the text's undo
    f.grid()->setFocus();
    QTest::keyClick(f.grid(), Qt::Key_Z, Qt::ControlModifier);  // the slip typed undone
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), first);
    EXPECT_EQ(f.model()->rowCount(), 1);
    EXPECT_EQ(f.model()->Text(0, 1), QStringLiteral("130410"));

    const int beeps = prompt.beeps;
    QTest::keyClick(f.grid(), Qt::Key_Z, Qt::ControlModifier);  // nothing left to undo
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, kNothingToUndoMessage);
    EXPECT_EQ(prompt.shown[0].style, MsgStyle::Exclamation);
    EXPECT_EQ(prompt.beeps, beeps + 1);
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), first);

    auto history = LoadHistory(HistoryPath(s));
    ASSERT_TRUE(history.ok());
    ASSERT_EQ(history->Records.size(), 4u);
    EXPECT_EQ(history->Records[2].Operation, HistoryOperation::SlipAdd);
    EXPECT_EQ(history->Records[2].UndoOf, 2u);
    EXPECT_EQ(history->Records[3].Operation, HistoryOperation::SlipDelete);
    EXPECT_EQ(history->Records[3].UndoOf, 1u);

    // A slip kept, then the file changed by another program: the undo says why.
    f.field(SlipForm::FieldDate)->setFocus();
    Type(f.field(SlipForm::FieldDate), QStringLiteral("130403"));
    Type(f.field(SlipForm::FieldDebit), QStringLiteral("130"));
    Type(f.field(SlipForm::FieldCredit), QStringLiteral("1"));
    Type(f.field(SlipForm::FieldAmount), QStringLiteral("900"));
    Type(f.field(SlipForm::FieldRemarks), QString());
    SlipBook outside = Stored();
    outside.Openings.push_back({AccountCode::Cash, 1000});
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), outside).ok());
    const std::string changed = ReadBytes(SlipBookPath(s));
    prompt.Clear();
    QTest::keyClick(f.field(SlipForm::FieldDate), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "振替伝票のファイルがその後ほかで変更されているため、振替伝票 2 の操作は元に戻せません。");
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), changed);
    EXPECT_EQ(f.model()->rowCount(), 2);
}

// The slip screen closed and opened again still takes back the slip typed before.
TEST_F(BooksScreens, CtrlZOnASlipScreenOpenedAgainUndoesWhatWasDoneBeforeItClosed) {
    WriteLedger();
    s.HistoryClock = [] { return std::string("20261208101500"); };
    Slip("130410", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    const std::string first = ReadBytes(SlipBookPath(s));
    {
        SlipForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        TypeHomeUse(f);
        ASSERT_EQ(Stored().Slips.size(), 2u);
    }
    SlipForm again(app);
    ASSERT_TRUE(testing::ShowActive(&again));
    ASSERT_EQ(again.model()->rowCount(), 2);
    prompt.Clear();
    again.grid()->setFocus();
    QTest::keyClick(again.grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), first);
    EXPECT_EQ(again.model()->rowCount(), 1);
}

TEST_F(BooksScreens, ADamagedSlipFileIsNamedAndNothingCanBeTyped) {
    WriteLedger();
    testing::WriteBytes(SlipBookPath(s), "FRK1\x01");
    SlipForm f(app);
    EXPECT_FALSE(f.Loaded());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("FURIKAE13.DAT"), std::string::npos);
    EXPECT_FALSE(f.button(SlipForm::KeepButton)->isEnabled());
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), std::string("FRK1\x01"));
}

// ---- 期首残高 ----

TEST_F(BooksScreens, OpeningBalancesAreTypedBalancedByCapitalAndKept) {
    WriteLedger();
    OpeningForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_TRUE(f.Loaded());
    // Every balance-sheet account of the chart, none of page 1.
    int count = 0;
    for (const Account& a : ChartOfAccounts()) count += IsBalanceSheetAccount(a.code) ? 1 : 0;
    ASSERT_EQ(f.grid()->rowCount(), count);
    EXPECT_EQ(f.grid()->item(0, OpeningForm::ColName)->text(), QStringLiteral("現金"));
    EXPECT_EQ(f.RowOf(AccountCode::Sales), -1);

    auto enter = [&](int code, const QString& amount) {
        f.grid()->setCurrentCell(f.RowOf(code), OpeningForm::ColAmount);
        Key(f.grid(), Qt::Key_Return);
        ASSERT_TRUE(f.cellEditor()->IsEditing());
        TypeText(f.cellEditor()->editor(), amount);
        Key(f.cellEditor()->editor(), Qt::Key_Return);
        ASSERT_FALSE(f.cellEditor()->IsEditing());
    };
    enter(AccountCode::Cash, QStringLiteral("300000"));
    enter(AccountCode::Receivables, QStringLiteral("120,000"));
    enter(AccountCode::Loans, QStringLiteral("250000"));
    EXPECT_EQ(f.grid()->item(f.RowOf(AccountCode::Cash), OpeningForm::ColAmount)->text(),
              QStringLiteral("300,000"));
    EXPECT_EQ(f.debitTotal()->text(), QStringLiteral("420,000"));
    EXPECT_EQ(f.creditTotal()->text(), QStringLiteral("250,000"));
    EXPECT_EQ(f.difference()->text(), QStringLiteral("170,000"));

    // Kept unbalanced only when the user says so; No keeps the screen and the file.
    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "借方合計と貸方合計が一致していません。このまま登録しますか？");
    EXPECT_FALSE(std::filesystem::exists(SlipBookPath(s)));
    EXPECT_TRUE(f.isVisible());

    Key(f.grid(), Qt::Key_F6);  // 元入金
    EXPECT_EQ(f.grid()->item(f.RowOf(AccountCode::Capital), OpeningForm::ColAmount)->text(),
              QStringLiteral("170,000"));
    EXPECT_EQ(f.difference()->text(), QStringLiteral("0"));
    Key(f.grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "期首残高を登録しますか？");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Stored().Openings,
              (std::vector<OpeningBalance>{{AccountCode::Cash, 300000},
                                           {AccountCode::Receivables, 120000},
                                           {AccountCode::Loans, 250000},
                                           {AccountCode::Capital, 170000}}));
}

// A year that kept no openings is offered what the cash book and the deposit book
// know: 現金 from the cash book's carry-over line, その他の預金 from the deposit book's
// carried total, 元入金 to match. Nothing is kept until 登録, and each can be changed.
TEST_F(BooksScreens, OpeningBalancesAreOfferedFromTheCashBookAndTheDepositBook) {
    Line("130101", CarryOver, 45000);
    WriteLedger();
    s.DepositBook.CarriedTotal = 230000;
    OpeningForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_TRUE(f.Offered());
    auto shown = [&](int code) { return f.grid()->item(f.RowOf(code), OpeningForm::ColAmount)->text(); };
    EXPECT_EQ(shown(AccountCode::Cash), QStringLiteral("45,000"));
    EXPECT_EQ(shown(AccountCode::Deposits), QStringLiteral("230,000"));
    EXPECT_EQ(shown(AccountCode::Capital), QStringLiteral("275,000"));
    EXPECT_EQ(f.difference()->text(), QStringLiteral("0"));
    EXPECT_FALSE(std::filesystem::exists(SlipBookPath(s)));

    f.grid()->setCurrentCell(f.RowOf(AccountCode::Deposits), OpeningForm::ColAmount);
    Key(f.grid(), Qt::Key_Return);
    f.cellEditor()->editor()->clear();
    TypeText(f.cellEditor()->editor(), QStringLiteral("200000"));
    Key(f.cellEditor()->editor(), Qt::Key_Return);
    Key(f.grid(), Qt::Key_F6);
    prompt.Answer(Answer::Yes);
    Key(f.grid(), Qt::Key_F10);
    EXPECT_EQ(Stored().Openings, (std::vector<OpeningBalance>{{AccountCode::Cash, 45000},
                                                              {AccountCode::Deposits, 200000},
                                                              {AccountCode::Capital, 245000}}));

    // Once kept, the kept balances show, and nothing is offered over them.
    OpeningForm again(app);
    EXPECT_FALSE(again.Offered());
    EXPECT_EQ(again.grid()->item(again.RowOf(AccountCode::Deposits), OpeningForm::ColAmount)->text(),
              QStringLiteral("200,000"));
}

TEST_F(BooksScreens, KeptOpeningsShowAgainAndAnAmountBeyondThirtyTwoBitsIsRefused) {
    WriteLedger();
    Opening(AccountCode::Cash, 5000);
    Opening(AccountCode::Capital, 5000);
    Slip("130120", AccountCode::Receivables, AccountCode::Sales, 800);
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    const std::string before = ReadBytes(SlipBookPath(s));
    OpeningForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_EQ(f.grid()->item(f.RowOf(AccountCode::Cash), OpeningForm::ColAmount)->text(),
              QStringLiteral("5,000"));
    EXPECT_EQ(f.grid()->item(f.RowOf(AccountCode::Loans), OpeningForm::ColAmount)->text(),
              QString());
    EXPECT_EQ(f.difference()->text(), QStringLiteral("0"));

    f.grid()->setCurrentCell(f.RowOf(AccountCode::Loans), OpeningForm::ColAmount);
    Key(f.grid(), Qt::Key_Return);
    TypeText(f.cellEditor()->editor(), QStringLiteral("3000000000"));
    Key(f.cellEditor()->editor(), Qt::Key_Return);
    EXPECT_EQ(prompt.LastText(), kOverflowMessage);
    EXPECT_TRUE(f.cellEditor()->IsEditing());  // the box stays open for a correction
    // Nor the lowest 32-bit value, whose opposite the books could not hold.
    f.cellEditor()->editor()->clear();
    TypeText(f.cellEditor()->editor(), QStringLiteral("-2147483648"));
    prompt.Clear();
    Key(f.cellEditor()->editor(), Qt::Key_Return);
    EXPECT_EQ(prompt.LastText(), kOverflowMessage);
    EXPECT_TRUE(f.cellEditor()->IsEditing());
    Key(f.cellEditor()->editor(), Qt::Key_Escape);
    EXPECT_FALSE(f.cellEditor()->IsEditing());

    Key(f.grid(), Qt::Key_F5);  // 中断, Yes
    EXPECT_EQ(prompt.LastText(), "中断しますか？");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), before);  // the slip is still there
}

// ---- 項目の勘定科目 ----

TEST_F(BooksScreens, AnItemWithoutAStatementLineIsGivenABalanceSheetAccount) {
    WriteLedger();
    ItemAccountForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_TRUE(f.Loaded());
    EXPECT_EQ(f.grid()->rowCount(), kItemCount);
    // 売上 posts to its page-1 line: shown, not choosable.
    EXPECT_FALSE(f.Choosable(Sales));
    EXPECT_EQ(f.grid()->item(Sales - 1, ItemAccountForm::ColAccount)->text(),
              QStringLiteral("1 売上（収入）金額"));
    f.grid()->setCurrentCell(Sales - 1, ItemAccountForm::ColAccount);
    Key(f.grid(), Qt::Key_Return);
    EXPECT_EQ(prompt.beeps, 1);

    ASSERT_TRUE(f.Choosable(NoAccount));
    f.grid()->setCurrentCell(NoAccount - 1, ItemAccountForm::ColAccount);
    PickWithKeys(AccountCode::OwnerDrawings);
    Key(f.grid(), Qt::Key_Return);
    EXPECT_EQ(f.grid()->item(NoAccount - 1, ItemAccountForm::ColAccount)->text(),
              QStringLiteral("130 事業主貸"));
    f.grid()->setCurrentCell(Drawings - 1, ItemAccountForm::ColAccount);
    PickWithKeys(AccountCode::Loans);
    Key(f.grid(), Qt::Key_F2);
    // Delete takes a choice away again.
    f.grid()->setCurrentCell(Collection - 1, ItemAccountForm::ColAccount);
    Key(f.grid(), Qt::Key_Delete);
    EXPECT_EQ(f.grid()->item(Collection - 1, ItemAccountForm::ColAccount)->text(), QString());

    Key(f.grid(), Qt::Key_F10);
    EXPECT_EQ(prompt.LastText(), "項目の勘定科目を登録しますか？");
    EXPECT_FALSE(f.isVisible());
    auto read = LoadItemAccounts(ItemAccountsPath(s));
    ASSERT_TRUE(read.ok());
    ItemAccountArray expected{};
    expected[NoAccount] = AccountCode::OwnerDrawings;
    expected[Drawings] = AccountCode::Loans;
    EXPECT_EQ(*read, expected);
}

TEST_F(BooksScreens, TheItemAccountsCancelWritesNothingAndTheMasterOpensThem) {
    WriteLedger();
    {
        ItemAccountForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        f.grid()->setCurrentCell(NoAccount - 1, ItemAccountForm::ColAccount);
        PickWithKeys(AccountCode::Loans);
        Key(f.grid(), Qt::Key_Return);
        Key(f.grid(), Qt::Key_F5);
        EXPECT_EQ(prompt.LastText(), "中断しますか？");
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(std::filesystem::exists(ItemAccountsPath(s)));
    }
    FakeForms forms;
    app.forms = &forms;
    s.ItemTableEdit = s.ItemTable;
    MasterForm master(app);
    ASSERT_TRUE(testing::ShowActive(&master));
    Key(master.grid(), Qt::Key_F6);
    EXPECT_EQ(forms.opened, (std::vector<FormId>{FormId::ItemAccounts}));
}

// ---- The views ----

class BooksViews : public testing::WithSmallYear<BooksScreens> {
  protected:
    void SetUp() override {
        WithSmallYear::SetUp();
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    }
};

TEST_F(BooksViews, TheJournalShowsTheOpeningsAndEveryEntryInDateOrder) {
    BookViewForm v(app, BookViewForm::Kind::Journal);
    ASSERT_TRUE(testing::ShowActive(&v));
    ASSERT_TRUE(v.Loaded());
    EXPECT_EQ(v.windowTitle(), QStringLiteral("仕訳帳"));
    ASSERT_EQ(v.model()->rowCount(), 5);
    EXPECT_EQ(Row(v.model(), 0), (QStringList{QStringLiteral("期首"), QStringLiteral("現金"), QString(),
                                              QStringLiteral("1,000"), QStringLiteral("期首残高"),
                                              QString()}));
    EXPECT_EQ(Row(v.model(), 2),
              (QStringList{QStringLiteral("130105"), QStringLiteral("現金"),
                           QStringLiteral("売上（収入）金額"), QStringLiteral("10,000"),
                           QStringLiteral("売上　店頭"), QStringLiteral("出納簿 1")}));
    EXPECT_EQ(Row(v.model(), 4),
              (QStringList{QStringLiteral("130120"), QStringLiteral("売掛金"),
                           QStringLiteral("売上（収入）金額"), QStringLiteral("5,000"),
                           QStringLiteral("掛売り"), QStringLiteral("振替伝票 1")}));
    EXPECT_EQ(v.note()->text(), QStringLiteral("仕訳 3 件"));
    Key(v.grid(), Qt::Key_F10);
    EXPECT_FALSE(v.isVisible());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(BooksViews, TheLedgerOfTheAccountChosenByKeysRunsItsBalance) {
    BookViewForm v(app, BookViewForm::Kind::Ledger);
    ASSERT_TRUE(testing::ShowActive(&v));
    ASSERT_TRUE(v.Loaded());
    EXPECT_EQ(v.model()->rowCount(), 0);  // until an account is chosen
    ASSERT_EQ(v.accountList()->count(), 5);
    EXPECT_EQ(v.accountList()->itemText(0), QStringLiteral("  1 売上（収入）金額"));
    EXPECT_TRUE(v.accountList()->hasFocus());
    Key(v.accountList(), Qt::Key_Down);
    Key(v.accountList(), Qt::Key_Down);
    Key(v.accountList(), Qt::Key_Down);  // 101 現金
    EXPECT_EQ(v.accountList()->currentText(), QStringLiteral("101 現金"));
    ASSERT_EQ(v.model()->rowCount(), 4);
    EXPECT_EQ(Row(v.model(), 0), (QStringList{QStringLiteral("期首"), QString(), QStringLiteral("前期繰越"),
                                              QString(), QString(), QStringLiteral("1,000")}));
    EXPECT_EQ(Row(v.model(), 2), (QStringList{QStringLiteral("130110"), QStringLiteral("仕入金額"),
                                              QStringLiteral("仕入"), QString(),
                                              QStringLiteral("3,000"), QStringLiteral("8,000")}));
    EXPECT_EQ(Row(v.model(), 3), (QStringList{QString(), QString(), QStringLiteral("合計"),
                                              QStringLiteral("10,000"), QStringLiteral("3,000"),
                                              QStringLiteral("8,000")}));
}

TEST_F(BooksViews, F8PrintsWhatTheViewShows) {
    testing::RecordingPrinter printer;
    app.output = &printer;
    {
        BookViewForm v(app, BookViewForm::Kind::TrialBalance);
        ASSERT_TRUE(testing::ShowActive(&v));
        Key(v.grid(), Qt::Key_F8);
        EXPECT_EQ(prompt.LastText(), "印刷しますか？");
        ASSERT_EQ(printer.printed.size(), 1u);
        EXPECT_EQ(printer.printed[0].name, "試算表");
        const auto texts = printer.Texts(0, 0);
        const auto has = [&](const std::string& t) {
            return std::find_if(texts.begin(), texts.end(), [&](const std::string& x) {
                       return x.find(t) != std::string::npos;
                   }) != texts.end();
        };
        EXPECT_TRUE(has("試　算　表"));
        EXPECT_TRUE(has("現金"));
        EXPECT_TRUE(has("18,000"));
        Key(v.grid(), Qt::Key_Escape);
    }
    {
        // The ledger prints the account chosen, and asks for one first.
        BookViewForm v(app, BookViewForm::Kind::Ledger);
        ASSERT_TRUE(testing::ShowActive(&v));
        Key(v.grid(), Qt::Key_F8);
        EXPECT_EQ(prompt.LastText(), "勘定科目を選択してください！");
        EXPECT_EQ(printer.printed.size(), 1u);
        v.accountList()->setCurrentIndex(0);
        Key(v.grid(), Qt::Key_F8);
        ASSERT_EQ(printer.printed.size(), 2u);
        EXPECT_EQ(printer.printed[1].name.rfind("総勘定元帳 ", 0), 0u);
        Key(v.grid(), Qt::Key_Escape);
    }
    // The journal answered No prints nothing.
    BookViewForm v(app, BookViewForm::Kind::Journal);
    ASSERT_TRUE(testing::ShowActive(&v));
    prompt.Answer(Answer::No);
    Key(v.grid(), Qt::Key_F8);
    EXPECT_EQ(printer.printed.size(), 2u);
    Key(v.grid(), Qt::Key_Escape);
}

TEST_F(BooksViews, TheTrialBalanceSaysWhetherDebitsEqualCredits) {
    {
        BookViewForm v(app, BookViewForm::Kind::TrialBalance);
        ASSERT_TRUE(testing::ShowActive(&v));
        ASSERT_EQ(v.model()->rowCount(), 6);
        EXPECT_EQ(Row(v.model(), 2),
                  (QStringList{QStringLiteral("現金"), QStringLiteral("1,000"),
                               QStringLiteral("10,000"), QStringLiteral("3,000"),
                               QStringLiteral("8,000")}));
        EXPECT_EQ(Row(v.model(), 5),
                  (QStringList{QStringLiteral("合計"), QStringLiteral("0"), QStringLiteral("18,000"),
                               QStringLiteral("18,000"), QStringLiteral("0")}));
        EXPECT_EQ(v.note()->text(), QString::fromUtf8(kBooksBalance));
    }
    // Openings that differ, and a line whose item has no account.
    book.Openings.pop_back();
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    Line("130111", NoAccount, 500);
    WriteLedger();
    BookViewForm v(app, BookViewForm::Kind::TrialBalance);
    ASSERT_TRUE(testing::ShowActive(&v));
    EXPECT_EQ(v.note()->text(),
              QString::fromUtf8(kBooksDoNotBalance) +
                  QStringLiteral("　勘定科目のない項目の行が 1 行あります（項目 12 雑支出）。"));
    EXPECT_EQ(v.model()->Text(v.model()->rowCount() - 1, 1), QStringLiteral("1,000"));
    Key(v.grid(), Qt::Key_Escape);
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(toolbar.enabled,
              (std::array<bool, 9>{false, true, true, true, true, false, true, true, true}));
}

}  // namespace
}  // namespace tabulo
