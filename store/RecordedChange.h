#pragma once
// A change to one of the year's books written together with the history records that
// describe it, as one operation under the cash book's redo log: after a power cut the
// history holds the records exactly when the file holds the change.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/FileError.h"
#include "store/History.h"
#include "store/Journal.h"

namespace tabulo {

struct SharedState;

// The redo log of the year (KEIRI<nn>.JNL beside the cash book), also when the cash
// book's path is not set yet.
std::filesystem::path YearJournalPath(const SharedState& s);

// Writes `file` and appends `records` (stamped with the time now, numbered by the
// history) in one commit. The records are staged first: a history that cannot take
// them (its end damaged, a record it cannot hold) refuses the save with a message
// naming the history file, and nothing is written. A file whose contents stay as they
// are is not written, and its records are not appended either. Gives the Sequence of
// the first record appended (0 when none was).
Result<std::uint32_t> CommitRecorded(const SharedState& s, const StagedFile& file,
                                     std::vector<HistoryRecord> records);

// The deposit changes between two contents of YOKIN<nn>.DAT: one DepositChange record
// for each account whose own fields differ, holding its bytes as the history keeps
// them (DepositAccountBytes: its fields, then the book's totals), Target = the
// account's slot. A missing or short file counts as the cleared book.
std::vector<HistoryRecord> DepositChangeRecords(std::span<const std::byte> before,
                                                std::span<const std::byte> after);

}  // namespace tabulo
