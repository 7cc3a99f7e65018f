#pragma once
// A printout as the core builds it: pages of drawing operations (lines, boxes, texts)
// in the report's own units, laid over the printable area of the paper. The printer
// layer only plays such a document; tests compare the operations exactly.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulo {

// Every printout is laid over A4 portrait within these margins: about the hard
// margins of an office laser printer.
inline constexpr double kPrintoutMarginMm = 5;

enum class DrawKind : std::uint8_t { Line, Box, Text };

struct DrawOp {
    DrawKind kind = DrawKind::Line;
    double x1 = 0;  // a line's start, a box's corner, a text's top-left corner
    double y1 = 0;
    double x2 = 0;  // a line's end, a box's opposite corner
    double y2 = 0;
    int style = 0;            // DrawStyle: 0 solid, 2 dotted
    int width = 1;            // DrawWidth in printer dots (1/300 inch)
    std::uint32_t color = 0;  // 0xRRGGBB
    std::string font;         // FontName, as the layouts name it ("ＭＳ 明朝")
    double size = 0;          // FontSize in points
    std::string text;         // UTF-8
    bool operator==(const DrawOp&) const = default;
};

struct PrintPage {
    // The page's units: ScaleWidth across the printable width, ScaleHeight down it.
    double scaleWidth = 0;
    double scaleHeight = 0;
    std::vector<DrawOp> ops;
};

struct PrintDocument {
    std::string name;  // the printout's name, for the print job and the PDF file
    std::vector<PrintPage> pages;
};

// The operations of the printer object, recorded into a document: set the font and
// the pen, move the current position, draw. NewPage() is the page set-up.
class PageWriter {
  public:
    explicit PageWriter(PrintDocument& doc) : doc_(doc) {}

    void NewPage(double scaleWidth, double scaleHeight);
    int PageCount() const { return static_cast<int>(doc_.pages.size()); }

    std::string FontName;
    double FontSize = 10;
    double CurrentX = 0;
    double CurrentY = 0;
    int DrawStyle = 0;
    int DrawWidth = 1;
    std::uint32_t ForeColor = 0;

    void Line(double x1, double y1, double x2, double y2);
    void Box(double x1, double y1, double x2, double y2);
    // The text with its top-left corner at (CurrentX, CurrentY).
    void Print(std::string_view text);
    // CurrentX, CurrentY = (x, y), then Print.
    void PrintAt(double x, double y, std::string_view text);

  private:
    PrintPage& Page();
    void Shape(DrawKind kind, double x1, double y1, double x2, double y2);
    PrintDocument& doc_;
};

// Where printouts go: the application's printer, or a recorder in the tests.
class DocumentPrinter {
  public:
    virtual ~DocumentPrinter() = default;
    // Sends every page of `doc` out as one print job; false when the printer failed.
    virtual bool Print(const PrintDocument& doc) = 0;
};

}  // namespace tabulo
