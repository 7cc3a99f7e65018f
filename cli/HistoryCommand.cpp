#include "cli/HistoryCommand.h"

#include <ostream>
#include <sstream>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "store/History.h"
#include "store/SharedState.h"

namespace tabulo {

namespace {

std::string Numbered(const HistoryRow& row) {
    return (row.Damaged ? "※" : "") + std::to_string(row.Sequence);
}

}  // namespace

std::string HistoryTable(const std::vector<HistoryRow>& rows, bool japanese) {
    constexpr std::size_t kColumns = 6;
    std::vector<std::string> numbers;
    numbers.reserve(rows.size());
    int damaged = 0;
    for (const HistoryRow& row : rows) {
        numbers.push_back(Numbered(row));
        damaged += row.Damaged ? 1 : 0;
    }
    // The cells as views of the rows' own texts: nothing is copied but the numbers.
    std::vector<std::string_view> cells;
    cells.reserve((rows.size() + 1) * kColumns);
    if (japanese)
        cells.insert(cells.end(), {"番号", "日時", "操作", "出所", "変更前", "変更後"});
    else
        cells.insert(cells.end(), {"No.", "When", "Operation", "Source", "Before", "After"});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& row = rows[i];
        cells.insert(cells.end(), {numbers[i], row.When, row.Operation, row.Target, row.Before, row.After});
    }
    constexpr int kNumber = 0;  // right-aligned
    std::string out = AlignedColumns(cells, kColumns, {kNumber});
    if (japanese) {
        out += std::to_string(rows.size()) + " 件";
        if (damaged > 0) out += "（※ 壊れた記録 " + std::to_string(damaged) + " 件）";
    } else {
        out += std::to_string(rows.size()) + (rows.size() == 1 ? " change" : " changes");
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
    auto history = LoadHistory(path);
    if (!history) {
        err << CliErrorText(history.error());
        return ExitStatus::Refused;
    }
    const std::vector<HistoryRow> rows = SelectHistory(*history, request.filter, s.ItemTable);
    if (!request.csv)
        out << HistoryTable(rows, japanese);
    else if (!WriteCsvStream(HistoryCsv(rows), request.encoding, out, err))
        return ExitStatus::Refused;
    const int written = FinishListing(out, err, japanese);
    if (written != ExitStatus::Ok) return written;
    for (const HistoryDamage& d : history->Damage)
        err << "tabulo-cli: " << path.filename().string() << ": "
            << (japanese ? d.Reason : HistoryDamageInEnglish(d)) << "\n";
    return history->Damage.empty() ? ExitStatus::Ok : ExitStatus::Fault;
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
