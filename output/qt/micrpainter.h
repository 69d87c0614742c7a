// The MICR line on a Qt painter: through an installed MICR font when there is
// one, otherwise by filling our own E-13B shapes (output/micr.h) at their
// standard size, 0.117 inch high on a 1/8-inch pitch.
#ifndef QUILLPRINT_OUTPUT_QT_MICRPAINTER_H_
#define QUILLPRINT_OUTPUT_QT_MICRPAINTER_H_

#include <string_view>

#include <QPainterPath>
#include <QPointF>

class QPainter;

namespace qp {

// Whether a font of the family the check asks for ("MICR 013 BT") is
// installed; asked on every call, since fonts can be added while we run.
bool MicrFontInstalled();

// The E-13B shapes of `text` as one path in device pixels: character i's
// cell starts at top_left.x + i/8 inch, every character's top at
// top_left.y. Characters without a shape (blanks) only take their cell.
QPainterPath MicrOutlinePath(std::string_view text, QPointF top_left, double pixels_per_inch_x,
                             double pixels_per_inch_y);

// Fills MicrOutlinePath in black; the painter's state is left as it was.
void DrawMicrOutlines(QPainter& painter, std::string_view text, QPointF top_left,
                      double pixels_per_inch_x, double pixels_per_inch_y);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_QT_MICRPAINTER_H_
