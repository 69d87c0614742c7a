// The columns of the data grid (tzgrid.h): each shows one field with its own
// colour, font, width, alignment, read-only flag and title.
//
// Given and default values. Every value a column (or its title) shows is
// either given explicitly, which sets its bit in AssignedValues(), or taken
// from a default that follows the grid: the grid's Color, Font, TitleFont
// and FixedColor, the field's name for the caption, and DefaultWidth() for
// the width. Only given values are stored in a form (the Is...Stored()
// predicates), so a column nobody changed follows the grid. Setting a value
// equal to its default still makes it given, except the width, which stays
// a default when set to DefaultWidth().
//
//   bit  value                bit  value
//   0    colour               5    title colour
//   1    width                6    title caption
//   2    font                 7    title alignment
//   3    alignment            8    title font
//   4    read-only            9    field name
//
// Fonts. A column (title) owns a font object; while its font is not given,
// reading Font() first copies the default font into it when that changed,
// without counting the copy as a change. A change made through the font
// object itself (Font().SetSize(12)) makes the font given.
//
// Change reports. A column or title that changes reports it to its
// collection, which asks the grid for a layout (TCustomTzGrid::
// LayoutChanged) unless the grid is being loaded.
//
// Columns are made only by their collection (Add), which holds the grid's
// layout for the making, and freed by deleting them (or by the collection).
#ifndef QUILLPRINT_CONTROLS_GRIDCOLUMNS_H_
#define QUILLPRINT_CONTROLS_GRIDCOLUMNS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "components/collection.h"
#include "components/dataset.h"
#include "controls/graphics.h"

class TCustomTzGrid;
class TTzColumn;
class TTzGridColumns;

enum TTzColumnValue : uint16_t {
  cvColor = 1 << 0,
  cvWidth = 1 << 1,
  cvFont = 1 << 2,
  cvAlignment = 1 << 3,
  cvReadOnly = 1 << 4,
  cvTitleColor = 1 << 5,
  cvTitleCaption = 1 << 6,
  cvTitleAlignment = 1 << 7,
  cvTitleFont = 1 << 8,
  cvFieldName = 1 << 9,
};
using TTzColumnValues = uint16_t;

enum TTzColumnButtonStyle : uint8_t { cbsAuto, cbsEllipsis, cbsNone };

// Default: the grid made its columns itself, one TPassthroughColumn per
// visible field. Customized: designed columns, bound to fields by name.
enum TTzColumnsState : uint8_t { csDefault, csCustomized };

// Which columns a collection makes.
enum class TTzColumnClass : uint8_t { kColumn, kPassthroughColumn };

// ---- titles -------------------------------------------------------------------------

class TTzColumnTitle : public vz::TPersistent {
 public:
  explicit TTzColumnTitle(TTzColumn* column);
  ~TTzColumnTitle() override;

  TTzColumn* Column() const { return column_; }

  vz::TAlignment Alignment() const;
  void SetAlignment(vz::TAlignment alignment);
  // The given caption, else the bound field's name, else the column's
  // FieldName.
  std::string Caption() const;
  virtual void SetCaption(const std::string& caption);
  TColor Color() const;
  void SetColor(TColor color);
  TFont& Font();
  void SetFont(const TFont& font);

  vz::TAlignment DefaultAlignment() const { return vz::taLeftJustify; }
  std::string DefaultCaption() const;
  // The grid's FixedColor; clBtnFace without a grid.
  TColor DefaultColor() const;
  // The grid's TitleFont; the column's font without a grid.
  const TFont& DefaultFont() const;

  bool IsAlignmentStored() const;
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsFontStored() const;

  // Copies the values `source` holds explicitly (alignment, colour,
  // caption, font, in that order).
  void Assign(const TTzColumnTitle& source);
  // Forgets every given value of the title.
  virtual void RestoreDefaults();
  // Copies the default font in unless the font is given.
  void RefreshDefaultFont();

 protected:
  // Stores the caption as given (for subclasses that decide whether to).
  void StoreCaption(const std::string& caption);

 private:
  void FontChanged();

  TTzColumn* column_;
  std::string caption_;
  TColor color_ = clBtnFace;
  vz::TAlignment alignment_ = vz::taLeftJustify;
  TFont font_;
};

// The title of a column the grid made: its caption is the field's name and
// changes only while the grid shows a bound field.
class TPassthroughColumnTitle : public TTzColumnTitle {
 public:
  using TTzColumnTitle::TTzColumnTitle;
  void SetCaption(const std::string& caption) override;
};

// ---- columns ------------------------------------------------------------------------

class TTzColumn : public vz::TCollectionItem {
 public:
  ~TTzColumn() override;

  // The grid of the collection, or nullptr.
  TCustomTzGrid* Grid() const;
  TTzGridColumns* Columns() const;

  // The bound field. While none is bound and the grid's data set is open,
  // reading binds the field of FieldName (when the data set has one).
  vz::TTzField* Field();
  virtual void SetField(vz::TTzField* field);
  const std::string& FieldName() const { return field_name_; }
  // Binds the data set's field of that name (nullptr when it has none, or
  // while the grid loads); never fails.
  void SetFieldName(const std::string& name);

