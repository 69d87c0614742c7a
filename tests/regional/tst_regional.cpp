// Regional settings: what the engine receives for our users' locales, and
// Qt's date formats reduced to the engine's patterns.
#include <QtTest>

#include <cstdlib>

#include "regional/regional.h"

class TestRegional : public QObject {
  Q_OBJECT

 private slots:
  void datePatterns() {
    const char* const cases[][2] = {  // Qt's format, the engine's pattern
        {"yyyy-MM-dd", "yyyy-MM-dd"}, {"yyyy. MM. dd.", "yyyy.MM.dd"}, {"ddd d MMM yyyy", "dd/MM/yyyy"},
        {"dd,MM,yy", "dd/MM/yy"},     {"dd 'o''clock' MM.yy", "dd.MM.yy"}, {"dd.MM.yy 'x", "dd.MM.yy"},
        {"dd.MM", "MM/dd/yy"}};
    for (const auto& [format, pattern] : cases) {
      QCOMPARE(format + QString(" -> ") + QString::fromStdString(qp::ShortDatePatternFrom(format)),
               format + QString(" -> ") + pattern);
    }
  }
  void locales() {
    QCOMPARE(QLocale::system().language(), QLocale::C);  // main() cleared the locale variables
    const struct {
      const char* name;  // "": the system's, none configured, counts as United States
      QString settings;  // decimal point, group separator, date pattern
    } cases[] = {{"", ". , MM/dd/yy"}, {"de_DE", ", . dd.MM.yy"},
                 // A narrow no-break space: several bytes in UTF-8, which the engine turns into a blank.
                 {"fr_FR", QString(", %1 dd/MM/yyyy").arg(QChar(0x202F))}};
    for (const auto& c : cases) {
      const vz::RegionalSettings s = *c.name ? qp::RegionalSettingsFor(QLocale(c.name)) : qp::SystemRegionalSettings();
      QCOMPARE(QString::fromStdString(s.decimal_separator + " " + s.thousands_separator + " " + s.short_date_format),
               c.settings);
    }
  }
};

int main(int argc, char** argv) {
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES", "LANG", "LANGUAGE"}) ::unsetenv(var);
  QCoreApplication app(argc, argv);
  TestRegional test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_regional.moc"
