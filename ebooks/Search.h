#pragma once
// Search of the year's books: the cash-book lines that make a journal entry and the
// transfer slips, found by transaction date range, amount range (or one amount), a
// part of the remarks, an account on either side of the entry and the item, any of
// them together. The 検索 screen and `tabulo-cli search` read their conditions and
// show their results through these functions.
//
// A carry-over line (category 7), a line without an item and a line whose amount is
// 0 make no entry and are no transaction: the search never shows them.

#include <optional>
#include <string>
#include <vector>

#include "books/Entries.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// The conditions as the user typed them; an empty text is no condition.
struct SearchInput {
    std::string from, to;  // dates: 2026-04-01, 2026/4/1, 20260401, the cash book's
                           // 080401, or a month 2026-04 (its first or last day)
    std::string min, max;  // amounts in yen; the same in both finds that amount alone
    std::string text;      // part of the remarks
    std::string account;   // an account's code or name (a unique part of a name will do)
    std::string item;      // an item's number or name (a unique part of a name will do)
};

// The conditions read; every one present must hold.
struct SearchConditions {
    std::optional<int> from, to;  // Western dates as yyyymmdd, both ends included
    std::optional<Amount> min, max;  // both ends included
    std::string text;  // in the compared form (FoldForSearch); empty: any
    std::optional<int> account;  // a code of the chart
    std::optional<int> item;     // 1..50
    bool operator==(const SearchConditions&) const = default;
};

// Why the conditions were refused, in Japanese (the screen) and English, and the
// condition at fault.
struct SearchRefusal {
    enum Field { From, To, Min, Max, Text, Account, Item } field = From;
    std::string ja, en;
};
struct ReadConditions {
    std::optional<SearchConditions> conditions;
    SearchRefusal refusal;  // when there are none
};

// Reads the typed conditions of the year whose era is `eraName` and whose items are
// `items`: a date that is not a day, a start after the end, an amount that is no whole
// number of yen within 32 bits, a lower limit above the upper one, an account or item
// that the year does not have or a name part that fits several are refused.
ReadConditions ReadSearchConditions(const SearchInput& input, const std::string& eraName,
                                    const ItemTableArray& items);

// One entry found, as the journal holds it, with its Western date (yyyymmdd; 0 when
// the line has no date or its era year has no Western year).
struct SearchRow {
    BookEntry entry;
    int western = 0;
};

// The entries of `journal` (BuildJournal's order: by date, a day's slips after its
// cash-book lines) that meet `c`. `eraName` places the dates.
// The entries found are moved out of `journal`.
std::vector<SearchRow> FilterEntries(std::vector<BookEntry> journal, const SearchConditions& c,
                                     const std::string& eraName);

// The year's cash book and its slip and item-account files read as they are (nothing
// is written) and searched.
Result<std::vector<SearchRow>> SearchYear(const SharedState& s, const SearchConditions& c);

// What the results show, the same on the screen and on the command line.
// "出納簿:123" for cash-book line 123, "振替:5" for slip 5.
std::string SourceLabel(const BookEntry& e);
// "2026-04-01"; "" for no date.
std::string WesternDateText(int yyyymmdd);
// Columns 出所, 日付, 借方, 貸方, 金額, 摘要 of a row (the amount as "1,234").
inline constexpr int kSearchColumns = 6;
std::vector<std::string> SearchRowTexts(const SearchRow& row, const ItemTableArray& items);
std::vector<std::string> SearchHeaders(bool japanese = true);

}  // namespace tabulo
