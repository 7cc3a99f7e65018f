#pragma once
// What the ten rows of a cash-book page show: texts in their screen patterns and
// which amount fields are locked, worked out from the ledger lines and the items.

#include <array>
#include <optional>
#include <string>

#include "cashbook/Ledger.h"
#include "store/Records.h"

namespace tabulo {

struct RowView {
    std::string no;       // line number right-aligned in 4
    std::string date;     // trimmed
    std::string youbi;    // trimmed
    std::string kubun;    // item number right-aligned in 2, "" for no item
    std::string name;     // first 16 characters of the item name
    std::string indata;   // "##,###,###" right-aligned in 10, "" for 0
    std::string outdata;
    std::string zandaka;  // "##,###,##0" right-aligned in 10
    std::string bikou;
    int itemNo = 0;
    int category = 0;
    bool inLocked = true;
    bool outLocked = true;
};

using PageRows = std::array<RowView, kRowsPerPage>;

// Income-side categories lock the expense field, expense-side ones the income
// field, no item locks both.
void AmountLocks(int category, bool& inLocked, bool& outLocked);
// Amount texts of the screen, right-aligned in 10 characters; a figure that needs
// more is shown whole.
std::string AmountText(Amount v);   // "##,###,###"
std::string BalanceText(Amount v);  // "##,###,##0"
// First `n` characters (not bytes) of a UTF-8 text.
std::string FirstChars(const std::string& utf8, std::size_t n);

PageRows BuildPageRows(const ItemTableArray& items, int page,
                       const std::array<std::optional<LedgerLine>, kRowsPerPage>& lines);

}  // namespace tabulo
