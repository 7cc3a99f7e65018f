// tabulo-cli: the year's books checked, exported to CSV and printed into PDF files
// without the window. check and export need no Qt, so that they start as fast as a
// small tool; print hands its request to tabulo-cli-print, which paints the pages.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Restore.h"

namespace {

using namespace tabulo;

// tabulo-cli-print beside this program (the build tree), or in the library folder
// of the installation (<prefix>/bin/../libexec/tabulo).
std::filesystem::path PrintHelper() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto dir = self.parent_path();
    for (const auto& p :
         {dir / "tabulo-cli-print", dir / TABULO_LIBEXEC_FROM_BIN / "tabulo-cli-print"})
        if (std::filesystem::exists(p, ec)) return p;
    return dir / "tabulo-cli-print";
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    ParsedArguments parsed = ParseArguments(args);
    if (!parsed.request) {
        std::cerr << "tabulo-cli: " << parsed.error << "\n"
                  << "詳しくは tabulo-cli --help / see tabulo-cli --help\n";
        return ExitStatus::Refused;
    }
    const CliRequest& r = *parsed.request;
    switch (r.kind) {
        case CliRequest::Help:
            std::cout << HelpText();
            return ExitStatus::Ok;
        case CliRequest::Version:
            std::cout << "tabulo-cli " << TABULO_VERSION << "\n";
            return ExitStatus::Ok;
        case CliRequest::Check:
            return RunCheck(r.folder, std::cout, std::cerr);
        case CliRequest::Export:
            return RunExport(r.exportRequest, std::cout, std::cerr);
        case CliRequest::Restore:
            return RunRestore(r.copy, r.folder, std::cout, std::cerr);
        case CliRequest::Print: {
            const PrintRequest& p = r.printRequest;
            const std::string helper = PrintHelper().string();
            std::vector<std::string> helperArgs{helper, p.what, std::to_string(p.number),
                                                p.folder.string(), p.output.string()};
            std::vector<char*> v;
            for (auto& a : helperArgs) v.push_back(a.data());
            v.push_back(nullptr);
            ::execv(helper.c_str(), v.data());
            std::cerr << "tabulo-cli: " << helper << ": " << std::strerror(errno) << "\n";
            return ExitStatus::Refused;
        }
    }
    return ExitStatus::Refused;
}
