// Moving through a table: GoTop, GoBottom, GO, SKIP and the end flags, with
// deleted records hidden, filters, while conditions, relations and an index
// order. Each walk runs on a shared and on an exclusive table, which read
// their records in different ways.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::Fields;

class NavigationTest : public qptest::DbfTest {
 protected:
  // Names "r1".."rN" in field 1 and numbers 1..N in field 2.
  void Build(int records, const std::string& mode, const std::vector<int>& deleted = {}) {
    BuildTable("nav", Fields({{"name", 'C', 8, 0}, {"n", 'N', 6, 0}}), records, [](int n) {
      vz::SetFieldText(1, "r" + std::to_string(n));
      vz::SetFieldNumber(2, n);
    }, deleted);
    ASSERT_TRUE(Use("nav" + mode));
  }
  static std::string Name() { return vz::TrimRight(vz::GetFieldText(1)); }
};

const char* const kModes[] = {"", " exclusive"};
std::string ModeName(const char* mode) { return mode[0] ? "Exclusive" : "Shared"; }

// One move and where it must leave the table (a null name is not looked at).
// `report` is the message of the code-212 report the move makes ("<file>"
// stands for the table), or null when it reports nothing.
struct Move {
  char op;  // T GoTop, B GoBottom, G GO, S SKIP, W put `name` in the buffer, N nothing
  int arg;
  int32_t recno;
  const char* name;
  bool eof;
  bool bof;
  const char* report = nullptr;
};

struct Walk {
  const char* label;
  int records;
  std::vector<int> deleted;
  std::function<void()> setup;  // hidden records, filter, while condition
  std::vector<Move> moves;
};

const char* kPastEof = "Database \"<file>\" is past EOF. [SKIP]";

const Walk kWalks[] = {
    {"EndsOfTheTable", 5, {}, nullptr,
     {{'G', 5, 5, "r5", false, false}, {'S', 1, 6, "", true, false}, {'S', 1, 6, "", true, false, kPastEof},
      {'T', 0, 1, "r1", false, false}, {'S', -1, 1, "r1", false, true},
      {'S', -1, 1, "r1", false, true}, {'G', 3, 3, "r3", false, false},  // at the start already: nothing
      {'G', 0, 6, nullptr, true, false, "Invalid record number = 0 Database \"<file>\" [GO]"},
      {'G', 7, 6, nullptr, true, false, "Invalid record number = 7 Database \"<file>\" [GO]"}, {'G', 4, 4, "r4", false, false}}},
    {"SkipZeroReadsTheRecordAgain", 3, {}, nullptr,
     {{'G', 2, 2, "r2", false, false}, {'W', 0, 2, "changed", false, false}, {'S', 0, 2, "r2", false, false},
      {'B', 0, 3, "r3", false, false}, {'S', 1, 4, "", true, false}, {'W', 0, 4, "junk", true, false},
      {'S', 0, 4, "", true, false}}},  // past the end: a blank record
    {"EmptyTable", 0, {}, nullptr,
     {{'N', 0, 0, "", true, true}, {'T', 0, 0, "", true, true}, {'B', 0, 0, "", true, true},  // opened blank
      {'S', -1, 0, "", true, true, "Database \"<file>\" is empty. [SKIP]"},
      {'G', 1, 0, "", true, true, "Invalid record number = 1 Database \"<file>\" [GO]"}}},
    {"OnlyHiddenRecords", 3, {1, 2, 3}, [] { vz::Settings().HideDeleted = true; },
     {{'T', 0, 4, "", true, false}, {'B', 0, 4, "", true, true}}},
    {"FilterDecidesVisibility", 7, {},
     [] { vz::SetFilterCallback([] { return static_cast<int>(vz::GetFieldNumber(2)) % 3 == 0; }); },
     {{'T', 0, 3, "r3", false, false}, {'S', 1, 6, "r6", false, false}, {'S', -1, 3, "r3", false, false},
      {'B', 0, 6, "r6", false, false}}},
    {"WhileConditionStopsSkipping", 8, {},
     [] { vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3 && vz::GetFieldNumber(2) <= 6; }); },
     {{'G', 4, 4, "r4", false, false}, {'S', 10, 7, nullptr, true, false},  // stops on the record that ended the range
      {'G', 5, 5, "r5", false, false}, {'S', -10, 3, "r3", false, true}}},  // the last record inside the range
    {"WhileConditionFalseAtOnceGoingBack", 4, {}, [] { vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3; }); },
     {{'G', 3, 3, "r3", false, false}, {'S', -1, 5, "", true, true}}},
};

class WalkTest : public NavigationTest, public ::testing::WithParamInterface<std::tuple<const char*, Walk>> {};

INSTANTIATE_TEST_SUITE_P(Walks, WalkTest, ::testing::Combine(::testing::ValuesIn(kModes), ::testing::ValuesIn(kWalks)),
                         [](const auto& info) {
                           return ModeName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).label;
                         });

