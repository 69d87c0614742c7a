// TGradientForm: the colour tables, the title bar as it appears on screen
// (sampled from grabbed images), the caption and its ellipsis, the caption
// buttons, and the work of a window manager: moving, sizing, the sizing
// cursors, the double click on the title bar.
#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QPainter>
#include <QtTest>

#include <utility>

#include "winsupport/gradientform.h"

using qp::TGradientForm;
using Button = TGradientForm::CaptionButton;
using Style = TGradientForm::BorderStyle;

Q_DECLARE_METATYPE(qp::TGFPaintWhen)
Q_DECLARE_METATYPE(TGradientForm::BorderStyle)
Q_DECLARE_METATYPE(Qt::CursorShape)

class TestGradientForm : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();

  void colorTable_data();
  void colorTable();
  void gradientColorsOutsideRangeIgnored();
  void stopColorFollowsSystemColorUnlessSetToAnother();
  void titleBarColors_data();
  void titleBarColors();

  void captionEllipsis_data();
  void captionEllipsis();
  void captionPaintHookRunsBetweenButtonsAndTextAndMovesIt();
  void captionElementsByStyle_data();
  void captionElementsByStyle();
  void windowStateByMouse_data();
  void windowStateByMouse();
  void iconDoubleClickClosesSingleClickOpensMenu();

  void dragTitleBarMovesWindow_data();
  void dragTitleBarMovesWindow();
  void borderSizing_data();
  void borderSizing();
  void sizingStopsAtSmallestWindow();
  void maximisedWindowHasNoFrame();
};

namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kGreen = 0x00FF00;
constexpr uint kSys = TGradientForm::kSystemMenu;
constexpr uint kMin = TGradientForm::kMinimize;
constexpr uint kMax = TGradientForm::kMaximize;

QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
QRgb Rgb(const QImage& image, const QPoint& p) { return Rgb(image, p.x(), p.y()); }

// Shows the form at 100, 100 with 400 x 300 and waits until the window
// system has it on screen.
bool ShowForm(QWidget* w) {
  w->setGeometry(100, 100, 400, 300);
  w->show();
  return QTest::qWaitForWindowExposed(w);
}

// A point on the title bar away from its icon and buttons.
QPoint CaptionPoint(const TGradientForm& form) {
  const QRect bar = form.TitleBarRect();
  return QPoint(bar.left() + bar.width() / 2, bar.center().y());
}

void Hover(QWidget* w, const QPoint& pos) {
  QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

void Drag(QWidget* w, const QPoint& at, const QPoint& by) {
  QTest::mousePress(w, Qt::LeftButton, {}, at);
  QTest::mouseMove(w, at + by);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at + by);
}

// Index of `rgb` among the first `n` entries of a table, or -1.
int EntryIndex(const TGradientForm& form, int table, QRgb rgb, int n) {
  for (int i = 0; i < n; ++i) {
    if ((form.ColorTableEntry(table, i) & 0xFFFFFF) == rgb) return i;
  }
  return -1;
}

QPixmap Solid(const QColor& color) {
  QPixmap pixmap(32, 32);
  pixmap.fill(color);
  return pixmap;
}

// Where a gesture lands: a caption button by name, or the bare title bar.
QPoint Target(const TGradientForm& form, const QString& where) {
  if (where == "close") return form.CaptionButtonRect(Button::kClose).center();
  if (where == "maximise") return form.CaptionButtonRect(Button::kMaximize).center();
  if (where == "minimise") return form.CaptionButtonRect(Button::kMinimize).center();
  return CaptionPoint(form);
}

QString Outcome(const QWidget& w) {
  if (!w.isVisible()) return "closed";
  if (w.isMinimized()) return "minimised";
  if (w.isMaximized()) return "maximised";
  return "normal";
}

}  // namespace

void TestGradientForm::cleanup() {
  QApplication::setPalette(QPalette());
  for (QWidget* w : QApplication::topLevelWidgets()) w->close();
}

// ---- colour tables ----------------------------------------------------------

