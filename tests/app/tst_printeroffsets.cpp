// Printer offsets as the user meets them: File > Printer Offsets, the
// offsets each printer keeps, the checks printed with them (every item moved
// by the same distance; with none, the very bytes of the plain layout), and
// the calibration page.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "app/mainform.h"
#include "app/printeroffsetsform.h"
#include "appfixture.h"
#include "tests/support/pdftools.h"
#include "controls/entry/datefield.h"
#include "controls/entry/numericfield.h"
#include "output/qt/checkprinter.h"
#include "platform/ini.h"

using qp::TMainForm;
using qp::TPrinterOffsetsForm;
using qptest::RunTool;

namespace {

struct Word {
  QString text;
  double x = 0;
  double y = 0;
};

// The words of a PDF with their top-left corners in points.
QList<Word> PdfWords(const QString& pdf) {
  QByteArray xml;
  QList<Word> words;
  static const QRegularExpression word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
  if (!RunTool("pdftotext", {"-bbox", pdf, "-"}, &xml)) return words;
  for (const auto& m : word.globalMatch(QString::fromUtf8(xml))) {
    words.append(Word{m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
  }
  return words;
}

// The left end of the page's lowest band of ink (the MICR line's foot), in
// pixels at 100 dots per inch.
QPoint MicrCorner(const QString& pdf) {
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
QByteArray Timeless(const QString& pdf) {
  QFile f(pdf);
  QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  const qsizetype at = bytes.indexOf("/CreationDate (D:");
  if (at >= 0) bytes.remove(at, bytes.indexOf(')', at) + 1 - at);
  return bytes;
}

// Fills the form with the sample check and a sound MICR line.
void FillSample(TMainForm& form) {
  const qp::CheckValues& sample = qp::SampleCheck();
  for (const qp::CheckRecordField& f : qp::CheckRecord()) {
    if (f.input == qp::CheckInput::kText) {
      form.findChild<QLineEdit*>(f.edit)->setText(QString::fromStdString(sample.Text(f.name)));
    }
  }
  form.ABANumber->setText("021000021");
  form.AmountNumbers->SetValue(sample.amount);
  form.TransDate->SetDate(QDate(sample.date.year, sample.date.month, sample.date.day));
}

// The check of `form` as the layout alone prints it, on a printer set up
// as the main window's.
QString PrintPlainLayout(TMainForm& form, const QString& pdf) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  return qp::PrintCheck(&printer, form.Fields()).outcome == qp::PrintOutcome::kPrinted ? pdf : QString();
}

void TypeInto(QDoubleSpinBox* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
  box->interpretText();
}

}  // namespace

class TestPrinterOffsets : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  // With no offset for the printer, the page is byte for byte the plain
  // layout's, in print and in nothing else.
  void noOffsetPrintsThePlainLayout_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("nothing stored") << QByteArray();
    QTest::newRow("zeros stored") << QByteArray("[Printer Offsets PDF]\nHorizontal=0 mm\nVertical=-0 mm\n");
    QTest::newRow("another printer moved") << QByteArray("[Printer Offsets Office_Laser]\nHorizontal=3 mm\nVertical=2 mm\n");
  }

