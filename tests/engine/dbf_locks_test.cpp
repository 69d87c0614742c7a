// Locks: the ranges other programs see, the lock list and its release
// orders, retries, and exclusion between two processes.
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest, qptest::Fields;

constexpr int64_t kBase = 0x40000000;

// The three-field table: header 129, record 61.
class LockTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    BuildTable("l", Fields({{"payee", 'C', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'M', 10, 0}}), 10);
    ASSERT_EQ(probe_.Open(Path("l.dbf"), plat::kModeShared), plat::kOk);
  }
  bool SeenLocked(int64_t offset, int64_t length) {
    bool locked = false;
    EXPECT_EQ(probe_.IsLockedByOther(offset, length, &locked), plat::kOk);
    return locked;
  }
  int64_t RecordLock(int n) { return kBase + 129 + (n - 1) * 61; }
  plat::File probe_;  // another program's handle
};

// A record's lock covers its range beyond the data, the file lock and the
// semaphore one byte each; the data is never locked; closing releases all.
TEST_F(LockTest, LocksCoverTheRangesOtherProgramsLookAtAndLeaveInTheirOrder) {
  ASSERT_TRUE(Use("l"));
  ASSERT_TRUE(LockRecords({3}));
  EXPECT_EQ(RecordLock(3), 1073742075);
  EXPECT_TRUE(SeenLocked(1073742075, 1) && SeenLocked(1073742075 + 60, 1));
  EXPECT_FALSE(SeenLocked(1073742075 - 1, 1) || SeenLocked(1073742075 + 61, 1));
  EXPECT_FALSE(SeenLocked(0, 129 + 10 * 61));
  vz::Unlock();
  EXPECT_FALSE(SeenLocked(1073742075, 61));
  ASSERT_TRUE(vz::ALock());
  EXPECT_TRUE(SeenLocked(kBase + 1, 1));
  EXPECT_FALSE(SeenLocked(kBase, 1) || SeenLocked(kBase + 2, 127));
  ASSERT_TRUE(vz::LockSemaphore());
  EXPECT_TRUE(SeenLocked(kBase, 1));
  vz::UnlockSemaphore();
  EXPECT_FALSE(SeenLocked(kBase, 1));
  EXPECT_TRUE(vz::ALock());  // twice: still one lock
  vz::Unlock();
  EXPECT_FALSE(SeenLocked(kBase + 1, 1));
  ASSERT_TRUE(LockRecords({3}));
  vz::USE("");
  EXPECT_FALSE(SeenLocked(1073742075, 61));
  // UnlockRec: oldest, newest or named; one not locked fails quietly (220).
  ASSERT_TRUE(Use("l"));
  ASSERT_TRUE(LockRecords({5, 7, 9}));
  for (auto [n, message] : {std::pair{4, "Record not locked. [UnlockRec(4)]"}, {0, "[UnlockRec(0)]"},
                            {-4, "[UnlockRec(-4)]"}}) {
    EXPECT_FALSE(vz::UnlockRec(n));
    EXPECT_EQ(vz::ErrorCode(), 220);
    EXPECT_EQ(vz::TakeMessage(), message);
  }
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(vz::UnlockRec(-1));
  EXPECT_FALSE(vz::IsLocked(5));
  EXPECT_FALSE(SeenLocked(RecordLock(5), 61));
  EXPECT_TRUE(vz::UnlockRec(-2));
  EXPECT_FALSE(vz::IsLocked(9));
  EXPECT_TRUE(vz::IsLocked(7));
  EXPECT_TRUE(SeenLocked(RecordLock(7), 61));
  EXPECT_FALSE(vz::ALock());
  EXPECT_TRUE(vz::UnlockRec(7));
  EXPECT_TRUE(vz::ALock());  // the last node gone: no locks held
  EXPECT_FALSE(vz::RLock());  // our own file lock excludes record locks
  EXPECT_EQ(vz::ErrorCode(), 0);
  vz::Unlock();
  ASSERT_TRUE(LockRecords({2, 4, 6}));
  EXPECT_TRUE(vz::UnlockRec(-3));
  for (int n : {2, 4, 6}) EXPECT_FALSE(SeenLocked(RecordLock(n), 61)) << n;
}

