// Fields: definitions, lookup, values as text both ways, memo lines through
// the source, display width, typing rules, order, calculated fields.
#include <gtest/gtest.h>

#include <utility>

#include "components/dataset.h"
#include "engine/national.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::Log;
using qptest::Raised;
using qptest::RecordingLink;

class FieldTest : public qptest::TzDbfTest {
 protected:
  // Another program's table with a field of each type and two records, open
  // with `link_` on record 1.
  void OpenWithRecords() {
    t_ = Linked(OpenRaw("typed", 0x83,
                        {{"PAYEE", 'C', 10, 0}, {"AMOUNT", 'N', 10, 2}, {"COUNT", 'N', 5, 0}, {"PAID", 'L', 1, 0},
                         {"CHKDATE", 'D', 8, 0}, {"NOTES", 'M', 10, 0}},
                        {" ann          1234.50   42F                  ",
                         " bob            -0.25   -7F                -3"}));
  }
};

TEST_F(FieldTest, AddFieldNormalisesOrRefuses) {
  const struct {
    const char* name;
    char type;
    int size, decimals;
    const char* result;  // "name T size.decimals/data size", or the error
  } cases[] = {
      {"  Payee ", 'c', 0, 3, "payee C 1.0/2"}, {"payee", 'C', 40, 0, "payee C 40.0/41"},
      {"my field", 'C', 5, 0, "my_field C 5.0/6"}, {"abcdefghijklm", 'C', 5, 0, "abcdefghij C 5.0/6"},
      {"big", 'C', 300, 0, "big C 255.0/256"}, {"chkdate", 'd', 3, 2, "chkdate D 8.0/11"},
      {"amt", 'n', 25, 4, "amt N 19.4/6"}, {"amt", 'N', 0, 0, "amt N 1.0/4"}, {"amt", 'F', 5, 9, "amt F 5.3/6"},
      {"amt", 'N', 1, 1, "amt N 1.0/4"}, {"amt", 'N', 10, -2, "amt N 10.0/4"}, {"flag", 'l', 9, 9, "flag L 1.0/1"},
      {"notes", 'm', 4, 2, "notes M 10.0/4"}, {"", 'C', 5, 0, "Field name missing"},
      {"   ", 'C', 5, 0, "Field name missing"}, {"1abc", 'C', 5, 0, "Invalid field name '1abc'"},
      {"a-b", 'C', 5, 0, "Invalid field name 'a-b'"}, {"x", 'Q', 5, 0, "Invalid field type 'Q' for 'x'"},
      // Duplicates are caught in their final form.
      {"LONG_NAME_ONE", 'C', 5, 0, "Duplicate field name 'long_name_'"},
      {"long name_two", 'C', 5, 0, "Duplicate field name 'long_name_'"},
  };
  vz::TTzDataSource plain(nullptr);
  vz::TTzDataSet* ds = plain.DataSet();
  for (const auto& c : cases) {
    ds->DestroyFields();
    ds->AddField("long_name_one", 'C', 10, 0, nullptr);
    EXPECT_EQ(Raised([&] {
                vz::TTzField* f = ds->AddField(c.name, c.type, c.size, c.decimals, nullptr);
                throw std::runtime_error(f->FieldName() + " " + f->DataType() + " " + std::to_string(f->Size()) +
                                         "." + std::to_string(f->Decimals()) + "/" + std::to_string(f->DataSize()));
              }),
              c.result)
        << "'" << c.name << "' " << c.type;
    EXPECT_LE(ds->FieldCount(), 2);
  }
}

TEST_F(FieldTest, ReadsEachTypeAsTextAndFindsFieldsWhateverTheirCase) {
  OpenWithRecords();
  EXPECT_EQ(F("PAYEE"), ds()->Fields(0));
  EXPECT_EQ(ds()->FindField("pay"), nullptr);
  EXPECT_EQ(Raised([&] { F("pay"); }), "Field 'pay' not found");
  std::vector<std::string> first, second;
  for (int i = 0; i < 6; ++i) first.push_back(ds()->Fields(i)->AsString());
  ds()->Next();
  for (int i = 0; i < 6; ++i) second.push_back(ds()->Fields(i)->AsString());
  EXPECT_EQ(first, (std::vector<std::string>{"ann", "1234.50", "42", "false", "  /  /  ", "none"}));
  EXPECT_EQ(second, (std::vector<std::string>{"bob", "-0.25", "-7", "false", "  /  /  ", "BLOB"}));
  EXPECT_TRUE(F("notes")->IsBlob());
  EXPECT_FALSE(F("payee")->IsBlob());
  vz::SetDecimalSeparator(',');
  EXPECT_EQ(F("amount")->AsString(), "-0,25");
  delete F("count");
  EXPECT_EQ(ds()->FindField("count"), nullptr);
  EXPECT_EQ(ds()->FieldCount(), 5);
}

