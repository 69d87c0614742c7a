// The main window as the user meets it: focus and keys, the amount and its
// words, the close question, the INI file, printing, help; the start-up
// services under it (program folder, halt box, the check date's text); and
// printer offsets: the dialog, what each printer keeps, the checks printed
// with them and the calibration page.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QPrinter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "app/printeroffsetsform.h"
#include "app/startup.h"
#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "controls/entry/numericfield.h"
#include "appfixture.h"
#include "platform/ini.h"
#include "output/qt/checkprinter.h"
#include "platform/qt/help.h"
#include "tests/support/pdftools.h"

using qp::TMainForm;
using qp::TPrinterOffsetsForm;
using qptest::RunTool;
using qptest::ShowActive;

namespace {

// The named field the focus is in (the date field's inner edit counts as it).
QString FocusName() {
  for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
    if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) return w->objectName();
  }
  return "<none>";
}

void Press(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(QApplication::focusWidget(), key, mods); }

void Focus(TMainForm& form, const QString& name) {
  QWidget* w = form.findChild<QWidget*>(name);
  form.Notebook1->setCurrentWidget(w->parentWidget());
  w->setFocus();
}

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

class TestMainForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  // After Enter on a page's last field the focus is on the tabs; a page
  // chosen from there once left it there, so the first value typed was lost
  // and every later one landed a field early. After Save on the check page,
  // Alt+P for the next check once went back to the field last used there.
  void pageChosenFromTheTabsFocusesItsFirstField_data() {
    QTest::addColumn<int>("key");  // Alt+key, or 0: a click on the tab
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("from");  // the field typed in before, "" for the tabs
    QTest::newRow("Alt+B") << int(Qt::Key_B) << 1 << "BankName" << "";
    QTest::newRow("Alt+C") << int(Qt::Key_C) << 2 << "TransDate" << "";
    QTest::newRow("Alt+P, the page shown") << int(Qt::Key_P) << 0 << "FirstEdit" << "";
    QTest::newRow("bank tab clicked") << 0 << 1 << "BankName" << "";
    QTest::newRow("Alt+P from the check number") << int(Qt::Key_P) << 0 << "FirstEdit" << "CheckNumber";
    QTest::newRow("payor tab clicked from the check number") << 0 << 0 << "FirstEdit" << "CheckNumber";
  }

  void pageChosenFromTheTabsFocusesItsFirstField() {
    QFETCH(int, key);
    QFETCH(int, page);
    QFETCH(QString, field);
    QFETCH(QString, from);
    TMainForm form;
    form.TransDate->SetDate(QDate(2001, 2, 3));
    QVERIFY(ShowActive(&form));
    // The first show dates the check today and starts in the first field.
    QCOMPARE(form.TransDate->Date(), QDate::currentDate());
    QCOMPARE(FocusName(), QString("FirstEdit"));
    form.ZipEdit->setFocus();
    Press(Qt::Key_Return);
    QTabBar* tabs = form.Notebook1->tabBar();
    QCOMPARE(QApplication::focusWidget(), tabs);
    if (!from.isEmpty()) Focus(form, from);
    if (key != 0) Press(Qt::Key(key), Qt::AltModifier);
    else QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
    QCOMPARE(form.Notebook1->currentIndex(), page);
    QCOMPARE(FocusName(), field);
    if (auto* edit = form.findChild<QLineEdit*>(field)) {
      QTest::keyClicks(edit, "7");
      QCOMPARE(edit->text(), QString("7"));
    }
  }

  // Alt+H opens the Help menu, not the button too; Alt+X is the Exit button,
  // whose mnemonic clicks it a moment later, as a mouse click would.
  void altKeys() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const auto& [key, popup, boxes] : {std::tuple{Qt::Key_H, "Help1", 0}, {Qt::Key_T, "Tools1", 0},
                                            {Qt::Key_X, "", 1}}) {
      QTest::keyClick(&form, key, Qt::AltModifier);
      QWidget* open = QApplication::activePopupWidget();
      QCOMPARE(open != nullptr ? open->objectName() : QString(), QString(popup));
      if (open != nullptr) open->close();
      QTRY_COMPARE(int(fx_->msgs->messages().size()), boxes);
    }
    QVERIFY(form.isVisible());  // the close question was answered No
  }

  // The words follow the amount the user types, may be edited, and are
  // written anew by the next change the user makes; never by the program's.
  void typingAmountRewritesWords() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    qptest::Type(form, form.AmountNumbers, "1234.56");
    QCOMPARE(form.AmountEnglish->text(), QString("One Thousand Two Hundred Thirty-Four and 56/100"));
    form.AmountEnglish->setFocus();
    form.AmountEnglish->end(false);
    QTest::keyClick(form.AmountEnglish, Qt::Key_Backspace);
    QVERIFY(form.AmountEnglish->isModified());
    form.AmountNumbers->setFocus();
    form.AmountNumbers->setCursorPosition(0);
    QTest::keyClick(form.AmountNumbers, Qt::Key_2);
    const QString words = "Two Thousand Two Hundred Thirty-Four and 56/100";
    QCOMPARE(form.AmountEnglish->text(), words);
    form.AmountNumbers->SetValue(77);
    QCOMPARE(form.AmountEnglish->text(), words);
  }

  void closeAsks_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Exit button, Yes") << "Exit button" << true;
    QTest::newRow("File > Exit, No") << "File > Exit" << false;
    QTest::newRow("title bar close box, Yes") << "title bar close box" << true;
    QTest::newRow("window close, No") << "window close" << false;
  }

  void closeAsks() {
    QFETCH(QString, how);
    QFETCH(bool, yes);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    if (how == "Exit button") QTest::mouseClick(form.ExitBtn, Qt::LeftButton);
    else if (how == "File > Exit") form.Exit1->trigger();
    else if (how == "window close") form.close();
    else QTest::mouseClick(&form, Qt::LeftButton, {}, form.CaptionButtonRect(TMainForm::CaptionButton::kClose).center());
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    const qp::RecordedMessage& box = fx_->msgs->messages().front();
    QCOMPARE(box.text, QString("Exit Quillprint Now?"));
    QCOMPARE(box.type, qp::MsgType::kConfirmation);
    QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
    QCOMPARE(form.isVisible(), !yes);
    QCOMPARE(QFileInfo::exists(fx_->Path("quillprint.ini")), yes);
  }

  void versionTextKeptAndOtherEntriesSurvive() {
    QVERIFY(fx_->Patch("quillprint.ini", 0,
                          "; kept by the office\n[version]\nversion = 2.05 beta\n[Printer]\nTray=2\n"));
    TMainForm form;
    QCOMPARE(form.VersionText(), QString("2.05 beta"));
    qptest::CloseWindow(form, *fx_);
    QVERIFY(fx_->Read("quillprint.ini").startsWith("; kept by the office\n"));
    QVERIFY(fx_->Read("quillprint.ini").contains("[Printer]\nTray=2\n"));
    QCOMPARE(plat::IniFile(fx_->PathStd("quillprint.ini")).ReadString("Version", "Version", "-"), "2.05 beta");
  }

  // The routing number is judged as it is typed, under the field, never in a box.
  void routingNumberCheckedAsTyped() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const auto& [typed, shown] : {std::pair{"0210", "not 9 digits"}, {"021000021", "check digit correct"},
                                       {"021000022", "wrong check digit"}, {"012000021", "wrong check digit"},
                                       {"02100002A", "not 9 digits"}}) {
      qptest::Type(form, form.ABANumber, typed);
      QCOMPARE(form.ABACheck->text(), "Routing number: " + QString(shown));
      QVERIFY(form.ABACheck->isVisible());
    }
    QVERIFY(fx_->msgs->messages().empty());
    QTest::mouseClick(form.ClearCheck, Qt::LeftButton);
    QCOMPARE(form.ABACheck->text(), QString());
  }

  // Print asks first when the bank's reader would misread the MICR line; the
  // user may print anyway, and Save is never held up by it. A printer failure
  // ends in an error box.
  void print_data() {
    QTest::addColumn<QString>("aba");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("yes");      // the answer, when asked; from the menu when not asked
    QTest::addColumn<QString>("file");  // where the print dialog sends the check, "" cancels it
    QTest::addColumn<QStringList>("told");
    QTest::newRow("sound line, from the menu") << "021000021" << "12-345 678" << " 1001 " << true << "check.pdf"
                                               << QStringList{};
    QTest::newRow("dialog cancelled") << "021000021" << "1" << "1" << false << "" << QStringList{};
    QTest::newRow("printer failure") << "021000021" << "1" << "1" << false << "no-such-folder/check.pdf"
                                     << QStringList{};
    QTest::newRow("wrong check digit, No") << "123456789" << "987654" << "1001" << false << "check.pdf"
        << QStringList{"The ABA routing number \"123456789\" has a wrong check digit: it is not a valid routing number."};
    QTest::newRow("short routing number, Yes") << "0210" << "987654" << "1001" << true << "check.pdf"
        << QStringList{"The ABA routing number \"0210\" is not 9 digits."};
    QTest::newRow("no routing number, No") << "" << "987654" << "1001" << false << "check.pdf"
                                           << QStringList{"The ABA routing number is missing."};
    // Letters a MICR font would print as its symbols; characters outside
    // ASCII named whole, each once.
    QTest::newRow("letters, Yes") << "021000021" << "AC-12#" << "N\u00BA 7\u20AC\u00BA" << true << "check.pdf"
        << QStringList{"The account number \"AC-12#\" holds characters the MICR line cannot carry: \"A\", \"C\", \"#\".",
                       "The check number \"N\u00BA 7\u20AC\u00BA\" holds characters the MICR line cannot carry: "
                       "\"N\", \"\u00BA\", \"\u20AC\"."};
  }

  void print() {
    QFETCH(QString, aba);
    QFETCH(QString, account);
    QFETCH(QString, number);
    QFETCH(bool, yes);
    QFETCH(QString, file);
    QFETCH(QStringList, told);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.ABANumber->setText(aba);
    form.AccountNumber->setText(account);
    form.CheckNumber->setText(number);
    form.PayeeNameEdit->setText("Charles Babbage");
    form.PayeeNameEdit->setModified(true);
    const QString pdf = fx_->Path(file);
    fx_->msgs->print_hook = [&](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return !file.isEmpty();
    };
    const bool asked = !told.isEmpty();
    const bool failed = file.contains('/');
    if (asked) fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    if (yes && !asked) form.PrintCheck1->trigger();
    else QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
    QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
    if (failed) QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kError);
    if (asked) {
      const qp::RecordedMessage& box = fx_->msgs->messages().front();
      QCOMPARE(box.type, qp::MsgType::kConfirmation);
      QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
      QCOMPARE(box.text, "The bank may not be able to read this check's MICR line:\n\n" + told.join('\n') +
                             "\n\nPrint the check anyway?");
    }
    // Asked before the print dialog: No shows no dialog either.
    QCOMPARE(fx_->msgs->print_dialogs(), !asked || yes ? 1 : 0);
    const bool printed = !file.isEmpty() && !failed && (!asked || yes);
    QFile out(pdf);
    QCOMPARE(out.open(QIODevice::ReadOnly) && out.read(5) == "%PDF-", printed);
    QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
    QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
    QCOMPARE(form.Checks()->RecCount(), 1);
  }

  void helpAndAbout() {
    QVERIFY(fx_->Patch("quill.hlp", 0, "<html><body><h1>Filling in a check</h1><h1>Saving</h1>"));
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (QAction* open : {static_cast<QAction*>(nullptr), form.Contents1}) {
      if (open) open->trigger();
      else QTest::mouseClick(form.HelpBtn, Qt::LeftButton);
      qp::HelpWindow* viewer = qp::HelpViewer();
      QVERIFY(viewer != nullptr && viewer->isVisible());
      QCOMPARE(viewer->contents()->topLevelItemCount(), 2);
      QCOMPARE(viewer->contents()->topLevelItem(0)->text(0), QString("Filling in a check"));
    }
    QVERIFY(fx_->msgs->messages().empty());
    QString title;
    QTimer::singleShot(50, [&] {
      QWidget* box = QApplication::activeModalWidget();
      title = box ? box->windowTitle() : "<none>";
      if (box) box->close();
    });
    form.About1->trigger();
    QCOMPARE(title, QString("About Quillprint"));
  }

  void chooseProgramFolder_data() {
    QTest::addColumn<QString>("dir");         // --dir: "", "shared" (exists), "nowhere"
    QTest::addColumn<QString>("exe");         // "exe" (writable), or "/proc"
    QTest::addColumn<QString>("data");        // "data" (makeable), or "blocker" (a file)
    QTest::addColumn<QString>("expected");    // the folder chosen, "" for an error
    QTest::newRow("--dir wins") << "shared" << "exe" << "data" << "shared";
    QTest::newRow("--dir naming no folder is refused, nothing made") << "nowhere" << "exe" << "data" << "";
    QTest::newRow("writable program folder") << "" << "exe" << "data" << "exe";
    QTest::newRow("read-only program folder: the data folder, made") << "" << "/proc" << "data" << "data";
    QTest::newRow("nothing writable") << "" << "/proc" << "blocker" << "";
  }

  void chooseProgramFolder() {
    QFETCH(QString, dir);
    QFETCH(QString, exe);
    QFETCH(QString, data);
    QFETCH(QString, expected);
    // /proc takes no files whatever the user (tests may run as root); a
    // regular file where a folder would have to be made cannot become one.
    const QString root = fx_->dir.path() + '/';
    QDir(root).mkpath("shared");
    QDir(root).mkpath("exe");
    QFile(root + "blocker").open(QIODevice::WriteOnly);
    auto in_root = [&](const QString& name) { return name.startsWith('/') ? name : root + name; };
    const QString data_folder = root + data + "/quillprint";
    const qp::FolderChoice choice = qp::ChooseProgramFolder(
        dir.isEmpty() ? QString() : root + dir, (in_root(exe) + '/').toStdString(), data_folder.toStdString());
    const QString want = expected.isEmpty() ? QString()
                         : expected == "data" ? data_folder + '/' : root + expected + '/';
    QCOMPARE(QString::fromStdString(choice.folder), want);
    QCOMPARE(choice.error.isEmpty(), !want.isEmpty());
    QVERIFY(want.isEmpty() || QFileInfo(want).isDir());
    QVERIFY(!QFileInfo::exists(root + "nowhere"));
  }

  void iniAndHelpPaths() {
    for (const auto& [program, ini] : {std::pair{"quillprint.exe", "/f/quillprint.ini"},
                                       {"quill.print.bin", "/f/quill.print.ini"},
                                       {"/opt/q.d/quillprint", "/f/quillprint.ini"},
                                       {".quill", "/f/.quill.ini"}}) {
      QCOMPARE(qp::ProgramIniPath("/f", program), std::string(ini));
    }
    // The program's folder first, once it holds a help file.
    const QString own = fx_->Path(qp::kHelpFileName);
    QFile f(own);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(qp::HelpFilePath(), own);
  }

  void haltBoxShowsReportAndEnds_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("status");
    QTest::newRow("table gone") << 215 << "No database in use [GoTop]  WorkArea = 3"
                                << "Error # 215 (No database in use)\r\nNo database in use [GoTop]" << 215;
    QTest::newRow("code that is a multiple of 256 still fails") << 1280 << "m" << "Error # 1280" << 255;
    QTest::newRow("long text cut") << 2 << QString(400, 'x') << "Error # 2 (File not found)\r\nxxx" << 2;
  }

  void haltBoxShowsReportAndEnds() {
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QString, start);
    QFETCH(int, status);
    vz::SetError(static_cast<uint16_t>(code), message.toStdString());
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    const qp::RecordedMessage& box = fx_->msgs->messages().front();
    QCOMPARE(box.caption, QString("Program halted."));
    QCOMPARE(box.type, qp::MsgType::kStop);
    QCOMPARE(box.buttons, qp::MsgButtons::kOk);
    QVERIFY2(box.text.startsWith(start) && box.text.size() <= 255, qPrintable(box.text));
    QCOMPARE(fx_->exits, std::vector<int>{status});
  }

  // The stored date keeps two year digits whatever the pattern, and reads
  // back within 50 years of the given year (2026); some texts only read.
  void checkDateText_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stored");  // the date is also written as the text
    QTest::newRow("with century keeps two digits") << "MM/dd/yyyy" << QDate(1998, 12, 5) << "12/05/98" << true;
    QTest::newRow("day first") << "dd.MM.yyyy" << QDate(2026, 3, 1) << "01.03.26" << true;
    QTest::newRow("year first") << "yy.MM.dd" << QDate(2031, 11, 30) << "31.11.30" << true;
    QTest::newRow("invalid date") << "MM/dd/yy" << QDate() << "" << true;
    QTest::newRow("blank date") << "MM/dd/yy" << QDate() << "  /  /  " << false;
    QTest::newRow("no such day") << "MM/dd/yy" << QDate() << "02/30/26" << false;
    QTest::newRow("padding blanks") << "MM/dd/yy" << QDate(2003, 1, 2) << "01/02/03 " << false;
  }

  void checkDateText() {
    QFETCH(QString, pattern);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(bool, stored);
    vz::RegionalSettings regional;
    regional.short_date_format = pattern.toStdString();
    vz::ApplyRegionalSettings(regional);
    const qp::CheckDate d = date.isValid() ? qp::CheckDate{date.year(), date.month(), date.day()} : qp::CheckDate{};
    if (stored) QCOMPARE(QString::fromStdString(qp::TableDateText(d)), text);
    const qp::CheckDate read = qp::TableDate(text.toStdString(), 2026);
    QCOMPARE(QDate(read.year, read.month, read.day), date);
  }

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

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
