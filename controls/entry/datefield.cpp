// TDateField: a QDateEdit with a calendar popup, the program's date pattern
// and its own reading of two-digit years.
//
// QDateEdit reads a two-digit year into the century of the date it shows.
// Once the user has typed into the year, every date the edit takes from the
// text is therefore re-read with plat::ParseShortDate, which the rest of the
// program uses as well, so a date typed here reads the same when it comes
// back from the check table as text. A year that came from stepping, the
// calendar or the program is a real year and is left alone, also while the
// user types into the day or the month.
#include "controls/entry/datefield.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "platform/datefmt.h"

namespace {

// Counts nested scopes of one kind (the program setting the date, the user
// typing), so re-entrant signals see the outermost one.
class ScopeCount {
 public:
  explicit ScopeCount(int* count) : count_(count) { ++*count_; }
  ~ScopeCount() { --*count_; }
  ScopeCount(const ScopeCount&) = delete;
  ScopeCount& operator=(const ScopeCount&) = delete;

 private:
  int* count_;
};

// Keys that write into the text, as opposed to stepping or moving.
bool IsTypingKey(QKeyEvent* event) {
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.front().isPrint()) return true;
  return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
         event == QKeySequence::Paste || event == QKeySequence::Cut;
}

}  // namespace

struct TDateField::Private {
  int programmatic = 0;  // > 0 while the program itself changes the date
  int typing = 0;        // > 0 while the user writes into the text
  bool modified = false;
  bool two_digit_year = true;
  bool just_advanced = false;  // the last digit typed completed a part
  bool year_typed = false;     // the year shown was typed by the user
  bool focus_by_click = false; // the press now under way gave the field the focus
  std::string pattern;
};

TDateField::TDateField(QWidget* parent) : QDateEdit(parent), d_(new Private) {
  setCalendarPopup(true);
  RefreshPattern();
  {
    ScopeCount program(&d_->programmatic);
    setDate(QDate::currentDate());
  }
  connect(this, &QDateEdit::dateChanged, this, &TDateField::OnDateChanged);
  // The edit creates its popup calendar here and hooks it up first, so by
  // the time these run, the picked date is the field's.
  QCalendarWidget* calendar = calendarWidget();
  connect(calendar, &QCalendarWidget::clicked, this, &TDateField::OnPicked);
  connect(calendar, &QCalendarWidget::activated, this, &TDateField::OnPicked);
  lineEdit()->installEventFilter(this);
}

TDateField::~TDateField() = default;

QDate TDateField::Date() const { return date(); }

bool TDateField::SetDate(const QDate& value) {
  if (!value.isValid() || value < minimumDate() || value > maximumDate()) return false;
  {
    ScopeCount program(&d_->programmatic);
    setDate(value);
  }
  d_->year_typed = false;
  d_->modified = false;
  emit DateSet(value);
  return true;
}

bool TDateField::IsModified() const { return d_->modified; }
void TDateField::SetModified(bool modified) { d_->modified = modified; }

void TDateField::RefreshPattern() {
  d_->pattern = plat::ShortDatePattern();
  const QString format = qp::QtDateFormat(d_->pattern);
  d_->two_digit_year = !format.contains(QLatin1String("yyyy"));
  ScopeCount program(&d_->programmatic);
  setDisplayFormat(format);
}

void TDateField::SetKeyPressHandler(qp::KeyPressHandler handler) {
  qp::SetKeyPressHandler(this, std::move(handler));
}

void TDateField::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if ((key == Qt::Key_F4 && mods == Qt::NoModifier) ||
      ((key == Qt::Key_Down || key == Qt::Key_Up) && mods == Qt::AltModifier)) {
    d_->just_advanced = false;
    ShowCalendar();
    event->accept();
    return;
  }
  if (!IsTypingKey(event)) {
    d_->just_advanced = false;
    QDateEdit::keyPressEvent(event);
    return;
  }

  // The edit moves on by itself once a part is complete ("05" for the day);
  // a separator typed right after that would skip the next part, so it is
  // dropped: "05.12.98" types the same as "051298".
  const QString typed = event->text();
  const bool digit = typed.size() == 1 && typed.front().isDigit();
  const bool separator = typed.size() == 1 && !typed.front().isLetterOrNumber() &&
                         typed.front().isPrint() && !typed.front().isSpace();
  if (separator && d_->just_advanced) {
    d_->just_advanced = false;
    event->accept();
    return;
  }
  const int section = currentSectionIndex();
  if (currentSection() == QDateTimeEdit::YearSection) d_->year_typed = true;
  {
    ScopeCount typing(&d_->typing);
    QDateEdit::keyPressEvent(event);
  }
  d_->just_advanced = digit && currentSectionIndex() != section;
}

