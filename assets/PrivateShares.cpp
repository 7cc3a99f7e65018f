#include "assets/PrivateShares.h"

#include <limits>

#include "assets/Depreciation.h"

namespace tabulo {
namespace {

bool Splits(const ItemEntry& item, std::int16_t share) {
    return item.ItemKubun3 >= kFirstExpenseLine && item.ItemKubun3 <= kLastExpenseLine &&
           share >= 1 && share <= 99;
}

}  // namespace

Result<SharesYear> SplitPrivateShares(const ItemTableArray& items, const MonthlyTable& totals,
                                      const ItemShares& shares) {
    SharesYear y;
    std::int64_t total = 0, expense = 0, privatePart = 0;
    for (int i = 1; i <= kItemCount; ++i) {
        const ItemEntry& item = items[static_cast<std::size_t>(i)];
        if (item.ItemKubun3 < kFirstExpenseLine || item.ItemKubun3 > kLastExpenseLine) continue;
        ShareLine l;
        l.item = i;
        l.name = item.ItemName;
        l.line = item.ItemKubun3;
        l.total = totals[static_cast<std::size_t>(i)][14];
        l.share = Splits(item, shares[static_cast<std::size_t>(i)]) ? shares[static_cast<std::size_t>(i)] : 0;
        l.expense = l.share > 0 ? BusinessPart(l.total, l.share) : l.total;
        // Both within 32 bits: |expense| <= |total|.
        l.privatePart = l.total - l.expense;
        total += l.total;
        expense += l.expense;
        privatePart += l.privatePart;
        constexpr std::int64_t lo = std::numeric_limits<Amount>::min(), hi = std::numeric_limits<Amount>::max();
        if (total < lo || total > hi || expense < lo || expense > hi || privatePart < lo || privatePart > hi)
            return FileError{FileErrorCode::Overflow, {}, "家事按分の合計が大きすぎます。"};
        y.lines.push_back(std::move(l));
    }
    y.total = static_cast<Amount>(total);
    y.expense = static_cast<Amount>(expense);
    y.privatePart = static_cast<Amount>(privatePart);
    return y;
}

MonthlyTable BusinessTotals(const ItemTableArray& items, const MonthlyTable& totals,
                            const ItemShares& shares) {
    MonthlyTable out = totals;
    for (int i = 1; i <= kItemCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (Splits(items[k], shares[k])) out[k][14] = BusinessPart(totals[k][14], shares[k]);
    }
    return out;
}

}  // namespace tabulo
