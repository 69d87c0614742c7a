// Creating, opening and moving through tables: bytes on disk, refusals, USE
// and work areas; moves under filters, while conditions and an index order.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::Fields, qptest::Le16, qptest::RawDbf, qptest::ReadAll;

class OpenTest : public qptest::DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("t", Fields({{"name", 'C', 10, 0}, {"n", 'N', 5, 0}})));
  }
  int FileMode() {
    vz::TableInfo info;
    EXPECT_TRUE(vz::GetTableInfo(&info));
    return info.file_mode;
  }
};

TEST_F(OpenTest, CommandOpensTheNamedFileUnderItsAliasInItsSharingMode) {
  std::filesystem::create_directory(Path("exclusive_dir"));
  ASSERT_TRUE(Create("exclusive_dir/t", Fields({{"a", 'C', 1, 0}})));
  ASSERT_TRUE(Create("Mixed.Dbf", Fields({{"a", 'C', 1, 0}})));
  const struct { const char *command, *file, *alias; bool exclusive; } cases[] = {
      {"t.dbf ALIAS cust EXCLUSIVE", "t.dbf", "CUST", true}, {"t  Exclusive alias Cust", "t.dbf", "CUST", true},
      {"exclusive_dir/t", "exclusive_dir/t.dbf", "T", false}, {"Mixed.Dbf", "Mixed.Dbf", "MIXED", false},
      {"t ALIAS ", "t.dbf", "T", false}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Use(c.command)) << vz::TakeMessage();
    EXPECT_EQ(vz::DbfFileName(), Path(c.file)) << c.command;
    EXPECT_EQ(vz::Alias(), c.alias) << c.command;
    EXPECT_EQ(FileMode(), c.exclusive ? 18 : 66) << c.command;
  }
  // Sharing off: treated as exclusive, so held exclusively.
  vz::Settings().SharingEnabled = false;
  ASSERT_TRUE(Use("t"));
  EXPECT_EQ(FileMode(), plat::kModeExclusive);
  plat::File other;
  EXPECT_EQ(other.Open(Path("t.dbf"), plat::kModeShared), plat::kSharingViolation);
  EXPECT_EQ(other.Open(Path("t.dbf"), plat::kModeExclusive), plat::kSharingViolation);
}

std::string With16(std::string b, size_t at, uint32_t value) {
  qptest::PutLe16(&b, at, value);
  return b;
}
std::string Dbase2(bool terminated, size_t size) {
  std::string b(size, '\0');
  b.replace(0, 1, "\x02");
  b.replace(8, 1, "A");
  b[8 + 11] = 'C';
  b[8 + 12] = 3;
  if (terminated) b[8 + 16] = 0x0D;
  return With16(b, 6, 4);
}
// 255 dates of 255 bytes: slots of 258 bytes, more than a field buffer holds.
std::string HugeDates() {
  std::string b = RawDbf(3, {{"D", 'D', 255, 0}}, {});
  std::string descriptor = b.substr(32, 32);
  b.resize(32);
  for (int i = 0; i < 255; ++i) b += descriptor;
  b += '\x0D';
  return With16(With16(b, 8, static_cast<uint32_t>(b.size())), 10, 1 + 255 * 255);
}

