// TCustomGrid and its in-place editor: geometry, painting, the current
// cell, the editor's life, keys, and the mouse (selecting, sizing and moving
// columns, timed scrolling past an edge).
#include "controls/cellgrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <vector>

#include "engine/national.h"
#include "platform/qt/messages.h"

namespace {

constexpr int kSizingSlop = 2;       // pixels either side of a border that size
constexpr int kScrollIntervalMs = 60;  // timed scrolling while dragging past an edge
constexpr int kMaxEditLength = 32767;

}  // namespace

struct TCustomGrid::Private {
  int col_count = 5;
  int row_count = 5;
  int fixed_cols = 1;
  int fixed_rows = 1;
  int default_col_width = 64;
  int default_row_height = 24;
  std::vector<int> col_widths = std::vector<int>(5, 64);
  std::vector<int> row_heights = std::vector<int>(5, 24);
  std::vector<char> tab_stops = std::vector<char>(5, 1);
  TGridOptions options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
  TScrollBars scroll_bars = TScrollBars::ssBoth;
  TColor color = clWindow;
  TColor fixed_color = clBtnFace;

  int col = 1;
  int row = 1;
  int left_col = 1;
  int top_row = 1;

  TInplaceEdit* editor = nullptr;
  bool editor_mode = false;
  int inplace_col = -1;
  int inplace_row = -1;

  enum class Gesture { kNone, kSelecting, kSizing, kMoving } gesture = Gesture::kNone;
  int sizing_col = -1;
  int sizing_origin_x = 0;
  int sizing_origin_width = 0;
  int move_from = -1;
  int move_to = -1;
  bool move_started = false;
  QPoint press_pos;
  QTimer scroll_timer;
  uint8_t scroll_dirs = 0;

  bool has_window = false;
  bool setting_bars = false;

  int VLine(int c) const {
    TGridOptions want = c < fixed_cols ? goFixedVertLine : goVertLine;
    return (options & want) ? 1 : 0;
  }
  int HLine(int r) const {
    TGridOptions want = r < fixed_rows ? goFixedHorzLine : goHorzLine;
    return (options & want) ? 1 : 0;
  }
  int ColPitch(int c) const { return col_widths[static_cast<size_t>(c)] + VLine(c); }
  int RowPitch(int r) const { return row_heights[static_cast<size_t>(r)] + HLine(r); }
  int FixedWidth() const {
    int w = 0;
    for (int c = 0; c < fixed_cols; ++c) w += ColPitch(c);
    return w;
  }
  int FixedHeight() const {
    int h = 0;
    for (int r = 0; r < fixed_rows; ++r) h += RowPitch(r);
    return h;
  }
};

// ---- TInplaceEdit ------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
  setFrame(false);
  hide();
}

void TInplaceEdit::SetEditMask(const QString& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  if (mask.isEmpty()) {
    setInputMask(QString());
    return;
  }
  // Stored form "mask;keep-literals;blank" into Qt's "mask;blank": Qt
  // always keeps literals. The mask letters differ: our '0' is a required
  // digit (Qt '9'), our '9' an optional one (Qt '0'), and '/' stands for
  // the national date separator.
  const QStringList parts = mask.split(QLatin1Char(';'));
  const QString body = parts.value(0);
  QChar blank = QLatin1Char(' ');
  if (parts.size() >= 3 && !parts[2].isEmpty()) blank = parts[2].at(0);
  QString qt;
  for (qsizetype i = 0; i < body.size(); ++i) {
    const QChar c = body.at(i);
    switch (c.unicode()) {
      case '0': qt += QLatin1Char('9'); break;
      case '9': qt += QLatin1Char('0'); break;
      case 'C': qt += QLatin1Char('X'); break;
      case 'c': qt += QLatin1Char('x'); break;
      case '/': qt += QLatin1Char('\\') + QChar(QLatin1Char(vz::DateSeparator())); break;
      case '\\':
        qt += c;
        if (i + 1 < body.size()) qt += body.at(++i);
        break;
      case 'L':
      case 'l':
      case 'A':
      case 'a':
      case '#':
      case '>':
      case '<': qt += c; break;
      default:
        // Every other character is a literal; Qt gives some of them a
        // meaning, so escape it.
        qt += QLatin1Char('\\') + c;
        break;
    }
  }
  setInputMask(qt + QLatin1Char(';') + blank);
}

bool TInplaceEdit::PassToEditor(QChar c) {
  if (c.unicode() >= 32 && !grid_->CanEditAcceptKey(c)) {
    QApplication::beep();
    return false;
  }
  switch (c.unicode()) {
    case 9:
    case 27: return false;
    case 13:
      if (hasSelectedText() && selectedText() == text()) {
        deselect();
      } else {
        selectAll();
      }
      return false;
    default: break;
  }
  if ((c.unicode() == 8 || c.unicode() >= 32) && !grid_->CanEditModify()) return false;
  return true;
}

