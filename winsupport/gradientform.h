// TGradientForm: a top-level window that draws its own frame and title bar,
// with the title bar filled by a colour gradient and the caption text in a
// colour of its own. The program's main window derives from it.
//
// The window is frameless as far as the window system is concerned; the form
// paints the frame, the icon, the caption buttons and the caption, and does
// what a window manager would do with them: moving by the title bar, sizing
// at the borders (with the sizing cursors), minimising, maximising and
// restoring, closing, and the double click on the title bar. Moving and
// sizing are handed to the window system first (QWindow::startSystemMove and
// startSystemResize); where it declines, as it does without a window manager,
// the form moves and sizes itself.
//
// Geometry (form coordinates; f is the frame width, 0 while maximised):
//
//   +--f-------------------------------------------------+
//   | [icon] Caption text ...            [_][□] [x]      |  title bar, caption height
//   +----------------------------------------------------+
//   |                                                    |
//   |                ClientArea()                        |
//   |                                                    |
//   +----------------------------------------------------+
//
// Subclasses put their content into ClientArea(). The form's width and height
// are those of the whole window, frame and title bar included.
//
// The two colour tables: table 0 runs from black to the system's
// inactive-caption colour, table 1 from GradientStartColor to
// GradientStopColor; of their 256 entries the first GradientColors are used.
// The system caption colours come from the palette (see ActiveCaptionColor).
#ifndef QUILLPRINT_WINSUPPORT_GRADIENTFORM_H_
#define QUILLPRINT_WINSUPPORT_GRADIENTFORM_H_

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QPainter;

namespace qp {

// When the title bar gets the gradient: always, only while the window is
// active (a plain caption colour otherwise), or never.
enum TGFPaintWhen { gfpAlways, gfpActive, gfpNever };

// Called while the title bar is painted, after its background, icon and
// buttons and before its text. `canvas` paints on the title bar (its origin
// is the title bar's top-left; its font is the caption font); `r` is the
// rectangle left for the text, which the handler may change.
using TGFOnCaptionPaint = std::function<void(QObject* sender, QPainter& canvas, QRect& r)>;

class TGradientForm : public QWidget {
  Q_OBJECT

 public:
  // The frame: none (no frame, no title bar), single or dialog (fixed size),
  // sizeable, and the tool-window variants with a small caption.
  enum class BorderStyle { kNone, kSingle, kSizeable, kDialog, kToolWindow, kSizeToolWindow };
  // Which caption elements the window offers. Without kSystemMenu there is
  // neither icon nor close button; kMinimize and kMaximize decide whether
  // those buttons work or are greyed; kHelp gives a dialog a help button.
  enum BorderIcon : unsigned { kSystemMenu = 1, kMinimize = 2, kMaximize = 4, kHelp = 8 };
  using BorderIcons = unsigned;
  enum class CaptionButton { kClose, kMaximize, kMinimize, kHelp };

  // A sizeable window with all caption buttons, white caption text and a
  // gradient from black to the active-caption colour in 64 steps.
  explicit TGradientForm(QWidget* parent = nullptr);
  ~TGradientForm() override;

  QColor CaptionTextColor() const;
  void SetCaptionTextColor(const QColor& color);
  QColor GradientStartColor() const;
  void SetGradientStartColor(const QColor& color);
  // While the stop colour equals the system's active-caption colour (as it
  // does from the start) it follows that colour when the system changes it.
  QColor GradientStopColor() const;
  void SetGradientStopColor(const QColor& color);
  // Values outside 8 .. 256 are ignored.
  int GradientColors() const;
  void SetGradientColors(int colors);
  TGFPaintWhen PaintGradient() const;
  void SetPaintGradient(TGFPaintWhen when);
  const TGFOnCaptionPaint& OnCaptionPaint() const;
  void SetOnCaptionPaint(TGFOnCaptionPaint handler);

  BorderStyle FormBorderStyle() const;
  void SetFormBorderStyle(BorderStyle style);
  BorderIcons FormBorderIcons() const;
  void SetFormBorderIcons(BorderIcons icons);

  // The caption; the same as windowTitle() (either may be set).
  QString Caption() const;
  void SetCaption(const QString& caption);

  // The widget subclasses fill: the client area below the title bar.
  QWidget* ClientArea() const;

  // Entry `index` (0 .. 255) of table 0 (inactive) or 1 (active).
  QRgb ColorTableEntry(int table, int index) const;

  // The system caption colours: the palette's active Highlight for the active
  // caption; for the inactive caption the inactive Highlight, or the inactive
  // Dark grey when the style gives both states one highlight (as Fusion does),
  // so that an inactive window still looks inactive.
  QColor ActiveCaptionColor() const;
  QColor InactiveCaptionColor() const;

  // Geometry in form coordinates. The title bar is empty without a border;
  // a caption button or the icon that the window does not show is empty.
  int FrameWidth() const;
  QRect TitleBarRect() const;
  QRect CaptionIconRect() const;
  QRect CaptionButtonRect(CaptionButton button) const;
  bool CaptionButtonEnabled(CaptionButton button) const;
  // The caption as the last painting drew it, shortened with an ellipsis
  // when the title bar was too narrow.
  QString PaintedCaption() const;

 protected:
  // Rebuilds both colour tables from the current colours and GradientColors.
  virtual void CreateColorTables();

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Private;
  enum class Hit;
  struct TitleLayout;

  TitleLayout LayoutTitle() const;
  Hit HitTest(const QPoint& pos) const;
  void PaintTitleBar(QPainter& painter, bool active);
  void UpdateFrame();
  void CreateCaptionFont();
  void RedrawFrame();
  void PressCaptionButton(CaptionButton button);
  void ShowSystemMenu();

  std::unique_ptr<Private> d_;
};

}  // namespace qp

#endif  // QUILLPRINT_WINSUPPORT_GRADIENTFORM_H_
