#pragma once
// A whole file's bytes as they were when read, for readers that look at a large file
// once (the check reading a year's history). The bytes go into memory the system
// gives ready in one call, not page by page as they are first touched: the difference
// is most of the time of reading a file of megabytes. They are a copy, not a mapping
// of the file, so that another program shortening the file meanwhile cannot stop the
// reader.

#include <cstddef>
#include <filesystem>
#include <span>

#include "platform/FileError.h"

namespace tabulo {

class FileSnapshot {
  public:
    // The whole file at `path`; a missing or empty file gives no bytes. The same
    // refusals as ReadWholeFile: only a regular file, none larger than `maxSize`.
    static Result<FileSnapshot> Open(const std::filesystem::path& path, std::size_t maxSize);

    FileSnapshot() = default;
    FileSnapshot(FileSnapshot&& other) noexcept;
    FileSnapshot& operator=(FileSnapshot&& other) noexcept;
    FileSnapshot(const FileSnapshot&) = delete;
    FileSnapshot& operator=(const FileSnapshot&) = delete;
    ~FileSnapshot();

    std::span<const std::byte> bytes() const { return {data_, size_}; }

  private:
    std::byte* data_ = nullptr;
    std::size_t size_ = 0;      // the file's bytes
    std::size_t capacity_ = 0;  // the memory held
};

}  // namespace tabulo