void TInplaceEdit::TypeChar(QChar c) {
  if (!PassToEditor(c)) return;
  const int key = c.unicode() == 8 ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
  QKeyEvent typed(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
  QLineEdit::keyPressEvent(&typed);
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
  grid_->Guarded([&] {
    int key = event->key();
    Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Backtab) {
      key = Qt::Key_Tab;
      shift |= Qt::ShiftModifier;
    }
    const bool ctrl = shift & Qt::ControlModifier;
    const bool forward = grid_->GridOptions() & goAlwaysShowEditor;
    const int len = static_cast<int>(text().size());
    const int sel_start = hasSelectedText() ? static_cast<int>(selectionStart()) : cursorPosition();
    const int sel_end = hasSelectedText() ? sel_start + static_cast<int>(selectedText().size()) : sel_start;
    const bool left_side = sel_start == 0 && (sel_end == 0 || sel_end == len);
    const bool right_side = (sel_start == 0 || sel_end == sel_start) && sel_end == len;
    bool to_grid = false;
    switch (key) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Escape: to_grid = true; break;
      case Qt::Key_Insert:
        if (shift == Qt::NoModifier) {
          to_grid = true;
        } else if (shift == Qt::ShiftModifier && !grid_->CanEditModify()) {
          return;
        }
        break;
      case Qt::Key_Left:
      case Qt::Key_Home: to_grid = ctrl || (forward && left_side); break;
      case Qt::Key_Right:
      case Qt::Key_End: to_grid = ctrl || (forward && right_side); break;
      case Qt::Key_Delete:
        if (ctrl) {
          to_grid = true;
        } else if (!grid_->CanEditModify()) {
          return;
        }
        break;
      case Qt::Key_Tab: to_grid = !(shift & Qt::AltModifier); break;
      default: break;
    }
    if (to_grid) {
      grid_->KeyDown(key, shift);
      return;
    }
    if ((event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) &&
        !grid_->CanEditModify()) {
      return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).unicode() != 127) {
      QChar c = typed.at(0);
      grid_->KeyPress(c);
      if (c.isNull() || !PassToEditor(c)) return;
    }
    QLineEdit::keyPressEvent(event);
  });
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  grid_->FocusLeaving(event);
}

// ---- TCustomGrid: construction and properties --------------------------------------

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent), g_(std::make_unique<Private>()) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  g_->scroll_timer.setInterval(kScrollIntervalMs);
  connect(&g_->scroll_timer, &QTimer::timeout, this, [this] { Guarded([this] { TimedScroll(g_->scroll_dirs); }); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (!g_->setting_bars) SetLeftCol(value + g_->fixed_cols);
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (g_->setting_bars) return;
    if (g_->scroll_bars == TScrollBars::ssVertical || g_->scroll_bars == TScrollBars::ssBoth) {
      SetTopRow(value + g_->fixed_rows);
    }
  });
}

TCustomGrid::~TCustomGrid() = default;

int TCustomGrid::ColCount() const { return g_->col_count; }
int TCustomGrid::RowCount() const { return g_->row_count; }
int TCustomGrid::FixedCols() const { return g_->fixed_cols; }
int TCustomGrid::FixedRows() const { return g_->fixed_rows; }
int TCustomGrid::DefaultColWidth() const { return g_->default_col_width; }
int TCustomGrid::DefaultRowHeight() const { return g_->default_row_height; }
TGridOptions TCustomGrid::GridOptions() const { return g_->options; }
TScrollBars TCustomGrid::ScrollBars() const { return g_->scroll_bars; }
TColor TCustomGrid::Color() const { return g_->color; }
TColor TCustomGrid::FixedColor() const { return g_->fixed_color; }
int TCustomGrid::Col() const { return g_->col; }
int TCustomGrid::Row() const { return g_->row; }
int TCustomGrid::LeftCol() const { return g_->left_col; }
int TCustomGrid::TopRow() const { return g_->top_row; }
TInplaceEdit* TCustomGrid::InplaceEditor() const { return g_->editor; }
bool TCustomGrid::EditorMode() const { return g_->editor_mode; }
bool TCustomGrid::HasWindow() const { return g_->has_window; }

namespace {

// Keeps a position inside the non-fixed part of an axis.
int ClampBody(int value, int fixed, int count) { return std::clamp(value, fixed, std::max(fixed, count - 1)); }

}  // namespace

void TCustomGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (count == g_->col_count) return;
  g_->col_count = count;
  g_->col_widths.resize(static_cast<size_t>(count), g_->default_col_width);
  g_->tab_stops.resize(static_cast<size_t>(count), 1);
  if (g_->fixed_cols >= count) g_->fixed_cols = count - 1;
  g_->col = ClampBody(g_->col, g_->fixed_cols, count);
  g_->left_col = ClampBody(g_->left_col, g_->fixed_cols, count);
  if (g_->inplace_col >= count) InvalidateEditor();
  UpdateScrollBarsNow();
  InvalidateGrid();
}

void TCustomGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  if (count == g_->row_count) return;
  g_->row_count = count;
  g_->row_heights.resize(static_cast<size_t>(count), g_->default_row_height);
  if (g_->fixed_rows >= count) g_->fixed_rows = count - 1;
  g_->row = ClampBody(g_->row, g_->fixed_rows, count);
  g_->top_row = ClampBody(g_->top_row, g_->fixed_rows, count);
  if (g_->inplace_row >= count) InvalidateEditor();
  UpdateScrollBarsNow();
  InvalidateGrid();
}

