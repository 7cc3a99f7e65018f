#pragma once
// What each statement page prints, slot by slot, in the order its layout numbers the
// slots: the texts and their font sizes.

#include <vector>

#include "store/Records.h"
#include "store/SharedState.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"

namespace tabulo {

inline constexpr int kPage1Slots = 70;
inline constexpr int kPage2Slots = 123;
inline constexpr int kPage3Slots = 207;

std::vector<SlotText> Page1Slots(const MasterHeaderArray& header, const Page1Figures& page);
std::vector<SlotText> Page2Slots(const MonthlySection& monthly, const Page2Data& d);
std::vector<SlotText> Page3Slots(const Page3Data& d);

// Each page as its screen shows it on opening: the values stored in the tax-return
// tables and the year's totals (page 2's figure 7 is page 1's line 43).
Page1Figures OpeningPage1(const ItemTableArray& items, const MonthlyTable& totals,
                          const TaxReturnTables& t);
struct OpeningPage2Values {
    MonthlySection monthly;
    Page2Data data;
    std::vector<int> figure7FailedLines;  // page 1's lines that could not be worked out
};
OpeningPage2Values OpeningPage2(const ItemTableArray& items, const MonthlyTable& totals,
                                const TaxReturnTables& t);
// The slots of page `page` (1..3) on opening, for printing without the screen.
std::vector<SlotText> OpeningPageSlots(const MasterHeaderArray& header, const ItemTableArray& items,
                                       const MonthlyTable& totals, const TaxReturnTables& t,
                                       int page);

// Characters first..last (1-based, inclusive) of a text; "" past its end.
std::string CharRange(const std::string& utf8, int first, int last);

}  // namespace tabulo
