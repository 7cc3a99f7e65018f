#pragma once
// Plays the drawing operations of a printout onto a QPainter: the page's units are
// spread over a rectangle of the device, pens are DrawWidth dots of 1/300 inch, and
// a text's top-left corner sits at its point.

#include <QRectF>

#include "platform/PrintDocument.h"

class QPagedPaintDevice;
class QPainter;

namespace tabulo {

struct PrintPage;
struct PrintDocument;

// `area` is the rectangle, in the painter's coordinates, that the page's
// scaleWidth x scaleHeight units cover. `dpi` is the device's resolution, which
// sets pen widths and font sizes. (dx, dy) moves every operation, in page units.
void PlayPage(QPainter& painter, const PrintPage& page, const QRectF& area, double dpi,
              double dx = 0, double dy = 0);

// Plays every page of `doc` onto `device` (the printer, or a PDF writer), each
// page's units over the paint rectangle of the device's page layout. False when the
// painter could not start or a page could not be begun.
bool PlayDocument(QPagedPaintDevice& device, double dpi, const PrintDocument& doc);

}  // namespace tabulo
