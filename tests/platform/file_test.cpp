// The file layer: sharing modes, byte-range locks between handles and
// between processes, error codes from errno, and the fault seam.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

using qptest::ReadAll;
using qptest::WriteAll;

class FileTest : public qptest::TempDirTest {
 protected:
  std::string MakeFile(const std::string& name, const std::string& bytes = "0123456789") {
    std::string p = Path(name);
    WriteAll(p, bytes);
    return p;
  }
};

// Runs `body` in a child process that opens its own descriptors, and returns
// its exit status. An inherited descriptor would share our locks.
template <typename F>
int InChild(F body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ShareCase {
  int first;
  int second;
  int expected;  // result of opening the second handle
};

class ShareModeTable : public FileTest, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(ShareModeTable, SecondOpenSeesTheFirstOnesSharingMode) {
  std::string p = MakeFile("t.dbf");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, GetParam().first), plat::kOk);
  EXPECT_EQ(b.Open(p, GetParam().second), GetParam().expected);
  EXPECT_EQ(b.IsOpen(), GetParam().expected == plat::kOk);
  b.Close();
  // The same against another process.
  int second = GetParam().second;
  EXPECT_EQ(InChild([&] {
              plat::File c;
              return c.Open(p, second);
            }),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ShareModeTable,
    ::testing::Values(ShareCase{66, 66, plat::kOk}, ShareCase{66, 18, plat::kSharingViolation},
                      ShareCase{18, 66, plat::kSharingViolation},
                      ShareCase{18, 18, plat::kSharingViolation}, ShareCase{2, 66, plat::kOk},
                      ShareCase{2, 18, plat::kOk}, ShareCase{18, 2, plat::kOk},
                      ShareCase{0x40, 0x12, plat::kSharingViolation},   // read deny-none vs deny-all
                      ShareCase{0x22, 0x42, plat::kSharingViolation},   // deny write acts as deny all
                      ShareCase{0x32, 0x40, plat::kSharingViolation},   // deny read likewise
                      ShareCase{0x42, 0x10, plat::kSharingViolation})); // read-only deny all

TEST_F(FileTest, ClosingTheExclusiveHandleLetsOthersIn) {
  std::string p = MakeFile("t.dbf");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, plat::kModeExclusive), plat::kOk);
  EXPECT_EQ(b.Open(p, plat::kModeShared), plat::kSharingViolation);
  EXPECT_EQ(a.Close(), plat::kOk);
  EXPECT_EQ(b.Open(p, plat::kModeShared), plat::kOk);
}

TEST_F(FileTest, InvalidModesAreRefused) {
  std::string p = MakeFile("t.dbf");
  plat::File a;
  EXPECT_EQ(a.Open(p, 3), plat::kInvalidAccessCode);
  EXPECT_EQ(a.Open(p, 0x52), plat::kInvalidAccessCode);
  EXPECT_EQ(a.Open(p, 0x102), plat::kInvalidAccessCode);
}

