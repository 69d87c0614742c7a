// A label whose text stands out of the surface: drawn three times, a
// highlight up and to the left, a shadow down and to the right, and the face
// on top. Glyphs are drawn without smoothing so that the three colours stay
// pure, as on the displays this look comes from.
#ifndef QUILLPRINT_WINSUPPORT_RAISEDLABEL_H_
#define QUILLPRINT_WINSUPPORT_RAISEDLABEL_H_

#include <QColor>
#include <QString>
#include <QWidget>

namespace qp {

class RaisedLabel : public QWidget {
  Q_OBJECT

 public:
  explicit RaisedLabel(const QString& text, QWidget* parent = nullptr);

  QString text() const { return text_; }
  void SetColors(const QColor& face, const QColor& highlight, const QColor& shadow);
  QColor FaceColor() const { return face_; }
  QColor HighlightColor() const { return highlight_; }
  QColor ShadowColor() const { return shadow_; }

  QSize sizeHint() const override;

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QColor face_ = QColor(0, 128, 128);
  QColor highlight_ = QColor(0, 255, 255);
  QColor shadow_ = QColor(0, 0, 128);
};

}  // namespace qp

#endif  // QUILLPRINT_WINSUPPORT_RAISEDLABEL_H_
