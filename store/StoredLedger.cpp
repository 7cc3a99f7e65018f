#include "store/StoredLedger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/AtomicFile.h"
#include "store/Journal.h"

namespace tabulo {

namespace {

FileStamp StampOfStat(const struct stat& st) {
    FileStamp out;
    out.device = static_cast<std::uint64_t>(st.st_dev);
    out.inode = static_cast<std::uint64_t>(st.st_ino);
    out.length = static_cast<std::int64_t>(st.st_size);
    out.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    out.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    out.changedSeconds = static_cast<std::int64_t>(st.st_ctim.tv_sec);
    out.changedNanoseconds = static_cast<std::int64_t>(st.st_ctim.tv_nsec);
    return out;
}

}  // namespace

FileStamp StampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return StampOfStat(st);
}

Status RecoverLedgerJournal(const std::filesystem::path& ledger) {
    const std::filesystem::path journal = JournalPathFor(ledger);
    if (JournalIsLive(journal)) {
        auto recovered = RecoverJournal(journal, AfterRecovery::Keep);
        if (!recovered) return recovered.error();
    }
    return Ok();
}

FileError MissingLedgerLine(const std::filesystem::path& ledger, int n) {
    if (n < 1) return BadFormatError(ledger.string(), "出納帳の行番号が正しくありません。");
    return BadFormatError(ledger.string(), "出納帳に " + std::to_string(n) + " 行目がありません。");
}

FileError BadLedgerLine(const std::filesystem::path& ledger, int n, FileError e) {
    e.path = ledger.string();
    e.detail = std::to_string(n) + " 行目: " + e.detail;
    return e;
}

bool StoredDate::ReadDecoded(StoredLedgerLine line, const std::filesystem::path& ledger, int n) {
    auto text = line.Date();
    if (!text) {
        error_ = BadLedgerLine(ledger, n, text.error());
        return false;
    }
    decoded_ = std::move(*text);
    text_ = decoded_;
    return true;
}

Result<StoredLedger> StoredLedger::Read(const std::filesystem::path& path, int first, int last,
                                        bool rollBack) {
    if (rollBack)
        if (Status st = RecoverLedgerJournal(path); !st) return st.error();
    StoredLedger out;
    out.path_ = path;
    out.first_ = std::max(first, 1);
    if (last < out.first_) return out;
    // O_NONBLOCK: a FIFO of that name is refused below instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return out;
        return FileErrorFromErrno(errno, path.string());
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return FileErrorFromErrno(errno, path.string());
    if (auto refused = UnreadableKind(st, path.string(), kMaxLedgerFileSize)) return *refused;
    const std::size_t begin = LedgerLineOffset(out.first_);
    const std::size_t fileSize = static_cast<std::size_t>(st.st_size);
    const std::size_t end = std::min(fileSize, LedgerLineOffset(last + 1));
    if (end <= begin) {
        out.stamp_ = StampOfStat(st);
        return out;
    }
    // Left uninitialised: the file's bytes are read straight over them.
    out.bytes_.reset(new std::byte[end - begin]);
    std::size_t done = 0;
    while (done < end - begin) {
        const ssize_t n = ::pread(fd, out.bytes_.get() + done, end - begin - done,
                                  static_cast<off_t>(begin + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileErrorFromErrno(errno, path.string());
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.size_ = done;
    // Stamped after the read: a write meanwhile leaves a stamp that no earlier look
    // at the file had, so what was read is never taken for what was seen before.
    if (::fstat(fd, &st) == 0) out.stamp_ = StampOfStat(st);
    return out;
}

Result<LedgerLine> DecodeLedgerLineAt(const std::filesystem::path& ledger, int n,
                                      StoredLedgerLine line) {
    auto decoded = line.Decode();
    if (!decoded) return BadLedgerLine(ledger, n, decoded.error());
    return decoded;
}

Result<LedgerLine> StoredLedger::Decode(int n) const {
    auto stored = Line(n);
    if (!stored) return stored.error();
    return DecodeLedgerLineAt(path_, n, *stored);
}

}  // namespace tabulo
