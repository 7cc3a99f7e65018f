#pragma once
// The rollback journal of the cash book. Before the first byte of KEIRI<nn>.DAT or
// YOKIN<nn>.DAT changes, the old bytes of every range an operation writes, with the
// files' old lengths, go into KEIRI<nn>.JNL beside the ledger and are flushed; then
// the files are written and flushed; clearing the journal's mark is the commit point.
// The file itself stays between operations (creating and removing a file each time
// would cost the file system a commit of its own) and is removed when the data are
// next read. A journal found with its mark set (the program was killed, the power
// went) is rolled back then, so both files hold what they held before that
// operation. A journal whose own write was cut short fails its checksum: the data
// files were never touched, and it is simply removed. Nothing else reads or writes
// these files.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

// [begin, end) of a file.
struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// One file an operation changes: its contents before and after, and the ranges of
// `after` that differ (written in place at the same offsets; they do not overlap).
struct FileChange {
    std::filesystem::path path;
    bool existed = true;  // false: the operation creates the file (rolled back by removal)
    std::span<const std::byte> before;
    std::span<const std::byte> after;
    std::vector<ByteRange> ranges;
    // When the writer knows which bytes it touched: sorted, non-overlapping runs
    // that together hold every byte of `ranges` whose new value differs from the old
    // one. The journal then looks only inside them instead of comparing the whole of
    // `ranges`. Empty: the journal compares `ranges`.
    std::vector<ByteRange> touched;
};

// A file's contents before and after, owned; Change() gives the range that differs.
struct StagedFile {
    std::filesystem::path path;
    bool existed = true;
    std::vector<std::byte> before;
    std::vector<std::byte> after;
    FileChange Change() const;
};

// KEIRI13.DAT -> KEIRI13.JNL.
std::filesystem::path JournalPathFor(const std::filesystem::path& ledgerPath);

// Whether `journal` holds a journal that still counts (or the remains of one whose
// own write was cut short): the mark at its start is not cleared.
bool JournalIsLive(const std::filesystem::path& journal);

// Writes the changes under the journal `journal`. Ok: every file holds its `after`.
// An error: every file holds its `before` (or, when even putting them back failed,
// the journal stays and the next read of the data puts them back).
Status CommitChanges(const std::filesystem::path& journal, std::span<const FileChange> changes);

enum class Recovery {
    None,        // no journal
    RolledBack,  // a whole journal: the files got their old bytes back
    TornRemoved  // a journal cut short: the files were never touched
};
// Reading the data removes the journal file; an operation that finds a journal that
// still counts clears its mark and keeps the file for its own journal.
enum class AfterRecovery { Remove, Keep };
// Rolls back the journal `journal` if one counts. An error leaves the journal in
// place (the next read tries again).
Result<Recovery> RecoverJournal(const std::filesystem::path& journal,
                                AfterRecovery after = AfterRecovery::Remove);

// The journal's bytes (exposed for the tests and the fuzzer); each run of old bytes
// comes back as one JournalRange.
// Layout, little-endian: the mark "TABJRNL1" (eight zero bytes once cleared), u32
// length of the body and u64 checksum of it; the body: u32 number of files; for each file: u16 name
// length, the file name (no folder), u8 existed, u64 old length, u32 number of runs,
// and for each run of changed bytes u32 distance from the end of the run before (the
// first: from byte 0), u16 count and that many old bytes. Bytes an operation
// rewrites unchanged are not kept: putting them back would change nothing.
std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes);
struct JournalRange {
    std::uint64_t offset = 0;
    std::vector<std::byte> oldBytes;
};
struct JournalEntry {
    std::string name;
    bool existed = true;
    std::uint64_t oldLength = 0;
    std::vector<JournalRange> ranges;
};
// An empty result with ok() false means torn or not ours.
Result<std::vector<JournalEntry>> DecodeJournal(std::span<const std::byte> bytes);

}  // namespace tabulo
