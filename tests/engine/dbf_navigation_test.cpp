// Moving through a table: GoTop, GoBottom, GO, SKIP and the end flags, with
// deleted records hidden, filters, while conditions, relations and an index
// order. Each body runs on a shared and on an exclusive table, which read
// their records in different ways.
#include <gtest/gtest.h>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::Fields;

// Names "r1".."rN" in field 1.
class NavigationTest : public DbfTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void Build(int records, std::initializer_list<int> deleted = {}) {
    ASSERT_TRUE(Create("nav", Fields({{"name", 'C', 8, 0}, {"n", 'N', 6, 0}})));
    ASSERT_TRUE(Use("nav exclusive"));
    for (int i = 1; i <= records; ++i) {
      vz::ClearRecord();
      vz::SetFieldText(1, "r" + std::to_string(i));
      vz::SetFieldNumber(2, i);
      vz::Append();
    }
    for (int d : deleted) {
      vz::GO(d);
      vz::DeleteRec();
    }
    ASSERT_TRUE(Use(std::string("nav") + GetParam()));
  }
  std::string Name() { return vz::TrimRight(vz::GetFieldText(1)); }
  std::string File() { return Path("nav.dbf"); }
};

TEST_P(NavigationTest, SkipPastTheLastRecordSetsEofOnABlankRecord) {
  Build(5);
  vz::GO(5);
  vz::SKIP(1);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_FALSE(vz::dBOF());
  EXPECT_EQ(vz::RecNo(), 6);
  EXPECT_EQ(Name(), "");
  EXPECT_EQ(vz::ErrorCode(), 0);
  vz::SKIP(1);
  EXPECT_EQ(LastReport(), ReportOf(212, "Database \"" + File() + "\" is past EOF. [SKIP]"));
  EXPECT_EQ(vz::RecNo(), 6);
}

TEST_P(NavigationTest, SkipBackFromTheFirstRecordSetsBofAndStays) {
  Build(5);
  vz::GoTop();
  vz::SKIP(-1);
  EXPECT_TRUE(vz::dBOF());
  EXPECT_FALSE(vz::dEOF());
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_EQ(Name(), "r1");
  vz::SKIP(-1);  // at the start already: nothing
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_TRUE(halts_.empty());
}

TEST_P(NavigationTest, SkipCountsRecordsBothWays) {
  Build(10);
  vz::GoTop();
  vz::SKIP(3);
  EXPECT_EQ(Name(), "r4");
  vz::SKIP(-2);
  EXPECT_EQ(Name(), "r2");
  vz::SKIP(20);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_EQ(vz::RecNo(), 11);
  vz::GoBottom();
  vz::SKIP(-20);
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(Name(), "r1");
}

TEST_P(NavigationTest, GoOutsideTheTableLeavesItPastTheEnd) {
  Build(5);
  vz::GO(3);
  vz::GO(0);
  EXPECT_EQ(LastReport(), ReportOf(212, "Invalid record number = 0 Database \"" + File() + "\" [GO]"));
  EXPECT_TRUE(vz::dEOF());
  EXPECT_FALSE(vz::dBOF());
  EXPECT_EQ(vz::RecNo(), 6);
  vz::GO(7);
  EXPECT_EQ(vz::ErrorCode(), 212);
  EXPECT_EQ(vz::RecNo(), 6);
  vz::GO(4);
  EXPECT_FALSE(vz::dEOF());
  EXPECT_EQ(Name(), "r4");
}

TEST_P(NavigationTest, EmptyTable) {
  Build(0);
  vz::GoTop();
  vz::GoBottom();
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
  vz::SKIP(-1);
  EXPECT_EQ(LastReport(), ReportOf(212, "Database \"" + File() + "\" is empty. [SKIP]"));
  vz::GO(1);
  EXPECT_EQ(LastReport(), ReportOf(212, "Invalid record number = 1 Database \"" + File() + "\" [GO]"));
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
}

TEST_P(NavigationTest, SkipZeroReadsTheRecordAgain) {
  Build(3);
  vz::GO(2);
  vz::SetFieldText(1, "changed");
  vz::SKIP(0);
  EXPECT_EQ(Name(), "r2");
  vz::GoBottom();
  vz::SKIP(1);
  vz::SetFieldText(1, "junk");
  vz::SKIP(0);  // past the end: a blank record
  EXPECT_EQ(Name(), "");
}

