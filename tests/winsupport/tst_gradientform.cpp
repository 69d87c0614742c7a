// TGradientForm as seen on screen (grabbed images) and driven by the mouse: the
// colour tables, the caption and its buttons, the window manager's work.
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

namespace {

constexpr QRgb kGreen = 0x00FF00;
constexpr uint kSys = TGradientForm::kSystemMenu;
constexpr uint kMin = TGradientForm::kMinimize;
constexpr uint kMax = TGradientForm::kMaximize;
constexpr uint kAll = kSys | kMin | kMax;

struct CaptionRow {
  QString caption;
  int width, shift;  // shift: what the hook takes off the left of the text room
  bool elided;
};
struct StyleRow {
  Style style;
  uint icons;
  QString present, enabled;  // C close, H help, X maximise, N minimise
  bool icon;
};
struct DragRow {
  Style style;
  QString where;  // "" the point `at`, "title" the bare title bar, "close"
  QPoint at, drag;  // in a 400 x 300 form at 100, 100
  Qt::CursorShape cursor;
  QRect expected;  // null: the smallest window
};

QRgb Rgb(const QImage& image, const QPoint& p) { return image.pixel(p) & 0xFFFFFF; }

// The form at 100, 100 with 400 x 300, on screen.
bool ShowForm(QWidget* w) {
  w->setGeometry(100, 100, 400, 300);
  w->show();
  return QTest::qWaitForWindowExposed(w);
}

// A caption button by name, or the bare title bar away from its icon and buttons.
QPoint Target(const TGradientForm& form, const QString& where = {}) {
  if (where == "close") return form.CaptionButtonRect(Button::kClose).center();
  if (where == "maximise") return form.CaptionButtonRect(Button::kMaximize).center();
  if (where == "minimise") return form.CaptionButtonRect(Button::kMinimize).center();
  const QRect bar = form.TitleBarRect();
  return QPoint(bar.left() + bar.width() / 2, bar.center().y());
}

void Hover(QWidget* w, const QPoint& pos) {
  QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

void Drag(QWidget* w, const QPoint& at, const QPoint& by) {
  QTest::mousePress(w, Qt::LeftButton, {}, at);
  QTest::mouseMove(w, at + by);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at + by);
}

// A form with a plain red icon.
void RedIcon(QWidget* form) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::red);
  form->setWindowIcon(pixmap);
}

}  // namespace

Q_DECLARE_METATYPE(CaptionRow)
Q_DECLARE_METATYPE(StyleRow)
Q_DECLARE_METATYPE(DragRow)

