#pragma once
// The read-only views of the double-entry books: 仕訳帳 (the journal), 総勘定元帳 (the
// general ledger of the account chosen in the list, by keys or the mouse, with its
// running balance) and 試算表 (the trial balance, saying whether debits equal
// credits). Each is worked out afresh from the files when it opens.
//
// The journal and the ledger lead to each other and to where an entry was kept, one
// key each: F4 the journal at the posting's entry (ledger), F5 and F6 the ledgers of
// the entry's debit and credit accounts at its postings (journal), F6 the ledger of
// the posting's other account (ledger), F7 the cash-book line or slip the entry came
// from. A view opened from another one goes back to it with the same key, its cursor
// on the entry the user was on.

#include <optional>
#include <vector>

#include "books/BookLinks.h"
#include "books/BookRows.h"
#include "books/Entries.h"
#include "ui/AppContext.h"
#include "ui/GridForm.h"

class QComboBox;
class QLabel;
class QTableView;

namespace tabulo {

class TextGridModel;

class BookViewForm : public GridForm {
    Q_OBJECT
  public:
    enum class Kind { Journal, Ledger, TrialBalance };

    BookViewForm(AppContext& app, Kind kind, QWidget* parent = nullptr);
    ~BookViewForm() override;

    // False when the books could not be read or worked out (the user has been told).
    bool Loaded() const { return loaded_; }
    Kind kind() const { return kind_; }
    QTableView* grid() const { return grid_; }
    TextGridModel* model() const { return model_; }
    QComboBox* accountList() const { return accountList_; }
    QLabel* note() const { return note_; }

    // Shows the ledger of the account at list index `index`.
    void ChooseListedAccount(int index);

    // Where the view was opened from: the menu, the other view, or a cash-book or
    // slip screen (the screens of `sourcesBelow` are open beneath it, innermost last).
    enum class From { Menu, Journal, Ledger };
    void SetOpenedFrom(From from, std::vector<EntrySource> sourcesBelow);
    // Puts the cursor on the journal's entry kept at `key` (false when none), or on
    // the posting of entry `entry` in the ledger of `account`.
    bool ShowEntry(EntryKey key);
    bool ShowPosting(LedgerPlace place);
    // The entry under the cursor: the journal's row, or the ledger's posting.
    std::optional<std::size_t> CurrentEntry() const;
    int CurrentAccount() const;
    // The keys' actions.
    void OpenJournalOfLine();          // ledger, F4
    void OpenLedger(bool debit); // journal, F5 debit / F6 credit
    void OpenCounterpart();      // ledger, F6
    void OpenSource();           // F7
    // The line or slip of the source screen beneath the user asked to go back to (the
    // views close down to it).
    std::optional<int> SourceBack() const { return sourceBack_; }
    // Prints what the view shows (the ledger of the chosen account) after asking.
    void PrintData();
    void CloseForm();

  protected:
    void Cancel() override { CloseForm(); }
    bool FunctionKey(int key) override;

  private:
    void SetColumns(const QStringList& heads, const std::vector<int>& chars,
                    const std::vector<int>& rightAligned);
    template <class Rows>
    void Show(const Rows& rows);
    // Shows the rows of `view` (a member that outlives the rows shown), each put into
    // words when the grid first shows it.
    template <class View>
    void ShowView(const View& view);
    void ShowJournal();
    // Opens the other view over this one at `entry` (and `account` for a ledger), and
    // follows where the user left it.
    void OpenOther(std::size_t entry, int account);
    // Closes this view, telling the one beneath to show `entry` (of `account`).
    void GoBack(std::size_t entry, int account);
    void Refuse(const char* text);
    // Reads the books again (after a source screen) and puts the cursor back on `key`.
    void Reload(EntryKey key);
    void SelectRow(int row);

    Kind kind_;
    bool loaded_ = false;
    SlipBook book_;
    ItemAccountArray accounts_{};
    std::vector<BookEntry> journal_;
    std::vector<int> codes_;  // list index -> account
    std::optional<GeneralLedger> ledger_;  // the ledger shown
    // The rows shown, made from journal_ and book_ (the journal) or ledger_.
    std::optional<JournalView> journalView_;
    std::optional<LedgerView> ledgerView_;
    From from_ = From::Menu;
    std::vector<EntrySource> sourcesBelow_;
    std::optional<int> sourceBack_;
    std::optional<LedgerPlace> back_;  // where the view beneath should put its cursor
    QComboBox* accountList_ = nullptr;
    QTableView* grid_ = nullptr;
    TextGridModel* model_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace tabulo
