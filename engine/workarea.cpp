// Work areas and record access: the work-area table, the field buffer and
// its conversions, navigation, Append and Replace, Peek and Poke, and the
// record reads and writes under all of them.
//
// How records are read. A shared table is read record by record, from the
// file, each time the engine moves to a record: another program may have
// rewritten it a moment ago. An exclusive table cannot change under us, so
// moves through it are served from a read-ahead block that grows while the
// reads run in one direction; a jump elsewhere reads just the record. Every
// write of our own goes through WriteThrough(), which patches the block, so
// the block always equals the file.
#include <algorithm>
#include <cstring>

#include "engine/dbf_p.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"

namespace vz {

namespace {

std::unique_ptr<TWorkArea> areas[kWorkAreas + 1];
int current_area = 1;
MemoManager memo_manager;
IndexManager index_manager;

constexpr size_t kFirstBlock = 16 * 1024;
constexpr size_t kLargestBlock = 256 * 1024;
// A forward jump this short still counts as reading in order (deleting
// every second record, say), so the block is worth reading.
constexpr int32_t kNearAhead = 8;

// The Peek cache: a block of consecutive records of one table.
struct PeekCache {
  const TWorkArea* owner = nullptr;
  int32_t first = 0;
  int32_t records = 0;
  uint16_t record_length = 0;
  std::vector<uint8_t> bytes;
};
PeekCache peek_cache;
constexpr size_t kPeekCacheLimit = 65520;

std::string FieldError(const char* op, int n) {
  return "Invalid field number. [" + std::string(op) + "(" + std::to_string(n) + ")]";
}

// Reads `n` bytes at `offset` of an exclusive table through its read-ahead.
int ReadAheadAt(TWorkArea& wa, int32_t record, int64_t offset, uint8_t* dst, size_t n,
                size_t* got) {
  ReadAhead& ra = wa.read_ahead;
  if (ra.valid > 0 && offset >= ra.start &&
      offset + static_cast<int64_t>(n) <= ra.start + static_cast<int64_t>(ra.valid)) {
    std::memcpy(dst, ra.bytes.data() + (offset - ra.start), n);
    *got = n;
    ra.last_record = record;
    return plat::kOk;
  }
  bool forward = ra.last_record > 0 && record > ra.last_record &&
                 record <= ra.last_record + kNearAhead;
  bool backward = ra.last_record > 0 && record == ra.last_record - 1;
  ra.last_record = record;
  if (!forward && !backward) {
    ra.next_size = 0;
    return wa.file.ReadAt(offset, dst, n, got);
  }
  size_t size = ra.next_size == 0 ? kFirstBlock : std::min(ra.next_size * 2, kLargestBlock);
  size = std::max(size, n);
  int64_t start = offset;
  if (backward) start = std::max<int64_t>(0, offset + static_cast<int64_t>(n) - static_cast<int64_t>(size));
  if (ra.bytes.size() < size) ra.bytes.resize(size);
  ra.valid = 0;
  size_t read = 0;
  int rc = wa.file.ReadAt(start, ra.bytes.data(), size, &read);
  if (rc != plat::kOk) {
    *got = 0;
    return rc;
  }
  ra.start = start;
  ra.valid = read;
  ra.next_size = size;
  int64_t have = start + static_cast<int64_t>(read) - offset;
  *got = have <= 0 ? 0 : std::min(n, static_cast<size_t>(have));
  if (*got > 0) std::memcpy(dst, ra.bytes.data() + (offset - start), *got);
  return plat::kOk;
}

void PastEnd(TWorkArea& wa, bool bof) {
  wa.record_number = wa.record_count + 1;
  wa.eof = true;
  wa.bof = bof;
  ClearBuffer(wa);
}

// Reads record n into both buffers and tells the index manager.
bool ReadInto(TWorkArea& wa, int32_t n) {
  if (!GetDbfRecord(wa, n)) return false;
  RecordToBuffer(wa);
  if (IndexActive() && index_manager.Positioned) index_manager.Positioned(n);
  return true;
}

int32_t NextRecord(TWorkArea& wa) {
  if (IndexActive()) return index_manager.Next ? index_manager.Next() : 0;
  return wa.record_number + 1;
}

int32_t PriorRecord(TWorkArea& wa) {
  if (IndexActive()) return index_manager.Prev ? index_manager.Prev() : 0;
  return wa.record_number - 1;
}

}  // namespace

// ---- the work-area table ----------------------------------------------------------

std::unique_ptr<TWorkArea>& SlotOf(int area) { return areas[area]; }

TWorkArea* WorkAreaAt(int area) {
  if (area < 1 || area > kWorkAreas) return nullptr;
  return areas[area].get();
}

TWorkArea* CurrentWorkArea() { return areas[current_area].get(); }

void SetCurrentArea(int area) { current_area = area; }

TWorkArea* Guard(const char* name) {
  TWorkArea* wa = areas[current_area].get();
  if (!wa) {
    SetError(215, "No database in use [" + std::string(name) + "]  WorkArea = " +
                      std::to_string(current_area));
  }
  return wa;
}

bool TWorkArea::HasRecordLock(int32_t n) const {
  if (lock_state == kLockWholeFile) return true;
  if (lock_state != kLockRecords) return false;
  for (const LockNode& node : locks) {
    if (node.record == n) return true;
  }
  return false;
}

void Select(int area) {
  ClearError();
  if (area >= 1 && area <= kUserWorkAreas) {
    current_area = area;
    return;
  }
  if (area == 0) {
    for (int i = 1; i <= kUserWorkAreas; ++i) {
      if (!areas[i]) {
        current_area = i;
        return;
      }
    }
    SetError(220, "No free workarea available [Select(0)]");
    return;
  }
  SetError(220, "Invalid workarea selected = [Select(" + std::to_string(area) + ")]");
}

int CurrentArea() { return current_area; }

void CloseAll() {
  for (int i = 1; i <= kUserWorkAreas; ++i) {
    if (areas[i]) CloseWorkArea(i);
  }
  current_area = 1;
}

void ShutdownEngine() {
  for (int i = 1; i <= kWorkAreas; ++i) {
    if (areas[i]) CloseWorkArea(i);
  }
  current_area = 1;
  peek_cache = PeekCache{};
}

void AbandonWorkAreas() {
  for (auto& slot : areas) slot.reset();
  current_area = 1;
  peek_cache = PeekCache{};
}

std::string Alias() {
  TWorkArea* wa = CurrentWorkArea();
  return wa ? wa->alias : std::string();
}

std::string DbfFileName() {
  TWorkArea* wa = CurrentWorkArea();
  return wa ? wa->file_name : std::string();
}

void SetMemoManager(MemoManager manager) { memo_manager = std::move(manager); }
const MemoManager& GetMemoManager() { return memo_manager; }
void SetIndexManager(IndexManager manager) { index_manager = std::move(manager); }
const IndexManager& GetIndexManager() { return index_manager; }

bool IndexActive() { return index_manager.IsActive && index_manager.IsActive(); }

// ---- lower layer ------------------------------------------------------------------

void RefreshCount(TWorkArea& wa) {
  if (!wa.Shared()) return;
  int64_t size = 0;
  if (wa.file.Size(&size) != plat::kOk) return;
  int64_t records = size <= wa.header_length ? 0 : (size - wa.header_length) / wa.record_length;
  wa.record_count = static_cast<int32_t>(std::min<int64_t>(records, INT32_MAX - 1));
}

void DropReadAhead(TWorkArea& wa) {
  wa.read_ahead.valid = 0;
  wa.read_ahead.last_record = 0;
  wa.read_ahead.next_size = 0;
}

int WriteThrough(TWorkArea& wa, int64_t offset, const void* data, size_t n) {
  size_t done = 0;
  int rc = wa.file.WriteAt(offset, data, n, &done);
  if (rc == plat::kOk && done < n) rc = plat::kDiskWriteError;
  ReadAhead& ra = wa.read_ahead;
  if (ra.valid > 0 && done > 0) {
    int64_t from = std::max(offset, ra.start);
    int64_t to = std::min(offset + static_cast<int64_t>(done), ra.start + static_cast<int64_t>(ra.valid));
    if (from < to) {
      std::memcpy(ra.bytes.data() + (from - ra.start),
                  static_cast<const uint8_t*>(data) + (from - offset), static_cast<size_t>(to - from));
    }
  }
  return rc;
}

bool GetDbfRecord(TWorkArea& wa, int32_t n) {
  if (n < 1 || n > wa.record_count) {
    SetError(212, "Invalid record number = " + std::to_string(n) + " (" + wa.file_name +
                      ")  [GetDbfRecord]");
    return false;
  }
  wa.eof = false;
  wa.bof = false;
  // The image is about to change: what was read from it no longer counts.
  wa.as_read_record = 0;
  int64_t offset = wa.RecordOffset(n);
  size_t got = 0;
  int rc = wa.exclusive ? ReadAheadAt(wa, n, offset, wa.record.data(), wa.record_length, &got)
                        : wa.file.ReadAt(offset, wa.record.data(), wa.record_length, &got);
  if (rc == plat::kOk && got < wa.record_length) rc = 213;
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "File:  " + wa.file_name + "  [GetDbfRecord]");
    return false;
  }
  wa.record_number = n;
  if (wa.decode) wa.decode(wa.record.data() + 1, wa.record.size() - 1);
  return true;
}

