// The check record: one row of the check table checks.dbf, described once.
// The table component's field list, the table's structure for the engine,
// Save and Load of the main window, the printed check's fields, the sample
// check and the fixtures of tests and benchmarks are all derived from
// CheckRecord(); nothing else lists the fields, and nothing maps values to
// fields by their position.
//
// Texts: the window works in Unicode (UTF-8 here), the table in the OEM
// code page of the national settings (one byte per character). A text goes
// through the code page before the table component cuts it to the field
// width, so a cut never splits a character, and comes back through it when
// read. Characters the code page lacks are stored as "?".
//
// Dates: `chkdate` is eight characters wide. It holds the check date in the
// short date format in force, always with a two-digit year, so that the
// whole date fits even where the format shows four year digits: 12/05/1998
// is stored as "12/05/98". Reading completes a two-digit year within fifty
// years either side of the current year.
//
// Plain C++: the benchmarks and the command-line tools use it without Qt.
#ifndef QUILLPRINT_APP_CHECKRECORD_H_
#define QUILLPRINT_APP_CHECKRECORD_H_

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf.h"
#include "output/checklayout.h"

namespace vz {
class TTzDbf;
class TTzODbf;
}

namespace qp {

// The kind of the main window's field a table field is filled from and
// loaded into.
enum class CheckInput {
  kText,    // a single-line edit with a typing limit; the field keeps its text
  kAmount,  // the numeric field; the field keeps its value as a 6-byte real
  kDate,    // the date field; the field keeps the date as short-date text
  kNotes,   // nothing on the pages: the notes window edits the memo
};

struct CheckRecordField {
  const char* name;  // as declared, lower case; the table stores it upper case
  char type;
  int length;
  int decimals;
  CheckInput input;
  const char* edit;  // object name of the main window's field; nullptr for the notes
  int typing_limit;  // characters the user may type into a kText edit; 0 otherwise
  // The printed check's text taken from this field, or nullptr (the
  // amount and the date are printed from CheckValues::amount and ::date).
  std::string CheckFields::*print;
};

// The 19 fields in table order, "payee" to "notes".
std::span<const CheckRecordField> CheckRecord();

// The field of that name (compared without regard to case); nullptr when
// the check record has none.
const CheckRecordField* FindCheckField(std::string_view name);

// The field the main window's field of that object name belongs to;
// nullptr for none.
const CheckRecordField* FindCheckEdit(std::string_view edit);

// The table component's field list (DbfFields): "payee, C, 40, 0", ...
std::vector<std::string> CheckTableFields();

// The table's structure as the engine's CreateDBF takes it; without the
// memo field when `with_notes` is false (for measuring the engine alone).
std::vector<vz::TFieldEntry> CheckTableStructure(bool with_notes = true);

// One check as the program carries it between the main window, the table
// and the printed check.
struct CheckValues {
  // The text of every kText field, by field name, in UTF-8.
  std::map<std::string, std::string, std::less<>> text;
  double amount = 0;  // amtnumbers
  CheckDate date;     // chkdate
  std::string notes;  // the memo; the main window neither writes nor reads it

  const std::string& Text(std::string_view field) const;
};

// The sample check of the print sample, the benchmarks and the tests.
const CheckValues& SampleCheck();

// The printed check's fields from a check's values.
CheckFields PrintFields(const CheckValues& values);

// The amount in figures as the check prints it: two decimals, no
// separators ("1248.50").
std::string AmountFigures(double amount);

// The text for a character field of the table.
std::string ToTableText(std::string_view utf8);
// A character field's text for the window; trailing blanks (the field's
// padding) stay, as the table gives them.
std::string FromTableText(std::string_view text);

// The date as `chkdate` stores it (see above); empty for an invalid date.
std::string TableDateText(const CheckDate& date);
// The date a `chkdate` text stands for; the zero date when the text is not
// a date in the short date format in force.
CheckDate TableDate(std::string_view text, int current_year = 0);

// Puts a check into the table component's record buffer, blank first, by
// field name (the notes are left blank). The caller appends or replaces.
void PutCheck(vz::TTzDbf& table, const CheckValues& values);

// The table's current record as a check: the texts without the blanks
// that pad them to the field width; the amount in words whole when the
// table holds it cut at the field width (the stored text is exactly the
// first 40 characters of the stored amount's words), as stored otherwise;
// a `chkdate` that fails the engine's date check gives the zero date.
CheckValues GetCheck(vz::TTzDbf& table);

// One record of the check table as its file holds it.
struct StoredCheck {
  int32_t record = 0;    // record number, from 1
  bool deleted = false;  // marked deleted
  CheckValues values;    // as GetCheck gives them (the notes left empty)
};

// Reads records of the table open in the engine's current work area from
// the file itself (the engine's Peek), so that the table's current record,
// its record buffer and its locks stay exactly as they were: the windows
// sharing the table see no move. `records` names the records wanted, in
// the order wanted; empty means every record, in record order; numbers
// outside the table are passed over. True on success; false when a record
// could not be read, with the engine's error set and reported, and `out`
// holding the records read before it.
bool ReadStoredChecks(std::span<const int32_t> records, std::vector<StoredCheck>* out);
// The same for the table of a table component, from its own work area,
// whichever area is current; the current area stays current.
bool ReadStoredChecks(vz::TTzODbf& table, std::span<const int32_t> records,
                      std::vector<StoredCheck>* out);

}  // namespace qp

#endif  // QUILLPRINT_APP_CHECKRECORD_H_