void TestGradientForm::colorTable_data() {
  QTest::addColumn<QColor>("start");
  QTest::addColumn<QColor>("stop");
  QTest::addColumn<int>("colors");
  QTest::addColumn<int>("index");
  QTest::addColumn<QColor>("expected");

  const QColor black(0, 0, 0), blue(0, 0, 255), white(255, 255, 255), red7(7, 0, 0);
  // 255 / 63 * 32 = 129.52 rounds up.
  QTest::newRow("64 black-blue middle") << black << blue << 64 << 32 << QColor(0, 0, 130);
  QTest::newRow("8 white-black second") << white << black << 8 << 1 << QColor(219, 219, 219);
  QTest::newRow("256 steps of one") << black << white << 256 << 128 << QColor(128, 128, 128);
  // A step of exactly one half: halves go to the even neighbour.
  QTest::newRow("half to even 0.5") << black << red7 << 15 << 1 << QColor(0, 0, 0);
  QTest::newRow("half to even 1.5") << black << red7 << 15 << 3 << QColor(2, 0, 0);
  QTest::newRow("half to even -1.5") << red7 << black << 15 << 3 << QColor(5, 0, 0);
  QTest::newRow("channels apart") << QColor(10, 200, 30) << QColor(250, 20, 30) << 9 << 4
                                  << QColor(130, 110, 30);
}

void TestGradientForm::colorTable() {
  QFETCH(QColor, start);
  QFETCH(QColor, stop);
  QFETCH(int, colors);
  QFETCH(int, index);
  QFETCH(QColor, expected);
  TGradientForm form;
  form.SetGradientColors(colors);
  form.SetGradientStartColor(start);
  form.SetGradientStopColor(stop);
  QCOMPARE(QColor(form.ColorTableEntry(1, index)), expected);
}

void TestGradientForm::gradientColorsOutsideRangeIgnored() {
  const std::pair<int, int> cases[] = {{7, 64}, {257, 64}, {-8, 64}, {8, 8}, {256, 256}};  // given, in force
  for (const auto& [value, expected] : cases) {
    TGradientForm form;
    form.SetGradientStopColor(QColor(0, 0, 255));
    form.SetGradientColors(value);
    QCOMPARE(form.GradientColors(), expected);
    // The tables were rebuilt for the count in force: black to the stop colour.
    QCOMPARE(form.ColorTableEntry(1, expected - 1) & 0xFFFFFF, kBlue);
    QCOMPARE(form.ColorTableEntry(0, expected - 1) & 0xFFFFFF, form.InactiveCaptionColor().rgb() & 0xFFFFFF);
    QCOMPARE(form.ColorTableEntry(0, 0) & 0xFFFFFF, kBlack);
  }
}

void TestGradientForm::stopColorFollowsSystemColorUnlessSetToAnother() {
  TGradientForm by_default, own;
  QCOMPARE(by_default.GradientStopColor(), by_default.ActiveCaptionColor());
  own.SetGradientStopColor(QColor(0, 0, 255));

  QPalette pal = QApplication::palette();
  pal.setColor(QPalette::Highlight, QColor(200, 10, 10));
  pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(90, 90, 20));
  QApplication::setPalette(pal);
  QCoreApplication::processEvents();  // the palette reaches widgets by posted events

  QCOMPARE(by_default.GradientStopColor(), QColor(200, 10, 10));
  QCOMPARE(QColor(by_default.ColorTableEntry(1, 63)), QColor(200, 10, 10));
  QCOMPARE(own.GradientStopColor(), QColor(0, 0, 255));
  QCOMPARE(QColor(own.ColorTableEntry(1, 63)), QColor(0, 0, 255));
  for (const TGradientForm* form : {&by_default, &own}) {
    QCOMPARE(form->InactiveCaptionColor(), QColor(90, 90, 20));
    QCOMPARE(QColor(form->ColorTableEntry(0, 63)), QColor(90, 90, 20));
  }
}

void TestGradientForm::titleBarColors_data() {
  QTest::addColumn<qp::TGFPaintWhen>("when");
  QTest::addColumn<bool>("active");
  QTest::addColumn<bool>("gradient");
  QTest::newRow("always, active") << qp::gfpAlways << true << true;
  QTest::newRow("always, inactive") << qp::gfpAlways << false << true;
  QTest::newRow("active only, active") << qp::gfpActive << true << true;
  QTest::newRow("active only, inactive") << qp::gfpActive << false << false;
  QTest::newRow("never, active") << qp::gfpNever << true << false;
  QTest::newRow("never, inactive") << qp::gfpNever << false << false;
}

