// Check printing: fonts, measuring, rendering and the print job.
#include "output/qt/checkprinter.h"

#include <utility>

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRect>

#include "output/micr.h"
#include "output/qt/micrpainter.h"
#include "output/qt/selectedprinter.h"

namespace qp {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont CheckFont(std::string_view family, int point_size, bool bold) {
  QFont font(FromUtf8(family));
  font.setPointSize(point_size);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  return font;
}

bool IsMicrItem(const DrawItem& item) { return item.family == kCheckMicrFont; }

bool Usable(const PrinterFigures& f) {
  return f.printable_width > 0 && f.page_width > 0 && f.pixels_per_inch_x > 0 &&
         f.pixels_per_inch_y > 0;
}

PrintStatus Failed(QString message) { return PrintStatus{PrintOutcome::kFailed, std::move(message)}; }

}  // namespace

void RegisterCheckFonts() {
  // A substitution by "Arial" would do nothing here: on Linux Arial is only
  // a fontconfig alias, which Qt's own substitution table does not follow.
  // Qt keeps each substitute once, so calling this again changes nothing.
  QFont::insertSubstitution(FromUtf8(kCheckBaseFont), QStringLiteral("Liberation Sans"));
}

PrinterFigures ReadPrinterFigures(const QPrinter& printer) {
  const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
  PrinterFigures figures;
  figures.printable_width = page.width();
  figures.page_width = page.width();
  figures.pixels_per_inch_x = printer.logicalDpiX();
  figures.pixels_per_inch_y = printer.logicalDpiY();
  return figures;
}

TextMeasurer DeviceTextMeasurer(const QPaintDevice* device) {
  return [device](std::string_view text, std::string_view family, int point_size, bool bold) {
    const QFontMetrics metrics(CheckFont(family, point_size, bold), device);
    const QString qtext = FromUtf8(text);
    return TextExtent{metrics.horizontalAdvance(qtext), metrics.height()};
  };
}

void RenderItems(QPainter& painter, const std::vector<DrawItem>& items,
                 const PrinterFigures& printer, MicrDrawing micr) {
  RegisterCheckFonts();
  const bool micr_font = micr == MicrDrawing::kFontWhenInstalled && MicrFontInstalled();
  painter.save();
  painter.setPen(Qt::black);
  for (const DrawItem& item : items) {
    if (IsMicrItem(item) && !micr_font) {
      DrawMicrOutlines(painter, item.text, QPointF(item.x, item.y), printer.pixels_per_inch_x,
                       printer.pixels_per_inch_y);
      continue;
    }
    const QFont font = CheckFont(item.family, item.point_size, item.bold);
    painter.setFont(font);
    // Items are placed by their top; Qt draws text on its baseline.
    const QFontMetrics metrics(font, painter.device());
    painter.drawText(QPoint(item.x, item.y + metrics.ascent()), FromUtf8(item.text));
  }
  painter.restore();
}

std::vector<DrawItem> RenderCheck(QPainter& painter, const CheckFields& fields,
                                  const PrinterFigures& printer, MicrDrawing micr,
                                  const PrinterOffset& offset) {
  RegisterCheckFonts();
  std::vector<DrawItem> items = LayoutCheck(fields, printer, DeviceTextMeasurer(painter.device()));
  ApplyPrinterOffset(&items, offset, printer);
  RenderItems(painter, items, printer, micr);
  return items;
}

TextExtent DrawnExtent(const DrawItem& item, const QPaintDevice* device,
                       const PrinterFigures& printer) {
  if (IsMicrItem(item) && !MicrFontInstalled()) {
    const double cells = static_cast<double>(item.text.size()) * kMicrPitchInches;
    return TextExtent{static_cast<int>(cells * printer.pixels_per_inch_x),
                      static_cast<int>(kMicrCharacterHeightInches * printer.pixels_per_inch_y)};
  }
  return DeviceTextMeasurer(device)(item.text, item.family, item.point_size, item.bold);
}

QString OffsetPrinterName(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat || printer.printerName().isEmpty()) {
    return QLatin1String(kPdfOffsetPrinterName);
  }
  return printer.printerName();
}

PrintStatus PrintChecks(QPrinter* printer, const std::vector<CheckFields>& checks, MicrDrawing micr,
                        const PrinterOffset& offset) {
  if (checks.empty()) return Failed(QStringLiteral("There is no check to print."));
  if (printer == nullptr || !printer->isValid()) return Failed(QStringLiteral("No printer is available."));
  RegisterCheckFonts();
  PrinterFigures figures = ReadPrinterFigures(*printer);
  if (!Usable(figures)) {
    return Failed(QStringLiteral("The selected printer reports no usable page size or resolution."));
  }

  TSelectedPrinter job(printer);
  if (!job.IsActive()) return Failed(job.ErrorText());
  // The job's own page measure is the page width the layout divides.
  figures.page_width = job.PageWidth();
  for (size_t i = 0; i < checks.size(); ++i) {
    if (i > 0 && !job.NewPage()) return Failed(job.ErrorText());
    RenderCheck(*job.Canvas(), checks[i], figures, micr, offset);
  }
  if (!job.End()) return Failed(job.ErrorText());
  return PrintStatus{PrintOutcome::kPrinted, QString()};
}

PrintStatus PrintCheck(QPrinter* printer, const CheckFields& fields, MicrDrawing micr,
                       const PrinterOffset& offset) {
  return PrintChecks(printer, std::vector<CheckFields>{fields}, micr, offset);
}

std::unique_ptr<QPrintPreviewDialog> MakeCheckPreview(QPrinter* printer, std::vector<CheckFields> checks,
                                                      QWidget* parent, PrintErrorSink on_error,
                                                      OffsetLookup offsets) {
  auto dialog = std::make_unique<QPrintPreviewDialog>(printer, parent);
  // The fields are kept: the preview shows, and prints, the checks as they
  // were when the preview was opened. The offset is looked up for each
  // page, since the preview's own Print button may choose another printer.
  QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested, dialog.get(),
                   [checks = std::move(checks), on_error = std::move(on_error),
                    offsets = std::move(offsets)](QPrinter* target) {
                     const PrinterOffset offset = offsets ? offsets(*target) : PrinterOffset{};
                     const PrintStatus status =
                         PrintChecks(target, checks, MicrDrawing::kFontWhenInstalled, offset);
                     if (status.outcome == PrintOutcome::kFailed && on_error) on_error(status.message);
                   });
  return dialog;
}

int PreviewChecks(QPrinter* printer, std::vector<CheckFields> checks, QWidget* parent,
                  PrintErrorSink on_error, OffsetLookup offsets) {
  std::unique_ptr<QPrintPreviewDialog> dialog =
      MakeCheckPreview(printer, std::move(checks), parent, std::move(on_error), std::move(offsets));
  return dialog->exec();
}

}  // namespace qp
