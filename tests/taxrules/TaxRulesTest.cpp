#include "taxrules/TaxRules.h"

#include <gtest/gtest.h>

#include <string>

namespace tabulo {
namespace {

TEST(TaxRuleTable, EveryRowNamesItsSourceAndAValidPeriod) {
    for (const TaxRule& r : TaxRuleTable()) {
        SCOPED_TRACE(std::string(r.key));
        EXPECT_FALSE(r.key.empty());
        EXPECT_FALSE(r.source.empty());
        EXPECT_LE(r.from, r.to);
        EXPECT_GT(r.denominator, 0);
    }
}

TEST(TaxRuleTable, NoTwoRowsOfOneKeyOverlap) {
    const auto rules = TaxRuleTable();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        for (std::size_t j = i + 1; j < rules.size(); ++j) {
            if (rules[i].key != rules[j].key) continue;
            SCOPED_TRACE(std::string(rules[i].key));
            EXPECT_TRUE(rules[i].to < rules[j].from || rules[j].to < rules[i].from);
        }
    }
}

TEST(TaxRuleTable, FindsTheRowInForceOnADate) {
    const auto row = FindTaxRule("blue.deduction.double_entry", 20261231);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->numerator, 550000);
    EXPECT_FALSE(FindTaxRule("blue.deduction.double_entry", 20191231).has_value());
    EXPECT_FALSE(FindTaxRule("no.such.rule", 20261231).has_value());
}

}  // namespace
}  // namespace tabulo
