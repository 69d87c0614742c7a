// Fields: definitions, lookup, values as text in both directions, memo
// lines through the source, display width, typing rules, order and
// alignment.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/dataset.h"
#include "components/messages.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "engine/real48.h"
#include "fake_source.h"

namespace {

using qptest::FakeSource;
using qptest::Layout;
using qptest::RecordingLink;
using Log = std::vector<std::string>;

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vz::ResetErrorStateForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    source_ = std::make_unique<FakeSource>();
  }
  void TearDown() override {
    link_.reset();
    source_.reset();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    vz::ResetErrorStateForTesting();
  }
  void OpenWithRecords() {
    source_->AddFields();
    source_->AddRecord("ann", 1234.5, 42, 0);
    source_->AddRecord("bob", -0.25, -7, -3);
    link_ = std::make_unique<RecordingLink>("L", &log_);
    link_->SetDataSource(source_.get());
    ds()->Open();
    log_.clear();
  }
  vz::TTzDataSet* ds() { return source_->DataSet(); }
  vz::TTzField* F(const char* name) { return ds()->FieldByName(name); }
  static std::string Raised(const std::function<void()>& f) {
    try {
      f();
    } catch (const vz::EVozuvError& e) {
      return e.what();
    }
    return "(nothing raised)";
  }

  Log log_;
  std::unique_ptr<FakeSource> source_;
  std::unique_ptr<RecordingLink> link_;
};

// ---- definitions ----

struct DefCase {
  const char* name;
  char type;
  int size;
  int decimals;
  const char* want_name;  // nullptr: an error is expected
  char want_type;
  int want_size;
  int want_decimals;
  int want_data_size;
  const char* error;
};

void PrintTo(const DefCase& c, std::ostream* os) { *os << "'" << c.name << "' " << c.type; }

class DefinitionTable : public FieldTest, public ::testing::WithParamInterface<DefCase> {};

TEST_P(DefinitionTable, AddFieldNormalisesOrRefuses) {
  const DefCase& c = GetParam();
  if (!c.want_name) {
    EXPECT_EQ(Raised([&] { ds()->AddField(c.name, c.type, c.size, c.decimals, nullptr); }), c.error);
    EXPECT_EQ(ds()->FieldCount(), 0);
    return;
  }
  vz::TTzField* f = ds()->AddField(c.name, c.type, c.size, c.decimals, nullptr);
  EXPECT_EQ(f->FieldName(), c.want_name);
  EXPECT_EQ(f->DataType(), c.want_type);
  EXPECT_EQ(f->Size(), c.want_size);
  EXPECT_EQ(f->Decimals(), c.want_decimals);
  EXPECT_EQ(f->DataSize(), c.want_data_size);
  EXPECT_EQ(ds()->Fields(0), f);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DefinitionTable,
    ::testing::Values(
        DefCase{"  Payee ", 'c', 0, 3, "payee", 'C', 1, 0, 2, nullptr},
        DefCase{"payee", 'C', 40, 0, "payee", 'C', 40, 0, 41, nullptr},
        DefCase{"my field", 'C', 5, 0, "my_field", 'C', 5, 0, 6, nullptr},
        DefCase{"abcdefghijklm", 'C', 5, 0, "abcdefghij", 'C', 5, 0, 6, nullptr},
        DefCase{"big", 'C', 300, 0, "big", 'C', 255, 0, 256, nullptr},
        DefCase{"chkdate", 'd', 3, 2, "chkdate", 'D', 8, 0, 11, nullptr},
        DefCase{"amt", 'n', 25, 4, "amt", 'N', 19, 4, 6, nullptr},
        DefCase{"amt", 'N', 0, 0, "amt", 'N', 1, 0, 4, nullptr},
        DefCase{"amt", 'F', 5, 9, "amt", 'F', 5, 3, 6, nullptr},
        DefCase{"amt", 'N', 1, 1, "amt", 'N', 1, 0, 4, nullptr},
        DefCase{"amt", 'N', 10, -2, "amt", 'N', 10, 0, 4, nullptr},
        DefCase{"flag", 'l', 9, 9, "flag", 'L', 1, 0, 1, nullptr},
        DefCase{"notes", 'm', 4, 2, "notes", 'M', 10, 0, 4, nullptr},
        DefCase{"", 'C', 5, 0, nullptr, 0, 0, 0, 0, "Field name missing"},
        DefCase{"   ", 'C', 5, 0, nullptr, 0, 0, 0, 0, "Field name missing"},
        DefCase{"1abc", 'C', 5, 0, nullptr, 0, 0, 0, 0, "Invalid field name '1abc'"},
        DefCase{"_abc", 'C', 5, 0, nullptr, 0, 0, 0, 0, "Invalid field name '_abc'"},
        DefCase{"a-b", 'C', 5, 0, nullptr, 0, 0, 0, 0, "Invalid field name 'a-b'"},
        DefCase{"x", 'Q', 5, 0, nullptr, 0, 0, 0, 0, "Invalid field type 'Q' for 'x'"}));

