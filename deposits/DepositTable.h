#pragma once
// The deposit book's rules without the screen: the cell texts of the 20 accounts,
// what a committed cell keeps, the two totals, the record that 終了 stores (with the
// decision to ask about the carry-over total) and the entries of the account chooser.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Records.h"

namespace tabulo {

// Grid columns of the deposit book.
namespace DepositColumn {
inline constexpr int No = 0;
inline constexpr int Name = 1;
inline constexpr int AccountNo = 2;
inline constexpr int Carried = 3;
inline constexpr int Current = 4;
inline constexpr int Maturity = 5;
inline constexpr int Count = 6;
}  // namespace DepositColumn

inline constexpr int kAccountNameBytes = 18;
inline constexpr int kAccountNoWidth = 14;
inline constexpr int kMaturityWidth = 10;
inline constexpr int kAmountCellWidth = 11;

// Messages of refused amounts (title "エラー確認", OK with the warning icon).
inline constexpr const char* kAmountTooLargeMessage =
    "入力された金額が大きすぎます！（-2,147,483,648 から 2,147,483,647 まで）";
inline constexpr const char* kTotalTooLargeMessage = "預金額の合計が大きすぎるため計算できません！";

// An account exists when its number is neither empty nor blank.
bool AccountExists(std::string_view accountNo);

// "###,###,##0" right-aligned in 11 characters. A longer number (ten digits, or a
// sign) is kept whole: cutting it would lose its first digits.
std::string AmountCellText(Amount value);
// The value of an amount cell: commas removed, its numeric value (text that is no
// number counts as 0); nullopt when it does not fit a 32-bit amount.
std::optional<Amount> AmountOfCell(std::string_view text);

struct DepositTotals {
    Amount carried = 0;
    Amount current = 0;
};

// What a commit did: the cell's new text, or the message that refused it.
struct CellCommit {
    bool ok = false;
    std::string text;
    std::string message;
};

// What 終了 writes: the record, and whether to ask "訂正確認" about the total.
struct StorePlan {
    DepositBookRecord book;
    Amount oldCarriedTotal = 0;
    Amount newCarriedTotal = 0;
    bool askCorrection = false;
};

// The cells of accounts 1..20 and the rules on them.
class DepositTable {
  public:
    explicit DepositTable(const DepositBookRecord& book);

    // The text of a cell of account k (1..20).
    const std::string& Cell(int account, int column) const;
    // Commits typed text into a cell; refused when an amount or a total would not
    // fit 32 bits, and the cell then keeps its text.
    CellCommit Commit(int account, int column, std::string_view typed);
    // Sums of both amount columns; nullopt when one does not fit 32 bits.
    std::optional<DepositTotals> Totals() const;
    // Sets the per-account balances of `book` from the amount cells (the totals of
    // the record are left alone: they change only when the book is stored).
    void ApplyBalances(DepositBookRecord& book) const;
    // The record to write: every account from its cells, the current total summed,
    // the carry-over total summed; askCorrection when the file existed and that
    // total differs from the stored one. nullopt when a total overflows.
    std::optional<StorePlan> Store(const DepositBookRecord& before, bool fileExisted) const;

  private:
    std::array<std::array<std::string, DepositColumn::Count>, kAccountCount + 1> cells_;
};

// The answer to "訂正確認": Yes keeps the new carry-over total, No the old one; the
// per-account values stay as entered either way.
void ApplyCorrectionAnswer(StorePlan& plan, bool correctTotal);

// One line of the account chooser and the account it stands for.
struct AccountEntry {
    int account = 0;
    std::string text;
};
// Existing accounts in ascending order: number in 2, blank, name (18 bytes), blank,
// account number (14), two blanks, balance "##,###,###" in 12, blank, maturity.
std::vector<AccountEntry> ChooserEntries(const DepositBookRecord& book);
// The entry to preselect for `selectionResult` (0 means account 1); the first entry
// when that account is not listed; -1 when the list is empty.
int PreselectedEntry(const std::vector<AccountEntry>& entries, int selectionResult);
// The text of the confirmation question: the account's name.
std::string AccountQuestion(const DepositBookRecord& book, int account);

}  // namespace tabulo
