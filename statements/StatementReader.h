#pragma once
// The rows of a downloaded statement read by its layout: every line between the
// header and the footer is a row, a card's heading line, or refused with its line
// number and the reason. Nothing is dropped without being named.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"
#include "statements/Profile.h"
#include "store/Records.h"

namespace tabulo::statements {

// The most rows a statement may hold; a larger file is refused.
inline constexpr int kMaxStatementRows = 100000;

struct StatementDate {
    int year = 0;   // Western
    int month = 0;
    int day = 0;
    bool operator==(const StatementDate&) const = default;
    auto operator<=>(const StatementDate&) const = default;
};

struct StatementRow {
    int line = 0;  // 1-based line of the file
    StatementDate date;
    std::string description;  // the description cells joined by a blank, as written
    Amount in = 0;            // money in (a card: a refund)
    Amount out = 0;           // money out (a card: spent)
    bool hasBalance = false;
    Amount balance = 0;
    bool operator==(const StatementRow&) const = default;
};

struct StatementRead {
    std::vector<StatementRow> rows;  // in the order the money moved (oldest first)
    int headerLine = 0;
    int separators = 0;              // a card's heading lines within the rows
};

// Reads the rows of `text` (decoded) by `profile`. A line that does not fit is
// refused: the error names `path`, the line (FileError::line) and the reason.
Result<StatementRead> ReadStatement(const Profile& profile, std::string_view text,
                                    const std::string& path);

// A date cell by the layout's styles; false with `why` set when it is none of them.
bool ParseStatementDate(std::string_view cell, int styles, StatementDate& out, std::string& why);
// An amount cell: digits with optional commas, a sign (-, ▲, △), 円 or ¥; empty is 0.
// False with `why` set for anything else or a value beyond 32 bits.
bool ParseStatementAmount(std::string_view cell, Amount& out, std::string& why);

}  // namespace tabulo::statements
