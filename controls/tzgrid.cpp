// TCustomTzGrid and its link: the layout, rows as the record window,
// painting (indicator, titles, cells, logical boxes, row colours), keys and
// mouse, the editor hooks, column moves and widths, and the prompts.
#include "controls/tzgrid.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <array>

#include "engine/national.h"
#include "platform/qt/messages.h"
#include "resources/bitmaps.h"
#include "resources/strings.h"

namespace {

// The deferred layout travels as this event, posted to the grid itself.
const QEvent::Type kDeferredLayoutEvent = static_cast<QEvent::Type>(QEvent::User + 124);

constexpr int kIndicatorWidth = 11;
constexpr std::array<const char*, 3> kIndicatorGlyphs{"TZGARROW", "TZEDIT", "TZINSERT"};
constexpr int kGlyphBrowse = 0;
constexpr int kGlyphEdit = 1;
constexpr int kGlyphInsert = 2;

QString Text(qp::StrId id) {
  const std::string_view s = qp::LoadStr(id);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString FieldText(vz::TTzField* field) { return field ? QString::fromStdString(field->AsString()) : QString(); }

// A glyph bitmap at one scale with its white made transparent, as the
// glyphs are drawn on the indicator colour.
QPixmap TransparentWhite(const QPixmap& source) {
  if (source.isNull()) return source;
  QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF) line[x] = 0;
    }
  }
  QPixmap result = QPixmap::fromImage(image);
  result.setDevicePixelRatio(source.devicePixelRatio());
  return result;
}

}  // namespace

struct TCustomTzGrid::Private {
  std::unique_ptr<TTzGridColumns> columns;
  std::unique_ptr<TTzGridDataLink> link;
  bool auto_append = true;
  TTzBooleanBox boolean_box = bbCheckBox;
  bool default_drawing = true;
  bool depress_disabled = false;
  int fixed_columns = 0;
  TTzGridOptions options = kDefaultTzGridOptions;
  bool read_only = false;
  TFont font;
  TFont title_font;

  // The image list: each glyph at 1x and 2x, the list's size from the first.
  struct Glyph {
    QPixmap normal;
    QPixmap large;
  };
  std::array<Glyph, 3> glyphs;
  QSize glyph_size;

  int indicator_offset = 1;
  int title_offset = 1;
  int depressed_column = -1;
  std::vector<TTzRowColors> row_colors;
  QString edit_text;
  int update_lock = 0;
  int layout_lock = 0;
  int indicator_row = -1;  // the grid row that last showed the glyph
  bool hide_vbar = false;
  bool layout_from_dataset = false;
  bool update_fields = true;
  bool in_col_exit = false;
  bool self_changing_title_font = false;
  bool acquire_focus = true;
  bool has_pending_source = false;
  vz::TTzDataSource* pending_source = nullptr;
  bool deferred_pending = false;
  bool applying_font = false;
  QPainter* canvas = nullptr;
  std::vector<std::string> selected;  // bookmarks, in the order chosen
  std::string anchor;                 // where a Shift range starts
};

// ---- TTzGridDataLink ---------------------------------------------------------------

TTzGridDataLink::TTzGridDataLink(TCustomTzGrid* grid) : grid_(grid) {}

TTzGridDataLink::~TTzGridDataLink() { ClearMapping(); }

void TTzGridDataLink::AddMapping(const std::string& field_name) {
  if (FieldCount() >= kMaxMapSize) throw EInvalidGridOperation(std::string(qp::LoadStr(qp::StrId::kTooManyColumns)));
  vz::TTzDataSet* ds = DataSet();
  vz::TTzField* field = nullptr;
  if (ds) field = sparse_map_ ? ds->FindField(field_name) : ds->FieldByName(field_name);
  if (FieldCount() == map_capacity_) {
    map_capacity_ = std::min(map_capacity_ == 0 ? 8 : map_capacity_ * 2, kMaxMapSize);
    field_map_.reserve(static_cast<size_t>(map_capacity_));
  }
  field_map_.push_back(field ? field->Index() : -1);
}

void TTzGridDataLink::ClearMapping() {
  field_map_.clear();
  field_map_.shrink_to_fit();
  map_capacity_ = 0;
}

vz::TTzField* TTzGridDataLink::Fields(int column) const {
  if (column < 0 || column >= FieldCount()) return nullptr;
  const int32_t index = field_map_[static_cast<size_t>(column)];
  if (index < 0) return nullptr;
  vz::TTzDataSet* ds = DataSet();
  return ds ? ds->Fields(index) : nullptr;
}

void TTzGridDataLink::Reset() {
  if (modified_) {
    RecordChanged(nullptr);
  } else if (vz::TTzDataSet* ds = DataSet()) {
    ds->Cancel();
  }
}

void TTzGridDataLink::UpdateData() {
  if (modified_) grid_->UpdateData();
  modified_ = false;
}

void TTzGridDataLink::ActiveChanged() { grid_->LinkActive(Active()); }

void TTzGridDataLink::DataSetChanged() {
  grid_->DataChanged();
  modified_ = false;
}

void TTzGridDataLink::DataSetScrolled(int distance) { grid_->Scroll(distance); }

void TTzGridDataLink::LayoutChanged() {
  const bool was = grid_->d_->layout_from_dataset;
  grid_->d_->layout_from_dataset = true;
  try {
    grid_->LayoutChanged();
  } catch (...) {
    grid_->d_->layout_from_dataset = was;
    throw;
  }
  grid_->d_->layout_from_dataset = was;
}

void TTzGridDataLink::EditingChanged() {
  if (grid_->Options() & dgIndicator) grid_->InvalidateCell(0, grid_->d_->indicator_row);
}

void TTzGridDataLink::RecordChanged(vz::TTzField* field) {
  grid_->RecordChanged(field);
  modified_ = false;
}

// ---- construction ------------------------------------------------------------------

TCustomTzGrid::TCustomTzGrid(QWidget* parent)
    : TCustomGrid(parent), vz::TComponent(nullptr), d_(std::make_unique<Private>()) {
  Private& d = *d_;
  for (size_t i = 0; i < kIndicatorGlyphs.size(); ++i) {
    d.glyphs[i].normal = TransparentWhite(qp::LoadResourceBitmap(kIndicatorGlyphs[i], 1.0));
    d.glyphs[i].large = TransparentWhite(qp::LoadResourceBitmap(kIndicatorGlyphs[i], 2.0));
  }
  d.glyph_size = d.glyphs[0].normal.deviceIndependentSize().toSize();

  // The hooks the base grid calls from here on need both.
  d.columns = std::make_unique<TTzGridColumns>(this, TTzColumnClass::kColumn);
  d.link = std::make_unique<TTzGridDataLink>(this);
  SetScrollBars(TScrollBars::ssHorizontal);
  SetGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing | goColMoving |
                 goEditing | goTabs);
  SetColCount(2);
  SetRowCount(2);
  d.row_colors.resize(2);
  SetColor(clWindow);
  d.font.AssignQFont(font());
  d.font.OnChange = [this] {
    d_->applying_font = true;
    QFont f = d_->font.ToQFont();
    f.setResolveMask(QFont::AllPropertiesResolved);
    setFont(f);
    d_->applying_font = false;
    InvalidateGrid();
  };
  d.title_font.Assign(d.font);
  d.title_font.OnChange = [this] { Guarded([this] { TitleFontChanged(); }); };
  HideEditor();

  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, 0);
  connect(bar, &QScrollBar::actionTriggered, this, [this](int action) { Guarded([&] { ScrollBarAction(action); }); });
  connect(bar, &QScrollBar::sliderReleased, this, [this] { Guarded([this] { ThumbReleased(); }); });
}

