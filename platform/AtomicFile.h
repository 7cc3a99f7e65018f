#pragma once
// Whole-file and positioned file access with the program's error codes.

#include <cstddef>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

// Writes `bytes` beside `path`, flushes, and renames it over `path`; on any failure
// the old file is left as it was.
Status AtomicSave(const std::filesystem::path& path, std::span<const std::byte> bytes);
// The whole file; a missing file reads as empty.
Result<std::vector<std::byte>> ReadWholeFile(const std::filesystem::path& path);

}  // namespace tabulo
