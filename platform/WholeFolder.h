#pragma once
// A folder of files replaced whole. The new files are written into a folder beside it
// (".<name>.new"), each flushed, the folder flushed, and then put in place by renames:
// where the file system can swap two names in one call the new folder and the old
// one change places at once; elsewhere (a FAT stick) the old folder is first renamed
// aside (".<name>.old", or ".<name>.keep-<tag>" when it is to be kept) and the new
// one renamed into its place.
//
// Which of the two a folder holds after a fault at any call: the replacement is
// finished exactly when ".<name>.new" is gone, or the folder itself holds the new
// files (after a swap the old files wait under ".<name>.new" to be removed). So a
// look at the folder, SettleFolder, puts an old folder that was renamed aside back
// when ".<name>.new" is still there, and otherwise removes what is left of the
// replacement: the folder then holds exactly its old files or exactly the new ones.
// Everything that writes goes through Files().

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

struct FolderFile {
    std::string name;
    std::vector<std::byte> bytes;
};

struct FolderReplacement {
    // Not empty: the old folder is kept as "<name>-<keepTag>" (or "<name>-<keepTag>-2"
    // ... when that is taken) instead of being removed.
    std::string keepTag;
};

// Ok: `folder` holds exactly `files`. An error: it holds exactly what it held, except
// when `applied` is set: then it holds the new files and only the last flush failed.
// What is left of the old folder beside it goes at the next SettleFolder.
Status ReplaceFolder(const std::filesystem::path& folder, std::span<const FolderFile> files,
                     const FolderReplacement& how = {});

// Finishes or undoes a replacement of `folder` cut short (see above), and removes what
// is left beside it. True when there was something to do.
Result<bool> SettleFolder(const std::filesystem::path& folder);

// Every folder of `parent` a replacement left beside its target, settled.
Status SettleFolders(const std::filesystem::path& parent);

// Where a kept old folder goes: "<name>-<tag>", or "<name>-<tag>-<n>" when taken.
std::filesystem::path KeptFolderPath(const std::filesystem::path& folder, const std::string& tag);

// Removes a folder and everything in it through Files(); a missing one is no error.
Status RemoveTree(const std::filesystem::path& path);

// Whether a name is one a replacement uses beside its target.
bool IsReplacementLeftover(const std::string& name);

}  // namespace tabulo