TCustomTzGrid::~TCustomTzGrid() {
  Private& d = *d_;
  // Nothing may lay out from here on: the columns go first, telling no one.
  ++d.layout_lock;
  ++d.update_lock;
  d.columns.reset();
  d.link.reset();
}

// ---- properties --------------------------------------------------------------------

bool TCustomTzGrid::AutoAppend() const { return d_->auto_append; }
void TCustomTzGrid::SetAutoAppend(bool on) { d_->auto_append = on; }
TTzBooleanBox TCustomTzGrid::BooleanBox() const { return d_->boolean_box; }

void TCustomTzGrid::SetBooleanBox(TTzBooleanBox box) {
  d_->boolean_box = box;
  LayoutChanged();
}

TTzGridColumns* TCustomTzGrid::Columns() const { return d_->columns.get(); }
void TCustomTzGrid::SetColumns(const TTzGridColumns& columns) { d_->columns->Assign(columns); }

vz::TTzDataSource* TCustomTzGrid::DataSource() const { return d_->link->DataSource(); }

void TCustomTzGrid::SetDataSource(vz::TTzDataSource* source) {
  Private& d = *d_;
  if (Loading()) {
    d.pending_source = source;
    d.has_pending_source = true;
    if (source) FreeNotification(source);
    return;
  }
  if (source == d.link->DataSource()) return;
  d.link->SetDataSource(source);
  if (source) FreeNotification(source);
  LinkActive(d.link->Active());
}

bool TCustomTzGrid::DefaultDrawing() const { return d_->default_drawing; }

void TCustomTzGrid::SetDefaultDrawing(bool on) {
  d_->default_drawing = on;
  InvalidateGrid();
}

bool TCustomTzGrid::DepressDisabled() const { return d_->depress_disabled; }

void TCustomTzGrid::SetDepressDisabled(bool on) {
  ReleaseTitle();
  d_->depress_disabled = on;
}

int TCustomTzGrid::FixedColumns() const { return FixedCols() - d_->indicator_offset; }

void TCustomTzGrid::SetFixedColumns(int count) {
  count = std::max(count, 0);
  d_->fixed_columns = count;
  if (d_->link->Active()) SetFixedCols(d_->indicator_offset + count);
}

TTzGridOptions TCustomTzGrid::Options() const { return d_->options; }

void TCustomTzGrid::SetOptions(TTzGridOptions options) {
  if (options == d_->options) return;
  TGridOptions base = 0;
  if (options & dgColLines) base |= goFixedVertLine | goVertLine;
  if (options & dgRowLines) base |= goFixedHorzLine | goHorzLine;
  if (options & dgColumnResize) base |= goColSizing | goColMoving;
  if (options & dgTabs) base |= goTabs;
  if (options & dgRowSelect) {
    // A selected row is no place for an editor.
    base |= goRowSelect;
    options &= static_cast<TTzGridOptions>(~(dgEditing | dgAlwaysShowEditor));
  }
  if (options & dgEditing) base |= goEditing;
  if (options & dgAlwaysShowEditor) base |= goAlwaysShowEditor;
  SetGridOptions(base);
  d_->options = options;
  LayoutChanged();
}

bool TCustomTzGrid::ReadOnly() const { return d_->read_only; }
void TCustomTzGrid::SetReadOnly(bool on) { d_->read_only = on; }
TFont& TCustomTzGrid::TitleFont() { return d_->title_font; }

void TCustomTzGrid::SetTitleFont(const TFont& font) {
  d_->title_font.Assign(font);
  if (d_->options & dgTitles) LayoutChanged();
}

TFont& TCustomTzGrid::Font() { return d_->font; }

bool TCustomTzGrid::ParentFont() const { return !testAttribute(Qt::WA_SetFont); }

void TCustomTzGrid::SetParentFont(bool on) {
  if (on == ParentFont()) return;
  if (on) {
    setFont(QFont());
  } else {
    QFont f = font();
    f.setResolveMask(QFont::AllPropertiesResolved);
    setFont(f);
  }
}

TTzGridDataLink* TCustomTzGrid::DataLink() const { return d_->link.get(); }
int TCustomTzGrid::IndicatorOffset() const { return d_->indicator_offset; }
int TCustomTzGrid::TitleOffset() const { return d_->title_offset; }
int TCustomTzGrid::DepressedColumn() const { return d_->depressed_column; }
const QString& TCustomTzGrid::EditText() const { return d_->edit_text; }
int TCustomTzGrid::UpdateLock() const { return d_->update_lock; }
int TCustomTzGrid::LayoutLock() const { return d_->layout_lock; }
QPainter* TCustomTzGrid::Canvas() const { return d_->canvas; }
bool TCustomTzGrid::UpdateFieldsFlag() const { return d_->update_fields; }
bool TCustomTzGrid::LayoutFromDataSet() const { return d_->layout_from_dataset; }

TTzRowColors TCustomTzGrid::RowColors(int row) const {
  const int k = row - d_->title_offset;
  if (k < 0 || k >= static_cast<int>(d_->row_colors.size())) return TTzRowColors();
  return d_->row_colors[static_cast<size_t>(k)];
}

int TCustomTzGrid::SelectedIndex() const { return Col() - d_->indicator_offset; }

TTzColumn* TCustomTzGrid::SelectedColumn() const { return d_->columns->Items(SelectedIndex()); }

vz::TTzField* TCustomTzGrid::SelectedField() const {
  TTzColumn* column = SelectedColumn();
  return column ? column->Field() : nullptr;
}

// ---- layout ------------------------------------------------------------------------

void TCustomTzGrid::BeginLayout() {
  Private& d = *d_;
  ++d.update_lock;
  if (d.layout_lock == 0) d.columns->BeginUpdate();
  ++d.layout_lock;
}

void TCustomTzGrid::EndLayout() {
  Private& d = *d_;
  if (d.layout_lock == 0) return;
  auto unlock = [&d] {
    if (d.layout_lock == 1) d.columns->EndUpdate();
    --d.layout_lock;
    --d.update_lock;
  };
  try {
    if (d.layout_lock == 1) InternalLayout();
  } catch (...) {
    unlock();
    throw;
  }
  unlock();
}

void TCustomTzGrid::LayoutChanged() {
  if (AcquireLayoutLock()) EndLayout();
}

bool TCustomTzGrid::AcquireLayoutLock() {
  if (d_->update_lock != 0 || d_->layout_lock != 0) return false;
  BeginLayout();
  return true;
}

void TCustomTzGrid::CancelLayout() {
  Private& d = *d_;
  if (d.layout_lock == 0) return;
  if (d.layout_lock == 1) d.columns->EndUpdate();
  --d.layout_lock;
  --d.update_lock;
}

void TCustomTzGrid::DeferLayout() {
  if (!d_->deferred_pending) {
    d_->deferred_pending = true;
    QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
  }
  CancelLayout();
}

