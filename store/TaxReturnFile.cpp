#include "store/TaxReturnFile.h"

#include <stdexcept>

namespace tabulo {
namespace {

using T = TaxValue::Type;
constexpr T S = TaxValue::Str, I = TaxValue::Int, L = TaxValue::Long;

std::vector<TaxGroupLayout> BuildLayout() {
    // Group, rows, line patterns, in file order.
    std::vector<TaxGroupLayout> groups = {
        {1, 0, 4, {{S, S, I, I}}},
        {2, 0, 5, {{L, L, L, L}}},
        {3, 0, 11, {{L}}},
        {4, 0, 5, {{S, I, I}}},
        {5, 0, 1, {{S}}},
        {6, 0, 7, {{L, L, L, L}}},
        {7, 0, 10, {{S, S, I, I, L, L, S, I, S, I, L, L, L, I, L, L, S}}},
        {8, 0, 1, {{L, L, L, L, L, S}}},
        {9, 0, 4, {{S, L, L, L, S, S, L}, {L, L, S, L, L, L}}},
        {10, 0, 1, {{S}}},
        {11, 0, 48, {{L}}},
    };
    int line = 0;
    for (auto& g : groups) {
        g.firstLine = line;
        line += g.rows;
    }
    return groups;
}

const TaxGroupLayout& Group(int group) {
    const auto& layout = TaxReturnLayout();
    if (group < 1 || group > kTaxGroupCount) throw std::out_of_range("tax-return group");
    return layout[static_cast<std::size_t>(group - 1)];
}

}  // namespace

const std::vector<TaxGroupLayout>& TaxReturnLayout() {
    static const std::vector<TaxGroupLayout> layout = BuildLayout();
    return layout;
}

std::vector<std::vector<TaxValue::Type>> TaxReturnLineTypes() {
    std::vector<std::vector<TaxValue::Type>> lines;
    for (const auto& g : TaxReturnLayout()) {
        for (int r = 1; r <= g.rows; ++r) lines.push_back(g.LineTypes(r));
    }
    return lines;
}

int TaxLineIndex(int group, int row) {
    const TaxGroupLayout& g = Group(group);
    if (row < 1 || row > g.rows) throw std::out_of_range("tax-return row");
    return g.firstLine + row - 1;
}

TaxValue& TaxAt(TaxReturnTables& t, int group, int row, int column) {
    auto& line = t.lines.at(static_cast<std::size_t>(TaxLineIndex(group, row)));
    return line.at(static_cast<std::size_t>(column - 1));
}

const TaxValue& TaxAt(const TaxReturnTables& t, int group, int row, int column) {
    const auto& line = t.lines.at(static_cast<std::size_t>(TaxLineIndex(group, row)));
    return line.at(static_cast<std::size_t>(column - 1));
}

std::int32_t TaxNumber(const TaxReturnTables& t, int group, int row, int column) {
    return TaxAt(t, group, row, column).number;
}

const std::string& TaxText(const TaxReturnTables& t, int group, int row, int column) {
    return TaxAt(t, group, row, column).text;
}

void SetTaxNumber(TaxReturnTables& t, int group, int row, int column, std::int32_t value) {
    TaxAt(t, group, row, column).number = value;
}

void SetTaxText(TaxReturnTables& t, int group, int row, int column, std::string text) {
    TaxAt(t, group, row, column).text = std::move(text);
}

bool HasTaxReturnShape(const TaxReturnTables& t) {
    auto types = TaxReturnLineTypes();
    if (t.lines.size() != types.size()) return false;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (t.lines[i].size() != types[i].size()) return false;
        for (std::size_t j = 0; j < types[i].size(); ++j) {
            if (t.lines[i][j].type != types[i][j]) return false;
        }
    }
    return true;
}

void ClearTaxReturnNumbers(TaxReturnTables& t) {
    for (auto& line : t.lines) {
        for (auto& v : line) {
            if (v.type != TaxValue::Str) v.number = 0;
        }
    }
}

}  // namespace tabulo
