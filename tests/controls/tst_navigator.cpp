// TTzNavigator over a real check table: the sizing rule, the enabling in
// each state, the delete and restore prompts with the marks they leave in
// the file, auto-repeat, the arrow keys, hints, glyphs and the focus mark.
//
// Mouse events go through the window system, as a user's do, so that the
// application knows when the button is held.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <memory>

#include "controls/navigator.h"
#include "tablefixture.h"

using qp::TNavigateBtn;

namespace {

QString EnabledMap(const qp::TTzNavigator& nav) {
  QString map;
  for (int i = 0; i < qp::kNavButtonCount; ++i) map += nav.Button(TNavigateBtn(i))->isEnabled() ? '1' : '0';
  return map;
}

const QColor kGlyph(0x24, 0x3a, 0x5a), kGreyGlyph(0x80, 0x80, 0x80);

}  // namespace

class TestNavigator : public QObject {
  Q_OBJECT

  std::unique_ptr<qptest::TableFixture> fx_;
  std::unique_ptr<QWidget> window_;
  qp::TTzNavigator* nav_ = nullptr;
  std::vector<TNavigateBtn> clicks_;

  vz::TTzDataSet* ds() const { return fx_->table->DataSet(); }
  QString Payee() const { return QString::fromStdString(ds()->FieldByName("payee")->AsString()); }

  // Checks "R1" ... on the navigator, at the first record. (The first link
  // attached to a table standing at its end makes the data set append;
  // First leaves that.)
  void Open(int records) {
    std::vector<qptest::Check> checks;
    for (int i = 1; i <= records; ++i) checks.push_back({"R" + std::to_string(i), {}});
    fx_->OpenChecks(checks);
    nav_->SetDataSource(fx_->table);
    ds()->First();
  }
  void Show() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

