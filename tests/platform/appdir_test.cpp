// The program's folder: always absolute and ending in "/", whatever form the
// start-up code hands in, because every file name is appended to it; and
// whether a folder takes files.
#include "platform/appdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "tests/support/tempdir.h"

namespace {

using AppDirTest = qptest::TempDirTest;

// The probe for a writable folder leaves nothing behind.
TEST_F(AppDirTest, FolderIsAbsoluteWithOneTrailingSlash) {
  EXPECT_TRUE(plat::IsWritableFolder(dir_));
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
  EXPECT_FALSE(plat::IsWritableFolder(Path("missing")));
  qptest::WriteAll(Path("file"), "x");
  EXPECT_FALSE(plat::IsWritableFolder(Path("file")));
  plat::SetProgramFolder("");  // the executable's folder
  EXPECT_EQ(plat::ProgramFolder(), std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/");
  std::filesystem::create_directories(Path("data/sub"));
  const std::string saved = plat::CurrentDirectory();
  const std::string cases[][2] = {  // given, expected in the temporary folder
      {"data", "data/"}, {"data/", "data/"}, {"./data/sub/..", "data/"}, {".", ""}, {dir_ + "/data", "data/"},
  };
  for (const auto& [given, expected] : cases) {
    ASSERT_EQ(plat::SetCurrentDirectory(dir_), plat::kOk);
    plat::SetProgramFolder(given);
    ASSERT_EQ(plat::SetCurrentDirectory(saved), plat::kOk);
    EXPECT_EQ(plat::ProgramFolder(), dir_ + "/" + expected) << given;  // fixed when set, not when asked
  }
  plat::SetProgramFolder("");
}

}  // namespace
