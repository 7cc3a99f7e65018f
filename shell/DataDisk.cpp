#include "shell/DataDisk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <system_error>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kErrorTitle = "エラー確認";

// The identity of a folder (device and inode) and what it holds.
struct FolderState {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

FolderState Look(const fs::path& folder) {
    FolderState f;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return f;
    f.exists = true;
    f.device = st.st_dev;
    f.inode = st.st_ino;
    return f;
}

bool SameOrInside(const fs::path& p, const fs::path& folder) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(p, ec);
    const fs::path b = fs::weakly_canonical(folder, ec);
    const fs::path rel = a.lexically_relative(b);
    return !rel.empty() && *rel.begin() != "..";
}

bool MissingPath(const FileError& e) {
    return e.code == FileErrorCode::PathNotFound || e.code == FileErrorCode::FileNotFound ||
           e.code == FileErrorCode::DiskNotReady;
}

// "パスが見つかりません！！" for a missing path, else "データが有りません！！", with what
// went wrong below it.
void ReportFailure(Prompt& prompt, const SharedState& s, const FileError& e) {
    FileError shown = e;
    shown.path = DisplayPath(s, e.path);
    std::string text = MissingPath(e) ? "パスが見つかりません！！" : "データが有りません！！";
    const std::string why = FileErrorMessage(shown);
    if (!why.empty()) text += std::string(LineBreak) + why;
    prompt.MsgBox(text, MsgStyle::Exclamation, kErrorTitle);
}

enum class Destination { Found, Cancelled, Failed };

// The data folder of the disk now in the drive, asked for again after the swap
// question. While the drive is missing the user may retry or give up. A drive whose
// disk was not swapped gets a folder of the user's choice, never this year's own.
Destination FindDestination(const SharedState& s, Prompt& prompt, const DiskServices& io,
                            const FolderState& before, fs::path& out) {
    DataDrive drive;
    for (;;) {
        auto resolved = ResolveDataDrive(s.ProgramFolder, s.SetupLines[1], io.env);
        if (!resolved) {
            ReportFailure(prompt, s, resolved.error());
            return Destination::Failed;
        }
        drive = *resolved;
        Status probed = ProbeDataFolder(drive);
        if (probed) break;
        if (probed.error().code == FileErrorCode::DiskNotReady) {
            if (prompt.MsgBox(drive.displayFolder + " にデータディスクが準備されていません！！",
                              MsgStyle::Exclamation + MsgStyle::OkCancel,
                              kErrorTitle) == Answer::Ok)
                continue;
            return Destination::Cancelled;
        }
        ReportFailure(prompt, s, probed.error());
        return Destination::Failed;
    }
    // The folder this year was read from (the same folder on the same device) never
    // takes the copy, whatever it holds now; another device mounted on the same path
    // is a swapped stick.
    const FolderState now = Look(drive.dataFolder);
    if (!before.exists || now.device != before.device || now.inode != before.inode) {
        out = drive.dataFolder;
        return Destination::Found;
    }
    prompt.MsgBox("このドライブのディスクは交換できません。" + std::string(LineBreak) +
                      "書き込み先のフォルダーを選んでください。",
                  MsgStyle::Exclamation, "書き込み先確認");
    for (;;) {
        std::optional<fs::path> chosen = io.chooseFolder ? io.chooseFolder() : std::nullopt;
        if (!chosen) return Destination::Cancelled;
        const fs::path target = *chosen / "KEIRIDATA";
        if (SameOrInside(*chosen, s.DataFolder) || SameOrInside(target, s.DataFolder)) {
            prompt.MsgBox("今年度のデータフォルダーには書き込めません！！" +
                              std::string(LineBreak) + "別のフォルダーを選んでください。",
                          MsgStyle::Exclamation, kErrorTitle);
            continue;
        }
        std::error_code ec;
        fs::create_directories(target, ec);
        if (ec) {
            ReportFailure(prompt, s, FileErrorFromErrno(ec.value(), target.string(), true));
            return Destination::Failed;
        }
        out = target;
        return Destination::Found;
    }
}

Status EmptyFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return FileErrorFromErrno(ec.value(), folder.string(), true);
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (!fs::remove(entry.path(), ec) && ec)
            return FileErrorFromErrno(ec.value(), entry.path().string(), true);
    }
    if (ec) return FileErrorFromErrno(ec.value(), folder.string());
    return Ok();
}

Status SaveBytes(const fs::path& path, const Result<std::vector<std::byte>>& bytes) {
    if (!bytes) {
        FileError e = bytes.error();
        e.path = path.string();
        e.writing = true;
        return e;
    }
    return AtomicSave(path, *bytes);
}

// True when both folders hold the same files with the same bytes.
bool SameFiles(const fs::path& a, const fs::path& b) {
    auto names = [](const fs::path& folder) {
        std::set<std::string> n;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file(ec)) n.insert(entry.path().filename().string());
        return n;
    };
    const auto na = names(a);
    if (na != names(b)) return false;
    for (const std::string& name : na) {
        auto x = ReadWholeFile(a / name);
        auto y = ReadWholeFile(b / name);
        if (!x || !y || *x != *y) return false;
    }
    return true;
}

}  // namespace