bool PutDbfRecord(TWorkArea& wa, int32_t n) {
  bool append = n > wa.record_count;
  if (append) {
    if (wa.record_count >= INT32_MAX - 1) {
      SetError(212, "Invalid record number = " + std::to_string(n) + " (" + wa.file_name +
                        ")  [PutDbfRecord]");
      return false;
    }
    n = wa.record_count + 1;
  }
  if (wa.encode) wa.encode(wa.record.data() + 1, wa.record.size() - 1);
  int rc = WriteThrough(wa, wa.RecordOffset(n), wa.record.data(), wa.record_length);
  // The Peek cache holds the file's bytes, so it takes the image as it went
  // out, before the decode hook makes it readable again.
  if (rc == plat::kOk) UpdatePeekCache(wa, n, 0, wa.record.data(), wa.record.size());
  if (wa.decode) wa.decode(wa.record.data() + 1, wa.record.size() - 1);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "File:  " + wa.file_name + " [Replace/Append/PutDbfRecord]");
    return false;
  }
  // The count grows only once the record is in the file: a failed append
  // must not leave a hole that the next append would skip over.
  if (append) {
    wa.record_count = n;
    wa.record_number = n;
    wa.file_state = kAppended;
  } else if (wa.file_state != kAppended) {
    wa.file_state = kRewritten;
  }
  if (Settings().FlushOnWrite) {
    if (append) {
      FlushDbf(wa.area);
    } else {
      CommitFile(wa);
    }
    return ErrorCode() == 0;
  }
  return true;
}

