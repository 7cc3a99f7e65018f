#pragma once
// The most bytes each file of the books may hold, one limit per file. The writer of a
// file refuses a change that would take it past its limit, and every reader (the
// screens, the command line, the copies and the restore of a year, the settling of the
// redo log) takes the file in up to the same limit: a file the program wrote is always
// one it can read back.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"

namespace tabulo {

// YOKIN<nn>.DAT: its record (and whatever follows it).
inline constexpr std::uint64_t kMaxDepositFileSize = 1ull << 20;
// RIREKI<nn>.DAT, the history of changes: some 130,000 changes of cash-book lines.
inline constexpr std::uint64_t kMaxHistoryFileSize = 16ull << 20;
// FURIKAE<nn>.DAT, the slip book: some 440,000 slips.
inline constexpr std::uint64_t kMaxSlipFileSize = 16ull << 20;
// KAMOKU.DAT: 50 short lines.
inline constexpr std::uint64_t kMaxItemAccountsFileSize = 1ull << 20;

// The limit of the file of this name in a data folder: the ones above, the cash book's
// kMaxLedgerFileSize, and kMaxWholeFileSize for every other file.
std::uint64_t FileSizeLimit(std::string_view name);

}  // namespace tabulo