void TCustomTzGrid::InternalLayout() {
  if (Loading()) return;
  Private& d = *d_;
  if (d.deferred_pending) {
    QCoreApplication::removePostedEvents(this, kDeferredLayoutEvent);
    d.deferred_pending = false;
  }
  TTzGridColumns& columns = *d.columns;
  TTzGridDataLink& link = *d.link;

  // 2. The grid's own columns do not mix with designed ones.
  bool passthrough_seen = false;
  bool mixed = false;
  for (int i = 0; i < columns.Count(); ++i) {
    if (dynamic_cast<TPassthroughColumn*>(columns.Items(i))) {
      passthrough_seen = true;
    } else if (passthrough_seen) {
      mixed = true;
    }
  }
  if (mixed) {
    for (int i = columns.Count() - 1; i >= 0; --i) {
      if (dynamic_cast<TPassthroughColumn*>(columns.Items(i))) delete columns.Items(i);
    }
  }

  // 3. The field map.
  d.indicator_offset = (d.options & dgIndicator) ? 1 : 0;
  link.ClearMapping();
  if (link.Active()) DefineFieldMap();

  // 4. Columns.
  if (columns.State() == csDefault) {
    for (int i = columns.Count() - 1; i >= 0; --i) {
      TTzColumn* column = columns.Items(i);
      vz::TTzField* field = column->BoundField();
      bool mapped = false;
      for (int j = 0; field && j < link.FieldCount() && !mapped; ++j) mapped = link.Fields(j) == field;
      if (!mapped) delete column;
    }
    int n = link.FieldCount();
    if (n == 0 && columns.Count() == 0) n = 1;
    for (int j = 0; j < n; ++j) {
      vz::TTzField* field = link.Fields(j);
      TTzColumn* column = nullptr;
      for (int k = j; k < columns.Count() && !column; ++k) {
        if (columns.Items(k)->BoundField() == field) column = columns.Items(k);
      }
      if (!column) {
        column = columns.AddPassthrough();
        column->SetField(field);
      }
      column->SetIndex(j);
    }
  } else {
    // Each column binds its field again by name when it is next read.
    for (int i = 0; i < columns.Count(); ++i) columns.Items(i)->Bind(nullptr);
  }

  // 5. Grid columns and fixed columns.
  SetColCount(columns.Count() + d.indicator_offset);
  SetFixedCols(d.indicator_offset);
  if (d.fixed_columns != 0) {
    if (d.fixed_columns >= columns.Count()) d.fixed_columns = std::max(columns.Count() - 1, 0);
    SetFixedCols(d.indicator_offset + d.fixed_columns);
  }

  // 6, 7. Titles and row heights from the fonts.
  d.title_offset = (d.options & dgTitles) ? 1 : 0;
  const QFontMetrics metrics(font());
  int height = metrics.height() + 3;
  if (d.options & dgRowLines) height += GridLineWidth();
  SetDefaultRowHeight(height);
  if (d.options & dgTitles) {
    int title = 0;
    for (int i = 0; i < columns.Count(); ++i) {
      title = std::max(title, QFontMetrics(columns.Items(i)->Title().Font().ToQFont()).height() + 4);
    }
    if (columns.Count() == 0) title = QFontMetrics(d.title_font.ToQFont()).height() + 4;
    SetRowHeights(0, title);
  }

  // 8.
  UpdateRowCount();
  SetColumnAttributes();
  UpdateActive();
  InvalidateGrid();
}

void TCustomTzGrid::DefineFieldMap() {
  Private& d = *d_;
  TTzGridDataLink& link = *d.link;
  if (d.columns->State() == csCustomized) {
    link.SetSparseMap(true);
    for (int i = 0; i < d.columns->Count(); ++i) link.AddMapping(d.columns->Items(i)->FieldName());
  } else {
    link.SetSparseMap(false);
    vz::TTzDataSet* ds = link.DataSet();
    for (int i = 0; ds && i < ds->FieldCount(); ++i) {
      vz::TTzField* field = ds->Fields(i);
      if (field->Visible()) link.AddMapping(field->FieldName());
    }
  }
  if (OnDefineFieldMap) OnDefineFieldMap(this);
}

void TCustomTzGrid::SetColumnAttributes() {
  Private& d = *d_;
  for (int i = 0; i < d.columns->Count(); ++i) {
    TTzColumn* column = d.columns->Items(i);
    vz::TTzField* field = column->Field();
    SetTabStops(d.indicator_offset + i,
                !column->ReadOnly() && d.link->Active() && field && !field->ReadOnly());
    SetColWidths(d.indicator_offset + i, column->Width());
  }
  if (d.options & dgIndicator) SetColWidths(0, kIndicatorWidth);
}

// ---- rows and records --------------------------------------------------------------

void TCustomTzGrid::UpdateRowCount() {
  Private& d = *d_;
  TTzGridDataLink& link = *d.link;
  if (RowCount() <= d.title_offset) SetRowCount(d.title_offset + 1);
  SetFixedRows(d.title_offset);
  SetTopRow(d.title_offset);
  if (!link.Active() || link.RecordCount() == 0 || !HasWindow()) {
    SetRowCount(d.title_offset + 1);
  } else {
    // Enough rows to count how many fit, then as many as the window holds.
    SetRowCount(1000);
    const int visible = VisibleRowCount();
    link.SetBufferCount(visible);
    SetRowCount(link.RecordCount() + d.title_offset);
    d.hide_vbar = RowCount() < d.title_offset + visible;
    UpdateScrollBar();
    UpdateActive();
  }
  if (RowCount() > static_cast<int>(d.row_colors.size())) {
    d.row_colors.assign(static_cast<size_t>(RowCount()), TTzRowColors());
  }
}

void TCustomTzGrid::UpdateActive() {
  Private& d = *d_;
  TTzGridDataLink& link = *d.link;
  if (!link.Active() || !HasWindow() || Loading()) return;
  const int row = link.ActiveRecord() + d.title_offset;
  if (row != Row()) {
    if (!(d.options & dgAlwaysShowEditor)) HideEditor();
    MoveColRow(Col(), row, false, false);
  }
  vz::TTzField* field = SelectedField();
  if (field && FieldText(field) != d.edit_text) InvalidateEditor();
}

void TCustomTzGrid::UpdateScrollBar() {
  Private& d = *d_;
  QScrollBar* bar = verticalScrollBar();
  if (!HasWindow()) return;
  if (!d.link->Active() || d.hide_vbar) {
    // An inactive grid has nothing to scroll either.
    bar->setRange(0, 0);
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return;
  }
  if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOn) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  vz::TTzDataSet* ds = d.link->DataSet();
  bar->setRange(0, 4);
  bar->setPageStep(1);
  const int pos = ds->Bof() ? 0 : (ds->Eof() ? 4 : 2);
  if (bar->value() != pos) bar->setValue(pos);
  bar->setSliderPosition(pos);
}

void TCustomTzGrid::LinkActive(bool value) {
  // Bookmarks of another opening (a pack renumbers the records) would
  // name other rows.
  d_->selected.clear();
  d_->anchor.clear();
  if (!value) HideEditor();
  LayoutChanged();
  UpdateScrollBar();
  if (value && (d_->options & dgAlwaysShowEditor)) ShowEditor();
}

void TCustomTzGrid::DataChanged() {
  if (!HasWindow()) return;
  UpdateRowCount();
  UpdateScrollBar();
  UpdateActive();
  InvalidateEditor();
  InvalidateGrid();
}

