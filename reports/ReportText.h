#pragma once
// Small text conversions the reports and their screens share.

#include <string>
#include <string_view>

#include "store/Records.h"

namespace tabulo {

// Blanks prefixed up to `width` characters. A longer text is kept whole: an amount
// that loses its leading digits or its minus sign would read as another amount.
std::string PadLeft(std::string_view text, int width);
// "##,###,###" (zero gives "") right-aligned in 10 characters: ten blanks for zero.
std::string AmountCell(Amount v);
// True when a printed amount text stands for a number other than zero (commas allowed);
// a blank text is zero.
bool IsNonZeroAmountText(std::string_view text);
// YYMMDD as "YY.MM.DD" (characters 1-2, 3-4 and 5-6, whatever they are).
std::string DottedDate(std::string_view yymmdd);
// The first `count` characters (not bytes) of a UTF-8 text.
std::string FirstChars(std::string_view utf8, int count);
// The fiscal year right-aligned in 2 characters, as the report titles show it (" 8").
std::string YearInTwo(int fiscalYear);

}  // namespace tabulo
