#include "reports/CashBookMonthPrintForm.h"

#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "reports/MonthlyCashBook.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {

CashBookMonthPrintForm::CashBookMonthPrintForm(AppContext& app, QWidget* parent)
    : MonthPrintForm(app, QStringLiteral("出納簿印刷データ選択"), QStringLiteral("CashBookMonthPrintForm"),
                     QStringLiteral("指定された月の出納簿を印刷します"), parent) {}

void CashBookMonthPrintForm::AskAndPrint(const QString& month) {
    const std::string question = month.toStdString() + "月のデータを印刷しますか？";
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "印刷確認") != Answer::Yes) return;
    TrimWorkingSet();
    {
        WaitCursor wait;
        const std::string monthKey =
            QStringLiteral("%1").arg(month.toInt(), 2, 10, QLatin1Char('0')).toStdString();
        auto doc = PrintMonthlyCashBook(app_.state, app_.prompt, monthKey);
        if (doc)
            SendToPrinter(app_, *doc);
        else
            ShowFileError(app_.prompt, doc.error(), app_.state);
    }
}

}  // namespace tabulo
