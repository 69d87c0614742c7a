// Packing a table with memos: every surviving record keeps exactly its note,
// the memo file keeps only what records point to, and a pack that cannot
// finish leaves records and memo file as they were.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "engine/memo.h"
#include "tests/support/memo_helpers.h"

namespace {

using qptest::Flavour;
using qptest::Le32;
using qptest::PrintTo;

// A note that names itself, `size` characters long.
std::string Note(const std::string& name, size_t size) { return qptest::Note("<" + name + ">", std::max(size, name.size() + 2), 'x'); }

size_t Count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

class MemoPackTest : public qptest::MemoTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  void SetUp() override {
    MemoTest::SetUp();
    MakeTable(GetParam(), "t", 6);
  }
  uint32_t bs() const { return GetParam().block_size; }

  // Notes of several sizes on records 1-6, two of them rewritten, record 6
  // pointing at raw data; records 2 and 5 marked deleted.
  void Fill() {
    const size_t sizes[] = {10, bs() + 5, 3 * bs(), 20, 2 * bs(), 5};
    for (int r = 1; r <= 6; ++r) ASSERT_EQ(WriteNote(r, Note("old " + std::to_string(r), sizes[r - 1])), 0);
    ASSERT_EQ(WriteNote(3, Note("new 3", bs() / 2)), 0);
    ASSERT_EQ(WriteNote(4, Note("new 4", 4 * bs())), 0);
    vz::GO(6);
    raw_ = MemoBytes().substr(static_cast<size_t>(vz::GetFieldMemo(2)) * bs(), 8);
    ASSERT_TRUE(vz::RLock());
    const std::string raw = "-" + std::to_string(vz::GetFieldMemo(2));
    vz::Poke(std::string(10 - raw.size(), ' ') + raw, 2, 6);
    vz::Unlock();
    for (int r : {2, 5}) {
      vz::GO(r);
      ASSERT_TRUE(vz::RLock());
      vz::DeleteRec();
      vz::Unlock();
    }
  }
  std::string raw_;
};

INSTANTIATE_TEST_SUITE_P(Flavours, MemoPackTest, ::testing::ValuesIn(qptest::kFlavours),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_P(MemoPackTest, SurvivorsKeepTheirNotesAndTheFileOnlyLiveOnes) {
  ASSERT_TRUE(Use("t"));  // shared: the pack makes it exclusive for itself
  Fill();
  const size_t before = MemoBytes().size();
  ASSERT_TRUE(vz::Pack());
  ASSERT_EQ(vz::RecCount(), 4);
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_EQ(ReadBlock(vz::GetFieldMemo(2)), Note("old 1", 10) + "\r\n");
  const std::string bytes = MemoBytes();

  EXPECT_EQ(ReadNote(1), Note("old 1", 10) + "\r\n");
  EXPECT_EQ(ReadNote(2), Note("new 3", bs() / 2) + "\r\n");
  EXPECT_EQ(ReadNote(3), Note("new 4", 4 * bs()) + "\r\n");
  EXPECT_EQ(ReadNote(4), "(BLOB)\r\n");
  for (const char* live : {"<old 1>", "<new 3>", "<new 4>", "<old 6>"}) EXPECT_EQ(Count(bytes, live), 1u) << live;
  for (const char* dead : {"<old 2>", "<old 3>", "<old 4>", "<old 5>"}) EXPECT_EQ(Count(bytes, dead), 0u) << dead;
  EXPECT_LT(bytes.size(), before);
  EXPECT_EQ(Le32(bytes, 0), bytes.size() / bs() + 1);
  if (GetParam().dbase4()) {
    EXPECT_EQ(bytes.substr(8, 1), "t");
  }

  // Raw data keeps its bytes and its sign.
  vz::GO(4);
  const int32_t raw = vz::GetFieldMemo(2);
  ASSERT_LT(raw, 0);
  EXPECT_EQ(bytes.substr(static_cast<size_t>(-raw) * bs(), 8), raw_);

  // A note written after the pack goes after the last packed one.
  ASSERT_EQ(WriteNote(1, Note("after", bs())), 0);
  EXPECT_EQ(ReadNote(1), Note("after", bs()) + "\r\n");
  EXPECT_EQ(ReadNote(3), Note("new 4", 4 * bs()) + "\r\n");
  EXPECT_EQ(MemoBytes().substr(static_cast<size_t>(-raw) * bs(), 8), raw_);
  vz::USE("");
  EXPECT_FALSE(std::filesystem::exists(Path("t.$$$")));
}

TEST_P(MemoPackTest, PlantedLinkAtTheTemporaryNameIsNeverFollowed) {
  qptest::WriteAll(Path("victim"), "precious");
  ASSERT_EQ(::symlink(Path("victim").c_str(), Path("t.$$$").c_str()), 0);
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  ASSERT_TRUE(vz::Pack());
  EXPECT_EQ(qptest::ReadAll(Path("victim")), "precious");
  EXPECT_EQ(ReadNote(2), Note("new 3", bs() / 2) + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Path("t.$$$"))));
}

