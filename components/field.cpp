// TTzField: values as text, memo lines, display and typing rules.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "components/dataset.h"
#include "components/dataset_p.h"
#include "components/messages.h"
#include "engine/codepage.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "engine/real48.h"
#include "engine/textutil.h"
#include "platform/datefmt.h"

namespace vz {

namespace {

int32_t LoadInt32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StoreInt32(uint8_t* p, int32_t v) { std::memcpy(p, &v, sizeof v); }

// The counted text of a slot, never past the slot's end.
std::string_view CountedText(const uint8_t* p, int data_size) {
  int n = std::min<int>(p[0], data_size - 1);
  return std::string_view(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(std::max(n, 0)));
}

void StoreCounted(uint8_t* p, int data_size, std::string_view text) {
  size_t room = static_cast<size_t>(data_size - 1);
  size_t n = std::min(text.size(), room);
  p[0] = static_cast<uint8_t>(n);
  std::memcpy(p + 1, text.data(), n);
  std::memset(p + 1 + n, ' ', room - n);
}

// The blank date of the short date format ("  /  /  ").
std::string BlankDate() {
  std::string blank = plat::ShortDatePattern();
  for (char& c : blank) {
    if (c == 'd' || c == 'M' || c == 'y') c = ' ';
  }
  return blank;
}

std::string FormatNumber(double value, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string text(buf, r.ptr);
  // A negative value that rounds to zero shows as zero.
  if (!text.empty() && text[0] == '-' &&
      text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  if (auto dot = text.find('.'); dot != std::string::npos) text[dot] = DecimalSeparator();
  return text;
}

// Reads a number as typed: optional sign, digits, one decimal point ("." or
// the national separator). Blank is 0. False when it is no number.
bool ParseNumber(std::string_view typed, bool integer, double* out) {
  std::string text = TrimBoth(typed);
  if (text.empty()) {
    *out = 0;
    return true;
  }
  for (char& c : text) {
    if (c == DecimalSeparator()) c = '.';
  }
  size_t start = (text[0] == '+') ? 1 : 0;
  if (start == text.size()) return false;
  if (integer) {
    int64_t v = 0;
    auto r = std::from_chars(text.data() + start, text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    *out = static_cast<double>(v);
    return true;
  }
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == start))) return false;
  }
  double v = 0;
  auto r = std::from_chars(text.data() + start, text.data() + text.size(), v, std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
  *out = v;
  return true;
}

// A numeric value is a 6-byte real when it takes 6 bytes, an int32 otherwise.
bool RealSlot(const TTzField::Private& f) { return f.data_size == 6; }

}  // namespace

int TTzField::DataSizeFor(char data_type, int size, int decimals) {
  switch (data_type) {
    case 'C': return size + 1;
    case 'D': return 11;
    case 'F':
    case 'N': return decimals > 0 ? 6 : 4;
    case 'L': return 1;
    case 'M': return 4;
    default: return 0;
  }
}

TTzField::TTzField(TTzDataSet* owner, const std::string& field_name, char data_type, int size,
                   int decimals, uint8_t* value, int value_size)
    : TComponent(owner), d_(std::make_unique<Private>()) {
  d_->data_set = owner;
  d_->field_name = field_name;
  d_->data_type = data_type;
  // One length byte counts a text: keep the slot within what it can count.
  if (data_type == 'C') size = std::clamp(size, 1, 255);
  d_->size = size;
  d_->decimals = decimals;
  d_->data_size = value_size > 0 ? value_size : DataSizeFor(data_type, size, decimals);
  if (value) {
    d_->value = value;
  } else {
    d_->own_value.assign(static_cast<size_t>(std::max(d_->data_size, 1)), 0);
    d_->value = d_->own_value.data();
  }
}

