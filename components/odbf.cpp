// TTzODbf: one engine work area behind a data source. The xBase commands as
// methods, field access by name with its type check, the cursor operations
// over GO/SKIP and the lock protocol around every write the data set makes.
#include <algorithm>
#include <cstring>

#include "components/messages.h"
#include "components/tzdbf.h"
#include "components/tzdbf_p.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/real48.h"
#include "engine/settings.h"
#include "engine/textutil.h"

namespace vz {

namespace {

constexpr size_t kMaxFieldName = 10;
constexpr uint16_t kNotOpenCode = 1103;
constexpr uint16_t kInvalidParameter = 220;

// Selects a work area again without losing the error a failed open left:
// Select clears the code, and callers still have to see it.
void SelectKeepingError(int area) {
  if (area < 1 || area > kUserWorkAreas) return;
  const uint16_t code = ErrorCode();
  Select(area);
  SetErrorCode(code);
}

std::string KindWord(FieldKind kind) {
  switch (kind) {
    case FieldKind::kCharacter: return ComponentText(qp::StrId::kKindCharacter);
    case FieldKind::kMemo: return ComponentText(qp::StrId::kKindMemo);
    case FieldKind::kNumericDecimals: return ComponentText(qp::StrId::kKindNumericDecimals);
    case FieldKind::kDate: return ComponentText(qp::StrId::kKindDate);
    case FieldKind::kLogical: return ComponentText(qp::StrId::kKindLogical);
    case FieldKind::kNumericInteger: return ComponentText(qp::StrId::kKindNumericInteger);
  }
  return std::string();
}

std::string ActualWord(char type, int length, int decimals) {
  switch (type) {
    case 'C': return ComponentText(qp::StrId::kActualCharacter);
    case 'D': return ComponentText(qp::StrId::kActualDate);
    case 'L': return ComponentText(qp::StrId::kActualLogical);
    case 'M': return ComponentText(qp::StrId::kActualMemo);
    case 'N':
    case 'F':
      return ComponentText(qp::StrId::kActualNumericWidth) + NumberText(length) +
             ComponentText(qp::StrId::kActualDecimals) + NumberText(decimals);
    default: return std::string(1, type);
  }
}

bool Fits(FieldKind kind, char type, int decimals) {
  const bool numeric = type == 'N' || type == 'F';
  switch (kind) {
    case FieldKind::kCharacter: return type == 'C';
    case FieldKind::kMemo: return type == 'M';
    case FieldKind::kNumericDecimals: return numeric && decimals > 0;
    case FieldKind::kDate: return type == 'D';
    case FieldKind::kLogical: return type == 'L';
    case FieldKind::kNumericInteger: return numeric && decimals == 0;
  }
  return false;
}

// The number of the table field a name stands for: the table's own name,
// or the name the data set gave its field (so that a memo field another
// program called "MY NOTE" takes its notes from the data set's field
// "my_note"). 0 when none.
int TableFieldNo(const std::string& name) {
  if (const int n = vz::FieldNo(name)) return n;
  const std::string wanted = ToLowerAscii(name);
  const int count = vz::FieldCount();
  for (int n = 1; n <= count; ++n) {
    // The data set's rule for its field names: trimmed, lower case, blanks
    // made "_", at most 10 characters.
    std::string field = ToLowerAscii(TrimBoth(vz::Field(n)));
    std::replace(field.begin(), field.end(), ' ', '_');
    if (field.size() > kMaxFieldName) field.resize(kMaxFieldName);
    if (field == wanted) return n;
  }
  return 0;
}

// The index engine (NDX files) is not part of this program.
void IndexEngineAbsent(const char* operation) {
  SetError(kInvalidParameter, std::string("Index unit not linked in. [") + operation + "]");
}

}  // namespace

TTzODbf::TTzODbf(TComponent* owner) : TTzDataSource(owner), d_(std::make_unique<Private>()) {}

TTzODbf::~TTzODbf() {
  // Watchers hear of the leaving component first, and the data set,
  // marked as going, closes without its before/after events.
  NotifyRemoval();
  CloseThisArea();
}

bool TTzODbf::IsOpen() const { return d_->open; }
int TTzODbf::WorkArea() const { return d_->area; }
uint8_t* TTzODbf::FieldBuffer() const { return d_->buffer; }
uint16_t TTzODbf::FieldBufferSize() const { return d_->buffer_size; }

bool TTzODbf::AutoFixRecCount() const { return d_->auto_fix_rec_count; }
void TTzODbf::SetAutoFixRecCount(bool on) { d_->auto_fix_rec_count = on; }
bool TTzODbf::HideDeletedRecs() const { return d_->hide_deleted; }
void TTzODbf::SetHideDeletedRecs(bool on) { d_->hide_deleted = on; }

void TTzODbf::SetFieldBufferLink(uint8_t** variable, uint16_t expected_size) {
  d_->buffer_link = variable;
  d_->buffer_link_size = variable ? expected_size : 0;
}

// ---- the work area -----------------------------------------------------------------

bool TTzODbf::SelectArea(const char* operation) {
  if (!d_->open) {
    SetError(kNotOpenCode, ComponentText(qp::StrId::kDatabaseNotOpen) + " [" + operation + "]");
    return false;
  }
  Select(d_->area);
  Settings().HideDeleted = d_->hide_deleted;
  return true;
}

bool TTzODbf::Open(std::string_view command) {
  // A table already open here would leave the fields pointing into the
  // buffer the new open frees.
  if (d_->open) CloseThisArea();
  ClearError();
  const int remembered = CurrentArea();
  // Area 0 asks the engine for the lowest free one. When none is free the
  // current area must not be used: USE would close another table there.
  Select(d_->area);
  if (ErrorCode() != 0) return false;
  bool ok;
  {
    ValueRestorer<bool> recount(&Settings().RecountOnOpen);
    if (!Designing()) Settings().RecountOnOpen = d_->auto_fix_rec_count;
    ok = USE(command);
  }
  if (ok) {
    d_->area = CurrentArea();
    d_->open = true;
    d_->design = DesignSnapshot{};
    d_->has_design = false;
    d_->buffer = vz::FieldAddress(0);
    d_->buffer_size = vz::FieldBufferSize();
    if (d_->buffer_link && d_->buffer_size != d_->buffer_link_size) {
      CloseThisArea();
      ok = false;
    } else {
      if (d_->buffer_link) *d_->buffer_link = d_->buffer;
      if (Designing()) TakeDesignSnapshot();
    }
  }
  SelectKeepingError(remembered);
  return ok;
}

void TTzODbf::TakeDesignSnapshot() {
  DesignSnapshot& s = d_->design;
  s.buffer.assign(d_->buffer, d_->buffer + d_->buffer_size);
  const int count = vz::FieldCount();
  s.slot_offsets.clear();
  for (int n = 1; n <= count; ++n) {
    uint8_t* slot = vz::FieldAddress(n);
    s.slot_offsets.push_back(static_cast<uint16_t>(slot ? slot - d_->buffer : 0));
  }
  d_->has_design = true;
  d_->buffer = s.buffer.data();
}

void TTzODbf::CloseThisArea() {
  if (!d_->open) return;
  if (!Designing()) {
    // The fields point into the field buffer the engine frees with the
    // table: nothing may read them afterwards.
    if (TTzDataSet* ds = DataSet()) {
      ds->Close();
      ds->DestroyFields();
    }
  }
  Select(d_->area);
  USE("");
  d_->open = false;
  d_->area = 0;
  if (!d_->has_design) {
    d_->buffer = nullptr;
    d_->buffer_size = 0;
  }
  if (d_->buffer_link) *d_->buffer_link = nullptr;
}

// ---- xBase commands ------------------------------------------------------------------

void TTzODbf::Append() {
  if (!SelectArea("Append")) return;
  vz::Append();
  Resync();
}

void TTzODbf::Replace() {
  if (!SelectArea("Replace")) return;
  vz::Replace();
  Resync();
}

bool TTzODbf::Pack() {
  if (!SelectArea("Pack")) return false;
  const bool packed = vz::Pack();
  Resync();
  return packed;
}

int32_t TTzODbf::RecCount() { return SelectArea("RecCount") ? vz::RecCount() : 0; }
bool TTzODbf::ALock() { return SelectArea("ALock") && vz::ALock(); }
bool TTzODbf::RLock() { return SelectArea("RLock") && vz::RLock(); }

void TTzODbf::UnLock() {
  if (SelectArea("UnLock")) vz::Unlock();
}

std::string TTzODbf::Field(int n) { return SelectArea("Field") ? vz::Field(n) : std::string(); }

uint8_t* TTzODbf::FieldAddress(int n) {
  if (Designing() && d_->has_design) {
    const DesignSnapshot& s = d_->design;
    if (n == 0) return d_->buffer;
    if (n < 1 || static_cast<size_t>(n) > s.slot_offsets.size()) return nullptr;
    return d_->buffer + s.slot_offsets[static_cast<size_t>(n - 1)];
  }
  return SelectArea("FieldAddress") ? vz::FieldAddress(n) : nullptr;
}

uint8_t TTzODbf::FieldCount() { return SelectArea("FieldCount") ? vz::FieldCount() : 0; }
uint8_t TTzODbf::FieldDec(int n) { return SelectArea("FieldDec") ? vz::FieldDec(n) : 0; }
uint8_t TTzODbf::FieldLen(int n) { return SelectArea("FieldLen") ? vz::FieldLen(n) : 0; }
char TTzODbf::FieldType(int n) { return SelectArea("FieldType") ? vz::FieldType(n) : ' '; }

// ---- fields by name ------------------------------------------------------------------

int TTzODbf::LookupField(std::string_view name, FieldKind kind, const char* operation) {
  if (!SelectArea(operation)) return 0;
  std::string wanted = TrimBoth(name);
  if (wanted.size() > kMaxFieldName) wanted.resize(kMaxFieldName);
  const int n = TableFieldNo(wanted);
  if (n == 0) {
    SetError(kInvalidParameter, ComponentText(qp::StrId::kFieldNotInTable, {wanted, vz::DbfFileName()}) +
                                    " [" + operation + "]");
    return 0;
  }
  const char type = vz::FieldType(n);
  const int decimals = vz::FieldDec(n);
  if (!Fits(kind, type, decimals)) {
    SetError(kInvalidParameter,
             ComponentText(qp::StrId::kFieldKindMismatch,
                           {operation, wanted, KindWord(kind), wanted,
                            ActualWord(type, vz::FieldLen(n), decimals)}));
    return 0;
  }
  return n;
}

std::string TTzODbf::GetCField(std::string_view name) {
  const int n = LookupField(name, FieldKind::kCharacter, "GetCField");
  if (n == 0) return std::string();
  return SlotText(vz::FieldAddress(n), vz::FieldLen(n));
}

double TTzODbf::GetRealField(std::string_view name) {
  const int n = LookupField(name, FieldKind::kNumericDecimals, "GetRealField");
  if (n == 0) return 0;
  return Real48::Load(vz::FieldAddress(n)).ToDouble();
}

void TTzODbf::SetCField(std::string_view name, std::string_view text) {
  const int n = LookupField(name, FieldKind::kCharacter, "SetCField");
  if (n == 0) return;
  SetSlotText(vz::FieldAddress(n), vz::FieldLen(n), text);
  RecordChanged();
}

void TTzODbf::SetRealField(std::string_view name, double value) {
  const int n = LookupField(name, FieldKind::kNumericDecimals, "SetRealField");
  if (n == 0) return;
  Real48::From(value).Store(vz::FieldAddress(n));
  RecordChanged();
}

// ---- cursor operations ---------------------------------------------------------------

uint16_t TTzODbf::GetBookmarkSize() { return 4; }

uint16_t TTzODbf::SetToBookmark(uint8_t* bookmark) {
  if (Designing()) return 0;
  if (!SelectArea("SetToBookmark")) return ErrorCode();
  ReportErrorsGuard quiet(false);
  GO(SlotInt32(bookmark));
  return ErrorCode();
}

void TTzODbf::ClearFields() {
  if (SelectArea("ClearFields")) ClearRecord();
}

int TTzODbf::GetBookmark(uint8_t* bookmark) {
  if (Designing()) {
    SetSlotInt32(bookmark, 1);
    return 0;
  }
  if (!SelectArea("GetBookmark")) {
    SetSlotInt32(bookmark, 0);
    return 0;
  }
  SetSlotInt32(bookmark, RecNo());
  int result = 0;
  if (dBOF()) result = 1;
  if (dEOF()) result = 2;
  return result;
}

int32_t TTzODbf::GetRecordCount() {
  if (Designing()) return 1;
  return RecCount();
}

bool TTzODbf::Deleted() {
  if (Designing()) return false;
  return SelectArea("Deleted") && vz::Deleted();
}

bool TTzODbf::LockProtocol(bool file_lock, void (*command)(), const TTzLockFailedEvent& handler,
                           const char* operation, bool* ran) {
  *ran = false;
  if (!SelectArea(operation)) return false;
  const bool locked = file_lock ? vz::ALock() : vz::RLock();
  if (locked) {
    command();
    *ran = true;
    // Unlock clears the error code; a write that failed (with reporting
    // off) must still count as failed, for the caller and for the resync.
    const uint16_t failed = ErrorCode();
    vz::Unlock();
    if (failed != 0) {
      if (ErrorCode() == 0) SetErrorCode(failed);
      return false;
    }
    return true;
  }
  if (handler) {
    bool resolved = true;
    handler(this, resolved);
    return resolved;
  }
  ComponentWarning(qp::StrId::kLockFailed, {operation});
  return false;
}

bool TTzODbf::_Delete() {
  bool ran;
  return LockProtocol(false, &vz::DeleteRec, OnRLockFailedOnDelete, "_Delete", &ran);
}

bool TTzODbf::_Restore() {
  bool ran;
  return LockProtocol(false, &vz::RecallRec, OnRLockFailedOnRestore, "_Restore", &ran);
}

bool TTzODbf::_Insert() {
  bool ran;
  const bool result = LockProtocol(true, &vz::Append, OnALockFailedOnInsert, "_Insert", &ran);
  // A record outside the range being walked: back to where the insert began.
  if (ran && !WhileHolds()) GO(SlotInt32(SavedBookmark().data()));
  return result;
}

bool TTzODbf::_Post() {
  bool ran;
  const bool result = LockProtocol(false, &vz::Replace, OnRLockFailedOnPost, "_Post", &ran);
  if (ran && !WhileHolds()) {
    // The edit moved the record out of the range: stand on a neighbour
    // inside it, or give the range up.
    SKIP(-1);
    if (!WhileHolds()) {
      if (!dEOF()) SKIP(1);
      if (!WhileHolds()) SetWhileCallback({});
    }
  }
  return result;
}

bool TTzODbf::_First() {
  if (Designing()) return true;
  if (!SelectArea("_First")) return false;
  if (IsWhileOn()) {
    while (!dBOF() && ErrorCode() == 0) SKIP(-1);
  } else {
    GoTop();
  }
  return true;
}

bool TTzODbf::_Last() {
  if (!SelectArea("_Last")) return false;
  if (!IsWhileOn()) {
    GoBottom();
  } else if (!dEOF()) {
    while (!dEOF() && ErrorCode() == 0) SKIP(1);
    SKIP(-1);
  }
  return true;
}

bool TTzODbf::_MoveBy(int32_t distance) {
  if (!SelectArea("_MoveBy")) return false;
  SKIP(distance);
  return true;
}

bool TTzODbf::_Next() {
  if (Designing()) return false;
  if (!SelectArea("_Next") || dEOF()) return false;
  SKIP(1);
  return !dEOF();
}

bool TTzODbf::_Prior() {
  if (Designing()) return false;
  if (!SelectArea("_Prior") || dBOF()) return false;
  SKIP(-1);
  return !dBOF();
}

bool TTzODbf::_Refresh() {
  if (Designing()) return true;
  if (!SelectArea("_Refresh") || vz::RecCount() == 0) return false;
  SKIP(0);
  return !dEOF();
}

// ---- index operations ----------------------------------------------------------------

void TTzODbf::SetIndexTo(std::string_view names) {
  if (!SelectArea("SetIndexTo")) return;
  // No names closes the indexes, and there are none to close.
  if (!TrimBoth(names).empty()) IndexEngineAbsent("SetIndexTo");
  Resync();
}

void TTzODbf::SetIndexToCB(std::string_view names, TTzIndexProgress progress) {
  (void)progress;
  if (!SelectArea("SetIndexToCB")) return;
  if (!TrimBoth(names).empty()) IndexEngineAbsent("SetIndexToCB");
  Resync();
}

void TTzODbf::SetIndexToLFN(std::string_view name, int mode) {
  (void)name;
  (void)mode;
  if (!SelectArea("SetIndexToLFN")) return;
  IndexEngineAbsent("SetIndexToLFN");
  Resync();
}

void TTzODbf::IndexOn(std::string_view key, std::string_view name) {
  (void)key;
  (void)name;
  if (!SelectArea("IndexOn")) return;
  IndexEngineAbsent("IndexOn");
  Resync();
}

void TTzODbf::IndexOnCB(std::string_view key, std::string_view name, TTzIndexProgress progress) {
  (void)key;
  (void)name;
  (void)progress;
  if (!SelectArea("IndexOnCB")) return;
  IndexEngineAbsent("IndexOnCB");
  Resync();
}

}  // namespace vz
