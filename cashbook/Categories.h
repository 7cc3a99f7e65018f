#pragma once
// How an item's category (区分) moves cash and deposits, the rules of the item
// chooser for deposit lines, and the account corrections of deposit lines.

#include <optional>
#include <string>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

// The category of item `itemNo`; 0 for no item or a code outside 1..7.
int CategoryOf(const ItemTableArray& items, int itemNo);
bool HasItem(int itemNo);  // 1..50

bool IsCashCategory(int kubun);     // 1 2 4 5 7: moves the cash balance
bool IsIncomeSide(int kubun);       // 1 2 3 7: amount in the income column
bool IsExpenseSide(int kubun);      // 4 5 6: amount in the expense column
bool IsDepositCategory(int kubun);  // 2 3 5 6: moves a bank account

// The category that locks a line's item change: its own when it is a deposit
// category, else 0.
int LockedCategoryFor(int kubun);

// The verdict on an item picked in the chooser for a line whose item was
// `previousItemNo` (0 = none yet).
struct ItemChoice {
    int selection = 0;    // the item the line keeps or takes
    std::string refusal;  // the message shown when the choice was refused, else ""
};
ItemChoice JudgeItemChoice(const ItemTableArray& items, int lockedDepositCategory,
                           int previousItemNo, int chosenItemNo);

// The account question asked when an amount field of a deposit row is clicked;
// "" when the field asks nothing for that category. side 1 = income field.
std::string DepositFieldQuestion(int kubun, int side);
// The notice shown before the account of a deleted deposit line is corrected.
std::string DeletedDepositNotice(int kubun);

// The book with account `account` (1..20) corrected for a deposit row whose amount
// changed from `oldAmount` to `newAmount`, and its CurrentTotal refreshed. An
// overflow gives an error and the book is not touched.
Result<DepositBookRecord> CorrectForAmountChange(const DepositBookRecord& book, int kubun,
                                                 int account, Amount oldAmount,
                                                 Amount newAmount);
// The same for a deleted deposit line: its amount leaves the account again.
Result<DepositBookRecord> CorrectForDeletedLine(const DepositBookRecord& book, int kubun,
                                                int account, const LedgerLine& line);
// CurrentTotal = sum of CurrentBalance(1..20); an overflow gives an error.
Result<DepositBookRecord> WithCurrentTotal(const DepositBookRecord& book);

struct SharedState;
// CurrentTotal refreshed, then the deposit file written.
Status SaveDepositBalances(SharedState& s);

}  // namespace tabulo
