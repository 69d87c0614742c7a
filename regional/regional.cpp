// Regional settings from QLocale, reduced to what the engine understands.
#include "regional/regional.h"

namespace qp {

namespace {

constexpr char kDefaultPattern[] = "MM/dd/yy";

}  // namespace

std::string ShortDatePatternFrom(const QString& qt_format) {
  std::string day, month, year, order;
  char separator = 0;
  const qsizetype n = qt_format.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = qt_format.at(i);
    if (c == u'\'') {  // quoted text, with '' standing for one quote
      ++i;
      while (i < n) {
        if (qt_format.at(i) == u'\'') {
          if (i + 1 < n && qt_format.at(i + 1) == u'\'') {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      continue;
    }
    qsizetype run = 1;
    while (i + run < n && qt_format.at(i + run) == c) ++run;
    i += run;
    if (c == u'd' && run <= 2 && day.empty()) {
      day = "dd";
      order += 'd';
    } else if (c == u'M' && month.empty()) {
      month = "MM";
      order += 'M';
    } else if (c == u'y' && year.empty()) {
      year = run >= 3 ? "yyyy" : "yy";
      order += 'y';
    } else if (!c.isLetter() && !c.isSpace() && separator == 0 && !order.empty()) {
      // The engine's date forms know these three; a comma or a dash of
      // another script would give dates nobody can type back.
      separator = (c == u'.' || c == u'-' || c == u'/') ? static_cast<char>(c.unicode()) : '/';
    }
  }
  if (order.size() != 3) return kDefaultPattern;
  if (separator == 0) separator = '/';
  std::string pattern;
  for (char f : order) {
    if (!pattern.empty()) pattern += separator;
    pattern += f == 'd' ? day : f == 'M' ? month : year;
  }
  return pattern;
}

vz::RegionalSettings RegionalSettingsFor(const QLocale& locale) {
  vz::RegionalSettings s;
  s.decimal_separator = locale.decimalPoint().toStdString();
  s.thousands_separator = locale.groupSeparator().toStdString();
  s.short_date_format = ShortDatePatternFrom(locale.dateFormat(QLocale::ShortFormat));
  return s;
}

vz::RegionalSettings SystemRegionalSettings() {
  QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
  return RegionalSettingsFor(locale);
}

}  // namespace qp
