// The editing cycle: the order of events and states of Edit, Insert, Append,
// Post, Cancel, Delete and Restore, vetoes by the Before... handlers, and
// what reaches the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
    for (const char* p : {"ann", "bob", "cy"}) source_->AddRecord(p, 10);
    source_->AddFields();
    link_.SetDataSource(source_.get());
    ds()->Open();
    qptest::RecordDataSetEvents(ds(), &log_);
    log_.clear();
  }
  vz::TTzDataSet* ds() { return source_->DataSet(); }
  vz::TTzField* payee() { return ds()->FieldByName("payee"); }
  Log Take() { return std::exchange(log_, {}); }

  Log log_;
  RecordingLink link_{"L1", &log_};
  std::unique_ptr<FakeSource> source_ = std::make_unique<FakeSource>();
};

TEST_F(EditingTest, OpenAndCloseAnnounceTheirStates) {
  ds()->Close();
  ds()->Open();
  EXPECT_EQ(Take(), (Log{"BeforeClose[dsBrowse]", "L1:Active(off)", "AfterClose[dsInactive]",
                         "BeforeOpen[dsInactive]", "L1:Active(on)", "AfterOpen[dsBrowse]"}));
}

TEST_F(EditingTest, EditThenPostRunsTheFullCycleAndWritesTheRecord) {
  ds()->Edit();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeEdit[dsBrowse]", "L1:Editing(on)", "AfterEdit[dsEdit]"}));
  payee()->SetAsString("zed");
  EXPECT_EQ(Take(), (Log{"L1:RecordChanged(payee)"}));
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "BeforePost[dsEdit]", "L1:DataSetChanged",
                         "L1:Editing(off)", "L1:DataSetChanged", "AfterPost[dsBrowse]"}));
  EXPECT_FALSE(ds()->Modified());
  EXPECT_EQ(source_->PayeeOf(1), "zed");
  EXPECT_EQ(source_->Count(), 3);
}

TEST_F(EditingTest, PostWithoutChangeCancelsSilently) {
  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:Editing(off)", "L1:DataSetChanged", "L1:DataSetChanged"}));
}

TEST_F(EditingTest, RefusedBeforePostKeepsTheEditAndShowsTheFieldValues) {
  ds()->Edit();
  payee()->SetAsString("zed");
  bool disabled_inside = false;
  ds()->BeforePost = [&](vz::TTzDataSet* d, bool& ok) {
    disabled_inside = d->ControlsDisabled();
    ok = false;
  };
  Take();
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "L1:DataSetChanged", "L1:DataSetChanged"}));
  EXPECT_TRUE(disabled_inside);
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(payee()->AsString(), "zed");
  EXPECT_EQ(source_->PayeeOf(1), "ann");
  // A move asks for the post first; refused, the edit stays where it is.
  ds()->Next();
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(payee()->AsString(), "zed");
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

TEST_F(EditingTest, CancelRestoresTheStoredValues) {
  ds()->Next();
  ds()->Edit();
  payee()->SetAsString("zed");
  Take();
  ds()->Cancel();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeCancel[dsEdit]", "L1:Editing(off)", "L1:DataSetChanged",
                         "L1:DataSetChanged", "AfterCancel[dsBrowse]"}));
  EXPECT_EQ(payee()->AsString(), "bob");
  EXPECT_EQ(source_->PayeeOf(2), "bob");
}

struct VetoCase {
  const char* name;
  vz::TTzDataSetNotifyConfirmEvent vz::TTzDataSet::*handler;
  void (*act)(vz::TTzDataSet*);
  bool editing_first;
};

void PrintTo(const VetoCase& c, std::ostream* os) { *os << c.name; }

class VetoTable : public EditingTest, public ::testing::WithParamInterface<VetoCase> {};