void TCustomGrid::SetFixedCols(int count) {
  count = std::clamp(count, 0, g_->col_count - 1);
  if (count == g_->fixed_cols) return;
  g_->fixed_cols = count;
  g_->col = ClampBody(g_->col, count, g_->col_count);
  g_->left_col = ClampBody(g_->left_col, count, g_->col_count);
  UpdateScrollBarsNow();
  InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int count) {
  count = std::clamp(count, 0, g_->row_count - 1);
  if (count == g_->fixed_rows) return;
  g_->fixed_rows = count;
  g_->row = ClampBody(g_->row, count, g_->row_count);
  g_->top_row = ClampBody(g_->top_row, count, g_->row_count);
  UpdateScrollBarsNow();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultColWidth(int width) {
  g_->default_col_width = std::max(width, 0);
  std::fill(g_->col_widths.begin(), g_->col_widths.end(), g_->default_col_width);
  UpdateScrollBarsNow();
  InvalidateGrid();
}

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= g_->col_count) return g_->default_col_width;
  return g_->col_widths[static_cast<size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= g_->col_count) return;
  width = std::max(width, 0);
  if (g_->col_widths[static_cast<size_t>(col)] == width) return;
  g_->col_widths[static_cast<size_t>(col)] = width;
  UpdateScrollBarsNow();
  PlaceEditor();
  InvalidateGrid();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  g_->default_row_height = std::max(height, 0);
  std::fill(g_->row_heights.begin(), g_->row_heights.end(), g_->default_row_height);
  UpdateScrollBarsNow();
  PlaceEditor();
  InvalidateGrid();
}

int TCustomGrid::RowHeights(int row) const {
  if (row < 0 || row >= g_->row_count) return g_->default_row_height;
  return g_->row_heights[static_cast<size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= g_->row_count) return;
  height = std::max(height, 0);
  if (g_->row_heights[static_cast<size_t>(row)] == height) return;
  g_->row_heights[static_cast<size_t>(row)] = height;
  UpdateScrollBarsNow();
  PlaceEditor();
  InvalidateGrid();
}

bool TCustomGrid::TabStops(int col) const {
  if (col < 0 || col >= g_->col_count) return false;
  return g_->tab_stops[static_cast<size_t>(col)] != 0;
}

void TCustomGrid::SetTabStops(int col, bool on) {
  if (col < 0 || col >= g_->col_count) return;
  g_->tab_stops[static_cast<size_t>(col)] = on ? 1 : 0;
}

void TCustomGrid::SetGridOptions(TGridOptions options) {
  if (options == g_->options) return;
  g_->options = options;
  if (options & goRowSelect) g_->col = g_->fixed_cols;
  if (options & goAlwaysShowEditor) g_->editor_mode = true;
  if (!(options & goEditing) || (options & goRowSelect)) HideEditor();
  UpdateScrollBarsNow();
  UpdateEdit();
  InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollBars bars) {
  g_->scroll_bars = bars;
  const bool h = bars == TScrollBars::ssHorizontal || bars == TScrollBars::ssBoth;
  const bool v = bars == TScrollBars::ssVertical || bars == TScrollBars::ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  UpdateScrollBarsNow();
}

void TCustomGrid::SetColor(TColor color) {
  g_->color = color;
  InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor color) {
  g_->fixed_color = color;
  InvalidateGrid();
}

// ---- geometry ----------------------------------------------------------------------

int TCustomGrid::ColumnX(int col) const {
  const Private& g = *g_;
  if (col < 0 || col >= g.col_count) return -1;
  int x = 0;
  if (col < g.fixed_cols) {
    for (int c = 0; c < col; ++c) x += g.ColPitch(c);
    return x;
  }
  if (col < g.left_col) return -1;
  x = g.FixedWidth();
  for (int c = g.left_col; c < col; ++c) x += g.ColPitch(c);
  return x;
}

int TCustomGrid::RowY(int row) const {
  const Private& g = *g_;
  if (row < 0 || row >= g.row_count) return -1;
  int y = 0;
  if (row < g.fixed_rows) {
    for (int r = 0; r < row; ++r) y += g.RowPitch(r);
    return y;
  }
  if (row < g.top_row) return -1;
  y = g.FixedHeight();
  for (int r = g.top_row; r < row; ++r) y += g.RowPitch(r);
  return y;
}

QRect TCustomGrid::CellRect(int col, int row) const {
  const int x = ColumnX(col);
  const int y = RowY(row);
  if (x < 0 || y < 0) return QRect();
  const QSize view = viewport()->size();
  if (x >= view.width() || y >= view.height()) return QRect();
  return QRect(x, y, g_->col_widths[static_cast<size_t>(col)], g_->row_heights[static_cast<size_t>(row)]);
}

void TCustomGrid::MouseCoord(const QPoint& pos, int* col, int* row) const {
  const Private& g = *g_;
  *col = -1;
  *row = -1;
  int x = 0;
  for (int c = 0; c < g.col_count; ++c) {
    if (c == g.fixed_cols) c = g.left_col;
    if (c >= g.col_count) break;
    const int next = x + g.ColPitch(c);
    if (pos.x() >= x && pos.x() < next) {
      *col = c;
      break;
    }
    x = next;
  }
  int y = 0;
  for (int r = 0; r < g.row_count; ++r) {
    if (r == g.fixed_rows) r = g.top_row;
    if (r >= g.row_count) break;
    const int next = y + g.RowPitch(r);
    if (pos.y() >= y && pos.y() < next) {
      *row = r;
      break;
    }
    y = next;
  }
}

