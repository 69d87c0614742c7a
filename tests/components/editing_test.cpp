// The editing cycle: the order of events and states of Edit, Insert, Append,
// Post, Cancel, Delete and Restore, vetoes by the Before... handlers, and
// what reaches the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "components/dataset.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::Log;
using qptest::RecordingLink;

class EditingTest : public qptest::TzDbfTest {
 protected:
  void SetUp() override {
    TzDbfTest::SetUp();
    Start({"ann", "bob", "cy"});
  }
  // The check table with these records, linked, its events logged from now.
  void Start(std::initializer_list<const char*> payees) {
    if (t_) {
      delete t_;
      for (const char* f : {"checks.dbf", "checks.dbt"}) std::remove(Path(f).c_str());
    }
    t_ = OpenLinked(payees);
    qptest::RecordDataSetEvents(ds(), &log_);
  }
  vz::TTzDataSet* ds() { return t_->DataSet(); }
  vz::TTzField* payee() { return ds()->FieldByName("payee"); }
  Log Take() { return std::exchange(log_, {}); }

  vz::TTzDbf* t_ = nullptr;
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
  payee()->SetAsString("zed");
  EXPECT_EQ(Take(), (Log{"L:RecordChanged(payee)"}));
  EXPECT_TRUE(ds()->Post());
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
  EXPECT_TRUE(ds()->Restore());
  EXPECT_EQ(Take(), (Log{"L:CheckBrowseMode", "BeforeRestore[dsBrowse]", "L:DataSetChanged",
                         "AfterRestore[dsBrowse]", "L:DataSetChanged"}));
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
  ds()->Prior();
  EXPECT_EQ(payee()->AsString(), "new");

  ds()->First();
  ds()->Insert();
  payee()->SetAsString("gone");
  Take();
  EXPECT_TRUE(ds()->Delete());  // drops the new row, without BeforeDelete
  EXPECT_EQ(Take(), (Log{"L:Editing(off)", "L:DataSetChanged", "L:DataSetChanged", "L:DataSetChanged"}));
  EXPECT_EQ(payee()->AsString(), "ann");
  EXPECT_EQ(Payees(), "ann,bob,cy,new,dan");
}

TEST_F(EditingTest, EditOnAnEmptyTableInserts) {
  Start({});
  ds()->Edit();
  EXPECT_EQ(Take(), kInsertOn);
  payee()->SetAsString("first");
  ds()->Post();
  EXPECT_EQ(Payees(), "first");
}

TEST_F(EditingTest, RefusedBeforePostKeepsTheEditAndShowsTheFieldValues) {
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
      {"BeforePost", &vz::TTzDataSet::BeforePost, [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Post()); }, true},
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

TEST_F(EditingTest, LinkWritesItsValueBackOnPostWithoutHearingItsOwnChange) {
  ds()->Edit();
  link_.on_update_data = [this] { payee()->SetAsString("typed"); };
  Take();
  ds()->Post();
  Log log = Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "L:RecordChanged(payee)"), 0);
  EXPECT_EQ(Payees(), "typed,bob,cy");
}

TEST_F(EditingTest, PostWritesTheEditedRecordEvenAfterTheWindowWasRefilled) {
  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  // A grid attaching now fills the window, which moves the cursor and
  // reloads the field buffer with other records.
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(10);
  grid.SetDataSource(t_);
  EXPECT_EQ(payee()->AsString(), "zed");
  ASSERT_TRUE(ds()->Post());
  EXPECT_EQ(Payees(), "ann,zed,cy");
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
      {[](vz::TTzDataSet* d) { d->Restore(); }, kClosed},
      {[](vz::TTzDataSet* d) { d->Next(); }, kClosed},
      {[](vz::TTzDataSet* d) { d->TableRecordCount(); }, kClosed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    if (c.message == kClosed) ds()->Close();
    EXPECT_EQ(qptest::Raised([&] { c.act(ds()); }), c.message);
  }
  Start({});
  EXPECT_EQ(qptest::Raised([&] { ds()->Delete(); }), "Cannot perform this operation on an empty dataset");
}

}  // namespace
