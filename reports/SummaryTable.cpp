#include "reports/SummaryTable.h"

#include <string>

#include "reports/LedgerPages.h"
#include "reports/ReportText.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

constexpr const char* kMincho = "ＭＳ 明朝";
constexpr int kRows = 51;  // 50 items and the net line
constexpr int kBlocksOnPage1 = 7;

constexpr const char* kGridHeads[16] = {
    "   ",      "    項   目", "　１月", "　２月", "　３月", "　４月", "　５月", "　６月",
    "中間集計", "　７月",      "　８月", "　９月", "１０月", "１１月", "１２月", "年間集計"};

constexpr const char* kPrintHeads[2][7] = {
    {"１月", "２月", "３月", "４月", "５月", "６月", "中間集計"},
    {"７月", "８月", "９月", "１０月", "１１月", "１２月", "年間集計"}};

void StartSummaryPage(PageWriter& w, const SharedState& s, const PrintTable& t) {
    const double scaleWidth = 161;
    const double scaleHeight = 183;
    w.NewPage(scaleWidth, scaleHeight);
    const double x0 = 10;
    const double y0 = 0;
    const double r = scaleWidth - 1;
    const int page = w.PageCount();
    w.FontName = kMincho;

    w.DrawWidth = 3;
    w.Box(x0, y0 + 16, r - 6, 172);
    w.Line(x0, y0 + 19, r - 6, y0 + 19);
    w.Line(x0, y0 + 169, r - 6, y0 + 169);
    w.DrawWidth = 1;
    w.DrawStyle = 2;
    for (int k = 1; k <= 49; ++k) w.Line(x0, y0 + 19 + 3 * k, r - 6, y0 + 19 + 3 * k);
    w.DrawStyle = 0;
    w.Line(x0 + 7, y0 + 16, x0 + 7, y0 + 169);
    for (int dx = 31; dx <= 127; dx += 16) w.Line(x0 + dx, y0 + 16, x0 + dx, 172);

    w.FontSize = 16.4;
    if (!s.ReportTitleName.empty()) w.PrintAt(x0 + 53, y0 + 6, s.ReportTitleName);
    w.FontSize = 15;
    w.PrintAt(x0 + 10, y0 + 12, t.title);
    w.FontSize = 9.8;
    w.PrintAt(x0 + 133, y0 + 13, " " + std::to_string(page) + " Page");
    const double head = y0 + 16.5;
    w.PrintAt(x0 + 1, head, "区分");
    w.PrintAt(x0 + 12, head, "項  目  名");
    const auto& heads = kPrintHeads[page == 1 ? 0 : 1];
    for (int b = 0; b < 6; ++b) w.PrintAt(x0 + 36 + 16 * b, head, heads[b]);
    w.PrintAt(x0 + 129, head, heads[6]);
    w.PrintAt(x0 + 8, y0 + 169.5, "損　　　益");

    for (int r1 = 1; r1 < kRows; ++r1) {
        const double y = y0 + 3 * r1 + 16.5;
        w.PrintAt(x0 + 2, y, PadLeft(std::to_string(r1), 2));
        const std::string name = CutToBytes(t.Cell(3, r1), 16);
        if (!name.empty()) w.PrintAt(x0 + 8, y, name);
    }
}

}  // namespace

SummaryGrid BuildSummaryGrid(const SharedState& s) {
    SummaryGrid grid;
    for (std::size_t c = 0; c < 16; ++c) grid[0][c] = kGridHeads[c];
    for (int r = 1; r <= kRows; ++r) {
        auto& row = grid[static_cast<std::size_t>(r)];
        if (r < kRows) {
            row[0] = PadLeft(std::to_string(r), 3);
            row[1] = FirstChars(s.ItemTable[static_cast<std::size_t>(r)].ItemName, 16);
        }
        for (std::size_t c = 2; c < 16; ++c) {
            const Amount v = s.MonthlyItemTable[static_cast<std::size_t>(r)][c - 1];
            row[c] = v != 0 ? PadLeft(FormatAmount(v, false), 10) : std::string(10, ' ');
        }
    }
    grid[kRows][1] = "  合  計";
    return grid;
}

PrintTable SummaryPrintTable(const SummaryGrid& grid) {
    PrintTable t;
    for (int r = 1; r <= kRows; ++r) {
        const auto& row = grid[static_cast<std::size_t>(r)];
        t.SetCell(3, r, CutToBytes(row[1], 16));
        for (int c = 2; c < 16; ++c) {
            t.SetCell(4, r + kRows * (c - 2), PadLeft(row[static_cast<std::size_t>(c)], 10));
        }
    }
    t.lineCount = kRows * 14;
    return t;
}

PrintDocument PrintSummaryTable(const SharedState& s, const PrintTable& table, int count) {
    PrintTable t = table;
    t.title = s.EraName + YearInTwo(s.FiscalYear) + "年度" + "  月別の集計表";
    PrintDocument doc;
    doc.name = "月別集計表";
    PageWriter w(doc);
    StartSummaryPage(w, s, t);
    const double x0 = 10;
    const double y0 = 0;
    int block = 1;
    int row = 1;
    for (int k = 1; k <= count; ++k) {
        const std::string& cell = t.Cell(4, k);
        if (IsNonZeroAmountText(cell)) w.PrintAt(x0 + 16 * block + 16, y0 + 3 * row + 16.5, cell);
        if (++row > kRows) {
            row = 1;
            ++block;
        }
        // The second half of the year goes on page 2 without a question.
        if (w.PageCount() == 1 && block > kBlocksOnPage1 && k < count) {
            StartSummaryPage(w, s, t);
            block = 1;
            row = 1;
        }
    }
    return doc;
}

}  // namespace tabulo
