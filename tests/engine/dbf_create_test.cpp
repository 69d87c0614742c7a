// Creating tables: the bytes on disk, the rewritten field entries, and the
// definitions that are refused.
#include <gtest/gtest.h>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "platform/datefmt.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::PrintTo;
using qptest::Fields;
using qptest::Le16;
using qptest::Le32;
using qptest::ReadAll;

class CreateTest : public DbfTest {};

TEST_F(CreateTest, ThreeFieldTableHasTheDocumentedBytes) {
  auto fields = Fields({{"payee", 'C', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'M', 10, 0}});
  ASSERT_TRUE(vz::CreateDBF(Path("three"), fields));
  // Every byte not named here is zero.
  std::string expected = qptest::RawDbf(0x83, {{"PAYEE", 'C', 40, 0}, {"AMTNUMBERS", 'F', 10, 2}, {"NOTES", 'M', 10, 0}}, {});
  int y, m, d;
  plat::Today(&y, &m, &d);
  expected[1] = static_cast<char>(y - 1900);
  expected[2] = static_cast<char>(m);
  expected[3] = static_cast<char>(d);
  expected[29] = 0x01;  // code page 437
  ASSERT_EQ(expected.size(), 129u + 1u);
  EXPECT_EQ(Le16(expected, 10), 61u);
  EXPECT_EQ(ReadAll(Path("three.dbf")), expected);
}

TEST_F(CreateTest, CheckTableHeaderAndRecordLength) {
  ASSERT_TRUE(Create("checks", qptest::CheckFields()));
  std::string b = ReadAll(Path("checks.dbf"));
  EXPECT_EQ(Le16(b, 8), 641u);
  EXPECT_EQ(Le16(b, 10), 391u);
  EXPECT_EQ(b.size(), 642u);
}

TEST_F(CreateTest, EntriesAreRewrittenInPlace) {
  auto fields = Fields({{"  ab", 'c', 5, 3}, {"when", 'D', 3, 1}, {"flag", 'l', 4, 2},
                        {"memo", 'M', 0, 0}, {"amount", 'n', 9, 2}});
  ASSERT_TRUE(vz::CreateDBF(Path("t"), fields));
  EXPECT_EQ(fields[0].Name(), "AB");
  EXPECT_EQ(fields[0].type, 'C');
  EXPECT_EQ(fields[0].decimals, 0);
  EXPECT_EQ(fields[1].length, 8);
  EXPECT_EQ(fields[1].decimals, 0);
  EXPECT_EQ(fields[2].type, 'L');
  EXPECT_EQ(fields[2].length, 1);
  EXPECT_EQ(fields[2].decimals, 0);
  EXPECT_EQ(fields[3].length, 10);
  EXPECT_EQ(fields[4].type, 'N');
  EXPECT_EQ(fields[4].decimals, 2);
  std::string b = ReadAll(Path("t.dbf"));
  EXPECT_EQ(Le16(b, 10), 1u + 5 + 8 + 1 + 10 + 9);
  EXPECT_EQ(static_cast<uint8_t>(b[64 + 16]), 8);  // the D field on disk
  EXPECT_EQ(static_cast<uint8_t>(b[96 + 17]), 0);  // the L field's decimals
}

TEST_F(CreateTest, TableWithoutMemoReplacesAnOldFileWithVersion3AndNoMemoFile) {
  qptest::WriteAll(Path("old.dbf"), std::string(5000, 'x'));
  ASSERT_TRUE(Create("old.dbf", Fields({{"a", 'C', 1, 0}})));
  EXPECT_EQ(ReadAll(Path("old.dbf")).size(), 32u + 32 + 1 + 1);
  EXPECT_EQ(ReadAll(Path("old.dbf"))[0], 3);
  EXPECT_FALSE(plat::Exists(Path("old.dbt")));
}

TEST_F(CreateTest, RussianTablesCarryCodePage866Mark) {
  vz::InitNationalSettingsFor("ru_RU.UTF-8");
  ASSERT_TRUE(Create("ru", Fields({{"a", 'C', 1, 0}})));
  EXPECT_EQ(static_cast<uint8_t>(ReadAll(Path("ru.dbf"))[29]), 0x26);
}

TEST_F(CreateTest, UpperCaseExtensionGivesUpperCaseMemoExtension) {
  ASSERT_TRUE(Create("UP.DBF", Fields({{"n", 'M', 10, 0}})));
  EXPECT_TRUE(plat::Exists(Path("UP.DBT")));
  EXPECT_EQ(vz::MemoFileName("/x/a.dbf"), "/x/a.dbt");
  EXPECT_EQ(vz::MemoFileName("/x/a.Dbf"), "/x/a.dbt");
}

struct MemoLayoutCase {
  uint8_t memo_version;
  uint16_t block_size;
  std::string expected;  // the whole new memo file
};

