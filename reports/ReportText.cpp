#include "reports/ReportText.h"

#include "store/Text.h"

namespace tabulo {

std::string PadLeft(std::string_view text, int width) {
    int chars = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;  // a character's first byte
    }
    if (chars >= width) return std::string(text);
    return std::string(static_cast<std::size_t>(width - chars), ' ') + std::string(text);
}

std::string AmountCell(Amount v) { return PadLeft(FormatAmount(v, true), 10); }

bool IsNonZeroAmountText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (char c : text) {
        if (c != ',') plain.push_back(c);
    }
    return Val(plain) != 0;
}

std::string DottedDate(std::string_view yymmdd) {
    auto part = [&](std::size_t pos) {
        return pos < yymmdd.size() ? std::string(yymmdd.substr(pos, 2)) : std::string();
    };
    return part(0) + "." + part(2) + "." + part(4);
}

std::string FirstChars(std::string_view utf8, int count) {
    std::size_t pos = 0;
    for (int n = 0; n < count && pos < utf8.size(); ++n) {
        ++pos;
        // Continuation bytes belong to the character just started.
        while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80) ++pos;
    }
    return std::string(utf8.substr(0, pos));
}

std::string YearInTwo(int fiscalYear) { return PadLeft(std::to_string(fiscalYear), 2); }

}  // namespace tabulo
