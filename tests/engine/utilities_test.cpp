// Errors and their delivery, texts, code pages against glibc's iconv, and
// files, whose failures come from the fault seam (root ignores modes).
#include "engine/textutil.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/errors.h"
#include "tests/support/tempdir.h"

namespace {

using ErrorsTest = qptest::TempDirTest;

TEST_F(ErrorsTest, ReportsAreRaisedKeptQuietOrHandled) {
  vz::SetRaiseEngineErrors(true);
  try {
    vz::SetError(215, "No database in use [GoTop]  WorkArea = 3");
    FAIL() << "no exception";
  } catch (const vz::EVozuvError& e) {
    EXPECT_STREQ(e.what(), "Error # 215 (No database in use)\r\nNo database in use [GoTop]  WorkArea = 3");
  }
  EXPECT_EQ(vz::ErrorCode(), 215);
  EXPECT_EQ(vz::TakeMessage(), "");  // the report took it
  vz::SetRaiseEngineErrors(false);
  // Quiet failures keep their message for one take.
  EXPECT_TRUE(vz::ReportErrorsOff());
  vz::SetError(212, "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::ErrorCode(), 212);
  EXPECT_EQ(vz::TakeMessage(), "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::TakeMessage(), "");
  EXPECT_FALSE(vz::CheckRelease(nullptr));
  EXPECT_EQ(vz::ErrorCode(), 9);
  EXPECT_EQ(vz::TakeMessage(), "Attempt to free NIL pointer [FreeMem()]");
  EXPECT_FALSE(vz::ReportErrorsOn());
  vz::ClearError();
  vz::Report();  // code 0 delivers nothing
  vz::SetErrorQuiet(220, "Record not locked. [UnlockRec(4)]");
  EXPECT_TRUE(halts_.empty());
  EXPECT_EQ(vz::ErrorCode(), 220);
  // A handler replaces the delivery; the guard restores reporting on an exception.
  std::vector<unsigned> seen;
  vz::SetEngineErrorHandler([&] { seen.push_back(vz::ReportedCode()); });
  vz::SetError(33, "lock");
  vz::SetError(0, "");
  EXPECT_EQ(seen, (std::vector<unsigned>{33, 0}));
  try {
    vz::ReportErrorsGuard guard(false);
    EXPECT_FALSE(vz::ReportErrors());
    throw 1;
  } catch (int) {
  }
  EXPECT_TRUE(vz::ReportErrors());
}

TEST(DefaultHalt, WritesReportAndExitsWithACodeNeverZero) {
  const struct { unsigned code; int status; } cases[] = {
      {0, 0}, {2, 2}, {215, 215}, {1103, 79}, {1280, 255}, {256, 255}};
  for (const auto& c : cases) EXPECT_EQ(vz::ExitStatusFor(c.code), c.status) << c.code;
  vz::ResetErrorStateForTesting();
  EXPECT_EXIT(vz::SetError(215, "No database in use [SKIP()]  WorkArea = 1"), ::testing::ExitedWithCode(215),
              "No database in use \\[SKIP\\(\\)\\]");
}

TEST(TextUtil, TrimmingExtensionsAndNumberTexts) {
  EXPECT_EQ(vz::TrimBoth(" \t\r\n ab c \x01\x1F "), "ab c");  // every control character is a blank
  EXPECT_EQ(vz::TrimBoth("\xE1" "x\xE1"), "\xE1" "x\xE1");  // high bytes are letters
  const struct { const char *name, *with_default, *forced; } names[] = {
      {"checks", "checks.dbf", "checks.dbt"}, {"checks  ", "checks.dbf", "checks.dbt"},
      {"checks.DBF", "checks.DBF", "checks.dbt"}, {"data.", "data.", "data.dbt"},
      {"/srv/v1.2/checks", "/srv/v1.2/checks.dbf", "/srv/v1.2/checks.dbt"}, {"a.b/c.x", "a.b/c.x", "a.b/c.dbt"}};
  for (const auto& n : names) {
    EXPECT_EQ(vz::DefaultExtension(n.name, "dbf"), n.with_default);
    EXPECT_EQ(vz::ForceExtension(n.name, "dbt"), n.forced);
  }
  EXPECT_EQ(vz::NumberText(12345678901234), "1234567890");
}

std::string Iconv(const char* to, const char* from, std::string in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(in.size() * 4 + 4, '\0');
  char *inp = in.data(), *outp = out.data();
  size_t inleft = in.size(), outleft = out.size();
  size_t rc = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<iconv failed>";
  out.resize(out.size() - outleft);
  return out;
}

// The upper half as iconv has it, 0x8D (a letter) included.
TEST(CodePage, UpperHalfMatchesIconvControlBytesKeepTheirCodePointsAndTheRestAreQuestionMarks) {
  std::string controls;
  for (int b = 0; b < 0x20; ++b) controls.push_back(static_cast<char>(b));
  controls.push_back('\x7F');
  for (int cp : {437, 866}) {
    const std::string name = "CP" + std::to_string(cp);
    for (int b = 0x80; b <= 0xFF; ++b) {
      std::string byte(1, static_cast<char>(b));
      std::string utf8 = Iconv("UTF-8", name.c_str(), byte);
      EXPECT_EQ(vz::OemToUtf8(byte, cp), utf8) << name << " byte " << b;
      EXPECT_EQ(vz::Utf8ToOem(utf8, cp), byte) << name << " byte " << b;
    }
    EXPECT_EQ(vz::OemToUtf8(controls, cp), controls);
    EXPECT_EQ(vz::Utf8ToOem(controls, cp), controls);
  }
  // Missing characters and each bad UTF-8 byte become question marks.
  const struct { const char* utf8; int cp; const char* oem; } cases[] = {
      {"Łódź €", 437, "?\xA2" "d? ?"}, {"Müller", 866, "M?ller"}, {"😀", 437, "?"},
      {"a\xC3", 437, "a?"}, {"\xC0\xAF", 437, "??"}, {"\xED\xA0\x80", 437, "???"}, {"\xFF" "b", 437, "?b"}};
  for (const auto& c : cases) EXPECT_EQ(vz::Utf8ToOem(c.utf8, c.cp), c.oem) << c.utf8;
}

using FileUtil = qptest::TempDirTest;

TEST_F(FileUtil, UniqueNamesAreNewFilesAndErasingByMaskCountsTheFailures) {
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
  vz::ClearError();
  for (const char* n : {"a.ndx", "b.ndx", "c.ndx", "keep.dbf"}) qptest::WriteAll(Path(n), "x");
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
