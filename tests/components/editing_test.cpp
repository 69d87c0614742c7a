// The data set over the check table. The editing cycle: events and states of each step, vetoes by the Before...
// handlers, the lock protocol when another program holds the lock, a write failing under it, records leaving a
// while condition. The record window: moving through it, what the links see, events held back meanwhile.
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
using qptest::Log;
using qptest::Padded;
using qptest::RecordingLink;
using qptest::TzDbfTest;

class EditingTest : public qptest::TzDbfTest {
 protected:
  // The check table with three records, linked, its events logged from now.
  void SetUp() override {
    TzDbfTest::SetUp();
    t_ = OpenLinked({"ann", "bob", "cy"});
    qptest::RecordDataSetEvents(ds(), &log_);
  }
  vz::TTzField* payee() { return F("payee"); }
};

// What a post that reaches the table announces, from the given state.
Log Posted(const char* state) {
  return {"L:UpdateData",    "L:CheckBrowseMode", std::string("BeforePost[") + state + "]", "L:DataSetChanged",
          "L:Editing(off)", "L:DataSetChanged", "AfterPost[dsBrowse]"};
}
const Log kInsertOn = {"L:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L:Editing(on)", "OnNewRecord[dsInsert]",
                       "L:DataSetChanged",  "AfterInsert[dsInsert]"};

TEST_F(EditingTest, EditPostCancelDeleteAndRestoreRunInOrderAndReachTheTable) {
  ds()->Edit();
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeEdit[dsBrowse]", "L:Editing(on)", "AfterEdit[dsEdit]"}));
  // A control writing its value back on the post does not hear its own change.
  link_.on_update_data = [this] { payee()->SetAsString("zed"); };
  EXPECT_TRUE(ds()->Post());
  link_.on_update_data = nullptr;
  EXPECT_EQ(Take(), Posted("dsEdit"));
  EXPECT_EQ(Payees(), "zed,bob,cy");

  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Post());  // nothing changed: cancels silently
  EXPECT_EQ(Take(), (Log{"L:UpdateData", "L:Editing(off)", "L:DataSetChanged", "L:DataSetChanged"}));

  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  Take();
  ds()->Cancel();
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeCancel[dsEdit]", "L:Editing(off)", "L:DataSetChanged",
                         "L:DataSetChanged", "AfterCancel[dsBrowse]"}));
  EXPECT_EQ(payee()->AsString(), "bob");

  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeDelete[dsEdit]", "L:Editing(off)", "L:DataSetChanged",
                         "AfterDelete[dsBrowse]", "L:DataSetChanged"}));
  EXPECT_EQ(Payees(), "zed,*bob,cy");
  EXPECT_TRUE(ds()->RowDeleted(ds()->ActiveRecord()));
  EXPECT_TRUE(ds()->Restore());
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeRestore[dsBrowse]", "L:DataSetChanged",
                         "AfterRestore[dsBrowse]", "L:DataSetChanged"}));
  EXPECT_EQ(Payees(), "zed,bob,cy");
  EXPECT_FALSE(ds()->RowDeleted(ds()->ActiveRecord()));
  // Deleted records this table hides are skipped, whatever another table chose.
  ASSERT_TRUE(ds()->Delete());
  t_->SetHideDeletedRecs(true);
  vz::Settings().HideDeleted = false;
  Log seen;
  for (ds()->First(); !ds()->Eof(); ds()->Next()) seen.push_back(payee()->AsString());
  EXPECT_EQ(seen, (Log{"zed", "cy"}));
  EXPECT_TRUE(vz::Settings().HideDeleted);
}

