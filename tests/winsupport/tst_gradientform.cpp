// TGradientForm: the colour tables, the title bar as it appears on screen
// (sampled from grabbed images), the caption and its ellipsis, the caption
// buttons, and the work of a window manager: moving, sizing, the sizing
// cursors, the double click on the title bar.
#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QtTest>

#include "winsupport/gradientform.h"

using qp::TGradientForm;
using Button = TGradientForm::CaptionButton;
using Style = TGradientForm::BorderStyle;

Q_DECLARE_METATYPE(qp::TGFPaintWhen)
Q_DECLARE_METATYPE(TGradientForm::BorderStyle)
Q_DECLARE_METATYPE(Qt::CursorShape)
Q_DECLARE_METATYPE(TGradientForm::CaptionButton)

class TestGradientForm : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();

  void colorTable_data();
  void colorTable();
  void gradientColorsOutsideRangeIgnored_data();
  void gradientColorsOutsideRangeIgnored();
  void stopColorFollowsSystemColor_data();
  void stopColorFollowsSystemColor();

  void titleBarColors_data();
  void titleBarColors();

  void captionEllipsis_data();
  void captionEllipsis();
  void captionPaintHookRunsBetweenButtonsAndText();
  void captionPaintHookMovesText();

  void captionElementsByStyle_data();
  void captionElementsByStyle();
  void captionButtonActions_data();
  void captionButtonActions();
  void pressReleasedOutsideButtonDoesNothing();
  void doubleClickOnTitleBar_data();
  void doubleClickOnTitleBar();
  void iconDoubleClickClosesSingleClickOpensMenu();

  void dragTitleBarMovesWindow_data();
  void dragTitleBarMovesWindow();
  void borderSizing_data();
  void borderSizing();
  void sizingStopsAtSmallestWindow();
  void noSizingWhereNotAllowed_data();
  void noSizingWhereNotAllowed();
  void maximisedWindowHasNoFrame();
};

namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kBlue = 0x0000FF;

QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// Shows the form and waits until the window system has it on screen.
bool ShowForm(QWidget* w) {
  w->show();
  return QTest::qWaitForWindowExposed(w);
}

// Makes `other` the active window so that `form` is inactive.
bool Deactivate(QWidget* form, QWidget* other) {
  other->setGeometry(0, 0, 50, 50);
  other->show();
  other->activateWindow();
  return QTest::qWaitForWindowActive(other) && !form->isActiveWindow();
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

  const QColor black(0, 0, 0), blue(0, 0, 255), white(255, 255, 255);
  QTest::newRow("64 black-blue first") << black << blue << 64 << 0 << black;
  QTest::newRow("64 black-blue last") << black << blue << 64 << 63 << blue;
  // 255 / 63 * 32 = 129.52 rounds up.
  QTest::newRow("64 black-blue middle") << black << blue << 64 << 32 << QColor(0, 0, 130);
  QTest::newRow("8 white-black second") << white << black << 8 << 1 << QColor(219, 219, 219);
  QTest::newRow("8 white-black last") << white << black << 8 << 7 << black;
  QTest::newRow("256 steps of one") << black << white << 256 << 128 << QColor(128, 128, 128);
  // A step of exactly one half: halves go to the even neighbour.
  QTest::newRow("half to even 0.5") << black << QColor(7, 0, 0) << 15 << 1 << QColor(0, 0, 0);
  QTest::newRow("half to even 1.5") << black << QColor(7, 0, 0) << 15 << 3 << QColor(2, 0, 0);
  QTest::newRow("half to even 2.5") << black << QColor(7, 0, 0) << 15 << 5 << QColor(2, 0, 0);
  QTest::newRow("half to even -1.5") << QColor(7, 0, 0) << black << 15 << 3 << QColor(5, 0, 0);
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

void TestGradientForm::gradientColorsOutsideRangeIgnored_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("expected");
  QTest::newRow("7") << 7 << 64;
  QTest::newRow("257") << 257 << 64;
  QTest::newRow("0") << 0 << 64;
  QTest::newRow("negative") << -8 << 64;
  QTest::newRow("8") << 8 << 8;
  QTest::newRow("256") << 256 << 256;
}

