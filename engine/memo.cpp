// The memo manager: opening and closing memo files, reading a memo into
// lines, the memo writer with its block allocation and memo lock, and
// PackMemo.
//
// Memo files come from other programs and from crashes, so every number
// read from one is checked before it is used: block numbers against the
// file's size, a length prefix against the bytes that follow it, a chain of
// free runs against the file and against looping (at most 100 runs are
// walked). A damaged file can make a memo read short or wrong; it can never
// make the engine read or write outside a buffer, loop, or write over a
// memo that a record still names.
//
// Failures inside the writer and PackMemo are collected first and reported
// last: a report may end the program or throw, and by then the memo lock
// must be free and the file as it was.
#include "engine/memo_p.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "engine/endian.h"
#include "engine/errors.h"
#include "engine/textutil.h"

namespace vz {

namespace {

uint64_t next_serial = 1;

bool IsPrefixed(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0x08 && p[3] == 0x00; }

int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

// The first failure of a writer or pack, reported once everything is put back.
struct Failure {
  uint16_t code = 0;
  std::string message;

  bool Set(int c, std::string m) {
    if (code == 0) {
      code = static_cast<uint16_t>(c);
      message = std::move(m);
    }
    return false;
  }
  explicit operator bool() const { return code != 0; }
  void Report() const {
    if (code != 0) SetError(code, message);
  }
};

// Positioned reads and writes of the memo file that note their failure.
struct MemoIo {
  MemoFile& mf;
  Failure& fail;
  std::string where;  // appended to the memo name in messages

  bool Read(int64_t offset, void* data, size_t n, size_t* got = nullptr) {
    size_t done = 0;
    int rc = mf.file.ReadAt(offset, data, n, &done);
    if (got) {
      *got = done;
      return rc == plat::kOk || fail.Set(rc, mf.name + where);
    }
    if (rc == plat::kOk && done < n) rc = 30;
    return rc == plat::kOk || fail.Set(rc, mf.name + where);
  }
  bool Write(int64_t offset, const void* data, size_t n, const std::string& context = {}) {
    size_t done = 0;
    int rc = mf.file.WriteAt(offset, data, n, &done);
    if (rc == plat::kOk && done < n) rc = 29;
    return rc == plat::kOk || fail.Set(rc, mf.name + (context.empty() ? where : context));
  }
  bool Write32(int64_t offset, uint32_t value, const std::string& context = {}) {
    uint8_t b[4];
    PutLe32(b, value);
    return Write(offset, b, 4, context);
  }
};

std::string RecordText(const TWorkArea& wa) { return std::to_string(wa.record_number); }

// Runs a record hook over a memo's bytes block by block, as they lie in the
// file: `image` starts on a block boundary; the first `skip` bytes (a block
// header) are left alone, so that other programs and the format check
// always see a plain header.
void RunHook(const RecordHook& hook, uint8_t* image, size_t n, size_t block_size, size_t skip) {
  if (!hook) return;
  for (size_t at = 0; at < n; at += block_size) {
    size_t from = std::max(at, skip);
    size_t to = std::min(n, at + block_size);
    if (from < to) hook(image + from, to - from);
  }
}

// ---- reading a memo's bytes ------------------------------------------------

struct LoadedMemo {
  std::vector<uint8_t> text;   // decoded text bytes, without header or 0x1A
  std::vector<uint8_t> bytes;  // as read (kept for the next memo)
  bool prefixed = false;
  uint32_t blocks = 0;         // blocks the memo's bytes were read from
};

constexpr size_t kLargestStep = 64 * 1024;

// Appends up to `want` bytes read at `offset` to `buf`; false at the end of
// the file (or on a failure, *rc then set).
bool ReadMore(MemoFile& mf, int64_t offset, size_t want, std::vector<uint8_t>& buf, int* rc) {
  const size_t had = buf.size();
  buf.resize(had + want);
  size_t got = 0;
  *rc = mf.file.ReadAt(offset, buf.data() + had, want, &got);
  buf.resize(had + got);
  return *rc == plat::kOk && got == want;
}

// Reads the memo starting at `offset`. A length beyond the end of the file
// reads to the end of the file; so does a 0x1A-terminated memo without its
// 0x1A. Reads grow step by step, so a damaged length costs no more memory
// than the file holds. Returns 0, 1003 when fewer than 2 bytes are there,
// or the file layer's code.
int LoadMemo(TWorkArea& wa, MemoFile& mf, int64_t offset, LoadedMemo* out) {
  const size_t bs = mf.block_size;
  std::vector<uint8_t>& buf = out->bytes;
  buf.clear();
  out->text.clear();
  int rc = plat::kOk;
  bool more = ReadMore(mf, offset, bs, buf, &rc);
  if (rc != plat::kOk) return rc;
  if (buf.size() < 2) return 1003;
  // Fewer than 8 bytes cannot be a length-prefixed memo; other programs
  // leave short 0x1A-terminated memos unpadded at the end of the file.
  out->prefixed = buf.size() >= 8 && IsPrefixed(buf.data());
  if (out->prefixed) {
    const size_t length = std::max<size_t>(Le32(buf.data() + 4), 8);
    while (more && buf.size() < length) {
      more = ReadMore(mf, offset + static_cast<int64_t>(buf.size()),
                      std::min(length - buf.size(), std::max(buf.size(), kLargestStep)), buf, &rc);
      if (rc != plat::kOk) return rc;
    }
    if (buf.size() > length) buf.resize(length);
    RunHook(wa.decode, buf.data(), buf.size(), bs, 8);
    out->text.assign(buf.begin() + 8, buf.end());
    out->blocks = static_cast<uint32_t>(CeilDiv(static_cast<int64_t>(buf.size()), static_cast<int64_t>(bs)));
    return plat::kOk;
  }
  // 0x1A-terminated: block by block until the 0x1A, reading ahead in
  // growing steps so that long memos take few reads.
  out->blocks = 0;
  int64_t pos = offset;
  size_t step = bs;
  for (;;) {
    for (size_t at = 0; at < buf.size(); at += bs) {
      size_t n = std::min(bs, buf.size() - at);
      uint8_t* block = buf.data() + at;
      if (wa.decode) wa.decode(block, n);
      ++out->blocks;
      uint8_t* end = static_cast<uint8_t*>(std::memchr(block, kMemoEnd, n));
      if (end) {
        out->text.insert(out->text.end(), block, end);
        return plat::kOk;
      }
      out->text.insert(out->text.end(), block, block + n);
    }
    if (!more) return plat::kOk;
    pos += static_cast<int64_t>(buf.size());
    step = std::min(step * 2, kLargestStep / bs * bs);
    buf.clear();
    more = ReadMore(mf, pos, step, buf, &rc);
    if (rc != plat::kOk) return rc;
  }
}

// ---- the line splitter -----------------------------------------------------

// Turns memo text into lines of at most kMemoLineWidth characters. A CR
// ends a line (and drops a line feed right after it), and so does a line
// feed alone, as other programs end their lines; 0x8D followed by a line
// feed is a soft return; any other 0x8D is a letter. A line that would grow
// past the width is cut before its last word (the blanks stay behind), or
// after the width when it has no blank; such a line ends with kNone, as
// does a last line that has no line end of its own.
class LineSplitter {
 public:
  LineSplitter(MemoLineBuffer& lb, size_t max_lines, size_t limit)
      : lb_(lb), max_lines_(max_lines), limit_(limit) {}

