// The data-set layer between a table and the data-aware controls.
//
//   controls ── TTzDataLink ──┐
//                             ├─ TTzDataSource ── owns ── TTzDataSet ── owns ── TTzField
//   controls ── TTzDataLink ──┘        │
//                         virtual cursor operations (a table component
//                         implements them over the engine)
//
// A TTzDataSource is what forms and controls refer to. It owns one
// TTzDataSet, which keeps a window of record buffers, the state (browse,
// edit, insert) and the before/after events, and it keeps the attached
// TTzDataLink objects, which hear of every change as data events. The data
// set never touches a table: it moves a cursor and reads and writes records
// only through the source's virtual cursor operations.
//
// Values. Each field has a value pointer into the table engine's typed field
// buffer (counted texts, 32-bit integers, 6-byte reals, booleans, memo block
// numbers); the cursor operations load the current record there and write
// it from there. The data set copies values between that buffer and its row
// buffers. Fields read from the active row while the window holds rows (so a
// grid can paint any row by moving ActiveRecord), otherwise from the field
// buffer; writes go to the field buffer and the active row.
//
// Row buffer layout (RecordSize bytes per window row):
//   0                  deletion mark: '*' for a record marked deleted, else ' '
//   field.Offset()     each field's value, DataSize() bytes, in field order
//   flag offset        bookmark flag: 0 valid, 1 before the first record,
//                      2 after the last record (an appended row)
//   flag offset + 1    the bookmark, BookmarkSize bytes
//
// Texts: tables hold text in the OEM code page of the national settings; the
// fields give and take UTF-8 (AsString, Lines) and convert at this border.
//
// Errors of this layer throw EVozuvError with the component message texts;
// errors of the cursor operations pass through unchanged. A handler that
// vetoes an operation (OkToProceed := false) leaves the state as it was.
//
// Not thread-safe: everything here runs on the user-interface thread.
#ifndef QUILLPRINT_COMPONENTS_DATASET_H_
#define QUILLPRINT_COMPONENTS_DATASET_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/component.h"

namespace vz {

class TTzDataLink;
class TTzDataSet;
class TTzDataSource;
class TTzField;

enum TDataSetState : uint8_t {
  dsInactive = 0,
  dsBrowse = 1,
  dsEdit = 2,
  dsInsert = 3,
  dsCalcFields = 4,  // only while calculated fields are being computed
};

// Data events with their information word:
//   deFieldChange      the field (FieldInfo)
//   deDataSetScroll    rows the buffers shifted, negative when forward
//   deFocusControl     the address of a TTzField* variable (a receiver that
//                      takes the request sets it to nullptr)
//   others             0
// deRecordChange and deFocusControl are understood but not sent here;
// deFieldListChange follows a field's move and no receiver acts on it.
enum TDataEvent : uint8_t {
  deFieldChange = 0,
  deRecordChange = 1,
  deDataSetChange = 2,
  deDataSetScroll = 3,
  deLayoutChange = 4,
  deUpdateRecord = 5,
  deUpdateState = 6,
  deCheckBrowseMode = 7,
  deFieldListChange = 9,
  deFocusControl = 10,
};

enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

inline intptr_t FieldInfo(TTzField* field) { return reinterpret_cast<intptr_t>(field); }
inline TTzField* InfoField(intptr_t info) { return reinterpret_cast<TTzField*>(info); }

using TStrings = std::vector<std::string>;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TTzDataChangeEvent = std::function<void(TObject* Sender, TTzField* Field)>;
using TTzDataSetNotifyEvent = std::function<void(TTzDataSet* DataSet)>;
// OkToProceed arrives true; a handler that sets it false stops the operation.
using TTzDataSetNotifyConfirmEvent = std::function<void(TTzDataSet* DataSet, bool& OkToProceed)>;
using TTzFieldNotifyEvent = std::function<void(TTzField* Sender)>;

// ---- TTzField -------------------------------------------------------------------

// One field of a data set. Made by TTzDataSet::AddField and owned by the data
// set; deleting a field takes it out of the data set's list.
class TTzField : public TComponent {
 public:
  struct Private;  // opaque state, in dataset_p.h

  // Use TTzDataSet::AddField, which checks the definition; this stores it as
  // given, except that a C size is kept within 1..255 (what its length byte
  // can count). `value` may be nullptr: the field then keeps its value
  // itself (a calculated field, say). Otherwise it must point at DataSize()
  // bytes that outlive the field. `value_size`, when above 0, is the size
  // of the slot `value` points at and becomes DataSize() (see AddField).
  TTzField(TTzDataSet* owner, const std::string& field_name, char data_type, int size, int decimals,
           uint8_t* value, int value_size = 0);
  ~TTzField() override;

