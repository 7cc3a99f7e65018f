#include "taxreturn/FormLayout.h"

#include <algorithm>
#include <cmath>
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

Result<FormLayout> ParseFormLayout(std::span<const std::byte> bytes, const std::string& name) {
    FormLayout L;
    Reader r(bytes, name);
    PrintDocument doc;
    PageWriter pw(doc);
    pw.ForeColor = kFormColor;
    pw.FontSize = 9;
    Pen pen;
    bool scaled = false;
    bool ended = false;
    auto mapX = [&](double x) { return (x + L.shiftX) * L.sx; };
    auto mapY = [&](double y) { return (y + L.frameY1) * L.sy; };
    // A position that the frame's scale carries far off the paper is a fault.
    auto onPaper = [&](double x, double y, const char* what) -> Status {
        if (std::abs(mapX(x)) > kMaxLayoutTwips || std::abs(mapY(y)) > kMaxLayoutTwips)
            return r.Bad(std::string("位置が用紙から大きく外れています（") + what + "）。");
        return Ok();
    };
    auto addSlot = [&](double x, double y, std::string font, double size) -> Status {
        if (auto s = onPaper(x, y, "データの位置"); !s) return s.error();
        if (static_cast<int>(L.formSlots.size()) >= kMaxFormSlots)
            return r.Bad("データの位置が " + std::to_string(kMaxFormSlots) + " を超えています。");
        L.formSlots.push_back({mapX(x), mapY(y), std::move(font), size});
        return Ok();
    };
    while (!ended) {
        if (r.AtEnd()) return r.Bad("終わりのレコード（0）がありません。");
        TRY_ASSIGN(type, r.Int16("レコードの種類"));
        switch (type) {
            case 0:
                ended = true;
                break;
            case 1: {
                TRY_ASSIGN(x1, r.Number("枠"));
                TRY_ASSIGN(y1, r.Number("枠"));
                TRY_ASSIGN(x2, r.Number("枠"));
                TRY_ASSIGN(y2, r.Number("枠"));
                L.frameX1 = x1;
                L.frameY1 = y1;
                L.frameX2 = x2;
                L.frameY2 = y2;
                L.shiftX = x1;
                break;
            }
            case 2:
            case 3: {
                TRY_ASSIGN(x1, r.Number("線"));
                TRY_ASSIGN(y1, r.Number("線"));
                TRY_ASSIGN(x2, r.Number("線"));
                TRY_ASSIGN(y2, r.Number("線"));
                if (auto s = onPaper(x1, y1, "線"); !s) return s.error();
                if (auto s = onPaper(x2, y2, "線"); !s) return s.error();
                pw.DrawWidth = pen.width;
                pw.DrawStyle = pen.style;
                // Lines and boxes land on whole twips.
                const double a = std::round(mapX(x1)), b = std::round(mapY(y1));
                const double c = std::round(mapX(x2)), d = std::round(mapY(y2));
                if (type == 2)
                    pw.Line(a, b, c, d);
                else
                    pw.Box(a, b, c, d);
                break;
            }
            case 4: {
                TRY_ASSIGN(x, r.Number("文字の位置"));
                TRY_ASSIGN(y, r.Number("文字の位置"));
                TRY_ASSIGN(text, r.Text("文字"));
                if (auto s = onPaper(x, y, "文字の位置"); !s) return s.error();
                pw.PrintAt(mapX(x), mapY(y), text);
                break;
            }
            case 5: {
                TRY_ASSIGN(font, r.Text("書体"));
                TRY_ASSIGN(size, r.FontSize("文字の大きさ"));
                pw.FontName = font;
                pw.FontSize = size;
                break;
            }
            case 6: {
                TRY_ASSIGN(a, r.Int16("線の属性"));
                TRY_ASSIGN(b, r.Int16("線の属性"));
                // The first value picks the weight (below 3 a hairline, else a bold rule),
                // the second the pattern as the report pens number them (0 solid, 2 dots).
                pen.width = a < 3 ? 1 : 4;
                pen.style = b;
                break;
            }
            case 7: {
                TRY_ASSIGN(title, r.Text("表題"));
                (void)title;
                break;
            }
            case 8: {
                TRY_ASSIGN(orientation, r.Int16("用紙の向き"));
                TRY_ASSIGN(paper, r.Int16("用紙"));
                TRY_ASSIGN(spare, r.Int16("用紙"));
                (void)spare;
                L.orientation = orientation == 1 ? 1 : 2;
                double W = 0, H = 0;
                if (PaperSize(paper, L.orientation, W, H)) {
                    L.paper = paper;
                    L.pageWidth = W;
                    L.pageHeight = H;
                    if (orientation == 1 || orientation == 2) {
                        if (L.frameX2 == L.frameX1 || L.frameY2 == L.frameY1)
                            return r.Bad("枠（レコード 1）の幅か高さが 0 です。");
                        L.sx = W / (L.frameX2 - L.frameX1);
                        L.sy = H / (L.frameY2 - L.frameY1);
                        scaled = true;
                    }
                }
                // From here the horizontal shift is 2 units; the scale keeps the width
                // worked out from the frame's own left edge.
                L.shiftX = 2;
                break;
            }
            case 9: {
                TRY_ASSIGN(x, r.Number("データの位置"));
                TRY_ASSIGN(y, r.Number("データの位置"));
                TRY_ASSIGN(font, r.Text("書体"));
                TRY_ASSIGN(size, r.FontSize("文字の大きさ"));
                if (!font.empty()) pw.FontName = font;
                if (size != 0) pw.FontSize = size;
                if (auto s = addSlot(x, y, font, size); !s) return s.error();
                break;
            }
            case 10: {
                TRY_ASSIGN(columns, r.Int16("列数"));
                TRY_ASSIGN(rows, r.Int16("行数"));
                TRY_ASSIGN(y0, r.Int16("行の位置"));
                TRY_ASSIGN(pitch, r.Int16("行の間隔"));
                TRY_ASSIGN(font, r.Text("書体"));
                TRY_ASSIGN(size, r.FontSize("文字の大きさ"));
                int xs[20];
                for (int& x : xs) {
                    TRY_ASSIGN(v, r.Int16("列の位置"));
                    x = v;
                }
                if (columns < 0 || columns > 20 || rows < 0)
                    return r.Bad("表の列数か行数が正しくありません。");
                for (int row = 1; row <= rows; ++row) {
                    for (int c = 1; c <= columns; ++c) {
                        // Only the grid's first slot carries the font; the rest print in it.
                        const bool first = row == 1 && c == 1;
                        if (auto s = addSlot(xs[c - 1], y0 + (row - 1) * pitch,
                                             first ? font : std::string(), first ? size : 0);
                            !s)
                            return s.error();
                    }
                }
                break;
            }
            case 11: {
                TRY_ASSIGN(x, r.Number("位置"));
                TRY_ASSIGN(y, r.Number("位置"));
                TRY_ASSIGN(text, r.Text("文字"));
                (void)x;
                (void)y;
                (void)text;
                break;
            }
            default:
                // An unknown code has no values to skip: the next value is a code again.
                break;
        }
    }
    if (!scaled) {
        // A layout without a known page set-up prints as an A4 landscape page in twips.
        if (L.pageWidth == 0) PaperSize(1, L.orientation, L.pageWidth, L.pageHeight);
    }
    L.dataFont = pw.FontName;
    if (!doc.pages.empty()) L.form = std::move(doc.pages.front());
    L.form.scaleWidth = L.pageWidth;
    L.form.scaleHeight = L.pageHeight;
    return L;
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
