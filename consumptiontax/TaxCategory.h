#pragma once
// The consumption-tax category (税区分) of an item, a line or a slip: whether an amount
// is a taxed sale or purchase at which rate, exempt, or outside the tax. An item takes
// the category of its account unless the user chose another for it.

#include <cstdint>
#include <optional>
#include <string_view>

#include "books/Accounts.h"

namespace tabulo {

enum class TaxCategory : std::uint8_t {
    FromAccount = 0,          // as the account says (a stored choice of "none")
    Sales10 = 1,              // 課税売上10%
    Sales8 = 2,               // 課税売上8%（軽減）
    ZeroRatedSales = 3,       // 免税売上 (exports)
    ExemptSales = 4,          // 非課税売上
    Purchase10 = 5,           // 課税仕入10%
    Purchase8 = 6,            // 課税仕入8%（軽減）
    Purchase10NoInvoice = 7,  // 課税仕入10%（適格請求書なし）
    Purchase8NoInvoice = 8,   // 課税仕入8%（適格請求書なし）
    ExemptPurchase = 9,       // 非課税仕入
    OutOfScope = 10,          // 対象外（不課税）
};
inline constexpr int kTaxCategoryLimit = 10;  // the highest stored value

// The category's name as the screens, printouts and exports show it ("" for FromAccount).
const char* TaxCategoryName(TaxCategory c);
// The stored value read back; none for a value no category has.
std::optional<TaxCategory> TaxCategoryFromValue(int value);

bool IsSalesCategory(TaxCategory c);     // 課税売上 at either rate, 免税売上, 非課税売上
bool IsPurchaseCategory(TaxCategory c);  // 課税仕入 of any kind, 非課税仕入
bool IsReducedRate(TaxCategory c);       // the 8 % categories
bool LacksInvoice(TaxCategory c);        // a taxed purchase without a qualified invoice

// The category an amount posted to `accountCode` takes by default: sales, 家事消費 and
// 雑収入 (page-1 line 1) 課税売上10%; 仕入 and the expense lines 課税仕入10%, except
// 租税公課, 減価償却費, 給料賃金, 専従者給与, 貸倒金 and the allowance lines (対象外) and
// 損害保険料 and 利子割引料 (非課税仕入); a depreciable asset 課税仕入10%; 土地
// 非課税仕入; every other account 対象外.
TaxCategory DefaultTaxCategory(int accountCode);

// A single cash-book line or slip whose category differs from its item's (or its
// account's) carries a mark in its remarks, as the books of a registered business mark
// such lines anyway; the mark is part of the line, so it stays with it through insert,
// delete, undo, the history and every copy of the year:
//   【軽】 the reduced rate (8 %)          【免】 a purchase without a qualified invoice
//   【標】 the standard rate (10 %)        【非】 exempt (非課税)
//   【輸】 an export sale (免税売上)        【外】 outside the tax (対象外)
// 【軽】 and 【免】 go together. `base` is the category the line has without marks;
// `salesSide` says whether it is a sale (an income line) when `base` does not say.
TaxCategory LineTaxCategory(TaxCategory base, bool salesSide, std::string_view remarks);
// True when `remarks` carry any of the marks above.
bool HasTaxMark(std::string_view remarks);

}  // namespace tabulo