int TCustomGrid::VisibleRowCount() const {
  const Private& g = *g_;
  const int avail = viewport()->height() - g.FixedHeight();
  int used = 0;
  int count = 0;
  for (int r = g.top_row; r < g.row_count; ++r) {
    if (used + g.row_heights[static_cast<size_t>(r)] > avail) break;
    used += g.RowPitch(r);
    ++count;
  }
  return count;
}

int TCustomGrid::VisibleColCount() const {
  const Private& g = *g_;
  const int avail = viewport()->width() - g.FixedWidth();
  int used = 0;
  int count = 0;
  for (int c = g.left_col; c < g.col_count; ++c) {
    if (used + g.col_widths[static_cast<size_t>(c)] > avail) break;
    used += g.ColPitch(c);
    ++count;
  }
  return count;
}

int TCustomGrid::MaxLeftCol() const {
  const Private& g = *g_;
  const int avail = viewport()->width() - g.FixedWidth();
  int used = 0;
  int col = g.col_count;
  while (col > g.fixed_cols) {
    const int w = g.ColPitch(col - 1);
    if (used + w > avail && col < g.col_count) break;
    used += w;
    --col;
  }
  return std::max(col, g.fixed_cols);
}

int TCustomGrid::MaxTopRow() const {
  const Private& g = *g_;
  const int avail = viewport()->height() - g.FixedHeight();
  int used = 0;
  int row = g.row_count;
  while (row > g.fixed_rows) {
    const int h = g.RowPitch(row - 1);
    if (used + h > avail && row < g.row_count) break;
    used += h;
    --row;
  }
  return std::max(row, g.fixed_rows);
}

void TCustomGrid::UpdateScrollBarsNow() {
  Private& g = *g_;
  g.setting_bars = true;
  if (g.scroll_bars == TScrollBars::ssHorizontal || g.scroll_bars == TScrollBars::ssBoth) {
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, MaxLeftCol() - g.fixed_cols);
    bar->setPageStep(std::max(VisibleColCount(), 1));
    bar->setValue(g.left_col - g.fixed_cols);
  }
  if (g.scroll_bars == TScrollBars::ssVertical || g.scroll_bars == TScrollBars::ssBoth) {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, MaxTopRow() - g.fixed_rows);
    bar->setPageStep(std::max(VisibleRowCount(), 1));
    bar->setValue(g.top_row - g.fixed_rows);
  }
  g.setting_bars = false;
}

void TCustomGrid::SetLeftCol(int col) {
  col = std::clamp(col, g_->fixed_cols, std::max(MaxLeftCol(), g_->fixed_cols));
  if (col == g_->left_col) return;
  g_->left_col = col;
  UpdateScrollBarsNow();
  PlaceEditor();
  InvalidateGrid();
  TopLeftChanged();
}

void TCustomGrid::SetTopRow(int row) {
  row = std::clamp(row, g_->fixed_rows, std::max(MaxTopRow(), g_->fixed_rows));
  if (row == g_->top_row) return;
  g_->top_row = row;
  UpdateScrollBarsNow();
  PlaceEditor();
  InvalidateGrid();
  TopLeftChanged();
}

void TCustomGrid::ClampInView(int col, int row) {
  Private& g = *g_;
  if (col >= g.fixed_cols) {
    int left = g.left_col;
    if (col < left) left = col;
    const int avail = viewport()->width() - g.FixedWidth();
    auto extent = [&](int from) {
      int w = 0;
      for (int c = from; c <= col; ++c) w += g.col_widths[static_cast<size_t>(c)] + (c < col ? g.VLine(c) : 0);
      return w;
    };
    while (left < col && extent(left) > avail) ++left;
    SetLeftCol(left);
  }
  if (row >= g.fixed_rows) {
    int top = g.top_row;
    if (row < top) top = row;
    const int avail = viewport()->height() - g.FixedHeight();
    auto extent = [&](int from) {
      int h = 0;
      for (int r = from; r <= row; ++r) h += g.row_heights[static_cast<size_t>(r)] + (r < row ? g.HLine(r) : 0);
      return h;
    };
    while (top < row && extent(top) > avail) ++top;
    SetTopRow(top);
  }
}

void TCustomGrid::InvalidateCell(int col, int row) {
  const QRect r = CellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r.adjusted(0, 0, 1, 1));
}

void TCustomGrid::InvalidateRow(int row) {
  const int y = RowY(row);
  if (y < 0) return;
  viewport()->update(QRect(0, y, viewport()->width(), RowHeights(row) + 1));
}

void TCustomGrid::InvalidateCol(int col) {
  const int x = ColumnX(col);
  if (x < 0) return;
  viewport()->update(QRect(x, 0, ColWidths(col) + 1, viewport()->height()));
}

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

void TCustomGrid::ScrollArea(int x, int y, int dy) {
  const QSize view = viewport()->size();
  if (x >= view.width() || y >= view.height()) return;
  viewport()->scroll(0, dy, QRect(x, y, view.width() - x, view.height() - y));
}

