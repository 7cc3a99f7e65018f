#include "store/Restore.h"

#include "store/YearFiles.h"

#include <algorithm>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

bool Digits(const std::string& s, std::size_t from, std::size_t count) {
    if (s.size() < from + count) return false;
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from),
                       s.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The data files of a folder, by name, sorted.
Result<std::vector<std::string>> DataFilesOf(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsDataFileName(name) && entry.is_regular_file(ec)) names.push_back(name);
    }
    if (ec) return FileErrorFromErrno(ec.value(), folder.string());
    std::sort(names.begin(), names.end());
    return names;
}

Status CopyFile(const fs::path& from, const fs::path& to) {
    auto bytes = ReadWholeFile(from);
    if (!bytes) {
        FileError e = bytes.error();
        if (e.path.empty()) e.path = from.string();
        return e;
    }
    return AtomicSave(to, *bytes);
}

// Keeps the data files of `dataFolder` as a finished copy under `root`.
Result<fs::path> KeepAsCopy(const fs::path& dataFolder, const std::vector<std::string>& names,
                            const fs::path& root, const std::string& stamp) {
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) return FileErrorFromErrno(ec.value(), root.string(), true);
    std::string name = stamp;
    for (int n = 2; fs::exists(root / name, ec); ++n) name = stamp + "-" + std::to_string(n);
    const fs::path partial = root / (".partial-" + name);
    fs::remove_all(partial, ec);
    fs::create_directories(partial, ec);
    if (ec) return FileErrorFromErrno(ec.value(), partial.string(), true);
    for (const std::string& file : names) {
        if (Status st = CopyFile(dataFolder / file, partial / file); !st) {
            fs::remove_all(partial, ec);
            return st.error();
        }
    }
    if (SyncFolder(partial.c_str()) != 0 ||
        Files().Rename(partial.c_str(), (root / name).c_str()) != 0) {
        const int err = errno;
        fs::remove_all(partial, ec);
        return FileErrorFromErrno(err, (root / name).string(), true);
    }
    if (SyncFolder(root.c_str()) != 0) return FileErrorFromErrno(errno, root.string(), true);
    return root / name;
}

}  // namespace

bool IsFinishedCopyName(const std::string& name) {
    if (name.size() < 15 || !Digits(name, 0, 8) || name[8] != '-' || !Digits(name, 9, 6))
        return false;
    if (name.size() == 15) return true;
    return name[15] == '-' && name.size() > 16 && Digits(name, 16, name.size() - 16);
}

std::vector<fs::path> FinishedCopies(const fs::path& programFolder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(programFolder / "backup", ec)) {
        if (entry.is_directory(ec) && IsFinishedCopyName(entry.path().filename().string()))
            out.push_back(entry.path());
    }
    // Newest first; "-2" after the plain name of the same second.
    std::sort(out.begin(), out.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.filename().string(), y = b.filename().string();
        if (x.substr(0, 15) != y.substr(0, 15)) return x > y;
        if (x.size() != y.size()) return x.size() > y.size();
        return x > y;
    });
    return out;
}

std::string CopyDisplayName(const std::string& name) {
    if (!IsFinishedCopyName(name)) return name;
    return name.substr(0, 4) + "/" + name.substr(4, 2) + "/" + name.substr(6, 2) + " " +
           name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2) +
           (name.size() > 15 ? " (" + name.substr(16) + ")" : "");
}

bool IsHistoryFileName(const std::string& name) {
    const auto named = YearFileOfName(name);
    return named && named->kind == YearFileKind::History;
}

bool IsDataFileName(const std::string& name) { return IsCopiedYearFile(name); }

