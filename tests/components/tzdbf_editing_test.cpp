// Editing a real table through the data set: the bytes each step leaves in
// the file, the lock protocol when another program holds the lock, a write
// that fails under the lock, and records leaving a while condition.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

#include "components/dataset.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "platform/file.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::kCheckHeader;
using qptest::kCheckRecord;
using qptest::TzDbfTest;

std::string Padded(const std::string& text, size_t length) { return text + std::string(length - text.size(), ' '); }

TEST_F(TzDbfTest, FullCycleLeavesEachStepInTheFile) {
  vz::TTzDbf* t = OpenLinked({});
  vz::TTzDataSet* ds = t->DataSet();
  ds->Insert();
  ds->FieldByName("payee")->SetAsString("Müller GmbH");
  ds->FieldByName("amtnumbers")->SetAsString("1234.5");
  ds->FieldByName("checknum")->SetAsString("1001");
  ASSERT_TRUE(ds->Post());
  ASSERT_EQ(t->RecCount(), 1);
  ASSERT_EQ(Record(1).size(), static_cast<size_t>(kCheckRecord));
  EXPECT_EQ(Record(1)[0], ' ');
  EXPECT_EQ(Stored(1, "payee"), Padded("M\x81ller GmbH", 40));  // code page 437 in the file
  EXPECT_EQ(Stored(1, "checknum"), Padded("1001", 9));
  EXPECT_EQ(Stored(1, "amtnumbers"), "   1234.50");
  EXPECT_EQ(Stored(1, "notes"), std::string(10, ' '));  // no memo

  ds->Edit();
  ds->FieldByName("payee")->SetAsString("Zürich AG");
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(Stored(1, "payee"), Padded("Z\x81rich AG", 40));
  EXPECT_EQ(Stored(1, "checknum"), Padded("1001", 9));  // the rest stays
  ASSERT_TRUE(ds->Delete());
  EXPECT_EQ(Record(1)[0], '*');
  EXPECT_TRUE(ds->RowDeleted(ds->ActiveRecord()));
  ASSERT_TRUE(ds->Restore());
  EXPECT_EQ(Record(1)[0], ' ');
  EXPECT_FALSE(ds->RowDeleted(ds->ActiveRecord()));

  t->SetActive(false);
  const std::string b = CheckBytes();
  EXPECT_EQ(qptest::Le32(b, 4), 1u);  // the header's count, written at close
  ASSERT_EQ(b.size(), static_cast<size_t>(kCheckHeader + kCheckRecord + 1));
  EXPECT_EQ(b.back(), '\x1A');
  EXPECT_TRUE(halts_.empty()) << LastReport();
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TzDbfTest, PackRemovesMarkedRecordsAndTheDataSetFollows) {
  vz::TTzDbf* t = OpenLinked({"A", "B", "C"});
  vz::TTzDataSet* ds = t->DataSet();
  ds->Next();
  ASSERT_TRUE(ds->Delete());
  EXPECT_TRUE(t->Pack());
  EXPECT_EQ(t->RecCount(), 2);
  std::vector<std::string> seen;
  for (ds->First(); !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName("payee")->AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "C"}));
}

// ---- the lock protocol ---------------------------------------------------------------

enum class Op { kPost, kInsert, kDelete, kRestore };
enum class Handler { kNone, kResolves, kRefuses };
const char* const kOpNames[] = {"_Post", "_Insert", "_Delete", "_Restore"};

class LockTable : public TzDbfTest, public ::testing::WithParamInterface<std::tuple<Op, Handler>> {};

