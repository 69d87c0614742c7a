// The record window: its size from the links, moving through it, the data
// events and distances the links see, held-back events while controls are
// disabled, and the resync after changes behind the data set's back.
#include <gtest/gtest.h>

#include <cstdio>
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

std::string Name(int i) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "r%02d", i);
  return buf;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vz::ResetErrorStateForTesting();
    source_ = std::make_unique<FakeSource>();
    source_->AddFields();
    for (int i = 1; i <= 25; ++i) source_->AddRecord(Name(i), i);
    grid_ = std::make_unique<RecordingLink>("G", &log_);
    field_ = std::make_unique<RecordingLink>("F", &log_);
  }
  void TearDown() override {
    grid_.reset();
    field_.reset();
    source_.reset();
    vz::ResetErrorStateForTesting();
  }
  // Attaches the grid (10 rows) and the field link (1 row) and opens.
  void OpenWithBoth() {
    grid_->SetBufferCount(10);
    grid_->SetDataSource(source_.get());
    field_->SetDataSource(source_.get());
    ds()->Open();
    log_.clear();
  }
  vz::TTzDataSet* ds() { return source_->DataSet(); }
  std::string Current() { return ds()->FieldByName("payee")->AsString(); }
  // The payee of each row of the window, read the way a grid paints.
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
  std::vector<std::string> Names(int from, int to) {
    std::vector<std::string> v;
    for (int i = from; i <= to; ++i) v.push_back(Name(i));
    return v;
  }
  Log Take() {
    Log out;
    out.swap(log_);
    return out;
  }

  Log log_;
  std::unique_ptr<FakeSource> source_;
  std::unique_ptr<RecordingLink> grid_;
  std::unique_ptr<RecordingLink> field_;
};

TEST_F(WindowTest, WindowTakesTheLargestLinkBufferCount) {
  OpenWithBoth();
  EXPECT_EQ(ds()->BufferCount(), 10);
  EXPECT_EQ(ds()->RecordCount(), 10);
  EXPECT_EQ(Rows(), Names(1, 10));
  EXPECT_EQ(grid_->RecordCount(), 10);
  EXPECT_EQ(field_->RecordCount(), 1);
  EXPECT_TRUE(ds()->Bof());
  EXPECT_FALSE(ds()->Eof());
  EXPECT_EQ(ds()->RecordSize(), 1 + 37 + 1 + 4);
}

TEST_F(WindowTest, FieldLinkFollowsTheActiveRowInsideTheGridWindow) {
  OpenWithBoth();
  EXPECT_TRUE(ds()->MoveBy(9));
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged",
                         "G:Scrolled(0)", "F:Scrolled(0)"}));
  EXPECT_EQ(ds()->ActiveRecord(), 9);
  EXPECT_EQ(grid_->FirstRecord(), 0);
  EXPECT_EQ(grid_->ActiveRecord(), 9);
  EXPECT_EQ(field_->FirstRecord(), 9);
  EXPECT_EQ(field_->ActiveRecord(), 0);
  EXPECT_EQ(Current(), "r10");
}

