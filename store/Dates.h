#pragma once
// Cash-book dates YYMMDD in era years: checking them and giving their weekday text.

#include <optional>
#include <string>
#include <string_view>

namespace tabulo {

class Prompt;

struct WeekdayResult {
    std::string youbi;  // "（日）".."（土）", or "" when the date failed
    int failed = 0;     // 0, or -1 when the date was refused
};

// The Western year of era year `yy` (1..99) of `eraName`; nullopt when unsupported.
std::optional<int> WesternYear(std::string_view eraName, std::string_view yy);

// Checks a date typed on the cash book and gives its weekday, with the messages
// "この日付けには対応しておりません！" and "入力された日付が異常です！！".
WeekdayResult DateToWeekday(std::string_view date, std::string_view eraName, Prompt& prompt);
// The weekday text used by the monthly income printout; "" for a date it cannot place.
std::string DateToWeekdayShort(std::string_view date, std::string_view eraName, Prompt& prompt);
// The weekday text of a six-character date with the cash book's years, without any
// message: "" for a blank date, an unsupported year or a day the month does not have.
std::string WeekdayText(std::string_view date, std::string_view eraName);

}  // namespace tabulo
