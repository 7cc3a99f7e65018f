#pragma once
// The rollback journal of the cash book. Before the first byte of KEIRI<nn>.DAT or
// YOKIN<nn>.DAT changes, the old bytes of every range an operation writes go into
// KEIRI<nn>.JNL beside the ledger and are flushed; then the files are written and
// flushed. From that flush on the operation is done: a journal found later whose files
// hold every range as the operation wrote it is simply dropped, so a power cut after
// the screen moved on never undoes what the user saw saved. The mark at the journal's
// start is cleared afterwards without a flush of its own; before anything else writes
// these files the journal is settled (its cleared mark flushed, or the journal rolled
// back), so that no older journal can ever be applied over a newer save.
//
// A journal applies only to the files it was written for: it records each file's old
// and new length, and for every range a checksum of the bytes the operation wrote, one
// per 512-byte sector. A read that finds a range holding neither its old nor its new
// bytes (the files were saved since, restored from a copy or replaced by hand) keeps
// the files and sets the journal aside under another name. A journal whose own write
// was cut short fails its checksum (the data files were never touched) and is removed,
// as is one whose lengths or ranges lie beyond what these files can be.

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

// KEIRI13.DAT -> KEIRI13.JNL.
std::filesystem::path JournalPathFor(const std::filesystem::path& ledgerPath);

// Whether `journal` holds a journal that still counts (or the remains of one whose
// own write was cut short): the mark at its start is not cleared.
bool JournalIsLive(const std::filesystem::path& journal);

// Writes the changes under the journal `journal`. Ok: every file holds its `after`,
// flushed. An error: every file holds its `before` (or, when even putting them back
// failed, the journal stays and the next look at the data puts them back).
Status CommitChanges(const std::filesystem::path& journal, std::span<const FileChange> changes);

enum class Recovery {
    None,         // no journal that counts
    RolledBack,   // the operation was cut short: the files got their old bytes back
    Completed,    // the operation had written everything: the files stay as they are
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
