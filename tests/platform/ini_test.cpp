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
#include <vector>

#include "platform/file.h"
#include "tests/support/tempdir.h"

namespace {

using qptest::ReadAll;
using qptest::WriteAll;

class IniTest : public qptest::TempDirTest {
 protected:
  std::string IniPath() const { return Path("test.ini"); }

  // Files in the folder other than the INI file itself: leftovers of a write.
  std::vector<std::string> Strays() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      if (e.path().filename() != "test.ini") names.push_back(e.path().filename().string());
    }
    return names;
  }
};

// ---- reading ----------------------------------------------------------------

struct ReadCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;  // nullopt: the key is absent
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadTest : public IniTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, FindsTheValueAHumanWouldExpect) {
  const ReadCase& c = GetParam();
  WriteAll(IniPath(), c.text);
  plat::IniFile ini(IniPath());
  std::string value = "untouched";
  bool found = ini.ReadValue(c.section, c.key, &value);
  ASSERT_EQ(found, c.expected.has_value());
  if (c.expected) {
    EXPECT_EQ(value, *c.expected);
  } else {
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), "dflt");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniReadTest,
    ::testing::Values(
        ReadCase{"Plain", "[Values]\nWidth=536\n", "Values", "Width", "536"},
        ReadCase{"SectionAndKeyIgnoreCase", "[VALUES]\nwidth=1\n", "values", "WIDTH", "1"},
        ReadCase{"BlanksAroundNamesAndValue", "  [ Values ]  \n\t Width\t=  536  \n", "Values", "Width",
                 "536"},
        ReadCase{"CrLfLineEnds", "[Values]\r\nWidth=536\r\nHeight=432\r\n", "Values", "Width", "536"},
        ReadCase{"ByteOrderMark", "\xEF\xBB\xBF[Values]\nWidth=536\n", "Values", "Width", "536"},
        ReadCase{"NoLineBreakAtEnd", "[Values]\nWidth=536", "Values", "Width", "536"},
        ReadCase{"EmptyValueIsPresent", "[Values]\nWidth=\n", "Values", "Width", ""},
        ReadCase{"EqualsSignInValue", "[Values]\nWidth=a=b\n", "Values", "Width", "a=b"},
        ReadCase{"QuotesRemoved", "[V]\nk=\"a b \"\n", "V", "k", "a b "},
        ReadCase{"SingleQuoteKept", "[V]\nk=\"a\n", "V", "k", "\"a"},
        ReadCase{"CommentedSectionIsNoSection", "; [Values]\n# Width=9\n[Other]\nWidth=1\n", "Values",
                 "Width", std::nullopt},
        ReadCase{"CommentedKeyIsNoKey", "[Values]\n;Width=9\n#Width=8\n", "Values", "Width",
                 std::nullopt},
        ReadCase{"KeyBeforeAnySectionIgnored", "Width=1\n[Values]\nHeight=2\n", "Values", "Width",
                 std::nullopt},
        ReadCase{"KeyOfAnotherSectionNotFound", "[A]\nk=1\n[B]\nj=2\n", "B", "k", std::nullopt},
        ReadCase{"FirstDuplicateKeyWins", "[V]\nk=1\nk=2\n", "V", "k", "1"},
        ReadCase{"FirstDuplicateSectionWins", "[V]\nk=1\n[v]\nk=3\n", "V", "k", "1"},
        ReadCase{"JunkLinesSkipped",
                 "garbage\n[V\nk=0\n[V]\n=x\nno equals sign\nk=2\n", "V", "k", "2"},
        ReadCase{"NulBytesDoNotEndTheText", std::string("[V]\nj=a\0b\nk=7\n", 14), "V", "k", "7"},
        ReadCase{"EmptyFile", "", "V", "k", std::nullopt},
        ReadCase{"OnlyABom", "\xEF\xBB\xBF", "V", "k", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
  const char* name;
  const char* value;
  int expected;  // with a default of -99
};
void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.name; }

