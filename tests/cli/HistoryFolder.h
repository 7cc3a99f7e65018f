#pragma once
// A history of changes (RIREKI13.DAT) written byte by byte from the table of the file
// (4-byte mark "RRK1"; each record: size, sequence, 14-digit time, operation, target,
// undo-of, old size, new size, the old and new bytes, the chained CRC-32, the size
// again), in the fixture year of the double-entry books.

#include <cstdint>
#include <string>
#include <vector>

#include "store/History.h"
#include "tests/cli/BooksFolder.h"

namespace tabulo::testing {

// `v` as `width` little-endian bytes in hex.
inline std::string LittleHex(std::uint32_t v, int width) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < width; ++i) {
        const unsigned b = (v >> (8 * i)) & 0xff;
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

struct HandRecord {
    std::uint32_t sequence;
    std::string when;  // 14 digits
    std::uint16_t operation;
    std::int32_t target;
    std::uint32_t undoOf;
    std::string oldHex, newHex;
};

// The records one after another, each chained to the check of the one before; the
// offsets of every record in `offsets` when given.
inline std::string HistoryBytes(const std::vector<HandRecord>& records,
                                std::vector<std::size_t>* offsets = nullptr) {
    std::string file = FromHex("52524b31");
    std::uint32_t previous = 0;
    for (const HandRecord& r : records) {
        const std::string oldBytes = FromHex(r.oldHex), newBytes = FromHex(r.newHex);
        const auto size = static_cast<std::uint32_t>(44 + oldBytes.size() + newBytes.size());
        std::string body = FromHex(LittleHex(size, 4) + LittleHex(r.sequence, 4)) + r.when +
                           FromHex(LittleHex(r.operation, 2) + LittleHex(static_cast<std::uint32_t>(r.target), 4) +
                                   LittleHex(r.undoOf, 4) + LittleHex(static_cast<std::uint32_t>(oldBytes.size()), 2) +
                                   LittleHex(static_cast<std::uint32_t>(newBytes.size()), 2)) +
                           oldBytes + newBytes;
        const std::string prev = FromHex(LittleHex(previous, 4));
        const std::uint32_t check = HistoryCrc32(std::as_bytes(std::span(body.data(), body.size())),
                                                 HistoryCrc32(std::as_bytes(std::span(prev.data(), 4))));
        if (offsets != nullptr) offsets->push_back(file.size());
        file += body + FromHex(LittleHex(check, 4) + LittleHex(size, 4));
        previous = check;
    }
    return file;
}

// Two stored cash-book lines (42 bytes: date, weekday, item, in, out, balance, remarks)
// in CP932: 130401（日） 売上 in 5,000 balance 15,000 "売上", and the same changed to
// 5,500, balance 15,500, "ABC".
inline const std::string kLineBefore =
    "313330343031 816993fa816a 0100 88130000 00000000 983a0000 94848fe3 202020202020202020202020";
inline const std::string kLineAfter =
    "313330343031 816993fa816a 0100 7c150000 00000000 8c3c0000 414243 20202020202020202020202020";

// Line 1 posted, changed, the opening balance of 現金 (101) set to 50,000, line 1
// deleted, the delete undone.
inline std::vector<HandRecord> FiveChanges() {
    return {
        {1, "20261208093000", 1, 1, 0, "", kLineBefore},
        {2, "20261208093105", 2, 1, 0, kLineBefore, kLineAfter},
        {3, "20261209100000", 9, 101, 0, "", "50c30000"},
        {4, "20261210110000", 4, 1, 0, kLineAfter, ""},
        {5, "20261210110005", 3, 1, 4, "", kLineAfter},
    };
}

}  // namespace tabulo::testing