TEST_F(FieldTest, DuplicateNamesAreCaughtInTheirFinalForm) {
  ds()->AddField("payee", 'C', 10, 0, nullptr);
  ds()->AddField("long_name_one", 'C', 10, 0, nullptr);
  ds()->AddField("my_field", 'C', 10, 0, nullptr);
  EXPECT_EQ(Raised([&] { ds()->AddField("PAYEE", 'C', 10, 0, nullptr); }), "Duplicate field name 'payee'");
  EXPECT_EQ(Raised([&] { ds()->AddField("long_name_two", 'C', 10, 0, nullptr); }),
            "Duplicate field name 'long_name_'");
  EXPECT_EQ(Raised([&] { ds()->AddField("my field", 'C', 10, 0, nullptr); }), "Duplicate field name 'my_field'");
  EXPECT_EQ(ds()->FieldCount(), 3);
}

TEST_F(FieldTest, FieldByNameIgnoresCase) {
  OpenWithRecords();
  EXPECT_EQ(ds()->FieldByName("PAYEE"), ds()->Fields(0));
  EXPECT_EQ(ds()->FindField("ChkDate"), ds()->Fields(4));
  EXPECT_EQ(ds()->FindField("pay"), nullptr);
  EXPECT_EQ(Raised([&] { ds()->FieldByName("pay"); }), "Field 'pay' not found");
}

TEST_F(FieldTest, OffsetsFollowFieldOrderFromOne) {
  OpenWithRecords();
  std::vector<int> offsets;
  for (int i = 0; i < ds()->FieldCount(); ++i) offsets.push_back(ds()->Fields(i)->Offset());
  EXPECT_EQ(offsets, (std::vector<int>{1, 12, 18, 22, 23, 34}));
  EXPECT_EQ(ds()->BookmarkSize(), 4);
}

TEST_F(FieldTest, DeletingAFieldTakesItOutOfTheList) {
  OpenWithRecords();
  delete ds()->FieldByName("count");
  EXPECT_EQ(ds()->FieldCount(), 5);
  EXPECT_EQ(ds()->FindField("count"), nullptr);
  ds()->DestroyFields();
  EXPECT_EQ(ds()->FieldCount(), 0);
  EXPECT_EQ(source_->State(), vz::dsInactive);
}

// ---- values ----

TEST_F(FieldTest, ReadsEachTypeAsText) {
  OpenWithRecords();
  EXPECT_EQ(F("payee")->AsString(), "ann");
  EXPECT_EQ(F("amount")->AsString(), "1234.50");
  EXPECT_EQ(F("count")->AsString(), "42");
  EXPECT_EQ(F("paid")->AsString(), "false");
  EXPECT_EQ(F("chkdate")->AsString(), "  /  /  ");
  EXPECT_EQ(F("notes")->AsString(), "none");
  ds()->Next();
  EXPECT_EQ(F("amount")->AsString(), "-0.25");
  EXPECT_EQ(F("count")->AsString(), "-7");
  EXPECT_EQ(F("notes")->AsString(), "BLOB");
  EXPECT_TRUE(F("notes")->IsBlob());
  EXPECT_FALSE(F("payee")->IsBlob());
}

