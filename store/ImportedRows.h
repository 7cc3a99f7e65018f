#pragma once
// Which rows of a downloaded bank or card statement an import took, as the year's
// history keeps them (the NewBytes of a StatementImport record): a row found among
// them is never taken again, and the books' lines they account for make no row of a
// later statement unsure. Kept in the history, a backup, a restore and an undo carry
// them with the books they describe.
//
// The bytes (little-endian, no padding):
//   0  1  u8      Kind: 1 a deposit account's statement, 2 a card's
//   1  1  u8      N: the bytes of the statement's name (1..64)
//   2  N          the name, UTF-8: the deposit account ("口座3") or the card's name
//   then 24 bytes for each row taken:
//      0  8  u64  Fingerprint of the row (its date, description, amounts, balance)
//      8  4  u32  Occurrence: 1 for the first such row of its file, 2 for the next ...
//     12  4  u32  Date: YYYYMMDD, the Western year
//     16  4  Long In
//     20  4  Long Out

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/History.h"
#include "store/Records.h"

namespace tabulo {

inline constexpr std::size_t kImportedRowBytes = 24;
inline constexpr std::size_t kMaxImportNameBytes = 64;

enum class ImportedKind : std::uint8_t { Bank = 1, Card = 2 };

struct ImportedRow {
    std::uint64_t fingerprint = 0;
    std::uint32_t occurrence = 0;
    std::uint32_t date = 0;  // YYYYMMDD
    Amount in = 0;
    Amount out = 0;
    bool operator==(const ImportedRow&) const = default;
};

struct ImportedRows {
    ImportedKind kind = ImportedKind::Bank;
    std::string name;
    std::vector<ImportedRow> rows;
    bool operator==(const ImportedRows&) const = default;
};

// How many rows one record holds with a name of `nameBytes` bytes.
std::size_t ImportedRowsPerRecord(std::size_t nameBytes);

// The bytes of `rows` (at most ImportedRowsPerRecord rows, a name of 1..64 bytes).
std::vector<std::byte> EncodeImportedRows(const ImportedRows& rows);
// None for bytes that do not follow the layout.
std::optional<ImportedRows> DecodeImportedRows(std::span<const std::byte> bytes);

// The imports of a history that still count: each StatementImport record that
// undoes nothing and that no later StatementImport record undoes, decoded, in order.
std::vector<ImportedRows> ImportsInHistory(std::span<const HistoryRecord> records);

}  // namespace tabulo
