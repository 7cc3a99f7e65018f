#include "cashbook/Categories.h"

#include "cashbook/Overflow.h"
#include "store/DataSet.h"
#include "store/SharedState.h"

namespace tabulo {

bool HasItem(int itemNo) { return itemNo >= 1 && itemNo <= kItemCount; }

int CategoryOf(const ItemTableArray& items, int itemNo) {
    if (!HasItem(itemNo)) return Kubun::None;
    int k = items[static_cast<std::size_t>(itemNo)].ItemKubun;
    return (k >= 1 && k <= 7) ? k : Kubun::None;
}

bool IsCashCategory(int k) {
    return k == Kubun::Income || k == Kubun::FromAccount || k == Kubun::Expense ||
           k == Kubun::Deposit || k == Kubun::CarryOver;
}
bool IsIncomeSide(int k) {
    return k == Kubun::Income || k == Kubun::FromAccount || k == Kubun::IntoAccount ||
           k == Kubun::CarryOver;
}
bool IsExpenseSide(int k) {
    return k == Kubun::Expense || k == Kubun::Deposit || k == Kubun::DebitAccount;
}
bool IsDepositCategory(int k) {
    return k == Kubun::FromAccount || k == Kubun::IntoAccount || k == Kubun::Deposit ||
           k == Kubun::DebitAccount;
}

int LockedCategoryFor(int kubun) { return IsDepositCategory(kubun) ? kubun : 0; }

ItemChoice JudgeItemChoice(const ItemTableArray& items, int lockedDepositCategory,
                           int previousItemNo, int chosenItemNo) {
    int chosenKubun = CategoryOf(items, chosenItemNo);
    if (lockedDepositCategory != 0) {
        if (chosenKubun == lockedDepositCategory) return {chosenItemNo, {}};
        return {previousItemNo, "この預金データは区分の変更はできません！"};
    }
    if (HasItem(previousItemNo) && IsDepositCategory(chosenKubun))
        return {previousItemNo, "このデータは預金データへは変更できません！"};
    return {chosenItemNo, {}};
}

std::string DepositFieldQuestion(int kubun, int side) {
    if (side == 1) {
        if (kubun == Kubun::FromAccount) return "既存の口座から繰り入れしますか？";
        if (kubun == Kubun::IntoAccount) return "既存の口座に振込みますか？";
    } else {
        if (kubun == Kubun::Deposit) return "既存の口座に預金しますか？";
        if (kubun == Kubun::DebitAccount) return "既存の口座から引き落としますか？";
    }
    return {};
}

std::string DeletedDepositNotice(int kubun) {
    switch (kubun) {
    case Kubun::FromAccount: return "削除した行は預金の繰り入れデータです。";
    case Kubun::IntoAccount: return "削除した行は口座振り込みのデータです。";
    case Kubun::Deposit: return "削除した行は預金のデータです。";
    case Kubun::DebitAccount: return "削除した行は口座引き落としのデータです。";
    default: return {};
    }
}

Result<DepositBookRecord> WithCurrentTotal(const DepositBookRecord& book) {
    std::int64_t sum = 0;
    for (int k = 1; k <= kAccountCount; ++k) sum += book.CurrentBalance[static_cast<std::size_t>(k)];
    auto total = CheckedAmount(sum);
    if (!total) return OverflowError();
    DepositBookRecord out = book;
    out.CurrentTotal = *total;
    return out;
}

namespace {

// The account moves by `delta` (positive = more money in the account).
Result<DepositBookRecord> MoveAccount(const DepositBookRecord& book, int account,
                                      std::int64_t delta) {
    if (account < 1 || account > kAccountCount) return book;
    auto& slot = book.CurrentBalance[static_cast<std::size_t>(account)];
    auto moved = CheckedAmount(static_cast<std::int64_t>(slot) + delta);
    if (!moved) return OverflowError();
    DepositBookRecord out = book;
    out.CurrentBalance[static_cast<std::size_t>(account)] = *moved;
    return WithCurrentTotal(out);
}

}  // namespace

Result<DepositBookRecord> CorrectForAmountChange(const DepositBookRecord& book, int kubun,
                                                 int account, Amount oldAmount,
                                                 Amount newAmount) {
    std::int64_t change = static_cast<std::int64_t>(newAmount) - oldAmount;
    switch (kubun) {
    // Cash taken out of the account, or debited from it: the account falls.
    case Kubun::FromAccount:
    case Kubun::DebitAccount: return MoveAccount(book, account, -change);
    // Paid into the account, or cash deposited: the account rises.
    case Kubun::IntoAccount:
    case Kubun::Deposit: return MoveAccount(book, account, change);
    default: return book;
    }
}

Result<DepositBookRecord> CorrectForDeletedLine(const DepositBookRecord& book, int kubun,
                                                int account, const LedgerLine& line) {
    switch (kubun) {
    case Kubun::FromAccount: return MoveAccount(book, account, line.Indata);
    case Kubun::IntoAccount: return MoveAccount(book, account, -static_cast<std::int64_t>(line.Indata));
    case Kubun::Deposit: return MoveAccount(book, account, -static_cast<std::int64_t>(line.Outdata));
    case Kubun::DebitAccount: return MoveAccount(book, account, line.Outdata);
    default: return book;
    }
}

Status SaveDepositBalances(SharedState& s) {
    auto book = WithCurrentTotal(s.DepositBook);
    if (!book) return book.error();
    DepositBookRecord previous = s.DepositBook;
    s.DepositBook = *book;
    Status saved = SaveDepositBook(s);
    if (!saved) s.DepositBook = previous;  // memory keeps what the file holds
    return saved;
}

}  // namespace tabulo
