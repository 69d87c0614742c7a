// Opening tables: the USE command, sharing modes, the checks that keep
// foreign and damaged files out, work-area selection and the in-use guard.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::PrintTo;
using qptest::Fields;
using qptest::RawDbf;

class OpenTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("t", Fields({{"name", 'C', 10, 0}, {"n", 'N', 5, 0}})));
  }
  // Replaces "<dir>" in an expected message.
  std::string In(std::string text) const {
    for (size_t at; (at = text.find("<dir>")) != std::string::npos;) text.replace(at, 5, dir_);
    return text;
  }
};

struct CommandCase {
  const char* label;
  const char* command;  // relative to the test folder
  const char* file;     // expected file, relative
  const char* alias;
  bool exclusive;
};

class CommandTest : public OpenTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTest, OpensTheNamedFileUnderItsAlias) {
  std::filesystem::create_directory(Path("exclusive_dir"));
  ASSERT_TRUE(Create("exclusive_dir/t", Fields({{"a", 'C', 1, 0}})));
  ASSERT_TRUE(Create("Mixed.Dbf", Fields({{"a", 'C', 1, 0}})));
  const CommandCase& c = GetParam();
  ASSERT_TRUE(Use(c.command)) << vz::TakeMessage();
  EXPECT_EQ(vz::DbfFileName(), Path(c.file));
  EXPECT_EQ(vz::Alias(), c.alias);
  vz::TableInfo info;
  ASSERT_TRUE(vz::GetTableInfo(&info));
  EXPECT_EQ(info.exclusive, c.exclusive);
  EXPECT_EQ(info.file_mode, c.exclusive ? 18 : 66);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, CommandTest,
    ::testing::Values(CommandCase{"Plain", "t", "t.dbf", "T", false},
                      CommandCase{"Exclusive", "t exclusive", "t.dbf", "T", true},
                      CommandCase{"AliasThenExclusive", "t.dbf ALIAS cust EXCLUSIVE", "t.dbf", "CUST", true},
                      CommandCase{"ExclusiveThenAlias", "t  Exclusive alias Cust", "t.dbf", "CUST", true},
                      CommandCase{"KeywordInsideFolderName", "exclusive_dir/t", "exclusive_dir/t.dbf", "T", false},
                      CommandCase{"NameKeepsItsCase", "Mixed.Dbf", "Mixed.Dbf", "MIXED", false},
                      CommandCase{"BlankAliasFallsBack", "t ALIAS ", "t.dbf", "T", false}),
    [](const auto& info) { return info.param.label; });

struct BadFile {
  const char* label;
  std::string bytes;
  uint16_t code;
  const char* message;  // <dir> stands for the test folder
};

std::string WithHeaderLength(std::string b, uint32_t length) {
  qptest::PutLe16(&b, 8, length);
  return b;
}
std::string WithRecordLength(std::string b, uint32_t length) {
  qptest::PutLe16(&b, 10, length);
  return b;
}
std::string Dbase2(bool terminated, size_t size) {
  std::string b(size, '\0');
  b[0] = 0x02;
  b[8] = 'A';
  b[8 + 11] = 'C';
  b[8 + 12] = 3;
  if (terminated) b[8 + 16] = 0x0D;
  qptest::PutLe16(&b, 6, 4);
  return b;
}
const std::string kGood = RawDbf(3, {{"NAME", 'C', 10, 0}}, {" abcdefghij"});
// 255 dates of 255 bytes: slots of 258 bytes, more than a field buffer holds.
std::string HugeDates() {
  std::string b = RawDbf(3, {{"D", 'D', 255, 0}}, {});
  b.pop_back();  // the end mark
  std::string descriptor = b.substr(32, 32);
  b.erase(32, 33);
  for (int i = 0; i < 255; ++i) b += descriptor;
  b += '\x0D';
  qptest::PutLe16(&b, 8, static_cast<uint32_t>(b.size()));
  qptest::PutLe16(&b, 10, 1 + 255 * 255);
  return b;
}