TEST_F(FieldTest, StoresTextAndReadsItBackFromTheTable) {
  const char* const cases[][3] = {  // field, text, read back (nullptr: refused)
      {"payee", "abcdefghijklmnop", "abcdefghij"}, {"payee", "Müller", "Müller"}, {"payee", "5 €", "5 ?"},
      {"amount", "1234.5", "1234.50"}, {"amount", " +3 ", "3.00"}, {"amount", "", "0.00"}, {"amount", "-0.001", "0.00"},
      {"amount", "12a", nullptr}, {"amount", "1e5", nullptr}, {"amount", "1.2.3", nullptr}, {"count", "-7", "-7"},
      {"count", "1.5", nullptr}, {"count", "99999999999", nullptr}, {"paid", "Yes", "true"}, {"paid", "TRUE", "true"},
      {"paid", ".T.", "true"}, {"paid", "no", "false"}, {"chkdate", "12/5/98", "12/05/98"},
      {"chkdate", " 1/ 5/98", "01/05/98"}, {"chkdate", "", "  /  /  "}, {"chkdate", "13/45/98", nullptr},
      {"chkdate", "2/30/98", nullptr}};
  OpenWithRecords();
  for (const auto& [field, text, reads] : cases) {
    SCOPED_TRACE(std::string(field) + " <- '" + text + "'");
    ds()->Edit();
    vz::TTzField* f = F(field);
    std::string before = f->AsString();
    log_.clear();
    if (!reads) {
      EXPECT_NE(Raised([&] { f->SetAsString(text); }), "(nothing raised)");
      EXPECT_EQ(f->AsString(), before);
      ds()->Cancel();
      continue;
    }
    f->SetAsString(text);
    EXPECT_EQ(log_, (Log{"L:RecordChanged(" + std::string(field) + ")"}));
    ds()->Post();
    EXPECT_EQ(f->AsString(), reads);
  }
}

TEST_F(FieldTest, DisplayWidthAndTypingRulesByType) {
  OpenWithRecords();
  std::vector<int> widths;
  for (int i = 0; i < 6; ++i) widths.push_back(ds()->Fields(i)->DisplayWidth());
  EXPECT_EQ(widths, (std::vector<int>{10, 10, 5, 5, 8, 5}));
  struct {
    const char* field;
    std::u32string accepted, refused;
  } rules[] = {{"amount", U"0189+-.", U"a ,e/"}, {"count", U"09+-", U".,a "},
               {"chkdate", U"09/", U"-.a "},    {"payee", U"a Z9,.ü€", U""}};
  for (const auto& r : rules) {
    for (char32_t c : r.accepted) EXPECT_TRUE(F(r.field)->IsValidChar(c)) << r.field << " " << int(c);
    for (char32_t c : r.refused) EXPECT_FALSE(F(r.field)->IsValidChar(c)) << r.field << " " << int(c);
  }
}

// Storing a note in a new place each time belongs to the table (see the memo tests).
TEST_F(FieldTest, OnlyMemosHaveLinesAndTheirTextIsNotSetAsAValue) {
  OpenWithRecords();
  EXPECT_TRUE(F("notes")->Lines().empty());
  ds()->Edit();
  F("notes")->SetLines({"two"});
  F("notes")->SetAsString("ignored");
  EXPECT_EQ(F("notes")->Lines(), (vz::TStrings{"two"}));
  const std::string memos = qptest::ReadAll(Path("typed.dbt"));
  EXPECT_EQ(Raised([&] { F("payee")->Lines(); }), "Field 'payee' is not of the expected type");
  EXPECT_EQ(Raised([&] { F("payee")->SetLines({"x"}); }), "Field 'payee' is not of the expected type");
  EXPECT_EQ(qptest::ReadAll(Path("typed.dbt")), memos);
}

TEST_F(FieldTest, MovingAFieldOrRealigningItIsALayoutChange) {
  OpenWithRecords();
  Log events;
  t_->events = &events;
  F("payee")->SetIndex(3);
  EXPECT_EQ(ds()->Fields(3)->FieldName(), "payee");
  EXPECT_EQ(events, (Log{"deLayoutChange", "deFieldListChange"}));
  F("payee")->SetIndex(99);
  EXPECT_EQ(F("payee")->Index(), 5);
  F("payee")->SetIndex(-4);
  EXPECT_EQ(F("payee")->Index(), 0);
  EXPECT_EQ(F("count")->AsString(), "42");  // values stay with their fields
  events.clear();
  F("payee")->SetAlignment(vz::taCenter);
  F("payee")->SetAlignment(vz::taCenter);
  EXPECT_EQ(events, (Log{"deLayoutChange"}));
  ds()->Close();
  events.clear();
  F("payee")->SetIndex(2);
  EXPECT_EQ(events, Log{});
}

TEST_F(FieldTest, CalculatedFieldsAreComputedPerRowFromTheFetchedRecord) {
  OpenWithRecords();
  ds()->Close();
  vz::TTzField* shout = ds()->AddField("shout", 'C', 12, 0, nullptr);
  shout->SetCalculated(true);
  std::vector<std::string> states;
  ds()->OnCalcFields = [&](vz::TTzDataSet* d) {
    states.push_back(qptest::StateName(d->State()));
    shout->SetAsString(d->FieldByName("payee")->AsString() + "!");
  };
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(3);
  grid.SetDataSource(t_);
  ds()->Open();
  std::vector<std::string> rows;
  for (int i = 0; i < 2; ++i) {
    ds()->SetActiveRecord(i);
    rows.push_back(shout->AsString());
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"ann!", "bob!"}));
  EXPECT_EQ(states.front(), "dsCalcFields");
  ds()->SetActiveRecord(0);
  ds()->Edit();
  F("payee")->SetAsString("dee");
  EXPECT_EQ(shout->AsString(), "dee!");
  EXPECT_EQ(ds()->State(), vz::dsEdit);
}

}  // namespace
