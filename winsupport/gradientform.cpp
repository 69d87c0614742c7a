// TGradientForm: the colour tables, the painted frame and title bar, and the
// mouse work a window manager would otherwise do for the title bar and the
// borders.
#include "winsupport/gradientform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engine/real48.h"

namespace qp {

namespace {

constexpr int kSizingFrame = 4;  // border of a sizeable window
constexpr int kFixedFrame = 3;   // border of a single, dialog or tool window
constexpr int kMinColors = 8;
constexpr int kMaxColors = 256;
constexpr int kButtonCount = 4;

using Table = std::array<QRgb, kMaxColors>;

// Round to the nearest integer, a half to the even neighbour.
long long RoundHalfEven(double x) {
  const double f = std::floor(x);
  const double diff = x - f;
  long long r = static_cast<long long>(f);
  if (diff > 0.5 || (diff == 0.5 && (r % 2 != 0))) ++r;
  return r;
}

// Entry i of a table of n colours from `start` to `stop`. The step of each
// channel is held as the engine's 6-byte real, so the tables come out the
// same as they always have, down to the rounding of the step itself.
void BuildTable(QRgb start, QRgb stop, int n, Table* table) {
  const int from[3] = {qRed(start), qGreen(start), qBlue(start)};
  const int to[3] = {qRed(stop), qGreen(stop), qBlue(stop)};
  double step[3];
  for (int c = 0; c < 3; ++c) {
    step[c] = vz::Real48::From(static_cast<double>(to[c] - from[c]) / (n - 1)).ToDouble();
  }
  for (int i = 0; i < n; ++i) {
    int ch[3];
    for (int c = 0; c < 3; ++c) ch[c] = static_cast<int>((from[c] + RoundHalfEven(step[c] * i)) & 0xFF);
    (*table)[i] = qRgb(ch[0], ch[1], ch[2]);
  }
  for (int i = n; i < kMaxColors; ++i) (*table)[i] = (*table)[n - 1];
}

int Index(TGradientForm::CaptionButton b) { return static_cast<int>(b); }

// A caption button glyph in the classic style, inside `g`.
void DrawGlyph(QPainter& p, const QRect& g, TGradientForm::CaptionButton button, bool maximized,
               const QColor& color, const QColor& face) {
  using B = TGradientForm::CaptionButton;
  p.setPen(color);
  p.setBrush(Qt::NoBrush);
  switch (button) {
    case B::kClose:
      // Two pixels wide diagonals.
      for (int dx = 0; dx < 2; ++dx) {
        p.drawLine(g.left() + dx, g.top(), g.right() - 1 + dx, g.bottom());
        p.drawLine(g.right() - 1 + dx, g.top(), g.left() + dx, g.bottom());
      }
      break;
    case B::kMinimize:
      p.fillRect(QRect(g.left(), g.bottom() - 1, g.width() - 2, 2), color);
      break;
    case B::kMaximize:
      if (!maximized) {
        p.drawRect(g.adjusted(0, 0, -1, -1));
        p.fillRect(QRect(g.left(), g.top(), g.width(), 2), color);
      } else {
        // Restore: a window in front of another.
        const int w = g.width() * 2 / 3, h = g.height() * 2 / 3;
        const QRect back(g.right() - w + 1, g.top(), w, h);
        const QRect front(g.left(), g.bottom() - h + 1, w, h);
        p.drawRect(back.adjusted(0, 0, -1, -1));
        p.fillRect(QRect(back.left(), back.top(), back.width(), 2), color);
        p.fillRect(front, face);
        p.drawRect(front.adjusted(0, 0, -1, -1));
        p.fillRect(QRect(front.left(), front.top(), front.width(), 2), color);
      }
      break;
    case B::kHelp: {
      QFont f = p.font();
      f.setBold(true);
      f.setPixelSize(std::max(6, g.height() + 2));
      p.setFont(f);
      p.drawText(g, Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
  }
}

}  // namespace

enum class TGradientForm::Hit {
  kNone, kClient, kCaption, kIcon, kButton,
  kLeft, kRight, kTop, kBottom, kTopLeft, kTopRight, kBottomLeft, kBottomRight,
};

struct TGradientForm::TitleLayout {
  QRect bar;                                // form coordinates
  QRect icon;                               // title-bar coordinates from here on
  std::array<QRect, kButtonCount> buttons;  // by CaptionButton
  QRect text;
};

struct TGradientForm::Private {
  std::array<Table, 2> tables{};  // 0 inactive, 1 active
  QFont caption_font;
  QColor caption_text_color = QColor(255, 255, 255);
  QColor start_color = QColor(0, 0, 0);
  QColor stop_color;
  int colors = 64;
  TGFPaintWhen paint_gradient = gfpAlways;
  QString caption;
  TGFOnCaptionPaint on_caption_paint;
  bool stop_follows_system = true;

  BorderStyle border_style = BorderStyle::kSizeable;
  BorderIcons border_icons = kSystemMenu | kMinimize | kMaximize;
  QWidget* client = nullptr;
  QVBoxLayout* layout = nullptr;
  QString painted_caption;

  // A caption button held down: which one, and whether the mouse is still on it.
  int pressed_button = -1;
  bool pressed_inside = false;
  // Moving or sizing by hand, when the window system does not. A press on
  // the caption only arms a move (kPending): the window system takes over
  // the mouse once a move starts, and a double click must still arrive.
  enum class Drag { kNone, kPending, kMove, kResize } drag = Drag::kNone;
  Qt::Edges drag_edges;
  QPoint press_global;
  QRect start_geometry;
  // A click on the icon opens the system menu only once it is clear that no
  // second click follows: a double click on the icon closes the window.
  QTimer* menu_timer = nullptr;
};

TGradientForm::TGradientForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), d_(std::make_unique<Private>()) {
  d_->stop_color = ActiveCaptionColor();
  d_->stop_follows_system = true;
  setMouseTracking(true);

  d_->client = new QWidget(this);
  d_->client->setObjectName(QStringLiteral("ClientArea"));
  // The client area sets its own cursor so that it never inherits a sizing
  // cursor the form shows over its border.
  d_->client->setCursor(Qt::ArrowCursor);
  d_->layout = new QVBoxLayout(this);
  d_->layout->setSpacing(0);
  d_->layout->addWidget(d_->client);

  d_->menu_timer = new QTimer(this);
  d_->menu_timer->setSingleShot(true);
  connect(d_->menu_timer, &QTimer::timeout, this, &TGradientForm::ShowSystemMenu);

  CreateCaptionFont();
  CreateColorTables();
  UpdateFrame();
}

TGradientForm::~TGradientForm() = default;

// ---- properties -------------------------------------------------------------

QColor TGradientForm::CaptionTextColor() const { return d_->caption_text_color; }

void TGradientForm::SetCaptionTextColor(const QColor& color) {
  d_->caption_text_color = color;
  RedrawFrame();
}

QColor TGradientForm::GradientStartColor() const { return d_->start_color; }

void TGradientForm::SetGradientStartColor(const QColor& color) {
  d_->start_color = color;
  CreateColorTables();
  RedrawFrame();
}

QColor TGradientForm::GradientStopColor() const { return d_->stop_color; }

void TGradientForm::SetGradientStopColor(const QColor& color) {
  d_->stop_color = color;
  d_->stop_follows_system = color.rgb() == ActiveCaptionColor().rgb();
  CreateColorTables();
  RedrawFrame();
}

int TGradientForm::GradientColors() const { return d_->colors; }

void TGradientForm::SetGradientColors(int colors) {
  if (colors == d_->colors || colors < kMinColors || colors > kMaxColors) return;
  d_->colors = colors;
  CreateColorTables();
  RedrawFrame();
}

TGFPaintWhen TGradientForm::PaintGradient() const { return d_->paint_gradient; }

void TGradientForm::SetPaintGradient(TGFPaintWhen when) {
  d_->paint_gradient = when;
  RedrawFrame();
}

const TGFOnCaptionPaint& TGradientForm::OnCaptionPaint() const { return d_->on_caption_paint; }

void TGradientForm::SetOnCaptionPaint(TGFOnCaptionPaint handler) {
  d_->on_caption_paint = std::move(handler);
  RedrawFrame();
}

TGradientForm::BorderStyle TGradientForm::FormBorderStyle() const { return d_->border_style; }

void TGradientForm::SetFormBorderStyle(BorderStyle style) {
  d_->border_style = style;
  CreateCaptionFont();
  UpdateFrame();
}

TGradientForm::BorderIcons TGradientForm::FormBorderIcons() const { return d_->border_icons; }

void TGradientForm::SetFormBorderIcons(BorderIcons icons) {
  d_->border_icons = icons;
  RedrawFrame();
}

QString TGradientForm::Caption() const { return d_->caption; }

void TGradientForm::SetCaption(const QString& caption) {
  d_->caption = caption;
  // The window system's title follows (task bar, window lists); the change
  // event that comes back stores the same text again.
  if (windowTitle() != caption) setWindowTitle(caption);
  RedrawFrame();
}

QWidget* TGradientForm::ClientArea() const { return d_->client; }

QRgb TGradientForm::ColorTableEntry(int table, int index) const {
  if (table < 0 || table > 1 || index < 0 || index >= kMaxColors) return 0;
  return d_->tables[table][index];
}

QColor TGradientForm::ActiveCaptionColor() const {
  return palette().color(QPalette::Active, QPalette::Highlight);
}

QColor TGradientForm::InactiveCaptionColor() const {
  const QColor inactive = palette().color(QPalette::Inactive, QPalette::Highlight);
  if (inactive.rgb() != ActiveCaptionColor().rgb()) return inactive;
  return palette().color(QPalette::Inactive, QPalette::Dark);
}

QString TGradientForm::PaintedCaption() const { return d_->painted_caption; }

void TGradientForm::CreateColorTables() {
  BuildTable(qRgb(0, 0, 0), InactiveCaptionColor().rgb(), d_->colors, &d_->tables[0]);
  BuildTable(d_->start_color.rgb(), d_->stop_color.rgb(), d_->colors, &d_->tables[1]);
}

// ---- geometry ---------------------------------------------------------------

namespace {

bool IsToolWindow(TGradientForm::BorderStyle s) {
  return s == TGradientForm::BorderStyle::kToolWindow ||
         s == TGradientForm::BorderStyle::kSizeToolWindow;
}

bool IsSizeable(TGradientForm::BorderStyle s) {
  return s == TGradientForm::BorderStyle::kSizeable ||
         s == TGradientForm::BorderStyle::kSizeToolWindow;
}

}  // namespace

int TGradientForm::FrameWidth() const {
  if (d_->border_style == BorderStyle::kNone || isMaximized() || isFullScreen()) return 0;
  return IsSizeable(d_->border_style) ? kSizingFrame : kFixedFrame;
}

QRect TGradientForm::TitleBarRect() const {
  if (d_->border_style == BorderStyle::kNone) return QRect();
  QStyleOptionTitleBar opt;
  opt.initFrom(this);
  opt.titleBarFlags = IsToolWindow(d_->border_style) ? Qt::Tool : Qt::Window;
  const int metric = style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, this);
  const int height = std::max(metric, QFontMetrics(d_->caption_font).height() + 2);
  const int f = FrameWidth();
  return QRect(f, f, std::max(0, width() - 2 * f), height);
}

TGradientForm::TitleLayout TGradientForm::LayoutTitle() const {
  TitleLayout t;
  t.bar = TitleBarRect();
  if (t.bar.isEmpty()) return t;
  const int h = t.bar.height();
  const BorderStyle bs = d_->border_style;
  const bool system_menu = d_->border_icons & kSystemMenu;
  const int small_icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);

