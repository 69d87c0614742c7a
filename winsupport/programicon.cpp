// The program's picture, drawn on a 72 by 61 design grid and scaled.
#include "winsupport/programicon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace qp {

namespace {

constexpr qreal kDesignWidth = 72;
constexpr qreal kDesignHeight = 61;

void PaintDesign(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);

  // The check.
  const QRectF check(2, 16, 62, 34);
  p.setPen(QPen(QColor(58, 96, 58), 1.2));
  p.setBrush(QColor(226, 241, 218));
  p.drawRoundedRect(check, 2.5, 2.5);
  p.setPen(QPen(QColor(96, 130, 96), 1));
  p.drawLine(QPointF(7, 30), QPointF(42, 30));   // payee
  p.drawRect(QRectF(46, 25, 13, 7));             // amount box
  p.drawLine(QPointF(7, 37), QPointF(36, 37));   // amount in words
  p.drawLine(QPointF(34, 43), QPointF(59, 43));  // signature
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 40));
  for (int i = 0; i < 7; ++i) p.drawRect(QRectF(7 + i * 3.2, 45.5, 1.8, 2.5));  // MICR line

  // Ink on the signature line.
  QPainterPath ink;
  ink.moveTo(38, 42);
  ink.cubicTo(41, 37, 43, 45, 46, 40);
  ink.cubicTo(48, 37, 49, 43, 52, 41);
  p.setPen(QPen(QColor(20, 40, 140), 1.3, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(ink);

  // The quill, from its tip on the line up to the top right.
  QPainterPath vane;
  vane.moveTo(40, 38);
  vane.cubicTo(46, 24, 58, 8, 70, 1);
  vane.cubicTo(67, 12, 58, 26, 44, 36);
  vane.closeSubpath();
  p.setPen(QPen(QColor(110, 110, 120), 0.9));
  p.setBrush(QColor(250, 250, 244));
  p.drawPath(vane);
  p.setPen(QPen(QColor(90, 70, 50), 1.1));
  p.drawLine(QPointF(38, 41), QPointF(69, 2));  // shaft
  p.setPen(QPen(QColor(20, 20, 30), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(37, 42.5), QPointF(40, 38.5));  // nib
}

}  // namespace

QPixmap ProgramPicture(const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  if (size.isEmpty()) return pixmap;
  QPainter p(&pixmap);
  const qreal scale = std::min(size.width() / kDesignWidth, size.height() / kDesignHeight);
  p.translate((size.width() - kDesignWidth * scale) / 2, (size.height() - kDesignHeight * scale) / 2);
  p.scale(scale, scale);
  PaintDesign(p);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramPicture(QSize(side, side)));
  return icon;
}

}  // namespace qp
