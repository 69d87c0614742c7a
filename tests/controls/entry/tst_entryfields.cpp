// The entry fields: the date field (the program's pattern, two-digit years),
// the amount field (typing, deleting, pasting, an invalid content's look) and
// the limited edit; their signals and changed-by-the-user marks.
#include <limits>
#include <string>

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/entry/datefield.h"
#include "controls/entry/limitededit.h"
#include "controls/entry/numericfield.h"
#include "platform/datefmt.h"

namespace {

struct AmountEdit {
  QString locale;
  double start;
  int caret;  // -1: at the end
  bool insert;
  QString keys;  // "\b" Backspace, "\x7f" Delete
  QString shown;
};
struct AmountValue {
  double value, high;
  QString shown, formatted;
  bool valid;
};
struct LimitedCase {
  QString start;   // set by the program
  int cursor;      // -1 selects all
  QString action;  // "type:TEXT", "paste:TEXT", "backspace", "insert:TEXT"
  QString expected;
  bool modified;  // the changed-by-the-user mark after
};

// Types `keys`, with "\b" for Backspace and "\x7f" for Delete.
void Type(QWidget* widget, const QString& keys) {
  for (QChar c : keys) {
    const bool del = c == QChar(0x7f);
    c == QLatin1Char('\b') || del ? QTest::keyClick(widget, del ? Qt::Key_Delete : Qt::Key_Backspace)
                     : QTest::keyClick(widget, c.toLatin1());
  }
}

}  // namespace

Q_DECLARE_METATYPE(AmountEdit)
Q_DECLARE_METATYPE(AmountValue)
Q_DECLARE_METATYPE(LimitedCase)

class TestEntryFields : public QObject {
  Q_OBJECT

 private slots:
  void init() { saved_pattern_ = plat::ShortDatePattern(); }
  void cleanup() { plat::SetShortDatePattern(saved_pattern_); }

  // German with century; single letters still pad; letters and quotes stand as is; no day.
  void qtFormatForPattern() {
    for (const auto& [pattern, format] : {std::pair{"dd.MM.yyyy", "dd.MM.yyyy"}, {"M/d/y", "MM/dd/yy"},
                                          {"dd h MM'yy", "dd 'h' MM''yy"}, {"MM/yy", "MM/dd/yy"}}) {
      QCOMPARE(qp::QtDateFormat(pattern), QString(format));
    }
  }

  // Both centuries to start from: the edit's own guess depends on it.
  void typedTwoDigitYearLiesWithinFiftyYears() {
    const int this_year = QDate::currentDate().year();
    for (int start_year : {1960, 2026}) {
      for (const QString typed : {"98", "30", "77", "76"}) {
        TDateField field;
        Start(&field, "yy.MM.dd", QDate(start_year, 6, 15));
        QTest::keyClicks(&field, typed);
        field.clearFocus();  // leaving the field keeps the year
        const int year = field.Date().year();
        QCOMPARE(year % 100, typed.toInt());
        QVERIFY2(year - this_year <= 50 && this_year - year < 50, qPrintable(typed + " gave " + QString::number(year)));
        QCOMPARE(field.Date().dayOfYear(), QDate(year, 6, 15).dayOfYear());
        QVERIFY(field.IsModified());
      }
    }
  }