void TestGradientForm::titleBarColors() {
  QFETCH(qp::TGFPaintWhen, when);
  QFETCH(bool, active);
  QFETCH(bool, gradient);

  TGradientForm form;
  form.SetGradientStartColor(QColor(0, 0, 0));
  form.SetGradientStopColor(QColor(0, 0, 255));
  form.SetPaintGradient(when);
  QVERIFY(ShowForm(&form));
  QWidget other;
  if (active) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
  } else {
    other.setGeometry(0, 0, 50, 50);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other) && !form.isActiveWindow());
  }

  const QImage image = form.grab().toImage();
  const QRect bar = form.TitleBarRect();
  const int table = active ? 1 : 0;
  const int n = form.GradientColors();
  // The top and bottom rows of the bar hold neither icon, buttons nor text.
  for (int y : {bar.top(), bar.bottom()}) {
    if (!gradient) {
      const QColor plain = active ? form.ActiveCaptionColor() : form.InactiveCaptionColor();
      for (int x = bar.left(); x <= bar.right(); ++x) QCOMPARE(Rgb(image, x, y), plain.rgb() & 0xFFFFFF);
      continue;
    }
    // Left to right the bar runs through the table in order: every entry
    // but the last (the stretched line's source is n - 1 pixels wide).
    int previous = 0;
    QSet<int> seen;
    for (int x = bar.left(); x <= bar.right(); ++x) {
      const int i = EntryIndex(form, table, Rgb(image, x, y), n);
      QVERIFY2(i >= 0, qPrintable(QString("column %1 is no table colour").arg(x)));
      QVERIFY(i >= previous);
      previous = i;
      seen.insert(i);
    }
    QCOMPARE(previous, n - 2);
    QCOMPARE(seen.size(), n - 1);
    QCOMPARE(Rgb(image, bar.left(), y), kBlack);
  }
}

// ---- the caption and its buttons --------------------------------------------

void TestGradientForm::captionEllipsis_data() {
  QTest::addColumn<QString>("caption");
  QTest::addColumn<int>("width");
  QTest::addColumn<bool>("elided");
  QTest::newRow("fits") << "Quillprint" << 536 << false;
  QTest::newRow("too long") << "Quillprint - " + QString(60, 'W') << 536 << true;
  QTest::newRow("narrow window") << "Quillprint check writer" << 150 << true;
  QTest::newRow("empty") << "" << 300 << false;
}

void TestGradientForm::captionEllipsis() {
  QFETCH(QString, caption);
  QFETCH(int, width);
  QFETCH(bool, elided);
  TGradientForm form;
  QRect text_rect;
  form.SetOnCaptionPaint([&text_rect](QObject*, QPainter&, QRect& r) { text_rect = r; });
  form.resize(width, 150);
  form.setWindowTitle(caption);
  QCOMPARE(form.Caption(), caption);
  form.grab();
  const QString painted = form.PaintedCaption();
  if (elided) {
    QVERIFY2(painted.endsWith(QChar(0x2026)), qPrintable(painted));
    QVERIFY(caption.startsWith(painted.chopped(1)));
  } else {
    QCOMPARE(painted, caption);
  }
  // What is painted fits the room between the icon and the buttons.
  const QFontMetrics fm(QFontDatabase::systemFont(QFontDatabase::TitleFont));
  QVERIFY(fm.horizontalAdvance(painted) <= text_rect.width() - 2);
}

void TestGradientForm::captionPaintHookRunsBetweenButtonsAndTextAndMovesIt() {
  TGradientForm form;
  form.setWindowIcon(Solid(Qt::red));
  form.SetCaption("WWWWWWWW");
  form.resize(500, 150);
  constexpr int kShift = 150;
  QRect room;
  QObject* sender = nullptr;
  form.SetOnCaptionPaint([&](QObject* s, QPainter& canvas, QRect& r) {
    sender = s;
    room = r;
    canvas.fillRect(canvas.window(), QColor(kGreen));
    r.setLeft(r.left() + kShift);
  });
  const QImage image = form.grab().toImage();
  QCOMPARE(sender, &form);
  const QRect bar = form.TitleBarRect();
  QVERIFY(QRect(QPoint(0, 0), bar.size()).contains(room));
  // The text room is clear of the icon and every button, which were painted
  // before the hook painted over them.
  const QRect text = room.translated(bar.topLeft());
  for (const QRect& r : {form.CaptionIconRect(), form.CaptionButtonRect(Button::kClose),
                         form.CaptionButtonRect(Button::kMaximize), form.CaptionButtonRect(Button::kMinimize)}) {
    QVERIFY(!text.intersects(r));
    QCOMPARE(Rgb(image, r.center()), kGreen);
  }
  // The text came after the hook, in the room the hook left it.
  auto text_pixels = [&](int from, int to) {
    int count = 0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
      for (int x = from; x < to; ++x) count += Rgb(image, x, y) != kGreen;
    }
    return count;
  };
  QCOMPARE(text_pixels(text.left(), text.left() + kShift), 0);
  QVERIFY(text_pixels(text.left() + kShift, text.right() + 1) > 20);
}

