#include "shell/FiscalYearRules.h"

#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// The first `n` characters of UTF-8 text.
std::string FirstCharacters(std::string_view utf8, int n) {
    std::size_t i = 0;
    for (int count = 0; i < utf8.size() && count < n; ++count) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return std::string(utf8.substr(0, i));
}

}  // namespace

std::string ProposedEraName(std::chrono::year_month_day today) {
    using namespace std::chrono;
    return today >= year_month_day{year{2019}, May, day{1}} ? "令和" : "平成";
}

int ProposedEraYear(std::chrono::year_month_day today) {
    const int western = static_cast<int>(today.year());
    return ProposedEraName(today) == "令和" ? western - 2018 : western - 1988;
}

FiscalYearEntry RegisterFiscalYear(SharedState& s, std::string_view eraText,
                                   std::string_view yearText, Prompt& prompt) {
    const std::string era = FirstCharacters(eraText, 4);
    const double year = Val(yearText);
    // The year goes into two-digit file names, so an era year has at most two digits.
    if (IsBlank(era) || !(year > 0) || year > 99) return FiscalYearEntry::Refused;
    // DATE.DAT holds the era as a quoted Shift-JIS string.
    if (era.find('"') != std::string::npos || !IsCp932Text(era)) return FiscalYearEntry::Refused;

    const auto keptYear = s.FiscalYear;
    const auto keptEra = s.EraName;
    s.EraName = era;
    s.FiscalYear = static_cast<std::int16_t>(year);
    Status written = WriteFiscalYearFile(s);
    if (!written) {
        s.FiscalYear = keptYear;
        s.EraName = keptEra;
        ShowFileError(prompt, written.error(), s);
        return FiscalYearEntry::Failed;
    }
    return FiscalYearEntry::Saved;
}

}  // namespace tabulo
