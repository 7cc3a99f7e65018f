#include "taxreturn/StatementPage1.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "books/Accounts.h"
#include "cashbook/Overflow.h"

namespace tabulo {
namespace {

const char* const kExpenseCaptions[] = {
    "租税公課",   "荷造運賃",   "水道光熱費", "旅費交通費", "通信費",     "広告宣伝費",
    "接待交際費", "損害保険料", "修繕費",     "消耗品費",   "減価償却費", "福利厚生費",
    "給料賃金",   "外注工賃",   "利子割引料", "地代家賃",   "貸倒金"};

// Sum of the year totals of every item coded `line`.
std::optional<Amount> ItemSum(const ItemTableArray& items, const MonthlyTable& totals, int line) {
    std::int64_t sum = 0;
    for (int i = 1; i <= kItemCount; ++i) {
        if (items[static_cast<std::size_t>(i)].ItemKubun3 != line) continue;
        sum += totals[static_cast<std::size_t>(i)][14];
        // Checked after every item, as the running total would be.
        if (!CheckedAmount(sum)) return std::nullopt;
    }
    return static_cast<Amount>(sum);
}

std::optional<Amount> Add(std::initializer_list<std::int64_t> terms) {
    std::int64_t sum = 0;
    for (std::int64_t t : terms) sum += t;
    return CheckedAmount(sum);
}

// Formula lines; nullopt when the result leaves the range.
std::optional<Amount> Formula(const StatementLineAmounts& l, int n) {
    auto L = [&](int k) { return static_cast<std::int64_t>(l[static_cast<std::size_t>(k)]); };
    switch (n) {
        case 4:
            return Add({L(2), L(3)});
        case 6:
            return Add({L(4), -L(5)});
        case 7:
            return Add({L(1), -L(6)});
        case 32: {
            std::int64_t sum = 0;
            for (int k = 8; k <= 31; ++k) {
                sum += L(k);
                if (!CheckedAmount(sum)) return std::nullopt;
            }
            return static_cast<Amount>(sum);
        }
        case 33:
            return Add({L(7), -L(32)});
        case 37:
            return Add({L(34), L(35), L(36)});
        case 42:
            return Add({L(38), L(39), L(40), L(41)});
        case 43:
            return Add({L(33), L(37), -L(42)});
        case 45:
            return Add({L(43), -L(44)});
        default:
            return std::nullopt;
    }
}

bool IsFormulaLine(int n) {
    return n == 4 || n == 6 || n == 7 || n == 32 || n == 33 || n == 37 || n == 42 || n == 43 ||
           n == 45;
}

}  // namespace

std::string CircledNumber(int n) {
    // ① U+2460 .. ⑳, ㉑ U+3251 .. ㉟, ㊱ U+32B1 .. ㊿.
    char32_t c = 0;
    if (n >= 1 && n <= 20)
        c = 0x2460 + static_cast<char32_t>(n - 1);
    else if (n >= 21 && n <= 35)
        c = 0x3251 + static_cast<char32_t>(n - 21);
    else if (n >= 36 && n <= 50)
        c = 0x32B1 + static_cast<char32_t>(n - 36);
    else
        return "(" + std::to_string(n) + ")";
    std::string out;
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
    return out;
}

std::string StatementLineCaption(int line) {
    switch (line) {
        case 1:
            return "売上（収入）金額（雑収入を含む）";
        case 2:
            return "期首商品（製品）棚卸高";
        case 3:
            return "仕入金額（製品製造原価）";
        case 4:
            return "小計（②＋③）";
        case 5:
            return "期末商品（製品）棚卸高";
        case 6:
            return "差引原価（④－⑤）";
        case 7:
            return "差引金額（①－⑥）";
        case 31:
            return "雑費";
        case 32:
            return "計";
        case 33:
            return "差引金額（⑦－㉜）";
        case 34:
            return "貸倒引当金";
        case 37:
            return "計";
        case 38:
            return "専従者給与";
        case 39:
            return "貸倒引当金";
        case 42:
            return "計";
        case 43:
            return "青色申告特別控除前の所得金額（㉝＋㊲－㊷）";
        case 44:
            return "青色申告特別控除額";
        case 45:
            return "所得金額（㊸－㊹）";
        default:
            break;
    }
    if (line >= 8 && line <= 24) return kExpenseCaptions[line - 8];
    return {};
}

Result<SlipFigures> SlipFiguresOf(const SlipBook& book) {
    std::array<std::int64_t, 49> lines{};
    std::array<std::int64_t, 16> sales{}, purchases{};
    // `debit`: the amount signed with the debit side positive.
    auto post = [&](int code, int other, int month, std::int64_t debit) {
        if (code < 1 || code > kStatementLineCount) return true;
        const Account* a = FindAccount(code);
        if (a == nullptr || code == kOpeningStockLine || code == kClosingStockLine) return true;
        std::int64_t& line = lines[static_cast<std::size_t>(code)];
        line += a->side == AccountSide::Income ? -debit : debit;
        if (!CheckedAmount(line)) return false;
        std::int64_t* monthly = nullptr;
        if (code == AccountCode::Sales)
            monthly = &sales[static_cast<std::size_t>(other == AccountCode::OwnerDrawings ? 13 : month)];
        if (code == AccountCode::Purchases) monthly = &purchases[static_cast<std::size_t>(month)];
        if (monthly == nullptr) return true;
        *monthly += code == AccountCode::Sales ? -debit : debit;
        return CheckedAmount(*monthly).has_value();
    };
    for (const TransferSlip& slip : book.Slips) {
        // A kept slip's date is checked; one that is not counts in no month.
        const int month = slip.SlipDate.size() == 6 ? std::atoi(slip.SlipDate.substr(2, 2).c_str()) : 0;
        const int m = month >= 1 && month <= 12 ? month : 0;
        if (!post(slip.DebitCode, slip.CreditCode, m, slip.SlipAmount) ||
            !post(slip.CreditCode, slip.DebitCode, m, -std::int64_t{slip.SlipAmount}))
            return OverflowError();
    }
    SlipFigures out;
    for (std::size_t n = 0; n < lines.size(); ++n) out.lines[n] = static_cast<Amount>(lines[n]);
    for (std::size_t m = 1; m <= 13; ++m) {
        out.sales[m] = static_cast<Amount>(sales[m]);
        out.purchases[m] = static_cast<Amount>(purchases[m]);
    }
    return out;
}

Result<SlipFigures> YearSlipFigures(const SharedState& s) {
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto figures = SlipFiguresOf(*book);
    if (!figures && figures.error().path.empty()) {
        // A total beyond 32 bits names the file it comes from.
        FileError e = figures.error();
        e.path = SlipBookPath(s).string();
        return e;
    }
    return figures;
}

Page1Figures ComputePage1(const ItemTableArray& items, const MonthlyTable& totals,
                          Amount openingStock, Amount closingStock, Amount deduction,
                          Amount assetDepreciation, const SlipFigures* slips) {
    Page1Figures f;
    f.assetDepreciation = assetDepreciation;
    for (int n = 1; n <= kStatementLineCount; ++n) {
        std::optional<Amount> v;
        if (n == kOpeningStockLine) {
            v = openingStock;
        } else if (n == kClosingStockLine) {
            v = closingStock;
        } else if (n == 44) {
            v = deduction;
        } else if (IsFormulaLine(n)) {
            v = Formula(f.lines, n);
        } else {
            if (n >= 25 && n <= 30) {
                for (int i = 1; i <= kItemCount; ++i) {
                    if (items[static_cast<std::size_t>(i)].ItemKubun3 == n) {
                        f.freeLineNames[static_cast<std::size_t>(n - 24)] =
                            items[static_cast<std::size_t>(i)].ItemName;
                        break;
                    }
                }
            }
            v = ItemSum(items, totals, n);
            if (n == kDepreciationLine && v) f.cashBookDepreciation = *v;
            if (slips != nullptr && v) v = Add({*v, slips->lines[static_cast<std::size_t>(n)]});
            if (n == kDepreciationLine && v) v = Add({*v, assetDepreciation});
        }
        if (v) {
            f.lines[static_cast<std::size_t>(n)] = *v;
        } else {
            f.failedLines.push_back(n);
        }
    }
    return f;
}

Page1Figures OpeningPage1(const ItemTableArray& items, const MonthlyTable& totals,
                          const TaxReturnTables& t, const SlipFigures* slips) {
    return ComputePage1(items, totals, StoredStatementEntry(t, kOpeningStockLine),
                        StoredStatementEntry(t, kClosingStockLine), StoredDeduction(t),
                        StoredDepreciation(t), slips);
}

std::vector<int> EnterStock(StatementLineAmounts& lines, int line, Amount value,
                            std::vector<int>* changed) {
    std::vector<int> failed;
    lines[static_cast<std::size_t>(line)] = value;
    if (changed) changed->push_back(line);
    std::vector<int> order;
    if (line == kOpeningStockLine) order = {4, 6};
    if (line == kClosingStockLine) order = {6};
    for (int n : {7, 33, 43, 45}) order.push_back(n);
    for (int n : order) {
        if (auto v = Formula(lines, n)) {
            lines[static_cast<std::size_t>(n)] = *v;
            if (changed) changed->push_back(n);
        } else {
            failed.push_back(n);
        }
    }
    return failed;
}

std::string FailedLinesMessage(const std::vector<int>& lines) {
    if (lines.empty()) return {};
    std::string text = "金額が大きすぎるため、次の行を計算できません！\r\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0) text += "、";
        text += "(" + std::to_string(lines[i]) + ")";
    }
    return text;
}

}  // namespace tabulo
