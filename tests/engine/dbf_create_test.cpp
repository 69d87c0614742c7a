// Creating tables: the bytes on disk, the rewritten field entries, the memo
// file of each memo version, and the definitions that are refused.
#include <gtest/gtest.h>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "platform/datefmt.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::Fields;
using qptest::Le16;
using qptest::ReadAll;
using CreateTest = qptest::DbfTest;

TEST_F(CreateTest, ThreeFieldTableHasTheDocumentedBytes) {
  auto fields = Fields({{"payee", 'C', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'M', 10, 0}});
  ASSERT_TRUE(vz::CreateDBF(Path("three"), fields));
  // Every byte not named here is zero.
  std::string expected =
      qptest::RawDbf(0x83, {{"PAYEE", 'C', 40, 0}, {"AMTNUMBERS", 'F', 10, 2}, {"NOTES", 'M', 10, 0}}, {});
  int y, m, d;
  plat::Today(&y, &m, &d);
  expected.replace(1, 3, {static_cast<char>(y - 1900), static_cast<char>(m), static_cast<char>(d)});
  expected[29] = 0x01;  // code page 437
  ASSERT_EQ(expected.size(), 130u);
  EXPECT_EQ(Le16(expected, 10), 61u);
  EXPECT_EQ(ReadAll(Path("three.dbf")), expected);
  // The check table: 19 fields, header 641, record 391.
  ASSERT_TRUE(Create("checks", qptest::CheckFields()));
  std::string b = ReadAll(Path("checks.dbf"));
  EXPECT_EQ(Le16(b, 8), 641u);
  EXPECT_EQ(Le16(b, 10), 391u);
  EXPECT_EQ(b.size(), 642u);
  vz::InitNationalSettingsFor("ru_RU.UTF-8");  // Russian tables carry the mark of code page 866
  ASSERT_TRUE(Create("ru", Fields({{"a", 'C', 1, 0}})));
  EXPECT_EQ(static_cast<uint8_t>(ReadAll(Path("ru.dbf"))[29]), 0x26);
}

TEST_F(CreateTest, EntriesAreRewrittenInPlace) {
  auto fields = Fields({{"  ab", 'c', 5, 3}, {"when", 'D', 3, 1}, {"flag", 'l', 4, 2}, {"memo", 'M', 0, 0},
                        {"amount", 'n', 9, 2}});
  ASSERT_TRUE(vz::CreateDBF(Path("t"), fields));
  std::string entries;
  for (const auto& f : fields) entries += f.Name() + " " + f.type + std::to_string(f.length * 10 + f.decimals) + " ";
  EXPECT_EQ(entries, "AB C50 WHEN D80 FLAG L10 MEMO M100 AMOUNT N92 ");
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
  // An upper-case extension gives an upper-case memo extension.
  ASSERT_TRUE(Create("UP.DBF", Fields({{"n", 'M', 10, 0}})));
  EXPECT_TRUE(plat::Exists(Path("UP.DBT")));
  EXPECT_EQ(vz::MemoFileName("/x/a.Dbf"), "/x/a.dbt");
}

TEST_F(CreateTest, NewMemoFileLayoutFollowsMemoVersion) {
  auto dbase3 = [](size_t block) {
    std::string m(block + 1, '\0');
    m[0] = 1;
    m[block] = 0x1A;
    return m;
  };
  auto dbase4 = [](uint16_t block, const std::string& base) {
    std::string h(24, '\0');
    h[0] = 1;
    h.replace(8, base.size(), base);
    qptest::PutLe16(&h, 18, 0x0102);
    qptest::PutLe16(&h, 20, block);
    return h;
  };
  const struct { uint8_t version; uint16_t block; std::string file; } cases[] = {
      {0x83, 512, dbase3(512)}, {0x83, 1024, dbase3(1024)}, {0x8B, 512, dbase4(512, "longname")},
      {0x8B, 64, dbase4(64, "longname")}, {0xF5, 256, dbase4(256, "")}};
  for (const auto& c : cases) {
    vz::Settings().MemoVersion = c.version;
    vz::Settings().MemoBlockSize = c.block;
    ASSERT_TRUE(Create("longname1.dbf", Fields({{"n", 'M', 10, 0}})));
    EXPECT_EQ(static_cast<uint8_t>(ReadAll(Path("longname1.dbf"))[0]), c.version);
    EXPECT_EQ(ReadAll(Path("longname1.dbt")), c.file) << c.version << " " << c.block;
  }
}

TEST_F(CreateTest, BadDefinitionIsRefusedWithoutWritingAFile) {
  const char* kInvalid = "Invalid dBASE field definition [CreateDBF]";
  const struct { std::vector<vz::TFieldEntry> fields; unsigned code; const char* first; } cases[] = {
      {Fields({{"a", 'C', 3, 0}, {"b", 'X', 3, 0}}), 211, kInvalid}, {Fields({{"a", 'C', 0, 0}}), 211, kInvalid},
      {Fields({{"a", 'N', 0, 0}}), 211, kInvalid},
      {Fields({{"   ", 'C', 3, 0}}), 220, "Empty field name [CreateDbf(<dir>/bad.dbf)]"},
      {std::vector<vz::TFieldEntry>(256, vz::TFieldEntry::Make("f", 'C', 1, 0)), 211, kInvalid}};
  for (const auto& c : cases) {
    halts_.clear();
    auto fields = c.fields;
    EXPECT_FALSE(vz::CreateDBF(Path("bad"), fields));
    EXPECT_EQ(vz::ErrorCode(), 211);
    ASSERT_FALSE(halts_.empty());
    EXPECT_EQ(halts_.front().first, Reported(c.code, c.first));
    EXPECT_EQ(halts_.back().first, Reported(211, kInvalid));
    EXPECT_FALSE(plat::Exists(Path("bad.dbf")));
  }
}

TEST_F(CreateTest, TableOpenInAnotherProgramIsNotReplacedAndAMissingFolderIsReported) {
  ASSERT_TRUE(Create("busy", Fields({{"a", 'C', 1, 0}})));
  std::string before = ReadAll(Path("busy.dbf"));
  plat::File other;
  ASSERT_EQ(other.Open(Path("busy.dbf"), plat::kModeShared), plat::kOk);
  vz::ReportErrorsGuard quiet(false);
  auto fields = Fields({{"b", 'N', 5, 0}});
  EXPECT_FALSE(vz::CreateDBF(Path("busy"), fields));
  EXPECT_EQ(vz::ErrorCode(), 32);
  EXPECT_EQ(ReadAll(Path("busy.dbf")), before);
  EXPECT_FALSE(vz::CreateDBF(Path("missing/t"), fields));
  EXPECT_EQ(vz::ErrorCode(), 3);
  EXPECT_EQ(vz::TakeMessage(), "Error writing " + Path("missing/t.dbf") + ". [CreateDbf]");
}

}  // namespace
