#include "cli/SearchCommand.h"

#include <ostream>
#include <sstream>

#include "books/Accounts.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

std::string SearchTable(const std::vector<SearchRow>& rows, const ItemTableArray& items,
                        bool japanese) {
    std::vector<std::vector<std::string>> lines{SearchHeaders(japanese)};
    for (const SearchRow& row : rows) lines.push_back(SearchRowTexts(row, items));
    constexpr int kAmount = 4;  // right-aligned
    std::string out = AlignedColumns(lines, {kAmount});
    out += japanese ? std::to_string(rows.size()) + " 件\n"
                    : std::to_string(rows.size()) + (rows.size() == 1 ? " entry\n" : " entries\n");
    return out;
}

CsvRows SearchCsv(const std::vector<SearchRow>& rows, const ItemTableArray& items) {
    CsvRows csv{{"出所", "日付", "借方コード", "借方科目", "貸方コード", "貸方科目", "金額", "摘要"}};
    for (const SearchRow& row : rows) {
        const BookEntry& e = row.entry;
        csv.push_back({SourceLabel(e), row.western != 0 ? WesternDateText(row.western) : std::string(e.date),
                       std::to_string(e.posting.debit), AccountName(e.posting.debit, items),
                       std::to_string(e.posting.credit), AccountName(e.posting.credit, items),
                       std::to_string(e.posting.amount), e.remarks});
    }
    return csv;
}

namespace {

int SearchYearFolder(const SearchRequest& request, std::ostream& out, std::ostream& err, bool japanese) {
    SharedState s;
    if (Status st = LoadYearFolder(s, request.folder, false); !st) {
        err << CliErrorText(st.error());
        return ExitStatus::Refused;
    }
    const ReadConditions read = ReadSearchConditions(request.input, s.EraName, s.ItemTable);
    if (!read.conditions) {
        err << "tabulo-cli: " << (japanese ? read.refusal.ja : read.refusal.en) << "\n";
        return ExitStatus::Refused;
    }
    auto found = SearchYear(s, *read.conditions);
    if (!found) {
        err << CliErrorText(found.error());
        return ExitStatus::Refused;
    }
    if (!request.csv)
        out << SearchTable(*found, s.ItemTable, japanese);
    else if (!WriteCsvStream(SearchCsv(*found, s.ItemTable), request.encoding, out, err))
        return ExitStatus::Refused;
    return FinishListing(out, err, japanese);
}

}  // namespace

int RunSearch(const SearchRequest& request, std::ostream& out, std::ostream& err, bool japanese) {
    // A year with operations not yet written into its files is read from a copy with
    // them applied; the data folder is never written.
    auto year = ReadableYear::Open(request.folder);
    if (!year) {
        err << CliErrorText(year.error());
        return ExitStatus::Refused;
    }
    err << year->Note(japanese);
    SearchRequest fromCopy = request;
    fromCopy.folder = year->Folder();
    std::ostringstream errors;
    const int status = SearchYearFolder(fromCopy, out, errors, japanese);
    err << year->Shown(errors.str());
    return status;
}

}  // namespace tabulo
