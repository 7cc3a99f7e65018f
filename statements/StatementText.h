#pragma once
// The text of a downloaded bank or card statement: its bytes decoded (CP932 with the
// NEC and IBM extension characters, or UTF-8 with or without a byte-order mark), its
// lines split into comma-separated cells, and the width-folding that makes full-width
// and half-width forms of the same text compare alike.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"

namespace tabulo::statements {

enum class StatementEncoding { Utf8, Utf8WithMark, Cp932 };
// The encoding's name as the preview shows it.
const char* EncodingName(StatementEncoding e);

struct DecodedStatement {
    StatementEncoding encoding = StatementEncoding::Utf8;
    std::string text;  // UTF-8, the byte-order mark removed
};

// The largest statement file read (a file of 100,000 rows is a few megabytes).
inline constexpr std::size_t kMaxStatementFileSize = 32u << 20;

// Decodes a statement: a UTF-8 byte-order mark means UTF-8; otherwise bytes that are
// valid UTF-8 are taken as UTF-8 and anything else as CP932. Bytes that are neither
// are refused with the number of the first line that does not read. `path` names the
// file in the messages.
Result<DecodedStatement> DecodeStatement(std::span<const std::byte> bytes, const std::string& path);

// The text's lines: CR LF, LF or a lone CR end a line; a last line without an end
// counts, an empty end after the last line end does not.
std::vector<std::string_view> SplitLines(std::string_view text);

// The cells of one comma-separated line: a cell in double quotes may hold commas,
// and "" inside it is one quote. False (with `why` set) for a quote left open or text
// after a closing quote.
bool SplitCells(std::string_view line, std::vector<std::string>& cells, std::string& why);

// Full-width ASCII letters, digits and signs and the ideographic space become their
// half-width forms; half-width katakana become full-width katakana (a following voiced
// or semi-voiced mark joined to its letter). Everything else stays.
std::string FoldWidth(std::string_view utf8);
// FoldWidth, Latin letters upper-cased, blanks trimmed and runs of blanks made one:
// the form in which descriptions and rules are compared.
std::string MatchKey(std::string_view utf8);

}  // namespace tabulo::statements
