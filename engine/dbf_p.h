// Inside the table engine: the data file's layout, the work-area record and
// the lower layer that the operations of engine/dbf.h, the memo manager and
// the index manager share. Not for the engine's users.
//
// ---- The data file (all integers little-endian) -------------------------------
//
//   offset        width  content
//   0             1      version: 0x03 without memo fields, MemoVersion (0x83,
//                        0x8B) with them; low three bits 2 = dBASE II (below)
//   1             1      year of last update - 1900
//   2             1      month of last update (1-12)
//   3             1      day of last update (1-31)
//   4             4      record count, unsigned
//   8             2      header length = 32 + 32 * fields + 1
//   10            2      record length = 1 + sum of field lengths
//   12            17     reserved, zero
//   29            1      language driver: 0x01 code page 437, 0x26 code page
//                        866; written for other programs, ignored on reading
//   30            2      reserved, zero
//   32            32*n   field descriptors, in field order
//   32 + 32n      1      0x0D, the header's end (never checked on reading)
//   header length        records, back to back, record 1 first
//   end           1      0x1A after the last record
//
// Field descriptor (32 bytes):
//
//   0    11  name, upper case, zero-padded (read up to the first zero byte)
//   11   1   type letter: C D F L M N
//   12   4   zero
//   16   1   length in bytes
//   17   1   decimals (0 for types other than N and F)
//   18   14  zero
//
// Record n starts at header length + (n - 1) * record length. Its byte 0
// is the deletion flag (0x20 live, 0x2A "*" deleted); the fields follow in
// descriptor order with no separators: C left-aligned and blank-padded, D
// "YYYYMMDD" or eight blanks, N and F right-aligned with their decimals (a
// row of "*" when too wide), L "T"/"F" (T t Y y read as true), M the memo's
// block number right-aligned.
//
// dBASE II files (read and updated, never created):
//
//   0     1    version (low three bits 2)
//   1     2    record count, 16-bit
//   3     1    month   4  1  day   5  1  year - 1900
//   6     2    record length
//   8     512  32 slots of 16-byte descriptors: name 0-10, type 11,
//              length 12, decimals 15; a slot starting 0x0D ends the list
//   520   1    0x0D; records start at 521
//
// ---- Locks (in the data file, far beyond any data) ----------------------------
//
//   0x40000000                                   1 byte    semaphore
//   0x40000001                                   1 byte    file lock (ALock)
//   0x40000000 + header length + (n-1) * reclen  reclen    record n (RLock)
//
// Lock states of a work area:
//
//   1. kLockNone (0): nothing held.
//   2. kLockFile (2): the file lock is held; entered from 0 by ALock. RLock
//      is refused in this state.
//   3. kLockRecords (3): one or more record locks are held, listed in
//      `locks` oldest first; entered from 0 or 3 by RLock. ALock is refused
//      in this state.
//   4. Back to 0 by Unlock, or by UnlockRec when the last record lock goes.
//   5. Value 1 stands for a whole-file lock that nothing takes; it is never
//      entered.
//
//   On an exclusive table (or with sharing off) the states change the same
//   way but no lock reaches the operating system.
//
// ---- File states ----------------------------------------------------------------
//
//   0 closed; 1 open, unchanged; 2 records rewritten; 3 records appended
//   (3 is not lowered to 2 by a later rewrite). The header's date and count
//   are rewritten when the file is flushed or closed in state 2 or 3 (state
//   3 also writes the 0x1A end mark), and by every append to a shared table,
//   under the file lock it holds: other programs that trust the header's
//   count see each record as soon as it is there, and a program killed
//   meanwhile leaves a header that counts every record it appended.
#ifndef QUILLPRINT_ENGINE_DBF_P_H_
#define QUILLPRINT_ENGINE_DBF_P_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/dbf.h"
#include "platform/file.h"

