#include "store/History.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/AtomicFile.h"
#include "platform/Fd.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"

namespace tabulo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSizeAt = 0;
constexpr std::size_t kSequenceAt = 4;
constexpr std::size_t kWhenAt = 8;
constexpr std::size_t kOperationAt = 22;
constexpr std::size_t kTargetAt = 24;
constexpr std::size_t kUndoOfAt = 28;
constexpr std::size_t kOldSizeAt = 32;
constexpr std::size_t kNewSizeAt = 34;
constexpr std::size_t kValuesAt = 36;
// After the values: the check and the size again.
constexpr std::size_t kTrailerSize = 8;

// The CRC's tables for eight bytes a step: t[0] is the byte-at-a-time table, t[k]
// the same byte's effect k bytes further on.
constexpr std::array<std::array<std::uint32_t, 256>, 8> MakeCrcTables() {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::uint32_t n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xff];
    return t;
}
constexpr auto kCrcTables = MakeCrcTables();

std::uint32_t Load32(const std::byte* p) { return LoadLittleEndian(p, 4); }
std::uint16_t Load16(const std::byte* p) {
    return static_cast<std::uint16_t>(LoadLittleEndian(p, 2));
}
void Put(std::vector<std::byte>& out, std::uint32_t v, int width) { AppendLittleEndian(out, v, width); }

// Eight bytes are all digits when each lies in 0x30..0x3F and stays there with 6
// added (no byte carries into the next: none is above 0x3F by then).
bool EightDigits(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    constexpr std::uint64_t high = 0xF0F0F0F0F0F0F0F0ULL, threes = 0x3030303030303030ULL;
    return (x & high) == threes && ((x + 0x0606060606060606ULL) & high) == threes;
}

bool IsDigits(std::string_view s, std::size_t n) {
    if (s.size() != n) return false;
    if (n < 8) {
        for (char c : s)
            if (c < '0' || c > '9') return false;
        return true;
    }
    // Eight at a time; the last eight may overlap the ones before.
    for (std::size_t i = 0; i + 8 < n; i += 8)
        if (!EightDigits(s.data() + i)) return false;
    return EightDigits(s.data() + n - 8);
}

std::uint32_t ChainedCheck(std::uint32_t previous, std::span<const std::byte> body) {
    // The CRC of the previous check's four bytes (little-endian), then of the body.
    const auto& t = kCrcTables;
    const std::uint32_t c = ~std::uint32_t{0} ^ previous;
    return HistoryCrc32(body, ~(t[3][c & 0xff] ^ t[2][(c >> 8) & 0xff] ^ t[1][(c >> 16) & 0xff] ^ t[0][c >> 24]));
}

std::string RecordWord(std::uint32_t sequence) {
    return "履歴の記録 " + std::to_string(sequence) + " ";
}

std::string NothingFrom(std::uint32_t sequence) {
    return "記録 " + std::to_string(sequence) + " から先は読めません。";
}

HistoryDamage HeaderDamage() {
    return {1, 0, "履歴ファイルの先頭が正しくありません。" + NothingFrom(1), HistoryFault::Header};
}

// Whether a reading must stop at the record that begins `at` bytes into the file with
// `left` bytes to the file's end: the damage, or nothing when its sizes hold together.
// `p` holds the record's first min(left, kValuesAt) bytes; `sizeAtEnd(size)` gives the
// size repeated at the record's end (asked only when the record lies inside the file).
template <class SizeAtEnd>
std::optional<HistoryDamage> ReadingStops(const std::byte* p, std::size_t left, std::uint32_t expected,
                                          std::uint64_t at, SizeAtEnd sizeAtEnd) {
    const std::uint32_t size = left >= 4 ? Load32(p) : 0;
    // A record whose leading fields agree with each other but which runs past the
    // end of the file was cut short (a write that never finished, a copy that
    // stopped); any other disagreement of the sizes is a broken size.
    const bool sizesReadable = left >= kValuesAt;
    const bool sizesAgree = sizesReadable && size >= kHistoryRecordFixedSize &&
                            kHistoryRecordFixedSize + Load16(p + kOldSizeAt) + Load16(p + kNewSizeAt) == size;
    const bool cutShort =
        left < 4 || (sizesReadable ? sizesAgree && size > left
                                   : size >= kHistoryRecordFixedSize &&
                                         size <= kHistoryRecordFixedSize + 2 * kHistoryMaxValueBytes);
    if (cutShort)
        return HistoryDamage{expected, at,
                             RecordWord(expected) + "の途中でファイルが終わっています（" + std::to_string(left) +
                                 " バイトしかありません）。" + NothingFrom(expected),
                             HistoryFault::CutShort};
    if (!sizesAgree || size > left || sizeAtEnd(size) != size)
        return HistoryDamage{expected, at, RecordWord(expected) + "の大きさが壊れています。" + NothingFrom(expected),
                             HistoryFault::Size};
    return std::nullopt;
}