  // False once the text has ended (0x03) or the line limit is reached.
  bool Feed(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (!Byte(p[i])) return false;
    }
    return true;
  }

  void Finish() {
    if (held_soft_) {
      held_soft_ = false;
      if (!Put(kSoftCr)) return;
    }
    if (!line_.empty()) Emit(LineEnd::kNone);
  }

 private:
  bool Byte(uint8_t c) {
    if (after_cr_) {
      after_cr_ = false;
      if (c == kLf) return true;
    }
    if (held_soft_) {
      held_soft_ = false;
      if (c == kLf) return Emit(LineEnd::kSoft);
      if (!Put(kSoftCr)) return false;
    }
    if (c == kTextEnd) {
      Finish();
      return false;
    }
    if (c == kCr) {
      after_cr_ = true;
      return Emit(LineEnd::kHard);
    }
    if (c == kLf) return Emit(LineEnd::kHard);
    if (c == kSoftCr) {
      held_soft_ = true;
      return true;
    }
    return Put(c);
  }

  bool Put(uint8_t c) {
    if (line_.size() >= kMemoLineWidth) {
      size_t blank = line_.rfind(' ');
      std::string rest;
      if (blank != std::string::npos) {
        rest = line_.substr(blank + 1);
        line_.resize(blank + 1);
      }
      if (!Emit(LineEnd::kNone)) return false;
      line_ = std::move(rest);
    }
    line_.push_back(static_cast<char>(c));
    return true;
  }

  // Stores the current line; false when the caller's limit is reached.
  bool Emit(LineEnd end) {
    if (lb_.lines.size() < max_lines_) {
      lb_.lines.push_back(std::move(line_));
      lb_.ends.push_back(end);
    }
    line_.clear();
    return limit_ == 0 || lb_.lines.size() < limit_;
  }

  MemoLineBuffer& lb_;
  size_t max_lines_;
  size_t limit_;
  std::string line_;
  bool after_cr_ = false;
  bool held_soft_ = false;
};

// ---- space in dBASE IV files -----------------------------------------------

struct Run {
  uint32_t first = 0;
  uint32_t count = 0;

  bool Holds(int64_t block) const { return block >= first && block - first < int64_t{count}; }
  bool Overlaps(int64_t from, int64_t n) const {
    return count > 0 && n > 0 && from < int64_t{first} + count && int64_t{first} < from + n;
  }
};

// The state of one placement: the file's size and block count as seen
// under the memo lock, and the runs that the chain's upkeep must neither
// write into nor hand out: the note being replaced (until the new one is
// stored) and the new note itself. A damaged chain can name any block, so
// every block it names is checked against them before it is written.
struct Placement {
  MemoIo& io;
  uint32_t bs;
  int64_t size;
  int64_t blocks;  // whole blocks, a partial last block counting as one
  std::vector<Run> keep = {};

