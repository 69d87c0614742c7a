// The resource string table of the components and controls: every text they
// show or compare against, looked up by number.
//
// Texts are stored in UTF-8, the program's own character set, so loading
// one needs no code-page conversion. Numbers are grouped by user:
//   100-199  data-set framework (errors, field texts, logical words)
//   200-299  DBF table component (warnings, field lookup messages)
//   300-399  data-aware controls (prompts, placeholders, navigator hints)
// Numbers are stable: code refers to them by name, never by value.
#ifndef QUILLPRINT_RESOURCES_STRINGS_H_
#define QUILLPRINT_RESOURCES_STRINGS_H_

#include <string_view>

namespace qp {

enum class StrId : int {
  // Data-set framework.
  kDataSetClosed = 100,      // "Cannot perform this operation on a closed dataset"
  kDataSetReadOnly = 101,    // "Cannot modify a read-only dataset"
  kNotEditing = 102,         // "Dataset not in edit or insert mode"
  kDataSetEmpty = 103,       // "Cannot perform this operation on an empty dataset"
  kFieldNotFound = 104,      // "Field '%s' not found"
  kFieldTypeMismatch = 105,  // "Field '%s' is not of the expected type"
  kFieldNameMissing = 106,   // "Field name missing"
  kDuplicateFieldName = 107, // "Duplicate field name '%s'"
  kInvalidFieldName = 108,   // "Invalid field name '%s'"
  kInvalidFieldType = 109,   // "Invalid field type '%s' for '%s'" (type, name)
  kInvalidDate = 110,        // "'%s' is not a valid date"
  kInvalidNumber = 111,      // "'%s' is not a valid number"
  kTextTrue = 120,           // "true"
  kTextFalse = 121,          // "false"
  kTextYes = 122,            // "yes"
  kTextNo = 123,             // "no"
  kMemoValue = 124,          // "MEMO": a memo field with a stored memo
  kBlobValue = 125,          // "BLOB": a memo field holding binary data
  kNoMemoValue = 126,        // "none": a memo field without a memo
  kNotLinked = 127,          // "Not linked": memo text of a source without a table

  // DBF table component.
  kDatabaseNotOpen = 200,    // "Database is not open"
  kFieldNotInTable = 201,    // "Field '%s' not in '%s'" (field, table)
  kFieldKindMismatch = 202,  // "'%s()' expects field '%s' to be of type:\r\n'%s'.'%s' actually is: '%s'"
  kKindCharacter = 203,      // "character"
  kKindMemo = 204,           // "memo"
  kKindNumericDecimals = 205,  // "numeric, with decimals"
  kKindDate = 206,           // "date"
  kKindLogical = 207,        // "logical"
  kKindNumericInteger = 208, // "numeric, without decimals"
  kActualCharacter = 209,    // "Character"
  kActualDate = 210,         // "Date"
  kActualLogical = 211,      // "Logical"
  kActualMemo = 212,         // "Memo"
  kActualNumericWidth = 213, // "Numeric, width: "
  kActualDecimals = 214,     // " decimals: "
  kLockFailed = 215,         // "Lock failed [%s]"
  kCannotOpen = 216,         // "Cannot open:\r\n'%s'\r\nError no: '%s'\r\n'%s'"
  kCouldNotCreate = 217,     // "Could not create '%s'"
  kFieldListNil = 218,       // "DbfFieldList is Nil trying to create a database"
  kFieldListEmpty = 219,     // "FieldList.Count is <= 0 trying to create a database"
  kNameEmpty = 220,          // "This field cannot be left empty!"
  kAliasNotUnique = 221,     // "The first 10 characters of Name property\r\n..."
  kMemoDesignTime = 222,     // "Memo Field (Design time)"
  kInvalidFieldDefinition = 223,  // "Invalid field definition '%s' [CreateTable]"

  // Data-aware controls.
  kMemoPlaceholder = 300,    // "(Memo)"
  kBlobPlaceholder = 301,    // "(Blob)"
  kDeleteRecordPrompt = 302, // "Delete Record ?"
  kRestoreRecordPrompt = 303,  // "Restore Record ?"
  kTooManyColumns = 304,     // "Too many columns in grid"
  kHintFirst = 310,          // "Go to first record"; the ten hints follow in button order
  kHintPrior = 311,
  kHintNext = 312,
  kHintLast = 313,
  kHintInsert = 314,
  kHintDelete = 315,
  kHintEdit = 316,
  kHintPost = 317,
  kHintCancel = 318,
  kHintRefresh = 319,
};

// The text of a string; "" for a number the table does not hold. The view
// stays valid for the life of the program.
std::string_view LoadStr(StrId id);
std::string_view LoadStr(int number);

}  // namespace qp

#endif  // QUILLPRINT_RESOURCES_STRINGS_H_
