#pragma once
// The shape of SHINKOKU.DAT: the value types of every line, group by group, and
// access to a value by group, row and column. The reader and the writer both follow
// TaxReturnLayout(), so the screens never count lines themselves.

#include <vector>

#include "store/Records.h"

namespace tabulo {

struct TaxGroupLayout {
    int group = 0;       // 1..11
    int firstLine = 0;   // 0-based index into TaxReturnTables::lines
    int rows = 0;        // lines of the group
    // Value types of a line; a group whose lines alternate (group 9, two lines per
    // row) lists both patterns and its rows are its lines, 1..4.
    std::vector<std::vector<TaxValue::Type>> patterns;
    const std::vector<TaxValue::Type>& LineTypes(int row) const {
        return patterns[static_cast<std::size_t>(row - 1) % patterns.size()];
    }
};

inline constexpr int kTaxGroupCount = 11;
inline constexpr int kTaxLineCount = 97;
// Lines through group 8 and through group 10: an older file may end at either.
inline constexpr int kTaxLinesThroughGroup8 = 44;
inline constexpr int kTaxLinesThroughGroup10 = 49;

// Groups 1..11 in file order (index 0 is group 1).
const std::vector<TaxGroupLayout>& TaxReturnLayout();
// The type of every line in file order.
std::vector<std::vector<TaxValue::Type>> TaxReturnLineTypes();

// 0-based line index of row `row` (1-based) of group `group`.
int TaxLineIndex(int group, int row);
// Value `column` (1-based) of row `row` of group `group`; the tables must have the
// layout's shape (as every reader and DefaultTaxReturnData give them).
TaxValue& TaxAt(TaxReturnTables& t, int group, int row, int column);
const TaxValue& TaxAt(const TaxReturnTables& t, int group, int row, int column);
// Typed shortcuts.
std::int32_t TaxNumber(const TaxReturnTables& t, int group, int row, int column);
const std::string& TaxText(const TaxReturnTables& t, int group, int row, int column);
void SetTaxNumber(TaxReturnTables& t, int group, int row, int column, std::int32_t value);
void SetTaxText(TaxReturnTables& t, int group, int row, int column, std::string text);

// True when `t` has exactly the layout's lines and types.
bool HasTaxReturnShape(const TaxReturnTables& t);
// Every number set to 0, the texts kept (the tables a next year starts from).
void ClearTaxReturnNumbers(TaxReturnTables& t);

}  // namespace tabulo
