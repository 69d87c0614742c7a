// The Qt printing path: the job's page measures, printing into a real PDF
// file and where its ink stands, the E-13B shapes at their printed size,
// print failures and cancelling, and the preview. Where the layout puts each
// item is left to the layout's own tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

#include "output/qt/checkprinter.h"
#include "output/qt/micrpainter.h"
#include "output/qt/selectedprinter.h"
#include "samplefields.h"
#include "tests/support/pdftools.h"
#include "tests/support/tempdir.h"

namespace {

// The tests need a QApplication, made once for the whole binary.
class QtEnvironment : public ::testing::Environment {
  void SetUp() override {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("output_qt_tests"), nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }
  std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

using qptest::SampleFields;

// Columns [first, last] with ink in rows [top, bottom); first > last when
// the band is blank.
struct InkSpan {
  int first, last;
  bool blank() const { return first > last; }
};

InkSpan InkInRows(const QImage& image, int top, int bottom) {
  InkSpan span{image.width(), -1};
  for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) span.first = std::min(span.first, x), span.last = std::max(span.last, x);
    }
  }
  return span;
}

class CheckPrintTest : public qptest::TempDirTest {
 protected:
  // A letter page with quarter-inch margins, printed into `name` in the
  // test's folder, whose path it returns.
  QString SetUpPdf(QPrinter* printer, const std::string& name, int dpi = 600) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(dpi);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    printer->setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
    printer->setOutputFileName(QString::fromStdString(Path(name)));
    return printer->outputFileName();
  }
};

// --- TSelectedPrinter ---------------------------------------------------------

