#include "store/Text.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace tabulo {
namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return false;
    }
    return true;
}

// One iconv descriptor per direction, opened on first use and reused: opening one
// costs far more than converting a short field.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> Run(std::string_view in) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 2 + 8, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            if (r == static_cast<std::size_t>(-1)) {
                if (errno != E2BIG) return std::nullopt;
                std::size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
            } else if (r != 0) {
                // A non-reversible conversion: the text has no exact form.
                return std::nullopt;
            }
        }
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    iconv_t cd_;
};

Converter& ToCp932Converter() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& FromCp932Converter() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

// The same short texts (weekdays, item names, remarks) pass the file edge again and
// again as the ledger is walked; a small table of recent conversions per direction
// spares most iconv calls.
class ConversionCache {
public:
    // The conversion of `in`, held until the next call.
    template <class Convert>
    const std::optional<std::string>& Get(std::string_view in, Convert&& convert) {
        if (in.size() > kMaxKey) return long_ = convert(in);
        std::uint32_t h = 2166136261u;
        for (unsigned char c : in) h = (h ^ c) * 16777619u;
        Entry& e = entries_[h % kEntries];
        if (e.used && e.in == in) return e.out;
        e.out = convert(in);
        e.in.assign(in);
        e.used = true;
        return e.out;
    }

private:
    static constexpr std::size_t kEntries = 256;
    static constexpr std::size_t kMaxKey = 48;
    struct Entry {
        bool used = false;
        std::string in;
        std::optional<std::string> out;
    };
    std::array<Entry, kEntries> entries_;
    std::optional<std::string> long_;
};

const std::optional<std::string>& CachedToCp932(std::string_view utf8) {
    thread_local ConversionCache cache;
    return cache.Get(utf8, [](std::string_view in) { return ToCp932Converter().Run(in); });
}
const std::optional<std::string>& CachedFromCp932(std::string_view bytes) {
    thread_local ConversionCache cache;
    return cache.Get(bytes, [](std::string_view in) { return FromCp932Converter().Run(in); });
}

// Length in bytes of the UTF-8 sequence that starts with `lead`; 0 when it is no lead.
std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

// The width in CP932 bytes of one UTF-8 character; 0 when it has no CP932 form.
int CharWidth(std::string_view ch) {
    if (ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x80) return 1;
    auto enc = CachedToCp932(ch);
    if (!enc) return 0;
    return static_cast<int>(enc->size());
}

// Splits off the next UTF-8 character (an invalid byte counts as one character).
std::string_view NextChar(std::string_view s, std::size_t pos) {
    std::size_t n = Utf8Length(static_cast<unsigned char>(s[pos]));
    if (n == 0 || pos + n > s.size()) n = 1;
    return s.substr(pos, n);
}

std::size_t CharCount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < s.size(); pos += NextChar(s, pos).size()) ++count;
    return count;
}

// Byte offset of character `index` (or s.size()).
std::size_t CharOffset(std::string_view s, std::size_t index) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < index && pos < s.size(); ++i) pos += NextChar(s, pos).size();
    return pos;
}


bool InRange(int key, char lo, char hi) { return key >= lo && key <= hi; }

}  // namespace

std::string EncodeUtf8(char32_t ch) {
    std::string out;
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
    return out;
}

std::optional<std::string> ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return CachedToCp932(utf8);
}

std::optional<std::string> FromCp932(std::string_view bytes) {
    if (IsAscii(bytes)) return std::string(bytes);
    return CachedFromCp932(bytes);
}

bool AppendFromCp932(std::string& out, std::string_view bytes) {
    if (IsAscii(bytes)) {
        out += bytes;
        return true;
    }
    const std::optional<std::string>& text = CachedFromCp932(bytes);
    if (!text) return false;
    out += *text;
    return true;
}