void TestGradientForm::captionElementsByStyle_data() {
  QTest::addColumn<Style>("style");
  QTest::addColumn<uint>("icons");
  QTest::addColumn<QString>("present");  // C close, H help, X maximise, N minimise
  QTest::addColumn<QString>("enabled");
  QTest::addColumn<bool>("icon");
  const uint all = kSys | kMin | kMax;
  QTest::newRow("sizeable, all") << Style::kSizeable << all << "CXN" << "CXN" << true;
  QTest::newRow("sizeable, no maximise") << Style::kSizeable << (kSys | kMin) << "CXN" << "CN" << true;
  QTest::newRow("sizeable, close only") << Style::kSizeable << kSys << "CXN" << "C" << true;
  QTest::newRow("no system menu") << Style::kSizeable << (kMin | kMax) << "XN" << "XN" << false;
  QTest::newRow("single") << Style::kSingle << all << "CXN" << "CXN" << true;
  QTest::newRow("dialog with help") << Style::kDialog << (kSys | TGradientForm::kHelp) << "CH" << "CH"
                                    << false;
  QTest::newRow("dialog") << Style::kDialog << all << "C" << "C" << false;
  QTest::newRow("tool window") << Style::kToolWindow << all << "C" << "C" << false;
  QTest::newRow("sizeable tool window") << Style::kSizeToolWindow << all << "C" << "C" << false;
  QTest::newRow("no border") << Style::kNone << all << "" << "" << false;
}

void TestGradientForm::captionElementsByStyle() {
  QFETCH(Style, style);
  QFETCH(uint, icons);
  QFETCH(QString, present);
  QFETCH(QString, enabled);
  QFETCH(bool, icon);
  TGradientForm form;
  form.setWindowIcon(Solid(Qt::red));
  form.SetFormBorderStyle(style);
  form.SetFormBorderIcons(icons);
  form.resize(400, 200);
  const QImage image = form.grab().toImage();

  QCOMPARE(form.TitleBarRect().isEmpty(), style == Style::kNone);
  // From the right: close, then help or maximise, then minimise.
  int right = form.width();
  const std::pair<Button, char> buttons[] = {
      {Button::kClose, 'C'}, {Button::kHelp, 'H'}, {Button::kMaximize, 'X'}, {Button::kMinimize, 'N'}};
  for (const auto& [b, letter] : buttons) {
    const QRect r = form.CaptionButtonRect(b);
    QCOMPARE(!r.isEmpty(), present.contains(letter));
    QCOMPARE(form.CaptionButtonEnabled(b), enabled.contains(letter));
    if (r.isEmpty()) continue;
    QVERIFY(form.TitleBarRect().contains(r));
    QVERIFY(r.right() < right);
    right = r.left();
  }
  const QRect icon_rect = form.CaptionIconRect();
  QCOMPARE(!icon_rect.isEmpty(), icon);
  if (icon) QCOMPARE(Rgb(image, icon_rect.center()), QRgb(0xFF0000));
  for (int y = 0; !icon && y < image.height(); ++y) QVERIFY(Rgb(image, 8, y) != 0xFF0000);
}

