#include "store/FileLimits.h"

namespace tabulo {
namespace {

// NAME<nn>.<ext> for a stem of letters and two digits of a year.
bool YearFile(std::string_view name, std::string_view stem, std::string_view ext = "DAT") {
    if (name.size() != stem.size() + 3 + ext.size() || !name.starts_with(stem) || !name.ends_with(ext))
        return false;
    const std::size_t n = stem.size();
    return name[n] >= '0' && name[n] <= '9' && name[n + 1] >= '0' && name[n + 1] <= '9' && name[n + 2] == '.';
}

}  // namespace

std::uint64_t FileSizeLimit(std::string_view name) {
    if (name == "KAMOKU.DAT") return kMaxItemAccountsFileSize;
    if (YearFile(name, "KEIRI")) return kMaxLedgerFileSize;
    if (YearFile(name, "YOKIN")) return kMaxDepositFileSize;
    if (YearFile(name, "RIREKI")) return kMaxHistoryFileSize;
    if (YearFile(name, "FURIKAE")) return kMaxSlipFileSize;
    return kMaxWholeFileSize;
}

}  // namespace tabulo
