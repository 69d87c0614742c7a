// The check record: the structure of the check table and how the values of
// the main window's fields become table values and back.
//
// Texts: the window works in Unicode, the table in the OEM code page of the
// national settings (one byte per character). A text goes through the code
// page before the table component cuts it to the field width, so a cut never
// splits a character, and comes back through it when read. Characters the
// code page lacks are stored as "?".
//
// Dates: `chkdate` is eight characters wide. It holds the check date in the
// short date format in force, always with a two-digit year, so that the
// whole date fits even where the format shows four year digits: 12/05/1998
// is stored as "12/05/98". Reading completes a two-digit year within fifty
// years either side of the current year.
#ifndef QUILLPRINT_APP_CHECKRECORD_H_
#define QUILLPRINT_APP_CHECKRECORD_H_

#include <string>
#include <string_view>
#include <vector>

#include <QDate>
#include <QString>

namespace qp {

// The table's field list, one "name, type, width, decimals" line per field,
// in table order: 19 fields from "payee" to "notes".
const std::vector<std::string>& CheckTableFields();

// The text for a character field of the table.
std::string ToTableText(const QString& text);
// A character field's text for the window; trailing blanks (the field's
// padding) stay, as the table gives them.
QString FromTableText(std::string_view text);

// The date as `chkdate` stores it (see above); empty for an invalid date.
std::string CheckDateText(const QDate& date);
// The date a `chkdate` text stands for; an invalid QDate when the text is
// not a date in the short date format in force.
QDate CheckDateFromText(std::string_view text, int current_year = 0);

}  // namespace qp

#endif  // QUILLPRINT_APP_CHECKRECORD_H_
