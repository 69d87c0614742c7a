// Editing a real table through the data set: the bytes each step leaves in
// the file, the lock protocol when another program holds the lock, and a
// write that fails under the lock.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

#include "components/dataset.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/fieldbuf.h"
#include "platform/file.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::kCheckHeader;
using qptest::kCheckRecord;
using qptest::kLockBase;
using qptest::Le32;
using qptest::TzDbfTest;

std::string Padded(const std::string& text, size_t length) { return text + std::string(length - text.size(), ' '); }

class TzDbfEditingTest : public TzDbfTest {
 protected:
  // The check table with records A, B, C, a link watching it, and the data
  // set on record 1.
  vz::TTzDbf* OpenWithRecords() {
    vz::TTzDbf* t = OpenChecks();
    for (const char* p : {"A", "B", "C"}) AddCheck(t, p);
    link_.SetDataSource(t);
    t->DataSet()->First();
    return t;
  }
  void TearDown() override {
    link_.SetDataSource(nullptr);
    TzDbfTest::TearDown();
  }
  vz::TTzDataLink link_;
};

TEST_F(TzDbfEditingTest, FullCycleLeavesEachStepInTheFile) {
  vz::TTzDbf* t = OpenChecks();
  link_.SetDataSource(t);
  vz::TTzDataSet* ds = t->DataSet();

  ds->Insert();
  ds->FieldByName("payee")->SetAsString("Müller GmbH");
  ds->FieldByName("amtnumbers")->SetAsString("1234.5");
  ds->FieldByName("checknum")->SetAsString("1001");
  ASSERT_TRUE(ds->Post());
  ASSERT_EQ(t->RecCount(), 1);
  std::string r = Record(1);
  ASSERT_EQ(r.size(), static_cast<size_t>(kCheckRecord));
  EXPECT_EQ(r[0], ' ');
  EXPECT_EQ(r.substr(1, 40), Padded("M\x81ller GmbH", 40));  // code page 437 in the file
  EXPECT_EQ(r.substr(81, 9), Padded("1001", 9));
  EXPECT_EQ(r.substr(90, 10), "   1234.50");
  EXPECT_EQ(r.substr(381, 10), std::string(10, ' '));  // no memo

  ds->Edit();
  ds->FieldByName("payee")->SetAsString("Zürich AG");
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(Stored(1, 1, 40), Padded("Z\x81rich AG", 40));
  EXPECT_EQ(Stored(1, 81, 9), Padded("1001", 9));  // the rest stays

  ASSERT_TRUE(ds->Delete());
  EXPECT_EQ(Stored(1, 0, 1), "*");
  EXPECT_TRUE(ds->RowDeleted(ds->ActiveRecord()));
  ASSERT_TRUE(ds->Restore());
  EXPECT_EQ(Stored(1, 0, 1), " ");
  EXPECT_FALSE(ds->RowDeleted(ds->ActiveRecord()));

  t->SetActive(false);
  const std::string b = CheckBytes();
  EXPECT_EQ(Le32(b, 4), 1u);  // the header's count, written at close
  ASSERT_EQ(b.size(), static_cast<size_t>(kCheckHeader + kCheckRecord + 1));
  EXPECT_EQ(b.back(), '\x1A');
  EXPECT_TRUE(halts_.empty()) << LastReport();
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TzDbfEditingTest, PackRemovesMarkedRecordsAndTheDataSetFollows) {
  vz::TTzDbf* t = OpenWithRecords();
  vz::TTzDataSet* ds = t->DataSet();
  ds->Next();
  ASSERT_TRUE(ds->Delete());
  EXPECT_TRUE(t->Pack());
  EXPECT_EQ(t->RecCount(), 2);
  ds->First();
  std::vector<std::string> seen;
  for (; !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName("payee")->AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "C"}));
}

// ---- the lock protocol ---------------------------------------------------------------

enum class Op { kPost, kInsert, kDelete, kRestore };
enum class Handler { kNone, kResolves, kRefuses };

struct LockCase {
  Op op;
  Handler handler;
};

std::string OpName(Op op) {
  switch (op) {
    case Op::kPost: return "_Post";
    case Op::kInsert: return "_Insert";
    case Op::kDelete: return "_Delete";
    case Op::kRestore: return "_Restore";
  }
  return "";
}

std::string LockCaseName(const ::testing::TestParamInfo<std::tuple<Op, Handler>>& info) {
  static const char* const kHandlers[] = {"NoHandler", "HandlerResolves", "HandlerRefuses"};
  return OpName(std::get<0>(info.param)).substr(1) + kHandlers[static_cast<int>(std::get<1>(info.param))];
}

