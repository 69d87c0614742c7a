// Amount in words: the amount is rounded to cents once, as text, and from
// there on only its digits are handled, three at a time from the right.
#include "output/amountwords.h"

#include <array>
#include <string_view>

#include "engine/national.h"
#include "engine/numtext.h"
#include "engine/textutil.h"

namespace qp {

namespace {

struct Words {
  std::array<std::string_view, 10> units;  // by digit; "0" is empty
  std::array<std::string_view, 10> teens;  // "1" then the digit
  std::array<std::string_view, 10> tens;   // the digit then "0"; 2-9 used
  std::array<std::string_view, 5> groups;  // by group number from the right, 1-4
  std::string_view hundred;
  std::string_view zero;
  std::string_view no_cents;
  std::string_view and_word;
  std::string_view currency;
  std::string_view cents_suffix;
  bool units_first;  // German says "vierunddreißig": units, "und", tens
};

constexpr Words kEnglish = {
    {"", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine"},
    {"Ten", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen", "Seventeen", "Eighteen",
     "Nineteen"},
    {"", "", "Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"},
    {"", "", "Thousand", "Million", "Billion"},
    "Hundred", "ZERO", "NO", "and", "", "/100", false,
};

constexpr Words kGerman = {
    {"", "Ein", "Zwei", "Drei", "Vier", "Fünf", "Sechs", "Sieben", "Acht", "Neun"},
    {"Zehn", "Elf", "Zwölf", "Dreizehn", "Vierzehn", "Fünfzehn", "Sechzehn", "Siebzehn", "Achtzehn",
     "Neunzehn"},
    {"", "", "Zwanzig", "Dreißig", "Vierzig", "Fünfzig", "Sechzig", "Siebzig", "Achtzig", "Neunzig"},
    {"", "", "Tausend", "Millionen", "Milliarden"},
    "Hundert", "NULL", "keine", "und", "DM", " Pf", true,
};

constexpr size_t kMaxGroups = 4;

int Digit(char c) { return c - '0'; }

// Every run of blanks becomes one blank.
std::string CollapseBlanks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

// Three digit characters in words, each word followed by a blank (doubled
// blanks are collapsed later); "000" gives a single blank.
std::string GroupInWords(const Words& w, std::string_view group) {
  char d1 = group[0], d2 = group[1], d3 = group[2];
  std::string out;
  if (d1 != '0') {
    out += w.units[Digit(d1)];
    out += ' ';
    out += w.hundred;
    out += ' ';
  }
  if (d2 == '0') {
    out += w.units[Digit(d3)];
  } else if (d2 == '1') {
    out += w.teens[Digit(d3)];
  } else if (w.units_first) {
    out += w.units[Digit(d3)];
    out += d3 != '0' ? "und" : " ";
    out += w.tens[Digit(d2)];
  } else {
    out += w.tens[Digit(d2)];
    out += d3 != '0' ? "-" : " ";
    out += w.units[Digit(d3)];
  }
  out += ' ';
  return out;
}

void ReplaceFirst(std::string* s, std::string_view from, std::string_view to) {
  size_t at = s->find(from);
  if (at != std::string::npos) s->replace(at, from.size(), to);
}

// German runs its words together in lower case with a capital first letter.
// "ein" standing alone or before a feminine group name takes its feminine
// form: "Eine DM", "Eine Million", "Eine Milliarde".
void FinishGerman(std::string* words) {
  if (size_t at = words->find("Ein #"); at != std::string::npos) {
    words->resize(at + 3);
    *words += 'e';
  }
  ReplaceFirst(words, "Ein Millionen", "Eine Million");
  ReplaceFirst(words, "Ein Milliarden", "Eine Milliarde");
  std::erase(*words, ' ');
  *words = vz::ToLowerAscii(*words);
  // The first word always starts with an ASCII letter.
  if (!words->empty() && (*words)[0] >= 'a' && (*words)[0] <= 'z') {
    (*words)[0] = static_cast<char>((*words)[0] - 'a' + 'A');
  }
}

}  // namespace

std::string AmountInWords(const vz::Real48& amount) {
  const Words& w = vz::LanguageIndex() == 5 ? kGerman : kEnglish;
  double value = amount.ToDouble();
  if (value < 0) return {};

  // Always ".": the words must not depend on the decimal separator setting.
  std::string fixed = vz::FormatFixed(value, 0, 2);
  size_t point = fixed.find('.');
  if (point == std::string::npos || point > 3 * kMaxGroups) return {};
  std::string integer = fixed.substr(0, point);
  std::string cents = fixed.substr(point + 1);
  if (cents == "00") cents = w.no_cents;

  std::string tail;
  tail += w.currency;
  tail += ' ';
  tail += w.and_word;
  tail += ' ';
  tail += cents;
  tail += w.cents_suffix;

  if (integer == "0") {
    // Left untidied: English reads "ZERO  and 05/100" with two blanks.
    std::string out(w.zero);
    out += ' ';
    out += tail;
    return out;
  }

  std::string words;
  for (size_t group = 1; !integer.empty(); ++group) {
    while (integer.size() < 3) integer.insert(integer.begin(), '0');
    std::string_view digits = std::string_view(integer).substr(integer.size() - 3);
    if (digits != "000") {
      std::string part = GroupInWords(w, digits);
      part += ' ';
      part += w.groups[group];
      part += ' ';
      part += words;
      part += ' ';
      words = std::move(part);
    }
    integer.resize(integer.size() - 3);
  }

  // "#" marks the end so the German rules can tell a final "Ein".
  words += '#';
  words = CollapseBlanks(words);
  if (w.units_first) FinishGerman(&words);
  std::erase(words, '#');

  return CollapseBlanks(words + ' ' + tail);
}

}  // namespace qp
