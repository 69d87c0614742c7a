// TTzDbf: the table component a form places. Naming the file, creating the
// table from its field list, opening and closing it with the data set,
// the alias rule for the component's name, and the index list.
#include <algorithm>
#include <charconv>

#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "components/tzdbf_p.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/settings.h"
#include "engine/textutil.h"
#include "platform/file.h"

namespace vz {

namespace {

constexpr size_t kAliasLength = 10;
constexpr size_t kMaxFieldName = 10;
constexpr size_t kMaxKeyLength = 100;
constexpr uint16_t kRangeCheckError = 201;
constexpr uint16_t kInvalidParameter = 220;

class BusyScope {
 public:
  explicit BusyScope(bool* flag) : flag_(flag), saved_(*flag) { *flag_ = true; }
  ~BusyScope() { *flag_ = saved_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool* flag_;
  bool saved_;
};

std::vector<std::string> SplitCommas(std::string_view line, size_t max_parts) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < max_parts) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) break;
    parts.push_back(TrimBoth(line.substr(start, comma - start)));
    start = comma + 1;
  }
  parts.push_back(TrimBoth(line.substr(start)));
  return parts;
}

// A whole decimal number of 0..255; false for anything else.
bool ParseSmall(const std::string& text, int* value) {
  int v = -1;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || v < 0 || v > 255) return false;
  *value = v;
  return true;
}

// One DbfFields line checked against the field rules (the limits hold for
// N and C fields only). False when it breaks one (the caller stops the
// program); *skip for a type X line.
bool ParseFieldLine(const std::string& line, TFieldEntry* entry, bool* skip) {
  std::vector<std::string> parts = SplitCommas(line, 4);
  std::string name = parts[0];
  if (name.size() > kMaxFieldName) name.resize(kMaxFieldName);
  char type = parts[1].empty() ? ' ' : ToUpperAscii(parts[1].substr(0, 1))[0];
  *skip = type == 'X';
  if (*skip) return true;
  int length = 0;
  int decimals = 0;
  if (!ParseSmall(parts[2], &length) || !ParseSmall(parts[3], &decimals)) return false;
  switch (type) {
    case 'C':
      if (length > 254) return false;
      break;
    case 'N':
      if (length > 19 || decimals > 15 || (decimals > 0 && length < decimals + 2)) return false;
      break;
    case 'F':  // other programs give floating fields widths of their own
    case 'D':
    case 'L':
    case 'M':
      break;
    default:
      return false;
  }
  *entry = TFieldEntry::Make(name, type, length, decimals);
  return true;
}

// ---- the index engine -----------------------------------------------------------------
// NDX indexes are not part of this program. These stand where its
// operations would be called; each fails through the engine error state.

struct IndexLine {
  int mode = 0;
  std::string file;
  std::string key;
};

bool ParseIndexLine(const std::string& line, IndexLine* out) {
  std::vector<std::string> parts = SplitCommas(line, 3);
  if (parts.size() != 3 || parts[1].empty()) return false;
  auto r = std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), out->mode);
  if (r.ec != std::errc() || r.ptr != parts[0].data() + parts[0].size()) return false;
  out->file = parts[1];
  out->key = parts[2].substr(0, std::min(parts[2].size(), kMaxKeyLength));
  return true;
}

void IndexUnitMissing() { SetError(kInvalidParameter, "Index unit not linked in. [OpenIndexes]"); }
void OpenIndexFile(const IndexLine&) { IndexUnitMissing(); }
void MakeIndexFile(const IndexLine&) { IndexUnitMissing(); }
void CloseIndexFiles() {}

}  // namespace

TTzDbf::TTzDbf(TComponent* owner) : TTzODbf(owner), e_(std::make_unique<Private>()) {
  if (TTzSession* s = Session()) s->Add(this);
  e_->ready = !Loading();
}

TTzDbf::~TTzDbf() {
  NotifyRemoval();
  SetTableActive(false);
  if (TTzSession* s = Session()) s->Remove(this);
  if (TTzDataSet* ds = DataSet()) ds->DestroyFields();
}

// ---- properties ----------------------------------------------------------------------

void TTzDbf::SetName(const std::string& name) {
  std::string wanted = TrimBoth(name);
  if (wanted.empty()) {
    ComponentWarning(qp::StrId::kNameEmpty);
    return;
  }
  const std::string old = Name();
  TTzODbf::SetName(wanted);
  // The first 10 characters become the table's alias, which the engine
  // requires to be unique among the open tables.
  TTzSession* s = Session();
  if (s && s->FindByAlias(wanted, this)) {
    ComponentWarning(qp::StrId::kAliasNotUnique);
    TTzODbf::SetName(old);
  }
}