class TestGradientForm : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    QApplication::setPalette(QPalette());
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  }

  // The stop colour follows the system's unless set to another. Counts
  // outside 8 .. 256 are ignored; the active table runs from the start to the
  // stop colour, and entries past the count repeat the last.
  void colorTable() {
    TGradientForm by_default, form;
    QCOMPARE(by_default.GradientStopColor(), by_default.ActiveCaptionColor());
    form.SetGradientStopColor(QColor(0, 0, 255));
    QPalette pal = QApplication::palette();
    pal.setColor(QPalette::Highlight, QColor(200, 10, 10));
    pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(90, 90, 20));
    QApplication::setPalette(pal);
    QCoreApplication::processEvents();  // the palette reaches widgets by posted events
    QCOMPARE(QColor(by_default.ColorTableEntry(1, 63)), QColor(200, 10, 10));
    QCOMPARE(QColor(by_default.ColorTableEntry(0, 63)), QColor(90, 90, 20));
    QCOMPARE(form.ColorTableEntry(1, 32), qRgb(0, 0, 130));  // 32 steps of 255 / 63 as a 6-byte real
    for (const auto& [given, in_force] : {std::pair{7, 64}, {257, 64}, {8, 8}, {256, 256}}) {
      form.SetGradientColors(given);
      QCOMPARE(form.GradientColors(), in_force);
      QCOMPARE(form.ColorTableEntry(1, 0), qRgb(0, 0, 0));
      QCOMPARE(form.ColorTableEntry(1, in_force - 1), qRgb(0, 0, 255));
      QCOMPARE(form.ColorTableEntry(1, 255), qRgb(0, 0, 255));
      QCOMPARE(form.ColorTableEntry(0, in_force - 1), form.InactiveCaptionColor().rgb());
    }
  }

  // The bottom row of the bar holds neither icon, buttons nor text. Left to
  // right it runs through the table, up to its last entry but one (the
  // stretched line's source is n - 1 pixels wide).
  void titleBarColors_data() {
    QTest::addColumn<int>("when");  // qp::TGFPaintWhen
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("gradient");
    QTest::newRow("always, inactive") << int(qp::gfpAlways) << false << true;
    QTest::newRow("active only, active") << int(qp::gfpActive) << true << true;
    QTest::newRow("active only, inactive") << int(qp::gfpActive) << false << false;
    QTest::newRow("never, active") << int(qp::gfpNever) << true << false;
  }
  void titleBarColors() {
    QFETCH(int, when);
    QFETCH(bool, active);
    QFETCH(bool, gradient);
    TGradientForm form;
    form.SetGradientStartColor(QColor(0, 0, 0));
    form.SetGradientStopColor(QColor(0, 0, 255));
    form.SetPaintGradient(qp::TGFPaintWhen(when));
    form.resize(400, 300);
    if (active) {  // else never shown, so never active
      QVERIFY(ShowForm(&form));
      form.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    const QImage image = form.grab().toImage();
    const QRect bar = form.TitleBarRect();
    const QColor plain = active ? form.ActiveCaptionColor() : form.InactiveCaptionColor();
    QList<QRgb> expected, seen;
    auto add = [](QList<QRgb>& list, QRgb rgb) {
      if (list.isEmpty() || list.back() != (rgb & 0xFFFFFF)) list << (rgb & 0xFFFFFF);
    };
    for (int x = bar.left(); x <= bar.right(); ++x) add(seen, image.pixel(x, bar.bottom()));
    for (int i = 0; i < (gradient ? form.GradientColors() - 1 : 1); ++i) {
      add(expected, gradient ? form.ColorTableEntry(active ? 1 : 0, i) : plain.rgb());
    }
    QCOMPARE(seen, expected);
  }

  // The hook paints after the icon and the buttons and before the text, in
  // the room between them, and may move the text; what is painted of the
  // caption fits what room is left, with an ellipsis when it is too long.
  void captionPainting_data() {
    QTest::addColumn<CaptionRow>("c");
    QTest::newRow("fits") << CaptionRow{"Quillprint", 536, 0, false};
    QTest::newRow("too long") << CaptionRow{"Quillprint - " + QString(60, 'W'), 536, 0, true};
    QTest::newRow("moved by the hook") << CaptionRow{"WWWWWWWW", 500, 150, false};
  }
  void captionPainting() {
    QFETCH(CaptionRow, c);
    TGradientForm form;
    RedIcon(&form);
    QRect room;
    QObject* sender = nullptr;
    form.SetOnCaptionPaint([&](QObject* s, QPainter& canvas, QRect& r) {
      sender = s;
      room = r;
      canvas.fillRect(canvas.window(), QColor(kGreen));
      r.setLeft(r.left() + c.shift);
    });
    form.resize(c.width, 150);
    form.SetCaption(c.caption);
    QCOMPARE(form.windowTitle(), c.caption);  // the window system's title follows
    const QImage image = form.grab().toImage();
    QCOMPARE(sender, &form);
    const QString painted = form.PaintedCaption();
    QCOMPARE(painted == c.caption, !c.elided);
    if (c.elided) QCOMPARE(painted, c.caption.left(painted.size() - 1) + QChar(0x2026));
    const QFontMetrics fm(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    QVERIFY(fm.horizontalAdvance(painted) <= room.width() - c.shift - 2);
    const QRect text = room.translated(form.TitleBarRect().topLeft());
    for (const QRect& r :
         {form.CaptionIconRect(), form.CaptionButtonRect(Button::kClose),
          form.CaptionButtonRect(Button::kMaximize), form.CaptionButtonRect(Button::kMinimize)}) {
      QVERIFY(!text.intersects(r));
      QCOMPARE(Rgb(image, r.center()), kGreen);
    }
    int before = 0, after = 0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
      for (int x = text.left(); x <= text.right(); ++x) {
        (x < text.left() + c.shift ? before : after) += Rgb(image, QPoint(x, y)) != kGreen;
      }
    }
    QCOMPARE(before, 0);
    QVERIFY(after > 20);
  }

  void captionElementsByStyle_data() {
    QTest::addColumn<StyleRow>("c");
    QTest::newRow("sizeable, all") << StyleRow{Style::kSizeable, kAll, "CXN", "CXN", true};
    QTest::newRow("sizeable, no maximise") << StyleRow{Style::kSizeable, kSys | kMin, "CXN", "CN", true};
    QTest::newRow("no system menu") << StyleRow{Style::kSizeable, kMin | kMax, "XN", "XN", false};
    QTest::newRow("dialog with help") << StyleRow{Style::kDialog, kSys | TGradientForm::kHelp, "CH", "CH", false};
    QTest::newRow("dialog") << StyleRow{Style::kDialog, kAll, "C", "C", false};
    QTest::newRow("no border") << StyleRow{Style::kNone, kAll, "", "", false};
  }
  void captionElementsByStyle() {
    QFETCH(StyleRow, c);
    TGradientForm form;
    RedIcon(&form);
    form.SetFormBorderStyle(c.style);
    form.SetFormBorderIcons(c.icons);
    form.resize(400, 200);
    const QImage image = form.grab().toImage();
    QCOMPARE(form.TitleBarRect().isEmpty(), c.style == Style::kNone);
    // From the right: close, then help or maximise, then minimise.
    int right = form.width();
    const std::pair<Button, char> buttons[] = {
        {Button::kClose, 'C'}, {Button::kHelp, 'H'}, {Button::kMaximize, 'X'}, {Button::kMinimize, 'N'}};
    for (const auto& [b, letter] : buttons) {
      const QRect r = form.CaptionButtonRect(b);
      QCOMPARE(!r.isEmpty(), c.present.contains(letter));
      QCOMPARE(form.CaptionButtonEnabled(b), c.enabled.contains(letter));
      if (r.isEmpty()) continue;
      QVERIFY(form.TitleBarRect().contains(r) && r.right() < right);
      right = r.left();
    }
    QCOMPARE(!form.CaptionIconRect().isEmpty(), c.icon);
    if (c.icon) QCOMPARE(Rgb(image, form.CaptionIconRect().center()), QRgb(0xFF0000));
    for (int y = 0; !c.icon && y < image.height(); ++y) QVERIFY(Rgb(image, QPoint(8, y)) != 0xFF0000);
  }

  void windowStateByMouse_data() {
    QTest::addColumn<QString>("where");  // a caption button clicked, or the title bar double-clicked
    QTest::addColumn<bool>("start_maximised");
    QTest::addColumn<uint>("icons");
    QTest::addColumn<QString>("outcome");  // "closed" or the window state
    QTest::newRow("close") << "close" << false << kAll << "closed";
    QTest::newRow("maximise") << "maximise" << false << kAll << "maximised";
    QTest::newRow("restore") << "maximise" << true << kAll << "normal";
    QTest::newRow("minimise") << "minimise" << false << kAll << "minimised";
    QTest::newRow("greyed maximise") << "maximise" << false << (kSys | kMin) << "normal";
    QTest::newRow("title bar maximises") << "" << false << (kSys | kMax) << "maximised";
    QTest::newRow("title bar, maximise not allowed") << "" << false << kSys << "normal";
  }
  void windowStateByMouse() {
    QFETCH(QString, where);
    QFETCH(bool, start_maximised);
    QFETCH(uint, icons);
    QFETCH(QString, outcome);
    TGradientForm form;
    form.SetFormBorderIcons(icons);
    QVERIFY(ShowForm(&form));
    const int frame = form.FrameWidth();
    if (start_maximised) {
      form.showMaximized();
      QTRY_VERIFY(form.isMaximized());
      // No frame then, and neither the title bar nor the border moves or sizes the window.
      QCOMPARE(form.FrameWidth(), 0);
      QCOMPARE(form.TitleBarRect().topLeft(), QPoint(0, 0));
      QTRY_COMPARE(form.ClientArea()->geometry().top(), form.TitleBarRect().height());
      const QRect maximised = form.geometry();
      const QPoint border(form.width() - 2, form.height() / 2);
      Hover(&form, border);
      QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
      Drag(&form, border, QPoint(30, 0));
      Drag(&form, Target(form), QPoint(40, 40));
      QCOMPARE(form.geometry(), maximised);
    }
    if (where.isEmpty()) {
      QTest::mouseDClick(&form, Qt::LeftButton, {}, Target(form));
    } else {
      QTest::mouseClick(&form, Qt::LeftButton, {}, Target(form, where));
    }
    auto state = [&form] {
      return !form.isVisible()    ? "closed"
             : form.isMinimized() ? "minimised"
             : form.isMaximized() ? "maximised"
                                  : "normal";
    };
    QTRY_COMPARE(QString(state()), outcome);
    if (outcome != "normal") return;
    QTRY_COMPARE(form.geometry(), QRect(100, 100, 400, 300));
    QTRY_COMPARE(form.ClientArea()->geometry().left(), frame);
  }

  void iconDoubleClickClosesSingleClickOpensMenu() {
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

  // Pressed at a point (or on the title bar or a caption button), dragged
  // and let go: the cursor shown over the point, and where the window ends.
  void dragging_data() {
    QTest::addColumn<DragRow>("c");
    const Style s = Style::kSizeable;
    const Qt::CursorShape ver = Qt::SizeVerCursor, fdiag = Qt::SizeFDiagCursor, arrow = Qt::ArrowCursor;
    const QRect unmoved(100, 100, 400, 300);
    QTest::newRow("title bar moves") << DragRow{s, "title", {}, {50, 30}, arrow, {150, 130, 400, 300}};
    // A click with a shaking hand is a click, not a move.
    QTest::newRow("jitter") << DragRow{s, "title", {}, {1, 1}, arrow, unmoved};
    // A button pressed and left before the release neither acts nor drags.
    QTest::newRow("off the close button") << DragRow{s, "close", {}, {-150, 0}, arrow, unmoved};
    QTest::newRow("bottom") << DragRow{s, "", {200, 298}, {20, 15}, ver, {100, 100, 400, 315}};
    QTest::newRow("top") << DragRow{s, "", {200, 1}, {20, -15}, ver, {100, 85, 400, 315}};
    QTest::newRow("bottom right") << DragRow{s, "", {398, 298}, {20, 15}, fdiag, {100, 100, 420, 315}};
    QTest::newRow("top right") << DragRow{s, "", {398, 1}, {20, -15}, Qt::SizeBDiagCursor, {100, 85, 420, 315}};
    QTest::newRow("left border near top") << DragRow{s, "", {1, 10}, {-20, -15}, fdiag, {80, 85, 420, 315}};
    // The smallest window keeps its right edge and room for the caption buttons.
    QTest::newRow("smallest window") << DragRow{s, "", {1, 150}, {1000, 0}, Qt::SizeHorCursor, {}};
    QTest::newRow("single border") << DragRow{Style::kSingle, "", {398, 150}, {30, 0}, arrow, unmoved};
  }
  void dragging() {
    QFETCH(DragRow, c);
    TGradientForm form;
    form.SetFormBorderStyle(c.style);
    QVERIFY(ShowForm(&form));
    const QPoint from = c.where.isEmpty() ? c.at : Target(form, c.where);
    Hover(&form, from);
    QCOMPARE(form.cursor().shape(), c.cursor);
    Hover(&form, Target(form));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form.ClientArea()->cursor().shape(), Qt::ArrowCursor);
    Drag(&form, from, c.drag);
    QVERIFY(form.isVisible());
    if (c.expected.isNull()) {
      c.expected = form.geometry();
      QCOMPARE(c.expected.right(), 499);
      QVERIFY(form.width() < 400 && form.CaptionButtonRect(Button::kMinimize).left() > form.FrameWidth());
    }
    QCOMPARE(form.geometry(), c.expected);
    Hover(&form, from);  // after the release, moving the mouse does nothing
    QCOMPARE(form.geometry(), c.expected);
  }
};

QTEST_MAIN(TestGradientForm)
#include "tst_gradientform.moc"
