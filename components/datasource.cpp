// TTzDataSource: the links, event forwarding, and the steps a table
// component runs after changing the table or the field buffer itself.
#include <algorithm>

#include "components/dataset.h"
#include "components/dataset_p.h"
#include "components/messages.h"
#include "engine/errors.h"

namespace vz {

namespace {

class BusyGuard {
 public:
  explicit BusyGuard(bool* flag) : flag_(flag) { *flag_ = true; }
  ~BusyGuard() { *flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool* flag_;
};

}  // namespace

TTzDataSource::TTzDataSource(TComponent* owner) : TComponent(owner), d_(std::make_unique<Private>()) {
  d_->design_time = Designing();
  d_->data_set = new TTzDataSet(this);
}

TTzDataSource::~TTzDataSource() {
  NotifyRemoval();
  // Each link leaves the list as it detaches.
  while (!d_->links.empty()) d_->links.back()->SetDataSource(nullptr);
  delete d_->data_set;
  d_->data_set = nullptr;
}

TTzDataSet* TTzDataSource::DataSet() const { return d_->data_set; }

TDataSetState TTzDataSource::State() const {
  TTzDataSet* ds = d_->data_set;
  if (!ds || ds->d_->fields.empty()) return dsInactive;
  return ds->d_->state;
}

bool TTzDataSource::DesignTime() const { return d_->design_time; }

int TTzDataSource::LinkCount() const { return static_cast<int>(d_->links.size()); }

TTzDataLink* TTzDataSource::Links(int index) const {
  if (index < 0 || index >= LinkCount()) return nullptr;
  return d_->links[static_cast<size_t>(index)];
}

const std::vector<uint8_t>& TTzDataSource::SavedBookmark() const { return d_->saved_bookmark; }

void TTzDataSource::DataEvent(TDataEvent event, intptr_t info) {
  // A link may detach others (or itself) while it is told: walk a copy and
  // skip the ones that left.
  std::vector<TTzDataLink*> links = d_->links;
  auto still_attached = [this](TTzDataLink* link) {
    return std::find(d_->links.begin(), d_->links.end(), link) != d_->links.end();
  };
  if (event == deUpdateState) {
    for (TTzDataLink* link : links) {
      if (still_attached(link)) link->UpdateState();
    }
    return;
  }
  if (State() == dsInactive) return;
  for (TTzDataLink* link : links) {
    if (still_attached(link)) link->DataEvent(event, info);
  }
  if (event >= deFieldChange && event <= deLayoutChange) {
    // Only field events carry a field; the scroll distance is no field.
    TTzField* field = (event == deFieldChange || event == deRecordChange) ? InfoField(info) : nullptr;
    if (OnDataChange) OnDataChange(this, field);
  } else if (event == deUpdateRecord) {
    if (OnUpdateData) OnUpdateData(this);
  }
}

void TTzDataSource::Resync() {
  TTzDataSet* ds = d_->data_set;
  if (d_->resync_busy || ErrorCode() != 0 || !ds || d_->links.empty() || d_->design_time ||
      !ds->Active()) {
    return;
  }
  BusyGuard busy(&d_->resync_busy);
  if (ds->ControlsDisabled()) return;
  ds->Resync(true);
  if (ds->Eof()) {
    ds->Append();
  } else {
    ds->d_->CancelRow(false);
  }
}

void TTzDataSource::RecordChanged() {
  TTzDataSet* ds = d_->data_set;
  if (!ds || ds->ControlsDisabled() || !ds->Active() || ds->d_->buffers.empty()) return;
  TTzDataSet::Private* p = ds->d_.get();
  p->CopyFieldsToRow(p->ActiveRow());
  // The field buffer no longer shows the record the cursor stood on, so the
  // cursor's row is taken as unknown: the next positioning goes there anew.
  p->current = -1;
  p->modified = true;
  std::vector<TTzDataLink*> links = d_->links;
  for (TTzDataLink* link : links) {
    if (std::find(d_->links.begin(), d_->links.end(), link) != d_->links.end()) {
      link->DataEvent(deLayoutChange, 0);
    }
  }
}

void TTzDataSource::GetMemo(int32_t block, TStrings& lines) {
  (void)block;
  lines.assign(1, std::string(qp::LoadStr(qp::StrId::kNotLinked)));
}

// The DS... events live in the data set; the source only lends its name.
#define QP_DS_EVENT(Name, Type)                                                \
  Type TTzDataSource::DS##Name() const {                                       \
    return d_->data_set ? d_->data_set->Name : Type();                         \
  }                                                                            \
  void TTzDataSource::SetDS##Name(Type handler) {                              \
    if (d_->data_set) d_->data_set->Name = std::move(handler);                 \
  }

QP_DS_EVENT(AfterCancel, TTzDataSetNotifyEvent)
QP_DS_EVENT(AfterDelete, TTzDataSetNotifyEvent)
QP_DS_EVENT(AfterRestore, TTzDataSetNotifyEvent)
QP_DS_EVENT(AfterEdit, TTzDataSetNotifyEvent)
QP_DS_EVENT(AfterInsert, TTzDataSetNotifyEvent)
QP_DS_EVENT(AfterPost, TTzDataSetNotifyEvent)
QP_DS_EVENT(BeforeCancel, TTzDataSetNotifyConfirmEvent)
QP_DS_EVENT(BeforeDelete, TTzDataSetNotifyConfirmEvent)
QP_DS_EVENT(BeforeRestore, TTzDataSetNotifyConfirmEvent)
QP_DS_EVENT(BeforeEdit, TTzDataSetNotifyConfirmEvent)
QP_DS_EVENT(BeforeInsert, TTzDataSetNotifyConfirmEvent)
QP_DS_EVENT(BeforePost, TTzDataSetNotifyConfirmEvent)

#undef QP_DS_EVENT

}  // namespace vz
