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

class TzDbfMemoTest : public qptest::TzDbfTest {
 protected:
  void SetUp() override {
    TzDbfTest::SetUp();
    vz::StartMemoManager();
  }
  // The check table with one record, the link on it, and the data set there.
  vz::TTzDbf* OpenWithRecord() { return OpenLinked({"Smith"}); }
  vz::TTzField* Notes(vz::TTzDbf* t) { return t->DataSet()->FieldByName("notes"); }
  // Stores the lines as the note of the current record through the data set.
  void Post(vz::TTzDbf* t, const vz::TStrings& lines) {
    t->DataSet()->Edit();
    Notes(t)->SetLines(lines);
    ASSERT_TRUE(t->DataSet()->Post());
  }
  std::string MemoBytes() const { return qptest::ReadAll(Path("checks.dbt")); }
};

struct LinesCase {
  const char* label;
  vz::TStrings typed, read_back;
  std::string stored;  // the memo's bytes from block 1, 0x1A included
};

class MemoLinesTable : public TzDbfMemoTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(MemoLinesTable, LinesRoundTripThroughTheMemoFile) {
  const LinesCase& c = GetParam();
  vz::TTzDbf* t = OpenWithRecord();
  Post(t, c.typed);
  EXPECT_EQ(MemoBytes().substr(512, c.stored.size()), c.stored);
  EXPECT_EQ(Stored(1, "notes"), "         1");
  t->SetActive(false);
  t->SetActive(true);
  t->DataSet()->First();
  EXPECT_EQ(Notes(t)->Lines(), c.read_back);
  EXPECT_EQ(Notes(t)->AsString(), "MEMO");
  // Its own lines handed back, as a caller may: the note is stored as it was, in a new place.
  Post(t, Notes(t)->Lines());
  EXPECT_EQ(MemoBytes().substr(std::stoul(Stored(1, "notes")) * 512, c.stored.size()), c.stored);
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

const std::string kLong = std::string(300, 'w') + " " + std::string(299, 'v');

INSTANTIATE_TEST_SUITE_P(
    Texts, MemoLinesTable,
    ::testing::Values(LinesCase{"Umlauts", {"Müller, Hauptstraße 5, Zürich"}, {"Müller, Hauptstraße 5, Zürich"},
                                "M\x81ller, Hauptstra\xE1" "e 5, Z\x81rich\x1A"},
                      LinesCase{"CharacterTheCodePageLacks", {"Paid 5 €", "Łodz"}, {"Paid 5 ?", "?odz"},
                                "Paid 5 ?\r\n?odz\x1A"},
                      LinesCase{"EmptyLinesKept", {"a", "", "c"}, {"a", "", "c"}, "a\r\n\r\nc\x1A"},
                      LinesCase{"LongLineStaysOneLine", {kLong}, {kLong}, kLong + "\x1A"},
                      LinesCase{"LineEndAtTheEndIsKept", {"paid", ""}, {"paid", ""}, "paid\r\n\x1A"},
                      LinesCase{"LineFeedInsideALineEndsIt", {"one\ntwo"}, {"one", "two"}, "one\r\ntwo\x1A"}),
    [](const auto& info) { return std::string(info.param.label); });

// Other programs' memo fields whose names the data set changes for its own
// fields: their notes are stored all the same.
TEST_F(TzDbfMemoTest, MemoFieldWhoseNameTheDataSetChangedStoresItsNote) {
  const char* const cases[][2] = {{"MY NOTE", "my_note"}, {"\x01NOTES", "notes"}};  // stored name, field
  for (const auto& [stored, field] : cases) {
    SCOPED_TRACE(field);
    qptest::WriteAll(Path("other.dbf"), qptest::RawDbf(0x83, {{"TITLE", 'C', 5, 0}, {stored, 'M', 10, 0}},
                                                       {" one            "}));
    std::string memo(513, '\0');
    memo[0] = 1;
    memo[512] = 0x1A;
    qptest::WriteAll(Path("other.dbt"), memo);
    vz::TTzDbf* t = OpenTable("other");
    vz::TTzDataSet* ds = t->DataSet();
    link_.SetDataSource(t);
    ds->First();
    ds->Edit();
    ds->FieldByName(field)->SetLines({"kept"});
    ASSERT_TRUE(ds->Post());
    t->SetActive(false);
    t->SetActive(true);
    ds->First();
    EXPECT_EQ(ds->FieldByName(field)->Lines(), vz::TStrings{"kept"});
    EXPECT_TRUE(halts_.empty()) << LastReport();
    link_.SetDataSource(nullptr);
    delete t;
  }
}

TEST_F(TzDbfMemoTest, NoteForATableWithoutItsMemoFileIsRefused) {
  // Another program's table: a memo field, but a version byte that says
  // there is no memo file.
  qptest::WriteAll(Path("plain.dbf"), qptest::RawDbf(3, {{"NOTES", 'M', 10, 0}}, {"           "}));
  vz::TTzDbf* t = OpenTable("plain");
  vz::SetReportErrors(false);
  t->DataSet()->Edit();
  EXPECT_THROW(Notes(t)->SetLines({"lost"}), vz::EVozuvError);
  EXPECT_EQ(Notes(t)->AsString(), "none");
}

TEST_F(TzDbfMemoTest, EmptyTextLeavesNoMemoAndTheNotesWindowPathStoresTheBlockThroughReplace) {
  vz::TTzDbf* t = OpenWithRecord();
  Post(t, {});
  EXPECT_EQ(MemoBytes().size(), 513u);
  EXPECT_EQ(Notes(t)->AsString(), "none");
  EXPECT_TRUE(Notes(t)->Lines().empty());
  t->PutMemo("NOTES", {"called 9:15", "confirmed"});
  ASSERT_TRUE(t->RLock());
  t->Replace();
  t->UnLock();
  EXPECT_EQ(Stored(1, "notes"), "         1");
  vz::TStrings lines;
  t->GetMemo(1, lines);
  EXPECT_EQ(lines, (vz::TStrings{"called 9:15", "confirmed"}));
}

TEST_F(TzDbfMemoTest, CancelledEditKeepsTheRecordsOldMemo) {
  vz::Settings().MemoVersion = 0x8B;  // memos rewritten in place when they fit
  vz::TTzDbf* t = OpenWithRecord();
  Post(t, {"first"});
  t->DataSet()->Edit();
  Notes(t)->SetLines({"second"});
  t->DataSet()->Cancel();
  EXPECT_EQ(Notes(t)->Lines(), vz::TStrings{"first"});
  Post(t, {"third"});
  EXPECT_EQ(Notes(t)->Lines(), vz::TStrings{"third"});
}

TEST_F(TzDbfMemoTest, TooManyLinesAreRefusedAndTheSlotKeepsItsBlock) {
  vz::TTzDbf* t = OpenWithRecord();
  t->PutMemo("notes", {"kept"});
  const int32_t before = vz::SlotInt32(t->FieldAddress(19));
  EXPECT_THROW(t->PutMemo("notes", vz::TStrings(vz::Settings().MaxMemoLines + 1, "x")), vz::EVozuvError);
  EXPECT_EQ(vz::SlotInt32(t->FieldAddress(19)), before);
}

}  // namespace
