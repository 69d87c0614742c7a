// Writing records: stored forms, Append and Replace under the sharing rules,
// header and end mark, hooks, Peek and Poke, other programs' tables, packing.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/real48.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest, qptest::FieldDef, qptest::Fields, qptest::Le16, qptest::Le32, qptest::RawDbf, qptest::ReadAll;
using FieldTest = qptest::DbfTest;

void Text(const char* text) { vz::SetFieldText(1, text); }
void Number(double value) { vz::SetFieldNumber(1, value); }

TEST_F(FieldTest, ValueIsStoredAsOtherProgramsExpectAndReadsBackAsTheTypedValue) {
  const FieldDef c5{"c", 'C', 5, 0}, n8{"n", 'N', 8, 2}, d{"d", 'D', 8, 0}, m{"m", 'M', 10, 0};
  const struct {
    FieldDef field;
    int date_format;
    bool century;
    std::function<void()> set;
    std::string stored;
  } cases[] = {
      {c5, 0, false, [] { Text("ABC"); }, "ABC  "}, {c5, 0, false, [] { Text("ABCDEFG"); }, "ABCDE"},
      {{"c", 'C', 3, 0}, 0, false,
       [] {
         uint8_t* slot = vz::FieldAddress(1);
         slot[0] = 200;  // a careless caller's length byte beyond the field
         std::memcpy(slot + 1, "xyz", 3);
       },
       "xyz"},
      {{"n", 'N', 5, 2}, 0, false, [] { Number(1234.5); }, "*****"}, {n8, 0, false, [] { Number(1234.5); }, " 1234.50"},
      {{"n", 'N', 5, 3}, 0, false, [] { Number(0.5); }, "0.500"},
      {{"n", 'N', 3, 0}, 0, false, [] { Number(1234); }, "***"},
      {{"n", 'N', 6, 2}, 0, false, [] {}, "  0.00"},
      {{"n", 'N', 11, 0}, 0, false, [] { Number(-2147483648.0); }, "-2147483648"},
      {{"l", 'L', 1, 0}, 0, false, [] { vz::SetFieldLogical(1, true); }, "T"}, {{"l", 'L', 1, 0}, 0, false, [] {}, "F"},
      {m, 0, false, [] { vz::SetFieldMemo(1, -5); }, "        -5"},
      {m, 0, false, [] {}, "          "},  // no note: blanks, which other readers take
      {d, 0, false, [] {}, "        "}, {d, 0, false, [] { Text(""); }, "        "},
      {d, 3, true, [] { Text("  -  -    "); }, "        "}, {d, 0, false, [] { Text("12/31/99"); }, "20991231"},
      {d, 5, false, [] { Text("17.05.26"); }, "20260517"},
      // The year-first form takes its year's width from the text.
      {d, 1, false, [] { Text("2026.12.25"); }, "20261225"}, {d, 1, true, [] { Text("26.12.25"); }, "20261225"},
      {d, 2, true, [] { Text("31/12/99"); }, "20991231"}};
  for (const auto& c : cases) {
    vz::SetDateFormat(c.date_format);
    vz::SetCenturyOn(c.century);
    ASSERT_TRUE(Create("s", Fields({c.field})));
    ASSERT_TRUE(Use("s exclusive"));
    vz::ClearRecord();
    c.set();
    vz::Append();
    ASSERT_EQ(vz::ErrorCode(), 0) << vz::TakeMessage();
    EXPECT_EQ(std::string(vz::RecordImage().substr(1)), c.stored);
    vz::USE("");
    std::string file = qptest::ReadAll(Path("s.dbf"));
    EXPECT_EQ(file.substr(file.size() - 1 - c.stored.size() - 1), " " + c.stored + "\x1A");
  }
  // And stored text reads as the typed value.
  const FieldDef l{"l", 'L', 1, 0};
  const struct { FieldDef field; std::string stored, text; int date_format; bool century; double value; } stored[] = {
      {{"c", 'C', 5, 0}, "ABC  ", "ABC  ", 0, false, 0}, {d, "20260517", "05/17/26", 0, false, 0},
      {d, "20260517", "26.05.17", 1, false, 0}, {d, "20260517", "17/05/26", 2, false, 0},
      {d, "20260517", "17.05.26", 8, false, 0}, {d, "20260517", "05/17/2026", 0, true, 0},
      {d, "20260517", "2026.05.17", 1, true, 0}, {d, "        ", "  /  /  ", 0, false, 0},
      {d, "        ", "    .  .  ", 1, true, 0}, {{"n", 'N', 8, 2}, " -123.25", "", 0, false, -123.25},
      {{"n", 'N', 8, 2}, "        ", "", 0, false, 0}, {{"n", 'N', 5, 2}, "*****", "", 0, false, 0},
      {{"n", 'N', 5, 2}, "1a2.3", "", 0, false, 0}, {{"f", 'F', 8, 1}, " 1.5e+02", "", 0, false, 150},
      {{"n", 'N', 4, 0}, "  +7", "", 0, false, 7}, {{"n", 'N', 4, 2}, " .25", "", 0, false, 0.25},
      {{"n", 'N', 19, 2}, " 1234567890123.4567", "", 0, false, vz::Real48::From(1234567890123.4567).ToDouble()},
      {{"n", 'N', 5, 0}, " 12.6", "", 0, false, 13}, {l, "T", "", 0, false, 1}, {l, "y", "", 0, false, 1},
      {l, "?", "", 0, false, 0}, {m, "        -5", "", 0, false, -5}, {m, "          ", "", 0, false, 0}};
  for (const auto& c : stored) {
    vz::SetDateFormat(c.date_format);
    vz::SetCenturyOn(c.century);
    ASSERT_TRUE(UseBytes("r", RawDbf(3, {c.field}, {" " + c.stored})));
    switch (c.field.type) {
      case 'C': case 'D': EXPECT_EQ(vz::GetFieldText(1), c.text) << c.stored; break;
      case 'L': EXPECT_EQ(vz::GetFieldLogical(1), c.value != 0) << c.stored; break;
      case 'M': EXPECT_EQ(vz::GetFieldMemo(1), c.value) << c.stored; break;
      default: EXPECT_DOUBLE_EQ(vz::GetFieldNumber(1), c.value) << c.stored;
    }
    EXPECT_EQ(vz::ErrorCode(), 0);
  }
}