void TestGradientForm::gradientColorsOutsideRangeIgnored() {
  QFETCH(int, value);
  QFETCH(int, expected);
  TGradientForm form;
  form.SetGradientStopColor(QColor(0, 0, 255));
  form.SetGradientColors(value);
  QCOMPARE(form.GradientColors(), expected);
  // The table was rebuilt for the count in force: its last entry is the stop colour.
  QCOMPARE(form.ColorTableEntry(1, expected - 1) & 0xFFFFFF, kBlue);
  QCOMPARE(form.ColorTableEntry(0, expected - 1) & 0xFFFFFF, form.InactiveCaptionColor().rgb() & 0xFFFFFF);
  QCOMPARE(form.ColorTableEntry(0, 0) & 0xFFFFFF, kBlack);
}

void TestGradientForm::stopColorFollowsSystemColor_data() {
  QTest::addColumn<QString>("stop");  // "" keeps the default
  QTest::addColumn<bool>("follows");
  QTest::newRow("default") << QString() << true;
  QTest::newRow("set to the system colour") << QString("system") << true;
  QTest::newRow("own colour") << QString("#0000ff") << false;
}

void TestGradientForm::stopColorFollowsSystemColor() {
  QFETCH(QString, stop);
  QFETCH(bool, follows);
  TGradientForm form;
  QCOMPARE(form.GradientStopColor(), form.ActiveCaptionColor());
  if (stop == "system") {
    form.SetGradientStopColor(form.ActiveCaptionColor());
  } else if (!stop.isEmpty()) {
    form.SetGradientStopColor(QColor(stop));
  }
  const QColor before = form.GradientStopColor();

  QPalette pal = QApplication::palette();
  pal.setColor(QPalette::Highlight, QColor(200, 10, 10));
  pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(90, 90, 20));
  QApplication::setPalette(pal);
  QCoreApplication::processEvents();  // the palette reaches widgets by posted events

  const QColor expected = follows ? QColor(200, 10, 10) : before;
  QCOMPARE(form.GradientStopColor(), expected);
  QCOMPARE(QColor(form.ColorTableEntry(1, 63)), expected);
  QCOMPARE(form.InactiveCaptionColor(), QColor(90, 90, 20));
  QCOMPARE(QColor(form.ColorTableEntry(0, 63)), QColor(90, 90, 20));
}

// ---- the title bar on screen ------------------------------------------------

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
  form.setGeometry(100, 100, 536, 200);
  QVERIFY(ShowForm(&form));
  QWidget other;
  if (active) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
  } else {
    QVERIFY(Deactivate(&form, &other));
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
    QCOMPARE(EntryIndex(form, table, Rgb(image, bar.left(), y), n), 0);
    QCOMPARE(previous, n - 2);
    QCOMPARE(seen.size(), n - 1);
    QCOMPARE(Rgb(image, bar.left(), y), kBlack);
  }
}

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

void TestGradientForm::captionPaintHookRunsBetweenButtonsAndText() {
  TGradientForm form;
  form.setWindowIcon(Solid(Qt::red));
  form.SetCaption("WWWWWWWW");
  form.resize(400, 150);
  QRect hook_rect;
  QObject* sender = nullptr;
  form.SetOnCaptionPaint([&](QObject* s, QPainter& canvas, QRect& r) {
    sender = s;
    hook_rect = r;
    canvas.fillRect(canvas.window(), QColor(0, 255, 0));
  });
  const QImage image = form.grab().toImage();
  QCOMPARE(sender, &form);
  const QPoint origin = form.TitleBarRect().topLeft();
  // The text room lies in the bar and clear of the icon and every button.
  QVERIFY(QRect(QPoint(0, 0), form.TitleBarRect().size()).contains(hook_rect));
  QVERIFY(!hook_rect.translated(origin).intersects(form.CaptionIconRect()));
  for (Button b : {Button::kClose, Button::kMaximize, Button::kMinimize}) {
    QVERIFY(!hook_rect.translated(origin).intersects(form.CaptionButtonRect(b)));
    // Painted over by the hook: the buttons came first.
    QCOMPARE(Rgb(image, form.CaptionButtonRect(b).center().x(), form.CaptionButtonRect(b).center().y()),
             QRgb(0x00FF00));
  }
  QCOMPARE(Rgb(image, form.CaptionIconRect().center().x(), form.CaptionIconRect().center().y()),
           QRgb(0x00FF00));
  // The text came after the hook: white on green within the text room.
  int text_pixels = 0;
  const QRect text = hook_rect.translated(origin);
  for (int y = text.top(); y <= text.bottom(); ++y) {
    for (int x = text.left(); x <= text.right(); ++x) text_pixels += Rgb(image, x, y) != 0x00FF00;
  }
  QVERIFY(text_pixels > 20);
}

