#pragma once
// The files of a year's books, in one list: each file's name, whether it is one per
// year (KEIRI13.DAT for 令和13年) or one that every year shares (MASTER.DAT), and
// whether a copy of the year (an automatic copy, a restore, the data disk's backup)
// carries it. Every reader that builds a path, every copier that chooses files and the
// README's list of files follow this list; nothing else spells a year file's name.
//
// A per-year name is the stem, the two-digit tag of the year and the extension
// ("KEIRI" + "13" + ".DAT"); a shared name is the stem and the extension.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tabulo {

enum class YearFileKind {
    FiscalYear,      // DATE.DAT: the fiscal year and its era
    Master,          // MASTER.DAT: the business, the 50 items and the settings
    TaxReturn,       // SHINKOKU.DAT: the statement's typed figures
    ItemAccounts,    // KAMOKU.DAT: the account each item posts to
    Ledger,          // KEIRI<nn>.DAT: the cash book
    LedgerSecond,    // KEIRI<nn>.DA2: the second part of an older, larger cash book
    DepositBook,     // YOKIN<nn>.DAT: the deposit accounts and their books
    SlipBook,        // FURIKAE<nn>.DAT: the slips and the opening balances
    CostOfGoods,     // SEIZO<nn>.DAT: the manufacturing cost and year-end entries
    History,         // RIREKI<nn>.DAT: the history of every change
    Assets,          // SHISAN<nn>.DAT: the fixed-asset register
    PrivateShares,   // ANBUN<nn>.DAT: the business shares of the items
    ConsumptionTax,  // SHOHIZEI<nn>.DAT: the year's consumption-tax settings
    RedoLog,         // KEIRI<nn>.JNL: operations done but not yet written in place
};

struct YearFile {
    YearFileKind kind;
    const char* stem;       // "KEIRI"
    const char* extension;  // "DAT"
    bool perYear;           // the name carries the year's two digits
    bool copied;            // copies of the year carry it (the redo log they do not:
                            // between operations it holds nothing that counts)
};

// Every file of the books, in the order above.
std::span<const YearFile> AllYearFiles();
const YearFile& YearFileOf(YearFileKind kind);

// The two-digit tag of the year in the file names ("09", "13").
std::string YearTag(int fiscalYear);
// The file's name for the year (the year is ignored for a shared file).
std::string YearFileName(YearFileKind kind, int fiscalYear);
std::filesystem::path YearFilePath(const std::filesystem::path& folder, YearFileKind kind,
                                   int fiscalYear);

// Which file of the books a name in a data folder is ("RIREKI13.DAT" -> History, with
// the tag "13"; a shared file has an empty tag); nothing for any other name.
struct NamedYearFile {
    YearFileKind kind;
    std::string tag;
};
std::optional<NamedYearFile> YearFileOfName(std::string_view name);
// Whether a copy of the year carries the file of this name.
bool IsCopiedYearFile(std::string_view name);

}  // namespace tabulo
