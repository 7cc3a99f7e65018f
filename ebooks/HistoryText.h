#pragma once
// The history's records as a person reads them: the operation, what it was done to,
// and the values before and after in words, for the history screen and the command
// line alike.

#include <string>
#include <vector>

#include "books/Accounts.h"
#include "ebooks/History.h"

namespace tabulo {

struct HistoryRow {
    std::uint32_t Sequence = 0;
    std::string When;       // "2026-12-08 09:30:00"
    std::string Operation;  // "出納簿 訂正", "元に戻す: 出納簿 削除" for an undo
    std::string Target;     // "出納簿:123", "振替:5", "預金:3", "期首:現金", "項目:12"
    std::string Before;     // the stored values in words, "" when there were none
    std::string After;
    bool Damaged = false;   // the record's bytes do not hold together
};

// A record's row. Items name the cash book's items; an account is named by the chart.
HistoryRow DescribeHistoryRecord(const HistoryRecord& record, const ItemTableArray& items);

// Every record's row, newest first, damaged records marked.
std::vector<HistoryRow> DescribeHistory(const HistoryContents& history, const ItemTableArray& items);

}  // namespace tabulo