 private slots:
  void init() {
    fx_ = std::make_unique<qptest::TableFixture>();
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 100);
    auto* other = new QWidget(window_.get());
    other->setObjectName("other");
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 60, 20, 20);
    nav_ = new qp::TTzNavigator(window_.get());
    clicks_.clear();
    nav_->OnClick = [this](qp::TTzNavigator*, TNavigateBtn b) { clicks_.push_back(b); };
  }
  void cleanup() {
    window_.reset();
    fx_.reset();
  }

  void sizing_data() {
    QTest::addColumn<int>("visible");
    QTest::addColumn<int>("align");
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("buttons");  // x:width of the visible buttons
    const int all = qp::kAllNavButtons, none = qp::alNone;
    QTest::newRow("default") << all << none << QSize(241, 25) << QSize(241, 25)
                             << "0:25 24:25 48:25 72:25 96:25 120:25 144:25 168:25 192:25 216:25";
    QTest::newRow("195 unaligned snaps") << all << none << QSize(195, 25) << QSize(191, 25)
                                         << "0:20 19:20 38:20 57:20 76:20 95:20 114:20 133:20 152:20 171:20";
    QTest::newRow("195 aligned spreads the rest") << all << int(qp::alBottom) << QSize(195, 25) << QSize(195, 25)
                                                  << "0:20 19:21 39:20 58:21 78:20 97:20 116:21 136:20 155:21 175:20";
    QTest::newRow("never below 10*19+1 by 18") << all << none << QSize(50, 5) << QSize(191, 18)
                                               << "0:20 19:20 38:20 57:20 76:20 95:20 114:20 133:20 152:20 171:20";
    QTest::newRow("three buttons") << int(qp::NavButtons({qp::nbFirst, qp::nbNext, qp::nbLast})) << none
                                   << QSize(100, 30) << QSize(100, 30) << "0:34 33:34 66:34";
    QTest::newRow("none counts as one") << 0 << none << QSize(5, 25) << QSize(20, 25) << "";
  }
  void sizing() {
    QFETCH(int, visible);
    QFETCH(int, align);
    QFETCH(QSize, asked);
    QFETCH(QSize, size);
    QFETCH(QString, buttons);
    nav_->SetAlign(qp::TAlign(align));
    nav_->SetVisibleButtons(qp::TButtonSet(visible));
    nav_->SetBounds(10, 10, asked.width(), asked.height());
    QCOMPARE(nav_->size(), size);
    Show();
    nav_->resize(asked);  // resizing the shown bar keeps to the rule too
    QCOMPARE(nav_->size(), size);
    QStringList seen;
    for (int i = 0; i < qp::kNavButtonCount; ++i) {
      qp::TNavButton* b = nav_->Button(TNavigateBtn(i));
      if (b->isVisible()) seen << QString("%1:%2").arg(b->x()).arg(b->width());
      QVERIFY(b->isVisible() ? b->height() == size.height() : b->x() > nav_->width());
    }
    QCOMPARE(seen.join(' '), buttons);
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
    if (records >= 0) Open(records);
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
      if (step == "next") ds()->Next();
      if (step == "last") ds()->Last();
      if (step == "edit") ds()->Edit();
      if (step == "post") ds()->Post();
      if (step == "close") fx_->table->SetActive(false);
      if (step == "free") delete fx_->table;
      if (step == "disable") nav_->setEnabled(false);
      if (step == "enable") nav_->setEnabled(true);
    }
    QCOMPARE(EnabledMap(*nav_), enabled);
    if (steps == "free") QVERIFY(!nav_->DataSource());
  }

  // A button shows its normal glyph while enabled and the grey one while
  // disabled.
  void glyphs() {
    Open(0);
    Show();
    for (TNavigateBtn b : {qp::nbFirst, qp::nbNext, qp::nbInsert, qp::nbEdit}) {
      const QImage shot = nav_->Button(b)->grab().toImage();
      QCOMPARE(qptest::PixelsNear(shot, kGlyph, 23) > 0, nav_->Button(b)->isEnabled());
      QCOMPARE(qptest::PixelsNear(shot, kGreyGlyph, 23) > 0, !nav_->Button(b)->isEnabled());
    }
  }

  void deletePrompts_data() {
    QTest::addColumn<bool>("marked");   // record 2 carries the deletion mark
    QTest::addColumn<bool>("confirm");  // ConfirmDelete and ConfirmRestore
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("prompt");  // "" none
    QTest::addColumn<char>("mark");       // in the file afterwards
    const int ok = int(qp::MsgResult::kOk), cancel = int(qp::MsgResult::kCancel);
    QTest::newRow("delete, OK") << false << true << ok << "Delete Record ?" << '*';
    QTest::newRow("delete, Cancel") << false << true << cancel << "Delete Record ?" << ' ';
    QTest::newRow("restore, OK") << true << true << ok << "Restore Record ?" << ' ';
    QTest::newRow("restore unasked") << true << false << ok << "" << ' ';
  }
  void deletePrompts() {
    QFETCH(bool, marked);
    QFETCH(bool, confirm);
    QFETCH(int, answer);
    QFETCH(QString, prompt);
    QFETCH(char, mark);
    Open(3);
    ds()->Next();
    if (marked) ds()->Delete();
    nav_->SetConfirmDelete(confirm);
    nav_->SetConfirmRestore(confirm);
    fx_->msgs->Answer(qp::MsgResult(answer));
    Show();
    QTest::mouseClick(nav_->Button(qp::nbDelete), Qt::LeftButton);
    QStringList asked;
    for (const qp::RecordedMessage& m : fx_->msgs->messages()) {
      QCOMPARE(m.buttons, qp::MsgButtons::kOkCancel);
      asked << m.text;
    }
    QCOMPARE(asked.join('|'), prompt);
    QCOMPARE(QByteArray() + fx_->Mark(1) + fx_->Mark(2) + fx_->Mark(3), QByteArray(" ") + mark + ' ');
    QCOMPARE(clicks_, std::vector<TNavigateBtn>{qp::nbDelete});  // after Cancel too
  }

  void clicksWithoutSourceOrWithErrors() {
    nav_->BtnClick(qp::nbNext);
    QCOMPARE(clicks_, std::vector<TNavigateBtn>{qp::nbNext});
    Open(0);
    nav_->SetConfirmDelete(false);
    QVERIFY_THROWS_EXCEPTION(vz::EVozuvError, nav_->BtnClick(qp::nbDelete));  // the empty table refuses
    QCOMPARE(clicks_.size(), size_t(1));
  }

  // Held, prior and next move after 400 ms, then every 100 ms; the release
  // clicks once more.
  void autoRepeat_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("step");  // from R1 or from R10
    QTest::newRow("next") << int(qp::nbNext) << 1;
    QTest::newRow("prior") << int(qp::nbPrior) << -1;
  }
  void autoRepeat() {
    QFETCH(int, button);
    QFETCH(int, step);
    Open(10);
    if (step < 0) ds()->Last();
    const int start = step > 0 ? 1 : 10;
    Show();
    qp::TNavButton* b = nav_->Button(TNavigateBtn(button));
    QTest::mousePress(b, Qt::LeftButton);
    QTimer* timer = b->RepeatTimer();
    QVERIFY(timer && timer->isActive());
    QSignalSpy ticks(timer, &QTimer::timeout);
    for (int interval : {400, 100}) {
      QCOMPARE(timer->interval(), interval);
      QVERIFY(ticks.wait(2000));
      QCOMPARE(Payee(), QString("R%1").arg(start + step * int(ticks.size())));
    }
    QTest::mouseRelease(b, Qt::LeftButton);
    QVERIFY(!timer->isActive());
    QCOMPARE(Payee(), QString("R%1").arg(start + step * int(ticks.size() + 1)));
  }

  void arrowKeys_data() {
    QTest::addColumn<int>("visible");
    QTest::addColumn<QString>("keys");  // L, R, S (space)
    QTest::addColumn<int>("focused");
    QTest::addColumn<QString>("payee");
    const int all = qp::kAllNavButtons;
    QTest::newRow("Right up to refresh") << all << "RRRRRRRRRRR" << int(qp::nbRefresh) << "R1";
    QTest::newRow("hidden ones skipped")
        << int(qp::NavButtons({qp::nbFirst, qp::nbLast, qp::nbRefresh})) << "R" << int(qp::nbLast) << "R1";
    QTest::newRow("Space clicks the marked one") << all << "RRS" << int(qp::nbNext) << "R2";
    QTest::newRow("Space on a disabled one") << all << "RS" << int(qp::nbPrior) << "R1";
  }
  void arrowKeys() {
    QFETCH(int, visible);
    QFETCH(QString, keys);
    QFETCH(int, focused);
    QFETCH(QString, payee);
    Open(3);
    nav_->SetVisibleButtons(qp::TButtonSet(visible));
    nav_->SetTabStop(true);
    Show();
    nav_->setFocus(Qt::TabFocusReason);
    for (QChar k : keys) QTest::keyClick(nav_, k == 'L' ? Qt::Key_Left : k == 'R' ? Qt::Key_Right : Qt::Key_Space);
    QCOMPARE(int(nav_->FocusedButton()), focused);
    QCOMPARE(Payee(), payee);
  }

  // A click takes the focus; the mark, 3 pixels inside the edge, is on the
  // marked button while the bar has the focus, and only there.
  void focusMark() {
    Open(3);
    nav_->SetTabStop(true);
    Show();
    QWidget* other = window_->findChild<QWidget*>("other");
    other->setFocus();
    auto shot = [this](TNavigateBtn b) { return nav_->Button(b)->grab().toImage(); };
    const QImage refresh = shot(qp::nbRefresh), cancel = shot(qp::nbCancel);
    QTest::mouseClick(nav_->Button(qp::nbRefresh), Qt::LeftButton);
    QTest::mouseMove(other);  // no hover look
    QVERIFY(nav_->hasFocus());
    QVERIFY(shot(qp::nbRefresh) != refresh);
    QTest::keyClick(nav_, Qt::Key_Left);
    QCOMPARE(shot(qp::nbRefresh), refresh);
    const QImage marked = shot(qp::nbCancel);
    int changed = 0;
    for (int x = 0; x < marked.width(); ++x) changed += marked.pixel(x, 3) != cancel.pixel(x, 3);
    QVERIFY(changed > marked.width() / 2);
    other->setFocus();
    QCOMPARE(shot(qp::nbCancel), cancel);
  }

  void hints_data() {
    QTest::addColumn<QStringList>("hints");
    QTest::addColumn<QStringList>("tips");  // of first, prior, next and refresh
    QTest::newRow("defaults") << QStringList{}
                              << QStringList{"Go to first record", "Go to prior record", "Go to next record",
                                             "Refresh record"};
    QTest::newRow("empty first line keeps the default")
        << QStringList{"", "Back", "Forward"} << QStringList{"Go to first record", "Back", "Forward", "Refresh record"};
    QTest::newRow("eleventh line unused") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}
                                          << QStringList{"1", "2", "3", "10"};
  }
  void hints() {
    QFETCH(QStringList, hints);
    QFETCH(QStringList, tips);
    nav_->SetVisibleButtons(qp::NavButtons({qp::nbFirst}));  // hidden buttons take theirs too
    nav_->SetHints(hints);
    QStringList seen;
    for (TNavigateBtn b : {qp::nbFirst, qp::nbPrior, qp::nbNext, qp::nbRefresh}) seen << nav_->Button(b)->toolTip();
    QCOMPARE(seen, tips);
  }
};

QTEST_MAIN(TestNavigator)
#include "tst_navigator.moc"
