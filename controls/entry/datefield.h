// TDateField: a date entry field with a drop-down calendar, shown in the
// program's short date pattern (plat::ShortDatePattern(): "MM/dd/yy",
// "dd.MM.yyyy" ...). It always holds a whole date: year, month and day.
//
// A two-digit year the user types means the year within fifty years either
// side of today, as everywhere else in the program (plat::ParseShortDate):
// "98" is 1998 and "30" is 2030 in 2026. A year that comes from stepping
// with the arrow keys, from the calendar or from the program is a real year
// and stays, also while the user types the day or the month. The
// parts move on by themselves as they fill, so "05.12.98" and "051298" type
// the same date. F4 or Alt+Down drops the calendar down.
//
// A click into the text is a way in like Tab or Enter: a click that brings
// the focus selects the first part, so the date is typed from its start; a
// click into a field that has the focus already selects the part clicked,
// which typing then replaces.
//
// Signals:
//   Changed()      after every change of the date by the user: typing,
//                  stepping, browsing or picking in the calendar.
//   DateSet(date)  when a date is picked in the calendar (click or Enter) and
//                  when the program sets one with SetDate.
#ifndef QUILLPRINT_CONTROLS_ENTRY_DATEFIELD_H_
#define QUILLPRINT_CONTROLS_ENTRY_DATEFIELD_H_

#include <memory>
#include <string>

#include <QDate>
#include <QDateEdit>
#include <QString>

#include "controls/entry/keypress.h"

class TDateField : public QDateEdit {
  Q_OBJECT

 public:
  // Starts on today's date, unmarked.
  explicit TDateField(QWidget* parent = nullptr);
  ~TDateField() override;

  QDate Date() const;
  // Shows `date`, raises DateSet and clears the changed-by-the-user mark;
  // raises no Changed(). False, and nothing changes, for an invalid date or
  // one outside [minimumDate(), maximumDate()].
  bool SetDate(const QDate& date);

  // The changed-by-the-user mark: set by every change the user makes,
  // cleared by SetDate and SetModified(false).
  bool IsModified() const;
  void SetModified(bool modified);

  // Takes up the program's short date pattern again (it is read when the
  // field is made and whenever it is shown); the date stays.
  void RefreshPattern();

  // Sees every key press before the field handles it; see qp::KeyPressHandler.
  void SetKeyPressHandler(qp::KeyPressHandler handler);

  // Drops the calendar down, as F4, Alt+Down and the field's button do.
  void ShowCalendar();

 signals:
  void Changed();
  void DateSet(const QDate& date);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnDateChanged(QDate date);
  void OnPicked(QDate date);

  struct Private;
  std::unique_ptr<Private> d_;
};

namespace qp {

// The short date pattern as a Qt display format that shows a date exactly
// as plat::FormatShortDate writes it: two-digit day and month, a year of two
// digits or, for four or more y's, four. Other characters stand as literals.
// A pattern without a day, a month and a year gives "MM/dd/yy".
QString QtDateFormat(const std::string& pattern);

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_ENTRY_DATEFIELD_H_