TEST_F(FileTest, ReopenUpgradesToExclusiveOnlyWhenAlone) {
  std::string p = MakeFile("t.dbf");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(b.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(a.Lock(100, 10), plat::kOk);
  EXPECT_EQ(a.Reopen(plat::kModeExclusive), plat::kSharingViolation);
  EXPECT_EQ(a.mode(), plat::kModeShared);  // unchanged after the refusal
  ASSERT_EQ(b.Close(), plat::kOk);
  EXPECT_EQ(a.Reopen(plat::kModeExclusive), plat::kOk);
  EXPECT_EQ(b.Open(p, plat::kModeShared), plat::kSharingViolation);
  // Our byte-range lock survived both changes.
  plat::File c;
  ASSERT_EQ(a.Reopen(plat::kModeShared), plat::kOk);
  ASSERT_EQ(c.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_EQ(c.Lock(105, 1), plat::kLockViolation);
}

TEST_F(FileTest, CreateNeverTruncatesAFileSomeoneHasOpen) {
  std::string p = MakeFile("t.dbf", "precious");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_EQ(b.Create(p), plat::kSharingViolation);
  EXPECT_EQ(ReadAll(p), "precious");
  EXPECT_EQ(InChild([&] {
              plat::File c;
              return c.Create(p);
            }),
            plat::kSharingViolation);
  EXPECT_EQ(ReadAll(p), "precious");
  ASSERT_EQ(a.Close(), plat::kOk);
  ASSERT_EQ(b.Create(p), plat::kOk);
  EXPECT_EQ(ReadAll(p), "");
}

TEST_F(FileTest, CreateNewRefusesExistingFilesAndLinks) {
  std::string target = MakeFile("victim", "keep me");
  std::string link = Path("t.$$$");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  plat::File f;
  EXPECT_NE(f.CreateNew(link), plat::kOk);
  EXPECT_EQ(ReadAll(target), "keep me");
  EXPECT_NE(f.CreateNew(target), plat::kOk);
  EXPECT_EQ(f.CreateNew(Path("fresh")), plat::kOk);
}

TEST_F(FileTest, LocksConflictBetweenHandlesOfOneProcess) {
  std::string p = MakeFile("t.dbf");
  plat::File a, b;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(b.Open(p, plat::kModeShared), plat::kOk);
  const int64_t base = 0x40000000;
  ASSERT_EQ(a.Lock(base + 129, 61), plat::kOk);
  EXPECT_EQ(b.Lock(base + 189, 1), plat::kLockViolation);
  EXPECT_EQ(plat::LastSystemError(), EAGAIN);
  EXPECT_EQ(b.Lock(base + 190, 61), plat::kOk);  // the next record is free
  // Re-locking one's own range and unlocking what is not held succeed.
  EXPECT_EQ(a.Lock(base + 129, 61), plat::kOk);
  EXPECT_EQ(a.Unlock(base + 500, 10), plat::kOk);
  bool locked = false;
  ASSERT_EQ(b.IsLockedByOther(base + 129, 1, &locked), plat::kOk);
  EXPECT_TRUE(locked);
  ASSERT_EQ(a.Unlock(base + 129, 61), plat::kOk);
  ASSERT_EQ(b.IsLockedByOther(base + 129, 1, &locked), plat::kOk);
  EXPECT_FALSE(locked);
}

TEST_F(FileTest, LockSurvivesClosingAnotherHandleOfTheSameFile) {
  std::string p = MakeFile("t.dbf");
  plat::File a, other;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(other.Open(p, plat::kModeShared), plat::kOk);
  ASSERT_EQ(a.Lock(0x40000001, 1), plat::kOk);
  ASSERT_EQ(other.Close(), plat::kOk);  // classic POSIX locks would die here
  EXPECT_EQ(InChild([&] {
              plat::File c;
              if (c.Open(p, plat::kModeShared) != plat::kOk) return 99;
              return c.Lock(0x40000001, 1);
            }),
            plat::kLockViolation);
}

TEST_F(FileTest, LocksConflictWithAnotherProcessAndEndWithTheHandle) {
  std::string p = MakeFile("t.dbf");
  int pipe_to_parent[2], pipe_to_child[2];
  ASSERT_EQ(pipe(pipe_to_parent), 0);
  ASSERT_EQ(pipe(pipe_to_child), 0);
  pid_t pid = fork();
  if (pid == 0) {
    plat::File c;
    char x = c.Open(p, plat::kModeShared) == plat::kOk && c.Lock(0x40000000, 1) == plat::kOk ? 'L' : 'E';
    if (write(pipe_to_parent[1], &x, 1) != 1) _exit(2);
    if (read(pipe_to_child[0], &x, 1) != 1) _exit(3);
    _exit(0);  // the lock ends with the process
  }
  char got = 0;
  ASSERT_EQ(read(pipe_to_parent[0], &got, 1), 1);
  ASSERT_EQ(got, 'L');
  plat::File a;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_EQ(a.Lock(0x40000000, 1), plat::kLockViolation);
  char go = 'g';
  ASSERT_EQ(write(pipe_to_child[1], &go, 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(a.Lock(0x40000000, 1), plat::kOk);
  for (int fd : {pipe_to_parent[0], pipe_to_parent[1], pipe_to_child[0], pipe_to_child[1]}) close(fd);
}

TEST_F(FileTest, DescriptorsAreClosedOnExec) {
  std::string p = MakeFile("t.dbf");
  plat::File a;
  ASSERT_EQ(a.Open(p, plat::kModeShared), plat::kOk);
  EXPECT_TRUE(fcntl(a.fd(), F_GETFD) & FD_CLOEXEC);
}

TEST_F(FileTest, PositionedReadAndWriteReportCounts) {
  std::string p = MakeFile("t.dbf", "abcdef");
  plat::File f;
  ASSERT_EQ(f.Open(p, plat::kModeShared), plat::kOk);
  char buf[16];
  size_t done = 0;
  ASSERT_EQ(f.Seek(4), plat::kOk);
  ASSERT_EQ(f.Read(buf, 10, &done), plat::kOk);
  EXPECT_EQ(done, 2u);  // short at the end of the file, not an error
  EXPECT_EQ(std::string(buf, done), "ef");
  EXPECT_EQ(f.Tell(), 6);
  ASSERT_EQ(f.WriteAt(8, "XY", 2, &done), plat::kOk);
  int64_t size = 0;
  ASSERT_EQ(f.Size(&size), plat::kOk);
  EXPECT_EQ(size, 10);
  EXPECT_EQ(ReadAll(p), std::string("abcdef\0\0XY", 10));
  ASSERT_EQ(f.Truncate(3), plat::kOk);
  EXPECT_EQ(ReadAll(p), "abc");
  EXPECT_EQ(f.Sync(), plat::kOk);
}

struct ErrnoCase {
  int err;
  bool writing;
  int code;
};

class ErrnoTable : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoTable, MapsToEngineCode) {
  EXPECT_EQ(plat::CodeFromErrno(GetParam().err, GetParam().writing), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoTable,
    ::testing::Values(ErrnoCase{0, false, 0}, ErrnoCase{ENOENT, false, 2}, ErrnoCase{ENOTDIR, false, 3},
                      ErrnoCase{EMFILE, false, 4}, ErrnoCase{ENFILE, false, 4},
                      ErrnoCase{EACCES, false, 5}, ErrnoCase{EPERM, false, 5}, ErrnoCase{EROFS, true, 5},
                      ErrnoCase{EBADF, false, 6}, ErrnoCase{ENOMEM, false, 8},
                      ErrnoCase{EXDEV, false, 17}, ErrnoCase{EIO, true, 29}, ErrnoCase{EIO, false, 30},
                      ErrnoCase{EAGAIN, false, 33}, ErrnoCase{ENOSPC, true, 101},
                      ErrnoCase{EDQUOT, true, 101}, ErrnoCase{ENOLCK, false, 36},
                      ErrnoCase{EPIPE, false, 31}));

TEST_F(FileTest, MissingFileAndMissingFolderAreTold) {
  plat::File f;
  EXPECT_EQ(f.Open(Path("none.dbf"), plat::kModeShared), plat::kFileNotFound);
  EXPECT_EQ(f.Open(Path("nodir/none.dbf"), plat::kModeShared), plat::kPathNotFound);
  EXPECT_EQ(f.Open(dir_, plat::kModeShared), plat::kAccessDenied);  // a folder
}

TEST_F(FileTest, FaultSeamFailsTheNthCallOnce) {
  std::string p = MakeFile("t.dbf", "abcdef");
  plat::File f;
  ASSERT_EQ(f.Open(p, plat::kModeShared), plat::kOk);
  size_t done = 0;
  plat::fault::FailNth(plat::fault::Op::kWrite, 2, ENOSPC);
  EXPECT_EQ(f.WriteAt(0, "1", 1, &done), plat::kOk);
  EXPECT_EQ(f.WriteAt(1, "2", 1, &done), plat::kDiskWriteError);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(f.WriteAt(2, "3", 1, &done), plat::kOk);
  EXPECT_EQ(ReadAll(p), "1b3def");

  plat::fault::ShortWriteNth(1, 2);
  EXPECT_EQ(f.WriteAt(0, "WXYZ", 4, &done), plat::kOk);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(ReadAll(p), "WX3def");

  plat::fault::FailNth(plat::fault::Op::kSync, 1, EIO);
  EXPECT_EQ(f.Sync(), plat::kWriteFault);
  plat::fault::FailNth(plat::fault::Op::kRead, 1, EIO);
  char c;
  EXPECT_EQ(f.ReadAt(0, &c, 1, &done), plat::kReadFault);
  plat::fault::FailNth(plat::fault::Op::kLock, 1, EAGAIN);
  EXPECT_EQ(f.Lock(0x40000000, 1), plat::kLockViolation);
  plat::fault::FailNth(plat::fault::Op::kRename, 1, EXDEV);
  EXPECT_EQ(plat::Rename(p, Path("u.dbf")), plat::kNotSameDevice);
  plat::fault::FailNth(plat::fault::Op::kErase, 1, EACCES);
  EXPECT_EQ(plat::Erase(p), plat::kAccessDenied);
  EXPECT_TRUE(plat::Exists(p));
  plat::fault::FailNth(plat::fault::Op::kOpen, 1, EMFILE);
  plat::File g;
  EXPECT_EQ(g.Open(p, plat::kModeShared), plat::kTooManyOpenFiles);
  plat::fault::FailNth(plat::fault::Op::kClose, 1, EIO);
  EXPECT_EQ(f.Close(), plat::kWriteFault);
  EXPECT_FALSE(f.IsOpen());
}

TEST_F(FileTest, WildcardListsMatchingFilesInOrder) {
  MakeFile("b.ndx");
  MakeFile("a.ndx");
  MakeFile("c.dbf");
  std::vector<std::string> names;
  ASSERT_EQ(plat::ListWildcard(Path("*.ndx"), &names), plat::kOk);
  EXPECT_EQ(names, (std::vector<std::string>{Path("a.ndx"), Path("b.ndx")}));
  ASSERT_EQ(plat::ListWildcard(Path("?.dbf"), &names), plat::kOk);
  EXPECT_EQ(names.size(), 1u);
}

TEST_F(FileTest, UniqueTempFilesStartWithTzp) {
  setenv("TMPDIR", dir_.c_str(), 1);
  std::string a, b;
  ASSERT_EQ(plat::UniqueTempFile(&a), plat::kOk);
  ASSERT_EQ(plat::UniqueTempFile(&b), plat::kOk);
  unsetenv("TMPDIR");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(dir_ + "/TZP", 0), 0u);
  EXPECT_TRUE(plat::Exists(a));
}

TEST_F(FileTest, FreeSpaceIsKnownForExistingAndNewNames) {
  EXPECT_GT(plat::FreeSpaceKb(dir_), 0);
  EXPECT_GT(plat::FreeSpaceKb(Path("not-yet.dbt")), 0);
  EXPECT_EQ(plat::FreeSpaceKb("/no/such/folder/x"), -1);
}

TEST(Paths, AbsolutePathRemovesDotSteps) {
  EXPECT_EQ(plat::AbsolutePath("/a/./b/../c.dbf"), "/a/c.dbf");
  EXPECT_EQ(plat::AbsolutePath("/.."), "/");
  EXPECT_EQ(plat::AbsolutePath("x.dbf"), plat::CurrentDirectory() + "/x.dbf");
}

}  // namespace
