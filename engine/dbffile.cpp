// Data files: creating them, opening them into work areas (USE), keeping the
// header up to date and closing them.
//
// A file from another program, or one damaged by a crash, is checked before
// anything is read by its numbers: the header length against the file, the
// field lengths against the record length, so that no later read or write
// can leave its buffer and no division meets a zero.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/dbf_p.h"
#include "engine/endian.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "engine/textutil.h"
#include "platform/datefmt.h"

namespace vz {

namespace {

uint64_t commit_ns = 0;

// Attempts, a millisecond apart, to get the file lock around a header
// update of a shared table. Another program holds it only for the moment of
// one append.
constexpr int kHeaderLockAttempts = 100;

bool ValidType(char t) {
  return t == 'C' || t == 'D' || t == 'F' || t == 'L' || t == 'M' || t == 'N';
}

std::string TodayText() {
  int y, m, d;
  plat::Today(&y, &m, &d);
  int yy = y >= 2000 ? y - 2000 : y - 1900;
  return TwoDigits(static_cast<unsigned>(m)) + "/" + TwoDigits(static_cast<unsigned>(d)) + "/" +
         TwoDigits(static_cast<unsigned>(yy % 100));
}

std::string AddressText(const void* p) {
  if (!p) return "nil";
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

void CloseAtExit() {
  // Closing now must never end the program a second time.
  SetReportErrors(false);
  SetRaiseEngineErrors(false);
  ShutdownEngine();
}

// The table in `area` (0: the current one), or nullptr after code 215.
TWorkArea* AreaOrGuard(int area, const char* name) {
  if (area == 0) return Guard(name);
  TWorkArea* wa = WorkAreaAt(area);
  if (!wa) {
    SetError(215, "No database in use [" + std::string(name) + "]  WorkArea = " + std::to_string(area));
  }
  return wa;
}

// Fills the conversion plan and the field-buffer slots from the field table.
// False when the slots would not fit the 16-bit buffer size.
bool PlanFields(TWorkArea& wa) {
  wa.plan.clear();
  uint32_t slot = 1;
  for (const TFieldEntry& e : wa.fields) {
    FieldPlan f;
    switch (e.type) {
      case 'C': f.kind = FieldKind::kChar; break;
      case 'D': f.kind = FieldKind::kDate; break;
      case 'L': f.kind = FieldKind::kLogical; break;
      case 'M': f.kind = FieldKind::kMemo; break;
      default: f.kind = e.decimals > 0 ? FieldKind::kReal : FieldKind::kInteger; break;
    }
    f.length = e.length;
    f.decimals = e.decimals;
    f.record_offset = e.offset;
    f.slot_offset = static_cast<uint16_t>(slot);
    slot += SlotSize(e.type, e.length, e.decimals);
    if (slot > 0xFFFF) return false;
    wa.plan.push_back(f);
  }
  wa.buffer_size = static_cast<uint16_t>(slot);
  return true;
}

// Opens the file into `wa` and reads its description (the open's steps up
// to the first record). On failure the file is closed and the error set.
bool OpenDbf(TWorkArea& wa, const std::string& name, int mode) {
  const EngineSettings& s = Settings();
  int rc = wa.file.Open(name, mode);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "Failure to open " + name + " [USE/OpenDbf]");
    return false;
  }
  wa.file_name = name;
  wa.file_mode = mode;
  wa.file.Identity(&wa.id);
  const std::string short_name = FileNameOf(name);
  auto fail = [&](uint16_t code, const std::string& message) {
    wa.file.Close();
    SetError(code, message);
    return false;
  };
  auto not_dbase = [&](const std::string& reason) {
    return fail(210, name + " is not a dBASE database. (" + reason + ") [USE/OpenDBF]");
  };