TEST_F(EditingTest, InsertAppendAndDeleteInInsertRunInOrder) {
  ds()->Next();
  Take();
  ds()->Insert();
  EXPECT_EQ(Take(), kInsertOn);
  EXPECT_EQ(payee()->AsString(), "");
  payee()->SetAsString("new");
  Take();
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), Posted("dsInsert"));
  EXPECT_EQ(payee()->AsString(), "new");
  EXPECT_EQ(Payees(), "ann,bob,cy,new");

  ds()->Append();
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L:DataSetChanged", "L:Editing(on)",
                         "OnNewRecord[dsInsert]", "L:DataSetChanged", "AfterInsert[dsInsert]"}));
  EXPECT_TRUE(ds()->Eof());
  EXPECT_FALSE(ds()->Bof());
  payee()->SetAsString("dan");
  ds()->Post();
  EXPECT_EQ(Payees(), "ann,bob,cy,new,dan");

  ds()->First();
  ds()->Insert();
  payee()->SetAsString("gone");
  Take();
  EXPECT_TRUE(ds()->Delete());  // drops the new row, without BeforeDelete
  EXPECT_EQ(Take(), (Log{"L:Editing(off)", "L:DataSetChanged", "L:DataSetChanged", "L:DataSetChanged"}));
  EXPECT_EQ(payee()->AsString(), "ann");
  EXPECT_EQ(Payees(), "ann,bob,cy,new,dan");
}

TEST_F(EditingTest, RefusedBeforePostKeepsTheEditWhichAPostWritesEvenAfterTheWindowWasRefilled) {
  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  bool disabled_inside = false;
  // Set through the source, which hands its DS events on to the data set.
  t_->SetDSBeforePost([&](vz::TTzDataSet* d, bool& ok) {
    disabled_inside = d->ControlsDisabled();
    ok = false;
  });
  Take();
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L:UpdateData", "L:CheckBrowseMode", "L:DataSetChanged", "L:DataSetChanged"}));
  EXPECT_TRUE(disabled_inside);
  // A move asks for the post first; refused, the edit stays where it is.
  ds()->Next();
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(payee()->AsString(), "zed");
  EXPECT_EQ(Payees(), "ann,bob,cy");
  // A grid attaching now fills the window, which moves the cursor and reloads the field buffer with other records.
  t_->SetDSBeforePost(nullptr);
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(10);
  grid.SetDataSource(t_);
  EXPECT_EQ(payee()->AsString(), "zed");
  ASSERT_TRUE(ds()->Post());
  EXPECT_EQ(Payees(), "ann,zed,cy");
}

TEST_F(EditingTest, RefusingBeforeHandlerLeavesStateAndTableAlone) {
  const struct {
    const char* handler_name;
    vz::TTzDataSetNotifyConfirmEvent vz::TTzDataSet::*handler;
    void (*act)(vz::TTzDataSet*);
    bool editing_first;
  } cases[] = {
      {"BeforeEdit", &vz::TTzDataSet::BeforeEdit, [](vz::TTzDataSet* d) { d->Edit(); }, false},
      {"BeforeInsert", &vz::TTzDataSet::BeforeInsert, [](vz::TTzDataSet* d) { d->Insert(); }, false},
      {"BeforeInsert, Append", &vz::TTzDataSet::BeforeInsert, [](vz::TTzDataSet* d) { d->Append(); }, false},
      {"BeforeCancel", &vz::TTzDataSet::BeforeCancel, [](vz::TTzDataSet* d) { d->Cancel(); }, true},
      {"BeforeDelete", &vz::TTzDataSet::BeforeDelete, [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Delete()); }, false},
      {"BeforeRestore", &vz::TTzDataSet::BeforeRestore, [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Restore()); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handler_name);
    if (c.editing_first) {
      ds()->Edit();
      payee()->SetAsString("zed");
    }
    vz::TDataSetState before = ds()->State();
    bool asked = false;
    ds()->*c.handler = [&](vz::TTzDataSet*, bool& ok) { asked = true, ok = false; };
    c.act(ds());
    ds()->*c.handler = nullptr;
    EXPECT_TRUE(asked);
    EXPECT_EQ(ds()->State(), before);
    EXPECT_EQ(Payees(), "ann,bob,cy");
    if (c.editing_first) ds()->Cancel();
  }
}