// ---- the current cell --------------------------------------------------------------

bool TCustomGrid::SelectCell(int col, int row) {
  (void)col;
  (void)row;
  return true;
}

void TCustomGrid::MoveColRow(int col, int row, bool move_anchor, bool show) {
  (void)move_anchor;  // one cell (or row) is selected: the anchor is the current cell
  Private& g = *g_;
  col = ClampBody(col, g.fixed_cols, g.col_count);
  row = ClampBody(row, g.fixed_rows, g.row_count);
  if (g.options & goRowSelect) col = g.fixed_cols;
  if (!SelectCell(col, row)) return;
  const int old_col = g.col;
  const int old_row = g.row;
  g.col = col;
  g.row = row;
  if (!(g.options & goAlwaysShowEditor)) HideEditor();
  if (show) ClampInView(col, row);
  if (g.options & goRowSelect) {
    InvalidateRow(old_row);
    InvalidateRow(row);
  } else {
    InvalidateCell(old_col, old_row);
    InvalidateCell(col, row);
  }
  if (old_col != col || old_row != row) InvalidateEditor();
}

void TCustomGrid::SetCol(int col) { MoveColRow(col, g_->row, true, true); }
void TCustomGrid::SetRow(int row) { MoveColRow(g_->col, row, true, true); }

void TCustomGrid::MoveColumn(int from, int to) {
  Private& g = *g_;
  if (from == to || from < 0 || to < 0 || from >= g.col_count || to >= g.col_count) return;
  auto move = [from, to](auto& list) {
    auto b = list.begin();
    if (from < to) {
      std::rotate(b + from, b + from + 1, b + to + 1);
    } else {
      std::rotate(b + to, b + from, b + from + 1);
    }
  };
  move(g.col_widths);
  move(g.tab_stops);
  if (g.col == from) {
    g.col = to;
  } else if (from < g.col && g.col <= to) {
    --g.col;
  } else if (to <= g.col && g.col < from) {
    ++g.col;
  }
  ColumnMoved(from, to);
  InvalidateEditor();
  InvalidateGrid();
}

void TCustomGrid::ColumnMoved(int from, int to) {
  (void)from;
  (void)to;
}

// ---- the editor --------------------------------------------------------------------

QString TCustomGrid::GetEditText(int col, int row) {
  (void)col;
  (void)row;
  return QString();
}

void TCustomGrid::SetEditText(int col, int row, const QString& text) {
  (void)col;
  (void)row;
  (void)text;
}

QString TCustomGrid::GetEditMask(int col, int row) {
  (void)col;
  (void)row;
  return QString();
}

int TCustomGrid::GetEditLimit() { return 0; }

bool TCustomGrid::CanEditAcceptKey(QChar c) {
  (void)c;
  return true;
}

bool TCustomGrid::CanGridAcceptKey(int key, Qt::KeyboardModifiers shift) {
  (void)key;
  (void)shift;
  return true;
}

