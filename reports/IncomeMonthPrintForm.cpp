#include "reports/IncomeMonthPrintForm.h"

#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "reports/MonthlyIncome.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {

IncomeMonthPrintForm::IncomeMonthPrintForm(AppContext& app, QWidget* parent)
    : MonthPrintForm(app, QStringLiteral("収入印刷データ選択"), QStringLiteral("IncomeMonthPrintForm"),
                     QStringLiteral("指定された月のデータを印刷"), parent) {}

void IncomeMonthPrintForm::AskAndPrint(const QString& month) {
    const std::string question = month.toStdString() + "月の収入データを印刷しますか？";
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "収入データ印刷確認") != Answer::Yes)
        return;
    TrimWorkingSet();
    {
        WaitCursor wait;
        const std::string monthKey =
            QStringLiteral("%1").arg(month.toInt(), 2, 10, QLatin1Char('0')).toStdString();
        auto doc = PrintMonthlyIncome(app_.state, app_.prompt, monthKey);
        if (!doc)
            ShowFileError(app_.prompt, doc.error(), app_.state);
        else if (doc->has_value())
            SendToPrinter(app_, **doc);
    }
}

}  // namespace tabulo
