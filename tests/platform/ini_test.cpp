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
#include <utility>
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

TEST_F(IniTest, ReadFindsTheValueAHumanWouldExpect) {
  struct Case {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;  // nullopt: the key is absent
  };
  const Case cases[] = {
      {"Plain", "[Values]\nWidth=536\n", "Values", "Width", "536"},
      {"SectionAndKeyIgnoreCase", "[VALUES]\nwidth=1\n", "values", "WIDTH", "1"},
      {"BlanksAroundNamesAndValue", "  [ Values ]  \n\t Width\t=  536  \n", "Values", "Width", "536"},
      {"NoLineBreakAtEnd", "[Values]\nWidth=536", "Values", "Width", "536"},
      {"EqualsSignInValue", "[Values]\nWidth=a=b\n", "Values", "Width", "a=b"},
      {"QuotesRemoved", "[V]\nk=\"a b \"\n", "V", "k", "a b "},
      {"SingleQuoteKept", "[V]\nk=\"a\n", "V", "k", "\"a"},
      {"CommentedSectionIsNoSection", "; [Values]\n# Width=9\n[Other]\nWidth=1\n", "Values", "Width",
       std::nullopt},
      {"CommentedKeyIsNoKey", "[Values]\n;Width=9\n#Width=8\n", "Values", "Width", std::nullopt},
      {"KeyBeforeAnySectionIgnored", "Width=1\n[Values]\nHeight=2\n", "Values", "Width", std::nullopt},
      {"KeyOfAnotherSectionNotFound", "[A]\nk=1\n[B]\nj=2\n", "B", "k", std::nullopt},
      {"FirstDuplicateKeyWins", "[V]\nk=1\nk=2\n", "V", "k", "1"},
      {"FirstDuplicateSectionWins", "[V]\nk=1\n[v]\nk=3\n", "V", "k", "1"},
      {"JunkLinesSkipped", "garbage\n[V\nk=0\n[V]\n=x\nno equals sign\nk=2\n", "V", "k", "2"},
      {"NulBytesDoNotEndTheText", std::string("[V]\nj=a\0b\nk=7\n", 14), "V", "k", "7"},
      {"EmptyFile", "", "V", "k", std::nullopt},
      {"OnlyABom", "\xEF\xBB\xBF", "V", "k", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll(IniPath(), c.text);
    plat::IniFile ini(IniPath());
    std::string value = "untouched";
    EXPECT_EQ(ini.ReadValue(c.section, c.key, &value), c.expected.has_value());
    EXPECT_EQ(value, c.expected.value_or("untouched"));
    EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected.value_or("dflt"));
  }
}

TEST_F(IniTest, ReadIntegerTakesWholeNumbersOnly) {
  const std::pair<const char*, int> cases[] = {  // value, result with a default of -99
      {"536", 536}, {"-12", -12}, {"+7", 7}, {"0x1F", 31}, {"$ff", 255}, {"-0x10", -16},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", -99},
      {"99999999999999999999999", -99}, {"12abc", -99}, {"", -99}, {"--1", -99}, {"0x", -99},
      {"1.5", -99}, {"1 2", -99},
  };
  for (const auto& [value, expected] : cases) {
    WriteAll(IniPath(), std::string("[V]\nk=") + value + "\n");
    EXPECT_EQ(plat::IniFile(IniPath()).ReadInteger("V", "k", -99), expected) << '"' << value << '"';
  }
}

// ---- writing ----------------------------------------------------------------

