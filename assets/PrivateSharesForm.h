#pragma once
// 家事按分: the business share of each expense item (地代家賃 40 %, 通信費 70 %, …). The
// list shows every item that feeds an expense line of page 1 with its year's total, its
// share, the expense page 1 takes and the private part that goes to 事業主貸; a share is
// typed in its column (Enter or a digit opens it, Delete clears it: the item counts
// whole). 登録(F10) keeps the shares (ANBUN<nn>.DAT), 印刷(F8) prints the list on A4,
// 中断(F5) or Esc leaves without keeping.

#include "assets/AssetFiles.h"
#include "assets/PrivateShares.h"
#include "ui/GridForm.h"

class QLabel;
class QTableWidget;

namespace tabulo {

class PrivateSharesForm : public GridForm {
    Q_OBJECT
  public:
    enum Column { ColItem, ColName, ColLine, ColTotal, ColShare, ColExpense, ColPrivate, ColumnCount };

    explicit PrivateSharesForm(AppContext& app, QWidget* parent = nullptr);
    ~PrivateSharesForm() override;

    bool Loaded() const { return loaded_; }
    QTableWidget* grid() const { return grid_; }
    const ItemShares& Shares() const { return edited_; }
    const SharesYear& Split() const { return split_; }

    // Sets the share of the item on row `row` from a typed text; false (after the
    // reason) when refused.
    bool SetShare(int row, const std::string& text);
    void PrintShares();
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Recompute(const ItemShares& shares);
    void ShowList();

    MonthlyTable totals_{};
    ItemShares stored_{};
    ItemShares edited_{};
    SharesYear split_;
    bool loaded_ = false;
    bool editing_ = false;
    QTableWidget* grid_ = nullptr;
};

}  // namespace tabulo