  // Reached by the keyboard (Start) or by a click into its text, which once
  // dropped every digit typed after it; a click into a field that already
  // has the focus types over the part clicked.
  void typedWholeDate_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("click");  // character clicked at, -1: keyboard
    QTest::newRow("with separators") << "dd.MM.yy" << "05.12.98" << QDate(1998, 12, 5) << -1;
    QTest::newRow("digits only") << "dd.MM.yy" << "051298" << QDate(1998, 12, 5) << -1;
    QTest::newRow("one-digit day") << "dd.MM.yy" << "5.12.98" << QDate(1998, 12, 5) << -1;
    QTest::newRow("American order") << "MM/dd/yy" << "12/05/98" << QDate(1998, 12, 5) << -1;
    QTest::newRow("four-digit year") << "MM/dd/yyyy" << "12/05/1898" << QDate(1898, 12, 5) << -1;
    QTest::newRow("clicked at the start") << "MM/dd/yy" << "120598" << QDate(1998, 12, 5) << 0;
    QTest::newRow("clicked into the day") << "MM/dd/yy" << "12/05/98" << QDate(1998, 12, 5) << 4;
    QTest::newRow("clicked past the end") << "MM/dd/yy" << "120598" << QDate(1998, 12, 5) << 8;
    QTest::newRow("clicked again, into the year") << "MM/dd/yy" << "97" << QDate(1997, 1, 1) << 107;
  }

  void typedWholeDate() {
    QFETCH(QString, pattern);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(int, click);
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* field = new TDateField(&window);
    field->move(0, 30);
    field->resize(150, field->sizeHint().height());
    Start(field, qPrintable(pattern), QDate(2026, 1, 1));
    if (click >= 0) {
      window.show();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QLineEdit* text = field->findChild<QLineEdit*>();
      auto at = [&](int index) {
        if (index >= text->text().size()) return QPoint(text->width() - 3, text->height() / 2);
        return QPoint(4 + text->fontMetrics().horizontalAdvance(text->text().left(index)),
                      text->height() / 2);
      };
      if (click >= 100) {  // already focused: a first click, then this one
        field->setFocus();
        QTest::mouseClick(text, Qt::LeftButton, {}, at(0));
        click -= 100;
      } else {
        before->setFocus();
      }
      QTest::mouseClick(text, Qt::LeftButton, {}, at(click));
      QVERIFY(field->hasFocus());
    }
    QTest::keyClicks(field, typed);
    QCOMPARE(field->Date(), date);
  }

  // 1950 shows as "50", which typed would mean 2050; stepping must not jump,
  // nor picking from the calendar.
  void steppingAndPickingMoveByRealDates() {
    TDateField field;
    Start(&field, "yy/MM/dd", QDate(1950, 6, 15));
    QSignalSpy changed(&field, &TDateField::Changed);
    QTest::keyClick(&field, Qt::Key_Down);
    QCOMPARE(field.Date(), QDate(1949, 6, 15));
    QVERIFY(field.IsModified());
    field.SetModified(false);
    QTest::keyClick(&field, Qt::Key_Right);  // moving is no change
    QVERIFY(!field.IsModified());
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_Up);
    QCOMPARE(field.Date(), QDate(1951, 6, 15));
    QCOMPARE(changed.count(), 3);
    QVERIFY(field.IsModified());
    // Typing the month keeps a year the user did not type.
    QTest::keyClick(&field, Qt::Key_Right);
    field.setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(&field, "07");
    QCOMPARE(field.Date(), QDate(1951, 7, 15));
    field.SetDate(QDate(1950, 12, 5));
    QVERIFY(!field.IsModified());
    QSignalSpy set(&field, &TDateField::DateSet);
    QTest::keyClick(&field, Qt::Key_F4);
    QCalendarWidget* calendar = field.calendarWidget();
    QVERIFY(calendar->isVisible());
    QWidget* days = calendar->focusWidget();
    QTest::keyClick(days, Qt::Key_Right);
    QCOMPARE(field.Date(), QDate(1950, 12, 6));  // browsing shows in the field
    QCOMPARE(set.count(), 0);
    QTest::keyClick(days, Qt::Key_Return);
    QVERIFY(!calendar->isVisible());
    QCOMPARE(set.count(), 1);
    QCOMPARE(set.at(0).at(0).toDate(), QDate(1950, 12, 6));
    QVERIFY(field.IsModified());
  }

  void editing_data() {
    QTest::addColumn<AmountEdit>("c");
    const QString us = "en_US";
    QTest::newRow("largest amount") << AmountEdit{us, 0, -1, false, "9999999.99", "9999999.99"};
    QTest::newRow("eighth integer digit refused") << AmountEdit{us, 0, -1, false, "12345678", "1234567"};
    QTest::newRow("third decimal refused") << AmountEdit{us, 0, -1, false, "1.234", "1.23"};
    QTest::newRow("minus sign refused") << AmountEdit{us, 0, -1, false, "-5-0", "50"};
    QTest::newRow("point first gets a zero") << AmountEdit{us, 0, -1, false, ".5", "0.5"};
    QTest::newRow("second point jumps past the first") << AmountEdit{us, 0, -1, false, "1..5", "1.5"};
    QTest::newRow("comma is no point in en_US") << AmountEdit{us, 0, -1, false, "12,5", "125"};
    QTest::newRow("locale decimal key") << AmountEdit{"de_DE", 0, -1, false, "12,5", "12.5"};
    QTest::newRow("overwrite replaces") << AmountEdit{us, 12.5, 0, false, "9", "92.50"};
    QTest::newRow("overwrite steps over the point") << AmountEdit{us, 12.5, 2, false, "7", "12.70"};
    QTest::newRow("insert") << AmountEdit{us, 12.5, 0, true, "9", "912.50"};
    QTest::newRow("insert: no eighth digit") << AmountEdit{us, 1234567, 0, true, "9", "1234567.00"};
    QTest::newRow("backspace") << AmountEdit{us, 12.5, -1, false, "\b\b", "12."};
    QTest::newRow("backspace joins the parts") << AmountEdit{us, 12.5, 3, false, "\b", "1250"};
    // Joining seven digits and two decimals would give nine integer digits:
    // the caret steps over the point, and the next key deletes a digit.
    QTest::newRow("point that cannot go") << AmountEdit{us, 1234567.89, 8, false, "\b\b", "123456.89"};
    QTest::newRow("point that cannot go, forward") << AmountEdit{us, 1234567.89, 7, false, "\x7f\x7f", "1234567.9"};
  }

  void editing() {
    QFETCH(AmountEdit, c);
    TNumericField field;
    field.setLocale(QLocale(c.locale));
    field.SetValue(c.start);
    if (c.insert) QTest::keyClick(&field, Qt::Key_Insert);
    if (c.caret >= 0) field.setCursorPosition(c.caret);
    Type(&field, c.keys);
    QCOMPARE(field.text(), c.shown);
    QCOMPARE(field.Value(), c.shown.toDouble());
  }

  void paste_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("before");  // "[text]": all of it selected; else the caret at the end
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("after");

    const QString us = "en_US";
    QTest::newRow("thousands and point") << us << "" << "1,234.56" << "1234.56";
    QTest::newRow("dollar sign and blanks") << us << "" << " $12.50\n" << "12.50";
    QTest::newRow("lone comma before two digits") << us << "" << "12,50" << "12.50";
    QTest::newRow("German grouping") << "de_DE" << "" << "1.234,56" << "1234.56";
    QTest::newRow("zeros beyond the picture") << us << "" << "0012.500" << "12.50";
    QTest::newRow("replaces the selection") << us << "[99.00]" << "$5.25" << "5.25";
    QTest::newRow("eighth digit refused") << us << "" << "12345678" << "";
    QTest::newRow("negative refused") << us << "" << "-5.00" << "";
    QTest::newRow("two points refused") << us << "" << "1.2.3,4,5" << "";
    QTest::newRow("too long with what is there") << us << "12345.00" << "1,000" << "12345.00";
  }

  void paste() {
    QFETCH(QString, locale);
    QFETCH(QString, before);
    QFETCH(QString, clipboard);
    QFETCH(QString, after);
    TNumericField field;
    field.setLocale(QLocale(locale));
    const bool select = before.startsWith('[');
    if (select) before = before.mid(1, before.size() - 2);
    field.setText(before);
    if (select) field.selectAll();
    QGuiApplication::clipboard()->setText(clipboard);
    QSignalSpy changed(&field, &TNumericField::Changed);
    QTest::keySequence(&field, QKeySequence::Paste);
    QCOMPARE(field.text(), after);
    QCOMPARE(changed.count(), after == before ? 0 : 1);
  }

  // An amount the field cannot hold is kept but shown red, the text black;
  // typing over it mends it.
  void setValue_data() {
    QTest::addColumn<AmountValue>("c");
    const double top = TNumericField::kDefaultRangeHigh;
    QTest::newRow("two decimals") << AmountValue{12.5, top, "12.50", "12.50", true};
    QTest::newRow("rounded once to cents") << AmountValue{0.105, top, "0.10", "0.10", true};
    QTest::newRow("zero clears") << AmountValue{0, top, "", "0.00", true};
    QTest::newRow("below a cent clears") << AmountValue{0.001, top, "", "0.00", true};
    QTest::newRow("too large is kept") << AmountValue{12345678.9, top, "12345678.90", "12345678.90", false};
    QTest::newRow("negative is kept") << AmountValue{-5, top, "-5.00", "-5.00", false};
    QTest::newRow("above the range") << AmountValue{150, 100, "150.00", "150.00", false};
  }

  void setValue() {
    QFETCH(AmountValue, c);
    TNumericField field;
    field.resize(130, 24);
    field.SetRange(0, c.high);
    const QColor normal = field.palette().color(QPalette::Base);
    QCOMPARE(field.SetValue(c.value), c.valid);
    QCOMPARE(field.text(), c.shown);
    QCOMPARE(field.FormattedText(), c.formatted);
    QCOMPARE(field.Value(), c.formatted.toDouble());
    QVERIFY(!field.SetValue(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!field.SetValue(std::numeric_limits<double>::infinity()));
    QCOMPARE(field.text(), c.shown);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    const QImage image = field.grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 6, image.height() / 2) == QColor(Qt::red), !c.valid);
    if (!c.valid) QCOMPARE(field.palette().color(QPalette::Text), QColor(Qt::black));

    field.selectAll();
    QTest::keyClicks(&field, "1");
    QCOMPARE(field.text(), QString("1"));
    QCOMPARE(field.palette().color(QPalette::Base), normal);
  }

  void changeSignalAndMarkOnlyForTheUsersEdits() {
    TNumericField field;
    QSignalSpy changed(&field, &TNumericField::Changed);
    QTest::keyClicks(&field, "12x-");  // two edits, two refused keys
    QCOMPARE(changed.count(), 2);
    QVERIFY(field.IsModified());
    QVERIFY(field.isModified());  // loops over plain edits see the same mark
    QTest::keySequence(&field, QKeySequence::Undo);
    QCOMPARE(field.text(), QString("1"));
    QCOMPARE(changed.count(), 3);

    field.SetModified(false);
    QTest::keyClick(&field, Qt::Key_Left);  // moving is no change
    QVERIFY(!field.IsModified());
    QTest::keyClicks(&field, "4");
    QVERIFY(field.IsModified());

    field.SetValue(250.75);
    field.SetValue(0);
    QCOMPARE(changed.count(), 4);
    QVERIFY(!field.IsModified());
  }

  // The refused keystrokes at the end must not clear the mark the first ones set.
  void userEdits_data() {
    QTest::addColumn<LimitedCase>("c");
    QTest::newRow("typing stops at the limit") << LimitedCase{"", 0, "type:abcdefgh", "abcde", true};
    QTest::newRow("typing into a full field") << LimitedCase{"abcde", 2, "type:X", "abcde", false};
    QTest::newRow("paste goes in as far as it fits") << LimitedCase{"abc", 3, "paste:12345", "abc12", true};
    QTest::newRow("paste in the middle keeps the tail") << LimitedCase{"abc", 1, "paste:12345", "a12bc", true};
    QTest::newRow("over-long text can be shortened") << LimitedCase{"abcdefgh", 8, "backspace", "abcdefg", true};
    QTest::newRow("over-long text cannot grow") << LimitedCase{"abcdefgh", 8, "type:Z", "abcdefgh", false};
    QTest::newRow("over-long text replaced by typing") << LimitedCase{"abcdefgh", -1, "type:Z", "Z", true};
    QTest::newRow("the program's insert is not cut") << LimitedCase{"abcdefgh", 8, "insert:!", "abcdefgh!", true};
  }

  void userEdits() {
    QFETCH(LimitedCase, c);
    const QString action = c.action;
    qp::LimitedEdit edit(5);
    edit.setText(c.start);
    QCOMPARE(edit.text(), c.start);
    if (c.cursor < 0) {
      edit.selectAll();
    } else {
      edit.setCursorPosition(c.cursor);
    }
    if (action.startsWith("type:")) {
      QTest::keyClicks(&edit, action.mid(5));
    } else if (action.startsWith("paste:")) {
      QApplication::clipboard()->setText(action.mid(6));
      QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    } else if (action.startsWith("insert:")) {
      edit.insert(action.mid(7));
    } else {
      QTest::keyClick(&edit, Qt::Key_Backspace);
    }
    QCOMPARE(edit.text(), c.expected);
    QCOMPARE(edit.isModified(), c.modified);
  }

 private:
  // A shown, focused field in `pattern` on `date`, its first part selected.
  void Start(TDateField* field, const char* pattern, QDate date) {
    plat::SetShortDatePattern(pattern);
    field->RefreshPattern();
    field->SetDate(date);
    field->window()->show();
    QVERIFY(QTest::qWaitForWindowActive(field->window()));
    field->setFocus();
    field->setCurrentSectionIndex(0);
    field->setSelectedSection(field->currentSection());
  }

  std::string saved_pattern_;
};

QTEST_MAIN(TestEntryFields)
#include "tst_entryfields.moc"
