// Reading printed PDFs back with Debian's poppler-utils (scripts/setup.sh
// installs them), for the Qt tests that print.
#ifndef QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_
#define QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_

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

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_PDFTOOLS_H_
