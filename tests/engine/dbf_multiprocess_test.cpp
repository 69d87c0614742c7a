// Several programs on one table: concurrent appends under the file lock,
// and a writer killed in the middle of its work.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <map>
#include <thread>

#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest, qptest::Fields;

class MultiProcessTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    // Writer and sequence number, again in text: a torn record cannot pass.
    ASSERT_TRUE(Create("m", Fields({{"writer", 'N', 3, 0}, {"seq", 'N', 8, 0}, {"text", 'C', 40, 0}})));
  }
  static std::string Text(int writer, int seq) {
    return "writer " + std::to_string(writer) + " record " + std::to_string(seq) + " |";
  }
  // Appends `count` records as `writer`, retrying while the lock is taken.
  static int Writer(const std::string& file, int writer, int count) {
    if (!vz::USE(file)) return 10;
    for (int seq = 1; seq <= count; ++seq) {
      while (!vz::ALock()) std::this_thread::yield();
      vz::ClearRecord();
      vz::SetFieldNumber(1, writer);
      vz::SetFieldNumber(2, seq);
      vz::SetFieldText(3, Text(writer, seq));
      vz::Append();
      vz::Unlock();
      if (vz::ErrorCode() != 0) return 11;
    }
    vz::USE("");
    return vz::ErrorCode() == 0 ? 0 : 12;
  }
};

TEST_F(MultiProcessTest, ConcurrentAppendsKeepEveryRecordOnceAndTheLastCloseCountsThemAll) {
  constexpr int kWriters = 3;
  constexpr int kEach = 1000;
  std::string file = Path("m.dbf");
  std::vector<pid_t> children;
  for (int w = 1; w <= kWriters; ++w) {
    children.push_back(qptest::StartChild([&, w] { return Writer(file, w, kEach); }));
  }
  for (pid_t child : children) EXPECT_EQ(qptest::WaitChild(child), 0);

  std::string bytes = qptest::ReadAll(file);
  EXPECT_EQ(qptest::Le32(bytes, 4), static_cast<uint32_t>(kWriters * kEach));
  ASSERT_TRUE(Use("m exclusive"));
  ASSERT_EQ(vz::RecCount(), kWriters * kEach);
  std::map<int, int> next;  // each writer's records arrive in its own order
  vz::GoTop();
  while (!vz::dEOF()) {
    int w = static_cast<int>(vz::GetFieldNumber(1));
    int seq = static_cast<int>(vz::GetFieldNumber(2));
    ASSERT_EQ(vz::TrimRight(vz::GetFieldText(3)), Text(w, seq)) << "record " << vz::RecNo();
    ASSERT_EQ(seq, ++next[w]) << "writer " << w;
    vz::SKIP(1);
  }
  for (int w = 1; w <= kWriters; ++w) EXPECT_EQ(next[w], kEach);
  EXPECT_EQ(bytes.back(), '\x1A');
  vz::USE("");
  // Whoever closes last leaves the full count, the other still appending.
  pid_t slow = qptest::StartChild([&] { return Writer(file, 1, 1500); });
  pid_t quick = qptest::StartChild([&] { return Writer(file, 2, 20); });
  EXPECT_EQ(qptest::WaitChild(quick), 0);
  EXPECT_EQ(qptest::WaitChild(slow), 0);
  EXPECT_EQ(qptest::Le32(qptest::ReadAll(file), 4), static_cast<uint32_t>(kWriters * kEach + 1520));
}

TEST_F(MultiProcessTest, KilledWriterLeavesEveryCompletedRecord) {
  std::string file = Path("m.dbf");
  pid_t child = qptest::StartChild([&] { return Writer(file, 7, 1000000); });
  // Let it write a while, then kill it without warning.
  for (int i = 0; i < 2000; ++i) {
    if (qptest::ReadAll(file).size() > 129 + 500 * 52) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(kill(child, SIGKILL), 0);
  EXPECT_EQ(qptest::WaitChild(child), 128 + SIGKILL);

  ASSERT_TRUE(Use("m"));
  int32_t count = vz::RecCount();
  EXPECT_GT(count, 0);
  vz::GoTop();
  int seq = 0;
  while (!vz::dEOF()) {
    ++seq;
    ASSERT_EQ(vz::GetFieldNumber(2), seq);
    ASSERT_EQ(vz::TrimRight(vz::GetFieldText(3)), Text(7, seq));
    vz::SKIP(1);
  }
  EXPECT_EQ(seq, count);
  ASSERT_EQ(Writer(file, 8, 1), 0);  // the table takes new records after the wreck
  ASSERT_TRUE(Use("m exclusive"));
  EXPECT_EQ(vz::RecCount(), count + 1);
  vz::GoBottom();
  EXPECT_EQ(vz::TrimRight(vz::GetFieldText(3)), Text(8, 1));
}

}  // namespace
