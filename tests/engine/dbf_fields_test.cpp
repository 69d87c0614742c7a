// The field buffer: the stored form of every field type, the conversions
// both ways under each date form, blank records and the field accessors.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "engine/real48.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::PrintTo;
using qptest::FieldDef;
using qptest::Fields;
using qptest::RawDbf;

struct StoreCase {
  const char* label;
  FieldDef field;
  int date_format;
  bool century;
  std::function<void()> set;  // fills field 1 of the blank record
  std::string stored;         // the field's bytes in the file
};

class StoreTest : public DbfTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreTest, ValueIsStoredAsOtherProgramsExpect) {
  const StoreCase& c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(
    Types, StoreTest,
    ::testing::Values(
        StoreCase{"CharPadded", {"c", 'C', 5, 0}, 0, false, [] { vz::SetFieldText(1, "ABC"); }, "ABC  "},
        StoreCase{"CharCut", {"c", 'C', 5, 0}, 0, false, [] { vz::SetFieldText(1, "ABCDEFG"); }, "ABCDE"},
        StoreCase{"CharLengthByteBeyondField", {"c", 'C', 3, 0}, 0, false,
                  [] {
                    uint8_t* slot = vz::FieldAddress(1);
                    slot[0] = 200;  // a careless caller
                    std::memcpy(slot + 1, "xyz", 3);
                  },
                  "xyz"},
        StoreCase{"NumericTooWide", {"n", 'N', 5, 2}, 0, false, [] { vz::SetFieldNumber(1, 1234.5); }, "*****"},
        StoreCase{"NumericDecimals", {"n", 'N', 8, 2}, 0, false, [] { vz::SetFieldNumber(1, 1234.5); }, " 1234.50"},
        StoreCase{"NumericNegative", {"n", 'N', 8, 2}, 0, false, [] { vz::SetFieldNumber(1, -3.25); }, "   -3.25"},
        StoreCase{"NumericBelowOne", {"n", 'N', 5, 3}, 0, false, [] { vz::SetFieldNumber(1, 0.5); }, "0.500"},
        StoreCase{"NumericHalfRoundsAway", {"n", 'N', 6, 2}, 0, false, [] { vz::SetFieldNumber(1, 0.125); }, "  0.13"},
        StoreCase{"NumericZero", {"n", 'N', 6, 2}, 0, false, [] {}, "  0.00"},
        StoreCase{"FloatLikeNumeric", {"f", 'F', 10, 2}, 0, false, [] { vz::SetFieldNumber(1, 99.99); }, "     99.99"},
        StoreCase{"Integer", {"n", 'N', 6, 0}, 0, false, [] { vz::SetFieldNumber(1, -42); }, "   -42"},
        StoreCase{"IntegerTooWide", {"n", 'N', 3, 0}, 0, false, [] { vz::SetFieldNumber(1, 1234); }, "***"},
        StoreCase{"IntegerLargest", {"n", 'N', 11, 0}, 0, false, [] { vz::SetFieldNumber(1, -2147483648.0); },
                  "-2147483648"},
        StoreCase{"LogicalTrue", {"l", 'L', 1, 0}, 0, false, [] { vz::SetFieldLogical(1, true); }, "T"},
        StoreCase{"LogicalFalse", {"l", 'L', 1, 0}, 0, false, [] {}, "F"},
        StoreCase{"Memo", {"m", 'M', 10, 0}, 0, false, [] { vz::SetFieldMemo(1, 17); }, "        17"},
        StoreCase{"MemoBlob", {"m", 'M', 10, 0}, 0, false, [] { vz::SetFieldMemo(1, -5); }, "        -5"},
        StoreCase{"MemoNone", {"m", 'M', 10, 0}, 0, false, [] {}, "          "},
        StoreCase{"DateBlank", {"d", 'D', 8, 0}, 0, false, [] {}, "        "},
        StoreCase{"DateEmptyText", {"d", 'D', 8, 0}, 0, false, [] { vz::SetFieldText(1, ""); }, "        "},
        StoreCase{"DateBlankForm", {"d", 'D', 8, 0}, 3, true, [] { vz::SetFieldText(1, "  -  -    "); }, "        "},
        StoreCase{"DateUs", {"d", 'D', 8, 0}, 0, false, [] { vz::SetFieldText(1, "12/31/99"); }, "20991231"},
        StoreCase{"DateBritish", {"d", 'D', 8, 0}, 2, false, [] { vz::SetFieldText(1, "31/12/99"); }, "20991231"},
        StoreCase{"DateYearFirst", {"d", 'D', 8, 0}, 1, false, [] { vz::SetFieldText(1, "99.12.31"); }, "20991231"},
        StoreCase{"DateItalian", {"d", 'D', 8, 0}, 3, false, [] { vz::SetFieldText(1, "07-03-26"); }, "20260307"},
        StoreCase{"DateGerman", {"d", 'D', 8, 0}, 5, false, [] { vz::SetFieldText(1, "17.05.26"); }, "20260517"},
        StoreCase{"DateCentury", {"d", 'D', 8, 0}, 0, true, [] { vz::SetFieldText(1, "12/31/1999"); }, "19991231"},
        StoreCase{"DateCenturyYearFirst", {"d", 'D', 8, 0}, 1, true, [] { vz::SetFieldText(1, "1999.12.31"); },
                  "19991231"},
        StoreCase{"DateYearFirstOfFourDigitsWithoutCentury", {"d", 'D', 8, 0}, 1, false,
                  [] { vz::SetFieldText(1, "2026.12.25"); }, "20261225"},
        StoreCase{"DateYearFirstOfTwoDigitsWithCentury", {"d", 'D', 8, 0}, 1, true,
                  [] { vz::SetFieldText(1, "26.12.25"); }, "20261225"},
        StoreCase{"DateTwoDigitYearWithCentury", {"d", 'D', 8, 0}, 2, true,
                  [] { vz::SetFieldText(1, "31/12/99"); }, "20991231"}),
    [](const auto& info) { return info.param.label; });

struct ReadCase {
  const char* label;
  FieldDef field;
  std::string stored;
  int date_format;
  bool century;
  std::function<void()> check;  // looks at field 1 of the current record
};

class ReadTest : public DbfTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTest, StoredTextReadsAsTheTypedValue) {
  const ReadCase& c = GetParam();
  vz::SetDateFormat(c.date_format);
  vz::SetCenturyOn(c.century);
  ASSERT_EQ(c.stored.size(), static_cast<size_t>(c.field.length));
  qptest::WriteAll(Path("r.dbf"), RawDbf(3, {c.field}, {" " + c.stored}));
  ASSERT_TRUE(Use("r"));
  c.check();
  EXPECT_EQ(vz::ErrorCode(), 0);
}

