#pragma once
// The command line of tabulo-cli read into a request. The grammar is three commands
// of a few words each and two options that take a value, so it is read here, without
// Qt, where the tests can reach it; see the help text for the words.

#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/HistoryCommand.h"
#include "cli/ImportPreviewCommand.h"
#include "cli/SearchCommand.h"

namespace tabulo {

struct CliRequest {
    enum Kind { Help, Version, Check, Export, Print, Restore, Search, History, ImportPreview } kind = Help;
    std::filesystem::path folder;  // check, restore; empty: the default data folder
    std::filesystem::path copy;    // restore
    bool verbose = false;          // -v: check reports on success too
    std::string helpTopic;         // help COMMAND: check, export or print
    ExportRequest exportRequest;
    PrintRequest printRequest;
    SearchRequest searchRequest;
    HistoryRequest historyRequest;
    ImportPreviewRequest importPreviewRequest;
};

struct ParsedArguments {
    std::optional<CliRequest> request;
    std::string error;  // why the arguments were refused (Japanese / English)
    std::string errorJa = {}, errorEn = {};  // the same in one language each
};

// `args` without the program name. Options may stand anywhere: -o FILE, -oFILE,
// --output FILE, --output=FILE, --force, --encoding cp932|utf-8, -v/--verbose, -h/--help,
// -V/--version; search's conditions --from, --to, --min, --max, --amount, --text,
// --account, --item (each VALUE, or =VALUE) and --format table|csv; history's --line N,
// --from and --to; "--" ends the options. `help [COMMAND]` is --help. The data folder
// may be left out (the default data folder).
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// The help text in Japanese or English: all of it, or one command's part (check,
// export, print, restore, search, history; empty: all).
std::string HelpText(bool japanese, const std::string& topic = {});
// The help of a refusal in one language.
const std::string& RefusalIn(const ParsedArguments& parsed, bool japanese);

}  // namespace tabulo
