#pragma once
// The layout files of the statement pages (FORM/shinkoku-N.FRW): a text of records,
// each a type code and its values, that draw the form (lines, boxes, fixed texts),
// set up the paper and number the positions (slots) where the page's data go. The
// reader turns a file into the form's drawing in twips and its slot table; rendering
// lays the page's texts over it, moved by the print offsets (the form never moves).

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/PrintDocument.h"

namespace tabulo {

inline constexpr int kMaxFormSlots = 500;
inline constexpr std::uint32_t kFormColor = 0x000080;  // the form's lines and texts: navy
inline constexpr std::uint32_t kDataColor = 0x000000;

struct FormSlot {
    double x = 0;  // twips from the printable area's top-left corner
    double y = 0;
    std::string font;  // empty: the font in force
    double size = 0;   // 0: the size in force
    bool operator==(const FormSlot&) const = default;
};

struct FormLayout {
    int orientation = 2;  // 1 portrait, 2 landscape
    int paper = -1;       // 0 A3, 1 A4, 2 A5, 3 B4, 4 B5; -1 none
    double frameX1 = 0, frameY1 = 0, frameX2 = 0, frameY2 = 0;  // record 1
    double shiftX = 0;                     // X1 as the mapping uses it (2 after the page set-up)
    double sx = 1, sy = 1;                 // twips per layout unit
    double pageWidth = 0, pageHeight = 0;  // the printable area in twips
    PrintPage form;                        // the drawing of the form, in twips
    std::vector<FormSlot> formSlots;
    std::string dataFont;  // the font in force when the drawing ends
};

// The printable width and height in twips of a paper code and orientation; false
// for an unknown paper.
bool PaperSize(int paper, int orientation, double& width, double& height);

// Reads a layout from its bytes (CP932 text). `name` names the file in errors. A
// layout without the end record, with more than 500 slots, or with a value that is
// not what its record needs is refused.
Result<FormLayout> ParseFormLayout(std::span<const std::byte> bytes, const std::string& name);
// The file at `path`; a missing file is an error.
Result<FormLayout> LoadFormLayout(const std::filesystem::path& path);

// What goes into one slot: the text and its font size (0: as in force). A text
// longer than `fieldChars` half-width characters is moved left by the excess, so
// that its end stays at the field's end.
// A slot the layout may lack (one added to the pages after the first layouts were
// drawn) is `optional`: a layout without it prints the rest of the page.
struct SlotText {
    std::string text;
    double size = 0;
    int fieldChars = 0;
    bool optional = false;
    bool operator==(const SlotText&) const = default;
};

// The print offsets of the settings (X and Y adjustment, in layout units).
struct PrintOffsets {
    double x = 0;
    double y = 0;
};
PrintOffsets OffsetsFromSettings(const std::string& xLine, const std::string& yLine);

// The page: the form (when `withForm`) and the texts slot by slot, the data moved by
// the offsets. Refuses data that need more slots than the layout has; optional texts
// at the end go only where the layout has slots for them.
Result<PrintDocument> RenderStatementPage(const FormLayout& layout,
                                          const std::vector<SlotText>& texts, PrintOffsets offsets,
                                          bool withForm, const std::string& name,
                                          const std::string& fileName);

// The page laid onto a printer whose drawable area is `areaWidth` x `areaHeight`
// twips, starting (`areaLeft`, `areaTop`) twips from the paper's corner, on paper of
// `paperWidth` x `paperHeight` twips: one unit stays one twip, and the page's
// printable area sits in the middle of the paper, as on the printer the layouts
// were drawn for. Without room to spare the page is left as it is.
PrintDocument FitToPaper(const PrintDocument& doc, double areaLeft, double areaTop,
                         double areaWidth, double areaHeight, double paperWidth,
                         double paperHeight);

// The layout file of page `page` (1..4) under the program folder.
std::filesystem::path LayoutPath(const std::filesystem::path& programFolder, int page);

}  // namespace tabulo