class IniIntegerTest : public IniTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(IniIntegerTest, ReadsWholeNumbersOnly) {
  WriteAll(IniPath(), std::string("[V]\nk=") + GetParam().value + "\n");
  EXPECT_EQ(plat::IniFile(IniPath()).ReadInteger("V", "k", -99), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniIntegerTest,
    ::testing::Values(IntegerCase{"Decimal", "536", 536}, IntegerCase{"Negative", "-12", -12},
                      IntegerCase{"Plus", "+7", 7}, IntegerCase{"Hex0x", "0x1F", 31},
                      IntegerCase{"HexDollar", "$ff", 255}, IntegerCase{"NegativeHex", "-0x10", -16},
                      IntegerCase{"Largest", "2147483647", INT_MAX},
                      IntegerCase{"Smallest", "-2147483648", INT_MIN},
                      IntegerCase{"TooLarge", "2147483648", -99},
                      IntegerCase{"FarTooLarge", "99999999999999999999999", -99},
                      IntegerCase{"TrailingJunk", "12abc", -99}, IntegerCase{"Empty", "", -99},
                      IntegerCase{"DoubleSign", "--1", -99}, IntegerCase{"BarePrefix", "0x", -99},
                      IntegerCase{"Fraction", "1.5", -99}, IntegerCase{"InnerBlank", "1 2", -99}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- writing ----------------------------------------------------------------

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file yet
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class IniWriteTest : public IniTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyTheEntry) {
  const WriteCase& c = GetParam();
  if (c.before) WriteAll(IniPath(), *c.before);
  plat::IniFile ini(IniPath());
  ASSERT_EQ(ini.WriteString(c.section, c.key, c.value), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()), c.after);
  EXPECT_EQ(ini.ReadString(c.section, c.key, "absent"), c.value);
  EXPECT_TRUE(Strays().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniWriteTest,
    ::testing::Values(
        WriteCase{"CreatesMissingFile", std::nullopt, "Values", "Width", "536",
                  "[Values]\nWidth=536\n"},
        WriteCase{"ReplacesValueKeepingSpellingAndNeighbours",
                  "; top\n[values]\n  WIDTH = 1\nHeight=2\n\n[Other]\nWidth=y\n", "Values", "Width",
                  "536", "; top\n[values]\nWIDTH=536\nHeight=2\n\n[Other]\nWidth=y\n"},
        WriteCase{"NewKeyAfterLastKeyOfItsSection", "[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "z", "3",
                  "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"},
        WriteCase{"NewKeyInEmptySection", "[A]\n[B]\n", "a", "k", "v", "[A]\nk=v\n[B]\n"},
        WriteCase{"NewKeyWhenFileLacksFinalLineBreak", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        WriteCase{"NewKeyUnderBareHeader", "[A]", "A", "k", "v", "[A]\nk=v\n"},
        WriteCase{"NewSectionAfterBlankLine", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
        WriteCase{"NewSectionNoDoubleBlank", "[A]\nx=1\n\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
        WriteCase{"CrLfFileStaysCrLf", "[A]\r\nx=1\r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        WriteCase{"CrLfValueReplaced", "[A]\r\nx=1\r\n", "A", "x", "22", "[A]\r\nx=22\r\n"},
        WriteCase{"ByteOrderMarkKept", "\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "5",
                  "\xEF\xBB\xBF[A]\nx=5\n"},
        WriteCase{"JunkAndCommentsKept", "junk\n[A]\nnot a key\n; note\nx=1\n", "A", "x", "2",
                  "junk\n[A]\nnot a key\n; note\nx=2\n"},
        WriteCase{"OnlyFirstDuplicateChanged", "[A]\nx=1\nx=1\n", "A", "x", "2", "[A]\nx=2\nx=1\n"},
        WriteCase{"EmptyValue", "[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadEntryCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};
void PrintTo(const BadEntryCase& c, std::ostream* os) { *os << c.name; }

class IniBadEntryTest : public IniTest, public ::testing::WithParamInterface<BadEntryCase> {};

TEST_P(IniBadEntryTest, IsRefusedAndFileUntouched) {
  const BadEntryCase& c = GetParam();
  const std::string before = "[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  EXPECT_EQ(ini.WriteString(c.section, c.key, c.value), plat::kIniInvalidEntry);
  EXPECT_EQ(ini.WriteValues({{"A", "x", "2"}, {c.section, c.key, c.value}}), plat::kIniInvalidEntry);
  EXPECT_EQ(ReadAll(IniPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, IniBadEntryTest,
    ::testing::Values(BadEntryCase{"EmptySection", "", "k", "v"},
                      BadEntryCase{"BlankSection", "  ", "k", "v"},
                      BadEntryCase{"EmptyKey", "A", "", "v"},
                      BadEntryCase{"BracketInSection", "A]B", "k", "v"},
                      BadEntryCase{"EqualsInKey", "A", "k=j", "v"},
                      BadEntryCase{"KeyLooksLikeSection", "A", "[k", "v"},
                      BadEntryCase{"KeyLooksLikeComment", "A", ";k", "v"},
                      BadEntryCase{"LineBreakInValue", "A", "k", "one\ntwo"},
                      BadEntryCase{"CarriageReturnInKey", "A", "k\r", "v"},
                      BadEntryCase{"NulInValue", "A", "k", std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, WriteIntegerReadsBack) {
  plat::IniFile ini(IniPath());
  for (int v : {0, 536, -32000, INT_MIN, INT_MAX}) {
    ASSERT_EQ(ini.WriteInteger("Values", "Left", v), plat::kOk);
    EXPECT_EQ(ini.ReadInteger("Values", "Left", 1), v);
  }
  EXPECT_EQ(ReadAll(IniPath()), "[Values]\nLeft=2147483647\n");
}

TEST_F(IniTest, SeveralValuesGoInOneReplacement) {
  plat::IniFile ini(IniPath());
  plat::fault::Reset();
  ASSERT_EQ(ini.WriteValues({{"Values", "Width", "536"},
                             {"Values", "Height", "432"},
                             {"Other", "k", "v"},
                             {"values", "WIDTH", "600"}}),
            plat::kOk);
  EXPECT_EQ(plat::fault::Calls(plat::fault::Op::kRename), 1);
  EXPECT_EQ(ReadAll(IniPath()), "[Values]\nWidth=600\nHeight=432\n\n[Other]\nk=v\n");
}

TEST_F(IniTest, SectionExistsIgnoresCase) {
  WriteAll(IniPath(), "[Version]\nVersion=1.30\n");
  plat::IniFile ini(IniPath());
  EXPECT_TRUE(ini.SectionExists("VERSION"));
  EXPECT_FALSE(ini.SectionExists("Values"));
}

// ---- replacing the file -----------------------------------------------------

TEST_F(IniTest, WriteReplacesTheFileInsteadOfRewritingIt) {
  WriteAll(IniPath(), "[A]\nx=1\n");
  plat::File reader;
  ASSERT_EQ(reader.Open(IniPath(), 0x40), plat::kOk);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("A", "x", "2"), plat::kOk);
  // A reader that had the file open still sees the complete old text: the
  // new text arrived under a new inode by rename.
  char buf[16] = {};
  size_t done = 0;
  ASSERT_EQ(reader.ReadAt(0, buf, sizeof buf, &done), plat::kOk);
  EXPECT_EQ(std::string(buf, done), "[A]\nx=1\n");
  EXPECT_EQ(ReadAll(IniPath()), "[A]\nx=2\n");
}

TEST_F(IniTest, UnchangedValueLeavesTheFileAlone) {
  WriteAll(IniPath(), "[A]\nx=1\n");
  struct stat before, after;
  ASSERT_EQ(::stat(IniPath().c_str(), &before), 0);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("a", "X", "1"), plat::kOk);
  ASSERT_EQ(::stat(IniPath().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniTest, ReplacementKeepsPermissions) {
  WriteAll(IniPath(), "[A]\nx=1\n");
  ASSERT_EQ(::chmod(IniPath().c_str(), 0640), 0);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("A", "x", "2"), plat::kOk);
  struct stat st;
  ASSERT_EQ(::stat(IniPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniTest, WriteThroughSymbolicLinkKeepsTheLink) {
  const std::string real = Path("real.ini");
  WriteAll(real, "[A]\nx=1\n");
  ASSERT_EQ(::symlink(real.c_str(), IniPath().c_str()), 0);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("A", "x", "2"), plat::kOk);
  EXPECT_TRUE(std::filesystem::is_symlink(IniPath()));
  EXPECT_EQ(ReadAll(real), "[A]\nx=2\n");
}

struct FaultCase {
  const char* name;
  plat::fault::Op op;
  int err;
  bool short_write;  // a write that stores nothing
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class IniFaultTest : public IniTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(IniFaultTest, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
  const FaultCase& c = GetParam();
  const std::string before = "; keep me\n[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  if (c.short_write) {
    plat::fault::ShortWriteNth(1, 0);
  } else {
    plat::fault::FailNth(c.op, 1, c.err);
  }
  EXPECT_NE(ini.WriteString("A", "x", "2"), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()), before);
  EXPECT_TRUE(Strays().empty());
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IniFaultTest,
    ::testing::Values(FaultCase{"ReadingTheOldFile", plat::fault::Op::kRead, EIO, false},
                      FaultCase{"DiskFull", plat::fault::Op::kWrite, ENOSPC, false},
                      FaultCase{"NothingWritten", plat::fault::Op::kWrite, 0, true},
                      FaultCase{"SyncFails", plat::fault::Op::kSync, EIO, false},
                      FaultCase{"CloseFails", plat::fault::Op::kClose, EIO, false},
                      FaultCase{"RenameFails", plat::fault::Op::kRename, EACCES, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, ShortWriteIsContinued) {
  plat::fault::ShortWriteNth(1, 3);
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("Values", "Width", "536"), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()), "[Values]\nWidth=536\n");
}

TEST_F(IniTest, LeftoverTemporaryNameIsSkipped) {
  // A crash between creating and renaming leaves a temporary file behind; a
  // later write must still succeed and must not touch the leftover.
  for (int i = 0; i < 4; ++i) {
    WriteAll(Path(".test.ini.tmp" + std::to_string(::getpid()) + "_" + std::to_string(i)), "old");
  }
  ASSERT_EQ(plat::IniFile(IniPath()).WriteString("A", "x", "1"), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()), "[A]\nx=1\n");
}

// ---- damaged, unreadable and odd files --------------------------------------

TEST_F(IniTest, UnreadableFileReadsAsDefaultsAndIsNotReplaced) {
  const std::string before = "[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  plat::fault::FailNth(plat::fault::Op::kOpen, 1, EACCES);
  EXPECT_EQ(ini.ReadInteger("A", "x", 42), 42);
  plat::fault::FailNth(plat::fault::Op::kOpen, 1, EACCES);
  EXPECT_EQ(ini.WriteString("A", "y", "2"), plat::kAccessDenied);
  EXPECT_EQ(ReadAll(IniPath()), before);
}

TEST_F(IniTest, MissingFileReadsAsDefaults) {
  plat::IniFile ini(Path("no-such.ini"));
  EXPECT_EQ(ini.ReadString("Version", "Version", "1.30"), "1.30");
  EXPECT_EQ(ini.ReadInteger("Values", "Width", 536), 536);
  EXPECT_FALSE(std::filesystem::exists(Path("no-such.ini")));
}

TEST_F(IniTest, MissingFolderIsAnError) {
  plat::IniFile ini(Path("nowhere/test.ini"));
  EXPECT_EQ(ini.WriteString("A", "x", "1"), plat::kPathNotFound);
}

TEST_F(IniTest, FolderInsteadOfFile) {
  ASSERT_TRUE(std::filesystem::create_directory(IniPath()));
  plat::IniFile ini(IniPath());
  EXPECT_EQ(ini.ReadString("A", "x", "d"), "d");
  EXPECT_NE(ini.WriteString("A", "x", "1"), plat::kOk);
  EXPECT_TRUE(std::filesystem::is_directory(IniPath()));
}

TEST_F(IniTest, OversizedFileIsLeftAlone) {
  {
    plat::File f;
    ASSERT_EQ(f.Create(IniPath()), plat::kOk);
    size_t done = 0;
    ASSERT_EQ(f.WriteAt(0, "[A]\nx=1\n", 8, &done), plat::kOk);
    ASSERT_EQ(f.Truncate(plat::kIniMaxFileBytes + 1), plat::kOk);  // sparse: cheap
  }
  plat::IniFile ini(IniPath());
  EXPECT_EQ(ini.ReadString("A", "x", "d"), "d");
  EXPECT_EQ(ini.WriteString("A", "x", "2"), plat::kNotEnoughMemory);
  EXPECT_EQ(std::filesystem::file_size(IniPath()), static_cast<uintmax_t>(plat::kIniMaxFileBytes + 1));
}

TEST_F(IniTest, LargeFileFindsItsLastSectionAndGrows) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "[S" + std::to_string(i) + "]\nkey=" + std::to_string(i) + "\n";
  WriteAll(IniPath(), text);
  plat::IniFile ini(IniPath());
  EXPECT_EQ(ini.ReadInteger("s19999", "KEY", -1), 19999);
  ASSERT_EQ(ini.WriteString("S19999", "extra", "x"), plat::kOk);
  EXPECT_EQ(ReadAll(IniPath()), text + "extra=x\n");
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
  const std::string after = ReadAll(IniPath());
  EXPECT_EQ(after.substr(0, junk.size()), junk);
  EXPECT_EQ(ini.ReadString("quillprint test", "X", "d"), "1");
}

}  // namespace