// A number beyond the buffer's range is given as stored, with code 201: no
// silent zero, no silent limit.
TEST_F(FieldTest, NumberBeyondItsRangeIsNoSilentZeroOrLimit) {
  const struct { FieldDef field; const char *stored, *what; double value; } cases[] = {
      {{"n", 'N', 12, 0}, " 12345678901", "n = 12345678901", 12345678901.0},
      {{"n", 'N', 9, 1}, "   1.0e39", "n = 1.0e39", 1e39}};
  vz::ReportErrorsGuard quiet(false);
  for (const auto& c : cases) {
    ASSERT_TRUE(UseBytes("r", RawDbf(3, {c.field}, {std::string(" ") + c.stored})));
    EXPECT_DOUBLE_EQ(vz::GetFieldNumber(1), c.value);
    EXPECT_EQ(vz::ErrorCode(), 201);
    EXPECT_EQ(vz::TakeMessage(), std::string("Value out of range: ") + c.what + " [GetFieldNumber(1)]");
  }
}

TEST_F(FieldTest, SlotsFollowTheTypesEvenForOddWidthsAndBadFieldNumbersReportCode220) {
  ASSERT_TRUE(Create("f", Fields({{"name", 'C', 12, 0}, {"born", 'D', 8, 0}, {"amount", 'N', 9, 2},
                                  {"count", 'N', 4, 0}, {"ok", 'L', 1, 0}, {"notes", 'M', 10, 0}})));
  ASSERT_TRUE(Use("f"));
  // C 12 -> 13, D -> 11, N 9,2 -> 6 (a 6-byte real), N 4,0 -> 4, L -> 1, M -> 4.
  EXPECT_EQ(vz::FieldAddress(6) - vz::FieldAddress(0), 36);
  EXPECT_EQ(vz::FieldBufferSize(), 40);
  EXPECT_EQ(vz::RecSize(), 45);
  const struct { std::string op; std::function<void(int)> call; } accessors[] = {
      {"FieldType", [](int n) { vz::FieldType(n); }}, {"FieldLen", [](int n) { vz::FieldLen(n); }},
      {"FieldDec", [](int n) { vz::FieldDec(n); }}, {"FieldAddress", [](int n) { vz::FieldAddress(n); }},
      {"Field", [](int n) { vz::Field(n); }}};
  for (const auto& a : accessors) {
    for (int n : {-1, 0, 7, 300}) {
      if (n == 0 && a.op == "FieldAddress") continue;  // the record's flag byte
      a.call(n);
      EXPECT_EQ(LastReport(), ReportOf(220, "Invalid field number. [" + a.op + "(" + std::to_string(n) + ")]"));
    }
  }
  // Another program's D field of length 3 gets a 6-byte slot: five characters of date.
  ASSERT_TRUE(UseBytes("odd", RawDbf(3, {{"D", 'D', 3, 0}, {"C", 'C', 2, 0}}, {" 202xy"})));
  EXPECT_EQ(vz::GetFieldText(2), "xy");
  EXPECT_EQ(vz::GetFieldText(1).size(), 5u);
  vz::SetFieldText(1, "12/31/99");
  EXPECT_EQ(vz::GetFieldText(2), "xy");
}

