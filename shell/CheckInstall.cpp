#include "shell/CheckInstall.h"

#include <fontconfig/fontconfig.h>

#include <ostream>
#include <string>
#include <system_error>

#include "platform/ShippedFiles.h"

namespace tabulo {
namespace {

// Whether fontconfig knows a face of this family.
bool FamilyInstalled(const char* family) {
    if (FcInit() == FcFalse) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* found = FcFontList(nullptr, pattern, fields);
    const bool installed = found != nullptr && found->nfont > 0;
    if (found != nullptr) FcFontSetDestroy(found);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    return installed;
}

}  // namespace

int CheckInstall(const std::filesystem::path& shipped, const std::filesystem::path& programFolder,
                 std::ostream& out) {
    std::error_code ec;
    std::filesystem::create_directories(programFolder, ec);
    const ShippedCopyResult copy = CopyShippedFiles(shipped, programFolder);
    ShippedCheckResult check = CheckShippedFiles(shipped, programFolder);
    if (ec) check.problems.push_back("cannot create the program folder: " + ec.message());
    for (const std::string& failure : copy.failures)
        check.problems.push_back("cannot copy " + failure);
    // The layouts and reports are drawn for these faces; without them every printout
    // falls back to a face of another width.
    for (const char* family : {"IPAMincho", "IPAGothic"}) {
        if (!FamilyInstalled(family))
            check.problems.push_back(std::string("font ") + family + " is not installed");
    }
    out << "shipped files: " << shipped.string() << "\nprogram folder: " << programFolder.string()
        << "\n";
    for (const std::string& file : check.present) out << "  found " << file << "\n";
    for (const std::string& problem : check.problems) out << "  PROBLEM: " << problem << "\n";
    out << "install check " << (check.problems.empty() ? "passed" : "FAILED") << "\n";
    out.flush();
    return check.problems.empty() ? 0 : 1;
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
}

}  // namespace tabulo
