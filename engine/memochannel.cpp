// The memo text channel: a stream over one memo, bound to a work area and to
// the caller's block variable by AssignMemo.
//
// States of a channel:
//
//   1. unbound: every open gives 102;
//   2. bound and closed: AssignMemo succeeded; reads and writes give 104;
//   3. open for reading: holds the engine's line buffer with the memo's
//      lines and hands them out one by one;
//   4. open for writing: holds the line buffer and collects what is
//      written; Close stores it as a memo and sets the block variable.
//
//   3 and 4 go back to 2 on Close. While one channel is in 3 or 4 no other
//   channel can open (result 8): the line buffer is the engine's only one.
//
// The channel remembers its work area and switches to it for each
// operation, so callers may select other areas between the calls. Should
// the table there be closed or its memo file packed in the meantime, the
// channel's block number means nothing any more and it answers 102.
#include "engine/memo.h"

#include "engine/errors.h"
#include "engine/memo_p.h"

namespace vz {

namespace {

// Makes the channel's work area current for one operation.
class AreaSwitch {
 public:
  explicit AreaSwitch(int area) : saved_(CurrentArea()) { SetCurrentArea(area); }
  ~AreaSwitch() { SetCurrentArea(saved_); }
  AreaSwitch(const AreaSwitch&) = delete;
  AreaSwitch& operator=(const AreaSwitch&) = delete;

 private:
  int saved_;
};

}  // namespace

struct MemoChannel::Private {
  enum class Mode { kClosed, kReading, kWriting };

  bool bound = false;
  int area = 0;
  uint64_t serial = 0;
  int32_t* block = nullptr;
  Mode mode = Mode::kClosed;
  size_t next_line = 0;
  int32_t old_block = 0;
  bool overflow = false;    // more lines than a memo may hold were written
  bool held_soft = false;   // a 0x8D waiting to see whether a line feed follows
  bool after_cr = false;    // a line feed now belongs to the CR before it

  // The table and memo file the channel is bound to, when still there.
  bool Resolve(TWorkArea** wa, MemoFile** mf) const {
    if (!bound) return false;
    *wa = WorkAreaAt(area);
    *mf = *wa ? MemoOf(**wa) : nullptr;
    return *mf && (*mf)->serial == serial;
  }

  bool TakeBuffer() {
    MemoLineBuffer& lb = LineBuffer();
    if (lb.owner != nullptr && lb.owner != this) return false;
    lb.owner = this;
    return true;
  }

  void ReleaseBuffer() {
    MemoLineBuffer& lb = LineBuffer();
    if (lb.owner != this) return;
    lb.lines.clear();
    lb.ends.clear();
    lb.pending.clear();
    lb.owner = nullptr;
  }

  // Gives the line buffer back unless the operation succeeded, however it
  // is left (a report may throw).
  class BufferGuard {
   public:
    explicit BufferGuard(Private* d) : d_(d) {}
    ~BufferGuard() {
      if (d_) d_->ReleaseBuffer();
    }
    void Keep() { d_ = nullptr; }
    BufferGuard(const BufferGuard&) = delete;
    BufferGuard& operator=(const BufferGuard&) = delete;

   private:
    Private* d_;
  };

