// TNumericField: every edit of the user is worked out on a copy of the text
// (text, caret, selection), checked against the picture and only then put
// into the line edit. QLineEdit's own editing is never trusted with the text:
// keys it would handle are either taken over here or checked afterwards, so
// nothing outside the picture can come in by a path overlooked.
#include "controls/entry/numericfield.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QProxyStyle>

namespace {

// Digit places before and after the decimal point.
struct PictureShape {
  int int_places = 7;
  int decimals = 2;
};

std::optional<PictureShape> ParsePicture(const QString& picture) {
  PictureShape shape{0, 0};
  bool point = false;
  for (QChar c : picture) {
    if (c == QLatin1Char('#')) {
      ++(point ? shape.decimals : shape.int_places);
    } else if (c == QLatin1Char('.') && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (shape.int_places == 0 || (point && shape.decimals == 0)) return std::nullopt;
  return shape;
}

bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

// Digits with at most one point, within the picture's places. Empty fits.
bool Fits(const QString& text, const PictureShape& shape) {
  int ints = 0;
  int decimals = 0;
  bool point = false;
  for (QChar c : text) {
    if (IsAsciiDigit(c)) {
      ++(point ? decimals : ints);
    } else if (c == QLatin1Char('.') && !point && shape.decimals > 0) {
      point = true;
    } else {
      return false;
    }
  }
  return ints <= shape.int_places && decimals <= shape.decimals;
}

// The text's number; 0 for an empty field or text that is no number.
double ParseValue(const QString& text) {
  std::string s = text.toStdString();
  double value = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() ? value : 0;
}

// The one rounding of a value to the picture's places.
QString FormatValue(double value, int decimals) {
  char buffer[400];  // room for the largest double written out in full
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return QString();
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

// Text that fits, shown with every decimal place and no leading zeros:
// "0012.5" is "12.50", "." is "0.00".
QString Normalised(const QString& text, const PictureShape& shape) {
  int point = text.indexOf(QLatin1Char('.'));
  QString ints = point < 0 ? text : text.left(point);
  QString decimals = point < 0 ? QString() : text.mid(point + 1);
  while (ints.size() > 1 && ints.front() == QLatin1Char('0')) ints.remove(0, 1);
  if (ints.isEmpty()) ints = QStringLiteral("0");
  if (shape.decimals == 0) return ints;
  return ints + QLatin1Char('.') + decimals.leftJustified(shape.decimals, QLatin1Char('0'));
}

// Reads a number the user pasted: blanks, currency signs and thousands
// separators go; the decimal separator is the last of "." and "," when both
// appear, and otherwise the one that appears once, unless exactly three
// digits follow it and it is not the locale's own decimal separator (then it
// groups thousands, "1,234"). Empty for a negative amount or anything that is
// no plain number.
std::optional<QString> ReadPastedNumber(const QString& raw, QChar locale_point,
                                        const PictureShape& shape) {
  QString s;
  for (QChar c : raw) {
    if (c.isSpace() || c.category() == QChar::Symbol_Currency) continue;
    s += c;
  }
  if (s.startsWith(QLatin1Char('+'))) s.remove(0, 1);

  const int dot = s.lastIndexOf(QLatin1Char('.'));
  const int comma = s.lastIndexOf(QLatin1Char(','));
  QChar decimal;
  if (dot >= 0 && comma >= 0) {
    decimal = dot > comma ? QLatin1Char('.') : QLatin1Char(',');
  } else if (dot >= 0 || comma >= 0) {
    QChar separator = dot >= 0 ? QLatin1Char('.') : QLatin1Char(',');
    int at = std::max(dot, comma);
    int after = static_cast<int>(s.size()) - at - 1;
    if (s.count(separator) == 1 && (separator == locale_point || after != 3)) decimal = separator;
  }

  QString number;
  bool point = false;
  int digits = 0;
  for (QChar c : s) {
    if (IsAsciiDigit(c)) {
      number += c;
      ++digits;
    } else if (!decimal.isNull() && c == decimal) {
      if (point) return std::nullopt;
      point = true;
      number += QLatin1Char('.');
    } else if (c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char('\'')) {
      continue;  // grouping
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;

  // Zeros that carry no value may stand outside the picture: "12.500",
  // "0012".
  if (point) {
    int places = static_cast<int>(number.size()) - number.indexOf(QLatin1Char('.')) - 1;
    while (places > shape.decimals && number.endsWith(QLatin1Char('0'))) {
      number.chop(1);
      --places;
    }
    if (places == 0) number.chop(1);
  }
  while (number.size() > 1 && number[0] == QLatin1Char('0') && number[1] != QLatin1Char('.')) {
    number.remove(0, 1);
  }
  return number;
}

// The text with its caret and the other end of the selection.
struct EditState {
  QString text;
  int cursor = 0;
  int anchor = 0;

  int SelStart() const { return std::min(cursor, anchor); }
  int SelLength() const { return std::abs(cursor - anchor); }
  bool HasSelection() const { return cursor != anchor; }
  void Place(int at) { cursor = anchor = at; }
  // Removes the selection and leaves the caret where it was.
  void RemoveSelection() {
    text.remove(SelStart(), SelLength());
    Place(SelStart());
  }
};

// A block caret as wide as a digit in overwrite mode: the line edit draws its
// caret as wide as the style says, inverting what lies under it. The style
// is the field's alone and keeps the mode itself, so it never reaches into
// a field being destroyed.
class BlockCaretStyle : public QProxyStyle {
 public:
  explicit BlockCaretStyle(const QWidget* field)
      : QProxyStyle(QApplication::style()->name()), field_(field) {}

  void SetBlock(bool block) { block_ = block; }

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TextCursorWidth && block_) {
      return std::max(2, field_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  const QWidget* field_;
  bool block_ = true;
};

constexpr size_t kUndoDepth = 100;

}  // namespace

struct TNumericField::Private {
  explicit Private(TNumericField* field) : q(field) {}

  TNumericField* q;
  BlockCaretStyle* caret_style = nullptr;  // owned by the field
  QString picture = QLatin1String(kDefaultPicture);
  PictureShape shape;
  double low = 0;
  double high = kDefaultRangeHigh;
  bool overwrite = true;
  bool shown_valid = true;
  QPalette normal_palette;
  std::vector<EditState> undo;
  std::vector<EditState> redo;

  EditState Current() const {
    EditState s;
    s.text = q->text();
    s.cursor = q->cursorPosition();
    s.anchor = s.cursor;
    if (q->hasSelectedText()) {
      int start = q->selectionStart();
      int end = q->selectionEnd();
      s.anchor = s.cursor == start ? end : start;
    }
    return s;
  }

  // Puts a state into the line edit as the program, keeping the
  // changed-by-the-user mark (setText clears it).
  void Show(const EditState& s) {
    const bool modified = q->isModified();
    q->setText(s.text);
    if (s.HasSelection()) {
      q->setSelection(s.anchor, s.cursor - s.anchor);
    } else {
      q->setCursorPosition(s.cursor);
    }
    q->QLineEdit::setModified(modified);
  }

  // An edit of the user is taken when its text fits the picture. Text that
  // does not fit (a value the program set) may still be shortened, so that
  // the user can mend it by deleting.
  bool Acceptable(const QString& before, const QString& after) const {
    return Fits(after, shape) || (!Fits(before, shape) && after.size() < before.size());
  }

  // The user's edit from `before` to `after`: checked, shown, undoable.
  bool Commit(const EditState& before, const EditState& after) {
    if (!Acceptable(before.text, after.text)) return false;
    if (after.text == before.text) {
      Show(after);  // the caret alone moves
      return true;
    }
    undo.push_back(before);
    if (undo.size() > kUndoDepth) undo.erase(undo.begin());
    redo.clear();
    Show(after);
    q->QLineEdit::setModified(true);
    emit q->Changed();
    return true;
  }

  bool IsPointKey(QChar c) const {
    return c == QLatin1Char('.') || q->locale().decimalPoint() == QString(c);
  }

  void TypeDigit(QChar digit) {
    EditState before = Current();
    EditState after = before;
    if (after.HasSelection()) {
      after.RemoveSelection();
      after.text.insert(after.cursor, digit);
      after.Place(after.cursor + 1);
    } else {
      int at = after.cursor;
      if (overwrite) {
        // The point stays put; the digit goes to the place after it.
        if (at < after.text.size() && after.text[at] == QLatin1Char('.')) ++at;
        if (at < after.text.size()) {
          after.text[at] = digit;
        } else {
          after.text.insert(at, digit);
        }
      } else {
        after.text.insert(at, digit);
      }
      after.Place(at + 1);
    }
    Commit(before, after);
  }

  void TypePoint() {
    if (shape.decimals == 0) return;
    EditState before = Current();
    EditState after = before;
    if (after.HasSelection()) after.RemoveSelection();
    int existing = after.text.indexOf(QLatin1Char('.'));
    if (existing >= 0) {
      after.Place(existing + 1);
    } else {
      QString point = after.cursor == 0 ? QStringLiteral("0.") : QStringLiteral(".");
      after.text.insert(after.cursor, point);
      after.Place(after.cursor + static_cast<int>(point.size()));
    }
    Commit(before, after);
  }

  void TypeChar(QChar c) {
    if (IsAsciiDigit(c)) {
      TypeDigit(c);
    } else if (IsPointKey(c)) {
      TypePoint();
    }
    // Anything else has no place in the picture.
  }

  // Backspace (forward false) or Delete. Where removing a character would
  // break the picture (the point between seven digits and two decimals) the
  // caret steps over it instead.
  void DeleteChar(bool forward) {
    EditState before = Current();
    EditState after = before;
    if (after.HasSelection()) {
      after.RemoveSelection();
      Commit(before, after);
      return;
    }
    int at = forward ? after.cursor : after.cursor - 1;
    if (at < 0 || at >= after.text.size()) return;
    after.text.remove(at, 1);
    after.Place(at);
    if (!Commit(before, after)) q->setCursorPosition(forward ? at + 1 : at);
  }

  // Removes [from, to), or the selection when there is one.
  void DeleteRange(int from, int to) {
    EditState before = Current();
    EditState after = before;
    if (after.HasSelection()) {
      after.RemoveSelection();
    } else {
      after.text.remove(from, to - from);
      after.Place(from);
    }
    Commit(before, after);
  }

  void DeleteSelection() {
    const int cursor = q->cursorPosition();
    DeleteRange(cursor, cursor);
  }

  void Paste(QClipboard::Mode mode) {
    const QString point = q->locale().decimalPoint();
    std::optional<QString> number =
        ReadPastedNumber(QGuiApplication::clipboard()->text(mode),
                         point.isEmpty() ? QLatin1Char('.') : point.front(), shape);
    if (!number) return;
    EditState before = Current();
    EditState after = before;
    after.RemoveSelection();
    after.text.insert(after.cursor, *number);
    after.Place(after.cursor + static_cast<int>(number->size()));
    Commit(before, after);
  }

  void Cut() {
    EditState before = Current();
    if (!before.HasSelection()) return;
    EditState after = before;
    after.RemoveSelection();
    if (!Acceptable(before.text, after.text)) return;
    q->copy();
    Commit(before, after);
  }

  void Step(std::vector<EditState>* from, std::vector<EditState>* to) {
    if (from->empty()) return;
    EditState now = Current();
    EditState back = from->back();
    from->pop_back();
    to->push_back(now);
    Show(back);
    if (back.text != now.text) {
      q->QLineEdit::setModified(true);
      emit q->Changed();
    }
  }

  void UpdateColours() {
    const bool valid = q->IsValid();
    if (valid == shown_valid) return;
    shown_valid = valid;
    if (valid) {
      q->setPalette(normal_palette);
      return;
    }
    normal_palette = q->palette();
    QPalette red = normal_palette;
    red.setColor(QPalette::Base, Qt::red);
    red.setColor(QPalette::Text, Qt::black);
    q->setPalette(red);
  }
};

TNumericField::TNumericField(QWidget* parent) : QLineEdit(parent), d_(new Private(this)) {
  d_->caret_style = new BlockCaretStyle(this);
  d_->caret_style->setParent(this);
  setStyle(d_->caret_style);
  // Drops would bypass the picture; the context menu is our own.
  setAcceptDrops(false);
  setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  // Also catches setText calls that go around SetValue.
  connect(this, &QLineEdit::textChanged, this, [this] { d_->UpdateColours(); });
}

TNumericField::~TNumericField() = default;

bool TNumericField::SetPicture(const QString& picture) {
  std::optional<PictureShape> shape = ParsePicture(picture);
  if (!shape) return false;
  d_->picture = picture;
  d_->shape = *shape;
  SetValue(0);
  return true;
}

QString TNumericField::Picture() const { return d_->picture; }

void TNumericField::SetRange(double low, double high) {
  if (std::isnan(low) || std::isnan(high)) return;
  if (low > high) std::swap(low, high);
  d_->low = low;
  d_->high = high;
  d_->UpdateColours();
}

double TNumericField::RangeLow() const { return d_->low; }
double TNumericField::RangeHigh() const { return d_->high; }

double TNumericField::Value() const { return ParseValue(text()); }

bool TNumericField::SetValue(double value) {
  if (!std::isfinite(value)) return false;
  QString shown = FormatValue(value, d_->shape.decimals);
  if (ParseValue(shown) == 0) shown.clear();
  d_->undo.clear();
  d_->redo.clear();
  EditState state;
  state.text = shown;
  state.Place(static_cast<int>(shown.size()));
  d_->Show(state);
  QLineEdit::setModified(false);
  return IsValid();
}

QString TNumericField::FormattedText() const {
  const QString shown = text();
  if (Fits(shown, d_->shape)) return Normalised(shown, d_->shape);
  return FormatValue(Value(), d_->shape.decimals);
}

bool TNumericField::IsValid() const {
  const QString shown = text();
  if (!Fits(shown, d_->shape)) return false;
  const double value = ParseValue(shown);
  return value >= d_->low && value <= d_->high;
}

bool TNumericField::IsModified() const { return isModified(); }
void TNumericField::SetModified(bool modified) { QLineEdit::setModified(modified); }

bool TNumericField::OverwriteMode() const { return d_->overwrite; }

void TNumericField::SetOverwriteMode(bool overwrite) {
  d_->overwrite = overwrite;
  d_->caret_style->SetBlock(overwrite);
  update();
}

void TNumericField::keyPressEvent(QKeyEvent* event) {
  if (isReadOnly()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const Qt::KeyboardModifiers mods = event->modifiers();
  const int key = event->key();
  const int length = static_cast<int>(text().size());
  const int cursor = cursorPosition();
  const QString typed = event->text();

  if (event == QKeySequence::Undo) {
    d_->Step(&d_->undo, &d_->redo);
  } else if (event == QKeySequence::Redo) {
    d_->Step(&d_->redo, &d_->undo);
  } else if (event == QKeySequence::Cut) {
    d_->Cut();
  } else if (event == QKeySequence::Paste) {
    d_->Paste(QClipboard::Clipboard);
  } else if (event == QKeySequence::DeleteStartOfWord) {
    d_->DeleteRange(0, cursor);
  } else if (event == QKeySequence::DeleteEndOfWord || event == QKeySequence::DeleteEndOfLine) {
    d_->DeleteRange(cursor, length);
  } else if (event == QKeySequence::DeleteCompleteLine) {
    d_->DeleteRange(0, length);
  } else if (key == Qt::Key_Backspace && !(mods & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
    d_->DeleteChar(false);
  } else if (event == QKeySequence::Delete) {
    d_->DeleteChar(true);
  } else if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
    SetOverwriteMode(!d_->overwrite);
  } else if ((mods & Qt::KeypadModifier) && (key == Qt::Key_Period || key == Qt::Key_Comma)) {
    // The keypad's decimal key types the point whatever the layout puts on it.
    d_->TypePoint();
  } else if (!typed.isEmpty() && typed.front().isPrint() &&
             !(mods & (Qt::ControlModifier | Qt::MetaModifier))) {
    for (QChar c : typed) d_->TypeChar(c);
  } else {
    // Moving, selecting, copying, Enter and the like. Should the line edit
    // change the text after all, the change is held to the picture too.
    const EditState before = d_->Current();
    QLineEdit::keyPressEvent(event);
    if (text() != before.text) {
      EditState after = d_->Current();
      d_->Show(before);
      d_->Commit(before, after);
    }
    return;
  }
  event->accept();
}

void TNumericField::inputMethodEvent(QInputMethodEvent* event) {
  // Composed text counts as typed; a composition in progress is not shown.
  if (!isReadOnly()) {
    for (QChar c : event->commitString()) d_->TypeChar(c);
  }
  event->accept();
}

void TNumericField::focusOutEvent(QFocusEvent* event) {
  // A popup (the context menu) takes the focus only for a moment.
  if (event->reason() != Qt::PopupFocusReason) {
    const QString shown = text();
    if (!shown.isEmpty() && Fits(shown, d_->shape)) {
      EditState state;
      state.text = Normalised(shown, d_->shape);
      state.Place(static_cast<int>(state.text.size()));
      if (state.text != shown) d_->Show(state);
    }
  }
  QLineEdit::focusOutEvent(event);
}

void TNumericField::contextMenuEvent(QContextMenuEvent* event) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool editable = !isReadOnly();
  const bool selected = hasSelectedText();

  QAction* action = menu->addAction(tr("&Undo"), this, [this] { d_->Step(&d_->undo, &d_->redo); });
  action->setShortcut(QKeySequence::Undo);
  action->setEnabled(editable && !d_->undo.empty());
  action = menu->addAction(tr("&Redo"), this, [this] { d_->Step(&d_->redo, &d_->undo); });
  action->setShortcut(QKeySequence::Redo);
  action->setEnabled(editable && !d_->redo.empty());
  menu->addSeparator();
  action = menu->addAction(tr("Cu&t"), this, [this] { d_->Cut(); });
  action->setShortcut(QKeySequence::Cut);
  action->setEnabled(editable && selected);
  action = menu->addAction(tr("&Copy"), this, &QLineEdit::copy);
  action->setShortcut(QKeySequence::Copy);
  action->setEnabled(selected);
  action = menu->addAction(tr("&Paste"), this, [this] { d_->Paste(QClipboard::Clipboard); });
  action->setShortcut(QKeySequence::Paste);
  action->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
  action = menu->addAction(tr("Delete"), this, [this] { d_->DeleteSelection(); });
  action->setEnabled(editable && selected);
  menu->addSeparator();
  action = menu->addAction(tr("Select All"), this, &QLineEdit::selectAll);
  action->setShortcut(QKeySequence::SelectAll);
  action->setEnabled(!text().isEmpty());
  menu->popup(event->globalPos());
  event->accept();
}

void TNumericField::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the X selection; it is held to the picture
  // like any paste.
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
    if (!isReadOnly()) {
      deselect();
      setCursorPosition(cursorPositionAt(event->position().toPoint()));
      d_->Paste(QClipboard::Selection);
    }
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}
