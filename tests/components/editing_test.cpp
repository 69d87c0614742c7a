// The editing cycle: the order of events and states of Edit, Insert, Append,
// Post, Cancel, Delete and Restore, vetoes by the Before... handlers, and
// what reaches the table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/dataset.h"
#include "components/messages.h"
#include "engine/errors.h"
#include "fake_source.h"

namespace {

using qptest::FakeSource;
using qptest::RecordingLink;
using Log = std::vector<std::string>;

class EditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vz::ResetErrorStateForTesting();
    vz::ResetComponentMessagesForTesting();
    source_ = std::make_unique<FakeSource>();
    source_->AddFields();
    for (const char* p : {"ann", "bob", "cy"}) source_->AddRecord(p, 10);
    link_ = std::make_unique<RecordingLink>("L1", &log_);
    link_->SetDataSource(source_.get());
    ds()->Open();
    qptest::RecordDataSetEvents(ds(), &log_);
    log_.clear();
  }
  void TearDown() override {
    link_.reset();
    source_.reset();
    vz::ResetErrorStateForTesting();
  }
  vz::TTzDataSet* ds() { return source_->DataSet(); }
  vz::TTzField* payee() { return ds()->FieldByName("payee"); }
  void Veto(vz::TTzDataSetNotifyConfirmEvent& event, const char* name) {
    event = [this, name](vz::TTzDataSet* d, bool& ok) {
      log_.push_back(std::string(name) + "[" + qptest::StateName(d->State()) + "]");
      ok = false;
    };
  }
  Log Take() {
    Log out;
    out.swap(log_);
    return out;
  }

  Log log_;
  std::unique_ptr<FakeSource> source_;
  std::unique_ptr<RecordingLink> link_;
};

TEST_F(EditingTest, OpenAndCloseAnnounceTheirStates) {
  ds()->Close();
  ds()->Open();
  EXPECT_EQ(Take(), (Log{"BeforeClose[dsBrowse]", "L1:Active(off)", "AfterClose[dsInactive]",
                         "BeforeOpen[dsInactive]", "L1:Active(on)", "AfterOpen[dsBrowse]"}));
  EXPECT_TRUE(ds()->Bof());
  EXPECT_EQ(payee()->AsString(), "ann");
}

TEST_F(EditingTest, EditThenPostRunsTheFullCycleAndWritesTheRecord) {
  ds()->Edit();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeEdit[dsBrowse]", "L1:Editing(on)", "AfterEdit[dsEdit]"}));
  payee()->SetAsString("zed");
  EXPECT_EQ(Take(), (Log{"L1:RecordChanged(payee)"}));
  EXPECT_TRUE(ds()->Modified());

  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "BeforePost[dsEdit]", "L1:DataSetChanged",
                         "L1:Editing(off)", "L1:DataSetChanged", "AfterPost[dsBrowse]"}));
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
  EXPECT_FALSE(ds()->Modified());
  EXPECT_EQ(source_->PayeeOf(1), "zed");
  EXPECT_EQ(source_->Count(), 3);
  EXPECT_EQ(payee()->AsString(), "zed");
}

TEST_F(EditingTest, PostWithoutChangeCancelsSilently) {
  ds()->Edit();
  Take();
  EXPECT_TRUE(ds()->Post());
  // Neither BeforePost/AfterPost nor BeforeCancel/AfterCancel.
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:Editing(off)", "L1:DataSetChanged", "L1:DataSetChanged"}));
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
}

TEST_F(EditingTest, RefusedBeforePostKeepsEditAndShowsTheFieldValues) {
  ds()->Edit();
  payee()->SetAsString("zed");
  Veto(ds()->BeforePost, "BeforePost");
  Take();
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "BeforePost[dsEdit]", "L1:DataSetChanged",
                         "L1:DataSetChanged"}));
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(payee()->AsString(), "zed");
  EXPECT_EQ(source_->PayeeOf(1), "ann");
}

TEST_F(EditingTest, RefusedPostInsideAMoveKeepsTheEditWhereItIs) {
  ds()->Edit();
  payee()->SetAsString("zed");
  Veto(ds()->BeforePost, "BeforePost");
  ds()->Next();
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  EXPECT_EQ(ds()->ActiveRecord(), 0);
  EXPECT_EQ(payee()->AsString(), "zed");
}

