#pragma once
// tabulo-cli import-preview: what importing a downloaded bank or card statement into a
// year would do, row by row, without writing anything.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Csv.h"

namespace tabulo {

struct ImportPreviewRequest {
    std::filesystem::path folder;
    std::filesystem::path file;  // the downloaded statement
    std::string profile;         // --profile: the layout's name; empty: recognised
    int account = 0;             // --account N (1..20)
    std::string card;            // --card NAME
    bool csv = false;            // --format csv; else the table
    CsvEncoding encoding = CsvEncoding::Utf8;
};

// The folders the statement layouts are read from: the user's own in the program
// folder first, then the ones shipped with the program.
std::vector<std::filesystem::path> StatementLayoutFolders();

// The preview as a table or CSV (状態,日付,摘要,入金,出金,項目・科目). A file that no
// layout fits, a line the layout refuses, or a year that does not read is reported on
// `err` with status 2, and nothing is printed on `out`.
int RunImportPreview(const ImportPreviewRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tabulo
