#include "platform/PrintDocument.h"

namespace tabulo {

void PageWriter::NewPage(double scaleWidth, double scaleHeight) {
    PrintPage page;
    page.scaleWidth = scaleWidth;
    page.scaleHeight = scaleHeight;
    doc_.pages.push_back(std::move(page));
}

PrintPage& PageWriter::Page() {
    // Drawing before any set-up starts a page of the last scale (or none).
    if (doc_.pages.empty()) doc_.pages.emplace_back();
    return doc_.pages.back();
}

void PageWriter::Shape(DrawKind kind, double x1, double y1, double x2, double y2) {
    DrawOp op;
    op.kind = kind;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.style = DrawStyle;
    op.width = DrawWidth;
    op.color = ForeColor;
    Page().ops.push_back(std::move(op));
}

void PageWriter::Line(double x1, double y1, double x2, double y2) {
    Shape(DrawKind::Line, x1, y1, x2, y2);
}

void PageWriter::Box(double x1, double y1, double x2, double y2) {
    Shape(DrawKind::Box, x1, y1, x2, y2);
}

void PageWriter::Print(std::string_view text) {
    DrawOp op;
    op.kind = DrawKind::Text;
    op.x1 = CurrentX;
    op.y1 = CurrentY;
    op.x2 = CurrentX;
    op.y2 = CurrentY;
    op.color = ForeColor;
    op.font = FontName;
    op.size = FontSize;
    op.text = std::string(text);
    Page().ops.push_back(std::move(op));
}

void PageWriter::PrintAt(double x, double y, std::string_view text) {
    CurrentX = x;
    CurrentY = y;
    Print(text);
}

}  // namespace tabulo
