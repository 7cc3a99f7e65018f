#include "taxreturn/StatementPage2.h"

#include "store/TaxReturnFile.h"

#include <algorithm>
#include <cstdint>

#include "books/BooksChecks.h"
#include "cashbook/Overflow.h"
#include "taxreturn/StatementPage1.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string MonthName(int m) { return std::to_string(m) + "月"; }

// Sums rows 1..persons of `col` into row persons + 1.
bool TotalColumn(std::array<Amount, 8>& col, int persons) {
    std::int64_t sum = 0;
    for (int r = 1; r <= persons; ++r) {
        sum += col[U(r)];
        if (!CheckedAmount(sum)) return false;
    }
    col[U(persons + 1)] = static_cast<Amount>(sum);
    return true;
}

}  // namespace

int MonthColumn(int month) { return month <= 6 ? month : month + 1; }

MonthlySection ComputeMonthlySection(const ItemTableArray& items, const MonthlyTable& totals,
                                     const SlipFigures* slips) {
    MonthlySection s;
    // The slips' part of a month (or of 家事消費等), when the year has slips.
    auto withSlips = [&](std::optional<Amount> v, const std::array<Amount, 16> SlipFigures::*column,
                         int index) -> std::optional<Amount> {
        if (!v || slips == nullptr) return v;
        return CheckedAmount(std::int64_t{*v} + ((*slips).*column)[U(index)]);
    };
    auto sumOf = [&](auto matches, int column) -> std::optional<Amount> {
        std::int64_t sum = 0;
        for (int i = 1; i <= kItemCount; ++i) {
            if (!matches(items[U(i)])) continue;
            sum += totals[U(i)][U(column)];
            if (!CheckedAmount(sum)) return std::nullopt;
        }
        return static_cast<Amount>(sum);
    };
    auto isSales = [](const ItemEntry& e) { return e.ItemKubun2 == 1; };
    auto isOther = [](const ItemEntry& e) { return e.ItemKubun2 == 2; };
    auto isHome = [](const ItemEntry& e) { return e.ItemKubun2 == 3; };
    auto isPurchase = [](const ItemEntry& e) { return e.ItemKubun3 == 3; };

    std::int64_t salesTotal = 0, purchaseTotal = 0;
    bool salesOk = true, purchasesOk = true;
    auto addTo = [](std::int64_t& total, bool& ok, std::optional<Amount> v) {
        if (!v) return;
        total += *v;
        if (!CheckedAmount(total)) ok = false;
    };
    for (int m = 1; m <= 12; ++m) {
        auto sales = withSlips(sumOf(isSales, MonthColumn(m)), &SlipFigures::sales, m);
        if (sales)
            s.sales[U(m)] = *sales;
        else
            s.failures.push_back("売上 " + MonthName(m));
        addTo(salesTotal, salesOk, sales);
        auto purchases = withSlips(sumOf(isPurchase, MonthColumn(m)), &SlipFigures::purchases, m);
        if (purchases)
            s.purchases[U(m)] = *purchases;
        else
            s.failures.push_back("仕入 " + MonthName(m));
        addTo(purchaseTotal, purchasesOk, purchases);
    }
    // The two columns of the year: the home use and the other income of all months.
    auto yearSum = [&](auto matches) -> std::optional<Amount> {
        std::int64_t sum = 0;
        for (int m = 1; m <= 12; ++m) {
            auto v = sumOf(matches, MonthColumn(m));
            if (!v) return std::nullopt;
            sum += *v;
            if (!CheckedAmount(sum)) return std::nullopt;
        }
        return static_cast<Amount>(sum);
    };
    auto home = withSlips(yearSum(isHome), &SlipFigures::sales, 13);
    if (home)
        s.sales[13] = *home;
    else
        s.failures.push_back("家事消費等");
    addTo(salesTotal, salesOk, home);
    auto other = yearSum(isOther);
    if (other)
        s.sales[14] = *other;
    else
        s.failures.push_back("雑収入");
    addTo(salesTotal, salesOk, other);
    if (salesOk)
        s.sales[15] = static_cast<Amount>(salesTotal);
    else
        s.failures.push_back("売上 合計");
    if (purchasesOk)
        s.purchases[15] = static_cast<Amount>(purchaseTotal);
    else
        s.failures.push_back("仕入 合計");
    return s;
}

