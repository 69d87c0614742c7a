// TPrinterOffsetsForm: File > Printer Offsets, where the user moves the
// whole check on the paper of each printer, and prints a calibration page
// to see how far.
//
//   Printer:            [HP_LaserJet_4          v]
//   Units:              [Millimetres            v]
//   Horizontal offset:  [ 1.50 mm ]   (to the right; negative: left)
//   Vertical offset:    [-0.80 mm ]   (down; negative: up)
//   [Print Calibration Page]                 [OK] [Cancel]
//
// Each printer keeps its own offsets (the program's INI file, see
// output/printeroffset.h). Changes made for several printers are held
// until OK, which stores them all at once; Cancel forgets them. The
// calibration page goes through the print dialog, and prints with the
// offsets the dialog holds for the printer chosen there, stored or not.
#ifndef QUILLPRINT_APP_PRINTEROFFSETSFORM_H_
#define QUILLPRINT_APP_PRINTEROFFSETSFORM_H_

#include <map>
#include <string>

#include <QDialog>

#include "output/checklayout.h"
#include "output/printeroffset.h"

class QComboBox;
class QDoubleSpinBox;
class QPrinter;
class QPushButton;

namespace qp {

class TPrinterOffsetsForm : public QDialog {
  Q_OBJECT

 public:
  // `printer` is the main window's printer (it must outlive the dialog):
  // the printer shown first is the one it is set to, and the calibration
  // page is printed on it. `calibration` is the check the page shows.
  TPrinterOffsetsForm(QPrinter* printer, std::string ini_path, CheckFields calibration,
                      QWidget* parent = nullptr);

  // The offset the dialog holds now for the printer it shows.
  PrinterOffset Offset() const;
  // The name the shown printer's offsets are stored under.
  std::string PrinterName() const;
  OffsetUnit Unit() const;

  // Shows the printer of that name (added to the list when missing).
  void SelectPrinter(const QString& name);

  // Stores the held offsets and closes; on a failed write the dialog says
  // so and stays open with everything as the user left it.
  void accept() override;

  // The calibration page: print dialog, then the page.
  void CalibrationBtnClick();

  QComboBox* PrinterBox = nullptr;
  QComboBox* UnitsBox = nullptr;
  QDoubleSpinBox* HorizontalOffset = nullptr;
  QDoubleSpinBox* VerticalOffset = nullptr;
  QPushButton* CalibrationBtn = nullptr;

 private:
  void ShowOffset();
  QString CalibrationCaption(const PrinterOffset& offset) const;

  QPrinter* printer_;
  std::string ini_path_;
  CheckFields calibration_;
  // Offsets of every printer shown so far, as the user left them.
  std::map<std::string, PrinterOffset> held_;
};

}  // namespace qp

#endif  // QUILLPRINT_APP_PRINTEROFFSETSFORM_H_
