// Enter as Tab: where Enter sends the focus in a window, and that it goes
// to the next field instead of the default button.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/entry/datefield.h"
#include "controls/entry/entrycontroller.h"
#include "controls/entry/numericfield.h"

namespace {

// A check page: fields made in reading order (the default tab order), then
// tabbed through in another order, in a dialog with a default button.
struct CheckPage {
  QDialog window;
  QLineEdit* payee;
  TNumericField* amount;
  QPushButton* ok;
  TEntryController* controller;

  CheckPage() {
    auto add = [this](QWidget* field, const char* name, int x, int y) {
      field->setParent(&window);
      field->setObjectName(name);
      field->move(x, y);
      return field;
    };
    QWidget* number = add(new QLineEdit, "number", 24, 32);
    amount = static_cast<TNumericField*>(add(new TNumericField, "amount", 136, 32));
    QWidget* date = add(new TDateField, "date", 304, 32);
    QWidget* words = add(new QLineEdit, "words", 24, 80);
    payee = static_cast<QLineEdit*>(add(new QLineEdit, "payee", 24, 128));
    ok = new QPushButton("OK", &window);
    ok->move(24, 170);
    ok->setDefault(true);
    QWidget::setTabOrder(date, amount);
    QWidget::setTabOrder(amount, payee);
    QWidget::setTabOrder(payee, words);
    QWidget::setTabOrder(words, number);
    QWidget::setTabOrder(number, ok);
    controller = new TEntryController(&window);
    window.resize(460, 210);
  }

  bool Show() {
    window.show();
    return QTest::qWaitForWindowActive(&window);
  }
  void Focus(const QString& name) { window.findChild<QWidget*>(name)->setFocus(); }
};

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr ? focus->objectName() : QString("<none>");
}

}  // namespace

class TestEntryController : public QObject {
  Q_OBJECT

 private slots:
  void enterFollowsTheTabOrder_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("to");

    const int enter = Qt::Key_Return;
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("date to amount") << "date" << enter << none << "amount";
    QTest::newRow("amount to payee") << "amount" << enter << none << "payee";
    QTest::newRow("payee to words") << "payee" << enter << none << "words";
    QTest::newRow("words to number") << "words" << enter << none << "number";
    QTest::newRow("keypad Enter") << "date" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "amount";
    QTest::newRow("Shift+Enter goes back") << "payee" << enter << shift << "amount";
    QTest::newRow("Ctrl+Enter stays") << "payee" << enter << int(Qt::ControlModifier) << "payee";
  }

  void enterFollowsTheTabOrder() {
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, to);
    CheckPage page;
    QVERIFY(page.Show());
    page.Focus(from);
    QCOMPARE(FocusName(), from);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(FocusName(), to);
  }

  void enterIsConsumed() {
    CheckPage page;
    QVERIFY(page.Show());
    QSignalSpy returned(page.payee, &QLineEdit::returnPressed);
    QSignalSpy clicked(page.ok, &QPushButton::clicked);
    page.Focus("payee");
    QTest::keyClick(page.payee, Qt::Key_Return);
    QCOMPARE(returned.count(), 0);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(page.window.isVisible());

    // The next field is entered as by Tab: the amount's text selected.
    QSignalSpy changed(page.amount, &TNumericField::Changed);
    page.amount->SetValue(12.5);
    page.Focus("date");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(page.amount->selectedText(), QString("12.50"));
    QCOMPARE(changed.count(), 0);

    // Without the "Default" table Enter is an ordinary key again; a table
    // of another name cannot be switched.
    QCOMPARE(page.controller->CommandTables(), QStringList({"Default", "WordStar", "Grid"}));
    QVERIFY(!page.controller->SetCommandTableActive("Emacs", true));
    QVERIFY(page.controller->SetCommandTableActive("Default", false));
    QVERIFY(!page.controller->IsCommandTableActive("Default"));
    page.Focus("payee");
    QTest::keyClick(page.payee, Qt::Key_Return);
    QCOMPARE(FocusName(), QString("payee"));
    QCOMPARE(returned.count(), 1);
  }
};

QTEST_MAIN(TestEntryController)
#include "tst_entrycontroller.moc"
