#include "cli/Listing.h"

#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "store/Text.h"

namespace tabulo {

std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines, const std::set<int>& right) {
    // Each cell's width is measured once and kept for the padding.
    std::vector<int> width;
    std::vector<int> cellWidth;
    std::size_t cells = 0, bytes = 0;
    for (const auto& line : lines) cells += line.size();
    cellWidth.reserve(cells);
    for (const auto& line : lines) {
        if (width.size() < line.size()) width.resize(line.size(), 0);
        for (std::size_t c = 0; c < line.size(); ++c) {
            const int w = Cp932Width(line[c]);
            cellWidth.push_back(w);
            width[c] = std::max(width[c], w);
            bytes += line[c].size();
        }
    }
    std::vector<bool> rightAligned(width.size(), false);
    for (int c : right)
        if (c >= 0 && static_cast<std::size_t>(c) < width.size()) rightAligned[static_cast<std::size_t>(c)] = true;
    std::string out;
    std::size_t lineWidth = 0;
    for (int w : width) lineWidth += static_cast<std::size_t>(w) + 2;
    out.reserve(bytes + lines.size() * (lineWidth + 1));
    std::size_t at = 0;
    for (const auto& line : lines) {
        const std::size_t start = out.size();
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string& cell = line[c];
            const auto pad = static_cast<std::size_t>(width[c] - cellWidth[at++]);
            if (c > 0) out.append(2, ' ');
            if (rightAligned[c]) {
                out.append(pad, ' ');
                out += cell;
            } else {
                out += cell;
                if (c + 1 < line.size()) out.append(pad, ' ');  // no blanks at the end of a line
            }
        }
        // No blanks at a line's end (a last cell may end in blanks, or be empty).
        std::size_t end = out.size();
        while (end > start && out[end - 1] == ' ') --end;
        out.resize(end);
        out += '\n';
    }
    return out;
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
