// The date field: the program's date pattern, reading two-digit years, its
// signals and its changed-by-the-user mark.
#include <cstdlib>
#include <string>

#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/datefield.h"
#include "controls/keypress.h"
#include "platform/datefmt.h"

class TestDateField : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void qtFormatForPattern_data();
  void qtFormatForPattern();
  void showsTheDateAsTheProgramWritesIt_data();
  void showsTheDateAsTheProgramWritesIt();
  void followsAPatternChange();
  void setDateRaisesDateSetOnly();
  void invalidDateIsRefused_data();
  void invalidDateIsRefused();
  void typedTwoDigitYearLiesWithinFiftyYears_data();
  void typedTwoDigitYearLiesWithinFiftyYears();
  void typedWholeDate_data();
  void typedWholeDate();
  void fourDigitYearIsTakenAsTyped();
  void steppingMovesByRealDates();
  void pickingFromTheCalendar();
  void modifiedMark();
  void keyPressHandlerCanSwallowEnter();

 private:
  std::string saved_pattern_;
};

void TestDateField::init() { saved_pattern_ = plat::ShortDatePattern(); }

void TestDateField::cleanup() { plat::SetShortDatePattern(saved_pattern_); }

void TestDateField::qtFormatForPattern_data() {
  QTest::addColumn<QString>("pattern");
  QTest::addColumn<QString>("format");

  QTest::newRow("American") << "MM/dd/yy" << "MM/dd/yy";
  QTest::newRow("German with century") << "dd.MM.yyyy" << "dd.MM.yyyy";
  QTest::newRow("year first") << "yy.MM.dd" << "yy.MM.dd";
  QTest::newRow("dashes") << "dd-MM-yy" << "dd-MM-yy";
  QTest::newRow("single letters still pad") << "M/d/y" << "MM/dd/yy";
  QTest::newRow("three y is two digits") << "dd/MM/yyy" << "dd/MM/yy";
  QTest::newRow("five y is four digits") << "dd/MM/yyyyy" << "dd/MM/yyyy";
  QTest::newRow("letters are quoted") << "dd h MM h yy" << "dd 'h' MM 'h' yy";
  QTest::newRow("quote is doubled") << "dd'MM'yy" << "dd''MM''yy";
  QTest::newRow("no day") << "MM/yy" << "MM/dd/yy";
  QTest::newRow("empty") << "" << "MM/dd/yy";
}

void TestDateField::qtFormatForPattern() {
  QFETCH(QString, pattern);
  QFETCH(QString, format);
  QCOMPARE(qp::QtDateFormat(pattern.toStdString()), format);
}

void TestDateField::showsTheDateAsTheProgramWritesIt_data() {
  QTest::addColumn<QString>("pattern");
  QTest::addColumn<QDate>("date");
  QTest::addColumn<QString>("shown");

  QTest::newRow("MM/dd/yy") << "MM/dd/yy" << QDate(1998, 12, 5) << "12/05/98";
  QTest::newRow("dd.MM.yyyy") << "dd.MM.yyyy" << QDate(1998, 12, 5) << "05.12.1998";
  QTest::newRow("yy.MM.dd") << "yy.MM.dd" << QDate(2003, 1, 9) << "03.01.09";
  QTest::newRow("dd-MM-yy") << "dd-MM-yy" << QDate(2031, 7, 30) << "30-07-31";
  QTest::newRow("dd/MM/yy") << "dd/MM/yy" << QDate(1950, 2, 28) << "28/02/50";
}

void TestDateField::showsTheDateAsTheProgramWritesIt() {
  QFETCH(QString, pattern);
  QFETCH(QDate, date);
  QFETCH(QString, shown);
  plat::SetShortDatePattern(pattern.toStdString());
  TDateField field;
  QVERIFY(field.SetDate(date));
  QCOMPARE(field.text(), shown);
  QCOMPARE(field.text().toStdString(),
           plat::FormatShortDate(date.year(), date.month(), date.day()));
  QVERIFY(field.calendarPopup());
}

