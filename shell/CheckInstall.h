#pragma once
// `tabulo --check-install`: brings the shipped files into the program folder as a start
// does, says on `out` what it found and ends without a window, so that a package can
// be checked on a machine without a display. Needs no Qt.

#include <filesystem>
#include <iosfwd>

namespace tabulo {

// Exit status 0 when everything is in place, 1 otherwise.
int CheckInstall(const std::filesystem::path& shipped, const std::filesystem::path& programFolder,
                 std::ostream& out);

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

}  // namespace tabulo
