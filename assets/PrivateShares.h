#pragma once
// The private share of mixed expenses (家事按分): an expense item with a business share
// counts on page 1 with that share of its year's total only; the rest is the owner's
// own (事業主貸), booked as a closing entry. Items without a share count whole.

#include <string>
#include <vector>

#include "assets/AssetFiles.h"
#include "store/Records.h"
#include "store/SharedState.h"

namespace tabulo {

// Page 1's expense lines an item may feed to be split.
inline constexpr int kFirstExpenseLine = 8;
inline constexpr int kLastExpenseLine = 31;

struct ShareLine {
    int item = 0;            // 1..50
    std::string name;        // the item's name
    int line = 0;            // the page-1 line it feeds (8..31)
    Amount total = 0;        // the year's total
    int share = 0;           // business percent; 0 = none (whole)
    Amount expense = 0;      // what page 1 takes
    Amount privatePart = 0;  // to 事業主貸
    bool operator==(const ShareLine&) const = default;
};

struct SharesYear {
    std::vector<ShareLine> lines;  // every item on an expense line, in item order
    Amount total = 0;
    Amount expense = 0;
    Amount privatePart = 0;
};

// The split of every expense item's year total (column 14 of `totals`). A sum beyond
// 32 bits is an overflow error.
Result<SharesYear> SplitPrivateShares(const ItemTableArray& items, const MonthlyTable& totals,
                                      const ItemShares& shares);

// `totals` with the year total of each split item replaced by its business part: what
// page 1 adds up. The months are left as they are (page 2 reads sales and purchases
// only, which are never split).
MonthlyTable BusinessTotals(const ItemTableArray& items, const MonthlyTable& totals,
                            const ItemShares& shares);

}  // namespace tabulo
