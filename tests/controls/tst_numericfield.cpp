// The amount field: what typing, deleting and pasting leave in it, its
// signals and mark, and how it looks when its content is invalid.
#include <cmath>
#include <limits>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include "controls/numericfield.h"

class TestNumericField : public QObject {
  Q_OBJECT

 private slots:
  void typingIsHeldToThePicture_data();
  void typingIsHeldToThePicture();
  void overwriteAndInsertModes_data();
  void overwriteAndInsertModes();
  void deletingKeys_data();
  void deletingKeys();
  void paste_data();
  void paste();
  void changeSignalOnlyForTheUsersEdits();
  void modifiedMark();
  void invalidContentIsRedWithBlackText_data();
  void invalidContentIsRedWithBlackText();
  void setValue_data();
  void setValue();
  void leavingTheFieldShowsAllDecimals();
  void undoRestoresTheEarlierText();
  void blockCaretOnlyInOverwriteMode();
  void otherPictures_data();
  void otherPictures();
};

namespace {

QLocale Locale(const QString& name) { return QLocale(name); }

}  // namespace

void TestNumericField::typingIsHeldToThePicture_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");

  QTest::newRow("largest amount") << "en_US" << "9999999.99" << "9999999.99";
  QTest::newRow("eighth integer digit refused") << "en_US" << "12345678" << "1234567";
  QTest::newRow("eighth digit refused before the point") << "en_US" << "12345678.5" << "1234567.5";
  QTest::newRow("third decimal refused") << "en_US" << "1.234" << "1.23";
  QTest::newRow("minus sign refused") << "en_US" << "-5" << "5";
  QTest::newRow("minus sign refused inside") << "en_US" << "5-0" << "50";
  QTest::newRow("letters refused") << "en_US" << "1a2b" << "12";
  QTest::newRow("point first gets a zero") << "en_US" << ".5" << "0.5";
  QTest::newRow("second point jumps past the first") << "en_US" << "1..5" << "1.5";
  QTest::newRow("comma is not the point in en_US") << "en_US" << "12,5" << "125";
  QTest::newRow("locale decimal key types the point") << "de_DE" << "12,5" << "12.5";
  QTest::newRow("dot still types the point in de_DE") << "de_DE" << "12.5" << "12.5";
}

void TestNumericField::typingIsHeldToThePicture() {
  QFETCH(QString, locale);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  TNumericField field;
  field.setLocale(Locale(locale));
  QTest::keyClicks(&field, typed);
  QCOMPARE(field.text(), shown);
  QVERIFY(field.IsValid());
}

void TestNumericField::overwriteAndInsertModes_data() {
  QTest::addColumn<bool>("overwrite");
  QTest::addColumn<double>("start");
  QTest::addColumn<int>("caret");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<int>("caretAfter");

  QTest::newRow("overwrite replaces the digit") << true << 12.5 << 0 << "9" << "92.50" << 1;
  QTest::newRow("overwrite steps over the point") << true << 12.5 << 2 << "7" << "12.70" << 4;
  QTest::newRow("overwrite appends at the end") << true << 12.0 << 5 << "" << "12.00" << 5;
  QTest::newRow("overwrite of a third decimal refused") << true << 12.5 << 5 << "1" << "12.50" << 5;
  QTest::newRow("overwrite full integer part") << true << 1234567.0 << 0 << "98" << "9834567.00" << 2;
  QTest::newRow("insert puts the digit in") << false << 12.5 << 0 << "9" << "912.50" << 1;
  QTest::newRow("insert of an eighth digit refused") << false << 1234567.0 << 0 << "9" << "1234567.00" << 0;
  QTest::newRow("insert of a third decimal refused") << false << 1.25 << 3 << "9" << "1.25" << 3;
  QTest::newRow("point jumps to the decimals") << true << 12.5 << 0 << "." << "12.50" << 3;
}

void TestNumericField::overwriteAndInsertModes() {
  QFETCH(bool, overwrite);
  QFETCH(double, start);
  QFETCH(int, caret);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  QFETCH(int, caretAfter);
  TNumericField field;
  field.setLocale(Locale("en_US"));
  field.SetValue(start);
  if (!overwrite) QTest::keyClick(&field, Qt::Key_Insert);  // the default is overwrite
  QCOMPARE(field.OverwriteMode(), overwrite);
  field.setCursorPosition(caret);
  QTest::keyClicks(&field, typed);
  QCOMPARE(field.text(), shown);
  QCOMPARE(field.cursorPosition(), caretAfter);
}

