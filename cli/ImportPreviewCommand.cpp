#include "cli/ImportPreviewCommand.h"

#include <cstdio>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "cli/Commands.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "platform/AtomicFile.h"
#include "platform/Drives.h"
#include "statements/Import.h"
#include "statements/Preview.h"
#include "statements/PreviewRows.h"
#include "statements/Profile.h"
#include "statements/Rules.h"
#include "statements/StatementReader.h"
#include "statements/StatementText.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

using namespace statements;

std::vector<std::filesystem::path> StatementLayoutFolders() {
    std::vector<std::filesystem::path> out{ProgramFolderPath(ProcessEnvironment()) / "TORIKOMI"};
    for (const char* shipped : {TABULO_BUILD_SHIPPED_DIR, TABULO_INSTALL_SHIPPED_DIR})
        out.push_back(std::filesystem::path(shipped) / "TORIKOMI");
    return out;
}

namespace {

// The layouts by name: a user's own layout of a name hides the shipped one.
std::vector<Profile> AllLayouts(std::ostream& err) {
    std::vector<Profile> out;
    std::set<std::string> names;
    for (const auto& folder : StatementLayoutFolders()) {
        std::vector<FileError> faults;
        for (Profile& p : LoadProfiles(folder.string(), &faults))
            if (names.insert(p.name).second) out.push_back(std::move(p));
        for (const FileError& f : faults) err << CliErrorText(f);
    }
    return out;
}

int Refused(std::ostream& err, const std::string& text) {
    err << "tabulo-cli: " << text << "\n";
    return ExitStatus::Refused;
}

std::string Table(const std::vector<PreviewRow>& rows) {
    std::string out = "状態    日付              入金        出金  項目・科目  摘要\n";
    char buf[96];
    for (const PreviewRow& r : rows) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d  %10s  %10s  ", r.row.date.year,
                      r.row.date.month, r.row.date.day,
                      r.row.in ? FormatAmount(r.row.in, true).c_str() : "",
                      r.row.out ? FormatAmount(r.row.out, true).c_str() : "");
        std::string state = RowStateName(r.state);
        state += std::string(static_cast<std::size_t>(std::max(0, 8 - Cp932Width(state))), ' ');
        out += state + buf + (r.target.empty() ? std::string("-") : r.target) + "  " +
               r.row.description + "\n";
    }
    return out;
}

int PreviewYear(const ImportPreviewRequest& q, std::ostream& out, std::ostream& err) {
    SharedState s;
    if (Status st = LoadYearFolder(s, q.folder, false); !st) {
        err << CliErrorText(st.error());
        return ExitStatus::Refused;
    }
    auto bytes = ReadWholeFile(q.file, kMaxStatementFileSize);
    if (!bytes) {
        err << CliErrorText(bytes.error());
        return ExitStatus::Refused;
    }
    auto decoded = DecodeStatement(*bytes, q.file.string());
    if (!decoded) {
        err << CliErrorText(decoded.error());
        return ExitStatus::Refused;
    }
    const std::vector<Profile> layouts = AllLayouts(err);
    const Profile* layout = nullptr;
    if (!q.profile.empty()) {
        for (const Profile& p : layouts)
            if (p.name == q.profile) layout = &p;
        if (!layout) return Refused(err, "取り込み設定がありません: " + q.profile);
    } else {
        auto found = RecogniseProfiles(layouts, decoded->text);
        if (found.empty())
            return Refused(err, q.file.string() +
                                    ": どの取り込み設定の見出しとも合いません。--profile で設定を選んでください。");
        layout = found.front();
    }
    const bool bank = layout->kind == StatementKind::Bank;
    if (bank && q.account == 0)
        return Refused(err, "銀行の明細には --account N で預金口座を選んでください。");
    if (!bank && q.card.empty())
        return Refused(err, "カードの明細には --card NAME でカードを選んでください。");
    if (bank && IsBlank(s.DepositBook.AccountNo[static_cast<std::size_t>(q.account)]))
        return Refused(err, "預金口座 " + std::to_string(q.account) + " はありません。");
    auto read = ReadStatement(*layout, decoded->text, q.file.string());
    if (!read) {
        err << CliErrorText(read.error());
        return ExitStatus::Refused;
    }
    ImportTarget target{layout->kind, q.account, q.card};
    // The rules and last choices the window keeps in the program folder.
    RuleBook rules;
    if (auto kept = LoadRuleBook((ProgramFolderPath(ProcessEnvironment()) / "TORIKOMI").string()))
        rules = std::move(*kept);
    else
        err << CliErrorText(kept.error());
    auto preview = PreviewImport(s, target, read->rows, ChoicesFor(rules, layout->kind));
    if (!preview) {
        err << CliErrorText(preview.error());
        return ExitStatus::Refused;
    }
    std::vector<PreviewRow> rows;
    for (const PreviewLine& p : *preview)
        rows.push_back({p.state, p.row, ChoiceName(s, layout->kind, p.assigned.target)});
    err << "取り込み設定: " << layout->name << "（" << EncodingName(decoded->encoding) << "）\n";
    if (!q.csv) {
        out << Table(rows);
        return ExitStatus::Ok;
    }
    const std::string csv = PreviewCsv(rows);
    if (q.encoding == CsvEncoding::Cp932) {
        std::string lines;
        for (char c : csv) {
            if (c == '\n') lines += '\r';
            lines += c;
        }
        auto cp = ToCp932(lines);
        if (!cp) return Refused(err, "Shift-JIS（CP932）で書けない文字があります。--encoding utf-8 を使ってください。");
        out << *cp;
    } else {
        out << csv;
    }
    return ExitStatus::Ok;
}

}  // namespace

int RunImportPreview(const ImportPreviewRequest& request, std::ostream& out, std::ostream& err) {
    // A year with operations not yet written into its files is read from a copy with
    // them applied; the data folder is never written.
    auto year = ReadableYear::Open(request.folder);
    if (!year) {
        err << CliErrorText(year.error());
        return ExitStatus::Refused;
    }
    err << year->Note(true);
    ImportPreviewRequest fromCopy = request;
    fromCopy.folder = year->Folder();
    std::ostringstream errors;
    const int status = PreviewYear(fromCopy, out, errors);
    err << year->Shown(errors.str());
    return status;
}

}  // namespace tabulo
