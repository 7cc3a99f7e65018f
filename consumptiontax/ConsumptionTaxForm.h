#pragma once
// 消費税の計算: the year's consumption-tax return worked out from the books by every
// method the year allows, side by side with the cheapest marked (比較); the lines of
// one method's 第一表 and worksheets (申告書・付表); the year's amounts by tax category
// and month (税区分別集計); the lines whose remarks mark a category of their own
// (区分を変えた行). A red note stays on the screen whenever a figure rests on a
// tax rule that is not law yet. 印刷(F8) prints the comparison, the shown method's
// forms and the 税区分別集計; 終了(F10) or Esc closes. Alt+1..4 go to the tabs.

#include <QDialog>
#include <vector>

#include "consumptiontax/ConsumptionTax.h"

class QComboBox;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace tabulo {

struct AppContext;

class ConsumptionTaxForm : public QDialog {
    Q_OBJECT
  public:
    explicit ConsumptionTaxForm(AppContext& app, QWidget* parent = nullptr);

    // False when the year's files could not be read (the user has been told).
    bool Loaded() const { return loaded_; }
    const std::vector<MethodReturn>& Returns() const { return returns_; }

    QTabWidget* tabs() const { return tabs_; }
    QTableWidget* comparisonGrid() const { return comparison_; }
    QComboBox* methodBox() const { return method_; }
    QTableWidget* linesGrid() const { return lines_; }
    QTableWidget* categoryGrid() const { return categories_; }
    QTableWidget* markedGrid() const { return marked_; }
    QLabel* noteLabel() const { return note_; }
    QLabel* headLabel() const { return head_; }

    // The method whose lines the second tab shows (and the printout prints).
    void ShowMethod(int index);
    void PrintData();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FillComparison();
    void FillCategories();

    AppContext& app_;
    bool loaded_ = false;
    YearTaxBooks year_;
    std::vector<MethodReturn> returns_;
    QLabel* head_ = nullptr;
    QLabel* note_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTableWidget* comparison_ = nullptr;
    QComboBox* method_ = nullptr;
    QTableWidget* lines_ = nullptr;
    QTableWidget* categories_ = nullptr;
    QTableWidget* marked_ = nullptr;
};

}  // namespace tabulo