std::string Dbase4Header(uint16_t block, const std::string& base) {
  std::string h(24, '\0');
  h[0] = 1;
  h.replace(8, base.size(), base);
  h[18] = 0x02;
  h[19] = 0x01;
  h[20] = static_cast<char>(block & 0xFF);
  h[21] = static_cast<char>(block >> 8);
  return h;
}

class MemoLayoutTest : public DbfTest, public ::testing::WithParamInterface<MemoLayoutCase> {};

TEST_P(MemoLayoutTest, NewMemoFileLayoutFollowsMemoVersion) {
  const MemoLayoutCase& c = GetParam();
  vz::Settings().MemoVersion = c.memo_version;
  vz::Settings().MemoBlockSize = c.block_size;
  ASSERT_TRUE(Create("longname1.dbf", Fields({{"n", 'M', 10, 0}})));
  EXPECT_EQ(static_cast<uint8_t>(ReadAll(Path("longname1.dbf"))[0]), c.memo_version);
  EXPECT_EQ(ReadAll(Path("longname1.dbt")), c.expected);
}

std::string Dbase3Memo(size_t block) {
  std::string m(block + 1, '\0');
  m[0] = 1;
  m[block] = 0x1A;
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, MemoLayoutTest,
    ::testing::Values(MemoLayoutCase{0x83, 512, Dbase3Memo(512)},
                      MemoLayoutCase{0x83, 1024, Dbase3Memo(1024)},
                      MemoLayoutCase{0x8B, 512, Dbase4Header(512, "longname")},
                      MemoLayoutCase{0x8B, 64, Dbase4Header(64, "longname")},
                      MemoLayoutCase{0xF5, 256, Dbase4Header(256, "")}));

struct BadDefinition {
  const char* label;
  std::vector<vz::TFieldEntry> fields;
  uint16_t first_code;  // the first report
  std::string first_message;
};

class BadDefinitionTest : public DbfTest, public ::testing::WithParamInterface<BadDefinition> {};

TEST_P(BadDefinitionTest, IsRefusedWithoutWritingAFile) {
  auto fields = GetParam().fields;
  EXPECT_FALSE(vz::CreateDBF(Path("bad"), fields));
  EXPECT_EQ(vz::ErrorCode(), 211);
  ASSERT_FALSE(halts_.empty());
  std::string first = GetParam().first_message;
  size_t at = first.find("<dir>");
  if (at != std::string::npos) first.replace(at, 5, dir_);
  EXPECT_EQ(halts_.front().first, ReportOf(GetParam().first_code, first));
  EXPECT_EQ(halts_.back().first, ReportOf(211, "Invalid dBASE field definition [CreateDBF]"));
  EXPECT_FALSE(plat::Exists(Path("bad.dbf")));
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, BadDefinitionTest,
    ::testing::Values(
        BadDefinition{"TypeX", Fields({{"a", 'C', 3, 0}, {"b", 'X', 3, 0}}), 211,
                      "Invalid dBASE field definition [CreateDBF]"},
        BadDefinition{"CharOfLengthZero", Fields({{"a", 'C', 0, 0}}), 211,
                      "Invalid dBASE field definition [CreateDBF]"},
        BadDefinition{"NumericOfLengthZero", Fields({{"a", 'N', 0, 0}}), 211,
                      "Invalid dBASE field definition [CreateDBF]"},
        BadDefinition{"BlankName", Fields({{"   ", 'C', 3, 0}}), 220,
                      "Empty field name [CreateDbf(<dir>/bad.dbf)]"},
        BadDefinition{"MoreThan255Fields", std::vector<vz::TFieldEntry>(256, vz::TFieldEntry::Make("f", 'C', 1, 0)),
                      211, "Invalid dBASE field definition [CreateDBF]"}),
    [](const auto& info) { return info.param.label; });

TEST_F(CreateTest, UnwritableFolderReportsTheFileLayersCode) {
  vz::ReportErrorsGuard quiet(false);
  auto fields = Fields({{"a", 'C', 1, 0}});
  EXPECT_FALSE(vz::CreateDBF(Path("missing/t"), fields));
  EXPECT_EQ(vz::ErrorCode(), 3);
  EXPECT_EQ(vz::TakeMessage(), "Error writing " + Path("missing/t.dbf") + ". [CreateDbf]");
}

TEST_F(CreateTest, TableOpenInAnotherProgramIsNotReplaced) {
  ASSERT_TRUE(Create("busy", Fields({{"a", 'C', 1, 0}})));
  std::string before = ReadAll(Path("busy.dbf"));
  plat::File other;
  ASSERT_EQ(other.Open(Path("busy.dbf"), plat::kModeShared), plat::kOk);
  vz::ReportErrorsGuard quiet(false);
  auto fields = Fields({{"b", 'N', 5, 0}});
  EXPECT_FALSE(vz::CreateDBF(Path("busy"), fields));
  EXPECT_EQ(vz::ErrorCode(), 32);
  EXPECT_EQ(ReadAll(Path("busy.dbf")), before);
}

}  // namespace
