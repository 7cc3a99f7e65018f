#pragma once
// A model of a power cut. PowerCutFiles passes every write, truncate, rename and
// removal of an operation to the system and records it with every flush. The disk then holds, for
// any point of the run, the files as they were flushed plus any subset of the writes
// not yet flushed: a file's writes and truncates reach the platters only through a
// flush of that file, a folder's names only through a flush of that folder (and in
// the order they were made), and a write not yet flushed may land whole, not at all,
// or (by sector) any of its 512-byte sectors. CrashState builds the files of one such
// state from the files before the run.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/FileOps.h"

namespace tabulo::testing {

class PowerCutFiles : public FileOps {
  public:
    enum class Kind { Write, Truncate, Link, Rename, Unlink, SyncFile, SyncFolder };
    struct Op {
        Kind kind;
        int file = -1;  // the file (inode) of a write, truncate, link or file flush
        std::string name, to;  // names of a link, rename or removal; the folder flushed
        std::size_t offset = 0;  // a write's offset; a truncate's length
        std::string data;
    };

    // Watches the files of `folder` (by name) as they are now.
    explicit PowerCutFiles(const std::filesystem::path& folder) : folder_(folder) {
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            if (!e.is_regular_file()) continue;
            struct stat st {};
            ::stat(e.path().c_str(), &st);
            const int id = NewFile(st.st_ino);
            names[e.path().filename().string()] = id;
            std::ifstream in(e.path(), std::ios::binary);
            contents[id] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }

    // The files before the run: name -> file, file -> contents.
    std::map<std::string, int> names;
    std::map<int, std::string> contents;
    std::vector<Op> ops;

    int Open(const char* path, int flags, mode_t mode) override {
        const bool existed = ::access(path, F_OK) == 0;
        const int fd = FileOps::Open(path, flags, mode);
        if (fd < 0 || !Watched(path)) return fd;
        // A new file may get the number of one removed before: it is a new file.
        const int id = existed ? FileOf(fd) : NewFile(Ino(fd));
        if (!existed) ops.push_back({Kind::Link, id, Name(path), {}, 0, {}});
        if ((flags & O_TRUNC) != 0) ops.push_back({Kind::Truncate, id, {}, {}, 0, {}});
        return fd;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        const ssize_t n = FileOps::Write(fd, data, size);
        if (n > 0) Record(fd, static_cast<std::size_t>(at), data, static_cast<std::size_t>(n));
        return n;
    }
    ssize_t Pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
        const ssize_t n = FileOps::Pwrite(fd, data, size, offset);
        if (n > 0) Record(fd, static_cast<std::size_t>(offset), data, static_cast<std::size_t>(n));
        return n;
    }
    // Flushes are recorded, not passed on: the tests look at the files, not the
    // platters, and a real flush would only make them wait for the disk.
    int Fsync(int fd) override { return Sync(fd, 0); }
    int Fdatasync(int fd) override { return Sync(fd, 0); }
    int Ftruncate(int fd, off_t length) override {
        const int r = FileOps::Ftruncate(fd, length);
        if (r == 0 && Tracked(fd))
            ops.push_back({Kind::Truncate, FileOf(fd), {}, {}, static_cast<std::size_t>(length), {}});
        return r;
    }
    int Rename(const char* from, const char* to) override {
        const int r = FileOps::Rename(from, to);
        if (r == 0 && Watched(from) && Watched(to))
            ops.push_back({Kind::Rename, -1, Name(from), Name(to), 0, {}});
        return r;
    }
    int Unlink(const char* path) override {
        const int r = FileOps::Unlink(path);
        if (r == 0 && Watched(path)) ops.push_back({Kind::Unlink, -1, Name(path), {}, 0, {}});
        return r;
    }

  private:
    bool Watched(const char* path) const {
        return std::filesystem::path(path).parent_path() == folder_;
    }
    static std::string Name(const char* path) {
        return std::filesystem::path(path).filename().string();
    }
    bool Tracked(int fd) const {
        struct stat st {};
        return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && inodes_.contains(st.st_ino);
    }
    int NewFile(ino_t ino) {
        const int id = next_++;
        inodes_[ino] = id;
        return id;
    }
    static ino_t Ino(int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        return st.st_ino;
    }
    int FileOf(int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        auto it = inodes_.find(st.st_ino);
        return it != inodes_.end() ? it->second : NewFile(st.st_ino);
    }
    void Record(int fd, std::size_t at, const void* data, std::size_t n) {
        if (!Tracked(fd)) return;
        ops.push_back({Kind::Write, FileOf(fd), {}, {}, at,
                       std::string(static_cast<const char*>(data), n)});
    }
    int Sync(int fd, int r) {
        if (r != 0) return r;
        struct stat st {};
        ::fstat(fd, &st);
        if (S_ISDIR(st.st_mode)) {
            char link[64];
            std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
            if (std::filesystem::read_symlink(link) == folder_)
                ops.push_back({Kind::SyncFolder, -1, {}, {}, 0, {}});
        } else if (Tracked(fd)) {
            ops.push_back({Kind::SyncFile, FileOf(fd), {}, {}, 0, {}});
        }
        return r;
    }

    std::filesystem::path folder_;
    std::map<ino_t, int> inodes_;
    int next_ = 100;
};

// Passes every call on but the flushes, which it skips: for the reads that check the
// states, which look at the files only.
class UnflushedFiles : public FileOps {
  public:
    int Fsync(int) override { return 0; }
    int Fdatasync(int) override { return 0; }
};