  TTzDataSet* DataSet() const;
  const std::string& FieldName() const;
  char DataType() const;  // 'C', 'D', 'F', 'L', 'M' or 'N'
  int Size() const;       // the table's field length
  int Decimals() const;
  // Bytes of the value: C size + 1 (counted text), D 11 (counted text),
  // F/N 6 (6-byte real) with decimals or 4 (int32) without, L 1, M 4; or
  // the size of the slot the value lives in, when that was given. An F/N
  // value of 6 bytes is a 6-byte real, of 4 an int32.
  int DataSize() const;
  static int DataSizeFor(char data_type, int size, int decimals);
  // Place in the row buffer, set when the data set opens; 0 while the field
  // has no place there (added while open).
  uint16_t Offset() const;
  // Where the value lives: the engine's field buffer slot, or the field's
  // own slot.
  uint8_t* Value() const;

  bool Calculated() const;
  void SetCalculated(bool on);
  bool IsTableField() const;  // built from a table
  void SetIsTableField(bool on);
  bool Visible() const;  // shown by default columns (default true)
  void SetVisible(bool on);
  bool ReadOnly() const;  // not edited in place (default false)
  void SetReadOnly(bool on);

  TAlignment Alignment() const;
  // A new value sends deLayoutChange while the data set is open.
  void SetAlignment(TAlignment alignment);

  // Position in the data set's Fields. Setting moves the field (clamped to
  // the list) and, while the data set is open, sends deLayoutChange and then
  // deFieldListChange.
  int Index() const;
  void SetIndex(int index);

  // The value as text (UTF-8):
  //   C  the stored text from OEM, trailing blanks cut
  //   D  the stored date text
  //   F/N the number with the field's decimals and the national decimal
  //      separator
  //   L  "true" or "false"
  //   M  "MEMO" (block > 0), "BLOB" (block < 0) or "none" (0)
  std::string AsString() const;
  // Stores a value given as text into the field buffer and the active row,
  // then sends deFieldChange:
  //   C  the first Size characters, converted to OEM (unknown ones become "?")
  //   D  a blank text stores the blank date; else blanks in digit places
  //      become "0" and the text must be a date of the short date format
  //   F/N a number ("." or the national decimal separator); blank is 0
  //   L  true when the lower-cased text contains "true", "yes" or ".t."
  //   M  ignored
  // A date or number that does not convert throws EVozuvError and changes
  // nothing.
  void SetAsString(std::string_view text);

  // The memo text of the active row as lines (UTF-8), through the source's
  // GetMemo. A field of another type throws "Field '%s' is not of the
  // expected type" (and the list is cleared).
  const TStrings& Lines();
  // Stores lines as a new memo through the source's PutMemo, which puts the
  // new block number into the field buffer; the value goes into the active
  // row and deFieldChange follows (not while computing calculated fields).
  void SetLines(const TStrings& lines);

  bool IsBlob() const;  // type M with a negative block number
  // Characters to show: the width set with SetDisplayWidth, else L the
  // longest logical word, M 5, D the length of a date in the short date
  // format, otherwise Size.
  int DisplayWidth() const;
  // A width of the field's own (a grid sets it when the user sizes the
  // field's column); 0 or less goes back to the width of the type.
  void SetDisplayWidth(int characters);
  // Whether a typed character may go into the field: F/N with decimals
  // digits, "+", "-", "." and the decimal separator; without decimals digits,
  // "+" and "-"; D digits and the date separator; any other type anything.
  bool IsValidChar(char32_t c) const;

  TTzFieldNotifyEvent OnChange;  // fired by DataChanged

  // Fires OnChange when assigned.
  virtual void DataChanged();
  // The longest field name kept.
  virtual int MaxNameLength() const { return 10; }

 private:
  friend class TTzDataSet;
  std::unique_ptr<Private> d_;
};

// ---- TTzDataLink ----------------------------------------------------------------

// The connection of one control to a data source. Controls derive from it and
// override the virtual operations to hear of changes. A link deleted while
// attached detaches itself, but by then only the base operations run: a
// subclass that wants its own ActiveChanged on the way out detaches in its
// destructor.
class TTzDataLink : public TPersistent {
 public:
  struct Private;  // opaque state, in dataset_p.h

  TTzDataLink();
  ~TTzDataLink() override;

