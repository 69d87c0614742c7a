// The DBF table components: one engine work area behind a data source.
//
//   TTzDataSource (cursor operations, links, data set)
//        └─ TTzODbf   the work area: xBase commands as methods, the cursor
//             │       operations over GO/SKIP/Append/Replace, the lock
//             │       protocol, field access by name, memo text
//             └─ TTzDbf   the table a form places: file name, creation from
//                         a field list, Active, Exclusive, index list
//
// Work area. Every operation selects the component's own work area before
// it reaches the engine (and copies HideDeletedRecs into the engine's
// hide-deleted setting). Without an open table the selection fails with
// engine error 1103, "Database is not open [<operation>]", reported as the
// engine reports every error (with the default settings: the program ends
// with that code); the operation then does nothing and gives its neutral
// result (0, false, ""). The selection is left in place afterwards.
//
// Lock protocol of the writing cursor operations (_Insert takes the file
// lock, _Post, _Delete and _Restore the record lock):
//   1. lock granted: the engine command runs, the lock is released; the
//      result is true unless the command failed;
//   2. lock refused, handler assigned: the handler decides (Resolved arrives
//      true); the command does not run;
//   3. lock refused, no handler: false, and the warning "Lock failed [%s]"
//      names the operation ("_Insert", "_Post", "_Delete", "_Restore").
//
// Field access by name (GetCField, GetRealField, SetCField, SetRealField,
// memo lines) checks the field's type: a name not in the table is engine
// error 220 "Field '<name>' not in '<table file>' [<operation>]"; a field
// of the wrong kind is error 220 with the "'<operation>()' expects field
// ..." text. The names are cut to 10 characters.
//
// Texts. GetCField and SetCField move table bytes (OEM, one byte per
// character) without conversion; the data set's fields convert to UTF-8.
// Memo lines travel as OEM text here too.
//
// Field values live in the engine's typed field buffer of the work area
// (engine/fieldbuf.h); the data set's fields point into it while the table
// is open. Closing the table (CloseThisArea, Active := false) therefore
// closes the data set and removes its fields first; they are made anew at
// every open.
//
// Not thread-safe: everything runs on the user-interface thread.
#ifndef QUILLPRINT_COMPONENTS_TZDBF_H_
#define QUILLPRINT_COMPONENTS_TZDBF_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "components/dataset.h"

namespace vz {

enum class FieldKind : uint8_t;  // what a lookup by name expects (tzdbf_p.h)

// Resolved arrives true; the handler's verdict is the operation's result.
using TTzLockFailedEvent = std::function<void(TComponent* Sender, bool& Resolved)>;
// Progress of an index build: records done of the total.
using TTzIndexProgress = std::function<void(int32_t done, int32_t total)>;

// ---- TTzODbf ----------------------------------------------------------------------

class TTzODbf : public TTzDataSource {
 public:
  struct Private;  // opaque state, in tzdbf_p.h

  explicit TTzODbf(TComponent* owner);
  // Closes the table (and the data set).
  ~TTzODbf() override;

  // ---- the work area ----
  bool IsOpen() const;
  int WorkArea() const;  // 1-33 while open, 0 while closed
  // The engine's field buffer of the open table (a copy at design time),
  // nullptr while closed.
  uint8_t* FieldBuffer() const;
  uint16_t FieldBufferSize() const;

  // Opens a table with a USE command (<file> [EXCLUSIVE] [ALIAS <alias>]) in
  // a free work area and leaves the work area that was current selected
  // again. RecountOnOpen follows AutoFixRecCount for the open. True on
  // success; a failure has set the engine error (and reported it as the
  // engine's reporting switch says).
  bool Open(std::string_view command);
  // Closes the table: the data set closes and loses its fields, the work
  // area is emptied (USE with a blank command). Nothing while closed.
  void CloseThisArea();

  // A caller's variable that receives the field buffer's address at every
  // open, when the buffer has `expected_size` bytes; a table of another
  // size is closed again (Open gives false). The variable becomes nullptr
  // when the table closes. nullptr unlinks.
  void SetFieldBufferLink(uint8_t** variable, uint16_t expected_size);

