#include "cli/Listing.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "cli/Commands.h"
#include "store/Text.h"

namespace tabulo {

ColumnLines::ColumnLines(std::vector<int> widths, std::vector<bool> right)
    : widths_(std::move(widths)), right_(std::move(right)) {
    right_.resize(widths_.size(), false);
}

void ColumnLines::Append(std::span<const std::string_view> cells, std::span<const int> cellWidths,
                         std::string& out) const {
    const std::size_t start = out.size();
    const std::size_t columns = widths_.size();
    for (std::size_t c = 0; c < columns; ++c) {
        const auto pad = static_cast<std::size_t>(std::max(0, widths_[c] - cellWidths[c]));
        if (c > 0) out.append(2, ' ');
        if (right_[c]) out.append(pad, ' ');
        out += cells[c];
        if (!right_[c] && c + 1 < columns) out.append(pad, ' ');
    }
    // No blanks at a line's end (a last cell may end in blanks, or be empty).
    std::size_t end = out.size();
    while (end > start && out[end - 1] == ' ') --end;
    out.resize(end);
    out += '\n';
}

std::string AlignedColumns(std::span<const std::string_view> cells, std::size_t columns,
                           const std::set<int>& right) {
    if (columns == 0) return {};
    // Each cell's width is measured once and kept for the padding.
    std::vector<int> width(columns, 0);
    std::vector<int> cellWidth(cells.size());
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cellWidth[i] = Cp932Width(cells[i]);
        width[i % columns] = std::max(width[i % columns], cellWidth[i]);
        bytes += cells[i].size();
    }
    std::vector<bool> rightAligned(columns, false);
    for (int c : right)
        if (c >= 0 && static_cast<std::size_t>(c) < columns) rightAligned[static_cast<std::size_t>(c)] = true;
    const std::size_t lines = cells.size() / columns;
    std::size_t lineWidth = 0;
    for (int w : width) lineWidth += static_cast<std::size_t>(w) + 2;
    const ColumnLines writer(width, rightAligned);
    std::string out;
    out.reserve(bytes + lines * (lineWidth + 1));
    for (std::size_t line = 0; line < lines; ++line)
        writer.Append(cells.subspan(line * columns, columns),
                      std::span<const int>(cellWidth).subspan(line * columns, columns), out);
    return out;
}

std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines, const std::set<int>& right) {
    std::size_t columns = 0;
    for (const auto& line : lines) columns = std::max(columns, line.size());
    std::vector<std::string_view> cells;
    cells.reserve(lines.size() * columns);
    for (const auto& line : lines) {
        cells.insert(cells.end(), line.begin(), line.end());
        cells.resize(cells.size() + columns - line.size());
    }
    return AlignedColumns(cells, columns, right);
}

bool WriteCsvStream(const CsvRows& rows, CsvEncoding encoding, std::ostream& out, std::ostream& err) {
    auto bytes = EncodeCsv(rows, encoding);
    if (!bytes) {
        err << CliErrorText(bytes.error());
        return false;
    }
    std::size_t skip = 0;
    if (encoding == CsvEncoding::Utf8 && bytes->size() >= 3 && (*bytes)[0] == std::byte{0xEF} &&
        (*bytes)[1] == std::byte{0xBB} && (*bytes)[2] == std::byte{0xBF})
        skip = 3;
    out.write(reinterpret_cast<const char*>(bytes->data()) + skip,
              static_cast<std::streamsize>(bytes->size() - skip));
    return true;
}

int FinishListing(std::ostream& out, std::ostream& err, bool japanese) {
    out.flush();
    if (!out) {
        err << "tabulo-cli: " << (japanese ? "標準出力に書き込めません。" : "cannot write to standard output")
            << "\n";
        return ExitStatus::Refused;
    }
    return ExitStatus::Ok;
}

}  // namespace tabulo