void TestGradientForm::windowStateByMouse_data() {
  QTest::addColumn<QString>("where");  // a caption button clicked, or the title bar double-clicked
  QTest::addColumn<bool>("start_maximised");
  QTest::addColumn<uint>("icons");
  QTest::addColumn<QString>("outcome");  // "closed" or the window state
  const uint all = kSys | kMin | kMax;
  QTest::newRow("close") << "close" << false << all << "closed";
  QTest::newRow("maximise") << "maximise" << false << all << "maximised";
  QTest::newRow("restore") << "maximise" << true << all << "normal";
  QTest::newRow("minimise") << "minimise" << false << all << "minimised";
  QTest::newRow("greyed maximise") << "maximise" << false << (kSys | kMin) << "normal";
  QTest::newRow("greyed minimise") << "minimise" << false << (kSys | kMax) << "normal";
  QTest::newRow("title bar maximises") << "title bar" << false << (kSys | kMax) << "maximised";
  QTest::newRow("title bar restores") << "title bar" << true << (kSys | kMax) << "normal";
  QTest::newRow("title bar, maximise not allowed") << "title bar" << false << kSys << "normal";
}

void TestGradientForm::windowStateByMouse() {
  QFETCH(QString, where);
  QFETCH(bool, start_maximised);
  QFETCH(uint, icons);
  QFETCH(QString, outcome);
  TGradientForm form;
  form.SetFormBorderIcons(icons);
  QVERIFY(ShowForm(&form));
  if (start_maximised) {
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
  }
  if (where == "title bar") {
    QTest::mouseDClick(&form, Qt::LeftButton, {}, Target(form, where));
  } else {
    QTest::mouseClick(&form, Qt::LeftButton, {}, Target(form, where));
  }
  QTRY_COMPARE(Outcome(form), outcome);
  if (outcome == "normal") QCOMPARE(form.geometry(), QRect(100, 100, 400, 300));
}

void TestGradientForm::iconDoubleClickClosesSingleClickOpensMenu() {
  TGradientForm form;
  QVERIFY(ShowForm(&form));
  const QPoint icon = form.CaptionIconRect().center();

  QTest::mouseClick(&form, Qt::LeftButton, {}, icon);
  QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  QStringList items;
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator()) items << a->text() + (a->isEnabled() ? "" : " (off)");
  }
  QCOMPARE(items, QStringList({"&Restore (off)", "Mi&nimize", "Ma&ximize", "&Close"}));
  menu->close();

  QTest::mouseDClick(&form, Qt::LeftButton, {}, icon);
  QTRY_VERIFY(!form.isVisible());
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QVERIFY(!QApplication::activePopupWidget());  // the pending menu was called off
}

// ---- moving and sizing ------------------------------------------------------

void TestGradientForm::dragTitleBarMovesWindow_data() {
  QTest::addColumn<QString>("where");
  QTest::addColumn<QPoint>("drag");
  QTest::addColumn<QPoint>("expected");
  QTest::newRow("drag") << "title bar" << QPoint(50, 30) << QPoint(150, 130);
  QTest::newRow("upwards and left") << "title bar" << QPoint(-60, -70) << QPoint(40, 30);
  // A click with a shaking hand is a click, not a move.
  QTest::newRow("jitter") << "title bar" << QPoint(1, 1) << QPoint(100, 100);
  // A button pressed and left before the release neither acts nor drags.
  QTest::newRow("off the close button") << "close" << QPoint(-150, 0) << QPoint(100, 100);
}

void TestGradientForm::dragTitleBarMovesWindow() {
  QFETCH(QString, where);
  QFETCH(QPoint, drag);
  QFETCH(QPoint, expected);
  TGradientForm form;
  QVERIFY(ShowForm(&form));
  const QPoint from = Target(form, where);
  Drag(&form, from, drag);
  QVERIFY(form.isVisible());
  QCOMPARE(form.geometry(), QRect(expected, QSize(400, 300)));
  // After the release, moving the mouse moves nothing.
  Hover(&form, from);
  QCOMPARE(form.pos(), expected);
}

