#pragma once
// Byte layouts of the binary files: the ledger header (18 bytes), a ledger line
// (42 bytes) and the deposit book (1,536 bytes). Little-endian, no padding, fixed
// strings in CP932 filled with blanks on the right.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

inline constexpr std::size_t kLedgerHeaderSize = 18;
inline constexpr std::size_t kLedgerLineSize = 42;
inline constexpr std::size_t kDepositBookSize = 1536;
// The largest ledger the format can hold: LineCount is a 16-bit count.
inline constexpr std::size_t kMaxLedgerLines = 32767;
inline constexpr std::size_t kMaxLedgerFileSize = kLedgerHeaderSize + kMaxLedgerLines * kLedgerLineSize;

// Where each field of a stored line lies within its 42 bytes: the one description of
// the layout, for the coder below and for every walk that reads lines in place.
inline constexpr std::size_t kLedgerDateOffset = 0;
inline constexpr std::size_t kLedgerDateWidth = 6;
inline constexpr std::size_t kLedgerYoubiOffset = 6;
inline constexpr std::size_t kLedgerYoubiWidth = 6;
inline constexpr std::size_t kLedgerItemOffset = 12;
inline constexpr std::size_t kLedgerIndataOffset = 14;
inline constexpr std::size_t kLedgerOutdataOffset = 18;
inline constexpr std::size_t kLedgerZandakaOffset = 22;
inline constexpr std::size_t kLedgerBikouOffset = 26;
inline constexpr std::size_t kLedgerBikouWidth = 16;

// Byte offset (0-based) of ledger line n (1-based).
constexpr std::size_t LedgerLineOffset(int n) {
    return kLedgerHeaderSize + static_cast<std::size_t>(n - 1) * kLedgerLineSize;
}

// Little-endian fields read and written in place: on a little-endian machine each is a
// plain load or store.
inline std::uint32_t LoadLittleEndian(const std::byte* p, int width) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t u = 0;
        std::memcpy(&u, p, static_cast<std::size_t>(width));
        return u;
    } else {
        std::uint32_t u = 0;
        for (int i = 0; i < width; ++i)
            u |= std::to_integer<std::uint32_t>(p[i]) << (8 * i);
        return u;
    }
}
// The lowest `width` bytes of v (at most 8), lowest first: the store that matches
// LoadLittleEndian.
inline void StoreLittleEndian(std::byte* p, std::uint64_t v, int width) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, static_cast<std::size_t>(width));
    } else {
        for (int i = 0; i < width; ++i) p[i] = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
    }
}
// The same bytes appended to `out`.
inline void AppendLittleEndian(std::vector<std::byte>& out, std::uint64_t v, int width) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(width));
    StoreLittleEndian(out.data() + at, v, width);
}
inline std::int16_t GetRawInteger(const std::byte* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(LoadLittleEndian(p, 2)));
}
inline Amount GetRawAmount(const std::byte* p) {
    return static_cast<Amount>(LoadLittleEndian(p, 4));
}
void PutRawAmount(std::byte* p, Amount v);

// The fields of a stored line that the balance rules use, read without decoding
// its texts.
struct RawLineFields {
    std::int16_t itemNo = 0;
    Amount indata = 0;
    Amount outdata = 0;
    Amount zandaka = 0;
};

// A line as the file stores it, read in place: each field is read when it is asked
// for, and only the texts asked for are converted from CP932. The walks over a year
// use this rather than decoding whole lines.
class StoredLedgerLine {
  public:
    explicit StoredLedgerLine(const std::byte* line) : p_(line) {}
    explicit StoredLedgerLine(std::span<const std::byte, kLedgerLineSize> line)
        : p_(line.data()) {}

    std::int16_t ItemNo() const { return GetRawInteger(p_ + kLedgerItemOffset); }
    Amount Indata() const { return GetRawAmount(p_ + kLedgerIndataOffset); }
    Amount Outdata() const { return GetRawAmount(p_ + kLedgerOutdataOffset); }
    Amount Zandaka() const { return GetRawAmount(p_ + kLedgerZandakaOffset); }
    RawLineFields Fields() const { return {ItemNo(), Indata(), Outdata(), Zandaka()}; }

    // The date's six stored bytes, blanks included. When PlainDate() they are its
    // text too (plain ASCII reads as itself), so the usual date needs no conversion.
    std::string_view DateBytes() const { return Text(kLedgerDateOffset, kLedgerDateWidth); }
    bool PlainDate() const {
        std::uint64_t x = 0;
        std::memcpy(&x, p_ + kLedgerDateOffset, kLedgerDateWidth);
        return (x & 0x8080808080808080ull) == 0;
    }
    // The texts as the program holds them (UTF-8, blanks kept); an error names the
    // field whose bytes are not CP932.
    Result<std::string> Date() const;
    Result<std::string> Youbi() const;
    Result<std::string> Bikou() const;
    // The remarks' stored bytes (CP932, blanks kept).
    std::string_view BikouBytes() const { return Text(kLedgerBikouOffset, kLedgerBikouWidth); }
    // Whether the weekday and the remarks read as CP932, without converting them.
    bool YoubiReads() const;
    bool BikouReads() const;
    bool DateReads() const;
    // The whole line, as DecodeLedgerLine gives it.
    Result<LedgerLine> Decode() const;

    std::span<const std::byte, kLedgerLineSize> bytes() const {
        return std::span<const std::byte, kLedgerLineSize>(p_, kLedgerLineSize);
    }