  bool AutoFixRecCount() const;
  void SetAutoFixRecCount(bool on);
  bool HideDeletedRecs() const;
  void SetHideDeletedRecs(bool on);

  TTzLockFailedEvent OnALockFailedOnInsert;
  TTzLockFailedEvent OnRLockFailedOnDelete;
  TTzLockFailedEvent OnRLockFailedOnPost;
  TTzLockFailedEvent OnRLockFailedOnRestore;

  // ---- xBase commands in the component's work area ----
  // The field buffer becomes a new last record (a shared table needs the
  // file lock: ALock first); then the data set is brought in line.
  void Append();
  // The field buffer is written over the current record (a shared table
  // needs its record lock: RLock first); then the data set is brought in
  // line.
  void Replace();
  // Removes the records marked deleted (and dead memos); then the data set
  // is brought in line. False when nothing was packed or on a failure.
  bool Pack();
  int32_t RecCount();
  bool ALock();
  bool RLock();
  void UnLock();
  // Field numbers count from 1 (engine/dbf.h).
  std::string Field(int n);
  // At design time, the field's place in the copy of the buffer.
  uint8_t* FieldAddress(int n);
  uint8_t FieldCount();
  uint8_t FieldDec(int n);
  uint8_t FieldLen(int n);
  char FieldType(int n);

  // ---- fields by name ----
  // The C field's text as stored (blank-padded to the field length); ""
  // when the lookup fails.
  std::string GetCField(std::string_view name);
  // The value of an N or F field with decimals; 0 when the lookup fails.
  double GetRealField(std::string_view name);
  // Stores the first field-length bytes of `text` in the C field's slot,
  // then passes the change to the data set (RecordChanged).
  void SetCField(std::string_view name, std::string_view text);
  // Stores the value (as a 6-byte real) in an N or F field with decimals,
  // then passes the change to the data set.
  void SetRealField(std::string_view name, double value);

  // ---- cursor operations over the engine (see TTzDataSource) ----
  uint16_t GetBookmarkSize() override;
  // Stores the lines (OEM) as a new memo and puts its block number into the
  // memo field's slot. The record's old memo is not reused. A memo that
  // cannot be stored throws EVozuvError and leaves the slot alone.
  void PutMemo(const std::string& field_name, const TStrings& lines) override;
  // GO to the record in the bookmark with engine reporting off; the result
  // is the engine error code (0 success).
  uint16_t SetToBookmark(uint8_t* bookmark) override;
  void ClearFields() override;
  // The record number; 1 at dBOF, 2 at dEOF (the later wins), else 0.
  int GetBookmark(uint8_t* bookmark) override;
  // The memo's lines (OEM), none for block 0. A memo that cannot be read
  // throws EVozuvError.
  void GetMemo(int32_t block, TStrings& lines) override;
  int32_t GetRecordCount() override;
  bool Deleted() override;
  bool _Delete() override;
  bool _First() override;
  // Appends the field buffer; a new record outside the while condition
  // sends the cursor back to where the insert began.
  bool _Insert() override;
  bool _Last() override;
  bool _MoveBy(int32_t distance) override;
  bool _Next() override;
  // Writes the field buffer over the current record; a record that leaves
  // the while condition moves the cursor to a neighbour inside it, or drops
  // the condition.
  bool _Post() override;
  bool _Prior() override;
  bool _Refresh() override;
  bool _Restore() override;

  // ---- index operations ----
  // Each hands its arguments to the index engine and then brings the data
  // set in line. This program has no index engine: each sets engine error
  // 220 "Index unit not linked in. [<operation>]" (reported as the switch
  // says).
  virtual void SetIndexTo(std::string_view names);
  virtual void SetIndexToCB(std::string_view names, TTzIndexProgress progress);
  virtual void SetIndexToLFN(std::string_view name, int mode);
  virtual void IndexOn(std::string_view key, std::string_view name);
  virtual void IndexOnCB(std::string_view key, std::string_view name, TTzIndexProgress progress);

 protected:
  // Makes the component's work area current (see the top of this file).
  // False after error 1103.
  bool SelectArea(const char* operation);