  void noOffsetPrintsThePlainLayout() {
    QFETCH(QByteArray, ini);
    QFile f(fx_->Path("quillprint.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(ini) == ini.size());
    f.close();
    TMainForm form;
    FillSample(form);
    PrintTo("check.pdf");
    QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
    QVERIFY(fx_->msgs->messages().empty());
    const QString plain = PrintPlainLayout(form, fx_->Path("plain.pdf"));
    QVERIFY(!plain.isEmpty());
    const QByteArray printed = Timeless(fx_->Path("check.pdf"));
    QVERIFY(printed.startsWith("%PDF-"));
    QVERIFY(printed == Timeless(plain));
  }

  // Offsets set in File > Printer Offsets move every word and the MICR line
  // of the printed check by the same distance.
  void offsetsMoveEveryItem_data() {
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("horizontal");
    QTest::addColumn<QString>("vertical");
    QTest::addColumn<double>("dxInches");
    QTest::addColumn<double>("dyInches");
    // Small enough that the check number stays on the sheet.
    QTest::newRow("inches, right and down") << "Inches" << "0.1" << "0.2" << 0.1 << 0.2;
    QTest::newRow("millimetres, left and up") << "Millimetres" << "-3" << "-1.5" << -3 / 25.4 << -1.5 / 25.4;
    QTest::newRow("only down, by the most there is") << "Inches" << "0" << "1.75" << 0.0 << 1.0;
  }

  void offsetsMoveEveryItem() {
    QFETCH(QString, units);
    QFETCH(QString, horizontal);
    QFETCH(QString, vertical);
    QFETCH(double, dxInches);
    QFETCH(double, dyInches);
    TMainForm form;
    QVERIFY(qptest::ShowActive(&form));
    FillSample(form);
    QTimer::singleShot(50, [&] {
      auto* dialog = qobject_cast<TPrinterOffsetsForm*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QCOMPARE(dialog->PrinterBox->currentText(), QString("Print to File (PDF)"));
      dialog->UnitsBox->setCurrentText(units);
      TypeInto(dialog->HorizontalOffset, horizontal);
      TypeInto(dialog->VerticalOffset, vertical);
      dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    form.PrinterOffsets1->trigger();
    QVERIFY(fx_->msgs->messages().empty());

    const QString moved = PrintTo("moved.pdf");
    QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
    const QString plain = PrintPlainLayout(form, fx_->Path("plain.pdf"));
    const QList<Word> before = PdfWords(plain);
    const QList<Word> after = PdfWords(moved);
    if (before.isEmpty()) QSKIP("poppler-utils not installed");
    QCOMPARE(after.size(), before.size());
    const double pixel = 72.0 / 1200;  // device pixels at 1200 dots per inch: within one of them
    for (int i = 0; i < before.size(); ++i) {
      QCOMPARE(after[i].text, before[i].text);
      QVERIFY2(qAbs(after[i].x - before[i].x - dxInches * 72) <= pixel, qPrintable(after[i].text));
      QVERIFY2(qAbs(after[i].y - before[i].y - dyInches * 72) <= pixel, qPrintable(after[i].text));
    }
    const QPoint micr_moved = MicrCorner(moved) - MicrCorner(plain);
    QVERIFY(qAbs(micr_moved.x() - dxInches * 100) <= 1);
    QVERIFY(qAbs(micr_moved.y() - dyInches * 100) <= 1);
  }

  // Each printer shows and keeps its own offsets; OK stores all that were
  // changed at once, Cancel none.
  void eachPrinterKeepsItsOffsets_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
  }

  void eachPrinterKeepsItsOffsets() {
    QFETCH(bool, ok);
    auto dialog = Dialog("quillprint.ini");
    dialog->UnitsBox->setCurrentText("Millimetres");
    dialog->SelectPrinter("Office_Laser");
    TypeInto(dialog->HorizontalOffset, "1.5");
    TypeInto(dialog->VerticalOffset, "-0.8");
    dialog->SelectPrinter("PDF");
    QCOMPARE(dialog->HorizontalOffset->value(), 0.0);
    TypeInto(dialog->VerticalOffset, "2");
    dialog->SelectPrinter("Office_Laser");
    QCOMPARE(dialog->HorizontalOffset->text(), QString("1.50 mm"));
    QCOMPARE(dialog->VerticalOffset->text(), QString("-0.80 mm"));
    // Another unit shows the same distance, and changes none of it.
    dialog->UnitsBox->setCurrentText("Inches");
    QCOMPARE(dialog->HorizontalOffset->text(), QString("0.059 in"));
    QCOMPARE(dialog->HorizontalOffset->maximum(), 1.0);
    ok ? dialog->accept() : dialog->reject();
    QVERIFY(fx_->msgs->messages().empty());
    const plat::IniFile file(fx_->PathStd("quillprint.ini"));
    for (const auto& [section, key, value] : {std::tuple{"Printer Offsets Office_Laser", "Horizontal", "1.5 mm"},
                                              {"Printer Offsets Office_Laser", "Vertical", "-0.8 mm"},
                                              {"Printer Offsets PDF", "Vertical", "2 mm"},
                                              {"Printer Offsets", "Units", "in"}}) {
      QCOMPARE(file.ReadString(section, key, "<none>"), std::string(ok ? value : "<none>"));
    }
    if (!ok) return;
    // Shown again as stored, in the unit last used.
    auto again = Dialog("quillprint.ini");
    again->SelectPrinter("Office_Laser");
    QCOMPARE(again->UnitsBox->currentText(), QString("Inches"));
    QCOMPARE(again->Offset(), (qp::PrinterOffset{1500, -800}));
  }

  // An INI file that cannot be written keeps the dialog open and says so.
  void failedStoreKeepsTheDialogOpen() {
    auto dialog = Dialog("no-such-folder/quillprint.ini");
    dialog->show();
    TypeInto(dialog->HorizontalOffset, "0.5");
    dialog->accept();
    QCOMPARE(int(fx_->msgs->messages().size()), 1);
    QCOMPARE(fx_->msgs->messages()[0].type, qp::MsgType::kError);
    QVERIFY(fx_->msgs->messages()[0].text.contains("no-such-folder/quillprint.ini"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Offset().horizontal_um, 500);
  }

  // The calibration page goes through the print dialog and shows the check
  // where the offsets the dialog holds (not yet stored) put it.
  void calibrationPage_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("printed") << true;
    QTest::newRow("print dialog cancelled") << false;
  }

  void calibrationPage() {
    QFETCH(bool, accept);
    auto dialog = Dialog("quillprint.ini");
    dialog->UnitsBox->setCurrentText("Inches");
    TypeInto(dialog->HorizontalOffset, "0.05");
    TypeInto(dialog->VerticalOffset, "-0.05");
    const QString pdf = PrintTo("calibration.pdf", accept);
    QTest::mouseClick(dialog->CalibrationBtn, Qt::LeftButton);
    QCOMPARE(fx_->msgs->print_dialogs(), 1);
    QVERIFY(fx_->msgs->messages().empty());
    QCOMPARE(QFileInfo::exists(pdf), accept);
    QVERIFY(!QFileInfo::exists(fx_->Path("quillprint.ini")));
    if (!accept) return;
    QStringList text;
    for (const Word& w : PdfWords(pdf)) text << w.text;
    if (text.isEmpty()) QSKIP("poppler-utils not installed");
    QVERIFY(text.join(' ').contains("calibration page for the printer Print to File (PDF). Horizontal offset "
                                    "+1.27 mm (+0.050 in), vertical offset -1.27 mm (-0.050 in)."));
  }

 private:
  // Every print dialog is answered `accept`, with PDF output to `name`.
  QString PrintTo(const QString& name, bool accept = true) {
    const QString pdf = fx_->Path(name);
    fx_->msgs->print_hook = [pdf, accept](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return accept;
    };
    return pdf;
  }

  std::unique_ptr<TPrinterOffsetsForm> Dialog(const QString& ini) {
    return std::make_unique<TPrinterOffsetsForm>(&printer_, fx_->PathStd(ini), qp::PrintFields(qp::SampleCheck()));
  }

  std::unique_ptr<qptest::AppFixture> fx_;
  QPrinter printer_{QPrinter::HighResolution};
};

QTEST_MAIN(TestPrinterOffsets)
#include "tst_printeroffsets.moc"
