#pragma once
// The import's rules and the choices the user made last, kept in the program folder
// beside the user's own layouts (TORIKOMI/), so that every year and every data disk
// shares them.
//
// RULES.TXT (UTF-8, one rule a line, fields separated by a tab; a line starting with
// # is a note, an empty line is nothing):
//   bank<TAB>TEXT<TAB>ITEM<TAB>REMARKS     a bank row whose description contains TEXT
//                                          takes item ITEM (1..50)
//   card<TAB>TEXT<TAB>ACCOUNT<TAB>REMARKS  a card row: account ACCOUNT (a code of the
//                                          chart of accounts)
// REMARKS may be empty (the line or slip then keeps the description). The first rule
// that fits a row wins.
// CHOICES.TXT (the same form): bank|card<TAB>DESCRIPTION<TAB>ITEM|ACCOUNT, the item or
// account taken last for a description (compared as MatchKey compares).

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"
#include "statements/Import.h"

namespace tabulo::statements {

struct RuleBook {
    std::vector<ImportRule> bank, card;
    std::map<std::string, int> bankChoices, cardChoices;  // MatchKey -> item or account
    bool operator==(const RuleBook&) const = default;
};

inline constexpr const char* kRulesFileName = "RULES.TXT";
inline constexpr const char* kChoicesFileName = "CHOICES.TXT";

// Reads the two files' texts; an error names the file and the line.
Result<RuleBook> ParseRuleBook(std::string_view rules, std::string_view choices);
std::string FormatRules(const RuleBook& book);
std::string FormatChoices(const RuleBook& book);

// Why a rule cannot be kept ("" when it can): no text, an item that is not 1..50 (a
// bank rule), an account the chart has not (a card rule), text that holds a tab or a
// line end.
std::string RuleFault(const ImportRule& rule, StatementKind kind);

// The files of `folder` (missing files: no rules, no choices).
Result<RuleBook> LoadRuleBook(const std::string& folder);
// Writes both files whole (written beside, flushed, renamed).
Status SaveRuleBook(const std::string& folder, const RuleBook& book);

// What the preview of a statement of `kind` applies.
ImportChoices ChoicesFor(const RuleBook& book, StatementKind kind);
// Remembers the item or account each imported row took, for its description.
void RememberChoices(RuleBook& book, StatementKind kind, const std::vector<ImportRow>& taken);
// A rule made from a row's choice: the row's description (trimmed) → its item or
// account and remarks; it goes first, so that it wins over older rules, and replaces
// a rule of the same text.
void KeepAsRule(RuleBook& book, StatementKind kind, const ImportRule& rule);

}  // namespace tabulo::statements
