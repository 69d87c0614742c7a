// TTzFieldDataLink: ties one control to one named field of a data source.
//
// It turns the data source's notifications into four plain events the
// control handles, keeps the control's changed-by-the-user mark, and asks
// the data set to enter edit state on the control's behalf:
//
//   OnDataChange     the bound field, or the whole record, changed: reload
//   OnEditingChange  Editing() turned on or off: make the control writable
//                    or read-only
//   OnUpdateData     the control's value must go into the field now (the
//                    record is being posted, or the control is left)
//   OnActiveChange   the data source opened or closed
//
// Each event passes the link as sender. Changes of other fields of the
// record do not reach the control.
//
// Plain C++ over the component layer; the control is only remembered (as a
// QWidget) to give it the focus when a field asks for it.
#ifndef QUILLPRINT_CONTROLS_FIELDDATALINK_H_
#define QUILLPRINT_CONTROLS_FIELDDATALINK_H_

#include <string>

#include "components/dataset.h"

class QWidget;

namespace qp {

class TTzFieldDataLink : public vz::TTzDataLink {
 public:
  TTzFieldDataLink();
  // Detaches while the link's own operations still run, so the control
  // hears of it.
  ~TTzFieldDataLink() override;

  const std::string& FieldName() const { return field_name_; }
  // A name that differs (exactly, case counts) is stored and the field is
  // bound anew: while the link is active, a name the data set does not know
  // throws EVozuvError "Field '%s' not found".
  void SetFieldName(const std::string& name);

  // The control that owns the link; not owned.
  QWidget* Control() const { return control_; }
  void SetControl(QWidget* control) { control_ = control; }

  // The link's own editing flag: the data source is in edit or insert
  // state, the link is not read-only and a field is bound.
  bool Editing() const { return editing_; }
  // The control's value changed since it was last loaded or written.
  bool Modified() const { return modified_; }
  // Marks the control's value as changed.
  void SetModified() { modified_ = true; }

  // Not read-only and a field bound.
  bool CanModify() const;
  // Asks the data set to edit when CanModify() (and the base link may);
  // returns Editing().
  bool Edit();
  // The control re-reads the field (OnDataChange) and loses its changes.
  void Reset();

  vz::TNotifyEvent OnDataChange;
  vz::TNotifyEvent OnEditingChange;
  vz::TNotifyEvent OnUpdateData;
  vz::TNotifyEvent OnActiveChange;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(vz::TTzField*& field) override;
  void LayoutChanged() override;
  void RecordChanged(vz::TTzField* field) override;
  void SetField(vz::TTzField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetEditing(bool on);

  std::string field_name_;
  QWidget* control_ = nullptr;
  bool editing_ = false;
  bool modified_ = false;
};

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_FIELDDATALINK_H_
