#include "store/WriteStyle.h"

#include <algorithm>

#include "store/Text.h"

namespace tabulo {
namespace {

void Append(std::vector<std::byte>& out, std::string_view s) {
    for (char c : s) out.push_back(static_cast<std::byte>(c));
}

FileError NotEncodable(int line) {
    FileError e;
    e.code = FileErrorCode::NotEncodable;
    e.writing = true;
    e.detail = std::to_string(line) + " 行目: シフトJISで表せない文字があります。";
    return e;
}

}  // namespace

void WriteStyleWriter::Separator() {
    if (lineStarted_) out_.push_back(std::byte{','});
    lineStarted_ = true;
}

Status WriteStyleWriter::Str(std::string_view utf8) {
    std::string text(utf8);
    std::replace(text.begin(), text.end(), '"', '\'');
    auto bytes = ToCp932(text);
    if (!bytes) return NotEncodable(line_);
    Separator();
    out_.push_back(std::byte{'"'});
    Append(out_, *bytes);
    out_.push_back(std::byte{'"'});
    return Ok();
}

void WriteStyleWriter::Number(std::int64_t value) {
    Separator();
    Append(out_, std::to_string(value));
}

void WriteStyleWriter::EndLine() {
    Append(out_, "\r\n");
    lineStarted_ = false;
    ++line_;
}

Status WriteStyleWriter::BareLine(std::string_view utf8) {
    auto bytes = ToCp932(utf8);
    if (!bytes) return NotEncodable(line_);
    Append(out_, *bytes);
    EndLine();
    return Ok();
}

FileError WriteStyleReader::Bad(const std::string& what) const {
    return BadFormatError({}, std::to_string(line_) + " 行目: " + what);
}

void WriteStyleReader::SkipBlanks() {
    while (pos_ < bytes_.size() && (Peek() == ' ' || Peek() == '\t')) ++pos_;
}

bool WriteStyleReader::AtEnd() const {
    for (std::size_t i = pos_; i < bytes_.size(); ++i) {
        char c = static_cast<char>(bytes_[i]);
        // 0x1A is the end-of-file mark some old editors left behind.
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\x1A') return false;
    }
    return true;
}

// After a value: a comma, a line end (CR LF, CR or LF) or the end of the file.
bool WriteStyleReader::SkipSeparator() {
    SkipBlanks();
    if (pos_ >= bytes_.size()) return true;
    char c = Peek();
    if (c == ',') {
        ++pos_;
        return true;
    }
    if (c == '\r' || c == '\n') {
        ++pos_;
        if (c == '\r' && pos_ < bytes_.size() && Peek() == '\n') ++pos_;
        ++line_;
        return true;
    }
    return false;
}

Result<WriteStyleReader::Raw> WriteStyleReader::Next() {
    SkipBlanks();
    if (pos_ >= bytes_.size()) return Bad("ファイルが途中で終わっています。");
    const char* base = reinterpret_cast<const char*>(bytes_.data());
    Raw raw;
    if (Peek() == '"') {
        // Neither the quote nor the comma can be the second byte of a double-byte
        // CP932 character, so scanning bytes is safe.
        std::size_t start = ++pos_;
        while (pos_ < bytes_.size() && Peek() != '"' && Peek() != '\r' && Peek() != '\n') ++pos_;
        if (pos_ >= bytes_.size() || Peek() != '"') return Bad("引用符が閉じていません。");
        raw.quoted = true;
        raw.text = std::string_view(base + start, pos_ - start);
        ++pos_;
        if (!SkipSeparator()) return Bad("引用符の後に余分な文字があります。");
        return raw;
    }
    std::size_t start = pos_;
    while (pos_ < bytes_.size() && Peek() != ',' && Peek() != '\r' && Peek() != '\n') ++pos_;
    std::size_t end = pos_;
    while (end > start && (base[end - 1] == ' ' || base[end - 1] == '\t')) --end;
    raw.text = std::string_view(base + start, end - start);
    SkipSeparator();
    return raw;
}

Result<std::string> WriteStyleReader::Str() {
    int line = line_;
    auto raw = Next();
    if (!raw) return raw.error();
    if (!raw->quoted && !raw->text.empty()) {
        return BadFormatError({}, std::to_string(line) + " 行目: 文字列の所に「" +
                                      FromCp932(raw->text).value_or("?") + "」があります。");
    }
    auto text = FromCp932(raw->text);
    if (!text) {
        return BadFormatError({}, std::to_string(line) + " 行目: シフトJISでない文字があります。");
    }
    return *text;
}

Result<std::int32_t> WriteStyleReader::Number(std::int32_t lo, std::int32_t hi) {
    int line = line_;
    auto raw = Next();
    if (!raw) return raw.error();
    auto bad = [&](const char* what) { return BadFormatError({}, std::to_string(line) + " 行目: " + what); };
    if (raw->quoted) return bad("数値の所に文字列があります。");
    std::string_view t = raw->text;
    if (t.empty()) return 0;
    bool negative = false;
    std::size_t i = 0;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return bad("数値が正しくありません。");
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return bad("数値が正しくありません。");
        value = value * 10 + (t[i] - '0');
        if (value > 0x100000000LL) return bad("数値が大きすぎます。");
    }
    if (negative) value = -value;
    if (value < lo || value > hi) return bad("数値が大きすぎます。");
    return static_cast<std::int32_t>(value);
}

}  // namespace tabulo