void RecordToBuffer(TWorkArea& wa) {
  const uint8_t* rec = wa.record.data();
  uint8_t* buf = wa.field_buffer;
  buf[0] = rec[0] == '*' ? 1 : 0;
  for (const FieldPlan& f : wa.plan) DecodeField(f, rec, buf + f.slot_offset);
  wa.as_read.assign(buf, buf + wa.buffer_size);
  wa.as_read_record = wa.record_number;
}

bool SlotAsRead(const TWorkArea& wa, size_t index) {
  if (wa.as_read_record == 0 || wa.as_read_record != wa.record_number || wa.as_read.size() != wa.buffer_size) {
    return false;
  }
  const FieldPlan& f = wa.plan[index];
  const size_t end = index + 1 < wa.plan.size() ? wa.plan[index + 1].slot_offset : wa.buffer_size;
  return std::memcmp(wa.field_buffer + f.slot_offset, wa.as_read.data() + f.slot_offset, end - f.slot_offset) == 0;
}

void BufferToRecord(TWorkArea& wa, bool keep_unchanged) {
  uint8_t* rec = wa.record.data();
  const uint8_t* buf = wa.field_buffer;
  keep_unchanged = keep_unchanged && wa.as_read_record != 0 && wa.as_read_record == wa.record_number &&
                   wa.as_read.size() == wa.buffer_size;
  if (!keep_unchanged || buf[0] != wa.as_read[0]) rec[0] = buf[0] ? '*' : ' ';
  for (size_t i = 0; i < wa.plan.size(); ++i) {
    if (keep_unchanged && SlotAsRead(wa, i)) continue;
    EncodeField(wa.plan[i], buf + wa.plan[i].slot_offset, rec);
  }
}

