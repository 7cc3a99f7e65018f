#pragma once
// A data folder read as the program reads it, without writing a byte: the fiscal
// year, the master, the tax-return inputs, the ledger header and the deposit book
// go into a SharedState. Where the program's read would change the folder (an empty
// ledger file is removed, a missing deposit file is created) the folder is left as
// it is and the tables take what the program would have made of it.

#include <filesystem>
#include <string>

#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// The rollback journal that an interrupted cash-book operation leaves beside the
// ledger. The program rolls it back when it reads the data; the command line only
// reports it, since it never writes.
std::filesystem::path LedgerJournalPath(const SharedState& s);
inline constexpr const char* kJournalMessage =
    "中断された操作のジャーナルがあります。プログラムでデータを読み込むと、その操作は取り消されます"
    "。";
// What the program's read will do with the journal present, said as the report's
// text: undo the operation, write the operations a log holds into the files, set
// aside one that does not match the files, or remove a damaged one.
std::string JournalMessage(const SharedState& s);

// The folder holding DATE.DAT: `folder` itself, or its KEIRIDATA subfolder when
// only that holds one.
std::filesystem::path YearFolderOf(const std::filesystem::path& folder);

// The steps of the read, each leaving the folder as it is:
// the folder, DATE.DAT, the year's paths and MASTER.DAT;
Status OpenYearFolder(SharedState& s, const std::filesystem::path& folder);
bool JournalPresent(const SharedState& s);
// the ledger header (an empty or missing ledger is a year without lines);
Status ReadLedgerHeaderOnly(SharedState& s);
// the deposit book (a missing one is the cleared book the program would create).
Status ReadDepositBookOnly(SharedState& s);

// Reads the year of `folder`. `withTaxReturn` also reads SHINKOKU.DAT. A missing
// folder, a folder without a fiscal year, a file that does not follow its layout
// and a present journal are errors naming the file.
Status LoadYearFolder(SharedState& s, const std::filesystem::path& folder, bool withTaxReturn);

}  // namespace tabulo
