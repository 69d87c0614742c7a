// TMainForm: the check desk, Quillprint's main window.
//
// Top to bottom: the painted title bar (TGradientForm), the menu, a tool bar
// of eight flat buttons, the notebook `Notebook1` with the pages "&Payor
// Information", "&Bank Information" and "&Check Information", and a status
// bar. The fields of the three pages make one check; Save appends it to the
// check table `checks.dbf` in the program's folder, Clear empties the form,
// Tools > Database Utilities > Pack removes the records marked as deleted.
// View (and Tools > Database Utilities > View as Table) lists the checks in
// the table window; Load lists them and then puts the record chosen into the
// form; Notes edits the notes of the table's current record.
//
// Life of the window:
//   1. construction (FormCreate): makes the program's folder current, reads
//      the version from the program's INI file, opens the check table
//      (creating it when missing) and restores the window's place from
//      "mainform.ini"; then the table window and the notes window are made,
//      their controls bound to the table;
//   2. first show (FormShow): the date field shows today, FirstEdit has the
//      focus;
//   3. a close from the Exit button, File > Exit or the title bar asks
//      "Exit Quillprint Now?"; on Yes (FormClose) the version goes back into
//      the INI file, the window's place into "mainform.ini", and the table
//      is closed.
//
// Printing: under ABANumber the window tells, as it is typed, whether the
// routing number's check digit holds; Print asks before printing a check
// whose MICR line a bank's reader would misread (MicrLineProblems), and
// the user may print it anyway. Save never asks about it. Every check,
// printed or previewed, is moved by the offsets stored for its printer
// (File > Printer Offsets, TPrinterOffsetsForm).
//
// Saving: a check number the table already holds for the same account
// (compared as the MICR line prints them, blanks at both ends removed; a
// blank check number never counts) is asked about before it is stored;
// the user may save it anyway.
//
// Keys: Enter moves to the next control in tab order, as Tab would
// (EntryController1 sees the keys before the fields do). The tool buttons
// take no focus, so Enter walks the fields (and the notebook's tabs) only.
//
// Every box goes through the message service (platform/qt/messages.h).
// Child widgets carry their names as object names, for tests and styles.
#ifndef QUILLPRINT_APP_MAINFORM_H_
#define QUILLPRINT_APP_MAINFORM_H_

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "app/checkrecord.h"
#include "output/checklayout.h"
#include "output/printeroffset.h"
#include "winsupport/gradientform.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPrinter;
class QStatusBar;
class QToolButton;
class TDateField;
class TEntryController;
class TEntryNotebook;
class TNumericField;

namespace vz {
class TTzDbf;
}

namespace qp {

class TNotesForm;
class TPosition;
class TViewDataForm;

class TMainForm : public TGradientForm {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate. The program's folder
  // (plat::ProgramFolder) must be decided before.
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // ---- event handlers -------------------------------------------------------
  // Start-up steps of the window: current folder, INI file, check table.
  void FormCreate();
  void FormShow();
  // True when the window may close: the user answered Yes to
  // "Exit Quillprint Now?".
  bool FormCloseQuery();
  // Writes the INI files and closes the table. Runs once.
  void FormClose();
  // Swallows the Enter character in the fields it is bound to; true when
  // the key was taken.
  bool CheckNumberKeyPress(QKeyEvent* event);
  void AmountNumbersChange();
  void PrintBtnClick();
  void PrintCheck1Click();
  void PrintPreview1Click();
  void PrinterOffsets1Click();
  // Shows under ABANumber, as it is typed, whether it is a routing number.
  void ABANumberChange();
  void SaveCheckClick();
  void ClearCheckClick();
  void packClick();
  void LoadCheckClick();
  void ViewChecksClick();
  void ViewastableClick();
  void CheckNotesClick();
  void HelpBtnClick();
  void Contents1Click();
  void About1Click();
  void ExitBtnClick();
  void Exit1Click();

  // The selected printer as read before the last print job: printable
  // width in pixels and pixels per inch across and down (all 0 before the
  // first job).
  const PrinterFigures& PrinterFiguresRead() const { return printer_figures_; }

