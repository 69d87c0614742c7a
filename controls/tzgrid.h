// The data grid: TTzGrid shows the records of a data set as rows and its
// fields as columns, one grid row per record of the data set's record window,
// and lets the user move through the records, edit values in place, toggle
// logical fields, mark records deleted or restore them, and size and move
// columns.
//
//   TTzGrid ── TCustomTzGrid ── TCustomGrid (cellgrid.h: cells, editor, mouse)
//                  │  owns
//                  ├── TTzGridColumns (gridcolumns.h): the columns
//                  └── TTzGridDataLink ── attached to a TTzDataSource
//
// Rows are the record window. Grid row TitleOffset() + k shows record k of
// the window (the link's rows); the current grid row is TitleOffset() + the
// link's ActiveRecord. The window is sized to the rows wholly visible at
// every resize and layout, so the grid holds only the visible records
// whatever the table's size. The vertical scroll bar has three places (the
// first record, between, the last record) and moves the data set.
//
// Layout. Columns, the field map, row heights and counts are worked out by
// InternalLayout, which runs only when the layout lock is released:
//   1. BeginLayout raises UpdateLock and LayoutLock (the first one also
//      holds the column list's change reports);
//   2. EndLayout of the outermost lock runs InternalLayout, then lowers both;
//   3. LayoutChanged lays out at once when neither lock is held, and
//      otherwise leaves it to the release of the lock held;
//   4. DeferLayout queues one deferred-layout event to this grid (never two)
//      and drops the lock it holds without laying out; the event lays out
//      as soon as the locks are free, or queues itself again.
// Painting never lays out, and UpdateLock keeps the highlight of the
// current cell from flickering while a command moves through records.
//
// Messages: the delete and restore prompts go through the message service
// (platform/qt/messages.h); errors of the data set (a value that does not
// convert, a read-only data set) end at the event boundary in an error box.
#ifndef QUILLPRINT_CONTROLS_TZGRID_H_
#define QUILLPRINT_CONTROLS_TZGRID_H_

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "controls/cellgrid.h"
#include "controls/graphics.h"
#include "controls/gridcolumns.h"

class TCustomTzGrid;

enum TTzGridOption : uint16_t {
  dgEditing = 1 << 0,
  dgAlwaysShowEditor = 1 << 1,
  dgTitles = 1 << 2,
  dgIndicator = 1 << 3,
  dgColumnResize = 1 << 4,
  dgColLines = 1 << 5,
  dgRowLines = 1 << 6,
  dgTabs = 1 << 7,
  dgRowSelect = 1 << 8,
  dgAlwaysShowSelection = 1 << 9,
  dgConfirmDelete = 1 << 10,
  dgConfirmRestore = 1 << 11,
  // Rows may be chosen: Ctrl+click and Ctrl+Space add or take away a row,
  // Shift+click and Shift+arrows choose every row from the anchor (the row
  // last reached without Shift) to the current one.
  dgMultiSelect = 1 << 12,
};
using TTzGridOptions = uint16_t;
// dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
// dgTabs, dgConfirmDelete, dgConfirmRestore.
constexpr TTzGridOptions kDefaultTzGridOptions = 0x0CFD;

// How a logical field is drawn.
enum TTzBooleanBox : uint8_t {
  bbCheckBox,    // a square with a cross
  bbCheckMark,   // a tick
  bbText,        // the field's text
  bbFillBox,     // a square, filled in the font colour
  bbFillBoxRed,  // a square, filled in red
  bbRButton,     // a circle with a dot
  bbRButtonRed,  // a circle with a red dot
  bbDot,         // a dot
  bbDotRed,      // a red dot
};

// The colours of one grid row, as OnChangeColorsEvent may change them.
// clNone for CellColor and CellTextColor: not given (the column's colours
// apply).
struct TTzRowColors {
  TColor IndicatorColor = clBtnFace;
  TColor CellColor = clNone;
  TColor CellTextColor = clNone;
  TColor HiliteColor = clHighlight;
  TColor HiliteTextColor = clHighlightText;
  TColor DeletedColor = clRed;
  TColor DeletedTextColor = clWindowText;
};

using TTzChangeColorsEvent =
    std::function<void(vz::TObject* Sender, int curRow, TColor& IndicatorColor, TColor& CellColor,
                       TColor& CellTextColor, TColor& HiliteColor, TColor& HiliteTextColor,
                       TColor& DeletedColor, TColor& DeletedTextColor)>;
using TMovedEvent = std::function<void(vz::TObject* Sender, int FromIndex, int ToIndex)>;
using TTzDepressTitleEvent = std::function<void(vz::TObject* Sender, TTzColumn* curColumn)>;
using TTzDrawDataCellEvent =
    std::function<void(vz::TObject* Sender, const QRect& Rect, vz::TTzField* Field, TGridDrawState State)>;
