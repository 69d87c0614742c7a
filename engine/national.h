// National settings of the engine: the language, the date form and the
// number separators. Process-wide, set once at start-up.
//
// LanguageIndex comes from the user's locale (LC_ALL, then LC_MESSAGES, then
// LANG) and never changes afterwards; the separators and DateFormat start from
// it. The component layer's start-up then replaces the date and number
// settings with the platform's regional settings (ApplyRegionalSettings).
//
//   language               LanguageIndex  decimal  thousands
//   German                       5           ,        .
//   English, United States       0           .        ,
//   English, other               2           .        ,
//   Spanish                      6           ,        .
//   French, Canada               7           .        ,
//   French, other                4           ,        .
//   Italian                      3           ,        .
//   Russian                      8           .      blank
//   any other                    0           .        ,
//
// Date forms by DateFormat (two-digit year; with CenturyOn four digits):
//   0 MM/DD/YY   1 YY.MM.DD   2 DD/MM/YY   3 DD-MM-YY   4-8 DD.MM.YY
//
// Numbers never go through the C library's locale: the windowed program
// changes LC_NUMERIC with the user's environment, and "%.2f" would then print
// "1234,50". Use the engine's separators and std::to_chars/from_chars.
#ifndef QUILLPRINT_ENGINE_NATIONAL_H_
#define QUILLPRINT_ENGINE_NATIONAL_H_

#include <string>
#include <string_view>

namespace vz {

// 0-8 as in the table above. Read from the environment on first use.
int LanguageIndex();

// The index for a locale name such as "de_DE.UTF-8", "fr_CA", "C" or "".
int LanguageIndexForLocale(std::string_view locale);

// Reads the locale from the environment again and resets every national
// setting to what it implies (for start-up and tests).
void InitNationalSettings();
// The same from a given locale name.
void InitNationalSettingsFor(std::string_view locale);

char DecimalSeparator();
char ThousandsSeparator();
void SetDecimalSeparator(char c);
void SetThousandsSeparator(char c);

int DateFormat();
// Values above 8 store 0. Also sets the process-wide short date pattern
// (plat::SetShortDatePattern): 0 "MM/dd/yy", 1 "yy.MM.dd", 2 "dd/MM/yy",
// 3 "dd-MM-yy", 4-8 "dd.MM.yy", with "yyyy" when CenturyOn is set.
void SetDateFormat(int format);
bool CenturyOn();
// Also refreshes the short date pattern.
void SetCenturyOn(bool on);

// The date separator of the current DateFormat ("/", "." or "-").
char DateSeparator();

// The current year at start-up rounded down to a multiple of 100; a
// two-digit year yy stands for CenturyPivot() + yy.
int CenturyPivot();
void SetCenturyPivotForTesting(int pivot);

// The regional settings the platform reports, as the component layer's
// start-up receives them. Separators may be any character; one that is not
// a single byte becomes a blank.
struct RegionalSettings {
  std::string decimal_separator = ".";
  std::string thousands_separator = ",";
  std::string short_date_format = "MM/dd/yy";
};

// Applies the platform's regional settings: separators; CenturyOn := the
// format contains "YYYY" (any case); DateFormat := 0, then 3, 5 or 2 for a
// format starting with "D" and the date separator "-", "." or "/", or 1 for
// a format starting with "Y". The date separator is read from the format.
void ApplyRegionalSettings(const RegionalSettings& settings);

// The code page of table text: 866 for Russian (LanguageIndex 8), else 437.
int TableCodePage();

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_NATIONAL_H_
