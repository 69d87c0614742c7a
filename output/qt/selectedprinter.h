// TSelectedPrinter: one print job on a QPrinter and the measures of its page.
//
// Creating it starts the job and measures the page; ending or destroying it
// ends the job, which sends the page to the printer (or writes the PDF).
// All measures are device pixels of the printer:
//
//   paper (physical page)
//   +-------------------------------------------+
//   |  top offset                               |
//   |      +-----------------------------+      |
//   | left |  printable area             | right|
//   |offset|  page width x page height   |margin|
//   |      +-----------------------------+      |
//   |  bottom margin                            |
//   +-------------------------------------------+
//
// The painter's origin is the printable area's top-left corner, which is
// where every position of the check is measured from.
#ifndef QUILLPRINT_OUTPUT_QT_SELECTEDPRINTER_H_
#define QUILLPRINT_OUTPUT_QT_SELECTEDPRINTER_H_

#include <QPainter>
#include <QString>

class QPrinter;

class TSelectedPrinter {
 public:
  // Starts a job on `printer`, which must outlive this object. When the
  // printer is missing or invalid, or refuses the job (a PDF file that cannot
  // be written, a printer that went away), IsActive() is false, ErrorText()
  // says why, nothing reaches the printer and every measure stays 0.
  explicit TSelectedPrinter(QPrinter* printer);
  // Ends a job that is still active; the outcome is lost, so callers that
  // report to the user call End() themselves.
  ~TSelectedPrinter();

  TSelectedPrinter(const TSelectedPrinter&) = delete;
  TSelectedPrinter& operator=(const TSelectedPrinter&) = delete;

  bool IsActive() const { return active_; }
  const QString& ErrorText() const { return error_; }

  // The job's canvas, valid while IsActive().
  QPainter* Canvas() { return &painter_; }

  // Ends the job. True when the printer took the page; false, with
  // ErrorText(), when the job never started or the printer reported an
  // error at its end. A second call returns the first one's result.
  bool End();

  int PageWidth() const { return page_width_; }
  int PageHeight() const { return page_height_; }
  int LeftOffset() const { return left_offset_; }
  int TopOffset() const { return top_offset_; }
  int RightMargin() const { return right_margin_; }
  int BottomMargin() const { return bottom_margin_; }
  int OriginX() const { return origin_x_; }
  int OriginY() const { return origin_y_; }
  int LogicalWidth() const { return logical_width_; }
  int LogicalHeight() const { return logical_height_; }
  int PixelsPerInchX() const { return pixels_per_inch_x_; }
  int PixelsPerInchY() const { return pixels_per_inch_y_; }

 private:
  void MeasurePage();

  QPrinter* printer_;
  QPainter painter_;
  bool active_ = false;
  bool ended_ = false;
  QString error_;

  int page_width_ = 0;
  int page_height_ = 0;
  int left_offset_ = 0;
  int top_offset_ = 0;
  int right_margin_ = 0;
  int bottom_margin_ = 0;
  int origin_x_ = 0;
  int origin_y_ = 0;
  int logical_width_ = 0;
  int logical_height_ = 0;
  int pixels_per_inch_x_ = 0;
  int pixels_per_inch_y_ = 0;
};

#endif  // QUILLPRINT_OUTPUT_QT_SELECTEDPRINTER_H_
