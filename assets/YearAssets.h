#pragma once
// The register and the shares of the year the shared state holds: its depreciation
// worked out from its files, and what the next year's disk carries of them.

#include <cstddef>
#include <optional>
#include <vector>

#include "assets/AssetFiles.h"
#include "assets/Depreciation.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// The Western year of the fiscal year in `s` (平成13 -> 2001), or none.
std::optional<int> AssetYearOf(const SharedState& s);

// The year's register (SHISAN<nn>.DAT) with its depreciation.
struct YearRegister {
    AssetRegister assets;
    RegisterYear year;
};
Result<YearRegister> ReadYearRegister(const SharedState& s);

// The bytes of the next year's SHISAN<nn>.DAT: each kept asset with this year's
// closing book value as its opening one, the assets disposed of this year and the
// spent 一括償却資産 and 少額減価償却資産 left out. None when this year keeps no register
// (its next year gets none either).
Result<std::optional<std::vector<std::byte>>> NextYearRegisterFile(const SharedState& s);

}  // namespace tabulo