  int left = 1;
  if (system_menu && (bs == BorderStyle::kSingle || bs == BorderStyle::kSizeable)) {
    const int size = std::min(small_icon, h - 2);
    t.icon = QRect(left + 1, (h - size) / 2, size, size);
    left = t.icon.right() + 2;
  }

  // Buttons share the caption height's parity so that they sit centred.
  int bw = std::min(small_icon - 2, h - 2);
  if ((h - bw) % 2 != 0) --bw;
  const int top = (h - bw) / 2;
  int x = t.bar.width() - 2;
  int text_right = t.bar.width();
  auto place = [&](CaptionButton b, int gap_after) {
    x -= bw;
    t.buttons[Index(b)] = QRect(x, top, bw, bw);
    text_right = x;
    x -= gap_after;
  };
  if (system_menu) place(CaptionButton::kClose, 2);
  if (!IsToolWindow(bs)) {
    if (bs == BorderStyle::kDialog) {
      if (d_->border_icons & kHelp) place(CaptionButton::kHelp, 0);
    } else {
      place(CaptionButton::kMaximize, 0);
      place(CaptionButton::kMinimize, 0);
    }
  }
  if (text_right < t.bar.width()) text_right -= 3;
  t.text = QRect(left, 0, std::max(0, text_right - left), h);
  return t;
}

