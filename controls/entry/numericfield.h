// TNumericField: a single-line field for an amount, shaped by a picture of
// digit places ("#######.##": up to seven digits before the decimal point and
// up to two after).
//
// Typing is held to the picture: a digit that would make an eighth integer
// digit or a third decimal is refused, and so is anything that is not a digit
// or a decimal point (a minus sign among them). Both "." and the keyboard
// locale's decimal separator type the point; typing it where a point already
// is jumps past it. In overwrite mode (the default; Insert toggles) a digit
// replaces the one under the block caret. Pasted text such as "1,234.56" or
// "$12.50" is read as a number and taken when it fits the picture. When the
// focus leaves, the value is shown with all its decimal places ("12.5"
// becomes "12.50").
//
// The field is red with black text while its content is invalid: outside the
// picture (only a value the program sets can be) or outside the range.
//
// Signals: Changed() after every edit by the user that changes the text;
// never when the program sets the value.
#ifndef QUILLPRINT_CONTROLS_ENTRY_NUMERICFIELD_H_
#define QUILLPRINT_CONTROLS_ENTRY_NUMERICFIELD_H_

#include <memory>

#include <QLineEdit>
#include <QString>

class TNumericField : public QLineEdit {
  Q_OBJECT

 public:
  // The largest value of the engine's 6-byte real, the default upper bound.
  static constexpr double kDefaultRangeHigh = 1.7e38;
  static constexpr char kDefaultPicture[] = "#######.##";

  explicit TNumericField(QWidget* parent = nullptr);
  ~TNumericField() override;

  // '#' for each digit place, with at most one '.' that is not the first
  // character. False, and nothing changes, for any other picture; otherwise
  // the field is cleared.
  bool SetPicture(const QString& picture);
  QString Picture() const;

  // The content is valid only within [low, high] (0 and kDefaultRangeHigh
  // until set). Bounds given the wrong way round are swapped.
  void SetRange(double low, double high);
  double RangeLow() const;
  double RangeHigh() const;

  // The value shown; 0 for an empty field.
  double Value() const;
  // Shows `value` rounded to the picture's decimal places; 0 empties the
  // field. Raises no Changed() and clears the changed-by-the-user mark, as
  // QLineEdit::setText does. A value the picture cannot hold (negative, too
  // many digits) is shown all the same, in red, so nothing is lost. Returns
  // whether the field is valid afterwards; false without any change for a
  // NaN or an infinity.
  bool SetValue(double value);

  // The value with all the picture's decimal places ("12.50"; "0.00" for an
  // empty field), as a check prints it.
  QString FormattedText() const;

  bool IsValid() const;

  // The changed-by-the-user mark: set by every edit of the user, cleared by
  // SetValue and SetModified(false). The same flag as QLineEdit::isModified(),
  // so loops over plain edits see it too.
  bool IsModified() const;
  void SetModified(bool modified);

  bool OverwriteMode() const;
  void SetOverwriteMode(bool overwrite);

 signals:
  void Changed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Private;
  std::unique_ptr<Private> d_;
};

#endif  // QUILLPRINT_CONTROLS_ENTRY_NUMERICFIELD_H_