// Reads a file in windows of up to kWindow bytes, forwards (or backwards).
class FileWindow {
  public:
    // Several times the largest record, and small enough to stay in the processor's
    // cache (memory first touched is what reading a large history spends most on).
    static constexpr std::size_t kWindow = 64u << 10;
    static_assert(kWindow >= 4 * (kHistoryRecordFixedSize + 2 * kHistoryMaxValueBytes));
    FileWindow(int fd, std::uint64_t size)
        : fd_(fd), size_(size), buffer_(std::make_unique_for_overwrite<std::byte[]>(kWindow)) {}
    // The bytes [at, at + n), n at most kWindow; nullptr when they cannot be read. The
    // pointer holds until the next call.
    const std::byte* At(std::uint64_t at, std::size_t n) {
        if (at >= start_ && at + n <= start_ + length_) return buffer_.get() + (at - start_);
        if (n > kWindow || at > size_ || n > size_ - at) return nullptr;
        // Forwards the window begins with the bytes asked for; backwards it ends with
        // them, so that the ones before them (read next) are in it too.
        const std::uint64_t from = backwards_ ? at + n - std::min<std::uint64_t>(at + n, kWindow) : at;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, size_ - from));
        std::size_t got = 0;
        while (got < want) {
            const ssize_t r = ::pread(fd_, buffer_.get() + got, want - got, static_cast<off_t>(from + got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        if (from + got < at + n) return nullptr;
        start_ = from;
        length_ = got;
        return buffer_.get() + (at - start_);
    }
    // The bytes from `at` to the end of the window, when the window holds `at`
    // (nullptr when not); their count goes to `n`.
    const std::byte* Held(std::uint64_t at, std::size_t& n) const {
        n = 0;
        if (at < start_ || at >= start_ + length_) return nullptr;
        n = static_cast<std::size_t>(start_ + length_ - at);
        return buffer_.get() + (at - start_);
    }
    // Later windows are placed for reading towards the file's start.
    void ReadBackwards() { backwards_ = true; }

  private:
    int fd_;
    std::uint64_t size_;
    std::unique_ptr<std::byte[]> buffer_;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
    bool backwards_ = false;
};

// A record's first bytes (min(left, kValuesAt) of them) read through `src` (as
// FileWindow::At gives bytes), and the damage at which a reading stops there, if it
// does. False when `src` could not give the bytes.
struct RecordHead {
    std::array<std::byte, kValuesAt> bytes{};
    std::optional<HistoryDamage> stop;
};
template <class Source>
bool ReadRecordHead(Source& src, std::uint64_t fileSize, std::uint64_t at, std::uint32_t expected,
                    RecordHead& out) {
    const auto left = static_cast<std::size_t>(fileSize - at);
    const std::byte* p = src.At(at, std::min(left, kValuesAt));
    if (p == nullptr) return false;
    out.bytes = {};
    std::memcpy(out.bytes.data(), p, std::min(left, kValuesAt));
    bool failed = false;
    out.stop = ReadingStops(out.bytes.data(), left, expected, at, [&](std::uint32_t size) {
        const std::byte* end = src.At(at + size - 4, 4);
        if (end == nullptr) failed = true;
        return end == nullptr ? 0u : Load32(end);
    });
    return !failed;
}

// The record at `at` when it lies whole in what `src` holds already and its sizes
// agree with each other and with the size at its end, as ReadingStops asks: looked at
// in place, without a copy of its first bytes. Null for any other record.
template <class Source>
const std::byte* WholeInWindow(const Source& src, std::uint64_t at) {
    std::size_t held = 0;
    const std::byte* p = src.Held(at, held);
    if (p == nullptr || held < kValuesAt) return nullptr;
    const std::uint32_t size = Load32(p + kSizeAt);
    if (size < kHistoryRecordFixedSize || size > held ||
        kHistoryRecordFixedSize + Load16(p + kOldSizeAt) + Load16(p + kNewSizeAt) != size ||
        Load32(p + size - 4) != size)
        return nullptr;
    return p;
}

// Whether a file of `fileSize` bytes (not empty) begins with the format mark; nothing
// when `src` could not give the bytes.
template <class Source>
std::optional<bool> BeginsWithMark(Source& src, std::uint64_t fileSize) {
    const std::byte* mark = src.At(0, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kHistoryHeaderSize)));
    if (mark == nullptr) return std::nullopt;
    return fileSize >= kHistoryHeaderSize && std::memcmp(mark, kHistoryFileMark, kHistoryHeaderSize) == 0;
}

