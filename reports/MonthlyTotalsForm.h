#pragma once
// 月毎の項目別集計: the year's totals per item and month as a read-only grid (items
// 1..50 and the net line, January..June, the half-year, July..December, the year),
// with the printout of the table and the way to the statement pages.

#include <QDialog>

class QPushButton;
class QTableView;

namespace tabulo {

struct AppContext;
class TextGridModel;

class MonthlyTotalsForm : public QDialog {
    Q_OBJECT
  public:
    explicit MonthlyTotalsForm(AppContext& app, QWidget* parent = nullptr);
    ~MonthlyTotalsForm() override;

    QTableView* grid() const { return grid1_; }
    TextGridModel* model() const { return model_; }
    QPushButton* printButton() const { return printOut_; }
    QPushButton* endButton() const { return endYesNo_; }
    QPushButton* pageButton(int page) const;
    // The text of grid cell (row, column) as the description numbers them: row 0 the
    // heads, rows 1..51 the lines, columns 0..15.
    QString CellText(int row, int column) const;

    void PrintOut();
    void CloseForm();
    void PrintPage(int page);

  private:
    void BuildSummaryGrid();
    void SetCurrentCell(int row, int column);

    AppContext& app_;
    QTableView* grid1_ = nullptr;
    TextGridModel* model_ = nullptr;
    QPushButton* printOut_ = nullptr;
    QPushButton* endYesNo_ = nullptr;
    QPushButton* pagePrint_[4] = {nullptr, nullptr, nullptr, nullptr};
};

}  // namespace tabulo