QRect TGradientForm::CaptionIconRect() const {
  const TitleLayout t = LayoutTitle();
  return t.icon.isEmpty() ? QRect() : t.icon.translated(t.bar.topLeft());
}

QRect TGradientForm::CaptionButtonRect(CaptionButton button) const {
  const TitleLayout t = LayoutTitle();
  const QRect r = t.buttons[Index(button)];
  return r.isEmpty() ? QRect() : r.translated(t.bar.topLeft());
}

bool TGradientForm::CaptionButtonEnabled(CaptionButton button) const {
  if (CaptionButtonRect(button).isEmpty()) return false;
  switch (button) {
    case CaptionButton::kClose: return true;
    case CaptionButton::kMaximize: return d_->border_icons & kMaximize;
    case CaptionButton::kMinimize: return d_->border_icons & kMinimize;
    case CaptionButton::kHelp: return d_->border_icons & kHelp;
  }
  return false;
}

TGradientForm::Hit TGradientForm::HitTest(const QPoint& pos) const {
  if (!rect().contains(pos)) return Hit::kNone;
  const int f = FrameWidth();
  if (IsSizeable(d_->border_style) && f > 0 && !isMinimized()) {
    const bool left = pos.x() < f, right = pos.x() >= width() - f;
    const bool top = pos.y() < f, bottom = pos.y() >= height() - f;
    if (left || right || top || bottom) {
      // Near a corner, either border sizes both ways, as users expect from
      // a grip a few pixels wide.
      const int grip = TitleBarRect().height();
      const bool near_left = pos.x() < grip, near_right = pos.x() >= width() - grip;
      const bool near_top = pos.y() < grip, near_bottom = pos.y() >= height() - grip;
      if ((top && near_left) || (left && near_top)) return Hit::kTopLeft;
      if ((top && near_right) || (right && near_top)) return Hit::kTopRight;
      if ((bottom && near_left) || (left && near_bottom)) return Hit::kBottomLeft;
      if ((bottom && near_right) || (right && near_bottom)) return Hit::kBottomRight;
      if (left) return Hit::kLeft;
      if (right) return Hit::kRight;
      if (top) return Hit::kTop;
      return Hit::kBottom;
    }
  }
  const TitleLayout t = LayoutTitle();
  if (!t.bar.contains(pos)) return Hit::kClient;
  const QPoint local = pos - t.bar.topLeft();
  for (const QRect& r : t.buttons) {
    if (!r.isEmpty() && r.contains(local)) return Hit::kButton;
  }
  if (!t.icon.isEmpty() && local.x() <= t.icon.right() + 1) return Hit::kIcon;
  return Hit::kCaption;
}