void ClearBuffer(TWorkArea& wa) {
  uint8_t* buf = wa.field_buffer;
  buf[0] = 0;
  for (const FieldPlan& f : wa.plan) BlankField(f, buf + f.slot_offset);
}

bool Visible(TWorkArea& wa) {
  if (Settings().HideDeleted && wa.record[0] == '*') return false;
  if (wa.filter) return wa.filter();
  return true;
}

void RunRelation(TWorkArea& wa) {
  if (wa.relation) {
    auto relation = wa.relation;
    relation();
  }
}

void DropPeekCache(const TWorkArea& wa) {
  if (peek_cache.owner == &wa) peek_cache = PeekCache{};
}

void UpdatePeekCache(const TWorkArea& wa, int32_t r, size_t offset, const void* data, size_t n) {
  if (peek_cache.owner != &wa || r < peek_cache.first || r >= peek_cache.first + peek_cache.records) {
    return;
  }
  size_t at = static_cast<size_t>(r - peek_cache.first) * peek_cache.record_length + offset;
  if (at + n <= peek_cache.bytes.size()) std::memcpy(peek_cache.bytes.data() + at, data, n);
}

// ---- field access -----------------------------------------------------------------

void ClearRecord() {
  TWorkArea* wa = Guard("ClearRecord");
  if (wa) ClearBuffer(*wa);
}

uint8_t FieldCount() {
  TWorkArea* wa = Guard("FieldCount()");
  return wa ? wa->field_count : 0;
}

namespace {
const TFieldEntry* FieldEntry(const char* guard, const char* op, int n) {
  TWorkArea* wa = Guard(guard);
  if (!wa) return nullptr;
  if (n < 1 || n > wa->field_count) {
    SetError(220, FieldError(op, n));
    return nullptr;
  }
  return &wa->fields[static_cast<size_t>(n - 1)];
}
}  // namespace

char FieldType(int n) {
  const TFieldEntry* f = FieldEntry("FieldType()", "FieldType", n);
  return f ? f->type : ' ';
}

uint8_t FieldLen(int n) {
  const TFieldEntry* f = FieldEntry("FieldLen()", "FieldLen", n);
  if (!f) return 0;
  if (f->type == 'D') return CenturyOn() ? 10 : 8;
  return f->length;
}

uint8_t FieldDec(int n) {
  const TFieldEntry* f = FieldEntry("FieldDec()", "FieldDec", n);
  return f ? f->decimals : 0;
}

std::string Field(int n) {
  const TFieldEntry* f = FieldEntry("Field()", "Field", n);
  return f ? f->Name() : std::string();
}

int FieldNo(std::string_view name) {
  TWorkArea* wa = Guard("FieldNo()");
  if (!wa) return 0;
  std::string want(name.substr(0, 10));
  while (!want.empty() && static_cast<unsigned char>(want.back()) <= 32) want.pop_back();
  for (char& c : want) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (size_t i = 0; i < wa->fields.size(); ++i) {
    // Other programs may store names in lower case.
    std::string have = wa->fields[i].Name();
    for (char& c : have) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (have == want) return static_cast<int>(i + 1);
  }
  return 0;
}