TEST_F(LockTest, RetriesAskTheCallbackFailingUnlocksAreKeptAndLocksNeedARecordWithinTheLimit) {
  ASSERT_EQ(probe_.Lock(kBase + 1, 1), plat::kOk);
  ASSERT_TRUE(Use("l"));
  plat::fault::Reset();
  EXPECT_FALSE(vz::ALock());  // by default: one attempt
  EXPECT_EQ(plat::fault::Calls(plat::fault::Op::kLock), 1);
  int asked = 0;
  vz::Settings().LockRetryCount = 2;
  vz::Settings().LockRetryCallback = [&] {
    if (++asked == 2) probe_.Unlock(kBase + 1, 1);
    return true;
  };
  plat::fault::Reset();
  EXPECT_TRUE(vz::ALock());
  EXPECT_EQ(asked, 2);
  // 3 attempts, the callback, 3 more, the callback (its unlock is 1), success.
  EXPECT_EQ(plat::fault::Calls(plat::fault::Op::kLock), 3 + 3 + 1 + 1);
  vz::Unlock();
  // Failing unlocks are reported, or kept for the caller.
  ASSERT_TRUE(vz::LockSemaphore());
  plat::fault::FailNth(plat::fault::Op::kLock, 1, EIO);
  vz::UnlockSemaphore();
  EXPECT_EQ(LastReport(), ReportOf(30, " Error attempting to UNLOCK file " + Path("l.dbf") + " in Workarea 1"));
  halts_.clear();
  ASSERT_TRUE(LockRecords({2}));
  plat::fault::FailNth(plat::fault::Op::kLock, 1, EIO);
  EXPECT_FALSE(vz::UnlockRec(2));
  EXPECT_EQ(vz::ErrorCode(), 30);
  EXPECT_TRUE(halts_.empty());  // kept, not reported
  EXPECT_FALSE(vz::IsLocked(2));
  // "Record 0" would cover the semaphore and the file lock of everybody.
  vz::USE("");
  ASSERT_TRUE(Create("e", Fields({{"payee", 'C', 200, 0}})));
  ASSERT_TRUE(Use("e"));
  EXPECT_FALSE(vz::RLock());
  plat::File other;
  ASSERT_EQ(other.Open(Path("e.dbf"), plat::kModeShared), plat::kOk);
  bool locked = true;
  ASSERT_EQ(other.IsLockedByOther(kBase, 2, &locked), plat::kOk);
  EXPECT_FALSE(locked);
  vz::USE("");
  vz::Settings().RecordLockLimit = 2;
  ASSERT_TRUE(Use("l"));
  vz::GoBottom();
  vz::SKIP(1);
  EXPECT_FALSE(vz::RLock());
  ASSERT_TRUE(LockRecords({1, 2}));
  vz::GO(3);
  EXPECT_FALSE(vz::RLock());
  EXPECT_EQ(LastReport(), ReportOf(212, "Vozuv record lock limit exceeded [RLOCK]"));
}

class TwoProcessTest : public LockTest {
 protected:
  // Another program opens the table and takes locks, held until Release().
  void HoldInChild(const std::function<bool()>& take) {
    probe_.Close();
    const std::string file = Path("l.dbf");
    child_ = qptest::StartChild([&] {
      if (!vz::USE(file) || !take()) return 10;
      ready_.Send();
      done_.Wait();
      return 0;
    });
    ASSERT_TRUE(ready_.Wait());
    ASSERT_TRUE(Use("l"));
  }
  void Release() {
    done_.Send();
    EXPECT_EQ(qptest::WaitChild(child_), 0);
  }
  qptest::Signal ready_, done_;
  pid_t child_ = -1;
};

TEST_F(TwoProcessTest, LocksOfAnotherProcessExcludeOursRangeByRange) {
  HoldInChild([] {
    vz::GO(2);
    return vz::RLock() && vz::LockSemaphore();
  });
  vz::GO(2);
  EXPECT_FALSE(vz::RLock());
  EXPECT_FALSE(vz::LockSemaphore());
  vz::GO(3);
  EXPECT_TRUE(vz::RLock());
  vz::Unlock();
  EXPECT_TRUE(vz::ALock());  // different ranges: no conflict
  vz::Unlock();
  Release();
  vz::GO(2);
  EXPECT_TRUE(vz::RLock());
  EXPECT_TRUE(vz::LockSemaphore());
  // The file lock of another process stops our append.
  HoldInChild([] { return vz::ALock(); });
  EXPECT_FALSE(vz::ALock());
  Release();
  EXPECT_TRUE(vz::ALock());
  vz::ClearRecord();
  vz::Append();
  EXPECT_EQ(vz::RecCount(), 11);
}

}  // namespace