Result<RestoreReport> RestoreCopy(const fs::path& copy, const fs::path& dataFolder,
                                  const fs::path& backupRoot, const std::string& stamp) {
    std::error_code ec;
    const std::string copyName = copy.filename().string();
    if (!IsFinishedCopyName(copyName) || !fs::is_directory(copy, ec)) {
        return FileError{FileErrorCode::BadFormat, copy.string(),
                         "自動バックアップのコピー（「20261208-091500」のような名前のフォルダー）"
                         "ではありません。",
                         false};
    }
    if (!fs::is_directory(dataFolder, ec)) {
        return FileError{FileErrorCode::PathNotFound, dataFolder.string(),
                         "データフォルダーが見つかりません。", false};
    }
    if (fs::equivalent(copy, dataFolder, ec)) {
        return FileError{FileErrorCode::BadFormat, copy.string(),
                         "コピーとデータフォルダーが同じフォルダーです。", false};
    }
    auto copied = DataFilesOf(copy);
    if (!copied) return copied.error();
    if (std::find(copied->begin(), copied->end(), YearFileName(YearFileKind::FiscalYear, 0)) == copied->end()) {
        return FileError{FileErrorCode::FileNotFound, (copy / YearFileName(YearFileKind::FiscalYear, 0)).string(),
                         "コピーに年度ファイルがありません。", false};
    }

    RestoreReport report;
    report.restoredFrom = copy;
    // 1. No journal of the folder may outlive the files it was written for.
    auto settled = SettleDataFolder(dataFolder, AfterRecovery::Remove);
    if (!settled) return settled.error();
    report.journals = std::move(*settled);

    // 2. The files about to be replaced, kept as one more copy.
    auto present = DataFilesOf(dataFolder);
    if (!present) return present.error();
    if (!present->empty()) {
        auto kept = KeepAsCopy(dataFolder, *present, backupRoot, stamp);
        if (!kept) return kept.error();
        report.keptAs = *kept;
    }

    // 3. The copy's files, each written whole; data files the copy lacks go (they
    // are in the copy just kept).
    for (const std::string& name : *copied) {
        if (Status st = CopyFile(copy / name, dataFolder / name); !st) return st.error();
        report.restored.push_back(name);
    }
    for (const std::string& name : *present) {
        if (std::find(copied->begin(), copied->end(), name) != copied->end()) continue;
        if (Files().Unlink((dataFolder / name).c_str()) != 0 && errno != ENOENT)
            return FileErrorFromErrno(errno, (dataFolder / name).string(), true);
        report.removed.push_back(name);
    }
    if (SyncFolder(dataFolder.c_str()) != 0)
        return FileErrorFromErrno(errno, dataFolder.string(), true);
    return report;
}

std::string DescribeRestore(const RestoreReport& r, const std::string& lineBreak) {
    std::string text = CopyDisplayName(r.restoredFrom.filename().string()) +
                       " のコピーからデータを戻しました。" + lineBreak;
    std::string names;
    for (const std::string& n : r.restored) names += (names.empty() ? "" : "、") + n;
    text += "戻したファイル: " + names + lineBreak;
    if (!r.removed.empty()) {
        std::string gone;
        for (const std::string& n : r.removed) gone += (gone.empty() ? "" : "、") + n;
        text += "コピーになかったため削除したファイル: " + gone + lineBreak;
    }
    for (const Settled& j : r.journals) {
        const std::string name = j.journal.filename().string();
        switch (j.outcome) {
            case Recovery::RolledBack:
                text += "中断されていた操作 (" + name + ") を取り消してから戻しました。" + lineBreak;
                break;
            case Recovery::SetAside:
                text += "データに合わない中断の記録 (" + name + ") は " +
                        j.setAsideAs.filename().string() + " として残しました。" + lineBreak;
                break;
            case Recovery::TornRemoved:
                text += "壊れた中断の記録 (" + name + ") を削除しました。" + lineBreak;
                break;
            default:
                break;
        }
    }
    if (r.keptAs.empty())
        text += "データフォルダーには置き換えるファイルがありませんでした。";
    else
        text += "置き換える前のファイルは " + CopyDisplayName(r.keptAs.filename().string()) +
                " のコピー (" + r.keptAs.string() + ") として残してあります。";
    return text;
}

}  // namespace tabulo