void Flip(uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i) bytes[i] ^= 0x20;
}

class WriteTest : public qptest::DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("w", Fields({{"name", 'C', 5, 0}, {"amount", 'N', 7, 2}})));
  }
  void AddRecords(int n) {
    for (int i = 1; i <= n; ++i) {
      vz::ClearRecord();
      vz::SetFieldText(1, "n" + std::to_string(i));
      vz::SetFieldNumber(2, i * 1.5);
      ASSERT_TRUE(vz::ALock());
      vz::Append();
      vz::Unlock();
      ASSERT_EQ(vz::ErrorCode(), 0) << vz::TakeMessage();
    }
  }
  std::string File() { return ReadAll(Path("w.dbf")); }
  static constexpr size_t kHeader = 32 + 64 + 1, kRecord = 1 + 5 + 7;
};

// A shared append counts each record at once, as if the program died right
// now; the end mark waits for a flush or the close. Only a changed table gets
// a new date, and a missing mark stays missing.
TEST_F(WriteTest, HeaderCountEndMarkAndDateFollowTheWrites) {
  ASSERT_TRUE(Use("w"));
  for (uint32_t n = 1; n <= 3; ++n) {
    AddRecords(1);
    EXPECT_EQ(Le32(File(), 4), n);
    EXPECT_EQ(File().size(), kHeader + n * kRecord);
  }
  EXPECT_EQ(vz::RecNo(), 3);
  ASSERT_TRUE(Use("w exclusive"));
  EXPECT_EQ(File().size(), kHeader + 3 * kRecord + 1);
  EXPECT_EQ(File().substr(kHeader, kRecord), " n1      1.50");
  AddRecords(2);  // over the mark
  vz::FlushDbf();
  EXPECT_EQ(Le32(File(), 4), 5u);
  EXPECT_EQ(File().size(), kHeader + 5 * kRecord + 1);
  EXPECT_EQ(File().back(), '\x1A');
  vz::Settings().FlushOnWrite = true;
  ASSERT_TRUE(Use("w"));
  AddRecords(1);
  EXPECT_EQ(Le32(File(), 4), 6u);
  EXPECT_EQ(File().back(), '\x1A');
  vz::USE("");
  std::string b = File();
  b.pop_back();  // no end mark
  b[1] = 99;     // an old date
  ASSERT_TRUE(UseBytes("w", b));
  vz::GoTop();
  vz::USE("");
  EXPECT_EQ(File(), b);
  ASSERT_TRUE(Use("w exclusive"));
  vz::SetFieldText(1, "xy");
  vz::Replace();
  vz::USE("");
  EXPECT_EQ(File().substr(1, 3), qptest::TodayBytes());
  EXPECT_EQ(File().substr(kHeader, kRecord), " xy      1.50");
  EXPECT_EQ(File().size(), b.size());
}

