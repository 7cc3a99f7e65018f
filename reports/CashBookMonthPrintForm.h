#pragma once
// 出納簿印刷データ選択: picks the month whose cash book is printed.

#include "reports/MonthPrintForm.h"

namespace tabulo {

class CashBookMonthPrintForm : public MonthPrintForm {
    Q_OBJECT
  public:
    explicit CashBookMonthPrintForm(AppContext& app, QWidget* parent = nullptr);

  protected:
    void AskAndPrint(const QString& month) override;
};

}  // namespace tabulo
