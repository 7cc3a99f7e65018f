#include "store/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "store/JournalCommon.h"
#include "store/RedoLogRecords.h"
#include "store/RollbackJournal.h"

namespace tabulo {

using namespace journal_detail;

namespace {

std::mutex logsLock;
// Logs of operations this program reported as failed while taking their record back
// out failed too: the offset of the first record that is to be undone when the log
// is next settled.
std::map<std::string, std::uint64_t>& Failed() {
    static std::map<std::string, std::uint64_t> paths;
    return paths;
}
void NoteFailed(const fs::path& journal, bool failed, std::uint64_t from = 0) {
    std::lock_guard<std::mutex> hold(logsLock);
    if (failed)
        Failed()[journal.string()] = from;
    else
        Failed().erase(journal.string());
}
std::optional<std::uint64_t> FailedFrom(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(logsLock);
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
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const LogIdentity&) const = default;
};
// A file a known log's records were written into, as this program left it then.
struct WrittenFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const WrittenFile&) const = default;
};
std::optional<WrittenFile> WrittenFileOf(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return WrittenFile{path,         st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec,
                       st.st_mtim.tv_nsec};
}
struct KnownLog {
    LogIdentity log;
    // Every file the log's records changed, as last written; `filesKnown` false when
    // one of them could not be looked at after its write.
    std::vector<WrittenFile> files;
    bool filesKnown = true;
    bool namesChange = false;  // a record created a file
};
std::map<std::string, KnownLog>& Known() {
    static std::map<std::string, KnownLog> paths;
    return paths;
}
std::optional<LogIdentity> IdentityOf(const fs::path& journal) {
    struct stat st {};
    if (::stat(journal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return LogIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}
// The log as it now is, emptied (or with records whose files are not known).
void RememberLog(const fs::path& journal) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    std::lock_guard<std::mutex> hold(logsLock);
    if (id)
        Known()[journal.string()] = KnownLog{*id, {}, true, false};
    else
        Known().erase(journal.string());
}
// The log as it now is, after a record appended to it (to a log that held only the
// records known before, when `appended`) was written into the files `written`
// (nullopt: one that could not be looked at).
void RememberRecord(const fs::path& journal, bool appended,
                    const std::vector<std::optional<WrittenFile>>& written, bool namesChange) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    std::lock_guard<std::mutex> hold(logsLock);
    if (!id) {
        Known().erase(journal.string());
        return;
    }
    auto it = Known().find(journal.string());
    KnownLog known;
    if (appended && it != Known().end()) known = std::move(it->second);
    else known.filesKnown = !appended;
    known.log = *id;
    known.namesChange = known.namesChange || namesChange;
    for (const std::optional<WrittenFile>& f : written) {
        if (!f) {
            known.filesKnown = false;
            continue;
        }
        auto same = std::find_if(known.files.begin(), known.files.end(),
                                 [&](const WrittenFile& k) { return k.path == f->path; });
        if (same != known.files.end())
            *same = *f;
        else
            known.files.push_back(*f);
    }
    Known()[journal.string()] = std::move(known);
}
void ForgetLog(const fs::path& journal) {
    std::lock_guard<std::mutex> hold(logsLock);
    Known().erase(journal.string());
}
bool IsKnownLog(const fs::path& journal) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    std::lock_guard<std::mutex> hold(logsLock);
    auto it = Known().find(journal.string());
    return id && it != Known().end() && it->second.log == *id;
}
// The known log at `journal` when it and every file its records were written into
// are as this program left them: the files then hold every record already.
std::optional<KnownLog> UntouchedLog(const fs::path& journal) {
    const std::optional<LogIdentity> id = IdentityOf(journal);
    KnownLog known;
    {
        std::lock_guard<std::mutex> hold(logsLock);
        auto it = Known().find(journal.string());
        if (!id || it == Known().end() || !(it->second.log == *id) || !it->second.filesKnown)
            return std::nullopt;
        known = it->second;
    }
    for (const WrittenFile& f : known.files) {
        struct stat st {};
        if (::stat(f.path.c_str(), &st) != 0) return std::nullopt;
        const std::optional<WrittenFile> now = WrittenFileOf(f.path, st);
        if (!now || !(*now == f)) return std::nullopt;
    }
    return known;
}

