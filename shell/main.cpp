// Tabulo: bookkeeping for the blue-return statement.
#include <iostream>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/Locale.h"
#include "platform/Memory.h"
#include "platform/ShippedFiles.h"
#include "shell/Application.h"
#include "shell/CheckInstall.h"
#include "shell/CommandLine.h"

int main(int argc, char** argv) {
    using namespace tabulo;
    KeepFreedMemoryForReuse();
    // Decided before Qt starts: these print and end without touching the display.
    const Launch launch = ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    const EnvLookup env = ProcessEnvironment();
    const bool japanese = PrefersJapanese(env);
    switch (launch.kind) {
    case LaunchKind::Help:
        std::cout << TabuloUsage(japanese);
        return 0;
    case LaunchKind::Version:
        std::cout << TabuloVersionLine();
        return 0;
    case LaunchKind::CheckInstall:
        return CheckInstall(ShippedFilesFolder(ExecutableFolder()), ProgramFolderPath(env),
                            std::cout);
    case LaunchKind::Refused:
        std::cerr << "tabulo: "
                  << (japanese ? "知らないオプションです: " : "unknown option: ")
                  << launch.refused << "\n\n"
                  << TabuloUsage(japanese);
        return 2;
    case LaunchKind::Window:
        break;
    }
    Application app(argc, argv);
    return app.Run();
}
