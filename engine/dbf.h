// The table engine: dBASE data files in work areas, in the xBase manner.
//
// A process-wide table of 35 work areas, one of them current; every
// operation below acts on the table open in the current work area (callers
// reach areas 1-33; 34 and 35 are the engine's own). Each open table has one
// current record, held twice: as the raw record image, exactly as in the
// file, and as the typed field buffer through which callers read and write
// values (layout in engine/fieldbuf.h).
//
// Errors: every failure sets the engine's error code and message and is
// reported as engine/errors.h describes (with the default settings a report
// ends the program). Operations that need an open table and find none set
// code 215, "No database in use [<operation>]  WorkArea = <n>", and return
// their neutral result (0, false, blank, nothing done). Messages carry file
// names as UTF-8, like every text of the engine.
//
// Sharing: a table opened without EXCLUSIVE (and with sharing on) may be
// written by other programs at the same time. Such a table takes its record
// count from the file size before the operations that look beyond the
// current record, reads each record from the file when it moves to it, and
// writes only under locks: the file lock (ALock) to append, the record lock
// (RLock) to rewrite, delete, recall or poke a record.
//
// Not thread-safe: the engine runs on one thread.
#ifndef QUILLPRINT_ENGINE_DBF_H_
#define QUILLPRINT_ENGINE_DBF_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/settings.h"

namespace vz {

inline constexpr int kWorkAreas = 35;      // slots 1-35
inline constexpr int kUserWorkAreas = 33;  // slots callers may select

// One field of a table: the input of CreateDBF and the field table of an
// open table (16 bytes, as the engine has always kept it).
struct TFieldEntry {
  uint8_t name_length = 0;  // counted text of at most 10 characters
  char name[10] = {};
  char type = ' ';          // C, D, F, L, M or N
  uint8_t length = 0;       // bytes in the record
  uint8_t decimals = 0;
  uint16_t offset = 0;      // in the record; the first field is at 1