  bool ReadHead(uint32_t* head) {
    uint8_t b[4];
    size_t got = 0;
    if (!io.Read(0, b, 4, &got)) return false;
    *head = got == 4 ? Le32(b) : static_cast<uint32_t>(blocks);
    return true;
  }
  bool Kept(int64_t from, int64_t n = 1) const {
    for (const Run& r : keep) {
      if (r.Overlaps(from, n)) return true;
    }
    return false;
  }
  // Whether block b begins a length-prefixed note; false beyond the file.
  bool BeginsNote(int64_t b, bool* begins) {
    uint8_t head[8];
    size_t got = 0;
    if (!io.Read(b * bs, head, 8, &got)) return false;
    *begins = got == 8 && IsPrefixed(head);
    return true;
  }
};

// Links a run into the chain of free runs in block order. Nothing is
// recorded while the chain is empty, nor into a chain that leads into a used
// or kept block, loops or is longer than the walk allows, nor a run that
// overlaps a kept one: lost space is harmless, a free run that is not free
// is not.
bool PutBlocksFree(Placement& pl, uint32_t first, uint32_t count) {
  if (count == 0 || first == 0 || first >= pl.blocks) return true;
  count = static_cast<uint32_t>(std::min<int64_t>(count, pl.blocks - first));
  if (pl.Kept(first, count)) return true;
  uint32_t head = 0;
  if (!pl.ReadHead(&head)) return false;
  if (head >= pl.blocks || head == first) return true;
  uint8_t run[8];
  if (head > first) {
    PutLe32(run, head);
    PutLe32(run + 4, count);
    return pl.io.Write(int64_t{first} * pl.bs, run, 8) && pl.io.Write32(0, first);
  }
  uint32_t cur = head;
  for (int visited = 0; visited < kRunWalkLimit; ++visited) {
    if (pl.Kept(cur)) return true;
    uint8_t links[8];
    if (!pl.io.Read(int64_t{cur} * pl.bs, links, 8)) return false;
    if (links[0] == 0xFF && links[1] == 0xFF) return true;
    const uint32_t next = Le32(links);
    if (next == first) return true;
    if (next > first || next >= pl.blocks || next <= cur) {
      PutLe32(run, next);
      PutLe32(run + 4, count);
      return pl.io.Write(int64_t{first} * pl.bs, run, 8) && pl.io.Write32(int64_t{cur} * pl.bs, first);
    }
    cur = next;
  }
  return true;
}

// Whether the chain names or covers any block of `run` (*touches). A chain
// too long to walk to its end counts as touching: what it names beyond the
// walk is unknown.
bool ChainTouches(Placement& pl, Run run, bool* touches) {
  *touches = false;
  uint32_t head = 0;
  if (!pl.ReadHead(&head)) return false;
  uint32_t next = head;
  for (int visited = 0;; ++visited) {
    if (next == 0 || next >= pl.blocks) return true;
    if (visited >= kRunWalkLimit || run.Holds(next)) {
      *touches = true;
      return true;
    }
    uint8_t links[8];
    if (!pl.io.Read(int64_t{next} * pl.bs, links, 8)) return false;
    if (links[0] == 0xFF && links[1] == 0xFF) return true;
    const int64_t length = std::min<int64_t>(Le32(links + 4), pl.blocks - next);
    if (run.Overlaps(next, length)) {
      *touches = true;
      return true;
    }
    next = Le32(links);
  }
}

// Whether n blocks from `first` are free as far as can be seen: none is
// kept and none after the first begins a note (the first was read as a
// free run already).
bool RunIsFree(Placement& pl, uint32_t first, uint32_t n, bool* free) {
  *free = !pl.Kept(first, n);
  for (uint32_t i = 1; *free && i < n; ++i) {
    bool begins = false;
    if (!pl.BeginsNote(int64_t{first} + i, &begins)) return false;
    *free = !begins;
  }
  return true;
}

// Finds `n` free blocks: a run of the chain long enough (which leaves the
// chain; its surplus goes back to it), or the end of the file. The header
// block is never taken, nor a block that starts a used memo or lies in a
// kept run. A run that is not what the chain says ends the chain there.
bool GetFreeBlocks(Placement& pl, uint32_t n, uint32_t* start) {
  uint32_t head = 0;
  if (!pl.ReadHead(&head)) return false;
  uint32_t prev = 0;  // the block whose first 4 bytes link to `next`
  uint32_t next = head;
  bool cut = false;
  for (int visited = 0;; ++visited) {
    if (next == 0 || next >= pl.blocks || pl.Kept(next)) break;
    if (visited >= kRunWalkLimit) {
      cut = true;
      break;
    }
    uint8_t links[8];
    if (!pl.io.Read(int64_t{next} * pl.bs, links, 8)) return false;
    if (links[0] == 0xFF && links[1] == 0xFF) break;
    const uint32_t after = Le32(links);
    const uint32_t length = static_cast<uint32_t>(std::min<int64_t>(Le32(links + 4), pl.blocks - next));
    if (length >= n) {
      bool free = false;
      if (!RunIsFree(pl, next, n, &free)) return false;
      if (!free) break;
      if (!pl.io.Write32(int64_t{prev} * pl.bs, after)) return false;
      *start = next;
      pl.keep.push_back(Run{next, n});
      return PutBlocksFree(pl, next + n, length - n);
    }
    prev = next;
    next = after;
  }
  *start = static_cast<uint32_t>(pl.blocks);
  const uint32_t end = *start + n;
  if (!pl.io.Write32(int64_t{prev} * pl.bs, end)) return false;
  if (cut && prev != 0 && !pl.io.Write32(0, end, " [MainHeaderWrite()]")) return false;
  return true;
}

// Whether the memo file's disk has room for `bytes` more (more than
// bytes / 1024 kilobytes free). The system is asked at most once a second
// while the room is ample, as notes are small and a full disk still fails
// the write itself.
bool EnoughSpace(const std::string& name, int64_t bytes) {
  constexpr int64_t kAmpleKb = 1024;
  static std::string asked_for;
  static std::chrono::steady_clock::time_point asked_at;
  static int64_t free_kb = -1;
  static int64_t used = 0;  // bytes written since
  const auto now = std::chrono::steady_clock::now();
  const bool known = name == asked_for && free_kb >= 0 && now - asked_at < std::chrono::seconds(1) &&
                     free_kb - used / 1024 > bytes / 1024 + kAmpleKb;
  if (!known) {
    free_kb = plat::FreeSpaceKb(name);
    asked_for = name;
    asked_at = now;
    used = 0;
  }
  const bool enough = free_kb < 0 || free_kb - used / 1024 > bytes / 1024;
  used += bytes;
  return enough;
}

// The memo text of the line buffer: each line with CR LF, then the pending line.
std::string MemoText(const MemoLineBuffer& lb) {
  size_t n = lb.pending.size();
  for (const std::string& line : lb.lines) n += line.size() + 2;
  std::string text;
  text.reserve(n);
  for (const std::string& line : lb.lines) {
    text += line;
    text += "\r\n";
  }
  text += lb.pending;
  return text;
}

// Holds the memo lock until released, so that no failure path leaves it held.
class MemoLock {
 public:
  MemoLock(TWorkArea& wa, MemoFile& mf) : wa_(wa), mf_(mf) {}
  ~MemoLock() {
    if (mf_.locked) UnlockMemo(wa_, mf_);
  }
  bool Take() { return LockMemo(wa_, mf_); }
  int Release() { return UnlockMemo(wa_, mf_); }

