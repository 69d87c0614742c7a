// Number texts: fixed-point formatting and its rounding, the separators of
// the national settings, and reading typed numbers back, garbage included.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "engine/national.h"
#include "engine/numtext.h"

namespace {

// The national settings are process-wide; every test starts from the
// American ones and leaves the environment's behind.
class NumText : public ::testing::Test {
 protected:
  void SetUp() override { vz::InitNationalSettingsFor("en_US"); }
  void TearDown() override { vz::InitNationalSettings(); }
};

struct Fixed {
  double value;
  int width;
  int decimals;
  const char* text;
};

void PrintTo(const Fixed& f, std::ostream* os) { *os << f.value << " width " << f.width << " decimals " << f.decimals; }

class FormatFixedCase : public NumText, public ::testing::WithParamInterface<Fixed> {};

TEST_P(FormatFixedCase, GivesTheExpectedText) {
  const Fixed& f = GetParam();
  EXPECT_EQ(vz::FormatFixed(f.value, f.width, f.decimals), f.text)
      << f.value << " width " << f.width << " decimals " << f.decimals;
}

// The expected texts come from exact decimal arithmetic (half away from zero
// on the exact value of the double).
INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatFixedCase,
    ::testing::Values(Fixed{1234.56, 0, 2, "1234.56"},
                      Fixed{0.125, 0, 2, "0.13"},     // exact tie: away from zero
                      Fixed{-0.125, 0, 2, "-0.13"},
                      Fixed{0.625, 0, 2, "0.63"},     // ties to even would give 0.62
                      Fixed{2.5, 0, 0, "3"},
                      Fixed{-2.5, 0, 0, "-3"},
                      Fixed{0.5, 0, 0, "1"},
                      Fixed{1234.5, 0, 0, "1235"},
                      Fixed{1.005, 0, 2, "1.00"},     // 1.00499999999999989...
                      Fixed{1.015, 0, 2, "1.01"},
                      Fixed{2.675, 0, 2, "2.67"},
                      Fixed{9.995, 0, 2, "9.99"},
                      Fixed{9.999, 0, 2, "10.00"},    // carry across the point
                      Fixed{99.5, 0, 0, "100"},
                      Fixed{0.3, 0, 20, "0.29999999999999998890"},
                      Fixed{0.1, 0, 28, "0.1000000000000000055511151231"},
                      Fixed{1e29, 0, 0, "99999999999999991433150857216"},
                      Fixed{std::numeric_limits<double>::denorm_min(), 0, 2, "0.00"}));

INSTANTIATE_TEST_SUITE_P(
    SignsAndWidths, FormatFixedCase,
    ::testing::Values(Fixed{1234.56, 10, 2, "   1234.56"},
                      Fixed{-1234.56, 10, 2, "  -1234.56"},
                      Fixed{12345.678, 3, 1, "12345.7"},  // never cut to the width
                      Fixed{-0.001, 0, 2, "0.00"},        // no "-0.00"
                      Fixed{-0.0, 5, 1, "  0.0"},
                      Fixed{123.0, 0, -3, "123"},
                      Fixed{7.0, -4, 0, "7"},
                      Fixed{1.5, 40, 1, "                           1.5"}));  // width cut to 30

INSTANTIATE_TEST_SUITE_P(
    Overflow, FormatFixedCase,
    ::testing::Values(Fixed{1e30, 0, 0, "******************************"},
                      Fixed{1e30, 10, 0, "**********"},
                      Fixed{1.7e38, 12, 2, "************"},
                      Fixed{-1e29, 0, 2, "******************************"},  // 33 characters
                      Fixed{1.0, 0, 40, "******************************"},   // "1." and 30 zeros
                      Fixed{std::nan(""), 5, 2, "*****"},
                      Fixed{-std::numeric_limits<double>::infinity(), 0, 2,
                            "******************************"}));

