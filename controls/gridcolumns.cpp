// Grid columns and titles: given and default values, the fonts that follow
// the grid, copying, and the reader of the stored column list.
#include "controls/gridcolumns.h"

#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "controls/tzgrid.h"
#include "engine/textutil.h"

namespace {

constexpr TTzColumnValues kTitleValues = cvTitleColor | cvTitleCaption | cvTitleAlignment | cvTitleFont;
constexpr int kNoGridWidth = 64;
// Pixels a cell keeps beside its text.
constexpr int kTextMargin = 4;

// Holds the grid's layout while a column list changes, when there is a grid.
class LayoutHold {
 public:
  explicit LayoutHold(TCustomTzGrid* grid) : grid_(grid) {
    if (grid_) grid_->BeginLayout();
  }
  // Lays out (which may throw) when the work succeeded.
  void Release() {
    TCustomTzGrid* grid = grid_;
    grid_ = nullptr;
    if (grid) grid->EndLayout();
  }
  // After a failure: gives the lock back without laying out now.
  ~LayoutHold() {
    if (grid_) grid_->DeferLayout();
  }
  LayoutHold(const LayoutHold&) = delete;
  LayoutHold& operator=(const LayoutHold&) = delete;

 private:
  TCustomTzGrid* grid_;
};

}  // namespace

// ---- TTzColumnTitle ----------------------------------------------------------------

TTzColumnTitle::TTzColumnTitle(TTzColumn* column) : column_(column), font_(column->DefaultFont()) {
  font_.OnChange = [this] { FontChanged(); };
}

TTzColumnTitle::~TTzColumnTitle() = default;

vz::TAlignment TTzColumnTitle::Alignment() const {
  return (column_->AssignedValues() & cvTitleAlignment) ? alignment_ : DefaultAlignment();
}

void TTzColumnTitle::SetAlignment(vz::TAlignment alignment) {
  if ((column_->AssignedValues() & cvTitleAlignment) && alignment == alignment_) return;
  alignment_ = alignment;
  column_->AddAssigned(cvTitleAlignment);
  column_->ReportChange(false);
}

std::string TTzColumnTitle::Caption() const {
  return (column_->AssignedValues() & cvTitleCaption) ? caption_ : DefaultCaption();
}

std::string TTzColumnTitle::DefaultCaption() const {
  vz::TTzField* field = column_->Field();
  return field ? field->FieldName() : column_->FieldName();
}

void TTzColumnTitle::SetCaption(const std::string& caption) { StoreCaption(caption); }

void TTzColumnTitle::StoreCaption(const std::string& caption) {
  if ((column_->AssignedValues() & cvTitleCaption) && caption == caption_) return;
  caption_ = caption;
  column_->AddAssigned(cvTitleCaption);
  column_->ReportChange(false);
}

TColor TTzColumnTitle::Color() const {
  return (column_->AssignedValues() & cvTitleColor) ? color_ : DefaultColor();
}

TColor TTzColumnTitle::DefaultColor() const {
  TCustomTzGrid* grid = column_->Grid();
  return grid ? grid->FixedColor() : clBtnFace;
}

void TTzColumnTitle::SetColor(TColor color) {
  if ((column_->AssignedValues() & cvTitleColor) && color == color_) return;
  color_ = color;
  column_->AddAssigned(cvTitleColor);
  column_->ReportChange(false);
}

const TFont& TTzColumnTitle::DefaultFont() const {
  TCustomTzGrid* grid = column_->Grid();
  return grid ? grid->TitleFont() : column_->Font();
}

TFont& TTzColumnTitle::Font() {
  RefreshDefaultFont();
  return font_;
}

void TTzColumnTitle::SetFont(const TFont& font) { font_.Assign(font); }

void TTzColumnTitle::FontChanged() {
  column_->AddAssigned(cvTitleFont);
  column_->ReportChange(false);
}

void TTzColumnTitle::RefreshDefaultFont() {
  if (column_->AssignedValues() & cvTitleFont) return;
  const TFont& source = DefaultFont();
  if (&source == &font_ || font_.SameAs(source)) return;
  TFont::ScopedSilence quiet(font_);
  font_.Assign(source);
}

bool TTzColumnTitle::IsAlignmentStored() const {
  return (column_->AssignedValues() & cvTitleAlignment) && alignment_ != DefaultAlignment();
}

bool TTzColumnTitle::IsCaptionStored() const {
  return (column_->AssignedValues() & cvTitleCaption) && caption_ != DefaultCaption();
}

