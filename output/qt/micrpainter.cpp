// Filling the E-13B shapes. All rectangles of a line go into one path with
// the winding rule, so squares that touch are filled as one area and an
// anti-aliasing painter leaves no hairline seams between them.
#include "output/qt/micrpainter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "output/checklayout.h"
#include "output/micr.h"

namespace qp {

bool MicrFontInstalled() {
  return QFontDatabase::families().contains(QString::fromUtf8(kCheckMicrFont),
                                            Qt::CaseInsensitive);
}

QPainterPath MicrOutlinePath(std::string_view text, QPointF top_left, double pixels_per_inch_x,
                             double pixels_per_inch_y) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const double square_x = kMicrModuleInches * pixels_per_inch_x;
  const double square_y = kMicrModuleInches * pixels_per_inch_y;
  const double pitch = kMicrPitchInches * pixels_per_inch_x;
  double cell_x = top_left.x();
  for (char c : text) {
    for (const MicrRect& r : MicrGlyph(c)) {
      path.addRect(QRectF(cell_x + r.x * square_x, top_left.y() + r.y * square_y,
                          r.width * square_x, r.height * square_y));
    }
    cell_x += pitch;
  }
  return path;
}

void DrawMicrOutlines(QPainter& painter, std::string_view text, QPointF top_left,
                      double pixels_per_inch_x, double pixels_per_inch_y) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPath(MicrOutlinePath(text, top_left, pixels_per_inch_x, pixels_per_inch_y));
  painter.restore();
}

}  // namespace qp
