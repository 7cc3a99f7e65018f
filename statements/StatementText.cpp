#include "statements/StatementText.h"

#include <array>
#include <cstdint>

#include "store/Text.h"

namespace tabulo::statements {

const char* EncodingName(StatementEncoding e) {
    switch (e) {
    case StatementEncoding::Utf8: return "UTF-8";
    case StatementEncoding::Utf8WithMark: return "UTF-8（BOM付き）";
    case StatementEncoding::Cp932: return "Shift-JIS（CP932）";
    }
    return "";
}

namespace {

// The length of the valid UTF-8 sequence at `p`, or 0 (overlong forms, surrogates and
// code points beyond U+10FFFF are not valid).
std::size_t ValidUtf8At(const unsigned char* p, std::size_t left) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool IsUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t i = 0;
    while (i < s.size()) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = ValidUtf8At(p + i, s.size() - i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

FileError Unreadable(const std::string& path, int line, const char* what) {
    FileError e = BadFormatError(path, std::to_string(line) + "行目: " + what);
    e.line = line;
    return e;
}

}  // namespace

Result<DecodedStatement> DecodeStatement(std::span<const std::byte> bytes, const std::string& path) {
    if (bytes.size() > kMaxStatementFileSize)
        return BadFormatError(path, "明細ファイルが大きすぎるため読み込めません。");
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    DecodedStatement out;
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") {
        raw.remove_prefix(3);
        out.encoding = StatementEncoding::Utf8WithMark;
        if (!IsUtf8(raw)) {
            // A mark that promises UTF-8 over bytes that are not: name the line.
            int line = 1;
            std::size_t start = 0;
            for (std::size_t i = 0; i <= raw.size(); ++i) {
                if (i == raw.size() || raw[i] == '\n') {
                    if (!IsUtf8(raw.substr(start, i - start)))
                        return Unreadable(path, line, "UTF-8として読めない文字があります。");
                    start = i + 1;
                    ++line;
                }
            }
        }
        out.text.assign(raw);
        return out;
    }
    if (IsUtf8(raw)) {
        out.encoding = StatementEncoding::Utf8;
        out.text.assign(raw);
        return out;
    }
    out.encoding = StatementEncoding::Cp932;
    if (auto text = FromCp932(raw)) {
        out.text = std::move(*text);
        return out;
    }
    // Find the first line that does not read, to name it. A CP932 trail byte is never
    // a line feed, so the lines can be cut before decoding.
    int line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= raw.size(); ++i) {
        if (i == raw.size() || raw[i] == '\n') {
            if (!FromCp932(raw.substr(start, i - start)))
                return Unreadable(path, line,
                                  "Shift-JIS（CP932）としてもUTF-8としても読めない文字があります。");
            start = i + 1;
            ++line;
        }
    }
    return Unreadable(path, line, "Shift-JIS（CP932）としてもUTF-8としても読めない文字があります。");
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool SplitCells(std::string_view line, std::vector<std::string>& cells, std::string& why) {
    cells.clear();
    std::size_t i = 0;
    for (;;) {
        std::string cell;
        // Blanks before an opening quote belong to no cell.
        std::size_t j = i;
        while (j < line.size() && line[j] == ' ') ++j;
        if (j < line.size() && line[j] == '"') {
            i = j + 1;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                cell += line[i++];
            }
            if (!closed) {
                why = "引用符（\"）が閉じていません。";
                return false;
            }
            while (i < line.size() && line[i] == ' ') ++i;
            if (i < line.size() && line[i] != ',') {
                why = "引用符（\"）の後に余分な文字があります。";
                return false;
            }
        } else {
            const std::size_t comma = line.find(',', i);
            const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
            cell.assign(line.substr(i, end - i));
            i = end;
        }
        cells.push_back(std::move(cell));
        if (i >= line.size()) return true;
        ++i;  // the comma
        if (i == line.size()) {
            cells.emplace_back();
            return true;
        }
    }
}

namespace {

void PutUtf8(std::string& out, char32_t c) { out += EncodeUtf8(c); }

// Half-width katakana U+FF61..U+FF9D as full-width characters.
constexpr std::array<char32_t, 0x3D> kHalfKana = {
    U'。', U'「', U'」', U'、', U'・', U'ヲ', U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ャ', U'ュ', U'ョ',
    U'ッ', U'ー', U'ア', U'イ', U'ウ', U'エ', U'オ', U'カ', U'キ', U'ク', U'ケ', U'コ', U'サ', U'シ',
    U'ス', U'セ', U'ソ', U'タ', U'チ', U'ツ', U'テ', U'ト', U'ナ', U'ニ', U'ヌ', U'ネ', U'ノ', U'ハ',
    U'ヒ', U'フ', U'ヘ', U'ホ', U'マ', U'ミ', U'ム', U'メ', U'モ', U'ヤ', U'ユ', U'ヨ', U'ラ', U'リ',
    U'ル', U'レ', U'ロ', U'ワ', U'ン'};

bool TakesVoicedMark(char32_t k) {
    return (k >= U'カ' && k <= U'ト' && k != U'ッ' && ((k - U'カ') % 2 == 0 || k >= U'ツ')) ||
           (k >= U'ハ' && k <= U'ホ' && (k - U'ハ') % 3 == 0);
}

// Decodes the code point at s[i] (a byte that is no valid lead counts as itself).
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + i;
    const std::size_t n = ValidUtf8At(p, s.size() - i);
    if (n <= 1) {
        ++i;
        return p[0];
    }
    char32_t cp = p[0] & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (p[k] & 0x3F);
    i += n;
    return cp;
}

}  // namespace

std::string FoldWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            out += s[i++];
            continue;
        }
        char32_t c = NextCodePoint(s, i);
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out += static_cast<char>(c - 0xFF01 + 0x21);
        } else if (c == 0x3000) {
            out += ' ';
        } else if (c >= 0xFF61 && c <= 0xFF9D) {
            char32_t k = kHalfKana[c - 0xFF61];
            // A voiced or semi-voiced mark after the letter joins it.
            std::size_t j = i;
            if (j < s.size()) {
                const char32_t mark = NextCodePoint(s, j);
                if (mark == 0xFF9E && k == U'ウ') {
                    k = U'ヴ';
                    i = j;
                } else if (mark == 0xFF9E && TakesVoicedMark(k)) {
                    k += 1;
                    i = j;
                } else if (mark == 0xFF9F && k >= U'ハ' && k <= U'ホ' && (k - U'ハ') % 3 == 0) {
                    k += 2;
                    i = j;
                }
            }
            PutUtf8(out, k);
        } else if (c == 0xFF9E) {
            PutUtf8(out, U'゛');
        } else if (c == 0xFF9F) {
            PutUtf8(out, U'゜');
        } else {
            PutUtf8(out, c);
        }
    }
    return out;
}

std::string MatchKey(std::string_view s) {
    const std::string folded = FoldWidth(s);
    std::string out;
    out.reserve(folded.size());
    bool blank = false;
    for (char c : folded) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

}  // namespace tabulo::statements
