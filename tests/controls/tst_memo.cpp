// TTzMemo over the notes of a real check table: the display states, the
// keys that start an edit, Escape, the lines written back into the memo
// file, and the caption label.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

#include "controls/memo.h"
#include "tablefixture.h"

namespace {

const QString kNotes = "Dear Sir\nPaid in full";  // record 1; record 2 has none, 3 a blob

struct StateCase {
  int record;
  QString field;
  bool auto_display;
  QString shown;
  bool typing_goes_in;  // once the data set edits
};
struct KeyCase {
  int key;
  Qt::KeyboardModifiers modifiers;
  QString text;  // of the key event
  bool edits;
  QString shown;  // what was typed goes to the start
};
struct WriteCase {
  int record;
  bool leave_first;  // the focus leaves before the post
  QByteArray stored;  // in the memo file afterwards; empty: nothing new
};
struct CaptionCase {
  qp::TTzCaptionPosType pos;
  int edge;  // x of the label's fixed edge
  int top;   // -1: 76 - the label's height
  bool right;  // the right edge is fixed, the text right-aligned
};

}  // namespace

Q_DECLARE_METATYPE(StateCase)
Q_DECLARE_METATYPE(KeyCase)
Q_DECLARE_METATYPE(WriteCase)
Q_DECLARE_METATYPE(CaptionCase)

class TestMemo : public QObject {
  Q_OBJECT

  std::unique_ptr<qptest::TableFixture> fx_;
  std::unique_ptr<QWidget> window_;
  qp::TTzMemo* memo_ = nullptr;
  QLineEdit* other_ = nullptr;

  vz::TTzDataSet* ds() const { return fx_->table->DataSet(); }

  // The memo (100, 80, 200 x 120) on record `record`, shown with the focus.
  void Open(int record = 1, const QString& field = "notes", bool auto_display = true) {
    fx_->OpenChecks({{"Alpha", {"Dear Sir", "Paid in full"}}, {"Beta", {}}, {"Gamma", {"binary"}}});
    fx_->Patch(3, "notes", "        -3");
    ds()->MoveBy(record - 1);
    memo_->SetAutoDisplay(auto_display);
    memo_->SetDataSource(fx_->table);
    memo_->SetDataField(field);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    memo_->setFocus();
  }

