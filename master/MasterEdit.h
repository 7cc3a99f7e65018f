#pragma once
// The item master's editing rules without the screen: what a committed cell shows,
// which keys each field takes, and how the edited grid and header boxes become
// ItemTableEdit rows and MasterHeader.

#include <array>
#include <string>
#include <string_view>

#include "store/Records.h"

namespace tabulo {

// Grid columns of the item master.
namespace MasterColumn {
inline constexpr int No = 0;
inline constexpr int Name = 1;
inline constexpr int Kubun = 2;
inline constexpr int Kubun2 = 3;
inline constexpr int Kubun3 = 4;
inline constexpr int Count = 5;
}  // namespace MasterColumn

inline constexpr int kHeaderBoxCount = 12;  // boxes 1..12; the trade name has none
inline constexpr int kItemNameBytes = 16;
inline constexpr int kBusinessNameBytes = 24;

// The MasterHeader field that header box `box` (1..12) edits.
int HeaderFieldOfBox(int box);

// Cell texts as the grid shows them.
std::string ItemNoCellText(int itemNo);           // right-aligned in 3
std::string CodeCellText(int code);               // "##0", right-aligned in 3
std::string NameCellText(const ItemEntry& item);  // the name without its padding

// The text a cell keeps when its edit ends: a name is cut to 16 bytes, a code is
// the numeric value of what was typed, formatted like CodeCellText.
std::string CommitCellText(int column, std::string_view typed);

// Whether a typed character may enter a field (the caller beeps otherwise).
// Every text box refuses the double quote, which MASTER.DAT cannot hold, and any
// character without a CP932 form.
bool AcceptsGridKey(int column, char32_t ch);
bool AcceptsHeaderKey(int box, char32_t ch);
// Header boxes take letters in upper case.
char32_t HeaderKeyTransform(char32_t ch);

// The texts of one grid row, columns 1..4.
struct ItemRowCells {
    std::string name;
    std::string kubun;
    std::string kubun2;
    std::string kubun3;
};

// An ItemTableEdit row from its cells: the name padded and cut to 16 bytes, the
// codes from the numbers shown, the 区分 name from `kubunNames` ("" outside 0..7).
ItemEntry ItemFromCells(const ItemRowCells& cells, const std::array<std::string, 8>& kubunNames);

// MasterHeader from the twelve boxes (index 0 = box 1): the business name cut to
// 24 bytes, the trade name set equal to it, the other boxes as typed.
MasterHeaderArray HeaderFromBoxes(const std::array<std::string, kHeaderBoxCount>& boxes);

}  // namespace tabulo
