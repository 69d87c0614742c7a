// TSelectedPrinter over QPrinter and QPainter.
//
// Qt has no printer escapes: the printing offset is the printable area's
// top-left inside the paper (pageRect within paperRect, both in device
// pixels) and the physical page size is the paper rectangle. Device and
// logical units are the same under the painter's default transform.
#include "output/qt/selectedprinter.h"

#include <QPrinter>
#include <QRect>

TSelectedPrinter::TSelectedPrinter(QPrinter* printer) : printer_(printer) {
  if (printer_ == nullptr || !printer_->isValid()) {
    error_ = QStringLiteral("No printer is available.");
    return;
  }
  if (!painter_.begin(printer_)) {
    // Without any printer Qt falls back to PDF output, which needs a file.
    const QString file = printer_->outputFileName();
    const QString name = printer_->printerName();
    if (!file.isEmpty()) {
      error_ = QStringLiteral("The check could not be printed to \"%1\".").arg(file);
    } else if (!name.isEmpty()) {
      error_ = QStringLiteral("The printer \"%1\" did not accept the print job.").arg(name);
    } else {
      error_ = QStringLiteral("No printer is available.");
    }
    return;
  }
  active_ = true;
  MeasurePage();
}

TSelectedPrinter::~TSelectedPrinter() {
  if (active_) End();
}

void TSelectedPrinter::MeasurePage() {
  const QRect paper = printer_->paperRect(QPrinter::DevicePixel).toRect();
  const QRect page = printer_->pageRect(QPrinter::DevicePixel).toRect();
  left_offset_ = page.left() - paper.left();
  top_offset_ = page.top() - paper.top();
  page_width_ = page.width();
  page_height_ = page.height();
  right_margin_ = paper.width() - left_offset_ - page_width_;
  bottom_margin_ = paper.height() - top_offset_ - page_height_;
  logical_width_ = page_width_;
  logical_height_ = page_height_;
  origin_x_ = 0;
  origin_y_ = 0;
  pixels_per_inch_x_ = printer_->logicalDpiX();
  pixels_per_inch_y_ = printer_->logicalDpiY();
}

bool TSelectedPrinter::End() {
  if (!active_) return ended_ && error_.isEmpty();
  active_ = false;
  ended_ = true;
  const bool closed = painter_.end();
  if (!closed || printer_->printerState() == QPrinter::Error) {
    error_ = QStringLiteral("The printer reported an error; the check may not have been printed.");
    return false;
  }
  return true;
}