const std::string& TTzDbf::DbfFileName() const { return e_->file_name; }

void TTzDbf::SetDbfFileName(std::string_view name) {
  if (e_->busy) return;
  std::string file = TrimBoth(name);
  if (file.empty()) {
    e_->file_name.clear();
    SetActive(false);
    return;
  }
  // A name ending in "." asks for a file without extension.
  if (file.back() != '.') file = DefaultExtension(file, "dbf");
  e_->file_name = file;
  Reopen();
}

bool TTzDbf::Exclusive() const { return e_->exclusive; }

void TTzDbf::SetExclusive(bool on) {
  if (e_->busy || on == e_->exclusive) return;
  e_->exclusive = on;
  Reopen();
}

bool TTzDbf::CreateIfNotFound() const { return e_->create_if_not_found; }
void TTzDbf::SetCreateIfNotFound(bool on) { e_->create_if_not_found = on; }
TCreateIndexType TTzDbf::CreateIndex() const { return e_->create_index; }
void TTzDbf::SetCreateIndex(TCreateIndexType type) { e_->create_index = type; }
TStrings& TTzDbf::DbfFields() { return e_->dbf_fields; }
const TStrings& TTzDbf::DbfFields() const { return e_->dbf_fields; }
TStrings& TTzDbf::IndexList() { return e_->index_list; }
const TStrings& TTzDbf::IndexList() const { return e_->index_list; }

// ---- activating ----------------------------------------------------------------------

bool TTzDbf::Active() const {
  if (!Designing() && e_->ready) return e_->actual_active;
  return e_->requested_active;
}

void TTzDbf::SetActive(bool active) {
  if (Loading()) {
    e_->requested_active = active;
    if (active) e_->stream_active = true;
    return;
  }
  if (!Designing() && !e_->ready) {
    e_->requested_active = active;
    return;
  }
  SetTableActive(active);
  if (TTzDataSet* ds = DataSet()) ds->SetActive(e_->actual_active);
  if (Designing()) {
    // The designer shows the fields from the snapshot; the file is not
    // kept open.
    e_->requested_active = e_->actual_active;
    SetTableActive(false);
  }
}

void TTzDbf::Loaded() {
  TTzODbf::Loaded();
  e_->ready = true;
  if (e_->stream_active) {
    e_->stream_active = false;
    SetActive(true);
    return;
  }
  TTzDataSet* ds = DataSet();
  if (Designing()) {
    if (ds) ds->SetActive(e_->requested_active);
    return;
  }
  SetTableActive(e_->requested_active);
  if (ds) ds->SetActive(e_->actual_active);
}

void TTzDbf::Reopen() {
  if (e_->busy || !Active()) return;
  SetActive(false);
  SetActive(true);
}

void TTzDbf::SetTableActive(bool active) {
  if (!Designing() && !e_->ready) return;
  if ((active && e_->file_name.empty()) || e_->busy || e_->actual_active == active) return;
  if (!active) {
    CloseThisArea();
    e_->actual_active = false;
    return;
  }
  e_->actual_active = OpenTable();
  BusyScope busy(&e_->busy);
  TTzDataSet* ds = DataSet();
  if (!ds) return;
  if (ds->Active()) ds->Close();
  ds->DestroyFields();
  if (!e_->actual_active) return;
  try {
    const int count = FieldCount();
    for (int n = 1; n <= count; ++n) {
      // Each field copies its slot of the engine's buffer, whose size the
      // table's stored length and decimals decide, whatever the data set's
      // own rules make of them.
      uint8_t* slot = FieldAddress(n);
      uint8_t* next = n < count ? FieldAddress(n + 1) : FieldBuffer() + FieldBufferSize();
      TTzField* f = ds->AddField(ToLowerAscii(Field(n)), FieldType(n), FieldLen(n), FieldDec(n), slot,
                                 slot && next > slot ? static_cast<int>(next - slot) : 0);
      f->SetIsTableField(true);
    }
  } catch (...) {
    // A table whose fields the data set cannot take (a foreign file with
    // names it refuses) does not stay half open.
    CloseThisArea();
    ds->DestroyFields();
    e_->actual_active = false;
    throw;
  }
}