uint8_t* FieldAddress(int n) {
  TWorkArea* wa = Guard("FieldAddress()");
  if (!wa) return nullptr;
  if (n == 0) return wa->field_buffer;
  if (n < 0 || n > wa->field_count) {
    SetError(220, FieldError("FieldAddress", n));
    return nullptr;
  }
  return wa->field_buffer + wa->plan[static_cast<size_t>(n - 1)].slot_offset;
}

bool GetFieldEntry(int n, TFieldEntry* entry) {
  const TFieldEntry* f = FieldEntry("GetFieldEntry()", "GetFieldEntry", n);
  if (f) *entry = *f;
  return f != nullptr;
}

uint16_t FieldBufferSize() {
  TWorkArea* wa = Guard("FieldBufferSize()");
  return wa ? wa->buffer_size : 0;
}

std::string_view RecordImage() {
  TWorkArea* wa = Guard("RecordImage()");
  if (!wa) return {};
  return std::string_view(reinterpret_cast<const char*>(wa->record.data()), wa->record.size());
}

bool Deleted() {
  TWorkArea* wa = Guard("Deleted");
  return wa ? wa->field_buffer[0] != 0 : false;
}

int32_t RecCount() {
  TWorkArea* wa = Guard("RecCount");
  if (!wa) return 0;
  RefreshCount(*wa);
  return wa->record_count;
}

int32_t RecNo() {
  TWorkArea* wa = Guard("RecNo");
  return wa ? wa->record_number : 0;
}

uint16_t RecSize() {
  TWorkArea* wa = Guard("RecSize");
  return wa ? wa->record_length : 0;
}

bool dEOF() {
  TWorkArea* wa = Guard("dEOF");
  if (!wa) return true;
  RefreshCount(*wa);
  if (wa->record_number > wa->record_count) wa->eof = true;
  if (IndexActive() && index_manager.Eof) return index_manager.Eof();
  return wa->eof;
}

bool dBOF() {
  TWorkArea* wa = Guard("dBOF");
  if (!wa) return true;
  if (IndexActive() && index_manager.Bof) return index_manager.Bof();
  return wa->bof;
}

// ---- navigation -------------------------------------------------------------------

void GoTop() {
  TWorkArea* wa = Guard("GoTop");
  if (!wa) return;
  ClearError();
  if (wa->record_count < 1) return;
  int32_t first = IndexActive() ? (index_manager.First ? index_manager.First() : 0) : 1;
  if (first < 1 || first > wa->record_count) {
    PastEnd(*wa, false);
  } else {
    if (!ReadInto(*wa, first)) return;
    while (!Visible(*wa) && !wa->eof) {
      int32_t next = NextRecord(*wa);
      if (next < 1 || next > wa->record_count) {
        PastEnd(*wa, false);
        break;
      }
      if (!ReadInto(*wa, next)) return;
    }
  }
  RunRelation(*wa);
}

void GoBottom() {
  TWorkArea* wa = Guard("GoBottom");
  if (!wa) return;
  ClearError();
  RefreshCount(*wa);
  if (wa->record_count < 1) return;
  int32_t last = IndexActive() ? (index_manager.Last ? index_manager.Last() : 0) : wa->record_count;
  if (last < 1 || last > wa->record_count) {
    PastEnd(*wa, true);
  } else {
    if (!ReadInto(*wa, last)) return;
    while (!Visible(*wa)) {
      int32_t prior = PriorRecord(*wa);
      if (prior < 1 || prior > wa->record_count) {
        PastEnd(*wa, true);
        break;
      }
      if (!ReadInto(*wa, prior)) return;
    }
  }
  RunRelation(*wa);
}

