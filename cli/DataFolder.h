#pragma once
// Which data folder tabulo-cli reads: the one named on the command line, else
// $TABULO_DATA, else the data drive the window reads (the settings file TAB_SET3.DAT
// of the program folder). A program folder named on the command line leads to the
// year below it the same way. Nothing is written, not even the settings file.

#include <filesystem>
#include <string>

#include "platform/Drives.h"
#include "platform/FileError.h"

namespace tabulo {

struct ChosenDataFolder {
    std::filesystem::path folder;
    // How it was found, for the line that names it ("" when named on the command line).
    std::string howJa;
    std::string howEn;
};

// The folder given (empty: none) as the commands read it.
Result<ChosenDataFolder> ChooseDataFolder(const std::filesystem::path& given, const EnvLookup& env);

}  // namespace tabulo