// Writes outside the table, and writes to a shared table without their lock,
// are refused and change nothing; the record's own lock allows every write.
TEST_F(WriteTest, WriteOutsideTheTableOrWithoutItsLockIsRefusedAndChangesNothing) {
  enum Held { kNothing, kFileLock, kOtherRecord };
  const char* kAppend = "File must be locked to append: <dir>/w.dbf [APPEND]";
  const struct { Held held; void (*write)(); unsigned code; const char* message; } cases[] = {
      {kNothing, vz::Append, 5, kAppend}, {kOtherRecord, vz::Append, 5, kAppend},
      {kFileLock, vz::Replace, 1200, "Record #2 in <dir>/w.dbf [REPLACE]"},
      {kOtherRecord, vz::Replace, 1200, "Record #2 in <dir>/w.dbf [REPLACE]"},
      {kNothing, vz::DeleteRec, 1200, "<dir>/w.dbf Record not locked [DeleteRec]"},
      {kFileLock, vz::DeleteRec, 1200, "<dir>/w.dbf Record not locked [DeleteRec]"},
      {kFileLock, vz::RecallRec, 1200, "Record not locked [RecallRec]"},
      {kFileLock, [] { vz::Poke("abc", 1, 2); }, 1200, "Record not locked [Poke(abc,1,2)]"}};
  ASSERT_TRUE(Use("w exclusive"));
  vz::Replace();
  EXPECT_EQ(LastReport(), Reported(212, "Database \"<dir>/w.dbf\" is empty. [REPLACE]"));
  AddRecords(1);
  vz::SKIP(1);
  vz::Replace();
  EXPECT_EQ(LastReport(), Reported(212, "Database \"<dir>/w.dbf\" is at EOF. [REPLACE]"));
  vz::DeleteRec();
  EXPECT_EQ(LastReport(), Reported(1103, "<dir>/w.dbf at EOF [DeleteRec]"));
  vz::RecallRec();
  EXPECT_EQ(LastReport(), Reported(1103, "<dir>/w.dbf at EOF [RecallRec]"));
  ASSERT_TRUE(Use("w"));
  AddRecords(1);
  const std::string before = File();
  for (const auto& c : cases) {
    vz::GO(1);
    if (c.held != kNothing) {
      ASSERT_TRUE(c.held == kFileLock ? vz::ALock() : vz::RLock());
    }
    vz::GO(2);
    vz::ClearRecord();
    vz::SetFieldText(1, "new");
    c.write();
    EXPECT_EQ(LastReport(), Reported(c.code, c.message));
    EXPECT_EQ(vz::RecCount(), 2);
    EXPECT_EQ(File(), before) << c.message;
    vz::Unlock();
  }
  ASSERT_TRUE(LockRecords({2}));
  vz::SetFieldText(1, "two");
  vz::Replace();
  vz::Poke("ab", 1, 2);
  vz::DeleteRec();
  EXPECT_EQ(vz::ErrorCode(), 0);
  EXPECT_EQ(vz::Peek(1, 2), "abo  ");
  EXPECT_EQ(vz::Peek(0, 2), "*");
}

TEST_F(WriteTest, HooksTransformTheRecordOnItsWayToTheFileAndPeekSeesTheFilesBytes) {
  vz::Settings().EncodeRecordHook = Flip;
  vz::Settings().DecodeRecordHook = Flip;
  vz::Settings().PeekCacheSize = 1000;
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(2);
  (void)vz::Peek(1, 1);  // the cache now holds both records
  vz::GO(1);
  vz::SetFieldText(1, "one");
  vz::Replace();
  EXPECT_EQ(vz::Peek(1, 1), std::string("ONE\0\0", 5));
  vz::USE("");
  EXPECT_EQ(File().substr(kHeader, kRecord), std::string(" ONE\0\0\0\0\0\x11\x0e\x15\x10", kRecord));
  ASSERT_TRUE(Use("w exclusive"));
  EXPECT_EQ(vz::GetFieldText(1), "one  ");
  vz::Settings().DecodeRecordHook = nullptr;
  ASSERT_TRUE(Use("w exclusive"));  // hooks are taken at open
  EXPECT_EQ(vz::GetFieldText(1), std::string("ONE\0\0", 5));
}

