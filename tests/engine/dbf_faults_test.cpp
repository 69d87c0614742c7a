// Failing and short writes under every writing operation: each is reported,
// and every stored record reads back unchanged after a reopen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest, qptest::Fields, qptest::PrintTo;

enum class Fault { kFail, kShort };

struct FaultCase {
  const char* label;
  const char* mode;        // "" shared, " exclusive"
  Fault fault;
  int nth;                 // which write of the operation fails
  std::function<void()> operation;
  uint16_t code;
  const char* message;
  bool pack = false;       // records may have moved (never lost)
  size_t keep = 3;         // bytes a short write stores
};

class FaultTest : public DbfTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    BuildTable("f", Fields({{"name", 'C', 30, 0}, {"n", 'N', 6, 0}}), 6, [](int n) {
      vz::SetFieldText(1, "stored record number " + std::to_string(n));
      vz::SetFieldNumber(2, n);
    }, {2, 4});
  }
  // The live records as "name|n", and whether each is marked.
  std::vector<std::string> Contents() {
    std::vector<std::string> out;
    vz::GoTop();
    while (!vz::dEOF()) {
      out.push_back(vz::TrimRight(vz::GetFieldText(1)) + "|" + std::to_string(static_cast<int>(vz::GetFieldNumber(2))) +
                    (vz::Deleted() ? "*" : ""));
      vz::SKIP(1);
    }
    return out;
  }
};

TEST_P(FaultTest, FailureIsReportedAndStoredRecordsSurvive) {
  const FaultCase& c = GetParam();
  ASSERT_TRUE(Use(std::string("f") + c.mode));
  const std::vector<std::string> before = Contents();
  vz::GO(3);
  if (c.fault == Fault::kFail) {
    plat::fault::FailNth(plat::fault::Op::kWrite, c.nth, ENOSPC);
  } else {
    plat::fault::ShortWriteNth(c.nth, c.keep);
  }
  c.operation();
  EXPECT_EQ(vz::ErrorCode(), c.code);
  ASSERT_FALSE(halts_.empty());
  EXPECT_EQ(halts_.front().first, Reported(c.code, c.message));

  plat::fault::Reset();
  {
    vz::ReportErrorsGuard quiet(false);
    vz::USE("");
  }
  ASSERT_TRUE(Use("f"));
  std::vector<std::string> after = Contents();
  // Nothing has changed; a pack may have moved records, but lost none.
  if (!c.pack) EXPECT_EQ(after, before);
  for (const std::string& r : before) {
    if (r.back() != '*') EXPECT_NE(std::find(after.begin(), after.end(), r), after.end()) << r << " was lost";
  }
  // And the table goes on working.
  ASSERT_TRUE(vz::ALock());
  vz::ClearRecord();
  vz::SetFieldText(1, "after");
  vz::Append();
  vz::Unlock();
  EXPECT_EQ(vz::ErrorCode(), 0);
  vz::GoBottom();
  EXPECT_EQ(vz::TrimRight(vz::GetFieldText(1)), "after");
}

void AppendOne() {
  vz::ALock();
  vz::ClearRecord();
  vz::SetFieldText(1, "never stored");
  vz::Append();
}
void ReplaceThree() {
  vz::RLock();
  vz::SetFieldText(1, "replacement");
  vz::Replace();
}
void DeleteThree() {
  vz::RLock();
  vz::DeleteRec();
}
void PackTable() { vz::Pack(); }
// The same values again: the record is the first write, the header the second.
void RewriteThen(void (*header)()) {
  vz::RLock();
  vz::Replace();
  header();
}

const char* kPut = "File:  <dir>/f.dbf [Replace/Append/PutDbfRecord]";
const char* kDelete = "File:  <dir>/f.dbf [DeleteRec/RecallRec]";
const char* kHeader = "File:  <dir>/f.dbf [WriteDbfHeader]";

INSTANTIATE_TEST_SUITE_P(
    Operations, FaultTest,
    ::testing::Values(
        FaultCase{"AppendFailsShared", "", Fault::kFail, 1, AppendOne, 101, kPut},
        FaultCase{"AppendShortShared", "", Fault::kShort, 1, AppendOne, 101, kPut},
        FaultCase{"AppendFailsExclusive", " exclusive", Fault::kFail, 1, AppendOne, 101, kPut},
        FaultCase{"AppendShortExclusive", " exclusive", Fault::kShort, 1, AppendOne, 101, kPut},
        FaultCase{"ReplaceFails", "", Fault::kFail, 1, ReplaceThree, 101, kPut},
        FaultCase{"ReplaceShort", "", Fault::kShort, 1, ReplaceThree, 101, kPut},
        FaultCase{"ReplaceShortExclusive", " exclusive", Fault::kShort, 1, ReplaceThree, 101, kPut},
        FaultCase{"DeleteFails", "", Fault::kFail, 1, DeleteThree, 101, kDelete},
        FaultCase{"DeleteShort", " exclusive", Fault::kShort, 1, DeleteThree, 101, kDelete, false, 0},
        FaultCase{"PackFirstMove", "", Fault::kFail, 1, PackTable, 101, kPut, true},
        FaultCase{"PackMovesShort", " exclusive", Fault::kShort, 1, PackTable, 101, kPut, true, 20},
        FaultCase{"PackCut", " exclusive", Fault::kFail, 2, PackTable, 101, "Error packing <dir>/f.dbf", true},
        // The records themselves are on disk when the header write fails.
        FaultCase{"HeaderAtClose", " exclusive", Fault::kFail, 2, [] { RewriteThen([] { vz::USE(""); }); }, 101,
                  kHeader},
        FaultCase{"HeaderShortAtFlush", "", Fault::kShort, 2, [] { RewriteThen([] { vz::FlushDbf(); }); }, 101,
                  kHeader}),
    qptest::LabelName());

TEST_F(FaultTest, FailedAppendCountsNoPhantomAndFailedReadsStopTheMove) {
  ASSERT_TRUE(Use("f exclusive"));
  plat::fault::FailNth(plat::fault::Op::kWrite, 1, ENOSPC);
  AppendOne();
  EXPECT_EQ(vz::RecCount(), 6);
  vz::ClearRecord();
  vz::SetFieldText(1, "seventh");
  vz::Append();
  EXPECT_EQ(vz::RecCount(), 7);
  vz::USE("");
  ASSERT_TRUE(Use("f"));
  vz::GO(7);
  EXPECT_EQ(vz::TrimRight(vz::GetFieldText(1)), "seventh");
  // A failed read stops the move; a record cut short is a read error.
  vz::GO(2);
  plat::fault::FailNth(plat::fault::Op::kRead, 1, EIO);
  vz::SKIP(1);
  EXPECT_EQ(LastReport(), Reported(30, "File:  <dir>/f.dbf  [GetDbfRecord]"));
  EXPECT_EQ(vz::RecNo(), 2);
  ASSERT_TRUE(Use("f exclusive"));
  // Someone outside the engine's sharing rules shortens the file.
  std::filesystem::resize_file(Path("f.dbf"), 32 + 64 + 1 + 5 * 37 + 10);
  vz::GO(6);
  EXPECT_EQ(LastReport(), Reported(213, "File:  <dir>/f.dbf  [GetDbfRecord]"));
}

}  // namespace
