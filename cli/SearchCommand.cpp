#include "cli/SearchCommand.h"

#include <algorithm>
#include <array>
#include <ostream>

#include "books/Accounts.h"
#include "cli/Commands.h"
#include "cli/YearFolder.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

std::string SearchTable(const std::vector<SearchRow>& rows, const ItemTableArray& items,
                        bool japanese) {
    std::vector<std::vector<std::string>> lines{SearchHeaders(japanese)};
    for (const SearchRow& row : rows) lines.push_back(SearchRowTexts(row, items));
    std::array<int, kSearchColumns> width{};
    for (const auto& line : lines)
        for (int c = 0; c < kSearchColumns; ++c)
            width[c] = std::max(width[c], Cp932Width(line[static_cast<std::size_t>(c)]));
    constexpr int kAmount = 4;  // right-aligned
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (int c = 0; c < kSearchColumns; ++c) {
            const std::string& cell = line[static_cast<std::size_t>(c)];
            const std::string pad(static_cast<std::size_t>(width[c] - Cp932Width(cell)), ' ');
            if (c > 0) text += "  ";
            if (c == kAmount)
                text += pad + cell;
            else if (c + 1 < kSearchColumns)
                text += cell + pad;
            else
                text += cell;  // no blanks at the end of a line
        }
        out += TrimRight(text) + "\n";
    }
    out += japanese ? std::to_string(rows.size()) + " 件\n"
                    : std::to_string(rows.size()) + (rows.size() == 1 ? " entry\n" : " entries\n");
    return out;
}

CsvRows SearchCsv(const std::vector<SearchRow>& rows, const ItemTableArray& items) {
    CsvRows csv{{"出所", "日付", "借方コード", "借方科目", "貸方コード", "貸方科目", "金額", "摘要"}};
    for (const SearchRow& row : rows) {
        const BookEntry& e = row.entry;
        csv.push_back({SourceLabel(e), row.western != 0 ? WesternDateText(row.western) : e.date,
                       std::to_string(e.posting.debit), AccountName(e.posting.debit, items),
                       std::to_string(e.posting.credit), AccountName(e.posting.credit, items),
                       std::to_string(e.posting.amount), e.remarks});
    }
    return csv;
}

int RunSearch(const SearchRequest& request, std::ostream& out, std::ostream& err, bool japanese) {
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
    if (!request.csv) {
        out << SearchTable(*found, s.ItemTable, japanese);
        out.flush();
    } else {
        auto bytes = EncodeCsv(SearchCsv(*found, s.ItemTable), request.encoding);
        if (!bytes) {
            err << CliErrorText(bytes.error());
            return ExitStatus::Refused;
        }
        // The byte-order mark is for files a spreadsheet opens, not for a stream.
        std::size_t skip = 0;
        if (request.encoding == CsvEncoding::Utf8 && bytes->size() >= 3 &&
            (*bytes)[0] == std::byte{0xEF} && (*bytes)[1] == std::byte{0xBB} &&
            (*bytes)[2] == std::byte{0xBF})
            skip = 3;
        out.write(reinterpret_cast<const char*>(bytes->data()) + skip,
                  static_cast<std::streamsize>(bytes->size() - skip));
        out.flush();
    }
    if (!out) {
        err << "tabulo-cli: " << (japanese ? "標準出力に書き込めません。" : "cannot write to standard output")
            << "\n";
        return ExitStatus::Refused;
    }
    return ExitStatus::Ok;
}

}  // namespace tabulo