void TCustomTzGrid::RecordChanged(vz::TTzField* field) {
  if (!HasWindow()) return;
  Private& d = *d_;
  if (field) {
    for (int i = 0; i < d.columns->Count(); ++i) {
      if (d.columns->Items(i)->BoundField() == field) InvalidateCol(d.indicator_offset + i);
    }
  } else {
    InvalidateGrid();
  }
  vz::TTzField* selected = SelectedField();
  if (selected && (!field || field == selected) && FieldText(selected) != d.edit_text) {
    InvalidateEditor();
    if (InplaceEditor()) InplaceEditor()->deselect();
  }
}

void TCustomTzGrid::UpdateData() {
  if (vz::TTzField* field = SelectedField()) field->SetAsString(d_->edit_text.toStdString());
}

void TCustomTzGrid::Scroll(int distance) {
  Private& d = *d_;
  const int old_row = Row();
  UpdateScrollBar();
  UpdateActive();
  InvalidateRow(old_row);
  InvalidateRow(Row());
  if (distance == 0) return;
  HideEditor();
  if (std::abs(distance) > VisibleRowCount()) {
    InvalidateGrid();
  } else {
    const int line = GridLineWidth();
    const int pitch = DefaultRowHeight() + ((d.options & dgRowLines) ? line : 0);
    const int x = d.indicator_offset ? ColWidths(0) + ((d.options & dgColLines) ? line : 0) : 0;
    const int y = d.title_offset ? RowHeights(0) + ((d.options & dgRowLines) ? line : 0) : 0;
    ScrollArea(x, y, -distance * pitch);
    if (d.options & dgIndicator) {
      InvalidateRow(d.indicator_row);
      InvalidateRow(Row());
    }
  }
  if (d.options & dgAlwaysShowEditor) ShowEditor();
}

// ---- painting ----------------------------------------------------------------------

bool TCustomTzGrid::HighlightCell(int col, int row, const QString& value, TGridDrawState state) {
  (void)col;
  (void)row;
  (void)value;
  const Private& d = *d_;
  return (state & gdSelected) && ((d.options & dgAlwaysShowSelection) || IsActiveControl()) &&
         (d.update_lock == 0 || (d.options & dgRowSelect));
}

void TCustomTzGrid::DrawDataCell(const QRect& rect, vz::TTzField* field, TGridDrawState state) {
  if (OnDrawDataCell) OnDrawDataCell(this, rect, field, state);
}

void TCustomTzGrid::DrawColumnCell(const QRect& rect, int data_col, TTzColumn* column, TGridDrawState state) {
  if (OnDrawColumnCell) OnDrawColumnCell(this, rect, data_col, column, state);
}

namespace {

// Writes a cell's text: the cell filled, the text clipped to it, dx from
// the left edge (right-aligned text ends 3 pixels before the right edge,
// centred text is centred), dy from the top.
void WriteText(QPainter& p, const QRect& r, int dx, int dy, const QString& text, vz::TAlignment alignment,
               const QColor& ink, const QColor& paper) {
  p.fillRect(r, paper);
  if (text.isEmpty()) return;
  const QFontMetrics metrics = p.fontMetrics();
  const int width = metrics.horizontalAdvance(text);
  int x = r.left() + dx;
  if (alignment == vz::taRightJustify) x = r.left() + r.width() - width - 3;
  if (alignment == vz::taCenter) x = r.left() + r.width() / 2 - width / 2;
  p.save();
  p.setClipRect(r, Qt::IntersectClip);
  p.setPen(ink);
  p.drawText(x, r.top() + dy + metrics.ascent(), text);
  p.restore();
}

}  // namespace

void TCustomTzGrid::DrawBooleanBox(QPainter& p, const QRect& cell, bool marked, const QColor& ink,
                                   const QColor& paper) {
  p.fillRect(cell, paper);
  QRect box = cell.width() <= cell.height()
                  ? QRect(cell.left(), cell.top(), cell.width(), cell.width())
                  : QRect(cell.left() + (cell.width() - cell.height()) / 2, cell.top(), cell.height(), cell.height());
  // Inside by the pen's width and one more.
  box.adjust(2, 2, -2, -2);
  if (box.width() < 4 || box.height() < 4) return;
  const int left = box.left();
  const int top = box.top();
  const int right = box.left() + box.width();
  const int bottom = box.top() + box.height();
  const int width = box.width();
  const QColor red = ColorToQColor(clRed, palette());
  const TTzBooleanBox kind = d_->boolean_box;

  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(ink, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  switch (kind) {
    case bbCheckBox:
    case bbFillBox:
    case bbFillBoxRed: p.drawRect(QRect(left, top, width - 1, box.height() - 1)); break;
    case bbRButton:
    case bbRButtonRed: p.drawEllipse(QRect(left, top, width - 1, box.height() - 1)); break;
    default: break;
  }
  if (marked) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
      case bbCheckBox:
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(left + 3, top + 3), QPointF(right - 3, bottom - 3));
        p.drawLine(QPointF(right - 3, top + 3), QPointF(left + 3, bottom - 3));
        break;
      case bbCheckMark: {
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        const QPointF tick[] = {QPointF(left + 2, top + width / 2.0), QPointF(left + width / 3.0, bottom - 2),
                                QPointF(right - 2, top)};
        p.drawPolyline(tick, 3);
        break;
      }
      case bbFillBox:
      case bbFillBoxRed:
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(left + 1, top + 1, width - 2, box.height() - 2), kind == bbFillBox ? ink : red);
        break;
      case bbRButton:
      case bbRButtonRed:
      case bbDot:
      case bbDotRed: {
        const bool in_red = kind == bbRButtonRed || kind == bbDotRed;
        p.setPen(QPen(ink, 1));
        p.setBrush(in_red ? red : ink);
        p.drawEllipse(QRectF(left + 2.5, top + 2.5, width - 5, box.height() - 5));
        break;
      }
      default: break;
    }
  }
  p.restore();
}

void TCustomTzGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) {
  Private& d = *d_;
  const QPalette& pal = palette();
  if (Loading()) {
    painter.fillRect(rect, ColorToQColor(Color(), pal));
    return;
  }
  d.canvas = &painter;
  struct CanvasReset {
    QPainter*& canvas;
    ~CanvasReset() { canvas = nullptr; }
  } reset{d.canvas};

  TTzGridDataLink& link = *d.link;
  const int k = row - d.title_offset;

  // 2. The row's colours, once per row: at its first grid column.
  if (col == 0) {
    if (k >= 0 && k < static_cast<int>(d.row_colors.size())) {
      TTzRowColors& c = d.row_colors[static_cast<size_t>(k)];
      c = TTzRowColors();
      c.IndicatorColor = FixedColor();
      c.DeletedTextColor = d.font.Color();
    } else if (k < 0 && !d.row_colors.empty()) {
      d.row_colors[0].IndicatorColor = FixedColor();
    }
    if (OnChangeColorsEvent && !Designing() && k >= 0 && k < static_cast<int>(d.row_colors.size()) &&
        link.DataSet()) {
      const int saved = link.ActiveRecord();
      TTzRowColors& c = d.row_colors[static_cast<size_t>(k)];
      link.SetActiveRecord(k);
      try {
        OnChangeColorsEvent(this, row, c.IndicatorColor, c.CellColor, c.CellTextColor, c.HiliteColor,
                            c.HiliteTextColor, c.DeletedColor, c.DeletedTextColor);
      } catch (...) {
        link.SetActiveRecord(saved);
        throw;
      }
      link.SetActiveRecord(saved);
    }
  }
  const TTzRowColors colors = d.row_colors.empty()
                                  ? TTzRowColors()
                                  : d.row_colors[static_cast<size_t>(std::clamp(k, 0, static_cast<int>(d.row_colors.size()) - 1))];

  // 3. Fixed cells framed as buttons give their text one pixel less.
  const bool fixed = state & gdFixed;
  const bool framed = fixed && (d.options & dgColLines) && (d.options & dgRowLines);
  const int dx = framed ? 1 : 2;
  QRect r = framed ? rect.adjusted(1, 1, -1, -1) : rect;
  const int data_col = col - d.indicator_offset;
  bool pressed = false;

  if (fixed && data_col < 0) {
    // 4. The indicator.
    const QColor paper = ColorToQColor(colors.IndicatorColor, pal);
    painter.fillRect(r, paper);
    if (link.Active() && k == link.ActiveRecord()) {
      int glyph = kGlyphBrowse;
      if (vz::TTzDataSet* ds = link.DataSet()) {
        if (ds->State() == vz::dsEdit) glyph = kGlyphEdit;
        if (ds->State() == vz::dsInsert) glyph = kGlyphInsert;
      }
      // The engine's device: painting redirected into a pixmap (a grab)
      // has the widget as the painter's device, the pixmap's scale here.
      const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
      const bool large = device && device->devicePixelRatioF() > 1.5;
      const QPixmap& image = large && !d.glyphs[static_cast<size_t>(glyph)].large.isNull()
                                 ? d.glyphs[static_cast<size_t>(glyph)].large
                                 : d.glyphs[static_cast<size_t>(glyph)].normal;
      const int x = r.left() + r.width() - d.glyph_size.width() - dx;
      const int y = (r.top() + r.top() + r.height() - d.glyph_size.height()) / 2;
      painter.drawPixmap(QRect(QPoint(x, y), d.glyph_size), image);
      d.indicator_row = row;
    }
  } else {
    // 5. Titles and data.
    TTzColumn* column = d.columns->Items(data_col);
    if (!column) return;
    TFont& font = fixed ? column->Title().Font() : column->Font();
    QColor ink = ColorToQColor(font.Color(), pal);
    QColor paper = ColorToQColor(fixed ? column->Title().Color() : column->Color(), pal);
    painter.setFont(font.ToQFont());
    if (row < d.title_offset) {
      WriteText(painter, r, dx, dx, QString::fromStdString(column->Title().Caption()), column->Title().Alignment(),
                ink, paper);
      pressed = data_col == d.depressed_column;
    } else if (!link.Active()) {
      painter.fillRect(r, paper);
    } else {
      vz::TTzDataSet* ds = link.DataSet();
      const bool with_event = static_cast<bool>(OnDrawDataCell);
      const int saved = with_event ? link.ActiveRecord() : ds->ActiveRecord();
      if (with_event) {
        link.SetActiveRecord(k);
      } else {
        ds->SetActiveRecord(link.FirstRecord() + k);
      }
      auto restore = [&] {
        if (with_event) {
          link.SetActiveRecord(saved);
        } else {
          ds->SetActiveRecord(saved);
        }
      };
      try {
        // A row past the records (the one row of an empty table) is blank.
        const bool holds_record = k < link.RecordCount();
        vz::TTzField* field = holds_record ? column->Field() : nullptr;
        if (colors.CellColor != clNone) paper = ColorToQColor(colors.CellColor, pal);
        if (colors.CellTextColor != clNone) ink = ColorToQColor(colors.CellTextColor, pal);
        if (holds_record && ds->RowDeleted(link.FirstRecord() + k)) {
          paper = ColorToQColor(colors.DeletedColor, pal);
          ink = ColorToQColor(colors.DeletedTextColor, pal);
        }
        const QString value = FieldText(field);
        if (holds_record && !d.selected.empty() && RowSelected(ds->RowBookmark(link.FirstRecord() + k))) {
          paper = ColorToQColor(colors.HiliteColor, pal);
          ink = ColorToQColor(colors.HiliteTextColor, pal);
        }
        if (HighlightCell(col, row, value, state)) {
          paper = ColorToQColor(colors.HiliteColor, pal);
          ink = ColorToQColor(colors.HiliteTextColor, pal);
        }
        if (d.default_drawing) {
          if (field && field->DataType() == 'L' && d.boolean_box != bbText) {
            const bool marked =
                value.toUpper() == Text(qp::StrId::kTextTrue).toUpper();
            DrawBooleanBox(painter, r, marked, ink, paper);
          } else {
            WriteText(painter, r, 2, 2, value, column->Alignment(), ink, paper);
          }
        }
        DrawDataCell(r, field, state);
        DrawColumnCell(r, data_col, column, state);
      } catch (...) {
        restore();
        throw;
      }
      restore();
    }
  }

  // 6. Fixed cells as buttons: a raised inner edge, or a sunken one for the
  // pressed title; bottom and right first, then top and left. Filled, not
  // stroked, so the edge stays one pixel of the cell at every scale.
  if (framed) {
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor& bottom_right = pressed ? light : dark;
    const QColor& top_left = pressed ? dark : light;
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom_right);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom_right);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), top_left);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), top_left);
  }
}

// ---- the editor's hooks ------------------------------------------------------------

QString TCustomTzGrid::GetEditText(int col, int row) {
  (void)col;
  (void)row;
  d_->edit_text = FieldText(SelectedField());
  return d_->edit_text;
}

void TCustomTzGrid::SetEditText(int col, int row, const QString& text) {
  (void)col;
  (void)row;
  d_->edit_text = text;
}

int TCustomTzGrid::GetEditLimit() {
  vz::TTzField* field = SelectedField();
  if (d_->link->FieldCount() == 0 || !field) return 0;
  int limit = field->DisplayWidth();
  // A column sized narrow must not keep the user from typing what the
  // field holds.
  const char type = field->DataType();
  if (type == 'C' || type == 'N' || type == 'F') limit = std::max(limit, field->Size());
  return limit;
}

QString TCustomTzGrid::GetEditMask(int col, int row) {
  (void)col;
  (void)row;
  vz::TTzField* field = SelectedField();
  if (!field || field->DataType() != 'D') return QString();
  const QString year = vz::CenturyOn() ? QStringLiteral("9999") : QStringLiteral("99");
  if (vz::DateFormat() == 1) return year + QStringLiteral("/99/99;1; ");
  return QStringLiteral("99/99/") + year + QStringLiteral(";1; ");
}

bool TCustomTzGrid::CanEditShow() {
  return d_->layout_lock == 0 && d_->link->Active() && TCustomGrid::CanEditShow();
}

bool TCustomTzGrid::CanEditModify() {
  Private& d = *d_;
  TTzGridDataLink& link = *d.link;
  if (d.read_only || !link.Active() || link.ReadOnly()) return false;
  TTzColumn* column = SelectedColumn();
  if (!column || column->ReadOnly()) return false;
  vz::TTzField* field = column->Field();
  if (!field || field->DataType() == 'M' || field->ReadOnly()) return false;
  link.Edit();
  const bool editing = link.Editing();
  if (editing) link.Modified();
  return editing;
}

bool TCustomTzGrid::CanEditAcceptKey(QChar c) {
  vz::TTzField* field = SelectedField();
  return d_->link->Active() && field && field->IsValidChar(c.unicode());
}