bool TTzColumnTitle::IsColorStored() const {
  return (column_->AssignedValues() & cvTitleColor) && color_ != DefaultColor();
}

bool TTzColumnTitle::IsFontStored() const { return column_->AssignedValues() & cvTitleFont; }

void TTzColumnTitle::Assign(const TTzColumnTitle& source) {
  const TTzColumnValues given = source.column_->AssignedValues();
  if (given & cvTitleAlignment) SetAlignment(source.alignment_);
  if (given & cvTitleColor) SetColor(source.color_);
  if (given & cvTitleCaption) SetCaption(source.caption_);
  if (given & cvTitleFont) SetFont(source.font_);
}

void TTzColumnTitle::RestoreDefaults() {
  const bool font_given = column_->AssignedValues() & cvTitleFont;
  column_->DropAssigned(kTitleValues);
  caption_.clear();
  RefreshDefaultFont();
  column_->ReportChange(font_given);
}

void TPassthroughColumnTitle::SetCaption(const std::string& caption) {
  // The grid's own columns are titled by their fields; a caption counts
  // only while a field is shown.
  TCustomTzGrid* grid = Column()->Grid();
  if (grid && grid->DataLink()->Active() && Column()->Field()) StoreCaption(caption);
}

// ---- TTzColumn ---------------------------------------------------------------------

TTzColumn::TTzColumn(TTzGridColumns* columns) : vz::TCollectionItem(columns) {}

void TTzColumn::Init() {
  drop_down_rows_ = 7;
  button_style_ = cbsAuto;
  {
    TFont::ScopedSilence quiet(font_);
    font_.Assign(DefaultFont());
  }
  font_.OnChange = [this] { FontChanged(); };
  title_ = CreateTitle();
  title_->RefreshDefaultFont();
}

TTzColumn::~TTzColumn() {
  // Leave the list while still whole: the layout that follows the removal
  // walks the remaining columns.
  TCustomTzGrid* grid = Grid();
  try {
    SetCollection(nullptr);
  } catch (...) {
    // The layout failed; let it run again from the event loop, where its
    // error can be shown.
    if (grid) grid->DeferLayout();
  }
}

std::unique_ptr<TTzColumnTitle> TTzColumn::CreateTitle() { return std::make_unique<TTzColumnTitle>(this); }

TTzGridColumns* TTzColumn::Columns() const { return static_cast<TTzGridColumns*>(Collection()); }

TCustomTzGrid* TTzColumn::Grid() const {
  TTzGridColumns* columns = Columns();
  return columns ? columns->Grid() : nullptr;
}

void TTzColumn::Bind(vz::TTzField* field) {
  field_ = field;
  // The grid must hear when the field goes, to unbind it.
  if (field) {
    if (TCustomTzGrid* grid = Grid()) grid->FreeNotification(field);
  }
}

vz::TTzField* TTzColumn::Field() {
  if (!field_ && !field_name_.empty()) {
    TCustomTzGrid* grid = Grid();
    vz::TTzDataSet* ds = grid ? grid->DataLink()->DataSet() : nullptr;
    // Binding on a read only fills in the field: no defaults are restored
    // and no layout is asked for, since painting reads here.
    if (ds && ds->Active()) Bind(ds->FindField(field_name_));
  }
  return field_;
}

void TTzColumn::SetField(vz::TTzField* field) {
  if (field == field_) return;
  Bind(field);
  if (field) field_name_ = field->FieldName();
}

void TTzColumn::SetFieldName(const std::string& name) {
  vz::TTzField* found = nullptr;
  TCustomTzGrid* grid = Grid();
  vz::TTzDataSet* ds = grid ? grid->DataLink()->DataSet() : nullptr;
  if (ds && !grid->Loading() && !name.empty()) found = ds->FindField(name);
  field_name_ = name;
  SetField(found);
  AddAssigned(cvFieldName);
  ReportChange(false);
}

TColor TTzColumn::DefaultColor() const {
  TCustomTzGrid* grid = Grid();
  return grid ? grid->Color() : clWindow;
}

TColor TTzColumn::Color() const { return (assigned_ & cvColor) ? color_ : DefaultColor(); }

void TTzColumn::SetColor(TColor color) {
  if ((assigned_ & cvColor) && color == color_) return;
  color_ = color;
  assigned_ |= cvColor;
  ReportChange(false);
}

const TFont& TTzColumn::DefaultFont() const {
  TCustomTzGrid* grid = Grid();
  return grid ? grid->Font() : font_;
}

TFont& TTzColumn::Font() {
  RefreshDefaultFont();
  return font_;
}

void TTzColumn::SetFont(const TFont& font) { font_.Assign(font); }