// The damage at which a reading of the history at `path` stops (as DecodeHistory
// finds it), or nothing when every record can be read. Only the records' sizes and
// numbers are read, a window at a time.
Result<std::optional<HistoryDamage>> FirstUnreadable(const fs::path& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::optional<HistoryDamage>{};
        return FileErrorFromErrno(errno, path.string());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, path.string());
    if (auto refused = UnreadableKind(st, path.string(), static_cast<std::size_t>(kMaxHistoryFileSize)))
        return *refused;
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    if (fileSize == 0) return std::optional<HistoryDamage>{};
    FileWindow file(fd.get(), fileSize);
    const auto unreadable = [&] { return FileErrorFromErrno(errno ? errno : EIO, path.string()); };
    const auto marked = BeginsWithMark(file, fileSize);
    if (!marked) return unreadable();
    if (!*marked) return std::optional<HistoryDamage>{HeaderDamage()};
    std::uint64_t at = kHistoryHeaderSize;
    std::uint32_t expected = 1;
    RecordHead head;
    while (at < fileSize) {
        // A record whose sizes hold lies whole in the window (see WholeInWindow); any
        // other goes the long way, which says why the reading stops there.
        if (const std::byte* p = WholeInWindow(file, at)) {
            expected = std::max(expected, Load32(p + kSequenceAt)) + 1;
            at += Load32(p + kSizeAt);
            continue;
        }
        if (!ReadRecordHead(file, fileSize, at, expected, head)) return unreadable();
        if (head.stop) return head.stop;
        expected = std::max(expected, Load32(head.bytes.data() + kSequenceAt)) + 1;
        at += Load32(head.bytes.data());
    }
    return std::optional<HistoryDamage>{};
}

}  // namespace

const char* HistoryOperationName(HistoryOperation op) {
    switch (op) {
    case HistoryOperation::CashBookPost: return "出納簿 記帳";
    case HistoryOperation::CashBookChange: return "出納簿 訂正";
    case HistoryOperation::CashBookInsert: return "出納簿 挿入";
    case HistoryOperation::CashBookDelete: return "出納簿 削除";
    case HistoryOperation::DepositChange: return "預金 訂正";
    case HistoryOperation::SlipAdd: return "振替伝票 追加";
    case HistoryOperation::SlipChange: return "振替伝票 訂正";
    case HistoryOperation::SlipDelete: return "振替伝票 削除";
    case HistoryOperation::OpeningChange: return "期首残高 訂正";
    case HistoryOperation::ItemAccountChange: return "項目の勘定科目 訂正";
    case HistoryOperation::ElectronicBooksOn: return "電子帳簿 開始";
    case HistoryOperation::ElectronicBooksOff: return "電子帳簿 終了";
    case HistoryOperation::StatementImport: return "明細 取り込み";
    }
    return "不明な操作";
}

fs::path HistoryPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::History);
}

#if defined(__x86_64__)
namespace {

__m128i Load128(const std::byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// `a` folded over 128 bits onto `next` by the constants in `k`.
__attribute__((target("pclmul,sse4.1"))) __m128i Fold128(__m128i a, __m128i next, __m128i k) {
    const __m128i low = _mm_clmulepi64_si128(a, k, 0x00);
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x11), next), low);
}

