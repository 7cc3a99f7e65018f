#include "store/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '2'};
constexpr std::size_t kHead = sizeof kMagic + 12;

// A 64-bit checksum taken eight bytes at a time (FNV-1a over words, folded): it
// only has to tell a journal whose write was cut short or overwritten from a whole
// one, and a range as written from anything else, and must cost little beside the
// write of the journal itself.
std::uint64_t Checksum(std::span<const std::byte> data) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    std::size_t i = 0;
    for (; i + 8 <= data.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, data.data() + i, 8);
        h = (h ^ w) * 0x100000001b3ull;
        h ^= h >> 29;
    }
    for (; i < data.size(); ++i)
        h = (h ^ std::to_integer<std::uint64_t>(data[i])) * 0x100000001b3ull;
    return h ^ data.size();
}

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

// A file's head in either kind of journal: u16 name length, the name (no folder), u8
// existed, u64 old length, u64 new length, u32 number of runs. Returns the end.
std::byte* PutFileHead(std::byte* p, const FileChange& c, std::size_t runs) {
    auto put = [&p](std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) *p++ = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
    };
    const std::string name = c.path.filename().string();
    put(name.size(), 2);
    std::memcpy(p, name.data(), name.size());
    p += name.size();
    put(c.existed ? 1 : 0, 1);
    put(c.before.size(), 8);
    put(c.after.size(), 8);
    put(runs, 4);
    return p;
}

FileError Torn(const fs::path& journal) {
    return BadFormatError(journal.string(), "中断された処理の記録が壊れています。");
}

// The two digits of the year in a year file's name (RIREKI13.DAT -> "13"), else "".
std::string YearTagOf(const std::string& name) {
    if (name.size() < 8 || !name.ends_with(".DAT")) return {};
    const std::size_t at = name.size() - 6;
    if (name[at] < '0' || name[at] > '9' || name[at + 1] < '0' || name[at + 1] > '9') return {};
    return name.substr(at, 2);
}

// The files a journal may name, with their limits: this year's ledger, deposit file,
// history and slip book, and the item accounts (one file for every year). Anything
// else (a path, another file of the folder) is not ours.
std::uint64_t LimitOf(const std::string& name) {
    if (name == "KAMOKU.DAT") return kMaxItemAccountsFileSize;
    const std::string tag = YearTagOf(name);
    if (tag.empty()) return 0;
    const std::string base = name.substr(0, name.size() - 6);
    if (base == "KEIRI") return kMaxLedgerFileSize;
    if (base == "YOKIN") return kMaxDepositFileSize;
    if (base == "RIREKI") return kMaxHistoryFileSize;
    if (base == "FURIKAE") return kMaxSlipFileSize;
    return 0;
}

// Whether the journal `stem` (KEIRI13) may name the file `name`: a file of its own
// year, or one that every year shares.
bool SameYear(const std::string& name, const std::string& stem) {
    const std::string tag = YearTagOf(name);
    if (tag.empty()) return name == "KAMOKU.DAT";
    return stem.size() == 7 && stem.compare(5, 2, tag) == 0;
}

// The number of sector pieces of [from, to).
std::uint64_t PiecesBetween(std::uint64_t from, std::uint64_t to) {
    if (to <= from) return 0;
    return (to - 1) / kSectorSize - from / kSectorSize + 1;
}

// The runs of old bytes that the new contents change, within the part of `range`
// that lay inside the old file. Bytes the operation writes unchanged need no copy:
// a walk that only moves balances journals four bytes a line, not whole lines. Runs
// closer than a run's own header are joined.
struct Run {
    std::size_t begin;
    std::size_t end;
};
void AddChangedRuns(const FileChange& c, const ByteRange& r, std::vector<Run>& runs) {
    const std::size_t stop = std::min({r.end, c.before.size(), c.after.size()});
    const std::byte* a = c.before.data();
    const std::byte* b = c.after.data();
    auto differ = [&](std::size_t at) {
        std::uint64_t x, y;
        std::memcpy(&x, a + at, 8);
        std::memcpy(&y, b + at, 8);
        return x ^ y;
    };
    // The first differing byte at or after `at`, eight bytes at a time.
    auto nextDiff = [&](std::size_t at) {
        for (; at + 8 <= stop; at += 8)
            if (std::uint64_t x = differ(at))
                return at + static_cast<std::size_t>(__builtin_ctzll(x) / 8);
        while (at < stop && a[at] == b[at]) ++at;
        return at;
    };
    std::size_t i = nextDiff(r.begin);
    while (i < stop) {
        std::size_t end = i + 1;
        for (;;) {
            while (end < stop && a[end] != b[end] && end - i < 0xFFFF) ++end;
            if (end >= stop || end - i >= 0xFFFF) break;
            // Runs closer than a run's own header are joined.
            std::size_t next = nextDiff(end);
            if (next >= stop || next - end >= 6 || next - i >= 0xFFFF) break;
            end = next;
        }
        runs.push_back({i, end});
        i = nextDiff(end);
    }
}

// The runs of old bytes to keep for one file. Runs the writer says it touched are
// taken as they are when they are a balance's few bytes (comparing them would cost
// more than keeping them) and compared otherwise; runs of the same length limit
// closer than a run's header are joined.
std::vector<Run> FileRuns(const FileChange& c) {
    std::vector<Run> runs;
    if (c.touched.empty()) {
        for (const ByteRange& r : c.ranges) AddChangedRuns(c, r, runs);
        return runs;
    }
    runs.reserve(c.touched.size());
    const std::size_t oldSize = std::min(c.before.size(), c.after.size());
    std::size_t previousEnd = 0;
    for (const ByteRange& t : c.touched) {
        if (t.end < t.begin || t.begin < previousEnd) {
            // Not in order: compare instead, which is always right.
            FileChange whole = c;
            whole.touched.clear();
            return FileRuns(whole);
        }
        previousEnd = t.end;
        const std::size_t end = std::min(t.end, oldSize);
        if (t.begin >= end) continue;
        if (end - t.begin > 8) {
            AddChangedRuns(c, {t.begin, end}, runs);
            continue;
        }
        if (!runs.empty() && t.begin - runs.back().end < 6 && end - runs.back().begin < 0xFFFF) {
            runs.back().end = end;
        } else {
            runs.push_back({t.begin, end});
        }
    }
    return runs;
}


// Runs cut where a sector ends: a power cut leaves each sector old or new, so each
// run is then wholly one or the other.
std::vector<Run> SplitAtSectors(const std::vector<Run>& runs) {
    std::vector<Run> out;
    out.reserve(runs.size());
    for (Run r : runs) {
        while (r.begin < r.end) {
            const std::size_t sectorEnd = (r.begin / kSectorSize + 1) * kSectorSize;
            const std::size_t end = std::min(r.end, sectorEnd);
            out.push_back({r.begin, end});
            r.begin = end;
        }
    }
    return out;
}

