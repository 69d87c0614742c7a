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
        Example{10.00, "Ten and NO/100"},
        Example{11.00, "Eleven and NO/100"},
        Example{13.00, "Thirteen and NO/100"},
        Example{19.00, "Nineteen and NO/100"},
        Example{40.00, "Forty and NO/100"},
        Example{90.00, "Ninety and NO/100"},
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

// Evaluates a sequence of number words: units, teens and tens add, the
// hundred word multiplies, a group name closes a group. Group names must come
// in falling order, each once; nullopt for anything out of place.
class Evaluator {
 public:
  struct Vocabulary {
    std::map<std::string, int64_t> small;
    std::map<std::string, int64_t> scale;
    std::string hundred;
  };
  explicit Evaluator(const Vocabulary& v) : small_(v.small), scale_(v.scale), hundred_(v.hundred) {}

  bool Add(const std::string& word) {
    if (auto it = small_.find(word); it != small_.end()) {
      current_ += it->second;
      return true;
    }
    if (word == hundred_) {
      if (current_ < 1 || current_ > 9) return false;
      current_ *= 100;
      return true;
    }
    if (auto it = scale_.find(word); it != scale_.end()) {
      if (current_ < 1 || current_ > 999 || it->second >= last_scale_) return false;
      total_ += current_ * it->second;
      last_scale_ = it->second;
      current_ = 0;
      return true;
    }
    return false;
  }
  int64_t Value() const { return total_ + current_; }
  const std::map<std::string, int64_t>& small_;
  const std::map<std::string, int64_t>& scale_;
  const std::string& hundred_;

 private:
  int64_t current_ = 0;
  int64_t total_ = 0;
  int64_t last_scale_ = INT64_MAX;
};

const Evaluator::Vocabulary& English() {
  static const Evaluator::Vocabulary v = [] {
    Evaluator::Vocabulary e;
    const char* units[] = {"One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine"};
    const char* teens[] = {"Ten", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen", "Seventeen",
                           "Eighteen", "Nineteen"};
    const char* tens[] = {"Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};
    for (int i = 0; i < 9; ++i) e.small[units[i]] = i + 1;
    for (int i = 0; i < 10; ++i) e.small[teens[i]] = 10 + i;
    for (int i = 0; i < 8; ++i) e.small[tens[i]] = 20 + 10 * i;
    e.hundred = "Hundred";
    e.scale = {{"Thousand", 1000}, {"Million", 1000000}, {"Billion", 1000000000}};
    return e;
  }();
  return v;
}

// English words are separated by single blanks; "Forty-Two" is one word of
// two numbers, and only a tens word may stand before the hyphen.
std::optional<int64_t> ReadEnglish(const std::string& words) {
  Evaluator e(English());
  std::istringstream in(words);
  std::string word;
  while (in >> word) {
    if (auto dash = word.find('-'); dash != std::string::npos) {
      std::string tens = word.substr(0, dash), unit = word.substr(dash + 1);
      auto t = e.small_.find(tens), u = e.small_.find(unit);
      if (t == e.small_.end() || u == e.small_.end() || t->second < 20 || t->second % 10 != 0 ||
          u->second > 9) {
        return std::nullopt;
      }
      if (!e.Add(tens) || !e.Add(unit)) return std::nullopt;
    } else if (!e.Add(word)) {
      return std::nullopt;
    }
  }
  return e.Value();
}

struct GermanWord {
  const char* text;
  int64_t value;  // -1: "und", -2: hundred, -3: a group name
};

const std::vector<GermanWord>& GermanVocabulary() {
  static const std::vector<GermanWord> v = {
      {"ein", 1}, {"eine", 1}, {"zwei", 2}, {"drei", 3}, {"vier", 4}, {"fünf", 5}, {"sechs", 6},
      {"sieben", 7}, {"acht", 8}, {"neun", 9}, {"zehn", 10}, {"elf", 11}, {"zwölf", 12},
      {"dreizehn", 13}, {"vierzehn", 14}, {"fünfzehn", 15}, {"sechzehn", 16}, {"siebzehn", 17},
      {"achtzehn", 18}, {"neunzehn", 19}, {"zwanzig", 20}, {"dreißig", 30}, {"vierzig", 40},
      {"fünfzig", 50}, {"sechzig", 60}, {"siebzig", 70}, {"achtzig", 80}, {"neunzig", 90},
      {"und", -1}, {"hundert", -2}, {"tausend", -3}, {"million", -3}, {"millionen", -3},
      {"milliarde", -3}, {"milliarden", -3}};
  return v;
}

// Splits run-together lower-case German number words; backtracks, since
// "milliardeneun" may be "milliarde" + "neun".
bool SplitGerman(const std::string& s, size_t at, std::vector<std::string>* out) {
  if (at == s.size()) return true;
  for (const GermanWord& w : GermanVocabulary()) {
    std::string_view t = w.text;
    if (s.compare(at, t.size(), t) == 0) {
      out->emplace_back(t);
      if (SplitGerman(s, at + t.size(), out)) return true;
      out->pop_back();
    }
  }
  return false;
}

std::optional<int64_t> ReadGerman(std::string words) {
  if (words.empty() || words[0] < 'A' || words[0] > 'Z') return std::nullopt;
  words[0] = static_cast<char>(words[0] - 'A' + 'a');
  std::vector<std::string> parts;
  if (!SplitGerman(words, 0, &parts)) return std::nullopt;
  static const Evaluator::Vocabulary german = [] {
    Evaluator::Vocabulary v;
    for (const GermanWord& w : GermanVocabulary()) {
      if (w.value > 0) v.small[w.text] = w.value;
    }
    v.hundred = "hundert";
    v.scale = {{"tausend", 1000}, {"million", 1000000}, {"millionen", 1000000},
               {"milliarde", 1000000000}, {"milliarden", 1000000000}};
    return v;
  }();
  Evaluator e(german);
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    bool singular = p == "million" || p == "milliarde";
    bool plural = p == "millionen" || p == "milliarden";
    // Feminine singular exactly after "eine", plural never after it.
    if (singular && (i == 0 || parts[i - 1] != "eine")) return std::nullopt;
    if (plural && i > 0 && (parts[i - 1] == "eine" || parts[i - 1] == "ein")) return std::nullopt;
    if (p == "ein" && i + 1 == parts.size()) return std::nullopt;  // a final one reads "eine"
    // "eine" stands only before a feminine group name or at the very end.
    if (p == "eine" && i + 1 < parts.size() && parts[i + 1] != "million" && parts[i + 1] != "milliarde") {
      return std::nullopt;
    }
    if (p == "und") continue;
    if (!e.Add(p)) return std::nullopt;
  }
  return e.Value();
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
  for (int64_t units : std::initializer_list<int64_t>{1000, 1000000, 1000000000, 1001000, 1000001000,
                                                     999000000999}) {
    out.emplace_back(units, 0);
  }
  return out;
}

