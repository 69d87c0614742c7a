// The check record's structure and its text and date conversions.
#include "app/checkrecord.h"

#include "engine/codepage.h"
#include "platform/datefmt.h"

namespace qp {

const std::vector<std::string>& CheckTableFields() {
  static const std::vector<std::string> fields = {
      "payee, C, 40, 0",      "amtenglish, C, 40, 0", "checknum, C, 9, 0",
      "amtnumbers, F, 10, 2", "chkdate, C, 8, 0",     "acctnum, C, 20, 0",
      "abanum, C, 9, 0",      "bcity, C, 30, 0",      "bstate, C, 2, 0",
      "bzip, C, 10, 0",       "baddress, C, 35, 0",   "bname, C, 35, 0",
      "pfirstname, C, 20, 0", "plastname, C, 30, 0",  "paddress, C, 40, 0",
      "pcity, C, 30, 0",      "pstate, C, 2, 0",      "pzip, C, 10, 0",
      "notes, M, 10, 0",
  };
  return fields;
}

std::string ToTableText(const QString& text) { return vz::Utf8ToOem(text.toStdString()); }

QString FromTableText(std::string_view text) {
  return QString::fromStdString(vz::OemToUtf8(text));
}

std::string CheckDateText(const QDate& date) {
  if (!date.isValid()) return std::string();
  // The pattern in force with its year cut to two digits: the field is as
  // wide as the two-digit forms, and a four-digit year would lose the year
  // itself ("12/05/19").
  const std::string& pattern = plat::ShortDatePattern();
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    int value = -1;
    if (c == 'd') value = date.day();
    if (c == 'M') value = date.month();
    if (c == 'y') value = date.year() % 100;
    if (value >= 0) {
      out += static_cast<char>('0' + value / 10);
      out += static_cast<char>('0' + value % 10);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

QDate CheckDateFromText(std::string_view text, int current_year) {
  int year = 0, month = 0, day = 0;
  if (!plat::ParseShortDate(text, &year, &month, &day, current_year)) return QDate();
  return QDate(year, month, day);
}

}  // namespace qp
