#include "books/Entries.h"

#include <algorithm>

#include "books/Closing.h"
#include "cashbook/Overflow.h"
#include "store/BinaryRecords.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {
// Where a cash-book line keeps its remarks (16 bytes), from the start of the line.
constexpr std::size_t kRemarksOffset = 26;
}  // namespace

Result<std::optional<Posting>> DeriveEntry(int itemNo, Amount indata, Amount outdata,
                                           const ItemTableArray& items,
                                           const ItemAccountArray& chosen) {
    if (itemNo < 1 || itemNo > kItemCount) return std::optional<Posting>{};
    const int kubun = items[static_cast<std::size_t>(itemNo)].ItemKubun;
    const bool incomeSide = kubun >= Kubun::Income && kubun <= Kubun::IntoAccount;
    const bool expenseSide = kubun >= Kubun::Expense && kubun <= Kubun::DebitAccount;
    if (!incomeSide && !expenseSide) return std::optional<Posting>{};
    const std::int64_t net = incomeSide ? std::int64_t{indata} - outdata
                                        : std::int64_t{outdata} - indata;
    auto amount = CheckedAmount(net);
    if (!amount) return OverflowError();
    if (*amount == 0) return std::optional<Posting>{};

    Posting p;
    p.amount = *amount;
    int own = ItemAccount(itemNo, items, chosen);
    if (own == 0 && kubun != Kubun::FromAccount && kubun != Kubun::Deposit) {
        own = AccountCode::Unassigned;
        p.unassigned = true;
    }
    using namespace AccountCode;
    switch (kubun) {
        case Kubun::Income: p.debit = Cash, p.credit = own; break;
        case Kubun::FromAccount: p.debit = Cash, p.credit = Deposits; break;
        case Kubun::IntoAccount: p.debit = Deposits, p.credit = own; break;
        case Kubun::Expense: p.debit = own, p.credit = Cash; break;
        case Kubun::Deposit: p.debit = Deposits, p.credit = Cash; break;
        default: p.debit = own, p.credit = Deposits; break;  // 口座引落とし
    }
    return std::optional<Posting>{p};
}

const char* EntrySourceName(BookEntry::Source source) {
    switch (source) {
        case BookEntry::CashBook: return "出納簿";
        case BookEntry::Slip: return "振替伝票";
        case BookEntry::Closing: break;
    }
    return "決算整理";
}

Result<std::vector<BookEntry>> BuildJournal(const SharedState& s, const SlipBook& book,
                                               const ItemAccountArray& chosen) {
    // Slips by date, those of one day in the order they were kept.
    std::vector<std::size_t> slipOrder(book.Slips.size());
    for (std::size_t i = 0; i < slipOrder.size(); ++i) slipOrder[i] = i;
    std::stable_sort(slipOrder.begin(), slipOrder.end(), [&](std::size_t a, std::size_t b) {
        return book.Slips[a].SlipDate < book.Slips[b].SlipDate;
    });
    std::vector<BookEntry> journal;
    journal.reserve(static_cast<std::size_t>(std::max<int>(s.LedgerHeader.LineCount, 0)) +
                    book.Slips.size());
    std::size_t nextSlip = 0;
    auto slipsBefore = [&](const std::string& date, bool through) {
        while (nextSlip < slipOrder.size()) {
            const std::size_t i = slipOrder[nextSlip];
            const TransferSlip& slip = book.Slips[i];
            if (through ? slip.SlipDate > date : slip.SlipDate >= date) break;
            BookEntry e;
            e.source = BookEntry::Slip;
            e.number = static_cast<int>(i) + 1;
            e.date = slip.SlipDate;
            e.posting = {slip.DebitCode, slip.CreditCode, slip.SlipAmount, false};
            e.remarks = slip.SlipRemarks;
            journal.push_back(std::move(e));
            ++nextSlip;
        }
    };

    std::string date;
    ItemYearTotals itemTotals{};
    Status walked = WalkCashBookEntries(s, chosen, [&](LedgerFile& file, int n, const std::byte* raw,
                                                       const std::optional<Posting>& posting) -> Status {
        AddItemTotal(itemTotals, raw);
        const bool posts = posting.has_value();
        // A dated line sets the day even when it posts nothing (a carry-over); the
        // texts are decoded only for a line that posts.
        const char* text = reinterpret_cast<const char*>(raw) + kLedgerDateOffset;
        const bool plainDate = std::all_of(text, text + 6, [](char c) {
            return c == ' ' || (c >= '0' && c <= '9');
        });
        std::string lineDate;
        std::optional<std::string> remarks;
        if (plainDate) lineDate = Trim(std::string_view(text, 6));
        if (posts) remarks = FromCp932(std::string_view(text + kRemarksOffset, 16));
        if (!plainDate || (posts && !remarks)) {
            // A date or remarks that are not plain text: the line read whole says
            // what is wrong with it.
            auto line = file.ReadLine(n);
            if (!line) return line.error();
            lineDate = Trim(line->NenGetsuBi);
            remarks = line->Bikou;
        }
        if (!lineDate.empty()) date = lineDate;
        if (!posts) return Ok();
        slipsBefore(date, false);
        BookEntry e;
        e.number = n;
        e.date = date;
        e.posting = *posting;
        e.itemNo = GetRawInteger(raw + kLedgerItemOffset);
        e.remarks = TrimRight(*remarks);
        journal.push_back(std::move(e));
        return Ok();
    });
    if (!walked) return walked.error();
    slipsBefore("999999", true);  // the rest, after the last cash-book line
    auto closing = YearClosingEntries(s, chosen, itemTotals);
    if (!closing) return closing.error();
    const std::string yearEnd = ClosingDate(s);
    for (std::size_t i = 0; i < closing->size(); ++i) {
        BookEntry e;
        e.source = BookEntry::Closing;
        e.number = static_cast<int>(i) + 1;
        e.date = yearEnd;
        e.posting = (*closing)[i].posting;
        e.remarks = std::move((*closing)[i].remarks);
        journal.push_back(std::move(e));
    }
    return journal;
}

}  // namespace tabulo