// The CRC of `length` bytes (a multiple of 16, at least 64) folded 64 bytes a step
// with carry-less multiplication, from and to the register's state (not inverted), on
// processors that have it; the constants are those of zlib's reflected polynomial.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldedCrc(const std::byte* buf, std::size_t length,
                                                                 std::uint32_t state) {
    alignas(16) static const std::uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const std::uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const std::uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const std::uint64_t poly[] = {0x01db710641, 0x01f7011641};
    const auto load = Load128;
    __m128i x1 = load(buf), x2 = load(buf + 16), x3 = load(buf + 32), x4 = load(buf + 48);
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    buf += 64;
    length -= 64;
    while (length >= 64) {
        const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00), x6 = _mm_clmulepi64_si128(x2, x0, 0x00),
                      x7 = _mm_clmulepi64_si128(x3, x0, 0x00), x8 = _mm_clmulepi64_si128(x4, x0, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, x0, 0x11), x5), load(buf));
        x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, x0, 0x11), x6), load(buf + 16));
        x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, x0, 0x11), x7), load(buf + 32));
        x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, x0, 0x11), x8), load(buf + 48));
        buf += 64;
        length -= 64;
    }
    // Four lanes folded into one, then the 16-byte blocks left.
    x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = Fold128(x1, x2, x0);
    x1 = Fold128(x1, x3, x0);
    x1 = Fold128(x1, x4, x0);
    while (length >= 16) {
        x1 = Fold128(x1, load(buf), x0);
        buf += 16;
        length -= 16;
    }
    // 128 bits to 64, then the Barrett reduction to 32.
    x2 = _mm_clmulepi64_si128(x1, x0, 0x10);
    x3 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    x0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x00), x2);
    x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, x3), x0, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

bool CanFold() {
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}

}  // namespace
#endif

std::uint32_t HistoryCrc32(std::span<const std::byte> bytes, std::uint32_t crc) {
    std::uint32_t c = ~crc;
    const std::byte* p = bytes.data();
    std::size_t left = bytes.size();
#if defined(__x86_64__)
    if (left >= 64 && CanFold()) {
        const std::size_t folded = left & ~std::size_t{15};
        c = FoldedCrc(p, folded, c);
        p += folded;
        left -= folded;
    }
#endif
    const auto& t = kCrcTables;
    const auto at = [&p](std::size_t i) { return std::to_integer<std::uint32_t>(p[i]); };
    for (; left >= 8; p += 8, left -= 8) {
        const std::uint32_t low = c ^ (at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24);
        c = t[7][low & 0xff] ^ t[6][(low >> 8) & 0xff] ^ t[5][(low >> 16) & 0xff] ^ t[4][low >> 24] ^
            t[3][at(4)] ^ t[2][at(5)] ^ t[1][at(6)] ^ t[0][at(7)];
    }
    for (std::size_t i = 0; i < left; ++i) c = t[0][(c ^ at(i)) & 0xff] ^ (c >> 8);
    return ~c;
}

Result<std::vector<std::byte>> EncodeHistoryAppend(const HistoryTail& tail, HistoryRecord record) {
    if (!IsDigits(record.When, kHistoryWhenBytes))
        return BadFormatError("", "履歴の日時が正しくありません。");
    if (record.OldBytes.size() > kHistoryMaxValueBytes || record.NewBytes.size() > kHistoryMaxValueBytes)
        return BadFormatError("", "履歴に記録する内容が大きすぎます。");
    const auto size = static_cast<std::uint32_t>(kHistoryRecordFixedSize + record.OldBytes.size() +
                                                 record.NewBytes.size());
    std::vector<std::byte> out;
    out.reserve(kHistoryHeaderSize + size);
    if (tail.FileSize == 0)
        for (std::size_t i = 0; i < kHistoryHeaderSize; ++i) out.push_back(static_cast<std::byte>(kHistoryFileMark[i]));
    const std::size_t start = out.size();
    Put(out, size, 4);
    Put(out, tail.NextSequence, 4);
    for (char c : record.When) out.push_back(static_cast<std::byte>(c));
    Put(out, static_cast<std::uint16_t>(record.Operation), 2);
    Put(out, static_cast<std::uint32_t>(record.Target), 4);
    Put(out, record.UndoOf, 4);
    Put(out, static_cast<std::uint32_t>(record.OldBytes.size()), 2);
    Put(out, static_cast<std::uint32_t>(record.NewBytes.size()), 2);
    out.insert(out.end(), record.OldBytes.begin(), record.OldBytes.end());
    out.insert(out.end(), record.NewBytes.begin(), record.NewBytes.end());
    const std::uint32_t check =
        ChainedCheck(tail.LastCheck, std::span<const std::byte>(out).subspan(start));
    Put(out, check, 4);
    Put(out, size, 4);
    return out;
}

