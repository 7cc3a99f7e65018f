#include "statements/StatementReader.h"

#include <algorithm>
#include <cstdint>

#include "statements/StatementText.h"

namespace tabulo::statements {

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ValidDay(int y, int m, int d) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1868 || y > 2200 || m < 1 || m > 12 || d < 1) return false;
    return d <= kDays[m - 1] + (m == 2 && LeapYear(y) ? 1 : 0);
}

// Reads up to `maxDigits` digits at s[i]; false when there is none.
bool Number(std::string_view s, std::size_t& i, int maxDigits, int& out) {
    int n = 0, v = 0;
    while (i < s.size() && IsDigit(s[i]) && n < maxDigits) {
        v = v * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    out = v;
    return n > 0 && !(i < s.size() && IsDigit(s[i]));
}

// A separator between date parts: / - . or one of 年 月 日.
bool Separator(std::string_view s, std::size_t& i) {
    if (i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.')) {
        ++i;
        return true;
    }
    for (std::string_view k : {"年", "月"}) {
        if (s.substr(i, k.size()) == k) {
            i += k.size();
            return true;
        }
    }
    return false;
}

bool MonthDayAndEnd(std::string_view s, std::size_t& i, int& m, int& d) {
    if (!Number(s, i, 2, m) || !Separator(s, i) || !Number(s, i, 2, d)) return false;
    if (s.substr(i) == "日") i += std::string_view("日").size();
    return i == s.size();
}

struct Era {
    std::string_view letter;
    std::string_view kanji;
    int first;  // the Western year of its year 1
};
constexpr Era kEras[] = {{"R", "令和", 2019}, {"H", "平成", 1989}, {"S", "昭和", 1926},
                         {"T", "大正", 1912}, {"M", "明治", 1868}};

}  // namespace

bool ParseStatementDate(std::string_view cell, int styles, StatementDate& out, std::string& why) {
    const std::string folded = FoldWidth(cell);
    std::string_view s = Trimmed(folded);
    // A time after the date is not part of it.
    if (const std::size_t blank = s.find(' '); blank != std::string_view::npos) s = s.substr(0, blank);
    if (s.empty()) {
        why = "日付がありません。";
        return false;
    }
    int y = 0, m = 0, d = 0;
    if (styles & static_cast<int>(DateStyle::Compact)) {
        if (s.size() == 8 && std::all_of(s.begin(), s.end(), IsDigit)) {
            y = std::stoi(std::string(s.substr(0, 4)));
            m = std::stoi(std::string(s.substr(4, 2)));
            d = std::stoi(std::string(s.substr(6, 2)));
            if (ValidDay(y, m, d)) {
                out = {y, m, d};
                return true;
            }
            why = "日付が正しくありません: " + std::string(s);
            return false;
        }
    }
    if (styles & static_cast<int>(DateStyle::Western)) {
        std::size_t i = 0;
        if (Number(s, i, 4, y) && i == 4 && Separator(s, i) && MonthDayAndEnd(s, i, m, d)) {
            if (ValidDay(y, m, d)) {
                out = {y, m, d};
                return true;
            }
            why = "日付が正しくありません: " + std::string(s);
            return false;
        }
    }
    if (styles & static_cast<int>(DateStyle::Wareki)) {
        for (const Era& era : kEras) {
            std::size_t i = 0;
            std::string upper(s.substr(0, 1));
            if (!upper.empty() && upper[0] >= 'a' && upper[0] <= 'z') upper[0] = static_cast<char>(upper[0] - 32);
            if (upper == era.letter) i = 1;
            else if (s.substr(0, era.kanji.size()) == era.kanji) i = era.kanji.size();
            else continue;
            int ey = 0;
            if (s.substr(i, 3) == "元") {
                ey = 1;
                i += 3;
            } else if (!Number(s, i, 2, ey)) {
                break;
            }
            if (!Separator(s, i) || !MonthDayAndEnd(s, i, m, d)) break;
            y = era.first + ey - 1;
            if (ey >= 1 && ValidDay(y, m, d)) {
                out = {y, m, d};
                return true;
            }
            why = "日付が正しくありません: " + std::string(s);
            return false;
        }
    }
    why = "日付として読めません: " + std::string(s);
    return false;
}