void TTzColumn::FontChanged() {
  assigned_ |= cvFont;
  if (title_) title_->RefreshDefaultFont();
  ReportChange(false);
}

void TTzColumn::RefreshDefaultFont() {
  if (assigned_ & cvFont) return;
  const TFont& source = DefaultFont();
  if (&source == &font_ || font_.SameAs(source)) return;
  TFont::ScopedSilence quiet(font_);
  font_.Assign(source);
}

int TTzColumn::DefaultWidth() {
  TCustomTzGrid* grid = Grid();
  if (!grid) return kNoGridWidth;
  vz::TTzField* field = Field();
  if (!field) return grid->DefaultColWidth();
  // Qt's fonts have no overhang: the width is the digits' advance, taken
  // unrounded, since a rounded digit width times 40 is pixels off.
  const QFontMetricsF metrics(Font().ToQFont());
  int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0')) * field->DisplayWidth())) +
              kTextMargin;
  if (grid->Options() & dgTitles) {
    const QFontMetricsF title(Title().Font().ToQFont());
    const qreal caption = title.horizontalAdvance(QString::fromStdString(Title().Caption()));
    width = std::max(width, static_cast<int>(std::ceil(caption)) + kTextMargin);
  }
  return width;
}

int TTzColumn::Width() { return (assigned_ & cvWidth) ? width_ : DefaultWidth(); }

void TTzColumn::SetWidth(int width) { StoreWidth(width); }

void TTzColumn::StoreWidth(int width) {
  if (!(assigned_ & cvWidth) && width == DefaultWidth()) {
    ReportChange(false);
    return;
  }
  width_ = width;
  assigned_ |= cvWidth;
  ReportChange(false);
}

vz::TAlignment TTzColumn::Alignment() const {
  return (assigned_ & cvAlignment) ? alignment_ : vz::taLeftJustify;
}

void TTzColumn::SetAlignment(vz::TAlignment alignment) {
  if ((assigned_ & cvAlignment) && alignment == alignment_) return;
  alignment_ = alignment;
  assigned_ |= cvAlignment;
  ReportChange(false);
}

bool TTzColumn::ReadOnly() const { return (assigned_ & cvReadOnly) ? read_only_ : false; }

void TTzColumn::SetReadOnly(bool read_only) {
  if ((assigned_ & cvReadOnly) && read_only == read_only_) return;
  read_only_ = read_only;
  assigned_ |= cvReadOnly;
  ReportChange(false);
}

vz::TStrings& TTzColumn::PickList() {
  if (!pick_list_) pick_list_ = std::make_unique<vz::TStrings>();
  return *pick_list_;
}

void TTzColumn::SetPickList(const vz::TStrings* list) {
  if (!list) {
    pick_list_.reset();
    return;
  }
  PickList() = *list;
}

void TTzColumn::SetDropDownRows(int rows) { drop_down_rows_ = rows; }

void TTzColumn::SetButtonStyle(TTzColumnButtonStyle style) {
  if (style == button_style_) return;
  button_style_ = style;
  ReportChange(false);
}

bool TTzColumn::IsColorStored() const { return (assigned_ & cvColor) && color_ != DefaultColor(); }
bool TTzColumn::IsWidthStored() { return (assigned_ & cvWidth) && width_ != DefaultWidth(); }
bool TTzColumn::IsFontStored() const { return assigned_ & cvFont; }
bool TTzColumn::IsAlignmentStored() const { return (assigned_ & cvAlignment) && alignment_ != vz::taLeftJustify; }
bool TTzColumn::IsReadOnlyStored() const { return (assigned_ & cvReadOnly) && read_only_; }

void TTzColumn::Assign(const TTzColumn& source) {
  TTzGridColumns* columns = Columns();
  if (columns) columns->BeginUpdate();
  try {
    RestoreDefaults();
    SetFieldName(source.field_name_);
    const TTzColumnValues given = source.assigned_;
    if (given & cvColor) SetColor(source.color_);
    if (given & cvWidth) SetWidth(source.width_);
    if (given & cvFont) SetFont(source.font_);
    if (given & cvAlignment) SetAlignment(source.alignment_);
    if (given & cvReadOnly) SetReadOnly(source.read_only_);
    title_->Assign(*source.title_);
    SetDropDownRows(source.drop_down_rows_);
    SetButtonStyle(source.button_style_);
    SetPickList(source.pick_list_.get());
  } catch (...) {
    if (columns) columns->EndUpdate();
    throw;
  }
  if (columns) columns->EndUpdate();
}