Result<HistoryTail> ReadHistoryTail(const fs::path& path) {
    std::error_code ec;
    const auto fileSize = fs::file_size(path, ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory) return HistoryTail{};
        return FileErrorFromErrno(ec.value(), path.string());
    }
    if (fileSize == 0) return HistoryTail{};
    const auto damaged = [&] {
        return BadFormatError(path.string(), "履歴ファイルの終わりが記録の区切りになっていません。");
    };
    if (fileSize == kHistoryHeaderSize) return HistoryTail{fileSize, 1, 0};
    if (fileSize < kHistoryHeaderSize + kHistoryRecordFixedSize) return damaged();
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileErrorFromErrno(errno, path.string());
    std::array<std::byte, 4> sizeBytes{};
    in.seekg(static_cast<std::streamoff>(fileSize - 4));
    in.read(reinterpret_cast<char*>(sizeBytes.data()), 4);
    const std::uint32_t size = Load32(sizeBytes.data());
    if (!in || size < kHistoryRecordFixedSize || size > fileSize - kHistoryHeaderSize) return damaged();
    std::vector<std::byte> record(size);
    in.seekg(static_cast<std::streamoff>(fileSize - size));
    in.read(reinterpret_cast<char*>(record.data()), static_cast<std::streamsize>(size));
    if (!in || Load32(record.data() + kSizeAt) != size) return damaged();
    return HistoryTail{fileSize, Load32(record.data() + kSequenceAt) + 1,
                       Load32(record.data() + size - kTrailerSize)};
}

namespace {

// A record's fields as they lie in its bytes at `p`.
void Fill(HistoryRecordView& r, const std::byte* p) {
    r.Sequence = Load32(p + kSequenceAt);
    r.When = std::string_view(reinterpret_cast<const char*>(p + kWhenAt), kHistoryWhenBytes);
    r.Operation = static_cast<HistoryOperation>(Load16(p + kOperationAt));
    r.Target = static_cast<std::int32_t>(Load32(p + kTargetAt));
    r.UndoOf = Load32(p + kUndoOfAt);
    const std::size_t oldSize = Load16(p + kOldSizeAt);
    const std::size_t newSize = Load16(p + kNewSizeAt);
    r.OldBytes = std::span<const std::byte>(p + kValuesAt, oldSize);
    r.NewBytes = std::span<const std::byte>(p + kValuesAt + oldSize, newSize);
}

// A history wholly in memory, as the decode reads it.
class WholeBytes {
  public:
    explicit WholeBytes(std::span<const std::byte> bytes) : bytes_(bytes) {}
    const std::byte* At(std::uint64_t at, std::size_t) const { return bytes_.data() + at; }
    const std::byte* Held(std::uint64_t at, std::size_t& n) const {
        n = at < bytes_.size() ? static_cast<std::size_t>(bytes_.size() - at) : 0;
        return n > 0 ? bytes_.data() + at : nullptr;
    }

