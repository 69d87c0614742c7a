// The record window: its size from the links, moving through it, the data
// events and distances the links see, and held-back events while controls
// are disabled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/dataset.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::Log;
using qptest::RecordingLink;

// The payees r<from>..r<to>, two digits each.
std::vector<std::string> Names(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back((i < 10 ? "r0" : "r") + std::to_string(i));
  return v;
}

class WindowTest : public qptest::TzDbfTest {
 protected:
  // The check table with records r01..r25, a grid link (10 rows) and a
  // field link (1 row) on it, on record 1.
  void OpenWithBoth() {
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

TEST_F(WindowTest, MovesEndWithChangeThenScrollAndTheRightDistances) {
  const struct {
    std::vector<int> moves;  // MoveBy calls from record 1; the last one is observed
    std::string current;
    int active;
    int scroll_info;    // information word of deDataSetScroll
    int link_scrolled;  // distance both links were told
    bool bof, eof;
    int first, last;  // records in the window
  } cases[] = {
      {{9}, "r10", 9, 0, 0, false, false, 1, 10},            // inside the window
      {{9, 3}, "r13", 9, -3, 3, false, false, 4, 13},        // across the bottom edge
      {{9, 3, -12}, "r01", 0, 3, -3, false, false, 1, 10},   // back across the top edge
      {{2, -3}, "r01", 0, 0, 0, true, false, 1, 10},         // before the first record
      {{30}, "r25", 9, -15, 15, false, true, 16, 25},        // past the last record
      {{24, 3}, "r25", 9, 0, 0, false, true, 16, 25},        // three on from the last row
  };
  OpenWithBoth();
  Log events;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current + " after " + std::to_string(c.moves.back()));
    t_->events = nullptr;
    ds()->First();
    for (size_t i = 0; i + 1 < c.moves.size(); ++i) ds()->MoveBy(c.moves[i]);
    t_->events = &events;
    events.clear();
    Take();
    bool result = ds()->MoveBy(c.moves.back());
    std::string d = std::to_string(c.link_scrolled);
    EXPECT_EQ(events, (Log{"deCheckBrowseMode", "deDataSetChange", "deDataSetScroll(" + std::to_string(c.scroll_info) + ")"}));
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

TEST_F(WindowTest, ShrinkingKeepsTheActiveRecordAndWhatTheLinksShow) {
  OpenWithBoth();
  ds()->MoveBy(12);  // window r04..r13, r13 at the bottom
  grid_.SetBufferCount(4);
  EXPECT_EQ(ds()->BufferCount(), 4);
  EXPECT_EQ(Rows(), Names(10, 13));
  EXPECT_EQ(ds()->ActiveRecord(), 3);
  EXPECT_EQ(grid_.FirstRecord(), 0);
  EXPECT_EQ(field_.ActiveRecord(), 0);
  ds()->MoveBy(1);
  EXPECT_EQ(Rows(), Names(11, 14));
}

TEST_F(WindowTest, DisabledControlsHoldEventsBackAndReplayThemOnce) {
  OpenWithBoth();
  ds()->DisableControls();
  ds()->DisableControls();
  ds()->MoveBy(12);
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
}

TEST_F(WindowTest, LinkStateFollowsAttachReadOnlyAndFields) {
  t_ = OpenChecks({"ann"});
  field_.SetDataSource(t_);
  field_.SetReadOnly(true);
  EXPECT_FALSE(field_.Edit());
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
  ds()->Edit();
  EXPECT_FALSE(field_.Editing());
  field_.SetReadOnly(false);
  field_.SetDataSource(nullptr);
  EXPECT_EQ(Take(), (Log{"F:Active(on)", "F:CheckBrowseMode", "F:Editing(on)", "F:Active(off)", "F:Editing(off)"}));
  // Without fields a data set keeps its links inactive.
  vz::TTzDataSource bare(nullptr);
  bare.DataSet()->Open();
  RecordingLink link("B", nullptr);
  link.SetDataSource(&bare);
  EXPECT_FALSE(link.Active());
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
  EXPECT_EQ(plain.DataSet()->FieldByName("notes")->Lines(), (vz::TStrings{"Not linked"}));
}

TEST_F(WindowTest, DeletingTheSourceDetachesItsLinks) {
  OpenWithBoth();
  delete t_;
  EXPECT_EQ(grid_.DataSource(), nullptr);
  EXPECT_FALSE(grid_.Active());
  EXPECT_EQ(field_.DataSet(), nullptr);
}

}  // namespace
