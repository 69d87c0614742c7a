// The field buffer: the stored form of every field type, the conversions
// both ways under each date form and the field accessors.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/real48.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::FieldDef;
using qptest::Fields;
using qptest::RawDbf;
using FieldTest = qptest::DbfTest;

void Text(const char* text) { vz::SetFieldText(1, text); }
void Number(double value) { vz::SetFieldNumber(1, value); }

TEST_F(FieldTest, ValueIsStoredAsOtherProgramsExpect) {
  const FieldDef c5{"c", 'C', 5, 0}, n8{"n", 'N', 8, 2}, d{"d", 'D', 8, 0}, m{"m", 'M', 10, 0};
  const struct { FieldDef field; int date_format; bool century; std::function<void()> set; std::string stored; } cases[] = {
      {c5, 0, false, [] { Text("ABC"); }, "ABC  "}, {c5, 0, false, [] { Text("ABCDEFG"); }, "ABCDE"},
      {{"c", 'C', 3, 0}, 0, false,
       [] {
         uint8_t* slot = vz::FieldAddress(1);
         slot[0] = 200;  // a careless caller's length byte beyond the field
         std::memcpy(slot + 1, "xyz", 3);
       },
       "xyz"},
      {{"n", 'N', 5, 2}, 0, false, [] { Number(1234.5); }, "*****"},
      {n8, 0, false, [] { Number(1234.5); }, " 1234.50"},
      {{"n", 'N', 5, 3}, 0, false, [] { Number(0.5); }, "0.500"},
      {{"n", 'N', 6, 2}, 0, false, [] {}, "  0.00"},
      {{"f", 'F', 10, 2}, 0, false, [] { Number(99.99); }, "     99.99"},
      {{"n", 'N', 3, 0}, 0, false, [] { Number(1234); }, "***"},
      {{"n", 'N', 11, 0}, 0, false, [] { Number(-2147483648.0); }, "-2147483648"},
      {{"l", 'L', 1, 0}, 0, false, [] { vz::SetFieldLogical(1, true); }, "T"},
      {{"l", 'L', 1, 0}, 0, false, [] {}, "F"},
      {m, 0, false, [] { vz::SetFieldMemo(1, -5); }, "        -5"},
      {m, 0, false, [] {}, "          "},  // no note: blanks, which other readers take
      {d, 0, false, [] {}, "        "}, {d, 0, false, [] { Text(""); }, "        "},
      {d, 3, true, [] { Text("  -  -    "); }, "        "},
      {d, 0, false, [] { Text("12/31/99"); }, "20991231"},
      {d, 1, false, [] { Text("99.12.31"); }, "20991231"},
      {d, 5, false, [] { Text("17.05.26"); }, "20260517"},
      // The year-first form takes its year's width from the text.
      {d, 1, false, [] { Text("2026.12.25"); }, "20261225"},
      {d, 1, true, [] { Text("26.12.25"); }, "20261225"},
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
}

TEST_F(FieldTest, StoredTextReadsAsTheTypedValue) {
  const FieldDef d{"d", 'D', 8, 0}, l{"l", 'L', 1, 0}, m{"m", 'M', 10, 0};
  const struct { FieldDef field; std::string stored; int date_format; bool century; std::string text; double value; } cases[] = {
      {{"c", 'C', 5, 0}, "ABC  ", 0, false, "ABC  ", 0}, {d, "20260517", 0, false, "05/17/26", 0},
      {d, "20260517", 1, false, "26.05.17", 0}, {d, "20260517", 2, false, "17/05/26", 0},
      {d, "20260517", 8, false, "17.05.26", 0}, {d, "20260517", 0, true, "05/17/2026", 0},
      {d, "20260517", 1, true, "2026.05.17", 0}, {d, "        ", 0, false, "  /  /  ", 0},
      {d, "        ", 1, true, "    .  .  ", 0}, {{"n", 'N', 8, 2}, " -123.25", 0, false, "", -123.25},
      {{"n", 'N', 8, 2}, "        ", 0, false, "", 0}, {{"n", 'N', 5, 2}, "*****", 0, false, "", 0},
      {{"n", 'N', 5, 2}, "1a2.3", 0, false, "", 0}, {{"f", 'F', 8, 1}, " 1.5e+02", 0, false, "", 150},
      {{"n", 'N', 4, 0}, "  +7", 0, false, "", 7}, {{"n", 'N', 4, 2}, " .25", 0, false, "", 0.25},
      {{"n", 'N', 19, 2}, " 1234567890123.4567", 0, false, "", vz::Real48::From(1234567890123.4567).ToDouble()},
      {{"n", 'N', 5, 0}, " 12.6", 0, false, "", 13}, {l, "T", 0, false, "", 1}, {l, "y", 0, false, "", 1},
      {l, "?", 0, false, "", 0}, {m, "        -5", 0, false, "", -5}, {m, "          ", 0, false, "", 0}};
  for (const auto& c : cases) {
    vz::SetDateFormat(c.date_format);
    vz::SetCenturyOn(c.century);
    qptest::WriteAll(Path("r.dbf"), RawDbf(3, {c.field}, {" " + c.stored}));
    ASSERT_TRUE(Use("r"));
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
    qptest::WriteAll(Path("r.dbf"), RawDbf(3, {c.field}, {std::string(" ") + c.stored}));
    ASSERT_TRUE(Use("r"));
    EXPECT_DOUBLE_EQ(vz::GetFieldNumber(1), c.value);
    EXPECT_EQ(vz::ErrorCode(), 201);
    EXPECT_EQ(vz::TakeMessage(), std::string("Value out of range: ") + c.what + " [GetFieldNumber(1)]");
  }
}

class FieldAccessTest : public qptest::DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    ASSERT_TRUE(Create("f", Fields({{"name", 'C', 12, 0}, {"born", 'D', 8, 0}, {"amount", 'N', 9, 2},
                                    {"count", 'N', 4, 0}, {"ok", 'L', 1, 0}, {"notes", 'M', 10, 0}})));
    ASSERT_TRUE(Use("f"));
  }
};

TEST_F(FieldAccessTest, SlotsFollowTheTypesAndBadFieldNumbersReportCode220) {
  // C 12 -> 13, D -> 11, N 9,2 -> 6 (a 6-byte real), N 4,0 -> 4, L -> 1, M -> 4.
  EXPECT_EQ(vz::FieldAddress(6) - vz::FieldAddress(0), 36);
  EXPECT_EQ(vz::FieldBufferSize(), 40);
  EXPECT_EQ(vz::RecSize(), 45);
  const struct { const char* op; std::function<void(int)> call; } accessors[] = {
      {"FieldType", [](int n) { vz::FieldType(n); }}, {"FieldLen", [](int n) { vz::FieldLen(n); }},
      {"FieldDec", [](int n) { vz::FieldDec(n); }}, {"FieldAddress", [](int n) { vz::FieldAddress(n); }},
      {"Field", [](int n) { vz::Field(n); }}};
  for (const auto& a : accessors) {
    for (int n : {-1, 0, 7, 300}) {
      if (n == 0 && a.op == std::string("FieldAddress")) continue;  // the record's flag byte
      a.call(n);
      EXPECT_EQ(LastReport(), Reported(220, std::string("Invalid field number. [") + a.op + "(" + std::to_string(n) + ")]"));
    }
  }
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
