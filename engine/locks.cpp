// Locks, deletion and packing.
//
// Every lock is an open-file-description lock on the work area's own handle,
// at offsets from 0x40000000 that no data ever reaches, so locks never stop
// anyone from reading or writing: programs exclude each other only by
// asking for the same range. A lock attempt never waits; a refusal is a
// normal answer (false), not an error. Exclusive tables keep the same lock
// states without asking the operating system, since nobody else can have
// the file open.
#include <algorithm>
#include <vector>

#include "engine/dbf_p.h"
#include "engine/errors.h"

namespace vz {

namespace {

// Bytes of moved records that Pack gathers before it writes them.
constexpr size_t kPackRun = 256 * 1024;

// Unlocks and removes one node of the list; 0 or the failing code.
int ReleaseNode(TWorkArea& wa, size_t index) {
  int32_t n = wa.locks[index].record;
  int rc = OsUnlock(wa, wa.RecordLockOffset(n), wa.record_length);
  wa.locks.erase(wa.locks.begin() + static_cast<std::ptrdiff_t>(index));
  if (wa.locks.empty()) wa.lock_state = kLockNone;
  return rc;
}

bool UnlockRecords(TWorkArea& wa, int32_t n) {
  ClearError();
  auto failed = [&](int rc) {
    SetErrorQuiet(static_cast<uint16_t>(rc), "[UnlockRec(" + std::to_string(n) + ")]");
    return false;
  };
  if (n >= 1) {
    for (size_t i = 0; i < wa.locks.size(); ++i) {
      if (wa.locks[i].record == n) {
        int rc = ReleaseNode(wa, i);
        return rc == plat::kOk ? true : failed(rc);
      }
    }
    SetErrorQuiet(220, "Record not locked. [UnlockRec(" + std::to_string(n) + ")]");
    return false;
  }
  if (n == -1 || n == -2) {
    if (wa.locks.empty()) return true;
    int rc = ReleaseNode(wa, n == -1 ? 0 : wa.locks.size() - 1);
    return rc == plat::kOk ? true : failed(rc);
  }
  if (n == -3) {
    int last = plat::kOk;
    while (!wa.locks.empty()) {
      int rc = ReleaseNode(wa, wa.locks.size() - 1);
      if (rc != plat::kOk) last = rc;
    }
    return last == plat::kOk ? true : failed(last);
  }
  SetErrorQuiet(220, "[UnlockRec(" + std::to_string(n) + ")]");
  return false;
}

// The record count from the file size, whatever the table's sharing.
void CountFromSize(TWorkArea& wa) {
  int64_t size = 0;
  if (wa.file.Size(&size) != plat::kOk) return;
  int64_t records = size <= wa.header_length ? 0 : (size - wa.header_length) / wa.record_length;
  wa.record_count = static_cast<int32_t>(std::min<int64_t>(records, INT32_MAX - 1));
}

void MarkRecord(bool deleted) {
  const char* name = deleted ? "DeleteRec" : "RecallRec";
  TWorkArea* wa = Guard(name);
  if (!wa) return;
  ClearError();
  if (!deleted) RefreshCount(*wa);
  const int32_t n = wa->record_number;
  if (wa->Shared() && !wa->HasRecordLock(n)) {
    SetError(1200, deleted ? wa->file_name + " Record not locked [DeleteRec]"
                           : std::string("Record not locked [RecallRec]"));
    return;
  }
  if (n < 1 || n > wa->record_count) {
    SetError(1103, wa->file_name + " at EOF [" + name + "]");
    return;
  }
  const uint8_t old_flag = wa->field_buffer[0];
  const uint8_t old_byte = wa->record[0];
  wa->field_buffer[0] = deleted ? 1 : 0;
  wa->record[0] = deleted ? '*' : ' ';
  int rc = WriteThrough(*wa, wa->RecordOffset(n), wa->record.data(), 1);
  if (rc != plat::kOk) {
    // The buffers say what the file says.
    wa->field_buffer[0] = old_flag;
    wa->record[0] = old_byte;
    SetError(static_cast<uint16_t>(rc), "File:  " + wa->file_name + " [DeleteRec/RecallRec]");
    return;
  }
  if (wa->file_state != kAppended) wa->file_state = kRewritten;
  if (Settings().FlushOnWrite) CommitFile(*wa);
  UpdatePeekCache(*wa, n, 0, wa->record.data(), 1);
}

// Steps 3-11 of a pack on a table that is now exclusive. True when packed.
bool Compact(TWorkArea& wa) {
  EngineSettings& s = Settings();
  const bool flush = s.FlushOnWrite;
  s.FlushOnWrite = false;
  std::function<void()> relation = std::move(wa.relation);
  wa.relation = nullptr;
  auto restore = [&] {
    Settings().FlushOnWrite = flush;
    wa.relation = std::move(relation);
  };
  // Records move down to the free slots in runs: the moved images gather in
  // `moved` and go out in one write per run. Every record is read before
  // anything is written over its place (a free slot always lies below the
  // record being read), so a write that fails half-way leaves each record
  // at least once in the file: moved, never lost.
  const int32_t count = wa.record_count;
  const size_t rl = wa.record_length;
  int32_t kept = 0;
  int32_t free_slot = 0;
  int32_t run_start = 0;
  std::vector<uint8_t> moved;
  auto write_run = [&] {
    if (moved.empty()) return true;
    int rc = WriteThrough(wa, wa.RecordOffset(run_start), moved.data(), moved.size());
    moved.clear();
    if (wa.file_state != kAppended) wa.file_state = kRewritten;
    if (rc != plat::kOk) {
      SetError(static_cast<uint16_t>(rc), "File:  " + wa.file_name + " [Replace/Append/PutDbfRecord]");
      return false;
    }
    return true;
  };
  for (int32_t read = 1; read <= count; ++read) {
    if (!GetDbfRecord(wa, read)) {
      restore();
      return false;
    }
    if (wa.record[0] == '*') {
      if (free_slot == 0) free_slot = read;
      continue;
    }
    ++kept;
    if (free_slot == 0) continue;
    if (moved.empty()) run_start = free_slot;
    if (wa.encode) wa.encode(wa.record.data() + 1, rl - 1);
    moved.insert(moved.end(), wa.record.begin(), wa.record.end());
    if (wa.decode) wa.decode(wa.record.data() + 1, rl - 1);
    ++free_slot;
    if (moved.size() >= kPackRun && !write_run()) {
      restore();
      return false;
    }
  }
  if (!write_run()) {
    restore();
    return false;
  }
  wa.file_state = kAppended;
  DropReadAhead(wa);
  const int64_t end = wa.RecordOffset(int64_t{kept} + 1);
  int rc = wa.file.Truncate(end);
  if (rc == plat::kOk) {
    const uint8_t mark = kEndOfFile;
    rc = WriteThrough(wa, end, &mark, 1);
  }
  if (rc != plat::kOk) {
    restore();
    SetError(static_cast<uint16_t>(rc), "Error packing " + wa.file_name);
    return false;
  }
  wa.record_count = kept;
  restore();
  FlushDbf(wa.area);
  if (kept > 0) {
    if (GetDbfRecord(wa, 1)) RecordToBuffer(wa);
    wa.record_number = 1;
    wa.eof = false;
    wa.bof = false;
  } else {
    ClearBuffer(wa);
    wa.eof = true;
    wa.bof = true;
    wa.record_number = 0;
  }
  if (kept < count) DropPeekCache(wa);
  const MemoManager& mm = GetMemoManager();
  if (wa.has_memo && wa.memo_open && mm.PackMemo && !mm.PackMemo()) return false;
  const IndexManager& im = GetIndexManager();
  if (IndexActive() && im.Rebuild) im.Rebuild();
  return true;
}

}  // namespace

bool RetriedLock(TWorkArea& wa, int64_t offset, int64_t length) {
  const EngineSettings& s = Settings();
  if (!s.SharingEnabled) return true;
  int attempts = 0;
  for (;;) {
    if (wa.file.Lock(offset, length) == plat::kOk) return true;
    if (++attempts > s.LockRetryCount) {
      if (s.LockRetryCallback && s.LockRetryCallback()) {
        attempts = 0;
        continue;
      }
      return false;
    }
  }
}

int OsUnlock(TWorkArea& wa, int64_t offset, int64_t length) {
  if (!Settings().SharingEnabled) return plat::kOk;
  return wa.file.Unlock(offset, length);
}

void ReleaseLocks(TWorkArea& wa) {
  if (wa.Shared() && wa.lock_state == kLockFile) {
    int rc = OsUnlock(wa, kFileLockOffset, 1);
    if (rc != plat::kOk) SetErrorCode(static_cast<uint16_t>(rc));
  } else if (wa.lock_state == kLockRecords) {
    UnlockRecords(wa, -3);
  }
  wa.locks.clear();
  wa.lock_state = kLockNone;
}

bool ALock() {
  TWorkArea* wa = Guard("ALock");
  if (!wa) return false;
  ClearError();
  if (wa->lock_state == kLockFile) return true;
  if (wa->lock_state == kLockRecords) return false;
  if (wa->Shared() && !RetriedLock(*wa, kFileLockOffset, 1)) return false;
  wa->lock_state = kLockFile;
  return true;
}

bool RLock() {
  TWorkArea* wa = Guard("RLock");
  if (!wa) return false;
  ClearError();
  const uint16_t limit = Settings().RecordLockLimit;
  if (limit != 0 && wa->locks.size() >= limit) {
    SetError(212, "Vozuv record lock limit exceeded [RLOCK]");
    return false;
  }
  const int32_t n = wa->record_number;
  if (wa->lock_state == kLockRecords && wa->HasRecordLock(n)) return true;
  if (wa->lock_state == kLockFile) return false;
  // Without a current record there is nothing to lock, and the range of
  // "record 0" would reach down over the semaphore and the file lock.
  if (n < 1 || n > wa->record_count) return false;
  if (wa->Shared() && !RetriedLock(*wa, wa->RecordLockOffset(n), wa->record_length)) return false;
  wa->locks.push_back(LockNode{n, 0xFFFF});
  wa->lock_state = kLockRecords;
  return true;
}

bool IsLocked(int32_t record) {
  TWorkArea* wa = Guard("IsLocked");
  return wa && wa->HasRecordLock(record);
}

bool UnlockRec(int32_t n) {
  TWorkArea* wa = Guard("UnlockRec");
  return wa && UnlockRecords(*wa, n);
}

void Unlock() {
  TWorkArea* wa = Guard("Unlock");
  if (!wa) return;
  ClearError();
  ReleaseLocks(*wa);
}

bool LockSemaphore() {
  TWorkArea* wa = Guard("LockSemaphore");
  if (!wa) return false;
  return RetriedLock(*wa, kSemaphoreOffset, 1);
}

void UnlockSemaphore() {
  TWorkArea* wa = Guard("UnlockSemaphore");
  if (!wa) return;
  int rc = OsUnlock(*wa, kSemaphoreOffset, 1);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), " Error attempting to UNLOCK file " + wa->file_name +
                                            " in Workarea " + std::to_string(wa->area));
  }
}

void DeleteRec() { MarkRecord(true); }
void RecallRec() { MarkRecord(false); }

bool Pack() {
  TWorkArea* wa = Guard("Pack");
  if (!wa) return false;
  ClearError();
  if (wa->record_count < 1) return false;
  const bool was_shared = wa->Shared();
  bool exclusive_now = true;
  if (was_shared) {
    if (wa->file.Reopen(plat::kModeExclusive) == plat::kOk) {
      wa->exclusive = true;
      wa->file_mode = plat::kModeExclusive;
      DropReadAhead(*wa);
      // Another program may have appended since our last look: those
      // records must be packed with the rest, not cut off.
      CountFromSize(*wa);
    } else {
      exclusive_now = false;
    }
  }
  const bool packed = exclusive_now && Compact(*wa);
  if (was_shared) {
    const int mode = Settings().DefaultShareMode;
    int rc = wa->file.Reopen(mode);
    wa->exclusive = false;
    DropReadAhead(*wa);
    if (rc == plat::kOk) {
      wa->file_mode = mode;
    } else {
      SetError(static_cast<uint16_t>(rc), "Cannot re-open database sharable. " + wa->file_name + " [Pack]");
    }
  }
  RunRelation(*wa);
  return packed;
}

}  // namespace vz