TEST_P(MemoPackTest, PointerWithTrailingTextIsPackedAsRecordsReadIt) {
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  vz::GO(3);
  const std::string padded = "  " + std::to_string(vz::GetFieldMemo(2)) + " kept";
  vz::Poke(padded + std::string(10 - padded.size(), ' '), 2, 3);
  ASSERT_EQ(ReadNote(3), Note("new 3", bs() / 2) + "\r\n");
  ASSERT_TRUE(vz::Pack());
  EXPECT_EQ(ReadNote(2), Note("new 3", bs() / 2) + "\r\n");
  EXPECT_EQ(Count(MemoBytes(), "<new 3>"), 1u);
}

TEST_P(MemoPackTest, BadPointerStopsThePackAndChangesNothing) {
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  vz::Poke("      9999", 2, 4);
  const std::string table = qptest::ReadAll(Path("t.dbf"));
  const std::string memo = MemoBytes();
  vz::SetReportErrors(false);
  EXPECT_FALSE(vz::GetMemoManager().PackMemo());
  EXPECT_EQ(vz::ErrorCode(), 1003);
  EXPECT_EQ(vz::TakeMessage(), Path("t.dbt") + " Memo block # 9999 Record # 4 [PackMemo]");
  EXPECT_EQ(qptest::ReadAll(Path("t.dbf")), table);
  EXPECT_EQ(MemoBytes(), memo);
  EXPECT_FALSE(std::filesystem::exists(Path("t.$$$")));
  EXPECT_EQ(ReadNote(3), Note("new 3", bs() / 2) + "\r\n");
}

TEST_P(MemoPackTest, RecordHooksCodeTheTextButNeverABlockHeader) {
  auto code = [](uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] ^= 0x55;
  };
  vz::Settings().EncodeRecordHook = code;
  vz::Settings().DecodeRecordHook = code;
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  EXPECT_EQ(Count(MemoBytes(), "<new 3>"), 0u);  // no plain text in the file
  ASSERT_TRUE(vz::Pack());
  const std::string bytes = MemoBytes();
  EXPECT_EQ(Count(bytes, "<new 3>"), 0u);
  vz::GO(2);
  const size_t at = static_cast<size_t>(vz::GetFieldMemo(2)) * bs();
  EXPECT_EQ(bytes.substr(at, 4) == std::string("\xFF\xFF\x08\x00", 4), GetParam().dbase4());
  EXPECT_EQ(ReadNote(1), Note("old 1", 10) + "\r\n");
  EXPECT_EQ(ReadNote(2), Note("new 3", bs() / 2) + "\r\n");
  EXPECT_EQ(ReadNote(3), Note("new 4", 4 * bs()) + "\r\n");
}

TEST_P(MemoPackTest, PackMemoRefusesATableOthersMayWrite) {
  ASSERT_TRUE(Use("t"));
  vz::SetReportErrors(false);
  EXPECT_FALSE(vz::GetMemoManager().PackMemo());
  EXPECT_EQ(vz::ErrorCode(), plat::kSharingViolation);
  EXPECT_EQ(vz::TakeMessage(), Path("t.dbt") + " [PackMemoFile]");
}

}  // namespace