// ---- The redo log ----
//
// KEIRI<nn>.JNL as a redo log: the mark "TABJRNL3", then one record an operation.
// An operation appends its record (the old and the new bytes of every run it
// changes, and the files' old and new lengths) with a checksum that does not match,
// and flushes the log; then it writes the record's checksum and flushes again: that
// second flush is its commit. A record whose operation is reported as failed has
// never carried its checksum, so no later read can take it for whole, even when
// nothing can be written after the failure (a disk that keeps failing). The files
// are then written in place without a flush of their own.
// Before anything else writes these files, when the log grows past its limit and
// when the program ends, the log is settled: every record is written into the files
// again where they do not hold it yet, the files are flushed, and only then is the
// log emptied (or removed). Writing a record again is harmless, so a cut during the
// settling is settled again by the next read.

std::uint64_t logLimit = kJournalSettleSize;

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

// Empties (Keep) or removes the log once the files hold what it says, on the disk.
Status DropSettledLog(const fs::path& journal, AfterRecovery after) {
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
    return Ok();
}

// Settles a log this program wrote whose files are as it left them: they hold every
// record already (writing them again would change no byte), so settling is flushing
// them. Nothing (nullopt) when the log or a file is not as left, or an operation on
// it failed: then the log is read and measured against the files.
std::optional<Result<Settled>> SettleUntouchedLog(const fs::path& journal, AfterRecovery after) {
    if (FailedFrom(journal)) return std::nullopt;
    const std::optional<KnownLog> known = UntouchedLog(journal);
    if (!known) return std::nullopt;
    Settled out;
    out.journal = journal;
    const bool empty = static_cast<std::uint64_t>(known->log.size) <= kLogHead;
    out.outcome = empty ? Recovery::None : Recovery::Completed;
    // An empty log this program keeps is left as it is.
    if (empty && after == AfterRecovery::Keep) return Result<Settled>(out);
    FileOps& ops = Files();
    for (const WrittenFile& f : known->files) {
        const int fd = ops.Open(f.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC, 0);
        bool ok = fd >= 0 && ops.Fdatasync(fd) == 0;
        const int err = errno;
        if (fd >= 0) ops.Close(fd);
        if (!ok) return Result<Settled>(FileErrorFromErrno(err, f.path, true));
    }
    if (known->namesChange && SyncFolder(FolderOf(journal).c_str()) != 0)
        return Result<Settled>(FileErrorFromErrno(errno, FolderOf(journal), true));
    if (Status st = DropSettledLog(journal, after); !st) return Result<Settled>(st.error());
    return Result<Settled>(out);
}

// Settles a redo log: writes its records into the files again (or sets it aside),
// flushes the files, then empties or removes the log.
Result<Settled> SettleLog(const fs::path& journal, AfterRecovery after) {
    if (auto quick = SettleUntouchedLog(journal, after)) return std::move(*quick);
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
    if (Status st = DropSettledLog(journal, after); !st) return st.error();
    return out;
}

// Takes a redo log's record back out after its operation failed: the files get their
// old bytes (flushed), then the log its old length (flushed). When even that fails,
// the program remembers to undo the record when it next settles the log.
// `unmatched`: the eight bytes of a checksum the record does not have.
void BackOut(const fs::path& journal, std::span<const FileChange> changes, std::uint64_t recordAt,
             const std::byte* unmatched, bool filesWritten) {
    FileOps& ops = Files();
    bool ok = !filesWritten || RestoreAll(changes);
    if (ok) {
        int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
        ok = fd >= 0 && ops.Ftruncate(fd, static_cast<off_t>(recordAt)) == 0 &&
             ops.Fdatasync(fd) == 0;
        if (fd >= 0) ops.Close(fd);
    }
    if (!ok) {
        // The log keeps its length: at least take the record's checksum back out, so
        // that a later read finds the record torn.
        int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
        if (fd >= 0) {
            if (PwriteAllAt(fd, unmatched, 8, static_cast<off_t>(recordAt + 4))) ops.Fdatasync(fd);
            ops.Close(fd);
        }
    }
    ForgetLog(journal);
    if (!ok) NoteFailed(journal, true, recordAt);
}

