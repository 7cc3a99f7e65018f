#include "cli/Commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <ostream>
#include <sstream>

#include "cli/AssetsExport.h"
#include "cli/BalanceSheetExport.h"
#include "cli/ConsumptionTaxExport.h"
#include "cli/BooksExport.h"
#include "cli/Check.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "platform/AtomicFile.h"
#include "platform/Drives.h"
#include "platform/Locale.h"
#include "platform/PrintDocument.h"
#include "reports/ItemLedger.h"
#include "reports/MonthlyCashBook.h"
#include "reports/MonthlyIncome.h"
#include "reports/SummaryTable.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ebooks/ElectronicBooks.h"
#include "taxreturn/FormLayout.h"
#include "assets/AssetsPrint.h"
#include "assets/StatementFeed.h"
#include "taxreturn/StatementPage2.h"
#include "taxreturn/StatementPage4.h"
#include "taxreturn/StatementSlots.h"

namespace tabulo {
namespace {

// The messages keep their CR LF inside the program; a terminal wants LF.
std::string Lines(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

// The layout of statement page `page`: the user's own in the program folder (as the
// window prints it), else the one shipped with the program.
std::filesystem::path StatementLayoutFile(int page) {
    const std::filesystem::path own = LayoutPath(ProgramFolderPath(ProcessEnvironment()), page);
    std::error_code ec;
    if (std::filesystem::exists(own, ec)) return own;
    for (const char* shipped : {TABULO_BUILD_SHIPPED_DIR, TABULO_INSTALL_SHIPPED_DIR}) {
        const std::filesystem::path p = LayoutPath(shipped, page);
        if (std::filesystem::exists(p, ec)) return p;
    }
    return own;
}

// A statement page in twips keeps its true size, centred on A4 inside the margins
// every printout has.
PrintDocument OnA4(const PrintDocument& page) {
    constexpr double kTwipsPerMm = 1440.0 / 25.4;
    const double m = kPrintoutMarginMm * kTwipsPerMm;
    const double w = 210 * kTwipsPerMm;
    const double h = 297 * kTwipsPerMm;
    return FitToPaper(page, m, m, w - 2 * m, h - 2 * m, w, h);
}

int Refuse(std::ostream& err, const FileError& e) {
    err << CliErrorText(e);
    return ExitStatus::Refused;
}

Status WriteOutput(const std::filesystem::path& output, const std::vector<std::byte>& bytes,
                   std::ostream& out) {
    if (!output.empty()) return AtomicSave(output, bytes);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return FileError{FileErrorCode::IoError, "-", "標準出力に書き込めません。", true};
    return Ok();
}

FileError OutputRefused(const std::filesystem::path& output, std::string why) {
    return FileError{FileErrorCode::PathFileAccess, output.string(), std::move(why), true};
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

Status CheckOutputPath(const std::filesystem::path& output,
                       const std::filesystem::path& dataFolder, bool force) {
    // Folders and files are compared by what the system resolves the names to, so
    // that no spelling of the data folder slips through.
    struct stat data {};
    if (::stat(dataFolder.c_str(), &data) != 0) return FileErrorFromErrno(errno, dataFolder.string());
    std::filesystem::path folder = output.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    // The folder the file would land in and every folder above it.
    for (std::filesystem::path p = std::filesystem::weakly_canonical(folder, ec);;
         p = p.parent_path()) {
        struct stat st {};
        if (!ec && ::stat(p.c_str(), &st) == 0 && SameFile(st, data)) {
            return OutputRefused(output, "データフォルダーの中には出力しません（" +
                                             dataFolder.string() + "）。");
        }
        if (ec || p == p.parent_path()) break;
    }
    struct stat own {};
    if (::lstat(output.c_str(), &own) != 0) return Ok();  // a new file
    if (S_ISLNK(own.st_mode))
        return OutputRefused(output, "シンボリックリンクには出力しません。");
    if (!S_ISREG(own.st_mode))
        return OutputRefused(output, "通常のファイルではないため出力しません。");
    for (const auto& entry : std::filesystem::directory_iterator(dataFolder, ec)) {
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) == 0 && SameFile(st, own)) {
            return OutputRefused(output, "データフォルダーの " + entry.path().filename().string() +
                                             " と同じファイルです。");
        }
    }
    if (!force) {
        return OutputRefused(output,
                             "ファイルが既にあります。置き換えるときは --force を付けてください。");
    }
    return Ok();
}

int StreamPrompt::MsgBox(std::string_view text, int style, std::string_view) {
    const int buttons = style % 16;
    if (buttons == MsgStyle::YesNo || buttons == 3) return Answer::Yes;
    err_ << Lines(text) << "\n";
    return Answer::Ok;
}

std::string CliErrorText(const FileError& e) {
    return "tabulo-cli: " + Lines(FileErrorMessage(e)) + "\n";
}

int RunCheck(const std::filesystem::path& folder, std::ostream& out, std::ostream& err,
             bool verbose, bool japanese) {
    auto report = CheckYearFolder(folder);
    if (!report) return Refuse(err, report.error());
    if (report->Faults() > 0) {
        err << FormatCheckReport(*report, japanese);
        err.flush();
        return ExitStatus::Fault;
    }
    if (verbose) {
        out << FormatCheckReport(*report, japanese);
        out.flush();
    }
    return ExitStatus::Ok;
}

namespace {

// The export of the year read from `request.folder`; `dataFolder` is the year's own
// folder on the disk, which no output may land in.
int ExportYear(const ExportRequest& request, const std::filesystem::path& dataFolder,
               std::ostream& out, std::ostream& err) {
    SharedState s;
    // The books' closing entries come from the statement's stock and depreciation.
    const bool books = request.what == "journal" || request.what == "trial-balance" ||
                       request.what == "balance-sheet" || request.what == "consumption-tax";
    if (Status st = LoadYearFolder(s, request.folder, books); !st) return Refuse(err, st.error());
    if (!request.output.empty())
        if (Status st = CheckOutputPath(request.output, dataFolder, request.force); !st)
            return Refuse(err, st.error());
    if (request.what == "journal" || request.what == "trial-balance") {
        auto bytes = BooksExportBytes(request, s);
        if (!bytes) return Refuse(err, bytes.error());
        if (Status st = WriteOutput(request.output, *bytes, out); !st)
            return Refuse(err, st.error());
        return ExitStatus::Ok;
    }
    StreamPrompt prompt(err);
    CsvRows rows;
    if (request.what == "consumption-tax") {
        auto r = ConsumptionTaxCsv(s, request.method, request.businessClass);
        if (!r) return Refuse(err, r.error());
        rows = std::move(*r);
    } else if (request.what == "balance-sheet") {
        auto page = OpeningPage4(s);
        if (!page) return Refuse(err, page.error());
        rows = BalanceSheetCsv(s, page->sheet, page->cost);
    } else if (request.what == "assets") {
        auto r = AssetsCsv(s);
        if (!r) return Refuse(err, r.error());
        rows = std::move(*r);
    } else if (request.what == "ledger" || request.what == "item") {
        auto r = request.what == "ledger" ? LedgerCsv(s) : ItemCsv(s, request.item);
        if (!r) return Refuse(err, r.error());
        rows = std::move(*r);
    } else if (request.what == "summary" || request.what == "private-shares") {
        MonthlyTable table{};
        auto aggregated = AggregateForExport(s, prompt, table);
        if (!aggregated) return Refuse(err, aggregated.error());
        // The date messages went to `err`; the ledger is named as the file at fault.
        if (!*aggregated) {
            err << "tabulo-cli: " << s.LedgerPath.string() << "\n";
            return ExitStatus::Refused;
        }
        if (request.what == "summary") {
            rows = SummaryCsv(s, table);
        } else {
            auto r = PrivateSharesCsv(s, table);
            if (!r) return Refuse(err, r.error());
            rows = std::move(*r);
        }
    } else {
        rows = DepositsCsv(s);
    }
    auto bytes = EncodeCsv(rows, request.encoding);
    if (!bytes) return Refuse(err, bytes.error());
    if (Status st = WriteOutput(request.output, *bytes, out); !st) return Refuse(err, st.error());
    return ExitStatus::Ok;
}

std::optional<PrintDocument> PrintYear(const PrintRequest& request,
                                       const std::filesystem::path& dataFolder, std::ostream& err,
                                       int& status) {
    status = ExitStatus::Refused;
    SharedState s;
    const bool statement = request.what == "statement";
    const bool books = request.what == "journal" || request.what == "ledger";
    if (Status st = LoadYearFolder(s, request.folder, statement || books); !st) {
        Refuse(err, st.error());
        return std::nullopt;
    }
    if (Status st = CheckOutputPath(request.output, dataFolder, request.force); !st) {
        Refuse(err, st.error());
        return std::nullopt;
    }
    StreamPrompt prompt(err);
    auto fail = [&](const FileError& e) -> std::optional<PrintDocument> {
        Refuse(err, e);
        return std::nullopt;
    };
    std::optional<PrintDocument> doc;
    const std::string monthKey = (request.number < 10 ? "0" : "") + std::to_string(request.number);
    if (request.what == "month") {
        auto r = PrintMonthlyCashBook(s, prompt, monthKey);
        if (!r) return fail(r.error());
        doc = std::move(*r);
    } else if (request.what == "income") {
        auto r = PrintMonthlyIncome(s, prompt, monthKey);
        if (!r) return fail(r.error());
        if (!*r) return std::nullopt;  // the month has no lines: its message is out
        doc = std::move(**r);
    } else if (request.what == "summary") {
        MonthlyTable table{};
        auto aggregated = AggregateForExport(s, prompt, table);
        if (!aggregated) return fail(aggregated.error());
        if (!*aggregated) {
            err << "tabulo-cli: " << s.LedgerPath.string() << "\n";
            return std::nullopt;
        }
        s.MonthlyItemTable = table;
        doc = PrintSummaryTable(s, SummaryPrintTable(BuildSummaryGrid(s)), kSummaryCellCount);
    } else if (request.what == "item") {
        auto selection = SelectItemLines(s, request.number);
        if (!selection) return fail(selection.error());
        doc = PrintItemLedger(
            s, prompt,
            ItemLedgerPrintTable(selection->rows, selection->income, selection->expense),
            request.number);
    } else if (request.what == "assets") {
        auto reg = ReadYearRegister(s);
        if (!reg) return fail(reg.error());
        doc = PrintAssetRegister(s, *reg);
    } else if (request.what == "private-shares") {
        MonthlyTable table{};
        auto aggregated = AggregateForExport(s, prompt, table);
        if (!aggregated) return fail(aggregated.error());
        if (!*aggregated) {
            err << "tabulo-cli: " << s.LedgerPath.string() << "\n";
            return std::nullopt;
        }
        auto shares = LoadItemShares(ItemSharesPath(s));
        if (!shares) return fail(shares.error());
        auto split = SplitPrivateShares(s.ItemTable, table, *shares);
        if (!split) return fail(split.error());
        doc = PrintPrivateShares(s, *split);
    } else if (request.what == "journal" || request.what == "ledger") {
        auto printout = BooksPrintout(s, request);
        if (!printout) return fail(printout.error());
        doc = std::move(*printout);
    } else if (statement) {
        // The figures of the year's totals, as 集計 gives them to the statement screens,
        // with the stored values of SHINKOKU.DAT; the whole page, form and data, on A4.
        MonthlyTable table{};
        auto aggregated = AggregateForExport(s, prompt, table);
        if (!aggregated) return fail(aggregated.error());
        if (!*aggregated) {
            err << "tabulo-cli: " << s.LedgerPath.string() << "\n";
            return std::nullopt;
        }
        const std::filesystem::path file = StatementLayoutFile(request.number);
        auto layout = LoadFormLayout(file);
        if (!layout) return fail(layout.error());
        std::vector<SlotText> slots;
        if (request.number == 4) {
            // Page 4 comes from the double-entry books and the manufacturing figures.
            auto page4 = OpeningPage4(s);
            if (!page4) return fail(page4.error());
            slots = Page4Slots(*page4, s.FiscalYear);
        } else {
            // Page 1 (and page 2's figure 7) from the journal: the slips' amounts join
            // the year's totals.
            auto slips = YearSlipFigures(s);
            if (!slips) return fail(slips.error());
            // Pages 1 and 2 take the special deduction the year qualifies for, as the
            // screens offer it (figures typed on page 2 are kept).
            // Page 3 is filled from the fixed-asset register and the expenses are
            // split by their business shares, as on the screens.
            auto feed = ReadYearFeed(s);
            if (!feed) return fail(feed.error());
            auto offered = feed->Tables(s.TaxReturnData);
            if (!offered) return fail(offered.error());
            const MonthlyTable business = feed->Totals(s.ItemTable, table);
            OfferStoredDeduction(*offered, YearSpecialDeduction(s).limit, s.ItemTable, business,
                                 &*slips);
            slots = OpeningPageSlots(s.MasterHeader, s.ItemTable, business, *offered, s.FiscalYear,
                                     request.number, &*slips);
        }
        auto page = RenderStatementPage(*layout, slots, PrintOffsets{}, true,
                                        "申告書" + std::to_string(request.number) + "ページ",
                                        file.string());
        if (!page) return fail(page.error());
        doc = OnA4(*page);
    }
    status = ExitStatus::Ok;
    return doc;
}

}  // namespace

int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err) {
    auto year = ReadableYear::Open(request.folder);
    if (!year) return Refuse(err, year.error());
    err << year->Note(PrefersJapanese(ProcessEnvironment()));
    ExportRequest fromCopy = request;
    fromCopy.folder = year->Folder();
    std::ostringstream errors;
    const int status = ExportYear(fromCopy, year->DataFolder(), out, errors);
    err << year->Shown(errors.str());
    return status;
}

std::optional<PrintDocument> BuildPrintout(const PrintRequest& request, std::ostream& err,
                                           int& status) {
    status = ExitStatus::Refused;
    auto year = ReadableYear::Open(request.folder);
    if (!year) {
        Refuse(err, year.error());
        return std::nullopt;
    }
    err << year->Note(PrefersJapanese(ProcessEnvironment()));
    PrintRequest fromCopy = request;
    fromCopy.folder = year->Folder();
    std::ostringstream errors;
    auto doc = PrintYear(fromCopy, year->DataFolder(), errors, status);
    err << year->Shown(errors.str());
    return doc;
}

}  // namespace tabulo
