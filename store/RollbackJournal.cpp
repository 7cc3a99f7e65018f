#include "store/RollbackJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/JournalCommon.h"

namespace tabulo {

using namespace journal_detail;

namespace {

constexpr char kMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '2'};
constexpr std::size_t kHead = sizeof kMagic + 12;

// The number of sector pieces of [from, to).
std::uint64_t PiecesBetween(std::uint64_t from, std::uint64_t to) {
    if (to <= from) return 0;
    return (to - 1) / kSectorSize - from / kSectorSize + 1;
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

// Clears the journal's mark so that it no longer counts, and flushes it.
bool ClearMark(const fs::path& journal) {
    FileOps& ops = Files();
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT;
    const std::byte zeros[sizeof kMagic] = {};
    bool ok = PwriteAllAt(fd, zeros, sizeof zeros, 0) && ops.Fdatasync(fd) == 0;
    int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

struct Judged {
    Plan plan = Plan::None;
    std::vector<JournalEntry> entries;
};

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
    out.plan = foreign ? Plan::SetAside : allNew ? Plan::Complete : Plan::RollBack;
    out.entries = std::move(*entries);
    return out;
}

// Makes a journal that no longer counts stay so: removed, or its mark flushed.
Status Retire(const fs::path& journal, AfterRecovery after) {
    FileOps& ops = Files();
    if (after == AfterRecovery::Keep) {
        if (!ClearMark(journal)) return FileErrorFromErrno(errno, journal.string(), true);
        return Ok();
    }
    if (ops.Unlink(journal.c_str()) != 0) {
        if (errno != ENOENT) return FileErrorFromErrno(errno, journal.string(), true);
        return Ok();
    }
    if (SyncFolder(FolderOf(journal).c_str()) != 0)
        return FileErrorFromErrno(errno, FolderOf(journal), true);
    return Ok();
}

}  // namespace

std::uint64_t JournalBodyChecksum(std::span<const std::byte> body) { return Checksum(body); }

std::uint32_t PieceSum(std::span<const std::byte> bytes) {
    const std::uint64_t h = Checksum(bytes);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
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

Result<Settled> SettleRollbackJournal(const fs::path& journal, AfterRecovery after) {
    Settled out;
    out.journal = journal;
    auto judged = Judge(journal);
    if (!judged) return judged.error();
    const fs::path folder = journal.parent_path();
    out.outcome = OutcomeOf(judged->plan);
    switch (judged->plan) {
        case Plan::None: {
            std::error_code ec;
            if (after == AfterRecovery::Keep) return out;
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
            if (SyncFolder(FolderOf(journal).c_str()) != 0)
                return FileErrorFromErrno(errno, FolderOf(journal), true);
            return out;
        }
        case Plan::Damaged:
            break;
    }
    if (Status st = Retire(journal, after); !st) return st.error();
    return out;
}

Result<Recovery> InspectRollbackJournal(const fs::path& journal) {
    auto judged = Judge(journal);
    if (!judged) return judged.error();
    return OutcomeOf(judged->plan);
}

}  // namespace tabulo