Status CommitWithRedoLog(const fs::path& journal, std::span<const FileChange> changes) {
    FileOps& ops = Files();
    const RecordPlan plan = PlanRecord(changes);
    std::uint64_t size = 0;
    Format format = FormatOf(journal, size);
    bool append = format == Format::Redo && IsKnownLog(journal);
    // A record of a failed operation that never reached the log leaves nothing to undo.
    if (!append && !LiveOnDisk(journal)) NoteFailed(journal, false);
    // A log this program did not write (or whose last operation failed) is settled
    // first; so is one that has grown past its limit.
    if ((!append && LiveOnDisk(journal)) ||
        (append && size > kLogHead && size + kRecordHead + plan.bodySize > logLimit)) {
        auto settled = SettleJournal(journal, AfterRecovery::Keep);
        if (!settled) return settled.error();
        format = FormatOf(journal, size);
        append = format == Format::Redo && size == kLogHead;
    }
    const std::uint64_t recordAt = append ? size : kLogHead;
    // What is written: the mark of a new log, then the record, encoded in place.
    const std::size_t head = append ? 0 : kLogHead;
    const std::size_t outSize = head + kRecordHead + plan.bodySize;
    std::unique_ptr<std::byte[]> out(new std::byte[outSize]);  // every byte is written below
    if (!append) std::memcpy(out.get(), kLogMagic, kLogHead);
    std::byte* record = out.get() + head;
    EncodeRecordBody(changes, plan, record + kRecordHead);
    PutRecordHead(record, plan.bodySize, recordAt);
    // The checksum as it will be written once the record is on the disk, and for
    // now its complement: a record that never matches until then.
    std::byte sum[8];
    std::memcpy(sum, record + 4, sizeof sum);
    for (std::size_t i = 4; i < kRecordHead; ++i) record[i] = ~record[i];

    // 1. The record, flushed. A new log needs its name on the disk too.
    const bool created = format == Format::Missing;
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return FileErrorFromErrno(errno, journal.string(), true);
    bool ok = PwriteAllAt(fd, out.get(), outSize, static_cast<off_t>(append ? size : 0));
    // Whatever an earlier file of that name held past the new log goes.
    if (ok && !append && !created)
        ok = ops.Ftruncate(fd, static_cast<off_t>(outSize)) == 0;
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
    // 2. The record's checksum, flushed: the commit.
    if (ok) {
        fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
        ok = fd >= 0 && PwriteAllAt(fd, sum, sizeof sum, static_cast<off_t>(recordAt + 4)) &&
             ops.Fdatasync(fd) == 0;
        err = errno;
        if (fd >= 0 && ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
    }
    if (!ok) {
        BackOut(journal, changes, recordAt, record + 4, false);
        return FileErrorFromErrno(err, journal.string(), true);
    }

    // 3. The files, in place, without a flush: the record holds what they must hold.
    // Each is looked at afterwards, so that settling can tell it is still as written.
    std::vector<std::optional<WrittenFile>> written;
    bool namesChange = false;
    for (const FileChange& c : changes) {
        fd = ops.Open(c.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ok = fd >= 0;
        err = errno;
        // A range may reach past the new length (a file that shrinks): only the part
        // within it is written, and the truncation below takes the rest away.
        for (const ByteRange& r : c.ranges) {
            const std::size_t end = std::min(r.end, c.after.size());
            if (r.begin >= end) continue;
            ok = ok && PwriteAllAt(fd, c.after.data() + r.begin, end - r.begin, static_cast<off_t>(r.begin));
        }
        if (ok && c.after.size() < c.before.size())
            ok = ops.Ftruncate(fd, static_cast<off_t>(c.after.size())) == 0;
        if (!ok) err = errno;
        struct stat st {};
        written.push_back(ok && ::fstat(fd, &st) == 0 ? WrittenFileOf(c.path.string(), st)
                                                      : std::nullopt);
        namesChange = namesChange || !c.existed;
        if (fd >= 0 && ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (!ok) {
            BackOut(journal, changes, recordAt, record + 4, true);
            return FileErrorFromErrno(err, c.path.string(), true);
        }
    }
    RememberRecord(journal, append, written, namesChange);
    return Ok();
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

fs::path JournalPathFor(const fs::path& ledgerPath) {
    fs::path p = ledgerPath;
    p.replace_extension(".JNL");
    return p;
}

bool IsJournalFileName(const std::string& name) {
    return name.size() >= 11 && name.starts_with("KEIRI") && name.ends_with(".JNL");
}

bool JournalIsLive(const fs::path& journal) {
    std::uint64_t size = 0;
    const Format format = FormatOf(journal, size);
    // A log this program wrote and has written into the files counts for others only.
    if (format == Format::Redo && IsKnownLog(journal)) return false;
    return LiveOnDisk(journal);
}

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
    return CommitWithRedoLog(journal, changes);
}

Result<Settled> SettleJournal(const fs::path& journal, AfterRecovery after) {
    std::uint64_t size = 0;
    if (FormatOf(journal, size) == Format::Redo) return SettleLog(journal, after);
    return SettleRollbackJournal(journal, after);
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
    return InspectRollbackJournal(journal);
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
