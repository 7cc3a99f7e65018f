#pragma once
// The links between the books: from a posting in an account's ledger to its journal
// entry and to the cash-book line or slip the entry came from, and back from a
// journal entry to its postings in the ledgers of both its accounts, and from a
// cash-book line or a slip to its journal entry. The screens only follow these.
//
// Rows are those of the views (BookRows.h): the journal lists the opening balances
// first, then one row per entry; a ledger lists 前期繰越 first, one row per posting,
// and the totals last.

#include <cstddef>
#include <optional>
#include <vector>

#include "books/Entries.h"
#include "books/TrialBalance.h"

namespace tabulo {

// Where an entry was kept: its source (cash book, slip, closing entry) and number.
struct EntryKey {
    BookEntry::Source source = BookEntry::CashBook;
    int number = 0;
    bool operator==(const EntryKey&) const = default;
};

inline EntryKey KeyOf(const BookEntry& e) { return {e.source, e.number}; }

// The entry of `journal` kept at `key`; nullopt when that line or slip makes no entry
// (a carry-over line, an amount of 0, a number past the end).
std::optional<std::size_t> FindEntry(const std::vector<BookEntry>& journal, EntryKey key);

// How many rows the journal view shows before its first entry (the opening balances).
int JournalOpeningRows(const SlipBook& book);
// The journal view's row of entry `index`, and the entry of a row (nullopt for an
// opening balance's row or a row past the end).
int JournalRowOfEntry(const SlipBook& book, std::size_t index);
std::optional<std::size_t> EntryOfJournalRow(const std::vector<BookEntry>& journal,
                                             const SlipBook& book, int row);

// The entry a ledger view's row posts (nullopt for 前期繰越 and the totals). `ledger`
// must have been built from `journal`.
std::optional<std::size_t> EntryOfLedgerRow(const std::vector<BookEntry>& journal,
                                            const GeneralLedger& ledger, int row);
// The ledger view's row of the posting of entry `index` (nullopt when the entry does
// not touch the ledger's account).
std::optional<int> LedgerRowOfEntry(const std::vector<BookEntry>& journal,
                                    const GeneralLedger& ledger, std::size_t index);

// A place in a ledger: the account and the entry posted there.
struct LedgerPlace {
    int account = 0;
    std::size_t entry = 0;
    bool operator==(const LedgerPlace&) const = default;
};
// The postings of an entry: in the ledger of its debit account, and of its credit one.
LedgerPlace DebitPosting(const std::vector<BookEntry>& journal, std::size_t index);
LedgerPlace CreditPosting(const std::vector<BookEntry>& journal, std::size_t index);
// From the posting of entry `index` in the ledger of `account` to the same entry in
// the ledger of the account on its other side.
LedgerPlace CounterpartPosting(const std::vector<BookEntry>& journal, std::size_t index,
                               int account);

// What the screens say when a link leads nowhere.
inline constexpr const char* kNoEntryOnRow = "この行には仕訳がありません。";
inline constexpr const char* kNoEntryForSource = "この行からは仕訳が作られていません。";
inline constexpr const char* kCashBookScreenBelow =
    "出納簿の画面が開いています。その画面に戻ってから表示してください。";
inline constexpr const char* kSlipScreenBelow =
    "振替伝票の画面が開いています。その画面に戻ってから表示してください。";
inline constexpr const char* kClosingHasNoSource =
    "決算整理の仕訳は申告書の数字から作られます（入力した行や伝票はありません）。";

}  // namespace tabulo