 private slots:
  void init() {
    fx_ = std::make_unique<qptest::TableFixture>();
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 300);
    memo_ = new qp::TTzMemo(window_.get());
    memo_->setObjectName("memo");
    memo_->SetBounds(100, 80, 200, 120);
    other_ = new QLineEdit(window_.get());
  }
  void cleanup() {
    window_.reset();
    fx_.reset();
  }

  void displayStates_data() {
    QTest::addColumn<StateCase>("c");
    QTest::newRow("memo text") << StateCase{1, "notes", true, kNotes, true};
    QTest::newRow("no memo, empty text") << StateCase{2, "notes", true, "", true};
    QTest::newRow("placeholder") << StateCase{1, "notes", false, "(Memo)", false};
    QTest::newRow("blob") << StateCase{3, "notes", true, "(Blob)", true};
    QTest::newRow("unbound") << StateCase{1, "", true, "", false};
  }
  void displayStates() {
    QFETCH(StateCase, c);
    Open(c.record, c.field, c.auto_display);
    QCOMPARE(memo_->toPlainText(), c.shown);
    ds()->Edit();
    QTest::keyClicks(memo_, "Z");
    QCOMPARE(memo_->toPlainText(), c.typing_goes_in ? "Z" + c.shown : c.shown);
  }

  // Loading is no change of the user's: leaving the memo writes nothing.
  void placeholderLoads_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Enter", "double click", "AutoDisplay"}) QTest::newRow(how) << how;
  }
  void placeholderLoads() {
    QFETCH(QString, how);
    Open(1, "notes", false);
    const QByteArray memo_file = fx_->Read("checks.dbt");
    QTest::keyClicks(memo_, "Z");  // swallowed before the text is there
    QCOMPARE(memo_->toPlainText(), QString("(Memo)"));
    if (how == "Enter") QTest::keyClick(memo_, Qt::Key_Return);
    if (how == "double click") QTest::mouseDClick(memo_->viewport(), Qt::LeftButton);
    if (how == "AutoDisplay") memo_->SetAutoDisplay(true);
    QCOMPARE(memo_->toPlainText(), kNotes);
    QCOMPARE(ds()->State(), vz::dsBrowse);
    other_->setFocus();
    QCOMPARE(fx_->Read("checks.dbt"), memo_file);
    ds()->Next();
    QCOMPARE(memo_->toPlainText(), how == "AutoDisplay" ? QString() : QString("(Memo)"));
  }

  void keysStartingAnEdit_data() {
    QTest::addColumn<KeyCase>("c");
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    QTest::newRow("character") << KeyCase{Qt::Key_X, none, "x", true, "x" + kNotes};
    QTest::newRow("Delete") << KeyCase{Qt::Key_Delete, none, "", true, kNotes.mid(1)};
    QTest::newRow("Shift+Insert") << KeyCase{Qt::Key_Insert, shift, "", true, "clip" + kNotes};
    QTest::newRow("Enter") << KeyCase{Qt::Key_Return, none, "\r", true, "\n" + kNotes};
    QTest::newRow("Backspace") << KeyCase{Qt::Key_Backspace, none, "", true, kNotes};
    QTest::newRow("Insert alone") << KeyCase{Qt::Key_Insert, none, "", false, kNotes};
    QTest::newRow("arrow") << KeyCase{Qt::Key_Right, none, "", false, kNotes};
    QTest::newRow("Ctrl+C") << KeyCase{Qt::Key_C, ctrl, "", false, kNotes};
  }
  void keysStartingAnEdit() {
    QFETCH(KeyCase, c);
    Open();
    QApplication::clipboard()->setText("clip");
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text);
    QApplication::sendEvent(memo_, &press);
    QCOMPARE(ds()->State(), c.edits ? vz::dsEdit : vz::dsBrowse);
    QCOMPARE(memo_->toPlainText(), c.shown);
  }

  // Escape drops the typing, the edit goes on, and posting it leaves both
  // files as they were.
  void escapeRereadsTheField_data() {
    QTest::addColumn<bool>("autoDisplay");
    QTest::newRow("AutoDisplay") << true;
    QTest::newRow("loaded by Enter") << false;
  }
  void escapeRereadsTheField() {
    QFETCH(bool, autoDisplay);
    Open(1, "notes", autoDisplay);
    if (!autoDisplay) QTest::keyClick(memo_, Qt::Key_Return);
    const QByteArray dbf = fx_->Read("checks.dbf"), dbt = fx_->Read("checks.dbt");
    QTest::keyClicks(memo_, "typed ");
    QTest::keyClick(memo_, Qt::Key_Escape);
    QCOMPARE(memo_->toPlainText(), kNotes);
    QCOMPARE(ds()->State(), vz::dsEdit);
    other_->setFocus();
    QVERIFY(ds()->Post());
    QCOMPARE(fx_->Read("checks.dbf"), dbf);
    QCOMPARE(fx_->Read("checks.dbt"), dbt);
  }

  void typingIsWrittenBack_data() {
    QTest::addColumn<WriteCase>("c");
    QTest::newRow("posted") << WriteCase{1, false, "New Dear Sir\r\nPaid in full"};
    QTest::newRow("left, then posted") << WriteCase{1, true, "New Dear Sir\r\nPaid in full"};
    QTest::newRow("into no memo") << WriteCase{2, false, "New "};
    QTest::newRow("blob never") << WriteCase{3, true, {}};
  }
  void typingIsWrittenBack() {
    QFETCH(WriteCase, c);
    Open(c.record);
    const QByteArray before = fx_->Read("checks.dbt");
    QTest::keyClicks(memo_, "New ");
    if (c.leave_first) other_->setFocus();
    QVERIFY(ds()->Post());
    const QByteArray after = fx_->Read("checks.dbt");
    QVERIFY(c.stored.isEmpty() ? after == before : after.contains(c.stored));
  }

  void otherFieldChangeLeavesTheTyping() {
    Open();
    QTest::keyClicks(memo_, "X");
    ds()->FieldByName("payee")->SetAsString("Other");
    QCOMPARE(memo_->toPlainText(), "X" + kNotes);
  }

  void failedWriteKeepsTheFocus() {
    Open();
    QTest::keyClicks(memo_, "X");
    plat::fault::FailNth(plat::fault::Op::kWrite, 1, ENOSPC);
    other_->setFocus();
    QVERIFY(memo_->hasFocus());
    QVERIFY(!fx_->msgs->messages().empty());
    QCOMPARE(fx_->msgs->messages().back().type, qp::MsgType::kError);
  }

  // The memo stands at 100, 80, 200 x 120.
  void captionPlacement_data() {
    QTest::addColumn<CaptionCase>("c");
    QTest::newRow("left") << CaptionCase{qp::cpLeft, 96, 84, true};
    QTest::newRow("right") << CaptionCase{qp::cpRight, 304, 84, false};
    QTest::newRow("top left") << CaptionCase{qp::cpTopLeft, 100, -1, false};
    QTest::newRow("top right") << CaptionCase{qp::cpTopRight, 300, -1, true};
    QTest::newRow("bottom left") << CaptionCase{qp::cpBottomLeft, 100, 204, false};
    QTest::newRow("bottom right") << CaptionCase{qp::cpBottomRight, 300, 204, true};
  }
  void captionPlacement() {
    QFETCH(CaptionCase, c);
    window_->show();
    memo_->SetCaption("Notes:");
    QLabel* label = memo_->CaptionLabel();
    QCOMPARE(label->objectName(), QString("memoCaption"));
    QCOMPARE(label->parentWidget(), window_.get());
    QCOMPARE(memo_->CaptionPos(), qp::cpLeft);  // a made label leaves cpDetached
    memo_->SetCaptionPos(c.pos);
    for (int d : {0, 10, 0}) {  // the label follows the memo
      memo_->move(100 + d, 80 + d);
      const QRect r = label->geometry();
      QCOMPARE(c.right ? r.left() + r.width() : r.left(), c.edge + d);
      QCOMPARE(r.top(), (c.top < 0 ? 76 - r.height() : c.top) + d);
      QCOMPARE(r.size(), label->sizeHint());
      QCOMPARE(bool(label->alignment() & Qt::AlignRight), c.right);
    }
  }

  // A label of the form named after the memo is adopted where it stands;
  // renaming the memo renames it; freeing it anywhere is noticed.
  void captionLabelLife() {
    auto* label = new QLabel("old", window_.get());
    label->setObjectName("memoCaption");
    label->move(5, 5);
    memo_->SetCaption("Notes:");
    QCOMPARE(memo_->CaptionLabel(), label);
    QCOMPARE(memo_->CaptionPos(), qp::cpDetached);
    memo_->move(120, 100);
    QCOMPARE(label->pos(), QPoint(5, 5));
    QCOMPARE(label->text(), QString("Notes:"));
    memo_->setObjectName("notes");
    QCOMPARE(label->objectName(), QString("notesCaption"));
    delete label;
    QCOMPARE(memo_->Caption(), QString());
    memo_->SetCaption("Again:");
    QPointer<QLabel> made = memo_->CaptionLabel();
    QCOMPARE(made->objectName(), QString("notesCaption"));
    memo_->SetCaption("");
    QVERIFY(made.isNull());
  }

  // A freed memo leaves the table; a freed table leaves the memo unbound.
  void freeing() {
    Open();
    auto* second = new qp::TTzMemo(window_.get());
    second->SetDataSource(fx_->table);
    second->SetDataField("notes");
    delete memo_;
    QVERIFY(ds()->Next());
    QCOMPARE(second->toPlainText(), QString());
    ds()->Prior();
    QCOMPARE(second->toPlainText(), kNotes);
    delete fx_->table;
    QVERIFY(!second->DataSource());
    QCOMPARE(second->toPlainText(), QString());
  }
};

QTEST_MAIN(TestMemo)
#include "tst_memo.moc"
