#include "cashbook/PageView.h"

#include "cashbook/Categories.h"
#include "store/Text.h"

namespace tabulo {

void AmountLocks(int category, bool& inLocked, bool& outLocked) {
    inLocked = !IsIncomeSide(category);
    outLocked = !IsExpenseSide(category);
}

namespace {
// Right-aligned in 10; a longer figure (a balance of 100 million yen or more) is
// shown whole rather than losing its leading digits.
std::string InTen(const std::string& s) { return s.size() > 10 ? s : RightAlign(s, 10); }
}  // namespace

std::string AmountText(Amount v) { return InTen(FormatAmount(v, true)); }
std::string BalanceText(Amount v) { return InTen(FormatAmount(v, false)); }

std::string FirstChars(const std::string& s, std::size_t n) {
    std::size_t i = 0, count = 0;
    while (i < s.size() && count < n) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        i += len;
        ++count;
    }
    return s.substr(0, std::min(i, s.size()));
}

PageRows BuildPageRows(const ItemTableArray& items, int page,
                       const std::array<std::optional<LedgerLine>, kRowsPerPage>& lines) {
    PageRows rows;
    for (int r = 1; r <= kRowsPerPage; ++r) {
        RowView& v = rows[static_cast<std::size_t>(r - 1)];
        v.no = RightAlign(std::to_string(LineOfRow(page, r)), 4);
        const auto& line = lines[static_cast<std::size_t>(r - 1)];
        if (!line) continue;
        v.date = Trim(line->NenGetsuBi);
        v.youbi = Trim(line->Youbi);
        if (!HasItem(line->ItemNo)) continue;
        const ItemEntry& item = items[static_cast<std::size_t>(line->ItemNo)];
        v.itemNo = line->ItemNo;
        v.category = CategoryOf(items, line->ItemNo);
        AmountLocks(v.category, v.inLocked, v.outLocked);
        v.kubun = RightAlign(std::to_string(line->ItemNo), 2);
        v.name = FirstChars(TrimRight(item.ItemName), 16);
        if (line->Indata != 0) v.indata = AmountText(line->Indata);
        if (line->Outdata != 0) v.outdata = AmountText(line->Outdata);
        v.zandaka = BalanceText(line->Zandaka);
        if (!IsBlank(line->Bikou)) v.bikou = CutToBytes(TrimRight(line->Bikou), 16);
    }
    return rows;
}

}  // namespace tabulo
