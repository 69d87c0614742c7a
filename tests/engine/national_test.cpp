// National settings, dates in every DateFormat, fixed-point number texts,
// typed numbers read back, and the 6-byte real (its bytes of known values
// worked out independently with exact rational arithmetic).
#include "engine/numtext.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "engine/dates.h"
#include "engine/real48.h"
#include "tests/support/dbf_helpers.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

using Dates = qptest::DbfTest;  // American settings, century pivot 2000
using NumText = qptest::DbfTest;

// Zeller's sum is -24 for this date; a plain "%" left a negative weekday.
TEST_F(Dates, FirstOfMarchTwoThousandIsAWednesday) {
  EXPECT_EQ(vz::DOW("03/01/2000"), 4);
  EXPECT_EQ(vz::CDOW("03/01/2000"), "Wednesday");
  EXPECT_EQ(vz::DayOfWeek(2000, 3, 1), 4);
}

// Only real dates in the current form are valid and have names; a part
// that is no number reads as 0, the year included.
TEST_F(Dates, PartsAndValidityAreReadAsTheyStandInTheRegionalForm) {
  const struct { int format, pivot; const char* text; bool valid; int month, day, year; } cases[] = {
      {0, 2000, "12/25/26", true, 12, 25, 2026}, {0, 1900, "12/25/26", true, 12, 25, 1926},
      {0, 2000, " 12/25/1999 ", true, 12, 25, 1999}, {0, 2000, "2/30/98", false, 2, 30, 2098},
      {0, 2000, "02/29/2000", true, 2, 29, 2000}, {0, 2000, "02/29/1900", false, 2, 29, 1900},
      {0, 2000, "04/31/98", false, 4, 31, 2098}, {0, 2000, "13/01/98", false, 13, 1, 2098},
      {0, 2000, "12/xx/26", false, 12, 0, 2026},
      {0, 2000, "12/25/ab", false, 12, 25, 0}, {0, 2000, "12.25.26", false, 0, 0, 0},
      // -1: the parts are not looked at
      {0, 2000, "12/25/2026x", false, -1, 0, 0}, {0, 2000, "12/25", false, -1, 0, 0},
      {0, 2000, "12/25/199", false, -1, 0, 0}, {0, 2000, "+1/25/26", false, -1, 0, 0},
      {0, 2000, "123/5/98", false, -1, 0, 0}, {0, 2000, "12/25/-026", false, -1, 0, 0},
      {1, 2000, "26.12.25", true, 12, 25, 2026}, {1, 2000, "2024.02.29", true, 2, 29, 2024},
      {2, 2000, "25/12/2026", true, 12, 25, 2026}, {2, 2000, "12/31/99", false, 31, 12, 2099},
      {3, 2000, "5-1-7", true, 1, 5, 2007}, {3, 2000, "25.12.26", false, 0, 0, 0},
      {8, 2000, "01.02.03", true, 2, 1, 2003}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    vz::SetDateFormat(c.format);
    vz::SetCenturyPivotForTesting(c.pivot);
    EXPECT_EQ(vz::IsValidDate(c.text), c.valid);
    EXPECT_FALSE(vz::IsBlankDate(c.text));
    EXPECT_EQ(vz::DOW(c.text) != 0, c.valid);
    EXPECT_EQ(vz::CMONTH(c.text) != std::string(9, ' '), c.valid);
    if (c.month >= 0) {
      EXPECT_EQ(vz::MONTH(c.text), c.month);
      EXPECT_EQ(vz::DAY(c.text), c.day);
      EXPECT_EQ(vz::YEAR(c.text), c.year);
    }
  }
  // The regional short date decides DateFormat and century, not the language.
  const struct { const char* format; int date_format; bool century; } forms[] = {
      {"M/d/yyyy", 0, true}, {"d.M.yy", 5, false}, {"dd/MM/yyyy", 2, true}, {"DD-MM-YY", 3, false},
      {"yyyy-MM-dd", 1, true}, {"dd MMM yyyy", 0, true}};
  vz::InitNationalSettingsFor("de_DE");
  for (const auto& c : forms) {
    vz::ApplyRegionalSettings({",", ".", c.format});
    EXPECT_EQ(vz::DateFormat(), c.date_format) << c.format;
    EXPECT_EQ(vz::CenturyOn(), c.century) << c.format;
  }
  EXPECT_EQ(vz::LanguageIndex(), 5);
  // Separators that are not one byte become blanks.
  vz::ApplyRegionalSettings({",", "\u202F", "dd.MM.yyyy"});  // narrow no-break space
  EXPECT_EQ(vz::DecimalSeparator(), ',');
  EXPECT_EQ(vz::ThousandsSeparator(), ' ');
  vz::ApplyRegionalSettings({"\u066B", "'", "MM/dd/yy"});
  EXPECT_EQ(vz::DecimalSeparator(), ' ');
  EXPECT_EQ(vz::ThousandsSeparator(), '\'');
}

