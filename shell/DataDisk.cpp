#include "shell/DataDisk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <system_error>
#include <vector>

#include "assets/YearAssets.h"
#include "books/BooksFiles.h"
#include "books/Closing.h"
#include "ebooks/ElectronicBooks.h"
#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/Prompt.h"
#include "platform/WholeFolder.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/Journal.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"
#include "store/FileLimits.h"

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

std::string Stamp(std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

bool EndsWithNoCase(const std::string& name, const std::string& tail) {
    if (name.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(name[name.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

// Whether a file of a data folder belongs in a copy of the year: not the journal
// (between operations it holds nothing that counts), not a temporary file of a save.
bool BelongsInCopy(const std::string& name) {
    return !name.empty() && name[0] != '.' && !EndsWithNoCase(name, ".JNL");
}

// Every file of a data folder that a copy of the year takes, by name.
Result<std::vector<FolderFile>> YearFiles(const fs::path& folder) {
    std::vector<fs::path> paths;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && BelongsInCopy(entry.path().filename().string()))
            paths.push_back(entry.path());
    if (ec) return FileErrorFromErrno(ec.value(), folder.string());
    std::sort(paths.begin(), paths.end());
    std::vector<FolderFile> files;
    for (const fs::path& p : paths) {
        auto bytes = ReadWholeFile(p, static_cast<std::size_t>(FileSizeLimit(p.filename().string())));
        if (!bytes) {
            FileError e = bytes.error();
            if (e.path.empty()) e.path = p.string();
            return e;
        }
        files.push_back({p.filename().string(), std::move(*bytes)});
    }
    return files;
}

// The names of the files and folders a folder holds (temporary files of ours and the
// journal left out).
std::vector<std::string> HeldNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (BelongsInCopy(entry.path().filename().string()))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What a folder holds, for the question before it is replaced: the year of its
// DATE.DAT when it names one, and its files.
std::string WhatItHolds(const fs::path& folder, const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < 4; ++i) list += (i ? "、" : "") + names[i];
    if (names.size() > 4) list += " ほか" + std::to_string(names.size() - 4) + "個";
    auto date = ReadWholeFile(folder / "DATE.DAT");
    if (date && !date->empty()) {
        if (auto y = DecodeFiscalYearFile(*date); y && y->FiscalYear > 0)
            return Trim(y->EraName) + std::to_string(y->FiscalYear) + "年度のデータ（" + list + "）";
    }
    return "ファイル（" + list + "）";
}

// True when `folder` holds exactly `files`.
bool Holds(const fs::path& folder, const std::vector<FolderFile>& files) {
    std::vector<std::string> names;
    for (const FolderFile& f : files) names.push_back(f.name);
    if (HeldNames(folder) != names) return false;
    for (const FolderFile& f : files) {
        auto bytes = ReadWholeFile(folder / f.name, static_cast<std::size_t>(FileSizeLimit(f.name)));
        if (!bytes || *bytes != f.bytes) return false;
    }
    return true;
}

// A result that put the new files in place counts as done: only the flush after the
// last rename failed, and the folder holds the whole copy.
bool Written(const Status& st) { return st.ok() || st.error().applied; }

}  // namespace

// The one place the copies settle the books' journal: every journal of the folder is
// committed, rolled back or set aside as its files say, and removed, so that a copy
// never carries one and no later write can be undone by it.
Status SettleFolderJournals(const fs::path& dataFolder) {
    auto settled = SettleDataFolder(dataFolder, AfterRecovery::Remove);
    if (!settled) return settled.error();
    return Ok();
}

Status CopyWholeFolder(const fs::path& from, const fs::path& to) {
    auto files = YearFiles(from);
    if (!files) return files.error();
    return ReplaceFolder(to, *files);
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
    // A copy cut short on this disk is finished or undone, and an operation cut short
    // in its books is rolled back, before anything of it is copied.
    Status st = Ok();
    if (auto settled = SettleFolder(here.DataFolder); !settled) st = settled.error();
    if (st) st = SettleFolderJournals(here.DataFolder);
    const fs::path staging = s.ProgramFolder / "KEIRIDATA3";
    if (st) st = CopyWholeFolder(here.DataFolder, staging);
    if (!Written(st)) {
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
    auto files = YearFiles(staging);
    if (!files) {
        ReportFailure(prompt, here, files.error());
        return DiskOutcome::Failed;
    }
    // The copy replaces the folder on the backup disk whole. Files of another year
    // there, which the copy would not replace, are kept in a folder beside it.
    FolderReplacement how;
    if (auto settled = SettleFolder(target); !settled) {
        ReportFailure(prompt, here, settled.error());
        return DiskOutcome::Failed;
    }
    for (const std::string& name : HeldNames(target)) {
        const bool copied = std::any_of(files->begin(), files->end(),
                                        [&](const FolderFile& f) { return f.name == name; });
        if (!copied) how.keepTag = Stamp(std::chrono::system_clock::now());
    }
    const fs::path kept = how.keepTag.empty() ? fs::path() : KeptFolderPath(target, how.keepTag);
    if (Status copied = ReplaceFolder(target, *files, how); !Written(copied)) {
        ReportFailure(prompt, here, copied.error());
        return DiskOutcome::Failed;
    }
    std::string done = "終了しました。フロッピーディスクを元のデータディスクと交換してください。";
    if (!kept.empty())
        done += std::string(LineBreak) + "バックアップ用ディスクにあったデータは " +
                DisplayPath(here, kept.string()) + " に残しました。";
    prompt.MsgBox(done, MsgStyle::Exclamation, "取り替え確認");
    return DiskOutcome::Done;
}

namespace {

// The refusals and the question before a next-year disk is made: Done to go on.
DiskOutcome AskForNextYearDisk(const SharedState& s, Prompt& prompt, bool workFormOpen) {
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
    return DiskOutcome::Done;
}

// The histories of changes in this year's folder, this year's and those carried from the
// years before, except the next year's own (`nextTag`), sorted by name.
Result<std::vector<fs::path>> CarriedHistories(const fs::path& folder, const std::string& nextTag) {
    std::error_code ec;
    std::vector<fs::path> histories;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (IsHistoryFileName(entry.path().filename().string()) &&
            entry.path().filename() != "RIREKI" + nextTag + ".DAT" && entry.is_regular_file(ec))
            histories.push_back(entry.path());
    if (ec) return FileErrorFromErrno(ec.value(), folder.string());
    std::sort(histories.begin(), histories.end());
    return histories;
}

// Every file of the next year's disk. They are read from this year's folder here,
// before any disk is swapped: a disk taken out for the next year's no longer holds
// this year's books. `next` is the next year's state; `storedTables` this year's
// statement figures as stored, which the closing entries are made from.
Result<std::vector<FolderFile>> NextYearFiles(const SharedState& s, const SharedState& next,
                                              const TaxReturnTables& storedTables) {
    const std::string tag = YearTag(next.FiscalYear);
    // MASTER.DAT goes over unchanged, byte for byte (an operation of this year cut
    // short is rolled back first); a year that never saved its master gets the tables
    // in memory.
    if (Status settled = SettleFolderJournals(s.DataFolder); !settled) return settled.error();
    // The double-entry books carry their closing balances over as the next year's
    // opening ones (worked out from this year's settled files, closing entries
    // included).
    SharedState thisYear = s;
    thisYear.TaxReturnData = storedTables;
    auto nextBook = NextYearSlipBook(thisYear);
    if (!nextBook) return nextBook.error();
    // The electronic-books setting, from this year's history.
    auto ebooks = YearElectronicBooksStanding(s);
    if (!ebooks) return ebooks.error();
    // The fixed-asset register with this year's closing book values as the next
    // year's opening ones.
    auto nextAssets = NextYearRegisterFile(s);
    if (!nextAssets) return nextAssets.error();
    auto master = ReadWholeFile(s.MasterPath);
    if (!master) return master.error();
    auto histories = CarriedHistories(ItemAccountsPath(s).parent_path(), tag);
    if (!histories) return histories.error();

    std::vector<FolderFile> files;
    Status st = Ok();
    auto add = [&](const std::string& name, Result<std::vector<std::byte>> bytes) {
        if (!st) return;
        if (!bytes) {
            st = bytes.error();
            return;
        }
        files.push_back({name, std::move(*bytes)});
    };
    add("MASTER.DAT", master->empty() ? EncodeMasterFile(s.MasterHeader, s.ItemTable)
                                      : Result<std::vector<std::byte>>(*master));
    add("KEIRI" + tag + ".DAT", EncodeLedgerHeader(next.LedgerHeader));
    add("YOKIN" + tag + ".DAT", EncodeDepositBook(next.DepositBook));
    add("SHINKOKU.DAT", EncodeTaxReturnFile(next.TaxReturnData));
    add("DATE.DAT", EncodeFiscalYearFile({next.FiscalYear, next.EraName, next.FiscalYearSpare}));
    // The item accounts of the double-entry books go over like the master they belong
    // to, byte for byte; a year that never chose one has no such file.
    if (std::error_code ec; fs::is_regular_file(ItemAccountsPath(s), ec))
        add(ItemAccountsPath(s).filename().string(),
            ReadWholeFile(ItemAccountsPath(s), static_cast<std::size_t>(kMaxItemAccountsFileSize)));
    // The slip book of the next year: its opening balances only. A year without one
    // gives the next year none either.
    if (*nextBook) add("FURIKAE" + tag + ".DAT", EncodeSlipBook(**nextBook));
    // The register, and the business shares of the items byte for byte; a year
    // without them gives the next year none.
    if (*nextAssets) add("SHISAN" + tag + ".DAT", std::move(**nextAssets));
    if (std::error_code ec; fs::is_regular_file(ItemSharesPath(s), ec))
        add("ANBUN" + tag + ".DAT", ReadWholeFile(ItemSharesPath(s)));
    // The histories of changes go along byte for byte, so that the disk in use keeps
    // every year's history; the next year's own begins with its first change (or the
    // setting below).
    for (const fs::path& h : *histories)
        add(h.filename().string(), ReadWholeFile(h, static_cast<std::size_t>(kMaxHistoryFileSize)));
    // Books kept as electronic books go on being kept so: the next year's history
    // starts with the setting, before any change to its books.
    if (ebooks->setting.on)
        add("RIREKI" + tag + ".DAT",
            EncodeHistoryAppend(HistoryTail{}, ElectronicBooksRecord(true, HistoryNow(s), true)));
    if (!st) return st.error();
    return files;
}

// A folder that holds files already (a year's, a copy of this one) is replaced only
// when the user says so, and what it held is kept beside it: false when they say no.
bool AgreeToReplace(const SharedState& s, Prompt& prompt, const fs::path& target,
                    FolderReplacement& how) {
    const auto held = HeldNames(target);
    if (held.empty()) return true;
    how.keepTag = Stamp(std::chrono::system_clock::now());
    const fs::path kept = KeptFolderPath(target, how.keepTag);
    if (prompt.MsgBox(DisplayPath(s, target.string()) + " には" + WhatItHolds(target, held) +
                          "が有ります。" + std::string(LineBreak) + "今のデータを " +
                          DisplayPath(s, kept.string()) +
                          " に残して、翌年度のデータを書き込みますか？",
                      MsgStyle::YesNoWarning, "上書き確認") == Answer::Yes)
        return true;
    prompt.MsgBox("作業を中止しました。", MsgStyle::Exclamation, "中止確認");
    return false;
}

}  // namespace

DiskOutcome MakeNextYearDisk(const SharedState& s, Prompt& prompt, const DiskServices& io,
                             bool workFormOpen) {
    if (DiskOutcome asked = AskForNextYearDisk(s, prompt, workFormOpen); asked != DiskOutcome::Done)
        return asked;

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
    // This year's figures the closing entries are made from, as stored.
    const TaxReturnTables storedTables = next.TaxReturnData;
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
    next.FiscalYear = static_cast<std::int16_t>(year);
    next.LedgerHeader = LedgerHeaderRecord{};
    ClearTaxReturnNumbers(next.TaxReturnData);
    auto files = NextYearFiles(s, next, storedTables);
    if (!files) {
        ReportFailure(prompt, s, files.error());
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
    if (auto settled = SettleFolder(target); !settled) {
        ReportFailure(prompt, s, settled.error());
        return DiskOutcome::Failed;
    }
    FolderReplacement how;
    if (!AgreeToReplace(s, prompt, target, how)) return DiskOutcome::Cancelled;
    if (Status written = ReplaceFolder(target, *files, how); !Written(written)) {
        ReportFailure(prompt, s, written.error());
        return DiskOutcome::Failed;
    }
    prompt.MsgBox("繰り越し処理が終了しました。ディスクを今年のディスクと取り替えて下さい",
                  MsgStyle::Exclamation, "取り替え確認");
    return DiskOutcome::Done;
}

// ---- Automatic copies ----

namespace {

// Whether a name is that of a finished copy: yyyyMMdd-HHmmss (with "-2" ... when two
// were made in one second). A copy being written or removed has a name beginning
// with a dot.
bool IsCopyName(const std::string& name) {
    return name.size() >= 15 && name[8] == '-' &&
           std::all_of(name.begin(), name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
}

// The finished copies, oldest first.
std::vector<fs::path> Copies(const fs::path& root) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec))
        if (entry.is_directory(ec) && IsCopyName(entry.path().filename().string()))
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

// Lets go of every copy but the newest `newest` and the first copy of every month.
// Each goes under a name of its own first, so that a copy half removed never looks
// like a copy.
Status Prune(const fs::path& root, std::size_t newest) {
    const std::vector<fs::path> copies = Copies(root);
    std::set<std::string> months;
    std::set<fs::path> keep;
    for (const fs::path& c : copies)
        if (months.insert(c.filename().string().substr(0, 6)).second) keep.insert(c);
    for (std::size_t i = copies.size() > newest ? copies.size() - newest : 0; i < copies.size(); ++i)
        keep.insert(copies[i]);
    for (const fs::path& c : copies) {
        if (keep.contains(c)) continue;
        const fs::path going = root / ("." + c.filename().string() + ".old");
        if (Files().Rename(c.c_str(), going.c_str()) != 0)
            return FileErrorFromErrno(errno, c.string(), true);
        if (Status st = RemoveTree(going); !st) return st;
    }
    return Ok();
}

}  // namespace

Status SettleAutomaticCopies(const fs::path& programFolder) {
    // The staging folder of the backup, then the copies.
    Status st = SettleFolders(programFolder);
    const fs::path root = programFolder / "backup";
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return st;
    if (Status copies = SettleFolders(root); st && !copies) st = copies;
    // What an earlier version left of a copy cut short.
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        if (!entry.path().filename().string().starts_with(".partial-")) continue;
        if (Status gone = RemoveTree(entry.path()); st && !gone) st = gone;
    }
    // Copies the rotation let go of that could not go then.
    if (Status pruned = Prune(root, static_cast<std::size_t>(kBackupsKept)); st && !pruned)
        st = pruned;
    return st;
}

Status AutoBackup(const fs::path& programFolder, const fs::path& dataFolder,
                  std::chrono::system_clock::time_point now) {
    const fs::path root = programFolder / "backup";
    std::error_code ec;
    if (!fs::is_directory(root, ec) && Files().Mkdir(root.c_str(), 0777) != 0 && errno != EEXIST)
        return FileErrorFromErrno(errno, root.string(), true);
    if (Status st = SettleAutomaticCopies(programFolder); !st) return st;
    if (Status st = SettleFolderJournals(dataFolder); !st) return st;
    auto files = YearFiles(dataFolder);
    if (!files) return files.error();
    std::vector<fs::path> copies = Copies(root);
    if (!copies.empty() && Holds(copies.back(), *files)) return Ok();

    // Written beside its name and renamed when whole (see ReplaceFolder), so that a
    // copy cut short never looks like a copy and never takes an older one's place.
    std::string name = Stamp(now);
    for (int n = 2; fs::exists(root / name, ec); ++n) name = Stamp(now) + "-" + std::to_string(n);
    Status st = ReplaceFolder(root / name, *files);
    if (!Written(st) && st.error().code == FileErrorCode::DiskFull) {
        // A full disk: the copy that goes once this one is made goes first, and the
        // copy is tried again.
        if (Prune(root, static_cast<std::size_t>(kBackupsKept - 1)))
            st = ReplaceFolder(root / name, *files);
    }
    if (!Written(st)) return st;
    // The copy is made; a copy that could not be let go is let go next time.
    Prune(root, static_cast<std::size_t>(kBackupsKept));
    return Ok();
}

}  // namespace tabulo