void TestNumericField::deletingKeys_data() {
  QTest::addColumn<double>("start");
  QTest::addColumn<int>("caret");
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<int>("caretAfter");

  QTest::newRow("backspace") << 12.5 << 5 << int(Qt::Key_Backspace) << "12.5" << 4;
  QTest::newRow("backspace at the start") << 12.5 << 0 << int(Qt::Key_Backspace) << "12.50" << 0;
  QTest::newRow("backspace joins the parts") << 12.5 << 3 << int(Qt::Key_Backspace) << "1250" << 2;
  QTest::newRow("delete") << 12.5 << 0 << int(Qt::Key_Delete) << "2.50" << 0;
  QTest::newRow("delete at the end") << 12.5 << 5 << int(Qt::Key_Delete) << "12.50" << 5;
  // Joining seven digits with two decimals would make nine integer digits:
  // the caret steps over the point instead.
  QTest::newRow("backspace over a point it cannot remove") << 1234567.89 << 8 << int(Qt::Key_Backspace)
                                                          << "1234567.89" << 7;
  QTest::newRow("delete over a point it cannot remove") << 1234567.89 << 7 << int(Qt::Key_Delete)
                                                       << "1234567.89" << 8;
}

void TestNumericField::deletingKeys() {
  QFETCH(double, start);
  QFETCH(int, caret);
  QFETCH(int, key);
  QFETCH(QString, shown);
  QFETCH(int, caretAfter);
  TNumericField field;
  field.SetValue(start);
  field.setCursorPosition(caret);
  QTest::keyClick(&field, Qt::Key(key));
  QCOMPARE(field.text(), shown);
  QCOMPARE(field.cursorPosition(), caretAfter);
}

void TestNumericField::paste_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QString>("before");  // "[text]": all of it selected; else the caret at the end
  QTest::addColumn<QString>("clipboard");
  QTest::addColumn<QString>("after");

  QTest::newRow("thousands and point") << "en_US" << "" << "1,234.56" << "1234.56";
  QTest::newRow("dollar sign") << "en_US" << "" << "$12.50" << "12.50";
  QTest::newRow("blanks around") << "en_US" << "" << "  7 \n" << "7";
  QTest::newRow("comma groups three digits") << "en_US" << "" << "1,234" << "1234";
  QTest::newRow("lone comma before two digits is the point") << "en_US" << "" << "12,50" << "12.50";
  QTest::newRow("German grouping") << "de_DE" << "" << "1.234,56" << "1234.56";
  QTest::newRow("German decimal comma") << "de_DE" << "" << "\u20ac 3,5" << "3.5";
  QTest::newRow("zeros beyond the picture carry nothing") << "en_US" << "" << "12.500" << "12.50";
  QTest::newRow("leading zeros") << "en_US" << "" << "0012" << "12";
  QTest::newRow("replaces all that is selected") << "en_US" << "[99.00]" << "$5.25" << "5.25";
  QTest::newRow("eighth digit refused") << "en_US" << "" << "12345678" << "";
  QTest::newRow("third decimal refused") << "en_US" << "" << "12.345" << "";
  QTest::newRow("negative refused") << "en_US" << "" << "-5.00" << "";
  QTest::newRow("negative in parentheses refused") << "en_US" << "" << "(5.00)" << "";
  QTest::newRow("words refused") << "en_US" << "" << "five" << "";
  QTest::newRow("two points refused") << "en_US" << "" << "1.2.3,4,5" << "";
  QTest::newRow("too long with what is there") << "en_US" << "12345.00" << "1,000" << "12345.00";
}

