// The links of the books' screens driven by keys: from the journal to the ledgers of
// an entry's two accounts and back, from a posting to the other account's ledger, to
// the journal and to where the entry was kept, and from a slip to its journal entry.
// The year: openings 現金 1,000 / 元入金 1,000; cash-book line 1 a sale of 10,000 on
// 5 January, line 2 a purchase of 3,000 on 10 January; slip 1 a sale on credit of
// 5,000 on 20 January. The journal's rows: the two openings, line 1, line 2, slip 1.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTest>
#include <memory>

#include "books/BookViewForm.h"
#include "books/SlipForm.h"
#include "tests/books/BooksYear.h"
#include "tests/books/SmallYear.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/ModalDialogs.h"
#include "ui/AppContext.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

using testing::Key;

// Records the screens the views ask the shell for; the source screens are not shown.
class LinkOpener : public FormOpener {
  public:
    void OpenForm(FormId, QWidget*) override {}
    bool CanOpen(FormId) const override { return true; }
    bool OpenEntrySource(EntrySource source, int number, QWidget*) override {
        sources.push_back({source, number});
        return true;
    }
    std::optional<int> OpenJournalEntry(EntrySource source, int number, QWidget*) override {
        journals.push_back({source, number});
        return goTo;
    }
    std::vector<std::pair<EntrySource, int>> sources, journals;
    std::optional<int> goTo;
};