// Every run of one file the journal keeps: the changed bytes inside both lengths and,
// when the file shrinks, all of the old bytes past the new length.
std::vector<Run> JournalRuns(const FileChange& c) {
    std::vector<Run> runs = FileRuns(c);
    const std::size_t common = std::min(c.before.size(), c.after.size());
    std::vector<Run> clamped;
    clamped.reserve(runs.size() + 1);
    for (const Run& r : runs)
        if (r.begin < common) clamped.push_back({r.begin, std::min(r.end, common)});
    if (c.before.size() > c.after.size()) clamped.push_back({common, c.before.size()});
    return SplitAtSectors(clamped);
}

// The state of one file measured against its journal entry.
struct FileState {
    bool foreign = false;  // some range holds neither what it held nor what was written
    bool allOld = true;
    bool allNew = true;
};

FileState Measure(const JournalEntry& e, const fs::path& path) {
    FileState st;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        // Missing: as before an operation that created it, foreign otherwise.
        st.allNew = false;
        st.foreign = e.existed;
        return st;
    }
    const std::uint64_t low = std::min(e.oldLength, e.newLength);
    const std::uint64_t high = std::max(e.oldLength, e.newLength);
    if (!S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) < low ||
        static_cast<std::uint64_t>(info.st_size) > high) {
        st.foreign = true;
        return st;
    }
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        st.foreign = true;
        return st;
    }
    const std::vector<std::byte>& b = *bytes;
    const std::uint64_t length = b.size();
    st.allOld = length == e.oldLength;
    st.allNew = length == e.newLength;
    for (const JournalRange& r : e.ranges) {
        const std::uint64_t end = r.offset + r.oldBytes.size();
        if (r.offset >= e.newLength) {
            // Past the new length: old while the file still reaches it.
            if (length > r.offset) {
                const std::size_t have = static_cast<std::size_t>(std::min(end, length) - r.offset);
                if (std::memcmp(b.data() + r.offset, r.oldBytes.data(), have) != 0) {
                    st.foreign = true;
                    return st;
                }
            }
            continue;
        }
        std::span<const std::byte> now(b.data() + r.offset, r.oldBytes.size());
        const bool isOld = std::equal(now.begin(), now.end(), r.oldBytes.begin());
        const bool isNew = PieceSum(now) == r.newSum;
        if (!isOld && !isNew) {
            st.foreign = true;
            return st;
        }
        st.allOld = st.allOld && isOld;
        st.allNew = st.allNew && isNew;
    }
    std::uint64_t at = e.oldLength;
    for (std::uint32_t sum : e.tailSums) {
        const std::uint64_t end = std::min((at / kSectorSize + 1) * kSectorSize, e.newLength);
        // Bytes not yet written there do not matter: rolling back cuts them off.
        if (end > length ||
            PieceSum(std::span<const std::byte>(b.data() + at, static_cast<std::size_t>(end - at))) !=
                sum)
            st.allNew = false;
        at = end;
    }
    return st;
}

// Gives one file its old bytes and length back, and flushes it.
bool Restore(const fs::path& path, const JournalEntry& e) {
    FileOps& ops = Files();
    if (!e.existed) return ops.Unlink(path.c_str()) == 0 || errno == ENOENT;
    int fd = ops.Open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) return false;
    // Old bytes go back only into a regular file, never into a device or a FIFO
    // that has taken a data file's name.
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        ok = false;
        errno = EINVAL;
    }
    for (const JournalRange& r : e.ranges) {
        ok = ok &&
             PwriteAllAt(fd, r.oldBytes.data(), r.oldBytes.size(), static_cast<off_t>(r.offset));
    }
    ok = ok && ops.Ftruncate(fd, static_cast<off_t>(e.oldLength)) == 0 && ops.Fdatasync(fd) == 0;
    int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

// Flushes a file the journal found whole, so that dropping the journal is safe.
bool FlushFile(const fs::path& path) {
    int fd = Files().Open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT;
    bool ok = Files().Fdatasync(fd) == 0;
    int err = errno;
    Files().Close(fd);
    errno = err;
    return ok;
}

std::vector<JournalEntry> EntriesOf(std::span<const FileChange> changes) {
    std::vector<JournalEntry> out;
    for (const FileChange& c : changes) {
        JournalEntry e;
        e.existed = c.existed;
        e.oldLength = c.before.size();
        for (const ByteRange& r : c.ranges) {
            const std::size_t end = std::min(r.end, c.before.size());
            if (r.begin >= end) continue;
            e.ranges.push_back({r.begin, {c.before.begin() + static_cast<std::ptrdiff_t>(r.begin),
                                          c.before.begin() + static_cast<std::ptrdiff_t>(end)},
                                0});
        }
        if (c.before.size() > c.after.size())
            e.ranges.push_back({c.after.size(),
                                {c.before.begin() + static_cast<std::ptrdiff_t>(c.after.size()),
                                 c.before.end()},
                                0});
        out.push_back(std::move(e));
    }
    return out;
}

bool RestoreAll(std::span<const FileChange> changes) {
    bool ok = true;
    const std::vector<JournalEntry> entries = EntriesOf(changes);
    for (std::size_t i = 0; i < changes.size(); ++i)
        ok = Restore(changes[i].path, entries[i]) && ok;
    return ok;
}

std::string FolderOf(const fs::path& p) {
    fs::path folder = p.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// Journals whose mark was cleared after the last operation without a flush of its
// own: settling one flushes it.
std::mutex unflushedLock;
std::set<std::string>& Unflushed() {
    static std::set<std::string> paths;
    return paths;
}
void NoteUnflushed(const fs::path& journal, bool unflushed) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    if (unflushed)
        Unflushed().insert(journal.string());
    else
        Unflushed().erase(journal.string());
}
// Journals of operations this program reported as failed while their put-back
// failed too: found whole, they are still rolled back, as the caller was told.
// For a redo log: the offset of the first record that is to be undone.
std::map<std::string, std::uint64_t>& Failed() {
    static std::map<std::string, std::uint64_t> paths;
    return paths;
}
void NoteFailed(const fs::path& journal, bool failed, std::uint64_t from = 0) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    if (failed)
        Failed()[journal.string()] = from;
    else
        Failed().erase(journal.string());
}
bool HasFailed(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    return Failed().contains(journal.string());
}
std::optional<std::uint64_t> FailedFrom(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    auto it = Failed().find(journal.string());
    if (it == Failed().end()) return std::nullopt;
    return it->second;
}
// Redo logs this program wrote and whose every record it has also written into the
// files, as they were then (the file and its length). Such a log needs no settling
// before a read by this program (the files already hold what it says), only before
// a write by another hand; a log replaced or changed since is not this one.
struct LogIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    bool operator==(const LogIdentity&) const = default;
};
std::map<std::string, LogIdentity>& Known() {
    static std::map<std::string, LogIdentity> paths;
    return paths;
}
std::optional<LogIdentity> IdentityOf(const fs::path& journal) {
    struct stat st {};
    if (::stat(journal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return LogIdentity{st.st_dev, st.st_ino, st.st_size};
}
void RememberLog(const fs::path& journal) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    std::lock_guard<std::mutex> hold(unflushedLock);
    if (id)
        Known()[journal.string()] = *id;
    else
        Known().erase(journal.string());
}
void ForgetLog(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    Known().erase(journal.string());
}
bool IsKnownLog(const fs::path& journal) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    std::lock_guard<std::mutex> hold(unflushedLock);
    auto it = Known().find(journal.string());
    return id && it != Known().end() && it->second == *id;
}

