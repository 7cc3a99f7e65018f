#include "cli/HistoryCommand.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>
#include <sstream>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "store/History.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

namespace {

constexpr std::size_t kColumns = 6;

// The table's number cell: a damaged record's number marked "※".
std::string_view Numbered(std::uint32_t sequence, bool damaged, std::array<char, 16>& buffer) {
    char* p = buffer.data();
    if (damaged) p = std::copy_n("※", 3, p);
    p = std::to_chars(p, buffer.data() + buffer.size(), sequence).ptr;
    return {buffer.data(), static_cast<std::size_t>(p - buffer.data())};
}

std::array<std::string_view, kColumns> Heading(bool japanese) {
    if (japanese) return {"番号", "日時", "操作", "出所", "変更前", "変更後"};
    return {"No.", "When", "Operation", "Source", "Before", "After"};
}

std::string CountLine(std::size_t rows, int damaged, bool japanese) {
    std::string out;
    if (japanese) {
        out = std::to_string(rows) + " 件";
        if (damaged > 0) out += "（※ 壊れた記録 " + std::to_string(damaged) + " 件）";
    } else {
        out = std::to_string(rows) + (rows == 1 ? " change" : " changes");
        if (damaged > 0) out += " (※ " + std::to_string(damaged) + " damaged)";
    }
    return out + "\n";
}

CsvRows HistoryCsv(const std::vector<HistoryRow>& rows) {
    CsvRows csv{{"出所", "日時", "操作", "変更前", "変更後", "取消対象", "番号", "状態"}};
    for (const HistoryRow& row : rows)
        csv.push_back({row.Target, row.When, row.Action, row.Before, row.After,
                       row.UndoOf == 0 ? std::string() : std::to_string(row.UndoOf),
                       std::to_string(row.Sequence), row.Damaged ? "破損" : ""});
    return csv;
}

}  // namespace

std::string HistoryDamageInEnglish(const HistoryDamage& d) {
    const std::string record = "history record " + std::to_string(d.Sequence);
    switch (d.Fault) {
    case HistoryFault::Header: return "the history file does not begin with its mark RRK1; nothing from record 1 on can be read.";
    case HistoryFault::Size: return record + ": its size is broken; nothing from it on can be read.";
    case HistoryFault::CutShort: return record + ": the file ends inside it (cut short); nothing from it on can be read.";
    case HistoryFault::Missing: return record + ": records before it were taken out.";
    case HistoryFault::OutOfOrder: return record + ": its number is out of order.";
    case HistoryFault::Changed: return record + ": its bytes were changed after it was written, or are damaged.";
    case HistoryFault::Operation: return record + ": its operation is not one the program knows.";
    case HistoryFault::When: return record + ": its time is not a valid one.";
    }
    return record + ": damaged.";
}

