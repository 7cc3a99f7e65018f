#pragma once
// The year's depreciation of every asset of the register, worked out from the rules
// table: 定額法, 旧定額法 with its five equal years after 5 % of the cost, 一括償却資産,
// 少額減価償却資産; the business share splits each year's figure into the expense and
// the private part (事業主貸); the book value falls by the whole figure and never below
// 1 yen while the asset is kept (備忘価額). All in whole yen; a fraction of a yen of a
// year's figure is rounded up.

#include <cstdint>
#include <string>
#include <vector>

#include "assets/AssetFiles.h"
#include "platform/FileError.h"
#include "taxrules/TaxRules.h"

namespace tabulo {

// One asset's year.
struct AssetYear {
    Amount depreciation = 0;      // 本年分の普通償却費 (the whole figure)
    Amount expense = 0;           // 本年分の必要経費算入額 (the business share)
    Amount privatePart = 0;       // to 事業主貸
    Amount closingBookValue = 0;  // 未償却残高 at the year end (0 once disposed of)
    Amount disposalBookValue = 0; // the book value that left with a sold or scrapped asset
    Amount base = 0;              // 償却の基礎になる金額
    std::string rateText;         // "0.167", "1/3", "1/5"; "" when no rate applies
    int months = 0;               // 本年中の償却期間
    std::string remarks;          // 摘要: the legal reference of a special rule
    bool unconfirmed = false;     // rests on a row of the rules table that is not law yet
    bool operator==(const AssetYear&) const = default;
};

struct RegisterYear {
    std::vector<AssetYear> assets;  // in register order
    Amount depreciation = 0;
    Amount expense = 0;
    Amount privatePart = 0;
    Amount closingBookValue = 0;
    // The rows of the rules table the figures rest on, in table order, each once.
    std::vector<TaxRule> rules;
    bool unconfirmed() const;
};

// The 定額法 rate of a useful life of n years in thousandths (6 -> 167), or 0 when the
// rules table holds none for `date` (yyyymmdd, the asset's acquisition).
int StraightLineRateThousandths(int life, std::int32_t date);
// The 旧定額法 rate in thousandths (6 -> 166), or 0.
int OldStraightLineRateThousandths(int life, std::int32_t date);
// "0.167" from 167.
std::string RateText(int thousandths);

// The year `year` (Western, e.g. 2026) of every asset of `assets`, whose opening book
// values are those at the start of that year. An asset that the rules refuse (定額法 for
// an asset acquired before 2007-04-01, 一括償却資産 outside its range, 少額 above the
// limit or beyond the year's cap) or a figure beyond 32 bits is an error naming the
// asset; nothing is worked out then.
Result<RegisterYear> DepreciateRegister(const AssetRegister& assets, int year);

// The business part of `amount` at `share` percent: amount x share / 100, a fraction of
// 0.49 or more rounded up (as page 3 rounds its 経費算入額).
Amount BusinessPart(Amount amount, int share);

// The next year's register: each kept asset with its closing book value as the new
// opening one; assets disposed of in `year` are dropped, and so are 一括償却資産 and
// 少額減価償却資産 whose book value reached 0.
AssetRegister NextYearRegister(const AssetRegister& assets, const RegisterYear& done);

// The closing note: one line per rule the figures rest on, "key: figure (source) 確定"
// or "…（改正案・未成立）".
std::vector<std::string> ClosingNote(const RegisterYear& year);

}  // namespace tabulo
