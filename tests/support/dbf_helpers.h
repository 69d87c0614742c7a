// The engine's table tests: a fixture with fixed national settings, raw
// bytes of files the engine did not write, and child processes.
#ifndef QUILLPRINT_TESTS_SUPPORT_DBF_HELPERS_H_
#define QUILLPRINT_TESTS_SUPPORT_DBF_HELPERS_H_

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/checkrecord.h"
#include "engine/dbf.h"
#include "engine/dbf_p.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "platform/datefmt.h"
#include "tests/support/tempdir.h"

namespace qptest {

// Parameters print as their label (`using qptest::PrintTo;` beside them).
template <typename T>
  requires requires(const T& t) { *static_cast<std::ostream*>(nullptr) << t.label; }
void PrintTo(const T& value, std::ostream* os) {
  *os << value.label;
}

// Instance names: the parameter's label, or "<first>_<second>" for a pair.
struct LabelName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    if constexpr (requires { info.param.label; }) {
      return info.param.label;
    } else {
      return std::string(std::get<0>(info.param).label) + "_" + std::get<1>(info.param).label;
    }
  }
};

// The two ways of opening a table, which read their records differently.
struct Mode {
  const char* label;
  const char* suffix;  // of the USE command
};
inline const Mode kModes[] = {{"Shared", ""}, {"Exclusive", " exclusive"}};

struct FieldDef {
  const char* name;
  char type;
  int length;
  int decimals;
};

inline std::vector<vz::TFieldEntry> Fields(std::initializer_list<FieldDef> defs) {
  std::vector<vz::TFieldEntry> out;
  for (const FieldDef& d : defs) out.push_back(vz::TFieldEntry::Make(d.name, d.type, d.length, d.decimals));
  return out;
}

inline uint32_t Le16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
inline uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
inline void PutLe16(std::string* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string* b, size_t at, uint32_t v) {
  PutLe16(b, at, v);
  PutLe16(b, at + 2, v >> 16);
}

// Today as a table header stores it: year - 1900, month, day.
inline std::string TodayBytes() {
  int y, m, d;
  plat::Today(&y, &m, &d);
  return {static_cast<char>(y - 1900), static_cast<char>(m), static_cast<char>(d)};
}

// A table written by hand, as other programs or damage leave them; records
// are given whole (flag byte first).
inline std::string RawDbf(uint8_t version, std::initializer_list<FieldDef> fields,
                          const std::vector<std::string>& records, bool end_mark = true) {
  size_t n = fields.size();
  std::string b(32 + 32 * n + 1, '\0');
  b[0] = static_cast<char>(version);
  b.replace(1, 3, "\x7E\x05\x11");  // 2026-05-17
  PutLe32(&b, 4, static_cast<uint32_t>(records.size()));
  PutLe16(&b, 8, static_cast<uint32_t>(b.size()));
  uint32_t reclen = 1;
  size_t i = 0;
  for (const FieldDef& f : fields) {
    size_t at = 32 + 32 * i++;
    std::string name(f.name);
    b.replace(at, name.size(), name);
    b[at + 11] = f.type;
    b[at + 16] = static_cast<char>(f.length);
    b[at + 17] = static_cast<char>(f.decimals);
    reclen += static_cast<uint32_t>(f.length);
  }
  PutLe16(&b, 10, reclen);
  b[32 + 32 * n] = 0x0D;
  for (const std::string& r : records) b += r;
  if (end_mark) b += '\x1A';
  return b;
}

// Plus United States settings: DateFormat 0, two-digit years, century 2000.
class DbfTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    vz::InitNationalSettingsFor("en_US");
    vz::SetCenturyPivotForTesting(2000);
  }
  void TearDown() override {
    TempDirTest::TearDown();
    vz::InitNationalSettingsFor("en_US");
  }

  // The text of the last report ("" when nothing was reported).
  std::string LastReport() const { return halts_.empty() ? std::string() : halts_.back().first; }
  // The report a failure with this code and message makes.
  static std::string ReportOf(unsigned code, const std::string& message) {
    return vz::CodeText(code) + "\r\n" + message;
  }

  bool Create(const std::string& name, std::vector<vz::TFieldEntry> fields) {
    return vz::CreateDBF(Path(name), fields);
  }
  bool Use(const std::string& command) { return vz::USE(dir_ + "/" + command); }
  // Writes `bytes` as the command's table and opens it.
  bool UseBytes(const std::string& command, const std::string& bytes) {
    WriteAll(Path(command.substr(0, command.find(' ')) + ".dbf"), bytes);
    return Use(command);
  }

  // Goes to each of these records of the current table and locks it.
  static bool LockRecords(std::initializer_list<int> records) {
    for (int r : records) {
      vz::GO(r);
      if (!vz::RLock()) return false;
    }
    return true;
  }

  // Creates a table with `records` records, each filled by `fill(n)` (n from
  // 1) after a ClearRecord, marks the `deleted` ones and leaves it closed.
  void BuildTable(const std::string& name, std::vector<vz::TFieldEntry> fields, int records,
                  const std::function<void(int)>& fill = {}, const std::vector<int>& deleted = {}) {
    ASSERT_TRUE(Create(name, std::move(fields)));
    ASSERT_TRUE(Use(name + " exclusive"));
    for (int n = 1; n <= records; ++n) {
      vz::ClearRecord();
      if (fill) fill(n);
      vz::Append();
    }
    for (int d : deleted) {
      vz::GO(d);
      vz::DeleteRec();
    }
    ASSERT_EQ(vz::ErrorCode(), 0) << vz::TakeMessage();
    vz::USE("");
  }
  // The report of this code and message, "<dir>" standing for the folder.
  std::string Reported(unsigned code, std::string message) const {
    for (size_t at; (at = message.find("<dir>")) != std::string::npos;) message.replace(at, 5, dir_);
    return ReportOf(code, message);
  }
};

// Runs `body` in a child process that forgets the inherited work areas: a
// descriptor shared with us would share our locks, and never conflict.
inline pid_t StartChild(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    vz::AbandonWorkAreas();
    vz::SetReportErrors(false);
    int status = body();
    vz::ShutdownEngine();
    _exit(status);
  }
  return pid;
}

inline int WaitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// A pipe to let a child say when it is ready (one byte) and wait for a go.
struct Signal {
  int fds[2] = {-1, -1};
  Signal() { EXPECT_EQ(pipe(fds), 0); }
  ~Signal() {
    close(fds[0]);
    close(fds[1]);
  }
  void Send() const { (void)!write(fds[1], "", 1); }
  bool Wait() const {
    char c;
    return read(fds[0], &c, 1) == 1;
  }
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_DBF_HELPERS_H_