class BadFileTest : public OpenTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, IsRefusedAndLeavesTheAreaEmpty) {
  const BadFile& c = GetParam();
  qptest::WriteAll(Path("bad.dbf"), c.bytes);
  EXPECT_FALSE(Use("bad"));
  EXPECT_EQ(vz::ErrorCode(), c.code);
  EXPECT_EQ(LastReport(), ReportOf(c.code, In(c.message)));
  EXPECT_EQ(vz::Alias(), "");
  // Nothing was held open: the file can be replaced at once.
  EXPECT_TRUE(Create("bad", Fields({{"a", 'C', 1, 0}})));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    ::testing::Values(
        BadFile{"TooShort", std::string(20, '\x03'), 210,
                "<dir>/bad.dbf is not a dBASE database. (Prolog is less than 32 bytes) [USE/OpenDBF]"},
        BadFile{"VersionByte", "\x30" + kGood.substr(1), 210,
                "<dir>/bad.dbf is not a dBASE database.(Invalid version byte)+ [USE/OpenDBF]"},
        BadFile{"NoFields", WithHeaderLength(kGood, 33), 210,
                "bad.dbf is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]"},
        BadFile{"HeaderBelow33", WithHeaderLength(kGood, 20), 210,
                "<dir>/bad.dbf is not a dBASE database. (Header length is out of range) [USE/OpenDBF]"},
        BadFile{"HeaderBeyondFile", WithHeaderLength(kGood, 4000), 210,
                "<dir>/bad.dbf is not a dBASE database. (Header length is out of range) [USE/OpenDBF]"},
        BadFile{"RecordShorterThanFields", WithRecordLength(kGood, 10), 210,
                "<dir>/bad.dbf is not a dBASE database. (Fields run past the record) [USE/OpenDBF]"},
        BadFile{"RecordLengthZero", WithRecordLength(kGood, 0), 210,
                "<dir>/bad.dbf is not a dBASE database. (Fields run past the record) [USE/OpenDBF]"},
        BadFile{"FieldOfLengthZero", RawDbf(3, {{"A", 'C', 0, 0}, {"B", 'C', 4, 0}}, {}), 210,
                "<dir>/bad.dbf is not a dBASE database. (Field length is zero) [USE/OpenDBF]"},
        BadFile{"FieldBufferTooLarge", HugeDates(), 210,
                "<dir>/bad.dbf is not a dBASE database. (Fields need too large a field buffer) [USE/OpenDBF]"},
        BadFile{"FieldType", RawDbf(3, {{"A", 'C', 2, 0}, {"WHAT", 'X', 4, 0}}, {}), 211,
                "Field: WHAT [X] in <dir>/bad.dbf is not a valid field type"},
        BadFile{"Dbase2Short", Dbase2(true, 300), 210,
                "<dir>/bad.dbf is not a dBASE database.(Header is less than 521 bytes) [Use/OpenDBF]"},
        BadFile{"Dbase2Unterminated", Dbase2(false, 521), 210,
                "bad.dbf is not a dBASE database.(Number of fields is out of range) [Use/OpenDbf]"}),
    [](const auto& info) { return info.param.label; });

TEST_F(OpenTest, MissingFileReportsFileNotFound) {
  EXPECT_FALSE(Use("nothere"));
  EXPECT_EQ(LastReport(), ReportOf(2, "Failure to open " + Path("nothere.dbf") + " [USE/OpenDbf]"));
}

struct VersionCase {
  uint8_t version;
  uint8_t extra_dbf;
  uint8_t extra_memo;
  bool accepted;
  bool memo;
};

class VersionTest : public OpenTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, VersionByteDecidesAcceptanceAndMemo) {
  const VersionCase& c = GetParam();
  vz::Settings().ExtraDbfVersion = c.extra_dbf;
  vz::Settings().ExtraMemoVersion = c.extra_memo;
  qptest::WriteAll(Path("v.dbf"), RawDbf(c.version, {{"NAME", 'C', 10, 0}}, {" abcdefghij"}));
  vz::ReportErrorsGuard quiet(false);
  EXPECT_EQ(Use("v"), c.accepted);
  if (c.accepted) {
    vz::TableInfo info;
    ASSERT_TRUE(vz::GetTableInfo(&info));
    EXPECT_EQ(info.has_memo, c.memo);
    EXPECT_EQ(vz::GetFieldText(1), "abcdefghij");
  } else {
    EXPECT_EQ(vz::ErrorCode(), 210);
  }
}

