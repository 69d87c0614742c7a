// LimitedEdit: what the user can put into a limited edit, and that the
// program's own longer texts stay whole.
#include <QApplication>
#include <QClipboard>
#include <QtTest>

#include "controls/entry/limitededit.h"

class TestLimitedEdit : public QObject {
  Q_OBJECT

 private slots:
  void userEdits_data() {
    QTest::addColumn<QString>("start");   // set by the program
    QTest::addColumn<int>("cursor");      // -1 selects all
    QTest::addColumn<QString>("action");  // "type:TEXT", "paste:TEXT", "backspace"
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("modified");  // the changed-by-the-user mark after

    // The refused keystrokes at the end must not clear the mark the first
    // ones set.
    QTest::newRow("typing stops at the limit") << "" << 0 << "type:abcdefgh" << "abcde" << true;
    QTest::newRow("typing into a full field") << "abcde" << 2 << "type:X" << "abcde" << false;
    QTest::newRow("paste goes in as far as it fits") << "abc" << 3 << "paste:12345" << "abc12" << true;
    QTest::newRow("paste in the middle keeps the tail") << "abc" << 1 << "paste:12345" << "a12bc" << true;
    QTest::newRow("over-long text can be shortened") << "abcdefgh" << 8 << "backspace" << "abcdefg" << true;
    QTest::newRow("over-long text cannot grow") << "abcdefgh" << 8 << "type:Z" << "abcdefgh" << false;
    QTest::newRow("over-long text replaced by typing") << "abcdefgh" << -1 << "type:Z" << "Z" << true;
  }

  void userEdits() {
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QFETCH(bool, modified);
    qp::LimitedEdit edit(5);
    edit.setText(start);
    QCOMPARE(edit.text(), start);
    if (cursor < 0) {
      edit.selectAll();
    } else {
      edit.setCursorPosition(cursor);
    }
    if (action.startsWith("type:")) {
      QTest::keyClicks(&edit, action.mid(5));
    } else if (action.startsWith("paste:")) {
      QApplication::clipboard()->setText(action.mid(6));
      QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    } else {
      QTest::keyClick(&edit, Qt::Key_Backspace);
    }
    QCOMPARE(edit.text(), expected);
    QCOMPARE(edit.isModified(), modified);
  }

  void programTextStaysWhole() {
    qp::LimitedEdit edit(40);
    const QString words = "Nine Million Nine Hundred Ninety-Nine Thousand and 99/100";
    edit.setText(words);
    QCOMPARE(edit.text(), words);
    edit.insert("!");  // the program's own insert is no typing either
    QCOMPARE(edit.text(), words + "!");
    QVERIFY(edit.hasAcceptableInput());
  }
};

QTEST_MAIN(TestLimitedEdit)
#include "tst_limitededit.moc"
