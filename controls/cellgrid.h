// TCustomGrid: a general grid of cells on a scroll area, the base of the data
// grid. It knows nothing of data: it lays out columns and rows, paints each
// visible cell through the DrawCell hook, moves a current cell, carries an
// in-place line editor, and lets the user size and move columns with the
// mouse. Subclasses supply the cells' contents and the editor's text
// through the virtual hooks below.
//
// Geometry. Columns 0..FixedCols()-1 and rows 0..FixedRows()-1 are fixed:
// they stay in place while the others scroll by whole columns (LeftCol) and
// rows (TopRow). A cell's rectangle is its column's width by its row's
// height; a grid line of GridLineWidth() follows each column and row when the
// options ask for lines there (goFixedVertLine/goFixedHorzLine in the fixed
// part, goVertLine/goHorzLine in the body). Coordinates are the viewport's.
//
// Keys and characters. A key press first goes to KeyDown (key code and
// modifiers; a handler sets the key to 0 when it took it). A key that
// produces a character then goes to KeyPress, as a typed character does:
// the base toggles the editor on Enter and, with goEditing, starts the editor
// with the typed character. While the editor has the focus, the navigation
// keys go to the grid's KeyDown and typed characters to its KeyPress before
// the editor sees them; CanEditAcceptKey and CanEditModify may refuse them.
//
// Exceptions must not travel through Qt's event handling: every event
// handler of the grid runs its work through Guarded(), which shows an error
// in a message box and carries on (see platform/qt/messages.h).
#ifndef QUILLPRINT_CONTROLS_CELLGRID_H_
#define QUILLPRINT_CONTROLS_CELLGRID_H_

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "controls/graphics.h"

class QPainter;
class TCustomGrid;

// An operation the grid cannot carry out. what() is the message.
class EInvalidGridOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum TGridOption : uint16_t {
  goFixedVertLine = 1 << 0,
  goFixedHorzLine = 1 << 1,
  goVertLine = 1 << 2,
  goHorzLine = 1 << 3,
  goColSizing = 1 << 4,
  goColMoving = 1 << 5,
  goEditing = 1 << 6,
  goTabs = 1 << 7,
  goRowSelect = 1 << 8,
  goAlwaysShowEditor = 1 << 9,
};
using TGridOptions = uint16_t;

enum TGridDrawStateFlag : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint8_t;

enum class TScrollBars : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// Directions of a timed scroll while the mouse drags past an edge.
enum TGridScrollDirection : uint8_t { sdLeft = 1, sdRight = 2, sdUp = 4, sdDown = 8 };

// The in-place editor: a line edit over the current cell.
class TInplaceEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TInplaceEdit(TCustomGrid* grid);

  // An edit mask in the stored form "mask;keep-literals;blank": '0'
  // required digit, '9' optional digit, '/' the date separator, 'L'/'l'
  // letters, 'A'/'a' letters or digits, 'C'/'c' any character, '\' a
  // literal; "" for none.
  void SetEditMask(const QString& mask);
  const QString& EditMask() const { return mask_; }

  // Types `c` as if the user had pressed it in the editor (the grid's
  // KeyPress has already seen it).
  void TypeChar(QChar c);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool PassToEditor(QChar c);

  TCustomGrid* grid_;
  QString mask_;
};

class TCustomGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TCustomGrid(QWidget* parent = nullptr);
  ~TCustomGrid() override;

  // ---- columns and rows ----
  int ColCount() const;
  void SetColCount(int count);  // at least 1
  int RowCount() const;
  void SetRowCount(int count);  // at least 1
  int FixedCols() const;
  // Fixed columns must leave one column unfixed: a larger count is cut to
  // ColCount() - 1.
  void SetFixedCols(int count);
  int FixedRows() const;
  void SetFixedRows(int count);  // cut to RowCount() - 1 likewise

  int DefaultColWidth() const;
  void SetDefaultColWidth(int width);  // every column takes it
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);  // then ColWidthsChanged
  int DefaultRowHeight() const;
  void SetDefaultRowHeight(int height);  // every row takes it
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int GridLineWidth() const { return 1; }
  // A tab stop column is entered by Tab; out of range: false.
  bool TabStops(int col) const;
  void SetTabStops(int col, bool on);

  TGridOptions GridOptions() const;
  void SetGridOptions(TGridOptions options);
  TScrollBars ScrollBars() const;
  // The bars the base keeps; a subclass that drives a bar itself leaves
  // it out.
  void SetScrollBars(TScrollBars bars);

  TColor Color() const;
  void SetColor(TColor color);
  TColor FixedColor() const;
  void SetFixedColor(TColor color);

  // ---- the current cell and scrolling ----
  int Col() const;
  void SetCol(int col);
  int Row() const;
  void SetRow(int row);
  int LeftCol() const;
  void SetLeftCol(int col);
  int TopRow() const;
  void SetTopRow(int row);
  // Non-fixed rows (columns) wholly inside the viewport from TopRow
  // (LeftCol) on, counting only rows (columns) that exist.
  int VisibleRowCount() const;
  int VisibleColCount() const;

  // The cell's rectangle in the viewport; empty when it is scrolled away.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point; -1 for either part outside the cells.
  void MouseCoord(const QPoint& pos, int* col, int* row) const;

  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);
  void InvalidateGrid();

  // ---- the editor ----
  TInplaceEdit* InplaceEditor() const;
  bool EditorMode() const;
  void SetEditorMode(bool on);
  void ShowEditor();
  void HideEditor();
  // Takes the text, mask and limit from the hooks again (when shown).
  void InvalidateEditor();

  // True when the grid or its editor has the keyboard focus.
  bool IsActiveControl() const;

  // Runs `work` and shows any exception it throws in an error box: the
  // boundary between Qt's event handling and code that may throw.
  void Guarded(const std::function<void()>& work);

 protected:
  // ---- hooks ----
  // Paints one cell; `painter` is clipped to nothing and has the grid font.
  virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
  virtual bool SelectCell(int col, int row);
  virtual void ColumnMoved(int from, int to);
  virtual void ColWidthsChanged() {}
  virtual void TopLeftChanged() {}
  virtual QString GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const QString& text);
  virtual QString GetEditMask(int col, int row);
  // Characters the editor takes; 0 for no limit.
  virtual int GetEditLimit();
  virtual bool CanEditShow();
  virtual bool CanEditModify() { return true; }
  virtual bool CanEditAcceptKey(QChar c);
  virtual bool CanGridAcceptKey(int key, Qt::KeyboardModifiers shift);
  virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void KeyPress(QChar& key);
  // A mouse press on the viewport; the base sizes and moves columns and
  // moves the current cell.
  virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos,
                         bool double_click);
  virtual void DblClick() {}
  // A cell the mouse drags over while selecting.
  virtual void MouseSelect(int col, int row);
  virtual void TimedScroll(uint8_t directions);
  // The grid got its window (first polish): layouts may measure now.
  virtual void CreateWnd() {}
  // The keyboard focus left the grid and its editor for another control.
  virtual void DoExit() {}
  bool HasWindow() const;

  // Pieces of the base mouse handling, for subclasses that decide
  // themselves when they apply.
  // The column whose right border is under `pos` in a fixed row, or -1.
  int SizingColumnAt(const QPoint& pos) const;
  void BeginSelecting();

  // Moves the current cell (hiding the editor unless goAlwaysShowEditor)
  // and, with `show`, scrolls it into view. Refused when SelectCell says no.
  void MoveColRow(int col, int row, bool move_anchor, bool show);
  // Moves the grid column `from` to `to` with its width and tab stop.
  void MoveColumn(int from, int to);
  // Moves the pixels of the rectangle from (x, y) to the viewport's end by
  // dy; Qt repaints what is uncovered.
  void ScrollArea(int x, int y, int dy);
  // The left (top) edge of a column (row) in the viewport, or -1 when it
  // is scrolled away.
  int ColumnX(int col) const;
  int RowY(int row) const;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  friend class TInplaceEdit;
  void UpdateScrollBarsNow();
  int MaxLeftCol() const;
  int MaxTopRow() const;
  void ClampInView(int col, int row);
  void UpdateEdit();
  void HideEdit();
  void UpdateText();
  void PlaceEditor();
  void FocusLeaving(QFocusEvent* event);
  void ShowEditorChar(QChar c);

  struct Private;
  std::unique_ptr<Private> g_;
};

#endif  // QUILLPRINT_CONTROLS_CELLGRID_H_
