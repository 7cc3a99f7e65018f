#include "store/Restore.h"

#include <algorithm>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/WholeFolder.h"
#include "store/FileLimits.h"
#include "store/SharedState.h"

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

FileError Named(FileError e, const fs::path& path) {
    if (e.path.empty()) e.path = path.string();
    return e;
}

Status CopyFile(const fs::path& from, const fs::path& to) {
    auto bytes = ReadWholeFile(from, static_cast<std::size_t>(FileSizeLimit(from.filename().string())));
    if (!bytes) return Named(bytes.error(), from);
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

// Lets go of a copy kept for a restore that did not happen: renamed first, so that a
// copy half removed never looks like one (the next look removes what is left).
void LetGo(const fs::path& kept) {
    const fs::path going = kept.parent_path() / ("." + kept.filename().string() + ".old");
    if (Files().Rename(kept.c_str(), going.c_str()) == 0) RemoveTree(going);
}

Result<RestoreReport> RestoreWhole(const fs::path& copy, const fs::path& givenFolder,
                                   const fs::path& backupRoot, const std::string& stamp) {
    std::error_code ec;
    const std::string copyName = copy.filename().string();
    if (!IsFinishedCopyName(copyName) || !fs::is_directory(copy, ec)) {
        return FileError{FileErrorCode::BadFormat, copy.string(),
                         "自動バックアップのコピー（「20261208-091500」のような名前のフォルダー）"
                         "ではありません。",
                         false};
    }
    if (!fs::is_directory(givenFolder, ec)) {
        return FileError{FileErrorCode::PathNotFound, givenFolder.string(),
                         "データフォルダーが見つかりません。", false};
    }
    // The folder itself is replaced, also when the path given is a link to it.
    fs::path dataFolder = fs::canonical(givenFolder, ec);
    if (ec) dataFolder = givenFolder;
    if (fs::equivalent(copy, dataFolder, ec)) {
        return FileError{FileErrorCode::BadFormat, copy.string(),
                         "コピーとデータフォルダーが同じフォルダーです。", false};
    }
    auto copied = DataFilesOf(copy);
    if (!copied) return copied.error();
    if (std::find(copied->begin(), copied->end(), "DATE.DAT") == copied->end()) {
        return FileError{FileErrorCode::FileNotFound, (copy / "DATE.DAT").string(),
                         "コピーに年度ファイルがありません。", false};
    }

    RestoreReport report;
    report.restoredFrom = copy;
    // 1. No journal of the folder may outlive the files it was written for.
    auto settled = SettleDataFolder(dataFolder, AfterRecovery::Remove);
    if (!settled) return settled.error();
    report.journals = std::move(*settled);

    // 2. The folder as it is to be: the copy's data files, then every other file the
    // folder holds now, as it is (a journal set aside, a file of the user's). A folder
    // or a link in it, which no copy carries, keeps the old folder whole beside it.
    std::vector<FolderFile> files;
    for (const std::string& name : *copied) {
        auto bytes = ReadWholeFile(copy / name, static_cast<std::size_t>(FileSizeLimit(name)));
        if (!bytes) return Named(bytes.error(), copy / name);
        files.push_back({name, std::move(*bytes)});
    }
    FolderReplacement how;
    for (const auto& entry : fs::directory_iterator(dataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsDataFileName(name) && entry.is_regular_file(ec)) continue;
        if (IsTempFileName(name) && entry.is_regular_file(ec)) continue;  // a save cut short
        if (!entry.is_regular_file(ec) || entry.is_symlink(ec)) {
            how.keepTag = stamp;
            continue;
        }
        auto bytes = ReadWholeFile(entry.path());
        if (!bytes) return Named(bytes.error(), entry.path());
        files.push_back({name, std::move(*bytes)});
    }
    if (ec) return FileErrorFromErrno(ec.value(), dataFolder.string());

    // 3. The files about to be replaced, kept as one more copy.
    auto present = DataFilesOf(dataFolder);
    if (!present) return present.error();
    if (!present->empty()) {
        auto kept = KeepAsCopy(dataFolder, *present, backupRoot, stamp);
        if (!kept) return kept.error();
        report.keptAs = *kept;
    }

    // 4. The folder replaced whole.
    if (!how.keepTag.empty()) report.keptFolder = KeptFolderPath(dataFolder, how.keepTag);
    Status replaced = ReplaceFolder(dataFolder, files, how);
    if (!replaced && !replaced.error().applied) {
        if (!report.keptAs.empty()) LetGo(report.keptAs);
        return replaced.error();
    }
    report.unconfirmed = !replaced;
    report.restored = *copied;
    for (const std::string& name : *present)
        if (std::find(copied->begin(), copied->end(), name) == copied->end())
            report.removed.push_back(name);
    return report;
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

// NAME<nn>.DAT (or .<ext>) for a stem of letters.
bool YearFileName(const std::string& name, const std::string& stem, const std::string& ext = "DAT") {
    const std::size_t n = stem.size();
    return name.size() == n + 2 + 1 + ext.size() && name.compare(0, n, stem) == 0 && Digits(name, n, 2) &&
           name[n + 2] == '.' && name.compare(n + 3, std::string::npos, ext) == 0;
}

bool IsHistoryFileName(const std::string& name) { return YearFileName(name, "RIREKI"); }

bool IsDataFileName(const std::string& name) {
    if (name == "DATE.DAT" || name == "MASTER.DAT" || name == "SHINKOKU.DAT" || name == "KAMOKU.DAT")
        return true;
    return YearFileName(name, "KEIRI") || YearFileName(name, "KEIRI", "DA2") || YearFileName(name, "YOKIN") ||
           YearFileName(name, "FURIKAE") || YearFileName(name, "SEIZO") || IsHistoryFileName(name);
}

Result<RestoreReport> RestoreCopy(const fs::path& copy, const fs::path& givenFolder,
                                  const fs::path& backupRoot, const std::string& stamp) {
    auto restored = RestoreWhole(copy, givenFolder, backupRoot, stamp);
    if (restored) return restored;
    // Whatever stopped it, the folder holds the year as it was: the message says so.
    FileError e = restored.error();
    if (!e.detail.empty()) e.detail += LineBreak;
    e.detail += "データは戻していません。データフォルダーは元のままです。";
    return e;
}

std::string DescribeRestore(const RestoreReport& r, const std::string& lineBreak) {
    std::string text = CopyDisplayName(r.restoredFrom.filename().string()) +
                       " のコピーからデータを戻しました。年度のファイルはすべてコピーのとおりです。" +
                       lineBreak;
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
    if (!r.keptFolder.empty())
        text += lineBreak + "データフォルダーにあったフォルダーなどは、元のデータフォルダーごと " +
                r.keptFolder.string() + " に残してあります。";
    if (r.unconfirmed)
        text += lineBreak + "内容は書き込まれましたが、ディスクへの書き込みの確定を確認できませんでした。";
    return text;
}

}  // namespace tabulo
