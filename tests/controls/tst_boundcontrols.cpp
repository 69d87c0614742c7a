// TTzMemo over the notes and TTzNavigator, bound to a real check table. Mouse
// events go through the window system, as a user's do, so that the
// application knows when the button is held.
#define QTEST_QPA_MOUSE_HANDLING
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/memo.h"
#include "controls/navigator.h"
#include "tablefixture.h"

using qp::TNavigateBtn;

namespace {

const QString kNotes = "Dear Sir\nPaid in full";  // record 1; record 2 has none, 3 a blob

struct KeyCase {
  int key;
  Qt::KeyboardModifiers modifiers;
  QString text;  // of the key event
  bool edits;
  QString shown;  // what was typed goes to the start
};
struct MemoCase {
  int record;
  QString field;
  bool auto_display;
  QString shown;
  QString then;       // after the typing: "leave" (the focus), "escape", "payee" (changed)
  QByteArray stored;  // in the memo file afterwards; empty: nothing new
};
struct SizeCase {
  int visible, align;
  QSize asked, size;
};
struct PromptCase {
  bool marked, confirm;  // record 2 carries the deletion mark; ConfirmDelete and ConfirmRestore
  qp::MsgResult answer;
  QString prompt;  // "" none
  char mark;       // in the file afterwards
};
struct ArrowCase {
  bool few;  // only first, last and refresh shown
  QString keys;
  TNavigateBtn focused;
  QString payee;
};
QString EnabledMap(const qp::TTzNavigator& nav) {
  QString map;
  for (int i = 0; i < qp::kNavButtonCount; ++i) map += nav.Button(TNavigateBtn(i))->isEnabled() ? '1' : '0';
  return map;
}

}  // namespace

Q_DECLARE_METATYPE(KeyCase)
Q_DECLARE_METATYPE(MemoCase)
Q_DECLARE_METATYPE(SizeCase)
Q_DECLARE_METATYPE(PromptCase)
Q_DECLARE_METATYPE(ArrowCase)

class TestBoundControls : public QObject {
  Q_OBJECT

  std::unique_ptr<qptest::TableFixture> fx_;
  QLineEdit* other_ = nullptr;  // where the focus goes when it leaves
  qp::TTzMemo* memo_ = nullptr;
  qp::TTzNavigator* nav_ = nullptr;
  std::vector<TNavigateBtn> clicks_;

  vz::TTzDataSet* ds() const { return fx_->table->DataSet(); }
  QString Payee() const { return QString::fromStdString(ds()->FieldByName("payee")->AsString()); }

  // The memo (100, 80, 200 x 120) on record `record`, shown with the focus.
  void OpenMemo(int record = 1, const QString& field = "notes", bool auto_display = true) {
    fx_->OpenChecks({{"Alpha", {"Dear Sir", "Paid in full"}}, {"Beta", {}}, {"Gamma", {"binary"}}});
    fx_->Patch(3, "notes", "        -3");
    ds()->MoveBy(record - 1);
    memo_->SetAutoDisplay(auto_display);
    memo_->SetDataSource(fx_->table);
    memo_->SetDataField(field);
    fx_->Show();
    memo_->setFocus();
  }

  // Checks "R1" ... on the navigator, at the first record (the first link on a
  // table standing at its end makes the data set append; First leaves that).
  void OpenNav(int records) {
    std::vector<qptest::Check> checks;
    for (int i = 1; i <= records; ++i) checks.push_back({"R" + std::to_string(i), {}});
    fx_->OpenChecks(checks);
    nav_->SetDataSource(fx_->table);
    ds()->First();
  }

 private slots:
  void init() {
    fx_ = std::make_unique<qptest::TableFixture>();
    fx_->window->resize(400, 300);
    other_ = new QLineEdit(fx_->window.get());
    other_->setGeometry(0, 60, 20, 20);
    memo_ = new qp::TTzMemo(fx_->window.get());
    memo_->setObjectName("memo");
    memo_->SetBounds(100, 80, 200, 120);
    nav_ = new qp::TTzNavigator(fx_->window.get());
    clicks_.clear();
    nav_->OnClick = [this](qp::TTzNavigator*, TNavigateBtn b) { clicks_.push_back(b); };
  }
  void cleanup() { fx_.reset(); }

