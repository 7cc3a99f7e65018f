#pragma once
// Checked 32-bit amount arithmetic: an overflow is reported, never wrapped.

#include <cstdint>
#include <filesystem>
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

// A sum over the ledger that no longer fits, naming the file and the line whose
// amount took it out of range.
inline FileError LedgerOverflowError(const std::filesystem::path& ledger, int line) {
    FileError e = OverflowError();
    e.path = ledger.string();
    e.line = line;
    return e;
}

}  // namespace tabulo
