#pragma once
// The chart of accounts of the double-entry books, as data: the profit-and-loss lines
// of statement page 1 (code = the line number) and the balance-sheet rows of page 4
// (codes from 101 for the asset column, 201 for the liability and capital column).
// Every screen, report and export names accounts through this table.

#include <span>
#include <string>

#include "store/Records.h"

namespace tabulo {

enum class AccountSide { Asset, Liability, Capital, Income, Expense };

struct Account {
    int code = 0;
    const char* name = "";  // empty for a free line, named after its first item
    AccountSide side = AccountSide::Asset;
};

namespace AccountCode {
inline constexpr int Sales = 1;           // 売上（収入）金額
inline constexpr int OpeningStock = 2;    // 期首商品棚卸高: closing entries only
inline constexpr int Purchases = 3;       // 仕入金額
inline constexpr int ClosingStock = 5;    // 期末商品棚卸高: closing entries only
inline constexpr int Depreciation = 18;   // 減価償却費
inline constexpr int Cash = 101;          // 現金
inline constexpr int Deposits = 104;      // その他の預金: where the cash book's deposit lines go
inline constexpr int Receivables = 106;   // 売掛金
inline constexpr int Stock = 108;         // 棚卸資産
inline constexpr int OwnerDrawings = 130; // 事業主貸
inline constexpr int Payables = 202;      // 買掛金
inline constexpr int Loans = 203;         // 借入金
inline constexpr int OwnerContributions = 301;  // 事業主借
inline constexpr int Capital = 302;             // 元入金
// Where a cash-book line goes whose item names no account: the books still balance,
// and the check names the item.
inline constexpr int Unassigned = 999;
inline constexpr int Limit = 1000;  // every code is below this
}  // namespace AccountCode

// Every account, page-1 lines first in line order, then page 4 in its row order.
std::span<const Account> ChartOfAccounts();
// The account of `code`, or null when the chart has none.
const Account* FindAccount(int code);
// A balance-sheet account (page 4): the only kind an item may be given by hand and
// the only kind with an opening balance.
bool IsBalanceSheetAccount(int code);
// An account a transfer slip may name: any of the chart but 未設定科目 and the stock
// lines, which are typed on page 1 and posted by the closing entries only.
bool SlipAccount(int code);
// True when the account's balance grows on the debit side (assets, expenses, 事業主貸).
bool DebitNormal(int code);

// The account's name as the books show it. The free lines of page 1 (25–30, 35, 36,
// 40, 41) take the name of the first item, in item order, that feeds them, as page 1
// captions them, else "科目" and the line number.
std::string AccountName(int code, const ItemTableArray& items);

// The accounts an item may be given by hand, per item 1..50 (index 0 unused);
// 0 = none chosen.
using ItemAccountArray = std::array<std::int16_t, kItemCount + 1>;

// The account an item's cash-book lines post to besides cash or deposits: the page-1
// line its statement code names (not the stock lines 2 and 5, which only the closing
// entries post to), else the balance-sheet account chosen for it, else
// 0 (none). Item numbers outside 1..50 have none.
int ItemAccount(int itemNo, const ItemTableArray& items, const ItemAccountArray& chosen);

}  // namespace tabulo
