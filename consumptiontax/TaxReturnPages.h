#pragma once
// What the consumption-tax screens and printouts show of a year's return: the methods
// side by side (the cheapest marked), the lines of one method's 第一表 and worksheets,
// the year's amounts by category and month, and the notes on figures that rest on a
// tax rule not yet law. The screens show these rows as they are; the printout is built
// here as pages of drawing operations.

#include <array>
#include <string>
#include <vector>

#include "consumptiontax/ConsumptionTax.h"
#include "platform/PrintDocument.h"

namespace tabulo {

// Whole yen with thousands commas; less than 0 with the forms' "△" ("△1,200").
std::string TaxYenText(Yen amount);

// The head of a method's column: its name, and "（最も少ない）" under the cheapest.
std::string MethodHead(const MethodReturn& r);

// One row of the comparison: its words and one cell per method, in the order given.
struct ComparisonRow {
    std::string Label;
    std::vector<std::string> Cells;
};
// 課税標準額, 消費税額, 控除対象仕入税額, 差引税額, 地方消費税額, 中間納付税額, the total
// to pay (or refunded, with △), what the method needs and whether the settings say the
// filer has it. A method that could not be worked out shows its reason in the first
// row and nothing else.
std::vector<ComparisonRow> ComparisonRows(const std::vector<MethodReturn>& returns);

// The forms of a method's lines in their order ("第一表", then its worksheets).
std::vector<std::string> SheetsOf(const MethodReturn& r);
// The lines of one form.
std::vector<TaxLine> SheetLines(const MethodReturn& r, const std::string& sheet);
// The title a form's page and tab carry ("第一表 消費税及び地方消費税の申告書" ...).
std::string SheetTitle(const std::string& sheet);

// The notes to show beside the figures: one per method whose figures rest on a rule
// not yet law, "原則課税: <UnconfirmedRuleNote>（<source>）". Empty when all are law.
std::vector<std::string> UnconfirmedNotes(const std::vector<MethodReturn>& returns);

// 税区分別集計: one row per category that holds an amount, with its months 1..12 and
// the year's total; the year's total of each month last ("合計" is not summed across
// sales and purchases, so there is no such row).
struct CategoryMonthRow {
    TaxCategory Category = TaxCategory::OutOfScope;
    std::string Name;
    std::array<Yen, 12> Months{};
    Yen Total = 0;
};
std::vector<CategoryMonthRow> CategoryMonthRows(const TaxTotals& totals);

// The lines whose remarks mark a category of their own: 出所 ("出納簿 12", "振替伝票 3"),
// 日付 ("03/15"), 摘要, 金額, the item's or account's category, the line's.
std::vector<std::vector<std::string>> MarkedLineRows(const TaxTotals& totals);

// The printout of the return: the comparison of the methods, then `chosen`'s 第一表
// and each of its worksheets on a page of its own, then the 税区分別集計; each page
// with the business, the year, the registration number and the notes on figures that
// rest on a rule not yet law; the lines with a category of their own close it. A4
// portrait.
PrintDocument PrintConsumptionTax(const SharedState& s, const YearTaxBooks& year,
                                  const std::vector<MethodReturn>& returns, std::size_t chosen);

}  // namespace tabulo
