// The amount field: what typing, deleting and pasting leave in it, its
// signals and mark, and how it looks when its content is invalid.
#include <limits>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "controls/entry/numericfield.h"

namespace {

// Types `keys`, with "\b" for Backspace and "\x7f" for Delete.
void Type(QWidget* widget, const QString& keys) {
  for (QChar c : keys) {
    if (c == QLatin1Char('\b')) {
      QTest::keyClick(widget, Qt::Key_Backspace);
    } else if (c == QChar(0x7f)) {
      QTest::keyClick(widget, Qt::Key_Delete);
    } else {
      QTest::keyClick(widget, c.toLatin1());
    }
  }
}

}  // namespace

class TestNumericField : public QObject {
  Q_OBJECT

 private slots:
  void editing_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("caret");  // -1: at the end
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QString>("keys");  // "\b" Backspace, "\x7f" Delete
    QTest::addColumn<QString>("shown");

    const QString us = "en_US";
    QTest::newRow("largest amount") << us << 0.0 << -1 << false << "9999999.99" << "9999999.99";
    QTest::newRow("eighth integer digit refused") << us << 0.0 << -1 << false << "12345678" << "1234567";
    QTest::newRow("third decimal refused") << us << 0.0 << -1 << false << "1.234" << "1.23";
    QTest::newRow("minus sign refused") << us << 0.0 << -1 << false << "-5-0" << "50";
    QTest::newRow("point first gets a zero") << us << 0.0 << -1 << false << ".5" << "0.5";
    QTest::newRow("second point jumps past the first") << us << 0.0 << -1 << false << "1..5" << "1.5";
    QTest::newRow("comma is no point in en_US") << us << 0.0 << -1 << false << "12,5" << "125";
    QTest::newRow("locale decimal key") << "de_DE" << 0.0 << -1 << false << "12,5" << "12.5";
    QTest::newRow("overwrite replaces") << us << 12.5 << 0 << false << "9" << "92.50";
    QTest::newRow("overwrite steps over the point") << us << 12.5 << 2 << false << "7" << "12.70";
    QTest::newRow("insert") << us << 12.5 << 0 << true << "9" << "912.50";
    QTest::newRow("insert: no eighth digit") << us << 1234567.0 << 0 << true << "9" << "1234567.00";
    QTest::newRow("backspace") << us << 12.5 << -1 << false << "\b\b" << "12.";
    QTest::newRow("backspace joins the parts") << us << 12.5 << 3 << false << "\b" << "1250";
    // Joining seven digits and two decimals would give nine integer digits:
    // the caret steps over the point, and the next key deletes a digit.
    QTest::newRow("point that cannot go") << us << 1234567.89 << 8 << false << "\b\b" << "123456.89";
    QTest::newRow("point that cannot go, forward") << us << 1234567.89 << 7 << false << "\x7f\x7f"
                                                  << "1234567.9";
  }

  void editing() {
    QFETCH(QString, locale);
    QFETCH(double, start);
    QFETCH(int, caret);
    QFETCH(bool, insert);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    TNumericField field;
    field.setLocale(QLocale(locale));
    field.SetValue(start);
    if (insert) QTest::keyClick(&field, Qt::Key_Insert);
    if (caret >= 0) field.setCursorPosition(caret);
    Type(&field, keys);
    QCOMPARE(field.text(), shown);
    QCOMPARE(field.Value(), shown.toDouble());
  }

  void paste_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("before");  // "[text]": all of it selected; else the caret at the end
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("after");

    const QString us = "en_US";
    QTest::newRow("thousands and point") << us << "" << "1,234.56" << "1234.56";
    QTest::newRow("dollar sign and blanks") << us << "" << " $12.50\n" << "12.50";
    QTest::newRow("lone comma before two digits") << us << "" << "12,50" << "12.50";
    QTest::newRow("German grouping") << "de_DE" << "" << "1.234,56" << "1234.56";
    QTest::newRow("zeros beyond the picture") << us << "" << "0012.500" << "12.50";
    QTest::newRow("replaces the selection") << us << "[99.00]" << "$5.25" << "5.25";
    QTest::newRow("eighth digit refused") << us << "" << "12345678" << "";
    QTest::newRow("negative refused") << us << "" << "-5.00" << "";
    QTest::newRow("two points refused") << us << "" << "1.2.3,4,5" << "";
    QTest::newRow("too long with what is there") << us << "12345.00" << "1,000" << "12345.00";
  }

  void paste() {
    QFETCH(QString, locale);
    QFETCH(QString, before);
    QFETCH(QString, clipboard);
    QFETCH(QString, after);
    TNumericField field;
    field.setLocale(QLocale(locale));
    const bool select = before.startsWith('[');
    if (select) before = before.mid(1, before.size() - 2);
    field.setText(before);
    if (select) field.selectAll();
    QGuiApplication::clipboard()->setText(clipboard);
    QSignalSpy changed(&field, &TNumericField::Changed);
    QTest::keySequence(&field, QKeySequence::Paste);
    QCOMPARE(field.text(), after);
    QCOMPARE(changed.count(), after == before ? 0 : 1);
  }

  void setValue_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("formatted");
    QTest::addColumn<bool>("valid");

    QTest::newRow("two decimals") << 12.5 << "12.50" << "12.50" << true;
    QTest::newRow("rounded once to cents") << 0.105 << "0.10" << "0.10" << true;
    QTest::newRow("zero clears") << 0.0 << "" << "0.00" << true;
    QTest::newRow("below a cent clears") << 0.001 << "" << "0.00" << true;
    QTest::newRow("too large is kept") << 12345678.9 << "12345678.90" << "12345678.90" << false;
    QTest::newRow("negative is kept") << -5.0 << "-5.00" << "-5.00" << false;
  }

  void setValue() {
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(QString, formatted);
    QFETCH(bool, valid);
    TNumericField field;
    QCOMPARE(field.SetValue(value), valid);
    QCOMPARE(field.text(), shown);
    QCOMPARE(field.FormattedText(), formatted);
    QCOMPARE(field.Value(), formatted.toDouble());
    QVERIFY(!field.SetValue(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!field.SetValue(std::numeric_limits<double>::infinity()));
    QCOMPARE(field.text(), shown);
  }

  void invalidContentIsRedWithBlackText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("high");
    QTest::addColumn<bool>("valid");

    QTest::newRow("ordinary amount") << 125.5 << TNumericField::kDefaultRangeHigh << true;
    QTest::newRow("negative amount") << -5.0 << TNumericField::kDefaultRangeHigh << false;
    QTest::newRow("eight integer digits") << 12345678.0 << TNumericField::kDefaultRangeHigh << false;
    QTest::newRow("above the range") << 150.0 << 100.0 << false;
  }

  void invalidContentIsRedWithBlackText() {
    QFETCH(double, value);
    QFETCH(double, high);
    QFETCH(bool, valid);
    TNumericField field;
    field.resize(130, 24);
    field.SetRange(0, high);
    const QColor normal = field.palette().color(QPalette::Base);
    field.SetValue(value);
    QCOMPARE(field.IsValid(), valid);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    const QImage image = field.grab().toImage();
    const QColor inside = image.pixelColor(image.width() - 6, image.height() / 2);
    QCOMPARE(inside == QColor(Qt::red), !valid);
    if (!valid) QCOMPARE(field.palette().color(QPalette::Text), QColor(Qt::black));

    field.selectAll();  // typing over all of it mends it, in the normal colours
    QTest::keyClicks(&field, "1");
    QCOMPARE(field.text(), QString("1"));
    QCOMPARE(field.palette().color(QPalette::Base), normal);
  }

  void changeSignalAndMarkOnlyForTheUsersEdits() {
    TNumericField field;
    QSignalSpy changed(&field, &TNumericField::Changed);
    QTest::keyClicks(&field, "12x-");  // two edits, two refused keys
    QCOMPARE(changed.count(), 2);
    QVERIFY(field.IsModified());
    QVERIFY(field.isModified());  // loops over plain edits see the same mark
    QTest::keySequence(&field, QKeySequence::Undo);
    QCOMPARE(field.text(), QString("1"));
    QCOMPARE(changed.count(), 3);

    field.SetModified(false);
    QTest::keyClick(&field, Qt::Key_Left);  // moving is no change
    QVERIFY(!field.IsModified());
    QTest::keyClicks(&field, "4");
    QVERIFY(field.IsModified());

    field.SetValue(250.75);
    field.SetValue(0);
    QCOMPARE(changed.count(), 4);
    QVERIFY(!field.IsModified());
  }
};

QTEST_MAIN(TestNumericField)
#include "tst_numericfield.moc"
