#include "platform/FileSnapshot.h"

#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // mremap
#endif
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/Fd.h"
#include "platform/FileOps.h"

namespace tabulo {

Result<FileSnapshot> FileSnapshot::Open(const std::filesystem::path& path, std::size_t maxSize) {
    const std::string name = path.string();
    // Without O_NONBLOCK the open of a FIFO would wait for a writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return FileSnapshot{};
        return FileErrorFromErrno(errno, name);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, name);
    if (auto refused = UnreadableKind(st, name, maxSize)) return *refused;
    FileSnapshot out;
    if (st.st_size == 0) return out;
    // One byte more than the file holds, to see a file that grew meanwhile.
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    out.capacity_ = (static_cast<std::size_t>(st.st_size) + 1 + page - 1) / page * page;
    void* at = ::mmap(nullptr, out.capacity_, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (at == MAP_FAILED) {
        out.capacity_ = 0;
        return FileErrorFromErrno(errno, name);
    }
    out.data_ = static_cast<std::byte*>(at);
    std::size_t done = 0;
    for (;;) {
        if (done == out.capacity_) {
            // The file grew while it was read: room for more, up to one byte past the
            // most it may hold.
            if (done > maxSize) break;
            const std::size_t more = out.capacity_ + 16 * page;
            void* moved = ::mremap(out.data_, out.capacity_, more, MREMAP_MAYMOVE);
            if (moved == MAP_FAILED) return FileErrorFromErrno(errno, name);
            out.data_ = static_cast<std::byte*>(moved);
            out.capacity_ = more;
        }
        // In pieces the processor's cache holds: one read of megabytes is several
        // times slower here than the same bytes a piece at a time.
        constexpr std::size_t kPiece = 64 * 1024;
        const ssize_t n = ::read(fd.get(), out.data_ + done, std::min(kPiece, out.capacity_ - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileErrorFromErrno(errno, name);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxSize) {
        struct stat grown = st;
        grown.st_size = static_cast<off_t>(done);
        return *UnreadableKind(grown, name, maxSize);
    }
    out.size_ = done;
    return out;
}

FileSnapshot::FileSnapshot(FileSnapshot&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

FileSnapshot& FileSnapshot::operator=(FileSnapshot&& other) noexcept {
    if (this != &other) {
        FileSnapshot gone(std::move(*this));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

FileSnapshot::~FileSnapshot() {
    if (data_ != nullptr) ::munmap(data_, capacity_);
}

}  // namespace tabulo
