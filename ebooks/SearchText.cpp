#include "ebooks/SearchText.h"

#include "store/Text.h"

namespace tabulo {
namespace {

// Full-width katakana of the half-width forms U+FF61..U+FF9F, in order.
constexpr char16_t kHalfKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // ｡｢｣､･ｦｧｨ
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // ｩｪｫｬｭｮｯｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // ｱｲｳｴｵｶｷｸ
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // ｹｺｻｼｽｾｿﾀ
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // ﾙﾚﾛﾜﾝﾞﾟ
};
static_assert(std::size(kHalfKana) == 0xFF9F - 0xFF61 + 1);

// The voiced kana of `kana`, or 0 when it has none.
char32_t Voiced(char32_t kana) {
    if (kana == 0x30A6) return 0x30F4;  // ウ -> ヴ
    // カ..ヂ and ツ..ド: the voiced form follows the plain one.
    if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) ||
        kana == 0x30C4 || kana == 0x30C6 || kana == 0x30C8)
        return kana + 1;
    if (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0) return kana + 1;  // ハ..ホ
    return 0;
}
// The semi-voiced kana of `kana` (ハ..ホ), or 0.
char32_t SemiVoiced(char32_t kana) {
    if (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0) return kana + 2;
    return 0;
}

// Decodes the UTF-8 character at `s[i]`; `len` its length, 0 when it is not UTF-8.
char32_t Decode(std::string_view s, std::size_t i, std::size_t& len) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char lead = b(0);
    std::size_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) {
        len = 0;
        return 0;
    }
    char32_t c = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) {
            len = 0;
            return 0;
        }
        c = (c << 6) | (b(k) & 0x3F);
    }
    len = n;
    return c;
}

}  // namespace

std::string FoldForSearch(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char32_t last = 0;           // the kana last written, which a voiced mark may change
    std::size_t lastAt = 0;      // where it starts in `out`
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = 0;
        char32_t c = Decode(utf8, i, len);
        if (len == 0) {  // not UTF-8: kept as it is
            out += utf8[i++];
            last = 0;
            continue;
        }
        i += len;
        if (c >= 0xFF01 && c <= 0xFF5E) {
            c -= 0xFF01 - 0x21;  // full-width ASCII
        } else if (c == 0x3000) {
            c = ' ';
        } else if (c == 0x2212) {
            c = '-';  // the minus sign of Japanese input
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            const bool mark = c == 0xFF9E || c == 0xFF9F;
            c = kHalfKana[c - 0xFF61];
            if (mark) c = c == 0x309B ? 0x3099 : 0x309A;  // as the combining marks below
        }
        // A voiced or semi-voiced mark after a kana that takes it joins the kana.
        if (c == 0x3099 || c == 0x309A) {
            const char32_t joined = last == 0 ? 0 : c == 0x3099 ? Voiced(last) : SemiVoiced(last);
            if (joined != 0) {
                out.resize(lastAt);
                out += EncodeUtf8(joined);
                last = 0;
                continue;
            }
            c = c == 0x3099 ? 0x309B : 0x309C;  // a mark standing alone
        }
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        lastAt = out.size();
        last = c >= 0x30A1 && c <= 0x30FA ? c : 0;
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += EncodeUtf8(c);
    }
    return out;
}

}  // namespace tabulo