 private:
  TWorkArea& wa_;
  MemoFile& mf_;
};

// Hands a run that no memo uses any more back to the chain, once the memo
// that replaced it is stored. Failing here costs space, never text: a chain
// that is empty (as in every file this engine writes) takes nothing, and
// while another program holds the memo lock the run is simply left out.
void ReleaseRun(MemoFile& mf, Placement& pl, Run release, MemoLock& lock) {
  int64_t size = 0;
  if (mf.file.Size(&size) == plat::kOk) pl.blocks = std::max<int64_t>(1, CeilDiv(size, pl.bs));
  uint32_t head = 0;
  if (!pl.ReadHead(&head) || head >= pl.blocks || !lock.Take()) return;
  if (!PutBlocksFree(pl, release.first, release.count)) return;
  if (lock.Release() != plat::kOk) pl.io.fail.Set(1018, mf.name + " [EditMemo/CloseMemo]");
}

bool WriteDbase3(TWorkArea& wa, MemoFile& mf, const std::string& text, Failure& fail, int32_t* new_block) {
  MemoIo io{mf, fail, " [EditMemo/CloseMemo]"};
  MemoLock lock(wa, mf);
  if (!lock.Take()) return fail.Set(1017, mf.name + " [EditMemo/CloseMemo]");
  const int64_t bs = mf.block_size;
  int64_t size = 0;
  int rc = mf.file.Size(&size);
  if (rc != plat::kOk) return fail.Set(rc, mf.name + " [EditMemo/CloseMemo]");
  // A new file's lone 0x1A at 512 is overwritten by the first memo; block 0
  // is never written, whatever the file's size.
  const int64_t start = size == bs + 1 ? bs : std::max(bs, CeilDiv(size, bs) * bs);
  if (start / bs > INT32_MAX) return fail.Set(1005, mf.name + " [EditMemo/CloseMemo]");
  const int64_t from = std::min(size, start);
  const size_t memo_bytes = static_cast<size_t>(CeilDiv(static_cast<int64_t>(text.size()) + 2, bs) * bs);
  std::vector<uint8_t> image(static_cast<size_t>(start - from) + memo_bytes, 0);
  uint8_t* memo = image.data() + (start - from);
  std::memcpy(memo, text.data(), text.size());
  memo[text.size()] = kMemoEnd;
  memo[text.size() + 1] = kMemoEnd;
  RunHook(wa.encode, memo, memo_bytes, static_cast<size_t>(bs), 0);
  if (!io.Write(from, image.data(), image.size())) return false;

  // The header: next free block and the abandoned-block counter.
  uint8_t head[36];
  if (!io.Read(0, head, sizeof head)) return false;
  const int64_t end = std::max(size, start + static_cast<int64_t>(memo_bytes));
  PutLe32(head, static_cast<uint32_t>(CeilDiv(end, bs)));
  PutLe32(head + kAbandonedOffset, Le32(head + kAbandonedOffset) + LineBuffer().blocks_read);
  if (!io.Write(0, head, sizeof head)) return false;
  if (lock.Release() != plat::kOk) return fail.Set(1018, mf.name + " [EditMemo/CloseMemo]");
  *new_block = static_cast<int32_t>(start / bs);
  return true;
}

bool WriteDbase4(TWorkArea& wa, MemoFile& mf, const std::string& text, int32_t old_block, Failure& fail,
                 int32_t* new_block) {
  MemoIo io{mf, fail, " [EditMemo/CloseMemo]"};
  MemoLock lock(wa, mf);
  if (!lock.Take()) return fail.Set(1017, mf.name + " [EditMemo/CloseMemo]");
  const uint32_t bs = mf.block_size;
  int64_t size = 0;
  int rc = mf.file.Size(&size);
  if (rc != plat::kOk) return fail.Set(rc, mf.name + " [EditMemo/CloseMemo]");
  Placement pl{io, bs, size, std::max<int64_t>(1, CeilDiv(size, bs))};
  const int64_t length = static_cast<int64_t>(text.size()) + 8;
  if (length > UINT32_MAX) return fail.Set(1005, mf.name + " [EditMemo/CloseMemo]");
  // One rule sizes every run: length / block size + 1 blocks.
  const uint32_t needed = static_cast<uint32_t>(length / bs + 1);

  // The old memo's run, as far as it really belongs to it: its length may
  // be damaged, so only the blocks up to the first that lies beyond the
  // file or begins another note count, and none while the chain of free
  // runs names or covers one of them. Only an intact run is reused or
  // handed back; any other is left alone and the new memo goes elsewhere.
  uint32_t owned = 0;
  bool intact = false;
  if (old_block > 0 && old_block < pl.blocks) {
    uint8_t group[8];
    size_t got = 0;
    if (!io.Read(int64_t{old_block} * bs, group, 8, &got)) return false;
    if (got == 8 && IsPrefixed(group)) {
      const int64_t claimed = Le32(group + 4) / bs + 1;
      const int64_t in_file = std::min<int64_t>(claimed, pl.blocks - old_block);
      owned = 1;
      bool begins = false;
      while (owned < in_file && !begins) {
        if (!pl.BeginsNote(int64_t{old_block} + owned, &begins)) return false;
        if (!begins) ++owned;
      }
      bool touched = false;
      if (!ChainTouches(pl, Run{static_cast<uint32_t>(old_block), owned}, &touched)) return false;
      if (touched) owned = 0;
      intact = owned > 0 && owned == claimed;
      // Until the new memo is stored the old one stays as it is.
      pl.keep.push_back(Run{static_cast<uint32_t>(old_block), static_cast<uint32_t>(in_file)});
    }
  }
  // What to hand back to the chain once the new memo is safely stored.
  Run release;
  uint32_t start = 0;
  const bool in_place = intact && owned >= needed;
  if (in_place) {
    start = static_cast<uint32_t>(old_block);
    release = Run{start + needed, owned - needed};
  } else {
    if (!GetFreeBlocks(pl, needed, &start)) return false;
    if (owned > 0) {
      if (intact) release = Run{static_cast<uint32_t>(old_block), owned};
      if (bs >= kAbandonedOffset + 4) {
        uint8_t counter[4] = {};
        size_t got = 0;
        if (!io.Read(kAbandonedOffset, counter, 4, &got)) return false;
        if (!io.Write32(kAbandonedOffset, (got == 4 ? Le32(counter) : 0) + owned)) return false;
      }
    }
  }
  if (int64_t{start} + needed > INT32_MAX) return fail.Set(1005, mf.name + " [EditMemo/CloseMemo]");

  // The whole run is written, so that the file reaches its end at once.
  const size_t image_size = static_cast<size_t>(needed) * bs;
  const int64_t at = int64_t{start} * bs;
  // Rewriting in place destroys the old text; keep it until the new one
  // is on disk.
  std::vector<uint8_t> backup;
  if (in_place) {
    backup.resize(static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(image_size), size - at)));
    if (!io.Read(at, backup.data(), backup.size())) return false;
  }
  std::vector<uint8_t> image(image_size, 0);
  PutLe16(image.data(), 0xFFFF);
  PutLe16(image.data() + 2, 0x0008);
  PutLe32(image.data() + 4, static_cast<uint32_t>(length));
  std::memcpy(image.data() + 8, text.data(), text.size());
  RunHook(wa.encode, image.data(), image.size(), bs, 8);

  auto restore = [&] {
    if (!backup.empty()) {
      size_t done = 0;
      mf.file.WriteAt(at, backup.data(), backup.size(), &done);
    }
    return false;
  };
  // UpdateGroupHeader, with the text: the block header is written and the
  // file reaches the end of the run before the lock goes, so that the next
  // writer's count of the file's blocks starts after it.
  if (!io.Write(at, image.data(), image.size())) return restore();
  if (lock.Release() != plat::kOk) {
    restore();
    return fail.Set(1018, mf.name + " [UpdateGroupHeader()]");
  }
  rc = mf.file.Sync();
  if (rc != plat::kOk) {
    restore();
    return fail.Set(rc, "Unable to flush file [FlushFile]");
  }
  *new_block = static_cast<int32_t>(start);

  // The new memo is stored; the old blocks are handed back, and nothing the
  // chain's upkeep writes may land in the new memo.
  pl.keep = {Run{start, needed}};
  if (release.count > 0) ReleaseRun(mf, pl, release, lock);
  return true;
}

}  // namespace

