#include "store/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

namespace tabulo {
namespace {

constexpr char kMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '1'};

// A 64-bit checksum taken eight bytes at a time (FNV-1a over words, folded): it
// only has to tell a journal whose write was cut short or overwritten from a whole
// one, and must cost little beside the write of the journal itself.
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

FileError Torn(const std::filesystem::path& journal) {
    return BadFormatError(journal.string(), "中断された処理の記録が壊れています。");
}

// A name inside the journal must stay inside the data folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The old bytes of `range` that lay inside the file's old length.
std::span<const std::byte> OldPart(const FileChange& c, const ByteRange& r) {
    std::size_t oldEnd = std::min(r.end, c.before.size());
    if (r.begin >= oldEnd) return {};
    return c.before.subspan(r.begin, oldEnd - r.begin);
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
    const std::size_t stop = std::min(r.end, c.before.size());
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
    const std::size_t oldSize = c.before.size();
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

// Gives one file its old bytes and length back, and flushes it.
bool Restore(const std::filesystem::path& path, bool existed, std::uint64_t oldLength,
             const std::vector<JournalRange>& ranges) {
    FileOps& ops = Files();
    if (!existed) return ops.Unlink(path.c_str()) == 0 || errno == ENOENT;
    int fd = ops.Open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // Old bytes go back only into a regular file, never into a device or a FIFO
    // that has taken a data file's name.
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        ok = false;
        errno = EINVAL;
    }
    for (const JournalRange& r : ranges) {
        ok = ok &&
             PwriteAllAt(fd, r.oldBytes.data(), r.oldBytes.size(), static_cast<off_t>(r.offset));
    }
    ok = ok && ops.Ftruncate(fd, static_cast<off_t>(oldLength)) == 0 && ops.Fdatasync(fd) == 0;
    int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

std::vector<JournalRange> OldRanges(const FileChange& c) {
    std::vector<JournalRange> out;
    for (const ByteRange& r : c.ranges) {
        auto old = OldPart(c, r);
        out.push_back({r.begin, std::vector<std::byte>(old.begin(), old.end())});
    }
    return out;
}

bool RestoreAll(std::span<const FileChange> changes) {
    bool ok = true;
    for (const FileChange& c : changes)
        ok = Restore(c.path, c.existed, c.before.size(), OldRanges(c)) && ok;
    return ok;
}

std::string FolderOf(const std::filesystem::path& p) {
    std::filesystem::path folder = p.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

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

std::filesystem::path JournalPathFor(const std::filesystem::path& ledgerPath) {
    std::filesystem::path p = ledgerPath;
    p.replace_extension(".JNL");
    return p;
}

std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes) {
    std::vector<std::byte> out;
    std::vector<std::vector<Run>> runs;
    std::size_t size = sizeof kMagic + 4 + 12;
    for (const FileChange& c : changes) {
        size += 2 + c.path.filename().string().size() + 1 + 8 + 4;
        std::vector<Run> fileRuns = FileRuns(c);
        for (const Run& run : fileRuns) size += 6 + (run.end - run.begin);
        runs.push_back(std::move(fileRuns));
    }
    // Written in place into a buffer of the final size: a walk over a long year
    // gives tens of thousands of runs.
    out.resize(size);  // the mark, the body's length and its checksum come first
    std::byte* p = out.data() + 20;
    auto put = [&p](std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) *p++ = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
    };
    put(changes.size(), 4);
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const FileChange& c = changes[k];
        const std::string name = c.path.filename().string();
        put(name.size(), 2);
        std::memcpy(p, name.data(), name.size());
        p += name.size();
        put(c.existed ? 1 : 0, 1);
        put(c.before.size(), 8);
        put(runs[k].size(), 4);
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
            at = run.end;
        }
    }
    const std::size_t bodySize = static_cast<std::size_t>(p - out.data()) - 20;
    out.resize(20 + bodySize);
    const std::uint64_t sum = Checksum(std::span<const std::byte>(out).subspan(20));
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
    if (bytes.size() < 20) return Torn({});
    // A clearing of the mark that was cut short leaves zeros before the rest of the
    // mark: the operation was not committed, and its journal still counts.
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
    if (bodySize > bytes.size() - 20) return Torn({});
    auto body = bytes.subspan(20, bodySize);
    if (recordedSum != Checksum(body)) return Torn({});
    Reader r(body);
    std::uint64_t count = 0;
    if (!r.Get(count, 4) || count > 16) return Torn({});
    std::vector<JournalEntry> entries;
    for (std::uint64_t i = 0; i < count; ++i) {
        JournalEntry e;
        std::uint64_t nameLength = 0, existed = 0, rangeCount = 0;
        std::span<const std::byte> name;
        if (!r.Get(nameLength, 2) || !r.Take(nameLength, name) || !r.Get(existed, 1) ||
            !r.Get(e.oldLength, 8) || !r.Get(rangeCount, 4)) {
            return Torn({});
        }
        // No file of ours was ever that long: putting the length back would make it so.
        if (e.oldLength > kMaxWholeFileSize) return Torn({});
        e.name.assign(reinterpret_cast<const char*>(name.data()), name.size());
        e.existed = existed != 0;
        if (!IsPlainName(e.name) || existed > 1) return Torn({});
        std::uint64_t at = 0;
        for (std::uint64_t k = 0; k < rangeCount; ++k) {
            JournalRange range;
            std::uint64_t gap = 0, oldCount = 0;
            std::span<const std::byte> old;
            if (!r.Get(gap, 4) || !r.Get(oldCount, 2) || !r.Take(oldCount, old)) return Torn({});
            range.offset = at + gap;
            // Old bytes lie inside the old length.
            if (range.offset > e.oldLength || oldCount > e.oldLength - range.offset)
                return Torn({});
            range.oldBytes.assign(old.begin(), old.end());
            at = range.offset + oldCount;
            e.ranges.push_back(std::move(range));
        }
        entries.push_back(std::move(e));
    }
    if (!r.AtEnd()) return Torn({});
    return entries;
}