class BookLinks : public testing::WithSmallYear<testing::BooksYear> {
  protected:
    void SetUp() override {
        WithSmallYear::SetUp();
        ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
        app.forms = &forms;
    }
    void TearDown() override { alive.reset(); }
    void OnView(std::function<void(QWidget*)> act, const QWidget* except) {
        testing::OnNextModal(alive, except, std::move(act), QStringLiteral("BookViewForm"));
    }
    static int Row(const BookViewForm& v) { return v.grid()->currentIndex().row(); }
    static void Down(BookViewForm& v, int times) {
        for (int i = 0; i < times; ++i) Key(v.grid(), Qt::Key_Down);
    }

    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    LinkOpener forms;
    AppContext app{s, prompt, toolbar};
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

TEST_F(BookLinks, FromAJournalEntryToItsPostingsAndBackToTheEntryChosenThere) {
    BookViewForm j(app, BookViewForm::Kind::Journal);
    ASSERT_TRUE(testing::ShowActive(&j));
    Down(j, 4);  // slip 1: 売掛金 / 売上
    ASSERT_EQ(Row(j), 4);

    // F6: the credit account's ledger, at the slip's posting (row 2 after 前期繰越 and
    // line 1); there Up to line 1 and F4 goes back to the journal at line 1.
    QString account;
    int row = -1;
    OnView([&](QWidget* w) {
        auto* ledger = static_cast<BookViewForm*>(w);
        account = ledger->accountList()->currentText();
        row = Row(*ledger);
        Key(ledger->grid(), Qt::Key_Up);
        Key(ledger->grid(), Qt::Key_F4);
    }, &j);
    Key(j.grid(), Qt::Key_F6);
    EXPECT_EQ(account, QStringLiteral("  1 売上（収入）金額"));
    EXPECT_EQ(row, 2);
    EXPECT_TRUE(j.isVisible());
    EXPECT_EQ(Row(j), 2);  // line 1

    // F5: the debit account's ledger (現金) at line 1's posting, closed with F10.
    OnView([&](QWidget* w) {
        auto* ledger = static_cast<BookViewForm*>(w);
        account = ledger->accountList()->currentText();
        row = Row(*ledger);
        Key(ledger->grid(), Qt::Key_F10);
    }, &j);
    Key(j.grid(), Qt::Key_F5);
    EXPECT_EQ(account, QStringLiteral("101 現金"));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(Row(j), 2);  // left where it was

    // An opening balance's row has no entry: said, nothing opened.
    Key(j.grid(), Qt::Key_Home);
    j.grid()->setCurrentIndex(j.model()->index(0, 0));
    Key(j.grid(), Qt::Key_F5);
    EXPECT_EQ(prompt.LastText(), kNoEntryOnRow);
    EXPECT_TRUE(forms.sources.empty());
}

TEST_F(BookLinks, FromALedgerPostingToTheOtherAccountTheJournalAndTheSource) {
    BookViewForm l(app, BookViewForm::Kind::Ledger);
    ASSERT_TRUE(testing::ShowActive(&l));
    // 現金: 前期繰越, line 1, line 2, 合計.
    l.accountList()->setCurrentIndex(2);
    ASSERT_EQ(l.accountList()->currentText(), QStringLiteral("101 現金"));
    l.grid()->setFocus();
    Down(l, 2);
    ASSERT_EQ(Row(l), 2);

    // F6: the purchase in 仕入金額's ledger, its only posting.
    Key(l.grid(), Qt::Key_F6);
    EXPECT_EQ(l.accountList()->currentText(), QStringLiteral("  3 仕入金額"));
    EXPECT_EQ(Row(l), 1);
    // F7: where it was kept, cash-book line 2.
    Key(l.grid(), Qt::Key_F7);
    ASSERT_EQ(forms.sources.size(), 1u);
    EXPECT_EQ(forms.sources[0], std::make_pair(EntrySource::CashBookLine, 2));
    // The view was worked out again and stays on the posting.
    EXPECT_EQ(l.accountList()->currentText(), QStringLiteral("  3 仕入金額"));
    EXPECT_EQ(Row(l), 1);

    // F4: the journal at line 2 (row 3); its F7 asks for the line again, F10 closes.
    int row = -1;
    OnView([&](QWidget* w) {
        auto* journal = static_cast<BookViewForm*>(w);
        row = Row(*journal);
        Key(journal->grid(), Qt::Key_F7);
        Key(journal->grid(), Qt::Key_F10);
    }, &l);
    Key(l.grid(), Qt::Key_F4);
    EXPECT_EQ(row, 3);
    ASSERT_EQ(forms.sources.size(), 2u);
    EXPECT_EQ(forms.sources[1], std::make_pair(EntrySource::CashBookLine, 2));

    // 前期繰越 and 合計 lead nowhere.
    Key(l.grid(), Qt::Key_Up);
    ASSERT_EQ(Row(l), 0);
    Key(l.grid(), Qt::Key_F7);
    EXPECT_EQ(prompt.LastText(), kNoEntryOnRow);
    EXPECT_EQ(forms.sources.size(), 2u);
}

TEST_F(BookLinks, AJournalOpenedFromTheCashBookGoesBackToItAtTheLineChosen) {
    BookViewForm j(app, BookViewForm::Kind::Journal);
    j.SetOpenedFrom(BookViewForm::From::Menu, {EntrySource::CashBookLine});
    ASSERT_TRUE(j.ShowEntry({BookEntry::CashBook, 2}));
    ASSERT_TRUE(testing::ShowActive(&j));
    EXPECT_EQ(Row(j), 3);
    EXPECT_FALSE(j.ShowEntry({BookEntry::CashBook, 3}));  // no such line
    EXPECT_EQ(Row(j), 3);

    // A slip opens its own screen over the journal.
    Key(j.grid(), Qt::Key_Down);
    Key(j.grid(), Qt::Key_F7);
    ASSERT_EQ(forms.sources.size(), 1u);
    EXPECT_EQ(forms.sources[0], std::make_pair(EntrySource::Slip, 1));
    EXPECT_TRUE(j.isVisible());

    // From the journal to 現金's ledger, and there F7 on line 1: every view closes back
    // to the cash book, which is told line 1.
    j.grid()->setCurrentIndex(j.model()->index(3, 0));
    OnView([&](QWidget* w) {
        auto* ledger = static_cast<BookViewForm*>(w);
        Key(ledger->grid(), Qt::Key_Up);  // line 1
        Key(ledger->grid(), Qt::Key_F7);
    }, &j);
    Key(j.grid(), Qt::Key_F6);  // line 2's credit side: 現金
    EXPECT_FALSE(j.isVisible());
    EXPECT_EQ(j.SourceBack(), 1);
    EXPECT_EQ(forms.sources.size(), 1u);  // no second cash book over the first
}

TEST_F(BookLinks, ASourceScreenFurtherDownIsNotOpenedTwice) {
    BookViewForm j(app, BookViewForm::Kind::Journal);
    // The cash book, a slip screen opened from its journal, and this journal over it.
    j.SetOpenedFrom(BookViewForm::From::Menu, {EntrySource::CashBookLine, EntrySource::Slip});
    ASSERT_TRUE(j.ShowEntry({BookEntry::CashBook, 1}));
    ASSERT_TRUE(testing::ShowActive(&j));
    Key(j.grid(), Qt::Key_F7);
    EXPECT_EQ(prompt.LastText(), kCashBookScreenBelow);
    EXPECT_TRUE(forms.sources.empty());
    EXPECT_TRUE(j.isVisible());
    // The slip screen just beneath takes the journal back.
    ASSERT_TRUE(j.ShowEntry({BookEntry::Slip, 1}));
    Key(j.grid(), Qt::Key_F7);
    EXPECT_FALSE(j.isVisible());
    EXPECT_EQ(j.SourceBack(), 1);
}

TEST_F(BookLinks, F11OnTheSlipScreenOpensTheJournalAtThatSlipAndFollowsTheAnswer) {
    SlipForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_TRUE(f.Loaded());
    f.grid()->setFocus();
    f.grid()->setCurrentIndex(f.model()->index(0, 0));
    forms.goTo = 1;
    Key(f.grid(), Qt::Key_F11);
    ASSERT_EQ(forms.journals.size(), 1u);
    EXPECT_EQ(forms.journals[0], std::make_pair(EntrySource::Slip, 1));
    EXPECT_EQ(f.grid()->currentIndex().row(), 0);
    f.CloseForm();
}

}  // namespace
}  // namespace tabulo
