// The message service: the production boxes carry the icon and buttons the
// program asks for and report the button pressed; the scripted answerer
// records what the user would have seen and answers as told.
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

class TestMessages : public QObject {
  Q_OBJECT

 private slots:
  void productionBox_data();
  void productionBox();
  void captionDefaultsToApplicationTitle();
  void scriptedAnswersInOrderThenSafeDefaults();
  void scriptedPrintDialog();
};

namespace {

struct SeenBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QString caption;
  QString text;
  bool found = false;
};

// Looks at the modal box once it is up and presses `press` (or Escape).
void AnswerNextBox(SeenBox* seen, QMessageBox::StandardButton press) {
  QTimer::singleShot(0, [seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen->found = true;
    seen->icon = box->icon();
    seen->buttons = box->standardButtons();
    seen->caption = box->windowTitle();
    seen->text = box->text();
    if (press == QMessageBox::NoButton) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      box->button(press)->click();
    }
  });
}

}  // namespace

void TestMessages::productionBox_data() {
  QTest::addColumn<qp::MsgType>("type");
  QTest::addColumn<qp::MsgButtons>("buttons");
  QTest::addColumn<QMessageBox::StandardButton>("press");  // NoButton: Escape
  QTest::addColumn<QMessageBox::Icon>("icon");
  QTest::addColumn<qp::MsgResult>("result");

  using B = qp::MsgButtons;
  using T = qp::MsgType;
  using R = qp::MsgResult;
  QTest::newRow("confirmation yes") << T::kConfirmation << B::kYesNo << QMessageBox::Yes
                                    << QMessageBox::Question << R::kYes;
  QTest::newRow("confirmation no") << T::kConfirmation << B::kYesNo << QMessageBox::No
                                   << QMessageBox::Question << R::kNo;
  // Escape must never mean Yes: "Exit Quillprint Now?" would close the program.
  QTest::newRow("confirmation escape") << T::kConfirmation << B::kYesNo << QMessageBox::NoButton
                                       << QMessageBox::Question << R::kNo;
  QTest::newRow("error") << T::kError << B::kOk << QMessageBox::Ok << QMessageBox::Critical << R::kOk;
  QTest::newRow("stop") << T::kStop << B::kOk << QMessageBox::Ok << QMessageBox::Critical << R::kOk;
  QTest::newRow("information") << T::kInformation << B::kOk << QMessageBox::Ok << QMessageBox::Information
                               << R::kOk;
  QTest::newRow("warning") << T::kWarning << B::kOk << QMessageBox::Ok << QMessageBox::Warning << R::kOk;
  QTest::newRow("ok escape") << T::kConfirmation << B::kOk << QMessageBox::NoButton << QMessageBox::Question
                             << R::kOk;
  QTest::newRow("ok/cancel ok") << T::kConfirmation << B::kOkCancel << QMessageBox::Ok
                                << QMessageBox::Question << R::kOk;
  QTest::newRow("ok/cancel cancel") << T::kConfirmation << B::kOkCancel << QMessageBox::Cancel
                                    << QMessageBox::Question << R::kCancel;
  // "Delete Record ?" must not delete on Escape.
  QTest::newRow("ok/cancel escape") << T::kConfirmation << B::kOkCancel << QMessageBox::NoButton
                                    << QMessageBox::Question << R::kCancel;
}

void TestMessages::productionBox() {
  QFETCH(qp::MsgType, type);
  QFETCH(qp::MsgButtons, buttons);
  QFETCH(QMessageBox::StandardButton, press);
  QFETCH(QMessageBox::Icon, icon);
  QFETCH(qp::MsgResult, result);

  qp::SetMessageService(nullptr);
  SeenBox seen;
  AnswerNextBox(&seen, press);
  QCOMPARE(qp::Messages().Show(nullptr, "Caption", "Text", type, buttons), result);
  QVERIFY(seen.found);
  QCOMPARE(seen.icon, icon);
  QCOMPARE(seen.caption, QString("Caption"));
  QCOMPARE(seen.text, QString("Text"));
  const QMessageBox::StandardButtons expected =
      buttons == qp::MsgButtons::kYesNo      ? (QMessageBox::Yes | QMessageBox::No)
      : buttons == qp::MsgButtons::kOkCancel ? (QMessageBox::Ok | QMessageBox::Cancel)
                                             : QMessageBox::Ok;
  QCOMPARE(seen.buttons, expected);
}