TEST_P(NavigationTest, HiddenDeletedRecordsAreSkipped) {
  Build(6, {1, 2, 4, 6});
  vz::Settings().HideDeleted = true;
  vz::GoTop();
  EXPECT_EQ(Name(), "r3");
  vz::SKIP(1);
  EXPECT_EQ(Name(), "r5");
  vz::SKIP(1);
  EXPECT_TRUE(vz::dEOF());
  vz::GoBottom();
  EXPECT_EQ(Name(), "r5");
  vz::SKIP(-1);
  EXPECT_EQ(Name(), "r3");
  vz::GO(4);  // GO does not hide
  EXPECT_EQ(Name(), "r4");
  EXPECT_TRUE(vz::Deleted());
}

TEST_P(NavigationTest, TableOfOnlyHiddenRecords) {
  Build(3, {1, 2, 3});
  vz::Settings().HideDeleted = true;
  vz::GoTop();
  EXPECT_TRUE(vz::dEOF());
  EXPECT_FALSE(vz::dBOF());
  EXPECT_EQ(vz::RecNo(), 4);
  vz::GoBottom();
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(vz::RecNo(), 4);
  EXPECT_EQ(Name(), "");
}

TEST_P(NavigationTest, FilterDecidesVisibility) {
  Build(7);
  vz::SetFilterCallback([] { return static_cast<int>(vz::GetFieldNumber(2)) % 3 == 0; });
  vz::GoTop();
  EXPECT_EQ(Name(), "r3");
  vz::SKIP(1);
  EXPECT_EQ(Name(), "r6");
  vz::SKIP(-1);
  EXPECT_EQ(Name(), "r3");
  vz::GoBottom();
  EXPECT_EQ(Name(), "r6");
}

TEST_P(NavigationTest, WhileConditionStopsSkipping) {
  Build(8);
  vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3 && vz::GetFieldNumber(2) <= 6; });
  EXPECT_TRUE(vz::IsWhileOn());
  vz::GO(4);
  vz::SKIP(10);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_EQ(vz::RecNo(), 7);  // the record that ended the range
  vz::GO(5);
  vz::SKIP(-10);
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(Name(), "r3");  // the last record inside the range
}

TEST_P(NavigationTest, WhileConditionFalseAtOnceGoingBack) {
  Build(4);
  vz::GO(3);
  vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3; });
  vz::SKIP(-1);
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(vz::RecNo(), 5);
  EXPECT_EQ(Name(), "");
}

TEST_P(NavigationTest, KeyExpressionsNeedTheExpressionEngine) {
  Build(2);
  EXPECT_FALSE(vz::IsWhileOn());
  vz::Set_While_To("N < 2");
  EXPECT_EQ(LastReport(), ReportOf(220, "TZParser unit not linked in. [Set_While_To]"));
  EXPECT_FALSE(vz::IsWhileOn());
}

TEST_P(NavigationTest, RelationRunsAfterEveryMove) {
  Build(4);
  std::vector<int32_t> seen;
  vz::SetRelationCallback([&] { seen.push_back(vz::RecNo()); });
  vz::GoTop();
  vz::SKIP(2);
  vz::GO(4);
  vz::GoBottom();
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 3, 4, 4}));
}

TEST_P(NavigationTest, ScanMeetsEveryRecordAcrossReadAheadBlocks) {
  // Enough records for several read-ahead blocks, read both ways and with
  // jumps, so that every block boundary is crossed.
  Build(3000);
  vz::GoTop();
  int expected = 1;
  while (!vz::dEOF()) {
    ASSERT_EQ(vz::GetFieldNumber(2), expected);
    ++expected;
    vz::SKIP(1);
  }
  EXPECT_EQ(expected, 3001);
  vz::GoBottom();
  for (int i = 3000; i >= 1; --i) {
    ASSERT_EQ(vz::GetFieldNumber(2), i);
    vz::SKIP(-1);
  }
  for (int n : {1500, 17, 2999, 2, 2000, 2001, 2003, 1}) {
    vz::GO(n);
    ASSERT_EQ(vz::GetFieldNumber(2), n);
  }
}