namespace vz {

inline constexpr int64_t kLockBase = 0x40000000;
inline constexpr int64_t kSemaphoreOffset = kLockBase;
inline constexpr int64_t kFileLockOffset = kLockBase + 1;
inline constexpr int kDbase2HeaderLength = 521;
inline constexpr uint8_t kHeaderEnd = 0x0D;
inline constexpr uint8_t kEndOfFile = 0x1A;

enum FileState : int { kClosed = 0, kOpenClean = 1, kRewritten = 2, kAppended = 3 };
enum LockState : int { kLockNone = 0, kLockWholeFile = 1, kLockFile = 2, kLockRecords = 3 };

// How a field travels between the record image and its slot.
enum class FieldKind : uint8_t { kChar, kDate, kInteger, kReal, kLogical, kMemo };

struct FieldPlan {
  FieldKind kind;
  uint8_t length;
  uint8_t decimals;
  uint16_t record_offset;
  uint16_t slot_offset;
};

// A node of the lock list (the tag is always 0xFFFF).
struct LockNode {
  int32_t record = 0;
  uint16_t tag = 0xFFFF;
};

// The memo manager's record of a work area's open memo file. The memo
// manager derives its own record from this and owns it from OpenMemoFile to
// CloseMemoFile; the engine only drops one that was left behind.
struct MemoFileBase {
  virtual ~MemoFileBase() = default;
};

// Read-ahead of an exclusive table: a block of the file's bytes. Nobody
// else writes such a table, and every write of our own goes through
// WriteThrough(), which keeps the block equal to the file.
struct ReadAhead {
  std::vector<uint8_t> bytes;
  int64_t start = 0;         // file offset of bytes[0]
  size_t valid = 0;          // bytes that hold file data
  int32_t last_record = 0;   // the record read last, to see a direction
  size_t next_size = 0;      // size of the next block (grows while sequential)
};

struct TWorkArea {
  // ---- the file ----
  std::string file_name;           // full name with extension
  uint8_t header[32] = {};         // copy of the first 32 header bytes
  bool dbase2 = false;
  bool has_memo = false;
  uint16_t header_length = 0;
  uint16_t record_length = 0;
  uint8_t field_count = 0;
  std::vector<TFieldEntry> fields;
  std::vector<FieldPlan> plan;
  int file_state = kClosed;
  std::string last_update;         // "MM/DD/YY"
  std::vector<uint8_t> record;     // the record image
  // The field buffer as decoded from `record` when record `as_read_record`
  // was read (0: none since). Replace keeps the stored text of every field
  // whose slot still equals it, so that a value the slot cannot reproduce
  // (a date of another century, a number too wide for 32 bits, another
  // program's empty date) survives a rewrite that did not touch it.
  std::vector<uint8_t> as_read;
  int32_t as_read_record = 0;
  int32_t record_count = 0;
  int32_t record_number = 0;
  bool eof = true;
  bool bof = true;
  plat::File file;
  int file_mode = 0;
  plat::FileId id;
  RecordHook encode;
  RecordHook decode;

  // ---- the work area ----
  int area = 0;
  std::string alias;
  bool exclusive = false;
  uint8_t* field_buffer = nullptr;
  uint16_t buffer_size = 0;
  bool buffer_owned = false;
  std::vector<uint8_t> owned_buffer;
  std::vector<uint8_t> swap;
  int lock_state = kLockNone;
  std::vector<LockNode> locks;     // oldest first
  std::function<bool()> filter;
  std::function<bool()> while_condition;
  std::function<void()> relation;
  std::unique_ptr<MemoFileBase> memo;
  bool memo_open = false;          // OpenMemoFile succeeded; CloseMemoFile is due
  ReadAhead read_ahead;

