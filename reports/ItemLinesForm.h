#pragma once
// 項目別表示: one item's lines of the year, picked from the item list, with the item's
// total; 印刷(F8) prints them as ruled cash-book pages (項目別集計).

#include <QDialog>

#include "store/Records.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tabulo {

struct AppContext;
class TextGridModel;

class ItemLinesForm : public QDialog {
    Q_OBJECT
  public:
    explicit ItemLinesForm(AppContext& app, QWidget* parent = nullptr);
    ~ItemLinesForm() override;

    QComboBox* itemList() const { return koumokuList_; }
    QTableView* grid() const { return grid1_; }
    TextGridModel* model() const { return model_; }
    QLabel* inGaku() const { return inGaku_; }
    QLabel* outGaku() const { return outGaku_; }
    QPushButton* printButton() const { return printData_; }
    QPushButton* endButton() const { return endYesNo_; }

    // Fills the grid with the lines of the item at list index `index`.
    void ShowItemLines(int index);
    void PrintData();
    void CloseForm();

  public slots:
    void reject() override;  // Esc asks like 終了

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool FunctionKey(int key);

    AppContext& app_;
    QComboBox* koumokuList_ = nullptr;
    QTableView* grid1_ = nullptr;
    TextGridModel* model_ = nullptr;
    // The totals of the item shown, for the foot line of its printout.
    Amount income_ = 0;
    Amount expense_ = 0;
    QLabel* inGaku_ = nullptr;
    QLabel* outGaku_ = nullptr;
    QPushButton* printData_ = nullptr;
    QPushButton* endYesNo_ = nullptr;
    bool finished_ = false;
};

}  // namespace tabulo