struct MoveCase {
  const char* name;
  std::vector<int> moves;      // MoveBy calls, the last one observed
  std::string current;         // payee of the active row afterwards
  int active;                  // ActiveRecord
  int scroll_info;             // information word of deDataSetScroll
  int grid_scrolled;           // distance the grid link was told
  int field_scrolled;          // distance the field link was told
  bool bof;
  bool eof;
  std::vector<int> window;     // first and last record in the window
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MoveTable : public WindowTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTable, EndsWithChangeThenScrollAndTheRightDistances) {
  const MoveCase& c = GetParam();
  OpenWithBoth();
  for (size_t i = 0; i + 1 < c.moves.size(); ++i) ds()->MoveBy(c.moves[i]);
  Log events;
  source_->events = &events;
  Take();
  bool result = ds()->MoveBy(c.moves.back());
  source_->events = nullptr;
  EXPECT_EQ(events, (Log{"deCheckBrowseMode", "deDataSetChange",
                         "deDataSetScroll(" + std::to_string(c.scroll_info) + ")"}))
      << c.name;
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged",
                         "G:Scrolled(" + std::to_string(c.grid_scrolled) + ")",
                         "F:Scrolled(" + std::to_string(c.field_scrolled) + ")"}))
      << c.name;
  EXPECT_EQ(Current(), c.current) << c.name;
  EXPECT_EQ(ds()->ActiveRecord(), c.active) << c.name;
  EXPECT_EQ(ds()->Bof(), c.bof) << c.name;
  EXPECT_EQ(ds()->Eof(), c.eof) << c.name;
  EXPECT_EQ(result, !c.bof && !c.eof) << c.name;
  EXPECT_EQ(Rows(), Names(c.window[0], c.window[1])) << c.name;
  // The links always show the active row.
  EXPECT_GE(ds()->ActiveRecord(), grid_->FirstRecord()) << c.name;
  EXPECT_EQ(field_->FirstRecord(), ds()->ActiveRecord()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTable,
    ::testing::Values(
        MoveCase{"down inside the window", {4}, "r05", 4, 0, 0, 0, false, false, {1, 10}},
        MoveCase{"across the bottom edge", {9, 3}, "r13", 9, -3, 3, 3, false, false, {4, 13}},
        MoveCase{"back across the top edge", {9, 3, -12}, "r01", 0, 3, -3, -3, false, false, {1, 10}},
        MoveCase{"before the first record", {2, -3}, "r01", 0, 0, 0, 0, true, false, {1, 10}},
        MoveCase{"past the last record", {30}, "r25", 9, -15, 15, 15, false, true, {16, 25}},
        MoveCase{"three more from the last row", {24, 3}, "r25", 9, 0, 0, 0, false, true, {16, 25}}));

TEST_F(WindowTest, NothingMovesAtTheEndItIsAt) {
  OpenWithBoth();
  ds()->Last();
  EXPECT_TRUE(ds()->Eof());
  Take();
  EXPECT_FALSE(ds()->MoveBy(2));
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode"}));
  ds()->First();
  Take();
  EXPECT_FALSE(ds()->MoveBy(-1));
  EXPECT_FALSE(ds()->MoveBy(0));
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:CheckBrowseMode", "F:CheckBrowseMode"}));
}

TEST_F(WindowTest, FirstAndLastFillTheWindowFromTheirEnd) {
  OpenWithBoth();
  ds()->Last();
  EXPECT_EQ(Rows(), Names(16, 25));
  EXPECT_EQ(Current(), "r25");
  EXPECT_EQ(ds()->ActiveRecord(), 9);
  EXPECT_TRUE(ds()->Eof());
  ds()->First();
  EXPECT_EQ(Rows(), Names(1, 10));
  EXPECT_EQ(Current(), "r01");
  EXPECT_TRUE(ds()->Bof());
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged",
                         "G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged"}));
}

TEST_F(WindowTest, NextAndPriorReportTheEnds) {
  field_->SetDataSource(source_.get());
  ds()->Open();
  int steps = 0;
  while (ds()->Next()) ++steps;
  EXPECT_EQ(steps, 24);
  EXPECT_EQ(Current(), "r25");
  steps = 0;
  while (ds()->Prior()) ++steps;
  EXPECT_EQ(steps, 24);
  EXPECT_EQ(Current(), "r01");
}

TEST_F(WindowTest, AttachingAGridGrowsTheWindowAroundTheActiveRecord) {
  field_->SetDataSource(source_.get());
  ds()->Open();
  ds()->MoveBy(19);
  ASSERT_EQ(ds()->BufferCount(), 1);
  ASSERT_EQ(Current(), "r20");
  grid_->SetBufferCount(10);
  grid_->SetDataSource(source_.get());
  EXPECT_EQ(ds()->BufferCount(), 10);
  EXPECT_EQ(Rows(), Names(16, 25));
  EXPECT_EQ(Current(), "r20");
  EXPECT_EQ(ds()->ActiveRecord(), 4);
  EXPECT_EQ(field_->FirstRecord(), 4);
  EXPECT_EQ(grid_->FirstRecord(), 0);
  EXPECT_EQ(grid_->ActiveRecord(), 4);
}

TEST_F(WindowTest, ShrinkingKeepsTheActiveRecordAndWhatTheLinksShow) {
  OpenWithBoth();
  ds()->MoveBy(9);
  ds()->MoveBy(3);  // window r04..r13, active r13 at the bottom
  grid_->SetBufferCount(4);
  EXPECT_EQ(ds()->BufferCount(), 4);
  EXPECT_EQ(Rows(), Names(10, 13));
  EXPECT_EQ(Current(), "r13");
  EXPECT_EQ(ds()->ActiveRecord(), 3);
  EXPECT_EQ(grid_->FirstRecord(), 0);
  EXPECT_EQ(field_->ActiveRecord(), 0);
  // Moving on works from the smaller window.
  ds()->MoveBy(1);
  EXPECT_EQ(Current(), "r14");
  EXPECT_EQ(Rows(), Names(11, 14));
}