void TTzColumn::RestoreDefaults() {
  const bool font_given = assigned_ & cvFont;
  title_->RestoreDefaults();
  assigned_ = 0;
  RefreshDefaultFont();
  pick_list_.reset();
  SetButtonStyle(cbsAuto);
  ReportChange(font_given);
}

// ---- TPassthroughColumn ------------------------------------------------------------

std::unique_ptr<TTzColumnTitle> TPassthroughColumn::CreateTitle() {
  return std::make_unique<TPassthroughColumnTitle>(this);
}

void TPassthroughColumn::SetField(vz::TTzField* field) {
  TTzColumn::SetField(field);
  if (!field) SetFieldNameOnly(std::string());
  RestoreDefaults();
}

void TPassthroughColumn::SetWidth(int width) {
  TCustomTzGrid* grid = Grid();
  vz::TTzField* field = BoundField();
  if (grid && grid->HasWindow() && field && grid->UpdateFieldsFlag()) {
    // The field remembers the width in characters of the column font, so a
    // later layout makes the column as wide again.
    const QFontMetrics metrics(Font().ToQFont());
    const int average = metrics.averageCharWidth();
    if (average > 0) field->SetDisplayWidth((width + average / 2 - 3) / average);
  }
  if (grid && grid->LayoutFromDataSet() && !(AssignedValues() & cvWidth)) return;
  TTzColumn::SetWidth(width);
}

void TPassthroughColumn::SetAlignment(vz::TAlignment alignment) {
  TCustomTzGrid* grid = Grid();
  if (grid && grid->DataLink()->Active() && BoundField()) return;
  TTzColumn::SetAlignment(alignment);
}

void TPassthroughColumn::SetIndex(int index) {
  TCustomTzGrid* grid = Grid();
  if (grid && grid->DataLink()->Active()) {
    // The grid's own columns follow the fields' order: move the field.
    vz::TTzField* target = grid->DataLink()->Fields(index);
    vz::TTzField* field = BoundField();
    if (target && field) field->SetIndex(target->Index());
  }
  TTzColumn::SetIndex(index);
}

// ---- TTzGridColumns ----------------------------------------------------------------

TTzGridColumns::TTzGridColumns(TCustomTzGrid* grid, TTzColumnClass column_class)
    : vz::TCollection([this](vz::TCollection*) { return Make(column_class_); }),
      grid_(grid),
      column_class_(column_class) {}

TTzGridColumns::~TTzGridColumns() {
  // The columns go while the list is whole, and tell no grid.
  grid_ = nullptr;
  BeginUpdate();
  while (Count() > 0) delete Items(Count() - 1);
}

TTzColumn* TTzGridColumns::Make(TTzColumnClass column_class) {
  TTzColumn* column = column_class == TTzColumnClass::kPassthroughColumn ? new TPassthroughColumn(this)
                                                                           : new TTzColumn(this);
  column->Init();
  return column;
}

TTzColumn* TTzGridColumns::Add() {
  // The grid's layout waits until the column is whole.
  LayoutHold hold(grid_);
  TTzColumn* column = Make(column_class_);
  hold.Release();
  return column;
}

TPassthroughColumn* TTzGridColumns::AddPassthrough() {
  LayoutHold hold(grid_);
  auto* column = static_cast<TPassthroughColumn*>(Make(TTzColumnClass::kPassthroughColumn));
  hold.Release();
  return column;
}

TTzColumnsState TTzGridColumns::State() const {
  if (Count() > 0 && !dynamic_cast<TPassthroughColumn*>(Items(0))) return csCustomized;
  return csDefault;
}

