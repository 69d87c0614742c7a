// The editing cycle: the order of events and states of Edit, Insert, Append,
// Post, Cancel, Delete and Restore, vetoes by the Before... handlers, and
// what reaches the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>

#include "components/dataset.h"
#include "engine/errors.h"
#include "fake_source.h"

namespace {

using qptest::FakeSource;
using qptest::Log;
using qptest::RecordingLink;

class EditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vz::ResetErrorStateForTesting();
    Start({"ann", "bob", "cy"});
  }
  // A fresh source with these records, open, its events logged from now.
  void Start(std::initializer_list<const char*> payees) {
    source_ = std::make_unique<FakeSource>();
    for (const char* p : payees) source_->AddRecord(p, 10);
    source_->AddFields();
    link_.SetDataSource(source_.get());
    ds()->Open();
    qptest::RecordDataSetEvents(ds(), &log_);
    log_.clear();
  }
  vz::TTzDataSet* ds() { return source_->DataSet(); }
  vz::TTzField* payee() { return ds()->FieldByName("payee"); }
  Log Take() { return std::exchange(log_, {}); }
  // The payees the table holds, deleted ones starred: "ann,*bob,cy".
  std::string Table() {
    std::string all;
    for (int r = 1; r <= source_->Count(); ++r) all += (r > 1 ? "," : "") + source_->PayeeOf(r);
    return all;
  }

  Log log_;
  RecordingLink link_{"L1", &log_};
  std::unique_ptr<FakeSource> source_;
};

// What a post that reaches the table announces, from the given state.
Log Posted(const char* state) {
  return {"L1:UpdateData",    "L1:CheckBrowseMode", std::string("BeforePost[") + state + "]", "L1:DataSetChanged",
          "L1:Editing(off)", "L1:DataSetChanged", "AfterPost[dsBrowse]"};
}
const Log kInsertOn = {"L1:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L1:Editing(on)", "OnNewRecord[dsInsert]",
                       "L1:DataSetChanged",  "AfterInsert[dsInsert]"};

TEST_F(EditingTest, EditPostCancelDeleteAndRestoreRunInOrderAndReachTheTable) {
  ds()->Edit();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeEdit[dsBrowse]", "L1:Editing(on)", "AfterEdit[dsEdit]"}));
  payee()->SetAsString("zed");
  EXPECT_EQ(Take(), (Log{"L1:RecordChanged(payee)"}));
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), Posted("dsEdit"));
  EXPECT_EQ(Table(), "zed,bob,cy");

  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Post());  // nothing changed: cancels silently
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:Editing(off)", "L1:DataSetChanged", "L1:DataSetChanged"}));

  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  Take();
  ds()->Cancel();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeCancel[dsEdit]", "L1:Editing(off)", "L1:DataSetChanged",
                         "L1:DataSetChanged", "AfterCancel[dsBrowse]"}));
  EXPECT_EQ(payee()->AsString(), "bob");

  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeDelete[dsEdit]", "L1:Editing(off)", "L1:DataSetChanged",
                         "AfterDelete[dsBrowse]", "L1:DataSetChanged"}));
  EXPECT_EQ(Table(), "zed,*bob,cy");
  EXPECT_TRUE(ds()->Restore());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeRestore[dsBrowse]", "L1:DataSetChanged",
                         "AfterRestore[dsBrowse]", "L1:DataSetChanged"}));
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
  EXPECT_EQ(Table(), "ann,bob,cy,new");

  ds()->Append();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L1:DataSetChanged", "L1:Editing(on)",
                         "OnNewRecord[dsInsert]", "L1:DataSetChanged", "AfterInsert[dsInsert]"}));
  EXPECT_TRUE(ds()->Eof());
  EXPECT_FALSE(ds()->Bof());
  payee()->SetAsString("dan");
  ds()->Post();
  EXPECT_EQ(Table(), "ann,bob,cy,new,dan");
  ds()->Prior();
  EXPECT_EQ(payee()->AsString(), "new");

  ds()->First();
  ds()->Insert();
  payee()->SetAsString("gone");
  Take();
  EXPECT_TRUE(ds()->Delete());  // drops the new row, without BeforeDelete
  EXPECT_EQ(Take(), (Log{"L1:Editing(off)", "L1:DataSetChanged", "L1:DataSetChanged", "L1:DataSetChanged"}));
  EXPECT_EQ(payee()->AsString(), "ann");
  EXPECT_EQ(Table(), "ann,bob,cy,new,dan");
}

TEST_F(EditingTest, EditOnAnEmptyTableInserts) {
  Start({});
  ds()->Edit();
  EXPECT_EQ(Take(), kInsertOn);
  payee()->SetAsString("first");
  ds()->Post();
  EXPECT_EQ(Table(), "first");
}

TEST_F(EditingTest, RefusedBeforePostKeepsTheEditAndShowsTheFieldValues) {
  ds()->Edit();
  payee()->SetAsString("zed");
  bool disabled_inside = false;
  // Set through the source, which hands its DS events on to the data set.
  source_->SetDSBeforePost([&](vz::TTzDataSet* d, bool& ok) {
    disabled_inside = d->ControlsDisabled();
    ok = false;
  });
  Take();
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "L1:DataSetChanged", "L1:DataSetChanged"}));
  EXPECT_TRUE(disabled_inside);
  // A move asks for the post first; refused, the edit stays where it is.
  ds()->Next();
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(payee()->AsString(), "zed");
  EXPECT_EQ(Table(), "ann,bob,cy");
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
    EXPECT_EQ(Table(), "ann,bob,cy");
    if (c.editing_first) ds()->Cancel();
  }
}

TEST_F(EditingTest, LinkWritesItsValueBackOnPostWithoutHearingItsOwnChange) {
  ds()->Edit();
  link_.on_update_data = [this] { payee()->SetAsString("typed"); };
  Take();
  ds()->Post();
  Log log = Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "L1:RecordChanged(payee)"), 0);
  EXPECT_EQ(source_->PayeeOf(1), "typed");
}

TEST_F(EditingTest, PostWritesTheEditedRecordEvenAfterTheWindowWasRefilled) {
  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  // A grid attaching now fills the window, which moves the cursor and
  // reloads the field buffer with other records.
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(10);
  grid.SetDataSource(source_.get());
  EXPECT_EQ(payee()->AsString(), "zed");
  ASSERT_TRUE(ds()->Post());
  EXPECT_EQ(Table(), "ann,zed,cy");
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
