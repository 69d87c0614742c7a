// quill-printsample: prints one sample check on a letter page into a PDF
// file, through the same code as the program's Print command. Used to look
// at the printed check without a printer (docs/printed-check.png is made
// from its output with `pdftoppm -png -r 100`).
//
//   quill-printsample [--outlines] OUTPUT.pdf
//
// --outlines draws the MICR line with our E-13B shapes even when a MICR font
// is installed. Exit status 0 on success, 1 on a print failure, 2 on bad
// arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include "app/checkrecord.h"
#include "output/checklayout.h"
#include "output/qt/checkprinter.h"

int main(int argc, char** argv) {
  bool outlines = false;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--outlines") {
      outlines = true;
    } else if (output.empty() && !arg.empty() && arg[0] != '-') {
      output = arg;
    } else {
      output.clear();
      break;
    }
  }
  if (output.empty()) {
    std::fprintf(stderr, "usage: quill-printsample [--outlines] OUTPUT.pdf\n");
    return 2;
  }
  // A tool run from a terminal without a display still prints.
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(600);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
  printer.setOutputFileName(QString::fromLocal8Bit(output.c_str()));

  const qp::PrintStatus status = qp::PrintCheck(
      &printer, qp::PrintFields(qp::SampleCheck()),
      outlines ? qp::MicrDrawing::kOutlines : qp::MicrDrawing::kFontWhenInstalled);
  if (status.outcome != qp::PrintOutcome::kPrinted) {
    std::fprintf(stderr, "quill-printsample: %s\n", status.message.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
