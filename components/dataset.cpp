// TTzDataSet: the record window, cursor positioning, navigation, the editing
// cycle with its events, and field definitions.
//
// The cursor model. The source's cursor stands on a record; a row's bookmark
// flag says how to get back to it: 0 by its bookmark, 1 by _First (a row
// before the first record), 2 by _Last (an appended row after the last
// record). Fetching into an empty window reads the record the cursor stands
// on; fetching next or prior steps from the row at the window's end, except
// that the record before an appended row is the last record itself (where
// _Last leaves the cursor), and the record after a row being inserted is the
// one its bookmark names.
#include <algorithm>
#include <cstring>

#include "components/dataset.h"
#include "components/dataset_p.h"
#include "components/messages.h"
#include "engine/textutil.h"

namespace vz {

namespace {

constexpr int kMaxFieldName = 10;

bool Editing(TDataSetState s) { return s == dsEdit || s == dsInsert; }

// Runs EnableControls when the scope ends, however it ends.
class DisabledScope {
 public:
  explicit DisabledScope(TTzDataSet* ds) : ds_(ds) { ds_->DisableControls(); }
  ~DisabledScope() { ds_->EnableControls(); }
  DisabledScope(const DisabledScope&) = delete;
  DisabledScope& operator=(const DisabledScope&) = delete;