TTzField::~TTzField() {
  // Watchers (a grid's columns) must still see a field, so tell them now.
  NotifyRemoval();
  if (TTzDataSet* ds = d_->data_set) {
    auto& list = ds->d_->fields;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TTzDataSet* TTzField::DataSet() const { return d_->data_set; }
const std::string& TTzField::FieldName() const { return d_->field_name; }
char TTzField::DataType() const { return d_->data_type; }
int TTzField::Size() const { return d_->size; }
int TTzField::Decimals() const { return d_->decimals; }
int TTzField::DataSize() const { return d_->data_size; }
uint16_t TTzField::Offset() const { return d_->offset; }
uint8_t* TTzField::Value() const { return d_->value; }
bool TTzField::Calculated() const { return d_->calculated; }
void TTzField::SetCalculated(bool on) { d_->calculated = on; }
bool TTzField::IsTableField() const { return d_->table_field; }
void TTzField::SetIsTableField(bool on) { d_->table_field = on; }
bool TTzField::Visible() const { return d_->visible; }
void TTzField::SetVisible(bool on) { d_->visible = on; }
bool TTzField::ReadOnly() const { return d_->read_only; }
void TTzField::SetReadOnly(bool on) { d_->read_only = on; }
TAlignment TTzField::Alignment() const { return d_->alignment; }

namespace {

// Where a field's value is read: the active row while the window holds
// rows (except while calculated fields are computed from the fetched
// record), else the field buffer.
const uint8_t* ReadPlace(const TTzField::Private& f, const TTzDataSet::Private* ds) {
  if (ds && f.offset != 0 && ds->state != dsInactive && ds->state != dsCalcFields &&
      ds->record_count > 0 && !ds->buffers.empty()) {
    return ds->Row(ds->active) + f.offset;
  }
  return f.value;
}

}  // namespace

void TTzField::SetAlignment(TAlignment alignment) {
  if (d_->alignment == alignment) return;
  d_->alignment = alignment;
  if (d_->data_set && d_->data_set->Active()) d_->data_set->DataEvent(deLayoutChange, 0);
}

int TTzField::Index() const {
  if (!d_->data_set) return -1;
  const auto& list = d_->data_set->d_->fields;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TTzField::SetIndex(int index) {
  TTzDataSet* ds = d_->data_set;
  if (!ds) return;
  auto& list = ds->d_->fields;
  int now = Index();
  if (now < 0) return;
  int count = static_cast<int>(list.size());
  index = std::clamp(index, 0, count - 1);
  if (index == now) return;
  list.erase(list.begin() + now);
  list.insert(list.begin() + index, this);
  if (ds->Active()) {
    ds->DataEvent(deLayoutChange, 0);
    ds->DataEvent(deFieldListChange, 0);
  }
}

std::string TTzField::AsString() const {
  const uint8_t* p = ReadPlace(*d_, d_->data_set ? d_->data_set->d_.get() : nullptr);
  switch (d_->data_type) {
    case 'C':
      return TrimRight(OemToUtf8(CountedText(p, d_->data_size)));
    case 'D':
      return std::string(CountedText(p, d_->data_size));
    case 'F':
    case 'N':
      if (RealSlot(*d_)) return FormatNumber(Real48::Load(p).ToDouble(), d_->decimals);
      return NumberText(LoadInt32(p));
    case 'L':
      return std::string(qp::LoadStr(p[0] ? qp::StrId::kTextTrue : qp::StrId::kTextFalse));
    case 'M': {
      int32_t block = LoadInt32(p);
      if (block > 0) return std::string(qp::LoadStr(qp::StrId::kMemoValue));
      if (block < 0) return std::string(qp::LoadStr(qp::StrId::kBlobValue));
      return std::string(qp::LoadStr(qp::StrId::kNoMemoValue));
    }
    default:
      return {};
  }
}

void TTzField::SetAsString(std::string_view text) {
  uint8_t* p = d_->value;
  switch (d_->data_type) {
    case 'C': {
      std::string oem = Utf8ToOem(text);
      // One byte per character in the table's code page: the cut never
      // splits a character.
      if (oem.size() > static_cast<size_t>(std::max(d_->size, 0))) oem.resize(static_cast<size_t>(d_->size));
      StoreCounted(p, d_->data_size, oem);
      break;
    }
    case 'D': {
      std::string trimmed = TrimBoth(text);
      if (trimmed.size() <= 4) {
        // Nothing but separators: the blank date.
        StoreCounted(p, d_->data_size, BlankDate());
        break;
      }
      std::replace(trimmed.begin(), trimmed.end(), ' ', '0');
      int y = 0, m = 0, d = 0;
      if (!plat::ParseShortDate(trimmed, &y, &m, &d)) {
        ComponentError(qp::StrId::kInvalidDate, {std::string(text)});
      }
      StoreCounted(p, d_->data_size, plat::FormatShortDate(y, m, d));
      break;
    }
    case 'F':
    case 'N': {
      bool integer = !RealSlot(*d_);
      double v = 0;
      if (!ParseNumber(text, integer, &v)) ComponentError(qp::StrId::kInvalidNumber, {std::string(text)});
      if (integer) {
        if (v < INT32_MIN || v > INT32_MAX) ComponentError(qp::StrId::kInvalidNumber, {std::string(text)});
        StoreInt32(p, static_cast<int32_t>(v));
      } else {
        Real48 r;
        if (!Real48::FromDouble(v, &r)) ComponentError(qp::StrId::kInvalidNumber, {std::string(text)});
        r.Store(p);
      }
      break;
    }
    case 'L': {
      std::string lower = ToLowerAscii(text);
      bool on = lower.find(qp::LoadStr(qp::StrId::kTextTrue)) != std::string::npos ||
                lower.find(qp::LoadStr(qp::StrId::kTextYes)) != std::string::npos ||
                lower.find(".t.") != std::string::npos;
      p[0] = on ? 1 : 0;
      break;
    }
    default:
      // Memo text goes through Lines; other types hold nothing to set.
      return;
  }
  TTzDataSet* ds = d_->data_set;
  if (!ds) return;
  // Calculated values belong to the row being fetched, which the fetch
  // copies itself; no event while computing.
  if (ds->d_->state == dsCalcFields) return;
  if (d_->offset != 0 && ds->d_->state != dsInactive && !ds->d_->buffers.empty()) {
    std::memcpy(ds->d_->ActiveRow() + d_->offset, p, static_cast<size_t>(d_->data_size));
  }
  ds->DataEvent(deFieldChange, FieldInfo(this));
}

const TStrings& TTzField::Lines() {
  if (!d_->lines) d_->lines = std::make_unique<TStrings>();
  TStrings& lines = *d_->lines;
  if (d_->data_type != 'M') {
    lines.clear();
    ComponentError(qp::StrId::kFieldTypeMismatch, {d_->field_name});
  }
  lines.clear();
  TTzDataSet* ds = d_->data_set;
  if (!ds || !ds->DataSource()) return lines;
  int32_t block = LoadInt32(ReadPlace(*d_, ds->d_.get()));
  TStrings oem;
  ds->DataSource()->GetMemo(block, oem);
  lines.reserve(oem.size());
  for (const std::string& line : oem) lines.push_back(OemToUtf8(line));
  return lines;
}

void TTzField::SetLines(const TStrings& lines) {
  if (d_->data_type != 'M') ComponentError(qp::StrId::kFieldTypeMismatch, {d_->field_name});
  // Converted apart first: `lines` may be this field's own Lines().
  TStrings converted;
  converted.reserve(lines.size());
  for (const std::string& line : lines) converted.push_back(Utf8ToOem(line));
  if (!d_->lines) d_->lines = std::make_unique<TStrings>();
  TStrings& own = *d_->lines;
  own = std::move(converted);
  TTzDataSet* ds = d_->data_set;
  if (!ds || !ds->DataSource()) return;
  ds->DataSource()->PutMemo(d_->field_name, own);
  if (d_->offset != 0 && ds->d_->state != dsInactive && !ds->d_->buffers.empty() &&
      ds->d_->state != dsCalcFields) {
    std::memcpy(ds->d_->ActiveRow() + d_->offset, d_->value, static_cast<size_t>(d_->data_size));
  }
  if (ds->d_->state != dsCalcFields) ds->DataEvent(deFieldChange, FieldInfo(this));
}

bool TTzField::IsBlob() const {
  if (d_->data_type != 'M') return false;
  return LoadInt32(ReadPlace(*d_, d_->data_set ? d_->data_set->d_.get() : nullptr)) < 0;
}

void TTzField::SetDisplayWidth(int characters) { d_->display_width = characters > 0 ? characters : 0; }

int TTzField::DisplayWidth() const {
  if (d_->display_width > 0) return d_->display_width;
  switch (d_->data_type) {
    case 'L': {
      size_t longest = 0;
      for (qp::StrId id : {qp::StrId::kTextTrue, qp::StrId::kTextFalse, qp::StrId::kTextYes,
                           qp::StrId::kTextNo}) {
        longest = std::max(longest, qp::LoadStr(id).size());
      }
      return static_cast<int>(longest);
    }
    case 'M':
      return 5;
    case 'D':
      // The stored size is 8, but with the century on a date takes 10.
      return static_cast<int>(plat::ShortDatePattern().size());
    default:
      return d_->size;
  }
}

bool TTzField::IsValidChar(char32_t c) const {
  bool digit = c >= U'0' && c <= U'9';
  switch (d_->data_type) {
    case 'F':
    case 'N':
      if (d_->decimals > 0) {
        return digit || c == U'+' || c == U'-' || c == U'.' ||
               c == static_cast<char32_t>(static_cast<unsigned char>(DecimalSeparator()));
      }
      return digit || c == U'+' || c == U'-';
    case 'D':
      return digit || c == static_cast<char32_t>(static_cast<unsigned char>(DateSeparator()));
    default:
      return true;
  }
}

void TTzField::DataChanged() {
  if (OnChange) OnChange(this);
}

}  // namespace vz
