#include "cli/Restore.h"

#include <chrono>
#include <ctime>

#include "cli/Commands.h"
#include "cli/YearFolder.h"
#include "store/DataSet.h"
#include "store/Restore.h"

namespace tabulo {

namespace {
// The name of a copy made now, as the automatic copies are named.
std::string NowStamp() {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}
}  // namespace

int RunRestore(const std::filesystem::path& copy, const std::filesystem::path& folder,
               std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path dataFolder =
        std::filesystem::is_directory(folder / "KEIRIDATA", ec) &&
                !std::filesystem::exists(folder / YearFileName(YearFileKind::FiscalYear, 0), ec)
            ? folder / "KEIRIDATA"
            : folder;
    // The copies live in <program folder>/backup: the files replaced join them there.
    const std::filesystem::path copyPath = std::filesystem::absolute(copy, ec).lexically_normal();
    const std::filesystem::path root =
        (copyPath.has_filename() ? copyPath : copyPath.parent_path()).parent_path();
    auto report = RestoreCopy(copyPath.has_filename() ? copyPath : copyPath.parent_path(),
                              dataFolder, root, NowStamp());
    if (!report) {
        err << "tabulo-cli: " << FileErrorMessage(report.error()) << "\n";
        return ExitStatus::Refused;
    }
    out << DescribeRestore(*report, "\n") << "\n";
    return ExitStatus::Ok;
}

}  // namespace tabulo
