#pragma once
// The data disk on a desktop: the copy of the year's data folder onto a second disk
// (through the staging folder KEIRIDATA3 in the program folder), the next year's disk
// with the deposit balances carried over, and the automatic copies kept in the
// program folder each time a year is read. Neither action ever writes into this
// year's data folder: a drive whose disk was not swapped (the same folder on the same
// device after the swap question) gets a folder chosen by the user instead, never this
// year's own.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Drives.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;
class Prompt;

struct DiskServices {
    EnvLookup env = ProcessEnvironment();
    // The folder dialog; nullopt when the user cancelled it.
    std::function<std::optional<std::filesystem::path>()> chooseFolder;
};

enum class DiskOutcome { Refused, Cancelled, Failed, Done };

// データディスクのバックアップ. `workFormOpen`: a form holds the books (ToolbarButton(1) is off).
DiskOutcome BackupDataDisk(const SharedState& s, Prompt& prompt, const DiskServices& io,
                           bool workFormOpen);

// 翌年度データディスク作成. The shared state is the same afterwards as before.
DiskOutcome MakeNextYearDisk(const SharedState& s, Prompt& prompt, const DiskServices& io,
                             bool workFormOpen);

// Replaces `to` whole with a copy of the year's files in `from` (every file but the
// journal and temporary files of ours); see ReplaceFolder.
Status CopyWholeFolder(const std::filesystem::path& from, const std::filesystem::path& to);

// Settles every journal of `dataFolder` (committed, rolled back or set aside, then
// removed), so that a copy of the folder takes whole operations only.
Status SettleFolderJournals(const std::filesystem::path& dataFolder);

// ---- Automatic copies: <program folder>/backup/<yyyyMMdd-HHmmss>/ ----

inline constexpr int kBackupsKept = 20;

// Copies the data folder unless the newest copy already holds the same files, then
// keeps the newest kBackupsKept copies and the first copy of every month. A copy is
// written under a name beginning with a dot and renamed when whole; a copy let go is
// renamed so before it is removed; on a full disk the copies that are to go go first.
// Ok exactly when the new copy (or an identical newest one) is there.
Status AutoBackup(const std::filesystem::path& programFolder,
                  const std::filesystem::path& dataFolder,
                  std::chrono::system_clock::time_point now);

// Finishes or undoes what a copy cut short left in the program folder: the staging
// folder KEIRIDATA3 and the automatic copies. Run at start-up and before each copy.
Status SettleAutomaticCopies(const std::filesystem::path& programFolder);

}  // namespace tabulo