TEST_F(IniTest, WriteChangesOnlyTheEntry) {
  struct Case {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file yet
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Case cases[] = {
      {"CreatesMissingFile", std::nullopt, "Values", "Width", "536", "[Values]\nWidth=536\n"},
      {"ReplacesValueKeepingSpellingAndNeighbours",
       "; top\n[values]\n  WIDTH = 1\nHeight=2\n\n[Other]\nWidth=y\n", "Values", "Width", "536",
       "; top\n[values]\nWIDTH=536\nHeight=2\n\n[Other]\nWidth=y\n"},
      {"NewKeyAfterLastKeyOfItsSection", "[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "z", "3",
       "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"},
      {"NewKeyInEmptySection", "[A]\n[B]\n", "a", "k", "v", "[A]\nk=v\n[B]\n"},
      {"NewKeyWhenFileLacksFinalLineBreak", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
      {"NewKeyUnderBareHeader", "[A]", "A", "k", "v", "[A]\nk=v\n"},
      {"NewSectionAfterBlankLine", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"NewSectionNoDoubleBlank", "[A]\nx=1\n\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"CrLfFileStaysCrLf", "[A]\r\nx=1\r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
      {"CrLfValueReplaced", "[A]\r\nx=1\r\n", "A", "x", "22", "[A]\r\nx=22\r\n"},
      {"ByteOrderMarkKept", "\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "5", "\xEF\xBB\xBF[A]\nx=5\n"},
      {"JunkAndCommentsKept", "junk\n[A]\nnot a key\n; note\nx=1\n", "A", "x", "2",
       "junk\n[A]\nnot a key\n; note\nx=2\n"},
      {"OnlyFirstDuplicateChanged", "[A]\nx=1\nx=1\n", "A", "x", "2", "[A]\nx=2\nx=1\n"},
      {"EmptyValue", "[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(IniPath());
    if (c.before) WriteAll(IniPath(), *c.before);
    plat::IniFile ini(IniPath());
    ASSERT_EQ(ini.WriteString(c.section, c.key, c.value), plat::kOk);
    EXPECT_EQ(ReadAll(IniPath()), c.after);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "absent"), c.value);
    EXPECT_TRUE(Strays().empty());
  }
}

TEST_F(IniTest, BadEntryIsRefusedAndFileUntouched) {
  struct Case {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
  };
  const Case cases[] = {
      {"EmptySection", "", "k", "v"},         {"BlankSection", "  ", "k", "v"},
      {"EmptyKey", "A", "", "v"},             {"BracketInSection", "A]B", "k", "v"},
      {"EqualsInKey", "A", "k=j", "v"},       {"KeyLooksLikeSection", "A", "[k", "v"},
      {"KeyLooksLikeComment", "A", ";k", "v"}, {"LineBreakInValue", "A", "k", "one\ntwo"},
      {"CarriageReturnInKey", "A", "k\r", "v"}, {"NulInValue", "A", "k", std::string("a\0b", 3)},
  };
  const std::string before = "[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ini.WriteString(c.section, c.key, c.value), plat::kIniInvalidEntry);
    EXPECT_EQ(ini.WriteValues({{"A", "x", "2"}, {c.section, c.key, c.value}}), plat::kIniInvalidEntry);
    EXPECT_EQ(ReadAll(IniPath()), before);
  }
}

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
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Version"));
}

// ---- replacing the file -----------------------------------------------------

TEST_F(IniTest, WriteReplacesTheFileKeepingItsPermissions) {
  WriteAll(IniPath(), "[A]\nx=1\n");
  ASSERT_EQ(::chmod(IniPath().c_str(), 0640), 0);
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

TEST_F(IniTest, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
  struct Case {
    const char* name;
    plat::fault::Op op;
    int err;  // 0: a write that stores nothing
  };
  const Case cases[] = {
      {"ReadingTheOldFile", plat::fault::Op::kRead, EIO}, {"DiskFull", plat::fault::Op::kWrite, ENOSPC},
      {"NothingWritten", plat::fault::Op::kWrite, 0},     {"SyncFails", plat::fault::Op::kSync, EIO},
      {"CloseFails", plat::fault::Op::kClose, EIO},      {"RenameFails", plat::fault::Op::kRename, EACCES},
  };
  const std::string before = "; keep me\n[A]\nx=1\n";
  WriteAll(IniPath(), before);
  plat::IniFile ini(IniPath());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::fault::Reset();
    if (c.err == 0) {
      plat::fault::ShortWriteNth(1, 0);
    } else {
      plat::fault::FailNth(c.op, 1, c.err);
    }
    EXPECT_NE(ini.WriteString("A", "x", "2"), plat::kOk);
    EXPECT_EQ(ReadAll(IniPath()), before);
    EXPECT_TRUE(Strays().empty());
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  }
}

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

TEST_F(IniTest, MissingFileReadsAsDefaultsAndMissingFolderIsAnError) {
  plat::IniFile ini(Path("no-such.ini"));
  EXPECT_EQ(ini.ReadString("Version", "Version", "1.30"), "1.30");
  EXPECT_EQ(ini.ReadInteger("Values", "Width", 536), 536);
  EXPECT_FALSE(std::filesystem::exists(Path("no-such.ini")));
  EXPECT_EQ(plat::IniFile(Path("nowhere/test.ini")).WriteString("A", "x", "1"), plat::kPathNotFound);
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
