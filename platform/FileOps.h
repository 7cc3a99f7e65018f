#pragma once
// The system calls that change files, behind one small interface, so that a test
// can make the Nth write, flush, rename, truncate or removal fail or stop there (a
// full disk, a pulled stick, a killed process). Everything that writes the data
// folder calls these; reads go to the system directly.

#include <sys/types.h>

#include <cstddef>

namespace tabulo {

class FileOps {
  public:
    virtual ~FileOps() = default;
    // Each returns what the system call of the same name returns and sets errno.
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual ssize_t Pwrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int Fsync(int fd);      // data and metadata (a new file, a folder)
    virtual int Fdatasync(int fd);  // data of a file that keeps its place
    virtual int Ftruncate(int fd, off_t length);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
    virtual int Close(int fd);
    virtual int Mkdir(const char* path, mode_t mode);
    virtual int Rmdir(const char* path);
    // Swaps two names at once (renameat2 with RENAME_EXCHANGE). Fails with EINVAL,
    // ENOSYS or EOPNOTSUPP where the file system cannot (a FAT stick).
    virtual int Exchange(const char* a, const char* b);
};

// The layer in use: the real system unless a ScopedFileOps put another in place.
FileOps& Files();

// Puts `ops` in place for its lifetime (tests only).
class ScopedFileOps {
  public:
    explicit ScopedFileOps(FileOps& ops);
    ~ScopedFileOps();
    ScopedFileOps(const ScopedFileOps&) = delete;
    ScopedFileOps& operator=(const ScopedFileOps&) = delete;

  private:
    FileOps* previous_;
};

// Helpers over Files(): the whole buffer, retried on EINTR and short writes.
bool WriteAllTo(int fd, const std::byte* data, std::size_t size);
bool PwriteAllAt(int fd, const std::byte* data, std::size_t size, off_t offset);
// Flushes a folder so that a file created, renamed or removed in it stays so.
int SyncFolder(const char* folder);

}  // namespace tabulo
