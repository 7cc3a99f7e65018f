#pragma once
// The number formats of the statement pages, on screen and on paper. Unlike the
// general right alignment, none of these ever cuts a figure: a text longer than its
// field keeps every character, and the printer moves it left so that its last
// character still lands where the field ends.

#include <cstdint>
#include <string>

namespace tabulo {

// "##,###,##0" right-aligned in 10 characters; zero shows "0".
std::string ScreenAmount(std::int64_t value);
// "##,###,##0" without blanks ("1,234", "0"), for figures inside a sentence.
std::string AmountText(std::int64_t value);
// As ScreenAmount, but zero leaves the box empty.
std::string ScreenAmountOrEmpty(std::int64_t value);
// The printed column format "##,###,##0" in 10 characters; zero prints "-" in the
// last position.
std::string ColumnAmount(std::int64_t value);
// "##,###,##0" in 10 characters, zero printing nothing.
std::string ColumnAmountOrEmpty(std::int64_t value);

// Boxed digits: each digit followed by a blank ("# # # # # # # 0" for 8 boxes),
// right-aligned in 2 x boxes - 1 characters, so that in a fixed-pitch font every
// digit lands in its box. A negative figure takes its sign into the box before its
// first digit. A figure with more digits than boxes keeps them all (the text is then
// longer than the field).
std::string BoxedDigits(std::int64_t value, int boxes);
// The page amount fields: 8 boxes, zero printing "-" in the last box.
std::string BoxedAmount(std::int64_t value);

// "#0" / "##0" style: the number right-aligned in `width` characters, never cut.
std::string SmallNumber(std::int64_t value, int width);

// Blanks prefixed up to `width` characters; a longer text is kept whole.
std::string PadLeft(const std::string& text, int width);

}  // namespace tabulo
