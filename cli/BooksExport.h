#pragma once
// The double-entry books of a year for other programs: the journal as CSV or as a
// plain-text journal that hledger and ledger read, and the trial balance as CSV.

#include <string>

#include "books/TrialBalance.h"
#include "cli/Csv.h"
#include "platform/PrintDocument.h"

namespace tabulo {

struct ExportRequest;
struct PrintRequest;

// What the books of a year are made of, read without writing a byte.
struct YearBooks {
    SlipBook book;
    ItemAccountArray accounts{};
};
Result<YearBooks> LoadYearBooks(const SharedState& s);

// The account as a ledger tool names it: its column, a colon, its name
// ("資産:現金", "費用:消耗品費").
std::string LedgerAccountName(int code, const ItemTableArray& items);

// The journal in hledger's plain-text form, UTF-8, LF: the opening balances as one
// transaction dated 1 January, then every entry with its date, the item or 振替伝票 as
// its description, the remarks and where it came from in a comment, and two postings
// in yen ("1000 円", the commodity after the amount). An undated or impossible date is
// an error that names the line or the slip.
Result<std::string> HledgerJournal(const SharedState& s, const YearBooks& books,
                                   const std::vector<BookEntry>& journal);

// 日付, 借方コード, 借方科目, 貸方コード, 貸方科目, 金額, 摘要, 出所, 番号, 項目: the
// opening balances first (出所 期首残高, the other side empty), then every entry.
Result<CsvRows> JournalCsv(const SharedState& s, const YearBooks& books,
                           const std::vector<BookEntry>& journal);

// コード, 勘定科目, 区分, 期首残高, 借方, 貸方, 期末残高 for every account with a figure,
// balances with the debit side positive, and the 合計 row.
CsvRows TrialBalanceCsv(const SharedState& s, const TrialBalance& tb);

// print journal and print ledger ACCOUNT: the pages the window's book screens print.
// An account that the chart does not name is refused.
Result<PrintDocument> BooksPrintout(const SharedState& s, const PrintRequest& request);

// The bytes of export journal (CSV or hledger) and export trial-balance (CSV), from
// the year read into `s` and its books files.
Result<std::vector<std::byte>> BooksExportBytes(const ExportRequest& request,
                                                const SharedState& s);

}  // namespace tabulo
