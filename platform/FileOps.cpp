#include "platform/FileOps.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tabulo {
namespace {

FileOps& SystemOps() {
    static FileOps ops;
    return ops;
}

FileOps* current = nullptr;

}  // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileOps::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
ssize_t FileOps::Pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}
int FileOps::Fsync(int fd) { return ::fsync(fd); }
int FileOps::Fdatasync(int fd) { return ::fdatasync(fd); }
int FileOps::Ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileOps::Rename(const char* from, const char* to) { return ::rename(from, to); }
int FileOps::Unlink(const char* path) { return ::unlink(path); }
int FileOps::Close(int fd) { return ::close(fd); }
int FileOps::Mkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }
int FileOps::Rmdir(const char* path) { return ::rmdir(path); }
int FileOps::Exchange(const char* a, const char* b) {
#if defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
#elif defined(SYS_renameat2)
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, a, AT_FDCWD, b, 1u << 1));
#else
    (void)a;
    (void)b;
    errno = ENOSYS;
    return -1;
#endif
}

FileOps& Files() { return current ? *current : SystemOps(); }

ScopedFileOps::ScopedFileOps(FileOps& ops) : previous_(current) { current = &ops; }
ScopedFileOps::~ScopedFileOps() { current = previous_; }

bool WriteAllTo(int fd, const std::byte* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = Files().Write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool PwriteAllAt(int fd, const std::byte* data, std::size_t size, off_t offset) {
    while (size > 0) {
        ssize_t n = Files().Pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

int SyncFolder(const char* folder) {
    int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int r = Files().Fsync(fd);
    int err = errno;
    ::close(fd);
    errno = err;
    return r;
}

}  // namespace tabulo
