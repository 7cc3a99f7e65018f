#pragma once
// What the report tests share: ledgers written as hex from the file layout
//   header, 18 bytes: LineCount(int16) OpeningBalance TotalIn TotalOut ClosingBalance (int32)
//   line, 42 bytes:   date(6) weekday(6) ItemNo(int16) Indata Outdata Zandaka (int32) remarks(16)
// (little-endian, text CP932 filled with blanks), and pages of drawing operations
// written out as one readable line per operation.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/PrintDocument.h"
#include "tests/cashbook/LedgerFixture.h"
#include "tests/support/FakePrompt.h"

namespace tabulo::testing {

// Little-endian hex of a 16-bit or 32-bit value.
inline std::string LeHex(std::int64_t v, int bytes) {
    static const char* digits = "0123456789abcdef";
    auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        const unsigned b = (u >> (8 * i)) & 0xFF;
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Hex of an ASCII text (the date field).
inline std::string AsciiHex(std::string_view text) {
    std::string out;
    for (char c : text) out += LeHex(static_cast<unsigned char>(c), 1);
    return out;
}

inline std::string HeaderHex(int lineCount) {
    return LeHex(lineCount, 2) + " 00000000 00000000 00000000 00000000\n";
}

// One 42-byte line; `youbi` and `bikou` are CP932 hex of 6 and 16 bytes.
inline std::string LineHex(std::string_view date, const char* youbi, int item, std::int64_t in,
                           std::int64_t out, std::int64_t balance, const char* bikou = kBlank16) {
    const std::string d = date.empty() ? std::string(kBlank6) : AsciiHex(date);
    return d + " " + youbi + " " + LeHex(item, 2) + " " + LeHex(in, 4) + " " + LeHex(out, 4) + " " +
           LeHex(balance, 4) + " " + bikou + "\n";
}

// One operation per line: "L (8,18)-(154,18) s0 w5", "B ...", "T (54,5) 16.4 text".
inline std::string Describe(const DrawOp& op) {
    auto n = [](double v) {
        char b[32];
        std::snprintf(b, sizeof b, "%g", v);
        return std::string(b);
    };
    if (op.kind == DrawKind::Text) {
        return "T (" + n(op.x1) + "," + n(op.y1) + ") " + n(op.size) + " " + op.text;
    }
    return std::string(op.kind == DrawKind::Box ? "B" : "L") + " (" + n(op.x1) + "," + n(op.y1) +
           ")-(" + n(op.x2) + "," + n(op.y2) + ") s" + std::to_string(op.style) + " w" +
           std::to_string(op.width);
}

// The page's operations of one kind (texts, or lines and boxes).
inline std::vector<std::string> Texts(const PrintPage& page) {
    std::vector<std::string> out;
    for (const DrawOp& op : page.ops) {
        if (op.kind == DrawKind::Text) out.push_back(Describe(op));
    }
    return out;
}
inline std::vector<std::string> Rules(const PrintPage& page) {
    std::vector<std::string> out;
    for (const DrawOp& op : page.ops) {
        if (op.kind != DrawKind::Text) out.push_back(Describe(op));
    }
    return out;
}

// The texts printed at height y, left to right as printed.
inline std::vector<std::string> TextsAt(const PrintPage& page, double y) {
    std::vector<std::string> out;
    for (const DrawOp& op : page.ops) {
        if (op.kind == DrawKind::Text && op.y1 == y) out.push_back(Describe(op));
    }
    return out;
}

// Compares two lists line by line, naming the first difference.
inline void ExpectLines(const std::vector<std::string>& actual,
                        const std::vector<std::string>& expected) {
    const std::size_t n = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "operation " << i << ":\n  actual:   " << actual[i]
                          << "\n  expected: " << expected[i];
            return;
        }
    }
    EXPECT_EQ(actual.size(), expected.size())
        << "first extra: " << (actual.size() > n ? actual[n] : expected[n]);
}

// Every operation uses the layouts' Mincho face.
inline void ExpectMincho(const PrintDocument& doc) {
    for (const PrintPage& page : doc.pages) {
        for (const DrawOp& op : page.ops) {
            if (op.kind == DrawKind::Text) {
                EXPECT_EQ(op.font, "ＭＳ 明朝") << op.text;
            }
        }
    }
}

}  // namespace tabulo::testing
