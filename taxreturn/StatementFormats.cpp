#include "taxreturn/StatementFormats.h"

#include "store/Text.h"

namespace tabulo {
namespace {

std::size_t Chars(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::string PadLeft(const std::string& text, int width) {
    const std::size_t n = Chars(text);
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    return n >= w ? text : std::string(w - n, ' ') + text;
}

std::string ScreenAmount(std::int64_t value) { return PadLeft(AmountText(value), 10); }

std::string AmountText(std::int64_t value) { return FormatAmount(value, false); }

std::string ScreenAmountOrEmpty(std::int64_t value) {
    return value == 0 ? std::string() : ScreenAmount(value);
}

std::string ColumnAmount(std::int64_t value) {
    return value == 0 ? PadLeft("-", 10) : ScreenAmount(value);
}

std::string ColumnAmountOrEmpty(std::int64_t value) {
    return value == 0 ? std::string() : ScreenAmount(value);
}

std::string BoxedDigits(std::int64_t value, int boxes) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string out;
    if (negative) out += "- ";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0) out.push_back(' ');
        out.push_back(digits[i]);
    }
    return PadLeft(out, 2 * boxes - 1);
}

std::string BoxedAmount(std::int64_t value) {
    return value == 0 ? PadLeft("-", 15) : BoxedDigits(value, 8);
}

std::string SmallNumber(std::int64_t value, int width) {
    return PadLeft(std::to_string(value), width);
}

}  // namespace tabulo
