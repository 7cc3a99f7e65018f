#include "taxreturn/FormLayout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

#include "platform/AtomicFile.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// One value of the comma-separated text: quoted or bare, still CP932.
struct Token {
    bool quoted = false;
    std::string text;
};

class Tokens {
  public:
    explicit Tokens(std::span<const std::byte> bytes) : b_(bytes) {}

    // The next value; nullopt at the end of the file.
    std::optional<Token> Next() {
        SkipSeparators();
        if (pos_ >= b_.size() || At() == 0x1A) return std::nullopt;
        Token t;
        if (At() == '"') {
            t.quoted = true;
            ++pos_;
            while (pos_ < b_.size() && At() != '"' && At() != '\r' && At() != '\n')
                t.text += Char();
            if (pos_ < b_.size() && At() == '"') ++pos_;
            // Anything up to the next separator belongs to no value.
            while (pos_ < b_.size() && At() != ',' && At() != '\r' && At() != '\n') ++pos_;
        } else {
            while (pos_ < b_.size() && At() != ',' && At() != '\r' && At() != '\n')
                t.text += Char();
            while (!t.text.empty() && (t.text.back() == ' ' || t.text.back() == '\t'))
                t.text.pop_back();
        }
        pendingComma_ = pos_ < b_.size() && At() == ',';
        if (pendingComma_) ++pos_;
        return t;
    }

  private:
    unsigned char At() const { return static_cast<unsigned char>(b_[pos_]); }
    char Char() { return static_cast<char>(b_[pos_++]); }
    void SkipSeparators() {
        // Blanks and line ends separate values; a comma already ended the last one.
        while (pos_ < b_.size() && (At() == ' ' || At() == '\t' || At() == '\r' || At() == '\n'))
            ++pos_;
    }
    std::span<const std::byte> b_;
    std::size_t pos_ = 0;
    bool pendingComma_ = false;
};

// The sane range of a layout's values: the shipped forms place everything within
// 3,000 units and use fonts of 6 to 16 points.
constexpr double kMaxLayoutValue = 100000;
constexpr double kMaxFontSize = 200;
// How far from the page a mapped position (in twips) may lie: far beyond any paper,
// well inside what a printer's coordinates hold.
constexpr double kMaxLayoutTwips = 1000000;

class Reader {
  public:
    Reader(std::span<const std::byte> bytes, const std::string& name) : t_(bytes), name_(name) {}

    bool AtEnd() {
        if (!peeked_) peeked_ = t_.Next();
        return !peeked_;
    }
    std::optional<Token> Take() {
        if (peeked_) {
            auto t = std::move(peeked_);
            peeked_.reset();
            return t;
        }
        return t_.Next();
    }
    // A position or a length in layout units, within ±kMaxLayoutValue.
    Result<double> Number(const char* what) { return Number(what, -kMaxLayoutValue, kMaxLayoutValue); }
    // A font size in points, 0 (the size in force) to kMaxFontSize.
    Result<double> FontSize(const char* what) { return Number(what, 0, kMaxFontSize); }
    Result<double> Number(const char* what, double lo, double hi) {
        auto t = Take();
        if (!t) return Bad(std::string("ファイルが途中で終わっています（") + what + "）。");
        if (t->quoted) return Bad(std::string("数値のところに文字列があります（") + what + "）。");
        const std::string s = Trim(t->text);
        // Val would read "abc" as 0; a layout value that is not a number is a fault.
        if (!s.empty() && !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '-' ||
                            s[0] == '+' || s[0] == '.'))
            return Bad(std::string("数値が正しくありません（") + what + "）: " + s);
        const double v = Val(s);
        // A value no form could use (a font of 1e12 points) is a fault of the file, not
        // something to hand on to the printer.
        if (!std::isfinite(v) || v < lo || v > hi)
            return Bad(std::string("数値が範囲外です（") + what + "）: " + s);
        return v;
    }
    Result<int> Int16(const char* what) {
        auto v = Number(what);
        if (!v) return v.error();
        const double r = std::nearbyint(*v);
        if (r < INT16_MIN || r > INT16_MAX)
            return Bad(std::string("数値が大きすぎます（") + what + "）。");
        return static_cast<int>(r);
    }
    Result<std::string> Text(const char* what) {
        auto t = Take();
        if (!t) return Bad(std::string("ファイルが途中で終わっています（") + what + "）。");
        auto utf8 = FromCp932(t->text);
        if (!utf8) return Bad(std::string("文字が正しくありません（") + what + "）。");
        return *utf8;
    }
    FileError Bad(const std::string& detail) const { return BadFormatError(name_, detail); }

  private:
    Tokens t_;
    std::string name_;
    std::optional<Token> peeked_;
};