Status CopyFolderFiles(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) return FileErrorFromErrno(ec.value(), to.string(), true);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(from, ec)) {
        // Files only, and none of the temporary files of an interrupted save.
        if (entry.is_regular_file(ec) && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    }
    if (ec) return FileErrorFromErrno(ec.value(), from.string());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        auto bytes = ReadWholeFile(f);
        if (!bytes) {
            FileError e = bytes.error();
            if (e.path.empty()) e.path = f.string();
            return e;
        }
        if (Status st = AtomicSave(to / f.filename(), *bytes); !st) return st;
    }
    return Ok();
}

DiskOutcome BackupDataDisk(const SharedState& s, Prompt& prompt, const DiskServices& io,
                           bool workFormOpen) {
    if (s.DataLoaded == 1 && workFormOpen) {
        prompt.MsgBox("ファイルが開いた状態ではバックアップは出来ません！！", MsgStyle::Exclamation,
                      kErrorTitle);
        return DiskOutcome::Refused;
    }
    if (prompt.MsgBox("データディスクのバックアップしますか？", MsgStyle::YesNoWarning,
                      "バックアップ確認") != Answer::Yes)
        return DiskOutcome::Cancelled;

    // The data folder of the disk in the drive now, whether or not a year was read.
    SharedState here = s;
    if (Status st = BuildDataFolder(here); !st) {
        ReportFailure(prompt, s, st.error());
        return DiskOutcome::Failed;
    }
    if (auto drive = ResolveDataDrive(s.ProgramFolder, s.SetupLines[1], io.env)) {
        here.DataFolder = drive->dataFolder;
        here.DataFolderDisplay = drive->displayFolder;
    }
    const fs::path staging = s.ProgramFolder / "KEIRIDATA3";
    Status st = EmptyFolder(staging);
    if (st) st = CopyFolderFiles(here.DataFolder, staging);
    if (!st) {
        ReportFailure(prompt, here, st.error());
        return DiskOutcome::Failed;
    }
    const FolderState before = Look(here.DataFolder);
    if (prompt.MsgBox("フロッピーディスクをバックアップ用ディスクと交換してください。",
                      MsgStyle::YesNoWarning, "フロッピーセット確認") != Answer::Yes) {
        prompt.MsgBox("作業を中止しました。", MsgStyle::Exclamation, "中止確認");
        return DiskOutcome::Cancelled;
    }
    fs::path target;
    switch (FindDestination(here, prompt, io, before, target)) {
        case Destination::Found:
            break;
        case Destination::Cancelled:
            prompt.MsgBox("作業を中止しました。", MsgStyle::Exclamation, "中止確認");
            return DiskOutcome::Cancelled;
        case Destination::Failed:
            return DiskOutcome::Failed;
    }
    if (Status copied = CopyFolderFiles(staging, target); !copied) {
        ReportFailure(prompt, here, copied.error());
        return DiskOutcome::Failed;
    }
    prompt.MsgBox("終了しました。フロッピーディスクを元のデータディスクと交換してください。",
                  MsgStyle::Exclamation, "取り替え確認");
    return DiskOutcome::Done;
}

