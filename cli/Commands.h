#pragma once
// The commands of tabulo-cli without Qt: check, export, and building a report's
// pages for print. Each returns the process's exit status and writes its output and
// messages to the streams it is given.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/Csv.h"
#include "platform/FileError.h"
#include "platform/PrintDocument.h"
#include "platform/Prompt.h"

namespace tabulo {

namespace ExitStatus {
inline constexpr int Ok = 0;
inline constexpr int Fault = 1;    // check found a fault
inline constexpr int Refused = 2;  // bad arguments, or a folder or file that cannot be read
}  // namespace ExitStatus

// The program's questions answered Yes (all pages at once); every other message
// goes to `err`, one line each.
class StreamPrompt : public Prompt {
  public:
    explicit StreamPrompt(std::ostream& err) : err_(err) {}
    int MsgBox(std::string_view text, int style, std::string_view title) override;
    void Beep() override {}

  private:
    std::ostream& err_;
};

// "tabulo-cli: " and the message of a failed file operation, on one or more lines.
std::string CliErrorText(const FileError& e);

// Whether `output` may be written by a command that read `dataFolder`: never into
// the data folder or a folder beneath it (however the path is spelt: "..", links,
// another case), never over one of its files (a hard link elsewhere included), never
// through a symbolic link or onto anything but a regular file, and over an existing
// file only with `force`. The refusal names the output file.
Status CheckOutputPath(const std::filesystem::path& output,
                       const std::filesystem::path& dataFolder, bool force);

// Faults go to `err` with the count, and the status is Fault; with none the check is
// silent unless `verbose`, when the result and any notes go to `out`.
int RunCheck(const std::filesystem::path& folder, std::ostream& out, std::ostream& err,
             bool verbose = false, bool japanese = true);

struct ExportRequest {
    std::string what;  // ledger, summary, item, deposits, journal, trial-balance
    int item = 0;      // for item: 1..50
    std::string format = "csv";  // journal: csv or hledger
    std::filesystem::path folder;
    std::filesystem::path output;  // empty: standard output
    CsvEncoding encoding = CsvEncoding::Cp932;
    bool force = false;  // an existing output file may be replaced
    // consumption-tax: the method (2wari, kani, gensoku, 3wari; empty: the year's
    // settings) and the 簡易課税 class of sales without their own (0: the settings').
    std::string method;
    int businessClass = 0;
};
int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err);

// The reports print knows, and the numbers each takes.
struct PrintRequest {
    std::string what;  // month, income, summary, item, statement, journal, ledger
    int number = 0;    // month 1..12, item 1..50, statement page 1..3
    std::filesystem::path folder;
    std::filesystem::path output;
    bool force = false;  // an existing output file may be replaced
    std::string account;  // ledger: the account by its code or its name
};
// The report's pages as the window's printout draws them; nullopt with the reason
// written to `err` (and the exit status in `status`) when there is nothing to print.
std::optional<PrintDocument> BuildPrintout(const PrintRequest& request, std::ostream& err,
                                           int& status);

}  // namespace tabulo
