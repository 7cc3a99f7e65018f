#include "store/Journal.h"

#include <fcntl.h>
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

std::uint32_t Crc32(std::span<const std::byte> data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::byte b : data) crc = table[(crc ^ std::to_integer<std::uint32_t>(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutLe(std::vector<std::byte>& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFF));
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

// Gives one file its old bytes and length back, and flushes it.
bool Restore(const std::filesystem::path& path, bool existed, std::uint64_t oldLength,
             std::uint64_t offset, std::span<const std::byte> oldBytes) {
    FileOps& ops = Files();
    if (!existed) return ops.Unlink(path.c_str()) == 0 || errno == ENOENT;
    int fd = ops.Open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = PwriteAllAt(fd, oldBytes.data(), oldBytes.size(), static_cast<off_t>(offset)) &&
              ops.Ftruncate(fd, static_cast<off_t>(oldLength)) == 0 && ops.Fdatasync(fd) == 0;
    int err = errno;
    ops.Close(fd);
    errno = err;
    return ok;
}

bool RestoreAll(std::span<const FileChange> changes) {
    bool ok = true;
    for (const FileChange& c : changes) {
        std::size_t oldEnd = std::min(c.end, c.before.size());
        std::span<const std::byte> old =
            c.begin < oldEnd ? c.before.subspan(c.begin, oldEnd - c.begin) : std::span<const std::byte>{};
        ok = Restore(c.path, c.existed, c.before.size(), c.begin, old) && ok;
    }
    return ok;
}

std::string FolderOf(const std::filesystem::path& p) {
    std::filesystem::path folder = p.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

FileChange StagedFile::Change() const {
    FileChange c{path, existed, before, after, 0, 0};
    std::size_t common = std::min(before.size(), after.size());
    std::size_t first = 0;
    while (first < common && before[first] == after[first]) ++first;
    std::size_t last = after.size();
    if (before.size() == after.size())
        while (last > first && before[last - 1] == after[last - 1]) --last;
    c.begin = first;
    c.end = std::max(first, last);
    // A file that did not exist, or whose length changes, is written even where
    // nothing differs, so that its length follows.
    if (!existed || before.size() != after.size()) c.end = after.size();
    if (c.begin > c.end) c.begin = c.end;
    return c;
}

std::filesystem::path JournalPathFor(const std::filesystem::path& ledgerPath) {
    std::filesystem::path p = ledgerPath;
    p.replace_extension(".JNL");
    return p;
}

std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes) {
    std::vector<std::byte> out;
    for (char c : kMagic) out.push_back(static_cast<std::byte>(c));
    PutLe(out, changes.size(), 4);
    for (const FileChange& c : changes) {
        const std::string name = c.path.filename().string();
        PutLe(out, name.size(), 2);
        for (char ch : name) out.push_back(static_cast<std::byte>(ch));
        out.push_back(std::byte{c.existed ? std::uint8_t{1} : std::uint8_t{0}});
        PutLe(out, c.before.size(), 8);
        PutLe(out, c.begin, 8);
        // Only what the file held before: bytes beyond its old end are cut off by the
        // old length.
        std::size_t oldEnd = std::min(c.end, c.before.size());
        std::size_t count = c.begin < oldEnd ? oldEnd - c.begin : 0;
        PutLe(out, count, 4);
        out.insert(out.end(), c.before.begin() + static_cast<std::ptrdiff_t>(c.begin),
                   c.before.begin() + static_cast<std::ptrdiff_t>(c.begin + count));
    }
    const std::size_t bodySize = out.size();
    const std::uint32_t crc = Crc32(out);
    PutLe(out, bodySize, 4);
    PutLe(out, crc, 4);
    return out;
}

Result<std::vector<JournalEntry>> DecodeJournal(std::span<const std::byte> bytes) {
    if (bytes.size() < sizeof kMagic + 4 + 8) return Torn({});
    const std::size_t bodySize = bytes.size() - 8;
    Reader trailer(bytes.subspan(bodySize));
    std::uint64_t recordedSize = 0, recordedCrc = 0;
    trailer.Get(recordedSize, 4);
    trailer.Get(recordedCrc, 4);
    auto body = bytes.first(bodySize);
    if (recordedSize != bodySize || recordedCrc != Crc32(body) ||
        std::memcmp(body.data(), kMagic, sizeof kMagic) != 0) {
        return Torn({});
    }
    Reader r(body.subspan(sizeof kMagic));
    std::uint64_t count = 0;
    if (!r.Get(count, 4) || count > 16) return Torn({});
    std::vector<JournalEntry> entries;
    for (std::uint64_t i = 0; i < count; ++i) {
        JournalEntry e;
        std::uint64_t nameLength = 0, existed = 0, oldCount = 0;
        std::span<const std::byte> name, old;
        if (!r.Get(nameLength, 2) || !r.Take(nameLength, name) || !r.Get(existed, 1) ||
            !r.Get(e.oldLength, 8) || !r.Get(e.offset, 8) || !r.Get(oldCount, 4) ||
            !r.Take(oldCount, old)) {
            return Torn({});
        }
        e.name.assign(reinterpret_cast<const char*>(name.data()), name.size());
        e.existed = existed != 0;
        e.oldBytes.assign(old.begin(), old.end());
        // Old bytes lie inside the old length, and the name inside the folder.
        if (!IsPlainName(e.name) || existed > 1 || e.offset > e.oldLength ||
            oldCount > e.oldLength - e.offset) {
            return Torn({});
        }
        entries.push_back(std::move(e));
    }
    if (!r.AtEnd()) return Torn({});
    return entries;
}

Status CommitChanges(const std::filesystem::path& journal, std::span<const FileChange> changes) {
    FileOps& ops = Files();
    const std::string folder = FolderOf(journal);
    const std::vector<std::byte> record = EncodeJournal(changes);

    // 1. The journal, flushed. A journal left by an earlier failure is rolled back
    // first: it holds what the files held before that failure.
    int fd = ops.Open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        auto recovered = RecoverJournal(journal);
        if (!recovered) return recovered.error();
        fd = ops.Open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) return FileErrorFromErrno(errno, journal.string(), true);
    if (!WriteAllTo(fd, record.data(), record.size()) || ops.Fsync(fd) != 0) {
        int err = errno;
        ops.Close(fd);
        ops.Unlink(journal.c_str());  // the files are untouched; a torn journal is harmless
        return FileErrorFromErrno(err, journal.string(), true);
    }
    if (ops.Close(fd) != 0 || SyncFolder(folder.c_str()) != 0) {
        int err = errno;
        ops.Unlink(journal.c_str());
        return FileErrorFromErrno(err, journal.string(), true);
    }

    // 2. The files, each flushed.
    auto putBack = [&](FileError e) -> Status {
        if (RestoreAll(changes)) ops.Unlink(journal.c_str());
        return e;
    };
    bool created = false;
    for (const FileChange& c : changes) {
        fd = ops.Open(c.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return putBack(FileErrorFromErrno(errno, c.path.string(), true));
        bool ok = PwriteAllAt(fd, c.after.data() + c.begin, c.end - c.begin,
                              static_cast<off_t>(c.begin));
        if (ok && c.after.size() < c.before.size())
            ok = ops.Ftruncate(fd, static_cast<off_t>(c.after.size())) == 0;
        if (ok) ok = ops.Fdatasync(fd) == 0;
        int err = errno;
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

    // 3. The commit point. The folder is not flushed after the removal: should the
    // power go before the system writes it out, the journal comes back and the
    // operation is undone as a whole, which leaves the books consistent.
    if (ops.Unlink(journal.c_str()) != 0) {
        int err = errno;
        RestoreAll(changes);  // the journal stays: the next read rolls back anyway
        return FileErrorFromErrno(err, journal.string(), true);
    }
    return Ok();
}

Result<Recovery> RecoverJournal(const std::filesystem::path& journal) {
    auto bytes = ReadWholeFile(journal);
    if (!bytes) return bytes.error();
    std::error_code ec;
    if (bytes->empty() && !std::filesystem::exists(journal, ec)) return Recovery::None;
    const std::filesystem::path folder = journal.parent_path();
    auto entries = DecodeJournal(*bytes);
    Recovery outcome = Recovery::TornRemoved;
    if (entries) {
        for (const JournalEntry& e : *entries) {
            if (!Restore(folder / e.name, e.existed, e.oldLength, e.offset, e.oldBytes))
                return FileErrorFromErrno(errno, (folder / e.name).string(), true);
        }
        outcome = Recovery::RolledBack;
    }
    if (Files().Unlink(journal.c_str()) != 0 && errno != ENOENT)
        return FileErrorFromErrno(errno, journal.string(), true);
    SyncFolder(FolderOf(journal).c_str());
    return outcome;
}

}  // namespace tabulo
