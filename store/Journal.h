#pragma once
// The journal of the cash book, KEIRI<nn>.JNL beside the ledger: a redo log. An
// operation appends one record to it, holding for every range it changes in
// KEIRI<nn>.DAT and YOKIN<nn>.DAT the old and the new bytes and each file's old and
// new length, and flushes the log; its checksum is written and flushed last: that
// flush is the commit, and from it on the operation is done. Until then the record
// carries a checksum that does not match, so an operation reported as failed is never
// found whole afterwards, even when the disk refuses every write after the failure.
// The files are then written in place without a flush of their own. The log is settled (every record written into the files again where
// they do not hold it yet, the files flushed, then the log emptied or removed) before
// anything else writes these files, before a copy or a restore of the folder, when
// it grows past kJournalSettleSize and when the program ends; a read that finds a log
// settles it the same way, so a power cut at any point leaves each operation either
// wholly there or wholly absent, and every operation that was reported done there.
//
// A log applies only to the files it was written for: every byte a record changed
// must hold the value it had before the log's first change to it or a value one of
// its records wrote, and each file's length must lie within the lengths the records
// gave it. A read that finds the files otherwise (restored from a copy, replaced by
// hand) keeps the files and sets the log aside under another name. A record whose
// own write was cut short fails its checksum and was never written into the files;
// a log naming other files or lengths beyond these files' limits is removed.
//
// The log's bytes, little-endian:
//   the mark "TABJRNL3" (8 bytes), then one record per operation, back to back:
//     u32 length of the body; u64 checksum of the body (the checksum below, XOR the
//     record's offset in the log × 0x9E3779B97F4A7C15, so a record counts only where it
//     was written); the body:
//       u32 number of files (1..kMaxFilesPerOperation); for each file:
//         u16 name length, the name (no folder: KEIRI<nn>.DAT, YOKIN<nn>.DAT,
//         RIREKI<nn>.DAT, FURIKAE<nn>.DAT of the log's own year, or KAMOKU.DAT), u8 1
//         when the file existed before, u64 old length, u64 new length, u32 number of
//         runs; for each run, in ascending order and never crossing a 512-byte
//         sector: u32 distance from the end of the run before (the first: from byte
//         0), u16 count (1..512), the old bytes when the run starts inside the old
//         length, then the new bytes when it starts inside the new length. The runs
//         hold every byte that changed and every byte between the two lengths.
//   The checksum: from h = 0xcbf29ce484222325, for each little-endian u64 word w of
//   the bytes h = (h ^ w) × 0x100000001b3 then h ^= h >> 29; for each of the last 0..7
//   bytes b, h = (h ^ b) × 0x100000001b3; the result is h XOR the number of bytes.
//   A record whose length or checksum does not hold was cut short or never
//   committed: it and anything after it never counted. An emptied log is the mark alone.
//
// An older program wrote a rollback journal instead (the mark "TABJRNL2"): the old
// bytes of every range, flushed before the files were written and flushed. One found
// on the disk is still settled as such (store/RollbackJournal.h): rolled back,
// dropped when its files hold every range as written, or set aside.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "store/FileLimits.h"

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
    // The old contents; only the bytes inside `ranges` (and the old length) are read.
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

// The unit a disk writes whole.
inline constexpr std::size_t kSectorSize = 512;
// The largest files the journal covers are those of store/FileLimits.h.
// The most files one operation changes: the ledger, the deposit file and the history
// (a slip: the slip book and the history).
inline constexpr std::uint64_t kMaxFilesPerOperation = 4;

// The log is settled when an operation would take it past this length.
inline constexpr std::uint64_t kJournalSettleSize = 1u << 20;
// Another limit (the tests use a small one to reach the settling often).
void SetJournalSettleSize(std::uint64_t bytes);

// KEIRI13.DAT -> KEIRI13.JNL.
std::filesystem::path JournalPathFor(const std::filesystem::path& ledgerPath);

// Whether `journal` holds a journal that a read must settle: a rollback journal whose
// mark is not cleared (or the remains of one whose own write was cut short), or a
// redo log with records that this program has not itself written into the files.
bool JournalIsLive(const std::filesystem::path& journal);

// Writes the changes under the journal `journal`. Ok: the operation is on the disk
// (its record flushed; the files hold their `after`). An error: every file holds its
// `before` (or, when even putting them back failed, the next settling of the journal
// puts them back).
Status CommitChanges(const std::filesystem::path& journal, std::span<const FileChange> changes);

enum class Recovery {
    None,         // no journal that counts
    RolledBack,   // the operation was cut short: the files are as they were before it
    Completed,    // the operations were done: the files hold them (written again if need be)
    SetAside,     // the files are not the ones it was written for: kept, journal renamed
    TornRemoved   // damaged (cut short, or beyond the files' limits): removed
};
// Reading the data and ending the program remove the journal file; an operation
// that finds a journal that still counts settles it and keeps the file for its own.
enum class AfterRecovery { Remove, Keep };

struct Settled {
    Recovery outcome = Recovery::None;
    std::filesystem::path journal;
    std::filesystem::path setAsideAs;  // for SetAside: the name the journal now has
};
// Settles the journal `journal`: rolls it back, drops it or sets it aside as its
// files say, and makes the outcome durable. An error leaves a journal that counts in
// place (the next look tries again).
Result<Settled> SettleJournal(const std::filesystem::path& journal,
                              AfterRecovery after = AfterRecovery::Remove);
// SettleJournal for every ledger journal (KEIRI<nn>.JNL) of a data folder, whatever
// the year: for anything that copies, replaces or writes the folder's files. With
// Remove the folder holds no such journal afterwards (journals set aside stay, under
// their own names).
Result<std::vector<Settled>> SettleDataFolder(const std::filesystem::path& dataFolder,
                                              AfterRecovery after = AfterRecovery::Remove);
// The same as SettleJournal, outcome only (kept for the callers that need no more).
Result<Recovery> RecoverJournal(const std::filesystem::path& journal,
                                AfterRecovery after = AfterRecovery::Remove);
// What settling `journal` would do, without writing anything.
Result<Recovery> InspectJournal(const std::filesystem::path& journal);
// Whether a file name is one of the journal's own (live or set aside): copies of the
// data folder leave these out.
bool IsJournalFileName(const std::string& name);

}  // namespace tabulo
