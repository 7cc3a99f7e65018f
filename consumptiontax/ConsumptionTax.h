#pragma once
// The consumption-tax return of a year, worked out from the books: the year's amounts
// by tax category (GatherTaxTotals), then the return's lines by each method the year
// allows (ComputeTaxReturn), side by side with the one that costs least marked. The
// screens, the printouts and tabulo-cli all call these. All arithmetic is in whole yen
// and exact fractions; the rates and shares come from the tax rules table.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "books/BooksFiles.h"
#include "consumptiontax/TaxSettings.h"
#include "platform/FileError.h"
#include "taxrules/TaxRules.h"

namespace tabulo {

struct SharedState;

using Yen = std::int64_t;

// The year's amounts by category as the books hold them (tax included unless the year
// keeps its books without tax). Index [0] the 10 % rate, [1] the reduced 8 % rate.
struct TaxTotals {
    // Taxed sales by rate and business class (0: no class chosen, 1..6).
    std::array<std::array<Yen, 7>, 2> Sales{};
    Yen ZeroRatedSales = 0;
    Yen ExemptSales = 0;
    std::array<Yen, 2> Purchases{};  // with a qualified invoice
    // Taxed purchases without a qualified invoice, by the purchase date (yyyymmdd).
    std::array<std::map<RuleDate, Yen>, 2> NoInvoicePurchases;
    Yen ExemptPurchases = 0;
    Yen OutOfScope = 0;
    // Per category (TaxCategory value) and month 1..12 (index 0 unused): the
    // 税区分別集計.
    std::array<std::array<Yen, 13>, kTaxCategoryLimit + 1> ByMonth{};
    // The cash-book lines and slips whose remarks mark a category other than their
    // item's (or account's), in the journal's order.
    struct MarkedLine {
        bool Slip = false;   // a transfer slip, else a cash-book line
        int Number = 0;      // the line or slip number (1-based)
        std::string Date;    // YYMMDD
        std::string Remarks;
        Yen Amount = 0;
        TaxCategory Usual = TaxCategory::OutOfScope;   // the item's or account's
        TaxCategory Marked = TaxCategory::OutOfScope;  // the line's own
    };
    std::vector<MarkedLine> Marked;
};

// Adds one amount of `category` dated `date` to the totals, with the sales class.
void AddToTotals(TaxTotals& t, TaxCategory category, RuleDate date, Yen amount, int businessClass);

// The category of a cash-book line of item `itemNo`: the item's own choice in the
// settings, else its account's.
TaxCategory ItemTaxCategory(int itemNo, const TaxSettings& settings, const ItemTableArray& items,
                            const ItemAccountArray& chosen);

// Walks the year's journal (cash-book lines and slips; not the closing entries) and
// sums each entry by its category. A sales category counts what its account is
// credited with (less what it is debited), a purchase category what its account is
// debited with. `year` is the Western year of the books.
Result<TaxTotals> GatherTaxTotals(const SharedState& s, const SlipBook& book,
                                  const ItemAccountArray& chosen, const TaxSettings& settings,
                                  int year);

// One line of the return or of a worksheet: the form ("第一表", "付表1-3" ...), the
// line's mark on it ("①", or "" for a line the form does not number), its words and
// its amount.
struct TaxLine {
    std::string Sheet;
    std::string Mark;
    std::string Name;
    Yen Amount = 0;
};

// The return by one method.
struct MethodReturn {
    TaxMethod Method = TaxMethod::None;
    std::string Needs;          // what the method needs of the filer
    bool NeedsMet = true;       // the settings say the filer has it
    std::string Fault;          // why it could not be worked out ("" when it was)
    bool Unconfirmed = false;   // a figure rests on a row that is not law yet
    std::vector<std::string> UnconfirmedSources;
    std::array<Yen, 2> TaxBase{};    // 課税標準額 by rate, cut to 1,000 yen
    std::array<Yen, 2> OutputTax{};  // 消費税額 by rate
    Yen Deduction = 0;        // ④ 控除対象仕入税額 (or the special deduction)
    Yen ShortfallRefund = 0;  // ⑧ 控除不足還付税額
    Yen NetTax = 0;           // ⑨ 差引税額, cut to 100 yen
    Yen LocalRefund = 0;      // ⑲
    Yen LocalTax = 0;         // ⑳, cut to 100 yen
    Yen Total = 0;            // ㉖: to pay (more than 0) or refunded (less than 0)
    bool Least = false;       // costs least of the methods the year allows
    std::vector<TaxLine> Lines;  // 第一表, then the method's worksheets
};

struct TaxComputeOptions {
    // Use the reform's rows where they differ from the law in force (marked unconfirmed).
    bool Reform = true;
    // 簡易課税: the class of sales without one of their own (0: the settings').
    int BusinessClass = 0;
};

// The methods the year allows, in the order 2割特例 / 3割特例, 簡易課税, 原則課税.
std::vector<TaxMethod> MethodsOfYear(int year);

// The return by `method`, whatever the settings say. A year the rules do not cover, or
// a method the year does not have, comes back with Fault set.
MethodReturn ComputeMethod(const TaxTotals& totals, const TaxSettings& settings, TaxMethod method,
                           int year, const TaxComputeOptions& options = {});

// Every method of the year side by side, the cheapest marked (each of equal cost).
std::vector<MethodReturn> ComputeTaxReturn(const TaxTotals& totals, const TaxSettings& settings,
                                           int year, const TaxComputeOptions& options = {});

// Loads the settings, the slips and the item accounts of the year in `s` and gathers
// its totals: what the screens and tabulo-cli call.
struct YearTaxBooks {
    TaxSettings Settings;
    TaxTotals Totals;
    int Year = 0;
};
Result<YearTaxBooks> LoadYearTaxBooks(const SharedState& s);

// The Western year of the books loaded in `s` (令和8 → 2026), or none.
std::optional<int> BooksWesternYear(const SharedState& s);

}  // namespace tabulo
