// INI files: what a reader finds in files written by hand or by other
// programs, what a write leaves on disk byte for byte, and that a failing
// write never costs the file its old contents.
#include "platform/ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <tuple>

#include "platform/file.h"
#include "tests/support/tempdir.h"

namespace {

using qptest::ReadAll;
using qptest::WriteAll;

class IniTest : public qptest::TempDirTest {
 protected:
  std::string IniPath() const { return Path("test.ini"); }
  // True when the folder holds the INI file alone: a write left no temporary behind.
  bool NoStrays() const { return std::distance(std::filesystem::directory_iterator(dir_), {}) == 1; }
};

TEST_F(IniTest, ReadFindsTheValueAHumanWouldExpect) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {  // the file, its V/k (nullopt: absent)
      {"[v]\nK=1\n", "1"},                        {"  [ v ]  \n\t k\t=  536  ", "536"},  // blanks, no line break
      {"[V]\nk=a=b\n", "a=b"},                    {"[V]\nk=\"a b \"\n", "a b "},
      {"[V]\nk=\"a\n", "\"a"},                    {"; [V]\n# k=9\n[Other]\nk=1\n", std::nullopt},
      {"[V]\n;k=9\n#k=8\n", std::nullopt},        {"k=1\n[V]\nj=2\n", std::nullopt},
      {"[V]\nj=1\n[B]\nk=2\n", std::nullopt},     {"[V]\nk=1\nk=2\n[v]\nk=3\n", "1"},  // the first wins
      {"garbage\n[V\nk=0\n[V]\n=x\nno equals sign\nk=2\n", "2"},
      {std::string("[V]\nj=a\0b\nk=7\n", 14), "7"}, {"", std::nullopt}, {"\xEF\xBB\xBF", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    WriteAll(IniPath(), text);
    plat::IniFile ini(IniPath());
    std::string value = "untouched";
    EXPECT_EQ(ini.ReadValue("V", "k", &value), expected.has_value());
    EXPECT_EQ(value, expected.value_or("untouched"));
    EXPECT_EQ(ini.ReadString("v", "K", "dflt"), expected.value_or("dflt"));
  }
}

TEST_F(IniTest, ReadIntegerTakesWholeNumbersOnly) {
  const std::pair<const char*, int> cases[] = {  // value, result with a default of -99
      {"-12", -12}, {"+7", 7}, {"0x1F", 31}, {"$ff", 255}, {"-0x10", -16}, {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN}, {"2147483648", -99}, {"99999999999999999999999", -99}, {"12abc", -99},
      {"", -99}, {"--1", -99}, {"0x", -99}, {"1.5", -99}, {"1 2", -99},
  };
  for (const auto& [value, expected] : cases) {
    WriteAll(IniPath(), std::string("[V]\nk=") + value + "\n");
    EXPECT_EQ(plat::IniFile(IniPath()).ReadInteger("V", "k", -99), expected) << '"' << value << '"';
  }
}

TEST_F(IniTest, WriteChangesOnlyTheEntry) {
  struct Case {
    std::optional<std::string> before;  // nullopt: no file yet
    const char *section, *key, *value;
    std::string after;
  };
  const Case cases[] = {
      {std::nullopt, "Values", "Width", "536", "[Values]\nWidth=536\n"},
      // The key keeps its spelling, its neighbours stay.
      {"; top\n[values]\n  WIDTH = 1\nHeight=2\n\n[Other]\nWidth=y\n", "Values", "Width", "536",
       "; top\n[values]\nWIDTH=536\nHeight=2\n\n[Other]\nWidth=y\n"},
      // A new key after the last key of its section, before what introduces the next.
      {"[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"},
      {"[A]\n[B]\n", "a", "k", "v", "[A]\nk=v\n[B]\n"},     {"[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
      {"[A]", "A", "k", "v", "[A]\nk=v\n"},                 {"[A]\nx=1", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"[A]\nx=1\n\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"[A]\r\nx=1\r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"}, {"[A]\r\nx=1\r\n", "A", "x", "22", "[A]\r\nx=22\r\n"},
      {"\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "5", "\xEF\xBB\xBF[A]\nx=5\n"},
      {"junk\n[A]\nnot a key\n; note\nx=1\n", "A", "x", "2", "junk\n[A]\nnot a key\n; note\nx=2\n"},
      {"[A]\nx=1\nx=1\n", "A", "x", "2", "[A]\nx=2\nx=1\n"}, {"[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    std::filesystem::remove(IniPath());
    if (c.before) WriteAll(IniPath(), *c.before);
    plat::IniFile ini(IniPath());
    plat::fault::ShortWriteNth(1, 3);  // a short write is continued
    ASSERT_EQ(ini.WriteString(c.section, c.key, c.value), plat::kOk);
    EXPECT_EQ(ReadAll(IniPath()), c.after);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "absent"), c.value);
    EXPECT_TRUE(NoStrays());
  }
}

TEST_F(IniTest, BadEntryIsRefusedAndFileUntouched) {
  const std::string cases[][3] = {  // section, key, value
      {"", "k", "v"},   {"  ", "k", "v"},  {"A", "", "v"},   {"A]B", "k", "v"},           {"A", "k=j", "v"},
      {"A", "[k", "v"}, {"A", ";k", "v"},  {"A", "k\r", "v"}, {"A", "k", "one\ntwo"}, {"A", "k", std::string("a\0b", 3)},
  };
  const std::string before = "[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  for (const auto& [section, key, value] : cases) {
    SCOPED_TRACE(section + "/" + key + "=" + value);
    EXPECT_EQ(ini.WriteString(section, key, value), plat::kIniInvalidEntry);
    EXPECT_EQ(ini.WriteValues({{"A", "x", "2"}, {section, key, value}}), plat::kIniInvalidEntry);
    EXPECT_EQ(ReadAll(IniPath()), before);
  }
}

// A crash between creating and renaming leaves a temporary file behind,
// which later writes pass by.
TEST_F(IniTest, IntegersAndSeveralValuesGoInOneReplacementEachPastLeftoverTemporaries) {
  for (int i = 0; i < 4; ++i) {
    WriteAll(Path(".test.ini.tmp" + std::to_string(::getpid()) + "_" + std::to_string(i)), "old");
  }
  plat::IniFile ini(IniPath());
  for (int v : {0, -32000, INT_MIN, INT_MAX}) {
    ASSERT_EQ(ini.WriteInteger("Values", "Left", v), plat::kOk);
    EXPECT_EQ(ini.ReadInteger("Values", "Left", 1), v);
  }
  plat::fault::Reset();
  ASSERT_EQ(ini.WriteValues({{"Values", "Width", "536"}, {"Other", "k", "v"}, {"values", "WIDTH", "600"}}),
            plat::kOk);
  EXPECT_EQ(plat::fault::Calls(plat::fault::Op::kRename), 1);
  EXPECT_EQ(ReadAll(IniPath()), "[Values]\nLeft=2147483647\nWidth=600\n\n[Other]\nk=v\n");
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Version"));
}

TEST_F(IniTest, WriteReplacesTheFileKeepingItsPermissionsAndLinks) {
  WriteAll(Path("real.ini"), "[A]\nx=1\n");
  ASSERT_EQ(::chmod(Path("real.ini").c_str(), 0640), 0);
  ASSERT_EQ(::symlink(Path("real.ini").c_str(), IniPath().c_str()), 0);
  plat::File reader;
  ASSERT_EQ(reader.Open(IniPath(), 0x40), plat::kOk);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("A", "x", "2"), plat::kOk);
  // A reader that had the file open still sees the whole old text: the new
  // one arrived under a new inode by rename.
  char buf[16] = {};
  size_t done = 0;
  ASSERT_EQ(reader.ReadAt(0, buf, sizeof buf, &done), plat::kOk);
  EXPECT_EQ(std::string(buf, done), "[A]\nx=1\n");
  EXPECT_TRUE(std::filesystem::is_symlink(IniPath()));
  EXPECT_EQ(ReadAll(Path("real.ini")), "[A]\nx=2\n");
  struct stat st;
  ASSERT_EQ(::stat(Path("real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniTest, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
  using Op = plat::fault::Op;
  const std::tuple<Op, int, int> cases[] = {  // the failing call, its errno (0: stores nothing), the result
      {Op::kOpen, EACCES, plat::kAccessDenied},    {Op::kRead, EIO, plat::kReadFault},
      {Op::kWrite, ENOSPC, plat::kDiskWriteError}, {Op::kWrite, 0, plat::kDiskWriteError},
      {Op::kSync, EIO, plat::kWriteFault},         {Op::kClose, EIO, plat::kWriteFault},
      {Op::kRename, EACCES, plat::kAccessDenied},
  };
  const std::string before = "; keep me\n[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  for (const auto& [op, err, code] : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(op) << " " << err);
    plat::fault::Reset();
    err == 0 ? plat::fault::ShortWriteNth(1, 0) : plat::fault::FailNth(op, 1, err);
    EXPECT_EQ(ini.WriteString("A", "x", "2"), code);
    EXPECT_EQ(ReadAll(IniPath()), before);
    EXPECT_TRUE(NoStrays());
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  }
}

// A file that cannot be opened, one too large to hold, a missing one, one in
// a missing folder and a folder by the name: defaults, and nothing written.
TEST_F(IniTest, UnusableFileReadsAsDefaultsAndIsNotReplaced) {
  WriteAll(IniPath(), "[A]\nx=1\n");
  plat::IniFile ini(IniPath());
  plat::fault::FailNth(plat::fault::Op::kOpen, 1, EACCES);
  EXPECT_EQ(ini.ReadInteger("A", "x", 42), 42);
  std::filesystem::resize_file(IniPath(), plat::kIniMaxFileBytes + 1);  // sparse: cheap
  EXPECT_EQ(ini.ReadString("A", "x", "d"), "d");
  EXPECT_EQ(ini.WriteString("A", "x", "2"), plat::kNotEnoughMemory);
  EXPECT_EQ(std::filesystem::file_size(IniPath()), static_cast<uintmax_t>(plat::kIniMaxFileBytes + 1));

  plat::IniFile missing(Path("no-such.ini"));
  EXPECT_EQ(missing.ReadString("Version", "Version", "1.30"), "1.30");
  EXPECT_EQ(missing.ReadInteger("Values", "Width", 536), 536);
  EXPECT_FALSE(std::filesystem::exists(Path("no-such.ini")));
  EXPECT_EQ(plat::IniFile(Path("nowhere/test.ini")).WriteString("A", "x", "1"), plat::kPathNotFound);
  ASSERT_TRUE(std::filesystem::create_directory(Path("folder.ini")));
  plat::IniFile folder(Path("folder.ini"));
  EXPECT_EQ(folder.ReadString("A", "x", "d"), "d");
  EXPECT_NE(folder.WriteString("A", "x", "1"), plat::kOk);
  EXPECT_TRUE(std::filesystem::is_directory(Path("folder.ini")));
}

TEST_F(IniTest, BinaryGarbageNeitherCrashesNorIsLost) {
  std::mt19937 rng(1234);
  std::string junk(4096, '\0');
  for (char& ch : junk) ch = static_cast<char>(rng());
  junk += "\n";  // whatever the last line was, the new section starts on its own
  WriteAll(IniPath(), junk);
  plat::IniFile ini(IniPath());
  (void)ini.ReadString("A", "x", "d");
  ASSERT_EQ(ini.WriteString("Quillprint Test", "x", "1"), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()).substr(0, junk.size()), junk);
  EXPECT_EQ(ini.ReadString("quillprint test", "X", "d"), "1");
}

}  // namespace