INSTANTIATE_TEST_SUITE_P(Bytes, VersionTest,
                         ::testing::Values(VersionCase{0x03, 0, 0, true, false},
                                           VersionCase{0x83, 0, 0, true, true},
                                           VersionCase{0x8B, 0, 0, true, true},
                                           VersionCase{0x43, 0, 0, true, false},
                                           VersionCase{0x30, 0, 0, false, false},
                                           VersionCase{0xF5, 0, 0, false, false},
                                           VersionCase{0x30, 0x30, 0, true, false},
                                           VersionCase{0xF5, 0, 0xF5, true, true},
                                           VersionCase{0x83, 0, 0xF5, true, false}));

TEST_F(OpenTest, SharedTableAndRecountOnOpenCountWholeRecordsOfTheFile) {
  std::string b = RawDbf(3, {{"NAME", 'C', 10, 0}}, std::vector<std::string>(7, " abcdefghij"), false);
  qptest::PutLe32(&b, 4, 5);
  b += " half";  // a record cut short by a crash
  qptest::WriteAll(Path("r.dbf"), b);
  ASSERT_TRUE(Use("r exclusive"));
  EXPECT_EQ(vz::RecCount(), 5);
  ASSERT_TRUE(Use("r"));
  EXPECT_EQ(vz::RecCount(), 7);
  vz::Settings().RecountOnOpen = true;
  ASSERT_TRUE(Use("r exclusive"));
  EXPECT_EQ(vz::RecCount(), 7);
}

TEST_F(OpenTest, HeaderPromisingMissingRecordsCountsOnlyThoseThere) {
  std::string b = RawDbf(3, {{"NAME", 'C', 10, 0}}, {" abcdefghij", " klmnopqrst"}, false);
  qptest::PutLe32(&b, 4, 1000);
  b += " half";
  qptest::WriteAll(Path("hollow.dbf"), b);
  ASSERT_TRUE(Use("hollow exclusive"));
  EXPECT_EQ(vz::RecCount(), 2);
  vz::ClearRecord();
  vz::SetFieldText(1, "third");
  vz::Append();  // right after the last whole record, not after a hole
  vz::USE("");
  std::string after = qptest::ReadAll(Path("hollow.dbf"));
  EXPECT_EQ(after.size(), 32u + 32 + 1 + 3 * 11 + 1);
  EXPECT_EQ(qptest::Le32(after, 4), 3u);
}

TEST_F(OpenTest, TableWhoseFirstRecordCannotBeReadIsNotOpen) {
  qptest::WriteAll(Path("t.dbf"), RawDbf(3, {{"NAME", 'C', 10, 0}}, {" abcdefghij"}));
  plat::fault::FailNth(plat::fault::Op::kRead, 3, EIO);  // prolog, descriptors, record 1
  EXPECT_FALSE(Use("t exclusive"));
  EXPECT_EQ(LastReport(), ReportOf(30, "File:  " + Path("t.dbf") + "  [GetDbfRecord]"));
  EXPECT_EQ(vz::Alias(), "");
  EXPECT_TRUE(Create("t", Fields({{"a", 'C', 1, 0}})));  // nothing holds it open
}

TEST_F(OpenTest, EmptyTableOpensOnABlankRecordWithBothFlags) {
  ASSERT_TRUE(Use("t"));
  EXPECT_EQ(vz::RecCount(), 0);
  EXPECT_EQ(vz::RecNo(), 0);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(vz::GetFieldText(1), std::string(10, ' '));
}

TEST_F(OpenTest, AliasInUseLeavesTheAreaEmpty) {
  ASSERT_TRUE(Create("u", Fields({{"a", 'C', 1, 0}})));
  ASSERT_TRUE(Use("t alias same"));
  vz::Select(2);
  EXPECT_FALSE(Use("u alias same"));
  EXPECT_EQ(LastReport(), ReportOf(220, "Alias name \"SAME\" already in use. [USE]"));
  EXPECT_EQ(vz::Alias(), "");
  vz::Select(1);
  EXPECT_EQ(vz::Alias(), "SAME");
}

