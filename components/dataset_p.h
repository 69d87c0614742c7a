// Private state of the data-set classes, shared by their implementation
// files. Not part of the API.
//
// Window invariants (while the data set is open):
//   1. buffers.size() == buffer_count + 1; the extra row is a spare that
//      fetches fill before they shuffle rows into place;
//   2. 0 <= record_count <= buffer_count, and rows 0..record_count-1 hold
//      records in table order;
//   3. 0 <= active < max(record_count, 1);
//   4. current is -1 (the cursor's place is unknown) or the row whose record
//      the cursor stands on; every move of the cursor updates it;
//   5. each active link keeps active within
//      [FirstRecord, FirstRecord + its BufferCount - 1].
#ifndef QUILLPRINT_COMPONENTS_DATASET_P_H_
#define QUILLPRINT_COMPONENTS_DATASET_P_H_

#include <cstdint>
#include <string>
#include <vector>

#include "components/dataset.h"

namespace vz {

struct TTzField::Private {
  TTzDataSet* data_set = nullptr;
  std::string field_name;
  char data_type = 'C';
  int size = 0;
  int decimals = 0;
  int data_size = 0;
  uint8_t* value = nullptr;
  std::vector<uint8_t> own_value;  // when no value pointer was given
  uint16_t offset = 0;
  bool calculated = false;
  bool table_field = false;
  bool visible = true;
  bool read_only = false;
  TAlignment alignment = taLeftJustify;
  int display_width = 0;  // 0: the type's width
  std::unique_ptr<TStrings> lines;  // made on first use
};

struct TTzDataLink::Private {
  TTzDataSource* source = nullptr;
  int first_record = 0;
  bool read_only = false;
  bool active = false;
  bool updating = false;
  bool editing = false;
  int buffer_count = 1;
  TTzField* field = nullptr;
};

struct TTzDataSource::Private {
  bool design_time = false;
  TTzDataSet* data_set = nullptr;
  std::vector<TTzDataLink*> links;
  bool resync_busy = false;
  std::vector<uint8_t> saved_bookmark = std::vector<uint8_t>(4);
};

enum class GetMode : uint8_t { kCurrent, kNext, kPrior };

struct TTzDataSet::Private {
  explicit Private(TTzDataSet* q_in) : q(q_in) {}

  // ---- rows ----
  uint8_t* Row(int index) { return buffers[static_cast<size_t>(index)].data(); }
  const uint8_t* Row(int index) const { return buffers[static_cast<size_t>(index)].data(); }
  uint8_t* ActiveRow() { return buffers.empty() ? nullptr : Row(active); }
  uint8_t Flag(int index) const { return Row(index)[flag_offset]; }
  void SetFlag(int index, uint8_t flag) { Row(index)[flag_offset] = flag; }
  uint8_t* Bookmark(int index) { return Row(index) + flag_offset + 1; }

  void CopyFieldsToRow(uint8_t* row);
  void CopyRowToFields(const uint8_t* row);
  // Clears the field buffer through the source and makes row `index` a
  // blank new row.
  void ClearRow(int index);
  void ComputeCalcFields(uint8_t* row);
  // The values of all fields, to put back after the cursor moved.
  std::vector<uint8_t> SnapshotValues() const;
  void RestoreValues(const std::vector<uint8_t>& saved);

  // ---- the window ----
  int WantedBufferCount() const;
  void UpdateBufferCount();
  void SetBufferCount(int count);
  void ReleaseBuffers();
  void MoveBuffer(int from, int to);
  void ClearBuffers();
  void ActivateBuffers();
  bool GetRecord(int index, GetMode mode);
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void SetCurrentRecord(int index);
  void PositionActive();  // SetCurrentRecord(active) when there are rows
  void AdjustFirstRecords(int delta);

  // ---- state and editing ----
  void SetState(TDataSetState new_state);
  void CheckActive() const;
  void CheckCanModify() const;
  // CheckBrowseMode; false when an edit is still open afterwards (its post
  // was refused), so the caller must not go on.
  bool BrowseReady();
  void DoOpen();
  void DoClose();
  bool BeginInsertAppend();
  void EndInsertAppend();
  void CancelRow(bool with_events);
  bool DeleteOrRestore(bool restore);
  void LayOutFields();

  TTzDataSet* q;
  TTzDataSource* source = nullptr;
  std::vector<TTzField*> fields;

  std::vector<std::vector<uint8_t>> buffers;
  int buffer_count = 0;
  int record_count = 0;
  int active = 0;
  int current = -1;

  bool bof = true;
  bool eof = true;
  TDataSetState state = dsInactive;
  bool auto_calc_fields = true;
  bool can_modify = false;
  bool modified = false;
  bool stream_active = false;
  int calc_field_count = 0;

  int disable_count = 0;
  TDataEvent pending_event = deDataSetChange;
  TDataSetState disabled_state = dsInactive;

  int record_size = 0;
  int bookmark_size = 0;
  int flag_offset = 0;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_DATASET_P_H_
