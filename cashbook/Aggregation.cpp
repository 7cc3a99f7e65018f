#include "cashbook/Aggregation.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "cashbook/Ledger.h"
#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/StoredLedger.h"

namespace tabulo {
namespace {

constexpr int kNetRow = 51;
constexpr int kHalfYear = 7;
constexpr int kYear = 14;

bool Totalled(int kubun) {
    return kubun == Kubun::Income || kubun == Kubun::IntoAccount || kubun == Kubun::Expense ||
           kubun == Kubun::DebitAccount;
}

// Characters 3-4 of the date as a number; -1 when they are not two digits.
int MonthNumber(std::string_view date) {
    if (date.size() < 4) return -1;
    const char a = date[2];
    const char b = date[3];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

FileError BadMonth(const SharedState& s, int line) {
    return BadFormatError(
        s.LedgerPath.string(),
        std::to_string(line) + "行目の年月日の月が正しくないため集計できません！");
}

// How an item's lines count in the net row: income up, expense down.
int NetSign(int kubun) {
    return (kubun == Kubun::Income || kubun == Kubun::IntoAccount)     ? 1
           : (kubun == Kubun::Expense || kubun == Kubun::DebitAccount) ? -1
                                                                       : 0;
}

// The line at which figure (row, column) of the table, summed in file order, first
// leaves the range of an amount: the line its overflow is reported on. Only asked
// once the lines have all been read and their months found good.
int OverflowLine(const SharedState& s, int row, int column) {
    auto stored = StoredLedger::Read(s, 1, s.LedgerHeader.LineCount);
    if (!stored) return 0;
    std::int64_t sum = 0;
    for (int n = 1; n <= s.LedgerHeader.LineCount; ++n) {
        auto line = stored->Decode(n);
        if (!line) return n;
        const int item = line->ItemNo;
        if (item <= 0 || item > kItemCount) continue;
        const int kubun = s.ItemTable[static_cast<std::size_t>(item)].ItemKubun;
        if (!Totalled(kubun)) continue;
        const int month = MonthNumber(line->NenGetsuBi);
        const int own = month <= 6 ? month : month + 1;
        if (!(column == own || column == kYear || (column == kHalfYear && month <= 6))) continue;
        const int sign = row == kNetRow ? NetSign(kubun) : item == row ? 1 : 0;
        sum += sign * (static_cast<std::int64_t>(line->Indata) + line->Outdata);
        if (!CheckedAmount(sum)) return n;
    }
    return 0;
}

}  // namespace

Result<MonthlyTable> ComputeMonthlyItemTable(const SharedState& s) {
    MonthlyTable table{};
    const int count = s.LedgerHeader.LineCount;
    if (count > 0) {
        // Which items are totalled, looked up once rather than once a line.
        std::array<bool, kItemCount + 1> totalled{};
        for (int i = 1; i <= kItemCount; ++i)
            totalled[static_cast<std::size_t>(i)] =
                Totalled(s.ItemTable[static_cast<std::size_t>(i)].ItemKubun);
        // Sums in 64 bits; every figure of the table must fit an amount, else the
        // aggregation ends with the overflow error instead of wrapping.
        std::array<std::array<std::int64_t, 15>, 52> sums{};
        StoredDate date;
        // The date check that comes before the table has read every line's texts.
        Status walked = WalkStoredLines(s, count, [&](int n, StoredLedgerLine line) {
            const int item = line.ItemNo();
            if (item <= 0 || item > kItemCount || !totalled[static_cast<std::size_t>(item)])
                return Status(Ok());
            if (!date.Read(line, s.LedgerPath, n)) return Status(date.error());
            const int month = MonthNumber(date.text());
            if (month < 1 || month > 12) return Status(BadMonth(s, n));
            const int column = month <= 6 ? month : month + 1;
            sums[static_cast<std::size_t>(item)][static_cast<std::size_t>(column)] +=
                static_cast<std::int64_t>(line.Indata()) + line.Outdata();
            return Status(Ok());
        }, LineTexts::Unchecked);
        if (!walked) return walked.error();
        for (int i = 1; i <= kItemCount; ++i) {
            auto& row = sums[static_cast<std::size_t>(i)];
            std::int64_t first = 0;
            std::int64_t second = 0;
            for (int c = 1; c <= 6; ++c) first += row[static_cast<std::size_t>(c)];
            for (int c = 8; c <= 13; ++c) second += row[static_cast<std::size_t>(c)];
            row[kHalfYear] = first;
            row[kYear] = first + second;
        }
        for (int i = 1; i <= kItemCount; ++i) {
            const int sign = NetSign(s.ItemTable[static_cast<std::size_t>(i)].ItemKubun);
            for (int c = 1; c <= kYear; ++c) {
                sums[kNetRow][static_cast<std::size_t>(c)] +=
                    sign * sums[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)];
            }
        }
        for (int r = 1; r <= kNetRow; ++r) {
            for (int c = 1; c <= kYear; ++c) {
                auto v =
                    CheckedAmount(sums[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
                if (!v) return LedgerOverflowError(s.LedgerPath, OverflowLine(s, r, c));
                table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = *v;
            }
        }
    }
    return table;
}

Result<bool> AggregationDatesOk(SharedState& s, Prompt& prompt) {
    if (Status st = CheckLedgerDates(s, prompt); !st) return st.error();
    if (s.ErrorFlag != 0) {
        s.ErrorFlag = 0;
        prompt.MsgBox(kAggregationDateErrorMessage, MsgStyle::Ok, "");
        return false;
    }
    return true;
}

Result<bool> AggregateYear(SharedState& s, Prompt& prompt) {
    auto datesOk = AggregationDatesOk(s, prompt);
    if (!datesOk) return datesOk.error();
    if (!*datesOk) return false;
    if (Status st = RecalculateAll(s); !st) return st.error();
    auto table = ComputeMonthlyItemTable(s);
    if (!table) return table.error();
    s.MonthlyItemTable = *table;
    return true;
}

}  // namespace tabulo
