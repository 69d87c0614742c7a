// Reading printed PDFs back with Debian's poppler-utils (scripts/setup.sh
// installs them), for the Qt tests that print.
#ifndef QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_
#define QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_

#include <QFile>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace qptest {

// Runs a poppler tool; false when it is missing or fails.
inline bool RunTool(const QString& tool, const QStringList& args, QByteArray* output = nullptr) {
  const QString path = QStandardPaths::findExecutable(tool);
  if (path.isEmpty()) return false;
  QProcess process;
  process.start(path, args);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return false;
  if (output) *output = process.readAllStandardOutput();
  return true;
}

// The number of pages pdfinfo reports; 0 when it cannot read the file.
inline int PdfPages(const QString& pdf) {
  QByteArray info;
  if (!RunTool("pdfinfo", {pdf}, &info)) return 0;
  return QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(info)).captured(1).toInt();
}

// The text of one page (from 1), or of all when `page` is 0, its runs of
// white space made single blanks.
inline QString PdfText(const QString& pdf, int page = 0) {
  QStringList args;
  if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
  QByteArray text;
  if (!RunTool("pdftotext", args << pdf << "-", &text)) return QString();
  return QString::fromUtf8(text).simplified();
}

struct PdfWord {
  QString text;
  double x = 0;  // the top-left corner, in points
  double y = 0;
};

// The words of a PDF where pdftotext finds them; empty when it cannot.
inline QList<PdfWord> PdfWords(const QString& pdf) {
  QByteArray xml;
  QList<PdfWord> words;
  static const QRegularExpression word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
  if (!RunTool("pdftotext", {"-bbox", pdf, "-"}, &xml)) return words;
  for (const auto& m : word.globalMatch(QString::fromUtf8(xml))) {
    words.append(PdfWord{m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
  }
  return words;
}

// The left end of the first page's lowest band of ink (on a check, the
// MICR line's foot), in pixels at 100 dots per inch; (-1, -1) when the
// page cannot be rendered.
inline QPoint LowestInkCorner(const QString& pdf) {
  if (!RunTool("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, pdf})) return {-1, -1};
  const QImage page(pdf + ".png");
  QPoint corner(page.width(), 8);
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      if (qGray(page.pixel(x, y)) < 128) corner.setY(y);
    }
  }
  for (int y = corner.y() - 8; y <= corner.y(); ++y) {
    for (int x = 0; x < corner.x(); ++x) {
      if (qGray(page.pixel(x, y)) < 128) corner.setX(x);
    }
  }
  return corner;
}

// The PDF's bytes without its creation time, the only part two prints of
// one page may differ in.
inline QByteArray PdfWithoutDate(const QString& pdf) {
  QFile f(pdf);
  QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  const qsizetype at = bytes.indexOf("/CreationDate (D:");
  if (at >= 0) bytes.remove(at, bytes.indexOf(')', at) + 1 - at);
  return bytes;
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_