  TTzDataSource* DataSource() const;
  // Attaches to `source` (detaching from the present one); nullptr detaches.
  void SetDataSource(TTzDataSource* source);
  // The source's data set, or nullptr.
  TTzDataSet* DataSet() const;

  bool ReadOnly() const;
  void SetReadOnly(bool on);  // re-evaluates the link state

  // Rows the control wants to see (1 for single-record controls).
  int BufferCount() const;
  void SetBufferCount(int count);  // re-sizes the data set's window; below 1 is 1

  // The data set's active row relative to FirstRecord. Setting moves the
  // data set's active row to value + FirstRecord (within the window) and
  // copies that row's values into the fields' buffer.
  int ActiveRecord() const;
  void SetActiveRecord(int value);
  // The smaller of the data set's RecordCount and BufferCount.
  int RecordCount() const;

  TTzField* Field() const;
  bool Active() const;
  bool Editing() const;
  int FirstRecord() const;

  // Asks the data set to edit when the link is not read-only, is attached
  // and the source is in dsBrowse; returns Editing().
  bool Edit();
  // Runs UpdateData with the updating flag set, so the change the control
  // writes back does not come back to it.
  void UpdateRecord();

  // A data event from the source.
  void DataEvent(TDataEvent event, intptr_t info);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged();                  // RecordChanged(nullptr)
  virtual void DataSetScrolled(int distance);     // DataSetChanged()
  virtual void EditingChanged() {}
  virtual void FocusControl(TTzField*& field) { (void)field; }
  virtual void LayoutChanged();                   // DataSetChanged()
  virtual void RecordChanged(TTzField* field) { (void)field; }
  virtual void SetField(TTzField* field);         // stores it
  virtual void UpdateData() {}

  // Active and Editing from the source's state; calls ActiveChanged and
  // EditingChanged when they change.
  void UpdateState();

 private:
  friend class TTzDataSource;
  friend class TTzDataSet;
  std::unique_ptr<Private> d_;
};

// ---- TTzDataSource --------------------------------------------------------------

// The component forms and controls refer to; a table component derives from
// it and implements the virtual cursor operations. The base operations are
// those of a source without a table: an empty data set.
//
// Contract of the cursor operations for a subclass (the table component):
//   - The cursor stands on a record, or before the first (bof) or after the
//     last (eof). Each operation that reads a record loads it into the field
//     buffer the fields point into.
//   - _First/_Last go to the first/last record (an empty table: nowhere);
//     _Next/_Prior step one record and return false when they fall off the
//     end (the cursor is then after the last/before the first); _Refresh
//     re-reads the current record, false when there is none; _MoveBy skips.
//   - GetBookmark stores the position in BookmarkSize bytes and returns 0
//     (a record), 1 (before the first) or 2 (after the last);
//     SetToBookmark goes back to one and returns an error code (0 success).
//   - ClearFields puts a blank record into the field buffer; Deleted tells
//     whether the record in the field buffer is marked deleted.
//   - _Insert appends the field buffer as a new record, _Post writes it over
//     the current record, _Delete/_Restore set and clear the current
//     record's deletion mark; each returns false when it could not.
//   - GetMemo(block, lines) gives a memo's lines (OEM); PutMemo(field name,
//     lines) stores lines (OEM) as a new memo and puts its block number into
//     the field buffer.
//   - After changing the table behind the data set's back, a subclass calls
//     Resync(); after writing values into the field buffer it calls
//     RecordChanged().
class TTzDataSource : public TComponent {
 public:
  struct Private;  // opaque state, in dataset_p.h

  explicit TTzDataSource(TComponent* owner);
  ~TTzDataSource() override;

  TTzDataSet* DataSet() const;
  // dsInactive without a data set or fields, else the data set's state.
  TDataSetState State() const;
  bool DesignTime() const;

  int LinkCount() const;
  TTzDataLink* Links(int index) const;  // in attach order; nullptr outside

  // Passes an event to the links (deUpdateState: their state update only;
  // others only while State() is not dsInactive, then OnDataChange for
  // deFieldChange to deLayoutChange, OnUpdateData for deUpdateRecord).
  virtual void DataEvent(TDataEvent event, intptr_t info);

  // Brings the data set back in line after the table changed behind its
  // back. Does nothing while already at it, while the engine error state
  // holds an error, without links, in design mode, or while the data set is
  // closed; skips the work while its controls are disabled.
  void Resync();

