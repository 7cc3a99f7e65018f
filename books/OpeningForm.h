#pragma once
// 期首残高: the opening balance sheet of the year, entered once. Every balance-sheet
// account of the chart stands in the grid with its amount on 1 January; below, the
// debit side (assets, 事業主貸), the credit side (liabilities and capital) and their
// difference. 元入金(F6) puts into 元入金 the amount that makes the sides agree;
// 登録(F10) keeps the balances (asking first when the sides still differ).

#include <vector>

#include "books/BooksFiles.h"
#include "ui/GridForm.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tabulo {

class GridCellEditor;

class OpeningForm : public GridForm {
    Q_OBJECT
  public:
    // Grid columns.
    enum Column { ColCode, ColName, ColSide, ColAmount, ColumnCount };

    explicit OpeningForm(AppContext& app, QWidget* parent = nullptr);
    ~OpeningForm() override;

    bool Loaded() const { return loaded_; }
    // Whether the grid opened with the balances offered from the cash book and the
    // deposit book (the year kept none yet).
    bool Offered() const { return offered_; }
    QTableWidget* grid() const { return grid_; }
    GridCellEditor* cellEditor() const { return cellEditor_; }
    QLabel* debitTotal() const { return debitTotal_; }
    QLabel* creditTotal() const { return creditTotal_; }
    QLabel* difference() const { return difference_; }
    // The grid row of account `code`, or -1.
    int RowOf(int code) const;

    void SetCapital();
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;

  private:
    // The balances as the grid shows them (accounts with 0 left out).
    std::vector<OpeningBalance> Openings() const;
    void ShowTotals();

    SlipBook book_;
    ItemAccountArray accounts_{};
    bool loaded_ = false;
    bool offered_ = false;  // the grid shows the offered balances, not kept ones
    std::vector<int> codes_;  // grid row -> account
    QTableWidget* grid_ = nullptr;
    GridCellEditor* cellEditor_ = nullptr;
    QLabel* debitTotal_ = nullptr;
    QLabel* creditTotal_ = nullptr;
    QLabel* difference_ = nullptr;
};

}  // namespace tabulo
