#pragma once
// `check`: a year's files looked over the way a database checks its pages. Every
// rule applied is the program's own; nothing is written.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace tabulo {

struct CheckFinding {
    bool fault = true;  // false: a note (a state the program can leave by design)
    std::string file;   // the file's name in the data folder ("KEIRI13.DAT")
    int line = 0;       // ledger line, 0 for the file as a whole
    std::string text;
    std::string textEn;  // the same in English (the program's own messages stay Japanese)
};

struct CheckReport {
    std::vector<CheckFinding> findings;
    int Faults() const;
    int Notes() const;
};

// Reads the folder and reports what is wrong. An error means the folder could not
// be read at all (no folder, no fiscal year, a file whose layout cannot be followed).
Result<CheckReport> CheckYearFolder(const std::filesystem::path& folder);

// One finding per line ("KEIRI13.DAT 3行: ..." or "注記: ..."), then a last line
// with the count of faults and notes; in Japanese or English.
std::string FormatCheckReport(const CheckReport& report, bool japanese = true);

}  // namespace tabulo
