// Regional settings: what the engine receives for the locales our users
// have, and the reduction of Qt's date formats to the engine's patterns.
#include <QtTest>

#include <cstdlib>
#include <string>

#include "regional/regional.h"

class TestRegional : public QObject {
  Q_OBJECT

 private slots:
  void datePattern_data();
  void datePattern();
  void locale_data();
  void locale();
  void unconfiguredLocaleIsUnitedStates();
};

void TestRegional::datePattern_data() {
  QTest::addColumn<QString>("format");
  QTest::addColumn<QString>("pattern");
  QTest::newRow("us") << "M/d/yy" << "MM/dd/yy";
  QTest::newRow("german") << "dd.MM.yy" << "dd.MM.yy";
  QTest::newRow("iso") << "yyyy-MM-dd" << "yyyy-MM-dd";
  QTest::newRow("blanks after separators") << "d. M. yyyy" << "dd.MM.yyyy";
  QTest::newRow("trailing separator") << "yyyy. MM. dd." << "yyyy.MM.dd";
  QTest::newRow("weekday dropped") << "ddd dd/MM/yy" << "dd/MM/yy";
  QTest::newRow("month name counts as month") << "d MMM yyyy" << "dd/MM/yyyy";
  QTest::newRow("quoted text dropped") << "dd 'de' MM 'de' yyyy" << "dd/MM/yyyy";
  QTest::newRow("escaped quote") << "dd'''x'/MM/yy" << "dd/MM/yy";
  QTest::newRow("unknown separator") << "dd,MM,yy" << "dd/MM/yy";
  QTest::newRow("no year") << "dd.MM" << "MM/dd/yy";
  QTest::newRow("empty") << "" << "MM/dd/yy";
  QTest::newRow("unterminated quote") << "dd.MM.yy 'x" << "dd.MM.yy";
}

void TestRegional::datePattern() {
  QFETCH(QString, format);
  QFETCH(QString, pattern);
  QCOMPARE(QString::fromStdString(qp::ShortDatePatternFrom(format)), pattern);
}

void TestRegional::locale_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("decimal");
  QTest::addColumn<QString>("group");
  QTest::addColumn<QString>("pattern");
  QTest::newRow("en_US") << "en_US" << "." << "," << "MM/dd/yy";
  QTest::newRow("de_DE") << "de_DE" << "," << "." << "dd.MM.yy";
  QTest::newRow("en_GB") << "en_GB" << "." << "," << "dd/MM/yyyy";
  // The French group separator is a narrow no-break space: several bytes in
  // UTF-8, which the engine turns into a blank itself.
  QTest::newRow("fr_FR") << "fr_FR" << "," << QString(QChar(0x202F)) << "dd/MM/yyyy";
  QTest::newRow("ru_RU") << "ru_RU" << "," << QString(QChar(0x00A0)) << "dd.MM.yyyy";
}

void TestRegional::locale() {
  QFETCH(QString, name);
  QFETCH(QString, decimal);
  QFETCH(QString, group);
  QFETCH(QString, pattern);
  const vz::RegionalSettings s = qp::RegionalSettingsFor(QLocale(name));
  QCOMPARE(QString::fromStdString(s.decimal_separator), decimal);
  QCOMPARE(QString::fromStdString(s.thousands_separator), group);
  QCOMPARE(QString::fromStdString(s.short_date_format), pattern);
}

void TestRegional::unconfiguredLocaleIsUnitedStates() {
  // main() cleared the locale variables before Qt read them.
  QCOMPARE(QLocale::system().language(), QLocale::C);
  const vz::RegionalSettings s = qp::SystemRegionalSettings();
  QCOMPARE(s.short_date_format, std::string("MM/dd/yy"));
  QCOMPARE(s.decimal_separator, std::string("."));
  QCOMPARE(s.thousands_separator, std::string(","));
}

int main(int argc, char** argv) {
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES", "LANG", "LANGUAGE"}) {
    ::unsetenv(var);
  }
  QCoreApplication app(argc, argv);
  TestRegional test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_regional.moc"
