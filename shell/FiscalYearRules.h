#pragma once
// The fiscal-year form's rules: the era it proposes and what registering accepts.

#include <chrono>
#include <string>
#include <string_view>

namespace tabulo {

struct SharedState;
class Prompt;

// The era of `today`: "令和" from 1 May 2019, "平成" before.
std::string ProposedEraName(std::chrono::year_month_day today);
// The era year of `today` in that era: 8 for 2026 (令和8年), 31 for April 2019 (平成31年).
int ProposedEraYear(std::chrono::year_month_day today);

enum class FiscalYearEntry {
    Saved,    // EraName and FiscalYear set and DATE.DAT written
    Refused,  // no era name or no year: the caller beeps
    Failed,   // DATE.DAT could not be written: the error has been shown
};

// Takes the first four characters of `eraText` and the value of `yearText` (an era
// year 1..99) into the shared state and writes DATE.DAT.
FiscalYearEntry RegisterFiscalYear(SharedState& s, std::string_view eraText,
                                   std::string_view yearText, Prompt& prompt);

}  // namespace tabulo
