#include "store/LedgerFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "store/StoredLedger.h"

namespace tabulo {

namespace {
// The stored balance of a line: a Long between the amounts and the remarks.
constexpr std::size_t kLedgerBalanceBytes = kLedgerBikouOffset - kLedgerZandakaOffset;
static_assert(kLedgerBalanceBytes == 4);
// How far ahead of the bytes written the old bytes are kept (see Impl::Save).
constexpr std::size_t kSaveAhead = 16 * 1024;

// Whether the N bytes at a and b are the same, for the short fixed lengths of a line:
// eight bytes at a time, the last eight overlapping those before.
template <std::size_t N>
inline bool SameBytes(const std::byte* a, const std::byte* b) {
    static_assert(N == 4 || N >= 8);
    if constexpr (N == 4) {
        std::uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x == y;
    } else {
        auto same = [&](std::size_t i) {
            std::uint64_t x, y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            return x == y;
        };
        for (std::size_t i = 0; i + 8 <= N; i += 8)
            if (!same(i)) return false;
        return N % 8 == 0 || same(N - 8);
    }
}

// A balance as the file stores it (little-endian).
inline std::array<std::byte, kLedgerBalanceBytes> BalanceBytes(Amount v) {
    std::array<std::byte, kLedgerBalanceBytes> out;
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::byte>((u >> (8 * i)) & 0xFF);
    return out;
}
}  // namespace

namespace {
// Leaves new elements uninitialised: the file's bytes are read straight over them,
// so zeroing 400 KB first would be wasted.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using Buffer = std::vector<std::byte, UninitialisedAllocator<std::byte>>;
}  // namespace

// The file's bytes are read once at Open into `bytes`. Before a byte of them first
// changes, its old value goes to the same place in `disk`, for the journal and for
// Discard: the header on its own, the lines as one stretch [savedBegin, savedEnd)
// that grows to cover every line written (its other bytes are never looked at, and
// are never even filled). So a post on the last line keeps the old bytes of the
// lines it rewrites, not a copy of the whole year.
// [dirtyBegin, dirtyEnd) is the range of lines changed since then; the header is
// tracked on its own, so that a post on the last line does not rewrite (and journal)
// every line between.
struct LedgerFile::Impl {
    std::filesystem::path path;
    int fd = -1;
    bool readOnly = false;  // a write-protected disk can still be read
    bool existed = true;    // false: Open created the file
    Buffer bytes;
    Buffer disk;
    std::size_t diskSize = 0;  // the length of the file on the disk
    bool changed = false;
    bool headerSaved = false;
    std::size_t savedBegin = 0;
    std::size_t savedEnd = 0;
    std::size_t dirtyBegin = 0;
    std::size_t dirtyEnd = 0;
    bool headerDirty = false;
    // The line bytes written since `disk` was taken, as sorted runs, so that the
    // journal need not compare the whole dirty range; `touchedInOrder` false (a
    // write before an earlier one) leaves the journal to compare. The first entry,
    // once there is one, is kept for the header, so that the runs can be handed
    // over to the journal without a copy.
    std::vector<ByteRange> touched;
    bool touchedInOrder = true;

    ~Impl() {
        if (fd >= 0) ::close(fd);
    }

