// The file layer: sharing modes, byte-range locks between processes, error
// codes from errno, and the fault seam. How locks conflict between handles
// of one process is left to the engine's lock tests.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <fcntl.h>

#include <cerrno>
#include <functional>
#include <string>

#include "tests/support/dbf_helpers.h"

namespace {

using qptest::ReadAll;

class FileTest : public qptest::TempDirTest {
 protected:
  std::string MakeFile(const std::string& name, const std::string& bytes = "0123456789") {
    qptest::WriteAll(Path(name), bytes);
    return Path(name);
  }
};

// A test of two programs: `body` in a child process, its exit status.
int InChild(const std::function<int()>& body) { return qptest::WaitChild(qptest::StartChild(body)); }

TEST_F(FileTest, SecondOpenSeesTheFirstOnesSharingModeUntilItCloses) {
  const int cases[][3] = {  // first mode, second mode, result of the second open
      {66, 66, plat::kOk}, {66, 18, plat::kSharingViolation}, {18, 66, plat::kSharingViolation},
      {18, 18, plat::kSharingViolation}, {2, 66, plat::kOk}, {2, 18, plat::kOk}, {18, 2, plat::kOk},
      // Read deny-none against deny-all, deny write and deny read act as deny all, read-only deny all.
      {0x40, 0x12, plat::kSharingViolation}, {0x22, 0x42, plat::kSharingViolation},
      {0x32, 0x40, plat::kSharingViolation}, {0x42, 0x10, plat::kSharingViolation},
  };
  const std::string p = MakeFile("t.dbf");
  for (const auto& [first, second, expected] : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << first << " then " << second);
    plat::File a, b;
    ASSERT_EQ(a.Open(p, first), plat::kOk);
    EXPECT_EQ(b.Open(p, second), expected);
    EXPECT_EQ(b.IsOpen(), expected == plat::kOk);
    b.Close();
    EXPECT_EQ(InChild([&] { return plat::File().Open(p, second); }), expected);  // another process alike
    EXPECT_EQ(a.Close(), plat::kOk);
    EXPECT_EQ(b.Open(p, second), plat::kOk);
  }
}