TEST_F(EditingTest, MisuseRaisesTheComponentMessage) {
  const char* const kNotEditing = "Dataset not in edit or insert mode";
  const char* const kClosed = "Cannot perform this operation on a closed dataset";
  const struct {
    void (*act)(vz::TTzDataSet*);
    const char* message;
  } cases[] = {
      {[](vz::TTzDataSet* d) { d->Post(); }, kNotEditing},
      {[](vz::TTzDataSet* d) { d->UpdateRecord(); }, kNotEditing},
      {[](vz::TTzDataSet* d) { d->Delete(); }, kClosed},
      {[](vz::TTzDataSet* d) { d->Next(); }, kClosed},
      {[](vz::TTzDataSet* d) { d->TableRecordCount(); }, kClosed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    if (c.message == kClosed) ds()->Close();
    EXPECT_EQ(qptest::Raised([&] { c.act(ds()); }), c.message);
  }
}

TEST_F(TzDbfTest, OnAnEmptyTableDeleteRaisesAndEditInserts) {
  t_ = OpenLinked({});
  qptest::RecordDataSetEvents(ds(), &log_);
  EXPECT_EQ(qptest::Raised([&] { ds()->Delete(); }), "Cannot perform this operation on an empty dataset");
  ds()->Edit();
  EXPECT_EQ(Take(), kInsertOn);
  F("payee")->SetAsString("first");
  ds()->Post();
  EXPECT_EQ(Payees(), "first");
}

enum Op { kPost, kInsert, kDelete, kRestore };
enum Handler { kNoHandler, kResolves, kRefuses };
const char* const kOpNames[] = {"_Post", "_Insert", "_Delete", "_Restore"};

class LockTable : public TzDbfTest, public ::testing::WithParamInterface<std::tuple<Op, Handler>> {};

TEST_P(LockTable, RefusedLockLeavesTheFileAndTheHandlerDecides) {
  const auto [op, handler] = GetParam();
  t_ = OpenLinked({"A", "B", "C"});
  if (op == kRestore) ASSERT_TRUE(ds()->Delete());
  std::vector<vz::TComponent*> senders;
  vz::TTzLockFailedEvent* slots[] = {&t_->OnRLockFailedOnPost, &t_->OnALockFailedOnInsert, &t_->OnRLockFailedOnDelete,
                                     &t_->OnRLockFailedOnRestore};
  if (handler != kNoHandler) {
    *slots[op] = [&, handler](vz::TComponent* sender, bool& resolved) {
      EXPECT_TRUE(resolved);
      senders.push_back(sender);
      resolved = handler == kResolves;
    };
  }
  // Another program holds the lock: the file-lock byte, or record 1.
  plat::File other;
  ASSERT_EQ(other.Open(Path("checks.dbf"), plat::kModeShared), plat::kOk);
  const int64_t at = qptest::kLockBase + (op == kInsert ? 1 : kCheckHeader);
  ASSERT_EQ(other.Lock(at, op == kInsert ? 1 : kCheckRecord), plat::kOk);
  const std::string before = CheckBytes();
  warnings_.clear();
  const auto edit = [&](Op what) {
    if (what == kDelete) return ds()->Delete();
    if (what == kRestore) return ds()->Restore();
    what == kPost ? ds()->Edit() : ds()->Append();
    ds()->FieldByName("payee")->SetAsString("Changed");
    return ds()->Post();
  };
  EXPECT_EQ(edit(op), handler == kResolves);
  EXPECT_EQ(CheckBytes(), before);
  EXPECT_EQ(warnings_, handler == kNoHandler ? Log{"Lock failed [" + std::string(kOpNames[op]) + "]"} : Log{});
  EXPECT_EQ(senders, handler == kNoHandler ? std::vector<vz::TComponent*>{} : std::vector<vz::TComponent*>{t_});
  EXPECT_TRUE(halts_.empty()) << LastReport();

  // Once the other program lets go, the same step goes through.
  ASSERT_EQ(other.Close(), plat::kOk);
  if (op == kPost) {
    ds()->First();
    EXPECT_TRUE(edit(kPost));
    EXPECT_EQ(Stored(1, "payee"), Padded("Changed", 40));
  }
}

std::string LockCaseName(const ::testing::TestParamInfo<std::tuple<Op, Handler>>& info) {
  static const char* const kHandlers[] = {"NoHandler", "HandlerResolves", "HandlerRefuses"};
  return std::string(kOpNames[std::get<0>(info.param)] + 1) + kHandlers[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Protocol, LockTable,
                         ::testing::Combine(::testing::Values(kPost, kInsert, kDelete, kRestore),
                                            ::testing::Values(kNoHandler, kResolves, kRefuses)),
                         LockCaseName);

TEST_F(TzDbfTest, WriteFailingUnderTheLockIsNoSuccess) {
  t_ = OpenLinked({"A", "B", "C"});
  plat::fault::FailNth(plat::fault::Op::kWrite, 1, EIO);
  EXPECT_FALSE(t_->_Delete());
  ASSERT_FALSE(halts_.empty());
  EXPECT_NE(vz::ErrorCode(), 0);
  EXPECT_EQ(Record(1)[0], ' ');
  vz::Select(t_->WorkArea());
  EXPECT_FALSE(vz::IsLocked(1));  // the lock went all the same
}

// Records A1, A2, B1; the walk covers the payees starting with "A".
TEST_F(TzDbfTest, RecordLeavingTheWhileRangeMovesTheCursorToANeighbourInsideOrDropsTheRange) {
  t_ = OpenChecks({"A1", "A2", "B1"});
  vz::Select(t_->WorkArea());
  vz::SetWhileCallback([] { return vz::GetFieldText(1).rfind('A', 0) == 0; });
  // An inserted record outside the range sends the cursor back.
  Linked(t_);
  ds()->Next();  // A2
  ds()->Append();
  F("payee")->SetAsString("B9");
  ASSERT_TRUE(t_->_Insert());
  EXPECT_EQ(t_->RecCount(), 4);
  EXPECT_EQ(vz::RecNo(), 2);
  vz::GO(2);
  t_->SetCField("payee", "B2");
  ASSERT_TRUE(t_->_Post());
  EXPECT_EQ(Stored(2, "payee"), Padded("B2", 40));
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_TRUE(vz::IsWhileOn());
  // The last record inside leaves: no neighbour is left to go to.
  t_->SetCField("payee", "C1");
  ASSERT_TRUE(t_->_Post());
  EXPECT_FALSE(vz::IsWhileOn());
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

// The payees r<from>..r<to>, two digits each.
std::vector<std::string> Names(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back((i < 10 ? "r0" : "r") + std::to_string(i));
  return v;
}

class WindowTest : public qptest::TzDbfTest {
 protected:
  // The check table with records r01..r25, a grid link (10 rows) and a field link (1 row) on it, on record 1.
  void SetUp() override {
    TzDbfTest::SetUp();
    t_ = OpenChecks();
    for (const std::string& p : Names(1, 25)) AddCheck(t_, p);
    grid_.SetBufferCount(10);
    grid_.SetDataSource(t_);
    field_.SetDataSource(t_);
    ds()->First();
    log_.clear();
  }
  std::string Current() { return F("payee")->AsString(); }
  // The window's rows, read the way a grid paints them.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    int active = ds()->ActiveRecord();
    for (int i = 0; i < ds()->RecordCount(); ++i) {
      ds()->SetActiveRecord(i);
      rows.push_back(Current());
    }
    ds()->SetActiveRecord(active);
    return rows;
  }

  RecordingLink grid_{"G", &log_};
  RecordingLink field_{"F", &log_};
};

// The links hear what the data set's events said: change, then scroll.
TEST_F(WindowTest, MovesEndWithChangeThenScrollAndTheRightDistances) {
  const struct {
    std::vector<int> moves;  // MoveBy calls from record 1; the last one is observed
    std::string current;
    int active;
    int scrolled;  // distance both links were told
    bool bof, eof;
    int first, last;  // records in the window
  } cases[] = {
      {{9}, "r10", 9, 0, false, false, 1, 10},           // inside the window
      {{9, 3}, "r13", 9, 3, false, false, 4, 13},        // across the bottom edge
      {{9, 3, -12}, "r01", 0, -3, false, false, 1, 10},  // back across the top edge
      {{2, -3}, "r01", 0, 0, true, false, 1, 10},        // before the first record
      {{30}, "r25", 9, 15, false, true, 16, 25},         // past the last record
      {{24, 3}, "r25", 9, 0, false, true, 16, 25},       // three on from the last row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current + " after " + std::to_string(c.moves.back()));
    ds()->First();
    for (size_t i = 0; i + 1 < c.moves.size(); ++i) ds()->MoveBy(c.moves[i]);
    Take();
    bool result = ds()->MoveBy(c.moves.back());
    std::string d = std::to_string(c.scrolled);
    EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged",
                           "G:Scrolled(" + d + ")", "F:Scrolled(" + d + ")"}));
    EXPECT_EQ(Current(), c.current);
    EXPECT_EQ(ds()->ActiveRecord(), c.active);
    EXPECT_EQ(ds()->Bof(), c.bof);
    EXPECT_EQ(ds()->Eof(), c.eof);
    EXPECT_EQ(result, !c.bof && !c.eof);
    EXPECT_EQ(Rows(), Names(c.first, c.last));
    // Both links keep the active row in view.
    EXPECT_EQ(grid_.FirstRecord(), 0);
    EXPECT_EQ(field_.FirstRecord(), ds()->ActiveRecord());
  }
}