// Expected texts from exact decimal arithmetic (half away from zero).
TEST_F(NumText, FormatFixedRoundsOnTheExactValueAndOverflowsIntoStarsAndRealToTextTakesTheSeparator) {
  const struct { double value; int width, decimals; const char* text; } cases[] = {
      {1234.56, 0, 2, "1234.56"}, {-0.125, 0, 2, "-0.13"}, {2.5, 0, 0, "3"}, {1.005, 0, 2, "1.00"},
      {9.999, 0, 2, "10.00"}, {0.3, 0, 20, "0.29999999999999998890"}, {1e29, 0, 0, "99999999999999991433150857216"},
      {std::numeric_limits<double>::denorm_min(), 0, 2, "0.00"},
      // widths and signs: never cut, never "-0.00", width at most 30
      {-1234.56, 10, 2, "  -1234.56"}, {12345.678, 3, 1, "12345.7"}, {-0.001, 0, 2, "0.00"}, {-0.0, 5, 1, "  0.0"},
      {123.0, 0, -3, "123"}, {7.0, -4, 0, "7"}, {1.5, 40, 1, "                           1.5"},
      // more than 30 characters, infinities and NaN
      {1e30, 0, 0, "******************************"}, {1e30, 10, 0, "**********"},
      {1.0, 0, 40, "******************************"},
      {std::nan(""), 5, 2, "*****"}, {-kInf, 0, 2, "******************************"}};
  for (const auto& c : cases) {
    EXPECT_EQ(vz::FormatFixed(c.value, c.width, c.decimals), c.text) << c.value << " " << c.width << " " << c.decimals;
  }
  // RealToText uses the engine's decimal separator, files keep the point.
  vz::InitNationalSettingsFor("de_DE");
  EXPECT_EQ(vz::RealToText(vz::Real48::From(-0.5), 0, 1), "-0,5");
  EXPECT_EQ(vz::FormatFixed(1234.56, 0, 2), "1234.56");
  vz::SetDecimalSeparator(' ');
  EXPECT_EQ(vz::RealToText(1.25, 0, 2), "1 25");
}

