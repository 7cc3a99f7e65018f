#include "platform/WholeFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include "platform/FileOps.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNewSuffix = ".new";
constexpr const char* kOldSuffix = ".old";
constexpr const char* kKeepInfix = ".keep-";

fs::path Beside(const fs::path& folder, const std::string& suffix) {
    return folder.parent_path() / ("." + folder.filename().string() + suffix);
}

bool IsFolder(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

bool IsEmptyFolder(const fs::path& p) {
    std::error_code ec;
    return IsFolder(p) && fs::is_empty(p, ec) && !ec;
}

fs::path ParentOf(const fs::path& folder) {
    fs::path parent = folder.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

FileError Failed(int err, const fs::path& path) { return FileErrorFromErrno(err, path.string(), true); }

// The old folders a replacement kept aside to be kept: ".<name>.keep-<tag>".
std::vector<std::pair<fs::path, std::string>> KeptAside(const fs::path& folder) {
    std::vector<std::pair<fs::path, std::string>> out;
    const std::string prefix = "." + folder.filename().string() + kKeepInfix;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(ParentOf(folder), ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() > prefix.size() && name.starts_with(prefix) && IsFolder(e.path()))
            out.emplace_back(e.path(), name.substr(prefix.size()));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// `shownAs`: the name the file has once its folder is in place, for the message.
Status WriteNewFile(const fs::path& path, std::span<const std::byte> bytes, const fs::path& shownAs) {
    FileOps& ops = Files();
    const int fd = ops.Open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Failed(errno, shownAs);
    bool ok = WriteAllTo(fd, bytes.data(), bytes.size()) && ops.Fsync(fd) == 0;
    int err = errno;
    if (ops.Close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) return Failed(err, shownAs);
    return Ok();
}

bool CannotExchange(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP;
}

}  // namespace

fs::path KeptFolderPath(const fs::path& folder, const std::string& tag) {
    const fs::path base = folder.parent_path() / (folder.filename().string() + "-" + tag);
    fs::path p = base;
    for (int n = 2; Exists(p); ++n) p = base.string() + "-" + std::to_string(n);
    return p;
}

bool IsReplacementLeftover(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') return false;
    return name.ends_with(kNewSuffix) || name.ends_with(kOldSuffix) ||
           name.find(kKeepInfix) != std::string::npos;
}

Status RemoveTree(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return Ok();
        return FileErrorFromErrno(errno, path.string());
    }
    if (!S_ISDIR(st.st_mode)) {
        if (Files().Unlink(path.c_str()) != 0 && errno != ENOENT) return Failed(errno, path);
        return Ok();
    }
    std::vector<fs::path> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path, ec)) entries.push_back(e.path());
    if (ec) return FileErrorFromErrno(ec.value(), path.string());
    for (const fs::path& e : entries)
        if (Status st2 = RemoveTree(e); !st2) return st2;
    if (Files().Rmdir(path.c_str()) != 0 && errno != ENOENT) return Failed(errno, path);
    return Ok();
}

Result<bool> SettleFolder(const fs::path& folder) {
    const fs::path parent = ParentOf(folder);
    const fs::path fresh = Beside(folder, kNewSuffix);
    const fs::path old = Beside(folder, kOldSuffix);
    auto kept = KeptAside(folder);
    bool did = false;

    if (IsFolder(fresh) && (IsFolder(old) || !kept.empty())) {
        // The old folder went aside and the new one never reached its place: the old
        // one goes back. An empty folder in its place is one a look at the drive made.
        const fs::path aside = IsFolder(old) ? old : kept.front().first;
        if (IsEmptyFolder(folder) && Files().Rmdir(folder.c_str()) != 0) return Failed(errno, folder);
        if (!Exists(folder)) {
            if (Files().Rename(aside.c_str(), folder.c_str()) != 0) return Failed(errno, folder);
            did = true;
            kept = KeptAside(folder);
        }
        // Something else stands in its place: the old folder is kept below, never removed.
        if (IsFolder(old) && Files().Rename(old.c_str(), Beside(folder, kKeepInfix + std::string("0")).c_str()) != 0)
            return Failed(errno, old);
        kept = KeptAside(folder);
    }
    // Whatever is left of the new folder is either a copy that never reached its
    // place or, after a swap, the old files: the folder itself is whole either way.
    if (IsFolder(fresh)) {
        if (Status st = RemoveTree(fresh); !st) return st.error();
        did = true;
    }
    if (IsFolder(old)) {
        if (Status st = RemoveTree(old); !st) return st.error();
        did = true;
    }
    for (const auto& [aside, tag] : kept) {
        if (Files().Rename(aside.c_str(), KeptFolderPath(folder, tag).c_str()) != 0)
            return Failed(errno, aside);
        did = true;
    }
    if (did) SyncFolder(parent.c_str());
    return did;
}

