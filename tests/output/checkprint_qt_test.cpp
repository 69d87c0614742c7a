// The Qt printing path: the job's page measures, printing into a real PDF
// file, where the rendered check puts ink, the E-13B shapes at their printed
// size, print failures and cancelling, and the preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "output/checklayout.h"
#include "output/micr.h"
#include "output/qt/checkprinter.h"
#include "output/qt/micrpainter.h"
#include "output/qt/selectedprinter.h"
#include "tests/support/tempdir.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "output_qt_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

qp::CheckFields SampleFields() {
  qp::CheckFields f;
  f.first_name = "Ada";
  f.last_name = "Lovelace";
  f.address = "12 St James's Square";
  f.city = "London";
  f.state = "LN";
  f.zip = "SW1Y";
  f.bank_name = "Coutts & Co";
  f.bank_address = "440 Strand";
  f.bank_city = "London";
  f.bank_zip = "WC2R";
  f.aba_number = "123456789";
  f.account_number = "987654";
  f.check_number = " 1001 ";
  f.date = qp::CheckDate{1998, 12, 5};
  f.payee = "Charles Babbage";
  f.amount_words = "One Hundred Twenty Three and 45/100";
  f.amount_text = "123.45";
  return f;
}

void SetUpPdf(QPrinter* printer, const std::string& file, int dpi = 600) {
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(dpi);
  printer->setPageSize(QPageSize(QPageSize::Letter));
  printer->setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
  printer->setOutputFileName(QString::fromStdString(file));
}

// Runs a poppler tool; false when it is not installed or fails.
bool RunTool(const QString& tool, const QStringList& args, QString* output = nullptr) {
  const QString path = QStandardPaths::findExecutable(tool);
  if (path.isEmpty()) return false;
  QProcess process;
  process.start(path, args);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return false;
  if (output) *output = QString::fromUtf8(process.readAllStandardOutput());
  return true;
}

int PdfPageCount(const std::string& file) {
  QString info;
  if (RunTool("pdfinfo", {QString::fromStdString(file)}, &info)) {
    const std::string text = info.toStdString();
    std::smatch m;
    if (std::regex_search(text, m, std::regex(R"(Pages:\s+(\d+))"))) return std::stoi(m[1]);
    return -1;
  }
  // Without poppler: count page objects, not the page tree ("/Pages").
  const std::string bytes = qptest::ReadAll(file);
  const std::regex page(R"(/Type\s*/Page(?![s]))");
  return static_cast<int>(
      std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

bool IsInk(QRgb pixel) { return qGray(pixel) < 128; }

// Columns [first, last] with ink in rows [top, bottom); first > last when
// the band is blank.
struct InkSpan {
  int first = 0;
  int last = -1;
  bool blank() const { return first > last; }
};

InkSpan InkInRows(const QImage& image, int top, int bottom, int left = 0, int right = -1) {
  if (right < 0) right = image.width();
  InkSpan span{image.width(), -1};
  for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
    for (int x = std::max(0, left); x < std::min(right, image.width()); ++x) {
      if (IsInk(image.pixel(x, y))) {
        span.first = std::min(span.first, x);
        span.last = std::max(span.last, x);
      }
    }
  }
  return span;
}

class CheckPrintTest : public qptest::TempDirTest {};

// --- TSelectedPrinter ---------------------------------------------------------

struct PageCase {
  int dpi;
  double left, top, right, bottom;  // margins in inches on a letter page
};

class SelectedPrinterPageTest : public qptest::TempDirTest,
                                public ::testing::WithParamInterface<PageCase> {};

TEST_P(SelectedPrinterPageTest, MeasuresOffsetsMarginsAndResolution) {
  const PageCase& c = GetParam();
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, Path("page.pdf"), c.dpi);
  printer.setPageMargins(QMarginsF(c.left, c.top, c.right, c.bottom), QPageLayout::Inch);

  const auto px = [&](double inches) { return static_cast<int>(inches * c.dpi + 0.5); };
  TSelectedPrinter job(&printer);
  ASSERT_TRUE(job.IsActive()) << job.ErrorText().toStdString();
  EXPECT_EQ(job.LeftOffset(), px(c.left));
  EXPECT_EQ(job.TopOffset(), px(c.top));
  EXPECT_EQ(job.PageWidth(), px(8.5 - c.left - c.right));
  EXPECT_EQ(job.PageHeight(), px(11.0 - c.top - c.bottom));
  EXPECT_EQ(job.RightMargin(), px(c.right));
  EXPECT_EQ(job.BottomMargin(), px(c.bottom));
  EXPECT_EQ(job.LogicalWidth(), job.PageWidth());
  EXPECT_EQ(job.LogicalHeight(), job.PageHeight());
  EXPECT_EQ(job.OriginX(), 0);
  EXPECT_EQ(job.OriginY(), 0);
  EXPECT_EQ(job.PixelsPerInchX(), c.dpi);
  EXPECT_EQ(job.PixelsPerInchY(), c.dpi);

  // The figures read before a job agree with the job's own measures.
  const qp::PrinterFigures figures = qp::ReadPrinterFigures(printer);
  EXPECT_EQ(figures.printable_width, job.PageWidth());
  EXPECT_EQ(figures.page_width, job.PageWidth());
  EXPECT_EQ(figures.pixels_per_inch_x, c.dpi);
  EXPECT_EQ(figures.pixels_per_inch_y, c.dpi);
  EXPECT_TRUE(job.End());
}