TEST_F(OpenTest, OneFileIsNeverOpenInTwoAreas) {
  ASSERT_TRUE(Use("t"));
  vz::Select(2);
  std::filesystem::create_symlink(Path("t.dbf"), Path("link.dbf"));
  EXPECT_FALSE(Use("link alias other"));
  EXPECT_EQ(LastReport(), ReportOf(214, "File: " + Path("link.dbf") + " is already in use. [USE]"));
  EXPECT_EQ(vz::Alias(), "");
}

TEST_F(OpenTest, ExclusiveOpenFailsWhileAnotherProgramHasTheFile) {
  plat::File other;
  ASSERT_EQ(other.Open(Path("t.dbf"), plat::kModeShared), plat::kOk);
  EXPECT_TRUE(Use("t"));
  EXPECT_FALSE(Use("t exclusive"));
  EXPECT_EQ(LastReport(), ReportOf(32, "Failure to open " + Path("t.dbf") + " [USE/OpenDbf]"));
}

TEST_F(OpenTest, SharingOffHoldsTheTableAgainstOtherPrograms) {
  vz::TableInfo info;
  vz::Settings().SharingEnabled = false;  // treated as exclusive, so held exclusively
  ASSERT_TRUE(Use("t"));
  ASSERT_TRUE(vz::GetTableInfo(&info));
  EXPECT_TRUE(info.exclusive);
  EXPECT_EQ(info.file_mode, plat::kModeExclusive);
  plat::File other;
  EXPECT_EQ(other.Open(Path("t.dbf"), plat::kModeShared), plat::kSharingViolation);
  EXPECT_EQ(other.Open(Path("t.dbf"), plat::kModeExclusive), plat::kSharingViolation);
}

TEST_F(OpenTest, ShareModeOverrideDecidesTheFileMode) {
  vz::TableInfo info;
  vz::Settings().ShareModeOverride = 0x40;  // read-only, deny none
  ASSERT_TRUE(Use("t exclusive"));
  ASSERT_TRUE(vz::GetTableInfo(&info));
  EXPECT_EQ(info.file_mode, 0x40);
}

TEST_F(OpenTest, CallersBufferMustHaveExactlyTheNeededSize) {
  // NAME C10 -> 11 bytes, N 5,0 -> 4 bytes, plus the flag.
  uint8_t buffer[16] = {};
  ASSERT_TRUE(vz::USE(Path("t"), buffer, 16));
  EXPECT_EQ(vz::FieldAddress(1), buffer + 1);
  EXPECT_EQ(vz::FieldAddress(2), buffer + 12);
  EXPECT_FALSE(vz::USE(Path("t"), buffer, 15));
  EXPECT_EQ(LastReport(), ReportOf(266, "Database record/buffer size mismatch: " + Path("t.dbf") +
                                            " [USE()]\x0A\x0DRecord Size=16, Buffer Size=15"));
  EXPECT_EQ(vz::Alias(), "");
  EXPECT_FALSE(vz::USE(Path("t"), buffer, 0));
  EXPECT_EQ(LastReport(), ReportOf(220, "Buffer is NIL or size is zero, attempting to open " + Path("t") + " [USE]"));
  EXPECT_FALSE(vz::USE(Path("t"), nullptr, 16));
  EXPECT_EQ(vz::ErrorCode(), 220);
}

TEST_F(OpenTest, InMemoryTablesAreNotAvailableAndABlankCommandCloses) {
  EXPECT_FALSE(vz::USE("people linked list to heap"));
  EXPECT_EQ(LastReport(), ReportOf(1101, "Virtual File Manager Unit not Linked in"));
  EXPECT_FALSE(vz::USE("x VIRTUAL FILE"));
  EXPECT_EQ(vz::ErrorCode(), 1101);
  ASSERT_TRUE(Use("t"));
  EXPECT_TRUE(vz::USE("   "));
  EXPECT_EQ(vz::Alias(), "");
}

TEST_F(OpenTest, SelectZeroTakesTheLowestFreeArea) {
  for (int i = 1; i <= vz::kUserWorkAreas; ++i) {
    if (i == 5) continue;
    std::string name = "a" + std::to_string(i);
    ASSERT_TRUE(Create(name, Fields({{"a", 'C', 1, 0}})));
    vz::Select(i);
    ASSERT_TRUE(Use(name));
  }
  vz::Select(0);
  EXPECT_EQ(vz::CurrentArea(), 5);
  ASSERT_TRUE(Use("t"));
  vz::Select(0);
  EXPECT_EQ(LastReport(), ReportOf(220, "No free workarea available [Select(0)]"));
  vz::Select(34);
  EXPECT_EQ(LastReport(), ReportOf(220, "Invalid workarea selected = [Select(34)]"));
  vz::CloseAll();
  EXPECT_EQ(vz::CurrentArea(), 1);
  EXPECT_EQ(vz::Alias(), "");
}

