// Amount in words: the printed examples in both languages, the edge cases of
// empty groups, teens, zero and rounding, amounts out of the domain, and a
// sweep in which no two amounts read alike and the blanks are right.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <string>

#include "engine/national.h"
#include "engine/real48.h"
#include "output/amountwords.h"

namespace {

std::string Words(double amount) { return qp::AmountInWords(vz::Real48::From(amount)); }

struct Example { const char* locale; double amount; const char* words; };

void PrintTo(const Example& e, std::ostream* os) { *os << e.locale << ' ' << std::fixed << e.amount; }

class AmountWords : public ::testing::Test {
 protected:
  void TearDown() override { vz::InitNationalSettings(); }
};

class AmountWordsExample : public AmountWords, public ::testing::WithParamInterface<Example> {};

TEST_P(AmountWordsExample, ReadsAsPrinted) {
  vz::InitNationalSettingsFor(GetParam().locale);
  EXPECT_EQ(Words(GetParam().amount), GetParam().words);
}

constexpr const char* kUs = "en_US";
constexpr const char* kDe = "de_DE";

INSTANTIATE_TEST_SUITE_P(
    EnglishAndGerman, AmountWordsExample,
    ::testing::Values(Example{kUs, 1234.56, "One Thousand Two Hundred Thirty-Four and 56/100"},
                      Example{kUs, 12.00, "Twelve and NO/100"}, Example{kUs, 20.05, "Twenty and 05/100"},
                      Example{kUs, 100.10, "One Hundred and 10/100"}, Example{kUs, 0.00, "ZERO  and NO/100"},
                      // Cents rounded half away from zero, up to a whole unit.
                      Example{kUs, 0.125, "ZERO  and 13/100"}, Example{kUs, 0.999, "One and NO/100"},
                      // Empty groups leave no words behind.
                      Example{kUs, 1000001.00, "One Million One and NO/100"},
                      Example{kUs, 1000000010.00, "One Billion Ten and NO/100"},
                      Example{kUs, 315015.00, "Three Hundred Fifteen Thousand Fifteen and NO/100"},
                      Example{kUs, 999999999999.00,
                              "Nine Hundred Ninety-Nine Billion Nine Hundred Ninety-Nine Million Nine Hundred "
                              "Ninety-Nine Thousand Nine Hundred Ninety-Nine and NO/100"},
                      // Every language but German reads English.
                      Example{"fr_FR", 21.5, "Twenty-One and 50/100"}, Example{"C", 21.5, "Twenty-One and 50/100"},
                      // Out of the domain: no words rather than words that disagree with the figures.
                      Example{kUs, -0.01, ""}, Example{kUs, 1e12, ""}, Example{kUs, vz::Real48::kMax, ""},
                      Example{kDe, -1.00, ""},
                      Example{kDe, 1234.56, "Eintausendzweihundertvierunddreißig DM und 56 Pf"},
                      Example{kDe, 21.00, "Einundzwanzig DM und keine Pf"}, Example{kDe, 0.05, "NULL DM und 05 Pf"},
                      Example{kDe, 1.00, "Eine DM und keine Pf"}, Example{kDe, 12.00, "Zwölf DM und keine Pf"},
                      Example{kDe, 30.00, "Dreißig DM und keine Pf"},
                      Example{kDe, 1000000.00, "Einemillion DM und keine Pf"},
                      Example{kDe, 1101.00, "Eintausendeinhunderteine DM und keine Pf"},
                      Example{kDe, 1001001.00, "Einemillioneintausendeine DM und keine Pf"},
                      Example{kDe, 21000000.00, "Einundzwanzigmillionen DM und keine Pf"},
                      Example{kDe, 1000000000.00, "Einemilliarde DM und keine Pf"},
                      Example{kDe, 3000000000.00, "Dreimilliarden DM und keine Pf"},
                      Example{kDe, 2002000000.00, "Zweimilliardenzweimillionen DM und keine Pf"}));

TEST_F(AmountWords, DoesNotDependOnTheDecimalSeparator) {
  for (const char* locale : {kUs, kDe}) {
    vz::InitNationalSettingsFor(locale);
    const std::string reference = Words(7654321.09) + Words(0.05);
    for (char separator : {',', ' ', '5', '0'}) {
      vz::SetDecimalSeparator(separator);
      EXPECT_EQ(Words(7654321.09) + Words(0.05), reference) << locale << " separator '" << separator << "'";
    }
  }
}

// Across a sweep no two amounts read alike, and words stand one blank apart
// (German ones run together), with none at either end.
TEST_F(AmountWords, SweepGivesEveryAmountWordsOfItsOwn) {
  for (const char* locale : {kUs, kDe}) {
    vz::InitNationalSettingsFor(locale);
    std::set<std::string> seen;
    auto check = [&](int64_t cents) {
      const std::string text = Words(static_cast<double>(cents) / 100.0);
      ASSERT_TRUE(seen.insert(text).second) << "twice: " << text;
      ASSERT_NE(text.front(), ' ') << text;
      ASSERT_NE(text.back(), ' ') << text;
      if (cents >= 100) {
        ASSERT_EQ(text.find("  "), std::string::npos) << text;
      }
    };
    for (int64_t c = 0; c <= 200000; ++c) check(c);
    // Cents only as far as the 6-byte real carries them exactly; whole units beyond.
    for (int64_t c = 200001; c < 10000000000; c += 7919 * 1013) check(c);
    for (int64_t units = 100000000; units < 1000000000000; units += 1000003 * 977) check(units * 100);
  }
}

}  // namespace
