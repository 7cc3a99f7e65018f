#pragma once
// The figures that the official form prints twice: page 1's lines against the tables
// of pages 2 and 3 that break them down. A filer hands in pages that agree; the
// screens and `tabulo-cli check` list the pairs that do not, each naming both figures.
// Printing is never refused for them.

#include <string>
#include <vector>

#include "store/SharedState.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"

namespace tabulo {

// The sentences of the checks that fail, in the order of page 1's lines: line 1 and
// page 2's 計 of the monthly sales (家事消費 and 雑収入 included); line 18 and page 3's
// 経費算入額 total (with cash-book amounts coded to line 18 too: a likely double
// count); line 20 and the 給料賃金 table's total; line 38 and the 専従者給与 table's
// total; line 39 and page 2's 貸倒引当金 figure (5).
std::vector<std::string> CrossPageChecks(const Page1Figures& page1, const MonthlySection& monthly,
                                         const Page2Data& page2, const Page3Data& page3);
// The same from the year's totals and the stored tax-return tables, as the pages
// would open.
std::vector<std::string> CrossPageChecks(const ItemTableArray& items, const MonthlyTable& totals,
                                         const TaxReturnTables& t,
                                         const SlipFigures* slips = nullptr);

// The list as a screen shows it: a heading line and one line per check; empty when
// every check holds.
std::string CrossPageChecksText(const std::vector<std::string>& checks);

}  // namespace tabulo
