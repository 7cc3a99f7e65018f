#include "store/JournalCommon.h"

#include "store/BinaryRecords.h"
#include "store/YearFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

namespace tabulo::journal_detail {
namespace {

constexpr char kLogMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '3'};
constexpr std::size_t kLogHead = sizeof kLogMagic;

// The runs of old bytes that the new contents change, within the part of `range`
// that lay inside the old file. Bytes the operation writes unchanged need no copy:
// a walk that only moves balances journals four bytes a line, not whole lines. Runs
// closer than a run's own header are joined.
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

std::vector<JournalEntry> EntriesOf(std::span<const FileChange> changes);

}  // namespace

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

std::byte* PutFileHead(std::byte* p, const FileChange& c, std::size_t runs) {
    auto put = [&p](std::uint64_t v, int width) {
        StoreLittleEndian(p, v, width);
        p += width;
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

// The files a journal may name, with their limits: this year's ledger, deposit file,
// history and slip book, and the item accounts (one file for every year). Anything
// else (a path, another file of the folder) is not ours.
std::uint64_t LimitOf(const std::string& name) {
    const auto named = YearFileOfName(name);
    if (!named) return 0;
    switch (named->kind) {
    case YearFileKind::ItemAccounts: return kMaxItemAccountsFileSize;
    case YearFileKind::Ledger: return kMaxLedgerFileSize;
    case YearFileKind::DepositBook: return kMaxDepositFileSize;
    case YearFileKind::History: return kMaxHistoryFileSize;
    case YearFileKind::SlipBook: return kMaxSlipFileSize;
    default: return 0;
    }
}

// Whether the journal `stem` (KEIRI13) may name the file `name`: a file of its own
// year, or one that every year shares.
bool SameYear(const std::string& name, const std::string& stem) {
    const auto named = YearFileOfName(name);
    if (!named) return false;
    if (named->tag.empty()) return named->kind == YearFileKind::ItemAccounts;
    return stem.size() == 7 && stem.compare(5, 2, named->tag) == 0;
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
    runs.reserve(c.touched.size() + 16);  // a long run compared may give a few
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
    // Room for the few runs a sector's end cuts in two; more grow the list.
    out.reserve(runs.size() + runs.size() / 8 + 16);
    for (Run r : runs) {
        if (r.begin >= r.end) continue;
        if ((r.end - 1) / kSectorSize == r.begin / kSectorSize) {
            out.push_back(r);  // within one sector: the usual case
            continue;
        }
        while (r.begin < r.end) {
            const std::size_t sectorEnd = (r.begin / kSectorSize + 1) * kSectorSize;
            const std::size_t end = std::min(r.end, sectorEnd);
            out.push_back({r.begin, end});
            r.begin = end;
        }
    }
    return out;
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

namespace {
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

}  // namespace

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

// The name a journal that does not fit its files is kept under.
fs::path AsideName(const fs::path& journal) {
    const std::string stem = journal.stem().string();
    std::error_code ec;
    for (int n = 1;; ++n) {
        fs::path p = journal.parent_path() / (stem + "-ASIDE" + std::to_string(n) + ".JNL");
        if (!fs::exists(p, ec)) return p;
    }
}

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

bool LiveOnDisk(const fs::path& journal) {
    std::uint64_t size = 0;
    switch (FormatOf(journal, size)) {
        case Format::Redo: return size > kLogHead;
        case Format::Undo: return true;
        default: return false;
    }
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

}  // namespace tabulo::journal_detail
