#pragma once
// 預金データ入力: the year's 20 deposit accounts with their names, numbers, carry-over
// and current balances and maturity texts. 終了 stores the book in YOKIN<nn>.DAT;
// 中断 closes without writing and leaves the book in memory as it was.

#include <array>
#include <memory>

#include "ui/GridForm.h"
#include "store/Records.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tabulo {

struct AppContext;
class DepositTable;
class GridCellEditor;

class DepositBookForm : public GridForm {
    Q_OBJECT
  public:
    explicit DepositBookForm(AppContext& app, QWidget* parent = nullptr);
    ~DepositBookForm() override;

    // 終了(F10) and 中断(F5).
    void CloseForm();
    void CancelEdit();

    // False when the deposit file could not be read; the form then closes at once.
    bool IsLoaded() const { return loaded_; }
    // True when the deposit file was empty or missing when the form opened.
    bool IsNewFile() const { return !fileExisted_; }
    QTableWidget* grid() const { return grid_; }
    GridCellEditor* cellEditor() const { return cellEditor_; }

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;

  private:
    bool LoadFile();
    void BuildGrid();
    void FillGrid();
    void ShowTotals();

    std::unique_ptr<DepositTable> table_;
    DepositBookRecord fileBook_;      // the record as the file held it
    DepositBookRecord memoryAtOpen_;  // DepositBook when the form opened
    bool fileExisted_ = false;
    bool loaded_ = false;
    QTableWidget* grid_ = nullptr;
    GridCellEditor* cellEditor_ = nullptr;
    QLabel* zenKurikoshi_ = nullptr;
    QLabel* genGoukei_ = nullptr;
    QPushButton* endYesNo_ = nullptr;
    QPushButton* chudan_ = nullptr;
};

}  // namespace tabulo