void GO(int32_t n) {
  TWorkArea* wa = Guard("GO()");
  if (!wa) return;
  ClearError();
  if (n > wa->record_count) RefreshCount(*wa);
  auto invalid = [&] {
    SetError(212, "Invalid record number = " + std::to_string(n) + " Database \"" + wa->file_name +
                      "\" [GO]");
  };
  if (wa->record_count < 1) {
    wa->eof = true;
    wa->bof = true;
    ClearBuffer(*wa);
    invalid();
    return;
  }
  wa->eof = false;
  wa->bof = false;
  if (n >= 1 && n <= wa->record_count) {
    if (!ReadInto(*wa, n)) return;
  } else {
    wa->record_number = wa->record_count + 1;
    wa->eof = true;
    invalid();
    return;
  }
  RunRelation(*wa);
}

void SKIP(int32_t n) {
  TWorkArea* wa = Guard("SKIP()");
  if (!wa) return;
  ClearError();
  if (n == 0) {
    if (wa->record_count > 0 && !wa->eof) {
      ReadInto(*wa, wa->record_number);
    } else {
      ClearBuffer(*wa);
    }
    return;
  }
  if (n > 0 && wa->eof) {
    SetError(212, "Database \"" + wa->file_name + "\" is past EOF. [SKIP]");
    return;
  }
  if (wa->record_count < 1) {
    wa->eof = true;
    wa->bof = true;
    SetError(212, "Database \"" + wa->file_name + "\" is empty. [SKIP]");
    return;
  }
  if (n < 0 && wa->bof) return;
  wa->eof = false;
  wa->bof = false;
  const bool forward = n > 0;
  const int64_t wanted = forward ? int64_t{n} : -int64_t{n};
  int64_t steps = 0;
  bool hit_end = false;
  bool condition_false = false;
  int32_t last_visible = 0;
  while (steps < wanted) {
    int32_t next;
    if (forward) {
      RefreshCount(*wa);
      next = NextRecord(*wa);
      if (next < 1 || next > wa->record_count) {
        hit_end = true;
        break;
      }
    } else {
      next = PriorRecord(*wa);
      if (next < 1 || next > wa->record_count) {
        hit_end = true;
        break;
      }
    }
    if (!ReadInto(*wa, next)) return;
    bool visible = Visible(*wa);
    if (wa->while_condition && !wa->while_condition()) {
      condition_false = true;
      break;
    }
    if (visible) {
      ++steps;
      if (!forward) last_visible = next;
    }
  }
  if (hit_end) {
    if (forward) {
      PastEnd(*wa, false);
    } else {
      GoTop();
      wa->bof = true;
    }
  } else if (condition_false) {
    if (forward) {
      wa->eof = true;
    } else if (last_visible > 0) {
      if (!ReadInto(*wa, last_visible)) return;
      wa->bof = true;
    } else {
      PastEnd(*wa, true);
    }
  }
  RunRelation(*wa);
}

// ---- writing ----------------------------------------------------------------------

namespace {

// Whether every memo pointer about to be written fits its field. Another
// program's table may give a memo field fewer than 10 characters; a block
// number wider than that would be stored as asterisks and the record would
// lose its note, so the write is refused with code 201 instead. With
// `keep_unchanged` (Replace) a slot that still holds what was read keeps its
// stored bytes and needs no room.
bool MemoPointersFit(const TWorkArea& wa, bool keep_unchanged, const char* operation) {
  for (size_t i = 0; i < wa.plan.size(); ++i) {
    const FieldPlan& f = wa.plan[i];
    if (f.kind != FieldKind::kMemo || (keep_unchanged && SlotAsRead(wa, i))) continue;
    const int32_t block = SlotInt32(wa.field_buffer + f.slot_offset);
    const std::string digits = std::to_string(block);
    if (block != 0 && digits.size() > f.length) {
      SetError(201, "Value out of range: " + wa.fields[i].Name() + " = " + digits + " [" + operation + "]");
      return false;
    }
  }
  return true;
}

}  // namespace