namespace {

int HistoryOfYear(const HistoryRequest& request, std::ostream& out, std::ostream& err, bool japanese) {
    SharedState s;
    // The history is read without the books themselves, so that it can still be read
    // when a book is damaged. (A log the copy could not settle is refused.)
    if (Status st = OpenYearFolder(s, request.folder); !st) {
        err << CliErrorText(st.error());
        return ExitStatus::Refused;
    }
    if (JournalPresent(s)) {
        err << CliErrorText(
            FileError{FileErrorCode::BadFormat, LedgerJournalPath(s).string(), JournalMessage(s), false});
        return ExitStatus::Refused;
    }
    const std::filesystem::path path = HistoryPath(s);
    auto reader = HistoryReader::Open(path);
    if (!reader) {
        err << CliErrorText(reader.error());
        return ExitStatus::Refused;
    }
    // The history is read twice and never held: once in order for which records are
    // listed, how wide their cells are and what is damaged, then again, newest first,
    // a line at a time onto the output.
    std::vector<std::uint32_t> listed;       // where each listed record begins, oldest first
    std::vector<std::uint32_t> sequences;    // and its number
    const auto heading = Heading(japanese);
    std::array<int, kColumns> widths{};
    for (std::size_t c = 0; c < kColumns; ++c) widths[c] = Cp932Width(heading[c]);
    HistoryCells cells;
    const auto damage = reader->ReadAll([&](const HistoryRecordView& r) {
        if (!request.filter.Selects(r)) return;
        listed.push_back(static_cast<std::uint32_t>(r.Offset));
        sequences.push_back(r.Sequence);
        if (request.csv) return;
        DescribeHistoryCells(r, s.ItemTable, cells);
        for (std::size_t c = 1; c < kColumns; ++c)
            widths[c] = std::max(widths[c], Cp932Width(cells[static_cast<HistoryCells::Cell>(c - 1)]));
    });
    if (!damage) {
        err << CliErrorText(damage.error());
        return ExitStatus::Refused;
    }
    std::vector<std::uint32_t> damaged;
    for (const HistoryDamage& d : *damage) damaged.push_back(d.Sequence);
    std::sort(damaged.begin(), damaged.end());
    const auto isDamaged = [&](std::uint32_t sequence) {
        return std::binary_search(damaged.begin(), damaged.end(), sequence);
    };
    int damagedRows = 0;
    std::array<char, 16> number{};
    for (const std::uint32_t sequence : sequences) {
        const bool bad = isDamaged(sequence);
        damagedRows += bad ? 1 : 0;
        widths[0] = std::max(widths[0], Cp932Width(Numbered(sequence, bad, number)));
    }
    std::reverse(listed.begin(), listed.end());

    Status read = Ok();
    if (request.csv) {
        std::vector<HistoryRow> rows;
        rows.reserve(listed.size());
        read = reader->ReadAt(listed, [&](const HistoryRecordView& r) {
            rows.push_back(DescribeHistoryRecord(r, s.ItemTable));
            rows.back().Damaged = isDamaged(r.Sequence);
        });
        if (read && !WriteCsvStream(HistoryCsv(rows), request.encoding, out, err)) return ExitStatus::Refused;
    } else {
        constexpr int kNumber = 0;  // right-aligned
        std::vector<bool> right(kColumns, false);
        right[kNumber] = true;
        const ColumnLines lines(std::vector<int>(widths.begin(), widths.end()), right);
        constexpr std::size_t kFlushAt = 60u << 10;
        std::string text;
        text.reserve(kFlushAt + 4096);
        std::array<int, kColumns> cellWidths{};
        for (std::size_t c = 0; c < kColumns; ++c) cellWidths[c] = Cp932Width(heading[c]);
        lines.Append(heading, cellWidths, text);
        read = reader->ReadAt(listed, [&](const HistoryRecordView& r) {
            DescribeHistoryCells(r, s.ItemTable, cells);
            std::array<std::string_view, kColumns> row{Numbered(r.Sequence, isDamaged(r.Sequence), number)};
            for (std::size_t c = 1; c < kColumns; ++c) row[c] = cells[static_cast<HistoryCells::Cell>(c - 1)];
            // The last column is left-aligned and never padded: its width is not needed.
            for (std::size_t c = 0; c + 1 < kColumns; ++c) cellWidths[c] = Cp932Width(row[c]);
            lines.Append(row, cellWidths, text);
            if (text.size() >= kFlushAt) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
                text.clear();
            }
        });
        if (read) {
            text += CountLine(listed.size(), damagedRows, japanese);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
    }
    if (!read) {
        err << CliErrorText(read.error());
        return ExitStatus::Refused;
    }
    const int written = FinishListing(out, err, japanese);
    if (written != ExitStatus::Ok) return written;
    for (const HistoryDamage& d : *damage)
        err << "tabulo-cli: " << path.filename().string() << ": "
            << (japanese ? d.Reason : HistoryDamageInEnglish(d)) << "\n";
    return damage->empty() ? ExitStatus::Ok : ExitStatus::Fault;
}

}  // namespace

int RunHistory(const HistoryRequest& request, std::ostream& out, std::ostream& err, bool japanese) {
    // A year with operations not yet written into its files is read from a copy with
    // them applied; the data folder is never written.
    auto year = ReadableYear::Open(request.folder);
    if (!year) {
        err << CliErrorText(year.error());
        return ExitStatus::Refused;
    }
    err << year->Note(japanese);
    HistoryRequest fromCopy = request;
    fromCopy.folder = year->Folder();
    std::ostringstream errors;
    const int status = HistoryOfYear(fromCopy, out, errors, japanese);
    err << year->Shown(errors.str());
    return status;
}

}  // namespace tabulo
