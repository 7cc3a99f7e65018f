#pragma once
// マスター登録: the business header and the 50 items with their three codes. Edits
// go to the screen and ItemTableEdit; ItemTable, MasterHeader and MASTER.DAT change
// only when the user saves with 登録.

#include <array>

#include "ui/GridForm.h"

#include "master/MasterEdit.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tabulo {

struct AppContext;
class FilteredLineEdit;
class GridCellEditor;

class MasterForm : public GridForm {
    Q_OBJECT
  public:
    explicit MasterForm(AppContext& app, QWidget* parent = nullptr);
    ~MasterForm() override;

    // 登録(F10) and 中断(F5); public so that the main window's menu can reach them.
    void Register();
    void CancelEdit();
    // 勘定科目(F6): the balance-sheet accounts of the items, on a screen of their own.
    void OpenItemAccounts();

    QTableWidget* grid() const { return grid_; }
    GridCellEditor* cellEditor() const { return cellEditor_; }
    FilteredLineEdit* headerBox(int box) const { return boxes_.at(box - 1); }

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;

  private:
    void BuildHeader(QWidget* area);
    void BuildGrid();
    void FillGrid();
    void MoveToGrid();

    std::array<FilteredLineEdit*, kHeaderBoxCount> boxes_{};
    QTableWidget* grid_ = nullptr;
    GridCellEditor* cellEditor_ = nullptr;
    QPushButton* touroku_ = nullptr;
    QPushButton* chudan_ = nullptr;
    QPushButton* inputData_ = nullptr;
    QPushButton* kamoku_ = nullptr;
};

}  // namespace tabulo
