// TNotesForm: the notes window, where the free-text notes of the check
// table's current record are read and edited.
//
// It lives from start to exit and is shown modally by the main window's
// Notes command, which writes the notes back when the window closes with
// "&Save" and the user changed the text (TMainForm::CheckNotesClick). The
// memo `notes1` is bound to the `notes` field of the table component it is
// given; on every show the two labels name the record's payor and check
// number.
//
//   +----------------------------------------------------+
//   |  +-- panel: notes1 -------------------------------+ |
//   |  |                                                | |
//   |  +------------------------------------------------+ |
//   |   PayeeLbl                       [&Cancel] [&Save]  |
//   |   ChecknumLbl                                       |
//   +----------------------------------------------------+
#ifndef QUILLPRINT_APP_NOTESFORM_H_
#define QUILLPRINT_APP_NOTESFORM_H_

#include <QDialog>

class QLabel;
class QPushButton;

namespace vz {
class TTzDbf;
}

namespace qp {

class TTzMemo;

class TNotesForm : public QDialog {
  Q_OBJECT

 public:
  // Binds notes1 to field `notes` of `checks`, which must outlive the window.
  explicit TNotesForm(vz::TTzDbf* checks, QWidget* parent = nullptr);
  ~TNotesForm() override;

  // The show handler: the labels from the current record.
  void FormShow();

  TTzMemo* notes1 = nullptr;
  QLabel* PayeeLbl = nullptr;
  QLabel* ChecknumLbl = nullptr;
  QPushButton* SaveBtn = nullptr;    // "&Save", closes with Accepted
  QPushButton* CancelBtn = nullptr;  // "&Cancel", closes with Rejected

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  vz::TTzDbf* checks_;
};

}  // namespace qp

#endif  // QUILLPRINT_APP_NOTESFORM_H_