#define TRY_ASSIGN(var, expr)             \
    auto var##_r = (expr);                \
    if (!var##_r) return var##_r.error(); \
    auto var = *var##_r

struct Pen {
    int width = 2;  // dots of 1/300 inch
    int style = 0;
};

}  // namespace

bool PaperSize(int paper, int orientation, double& width, double& height) {
    // Printable width x height in twips, portrait.
    static constexpr double kSizes[5][2] = {{16046.101, 23020.201},
                                            {11113.2, 16046.101},
                                            {7597.8003, 11113.2},
                                            {13381.2, 19278.0},
                                            {9525.601, 13778.101}};
    if (paper < 0 || paper > 4) return false;
    width = kSizes[paper][0];
    height = kSizes[paper][1];
    if (orientation != 1) std::swap(width, height);
    return true;
}

namespace {

// Reads a layout record by record into the form's drawing and its data positions.
class LayoutParser {
  public:
    LayoutParser(std::span<const std::byte> bytes, const std::string& name)
        : r_(bytes, name), pw_(doc_) {
        pw_.ForeColor = kFormColor;
        pw_.FontSize = 9;
    }

    Result<FormLayout> Parse() {
        bool ended = false;
        while (!ended) {
            if (r_.AtEnd()) return r_.Bad("終わりのレコード（0）がありません。");
            TRY_ASSIGN(type, r_.Int16("レコードの種類"));
            if (type == 0) {
                ended = true;
            } else if (auto s = Record(type); !s) {
                return s.error();
            }
        }
        // A layout without a known page set-up prints as an A4 landscape page in twips.
        if (!scaled_ && L_.pageWidth == 0) PaperSize(1, L_.orientation, L_.pageWidth, L_.pageHeight);
        L_.dataFont = pw_.FontName;
        if (!doc_.pages.empty()) L_.form = std::move(doc_.pages.front());
        L_.form.scaleWidth = L_.pageWidth;
        L_.form.scaleHeight = L_.pageHeight;
        return std::move(L_);
    }

  private:
    Status Record(int type) {
        switch (type) {
            case 1: return Frame();
            case 2:
            case 3: return Rule(type == 3);
            case 4: return Caption();
            case 5: return Font();
            case 6: return PenRecord();
            case 7: return Skip({"表題"});
            case 8: return PageSetUp();
            case 9: return DataSlot();
            case 10: return Grid();
            case 11: return SkipNote();
            // An unknown code has no values to skip: the next value is a code again.
            default: return Ok();
        }
    }

    double MapX(double x) const { return (x + L_.shiftX) * L_.sx; }
    double MapY(double y) const { return (y + L_.frameY1) * L_.sy; }

    // A position that the frame's scale carries far off the paper is a fault.
    Status OnPaper(double x, double y, const char* what) const {
        if (std::abs(MapX(x)) > kMaxLayoutTwips || std::abs(MapY(y)) > kMaxLayoutTwips)
            return r_.Bad(std::string("位置が用紙から大きく外れています（") + what + "）。");
        return Ok();
    }

    Status AddSlot(double x, double y, std::string font, double size) {
        if (auto s = OnPaper(x, y, "データの位置"); !s) return s.error();
        if (static_cast<int>(L_.formSlots.size()) >= kMaxFormSlots)
            return r_.Bad("データの位置が " + std::to_string(kMaxFormSlots) + " を超えています。");
        L_.formSlots.push_back({MapX(x), MapY(y), std::move(font), size});
        return Ok();
    }

    // 1: the frame, whose corners the page set-up scales to the paper.
    Status Frame() {
        TRY_ASSIGN(x1, r_.Number("枠"));
        TRY_ASSIGN(y1, r_.Number("枠"));
        TRY_ASSIGN(x2, r_.Number("枠"));
        TRY_ASSIGN(y2, r_.Number("枠"));
        L_.frameX1 = x1;
        L_.frameY1 = y1;
        L_.frameX2 = x2;
        L_.frameY2 = y2;
        L_.shiftX = x1;
        return Ok();
    }