bool IsUnflushed(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(unflushedLock);
    return Unflushed().contains(journal.string());
}

// Clears the journal's mark so that it no longer counts, flushing it when `flush`.
bool ClearMark(const fs::path& journal, bool flush) {
    FileOps& ops = Files();
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT;
    const std::byte zeros[sizeof kMagic] = {};
    bool ok = PwriteAllAt(fd, zeros, sizeof zeros, 0) && (!flush || ops.Fdatasync(fd) == 0);
    int err = errno;
    ops.Close(fd);
    errno = err;
    if (ok) NoteUnflushed(journal, !flush);
    return ok;
}

// The name a journal that does not fit its files is kept under.
fs::path AsideName(const fs::path& journal) {
    const std::string stem = journal.stem().string();
    std::error_code ec;
    for (int n = 1;; ++n) {
        fs::path p = journal.parent_path() / (stem + "-ASIDE" + std::to_string(n) + ".JNL");
        if (!fs::exists(p, ec)) return p;
    }
}

enum class Plan { None, RollBack, Complete, SetAside, Damaged };

struct Judged {
    Plan plan = Plan::None;
    std::vector<JournalEntry> entries;
};

bool LiveOnDisk(const fs::path& journal);

bool LiveOnDisk(const fs::path& journal);

// What the journal's files call for; reads only.
Result<Judged> Judge(const fs::path& journal) {
    Judged out;
    if (!LiveOnDisk(journal)) return out;
    auto bytes = ReadWholeFile(journal);
    if (!bytes) return bytes.error();
    auto entries = DecodeJournal(*bytes);
    if (!entries) {
        out.plan = Plan::Damaged;
        return out;
    }
    // Only this year's files: KEIRI13.JNL covers KEIRI13.DAT and YOKIN13.DAT.
    const std::string stem = journal.stem().string();
    for (const JournalEntry& e : *entries) {
        if (!SameYear(e.name, stem)) {
            out.plan = Plan::Damaged;
            return out;
        }
    }
    const fs::path folder = journal.parent_path();
    bool foreign = false, allNew = true;
    for (const JournalEntry& e : *entries) {
        FileState st = Measure(e, folder / e.name);
        foreign = foreign || st.foreign;
        allNew = allNew && st.allNew;
    }
    out.plan = foreign ? Plan::SetAside
               : allNew && !HasFailed(journal) ? Plan::Complete
                                               : Plan::RollBack;
    out.entries = std::move(*entries);
    return out;
}

Recovery OutcomeOf(Plan p) {
    switch (p) {
        case Plan::None: return Recovery::None;
        case Plan::RollBack: return Recovery::RolledBack;
        case Plan::Complete: return Recovery::Completed;
        case Plan::SetAside: return Recovery::SetAside;
        case Plan::Damaged: return Recovery::TornRemoved;
    }
    return Recovery::None;
}

// Makes a journal that no longer counts stay so: removed, or its mark flushed.
Status Retire(const fs::path& journal, AfterRecovery after) {
    FileOps& ops = Files();
    if (after == AfterRecovery::Keep) {
        if (!ClearMark(journal, true)) return FileErrorFromErrno(errno, journal.string(), true);
        return Ok();
    }
    if (ops.Unlink(journal.c_str()) != 0) {
        if (errno != ENOENT) return FileErrorFromErrno(errno, journal.string(), true);
        NoteUnflushed(journal, false);
        return Ok();
    }
    NoteUnflushed(journal, false);
    if (SyncFolder(FolderOf(journal).c_str()) != 0)
        return FileErrorFromErrno(errno, FolderOf(journal), true);
    return Ok();
}


// ---- The redo log ----
//
// KEIRI<nn>.JNL as a redo log: the mark "TABJRNL3", then one record an operation.
// An operation appends its record (the old and the new bytes of every run it
// changes, and the files' old and new lengths) and flushes the log: that one flush
// is its commit. The files are then written in place without a flush of their own.
// Before anything else writes these files, when the log grows past its limit and
// when the program ends, the log is settled: every record is written into the files
// again where they do not hold it yet, the files are flushed, and only then is the
// log emptied (or removed). Writing a record again is harmless, so a cut during the
// settling is settled again by the next read.

constexpr char kLogMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '3'};
constexpr std::size_t kLogHead = sizeof kLogMagic;
constexpr std::size_t kRecordHead = 12;  // u32 length of the body, u64 checksum

std::uint64_t logLimit = kJournalSettleSize;
JournalDesign design = JournalDesign::RedoLog;

enum class Format { Missing, Empty, Cleared, Undo, Redo };

// What the file at `journal` holds, by its mark; `size` gets its length.
Format FormatOf(const fs::path& journal, std::uint64_t& size) {
    size = 0;
    // O_NONBLOCK: a FIFO of that name is not waited on (its read fails: no journal).
    int fd = ::open(journal.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Format::Missing : Format::Empty;
    struct stat st {};
    char mark[sizeof kLogMagic] = {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t n = regular ? ::pread(fd, mark, sizeof mark, 0) : 0;
    ::close(fd);
    if (n <= 0) return Format::Empty;
    size = static_cast<std::uint64_t>(st.st_size);
    bool zero = true;
    for (ssize_t i = 0; i < n; ++i) zero = zero && mark[i] == 0;
    if (zero) return Format::Cleared;
    if (n == sizeof mark && std::memcmp(mark, kLogMagic, sizeof mark) == 0) return Format::Redo;
    // Anything else is looked at closely as a rollback journal (a torn one included).
    return Format::Undo;
}

// Whether the file holds anything that a read must settle, whoever wrote it.
bool LiveOnDisk(const fs::path& journal) {
    std::uint64_t size = 0;
    switch (FormatOf(journal, size)) {
        case Format::Redo: return size > kLogHead;
        case Format::Undo: return true;
        default: return false;
    }
}

std::uint64_t RecordChecksum(std::span<const std::byte> body, std::uint64_t at) {
    // The record's place is part of its checksum: a record is valid only where it
    // was written.
    return Checksum(body) ^ (at * 0x9E3779B97F4A7C15ull);
}

// The runs of one file a record keeps: the changed bytes within both lengths and all
// of the bytes between the two lengths, each inside one sector.
std::vector<Run> RecordRuns(const FileChange& c) {
    std::vector<Run> runs = FileRuns(c);
    const std::size_t common = std::min(c.before.size(), c.after.size());
    const std::size_t high = std::max(c.before.size(), c.after.size());
    std::erase_if(runs, [&](const Run& r) { return r.begin >= common; });
    for (Run& r : runs) r.end = std::min(r.end, common);
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.begin < b.begin; });
    // Runs that overlap (ranges given out of order) are joined.
    std::vector<Run> joined;
    for (const Run& r : runs) {
        if (!joined.empty() && r.begin <= joined.back().end)
            joined.back().end = std::max(joined.back().end, r.end);
        else
            joined.push_back(r);
    }
    if (high > common) joined.push_back({common, high});
    return SplitAtSectors(joined);
}