namespace {

// Clears the journal's mark so that it no longer counts (the commit point, and the
// end of a put-back). The bytes are not flushed: should the power go before the
// system writes them out, the journal counts again and the operation is undone as a
// whole, which leaves the books consistent.
bool ClearMark(const std::filesystem::path& journal) {
    FileOps& ops = Files();
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT;
    const std::byte zeros[sizeof kMagic] = {};
    bool ok = PwriteAllAt(fd, zeros, sizeof zeros, 0);
    int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

}  // namespace

bool JournalIsLive(const std::filesystem::path& journal) {
    // O_NONBLOCK: a FIFO of that name is not waited on (its read fails: no journal).
    int fd = ::open(journal.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    char mark[sizeof kMagic] = {};
    ssize_t n = ::pread(fd, mark, sizeof mark, 0);
    ::close(fd);
    // Anything but a cleared mark is looked at closely (a torn journal included).
    if (n <= 0) return false;
    for (ssize_t i = 0; i < n; ++i)
        if (mark[i] != 0) return true;
    return false;
}

Status CommitChanges(const std::filesystem::path& journal, std::span<const FileChange> changes) {
    FileOps& ops = Files();
    const std::string folder = FolderOf(journal);
    const std::vector<std::byte> record = EncodeJournal(changes);

    // 1. The journal, flushed. A journal that still counts (an earlier put-back
    // failed) is rolled back first: it holds what the files held before that failure.
    if (JournalIsLive(journal)) {
        auto recovered = RecoverJournal(journal, AfterRecovery::Keep);
        if (!recovered) return recovered.error();
    }
    // The file is kept between operations with its mark cleared, so that an
    // operation costs one write and flush more, not a file created and removed.
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
        ClearMark(journal);  // the files are untouched; a torn journal is harmless anyway
        return FileErrorFromErrno(err, journal.string(), true);
    }

    // 2. The files, each flushed.
    auto putBack = [&](FileError e) -> Status {
        if (RestoreAll(changes)) ClearMark(journal);
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

    // 3. The commit point: the journal no longer counts.
    if (!ClearMark(journal)) {
        err = errno;
        RestoreAll(changes);  // the journal still counts: the next look rolls back anyway
        return FileErrorFromErrno(err, journal.string(), true);
    }
    return Ok();
}

Result<Recovery> RecoverJournal(const std::filesystem::path& journal, AfterRecovery after) {
    auto bytes = ReadWholeFile(journal);
    if (!bytes) return bytes.error();
    std::error_code ec;
    if (bytes->empty() && !std::filesystem::exists(journal, ec)) return Recovery::None;
    const std::filesystem::path folder = journal.parent_path();
    Recovery outcome = Recovery::None;
    if (JournalIsLive(journal)) {
        auto entries = DecodeJournal(*bytes);
        outcome = Recovery::TornRemoved;
        if (entries) {
            for (const JournalEntry& e : *entries) {
                if (!Restore(folder / e.name, e.existed, e.oldLength, e.ranges))
                    return FileErrorFromErrno(errno, (folder / e.name).string(), true);
            }
            outcome = Recovery::RolledBack;
        }
    }
    if (after == AfterRecovery::Keep) {
        if (outcome != Recovery::None && !ClearMark(journal))
            return FileErrorFromErrno(errno, journal.string(), true);
        return outcome;
    }
    if (Files().Unlink(journal.c_str()) != 0 && errno != ENOENT)
        return FileErrorFromErrno(errno, journal.string(), true);
    SyncFolder(FolderOf(journal).c_str());
    return outcome;
}

}  // namespace tabulo