TEST_F(NumText, EveryCentAmountFormatsToItsOwnDigits) {
  for (int64_t cents = 0; cents <= 20000000; cents += 37) {
    double amount = static_cast<double>(cents) / 100.0;
    std::string expected = std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") +
                           std::to_string(cents % 100);
    ASSERT_EQ(vz::FormatFixed(amount, 0, 2), expected);
    ASSERT_EQ(vz::FormatFixed(-amount, 0, 2), cents == 0 ? expected : "-" + expected);
  }
}

TEST_F(NumText, RealToTextUsesTheEngineDecimalSeparator) {
  EXPECT_EQ(vz::RealToText(1234.56, 10, 2), "   1234.56");
  vz::InitNationalSettingsFor("de_DE");
  EXPECT_EQ(vz::RealToText(1234.56, 10, 2), "   1234,56");
  EXPECT_EQ(vz::RealToText(vz::Real48::From(-0.5), 0, 1), "-0,5");
  EXPECT_EQ(vz::RealToText(1234.5, 0, 0), "1235");
  // Files keep "." whatever the user's settings.
  EXPECT_EQ(vz::FormatFixed(1234.56, 0, 2), "1234.56");
  vz::SetDecimalSeparator(' ');
  EXPECT_EQ(vz::RealToText(1.25, 0, 2), "1 25");
}

TEST_F(NumText, RealToTextOfASixByteRealRoundsLikeItsDouble) {
  for (double v : {0.01, 1234.56, 9999999.99, 0.5, 1e12}) {
    vz::Real48 r = vz::Real48::From(v);
    EXPECT_EQ(vz::RealToText(r, 15, 2), vz::RealToText(r.ToDouble(), 15, 2));
    EXPECT_EQ(vz::RealToText(r, 0, 2), vz::FormatFixed(v, 0, 2));
  }
}

struct Split {
  const char* separator;
  const char* text;
  const char* before;
  const char* after;
};

class SplitCase : public NumText, public ::testing::WithParamInterface<Split> {};

