#pragma once
// The history's records as a person reads them: the operation, what it was done to,
// and the values before and after in words, for the history screen and the command
// line alike.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "books/Accounts.h"
#include "store/History.h"

namespace tabulo {

struct HistoryRow {
    std::uint32_t Sequence = 0;
    std::string When;       // "2026-12-08 09:30:00"
    std::string Operation;  // "出納簿 訂正", "元に戻す: 出納簿 削除" for an undo
    std::string Target;     // "出納簿:123", "振替:5", "預金:3", "期首:現金", "項目:12"
    std::string Before;     // the stored values in words, "" when there were none
    std::string After;
    bool Damaged = false;   // the record's bytes do not hold together
    std::string Action;     // the operation's name alone, "出納簿 削除" also for an undo
    std::uint32_t UndoOf = 0;  // the number of the change this one undoes, else 0
};

// A record put into words as one text, its cells one after another: for a reader that
// puts many records into words and keeps none of them (the command line's listing),
// one buffer used again for each.
struct HistoryCells {
    enum Cell { When, Operation, Target, Before, After, kCount };
    std::string Text;
    std::array<std::size_t, kCount + 1> Start{};  // cell c is Text[Start[c], Start[c + 1])
    std::string_view operator[](Cell c) const {
        return std::string_view(Text).substr(Start[c], Start[c + 1] - Start[c]);
    }
};
void DescribeHistoryCells(const HistoryRecordView& record, const ItemTableArray& items, HistoryCells& cells);

// A record's row (Damaged left false). Items name the cash book's items; an account is
// named by the chart.
HistoryRow DescribeHistoryRecord(const HistoryRecordView& record, const ItemTableArray& items);
HistoryRow DescribeHistoryRecord(const HistoryRecord& record, const ItemTableArray& items);

// Every record's row, newest first, damaged records marked.
std::vector<HistoryRow> DescribeHistory(const HistoryContents& history, const ItemTableArray& items);

// Which records the history screen and `tabulo-cli history` list.
struct HistoryFilter {
    int Line = 0;            // a cash-book line: only the changes made to that line; 0: all
    std::string From;        // "YYYYMMDD": changes made on or after that day; "": no limit
    std::string To;          // "YYYYMMDD": on or before; "": no limit
    int Operation = 0;       // a HistoryOperation; 0: every operation

    bool Selects(const HistoryRecordView& record) const;
};

// A day as the history screen and `tabulo-cli history` take it: "2026-12-01",
// "2026/12/01" or "20261201" -> "20261201"; "" for anything else (an empty text too).
std::string HistoryDay(std::string_view text);

// The rows of the records `filter` selects, newest first. A cash-book line's history
// is the changes made to the line under that number at the time (an insert or a delete
// before it renumbers the lines after it).
std::vector<HistoryRow> SelectHistory(const HistoryContents& history, const HistoryFilter& filter,
                                      const ItemTableArray& items);

// The same records as positions in `history.Records`, newest first, for a screen that
// puts only the rows it shows into words (DescribeHistoryRecord, and Damaged from
// DamagedSequences).
std::vector<std::size_t> SelectHistoryRecords(const HistoryContents& history, const HistoryFilter& filter);
// The numbers of the damaged records, sorted.
std::vector<std::uint32_t> DamagedSequences(const HistoryContents& history);

}  // namespace tabulo