  private:
    std::span<const std::byte> bytes_;
};

// Decodes a history of `fileSize` bytes that `src` gives (as FileWindow::At does),
// record by record: each record whose sizes hold together goes to `take(view)` (the
// view holds during the call only), damaged or not; the damage found goes to
// `damage`. False when `src` could not give the bytes.
template <class Source, class Take>
bool DecodeRecords(Source& src, std::uint64_t fileSize, std::vector<HistoryDamage>& damage, Take take) {
    if (fileSize == 0) return true;
    const auto marked = BeginsWithMark(src, fileSize);
    if (!marked) return false;
    if (!*marked) {
        damage.push_back(HeaderDamage());
        return true;
    }
    std::uint64_t at = kHistoryHeaderSize;
    std::uint32_t previousCheck = 0;
    std::uint32_t expected = 1;
    RecordHead head;
    while (at < fileSize) {
        const std::byte* p = WholeInWindow(src, at);
        if (p == nullptr) {
            if (!ReadRecordHead(src, fileSize, at, expected, head)) return false;
            if (head.stop) {
                damage.push_back(*head.stop);
                return true;
            }
            p = src.At(at, Load32(head.bytes.data()));
            if (p == nullptr) return false;
        }
        const std::uint32_t size = Load32(p + kSizeAt);
        HistoryRecordView r;
        Fill(r, p);
        r.Offset = at;
        const std::uint16_t op = Load16(p + kOperationAt);
        const std::size_t bodySize = size - kTrailerSize;
        const std::uint32_t stored = Load32(p + bodySize);
        std::string why;
        HistoryFault fault = HistoryFault::Changed;
        std::uint32_t named = expected;
        if (r.Sequence != expected) {
            named = r.Sequence;
            fault = r.Sequence > expected ? HistoryFault::Missing : HistoryFault::OutOfOrder;
            why = r.Sequence > expected ? "の前に記録が抜けています（" + std::to_string(expected) + "〜" +
                                              std::to_string(r.Sequence - 1) + "）。"
                                        : "の通し番号が順になっていません（" + std::to_string(expected) +
                                              " のはずです）。";
        } else if (ChainedCheck(previousCheck, std::span<const std::byte>(p, bodySize)) != stored) {
            why = "の内容が書き換えられているか、壊れています。";
        } else if (op < 1 || op > kHistoryOperationLast) {
            fault = HistoryFault::Operation;
            why = "の操作の種類が正しくありません。";
        } else if (!IsDigits(r.When, kHistoryWhenBytes)) {
            fault = HistoryFault::When;
            why = "の日時が正しくありません。";
        }
        if (!why.empty()) damage.push_back({named, at, RecordWord(named) + why, fault});
        take(r);
        // After a gap the numbering goes on from the record found, so that one
        // missing record is reported once.
        expected = std::max(expected, r.Sequence) + 1;
        previousCheck = stored;
        at += size;
    }
    return true;
}

}  // namespace

HistoryRecordView ViewOf(const HistoryRecord& r) {
    return {r.Sequence, r.When, r.Operation, r.Target, r.UndoOf, r.OldBytes, r.NewBytes};
}

HistoryContents DecodeHistory(std::span<const std::byte> bytes) {
    HistoryContents out;
    {
        // The records counted by their sizes first, so that they are kept without
        // moving them as the list grows.
        std::size_t count = 0;
        for (std::size_t next = kHistoryHeaderSize; next <= bytes.size() && bytes.size() - next >= 4;) {
            const std::uint32_t size = Load32(bytes.data() + next);
            if (size < kHistoryRecordFixedSize || size > bytes.size() - next) break;
            next += size;
            ++count;
        }
        out.Records.reserve(count + 1);
    }
    WholeBytes src(bytes);
    DecodeRecords(src, bytes.size(), out.Damage, [&out](const HistoryRecordView& r) {
        out.Records.push_back({r.Sequence, std::string(r.When), r.Operation, r.Target, r.UndoOf,
                               std::vector<std::byte>(r.OldBytes.begin(), r.OldBytes.end()),
                               std::vector<std::byte>(r.NewBytes.begin(), r.NewBytes.end())});
    });
    return out;
}

Result<HistoryContents> LoadHistory(const fs::path& path) {
    auto bytes = ReadWholeFile(path, static_cast<std::size_t>(kMaxHistoryFileSize));
    if (!bytes) {
        if (bytes.error().code == FileErrorCode::FileNotFound) return HistoryContents{};
        return bytes.error();
    }
    return DecodeHistory(*bytes);
}

Result<std::vector<HistoryDamage>> ReadHistoryRecords(const fs::path& path,
                                                      const std::function<void(const HistoryRecordView&)>& take) {
    auto reader = HistoryReader::Open(path);
    if (!reader) return reader.error();
    return reader->ReadAll(take);
}

Result<HistoryReader> HistoryReader::Open(const fs::path& path) {
    HistoryReader reader;
    reader.path_ = path;
    reader.fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reader.fd_ < 0) {
        if (errno == ENOENT) return reader;
        return FileErrorFromErrno(errno, path.string());
    }
    struct stat st {};
    if (::fstat(reader.fd_, &st) != 0) return FileErrorFromErrno(errno, path.string());
    if (auto refused = UnreadableKind(st, path.string(), static_cast<std::size_t>(kMaxHistoryFileSize)))
        return *refused;
    reader.size_ = static_cast<std::uint64_t>(st.st_size);
    return reader;
}

