#pragma once
// 集計: the year's lines totalled per item and month into MonthlyItemTable, with the
// half-year and year columns and the net line (income-side items minus expense-side
// items). Carry-over lines and the cash/deposit transfers (categories 2, 5 and 7)
// stay out of the totals.

#include "platform/FileError.h"
#include "store/SharedState.h"

namespace tabulo {

class Prompt;

inline constexpr const char* kAggregationDateErrorMessage = "日付エラーのため集計できません！";

// The table of the year's lines as they stand in the ledger file. A month outside
// 1..12 or a total beyond 32 bits is an error; the table is then not produced.
Result<MonthlyTable> ComputeMonthlyItemTable(const SharedState& s);

// The date check that opens the aggregation: each bad line reported, then
// kAggregationDateErrorMessage; false when the dates refuse the aggregation.
Result<bool> AggregationDatesOk(SharedState& s, Prompt& prompt);

// The whole aggregation after the page has been saved: the date check (each bad line
// reported, then kAggregationDateErrorMessage; false), the recalculation of every
// balance and the table into MonthlyItemTable (true). On an error MonthlyItemTable
// keeps what it held.
Result<bool> AggregateYear(SharedState& s, Prompt& prompt);

}  // namespace tabulo