double Amount(int64_t units, int64_t cents) {
  return static_cast<double>(units) + static_cast<double>(cents) / 100.0;
}

TEST_F(AmountWords, EnglishSweepReadsBackAndKeepsItsSpacing) {
  for (auto [units, cents] : SweepAmounts()) {
    std::string text = Words(Amount(units, cents));
    std::string tail = "and " + CentsText(cents, "NO") + "/100";
    if (units == 0) {
      ASSERT_EQ(text, "ZERO  " + tail);
      continue;
    }
    ASSERT_EQ(text.find("  "), std::string::npos) << text;
    ASSERT_EQ(text.find('#'), std::string::npos) << text;
    ASSERT_NE(text.front(), ' ') << text;
    ASSERT_GT(text.size(), tail.size() + 1) << text;
    ASSERT_EQ(text.substr(text.size() - tail.size() - 1), " " + tail) << text;
    std::string words = text.substr(0, text.size() - tail.size() - 1);
    ASSERT_EQ(ReadEnglish(words), units) << text;
  }
}

TEST_F(AmountWords, GermanSweepReadsBackAsOneCapitalisedWord) {
  vz::InitNationalSettingsFor("de_DE");
  for (auto [units, cents] : SweepAmounts()) {
    std::string text = Words(Amount(units, cents));
    std::string tail = " DM und " + CentsText(cents, "keine") + " Pf";
    if (units == 0) {
      ASSERT_EQ(text, "NULL" + tail);
      continue;
    }
    ASSERT_GT(text.size(), tail.size()) << text;
    ASSERT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    std::string words = text.substr(0, text.size() - tail.size());
    ASSERT_EQ(words.find(' '), std::string::npos) << text;
    ASSERT_EQ(ReadGerman(words), units) << text;
  }
}

}  // namespace
