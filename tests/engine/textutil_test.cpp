// Text and file utilities: trimming, extensions, number texts, temporary
// names and erasing by mask, with failures provoked through the fault seam
// (tests run as root, where permissions would not refuse anything).
#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "tests/support/tempdir.h"

namespace {

TEST(TextUtil, TrimmingNamePartsAndNumberTexts) {
  EXPECT_EQ(vz::TrimBoth(" \t\r\n ab c \x01\x1F "), "ab c");  // every control character is a blank
  EXPECT_EQ(vz::TrimRight("  ab  "), "  ab");
  EXPECT_EQ(vz::TrimLeft("  ab  "), "ab  ");
  EXPECT_EQ(vz::TrimBoth("\xE1" "x\xE1"), "\xE1" "x\xE1");  // high bytes are letters
  const struct { const char *name, *with_default, *forced; } names[] = {
      {"checks", "checks.dbf", "checks.dbt"}, {"checks  ", "checks.dbf", "checks.dbt"},
      {"checks.DBF", "checks.DBF", "checks.dbt"}, {"data.", "data.", "data.dbt"},
      {"/srv/v1.2/checks", "/srv/v1.2/checks.dbf", "/srv/v1.2/checks.dbt"}, {"a.b/c.x", "a.b/c.x", "a.b/c.dbt"}};
  for (const auto& n : names) {
    EXPECT_EQ(vz::DefaultExtension(n.name, "dbf"), n.with_default);
    EXPECT_EQ(vz::ForceExtension(n.name, "dbt"), n.forced);
  }
  EXPECT_EQ(vz::BaseNameOf("/x/y/checks.dbf"), "checks");
  EXPECT_EQ(vz::DirectoryOf("/x/y/checks.dbf"), "/x/y/");
  EXPECT_EQ(vz::DirectoryOf("checks.dbf"), "");
  EXPECT_EQ(vz::ExtensionOf("/x.d/checks"), "");
  EXPECT_EQ(vz::TwoDigits(7), "07");
  EXPECT_EQ(vz::NumberText(-42), "-42");
  EXPECT_EQ(vz::NumberText(12345678901234), "1234567890");
}

class FileUtil : public qptest::TempDirTest {};

TEST_F(FileUtil, UniqueFileNamesAreNewFilesWithThePrefix) {
  setenv("TMPDIR", dir_.c_str(), 1);
  std::string a = vz::UniqueFileName(), b = vz::UniqueFileName();
  EXPECT_NE(a, b);
  EXPECT_EQ(vz::FileNameOf(a).rfind("TZP", 0), 0u);
  EXPECT_TRUE(plat::Exists(a));
  vz::SetReportErrors(false);
  plat::fault::FailNth(plat::fault::Op::kOpen, 1, EACCES);
  EXPECT_EQ(vz::UniqueFileName(), "");
  EXPECT_EQ(vz::ErrorCode(), 5);
  EXPECT_EQ(vz::TakeMessage(), "Error requesting unique file name [UniqueFilename]");
  unsetenv("TMPDIR");
  EXPECT_GT(vz::FreeDiskSpace(dir_), 0);
  EXPECT_GT(vz::FreeDiskSpace(""), 0);  // the current folder
}

TEST_F(FileUtil, ErasingByMaskCountsTheFailures) {
  for (const char* n : {"a.ndx", "b.ndx", "c.ndx", "keep.dbf"}) qptest::WriteAll(Path(n), "x");
  vz::SetReportErrors(false);
  plat::fault::FailNth(plat::fault::Op::kErase, 1, EACCES);
  EXPECT_FALSE(vz::EraseFiles(Path("*.ndx")));
  EXPECT_EQ(vz::ErrorCode(), 5);
  EXPECT_EQ(vz::TakeMessage(), "Could not erase 1 files like " + Path("*.ndx"));
  EXPECT_TRUE(plat::Exists(Path("a.ndx")));  // the one that failed
  EXPECT_FALSE(plat::Exists(Path("b.ndx")));
  EXPECT_TRUE(plat::Exists(Path("keep.dbf")));
  vz::ClearError();
  EXPECT_TRUE(vz::EraseFiles(Path("?.ndx")));
  EXPECT_FALSE(plat::Exists(Path("a.ndx")));
  EXPECT_FALSE(vz::EraseFiles(Path("none.ndx")));
  EXPECT_EQ(vz::ErrorCode(), 2);
  EXPECT_EQ(vz::TakeMessage(), "Error erasing " + Path("none.ndx"));
}

}  // namespace