void TestDateField::followsAPatternChange() {
  plat::SetShortDatePattern("MM/dd/yy");
  TDateField field;
  field.SetDate(QDate(1998, 12, 5));
  QCOMPARE(field.text(), QString("12/05/98"));

  plat::SetShortDatePattern("dd.MM.yyyy");
  field.RefreshPattern();
  QCOMPARE(field.text(), QString("05.12.1998"));
  QCOMPARE(field.Date(), QDate(1998, 12, 5));

  // Showing the field takes up a pattern changed meanwhile.
  plat::SetShortDatePattern("yy.MM.dd");
  QSignalSpy changed(&field, &TDateField::Changed);
  field.show();
  QVERIFY(QTest::qWaitForWindowExposed(&field));
  QCOMPARE(field.text(), QString("98.12.05"));
  QCOMPARE(field.Date(), QDate(1998, 12, 5));
  QCOMPARE(changed.count(), 0);
  QVERIFY(!field.IsModified());
}

void TestDateField::setDateRaisesDateSetOnly() {
  TDateField field;
  QCOMPARE(field.Date(), QDate::currentDate());
  QSignalSpy changed(&field, &TDateField::Changed);
  QSignalSpy set(&field, &TDateField::DateSet);
  QVERIFY(field.SetDate(QDate(1998, 12, 5)));
  QCOMPARE(field.Date(), QDate(1998, 12, 5));
  QCOMPARE(changed.count(), 0);
  QCOMPARE(set.count(), 1);
  QCOMPARE(set.at(0).at(0).toDate(), QDate(1998, 12, 5));
  QVERIFY(!field.IsModified());
}

void TestDateField::invalidDateIsRefused_data() {
  QTest::addColumn<QDate>("date");
  QTest::newRow("null") << QDate();
  QTest::newRow("not a calendar date") << QDate(2023, 2, 29);
  QTest::newRow("before the earliest") << QDate(1200, 1, 1);
}

void TestDateField::invalidDateIsRefused() {
  QFETCH(QDate, date);
  TDateField field;
  field.SetDate(QDate(2001, 3, 4));
  QSignalSpy changed(&field, &TDateField::Changed);
  QSignalSpy set(&field, &TDateField::DateSet);
  QVERIFY(!field.SetDate(date));
  QCOMPARE(field.Date(), QDate(2001, 3, 4));
  QCOMPARE(changed.count() + set.count(), 0);
}

void TestDateField::typedTwoDigitYearLiesWithinFiftyYears_data() {
  QTest::addColumn<QDate>("start");
  QTest::addColumn<QString>("typed");

  // Both centuries as the starting point: the edit's own guess depends on it.
  for (int start_year : {1960, 2026}) {
    for (const char* year : {"98", "75", "30", "00", "50", "77", "76"}) {
      QTest::addRow("%s from %d", year, start_year) << QDate(start_year, 6, 15) << QString(year);
    }
  }
}

void TestDateField::typedTwoDigitYearLiesWithinFiftyYears() {
  QFETCH(QDate, start);
  QFETCH(QString, typed);
  plat::SetShortDatePattern("MM/dd/yy");
  TDateField field;
  field.SetDate(start);
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  field.setSelectedSection(QDateTimeEdit::YearSection);
  QSignalSpy changed(&field, &TDateField::Changed);
  QTest::keyClicks(&field, typed);

  const int year = field.Date().year();
  const int this_year = QDate::currentDate().year();
  QCOMPARE(year % 100, typed.toInt());
  QVERIFY2(year - this_year <= 50 && this_year - year < 50, qPrintable(QString::number(year)));
  QCOMPARE(field.Date().month(), 6);
  QCOMPARE(field.Date().day(), 15);
  QVERIFY(changed.count() > 0);
  QVERIFY(field.IsModified());

  // Leaving the field keeps the year.
  field.clearFocus();
  QCOMPARE(field.Date().year(), year);
}

void TestDateField::typedWholeDate_data() {
  QTest::addColumn<QString>("pattern");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QDate>("date");

  QTest::newRow("with separators") << "dd.MM.yy" << "05.12.98" << QDate(1998, 12, 5);
  QTest::newRow("digits only") << "dd.MM.yy" << "051298" << QDate(1998, 12, 5);
  QTest::newRow("one-digit day") << "dd.MM.yy" << "5.12.98" << QDate(1998, 12, 5);
  QTest::newRow("one-digit month") << "dd.MM.yy" << "15.1.03" << QDate(2003, 1, 15);
  QTest::newRow("American order") << "MM/dd/yy" << "12/05/98" << QDate(1998, 12, 5);
  QTest::newRow("year first") << "yy.MM.dd" << "98.12.05" << QDate(1998, 12, 5);
}