TEST_F(NumText, SplitsAroundTheFirstSeparatorAndIntegersNeverCutNorOverflow) {
  const struct { const char *separator, *text, *before, *after; } cases[] = {
      {"/", "a/b/c", "a", "b/c"}, {"/", "abc", "", ""}, {"/", "/x", "", "x"}, {"/", "x/", "x", ""},
      {", ", "x, y, z", "x", "y, z"}, {"ab", "a", "", ""}, {"", "abc", "", ""}, {"/", "", "", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(vz::TextBefore(c.separator, c.text), c.before) << c.text;
    EXPECT_EQ(vz::TextAfter(c.separator, c.text), c.after) << c.text;
  }
  EXPECT_EQ(vz::IntegerToText(42, 5), "   42");
  EXPECT_EQ(vz::IntegerToText(-42, 2), "-42");
  EXPECT_EQ(vz::IntegerToText(7, -3), "7");
  EXPECT_EQ(vz::IntegerToText(std::numeric_limits<int64_t>::min(), 0), "-9223372036854775808");
  EXPECT_EQ(vz::IntegerToText(1, 100000).size(), 255u);
  // Typed integers are read and limited.
  const struct { const char *locale, *text; int16_t value; } typed[] = {
      {"en_US", "", 0}, {"en_US", "  +45", 45}, {"en_US", "\t7", 7}, {"en_US", "1,234", 1234}, {"en_US", "$12", 12},
      {"en_US", "$$12", 0}, {"en_US", "-17", -17}, {"en_US", "+-3", -3}, {"en_US", "12.9", 12},
      {"en_US", "--5", 0}, {"en_US", "abc", 0}, {"en_US", "32768", 32767}, {"en_US", "-32769", -32768},
      {"en_US", "123456789012345678901234567890123", 32767},
      {"en_US", "-000000000000000000000000000000042", -42},
      {"de_DE", "1.234", 1234}, {"de_DE", "1,5", 1},
      // Russian groups with a blank, yet "," is what is removed.
      {"ru_RU", "1,234", 1234}, {"ru_RU", "1 234", 1}};
  for (const auto& c : typed) {
    vz::InitNationalSettingsFor(c.locale);
    EXPECT_EQ(vz::TextToSmallInt(c.text), c.value) << c.locale << " \"" << c.text << '"';
  }
}

TEST_F(NumText, TypedNumbersCleanToAPlainNumberOrNothingAndReadSaturated) {
  const struct { const char *locale, *text, *clean; } cleaned[] = {
      {"en_US", "", ""}, {"en_US", "$1,234.56", "1234.56"}, {"en_US", "  +12.5", "12.5"}, {"en_US", "-.5", "-0.5"},
      {"en_US", ".", "0"}, {"en_US", "12.", "12"}, {"en_US", "12.5.6", "12.5"}, {"en_US", "-12-3", "-12"},
      {"en_US", "$-5", "-5"}, {"en_US", "abc", ""}, {"en_US", "- 5", ""}, {"en_US", "+-+5", ""},
      {"de_DE", "1.234,56", "1234.56"}, {"de_DE", "-,5", "-0.5"}, {"de_DE", "1,2,3", "1.2"}, {"de_DE", "12.5", "125"}};
  for (const auto& c : cleaned) {
    vz::InitNationalSettingsFor(c.locale);
    EXPECT_EQ(vz::CleanNumericText(c.text), c.clean) << c.locale << " \"" << c.text << '"';
  }
  // And read as their value, saturated at the real's range.
  const struct { const char* locale; std::string text; double value; } cases[] = {
      {"en_US", "1234.56", 1234.56}, {"en_US", "", 0.0}, {"en_US", "  -.25 dollars", -0.25}, {"en_US", "-0", 0.0},
      {"de_DE", "1.234,5", 1234.5}, {"en_US", std::string(50, '9'), vz::Real48::kMax},
      {"en_US", "-" + std::string(400, '9') + ".5", -vz::Real48::kMax},
      {"en_US", "0." + std::string(400, '0') + "1", 0.0}};
  for (const auto& c : cases) {
    vz::InitNationalSettingsFor(c.locale);
    EXPECT_EQ(vz::TextToReal(c.text), vz::Real48::From(c.value)) << c.locale << " " << c.text.substr(0, 20);
  }
  // An explicit separator ignores the settings.
  EXPECT_EQ(vz::CleanNumericText("1234.56", '.'), "1234.56");
  EXPECT_EQ(vz::CleanNumericText("1.234,56", ','), "1234.56");
  EXPECT_EQ(vz::TextToReal("-0.75", '.'), vz::Real48::From(-0.75));
}

using Bytes = std::array<uint8_t, 6>;

TEST(Real48, KnownValuesHaveTheirBytesBothWaysAndOthersRoundToTheNearest) {
  const struct { double value; Bytes bytes; } cases[] = {
      {1.0, {0x81, 0, 0, 0, 0, 0}}, {0.5, {0x80, 0, 0, 0, 0, 0}}, {-2.5, {0x82, 0, 0, 0, 0, 0xA0}},
      {1234.56, {0x8B, 0x1F, 0x85, 0xEB, 0x51, 0x1A}}, {9999999.99, {0x98, 0x71, 0xFD, 0x7F, 0x96, 0x18}},
      {1.7e38, {0xFF, 0x67, 0x3C, 0x9E, 0xC9, 0x7F}}, {0.0, {}}, {-0.0, {}},
      {vz::Real48::kMax, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}};  // exact: the largest value
  for (const auto& c : cases) {
    vz::Real48 r;
    r.bytes.fill(0xEE);
    ASSERT_TRUE(vz::Real48::FromDouble(c.value, &r));
    EXPECT_EQ(r.bytes, c.bytes) << c.value;
    // 40 significant bits: the relative error is at most 2^-40.
    EXPECT_NEAR(r.ToDouble(), c.value, std::fabs(c.value) * 0x1p-40);
  }
  vz::Real48 r;  // exponent 0 is zero whatever the other bytes
  r.bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};
  EXPECT_EQ(r.ToDouble(), 0.0);
  EXPECT_TRUE(vz::Real48::From(std::nan("")).IsZero());  // saturating, NaN is zero
  // Narrowing rounds to the nearest 40-bit value: one unit in the last place
  // near 1 is 2^-39, and the smallest Real48 is 2^-128.
  const struct { double value, expected; } narrowed[] = {
      {1 + 0x1p-39, 1 + 0x1p-39}, {1 + 0x1p-41, 1.0}, {1 + 0x1p-40 + 0x1p-52, 1 + 0x1p-39},
      {1 + 0x1p-40, 1.0}, {1 + 0x1p-39 + 0x1p-40, 1 + 0x1p-38}, {2 - 0x1p-41, 2.0}, {0.1, 0x1.999999999ap-4},
      {0x1p-128, 0x1p-128}, {0x1.8p-129, 0x1p-128}, {0x1p-129, 0.0}, {1e-45, 0.0},
      {std::numeric_limits<double>::denorm_min(), 0.0}, {0x1.fffffffffffffp-129, 0x1p-128}};
  for (const auto& c : narrowed) {
    ASSERT_TRUE(vz::Real48::FromDouble(c.value, &r));
    EXPECT_EQ(r.ToDouble(), c.expected) << c.value;
    EXPECT_EQ(vz::Real48::From(-c.value).ToDouble(), -c.expected) << c.value;
  }
}

}  // namespace
