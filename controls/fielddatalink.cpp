// TTzFieldDataLink: binding the field by name and turning data events into
// the control's events.
#include "controls/fielddatalink.h"

#include <QWidget>

namespace qp {

TTzFieldDataLink::TTzFieldDataLink() = default;

TTzFieldDataLink::~TTzFieldDataLink() {
  // Without a control to tell, detaching needs no events.
  OnDataChange = nullptr;
  OnEditingChange = nullptr;
  OnUpdateData = nullptr;
  OnActiveChange = nullptr;
  SetDataSource(nullptr);
}

void TTzFieldDataLink::SetFieldName(const std::string& name) {
  if (name == field_name_) return;
  field_name_ = name;
  UpdateField();
}

bool TTzFieldDataLink::CanModify() const { return !ReadOnly() && Field() != nullptr; }

bool TTzFieldDataLink::Edit() {
  if (CanModify()) TTzDataLink::Edit();
  return editing_;
}

void TTzFieldDataLink::Reset() { RecordChanged(nullptr); }

void TTzFieldDataLink::UpdateField() {
  SetField(nullptr);
  if (Active() && !field_name_.empty()) SetField(DataSet()->FieldByName(field_name_));
}

void TTzFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TTzFieldDataLink::EditingChanged() { SetEditing(TTzDataLink::Editing() && CanModify()); }

void TTzFieldDataLink::SetEditing(bool on) {
  if (editing_ == on) return;
  editing_ = on;
  modified_ = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TTzFieldDataLink::FocusControl(vz::TTzField*& field) {
  if (field == nullptr || field != Field() || control_ == nullptr) return;
  if (!control_->isVisible() || !control_->isEnabled() || control_->focusPolicy() == Qt::NoFocus) return;
  field = nullptr;  // the request is taken
  control_->setFocus();
}

void TTzFieldDataLink::LayoutChanged() { UpdateField(); }

void TTzFieldDataLink::RecordChanged(vz::TTzField* field) {
  if (field != nullptr && field != Field()) return;
  if (OnDataChange) OnDataChange(this);
  modified_ = false;
}

void TTzFieldDataLink::SetField(vz::TTzField* field) {
  if (field == Field()) return;
  TTzDataLink::SetField(field);
  EditingChanged();
  RecordChanged(nullptr);
}

void TTzFieldDataLink::UpdateData() {
  if (modified_ && Field() != nullptr && OnUpdateData) OnUpdateData(this);
  modified_ = false;
}

}  // namespace qp
