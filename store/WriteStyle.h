#pragma once
// The comma-separated text style of the data files, value by value: the writer puts
// quoted strings and plain decimal numbers with CR LF line ends into CP932 bytes;
// the reader takes them back the tolerant way the old input statement did (a quoted
// string may hold commas, an unquoted value ends at a comma or line end, a line end
// separates values like a comma).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

class WriteStyleWriter {
public:
    // A double quote would end the string early and has no escape in this style, so
    // it is written as an apostrophe. Fails when the text has no CP932 form.
    Status Str(std::string_view utf8);
    void Number(std::int64_t value);
    void EndLine();
    // A bare line without quotes (the settings file).
    Status BareLine(std::string_view utf8);
    std::vector<std::byte> Take() { return std::move(out_); }

private:
    void Separator();
    std::vector<std::byte> out_;
    bool lineStarted_ = false;
    int line_ = 1;
};

class WriteStyleReader {
public:
    explicit WriteStyleReader(std::span<const std::byte> bytes) : bytes_(bytes) {}
    // True when nothing but blanks, line ends and an end-of-file mark is left.
    bool AtEnd() const;
    // A string value: quoted, or an empty field. An unquoted value is refused: it
    // means the file does not hold a string here.
    Result<std::string> Str();
    // A whole number in [lo, hi]; an empty field reads as 0.
    Result<std::int32_t> Number(std::int32_t lo, std::int32_t hi);
    Result<std::int16_t> Int() {
        auto v = Number(INT16_MIN, INT16_MAX);
        if (!v) return v.error();
        return static_cast<std::int16_t>(*v);
    }
    Result<std::int32_t> Long() { return Number(INT32_MIN, INT32_MAX); }
    int line() const { return line_; }

private:
    struct Raw {
        bool quoted = false;
        std::string_view text;  // CP932 bytes
    };
    Result<Raw> Next();
    bool SkipSeparator();
    void SkipBlanks();
    FileError Bad(const std::string& what) const;
    char Peek() const { return static_cast<char>(bytes_[pos_]); }

    std::span<const std::byte> bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace tabulo