bool TCustomGrid::CanEditShow() {
  const Private& g = *g_;
  return (g.options & (goRowSelect | goEditing)) == goEditing && g.editor_mode && g.has_window &&
         ((g.options & goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::IsActiveControl() const {
  return hasFocus() || (g_->editor && g_->editor->hasFocus());
}

void TCustomGrid::SetEditorMode(bool on) {
  if (on) {
    ShowEditor();
  } else {
    HideEditor();
  }
}

void TCustomGrid::ShowEditor() {
  g_->editor_mode = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  g_->editor_mode = false;
  HideEdit();
}

void TCustomGrid::InvalidateEditor() {
  g_->inplace_col = -1;
  g_->inplace_row = -1;
  UpdateEdit();
}

void TCustomGrid::UpdateEdit() {
  Private& g = *g_;
  if (!CanEditShow()) return;
  if (!g.editor) {
    g.editor = new TInplaceEdit(this);
    connect(g.editor, &QLineEdit::textEdited, this, [this](const QString& text) {
      Guarded([&] { SetEditText(g_->inplace_col, g_->inplace_row, text); });
    });
  }
  if (g.col != g.inplace_col || g.row != g.inplace_row) {
    const QString mask = GetEditMask(g.col, g.row);
    const QString text = GetEditText(g.col, g.row);
    const int limit = GetEditLimit();
    g.inplace_col = g.col;
    g.inplace_row = g.row;
    g.editor->SetEditMask(mask);
    g.editor->setMaxLength(limit > 0 ? limit : kMaxEditLength);
    g.editor->setText(text);
    g.editor->selectAll();
  }
  const bool had_focus = hasFocus();
  PlaceEditor();
  if (had_focus && g.editor->isVisible()) g.editor->setFocus(Qt::OtherFocusReason);
}

void TCustomGrid::PlaceEditor() {
  Private& g = *g_;
  if (!g.editor || g.inplace_col < 0) return;
  const QRect cell = CellRect(g.inplace_col, g.inplace_row);
  if (cell.isEmpty()) {
    if (g.editor->isVisible()) {
      if (g.editor->hasFocus()) setFocus(Qt::OtherFocusReason);
      g.editor->hide();
    }
    return;
  }
  g.editor->setFont(font());
  g.editor->setGeometry(cell);
  if (!g.editor->isVisible() && g.editor_mode) g.editor->show();
}

void TCustomGrid::UpdateText() {
  Private& g = *g_;
  if (g.editor && g.inplace_col >= 0 && g.inplace_row >= 0) {
    SetEditText(g.inplace_col, g.inplace_row, g.editor->text());
  }
}

void TCustomGrid::HideEdit() {
  Private& g = *g_;
  if (!g.editor) return;
  UpdateText();
  g.inplace_col = -1;
  g.inplace_row = -1;
  if (g.editor->isVisible()) {
    // Hand the focus to the grid first, or Qt would pass it on to the next
    // control of the window.
    if (g.editor->hasFocus()) setFocus(Qt::OtherFocusReason);
    g.editor->hide();
  }
}

void TCustomGrid::ShowEditorChar(QChar c) {
  ShowEditor();
  if (g_->editor && g_->editor->isVisible()) g_->editor->TypeChar(c);
}

// ---- painting ----------------------------------------------------------------------

void TCustomGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) {
  (void)col;
  (void)row;
  painter.fillRect(rect, ColorToQColor((state & gdFixed) ? g_->fixed_color : g_->color, palette()));
}

void TCustomGrid::paintEvent(QPaintEvent* event) {
  Private& g = *g_;
  QPainter p(viewport());
  const QRect dirty = event->rect();
  const QSize view = viewport()->size();
  const QColor background = ColorToQColor(g.color, palette());
  const QColor fixed_line = palette().color(QPalette::Shadow);
  QColor body_line = ColorToQColor(clSilver, palette());
  if (background == body_line) body_line = ColorToQColor(clGray, palette());
  const bool focused = IsActiveControl();

  // The visible rows and columns with their edges.
  struct Span {
    int index;
    int at;
  };
  std::vector<Span> cols;
  std::vector<Span> rows;
  int x = 0;
  for (int c = 0; c < g.col_count && x < view.width(); ++c) {
    if (c == g.fixed_cols) c = g.left_col;
    if (c >= g.col_count) break;
    cols.push_back({c, x});
    x += g.ColPitch(c);
  }
  int y = 0;
  for (int r = 0; r < g.row_count && y < view.height(); ++r) {
    if (r == g.fixed_rows) r = g.top_row;
    if (r >= g.row_count) break;
    rows.push_back({r, y});
    y += g.RowPitch(r);
  }
  const int right = x;
  const int bottom = y;

  try {
    for (const Span& rs : rows) {
      const int h = g.row_heights[static_cast<size_t>(rs.index)];
      const int hl = g.HLine(rs.index);
      if (rs.at > dirty.bottom() || rs.at + h + hl <= dirty.top()) continue;
      for (const Span& cs : cols) {
        const int w = g.col_widths[static_cast<size_t>(cs.index)];
        const int vl = g.VLine(cs.index);
        if (cs.at > dirty.right() || cs.at + w + vl <= dirty.left()) continue;
        const QRect cell(cs.at, rs.at, w, h);
        const bool fixed = cs.index < g.fixed_cols || rs.index < g.fixed_rows;
        TGridDrawState state = fixed ? gdFixed : 0;
        if (!fixed && rs.index == g.row && ((g.options & goRowSelect) || cs.index == g.col)) state |= gdSelected;
        if (!fixed && focused && rs.index == g.row && cs.index == g.col) state |= gdFocused;
        if (w > 0 && h > 0) {
          p.save();
          p.setClipRect(cell);
          p.setFont(font());
          DrawCell(p, cs.index, rs.index, cell, state);
          p.restore();
        }
        const QColor& line = fixed ? fixed_line : body_line;
        if (vl) p.fillRect(QRect(cell.right() + 1, rs.at, vl, h + hl), line);
        if (hl) p.fillRect(QRect(cs.at, cell.bottom() + 1, w + vl, hl), line);
      }
    }
  } catch (const std::exception& e) {
    // A box cannot open inside a paint: say it once the paint is over.
    const QString text = QString::fromStdString(e.what());
    QTimer::singleShot(0, this, [this, text] { qp::ShowMessage(this, text, qp::MsgType::kError); });
  }
  if (right < view.width()) p.fillRect(QRect(right, 0, view.width() - right, view.height()), background);
  if (bottom < view.height()) p.fillRect(QRect(0, bottom, right, view.height() - bottom), background);

  if (g.gesture == Private::Gesture::kMoving && g.move_started && g.move_to >= 0) {
    // Where the column will land: its left edge, or its right edge when it
    // moves rightwards.
    int at = ColumnX(g.move_to);
    if (at >= 0) {
      if (g.move_to > g.move_from) at += g.ColPitch(g.move_to);
      p.fillRect(QRect(at - 1, 0, 3, RowY(g.fixed_rows) > 0 ? RowY(g.fixed_rows) : view.height()),
                 palette().color(QPalette::Highlight));
    }
  }
  if (g.gesture == Private::Gesture::kSizing) {
    const int at = ColumnX(g.sizing_col) + g.col_widths[static_cast<size_t>(g.sizing_col)];
    p.fillRect(QRect(at, 0, 1, view.height()), palette().color(QPalette::Shadow));
  }
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBarsNow();
  // Growing may let more columns or rows in at the start.
  SetLeftCol(g_->left_col);
  SetTopRow(g_->top_row);
  PlaceEditor();
}

void TCustomGrid::scrollContentsBy(int dx, int dy) {
  // The bars move whole columns and rows (see the constructor's
  // connections); nothing scrolls by pixels here.
  (void)dx;
  (void)dy;
}

bool TCustomGrid::event(QEvent* event) {
  const bool result = QAbstractScrollArea::event(event);
  if (event->type() == QEvent::Polish && !g_->has_window) {
    g_->has_window = true;
    Guarded([this] { CreateWnd(); });
  }
  return result;
}

// ---- focus -------------------------------------------------------------------------

bool TCustomGrid::focusNextPrevChild(bool next) {
  // With goTabs, Tab moves between cells (KeyDown), not between controls.
  if (g_->options & goTabs) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  InvalidateCell(g_->col, g_->row);
  if (g_->options & goRowSelect) InvalidateRow(g_->row);
  UpdateEdit();
}

void TCustomGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  InvalidateCell(g_->col, g_->row);
  if (g_->options & goRowSelect) InvalidateRow(g_->row);
  FocusLeaving(event);
}

void TCustomGrid::FocusLeaving(QFocusEvent* event) {
  // Another window (a message box) taking the keyboard is no leaving; nor
  // is the focus passing between the grid and its editor.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  QWidget* now = QApplication::focusWidget();
  if (now == this || (g_->editor && now == g_->editor)) return;
  Guarded([this] { DoExit(); });
}

// ---- keys --------------------------------------------------------------------------

void TCustomGrid::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  Private& g = *g_;
  const bool ctrl = shift & Qt::ControlModifier;
  const int page = std::max(VisibleRowCount(), 1);
  switch (key) {
    case Qt::Key_Up: MoveColRow(g.col, g.row - 1, true, true); break;
    case Qt::Key_Down: MoveColRow(g.col, g.row + 1, true, true); break;
    case Qt::Key_PageUp: MoveColRow(g.col, g.row - page, true, true); break;
    case Qt::Key_PageDown: MoveColRow(g.col, g.row + page, true, true); break;
    case Qt::Key_Left: MoveColRow(ctrl ? g.fixed_cols : g.col - 1, g.row, true, true); break;
    case Qt::Key_Right: MoveColRow(ctrl ? g.col_count - 1 : g.col + 1, g.row, true, true); break;
    case Qt::Key_Home:
      MoveColRow(ctrl ? g.col : g.fixed_cols, ctrl ? g.fixed_rows : g.row, true, true);
      break;
    case Qt::Key_End:
      MoveColRow(ctrl ? g.col : g.col_count - 1, ctrl ? g.row_count - 1 : g.row, true, true);
      break;
    case Qt::Key_Tab:
      if (!(g.options & goTabs) || (shift & Qt::AltModifier)) return;
      if (shift & Qt::ShiftModifier) {
        if (g.col > g.fixed_cols) {
          MoveColRow(g.col - 1, g.row, true, true);
        } else if (g.row > g.fixed_rows) {
          MoveColRow(g.col_count - 1, g.row - 1, true, true);
        }
      } else if (g.col < g.col_count - 1) {
        MoveColRow(g.col + 1, g.row, true, true);
      } else if (g.row < g.row_count - 1) {
        MoveColRow(g.fixed_cols, g.row + 1, true, true);
      }
      break;
    case Qt::Key_F2: ShowEditor(); break;
    default: return;
  }
  key = 0;
}