 private:
  TTzDataSet* ds_;
};

}  // namespace

// ---- rows and values ------------------------------------------------------------

void TTzDataSet::Private::CopyFieldsToRow(uint8_t* row) {
  if (!row) return;
  for (TTzField* f : fields) {
    const TTzField::Private& fp = *f->d_;
    if (fp.offset == 0 || fp.data_size <= 0) continue;
    std::memcpy(row + fp.offset, fp.value, static_cast<size_t>(fp.data_size));
  }
}

void TTzDataSet::Private::CopyRowToFields(const uint8_t* row) {
  if (!row) return;
  for (TTzField* f : fields) {
    TTzField::Private& fp = *f->d_;
    if (fp.offset == 0 || fp.data_size <= 0) continue;
    std::memcpy(fp.value, row + fp.offset, static_cast<size_t>(fp.data_size));
  }
}

std::vector<uint8_t> TTzDataSet::Private::SnapshotValues() const {
  std::vector<uint8_t> saved;
  for (TTzField* f : fields) {
    const TTzField::Private& fp = *f->d_;
    saved.insert(saved.end(), fp.value, fp.value + std::max(fp.data_size, 0));
  }
  return saved;
}

void TTzDataSet::Private::RestoreValues(const std::vector<uint8_t>& saved) {
  size_t at = 0;
  for (TTzField* f : fields) {
    TTzField::Private& fp = *f->d_;
    size_t n = static_cast<size_t>(std::max(fp.data_size, 0));
    if (at + n > saved.size()) return;
    std::memcpy(fp.value, saved.data() + at, n);
    at += n;
  }
}

void TTzDataSet::Private::ClearRow(int index) {
  source->ClearFields();
  uint8_t* row = Row(index);
  CopyFieldsToRow(row);
  row[0] = ' ';
}

void TTzDataSet::Private::ComputeCalcFields(uint8_t* row) {
  if (calc_field_count == 0 || !row) return;
  // The handler reads the values of the record just fetched (the field
  // buffer) and writes the calculated fields, which land in this row.
  TDataSetState saved = state;
  state = dsCalcFields;
  try {
    q->CalcFields();
  } catch (...) {
    state = saved;
    throw;
  }
  state = saved;
  for (TTzField* f : fields) {
    const TTzField::Private& fp = *f->d_;
    if (!fp.calculated || fp.offset == 0) continue;
    std::memcpy(row + fp.offset, fp.value, static_cast<size_t>(fp.data_size));
  }
}

void TTzDataSet::Private::LayOutFields() {
  int offset = 1;
  calc_field_count = 0;
  for (TTzField* f : fields) {
    TTzField::Private& fp = *f->d_;
    if (offset + fp.data_size > 0xFFFF) {
      // Beyond a 16-bit offset: the field keeps its value only in the field
      // buffer rather than overrun the row.
      fp.offset = 0;
      continue;
    }
    fp.offset = static_cast<uint16_t>(offset);
    offset += fp.data_size;
    if (fp.calculated) ++calc_field_count;
  }
  bookmark_size = source->GetBookmarkSize();
  flag_offset = offset;
  record_size = flag_offset + 1 + bookmark_size;
}

// ---- the window -----------------------------------------------------------------

int TTzDataSet::Private::WantedBufferCount() const {
  int count = 1;
  for (TTzDataLink* link : source->d_->links) count = std::max(count, link->d_->buffer_count);
  return count;
}

void TTzDataSet::Private::UpdateBufferCount() {
  if (state == dsInactive) return;
  SetBufferCount(WantedBufferCount());
}

void TTzDataSet::Private::AdjustFirstRecords(int delta) {
  if (delta == 0) return;
  for (TTzDataLink* link : source->d_->links) {
    if (link->d_->active) link->d_->first_record += delta;
  }
}

void TTzDataSet::Private::SetBufferCount(int count) {
  if (count < 1) count = 1;
  if (count == buffer_count && buffers.size() == static_cast<size_t>(count) + 1) return;
  // Filling moves the cursor and so the field buffer; an edit in progress
  // keeps its values and its record.
  bool keep_edit = Editing(state);
  std::vector<uint8_t> edit_values;
  if (keep_edit) edit_values = SnapshotValues();

  if (count < buffer_count && record_count > 0) {
    // Keep the rows from the first one any link shows (or the active row)
    // and move them to the top; the active row must stay in the window.
    int delta = active;
    for (TTzDataLink* link : source->d_->links) {
      if (link->d_->active && link->d_->first_record < delta) delta = link->d_->first_record;
    }
    delta = std::max({delta, active - count + 1, 0});
    std::rotate(buffers.begin(), buffers.begin() + delta, buffers.end());
    active -= delta;
    if (current != -1) {
      current -= delta;
      if (current < 0 || current >= count) current = -1;
    }
    record_count = std::min(record_count - delta, count);
    AdjustFirstRecords(-delta);
  }
  buffers.resize(static_cast<size_t>(count) + 1);
  for (auto& row : buffers) {
    if (row.size() != static_cast<size_t>(record_size)) row.assign(static_cast<size_t>(record_size), 0);
  }
  buffer_count = count;
  GetNextRecords();
  AdjustFirstRecords(GetPriorRecords());

  if (keep_edit) {
    if (state == dsEdit && record_count > 0) SetCurrentRecord(active);
    RestoreValues(edit_values);
  }
}

void TTzDataSet::Private::ReleaseBuffers() {
  buffers.clear();
  buffer_count = 0;
  record_count = 0;
  active = 0;
  current = -1;
  bof = true;
  eof = true;
}

void TTzDataSet::Private::MoveBuffer(int from, int to) {
  if (from == to) return;
  auto b = buffers.begin();
  if (from < to) {
    std::rotate(b + from, b + from + 1, b + to + 1);
  } else {
    std::rotate(b + to, b + from, b + from + 1);
  }
}

void TTzDataSet::Private::ClearBuffers() {
  record_count = 0;
  active = 0;
  current = -1;
  bof = true;
  eof = true;
}

void TTzDataSet::Private::ActivateBuffers() {
  record_count = 1;
  active = 0;
  current = 0;
  bof = false;
  eof = false;
}

bool TTzDataSet::Private::GetRecord(int index, GetMode mode) {
  bool ok = false;
  switch (mode) {
    case GetMode::kCurrent: ok = source->_Refresh(); break;
    case GetMode::kNext: ok = source->_Next(); break;
    case GetMode::kPrior: ok = source->_Prior(); break;
  }
  uint8_t* row = Row(index);
  row[0] = source->Deleted() ? '*' : ' ';
  if (!ok) return false;
  CopyFieldsToRow(row);
  ComputeCalcFields(row);
  row[flag_offset] = static_cast<uint8_t>(source->GetBookmark(row + flag_offset + 1));
  return true;
}

bool TTzDataSet::Private::GetNextRecord() {
  GetMode mode = GetMode::kCurrent;
  if (record_count > 0) {
    mode = GetMode::kNext;
    SetCurrentRecord(record_count - 1);
    // Positioning on a row being inserted lands on the record after it.
    if (state == dsInsert && current == active && Flag(active) == 0) mode = GetMode::kCurrent;
  }
  bool ok = GetRecord(record_count, mode);
  if (ok) {
    if (record_count == 0) {
      ActivateBuffers();
    } else if (record_count < buffer_count) {
      ++record_count;
    } else {
      MoveBuffer(0, record_count);
    }
    current = record_count - 1;
  } else {
    current = -1;
  }
  return ok;
}

bool TTzDataSet::Private::GetPriorRecord() {
  GetMode mode = GetMode::kCurrent;
  if (record_count > 0) {
    mode = GetMode::kPrior;
    SetCurrentRecord(0);
    // _Last left the cursor on the last record, which comes just before an
    // appended row.
    if (Flag(0) == 2) mode = GetMode::kCurrent;
  }
  bool ok = GetRecord(record_count, mode);
  if (ok) {
    if (record_count == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(record_count, 0);
      if (record_count < buffer_count) {
        ++record_count;
        ++active;
      }
    }
    current = 0;
  } else {
    current = -1;
  }
  return ok;
}

int TTzDataSet::Private::GetNextRecords() {
  int n = 0;
  while (record_count < buffer_count && GetNextRecord()) ++n;
  return n;
}

int TTzDataSet::Private::GetPriorRecords() {
  int n = 0;
  while (record_count < buffer_count && GetPriorRecord()) ++n;
  return n;
}

void TTzDataSet::Private::SetCurrentRecord(int index) {
  if (index < 0 || static_cast<size_t>(index) >= buffers.size() || current == index) return;
  switch (Flag(index)) {
    case 1:
      source->_First();
      bof = true;
      break;
    case 2:
      source->_Last();
      eof = true;
      break;
    default:
      source->SetToBookmark(Bookmark(index));
      break;
  }
  current = index;
}

void TTzDataSet::Private::PositionActive() {
  if (record_count > 0) SetCurrentRecord(active);
}

// ---- state ----------------------------------------------------------------------

void TTzDataSet::Private::SetState(TDataSetState new_state) {
  if (state == new_state) return;
  state = new_state;
  modified = false;
  q->DataEvent(deUpdateState, 0);
}

void TTzDataSet::Private::CheckActive() const {
  if (state == dsInactive) ComponentError(qp::StrId::kDataSetClosed);
}

void TTzDataSet::Private::CheckCanModify() const {
  if (!can_modify) ComponentError(qp::StrId::kDataSetReadOnly);
}

bool TTzDataSet::Private::BrowseReady() {
  q->CheckBrowseMode();
  // A post refused by BeforePost keeps the edit; whatever was to follow
  // must not throw the edited row away.
  return !Editing(state);
}

void TTzDataSet::Private::DoOpen() {
  if (q->BeforeOpen) q->BeforeOpen(q);
  try {
    ReleaseBuffers();
    LayOutFields();
    source->_First();
    SetBufferCount(WantedBufferCount());
    bof = true;
    can_modify = true;
  } catch (...) {
    ReleaseBuffers();
    can_modify = false;
    throw;
  }
  SetState(dsBrowse);
  if (q->AfterOpen) q->AfterOpen(q);
}

void TTzDataSet::Private::DoClose() {
  bool events = !q->Destroying();
  if (events && q->BeforeClose) q->BeforeClose(q);
  SetState(dsInactive);
  ReleaseBuffers();
  can_modify = false;
  if (events && q->AfterClose) q->AfterClose(q);
}

// ---- editing steps --------------------------------------------------------------

bool TTzDataSet::Private::BeginInsertAppend() {
  if (!BrowseReady()) return false;
  CheckCanModify();
  bool ok = true;
  if (q->BeforeInsert) q->BeforeInsert(q, ok);
  // Remember where the user was, so a record that does not belong where it
  // was written can send the cursor back.
  PositionActive();
  std::vector<uint8_t>& saved = source->d_->saved_bookmark;
  if (saved.size() < static_cast<size_t>(bookmark_size)) saved.resize(static_cast<size_t>(bookmark_size));
  source->GetBookmark(saved.data());
  return ok;
}

void TTzDataSet::Private::EndInsertAppend() {
  SetState(dsInsert);
  try {
    q->NewRecord();
  } catch (...) {
    // Drop the half-made row rather than leave it in the window.
    PositionActive();
    SetState(dsBrowse);
    q->Resync(false);
    throw;
  }
  modified = false;
  q->DataEvent(deDataSetChange, 0);
  if (q->AfterInsert) q->AfterInsert(q);
}

void TTzDataSet::Private::CancelRow(bool with_events) {
  if (!Editing(state)) return;
  if (with_events) {
    q->DataEvent(deCheckBrowseMode, 0);
    bool ok = true;
    if (q->BeforeCancel) q->BeforeCancel(q, ok);
    if (!ok) return;
  }
  PositionActive();
  SetState(dsBrowse);
  q->Resync(false);
  PositionActive();
  q->DataEvent(deDataSetChange, 0);
  if (with_events && q->AfterCancel) q->AfterCancel(q);
}

bool TTzDataSet::Private::DeleteOrRestore(bool restore) {
  CheckActive();
  bool result = true;
  if (state == dsInsert) {
    CancelRow(false);
  } else {
    if (record_count == 0) ComponentError(qp::StrId::kDataSetEmpty);
    q->DataEvent(deCheckBrowseMode, 0);
    bool ok = true;
    const TTzDataSetNotifyConfirmEvent& before = restore ? q->BeforeRestore : q->BeforeDelete;
    if (before) before(q, ok);
    if (ok) {
      PositionActive();
      result = restore ? source->_Restore() : source->_Delete();
      ActiveRow()[0] = restore ? ' ' : '*';
      SetState(dsBrowse);
      q->Resync(false);
      const TTzDataSetNotifyEvent& after = restore ? q->AfterRestore : q->AfterDelete;
      if (after) after(q);
    } else {
      result = false;
    }
  }
  PositionActive();
  q->DataEvent(deDataSetChange, 0);
  return result;
}

// ---- TTzDataSet -----------------------------------------------------------------

TTzDataSet::TTzDataSet(TTzDataSource* source) : TComponent(source), d_(std::make_unique<Private>(this)) {
  d_->source = source;
}

TTzDataSet::~TTzDataSet() {
  NotifyRemoval();
  if (d_->state != dsInactive) d_->DoClose();
  DestroyFields();
  if (d_->source && d_->source->d_->data_set == this) d_->source->d_->data_set = nullptr;
}

TTzDataSource* TTzDataSet::DataSource() const { return d_->source; }

bool TTzDataSet::Active() const { return d_->state != dsInactive; }

void TTzDataSet::SetActive(bool active) {
  if (Loading()) {
    d_->stream_active = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    d_->DoOpen();
  } else {
    d_->DoClose();
  }
}

void TTzDataSet::Loaded() {
  TComponent::Loaded();
  if (d_->stream_active) {
    d_->stream_active = false;
    SetActive(true);
  }
}

TDataSetState TTzDataSet::State() const { return d_->state; }
bool TTzDataSet::Bof() const { return d_->bof; }
bool TTzDataSet::Eof() const { return d_->eof; }
bool TTzDataSet::Modified() const { return d_->modified; }
bool TTzDataSet::CanModify() const { return d_->can_modify; }
bool TTzDataSet::AutoCalcFields() const { return d_->auto_calc_fields; }
void TTzDataSet::SetAutoCalcFields(bool on) { d_->auto_calc_fields = on; }
int TTzDataSet::BufferCount() const { return d_->buffer_count; }
int TTzDataSet::RecordCount() const { return d_->record_count; }
int TTzDataSet::ActiveRecord() const { return d_->active; }
int TTzDataSet::CurrentRecord() const { return d_->current; }
int TTzDataSet::RecordSize() const { return d_->record_size; }
int TTzDataSet::BookmarkSize() const { return d_->bookmark_size; }

void TTzDataSet::SetActiveRecord(int index) {
  if (d_->buffers.empty() || index < 0 || index >= std::max(d_->record_count, 1)) return;
  d_->active = index;
}

bool TTzDataSet::RowDeleted(int index) const {
  if (index < 0 || index >= d_->record_count) return false;
  return d_->Row(index)[0] == '*';
}

std::string TTzDataSet::RowBookmark(int index) const {
  if (index < 0 || index >= d_->record_count || d_->Flag(index) != 0) return {};
  return std::string(reinterpret_cast<const char*>(d_->Row(index) + d_->flag_offset + 1), d_->bookmark_size);
}

bool TTzDataSet::IsEmpty() const { return d_->bof && d_->eof; }

int32_t TTzDataSet::TableRecordCount() const {
  d_->CheckActive();
  return d_->source->GetRecordCount();
}

// ---- navigation -----------------------------------------------------------------

bool TTzDataSet::CheckBrowseMode() {
  d_->CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (Editing(d_->state)) return Post();
  return true;
}

void TTzDataSet::First() {
  if (!d_->BrowseReady()) return;
  d_->ClearBuffers();
  d_->source->_First();
  d_->GetNextRecords();
  d_->bof = true;
  d_->PositionActive();
  DataEvent(deDataSetChange, 0);
}

void TTzDataSet::Last() {
  if (!d_->BrowseReady()) return;
  d_->ClearBuffers();
  d_->source->_Last();
  d_->GetPriorRecords();
  d_->eof = true;
  d_->PositionActive();
  DataEvent(deDataSetChange, 0);
}

bool TTzDataSet::MoveBy(int distance) {
  if (!d_->BrowseReady()) return false;
  Private& p = *d_;
  if ((distance > 0 && !p.eof) || (distance < 0 && !p.bof)) {
    p.bof = false;
    p.eof = false;
    int scroll = 0;
    while (distance > 0) {
      if (p.active < p.record_count - 1) {
        ++p.active;
      } else {
        // A full window shifts its rows up by one for the new record.
        int shift = p.record_count < p.buffer_count ? 0 : 1;
        if (!p.GetNextRecord()) {
          p.eof = true;
          break;
        }
        scroll -= shift;
        if (p.active < p.record_count - 1) ++p.active;
      }
      --distance;
    }
    while (distance < 0) {
      if (p.active > 0) {
        --p.active;
      } else {
        int shift = p.record_count < p.buffer_count ? 0 : 1;
        if (!p.GetPriorRecord()) {
          p.bof = true;
          break;
        }
        scroll += shift;
        if (p.active > 0) --p.active;
      }
      ++distance;
    }
    p.PositionActive();
    DataEvent(deDataSetChange, 0);
    DataEvent(deDataSetScroll, scroll);
  }
  return !p.bof && !p.eof;
}

bool TTzDataSet::Next() {
  MoveBy(1);
  return !d_->eof;
}

bool TTzDataSet::Prior() {
  MoveBy(-1);
  return !d_->bof;
}

void TTzDataSet::Refresh() {
  if (!d_->BrowseReady()) return;
  d_->PositionActive();
  d_->source->_Refresh();
  Resync(false, false);
}

void TTzDataSet::Resync(bool exact, bool center) {
  Private& p = *d_;
  if (p.state == dsInactive) return;
  bool got;
  if (exact) {
    p.current = -1;
    got = p.GetRecord(p.record_count, GetMode::kCurrent);
  } else {
    got = p.GetRecord(p.record_count, GetMode::kCurrent) || p.GetRecord(p.record_count, GetMode::kNext) ||
          p.GetRecord(p.record_count, GetMode::kPrior);
  }
  if (!got) {
    // No record to stand on (the table emptied, or the cursor fell off it).
    p.ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = center ? (p.buffer_count - 1) / 2 : p.active;
  p.MoveBuffer(p.record_count, 0);
  p.ActivateBuffers();
  while (count > 0 && p.GetPriorRecord()) --count;
  p.GetNextRecords();
  p.GetPriorRecords();
  if (exact) p.SetCurrentRecord(p.active);
  DataEvent(deDataSetChange, 0);
}

// ---- editing --------------------------------------------------------------------

void TTzDataSet::Insert() {
  Private& p = *d_;
  if (!p.BeginInsertAppend()) return;
  p.MoveBuffer(p.record_count, p.active);
  if (p.current >= p.active) p.current = (p.current + 1 < p.buffer_count) ? p.current + 1 : -1;
  p.ClearRow(p.active);
  if (p.record_count == 0) {
    p.SetFlag(p.active, 1);
  } else {
    // The new row stands where the record after it is: it takes that
    // record's bookmark.
    std::memcpy(p.Row(p.active) + p.flag_offset, p.Row(p.active + 1) + p.flag_offset,
                static_cast<size_t>(1 + p.bookmark_size));
  }
  if (p.record_count < p.buffer_count) ++p.record_count;
  p.EndInsertAppend();
}

void TTzDataSet::Append() {
  Private& p = *d_;
  if (!p.BeginInsertAppend()) return;
  p.ClearBuffers();
  p.ClearRow(0);
  p.SetFlag(0, 2);
  p.record_count = 1;
  p.bof = false;
  p.GetPriorRecords();
  p.PositionActive();
  p.source->_Next();
  // The cursor went past the last record; the next positioning starts from
  // _Last again.
  p.current = -1;
  DataEvent(deDataSetChange, 0);
  p.ClearRow(p.active);
  p.EndInsertAppend();
}

void TTzDataSet::Edit() {
  Private& p = *d_;
  if (Editing(p.state)) return;
  if (p.source->GetRecordCount() == 0) {
    Insert();
    return;
  }
  if (!p.BrowseReady()) return;
  if (p.record_count == 0) {
    // Records exist but none is visible: there is nothing to edit.
    Insert();
    return;
  }
  p.CheckCanModify();
  bool ok = true;
  if (BeforeEdit) BeforeEdit(this, ok);
  if (!ok) return;
  p.PositionActive();
  // Re-read the record into the row, so what is written back starts from
  // what is stored now.
  p.GetRecord(p.active, GetMode::kCurrent);
  p.current = p.active;
  p.SetState(dsEdit);
  if (AfterEdit) AfterEdit(this);
}

bool TTzDataSet::Post() {
  Private& p = *d_;
  UpdateRecord();
  if (!Editing(p.state)) return true;
  if (!p.modified) {
    p.CancelRow(false);
    return true;
  }
  DataEvent(deCheckBrowseMode, 0);
  bool ok = true;
  if (BeforePost) {
    DisabledScope disabled(this);
    BeforePost(this, ok);
  }
  if (!ok) {
    p.CopyFieldsToRow(p.ActiveRow());
    DataEvent(deDataSetChange, 0);
    return false;
  }
  bool result;
  if (p.state == dsInsert) {
    result = p.source->_Insert();
  } else {
    // The cursor must stand on the edited record, whatever moved it since;
    // the field buffer keeps the edited values across the move.
    std::vector<uint8_t> values = p.SnapshotValues();
    p.PositionActive();
    p.RestoreValues(values);
    result = p.source->_Post();
  }
  p.SetFlag(p.active, static_cast<uint8_t>(p.source->GetBookmark(p.Bookmark(p.active))));
  p.current = p.active;
  p.SetState(dsBrowse);
  Resync(true);
  if (AfterPost) AfterPost(this);
  return result;
}

void TTzDataSet::Cancel() { d_->CancelRow(true); }

bool TTzDataSet::Delete() { return d_->DeleteOrRestore(false); }

bool TTzDataSet::Restore() { return d_->DeleteOrRestore(true); }

void TTzDataSet::UpdateRecord() {
  if (!Editing(d_->state)) ComponentError(qp::StrId::kNotEditing);
  DataEvent(deUpdateRecord, 0);
}

void TTzDataSet::DisableControls() {
  if (d_->disable_count == 0) {
    d_->disabled_state = d_->state;
    d_->pending_event = deDataSetChange;
  }
  ++d_->disable_count;
}

void TTzDataSet::EnableControls() {
  if (d_->disable_count == 0) return;
  if (--d_->disable_count > 0) return;
  if (d_->state != d_->disabled_state) DataEvent(deUpdateState, 0);
  if (d_->disabled_state != dsInactive && d_->state != dsInactive) DataEvent(d_->pending_event, 0);
}

bool TTzDataSet::ControlsDisabled() const { return d_->disable_count > 0; }

// ---- events ---------------------------------------------------------------------

void TTzDataSet::DataEvent(TDataEvent event, intptr_t info) {
  Private& p = *d_;
  if (event == deFieldChange) {
    TTzField* field = InfoField(info);
    if (field && !field->Calculated()) {
      p.modified = true;
      if (p.calc_field_count > 0 && p.auto_calc_fields) p.ComputeCalcFields(p.ActiveRow());
    }
    if (field) field->DataChanged();
  }
  if (p.disable_count > 0) {
    if (event == deLayoutChange || (event == deUpdateState && p.state != dsInactive)) {
      p.pending_event = deLayoutChange;
    }
    return;
  }
  if (p.source) p.source->DataEvent(event, info);
}

void TTzDataSet::CalcFields() {
  if (OnCalcFields) OnCalcFields(this);
}

void TTzDataSet::NewRecord() {
  if (OnNewRecord) OnNewRecord(this);
}

// ---- fields ---------------------------------------------------------------------

int TTzDataSet::FieldCount() const { return static_cast<int>(d_->fields.size()); }

TTzField* TTzDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) return nullptr;
  return d_->fields[static_cast<size_t>(index)];
}

