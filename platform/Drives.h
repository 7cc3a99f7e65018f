#pragma once
// Where a data drive setting (a letter or an absolute directory) lives on this machine.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileError.h"

namespace tabulo {

using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;
// The process environment.
EnvLookup ProcessEnvironment();

struct DataDrive {
    std::filesystem::path directory;  // the drive's directory
    std::filesystem::path dataFolder; // <directory>/KEIRIDATA
    std::string displayFolder;        // "A:\KEIRIDATA", or the real path
    bool createWhenMissing = false;   // <program folder>/drives/<L>: the program's own
};

// Resolves the setting; error 52 for a value that is neither a letter nor an
// absolute path.
Result<DataDrive> ResolveDataDrive(const std::filesystem::path& programFolder,
                                   std::string_view setting, const EnvLookup& env);

// Probes the drive: 71 when its directory is missing, 68 when it is not a readable
// directory; creates it first where createWhenMissing says so. Then makes the
// KEIRIDATA folder when it is missing.
Status ProbeDataFolder(const DataDrive& drive);

// The program folder: $TABULO_HOME, else $XDG_DATA_HOME/tabulo, else
// ~/.local/share/tabulo.
std::filesystem::path ProgramFolderPath(const EnvLookup& env);

}  // namespace tabulo
