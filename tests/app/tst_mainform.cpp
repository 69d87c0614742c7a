// The main window as the user meets it: focus and Enter, the amount and its
// words, field limits, Clear, the close question, the INI files it leaves,
// where it opens, its title bar, and the commands that open other windows.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "app/mainform.h"
#include "appfixture.h"
#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "controls/entry/entrycontroller.h"
#include "controls/entry/entrynotebook.h"
#include "controls/entry/numericfield.h"
#include "platform/ini.h"
#include "platform/qt/help.h"

using qp::TMainForm;
using qptest::ShowActive;

namespace {

// The named field the focus is in (the date field's inner edit counts as
// the date field).
QString FocusName() {
  for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
    if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) return w->objectName();
  }
  return "<none>";
}

void PressEnter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }

QString IniValue(const QString& path, const char* section, const char* key) {
  std::string value;
  if (!plat::IniFile(path.toStdString()).ReadValue(section, key, &value)) return "<missing>";
  return QString::fromStdString(value);
}

}  // namespace

class TestMainForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  // ---- focus and keys -------------------------------------------------------

  void firstShowDatesTodayAndFocusesFirstEdit() {
    TMainForm form;
    form.TransDate->SetDate(QDate(2001, 2, 3));
    QVERIFY(ShowActive(&form));
    QCOMPARE(form.TransDate->Date(), QDate::currentDate());
    QCOMPARE(FocusName(), QString("FirstEdit"));
    QVERIFY(!form.TransDate->IsModified());
  }

  void enterMovesInTabOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("payor") << 0
                           << QStringList{"FirstEdit", "LastEdit", "AddressEdit",
                                          "CityEdit",  "StateEdit", "ZipEdit"};
    QTest::newRow("bank") << 1
                          << QStringList{"BankName", "BankAddress", "BankCity",     "BankState",
                                         "BankZip",  "ABANumber",   "AccountNumber"};
    // Not the order the fields stand in (number, amount, date, words, payee).
    QTest::newRow("check") << 2
                           << QStringList{"TransDate", "AmountNumbers", "PayeeNameEdit", "AmountEnglish",
                                          "CheckNumber"};
  }

  void enterMovesInTabOrder() {
    QFETCH(int, page);
    QFETCH(QStringList, order);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.Notebook1->setCurrentIndex(page);
    form.findChild<QWidget*>(order.front())->setFocus();
    QCOMPARE(FocusName(), order.front());
    for (int i = 1; i < order.size(); ++i) {
      PressEnter();
      QCOMPARE(FocusName(), order.at(i));
    }

    // After the page's last field Enter goes exactly where Tab goes, never
    // to a tool button.
    PressEnter();
    QWidget* after_enter = QApplication::focusWidget();
    QVERIFY(after_enter != nullptr);
    QVERIFY(qobject_cast<QToolButton*>(after_enter) == nullptr);
    form.findChild<QWidget*>(order.back())->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after_enter);
  }

  void enterCharacterSwallowed_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("swallowed");
    QTest::newRow("payor edit") << "CityEdit" << true;
    QTest::newRow("bank edit") << "AccountNumber" << true;
    QTest::newRow("date field") << "TransDate" << true;
    QTest::newRow("payee edit keeps it") << "PayeeNameEdit" << false;
    QTest::newRow("check number keeps it") << "CheckNumber" << false;
  }

  void enterCharacterSwallowed() {
    QFETCH(QString, field);
    QFETCH(bool, swallowed);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    // With the window's Enter-as-Tab switched off, what is left is the
    // fields' own key-press handling.
    form.EntryController1->SetCommandTableActive(TEntryController::kDefaultTable, false);
    QWidget* widget = form.findChild<QWidget*>(field);
    form.Notebook1->setCurrentWidget(widget->parentWidget());
    widget->setFocus();
    QSignalSpy finished(widget, SIGNAL(editingFinished()));
    PressEnter();
    QCOMPARE(finished.count(), swallowed ? 0 : 1);
    QCOMPARE(FocusName(), field);
  }

  // After Enter on a page's last field the focus is on the tabs; a page
  // chosen from there once left it there, so the first value typed was lost
  // and every later one landed a field early.
  void pageChosenFromTheTabsFocusesItsFirstField_data() {
    QTest::addColumn<int>("key");  // Alt+key, or 0: a click on the tab
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("from");  // the field typed in before, "" for the tabs
    QTest::newRow("Alt+B") << int(Qt::Key_B) << 1 << "BankName" << "";
    QTest::newRow("Alt+C") << int(Qt::Key_C) << 2 << "TransDate" << "";
    QTest::newRow("Alt+P, the page shown") << int(Qt::Key_P) << 0 << "FirstEdit" << "";
    QTest::newRow("bank tab clicked") << 0 << 1 << "BankName" << "";
    // After Save on the check page, Alt+P for the next check once went back
    // to the field last used there (the zip code).
    QTest::newRow("Alt+P from the check number") << int(Qt::Key_P) << 0 << "FirstEdit" << "CheckNumber";
    QTest::newRow("payor tab clicked from the check number") << 0 << 0 << "FirstEdit" << "CheckNumber";
  }

  void pageChosenFromTheTabsFocusesItsFirstField() {
    QFETCH(int, key);
    QFETCH(int, page);
    QFETCH(QString, field);
    QFETCH(QString, from);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.ZipEdit->setFocus();
    PressEnter();
    QCOMPARE(QApplication::focusWidget(), form.Notebook1->tabBar());
    if (!from.isEmpty()) {
      QWidget* start = form.findChild<QWidget*>(from);
      form.Notebook1->setCurrentWidget(start->parentWidget());
      start->setFocus();
    }
    if (key != 0) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
    } else {
      QTabBar* tabs = form.Notebook1->tabBar();
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
    }
    QCOMPARE(form.Notebook1->currentIndex(), page);
    QCOMPARE(FocusName(), field);
    if (auto* edit = form.findChild<QLineEdit*>(field)) {
      QTest::keyClicks(edit, "7");
      QCOMPARE(edit->text(), QString("7"));
    }
  }

  void altKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("popup");  // the menu that opens, or ""
    QTest::addColumn<int>("page");       // the page shown afterwards
    QTest::addColumn<int>("boxes");      // message boxes asked for
    QTest::newRow("Alt+H opens the Help menu, not the button too") << int(Qt::Key_H) << "Help1" << 0 << 0;
    QTest::newRow("Alt+T opens Tools") << int(Qt::Key_T) << "Tools1" << 0 << 0;
    QTest::newRow("Alt+C shows the check page") << int(Qt::Key_C) << "" << 2 << 0;
    QTest::newRow("Alt+X is the Exit button") << int(Qt::Key_X) << "" << 0 << 1;
  }

  void altKeys() {
    QFETCH(int, key);
    QFETCH(QString, popup);
    QFETCH(int, page);
    QFETCH(int, boxes);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    QTest::keyClick(&form, Qt::Key(key), Qt::AltModifier);
    QWidget* open = QApplication::activePopupWidget();
    QCOMPARE(open != nullptr ? open->objectName() : QString(), popup);
    if (open != nullptr) open->close();
    QCOMPARE(form.Notebook1->currentIndex(), page);
    // A button's mnemonic clicks it a moment later, as a mouse click would.
    QTRY_COMPARE(int(fx_->msgs->messages().size()), boxes);
    QVERIFY(form.isVisible());  // the close question was answered No
  }

  // ---- the amount and the fields ---------------------------------------------

  void typingAmountRewritesWords() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.Notebook1->setCurrentIndex(2);
    form.AmountNumbers->setFocus();
    QTest::keyClicks(form.AmountNumbers, "1234.56");
    QCOMPARE(form.AmountEnglish->text(), QString("One Thousand Two Hundred Thirty-Four and 56/100"));

    // The words may be edited (shortened: they are longer than the user may
    // type); the next change of the amount writes them anew.
    form.AmountEnglish->setFocus();
    form.AmountEnglish->end(false);
    QTest::keyClick(form.AmountEnglish, Qt::Key_Backspace);
    QTest::keyClicks(form.AmountEnglish, "x");
    QCOMPARE(form.AmountEnglish->text(), QString("One Thousand Two Hundred Thirty-Four and 56/10"));
    QVERIFY(form.AmountEnglish->isModified());
    form.AmountNumbers->setFocus();
    form.AmountNumbers->setCursorPosition(0);
    QTest::keyClick(form.AmountNumbers, Qt::Key_2);
    QCOMPARE(form.AmountNumbers->Value(), 2234.56);
    const QString words = "Two Thousand Two Hundred Thirty-Four and 56/100";
    QCOMPARE(form.AmountEnglish->text(), words);

    // An amount the program sets leaves the words alone.
    form.AmountNumbers->SetValue(77);
    QCOMPARE(form.AmountEnglish->text(), words);
    form.AmountNumbers->SetValue(0);
    QCOMPARE(form.AmountEnglish->text(), words);
  }

  void fieldsStopAtTheirLimits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("limit");
    for (const qp::CheckRecordField& f : qp::CheckRecord()) {
      if (f.input == qp::CheckInput::kText) QTest::newRow(f.edit) << QString(f.edit) << f.typing_limit;
    }
  }

  void fieldsStopAtTheirLimits() {
    QFETCH(QString, field);
    QFETCH(int, limit);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    auto* edit = form.findChild<QLineEdit*>(field);
    form.Notebook1->setCurrentWidget(edit->parentWidget());
    edit->setFocus();
    QTest::keyClicks(edit, QString(60, 'W'));
    QCOMPARE(edit->text(), QString(limit, 'W'));
    QVERIFY(!edit->toolTip().isEmpty());
  }

  // The Clear button empties every field and marks nothing changed; like
  // every tool button it leaves the focus in the field being typed in.
  void clearEmptiesTheForm() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (QLineEdit* edit : {form.FirstEdit, form.BankZip, form.CheckNumber, form.PayeeNameEdit}) {
      form.Notebook1->setCurrentWidget(edit->parentWidget());
      edit->setFocus();
      QTest::keyClicks(edit, "x1");
    }
    form.AmountNumbers->setFocus();
    QTest::keyClicks(form.AmountNumbers, "42");
    form.TransDate->SetDate(QDate(1999, 1, 1));

    QTest::mouseClick(form.ClearCheck, Qt::LeftButton);

    QCOMPARE(FocusName(), QString("AmountNumbers"));
    for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
      if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget())) continue;  // the date's own edit
      QVERIFY2(edit->text().isEmpty() || edit == form.AmountNumbers, qPrintable(edit->objectName()));
      QVERIFY2(!edit->isModified(), qPrintable(edit->objectName()));
    }
    QCOMPARE(form.AmountNumbers->Value(), 0.0);
    QCOMPARE(form.AmountEnglish->text(), QString());
    QCOMPARE(form.TransDate->Date(), QDate::currentDate());
    QVERIFY(!form.TransDate->IsModified());
  }

  // ---- closing, the INI files and the window's place -------------------------

  void closeAsks_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");
    for (const char* how : {"Exit button", "File > Exit", "title bar close box", "window close"}) {
      QTest::newRow(qPrintable(QString("%1, Yes").arg(how))) << how << true;
      QTest::newRow(qPrintable(QString("%1, No").arg(how))) << how << false;
    }
  }

  void closeAsks() {
    QFETCH(QString, how);
    QFETCH(bool, yes);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    if (how == "Exit button") {
      QTest::mouseClick(form.ExitBtn, Qt::LeftButton);
    } else if (how == "File > Exit") {
      form.Exit1->trigger();
    } else if (how == "title bar close box") {
      const QPoint box = form.CaptionButtonRect(TMainForm::CaptionButton::kClose).center();
      QTest::mouseClick(&form, Qt::LeftButton, Qt::NoModifier, box);
    } else {
      form.close();
    }
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    const qp::RecordedMessage& box = fx_->msgs->messages().front();
    QCOMPARE(box.text, QString("Exit Quillprint Now?"));
    QCOMPARE(box.type, qp::MsgType::kConfirmation);
    QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
    QCOMPARE(form.isVisible(), !yes);
    QCOMPARE(QFileInfo::exists(fx_->Path("quillprint.ini")), yes);
    QCOMPARE(QFileInfo::exists(fx_->Path("mainform.ini")), yes);
  }

  void iniFilesAfterFirstClose() {
    QVERIFY(!QFileInfo::exists(fx_->Path("quillprint.ini")));
    {
      TMainForm form;
      QVERIFY(ShowActive(&form));
      form.move(40, 30);
      form.resize(600, 450);
      fx_->msgs->Answer(qp::MsgResult::kYes);
      QVERIFY(form.close());
    }
    QCOMPARE(IniValue(fx_->Path("quillprint.ini"), "Version", "Version"), QString("1.30"));
    const QString place = fx_->Path("mainform.ini");
    QCOMPARE(IniValue(place, "Values", "Left"), QString("40"));
    QCOMPARE(IniValue(place, "Values", "Top"), QString("30"));
    QCOMPARE(IniValue(place, "Values", "Width"), QString("600"));
    QCOMPARE(IniValue(place, "Values", "Height"), QString("450"));

    // The next start comes back where the window was.
    TMainForm again;
    QCOMPARE(again.geometry().size(), QSize(600, 450));
    QCOMPARE(again.pos(), QPoint(40, 30));
  }

  void versionTextKeptAndOtherEntriesSurvive() {
    QFile f(fx_->Path("quillprint.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("; kept by the office\n[version]\nversion = 2.05 beta\n[Printer]\nTray=2\n");
    f.close();
    TMainForm form;
    QCOMPARE(form.VersionText(), QString("2.05 beta"));
    fx_->msgs->Answer(qp::MsgResult::kYes);
    QVERIFY(form.close());
    const QByteArray after = fx_->Read("quillprint.ini");
    QVERIFY(after.startsWith("; kept by the office\n"));
    QVERIFY(after.contains("[Printer]\nTray=2\n"));
    QCOMPARE(IniValue(fx_->Path("quillprint.ini"), "Version", "Version"), QString("2.05 beta"));
  }

  // Without a stored place, and with one on a screen that is gone, the window
  // opens centred at its design size.
  void windowCentred_data() {
    QTest::addColumn<QString>("ini");
    QTest::newRow("first start") << "";
    QTest::newRow("stored place off every screen")
        << "[Values]\nLeft=-9000\nTop=7000\nWidth=536\nHeight=432\n";
  }

  void windowCentred() {
    QFETCH(QString, ini);
    if (!ini.isEmpty()) {
      QFile f(fx_->Path("mainform.ini"));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(ini.toLatin1());
    }
    TMainForm form;
    QCOMPARE(form.size(), QSize(536, 432));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(form.pos(), QPoint(screen.left() + (screen.width() - 536) / 2,
                                screen.top() + (screen.height() - 432) / 2));
  }

  void titleBarRunsBlackToBlue() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    // The table itself: 64 steps from black to blue.
    QCOMPARE(form.ColorTableEntry(1, 0) & 0xFFFFFF, QRgb(0x000000));
    QCOMPARE(form.ColorTableEntry(1, 32) & 0xFFFFFF, QRgb(0x000082));  // blue 130
    QCOMPARE(form.ColorTableEntry(1, 63) & 0xFFFFFF, QRgb(0x0000FF));

    // On screen: the bar's top row starts black, climbs through the table's
    // entries only, and passes entry 32.
    const QImage image = form.grab().toImage();
    const QRect bar = form.TitleBarRect();
    QVERIFY(!bar.isEmpty());
    const int y = bar.top();
    QCOMPARE(image.pixel(bar.left(), y) & 0xFFFFFF, QRgb(0x000000));
    bool seen_entry_32 = false;
    int previous_blue = 0;
    for (int x = bar.left(); x <= bar.right(); ++x) {
      const QRgb rgb = image.pixel(x, y) & 0xFFFFFF;
      QCOMPARE(qRed(rgb), 0);
      QCOMPARE(qGreen(rgb), 0);
      QVERIFY(qBlue(rgb) >= previous_blue);
      previous_blue = qBlue(rgb);
      seen_entry_32 = seen_entry_32 || qBlue(rgb) == 130;
    }
    QVERIFY(seen_entry_32);
    QVERIFY(previous_blue >= 250);
  }

  // ---- commands -------------------------------------------------------------

  void print_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QString>("file");  // where the print dialog sends the check
    QTest::addColumn<bool>("accept");   // the print dialog's answer
    QTest::addColumn<bool>("printed");
    QTest::newRow("dialog cancelled prints nothing") << false << "check.pdf" << false << false;
    QTest::newRow("printed on the printer chosen") << true << "check.pdf" << true << true;
    QTest::newRow("printer failure ends in an error box")
        << false << "no-such-folder/check.pdf" << true << false;
  }

  void print() {
    QFETCH(bool, fromMenu);
    QFETCH(QString, file);
    QFETCH(bool, accept);
    QFETCH(bool, printed);
    TMainForm form;
    form.CheckNumber->setText("1001");
    form.ABANumber->setText("021000021");  // a sound MICR line: nothing to ask
    const QString pdf = fx_->Path(file);
    QPrinter* used = nullptr;
    fx_->msgs->print_hook = [&](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      used = printer;
      return accept;
    };
    if (fromMenu) {
      form.PrintCheck1->trigger();
    } else {
      QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
    }
    QCOMPARE(fx_->msgs->print_dialogs(), 1);
    const bool failed = accept && !printed;
    QCOMPARE(int(fx_->msgs->messages().size()), failed ? 1 : 0);
    if (failed) QCOMPARE(fx_->msgs->messages()[0].type, qp::MsgType::kError);
    QFile out(pdf);
    QCOMPARE(out.open(QIODevice::ReadOnly), printed);
    if (!printed) return;
    QVERIFY(out.read(5) == "%PDF-");
    // The window keeps what it read of the printer before the job.
    const qp::PrinterFigures& read = form.PrinterFiguresRead();
    QVERIFY(used != nullptr);
    QVERIFY(read.pixels_per_inch_x >= 300);
    QCOMPARE(read.pixels_per_inch_x, used->resolution());
    QCOMPARE(read.pixels_per_inch_y, used->resolution());
    QCOMPARE(read.printable_width, int(used->pageRect(QPrinter::DevicePixel).width()));
  }

  // The routing number is judged as it is typed, under the field, never
  // in a box.
  void routingNumberCheckedAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const QString sound = "Routing number: check digit correct";
    const QString wrong = "Routing number: wrong check digit";
    const QString short_ = "Routing number: not 9 digits";
    QTest::newRow("nothing typed yet") << "" << "";
    QTest::newRow("half typed") << "0210" << short_;
    QTest::newRow("021000021") << "021000021" << sound;
    QTest::newRow("011000015") << "011000015" << sound;
    QTest::newRow("123456789") << "123456789" << wrong;
    QTest::newRow("last digit off by one") << "021000022" << wrong;
    QTest::newRow("two digits swapped") << "012000021" << wrong;
    QTest::newRow("a letter") << "02100002A" << short_;
    QTest::newRow("a blank inside") << "0210 0021" << short_;
  }

  void routingNumberCheckedAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.Notebook1->setCurrentIndex(1);
    form.ABANumber->setFocus();
    QTest::keyClicks(form.ABANumber, typed);
    QCOMPARE(form.ABACheck->text(), shown);
    QVERIFY(form.ABACheck->isVisible());
    QVERIFY(fx_->msgs->messages().empty());
    // Clear empties it with the field.
    QTest::mouseClick(form.ClearCheck, Qt::LeftButton);
    QCOMPARE(form.ABACheck->text(), QString());
  }

  // Print asks first when the bank's reader would misread the MICR line;
  // the user may print anyway, and Save is never held up by it.
  void printAsksAboutTheMicrLine_data() {
    QTest::addColumn<QString>("aba");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("yes");  // the answer, when asked
    QTest::addColumn<QStringList>("told");
    QTest::newRow("sound line prints without asking")
        << "021000021" << "12-345 678" << " 1001 " << false << QStringList{};
    QTest::newRow("wrong check digit, No: nothing printed")
        << "123456789" << "987654" << "1001" << false
        << QStringList{"The ABA routing number \"123456789\" has a wrong check digit: it is not "
                       "a valid routing number."};
    QTest::newRow("short routing number, Yes: printed anyway")
        << "0210" << "987654" << "1001" << true
        << QStringList{"The ABA routing number \"0210\" is not 9 digits."};
    QTest::newRow("no routing number, No") << "" << "987654" << "1001" << false
                                           << QStringList{"The ABA routing number is missing."};
    // Letters a MICR font would print as its symbols; characters outside
    // ASCII named whole, each once.
    QTest::newRow("account and check number with letters, Yes")
        << "021000021" << "AC-12#" << "N\u00BA 7\u20AC\u00BA" << true
        << QStringList{"The account number \"AC-12#\" holds characters the MICR line cannot "
                       "carry: \"A\", \"C\", \"#\".",
                       "The check number \"N\u00BA 7\u20AC\u00BA\" holds characters the MICR "
                       "line cannot carry: \"N\", \"\u00BA\", \"\u20AC\"."};
  }

  void printAsksAboutTheMicrLine() {
    QFETCH(QString, aba);
    QFETCH(QString, account);
    QFETCH(QString, number);
    QFETCH(bool, yes);
    QFETCH(QStringList, told);
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.ABANumber->setText(aba);
    form.AccountNumber->setText(account);
    form.CheckNumber->setText(number);
    form.PayeeNameEdit->setText("Charles Babbage");
    form.PayeeNameEdit->setModified(true);
    const QString pdf = fx_->Path("check.pdf");
    fx_->msgs->print_hook = [&](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return true;
    };
    if (!told.isEmpty()) fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    QTest::mouseClick(form.PrintBtn, Qt::LeftButton);

    const bool printed = told.isEmpty() || yes;
    QCOMPARE(int(fx_->msgs->messages().size()), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) {
      const qp::RecordedMessage& box = fx_->msgs->messages().front();
      QCOMPARE(box.type, qp::MsgType::kConfirmation);
      QCOMPARE(box.buttons, qp::MsgButtons::kYesNo);
      QCOMPARE(box.text, "The bank may not be able to read this check's MICR line:\n\n" +
                             told.join('\n') + "\n\nPrint the check anyway?");
    }
    // Asked before the print dialog: No shows no dialog either.
    QCOMPARE(fx_->msgs->print_dialogs(), printed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(pdf), printed);

    QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
    QCOMPARE(int(fx_->msgs->messages().size()), told.isEmpty() ? 0 : 1);
    QCOMPARE(form.Checks()->RecCount(), 1);
  }

  void helpOpensTheHelpFile() {
    QFile f(fx_->Path("quill.hlp"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><h1>Filling in a check</h1><p>Type.</p><h1>Saving</h1></body></html>");
    f.close();
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (int route = 0; route < 2; ++route) {
      if (route == 0) {
        QTest::mouseClick(form.HelpBtn, Qt::LeftButton);
      } else {
        form.Contents1->trigger();
      }
      qp::HelpWindow* viewer = qp::HelpViewer();
      QVERIFY(viewer != nullptr);
      QVERIFY(viewer->isVisible());
      QCOMPARE(viewer->contents()->topLevelItemCount(), 2);
      QCOMPARE(viewer->contents()->topLevelItem(0)->text(0), QString("Filling in a check"));
      QVERIFY(fx_->msgs->messages().empty());
    }
  }

  void aboutBoxIsModal() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    QString title;
    bool modal = false;
    // Polls until the box is up, since it blocks the trigger below.
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return;
      poll.stop();
      title = box->windowTitle();
      modal = box->isModal();
      box->close();
    });
    poll.start(10);
    form.About1->trigger();
    QCOMPARE(title, QString("About Quillprint"));
    QVERIFY(modal);
  }

 private:
  std::unique_ptr<qptest::AppFixture> fx_;
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