TEST_F(OpenTest, BadFileIsRefusedAndLeavesTheAreaEmpty) {
  const std::string good = RawDbf(3, {{"NAME", 'C', 10, 0}}, {" abcdefghij"});
  const std::string no_dbase = "<dir>/bad.dbf is not a dBASE database.";
  const struct { std::string bytes; unsigned code; std::string message; bool fail_read = false; } cases[] = {
      {"", 2, "Failure to open <dir>/bad.dbf [USE/OpenDbf]"},  // no file at all
      {std::string(20, '\x03'), 210, no_dbase + " (Prolog is less than 32 bytes) [USE/OpenDBF]"},
      {"\x30" + good.substr(1), 210, no_dbase + "(Invalid version byte)+ [USE/OpenDBF]"},
      {With16(good, 8, 33), 210, "bad.dbf is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]"},
      {With16(good, 8, 20), 210, no_dbase + " (Header length is out of range) [USE/OpenDBF]"},
      {With16(good, 8, 4000), 210, no_dbase + " (Header length is out of range) [USE/OpenDBF]"},
      {With16(good, 10, 10), 210, no_dbase + " (Fields run past the record) [USE/OpenDBF]"},
      {With16(good, 10, 0), 210, no_dbase + " (Fields run past the record) [USE/OpenDBF]"},
      {RawDbf(3, {{"A", 'C', 0, 0}, {"B", 'C', 4, 0}}, {}), 210, no_dbase + " (Field length is zero) [USE/OpenDBF]"},
      {HugeDates(), 210, no_dbase + " (Fields need too large a field buffer) [USE/OpenDBF]"},
      {RawDbf(3, {{"A", 'C', 2, 0}, {"WHAT", 'X', 4, 0}}, {}), 211,
       "Field: WHAT [X] in <dir>/bad.dbf is not a valid field type"},
      {Dbase2(true, 300), 210, no_dbase + "(Header is less than 521 bytes) [Use/OpenDBF]"},
      {Dbase2(false, 521), 210, "bad.dbf is not a dBASE database.(Number of fields is out of range) [Use/OpenDbf]"},
      {good, 30, "File:  <dir>/bad.dbf  [GetDbfRecord]", true}};  // the first record cannot be read
  for (const auto& c : cases) {
    std::filesystem::remove(Path("bad.dbf"));
    if (!c.bytes.empty()) qptest::WriteAll(Path("bad.dbf"), c.bytes);
    if (c.fail_read) plat::fault::FailNth(plat::fault::Op::kRead, 3, EIO);  // prolog, descriptors, record 1
    EXPECT_FALSE(Use("bad"));
    EXPECT_EQ(vz::ErrorCode(), c.code);
    EXPECT_EQ(LastReport(), Reported(c.code, c.message));
    EXPECT_EQ(vz::Alias(), "");
    // Nothing was held open: the file can be replaced at once.
    EXPECT_TRUE(Create("bad", Fields({{"a", 'C', 1, 0}}))) << c.message;
  }
}

TEST_F(OpenTest, VersionByteDecidesAcceptanceAndMemoAndWholeRecordsTheCount) {
  const struct { uint8_t version, extra_dbf, extra_memo; bool accepted, memo; } cases[] = {
      {0x03, 0, 0, true, false}, {0x83, 0, 0, true, true}, {0x8B, 0, 0, true, true}, {0x43, 0, 0, true, false},
      {0x30, 0, 0, false, false}, {0xF5, 0, 0, false, false}, {0x30, 0x30, 0, true, false},
      {0xF5, 0, 0xF5, true, true}, {0x83, 0, 0xF5, true, false}};
  vz::ReportErrorsGuard quiet(false);
  for (const auto& c : cases) {
    vz::Settings().ExtraDbfVersion = c.extra_dbf;
    vz::Settings().ExtraMemoVersion = c.extra_memo;
    qptest::WriteAll(Path("v.dbf"), RawDbf(c.version, {{"name", 'C', 10, 0}}, {" abcdefghij"}));
    ASSERT_EQ(Use("v"), c.accepted) << int{c.version};
    if (!c.accepted) {
      EXPECT_EQ(vz::ErrorCode(), 210);
      continue;
    }
    vz::TableInfo info;
    ASSERT_TRUE(vz::GetTableInfo(&info));
    EXPECT_EQ(info.has_memo, c.memo) << int{c.version};
    EXPECT_EQ(vz::GetFieldText(1), "abcdefghij");
    EXPECT_EQ(vz::FieldNo("NAME  "), 1);  // another program's names, whatever their case
    vz::USE("");
  }
  // The count comes from the whole records (shared, recount, a header that
  // promises more), so that an append goes right after the last one.
  std::string b = RawDbf(3, {{"NAME", 'C', 10, 0}}, std::vector<std::string>(7, " abcdefghij"), false);
  qptest::PutLe32(&b, 4, 5);
  qptest::WriteAll(Path("r.dbf"), b + " half");  // a record cut short by a crash
  ASSERT_TRUE(Use("r exclusive"));
  EXPECT_EQ(vz::RecCount(), 5);
  ASSERT_TRUE(Use("r"));
  EXPECT_EQ(vz::RecCount(), 7);
  vz::Settings().RecountOnOpen = true;
  ASSERT_TRUE(Use("r exclusive"));
  EXPECT_EQ(vz::RecCount(), 7);
  vz::Settings().RecountOnOpen = vz::EngineSettings{}.RecountOnOpen;
  qptest::PutLe32(&b, 4, 1000);
  ASSERT_TRUE(UseBytes("r exclusive", b + " half"));
  EXPECT_EQ(vz::RecCount(), 7);
  vz::ClearRecord();
  vz::Append();
  vz::USE("");
  const std::string after = qptest::ReadAll(Path("r.dbf"));
  EXPECT_EQ(after.size(), 32u + 32 + 1 + 8 * 11 + 1);
  EXPECT_EQ(qptest::Le32(after, 4), 8u);
}