TEST_P(NavigationTest, ReadsSeeOurOwnWritesAtOnce) {
  Build(2000);
  for (int n = 1; n <= 2000; n += 2) {
    vz::GO(n);
    ASSERT_TRUE(vz::RLock());
    vz::SetFieldNumber(2, -n);
    vz::Replace();
    vz::Unlock();
  }
  vz::GoTop();
  for (int n = 1; n <= 2000; ++n) {
    ASSERT_EQ(vz::GetFieldNumber(2), n % 2 ? -n : n);
    vz::SKIP(1);
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, NavigationTest, ::testing::Values("", " exclusive"),
                         [](const auto& info) { return info.param[0] ? "Exclusive" : "Shared"; });

// ---- records of other programs ----------------------------------------------------

class SharedCountTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("s", Fields({{"name", 'C', 4, 0}})));
    ASSERT_TRUE(Use("s"));
    vz::ClearRecord();
    vz::SetFieldText(1, "mine");
    ASSERT_TRUE(vz::ALock());
    vz::Append();
    vz::Unlock();
    ASSERT_EQ(other_.Open(Path("s.dbf"), plat::kModeShared), plat::kOk);
  }
  // Another program appends a record behind our back.
  void TheirAppend(const std::string& name) {
    int64_t size = 0;
    other_.Size(&size);
    size_t done = 0;
    std::string rec = " " + name;
    int64_t at = 32 + 32 + 1 + (size - 65) / 5 * 5;
    ASSERT_EQ(other_.WriteAt(at, rec.data(), rec.size(), &done), plat::kOk);
  }
  plat::File other_;
};

TEST_F(SharedCountTest, RecordsAppendedElsewhereBecomeVisible) {
  TheirAppend("abcd");
  TheirAppend("efgh");
  vz::GoTop();
  vz::SKIP(1);
  EXPECT_EQ(vz::GetFieldText(1), "abcd");
  vz::GoBottom();
  EXPECT_EQ(vz::GetFieldText(1), "efgh");
  TheirAppend("ijkl");
  vz::GO(4);
  EXPECT_EQ(vz::GetFieldText(1), "ijkl");
  EXPECT_EQ(vz::RecCount(), 4);
}

TEST_F(SharedCountTest, EachMoveReadsTheRecordFromTheFile) {
  vz::GoTop();
  size_t done = 0;
  ASSERT_EQ(other_.WriteAt(66, "them", 4, &done), plat::kOk);
  vz::SKIP(0);
  EXPECT_EQ(vz::GetFieldText(1), "them");
}

// ---- index order ------------------------------------------------------------------

// An index manager whose key order is the record numbers backwards.
class IndexOrderTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("i", Fields({{"n", 'N', 4, 0}})));
    ASSERT_TRUE(Use("i exclusive"));
    for (int i = 1; i <= 5; ++i) {
      vz::ClearRecord();
      vz::SetFieldNumber(1, i);
      vz::Append();
    }
    vz::IndexManager im;
    im.IsActive = [this] { return active_; };
    im.First = [this] { return position_ = 5; };
    im.Last = [this] { return position_ = 1; };
    im.Next = [this] { return position_ = position_ > 1 ? position_ - 1 : 0; };
    im.Prev = [this] { return position_ = position_ < 5 ? position_ + 1 : 0; };
    im.Positioned = [this](int32_t r) { position_ = r; };
    im.AddKeys = [this] { ++added_; };
    im.RemoveKeys = [this] { ++removed_; };
    im.Rebuild = [this] { ++rebuilt_; };
    vz::SetIndexManager(im);
    active_ = true;
  }
  bool active_ = false;
  int32_t position_ = 0;
  int added_ = 0, removed_ = 0, rebuilt_ = 0;
};

TEST_F(IndexOrderTest, MovesFollowTheKeyOrder) {
  vz::GoTop();
  EXPECT_EQ(vz::GetFieldNumber(1), 5);
  vz::SKIP(2);
  EXPECT_EQ(vz::GetFieldNumber(1), 3);
  vz::SKIP(-1);
  EXPECT_EQ(vz::GetFieldNumber(1), 4);
  vz::GoBottom();
  EXPECT_EQ(vz::GetFieldNumber(1), 1);
  vz::SKIP(1);
  EXPECT_EQ(vz::RecNo(), 6);
}

TEST_F(IndexOrderTest, WritesMaintainTheKeys) {
  vz::GO(2);
  vz::SetFieldNumber(1, 20);
  vz::Replace();
  EXPECT_EQ(removed_, 1);
  EXPECT_EQ(added_, 1);
  EXPECT_EQ(vz::GetFieldNumber(1), 20);
  vz::Append();
  EXPECT_EQ(added_, 2);
  vz::GO(1);
  vz::DeleteRec();
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(rebuilt_, 1);
}

}  // namespace