// ---- records and the line buffer ----------------------------------------------

MemoFile* MemoOf(TWorkArea& wa) { return static_cast<MemoFile*>(wa.memo.get()); }

MemoLineBuffer& LineBuffer() {
  static MemoLineBuffer buffer;
  return buffer;
}

// ---- opening and closing ------------------------------------------------------

bool OpenMemoFile(const std::string& table_file_name) {
  TWorkArea* wa = Guard("USE");
  if (!wa) return false;
  const EngineSettings& s = Settings();
  const std::string name = MemoFileName(table_file_name);
  if (wa->memo) {
    SetError(1007, name + " [USE]");
    return false;
  }
  auto mf = std::make_unique<MemoFile>();
  mf->name = name;
  int mode = plat::kModeReadWrite;
  if (s.SharingEnabled && !wa->exclusive) mode = s.DefaultShareMode;
  if (s.ShareModeOverride < 65535) mode = s.ShareModeOverride;
  mf->mode = mode;
  const uint8_t version = wa->header[0];
  const uint8_t flavour = version == 0x83 || version == 0x8B ? version : s.MemoVersion;
  mf->dbase4 = flavour != 0x83;
  int rc = mf->file.Open(name, mode);
  if (rc != plat::kOk) {
    wa->memo.reset();
    SetError(static_cast<uint16_t>(rc), "Memo file not found: " + name + " [USE]");
    return false;
  }
  uint32_t block_size = kDbase3BlockSize;
  if (mf->dbase4) {
    uint8_t head[24] = {};
    size_t got = 0;
    rc = mf->file.ReadAt(0, head, sizeof head, &got);
    if (rc != plat::kOk) {
      mf->file.Close();
      SetError(static_cast<uint16_t>(rc), "Memo file not found: " + name + " [USE]");
      return false;
    }
    block_size = got >= 22 ? Le16(head + 20) : 0;
    if (block_size < kMinBlockSize) block_size = kDbase3BlockSize;
  }
  mf->block_size = block_size;
  mf->serial = next_serial++;
  Settings().MemoBlockSize = static_cast<uint16_t>(block_size);
  wa->memo = std::move(mf);
  return true;
}

void CloseMemoFile() {
  TWorkArea* wa = CurrentWorkArea();
  if (!wa) return;
  MemoFile* mf = MemoOf(*wa);
  if (!mf) return;
  if (mf->locked) UnlockMemo(*wa, *mf);
  const std::string name = mf->name;
  int rc = mf->file.Close();
  wa->memo.reset();
  if (rc != plat::kOk) SetError(static_cast<uint16_t>(rc), name + " [USE, CloseDatabases]");
}

bool LockMemo(TWorkArea& wa, MemoFile& mf) {
  if (!wa.Shared()) {
    mf.locked = true;
    return true;
  }
  for (int attempt = 0; attempt < kMemoLockAttempts; ++attempt) {
    if (mf.file.Lock(kMemoLockOffset, 1) == plat::kOk) {
      mf.locked = true;
      return true;
    }
  }
  return false;
}

