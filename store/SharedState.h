#pragma once
// Everything that more than one form uses, for the whole run. The application owns
// one instance and hands it to every form; a test builds a fresh one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/Records.h"

namespace tabulo {

inline constexpr const char* LineBreak = "\r\n";

// Per item and month totals: rows 1..50 items, 51 the net line; columns 1..6
// January..June, 7 the half-year, 8..13 July..December, 14 the year.
using MonthlyTable = std::array<std::array<Amount, 15>, 52>;

// A file as the system last saw it: which file it is, its length and when its bytes
// or its entry last changed. A file written by anyone since has another stamp; a file
// that could not be looked at has none (`length` -1).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t length = -1;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    bool present() const { return length >= 0; }
    bool operator==(const FileStamp&) const = default;
};

// What the cash book knows of the running balances of the ledger file it last wrote
// or walked whole: the file as it was then, the opening balance, line count and item
// categories the balances were worked out with, and how many lines from line 1 hold
// the balance that the full recalculation gives them. Anything else (the file written
// behind the program's back, another year, another item table) and nothing is known:
// the next page change walks the whole year again.
struct LedgerBalanceMark {
    bool known = false;
    FileStamp stamp;
    std::filesystem::path path;
    Amount openingBalance = 0;
    int lineCount = 0;
    std::array<bool, kItemCount + 1> cashItems{};  // items whose lines move the cash balance
    int holdsThrough = 0;
};

struct SharedState {
    // Program folder (with the settings file, drives/, FORM/, help) and environment.
    std::filesystem::path ProgramFolder;
    std::array<std::string, 9> SetupLines;  // lines 1..8; index 0 unused
    std::int16_t PageLimit = 200;

    // The fiscal year and the paths formed from it.
    std::int16_t FiscalYear = 0;
    std::string EraName;
    std::int16_t FiscalYearSpare = 0;
    std::filesystem::path DataFolder;
    std::string DataFolderDisplay;  // "A:\KEIRIDATA" on a letter drive, else the real path
    std::filesystem::path FiscalYearPath;
    std::filesystem::path MasterPath;
    std::filesystem::path TaxReturnPath;
    std::filesystem::path LedgerPath;
    std::filesystem::path DepositPath;

    // The year's tables.
    MasterHeaderArray MasterHeader;
    std::string ReportTitleName;
    ItemTableArray ItemTable;
    ItemTableArray ItemTableEdit;
    std::array<std::string, 8> KubunNames;
    LedgerHeaderRecord LedgerHeader;
    LedgerBalanceMark BalanceMark;  // kept by the cash book's operations
    DepositBookRecord DepositBook;
    TaxReturnTables TaxReturnData;
    MonthlyTable MonthlyItemTable{};

    // Flags of the run.
    std::int16_t ErrorFlag = 0;
    std::int16_t DataLoaded = 0;
    int OffsetOnlyMode = 0;    // -1 while a statement page opens the print-position form

    // The year was read by a tool that never writes (the command line): the ledger is
    // opened for reading only, and nothing is created, removed or rolled back.
    bool ReadOnly = false;
    // The clock the year's history stamps its records with ("YYYYMMDDhhmmss", local
    // time); empty: the system's clock.
    std::function<std::string()> HistoryClock;
    // Whether the cash book's operations append their records to the year's history.
    // Always on in the program; off only where a benchmark measures what recording costs.
    bool RecordsCashBookHistory = true;
};

}  // namespace tabulo
