// The message service: the production boxes carry the icon and buttons the
// program asks for and report the button pressed; the scripted answerer
// records what the user would have seen and answers as told.
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QTimer>
#include <QtTest>

#include "platform/qt/messages.h"
#include "platform/qt/scripted_messages.h"

using B = qp::MsgButtons;
using T = qp::MsgType;
using R = qp::MsgResult;
using M = QMessageBox;

class TestMessages : public QObject {
  Q_OBJECT

 private slots:
  void productionBox() {
    const struct {
      T type;
      B buttons;
      M::StandardButton press;  // NoButton: Escape
      M::Icon icon;
      R result;
    } cases[] = {
        // Each type with its icon, each set of buttons with each answer.
        {T::kConfirmation, B::kYesNo, M::Yes, M::Question, R::kYes},
        {T::kWarning, B::kYesNo, M::No, M::Warning, R::kNo},
        // Escape must never mean Yes: "Exit Quillprint Now?" would close the program.
        {T::kConfirmation, B::kYesNo, M::NoButton, M::Question, R::kNo},
        {T::kError, B::kOk, M::Ok, M::Critical, R::kOk},
        {T::kStop, B::kOk, M::NoButton, M::Critical, R::kOk},
        {T::kInformation, B::kOkCancel, M::Ok, M::Information, R::kOk},
        {T::kConfirmation, B::kOkCancel, M::Cancel, M::Question, R::kCancel},
        // "Delete Record ?" must not delete on Escape.
        {T::kConfirmation, B::kOkCancel, M::NoButton, M::Question, R::kCancel},
    };
    qp::SetMessageService(nullptr);
    for (const auto& c : cases) {
      QString seen;  // what the box showed, once it is up; then `press` (or Escape)
      QTimer::singleShot(0, [&seen, press = c.press] {
        auto* box = qobject_cast<M*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = QString("%1 %2 %3 %4").arg(int(box->icon())).arg(box->standardButtons().toInt());
        seen = seen.arg(box->windowTitle(), box->text());
        if (press == M::NoButton) {
          QTest::keyClick(box, Qt::Key_Escape);
        } else {
          box->button(press)->click();
        }
      });
      QCOMPARE(qp::Messages().Show(nullptr, "Caption", "Text", c.type, c.buttons), c.result);
      const M::StandardButtons expected = c.buttons == B::kYesNo      ? (M::Yes | M::No)
                                          : c.buttons == B::kOkCancel ? (M::Ok | M::Cancel)
                                                                      : M::Ok;
      QCOMPARE(seen, QString("%1 %2 Caption Text").arg(int(c.icon)).arg(expected.toInt()));
    }
  }

  void scriptedAnswersAndCaptions() {
    {
      qp::ScopedScriptedMessages msgs;
      QCOMPARE(&qp::Messages(), &*msgs);
      msgs->Answer(R::kYes);
      msgs->Answer(R::kNo);
      QCOMPARE(qp::ShowMessage(nullptr, "a", T::kConfirmation, B::kYesNo), R::kYes);
      QCOMPARE(qp::ShowMessage(nullptr, "b", T::kConfirmation, B::kYesNo), R::kNo);
      QCOMPARE(msgs->unanswered(), 0);
      // Nobody scripted these: the answers that change nothing.
      QCOMPARE(qp::ShowMessage(nullptr, "c", T::kConfirmation, B::kYesNo), R::kNo);
      QCOMPARE(qp::ShowMessage(nullptr, "d", T::kError, B::kOk, "Program halted."), R::kOk);
      qp::SetApplicationTitle("Other");
      QCOMPARE(qp::ShowMessage(nullptr, "e", T::kConfirmation, B::kOkCancel), R::kCancel);
      qp::SetApplicationTitle("Quillprint");
      QCOMPARE(msgs->unanswered(), 3);
      QStringList seen;
      for (const qp::RecordedMessage& m : msgs->messages()) seen << m.text + ":" + m.caption;
      QCOMPARE(seen, QStringList({"a:Quillprint", "b:Quillprint", "c:Quillprint", "d:Program halted.", "e:Other"}));
    }
    // The scope puts the production service back.
    QVERIFY(dynamic_cast<qp::ScriptedMessages*>(&qp::Messages()) == nullptr);
  }

  void scriptedPrintDialog() {
    qp::ScopedScriptedMessages msgs;
    QPrinter printer;
    QVERIFY(!qp::Messages().ExecPrintDialog(&printer, nullptr));  // cancelled by default
    msgs->AnswerPrintDialog(true);
    QVERIFY(qp::Messages().ExecPrintDialog(&printer, nullptr));
    QPrinter* handed = nullptr;
    msgs->print_hook = [&handed](QPrinter* p) { return (handed = p) != nullptr; };
    QVERIFY(qp::Messages().ExecPrintDialog(&printer, nullptr));
    QCOMPARE(handed, &printer);
    QCOMPARE(msgs->print_dialogs(), 3);
  }

  // Escape on the real print and save dialogs: nothing printed, no file name.
  void productionDialogsCancelled() {
    qp::SetMessageService(nullptr);
    std::function<void()> escape = [&escape] {
      if (QWidget* dialog = QApplication::activeModalWidget()) return QTest::keyClick(dialog, Qt::Key_Escape);
      QTimer::singleShot(10, escape);
    };
    QTimer::singleShot(0, escape);
    QPrinter printer(QPrinter::HighResolution);
    QVERIFY(!qp::Messages().ExecPrintDialog(&printer, nullptr));
    QTimer::singleShot(0, escape);
    QCOMPARE(qp::Messages().SaveFileName(nullptr, "Export", "checks.csv", "CSV (*.csv)"), QString());
  }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
