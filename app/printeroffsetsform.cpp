// TPrinterOffsetsForm: the offsets of each printer, and the calibration page.
#include "app/printeroffsetsform.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "output/qt/calibration.h"
#include "output/qt/checkprinter.h"
#include "platform/ini.h"
#include "platform/qt/messages.h"

namespace qp {

namespace {

// Shown in inches with three decimals, in millimetres with two: both
// finer than any printer's feed is steady.
constexpr int kInchDecimals = 3;
constexpr int kMillimetreDecimals = 2;

double ToUnit(int microns, OffsetUnit unit) {
  return unit == OffsetUnit::kInches ? microns / double{kMicronsPerInch} : microns / 1000.0;
}

int FromUnit(double value, OffsetUnit unit) {
  const double um = unit == OffsetUnit::kInches ? value * kMicronsPerInch : value * 1000.0;
  return std::clamp(static_cast<int>(std::lround(um)), -kMaxPrinterOffsetMicrons,
                    kMaxPrinterOffsetMicrons);
}

// "+1.50 mm (+0.059 in)"
QString DistanceText(int microns) {
  const QString sign = microns > 0 ? QStringLiteral("+") : QString();
  return QStringLiteral("%1%2 mm (%1%3 in)")
      .arg(sign)
      .arg(microns / 1000.0, 0, 'f', kMillimetreDecimals)
      .arg(microns / double{kMicronsPerInch}, 0, 'f', kInchDecimals);
}

QDoubleSpinBox* MakeDistanceBox(QWidget* parent, const char* name, const QString& hint) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setToolTip(hint);
  box->setKeyboardTracking(true);
  box->setAccelerated(true);
  return box;
}

}  // namespace

