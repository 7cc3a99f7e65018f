#include "platform/PrintPlayer.h"

#include <algorithm>

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QString>

#include "platform/Fonts.h"
#include "platform/PrintDocument.h"

namespace tabulo {
namespace {

Qt::PenStyle PenStyleOf(int drawStyle) {
    switch (drawStyle) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        case 5:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

QColor ColorOf(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

// A point size as whole device pixels, at least 1. The layout reader refuses absurd
// sizes; whatever reaches here still never overflows the conversion to int.
int PixelSize(double points, double dpi) {
    const double pixels = points * dpi / 72.0 + 0.5;
    if (!(pixels >= 1)) return 1;  // NaN included
    return static_cast<int>(std::min(pixels, 1.0e6));
}

}  // namespace

void PlayPage(QPainter& painter, const PrintPage& page, const QRectF& area, double dpi, double dx,
              double dy) {
    if (page.scaleWidth <= 0 || page.scaleHeight <= 0) return;
    RegisterFontSubstitutions();
    const double sx = area.width() / page.scaleWidth;
    const double sy = area.height() / page.scaleHeight;
    auto at = [&](double x, double y) {
        return QPointF(area.left() + (x + dx) * sx, area.top() + (y + dy) * sy);
    };
    // A font is made for the device once per face and size in a row of texts.
    QString fontName;
    double fontSize = -1;
    QFont font;
    double ascent = 0;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const DrawOp& op : page.ops) {
        switch (op.kind) {
            case DrawKind::Line:
            case DrawKind::Box: {
                QPen pen(ColorOf(op.color));
                pen.setWidthF(std::max(1, op.width) * dpi / 300.0);
                pen.setStyle(PenStyleOf(op.style));
                pen.setCapStyle(Qt::FlatCap);
                pen.setJoinStyle(Qt::MiterJoin);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                if (op.kind == DrawKind::Line) {
                    painter.drawLine(at(op.x1, op.y1), at(op.x2, op.y2));
                } else {
                    painter.drawRect(QRectF(at(op.x1, op.y1), at(op.x2, op.y2)).normalized());
                }
                break;
            }
            case DrawKind::Text: {
                if (op.text.empty()) break;
                const QString name = QString::fromStdString(op.font);
                if (name != fontName || op.size != fontSize) {
                    fontName = name;
                    fontSize = op.size;
                    font = QFont(name);
                    // Point sizes relative to the device's resolution, whatever the painter's.
                    font.setPixelSize(PixelSize(op.size, dpi));
                    ascent = QFontMetricsF(font).ascent();
                }
                painter.setFont(font);
                painter.setPen(ColorOf(op.color));
                const QPointF p = at(op.x1, op.y1);
                painter.drawText(QPointF(p.x(), p.y() + ascent), QString::fromStdString(op.text));
                break;
            }
        }
    }
    painter.restore();
}

bool PlayDocument(QPagedPaintDevice& device, double dpi, const PrintDocument& doc) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QRectF area(QPointF(0, 0),
                      device.pageLayout().paintRectPixels(static_cast<int>(dpi)).size());
    bool ok = true;
    for (std::size_t i = 0; i < doc.pages.size() && ok; ++i) {
        if (i > 0 && !device.newPage()) ok = false;
        if (ok) PlayPage(painter, doc.pages[i], area, dpi);
    }
    if (!painter.end()) ok = false;
    return ok;
}

}  // namespace tabulo
