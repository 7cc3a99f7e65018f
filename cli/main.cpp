// tabulo-cli: the year's books checked, exported to CSV and printed into PDF files
// without the window. check and export need no Qt, so that they start as fast as a
// small tool; print hands its request to tabulo-cli-print, which paints the pages.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/DataFolder.h"
#include "platform/Locale.h"
#include "platform/Memory.h"
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

// The data folder a command reads: the one given, or the default, named on `note`
// when it was not given as it is. False (with the reason on `err`) when the default
// cannot be had.
bool ResolveFolder(std::filesystem::path& folder, const EnvLookup& env, bool japanese,
                   std::ostream& err, std::ostream& note) {
    auto chosen = ChooseDataFolder(folder, env);
    if (!chosen) {
        err << CliErrorText(chosen.error());
        return false;
    }
    const std::string& how = japanese ? chosen->howJa : chosen->howEn;
    if (!how.empty()) {
        note << "tabulo-cli: " << (japanese ? "データフォルダー " : "data folder ")
            << chosen->folder.string() << (japanese ? "（" : " (") << how << (japanese ? "）" : ")")
            << "\n";
    }
    folder = chosen->folder;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tabulo::KeepFreedMemoryForReuse();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const EnvLookup env = ProcessEnvironment();
    const bool japanese = PrefersJapanese(env);
    ParsedArguments parsed = ParseArguments(args);
    if (!parsed.request) {
        std::cerr << "tabulo-cli: " << RefusalIn(parsed, japanese) << "\n"
                  << (japanese ? "詳しくは tabulo-cli help\n" : "See tabulo-cli help\n");
        return ExitStatus::Refused;
    }
    CliRequest r = *parsed.request;
    std::filesystem::path* folder = r.kind == CliRequest::Check    ? &r.folder
                                    : r.kind == CliRequest::Export ? &r.exportRequest.folder
                                    : r.kind == CliRequest::Print  ? &r.printRequest.folder
                                    : r.kind == CliRequest::Search ? &r.searchRequest.folder
                                    : r.kind == CliRequest::History ? &r.historyRequest.folder
                                    : r.kind == CliRequest::ImportPreview ? &r.importPreviewRequest.folder
                                                                    : nullptr;
    // check names a folder it chose only where it says anything at all.
    std::ostringstream folderLine;
    const bool check = r.kind == CliRequest::Check;
    if (folder != nullptr &&
        !ResolveFolder(*folder, env, japanese, std::cerr, check ? folderLine : std::cerr))
        return ExitStatus::Refused;
    switch (r.kind) {
        case CliRequest::Help:
            std::cout << HelpText(japanese, r.helpTopic);
            return ExitStatus::Ok;
        case CliRequest::Version:
            std::cout << "tabulo-cli " << TABULO_VERSION << "\n";
            return ExitStatus::Ok;
        case CliRequest::Check: {
            std::ostringstream faults;
            const int status = RunCheck(r.folder, std::cout, faults, r.verbose, japanese);
            if (r.verbose || !faults.str().empty()) std::cerr << folderLine.str();
            std::cerr << faults.str();
            return status;
        }
        case CliRequest::Export:
            return RunExport(r.exportRequest, std::cout, std::cerr);
        case CliRequest::Search:
            return RunSearch(r.searchRequest, std::cout, std::cerr, japanese);
        case CliRequest::History:
            return RunHistory(r.historyRequest, std::cout, std::cerr, japanese);
        case CliRequest::ImportPreview:
            return RunImportPreview(r.importPreviewRequest, std::cout, std::cerr);
        case CliRequest::Restore:
            return RunRestore(r.copy, r.folder, std::cout, std::cerr);
        case CliRequest::Print: {
            const PrintRequest& p = r.printRequest;
            const std::string helper = PrintHelper().string();
            std::vector<std::string> helperArgs{helper, p.what, std::to_string(p.number),
                                                p.folder.string(), p.output.string()};
            if (p.force) helperArgs.push_back("--force");
            if (!p.account.empty()) helperArgs.push_back("--account=" + p.account);
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