TEST_F(OpenTest, OneFileIsNeverOpenInTwoAreasNorTwoTablesUnderOneAliasAndSelectZeroFindsAFreeArea) {
  ASSERT_TRUE(Create("u", Fields({{"a", 'C', 1, 0}})));
  ASSERT_TRUE(Use("t alias same"));
  vz::Select(2);
  EXPECT_FALSE(Use("u alias same"));
  EXPECT_EQ(LastReport(), Reported(220, "Alias name \"SAME\" already in use. [USE]"));
  EXPECT_EQ(vz::Alias(), "");
  std::filesystem::create_symlink(Path("t.dbf"), Path("link.dbf"));
  EXPECT_FALSE(Use("link alias other"));
  EXPECT_EQ(LastReport(), Reported(214, "File: <dir>/link.dbf is already in use. [USE]"));
  EXPECT_EQ(vz::Alias(), "");
  vz::Select(1);
  EXPECT_EQ(vz::Alias(), "SAME");
  // Select(0) takes the lowest free area.
  for (int i = 1; i <= vz::kUserWorkAreas; ++i) {
    if (i == 5) continue;
    const std::string name = "a" + std::to_string(i);
    ASSERT_TRUE(Create(name, Fields({{"a", 'C', 1, 0}})));
    vz::Select(i);
    ASSERT_TRUE(Use(name));
  }
  vz::Select(0);
  EXPECT_EQ(vz::CurrentArea(), 5);
  ASSERT_TRUE(Use("t"));
  vz::Select(0);
  EXPECT_EQ(LastReport(), Reported(220, "No free workarea available [Select(0)]"));
  vz::Select(34);
  EXPECT_EQ(LastReport(), Reported(220, "Invalid workarea selected = [Select(34)]"));
  vz::CloseAll();
  EXPECT_EQ(vz::CurrentArea(), 1);
  EXPECT_EQ(vz::Alias(), "");
}

TEST_F(OpenTest, CallersBufferMustFitAndTheMemoManagerOpensAndClosesTheMemoFile) {
  // NAME C10 -> 11 bytes, N 5,0 -> 4 bytes, plus the flag.
  uint8_t buffer[16] = {};
  ASSERT_TRUE(vz::USE(Path("t"), buffer, 16));
  EXPECT_EQ(vz::FieldAddress(2), buffer + 12);
  EXPECT_FALSE(vz::USE(Path("t"), buffer, 15));
  EXPECT_EQ(LastReport(), Reported(266, "Database record/buffer size mismatch: <dir>/t.dbf [USE()]\x0A\x0DRecord "
                                        "Size=16, Buffer Size=15"));
  EXPECT_EQ(vz::Alias(), "");
  EXPECT_FALSE(vz::USE(Path("t"), buffer, 0));
  EXPECT_EQ(LastReport(), Reported(220, "Buffer is NIL or size is zero, attempting to open <dir>/t [USE]"));
  EXPECT_FALSE(vz::USE(Path("t"), nullptr, 16));
  EXPECT_EQ(vz::ErrorCode(), 220);
  EXPECT_FALSE(vz::USE("people linked list to heap"));
  EXPECT_EQ(LastReport(), Reported(1101, "Virtual File Manager Unit not Linked in"));
  EXPECT_FALSE(vz::USE("x VIRTUAL FILE"));
  EXPECT_EQ(vz::ErrorCode(), 1101);
  ASSERT_TRUE(Use("t"));
  EXPECT_TRUE(vz::USE("   "));  // a blank command closes
  EXPECT_EQ(vz::Alias(), "");
  // The memo manager opens and closes the memo file; its failure closes the area.
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
  calls.clear();
  mm.OpenMemoFile = [](const std::string&) {
    vz::SetErrorQuiet(2, "Memo file not found");
    return false;
  };
  vz::SetMemoManager(mm);
  EXPECT_FALSE(Use("m"));
  EXPECT_EQ(LastReport(), Reported(2, "Problem with memo [USE(<dir>/m,nil,0)]"));
  EXPECT_EQ(vz::Alias(), "");
  EXPECT_TRUE(calls.empty());
}

