// TTzDataLink: attaching, the link state, and the data events a control
// hears.
#include <algorithm>
#include <cstring>

#include "components/dataset.h"
#include "components/dataset_p.h"

namespace vz {

namespace {

// Resets a flag when the scope ends, however it ends.
class FlagGuard {
 public:
  explicit FlagGuard(bool* flag) : flag_(flag) { *flag_ = true; }
  ~FlagGuard() { *flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool* flag_;
};

// Raises FirstRecord so the data set's active row is not above the link's
// last row, then lowers it so the link does not reach past the window.
void ClampFirstRecord(TTzDataLink::Private* link, const TTzDataSet::Private* ds) {
  int low = std::max(ds->active - link->buffer_count + 1, 0);
  // Against the window size rather than the rows held: a table with fewer
  // records than the link wants would otherwise push FirstRecord below 0.
  int high = std::min(ds->active, std::max(ds->buffer_count, link->buffer_count) - link->buffer_count);
  if (link->first_record < low) link->first_record = low;
  if (link->first_record > high) link->first_record = high;
  if (link->first_record < 0) link->first_record = 0;
}

}  // namespace

TTzDataLink::TTzDataLink() : d_(std::make_unique<Private>()) {}

TTzDataLink::~TTzDataLink() { SetDataSource(nullptr); }

TTzDataSource* TTzDataLink::DataSource() const { return d_->source; }

TTzDataSet* TTzDataLink::DataSet() const { return d_->source ? d_->source->DataSet() : nullptr; }

void TTzDataLink::SetDataSource(TTzDataSource* source) {
  if (source == d_->source) return;
  if (TTzDataSource* old = d_->source) {
    d_->source = nullptr;
    auto& links = old->d_->links;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
    UpdateState();
  }
  if (source) {
    source->d_->links.push_back(this);
    d_->source = source;
    if (TTzDataSet* ds = source->d_->data_set) ds->d_->UpdateBufferCount();
    if (source->d_->links.size() == 1) source->Resync();
    UpdateState();
  }
}

bool TTzDataLink::ReadOnly() const { return d_->read_only; }

void TTzDataLink::SetReadOnly(bool on) {
  if (d_->read_only == on) return;
  d_->read_only = on;
  UpdateState();
}

int TTzDataLink::BufferCount() const { return d_->buffer_count; }

void TTzDataLink::SetBufferCount(int count) {
  if (count < 1) count = 1;
  if (d_->buffer_count == count) return;
  d_->buffer_count = count;
  TTzDataSet* ds = DataSet();
  if (!ds) return;
  // Shrinking: place the link first, so the rows the window keeps are the
  // ones this link shows.
  if (d_->active) ClampFirstRecord(d_.get(), ds->d_.get());
  ds->d_->UpdateBufferCount();
  if (d_->active) ClampFirstRecord(d_.get(), ds->d_.get());
}

int TTzDataLink::ActiveRecord() const {
  TTzDataSet* ds = DataSet();
  if (!ds || ds->d_->state == dsInactive) return 0;
  return ds->d_->active - d_->first_record;
}

void TTzDataLink::SetActiveRecord(int value) {
  TTzDataSet* ds = DataSet();
  if (!ds || ds->d_->state == dsInactive || ds->d_->buffers.empty()) return;
  TTzDataSet::Private* p = ds->d_.get();
  int index = value + d_->first_record;
  if (index < 0 || index >= std::max(p->record_count, 1)) return;
  p->active = index;
  if (index < p->record_count) p->CopyRowToFields(p->Row(index));
}

int TTzDataLink::RecordCount() const {
  TTzDataSet* ds = DataSet();
  if (!ds) return 0;
  return std::min(ds->d_->record_count, d_->buffer_count);
}

TTzField* TTzDataLink::Field() const { return d_->field; }
bool TTzDataLink::Active() const { return d_->active; }
bool TTzDataLink::Editing() const { return d_->editing; }
int TTzDataLink::FirstRecord() const { return d_->first_record; }

bool TTzDataLink::Edit() {
  if (!d_->read_only && d_->source && d_->source->State() == dsBrowse) {
    if (TTzDataSet* ds = DataSet()) ds->Edit();
  }
  return d_->editing;
}

void TTzDataLink::UpdateRecord() {
  FlagGuard updating(&d_->updating);
  UpdateData();
}

void TTzDataLink::UpdateState() {
  TTzDataSource* source = d_->source;
  TDataSetState state = source ? source->State() : dsInactive;
  bool active = source && state != dsInactive;
  if (active != d_->active) {
    d_->active = active;
    if (active) {
      if (TTzDataSet* ds = DataSet()) ClampFirstRecord(d_.get(), ds->d_.get());
    } else {
      d_->first_record = 0;
    }
    ActiveChanged();
  }
  bool editing = source && (state == dsEdit || state == dsInsert) && !d_->read_only;
  if (editing != d_->editing) {
    d_->editing = editing;
    EditingChanged();
  }
}

void TTzDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!d_->active) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!d_->updating) RecordChanged(InfoField(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      TTzDataSet* ds = DataSet();
      int count = 0;
      if (ds) {
        // Follow the rows the buffers shifted, so the link keeps showing the
        // same records, then step just far enough to show the active row.
        int first = d_->first_record + (event == deDataSetScroll ? static_cast<int>(info) : 0);
        int last = first + d_->buffer_count - 1;
        int active = ds->d_->active;
        if (active > last) {
          count = active - last;
        } else if (active < first) {
          count = active - first;
        }
        d_->first_record = first + count;
      }
      if (event == deDataSetChange) {
        DataSetChanged();
      } else if (event == deDataSetScroll) {
        DataSetScrolled(count);
      } else {
        LayoutChanged();
      }
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      if (info != 0) FocusControl(*reinterpret_cast<TTzField**>(info));
      break;
    default:
      break;
  }
}

void TTzDataLink::DataSetChanged() { RecordChanged(nullptr); }
void TTzDataLink::DataSetScrolled(int distance) {
  (void)distance;
  DataSetChanged();
}
void TTzDataLink::LayoutChanged() { DataSetChanged(); }
void TTzDataLink::SetField(TTzField* field) { d_->field = field; }

}  // namespace vz
