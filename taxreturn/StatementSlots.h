#pragma once
// What each statement page prints, slot by slot, in the order its layout numbers the
// slots: the texts and their font sizes.

#include <vector>

#include "store/Records.h"
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

// Characters first..last (1-based, inclusive) of a text; "" past its end.
std::string CharRange(const std::string& utf8, int first, int last);

}  // namespace tabulo
