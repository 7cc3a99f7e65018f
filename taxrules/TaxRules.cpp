#include "taxrules/TaxRules.h"

#include <array>

namespace tabulo {
namespace {

// Keep each subject's rows together, oldest first. A row without a source, or two rows
// of one key whose periods overlap, fails the table's own test.
constexpr std::array kRules = {
    // The blue return's special deduction (租税特別措置法第25条の2).
    TaxRule{"blue.deduction.simple", 20200101, kRuleOpenEnd, 100000, 1,
            "租税特別措置法第25条の2第1項; 国税庁 タックスアンサー No.2072", true},
    TaxRule{"blue.deduction.double_entry", 20200101, kRuleOpenEnd, 550000, 1,
            "租税特別措置法第25条の2第3項; 国税庁 タックスアンサー No.2072", true},
    TaxRule{"blue.deduction.electronic", 20200101, kRuleOpenEnd, 650000, 1,
            "租税特別措置法第25条の2第4項; 国税庁 タックスアンサー No.2072", true},

    // Consumption tax.

    // Depreciation.
};

}  // namespace

std::span<const TaxRule> TaxRuleTable() { return kRules; }

std::optional<TaxRule> FindTaxRule(std::string_view key, RuleDate date) {
    for (const TaxRule& r : kRules) {
        if (r.key == key && r.from <= date && date <= r.to) return r;
    }
    return std::nullopt;
}

std::string_view UnconfirmedRuleNote() {
    return "この数値は税制改正案（未成立）に基づいています。成立した法令で確かめてください。";
}

}  // namespace tabulo
