// The table component over real files: creating and opening the check table, file name and alias rules, field
// access and its messages, cursor ends and index lists; the data set's fields (definitions, text both ways, layout,
// calculated fields); memo text through the fields, the bytes it leaves and an old memo surviving a cancelled edit.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/dataset.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "resources/strings.h"
#include "tzdbf_fixture.h"

namespace {

using qptest::Log;
using qptest::Padded;
using qptest::Raised;
using qptest::RecordingLink;
using qptest::TzDbfTest;
using Strings = std::vector<std::string>;

std::string Text(qp::StrId id) { return std::string(qp::LoadStr(id)); }

TEST_F(TzDbfTest, MissingCheckTableIsCreatedWhenLoadingEndsEachPostLeavesItsBytesAndClosingTakesTheFields) {
  form_->BeginLoading();
  t_ = MakeTable();
  t_->SetActive(true);
  EXPECT_FALSE(t_->IsOpen());
  EXPECT_FALSE(plat::Exists(Path("checks.dbf")));
  form_->EndLoading();
  EXPECT_TRUE(t_->Active());
  EXPECT_EQ(ds()->State(), vz::dsBrowse);
  EXPECT_EQ(ds()->FieldCount(), 19);
  // Byte for byte the table every earlier version made, but for the date of the last update (bytes 1-3):
  // other copies of the program and other programs rely on this layout.
  std::string b = CheckBytes();
  const std::string stored = qptest::ReadAll(std::string(QP_TEST_DATA) + "/new-checks.dbf");
  ASSERT_EQ(b.size(), stored.size());
  EXPECT_EQ(b.replace(1, 3, stored.substr(1, 3)), stored);
  EXPECT_EQ(qptest::ReadAll(Path("checks.dbt")), qptest::ReadAll(std::string(QP_TEST_DATA) + "/new-checks.dbt"));

  Linked(t_)->DataSet()->Insert();
  F("payee")->SetAsString("Müller GmbH");
  F("amtnumbers")->SetAsString("1234.5");
  F("checknum")->SetAsString("1001");
  ASSERT_TRUE(ds()->Post());
  ASSERT_EQ(t_->RecCount(), 1);
  ASSERT_EQ(Record(1).size(), static_cast<size_t>(qptest::kCheckRecord));
  EXPECT_EQ(Record(1)[0], ' ');
  EXPECT_EQ(Stored(1, "payee"), Padded("M\x81ller GmbH", 40));  // code page 437 in the file
  EXPECT_EQ(Stored(1, "checknum"), Padded("1001", 9));
  EXPECT_EQ(Stored(1, "amtnumbers"), "   1234.50");
  EXPECT_EQ(Stored(1, "notes"), std::string(10, ' '));  // no memo
  ds()->Edit();
  F("payee")->SetAsString("Zürich AG");
  ASSERT_TRUE(ds()->Post());
  EXPECT_EQ(Stored(1, "payee"), Padded("Z\x81rich AG", 40));
  EXPECT_EQ(Stored(1, "checknum"), Padded("1001", 9));  // the rest stays
  const uint16_t size = t_->FieldBufferSize();
  t_->SetActive(false);
  b = CheckBytes();
  EXPECT_EQ(qptest::Le32(b, 4), 1u);  // the header's count, written at close
  ASSERT_EQ(b.size(), static_cast<size_t>(qptest::kCheckHeader + qptest::kCheckRecord + 1));
  EXPECT_EQ(b.back(), '\x1A');
  EXPECT_TRUE(halts_.empty()) << LastReport();
  EXPECT_TRUE(warnings_.empty());
  // Closing takes the fields away with the buffer a link was given.
  uint8_t* link = nullptr;
  t_->SetFieldBufferLink(&link, size);
  t_->SetActive(true);
  EXPECT_EQ(link, t_->FieldBuffer());
  t_->SetActive(false);
  EXPECT_EQ(link, nullptr);
  EXPECT_FALSE(t_->IsOpen());
  EXPECT_EQ(ds()->FieldCount(), 0);
  EXPECT_EQ(ds()->State(), vz::dsInactive);
  t_->SetFieldBufferLink(&link, 10);  // a link of another size closes the table again
  t_->SetActive(true);
  EXPECT_FALSE(t_->IsOpen());
  EXPECT_EQ(link, nullptr);
}

TEST_F(TzDbfTest, FieldLinesAreCheckedBeforeAnyFileIsWrittenAndWithoutThemNothingOpens) {
  const struct {
    Strings lines;
    unsigned halt_code;  // the first report; 0: the table is made, with `fields` fields
    int fields;
  } cases[] = {
      {{"payee, C, 40, 0", "amount, N, 10"}, 2, 0},  // two commas make no table
      {{"payee, C, 255, 0"}, 201, 0},
      {{"amount, N, 20, 2"}, 201, 0},
      {{"amount, N, 19, 16"}, 201, 0},
      {{"amount, N, 3, 2"}, 201, 0},                    // too short for its decimals
      {{"amount, F, 20, 2", "rate, F, 30, 16"}, 0, 2},  // beyond the numeric limits
      {{"payee, Q, 10, 0"}, 201, 0},
      {{"payee, C, ten, 0"}, 201, 0},
      {{"amount, N, 10, -1"}, 201, 0},
      {{"payee, C, 40, 0", "junk, X, 500, 0", "pzip, C, 10, 0"}, 0, 2},  // type X is skipped
      {{"  payee ,c,40,0", "amount,  n , 19,15", "when, Date, 0, 0"}, 0, 3},
      {{"abcdefghijklmno, C, 254, 0", "paid, L, 0, 0"}, 0, 2},  // the longest names
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.back());
    halts_.clear();
    warnings_.clear();
    std::unique_ptr<vz::TTzDbf> t(MakeTable());
    t->DbfFields() = c.lines;
    t->SetActive(true);
    EXPECT_EQ(t->Active(), c.halt_code == 0);
    EXPECT_EQ(t->DataSet()->FieldCount(), c.fields);
    EXPECT_EQ(CheckBytes().empty(), c.halt_code != 0);
    EXPECT_EQ(warnings_, c.halt_code ? Strings{"Could not create '" + Path("checks.dbf") + "'"} : Strings{});
    EXPECT_EQ(halts_.empty() ? 0 : halts_.front().second, c.halt_code) << LastReport();
    const std::string invalid = "Invalid field definition '" + c.lines.back() + "' [CreateTable]";
    if (c.halt_code == 201) EXPECT_EQ(halts_.front().first, ReportOf(201, invalid));
    if (c.halt_code) EXPECT_EQ(LastCode(), static_cast<unsigned>(plat::kFileNotFound));  // the open that follows
    t.reset();
    std::remove(Path("checks.dbf").c_str());
  }
  // An empty field list, or no CreateIfNotFound, opens nothing (the last row left no report or warning).
  vz::TTzDbf* t = MakeTable();
  t->DbfFields().clear();
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(warnings_, (Strings{Text(qp::StrId::kFieldListEmpty), "Could not create '" + Path("checks.dbf") + "'"}));
  // Without CreateIfNotFound a missing file is an open failure, reported at level two.
  halts_.clear();
  t->DbfFields() = qp::CheckTableFields();
  t->SetCreateIfNotFound(false);
  vz::SetMessageLevel(1);
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(vz::ReportErrors());  // put back after the open
  vz::SetMessageLevel(2);
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(plat::Exists(Path("checks.dbf")));
  EXPECT_EQ(LastCode(), static_cast<unsigned>(plat::kFileNotFound));
}

