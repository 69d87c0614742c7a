// The user's regional settings as the component start-up hands them to the
// engine (vz::ApplyRegionalSettings): the decimal point, the group separator
// and the short date format, read from the system locale.
//
// The date format is reduced to the engine's pattern language: "dd", "MM"
// and "yy" or "yyyy" in the locale's order, joined by one separator
// character ("M/d/yy" becomes "MM/dd/yy", "d. M. yyyy" becomes "dd.MM.yyyy").
#ifndef QUILLPRINT_REGIONAL_REGIONAL_H_
#define QUILLPRINT_REGIONAL_REGIONAL_H_

#include <QLocale>
#include <QString>

#include <string>

#include "engine/national.h"

namespace qp {

// Settings of the system locale. The "C" locale (no locale configured)
// counts as English (United States).
vz::RegionalSettings SystemRegionalSettings();

// Settings of a given locale.
vz::RegionalSettings RegionalSettingsFor(const QLocale& locale);

// A Qt date format in the engine's pattern language. Weekday names and quoted
// text are dropped, a month name counts as the month. Formats that lack the
// day, the month or the year give "MM/dd/yy"; a separator other than ".",
// "-" or "/" becomes "/".
std::string ShortDatePatternFrom(const QString& qt_format);

}  // namespace qp

#endif  // QUILLPRINT_REGIONAL_REGIONAL_H_
