#include "master/MasterEdit.h"

#include <cmath>
#include <limits>

#include "store/Text.h"

namespace tabulo {

namespace {

// Blanks prefixed up to `width`; a longer text is kept whole so that no digit of a
// number read from the file is ever hidden.
std::string PadLeft(std::string s, std::size_t width) {
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

std::int16_t CodeFromText(std::string_view text) {
    double v = std::trunc(Val(text));
    if (!(v >= std::numeric_limits<std::int16_t>::min()))
        return std::numeric_limits<std::int16_t>::min();
    if (v > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(v);
}


// Any character that MASTER.DAT can hold: one with a CP932 form, not the quote
// that ends a string in the file.
bool StorableTextChar(char32_t ch) { return ch != U'"' && IsCp932Text(EncodeUtf8(ch)); }

}  // namespace

int HeaderFieldOfBox(int box) {
    // Boxes 1..4 are the first four fields; the trade name (field 4) has no box.
    return box <= 4 ? box - 1 : box;
}

std::string ItemNoCellText(int itemNo) { return PadLeft(std::to_string(itemNo), 3); }

std::string CodeCellText(int code) { return PadLeft(std::to_string(code), 3); }

std::string NameCellText(const ItemEntry& item) { return TrimRight(item.ItemName); }

std::string CommitCellText(int column, std::string_view typed) {
    if (column == MasterColumn::Name) return CutToBytes(typed, kItemNameBytes);
    return CodeCellText(CodeFromText(typed));
}

bool AcceptsGridKey(int column, char32_t ch) {
    switch (column) {
        case MasterColumn::Name:
            return StorableTextChar(ch);
        case MasterColumn::Kubun:
        case MasterColumn::Kubun2:
            return ch >= U'0' && ch <= U'7';
        case MasterColumn::Kubun3:
            return ch >= U'0' && ch <= U'9';
        default:
            return false;
    }
}

bool AcceptsHeaderKey(int box, char32_t ch) {
    if (!StorableTextChar(ch)) return false;
    bool phone = box == 7 || box == 8 || box == 12;
    if (phone) return AcceptDigitsAndDash(KeyCodeOf(ch)) == 0;
    return true;
}

char32_t HeaderKeyTransform(char32_t ch) {
    return (ch >= U'a' && ch <= U'z') ? ch - U'a' + U'A' : ch;
}

ItemEntry ItemFromCells(const ItemRowCells& cells, const std::array<std::string, 8>& kubunNames) {
    ItemEntry item;
    // Padded to 16 characters first, so a stored name always fills its 16 bytes.
    item.ItemName = CutToBytes(LeftAlign(cells.name, kItemNameBytes), kItemNameBytes);
    item.ItemKubun = CodeFromText(cells.kubun);
    item.ItemKubunName =
        (item.ItemKubun >= 0 && item.ItemKubun <= 7) ? kubunNames[item.ItemKubun] : std::string();
    item.ItemKubun2 = CodeFromText(cells.kubun2);
    item.ItemKubun3 = CodeFromText(cells.kubun3);
    return item;
}

MasterHeaderArray HeaderFromBoxes(const std::array<std::string, kHeaderBoxCount>& boxes) {
    MasterHeaderArray header;
    for (int box = 1; box <= kHeaderBoxCount; ++box) header[HeaderFieldOfBox(box)] = boxes[box - 1];
    header[MasterField::BusinessName] = CutToBytes(boxes[0], kBusinessNameBytes);
    header[MasterField::TradeName] = header[MasterField::BusinessName];
    return header;
}

}  // namespace tabulo