 private:
  friend class TTzDbf;
  // The field's number after the type check, or 0 after error 220.
  int LookupField(std::string_view name, FieldKind kind, const char* operation);
  // The lock protocol around one engine command; *ran tells whether the
  // command ran.
  bool LockProtocol(bool file_lock, void (*command)(), const TTzLockFailedEvent& handler,
                    const char* operation, bool* ran);
  void TakeDesignSnapshot();

  std::unique_ptr<Private> d_;
};

// ---- TTzDbf -----------------------------------------------------------------------

enum TCreateIndexType : uint8_t { ciNotFound = 0, ciAlways = 1, ciVerifyHeader = 2, ciNever = 3 };

using TBeforeMakeIndexEvent = std::function<void(const std::string& Name, bool& CanMake)>;
using TAfterMakeIndexEvent = std::function<void(const std::string& Name)>;

// The table component a form places. Registered with the session (its
// name's first 10 characters are the table's alias and must be unique
// among the table components).
//
// Opening (Active := true, once loading has ended):
//   1. at run time, when DbfFileName names no file and CreateIfNotFound is
//      on, the table is made from DbfFields (CreateTable); a failure warns
//      "Could not create '<file>'" and the open that follows fails;
//   2. USE "<DbfFileName>[ EXCLUSIVE] ALIAS <first 10 of Name>"; engine
//      reporting is off for it at design time and at message level 1,
//      otherwise a failure is reported as the engine reports errors;
//   3. the index files of IndexList are opened (OpenIndexes);
//   4. the data set gets one field per table field, named in lower case,
//      pointing into the field buffer, and opens.
//
// DbfFields lines: "name, type, length, decimals" (exactly three commas,
// each part trimmed; the type is the first letter of its part, either
// case). Rules: type C, D, F, L, M or N (X skips the line); C at most 254
// long; N and F at most 19 long, at most 15 decimals, and with decimals at
// least decimals + 2 long; length and decimals are decimal numbers. A line
// breaking a rule is run-time error 201, reported as "Invalid field
// definition '<line>' [CreateTable]" whatever the reporting switch says
// (with the default settings the program ends); a line without exactly
// three commas makes no table.
class TTzDbf : public TTzODbf {
 public:
  struct Private;  // opaque state, in tzdbf_p.h

  explicit TTzDbf(TComponent* owner);
  // Closes the table, leaves the session, removes the data set's fields.
  ~TTzDbf() override;

  // Renames the component. A blank name warns "This field cannot be left
  // empty!"; a name whose first 10 characters another table component
  // already has warns (the alias text) and keeps the old name.
  void SetName(const std::string& name) override;

  // The file. Setting trims the name and adds ".dbf" unless it has an
  // extension or ends in "." ("data." stays "data."), then reopens an
  // active table; a blank name closes it.
  const std::string& DbfFileName() const;
  void SetDbfFileName(std::string_view name);

  // Setting a new value reopens an active table.
  bool Exclusive() const;
  void SetExclusive(bool on);

  bool CreateIfNotFound() const;  // default true
  void SetCreateIfNotFound(bool on);
  TCreateIndexType CreateIndex() const;  // default ciNotFound
  void SetCreateIndex(TCreateIndexType type);

  // The field list of CreateTable, and the index list ("mode,file,key").
  TStrings& DbfFields();
  const TStrings& DbfFields() const;
  TStrings& IndexList();
  const TStrings& IndexList() const;

  // While the component loads, setting only remembers the value for
  // Loaded(); afterwards it opens or closes the table and the data set.
  // Reading gives the table's state once loading has ended.
  bool Active() const;
  void SetActive(bool active);

  TBeforeMakeIndexEvent OnBeforeMakeIndex;
  TAfterMakeIndexEvent OnAfterMakeIndex;

  // Creates DbfFileName from DbfFields (replacing a file of that name),
  // with engine reporting off; see the rules above. Warns "FieldList.Count
  // is <= 0 trying to create a database" for an empty list. True when the
  // table was made.
  bool CreateTable();
  // Opens the index files of IndexList (nothing for an empty list). A
  // failure is reported through the engine and gives false.
  bool OpenIndexes();

 protected:
  void Loaded() override;

 private:
  bool OpenTable();
  void SetTableActive(bool active);
  void Reopen();

  std::unique_ptr<Private> e_;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_TZDBF_H_