auto Text(std::string want) {
  return [want] { EXPECT_EQ(vz::GetFieldText(1), want); };
}
auto Number(double want) {
  return [want] { EXPECT_DOUBLE_EQ(vz::GetFieldNumber(1), want); };
}
// The number as stored, with code 201 and its message.
auto OutOfRange(double want, std::string what) {
  return [want, what] {
    vz::ReportErrorsGuard quiet(false);
    EXPECT_DOUBLE_EQ(vz::GetFieldNumber(1), want);
    EXPECT_EQ(vz::ErrorCode(), 201);
    EXPECT_EQ(vz::TakeMessage(), "Value out of range: " + what + " [GetFieldNumber(1)]");
    vz::ClearError();
  };
}
auto Logical(bool want) {
  return [want] { EXPECT_EQ(vz::GetFieldLogical(1), want); };
}
auto Memo(int32_t want) {
  return [want] { EXPECT_EQ(vz::GetFieldMemo(1), want); };
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReadTest,
    ::testing::Values(
        ReadCase{"CharKeepsTrailingBlanks", {"c", 'C', 5, 0}, "ABC  ", 0, false, Text("ABC  ")},
        ReadCase{"DateUs", {"d", 'D', 8, 0}, "20260517", 0, false, Text("05/17/26")},
        ReadCase{"DateYearFirst", {"d", 'D', 8, 0}, "20260517", 1, false, Text("26.05.17")},
        ReadCase{"DateBritish", {"d", 'D', 8, 0}, "20260517", 2, false, Text("17/05/26")},
        ReadCase{"DateItalian", {"d", 'D', 8, 0}, "20260517", 3, false, Text("17-05-26")},
        ReadCase{"DateFrench", {"d", 'D', 8, 0}, "20260517", 4, false, Text("17.05.26")},
        ReadCase{"DateRussian", {"d", 'D', 8, 0}, "20260517", 8, false, Text("17.05.26")},
        ReadCase{"DateCentury", {"d", 'D', 8, 0}, "20260517", 0, true, Text("05/17/2026")},
        ReadCase{"DateCenturyYearFirst", {"d", 'D', 8, 0}, "20260517", 1, true, Text("2026.05.17")},
        ReadCase{"DateBlank", {"d", 'D', 8, 0}, "        ", 0, false, Text("  /  /  ")},
        ReadCase{"DateBlankCentury", {"d", 'D', 8, 0}, "        ", 5, true, Text("  .  .    ")},
        ReadCase{"NumericDecimals", {"n", 'N', 8, 2}, " -123.25", 0, false, Number(-123.25)},
        ReadCase{"NumericBlank", {"n", 'N', 8, 2}, "        ", 0, false, Number(0)},
        ReadCase{"NumericStars", {"n", 'N', 5, 2}, "*****", 0, false, Number(0)},
        ReadCase{"NumericGarbage", {"n", 'N', 5, 2}, "1a2.3", 0, false, Number(0)},
        ReadCase{"NumericExponent", {"f", 'F', 8, 1}, " 1.5e+02", 0, false, Number(150)},
        ReadCase{"NumericPlusSign", {"n", 'N', 4, 0}, "  +7", 0, false, Number(7)},
        ReadCase{"NumericLeadingDot", {"n", 'N', 4, 2}, " .25", 0, false, Number(0.25)},
        ReadCase{"NumericManyDigits", {"n", 'N', 19, 2}, " 1234567890123.4567", 0, false,
                 Number(vz::Real48::From(1234567890123.4567).ToDouble())},
        ReadCase{"IntegerRoundsFraction", {"n", 'N', 5, 0}, " 12.6", 0, false, Number(13)},
        ReadCase{"IntegerBeyond32BitsIsNoSilentZero", {"n", 'N', 12, 0}, " 12345678901", 0, false,
                 OutOfRange(12345678901.0, "n = 12345678901")},
        ReadCase{"RealBeyondItsRangeIsNoSilentLimit", {"n", 'N', 9, 1}, "   1.0e39", 0, false,
                 OutOfRange(1e39, "n = 1.0e39")},
        ReadCase{"LogicalT", {"l", 'L', 1, 0}, "T", 0, false, Logical(true)},
        ReadCase{"LogicalLowerT", {"l", 'L', 1, 0}, "t", 0, false, Logical(true)},
        ReadCase{"LogicalY", {"l", 'L', 1, 0}, "Y", 0, false, Logical(true)},
        ReadCase{"LogicalLowerY", {"l", 'L', 1, 0}, "y", 0, false, Logical(true)},
        ReadCase{"LogicalN", {"l", 'L', 1, 0}, "N", 0, false, Logical(false)},
        ReadCase{"LogicalUnknown", {"l", 'L', 1, 0}, "?", 0, false, Logical(false)},
        ReadCase{"MemoBlock", {"m", 'M', 10, 0}, "        17", 0, false, Memo(17)},
        ReadCase{"MemoBlank", {"m", 'M', 10, 0}, "          ", 0, false, Memo(0)},
        ReadCase{"MemoBlob", {"m", 'M', 10, 0}, "        -5", 0, false, Memo(-5)}),
    [](const auto& info) { return info.param.label; });

