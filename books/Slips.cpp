#include "books/Slips.h"

#include <algorithm>
#include <cstdint>

#include "cashbook/Overflow.h"

#include "books/TrialBalance.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

FileError Refused(const SharedState& s, std::string why) {
    return FileError{FileErrorCode::BadFormat, SlipBookPath(s).string(), std::move(why), true};
}

// The changed book is checked whole, as the trial balance will read it, then saved;
// the book in memory follows what the file holds.
Status SaveChecked(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                   SlipBook changed) {
    if (std::string why = SlipBookFault(changed); !why.empty()) return Refused(s, why);
    auto tb = BuildTrialBalance(s, changed, chosen);
    if (!tb) return tb.error();
    // An interrupted cash-book operation is settled first, so that no older journal
    // can later be applied over the folder this save changes.
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    Status st = SaveSlipBook(SlipBookPath(s), changed);
    if (st || st.error().applied) book = std::move(changed);
    return st;
}

// Why a slip cannot be kept in this year, or "".
std::string SlipYearFault(const SharedState& s, const TransferSlip& slip) {
    if (std::string why = SlipFault(slip); !why.empty()) return why;
    if (slip.SlipDate.substr(0, 2) != YearTag(s.FiscalYear) ||
        WeekdayText(slip.SlipDate, s.EraName).empty())
        return kSlipYearMessage;
    return {};
}

}  // namespace

Status KeepSlip(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                const TransferSlip& slip) {
    if (std::string why = SlipYearFault(s, slip); !why.empty()) return Refused(s, why);
    SlipBook changed = book;
    changed.Slips.push_back(slip);
    return SaveChecked(s, chosen, book, std::move(changed));
}

Status ChangeSlip(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index, const TransferSlip& slip) {
    if (index >= book.Slips.size()) return Refused(s, "その振替伝票はありません。");
    if (std::string why = SlipYearFault(s, slip); !why.empty()) return Refused(s, why);
    SlipBook changed = book;
    changed.Slips[index] = slip;
    return SaveChecked(s, chosen, book, std::move(changed));
}

Status DeleteSlip(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index) {
    if (index >= book.Slips.size()) return Refused(s, "その振替伝票はありません。");
    SlipBook changed = book;
    changed.Slips.erase(changed.Slips.begin() + static_cast<std::ptrdiff_t>(index));
    return SaveChecked(s, chosen, book, std::move(changed));
}

std::vector<std::size_t> SlipsByDate(const SlipBook& book) {
    std::vector<std::size_t> order(book.Slips.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return book.Slips[a].SlipDate < book.Slips[b].SlipDate;
    });
    return order;
}

Result<OpeningSides> SumOpenings(const std::vector<OpeningBalance>& openings) {
    std::int64_t debit = 0, credit = 0;
    for (const OpeningBalance& o : openings) (DebitNormal(o.AccountCode) ? debit : credit) += o.Balance;
    auto d = CheckedAmount(debit), c = CheckedAmount(credit);
    if (!d || !c) return OverflowError();
    return OpeningSides{*d, *c};
}

Result<Amount> BalancingCapital(const std::vector<OpeningBalance>& openings) {
    std::int64_t capital = 0;
    for (const OpeningBalance& o : openings) {
        if (o.AccountCode == AccountCode::Capital) continue;
        capital += DebitNormal(o.AccountCode) ? std::int64_t{o.Balance} : -std::int64_t{o.Balance};
    }
    // The lowest 32-bit value has no opposite: the books negate balances.
    auto amount = CheckedAmount(capital);
    if (!amount || *amount == INT32_MIN) return OverflowError();
    return *amount;
}

Status KeepItemAccounts(const SharedState& s, const SlipBook& book, ItemAccountArray& chosen,
                        const ItemAccountArray& changed) {
    for (int i = 1; i <= kItemCount; ++i) {
        const int code = changed[static_cast<std::size_t>(i)];
        if (code != 0 && !IsBalanceSheetAccount(code))
            return FileError{FileErrorCode::BadFormat, ItemAccountsPath(s).string(),
                             "項目 " + std::to_string(i) + " の勘定科目は貸借対照表の科目ではありません。",
                             true};
    }
    auto tb = BuildTrialBalance(s, book, changed);
    if (!tb) return tb.error();
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    Status st = SaveItemAccounts(ItemAccountsPath(s), changed);
    if (st || st.error().applied) chosen = changed;
    return st;
}

Status KeepOpenings(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                    const std::vector<OpeningBalance>& openings) {
    SlipBook changed = book;
    changed.Openings = openings;
    return SaveChecked(s, chosen, book, std::move(changed));
}

}  // namespace tabulo
