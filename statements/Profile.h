#pragma once
// The layout of one kind of downloaded statement, as data: which line is its header,
// which columns hold the date, the description and the amounts, how dates are
// written, and which lines around the rows are not rows. One small text file per
// layout, so that a new layout needs no new program.
//
// A layout file (UTF-8, one "key=value" a line; a line starting with # is a note):
//   name=三菱UFJ銀行          the name the user picks it by
//   kind=bank | card          a deposit account's statement, or a card's
//   header=日付,摘要,...       the header line's first cells, compared width-folded
//   header-within=N           the header is one of the first N+1 lines (default 0:
//                             the first line)
//   date=C                    column numbers count from 1
//   description=C[,C...]      joined by a blank
//   in=C  out=C               money in and out, each in its own column, or
//   amount=C                  one signed amount (more than 0: money in; for a card:
//                             spent)
//   balance=C                 optional
//   date-style=western[,wareki][,yyyymmdd]
//                             western 2026/04/01 (- . 年月日 also), wareki H30.01.15
//                             or 令和8年4月1日, yyyymmdd 20260401
//   order=oldest-first | newest-first
//   separators=none | blank-date
//                             blank-date: a line with no date and no amount (a card's
//                             heading within the rows) is not a row
//   footer=TEXT               a line whose first cell starts with TEXT, and every
//                             line after it, is not a row
//   lines-after=N             the last N lines are not rows

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"

namespace tabulo::statements {

enum class StatementKind { Bank, Card };
enum class DateStyle { Western = 1, Wareki = 2, Compact = 4 };  // a set of bits

struct Profile {
    std::string name;
    StatementKind kind = StatementKind::Bank;
    std::vector<std::string> header;
    int headerWithin = 0;
    int dateColumn = 0;
    std::vector<int> descriptionColumns;
    int inColumn = 0;
    int outColumn = 0;
    int amountColumn = 0;
    int balanceColumn = 0;
    int dateStyles = static_cast<int>(DateStyle::Western);
    bool newestFirst = false;
    bool blankDateSeparators = false;
    std::string footer;
    int linesAfter = 0;
    bool operator==(const Profile&) const = default;
};

// Reads a layout file's text; an error names the line and what is wrong with it, and
// a layout without a name, a kind, a header, a date column, a description or amount
// columns is refused.
Result<Profile> ParseProfile(std::string_view text, const std::string& path);
// The layout file's text for `p` (what ParseProfile reads back as `p`).
std::string FormatProfile(const Profile& p);

// Why a layout cannot be used ("" when it can): the checks ParseProfile makes after
// reading, for a layout described on the screen.
std::string ProfileFault(const Profile& p);

// The layouts of the files in `folder` (*.layout, in name order). A file that does not
// read is left out and its error added to `faults`; a missing folder has none.
std::vector<Profile> LoadProfiles(const std::string& folder, std::vector<FileError>* faults);
// Keeps `p` as <folder>/<file name made from its name>.layout (replaced whole).
Status SaveProfile(const std::string& folder, const Profile& p);

// The layouts whose header a statement's text carries where they expect it, best
// first (the one that names the most header cells).
std::vector<const Profile*> RecogniseProfiles(const std::vector<Profile>& profiles,
                                              std::string_view text);

}  // namespace tabulo::statements