    // 2: a line, 3: a box, in the pen in force.
    Status Rule(bool box) {
        TRY_ASSIGN(x1, r_.Number("線"));
        TRY_ASSIGN(y1, r_.Number("線"));
        TRY_ASSIGN(x2, r_.Number("線"));
        TRY_ASSIGN(y2, r_.Number("線"));
        if (auto s = OnPaper(x1, y1, "線"); !s) return s.error();
        if (auto s = OnPaper(x2, y2, "線"); !s) return s.error();
        pw_.DrawWidth = pen_.width;
        pw_.DrawStyle = pen_.style;
        // Lines and boxes land on whole twips.
        const double a = std::round(MapX(x1)), b = std::round(MapY(y1));
        const double c = std::round(MapX(x2)), d = std::round(MapY(y2));
        if (box)
            pw_.Box(a, b, c, d);
        else
            pw_.Line(a, b, c, d);
        return Ok();
    }

    // 4: a printed text of the form itself.
    Status Caption() {
        TRY_ASSIGN(x, r_.Number("文字の位置"));
        TRY_ASSIGN(y, r_.Number("文字の位置"));
        TRY_ASSIGN(text, r_.Text("文字"));
        if (auto s = OnPaper(x, y, "文字の位置"); !s) return s.error();
        pw_.PrintAt(MapX(x), MapY(y), text);
        return Ok();
    }

    // 5: the font for what follows.
    Status Font() {
        TRY_ASSIGN(font, r_.Text("書体"));
        TRY_ASSIGN(size, r_.FontSize("文字の大きさ"));
        pw_.FontName = font;
        pw_.FontSize = size;
        return Ok();
    }

    // 6: the pen. The first value picks the weight (below 3 a hairline, else a bold
    // rule), the second the pattern as the report pens number them (0 solid, 2 dots).
    Status PenRecord() {
        TRY_ASSIGN(a, r_.Int16("線の属性"));
        TRY_ASSIGN(b, r_.Int16("線の属性"));
        pen_.width = a < 3 ? 1 : 4;
        pen_.style = b;
        return Ok();
    }

    // 7: the title, read and not printed.
    Status Skip(std::initializer_list<const char*> texts) {
        for (const char* what : texts) {
            TRY_ASSIGN(text, r_.Text(what));
            (void)text;
        }
        return Ok();
    }

    // 8: the orientation and paper, which scale the frame onto the page.
    Status PageSetUp() {
        TRY_ASSIGN(orientation, r_.Int16("用紙の向き"));
        TRY_ASSIGN(paper, r_.Int16("用紙"));
        TRY_ASSIGN(spare, r_.Int16("用紙"));
        (void)spare;
        L_.orientation = orientation == 1 ? 1 : 2;
        double W = 0, H = 0;
        if (PaperSize(paper, L_.orientation, W, H)) {
            L_.paper = paper;
            L_.pageWidth = W;
            L_.pageHeight = H;
            if (orientation == 1 || orientation == 2) {
                if (L_.frameX2 == L_.frameX1 || L_.frameY2 == L_.frameY1)
                    return r_.Bad("枠（レコード 1）の幅か高さが 0 です。");
                L_.sx = W / (L_.frameX2 - L_.frameX1);
                L_.sy = H / (L_.frameY2 - L_.frameY1);
                scaled_ = true;
            }
        }
        // From here the horizontal shift is 2 units; the scale keeps the width worked
        // out from the frame's own left edge.
        L_.shiftX = 2;
        return Ok();
    }

    // 9: one data position with its font.
    Status DataSlot() {
        TRY_ASSIGN(x, r_.Number("データの位置"));
        TRY_ASSIGN(y, r_.Number("データの位置"));
        TRY_ASSIGN(font, r_.Text("書体"));
        TRY_ASSIGN(size, r_.FontSize("文字の大きさ"));
        if (!font.empty()) pw_.FontName = font;
        if (size != 0) pw_.FontSize = size;
        return AddSlot(x, y, font, size);
    }

    // 10: a grid of data positions, row by row, with 20 column positions.
    Status Grid() {
        TRY_ASSIGN(columns, r_.Int16("列数"));
        TRY_ASSIGN(rows, r_.Int16("行数"));
        TRY_ASSIGN(y0, r_.Int16("行の位置"));
        TRY_ASSIGN(pitch, r_.Int16("行の間隔"));
        TRY_ASSIGN(font, r_.Text("書体"));
        TRY_ASSIGN(size, r_.FontSize("文字の大きさ"));
        int xs[20];
        for (int& x : xs) {
            TRY_ASSIGN(v, r_.Int16("列の位置"));
            x = v;
        }
        if (columns < 0 || columns > 20 || rows < 0)
            return r_.Bad("表の列数か行数が正しくありません。");
        for (int row = 1; row <= rows; ++row) {
            for (int c = 1; c <= columns; ++c) {
                // Only the grid's first slot carries the font; the rest print in it.
                const bool first = row == 1 && c == 1;
                if (auto s = AddSlot(xs[c - 1], y0 + (row - 1) * pitch,
                                     first ? font : std::string(), first ? size : 0);
                    !s)
                    return s.error();
            }
        }
        return Ok();
    }

