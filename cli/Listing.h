#pragma once
// What the commands that list records (search, history) print on standard output:
// a table for the terminal with its columns aligned, or CSV for other tools.

#include <iosfwd>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Csv.h"

namespace tabulo {

// Lines of cells as text for a terminal: each column as wide as its widest cell (in
// CP932 bytes, the width a terminal gives a Japanese character), two blanks between
// columns, the columns in `right` aligned to the right, no blanks at a line's end.
std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines, const std::set<int>& right);
// The same of `cells` given row after row, `columns` to a row.
std::string AlignedColumns(std::span<const std::string_view> cells, std::size_t columns,
                           const std::set<int>& right);

// The lines of AlignedColumns written one at a time, once every column's width is
// known: for a listing too long to hold whole (the history).
class ColumnLines {
  public:
    // `widths`: each column's width; `right`: which columns align to the right.
    ColumnLines(std::vector<int> widths, std::vector<bool> right);
    // Appends the line of `cells` (one a column), whose widths are `cellWidths`.
    void Append(std::span<const std::string_view> cells, std::span<const int> cellWidths, std::string& out) const;

  private:
    std::vector<int> widths_;
    std::vector<bool> right_;
};

// Writes `rows` as CSV onto a stream: UTF-8 without the byte-order mark (that mark is
// for files a spreadsheet opens, not for a stream), or CP932. False, with the reason
// on `err`, when a text has no form in the encoding.
bool WriteCsvStream(const CsvRows& rows, CsvEncoding encoding, std::ostream& out, std::ostream& err);

// The status of a command that has written its listing: Ok, or Refused with the
// reason on `err` when standard output would not take it.
int FinishListing(std::ostream& out, std::ostream& err, bool japanese);

}  // namespace tabulo
