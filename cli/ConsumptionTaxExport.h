#pragma once
// export consumption-tax: the consumption-tax return of the year as CSV, one row per
// line of 第一表 and of the method's worksheets, worked out by the same function as
// the screen.

#include <string>

#include "cli/Csv.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// 欄, 名称, 金額. `method` 2wari, kani, gensoku or 3wari works the return by that
// method whatever the settings say (an exempt year too); empty: the settings' method,
// refused when the year has none chosen. `businessClass` 1..6: the 簡易課税 class of
// sales without their own (0: the settings'). A figure resting on a rule not yet law
// adds a row 注 with the note and the rule's source.
Result<CsvRows> ConsumptionTaxCsv(const SharedState& s, const std::string& method,
                                  int businessClass);

}  // namespace tabulo