void TestDateField::typedWholeDate() {
  QFETCH(QString, pattern);
  QFETCH(QString, typed);
  QFETCH(QDate, date);
  plat::SetShortDatePattern(pattern.toStdString());
  TDateField field;
  field.SetDate(QDate(2026, 1, 1));
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  field.setCurrentSectionIndex(0);
  field.setSelectedSection(field.currentSection());
  QTest::keyClicks(&field, typed);
  QCOMPARE(field.Date(), date);
}

void TestDateField::fourDigitYearIsTakenAsTyped() {
  plat::SetShortDatePattern("MM/dd/yyyy");
  TDateField field;
  field.SetDate(QDate(2026, 6, 15));
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  field.setSelectedSection(QDateTimeEdit::YearSection);
  QTest::keyClicks(&field, "1898");
  QCOMPARE(field.Date(), QDate(1898, 6, 15));
}

void TestDateField::steppingMovesByRealDates() {
  plat::SetShortDatePattern("MM/dd/yy");
  TDateField field;
  // 1950 shows as "50", which typed would mean 2050; stepping must not jump.
  field.SetDate(QDate(1950, 6, 15));
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  field.setSelectedSection(QDateTimeEdit::YearSection);
  QSignalSpy changed(&field, &TDateField::Changed);
  QTest::keyClick(&field, Qt::Key_Down);
  QCOMPARE(field.Date(), QDate(1949, 6, 15));
  QTest::keyClick(&field, Qt::Key_Up);
  QTest::keyClick(&field, Qt::Key_Up);
  QCOMPARE(field.Date(), QDate(1951, 6, 15));
  QCOMPARE(changed.count(), 3);
  QVERIFY(field.IsModified());
}

void TestDateField::pickingFromTheCalendar() {
  TDateField field;
  field.SetDate(QDate(1998, 12, 5));
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  QSignalSpy changed(&field, &TDateField::Changed);
  QSignalSpy set(&field, &TDateField::DateSet);

  QTest::keyClick(&field, Qt::Key_F4);  // drops the calendar down
  QCalendarWidget* calendar = field.calendarWidget();
  QTRY_VERIFY(calendar->isVisible());
  QWidget* days = calendar->focusWidget();
  QVERIFY(days != nullptr);
  QTest::keyClick(days, Qt::Key_Right);
  QCOMPARE(field.Date(), QDate(1998, 12, 6));  // browsing shows in the field
  QCOMPARE(set.count(), 0);
  QTest::keyClick(days, Qt::Key_Return);
  QTRY_VERIFY(!calendar->isVisible());

  QCOMPARE(field.Date(), QDate(1998, 12, 6));
  QCOMPARE(set.count(), 1);
  QCOMPARE(set.at(0).at(0).toDate(), QDate(1998, 12, 6));
  QVERIFY(changed.count() >= 1);
  QVERIFY(field.IsModified());
}

void TestDateField::modifiedMark() {
  TDateField field;
  QVERIFY(!field.IsModified());
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  field.setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClick(&field, Qt::Key_Up);
  QVERIFY(field.IsModified());
  field.SetModified(false);
  QVERIFY(!field.IsModified());
  QTest::keyClick(&field, Qt::Key_Right);  // moving between parts is no change
  QVERIFY(!field.IsModified());
  QTest::keyClick(&field, Qt::Key_Down);
  QVERIFY(field.IsModified());
  field.SetDate(QDate(2000, 1, 1));
  QVERIFY(!field.IsModified());
}

void TestDateField::keyPressHandlerCanSwallowEnter() {
  TDateField field;
  field.show();
  QVERIFY(QTest::qWaitForWindowActive(&field));
  field.setFocus();
  QSignalSpy finished(&field, &QAbstractSpinBox::editingFinished);
  QTest::keyClick(&field, Qt::Key_Return);
  QCOMPARE(finished.count(), 1);  // the field itself does act on Enter

  int seen = 0;
  field.SetKeyPressHandler([&seen](QKeyEvent* event) {
    ++seen;
    return qp::IsEnterKey(event);
  });
  QTest::keyClick(&field, Qt::Key_Return);
  QTest::keyClick(&field, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(finished.count(), 1);
  QTest::keyClick(&field, Qt::Key_Up);  // other keys go through
  QCOMPARE(seen, 3);
  QVERIFY(field.IsModified());

  field.SetKeyPressHandler({});
  QTest::keyClick(&field, Qt::Key_Return);
  QCOMPARE(finished.count(), 2);
}

QTEST_MAIN(TestDateField)
#include "tst_datefield.moc"
