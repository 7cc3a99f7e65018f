#include "books/Slips.h"

#include "books/TrialBalance.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

FileError Refused(const SharedState& s, std::string why) {
    return FileError{FileErrorCode::BadFormat, SlipBookPath(s).string(), std::move(why), true};
}

// The changed book is checked whole, as the trial balance will read it, then saved;
// the book in memory follows what the file holds.
Status SaveChecked(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                   SlipBook changed) {
    if (std::string why = SlipBookFault(changed); !why.empty()) return Refused(s, why);
    auto tb = BuildTrialBalance(s, changed, chosen);
    if (!tb) return tb.error();
    Status st = SaveSlipBook(SlipBookPath(s), changed);
    if (st || st.error().applied) book = std::move(changed);
    return st;
}

}  // namespace

Status KeepSlip(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                const TransferSlip& slip) {
    if (std::string why = SlipFault(slip); !why.empty()) return Refused(s, why);
    if (slip.SlipDate.substr(0, 2) != YearTag(s.FiscalYear) ||
        WeekdayText(slip.SlipDate, s.EraName).empty())
        return Refused(s, kSlipYearMessage);
    SlipBook changed = book;
    changed.Slips.push_back(slip);
    return SaveChecked(s, chosen, book, std::move(changed));
}

Status KeepOpenings(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                    const std::vector<OpeningBalance>& openings) {
    SlipBook changed = book;
    changed.Openings = openings;
    return SaveChecked(s, chosen, book, std::move(changed));
}

}  // namespace tabulo
