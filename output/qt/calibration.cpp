// The calibration page: grid, rulers, the moved check and its item boxes.
//
// Everything is measured in the printer's device pixels from the paper's
// top-left corner, which is what a ruler laid on the sheet measures from;
// the check's own positions stay measured from the printable area, as when
// it is printed.
#include "output/qt/calibration.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPrinter>

#include "output/qt/selectedprinter.h"

namespace qp {

namespace {

constexpr int kLabelPointSize = 7;
constexpr int kCaptionPointSize = 9;
// The grid covers the top of the sheet, where the check is, down to below
// the lowest place the MICR line can be moved to (3 inches down from the
// printable area, one more of offset, and its own height); the caption
// follows. The rest of the sheet stays blank, which spares the toner.
constexpr double kGridInches = 4.5;

int Px(double inches, int ppi) { return static_cast<int>(std::lround(inches * ppi)); }

QPen Pen(const QColor& color, double width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(color, std::max(1.0, width), style);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

// A label of the grid or a ruler, left out where it would cover an item
// of the check.
void DrawLabel(QPainter& painter, const QRect& rect, int flags, const QString& text,
               const std::vector<QRect>& keep_clear) {
  const QRect used = painter.boundingRect(rect, flags, text);
  for (const QRect& box : keep_clear) {
    if (box.intersects(used)) return;
  }
  painter.drawText(rect, flags, text);
}

// Lines every tenth of an inch across the paper, darker every half inch and
// black every inch, with the inch numbered just inside the printable area.
void DrawGrid(QPainter& painter, const QRect& grid, const CalibrationSheet& sheet,
              const PrinterFigures& printer, const std::vector<QRect>& keep_clear) {
  const int px = printer.pixels_per_inch_x;
  const int py = printer.pixels_per_inch_y;
  const QPen tenth = Pen(QColor(190, 190, 190), px / 600.0);
  const QPen half = Pen(QColor(120, 120, 120), px / 400.0);
  const QPen inch = Pen(Qt::black, px / 200.0);
  QFont label(QStringLiteral("Ariel"), kLabelPointSize);
  painter.setFont(label);

  for (int k = 0;; ++k) {
    const int x = grid.left() + Px(k / 10.0, px);
    if (x > grid.right()) break;
    painter.setPen(k % 10 == 0 ? inch : (k % 5 == 0 ? half : tenth));
    painter.drawLine(x, grid.top(), x, grid.bottom());
    if (k % 10 == 0 && k > 0) {
      painter.setPen(Qt::black);
      DrawLabel(painter, QRect(x + px / 50, sheet.printable.top() + py / 50, px, py / 5),
                Qt::AlignLeft | Qt::AlignTop, QString::number(k / 10) + QStringLiteral(" in"),
                keep_clear);
    }
  }
  for (int k = 0;; ++k) {
    const int y = grid.top() + Px(k / 10.0, py);
    if (y > grid.bottom()) break;
    painter.setPen(k % 10 == 0 ? inch : (k % 5 == 0 ? half : tenth));
    painter.drawLine(grid.left(), y, grid.right(), y);
    if (k % 10 == 0 && k > 0) {
      painter.setPen(Qt::black);
      DrawLabel(painter, QRect(sheet.printable.left() + px / 50, y + py / 50, px, py / 5),
                Qt::AlignLeft | Qt::AlignTop, QString::number(k / 10) + QStringLiteral(" in"),
                keep_clear);
    }
  }
}

// Millimetre rulers along the grid's bottom edge and the printable area's
// right edge, also counted from the paper's corner: a tick every
// millimetre, longer every five, numbered every ten.
void DrawMillimetreRulers(QPainter& painter, const QRect& grid, const CalibrationSheet& sheet,
                          const PrinterFigures& printer, const std::vector<QRect>& keep_clear) {
  const int px = printer.pixels_per_inch_x;
  const int py = printer.pixels_per_inch_y;
  painter.setFont(QFont(QStringLiteral("Ariel"), kLabelPointSize));
  const QPen tick = Pen(Qt::black, px / 600.0);
  const auto length = [](int mm, int ppi) {
    return Px(mm % 10 == 0 ? 0.12 : (mm % 5 == 0 ? 0.08 : 0.04), ppi);
  };
  const int bottom = std::min(grid.bottom(), sheet.printable.bottom());
  for (int mm = 1;; ++mm) {
    const int x = grid.left() + Px(mm / 25.4, px);
    if (x > sheet.printable.right()) break;
    if (x < sheet.printable.left()) continue;
    painter.setPen(tick);
    painter.drawLine(x, bottom, x, bottom - length(mm, py));
    if (mm % 10 == 0) {
      DrawLabel(painter, QRect(x - px / 4, bottom - Px(0.3, py), px / 2, Px(0.15, py)),
                Qt::AlignHCenter | Qt::AlignBottom, QString::number(mm / 10) + QStringLiteral(" cm"),
                keep_clear);
    }
  }
  const int right = sheet.printable.right();
  for (int mm = 1;; ++mm) {
    const int y = grid.top() + Px(mm / 25.4, py);
    if (y > bottom) break;
    if (y < sheet.printable.top()) continue;
    painter.setPen(tick);
    painter.drawLine(right, y, right - length(mm, px), y);
    // The corner belongs to the labels of the bottom ruler.
    if (mm % 10 == 0 && y < bottom - Px(0.35, py)) {
      DrawLabel(painter, QRect(right - Px(0.6, px), y - py / 10, Px(0.42, px), py / 5),
                Qt::AlignRight | Qt::AlignVCenter, QString::number(mm / 10) + QStringLiteral(" cm"),
                keep_clear);
    }
  }
}

}  // namespace

std::vector<DrawItem> RenderCalibrationPage(QPainter& painter, const CheckFields& fields,
                                            const PrinterFigures& printer,
                                            const PrinterOffset& offset,
                                            const CalibrationSheet& sheet, const QString& caption) {
  RegisterCheckFonts();
  painter.save();
  std::vector<DrawItem> items =
      LayoutCheck(fields, printer, DeviceTextMeasurer(painter.device()));
  ApplyPrinterOffset(&items, offset, printer);
  std::vector<QRect> boxes;
  for (const DrawItem& item : items) {
    const TextExtent extent = DrawnExtent(item, painter.device(), printer);
    boxes.emplace_back(item.x, item.y, std::max(extent.width, 1), std::max(extent.height, 1));
  }

  QRect grid = sheet.paper;
  grid.setBottom(std::min(sheet.paper.bottom(),
                          sheet.paper.top() + Px(kGridInches, printer.pixels_per_inch_y)));
  DrawGrid(painter, grid, sheet, printer, boxes);
  DrawMillimetreRulers(painter, grid, sheet, printer, boxes);
  painter.setPen(Pen(Qt::black, printer.pixels_per_inch_x / 300.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(sheet.printable.intersected(grid));

  painter.setPen(Pen(Qt::black, printer.pixels_per_inch_x / 300.0, Qt::DashLine));
  for (const QRect& box : boxes) painter.drawRect(box);
  RenderItems(painter, items, printer);

  painter.setPen(Qt::black);
  painter.setFont(QFont(QStringLiteral("Ariel"), kCaptionPointSize));
  const int margin = Px(0.1, printer.pixels_per_inch_x);
  painter.drawText(QRect(margin, grid.bottom() + Px(0.2, printer.pixels_per_inch_y),
                         sheet.printable.width() - 2 * margin, Px(2.0, printer.pixels_per_inch_y)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
  painter.restore();
  return items;
}

PrintStatus PrintCalibrationPage(QPrinter* printer, const CheckFields& fields,
                                 const PrinterOffset& offset, const QString& caption) {
  if (printer == nullptr || !printer->isValid()) {
    return PrintStatus{PrintOutcome::kFailed, QStringLiteral("No printer is available.")};
  }
  PrinterFigures figures = ReadPrinterFigures(*printer);
  if (figures.printable_width <= 0 || figures.pixels_per_inch_x <= 0 ||
      figures.pixels_per_inch_y <= 0) {
    return PrintStatus{PrintOutcome::kFailed,
                       QStringLiteral("The selected printer reports no usable page size or resolution.")};
  }
  TSelectedPrinter job(printer);
  if (!job.IsActive()) return PrintStatus{PrintOutcome::kFailed, job.ErrorText()};
  figures.page_width = job.PageWidth();
  CalibrationSheet sheet;
  sheet.printable = QRect(0, 0, job.PageWidth(), job.PageHeight());
  sheet.paper = QRect(-job.LeftOffset(), -job.TopOffset(),
                      job.LeftOffset() + job.PageWidth() + job.RightMargin(),
                      job.TopOffset() + job.PageHeight() + job.BottomMargin());
  RenderCalibrationPage(*job.Canvas(), fields, figures, offset, sheet, caption);
  if (!job.End()) return PrintStatus{PrintOutcome::kFailed, job.ErrorText()};
  return PrintStatus{PrintOutcome::kPrinted, QString()};
}

}  // namespace qp
