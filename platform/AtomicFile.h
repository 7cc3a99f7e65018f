#pragma once
// Whole-file and positioned file access with the program's error codes.

#include <cstddef>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

// Writes `bytes` beside `path`, flushes, and renames it over `path`; on any failure
// the old file is left as it was, except when only the flush of the folder after the
// rename failed: the error then has `applied` set (the file holds the new bytes).
Status AtomicSave(const std::filesystem::path& path, std::span<const std::byte> bytes);
// Removes the temporary files AtomicSave leaves behind when it is killed before its
// rename ("." + name + ".tmp<pid>-<n>"), those older than the running program only.
// Returns how many went.
int RemoveStaleTempFiles(const std::filesystem::path& folder);
// The whole file; a missing file reads as empty.
Result<std::vector<std::byte>> ReadWholeFile(const std::filesystem::path& path);

}  // namespace tabulo