TEST_F(EditingTest, ControlsAreDisabledAroundBeforePost) {
  ds()->Edit();
  payee()->SetAsString("zed");
  bool disabled_inside = false;
  ds()->BeforePost = [&](vz::TTzDataSet* d, bool&) { disabled_inside = d->ControlsDisabled(); };
  ds()->Post();
  EXPECT_TRUE(disabled_inside);
  EXPECT_FALSE(ds()->ControlsDisabled());
}

TEST_F(EditingTest, LinkWritesItsValueBackOnPostWithoutHearingItsOwnChange) {
  ds()->Edit();
  link_->on_update_data = [this] { payee()->SetAsString("typed"); };
  Take();
  ds()->Post();
  Log log = Take();
  EXPECT_EQ(log.front(), "L1:UpdateData");
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
  void (*arm)(vz::TTzDataSet*, vz::TTzDataSetNotifyConfirmEvent);
  void (*act)(vz::TTzDataSet*);
  vz::TDataSetState state_before_veto;
  vz::TDataSetState state_after;
};

void PrintTo(const VetoCase& c, std::ostream* os) { *os << c.name; }

class VetoTable : public EditingTest, public ::testing::WithParamInterface<VetoCase> {};

TEST_P(VetoTable, RefusingHandlerLeavesStateAndTableAlone) {
  const VetoCase& c = GetParam();
  if (c.state_before_veto == vz::dsEdit) {
    ds()->Edit();
    payee()->SetAsString("zed");
  }
  vz::TDataSetState before = ds()->State();
  bool asked = false;
  c.arm(ds(), [&](vz::TTzDataSet*, bool& ok) {
    asked = true;
    ok = false;
  });
  c.act(ds());
  EXPECT_TRUE(asked) << c.name;
  EXPECT_EQ(ds()->State(), before) << c.name;
  EXPECT_EQ(ds()->State(), c.state_after) << c.name;
  EXPECT_EQ(source_->Count(), 3) << c.name;
  EXPECT_EQ(source_->PayeeOf(1), "ann") << c.name;
  EXPECT_FALSE(source_->DeletedOf(1)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, VetoTable,
    ::testing::Values(
        VetoCase{"BeforeEdit", [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeEdit = h; },
                 [](vz::TTzDataSet* d) { d->Edit(); }, vz::dsBrowse, vz::dsBrowse},
        VetoCase{"BeforeInsert",
                 [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeInsert = h; },
                 [](vz::TTzDataSet* d) { d->Insert(); }, vz::dsBrowse, vz::dsBrowse},
        VetoCase{"BeforeInsert on Append",
                 [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeInsert = h; },
                 [](vz::TTzDataSet* d) { d->Append(); }, vz::dsBrowse, vz::dsBrowse},
        VetoCase{"BeforePost", [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforePost = h; },
                 [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Post()); }, vz::dsEdit, vz::dsEdit},
        VetoCase{"BeforeCancel",
                 [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeCancel = h; },
                 [](vz::TTzDataSet* d) { d->Cancel(); }, vz::dsEdit, vz::dsEdit},
        VetoCase{"BeforeDelete",
                 [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeDelete = h; },
                 [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Delete()); }, vz::dsBrowse, vz::dsBrowse},
        VetoCase{"BeforeRestore",
                 [](vz::TTzDataSet* d, vz::TTzDataSetNotifyConfirmEvent h) { d->BeforeRestore = h; },
                 [](vz::TTzDataSet* d) { EXPECT_FALSE(d->Restore()); }, vz::dsBrowse, vz::dsBrowse}));

TEST_F(EditingTest, InsertThenPostAppendsTheNewRecord) {
  ds()->Next();
  Take();
  ds()->Insert();
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeInsert[dsBrowse]", "L1:Editing(on)", "OnNewRecord[dsInsert]",
                         "L1:DataSetChanged", "AfterInsert[dsInsert]"}));
  EXPECT_EQ(payee()->AsString(), "");
  EXPECT_FALSE(ds()->Modified());
  payee()->SetAsString("new");
  Take();
  EXPECT_TRUE(ds()->Post());
  EXPECT_EQ(Take(), (Log{"L1:UpdateData", "L1:CheckBrowseMode", "BeforePost[dsInsert]", "L1:DataSetChanged",
                         "L1:Editing(off)", "L1:DataSetChanged", "AfterPost[dsBrowse]"}));
  ASSERT_EQ(source_->Count(), 4);
  EXPECT_EQ(source_->PayeeOf(4), "new");
  EXPECT_EQ(payee()->AsString(), "new");
}

TEST_F(EditingTest, InsertRemembersWhereTheUserWas) {
  ds()->Next();
  ds()->Insert();
  int32_t saved = 0;
  std::memcpy(&saved, source_->SavedBookmark().data(), 4);
  EXPECT_EQ(saved, 2);
}

