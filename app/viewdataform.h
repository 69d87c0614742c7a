// TViewDataForm: the table window, which lists the checks of the check table
// in a grid with a navigator below it.
//
// It lives from start to exit and is shown modally by the main window's
// View, View as Table and Load commands, which set its caption first. The
// grid `TzGrid1` and the navigator `TzNavigator1` are bound to the table
// component given; moving in either moves the table's current record, which
// Load and Notes then use. OK, a double click in the grid and the close box
// all close the window.
//
// Rows are chosen with Ctrl+click, Shift+click, Shift+arrows and
// Ctrl+Space. Print and Preview print the chosen checks, or the current one
// when none is chosen, as one job, one check per page in table order, each
// from its record as Load would give it; the main window does the printing
// (its printer, offsets and MICR question). Export writes the chosen checks
// (all of them when one or none is chosen) into a positive-pay file for the
// bank (app/positivepay.h); the file dialog's title says which.
//
//   +-----------------------------------------------------------------+
//   |  panel, 297 high: TzGrid1 (17 columns)                           |
//   +-----------------------------------------------------------------+
//   |  [|< < > >| + - ^ v x r]  [Print][Preview][Export...]  [ OK ]   |
//   +-----------------------------------------------------------------+
#ifndef QUILLPRINT_APP_VIEWDATAFORM_H_
#define QUILLPRINT_APP_VIEWDATAFORM_H_

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

#include "output/checklayout.h"

class QPushButton;
class TTzGrid;

namespace vz {
class TTzDbf;
}

namespace qp {

class TTzNavigator;

class TViewDataForm : public QDialog {
  Q_OBJECT

 public:
  // Binds grid and navigator to `checks`, which must outlive the window.
  explicit TViewDataForm(vz::TTzDbf* checks, QWidget* parent = nullptr);
  ~TViewDataForm() override;

  // A double click in the grid closes the window with OK.
  void TzGrid1DblClick();
  // Asks for a file and writes the positive-pay file of the checks the
  // Export button stands for (see the top of this file).
  void ExportBtnClick();

  // Prints, or previews, the chosen checks (see the top of this file).
  void PrintBtnClick();
  void PreviewBtnClick();

  // The record numbers of the checks chosen in the grid, in table order;
  // empty when one or none is chosen.
  std::vector<int32_t> ChosenRecords() const;

  // Set by the main window: prints, or previews, checks as one job over
  // the window given.
  using ChecksJob = std::function<void(const std::vector<CheckFields>& checks, QWidget* over)>;
  ChecksJob OnPrintChecks;
  ChecksJob OnPreviewChecks;

  TTzGrid* TzGrid1 = nullptr;
  TTzNavigator* TzNavigator1 = nullptr;
  QPushButton* BitBtn1 = nullptr;  // OK
  QPushButton* PrintBtn = nullptr;
  QPushButton* PreviewBtn = nullptr;
  QPushButton* ExportBtn = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The checks Print and Preview stand for; false when the table could
  // not be read (reported).
  bool ChecksToPrint(std::vector<CheckFields>* checks);
  void RunChecksJob(const ChecksJob& job);

  QWidget* panel_ = nullptr;
  vz::TTzDbf* checks_ = nullptr;
};

}  // namespace qp

#endif  // QUILLPRINT_APP_VIEWDATAFORM_H_
