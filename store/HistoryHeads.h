#pragma once
// The history read for which changes were made and when, without what they changed:
// for the check and the rule of the electronic books, which read a whole history but
// show none of its values.

#include <filesystem>

#include "platform/FileError.h"
#include "store/History.h"

namespace tabulo {

// LoadHistory without the records' old and new bytes (each record's OldBytes and
// NewBytes left empty; the damage found is the same).
Result<HistoryContents> LoadHistoryHeads(const std::filesystem::path& path);

}  // namespace tabulo