bool ReadsAsCp932(std::string_view bytes) {
    // The same few fields (weekdays, remarks) come again and again: their answers are
    // kept, keyed by the bytes themselves (up to 24, as three words), so that checking
    // a year costs a few loads a field and allocates nothing.
    constexpr std::size_t kKeyWords = 3, kEntries = 256;
    if (bytes.size() > kKeyWords * 8) return CachedFromCp932(bytes).has_value();
    std::array<std::uint64_t, kKeyWords> key{};
    // The widths of the ledger's texts as fixed loads; any other as a copy.
    if (bytes.size() == 16) {
        std::memcpy(&key[0], bytes.data(), 8);
        std::memcpy(&key[1], bytes.data() + 8, 8);
    } else if (bytes.size() == 6) {
        std::memcpy(&key[0], bytes.data(), 6);
    } else {
        std::memcpy(key.data(), bytes.data(), bytes.size());
    }
    if (((key[0] | key[1] | key[2]) & 0x8080808080808080ull) == 0) return true;  // ASCII
    struct Entry {
        std::array<std::uint64_t, kKeyWords> key;
        std::size_t length = kKeyWords * 8 + 1;  // none yet
        bool reads = false;
    };
    // Initial-exec: the table is reached without a call, like a plain static.
    __attribute__((tls_model("initial-exec"))) thread_local std::array<Entry, kEntries> entries;
    const std::uint64_t h = (key[0] * 0x9E3779B97F4A7C15ull) ^ (key[1] * 0xC2B2AE3D27D4EB4Full) ^
                            (key[2] * 0x165667B19E3779F9ull) ^ bytes.size();
    Entry& e = entries[(h >> 40) % kEntries];
    if (e.length == bytes.size() && e.key[0] == key[0] && e.key[1] == key[1] && e.key[2] == key[2])
        return e.reads;
    e.reads = CachedFromCp932(bytes).has_value();
    e.length = bytes.size();
    e.key = key;
    return e.reads;
}

bool IsCp932Text(std::string_view utf8) { return ToCp932(utf8).has_value(); }

int Cp932Width(std::string_view utf8) {
    // Worked out from the bytes alone: in CP932 only ASCII, the half-width katakana
    // (U+FF61..U+FF9F) and the yen sign and overline (U+00A5, U+203E, which the
    // conversion writes as 0x5C and 0x7E) take one byte; every other character takes
    // two, and one without a CP932 form counts two as well. Characters are split as
    // NextChar splits them.
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    int width = 0;
    for (std::size_t pos = 0; pos < size;) {
        const unsigned char lead = p[pos];
        if (lead < 0x80) {
            // A run of ASCII, eight bytes a step.
            std::uint64_t eight = 0;
            while (size - pos >= 8 && (std::memcpy(&eight, p + pos, 8), (eight & 0x8080808080808080ull) == 0)) {
                width += 8;
                pos += 8;
            }
            if (pos < size && p[pos] < 0x80) {
                width += 1;
                pos += 1;
            }
            continue;
        }
        if (lead >= 0xE3 && lead <= 0xEE && size - pos >= 3) {
            // Kana and kanji: three bytes, two wide.
            width += 2;
            pos += 3;
            continue;
        }
        std::size_t n = Utf8Length(lead);
        if (n == 0 || pos + n > size) n = 1;
        bool oneByte = false;
        if (n == 3) {
            const unsigned char b1 = p[pos + 1], b2 = p[pos + 2];
            oneByte = lead == 0xEF ? (b1 == 0xBD && b2 >= 0xA1 && b2 <= 0xBF) || (b1 == 0xBE && b2 >= 0x80 && b2 <= 0x9F)
                                   : lead == 0xE2 && b1 == 0x80 && b2 == 0xBE;
        } else if (n == 2) {
            oneByte = lead == 0xC2 && p[pos + 1] == 0xA5;
        }
        width += oneByte ? 1 : 2;
        pos += n;
    }
    return width;
}

int KeyCodeOf(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return -1;
    auto enc = ToCp932Converter().Run(EncodeUtf8(ch));
    if (!enc || enc->empty()) return -1;
    if (enc->size() == 1) return static_cast<unsigned char>((*enc)[0]);
    // A double-byte character arrives as its 16-bit code taken as signed, as the
    // key-press event of the old platform gave it; the lead byte makes it negative.
    int code = (static_cast<unsigned char>((*enc)[0]) << 8) | static_cast<unsigned char>((*enc)[1]);
    return code - 0x10000;
}