namespace {

Qt::Edges EdgesOf(int hit_index) {
  // Indexes follow TGradientForm::Hit from kLeft on.
  static const Qt::Edges kEdges[] = {
      Qt::LeftEdge, Qt::RightEdge, Qt::TopEdge, Qt::BottomEdge,
      Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
      Qt::BottomEdge | Qt::LeftEdge, Qt::BottomEdge | Qt::RightEdge,
  };
  return kEdges[hit_index];
}

Qt::CursorShape CursorFor(Qt::Edges edges) {
  const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
  const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
  if (horizontal && vertical) {
    const bool nw_se = (edges & Qt::TopEdge) ? bool(edges & Qt::LeftEdge) : bool(edges & Qt::RightEdge);
    return nw_se ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
  }
  return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

}  // namespace

void TGradientForm::UpdateFrame() {
  const int f = FrameWidth();
  const QRect bar = TitleBarRect();
  const int caption = bar.isEmpty() ? 0 : bar.height();
  d_->layout->setContentsMargins(f, f + caption, f, f);
  update();
}

void TGradientForm::CreateCaptionFont() {
  QFont font = IsToolWindow(d_->border_style)
                   ? QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont)
                   : QFontDatabase::systemFont(QFontDatabase::TitleFont);
  // System fonts come without resolved properties, and a painter would fill
  // those in from the bitmap's default font: the caption would be drawn in
  // another size than the one the title bar was measured for.
  font.setResolveMask(QFont::AllPropertiesResolved);
  d_->caption_font = font;
}