void TestGradientForm::captionPaintHookMovesText() {
  TGradientForm form;
  form.SetFormBorderStyle(Style::kDialog);  // no icon
  form.SetPaintGradient(qp::gfpNever);
  form.SetCaption("WWWWWWWW");
  form.resize(500, 150);
  constexpr int kShift = 150;
  QRect original;
  form.SetOnCaptionPaint([&](QObject*, QPainter&, QRect& r) {
    original = r;
    r.setLeft(r.left() + kShift);
  });
  const QImage image = form.grab().toImage();
  const QRgb plain = form.InactiveCaptionColor().rgb() & 0xFFFFFF;
  const QRgb plain_active = form.ActiveCaptionColor().rgb() & 0xFFFFFF;
  auto text_pixels = [&](int from, int to) {
    int count = 0;
    const QRect bar = form.TitleBarRect();
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
      for (int x = bar.left() + from; x < bar.left() + to; ++x) {
        const QRgb px = Rgb(image, x, y);
        count += px != plain && px != plain_active;
      }
    }
    return count;
  };
  QCOMPARE(text_pixels(original.left(), original.left() + kShift), 0);
  QVERIFY(text_pixels(original.left() + kShift, original.right()) > 20);
}

// ---- caption buttons --------------------------------------------------------

namespace {

// Caption buttons as bits: close, maximise, minimise, help.
constexpr int kC = 1, kX = 2, kN = 4, kH = 8;

int Mask(Button b) {
  switch (b) {
    case Button::kClose: return kC;
    case Button::kMaximize: return kX;
    case Button::kMinimize: return kN;
    case Button::kHelp: return kH;
  }
  return 0;
}

}  // namespace

void TestGradientForm::captionElementsByStyle_data() {
  QTest::addColumn<Style>("style");
  QTest::addColumn<uint>("icons");
  QTest::addColumn<int>("present");
  QTest::addColumn<int>("enabled");
  QTest::addColumn<bool>("icon");

  const uint sys = TGradientForm::kSystemMenu, min = TGradientForm::kMinimize,
             max = TGradientForm::kMaximize, help = TGradientForm::kHelp;
  QTest::newRow("sizeable, all") << Style::kSizeable << (sys | min | max) << (kC | kX | kN)
                                 << (kC | kX | kN) << true;
  QTest::newRow("sizeable, no maximise") << Style::kSizeable << (sys | min) << (kC | kX | kN)
                                         << (kC | kN) << true;
  QTest::newRow("sizeable, close only") << Style::kSizeable << sys << (kC | kX | kN) << kC << true;
  QTest::newRow("no system menu") << Style::kSizeable << (min | max) << (kX | kN) << (kX | kN)
                                  << false;
  QTest::newRow("single") << Style::kSingle << (sys | min | max) << (kC | kX | kN)
                          << (kC | kX | kN) << true;
  QTest::newRow("dialog with help") << Style::kDialog << (sys | help) << (kC | kH) << (kC | kH)
                                    << false;
  QTest::newRow("dialog") << Style::kDialog << (sys | min | max) << kC << kC << false;
  QTest::newRow("tool window") << Style::kToolWindow << (sys | min | max) << kC << kC << false;
  QTest::newRow("sizeable tool window") << Style::kSizeToolWindow << (sys | min | max) << kC << kC
                                        << false;
  QTest::newRow("no border") << Style::kNone << (sys | min | max) << 0 << 0 << false;
}