// The body of one record: u32 number of files; for each file: u16 name length, the
// name, u8 existed, u64 old length, u64 new length, u32 number of runs, and for each
// run u32 distance from the end of the run before, u16 count, the run's old bytes
// (those inside the old length) and its new bytes (those inside the new length).
std::vector<std::byte> EncodeRecordBody(std::span<const FileChange> changes) {
    std::vector<std::vector<Run>> runs;
    std::size_t size = 4;
    for (const FileChange& c : changes) {
        runs.push_back(RecordRuns(c));
        size += 2 + c.path.filename().string().size() + 1 + 8 + 8 + 4;
        for (const Run& r : runs.back()) {
            size += 6;
            if (r.begin < c.before.size()) size += r.end - r.begin;
            if (r.begin < c.after.size()) size += r.end - r.begin;
        }
    }
    std::vector<std::byte> out(size);
    std::byte* p = out.data();
    auto put = [&p](std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) *p++ = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
    };
    put(changes.size(), 4);
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const FileChange& c = changes[k];
        p = PutFileHead(p, c, runs[k].size());
        std::size_t at = 0;
        for (const Run& r : runs[k]) {
            const std::size_t count = r.end - r.begin;
            put(r.begin - at, 4);
            put(count, 2);
            if (r.begin < c.before.size()) {
                std::memcpy(p, c.before.data() + r.begin, count);
                p += count;
            }
            if (r.begin < c.after.size()) {
                std::memcpy(p, c.after.data() + r.begin, count);
                p += count;
            }
            at = r.end;
        }
    }
    return out;
}

std::vector<std::byte> RecordAt(std::span<const std::byte> body, std::uint64_t at) {
    std::vector<std::byte> out(kRecordHead + body.size());
    const std::uint64_t length = body.size(), sum = RecordChecksum(body, at);
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = std::byte((length >> (8 * i)) & 0xFF);
    for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(4 + i)] = std::byte((sum >> (8 * i)) & 0xFF);
    std::memcpy(out.data() + kRecordHead, body.data(), body.size());
    return out;
}

struct LogRun {
    std::uint64_t offset = 0;
    std::size_t count = 0;
    std::size_t oldAt = 0, oldCount = 0;  // in the log's bytes
    std::size_t newAt = 0, newCount = 0;
};
struct LogFileChange {
    std::string name;
    bool existed = true;
    std::uint64_t oldLength = 0, newLength = 0;
    std::vector<LogRun> runs;
};
struct LogRecord {
    std::uint64_t at = 0;
    std::vector<LogFileChange> files;
};
struct ParsedLog {
    std::vector<std::byte> bytes;
    std::vector<LogRecord> records;
    bool torn = false;     // something after the last whole record: an operation cut short
    bool damaged = false;  // not a log of ours, or a record beyond these files' limits
};

// Reads one record's body; false: damaged.
bool DecodeRecord(const std::vector<std::byte>& bytes, std::size_t from, std::size_t length,
                  const std::string& stem, LogRecord& rec) {
    Reader r(std::span<const std::byte>(bytes).subspan(from, length));
    std::size_t at = from;  // where `r` is, in `bytes`
    auto get = [&](std::uint64_t& v, int width) {
        if (!r.Get(v, width)) return false;
        at += static_cast<std::size_t>(width);
        return true;
    };
    std::uint64_t count = 0;
    if (!get(count, 4) || count == 0 || count > kMaxFilesPerOperation) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        LogFileChange f;
        std::uint64_t nameLength = 0, existed = 0, runCount = 0;
        std::span<const std::byte> name;
        if (!get(nameLength, 2) || !r.Take(nameLength, name)) return false;
        at += nameLength;
        if (!get(existed, 1) || !get(f.oldLength, 8) || !get(f.newLength, 8) || !get(runCount, 4))
            return false;
        f.name.assign(reinterpret_cast<const char*>(name.data()), name.size());
        f.existed = existed != 0;
        const std::uint64_t limit = LimitOf(f.name);
        if (limit == 0 || existed > 1 || f.oldLength > limit || f.newLength > limit ||
            (!f.existed && f.oldLength != 0) || !SameYear(f.name, stem))
            return false;
        for (const LogFileChange& seen : rec.files)
            if (seen.name == f.name) return false;
        const std::uint64_t common = std::min(f.oldLength, f.newLength);
        const std::uint64_t high = std::max(f.oldLength, f.newLength);
        std::uint64_t end = 0;
        for (std::uint64_t k = 0; k < runCount; ++k) {
            std::uint64_t gap = 0, n = 0;
            if (!get(gap, 4) || !get(n, 2)) return false;
            LogRun run;
            run.offset = end + gap;
            run.count = static_cast<std::size_t>(n);
            // Inside one sector, inside the longer length, and wholly on one side of
            // the shorter one.
            if (n == 0 || run.offset % kSectorSize + n > kSectorSize || run.offset > high ||
                n > high - run.offset || (run.offset < common && run.offset + n > common))
                return false;
            std::span<const std::byte> part;
            if (run.offset < f.oldLength) {
                run.oldAt = at;
                run.oldCount = run.count;
                if (!r.Take(run.count, part)) return false;
                at += run.count;
            }
            if (run.offset < f.newLength) {
                run.newAt = at;
                run.newCount = run.count;
                if (!r.Take(run.count, part)) return false;
                at += run.count;
            }
            end = run.offset + n;
            f.runs.push_back(run);
        }
        rec.files.push_back(std::move(f));
    }
    return r.AtEnd();
}

Result<ParsedLog> ReadLog(const fs::path& journal) {
    ParsedLog log;
    auto bytes = ReadWholeFile(journal);
    if (!bytes) return bytes.error();
    log.bytes = std::move(*bytes);
    const std::vector<std::byte>& b = log.bytes;
    if (b.size() < kLogHead || std::memcmp(b.data(), kLogMagic, kLogHead) != 0) {
        log.damaged = true;
        return log;
    }
    const std::string stem = journal.stem().string();
    std::size_t at = kLogHead;
    while (at < b.size()) {
        Reader head(std::span<const std::byte>(b).subspan(at));
        std::uint64_t length = 0, sum = 0;
        if (!head.Get(length, 4) || !head.Get(sum, 8) || length > b.size() - at - kRecordHead ||
            RecordChecksum(std::span<const std::byte>(b).subspan(at + kRecordHead, length), at) != sum) {
            log.torn = true;
            break;
        }
        LogRecord rec;
        rec.at = at;
        if (!DecodeRecord(b, at + kRecordHead, static_cast<std::size_t>(length), stem, rec)) {
            log.damaged = true;
            return log;
        }
        log.records.push_back(std::move(rec));
        at += kRecordHead + static_cast<std::size_t>(length);
    }
    return log;
}

