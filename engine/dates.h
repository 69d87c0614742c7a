// Date functions of the engine on date texts, as the field buffer holds them:
// in the form of the current DateFormat (engine/national.h), "12/25/26" for
// format 0, "25.12.2026" for format 5 with CenturyOn, and so on.
//
// A text is read in three parts split at the format's separator, each part
// trimmed and padded with "0" to two characters; the year part keeps two
// digits or four. A two-digit year yy stands for CenturyPivot() + yy.
//
// Day and month names come in six languages chosen by DateFormat, each in a
// slot of fixed width (blank-padded, width counted in characters; the texts
// are UTF-8):
//
//   DateFormat  language  day slot  month slot
//   0, 1, 2     English       9         9
//   3           Italian       9         9
//   4, 7        French        8         9
//   5           German       10         9
//   6           Spanish       9        10
//   8           Russian      11         8
#ifndef QUILLPRINT_ENGINE_DATES_H_
#define QUILLPRINT_ENGINE_DATES_H_

#include <string>
#include <string_view>

namespace vz {

// True for a text of nothing but blanks and date separators ("", "  /  /  ",
// "  .  .    ", eight blanks): the empty date of a D field.
bool IsBlankDate(std::string_view date);

// The check a stored date must pass before a program takes it: true for a
// blank date, or for a text of at most 10 characters (after trimming) in the
// current DateFormat whose month is 1-12 and whose day exists in that month
// and year (Gregorian leap years). "12/5/98" passes as 12/05/98; "2/30/98",
// "13/01/98", "12/25/2026x" and "12-25-26" (format 0) fail.
bool IsValidDate(std::string_view date);

// The day's name in its slot for the current DateFormat ("Friday   " for
// 12/25/26 with format 0). A blank or invalid date gives 10 blanks.
std::string CDOW(std::string_view date);
// The month's name in its slot for the current DateFormat ("Dezember " for
// 25.12.26 with format 5). A blank or invalid date gives 9 blanks.
std::string CMONTH(std::string_view date);

// Day of the week, 1 = Sunday ... 7 = Saturday; 0 for a blank or invalid date.
int DOW(std::string_view date);

// The month, day and year as they stand in the text (not checked against the
// calendar); 0 when the part is missing or not all digits. YEAR completes a
// year of one or two digits with CenturyPivot().
int MONTH(std::string_view date);
int DAY(std::string_view date);
int YEAR(std::string_view date);

// Day of the week of a calendar date by Zeller's rule, 1 = Sunday ... 7 =
// Saturday, for any year from 0 on (month 1-12, day 1-31 expected).
int DayOfWeek(int year, int month, int day);

// The slot texts of a DateFormat (values outside 0-8 read as 0): weekday 1-7
// from Sunday, month 1-12; anything else gives an empty text.
std::string DayName(int date_format, int weekday);
std::string MonthName(int date_format, int month);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_DATES_H_