bool RecomputeWageRow(WageColumns& w, int persons, int row, WageColumn column) {
    bool ok = true;
    if (column == WageColumn::Gensen) return TotalColumn(w.Gensen, persons);
    if (auto total = CheckedAmount(std::int64_t{w.KyuRyo[U(row)]} + w.Syouyo[U(row)])) {
        w.Goukei[U(row)] = *total;
    } else {
        ok = false;
    }
    ok = TotalColumn(column == WageColumn::KyuRyo ? w.KyuRyo : w.Syouyo, persons) && ok;
    ok = TotalColumn(w.Goukei, persons) && ok;
    return ok;
}

bool RecomputeFigure5(Page2Data& d) {
    auto v = CheckedAmount(std::int64_t{d.Syukei[1]} + d.Syukei[4]);
    if (!v) return false;
    d.Syukei[5] = *v;
    return true;
}

Figure7 ComputeFigure7(const ItemTableArray& items, const MonthlyTable& totals,
                       const TaxReturnTables& t, const SlipFigures* slips) {
    const Page1Figures p = OpeningPage1(items, totals, t, slips);
    return {p.lines[43], p.failedLines};
}

DeductionOffer OfferDeduction(bool doubleEntry, Amount figure6, Amount figure7) {
    return OfferDeduction(doubleEntry ? kDoubleEntryDeduction : kSimpleDeduction, figure6, figure7);
}

DeductionOffer OfferDeduction(Amount limit, Amount figure6, Amount figure7) {
    DeductionOffer o;
    const bool doubleEntry = limit > kSimpleDeduction;
    o.doubleEntry = doubleEntry;
    o.limit = limit;
    const Amount realEstate = std::clamp<Amount>(figure6, 0, o.limit);
    const Amount rest = std::clamp<Amount>(figure7, 0, o.limit - realEstate);
    o.figures[doubleEntry ? 8 : 10] = realEstate;
    o.figures[doubleEntry ? 9 : 11] = rest;
    return o;
}

bool TakeDeductionOffer(std::array<Amount, 12>& syukei, const DeductionOffer& before,
                        const DeductionOffer& offer) {
    for (int i = 8; i <= 11; ++i) {
        const Amount v = syukei[static_cast<std::size_t>(i)];
        // (A new file holds 10万円 in figure 11 whatever the income.)
        bool offered = v == 0 || v == before.figures[static_cast<std::size_t>(i)] ||
                       (i == 11 && v == kSimpleDeduction);
        for (Amount limit : {kSimpleDeduction, kDoubleEntryDeduction, kElectronicBooksDeduction})
            offered = offered ||
                      v == OfferDeduction(limit, syukei[6], syukei[7]).figures[static_cast<std::size_t>(i)];
        if (!offered) return false;
    }
    for (int i = 8; i <= 11; ++i)
        syukei[static_cast<std::size_t>(i)] = offer.figures[static_cast<std::size_t>(i)];
    return true;
}

void OfferStoredDeduction(TaxReturnTables& t, Amount limit, const ItemTableArray& items,
                          const MonthlyTable& totals, const SlipFigures* slips) {
    if (!HasTaxReturnShape(t)) return;
    Page2Data d = ReadPage2(t);
    const Amount stored7 = d.Syukei[7];
    d.Syukei[7] = ComputeFigure7(items, totals, t, slips).value;
    const DeductionOffer offer = OfferDeduction(limit, d.Syukei[6], d.Syukei[7]);
    if (!TakeDeductionOffer(d.Syukei, DeductionOffer{}, offer)) return;
    d.Syukei[7] = stored7;
    WritePage2(t, d);
}

std::string FailuresMessage(const std::vector<std::string>& failures) {
    if (failures.empty()) return {};
    std::string text = "金額が大きすぎるため、次の欄を計算できません！\r\n";
    for (std::size_t i = 0; i < failures.size(); ++i) {
        if (i != 0) text += "、";
        text += failures[i];
    }
    return text;
}

}  // namespace tabulo