// Fields stored in a form the buffer cannot give back keep their bytes
// through a Replace that set another field.
TEST_F(WriteTest, TablesOfOtherProgramsKeepTheirStoredTextMemoPointersAndLayout) {
  const struct { FieldDef field; std::string stored; int date_format; } cases[] = {
      {{"D", 'D', 8, 0}, "19991231", 0}, {{"D", 'D', 8, 0}, "18991231", 1}, {{"D", 'D', 8, 0}, "00000000", 0},
      {{"N", 'N', 12, 0}, " 12345678901", 0}, {{"F", 'F', 8, 1}, " 1.5e+02", 0}, {{"L", 'L', 1, 0}, "y", 0}};
  for (const auto& c : cases) {
    vz::SetDateFormat(c.date_format);
    ASSERT_TRUE(UseBytes("k", RawDbf(3, {c.field, {"NAME", 'C', 4, 0}}, {" " + c.stored + "old "})));
    ASSERT_TRUE(vz::RLock());
    vz::SetFieldText(2, "new");
    vz::Replace();
    ASSERT_EQ(vz::ErrorCode(), 0) << vz::TakeMessage();
    vz::USE("");
    EXPECT_EQ(ReadAll(Path("k.dbf")).substr(32 * 3 + 1, 1 + c.stored.size() + 4), " " + c.stored + "new ");
  }
  vz::SetDateFormat(0);
  ASSERT_TRUE(UseBytes("k", RawDbf(3, {{"D", 'D', 8, 0}, {"N", 'N', 12, 0}}, {" 19991231 12345678901"})));
  ASSERT_TRUE(vz::RLock());
  vz::SetFieldText(1, "12/31/98");
  vz::SetFieldNumber(2, 7);
  vz::Replace();
  vz::USE("");
  EXPECT_EQ(ReadAll(Path("k.dbf")).substr(32 * 3 + 1, 21), " 20981231           7");
  // A memo field too narrow for the pointer: asterisks would lose the note.
  qptest::WriteAll(Path("m.dbf"), qptest::RawDbf(3, {{"NAME", 'C', 3, 0}, {"NOTES", 'M', 1, 0}}, {" old7"}));
  const std::string before = ReadAll(Path("m.dbf"));
  ASSERT_TRUE(Use("m exclusive"));
  EXPECT_EQ(vz::GetFieldMemo(2), 7);
  vz::SetReportErrors(false);
  for (bool append : {false, true}) {
    vz::SetFieldText(1, "new");
    vz::SetFieldMemo(2, 15);
    append ? vz::Append() : vz::Replace();
    EXPECT_EQ(vz::ErrorCode(), 201);
    EXPECT_EQ(vz::TakeMessage(), std::string("Value out of range: NOTES = 15 ") + (append ? "[APPEND]" : "[REPLACE]"));
    vz::ClearError();
  }
  EXPECT_EQ(ReadAll(Path("m.dbf")), before);
  vz::SetFieldMemo(2, 9);  // one that fits is stored
  vz::Replace();
  EXPECT_EQ(vz::ErrorCode(), 0);
  EXPECT_EQ(ReadAll(Path("m.dbf")).substr(32 * 3 + 1), " new9\x1A");
  // dBASE II tables are read and updated in their own layout.
  std::string b(521, '\0');
  b.replace(0, 6, "\x02\x02\x00\x0C\x19\x56", 6);  // version, 2 records, 12/25/86
  qptest::PutLe16(&b, 6, 1 + 6 + 5);
  b.replace(8, 13, "NAME\0\0\0\0\0\0\0C\x06", 13);
  b.replace(24, 16, "PRICE\0\0\0\0\0\0N\x05\0\0\x02", 16);
  b[8 + 32] = b[520] = 0x0D;
  ASSERT_TRUE(UseBytes("old", b + " apple  1.25 pear   0.75\x1A"));
  EXPECT_EQ(vz::RecCount(), 2);
  EXPECT_EQ(vz::Field(2), "PRICE");
  EXPECT_EQ(vz::GetFieldText(1), "apple ");
  vz::SKIP(1);
  EXPECT_DOUBLE_EQ(vz::GetFieldNumber(2), 0.75);
  vz::ClearRecord();
  vz::SetFieldText(1, "plum");
  vz::SetFieldNumber(2, 2.5);
  ASSERT_TRUE(vz::ALock());
  vz::Append();
  vz::Unlock();
  vz::USE("");
  b = ReadAll(Path("old.dbf"));
  ASSERT_EQ(b.size(), 521u + 3 * 12 + 1);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(Le16(b, 1), 3u);
  const std::string today = qptest::TodayBytes();
  EXPECT_EQ(b.substr(3, 3), (std::string{today[1], today[2], today[0]}));  // month, day, year
  EXPECT_EQ(Le16(b, 6), 12u);  // untouched
  EXPECT_EQ(b.substr(521 + 24), " plum   2.50\x1A");
}

constexpr size_t kPackHeader = 32 + 32 + 1;
constexpr size_t kPackRecord = 1 + 4;

class PackTest : public DbfTest, public ::testing::WithParamInterface<qptest::Mode> {
 protected:
  // Records "r1".."rN"; the listed ones marked deleted.
  void Build(int records, const std::vector<int>& deleted) {
    BuildTable("p", Fields({{"name", 'C', 4, 0}}), records, [](int n) { vz::SetFieldText(1, "r" + std::to_string(n)); },
               deleted);
    ASSERT_TRUE(Use(std::string("p") + GetParam().suffix));
  }
  std::string File() { return ReadAll(Path("p.dbf")); }
  std::string Records() {
    std::string b = File();
    return b.substr(kPackHeader, b.size() - kPackHeader - 1);
  }
};

