// Key-press hooks: one small event filter per widget, owned by the widget.
#include "controls/entry/keypress.h"

#include <utility>

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace qp {

namespace {

constexpr char kFilterName[] = "qp_key_press_filter";

class KeyPressFilter : public QObject {
 public:
  KeyPressFilter(QWidget* widget, KeyPressHandler handler)
      : QObject(widget), handler_(std::move(handler)) {
    setObjectName(QLatin1String(kFilterName));
    widget->installEventFilter(this);
  }

  void SetHandler(KeyPressHandler handler) { handler_ = std::move(handler); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || watched != parent() || !handler_) return false;
    // A copy: the handler may rebind or unbind itself while it runs.
    KeyPressHandler handler = handler_;
    if (!handler(static_cast<QKeyEvent*>(event))) return false;
    event->accept();
    return true;
  }

 private:
  KeyPressHandler handler_;
};

}  // namespace

void SetKeyPressHandler(QWidget* widget, KeyPressHandler handler) {
  if (widget == nullptr) return;
  auto* filter = widget->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
  auto* existing = dynamic_cast<KeyPressFilter*>(filter);
  // Unbinding keeps the filter, empty: the handler may be running right now.
  if (existing != nullptr) {
    existing->SetHandler(std::move(handler));
  } else if (handler) {
    new KeyPressFilter(widget, std::move(handler));
  }
}

bool IsEnterKey(const QKeyEvent* event) {
  return event != nullptr && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
}

}  // namespace qp