TEST_F(DbfTest, NumbersReadAsTheNearestRealOfTheirValue) {
  // Plain decimals of every size, exponents, the edges of the 6-byte range.
  std::vector<std::string> texts = {"0", "-0", "1", "0.1", "123456789.12345", "99999999999999.99999",
                                    "1e-39", "3e-39", "1.7e38", "1.8e38", "-2.5e-10", "4.94e-324"};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 3000; ++i) {
    char text[32];
    double v = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 120) - 80);
    auto [end, ec] = std::to_chars(text, text + sizeof text, i % 2 ? -v : v, std::chars_format::general, 1 + i % 17);
    if (ec == std::errc() && end - text <= 20) texts.emplace_back(text, end);
  }
  ASSERT_GT(texts.size(), 2000u);
  std::vector<std::string> records;
  for (const std::string& t : texts) records.push_back(" " + std::string(20 - t.size(), ' ') + t);
  qptest::WriteAll(Path("n.dbf"), RawDbf(3, {{"N", 'N', 20, 5}}, records));
  ASSERT_TRUE(Use("n exclusive"));
  for (size_t i = 0; i < texts.size(); ++i) {
    vz::GO(static_cast<int32_t>(i + 1));
    double want = 0;
    std::from_chars(texts[i].data(), texts[i].data() + texts[i].size(), want);
    ASSERT_EQ(vz::Real48::Load(vz::FieldAddress(1)), vz::Real48::From(want)) << texts[i];
  }
}

