// A fresh temporary folder per test, and the engine's process-wide state
// (errors, fault rules, work areas, settings) put back around each test.
// Reports do not end the test program: they are recorded in `halts_`.
#ifndef QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_
#define QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/settings.h"
#include "platform/file.h"

namespace qptest {

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
    dir_ = (std::filesystem::temp_directory_path() / "qptest-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
    vz::ResetErrorStateForTesting();
    vz::ResetEngineSettings();
    plat::fault::Reset();
    vz::SetHaltHook([this](const std::string& text, unsigned code) { halts_.emplace_back(text, code); });
  }
  void TearDown() override {
    plat::fault::Reset();
    vz::SetReportErrors(false);
    vz::ShutdownEngine();
    vz::SetMemoManager({});
    vz::SetIndexManager({});
    vz::ResetEngineSettings();
    vz::ResetErrorStateForTesting();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  std::vector<std::pair<std::string, unsigned>> halts_;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_TEMPDIR_H_