void TestGradientForm::borderSizing_data() {
  QTest::addColumn<Style>("style");
  QTest::addColumn<QPoint>("at");  // in a 400 x 300 form at 100, 100
  QTest::addColumn<QPoint>("drag");
  QTest::addColumn<Qt::CursorShape>("cursor");
  QTest::addColumn<QRect>("expected");
  const Style s = Style::kSizeable;
  const Qt::CursorShape hor = Qt::SizeHorCursor, ver = Qt::SizeVerCursor;
  const Qt::CursorShape fdiag = Qt::SizeFDiagCursor, bdiag = Qt::SizeBDiagCursor;
  const QRect unchanged(100, 100, 400, 300);
  QTest::newRow("right") << s << QPoint(398, 150) << QPoint(20, 15) << hor << QRect(100, 100, 420, 300);
  QTest::newRow("left") << s << QPoint(1, 150) << QPoint(-20, 15) << hor << QRect(80, 100, 420, 300);
  QTest::newRow("bottom") << s << QPoint(200, 298) << QPoint(20, 15) << ver << QRect(100, 100, 400, 315);
  QTest::newRow("top") << s << QPoint(200, 1) << QPoint(20, -15) << ver << QRect(100, 85, 400, 315);
  QTest::newRow("top left") << s << QPoint(1, 1) << QPoint(-20, -15) << fdiag << QRect(80, 85, 420, 315);
  QTest::newRow("bottom right") << s << QPoint(398, 298) << QPoint(20, 15) << fdiag
                                << QRect(100, 100, 420, 315);
  QTest::newRow("top right") << s << QPoint(398, 1) << QPoint(20, -15) << bdiag << QRect(100, 85, 420, 315);
  QTest::newRow("left border near top") << s << QPoint(1, 10) << QPoint(-20, -15) << fdiag
                                        << QRect(80, 85, 420, 315);
  QTest::newRow("bottom border near right") << s << QPoint(390, 298) << QPoint(20, 15) << fdiag
                                            << QRect(100, 100, 420, 315);
  QTest::newRow("single border") << Style::kSingle << QPoint(398, 150) << QPoint(30, 0) << Qt::ArrowCursor
                                 << unchanged;
  QTest::newRow("dialog") << Style::kDialog << QPoint(398, 150) << QPoint(30, 0) << Qt::ArrowCursor
                          << unchanged;
}

void TestGradientForm::borderSizing() {
  QFETCH(Style, style);
  QFETCH(QPoint, at);
  QFETCH(QPoint, drag);
  QFETCH(Qt::CursorShape, cursor);
  QFETCH(QRect, expected);
  TGradientForm form;
  form.SetFormBorderStyle(style);
  QVERIFY(ShowForm(&form));
  Hover(&form, at);
  QCOMPARE(form.cursor().shape(), cursor);
  Hover(&form, CaptionPoint(form));
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
  QCOMPARE(form.ClientArea()->cursor().shape(), Qt::ArrowCursor);
  Drag(&form, at, drag);
  QCOMPARE(form.geometry(), expected);
}

void TestGradientForm::sizingStopsAtSmallestWindow() {
  TGradientForm form;
  QVERIFY(ShowForm(&form));
  Drag(&form, QPoint(1, 150), QPoint(1000, 0));
  // The right edge stays put, and the caption buttons still fit.
  QCOMPARE(form.geometry().right(), 499);
  QVERIFY(form.width() < 400);
  QVERIFY(form.CaptionButtonRect(Button::kMinimize).left() > form.FrameWidth());
}

void TestGradientForm::maximisedWindowHasNoFrame() {
  TGradientForm form;
  QVERIFY(ShowForm(&form));
  const int frame = form.FrameWidth();
  QVERIFY(frame > 0);
  QCOMPARE(form.ClientArea()->geometry().left(), frame);

  form.showMaximized();
  QTRY_VERIFY(form.isMaximized());
  QCOMPARE(form.FrameWidth(), 0);
  QCOMPARE(form.TitleBarRect(), QRect(0, 0, form.width(), form.TitleBarRect().height()));
  QTRY_COMPARE(form.ClientArea()->geometry().top(), form.TitleBarRect().height());
  // Neither the title bar nor the border of a maximised window moves or sizes it.
  const QRect maximised = form.geometry();
  Drag(&form, CaptionPoint(form), QPoint(40, 40));
  const QPoint border(form.width() - 2, form.height() / 2);
  Hover(&form, border);
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
  Drag(&form, border, QPoint(30, 0));
  QCOMPARE(form.geometry(), maximised);

  form.showNormal();
  QTRY_VERIFY(!form.isMaximized());
  QCOMPARE(form.FrameWidth(), frame);
  QTRY_COMPARE(form.ClientArea()->geometry().left(), frame);
}

QTEST_MAIN(TestGradientForm)
#include "tst_gradientform.moc"
