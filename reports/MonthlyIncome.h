#pragma once
// 月度収入項目別データ: one page with the month's income per day, split by the items'
// income class (売上, その他売上, 家事消費), with per-day and month totals.

#include <optional>
#include <string_view>

#include "platform/FileError.h"
#include "platform/PrintDocument.h"

namespace tabulo {

struct SharedState;
class Prompt;

inline constexpr const char* kNoMonthDataMessage = "指定された月のデータはありません！";

// `monthKey` is "01".."12". A month without lines shows kNoMonthDataMessage and gives
// nullopt (nothing to print). An overflow of a total ends with the overflow error.
Result<std::optional<PrintDocument>> PrintMonthlyIncome(const SharedState& s, Prompt& prompt,
                                                        std::string_view monthKey);

}  // namespace tabulo