DiskOutcome MakeNextYearDisk(const SharedState& s, Prompt& prompt, const DiskServices& io,
                             bool workFormOpen) {
    if (s.DataLoaded != 1) {
        prompt.MsgBox("ファイルを読み込まないと翌年度のデータディスクは作成出来ません！！",
                      MsgStyle::Exclamation, kErrorTitle);
        return DiskOutcome::Refused;
    }
    if (workFormOpen) {
        prompt.MsgBox("ファイルが開いた状態では翌年度のデータディスクは作成出来ません！！",
                      MsgStyle::Exclamation, kErrorTitle);
        return DiskOutcome::Refused;
    }
    if (prompt.MsgBox("翌年度のデータディスクを作成しますか？", MsgStyle::YesNoWarning,
                      "作成確認") != Answer::Yes)
        return DiskOutcome::Cancelled;

    // The next year is made in a copy of the state: this year's tables, paths and
    // balances stay exactly as they are.
    SharedState next = s;
    for (int i = 1; i <= kAccountCount; ++i)
        next.DepositBook.CarriedBalance[static_cast<std::size_t>(i)] =
            next.DepositBook.CurrentBalance[static_cast<std::size_t>(i)];
    next.DepositBook.CarriedTotal = next.DepositBook.CurrentTotal;
    if (Status st = LoadTaxReturnData(next); !st) {
        ReportFailure(prompt, s, st.error());
        return DiskOutcome::Failed;
    }
    // The next era year must still be a year of the era (and two digits).
    const int year = s.FiscalYear + 1;
    char yy[8];
    std::snprintf(yy, sizeof yy, "%02d", year % 100);
    if (year > 99 || !WesternYear(s.EraName, yy)) {
        prompt.MsgBox(Trim(s.EraName) + std::to_string(year) +
                          "年は和暦の範囲を超えるため、翌年度のデータディスクは作成出来ません！！",
                      MsgStyle::Exclamation, kErrorTitle);
        return DiskOutcome::Failed;
    }

    const FolderState before = Look(s.DataFolder);
    const std::string drive = Trim(s.SetupLines[1]);
    if (prompt.MsgBox("翌年のデータを書き込みします。フォーマット済みのディスクを(" + drive +
                          ")ドライブにセットしましたか？",
                      MsgStyle::YesNoWarning, "セット確認") != Answer::Yes)
        return DiskOutcome::Cancelled;
    fs::path target;
    switch (FindDestination(s, prompt, io, before, target)) {
        case Destination::Found:
            break;
        case Destination::Cancelled:
            prompt.MsgBox("作業を中止しました。", MsgStyle::Exclamation, "中止確認");
            return DiskOutcome::Cancelled;
        case Destination::Failed:
            return DiskOutcome::Failed;
    }

    next.FiscalYear = static_cast<std::int16_t>(year);
    next.LedgerHeader = LedgerHeaderRecord{};
    const std::string tag = YearTag(year);
    ClearTaxReturnNumbers(next.TaxReturnData);
    // MASTER.DAT goes over unchanged, byte for byte; a year that never saved its
    // master gets the tables in memory.
    auto master = ReadWholeFile(s.MasterPath);
    if (!master) {
        ReportFailure(prompt, s, master.error());
        return DiskOutcome::Failed;
    }
    Status st = master->empty() ? SaveBytes(target / "MASTER.DAT",
                                            EncodeMasterFile(s.MasterHeader, s.ItemTable))
                                : AtomicSave(target / "MASTER.DAT", *master);
    if (st)
        st = SaveBytes(target / ("KEIRI" + tag + ".DAT"), EncodeLedgerHeader(next.LedgerHeader));
    if (st) st = SaveBytes(target / ("YOKIN" + tag + ".DAT"), EncodeDepositBook(next.DepositBook));
    if (st) st = SaveBytes(target / "SHINKOKU.DAT", EncodeTaxReturnFile(next.TaxReturnData));
    // DATE.DAT last: a folder whose writing failed half way holds no year to read.
    if (st)
        st = SaveBytes(target / "DATE.DAT",
                       EncodeFiscalYearFile({next.FiscalYear, next.EraName, next.FiscalYearSpare}));
    if (!st) {
        ReportFailure(prompt, s, st.error());
        return DiskOutcome::Failed;
    }
    prompt.MsgBox("繰り越し処理が終了しました。ディスクを今年のディスクと取り替えて下さい",
                  MsgStyle::Exclamation, "取り替え確認");
    return DiskOutcome::Done;
}

// ---- Automatic copies ----

namespace {

std::string Stamp(std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// The copies, oldest first: folders named yyyyMMdd-HHmmss (with "-2" ... when two
// were made in one second).
std::vector<fs::path> Copies(const fs::path& root) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(ec) && name.size() >= 15 && name[8] == '-' &&
            std::all_of(name.begin(), name.begin() + 8,
                        [](char c) { return c >= '0' && c <= '9'; }))
            out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

Status AutoBackup(const fs::path& programFolder, const fs::path& dataFolder,
                  std::chrono::system_clock::time_point now) {
    const fs::path root = programFolder / "backup";
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) return FileErrorFromErrno(ec.value(), root.string(), true);
    std::vector<fs::path> copies = Copies(root);
    if (!copies.empty() && SameFiles(copies.back(), dataFolder)) return Ok();

    // Written under a temporary name and renamed when whole, so that a copy cut short
    // never looks like a copy.
    std::string name = Stamp(now);
    for (int n = 2; fs::exists(root / name); ++n) name = Stamp(now) + "-" + std::to_string(n);
    const fs::path partial = root / (".partial-" + name);
    fs::remove_all(partial, ec);
    if (Status st = CopyFolderFiles(dataFolder, partial); !st) {
        fs::remove_all(partial, ec);
        return st;
    }
    fs::rename(partial, root / name, ec);
    if (ec) {
        fs::remove_all(partial, ec);
        return FileErrorFromErrno(ec.value(), (root / name).string(), true);
    }

    // Keep the newest copies and the first copy of every month.
    copies = Copies(root);
    std::set<std::string> firstOfMonth;
    std::set<fs::path> keep;
    for (const fs::path& c : copies) {
        if (firstOfMonth.insert(c.filename().string().substr(0, 6)).second) keep.insert(c);
    }
    for (std::size_t i = copies.size() > static_cast<std::size_t>(kBackupsKept)
                             ? copies.size() - kBackupsKept
                             : 0;
         i < copies.size(); ++i)
        keep.insert(copies[i]);
    for (const fs::path& c : copies) {
        if (!keep.contains(c)) fs::remove_all(c, ec);
    }
    return Ok();
}

}  // namespace tabulo
