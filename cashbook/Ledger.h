#pragma once
// The cash book's ledger operations: posting an amount with its running balance,
// the two recalculations, line insert and delete, the single-field writes of the
// entry screen, paging and the date search. Each operation opens the ledger file,
// works out every change first and commits once through the redo log, so an
// operation that fails (an overflow, a refused insert, a file error, a kill) leaves
// the files as they were. The operations that change entries take the list where
// their step for 元に戻す goes (the screen's); without one they keep no step.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "store/Records.h"
#include "store/UndoLists.h"

namespace tabulo {

struct SharedState;

inline constexpr int kRowsPerPage = 10;
inline constexpr const char* kCapacityMessage =
    "データ件数の上限に達しているため挿入できません！！";

// ---- Paging ----
// The page that holds the next free line, Int(LineCount/10)+1, never beyond PageLimit.
int LastPage(int lineCount, int pageLimit);
// Line number of row 1..10 of a page.
int LineOfRow(int page, int row);
// The page that shows line n.
int PageOfLine(int line);
// Typing is allowed up to LineCount + 2, so at most one line is ever skipped.
bool MayTypeOnLine(int line, int lineCount);
// The number of lines the year may hold (settings line 2).
int LineCapacity(const SharedState& s);

// Characters 3-4 of the trimmed date; "" for a blank date.
std::string MonthOf(std::string_view nenGetsuBi);

// What a screen row holds besides its amounts.
struct RowFields {
    std::string date;   // YYMMDD as typed
    std::string youbi;  // "（月）"
    int itemNo = 0;
    std::string bikou;
};

// The account of a deposit row whose amount is posted (kubun 2, 3, 5 or 6).
struct DepositChange {
    int kubun = 0;
    int account = 0;  // 1..20; anything else corrects nothing
    Amount oldAmount = 0;
};

// Posts `amount` on line `line` (side 1 income, else expense) with the row's fields,
// recomputes the balances from that line to the end and writes the header with the
// new ClosingBalance. With `deposit`, the account is corrected and the deposit file
// written in the same journalled commit: both files change or neither does, and the
// shared state keeps what the files hold.
Status PostAmount(SharedState& s, int line, int side, Amount amount, std::string_view month,
                  const RowFields& row, const DepositChange* deposit = nullptr,
                  CashBookUndoList* undo = nullptr);

// Recomputes from the line before `currentPage` to the end of the ledger.
Status RecalculateFromPage(SharedState& s, int currentPage);
// Recomputes every line from line 1 (line 1 from OpeningBalance).
Status RecalculateAll(SharedState& s);

// The balance RecalculateAll gives each line, one line at a time from line 1 in file
// order, without touching the file: the balance restarts on the first dated line of
// a new month. An overflow is an error.
class ReferenceBalance {
public:
    ReferenceBalance(const LedgerHeaderRecord& header, const ItemTableArray& items);
    Result<Amount> Next(int n, const LedgerLine& line);
    // Goes on from `balance` (a line's stored balance) instead of the one computed.
    void ContinueFrom(Amount balance) { balance_ = balance; }
    // The same from the fields the rule reads: the numbers and the date text.
    Result<Amount> Next(int n, const RawLineFields& fields, std::string_view date);

private:
    const LedgerHeaderRecord& header_;
    std::array<bool, kItemCount + 1> cash_{};  // items whose lines move the cash balance
    std::uint32_t month_ = 0;  // the month as the balance rules compare it, packed
    Amount balance_ = 0;
};

enum class InsertOutcome { Inserted, CapacityFull };
// Inserts a blank line at `line` (1..LineCount) and recomputes everything. Refused
// with CapacityFull when the ledger already holds the line capacity of the settings.
Result<InsertOutcome> InsertLine(SharedState& s, int line, CashBookUndoList* undo = nullptr);
// Deletes line `line` (1..LineCount) and recomputes everything. For a deposit line,
// `account` (1..20) is the account that gets the amount back (0 skips that), in the
// same commit as the ledger.
Status DeleteLine(SharedState& s, int line, int account, CashBookUndoList* undo = nullptr);

// Writes a valid date on a line; a line beyond LineCount raises LineCount (a skipped
// line before it is written blank) and writes the header.
Status WriteLineDate(SharedState& s, int line, std::string_view date, std::string_view youbi,
                     CashBookUndoList* undo = nullptr);
// Writes the item number of an existing line (nothing for a line beyond LineCount).
Status WriteLineItem(SharedState& s, int line, int itemNo, CashBookUndoList* undo = nullptr);
// Writes the remarks of an existing line, cut to 16 bytes.
Status WriteLineRemarks(SharedState& s, int line, std::string_view bikou,
                        CashBookUndoList* undo = nullptr);
// Writes date, item, weekday and remarks of the page's rows that hold lines;
// amounts and balances stay as stored.
Status SavePage(SharedState& s, int page, const std::array<RowFields, kRowsPerPage>& rows,
                CashBookUndoList* undo = nullptr);

// Lines of a page; rows beyond LineCount are empty.
Result<std::array<std::optional<LedgerLine>, kRowsPerPage>> ReadPage(const SharedState& s,
                                                                      int page);
Result<LedgerLine> ReadLedgerLineAt(const SharedState& s, int line);

// The end of entry: totals over every line and the header written.
Status FinishEntry(SharedState& s);

// The page of the first line on or after `date` (compared as text); nullopt for an
// empty date.
Result<std::optional<int>> SearchPage(const SharedState& s, std::string_view date);

}  // namespace tabulo
