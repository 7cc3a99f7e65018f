#include "deposits/DepositTable.h"

#include <limits>

#include "store/Text.h"

namespace tabulo {

namespace {

std::string PadLeft(std::string s, std::size_t width) {
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

// Blanks appended until the text is `width` CP932 bytes wide (the chooser's columns
// line up in a fixed-pitch font); cut first when it is wider.
std::string PadToBytes(std::string_view s, int width) {
    std::string out = CutToBytes(s, width);
    int have = Cp932Width(out);
    if (have < width) out.append(static_cast<std::size_t>(width - have), ' ');
    return out;
}

// Cut to `width` bytes and right-aligned in them with leading blanks.
std::string AlignRightBytes(std::string_view s, int width) {
    std::string out = CutToBytes(s, width);
    int have = Cp932Width(out);
    if (have < width) out.insert(0, static_cast<std::size_t>(width - have), ' ');
    return out;
}

bool FitsAmount(std::int64_t v) {
    return v >= std::numeric_limits<Amount>::min() && v <= std::numeric_limits<Amount>::max();
}

}  // namespace

bool AccountExists(std::string_view accountNo) { return !IsBlank(accountNo); }

std::string AmountCellText(Amount value) {
    return PadLeft(FormatAmount(value, false), kAmountCellWidth);
}

std::optional<Amount> AmountOfCell(std::string_view text) { return AmountFromText(text); }

DepositTable::DepositTable(const DepositBookRecord& book) {
    for (int k = 1; k <= kAccountCount; ++k) {
        auto& row = cells_[k];
        row[DepositColumn::No] = PadLeft(std::to_string(k), 3);
        row[DepositColumn::Name] = TrimRight(book.AccountName[k]);
        row[DepositColumn::AccountNo] = TrimRight(book.AccountNo[k]);
        row[DepositColumn::Carried] = AmountCellText(book.CarriedBalance[k]);
        row[DepositColumn::Current] = AmountCellText(book.CurrentBalance[k]);
        row[DepositColumn::Maturity] = TrimRight(book.Maturity[k]);
    }
}

const std::string& DepositTable::Cell(int account, int column) const {
    return cells_.at(account).at(column);
}

CellCommit DepositTable::Commit(int account, int column, std::string_view typed) {
    std::string& cell = cells_.at(account).at(column);
    switch (column) {
        case DepositColumn::Name:
            cell = CutToBytes(typed, kAccountNameBytes);
            break;
        case DepositColumn::AccountNo:
            cell = AlignRightBytes(typed, kAccountNoWidth);
            break;
        case DepositColumn::Maturity:
            cell = AlignRightBytes(typed, kMaturityWidth);
            break;
        case DepositColumn::Carried:
        case DepositColumn::Current: {
            std::optional<Amount> value = AmountOfCell(typed);
            if (!value) return {false, {}, kAmountTooLargeMessage};
            std::string before = cell;
            cell = AmountCellText(*value);
            if (!Totals()) {
                cell = before;
                return {false, {}, kTotalTooLargeMessage};
            }
            break;
        }
        default:
            return {false, {}, {}};
    }
    return {true, cell, {}};
}

std::optional<DepositTotals> DepositTable::Totals() const {
    std::int64_t carried = 0;
    std::int64_t current = 0;
    for (int k = 1; k <= kAccountCount; ++k) {
        auto c = AmountOfCell(cells_[k][DepositColumn::Carried]);
        auto n = AmountOfCell(cells_[k][DepositColumn::Current]);
        if (!c || !n) return std::nullopt;
        carried += *c;
        current += *n;
    }
    if (!FitsAmount(carried) || !FitsAmount(current)) return std::nullopt;
    return DepositTotals{static_cast<Amount>(carried), static_cast<Amount>(current)};
}

void DepositTable::ApplyBalances(DepositBookRecord& book) const {
    for (int k = 1; k <= kAccountCount; ++k) {
        book.CarriedBalance[k] = AmountOfCell(cells_[k][DepositColumn::Carried]).value_or(0);
        book.CurrentBalance[k] = AmountOfCell(cells_[k][DepositColumn::Current]).value_or(0);
    }
}

std::optional<StorePlan> DepositTable::Store(const DepositBookRecord& before,
                                             bool fileExisted) const {
    std::optional<DepositTotals> totals = Totals();
    if (!totals) return std::nullopt;
    StorePlan plan;
    plan.book = before;
    plan.oldCarriedTotal = before.CarriedTotal;
    for (int k = 1; k <= kAccountCount; ++k) {
        const auto& row = cells_[k];
        plan.book.AccountName[k] =
            CutToBytes(LeftAlign(row[DepositColumn::Name], kAccountNameBytes), kAccountNameBytes);
        plan.book.AccountNo[k] =
            CutToBytes(LeftAlign(row[DepositColumn::AccountNo], kAccountNoWidth), kAccountNoWidth);
        plan.book.Maturity[k] = row[DepositColumn::Maturity];
    }
    ApplyBalances(plan.book);
    plan.newCarriedTotal = totals->carried;
    plan.book.CarriedTotal = totals->carried;
    plan.book.CurrentTotal = totals->current;
    plan.askCorrection = fileExisted && plan.newCarriedTotal != plan.oldCarriedTotal;
    return plan;
}

void ApplyCorrectionAnswer(StorePlan& plan, bool correctTotal) {
    plan.book.CarriedTotal = correctTotal ? plan.newCarriedTotal : plan.oldCarriedTotal;
}

std::vector<AccountEntry> ChooserEntries(const DepositBookRecord& book) {
    std::vector<AccountEntry> entries;
    for (int k = 1; k <= kAccountCount; ++k) {
        if (!AccountExists(book.AccountNo[k])) continue;
        std::string text = PadLeft(std::to_string(k), 2);
        text += ' ';
        text += PadToBytes(book.AccountName[k], kAccountNameBytes);
        text += ' ';
        text += PadToBytes(book.AccountNo[k], kAccountNoWidth);
        text += "  ";
        text += PadLeft(FormatAmount(book.CurrentBalance[k], true), 12);
        text += ' ';
        text += CutToBytes(book.Maturity[k], kMaturityWidth);
        entries.push_back({k, std::move(text)});
    }
    return entries;
}

int PreselectedEntry(const std::vector<AccountEntry>& entries, int selectionResult) {
    if (entries.empty()) return -1;
    int wanted = selectionResult == 0 ? 1 : selectionResult;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].account == wanted) return static_cast<int>(i);
    }
    return 0;
}

std::string AccountQuestion(const DepositBookRecord& book, int account) {
    return TrimRight(book.AccountName.at(account));
}

}  // namespace tabulo
