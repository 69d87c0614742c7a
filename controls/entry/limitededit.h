// LimitedEdit: a single-line edit with a typing limit. The user may type at
// most so many characters, while the program may put in longer texts (the
// whole amount in words, a value from a wider table field), which the user
// can then shorten but not lengthen. QLineEdit::setMaxLength cannot do this:
// it cuts every text, the program's included.
//
// What the user inserts (typing, pasting by key, menu or middle button,
// dropping, input methods) is cut to what still fits; of an insertion that
// is too long its end goes, so a paste goes in as far as it fits.
#ifndef QUILLPRINT_CONTROLS_ENTRY_LIMITEDEDIT_H_
#define QUILLPRINT_CONTROLS_ENTRY_LIMITEDEDIT_H_

#include <QLineEdit>

namespace qp {

class LimitedEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit LimitedEdit(int typing_limit, QWidget* parent = nullptr);

  int TypingLimit() const { return typing_limit_; }
  // True while an event of the user is being handled.
  bool UserEditing() const { return user_editing_ > 0; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Marks the time a user event takes; the validator cuts only then. A cut
  // text is set anew inside QLineEdit, which clears the changed-by-the-user
  // mark: it is put back when the text changed or the mark was set before
  // (a refused keystroke changes nothing, the mark included).
  template <typename Handler>
  void AsUser(Handler&& handler) {
    const QString before = text();
    const bool was_modified = isModified();
    ++user_editing_;
    handler();
    --user_editing_;
    if (!isModified() && (was_modified || text() != before)) setModified(true);
  }

  int typing_limit_;
  int user_editing_ = 0;
};

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_ENTRY_LIMITEDEDIT_H_
