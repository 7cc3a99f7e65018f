#pragma once
// The printouts of the double-entry books, as pages of drawing operations on A4
// portrait: the journal (仕訳帳) and the general ledger of one account (総勘定元帳).
// Each page has the business name, the title with the year, the column heads, 48
// rows and its page number; the printer layer plays the pages, and the window's
// screens and tabulo-cli print the same pages.

#include <string>
#include <string_view>
#include <vector>

#include "books/TrialBalance.h"
#include "platform/PrintDocument.h"

namespace tabulo {

inline constexpr int kBookRowsPerPage = 48;

// The opening balances (期首残高, one side each) and then every entry of `journal`:
// 日付, 借方科目, 貸方科目, 金額, 摘要, 出所.
PrintDocument PrintJournal(const SharedState& s, const SlipBook& book,
                           const std::vector<BookEntry>& journal);

// The ledger of one account: 前期繰越, every entry with 日付, 相手科目, 摘要, 借方, 貸方
// and the running 残高 on the account's own side, then the totals.
PrintDocument PrintGeneralLedger(const SharedState& s, const GeneralLedger& ledger);

// The trial balance as its screen shows it: 勘定科目, 期首残高, 借方, 貸方, 期末残高
// (balances signed with debit positive), the totals last.
PrintDocument PrintTrialBalance(const SharedState& s, const TrialBalance& tb);

// The account a user names by its code ("101") or its name as the books show it
// ("現金"); 0 when none is so named.
int AccountNamed(std::string_view text, const ItemTableArray& items);

}  // namespace tabulo