struct BlankDateCase {
  int date_format;
  bool century;
  const char* blank;
};

class BlankDateTest : public DbfTest, public ::testing::WithParamInterface<BlankDateCase> {};

TEST_P(BlankDateTest, ClearRecordGivesTheBlankDateOfTheSettings) {
  vz::SetDateFormat(GetParam().date_format);
  vz::SetCenturyOn(GetParam().century);
  ASSERT_TRUE(Create("d", Fields({{"d", 'D', 8, 0}})));
  ASSERT_TRUE(Use("d"));
  vz::ClearRecord();
  EXPECT_EQ(vz::GetFieldText(1), GetParam().blank);
  EXPECT_EQ(vz::FieldLen(1), GetParam().century ? 10 : 8);
}

INSTANTIATE_TEST_SUITE_P(Forms, BlankDateTest,
                         ::testing::Values(BlankDateCase{0, false, "  /  /  "}, BlankDateCase{1, false, "  .  .  "},
                                           BlankDateCase{2, false, "  /  /  "}, BlankDateCase{3, false, "  -  -  "},
                                           BlankDateCase{4, false, "  .  .  "}, BlankDateCase{8, false, "  .  .  "},
                                           BlankDateCase{0, true, "  /  /    "}, BlankDateCase{1, true, "    .  .  "},
                                           BlankDateCase{3, true, "  -  -    "}));

class FieldAccessTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("f", Fields({{"name", 'C', 12, 0}, {"born", 'D', 8, 0}, {"amount", 'N', 9, 2},
                                    {"count", 'N', 4, 0}, {"ok", 'L', 1, 0}, {"notes", 'M', 10, 0}})));
    ASSERT_TRUE(Use("f"));
  }
};

TEST_F(FieldAccessTest, SlotsFollowTheLayoutRuleAndDescribeTheirFields) {
  // C 12 -> 13, D -> 11, N 9,2 -> 6 (a 6-byte real), N 4,0 -> 4, L -> 1, M -> 4.
  const int offsets[] = {1, 14, 25, 31, 35, 36, 40};
  uint8_t* start = vz::FieldAddress(0);
  ASSERT_NE(start, nullptr);
  for (int f = 1; f <= 6; ++f) EXPECT_EQ(vz::FieldAddress(f) - start, offsets[f - 1]) << f;
  EXPECT_EQ(vz::FieldBufferSize(), offsets[6]);
  EXPECT_EQ(vz::FieldCount(), 6);
  EXPECT_EQ(vz::Field(3), "AMOUNT");
  EXPECT_EQ(vz::FieldType(2), 'D');
  EXPECT_EQ(vz::FieldLen(1), 12);
  EXPECT_EQ(vz::FieldDec(3), 2);
  EXPECT_EQ(vz::FieldNo("notes"), 6);
  EXPECT_EQ(vz::FieldNo("NOTESANDMORE"), 0);
  EXPECT_EQ(vz::RecSize(), 1 + 12 + 8 + 9 + 4 + 1 + 10);
}

