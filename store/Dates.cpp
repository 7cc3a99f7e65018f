#include "store/Dates.h"

#include <chrono>
#include <string>

#include "platform/Prompt.h"

namespace tabulo {
namespace {

constexpr const char* kUnsupported = "この日付けには対応しておりません！";
constexpr const char* kInvalid = "入力された日付が異常です！！";
constexpr const char* kErrorTitle = "エラー確認";
constexpr const char* kWeekdays[7] = {"（日）", "（月）", "（火）", "（水）",
                                      "（木）", "（金）", "（土）"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks (half-width, and the full-width U+3000) trimmed from both ends.
std::string_view TrimEra(std::string_view s) {
    static constexpr std::string_view kWide = "\xE3\x80\x80";
    for (;;) {
        if (!s.empty() && s.front() == ' ') {
            s.remove_prefix(1);
        } else if (s.starts_with(kWide)) {
            s.remove_prefix(kWide.size());
        } else {
            break;
        }
    }
    for (;;) {
        if (!s.empty() && s.back() == ' ') {
            s.remove_suffix(1);
        } else if (s.ends_with(kWide)) {
            s.remove_suffix(kWide.size());
        } else {
            break;
        }
    }
    return s;
}

enum class YearVerdict { Ok, Unsupported, Invalid };
struct YearLookup {
    YearVerdict verdict = YearVerdict::Invalid;
    int year = 0;
};

// The era's first year minus one and its last era year.
struct Era {
    std::string_view name;
    int base;
    int last;
};
constexpr Era kEras[] = {{"令和", 2018, 99}, {"平成", 1988, 40}, {"昭和", 1925, 64}};

YearLookup LookUpYear(std::string_view eraName, std::string_view yy) {
    if (yy.size() != 2) return {YearVerdict::Invalid, 0};
    bool digits = IsDigit(yy[0]) && IsDigit(yy[1]);
    int n = digits ? (yy[0] - '0') * 10 + (yy[1] - '0') : -1;
    // Year 00 belongs to no era, whatever the table below would make of it.
    if (yy == "00") return {YearVerdict::Invalid, 0};
    std::string_view era = TrimEra(eraName);
    for (const Era& e : kEras) {
        if (era == e.name) {
            if (!digits) return {YearVerdict::Invalid, 0};
            if (n > e.last) return {YearVerdict::Unsupported, 0};
            return {YearVerdict::Ok, e.base + n};
        }
    }
    // Any other era name: the table the cash book has always used (YY as text).
    if (yy <= "11") return digits ? YearLookup{YearVerdict::Ok, 2000 + n} : YearLookup{};
    if (yy <= "40") return digits ? YearLookup{YearVerdict::Ok, 2000 + (n - 12)} : YearLookup{};
    return {YearVerdict::Unsupported, 0};
}

// The weekday text of year/month/day text, or "" when it is no calendar date.
std::string WeekdayOf(int year, std::string_view mm, std::string_view dd) {
    if (mm.size() != 2 || dd.size() != 2 || !IsDigit(mm[0]) || !IsDigit(mm[1]) ||
        !IsDigit(dd[0]) || !IsDigit(dd[1])) {
        return {};
    }
    unsigned m = static_cast<unsigned>((mm[0] - '0') * 10 + (mm[1] - '0'));
    unsigned d = static_cast<unsigned>((dd[0] - '0') * 10 + (dd[1] - '0'));
    std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{m},
                                    std::chrono::day{d}};
    if (!ymd.ok()) return {};
    std::chrono::weekday wd{std::chrono::sys_days{ymd}};
    return kWeekdays[wd.c_encoding()];
}

bool IsBlankDate(std::string_view date) {
    return date.empty() || date.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::optional<int> WesternYear(std::string_view eraName, std::string_view yy) {
    YearLookup y = LookUpYear(eraName, yy);
    if (y.verdict != YearVerdict::Ok) return std::nullopt;
    return y.year;
}

WeekdayResult DateToWeekday(std::string_view date, std::string_view eraName, Prompt& prompt) {
    WeekdayResult r;
    // Counted in bytes: the date field takes digits only, and a text with any other
    // byte cannot be a date anyway.
    if (IsBlankDate(date) || date.size() != 6) {
        r.failed = -1;
        return r;
    }
    YearLookup y = LookUpYear(eraName, date.substr(0, 2));
    if (y.verdict == YearVerdict::Unsupported) {
        prompt.MsgBox(kUnsupported, MsgStyle::Ok, "");
        r.failed = -1;
        return r;
    }
    std::string youbi =
        y.verdict == YearVerdict::Ok ? WeekdayOf(y.year, date.substr(2, 2), date.substr(4, 2)) : "";
    if (youbi.empty()) {
        prompt.MsgBox(kInvalid, MsgStyle::Exclamation, kErrorTitle);
        r.failed = -1;
        return r;
    }
    r.youbi = std::move(youbi);
    return r;
}

std::string DateToWeekdayShort(std::string_view date, std::string_view eraName, Prompt& prompt) {
    // A line without a date has no weekday; that is no error on a printout.
    if (IsBlankDate(date)) return {};
    std::string_view six = date.substr(0, std::min<std::size_t>(6, date.size()));
    YearLookup y = six.size() == 6 ? LookUpYear(eraName, six.substr(0, 2)) : YearLookup{};
    std::string youbi =
        y.verdict == YearVerdict::Ok ? WeekdayOf(y.year, six.substr(2, 2), six.substr(4, 2)) : "";
    if (youbi.empty()) prompt.MsgBox(kInvalid, MsgStyle::Exclamation, kErrorTitle);
    return youbi;
}

std::string WeekdayText(std::string_view date, std::string_view eraName) {
    if (date.size() != 6) return {};
    YearLookup y = LookUpYear(eraName, date.substr(0, 2));
    if (y.verdict != YearVerdict::Ok) return {};
    return WeekdayOf(y.year, date.substr(2, 2), date.substr(4, 2));
}

}  // namespace tabulo