void TCustomGrid::KeyPress(QChar& key) {
  if (!(g_->options & goAlwaysShowEditor) && key.unicode() == 13) {
    if (g_->editor_mode) {
      HideEditor();
    } else {
      ShowEditor();
    }
    key = QChar();
  }
}

void TCustomGrid::keyPressEvent(QKeyEvent* event) {
  Guarded([&] {
    int key = event->key();
    Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Backtab) {
      key = Qt::Key_Tab;
      shift |= Qt::ShiftModifier;
    }
    if (CanGridAcceptKey(key, shift)) KeyDown(key, shift);
    // The character of the key comes on its own, whether or not the key was
    // taken, as a typed character does (Delete types nothing).
    const QString typed = event->text();
    if (typed.isEmpty() || typed.at(0).unicode() == 127) return;
    QChar c = typed.at(0);
    KeyPress(c);
    if (!c.isNull() && (g_->options & goEditing) && (c.unicode() == 8 || c.unicode() >= 32)) {
      ShowEditorChar(c);
    }
  });
}

// ---- the mouse ---------------------------------------------------------------------

int TCustomGrid::SizingColumnAt(const QPoint& pos) const {
  const Private& g = *g_;
  if (pos.y() < 0 || pos.y() >= g.FixedHeight()) return -1;
  for (int c = g.fixed_cols; c < g.col_count; ++c) {
    if (c == g.fixed_cols) c = g.left_col;
    if (c >= g.col_count) break;
    const int x = ColumnX(c);
    if (x < 0 || x > viewport()->width()) break;
    const int border = x + g.col_widths[static_cast<size_t>(c)];
    if (std::abs(pos.x() - border) <= kSizingSlop) return c;
  }
  return -1;
}