TEST_F(TzDbfTest, OpenFailsWithoutTouchingOthersWhenNoWorkAreaIsFree) {
  OpenChecks();
  for (int area = 2; area <= vz::kUserWorkAreas; ++area) {
    const std::string name = "t" + std::to_string(area);
    ASSERT_TRUE(Create(name + ".dbf", qptest::Fields({{"a", 'C', 1, 0}})));
    vz::Select(area);
    ASSERT_TRUE(Use(name));
  }
  vz::TTzDbf* other = MakeTable("Other", "other");
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  EXPECT_EQ(LastReport(), ReportOf(220, "No free workarea available [Select(0)]"));
  vz::Select(vz::kUserWorkAreas);
  EXPECT_EQ(vz::Alias(), "T33");  // still open
}

TEST_F(TzDbfTest, NewFileNameReopensABlankOneClosesAndExclusiveReopensForItselfAndNamesAreTrimmed) {
  vz::TTzDbf* t = OpenChecks({"Smith"});
  t->SetDbfFileName(Path("second"));
  ASSERT_TRUE(t->Active());
  EXPECT_TRUE(plat::Exists(Path("second.dbf")));
  EXPECT_EQ(t->RecCount(), 0);
  plat::File probe;
  t->SetExclusive(true);
  ASSERT_TRUE(t->Active());
  EXPECT_EQ(probe.Open(Path("second.dbf"), plat::kModeShared), plat::kSharingViolation);
  t->SetExclusive(false);
  EXPECT_EQ(probe.Open(Path("second.dbf"), plat::kModeShared), plat::kOk);
  t->SetDbfFileName("");
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(t->IsOpen());
  // A closed table only takes the name, trimmed, with ".dbf" when it has no extension.
  const char* const cases[][2] = {{"data.", "data."}, {"checks", "checks.dbf"}, {"  old.DBF  ", "old.DBF"},
                                  {"v1.2/checks", "v1.2/checks.dbf"}, {"   ", ""}};
  for (const auto& [given, kept] : cases) {
    t->SetDbfFileName(given);
    EXPECT_EQ(t->DbfFileName(), kept) << "'" << given << "'";
  }
}