class LockTable : public TzDbfEditingTest, public ::testing::WithParamInterface<std::tuple<Op, Handler>> {};

TEST_P(LockTable, RefusedLockLeavesTheFileAndTheHandlerDecides) {
  const LockCase c{std::get<0>(GetParam()), std::get<1>(GetParam())};
  vz::TTzDbf* t = OpenWithRecords();
  vz::TTzDataSet* ds = t->DataSet();
  if (c.op == Op::kRestore) {
    ASSERT_TRUE(ds->Delete());
  }

  std::vector<vz::TComponent*> senders;
  vz::TTzLockFailedEvent handler;
  if (c.handler != Handler::kNone) {
    handler = [&](vz::TComponent* sender, bool& resolved) {
      EXPECT_TRUE(resolved);
      senders.push_back(sender);
      resolved = c.handler == Handler::kResolves;
    };
  }
  t->OnALockFailedOnInsert = c.op == Op::kInsert ? handler : nullptr;
  t->OnRLockFailedOnPost = c.op == Op::kPost ? handler : nullptr;
  t->OnRLockFailedOnDelete = c.op == Op::kDelete ? handler : nullptr;
  t->OnRLockFailedOnRestore = c.op == Op::kRestore ? handler : nullptr;

  // Another program holds the lock: the file-lock byte, or record 1.
  plat::File other;
  ASSERT_EQ(other.Open(Path("checks.dbf"), plat::kModeShared), plat::kOk);
  if (c.op == Op::kInsert) {
    ASSERT_EQ(other.Lock(kLockBase + 1, 1), plat::kOk);
  } else {
    ASSERT_EQ(other.Lock(kLockBase + kCheckHeader, kCheckRecord), plat::kOk);
  }
  const std::string before = CheckBytes();
  warnings_.clear();

  bool result = false;
  switch (c.op) {
    case Op::kPost:
      ds->Edit();
      ds->FieldByName("payee")->SetAsString("Changed");
      result = ds->Post();
      break;
    case Op::kInsert:
      ds->Append();
      ds->FieldByName("payee")->SetAsString("New");
      result = ds->Post();
      break;
    case Op::kDelete: result = ds->Delete(); break;
    case Op::kRestore: result = ds->Restore(); break;
  }

  EXPECT_EQ(result, c.handler == Handler::kResolves);
  EXPECT_EQ(CheckBytes(), before);
  if (c.handler == Handler::kNone) {
    EXPECT_EQ(warnings_, std::vector<std::string>{"Lock failed [" + OpName(c.op) + "]"});
  } else {
    EXPECT_TRUE(warnings_.empty());
    EXPECT_EQ(senders, std::vector<vz::TComponent*>{t});
  }
  EXPECT_TRUE(halts_.empty()) << LastReport();

  // Once the other program lets go, the same step goes through.
  ASSERT_EQ(other.Close(), plat::kOk);
  if (c.op == Op::kPost) {
    ds->First();
    ds->Edit();
    ds->FieldByName("payee")->SetAsString("Changed");
    EXPECT_TRUE(ds->Post());
    EXPECT_EQ(Stored(1, 1, 7), "Changed");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Protocol, LockTable,
    ::testing::Combine(::testing::Values(Op::kPost, Op::kInsert, Op::kDelete, Op::kRestore),
                       ::testing::Values(Handler::kNone, Handler::kResolves, Handler::kRefuses)),
    LockCaseName);

TEST_F(TzDbfEditingTest, WriteFailingUnderTheLockIsNoSuccess) {
  vz::TTzDbf* t = OpenWithRecords();
  plat::fault::FailNth(plat::fault::Op::kWrite, 1, EIO);
  EXPECT_FALSE(t->_Delete());
  ASSERT_FALSE(halts_.empty());
  EXPECT_NE(vz::ErrorCode(), 0);
  EXPECT_EQ(Stored(1, 0, 1), " ");
  vz::Select(t->WorkArea());
  EXPECT_FALSE(vz::IsLocked(1));  // the lock went all the same
}

}  // namespace

// ---- records leaving a while condition ---------------------------------------------------

class WhileTest : public TzDbfEditingTest {
 protected:
  // Records A1, A2, B1; the walk covers the payees starting with "A".
  vz::TTzDbf* OpenWithRange() {
    vz::TTzDbf* t = OpenChecks();
    for (const char* p : {"A1", "A2", "B1"}) AddCheck(t, p);
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
  EXPECT_EQ(Stored(2, 1, 2), "B2");
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