TEST_F(WindowTest, GridOnAShortTableKeepsItsFirstRecordAtTheTop) {
  FakeSource small;
  small.AddFields();
  for (int i = 1; i <= 3; ++i) small.AddRecord(Name(i));
  RecordingLink grid("S", nullptr);
  grid.SetBufferCount(10);
  grid.SetDataSource(&small);
  small.DataSet()->Open();
  small.DataSet()->Last();
  EXPECT_EQ(small.DataSet()->RecordCount(), 3);
  EXPECT_EQ(grid.FirstRecord(), 0);
  EXPECT_EQ(grid.ActiveRecord(), 2);
  EXPECT_EQ(grid.RecordCount(), 3);
}

TEST_F(WindowTest, LinkActiveRecordCopiesThatRowIntoTheFieldBuffer) {
  OpenWithBoth();
  grid_->SetActiveRecord(6);
  EXPECT_EQ(ds()->ActiveRecord(), 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(source_->Buffer() + qptest::Layout::kPayee + 1), 3), "r07");
  grid_->SetActiveRecord(40);  // outside the window: ignored
  EXPECT_EQ(ds()->ActiveRecord(), 6);
}

TEST_F(WindowTest, DisabledControlsHoldEventsBackAndGetOneChangeAfterwards) {
  OpenWithBoth();
  ds()->DisableControls();
  ds()->DisableControls();
  ds()->MoveBy(12);
  ds()->Last();
  ds()->EnableControls();
  EXPECT_EQ(Take(), Log{});
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:DataSetChanged", "F:DataSetChanged"}));
  EXPECT_EQ(field_->FirstRecord(), ds()->ActiveRecord());
  ds()->EnableControls();  // one too many changes nothing
  EXPECT_EQ(Take(), Log{});
}

TEST_F(WindowTest, StateChangeWhileDisabledArrivesAsStateThenLayout) {
  OpenWithBoth();
  ds()->DisableControls();
  ds()->Edit();
  EXPECT_EQ(Take(), Log{});
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:Editing(on)", "F:Editing(on)", "G:LayoutChanged", "F:LayoutChanged"}));
}

TEST_F(WindowTest, ClosingWhileDisabledAnnouncesOnlyTheState) {
  OpenWithBoth();
  ds()->DisableControls();
  ds()->Close();
  ds()->EnableControls();
  EXPECT_EQ(Take(), (Log{"G:Active(off)", "F:Active(off)"}));
}

TEST_F(WindowTest, LinkStateFollowsAttachReadOnlyAndFields) {
  ds()->Open();
  field_->SetDataSource(source_.get());
  EXPECT_EQ(Take(), (Log{"F:Active(on)"}));
  field_->SetReadOnly(true);
  ds()->Edit();
  EXPECT_FALSE(field_->Editing());
  EXPECT_FALSE(field_->Edit());
  field_->SetReadOnly(false);
  EXPECT_TRUE(field_->Editing());
  ds()->Cancel();
  Take();
  field_->SetDataSource(nullptr);
  EXPECT_EQ(Take(), (Log{"F:Active(off)"}));
  EXPECT_EQ(field_->FirstRecord(), 0);

  // A data set without fields keeps its links inactive.
  FakeSource bare;
  bare.DataSet()->Open();
  RecordingLink link("B", &log_);
  link.SetDataSource(&bare);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(bare.State(), vz::dsInactive);
}

TEST_F(WindowTest, LinkEditAsksTheDataSetOnlyFromBrowse) {
  OpenWithBoth();
  EXPECT_TRUE(field_->Edit());
  EXPECT_EQ(ds()->State(), vz::dsEdit);
  ds()->Cancel();
  field_->SetDataSource(nullptr);
  EXPECT_FALSE(field_->Edit());
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
}

