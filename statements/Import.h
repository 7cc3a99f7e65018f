#pragma once
// Taking a downloaded statement's rows into the year's books, and the preview that
// comes before it. A bank row becomes a cash-book line of category 3 (money in) or 6
// (money out) on the statement's deposit account, placed in date order among the
// year's lines, with the account moved as typing the line would move it; a card row
// becomes a transfer slip between the expense's account and 未払金. The whole import
// is one operation: one commit of the redo log holding the books, the history records
// of every line or slip and the record of which rows were taken
// (store/ImportedRows.h), undone whole by UndoImport.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "statements/Preview.h"
#include "statements/Profile.h"
#include "statements/StatementReader.h"
#include "statements/StatementText.h"
#include "store/History.h"

namespace tabulo {
struct SharedState;
}

namespace tabulo::statements {

// The account a card's rows are owed on until the card is paid: 未払金.
inline constexpr int kCardPayableAccount = 204;

// What a statement belongs to: one of the deposit book's accounts, or a card.
struct ImportTarget {
    StatementKind kind = StatementKind::Bank;
    int account = 0;   // a bank statement's deposit account, 1..20
    std::string card;  // a card statement's card, by the name the user gives it
    // The name the rows' fingerprints and the history carry: "口座3", "カード楽天".
    std::string Name() const;
};

// The rules and last choices that give a row its item (a bank row) or account (a
// card row) before the user changes it.
struct ImportChoices {
    std::vector<ImportRule> rules;
    std::map<std::string, int> lastChoice;  // MatchKey of a description -> item or account
};

// One row of the preview.
struct PreviewLine {
    StatementRow row;
    RowKey key;
    RowState state = RowState::New;
    Assignment assigned;  // the item or account a rule or the last choice gives
    bool ticked = false;  // taken by the import: new rows start ticked, the others not
};

// The layouts of `folders`, the first folder's layout of a name hiding a later one's
// (the user's own before the shipped ones). A file that does not read is left out and
// its error added to `faults`.
std::vector<Profile> LoadLayouts(const std::vector<std::filesystem::path>& folders,
                                 std::vector<FileError>* faults);

// A downloaded statement read whole: how it was encoded, the layout it was read by,
// and its rows.
struct OpenedStatement {
    StatementEncoding encoding = StatementEncoding::Utf8;
    Profile layout;
    StatementRead read;
};
// Reads the statement at `path` by the layout named `layoutName`, or (when empty) by
// the layout its header lines fit best. A file too large, one that does not decode,
// one no layout fits, an unknown name or a line the layout refuses is an error that
// says which, naming the file (and the line).
Result<OpenedStatement> OpenStatement(const std::filesystem::path& path, const std::vector<Profile>& layouts,
                                      const std::string& layoutName);

// The name of a row's item (a bank statement) or account (a card's): "" for none.
std::string ChoiceName(const SharedState& s, StatementKind kind, int target);

// The fiscal year's Western year (2026 for 令和8), 0 when the era is unknown.
int FiscalWesternYear(const SharedState& s);

// The preview of `rows` (read by the statement's layout) against the year's books:
// each row's key, its state (imported before, found in the history; unsure beside a
// line of the books with the same date and amount that no import accounts for; of
// another year; else new) and what the choices give it.
Result<std::vector<PreviewLine>> PreviewImport(const SharedState& s, const ImportTarget& target,
                                               const std::vector<StatementRow>& rows,
                                               const ImportChoices& choices);

// A row to take: the statement's row, its key, the item (bank) or account (card), and
// the remarks the line or slip gets ("" : the row's description).
struct ImportRow {
    StatementRow row;
    RowKey key;
    int target = 0;
    std::string remarks;
};
// The ticked rows of a preview that may be taken (new or unsure), with their items.
std::vector<ImportRow> TickedRows(const std::vector<PreviewLine>& preview);

// What UndoImport needs of an import of this run: the files as the import found and
// left them, and the history records it appended.
struct ImportUndoStep {
    std::filesystem::path ledgerPath;  // the year's cash book (names the year)
    StatementKind kind = StatementKind::Bank;
    std::vector<std::byte> ledgerBefore, ledgerAfter;
    int account = 0;
    std::vector<std::byte> accountBefore, accountAfter;  // DepositAccountBytes
    std::filesystem::path slipPath;
    std::vector<std::byte> slipsBefore, slipsAfter;
    std::vector<HistoryRecord> records;  // numbered as appended
    int taken = 0;
};

struct ImportOutcome {
    int taken = 0;        // lines or slips written
    int alreadyIn = 0;    // rows left out because an earlier import took them
    int firstLine = 0;    // the first cash-book line written (0: none)
    ImportUndoStep undo;  // meaningful when taken > 0
};

// Takes `rows` into the books. Rows an earlier import of the same statement took
// (their key in the history), and a row given twice, are left out and counted. The
// rest are checked first, and one that cannot be taken refuses the whole import with
// its line of the file and the reason (another year, no amount or two, an item that is
// not of category 3 or 6 for its side, an account the slip cannot use, a description
// without a Shift-JIS form, the line capacity passed, an amount beyond 32 bits);
// nothing is written then. A failure while writing leaves every file as it was.
Result<ImportOutcome> ImportRows(SharedState& s, const ImportTarget& target,
                                 const std::vector<ImportRow>& rows);

struct ImportUndoOutcome {
    bool undone = false;
    std::string refusal;  // why not, in words for the user
};
// 元に戻す for an import of this run: the books get back exactly what they held
// before it, and the history records the undo, each record naming the one it undoes.
// Refused (nothing written) when the cash book's entries, the deposit account or the
// slip book have changed since the import.
Result<ImportUndoOutcome> UndoImport(SharedState& s, const ImportUndoStep& step);

}  // namespace tabulo::statements
