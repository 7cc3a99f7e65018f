#include "taxreturn/StatementPage4.h"

#include "store/SharedState.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementSlots.h"

namespace tabulo {
namespace {

constexpr double kAmountSize = 9;

}  // namespace

Result<Page4Figures> OpeningPage4(const SharedState& s) {
    auto sheet = YearBalanceSheet(s);
    if (!sheet) return sheet.error();
    auto cost = LoadManufacturingCost(ManufacturingCostPath(s));
    if (!cost) return cost.error();
    return Page4Figures{std::move(*sheet), std::move(*cost)};
}

std::vector<SlotText> Page4Slots(const Page4Figures& page, int fiscalYear) {
    std::vector<SlotText> s;
    auto amount = [&](std::int64_t v) { s.push_back({ColumnAmountOrEmpty(v), kAmountSize, 10}); };
    const BalanceSheet& b = page.sheet;
    for (const BalanceSheetRow& r : b.assets) {
        amount(r.opening);
        amount(r.closing);
    }
    amount(b.assetsOpening);
    amount(b.assetsClosing);
    for (const BalanceSheetRow& r : b.claims) {
        amount(r.opening);
        amount(r.closing);
    }
    amount(b.income);
    amount(b.claimsOpening);
    amount(b.claimsClosing);
    for (const std::string& name : page.cost.freeNames) s.push_back({name, kAmountSize, 0});
    for (int n = 1; n <= kCostLines; ++n) amount(page.cost.lines[static_cast<std::size_t>(n)]);
    s.push_back(YearSlot(fiscalYear));
    return s;
}

}  // namespace tabulo
