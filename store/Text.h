#pragma once
// Shift-JIS (code page 932) at the file edge, byte-width cuts, key filters and the
// small text conversions the screens and reports share. Text inside the program is UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/Records.h"

namespace tabulo {

// UTF-8 -> CP932 bytes; nullopt when a character has no CP932 form.
std::optional<std::string> ToCp932(std::string_view utf8);
// CP932 bytes -> UTF-8; nullopt when the bytes are not valid CP932.
std::optional<std::string> FromCp932(std::string_view bytes);
// FromCp932(bytes) appended to `out`; false (nothing appended) when it fails.
bool AppendFromCp932(std::string& out, std::string_view bytes);
// Whether FromCp932 would convert `bytes`, without making the text: the check of a
// stored field that is not otherwise read.
bool ReadsAsCp932(std::string_view bytes);
// True when every character has a CP932 form.
bool IsCp932Text(std::string_view utf8);
// Width in CP932 bytes (1 for ASCII and half-width katakana, 2 for double-byte).
// A character with no CP932 form counts 2.
int Cp932Width(std::string_view utf8);

// One code point as UTF-8.
std::string EncodeUtf8(char32_t ch);

// The key code of one character as the key filters see it: its byte value when its
// CP932 form is one byte, a negative number for a double-byte character or one with
// no CP932 form. `ch` is one Unicode code point.
int KeyCodeOf(char32_t ch);

// The longest leading part of `utf8` that fits in `width` CP932 bytes; a double-byte
// character that would cross the limit is left out whole.
std::string CutToBytes(std::string_view utf8, int width);

// Key filters: 0 = accept, 1 = reject (the verdict the callers keep in ErrorFlag).
int AcceptCodeChar(int key);       // blank # ( ) / 0-9 & - A-Z
int AcceptDigitsAndDash(int key);  // 0-9 -
int AcceptNumber(int key);         // 0-9 . -
int AcceptDigits(int key);         // 0-9
int AcceptRate(int key);           // 0-9 . / -

// Trailing blanks (0x20) removed; Trim removes leading ones too.
std::string TrimRight(std::string_view s);
std::string Trim(std::string_view s);
// True for "", or blanks only.
bool IsBlank(std::string_view s);

// Blanks prefixed and the last `width` characters kept (the screens' right alignment).
std::string RightAlign(std::string_view s, int width);
// Left-justified in `width` characters: cut or filled with blanks.
std::string LeftAlign(std::string_view s, int width);

// Amount patterns: "##,###,##0" shows 0 as "0"; "##,###,###" shows 0 as "".
std::string FormatAmount(std::int64_t value, bool zeroAsEmpty);
// FormatAmount(value, false) appended to `out`, for a text put together piece by piece.
void AppendAmount(std::string& out, std::int64_t value);
// The numeric value of a text as the BASIC Val function reads it: leading blanks
// skipped, an optional sign, digits and one decimal point; anything else ends it.
double Val(std::string_view s);
// Val of a text with its commas removed, as a whole number; nullopt when it does not
// fit a 32-bit amount.
std::optional<Amount> AmountFromText(std::string_view s);

}  // namespace tabulo