void TTzGridColumns::Assign(const TTzGridColumns& source) {
  if (&source == this) return;
  LayoutHold hold(grid_);
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < source.Count(); ++i) Add()->Assign(*source.Items(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  hold.Release();
}

void TTzGridColumns::RestoreDefaults() {
  LayoutHold hold(grid_);
  for (int i = 0; i < Count(); ++i) Items(i)->RestoreDefaults();
  hold.Release();
}

void TTzGridColumns::Update(vz::TCollectionItem* item) {
  (void)item;
  if (grid_ && !grid_->Loading()) grid_->LayoutChanged();
}

// ---- the stored column list --------------------------------------------------------

namespace {

enum class Key { kColumn, kColor, kWidth, kFont, kAlignment, kReadOnly, kTitleColor, kTitleCaption,
                 kTitleAlignment, kTitleFont, kFieldName };

struct KeyName {
  Key key;
  std::string_view name;
};

constexpr std::array<KeyName, 11> kKeys{{
    {Key::kColumn, "cvColumn"},
    {Key::kColor, "cvColorStr"},
    {Key::kWidth, "cvWidthStr"},
    {Key::kFont, "cvFontStr"},
    {Key::kAlignment, "cvAlignmentStr"},
    {Key::kReadOnly, "cvReadOnlyStr"},
    {Key::kTitleColor, "cvTitleColorStr"},
    {Key::kTitleCaption, "cvTitleCaptionStr"},
    {Key::kTitleAlignment, "cvTitleAlignmentStr"},
    {Key::kTitleFont, "cvTitleFontStr"},
    {Key::kFieldName, "cvFieldNameStr"},
}};

// The line without the characters up to 32 at either end.
std::string_view StripLine(std::string_view line) {
  size_t start = 0;
  size_t end = line.size();
  while (start < end && static_cast<unsigned char>(line[start]) <= 32) ++start;
  while (end > start && static_cast<unsigned char>(line[end - 1]) <= 32) --end;
  return line.substr(start, end - start);
}

vz::TAlignment AlignmentOf(std::string_view text) {
  const std::string word = vz::ToUpperAscii(vz::TrimBoth(text));
  if (word == "TARIGHTJUSTIFY") return vz::taRightJustify;
  if (word == "TACENTER") return vz::taCenter;
  return vz::taLeftJustify;
}

// Applies a font text "name,colour,number" to a copy of `font`: the name;
// the colour only when it is a colour identifier; size number mod 256 and
// the styles of number / 256. Without a comma nothing changes; with one,
// only the name.
void ApplyFontText(std::string_view text, TFont& font) {
  const size_t first = text.find(',');
  if (first == std::string_view::npos) return;
  TFont made(font);
  const std::string name = vz::TrimBoth(text.substr(0, first));
  const std::string_view rest = text.substr(first + 1);
  const size_t second = rest.find(',');
  if (second == std::string_view::npos) {
    made.SetName(name);
  } else {
    const int32_t number = StrToInt(rest.substr(second + 1));
    made.SetName(name);
    TColor color;
    if (IdentToColor(vz::TrimBoth(rest.substr(0, second)), &color)) made.SetColor(color);
    made.SetSize(number % 256);
    made.SetStyle(static_cast<TFontStyles>((number / 256) & (fsBold | fsItalic | fsUnderline | fsStrikeOut)));
  }
  font.Assign(made);
}

}  // namespace

void TCustomTzGrid::ReadSavedColumns(const vz::TStrings& lines) {
  TTzGridColumns* columns = Columns();
  if (columns->Count() == 1) {
    // A blank column nobody set up is the default one: the list replaces it.
    TTzColumn* only = columns->Items(0);
    if (!only->Field() && only->FieldName().empty() && only->Title().Caption().empty()) delete only;
  }
  LayoutHold hold(this);
  columns->BeginUpdate();
  try {
    TTzColumn* current = nullptr;
    int last = -1;
    for (const std::string& raw : lines) {
      const std::string_view line = StripLine(raw);
      Key key = Key::kColumn;
      std::string_view value = line;
      for (const KeyName& k : kKeys) {
        if (line.size() > k.name.size() && line.substr(0, k.name.size()) == k.name &&
            line[k.name.size()] == '=') {
          key = k.key;
          value = line.substr(k.name.size() + 1);
          break;
        }
      }
      if (key == Key::kColumn) {
        const int number = StrToInt(value);
        for (; last < number; ++last) current = columns->Add();
        continue;
      }
      if (!current) continue;  // before the first column
      switch (key) {
        case Key::kColor: current->SetColor(StringToColor(value)); break;
        case Key::kWidth: current->SetWidth(StrToInt(value)); break;
        case Key::kFont: ApplyFontText(value, current->Font()); break;
        case Key::kAlignment: current->SetAlignment(AlignmentOf(value)); break;
        case Key::kReadOnly: current->SetReadOnly(vz::ToUpperAscii(value) == "TRUE"); break;
        case Key::kTitleColor: current->Title().SetColor(StringToColor(value)); break;
        case Key::kTitleCaption: current->Title().SetCaption(std::string(value)); break;
        case Key::kTitleAlignment: current->Title().SetAlignment(AlignmentOf(value)); break;
        case Key::kTitleFont: ApplyFontText(value, current->Title().Font()); break;
        case Key::kFieldName: current->SetFieldName(std::string(value)); break;
        case Key::kColumn: break;
      }
    }
  } catch (...) {
    columns->EndUpdate();
    throw;
  }
  columns->EndUpdate();
  hold.Release();
}
