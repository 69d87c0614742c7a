// Writing records: Append and Replace under the sharing rules, the header
// and end mark on flush and close, Peek and Poke, and dBASE II tables.
#include <gtest/gtest.h>

#include <functional>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/real48.h"
#include "platform/datefmt.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::Fields;
using qptest::Le16;
using qptest::Le32;
using qptest::ReadAll;

class WriteTest : public DbfTest {
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
  static constexpr size_t kHeader = 32 + 64 + 1;
  static constexpr size_t kRecord = 1 + 5 + 7;
};

TEST_F(WriteTest, SharedAppendKeepsTheHeaderCountUpToDateForOtherReaders) {
  std::string b = File();
  b[1] = 99;  // an old date
  qptest::WriteAll(Path("w.dbf"), b);
  ASSERT_TRUE(Use("w"));
  int y, m, d;
  plat::Today(&y, &m, &d);
  for (uint32_t n = 1; n <= 3; ++n) {
    AddRecords(1);
    // Each record counts at once, as if the program died right now; the
    // end mark waits for the close.
    b = File();
    EXPECT_EQ(Le32(b, 4), n);
    EXPECT_EQ(std::string(b, 1, 3), std::string({static_cast<char>(y - 1900), static_cast<char>(m), static_cast<char>(d)}));
    EXPECT_EQ(b.size(), kHeader + n * kRecord);
  }
  EXPECT_EQ(vz::RecNo(), 3);
  EXPECT_FALSE(vz::dEOF());
  vz::USE("");
  b = File();
  ASSERT_EQ(b.size(), kHeader + 3 * kRecord + 1);
  EXPECT_EQ(Le32(b, 4), 3u);
  EXPECT_EQ(b.substr(kHeader, kRecord), " n1      1.50");
  EXPECT_EQ(b.back(), '\x1A');
}

TEST_F(WriteTest, FlushDbfCompletesTheHeaderWithoutClosing) {
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(2);
  vz::FlushDbf();
  std::string b = File();
  EXPECT_EQ(Le32(b, 4), 2u);
  EXPECT_EQ(b.size(), kHeader + 2 * kRecord + 1);
  AddRecords(1);  // over the mark
  vz::FlushDbf();
  EXPECT_EQ(File().size(), kHeader + 3 * kRecord + 1);
  EXPECT_EQ(Le32(File(), 4), 3u);
}

TEST_F(WriteTest, OnlyAChangedTableGetsANewHeaderDateAndNoMarkIsAdded) {
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(1);
  vz::USE("");
  std::string b = File();
  b.pop_back();  // no end mark
  b[1] = 99;     // an old date
  qptest::WriteAll(Path("w.dbf"), b);
  ASSERT_TRUE(Use("w"));
  vz::GoTop();
  vz::USE("");
  EXPECT_EQ(File(), b);
  ASSERT_TRUE(Use("w exclusive"));
  vz::SetFieldText(1, "xy");
  vz::Replace();
  vz::USE("");
  std::string after = File();
  EXPECT_NE(after[1], 99);
  EXPECT_EQ(after.size(), kHeader + kRecord);
  EXPECT_EQ(after.substr(kHeader, kRecord), " xy      1.50");
}

// ---- writes to a shared table need the right lock -----------------------------------

enum class Held { kNothing, kFileLock, kOtherRecord };

struct LockRule {
  const char* label;
  Held held;
  std::function<void()> write;  // on record 2
  uint16_t code;
  const char* message;  // <file> stands for the table
};

class LockRuleTest : public WriteTest, public ::testing::WithParamInterface<LockRule> {};

