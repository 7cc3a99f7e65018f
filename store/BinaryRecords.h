#pragma once
// Byte layouts of the binary files: the ledger header (18 bytes), a ledger line
// (42 bytes) and the deposit book (1,536 bytes). Little-endian, no padding, fixed
// strings in CP932 filled with blanks on the right.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

inline constexpr std::size_t kLedgerHeaderSize = 18;
inline constexpr std::size_t kLedgerLineSize = 42;
inline constexpr std::size_t kDepositBookSize = 1536;

// Byte offset (0-based) of ledger line n (1-based).
constexpr std::size_t LedgerLineOffset(int n) {
    return kLedgerHeaderSize + static_cast<std::size_t>(n - 1) * kLedgerLineSize;
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
// A deposit book with every slot cleared (blanks and zeros).
DepositBookRecord ClearedDepositBook();

}  // namespace tabulo