TEST_F(TzDbfTest, NamesMustStayUniqueInTheirFirstTenCharacters) {
  const std::string kNotUnique = Text(qp::StrId::kAliasNotUnique);
  const struct {
    const char *first, *wanted, *kept;
    Strings warnings;
  } cases[] = {
      {"Checks", "CHECKS", "Other", {kNotUnique}},
      {"ChecksTable1", "ChecksTable2", "Other", {kNotUnique}},
      {"Checks", "Checks2", "Checks2", {}},
      {"Checks", "  Notes  ", "Notes", {}},
      {"Checks", "   ", "Other", {Text(qp::StrId::kNameEmpty)}},
  };
  for (const auto& c : cases) {
    form_ = std::make_unique<vz::TComponent>(nullptr);
    MakeTable(c.first);
    vz::TTzDbf* second = MakeTable("Other", "other");
    warnings_.clear();
    second->SetName(c.wanted);
    EXPECT_EQ(second->Name(), c.kept) << c.wanted;
    EXPECT_EQ(warnings_, c.warnings) << c.wanted;
  }
}

TEST_F(TzDbfTest, OperationsWithoutTheTableOrWithTheWrongFieldAreReported) {
  const auto expects = [](const char* call, const char* field, const char* wanted, const char* actual) {
    return std::string("'") + call + "()' expects field '" + field + "' to be of type:\r\n'" + wanted + "'.'" + field +
           "' actually is: '" + actual + "'";
  };
  const std::string kNotIn = "' not in '" + Path("checks.dbf") + "' [GetCField]";
  const struct {
    std::function<void(vz::TTzODbf*)> call;
    unsigned code;  // 1103 before the table is open, 220 once it is
    std::string message;
  } cases[] = {
      {[](vz::TTzODbf* t) { EXPECT_EQ(t->RecCount(), 0); }, 1103, "Database is not open [RecCount]"},
      {[](vz::TTzODbf* t) { t->Append(); }, 1103, "Database is not open [Append]"},
      {[](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("payee"), ""); }, 1103, "Database is not open [GetCField]"},
      {[](vz::TTzODbf* t) { EXPECT_FALSE(t->_Post()); }, 1103, "Database is not open [_Post]"},
      {[](vz::TTzODbf* t) { EXPECT_EQ(t->GetRealField("payee"), 0); }, 220,
       expects("GetRealField", "payee", "numeric, with decimals", "Character")},
      {[](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("AMTNUMBERS"), ""); }, 220,
       expects("GetCField", "AMTNUMBERS", "character", "Numeric, width: 10 decimals: 2")},
      {[](vz::TTzODbf* t) { t->SetCField("notes", "x"); }, 220, expects("SetCField", "notes", "character", "Memo")},
      {[](vz::TTzODbf* t) { t->SetRealField("pzip", 1); }, 220,
       expects("SetRealField", "pzip", "numeric, with decimals", "Character")},
      {[](vz::TTzODbf* t) { t->PutMemo("payee", {"x"}); }, 220, expects("GetMField", "payee", "memo", "Character")},
      {[](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("payor"), ""); }, 220, "Field 'payor" + kNotIn},
      {[](vz::TTzODbf* t) {
         t->SetCField("pfirstnameXYZ", "x");  // cut to ten: found
         t->GetCField("nothere123456");
       },
       220, "Field 'nothere123" + kNotIn},
  };
  vz::TTzDbf* t = MakeTable();
  for (const auto& c : cases) {
    if (c.code == 220) t->SetActive(true);
    halts_.clear();
    c.call(t);
    ASSERT_EQ(halts_.size(), 1u) << c.message;
    EXPECT_EQ(halts_.back(), std::make_pair(ReportOf(c.code, c.message), c.code));
  }
}

