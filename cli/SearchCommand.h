#pragma once
// tabulo-cli search: the year's transactions found by the conditions of the 検索
// screen, printed as a table for the terminal or as CSV.

#include <filesystem>
#include <iosfwd>

#include "cli/Csv.h"
#include "ebooks/Search.h"

namespace tabulo {

struct SearchRequest {
    std::filesystem::path folder;
    SearchInput input;  // the conditions as given on the command line
    bool csv = false;   // --format csv; else the table
    // The CSV's encoding: UTF-8 without a byte-order mark (a stream for the terminal
    // and for other tools), or CP932 for a Japanese spreadsheet.
    CsvEncoding encoding = CsvEncoding::Utf8;
};

// The table: a header line, one line per transaction with the columns aligned by the
// width a terminal gives them, and the count. CSV: 出所, 日付, 借方コード, 借方科目,
// 貸方コード, 貸方科目, 金額, 摘要 and one row per transaction. A refused condition
// or a year that does not read is reported on `err` with status 2.
int RunSearch(const SearchRequest& request, std::ostream& out, std::ostream& err,
              bool japanese = true);

// The rows of the table and the CSV, without the year's files: for the tests.
std::string SearchTable(const std::vector<SearchRow>& rows, const ItemTableArray& items,
                        bool japanese);
CsvRows SearchCsv(const std::vector<SearchRow>& rows, const ItemTableArray& items);

}  // namespace tabulo