TTzField* TTzDataSet::FindField(std::string_view name) const {
  std::string wanted = ToUpperAscii(name);
  for (TTzField* f : d_->fields) {
    if (ToUpperAscii(f->FieldName()) == wanted) return f;
  }
  return nullptr;
}

TTzField* TTzDataSet::FieldByName(std::string_view name) const {
  TTzField* f = FindField(name);
  if (!f) ComponentError(qp::StrId::kFieldNotFound, {name});
  return f;
}

// Field definition rules:
//   1. the name is trimmed and lower-cased; empty: "Field name missing";
//   2. blanks become "_"; it must start with a letter a-z and hold only
//      letters, digits and "_": else "Invalid field name '%s'";
//   3. it is cut to 10 characters and must not be taken already (compared
//      in its final form, so two names that differ only past the cut or by
//      a blank cannot both get in): "Duplicate field name '%s'";
//   4. the type, either case: C size 1..255 (one length byte counts it),
//      D 8, F/N size 1..19 with decimals 0..size-2, L 1, M 10; any other:
//      "Invalid field type '%s' for '%s'".
TTzField* TTzDataSet::AddField(std::string_view name, char type, int size, int decimals, uint8_t* value,
                               int value_size) {
  std::string n = ToLowerAscii(TrimBoth(name));
  if (n.empty()) ComponentError(qp::StrId::kFieldNameMissing);
  std::replace(n.begin(), n.end(), ' ', '_');
  bool valid = n[0] >= 'a' && n[0] <= 'z';
  for (char c : n) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) valid = false;
  }
  if (!valid) ComponentError(qp::StrId::kInvalidFieldName, {n});
  if (n.size() > static_cast<size_t>(kMaxFieldName)) n.resize(kMaxFieldName);
  if (FindField(n)) ComponentError(qp::StrId::kDuplicateFieldName, {n});

  char t = static_cast<char>(type >= 'a' && type <= 'z' ? type - 'a' + 'A' : type);
  switch (t) {
    case 'C':
      size = std::clamp(size, 1, 255);
      decimals = 0;
      break;
    case 'D':
      size = 8;
      decimals = 0;
      break;
    case 'F':
    case 'N':
      size = std::clamp(size, 1, 19);
      decimals = size < 2 ? 0 : std::clamp(decimals, 0, size - 2);
      break;
    case 'L':
      size = 1;
      decimals = 0;
      break;
    case 'M':
      size = 10;
      decimals = 0;
      break;
    default:
      ComponentError(qp::StrId::kInvalidFieldType, {std::string(1, type), n});
  }
  auto* field = new TTzField(this, n, t, size, decimals, value, value ? value_size : 0);
  d_->fields.push_back(field);
  return field;
}

void TTzDataSet::DestroyFields() {
  while (!d_->fields.empty()) delete d_->fields.back();
}

void TTzDataSet::SetName(const std::string& name) {
  std::string old = Name();
  TComponent::SetName(name);
  if (!Designing() || old.empty()) return;
  std::string old_upper = ToUpperAscii(old);
  for (TTzField* f : d_->fields) {
    if (f->Owner() != Owner() && f->Owner() != this) continue;
    const std::string& fname = f->Name();
    if (fname.size() > old.size() && ToUpperAscii(fname.substr(0, old.size())) == old_upper) {
      f->SetName(name + fname.substr(old.size()));
    }
  }
}

}  // namespace vz