// Qt keeps page margins in whole points, so the margins here are whole
// points that are also whole pixels.
INSTANTIATE_TEST_SUITE_P(Pages, SelectedPrinterPageTest,
                         ::testing::Values(PageCase{600, 0.25, 0.25, 0.25, 0.25},
                                           PageCase{600, 0.25, 0.5, 0.75, 1.0},
                                           PageCase{300, 1.0 / 6, 1.0 / 3, 5.0 / 12, 0.5},
                                           PageCase{1200, 0.0, 0.0, 0.0, 0.0}),
                         [](const ::testing::TestParamInfo<PageCase>& info) {
                           return "Dpi" + std::to_string(info.param.dpi) + "Case" +
                                  std::to_string(info.index);
                         });

TEST_F(CheckPrintTest, SelectedPrinterEndsTheJobWhenDestroyed) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, Path("scoped.pdf"));
  {
    TSelectedPrinter job(&printer);
    ASSERT_TRUE(job.IsActive());
  }
  EXPECT_EQ(PdfPageCount(Path("scoped.pdf")), 1);
}

// --- printing into a PDF file -------------------------------------------------

TEST_F(CheckPrintTest, PrintsOneCheckAsAOnePagePdfWithTheMicrLineInItsBand) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, Path("check.pdf"));
  const qp::PrintStatus status = qp::PrintCheck(&printer, SampleFields());
  ASSERT_EQ(status.outcome, qp::PrintOutcome::kPrinted) << status.message.toStdString();
  EXPECT_TRUE(status.message.isEmpty());
  EXPECT_EQ(PdfPageCount(Path("check.pdf")), 1);

  const QString pdf = QString::fromStdString(Path("check.pdf"));
  const QString prefix = QString::fromStdString(Path("check"));
  QString text;
  if (!RunTool("pdftotext", {"-layout", pdf, "-"}, &text) ||
      !RunTool("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, prefix})) {
    GTEST_SKIP() << "poppler-utils not installed";
  }
  // pdftotext gives runs of blanks as one.
  for (const char* expected : {"Ada Lovelace", "Coutts & Co", "1001", "12/05/98",
                               "Pay To the Order of: Charles Babbage",
                               "The Sum of: One Hundred Twenty Three and 45/100\\s+123\\.45",
                               "SIGNATURE NOT REQUIRED", "Customer verbal authorization 12/05/98"}) {
    EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(expected)))) << expected;
  }
  const QImage page(prefix + ".png");
  ASSERT_FALSE(page.isNull());
  // At 100 dpi with a quarter-inch margin the band starts 325 rows down and
  // the first symbol (after two blanks) 105 + 25 columns in.
  const InkSpan band = InkInRows(page, 325, 325 + 12);
  ASSERT_FALSE(band.blank());
  EXPECT_NEAR(band.first, 130, 1);
  // The check ends with the MICR line: the rest of the page is blank.
  EXPECT_TRUE(InkInRows(page, 340, page.height()).blank());
}

