#pragma once
// The texts of the double-entry view screens: the journal, the general ledger of one
// account and the trial balance, row by row as the screens show them. Amounts are
// formatted with thousands separators; dates stay YYMMDD as the cash book shows them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "books/TrialBalance.h"

namespace tabulo {

// 日付, 借方科目, 貸方科目, 金額, 摘要, 出所. The opening balances come first, dated
// "期首", each on its own side.
using JournalViewRow = std::array<std::string, 6>;
std::vector<JournalViewRow> JournalViewRows(const std::vector<BookEntry>& journal,
                                            const SlipBook& book, const ItemTableArray& items);

// The same rows one at a time, for a screen that puts into words only the rows it
// shows. It keeps references: `journal`, `book` and `items` must outlive it.
class JournalView {
  public:
    JournalView(const std::vector<BookEntry>& journal, const SlipBook& book, const ItemTableArray& items);
    std::size_t RowCount() const { return openings_.size() + journal_.size(); }
    JournalViewRow Row(std::size_t row) const;

  private:
    const std::vector<BookEntry>& journal_;
    const SlipBook& book_;
    const ItemTableArray& items_;
    std::vector<std::size_t> openings_;  // the book's opening balances in the chart's order
};

// 日付, 相手科目, 摘要, 借方, 貸方, 残高: the opening balance (前期繰越) first, every
// entry with the running balance on the account's own side, the totals (合計) last.
using LedgerViewRow = std::array<std::string, 6>;
std::vector<LedgerViewRow> LedgerViewRows(const GeneralLedger& ledger,
                                          const ItemTableArray& items);

// The same rows one at a time (see JournalView); `ledger` and `items` must outlive it.
class LedgerView {
  public:
    LedgerView(const GeneralLedger& ledger, const ItemTableArray& items);
    std::size_t RowCount() const { return ledger_.rows.size() + 2; }
    LedgerViewRow Row(std::size_t row) const;

  private:
    const GeneralLedger& ledger_;
    const ItemTableArray& items_;
    std::int64_t debit_ = 0, credit_ = 0;  // the totals of the last row
};

// 勘定科目, 期首残高, 借方, 貸方, 期末残高 (balances signed with debit positive), one row
// per account of the trial balance and the totals (合計) last: the debits equal the
// credits and the balances sum to 0 when the books balance.
using TrialBalanceViewRow = std::array<std::string, 5>;
std::vector<TrialBalanceViewRow> TrialBalanceViewRows(const TrialBalance& tb,
                                                      const ItemTableArray& items);

// What the trial balance screen says under the figures: whether debits equal credits,
// and the cash-book lines whose item has no account.
std::string TrialBalanceNote(const TrialBalance& tb, const ItemTableArray& items);
inline constexpr const char* kBooksBalance = "借方と貸方は一致しています。";
inline constexpr const char* kBooksDoNotBalance = "借方と貸方が一致していません。";

// 番号, 日付, 借方科目, 貸方科目, 金額, 摘要: the slips in date order (slips of one day
// in the order kept), numbered in the order kept; `order` receives the slip of each row.
using SlipViewRow = std::array<std::string, 6>;
std::vector<SlipViewRow> SlipViewRows(const SlipBook& book, const ItemTableArray& items,
                                      std::vector<std::size_t>& order);

// The accounts the general ledger lists: those with an opening balance or an entry,
// in the chart's order.
std::vector<int> LedgerAccounts(const std::vector<BookEntry>& journal, const SlipBook& book);

// "出納簿 12" or "振替伝票 3": where an entry comes from.
std::string EntrySourceText(const BookEntry& entry);

// The accounts a screen lists to choose from: code and name, in the chart's order.
// `balanceSheetOnly` keeps the page-4 accounts.
struct AccountChoice {
    int code = 0;
    std::string name;
};
std::vector<AccountChoice> AccountChoices(const ItemTableArray& items, bool balanceSheetOnly);

}  // namespace tabulo