void TCustomTzGrid::ToggleBoolean() {
  Private& d = *d_;
  if (!(d.options & dgEditing) || !CanEditModify()) return;
  vz::TTzField* field = SelectedField();
  if (!field) return;
  // The field's own text, not EditText: with the editor never shown the
  // latter may still be that of another record.
  const QString now = FieldText(field);
  d.edit_text = now.toUpper() == Text(qp::StrId::kTextTrue).toUpper() ? Text(qp::StrId::kTextFalse)
                                                                       : Text(qp::StrId::kTextTrue);
  d.link->Modified();
  d.link->UpdateData();
}

// ---- columns -----------------------------------------------------------------------

void TCustomTzGrid::ColumnMoved(int from, int to) {
  Private& d = *d_;
  from -= d.indicator_offset;
  to -= d.indicator_offset;
  int& pressed = d.depressed_column;
  if (pressed == from) {
    pressed = to;
  } else if (from < pressed && to >= pressed) {
    --pressed;
  } else if (from > pressed && to <= pressed) {
    ++pressed;
  }
  if (TTzColumn* column = d.columns->Items(from)) column->SetIndex(to);
  if (OnColumnMoved) OnColumnMoved(this, from, to);
}

void TCustomTzGrid::ColWidthsChanged() {
  Private& d = *d_;
  TCustomGrid::ColWidthsChanged();
  // Only a change the user made: the layout sets the widths itself, and
  // copying them back then would make every width a given one.
  if ((d.link->Active() || d.columns->State() == csCustomized) && AcquireLayoutLock()) {
    try {
      for (int i = d.indicator_offset; i < ColCount(); ++i) {
        if (TTzColumn* column = d.columns->Items(i - d.indicator_offset)) column->SetWidth(ColWidths(i));
      }
    } catch (...) {
      EndLayout();
      throw;
    }
    EndLayout();
  }
}

void TCustomTzGrid::ColEnter() {
  if (OnColEnter) OnColEnter(this);
}

void TCustomTzGrid::ColExit() {
  if (OnColExit) OnColExit(this);
}

void TCustomTzGrid::MoveCol(int raw) {
  Private& d = *d_;
  d.link->UpdateData();
  raw = std::min(raw, ColCount() - 1);
  raw = std::max(raw, d_->fixed_columns + d.indicator_offset);
  raw = std::max(raw, FixedCols());
  if (raw == Col()) return;
  if (!d.in_col_exit) {
    const int before = Col();
    d.in_col_exit = true;
    try {
      ColExit();
    } catch (...) {
      d.in_col_exit = false;
      throw;
    }
    d.in_col_exit = false;
    if (Col() != before) return;
  }
  if (!(d.options & dgAlwaysShowEditor)) HideEditor();
  SetCol(raw);
  ColEnter();
}

void TCustomTzGrid::DepressTitle(int column) {
  Private& d = *d_;
  if (d.depress_disabled || column < 0 || column >= d.columns->Count()) return;
  d.depressed_column = column;
  InvalidateGrid();
  if (OnDepressTitle) OnDepressTitle(this, d.columns->Items(column));
}

void TCustomTzGrid::ReleaseTitle() {
  if (d_->depress_disabled) return;
  d_->depressed_column = -1;
  InvalidateGrid();
}

// ---- keys --------------------------------------------------------------------------

void TCustomTzGrid::NextRow() {
  Private& d = *d_;
  vz::TTzDataSet* ds = d.link->DataSet();
  if (ds->State() == vz::dsInsert && !ds->Modified() && !d.link->IsModified()) {
    if (ds->Eof()) return;
    ds->Cancel();
  } else {
    ds->Next();
  }
  // A read-only grid makes no new records either.
  if (ds->Eof() && ds->CanModify() && (d.options & dgEditing) && d.auto_append && !d.read_only) ds->Append();
}

void TCustomTzGrid::PriorRow() {
  Private& d = *d_;
  vz::TTzDataSet* ds = d.link->DataSet();
  if (ds->State() == vz::dsInsert && !ds->Modified() && ds->Eof() && !d.link->IsModified()) {
    ds->Cancel();
  } else {
    ds->Prior();
  }
}

void TCustomTzGrid::Tab(bool forward) {
  Private& d = *d_;
  int col = Col();
  const int start = col;
  ++d.update_lock;
  try {
    while (true) {
      if (forward) {
        ++col;
        if (col >= ColCount()) {
          NextRow();
          col = d.indicator_offset;
        }
      } else {
        --col;
        if (col < d.indicator_offset) {
          PriorRow();
          col = ColCount();
        }
      }
      if (col == start) break;
      if (TabStops(col)) {
        MoveCol(col);
        break;
      }
    }
  } catch (...) {
    --d.update_lock;
    throw;
  }
  --d.update_lock;
}

void TCustomTzGrid::DeleteOrRestore() {
  Private& d = *d_;
  vz::TTzDataSet* ds = d.link->DataSet();
  // Nothing to mark on an empty table: no prompt either.
  if (d.read_only || !ds || !ds->CanModify() || ds->RecordCount() == 0) return;
  const bool restore = ds->RowDeleted(ds->ActiveRecord());
  if (d.options & (restore ? dgConfirmRestore : dgConfirmDelete)) {
    const QString prompt = Text(restore ? qp::StrId::kRestoreRecordPrompt : qp::StrId::kDeleteRecordPrompt);
    const qp::MsgResult answer =
        qp::ShowMessage(this, prompt, qp::MsgType::kConfirmation, qp::MsgButtons::kOkCancel);
    if (answer == qp::MsgResult::kCancel) return;
  }
  if (restore) {
    ds->Restore();
  } else {
    ds->Delete();
  }
}

void TCustomTzGrid::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  Private& d = *d_;
  if (OnKeyDown) OnKeyDown(this, key, shift);
  if (key == 0) return;
  TTzGridDataLink& link = *d.link;
  if (!link.Active() || !CanGridAcceptKey(key, shift)) return;
  vz::TTzDataSet* ds = link.DataSet();
  const int key_pressed = key;
  const bool ctrl = shift & Qt::ControlModifier;
  const bool row_select = d.options & dgRowSelect;
  const bool one_column = ColCount() == d.indicator_offset + 1;
  auto first_visible = [&] { ds->MoveBy(-link.ActiveRecord()); };
  auto last_visible = [&] { ds->MoveBy(link.BufferCount() - link.ActiveRecord() - 1); };
  const bool multi = d.options & dgMultiSelect;
  const bool range = multi && (shift & Qt::ShiftModifier);
  const std::string before = multi ? CurrentBookmark() : std::string();
  const Choice choice = range ? Choice::kRange : (ctrl ? Choice::kKeep : Choice::kPlain);
  switch (key) {
    case Qt::Key_Up:
      if (ctrl) {
        first_visible();
      } else if (range) {
        ds->Prior();
      } else {
        PriorRow();
      }
      break;
    case Qt::Key_Down:
      if (ctrl) {
        last_visible();
      } else if (range) {
        ds->Next();  // choosing rows never appends one
      } else {
        NextRow();
      }
      break;
    case Qt::Key_Space:
      if (!multi || !ctrl) {
        TCustomGrid::KeyDown(key, shift);
        return;
      }
      ToggleSelected(CurrentBookmark());
      d.anchor = CurrentBookmark();
      key = 0;
      return;
    case Qt::Key_PageUp:
      if (ctrl) {
        first_visible();
      } else {
        ds->MoveBy(-VisibleRowCount());
      }
      break;
    case Qt::Key_PageDown:
      if (ctrl) {
        last_visible();
      } else {
        ds->MoveBy(VisibleRowCount());
      }
      break;
    case Qt::Key_Left:
      if (ctrl) {
        MoveCol(d.indicator_offset);
      } else if (row_select) {
        PriorRow();
      } else {
        MoveCol(Col() - 1);
      }
      break;
    case Qt::Key_Right:
      if (ctrl) {
        MoveCol(ColCount() - 1);
      } else if (row_select) {
        NextRow();
      } else {
        MoveCol(Col() + 1);
      }
      break;
    case Qt::Key_Home:
      if (ctrl || one_column || row_select) {
        ds->First();
      } else {
        MoveCol(d.indicator_offset);
      }
      break;
    case Qt::Key_End:
      if (ctrl || one_column || row_select) {
        ds->Last();
      } else {
        MoveCol(ColCount() - 1);
      }
      break;
    case Qt::Key_Insert:
      if (ctrl) return;
      if (!d.read_only && !(shift & Qt::ShiftModifier)) ds->Insert();
      break;
    case Qt::Key_Delete:
      if (!ctrl) return;
      DeleteOrRestore();
      break;
    case Qt::Key_Tab:
      if (shift & Qt::AltModifier) return;
      Tab(!(shift & Qt::ShiftModifier));
      break;
    case Qt::Key_Escape:
      link.Reset();
      if (!(d.options & dgAlwaysShowEditor)) HideEditor();
      break;
    case Qt::Key_F2: ShowEditor(); break;
    default: TCustomGrid::KeyDown(key, shift); return;
  }
  key = 0;
  if (multi) {
    switch (key_pressed) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End: ChooseAfterMove(choice, before); break;
      case Qt::Key_Left:
      case Qt::Key_Right:
        if (row_select) ChooseAfterMove(choice, before);
        break;
      default: break;
    }
  }
}