    // Keeps the old bytes of [begin, end) before they change.
    void Save(std::size_t begin, std::size_t end) {
        if (!changed) {
            disk.resize(diskSize);  // uninitialised: only what is saved is ever read
            changed = true;
        }
        // Past the old end there is nothing to keep, but the stretch must still reach
        // the old end: the journal and Discard read all of it.
        begin = std::min(begin, diskSize);
        end = std::min(end, diskSize);
        if (begin >= end) {
            if (savedBegin != savedEnd && end > savedEnd) {
                std::memcpy(disk.data() + savedEnd, bytes.data() + savedEnd, end - savedEnd);
                savedEnd = end;
            }
            return;
        }
        if (begin < kLedgerHeaderSize) {
            if (!headerSaved) {
                const std::size_t h = std::min(kLedgerHeaderSize, diskSize);
                if (h > 0) std::memcpy(disk.data(), bytes.data(), h);
                headerSaved = true;
            }
            begin = kLedgerHeaderSize;
            if (begin >= end) return;
        }
        // A walk writes line after line: the stretch is kept a little ahead of the
        // bytes written, so that it is not copied a line at a time. The bytes ahead
        // have not changed yet, so their old value is the one they hold.
        const std::size_t ahead = std::min(diskSize, end + kSaveAhead);  // end <= diskSize here
        if (savedBegin == savedEnd) {
            std::memcpy(disk.data() + begin, bytes.data() + begin, ahead - begin);
            savedBegin = begin;
            savedEnd = ahead;
            return;
        }
        // Bytes outside the stretch have not changed yet: they are taken as they are.
        if (begin < savedBegin) {
            std::memcpy(disk.data() + begin, bytes.data() + begin, savedBegin - begin);
            savedBegin = begin;
        }
        if (end > savedEnd) {
            std::memcpy(disk.data() + savedEnd, bytes.data() + savedEnd, ahead - savedEnd);
            savedEnd = ahead;
        }
    }
    bool Saved(std::size_t begin, std::size_t end) const {
        return changed && (begin >= diskSize || (begin >= savedBegin && end <= savedEnd));
    }

    void Put(std::size_t offset, std::span<const std::byte> data) {
        Save(offset, offset + data.size());
        if (bytes.size() < offset + data.size()) {
            // A line written past the end: the gap (at most the skipped line the
            // screen allows) becomes blank lines, never undefined bytes.
            std::size_t oldSize = bytes.size();
            bytes.resize(offset + data.size());
            if (oldSize < offset) FillBlankLines(oldSize, offset);
            MarkDirty(std::min(oldSize, offset), offset);
        }
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        MarkDirty(offset, offset + data.size());
        if (!(offset == 0 && data.size() == kLedgerHeaderSize)) Touch(offset, offset + data.size());
    }

    // Stores the balance bytes at `at`, within the file; nothing when they are the same.
    void StoreBalance(std::size_t at, const std::array<std::byte, kLedgerBalanceBytes>& le) {
        std::byte* stored = bytes.data() + at;
        if (SameBytes<kLedgerBalanceBytes>(stored, le.data())) return;
        const std::size_t end = at + kLedgerBalanceBytes;
        if (!Saved(at, end)) Save(at, end);
        std::memcpy(stored, le.data(), kLedgerBalanceBytes);
        MarkDirty(at, end);
        if (touchedInOrder && !touched.empty() && at > touched.back().end)
            touched.push_back({at, end});
        else
            Touch(at, end);
    }

    void Touch(std::size_t begin, std::size_t end) {
        if (!touchedInOrder) return;
        if (touched.empty()) {
            touched.reserve(std::max<std::size_t>(16, (dirtyEnd - dirtyBegin) / kLedgerLineSize + 2));
            touched.push_back({0, 0});  // the header's place
        }
        if (begin > touched.back().end) {
            touched.push_back({begin, end});
        } else if (begin >= touched.back().begin) {
            touched.back().end = std::max(touched.back().end, end);
        } else {
            touchedInOrder = false;
            touched.clear();
        }
    }

    // Every pending change is on the disk (`committed`) or dropped.
    void ClearChanges(bool committed) {
        if (committed) diskSize = bytes.size();
        disk.clear();
        changed = false;
        headerSaved = false;
        savedBegin = savedEnd = 0;
        dirtyBegin = dirtyEnd = 0;
        headerDirty = false;
        touched.clear();
        touchedInOrder = true;
    }

