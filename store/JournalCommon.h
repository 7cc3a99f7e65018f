#pragma once
// What the redo log and the settling of an older rollback journal share: the
// checksum, the little-endian reader, the runs of changed bytes cut at sectors, the
// files a journal may name with their limits, and putting a file's old bytes back.
// Internal to store/; the journal's callers include store/Journal.h.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "store/Journal.h"
#include "store/RollbackJournal.h"

namespace tabulo::journal_detail {

namespace fs = std::filesystem;

std::uint64_t Checksum(std::span<const std::byte> data);

class Reader {
  public:
    explicit Reader(std::span<const std::byte> b) : b_(b) {}
    bool Get(std::uint64_t& v, int width) {
        if (b_.size() - at_ < static_cast<std::size_t>(width)) return false;
        v = 0;
        for (int i = 0; i < width; ++i)
            v |= std::to_integer<std::uint64_t>(b_[at_ + static_cast<std::size_t>(i)]) << (8 * i);
        at_ += static_cast<std::size_t>(width);
        return true;
    }
    bool Take(std::size_t n, std::span<const std::byte>& out) {
        if (b_.size() - at_ < n) return false;
        out = b_.subspan(at_, n);
        at_ += n;
        return true;
    }
    bool AtEnd() const { return at_ == b_.size(); }

  private:
    std::span<const std::byte> b_;
    std::size_t at_ = 0;
};

// The head of one file in either kind of journal: u16 name length, the name (no
// folder), u8 existed, u64 old length, u64 new length, u32 number of runs. Returns
// the end.
std::byte* PutFileHead(std::byte* p, const FileChange& c, std::size_t runs);

FileError Torn(const fs::path& journal);

// The largest a file a journal may name can be; 0 for a name that is not ours.
std::uint64_t LimitOf(const std::string& name);
// Whether the journal `stem` (KEIRI13) may name the file `name`.
bool SameYear(const std::string& name, const std::string& stem);

struct Run {
    std::size_t begin;
    std::size_t end;
};
// The runs of old bytes that the new contents change (see FileChange::touched).
std::vector<Run> FileRuns(const FileChange& c);
// Runs cut where a sector ends.
std::vector<Run> SplitAtSectors(const std::vector<Run>& runs);

// Gives one file its old bytes and length back, and flushes it.
bool Restore(const fs::path& path, const JournalEntry& e);
// Every file of an operation given its `before` back.
bool RestoreAll(std::span<const FileChange> changes);

std::string FolderOf(const fs::path& p);
// The name a journal that does not fit its files is kept under.
fs::path AsideName(const fs::path& journal);

enum class Format { Missing, Empty, Cleared, Undo, Redo };
// What the file at `journal` holds, by its mark; `size` gets its length.
Format FormatOf(const fs::path& journal, std::uint64_t& size);
// Whether the file holds anything that a read must settle, whoever wrote it.
bool LiveOnDisk(const fs::path& journal);

enum class Plan { None, RollBack, Complete, SetAside, Damaged };
Recovery OutcomeOf(Plan p);

}  // namespace tabulo::journal_detail
