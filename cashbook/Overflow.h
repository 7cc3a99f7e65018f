#pragma once
// Checked 32-bit amount arithmetic: an overflow is reported, never wrapped.

#include <cstdint>
#include <optional>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

inline constexpr const char* kOverflowMessage = "金額が大きすぎるため処理できません！！";

inline std::optional<Amount> CheckedAmount(std::int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<Amount>(v);
}

inline FileError OverflowError() {
    return FileError{FileErrorCode::Overflow, {}, kOverflowMessage};
}

}  // namespace tabulo
