#pragma once
// The closing entries (決算整理仕訳) of the year, made from what is already typed and
// never stored: the opening and closing stock of page 1 (lines 2 and 5) and the
// depreciation of page 3's assets. BuildJournal and BuildTrialBalance add them, so
// every ledger, export, check and balance sheet sees them.
//
//   期首商品棚卸高 / 棚卸資産        the opening stock
//   棚卸資産 / 期末商品棚卸高        the closing stock
//   減価償却費 / the asset's account the business share (経費算入額) of each asset
//   事業主貸 / the asset's account   the private share (償却費合計 − 経費算入額)
//   事業主貸 / the asset's account   the book value of a register asset sold or
//                                    scrapped in the year (it leaves the business)
//   事業主貸 / the item's account    the private part of an expense item with a
//                                    business share (家事按分)
//
// Page 3's rows are those the fixed-asset register fills (assets/StatementFeed.h) and
// the ones the user typed. A register asset's account follows its kind; a typed row's
// follows its name: 建物附属設備, 建物, 車両運搬具, 機械装置, 土地 by the words of the
// name, else 工具器具備品.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "books/Entries.h"
#include "books/TrialBalance.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;

// The figures the closing entries are made from, as page 1 and page 3 store them.
struct ClosingFigures {
    Amount openingStock = 0;
    Amount closingStock = 0;
    struct Asset {
        int row = 0;  // page 3's row, 1..10
        std::string name;
        Amount total = 0;     // 償却費合計
        Amount business = 0;  // 本年分の必要経費算入額
        int account = 0;      // the balance-sheet account; 0: by the name
    };
    std::vector<Asset> assets;  // the rows with a figure
    struct Disposal {
        std::string name;
        int account = 0;
        Amount bookValue = 0;
        bool sold = false;
    };
    std::vector<Disposal> disposals;  // register assets sold or scrapped in the year
    struct Share {
        int item = 0;
        std::string name;
        int account = 0;
        Amount privatePart = 0;
    };
    std::vector<Share> shares;  // expense items with a private part
};

// Read from the tax-return tables; tables without the file's shape give none.
ClosingFigures ReadClosingFigures(const TaxReturnTables& t);

// The balance-sheet account of a page-3 asset named `name`.
int AssetAccount(const std::string& name);

struct ClosingEntry {
    Posting posting;
    std::string remarks;
};

// The entries in the order above; none for a figure of 0. A private share below 0
// (経費算入額 above 償却費合計) is an error naming the asset's row.
Result<std::vector<ClosingEntry>> ClosingEntries(const ClosingFigures& f);

// The cash-book total of each item over the year (its lines' income plus expense, as
// the year's totals count them); element i is item i.
using ItemYearTotals = std::array<std::int64_t, kItemCount + 1>;
// Adds the cash-book line `raw` (as the file stores it) to its item's total.
void AddItemTotal(ItemYearTotals& totals, const std::byte* raw);

// The entries of the year in `s`: its tax-return tables with page 3 filled from the
// register (when the year keeps one), the register's disposals and the private parts
// of the items with a business share (`items`, the cash book's totals, and `chosen`,
// the items' accounts).
Result<std::vector<ClosingEntry>> YearClosingEntries(const SharedState& s, const ItemAccountArray& chosen,
                                                     const ItemYearTotals& items);

// The next year's opening balance sheet from this year's closing balances: every
// balance-sheet account with its closing balance on its own side, except 事業主貸,
// 事業主借 and 元入金, which fold into the new 元入金 together with the year's income
// (青色申告特別控除前の所得金額, the profit-and-loss accounts' balance):
//   元入金 + 所得 + 事業主借 − 事業主貸
// (and any balance left on 未設定科目). Accounts whose balance is 0 are left out. A
// balance beyond 32 bits is an overflow error.
Result<std::vector<OpeningBalance>> CarriedOpenings(const TrialBalance& tb);

// The books of the year in `s` read from its files (FURIKAE<nn>.DAT and KAMOKU.DAT)
// with their trial balance; nullopt when the year keeps no slip book.
struct YearTrial {
    SlipBook book;
    ItemAccountArray chosen{};
    TrialBalance tb;
};
Result<std::optional<YearTrial>> ReadYearTrial(const SharedState& s);

// The slip book the next year starts from: the carried openings of the year in `s`
// (read from its files: the cash book, KAMOKU.DAT and FURIKAE<nn>.DAT, with the closing
// entries of its tax-return tables) and no slips. nullopt when the year keeps no slip
// book: its next year gets none either.
Result<std::optional<SlipBook>> NextYearSlipBook(const SharedState& s);

// The day the closing entries are dated: 31 December of the fiscal year, YYMMDD.
std::string ClosingDate(const SharedState& s);

}  // namespace tabulo
