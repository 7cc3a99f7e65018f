#pragma once
// export balance-sheet: statement page 4 as CSV, the balance sheet of the year and the
// manufacturing-cost lines when the year keeps them.

#include "books/BalanceSheet.h"
#include "cli/Csv.h"

namespace tabulo {

// 区分, コード, 勘定科目, 1月1日, 12月31日: the rows with a figure on either day, in the
// form's order, the asset column's 合計, the other column's rows, the income
// (31 December only) and its 合計; then, for a year that keeps them, the
// manufacturing lines 1..23 (区分 製造原価, the line as the code, the year's figure
// under 12月31日).
CsvRows BalanceSheetCsv(const SharedState& s, const BalanceSheet& sheet,
                        const ManufacturingCost& cost);

}  // namespace tabulo
