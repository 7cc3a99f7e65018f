#pragma once
// Plays the drawing operations of a printout onto a QPainter: the page's units are
// spread over a rectangle of the device, pens are DrawWidth dots of 1/300 inch, and
// a text's top-left corner sits at its point.

#include <QRectF>

class QPainter;

namespace tabulo {

struct PrintPage;

// `area` is the rectangle, in the painter's coordinates, that the page's
// scaleWidth x scaleHeight units cover. `dpi` is the device's resolution, which
// sets pen widths and font sizes. (dx, dy) moves every operation, in page units.
void PlayPage(QPainter& painter, const PrintPage& page, const QRectF& area, double dpi,
              double dx = 0, double dy = 0);

}  // namespace tabulo