  uint8_t prolog[32];
  size_t got = 0;
  rc = wa.file.ReadAt(0, prolog, sizeof prolog, &got);
  if (rc != plat::kOk) return fail(static_cast<uint16_t>(rc), "Error reading " + name + " [Use/OpenDbf]");
  if (got < sizeof prolog) {
    return fail(210, name + " is not a dBASE database. (Prolog is less than 32 bytes) [USE/OpenDBF]");
  }
  const uint8_t version = prolog[0];
  bool accepted = (s.ExtraDbfVersion != 0 && version == s.ExtraDbfVersion) ||
                  (s.ExtraMemoVersion != 0 && version == s.ExtraMemoVersion) ||
                  (version & 7) == 2 || (version & 7) == 3;
  if (!accepted) {
    return fail(210, name + " is not a dBASE database.(Invalid version byte)+ [USE/OpenDBF]");
  }
  wa.dbase2 = s.ExtraDbfVersion == 0 && s.ExtraMemoVersion == 0 && (version & 7) == 2;
  std::memcpy(wa.header, prolog, sizeof prolog);
  int64_t size = 0;
  rc = wa.file.Size(&size);
  if (rc != plat::kOk) return fail(static_cast<uint16_t>(rc), "Error reading " + name + " [Use/OpenDbf]");

  std::vector<uint8_t> descriptors;
  size_t descriptor_size;
  size_t name_at = 0, type_at = 11, length_at, decimals_at;
  uint32_t count;
  int year, month, day;
  if (!wa.dbase2) {
    wa.has_memo = s.ExtraMemoVersion != 0 ? version == s.ExtraMemoVersion : (version & 0x80) != 0;
    count = Le32(prolog + 4);
    wa.header_length = Le16(prolog + 8);
    wa.record_length = Le16(prolog + 10);
    if (wa.header_length < 33 || wa.header_length > size) return not_dbase("Header length is out of range");
    wa.field_count = static_cast<uint8_t>((wa.header_length - 32) / 32);
    if (wa.field_count == 0) {
      return fail(210, short_name + " is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]");
    }
    descriptors.resize(wa.header_length - 32u);
    rc = wa.file.ReadAt(32, descriptors.data(), descriptors.size(), &got);
    if (rc == plat::kOk && got < descriptors.size()) rc = plat::kDiskReadError;
    if (rc != plat::kOk) return fail(static_cast<uint16_t>(rc), "Error reading " + name + " [Use/OpenDbf]");
    descriptor_size = 32;
    length_at = 16;
    decimals_at = 17;
    year = prolog[1];
    month = prolog[2];
    day = prolog[3];
  } else {
    wa.has_memo = false;
    count = Le16(prolog + 1);
    wa.record_length = Le16(prolog + 6);
    wa.header_length = kDbase2HeaderLength;
    if (size < kDbase2HeaderLength) {
      return fail(210, name + " is not a dBASE database.(Header is less than 521 bytes) [Use/OpenDBF]");
    }
    descriptors.resize(512);
    rc = wa.file.ReadAt(8, descriptors.data(), descriptors.size(), &got);
    if (rc == plat::kOk && got < descriptors.size()) rc = plat::kDiskReadError;
    if (rc != plat::kOk) return fail(static_cast<uint16_t>(rc), "Error reading " + name + " [Use/OpenDbf]");
    int fields = -1;
    for (int i = 0; i < 32; ++i) {
      if (descriptors[static_cast<size_t>(i) * 16] == kHeaderEnd) {
        fields = i;
        break;
      }
    }
    if (fields < 0) {
      return fail(210, short_name + " is not a dBASE database.(Number of fields is out of range) [Use/OpenDbf]");
    }
    wa.field_count = static_cast<uint8_t>(fields);
    descriptor_size = 16;
    length_at = 12;
    decimals_at = 15;
    month = prolog[3];
    day = prolog[4];
    year = prolog[5];
  }
  wa.last_update = TwoDigits(static_cast<unsigned>(month % 100)) + "/" +
                   TwoDigits(static_cast<unsigned>(day % 100)) + "/" +
                   TwoDigits(static_cast<unsigned>(year % 100));

