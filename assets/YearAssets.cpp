#include "assets/YearAssets.h"

#include <filesystem>

#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"

namespace tabulo {

std::optional<int> AssetYearOf(const SharedState& s) {
    return WesternYear(s.EraName, YearTag(s.FiscalYear));
}

Result<YearRegister> ReadYearRegister(const SharedState& s) {
    const auto path = AssetRegisterPath(s);
    auto assets = LoadAssetRegister(path);
    if (!assets) return assets.error();
    const auto year = AssetYearOf(s);
    if (!year) return BadFormatError(path.string(), "年度の西暦年が分かりません。");
    auto done = DepreciateRegister(*assets, *year);
    if (!done) {
        FileError e = done.error();
        e.path = path.string();
        return e;
    }
    return YearRegister{std::move(*assets), std::move(*done)};
}

Result<std::optional<std::vector<std::byte>>> NextYearRegisterFile(const SharedState& s) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(AssetRegisterPath(s), ec))
        return std::optional<std::vector<std::byte>>{};
    auto year = ReadYearRegister(s);
    if (!year) return year.error();
    auto bytes = EncodeAssetRegister(NextYearRegister(year->assets, year->year));
    if (!bytes) return bytes.error();
    return std::optional<std::vector<std::byte>>(std::move(*bytes));
}

}  // namespace tabulo
