#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <regex>
#include <string>
#include <system_error>

#include "platform/Fd.h"
#include "platform/FileOps.h"

namespace tabulo {
namespace {

// When this program started: a temporary file of ours older than that was left by
// an earlier run that was killed before its rename.
const std::filesystem::file_time_type kProgramStart = std::filesystem::file_time_type::clock::now();

std::filesystem::path TempPathBeside(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + path.filename().string() + ".tmp" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter.fetch_add(1));
    return path.parent_path() / name;
}

}  // namespace

Status AtomicSave(const std::filesystem::path& path, std::span<const std::byte> bytes) {
    const std::string target = path.string();
    std::filesystem::path temp = TempPathBeside(path);
    Fd fd(Files().Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) return FileErrorFromErrno(errno, target, true);
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd.get(), old.st_mode & 07777);

    auto fail = [&](int err) {
        Files().Unlink(temp.c_str());
        return FileErrorFromErrno(err, target, true);
    };
    if (!WriteAllTo(fd.get(), bytes.data(), bytes.size())) return fail(errno);
    if (Files().Fsync(fd.get()) != 0) return fail(errno);
    if (fd.Close() != 0) return fail(errno);
    if (Files().Rename(temp.c_str(), path.c_str()) != 0) return fail(errno);

    // Make the rename itself durable. The new contents are in place by now, so a
    // failure here says so: the caller keeps them, and the user is told.
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    if (SyncFolder(folder.c_str()) != 0) {
        FileError e = FileErrorFromErrno(errno, folder.string(), true);
        e.applied = true;
        return e;
    }
    return Ok();
}

bool IsTempFileName(const std::string& name) {
    // The names TempPathBeside gives: "." + file name + ".tmp" + pid + "-" + counter.
    static const std::regex ours(R"(\..+\.tmp[0-9]+-[0-9]+)");
    return std::regex_match(name, ours);
}

int RemoveStaleTempFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !IsTempFileName(name)) continue;
        auto written = entry.last_write_time(ec);
        if (ec || written >= kProgramStart) continue;
        if (std::filesystem::remove(entry.path(), ec)) ++removed;
    }
    return removed;
}

std::optional<FileError> UnreadableKind(const struct stat& st, const std::string& path,
                                        std::size_t maxSize) {
    if (S_ISDIR(st.st_mode)) return FileErrorFromErrno(EISDIR, path);
    if (!S_ISREG(st.st_mode))
        return BadFormatError(path, "通常のファイルではありません（FIFO やデバイスは読みません）。");
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        return BadFormatError(path, "ファイルが大きすぎます（" + std::to_string(st.st_size) +
                                        " バイト、最大 " + std::to_string(maxSize) + " バイト）。");
    }
    return std::nullopt;
}

Result<std::vector<std::byte>> ReadWholeFile(const std::filesystem::path& path,
                                             std::size_t maxSize) {
    const std::string name = path.string();
    // Without O_NONBLOCK the open of a FIFO would wait for a writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::vector<std::byte>{};
        return FileErrorFromErrno(errno, name);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, name);
    if (auto refused = UnreadableKind(st, name, maxSize)) return *refused;
    // One byte more than allowed is asked for, to see a file that grew meanwhile.
    std::vector<std::byte> out(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == out.size()) {
            if (out.size() > maxSize) {
                struct stat grown = st;
                grown.st_size = static_cast<off_t>(out.size());
                return *UnreadableKind(grown, name, maxSize);
            }
            out.resize(std::min(out.size() + 4096, maxSize + 1));
        }
        ssize_t n = ::read(fd.get(), out.data() + done, out.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileErrorFromErrno(errno, name);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return out;
}

}  // namespace tabulo