  // Where the data set asked the cursor to store its position when an insert
  // began (4 bytes, or BookmarkSize when larger).
  const std::vector<uint8_t>& SavedBookmark() const;

  TTzDataChangeEvent OnDataChange;  // Field is set for deFieldChange only
  TNotifyEvent OnUpdateData;

  // The data set's events under the source's name; reading without a data
  // set gives an empty handler.
  TTzDataSetNotifyEvent DSAfterCancel() const;
  void SetDSAfterCancel(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyEvent DSAfterDelete() const;
  void SetDSAfterDelete(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyEvent DSAfterRestore() const;
  void SetDSAfterRestore(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyEvent DSAfterEdit() const;
  void SetDSAfterEdit(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyEvent DSAfterInsert() const;
  void SetDSAfterInsert(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyEvent DSAfterPost() const;
  void SetDSAfterPost(TTzDataSetNotifyEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforeCancel() const;
  void SetDSBeforeCancel(TTzDataSetNotifyConfirmEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforeDelete() const;
  void SetDSBeforeDelete(TTzDataSetNotifyConfirmEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforeRestore() const;
  void SetDSBeforeRestore(TTzDataSetNotifyConfirmEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforeEdit() const;
  void SetDSBeforeEdit(TTzDataSetNotifyConfirmEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforeInsert() const;
  void SetDSBeforeInsert(TTzDataSetNotifyConfirmEvent handler);
  TTzDataSetNotifyConfirmEvent DSBeforePost() const;
  void SetDSBeforePost(TTzDataSetNotifyConfirmEvent handler);

  // ---- virtual cursor operations (see the contract above) ----
  virtual uint16_t GetBookmarkSize() { return 4; }
  virtual void PutMemo(const std::string& field_name, const TStrings& lines) {
    (void)field_name;
    (void)lines;
  }
  virtual uint16_t SetToBookmark(uint8_t* bookmark) {
    (void)bookmark;
    return 0;
  }
  virtual void ClearFields() {}
  virtual int GetBookmark(uint8_t* bookmark) {
    (void)bookmark;
    return 1;
  }
  // The base gives the single line "Not linked".
  virtual void GetMemo(int32_t block, TStrings& lines);
  virtual int32_t GetRecordCount() { return 0; }
  virtual bool Deleted() { return false; }
  virtual bool _Delete() { return true; }
  virtual bool _First() { return true; }
  virtual bool _Insert() { return true; }
  virtual bool _Last() { return true; }
  virtual bool _MoveBy(int32_t distance) {
    (void)distance;
    return true;
  }
  virtual bool _Next() { return false; }
  virtual bool _Post() { return true; }
  virtual bool _Prior() { return false; }
  virtual bool _Refresh() { return true; }
  virtual bool _Restore() { return true; }

 protected:
  // The values in the field buffer changed (a table component wrote them):
  // unless the data set's controls are disabled and while it is open, the
  // values go into the active row, the cursor's row is taken as unknown,
  // Modified becomes true and every link receives deLayoutChange.
  void RecordChanged();

 private:
  friend class TTzDataLink;
  friend class TTzDataSet;
  std::unique_ptr<Private> d_;
};

// ---- TTzDataSet -----------------------------------------------------------------

// Record window, state machine and events of one data source. Made and owned
// by its TTzDataSource, and closed when that goes.
//
// States:
//   dsInactive ──open──> dsBrowse ──Edit──> dsEdit ──Post/Cancel──> dsBrowse
//                            └──Insert/Append──> dsInsert ──Post/Cancel/Delete──┘
//   any ──close──> dsInactive; dsCalcFields only while computing.
// Every change of state sends deUpdateState.
class TTzDataSet : public TComponent {
 public:
  struct Private;  // opaque state, in dataset_p.h

  explicit TTzDataSet(TTzDataSource* source);
  ~TTzDataSet() override;

  TTzDataSource* DataSource() const;

  // ---- opening ----
  bool Active() const;
  // While loading, only remembered and applied in Loaded(). Errors of the
  // cursor operations while opening leave the data set closed.
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  TDataSetState State() const;
  bool Bof() const;
  bool Eof() const;
  bool Modified() const;
  bool CanModify() const;  // set when the data set opens
  bool AutoCalcFields() const;
  void SetAutoCalcFields(bool on);

  // ---- the record window ----
  int BufferCount() const;    // window size: the largest BufferCount of the links
  int RecordCount() const;    // rows holding records, 0..BufferCount
  int ActiveRecord() const;   // the current row
  // Moves the current row index only (within the window), leaving the
  // values in the field buffer alone: a grid paints rows this way.
  void SetActiveRecord(int index);
  int CurrentRecord() const;  // the row the cursor stands on; -1 none
  int RecordSize() const;
  int BookmarkSize() const;
  // The deletion mark of window row `index` (false outside the rows).
  bool RowDeleted(int index) const;
  // The bookmark of window row `index`, BookmarkSize bytes; empty outside
  // the rows and for a row that holds no stored record (an appended one).
  // Equal bytes name the same record, so a grid keeps its chosen rows by
  // them while the window moves.
  std::string RowBookmark(int index) const;
  // Bof() and Eof() at once.
  bool IsEmpty() const;
  // The source's record count; a closed data set throws.
  int32_t TableRecordCount() const;

  // ---- navigation; each first runs CheckBrowseMode (posting an edit) ----
  void First();
  void Last();
  bool Next();   // MoveBy(1); true unless Eof()
  bool Prior();  // MoveBy(-1); true unless Bof()
  // Moves the current row; sends deDataSetChange and then deDataSetScroll.
  // True when neither Bof() nor Eof() afterwards.
  bool MoveBy(int distance);
  void Refresh();
  // Re-reads the window around the cursor: exact keeps the cursor's record
  // as the current row; centre puts it in the middle of the window.
  void Resync(bool exact, bool center = false);

  // ---- editing ----
  void Insert();
  void Append();
  void Edit();
  // Writes the edited row; false when vetoed or when the cursor operation
  // could not write.
  bool Post();
  void Cancel();
  // Mark and unmark the current record; false when vetoed or refused.
  bool Delete();
  bool Restore();
  // Asks the links to write their values into the fields.
  void UpdateRecord();
  // Throws on a closed data set; posts an edit; true unless the post failed.
  bool CheckBrowseMode();

  // While disabled, events are held back and one change is delivered when
  // the last EnableControls comes.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const;

  // ---- fields ----
  int FieldCount() const;
  TTzField* Fields(int index) const;  // nullptr outside
  // Without regard to case, in field order; nullptr when absent.
  TTzField* FindField(std::string_view name) const;
  // Throws "Field '%s' not found" when absent.
  TTzField* FieldByName(std::string_view name) const;
  // Checks and adds a field definition (see the rules in dataset.cpp); throws
  // EVozuvError for a missing, repeated or invalid name or an invalid type.
  // `value_size`, when above 0, is the size of the slot `value` points at,
  // which the field then copies whole whatever its checked size says: a
  // table engine's slot follows the table's stored length and decimals (a D
  // field of another length than 8, an N field of 1 with a decimal).
  TTzField* AddField(std::string_view name, char type, int size, int decimals, uint8_t* value,
                     int value_size = 0);
  // Deletes every field.
  void DestroyFields();

  // ---- events ----
  TTzDataSetNotifyEvent BeforeOpen;
  TTzDataSetNotifyEvent AfterOpen;
  TTzDataSetNotifyEvent BeforeClose;
  TTzDataSetNotifyEvent AfterClose;
  TTzDataSetNotifyEvent AfterInsert;
  TTzDataSetNotifyEvent AfterEdit;
  TTzDataSetNotifyEvent AfterPost;
  TTzDataSetNotifyEvent AfterCancel;
  TTzDataSetNotifyEvent AfterDelete;
  TTzDataSetNotifyEvent AfterRestore;
  TTzDataSetNotifyEvent OnNewRecord;
  TTzDataSetNotifyEvent OnCalcFields;
  TTzDataSetNotifyConfirmEvent BeforeInsert;
  TTzDataSetNotifyConfirmEvent BeforeEdit;
  TTzDataSetNotifyConfirmEvent BeforePost;
  TTzDataSetNotifyConfirmEvent BeforeCancel;
  TTzDataSetNotifyConfirmEvent BeforeDelete;
  TTzDataSetNotifyConfirmEvent BeforeRestore;

  // Data events reach the source through here (held back while disabled).
  virtual void DataEvent(TDataEvent event, intptr_t info);
  virtual void CalcFields();  // fires OnCalcFields
  virtual void NewRecord();   // fires OnNewRecord

  // At design time, renames the fields whose names begin with the old name.
  void SetName(const std::string& name) override;

 protected:
  void Loaded() override;  // opens when SetActive(true) came while loading

 private:
  friend class TTzDataLink;
  friend class TTzDataSource;
  friend class TTzField;
  std::unique_ptr<Private> d_;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_DATASET_H_
