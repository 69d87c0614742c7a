// Amount in words: the printed examples in both languages, the edge cases of
// empty groups, teens and zero, and a sweep that reads the words back into a
// number and checks the spacing of every result.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/national.h"
#include "engine/real48.h"
#include "output/amountwords.h"

namespace {

std::string Words(double amount) { return qp::AmountInWords(vz::Real48::From(amount)); }

class AmountWords : public ::testing::Test {
 protected:
  void SetUp() override { vz::InitNationalSettingsFor("en_US"); }
  void TearDown() override { vz::InitNationalSettings(); }
};

struct Example {
  double amount;
  const char* words;
};

void PrintTo(const Example& e, std::ostream* os) { *os << std::fixed << e.amount; }

class EnglishExample : public AmountWords, public ::testing::WithParamInterface<Example> {};
class GermanExample : public AmountWords, public ::testing::WithParamInterface<Example> {
 protected:
  void SetUp() override { vz::InitNationalSettingsFor("de_DE"); }
};

TEST_P(EnglishExample, ReadsAsPrinted) { EXPECT_EQ(Words(GetParam().amount), GetParam().words); }
TEST_P(GermanExample, ReadsAsPrinted) { EXPECT_EQ(Words(GetParam().amount), GetParam().words); }

INSTANTIATE_TEST_SUITE_P(
    Table, EnglishExample,
    ::testing::Values(
        Example{1234.56, "One Thousand Two Hundred Thirty-Four and 56/100"},
        Example{12.00, "Twelve and NO/100"},
        Example{20.05, "Twenty and 05/100"},
        Example{100.10, "One Hundred and 10/100"},
        Example{1000000.00, "One Million and NO/100"},
        Example{7654321.09,
                "Seven Million Six Hundred Fifty-Four Thousand Three Hundred Twenty-One and 09/100"},
        Example{0.99, "ZERO  and 99/100"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, EnglishExample,
    ::testing::Values(
        Example{0.00, "ZERO  and NO/100"},
        Example{0.05, "ZERO  and 05/100"},
        Example{0.125, "ZERO  and 13/100"},  // cents rounded half away from zero
        Example{10.375, "Ten and 38/100"},
        Example{0.999, "One and NO/100"},    // rounding reaches a whole unit
        Example{1000001.00, "One Million One and NO/100"},
        Example{2000500.00, "Two Million Five Hundred and NO/100"},
        Example{1000000000.00, "One Billion and NO/100"},
        Example{1000000010.00, "One Billion Ten and NO/100"},
        Example{1010.00, "One Thousand Ten and NO/100"},
        Example{15015.00, "Fifteen Thousand Fifteen and NO/100"},
        Example{117000.00, "One Hundred Seventeen Thousand and NO/100"},
        Example{300040.00, "Three Hundred Thousand Forty and NO/100"},
        Example{9999999.99,
                "Nine Million Nine Hundred Ninety-Nine Thousand Nine Hundred Ninety-Nine and 99/100"},
        Example{999999999999.00,
                "Nine Hundred Ninety-Nine Billion Nine Hundred Ninety-Nine Million Nine Hundred "
                "Ninety-Nine Thousand Nine Hundred Ninety-Nine and NO/100"}));

// Out of the domain: no words rather than words that disagree with the figures.
INSTANTIATE_TEST_SUITE_P(OutOfDomain, EnglishExample,
                         ::testing::Values(Example{-0.01, ""}, Example{-5.00, ""}, Example{1e12, ""},
                                           Example{5e15, ""}, Example{vz::Real48::kMax, ""}));

INSTANTIATE_TEST_SUITE_P(
    Examples, GermanExample,
    ::testing::Values(Example{1234.56, "Eintausendzweihundertvierunddreißig DM und 56 Pf"},
                      Example{21.00, "Einundzwanzig DM und keine Pf"},
                      Example{0.05, "NULL DM und 05 Pf"},
                      Example{0.00, "NULL DM und keine Pf"},
                      Example{1.00, "Eine DM und keine Pf"},
                      Example{12.00, "Zwölf DM und keine Pf"},
                      Example{30.00, "Dreißig DM und keine Pf"},
                      Example{55.55, "Fünfundfünfzig DM und 55 Pf"},
                      Example{101.00, "Einhunderteine DM und keine Pf"},
                      Example{1000.00, "Eintausend DM und keine Pf"},
                      Example{1001.00, "Eintausendeine DM und keine Pf"},
                      Example{1000000.00, "Einemillion DM und keine Pf"},
                      Example{1001001.00, "Einemillioneintausendeine DM und keine Pf"},
                      Example{2000000.00, "Zweimillionen DM und keine Pf"},
                      Example{21000000.00, "Einundzwanzigmillionen DM und keine Pf"},
                      Example{1000000000.00, "Einemilliarde DM und keine Pf"},
                      Example{3000000000.00, "Dreimilliarden DM und keine Pf"},
                      Example{1001000000.00, "Einemilliardeeinemillion DM und keine Pf"},
                      Example{2002000000.00, "Zweimilliardenzweimillionen DM und keine Pf"},
                      Example{-1.00, ""}));

TEST_F(AmountWords, DoesNotDependOnTheDecimalSeparator) {
  const double amounts[] = {0.0, 0.05, 1.0, 12.34, 1234.56, 7654321.09, 999999999999.0};
  for (const char* locale : {"en_US", "de_DE"}) {
    vz::InitNationalSettingsFor(locale);
    std::vector<std::string> reference;
    for (double a : amounts) reference.push_back(Words(a));
    for (char separator : {'.', ',', ' ', '5', '0'}) {
      vz::SetDecimalSeparator(separator);
      for (size_t i = 0; i < std::size(amounts); ++i) {
        EXPECT_EQ(Words(amounts[i]), reference[i]) << locale << " separator '" << separator << "'";
      }
    }
  }
}

TEST_F(AmountWords, LanguageOtherThanGermanReadsEnglish) {
  for (const char* locale : {"fr_FR", "es_ES", "it_IT", "ru_RU", "en_GB", "C"}) {
    vz::InitNationalSettingsFor(locale);
    EXPECT_EQ(Words(21.5), "Twenty-One and 50/100") << locale;
  }
}

// ---- reading the words back ----------------------------------------------------

// Number words and their values: below 100 they add to the group, 100
// multiplies it, 1000 and up close it; 0 joins ("und").
using Vocabulary = std::map<std::string, int64_t>;

// The value of a sequence of number words. Group names must come in falling
// order, each once; nullopt for anything out of place.
std::optional<int64_t> Evaluate(const std::vector<std::string>& words, const Vocabulary& vocabulary) {
  int64_t group = 0;
  int64_t total = 0;
  int64_t last_scale = INT64_MAX;
  for (const std::string& word : words) {
    const auto it = vocabulary.find(word);
    if (it == vocabulary.end()) return std::nullopt;
    const int64_t value = it->second;
    if (value == 100) {
      if (group < 1 || group > 9) return std::nullopt;
      group *= 100;
    } else if (value >= 1000) {
      if (group < 1 || group > 999 || value >= last_scale) return std::nullopt;
      total += group * value;
      last_scale = value;
      group = 0;
    } else {
      group += value;
    }
  }
  return total + group;
}

const Vocabulary& English() {
  static const Vocabulary v = [] {
    Vocabulary e = {{"Hundred", 100}, {"Thousand", 1000}, {"Million", 1000000}, {"Billion", 1000000000}};
    const char* small[] = {"One",     "Two",     "Three",     "Four",     "Five",    "Six",      "Seven",
                           "Eight",   "Nine",    "Ten",       "Eleven",   "Twelve",  "Thirteen", "Fourteen",
                           "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen"};
    const char* tens[] = {"Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};
    for (int i = 0; i < 19; ++i) e[small[i]] = i + 1;
    for (int i = 0; i < 8; ++i) e[tens[i]] = 20 + 10 * i;
    return e;
  }();
  return v;
}

// English words are separated by blanks; "Forty-Two" is one word of two
// numbers, and only a tens word may stand before the hyphen.
std::optional<int64_t> ReadEnglish(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    const size_t dash = word.find('-');
    if (dash == std::string::npos) {
      words.push_back(word);
      continue;
    }
    const auto tens = English().find(word.substr(0, dash));
    const auto unit = English().find(word.substr(dash + 1));
    if (tens == English().end() || unit == English().end() || tens->second < 20 || tens->second > 90 ||
        tens->second % 10 != 0 || unit->second > 9) {
      return std::nullopt;
    }
    words.push_back(tens->first);
    words.push_back(unit->first);
  }
  return Evaluate(words, English());
}

const Vocabulary& German() {
  static const Vocabulary v = [] {
    Vocabulary g = {{"eine", 1}, {"und", 0}, {"hundert", 100}, {"tausend", 1000}};
    for (const char* name : {"million", "millionen"}) g[name] = 1000000;
    for (const char* name : {"milliarde", "milliarden"}) g[name] = 1000000000;
    const char* small[] = {"ein",      "zwei",     "drei",     "vier",     "fünf",    "sechs",    "sieben",
                           "acht",     "neun",     "zehn",     "elf",      "zwölf",   "dreizehn", "vierzehn",
                           "fünfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn"};
    const char* tens[] = {"zwanzig", "dreißig", "vierzig", "fünfzig",
                          "sechzig", "siebzig", "achtzig", "neunzig"};
    for (int i = 0; i < 19; ++i) g[small[i]] = i + 1;
    for (int i = 0; i < 8; ++i) g[tens[i]] = 20 + 10 * i;
    return g;
  }();
  return v;
}

// Splits run-together lower-case German number words; backtracks, since
// "milliardeneun" may be "milliarde" + "neun".
bool SplitGerman(const std::string& s, size_t at, std::vector<std::string>* out) {
  if (at == s.size()) return true;
  for (const auto& [word, value] : German()) {
    if (s.compare(at, word.size(), word) != 0) continue;
    out->push_back(word);
    if (SplitGerman(s, at + word.size(), out)) return true;
    out->pop_back();
  }
  return false;
}

std::optional<int64_t> ReadGerman(const std::string& text) {
  if (text.empty() || text[0] < 'A' || text[0] > 'Z') return std::nullopt;
  std::vector<std::string> w;
  if (!SplitGerman(static_cast<char>(text[0] - 'A' + 'a') + text.substr(1), 0, &w)) return std::nullopt;
  for (size_t i = 0; i < w.size(); ++i) {
    const std::string before = i > 0 ? w[i - 1] : "";
    const std::string after = i + 1 < w.size() ? w[i + 1] : "";
    const bool singular = w[i] == "million" || w[i] == "milliarde";
    const bool plural = w[i] == "millionen" || w[i] == "milliarden";
    // Feminine singular exactly after "eine", plural never after a one; a
    // final one reads "eine", and "eine" stands only there or before a
    // feminine group name.
    if (singular && before != "eine") return std::nullopt;
    if (plural && (before == "eine" || before == "ein")) return std::nullopt;
    if (w[i] == "ein" && after.empty()) return std::nullopt;
    if (w[i] == "eine" && !after.empty() && after != "million" && after != "milliarde") return std::nullopt;
  }
  return Evaluate(w, German());
}

std::string CentsText(int64_t cents, const char* none) {
  if (cents == 0) return none;
  return std::string(1, static_cast<char>('0' + cents / 10)) + static_cast<char>('0' + cents % 10);
}

// Whole units and cents that the 6-byte real carries exactly enough.
std::vector<std::pair<int64_t, int64_t>> SweepAmounts() {
  std::vector<std::pair<int64_t, int64_t>> out;
  for (int64_t c = 0; c <= 100000; ++c) out.emplace_back(c / 100, c % 100);
  for (int64_t c = 0; c < 10000000000; c += 7919 * 1013) out.emplace_back(c / 100, c % 100);
  for (int64_t units = 1; units < 1000000000000; units += 1000003 * 977) out.emplace_back(units, 0);
  for (int64_t units :
       std::initializer_list<int64_t>{1000, 1000000, 1000000000, 1001000, 1000001000, 999000000999}) {
    out.emplace_back(units, 0);
  }
  return out;
}

// Every result of the sweep reads back as its amount. English words stand
// one blank apart (the reader would skip extra blanks, so they are checked
// here); German ones run together into one capitalised word.
TEST_F(AmountWords, SweepReadsBackWithItsSpacing) {
  const struct {
    const char* locale;
    const char* zero;   // the words below 1
    const char* joint;  // between the words and the cents
    const char* no_cents;
    const char* unit;  // after the cents
    std::optional<int64_t> (*read)(const std::string&);
  } languages[] = {{"en_US", "ZERO ", " and ", "NO", "/100", ReadEnglish},
                   {"de_DE", "NULL", " DM und ", "keine", " Pf", ReadGerman}};
  for (const auto& lang : languages) {
    vz::InitNationalSettingsFor(lang.locale);
    for (auto [units, cents] : SweepAmounts()) {
      const std::string text = Words(static_cast<double>(units) + static_cast<double>(cents) / 100.0);
      const std::string tail = lang.joint + CentsText(cents, lang.no_cents) + lang.unit;
      ASSERT_GT(text.size(), tail.size()) << text;
      ASSERT_EQ(text.substr(text.size() - tail.size()), tail) << text;
      const std::string words = text.substr(0, text.size() - tail.size());
      if (units == 0) {
        ASSERT_EQ(words, lang.zero) << text;
        continue;
      }
      ASSERT_EQ(text.find("  "), std::string::npos) << text;
      ASSERT_NE(text.front(), ' ') << text;
      ASSERT_EQ(lang.read(words), units) << text;
    }
  }
}

}  // namespace