TEST_F(WindowTest, ShrinkingKeepsWhatTheLinksShowDisabledControlsHoldEventsBackAndDeletingTheSourceDetaches) {
  ds()->MoveBy(12);  // window r04..r13, r13 at the bottom
  grid_.SetBufferCount(4);
  EXPECT_EQ(ds()->BufferCount(), 4);
  EXPECT_EQ(Rows(), Names(10, 13));
  EXPECT_EQ(ds()->ActiveRecord(), 3);
  EXPECT_EQ(grid_.FirstRecord(), 0);
  EXPECT_EQ(field_.ActiveRecord(), 0);
  ds()->MoveBy(1);
  EXPECT_EQ(Rows(), Names(11, 14));
  // Events held back while controls are disabled are replayed once.
  Take();
  ds()->DisableControls();
  ds()->DisableControls();
  ds()->MoveBy(-12);
  ds()->Last();
  ds()->EnableControls();
  EXPECT_EQ(Take(), Log{});
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:DataSetChanged", "F:DataSetChanged"}));
  EXPECT_EQ(field_.FirstRecord(), ds()->ActiveRecord());
  ds()->EnableControls();  // one too many changes nothing
  EXPECT_EQ(Take(), Log{});
  // State changes held back arrive as the state, then a layout change.
  ds()->DisableControls();
  ds()->Edit();
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:Editing(on)", "F:Editing(on)", "G:LayoutChanged", "F:LayoutChanged"}));
  ds()->DisableControls();
  ds()->Close();
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:Active(off)", "G:Editing(off)", "F:Active(off)", "F:Editing(off)"}));
  delete t_;
  EXPECT_EQ(grid_.DataSource(), nullptr);
  EXPECT_EQ(field_.DataSet(), nullptr);
}

