#pragma once
// The rollback journal an older program wrote beside the ledger (KEIRI<nn>.JNL with the
// mark "TABJRNL2"): the old bytes of every range an operation changed, flushed before
// the files were written and flushed. The program writes a redo log instead
// (store/Journal.h); a rollback journal still found on a disk is settled as such:
// rolled back, dropped when its files hold every range as written, or set aside when
// its files are not the ones it was written for.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Journal.h"

namespace tabulo {

// The journal's bytes as an older program wrote them (the tests write such journals
// with tests/support/RollbackJournalWriter.h). Layout, little-endian: the mark
// "TABJRNL2" (eight zero bytes once cleared), u32 length of the body and u64 checksum
// of it; the body: u32 number of files; for each file: u16 name length, the file name
// (no folder), u8 existed, u64 old length, u64 new length, u32 number of runs, and for
// each run of changed bytes (never crossing a 512-byte sector of the file) u32
// distance from the end of the run before (the first: from byte 0), u16 count, that
// many old bytes and the u32 checksum of the new bytes (0 for a run past the new
// length); then the u32 checksums of the new bytes between the old and the new
// length, one per sector piece. Bytes an operation rewrote unchanged are not kept.
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

// Settles a rollback journal as SettleJournal does (which calls it for one).
Result<Settled> SettleRollbackJournal(const std::filesystem::path& journal, AfterRecovery after);
// What settling the rollback journal `journal` would do, without writing anything.
Result<Recovery> InspectRollbackJournal(const std::filesystem::path& journal);

}  // namespace tabulo