// Our byte-range lock survives closing another handle of the file (classic
// POSIX locks would die there) and both changes of the sharing mode.
TEST_F(FileTest, LockSurvivesClosingAnotherHandleAndReopenUpgradesOnlyWhenAlone) {
  std::string p = MakeFile("t.dbf");
  plat::File a, b, c;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(b.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(a.Lock(0x40000000, 10), plat::kOk);
  EXPECT_EQ(a.Reopen(plat::kModeExclusive), plat::kSharingViolation);
  EXPECT_EQ(a.mode(), plat::kModeShared);  // unchanged after the refusal
  ASSERT_EQ(b.Close(), plat::kOk);
  EXPECT_EQ(InChild([&] { return c.Open(p, plat::kModeShared) != plat::kOk ? 99 : c.Lock(0x40000001, 1); }),
            plat::kLockViolation);
  EXPECT_EQ(a.Reopen(plat::kModeExclusive), plat::kOk);
  EXPECT_EQ(b.Open(p, plat::kModeShared), plat::kSharingViolation);
  ASSERT_EQ(a.Reopen(plat::kModeShared), plat::kOk);
  ASSERT_EQ(c.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_EQ(c.Lock(0x40000005, 1), plat::kLockViolation);
  EXPECT_EQ(plat::LastSystemError(), EAGAIN);
}

// Create never truncates a file someone has open; CreateNew refuses any file
// or link already there.
TEST_F(FileTest, CreateNeverHarmsAFileAlreadyThere) {
  std::string p = MakeFile("t.dbf", "precious");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_EQ(b.Create(p), plat::kSharingViolation);
  EXPECT_EQ(InChild([&] { return plat::File().Create(p); }), plat::kSharingViolation);
  EXPECT_EQ(ReadAll(p), "precious");
  ASSERT_EQ(symlink(p.c_str(), Path("t.$$$").c_str()), 0);
  EXPECT_NE(b.CreateNew(Path("t.$$$")), plat::kOk);
  EXPECT_NE(b.CreateNew(p), plat::kOk);
  EXPECT_EQ(ReadAll(p), "precious");
  EXPECT_EQ(plat::File().CreateNew(Path("fresh")), plat::kOk);
  ASSERT_EQ(a.Close(), plat::kOk);
  ASSERT_EQ(b.Create(p), plat::kOk);
  EXPECT_EQ(ReadAll(p), "");
}

TEST_F(FileTest, PositionedReadAndWriteReportCountsAndPathsAreAbsolute) {
  std::string p = MakeFile("t.dbf", "abcdef");
  plat::File f;
  ASSERT_EQ(f.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_TRUE(fcntl(f.fd(), F_GETFD) & FD_CLOEXEC);  // a child would share our locks
  char buf[16];
  size_t done = 0;
  ASSERT_EQ(f.Seek(4), plat::kOk);
  ASSERT_EQ(f.Read(buf, 10, &done), plat::kOk);
  EXPECT_EQ(std::string(buf, done), "ef");  // short at the end of the file, not an error
  EXPECT_EQ(f.Tell(), 6);
  ASSERT_EQ(f.WriteAt(8, "XY", 2, &done), plat::kOk);
  EXPECT_EQ(ReadAll(p), std::string("abcdef\0\0XY", 10));
  EXPECT_GT(plat::FreeSpaceKb(dir_), 0);
  EXPECT_GT(plat::FreeSpaceKb(Path("not-yet.dbt")), 0);
  EXPECT_EQ(plat::FreeSpaceKb("/no/such/folder/x"), -1);
  EXPECT_EQ(plat::AbsolutePath("/a/./b/../c.dbf"), "/a/c.dbf");
  EXPECT_EQ(plat::AbsolutePath("/.."), "/");
  EXPECT_EQ(plat::AbsolutePath("x.dbf"), plat::CurrentDirectory() + "/x.dbf");
}

TEST_F(FileTest, RefusalsAndErrnosBecomeEngineCodes) {
  const int cases[][3] = {  // errno, writing, code
      {0, 0, 0},      {ENOENT, 0, 2},  {ENOTDIR, 0, 3}, {EMFILE, 0, 4}, {ENFILE, 0, 4},  {EACCES, 0, 5},
      {EPERM, 0, 5},  {EROFS, 1, 5},   {EBADF, 0, 6},   {ENOMEM, 0, 8}, {EXDEV, 0, 17},  {EIO, 1, 29},
      {EIO, 0, 30},   {EAGAIN, 0, 33}, {ENOSPC, 1, 101}, {EDQUOT, 1, 101}, {ENOLCK, 0, 36}, {EPIPE, 0, 31},
  };
  for (const auto& [err, writing, code] : cases) {
    EXPECT_EQ(plat::CodeFromErrno(err, writing), code) << "errno " << err << (writing ? " writing" : "");
  }
  plat::File f;
  EXPECT_EQ(f.Open(Path("none.dbf"), plat::kModeShared), plat::kFileNotFound);
  EXPECT_EQ(f.Open(Path("nodir/none.dbf"), plat::kModeShared), plat::kPathNotFound);
  EXPECT_EQ(f.Open(dir_, plat::kModeShared), plat::kAccessDenied);  // a folder
  for (int mode : {3, 0x52, 0x102}) EXPECT_EQ(f.Open(MakeFile("t.dbf"), mode), plat::kInvalidAccessCode) << mode;
}

TEST_F(FileTest, FaultSeamFailsTheNthCallOnce) {
  using Op = plat::fault::Op;
  std::string p = MakeFile("t.dbf", "abcdef");
  plat::File f, g;
  ASSERT_EQ(f.Open(p, plat::kModeShared), plat::kOk);
  size_t done = 0;
  plat::fault::FailNth(Op::kWrite, 2, ENOSPC);
  EXPECT_EQ(f.WriteAt(0, "1", 1, &done), plat::kOk);
  EXPECT_EQ(f.WriteAt(1, "2", 1, &done), plat::kDiskWriteError);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(f.WriteAt(2, "3", 1, &done), plat::kOk);
  EXPECT_EQ(ReadAll(p), "1b3def");
  plat::fault::ShortWriteNth(1, 2);
  EXPECT_EQ(f.WriteAt(0, "WXYZ", 4, &done), plat::kOk);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(ReadAll(p), "WX3def");
  plat::fault::FailNth(Op::kSync, 1, EIO);
  EXPECT_EQ(f.Sync(), plat::kWriteFault);
  plat::fault::FailNth(Op::kRead, 1, EIO);
  char c;
  EXPECT_EQ(f.ReadAt(0, &c, 1, &done), plat::kReadFault);
  plat::fault::FailNth(Op::kLock, 1, EAGAIN);
  EXPECT_EQ(f.Lock(0x40000000, 1), plat::kLockViolation);
  plat::fault::FailNth(Op::kRename, 1, EXDEV);
  EXPECT_EQ(plat::Rename(p, Path("u.dbf")), plat::kNotSameDevice);
  plat::fault::FailNth(Op::kErase, 1, EACCES);
  EXPECT_EQ(plat::Erase(p), plat::kAccessDenied);
  EXPECT_TRUE(plat::Exists(p));
  plat::fault::FailNth(Op::kOpen, 1, EMFILE);
  EXPECT_EQ(g.Open(p, plat::kModeShared), plat::kTooManyOpenFiles);
  plat::fault::FailNth(Op::kClose, 1, EIO);
  EXPECT_EQ(f.Close(), plat::kWriteFault);
  EXPECT_FALSE(f.IsOpen());
}

}  // namespace
