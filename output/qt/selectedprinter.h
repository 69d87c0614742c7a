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

#include <memory>

#include <QString>

class QPainter;
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

  bool IsActive() const;
  // Why the job did not start or did not end well; empty otherwise.
  const QString& ErrorText() const;

  // The job's canvas, valid while IsActive().
  QPainter* Canvas();

  // Starts the next page of the job; false (with ErrorText()) when the job
  // is not active or the printer refuses the page.
  bool NewPage();
  // Ends the job. True when the printer took the page; false, with
  // ErrorText(), when the job never started or the printer reported an
  // error at its end. A second call returns the first one's result.
  bool End();

  int PageWidth() const;
  int PageHeight() const;
  int LeftOffset() const;
  int TopOffset() const;
  int RightMargin() const;
  int BottomMargin() const;
  int OriginX() const;  // always 0
  int OriginY() const;  // always 0
  int LogicalWidth() const;
  int LogicalHeight() const;
  int PixelsPerInchX() const;
  int PixelsPerInchY() const;

 private:
  struct Private;
  std::unique_ptr<Private> d_;
};

#endif  // QUILLPRINT_OUTPUT_QT_SELECTEDPRINTER_H_