void TCustomTzGrid::KeyPress(QChar& key) {
  Private& d = *d_;
  vz::TTzField* field = SelectedField();
  const char16_t c = key.unicode();
  if (field && field->DataType() == 'L') {
    if (c == 32 || c == 13) {
      ToggleBoolean();
      key = QChar();
      return;
    }
    if (!(c < 32 && c != 8)) {
      // Nothing else can be typed into a logical value.
      key = QChar();
      return;
    }
  } else if (!(d.options & dgAlwaysShowEditor) && c == 13) {
    d.link->UpdateData();
  }
  if (OnKeyPress) OnKeyPress(this, key);
  if (!key.isNull()) TCustomGrid::KeyPress(key);
}

// ---- the mouse ---------------------------------------------------------------------

bool TCustomTzGrid::AcquireFocus() {
  if (!d_->acquire_focus || Designing() || !isEnabled() || !isVisible()) return true;
  if (!IsActiveControl()) setFocus(Qt::MouseFocusReason);
  return IsActiveControl();
}

void TCustomTzGrid::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos,
                              bool double_click) {
  Private& d = *d_;
  if (!AcquireFocus()) return;
  if (double_click && button == Qt::LeftButton) {
    DblClick();
    return;
  }
  if ((GridOptions() & goColSizing) && SizingColumnAt(pos) >= 0) {
    d.link->UpdateData();
    TCustomGrid::MouseDown(button, shift, pos, double_click);
    return;
  }
  int col;
  int row;
  MouseCoord(pos, &col, &row);
  if (col < 0 || row < 0) return;
  if (row < d.title_offset) {
    if (col == 0 && (d.options & dgIndicator)) {
      if (button == Qt::LeftButton && OnCornerLeftClick) OnCornerLeftClick(this);
      if (button == Qt::RightButton && OnCornerRightClick) OnCornerRightClick(this);
    }
    if (button == Qt::RightButton) DepressTitle(col - d.indicator_offset);
    if (Designing() || (d.options & dgColumnResize)) {
      d.link->UpdateData();
      TCustomGrid::MouseDown(button, shift, pos, double_click);
      return;
    }
  }
  if (!d.link->Active()) return;
  const bool choosing = (d.options & dgMultiSelect) && button == Qt::LeftButton && row >= d.title_offset;
  const Choice choice = !choosing                            ? Choice::kKeep
                        : (shift & Qt::ShiftModifier)         ? Choice::kRange
                        : (shift & Qt::ControlModifier)       ? Choice::kToggle
                                                              : Choice::kPlain;
  const std::string before = choosing ? CurrentBookmark() : std::string();
  ++d.update_lock;
  try {
    if (col == Col() && row == Row()) {
      // Right clicks leave values alone; so does choosing rows.
      if (button == Qt::LeftButton && (choice == Choice::kPlain || !choosing)) {
        vz::TTzField* field = SelectedField();
        if (field && field->DataType() == 'L') {
          ToggleBoolean();
        } else {
          ShowEditor();
        }
      }
    } else {
      if (row >= d.title_offset && row != Row()) d.link->DataSet()->MoveBy(row - Row());
      if (col >= d.indicator_offset) MoveCol(col);
    }
  } catch (...) {
    --d.update_lock;
    throw;
  }
  --d.update_lock;
  InvalidateRow(Row());
  if (choosing) ChooseAfterMove(choice, before);
  if (button == Qt::LeftButton && row >= d.title_offset) BeginSelecting();
}

// ---- chosen rows -------------------------------------------------------------------

const std::vector<std::string>& TCustomTzGrid::SelectedRows() const { return d_->selected; }

bool TCustomTzGrid::RowSelected(const std::string& bookmark) const {
  return !bookmark.empty() && std::find(d_->selected.begin(), d_->selected.end(), bookmark) != d_->selected.end();
}

void TCustomTzGrid::ClearSelection() {
  d_->anchor.clear();
  if (d_->selected.empty()) return;
  d_->selected.clear();
  InvalidateGrid();
}

std::string TCustomTzGrid::CurrentBookmark() const {
  vz::TTzDataSet* ds = d_->link->DataSet();
  return ds ? ds->RowBookmark(ds->ActiveRecord()) : std::string();
}

void TCustomTzGrid::ToggleSelected(const std::string& bookmark) {
  if (bookmark.empty()) return;
  std::vector<std::string>& chosen = d_->selected;
  const auto at = std::find(chosen.begin(), chosen.end(), bookmark);
  if (at == chosen.end()) {
    chosen.push_back(bookmark);
  } else {
    chosen.erase(at);
  }
  InvalidateGrid();
}