void TGradientForm::RedrawFrame() { update(); }

// ---- painting ---------------------------------------------------------------

void TGradientForm::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (FrameWidth() > 0) qDrawWinPanel(&painter, rect(), palette(), false);
  const QRect bar = TitleBarRect();
  if (!bar.isEmpty() && event->rect().intersects(bar)) PaintTitleBar(painter, isActiveWindow());
}

void TGradientForm::PaintTitleBar(QPainter& painter, bool active) {
  const TitleLayout t = LayoutTitle();
  const qreal dpr = devicePixelRatioF();
  QImage bitmap(t.bar.size() * dpr, QImage::Format_RGB32);
  bitmap.setDevicePixelRatio(dpr);

  // Background.
  const TGFPaintWhen when = d_->paint_gradient;
  if (when == gfpNever || (when == gfpActive && !active)) {
    bitmap.fill(active ? ActiveCaptionColor() : InactiveCaptionColor());
  } else {
    // The device has no palette: the n entries form a one-pixel line that is
    // stretched over the whole bar, its first n - 1 pixels serving as the
    // source width (each column takes the entry its position maps to).
    const Table& table = d_->tables[active ? 1 : 0];
    const int n = d_->colors;
    const int w = bitmap.width();
    auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(0));
    for (int x = 0; x < w; ++x) line[x] = table[static_cast<long long>(x) * (n - 1) / w];
    for (int y = 1; y < bitmap.height(); ++y) {
      std::memcpy(bitmap.scanLine(y), line, static_cast<size_t>(w) * sizeof(QRgb));
    }
  }

  QPainter canvas(&bitmap);
  if (!t.icon.isEmpty()) {
    QIcon icon = windowIcon();  // the form's, else the application's
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_TitleBarMenuButton, nullptr, this);
    icon.paint(&canvas, t.icon);
  }
  const QPalette& pal = palette();
  for (int i = 0; i < kButtonCount; ++i) {
    const QRect r = t.buttons[i];
    if (r.isEmpty()) continue;
    const auto button = static_cast<CaptionButton>(i);
    const bool enabled = CaptionButtonEnabled(button);
    const bool down = d_->pressed_button == i && d_->pressed_inside;
    qDrawWinButton(&canvas, r, pal, down, &pal.brush(QPalette::Button));
    QRect glyph = r.adjusted(3, 3, -3, -3);
    if (down) glyph.translate(1, 1);
    if (enabled) {
      DrawGlyph(canvas, glyph, button, isMaximized(), pal.color(QPalette::Active, QPalette::ButtonText),
                pal.color(QPalette::Button));
    } else {
      // Greyed the classic way: an embossed light copy under a grey one.
      DrawGlyph(canvas, glyph.translated(1, 1), button, isMaximized(), pal.color(QPalette::Light),
                pal.color(QPalette::Button));
      DrawGlyph(canvas, glyph, button, isMaximized(), pal.color(QPalette::Disabled, QPalette::ButtonText),
                pal.color(QPalette::Button));
    }
  }

  QRect text_rect = t.text;
  if (d_->on_caption_paint) {
    canvas.save();
    canvas.setFont(d_->caption_font);
    d_->on_caption_paint(this, canvas, text_rect);
    canvas.restore();
  }

  text_rect.setLeft(text_rect.left() + 2);
  canvas.setFont(d_->caption_font);
  canvas.setPen(d_->caption_text_color);
  canvas.setBackgroundMode(Qt::TransparentMode);
  QString caption = d_->caption;
  caption.replace(QStringLiteral("[*]"), isWindowModified() ? QStringLiteral("*") : QString());
  const QString shown = canvas.fontMetrics().elidedText(caption, Qt::ElideRight,
                                                        std::max(0, text_rect.width()));
  canvas.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  d_->painted_caption = shown;
  canvas.end();

  painter.drawImage(t.bar.topLeft(), bitmap);
}

