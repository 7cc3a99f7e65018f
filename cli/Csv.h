#pragma once
// The year's books as CSV files for a spreadsheet: a header row, CR LF line ends,
// CP932 (what a Japanese spreadsheet opens directly) or UTF-8 with a byte-order mark
// (which spreadsheets on Linux recognise), amounts as plain integers. The window's CSV menu entry and the command line write the same files.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/SharedState.h"

namespace tabulo {

class Prompt;

enum class CsvEncoding { Cp932, Utf8 };

using CsvRows = std::vector<std::vector<std::string>>;

// Rows as CSV bytes: a field holding a comma, a double quote, a line end or a blank
// at either end is quoted, with its quotes doubled. A text with no CP932 form is an
// error when writing CP932.
Result<std::vector<std::byte>> EncodeCsv(const CsvRows& rows, CsvEncoding encoding);

// Every line of the ledger: 行, 年月日 (the Western date, YYYY-MM-DD), 曜日, 項目,
// 項目名, 区分, 区分名, 収入, 支出, 残高, 備考.
Result<CsvRows> LedgerCsv(const SharedState& s);
// The ledger's lines of item `item` (1..50), in the same columns.
Result<CsvRows> ItemCsv(const SharedState& s, int item);
// The aggregation of 集計: items 1..50 with their names, the 合計 row, and the 14
// columns January..June, 中間集計, July..December, 年間集計. `table` is
// MonthlyItemTable as the aggregation computed it.
CsvRows SummaryCsv(const SharedState& s, const MonthlyTable& table);
// Accounts 1..20 and the totals row as the deposit book stores them.
CsvRows DepositsCsv(const SharedState& s);

// The aggregation as 集計 computes it from the ledger as it stands: the date check
// first (each message through `prompt`, then the refusal; false), then the table.
// The balances are not recalculated: the table does not depend on them.
Result<bool> AggregateForExport(SharedState& s, Prompt& prompt, MonthlyTable& table);

// The files the window's CSV entry writes into a folder.
inline constexpr const char* kLedgerCsvName = "出納簿.csv";
inline constexpr const char* kSummaryCsvName = "月別集計表.csv";
inline constexpr const char* kDepositsCsvName = "預金.csv";
// Writes the three files (ledger, summary, deposits) into `folder`, each whole or
// not at all. False (with the messages shown) when the date check refused the
// summary; nothing is written then.
Result<bool> WriteCsvFolder(SharedState& s, Prompt& prompt, const std::filesystem::path& folder,
                            CsvEncoding encoding);

}  // namespace tabulo
