// The controls' boundary for errors raised while they handle an event of
// the user (a key, a click, a timer tick). An exception must not travel
// through Qt's event handling, so the component layer's errors end here, in
// an error box over the control's window, and the control carries on.
#ifndef QUILLPRINT_CONTROLS_USERERROR_P_H_
#define QUILLPRINT_CONTROLS_USERERROR_P_H_

#include <QString>
#include <QWidget>

#include <exception>
#include <optional>
#include <utility>

#include "platform/qt/messages.h"

namespace qp {

// Runs `action`; the text of what it threw, or nothing when it ran through.
template <typename Action>
std::optional<QString> CatchUserError(Action&& action) {
  try {
    std::forward<Action>(action)();
    return std::nullopt;
  } catch (const std::exception& e) {
    // The component layer's texts (EVozuvError) are UTF-8.
    return QString::fromUtf8(e.what());
  }
}

inline void ReportUserError(QWidget* where, const QString& text) {
  ShowMessage(where ? where->window() : nullptr, text, MsgType::kError);
}

// Runs `action` and shows what it threw; true when it ran through.
template <typename Action>
bool RunUserAction(QWidget* where, Action&& action) {
  std::optional<QString> error = CatchUserError(std::forward<Action>(action));
  if (error) ReportUserError(where, *error);
  return !error;
}

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_USERERROR_P_H_
