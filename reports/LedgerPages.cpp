#include "reports/LedgerPages.h"

#include <algorithm>
#include <string>

#include "platform/Prompt.h"
#include "reports/ReportText.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

constexpr const char* kMincho = "ＭＳ 明朝";
constexpr double kScaleWidth = 160;
constexpr double kScaleHeight = 193;
constexpr double kY0 = 0;

// An empty text draws nothing, so it is left out of the page.
void Text(PageWriter& w, double x, double y, std::string_view text) {
    if (!text.empty()) w.PrintAt(x, y, text);
}

}  // namespace

void PrintTable::ClearLines(int count) {
    for (auto& column : columns) {
        const int last = std::min<int>(count, static_cast<int>(column.size()) - 1);
        for (int n = 1; n <= last; ++n) column[static_cast<std::size_t>(n)].clear();
    }
}

const std::string& PrintTable::Cell(int c, int n) const {
    static const std::string empty;
    if (c < 0 || c >= static_cast<int>(columns.size()) || n < 1) return empty;
    const auto& column = columns[static_cast<std::size_t>(c)];
    return n < static_cast<int>(column.size()) ? column[static_cast<std::size_t>(n)] : empty;
}

void PrintTable::SetCell(int c, int n, std::string text) {
    if (c < 0 || c >= static_cast<int>(columns.size()) || n < 1) return;
    auto& column = columns[static_cast<std::size_t>(c)];
    if (static_cast<int>(column.size()) <= n) column.resize(static_cast<std::size_t>(n) + 1);
    column[static_cast<std::size_t>(n)] = std::move(text);
}

bool AskNextPage(Prompt& prompt, int page) {
    const std::string question = " " + std::to_string(page) + " ページを印刷しますか？";
    return prompt.MsgBox(question, MsgStyle::YesNoWarning, "印刷確認") == Answer::Yes;
}

void StartLedgerPage(PageWriter& w, const SharedState& s, const std::string& title,
                     const LedgerPageFrame& frame) {
    w.NewPage(kScaleWidth, kScaleHeight);
    const double x0 = frame.x0;
    const double y0 = kY0;
    const double r = kScaleWidth - 1;
    const double b = kScaleHeight - 11;
    const int page = w.PageCount();
    w.FontName = kMincho;

    w.DrawStyle = 0;
    w.DrawWidth = 5;
    w.Box(x0, y0 + 14, r - 5, b);
    w.Line(x0, y0 + 18, r - 5, y0 + 18);
    w.Line(x0, y0 + 178, r - 5, y0 + 178);
    w.DrawWidth = 3;
    w.DrawStyle = 2;
    for (int k = 1; k <= 39; ++k) w.Line(x0, y0 + 18 + 4 * k, r - 5, y0 + 18 + 4 * k);
    w.DrawStyle = 0;
    for (double dx : {13.5, 23.5, 30.0}) w.Line(x0 + dx, y0 + 14, x0 + dx, y0 + 178);
    for (double dx : {58.0, 78.0, 98.0, 118.0}) w.Line(x0 + dx, y0 + 14, x0 + dx, b);

    w.FontName = kMincho;
    w.FontSize = 16.4;
    Text(w, x0 + 46, y0 + 5, s.ReportTitleName);
    w.FontSize = 15;
    Text(w, x0 + 1, y0 + 10, title);
    w.FontSize = 10.5;
    const double head = y0 + 15;
    Text(w, x0 + 3, head, "年月日");
    Text(w, x0 + 15, head, "曜日");
    Text(w, x0 + 24, head, "区分");
    Text(w, x0 + 36, head, "項  目  名");
    Text(w, x0 + 65, head, "収入");
    Text(w, x0 + 85, head, "支出");
    Text(w, x0 + 101, head, " 現金残高");
    Text(w, x0 + 124, head, " 備  考 ");
    Text(w, x0 + frame.footLabelDx, y0 + 179, frame.footLabel);
    Text(w, x0 + 126, y0 + 11, PadLeft(std::to_string(page), 3) + " Page");
    Text(w, x0 + 3, y0 + 184, frame.note);
}

void PrintLedgerRow(PageWriter& w, const PrintTable& t, double x0, int n, int row) {
    w.FontSize = 10.5;
    const double y = kY0 + 4 * row + 15;
    Text(w, x0 + 1, y, t.Cell(0, n));
    Text(w, x0 + 14, y, t.Cell(1, n));
    Text(w, x0 + 24, y, t.Cell(2, n));
    Text(w, x0 + 31, y, CutToBytes(t.Cell(3, n), 16));
    const double amountX[] = {x0 + 60, x0 + 80, x0 + 100};
    for (int c = 4; c <= 6; ++c) {
        const std::string& amount = t.Cell(c, n);
        if (IsNonZeroAmountText(amount)) w.PrintAt(amountX[c - 4], y, amount);
    }
    Text(w, x0 + 119, y, CutToBytes(t.Cell(7, n), 16));
}

void PrintFootAmount(PageWriter& w, double x, Amount total) {
    if (total != 0) w.PrintAt(x, kY0 + 179, AmountCell(total));
}

PrintDocument PrintLedgerPages(const SharedState& s, Prompt& prompt, const PrintTable& t,
                               int totalsMode) {
    PrintDocument doc;
    doc.name = t.title;
    PageWriter w(doc);
    const LedgerPageFrame frame;
    StartLedgerPage(w, s, t.title, frame);
    const int lineCount = t.lineCount;
    int row = 1;
    for (int n = 1; n <= lineCount; ++n) {
        PrintLedgerRow(w, t, frame.x0, n, row);
        ++row;
        if (n < lineCount && row > kLinesPerPrintedPage) {
            // No: the rest is skipped, and the foot line goes on the page just filled.
            if (!AskNextPage(prompt, w.PageCount() + 1)) break;
            row = 1;
            StartLedgerPage(w, s, t.title, frame);
        }
    }
    if (totalsMode == 2) {
        PrintFootAmount(w, frame.x0 + 60, t.incomeTotal);
        PrintFootAmount(w, frame.x0 + 80, t.expenseTotal);
    } else if (totalsMode == 1) {
        PrintFootAmount(w, frame.x0 + 100, t.balanceTotal);
    }
    return doc;
}

}  // namespace tabulo
