#pragma once
// The journal (仕訳帳) of the year: every cash-book line read as a journal entry,
// derived from the line and its item and never stored twice, and the transfer slips.
// DeriveEntry is the one place that says how a cash-book line posts; the journal, the
// trial balance, the ledgers, the check and the exports all go through it.

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <optional>
#include <string>
#include <vector>

#include "books/Accounts.h"
#include "books/BooksFiles.h"
#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"

namespace tabulo {

struct Posting {
    int debit = 0;
    int credit = 0;
    Amount amount = 0;
    // The item names no account: its side went to 未設定科目.
    bool unassigned = false;
};

// The entry of a cash-book line whose item is `itemNo`, by the item's category:
//   1 収入          現金 / the item's account     4 支出          the item's account / 現金
//   2 預金繰り入れ  現金 / 預金                   5 預金          預金 / 現金
//   3 口座振り込み  預金 / the item's account     6 口座引落とし  the item's account / 預金
//   7 繰越 and lines without an item: no entry (the carry-over only restarts the
//   month's running balance; the cash it names is already in the books).
// The amount is the line's income less its expense for categories 1–3, the expense
// less the income for 4–6; a line whose amount is 0 makes no entry. A negative amount
// (a correction typed with a minus) stays negative on the same sides. nullopt: no
// entry. An amount beyond 32 bits is an overflow error.
Result<std::optional<Posting>> DeriveEntry(int itemNo, Amount indata, Amount outdata,
                                           const ItemTableArray& items,
                                           const ItemAccountArray& chosen);

// Calls visit(file, n, raw, posting) for every line n of the cash book, with the
// line's stored bytes and its entry (nullopt when it makes none); the amounts are
// read in place. A visit that fails ends the walk with its error. An empty year
// opens no file.
template <class Visit>
Status WalkCashBookEntries(const SharedState& s, const ItemAccountArray& chosen, Visit visit) {
    const int count = s.LedgerHeader.LineCount;
    if (count < 1) return Ok();
    auto file = OpenYearLedger(s);
    if (!file) return file.error();
    for (int n = 1; n <= count; ++n) {
        const std::byte* raw = file->FindRawLine(n);
        if (raw == nullptr) return file->ReadLine(n).error();  // names the short file
        const RawLineFields f =
            ReadRawLineFields(std::span<const std::byte, kLedgerLineSize>(raw, kLedgerLineSize));
        auto posting = DeriveEntry(f.itemNo, f.indata, f.outdata, s.ItemTable, chosen);
        if (!posting) return posting.error();
        if (Status st = visit(*file, n, raw, *posting); !st) return st;
    }
    return Ok();
}

// A date as an entry keeps it: "YYMMDD", or shorter as the cash book holds it. Kept in
// the entry itself (a year's journal holds some ten thousand): at most six characters,
// more are cut.
class EntryDate {
  public:
    EntryDate() = default;
    EntryDate(std::string_view text) : size_(static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), kMax))) {
        std::copy_n(text.data(), size_, text_.data());
    }
    EntryDate(const std::string& text) : EntryDate(std::string_view(text)) {}
    EntryDate(const char* text) : EntryDate(std::string_view(text)) {}
    std::string_view view() const { return {text_.data(), size_}; }
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string substr(std::size_t at, std::size_t n = std::string::npos) const {
        return std::string(view().substr(at, n));
    }
    friend bool operator==(const EntryDate& a, const EntryDate& b) { return a.view() == b.view(); }
    friend auto operator<=>(const EntryDate& a, const EntryDate& b) { return a.view() <=> b.view(); }
    friend bool operator==(const EntryDate& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const EntryDate& a, const char* b) { return a.view() == std::string_view(b); }
    friend std::ostream& operator<<(std::ostream& out, const EntryDate& d) { return out << d.view(); }

  private:
    static constexpr std::size_t kMax = 6;
    std::array<char, kMax> text_{};
    std::uint8_t size_ = 0;
};

struct BookEntry {
    // Closing: a closing entry of the year end (Closing.h), made, never stored.
    enum Source : std::uint8_t { CashBook, Slip, Closing };
    Source source = CashBook;
    int number = 0;    // the cash-book line, the slip or the closing entry (1-based)
    EntryDate date;    // YYMMDD; a cash-book line without a date takes the one before it
    Posting posting;
    int itemNo = 0;    // cash-book lines
    std::string remarks;
};

// Where an entry comes from, as the journal names it: 出納簿, 振替伝票 or 決算整理.
const char* EntrySourceName(BookEntry::Source source);

// The year's entries in date order: cash-book lines in their order, each slip after
// the cash-book lines of its day and before the next day's (slips of one day in the
// order they were kept), then the closing entries dated 31 December. Reads the
// ledger; an empty year opens no file.
Result<std::vector<BookEntry>> BuildJournal(const SharedState& s, const SlipBook& book,
                                            const ItemAccountArray& chosen);

}  // namespace tabulo

