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

Q_DECLARE_METATYPE(qp::MsgType)
Q_DECLARE_METATYPE(qp::MsgButtons)
Q_DECLARE_METATYPE(qp::MsgResult)
Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

using B = qp::MsgButtons;
using T = qp::MsgType;
using R = qp::MsgResult;

class TestMessages : public QObject {
  Q_OBJECT

 private slots:
  void productionBox_data();
  void productionBox();
  void scriptedAnswersAndCaptions();
  void scriptedPrintDialog();
  void productionDialogsCancelled();
};

void TestMessages::productionBox_data() {
  QTest::addColumn<T>("type");
  QTest::addColumn<B>("buttons");
  QTest::addColumn<QMessageBox::StandardButton>("press");  // NoButton: Escape
  QTest::addColumn<QMessageBox::Icon>("icon");
  QTest::addColumn<R>("result");
  using M = QMessageBox;
  // Each type with its icon, each set of buttons with each answer.
  QTest::newRow("yes") << T::kConfirmation << B::kYesNo << M::Yes << M::Question << R::kYes;
  QTest::newRow("no") << T::kWarning << B::kYesNo << M::No << M::Warning << R::kNo;
  // Escape must never mean Yes: "Exit Quillprint Now?" would close the program.
  QTest::newRow("yes/no escape") << T::kConfirmation << B::kYesNo << M::NoButton << M::Question << R::kNo;
  QTest::newRow("error") << T::kError << B::kOk << M::Ok << M::Critical << R::kOk;
  QTest::newRow("stop, escape") << T::kStop << B::kOk << M::NoButton << M::Critical << R::kOk;
  QTest::newRow("ok") << T::kInformation << B::kOkCancel << M::Ok << M::Information << R::kOk;
  QTest::newRow("cancel") << T::kConfirmation << B::kOkCancel << M::Cancel << M::Question << R::kCancel;
  // "Delete Record ?" must not delete on Escape.
  QTest::newRow("ok/cancel escape") << T::kConfirmation << B::kOkCancel << M::NoButton << M::Question << R::kCancel;
}

void TestMessages::productionBox() {
  QFETCH(T, type);
  QFETCH(B, buttons);
  QFETCH(QMessageBox::StandardButton, press);
  QFETCH(QMessageBox::Icon, icon);
  QFETCH(R, result);
  qp::SetMessageService(nullptr);
  QString seen;  // what the box showed, once it is up; then `press` (or Escape)
  QTimer::singleShot(0, [&seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = QString("%1 %2 %3 %4").arg(int(box->icon())).arg(box->standardButtons().toInt());
    seen = seen.arg(box->windowTitle(), box->text());
    if (press == QMessageBox::NoButton) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      box->button(press)->click();
    }
  });
  QCOMPARE(qp::Messages().Show(nullptr, "Caption", "Text", type, buttons), result);
  const QMessageBox::StandardButtons expected = buttons == B::kYesNo      ? (QMessageBox::Yes | QMessageBox::No)
                                                : buttons == B::kOkCancel ? (QMessageBox::Ok | QMessageBox::Cancel)
                                                                          : QMessageBox::Ok;
  QCOMPARE(seen, QString("%1 %2 Caption Text").arg(int(icon)).arg(expected.toInt()));
}

void TestMessages::scriptedAnswersAndCaptions() {
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

void TestMessages::scriptedPrintDialog() {
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
void TestMessages::productionDialogsCancelled() {
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

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