using TTzDrawColumnCellEvent = std::function<void(vz::TObject* Sender, const QRect& Rect, int DataCol,
                                                  TTzColumn* Column, TGridDrawState State)>;
using TGridKeyEvent = std::function<void(vz::TObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
using TGridKeyPressEvent = std::function<void(vz::TObject* Sender, QChar& Key)>;

// ---- the link -----------------------------------------------------------------------

// The grid's link to its data source, with the field map: which field of
// the data set each column shows.
class TTzGridDataLink : public vz::TTzDataLink {
 public:
  // The most entries the field map holds.
  static constexpr int kMaxMapSize = 16380;

  explicit TTzGridDataLink(TCustomTzGrid* grid);
  ~TTzGridDataLink() override;

  int FieldCount() const { return static_cast<int>(field_map_.size()); }
  // The map's room: 8 at first, doubled when full, at most kMaxMapSize.
  int MapCapacity() const { return map_capacity_; }
  bool SparseMap() const { return sparse_map_; }
  void SetSparseMap(bool on) { sparse_map_ = on; }
  const std::vector<int32_t>& FieldMap() const { return field_map_; }

  // Appends the field of that name to the map (-1 when the data set has
  // none). With SparseMap an absent field is no error; without, it throws
  // "Field '%s' not found". A full map throws EInvalidGridOperation "Too
  // many columns in grid".
  void AddMapping(const std::string& field_name);
  void ClearMapping();
  // The field shown by column `column`; nullptr outside the map or for an
  // absent field.
  vz::TTzField* Fields(int column) const;

  // The editor's text has changed since the row was read.
  bool IsModified() const { return modified_; }
  void Modified() { modified_ = true; }
  // Escape: the row is read again when the editor changed it, otherwise
  // the data set's edit is cancelled.
  void Reset();
  // Writes the editor's text into the selected field when it changed.
  void UpdateData() override;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void LayoutChanged() override;
  void EditingChanged() override;
  void RecordChanged(vz::TTzField* field) override;

 private:
  TCustomTzGrid* grid_;
  std::vector<int32_t> field_map_;
  int map_capacity_ = 0;
  bool sparse_map_ = false;
  bool modified_ = false;
};

// ---- the grid -----------------------------------------------------------------------

class TCustomTzGrid : public TCustomGrid, public vz::TComponent {
  Q_OBJECT

 public:
  explicit TCustomTzGrid(QWidget* parent = nullptr);
  ~TCustomTzGrid() override;

  // ---- properties ----
  bool AutoAppend() const;
  void SetAutoAppend(bool on);
  TTzBooleanBox BooleanBox() const;
  void SetBooleanBox(TTzBooleanBox box);
  TTzGridColumns* Columns() const;
  void SetColumns(const TTzGridColumns& columns);
  vz::TTzDataSource* DataSource() const;
  // While loading, the source is kept aside and attached in Loaded().
  void SetDataSource(vz::TTzDataSource* source);
  bool DefaultDrawing() const;
  void SetDefaultDrawing(bool on);
  bool DepressDisabled() const;
  void SetDepressDisabled(bool on);
  // Data columns that stay in place on the left. A value that would leave
  // no column unfixed is cut at the next layout.
  int FixedColumns() const;
  void SetFixedColumns(int count);
  TTzGridOptions Options() const;
  // dgRowSelect takes dgEditing and dgAlwaysShowEditor out of the set.
  void SetOptions(TTzGridOptions options);
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  TFont& TitleFont();
  void SetTitleFont(const TFont& font);
  // The grid's font with its colour; changing it changes the widget's font.
  TFont& Font();
  // Whether the grid takes its font from its parent widget.
  bool ParentFont() const;
  void SetParentFont(bool on);

  TTzGridDataLink* DataLink() const;
  int IndicatorOffset() const;  // 1 with dgIndicator, else 0
  int TitleOffset() const;      // 1 with dgTitles, else 0
  int DepressedColumn() const;  // -1 for none
  const QString& EditText() const;
  int UpdateLock() const;
  int LayoutLock() const;
  // The painter of the cell being drawn (for OnDrawDataCell and
  // OnDrawColumnCell); nullptr outside painting.
  QPainter* Canvas() const;
  // The colours of grid row `row` as last painted.
  TTzRowColors RowColors(int row) const;

  // The column of the current cell, its number, and its field.
  int SelectedIndex() const;
  TTzColumn* SelectedColumn() const;
  vz::TTzField* SelectedField() const;

  // ---- chosen rows (dgMultiSelect) ----
  // The bookmarks of the chosen rows (TTzDataSet::RowBookmark), in the order
  // they were chosen. A plain click or move, or the link going inactive,
  // clears them; a single entry is one row chosen.
  const std::vector<std::string>& SelectedRows() const;
  bool RowSelected(const std::string& bookmark) const;
  void ClearSelection();

  // ---- layout ----
  void BeginLayout();
  void EndLayout();
  void LayoutChanged();
  void DeferLayout();

  // ---- commands ----
  // Presses title n (when pressing is allowed) and fires OnDepressTitle;
  // it stays pressed until another is pressed or ReleaseTitle runs.
  void DepressTitle(int column);
  void ReleaseTitle();
  // Enters grid column `raw` (clamped to the unfixed columns) after the
  // column exit.
  void MoveCol(int raw);
  // Flips the logical value of the current cell when it may be edited.
  void ToggleBoolean();

  // The stored column list: written empty, read as described in
  // gridcolumns.cpp (ReadSavedColumns). A value that is not a number
  // throws EConvertError.
  vz::TStrings SavedColumns() const { return {}; }
  void ReadSavedColumns(const vz::TStrings& lines);

  // ---- events ----
  TTzChangeColorsEvent OnChangeColorsEvent;
  vz::TNotifyEvent OnColEnter;
  vz::TNotifyEvent OnColExit;
  TMovedEvent OnColumnMoved;
  vz::TNotifyEvent OnCornerLeftClick;
  vz::TNotifyEvent OnCornerRightClick;
  vz::TNotifyEvent OnDefineFieldMap;
  TTzDepressTitleEvent OnDepressTitle;
  TTzDrawDataCellEvent OnDrawDataCell;
  TTzDrawColumnCellEvent OnDrawColumnCell;
  vz::TNotifyEvent OnDblClick;
  TGridKeyEvent OnKeyDown;
  TGridKeyPressEvent OnKeyPress;

 protected:
  // ---- virtual operations ----
  virtual void Scroll(int distance);
  virtual bool HighlightCell(int col, int row, const QString& value, TGridDrawState state);
  virtual void DefineFieldMap();
  virtual void SetColumnAttributes();
  virtual void LinkActive(bool value);
  virtual void DrawDataCell(const QRect& rect, vz::TTzField* field, TGridDrawState state);
  virtual void DrawColumnCell(const QRect& rect, int data_col, TTzColumn* column, TGridDrawState state);
  virtual void ColEnter();
  virtual void ColExit();

  // ---- reactions of the link ----
  void DataChanged();
  void RecordChanged(vz::TTzField* field);
  void UpdateData();
  void UpdateRowCount();
  void UpdateActive();
  void UpdateScrollBar();
  void InternalLayout();

  // ---- the base grid's hooks ----
  void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) override;
  void ColumnMoved(int from, int to) override;
  void ColWidthsChanged() override;
  QString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const QString& text) override;
  QString GetEditMask(int col, int row) override;
  int GetEditLimit() override;
  bool CanEditShow() override;
  bool CanEditModify() override;
  bool CanEditAcceptKey(QChar c) override;
  void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
  void KeyPress(QChar& key) override;
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos,
                 bool double_click) override;
  void DblClick() override;
  void MouseSelect(int col, int row) override;
  void TimedScroll(uint8_t directions) override;
  void CreateWnd() override;
  void DoExit() override;

  // ---- the component model ----
  void Loaded() override;
  void Notification(vz::TComponent* component, vz::TOperation operation) override;

  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  friend class TTzGridDataLink;
  friend class TTzColumn;
  friend class TPassthroughColumn;
  friend class TTzColumnTitle;
  friend class TTzGridColumns;
  struct Private;

  bool AcquireFocus();
  bool AcquireLayoutLock();
  void CancelLayout();
  void NextRow();
  void PriorRow();
  void Tab(bool forward);
  void DeleteOrRestore();
  std::string CurrentBookmark() const;
  void ToggleSelected(const std::string& bookmark);
  void SelectToAnchor();
  enum class Choice { kPlain, kToggle, kRange, kKeep };
  void ChooseAfterMove(Choice choice, const std::string& before);
  void ScrollBarAction(int action);
  void ThumbReleased();
  void DrawBooleanBox(QPainter& painter, const QRect& rect, bool marked, const QColor& ink,
                      const QColor& paper);
  void TitleFontChanged();
  bool UpdateFieldsFlag() const;
  bool LayoutFromDataSet() const;

  std::unique_ptr<Private> d_;
};

// The data grid a window places; it publishes the properties and adds no
// behaviour. After construction: Options kDefaultTzGridOptions, BooleanBox
// bbCheckBox, DepressDisabled false, FixedColumns 0, AutoAppend and
// DefaultDrawing on, ReadOnly off.
class TTzGrid : public TCustomTzGrid {
  Q_OBJECT

 public:
  using TCustomTzGrid::TCustomTzGrid;
};

#endif  // QUILLPRINT_CONTROLS_TZGRID_H_