  TColor Color() const;
  void SetColor(TColor color);
  int Width();
  virtual void SetWidth(int width);
  vz::TAlignment Alignment() const;
  virtual void SetAlignment(vz::TAlignment alignment);
  bool ReadOnly() const;
  virtual void SetReadOnly(bool read_only);
  TFont& Font();
  void SetFont(const TFont& font);
  TTzColumnTitle& Title() { return *title_; }
  void SetTitle(const TTzColumnTitle& title) { title_->Assign(title); }

  // Kept and copied; the grid's editor offers no drop-down list.
  vz::TStrings& PickList();
  bool HasPickList() const { return pick_list_ != nullptr; }
  // nullptr frees the list.
  void SetPickList(const vz::TStrings* list);
  int DropDownRows() const { return drop_down_rows_; }
  void SetDropDownRows(int rows);
  TTzColumnButtonStyle ButtonStyle() const { return button_style_; }
  void SetButtonStyle(TTzColumnButtonStyle style);

  TTzColumnValues AssignedValues() const { return assigned_; }

  TColor DefaultColor() const;
  const TFont& DefaultFont() const;
  // 64 without a grid; the grid's default column width without a field;
  // else the field's display width in the column font's "0" plus 4 pixels,
  // or the title caption's width plus 4 when titles show and that is wider.
  int DefaultWidth();

  bool IsColorStored() const;
  bool IsWidthStored();
  bool IsFontStored() const;
  bool IsAlignmentStored() const;
  bool IsReadOnlyStored() const;

  // Takes the field name and the values `source` holds explicitly, then its
  // title, drop-down rows, button style and pick list.
  void Assign(const TTzColumn& source);
  // Forgets every given value, the pick list and the button style.
  virtual void RestoreDefaults();
  void RefreshDefaultFont();

 protected:
  friend class TTzGridColumns;
  friend class TTzColumnTitle;
  friend class TCustomTzGrid;
  explicit TTzColumn(TTzGridColumns* columns);
  // The second step of making a column: its font and title.
  void Init();
  virtual std::unique_ptr<TTzColumnTitle> CreateTitle();
  void StoreWidth(int width);
  void AddAssigned(TTzColumnValues bits) { assigned_ |= bits; }
  void DropAssigned(TTzColumnValues bits) { assigned_ &= static_cast<TTzColumnValues>(~bits); }
  void ReportChange(bool all_items) { Changed(all_items); }
  vz::TTzField* BoundField() const { return field_; }
  void SetFieldNameOnly(const std::string& name) { field_name_ = name; }
  void Bind(vz::TTzField* field);

 private:
  void FontChanged();

  vz::TTzField* field_ = nullptr;
  std::string field_name_;
  TColor color_ = clWindow;
  int width_ = 64;
  std::unique_ptr<TTzColumnTitle> title_;
  TFont font_;
  std::unique_ptr<vz::TStrings> pick_list_;
  int drop_down_rows_ = 7;
  TTzColumnButtonStyle button_style_ = cbsAuto;
  vz::TAlignment alignment_ = vz::taLeftJustify;
  bool read_only_ = false;
  TTzColumnValues assigned_ = 0;
};

// A column the grid made for a field of the data set. Its caption and
// alignment belong to the field while the grid shows it; sizing it with the
// mouse sets the field's display width; moving it moves the field.
class TPassthroughColumn : public TTzColumn {
 public:
  void SetField(vz::TTzField* field) override;
  void SetWidth(int width) override;
  void SetAlignment(vz::TAlignment alignment) override;
  void SetIndex(int index) override;

 protected:
  friend class TTzGridColumns;
  using TTzColumn::TTzColumn;
  std::unique_ptr<TTzColumnTitle> CreateTitle() override;
};

// ---- the column list ----------------------------------------------------------------

class TTzGridColumns : public vz::TCollection {
 public:
  TTzGridColumns(TCustomTzGrid* grid, TTzColumnClass column_class);
  ~TTzGridColumns() override;

  TCustomTzGrid* Grid() const { return grid_; }
  TTzColumnClass ColumnClass() const { return column_class_; }

  // A new column of the list's class at the end.
  TTzColumn* Add();
  // A new TPassthroughColumn at the end, whatever the list's class.
  TPassthroughColumn* AddPassthrough();
  TTzColumn* Items(int index) const { return static_cast<TTzColumn*>(vz::TCollection::Items(index)); }

  // Customized when the first column is a designed one, default otherwise.
  TTzColumnsState State() const;

  // Replaces the columns with copies of `source`'s, made of this list's
  // class.
  void Assign(const TTzGridColumns& source);
  void RestoreDefaults();

 protected:
  // Asks the grid for a layout (not while it loads).
  void Update(vz::TCollectionItem* item) override;

 private:
  friend class TCustomTzGrid;
  TTzColumn* Make(TTzColumnClass column_class);

  TCustomTzGrid* grid_;
  TTzColumnClass column_class_;
};

#endif  // QUILLPRINT_CONTROLS_GRIDCOLUMNS_H_
