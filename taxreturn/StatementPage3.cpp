#include "taxreturn/StatementPage3.h"

#include <cmath>
#include <cstdint>

#include "cashbook/Overflow.h"
#include "store/Text.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// Int(x + 0.51), or nullopt when the result is not a 32-bit amount.
std::optional<Amount> RoundUpFrom49(double x) {
    const double v = std::floor(x + 0.51);
    if (!std::isfinite(v) || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<Amount>(v);
}

Amount AssetRow::*Member(AssetColumn c) {
    switch (c) {
        case AssetColumn::Hi:
            return &AssetRow::Hi;
        case AssetColumn::TokuHi:
            return &AssetRow::TokuHi;
        case AssetColumn::Goukei:
            return &AssetRow::Goukei;
        case AssetColumn::Keihi:
            return &AssetRow::Keihi;
        case AssetColumn::Zandaka:
            return &AssetRow::Zandaka;
    }
    return &AssetRow::Hi;
}

bool RowTotal(AssetRow& a) {
    auto v = CheckedAmount(std::int64_t{a.TokuHi} + a.Hi);
    if (!v) return false;
    a.Goukei = *v;
    return true;
}

}  // namespace

bool IsFractionRate(const std::string& rate) { return rate.size() >= 2 && rate[1] == '/'; }

DepreciationResult OrdinaryDepreciation(const AssetRow& row, DepreciationTrigger trigger,
                                        Amount& hi) {
    std::optional<Amount> v;
    if (IsFractionRate(row.Ritsu)) {
        // The months in use play no part in a 1/n figure: read as a decimal rate it
        // would give base x 1 x months / 12, so leaving the months changes nothing.
        if (trigger == DepreciationTrigger::Months) {
            return DepreciationResult::Unchanged;
        } else {
            const std::string years = row.Ritsu.substr(2);
            const double n = Val(years);
            // n = 0 would divide by zero; a life that is not a positive number means
            // nothing either, so the figure stays as it was.
            if (!(n > 0)) return DepreciationResult::BadRate;
            v = RoundUpFrom49(static_cast<double>(row.KisoGaku) / n);
        }
    } else {
        v = RoundUpFrom49(static_cast<double>(row.KisoGaku) * Val(row.Ritsu) * row.Kikan / 12.0);
    }
    if (!v) return DepreciationResult::TooLarge;
    hi = *v;
    return DepreciationResult::Computed;
}

bool BusinessExpense(Amount goukei, std::int16_t jigyo, Amount& keihi) {
    // The product is taken in 32 bits, as the stored amounts are.
    auto product = CheckedAmount(std::int64_t{goukei} * jigyo);
    if (!product) return false;
    auto v = RoundUpFrom49(static_cast<double>(*product) * 0.01);
    if (!v) return false;
    keihi = *v;
    return true;
}

bool TotalAssetColumn(Page3Data& d, AssetColumn column) {
    Amount AssetRow::*m = Member(column);
    std::int64_t sum = 0;
    for (int r = 1; r <= kAssetRows; ++r) {
        sum += d.assets[U(r)].*m;
        if (!CheckedAmount(sum)) return false;
    }
    d.assets[U(kAssetTotalRow)].*m = static_cast<Amount>(sum);
    return true;
}

bool AfterDepreciation(Page3Data& d, int r) {
    AssetRow& a = d.assets[U(r)];
    bool ok = TotalAssetColumn(d, AssetColumn::Hi);
    ok = RowTotal(a) && ok;
    ok = TotalAssetColumn(d, AssetColumn::Goukei) && ok;
    // With no business share the expense figure is the user's own and stays.
    if (a.Jigyo >= 1) {
        ok = BusinessExpense(a.Goukei, a.Jigyo, a.Keihi) && ok;
        // The expense total follows, or the totals row would print a stale figure.
        ok = TotalAssetColumn(d, AssetColumn::Keihi) && ok;
    }
    return ok;
}

bool AfterDepreciationTyped(Page3Data& d, int r) {
    AssetRow& a = d.assets[U(r)];
    bool ok = TotalAssetColumn(d, AssetColumn::Hi);
    ok = TotalAssetColumn(d, AssetColumn::TokuHi) && ok;
    ok = RowTotal(a) && ok;
    ok = TotalAssetColumn(d, AssetColumn::Goukei) && ok;
    return ok;
}

bool AfterBusinessShare(Page3Data& d, int r) {
    AssetRow& a = d.assets[U(r)];
    if (!BusinessExpense(a.Goukei, a.Jigyo, a.Keihi)) return false;
    return TotalAssetColumn(d, AssetColumn::Keihi);
}

}  // namespace tabulo