TEST_F(FieldTest, NumbersUseTheNationalDecimalSeparator) {
  OpenWithRecords();
  vz::SetDecimalSeparator(',');
  EXPECT_EQ(F("amount")->AsString(), "1234,50");
  ds()->Edit();
  F("amount")->SetAsString("12,5");
  EXPECT_EQ(F("amount")->AsString(), "12,50");
  F("amount")->SetAsString("7.25");
  EXPECT_EQ(F("amount")->AsString(), "7,25");
}

struct WriteCase {
  const char* field;
  const char* text;
  const char* reads;  // nullptr: the write is refused
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.field << " <- '" << c.text << "'"; }

class WriteTable : public FieldTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteTable, StoresTextAndReadsItBack) {
  const WriteCase& c = GetParam();
  OpenWithRecords();
  ds()->Edit();
  vz::TTzField* f = F(c.field);
  std::string before = f->AsString();
  if (!c.reads) {
    EXPECT_NE(Raised([&] { f->SetAsString(c.text); }), "(nothing raised)");
    EXPECT_EQ(f->AsString(), before);
    return;
  }
  log_.clear();
  f->SetAsString(c.text);
  EXPECT_EQ(f->AsString(), c.reads);
  EXPECT_EQ(log_, (Log{"L:RecordChanged(" + std::string(c.field) + ")"}));
  ds()->Post();
  EXPECT_EQ(f->AsString(), c.reads);  // as stored in the table
}

INSTANTIATE_TEST_SUITE_P(
    Types, WriteTable,
    ::testing::Values(WriteCase{"payee", "zed", "zed"}, WriteCase{"payee", "abcdefghijklmnop", "abcdefghij"},
                      WriteCase{"payee", "Müller", "Müller"}, WriteCase{"payee", "5 €", "5 ?"},
                      WriteCase{"amount", "1234.5", "1234.50"}, WriteCase{"amount", " +3 ", "3.00"},
                      WriteCase{"amount", "", "0.00"}, WriteCase{"amount", "-0.001", "0.00"},
                      WriteCase{"amount", "12a", nullptr}, WriteCase{"amount", "1e5", nullptr},
                      WriteCase{"amount", "1.2.3", nullptr}, WriteCase{"count", "42", "42"},
                      WriteCase{"count", "-7", "-7"}, WriteCase{"count", "1.5", nullptr},
                      WriteCase{"count", "99999999999", nullptr}, WriteCase{"paid", "Yes", "true"},
                      WriteCase{"paid", "TRUE", "true"}, WriteCase{"paid", ".T.", "true"},
                      WriteCase{"paid", "no", "false"}, WriteCase{"paid", "x", "false"},
                      WriteCase{"chkdate", "12/5/98", "12/05/98"}, WriteCase{"chkdate", " 1/ 5/98", "01/05/98"},
                      WriteCase{"chkdate", "  /  /  ", "  /  /  "}, WriteCase{"chkdate", "", "  /  /  "},
                      WriteCase{"chkdate", "13/45/98", nullptr}, WriteCase{"chkdate", "2/30/98", nullptr}));

TEST_F(FieldTest, MemoTextIsNotSetThroughAsString) {
  OpenWithRecords();
  ds()->Edit();
  log_.clear();
  F("notes")->SetAsString("anything");
  EXPECT_EQ(F("notes")->AsString(), "none");
  EXPECT_EQ(log_, Log{});
}

