#pragma once
// export assets and export private-shares: the fixed-asset register with the year's
// depreciation and closing book values, and each expense item's split between the
// business and the owner (家事按分), from the same core the screens use.

#include "cli/Csv.h"

namespace tabulo {

class Prompt;

// 名称, 種類, 数量, 取得年月日, 事業供用年月日, 取得価額, 償却方法, 耐用年数, 償却率,
// 償却期間, 期首帳簿価額, 本年分の償却費, 事業専用割合, 必要経費算入額, 事業主貸,
// 期末帳簿価額, 摘要; the 合計 row; then one 注 row per rule the figures rest on, with
// its source and whether it is law.
Result<CsvRows> AssetsCsv(const SharedState& s);

// 項目, 項目名, 行, 年間合計, 事業割合, 必要経費, 事業主貸 for every item on an expense
// line of page 1, then the 合計 row. `table` is the year's aggregation.
Result<CsvRows> PrivateSharesCsv(const SharedState& s, const MonthlyTable& table);

}  // namespace tabulo