  // What the fields show now, as the printed check takes them.
  CheckFields Fields() const;
  // The check the calibration page shows: the fields, the sample check's
  // texts where they are empty.
  CheckFields CalibrationFields() const;
  // The offset stored for the printer about to print.
  PrinterOffset StoredOffset(const QPrinter& printer) const;
  // What the fields show now as a check, by the check record's fields.
  CheckValues FormValues() const;

  // The program's INI file and the version text read from it.
  const std::string& IniPath() const { return ini_path_; }
  const QString& VersionText() const { return version_; }

  // The table component on checks.dbf, open from construction to FormClose.
  vz::TTzDbf* Checks() const { return Checks_.get(); }

  // ---- the window's parts -----------------------------------------------------
  QMenuBar* MainMenu1 = nullptr;
  QAction* PrintCheck1 = nullptr;
  QAction* PrintPreview1 = nullptr;
  QAction* PrinterOffsets1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Viewastable = nullptr;
  QAction* pack = nullptr;
  QAction* Contents1 = nullptr;
  QAction* About1 = nullptr;

  QToolButton* PrintBtn = nullptr;
  QToolButton* SaveCheck = nullptr;
  QToolButton* LoadCheck = nullptr;
  QToolButton* ViewChecks = nullptr;
  QToolButton* ClearCheck = nullptr;
  QToolButton* CheckNotes = nullptr;
  QToolButton* HelpBtn = nullptr;
  QToolButton* ExitBtn = nullptr;

  TEntryNotebook* Notebook1 = nullptr;
  // "&Payor Information"
  QLineEdit* FirstEdit = nullptr;
  QLineEdit* LastEdit = nullptr;
  QLineEdit* AddressEdit = nullptr;
  QLineEdit* CityEdit = nullptr;
  QLineEdit* StateEdit = nullptr;
  QLineEdit* ZipEdit = nullptr;
  // "&Bank Information"
  QLineEdit* BankName = nullptr;
  QLineEdit* BankAddress = nullptr;
  QLineEdit* BankCity = nullptr;
  QLineEdit* BankState = nullptr;
  QLineEdit* BankZip = nullptr;
  QLineEdit* ABANumber = nullptr;
  QLabel* ABACheck = nullptr;  // the routing number's check, under ABANumber
  QLineEdit* AccountNumber = nullptr;
  // "&Check Information"
  TDateField* TransDate = nullptr;
  TNumericField* AmountNumbers = nullptr;
  QLineEdit* PayeeNameEdit = nullptr;
  QLineEdit* AmountEnglish = nullptr;
  QLineEdit* CheckNumber = nullptr;

  QStatusBar* StatusBar1 = nullptr;
  // The table window and the notes window, made after the table opens and
  // kept until the main window goes.
  TViewDataForm* ViewDataForm = nullptr;
  TNotesForm* NotesForm = nullptr;
  TEntryController* EntryController1 = nullptr;
  TPosition* Position1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void BuildToolBar(QWidget* bar);
  void BuildPages();
  // Shows the table window modally with this caption.
  void ShowTableWindow(const QString& caption);
  // Every single-line edit of the three pages, the amount in words
  // included: the edits of the check record's text fields.
  std::vector<QLineEdit*> TextEdits() const;
  bool AnythingChanged() const;
  void ClearChangeMarks();
  // Asks once before printing checks whose MICR line the bank's reader
  // would misread, naming each fault; true when they may print.
  bool MicrLineMayPrint(const std::vector<CheckFields>& checks, QWidget* over);
  // Prints the checks as one job through the print dialog, or shows them
  // in the preview, over the window `over` (this one, or the table window).
  void PrintChecks(const std::vector<CheckFields>& checks, QWidget* over);
  void PreviewChecks(const std::vector<CheckFields>& checks, QWidget* over);
  // Asks before saving a check whose number a record of the table (not
  // marked deleted) already has for the same account; true when it may be
  // saved. Reads the records from the file: the table's current record and
  // its record buffer stay as they are.
  bool DuplicateMayBeSaved(const CheckValues& check);
  QPrinter* Printer();

  std::string ini_path_;
  QString version_;
  bool shown_ = false;
  bool closed_ = false;
  std::unique_ptr<vz::TTzDbf> Checks_;
  std::unique_ptr<QPrinter> printer_;
  PrinterFigures printer_figures_;
};

}  // namespace qp

#endif  // QUILLPRINT_APP_MAINFORM_H_