// The amount line of the largest amount once ran off the sheet and printed
// "99999" of its figures.
TEST_F(CheckPrintTest, LargestAmountPrintsItsWholeFiguresInsideThePage) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, Path("large.pdf"));
  qp::CheckFields f = SampleFields();
  f.amount_words = "Nine Million Nine Hundred Ninety-Nine Thousand Nine Hundred Ninety-Nine and 99/100";
  f.amount_text = "9999999.99";
  ASSERT_EQ(qp::PrintCheck(&printer, f).outcome, qp::PrintOutcome::kPrinted);
  const QString pdf = QString::fromStdString(Path("large.pdf"));
  const QString prefix = QString::fromStdString(Path("large"));
  QString text;
  if (!RunTool("pdftotext", {"-layout", pdf, "-"}, &text) ||
      !RunTool("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, prefix})) {
    GTEST_SKIP() << "poppler-utils not installed";
  }
  EXPECT_TRUE(text.contains(QRegularExpression("and 99/100\\s+9999999\\.99"))) << text.toStdString();
  // The line stands 1.5 inch below the printable area's top (a quarter-inch
  // margin at 100 dpi: rows from 175) and ends before its right edge.
  const InkSpan line = InkInRows(QImage(prefix + ".png"), 175, 188);
  ASSERT_FALSE(line.blank());
  EXPECT_LT(line.last, 850 - 25);
}

TEST_F(CheckPrintTest, ArielIsDrawnWithLiberationSans) {
  qp::RegisterCheckFonts();
  qp::RegisterCheckFonts();
  EXPECT_EQ(QFontInfo(QFont("Ariel", 12)).family(), "Liberation Sans");
  const QStringList faces = QFont::substitutes("Ariel");
  EXPECT_EQ(std::count_if(faces.begin(), faces.end(),
                          [](const QString& f) {
                            return f.compare("Liberation Sans", Qt::CaseInsensitive) == 0;
                          }),
            1);
}

// --- rendering into an image --------------------------------------------------

// The check rendered at 300 dpi into an image wider than the printable
// width, so that text running past the right edge would show.
class RenderedCheckTest : public ::testing::Test {
 protected:
  static constexpr int kDpi = 300;
  void SetUp() override {
    figures_ = qp::PrinterFigures{2400, 2400, kDpi, kDpi};
    image_ = QImage(2700, 1300, QImage::Format_RGB32);
    const int dots_per_meter = qRound(kDpi / 0.0254);
    image_.setDotsPerMeterX(dots_per_meter);
    image_.setDotsPerMeterY(dots_per_meter);
    image_.fill(Qt::white);
    QPainter painter(&image_);
    items_ = qp::RenderCheck(painter, SampleFields(), figures_, qp::MicrDrawing::kOutlines);
    const qp::TextMeasurer measure = qp::DeviceTextMeasurer(&image_);
    h12_ = measure("Wg", "Ariel", 12, false).height;
    h14_ = measure("Wg", "Ariel", 14, false).height;
    h8_ = measure("Wg", "Ariel", 8, false).height;
  }

  qp::PrinterFigures figures_;
  QImage image_;
  std::vector<qp::DrawItem> items_;
  int h12_ = 0, h14_ = 0, h8_ = 0;
};

TEST_F(RenderedCheckTest, MicrLineFillsItsBandFromTheThirdCell) {
  ASSERT_EQ(items_.size(), 20u);
  const qp::DrawItem& micr = items_[19];
  ASSERT_EQ(micr.y, 900);
  const int band_height = static_cast<int>(qp::kMicrCharacterHeightInches * kDpi);  // 35
  const InkSpan band = InkInRows(image_, micr.y, micr.y + band_height);
  ASSERT_FALSE(band.blank());
  // Two blanks, then the on-us symbol; the last character is on-us too.
  const double pitch = qp::kMicrPitchInches * kDpi;
  const double square = qp::kMicrModuleInches * kDpi;
  int on_us_right = 0;
  for (const qp::MicrRect& r : qp::MicrGlyph('C')) on_us_right = std::max(on_us_right, r.x + r.width);
  EXPECT_NEAR(band.first, micr.x + 2 * pitch, 1.0);
  EXPECT_NEAR(band.last, micr.x + (micr.text.size() - 1) * pitch + on_us_right * square, 1.5);
  // Every cell with a shape has ink, every blank cell has none.
  for (size_t i = 0; i < micr.text.size(); ++i) {
    const int left = static_cast<int>(micr.x + i * pitch) + 1;
    const InkSpan cell = InkInRows(image_, micr.y, micr.y + band_height, left,
                                   static_cast<int>(left + pitch) - 2);
    EXPECT_EQ(cell.blank(), micr.text[i] == ' ') << "cell " << i;
  }
  // Nothing under the band.
  EXPECT_TRUE(InkInRows(image_, micr.y + band_height + 1, image_.height()).blank());
}