void Append() {
  TWorkArea* wa = Guard("Append");
  if (!wa) return;
  ClearError();
  if (wa->Shared() && wa->lock_state != kLockFile) {
    SetError(5, "File must be locked to append: " + wa->file_name + " [APPEND]");
    return;
  }
  if (!MemoPointersFit(*wa, false, "APPEND")) return;
  RefreshCount(*wa);
  BufferToRecord(*wa);
  if (IndexActive() && index_manager.PrepareAppend) index_manager.PrepareAppend();
  if (PutDbfRecord(*wa, wa->record_count + 1)) {
    // Still under the file lock, so the count is exact: one write of the
    // header's first bytes keeps it true for every reader.
    if (wa->Shared()) {
      StampHeader(*wa);
      int rc = WriteThrough(*wa, 0, wa->header, 8);
      if (rc != plat::kOk) SetError(static_cast<uint16_t>(rc), "File:  " + wa->file_name + " [WriteDbfHeader]");
    }
    RecordToBuffer(*wa);
    if (IndexActive() && index_manager.AddKeys) index_manager.AddKeys();
  }
  wa->eof = false;
  wa->bof = false;
  RunRelation(*wa);
}

void Replace() {
  TWorkArea* wa = Guard("Replace");
  if (!wa) return;
  ClearError();
  if (wa->record_number < 1) {
    SetError(212, "Database \"" + wa->file_name + "\" is empty. [REPLACE]");
    return;
  }
  if (wa->record_number > wa->record_count) {
    SetError(212, "Database \"" + wa->file_name + "\" is at EOF. [REPLACE]");
    return;
  }
  if (wa->Shared() && !wa->HasRecordLock(wa->record_number)) {
    SetError(1200, "Record #" + std::to_string(wa->record_number) + " in " + wa->file_name +
                       " [REPLACE]");
    return;
  }
  if (!MemoPointersFit(*wa, true, "REPLACE")) return;
  const int32_t n = wa->record_number;
  const bool keys = IndexActive() && (!index_manager.MaintainKeys || index_manager.MaintainKeys());
  if (keys) {
    if (wa->swap.size() < wa->buffer_size) {
      SetError(254, wa->file_name + " Swap-buffer NIL. [REPLACE]");
      return;
    }
    std::memcpy(wa->swap.data(), wa->field_buffer, wa->buffer_size);
    if (GetDbfRecord(*wa, n)) RecordToBuffer(*wa);
    if (index_manager.RemoveKeys) index_manager.RemoveKeys();
    std::memcpy(wa->field_buffer, wa->swap.data(), wa->buffer_size);
  }
  // Keep the stored image: should the write fail half-way, putting it back
  // leaves the record as it was rather than torn.
  std::vector<uint8_t> stored = wa->record;
  BufferToRecord(*wa, true);
  if (PutDbfRecord(*wa, n)) {
    RecordToBuffer(*wa);
    if (keys && index_manager.AddKeys) index_manager.AddKeys();
  } else {
    if (wa->encode) wa->encode(stored.data() + 1, stored.size() - 1);
    WriteThrough(*wa, wa->RecordOffset(n), stored.data(), stored.size());
    if (wa->decode) wa->decode(stored.data() + 1, stored.size() - 1);
    wa->record = std::move(stored);
  }
  RunRelation(*wa);
}

// ---- hooks ------------------------------------------------------------------------

void SetFilterCallback(std::function<bool()> filter) {
  TWorkArea* wa = Guard("SetFilter");
  if (wa) wa->filter = std::move(filter);
}

void SetWhileCallback(std::function<bool()> condition) {
  TWorkArea* wa = Guard("SetWhile");
  if (wa) wa->while_condition = std::move(condition);
}

void SetRelationCallback(std::function<void()> relation) {
  TWorkArea* wa = Guard("SetRelation");
  if (wa) wa->relation = std::move(relation);
}

void Set_While_To(std::string_view) {
  TWorkArea* wa = Guard("Set_While_To");
  if (!wa) return;
  SetError(220, "TZParser unit not linked in. [Set_While_To]");
}

bool IsWhileOn() {
  TWorkArea* wa = Guard("IsWhileOn");
  return wa && static_cast<bool>(wa->while_condition);
}