TEST_F(EditingTest, CancelledInsertShowsTheRecordItStoodBefore) {
  ds()->Next();
  ds()->Insert();
  payee()->SetAsString("new");
  ds()->Cancel();
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
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

TEST_F(EditingTest, NewRecordHandlerValuesDoNotCountAsAChange) {
  ds()->OnNewRecord = [this](vz::TTzDataSet*) { payee()->SetAsString("default"); };
  ds()->Insert();
  EXPECT_EQ(payee()->AsString(), "default");
  EXPECT_FALSE(ds()->Modified());
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
  EXPECT_EQ(empty.DataSet()->State(), vz::dsInsert);
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
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
  EXPECT_EQ(source_->Count(), 3);
  EXPECT_EQ(payee()->AsString(), "ann");
}

TEST_F(EditingTest, DeleteMarksTheRecordAndRestoreTakesTheMarkBack) {
  ds()->Next();
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeDelete[dsBrowse]", "L1:DataSetChanged",
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

TEST_F(EditingTest, DeleteWhileEditingEndsTheEdit) {
  ds()->Edit();
  payee()->SetAsString("zed");
  Take();
  EXPECT_TRUE(ds()->Delete());
  EXPECT_EQ(Take(), (Log{"L1:CheckBrowseMode", "BeforeDelete[dsEdit]", "L1:Editing(off)", "L1:DataSetChanged",
                         "AfterDelete[dsBrowse]", "L1:DataSetChanged"}));
  EXPECT_TRUE(source_->DeletedOf(1));
  EXPECT_EQ(source_->PayeeOf(1), "ann");
}

TEST_F(EditingTest, RefusedWritesReturnFalseAndLeaveTheTable) {
  source_->refuse_post = true;
  ds()->Edit();
  payee()->SetAsString("zed");
  EXPECT_FALSE(ds()->Post());
  EXPECT_EQ(source_->PayeeOf(1), "ann");
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
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
  const ErrorCase& c = GetParam();
  try {
    c.act(ds());
    ADD_FAILURE() << c.name << " did not raise";
  } catch (const vz::EVozuvError& e) {
    EXPECT_EQ(std::string(e.what()), c.message) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Misuse, ErrorTable,
    ::testing::Values(
        ErrorCase{"Post in browse", [](vz::TTzDataSet* d) { d->Post(); }, "Dataset not in edit or insert mode"},
        ErrorCase{"UpdateRecord in browse", [](vz::TTzDataSet* d) { d->UpdateRecord(); },
                  "Dataset not in edit or insert mode"},
        ErrorCase{"Delete closed",
                  [](vz::TTzDataSet* d) {
                    d->Close();
                    d->Delete();
                  },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"Restore closed",
                  [](vz::TTzDataSet* d) {
                    d->Close();
                    d->Restore();
                  },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"Next closed",
                  [](vz::TTzDataSet* d) {
                    d->Close();
                    d->Next();
                  },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"record count closed",
                  [](vz::TTzDataSet* d) {
                    d->Close();
                    d->TableRecordCount();
                  },
                  "Cannot perform this operation on a closed dataset"},
        ErrorCase{"FieldByName", [](vz::TTzDataSet* d) { d->FieldByName("amt"); }, "Field 'amt' not found"}));

TEST_F(EditingTest, DeleteOnAnEmptyDataSetRaises) {
  FakeSource empty;
  empty.AddFields();
  empty.DataSet()->Open();
  try {
    empty.DataSet()->Delete();
    ADD_FAILURE() << "no error";
  } catch (const vz::EVozuvError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on an empty dataset");
  }
}

TEST_F(EditingTest, SourceForwardsItsDSEventsToTheDataSet) {
  bool vetoed = false;
  source_->SetDSBeforePost([&](vz::TTzDataSet*, bool& ok) {
    vetoed = true;
    ok = false;
  });
  ASSERT_TRUE(static_cast<bool>(ds()->BeforePost));
  ASSERT_TRUE(static_cast<bool>(source_->DSBeforePost()));
  ds()->Edit();
  payee()->SetAsString("zed");
  EXPECT_FALSE(ds()->Post());
  EXPECT_TRUE(vetoed);
  int after_edit = 0;
  source_->SetDSAfterEdit([&](vz::TTzDataSet*) { ++after_edit; });
  ds()->Cancel();
  ds()->Edit();
  EXPECT_EQ(after_edit, 1);
}

}  // namespace