// The payee line has ink where it starts and the check number ends at the
// printable width; the gaps between the blocks of text stay white.
TEST_F(RenderedCheckTest, TextStandsWhereTheLayoutSays) {
  const qp::DrawItem& payee = items_[8];
  const qp::DrawItem& sum = items_[9];
  const InkSpan line = InkInRows(image_, payee.y, payee.y + h12_);
  ASSERT_FALSE(line.blank());
  EXPECT_NEAR(line.first, payee.x, 0.02 * kDpi);
  EXPECT_TRUE(InkInRows(image_, payee.y + h12_, sum.y).blank());
  EXPECT_TRUE(InkInRows(image_, sum.y + h12_, items_[14].y).blank());
  const int lowest_text = std::max(items_[13].y, items_[18].y) + h8_;
  EXPECT_TRUE(InkInRows(image_, lowest_text, items_[19].y).blank());

  const qp::DrawItem& number = items_[6];
  const InkSpan span = InkInRows(image_, number.y, number.y + h14_, figures_.page_width / 2);
  ASSERT_FALSE(span.blank());
  EXPECT_LT(span.last, figures_.printable_width);
  EXPECT_GE(span.last, figures_.printable_width - static_cast<int>(0.03 * kDpi));
}

TEST_F(RenderedCheckTest, FontsScaleWithTheDeviceResolution) {
  QImage fine(10, 10, QImage::Format_RGB32);
  fine.setDotsPerMeterX(qRound(600 / 0.0254));
  fine.setDotsPerMeterY(qRound(600 / 0.0254));
  const int fine_height = qp::DeviceTextMeasurer(&fine)("Wg", "Ariel", 12, false).height;
  EXPECT_NEAR(fine_height, 2 * h12_, 2);
  // 12 point is 1/6 inch; a line is a little more than that.
  EXPECT_GE(h12_, kDpi / 6);
  EXPECT_LE(h12_, kDpi / 4);
}

// --- E-13B shapes at their printed size ---------------------------------------

struct OutlineCase {
  const char* text;
  double dpi_x, dpi_y;
  double left, width, height;  // expected bounding box, device pixels
};

class MicrOutlineSizeTest : public ::testing::TestWithParam<OutlineCase> {};

