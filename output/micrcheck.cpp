// MICR line checks: the ABA check digit and the characters of the numbers.
#include "output/micrcheck.h"

#include <algorithm>

#include "engine/textutil.h"

namespace qp {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsMicrFieldCharacter(char c) { return IsDigit(c) || c == ' ' || c == '-'; }

// Bytes of the UTF-8 sequence starting at `lead` (1 for a stray byte, so
// that broken text is still walked byte by byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The characters listed for the user: "#", "x".
std::string CharacterList(std::string_view characters) {
  std::string list;
  for (size_t i = 0; i < characters.size();) {
    const size_t n = std::min(SequenceLength(static_cast<unsigned char>(characters[i])),
                              characters.size() - i);
    if (!list.empty()) list += ", ";
    list += Quoted(characters.substr(i, n));
    i += n;
  }
  return list;
}

void AddCharacterProblem(std::vector<std::string>* problems, const char* what,
                         std::string_view number) {
  const std::string trimmed = vz::TrimBoth(number);
  const std::string bad = NonMicrCharacters(trimmed);
  if (bad.empty()) return;
  problems->push_back(std::string("The ") + what + " " + Quoted(trimmed) +
                      " holds characters the MICR line cannot carry: " + CharacterList(bad) + ".");
}

}  // namespace

RoutingStatus CheckRoutingNumber(std::string_view aba_number) {
  const std::string number = vz::TrimBoth(aba_number);
  if (number.empty()) return RoutingStatus::kEmpty;
  if (number.size() != 9) return RoutingStatus::kNotNineDigits;
  for (char c : number) {
    if (!IsDigit(c)) return RoutingStatus::kNotNineDigits;
  }
  static constexpr int kWeights[9] = {3, 7, 1, 3, 7, 1, 3, 7, 1};
  int sum = 0;
  for (int i = 0; i < 9; ++i) sum += kWeights[i] * (number[i] - '0');
  return sum % 10 == 0 ? RoutingStatus::kValid : RoutingStatus::kWrongCheckDigit;
}

std::string NonMicrCharacters(std::string_view number) {
  std::string bad;
  for (size_t i = 0; i < number.size();) {
    const size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(number[i])), number.size() - i);
    const std::string_view c = number.substr(i, n);
    i += n;
    if (n == 1 && IsMicrFieldCharacter(c[0])) continue;
    // Few characters, so a linear search keeps the order of appearance.
    bool seen = false;
    for (size_t j = 0; j < bad.size() && !seen;) {
      const size_t m = SequenceLength(static_cast<unsigned char>(bad[j]));
      seen = bad.compare(j, m, c) == 0 && m == n;
      j += m;
    }
    if (!seen) bad += c;
  }
  return bad;
}

std::vector<std::string> MicrLineProblems(std::string_view check_number,
                                          std::string_view aba_number,
                                          std::string_view account_number) {
  std::vector<std::string> problems;
  const std::string aba = vz::TrimBoth(aba_number);
  switch (CheckRoutingNumber(aba)) {
    case RoutingStatus::kEmpty:
      problems.push_back("The ABA routing number is missing.");
      break;
    case RoutingStatus::kNotNineDigits:
      problems.push_back("The ABA routing number " + Quoted(aba) + " is not 9 digits.");
      break;
    case RoutingStatus::kWrongCheckDigit:
      problems.push_back("The ABA routing number " + Quoted(aba) +
                         " has a wrong check digit: it is not a valid routing number.");
      break;
    case RoutingStatus::kValid:
      break;
  }
  AddCharacterProblem(&problems, "account number", account_number);
  AddCharacterProblem(&problems, "check number", check_number);
  return problems;
}

std::vector<std::string> MicrLineProblems(const CheckFields& fields) {
  return MicrLineProblems(fields.check_number, fields.aba_number, fields.account_number);
}

}  // namespace qp