using CreateTest = qptest::DbfTest;

TEST_F(CreateTest, NewTablesAndMemoFilesHaveTheDocumentedBytes) {
  // Entries are rewritten in place: capitals, and a memo field 10 wide.
  auto fields = Fields({{"payee", 'c', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'm', 0, 0}});
  ASSERT_TRUE(vz::CreateDBF(Path("three"), fields));
  // Every byte not named here is zero.
  std::string expected =
      qptest::RawDbf(0x83, {{"PAYEE", 'C', 40, 0}, {"AMTNUMBERS", 'F', 10, 2}, {"NOTES", 'M', 10, 0}}, {});
  expected.replace(1, 3, qptest::TodayBytes());
  expected[29] = 0x01;  // code page 437
  EXPECT_EQ(ReadAll(Path("three.dbf")), expected);
  EXPECT_EQ(fields[2].Name() + fields[2].type + std::to_string(fields[2].length), "NOTESM10");
  // The check table: 19 fields, header 641, record 391.
  ASSERT_TRUE(Create("checks", qp::CheckTableStructure()));
  std::string b = ReadAll(Path("checks.dbf"));
  EXPECT_EQ(Le16(b, 8), 641u);
  EXPECT_EQ(Le16(b, 10), 391u);
  EXPECT_EQ(b.size(), 642u);
  vz::InitNationalSettingsFor("ru_RU.UTF-8");  // Russian tables carry the mark of code page 866
  ASSERT_TRUE(Create("ru", Fields({{"a", 'C', 1, 0}})));
  EXPECT_EQ(static_cast<uint8_t>(ReadAll(Path("ru.dbf"))[29]), 0x26);
  // The new memo file's layout follows the memo version.
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

TEST_F(CreateTest, BadDefinitionOrBusyTableIsRefusedWithoutWritingAFile) {
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
  // A table open in another program is not replaced; a missing folder is reported.
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

class NavigationTest : public qptest::DbfTest {
 protected:
  // Names "r1".."rN" in field 1 and numbers 1..N in field 2.
  void Build(int records, const std::string& mode, const std::vector<int>& deleted = {}) {
    BuildTable("nav", Fields({{"name", 'C', 8, 0}, {"n", 'N', 6, 0}}), records, [](int n) {
      vz::SetFieldText(1, "r" + std::to_string(n));
      vz::SetFieldNumber(2, n);
    }, deleted);
    ASSERT_TRUE(Use("nav" + mode));
  }
  static std::string Name() { return vz::TrimRight(vz::GetFieldText(1)); }
};

// A move, where it leaves the table (null name: not looked at), its report.
struct Move {
  char op;  // T GoTop, B GoBottom, G GO, S SKIP, W put `name` in the buffer, N nothing
  int arg;
  int32_t recno;
  const char* name;
  bool eof, bof;
  const char* report = nullptr;
};

struct Walk {
  const char* label;
  int records;
  std::vector<int> deleted;
  std::function<void()> setup;  // hidden records, filter, while condition
  std::vector<Move> moves;
};

const char* kPastEof = "Database \"<dir>/nav.dbf\" is past EOF. [SKIP]";

const Walk kWalks[] = {
    {"EndsOfTheTable", 5, {}, nullptr,
     {{'G', 5, 5, "r5", false, false}, {'S', 1, 6, "", true, false}, {'S', 1, 6, "", true, false, kPastEof},
      {'T', 0, 1, "r1", false, false}, {'S', -1, 1, "r1", false, true},
      {'S', -1, 1, "r1", false, true}, {'G', 3, 3, "r3", false, false},  // at the start already: nothing
      {'G', 0, 6, nullptr, true, false, "Invalid record number = 0 Database \"<dir>/nav.dbf\" [GO]"},
      {'G', 7, 6, nullptr, true, false, "Invalid record number = 7 Database \"<dir>/nav.dbf\" [GO]"},
      {'G', 4, 4, "r4", false, false}}},
    {"SkipZeroReadsTheRecordAgain", 3, {}, nullptr,
     {{'G', 2, 2, "r2", false, false}, {'W', 0, 2, "changed", false, false}, {'S', 0, 2, "r2", false, false},
      {'B', 0, 3, "r3", false, false}, {'S', 1, 4, "", true, false}, {'W', 0, 4, "junk", true, false},
      {'S', 0, 4, "", true, false}}},  // past the end: a blank record
    {"EmptyTable", 0, {}, nullptr,
     {{'N', 0, 0, "", true, true}, {'T', 0, 0, "", true, true}, {'B', 0, 0, "", true, true},  // opened blank
      {'S', -1, 0, "", true, true, "Database \"<dir>/nav.dbf\" is empty. [SKIP]"},
      {'G', 1, 0, "", true, true, "Invalid record number = 1 Database \"<dir>/nav.dbf\" [GO]"}}},
    {"OnlyHiddenRecords", 3, {1, 2, 3}, [] { vz::Settings().HideDeleted = true; },
     {{'T', 0, 4, "", true, false}, {'B', 0, 4, "", true, true}}},
    {"FilterDecidesVisibility", 7, {},
     [] { vz::SetFilterCallback([] { return static_cast<int>(vz::GetFieldNumber(2)) % 3 == 0; }); },
     {{'T', 0, 3, "r3", false, false}, {'S', 1, 6, "r6", false, false}, {'S', -1, 3, "r3", false, false},
      {'B', 0, 6, "r6", false, false}}},
    {"WhileConditionStopsSkipping", 8, {},
     [] { vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3 && vz::GetFieldNumber(2) <= 6; }); },
     {{'G', 4, 4, "r4", false, false}, {'S', 10, 7, nullptr, true, false},  // stops on the record that ended the range
      {'G', 5, 5, "r5", false, false}, {'S', -10, 3, "r3", false, true}}},  // the last record inside the range
    {"WhileConditionFalseAtOnceGoingBack", 4, {},
     [] { vz::SetWhileCallback([] { return vz::GetFieldNumber(2) >= 3; }); },
     {{'G', 3, 3, "r3", false, false}, {'S', -1, 5, "", true, true}}},
};