void TCustomTzGrid::SelectToAnchor() {
  Private& d = *d_;
  vz::TTzDataSet* ds = d.link->DataSet();
  const std::string target = CurrentBookmark();
  if (!ds || target.empty()) return;
  if (d.anchor.empty()) d.anchor = target;
  // The rows between may lie outside the window, so the cursor walks to
  // the anchor, first backwards, then forwards, and comes back; the links
  // hear of it once, at the end.
  std::vector<std::string> range{target};
  auto walk = [&](int step) {
    int walked = 0;
    bool found = false;
    while (!found && (step < 0 ? ds->Prior() : ds->Next())) {
      ++walked;
      range.push_back(CurrentBookmark());
      found = range.back() == d.anchor;
    }
    ds->MoveBy(-step * walked);
    return found;
  };
  ds->DisableControls();
  try {
    if (target != d.anchor && !walk(-1)) {
      range.resize(1);
      if (!walk(1)) range.resize(1);  // the anchor is gone: the current row alone
    }
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  d.selected = std::move(range);
  InvalidateGrid();
}

void TCustomTzGrid::ChooseAfterMove(Choice choice, const std::string& before) {
  Private& d = *d_;
  switch (choice) {
    case Choice::kPlain:
      ClearSelection();
      d.anchor = CurrentBookmark();
      break;
    case Choice::kToggle:
      // The row stood on before is the first one chosen, as in a file list.
      if (d.selected.empty() && !before.empty() && before != CurrentBookmark()) d.selected.push_back(before);
      ToggleSelected(CurrentBookmark());
      d.anchor = CurrentBookmark();
      break;
    case Choice::kRange:
      if (d.anchor.empty()) d.anchor = before;
      SelectToAnchor();
      break;
    case Choice::kKeep: break;
  }
}

void TCustomTzGrid::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomTzGrid::MouseSelect(int col, int row) {
  Private& d = *d_;
  if (!d.link->Active()) return;
  if (row >= d.title_offset && row != Row()) d.link->DataSet()->MoveBy(row - Row());
  if (col >= d.indicator_offset) MoveCol(col);
}

void TCustomTzGrid::TimedScroll(uint8_t directions) {
  Private& d = *d_;
  TTzGridDataLink& link = *d.link;
  if (link.Active()) {
    if (directions & sdUp) link.DataSet()->MoveBy(-link.ActiveRecord() - 1);
    if (directions & sdDown) link.DataSet()->MoveBy(link.RecordCount() - link.ActiveRecord());
  }
  const uint8_t sideways = directions & (sdLeft | sdRight);
  if (sideways) TCustomGrid::TimedScroll(sideways);
}

void TCustomTzGrid::wheelEvent(QWheelEvent* event) {
  Guarded([&] {
    TTzGridDataLink& link = *d_->link;
    if (!link.Active()) return;
    const int steps = event->angleDelta().y() / 120;
    for (int i = 0; i < std::abs(steps); ++i) {
      if (steps > 0) {
        link.DataSet()->MoveBy(-link.ActiveRecord() - 1);
      } else {
        link.DataSet()->MoveBy(link.RecordCount() - link.ActiveRecord());
      }
    }
  });
  event->accept();
}

void TCustomTzGrid::ScrollBarAction(int action) {
  TTzGridDataLink& link = *d_->link;
  if (Designing() || !link.Active() || !isEnabled()) {
    UpdateScrollBar();
    return;
  }
  vz::TTzDataSet* ds = link.DataSet();
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: ds->MoveBy(-link.ActiveRecord() - 1); break;
    case QAbstractSlider::SliderSingleStepAdd: ds->MoveBy(link.RecordCount() - link.ActiveRecord()); break;
    case QAbstractSlider::SliderPageStepSub: ds->MoveBy(-VisibleRowCount()); break;
    case QAbstractSlider::SliderPageStepAdd: ds->MoveBy(VisibleRowCount()); break;
    case QAbstractSlider::SliderToMinimum: ds->First(); break;
    case QAbstractSlider::SliderToMaximum: ds->Last(); break;
    case QAbstractSlider::SliderMove: return;  // the thumb acts when let go
    default: break;
  }
  UpdateScrollBar();
}

void TCustomTzGrid::ThumbReleased() {
  TTzGridDataLink& link = *d_->link;
  if (Designing() || !link.Active()) return;
  vz::TTzDataSet* ds = link.DataSet();
  switch (verticalScrollBar()->sliderPosition()) {
    case 0: ds->First(); break;
    case 1: ds->MoveBy(-VisibleRowCount()); break;
    case 3: ds->MoveBy(VisibleRowCount()); break;
    case 4: ds->Last(); break;
    default: break;
  }
  UpdateScrollBar();
}

// ---- window, focus, fonts ----------------------------------------------------------

void TCustomTzGrid::CreateWnd() {
  ++d_->update_lock;
  TCustomGrid::CreateWnd();
  --d_->update_lock;
  UpdateRowCount();
  UpdateActive();
  UpdateScrollBar();
}

void TCustomTzGrid::DoExit() {
  try {
    if (d_->link->Active()) d_->link->UpdateData();
  } catch (...) {
    // The value stays in the editor for the user to mend.
    setFocus(Qt::OtherFocusReason);
    throw;
  }
  TCustomGrid::DoExit();
}

void TCustomTzGrid::resizeEvent(QResizeEvent* event) {
  TCustomGrid::resizeEvent(event);
  if (d_->update_lock == 0) Guarded([this] { UpdateRowCount(); });
}

void TCustomTzGrid::changeEvent(QEvent* event) {
  TCustomGrid::changeEvent(event);
  if (event->type() != QEvent::FontChange || !d_) return;
  Guarded([this] {
    Private& d = *d_;
    {
      TFont::ScopedSilence quiet(d.font);
      d.font.AssignQFont(font());
    }
    BeginLayout();
    try {
      for (int i = 0; i < d.columns->Count(); ++i) d.columns->Items(i)->RefreshDefaultFont();
    } catch (...) {
      EndLayout();
      throw;
    }
    EndLayout();
    if (!d.applying_font && ParentFont()) {
      // The parent's font came down to the grid: the titles follow it.
      d.self_changing_title_font = true;
      d.title_font.Assign(d.font);
      d.self_changing_title_font = false;
      LayoutChanged();
    }
  });
}

void TCustomTzGrid::TitleFontChanged() {
  if (!d_->self_changing_title_font && !Loading()) SetParentFont(false);
  if (d_->options & dgTitles) LayoutChanged();
}

bool TCustomTzGrid::event(QEvent* event) {
  if (event->type() == kDeferredLayoutEvent) {
    d_->deferred_pending = false;
    Guarded([this] {
      if (AcquireLayoutLock()) {
        EndLayout();
      } else if (!d_->deferred_pending) {
        // A lock is held (a box is open inside a layout, say): try again
        // later, leaving the holder's lock alone.
        d_->deferred_pending = true;
        QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
      }
    });
    return true;
  }
  return TCustomGrid::event(event);
}

// ---- the component model -----------------------------------------------------------

void TCustomTzGrid::Loaded() {
  vz::TComponent::Loaded();
  Private& d = *d_;
  if (d.columns->Count() > 0) SetColCount(d.columns->Count());
  LayoutChanged();
  if (d.has_pending_source) {
    d.has_pending_source = false;
    vz::TTzDataSource* source = d.pending_source;
    d.pending_source = nullptr;
    SetDataSource(source);
  }
}

void TCustomTzGrid::Notification(vz::TComponent* component, vz::TOperation operation) {
  vz::TComponent::Notification(component, operation);
  if (operation != vz::TOperation::opRemove || !d_->link) return;
  Private& d = *d_;
  if (d.has_pending_source && component == d.pending_source) d.pending_source = nullptr;
  if (d.link->DataSource() && component == d.link->DataSource()) {
    SetDataSource(nullptr);
    return;
  }
  if (!dynamic_cast<vz::TTzField*>(component)) return;
  bool unbound = false;
  BeginLayout();
  for (int i = 0; i < d.columns->Count(); ++i) {
    TTzColumn* column = d.columns->Items(i);
    if (column->BoundField() == component) {
      column->SetField(nullptr);
      unbound = true;
    }
  }
  if (unbound && d.link->DataSet()) {
    try {
      EndLayout();
    } catch (...) {
      // The field is going away right now: lay out when that is over.
      DeferLayout();
    }
  } else {
    DeferLayout();
  }
}