void TDateField::focusInEvent(QFocusEvent* event) {
  d_->just_advanced = false;
  d_->focus_by_click = event->reason() == Qt::MouseFocusReason;
  QDateEdit::focusInEvent(event);
}

bool TDateField::eventFilter(QObject* watched, QEvent* event) {
  // A click leaves a bare cursor in the text, and QDateEdit then takes no
  // digit where a part is already full: everything typed after a click was
  // lost. The click selects a part instead, as reaching the field by the
  // keyboard does; a drag keeps the selection it made.
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (!lineEdit()->hasSelectedText() && !isReadOnly()) {
      if (d_->focus_by_click) setCurrentSectionIndex(0);
      setSelectedSection(currentSection());
      d_->just_advanced = false;
    }
    d_->focus_by_click = false;
  }
  return QDateEdit::eventFilter(watched, event);
}

void TDateField::ShowCalendar() {
  if (!calendarPopup() || isReadOnly()) return;
  // QDateEdit opens its calendar only from a press on its button; the
  // keyboard gets the same by pressing it.
  QStyleOptionComboBox option;
  option.initFrom(this);
  option.editable = true;
  option.subControls = QStyle::SC_All;
  const QRect arrow =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
  if (!arrow.isValid()) return;
  const QPointF at = QRectF(arrow).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(this, &press);
}

void TDateField::inputMethodEvent(QInputMethodEvent* event) {
  ScopeCount typing(&d_->typing);
  QDateEdit::inputMethodEvent(event);
}

void TDateField::focusOutEvent(QFocusEvent* event) {
  // Leaving the field completes what was typed.
  ScopeCount typing(&d_->typing);
  QDateEdit::focusOutEvent(event);
}

void TDateField::contextMenuEvent(QContextMenuEvent* event) {
  // Paste and Delete of the menu write into the text.
  ScopeCount typing(&d_->typing);
  QDateEdit::contextMenuEvent(event);
}

void TDateField::showEvent(QShowEvent* event) {
  if (d_->pattern != plat::ShortDatePattern()) RefreshPattern();
  QDateEdit::showEvent(event);
}

void TDateField::OnDateChanged(QDate value) {
  if (d_->programmatic > 0) return;
  if (d_->typing == 0) d_->year_typed = false;  // stepped or picked
  if (d_->typing > 0 && d_->year_typed && d_->two_digit_year &&
      d_->pattern == plat::ShortDatePattern()) {
    int year = 0;
    int month = 0;
    int day = 0;
    const std::string shown = lineEdit()->displayText().toStdString();
    if (plat::ParseShortDate(shown, &year, &month, &day)) {
      const QDate meant(year, month, day);
      if (meant != value && meant >= minimumDate() && meant <= maximumDate()) {
        ScopeCount program(&d_->programmatic);
        setDate(meant);
      }
    }
  }
  d_->modified = true;
  emit Changed();
}

void TDateField::OnPicked(QDate picked) {
  if (picked != date()) return;  // outside the range, not taken
  emit DateSet(picked);
}

namespace qp {

QString QtDateFormat(const std::string& pattern) {
  const QString source = QString::fromStdString(pattern);
  QString format;
  bool day = false;
  bool month = false;
  bool year = false;
  for (qsizetype i = 0; i < source.size();) {
    const QChar c = source[i];
    qsizetype run = 1;
    while (i + run < source.size() && source[i + run] == c) ++run;
    if (c == QLatin1Char('d')) {
      format += QLatin1String("dd");
      day = true;
    } else if (c == QLatin1Char('M')) {
      format += QLatin1String("MM");
      month = true;
    } else if (c == QLatin1Char('y')) {
      format += run >= 4 ? QLatin1String("yyyy") : QLatin1String("yy");
      year = true;
    } else {
      // Letters and quotes mean something to Qt; quoted, they stand as is.
      for (qsizetype k = 0; k < run; ++k) {
        if (c == QLatin1Char('\'')) {
          format += QLatin1String("''");
        } else if (c.isLetter()) {
          format += QLatin1Char('\'') + c + QLatin1Char('\'');
        } else {
          format += c;
        }
      }
    }
    i += run;
  }
  if (!day || !month || !year) return QStringLiteral("MM/dd/yy");
  return format;
}

}  // namespace qp
