#pragma once
// Whole-file and positioned file access with the program's error codes.

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
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
// Whether a file name is one AtomicSave gives its temporary file.
bool IsTempFileName(const std::string& name);
// The most any whole-file read takes in: the program's text files are a few
// kilobytes, its largest file (a full ledger) not 1.4 MB.
inline constexpr std::size_t kMaxWholeFileSize = 16u << 20;
// The whole file; a missing file reads as empty. Only a regular file is read (a
// FIFO, a device or a link to one is refused without waiting on it), and one larger
// than `maxSize` is refused before anything is read; both errors name the file.
Result<std::vector<std::byte>> ReadWholeFile(const std::filesystem::path& path,
                                             std::size_t maxSize = kMaxWholeFileSize);
// The error for a file that is not a regular file, or one larger than `maxSize`
// (nothing when `st` is a regular file within the size).
std::optional<FileError> UnreadableKind(const struct stat& st, const std::string& path,
                                        std::size_t maxSize);

}  // namespace tabulo