bool ParseStatementAmount(std::string_view cell, Amount& out, std::string& why) {
    const std::string folded = FoldWidth(cell);
    std::string_view s = Trimmed(folded);
    bool negative = false;
    for (std::string_view sign : {"-", "▲", "△", "−", "+"}) {
        if (s.substr(0, sign.size()) == sign) {
            negative = sign != "+";
            s.remove_prefix(sign.size());
            s = Trimmed(s);
            break;
        }
    }
    for (std::string_view mark : {"¥", "￥", "\\"}) {
        if (s.substr(0, mark.size()) == mark) {
            s.remove_prefix(mark.size());
            break;
        }
    }
    if (s.size() >= 3 && s.substr(s.size() - 3) == "円") s.remove_suffix(3);
    std::int64_t v = 0;
    bool digits = false;
    std::size_t i = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ',') continue;
        if (c == '.') break;
        if (!IsDigit(c)) {
            why = "金額として読めません: " + std::string(Trimmed(folded));
            return false;
        }
        digits = true;
        v = v * 10 + (c - '0');
        if (v > INT32_MAX) {
            why = "金額が大きすぎます: " + std::string(Trimmed(folded));
            return false;
        }
    }
    if (i < s.size()) {  // after the point: zeros only (円 has no fraction)
        for (std::size_t k = i + 1; k < s.size(); ++k) {
            if (s[k] != '0') {
                why = "円未満の金額は取り込めません: " + std::string(Trimmed(folded));
                return false;
            }
        }
    }
    if (!digits && (negative || i < s.size())) {
        why = "金額として読めません: " + std::string(Trimmed(folded));
        return false;
    }
    out = static_cast<Amount>(negative ? -v : v);
    return true;
}

namespace {

FileError Refused(const std::string& path, int line, const std::string& why) {
    FileError e = BadFormatError(path, std::to_string(line) + "行目: " + why);
    e.line = line;
    return e;
}

bool HeaderMatches(const std::vector<std::string>& want, const std::vector<std::string>& cells) {
    if (cells.size() < want.size()) return false;
    for (std::size_t i = 0; i < want.size(); ++i)
        if (MatchKey(cells[i]) != want[i]) return false;
    return true;
}

}  // namespace

