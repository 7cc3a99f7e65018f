#pragma once
// The tax rules that change with the date: rates, limits, periods and roundings, as the
// rows of one table. Each row says where the figure comes from and whether it is law
// already or only proposed (a tax reform outline not yet passed). Code asks the table
// for the row in force on a date and never writes such a figure itself; a screen, a
// printout or an export whose figure rests on a row that is not confirmed says so.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tabulo {

// A date as the number yyyymmdd (20261001), so that rows compare as numbers.
using RuleDate = std::int32_t;
inline constexpr RuleDate kRuleOpenStart = 0;
inline constexpr RuleDate kRuleOpenEnd = 99991231;

struct TaxRule {
    std::string_view key;         // what the figure is, e.g. "blue.deduction.double_entry"
    RuleDate from = kRuleOpenStart;  // in force from this date ...
    RuleDate to = kRuleOpenEnd;      // ... to this date, both included
    // The figure as an exact fraction: a rate 78/1000, an amount 550000/1, a share 7/10.
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
    std::string_view source;      // the law or the tax agency's page it rests on
    bool confirmed = false;       // law in force (true) or only proposed (false)
};

// Every row, grouped by subject.
std::span<const TaxRule> TaxRuleTable();

// The row of `key` in force on `date`, or none.
std::optional<TaxRule> FindTaxRule(std::string_view key, RuleDate date);

// The sentence a screen, printout or export shows beside a figure that rests on a row
// not confirmed: "…は改正案（未成立）に基づく数値です。" with the row's source.
std::string_view UnconfirmedRuleNote();

}  // namespace tabulo
