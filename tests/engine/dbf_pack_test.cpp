// Deleting, recalling and packing records, on shared and exclusive tables,
// with another program beside us.
#include <gtest/gtest.h>

#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::Fields;
using qptest::Le32;
using qptest::ReadAll;

constexpr size_t kHeader = 32 + 32 + 1;
constexpr size_t kRecord = 1 + 4;

class PackTest : public DbfTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // Records "r1".."rN"; the listed ones marked deleted.
  void Build(int records, const std::vector<int>& deleted) {
    BuildTable("p", Fields({{"name", 'C', 4, 0}}), records, [](int n) { vz::SetFieldText(1, "r" + std::to_string(n)); },
               deleted);
    ASSERT_TRUE(Use(std::string("p") + GetParam()));
  }
  std::string File() { return ReadAll(Path("p.dbf")); }
  std::string Records() {
    std::string b = File();
    return b.substr(kHeader, b.size() - kHeader - 1);
  }
};

TEST_P(PackTest, MarkedRecordsLeaveAndTheRestKeepTheirOrder) {
  vz::Settings().PeekCacheSize = 100;
  Build(5, {2, 4});
  EXPECT_EQ(vz::Peek(1, 2), "r2  ");
  vz::Settings().FlushOnWrite = true;
  int relations = 0;
  vz::SetRelationCallback([&] { ++relations; });
  vz::GO(3);
  relations = 0;
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(relations, 1);  // once, at the end, not for every record moved
  EXPECT_TRUE(vz::Settings().FlushOnWrite);
  EXPECT_EQ(vz::Peek(1, 2), "r3  ");  // the cache forgot the packed records
  EXPECT_EQ(vz::RecCount(), 3);
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_FALSE(vz::dEOF());
  EXPECT_FALSE(vz::dBOF());
  EXPECT_EQ(vz::GetFieldText(1), "r1  ");
  std::string b = File();
  ASSERT_EQ(b.size(), kHeader + 3 * kRecord + 1);
  EXPECT_EQ(Records(), " r1   r3   r5  ");
  EXPECT_EQ(b.back(), '\x1A');
  EXPECT_EQ(Le32(b, 4), 3u);  // committed with the pack, not at close

  // The table stays in its sharing mode.
  vz::TableInfo info;
  ASSERT_TRUE(vz::GetTableInfo(&info));
  const bool shared = GetParam()[0] == '\0';
  EXPECT_EQ(info.exclusive, !shared);
  EXPECT_EQ(info.file_mode, shared ? 66 : 18);
  plat::File other;
  EXPECT_EQ(other.Open(Path("p.dbf"), plat::kModeShared), shared ? plat::kOk : plat::kSharingViolation);
}

TEST_P(PackTest, PackingEveryRecordLeavesAnEmptyTableThatHasNothingToPack) {
  Build(3, {1, 2, 3});
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(vz::RecCount(), 0);
  EXPECT_EQ(vz::RecNo(), 0);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(File().size(), kHeader + 1);
  EXPECT_FALSE(vz::Pack());
  EXPECT_EQ(vz::ErrorCode(), 0);
}

TEST_P(PackTest, DeleteOutsideTheTable) {
  Build(2, {});
  vz::GoBottom();
  vz::SKIP(1);
  vz::DeleteRec();
  bool shared = GetParam()[0] == '\0';
  if (shared) {
    EXPECT_EQ(LastReport(), ReportOf(1200, Path("p.dbf") + " Record not locked [DeleteRec]"));
  } else {
    EXPECT_EQ(LastReport(), ReportOf(1103, Path("p.dbf") + " at EOF [DeleteRec]"));
    vz::RecallRec();
    EXPECT_EQ(LastReport(), ReportOf(1103, Path("p.dbf") + " at EOF [RecallRec]"));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, PackTest, ::testing::Values("", " exclusive"),
                         [](const auto& info) { return info.param[0] ? "Exclusive" : "Shared"; });

// Record 2 of three, marked deleted, in a shared table.
class SharedDeleteTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    BuildTable("p", Fields({{"name", 'C', 4, 0}}), 3, {}, {2});
    ASSERT_TRUE(Use("p"));
  }
};

TEST_F(SharedDeleteTest, PackIsRefusedWhileAnotherProgramHasTheTable) {
  std::string before = ReadAll(Path("p.dbf"));
  qptest::Signal ready, done;
  std::string folder = dir_;
  pid_t child = qptest::StartChild([&] {
    if (!vz::USE(folder + "/p.dbf")) return 10;
    ready.Send();
    done.Wait();
    return 0;
  });
  ASSERT_TRUE(ready.Wait());
  EXPECT_FALSE(vz::Pack());
  EXPECT_EQ(vz::ErrorCode(), 0);
  EXPECT_TRUE(halts_.empty());
  EXPECT_EQ(ReadAll(Path("p.dbf")), before);
  done.Send();
  EXPECT_EQ(qptest::WaitChild(child), 0);
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(vz::RecCount(), 2);
}

TEST_F(SharedDeleteTest, PackKeepsRecordsAppendedByAnotherProgram) {
  // Another copy of the program appends two records and goes away; we pack
  // without having looked at the file's size since.
  {
    plat::File other;
    ASSERT_EQ(other.Open(Path("p.dbf"), plat::kModeShared), plat::kOk);
    size_t done = 0;
    ASSERT_EQ(other.WriteAt(kHeader + 3 * kRecord, " them too ", 10, &done), plat::kOk);
  }
  ASSERT_TRUE(vz::Pack());
  EXPECT_EQ(vz::RecCount(), 4);
  std::string b = ReadAll(Path("p.dbf"));
  EXPECT_EQ(b.substr(kHeader + 2 * kRecord, 2 * kRecord), " them too ");
  EXPECT_EQ(Le32(b, 4), 4u);
}

}  // namespace
