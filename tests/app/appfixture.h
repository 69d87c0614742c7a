// The check desk under test: a fresh program folder, fixed regional settings,
// every box answered by a script and the engine's halts recorded instead of
// ending the test; typing into the main window as a user would.
#ifndef QUILLPRINT_TESTS_APP_APPFIXTURE_H_
#define QUILLPRINT_TESTS_APP_APPFIXTURE_H_

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/checkrecord.h"
#include "app/mainform.h"
#include "app/startup.h"
#include "components/messages.h"
#include "components/session.h"
#include "controls/entry/entrynotebook.h"
#include "controls/entry/numericfield.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "platform/appdir.h"
#include "platform/datefmt.h"
#include "platform/file.h"
#include "platform/qt/scripted_messages.h"
#include "tests/support/dbfimage.h"

namespace qptest {

inline bool ShowActive(QWidget* w) {
  w->show();
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

class AppFixture {
 public:
  // `folder`: the program's folder; a new temporary one when empty.
  explicit AppFixture(std::string date_format = "MM/dd/yy", const QString& folder = QString())
      : folder_(folder.isEmpty() ? dir.path() : folder), saved_cwd_(plat::CurrentDirectory()) {
    vz::ResetErrorStateForTesting();
    vz::ResetComponentMessagesForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    vz::RegionalSettings regional;
    regional.short_date_format = std::move(date_format);
    vz::StartComponentLayer(regional);
    qp::InstallHaltBox([this](int status) { exits.push_back(status); });
    qp::InstallWarningBox();
    plat::SetProgramFolder(folder_.toStdString());
    qp::SetProgramFileName("quillprint");
  }

  ~AppFixture() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      w->hide();
      w->deleteLater();
    }
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    vz::StopComponentLayer();
    vz::SetWarningService({});
    vz::ResetComponentMessagesForTesting();
    vz::ResetErrorStateForTesting();
    plat::SetProgramFolder(std::string());
    plat::SetCurrentDirectory(saved_cwd_);
  }

  QString Path(const QString& name) const { return folder_ + QLatin1Char('/') + name; }
  std::string PathStd(const QString& name) const { return Path(name).toStdString(); }
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The texts of the boxes shown so far, in order.
  QStringList Told() const {
    QStringList texts;
    for (const qp::RecordedMessage& m : msgs->messages()) texts << m.text;
    return texts;
  }
  DbfImage Dbf() const { return ReadDbf(PathStd("checks.dbf")); }
  bool Patch(const QString& name, long at, const std::string& bytes) const {
    return qptest::Patch(PathStd(name), at, bytes);
  }

  // Every print dialog is answered `accept`, with PDF output to `name`.
  QString PrintTo(const QString& name, bool accept = true) {
    const QString pdf = Path(name);
    msgs->print_hook = [pdf, accept](QPrinter* printer) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return accept;
    };
    return pdf;
  }

  QTemporaryDir dir;
  qp::ScopedScriptedMessages msgs;
  const QString folder_;
  std::vector<int> exits;  // exit statuses the halt box would have ended with

 private:
  std::string saved_cwd_;
};

// Ends a fixture, failing the test if the program halted under it.
inline void Finish(std::unique_ptr<AppFixture>& fx) {
  if (fx && !fx->exits.empty()) QTest::qFail(qPrintable("halted: " + fx->Told().join(" | ")), __FILE__, __LINE__);
  fx.reset();
}

// A new program folder; the old fixture goes first, as its services are global.
inline void Renew(std::unique_ptr<AppFixture>& fx, std::string date_format = "MM/dd/yy") {
  Finish(fx);
  fx = std::make_unique<AppFixture>(std::move(date_format));
}

// Runs `act` as soon as `dialog` shows (inside its exec()); `act` closes it.
inline void WhenShown(QDialog* dialog, std::function<void()> act) {
  auto* timer = new QTimer(dialog);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, act] {
    if (!dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    // Clicks reach a window only once it is active, which on a loaded
    // machine may come a little after it shows; and its layout too: the
    // grid's rows must be where the clicks go.
    if (!QTest::qWaitForWindowActive(dialog)) qWarning("WhenShown: %s never became active", qPrintable(dialog->objectName()));
    QCoreApplication::processEvents();
    act();
  });
  timer->start();
}

// Types into a field as the user would, on whatever page it is, over what
// the field holds.
inline void Type(qp::TMainForm& form, QWidget* field, const QString& text) {
  form.Notebook1->setCurrentWidget(field->parentWidget());
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  for (QChar c : text) {
    // QTest knows ASCII keys only; others come as a key press's text, as a
    // keyboard layout delivers them.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    if (c.unicode() < 0x80) QTest::keyClick(field, c.toLatin1());
    else QApplication::sendEvent(field, &press);
  }
}

// Types the sample check into the form, with its own payee and number.
inline void TypeCheck(qp::TMainForm& form, const QString& payee, const QString& number) {
  const qp::CheckValues& sample = qp::SampleCheck();
  for (const qp::CheckRecordField& f : qp::CheckRecord()) {
    if (f.input != qp::CheckInput::kText || std::string(f.name) == "amtenglish") continue;
    Type(form, form.findChild<QWidget*>(f.edit), QString::fromStdString(sample.Text(f.name)));
  }
  Type(form, form.PayeeNameEdit, payee);
  Type(form, form.CheckNumber, number);
  Type(form, form.AmountNumbers, "1248.50");
}

// Closes the window, answering Yes.
inline void CloseWindow(qp::TMainForm& form, AppFixture& fx) {
  fx.msgs->Answer(qp::MsgResult::kYes);
  QVERIFY(form.close());
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_APP_APPFIXTURE_H_