void TestMessages::captionDefaultsToApplicationTitle() {
  {
    qp::ScopedScriptedMessages msgs;
    QCOMPARE(&qp::Messages(), &*msgs);
    qp::ShowMessage(nullptr, "one", qp::MsgType::kInformation);
    qp::ShowMessage(nullptr, "two", qp::MsgType::kError, qp::MsgButtons::kOk, "Program halted.");
    qp::SetApplicationTitle("Other");
    qp::ShowMessage(nullptr, "three", qp::MsgType::kWarning);
    qp::SetApplicationTitle("Quillprint");
    QCOMPARE(msgs->messages().size(), size_t{3});
    QCOMPARE(msgs->messages()[0].caption, QString("Quillprint"));
    QCOMPARE(msgs->messages()[1].caption, QString("Program halted."));
    QCOMPARE(msgs->messages()[2].caption, QString("Other"));
  }
  // The scope puts the production service back.
  QVERIFY(dynamic_cast<qp::ScriptedMessages*>(&qp::Messages()) == nullptr);
}

void TestMessages::scriptedAnswersInOrderThenSafeDefaults() {
  qp::ScopedScriptedMessages msgs;
  msgs->Answer(qp::MsgResult::kYes);
  msgs->Answer(qp::MsgResult::kNo);
  QWidget parent;
  using B = qp::MsgButtons;
  using T = qp::MsgType;
  QCOMPARE(qp::ShowMessage(&parent, "a", T::kConfirmation, B::kYesNo), qp::MsgResult::kYes);
  QCOMPARE(qp::ShowMessage(nullptr, "b", T::kConfirmation, B::kYesNo), qp::MsgResult::kNo);
  QCOMPARE(msgs->unanswered(), 0);
  // Nobody scripted these: the answers that change nothing.
  QCOMPARE(qp::ShowMessage(nullptr, "c", T::kConfirmation, B::kYesNo), qp::MsgResult::kNo);
  QCOMPARE(qp::ShowMessage(nullptr, "d", T::kError), qp::MsgResult::kOk);
  QCOMPARE(qp::ShowMessage(nullptr, "e", T::kConfirmation, B::kOkCancel), qp::MsgResult::kCancel);
  QCOMPARE(msgs->unanswered(), 3);
  const auto& seen = msgs->messages();
  QCOMPARE(seen.size(), size_t{5});
  QCOMPARE(seen[0].parent.data(), &parent);
  QCOMPARE(seen[0].text, QString("a"));
  QCOMPARE(seen[0].type, T::kConfirmation);
  QCOMPARE(seen[3].type, T::kError);
  QCOMPARE(seen[3].buttons, B::kOk);
}

void TestMessages::scriptedPrintDialog() {
  qp::ScopedScriptedMessages msgs;
  QPrinter printer;
  QVERIFY(!qp::Messages().ExecPrintDialog(&printer, nullptr));  // cancelled by default
  msgs->AnswerPrintDialog(true);
  QVERIFY(qp::Messages().ExecPrintDialog(&printer, nullptr));
  QPrinter* handed = nullptr;
  msgs->print_hook = [&handed](QPrinter* p) {
    handed = p;
    return true;
  };
  QVERIFY(qp::Messages().ExecPrintDialog(&printer, nullptr));
  QCOMPARE(handed, &printer);
  QCOMPARE(msgs->print_dialogs(), 3);
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