TEST_P(MicrOutlineSizeTest, BoundingBoxFollowsTheE13BGrid) {
  const OutlineCase& c = GetParam();
  const QRectF box = qp::MicrOutlinePath(c.text, QPointF(10, 20), c.dpi_x, c.dpi_y).boundingRect();
  EXPECT_NEAR(box.left(), 10 + c.left, 1e-6);
  EXPECT_NEAR(box.top(), 20, 1e-6);
  EXPECT_NEAR(box.width(), c.width, 1e-6);
  EXPECT_NEAR(box.height(), c.height, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MicrOutlineSizeTest,
    ::testing::Values(
        // "0" spans all 7 columns: 0.091 x 0.117 inch.
        OutlineCase{"0", 600, 600, 0, 54.6, 70.2},
        // The second character starts one pitch (1/8 inch) later.
        OutlineCase{"00", 600, 600, 0, 75 + 54.6, 70.2},
        // Blanks only advance.
        OutlineCase{"  0", 600, 600, 150, 54.6, 70.2},
        // Across and down follow their own resolutions.
        OutlineCase{"00", 300, 1200, 0, 37.5 + 27.3, 140.4}),
    [](const ::testing::TestParamInfo<OutlineCase>& info) {
      return "Case" + std::to_string(info.index);
    });

TEST(MicrOutlineTest, BlankTextDrawsNothing) {
  EXPECT_TRUE(qp::MicrOutlinePath("   ", QPointF(0, 0), 600, 600).isEmpty());
  EXPECT_TRUE(qp::MicrOutlinePath("", QPointF(0, 0), 600, 600).isEmpty());
}

// --- failures, cancelling, preview --------------------------------------------

// A file that cannot be made, or a printer without a resolution (which
// would print with fonts of no size), is a failure that writes nothing.
TEST_F(CheckPrintTest, UnusablePrinterIsAFailureAndWritesNothing) {
  for (const bool zero_resolution : {false, true}) {
    QPrinter printer(QPrinter::HighResolution);
    const std::string file = Path(zero_resolution ? "zero.pdf" : "no-such-folder/check.pdf");
    SetUpPdf(&printer, file);
    if (zero_resolution) printer.setResolution(0);
    const qp::PrintStatus status = qp::PrintCheck(&printer, SampleFields());
    EXPECT_EQ(status.outcome, qp::PrintOutcome::kFailed);
    EXPECT_FALSE(status.message.isEmpty());
    if (!zero_resolution) {
      EXPECT_TRUE(status.message.contains("check.pdf")) << status.message.toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(file));
  }
}

TEST_F(CheckPrintTest, MissingPrinterIsAFailure) {
  TSelectedPrinter job(nullptr);
  EXPECT_FALSE(job.IsActive());
  EXPECT_FALSE(job.ErrorText().isEmpty());
  EXPECT_EQ(job.PageWidth(), 0);
  EXPECT_FALSE(job.End());
  EXPECT_EQ(qp::PrintCheck(nullptr, SampleFields()).outcome, qp::PrintOutcome::kFailed);
  // A test must never reach a real printer.
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
  // With no printer at all Qt offers PDF output without a file to write.
  QPrinter printer;
  const qp::PrintStatus status = qp::PrintCheck(&printer, SampleFields());
  EXPECT_EQ(status.outcome, qp::PrintOutcome::kFailed);
  EXPECT_EQ(status.message, "No printer is available.");
}

// The setup step is asked once about the job's printer: cancelled, nothing
// is printed anywhere; confirmed, the check goes where the step chose.
TEST_F(CheckPrintTest, SetupStepDecidesWhetherAndWhereTheCheckPrints) {
  for (const bool confirm : {false, true}) {
    SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(&printer, Path("first.pdf"));
    int asked = 0;
    const qp::PrintStatus status = qp::PrintCheckWithSetup(&printer, SampleFields(), [&](QPrinter* p) {
      EXPECT_EQ(p, &printer);
      ++asked;
      p->setOutputFileName(QString::fromStdString(Path("chosen.pdf")));
      return confirm;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(status.outcome, confirm ? qp::PrintOutcome::kPrinted : qp::PrintOutcome::kCancelled);
    EXPECT_TRUE(status.message.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(Path("first.pdf")));
    EXPECT_EQ(std::filesystem::exists(Path("chosen.pdf")), confirm);
    if (confirm) {
      EXPECT_EQ(PdfPageCount(Path("chosen.pdf")), 1);
    }
  }
}

// The preview asks for the offset of the printer it draws for, each time
// it draws.
TEST_F(CheckPrintTest, PreviewShowsOnePageAndPrintsNothing) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdf(&printer, Path("preview.pdf"));
  std::vector<QString> errors;
  std::vector<const QPrinter*> asked;
  std::unique_ptr<QPrintPreviewDialog> dialog = qp::MakeCheckPreview(
      &printer, SampleFields(), nullptr, [&](const QString& m) { errors.push_back(m); },
      [&](const QPrinter& p) {
        asked.push_back(&p);
        return qp::PrinterOffset{1000, 1000};
      });
  auto* view = dialog->findChild<QPrintPreviewWidget*>();
  ASSERT_NE(view, nullptr);
  view->updatePreview();
  EXPECT_EQ(view->pageCount(), 1);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("preview.pdf")));
  view->updatePreview();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], &printer);
}

}  // namespace
