// The table component over real files: creating the check table from its
// field list, the rules for field lines, opening and closing with the data
// set, the file name and alias rules, field access by name with its
// messages, the cursor operations at the table's ends, and index lists.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "components/dataset.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "resources/strings.h"
#include "tests/components/tzdbf_fixture.h"

namespace {

using qptest::kCheckHeader;
using qptest::kCheckRecord;
using qptest::Le16;
using qptest::Le32;
using qptest::TzDbfTest;

std::string Text(qp::StrId id) { return std::string(qp::LoadStr(id)); }

// ---- creation ------------------------------------------------------------------------

TEST_F(TzDbfTest, MissingCheckTableIsCreatedFromTheFieldListAndOpened) {
  vz::TTzDbf* t = OpenChecks();
  const std::string b = CheckBytes();
  ASSERT_EQ(b.size(), static_cast<size_t>(kCheckHeader + 1));
  EXPECT_EQ(static_cast<uint8_t>(b[0]), 0x83);  // a table with memo fields
  EXPECT_EQ(Le32(b, 4), 0u);
  EXPECT_EQ(Le16(b, 8), static_cast<uint32_t>(kCheckHeader));
  EXPECT_EQ(Le16(b, 10), static_cast<uint32_t>(kCheckRecord));
  EXPECT_EQ(b.substr(32, 6), std::string("PAYEE\0", 6));
  EXPECT_EQ(b.substr(32 + 3 * 32, 11), std::string("AMTNUMBERS\0", 11));
  EXPECT_EQ(b[32 + 3 * 32 + 11], 'F');
  EXPECT_EQ(b[32 + 3 * 32 + 16], 10);
  EXPECT_EQ(b[32 + 3 * 32 + 17], 2);
  EXPECT_EQ(b.substr(32 + 18 * 32, 6), std::string("NOTES\0", 6));
  EXPECT_EQ(b[32 + 18 * 32 + 11], 'M');
  EXPECT_EQ(static_cast<uint8_t>(b[kCheckHeader - 1]), 0x0D);
  EXPECT_EQ(static_cast<uint8_t>(b[kCheckHeader]), 0x1A);
  EXPECT_EQ(qptest::ReadAll(Path("checks.dbt")).size(), 513u);

  vz::TTzDataSet* ds = t->DataSet();
  ASSERT_EQ(ds->FieldCount(), 19);
  const char* const names[] = {"payee",      "amtenglish", "checknum", "amtnumbers", "chkdate",
                               "acctnum",    "abanum",     "bcity",    "bstate",     "bzip",
                               "baddress",   "bname",      "pfirstname", "plastname", "paddress",
                               "pcity",      "pstate",     "pzip",     "notes"};
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(ds->Fields(i)->FieldName(), names[i]);
    EXPECT_TRUE(ds->Fields(i)->IsTableField());
  }
  EXPECT_EQ(ds->FieldByName("amtnumbers")->DataType(), 'F');
  EXPECT_EQ(ds->FieldByName("amtnumbers")->Decimals(), 2);
  EXPECT_EQ(ds->FieldByName("notes")->DataType(), 'M');
  EXPECT_EQ(ds->State(), vz::dsBrowse);
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TzDbfTest, ExistingTableIsOpenedAsItIsNotRecreated) {
  auto fields = qptest::Fields({{"other", 'C', 5, 0}});
  ASSERT_TRUE(vz::CreateDBF(Path("checks.dbf"), fields));
  vz::TTzDbf* t = OpenChecks();
  ASSERT_EQ(t->DataSet()->FieldCount(), 1);
  EXPECT_EQ(t->DataSet()->Fields(0)->FieldName(), "other");
}

struct LineCase {
  const char* label;
  std::vector<std::string> lines;
  bool table_made;
  unsigned halt_code;  // the first report, 0 for none
  int fields;          // of the table made
};
using qptest::PrintTo;

