#pragma once
// tabulo-cli history: the year's history of changes (RIREKI<nn>.DAT), newest first,
// narrowed as on the 履歴 screen, printed as a table for the terminal or as CSV.

#include <filesystem>
#include <iosfwd>

#include "cli/Csv.h"
#include "ebooks/HistoryText.h"

namespace tabulo {

struct HistoryRequest {
    std::filesystem::path folder;
    HistoryFilter filter;  // --line, --from, --to (days as "YYYYMMDD")
    bool csv = false;      // --format csv; else the table
    CsvEncoding encoding = CsvEncoding::Utf8;
};

// The table: 番号, 日時, 操作, 出所, 変更前, 変更後, a damaged record's number marked
// "※", and the count. The CSV: 出所, 日時, 操作, 変更前, 変更後, 取消対象 (the number of
// the change an undo undoes), 番号, 状態 ("破損" for a damaged record). A history with
// a damaged record is listed all the same, the damage is named on `err` and the status
// is 1; a folder or file that cannot be read is reported with status 2.
int RunHistory(const HistoryRequest& request, std::ostream& out, std::ostream& err,
               bool japanese = true);

// A damaged record said in English (the Japanese is the damage's own Reason).
std::string HistoryDamageInEnglish(const HistoryDamage& damage);

}  // namespace tabulo
