#include "books/BookLinks.h"

#include <algorithm>

namespace tabulo {

std::optional<std::size_t> FindEntry(const std::vector<BookEntry>& journal, EntryKey key) {
    const auto at = std::find_if(journal.begin(), journal.end(),
                                 [&](const BookEntry& e) { return KeyOf(e) == key; });
    if (at == journal.end()) return std::nullopt;
    return static_cast<std::size_t>(at - journal.begin());
}

int JournalOpeningRows(const SlipBook& book) {
    // The view lists the openings of the chart's accounts, account by account.
    int rows = 0;
    for (const Account& a : ChartOfAccounts())
        rows += static_cast<int>(std::count_if(book.Openings.begin(), book.Openings.end(),
                                               [&](const OpeningBalance& o) { return o.AccountCode == a.code; }));
    return rows;
}

int JournalRowOfEntry(const SlipBook& book, std::size_t index) {
    return JournalOpeningRows(book) + static_cast<int>(index);
}

std::optional<std::size_t> EntryOfJournalRow(const std::vector<BookEntry>& journal,
                                             const SlipBook& book, int row) {
    const int index = row - JournalOpeningRows(book);
    if (index < 0 || static_cast<std::size_t>(index) >= journal.size()) return std::nullopt;
    return static_cast<std::size_t>(index);
}

std::optional<std::size_t> EntryOfLedgerRow(const std::vector<BookEntry>& journal,
                                            const GeneralLedger& ledger, int row) {
    // Row 0 is 前期繰越; the totals follow the last posting.
    if (row < 1 || static_cast<std::size_t>(row) > ledger.rows.size()) return std::nullopt;
    const BookEntry* e = ledger.rows[static_cast<std::size_t>(row - 1)].entry;
    if (e == nullptr || journal.empty() || e < journal.data() || e >= journal.data() + journal.size())
        return std::nullopt;
    return static_cast<std::size_t>(e - journal.data());
}

std::optional<int> LedgerRowOfEntry(const std::vector<BookEntry>& journal,
                                    const GeneralLedger& ledger, std::size_t index) {
    if (index >= journal.size()) return std::nullopt;
    const BookEntry* wanted = &journal[index];
    for (std::size_t r = 0; r < ledger.rows.size(); ++r)
        if (ledger.rows[r].entry == wanted) return static_cast<int>(r + 1);
    return std::nullopt;
}

LedgerPlace DebitPosting(const std::vector<BookEntry>& journal, std::size_t index) {
    return {journal.at(index).posting.debit, index};
}

LedgerPlace CreditPosting(const std::vector<BookEntry>& journal, std::size_t index) {
    return {journal.at(index).posting.credit, index};
}

LedgerPlace CounterpartPosting(const std::vector<BookEntry>& journal, std::size_t index,
                               int account) {
    const Posting& p = journal.at(index).posting;
    // As the ledger reads it: the debit side when the account is on both.
    return {p.debit == account ? p.credit : p.debit, index};
}

}  // namespace tabulo