TEST_P(PackTest, MarkedRecordsLeaveAndTheRestKeepTheirOrder) {
  vz::Settings().PeekCacheSize = 100;
  Build(5, {2, 4});
  EXPECT_EQ(vz::Peek(1, 2), "r2  ");
  vz::Settings().FlushOnWrite = true;
  int relations = 0;
  vz::SetRelationCallback([&] { ++relations; });
  vz::GO(3);
  relations = 0;
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(relations, 1);  // once, at the end, not for every record moved
  EXPECT_TRUE(vz::Settings().FlushOnWrite);
  EXPECT_EQ(vz::Peek(1, 2), "r3  ");  // the cache forgot the packed records
  EXPECT_EQ(vz::RecCount(), 3);
  EXPECT_EQ(vz::RecNo(), 1);
  EXPECT_FALSE(vz::dEOF());
  EXPECT_FALSE(vz::dBOF());
  EXPECT_EQ(vz::GetFieldText(1), "r1  ");
  std::string b = File();
  ASSERT_EQ(b.size(), kPackHeader + 3 * kPackRecord + 1);
  EXPECT_EQ(Records(), " r1   r3   r5  ");
  EXPECT_EQ(b.back(), '\x1A');
  EXPECT_EQ(Le32(b, 4), 3u);  // committed with the pack, not at close

  // The table stays in its sharing mode.
  vz::TableInfo info;
  ASSERT_TRUE(vz::GetTableInfo(&info));
  const bool shared = GetParam().suffix[0] == '\0';
  EXPECT_EQ(info.exclusive, !shared);
  EXPECT_EQ(info.file_mode, shared ? 66 : 18);
  plat::File other;
  EXPECT_EQ(other.Open(Path("p.dbf"), plat::kModeShared), shared ? plat::kOk : plat::kSharingViolation);
}

TEST_P(PackTest, PackingEveryRecordLeavesAnEmptyTableThatHasNothingToPack) {
  Build(3, {1, 2, 3});
  EXPECT_TRUE(vz::Pack());
  EXPECT_EQ(vz::RecCount(), 0);
  EXPECT_EQ(vz::RecNo(), 0);
  EXPECT_TRUE(vz::dEOF());
  EXPECT_TRUE(vz::dBOF());
  EXPECT_EQ(File().size(), kPackHeader + 1);
  EXPECT_FALSE(vz::Pack());
  EXPECT_EQ(vz::ErrorCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, PackTest, ::testing::ValuesIn(qptest::kModes), qptest::LabelName());

// Record 2 of three, marked deleted, in a shared table.
class SharedDeleteTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    BuildTable("p", Fields({{"name", 'C', 4, 0}}), 3, {}, {2});
    ASSERT_TRUE(Use("p"));
  }
};

// Refused while another program has the table; once it has gone, having
// appended two records, the pack keeps them without a fresh look at the size.
TEST_F(SharedDeleteTest, PackWaitsForOtherProgramsAndKeepsTheirRecords) {
  std::string before = ReadAll(Path("p.dbf"));
  qptest::Signal ready, done;
  std::string folder = dir_;
  pid_t child = qptest::StartChild([&] {
    if (!vz::USE(folder + "/p.dbf")) return 10;
    ready.Send();
    done.Wait();
    return 0;
  });
  ASSERT_TRUE(ready.Wait());
  EXPECT_FALSE(vz::Pack());
  EXPECT_EQ(vz::ErrorCode(), 0);
  EXPECT_TRUE(halts_.empty());
  EXPECT_EQ(ReadAll(Path("p.dbf")), before);
  done.Send();
  EXPECT_EQ(qptest::WaitChild(child), 0);
  {
    plat::File other;
    ASSERT_EQ(other.Open(Path("p.dbf"), plat::kModeShared), plat::kOk);
    size_t written = 0;
    ASSERT_EQ(other.WriteAt(kPackHeader + 3 * kPackRecord, " them too ", 10, &written), plat::kOk);
  }
  ASSERT_TRUE(vz::Pack());
  EXPECT_EQ(vz::RecCount(), 4);
  std::string b = ReadAll(Path("p.dbf"));
  EXPECT_EQ(b.substr(kPackHeader + 2 * kPackRecord, 2 * kPackRecord), " them too ");
  EXPECT_EQ(Le32(b, 4), 4u);
}

}  // namespace
