// Inside the memo manager: the memo file's layout, the per-area memo file
// record, the engine-wide line buffer and the operations the channel, the
// record engine and the tests share. Not for the engine's users.
//
// ---- The memo file (all integers little-endian) -------------------------------
//
// A sequence of blocks; block n starts at n * block size; block 0 is the
// header. The block size is 512 for dBASE III files and the header's value
// at offset 20 for dBASE IV files.
//
// dBASE III header (block 0):
//
//   offset  width  content
//   0       4      next free block: the first block after the last used one
//   4       28     zero
//   32      4      abandoned blocks: grows by the blocks of each memo left
//                  behind by a rewrite (a statistic; nothing reads it back)
//   36      476    zero
//
//   A new file is 513 bytes: the header with next free 1, then one 0x1A.
//
// dBASE IV header (block 0):
//
//   0       4      head of the chain of free runs; with an empty chain, the
//                  first block after the used space
//   4       4      zero
//   8       8      base name of the data file, zero-padded
//   16      2      zero
//   18      2      258 (0x02 0x01), the mark of this layout
//   20      2      block size
//   22      2      zero
//   32      4      abandoned blocks, as above (once the file is that long)
//
//   A new file is just these 24 bytes with next free 1.
//
// Memo blocks. A memo starts on a block boundary; its first 8 bytes decide
// its format, whatever the file's flavour:
//
//   FF FF 08 00 <length: 4>  length-prefixed: `length` counts these 8 bytes
//                            and the text after them; the memo occupies
//                            length / block size + 1 blocks (its run).
//   anything else            0x1A-terminated: the text runs up to the first
//                            0x1A (this engine writes 0x1A 0x1A, as other
//                            dBASE III readers expect) or the end of the file.
//
// In both formats a 0x03 ends the text on reading. Text is lines joined by
// CR LF (hard return) or 0x8D LF (soft return).
//
// Free runs (dBASE IV): a free run begins with (next run, length in blocks).
// The chain starts at header offset 0, stays in block order and ends at a
// block number at or beyond the file's block count. Files this engine
// writes keep the chain empty (freed runs are recorded only in a chain that
// already exists); chains come from other programs.
//
// Neither a length nor the chain is trusted, as damage can make either name
// blocks of other notes:
//   1. a rewrite reuses the old memo's run in place, and hands it back to
//      the chain, only when the run is intact: every block of it inside the
//      file, none after its first beginning a note (FF FF 08 00), none named
//      or covered by the chain; any other run is left alone;
//   2. a run is taken from the chain only when none of the blocks taken
//      begins a note or belongs to the memo being replaced; the first run
//      that fails ends the chain there;
//   3. upkeep of the chain never writes into the memo being replaced (until
//      the new one is stored) nor into the new memo.
//
// ---- Locks --------------------------------------------------------------------
//
// Byte 10 of the memo file (one byte) serialises placing memos between
// programs. A writer holds it from reading the file's size to writing the
// new memo, which takes one write: for dBASE IV the whole run, so that the
// file reaches the run's end before the lock goes and the next writer's
// count of the file's blocks starts after it. Handing an old run back to
// the chain takes it again, after the new memo is on disk. Only shared
// tables take it.
#ifndef QUILLPRINT_ENGINE_MEMO_P_H_
#define QUILLPRINT_ENGINE_MEMO_P_H_

#include <cstdint>
#include <string>
#include <vector>

#include "engine/dbf_p.h"
#include "engine/memo.h"

namespace vz {

inline constexpr uint32_t kDbase3BlockSize = 512;
// Smaller blocks would put memo data inside the 24-byte dBASE IV header.
inline constexpr uint32_t kMinBlockSize = 24;
inline constexpr int64_t kMemoLockOffset = 10;
inline constexpr int kMemoLockAttempts = 11;
inline constexpr int kRunWalkLimit = 100;
inline constexpr size_t kMemoLineWidth = 254;
inline constexpr int64_t kAbandonedOffset = 32;
inline constexpr uint16_t kDbase4Mark = 0x0102;
inline constexpr uint8_t kMemoEnd = 0x1A;
inline constexpr uint8_t kTextEnd = 0x03;
inline constexpr uint8_t kCr = 0x0D;
inline constexpr uint8_t kLf = 0x0A;
inline constexpr uint8_t kSoftCr = 0x8D;

// The memo file record of a work area, from OpenMemoFile to CloseMemoFile.
struct MemoFile final : MemoFileBase {
  plat::File file;
  std::string name;
  int mode = 0;                // the file mode it was opened with
  bool locked = false;         // the memo lock is held
  bool dbase4 = false;         // the flavour, from the data file's version byte
  uint32_t block_size = kDbase3BlockSize;
  uint64_t serial = 0;         // tells a channel that its table is still the same
};

// The memo file record of a work area, or nullptr.
MemoFile* MemoOf(TWorkArea& wa);

// The engine's one memo line buffer.
struct MemoLineBuffer {
  std::vector<std::string> lines;
  std::vector<LineEnd> ends;
  std::string pending;         // written text not yet ended by a CR
  uint32_t blocks_read = 0;    // by the most recent memo read
  const void* owner = nullptr; // the channel holding it, if any
};
MemoLineBuffer& LineBuffer();

// The memo manager's entries (engine/dbf.h), on the current work area.
bool OpenMemoFile(const std::string& table_file_name);
void CloseMemoFile();
bool PackMemo();

// Reads the memo at `block` into the line buffer (limit 0: every line, up
// to MaxMemoLines). Codes: 1003 for a block at or beyond the end of the
// file, the file layer's code for a failed read. True on success.
bool GetMemo(TWorkArea& wa, MemoFile& mf, int32_t block, int limit);

// The memo writer: stores the line buffer's lines and pending line as a new
// memo and sets *new_block (0: a dBASE III memo without text, nothing
// written). The memo at `old_block` is left as it was on every failure.
// Codes: 1004, 1017, 1018, 29, 30, 1005, the file layer's. True on success.
bool WriteMemo(TWorkArea& wa, MemoFile& mf, int32_t old_block, int32_t* new_block);

// The memo lock (byte 10); always granted on an exclusive table or with
// sharing off. LockMemo tries up to 11 times at once; UnlockMemo returns 0
// or the file layer's code.
bool LockMemo(TWorkArea& wa, MemoFile& mf);
int UnlockMemo(TWorkArea& wa, MemoFile& mf);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_MEMO_P_H_
