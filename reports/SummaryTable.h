#pragma once
// The monthly summary: the texts of the summary screen's grid (52 rows, 16 columns)
// built from MonthlyItemTable, and the two-page printout 月別の集計表 built from
// those texts, so that paper shows what the screen shows.

#include <array>
#include <string>

#include "platform/PrintDocument.h"
#include "reports/LedgerPages.h"

namespace tabulo {

struct SharedState;

// Row 0 the heads; rows 1..50 the items, row 51 the net line ("  合  計");
// column 0 the item number, 1 the name, 2..15 the table's columns 1..14 as
// 10-character amount texts (10 blanks for zero).
using SummaryGrid = std::array<std::array<std::string, 16>, 52>;
SummaryGrid BuildSummaryGrid(const SharedState& s);

// The printed table: column 3 the names (cut to 16 bytes), column 4 the 714 cell texts
// of the grid, block by block (grid column b + 1 in block b).
PrintTable SummaryPrintTable(const SummaryGrid& grid);

inline constexpr int kSummaryCellCount = 714;
// January..June with 中間集計 on page 1, July..December with 年間集計 on page 2,
// no question between them: the first `count` cells of the table.
PrintDocument PrintSummaryTable(const SharedState& s, const PrintTable& t, int count);

}  // namespace tabulo
