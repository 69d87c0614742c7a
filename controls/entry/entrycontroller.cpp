// TEntryController: Enter as Tab for a whole window.
//
// The filter sits on the application, not on the window: a filter on a
// window sees only the window's own events, while keys go to the focused
// widget. Events of other windows (popups such as a date field's calendar
// among them) pass untouched.
//
// The focus moves by sending the window a Tab key press. QWidget turns that
// into focusNextPrevChild() from the focus widget, the very path of a real
// Tab, without asking the focused field, which might want Tab for itself.
#include "controls/entry/entrycontroller.h"

#include <array>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

namespace {

constexpr std::array<const char*, 3> kTables = {TEntryController::kDefaultTable,
                                                TEntryController::kWordStarTable,
                                                TEntryController::kGridTable};

int TableIndex(const QString& name) {
  for (size_t i = 0; i < kTables.size(); ++i) {
    if (name == QLatin1String(kTables[i])) return static_cast<int>(i);
  }
  return -1;
}

// Editors in which Enter starts a new line.
bool WantsEnter(const QWidget* widget) {
  if (const auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) return !edit->isReadOnly();
  if (const auto* edit = qobject_cast<const QTextEdit*>(widget)) return !edit->isReadOnly();
  return false;
}

}  // namespace

struct TEntryController::Private {
  QPointer<QWidget> window;
  std::array<bool, kTables.size()> active = {true, false, false};
};

TEntryController::TEntryController(QWidget* window) : QObject(window), d_(new Private) {
  d_->window = window;
  qApp->installEventFilter(this);
}

TEntryController::~TEntryController() = default;

QStringList TEntryController::CommandTables() const {
  QStringList names;
  for (const char* name : kTables) names << QLatin1String(name);
  return names;
}

bool TEntryController::IsCommandTableActive(const QString& name) const {
  const int index = TableIndex(name);
  return index >= 0 && d_->active[index];
}

bool TEntryController::SetCommandTableActive(const QString& name, bool active) {
  const int index = TableIndex(name);
  if (index < 0) return false;
  d_->active[index] = active;
  return true;
}

bool TEntryController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !d_->active[0] || d_->window.isNull()) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != d_->window || WantsEnter(widget)) return false;

  const bool back = mods == Qt::ShiftModifier;
  QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                back ? Qt::ShiftModifier : Qt::NoModifier);
  QCoreApplication::sendEvent(d_->window, &tab);
  return true;
}
