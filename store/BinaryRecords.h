#pragma once
// Byte layouts of the binary files: the ledger header (18 bytes), a ledger line
// (42 bytes) and the deposit book (1,536 bytes). Little-endian, no padding, fixed
// strings in CP932 filled with blanks on the right.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

inline constexpr std::size_t kLedgerHeaderSize = 18;
inline constexpr std::size_t kLedgerLineSize = 42;
inline constexpr std::size_t kDepositBookSize = 1536;

// Offsets of the fields the balance rules need, within a line's 42 bytes.
inline constexpr std::size_t kLedgerDateOffset = 0;
inline constexpr std::size_t kLedgerItemOffset = 12;
inline constexpr std::size_t kLedgerIndataOffset = 14;
inline constexpr std::size_t kLedgerOutdataOffset = 18;
inline constexpr std::size_t kLedgerZandakaOffset = 22;

// Byte offset (0-based) of ledger line n (1-based).
constexpr std::size_t LedgerLineOffset(int n) {
    return kLedgerHeaderSize + static_cast<std::size_t>(n - 1) * kLedgerLineSize;
}

// Little-endian fields read and written in place.
std::int16_t GetRawInteger(const std::byte* p);
Amount GetRawAmount(const std::byte* p);
void PutRawAmount(std::byte* p, Amount v);

// The fields of a stored line that the balance rules use, read without decoding
// its texts.
struct RawLineFields {
    std::int16_t itemNo = 0;
    Amount indata = 0;
    Amount outdata = 0;
    Amount zandaka = 0;
};
RawLineFields ReadRawLineFields(std::span<const std::byte, kLedgerLineSize> line);
// Characters 3-4 of the trimmed date, as the text rules give them; "" for a date too
// short. Fails only when a date that is not plain ASCII does not decode.
Result<std::string> RawLineMonth(std::span<const std::byte, kLedgerLineSize> line);
// The same without decoding or allocating: the month's length (0 to 2) with its
// characters in `month`, or -1 when the date is not plain ASCII (then RawLineMonth
// decides).
int PlainRawLineMonth(std::span<const std::byte, kLedgerLineSize> line, char (&month)[2]);

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
// A deposit book with every slot cleared (blanks and zeros).
DepositBookRecord ClearedDepositBook();

}  // namespace tabulo
