#pragma once
// The form in which texts are compared when the books are searched: a text typed one
// way finds the same text stored another way. Full-width letters, digits and symbols
// read as their ASCII forms, the full-width blank as a blank, half-width katakana as
// full-width katakana (a half-width voiced or semi-voiced mark joins the kana before
// it: ｶﾞ is ガ), and Latin capitals as small letters.

#include <string>
#include <string_view>

namespace tabulo {

// `utf8` in the compared form. Bytes that are not UTF-8 are kept as they are.
std::string FoldForSearch(std::string_view utf8);

// Whether `folded` (a stored text in the compared form) holds `needle` (also folded).
inline bool HoldsFolded(std::string_view folded, std::string_view needle) {
    return folded.find(needle) != std::string_view::npos;
}

}  // namespace tabulo
