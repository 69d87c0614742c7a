// TSelectedPrinter over QPrinter and QPainter.
//
// Qt has no printer escapes: the printing offset is the printable area's
// top-left inside the paper (pageRect within paperRect, both in device
// pixels) and the physical page size is the paper rectangle. Device and
// logical units are the same under the painter's default transform.
#include "output/qt/selectedprinter.h"

#include <QPainter>
#include <QPrinter>
#include <QRect>

struct TSelectedPrinter::Private {
  QPrinter* printer = nullptr;
  QPainter painter;
  bool active = false;
  bool ended = false;
  QString error;

  int page_width = 0;
  int page_height = 0;
  int left_offset = 0;
  int top_offset = 0;
  int right_margin = 0;
  int bottom_margin = 0;
  int origin_x = 0;
  int origin_y = 0;
  int logical_width = 0;
  int logical_height = 0;
  int pixels_per_inch_x = 0;
  int pixels_per_inch_y = 0;

  void MeasurePage() {
    const QRect paper = printer->paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer->pageRect(QPrinter::DevicePixel).toRect();
    left_offset = page.left() - paper.left();
    top_offset = page.top() - paper.top();
    page_width = page.width();
    page_height = page.height();
    right_margin = paper.width() - left_offset - page_width;
    bottom_margin = paper.height() - top_offset - page_height;
    logical_width = page_width;
    logical_height = page_height;
    origin_x = 0;
    origin_y = 0;
    pixels_per_inch_x = printer->logicalDpiX();
    pixels_per_inch_y = printer->logicalDpiY();
  }
};

TSelectedPrinter::TSelectedPrinter(QPrinter* printer) : d_(std::make_unique<Private>()) {
  d_->printer = printer;
  if (printer == nullptr || !printer->isValid()) {
    d_->error = QStringLiteral("No printer is available.");
    return;
  }
  if (!d_->painter.begin(printer)) {
    // Without any printer Qt falls back to PDF output, which needs a file.
    const QString file = printer->outputFileName();
    const QString name = printer->printerName();
    if (!file.isEmpty()) {
      d_->error = QStringLiteral("The check could not be printed to \"%1\".").arg(file);
    } else if (!name.isEmpty()) {
      d_->error = QStringLiteral("The printer \"%1\" did not accept the print job.").arg(name);
    } else {
      d_->error = QStringLiteral("No printer is available.");
    }
    return;
  }
  d_->active = true;
  d_->MeasurePage();
}

TSelectedPrinter::~TSelectedPrinter() {
  if (d_->active) End();
}

bool TSelectedPrinter::End() {
  if (!d_->active) return d_->ended && d_->error.isEmpty();
  d_->active = false;
  d_->ended = true;
  const bool closed = d_->painter.end();
  if (!closed || d_->printer->printerState() == QPrinter::Error) {
    d_->error = QStringLiteral("The printer reported an error; the check may not have been printed.");
    return false;
  }
  return true;
}

bool TSelectedPrinter::NewPage() {
  if (d_->active && d_->printer->newPage()) return true;
  d_->error = QStringLiteral("The printer refused the next page; the job may be incomplete.");
  return false;
}

bool TSelectedPrinter::IsActive() const { return d_->active; }
const QString& TSelectedPrinter::ErrorText() const { return d_->error; }
QPainter* TSelectedPrinter::Canvas() { return &d_->painter; }

int TSelectedPrinter::PageWidth() const { return d_->page_width; }
int TSelectedPrinter::PageHeight() const { return d_->page_height; }
int TSelectedPrinter::LeftOffset() const { return d_->left_offset; }
int TSelectedPrinter::TopOffset() const { return d_->top_offset; }
int TSelectedPrinter::RightMargin() const { return d_->right_margin; }
int TSelectedPrinter::BottomMargin() const { return d_->bottom_margin; }
int TSelectedPrinter::OriginX() const { return d_->origin_x; }
int TSelectedPrinter::OriginY() const { return d_->origin_y; }
int TSelectedPrinter::LogicalWidth() const { return d_->logical_width; }
int TSelectedPrinter::LogicalHeight() const { return d_->logical_height; }
int TSelectedPrinter::PixelsPerInchX() const { return d_->pixels_per_inch_x; }
int TSelectedPrinter::PixelsPerInchY() const { return d_->pixels_per_inch_y; }