void TestGradientForm::captionElementsByStyle() {
  QFETCH(Style, style);
  QFETCH(uint, icons);
  QFETCH(int, present);
  QFETCH(int, enabled);
  QFETCH(bool, icon);
  TGradientForm form;
  form.setWindowIcon(Solid(Qt::red));
  form.SetFormBorderStyle(style);
  form.SetFormBorderIcons(icons);
  form.resize(400, 200);
  const QImage image = form.grab().toImage();

  QCOMPARE(form.TitleBarRect().isEmpty(), style == Style::kNone);
  int right = form.width();
  for (Button b : {Button::kClose, Button::kHelp, Button::kMaximize, Button::kMinimize}) {
    const QRect r = form.CaptionButtonRect(b);
    QCOMPARE(!r.isEmpty(), bool(present & Mask(b)));
    QCOMPARE(form.CaptionButtonEnabled(b), bool(enabled & Mask(b)));
    if (r.isEmpty()) continue;
    QVERIFY(form.TitleBarRect().contains(r));
    QVERIFY(r.right() < right);  // from the right: close, then help or maximise, then minimise
    right = r.left();
  }
  const QRect icon_rect = form.CaptionIconRect();
  QCOMPARE(!icon_rect.isEmpty(), icon);
  if (icon) QCOMPARE(Rgb(image, icon_rect.center().x(), icon_rect.center().y()), QRgb(0xFF0000));
  for (int y = 0; y < image.height(); ++y) {
    if (!icon) QVERIFY(Rgb(image, 8, y) != 0xFF0000);
  }
}

void TestGradientForm::captionButtonActions_data() {
  QTest::addColumn<Button>("button");
  QTest::addColumn<bool>("start_maximised");
  QTest::addColumn<uint>("icons");
  QTest::addColumn<QString>("outcome");  // "closed" or the window state

  const uint all = TGradientForm::kSystemMenu | TGradientForm::kMinimize | TGradientForm::kMaximize;
  QTest::newRow("close") << Button::kClose << false << all << "closed";
  QTest::newRow("maximise") << Button::kMaximize << false << all << "maximised";
  QTest::newRow("restore") << Button::kMaximize << true << all << "normal";
  QTest::newRow("minimise") << Button::kMinimize << false << all << "minimised";
  QTest::newRow("greyed maximise") << Button::kMaximize << false
                                   << uint(TGradientForm::kSystemMenu | TGradientForm::kMinimize)
                                   << "normal";
  QTest::newRow("greyed minimise") << Button::kMinimize << false
                                   << uint(TGradientForm::kSystemMenu | TGradientForm::kMaximize)
                                   << "normal";
}

namespace {

QString Outcome(const QWidget& w) {
  if (!w.isVisible()) return "closed";
  if (w.isMinimized()) return "minimised";
  if (w.isMaximized()) return "maximised";
  return "normal";
}

}  // namespace

void TestGradientForm::captionButtonActions() {
  QFETCH(Button, button);
  QFETCH(bool, start_maximised);
  QFETCH(uint, icons);
  QFETCH(QString, outcome);
  TGradientForm form;
  form.SetFormBorderIcons(icons);
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  if (start_maximised) {
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
  }
  QTest::mouseClick(&form, Qt::LeftButton, {}, form.CaptionButtonRect(button).center());
  QTRY_COMPARE(Outcome(form), outcome);
  if (outcome == "normal") QCOMPARE(form.geometry(), QRect(100, 100, 400, 300));
}

void TestGradientForm::pressReleasedOutsideButtonDoesNothing() {
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  const QPoint on = form.CaptionButtonRect(Button::kClose).center();
  const QPoint off = CaptionPoint(form);
  QTest::mousePress(&form, Qt::LeftButton, {}, on);
  QTest::mouseMove(&form, off);
  QTest::mouseRelease(&form, Qt::LeftButton, {}, off);
  QVERIFY(form.isVisible());
  QCOMPARE(form.pos(), QPoint(100, 100));  // a button press is no drag either
}