  uint32_t offset = 1;
  wa.fields.clear();
  for (int i = 0; i < wa.field_count; ++i) {
    const uint8_t* d = descriptors.data() + static_cast<size_t>(i) * descriptor_size;
    size_t len = 0;
    while (len < 11 && d[name_at + len] != 0) ++len;
    std::string field_name(reinterpret_cast<const char*>(d + name_at), len);
    TFieldEntry e = TFieldEntry::Make(field_name, static_cast<char>(d[type_at]), d[length_at], d[decimals_at]);
    if (!ValidType(e.type)) {
      return fail(211, "Field: " + field_name + " [" + std::string(1, e.type) + "] in " + name +
                           " is not a valid field type");
    }
    if (e.length == 0) return not_dbase("Field length is zero");
    e.offset = static_cast<uint16_t>(std::min<uint32_t>(offset, 0xFFFF));
    offset += e.length;
    wa.fields.push_back(e);
  }
  // A longer record is fine (its extra bytes are ignored); a shorter one
  // would put fields outside the record.
  if (offset > wa.record_length) return not_dbase("Fields run past the record");
  if (!PlanFields(wa)) return not_dbase("Fields need too large a field buffer");

  wa.record.assign(wa.record_length, ' ');
  wa.file_state = kOpenClean;
  const int64_t whole_records = (size - wa.header_length) / wa.record_length;
  // A header may promise fewer records than the file holds (a crash before
  // the header was brought up to date; RecountOnOpen counts them), but never
  // more: records that are not there cannot be read, and an append after
  // them would leave a hole of nothing between.
  if (s.RecountOnOpen || count > whole_records) count = static_cast<uint32_t>(std::min<int64_t>(whole_records, UINT32_MAX));
  wa.record_count = static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX - 1));
  if (wa.record_count < 1) {
    wa.record_number = 0;
    wa.eof = true;
    wa.bof = true;
  } else {
    wa.record_number = 1;
    wa.eof = false;
    wa.bof = false;
  }
  return true;
}

// Splits a USE command into file name, alias and the exclusive wish. The
// keywords are found in any case; the file name keeps its own.
void ParseCommand(const std::string& command, std::string* file, std::string* alias, bool* exclusive) {
  std::string work = " " + command + " ";
  std::string upper = ToUpperAscii(work);
  *exclusive = false;
  // A whole word only: a folder called "exclusive_checks" is a name.
  for (size_t at; (at = upper.find(" EXCLUSIVE ")) != std::string::npos;) {
    *exclusive = true;
    work.erase(at, 10);
    upper.erase(at, 10);
  }
  alias->clear();
  size_t at = upper.find(" ALIAS ");
  if (at != std::string::npos) {
    std::string rest = TrimLeft(upper.substr(at + 7));
    *alias = rest.substr(0, rest.find(' '));
    if (alias->size() > 64) alias->resize(64);
    work.erase(at);
  }
  *file = TrimBoth(work);
}

}  // namespace

TFieldEntry TFieldEntry::Make(std::string_view name, char type, int length, int decimals) {
  TFieldEntry e;
  size_t n = std::min<size_t>(name.size(), 10);
  e.name_length = static_cast<uint8_t>(n);
  std::memcpy(e.name, name.data(), n);
  e.type = type;
  e.length = static_cast<uint8_t>(std::clamp(length, 0, 255));
  e.decimals = static_cast<uint8_t>(std::clamp(decimals, 0, 255));
  return e;
}

std::string MemoFileName(const std::string& table_file_name) {
  std::string ext = ExtensionOf(table_file_name);
  bool upper = ext != ToLowerAscii(ext) && ext == ToUpperAscii(ext);
  return ForceExtension(table_file_name, upper ? "DBT" : "dbt");
}

