#pragma once
// What each statement page prints, slot by slot, in the order its layout numbers the
// slots: the texts and their font sizes.

#include <string>
#include <utility>
#include <vector>

#include "store/Records.h"
#include "store/SharedState.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"

namespace tabulo {

// The slots every layout of a page has; the shipped layouts add one more at the end,
// the fiscal year in the box of "令和□年分", which older layouts go without.
inline constexpr int kPage1Slots = 70;
inline constexpr int kPage2Slots = 123;
inline constexpr int kPage3Slots = 207;
inline constexpr int kYearSlots = 1;

// The widest text each typed field of the pages can hold, in half-width places (a
// full-width character takes two): what fits its cell on the printed form at its
// size. The screens take no more.
namespace FieldWidth {
inline constexpr int HeaderLine = 44;  // a line of page 1's header (22 full-width)
inline constexpr int PersonName = 18;  // page 2: 氏名
inline constexpr int Relation = 6;     // 続柄
inline constexpr int Persons = 2;      // the persons of the その他 row
inline constexpr int AssetName = 10;   // page 3: 減価償却資産の名称等
inline constexpr int Quantity = 4;     // 面積又は数量
inline constexpr int Method = 6;       // 償却方法 ("定額法")
inline constexpr int Rate = 6;         // 償却率 ("0.250", "1/10")
inline constexpr int AssetNote = 8;    // 摘要
inline constexpr int Payee = 48;       // 支払先の住所・氏名 (interest, fees)
inline constexpr int RentPayee = 34;   // 支払先の住所・氏名 (rent)
inline constexpr int Property = 12;    // 賃借物件
inline constexpr int MemoChars = 175;  // the memo, 5 lines of 35 characters
}  // namespace FieldWidth

// `fiscalYear` is the era year of the books (FiscalYear).
std::vector<SlotText> Page1Slots(const MasterHeaderArray& header, const Page1Figures& page,
                                 int fiscalYear);
std::vector<SlotText> Page2Slots(const MonthlySection& monthly, const Page2Data& d, int fiscalYear);
std::vector<SlotText> Page3Slots(const Page3Data& d, int fiscalYear);
// The year's slot: the era year "#0" right-aligned in 2 characters, optional.
SlotText YearSlot(int fiscalYear);

// Pages 2 and 3 as their screens show them on opening (page 1: OpeningPage1): the
// values stored in the tax-return tables and the year's totals (page 2's figure 7 is
// page 1's line 43).
struct OpeningPage2Values {
    MonthlySection monthly;
    Page2Data data;
    std::vector<int> figure7FailedLines;  // page 1's lines that could not be worked out
};
OpeningPage2Values OpeningPage2(const ItemTableArray& items, const MonthlyTable& totals,
                                const TaxReturnTables& t, const SlipFigures* slips = nullptr);
// The slots of page `page` (1..3) on opening, for printing without the screen.
std::vector<SlotText> OpeningPageSlots(const MasterHeaderArray& header, const ItemTableArray& items,
                                       const MonthlyTable& totals, const TaxReturnTables& t,
                                       int fiscalYear, int page,
                                       const SlipFigures* slips = nullptr);

// A text in two lines: the first at most `firstWidth` half-width places, broken at
// a natural place of an address (after the 市区町村 or the 都道府県, at a blank) and
// never inside a number; a text that fits keeps to the first line.
std::pair<std::string, std::string> SplitAddress(const std::string& text, int firstWidth);

// Characters first..last (1-based, inclusive) of a text; "" past its end.
std::string CharRange(const std::string& utf8, int first, int last);

}  // namespace tabulo
