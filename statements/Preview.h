#pragma once
// What the preview of a statement shows for each row before anything is written: the
// row's identity (a fingerprint of the row and how many times an identical row came
// before it in the file), its state, and the item or account a rule gives it.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "statements/Profile.h"
#include "statements/StatementReader.h"

namespace tabulo::statements {

// A row of a statement as the books remember it once imported: the same row in a
// later download (of the same account or card) has the same key; two identical rows
// in one file differ in their occurrence (1, 2, ...).
struct RowKey {
    std::uint64_t fingerprint = 0;
    std::uint32_t occurrence = 0;
    auto operator<=>(const RowKey&) const = default;
};

// The fingerprint of a row of the statement of `target` (a deposit account's number
// or a card's name): its date, its description compared width-folded, its amounts
// and its balance. Neither the line it stands on nor the file's other rows count.
std::uint64_t RowFingerprint(std::string_view target, const StatementRow& row);
// The keys of a file's rows, in file order.
std::vector<RowKey> KeyRows(std::string_view target, const std::vector<StatementRow>& rows);

enum class RowState {
    New,          // 新規: taken when ticked (ticked at first)
    InBooks,      // 既存: imported before; never taken again
    Unsure,       // 要確認: the books hold a line of the same date and amount that was
                  // not imported (typed by hand, say); shown unticked
    OutsideYear,  // listed apart, never taken
};
// The state's name as the preview and the command line show it.
const char* RowStateName(RowState s);

// A line of the books as the preview compares it: its date and amounts.
struct BookEntry {
    StatementDate date;
    Amount in = 0;
    Amount out = 0;
    auto operator<=>(const BookEntry&) const = default;
};

// The state of each row: outside the Western year `year`, already imported (its key
// among `imported`), unsure (a line of the books with the same date and amounts that
// no import accounts for: `books` less `importedEntries`, each such line making one
// row unsure), else new.
std::vector<RowState> ClassifyRows(const std::vector<StatementRow>& rows,
                                   const std::vector<RowKey>& keys,
                                   const std::set<RowKey>& imported,
                                   const std::vector<BookEntry>& books,
                                   const std::vector<BookEntry>& importedEntries, int year);

// "Description contains X → item (a deposit line) or account (a card line), remarks":
// X compared width-folded, upper and lower case alike.
struct ImportRule {
    std::string contains;
    int target = 0;  // item number 1..50, or account code
    std::string remarks;
    bool operator==(const ImportRule&) const = default;
};

struct Assignment {
    int target = 0;       // 0: none found
    std::string remarks;  // "" when the rule gives none
    bool fromRule = false;
    bool fromLastChoice = false;
};
// The first rule whose text the description contains; else the choice made last time
// for the same description (`lastChoice`, keyed by MatchKey of the description).
Assignment AssignRow(const std::vector<ImportRule>& rules, const std::map<std::string, int>& lastChoice,
                     std::string_view description);

}  // namespace tabulo::statements