void TestNumericField::paste() {
  QFETCH(QString, locale);
  QFETCH(QString, before);
  QFETCH(QString, clipboard);
  QFETCH(QString, after);
  TNumericField field;
  field.setLocale(Locale(locale));
  const bool select = before.startsWith('[');
  if (select) before = before.mid(1, before.size() - 2);
  field.setText(before);
  if (select) {
    field.selectAll();
  } else {
    field.end(false);
  }
  QGuiApplication::clipboard()->setText(clipboard);
  QSignalSpy changed(&field, &TNumericField::Changed);
  QTest::keySequence(&field, QKeySequence::Paste);
  QCOMPARE(field.text(), after);
  QCOMPARE(changed.count(), after == before ? 0 : 1);
}

void TestNumericField::changeSignalOnlyForTheUsersEdits() {
  TNumericField field;
  QSignalSpy changed(&field, &TNumericField::Changed);
  QTest::keyClicks(&field, "12");
  QCOMPARE(changed.count(), 2);
  QTest::keyClicks(&field, "x-");  // refused, nothing changes
  QCOMPARE(changed.count(), 2);
  QTest::keyClick(&field, Qt::Key_Backspace);
  QCOMPARE(changed.count(), 3);

  field.SetValue(250.75);
  field.SetValue(0);
  QCOMPARE(changed.count(), 3);
  QCOMPARE(field.text(), QString());
}

void TestNumericField::modifiedMark() {
  TNumericField field;
  QVERIFY(!field.IsModified());
  QTest::keyClicks(&field, "5");
  QVERIFY(field.IsModified());
  QVERIFY(field.isModified());  // loops over plain edits see the same mark

  field.SetModified(false);
  QVERIFY(!field.IsModified());
  QTest::keyClick(&field, Qt::Key_Right);  // moving is no change
  QVERIFY(!field.IsModified());
  QTest::keyClicks(&field, "1");
  QVERIFY(field.IsModified());

  field.SetValue(3);
  QVERIFY(!field.IsModified());

  // A plain-edit loop clearing the mark through QLineEdit is heard too.
  QTest::keyClicks(&field, "4");
  static_cast<QLineEdit&>(field).setModified(false);
  QVERIFY(!field.IsModified());
}

void TestNumericField::invalidContentIsRedWithBlackText_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<double>("high");
  QTest::addColumn<bool>("valid");

  QTest::newRow("ordinary amount") << 125.5 << TNumericField::kDefaultRangeHigh << true;
  QTest::newRow("empty") << 0.0 << TNumericField::kDefaultRangeHigh << true;
  QTest::newRow("negative amount") << -5.0 << TNumericField::kDefaultRangeHigh << false;
  QTest::newRow("eight integer digits") << 12345678.0 << TNumericField::kDefaultRangeHigh << false;
  QTest::newRow("above the range") << 150.0 << 100.0 << false;
  QTest::newRow("at the top of the range") << 100.0 << 100.0 << true;
}

void TestNumericField::invalidContentIsRedWithBlackText() {
  QFETCH(double, value);
  QFETCH(double, high);
  QFETCH(bool, valid);
  QWidget window;
  auto* field = new TNumericField(&window);
  field->setGeometry(10, 10, 130, 24);
  field->SetRange(0, high);
  const QColor normal_base = field->palette().color(QPalette::Base);
  QCOMPARE(field->SetValue(value), valid);
  QCOMPARE(field->IsValid(), valid);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));

  const QImage image = field->grab().toImage();
  const QColor inside = image.pixelColor(image.width() - 6, image.height() / 2);
  if (valid) {
    QCOMPARE(field->palette().color(QPalette::Base), normal_base);
    QVERIFY(inside != QColor(Qt::red));
  } else {
    QCOMPARE(field->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(inside, QColor(Qt::red));
  }

  // Mending the content brings the normal colours back.
  field->selectAll();
  QTest::keyClicks(field, "1");
  QVERIFY(field->IsValid());
  QCOMPARE(field->palette().color(QPalette::Base), normal_base);
}

void TestNumericField::setValue_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<double>("readBack");
  QTest::addColumn<QString>("formatted");

  QTest::newRow("two decimals") << 12.5 << "12.50" << 12.5 << "12.50";
  QTest::newRow("largest amount") << 9999999.99 << "9999999.99" << 9999999.99 << "9999999.99";
  QTest::newRow("rounded once to cents") << 0.105 << "0.10" << 0.10 << "0.10";
  QTest::newRow("zero clears") << 0.0 << "" << 0.0 << "0.00";
  QTest::newRow("below a cent clears") << 0.001 << "" << 0.0 << "0.00";
  QTest::newRow("beyond the picture is kept") << 12345678.9 << "12345678.90" << 12345678.9 << "12345678.90";
  QTest::newRow("negative is kept") << -5.0 << "-5.00" << -5.0 << "-5.00";
}