TEST_F(WindowTest, OnDataChangeGetsTheFieldOnlyForFieldChanges) {
  OpenWithBoth();
  std::vector<vz::TTzField*> seen;
  source_->OnDataChange = [&](vz::TObject* sender, vz::TTzField* f) {
    EXPECT_EQ(sender, source_.get());
    seen.push_back(f);
  };
  int updates = 0;
  source_->OnUpdateData = [&](vz::TObject*) { ++updates; };
  ds()->MoveBy(12);  // change, then a scroll whose word is a distance
  EXPECT_EQ(seen, (std::vector<vz::TTzField*>{nullptr, nullptr}));
  seen.clear();
  ds()->Edit();
  vz::TTzField* payee = ds()->FieldByName("payee");
  payee->SetAsString("x");
  EXPECT_EQ(seen, (std::vector<vz::TTzField*>{payee}));
  ds()->Post();
  EXPECT_EQ(updates, 1);
}

TEST_F(WindowTest, RecordChangedByTheTableShowsInTheActiveRow) {
  OpenWithBoth();
  ds()->MoveBy(2);
  Take();
  source_->SetPayeeDirect("direct");
  EXPECT_EQ(Take(), (Log{"G:LayoutChanged", "F:LayoutChanged"}));
  EXPECT_EQ(Current(), "direct");
  EXPECT_TRUE(ds()->Modified());
  EXPECT_EQ(source_->PayeeOf(3), "r03");

  ds()->DisableControls();
  source_->SetPayeeDirect("hidden");
  ds()->EnableControls();
  EXPECT_EQ(Current(), "direct");
}

TEST_F(WindowTest, ResyncAfterATableChangeRereadsTheWindow) {
  OpenWithBoth();
  ds()->MoveBy(2);  // r03
  Take();
  source_->RemoveRecordDirect(1);
  EXPECT_EQ(Current(), "r03");
  EXPECT_EQ(Rows()[0], "r02");
  Log log = Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "G:DataSetChanged"), log.end());
}

TEST_F(WindowTest, ResyncWaitsWhileTheEngineHoldsAnError) {
  OpenWithBoth();
  Take();
  vz::SetErrorQuiet(5, "access denied");
  source_->RemoveRecordDirect(1);
  EXPECT_EQ(Take(), Log{});
  EXPECT_EQ(Rows()[0], "r01");  // the window still shows what it read
}

TEST_F(WindowTest, RefreshRereadsAroundTheActiveRecord) {
  OpenWithBoth();
  ds()->MoveBy(4);
  Take();
  ds()->Refresh();
  EXPECT_EQ(Current(), "r05");
  EXPECT_EQ(Take(), (Log{"G:CheckBrowseMode", "F:CheckBrowseMode", "G:DataSetChanged", "F:DataSetChanged"}));
}

TEST_F(WindowTest, UnlinkedSourceShowsOneRowWithoutMemoText) {
  // Without a table the cursor has a current record and nothing after it,
  // as a table component at design time: one row.
  vz::TTzDataSource plain(nullptr);
  uint8_t memo[4] = {5, 0, 0, 0};
  plain.DataSet()->AddField("notes", 'M', 10, 0, memo);
  plain.DataSet()->Open();
  EXPECT_EQ(plain.DataSet()->RecordCount(), 1);
  EXPECT_FALSE(plain.DataSet()->MoveBy(1));
  EXPECT_TRUE(plain.DataSet()->Eof());
  EXPECT_EQ(plain.DataSet()->FieldByName("notes")->AsString(), "MEMO");
  EXPECT_EQ(plain.DataSet()->FieldByName("notes")->Lines(), (vz::TStrings{"Not linked"}));
}

TEST_F(WindowTest, OpeningWaitsForTheEndOfLoading) {
  vz::TComponent form(nullptr);
  form.BeginLoading();
  auto* source = new FakeSource(&form);
  source->AddFields();
  source->AddRecord("loaded");
  source->DataSet()->SetActive(true);
  EXPECT_FALSE(source->DataSet()->Active());
  form.EndLoading();
  EXPECT_TRUE(source->DataSet()->Active());
  EXPECT_EQ(source->DataSet()->FieldByName("payee")->AsString(), "loaded");
}

TEST_F(WindowTest, DeletingTheSourceDetachesItsLinks) {
  OpenWithBoth();
  source_.reset();
  EXPECT_EQ(grid_->DataSource(), nullptr);
  EXPECT_FALSE(grid_->Active());
  EXPECT_EQ(field_->DataSet(), nullptr);
}

}  // namespace
