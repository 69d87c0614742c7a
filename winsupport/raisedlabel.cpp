// RaisedLabel: three passes of the same text.
#include "winsupport/raisedlabel.h"

#include <QEvent>
#include <QPainter>

namespace qp {

namespace {

constexpr int kDepth = 1;  // pixels the highlight and the shadow stand off the face

QFont Unsmoothed(QFont font) {
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

RaisedLabel::RaisedLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  setFont(Unsmoothed(font()));
}

void RaisedLabel::SetColors(const QColor& face, const QColor& highlight, const QColor& shadow) {
  face_ = face;
  highlight_ = highlight;
  shadow_ = shadow;
  update();
}

QSize RaisedLabel::sizeHint() const {
  const QFontMetrics fm(font());
  return QSize(fm.horizontalAdvance(text_) + 2 * kDepth + 1, fm.height() + 2 * kDepth);
}

void RaisedLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange && font().styleStrategy() != QFont::NoAntialias) {
    setFont(Unsmoothed(font()));
  }
  QWidget::changeEvent(event);
}

void RaisedLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  const QRect r = rect().adjusted(0, 0, -2 * kDepth, -2 * kDepth);
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
  p.setPen(highlight_);
  p.drawText(r, flags, text_);
  p.setPen(shadow_);
  p.drawText(r.translated(2 * kDepth, 2 * kDepth), flags, text_);
  p.setPen(face_);
  p.drawText(r.translated(kDepth, kDepth), flags, text_);
}

}  // namespace qp