Result<StatementRead> ReadStatement(const Profile& profile, std::string_view text,
                                    const std::string& path) {
    if (std::string fault = ProfileFault(profile); !fault.empty())
        return BadFormatError(path, "取り込み設定「" + profile.name + "」: " + fault);
    const auto lines = SplitLines(text);
    std::vector<std::string> want;
    for (const std::string& h : profile.header) want.push_back(MatchKey(h));
    std::vector<std::string> cells;
    std::string why;
    StatementRead out;
    std::size_t at = 0;
    for (; at < lines.size() && at <= static_cast<std::size_t>(profile.headerWithin); ++at) {
        if (SplitCells(lines[at], cells, why) && HeaderMatches(want, cells)) break;
    }
    if (at >= lines.size() || at > static_cast<std::size_t>(profile.headerWithin)) {
        const int where = std::min<int>(static_cast<int>(lines.size()), profile.headerWithin + 1);
        return Refused(path, std::max(where, 1),
                       "「" + profile.name + "」の見出しの行が見つかりません。別の明細の形式です。");
    }
    out.headerLine = static_cast<int>(at) + 1;
    std::size_t end = lines.size();
    // Empty lines at the end are no lines of the footer.
    while (end > at + 1 && Trimmed(lines[end - 1]).empty()) --end;
    if (profile.linesAfter > 0) {
        if (end < at + 1 + static_cast<std::size_t>(profile.linesAfter))
            return Refused(path, static_cast<int>(end),
                           "明細の最後の" + std::to_string(profile.linesAfter) + "行（合計など）がありません。");
        end -= static_cast<std::size_t>(profile.linesAfter);
    }
    const std::string footer = MatchKey(profile.footer);
    int widest = std::max({profile.dateColumn, profile.inColumn, profile.outColumn,
                           profile.amountColumn, profile.balanceColumn});
    for (int c : profile.descriptionColumns) widest = std::max(widest, c);
    for (std::size_t i = at + 1; i < end; ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (Trimmed(lines[i]).empty()) continue;
        if (!SplitCells(lines[i], cells, why)) return Refused(path, lineNo, why);
        if (!footer.empty() && !cells.empty() && MatchKey(cells[0]).rfind(footer, 0) == 0) break;
        if (std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return Trimmed(c).empty(); }))
            continue;
        auto cell = [&](int c) -> std::string_view {
            return c >= 1 && static_cast<std::size_t>(c) <= cells.size() ? std::string_view(cells[static_cast<std::size_t>(c) - 1])
                                                                        : std::string_view();
        };
        const bool noAmounts = Trimmed(cell(profile.inColumn)).empty() &&
                               Trimmed(cell(profile.outColumn)).empty() &&
                               Trimmed(cell(profile.amountColumn)).empty();
        if (profile.blankDateSeparators && Trimmed(cell(profile.dateColumn)).empty() && noAmounts) {
            ++out.separators;
            continue;
        }
        if (static_cast<int>(cells.size()) < widest)
            return Refused(path, lineNo,
                           "列が足りません（" + std::to_string(cells.size()) + "列、" +
                               std::to_string(widest) + "列が要ります）。");
        StatementRow row;
        row.line = lineNo;
        if (!ParseStatementDate(cell(profile.dateColumn), profile.dateStyles, row.date, why))
            return Refused(path, lineNo, why);
        for (int c : profile.descriptionColumns) {
            const std::string_view d = Trimmed(cell(c));
            if (d.empty()) continue;
            if (!row.description.empty()) row.description += ' ';
            row.description += d;
        }
        Amount in = 0, out2 = 0;
        if (profile.amountColumn > 0) {
            Amount v = 0;
            if (!ParseStatementAmount(cell(profile.amountColumn), v, why)) return Refused(path, lineNo, why);
            // A bank's signed amount is money in when above 0; a card's is money spent.
            const bool spent = profile.kind == StatementKind::Card ? v > 0 : v < 0;
            if (v == INT32_MIN) return Refused(path, lineNo, "金額が大きすぎます。");
            const Amount size = v < 0 ? -v : v;
            (spent ? out2 : in) = size;
        } else {
            Amount a = 0, b = 0;
            if (profile.inColumn > 0 && !ParseStatementAmount(cell(profile.inColumn), a, why))
                return Refused(path, lineNo, why);
            if (profile.outColumn > 0 && !ParseStatementAmount(cell(profile.outColumn), b, why))
                return Refused(path, lineNo, why);
            if (a == INT32_MIN || b == INT32_MIN) return Refused(path, lineNo, "金額が大きすぎます。");
            if (a != 0 && b != 0) return Refused(path, lineNo, "入金と出金の両方に金額があります。");
            // A negative figure in one column is money the other way (a refund).
            if (a > 0) in = a;
            if (a < 0) out2 = -a;
            if (b > 0) out2 = b;
            if (b < 0) in = -b;
        }
        row.in = in;
        row.out = out2;
        if (profile.balanceColumn > 0 && !Trimmed(cell(profile.balanceColumn)).empty()) {
            if (!ParseStatementAmount(cell(profile.balanceColumn), row.balance, why))
                return Refused(path, lineNo, why);
            row.hasBalance = true;
        }
        if (static_cast<int>(out.rows.size()) >= kMaxStatementRows)
            return Refused(path, lineNo,
                           "明細が" + std::to_string(kMaxStatementRows) + "行を超えるため取り込めません。");
        out.rows.push_back(std::move(row));
    }
    if (profile.newestFirst) std::reverse(out.rows.begin(), out.rows.end());
    return out;
}

}  // namespace tabulo::statements
