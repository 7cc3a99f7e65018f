#pragma once
// The program's name and version as the about box and the start-up window show them.

namespace tabulo {

inline constexpr const char* kProgramName = "会計処理 Tabulo";
inline constexpr const char* kProgramVersion = "4.0";
inline constexpr const char* kProgramNote = "青色申告のための出納帳・申告書作成プログラム";
inline constexpr const char* kMainCaption = "会計処理";

}  // namespace tabulo