    // Puts the saved old bytes back into `bytes`.
    void Undo() {
        if (!changed) return;
        if (headerSaved)
            std::memcpy(bytes.data(), disk.data(), std::min(kLedgerHeaderSize, diskSize));
        if (savedBegin < savedEnd)
            std::memcpy(bytes.data() + savedBegin, disk.data() + savedBegin, savedEnd - savedBegin);
        bytes.resize(diskSize);
    }

    void FillBlankLines(std::size_t from, std::size_t to) {
        static const std::vector<std::byte> blank = *EncodeLedgerLine(BlankLedgerLine(0));
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                  bytes.begin() + static_cast<std::ptrdiff_t>(to), std::byte{0});
        // Whole line slots between the end of the header and `to` get a blank line;
        // a piece short of a full line (a file that ended mid-line) stays zero.
        std::size_t pos = std::max(from, kLedgerHeaderSize);
        std::size_t lineStart =
            kLedgerHeaderSize +
            ((pos - kLedgerHeaderSize + kLedgerLineSize - 1) / kLedgerLineSize) * kLedgerLineSize;
        for (std::size_t at = lineStart; at + kLedgerLineSize <= to; at += kLedgerLineSize) {
            std::copy(blank.begin(), blank.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }

    void MarkDirty(std::size_t begin, std::size_t end) {
        if (begin >= end) return;
        if (begin == 0 && end == kLedgerHeaderSize && bytes.size() >= kLedgerHeaderSize) {
            headerDirty = true;
            return;
        }
        if (dirtyBegin == dirtyEnd) {
            dirtyBegin = begin;
            dirtyEnd = end;
        } else {
            dirtyBegin = std::min(dirtyBegin, begin);
            dirtyEnd = std::max(dirtyEnd, end);
        }
    }

    FileError Error(int err, bool writing) const {
        return FileErrorFromErrno(err, path.string(), writing);
    }
    FileError Bad(FileError e) const {
        e.path = path.string();
        return e;
    }
};

Result<LedgerFile> LedgerFile::Open(const std::filesystem::path& path, Access access) {
    const bool readOnly = access == Access::ReadOnly;
    // What the name stands for is looked at before it is opened: opening a device or
    // a FIFO may itself do something (or wait).
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (auto refused = UnreadableKind(st, path.string(), kMaxLedgerFileSize)) return *refused;
    } else if (errno != ENOENT || readOnly) {
        return FileErrorFromErrno(errno, path.string());
    }
    // A journal left by an operation whose put-back failed too (a disk that kept
    // failing) is rolled back before the ledger is looked at again, so that no one
    // sees, or builds on, half of that operation.
    if (!readOnly)
        if (Status st = RecoverLedgerJournal(path); !st) return st.error();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->fd = readOnly ? -1 : ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (!readOnly && impl->fd < 0 && errno == ENOENT) {
        impl->existed = false;
        impl->fd = Files().Open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    }
    if (readOnly || (impl->fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))) {
        impl->fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        impl->readOnly = impl->fd >= 0;
    }
    if (impl->fd < 0) return FileErrorFromErrno(errno, path.string());
    if (::fstat(impl->fd, &st) != 0) return impl->Error(errno, false);
    // The file may have been swapped between the look and the open.
    if (auto refused = UnreadableKind(st, path.string(), kMaxLedgerFileSize)) return *refused;
    impl->bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < impl->bytes.size()) {
        ssize_t n = ::pread(impl->fd, impl->bytes.data() + done, impl->bytes.size() - done,
                            static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return impl->Error(errno, false);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    impl->bytes.resize(done);
    impl->diskSize = done;
    return LedgerFile(std::move(impl));
}

LedgerFile::LedgerFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
LedgerFile::LedgerFile(LedgerFile&&) noexcept = default;
LedgerFile& LedgerFile::operator=(LedgerFile&&) noexcept = default;
LedgerFile::~LedgerFile() = default;

std::size_t LedgerFile::Size() const { return impl_->bytes.size(); }

const std::filesystem::path& LedgerFile::path() const { return impl_->path; }

Result<LedgerHeaderRecord> LedgerFile::ReadHeader() {
    // An empty file is a ledger that has no lines yet.
    if (impl_->bytes.empty()) return LedgerHeaderRecord{};
    auto h = DecodeLedgerHeader(impl_->bytes);
    if (!h) return impl_->Bad(h.error());
    return h;
}

void LedgerFile::WriteHeader(const LedgerHeaderRecord& header) {
    impl_->Put(0, EncodeLedgerHeader(header));
}

Result<LedgerLine> LedgerFile::ReadLine(int n) {
    const std::byte* stored = FindRawLine(n);
    if (stored == nullptr) return MissingLedgerLine(impl_->path, n);
    return DecodeLedgerLineAt(impl_->path, n, StoredLedgerLine(stored));
}

Status LedgerFile::WriteLine(int n, const LedgerLine& line) {
    if (n < 1) return impl_->Bad(BadFormatError({}, "出納帳の行番号が正しくありません。"));
    std::array<std::byte, kLedgerLineSize> bytes;
    if (auto st = EncodeLedgerLineTo(line, bytes); !st) return impl_->Bad(st.error());
    impl_->Put(LedgerLineOffset(n), bytes);
    return Ok();
}

bool LedgerFile::HasLine(int n) const {
    return n >= 1 && LedgerLineOffset(n) + kLedgerLineSize <= impl_->bytes.size();
}

std::span<const std::byte, kLedgerLineSize> LedgerFile::RawLine(int n) const {
    return std::span<const std::byte, kLedgerLineSize>(impl_->bytes.data() + LedgerLineOffset(n),
                                                       kLedgerLineSize);
}

const std::byte* LedgerFile::FindRawLine(int n) const {
    if (n < 1) return nullptr;
    const std::size_t at = LedgerLineOffset(n);
    return at + kLedgerLineSize <= impl_->bytes.size() ? impl_->bytes.data() + at : nullptr;
}

void LedgerFile::WriteRawLine(int n, std::span<const std::byte, kLedgerLineSize> bytes) {
    impl_->Put(LedgerLineOffset(n), bytes);
}

void LedgerFile::SetBalance(int n, Amount zandaka) {
    const std::size_t at = LedgerLineOffset(n) + kLedgerZandakaOffset;
    Impl& f = *impl_;
    // The line is there (the walks ask only for lines the file holds): the usual case
    // of a walk, kept short.
    if (at + kLedgerBalanceBytes <= f.bytes.size()) {
        f.StoreBalance(at, BalanceBytes(zandaka));
        return;
    }
    f.Put(at, BalanceBytes(zandaka));
}

void LedgerFile::SetBalances(int first, std::span<const Amount> balances) {
    Impl& f = *impl_;
    if (balances.empty()) return;
    const std::size_t from = LedgerLineOffset(first) + kLedgerZandakaOffset;
    const std::size_t to = from + (balances.size() - 1) * kLedgerLineSize + kLedgerBalanceBytes;
    // In order after what was touched before (the usual walk): the old bytes of the
    // whole stretch kept at once, each balance that moves written and noted in turn.
    if (!f.touchedInOrder || f.touched.empty() || from <= f.touched.back().end) {
        std::size_t at = from;
        for (Amount z : balances) {
            f.StoreBalance(at, BalanceBytes(z));
            at += kLedgerLineSize;
        }
        return;
    }
    if (!f.Saved(from, to)) f.Save(from, to);
    f.touched.reserve(f.touched.size() + balances.size());
    std::size_t at = from, firstMoved = to, lastMoved = from;
    for (Amount z : balances) {
        const std::array<std::byte, kLedgerBalanceBytes> le = BalanceBytes(z);
        std::byte* stored = f.bytes.data() + at;
        if (!SameBytes<kLedgerBalanceBytes>(stored, le.data())) {
            std::memcpy(stored, le.data(), kLedgerBalanceBytes);
            f.touched.push_back({at, at + kLedgerBalanceBytes});
            firstMoved = std::min(firstMoved, at);
            lastMoved = at + kLedgerBalanceBytes;
        }
        at += kLedgerLineSize;
    }
    if (firstMoved < lastMoved) f.MarkDirty(firstMoved, lastMoved);
}

Status LedgerFile::Commit(std::span<const FileChange> alsoChanging) {
    Impl& f = *impl_;
    const bool linesDirty = f.dirtyBegin != f.dirtyEnd;
    if (!linesDirty && !f.headerDirty && alsoChanging.empty()) return Ok();
    if (f.readOnly) {
        Discard();
        return f.Error(EROFS, true);
    }
    std::vector<FileChange> changes;
    if ((linesDirty || f.headerDirty) && f.changed) {
        // Only the saved bytes of `disk` lie inside the ranges the journal reads.
        FileChange c{f.path, f.existed, std::span<const std::byte>(f.disk.data(), f.diskSize),
                     f.bytes, {}, {}};
        if (f.headerDirty && linesDirty && f.dirtyBegin <= kLedgerHeaderSize) {
            c.ranges.push_back({0, std::max(f.dirtyEnd, kLedgerHeaderSize)});
        } else {
            if (f.headerDirty) c.ranges.push_back({0, kLedgerHeaderSize});
            if (linesDirty) c.ranges.push_back({f.dirtyBegin, f.dirtyEnd});
        }
        // What was written, as runs: the header (compared, it is short) and the
        // line bytes touched.
        if (f.touched.empty()) f.touched.push_back({0, 0});
        if (f.touchedInOrder && (!linesDirty || f.touched.size() > 1) &&
            (f.touched.size() < 2 || f.touched[1].begin >= kLedgerHeaderSize)) {
            if (f.headerDirty)
                f.touched.front().end = std::max(f.touched.front().end, kLedgerHeaderSize);
            c.touched = std::move(f.touched);
        }
        changes.push_back(std::move(c));
    }
    changes.insert(changes.end(), alsoChanging.begin(), alsoChanging.end());
    if (Status st = CommitChanges(JournalPathFor(f.path), changes); !st) {
        Discard();
        return st;
    }
    // The file holds what `bytes` holds now.
    f.ClearChanges(true);
    f.existed = true;
    return Ok();
}

Result<LedgerFile> OpenYearLedger(const SharedState& s) {
    return LedgerFile::Open(s.LedgerPath,
                            s.ReadOnly ? LedgerFile::Access::ReadOnly : LedgerFile::Access::ReadWrite);
}

LedgerImage LedgerFile::PendingImage() const {
    const Impl& f = *impl_;
    LedgerImage out;
    out.oldLength = f.diskSize;
    out.newLength = f.bytes.size();
    const std::size_t h = std::min(kLedgerHeaderSize, f.diskSize);
    const std::byte* oldHeader = f.changed && f.headerSaved ? f.disk.data() : f.bytes.data();
    out.headerBefore.assign(oldHeader, oldHeader + h);
    out.headerAfter.assign(f.bytes.begin(),
                           f.bytes.begin() + static_cast<std::ptrdiff_t>(
                                                 std::min(kLedgerHeaderSize, f.bytes.size())));
    if (f.bytes.size() > f.diskSize)
        out.grown.assign(f.bytes.begin() + static_cast<std::ptrdiff_t>(f.diskSize), f.bytes.end());
    // Only the lines written within the saved stretch can differ from the file on
    // the disk.
    if (!f.changed || f.savedBegin >= f.savedEnd || f.dirtyBegin >= f.dirtyEnd) return out;
    const std::size_t oldTo = std::min({f.savedEnd, f.diskSize, f.dirtyEnd});
    const std::size_t from = std::max({f.savedBegin, f.dirtyBegin, kLedgerHeaderSize});
    std::size_t at = kLedgerHeaderSize + (from - kLedgerHeaderSize) / kLedgerLineSize * kLedgerLineSize;
    if (at >= oldTo) return out;
    // Room for a whole line each, gathered first and kept at their size: most runs are
    // a balance the walk moved.
    const std::size_t lines = (oldTo - at) / kLedgerLineSize + 1;
    std::unique_ptr<std::byte[]> before(new std::byte[lines * kLedgerLineSize]);
    std::unique_ptr<std::byte[]> after(new std::byte[lines * kLedgerLineSize]);
    std::unique_ptr<std::uint32_t[]> runAt(new std::uint32_t[lines]);
    std::unique_ptr<std::uint8_t[]> runSize(new std::uint8_t[lines]);
    std::size_t used = 0, runs = 0;
    // Line `at` against its old bytes: the balance alone, the whole line, or nothing.
    auto take = [&](std::size_t at, const std::byte* old, std::size_t len) __attribute__((always_inline)) {
        const std::byte* now = f.bytes.data() + at;
        if (len == kLedgerLineSize && SameBytes<kLedgerZandakaOffset>(old, now) &&
            SameBytes<kLedgerLineSize - kLedgerBikouOffset>(old + kLedgerBikouOffset,
                                                            now + kLedgerBikouOffset)) {
            if (SameBytes<kLedgerBalanceBytes>(old + kLedgerZandakaOffset, now + kLedgerZandakaOffset))
                return;
            // The balance alone moved.
            runAt[runs] = static_cast<std::uint32_t>(at + kLedgerZandakaOffset);
            runSize[runs++] = static_cast<std::uint8_t>(kLedgerBalanceBytes);
            std::memcpy(before.get() + used, old + kLedgerZandakaOffset, kLedgerBalanceBytes);
            std::memcpy(after.get() + used, now + kLedgerZandakaOffset, kLedgerBalanceBytes);
            used += kLedgerBalanceBytes;
            return;
        }
        if (std::memcmp(old, now, len) == 0) return;
        runAt[runs] = static_cast<std::uint32_t>(at);
        runSize[runs++] = static_cast<std::uint8_t>(len);
        std::memcpy(before.get() + used, old, len);
        std::memcpy(after.get() + used, now, len);
        used += len;
    };
    std::array<std::byte, kLedgerLineSize> copy;
    while (at < oldTo) {
        // Whole lines inside the saved stretch, as a walk leaves them: their old bytes
        // are all saved.
        if (at >= f.savedBegin) {
            const std::size_t stop = std::min({oldTo, f.savedEnd, f.diskSize});
            for (; at + kLedgerLineSize <= stop; at += kLedgerLineSize)
                take(at, f.disk.data() + at, kLedgerLineSize);
            if (at >= oldTo) break;
        }
        const std::size_t len = std::min(kLedgerLineSize, f.diskSize - at);
        // The old line: its saved bytes, the rest as they stand (never changed).
        const std::byte* old = f.disk.data() + at;
        if (at < f.savedBegin || at + len > f.savedEnd) {
            std::memcpy(copy.data(), f.bytes.data() + at, len);
            const std::size_t b = std::max(at, f.savedBegin), e = std::min(at + len, f.savedEnd);
            if (b < e) std::memcpy(copy.data() + (b - at), f.disk.data() + b, e - b);
            old = copy.data();
        }
        take(at, old, len);
        at += kLedgerLineSize;
    }
    out.runAt.assign(runAt.get(), runAt.get() + runs);
    out.runSize.assign(runSize.get(), runSize.get() + runs);
    out.runBefore.assign(before.get(), before.get() + used);
    out.runAfter.assign(after.get(), after.get() + used);
    return out;
}

std::span<const std::byte> LedgerFile::Bytes() const {
    return std::span<const std::byte>(impl_->bytes.data(), impl_->bytes.size());
}

void LedgerFile::Discard() {
    impl_->Undo();
    impl_->ClearChanges(false);
}

}  // namespace tabulo