class WalkTest : public NavigationTest, public ::testing::WithParamInterface<std::tuple<qptest::Mode, Walk>> {};

INSTANTIATE_TEST_SUITE_P(Walks, WalkTest,
                         ::testing::Combine(::testing::ValuesIn(qptest::kModes), ::testing::ValuesIn(kWalks)),
                         qptest::LabelName());

TEST_P(WalkTest, EveryMoveLeavesTheExpectedRecordAndFlags) {
  const auto& [mode, walk] = GetParam();
  Build(walk.records, mode.suffix, walk.deleted);
  if (walk.setup) walk.setup();
  for (size_t i = 0; i < walk.moves.size(); ++i) {
    const Move& m = walk.moves[i];
    SCOPED_TRACE("move " + std::to_string(i + 1) + ": " + m.op + " " + std::to_string(m.arg));
    halts_.clear();
    switch (m.op) {
      case 'T': vz::GoTop(); break;
      case 'B': vz::GoBottom(); break;
      case 'G': vz::GO(m.arg); break;
      case 'S': vz::SKIP(m.arg); break;
      case 'W': vz::SetFieldText(1, m.name); break;
    }
    EXPECT_EQ(vz::RecNo(), m.recno);
    if (m.name) EXPECT_EQ(Name(), m.name);
    EXPECT_EQ(vz::dEOF(), m.eof);
    EXPECT_EQ(vz::dBOF(), m.bof);
    EXPECT_EQ(LastReport(), m.report ? Reported(212, m.report) : "");
  }
}

