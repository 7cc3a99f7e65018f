#pragma once
// The read-only views of the double-entry books: 仕訳帳 (the journal), 総勘定元帳 (the
// general ledger of the account chosen in the list, by keys or the mouse, with its
// running balance) and 試算表 (the trial balance, saying whether debits equal
// credits). Each is worked out afresh from the files when it opens.

#include <vector>

#include "books/Entries.h"
#include "ui/GridForm.h"

class QComboBox;
class QLabel;
class QTableView;

namespace tabulo {

class TextGridModel;

class BookView : public GridForm {
    Q_OBJECT
  public:
    enum class Kind { Journal, Ledger, TrialBalance };

    BookView(AppContext& app, Kind kind, QWidget* parent = nullptr);
    ~BookView() override;

    // False when the books could not be read or worked out (the user has been told).
    bool Loaded() const { return loaded_; }
    Kind kind() const { return kind_; }
    QTableView* grid() const { return grid_; }
    TextGridModel* model() const { return model_; }
    QComboBox* accountList() const { return accountList_; }
    QLabel* note() const { return note_; }

    // Shows the ledger of the account at list index `index`.
    void AccountList_Click(int index);
    // Prints what the view shows (the ledger of the chosen account) after asking.
    void PrintData_Click();
    void EndYesNo_Click();

  protected:
    void Cancel() override { EndYesNo_Click(); }
    bool FunctionKey(int key) override;

  private:
    void SetColumns(const QStringList& heads, const std::vector<int>& chars,
                    const std::vector<int>& rightAligned);
    template <class Rows>
    void Show(const Rows& rows);

    Kind kind_;
    bool loaded_ = false;
    SlipBook book_;
    ItemAccountArray accounts_{};
    std::vector<BookEntry> journal_;
    std::vector<int> codes_;  // list index -> account
    QComboBox* accountList_ = nullptr;
    QTableView* grid_ = nullptr;
    TextGridModel* model_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace tabulo
