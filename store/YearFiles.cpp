#include "store/YearFiles.h"

#include <array>

namespace tabulo {

namespace {

using K = YearFileKind;
constexpr std::array<YearFile, 14> kYearFiles{{
    {K::FiscalYear, "DATE", "DAT", false, true},
    {K::Master, "MASTER", "DAT", false, true},
    {K::TaxReturn, "SHINKOKU", "DAT", false, true},
    {K::ItemAccounts, "KAMOKU", "DAT", false, true},
    {K::Ledger, "KEIRI", "DAT", true, true},
    {K::LedgerSecond, "KEIRI", "DA2", true, true},
    {K::DepositBook, "YOKIN", "DAT", true, true},
    {K::SlipBook, "FURIKAE", "DAT", true, true},
    {K::CostOfGoods, "SEIZO", "DAT", true, true},
    {K::History, "RIREKI", "DAT", true, true},
    {K::Assets, "SHISAN", "DAT", true, true},
    {K::PrivateShares, "ANBUN", "DAT", true, true},
    {K::ConsumptionTax, "SHOHIZEI", "DAT", true, true},
    {K::RedoLog, "KEIRI", "JNL", true, false},
}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::span<const YearFile> AllYearFiles() { return kYearFiles; }

const YearFile& YearFileOf(YearFileKind kind) { return kYearFiles[static_cast<std::size_t>(kind)]; }

std::string YearTag(int fiscalYear) {
    std::string digits = "00" + std::to_string(fiscalYear < 0 ? -fiscalYear : fiscalYear);
    return digits.substr(digits.size() - 2);
}

std::string YearFileName(YearFileKind kind, int fiscalYear) {
    const YearFile& f = YearFileOf(kind);
    return std::string(f.stem) + (f.perYear ? YearTag(fiscalYear) : std::string()) + "." + f.extension;
}

std::filesystem::path YearFilePath(const std::filesystem::path& folder, YearFileKind kind, int fiscalYear) {
    return folder / YearFileName(kind, fiscalYear);
}

std::optional<NamedYearFile> YearFileOfName(std::string_view name) {
    for (const YearFile& f : kYearFiles) {
        const std::string_view stem = f.stem, ext = f.extension;
        const std::size_t tagSize = f.perYear ? 2 : 0;
        if (name.size() != stem.size() + tagSize + 1 + ext.size() || !name.starts_with(stem) ||
            !name.ends_with(ext) || name[stem.size() + tagSize] != '.')
            continue;
        if (f.perYear && !(IsDigit(name[stem.size()]) && IsDigit(name[stem.size() + 1]))) continue;
        return NamedYearFile{f.kind, std::string(name.substr(stem.size(), tagSize))};
    }
    return std::nullopt;
}

bool IsCopiedYearFile(std::string_view name) {
    const auto named = YearFileOfName(name);
    return named && YearFileOf(named->kind).copied;
}

}  // namespace tabulo