TEST_F(FieldTest, DatesFollowTheCenturySetting) {
  OpenWithRecords();
  vz::SetCenturyOn(true);
  ds()->Edit();
  F("chkdate")->SetAsString("12/5/2026");
  EXPECT_EQ(F("chkdate")->AsString(), "12/05/2026");
  EXPECT_EQ(F("chkdate")->DisplayWidth(), 10);
  vz::SetCenturyOn(false);
  EXPECT_EQ(F("chkdate")->DisplayWidth(), 8);
}

TEST_F(FieldTest, DisplayWidthByType) {
  OpenWithRecords();
  EXPECT_EQ(F("payee")->DisplayWidth(), 10);
  EXPECT_EQ(F("amount")->DisplayWidth(), 10);
  EXPECT_EQ(F("count")->DisplayWidth(), 5);
  EXPECT_EQ(F("paid")->DisplayWidth(), 5);  // "false"
  EXPECT_EQ(F("notes")->DisplayWidth(), 5);
}

struct CharCase {
  const char* field;
  const char32_t* accepted;
  const char32_t* refused;
};

void PrintTo(const CharCase& c, std::ostream* os) { *os << c.field; }

class CharTable : public FieldTest, public ::testing::WithParamInterface<CharCase> {};

TEST_P(CharTable, AcceptsOnlyWhatTheTypeCanHold) {
  const CharCase& c = GetParam();
  OpenWithRecords();
  vz::TTzField* f = F(c.field);
  for (const char32_t* p = c.accepted; *p; ++p) EXPECT_TRUE(f->IsValidChar(*p)) << c.field << " " << int(*p);
  for (const char32_t* p = c.refused; *p; ++p) EXPECT_FALSE(f->IsValidChar(*p)) << c.field << " " << int(*p);
}

INSTANTIATE_TEST_SUITE_P(Types, CharTable,
                         ::testing::Values(CharCase{"amount", U"0189+-.", U"a ,e/"},
                                           CharCase{"count", U"0189+-", U".,a "},
                                           CharCase{"chkdate", U"0189/", U"-.a "},
                                           CharCase{"payee", U"a Z9,.ü€", U""},
                                           CharCase{"paid", U"tTyY", U""}));

TEST_F(FieldTest, TypingRulesFollowTheNationalSeparators) {
  OpenWithRecords();
  vz::ApplyRegionalSettings({",", ".", "dd.MM.yyyy"});
  EXPECT_TRUE(F("amount")->IsValidChar(U','));
  EXPECT_TRUE(F("chkdate")->IsValidChar(U'.'));
  EXPECT_FALSE(F("chkdate")->IsValidChar(U'/'));
}

// ---- memo lines ----

TEST_F(FieldTest, MemoLinesSurviveARoundTripThroughTheSource) {
  OpenWithRecords();
  ds()->Edit();
  vz::TStrings typed = {"Müller, Hauptstraße 5, Zürich", "Price: 5 €", "", "plain"};
  log_.clear();
  F("notes")->SetLines(typed);
  EXPECT_EQ(log_, (Log{"L:RecordChanged(notes)"}));
  EXPECT_EQ(F("notes")->AsString(), "MEMO");
  ASSERT_TRUE(ds()->Post());

  // The memo holds table (code page 437) bytes: ü is 0x81, ß 0xE1.
  ASSERT_EQ(source_->Memos().size(), 1u);
  const vz::TStrings& stored = source_->Memos().begin()->second;
  EXPECT_EQ(stored[0], "M\x81ller, Hauptstra\xE1" "e 5, Z\x81rich");

  ds()->Next();
  ds()->Prior();
  EXPECT_EQ(F("notes")->Lines(), (vz::TStrings{"Müller, Hauptstraße 5, Zürich", "Price: 5 ?", "", "plain"}));
}

TEST_F(FieldTest, EachWriteStoresANewMemo) {
  OpenWithRecords();
  ds()->Edit();
  F("notes")->SetLines({"one"});
  F("notes")->SetLines({"two"});
  EXPECT_EQ(source_->Memos().size(), 2u);
  EXPECT_EQ(F("notes")->Lines(), (vz::TStrings{"two"}));
}

