// Memo text through the table component: lines in and out of the memo file
// by way of the data set's fields, the bytes they leave, the code page, and
// the record's old memo surviving a cancelled edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/dataset.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/memo.h"
#include "engine/settings.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::TzDbfTest;

class TzDbfMemoTest : public TzDbfTest {
 protected:
  void SetUp() override {
    TzDbfTest::SetUp();
    vz::StartMemoManager();
  }
  void TearDown() override {
    link_.SetDataSource(nullptr);
    TzDbfTest::TearDown();
  }
  // The check table with one record, a link on it, and the data set there.
  vz::TTzDbf* OpenWithRecord() {
    vz::TTzDbf* t = OpenChecks();
    AddCheck(t, "Smith");
    link_.SetDataSource(t);
    t->DataSet()->First();
    return t;
  }
  vz::TTzField* Notes(vz::TTzDbf* t) { return t->DataSet()->FieldByName("notes"); }
  std::string MemoBytes() const { return qptest::ReadAll(Path("checks.dbt")); }

  vz::TTzDataLink link_;
};

struct LinesCase {
  const char* label;
  vz::TStrings typed;
  vz::TStrings read_back;
  std::string stored;  // the memo's bytes from block 1, 0x1A included
};
using qptest::PrintTo;

class MemoLinesTable : public TzDbfMemoTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(MemoLinesTable, LinesRoundTripThroughTheMemoFile) {
  const LinesCase& c = GetParam();
  vz::TTzDbf* t = OpenWithRecord();
  vz::TTzDataSet* ds = t->DataSet();
  ds->Edit();
  Notes(t)->SetLines(c.typed);
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(MemoBytes().substr(512, c.stored.size()), c.stored);
  EXPECT_EQ(Stored(1, 381, 10), "         1");

  t->SetActive(false);
  t->SetActive(true);
  ds->First();
  EXPECT_EQ(Notes(t)->Lines(), c.read_back);
  EXPECT_EQ(Notes(t)->AsString(), "MEMO");
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MemoLinesTable,
    ::testing::Values(
        LinesCase{"Umlauts",
                  {"Müller, Hauptstraße 5, Zürich"},
                  {"Müller, Hauptstraße 5, Zürich"},
                  "M\x81ller, Hauptstra\xE1" "e 5, Z\x81rich\x1A"},
        LinesCase{"CharacterTheCodePageLacks", {"Paid 5 €", "Łodz"}, {"Paid 5 ?", "?odz"}, "Paid 5 ?\r\n?odz\x1A"},
        LinesCase{"EmptyLinesKept", {"a", "", "c"}, {"a", "", "c"}, "a\r\n\r\nc\x1A"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfMemoTest, EmptyTextLeavesNoMemo) {
  vz::TTzDbf* t = OpenWithRecord();
  vz::TTzDataSet* ds = t->DataSet();
  ds->Edit();
  Notes(t)->SetLines({});
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(MemoBytes().size(), 513u);
  EXPECT_EQ(Notes(t)->AsString(), "none");
  EXPECT_TRUE(Notes(t)->Lines().empty());
}

TEST_F(TzDbfMemoTest, NotesWindowPathStoresTheBlockThroughReplace) {
  vz::TTzDbf* t = OpenWithRecord();
  t->PutMemo("NOTES", {"called 9:15", "confirmed"});
  ASSERT_TRUE(t->RLock());
  t->Replace();
  t->UnLock();
  EXPECT_EQ(Stored(1, 381, 10), "         1");
  vz::TStrings lines;
  t->GetMemo(1, lines);
  EXPECT_EQ(lines, (vz::TStrings{"called 9:15", "confirmed"}));
}

TEST_F(TzDbfMemoTest, CancelledEditKeepsTheRecordsOldMemo) {
  vz::Settings().MemoVersion = 0x8B;  // memos rewritten in place when they fit
  vz::TTzDbf* t = OpenWithRecord();
  vz::TTzDataSet* ds = t->DataSet();
  ds->Edit();
  Notes(t)->SetLines({"first"});
  ASSERT_TRUE(ds->Post());
  ds->Edit();
  Notes(t)->SetLines({"second"});
  ds->Cancel();
  EXPECT_EQ(Notes(t)->Lines(), vz::TStrings{"first"});
  ds->Edit();
  Notes(t)->SetLines({"third"});
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(Notes(t)->Lines(), vz::TStrings{"third"});
}

TEST_F(TzDbfMemoTest, MemoThatCannotBeReadThrows) {
  vz::TTzDbf* t = OpenWithRecord();
  vz::TStrings lines{"stale"};
  EXPECT_THROW(t->GetMemo(40, lines), vz::EVozuvError);
  EXPECT_TRUE(lines.empty());
  ASSERT_FALSE(halts_.empty());
  EXPECT_EQ(halts_.front().second, 1003u);
}

TEST_F(TzDbfMemoTest, TooManyLinesAreRefusedAndTheSlotKeepsItsBlock) {
  vz::TTzDbf* t = OpenWithRecord();
  t->PutMemo("notes", {"kept"});
  const int32_t before = vz::SlotInt32(t->FieldAddress(19));
  vz::TStrings many(vz::Settings().MaxMemoLines + 1, "x");
  EXPECT_THROW(t->PutMemo("notes", many), vz::EVozuvError);
  EXPECT_EQ(vz::SlotInt32(t->FieldAddress(19)), before);
}

}  // namespace