void TestNumericField::setValue() {
  QFETCH(double, value);
  QFETCH(QString, shown);
  QFETCH(double, readBack);
  QFETCH(QString, formatted);
  TNumericField field;
  field.SetValue(value);
  QCOMPARE(field.text(), shown);
  QCOMPARE(field.Value(), readBack);
  QCOMPARE(field.FormattedText(), formatted);

  // Neither NaN nor infinity replaces what is shown.
  QVERIFY(!field.SetValue(std::numeric_limits<double>::quiet_NaN()));
  QVERIFY(!field.SetValue(std::numeric_limits<double>::infinity()));
  QCOMPARE(field.text(), shown);
}

void TestNumericField::leavingTheFieldShowsAllDecimals() {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* field = new TNumericField;
  auto* other = new QLineEdit;
  layout->addWidget(field);
  layout->addWidget(other);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));

  field->setFocus();
  QTest::keyClicks(field, "0012.5");
  QSignalSpy changed(field, &TNumericField::Changed);
  other->setFocus();
  QCOMPARE(field->text(), QString("12.50"));
  QCOMPARE(field->Value(), 12.5);
  QCOMPARE(changed.count(), 0);
  QVERIFY(field->IsModified());

  // An emptied field stays empty.
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  other->setFocus();
  QCOMPARE(field->text(), QString());
  QCOMPARE(field->FormattedText(), QString("0.00"));
}

void TestNumericField::undoRestoresTheEarlierText() {
  TNumericField field;
  QTest::keyClicks(&field, "12");
  QSignalSpy changed(&field, &TNumericField::Changed);
  QTest::keySequence(&field, QKeySequence::Undo);
  QCOMPARE(field.text(), QString("1"));
  QTest::keySequence(&field, QKeySequence::Redo);
  QCOMPARE(field.text(), QString("12"));
  QCOMPARE(changed.count(), 2);

  // The program's value starts a new history.
  field.SetValue(7);
  QTest::keySequence(&field, QKeySequence::Undo);
  QCOMPARE(field.text(), QString("7.00"));
}

void TestNumericField::blockCaretOnlyInOverwriteMode() {
  TNumericField field;
  QLineEdit plain;
  const int thin = plain.style()->pixelMetric(QStyle::PM_TextCursorWidth);
  const int digit = field.fontMetrics().horizontalAdvance(QLatin1Char('0'));
  QVERIFY(field.OverwriteMode());
  QCOMPARE(field.style()->pixelMetric(QStyle::PM_TextCursorWidth), digit);
  QTest::keyClick(&field, Qt::Key_Insert);
  QVERIFY(!field.OverwriteMode());
  QCOMPARE(field.style()->pixelMetric(QStyle::PM_TextCursorWidth), thin);
}

void TestNumericField::otherPictures_data() {
  QTest::addColumn<QString>("picture");
  QTest::addColumn<bool>("taken");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");

  QTest::newRow("whole numbers") << "####" << true << "12345.6" << "1234";
  QTest::newRow("three decimals") << "##.###" << true << "123.45678" << "12.456";
  QTest::newRow("point first") << ".##" << false << "" << "";
  QTest::newRow("point without decimals") << "###." << false << "" << "";
  QTest::newRow("other characters") << "$###.##" << false << "" << "";
  QTest::newRow("two points") << "#.#.#" << false << "" << "";
}

void TestNumericField::otherPictures() {
  QFETCH(QString, picture);
  QFETCH(bool, taken);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  TNumericField field;
  QCOMPARE(field.SetPicture(picture), taken);
  QCOMPARE(field.Picture(), taken ? picture : QString(TNumericField::kDefaultPicture));
  QTest::keyClicks(&field, typed);
  QCOMPARE(field.text(), shown);
}

QTEST_MAIN(TestNumericField)
#include "tst_numericfield.moc"
