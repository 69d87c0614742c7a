// The main window as the user meets it: focus and keys, the amount and its
// words, field limits, the close question, the INI files it leaves, where it
// opens, its title bar, printing and the commands that open other windows.
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "appfixture.h"
#include "components/tzdbf.h"
#include "controls/entry/datefield.h"
#include "controls/entry/entrycontroller.h"
#include "controls/entry/numericfield.h"
#include "deskhelpers.h"
#include "platform/ini.h"
#include "platform/qt/help.h"

using qp::TMainForm;
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

QString IniValue(const QString& path, const char* key) {
  std::string value;
  return plat::IniFile(path.toStdString()).ReadValue("Values", key, &value) ? QString::fromStdString(value) : "-";
}

// Every print dialog is answered `accept`, with PDF output to `pdf`.
void PrintTo(qptest::AppFixture& fx, const QString& pdf, bool accept = true, QPrinter** used = nullptr) {
  fx.msgs->print_hook = [=](QPrinter* printer) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    if (used) *used = printer;
    return accept;
  };
}

}  // namespace

class TestMainForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  void enterMovesInTabOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("payor") << 0 << QStringList{"FirstEdit", "LastEdit", "AddressEdit", "CityEdit", "StateEdit", "ZipEdit"};
    QTest::newRow("bank") << 1 << QStringList{"BankName", "BankAddress", "BankCity", "BankState", "BankZip",
                                              "ABANumber", "AccountNumber"};
    // Not the order the fields stand in (number, amount, date, words, payee).
    QTest::newRow("check") << 2 << QStringList{"TransDate", "AmountNumbers", "PayeeNameEdit", "AmountEnglish",
                                               "CheckNumber"};
  }

  // The first show dates the check today and starts in the first field.
  void enterMovesInTabOrder() {
    QFETCH(int, page);
    QFETCH(QStringList, order);
    TMainForm form;
    form.TransDate->SetDate(QDate(2001, 2, 3));
    QVERIFY(ShowActive(&form));
    QCOMPARE(form.TransDate->Date(), QDate::currentDate());
    QVERIFY(!form.TransDate->IsModified());
    QCOMPARE(FocusName(), QString("FirstEdit"));
    form.Notebook1->setCurrentIndex(page);
    form.findChild<QWidget*>(order.front())->setFocus();
    for (int i = 1; i < order.size(); ++i) {
      Press(Qt::Key_Return);
      QCOMPARE(FocusName(), order.at(i));
    }
    // After the page's last field Enter goes where Tab goes, never to a tool button.
    Press(Qt::Key_Return);
    QWidget* after_enter = QApplication::focusWidget();
    QVERIFY(after_enter != nullptr && qobject_cast<QToolButton*>(after_enter) == nullptr);
    form.findChild<QWidget*>(order.back())->setFocus();
    Press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after_enter);
  }

  // With the window's Enter-as-Tab off, what is left is the fields' own keys.
  void enterCharacterSwallowed() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    form.EntryController1->SetCommandTableActive(TEntryController::kDefaultTable, false);
    for (const auto& [field, swallowed] : {std::pair{"CityEdit", true}, {"TransDate", true}, {"CheckNumber", false}}) {
      QWidget* widget = form.findChild<QWidget*>(field);
      form.Notebook1->setCurrentWidget(widget->parentWidget());
      widget->setFocus();
      QSignalSpy finished(widget, SIGNAL(editingFinished()));
      Press(Qt::Key_Return);
      QCOMPARE(finished.count(), swallowed ? 0 : 1);
      QCOMPARE(FocusName(), QString(field));
    }
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
    Press(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), form.Notebook1->tabBar());
    if (!from.isEmpty()) {
      QWidget* start = form.findChild<QWidget*>(from);
      form.Notebook1->setCurrentWidget(start->parentWidget());
      start->setFocus();
    }
    QTabBar* tabs = form.Notebook1->tabBar();
    if (key != 0) Press(Qt::Key(key), Qt::AltModifier);
    else QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
    QCOMPARE(form.Notebook1->currentIndex(), page);
    QCOMPARE(FocusName(), field);
    if (auto* edit = form.findChild<QLineEdit*>(field)) {
      QTest::keyClicks(edit, "7");
      QCOMPARE(edit->text(), QString("7"));
    }
  }

  void altKeys() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    // Alt+H opens the Help menu, not the button too; Alt+X is the Exit
    // button, whose mnemonic clicks it a moment later, as a mouse click would.
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

  void fieldsStopAtTheirLimits() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const qp::CheckRecordField& f : qp::CheckRecord()) {
      if (f.input != qp::CheckInput::kText) continue;
      auto* edit = form.findChild<QLineEdit*>(f.edit);
      qptest::Type(form, edit, QString(60, 'W'));
      QCOMPARE(edit->text(), QString(f.typing_limit, 'W'));
      QVERIFY(!edit->toolTip().isEmpty());
    }
  }

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

  // The window opens where it was closed, or centred at its design size
  // without a stored place or with one on a screen that is gone.
  void windowPlace_data() {
    QTest::addColumn<QRect>("closed");  // where the window was closed first; empty: never
    QTest::addColumn<QByteArray>("ini");  // or mainform.ini as written by hand
    QTest::addColumn<QRect>("opened");  // empty: centred
    QTest::newRow("first start") << QRect() << QByteArray() << QRect();
    QTest::newRow("where it was") << QRect(40, 30, 600, 450) << QByteArray() << QRect(40, 30, 600, 450);
    QTest::newRow("off every screen") << QRect() << QByteArray("[Values]\nLeft=-9000\nTop=7000\n") << QRect();
  }

  void windowPlace() {
    QFETCH(QRect, closed);
    QFETCH(QByteArray, ini);
    QFETCH(QRect, opened);
    if (!ini.isEmpty()) QVERIFY(qptest::Patch(fx_->Path("mainform.ini"), 0, ini));
    if (!closed.isEmpty()) {
      TMainForm form;
      QVERIFY(ShowActive(&form));
      form.move(closed.topLeft());
      form.resize(closed.size());
      qptest::CloseWindow(form, *fx_);
      const QString place = fx_->Path("mainform.ini");
      QCOMPARE(QStringList({IniValue(place, "Left"), IniValue(place, "Top"), IniValue(place, "Width"),
                            IniValue(place, "Height")}),
               QStringList({"40", "30", "600", "450"}));  // the row's place
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (opened.isEmpty()) {
      opened = QRect(screen.left() + (screen.width() - 536) / 2, screen.top() + (screen.height() - 432) / 2, 536, 432);
    }
    TMainForm form;
    QCOMPARE(QRect(form.pos(), form.size()), opened);
  }

  void versionTextKeptAndOtherEntriesSurvive() {
    const QByteArray kept = "; kept by the office\n[version]\nversion = 2.05 beta\n[Printer]\nTray=2\n";
    QVERIFY(qptest::Patch(fx_->Path("quillprint.ini"), 0, kept));
    TMainForm form;
    QCOMPARE(form.VersionText(), QString("2.05 beta"));
    qptest::CloseWindow(form, *fx_);
    QVERIFY(fx_->Read("quillprint.ini").startsWith("; kept by the office\n"));
    QVERIFY(fx_->Read("quillprint.ini").contains("[Printer]\nTray=2\n"));
    std::string version;
    QVERIFY(plat::IniFile(fx_->PathStd("quillprint.ini")).ReadValue("Version", "Version", &version));
    QCOMPARE(version, std::string("2.05 beta"));
  }

  // On screen the bar's top row starts black and climbs through blues to blue.
  void titleBarRunsBlackToBlue() {
    TMainForm form;
    QVERIFY(ShowActive(&form));
    const QImage image = form.grab().toImage();
    const QRect bar = form.TitleBarRect();
    QVERIFY(!bar.isEmpty());
    QCOMPARE(image.pixel(bar.topLeft()) & 0xFFFFFF, QRgb(0));
    int previous = 0;
    for (int x = bar.left(); x <= bar.right(); ++x) {
      const QRgb rgb = image.pixel(x, bar.top());
      QVERIFY(qRed(rgb) == 0 && qGreen(rgb) == 0 && qBlue(rgb) >= previous);
      previous = qBlue(rgb);
    }
    QVERIFY(previous >= 250);
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
    QTest::newRow("sound line, printed from the menu") << "021000021" << "12-345 678" << " 1001 " << true
                                                       << "check.pdf" << QStringList{};
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
    QTest::newRow("account and check number with letters, Yes")
        << "021000021" << "AC-12#" << "N\u00BA 7\u20AC\u00BA" << true << "check.pdf"
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
    QPrinter* used = nullptr;
    PrintTo(*fx_, pdf, !file.isEmpty(), &used);
    if (!told.isEmpty()) fx_->msgs->Answer(yes ? qp::MsgResult::kYes : qp::MsgResult::kNo);
    const bool asked = !told.isEmpty();
    if (yes && !asked) form.PrintCheck1->trigger();
    else QTest::mouseClick(form.PrintBtn, Qt::LeftButton);

    const bool failed = file.contains('/');
    QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
    const qp::RecordedMessage* box = asked || failed ? &fx_->msgs->messages().front() : nullptr;
    if (failed) QCOMPARE(box->type, qp::MsgType::kError);
    if (asked) {
      QCOMPARE(box->type, qp::MsgType::kConfirmation);
      QCOMPARE(box->buttons, qp::MsgButtons::kYesNo);
      QCOMPARE(box->text, "The bank may not be able to read this check's MICR line:\n\n" + told.join('\n') +
                              "\n\nPrint the check anyway?");
    }
    // Asked before the print dialog: No shows no dialog either.
    QCOMPARE(fx_->msgs->print_dialogs(), !asked || yes ? 1 : 0);
    const bool printed = !file.isEmpty() && !failed && (!asked || yes);
    QFile out(pdf);
    QCOMPARE(out.open(QIODevice::ReadOnly) && out.read(5) == "%PDF-", printed);
    if (printed) {
      // The window keeps what it read of the printer before the job.
      const qp::PrinterFigures& read = form.PrinterFiguresRead();
      QVERIFY(read.pixels_per_inch_x >= 300);
      QCOMPARE(read.pixels_per_inch_x, used->resolution());
      QCOMPARE(read.pixels_per_inch_y, used->resolution());
      QCOMPARE(read.printable_width, int(used->pageRect(QPrinter::DevicePixel).width()));
    }
    QTest::mouseClick(form.SaveCheck, Qt::LeftButton);
    QCOMPARE(int(fx_->msgs->messages().size()), asked || failed ? 1 : 0);
    QCOMPARE(form.Checks()->RecCount(), 1);
  }

  void helpAndAbout() {
    QVERIFY(qptest::Patch(fx_->Path("quill.hlp"), 0, "<html><body><h1>Filling in a check</h1><h1>Saving</h1>"));
    TMainForm form;
    QVERIFY(ShowActive(&form));
    for (const bool button : {true, false}) {
      if (button) QTest::mouseClick(form.HelpBtn, Qt::LeftButton);
      else form.Contents1->trigger();
      qp::HelpWindow* viewer = qp::HelpViewer();
      QVERIFY(viewer != nullptr && viewer->isVisible());
      QCOMPARE(viewer->contents()->topLevelItemCount(), 2);
      QCOMPARE(viewer->contents()->topLevelItem(0)->text(0), QString("Filling in a check"));
    }
    QVERIFY(fx_->msgs->messages().empty());
    QString title;
    QTimer poll;  // the box blocks the trigger below
    connect(&poll, &QTimer::timeout, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        poll.stop();
        title = box->windowTitle();
        box->close();
      }
    });
    poll.start(10);
    form.About1->trigger();
    QCOMPARE(title, QString("About Quillprint"));
  }

 private:
  std::unique_ptr<qptest::AppFixture> fx_;
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