class ModeTest : public NavigationTest, public ::testing::WithParamInterface<qptest::Mode> {};
INSTANTIATE_TEST_SUITE_P(Modes, ModeTest, ::testing::ValuesIn(qptest::kModes), qptest::LabelName());

TEST_P(ModeTest, ScansSeeOurOwnWritesAcrossReadAheadBlocks) {
  // Several read-ahead blocks, read both ways and with jumps, after writes.
  Build(3000, GetParam().suffix);
  for (int n = 1; n <= 2000; n += 2) {
    vz::GO(n);
    ASSERT_TRUE(vz::RLock());
    vz::SetFieldNumber(2, -n);
    vz::Replace();
    vz::Unlock();
  }
  auto stored = [](int n) { return n <= 2000 && n % 2 ? -n : n; };
  int expected = 1;
  for (vz::GoTop(); !vz::dEOF(); ++expected, vz::SKIP(1)) ASSERT_EQ(vz::GetFieldNumber(2), stored(expected));
  EXPECT_EQ(expected, 3001);
  vz::GoBottom();
  for (int i = 3000; i >= 1; --i, vz::SKIP(-1)) ASSERT_EQ(vz::GetFieldNumber(2), stored(i));
  for (int n : {1500, 17, 2999, 2, 2000, 2001, 2003, 1}) {
    vz::GO(n);
    ASSERT_EQ(vz::GetFieldNumber(2), stored(n));
  }
}

// Each move reads records another program wrote, appended ones included.
TEST_F(NavigationTest, RecordsOfAnotherProgramAreSeenAndAnIndexOrderDecidesTheMoves) {
  BuildTable("s", Fields({{"name", 'C', 4, 0}}), 1);
  ASSERT_TRUE(Use("s"));
  plat::File other;
  ASSERT_EQ(other.Open(Path("s.dbf"), plat::kModeShared), plat::kOk);
  size_t done = 0;
  ASSERT_EQ(other.WriteAt(65, " them abcd efgh", 15, &done), plat::kOk);
  vz::SKIP(0);
  EXPECT_EQ(vz::GetFieldText(1), "them");
  vz::SKIP(1);
  EXPECT_EQ(vz::GetFieldText(1), "abcd");
  ASSERT_EQ(other.WriteAt(80, " ijkl", 5, &done), plat::kOk);
  vz::GO(4);
  EXPECT_EQ(vz::GetFieldText(1), "ijkl");
  vz::GoBottom();
  EXPECT_EQ(vz::RecNo(), 4);
  EXPECT_EQ(vz::RecCount(), 4);
  // An index order of record numbers backwards: moves follow, writes keep it.
  BuildTable("i", Fields({{"n", 'N', 4, 0}}), 5, [](int n) { vz::SetFieldNumber(1, n); });
  ASSERT_TRUE(Use("i exclusive"));
  int32_t position = 0;
  int added = 0, removed = 0, rebuilt = 0;
  vz::IndexManager im;
  im.IsActive = [] { return true; };
  im.First = [&] { return position = 5; };
  im.Last = [&] { return position = 1; };
  im.Next = [&] { return position = position > 1 ? position - 1 : 0; };
  im.Prev = [&] { return position = position < 5 ? position + 1 : 0; };
  im.Positioned = [&](int32_t r) { position = r; };
  im.AddKeys = [&] { ++added; };
  im.RemoveKeys = [&] { ++removed; };
  im.Rebuild = [&] { ++rebuilt; };
  vz::SetIndexManager(im);
  std::vector<double> seen;
  for (const std::function<void()>& move : std::initializer_list<std::function<void()>>{
           vz::GoTop, [] { vz::SKIP(2); }, [] { vz::SKIP(-1); }, vz::GoBottom}) {
    move();
    seen.push_back(vz::GetFieldNumber(1));
  }
  EXPECT_EQ(seen, (std::vector<double>{5, 3, 4, 1}));
  vz::SKIP(1);
  EXPECT_EQ(vz::RecNo(), 6);
  vz::GO(2);
  vz::SetFieldNumber(1, 20);
  vz::Replace();
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(vz::GetFieldNumber(1), 20);
  vz::Append();
  EXPECT_EQ(added, 2);
  vz::GO(1);
  vz::DeleteRec();
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(rebuilt, 1);
}

}  // namespace
