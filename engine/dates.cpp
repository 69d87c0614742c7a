// Date functions: reading date texts of the current DateFormat, Zeller's
// weekday rule and the day and month names of six languages.
#include "engine/dates.h"

#include <array>
#include <optional>

#include "engine/national.h"
#include "engine/textutil.h"

namespace vz {

namespace {

struct NameTable {
  int day_slot;
  int month_slot;
  std::array<std::string_view, 7> days;     // Sunday first
  std::array<std::string_view, 12> months;  // January first
};

constexpr NameTable kEnglish = {
    9, 9,
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
     "November", "December"},
};
constexpr NameTable kItalian = {
    9, 9,
    {"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"},
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto", "Settembre", "Ottobre",
     "Novembre", "Dicembre"},
};
constexpr NameTable kFrench = {
    8, 9,
    {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"},
    {"Janvier", "Février", "Mars", "Avril", "Mai", "Juin", "Juillet", "Août", "Septembre", "Octobre",
     "Novembre", "Décembre"},
};
constexpr NameTable kGerman = {
    10, 9,
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"},
};
constexpr NameTable kSpanish = {
    9, 10,
    {"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"},
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre", "Octubre",
     "Noviembre", "Diciembre"},
};
constexpr NameTable kRussian = {
    11, 8,
    {"Воскресенье", "Понедельник", "Вторник", "Среда", "Четверг", "Пятница", "Суббота"},
    {"Январь", "Февраль", "Март", "Апрель", "Май", "Июнь", "Июль", "Август", "Сентябрь", "Октябрь",
     "Ноябрь", "Декабрь"},
};

const NameTable& TableFor(int date_format) {
  switch (date_format) {
    case 3: return kItalian;
    case 4:
    case 7: return kFrench;
    case 5: return kGerman;
    case 6: return kSpanish;
    case 8: return kRussian;
    default: return kEnglish;
  }
}

// Characters, not bytes: continuation bytes of UTF-8 do not count.
int CharacterCount(std::string_view s) {
  int n = 0;
  for (char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string InSlot(std::string_view name, int slot) {
  std::string out(name);
  int have = CharacterCount(name);
  if (have < slot) out.append(static_cast<size_t>(slot - have), ' ');
  return out;
}

bool IsBlankChar(char c) { return static_cast<unsigned char>(c) <= 32; }

// A date text split into its parts, each trimmed and padded to two digits
// (an empty part stays empty).
struct DateParts {
  std::string month;
  std::string day;
  std::string year;
};

// The longest date text: "DD.MM.YYYY".
constexpr size_t kMaxDateText = 10;

std::optional<DateParts> Split(std::string_view date) {
  std::string text = TrimBoth(date);
  if (text.size() > kMaxDateText) return std::nullopt;
  char sep = DateSeparator();
  std::array<std::string, 3> parts;
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    size_t end = i < 2 ? text.find(sep, start) : text.size();
    if (end == std::string::npos) return std::nullopt;
    std::string part = TrimBoth(std::string_view(text).substr(start, end - start));
    // A blank part stays empty: padding it would read "  " as the year 00.
    if (part.size() == 1) part.insert(part.begin(), '0');
    parts[static_cast<size_t>(i)] = std::move(part);
    start = end + 1;
  }
  switch (DateFormat()) {
    case 0: return DateParts{parts[0], parts[1], parts[2]};
    case 1: return DateParts{parts[1], parts[2], parts[0]};
    default: return DateParts{parts[1], parts[0], parts[2]};
  }
}

// The value of a part of digits only; nullopt for anything else.
std::optional<int> Number(std::string_view digits) {
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

int FullYear(const std::string& digits, int value) {
  return digits.size() <= 2 ? CenturyPivot() + value : value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

struct CalendarDate {
  int year;
  int month;
  int day;
};

std::optional<CalendarDate> Calendar(std::string_view date) {
  auto parts = Split(date);
  if (!parts) return std::nullopt;
  if (parts->month.size() != 2 || parts->day.size() != 2) return std::nullopt;
  if (parts->year.size() != 2 && parts->year.size() != 4) return std::nullopt;
  auto m = Number(parts->month);
  auto d = Number(parts->day);
  auto y = Number(parts->year);
  if (!m || !d || !y) return std::nullopt;
  int year = FullYear(parts->year, *y);
  if (*m < 1 || *m > 12 || *d < 1 || *d > DaysInMonth(year, *m)) return std::nullopt;
  return CalendarDate{year, *m, *d};
}

int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }
int FloorMod(int a, int b) { return a - FloorDiv(a, b) * b; }

}  // namespace

bool IsBlankDate(std::string_view date) {
  for (char c : date) {
    if (!IsBlankChar(c) && c != '/' && c != '.' && c != '-') return false;
  }
  return true;
}

bool IsValidDate(std::string_view date) { return IsBlankDate(date) || Calendar(date).has_value(); }

int DayOfWeek(int year, int month, int day) {
  if (month < 3) {
    month += 12;
    year -= 1;
  }
  int k = FloorMod(year, 100);
  int j = FloorDiv(year, 100);
  // The sum goes negative for many dates (-24 for 03/01/2000); only the
  // non-negative remainder names a weekday.
  int h = FloorMod(day + (month + 1) * 26 / 10 + k + k / 4 + FloorDiv(j, 4) - 2 * j, 7);
  return h == 0 ? 7 : h;
}

std::string DayName(int date_format, int weekday) {
  if (weekday < 1 || weekday > 7) return {};
  const NameTable& t = TableFor(date_format);
  return InSlot(t.days[static_cast<size_t>(weekday - 1)], t.day_slot);
}

std::string MonthName(int date_format, int month) {
  if (month < 1 || month > 12) return {};
  const NameTable& t = TableFor(date_format);
  return InSlot(t.months[static_cast<size_t>(month - 1)], t.month_slot);
}

int DOW(std::string_view date) {
  auto c = Calendar(date);
  return c ? DayOfWeek(c->year, c->month, c->day) : 0;
}

std::string CDOW(std::string_view date) {
  int weekday = DOW(date);
  return weekday == 0 ? std::string(10, ' ') : DayName(DateFormat(), weekday);
}

std::string CMONTH(std::string_view date) {
  auto c = Calendar(date);
  return c ? MonthName(DateFormat(), c->month) : std::string(9, ' ');
}

int MONTH(std::string_view date) {
  auto parts = Split(date);
  if (!parts) return 0;
  return Number(parts->month).value_or(0);
}

int DAY(std::string_view date) {
  auto parts = Split(date);
  if (!parts) return 0;
  return Number(parts->day).value_or(0);
}

int YEAR(std::string_view date) {
  auto parts = Split(date);
  if (!parts) return 0;
  auto y = Number(parts->year);
  return y ? FullYear(parts->year, *y) : 0;
}

}  // namespace vz