  bool EndLine() {
    MemoLineBuffer& lb = LineBuffer();
    if (lb.lines.size() >= Settings().MaxMemoLines) {
      overflow = true;
      return false;
    }
    lb.lines.push_back(std::move(lb.pending));
    lb.ends.push_back(LineEnd::kHard);
    lb.pending.clear();
    return true;
  }
};

MemoChannel::MemoChannel() : d_(std::make_unique<Private>()) {}

MemoChannel::~MemoChannel() {
  if (d_->mode == Private::Mode::kWriting && d_->block) *d_->block = d_->old_block;
  d_->ReleaseBuffer();
}

bool MemoChannel::IsBound() const { return d_->bound; }

int MemoChannel::OpenRead() {
  Private& d = *d_;
  if (!d.bound || d.mode == Private::Mode::kWriting) return kMemoNotAssigned;
  TWorkArea* wa = nullptr;
  MemoFile* mf = nullptr;
  if (!d.Resolve(&wa, &mf)) return kMemoNotAssigned;
  if (!d.TakeBuffer()) return kMemoNoBuffer;
  d.mode = Private::Mode::kClosed;
  Private::BufferGuard guard(&d);
  AreaSwitch area(d.area);
  ClearError();
  if (!GetMemo(*wa, *mf, *d.block, 0)) return kMemoReadFailed;
  guard.Keep();
  d.mode = Private::Mode::kReading;
  d.next_line = 0;
  return 0;
}

int MemoChannel::ReadLine(std::string* line, LineEnd* end) {
  Private& d = *d_;
  if (d.mode == Private::Mode::kWriting) return kMemoNotAssigned;
  if (d.mode != Private::Mode::kReading) return kMemoNotOpen;
  const MemoLineBuffer& lb = LineBuffer();
  if (d.next_line >= lb.lines.size()) {
    line->clear();
    if (end) *end = LineEnd::kHard;
    return 0;
  }
  *line = lb.lines[d.next_line];
  if (end) *end = lb.ends[d.next_line];
  ++d.next_line;
  return 0;
}

bool MemoChannel::Eof() const {
  return d_->mode != Private::Mode::kReading || d_->next_line >= LineBuffer().lines.size();
}

int MemoChannel::OpenWrite() {
  Private& d = *d_;
  if (!d.bound || d.mode == Private::Mode::kReading) return kMemoNotAssigned;
  TWorkArea* wa = nullptr;
  MemoFile* mf = nullptr;
  if (!d.Resolve(&wa, &mf)) return kMemoNotAssigned;
  if (d.mode != Private::Mode::kWriting) {
    if (!d.TakeBuffer()) return kMemoNoBuffer;
    d.old_block = *d.block;
  }
  MemoLineBuffer& lb = LineBuffer();
  lb.lines.clear();
  lb.ends.clear();
  lb.pending.clear();
  *d.block = 0;
  d.overflow = false;
  d.held_soft = false;
  d.after_cr = false;
  d.mode = Private::Mode::kWriting;
  return 0;
}

int MemoChannel::Write(std::string_view text) {
  Private& d = *d_;
  if (d.mode == Private::Mode::kReading) return kMemoNotAssigned;
  if (d.mode != Private::Mode::kWriting) return kMemoNotOpen;
  if (d.overflow) return kMemoWriteFailed;
  std::string& pending = LineBuffer().pending;
  for (char ch : text) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (d.held_soft) {
      d.held_soft = false;
      if (c == kLf) continue;
      pending.push_back(static_cast<char>(kSoftCr));
    }
    if (d.after_cr) {
      d.after_cr = false;
      if (c == kLf) continue;
    }
    if (c == kCr || c == kLf) {
      d.after_cr = c == kCr;
      if (!d.EndLine()) return kMemoWriteFailed;
    } else if (c == kSoftCr) {
      d.held_soft = true;
    } else {
      pending.push_back(ch);
    }
  }
  return 0;
}

int MemoChannel::Close() {
  Private& d = *d_;
  if (!d.bound) return kMemoNotAssigned;
  if (d.mode == Private::Mode::kClosed) return kMemoNotOpen;
  Private::BufferGuard guard(&d);
  if (d.mode == Private::Mode::kReading) {
    d.mode = Private::Mode::kClosed;
    return 0;
  }
  d.mode = Private::Mode::kClosed;
  *d.block = d.old_block;  // until the new memo is stored
  MemoLineBuffer& lb = LineBuffer();
  if (d.held_soft) {
    d.held_soft = false;
    lb.pending.push_back(static_cast<char>(kSoftCr));
  }
  // A last line beyond the limit would be dropped when the memo is read.
  if (d.overflow || (!lb.pending.empty() && lb.lines.size() >= Settings().MaxMemoLines)) {
    return kMemoWriteFailed;
  }
  TWorkArea* wa = nullptr;
  MemoFile* mf = nullptr;
  if (!d.Resolve(&wa, &mf)) return kMemoNotAssigned;
  AreaSwitch area(d.area);
  ClearError();
  int32_t stored = 0;
  if (!WriteMemo(*wa, *mf, d.old_block, &stored)) return kMemoWriteFailed;
  *d.block = stored;
  d.ReleaseBuffer();
  if (Settings().FlushOnWrite) {
    int rc = mf->file.Sync();
    if (rc != plat::kOk) {
      SetError(static_cast<uint16_t>(rc), "Unable to flush file [FlushFile]");
      return kMemoWriteFailed;
    }
  }
  return 0;
}

bool AssignMemo(MemoChannel& channel, int32_t* block) {
  ClearError();
  MemoChannel::Private& d = *channel.d_;
  if (d.mode == MemoChannel::Private::Mode::kWriting && d.block) *d.block = d.old_block;
  d.ReleaseBuffer();
  d = MemoChannel::Private{};
  TWorkArea* wa = CurrentWorkArea();
  if (!wa) {
    SetError(215, " [AssignMemo]");
    return false;
  }
  MemoFile* mf = MemoOf(*wa);
  if (!mf) {
    SetError(1019, wa->file_name + " No Memo Field [AssignMemo]");
    return false;
  }
  if (!block) {
    SetError(220, "Block variable is NIL [AssignMemo]");
    return false;
  }
  d.bound = true;
  d.area = CurrentArea();
  d.serial = mf->serial;
  d.block = block;
  return true;
}

}  // namespace vz
