#pragma once
// tabulo-cli restore COPY DATAFOLDER: an automatic copy brought back into the data
// folder as the window's restore does it.

#include <filesystem>
#include <ostream>

namespace tabulo {

// Says what was done on `out`, or why not on `err` (status 2).
int RunRestore(const std::filesystem::path& copy, const std::filesystem::path& folder,
               std::ostream& out, std::ostream& err);

}  // namespace tabulo
