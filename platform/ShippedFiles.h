#pragma once
// The layout files and help pages shipped beside the executable are copied into the
// program folder when they are missing there; a file already there is never replaced,
// so a layout the user adjusted survives an update.

#include <filesystem>
#include <string>
#include <vector>

namespace tabulo {

struct ShippedCopyResult {
    std::vector<std::filesystem::path> copied;  // files now in the program folder
    std::vector<std::string> failures;          // files that could not be copied, and why
};

// Copies <shipped>/FORM/*.FRW into <programFolder>/FORM and <shipped>/help/* into
// <programFolder>/help, each only where the target file does not exist.
ShippedCopyResult CopyShippedFiles(const std::filesystem::path& shipped,
                                   const std::filesystem::path& programFolder);

// What an installation check found: the shipped files it looked at and, for each one
// missing from the program folder (or a shipped folder without its help book), a line
// that says so. An empty `problems` means the program folder is ready.
struct ShippedCheckResult {
    std::vector<std::string> present;  // "FORM/x.FRW", "help/index.html", ...
    std::vector<std::string> problems;
};

// Checks that every file CopyShippedFiles would bring from <shipped> is now in
// <programFolder>, and that <shipped> holds the help book's contents page at all, so
// that a program started from a broken install says so instead of showing no help.
ShippedCheckResult CheckShippedFiles(const std::filesystem::path& shipped,
                                     const std::filesystem::path& programFolder);

// Where the shipped files are: beside the executable (build tree), or in
// ../share/tabulo of an installed one.
std::filesystem::path ShippedFilesFolder(const std::filesystem::path& executableFolder);

}  // namespace tabulo
