#pragma once
// The journal of the cash book, KEIRI<nn>.JNL beside the ledger: a redo log. An
// operation appends one record to it, holding for every range it changes in
// KEIRI<nn>.DAT and YOKIN<nn>.DAT the old and the new bytes and each file's old and
// new length, and flushes the log: that single flush is the commit, and from it on
// the operation is done. The files are then written in place without a flush of
// their own. The log is settled (every record written into the files again where
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
// An older program wrote a rollback journal instead (the mark "TABJRNL2"): the old
// bytes of every range, flushed before the files were written and flushed. One found
// on the disk is still settled as such: rolled back, dropped when its files hold
// every range as written, or set aside.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/BinaryRecords.h"

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
// The largest files the journal covers: a ledger of 32,767 lines (kMaxLedgerFileSize),
// and a deposit file (its record and whatever follows it) of 1 MiB.
inline constexpr std::uint64_t kMaxDepositFileSize = 1ull << 20;
// The year's history (RIREKI<nn>.DAT), the slip book (FURIKAE<nn>.DAT) and the item
// accounts (KAMOKU.DAT), which an operation changes together with the cash book.
inline constexpr std::uint64_t kMaxHistoryFileSize = 256ull << 20;
inline constexpr std::uint64_t kMaxSlipFileSize = 64ull << 20;
inline constexpr std::uint64_t kMaxItemAccountsFileSize = 1ull << 20;
// The most files one operation changes: the ledger, the deposit file and the history
// (a slip: the slip book and the history).
inline constexpr std::uint64_t kMaxFilesPerOperation = 4;

// The log is settled when an operation would take it past this length.
inline constexpr std::uint64_t kJournalSettleSize = 1u << 20;
// Another limit (the tests use a small one to reach the settling often).
void SetJournalSettleSize(std::uint64_t bytes);

// How CommitChanges writes: the redo log, or the older rollback journal (kept so that
// the benchmarks can measure both designs side by side).
enum class JournalDesign { RedoLog, RollbackJournal };
void UseJournalDesign(JournalDesign design);

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

// The journal's bytes (exposed for the tests and the fuzzer).
// Layout, little-endian: the mark "TABJRNL2" (eight zero bytes once cleared), u32
// length of the body and u64 checksum of it; the body: u32 number of files; for each
// file: u16 name length, the file name (no folder), u8 existed, u64 old length, u64
// new length, u32 number of runs, and for each run of changed bytes (never crossing a
// 512-byte sector of the file) u32 distance from the end of the run before (the
// first: from byte 0), u16 count, that many old bytes and the u32 checksum of the new
// bytes (0 for a run past the new length); then the u32 checksums of the new bytes
// between the old and the new length, one per sector piece. Bytes an operation
// rewrites unchanged are not kept: putting them back would change nothing.
std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes);
struct JournalRange {
    std::uint64_t offset = 0;
    std::vector<std::byte> oldBytes;
    std::uint32_t newSum = 0;
};
struct JournalEntry {
    std::string name;
    bool existed = true;
    std::uint64_t oldLength = 0;
    std::uint64_t newLength = 0;
    std::vector<JournalRange> ranges;
    std::vector<std::uint32_t> tailSums;  // [oldLength, newLength) by sector piece
};
// An empty result with ok() false means torn, damaged or not ours.
Result<std::vector<JournalEntry>> DecodeJournal(std::span<const std::byte> bytes);
// The checksum of a journal's body, as its head records it.
std::uint64_t JournalBodyChecksum(std::span<const std::byte> body);
// The checksum of one piece of new bytes, as the journal records it.
std::uint32_t PieceSum(std::span<const std::byte> bytes);

}  // namespace tabulo
