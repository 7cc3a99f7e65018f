#pragma once
// The command line of tabulo-cli read into a request. The grammar is three commands
// of a few words each and two options that take a value, so it is read here, without
// Qt, where the tests can reach it; see the help text for the words.

#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace tabulo {

struct CliRequest {
    enum Kind { Help, Version, Check, Export, Print, Restore } kind = Help;
    std::filesystem::path folder;  // check, restore
    std::filesystem::path copy;    // restore
    ExportRequest exportRequest;
    PrintRequest printRequest;
};

struct ParsedArguments {
    std::optional<CliRequest> request;
    std::string error;  // why the arguments were refused (Japanese / English)
};

// `args` without the program name. Options may stand anywhere: -o FILE, -oFILE,
// --output FILE, --output=FILE, --encoding cp932|utf-8, -h/--help, -v/--version;
// "--" ends the options.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// The help text, in Japanese and English.
const char* HelpText();

}  // namespace tabulo
