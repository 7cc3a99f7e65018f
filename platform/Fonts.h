#pragma once
// The Windows face names that the forms and print layouts ask for, mapped onto the
// Japanese fonts installed here.

namespace tabulo {

// "ＭＳ 明朝" -> IPAMincho, "ＭＳ ゴシック" -> IPAGothic (and the proportional faces).
void RegisterFontSubstitutions();

}  // namespace tabulo
