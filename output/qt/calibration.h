// The calibration page: a ruler grid measured from the paper's top-left
// corner, with the check drawn over it as the printer offsets place it and
// a box around each of its items. Held against the check paper (or read
// with a ruler) it shows how far the check must move.
//
//   +--------------------------------------------------+  <- paper
//   |  0    1    2    3   inches (lines every 0.1 in)   |
//   |  +--------------------------------------------+  |  <- printable
//   |  | [Payor]           [Bank]          [1001]   |  |     area
//   |  | ...               boxes of the 20 items    |  |
//   |  | [  C1001C A123456789A 987654C  ]           |  |
//   |  | the printer, the offsets used              |  |
//   |  +--------------------------------------------+  |
//   +--------------------------------------------------+
#ifndef QUILLPRINT_OUTPUT_QT_CALIBRATION_H_
#define QUILLPRINT_OUTPUT_QT_CALIBRATION_H_

#include <vector>

#include <QRect>
#include <QString>

#include "output/checklayout.h"
#include "output/printeroffset.h"
#include "output/qt/checkprinter.h"

class QPainter;
class QPrinter;

namespace qp {

// Where the paper lies in the painter's coordinates (the printable area's
// top-left is the origin, so the paper usually starts a little above and
// to the left of it), and the printable area itself.
struct CalibrationSheet {
  QRect paper;
  QRect printable;
};

// Draws the page on an active painter: the grid over the paper, the
// printable area's outline, the check of `fields` moved by `offset` with a
// box around each item, and `caption` (the printer and the offsets) below
// it. Returns the items as drawn (moved).
std::vector<DrawItem> RenderCalibrationPage(QPainter& painter, const CheckFields& fields,
                                            const PrinterFigures& printer,
                                            const PrinterOffset& offset,
                                            const CalibrationSheet& sheet, const QString& caption);

// Prints the page as one job on `printer` as it is set up now; fails as
// PrintCheck does.
PrintStatus PrintCalibrationPage(QPrinter* printer, const CheckFields& fields,
                                 const PrinterOffset& offset, const QString& caption);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_QT_CALIBRATION_H_
