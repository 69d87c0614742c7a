// The memo manager: memo files (DBT) beside the tables with memo fields, and
// the memo text channel through which callers read and write memo text.
//
// A memo field of a record holds only a block number; the text lives in the
// table's memo file, in one of two block formats (layout in engine/memo_p.h):
// dBASE III memos end with 0x1A and are always appended; dBASE IV memos carry
// their length in front and are rewritten in place when they still fit.
//
// Start-up: the record engine reaches the memo manager through its table of
// memo entries (engine/dbf.h). StartMemoManager() fills that table; tables
// with memo fields opened before it runs have no memo file.
//
// Reading and writing memo text, as the table component does it:
//
//   int32_t block = <the record's memo block number>;
//   vz::MemoChannel channel;
//   vz::AssignMemo(channel, &block);      // binds to the current work area
//   channel.OpenRead();                   // or OpenWrite()
//   while (!channel.Eof()) channel.ReadLine(&line);
//   channel.Close();
//
//   channel.OpenWrite();                  // block := 0 until Close
//   channel.Write("first line\r\n");     // lines end with CR LF
//   channel.Write("last line");           // the last one needs none
//   if (channel.Close() == 0) <store block in the record's memo field>;
//
// Each Close after writing stores a new memo (dBASE IV: in place when the old
// one's blocks hold it) and gives its block number; the caller then writes
// that number into the record (field buffer, Replace). Until then the
// record still names its old memo, so a failed write changes nothing the
// record points to.
//
// Texts are bytes in the table's OEM code page. Line ends are CR LF (a hard
// return) or 0x8D LF (a soft return, a wrap point of an editor). Because
// 0x8D is also a letter in the code pages ("ì" in 437, "Н" in 866), it is a
// soft return only when a line feed follows it, and a letter everywhere else.
//
// Only one memo is read or written at a time in the whole engine: one channel
// holds the engine's memo line buffer from its open to its close, and
// another channel's open fails meanwhile (result 8).
//
// Not thread-safe: the engine runs on one thread.
#ifndef QUILLPRINT_ENGINE_MEMO_H_
#define QUILLPRINT_ENGINE_MEMO_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/dbf.h"

namespace vz {

// Fills the engine's memo entries (AssignMemo, PackMemo, OpenMemoFile,
// CloseMemoFile). Call once at start-up, before the first USE; calling it
// again does no harm.
void StartMemoManager();

// How a line read from a memo ended.
enum class LineEnd : uint8_t { kNone = 0, kHard = 13, kSoft = 141 };

// Results of the channel's operations (I/O result codes; 0 is success).
inline constexpr int kMemoNoBuffer = 8;       // the line buffer could not be had
inline constexpr int kMemoReadFailed = 100;   // the memo could not be read
inline constexpr int kMemoWriteFailed = 101;  // too many lines, or the memo could not be stored
inline constexpr int kMemoNotAssigned = 102;  // unbound, table gone, or open in the other mode
inline constexpr int kMemoNotOpen = 104;      // read or write before a successful open

// The memo text channel: a small stream over one memo of one work area.
// Failures of the memo file itself (bad block number, write fault, full
// disk ...) also set the engine's error code and message and are reported
// as engine/errors.h describes; the channel's result tells the caller that
// the operation failed. Not copyable.
class MemoChannel {
 public:
  MemoChannel();
  // Releases the line buffer. A channel still open for writing is dropped
  // without storing anything, and its block variable keeps its old value.
  ~MemoChannel();
  MemoChannel(const MemoChannel&) = delete;
  MemoChannel& operator=(const MemoChannel&) = delete;

  // Whether AssignMemo bound the channel.
  bool IsBound() const;

  // Reads the memo the block variable names into lines (none for block 0;
  // the one line "(BLOB)" for a negative block, raw data). Results: 0; 102
  // (unbound, or open for writing); 8; 100 when the memo cannot be read.
  // Opening a channel that is already open for reading reads again.
  int OpenRead();
  // The next line without its line end, and how it ended: kHard for CR LF
  // (or another program's bare line feed), kSoft for 0x8D LF, kNone for a
  // line with no line end of its own. That is a last line the text ends
  // without a line end, and a line the reader cut: lines longer than 254
  // characters are cut before their last word (or after 254 characters), and
  // such a piece runs on in the next line, so a caller who writes the text
  // back joins them without a line end and changes nothing. After the last
  // line: 0, an empty line, and Eof() true. Results: 0; 102 when open for
  // writing; 104 when not open.
  int ReadLine(std::string* line, LineEnd* end = nullptr);
  // True when every line has been read (and on a channel not open for reading).
  bool Eof() const;

  // Starts a new memo: the block variable becomes 0 until Close. Opening a
  // channel that is already open for writing discards what was written.
  // Results: 0; 102 (unbound, or open for reading); 8.
  int OpenWrite();
  // Appends text. A CR ends a line, and so does a line feed that does not
  // follow one (a line feed right after a CR belongs to it); 0x8D followed
  // by a line feed is a soft return and is dropped with it (the text runs
  // on), any other 0x8D is a letter. Results: 0; 101 once there are more lines
  // than MaxMemoLines (the memo is then refused at Close); 102; 104.
  int Write(std::string_view text);

  // Open for writing: stores the memo and sets the block variable to its
  // block (0 for a dBASE III memo without text). On any failure the block
  // variable gets its old value back and the result is 101. Open for
  // reading: releases the lines. Results: 0; 101; 102 when the table is
  // gone; 104 when not open.
  int Close();

 private:
  friend bool AssignMemo(MemoChannel& channel, int32_t* block);
  struct Private;
  std::unique_ptr<Private> d_;
};

// Binds the channel to the memo whose block number is in *block, in the
// current work area. `block` stays the caller's and must outlive the
// binding. Codes: 215 " [AssignMemo]" without a table; 1019 "<table> No
// Memo Field [AssignMemo]" when the table has no open memo file. The
// channel stays unbound then (and a channel bound before is unbound).
bool AssignMemo(MemoChannel& channel, int32_t* block);

// The text of the memo at `block` in the current work area, whole and as
// the file holds it (line ends and long lines as they are), without the
// line view of the channel: up to the memo's length, its 0x1A or a 0x03.
// Block 0 gives "", a negative block "(BLOB)". Codes: 215 without a table,
// 1019 without a memo file, 1003 for a block at or beyond the end of the
// file, the file layer's for a failed read. True on success.
bool GetMemoText(int32_t block, std::string* text);

// Facts about the memo file of the current work area, for diagnostics.
struct MemoFileInfo {
  std::string file_name;
  bool dbase4 = false;        // length-prefixed blocks, reused in place
  uint32_t block_size = 0;
  uint32_t next_free = 0;     // header offset 0
  uint32_t abandoned = 0;     // header offset 32 (0 when the file is shorter)
  int64_t file_size = 0;
};
// False (no error set) when the current area has no open memo file.
bool GetMemoFileInfo(MemoFileInfo* info);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_MEMO_H_