std::string CutToBytes(std::string_view utf8, int width) {
    if (width <= 0) return {};
    if (IsAscii(utf8)) return std::string(utf8.substr(0, std::min<std::size_t>(utf8.size(), width)));
    int count = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::string_view ch = NextChar(utf8, pos);
        int w = CharWidth(ch);
        count += (w == 0) ? 2 : w;
        if (count > width) return std::string(utf8.substr(0, pos));
        pos += ch.size();
        if (count == width) return std::string(utf8.substr(0, pos));
    }
    return std::string(utf8);
}

int AcceptCodeChar(int key) {
    bool ok = key == ' ' || key == '#' || key == '(' || key == ')' || key == '/' ||
              InRange(key, '0', '9') || key == '&' || key == '-' || InRange(key, 'A', 'Z');
    return ok ? 0 : 1;
}

int AcceptDigitsAndDash(int key) { return (InRange(key, '0', '9') || key == '-') ? 0 : 1; }

int AcceptNumber(int key) {
    return (InRange(key, '0', '9') || key == '.' || key == '-') ? 0 : 1;
}

int AcceptDigits(int key) { return InRange(key, '0', '9') ? 0 : 1; }

int AcceptRate(int key) {
    return (InRange(key, '0', '9') || key == '.' || key == '/' || key == '-') ? 0 : 1;
}

std::string TrimRight(std::string_view s) {
    std::size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ') --end;
    return std::string(s.substr(0, end));
}

std::string Trim(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && s[begin] == ' ') ++begin;
    return TrimRight(s.substr(begin));
}

bool IsBlank(std::string_view s) {
    for (char c : s) {
        if (c != ' ') return false;
    }
    return true;
}

std::string RightAlign(std::string_view s, int width) {
    if (width <= 0) return {};
    std::size_t n = CharCount(s);
    std::size_t w = static_cast<std::size_t>(width);
    if (n >= w) return std::string(s.substr(CharOffset(s, n - w)));
    return std::string(w - n, ' ') + std::string(s);
}

std::string LeftAlign(std::string_view s, int width) {
    if (width <= 0) return {};
    std::size_t n = CharCount(s);
    std::size_t w = static_cast<std::size_t>(width);
    if (n >= w) return std::string(s.substr(0, CharOffset(s, w)));
    return std::string(s) + std::string(w - n, ' ');
}

std::string FormatAmount(std::int64_t value, bool zeroAsEmpty) {
    if (value == 0) return zeroAsEmpty ? std::string() : std::string("0");
    std::string out;
    AppendAmount(out, value);
    return out;
}

void AppendAmount(std::string& out, std::int64_t value) {
    // Work in unsigned so that the most negative value has a magnitude too.
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    // The digits from the right, a comma before every third: at most 19 digits and 6
    // commas and the sign.
    char buffer[32];
    char* p = buffer + sizeof buffer;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--p = ',';
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (negative) *--p = '-';
    out.append(p, static_cast<std::size_t>(buffer + sizeof buffer - p));
}

double Val(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    double value = 0;
    bool point = false;
    double scale = 0.1;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            if (point) {
                value += (c - '0') * scale;
                scale /= 10;
            } else {
                value = value * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

std::optional<Amount> AmountFromText(std::string_view s) {
    std::string plain;
    plain.reserve(s.size());
    for (char c : s) {
        if (c != ',') plain.push_back(c);
    }
    // Whole yen as the old conversion to a long gave them: halves go to the even yen.
    double v = std::nearbyint(Val(plain));
    if (v < static_cast<double>(std::numeric_limits<Amount>::min()) ||
        v > static_cast<double>(std::numeric_limits<Amount>::max())) {
        return std::nullopt;
    }
    return static_cast<Amount>(v);
}

}  // namespace tabulo