uint64_t CommitNanoseconds() { return commit_ns; }

int CommitFile(TWorkArea& wa) {
  auto start = std::chrono::steady_clock::now();
  int rc = wa.file.Sync();
  commit_ns += static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
  if (rc != plat::kOk) SetError(static_cast<uint16_t>(rc), "Unable to flush file [FlushFile]");
  return rc;
}

void StampHeader(TWorkArea& wa) {
  int y, m, d;
  plat::Today(&y, &m, &d);
  uint8_t* h = wa.header;
  const uint32_t count = static_cast<uint32_t>(std::max(wa.record_count, 0));
  if (!wa.dbase2) {
    h[1] = static_cast<uint8_t>((y - 1900) & 0xFF);
    h[2] = static_cast<uint8_t>(m);
    h[3] = static_cast<uint8_t>(d);
    PutLe32(h + 4, count);
  } else {
    PutLe16(h + 1, count);
    h[3] = static_cast<uint8_t>(m);
    h[4] = static_cast<uint8_t>(d);
    h[5] = static_cast<uint8_t>((y - 1900) & 0xFF);
  }
}

int WriteHeaderAndMark(TWorkArea& wa, bool end_mark) {
  // On a shared table another program may be appending: the count and the
  // end mark are taken under the file lock, or a record appended between
  // our count and our write would be hidden by a stale count and have its
  // first byte overwritten by the mark.
  bool took_lock = false;
  const bool shared = wa.Shared();
  if (shared && wa.lock_state != kLockFile) {
    for (int i = 0; i < kHeaderLockAttempts; ++i) {
      if (wa.file.Lock(kFileLockOffset, 1) == plat::kOk) {
        took_lock = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  const bool mark_safe = !shared || took_lock || wa.lock_state == kLockFile;
  RefreshCount(wa);
  StampHeader(wa);
  int rc = WriteThrough(wa, 0, wa.header, 8);
  if (rc == plat::kOk && end_mark && mark_safe) {
    const uint8_t mark = kEndOfFile;
    rc = WriteThrough(wa, wa.RecordOffset(int64_t{wa.record_count} + 1), &mark, 1);
  }
  if (took_lock) wa.file.Unlock(kFileLockOffset, 1);
  if (rc != plat::kOk) SetError(static_cast<uint16_t>(rc), "File:  " + wa.file_name + " [WriteDbfHeader]");
  return rc;
}

int CloseDbfFile(TWorkArea& wa) {
  int rc = plat::kOk;
  if (wa.file_state == kRewritten || wa.file_state == kAppended) {
    rc = WriteHeaderAndMark(wa, wa.file_state == kAppended);
  }
  if (wa.file.IsOpen()) {
    int closed = wa.file.Close();
    if (rc == plat::kOk) rc = closed;
  }
  wa.file_state = kClosed;
  wa.record.clear();
  wa.fields.clear();
  wa.plan.clear();
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "File:  " + wa.file_name + " [CloseDbf(" + wa.file_name + ")]");
  }
  return rc;
}

void CloseWorkArea(int area) {
  std::unique_ptr<TWorkArea>& slot = SlotOf(area);
  if (!slot) return;
  TWorkArea& wa = *slot;
  const int saved = CurrentArea();
  SetCurrentArea(area);
  const IndexManager& im = GetIndexManager();
  if (IndexActive() && im.Release) im.Release();
  RefreshCount(wa);
  ReleaseLocks(wa);
  wa.swap.clear();
  if (wa.memo_open) {
    const MemoManager& mm = GetMemoManager();
    if (mm.CloseMemoFile) mm.CloseMemoFile();
    wa.memo_open = false;
  }
  wa.memo.reset();
  DropPeekCache(wa);
  wa.filter = nullptr;
  wa.while_condition = nullptr;
  wa.relation = nullptr;
  // Out of the table first: a report below may end the program, and the
  // engine's own closing at exit must not meet this area half-closed.
  std::unique_ptr<TWorkArea> closing = std::move(slot);
  SetCurrentArea(saved);
  CloseDbfFile(*closing);
}

bool CreateDBF(const std::string& file_name, std::span<TFieldEntry> fields) {
  ClearError();
  const EngineSettings& s = Settings();
  const std::string name = DefaultExtension(TrimBoth(file_name), "dbf");
  const size_t n = fields.size();
  if (n > 255) {
    SetError(211, "Invalid dBASE field definition [CreateDBF]");
    return false;
  }
  std::vector<uint8_t> image(32 * n + 33, 0);
  PutLe16(image.data() + 8, static_cast<uint32_t>(image.size()));
  image[32 + 32 * n] = kHeaderEnd;
  uint32_t record_length = 1;
  bool memo = false;
  bool invalid = false;
  for (size_t i = 0; i < n && !invalid; ++i) {
    TFieldEntry& e = fields[i];
    uint8_t* d = image.data() + 32 * (i + 1);
    std::string field_name = TrimRight(e.Name()).substr(0, 10);
    field_name = ToUpperAscii(TrimLeft(field_name));
    if (field_name.empty()) {
      SetError(220, "Empty field name [CreateDbf(" + name + ")]");
      invalid = true;
      break;
    }
    std::memcpy(d, field_name.data(), field_name.size());
    char type = e.type >= 'a' && e.type <= 'z' ? static_cast<char>(e.type - 'a' + 'A') : e.type;
    d[11] = static_cast<uint8_t>(type);
    uint8_t length = e.length;
    switch (type) {
      case 'D': length = 8; break;
      case 'L': length = 1; break;
      case 'M': length = 10; break;
      case 'C':
      case 'F':
      case 'N':
        if (length == 0) invalid = true;
        break;
      default: break;
    }
    d[16] = length;
    uint8_t decimals = (type == 'N' || type == 'F') ? e.decimals : 0;
    d[17] = decimals;
    record_length += length;
    if (!ValidType(type)) invalid = true;
    if (type == 'M') memo = true;
    e = TFieldEntry::Make(field_name, type, length, decimals);
  }
  if (invalid) {
    SetError(211, "Invalid dBASE field definition [CreateDBF]");
    return false;
  }
  image[0] = memo ? s.MemoVersion : 3;
  PutLe16(image.data() + 10, record_length);
  // The language driver mark, so that other programs read our text in the
  // code page it was written in.
  image[29] = TableCodePage() == 866 ? 0x26 : 0x01;

  TWorkArea scratch;
  int rc = scratch.file.Create(name, plat::kModeExclusive);
  if (rc == plat::kOk) {
    size_t done = 0;
    rc = scratch.file.WriteAt(0, image.data(), image.size(), &done);
    if (rc == plat::kOk && done < image.size()) rc = plat::kDiskWriteError;
  }
  if (rc != plat::kOk) {
    if (scratch.file.IsOpen()) scratch.file.Close();
    SetError(static_cast<uint16_t>(rc), "Error writing " + name + ". [CreateDbf]");
    return false;
  }
  scratch.file_name = name;
  scratch.exclusive = true;
  scratch.header_length = static_cast<uint16_t>(image.size());
  scratch.record_length = static_cast<uint16_t>(record_length);
  scratch.field_count = static_cast<uint8_t>(n);
  scratch.file_state = kAppended;
  scratch.record_count = 0;
  std::memcpy(scratch.header, image.data(), 32);
  scratch.last_update = TodayText();
  if (CloseDbfFile(scratch) != plat::kOk) return false;

  if (memo) {
    const std::string memo_name = MemoFileName(name);
    plat::File file;
    rc = file.Create(memo_name, plat::kModeExclusive);
    if (rc != plat::kOk) {
      SetError(static_cast<uint16_t>(rc), "Cannot create memo file " + memo_name + " [CreateDbf]");
      return false;
    }
    const uint32_t block = s.MemoBlockSize == 0 ? 512 : s.MemoBlockSize;
    std::vector<uint8_t> content;
    if (s.MemoVersion == 0x83) {
      content.assign(block + 1, 0);
      content[0] = 1;
      content[block] = kEndOfFile;
    } else {
      content.assign(24, 0);
      PutLe32(content.data(), 1);
      PutLe16(content.data() + 18, 0x0102);
      PutLe16(content.data() + 20, block);
      if (s.MemoVersion == 0x8B) {
        std::string base = BaseNameOf(name).substr(0, 8);
        std::memcpy(content.data() + 8, base.data(), base.size());
      }
    }
    size_t done = 0;
    rc = file.WriteAt(0, content.data(), content.size(), &done);
    if (rc == plat::kOk && done < content.size()) rc = plat::kDiskWriteError;
    int closed = file.Close();
    if (rc == plat::kOk) rc = closed;
    if (rc != plat::kOk) {
      SetError(static_cast<uint16_t>(rc), memo_name + " [CreateDbf]");
      return false;
    }
  }
  return true;
}

bool USE(std::string_view command, uint8_t* buffer, uint16_t buffer_size) {
  ClearError();
  const int area = CurrentArea();
  if (SlotOf(area)) CloseWorkArea(area);
  const std::string text = TrimBoth(command);
  if (text.empty()) return ErrorCode() == 0;
  const std::string upper = ToUpperAscii(text);
  if (upper.find("LINKED LIST") != std::string::npos || upper.find("VIRTUAL FILE") != std::string::npos) {
    SetError(1101, "Virtual File Manager Unit not Linked in");
    return false;
  }
  if ((buffer != nullptr) != (buffer_size != 0)) {
    SetError(220, "Buffer is NIL or size is zero, attempting to open " + text + " [USE]");
    return false;
  }
  std::string file, alias;
  bool exclusive = false;
  ParseCommand(text, &file, &alias, &exclusive);
  if (file.empty()) {
    SetError(plat::kFileNotFound, "Failure to open " + text + " [USE/OpenDbf]");
    return false;
  }
  const std::string name = DefaultExtension(plat::AbsolutePath(file), "dbf");
  if (alias.empty()) alias = ToUpperAscii(BaseNameOf(name)).substr(0, 64);

  // One process never holds one file in two areas: the second open would
  // fight the first over its own sharing mode and locks.
  plat::FileId id;
  if (plat::PathIdentity(name, &id) == plat::kOk) {
    for (int i = 1; i <= kUserWorkAreas; ++i) {
      TWorkArea* other = WorkAreaAt(i);
      if (other && i != area && other->id == id) {
        SetError(214, "File: " + name + " is already in use. [USE]");
        return false;
      }
    }
  }

  const EngineSettings& s = Settings();
  int mode;
  if (!s.SharingEnabled) {
    // Treated as exclusive (no locks, no recounts, read ahead), so it must
    // be exclusive: another program's open would otherwise go unnoticed and
    // the two would write over each other's appends.
    mode = plat::kModeExclusive;
    exclusive = true;
  } else if (exclusive || s.DefaultShareMode == plat::kModeExclusive) {
    mode = plat::kModeExclusive;
  } else {
    mode = s.DefaultShareMode;
  }
  if (s.ShareModeOverride < 65535) mode = s.ShareModeOverride;

  auto wa = std::make_unique<TWorkArea>();
  if (!OpenDbf(*wa, name, mode)) return false;
  wa->area = area;
  wa->alias = alias;
  wa->exclusive = exclusive;
  const uint16_t needed = wa->buffer_size;
  if (buffer) {
    wa->field_buffer = buffer;
    wa->buffer_owned = false;
  } else {
    wa->owned_buffer.assign(needed, 0);
    wa->field_buffer = wa->owned_buffer.data();
    wa->buffer_owned = true;
  }
  SlotOf(area) = std::move(wa);
  TWorkArea& opened = *SlotOf(area);
  static bool closing_registered = false;
  if (!closing_registered) {
    std::atexit(CloseAtExit);
    closing_registered = true;
  }
  if (buffer && buffer_size != needed) {
    CloseWorkArea(area);
    SetError(266, "Database record/buffer size mismatch: " + name + " [USE()]\x0A\x0D" +
                      "Record Size=" + std::to_string(needed) + ", Buffer Size=" + std::to_string(buffer_size));
    return false;
  }
  for (int i = 1; i <= kUserWorkAreas; ++i) {
    TWorkArea* other = WorkAreaAt(i);
    if (other && i != area && other->alias == alias) {
      CloseWorkArea(area);
      SetError(220, "Alias name \"" + alias + "\" already in use. [USE]");
      return false;
    }
  }
  opened.encode = s.EncodeRecordHook;
  opened.decode = s.DecodeRecordHook;
  if (opened.record_count > 0) {
    GoTop();
    if (ErrorCode() != 0) {
      // A table whose first record cannot be read is not open.
      const uint16_t code = ErrorCode();
      CloseWorkArea(area);
      SetErrorCode(code);
      return false;
    }
  } else {
    ClearBuffer(opened);
    opened.eof = true;
    opened.bof = true;
  }
  opened.swap.assign(needed, 0);
  const MemoManager& mm = GetMemoManager();
  if (opened.has_memo && mm.OpenMemoFile) {
    opened.memo_open = mm.OpenMemoFile(name);
    if (!opened.memo_open) {
      uint16_t memo_code = ErrorCode() != 0 ? ErrorCode() : 1003;
      CloseWorkArea(area);
      SetError(memo_code, "Problem with memo [USE(" + text + "," + AddressText(buffer) + "," +
                              std::to_string(buffer_size) + ")]");
      return false;
    }
  }
  return ErrorCode() == 0;
}

void CloseDbf(int area) {
  TWorkArea* wa = AreaOrGuard(area, "CloseDbf");
  if (wa) CloseWorkArea(wa->area);
}

void WriteDbfHeader(int area) {
  TWorkArea* wa = AreaOrGuard(area, "WriteDbfHeader");
  if (wa) WriteHeaderAndMark(*wa, false);
}

void FlushDbf(int area) {
  TWorkArea* wa = AreaOrGuard(area, "FlushDbf");
  if (!wa) return;
  if (wa->file_state == kRewritten || wa->file_state == kAppended) {
    if (WriteHeaderAndMark(*wa, wa->file_state == kAppended) != plat::kOk) return;
  }
  wa->file_state = kOpenClean;
  CommitFile(*wa);
}

bool GetTableInfo(TableInfo* info) {
  TWorkArea* wa = Guard("GetTableInfo");
  if (!wa) return false;
  *info = TableInfo{};
  const uint8_t* h = wa->header;
  info->version = h[0];
  info->language_driver = wa->dbase2 ? 0 : h[29];
  info->dbase2 = wa->dbase2;
  info->has_memo = wa->has_memo;
  if (wa->dbase2) {
    info->header_count = Le16(h + 1);
    info->month = h[3];
    info->day = h[4];
    info->year = 1900 + h[5];
  } else {
    info->header_count = Le32(h + 4);
    info->year = 1900 + h[1];
    info->month = h[2];
    info->day = h[3];
  }
  wa->file.Size(&info->file_size);
  info->size_count = info->file_size <= wa->header_length ? 0 : (info->file_size - wa->header_length) / wa->record_length;
  info->header_length = wa->header_length;
  info->record_length = wa->record_length;
  info->exclusive = wa->exclusive;
  info->file_mode = wa->file_mode;
  return true;
}

}  // namespace vz