int UnlockMemo(TWorkArea& wa, MemoFile& mf) {
  if (!mf.locked) return plat::kOk;
  mf.locked = false;
  if (!wa.Shared()) return plat::kOk;
  return mf.file.Unlock(kMemoLockOffset, 1);
}

// ---- reading ------------------------------------------------------------------

bool GetMemo(TWorkArea& wa, MemoFile& mf, int32_t block, int limit) {
  MemoLineBuffer& lb = LineBuffer();
  const size_t max_lines = Settings().MaxMemoLines;
  lb.lines.clear();
  lb.ends.clear();
  lb.pending.clear();
  lb.blocks_read = 0;
  lb.lines.reserve(std::min<size_t>(max_lines, 64));
  if (block == 0) return true;
  auto failed = [&](int code) {
    SetError(static_cast<uint16_t>(code), mf.name + " Record # " + RecordText(wa) + " [GetMemo]");
    return false;
  };
  const int64_t index = block < 0 ? -int64_t{block} : int64_t{block};
  const int64_t offset = index * mf.block_size;
  if (block < 0) {
    int64_t size = 0;
    int rc = mf.file.Size(&size);
    if (rc != plat::kOk) return failed(rc);
    if (offset >= size - 1) return failed(1003);
    lb.lines.emplace_back("(BLOB)");
    lb.ends.push_back(LineEnd::kNone);
    return true;
  }
  // Kept from one read to the next: notes are read one after the other.
  // A block at or beyond the last byte of the file reads fewer than 2 bytes.
  static LoadedMemo memo;
  int rc = LoadMemo(wa, mf, offset, &memo);
  if (rc != plat::kOk) return failed(rc);
  lb.blocks_read = memo.blocks;
  LineSplitter splitter(lb, max_lines, limit > 0 ? static_cast<size_t>(limit) : 0);
  if (splitter.Feed(memo.text.data(), memo.text.size())) splitter.Finish();
  if (memo.bytes.capacity() > kLargestStep * 4) memo = LoadedMemo{};  // a rare long one
  return true;
}

bool GetMemoText(int32_t block, std::string* text) {
  text->clear();
  TWorkArea* wa = Guard("GetMemoText");
  if (!wa) return false;
  MemoFile* mf = MemoOf(*wa);
  if (!mf) {
    SetError(1019, wa->file_name + " No Memo Field [GetMemoText]");
    return false;
  }
  if (block == 0) return true;
  auto failed = [&](int code) {
    SetError(static_cast<uint16_t>(code), mf->name + " Record # " + RecordText(*wa) + " [GetMemoText]");
    return false;
  };
  const int64_t index = block < 0 ? -int64_t{block} : int64_t{block};
  const int64_t offset = index * mf->block_size;
  if (block < 0) {
    int64_t size = 0;
    int rc = mf->file.Size(&size);
    if (rc != plat::kOk) return failed(rc);
    if (offset >= size - 1) return failed(1003);
    *text = "(BLOB)";
    return true;
  }
  LoadedMemo memo;
  int rc = LoadMemo(*wa, *mf, offset, &memo);
  if (rc != plat::kOk) return failed(rc);
  const auto end = std::find(memo.text.begin(), memo.text.end(), kTextEnd);
  text->assign(memo.text.begin(), end);
  return true;
}

// ---- writing ------------------------------------------------------------------

bool WriteMemo(TWorkArea& wa, MemoFile& mf, int32_t old_block, int32_t* new_block) {
  *new_block = 0;
  const MemoLineBuffer& lb = LineBuffer();
  if (!mf.dbase4 && lb.lines.empty() && lb.pending.empty()) return true;
  const std::string text = MemoText(lb);
  const int64_t size = static_cast<int64_t>(text.size()) + (mf.dbase4 ? 8 : 2);
  if (!EnoughSpace(mf.name, size)) {
    SetError(1004, mf.name + " [EditMemo/CloseMemo]");
    return false;
  }
  Failure fail;
  int32_t block = 0;
  bool ok = mf.dbase4 ? WriteDbase4(wa, mf, text, old_block, fail, &block)
                      : WriteDbase3(wa, mf, text, fail, &block);
  if (ok && !mf.dbase4) {
    int rc = mf.file.Sync();
    if (rc != plat::kOk) ok = fail.Set(rc, "Unable to flush file [FlushFile]");
  }
  if (ok) *new_block = block;
  fail.Report();
  return ok;
}

// ---- packing ------------------------------------------------------------------

namespace {

// Copies the memos that records point to into the temporary file and
// rewrites the pointers, keeping what it needs to put them back.
//
// Order of a pack, and what a crash leaves at each step:
//   1. ".$$$" is written; records untouched. A crash leaves a stale ".$$$"
//      that the next pack removes.
//   2. Record by record, the memos are copied and the record's pointers
//      rewritten to their new blocks. From the first rewritten record until
//      step 4 is on disk, those records name blocks of the new file while
//      the old one is still in place: the window for damage.
//   3. The new file is finished and committed, then the data file.
//   4. One rename puts the new file in the old one's place; the folder is
//      committed. A failure before this puts every pointer back.
class MemoPacker {
 public:
  MemoPacker(TWorkArea& wa, MemoFile& mf, int64_t old_size, plat::File temp)
      : wa_(wa), mf_(mf), old_size_(old_size), in_{mf, fail_, " [PackMemo]"}, out_{temp_, fail_, " [PackMemo]"} {
    temp_.name = mf.name;
    temp_.file = std::move(temp);
    temp_.block_size = mf.block_size;
    record_.resize(wa.record_length);
  }

  Failure& failure() { return fail_; }
  bool rewrote() const { return !rewritten_.empty(); }