TEST_F(FieldTest, MemoLinesComeFromTheActiveRow) {
  OpenWithRecords();
  source_->Memos()[9] = {"first record's memo"};
  ds()->Edit();
  int32_t nine = 9;
  std::memcpy(source_->Buffer() + Layout::kNotes, &nine, 4);
  F("notes")->SetLines({"x"});  // writes block 1 into buffer and row
  source_->log = &log_;
  log_.clear();
  F("notes")->Lines();
  EXPECT_EQ(log_, (Log{"GetMemo(1)"}));
}

TEST_F(FieldTest, EmptyMemoReadsAsNoLines) {
  OpenWithRecords();
  EXPECT_TRUE(F("notes")->Lines().empty());
}

TEST_F(FieldTest, LinesOnAnotherTypeRaisesAndClears) {
  OpenWithRecords();
  EXPECT_EQ(Raised([&] { F("payee")->Lines(); }), "Field 'payee' is not of the expected type");
  EXPECT_EQ(Raised([&] { F("payee")->SetLines({"x"}); }), "Field 'payee' is not of the expected type");
  EXPECT_TRUE(source_->Memos().empty());
}

// ---- order and alignment ----

TEST_F(FieldTest, MovingAFieldReordersAndTellsTheLinks) {
  OpenWithRecords();
  Log events;
  source_->events = &events;
  F("payee")->SetIndex(3);
  EXPECT_EQ(ds()->Fields(3)->FieldName(), "payee");
  EXPECT_EQ(F("payee")->Index(), 3);
  EXPECT_EQ(events, (Log{"deLayoutChange", "deFieldListChange"}));
  EXPECT_EQ(log_, (Log{"L:LayoutChanged"}));
  events.clear();
  F("payee")->SetIndex(99);
  EXPECT_EQ(F("payee")->Index(), 5);
  F("payee")->SetIndex(-4);
  EXPECT_EQ(F("payee")->Index(), 0);
  // Values stay with their fields.
  EXPECT_EQ(F("payee")->AsString(), "ann");
  EXPECT_EQ(F("count")->AsString(), "42");

  ds()->Close();
  events.clear();
  F("payee")->SetIndex(2);
  EXPECT_EQ(events, Log{});
}

TEST_F(FieldTest, AlignmentChangeIsALayoutChange) {
  OpenWithRecords();
  EXPECT_EQ(F("payee")->Alignment(), vz::taLeftJustify);
  EXPECT_EQ(F("amount")->Alignment(), vz::taRightJustify);
  F("payee")->SetAlignment(vz::taCenter);
  F("payee")->SetAlignment(vz::taCenter);
  EXPECT_EQ(log_, (Log{"L:LayoutChanged"}));
}

// ---- calculated fields ----

TEST_F(FieldTest, CalculatedFieldsAreComputedPerRowFromTheFetchedRecord) {
  source_->AddFields();
  for (const char* p : {"ann", "bob", "cy"}) source_->AddRecord(p);
  vz::TTzField* shout = ds()->AddField("shout", 'C', 12, 0, nullptr);
  shout->SetCalculated(true);
  std::vector<std::string> states;
  ds()->OnCalcFields = [&](vz::TTzDataSet* d) {
    states.push_back(qptest::StateName(d->State()));
    d->FieldByName("shout")->SetAsString(d->FieldByName("payee")->AsString() + "!");
  };
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(3);
  grid.SetDataSource(source_.get());
  ds()->Open();
  std::vector<std::string> rows;
  for (int i = 0; i < 3; ++i) {
    ds()->SetActiveRecord(i);
    rows.push_back(shout->AsString());
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"ann!", "bob!", "cy!"}));
  EXPECT_EQ(states.front(), "dsCalcFields");

  ds()->SetActiveRecord(0);
  ds()->Edit();
  F("payee")->SetAsString("dee");
  EXPECT_EQ(shout->AsString(), "dee!");
  EXPECT_EQ(ds()->State(), vz::dsEdit);
}

}  // namespace