struct GuardCase {
  const char* name;
  std::function<void()> call;
};

class GuardTest : public OpenTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardTest, OperationWithoutTableReportsNoDatabaseInUse) {
  vz::Select(3);
  GetParam().call();
  EXPECT_EQ(vz::ErrorCode(), 215);
  EXPECT_EQ(LastReport(), ReportOf(215, std::string("No database in use [") + GetParam().name + "]  WorkArea = 3"));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, GuardTest,
    ::testing::Values(GuardCase{"GoTop", [] { vz::GoTop(); }}, GuardCase{"SKIP()", [] { vz::SKIP(1); }},
                      GuardCase{"GO()", [] { vz::GO(1); }}, GuardCase{"FieldLen()", [] { vz::FieldLen(1); }},
                      GuardCase{"RecCount", [] { vz::RecCount(); }}, GuardCase{"Append", [] { vz::Append(); }},
                      GuardCase{"ALock", [] { vz::ALock(); }}, GuardCase{"Pack", [] { vz::Pack(); }},
                      GuardCase{"DeleteRec", [] { vz::DeleteRec(); }}, GuardCase{"Peek", [] { vz::Peek(1, 1); }},
                      GuardCase{"dEOF", [] { EXPECT_TRUE(vz::dEOF()); }},
                      GuardCase{"dBOF", [] { EXPECT_TRUE(vz::dBOF()); }}),
    [](const auto& info) {
      std::string n = info.param.name;
      return n.substr(0, n.find('('));
    });

TEST_F(OpenTest, MemoManagerOpensAndClosesTheMemoFile) {
  ASSERT_TRUE(Create("m", Fields({{"a", 'C', 1, 0}, {"n", 'M', 10, 0}})));
  std::vector<std::string> calls;
  vz::MemoManager mm;
  mm.OpenMemoFile = [&](const std::string& name) {
    calls.push_back("open " + name + " in " + vz::Alias());
    return true;
  };
  mm.CloseMemoFile = [&] { calls.push_back("close in " + vz::Alias()); };
  vz::SetMemoManager(mm);
  ASSERT_TRUE(Use("m"));
  vz::Select(2);
  vz::CloseDbf(1);
  EXPECT_EQ(calls, (std::vector<std::string>{"open " + Path("m.dbf") + " in M", "close in M"}));
  EXPECT_EQ(vz::CurrentArea(), 2);
}

TEST_F(OpenTest, MemoFailureClosesTheAreaAgain) {
  ASSERT_TRUE(Create("m", Fields({{"n", 'M', 10, 0}})));
  vz::MemoManager mm;
  mm.OpenMemoFile = [](const std::string&) {
    vz::SetErrorQuiet(2, "Memo file not found");
    return false;
  };
  bool closed = false;
  mm.CloseMemoFile = [&] { closed = true; };
  vz::SetMemoManager(mm);
  EXPECT_FALSE(Use("m"));
  EXPECT_EQ(LastReport(), ReportOf(2, "Problem with memo [USE(" + Path("m") + ",nil,0)]"));
  EXPECT_EQ(vz::Alias(), "");
  EXPECT_FALSE(closed);
}

TEST_F(OpenTest, FieldsOfAnotherProgramAreFoundWhateverTheirCase) {
  qptest::WriteAll(Path("lower.dbf"), RawDbf(3, {{"name", 'C', 4, 0}, {"Amount", 'N', 6, 2}}, {" abcd  1.50"}));
  ASSERT_TRUE(Use("lower"));
  EXPECT_EQ(vz::FieldNo("NAME"), 1);
  EXPECT_EQ(vz::FieldNo("amount  "), 2);
  EXPECT_EQ(vz::FieldNo("amountx"), 0);
  EXPECT_DOUBLE_EQ(vz::GetFieldNumber(2), 1.5);
}

}  // namespace