void TestGradientForm::doubleClickOnTitleBar_data() {
  QTest::addColumn<uint>("icons");
  QTest::addColumn<QString>("first");
  QTest::addColumn<QString>("second");
  QTest::newRow("maximise allowed") << uint(TGradientForm::kSystemMenu | TGradientForm::kMaximize)
                                    << "maximised" << "normal";
  QTest::newRow("maximise not allowed") << uint(TGradientForm::kSystemMenu) << "normal" << "normal";
}

void TestGradientForm::doubleClickOnTitleBar() {
  QFETCH(uint, icons);
  QFETCH(QString, first);
  QFETCH(QString, second);
  TGradientForm form;
  form.SetFormBorderIcons(icons);
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  QTest::mouseDClick(&form, Qt::LeftButton, {}, CaptionPoint(form));
  QTRY_COMPARE(Outcome(form), first);
  QTest::mouseDClick(&form, Qt::LeftButton, {}, CaptionPoint(form));
  QTRY_COMPARE(Outcome(form), second);
  QCOMPARE(form.geometry(), QRect(100, 100, 400, 300));
}

void TestGradientForm::iconDoubleClickClosesSingleClickOpensMenu() {
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
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
  QTest::addColumn<QPoint>("drag");
  QTest::addColumn<QPoint>("expected");
  QTest::newRow("drag") << QPoint(50, 30) << QPoint(150, 130);
  QTest::newRow("upwards and left") << QPoint(-60, -70) << QPoint(40, 30);
  // A click with a shaking hand is a click, not a move.
  QTest::newRow("jitter") << QPoint(1, 1) << QPoint(100, 100);
}

void TestGradientForm::dragTitleBarMovesWindow() {
  QFETCH(QPoint, drag);
  QFETCH(QPoint, expected);
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  const QPoint from = CaptionPoint(form);
  QTest::mousePress(&form, Qt::LeftButton, {}, from);
  QTest::mouseMove(&form, from + drag);
  QTest::mouseRelease(&form, Qt::LeftButton, {}, from + drag);
  QCOMPARE(form.geometry(), QRect(expected, QSize(400, 300)));
  // After the release, moving the mouse moves nothing.
  Hover(&form, from);
  QCOMPARE(form.pos(), expected);
}

void TestGradientForm::borderSizing_data() {
  QTest::addColumn<QPoint>("at");  // in a 400 x 300 form at 100, 100
  QTest::addColumn<QPoint>("drag");
  QTest::addColumn<Qt::CursorShape>("cursor");
  QTest::addColumn<QRect>("expected");

  QTest::newRow("right") << QPoint(398, 150) << QPoint(20, 15) << Qt::SizeHorCursor
                         << QRect(100, 100, 420, 300);
  QTest::newRow("left") << QPoint(1, 150) << QPoint(-20, 15) << Qt::SizeHorCursor
                        << QRect(80, 100, 420, 300);
  QTest::newRow("bottom") << QPoint(200, 298) << QPoint(20, 15) << Qt::SizeVerCursor
                          << QRect(100, 100, 400, 315);
  QTest::newRow("top") << QPoint(200, 1) << QPoint(20, -15) << Qt::SizeVerCursor
                       << QRect(100, 85, 400, 315);
  QTest::newRow("top left") << QPoint(1, 1) << QPoint(-20, -15) << Qt::SizeFDiagCursor
                            << QRect(80, 85, 420, 315);
  QTest::newRow("bottom right") << QPoint(398, 298) << QPoint(20, 15) << Qt::SizeFDiagCursor
                                << QRect(100, 100, 420, 315);
  QTest::newRow("top right") << QPoint(398, 1) << QPoint(20, -15) << Qt::SizeBDiagCursor
                             << QRect(100, 85, 420, 315);
  QTest::newRow("bottom left") << QPoint(1, 298) << QPoint(-20, 15) << Qt::SizeBDiagCursor
                               << QRect(80, 100, 420, 315);
  QTest::newRow("left border near top") << QPoint(1, 10) << QPoint(-20, -15) << Qt::SizeFDiagCursor
                                        << QRect(80, 85, 420, 315);
  QTest::newRow("bottom border near right") << QPoint(390, 298) << QPoint(20, 15)
                                            << Qt::SizeFDiagCursor << QRect(100, 100, 420, 315);
  QTest::newRow("shrink from the right") << QPoint(398, 150) << QPoint(-50, 0) << Qt::SizeHorCursor
                                         << QRect(100, 100, 350, 300);
}