bool TTzDbf::OpenTable() {
  if (e_->busy) return false;
  BusyScope busy(&e_->busy);
  std::string command = e_->file_name;
  if (!Designing()) {
    if (!e_->file_name.empty() && e_->create_if_not_found && !plat::Exists(e_->file_name)) {
      if (!CreateTable()) ComponentWarning(qp::StrId::kCouldNotCreate, {e_->file_name});
    }
    if (e_->exclusive) command += " EXCLUSIVE";
  }
  command += " ALIAS " + Name().substr(0, std::min(Name().size(), kAliasLength));

  bool opened;
  {
    // Reporting stays as it is unless designing or at message level 1.
    ReportErrorsGuard reporting(Designing() || MessageLevel() == 1 ? false : ReportErrors());
    ValueRestorer<uint8_t> dbf_version(&Settings().ExtraDbfVersion);
    ValueRestorer<uint8_t> memo_version(&Settings().ExtraMemoVersion);
    Settings().ExtraDbfVersion = e_->dbf_version;
    Settings().ExtraMemoVersion = e_->memo_version;
    opened = Open(command);
  }
  if (opened) {
    if (Designing() || OpenIndexes()) return true;
    // Reported as not open, so it must not stay open holding its area.
    CloseThisArea();
    return false;
  }
  if (Designing()) {
    const std::string code = NumberText(ErrorCode());
    const std::string text = TakeMessage();
    ComponentWarning(qp::StrId::kCannotOpen, {command, code, text});
    ClearError();
  }
  return false;
}

// ---- creating ------------------------------------------------------------------------

bool TTzDbf::CreateTable() {
  if (e_->dbf_fields.empty()) {
    ComponentWarning(qp::StrId::kFieldListEmpty);
    return false;
  }
  std::vector<TFieldEntry> entries;
  for (const std::string& line : e_->dbf_fields) {
    if (std::count(line.begin(), line.end(), ',') != 3) return false;
    TFieldEntry entry;
    bool skip = false;
    if (!ParseFieldLine(line, &entry, &skip)) {
      // A field list that breaks the rules is a fault of the program, not
      // of the user's data: it stops the program whatever the switch says.
      SetErrorQuiet(kRangeCheckError, ComponentText(qp::StrId::kInvalidFieldDefinition, {line}));
      Report();
      return false;
    }
    if (!skip) entries.push_back(entry);
  }
  // A table without fields could not be opened again.
  if (entries.empty()) return false;
  ReportErrorsGuard quiet(false);
  ClearError();
  CreateDBF(e_->file_name, entries);
  return ErrorCode() == 0;
}

// ---- indexes -------------------------------------------------------------------------

bool TTzDbf::OpenIndexes() {
  if (e_->index_list.empty()) return true;
  if (!SelectArea("OpenIndexes")) return false;
  bool failed = false;
  {
    ReportErrorsGuard quiet(false);
    ClearError();
    std::vector<IndexLine> lines;
    for (const std::string& text : e_->index_list) {
      IndexLine line;
      if (!ParseIndexLine(text, &line)) {
        SetError(kInvalidParameter, "Invalid index definition '" + text + "' [OpenIndexes]");
        failed = true;
        break;
      }
      lines.push_back(line);
    }
    auto build = [this](const IndexLine& line) {
      ClearError();
      bool can_make = true;
      if (OnBeforeMakeIndex) OnBeforeMakeIndex(line.file, can_make);
      if (!can_make) return;
      MakeIndexFile(line);
      if (ErrorCode() != 0) return;
      if (OnAfterMakeIndex) OnAfterMakeIndex(line.file);
      OpenIndexFile(line);
    };
    auto repairable = [] {
      const uint16_t code = ErrorCode();
      return code == plat::kFileNotFound || code == 222 || code == 223;
    };
    for (size_t i = 0; !failed && i < lines.size(); ++i) {
      const IndexLine& line = lines[i];
      switch (e_->create_index) {
        case ciAlways:
          build(line);
          break;
        case ciNever:
          OpenIndexFile(line);
          break;
        case ciNotFound:
        case ciVerifyHeader:
          // Without an index engine no stored count can be compared, so
          // verifying the header comes down to opening the file.
          OpenIndexFile(line);
          if (repairable()) build(line);
          break;
      }
      if (ErrorCode() != 0) failed = true;
      CloseIndexFiles();
    }
    for (size_t i = 0; !failed && i < lines.size(); ++i) {
      OpenIndexFile(lines[i]);
      if (ErrorCode() != 0) failed = true;
    }
  }
  if (failed) {
    if (ReportErrors()) Report();
    return false;
  }
  return true;
}

}  // namespace vz
