#pragma once
// A file layer for fault injection: counts every write, flush, truncate, rename,
// removal and folder creation an operation makes, and makes the Nth one fail (a full disk, an I/O error)
// or stop there as a killed process would (that call and every later one do nothing),
// optionally after writing only the first `cut` bytes of a write (a torn write).
// Flushes are counted but not passed on: the tests look at the files, not the platters.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "platform/FileOps.h"

namespace tabulo::testing {

enum class Fault { None, Fail, Stop };

class FaultyFiles : public FileOps {
  public:
    FaultyFiles() = default;
    FaultyFiles(int at, Fault how, std::size_t cut = 0) : at_(at), how_(how), cut_(cut) {}

    int calls = 0;         // counted calls made (the one that faulted included)
    bool reached = false;  // the Nth call came
    bool stopped = false;
    // The size of every counted write by call number (0 for other calls).
    std::vector<std::size_t> writeSizes;
    // The numbers of the calls that were flushes (fsync, fdatasync).
    std::vector<int> flushCalls;
    // False: two names cannot be swapped in one call, as on a FAT stick (the call
    // fails at once and is not counted).
    bool canExchange = true;
    // A cut write keeps whole sectors of the file only (positioned writes).
    bool sectorCuts = false;

    int Open(const char* path, int flags, mode_t mode) override {
        if (stopped) return Refuse();
        return FileOps::Open(path, flags, mode);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (Gate(size, [&](std::size_t n) { return ::write(fd, data, n); })) return -1;
        return FileOps::Write(fd, data, size);
    }
    ssize_t Pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
        if (Gate(size, [&](std::size_t n) {
                if (sectorCuts) {
                    // Only whole 512-byte sectors of the file: what a disk or the kernel
                    // can leave of a write.
                    const auto end = static_cast<off_t>((static_cast<std::size_t>(offset) + n) / 512 * 512);
                    if (end <= offset) return ssize_t{0};
                    n = static_cast<std::size_t>(end - offset);
                }
                return ::pwrite(fd, data, n, offset);
            }))
            return -1;
        return FileOps::Pwrite(fd, data, size, offset);
    }
    int Fsync(int) override { return Flush(); }
    int Fdatasync(int) override { return Flush(); }
    int Ftruncate(int fd, off_t length) override {
        return Gate(0) ? -1 : FileOps::Ftruncate(fd, length);
    }
    int Rename(const char* from, const char* to) override {
        return Gate(0) ? -1 : FileOps::Rename(from, to);
    }
    int Unlink(const char* path) override { return Gate(0) ? -1 : FileOps::Unlink(path); }
    int Mkdir(const char* path, mode_t mode) override {
        return Gate(0) ? -1 : FileOps::Mkdir(path, mode);
    }
    int Rmdir(const char* path) override { return Gate(0) ? -1 : FileOps::Rmdir(path); }
    int Exchange(const char* a, const char* b) override {
        if (!canExchange && !stopped) {
            errno = EINVAL;
            return -1;
        }
        return Gate(0) ? -1 : FileOps::Exchange(a, b);
    }

  private:
    int Flush() {
        if (Gate(0)) return -1;
        flushCalls.push_back(calls);
        return 0;
    }
    int Refuse() {
        errno = EIO;
        return -1;
    }
    // True when the call must not happen (it failed, or the process is gone).
    template <class PartialWrite = std::nullptr_t>
    bool Gate(std::size_t writeSize, PartialWrite partial = nullptr) {
        if (stopped) {
            errno = EIO;
            return true;
        }
        ++calls;
        writeSizes.push_back(writeSize);
        if (calls != at_ || how_ == Fault::None) return false;
        reached = true;
        if (how_ == Fault::Stop) {
            if constexpr (!std::is_same_v<PartialWrite, std::nullptr_t>) {
                if (cut_ > 0 && cut_ < writeSize) partial(cut_);
            }
            stopped = true;
        }
        errno = writeSize > 0 ? ENOSPC : EIO;
        return true;
    }

    int at_ = 0;
    Fault how_ = Fault::None;
    std::size_t cut_ = 0;
};

}  // namespace tabulo::testing
