// The date field: the program's date pattern, reading two-digit years, its
// signals and its changed-by-the-user mark.
#include <string>

#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/entry/datefield.h"
#include "platform/datefmt.h"

class TestDateField : public QObject {
  Q_OBJECT

 private slots:
  void init() { saved_pattern_ = plat::ShortDatePattern(); }
  void cleanup() { plat::SetShortDatePattern(saved_pattern_); }

  void qtFormatForPattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("format");
    QTest::newRow("German with century") << "dd.MM.yyyy" << "dd.MM.yyyy";
    QTest::newRow("single letters still pad") << "M/d/y" << "MM/dd/yy";
    QTest::newRow("letters and quotes stand as is") << "dd h MM'yy" << "dd 'h' MM''yy";
    QTest::newRow("no day") << "MM/yy" << "MM/dd/yy";
  }

  void qtFormatForPattern() {
    QFETCH(QString, pattern);
    QFETCH(QString, format);
    QCOMPARE(qp::QtDateFormat(pattern.toStdString()), format);
  }

  void typedTwoDigitYearLiesWithinFiftyYears_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("typed");
    // Both centuries to start from: the edit's own guess depends on it.
    for (int start_year : {1960, 2026}) {
      for (const char* year : {"98", "30", "77", "76"}) {
        QTest::addRow("%s from %d", year, start_year) << QDate(start_year, 6, 15) << QString(year);
      }
    }
  }

  void typedTwoDigitYearLiesWithinFiftyYears() {
    QFETCH(QDate, start);
    QFETCH(QString, typed);
    TDateField field;
    Start(&field, "yy.MM.dd", start);
    QSignalSpy changed(&field, &TDateField::Changed);
    QTest::keyClicks(&field, typed);
    field.clearFocus();  // leaving the field keeps the year

    const int year = field.Date().year();
    const int this_year = QDate::currentDate().year();
    QCOMPARE(year % 100, typed.toInt());
    QVERIFY2(year - this_year <= 50 && this_year - year < 50, qPrintable(QString::number(year)));
    QCOMPARE(field.Date().dayOfYear(), QDate(year, 6, 15).dayOfYear());
    QVERIFY(changed.count() > 0);
    QVERIFY(field.IsModified());
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
      const QPoint point = at(click);
      QTest::mouseClick(text, Qt::LeftButton, {}, point);
      QVERIFY(field->hasFocus());
    }
    QTest::keyClicks(field, typed);
    QCOMPARE(field->Date(), date);
  }

  void steppingMovesByRealDatesAndMarks() {
    TDateField field;
    // 1950 shows as "50", which typed would mean 2050; stepping must not jump.
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
    field.SetDate(QDate(2000, 1, 1));
    QVERIFY(!field.IsModified());
  }

  void pickingFromTheCalendar() {
    TDateField field;
    Start(&field, "MM/dd/yy", QDate(1998, 12, 5));
    QSignalSpy changed(&field, &TDateField::Changed);
    QSignalSpy set(&field, &TDateField::DateSet);
    QTest::keyClick(&field, Qt::Key_F4);
    QCalendarWidget* calendar = field.calendarWidget();
    QVERIFY(calendar->isVisible());
    QWidget* days = calendar->focusWidget();
    QTest::keyClick(days, Qt::Key_Right);
    QCOMPARE(field.Date(), QDate(1998, 12, 6));  // browsing shows in the field
    QCOMPARE(set.count(), 0);
    QTest::keyClick(days, Qt::Key_Return);
    QVERIFY(!calendar->isVisible());
    QCOMPARE(set.count(), 1);
    QCOMPARE(set.at(0).at(0).toDate(), QDate(1998, 12, 6));
    QVERIFY(changed.count() >= 1);
    QVERIFY(field.IsModified());
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

QTEST_MAIN(TestDateField)
#include "tst_datefield.moc"