TEST_P(VetoTable, RefusingHandlerLeavesStateAndTableAlone) {
  const VetoCase& c = GetParam();
  if (c.editing_first) {
    ds()->Edit();
    payee()->SetAsString("zed");
  }
  vz::TDataSetState before = ds()->State();
  bool asked = false;
  ds()->*c.handler = [&](vz::TTzDataSet*, bool& ok) { asked = true, ok = false; };
  c.act(ds());
  EXPECT_TRUE(asked);
  EXPECT_EQ(ds()->State(), before);
  EXPECT_EQ(source_->Count(), 3);
  EXPECT_EQ(source_->PayeeOf(1), "ann");
  EXPECT_FALSE(source_->DeletedOf(1));
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, VetoTable,
    ::testing::Values(VetoCase{"BeforeEdit", &vz::TTzDataSet::BeforeEdit, [](vz::TTzDataSet* d) { d->Edit(); }, false},
                      VetoCase{"BeforeInsert", &vz::TTzDataSet::BeforeInsert,
                               [](vz::TTzDataSet* d) { d->Insert(); }, false},
                      VetoCase{"BeforeInsert, Append", &vz::TTzDataSet::BeforeInsert,
                               [](vz::TTzDataSet* d) { d->Append(); }, false},
                      VetoCase{"BeforePost", &vz::TTzDataSet::BeforePost,
                               [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Post()); }, true},
                      VetoCase{"BeforeCancel", &vz::TTzDataSet::BeforeCancel, [](vz::TTzDataSet* d) { d->Cancel(); },
                               true},
                      VetoCase{"BeforeDelete", &vz::TTzDataSet::BeforeDelete,
                               [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Delete()); }, false},
                      VetoCase{"BeforeRestore", &vz::TTzDataSet::BeforeRestore,
                               [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Restore()); }, false}));

TEST_F(EditingTest, InsertThenPostAppendsTheNewRecord) {
  ds()->Next();
  Take();
  ds()->Insert();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L1:Editing(on)", "OnNewRecord[dsInsert]",
                         "L1:DataSetChanged", "AfterInsert[dsInsert]"}));
  int32_t saved = 0;
  std::memcpy(&saved, source_->SavedBookmark().data(), 4);
  EXPECT_EQ(saved, 2);  // where the user was
  EXPECT_EQ(payee()->AsString(), "");
  payee()->SetAsString("new");
  Take();
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "BeforePost[dsInsert]", "L1:DataSetChanged",
                         "L1:Editing(off)", "L1:DataSetChanged", "AfterPost[dsBrowse]"}));
  ASSERT_EQ(source_->Count(), 4);
  EXPECT_EQ(source_->PayeeOf(4), "new");
  EXPECT_EQ(payee()->AsString(), "new");
}

TEST_F(EditingTest, CancelledInsertShowsTheRecordItStoodBefore) {
  ds()->Next();
  ds()->OnNewRecord = [this](vz::TTzDataSet*) { payee()->SetAsString("default"); };
  ds()->Insert();
  EXPECT_EQ(payee()->AsString(), "default");
  EXPECT_FALSE(ds()->Modified());  // what OnNewRecord sets is no change
  ds()->Cancel();
  EXPECT_EQ(payee()->AsString(), "bob");
  EXPECT_EQ(source_->Count(), 3);
}

TEST_F(EditingTest, AppendAddsARowAfterTheLastRecord) {
  ds()->Append();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L1:DataSetChanged", "L1:Editing(on)",
                         "OnNewRecord[dsInsert]", "L1:DataSetChanged", "AfterInsert[dsInsert]"}));
  EXPECT_TRUE(ds()->Eof());
  EXPECT_FALSE(ds()->Bof());
  payee()->SetAsString("dan");
  ds()->Post();
  ASSERT_EQ(source_->Count(), 4);
  EXPECT_EQ(source_->PayeeOf(4), "dan");
  ds()->Prior();
  EXPECT_EQ(payee()->AsString(), "cy");
}

TEST_F(EditingTest, EditOnAnEmptyTableInserts) {
  FakeSource empty;
  empty.AddFields();
  RecordingLink link("E", &log_);
  link.SetDataSource(&empty);
  empty.DataSet()->Open();
  qptest::RecordDataSetEvents(empty.DataSet(), &log_);
  Take();
  empty.DataSet()->Edit();
  EXPECT_EQ(Take(), (Log{"E:CheckBrowseMode", "BeforeInsert[dsBrowse]", "E:Editing(on)", "OnNewRecord[dsInsert]",
                         "E:DataSetChanged", "AfterInsert[dsInsert]"}));
  empty.DataSet()->FieldByName("payee")->SetAsString("first");
  empty.DataSet()->Post();
  ASSERT_EQ(empty.Count(), 1);
  EXPECT_EQ(empty.PayeeOf(1), "first");
}