    // 11: a note at a position, read and not printed.
    Status SkipNote() {
        TRY_ASSIGN(x, r_.Number("位置"));
        TRY_ASSIGN(y, r_.Number("位置"));
        (void)x;
        (void)y;
        return Skip({"文字"});
    }

    Reader r_;
    FormLayout L_;
    PrintDocument doc_;
    PageWriter pw_;
    Pen pen_;
    bool scaled_ = false;
};

}  // namespace

Result<FormLayout> ParseFormLayout(std::span<const std::byte> bytes, const std::string& name) {
    return LayoutParser(bytes, name).Parse();
}

Result<FormLayout> LoadFormLayout(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        FileError e{FileErrorCode::FileNotFound, path.string(), "印刷様式のファイルがありません。"};
        return e;
    }
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    return ParseFormLayout(*bytes, path.string());
}

PrintOffsets OffsetsFromSettings(const std::string& xLine, const std::string& yLine) {
    return {Val(xLine), Val(yLine)};
}

Result<PrintDocument> RenderStatementPage(const FormLayout& layout,
                                          const std::vector<SlotText>& texts, PrintOffsets offsets,
                                          bool withForm, const std::string& name,
                                          const std::string& fileName) {
    std::size_t required = texts.size();
    while (required > 0 && texts[required - 1].optional) --required;
    if (required > layout.formSlots.size()) {
        return BadFormatError(
            fileName, "データの位置が足りません（" + std::to_string(layout.formSlots.size()) +
                          " か所、必要なのは " + std::to_string(required) + " か所）。");
    }
    const std::size_t printed = std::min(texts.size(), layout.formSlots.size());
    PrintDocument doc;
    doc.name = name;
    PrintPage page;
    page.scaleWidth = layout.pageWidth;
    page.scaleHeight = layout.pageHeight;
    if (withForm) page.ops = layout.form.ops;
    const double offX = offsets.x * layout.sx;
    const double offY = offsets.y * layout.sy;
    std::string font = layout.dataFont;
    double size = 9;
    for (std::size_t k = 0; k < printed; ++k) {
        const FormSlot& slot = layout.formSlots[k];
        const SlotText& t = texts[k];
        if (!slot.font.empty()) font = slot.font;
        if (slot.size > 0) size = slot.size;
        if (t.size > 0) size = t.size;
        if (t.text.empty()) continue;
        double x = offX + slot.x;
        if (t.fieldChars > 0) {
            // Half-width characters of a fixed-pitch face are half the size wide.
            const int excess = Cp932Width(t.text) - t.fieldChars;
            if (excess > 0) x -= excess * size * 10.0;
        }
        DrawOp op;
        op.kind = DrawKind::Text;
        op.x1 = op.x2 = x;
        op.y1 = op.y2 = offY + slot.y;
        op.color = kDataColor;
        op.font = font;
        op.size = size;
        op.text = t.text;
        page.ops.push_back(std::move(op));
    }
    doc.pages.push_back(std::move(page));
    return doc;
}

PrintDocument FitToPaper(const PrintDocument& doc, double areaLeft, double areaTop,
                         double areaWidth, double areaHeight, double paperWidth,
                         double paperHeight) {
    PrintDocument out = doc;
    for (PrintPage& page : out.pages) {
        if (areaWidth <= 0 || areaHeight <= 0) continue;
        const double dx = (paperWidth - page.scaleWidth) / 2 - areaLeft;
        const double dy = (paperHeight - page.scaleHeight) / 2 - areaTop;
        for (DrawOp& op : page.ops) {
            op.x1 += dx;
            op.x2 += dx;
            op.y1 += dy;
            op.y2 += dy;
        }
        page.scaleWidth = areaWidth;
        page.scaleHeight = areaHeight;
    }
    return out;
}

std::filesystem::path LayoutPath(const std::filesystem::path& programFolder, int page) {
    return programFolder / "FORM" / ("shinkoku-" + std::to_string(page) + ".FRW");
}

}  // namespace tabulo
