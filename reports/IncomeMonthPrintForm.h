#pragma once
// 収入印刷データ選択: picks the month whose income by day is printed.

#include "reports/MonthPrintForm.h"

namespace tabulo {

class IncomeMonthPrintForm : public MonthPrintForm {
    Q_OBJECT
  public:
    explicit IncomeMonthPrintForm(AppContext& app, QWidget* parent = nullptr);

  protected:
    void AskAndPrint(const QString& month) override;
};

}  // namespace tabulo