Status SettleFolders(const fs::path& parent) {
    std::set<std::string> targets;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(parent, ec)) {
        const std::string name = e.path().filename().string();
        if (!IsReplacementLeftover(name) || !IsFolder(e.path())) continue;
        std::string target;
        if (const auto k = name.rfind(kKeepInfix); k != std::string::npos && k > 1)
            target = name.substr(1, k - 1);
        else if (name.size() > 5)
            target = name.substr(1, name.size() - 5);  // ".<name>.new" / ".<name>.old"
        if (!target.empty()) targets.insert(target);
    }
    for (const std::string& t : targets)
        if (auto settled = SettleFolder(parent / t); !settled) return settled.error();
    return Ok();
}

Status ReplaceFolder(const fs::path& folder, std::span<const FolderFile> files,
                     const FolderReplacement& how) {
    FileOps& ops = Files();
    const fs::path parent = ParentOf(folder);
    if (auto settled = SettleFolder(folder); !settled) return settled.error();

    // 1. The new folder, whole and flushed, beside the old one.
    const fs::path fresh = Beside(folder, kNewSuffix);
    if (ops.Mkdir(fresh.c_str(), 0777) != 0) return Failed(errno, fresh);
    auto discard = [&](FileError e) -> Status {
        RemoveTree(fresh);
        return e;
    };
    for (const FolderFile& f : files)
        if (Status st = WriteNewFile(fresh / f.name, f.bytes, folder / f.name); !st)
            return discard(st.error());
    if (SyncFolder(fresh.c_str()) != 0) return discard(Failed(errno, fresh));

    // 2. In place. `aside`: where the old folder went, when it went anywhere.
    fs::path aside;
    bool swapped = false;
    if (IsFolder(folder)) {
        if (how.keepTag.empty()) {
            if (ops.Exchange(fresh.c_str(), folder.c_str()) == 0) {
                swapped = true;
            } else if (!CannotExchange(errno)) {
                return discard(Failed(errno, folder));
            } else {
                aside = Beside(folder, kOldSuffix);
            }
        } else {
            aside = Beside(folder, kKeepInfix + how.keepTag);
        }
        if (!aside.empty()) {
            if (ops.Rename(folder.c_str(), aside.c_str()) != 0) return discard(Failed(errno, folder));
            auto putBack = [&](FileError e) -> Status {
                // If this fails too, the next look at the folder puts it back.
                if (ops.Rename(aside.c_str(), folder.c_str()) == 0) return discard(e);
                return e;
            };
            if (SyncFolder(parent.c_str()) != 0) return putBack(Failed(errno, parent));
            if (ops.Rename(fresh.c_str(), folder.c_str()) != 0) return putBack(Failed(errno, folder));
        }
    } else if (ops.Rename(fresh.c_str(), folder.c_str()) != 0) {
        return discard(Failed(errno, folder));
    }

    // 3. Durable. The new folder is in place: a failure from here on says so.
    Status result = Ok();
    if (SyncFolder(parent.c_str()) != 0) {
        FileError e = Failed(errno, parent);
        e.applied = true;
        result = e;
    }
    // 4. What is left of the old folder; a failure here is finished by the next look.
    if (swapped) {
        RemoveTree(fresh);
    } else if (!aside.empty() && how.keepTag.empty()) {
        RemoveTree(aside);
    } else if (!aside.empty()) {
        ops.Rename(aside.c_str(), KeptFolderPath(folder, how.keepTag).c_str());
    }
    return result;
}

}  // namespace tabulo