  bool Shared() const { return !exclusive && Settings().SharingEnabled; }
  int64_t RecordOffset(int64_t n) const {
    return int64_t{header_length} + (n - 1) * int64_t{record_length};
  }
  int64_t RecordLockOffset(int64_t n) const { return kLockBase + RecordOffset(n); }
  bool HasRecordLock(int32_t n) const;
};

// ---- the work-area table ----

// Slot 1-35 of the table (the owner of its TWorkArea).
std::unique_ptr<TWorkArea>& SlotOf(int area);
// Makes an area current without the checks of Select (areas 34 and 35 too).
void SetCurrentArea(int area);
// Closes the table in an area, in the order the engine promises: index
// state, count refresh, locks, memo file, Peek cache, header and file;
// then empties the slot.
void CloseWorkArea(int area);
// Forgets every work area without writing to its file: for a child process
// after fork(), whose copies of the parent's areas share the parent's open
// files (and locks), which only the parent may change.
void AbandonWorkAreas();

// The table in area 1-35, or nullptr.
TWorkArea* WorkAreaAt(int area);
// The current area's table, or nullptr.
TWorkArea* CurrentWorkArea();
// The in-use guard: the current table, or nullptr after code 215 with
// "No database in use [<name>]  WorkArea = <n>" has been set and reported.
TWorkArea* Guard(const char* name);

// ---- lower layer ----

// Reads record n into the record image (then the decode hook). Code 212
// for n outside 1..count, 213 for a short read, the file layer's code
// otherwise. Returns true on success and makes n the current record.
bool GetDbfRecord(TWorkArea& wa, int32_t n);
// Writes the record image as record n (the encode hook runs on the way
// out); n beyond the count appends record count + 1. True on success.
bool PutDbfRecord(TWorkArea& wa, int32_t n);
// Record image <-> field buffer. With `keep_unchanged` (Replace), a field
// whose slot still holds what was read from this very image keeps its
// stored bytes; every other field is encoded from its slot.
void RecordToBuffer(TWorkArea& wa);
void BufferToRecord(TWorkArea& wa, bool keep_unchanged = false);
// Whether the slot of field `index` (0-based) still holds what was read
// from the record image.
bool SlotAsRead(const TWorkArea& wa, size_t index);
// Writes bytes of the data file and keeps the read-ahead block equal to it.
int WriteThrough(TWorkArea& wa, int64_t offset, const void* data, size_t n);
// Takes the record count from the file size (shared tables only).
void RefreshCount(TWorkArea& wa);
// The field buffer blank (deleted flag false, blanks, blank dates, zeros).
void ClearBuffer(TWorkArea& wa);
// Whether the record in the record image is visible.
bool Visible(TWorkArea& wa);
void RunRelation(TWorkArea& wa);
bool IndexActive();
// Drops the Peek cache when it belongs to this table.
void DropPeekCache(const TWorkArea& wa);
// Updates the Peek cache's copy of bytes of record r.
void UpdatePeekCache(const TWorkArea& wa, int32_t r, size_t offset, const void* data, size_t n);
void DropReadAhead(TWorkArea& wa);

// Closes the file part (header, end mark, file); reports failures with the
// CloseDbf message. Returns the first failure code.
int CloseDbfFile(TWorkArea& wa);
// Puts today's date and the record count into the header copy.
void StampHeader(TWorkArea& wa);
// Writes the header's first 8 bytes (and, with `end_mark`, the 0x1A after
// the last record). Returns the failure code; reports it.
int WriteHeaderAndMark(TWorkArea& wa, bool end_mark);
// Commits the file, counting the time.
int CommitFile(TWorkArea& wa);

// Retried operating-system lock of a range, as LockRetryCount and
// LockRetryCallback say; always true with sharing off.
bool RetriedLock(TWorkArea& wa, int64_t offset, int64_t length);
// Operating-system unlock; 0 or the failing code (0 with sharing off).
int OsUnlock(TWorkArea& wa, int64_t offset, int64_t length);
// Unlock without the in-use guard (closing uses it).
void ReleaseLocks(TWorkArea& wa);

// ---- field conversions (engine/convert.cpp) ----

// Record bytes of one field -> its slot, and back.
void DecodeField(const FieldPlan& f, const uint8_t* rec, uint8_t* slot);
void EncodeField(const FieldPlan& f, const uint8_t* slot, uint8_t* rec);
// The blank value of a slot.
void BlankField(const FieldPlan& f, uint8_t* slot);
// The memo block number a memo field's stored text names: leading blanks,
// an optional sign, digits; anything after the digits ends it. 0 when there
// are no digits or the number does not fit. Every reader of a pointer (the
// record's field buffer, the pack) takes it by this one rule.
int32_t StoredMemoBlock(const uint8_t* p, size_t n);
// Whether a field's stored text holds a number its slot cannot (an
// integer slot takes 32 bits, a 6-byte real about 1.7E38); *value gets that
// number.
bool StoredNumberOverflows(const FieldPlan& f, const uint8_t* rec, double* value);
// A number text of a record (blanks around it allowed) as a double; false
// when it is not a number.
bool ParseNumber(const char* text, size_t n, double* value);
// The value right-aligned in `width` characters with `decimals` decimals,
// or `width` asterisks when it does not fit.
void FormatNumber(double value, int decimals, char* out, size_t width);
void FormatInteger(int64_t value, char* out, size_t width);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_DBF_P_H_
