// LimitedEdit: the limit is a validator, because QLineEdit runs its
// validator on every change before it is shown and lets the validator
// shorten the text. It runs on setText() too, so the validator cuts only
// while the edit handles an event of the user.
#include "controls/entry/limitededit.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

namespace qp {

namespace {

class TypingLimitValidator : public QValidator {
 public:
  explicit TypingLimitValidator(LimitedEdit* edit)
      : QValidator(edit), edit_(edit), length_(edit->text().size()) {
    // The length before each change: an edit of the user may never make
    // the text longer than the limit or, for a longer text the program put
    // in, than it was.
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { length_ = text.size(); });
  }

  State validate(QString& input, int& pos) const override {
    if (!edit_->UserEditing()) return Acceptable;
    const int allowed = std::max(edit_->TypingLimit(), length_);
    const int excess = static_cast<int>(input.size()) - allowed;
    if (excess <= 0) return Acceptable;
    // The newest characters stand just before the cursor.
    const int from = std::max(0, pos - excess);
    input.remove(from, std::min(excess, static_cast<int>(input.size()) - from));
    if (input.size() > allowed) input.truncate(allowed);
    pos = std::min(from, static_cast<int>(input.size()));
    return Acceptable;
  }

 private:
  LimitedEdit* edit_;
  int length_;
};

}  // namespace

LimitedEdit::LimitedEdit(int typing_limit, QWidget* parent)
    : QLineEdit(parent), typing_limit_(typing_limit) {
  setValidator(new TypingLimitValidator(this));
}

void LimitedEdit::keyPressEvent(QKeyEvent* event) {
  AsUser([&] { QLineEdit::keyPressEvent(event); });
}

void LimitedEdit::inputMethodEvent(QInputMethodEvent* event) {
  AsUser([&] { QLineEdit::inputMethodEvent(event); });
}

void LimitedEdit::dropEvent(QDropEvent* event) {
  AsUser([&] { QLineEdit::dropEvent(event); });
}

void LimitedEdit::contextMenuEvent(QContextMenuEvent* event) {
  AsUser([&] { QLineEdit::contextMenuEvent(event); });
}

void LimitedEdit::mouseReleaseEvent(QMouseEvent* event) {
  AsUser([&] { QLineEdit::mouseReleaseEvent(event); });
}

}  // namespace qp
