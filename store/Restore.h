#pragma once
// Bringing back an automatic copy of the data folder (<program folder>/backup/
// <yyyyMMdd-HHmmss>/, made whole under a ".partial-" name and then renamed). The
// journal of the data folder is settled first, so that no interrupted operation is
// ever rolled onto the restored files; the files replaced are kept as one more copy
// beside the others; then the data folder is replaced whole (platform/WholeFolder.h):
// the copy's files with every other file the folder held. Whatever cuts the restore
// short, the folder holds exactly the year before it or exactly the copy.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Journal.h"

namespace tabulo {

// A finished automatic copy's folder name: yyyyMMdd-HHmmss, or with "-2", "-3" ...
// when two were made in one second. Half-written copies (".partial-...") are not.
bool IsFinishedCopyName(const std::string& name);
// The finished copies under <program folder>/backup, newest first.
std::vector<std::filesystem::path> FinishedCopies(const std::filesystem::path& programFolder);
// "2026/12/08 09:15:00" for a copy named 20261208-091500.
std::string CopyDisplayName(const std::string& name);
// Whether a file name is one of the data folder's own files (DATE.DAT, MASTER.DAT,
// SHINKOKU.DAT, KEIRI<nn>.DAT, KEIRI<nn>.DA2, YOKIN<nn>.DAT, the double-entry books'
// KAMOKU.DAT, FURIKAE<nn>.DAT and SEIZO<nn>.DAT, and the histories of changes
// RIREKI<nn>.DAT): the files a copy carries and a restore replaces.
bool IsDataFileName(const std::string& name);
// Whether a file name is that of a year's history of changes, RIREKI<nn>.DAT.
bool IsHistoryFileName(const std::string& name);

struct RestoreReport {
    std::filesystem::path restoredFrom;
    // The copy the replaced files were kept in (empty when the folder held none).
    std::filesystem::path keptAs;
    std::vector<std::string> restored;  // file names written from the copy
    std::vector<std::string> removed;   // data files the copy did not have
    std::vector<Settled> journals;      // what became of the folder's journals
    // The data folder as it was, kept whole beside it because it held something a
    // copy does not carry (a folder, a link); empty when nothing was.
    std::filesystem::path keptFolder;
    // The files are in place but the flush that makes the replacement durable failed.
    bool unconfirmed = false;
};

// Restores `copy` (a finished automatic copy) into `dataFolder`. The replaced files
// are kept under `backupRoot`/<stamp> (with "-2" ... when taken). A copy that is not
// a finished one, or holds no DATE.DAT, is refused before anything is written. An
// error means nothing was restored: the folder holds the year as it was (its message
// says so).
Result<RestoreReport> RestoreCopy(const std::filesystem::path& copy,
                                  const std::filesystem::path& dataFolder,
                                  const std::filesystem::path& backupRoot,
                                  const std::string& stamp);

// The report as the user reads it, lines joined by `lineBreak`.
std::string DescribeRestore(const RestoreReport& r, const std::string& lineBreak);

}  // namespace tabulo
