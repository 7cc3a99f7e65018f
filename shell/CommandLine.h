#pragma once
// The command line of `tabulo`, read before anything of Qt starts: --help, --version
// and --check-install print and end without a window (and without a display); an
// option the program does not know ends it with the usage. The options Qt itself
// takes for a window (-platform, -style, -session ...) are left for Qt.

#include <string>
#include <vector>

namespace tabulo {

enum class LaunchKind { Window, Help, Version, CheckInstall, Refused };

struct Launch {
    LaunchKind kind = LaunchKind::Window;
    std::string refused;  // the argument that was refused
};

// `args` without the program name.
Launch ReadCommandLine(const std::vector<std::string>& args);

// The usage, in Japanese or English.
std::string TabuloUsage(bool japanese);
// "tabulo 4.0.0".
std::string TabuloVersionLine();

}  // namespace tabulo