TEST_F(TzDbfTest, LinkStateFollowsAttachReadOnlyAndFieldsAndASourceWithoutATableShowsOneRow) {
  t_ = OpenChecks({"ann"});
  link_.SetDataSource(t_);
  link_.SetReadOnly(true);
  EXPECT_FALSE(link_.Edit());
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
  ds()->Edit();
  EXPECT_FALSE(link_.Editing());
  link_.SetReadOnly(false);
  link_.SetDataSource(nullptr);
  EXPECT_EQ(Take(), (Log{"L:Active(on)", "L:CheckBrowseMode", "L:Editing(on)", "L:Active(off)", "L:Editing(off)"}));
  vz::TTzDataSource bare(nullptr), plain(nullptr);
  bare.DataSet()->Open();
  RecordingLink link("B", nullptr);
  link.SetDataSource(&bare);
  EXPECT_FALSE(link.Active());  // without fields a data set keeps its links inactive
  // Without a table the cursor has a current record and nothing after it, as a table component at design time.
  uint8_t memo[4] = {5, 0, 0, 0};
  plain.DataSet()->AddField("notes", 'M', 10, 0, memo);
  plain.DataSet()->Open();
  EXPECT_EQ(plain.DataSet()->RecordCount(), 1);
  EXPECT_FALSE(plain.DataSet()->MoveBy(1));
  EXPECT_EQ(plain.DataSet()->FieldByName("notes")->Lines(), (vz::TStrings{"Not linked"}));
}

}  // namespace