TEST_P(LockRuleTest, WriteWithoutItsLockIsRefusedAndChangesNothing) {
  const LockRule& c = GetParam();
  ASSERT_TRUE(Use("w"));
  AddRecords(2);
  const std::string before = File();
  vz::GO(1);
  if (c.held != Held::kNothing) {
    ASSERT_TRUE(c.held == Held::kFileLock ? vz::ALock() : vz::RLock());
  }
  vz::GO(2);
  vz::ClearRecord();
  vz::SetFieldText(1, "new");
  c.write();
  std::string message = c.message;
  if (size_t at = message.find("<file>"); at != std::string::npos) message.replace(at, 6, Path("w.dbf"));
  EXPECT_EQ(LastReport(), ReportOf(c.code, message));
  EXPECT_EQ(vz::RecCount(), 2);
  EXPECT_EQ(File(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, LockRuleTest,
    ::testing::Values(
        LockRule{"AppendUnlocked", Held::kNothing, vz::Append, 5, "File must be locked to append: <file> [APPEND]"},
        LockRule{"AppendUnderARecordLock", Held::kOtherRecord, vz::Append, 5,
                 "File must be locked to append: <file> [APPEND]"},
        LockRule{"ReplaceUnderTheFileLock", Held::kFileLock, vz::Replace, 1200, "Record #2 in <file> [REPLACE]"},
        LockRule{"ReplaceUnderAnotherRecordLock", Held::kOtherRecord, vz::Replace, 1200,
                 "Record #2 in <file> [REPLACE]"},
        LockRule{"DeleteUnlocked", Held::kNothing, vz::DeleteRec, 1200, "<file> Record not locked [DeleteRec]"},
        LockRule{"DeleteUnderTheFileLock", Held::kFileLock, vz::DeleteRec, 1200,
                 "<file> Record not locked [DeleteRec]"},
        LockRule{"RecallUnderTheFileLock", Held::kFileLock, vz::RecallRec, 1200, "Record not locked [RecallRec]"},
        LockRule{"PokeUnderTheFileLock", Held::kFileLock, [] { vz::Poke("abc", 1, 2); }, 1200,
                 "Record not locked [Poke(abc,1,2)]"}),
    [](const auto& info) { return info.param.label; });

TEST_F(WriteTest, OwnRecordLockAllowsEveryWriteOfTheRecord) {
  ASSERT_TRUE(Use("w"));
  AddRecords(2);
  vz::GO(2);
  ASSERT_TRUE(vz::RLock());
  vz::SetFieldText(1, "two");
  vz::Replace();
  vz::Poke("ab", 1, 2);
  vz::DeleteRec();
  EXPECT_EQ(vz::ErrorCode(), 0);
  EXPECT_EQ(vz::Peek(1, 2), "abo  ");
  EXPECT_EQ(vz::Peek(0, 2), "*");
}

TEST_F(WriteTest, ReplaceOutsideTheTable) {
  ASSERT_TRUE(Use("w exclusive"));
  vz::Replace();
  EXPECT_EQ(LastReport(), ReportOf(212, "Database \"" + Path("w.dbf") + "\" is empty. [REPLACE]"));
  AddRecords(1);
  vz::SKIP(1);
  vz::Replace();
  EXPECT_EQ(LastReport(), ReportOf(212, "Database \"" + Path("w.dbf") + "\" is at EOF. [REPLACE]"));
}

TEST_F(WriteTest, AppendReadsTheStoredRecordBack) {
  ASSERT_TRUE(Use("w exclusive"));
  vz::ClearRecord();
  vz::SetFieldText(1, "toolongname");
  vz::SetFieldNumber(2, 2.005);
  vz::Append();
  EXPECT_EQ(vz::GetFieldText(1), "toolo");
  EXPECT_DOUBLE_EQ(vz::GetFieldNumber(2), vz::Real48::From(2.01).ToDouble());
}

TEST_F(WriteTest, FlushOnWriteCommitsEveryAppend) {
  vz::Settings().FlushOnWrite = true;
  ASSERT_TRUE(Use("w"));
  AddRecords(2);
  EXPECT_EQ(Le32(File(), 4), 2u);
  EXPECT_EQ(File().back(), '\x1A');
}

TEST_F(WriteTest, HooksTransformTheRecordOnItsWayToTheFile) {
  auto flip = [](uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] ^= 0x20;
  };
  vz::Settings().EncodeRecordHook = flip;
  vz::Settings().DecodeRecordHook = flip;
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(1);
  vz::USE("");
  EXPECT_EQ(File().substr(kHeader, kRecord), std::string(" N\x11\0\0\0\0\0\0\x11\x0e\x15\x10", kRecord));
  ASSERT_TRUE(Use("w exclusive"));
  EXPECT_EQ(vz::GetFieldText(1), "n1   ");
  vz::Settings().DecodeRecordHook = nullptr;
  ASSERT_TRUE(Use("w exclusive"));  // hooks are taken at open
  EXPECT_EQ(vz::GetFieldText(1), std::string("N\x11\0\0\0", 5));
}

// Fields another program stored in a form the field buffer cannot give back
// keep their bytes through a Replace that set another field.
struct KeptCase {
  const char* label;
  qptest::FieldDef field;
  std::string stored;
  int date_format;
};
using qptest::PrintTo;

class ReplaceKeepsTest : public DbfTest, public ::testing::WithParamInterface<KeptCase> {};

TEST_P(ReplaceKeepsTest, ReplaceKeepsTheStoredTextOfFieldsNotSet) {
  const KeptCase& c = GetParam();
  vz::SetDateFormat(c.date_format);
  qptest::WriteAll(Path("k.dbf"), qptest::RawDbf(3, {c.field, {"NAME", 'C', 4, 0}}, {" " + c.stored + "old "}));
  ASSERT_TRUE(Use("k"));
  ASSERT_TRUE(vz::RLock());
  vz::SetFieldText(2, "new");
  vz::Replace();
  vz::Unlock();
  ASSERT_EQ(vz::ErrorCode(), 0) << vz::TakeMessage();
  vz::USE("");
  EXPECT_EQ(ReadAll(Path("k.dbf")).substr(32 * 3 + 1, 1 + c.stored.size() + 4), " " + c.stored + "new ");
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReplaceKeepsTest,
    ::testing::Values(KeptCase{"DateOfAnotherCenturyWithoutCentury", {"D", 'D', 8, 0}, "19991231", 0},
                      KeptCase{"DateOfAnotherCenturyYearFirst", {"D", 'D', 8, 0}, "18991231", 1},
                      KeptCase{"EmptyDateOfOtherPrograms", {"D", 'D', 8, 0}, "00000000", 0},
                      KeptCase{"IntegerBeyond32Bits", {"N", 'N', 12, 0}, " 12345678901", 0},
                      KeptCase{"NumberInAnotherForm", {"F", 'F', 8, 1}, " 1.5e+02", 0},
                      KeptCase{"LogicalOfAnotherLetter", {"L", 'L', 1, 0}, "y", 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(WriteTest, ReplaceStoresTheFieldsTheCallerSet) {
  vz::SetCenturyOn(false);
  qptest::WriteAll(Path("k.dbf"), qptest::RawDbf(3, {{"D", 'D', 8, 0}, {"N", 'N', 12, 0}}, {" 19991231 12345678901"}));
  ASSERT_TRUE(Use("k"));
  ASSERT_TRUE(vz::RLock());
  vz::SetFieldText(1, "12/31/98");
  vz::SetFieldNumber(2, 7);
  vz::Replace();
  vz::Unlock();
  vz::USE("");
  EXPECT_EQ(ReadAll(Path("k.dbf")).substr(32 * 3 + 1, 21), " 20981231           7");
}

// Another program's memo field may be narrower than the block numbers a
// note gets: a pointer stored as asterisks would lose the note.
TEST_F(WriteTest, MemoPointerTooWideForItsFieldIsRefusedAndNothingWritten) {
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
}

TEST_F(WriteTest, PeekCacheHoldsTheFilesBytesAfterReplaceThroughHooks) {
  auto flip = [](uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] ^= 0x20;
  };
  vz::Settings().EncodeRecordHook = flip;
  vz::Settings().DecodeRecordHook = flip;
  vz::Settings().PeekCacheSize = 1000;
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(2);
  (void)vz::Peek(1, 1);  // the cache now holds both records
  vz::GO(1);
  vz::SetFieldText(1, "one");
  vz::Replace();
  EXPECT_EQ(vz::Peek(1, 1), File().substr(kHeader + 1, 5));
  EXPECT_EQ(vz::Peek(1, 1), std::string("ONE\0\0", 5));
}

// ---- Peek and Poke ----------------------------------------------------------------

class PeekTest : public WriteTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(PeekTest, PeekReadsStoredTextWithoutMoving) {
  vz::Settings().PeekCacheSize = GetParam();
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(5);
  vz::GO(2);
  EXPECT_EQ(vz::Peek(1, 4), "n4   ");
  EXPECT_EQ(vz::Peek(2, 5), "   7.50");
  EXPECT_EQ(vz::Peek(0, 3), " ");
  EXPECT_EQ(vz::Peek(3, 1), "");
  EXPECT_EQ(vz::Peek(1, 6), "");
  EXPECT_EQ(vz::Peek(1, 0), "");
  EXPECT_EQ(vz::RecNo(), 2);
  // Writes of our own show at once, cache or not.
  vz::GO(4);
  vz::SetFieldText(1, "four");
  vz::Replace();
  vz::DeleteRec();
  vz::Poke("Z", 1, 5);
  EXPECT_EQ(vz::Peek(1, 4), "four ");
  EXPECT_EQ(vz::Peek(0, 4), "*");
  EXPECT_EQ(vz::Peek(1, 5), "Z5   ");
}

INSTANTIATE_TEST_SUITE_P(CacheSizes, PeekTest, ::testing::Values(0, 13, 40, 65535));

TEST_F(WriteTest, PeekCacheSmallerThanARecordGivesNothing) {
  vz::Settings().PeekCacheSize = 12;
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(1);
  EXPECT_EQ(vz::Peek(1, 1), "");
}

TEST_F(WriteTest, PeekCacheFollowsTheTablePeeked) {
  vz::Settings().PeekCacheSize = 1000;
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(2);
  ASSERT_TRUE(Create("v", Fields({{"name", 'C', 5, 0}, {"amount", 'N', 7, 2}})));
  vz::Select(2);
  ASSERT_TRUE(Use("v exclusive"));
  AddRecords(2);
  vz::GO(2);
  vz::SetFieldText(1, "other");
  vz::Replace();
  EXPECT_EQ(vz::Peek(1, 2), "other");
  vz::Select(1);
  EXPECT_EQ(vz::Peek(1, 2), "n2   ");
}

TEST_F(WriteTest, PokeWritesOnlyTheGivenCharacters) {
  ASSERT_TRUE(Use("w exclusive"));
  AddRecords(2);
  vz::Poke("abcdefgh", 1, 2);
  vz::Poke("9", 2, 1);
  vz::Poke("*", 0, 1);
  vz::Poke("x", 3, 1);  // no such field: nothing
  vz::Poke("x", 1, 3);  // no such record: nothing
  vz::USE("");
  std::string b = File();
  EXPECT_EQ(b.substr(kHeader, kRecord), "*n1   9  1.50");
  EXPECT_EQ(b.substr(kHeader + kRecord, kRecord), " abcde   3.00");
  EXPECT_EQ(b.size(), kHeader + 2 * kRecord + 1);
}

// ---- dBASE II -----------------------------------------------------------------------

std::string Dbase2Table() {
  std::string b(521, '\0');
  b[0] = 0x02;
  qptest::PutLe16(&b, 1, 2);
  b[3] = 12;
  b[4] = 25;
  b[5] = 86;
  qptest::PutLe16(&b, 6, 1 + 6 + 5);
  auto field = [&](int i, const char* name, char type, int len, int dec) {
    size_t at = 8 + 16 * static_cast<size_t>(i);
    b.replace(at, std::strlen(name), name);
    b[at + 11] = type;
    b[at + 12] = static_cast<char>(len);
    b[at + 15] = static_cast<char>(dec);
  };
  field(0, "NAME", 'C', 6, 0);
  field(1, "PRICE", 'N', 5, 2);
  b[8 + 32] = 0x0D;
  b[520] = 0x0D;
  b += " apple  1.25";
  b += " pear   0.75";
  b += '\x1A';
  return b;
}

TEST_F(WriteTest, Dbase2TablesAreReadAndUpdatedInTheirOwnLayout) {
  qptest::WriteAll(Path("old.dbf"), Dbase2Table());
  ASSERT_TRUE(Use("old"));
  EXPECT_EQ(vz::RecCount(), 2);
  EXPECT_EQ(vz::FieldCount(), 2);
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
  std::string b = ReadAll(Path("old.dbf"));
  ASSERT_EQ(b.size(), 521u + 3 * 12 + 1);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(Le16(b, 1), 3u);
  int y, m, d;
  plat::Today(&y, &m, &d);
  EXPECT_EQ(b[3], m);
  EXPECT_EQ(b[4], d);
  EXPECT_EQ(static_cast<uint8_t>(b[5]), y - 1900);
  EXPECT_EQ(Le16(b, 6), 12u);  // untouched
  EXPECT_EQ(b.substr(521 + 24), " plum   2.50\x1A");
}

}  // namespace