  bool WriteHeader() {
    std::vector<uint8_t> head;
    if (mf_.dbase4) {
      head.assign(24, 0);
      PutLe32(head.data(), 1);
      std::string base = BaseNameOf(wa_.file_name).substr(0, 8);
      std::memcpy(head.data() + 8, base.data(), base.size());
      PutLe16(head.data() + 18, kDbase4Mark);
      PutLe16(head.data() + 20, mf_.block_size);
    } else {
      head.assign(mf_.block_size, 0);
    }
    if (!out_.Write(0, head.data(), head.size(), " [PackMemoFile]")) return false;
    size_ = static_cast<int64_t>(head.size());
    return true;
  }

  // Copies the memos of record r and writes its new pointers.
  bool CopyRecord(int32_t r) {
    if (!ReadRecord(r)) return false;
    std::vector<Rewritten> pending;
    for (const TFieldEntry& field : wa_.fields) {
      if (field.type != 'M') continue;
      uint8_t* pointer = record_.data() + field.offset;
      // Read as the record is read: a pointer the table names a note by is
      // packed with it, however another program padded it.
      const int64_t block = StoredMemoBlock(pointer, field.length);
      if (block == 0) continue;
      int64_t new_block = 0;
      if (!CopyMemo(r, block, &new_block)) return false;
      std::string digits = std::to_string(new_block);
      if (digits.size() > field.length) return fail_.Set(1005, mf_.name + " [PackMemo]");
      pending.push_back(Rewritten{r, field.offset, std::string(reinterpret_cast<char*>(pointer), field.length)});
      std::memset(pointer, ' ', field.length);
      std::memcpy(pointer + field.length - digits.size(), digits.data(), digits.size());
    }
    if (pending.empty()) return true;
    // Even a torn write is put back from the old pointers.
    rewritten_.insert(rewritten_.end(), pending.begin(), pending.end());
    int rc = WriteRecord(r);
    return rc == plat::kOk || fail_.Set(rc, "File:  " + wa_.file_name + " [PackMemo]");
  }

  // The end mark, the next free block, and the file committed and closed.
  bool Finish() {
    if (!mf_.dbase4) {
      const uint8_t end = kMemoEnd;
      if (!out_.Write(size_, &end, 1)) return false;
      ++size_;
    }
    if (!out_.Write32(0, static_cast<uint32_t>(size_ / mf_.block_size + 1))) return false;
    int rc = temp_.file.Sync();
    if (rc != plat::kOk) return fail_.Set(rc, "Unable to flush file [FlushFile]");
    rc = temp_.file.Close();
    return rc == plat::kOk || fail_.Set(rc, mf_.name + " [PackMemoFile]");
  }

  // Puts back every pointer this pack rewrote, newest first.
  void Undo() {
    for (auto it = rewritten_.rbegin(); it != rewritten_.rend(); ++it) {
      if (!ReadRecord(it->record)) continue;
      std::memcpy(record_.data() + it->offset, it->old_text.data(), it->old_text.size());
      WriteRecord(it->record);
    }
    if (temp_.file.IsOpen()) temp_.file.Close();
  }

 private:
  struct Rewritten {
    int32_t record;
    size_t offset;
    std::string old_text;
  };

  // Record r's image, decoded, straight from the file (the engine's record
  // functions would report on their own, before the pointers are back).
  bool ReadRecord(int32_t r) {
    size_t got = 0;
    int rc = wa_.file.ReadAt(wa_.RecordOffset(r), record_.data(), record_.size(), &got);
    if (rc == plat::kOk && got < record_.size()) rc = 30;
    if (rc != plat::kOk) return fail_.Set(rc, "File:  " + wa_.file_name + " [PackMemo]");
    if (wa_.decode) wa_.decode(record_.data() + 1, record_.size() - 1);
    return true;
  }

  int WriteRecord(int32_t r) {
    std::vector<uint8_t> encoded = record_;
    if (wa_.encode) wa_.encode(encoded.data() + 1, encoded.size() - 1);
    return WriteThrough(wa_, wa_.RecordOffset(r), encoded.data(), encoded.size());
  }

  // Copies the memo a pointer names (negative: raw data) to the next block
  // boundary of the new file; *new_block is the pointer to it.
  bool CopyMemo(int32_t r, int64_t pointer, int64_t* new_block) {
    const int64_t bs = mf_.block_size;
    if (!header_checked_) {
      uint8_t head[24];
      if (!in_.Read(0, head, sizeof head)) return false;
      header_checked_ = true;
    }
    const bool raw = pointer < 0;
    const int64_t old_block = raw ? -pointer : pointer;
    const std::string where = mf_.name + " Memo block # " + std::to_string(old_block) + " Record # " +
                              std::to_string(r) + " [PackMemo]";
    if (old_block > INT32_MAX || old_block * bs >= old_size_ - 1) return fail_.Set(1003, where);
    const int64_t start = CeilDiv(size_, bs) * bs;
    if (start / bs > INT32_MAX) return fail_.Set(1005, mf_.name + " [PackMemo]");
    if (start > size_) {
      std::vector<uint8_t> zeros(static_cast<size_t>(start - size_), 0);
      size_t done = 0;
      int rc = temp_.file.WriteAt(size_, zeros.data(), zeros.size(), &done);
      if (rc != plat::kOk || done < zeros.size()) return fail_.Set(1005, mf_.name + " [PackMemo]");
      size_ = start;
    }
    LoadedMemo memo;
    int rc = LoadMemo(wa_, mf_, old_block * bs, &memo);
    if (rc != plat::kOk) return fail_.Set(rc, where);
    // Length-prefixed memos keep their format, with the length of the bytes
    // really there; 0x1A-terminated ones end with 0x1A 0x1A, or become
    // length-prefixed in a dBASE IV file (raw data keeps its format).
    std::vector<uint8_t> image;
    size_t skip = 0;
    if (memo.prefixed || (mf_.dbase4 && !raw)) {
      image.assign(8, 0);
      PutLe16(image.data(), 0xFFFF);
      PutLe16(image.data() + 2, 0x0008);
      PutLe32(image.data() + 4, static_cast<uint32_t>(memo.text.size() + 8));
      image.insert(image.end(), memo.text.begin(), memo.text.end());
      if (!memo.prefixed) image.push_back(kMemoEnd);
      skip = 8;
    } else {
      image = std::move(memo.text);
      image.push_back(kMemoEnd);
      image.push_back(kMemoEnd);
    }
    RunHook(wa_.encode, image.data(), image.size(), static_cast<size_t>(bs), skip);
    if (!out_.Write(start, image.data(), image.size())) return false;
    size_ = start + static_cast<int64_t>(image.size());
    *new_block = raw ? -(start / bs) : start / bs;
    return true;
  }