HistoryReader::HistoryReader(HistoryReader&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

HistoryReader& HistoryReader::operator=(HistoryReader&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) Files().Close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

HistoryReader::~HistoryReader() {
    if (fd_ >= 0) Files().Close(fd_);
}

Result<std::vector<HistoryDamage>> HistoryReader::ReadAll(const std::function<void(const HistoryRecordView&)>& take) {
    std::vector<HistoryDamage> damage;
    if (fd_ < 0) return damage;
    FileWindow file(fd_, size_);
    if (!DecodeRecords(file, size_, damage, take)) return FileErrorFromErrno(errno ? errno : EIO, path_.string());
    return damage;
}

Status HistoryReader::ReadAt(std::span<const std::uint32_t> offsets,
                             const std::function<void(const HistoryRecordView&)>& take) {
    if (offsets.empty()) return Ok();
    const auto changed = [&] {
        return BadFormatError(path_.string(), "履歴ファイルが読んでいる間に変わりました。");
    };
    if (fd_ < 0) return changed();
    FileWindow file(fd_, size_);
    if (offsets.size() > 1 && offsets[1] < offsets[0]) file.ReadBackwards();
    for (const std::uint32_t at : offsets) {
        if (at < kHistoryHeaderSize || at > size_ || size_ - at < kHistoryRecordFixedSize) return changed();
        const std::byte* head = file.At(at, kValuesAt);
        if (head == nullptr) return FileErrorFromErrno(errno ? errno : EIO, path_.string());
        const std::uint32_t size = Load32(head + kSizeAt);
        if (size != kHistoryRecordFixedSize + Load16(head + kOldSizeAt) + Load16(head + kNewSizeAt) ||
            size > size_ - at)
            return changed();
        const std::byte* p = file.At(at, size);
        if (p == nullptr) return FileErrorFromErrno(errno ? errno : EIO, path_.string());
        HistoryRecordView r;
        Fill(r, p);
        r.Offset = at;
        take(r);
    }
    return Ok();
}

std::string HistoryNow(const SharedState& s) {
    if (s.HistoryClock) return s.HistoryClock();
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &tm);
    return buf;
}

Result<HistoryAppend> HistoryAppend::Stage(const fs::path& path,
                                           std::span<const HistoryRecord> records) {
    // Records appended after one that no reader can pass would never be found: a
    // history that cannot be read back whole takes none, with the reason its reader
    // gives.
    auto unreadable = FirstUnreadable(path);
    if (!unreadable) return unreadable.error();
    if (*unreadable) return BadFormatError(path.string(), (*unreadable)->Reason);
    auto tail = ReadHistoryTail(path);
    if (!tail) return tail.error();
    HistoryAppend out;
    out.path_ = path;
    out.existed_ = tail->FileSize != 0 || fs::exists(path);
    out.oldLength_ = tail->FileSize;
    out.first_ = tail->NextSequence;
    std::vector<std::byte> bytes;
    HistoryTail at = *tail;
    for (const HistoryRecord& r : records) {
        auto encoded = EncodeHistoryAppend(at, r);
        if (!encoded) return encoded.error();
        at.LastCheck = Load32(encoded->data() + encoded->size() - kTrailerSize);
        at.NextSequence += 1;
        at.FileSize += encoded->size();
        bytes.insert(bytes.end(), encoded->begin(), encoded->end());
    }
    out.newLength_ = out.oldLength_ + bytes.size();
    if (out.newLength_ > kMaxHistoryFileSize)
        return BadFormatError(path.string(), "履歴ファイルが上限の " + std::to_string(kMaxHistoryFileSize) +
                                                 " バイトに達するため、これ以上記録できません。");
    // Left uninitialised below the old end: never read (see buffer_).
    out.buffer_.reset(new std::byte[out.newLength_]);
    std::memcpy(out.buffer_.get() + out.oldLength_, bytes.data(), bytes.size());
    return out;
}

FileChange HistoryAppend::Change() const {
    FileChange c;
    c.path = path_;
    c.existed = existed_;
    c.before = std::span<const std::byte>(buffer_.get(), oldLength_);
    c.after = std::span<const std::byte>(buffer_.get(), newLength_);
    c.ranges.push_back({oldLength_, newLength_});
    c.touched.push_back({oldLength_, newLength_});
    return c;
}

}  // namespace tabulo
