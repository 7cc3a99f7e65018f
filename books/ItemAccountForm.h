#pragma once
// 項目の勘定科目: the balance-sheet account of each item that is not income or
// expense (事業主貸, 借入金 and its repayment, 売掛金 collected in cash, …). An item
// whose 区分3 names a line of statement page 1 posts to that line, shown greyed; the
// others take the account chosen here from the list (Enter, a click or F2), kept in
// KAMOKU.DAT when the user saves with 登録(F10).

#include "books/BooksFiles.h"
#include "ui/GridForm.h"

class QTableWidget;

namespace tabulo {

class ItemAccountForm : public GridForm {
    Q_OBJECT
  public:
    enum Column { ColNo, ColName, ColLine, ColAccount, ColumnCount };

    explicit ItemAccountForm(AppContext& app, QWidget* parent = nullptr);
    ~ItemAccountForm() override;

    bool Loaded() const { return loaded_; }
    QTableWidget* grid() const { return grid_; }
    // The accounts as chosen on the screen so far.
    const ItemAccountArray& Chosen() const { return edited_; }
    // True when item `itemNo` takes its account here (its 区分3 names no page-1 line).
    bool Choosable(int itemNo) const;

    void ChooseAccount();
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowItem(int itemNo);

    SlipBook book_;
    ItemAccountArray accounts_{};
    ItemAccountArray edited_{};
    bool loaded_ = false;
    QTableWidget* grid_ = nullptr;
};

}  // namespace tabulo
