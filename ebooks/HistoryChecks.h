#pragma once
// What a year's history holds that shows it is not the history the program wrote:
// records the program could never write, and a history that no longer reaches the
// books' last changes (emptied, or cut off at a record boundary). `check` reports
// them; every rule is the program's own.
//
// No file of the year has room to keep the history's last record number and check
// value with the books (the cash book's header, the slip book and the item accounts
// have none; the deposit book's spare slot is written back by the deposit screen from
// its own copy, and is not written by the slips' changes), so a cut is found from what
// the records and the books show together:
//   - a history file that holds no record (the program writes the file's header only
//     together with its first record);
//   - records of the cash book or the slip book that, played from the first record on,
//     do not give the lines or slips the books hold now: a change made after the last
//     record left is missing. Lines and slips from before the history began (an older
//     year, a sample) count as unknown and are not compared; the balances of the cash
//     book's lines are worked out again by the walks and are not compared either.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "store/History.h"

namespace tabulo {

struct HistoryCheckFinding {
    std::uint32_t Sequence = 0;  // the record the finding is about (0: the file)
    std::string Text;            // in Japanese
    std::string TextEn;          // the same in English
};

// Each record the program could never have written: bytes of a size its operation
// never stores (a 1-byte cash-book line), a target outside what its operation names (a
// line, a slip, an account, an item), an undo of itself or of a later record.
std::vector<HistoryCheckFinding> ImpossibleHistoryRecords(const std::vector<HistoryRecord>& records);

// Whether the history's bytes hold its header and nothing else, or nothing at all.
bool HistoryHoldsNoRecord(std::span<const std::byte> bytes);

// The cash book's stored lines (the ledger file's bytes) and the slip book's bytes
// against the records of the history, as above. `ledger` or `slips` empty: the book is
// not there (no line, no slip).
std::vector<HistoryCheckFinding> HistoryAgainstBooks(const std::vector<HistoryRecord>& records,
                                                     std::span<const std::byte> ledger,
                                                     std::span<const std::byte> slips);

// Both of the above worked out record by record as a history is read, keeping only
// what the comparison needs (a copy of each line and slip the records give, not the
// records).
class HistoryCheckReading {
  public:
    HistoryCheckReading();
    ~HistoryCheckReading();
    HistoryCheckReading(const HistoryCheckReading&) = delete;
    HistoryCheckReading& operator=(const HistoryCheckReading&) = delete;

    void Add(const HistoryRecordView& r);
    const std::vector<HistoryCheckFinding>& Impossible() const { return impossible_; }
    std::vector<HistoryCheckFinding> AgainstBooks(std::span<const std::byte> ledger,
                                                  std::span<const std::byte> slips) const;

  private:
    struct Books;
    std::unique_ptr<Books> books_;
    std::vector<HistoryCheckFinding> impossible_;
};

}  // namespace tabulo
