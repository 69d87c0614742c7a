// The string table itself, sorted by number for the lookup.
#include "resources/strings.h"

#include <algorithm>
#include <iterator>

namespace qp {

namespace {

struct Entry {
  StrId id;
  std::string_view text;
};

constexpr Entry kTable[] = {
    {StrId::kDataSetClosed, "Cannot perform this operation on a closed dataset"},
    {StrId::kDataSetReadOnly, "Cannot modify a read-only dataset"},
    {StrId::kNotEditing, "Dataset not in edit or insert mode"},
    {StrId::kDataSetEmpty, "Cannot perform this operation on an empty dataset"},
    {StrId::kFieldNotFound, "Field '%s' not found"},
    {StrId::kFieldTypeMismatch, "Field '%s' is not of the expected type"},
    {StrId::kFieldNameMissing, "Field name missing"},
    {StrId::kDuplicateFieldName, "Duplicate field name '%s'"},
    {StrId::kInvalidFieldName, "Invalid field name '%s'"},
    {StrId::kInvalidFieldType, "Invalid field type '%s' for '%s'"},
    {StrId::kInvalidDate, "'%s' is not a valid date"},
    {StrId::kInvalidNumber, "'%s' is not a valid number"},
    {StrId::kTextTrue, "true"},
    {StrId::kTextFalse, "false"},
    {StrId::kTextYes, "yes"},
    {StrId::kTextNo, "no"},
    {StrId::kMemoValue, "MEMO"},
    {StrId::kBlobValue, "BLOB"},
    {StrId::kNoMemoValue, "none"},
    {StrId::kNotLinked, "Not linked"},

    {StrId::kDatabaseNotOpen, "Database is not open"},
    {StrId::kFieldNotInTable, "Field '%s' not in '%s'"},
    {StrId::kFieldKindMismatch, "'%s()' expects field '%s' to be of type:\r\n'%s'.'%s' actually is: '%s'"},
    {StrId::kKindCharacter, "character"},
    {StrId::kKindMemo, "memo"},
    {StrId::kKindNumericDecimals, "numeric, with decimals"},
    {StrId::kKindDate, "date"},
    {StrId::kKindLogical, "logical"},
    {StrId::kKindNumericInteger, "numeric, without decimals"},
    {StrId::kActualCharacter, "Character"},
    {StrId::kActualDate, "Date"},
    {StrId::kActualLogical, "Logical"},
    {StrId::kActualMemo, "Memo"},
    {StrId::kActualNumericWidth, "Numeric, width: "},
    {StrId::kActualDecimals, " decimals: "},
    {StrId::kLockFailed, "Lock failed [%s]"},
    {StrId::kCannotOpen, "Cannot open:\r\n'%s'\r\nError no: '%s'\r\n'%s'"},
    {StrId::kCouldNotCreate, "Could not create '%s'"},
    {StrId::kFieldListNil, "DbfFieldList is Nil trying to create a database"},
    {StrId::kFieldListEmpty, "FieldList.Count is <= 0 trying to create a database"},
    {StrId::kNameEmpty, "This field cannot be left empty!"},
    {StrId::kAliasNotUnique,
     "The first 10 characters of Name property\r\nmust be unique, since this part\r\n"
     "of the name is used as an ALIAS."},
    {StrId::kMemoDesignTime, "Memo Field (Design time)"},
    {StrId::kInvalidFieldDefinition, "Invalid field definition '%s' [CreateTable]"},

    {StrId::kMemoPlaceholder, "(Memo)"},
    {StrId::kBlobPlaceholder, "(Blob)"},
    {StrId::kDeleteRecordPrompt, "Delete Record ?"},
    {StrId::kRestoreRecordPrompt, "Restore Record ?"},
    {StrId::kTooManyColumns, "Too many columns in grid"},
    {StrId::kHintFirst, "Go to first record"},
    {StrId::kHintPrior, "Go to prior record"},
    {StrId::kHintNext, "Go to next record"},
    {StrId::kHintLast, "Go to last record"},
    {StrId::kHintInsert, "Insert a record"},
    {StrId::kHintDelete, "Delete/Restore record"},
    {StrId::kHintEdit, "Edit record"},
    {StrId::kHintPost, "Save changes"},
    {StrId::kHintCancel, "Cancel edit"},
    {StrId::kHintRefresh, "Refresh record"},
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kTable); ++i) {
    if (static_cast<int>(kTable[i - 1].id) >= static_cast<int>(kTable[i].id)) return false;
  }
  return true;
}
static_assert(Sorted(), "the string table must stay sorted by number, without repeats");

}  // namespace

std::string_view LoadStr(int number) {
  auto it = std::lower_bound(std::begin(kTable), std::end(kTable), number,
                             [](const Entry& e, int n) { return static_cast<int>(e.id) < n; });
  if (it == std::end(kTable) || static_cast<int>(it->id) != number) return {};
  return it->text;
}

std::string_view LoadStr(StrId id) { return LoadStr(static_cast<int>(id)); }

}  // namespace qp