bool WhileHolds() {
  TWorkArea* wa = Guard("WhileHolds");
  return wa && (!wa->while_condition || wa->while_condition());
}

// ---- Peek and Poke ----------------------------------------------------------------

std::string Peek(int n, int32_t r) {
  TWorkArea* wa = Guard("Peek");
  if (!wa) return std::string();
  ClearError();
  if (n < 0 || n > wa->field_count || r < 1 || r > wa->record_count) return std::string();
  size_t offset = n == 0 ? 0 : wa->fields[static_cast<size_t>(n - 1)].offset;
  size_t length = n == 0 ? 1 : wa->fields[static_cast<size_t>(n - 1)].length;
  auto failed = [&](int rc) {
    SetError(static_cast<uint16_t>(rc), "DBF: " + wa->file_name + " [Peek(" + std::to_string(n) +
                                            "," + std::to_string(r) + ")]");
    return std::string();
  };
  const size_t size = std::min<size_t>(Settings().PeekCacheSize, kPeekCacheLimit);
  if (size == 0) {
    std::string text(length, '\0');
    size_t got = 0;
    int rc = wa->file.ReadAt(wa->RecordOffset(r) + static_cast<int64_t>(offset), text.data(), length, &got);
    if (rc == plat::kOk && got == 0) rc = plat::kDiskReadError;
    if (rc != plat::kOk) return failed(rc);
    text.resize(got);
    return text;
  }
  const size_t rl = wa->record_length;
  if (size < rl) return std::string();
  if (peek_cache.owner != wa || r < peek_cache.first || r >= peek_cache.first + peek_cache.records) {
    peek_cache = PeekCache{};
    int64_t records = std::min<int64_t>(static_cast<int64_t>(size / rl), int64_t{wa->record_count} - r + 1);
    std::vector<uint8_t> bytes(static_cast<size_t>(records) * rl);
    size_t got = 0;
    int rc = wa->file.ReadAt(wa->RecordOffset(r), bytes.data(), bytes.size(), &got);
    if (rc == plat::kOk && got < rl) rc = plat::kDiskReadError;
    if (rc != plat::kOk) return failed(rc);
    bytes.resize(got / rl * rl);
    peek_cache.owner = wa;
    peek_cache.first = r;
    peek_cache.records = static_cast<int32_t>(got / rl);
    peek_cache.record_length = static_cast<uint16_t>(rl);
    peek_cache.bytes = std::move(bytes);
  }
  size_t at = static_cast<size_t>(r - peek_cache.first) * rl + offset;
  return std::string(reinterpret_cast<const char*>(peek_cache.bytes.data() + at), length);
}

void Poke(std::string_view text, int n, int32_t r) {
  TWorkArea* wa = Guard("Poke");
  if (!wa) return;
  ClearError();
  auto where = [&] {
    return "[Poke(" + std::string(text) + "," + std::to_string(n) + "," + std::to_string(r) + ")]";
  };
  if (wa->Shared() && !wa->HasRecordLock(r)) {
    SetError(1200, "Record not locked " + where());
    return;
  }
  if (n < 0 || n > wa->field_count || r < 1 || r > wa->record_count) return;
  size_t offset = n == 0 ? 0 : wa->fields[static_cast<size_t>(n - 1)].offset;
  size_t length = n == 0 ? 1 : wa->fields[static_cast<size_t>(n - 1)].length;
  size_t count = std::min(text.size(), length);
  if (count == 0) return;
  int rc = WriteThrough(*wa, wa->RecordOffset(r) + static_cast<int64_t>(offset), text.data(), count);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "DBF: " + wa->file_name + " " + where());
    return;
  }
  if (wa->file_state != kAppended) wa->file_state = kRewritten;
  UpdatePeekCache(*wa, r, offset, text.data(), count);
  // The record image stays what the file holds (the field buffer is the
  // caller's business until the record is read again).
  if (r == wa->record_number && !wa->encode) std::memcpy(wa->record.data() + offset, text.data(), count);
}

}  // namespace vz