TEST_F(EditingTest, DeleteInInsertDropsTheNewRowWithoutBeforeDelete) {
  ds()->Insert();
  payee()->SetAsString("new");
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L1:Editing(off)", "L1:DataSetChanged", "L1:DataSetChanged", "L1:DataSetChanged"}));
  EXPECT_EQ(source_->Count(), 3);
  EXPECT_EQ(payee()->AsString(), "ann");
}

TEST_F(EditingTest, DeleteMarksTheRecordAndRestoreTakesTheMarkBack) {
  ds()->Next();
  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeDelete[dsEdit]", "L1:Editing(off)", "L1:DataSetChanged",
                         "AfterDelete[dsBrowse]", "L1:DataSetChanged"}));
  EXPECT_TRUE(source_->DeletedOf(2));
  EXPECT_TRUE(ds()->RowDeleted(ds()->ActiveRecord()));
  EXPECT_EQ(payee()->AsString(), "bob");
  EXPECT_TRUE(ds()->Restore());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeRestore[dsBrowse]", "L1:DataSetChanged",
                         "AfterRestore[dsBrowse]", "L1:DataSetChanged"}));
  EXPECT_FALSE(source_->DeletedOf(2));
  EXPECT_FALSE(ds()->RowDeleted(ds()->ActiveRecord()));
}

TEST_F(EditingTest, RefusedWritesReturnFalseAndLeaveTheTable) {
  source_->refuse_post = true;
  ds()->Edit();
  payee()->SetAsString("zed");
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(source_->PayeeOf(1), "ann");
  EXPECT_EQ(payee()->AsString(), "ann");
  source_->refuse_delete = true;
  EXPECT_FALSE(ds()->Delete());
  EXPECT_FALSE(source_->DeletedOf(1));
  EXPECT_FALSE(ds()->RowDeleted(ds()->ActiveRecord()));
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
  EXPECT_EQ(source_->PayeeOf(1), "ann");
  EXPECT_EQ(source_->PayeeOf(2), "zed");
  EXPECT_EQ(source_->PayeeOf(3), "cy");
}

struct ErrorCase {
  const char* name;
  void (*act)(vz::TTzDataSet*);
  const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class ErrorTable : public EditingTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorTable, RaisesTheComponentMessage) {
  EXPECT_EQ(qptest::Raised([&] { GetParam().act(ds()); }), GetParam().message);
}

void CloseThen(vz::TTzDataSet* d, void (*then)(vz::TTzDataSet*)) {
  d->Close();
  then(d);
}

INSTANTIATE_TEST_SUITE_P(
    Misuse, ErrorTable,
    ::testing::Values(
        ErrorCase{"Post in browse", [](vz::TTzDataSet* d) { d->Post(); }, "Dataset not in edit or insert mode"},
        ErrorCase{"UpdateRecord in browse", [](vz::TTzDataSet* d) { d->UpdateRecord(); },
                  "Dataset not in edit or insert mode"},
        ErrorCase{"Delete closed", [](vz::TTzDataSet* d) { CloseThen(d, [](vz::TTzDataSet* e) { e->Delete(); }); },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"Restore closed", [](vz::TTzDataSet* d) { CloseThen(d, [](vz::TTzDataSet* e) { e->Restore(); }); },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"Next closed", [](vz::TTzDataSet* d) { CloseThen(d, [](vz::TTzDataSet* e) { e->Next(); }); },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"record count closed",
                  [](vz::TTzDataSet* d) { CloseThen(d, [](vz::TTzDataSet* e) { e->TableRecordCount(); }); },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"Delete on an empty table",
                  [](vz::TTzDataSet*) {
                    FakeSource empty;
                    empty.AddFields();
                    empty.DataSet()->Open();
                    empty.DataSet()->Delete();
                  },
                  "Cannot perform this operation on an empty dataset"}));

TEST_F(EditingTest, SourceForwardsItsDSEventsToTheDataSet) {
  bool vetoed = false;
  source_->SetDSBeforePost([&](vz::TTzDataSet*, bool& ok) { vetoed = true, ok = false; });
  EXPECT_TRUE(static_cast<bool>(source_->DSBeforePost()));
  ds()->Edit();
  payee()->SetAsString("zed");
  EXPECT_FALSE(ds()->Post());
  EXPECT_TRUE(vetoed);
  ds()->AfterRestore = nullptr;
  EXPECT_FALSE(static_cast<bool>(source_->DSAfterRestore()));
}

}  // namespace
