// The short date format of the platform: one process-wide pattern, set by the
// engine from its date settings ("MM/dd/yy", "dd.MM.yyyy" ...), used by every
// conversion of a date to text and back in the program.
//
// Patterns hold "dd", "MM", "yy" or "yyyy" and one separator character.
// Plain C++; no locale of the C library is involved.
#ifndef QUILLPRINT_PLATFORM_DATEFMT_H_
#define QUILLPRINT_PLATFORM_DATEFMT_H_

#include <string>
#include <string_view>

namespace plat {

void SetShortDatePattern(std::string pattern);
const std::string& ShortDatePattern();
// The first character of the pattern that is not a d, M or y.
char ShortDateSeparator();

// The date as text in the pattern: 12/05/98 for "MM/dd/yy".
std::string FormatShortDate(int year, int month, int day);

// Reads a date written in the pattern. A two-digit year is put within the
// fifty years either side of `current_year` ("98" is 1998 in 2026, "75" is
// 2075); a `current_year` of 0 means this year. The separators may be any
// non-digit. False for anything that is not a real calendar date.
bool ParseShortDate(std::string_view text, int* year, int* month, int* day,
                    int current_year = 0);

// Whether the day exists (1 <= month <= 12, day within the month, Gregorian
// leap years).
bool IsCalendarDate(int year, int month, int day);

// Today's local date.
void Today(int* year, int* month, int* day);

}  // namespace plat

#endif  // QUILLPRINT_PLATFORM_DATEFMT_H_