// The disk after a cut once `done` of the recorded ops were made.
class CrashPoint {
  public:
    CrashPoint(const PowerCutFiles& run, std::size_t done, bool bySector) : run_(run) {
        // The last flush of each file and of the folder before the cut.
        std::map<int, std::size_t> fileFlushed;
        std::size_t folderFlushed = 0;
        for (std::size_t i = 0; i < done; ++i) {
            const auto& op = run.ops[i];
            if (op.kind == PowerCutFiles::Kind::SyncFile) fileFlushed[op.file] = i + 1;
            if (op.kind == PowerCutFiles::Kind::SyncFolder) folderFlushed = i + 1;
        }
        for (std::size_t i = 0; i < done; ++i) {
            const auto& op = run.ops[i];
            switch (op.kind) {
                case PowerCutFiles::Kind::Write:
                case PowerCutFiles::Kind::Truncate: {
                    auto f = fileFlushed.find(op.file);
                    if (f != fileFlushed.end() && i < f->second) {
                        durable_.push_back({i, 0, op.kind == PowerCutFiles::Kind::Write
                                                      ? op.data.size()
                                                      : 0});
                        break;
                    }
                    if (op.kind == PowerCutFiles::Kind::Truncate || !bySector) {
                        pending_.push_back({i, 0, op.data.size()});
                        break;
                    }
                    // One unit per sector the write touches.
                    std::size_t from = 0;
                    while (from < op.data.size()) {
                        const std::size_t at = op.offset + from;
                        const std::size_t end =
                            std::min(op.data.size(), from + (512 - at % 512));
                        pending_.push_back({i, from, end});
                        from = end;
                    }
                    break;
                }
                case PowerCutFiles::Kind::Link:
                case PowerCutFiles::Kind::Rename:
                case PowerCutFiles::Kind::Unlink:
                    (i < folderFlushed ? durableNames_ : pendingNames_).push_back(i);
                    break;
                default: break;
            }
        }
    }

    std::size_t Units() const { return pending_.size(); }
    std::size_t NameOps() const { return pendingNames_.size(); }

    // The files when the writes of `chosen` (one flag per unit) and the first `names`
    // pending name changes reached the disk.
    std::map<std::string, std::string> Files(const std::vector<bool>& chosen,
                                             std::size_t names) const {
        std::vector<Piece> applied = durable_;
        for (std::size_t u = 0; u < pending_.size(); ++u)
            if (chosen[u]) applied.push_back(pending_[u]);
        std::sort(applied.begin(), applied.end(),
                  [](const Piece& a, const Piece& b) { return a.op < b.op || (a.op == b.op && a.from < b.from); });
        std::map<int, std::string> contents = run_.contents;
        for (const Piece& p : applied) {
            const auto& op = run_.ops[p.op];
            std::string& c = contents[op.file];
            if (op.kind == PowerCutFiles::Kind::Truncate) {
                c.resize(op.offset, '\0');
                continue;
            }
            const std::size_t at = op.offset + p.from;
            if (c.size() < at + (p.to - p.from)) c.resize(at + (p.to - p.from), '\0');
            c.replace(at, p.to - p.from, op.data, p.from, p.to - p.from);
        }
        std::vector<std::size_t> nameOps = durableNames_;
        nameOps.insert(nameOps.end(), pendingNames_.begin(),
                       pendingNames_.begin() + static_cast<std::ptrdiff_t>(names));
        std::sort(nameOps.begin(), nameOps.end());
        std::map<std::string, int> dir = run_.names;
        for (std::size_t i : nameOps) {
            const auto& op = run_.ops[i];
            if (op.kind == PowerCutFiles::Kind::Link) dir[op.name] = op.file;
            if (op.kind == PowerCutFiles::Kind::Unlink) dir.erase(op.name);
            if (op.kind == PowerCutFiles::Kind::Rename && dir.contains(op.name)) {
                dir[op.to] = dir[op.name];
                dir.erase(op.name);
            }
        }
        std::map<std::string, std::string> out;
        for (const auto& [name, file] : dir) out[name] = contents[file];
        return out;
    }

    // The subsets of the pending units to try: all of them up to 2^`whole` (2^10 by
    // default); beyond that
    // none, all, each unit alone, each unit left out, every prefix and every suffix
    // in the order written, and 64 drawn at random (a fixed seed).
    std::vector<std::vector<bool>> Subsets(std::size_t whole = 10) const {
        const std::size_t n = pending_.size();
        std::vector<std::vector<bool>> out;
        if (n <= whole) {
            for (std::uint32_t mask = 0; mask < (1u << n); ++mask) {
                std::vector<bool> s(n);
                for (std::size_t i = 0; i < n; ++i) s[i] = (mask >> i) & 1u;
                out.push_back(s);
            }
            return out;
        }
        for (std::size_t i = 0; i <= n; ++i) {
            out.push_back(std::vector<bool>(n, false));
            for (std::size_t k = 0; k < i; ++k) out.back()[k] = true;  // a prefix
            out.push_back(std::vector<bool>(n, true));
            for (std::size_t k = 0; k < i; ++k) out.back()[k] = false;  // a suffix
        }
        for (std::size_t i = 0; i < n; ++i) {
            out.push_back(std::vector<bool>(n, false));
            out.back()[i] = true;
            out.push_back(std::vector<bool>(n, true));
            out.back()[i] = false;
        }
        std::mt19937 random(static_cast<unsigned>(n));
        for (std::size_t k = 0; k < std::min<std::size_t>(64, 8 * whole); ++k) {
            std::vector<bool> s(n);
            for (std::size_t i = 0; i < n; ++i) s[i] = (random() & 1u) != 0;
            out.push_back(s);
        }
        return out;
    }

  private:
    struct Piece {
        std::size_t op;
        std::size_t from, to;  // the part of a write's data
    };
    const PowerCutFiles& run_;
    std::vector<Piece> durable_, pending_;
    std::vector<std::size_t> durableNames_, pendingNames_;
};

}  // namespace tabulo::testing
