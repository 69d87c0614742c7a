// Key-press hooks for entry fields: a window binds one handler to several
// fields (the notebook, plain edits, the date field) to see each key before
// the field does and, for example, drop the Enter character so that neither
// a beep nor a dialog's default button follows.
#ifndef QUILLPRINT_CONTROLS_ENTRY_KEYPRESS_H_
#define QUILLPRINT_CONTROLS_ENTRY_KEYPRESS_H_

#include <functional>

class QKeyEvent;
class QWidget;

namespace qp {

// Sees a key press before the widget handles it. Returning true swallows
// the key: the widget and its parents never receive it.
using KeyPressHandler = std::function<bool(QKeyEvent* event)>;

// Binds `handler` to the key presses `widget` receives, replacing any handler
// bound before; an empty handler unbinds. The binding lives as long as the
// widget. Keys a window-wide filter consumes first (TEntryController's
// Enter) never reach the handler.
void SetKeyPressHandler(QWidget* widget, KeyPressHandler handler);

// Return on the main keyboard or Enter on the keypad.
bool IsEnterKey(const QKeyEvent* event);

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_ENTRY_KEYPRESS_H_