// One file of the log: what it holds now and what settling gives it.
struct LogTarget {
    fs::path path;
    bool present = false;  // the file is there now
    std::vector<std::byte> now;
    bool exists = true;  // after settling
    std::vector<std::byte> bytes;
    bool foreign = false;
};

// Measures one file against every record that changed it and works out what it
// must hold: every record written again, then the records from `undoFrom` on undone,
// last first. A byte a record changed must hold the value it had before the first
// such record or the value one of them wrote (the records' writes may reach the disk
// in any order, but each byte always holds some value it was given); the length must
// lie within the lengths the records gave the file.
LogTarget TargetOf(const ParsedLog& log, const fs::path& folder, const std::string& name,
                   std::uint64_t undoFrom) {
    LogTarget t;
    t.path = folder / name;
    std::vector<const LogFileChange*> changes;
    std::vector<std::uint64_t> at;
    for (const LogRecord& rec : log.records)
        for (const LogFileChange& f : rec.files)
            if (f.name == name) {
                changes.push_back(&f);
                at.push_back(rec.at);
            }
    const std::byte* b = log.bytes.data();
    struct stat info {};
    if (::stat(t.path.c_str(), &info) == 0) {
        t.present = true;
        auto bytes = ReadWholeFile(t.path, static_cast<std::size_t>(LimitOf(name)));
        if (!S_ISREG(info.st_mode) || !bytes) {
            t.foreign = true;
            return t;
        }
        t.now = std::move(*bytes);
    }
    std::uint64_t low = changes.front()->oldLength, high = low;
    for (const LogFileChange* f : changes) {
        low = std::min(low, f->newLength);
        high = std::max(high, f->newLength);
    }
    if (t.present ? (t.now.size() < low || t.now.size() > high) : changes.front()->existed) {
        t.foreign = true;
        return t;
    }
    // 0: not changed by any record; 1: changed, holding none of its values so far;
    // 2: holding one of them.
    std::vector<std::uint8_t> state(static_cast<std::size_t>(low), 0);
    for (const LogFileChange* f : changes) {
        for (const LogRun& run : f->runs) {
            if (run.offset >= low) break;
            const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(run.offset + run.count, low));
            for (std::size_t p = static_cast<std::size_t>(run.offset); p < end; ++p) {
                const std::size_t k = p - static_cast<std::size_t>(run.offset);
                if (state[p] == 0) state[p] = t.now[p] == b[run.oldAt + k] ? 2 : 1;
                if (state[p] == 1 && t.now[p] == b[run.newAt + k]) state[p] = 2;
            }
        }
    }
    if (std::find(state.begin(), state.end(), std::uint8_t{1}) != state.end()) {
        t.foreign = true;
        return t;
    }
    t.bytes = t.now;
    for (const LogFileChange* f : changes) {
        t.bytes.resize(static_cast<std::size_t>(f->newLength), std::byte{0});
        for (const LogRun& run : f->runs)
            if (run.newCount > 0)
                std::memcpy(t.bytes.data() + run.offset, b + run.newAt, run.newCount);
    }
    for (std::size_t i = changes.size(); i-- > 0;) {
        if (at[i] < undoFrom) break;
        const LogFileChange* f = changes[i];
        t.bytes.resize(static_cast<std::size_t>(f->oldLength), std::byte{0});
        for (const LogRun& run : f->runs)
            if (run.oldCount > 0)
                std::memcpy(t.bytes.data() + run.offset, b + run.oldAt, run.oldCount);
        t.exists = f->existed;
    }
    return t;
}