TEST_P(LockTable, RefusedLockLeavesTheFileAndTheHandlerDecides) {
  const auto [op, handler] = GetParam();
  vz::TTzDbf* t = OpenLinked({"A", "B", "C"});
  vz::TTzDataSet* ds = t->DataSet();
  if (op == Op::kRestore) {
    ASSERT_TRUE(ds->Delete());
  }
  std::vector<vz::TComponent*> senders;
  vz::TTzLockFailedEvent on_failed;
  if (handler != Handler::kNone) {
    on_failed = [&, handler](vz::TComponent* sender, bool& resolved) {
      EXPECT_TRUE(resolved);
      senders.push_back(sender);
      resolved = handler == Handler::kResolves;
    };
  }
  t->OnALockFailedOnInsert = op == Op::kInsert ? on_failed : nullptr;
  t->OnRLockFailedOnPost = op == Op::kPost ? on_failed : nullptr;
  t->OnRLockFailedOnDelete = op == Op::kDelete ? on_failed : nullptr;
  t->OnRLockFailedOnRestore = op == Op::kRestore ? on_failed : nullptr;

  // Another program holds the lock: the file-lock byte, or record 1.
  plat::File other;
  ASSERT_EQ(other.Open(Path("checks.dbf"), plat::kModeShared), plat::kOk);
  ASSERT_EQ(op == Op::kInsert ? other.Lock(qptest::kLockBase + 1, 1)
                              : other.Lock(qptest::kLockBase + kCheckHeader, kCheckRecord),
            plat::kOk);
  const std::string before = CheckBytes();
  warnings_.clear();
  const auto edit = [&](Op what) {
    switch (what) {
      case Op::kPost: ds->Edit(); break;
      case Op::kInsert: ds->Append(); break;
      case Op::kDelete: return ds->Delete();
      case Op::kRestore: return ds->Restore();
    }
    ds->FieldByName("payee")->SetAsString("Changed");
    return ds->Post();
  };
  EXPECT_EQ(edit(op), handler == Handler::kResolves);
  EXPECT_EQ(CheckBytes(), before);
  const std::string name = kOpNames[static_cast<int>(op)];
  EXPECT_EQ(warnings_, handler == Handler::kNone ? std::vector<std::string>{"Lock failed [" + name + "]"}
                                                 : std::vector<std::string>{});
  EXPECT_EQ(senders, handler == Handler::kNone ? std::vector<vz::TComponent*>{} : std::vector<vz::TComponent*>{t});
  EXPECT_TRUE(halts_.empty()) << LastReport();

  // Once the other program lets go, the same step goes through.
  ASSERT_EQ(other.Close(), plat::kOk);
  if (op == Op::kPost) {
    ds->First();
    EXPECT_TRUE(edit(Op::kPost));
    EXPECT_EQ(Stored(1, "payee"), Padded("Changed", 40));
  }
}

std::string LockCaseName(const ::testing::TestParamInfo<std::tuple<Op, Handler>>& info) {
  static const char* const kHandlers[] = {"NoHandler", "HandlerResolves", "HandlerRefuses"};
  return std::string(kOpNames[static_cast<int>(std::get<0>(info.param))] + 1) +
         kHandlers[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Protocol, LockTable,
                         ::testing::Combine(::testing::Values(Op::kPost, Op::kInsert, Op::kDelete, Op::kRestore),
                                            ::testing::Values(Handler::kNone, Handler::kResolves, Handler::kRefuses)),
                         LockCaseName);

TEST_F(TzDbfTest, WriteFailingUnderTheLockIsNoSuccess) {
  vz::TTzDbf* t = OpenLinked({"A", "B", "C"});
  plat::fault::FailNth(plat::fault::Op::kWrite, 1, EIO);
  EXPECT_FALSE(t->_Delete());
  ASSERT_FALSE(halts_.empty());
  EXPECT_NE(vz::ErrorCode(), 0);
  EXPECT_EQ(Record(1)[0], ' ');
  vz::Select(t->WorkArea());
  EXPECT_FALSE(vz::IsLocked(1));  // the lock went all the same
}

// ---- records leaving a while condition ---------------------------------------------------

class WhileTest : public TzDbfTest {
 protected:
  // Records A1, A2, B1; the walk covers the payees starting with "A".
  vz::TTzDbf* OpenWithRange() {
    vz::TTzDbf* t = OpenChecks({"A1", "A2", "B1"});
    vz::Select(t->WorkArea());
    vz::SetWhileCallback([] { return vz::GetFieldText(1).rfind('A', 0) == 0; });
    return t;
  }
};

TEST_F(WhileTest, PostedRecordLeavingTheRangeMovesToANeighbourInsideOrDropsTheRange) {
  vz::TTzDbf* t = OpenWithRange();
  vz::GO(2);
  t->SetCField("payee", "B2");
  ASSERT_TRUE(t->_Post());
  EXPECT_EQ(Stored(2, "payee"), Padded("B2", 40));
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_TRUE(vz::IsWhileOn());
  // The last record inside leaves: no neighbour is left to go to.
  t->SetCField("payee", "C1");
  ASSERT_TRUE(t->_Post());
  EXPECT_FALSE(vz::IsWhileOn());
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

TEST_F(WhileTest, InsertedRecordOutsideTheRangeSendsTheCursorBack) {
  vz::TTzDbf* t = OpenWithRange();
  link_.SetDataSource(t);
  vz::TTzDataSet* ds = t->DataSet();
  ds->First();
  ds->Next();  // A2
  ds->Append();
  ds->FieldByName("payee")->SetAsString("B9");
  ASSERT_TRUE(t->_Insert());
  EXPECT_EQ(t->RecCount(), 4);
  EXPECT_EQ(vz::RecNo(), 2);
}

}  // namespace