void TCustomGrid::BeginSelecting() { g_->gesture = Private::Gesture::kSelecting; }

void TCustomGrid::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos,
                            bool double_click) {
  (void)shift;
  Private& g = *g_;
  if (double_click) {
    DblClick();
    return;
  }
  if (button != Qt::LeftButton) return;
  const int sizing = (g.options & goColSizing) ? SizingColumnAt(pos) : -1;
  if (sizing >= 0) {
    g.gesture = Private::Gesture::kSizing;
    g.sizing_col = sizing;
    g.sizing_origin_x = pos.x();
    g.sizing_origin_width = g.col_widths[static_cast<size_t>(sizing)];
    InvalidateGrid();
    return;
  }
  int col;
  int row;
  MouseCoord(pos, &col, &row);
  if (col < 0 || row < 0) return;
  if (row < g.fixed_rows) {
    if (col >= g.fixed_cols && (g.options & goColMoving)) {
      g.gesture = Private::Gesture::kMoving;
      g.move_from = col;
      g.move_to = col;
      g.move_started = false;
      g.press_pos = pos;
    }
    return;
  }
  if (col < g.fixed_cols) return;
  if ((g.options & goEditing) && col == g.col && row == g.row) {
    ShowEditor();
  } else {
    MoveColRow(col, row, true, true);
  }
  BeginSelecting();
}

void TCustomGrid::MouseSelect(int col, int row) { MoveColRow(col, row, false, true); }

void TCustomGrid::TimedScroll(uint8_t directions) {
  Private& g = *g_;
  if ((directions & sdUp) && g.top_row > g.fixed_rows) {
    SetTopRow(g.top_row - 1);
    MoveColRow(g.col, g.top_row, false, false);
  }
  if ((directions & sdDown) && g.row < g.row_count - 1) MoveColRow(g.col, g.row + 1, false, true);
  if ((directions & sdLeft) && g.left_col > g.fixed_cols) {
    SetLeftCol(g.left_col - 1);
    MoveColRow(g.left_col, g.row, false, false);
  }
  if ((directions & sdRight) && g.col < g.col_count - 1) MoveColRow(g.col + 1, g.row, false, true);
}

void TCustomGrid::mousePressEvent(QMouseEvent* event) {
  Guarded([&] { MouseDown(event->button(), event->modifiers(), event->position().toPoint(), false); });
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  Guarded([&] { MouseDown(event->button(), event->modifiers(), event->position().toPoint(), true); });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* event) {
  Private& g = *g_;
  const QPoint pos = event->position().toPoint();
  Guarded([&] {
    switch (g.gesture) {
      case Private::Gesture::kSizing: {
        const int width = std::max(g.sizing_origin_width + pos.x() - g.sizing_origin_x, 1);
        g.col_widths[static_cast<size_t>(g.sizing_col)] = width;
        PlaceEditor();
        InvalidateGrid();
        break;
      }
      case Private::Gesture::kMoving: {
        if (!g.move_started &&
            (pos - g.press_pos).manhattanLength() < QApplication::startDragDistance()) {
          break;
        }
        g.move_started = true;
        int col;
        int row;
        MouseCoord(QPoint(pos.x(), 0), &col, &row);
        if (col < 0) col = pos.x() < 0 ? g.left_col : g.col_count - 1;
        g.move_to = std::clamp(col, g.fixed_cols, g.col_count - 1);
        InvalidateGrid();
        break;
      }
      case Private::Gesture::kSelecting: {
        const QSize view = viewport()->size();
        uint8_t dirs = 0;
        if (pos.y() < g.FixedHeight()) dirs |= sdUp;
        if (pos.y() >= view.height()) dirs |= sdDown;
        if (pos.x() < g.FixedWidth()) dirs |= sdLeft;
        if (pos.x() >= view.width()) dirs |= sdRight;
        g.scroll_dirs = dirs;
        if (dirs) {
          if (!g.scroll_timer.isActive()) g.scroll_timer.start();
          break;
        }
        g.scroll_timer.stop();
        int col;
        int row;
        MouseCoord(pos, &col, &row);
        if (col >= g.fixed_cols && row >= g.fixed_rows && (col != g.col || row != g.row)) MouseSelect(col, row);
        break;
      }
      case Private::Gesture::kNone:
        viewport()->setCursor((g.options & goColSizing) && SizingColumnAt(pos) >= 0 ? Qt::SplitHCursor
                                                                                    : Qt::ArrowCursor);
        break;
    }
  });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
  (void)event;
  Private& g = *g_;
  const Private::Gesture gesture = g.gesture;
  g.gesture = Private::Gesture::kNone;
  g.scroll_timer.stop();
  Guarded([&] {
    if (gesture == Private::Gesture::kSizing) {
      UpdateScrollBarsNow();
      InvalidateGrid();
      ColWidthsChanged();
    } else if (gesture == Private::Gesture::kMoving) {
      InvalidateGrid();
      if (g.move_started && g.move_to != g.move_from) MoveColumn(g.move_from, g.move_to);
    }
  });
}

// ---- errors at the event boundary --------------------------------------------------

void TCustomGrid::Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    qp::ShowMessage(this, QString::fromStdString(e.what()), qp::MsgType::kError);
  }
}
