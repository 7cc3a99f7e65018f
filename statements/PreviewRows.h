#pragma once
// The preview of a bank statement against the year's books: the deposit lines of the
// cash book as the states compare them, and the preview's rows as a table or as CSV
// (状態,日付,摘要,入金,出金,項目・科目), which the window and the command line share.

#include <string>
#include <vector>

#include "platform/FileError.h"
#include "statements/Preview.h"

namespace tabulo {
struct SharedState;
}

namespace tabulo::statements {

// The cash book's lines that move a deposit account, with their Western dates and the
// side they move the account: 口座振り込み and 預金 put money in, 口座引落とし and
// 預金繰り入れ take it out. A line whose date does not read is an error naming it.
Result<std::vector<BookEntry>> DepositEntries(const SharedState& s);

struct PreviewRow {
    RowState state = RowState::New;
    StatementRow row;
    std::string target;  // the item's or account's name; "" when none is given
};

// The CSV of the preview: the header line and one line per row, dates as 2026-04-01,
// every cell quoted where it holds a comma or a quote. Lines end in LF.
std::string PreviewCsv(const std::vector<PreviewRow>& rows);

}  // namespace tabulo::statements