// ---- window events ----------------------------------------------------------

bool TGradientForm::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ApplicationFontChange:
    case QEvent::ThemeChange:
      // The caption font and height follow the system's window metrics.
      CreateCaptionFont();
      UpdateFrame();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void TGradientForm::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowTitleChange:
      d_->caption = windowTitle();
      RedrawFrame();
      break;
    case QEvent::ModifiedChange:
    case QEvent::ActivationChange:
      RedrawFrame();
      break;
    case QEvent::WindowStateChange:
      // The frame disappears while maximised and comes back on restore.
      UpdateFrame();
      break;
    case QEvent::PaletteChange:
      if (d_->stop_follows_system) d_->stop_color = ActiveCaptionColor();
      CreateColorTables();
      RedrawFrame();
      break;
    case QEvent::StyleChange:
      CreateCaptionFont();
      UpdateFrame();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

void TGradientForm::PressCaptionButton(CaptionButton button) {
  if (!CaptionButtonEnabled(button)) return;
  switch (button) {
    case CaptionButton::kClose: close(); break;
    case CaptionButton::kMaximize: isMaximized() ? showNormal() : showMaximized(); break;
    case CaptionButton::kMinimize: showMinimized(); break;
    case CaptionButton::kHelp: QWhatsThis::enterWhatsThisMode(); break;
  }
}

void TGradientForm::ShowSystemMenu() {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool can_max = CaptionButtonEnabled(CaptionButton::kMaximize);
  const bool can_min = CaptionButtonEnabled(CaptionButton::kMinimize);
  menu->addAction(tr("&Restore"), this, &QWidget::showNormal)->setEnabled(can_max && isMaximized());
  menu->addAction(tr("Mi&nimize"), this, &QWidget::showMinimized)->setEnabled(can_min);
  menu->addAction(tr("Ma&ximize"), this, &QWidget::showMaximized)->setEnabled(can_max && !isMaximized());
  if (d_->border_icons & kSystemMenu) {
    menu->addSeparator();
    menu->addAction(tr("&Close"), this, &QWidget::close);
  }
  const QRect icon = CaptionIconRect();
  const QRect bar = TitleBarRect();
  menu->popup(mapToGlobal(QPoint(icon.isEmpty() ? bar.left() : icon.left(), bar.bottom() + 1)));
}

// ---- mouse ------------------------------------------------------------------

void TGradientForm::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const Hit hit = HitTest(pos);
  if (event->button() == Qt::RightButton && (hit == Hit::kCaption || hit == Hit::kIcon)) {
    ShowSystemMenu();
    return;
  }
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  switch (hit) {
    case Hit::kButton:
      for (int i = 0; i < kButtonCount; ++i) {
        const auto b = static_cast<CaptionButton>(i);
        if (CaptionButtonRect(b).contains(pos) && CaptionButtonEnabled(b)) {
          d_->pressed_button = i;
          d_->pressed_inside = true;
          RedrawFrame();
        }
      }
      return;
    case Hit::kIcon:
      d_->menu_timer->start(QApplication::doubleClickInterval());
      return;
    case Hit::kCaption:
      if (isMaximized()) return;
      d_->drag = Private::Drag::kPending;
      break;
    case Hit::kLeft: case Hit::kRight: case Hit::kTop: case Hit::kBottom:
    case Hit::kTopLeft: case Hit::kTopRight: case Hit::kBottomLeft: case Hit::kBottomRight: {
      const Qt::Edges edges = EdgesOf(static_cast<int>(hit) - static_cast<int>(Hit::kLeft));
      if (windowHandle() && windowHandle()->startSystemResize(edges)) return;
      d_->drag = Private::Drag::kResize;
      d_->drag_edges = edges;
      break;
    }
    default:
      QWidget::mousePressEvent(event);
      return;
  }
  d_->press_global = event->globalPosition().toPoint();
  d_->start_geometry = geometry();
}

void TGradientForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (d_->drag == Private::Drag::kPending) {
    const QPoint travel = event->globalPosition().toPoint() - d_->press_global;
    if (travel.manhattanLength() < QApplication::startDragDistance()) return;
    if (windowHandle() && windowHandle()->startSystemMove()) {
      d_->drag = Private::Drag::kNone;
      return;
    }
    d_->drag = Private::Drag::kMove;
  }
  if (d_->drag == Private::Drag::kMove) {
    move(d_->start_geometry.topLeft() + event->globalPosition().toPoint() - d_->press_global);
    return;
  }
  if (d_->drag == Private::Drag::kResize) {
    const QPoint delta = event->globalPosition().toPoint() - d_->press_global;
    const QRect bar = TitleBarRect();
    // The least a window may shrink to: its frame, its caption and room
    // for the caption buttons.
    const QSize track(2 * FrameWidth() + 4 * bar.height(), 2 * FrameWidth() + bar.height());
    const QSize min = minimumSize().expandedTo(track);
    const QSize max = maximumSize();
    QRect g = d_->start_geometry;
    const Qt::Edges e = d_->drag_edges;
    if (e & Qt::LeftEdge) {
      const int w = std::clamp(g.width() - delta.x(), min.width(), max.width());
      g.setLeft(g.right() - w + 1);
    }
    if (e & Qt::RightEdge) g.setWidth(std::clamp(g.width() + delta.x(), min.width(), max.width()));
    if (e & Qt::TopEdge) {
      const int h = std::clamp(g.height() - delta.y(), min.height(), max.height());
      g.setTop(g.bottom() - h + 1);
    }
    if (e & Qt::BottomEdge) g.setHeight(std::clamp(g.height() + delta.y(), min.height(), max.height()));
    setGeometry(g);
    return;
  }
  if (d_->pressed_button >= 0) {
    const bool inside = CaptionButtonRect(static_cast<CaptionButton>(d_->pressed_button)).contains(pos);
    if (inside != d_->pressed_inside) {
      d_->pressed_inside = inside;
      RedrawFrame();
    }
    return;
  }
  if (event->buttons() == Qt::NoButton) {
    const Hit hit = HitTest(pos);
    if (hit >= Hit::kLeft) {
      setCursor(CursorFor(EdgesOf(static_cast<int>(hit) - static_cast<int>(Hit::kLeft))));
    } else {
      unsetCursor();
    }
  }
  QWidget::mouseMoveEvent(event);
}

void TGradientForm::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  d_->drag = Private::Drag::kNone;
  if (d_->pressed_button >= 0) {
    const auto button = static_cast<CaptionButton>(d_->pressed_button);
    const bool inside = CaptionButtonRect(button).contains(event->position().toPoint());
    d_->pressed_button = -1;
    d_->pressed_inside = false;
    RedrawFrame();
    if (inside) PressCaptionButton(button);
  }
}

void TGradientForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  switch (HitTest(event->position().toPoint())) {
    case Hit::kCaption:
      if (CaptionButtonEnabled(CaptionButton::kMaximize)) {
        d_->drag = Private::Drag::kNone;
        isMaximized() ? showNormal() : showMaximized();
      }
      break;
    case Hit::kIcon:
      d_->menu_timer->stop();
      close();
      break;
    case Hit::kButton:
      // The second click of a double click on a button is a click of its own.
      mousePressEvent(event);
      break;
    default:
      break;
  }
}

void TGradientForm::leaveEvent(QEvent* event) {
  if (d_->drag == Private::Drag::kNone) unsetCursor();
  QWidget::leaveEvent(event);
}

}  // namespace qp