class FieldLineTable : public TzDbfTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(FieldLineTable, LinesAreCheckedBeforeAnyFileIsWritten) {
  const LineCase& c = GetParam();
  vz::TTzDbf* t = MakeTable();
  t->DbfFields() = c.lines;
  t->SetActive(true);
  EXPECT_EQ(qptest::ReadAll(Path("checks.dbf")).empty(), !c.table_made);
  if (c.table_made) {
    EXPECT_TRUE(halts_.empty()) << LastReport();
    ASSERT_TRUE(t->Active());
    EXPECT_EQ(t->DataSet()->FieldCount(), c.fields);
    return;
  }
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(t->DataSet()->FieldCount(), 0);
  EXPECT_EQ(warnings_, std::vector<std::string>{"Could not create '" + Path("checks.dbf") + "'"});
  ASSERT_FALSE(halts_.empty());
  EXPECT_EQ(halts_.front().second, c.halt_code);
  if (c.halt_code == 201) {
    EXPECT_EQ(halts_.front().first,
              ReportOf(201, "Invalid field definition '" + c.lines.back() + "' [CreateTable]"));
  }
  // The open that follows finds no file.
  EXPECT_EQ(halts_.back().second, static_cast<unsigned>(plat::kFileNotFound));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FieldLineTable,
    ::testing::Values(
        LineCase{"TwoCommasMakeNoTable", {"payee, C, 40, 0", "amount, N, 10"}, false, 2, 0},
        LineCase{"FourCommasMakeNoTable", {"payee, C, 40, 0, 1"}, false, 2, 0},
        LineCase{"CharacterOf300", {"payee, C, 300, 0"}, false, 201, 0},
        LineCase{"CharacterOf255", {"payee, C, 255, 0"}, false, 201, 0},
        LineCase{"NumericOf20", {"amount, N, 20, 2"}, false, 201, 0},
        LineCase{"NumericWith16Decimals", {"amount, N, 19, 16"}, false, 201, 0},
        LineCase{"NumericTooShortForItsDecimals", {"amount, N, 3, 2"}, false, 201, 0},
        LineCase{"FloatOf30", {"amount, F, 30, 2"}, false, 201, 0},
        LineCase{"UnknownType", {"payee, Q, 10, 0"}, false, 201, 0},
        LineCase{"LengthNotANumber", {"payee, C, ten, 0"}, false, 201, 0},
        LineCase{"NegativeDecimals", {"amount, N, 10, -1"}, false, 201, 0},
        LineCase{"TypeXIsSkipped", {"payee, C, 40, 0", "junk, X, 500, 0", "pzip, C, 10, 0"}, true, 0, 2},
        LineCase{"LowerCaseTypeAndBlanks", {"  payee ,c,40,0", "amount,  n , 19,15", "when, Date, 0, 0"}, true, 0, 3},
        LineCase{"LongestNames", {"abcdefghijklmno, C, 254, 0", "paid, L, 0, 0"}, true, 0, 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfTest, EmptyFieldListWarnsAndMakesNoTable) {
  vz::TTzDbf* t = MakeTable();
  t->DbfFields().clear();
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(warnings_, (std::vector<std::string>{Text(qp::StrId::kFieldListEmpty),
                                                 "Could not create '" + Path("checks.dbf") + "'"}));
}

TEST_F(TzDbfTest, WithoutCreateIfNotFoundAMissingFileIsAReportedOpenFailure) {
  vz::TTzDbf* t = MakeTable();
  t->SetCreateIfNotFound(false);
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(plat::Exists(Path("checks.dbf")));
  EXPECT_EQ(LastCode(), static_cast<unsigned>(plat::kFileNotFound));
}

TEST_F(TzDbfTest, MessageLevelOneKeepsTheOpenFailureQuiet) {
  vz::SetMessageLevel(1);
  vz::TTzDbf* t = MakeTable();
  t->SetCreateIfNotFound(false);
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(vz::ReportErrors());  // put back after the open
}

// ---- opening, closing, names -------------------------------------------------------

TEST_F(TzDbfTest, ClosingTakesTheFieldsAwayWithTheBuffer) {
  vz::TTzDbf* t = OpenChecks();
  const uint16_t size = t->FieldBufferSize();
  t->SetActive(false);
  uint8_t* link = nullptr;
  t->SetFieldBufferLink(&link, size);
  t->SetActive(true);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link, t->FieldBuffer());
  EXPECT_EQ(t->DataSet()->FieldCount(), 19);
  t->SetActive(false);
  EXPECT_EQ(link, nullptr);
  EXPECT_FALSE(t->IsOpen());
  EXPECT_EQ(t->WorkArea(), 0);
  EXPECT_EQ(t->FieldBuffer(), nullptr);
  EXPECT_EQ(t->DataSet()->FieldCount(), 0);
  EXPECT_EQ(t->DataSet()->State(), vz::dsInactive);
}

TEST_F(TzDbfTest, BufferLinkOfAnotherSizeClosesTheTableAgain) {
  vz::TTzDbf* t = MakeTable();
  uint8_t* link = nullptr;
  t->SetFieldBufferLink(&link, 10);
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(t->IsOpen());
  EXPECT_EQ(link, nullptr);
  EXPECT_EQ(t->DataSet()->FieldCount(), 0);
}

TEST_F(TzDbfTest, TableOpensUnderTheFirstTenCharactersOfItsName) {
  vz::TTzDbf* t = MakeTable("CheckTable1X");
  t->SetActive(true);
  vz::Select(t->WorkArea());
  EXPECT_EQ(vz::Alias(), "CHECKTABLE");
}

TEST_F(TzDbfTest, OpenLeavesTheCurrentWorkAreaSelected) {
  auto fields = qptest::Fields({{"a", 'C', 1, 0}});
  ASSERT_TRUE(vz::CreateDBF(Path("plain.dbf"), fields));
  vz::Select(5);
  vz::TTzODbf o(nullptr);
  ASSERT_TRUE(o.Open(Path("plain") + " ALIAS PLAIN"));
  EXPECT_EQ(vz::CurrentArea(), 5);
  EXPECT_EQ(o.WorkArea(), 1);  // the lowest free one
  EXPECT_EQ(o.RecCount(), 0);
  EXPECT_EQ(vz::CurrentArea(), 1);  // every operation selects its own
}

TEST_F(TzDbfTest, OpenFailsWithoutTouchingOthersWhenNoWorkAreaIsFree) {
  OpenChecks();
  std::vector<std::string> names;
  for (int area = 2; area <= vz::kUserWorkAreas; ++area) {
    std::string name = "t" + std::to_string(area);
    auto fields = qptest::Fields({{"a", 'C', 1, 0}});
    ASSERT_TRUE(vz::CreateDBF(Path(name + ".dbf"), fields));
    vz::Select(area);
    ASSERT_TRUE(vz::USE(Path(name)));
  }
  vz::TTzDbf* other = MakeTable("Other", "other");
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  EXPECT_EQ(LastReport(), ReportOf(220, "No free workarea available [Select(0)]"));
  vz::Select(vz::kUserWorkAreas);
  EXPECT_EQ(vz::Alias(), "T33");  // still open
}

struct FileNameCase {
  const char* label;
  const char* given;
  const char* kept;
};

class FileNameTable : public TzDbfTest, public ::testing::WithParamInterface<FileNameCase> {};

TEST_P(FileNameTable, NameIsTrimmedAndGetsDbfOnlyWithoutExtension) {
  vz::TTzDbf t(nullptr);
  t.SetDbfFileName(GetParam().given);
  EXPECT_EQ(t.DbfFileName(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameTable,
                         ::testing::Values(FileNameCase{"DotKeptWithoutExtension", "data.", "data."},
                                           FileNameCase{"PlainName", "checks", "checks.dbf"},
                                           FileNameCase{"OwnExtension", "  old.DBF  ", "old.DBF"},
                                           FileNameCase{"DotInFolderOnly", "v1.2/checks", "v1.2/checks.dbf"},
                                           FileNameCase{"Blank", "   ", ""}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfTest, NewFileNameReopensAndABlankOneCloses) {
  vz::TTzDbf* t = OpenChecks();
  AddCheck(t, "Smith");
  t->SetDbfFileName(Path("second"));
  ASSERT_TRUE(t->Active());
  EXPECT_TRUE(plat::Exists(Path("second.dbf")));
  EXPECT_EQ(t->RecCount(), 0);
  t->SetDbfFileName("");
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(t->IsOpen());
}

TEST_F(TzDbfTest, ExclusiveReopensTheTableForItself) {
  vz::TTzDbf* t = OpenChecks();
  plat::File probe;
  t->SetExclusive(true);
  ASSERT_TRUE(t->Active());
  EXPECT_EQ(probe.Open(Path("checks.dbf"), plat::kModeShared), plat::kSharingViolation);
  t->SetExclusive(false);
  EXPECT_EQ(probe.Open(Path("checks.dbf"), plat::kModeShared), plat::kOk);
}

struct RenameCase {
  const char* label;
  const char* first;
  const char* wanted;
  const char* kept;
  qp::StrId warning;  // kDatabaseNotOpen stands for none
};

class RenameTable : public TzDbfTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(RenameTable, FirstTenCharactersMustStayUnique) {
  const RenameCase& c = GetParam();
  MakeTable(c.first);
  vz::TTzDbf* second = MakeTable("Other", "other");
  warnings_.clear();
  second->SetName(c.wanted);
  EXPECT_EQ(second->Name(), c.kept);
  if (c.warning == qp::StrId::kDatabaseNotOpen) {
    EXPECT_TRUE(warnings_.empty());
  } else {
    EXPECT_EQ(warnings_, std::vector<std::string>{Text(c.warning)});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameTable,
    ::testing::Values(RenameCase{"SameName", "Checks", "Checks", "Other", qp::StrId::kAliasNotUnique},
                      RenameCase{"CaseDoesNotCount", "Checks", "CHECKS", "Other", qp::StrId::kAliasNotUnique},
                      RenameCase{"SameFirstTen", "ChecksTable1", "ChecksTable2", "Other", qp::StrId::kAliasNotUnique},
                      RenameCase{"DifferentWithinTen", "Checks", "Checks2", "Checks2", qp::StrId::kDatabaseNotOpen},
                      RenameCase{"Trimmed", "Checks", "  Notes  ", "Notes", qp::StrId::kDatabaseNotOpen},
                      RenameCase{"Blank", "Checks", "   ", "Other", qp::StrId::kNameEmpty}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfTest, ActiveSetWhileLoadingOpensWhenLoadingEnds) {
  form_->BeginLoading();
  vz::TTzDbf* t = MakeTable();
  t->SetActive(true);
  EXPECT_FALSE(t->IsOpen());
  EXPECT_FALSE(plat::Exists(Path("checks.dbf")));
  form_->EndLoading();
  EXPECT_TRUE(t->Active());
  EXPECT_EQ(t->DataSet()->State(), vz::dsBrowse);
  EXPECT_EQ(t->DataSet()->FieldCount(), 19);
}

TEST_F(TzDbfTest, DesignerShowsTheFirstRecordWithoutKeepingTheFileOpen) {
  vz::TTzDbf* t = OpenChecks();
  AddCheck(t, "Designer Co");
  t->SetActive(false);
  vz::SetDesignMode(true);
  vz::TTzDbf* d = MakeTable("Design");
  d->SetActive(true);
  EXPECT_TRUE(d->Active());
  EXPECT_FALSE(d->IsOpen());
  ASSERT_EQ(d->DataSet()->FieldCount(), 19);
  EXPECT_EQ(d->DataSet()->FieldByName("payee")->AsString(), "Designer Co");
  vz::TStrings lines;
  d->GetMemo(5, lines);
  EXPECT_EQ(lines, vz::TStrings{Text(qp::StrId::kMemoDesignTime)});
  EXPECT_TRUE(halts_.empty());
}

// ---- work without a table ----------------------------------------------------------

struct ClosedCase {
  const char* label;
  std::function<void(vz::TTzODbf*)> call;
  const char* operation;
};

class ClosedTable : public TzDbfTest, public ::testing::WithParamInterface<ClosedCase> {};

TEST_P(ClosedTable, EveryOperationNeedsTheTableOpen) {
  vz::TTzDbf* t = MakeTable();
  GetParam().call(t);
  ASSERT_EQ(halts_.size(), 1u);
  EXPECT_EQ(LastReport(), ReportOf(1103, std::string("Database is not open [") + GetParam().operation + "]"));
  EXPECT_EQ(LastCode(), 1103u);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosedTable,
    ::testing::Values(ClosedCase{"RecCount", [](vz::TTzODbf* t) { EXPECT_EQ(t->RecCount(), 0); }, "RecCount"},
                      ClosedCase{"Append", [](vz::TTzODbf* t) { t->Append(); }, "Append"},
                      ClosedCase{"GetCField", [](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("payee"), ""); }, "GetCField"},
                      ClosedCase{"Post", [](vz::TTzODbf* t) { EXPECT_FALSE(t->_Post()); }, "_Post"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- fields by name ----------------------------------------------------------------

struct LookupCase {
  const char* label;
  std::function<void(vz::TTzODbf*)> call;
  std::string message;  // with "<file>" for the table's file name
};

class LookupTable : public TzDbfTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupTable, WrongOrMissingFieldIsError220WithItsText) {
  vz::TTzDbf* t = OpenChecks();
  GetParam().call(t);
  std::string message = GetParam().message;
  if (auto at = message.find("<file>"); at != std::string::npos) message.replace(at, 6, Path("checks.dbf"));
  ASSERT_EQ(halts_.size(), 1u);
  EXPECT_EQ(LastReport(), ReportOf(220, message));
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, LookupTable,
    ::testing::Values(
        LookupCase{"RealFromCharacter", [](vz::TTzODbf* t) { EXPECT_EQ(t->GetRealField("payee"), 0); },
                   "'GetRealField()' expects field 'payee' to be of type:\r\n'numeric, with decimals'.'payee' "
                   "actually is: 'Character'"},
        LookupCase{"CharacterFromFloat", [](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("AMTNUMBERS"), ""); },
                   "'GetCField()' expects field 'AMTNUMBERS' to be of type:\r\n'character'.'AMTNUMBERS' actually "
                   "is: 'Numeric, width: 10 decimals: 2'"},
        LookupCase{"CharacterIntoMemo", [](vz::TTzODbf* t) { t->SetCField("notes", "x"); },
                   "'SetCField()' expects field 'notes' to be of type:\r\n'character'.'notes' actually is: 'Memo'"},
        LookupCase{"RealIntoCharacter", [](vz::TTzODbf* t) { t->SetRealField("pzip", 1); },
                   "'SetRealField()' expects field 'pzip' to be of type:\r\n'numeric, with decimals'.'pzip' "
                   "actually is: 'Character'"},
        LookupCase{"MemoIntoCharacter", [](vz::TTzODbf* t) { t->PutMemo("payee", {"x"}); },
                   "'GetMField()' expects field 'payee' to be of type:\r\n'memo'.'payee' actually is: 'Character'"},
        LookupCase{"UnknownName", [](vz::TTzODbf* t) { EXPECT_EQ(t->GetCField("payor"), ""); },
                   "Field 'payor' not in '<file>' [GetCField]"},
        LookupCase{"NameCutToTen", [](vz::TTzODbf* t) { t->SetCField("pfirstnameXYZ", "x"); t->GetCField("nothere123456"); },
                   "Field 'nothere123' not in '<file>' [GetCField]"}),
    [](const auto& info) { return std::string(info.param.label); });

struct StoreCase {
  const char* label;
  const char* field;
  size_t length;
  size_t offset;  // in the record
  std::string text;
  std::string cut;
};

class StoreTable : public TzDbfTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreTable, SetCFieldStoresTableBytesCutToTheFieldLength) {
  const StoreCase& c = GetParam();
  vz::TTzDbf* t = OpenChecks();
  t->ClearFields();
  t->SetCField(c.field, c.text);
  EXPECT_EQ(t->GetCField(c.field), c.cut);
  ASSERT_TRUE(t->ALock());
  t->Append();
  t->UnLock();
  const std::string padded = c.cut + std::string(c.length - c.cut.size(), ' ');
  EXPECT_EQ(Stored(1, c.offset, c.length), padded);
  EXPECT_EQ(t->GetCField(c.field), padded);  // as the record holds it now
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoreTable,
    ::testing::Values(StoreCase{"LongerThanTheField", "checknum", 9, 81, "1234567890123", "123456789"},
                      StoreCase{"ExactLength", "pstate", 2, 369, "NY", "NY"},
                      StoreCase{"ShorterIsPadded", "bstate", 2, 167, "C", "C"},
                      StoreCase{"Empty", "pzip", 10, 371, "", ""},
                      StoreCase{"OemBytesUnconverted", "payee", 40, 1, "M\x81ller \xE1", "M\x81ller \xE1"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfTest, RealFieldRoundTripsThroughTheFile) {
  vz::TTzDbf* t = OpenChecks();
  AddCheck(t, "Jones", 1234.5);
  EXPECT_EQ(Stored(1, 90, 10), "   1234.50");
  t->_First();
  EXPECT_DOUBLE_EQ(t->GetRealField("amtnumbers"), 1234.5);
  EXPECT_EQ(t->GetCField("payee").substr(0, 6), "Jones ");
}

TEST_F(TzDbfTest, SetCFieldShowsInTheDataSetsCurrentRow) {
  vz::TTzDbf* t = OpenChecks();
  AddCheck(t, "Smith");
  t->DataSet()->First();
  t->SetCField("payee", "Brown");
  EXPECT_EQ(t->DataSet()->FieldByName("payee")->AsString(), "Brown");
  EXPECT_TRUE(t->DataSet()->Modified());
}

// ---- cursor operations at the ends -------------------------------------------------

struct BookmarkCase {
  const char* label;
  std::function<void(vz::TTzODbf*)> moves;
  int32_t bookmark;
  int result;
};

class BookmarkTable : public TzDbfTest, public ::testing::WithParamInterface<BookmarkCase> {};

TEST_P(BookmarkTable, BookmarkIsTheRecordNumberAndTheFlagTheEnd) {
  vz::TTzDbf* t = OpenChecks();
  for (const char* p : {"A", "B", "C"}) AddCheck(t, p);
  GetParam().moves(t);
  uint8_t bookmark[4] = {};
  EXPECT_EQ(t->GetBookmark(bookmark), GetParam().result);
  EXPECT_EQ(vz::SlotInt32(bookmark), GetParam().bookmark);
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

INSTANTIATE_TEST_SUITE_P(
    Ends, BookmarkTable,
    ::testing::Values(BookmarkCase{"First", [](vz::TTzODbf* t) { t->_First(); }, 1, 0},
                      BookmarkCase{"Middle", [](vz::TTzODbf* t) { t->_First(); t->_Next(); }, 2, 0},
                      BookmarkCase{"BeforeTheFirst", [](vz::TTzODbf* t) { t->_First(); EXPECT_FALSE(t->_Prior()); }, 1, 1},
                      BookmarkCase{"Last", [](vz::TTzODbf* t) { t->_Last(); }, 3, 0},
                      BookmarkCase{"PastTheLast", [](vz::TTzODbf* t) { t->_Last(); EXPECT_FALSE(t->_Next()); }, 4, 2},
                      BookmarkCase{"NextAtEofStays",
                                   [](vz::TTzODbf* t) { t->_Last(); t->_Next(); EXPECT_FALSE(t->_Next()); }, 4, 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(TzDbfTest, BookmarkOfAMissingRecordGivesTheCodeWithoutAReport) {
  vz::TTzDbf* t = OpenChecks();
  AddCheck(t, "A");
  uint8_t bookmark[4];
  vz::SetSlotInt32(bookmark, 7);
  EXPECT_EQ(t->SetToBookmark(bookmark), 212);
  EXPECT_TRUE(halts_.empty());
  EXPECT_TRUE(vz::ReportErrors());
  vz::SetSlotInt32(bookmark, 1);
  EXPECT_EQ(t->SetToBookmark(bookmark), 0);
}

TEST_F(TzDbfTest, RefreshOfAnEmptyTableFindsNoRecord) {
  vz::TTzDbf* t = OpenChecks();
  EXPECT_FALSE(t->_Refresh());
  EXPECT_FALSE(t->_Next());
  EXPECT_FALSE(t->_Prior());
  EXPECT_EQ(t->GetRecordCount(), 0);
  EXPECT_TRUE(halts_.empty()) << LastReport();
}

TEST_F(TzDbfTest, HiddenDeletedRecordsAreSkippedByTheDataSet) {
  vz::TTzDbf* t = OpenChecks();
  for (const char* p : {"A", "B", "C"}) AddCheck(t, p);
  vz::Select(t->WorkArea());
  vz::GO(2);
  ASSERT_TRUE(vz::RLock());
  vz::DeleteRec();
  vz::Unlock();
  t->SetHideDeletedRecs(true);
  vz::Settings().HideDeleted = false;  // another table's choice
  vz::TTzDataSet* ds = t->DataSet();
  ds->First();
  std::vector<std::string> seen;
  for (; !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName("payee")->AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "C"}));
  EXPECT_TRUE(vz::Settings().HideDeleted);
}

// ---- index lists -------------------------------------------------------------------

TEST_F(TzDbfTest, IndexListWithoutAnIndexEngineFailsTheOpen) {
  vz::TTzDbf* t = MakeTable();
  t->IndexList() = {"0, checks.ndx, PAYEE"};
  t->SetActive(true);
  EXPECT_FALSE(t->Active());
  EXPECT_FALSE(t->IsOpen());
  EXPECT_EQ(LastReport(), ReportOf(220, "Index unit not linked in. [OpenIndexes]"));
  EXPECT_TRUE(vz::ReportErrors());
}

TEST_F(TzDbfTest, IndexBuildAsksFirstAndARefusalLeavesOnlyTheOpenToFail) {
  vz::TTzDbf* t = MakeTable();
  t->IndexList() = {"2, payee.ndx, UPPER(PAYEE)", "0, amt.ndx, STR(AMTNUMBERS,10,2)"};
  t->SetCreateIndex(vz::ciAlways);
  std::vector<std::string> asked;
  t->OnBeforeMakeIndex = [&](const std::string& name, bool& can_make) {
    asked.push_back(name);
    can_make = false;
  };
  t->SetActive(true);
  EXPECT_EQ(asked, (std::vector<std::string>{"payee.ndx", "amt.ndx"}));
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(LastCode(), 220u);
}

}  // namespace