struct BadFieldNumber {
  const char* op;
  std::function<void(int)> call;
};

class BadFieldNumberTest : public FieldAccessTest, public ::testing::WithParamInterface<BadFieldNumber> {};

TEST_P(BadFieldNumberTest, InvalidNumbersReportCode220) {
  for (int n : {-1, 7, 300}) {
    GetParam().call(n);
    EXPECT_EQ(LastReport(), ReportOf(220, std::string("Invalid field number. [") + GetParam().op + "(" +
                                              std::to_string(n) + ")]"));
  }
}

INSTANTIATE_TEST_SUITE_P(Accessors, BadFieldNumberTest,
                         ::testing::Values(BadFieldNumber{"FieldType", [](int n) { vz::FieldType(n); }},
                                           BadFieldNumber{"FieldLen", [](int n) { vz::FieldLen(n); }},
                                           BadFieldNumber{"FieldDec", [](int n) { vz::FieldDec(n); }},
                                           BadFieldNumber{"FieldAddress", [](int n) { vz::FieldAddress(n); }},
                                           BadFieldNumber{"Field", [](int n) { vz::Field(n); }}),
                         [](const auto& info) { return info.param.op; });

TEST_F(FieldAccessTest, FieldZeroIsInvalidExceptForTheAddress) {
  vz::FieldType(0);
  EXPECT_EQ(LastReport(), ReportOf(220, "Invalid field number. [FieldType(0)]"));
  halts_.clear();
  EXPECT_NE(vz::FieldAddress(0), nullptr);
  EXPECT_TRUE(halts_.empty());
}

TEST_F(FieldAccessTest, EveryTypeSurvivesAWriteAndARead) {
  vz::ClearRecord();
  vz::SetFieldText(1, "Jane Doe");
  vz::SetFieldText(2, "02/29/24");
  vz::SetFieldNumber(3, -1234.56);
  vz::SetFieldNumber(4, 321);
  vz::SetFieldLogical(5, true);
  vz::SetFieldMemo(6, 42);
  ASSERT_TRUE(vz::ALock());
  vz::Append();
  vz::Unlock();
  vz::ClearRecord();
  vz::GO(1);
  EXPECT_EQ(vz::GetFieldText(1), "Jane Doe    ");
  EXPECT_EQ(vz::GetFieldText(2), "02/29/24");
  EXPECT_DOUBLE_EQ(vz::GetFieldNumber(3), vz::Real48::From(-1234.56).ToDouble());
  EXPECT_EQ(vz::GetFieldNumber(4), 321);
  EXPECT_TRUE(vz::GetFieldLogical(5));
  EXPECT_EQ(vz::GetFieldMemo(6), 42);
  EXPECT_EQ(std::string(vz::RecordImage()), " Jane Doe    20240229 -1234.56 321T        42");
}

TEST_F(FieldAccessTest, ShortDateFieldOfAnotherProgramStaysInsideItsSlot) {
  // A D field of length 3 gets a 6-byte slot: five characters of date.
  qptest::WriteAll(Path("odd.dbf"), RawDbf(3, {{"D", 'D', 3, 0}, {"C", 'C', 2, 0}}, {" 202xy"}));
  ASSERT_TRUE(Use("odd"));
  EXPECT_EQ(vz::GetFieldText(2), "xy");
  EXPECT_EQ(vz::GetFieldText(1).size(), 5u);
  vz::SetFieldText(1, "12/31/99");
  EXPECT_EQ(vz::GetFieldText(2), "xy");
}

}  // namespace
