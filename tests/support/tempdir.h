// A fresh temporary folder per test, removed afterwards, and the engine's
// process-wide state put back to its defaults around each test (error
// switches, fault rules), because process-wide state leaks between tests.
#ifndef QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_
#define QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/errors.h"
#include "platform/file.h"

namespace qptest {

inline std::string MakeTempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "qptest-XXXXXX").string();
  char* made = ::mkdtemp(templ.data());
  return made ? std::string(made) : std::string();
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    vz::ResetErrorStateForTesting();
    plat::fault::Reset();
  }
  void TearDown() override {
    plat::fault::Reset();
    vz::ResetErrorStateForTesting();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_
