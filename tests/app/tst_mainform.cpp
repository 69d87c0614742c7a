// The main window as the user meets it: focus and keys, the amount and its
// words, closing, the INI file, printing and printer offsets, help; and the
// start-up services under it.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/printeroffsetsform.h"
#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "appfixture.h"
#include "platform/ini.h"
#include "output/qt/checkprinter.h"
#include "platform/qt/help.h"
#include "tests/support/pdftools.h"

using qp::TMainForm;
using qp::TPrinterOffsetsForm;
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
  void init() { qptest::Renew(fx_); }
  void cleanup() { fx_.reset(); }

  // After Enter on a page's last field the focus is on the tabs; a page
  // chosen from there once left it there, so the first value typed was lost
  // and every later one landed a field early. After Save on the check page,
  // Alt+P for the next check once went back to the field last used there.
  void pageChosenFromTheTabsFocusesItsFirstField() {
    // Alt+key or, with 0, a click on the tab; the field typed in before, "" for the tabs.
    const struct { Qt::Key key; int page; const char *field, *from; } cases[] = {
        {Qt::Key_B, 1, "BankName", ""}, {Qt::Key_C, 2, "TransDate", ""}, {Qt::Key_P, 0, "FirstEdit", ""},
        {Qt::Key(0), 1, "BankName", ""}, {Qt::Key_P, 0, "FirstEdit", "CheckNumber"},
        {Qt::Key(0), 0, "FirstEdit", "CheckNumber"}};
    for (const auto& c : cases) {
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
      if (*c.from != 0) qptest::Type(form, form.findChild<QWidget*>(c.from), "");
      if (c.key != 0) Press(c.key, Qt::AltModifier);
      else QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(c.page).center());
      QCOMPARE(form.Notebook1->currentIndex(), c.page);
      QCOMPARE(FocusName(), QString(c.field));
      if (auto* edit = form.findChild<QLineEdit*>(c.field)) {
        QTest::keyClicks(edit, "7");
        QCOMPARE(edit->text(), QString("7"));
      } else {  // Enter walks the check page in its own order, not the fields' places
        for (const char* next : {"AmountNumbers", "PayeeNameEdit", "AmountEnglish", "CheckNumber"}) {
          Press(Qt::Key_Return);
          QCOMPARE(FocusName(), QString(next));
        }
      }
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
    qptest::Type(form, form.AmountEnglish, "Paid in full");
    QVERIFY(form.AmountEnglish->isModified());
    form.AmountNumbers->setFocus();
    form.AmountNumbers->setCursorPosition(0);
    QTest::keyClick(form.AmountNumbers, Qt::Key_2);
    const QString words = "Two Thousand Two Hundred Thirty-Four and 56/100";
    QCOMPARE(form.AmountEnglish->text(), words);
    form.AmountNumbers->SetValue(77);
    QCOMPARE(form.AmountEnglish->text(), words);
  }

  // Every way out asks first; Yes writes the INI file, keeping the version
  // text and whatever else the office put in it.
  void closeAsksAndWritesTheIni() {
    const std::string office = "; kept by the office\n[version]\nversion = 2.05 beta\n[Printer]\nTray=2\n";
    for (const auto& [how, yes, kept] : {std::tuple{"Exit button", true, false}, {"File > Exit", false, true},
                                         {"title bar close box", true, true}, {"window close", false, false}}) {
      qptest::Renew(fx_);
      if (kept) QVERIFY(fx_->Patch("quillprint.ini", 0, office));
      TMainForm form;
      QVERIFY(ShowActive(&form));
      if (kept) QCOMPARE(form.VersionText(), QString("2.05 beta"));
      fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
      const QString way(how);
      if (way == "Exit button") QTest::mouseClick(form.ExitBtn, Qt::LeftButton);
      else if (way == "File > Exit") form.Exit1->trigger();
      else if (way == "window close") form.close();
      else QTest::mouseClick(&form, Qt::LeftButton, {},
                             form.CaptionButtonRect(TMainForm::CaptionButton::kClose).center());
      QCOMPARE(fx_->msgs->messages().size(), size_t{1});
      const qp::RecordedMessage& box = fx_->msgs->messages().front();
      QCOMPARE(box.text, QString("Exit Quillprint Now?"));
      QCOMPARE(box.type, qp::MsgType::kConfirmation);
      QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
      QVERIFY2(form.isVisible() != yes, how);
      QCOMPARE(QFileInfo::exists(fx_->Path("quillprint.ini")), yes || kept);
      if (!kept) continue;
      QVERIFY(fx_->Read("quillprint.ini").startsWith("; kept by the office\n"));
      QVERIFY(fx_->Read("quillprint.ini").contains("[Printer]\nTray=2\n"));
      QCOMPARE(plat::IniFile(fx_->PathStd("quillprint.ini")).ReadString("Version", "Version", "-"), "2.05 beta");
    }
  }

  // The routing number is judged as it is typed, under the field, never in a box.
  void routingNumberCheckedAsTyped() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const auto& [typed, shown] : {std::pair{"0210", "not 9 digits"}, {"021000021", "check digit correct"},
                                       {"021000022", "wrong check digit"}, {"02100002A", "not 9 digits"}}) {
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
  void print() {
    const QString sound = "021000021";
    // yes: the answer when asked, from the menu when not; file: where the print dialog sends it, "" cancels it.
    const struct { QString aba, account, number; bool yes; QString file; QStringList told; } cases[] = {
        {sound, "12-345 678", " 1001 ", true, "check.pdf", {}},  // sound, printed from the menu
        {sound, "1", "1", false, "", {}},                        // the dialog cancelled
        {sound, "1", "1", false, "no-such-folder/check.pdf", {}},  // the printer fails
        {"123456789", "987654", "1001", false, "check.pdf",
         {"The ABA routing number \"123456789\" has a wrong check digit: it is not a valid routing number."}},
        {"0210", "987654", "1001", true, "check.pdf", {"The ABA routing number \"0210\" is not 9 digits."}},
        {"", "987654", "1001", false, "check.pdf", {"The ABA routing number is missing."}},
        // Letters a MICR font would print as its symbols; characters outside
        // ASCII named whole, each once.
        {sound, "AC-12#", "N\u00BA 7\u20AC\u00BA", true, "check.pdf",
         {"The account number \"AC-12#\" holds characters the MICR line cannot carry: \"A\", \"C\", \"#\".",
          "The check number \"N\u00BA 7\u20AC\u00BA\" holds characters the MICR line cannot carry: "
          "\"N\", \"\u00BA\", \"\u20AC\"."}}};
    for (const auto& c : cases) {
      qptest::Renew(fx_);
      TMainForm form;
      QVERIFY(ShowActive(&form));
      form.ABANumber->setText(c.aba);
      form.AccountNumber->setText(c.account);
      form.CheckNumber->setText(c.number);
      form.PayeeNameEdit->setText("Charles Babbage");
      form.PayeeNameEdit->setModified(true);
      const QString pdf = fx_->PrintTo(c.file, !c.file.isEmpty());
      const bool asked = !c.told.isEmpty();
      const bool failed = c.file.contains('/');
      if (asked) fx_->msgs->Answer(c.yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
      if (c.yes && !asked) form.PrintCheck1->trigger();
      else QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
      QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
      if (failed) QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kError);
      if (asked) {
        const qp::RecordedMessage& box = fx_->msgs->messages().front();
        QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
        QCOMPARE(box.text, "The bank may not be able to read this check's MICR line:\n\n" + c.told.join('\n') +
                               "\n\nPrint the check anyway?");
      }
      // Asked before the print dialog: No shows no dialog either.
      QCOMPARE(fx_->msgs->print_dialogs(), !asked || c.yes ? 1 : 0);
      QFile out(pdf);
      const bool printed = !c.file.isEmpty() && !failed && (!asked || c.yes);
      QCOMPARE(out.open(QIODevice::ReadOnly) && out.read(5) == "%PDF-", printed);
      QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
      QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
      QCOMPARE(form.Checks()->RecCount(), 1);
    }
  }

  // Help opens the program's own help file, from the button and the menu.
  void helpAndAbout() {
    QVERIFY(fx_->Patch(qp::kHelpFileName, 0, "<html><body><h1>Filling in a check</h1><h1>Saving</h1>"));
    QCOMPARE(qp::HelpFilePath(), fx_->Path(qp::kHelpFileName));
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (QAction* open : {static_cast<QAction*>(nullptr), form.Contents1}) {
      if (open) open->trigger();
      else QTest::mouseClick(form.HelpBtn, Qt::LeftButton);
      qp::HelpWindow* viewer = qp::HelpViewer();
      QVERIFY(viewer != nullptr && viewer->isVisible());
      QCOMPARE(viewer->contents()->topLevelItem(0)->text(0), QString("Filling in a check"));
      viewer->close();
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

  // --dir first, then the program's folder when it is writable, then the
  // data folder (made); /proc takes no files whatever the user (tests may
  // run as root), and a regular file where a folder would have to be made
  // cannot become one.
  void chooseProgramFolder() {
    // --dir ("" none), the program's folder, the data folder's parent, the one chosen
    for (const QStringList& c : {QStringList{"shared", "exe", "data", "shared"},
                                 QStringList{"nowhere", "exe", "data", ""},  // refused, nothing made
                                 QStringList{"", "exe", "data", "exe"}, QStringList{"", "/proc", "data", "data"},
                                 QStringList{"", "/proc", "blocker", ""}}) {
      const QTemporaryDir dir;
      const QString root = dir.path() + '/';
      QDir(root).mkpath("shared");
      QDir(root).mkpath("exe");
      QFile(root + "blocker").open(QIODevice::WriteOnly);
      const QString data_folder = root + c[2] + "/quillprint";
      const qp::FolderChoice choice = qp::ChooseProgramFolder(
          c[0].isEmpty() ? QString() : root + c[0], ((c[1].startsWith('/') ? c[1] : root + c[1]) + '/').toStdString(),
          data_folder.toStdString());
      const QString want = c[3].isEmpty() ? QString() : c[3] == "data" ? data_folder + '/' : root + c[3] + '/';
      QCOMPARE(QString::fromStdString(choice.folder), want);
      QCOMPARE(choice.error.isEmpty(), !want.isEmpty());
      QVERIFY(want.isEmpty() || QFileInfo(want).isDir());
      QVERIFY(!QFileInfo::exists(root + "nowhere"));
    }
  }

  void iniPathFollowsTheProgramsName() {
    for (const auto& [program, ini] : {std::pair{"quill.print.bin", "/f/quill.print.ini"}, {".quill", "/f/.quill.ini"},
                                       {"/opt/q.d/quillprint", "/f/quillprint.ini"}}) {
      QCOMPARE(qp::ProgramIniPath("/f", program), std::string(ini));
    }
  }

  // The report's text is the engine's; the box shows it whole up to its
  // limit and ends the program with a status that reads as a failure.
  void haltBoxShowsReportAndEnds() {
    for (const auto& [code, message, start, status] :
         {std::tuple{215, std::string("No database in use [GoTop]"), "Error # 215 (No database in use)\r\nNo", 215},
          {1280, "m", "Error # 1280", 255}, {2, std::string(400, 'x'), "Error # 2 (File not found)\r\nxxx", 2}}) {
      qptest::Renew(fx_);
      vz::SetError(static_cast<uint16_t>(code), message);
      QCOMPARE(fx_->msgs->messages().size(), size_t{1});
      const qp::RecordedMessage& box = fx_->msgs->messages().front();
      QCOMPARE(box.caption, QString("Program halted."));
      QCOMPARE(box.type, qp::MsgType::kStop);
      QVERIFY2(box.text.startsWith(start) && box.text.size() <= 255, qPrintable(box.text));
      QCOMPARE(fx_->exits, std::vector<int>{status});
      fx_->exits.clear();  // the halt was the point here
    }
  }

  // The stored date keeps two year digits whatever the pattern, and reads
  // back within 50 years of the given year (2026); some texts only read.
  void checkDateText() {
    const QDate none;
    for (const auto& [pattern, date, text, stored] :
         {std::tuple{"MM/dd/yy", none, "", true}, {"dd.MM.yyyy", QDate(2026, 3, 1), "01.03.26", true},
          {"MM/dd/yyyy", QDate(1998, 12, 5), "12/05/98", true}, {"yy.MM.dd", QDate(2031, 11, 30), "31.11.30", true},
          {"MM/dd/yy", none, "  /  /  ", false}, {"MM/dd/yy", none, "02/30/26", false},
          {"MM/dd/yy", QDate(2003, 1, 2), "01/02/03 ", false}}) {
      vz::RegionalSettings regional;
      regional.short_date_format = pattern;
      vz::ApplyRegionalSettings(regional);
      const qp::CheckDate d = date.isValid() ? qp::CheckDate{date.year(), date.month(), date.day()} : qp::CheckDate{};
      if (stored) QCOMPARE(qp::TableDateText(d), std::string(text));
      const qp::CheckDate read = qp::TableDate(text, 2026);
      QCOMPARE(QDate(read.year, read.month, read.day), date);
    }
  }

  // Offsets set in File > Printer Offsets move every word and the MICR line
  // of the printed check by the same distance; with no offset for the
  // printer the page is byte for byte the plain layout's.
  void offsetsMoveEveryItem() {
    // The INI file; units, horizontal, vertical typed in the dialog (none: it is not used); the move in inches.
    const struct { const char* ini; QStringList typed; double dx, dy; } cases[] = {
        {"", {}, 0, 0}, {"[Printer Offsets PDF]\nHorizontal=0 mm\nVertical=-0 mm\n", {}, 0, 0},
        {"[Printer Offsets Office_Laser]\nHorizontal=3 mm\nVertical=2 mm\n", {}, 0, 0},  // another printer's
        // Small enough that the check number stays on the sheet; down by the most there is.
        {"", {"Inches", "0.1", "0.2"}, 0.1, 0.2}, {"", {"Millimetres", "-3", "-1.5"}, -3 / 25.4, -1.5 / 25.4},
        {"", {"Inches", "0", "1.75"}, 0, 1}};
    for (const auto& c : cases) {
      qptest::Renew(fx_);
      QVERIFY(fx_->Patch("quillprint.ini", 0, c.ini));
      TMainForm form;
      QVERIFY(qptest::ShowActive(&form));
      qptest::TypeCheck(form, "Charles Babbage", "1001");
      qptest::Type(form, form.ABANumber, "021000021");  // a sound MICR line
      if (!c.typed.isEmpty()) {
        QTimer::singleShot(50, [&] {
          auto* dialog = qobject_cast<TPrinterOffsetsForm*>(QApplication::activeModalWidget());
          QVERIFY(dialog != nullptr);
          QCOMPARE(dialog->PrinterBox->currentText(), QString("Print to File (PDF)"));
          dialog->UnitsBox->setCurrentText(c.typed[0]);
          TypeInto(dialog->HorizontalOffset, c.typed[1]);
          TypeInto(dialog->VerticalOffset, c.typed[2]);
          dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        form.PrinterOffsets1->trigger();
      }
      const QString moved = fx_->PrintTo("moved.pdf");
      QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
      QVERIFY(fx_->msgs->messages().empty());
      const QString plain = fx_->Path("plain.pdf");
      QPrinter printer(QPrinter::HighResolution);  // the layout alone, on a printer set up as the main window's
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(plain);
      QVERIFY(qp::PrintCheck(&printer, form.Fields()).outcome == qp::PrintOutcome::kPrinted);
      if (c.typed.isEmpty()) {
        const QByteArray printed = qptest::PdfWithoutDate(moved);
        QVERIFY(printed.startsWith("%PDF-"));
        QVERIFY(printed == qptest::PdfWithoutDate(plain));
        continue;
      }
      const QList<qptest::PdfWord> before = qptest::PdfWords(plain);
      const QList<qptest::PdfWord> after = qptest::PdfWords(moved);
      QVERIFY(!before.isEmpty());
      QCOMPARE(after.size(), before.size());
      const double pixel = 72.0 / 1200;  // device pixels at 1200 dots per inch: within one of them
      for (int i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i].text, before[i].text);
        QVERIFY2(qAbs(after[i].x - before[i].x - c.dx * 72) <= pixel, qPrintable(after[i].text));
        QVERIFY2(qAbs(after[i].y - before[i].y - c.dy * 72) <= pixel, qPrintable(after[i].text));
      }
      const QPoint micr_moved = qptest::LowestInkCorner(moved) - qptest::LowestInkCorner(plain);
      QVERIFY(qAbs(micr_moved.x() - c.dx * 100) <= 1);
      QVERIFY(qAbs(micr_moved.y() - c.dy * 100) <= 1);
    }
  }

  // Each printer shows and keeps its own offsets; OK stores all that were
  // changed at once, Cancel none. The calibration page goes through the print
  // dialog and shows the check where the offsets the dialog holds put it; an
  // INI file that cannot be written keeps the dialog open and says so.
  void printerOffsetsDialog() {
    for (const bool ok : {false, true}) {
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
    }
    // Shown again as stored, in the unit last used.
    auto again = Dialog("quillprint.ini");
    again->SelectPrinter("Office_Laser");
    QCOMPARE(again->UnitsBox->currentText(), QString("Inches"));
    QCOMPARE(again->Offset(), (qp::PrinterOffset{1500, -800}));
    auto dialog = Dialog("no-such-folder/quillprint.ini");
    dialog->show();
    dialog->UnitsBox->setCurrentText("Inches");
    TypeInto(dialog->HorizontalOffset, "0.05");
    TypeInto(dialog->VerticalOffset, "-0.05");
    const QString pdf = fx_->PrintTo("calibration.pdf");
    QTest::mouseClick(dialog->CalibrationBtn, Qt::LeftButton);
    QCOMPARE(fx_->msgs->print_dialogs(), 1);
    QVERIFY(fx_->msgs->messages().empty());
    QStringList text;
    for (const qptest::PdfWord& w : qptest::PdfWords(pdf)) text << w.text;
    QVERIFY(text.join(' ').contains("calibration page for the printer Print to File (PDF). Horizontal offset "
                                    "+1.27 mm (+0.050 in), vertical offset -1.27 mm (-0.050 in)."));
    dialog->accept();
    QCOMPARE(int(fx_->msgs->messages().size()), 1);
    QCOMPARE(fx_->msgs->messages()[0].type, qp::MsgType::kError);
    QVERIFY(fx_->msgs->messages()[0].text.contains("no-such-folder/quillprint.ini"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Offset().horizontal_um, 1270);
  }

 private:
  std::unique_ptr<TPrinterOffsetsForm> Dialog(const QString& ini) {
    return std::make_unique<TPrinterOffsetsForm>(&printer_, fx_->PathStd(ini), qp::PrintFields(qp::SampleCheck()));
  }

  std::unique_ptr<qptest::AppFixture> fx_;
  QPrinter printer_{QPrinter::HighResolution};
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