  // Loading is no change of the user's: leaving the memo writes nothing.
  void placeholderLoads_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Enter", "double click", "AutoDisplay"}) QTest::newRow(how) << how;
  }
  void placeholderLoads() {
    QFETCH(QString, how);
    OpenMemo(1, "notes", false);
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
    OpenMemo();
    QApplication::clipboard()->setText("clip");
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text);
    QApplication::sendEvent(memo_, &press);
    QCOMPARE(ds()->State(), c.edits ? vz::dsEdit : vz::dsBrowse);
    QCOMPARE(memo_->toPlainText(), c.shown);
  }

  // What the memo shows, and what typing leaves in the memo file once posted:
  // Escape drops the typing; a change of another field leaves it.
  void typingIsWrittenBack_data() {
    QTest::addColumn<MemoCase>("c");
    const QByteArray edited = "New Dear Sir\r\nPaid in full";
    QTest::newRow("memo text, posted") << MemoCase{1, "notes", true, kNotes, "", edited};
    QTest::newRow("memo text, left, then posted") << MemoCase{1, "notes", true, kNotes, "leave", edited};
    QTest::newRow("memo text, Escape") << MemoCase{1, "notes", true, kNotes, "escape", {}};
    QTest::newRow("memo text, another field changed") << MemoCase{1, "notes", true, kNotes, "payee", edited};
    QTest::newRow("no memo: empty text") << MemoCase{2, "notes", true, "", "", "New "};
    QTest::newRow("blob: shown, never written") << MemoCase{3, "notes", true, "(Blob)", "leave", {}};
    QTest::newRow("placeholder: typing swallowed") << MemoCase{1, "notes", false, "(Memo)", "", {}};
    QTest::newRow("unbound: typing refused") << MemoCase{1, "", true, "", "", {}};
  }
  void typingIsWrittenBack() {
    QFETCH(MemoCase, c);
    OpenMemo(c.record, c.field, c.auto_display);
    QCOMPARE(memo_->toPlainText(), c.shown);
    const QByteArray before = fx_->Read("checks.dbt");
    ds()->Edit();
    QTest::keyClicks(memo_, "New ");
    if (c.then == "escape") QTest::keyClick(memo_, Qt::Key_Escape);
    if (c.then == "payee") ds()->FieldByName("payee")->SetAsString("Other");
    const bool typed_in = !c.field.isEmpty() && c.auto_display && c.then != "escape";
    QCOMPARE(memo_->toPlainText(), typed_in ? "New " + c.shown : c.shown);
    QCOMPARE(ds()->State(), vz::dsEdit);
    if (c.then == "leave") other_->setFocus();
    QVERIFY(ds()->Post());
    const QByteArray after = fx_->Read("checks.dbt");
    QVERIFY(c.stored.isEmpty() ? after == before : after.contains(c.stored));
  }

  void failedWriteKeepsTheFocus() {
    OpenMemo();
    QTest::keyClicks(memo_, "X");
    plat::fault::FailNth(plat::fault::Op::kWrite, 1, ENOSPC);
    other_->setFocus();
    QVERIFY(memo_->hasFocus());
    QVERIFY(!fx_->msgs->messages().empty());
    QCOMPARE(fx_->msgs->messages().back().type, qp::MsgType::kError);
  }

  // A label of the form named after the memo is adopted where it stands;
  // renaming the memo renames it; freeing it anywhere is noticed.
  void captionLabelLife() {
    auto* label = new QLabel("old", fx_->window.get());
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
    OpenMemo();
    auto* second = new qp::TTzMemo(fx_->window.get());
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

  // The sizing rule holds when set and when resized; the visible buttons fill the
  // bar, neighbours sharing a border, none wider than another by more than a pixel.
  void sizing_data() {
    QTest::addColumn<SizeCase>("c");
    const int all = qp::kAllNavButtons, none = qp::alNone;
    const int three = qp::NavButtons({qp::nbFirst, qp::nbNext, qp::nbLast});
    QTest::newRow("default") << SizeCase{all, none, {241, 25}, {241, 25}};
    QTest::newRow("195 unaligned snaps") << SizeCase{all, none, {195, 25}, {191, 25}};
    QTest::newRow("195 aligned spreads the rest") << SizeCase{all, qp::alBottom, {195, 25}, {195, 25}};
    QTest::newRow("never below 10*19+1 by 18") << SizeCase{all, none, {50, 5}, {191, 18}};
    QTest::newRow("three buttons") << SizeCase{three, none, {100, 30}, {100, 30}};
    QTest::newRow("none counts as one") << SizeCase{0, none, {5, 25}, {20, 25}};
  }
  void sizing() {
    QFETCH(SizeCase, c);
    nav_->SetAlign(qp::TAlign(c.align));
    nav_->SetVisibleButtons(qp::TButtonSet(c.visible));
    nav_->SetBounds(10, 10, c.asked.width(), c.asked.height());
    QCOMPARE(nav_->size(), c.size);
    fx_->Show();
    nav_->resize(c.asked);
    QCOMPARE(nav_->size(), c.size);
    QList<int> widths;
    int right = 1;  // past the last visible button's right border
    for (int i = 0; i < qp::kNavButtonCount; ++i) {
      qp::TNavButton* b = nav_->Button(TNavigateBtn(i));
      if (!b->isVisible()) {
        QVERIFY(b->x() > nav_->width());
        continue;
      }
      QCOMPARE(b->x(), right - 1);
      QCOMPARE(b->height(), c.size.height());
      right = b->x() + b->width();
      widths << b->width();
    }
    if (c.visible) QCOMPARE(right, c.size.width());
    const auto [low, high] = std::minmax_element(widths.begin(), widths.end());
    QVERIFY(!c.visible || *high - *low <= 1);
  }

  void enabling_data() {
    QTest::addColumn<int>("records");  // -1: no data source
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("enabled");  // first prior next last insert delete edit post cancel refresh
    QTest::newRow("no data source") << -1 << "" << "0000000000";
    QTest::newRow("empty table") << 0 << "" << "0000101001";
    QTest::newRow("first record") << 3 << "" << "0011111001";
    QTest::newRow("middle record") << 3 << "next" << "1111111001";
    QTest::newRow("last record") << 3 << "last" << "1100111001";
    QTest::newRow("editing") << 3 << "next edit" << "1111110111";
    QTest::newRow("closed while editing") << 3 << "edit close" << "0000000000";
    QTest::newRow("table freed") << 3 << "free" << "0000000000";
    QTest::newRow("navigator disabled") << 3 << "next disable" << "0000000000";
  }
  void enabling() {
    QFETCH(int, records);
    QFETCH(QString, steps);
    QFETCH(QString, enabled);
    if (records >= 0) OpenNav(records);
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
      if (step == "next") ds()->Next();
      if (step == "last") ds()->Last();
      if (step == "edit") ds()->Edit();
      if (step == "close") fx_->table->SetActive(false);
      if (step == "free") delete fx_->table;
      if (step == "disable") nav_->setEnabled(false);
    }
    QCOMPARE(EnabledMap(*nav_), enabled);
    if (steps == "free") QVERIFY(!nav_->DataSource());
    // Clicks are told, also without a source; not those the table refuses.
    if (records < 0) nav_->BtnClick(qp::nbNext);
    if (records == 0) {
      nav_->SetConfirmDelete(false);
      QVERIFY_THROWS_EXCEPTION(vz::EVozuvError, nav_->BtnClick(qp::nbDelete));
    }
    QCOMPARE(clicks_.size(), size_t(records < 0 ? 1 : 0));
  }

  void deletePrompts_data() {
    QTest::addColumn<PromptCase>("c");
    const qp::MsgResult ok = qp::MsgResult::kOk;
    QTest::newRow("delete, OK") << PromptCase{false, true, ok, "Delete Record ?", '*'};
    QTest::newRow("delete, Cancel") << PromptCase{false, true, qp::MsgResult::kCancel, "Delete Record ?", ' '};
    QTest::newRow("restore, OK") << PromptCase{true, true, ok, "Restore Record ?", ' '};
    QTest::newRow("restore unasked") << PromptCase{true, false, ok, "", ' '};
  }
  void deletePrompts() {
    QFETCH(PromptCase, c);
    OpenNav(3);
    ds()->Next();
    if (c.marked) ds()->Delete();
    nav_->SetConfirmDelete(c.confirm);
    nav_->SetConfirmRestore(c.confirm);
    fx_->msgs->Answer(c.answer);
    fx_->Show();
    QTest::mouseClick(nav_->Button(qp::nbDelete), Qt::LeftButton);
    QStringList asked;
    for (const qp::RecordedMessage& m : fx_->msgs->messages()) {
      QCOMPARE(m.buttons, qp::MsgButtons::kOkCancel);
      asked << m.text;
    }
    QCOMPARE(asked.join('|'), c.prompt);
    QCOMPARE(QByteArray() + fx_->Mark(1) + fx_->Mark(2) + fx_->Mark(3), QByteArray(" ") + c.mark + ' ');
    QCOMPARE(clicks_, std::vector<TNavigateBtn>{qp::nbDelete});  // after Cancel too
  }

  // Held, prior and next move at each tick, the first one later; the release clicks once more.
  void autoRepeat_data() {
    QTest::addColumn<int>("step");  // next from R1 or prior from R10
    QTest::newRow("next") << 1;
    QTest::newRow("prior") << -1;
  }
  void autoRepeat() {
    QFETCH(int, step);
    OpenNav(10);
    if (step < 0) ds()->Last();
    const int start = step > 0 ? 1 : 10;
    fx_->Show();
    qp::TNavButton* b = nav_->Button(step > 0 ? qp::nbNext : qp::nbPrior);
    QTest::mousePress(b, Qt::LeftButton);
    QTimer* timer = b->RepeatTimer();
    QVERIFY(timer && timer->isActive());
    const int first = timer->interval();
    for (int tick = 1; tick <= 2; ++tick) {
      QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
      QCOMPARE(Payee(), QString("R%1").arg(start + step * tick));
      QVERIFY(timer->isActive() && timer->interval() < first);
    }
    QTest::mouseRelease(b, Qt::LeftButton);
    QVERIFY(!timer->isActive());
    QCOMPARE(Payee(), QString("R%1").arg(start + step * 3));
  }

  void arrowKeys_data() {
    QTest::addColumn<ArrowCase>("c");  // keys: R Right, S Space
    QTest::newRow("Right up to refresh") << ArrowCase{false, "RRRRRRRRRRR", qp::nbRefresh, "R1"};
    QTest::newRow("hidden ones skipped") << ArrowCase{true, "R", qp::nbLast, "R1"};
    QTest::newRow("Space clicks the marked one") << ArrowCase{false, "RRS", qp::nbNext, "R2"};
    QTest::newRow("Space on a disabled one") << ArrowCase{false, "RS", qp::nbPrior, "R1"};
  }
  void arrowKeys() {
    QFETCH(ArrowCase, c);
    OpenNav(3);
    nav_->SetVisibleButtons(c.few ? qp::NavButtons({qp::nbFirst, qp::nbLast, qp::nbRefresh}) : qp::kAllNavButtons);
    nav_->SetTabStop(true);
    fx_->Show();
    nav_->setFocus(Qt::TabFocusReason);
    for (QChar k : c.keys) QTest::keyClick(nav_, k == 'R' ? Qt::Key_Right : Qt::Key_Space);
    QCOMPARE(nav_->FocusedButton(), c.focused);
    QCOMPARE(Payee(), c.payee);
  }

  // A click takes the focus; the mark, 3 pixels inside the edge, is on the
  // marked button while the bar has the focus, and only there.
  void focusMark() {
    OpenNav(3);
    nav_->SetTabStop(true);
    fx_->Show();
    other_->setFocus();
    auto shot = [this](TNavigateBtn b) { return nav_->Button(b)->grab().toImage(); };
    const QImage refresh = shot(qp::nbRefresh), cancel = shot(qp::nbCancel);
    QTest::mouseClick(nav_->Button(qp::nbRefresh), Qt::LeftButton);
    QTest::mouseMove(other_);  // no hover look
    QVERIFY(nav_->hasFocus());
    QVERIFY(shot(qp::nbRefresh) != refresh);
    QTest::keyClick(nav_, Qt::Key_Left);
    QCOMPARE(shot(qp::nbRefresh), refresh);
    const QImage marked = shot(qp::nbCancel);
    int changed = 0;
    for (int x = 0; x < marked.width(); ++x) changed += marked.pixel(x, 3) != cancel.pixel(x, 3);
    QVERIFY(changed > marked.width() / 2);
    other_->setFocus();
    QCOMPARE(shot(qp::nbCancel), cancel);
  }
};

QTEST_MAIN(TestBoundControls)
#include "tst_boundcontrols.moc"
