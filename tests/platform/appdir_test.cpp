// The program's folder: always absolute and ending in "/", whatever form the
// start-up code hands in, because every file name is appended to it.
#include "platform/appdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "tests/support/tempdir.h"

namespace {

class AppDirTest : public qptest::TempDirTest {
 protected:
  void TearDown() override {
    plat::SetProgramFolder("");
    qptest::TempDirTest::TearDown();
  }
};

TEST_F(AppDirTest, DefaultIsTheExecutablesFolder) {
  plat::SetProgramFolder("");
  EXPECT_EQ(plat::ProgramFolder(),
            std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/");
}

struct FolderCase {
  const char* name;
  std::string given;     // relative to the temporary folder unless absolute
  std::string expected;  // relative to the temporary folder
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class AppDirFolderTest : public AppDirTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(AppDirFolderTest, IsAbsoluteWithOneTrailingSlash) {
  std::filesystem::create_directories(Path("data/sub"));
  const std::string saved = plat::CurrentDirectory();
  ASSERT_EQ(plat::SetCurrentDirectory(dir_), plat::kOk);
  plat::SetProgramFolder(GetParam().given);
  ASSERT_EQ(plat::SetCurrentDirectory(saved), plat::kOk);
  // The folder was fixed when it was set, not when it is asked for.
  EXPECT_EQ(plat::ProgramFolder(), dir_ + "/" + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AppDirFolderTest,
    ::testing::Values(FolderCase{"Relative", "data", "data/"},
                      FolderCase{"RelativeWithSlash", "data/", "data/"},
                      FolderCase{"DotSteps", "./data/sub/..", "data/"},
                      FolderCase{"CurrentFolder", ".", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppDirTest, AbsoluteFolderKept) {
  plat::SetProgramFolder(dir_);
  EXPECT_EQ(plat::ProgramFolder(), dir_ + "/");
}

TEST_F(AppDirTest, WritableFolderProbeLeavesNothingBehind) {
  EXPECT_TRUE(plat::IsWritableFolder(dir_));
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
  EXPECT_FALSE(plat::IsWritableFolder(Path("missing")));
  qptest::WriteAll(Path("file"), "x");
  EXPECT_FALSE(plat::IsWritableFolder(Path("file")));
}

}  // namespace