  static TFieldEntry Make(std::string_view name, char type, int length, int decimals);
  std::string Name() const { return std::string(name, name_length > 10 ? 10 : name_length); }
};
static_assert(sizeof(TFieldEntry) == 16);

// ---- files --------------------------------------------------------------------

// Creates a data file (and, when a field has type M, its memo file) from
// the field list, replacing a file of that name; the table is left closed.
// "dbf" is added when the name has no extension. Rewrites each entry in
// place: name trimmed and upper-cased, type upper-cased, D length 8, L 1, M
// 10, decimals 0 for types other than N and F. Codes: 211 "Invalid dBASE
// field definition [CreateDBF]" (unknown type, C/F/N length 0, more than
// 255 fields; no file written), 220 for a blank name, the file layer's code
// with "Error writing <name>. [CreateDbf]", and the memo file's codes.
// Returns true on success.
bool CreateDBF(const std::string& file_name, std::span<TFieldEntry> fields);

// The memo file's name for a table file: its extension replaced by "dbt",
// or by "DBT" when the table's own extension is upper case.
std::string MemoFileName(const std::string& table_file_name);

// Closes whatever is open in the current work area, then opens the table
// the command names:  <file> [EXCLUSIVE] [ALIAS <alias>]  (keywords in any
// case; "dbf" added when the file has no extension; the alias defaults to
// the upper-cased file name without folder and extension). A blank command
// only closes. `buffer`, when given, is the caller's field buffer and must
// have exactly the size the field table needs (code 266 otherwise); it
// stays the caller's and must outlive the open table. Without one the
// engine owns a buffer of the right size. After a successful open the table
// stands on its first visible record, or on a blank record with dEOF and
// dBOF set when it has none. Returns true when no error was set; after a
// failure the work area is empty. Codes: the file layer's ("Failure to open
// <file> [USE/OpenDbf]"; 32 while another program holds the file in a mode
// that excludes ours), 210 and 211 for files that are not tables or are
// damaged, 214 for a file already open in another area, 220 for an alias
// in use or a buffer without size, 266 for a buffer of the wrong size, 1101
// for in-memory tables.
bool USE(std::string_view command, uint8_t* buffer = nullptr, uint16_t buffer_size = 0);

// Closes the table in work area `area` (0: the current one): refreshes the
// count of a shared table, releases its locks and memo file, brings the
// header up to date when records were written, and empties the slot.
void CloseDbf(int area = 0);

// Rewrites the header's date (today) and record count. Reports failures.
// On a shared table the count is taken from the file under the file lock,
// so that a record another program is appending is neither left out of the
// count nor overwritten by the end mark.
void WriteDbfHeader(int area = 0);

// WriteDbfHeader plus the end-of-file mark when records were written, then
// commits the file to disk; the table stays open.
void FlushDbf(int area = 0);

// ---- work areas ---------------------------------------------------------------

// 1-33 selects that area; 0 selects the lowest empty one (code 220, "No
// free workarea available [Select(0)]" when all are taken); anything else
// is code 220, "Invalid workarea selected = [Select(<n>)]".
void Select(int area);
int CurrentArea();
// Closes areas 1-33, then selects 1.
void CloseAll();
// Closes every area, 34 and 35 too, and selects 1 (program end, tests).
void ShutdownEngine();

// The alias of the table in the current area ("" without one).
std::string Alias();
// The full name of the table's file ("" without one).
std::string DbfFileName();

// ---- the current record -------------------------------------------------------

// Blank record in the field buffer: blanks, the blank date, zeros, false.
void ClearRecord();

uint8_t FieldCount();
// Field numbers count from 1. An invalid number is code 220, "Invalid
// field number. [<operation>(<n>)]", with a blank, 0 or "" result.
char FieldType(int n);
// A D field answers 10 with CenturyOn, else 8; its stored length stays 8.
uint8_t FieldLen(int n);
uint8_t FieldDec(int n);
std::string Field(int n);
// The field's number, 0 when there is none (case does not matter).
int FieldNo(std::string_view name);
// The field's slot in the field buffer; 0 gives the buffer's start (the
// deleted flag). Invalid numbers give nullptr and code 220.
uint8_t* FieldAddress(int n);
// The field's entry as the table describes it (stored length, offset in
// the record). False, with code 220, for an invalid number.
bool GetFieldEntry(int n, TFieldEntry* entry);
// The field buffer's size in bytes for the current table.
uint16_t FieldBufferSize();
// The raw image of the current record, exactly as last read or written.
std::string_view RecordImage();

bool Deleted();
int32_t RecCount();
int32_t RecNo();
uint16_t RecSize();
bool dEOF();
bool dBOF();

// ---- navigation ---------------------------------------------------------------

void GoTop();
void GoBottom();
// Moves |n| visible records forward or back; n = 0 re-reads the record.
void SKIP(int32_t n = 1);
// Positions on record n whether or not it is visible; an invalid number
// leaves the table past its end with code 212.
void GO(int32_t n);

// ---- writing ------------------------------------------------------------------

// Writes the field buffer as a new last record (normally after
// ClearRecord and filling the buffer). A shared table needs the file lock.
void Append();
// Writes the field buffer over the current record. A shared table needs
// the record lock of the current record.
void Replace();

// ---- hooks --------------------------------------------------------------------

// Per work area, empty unless set: a record is visible when the filter says
// so; SKIP stops where the while condition turns false; the relation
// callback runs after every move (to re-position related tables).
void SetFilterCallback(std::function<bool()> filter);
void SetWhileCallback(std::function<bool()> condition);
void SetRelationCallback(std::function<void()> relation);
// Key expressions need the expression engine, which this program does not
// have: code 220, "TZParser unit not linked in. [Set_While_To]".
void Set_While_To(std::string_view expression);
bool IsWhileOn();
// Whether the current record satisfies the while condition (true when none
// is set; false without a table). Lets a caller that wrote a record see
// whether it still belongs to the range being walked.
bool WhileHolds();

// ---- direct field access ------------------------------------------------------

// The stored text of field n (0: the deletion flag) of record r, read from
// the file without moving; "" for an invalid field or record.
std::string Peek(int n, int32_t r);
// Writes at most the field's length of `text` into field n (0: the deletion
// flag) of record r on disk, without padding. A shared table needs the
// record lock of r (code 1200).
void Poke(std::string_view text, int n, int32_t r);

// ---- locks --------------------------------------------------------------------

// The file lock, needed to append to a shared table. True when held
// afterwards; false (nothing changed, no error) while another program holds
// it or this area holds record locks.
bool ALock();
// Locks the current record. False (no error) while another program holds
// it, while this area holds the file lock, or without a current record.
bool RLock();
bool IsLocked(int32_t record);
// n >= 1: that record; -1 the oldest lock; -2 the newest; -3 all. False
// when n is not locked or an unlock failed (code 220 or the failing code,
// stored without a report).
bool UnlockRec(int32_t n);
// Releases the file lock or every record lock of the current area.
void Unlock();
// The one-byte semaphore that memo and index code serialise their own
// updates with. True when held.
bool LockSemaphore();
void UnlockSemaphore();

// ---- deletion and packing -----------------------------------------------------

// Marks (unmarks) the current record deleted, on disk at once. A shared
// table needs its record lock.
void DeleteRec();
void RecallRec();
// Removes every record marked deleted from the file in place (and packs
// the memo file). A shared table is reopened exclusively for it and shared
// again afterwards. False without records or while another program has the
// table open (both without an error code), or on a failure (reported).
bool Pack();

// ---- diagnostics --------------------------------------------------------------

struct TableInfo {
  uint8_t version = 0;
  uint8_t language_driver = 0;       // offset 29: 0x01 code page 437, 0x26 866
  bool dbase2 = false;
  bool has_memo = false;
  int year = 0, month = 0, day = 0;  // last update, from the header
  uint32_t header_count = 0;         // record count in the header as last read or written
  int64_t file_size = 0;
  int64_t size_count = 0;            // whole records the file holds now
  uint16_t header_length = 0;
  uint16_t record_length = 0;
  bool exclusive = false;
  int file_mode = 0;
};
// Facts about the table in the current area (false without one).
bool GetTableInfo(TableInfo* info);

// Time spent committing tables to disk since the program started, for
// measurements that keep the disk's own speed apart.
uint64_t CommitNanoseconds();

// ---- replaceable managers -----------------------------------------------------

// The memo manager's entries, filled when it starts; empty ones mean there
// is no memo manager, and tables with memo fields then open without their
// memo file. All act on the current work area.
class MemoChannel;  // the memo text channel, defined by the memo manager
struct MemoManager {
  std::function<bool(MemoChannel& channel, int32_t* block)> AssignMemo;
  // Keeps only the memos that records point to. True on success.
  std::function<bool()> PackMemo;
  // Opens the memo file of the table file named; true on success (a
  // failure has set the error code).
  std::function<bool(const std::string& table_file_name)> OpenMemoFile;
  std::function<void()> CloseMemoFile;
};
void SetMemoManager(MemoManager manager);
const MemoManager& GetMemoManager();

// The index manager's entries (NDX indexes), all empty in this program.
// When `IsActive` says the current area has a controlling index, record
// order comes from it: First/Last/Next/Prev give record numbers in key
// order (0: none), Eof/Bof its own flags. The engine tells it about every
// record it reads while positioning (Positioned), asks it to take the keys
// of the current record out before a write and put them in after one, and
// to rebuild after a pack.
struct IndexManager {
  std::function<bool()> IsActive;
  std::function<int32_t()> First;
  std::function<int32_t()> Last;
  std::function<int32_t()> Next;
  std::function<int32_t()> Prev;
  std::function<bool()> Eof;
  std::function<bool()> Bof;
  std::function<void(int32_t record)> Positioned;
  std::function<void()> PrepareAppend;
  std::function<void()> RemoveKeys;
  std::function<void()> AddKeys;
  // Key maintenance in Replace; when false Replace leaves the keys alone.
  std::function<bool()> MaintainKeys;
  std::function<void()> Rebuild;
  std::function<void()> Release;
};
void SetIndexManager(IndexManager manager);
const IndexManager& GetIndexManager();

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_DBF_H_