// Gives a file what its target says and flushes it; writes only the bytes that differ.
bool WriteTarget(const LogTarget& t) {
    FileOps& ops = Files();
    if (!t.exists) return !t.present || ops.Unlink(t.path.c_str()) == 0 || errno == ENOENT;
    int fd = ops.Open(t.path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        ok = false;
        errno = EINVAL;
    }
    const std::size_t common = std::min(t.now.size(), t.bytes.size());
    std::size_t i = 0;
    while (ok && i < common) {
        if (t.now[i] == t.bytes[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1, same = 0;
        for (; end < common && same < 64; ++end) same = t.now[end] == t.bytes[end] ? same + 1 : 0;
        end -= same;
        ok = PwriteAllAt(fd, t.bytes.data() + i, end - i, static_cast<off_t>(i));
        i = end;
    }
    if (ok && t.bytes.size() > t.now.size())
        ok = PwriteAllAt(fd, t.bytes.data() + common, t.bytes.size() - common,
                         static_cast<off_t>(common));
    if (ok && t.bytes.size() < t.now.size())
        ok = ops.Ftruncate(fd, static_cast<off_t>(t.bytes.size())) == 0;
    ok = ok && ops.Fdatasync(fd) == 0;
    const int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

// Empties a log and flushes it: the mark alone.
bool ResetLog(const fs::path& journal) {
    FileOps& ops = Files();
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT;
    bool ok = PwriteAllAt(fd, reinterpret_cast<const std::byte*>(kLogMagic), kLogHead, 0) &&
              ops.Ftruncate(fd, static_cast<off_t>(kLogHead)) == 0 && ops.Fdatasync(fd) == 0;
    const int err = errno;
    ops.Close(fd);
    errno = err;
    if (ok) RememberLog(journal);
    return ok;
}

struct LogPlan {
    Plan plan = Plan::None;
    std::vector<LogTarget> targets;
    bool namesChange = false;  // a file is created or removed: the folder is flushed
};

Result<LogPlan> JudgeLog(const fs::path& journal) {
    LogPlan out;
    auto log = ReadLog(journal);
    if (!log) return log.error();
    if (log->damaged) {
        out.plan = Plan::Damaged;
        return out;
    }
    const std::optional<std::uint64_t> failed = FailedFrom(journal);
    const std::uint64_t undoFrom = failed ? *failed : ~std::uint64_t{0};
    std::vector<std::string> names;
    bool undone = false;
    for (const LogRecord& rec : log->records) {
        undone = undone || rec.at >= undoFrom;
        for (const LogFileChange& f : rec.files) {
            if (std::find(names.begin(), names.end(), f.name) == names.end()) names.push_back(f.name);
            out.namesChange = out.namesChange || !f.existed;
        }
    }
    std::sort(names.begin(), names.end());
    bool foreign = false;
    for (const std::string& name : names) {
        out.targets.push_back(TargetOf(*log, journal.parent_path(), name, undoFrom));
        foreign = foreign || out.targets.back().foreign;
    }
    out.plan = foreign                    ? Plan::SetAside
               : log->torn || undone       ? Plan::RollBack
               : log->records.empty()      ? Plan::None
                                           : Plan::Complete;
    return out;
}

// Settles a redo log: writes its records into the files again (or sets it aside),
// flushes the files, then empties or removes the log.
Result<Settled> SettleLog(const fs::path& journal, AfterRecovery after) {
    Settled out;
    out.journal = journal;
    auto judged = JudgeLog(journal);
    if (!judged) return judged.error();
    out.outcome = OutcomeOf(judged->plan);
    // An empty log this program keeps is left as it is.
    if (judged->plan == Plan::None && after == AfterRecovery::Keep && IsKnownLog(journal))
        return out;
    if (judged->plan == Plan::SetAside) {
        out.setAsideAs = AsideName(journal);
        if (Files().Rename(journal.c_str(), out.setAsideAs.c_str()) != 0)
            return FileErrorFromErrno(errno, journal.string(), true);
        ForgetLog(journal);
        NoteFailed(journal, false);
        if (SyncFolder(FolderOf(journal).c_str()) != 0)
            return FileErrorFromErrno(errno, FolderOf(journal), true);
        return out;
    }
    if (judged->plan != Plan::Damaged) {
        for (const LogTarget& t : judged->targets)
            if (!WriteTarget(t)) return FileErrorFromErrno(errno, t.path.string(), true);
        if (judged->namesChange && SyncFolder(FolderOf(journal).c_str()) != 0)
            return FileErrorFromErrno(errno, FolderOf(journal), true);
    }
    // The files are on the disk: the log may go.
    if (after == AfterRecovery::Keep) {
        if (!ResetLog(journal)) return FileErrorFromErrno(errno, journal.string(), true);
    } else {
        ForgetLog(journal);
        if (Files().Unlink(journal.c_str()) != 0) {
            if (errno != ENOENT) return FileErrorFromErrno(errno, journal.string(), true);
        } else if (SyncFolder(FolderOf(journal).c_str()) != 0) {
            return FileErrorFromErrno(errno, FolderOf(journal), true);
        }
    }
    NoteFailed(journal, false);
    return out;
}

// Takes a redo log's record back out after its operation failed: the files get their
// old bytes (flushed), then the log its old length (flushed). When even that fails,
// the program remembers to undo the record when it next settles the log.
void BackOut(const fs::path& journal, std::span<const FileChange> changes, std::uint64_t recordAt,
             bool filesWritten) {
    FileOps& ops = Files();
    bool ok = !filesWritten || RestoreAll(changes);
    if (ok) {
        int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
        ok = fd >= 0 && ops.Ftruncate(fd, static_cast<off_t>(recordAt)) == 0 &&
             ops.Fdatasync(fd) == 0;
        if (fd >= 0) ops.Close(fd);
    }
    ForgetLog(journal);
    if (!ok) NoteFailed(journal, true, recordAt);
}

Status CommitWithRedoLog(const fs::path& journal, std::span<const FileChange> changes) {
    FileOps& ops = Files();
    const std::vector<std::byte> body = EncodeRecordBody(changes);
    std::uint64_t size = 0;
    Format format = FormatOf(journal, size);
    bool append = format == Format::Redo && IsKnownLog(journal);
    // A record of a failed operation that never reached the log leaves nothing to undo.
    if (!append && !LiveOnDisk(journal)) NoteFailed(journal, false);
    // A log this program did not write (or whose last operation failed) is settled
    // first; so is one that has grown past its limit.
    if ((!append && LiveOnDisk(journal)) ||
        (append && size > kLogHead && size + kRecordHead + body.size() > logLimit)) {
        auto settled = SettleJournal(journal, AfterRecovery::Keep);
        if (!settled) return settled.error();
        format = FormatOf(journal, size);
        append = format == Format::Redo && size == kLogHead;
    }
    const std::uint64_t recordAt = append ? size : kLogHead;
    std::vector<std::byte> out;
    if (!append) out.assign(reinterpret_cast<const std::byte*>(kLogMagic),
                            reinterpret_cast<const std::byte*>(kLogMagic) + kLogHead);
    const std::vector<std::byte> record = RecordAt(body, recordAt);
    out.insert(out.end(), record.begin(), record.end());

    // 1. The record, flushed: the commit. A new log needs its name on the disk too.
    const bool created = format == Format::Missing;
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return FileErrorFromErrno(errno, journal.string(), true);
    bool ok = PwriteAllAt(fd, out.data(), out.size(), static_cast<off_t>(append ? size : 0));
    // Whatever an earlier file of that name held past the new log goes.
    if (ok && !append && !created)
        ok = ops.Ftruncate(fd, static_cast<off_t>(out.size())) == 0;
    ok = ok && (created ? ops.Fsync(fd) : ops.Fdatasync(fd)) == 0;
    int err = errno;
    if (ops.Close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && created && SyncFolder(FolderOf(journal).c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        BackOut(journal, changes, recordAt, false);
        return FileErrorFromErrno(err, journal.string(), true);
    }

    // 2. The files, in place, without a flush: the record holds what they must hold.
    for (const FileChange& c : changes) {
        fd = ops.Open(c.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ok = fd >= 0;
        err = errno;
        for (const ByteRange& r : c.ranges) {
            ok = ok && PwriteAllAt(fd, c.after.data() + r.begin, r.end - r.begin,
                                   static_cast<off_t>(r.begin));
        }
        if (ok && c.after.size() < c.before.size())
            ok = ops.Ftruncate(fd, static_cast<off_t>(c.after.size())) == 0;
        if (!ok) err = errno;
        if (fd >= 0 && ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (!ok) {
            BackOut(journal, changes, recordAt, true);
            return FileErrorFromErrno(err, c.path.string(), true);
        }
    }
    RememberLog(journal);
    return Ok();
}

}  // namespace

std::uint64_t JournalBodyChecksum(std::span<const std::byte> body) { return Checksum(body); }

std::uint32_t PieceSum(std::span<const std::byte> bytes) {
    const std::uint64_t h = Checksum(bytes);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

FileChange StagedFile::Change() const {
    FileChange c{path, existed, before, after, {}, {}};
    std::size_t common = std::min(before.size(), after.size());
    std::size_t first = 0;
    while (first < common && before[first] == after[first]) ++first;
    std::size_t last = after.size();
    // A file that did not exist, or whose length changes, is written to its end so
    // that its length follows.
    if (existed && before.size() == after.size())
        while (last > first && before[last - 1] == after[last - 1]) --last;
    if (first < last) c.ranges.push_back({first, last});
    return c;
}

fs::path JournalPathFor(const fs::path& ledgerPath) {
    fs::path p = ledgerPath;
    p.replace_extension(".JNL");
    return p;
}

bool IsJournalFileName(const std::string& name) {
    return name.size() >= 11 && name.starts_with("KEIRI") && name.ends_with(".JNL");
}

std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes) {
    std::vector<std::byte> out;
    std::vector<std::vector<Run>> runs;
    std::size_t size = kHead + 4;
    for (const FileChange& c : changes) {
        size += 2 + c.path.filename().string().size() + 1 + 8 + 8 + 4 + 4;
        std::vector<Run> fileRuns = JournalRuns(c);
        for (const Run& run : fileRuns) size += 10 + (run.end - run.begin);
        size += 4 * PiecesBetween(c.before.size(), c.after.size());
        runs.push_back(std::move(fileRuns));
    }
    // Written in place into a buffer of the final size: a walk over a long year
    // gives tens of thousands of runs.
    out.resize(size);  // the mark, the body's length and its checksum come first
    std::byte* p = out.data() + kHead;
    auto put = [&p](std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) *p++ = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
    };
    put(changes.size(), 4);
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const FileChange& c = changes[k];
        p = PutFileHead(p, c, runs[k].size());
        std::size_t at = 0;
        for (const Run& run : runs[k]) {
            const std::size_t gap = run.begin - at, count = run.end - run.begin;
            const std::byte* old = c.before.data() + run.begin;
            for (int i = 0; i < 4; ++i) p[i] = static_cast<std::byte>((gap >> (8 * i)) & 0xFF);
            p[4] = static_cast<std::byte>(count & 0xFF);
            p[5] = static_cast<std::byte>(count >> 8);
            p += 6;
            // Most runs are a balance's four bytes: copied here, not by a call.
            if (count == 4) {
                std::memcpy(p, old, 4);
            } else if (count < 8) {
                for (std::size_t i = 0; i < count; ++i) p[i] = old[i];
            } else {
                std::memcpy(p, old, count);
            }
            p += count;
            const std::uint32_t sum =
                run.begin < c.after.size() ? PieceSum(c.after.subspan(run.begin, count)) : 0;
            put(sum, 4);
            at = run.end;
        }
        const std::size_t from = c.before.size(), to = c.after.size();
        put(PiecesBetween(from, to), 4);
        for (std::size_t piece = from; piece < to;) {
            const std::size_t end = std::min((piece / kSectorSize + 1) * kSectorSize, to);
            put(PieceSum(c.after.subspan(piece, end - piece)), 4);
            piece = end;
        }
    }
    const std::size_t bodySize = static_cast<std::size_t>(p - out.data()) - kHead;
    out.resize(kHead + bodySize);
    const std::uint64_t sum = Checksum(std::span<const std::byte>(out).subspan(kHead));
    p = out.data();
    std::memcpy(p, kMagic, sizeof kMagic);
    p += sizeof kMagic;
    put(bodySize, 4);
    put(sum, 8);
    return out;
}

Result<std::vector<JournalEntry>> DecodeJournal(std::span<const std::byte> bytes) {
    // A kept journal file may hold the remains of a longer earlier journal after
    // this one: the recorded length says where it ends.
    if (bytes.size() < kHead) return Torn({});
    // A clearing of the mark that was cut short leaves zeros before the rest of the
    // mark: the journal still counts.
    bool cleared = true;
    for (std::size_t i = 0; i < sizeof kMagic; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c != kMagic[i] && c != 0) return Torn({});
        cleared = cleared && c == 0;
    }
    if (cleared) return Torn({});
    Reader head(bytes.subspan(sizeof kMagic, 12));
    std::uint64_t bodySize = 0, recordedSum = 0;
    head.Get(bodySize, 4);
    head.Get(recordedSum, 8);
    if (bodySize > bytes.size() - kHead) return Torn({});
    auto body = bytes.subspan(kHead, bodySize);
    if (recordedSum != Checksum(body)) return Torn({});
    Reader r(body);
    std::uint64_t count = 0;
    if (!r.Get(count, 4) || count > kMaxFilesPerOperation) return Torn({});
    std::vector<JournalEntry> entries;
    for (std::uint64_t i = 0; i < count; ++i) {
        JournalEntry e;
        std::uint64_t nameLength = 0, existed = 0, rangeCount = 0, tailCount = 0;
        std::span<const std::byte> name;
        if (!r.Get(nameLength, 2) || !r.Take(nameLength, name) || !r.Get(existed, 1) ||
            !r.Get(e.oldLength, 8) || !r.Get(e.newLength, 8) || !r.Get(rangeCount, 4)) {
            return Torn({});
        }
        // No file of ours was ever that long: putting the length back would make it so.
        if (e.oldLength > kMaxWholeFileSize) return Torn({});
        e.name.assign(reinterpret_cast<const char*>(name.data()), name.size());
        e.existed = existed != 0;
        // Lengths beyond what the file can be, or a created file with an old length,
        // are a damaged journal: nothing may be extended or cut by them.
        const std::uint64_t limit = LimitOf(e.name);
        if (limit == 0 || existed > 1 || e.oldLength > limit || e.newLength > limit ||
            (!e.existed && e.oldLength != 0))
            return Torn({});
        for (const JournalEntry& seen : entries)
            if (seen.name == e.name) return Torn({});
        std::uint64_t at = 0;
        for (std::uint64_t k = 0; k < rangeCount; ++k) {
            JournalRange range;
            std::uint64_t gap = 0, oldCount = 0, sum = 0;
            std::span<const std::byte> old;
            if (!r.Get(gap, 4) || !r.Get(oldCount, 2) || !r.Take(oldCount, old) || !r.Get(sum, 4))
                return Torn({});
            range.offset = at + gap;
            // Old bytes lie inside the old length and inside one sector.
            if (oldCount == 0 || range.offset > e.oldLength ||
                oldCount > e.oldLength - range.offset ||
                range.offset % kSectorSize + oldCount > kSectorSize ||
                (range.offset < e.newLength && oldCount > e.newLength - range.offset))
                return Torn({});
            range.oldBytes.assign(old.begin(), old.end());
            range.newSum = static_cast<std::uint32_t>(sum);
            at = range.offset + oldCount;
            e.ranges.push_back(std::move(range));
        }
        if (!r.Get(tailCount, 4) || tailCount != PiecesBetween(e.oldLength, e.newLength))
            return Torn({});
        for (std::uint64_t k = 0; k < tailCount; ++k) {
            std::uint64_t sum = 0;
            if (!r.Get(sum, 4)) return Torn({});
            e.tailSums.push_back(static_cast<std::uint32_t>(sum));
        }
        entries.push_back(std::move(e));
    }
    if (!r.AtEnd()) return Torn({});
    return entries;
}

bool JournalIsLive(const fs::path& journal) {
    std::uint64_t size = 0;
    const Format format = FormatOf(journal, size);
    // A log this program wrote and has written into the files counts for others only.
    if (format == Format::Redo && IsKnownLog(journal)) return false;
    return LiveOnDisk(journal);
}

namespace {
Status CommitWithRollbackJournal(const fs::path& journal, std::span<const FileChange> changes);
}  // namespace

void UseJournalDesign(JournalDesign d) { design = d; }

void SetJournalSettleSize(std::uint64_t bytes) { logLimit = bytes; }

Status CommitChanges(const fs::path& journal, std::span<const FileChange> changes) {
    for (const FileChange& c : changes) {
        const std::uint64_t limit = LimitOf(c.path.filename().string());
        if (limit == 0 || c.after.size() > limit || c.before.size() > limit)
            return BadFormatError(c.path.string(), "ファイルが大きすぎます。");
        // The log of KEIRI13 covers only that year's files (and those every year shares).
        if (!SameYear(c.path.filename().string(), journal.stem().string()))
            return BadFormatError(c.path.string(), "この年度のファイルではありません。");
    }
    if (design == JournalDesign::RedoLog) return CommitWithRedoLog(journal, changes);
    return CommitWithRollbackJournal(journal, changes);
}

namespace {
// The rollback design: the old bytes are journalled and flushed, then each file is
// written and flushed, then the mark is cleared without a flush.
Status CommitWithRollbackJournal(const fs::path& journal, std::span<const FileChange> changes) {
    FileOps& ops = Files();
    const std::string folder = FolderOf(journal);
    const std::vector<std::byte> record = EncodeJournal(changes);

    // 1. The journal, flushed. A journal that still counts (an earlier put-back
    // failed, or a redo log) is settled first.
    if (LiveOnDisk(journal)) {
        auto settled = SettleJournal(journal, AfterRecovery::Keep);
        if (!settled) return settled.error();
    }
    // The file is kept between operations with its mark cleared, so that an
    // operation costs a write and a flush, not a file created and removed.
    struct stat st {};
    const bool existed = ::stat(journal.c_str(), &st) == 0;
    const bool grows = !existed || static_cast<std::size_t>(st.st_size) < record.size();
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return FileErrorFromErrno(errno, journal.string(), true);
    // A journal that grows needs its length on the disk too; one that is new, its name.
    bool ok = PwriteAllAt(fd, record.data(), record.size(), 0) &&
              (grows ? ops.Fsync(fd) : ops.Fdatasync(fd)) == 0;
    int err = errno;
    if (ops.Close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && !existed && SyncFolder(folder.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ClearMark(journal, false);  // the files are untouched; a torn journal is harmless
        return FileErrorFromErrno(err, journal.string(), true);
    }
    NoteUnflushed(journal, false);

    // 2. The files, each flushed. Once the last flush is back the operation is done:
    // a journal found with every range as written is dropped, not rolled back.
    auto putBack = [&](FileError e) -> Status {
        if (RestoreAll(changes) && ClearMark(journal, true)) return e;
        NoteFailed(journal, true);
        return e;
    };
    bool created = false;
    for (const FileChange& c : changes) {
        fd = ops.Open(c.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return putBack(FileErrorFromErrno(errno, c.path.string(), true));
        ok = true;
        for (const ByteRange& r : c.ranges) {
            ok = ok && PwriteAllAt(fd, c.after.data() + r.begin, r.end - r.begin,
                                   static_cast<off_t>(r.begin));
        }
        if (ok && c.after.size() < c.before.size())
            ok = ops.Ftruncate(fd, static_cast<off_t>(c.after.size())) == 0;
        if (ok) ok = ops.Fdatasync(fd) == 0;
        err = errno;
        if (ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (!ok) return putBack(FileErrorFromErrno(err, c.path.string(), true));
        created = created || !c.existed;
    }
    // A file the operation created must stay in its folder.
    if (created && SyncFolder(folder.c_str()) != 0)
        return putBack(FileErrorFromErrno(errno, folder, true));

    // 3. The mark is cleared without a flush: the files are whole and flushed, so
    // should the mark come back after a power cut the journal is only dropped.
    // Anything else that writes these files settles the journal first.
    ClearMark(journal, false);
    return Ok();
}
}  // namespace

Result<Settled> SettleJournal(const fs::path& journal, AfterRecovery after) {
    std::uint64_t size = 0;
    if (FormatOf(journal, size) == Format::Redo) return SettleLog(journal, after);
    Settled out;
    out.journal = journal;
    auto judged = Judge(journal);
    if (!judged) return judged.error();
    const fs::path folder = journal.parent_path();
    out.outcome = OutcomeOf(judged->plan);
    switch (judged->plan) {
        case Plan::None: {
            std::error_code ec;
            if (after == AfterRecovery::Keep && !IsUnflushed(journal)) return out;
            if (after == AfterRecovery::Remove && !fs::exists(journal, ec)) return out;
            break;
        }
        case Plan::RollBack:
            for (const JournalEntry& e : judged->entries)
                if (!Restore(folder / e.name, e))
                    return FileErrorFromErrno(errno, (folder / e.name).string(), true);
            if (std::any_of(judged->entries.begin(), judged->entries.end(),
                            [](const JournalEntry& e) { return !e.existed; }) &&
                SyncFolder(FolderOf(journal).c_str()) != 0)
                return FileErrorFromErrno(errno, FolderOf(journal), true);
            break;
        case Plan::Complete:
            for (const JournalEntry& e : judged->entries)
                if (!FlushFile(folder / e.name))
                    return FileErrorFromErrno(errno, (folder / e.name).string(), true);
            break;
        case Plan::SetAside: {
            out.setAsideAs = AsideName(journal);
            if (Files().Rename(journal.c_str(), out.setAsideAs.c_str()) != 0)
                return FileErrorFromErrno(errno, journal.string(), true);
            NoteUnflushed(journal, false);
            NoteFailed(journal, false);
            if (SyncFolder(FolderOf(journal).c_str()) != 0)
                return FileErrorFromErrno(errno, FolderOf(journal), true);
            return out;
        }
        case Plan::Damaged:
            break;
    }
    if (Status st = Retire(journal, after); !st) return st.error();
    NoteFailed(journal, false);
    return out;
}

Result<Recovery> RecoverJournal(const fs::path& journal, AfterRecovery after) {
    auto settled = SettleJournal(journal, after);
    if (!settled) return settled.error();
    return settled->outcome;
}

Result<Recovery> InspectJournal(const fs::path& journal) {
    std::uint64_t size = 0;
    if (FormatOf(journal, size) == Format::Redo) {
        auto judged = JudgeLog(journal);
        if (!judged) return judged.error();
        return OutcomeOf(judged->plan);
    }
    auto judged = Judge(journal);
    if (!judged) return judged.error();
    return OutcomeOf(judged->plan);
}

Result<std::vector<Settled>> SettleDataFolder(const fs::path& dataFolder, AfterRecovery after) {
    std::vector<fs::path> journals;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 11 && IsJournalFileName(name)) journals.push_back(entry.path());
    }
    if (ec && ec != std::errc::no_such_file_or_directory)
        return FileErrorFromErrno(ec.value(), dataFolder.string());
    std::sort(journals.begin(), journals.end());
    std::vector<Settled> out;
    for (const fs::path& j : journals) {
        auto settled = SettleJournal(j, after);
        if (!settled) return settled.error();
        out.push_back(std::move(*settled));
    }
    return out;
}

}  // namespace tabulo