TEST_P(WalkTest, EveryMoveLeavesTheExpectedRecordAndFlags) {
  const auto& [mode, walk] = GetParam();
  Build(walk.records, mode, walk.deleted);
  if (walk.setup) walk.setup();
  for (size_t i = 0; i < walk.moves.size(); ++i) {
    const Move& m = walk.moves[i];
    SCOPED_TRACE("move " + std::to_string(i + 1) + ": " + m.op + " " + std::to_string(m.arg));
    halts_.clear();
    switch (m.op) {
      case 'T': vz::GoTop(); break;
      case 'B': vz::GoBottom(); break;
      case 'G': vz::GO(m.arg); break;
      case 'S': vz::SKIP(m.arg); break;
      case 'W': vz::SetFieldText(1, m.name); break;
    }
    EXPECT_EQ(vz::RecNo(), m.recno);
    if (m.name) {
      EXPECT_EQ(Name(), m.name);
    }
    EXPECT_EQ(vz::dEOF(), m.eof);
    EXPECT_EQ(vz::dBOF(), m.bof);
    if (m.report) {
      std::string message = m.report;
      message.replace(message.find("<file>"), 6, Path("nav.dbf"));
      EXPECT_EQ(LastReport(), ReportOf(212, message));
    } else {
      EXPECT_TRUE(halts_.empty()) << LastReport();
    }
  }
}

class ModeTest : public NavigationTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Modes, ModeTest, ::testing::ValuesIn(kModes),
                         [](const auto& info) { return ModeName(info.param); });

TEST_P(ModeTest, ScansSeeOurOwnWritesAcrossReadAheadBlocks) {
  // Enough records for several read-ahead blocks, read both ways and with
  // jumps, so that every block boundary is crossed after our own writes.
  Build(3000, GetParam());
  for (int n = 1; n <= 2000; n += 2) {
    vz::GO(n);
    ASSERT_TRUE(vz::RLock());
    vz::SetFieldNumber(2, -n);
    vz::Replace();
    vz::Unlock();
  }
  auto stored = [](int n) { return n <= 2000 && n % 2 ? -n : n; };
  int expected = 1;
  for (vz::GoTop(); !vz::dEOF(); ++expected, vz::SKIP(1)) ASSERT_EQ(vz::GetFieldNumber(2), stored(expected));
  EXPECT_EQ(expected, 3001);
  vz::GoBottom();
  for (int i = 3000; i >= 1; --i, vz::SKIP(-1)) ASSERT_EQ(vz::GetFieldNumber(2), stored(i));
  for (int n : {1500, 17, 2999, 2, 2000, 2001, 2003, 1}) {
    vz::GO(n);
    ASSERT_EQ(vz::GetFieldNumber(2), stored(n));
  }
}

TEST_F(NavigationTest, KeyExpressionsNeedTheExpressionEngine) {
  Build(2, "");
  EXPECT_FALSE(vz::IsWhileOn());
  vz::Set_While_To("N < 2");
  EXPECT_EQ(LastReport(), ReportOf(220, "TZParser unit not linked in. [Set_While_To]"));
  EXPECT_FALSE(vz::IsWhileOn());
  vz::SetWhileCallback([] { return true; });
  EXPECT_TRUE(vz::IsWhileOn());
}

// Another program writes records behind our back: each move reads the
// record from the file, and records appended elsewhere become visible.
TEST_F(NavigationTest, RecordsWrittenByAnotherProgramAreSeen) {
  BuildTable("s", Fields({{"name", 'C', 4, 0}}), 1);
  ASSERT_TRUE(Use("s"));
  plat::File other;
  ASSERT_EQ(other.Open(Path("s.dbf"), plat::kModeShared), plat::kOk);
  size_t done = 0;
  ASSERT_EQ(other.WriteAt(65, " them abcd efgh", 15, &done), plat::kOk);
  vz::SKIP(0);
  EXPECT_EQ(vz::GetFieldText(1), "them");
  vz::SKIP(1);
  EXPECT_EQ(vz::GetFieldText(1), "abcd");
  ASSERT_EQ(other.WriteAt(80, " ijkl", 5, &done), plat::kOk);
  vz::GO(4);
  EXPECT_EQ(vz::GetFieldText(1), "ijkl");
  vz::GoBottom();
  EXPECT_EQ(vz::RecNo(), 4);
  EXPECT_EQ(vz::RecCount(), 4);
}

// An index manager whose key order is the record numbers backwards: moves
// follow it, writes maintain its keys.
TEST_F(NavigationTest, IndexOrderDecidesTheMovesAndWritesMaintainTheKeys) {
  BuildTable("i", Fields({{"n", 'N', 4, 0}}), 5, [](int n) { vz::SetFieldNumber(1, n); });
  ASSERT_TRUE(Use("i exclusive"));
  int32_t position = 0;
  int added = 0, removed = 0, rebuilt = 0;
  vz::IndexManager im;
  im.IsActive = [] { return true; };
  im.First = [&] { return position = 5; };
  im.Last = [&] { return position = 1; };
  im.Next = [&] { return position = position > 1 ? position - 1 : 0; };
  im.Prev = [&] { return position = position < 5 ? position + 1 : 0; };
  im.Positioned = [&](int32_t r) { position = r; };
  im.AddKeys = [&] { ++added; };
  im.RemoveKeys = [&] { ++removed; };
  im.Rebuild = [&] { ++rebuilt; };
  vz::SetIndexManager(im);
  std::vector<double> seen;
  for (const std::function<void()>& move : std::initializer_list<std::function<void()>>{
           vz::GoTop, [] { vz::SKIP(2); }, [] { vz::SKIP(-1); }, vz::GoBottom}) {
    move();
    seen.push_back(vz::GetFieldNumber(1));
  }
  EXPECT_EQ(seen, (std::vector<double>{5, 3, 4, 1}));
  vz::SKIP(1);
  EXPECT_EQ(vz::RecNo(), 6);
  vz::GO(2);
  vz::SetFieldNumber(1, 20);
  vz::Replace();
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(vz::GetFieldNumber(1), 20);
  vz::Append();
  EXPECT_EQ(added, 2);
  vz::GO(1);
  vz::DeleteRec();
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(rebuilt, 1);
}

}  // namespace