TEST_F(TzDbfTest, FieldsStoreTableBytesCutToTheFieldLengthAndAMissingBookmarkGivesTheCodeWithoutAReport) {
  const char* const cases[][3] = {  // field, text, as stored
      {"checknum", "1234567890123", "123456789"}, {"bstate", "C", "C "}, {"pzip", "", "          "},
      {"payee", "M\x81ller \xE1", "M\x81ller \xE1"},  // table bytes, unconverted
  };
  vz::TTzDbf* t = OpenChecks();
  EXPECT_FALSE(t->_Refresh());  // an empty table has no record to find
  AddCheck(t, "Smith");
  t->SetCField("pzip", "12345");
  for (const auto& [field, text, stored] : cases) t->SetCField(field, text);
  t->SetRealField("amtnumbers", 1234.5);
  ASSERT_TRUE(t->ALock());
  t->Append();
  t->UnLock();
  t->_Last();
  for (const auto& [field, text, stored] : cases) {
    EXPECT_EQ(Stored(2, field).substr(0, std::string(stored).size()), stored) << field;
    EXPECT_EQ(t->GetCField(field).substr(0, std::string(stored).size()), stored) << field;
  }
  EXPECT_EQ(Stored(2, "amtnumbers"), "   1234.50");
  EXPECT_DOUBLE_EQ(t->GetRealField("amtnumbers"), 1234.5);
  uint8_t bookmark[4] = {};
  vz::SetSlotInt32(bookmark, 7);
  EXPECT_EQ(t->SetToBookmark(bookmark), 212);
  EXPECT_TRUE(vz::ReportErrors());
  vz::SetSlotInt32(bookmark, 1);
  EXPECT_EQ(t->SetToBookmark(bookmark), 0);
  // A value set by the table component shows in the data set's current row.
  t->DataSet()->First();
  t->SetCField("payee", "Brown");
  EXPECT_EQ(t->DataSet()->FieldByName("payee")->AsString(), "Brown");
  EXPECT_TRUE(t->DataSet()->Modified());
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

// Another program's odd slot sizes and stored forms: edited fields are written in their slots, the rest kept as is.
TEST_F(TzDbfTest, PostWritesEditedFieldsInTheirSlotsAndKeepsTheStoredTextOfTheOthers) {
  vz::TTzDataSet* ds = OpenRaw("odd", 3,
                               {{"WHEN", 'D', 3, 0}, {"NAME", 'C', 5, 0}, {"N", 'N', 2, 1}, {"TAIL", 'C', 4, 0},
                                {"BORN", 'D', 8, 0}, {"BIG", 'N', 12, 0}, {"NONE", 'D', 8, 0}},
                               {" 202hello 5tail19991231 1234567890100000000"})
                           ->DataSet();
  EXPECT_EQ(ds->FieldByName("n")->AsString(), "5");
  ds->Edit();
  ds->FieldByName("name")->SetAsString("world");
  ds->FieldByName("when")->SetAsString("12/25/26");
  ds->FieldByName("tail")->SetAsString("end");
  ASSERT_TRUE(ds->Post());
  EXPECT_EQ(qptest::ReadAll(Path("odd.dbf")).substr(32 * 8 + 1 + 1 + 3), "world 5end 19991231 1234567890100000000\x1A");
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

TEST_F(TzDbfTest, IndexListWithoutAnIndexEngineFailsTheOpen) {
  vz::TTzDbf* t = MakeTable();
  t->IndexList() = {"0, checks.ndx, PAYEE"};
  t->SetActive(true);
  EXPECT_FALSE(t->IsOpen());
  EXPECT_EQ(LastReport(), ReportOf(220, "Index unit not linked in. [OpenIndexes]"));
  EXPECT_TRUE(vz::ReportErrors());
  // A build is asked for first; refused, only the open is left to fail.
  halts_.clear();
  t->IndexList() = {"2, payee.ndx, UPPER(PAYEE)", "0, amt.ndx, STR(AMTNUMBERS,10,2)"};
  t->SetCreateIndex(vz::ciAlways);
  Strings asked;
  t->OnBeforeMakeIndex = [&](const std::string& name, bool& can_make) {
    asked.push_back(name);
    can_make = false;
  };
  t->SetActive(true);
  EXPECT_EQ(asked, (Strings{"payee.ndx", "amt.ndx"}));
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(LastCode(), 220u);
}

class FieldTest : public qptest::TzDbfTest {
 protected:
  // Another program's table with a field of each type and two records, open with `link_` on record 1.
  void SetUp() override {
    TzDbfTest::SetUp();
    t_ = Linked(OpenRaw("typed", 0x83,
                        {{"PAYEE", 'C', 10, 0}, {"AMOUNT", 'N', 10, 2}, {"COUNT", 'N', 5, 0}, {"PAID", 'L', 1, 0},
                         {"CHKDATE", 'D', 8, 0}, {"NOTES", 'M', 10, 0}},
                        {" ann          1234.50   42F                  ",
                         " bob            -0.25   -7F                -3"}));
  }
};

TEST_F(TzDbfTest, AddFieldNormalisesOrRefuses) {
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
    const std::string got = Raised([&] {
      vz::TTzField* f = ds->AddField(c.name, c.type, c.size, c.decimals, nullptr);
      throw std::runtime_error(f->FieldName() + " " + f->DataType() + " " + std::to_string(f->Size()) + "." +
                               std::to_string(f->Decimals()) + "/" + std::to_string(f->DataSize()));
    });
    EXPECT_EQ(got, c.result) << "'" << c.name << "' " << c.type;
    EXPECT_LE(ds->FieldCount(), 2);
  }
}

TEST_F(FieldTest, EachTypeReadsAsTextHasItsWidthAndTypingRulesOnlyMemosHaveLinesAndNamesAreFoundInAnyCase) {
  EXPECT_EQ(F("PAYEE"), ds()->Fields(0));
  EXPECT_EQ(ds()->FindField("pay"), nullptr);
  EXPECT_EQ(Raised([&] { F("pay"); }), "Field 'pay' not found");
  Strings first, second, widths;
  for (int i = 0; i < 6; ++i) first.push_back(ds()->Fields(i)->AsString());
  for (int i = 0; i < 6; ++i) widths.push_back(std::to_string(ds()->Fields(i)->DisplayWidth()));
  EXPECT_TRUE(F("notes")->Lines().empty());
  // A memo's text is not set as a value; storing a note in a new place each time belongs to the table.
  ds()->Edit();
  F("notes")->SetLines({"two"});
  F("notes")->SetAsString("ignored");
  EXPECT_EQ(F("notes")->Lines(), (vz::TStrings{"two"}));
  const std::string memos = qptest::ReadAll(Path("typed.dbt"));
  EXPECT_EQ(Raised([&] { F("payee")->Lines(); }), "Field 'payee' is not of the expected type");
  EXPECT_EQ(Raised([&] { F("payee")->SetLines({"x"}); }), "Field 'payee' is not of the expected type");
  EXPECT_EQ(qptest::ReadAll(Path("typed.dbt")), memos);
  ds()->Cancel();
  ds()->Next();
  for (int i = 0; i < 6; ++i) second.push_back(ds()->Fields(i)->AsString());
  EXPECT_EQ(first, (Strings{"ann", "1234.50", "42", "false", "  /  /  ", "none"}));
  EXPECT_EQ(second, (Strings{"bob", "-0.25", "-7", "false", "  /  /  ", "BLOB"}));
  EXPECT_EQ(widths, (Strings{"10", "10", "5", "5", "8", "5"}));
  struct {
    const char* field;
    std::u32string accepted, refused;
  } rules[] = {{"amount", U"0189+-.", U"a ,e/"}, {"count", U"09+-", U".,a "},
               {"chkdate", U"09/", U"-.a "},    {"payee", U"a Z9,.ü€", U""}};
  for (const auto& r : rules) {
    for (char32_t c : r.accepted) EXPECT_TRUE(F(r.field)->IsValidChar(c)) << r.field << " " << int(c);
    for (char32_t c : r.refused) EXPECT_FALSE(F(r.field)->IsValidChar(c)) << r.field << " " << int(c);
  }
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
  for (const auto& [field, text, reads] : cases) {
    SCOPED_TRACE(std::string(field) + " <- '" + text + "'");
    ds()->Edit();
    vz::TTzField* f = F(field);
    const std::string before = f->AsString();
    log_.clear();
    const std::string raised = Raised([&] { f->SetAsString(text); });
    EXPECT_EQ(raised == "(nothing raised)", reads != nullptr) << raised;
    EXPECT_EQ(log_, reads ? Log{"L:RecordChanged(" + std::string(field) + ")"} : Log{});
    ds()->Post();  // a refused value left nothing to post
    EXPECT_EQ(f->AsString(), reads ? reads : before);
  }
}

TEST_F(FieldTest, MovingOrRealigningAFieldIsALayoutChangeAndCalculatedFieldsAreComputedPerRow) {
  using Events = std::vector<vz::TDataEvent>;
  Events events;
  t_->events = &events;
  F("payee")->SetIndex(3);
  EXPECT_EQ(ds()->Fields(3)->FieldName(), "payee");
  EXPECT_EQ(events, (Events{vz::deLayoutChange, vz::deFieldListChange}));
  F("payee")->SetIndex(99);
  EXPECT_EQ(F("payee")->Index(), 5);
  F("payee")->SetIndex(-4);
  EXPECT_EQ(F("payee")->Index(), 0);
  EXPECT_EQ(F("count")->AsString(), "42");  // values stay with their fields
  events.clear();
  F("payee")->SetAlignment(vz::taCenter);
  F("payee")->SetAlignment(vz::taCenter);
  EXPECT_EQ(events, Events{vz::deLayoutChange});
  ds()->Close();
  events.clear();
  F("payee")->SetIndex(2);
  EXPECT_EQ(events, Events{});
  // A calculated field is computed per row from the fetched record.
  vz::TTzField* shout = ds()->AddField("shout", 'C', 12, 0, nullptr);
  shout->SetCalculated(true);
  Strings states;
  ds()->OnCalcFields = [&](vz::TTzDataSet* d) {
    states.push_back(qptest::StateName(d->State()));
    shout->SetAsString(d->FieldByName("payee")->AsString() + "!");
  };
  RecordingLink grid("G", nullptr);
  grid.SetBufferCount(3);
  grid.SetDataSource(t_);
  ds()->Open();
  ds()->SetActiveRecord(1);
  EXPECT_EQ(shout->AsString(), "bob!");
  ds()->SetActiveRecord(0);
  EXPECT_EQ(shout->AsString(), "ann!");
  EXPECT_EQ(states.front(), "dsCalcFields");
  ds()->Edit();
  F("payee")->SetAsString("dee");
  EXPECT_EQ(shout->AsString(), "dee!");
  EXPECT_EQ(ds()->State(), vz::dsEdit);
}

class TzDbfMemoTest : public qptest::TzDbfTest {
 protected:
  // The memo manager started and the check table open with one record, linked.
  void SetUp() override {
    TzDbfTest::SetUp();
    vz::StartMemoManager();
    t_ = OpenLinked({"Smith"});
  }
  vz::TTzField* Notes() { return F("notes"); }
  // Stores the lines as the note of the current record through the data set.
  void Post(const vz::TStrings& lines) {
    ds()->Edit();
    Notes()->SetLines(lines);
    ASSERT_TRUE(ds()->Post());
  }
  std::string MemoBytes() const { return qptest::ReadAll(Path("checks.dbt")); }
};

TEST_F(TzDbfMemoTest, LinesRoundTripThroughTheMemoFileWhateverNameTheFieldIsStoredUnder) {
  const std::string kLong = std::string(300, 'w') + " " + std::string(299, 'v');
  const struct {
    vz::TStrings typed, read_back;
    std::string stored;  // the memo's bytes, 0x1A included
  } cases[] = {
      {{"Müller, Hauptstraße 5, Zürich"}, {"Müller, Hauptstraße 5, Zürich"},
       "M\x81ller, Hauptstra\xE1" "e 5, Z\x81rich\x1A"},
      {{"Paid 5 €", "Łodz"}, {"Paid 5 ?", "?odz"}, "Paid 5 ?\r\n?odz\x1A"},  // characters the code page lacks
      {{"a", "", "c"}, {"a", "", "c"}, "a\r\n\r\nc\x1A"},
      {{kLong}, {kLong}, kLong + "\x1A"},
      {{"paid", ""}, {"paid", ""}, "paid\r\n\x1A"},
      {{"one\ntwo"}, {"one", "two"}, "one\r\ntwo\x1A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.substr(0, 20));
    Post(c.typed);
    const size_t block = std::stoul(Stored(1, "notes"));
    EXPECT_EQ(MemoBytes().substr(block * 512, c.stored.size()), c.stored);
    t_->SetActive(false);
    t_->SetActive(true);
    ds()->First();
    EXPECT_EQ(Notes()->Lines(), c.read_back);
    EXPECT_EQ(Notes()->AsString(), "MEMO");
    // Its own lines handed back, as a caller may: the note is stored as it was, in a new place.
    Post(Notes()->Lines());
    EXPECT_GT(std::stoul(Stored(1, "notes")), block);
    EXPECT_EQ(MemoBytes().substr(std::stoul(Stored(1, "notes")) * 512, c.stored.size()), c.stored);
  }
  // Other programs' memo fields whose names the data set changes for its own fields store their notes all the same.
  const char* const names[][2] = {{"MY NOTE", "my_note"}, {"\x01NOTES", "notes"}};  // stored name, field
  for (const auto& [stored, field] : names) {
    SCOPED_TRACE(field);
    t_ = Linked(OpenRaw(field, 0x83, {{"TITLE", 'C', 5, 0}, {stored, 'M', 10, 0}}, {" one            "}));
    ds()->Edit();
    F(field)->SetLines({"kept"});
    ASSERT_TRUE(ds()->Post());
    t_->SetActive(false);
    t_->SetActive(true);
    ds()->First();
    EXPECT_EQ(F(field)->Lines(), vz::TStrings{"kept"});
  }
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

TEST_F(TzDbfMemoTest, EmptyTextLeavesNoMemoTheFirstTakesBlockOneAndTooManyLinesOrNoMemoFileAreRefused) {
  Post({});
  EXPECT_EQ(MemoBytes().size(), 513u);
  EXPECT_EQ(Notes()->AsString(), "none");
  EXPECT_TRUE(Notes()->Lines().empty());
  Post({"called 9:15"});
  EXPECT_EQ(Stored(1, "notes"), "         1");
  EXPECT_THROW(t_->PutMemo("notes", vz::TStrings(vz::Settings().MaxMemoLines + 1, "x")), vz::EVozuvError);
  EXPECT_EQ(vz::SlotInt32(t_->FieldAddress(19)), 1);
  // Another program's table: a memo field, but a version byte saying there is no memo file.
  t_ = OpenRaw("plain", 3, {{"NOTES", 'M', 10, 0}}, {"           "});
  vz::SetReportErrors(false);
  ds()->Edit();
  EXPECT_THROW(Notes()->SetLines({"lost"}), vz::EVozuvError);
  EXPECT_EQ(Notes()->AsString(), "none");
}

TEST_F(TzDbfMemoTest, CancelledEditKeepsTheRecordsOldMemo) {
  vz::Settings().MemoVersion = 0x8B;  // memos rewritten in place when they fit
  Post({"first"});
  ds()->Edit();
  Notes()->SetLines({"second"});
  ds()->Cancel();
  EXPECT_EQ(Notes()->Lines(), vz::TStrings{"first"});
  Post({"third"});
  EXPECT_EQ(Notes()->Lines(), vz::TStrings{"third"});
}

}  // namespace
