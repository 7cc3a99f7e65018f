#include "platform/ShippedFiles.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tabulo {
namespace fs = std::filesystem;
namespace {

bool HasFrwExtension(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext == ".FRW";
}

void CopyFolder(const fs::path& from, const fs::path& to, bool onlyFrw, ShippedCopyResult& r) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return;
    for (const auto& entry : fs::directory_iterator(from, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (onlyFrw && !HasFrwExtension(entry.path())) continue;
        const fs::path target = to / entry.path().filename();
        if (fs::exists(fs::symlink_status(target, ec))) continue;
        fs::create_directories(to, ec);
        // copy_options::none fails rather than overwrite, should the file appear meanwhile.
        if (fs::copy_file(entry.path(), target, fs::copy_options::none, ec)) {
            r.copied.push_back(target);
        } else if (ec) {
            r.failures.push_back(target.string() + ": " + ec.message());
        }
    }
}

void CheckFolder(const fs::path& from, const fs::path& to, const std::string& name, bool onlyFrw,
                 ShippedCheckResult& r) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(from, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (onlyFrw && !HasFrwExtension(entry.path())) continue;
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& file : names) {
        const std::string shown = name + "/" + file;
        if (fs::is_regular_file(to / file, ec)) {
            r.present.push_back(shown);
        } else {
            r.problems.push_back(shown + " is missing from " + to.string());
        }
    }
}

}  // namespace

ShippedCheckResult CheckShippedFiles(const fs::path& shipped, const fs::path& programFolder) {
    ShippedCheckResult r;
    std::error_code ec;
    if (!fs::is_regular_file(shipped / "help" / "index.html", ec))
        r.problems.push_back("no help book in " + (shipped / "help").string() +
                             " (index.html is missing)");
    CheckFolder(shipped / "FORM", programFolder / "FORM", "FORM", true, r);
    CheckFolder(shipped / "help", programFolder / "help", "help", false, r);
    return r;
}

ShippedCopyResult CopyShippedFiles(const fs::path& shipped, const fs::path& programFolder) {
    ShippedCopyResult r;
    CopyFolder(shipped / "FORM", programFolder / "FORM", true, r);
    CopyFolder(shipped / "help", programFolder / "help", false, r);
    return r;
}

fs::path ShippedFilesFolder(const fs::path& executableFolder) {
    std::error_code ec;
    const fs::path installed = executableFolder.parent_path() / "share" / "tabulo";
    if (!fs::is_directory(executableFolder / "help", ec) && fs::is_directory(installed, ec))
        return installed;
    return executableFolder;
}

}  // namespace tabulo