// Qt keeps page margins in whole points, so the margins here are whole
// points that are also whole pixels.
TEST_F(CheckPrintTest, SelectedPrinterMeasuresThePageAndEndsTheJobWhenDestroyed) {
  const struct {
    int dpi;
    double left, top, right, bottom;  // margins in inches on a letter page
  } cases[] = {{600, 0.25, 0.5, 0.75, 1.0}, {300, 1.0 / 6, 1.0 / 3, 5.0 / 12, 0.5}, {1200, 0, 0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    QPrinter printer(QPrinter::HighResolution);
    const QString file = SetUpPdf(&printer, "page.pdf", c.dpi);
    printer.setPageMargins(QMarginsF(c.left, c.top, c.right, c.bottom), QPageLayout::Inch);
    const auto px = [&](double inches) { return static_cast<int>(inches * c.dpi + 0.5); };
    const int width = px(8.5 - c.left - c.right), height = px(11.0 - c.top - c.bottom);
    // The figures read before a job agree with the job's own measures.
    const qp::PrinterFigures figures = qp::ReadPrinterFigures(printer);
    EXPECT_EQ(std::vector<int>({figures.printable_width, figures.page_width, figures.pixels_per_inch_x,
                                figures.pixels_per_inch_y}),
              std::vector<int>({width, width, c.dpi, c.dpi}));
    {
      TSelectedPrinter job(&printer);
      ASSERT_TRUE(job.IsActive()) << job.ErrorText().toStdString();
      EXPECT_EQ(std::vector<int>({job.LeftOffset(), job.TopOffset(), job.PageWidth(), job.PageHeight(),
                                  job.RightMargin(), job.BottomMargin(), job.LogicalWidth(), job.LogicalHeight(),
                                  job.OriginX(), job.OriginY(), job.PixelsPerInchX(), job.PixelsPerInchY()}),
                std::vector<int>({px(c.left), px(c.top), width, height, px(c.right), px(c.bottom), width,
                                  height, 0, 0, c.dpi, c.dpi}));
    }
    EXPECT_EQ(qptest::PdfPages(file), 1);
  }
}

// --- printing into a PDF file -------------------------------------------------

// The amount line of the largest amount once ran off the sheet and printed
// "99999" of its figures. It stands 1.5 inch below the printable area's top
// (a quarter-inch margin at 100 dpi: rows from 175) and ends before its
// right edge.
TEST_F(CheckPrintTest, PrintsOneCheckAsAOnePagePdfWithTheLargestAmountWholeAndTheMicrLineInItsBand) {
  QPrinter printer(QPrinter::HighResolution);
  const QString file = SetUpPdf(&printer, "check.pdf");
  const qp::PrintStatus status = qp::PrintCheck(&printer, qptest::LargestAmount());
  ASSERT_EQ(status.outcome, qp::PrintOutcome::kPrinted) << status.message.toStdString();
  EXPECT_TRUE(status.message.isEmpty());
  EXPECT_EQ(qptest::PdfPages(file), 1);
  // Its text (runs of blanks as one) and its page at 100 dpi, as poppler reads them.
  QByteArray bytes;
  ASSERT_TRUE(qptest::RunTool("pdftotext", {"-layout", file, "-"}, &bytes) &&
              qptest::RunTool("pdftoppm", {"-png", "-r", "100", "-singlefile", file, file}))
      << "poppler-utils (scripts/setup.sh) read no " << file.toStdString();
  const QString text = QString::fromUtf8(bytes);
  const QImage page(file + ".png");
  for (const char* expected : {"Ada Lovelace", "Coutts & Co", "1001", "12/05/98",
                               "Pay To the Order of: Charles Babbage", "and 99/100\\s+9999999\\.99",
                               "SIGNATURE NOT REQUIRED", "Customer verbal authorization 12/05/98"}) {
    EXPECT_TRUE(text.contains(QRegularExpression(expected))) << expected << "\n" << text.toStdString();
  }
  const InkSpan line = InkInRows(page, 175, 188);
  ASSERT_FALSE(line.blank());
  EXPECT_LT(line.last, 850 - 25);
  // At 100 dpi with a quarter-inch margin the band starts 325 rows down and
  // the first symbol (after two blanks) 105 + 25 columns in; the check ends
  // with it, the rest of the page is blank.
  const InkSpan band = InkInRows(page, 325, 325 + 12);
  ASSERT_FALSE(band.blank());
  EXPECT_NEAR(band.first, 130, 1);
  EXPECT_TRUE(InkInRows(page, 340, page.height()).blank());
  // Ariel is drawn with Liberation Sans, substituted once however often a job registers it.
  qp::RegisterCheckFonts();
  EXPECT_EQ(QFontInfo(QFont("Ariel", 12)).family(), "Liberation Sans");
  EXPECT_EQ(QFont::substitutes("Ariel").filter("Liberation Sans", Qt::CaseInsensitive).size(), 1);
}

// --- E-13B shapes at their printed size ---------------------------------------

// "0" spans all 7 columns, 0.091 x 0.117 inch; the next character starts one
// pitch (1/8 inch) later, blanks only advance, and across and down follow
// their own resolutions.
TEST(MicrOutlineTest, BoundingBoxFollowsTheE13BGrid) {
  auto box_is = [](const char* text, double dpi_x, double dpi_y, const QRectF& expected) {
    const QRectF box = qp::MicrOutlinePath(text, QPointF(10, 20), dpi_x, dpi_y).boundingRect();
    return (box.topLeft() - expected.topLeft()).manhattanLength() < 1e-6 &&
           (box.bottomRight() - expected.bottomRight()).manhattanLength() < 1e-6;
  };
  EXPECT_TRUE(box_is("0", 600, 600, QRectF(10, 20, 54.6, 70.2)));
  EXPECT_TRUE(box_is("  00", 300, 1200, QRectF(10 + 2 * 37.5, 20, 37.5 + 27.3, 140.4)));
  EXPECT_TRUE(qp::MicrOutlinePath("   ", QPointF(0, 0), 600, 600).isEmpty());
  EXPECT_TRUE(qp::MicrOutlinePath("", QPointF(0, 0), 600, 600).isEmpty());
}

// --- failures, cancelling, preview --------------------------------------------

// No printer, a file that cannot be made, a printer without a resolution
// (which would print with fonts of no size), or none installed at all: a
// failure that writes nothing.
TEST_F(CheckPrintTest, UnusablePrinterIsAFailureAndWritesNothing) {
  TSelectedPrinter job(nullptr);
  EXPECT_FALSE(job.IsActive());
  EXPECT_FALSE(job.ErrorText().isEmpty());
  EXPECT_FALSE(job.End());
  EXPECT_EQ(qp::PrintCheck(nullptr, SampleFields()).outcome, qp::PrintOutcome::kFailed);
  for (const bool zero_resolution : {false, true}) {
    QPrinter printer(QPrinter::HighResolution);
    const std::string file = zero_resolution ? "zero.pdf" : "no-such-folder/check.pdf";
    SetUpPdf(&printer, file);
    if (zero_resolution) printer.setResolution(0);
    const qp::PrintStatus status = qp::PrintCheck(&printer, SampleFields());
    EXPECT_EQ(status.outcome, qp::PrintOutcome::kFailed);
    EXPECT_FALSE(status.message.isEmpty());
    EXPECT_TRUE(zero_resolution || status.message.contains("check.pdf")) << status.message.toStdString();
    EXPECT_FALSE(std::filesystem::exists(Path(file)));
  }
  // A test must never reach a real printer. With none at all Qt offers PDF
  // output without a file to write.
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
  QPrinter printer;
  const qp::PrintStatus status = qp::PrintCheck(&printer, SampleFields());
  EXPECT_EQ(status.outcome, qp::PrintOutcome::kFailed);
  EXPECT_EQ(status.message, "No printer is available.");
}

// The preview draws a page per check and prints nothing; it asks for the offset of
// the printer it draws for, each time it draws.
TEST_F(CheckPrintTest, PreviewShowsAPagePerCheckAndPrintsNothing) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, "preview.pdf");
  std::vector<QString> errors;
  std::vector<const QPrinter*> asked;
  const auto dialog = qp::MakeCheckPreview(
      &printer, {SampleFields(), SampleFields()}, nullptr, [&](const QString& m) { errors.push_back(m); },
      [&](const QPrinter& p) { return asked.push_back(&p), qp::PrinterOffset{1000, 1000}; });
  auto* view = dialog->findChild<QPrintPreviewWidget*>();
  ASSERT_NE(view, nullptr);
  view->updatePreview();
  EXPECT_EQ(view->pageCount(), 2);
  view->updatePreview();
  EXPECT_EQ(asked, (std::vector<const QPrinter*>{&printer, &printer}));
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("preview.pdf")));
}

}  // namespace