TPrinterOffsetsForm::TPrinterOffsetsForm(QPrinter* printer, std::string ini_path,
                                         CheckFields calibration, QWidget* parent)
    : QDialog(parent),
      printer_(printer),
      ini_path_(std::move(ini_path)),
      calibration_(std::move(calibration)) {
  setObjectName(QStringLiteral("PrinterOffsetsForm"));
  setWindowTitle(QStringLiteral("Printer Offsets"));
  setModal(true);

  PrinterBox = new QComboBox(this);
  PrinterBox->setObjectName(QStringLiteral("PrinterBox"));
  PrinterBox->setToolTip(QStringLiteral("The printer these offsets are for"));
  for (const QString& name : QPrinterInfo::availablePrinterNames()) PrinterBox->addItem(name, name);
  PrinterBox->addItem(QStringLiteral("Print to File (PDF)"), QLatin1String(kPdfOffsetPrinterName));

  UnitsBox = new QComboBox(this);
  UnitsBox->setObjectName(QStringLiteral("UnitsBox"));
  UnitsBox->addItem(QStringLiteral("Inches"), int(OffsetUnit::kInches));
  UnitsBox->addItem(QStringLiteral("Millimetres"), int(OffsetUnit::kMillimetres));
  const OffsetUnit usual = QLocale::system().measurementSystem() == QLocale::MetricSystem
                               ? OffsetUnit::kMillimetres
                               : OffsetUnit::kInches;
  const OffsetUnit unit = ReadOffsetUnit(plat::IniFile(ini_path_), usual);
  UnitsBox->setCurrentIndex(UnitsBox->findData(int(unit)));

  HorizontalOffset = MakeDistanceBox(
      this, "HorizontalOffset", QStringLiteral("Moves the whole check to the right; negative: to the left"));
  VerticalOffset = MakeDistanceBox(
      this, "VerticalOffset", QStringLiteral("Moves the whole check down; negative: up"));

  CalibrationBtn = new QPushButton(QStringLiteral("Print &Calibration Page..."), this);
  CalibrationBtn->setObjectName(QStringLiteral("CalibrationBtn"));
  CalibrationBtn->setToolTip(
      QStringLiteral("Prints a ruler grid with the check's items at these offsets"));
  CalibrationBtn->setAutoDefault(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("Buttons"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Printer:"), PrinterBox);
  form->addRow(QStringLiteral("&Units:"), UnitsBox);
  form->addRow(QStringLiteral("&Horizontal offset:"), HorizontalOffset);
  form->addRow(QStringLiteral("&Vertical offset:"), VerticalOffset);
  auto* note = new QLabel(
      QStringLiteral("Every item of the check moves by these distances: to the right and down, or\n"
                     "with a minus sign to the left and up; at most one inch (25.4 mm) either way."),
      this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(CalibrationBtn);
  bottom->addStretch(1);
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addLayout(bottom);

  connect(buttons, &QDialogButtonBox::accepted, this, &TPrinterOffsetsForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TPrinterOffsetsForm::reject);
  connect(CalibrationBtn, &QPushButton::clicked, this, &TPrinterOffsetsForm::CalibrationBtnClick);
  connect(PrinterBox, &QComboBox::currentIndexChanged, this, [this] { ShowOffset(); });
  connect(UnitsBox, &QComboBox::currentIndexChanged, this, [this] { ShowOffset(); });
  // The program sets the boxes with their signals blocked, so a change
  // seen here is the user's, and only that box's distance is taken back:
  // the other keeps its exact stored value, which the decimals may round.
  connect(HorizontalOffset, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    held_[PrinterName()].horizontal_um = FromUnit(value, Unit());
  });
  connect(VerticalOffset, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    held_[PrinterName()].vertical_um = FromUnit(value, Unit());
  });

  SelectPrinter(printer_ != nullptr ? OffsetPrinterName(*printer_)
                                    : QLatin1String(kPdfOffsetPrinterName));
}

PrinterOffset TPrinterOffsetsForm::Offset() const {
  const auto it = held_.find(PrinterName());
  return it != held_.end() ? it->second : PrinterOffset{};
}

std::string TPrinterOffsetsForm::PrinterName() const {
  return PrinterBox->currentData().toString().toStdString();
}

OffsetUnit TPrinterOffsetsForm::Unit() const {
  return static_cast<OffsetUnit>(UnitsBox->currentData().toInt());
}

void TPrinterOffsetsForm::SelectPrinter(const QString& name) {
  int index = PrinterBox->findData(name);
  if (index < 0) {
    // A printer the print dialog knows but the list did not (set up while
    // the dialog was open, say): before "Print to File (PDF)".
    index = PrinterBox->count() - 1;
    PrinterBox->insertItem(index, name, name);
  }
  PrinterBox->setCurrentIndex(index);
  ShowOffset();
}

void TPrinterOffsetsForm::ShowOffset() {
  const std::string printer = PrinterName();
  if (held_.find(printer) == held_.end()) {
    held_[printer] = ReadPrinterOffset(plat::IniFile(ini_path_), printer);
  }
  const PrinterOffset offset = held_[printer];
  const OffsetUnit unit = Unit();
  const bool inches = unit == OffsetUnit::kInches;
  for (QDoubleSpinBox* box : {HorizontalOffset, VerticalOffset}) {
    const QSignalBlocker quiet(box);
    box->setDecimals(inches ? kInchDecimals : kMillimetreDecimals);
    box->setSuffix(inches ? QStringLiteral(" in") : QStringLiteral(" mm"));
    box->setSingleStep(inches ? 0.01 : 0.1);
    const double limit = ToUnit(kMaxPrinterOffsetMicrons, unit);
    box->setRange(-limit, limit);
  }
  {
    const QSignalBlocker quiet(HorizontalOffset);
    HorizontalOffset->setValue(ToUnit(offset.horizontal_um, unit));
  }
  const QSignalBlocker quiet(VerticalOffset);
  VerticalOffset->setValue(ToUnit(offset.vertical_um, unit));
}

void TPrinterOffsetsForm::accept() {
  plat::IniFile ini(ini_path_);
  const int code = WritePrinterOffsets(ini, held_, Unit());
  if (code != 0) {
    ShowMessage(this,
                QStringLiteral("Cannot store the printer offsets in %1 (error %2).")
                    .arg(QString::fromStdString(ini_path_))
                    .arg(code),
                MsgType::kError);
    return;
  }
  QDialog::accept();
}

void TPrinterOffsetsForm::CalibrationBtnClick() {
  if (printer_ == nullptr || !Messages().ExecPrintDialog(printer_, this)) return;
  // The page prints with what the dialog holds for the printer chosen.
  SelectPrinter(OffsetPrinterName(*printer_));
  const PrinterOffset offset = Offset();
  const PrintStatus status =
      PrintCalibrationPage(printer_, calibration_, offset, CalibrationCaption(offset));
  if (status.outcome == PrintOutcome::kFailed) ShowMessage(this, status.message, MsgType::kError);
}

QString TPrinterOffsetsForm::CalibrationCaption(const PrinterOffset& offset) const {
  return QStringLiteral(
             "Quillprint calibration page for the printer %1. Horizontal offset %2, vertical "
             "offset %3.\n"
             "The grid is measured from the top-left corner of the paper: a line every 0.1 inch, "
             "a black one every inch; the rulers at the bottom and at the right count millimetres. "
             "The dashed boxes show where each item of the check prints. Lay the page on your "
             "check paper, measure how far the check must move, and enter that in File > Printer "
             "Offsets (to the right and down, or with a minus sign to the left and up).")
      .arg(PrinterBox->currentText(), DistanceText(offset.horizontal_um),
           DistanceText(offset.vertical_um));
}

}  // namespace qp