  TWorkArea& wa_;
  MemoFile& mf_;
  const int64_t old_size_;
  Failure fail_;
  MemoFile temp_;  // the temporary file, seen through the same helpers
  MemoIo in_;
  MemoIo out_;
  int64_t size_ = 0;  // of the temporary file
  bool header_checked_ = false;
  std::vector<uint8_t> record_;
  std::vector<Rewritten> rewritten_;
};

}  // namespace

bool PackMemo() {
  TWorkArea* wa = Guard("PackMemo");
  if (!wa) return false;
  MemoFile* mf = MemoOf(*wa);
  if (!mf) {
    SetError(1019, wa->file_name + " No Memo Field [PackMemoFile]");
    return false;
  }
  const std::string context = mf->name + " [PackMemoFile]";
  // Another program writing a memo meanwhile would lose it.
  if (wa->Shared()) {
    SetError(plat::kSharingViolation, context);
    return false;
  }
  int64_t old_size = 0;
  int rc = mf->file.Size(&old_size);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), context);
    return false;
  }
  const int64_t free_kb = plat::FreeSpaceKb(mf->name);
  if (free_kb >= 0 && free_kb < old_size / 1024) {
    SetError(1012, context);
    return false;
  }
  const std::string dir = DirectoryOf(mf->name);
  const std::string temp_name = dir + BaseNameOf(mf->name) + ".$$$";
  // A file of that name is left over from a pack that died (the table is
  // ours alone now); whatever it is, it goes, and the new one is made
  // without following a link planted in its place.
  plat::Erase(temp_name);
  plat::File temp;
  rc = temp.CreateNew(temp_name, plat::kModeExclusive);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "Unable to create temporary file: " + temp_name + " [PackMemoFile]");
    return false;
  }

  SettingsGuard settings;
  Settings().FlushOnWrite = false;
  MemoPacker packer(*wa, *mf, old_size, std::move(temp));
  bool ok = packer.WriteHeader();
  for (int32_t r = 1; ok && r <= wa->record_count; ++r) ok = packer.CopyRecord(r);
  if (ok) ok = packer.Finish();
  if (ok && packer.rewrote()) {
    rc = wa->file.Sync();
    if (rc != plat::kOk) ok = packer.failure().Set(rc, "Unable to flush file [FlushFile]");
  }
  if (ok) {
    rc = plat::Rename(temp_name, mf->name);
    if (rc != plat::kOk) ok = packer.failure().Set(rc, context);
  }
  DropPeekCache(*wa);
  if (!ok) {
    packer.Undo();
    plat::Erase(temp_name);
    packer.failure().Report();
    return false;
  }
  // Without the folder on disk the rename may not survive a power cut; the
  // pack itself is done, so this is reported once the table is whole again.
  const int dir_rc = plat::SyncDirectory(dir.empty() ? "." : dir);
  if (packer.rewrote() && wa->file_state != kAppended) wa->file_state = kRewritten;

  // The old file is gone from the folder; its handle goes too, and the new
  // file opens as the old one was.
  mf->file.Close();
  rc = mf->file.Open(mf->name, mf->mode);
  if (rc != plat::kOk) {
    const std::string name = mf->name;
    wa->memo.reset();
    wa->memo_open = false;
    SetError(static_cast<uint16_t>(rc), "Memo file not found: " + name + " [PackMemoFile]");
    return false;
  }
  mf->serial = next_serial++;
  // The current record's memo numbers have changed with the pack.
  if (wa->record_number >= 1 && wa->record_number <= wa->record_count && GetDbfRecord(*wa, wa->record_number)) {
    RecordToBuffer(*wa);
  }
  if (dir_rc != plat::kOk) {
    SetError(static_cast<uint16_t>(dir_rc), "Unable to flush file [FlushFile]");
    return false;
  }
  return true;
}

// ---- start-up and diagnostics -------------------------------------------------

bool GetMemoFileInfo(MemoFileInfo* info) {
  TWorkArea* wa = CurrentWorkArea();
  MemoFile* mf = wa ? MemoOf(*wa) : nullptr;
  if (!mf) return false;
  *info = MemoFileInfo{};
  info->file_name = mf->name;
  info->dbase4 = mf->dbase4;
  info->block_size = mf->block_size;
  mf->file.Size(&info->file_size);
  uint8_t head[36] = {};
  size_t got = 0;
  mf->file.ReadAt(0, head, sizeof head, &got);
  if (got >= 4) info->next_free = Le32(head);
  if (got >= 36) info->abandoned = Le32(head + kAbandonedOffset);
  return true;
}

void StartMemoManager() {
  MemoLineBuffer& lb = LineBuffer();
  if (lb.owner == nullptr) lb = MemoLineBuffer{};
  MemoManager manager;
  manager.AssignMemo = [](MemoChannel& channel, int32_t* block) { return AssignMemo(channel, block); };
  manager.PackMemo = [] { return PackMemo(); };
  manager.OpenMemoFile = [](const std::string& table_file_name) { return OpenMemoFile(table_file_name); };
  manager.CloseMemoFile = [] { CloseMemoFile(); };
  SetMemoManager(std::move(manager));
}

}  // namespace vz
