#include "reports/MonthlyIncome.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cashbook/Ledger.h"
#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "reports/LedgerWalk.h"
#include "reports/ReportText.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

constexpr const char* kMincho = "ＭＳ 明朝";
constexpr int kMonthRow = 32;  // the month total, below the 31 days

// The day tables: entries 1..31 the days, 32 the month.
using DayTable = std::array<std::int64_t, kMonthRow + 1>;

int DayOf(std::string_view nenGetsuBi) {
    if (nenGetsuBi.size() < 6) return 0;
    const char a = nenGetsuBi[4];
    const char b = nenGetsuBi[5];
    if (a < '0' || a > '9' || b < '0' || b > '9') return 0;
    return (a - '0') * 10 + (b - '0');
}

std::string TwoDigits(int v) {
    std::string t = std::to_string(v);
    return t.size() < 2 ? "0" + t : t;
}

}  // namespace

Result<std::optional<PrintDocument>> PrintMonthlyIncome(const SharedState& s, Prompt& prompt,
                                                        std::string_view monthKey) {
    // The month's run of lines in the dated ledger. Lines without a date (inserted or
    // skipped blank lines) neither belong to the run nor end it.
    DayTable sales{};
    DayTable otherSales{};
    DayTable homeUse{};
    bool found = false;
    int overflowLine = 0;
    // The last line that added to each day, to name it should that day's sum not fit.
    std::array<int, kMonthRow + 1> lastLineOfDay{};
    StoredDate date;
    Status walked = WalkLedger(s, [&](int n, StoredLedgerLine line) -> Result<bool> {
        if (!date.Read(line, s.LedgerPath, n)) return date.error();
        const std::string month = MonthOf(date.text());
        if (month.empty()) return true;
        if (month != monthKey) return !found;
        found = true;
        const int itemNo = line.ItemNo();
        if (itemNo < 1 || itemNo > kItemCount) return true;
        DayTable* table = nullptr;
        switch (s.ItemTable[static_cast<std::size_t>(itemNo)].ItemKubun2) {
            case 1:
                table = &sales;
                break;
            case 2:
                table = &otherSales;
                break;
            case 3:
                table = &homeUse;
                break;
            default:
                return true;
        }
        const int day = DayOf(date.text());
        const Amount indata = line.Indata();
        // A day the month cannot have still counts in the month's total.
        if (day >= 1 && day <= 31) {
            (*table)[static_cast<std::size_t>(day)] += indata;
            lastLineOfDay[static_cast<std::size_t>(day)] = n;
        }
        (*table)[kMonthRow] += indata;
        lastLineOfDay[kMonthRow] = n;
        if (!CheckedAmount((*table)[kMonthRow])) overflowLine = n;
        return overflowLine == 0;
    });
    if (!walked) return walked.error();
    if (overflowLine > 0) return LedgerOverflowError(s.LedgerPath, overflowLine);
    if (!found) {
        prompt.MsgBox(kNoMonthDataMessage, MsgStyle::Exclamation, "エラー確認");
        return std::optional<PrintDocument>{};
    }
    // Every figure, the per-day sums included, must fit an amount before anything prints.
    std::array<std::int64_t, kMonthRow + 1> dayTotal{};
    for (std::size_t d = 1; d <= kMonthRow; ++d) {
        dayTotal[d] = sales[d] + otherSales[d] + homeUse[d];
        if (!CheckedAmount(sales[d]) || !CheckedAmount(otherSales[d]) ||
            !CheckedAmount(homeUse[d]) || !CheckedAmount(dayTotal[d])) {
            return LedgerOverflowError(s.LedgerPath, lastLineOfDay[d]);
        }
    }

    const std::string title =
        s.EraName + YearInTwo(s.FiscalYear) + "年" + std::string(monthKey) + "月度収入項目別データ";
    PrintDocument doc;
    doc.name = "収入 " + std::string(monthKey) + "月";
    PageWriter w(doc);

    const double scaleWidth = 121;
    const double scaleHeight = 189;
    w.NewPage(scaleWidth, scaleHeight);
    const double x0 = 10;
    const double y0 = 0;
    const double r = scaleWidth - 11;
    const double b = scaleHeight - 11;
    w.FontName = kMincho;

    w.DrawStyle = 0;
    w.DrawWidth = 5;
    w.Box(x0, y0 + 14, r - 1, b);
    w.Line(x0, y0 + 19, r - 1, y0 + 19);
    w.Line(x0, y0 + 173, r - 1, y0 + 173);
    w.DrawWidth = 3;
    w.DrawStyle = 2;
    for (int k = 1; k <= 31; ++k) w.Line(x0, y0 + 18 + 5 * k, r - 1, y0 + 18 + 5 * k);
    w.DrawStyle = 0;
    w.Line(x0 + 10, y0 + 14, x0 + 10, y0 + 173);
    for (double dx : {20.0, 40.0, 60.0, 80.0}) w.Line(x0 + dx, y0 + 14, x0 + dx, y0 + 178);

    w.FontSize = 16.4;
    if (!s.ReportTitleName.empty()) w.PrintAt(x0 + 30, y0 + 5, s.ReportTitleName);
    w.FontSize = 15;
    w.PrintAt(x0 + 1, y0 + 10, title);
    w.FontSize = 10.5;
    w.PrintAt(x0 + 3, y0 + 16, " 日");
    w.PrintAt(x0 + 13, y0 + 16, "曜日");
    w.PrintAt(x0 + 29, y0 + 16, "売上");
    w.PrintAt(x0 + 45, y0 + 16, "その他売上");
    w.PrintAt(x0 + 65, y0 + 16, "家事消費");
    w.PrintAt(x0 + 85, y0 + 16, "収入合計");
    w.PrintAt(x0 + 6, y0 + 175, "合    計");

    char yy[8];
    std::snprintf(yy, sizeof yy, "%02d", static_cast<int>(s.FiscalYear) % 100);
    for (int d = 1; d <= kMonthRow; ++d) {
        const double y = y0 + 5 * d + 15;
        const auto i = static_cast<std::size_t>(d);
        if (d <= 31) {
            const std::string youbi =
                WeekdayText(std::string(yy) + std::string(monthKey) + TwoDigits(d), s.EraName);
            // The 30th of February and the like get no day and no weekday.
            if (!youbi.empty()) {
                w.PrintAt(x0 + 2, y, PadLeft(std::to_string(d), 2) + "日");
                w.PrintAt(x0 + 12, y, youbi);
            }
        }
        w.PrintAt(x0 + 25, y, AmountCell(static_cast<Amount>(sales[i])));
        w.PrintAt(x0 + 45, y, AmountCell(static_cast<Amount>(otherSales[i])));
        w.PrintAt(x0 + 65, y, AmountCell(static_cast<Amount>(homeUse[i])));
        w.PrintAt(x0 + 85, y, AmountCell(static_cast<Amount>(dayTotal[i])));
    }
    return std::optional<PrintDocument>(std::move(doc));
}

}  // namespace tabulo