TEST_P(SplitCase, TakesThePartsAroundTheFirstSeparator) {
  const Split& s = GetParam();
  EXPECT_EQ(vz::TextBefore(s.separator, s.text), s.before);
  EXPECT_EQ(vz::TextAfter(s.separator, s.text), s.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitCase,
                         ::testing::Values(Split{"/", "a/b/c", "a", "b/c"},
                                           Split{"/", "abc", "", ""},
                                           Split{"/", "/x", "", "x"},
                                           Split{"/", "x/", "x", ""},
                                           Split{", ", "x, y, z", "x", "y, z"},
                                           Split{"ab", "a", "", ""},
                                           Split{"", "abc", "", ""},
                                           Split{"/", "", "", ""}));

TEST_F(NumText, IntegerToTextRightAlignsAndNeverCuts) {
  EXPECT_EQ(vz::IntegerToText(42, 5), "   42");
  EXPECT_EQ(vz::IntegerToText(-42, 2), "-42");
  EXPECT_EQ(vz::IntegerToText(0, 0), "0");
  EXPECT_EQ(vz::IntegerToText(7, -3), "7");
  EXPECT_EQ(vz::IntegerToText(std::numeric_limits<int64_t>::min(), 0), "-9223372036854775808");
  EXPECT_EQ(vz::IntegerToText(1, 100000).size(), 255u);
}

struct SmallInt {
  const char* locale;
  const char* text;
  int16_t value;
};

class SmallIntCase : public NumText, public ::testing::WithParamInterface<SmallInt> {};

TEST_P(SmallIntCase, ReadsTheTypedInteger) {
  vz::InitNationalSettingsFor(GetParam().locale);
  EXPECT_EQ(vz::TextToSmallInt(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    PointDecimal, SmallIntCase,
    ::testing::Values(SmallInt{"en_US", "", 0}, SmallInt{"en_US", "   ", 0}, SmallInt{"en_US", "123", 123},
                      SmallInt{"en_US", "  +45", 45}, SmallInt{"en_US", "\t7", 7},
                      SmallInt{"en_US", "1,234", 1234}, SmallInt{"en_US", "$12", 12},
                      SmallInt{"en_US", "12$", 12}, SmallInt{"en_US", "$$12", 0},
                      SmallInt{"en_US", "-17", -17}, SmallInt{"en_US", "+-3", -3},
                      SmallInt{"en_US", "12 34", 12}, SmallInt{"en_US", "12.9", 12},
                      SmallInt{"en_US", "12abc", 12}, SmallInt{"en_US", "1-2", 1},
                      SmallInt{"en_US", "--5", 0}, SmallInt{"en_US", "-", 0}, SmallInt{"en_US", "abc", 0},
                      SmallInt{"en_US", "32767", 32767}, SmallInt{"en_US", "32768", 32767},
                      SmallInt{"en_US", "-32768", -32768}, SmallInt{"en_US", "-32769", -32768},
                      SmallInt{"en_US", "-99,999", -32768},
                      SmallInt{"en_US", "123456789012345678901234567890123", 32767},
                      SmallInt{"en_US", "-000000000000000000000000000000042", -42}));

INSTANTIATE_TEST_SUITE_P(CommaDecimal, SmallIntCase,
                         ::testing::Values(SmallInt{"de_DE", "1.234", 1234}, SmallInt{"de_DE", "1,5", 1},
                                           SmallInt{"de_DE", "12,34", 12}, SmallInt{"de_DE", "1,234", 1},
                                           // Russian groups with a blank, yet "," is what is removed.
                                           SmallInt{"ru_RU", "1,234", 1234},
                                           SmallInt{"ru_RU", "1 234", 1}));

struct Clean {
  const char* locale;
  const char* text;
  const char* clean;
};

class CleanCase : public NumText, public ::testing::WithParamInterface<Clean> {};

TEST_P(CleanCase, GivesAPlainNumberOrNothing) {
  vz::InitNationalSettingsFor(GetParam().locale);
  EXPECT_EQ(vz::CleanNumericText(GetParam().text), GetParam().clean) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    PointDecimal, CleanCase,
    ::testing::Values(Clean{"en_US", "", ""}, Clean{"en_US", "$1,234.56", "1234.56"},
                      Clean{"en_US", "  +12.5", "12.5"}, Clean{"en_US", "-.5", "-0.5"},
                      Clean{"en_US", ".5", "0.5"}, Clean{"en_US", ".", "0"}, Clean{"en_US", "12.", "12"},
                      Clean{"en_US", "12.5.6", "12.5"}, Clean{"en_US", "1 234", "1"},
                      Clean{"en_US", "12-3", "12"}, Clean{"en_US", "-12-3", "-12"},
                      Clean{"en_US", "-$5", "-5"}, Clean{"en_US", "$-5", "-5"},
                      Clean{"en_US", "1e5", "1"}, Clean{"en_US", "abc", ""}, Clean{"en_US", "-", ""},
                      Clean{"en_US", "- 5", ""}, Clean{"en_US", "+-+5", ""},
                      Clean{"en_US", "1.234,56", "1.23456"}));

INSTANTIATE_TEST_SUITE_P(CommaDecimal, CleanCase,
                         ::testing::Values(Clean{"de_DE", "1.234,56", "1234.56"}, Clean{"de_DE", ",5", "0.5"},
                                           Clean{"de_DE", "-,5", "-0.5"}, Clean{"de_DE", "1,2,3", "1.2"},
                                           Clean{"de_DE", "1.234.567", "1234567"},
                                           Clean{"de_DE", "12.5", "125"},
                                           Clean{"de_DE", "$ 1.000,00", "1000.00"}));

TEST_F(NumText, CleanTextIsAlwaysEmptyOrAPlainNumber) {
  // Every text of up to three characters from an alphabet of troublemakers.
  const std::string alphabet = "0 9.,-+$x";
  auto plain = [](const std::string& s) {
    size_t i = s.empty() || s[0] != '-' ? 0 : 1;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (digits == 0) return false;
    if (i < s.size() && s[i] == '.') {
      ++i;
      size_t frac = 0;
      while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++frac;
      if (frac == 0) return false;
    }
    return i == s.size();
  };
  for (const char* locale : {"en_US", "de_DE"}) {
    vz::InitNationalSettingsFor(locale);
    for (char a : alphabet) {
      for (char b : alphabet) {
        for (char c : alphabet) {
          for (const std::string& t : {std::string{a}, std::string{a, b}, std::string{a, b, c}}) {
            std::string clean = vz::CleanNumericText(t);
            ASSERT_TRUE(clean.empty() || plain(clean)) << locale << " \"" << t << "\" -> \"" << clean << '"';
          }
        }
      }
    }
  }
}

struct ToReal {
  const char* locale;
  const char* text;
  double value;
};

class ToRealCase : public NumText, public ::testing::WithParamInterface<ToReal> {};

TEST_P(ToRealCase, ReadsTheValueOfTheCleanText) {
  vz::InitNationalSettingsFor(GetParam().locale);
  EXPECT_EQ(vz::TextToReal(GetParam().text), vz::Real48::From(GetParam().value)) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToRealCase,
    ::testing::Values(ToReal{"en_US", "1234.56", 1234.56}, ToReal{"en_US", "", 0.0},
                      ToReal{"en_US", "abc", 0.0}, ToReal{"en_US", "-0.5", -0.5},
                      ToReal{"en_US", "$1,234.50", 1234.5}, ToReal{"en_US", "  -.25 dollars", -0.25},
                      ToReal{"en_US", "-0", 0.0}, ToReal{"de_DE", "1.234,5", 1234.5},
                      ToReal{"de_DE", "0,1", 0.1}, ToReal{"de_DE", "1234.5", 12345.0}));

TEST_F(NumText, TextToRealSaturatesHugeValuesAndDropsTinyOnes) {
  std::string nines(50, '9');
  EXPECT_EQ(vz::TextToReal(nines).ToDouble(), vz::Real48::kMax);
  std::string beyond_double = "-" + std::string(400, '9') + ".5";
  EXPECT_EQ(vz::TextToReal(beyond_double).ToDouble(), -vz::Real48::kMax);
  std::string tiny = "0." + std::string(400, '0') + "1";
  EXPECT_TRUE(vz::TextToReal(tiny).IsZero());
  std::string zeros = std::string(400, '0') + "." + std::string(400, '0');
  EXPECT_TRUE(vz::TextToReal(zeros).IsZero());
}

TEST_F(NumText, AnExplicitSeparatorIgnoresTheSettings) {
  vz::InitNationalSettingsFor("de_DE");
  EXPECT_EQ(vz::CleanNumericText("1234.56", '.'), "1234.56");
  EXPECT_EQ(vz::CleanNumericText("1.234,56", ','), "1234.56");
  EXPECT_EQ(vz::TextToReal(" 1234.56", '.'), vz::Real48::From(1234.56));
  EXPECT_EQ(vz::TextToReal("-0.75", '.'), vz::Real48::From(-0.75));
}

TEST_F(NumText, AmountsSurviveTextAndBackUnderBothSeparators) {
  for (const char* locale : {"en_US", "de_DE"}) {
    vz::InitNationalSettingsFor(locale);
    for (int64_t cents = -99999999; cents <= 999999999; cents += 104729) {
      std::string text = vz::RealToText(static_cast<double>(cents) / 100.0, 0, 2);
      ASSERT_EQ(vz::RealToText(vz::TextToReal(text), 0, 2), text) << locale;
    }
  }
}

}  // namespace
