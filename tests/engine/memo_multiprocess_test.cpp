// Two programs writing notes into one shared table at once: the memo lock
// keeps them from placing two notes in the same blocks.
#include <gtest/gtest.h>

#include "tests/support/memo_helpers.h"

namespace {

using qptest::Flavour, qptest::PrintTo;

// Many notes, each written while the other program appends its own: a note
// placed where the other's is still being written would show at the end.
constexpr int kRecordsEach = 300;

class MemoMultiProcessTest : public qptest::MemoTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  // A note of one to four blocks that names its writer and record.
  static std::string Text(int writer, int32_t record, uint32_t block_size) {
    std::string text = "<" + std::to_string(writer) + "/" + std::to_string(record) + ">";
    const size_t size = 10 + static_cast<size_t>(record * 37) % (3 * block_size);
    const std::string fill(1, static_cast<char>('a' + writer));
    while (text.size() < size) text += text.size() % 50 == 48 ? "\r\n" : fill;
    if (text.back() == '\r') text.back() = '.';
    if (text.back() == '\n') text += '.';
    return text;
  }

  // Notes of the records of its parity, again while the other holds the lock.
  static int Writer(const std::string& file, int writer, uint32_t block_size, const qptest::Signal& go) {
    if (!go.Wait()) return 9;
    if (!vz::USE(file)) return 10;
    for (int32_t r = 1 + writer; r <= 2 * kRecordsEach; r += 2) {
      int attempts = 0;
      int rc;
      while ((rc = WriteNote(r, Text(writer, r, block_size))) != 0) {
        const bool busy = rc == -2 || (rc == vz::kMemoWriteFailed && vz::ErrorCode() == 1017);
        if (!busy || ++attempts > 100000) return 20 + (rc & 0x3F);
      }
    }
    vz::USE("");
    return vz::ErrorCode() == 0 ? 0 : 11;
  }
};

INSTANTIATE_TEST_SUITE_P(Flavours, MemoMultiProcessTest, ::testing::ValuesIn(qptest::kFlavours),
                         qptest::LabelName());

TEST_P(MemoMultiProcessTest, ConcurrentWritersKeepEachOthersNotes) {
  MakeTable(GetParam(), "t", 2 * kRecordsEach);
  const std::string file = Path("t.dbf");
  const uint32_t bs = GetParam().block_size;
  qptest::Signal go;
  pid_t first = qptest::StartChild([&] { return Writer(file, 0, bs, go); });
  pid_t second = qptest::StartChild([&] { return Writer(file, 1, bs, go); });
  go.Send();
  go.Send();
  EXPECT_EQ(qptest::WaitChild(first), 0);
  EXPECT_EQ(qptest::WaitChild(second), 0);

  ASSERT_TRUE(Use("t exclusive"));
  for (int32_t r = 1; r <= 2 * kRecordsEach; ++r) {
    EXPECT_EQ(ReadNote(r), AsRead(Text((r - 1) % 2, r, bs))) << "record " << r;
  }
}

}  // namespace
