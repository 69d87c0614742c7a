// Short date pattern: formatting and reading dates by the one pattern.
#include "platform/datefmt.h"

#include <ctime>

namespace plat {

namespace {

std::string& Pattern() {
  static std::string pattern = "MM/dd/yy";
  return pattern;
}

void Put(std::string* out, int value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), '0');
  if (static_cast<int>(digits.size()) > width) digits = digits.substr(digits.size() - width);
  *out += digits;
}

}  // namespace

void SetShortDatePattern(std::string pattern) { Pattern() = std::move(pattern); }

const std::string& ShortDatePattern() { return Pattern(); }

char ShortDateSeparator() {
  for (char c : Pattern()) {
    if (c != 'd' && c != 'M' && c != 'y') return c;
  }
  return '/';
}

std::string FormatShortDate(int year, int month, int day) {
  const std::string& p = Pattern();
  std::string out;
  for (size_t i = 0; i < p.size();) {
    char c = p[i];
    size_t run = 1;
    while (i + run < p.size() && p[i + run] == c) ++run;
    if (c == 'd') {
      Put(&out, day, 2);
    } else if (c == 'M') {
      Put(&out, month, 2);
    } else if (c == 'y') {
      Put(&out, year, run >= 4 ? 4 : 2);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

bool IsCalendarDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int limit = kDays[month - 1];
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && leap) limit = 29;
  return day <= limit;
}

void Today(int* year, int* month, int* day) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  *year = tm.tm_year + 1900;
  *month = tm.tm_mon + 1;
  *day = tm.tm_mday;
}

bool ParseShortDate(std::string_view text, int* year, int* month, int* day, int current_year) {
  // The order of the fields comes from the pattern; the text's own
  // separators are whatever stands between the digit groups.
  char order[3];
  int n = 0;
  for (size_t i = 0; i < Pattern().size() && n < 3;) {
    char c = Pattern()[i];
    size_t run = 1;
    while (i + run < Pattern().size() && Pattern()[i + run] == c) ++run;
    if (c == 'd' || c == 'M' || c == 'y') order[n++] = c;
    i += run;
  }
  if (n != 3) return false;

  int values[3] = {0, 0, 0};
  int widths[3] = {0, 0, 0};
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  for (int f = 0; f < 3; ++f) {
    if (f > 0) {
      if (i >= text.size() || (text[i] >= '0' && text[i] <= '9')) return false;
      ++i;  // one separator
    }
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      if (widths[f] >= 4) return false;
      values[f] = values[f] * 10 + (text[i] - '0');
      ++widths[f];
      ++i;
    }
    if (widths[f] == 0) return false;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return false;

  int y = 0, m = 0, d = 0, yw = 0;
  for (int f = 0; f < 3; ++f) {
    if (order[f] == 'd') d = values[f];
    if (order[f] == 'M') m = values[f];
    if (order[f] == 'y') {
      y = values[f];
      yw = widths[f];
    }
  }
  if (yw <= 2) {
    if (current_year == 0) {
      int cm, cd;
      Today(&current_year, &cm, &cd);
    }
    // The candidate in the current century, moved by a century when it lies
    // more than fifty years away.
    int candidate = current_year / 100 * 100 + y;
    if (candidate > current_year + 50) candidate -= 100;
    if (candidate < current_year - 49) candidate += 100;
    y = candidate;
  }
  if (!IsCalendarDate(y, m, d)) return false;
  *year = y;
  *month = m;
  *day = d;
  return true;
}

}  // namespace plat