void TestGradientForm::borderSizing() {
  QFETCH(QPoint, at);
  QFETCH(QPoint, drag);
  QFETCH(Qt::CursorShape, cursor);
  QFETCH(QRect, expected);
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));

  Hover(&form, at);
  QCOMPARE(form.cursor().shape(), cursor);
  Hover(&form, CaptionPoint(form));
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
  QCOMPARE(form.ClientArea()->cursor().shape(), Qt::ArrowCursor);

  QTest::mousePress(&form, Qt::LeftButton, {}, at);
  QTest::mouseMove(&form, at + drag);
  QTest::mouseRelease(&form, Qt::LeftButton, {}, at + drag);
  QCOMPARE(form.geometry(), expected);
}

void TestGradientForm::sizingStopsAtSmallestWindow() {
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  const QPoint at(1, 150);
  QTest::mousePress(&form, Qt::LeftButton, {}, at);
  QTest::mouseMove(&form, at + QPoint(1000, 0));
  QTest::mouseRelease(&form, Qt::LeftButton, {}, at + QPoint(1000, 0));
  // The right edge stays put, and the caption buttons still fit.
  QCOMPARE(form.geometry().right(), 499);
  QVERIFY(form.width() < 400);
  QVERIFY(form.CaptionButtonRect(Button::kMinimize).left() > form.FrameWidth());
}

void TestGradientForm::noSizingWhereNotAllowed_data() {
  QTest::addColumn<Style>("style");
  QTest::addColumn<bool>("maximised");
  QTest::newRow("single border") << Style::kSingle << false;
  QTest::newRow("dialog") << Style::kDialog << false;
  QTest::newRow("maximised") << Style::kSizeable << true;
}

void TestGradientForm::noSizingWhereNotAllowed() {
  QFETCH(Style, style);
  QFETCH(bool, maximised);
  TGradientForm form;
  form.SetFormBorderStyle(style);
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  if (maximised) {
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
  }
  const QRect before = form.geometry();
  const QPoint at(form.width() - 2, form.height() / 2);
  Hover(&form, at);
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
  QTest::mousePress(&form, Qt::LeftButton, {}, at);
  QTest::mouseMove(&form, at + QPoint(30, 0));
  QTest::mouseRelease(&form, Qt::LeftButton, {}, at + QPoint(30, 0));
  QCOMPARE(form.geometry(), before);
}

void TestGradientForm::maximisedWindowHasNoFrame() {
  TGradientForm form;
  form.setGeometry(100, 100, 400, 300);
  QVERIFY(ShowForm(&form));
  const int frame = form.FrameWidth();
  QVERIFY(frame > 0);
  QCOMPARE(form.ClientArea()->geometry().left(), frame);

  form.showMaximized();
  QTRY_VERIFY(form.isMaximized());
  QCOMPARE(form.FrameWidth(), 0);
  QCOMPARE(form.TitleBarRect(), QRect(0, 0, form.width(), form.TitleBarRect().height()));
  QTRY_COMPARE(form.ClientArea()->geometry().top(), form.TitleBarRect().height());
  // Dragging the title bar of a maximised window moves nothing.
  const QPoint maximised_at = form.pos();
  QTest::mousePress(&form, Qt::LeftButton, {}, CaptionPoint(form));
  QTest::mouseMove(&form, CaptionPoint(form) + QPoint(40, 40));
  QTest::mouseRelease(&form, Qt::LeftButton, {}, CaptionPoint(form) + QPoint(40, 40));
  QCOMPARE(form.pos(), maximised_at);

  form.showNormal();
  QTRY_VERIFY(!form.isMaximized());
  QCOMPARE(form.FrameWidth(), frame);
  QTRY_COMPARE(form.ClientArea()->geometry().left(), frame);
}

QTEST_MAIN(TestGradientForm)
#include "tst_gradientform.moc"