  private:
    std::string_view Text(std::size_t at, std::size_t width) const {
        return {reinterpret_cast<const char*>(p_) + at, width};
    }
    const std::byte* p_;
};

// Checks the texts of lines one after another (a walk over a year): a weekday or a
// remark the same as the last one that read is not looked up again.
class LineTextCheck {
  public:
    bool YoubiReads(StoredLedgerLine line) {
        std::uint64_t y = 0;
        std::memcpy(&y, line.bytes().data() + kLedgerYoubiOffset, kLedgerYoubiWidth);
        if (haveYoubi_ && y == youbi_) return true;
        if (!line.YoubiReads()) return false;
        youbi_ = y;
        haveYoubi_ = true;
        return true;
    }
    bool BikouReads(StoredLedgerLine line) {
        std::uint64_t b[2];
        std::memcpy(b, line.bytes().data() + kLedgerBikouOffset, kLedgerBikouWidth);
        if (haveBikou_ && b[0] == bikou_[0] && b[1] == bikou_[1]) return true;
        if (!line.BikouReads()) return false;
        bikou_[0] = b[0];
        bikou_[1] = b[1];
        haveBikou_ = true;
        return true;
    }
    bool DateReads(StoredLedgerLine line) { return line.PlainDate() || line.DateReads(); }
    // Whether every text of the line reads (its Decode would succeed).
    bool TextsRead(StoredLedgerLine line) {
        return DateReads(line) && YoubiReads(line) && BikouReads(line);
    }

  private:
    std::uint64_t youbi_ = 0;
    std::uint64_t bikou_[2] = {0, 0};
    bool haveYoubi_ = false;
    bool haveBikou_ = false;
};

// Defined here so that a walk over every line of a year reads them in place.
inline RawLineFields ReadRawLineFields(std::span<const std::byte, kLedgerLineSize> line) {
    return StoredLedgerLine(line).Fields();
}
// Characters 3-4 of the trimmed date, as the text rules give them; "" for a date too
// short. Fails only when a date that is not plain ASCII does not decode.
Result<std::string> RawLineMonth(std::span<const std::byte, kLedgerLineSize> line);
// The same without decoding or allocating: the month's length (0 to 2) with its
// characters in `month`, or -1 when the date is not plain ASCII (then RawLineMonth
// decides). The usual date, six digits, is looked at here; any other in
// PlainRawLineMonthOther.
int PlainRawLineMonthOther(std::span<const std::byte, kLedgerLineSize> line, char (&month)[2]);
inline int PlainRawLineMonth(std::span<const std::byte, kLedgerLineSize> line, char (&month)[2]) {
    const char* p = reinterpret_cast<const char*>(line.data()) + kLedgerDateOffset;
    if constexpr (std::endian::native == std::endian::little) {
        // Six digits at once: each byte 0x3_, and adding 6 leaves it 0x3_ (0-9).
        std::uint64_t x = 0;
        std::memcpy(&x, p, 6);
        constexpr std::uint64_t high = 0x0000F0F0F0F0F0F0ull, digits = 0x0000303030303030ull;
        if ((x & high) != digits || ((x + 0x0000060606060606ull) & high) != digits)
            return PlainRawLineMonthOther(line, month);
    } else {
        for (int i = 0; i < 6; ++i)
            if (p[i] < '0' || p[i] > '9') return PlainRawLineMonthOther(line, month);
    }
    month[0] = p[2];
    month[1] = p[3];
    return 2;
}

std::vector<std::byte> EncodeLedgerHeader(const LedgerHeaderRecord& h);
Result<LedgerHeaderRecord> DecodeLedgerHeader(std::span<const std::byte> bytes);

// Fails only when a text field has no CP932 form.
Result<std::vector<std::byte>> EncodeLedgerLine(const LedgerLine& line);
Result<LedgerLine> DecodeLedgerLine(std::span<const std::byte> bytes);
// A line whose text fields may hold bytes that are not CP932: the numbers as stored,
// each such field left empty and named ("年月日", "曜日", "備考") in badFields.
struct ScannedLedgerLine {
    LedgerLine line;
    std::vector<std::string> badFields;
};
ScannedLedgerLine ScanLedgerLine(std::span<const std::byte, kLedgerLineSize> bytes);
// The same into 42 bytes the caller holds (the ledger walks, without an allocation).
Status EncodeLedgerLineTo(const LedgerLine& line, std::span<std::byte, kLedgerLineSize> out);

Result<std::vector<std::byte>> EncodeDepositBook(const DepositBookRecord& book);
Result<DepositBookRecord> DecodeDepositBook(std::span<const std::byte> bytes);

// A blank line: no date, no weekday, item 0, no amounts, the given balance.
LedgerLine BlankLedgerLine(Amount zandaka = 0);
// One deposit account as the year's history keeps it (a DepositChange record's old
// and new bytes), 62 bytes: the account's own fields in the order the deposit record
// keeps them (name 18, account number 14, carried balance 4, current balance 4, spare
// amount 4, maturity 10), then the record's two totals (carried 4, current 4), all
// copied as stored. `record` is the 1,536-byte deposit record; `account` 0..20.
inline constexpr std::size_t kDepositAccountBytes = 62;
std::vector<std::byte> DepositAccountBytes(std::span<const std::byte> record, int account);
// Puts such bytes back into a deposit record, each field where it is kept.
void PutDepositAccountBytes(std::span<std::byte> record, int account,
                            std::span<const std::byte> bytes);

// A deposit book with every slot cleared (blanks and zeros).
DepositBookRecord ClearedDepositBook();

}  // namespace tabulo
