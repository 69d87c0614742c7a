// Printing checks through Qt: rendering the layout's draw items on any
// painter, printing checks as one print job (one check per page), and a
// print preview that draws the very same pages.
//
// How the windows use it (the main window for the check in the form, the
// table window for the checks chosen in its grid):
//
//   Print:    Messages().ExecPrintDialog(printer, window), then
//             qp::PrintStatus s = qp::PrintChecks(printer, checks, micr, offset);
//             kFailed: s.message goes into an error box.
//   Preview:  qp::PreviewChecks(printer, checks, window, on_error, offsets);
//
// A cancelled dialog prints nothing; a printer that fails is reported, never
// turned into a blank page reported as printed.
#ifndef QUILLPRINT_OUTPUT_QT_CHECKPRINTER_H_
#define QUILLPRINT_OUTPUT_QT_CHECKPRINTER_H_

#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "output/checklayout.h"
#include "output/printeroffset.h"

class QPaintDevice;
class QPainter;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace qp {

// Registers the font substitution the check needs: "Ariel" is drawn with
// "Liberation Sans" (Debian's fonts-liberation, metric-compatible with
// Arial). Safe to call more than once; the printing functions call it.
void RegisterCheckFonts();

// The figures the layout needs, read from the printer before each job:
// printable width and page width are the printable area's width in device
// pixels, pixels per inch the printer's resolution.
PrinterFigures ReadPrinterFigures(const QPrinter& printer);

// Measures texts in device pixels of `device` (width by advance, height as
// the font's line height), for LayoutCheck.
TextMeasurer DeviceTextMeasurer(const QPaintDevice* device);

// How the MICR line is drawn: with the MICR font when it is installed (and
// the E-13B shapes otherwise), or always with the shapes.
enum class MicrDrawing { kFontWhenInstalled, kOutlines };

// Draws `items` on an active painter whose origin is the printable area's
// top-left and whose device has the resolution `printer` describes (a
// QPrinter, or a QImage with that many dots per inch).
void RenderItems(QPainter& painter, const std::vector<DrawItem>& items,
                 const PrinterFigures& printer, MicrDrawing micr = MicrDrawing::kFontWhenInstalled);

// Lays out and draws one check on an active painter (see RenderItems),
// every item moved by `offset`; returns the items drawn.
std::vector<DrawItem> RenderCheck(QPainter& painter, const CheckFields& fields,
                                  const PrinterFigures& printer,
                                  MicrDrawing micr = MicrDrawing::kFontWhenInstalled,
                                  const PrinterOffset& offset = {});

// The size of each item as RenderItems draws it, in device pixels: a text's
// advance and line height in its font; the MICR line's cells and the E-13B
// height, or its font's measures when the font is installed.
TextExtent DrawnExtent(const DrawItem& item, const QPaintDevice* device,
                       const PrinterFigures& printer);

// The name a printer's offsets are stored under: the printer's own name,
// or "PDF" for PDF output.
QString OffsetPrinterName(const QPrinter& printer);
inline constexpr char kPdfOffsetPrinterName[] = "PDF";

// Gives the offset to use for the printer about to print.
using OffsetLookup = std::function<PrinterOffset(const QPrinter& printer)>;

enum class PrintOutcome {
  kPrinted,    // the printer took the page
  kCancelled,  // the user cancelled the print dialog; nothing was printed
  kFailed,     // nothing, or nothing reliable, was printed; see message
};

struct PrintStatus {
  PrintOutcome outcome = PrintOutcome::kFailed;
  QString message;  // for the error box when kFailed, empty otherwise
};

// Prints the checks as one job on `printer` as it is set up now (a real
// printer, or PDF output with an output file name), one check per page in
// the order given. Fails without sending anything when there is no check,
// when the printer is missing or invalid, reports no page or resolution, or
// refuses the job; fails after the pages when a new page is refused or the
// printer reports an error at the end of the job. Every item is moved by
// `offset`; with a zero offset each page is exactly the layout's.
PrintStatus PrintChecks(QPrinter* printer, const std::vector<CheckFields>& checks,
                        MicrDrawing micr = MicrDrawing::kFontWhenInstalled, const PrinterOffset& offset = {});
// One check as one job.
PrintStatus PrintCheck(QPrinter* printer, const CheckFields& fields,
                       MicrDrawing micr = MicrDrawing::kFontWhenInstalled,
                       const PrinterOffset& offset = {});

// Receives the message of a failed print started from the preview window.
using PrintErrorSink = std::function<void(const QString& message)>;

// A print preview dialog on `printer` showing the checks as they are now,
// one per page; its own Print button prints the same pages through PrintChecks and
// hands a failure to `on_error`. Each page, shown or printed, is moved by
// the offset `offsets` gives for its printer (none when it is empty). The
// caller shows it (exec()) and owns it.
std::unique_ptr<QPrintPreviewDialog> MakeCheckPreview(QPrinter* printer, std::vector<CheckFields> checks,
                                                      QWidget* parent, PrintErrorSink on_error,
                                                      OffsetLookup offsets = {});

// MakeCheckPreview shown modally; returns the dialog's result.
int PreviewChecks(QPrinter* printer, std::vector<CheckFields> checks, QWidget* parent,
                  PrintErrorSink on_error, OffsetLookup offsets = {});

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_QT_CHECKPRINTER_H_
