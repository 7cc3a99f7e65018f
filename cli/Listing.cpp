#include "cli/Listing.h"

#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "store/Text.h"

namespace tabulo {

std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines, const std::set<int>& right) {
    std::vector<int> width;
    for (const auto& line : lines) {
        if (width.size() < line.size()) width.resize(line.size(), 0);
        for (std::size_t c = 0; c < line.size(); ++c) width[c] = std::max(width[c], Cp932Width(line[c]));
    }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string& cell = line[c];
            const std::string pad(static_cast<std::size_t>(width[c] - Cp932Width(cell)), ' ');
            if (c > 0) text += "  ";
            if (right.contains(static_cast<int>(c)))
                text += pad + cell;
            else if (c + 1 < line.size())
                text += cell + pad;
            else
                text += cell;  // no blanks at the end of a line
        }
        out += TrimRight(text) + "\n";
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
