// Number texts: exact fixed-point formatting and tolerant reading of typed
// numbers.
#include "engine/numtext.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/national.h"
#include "engine/textutil.h"

namespace vz {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A typed number's grouping character follows from its decimal separator,
// not from the thousands setting: Russian settings group with a blank, and
// a blank must end a number rather than vanish inside it.
char GroupingFor(char decimal_separator) { return decimal_separator == '.' ? ',' : '.'; }

std::string Stars(int width) { return std::string(width > 0 ? width : kMaxNumberText, '*'); }

// Adds one unit in the last place of a digit text that may hold one ".".
void IncrementDigits(std::string* digits) {
  for (size_t i = digits->size(); i-- > 0;) {
    char& c = (*digits)[i];
    if (c == '.') continue;
    if (c != '9') {
      ++c;
      return;
    }
    c = '0';
  }
  digits->insert(digits->begin(), '1');
}

// Number of digits after the point in the exact decimal expansion of a
// finite, non-zero magnitude: a double is mant * 2^q, and 2^-n needs n.
int ExactFractionDigits(double magnitude) {
  int exp2 = 0;
  double m = std::frexp(magnitude, &exp2);
  auto mant = static_cast<uint64_t>(std::ldexp(m, 53));
  int q = exp2 - 53 + std::countr_zero(mant);
  return q < 0 ? -q : 0;
}

// The magnitude in fixed point, rounded half away from zero at `decimals`.
std::string MagnitudeDigits(double magnitude, int decimals) {
  int exact = magnitude == 0.0 ? 0 : ExactFractionDigits(magnitude);
  int precision = std::max(exact, decimals);
  // The caller keeps the integer part below 10^31.
  std::string buf(static_cast<size_t>(precision) + 40, '\0');
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                           std::chars_format::fixed, precision);
  buf.resize(static_cast<size_t>(res.ptr - buf.data()));
  if (precision == decimals) return buf;  // exact already

  // Cut after `decimals` digits and round on the first dropped digit: with
  // the exact expansion in hand, "5 or more" is exactly half away from zero.
  size_t point = buf.find('.');
  char dropped = buf[point + 1 + static_cast<size_t>(decimals)];
  buf.resize(decimals > 0 ? point + 1 + static_cast<size_t>(decimals) : point);
  if (dropped >= '5') IncrementDigits(&buf);
  return buf;
}

}  // namespace

std::string FormatFixed(double value, int width, int decimals) {
  width = std::clamp(width, 0, kMaxNumberText);
  decimals = std::clamp(decimals, 0, kMaxNumberText);
  if (!std::isfinite(value)) return Stars(width);
  double magnitude = std::fabs(value);
  if (magnitude >= 1e31) return Stars(width);

  std::string digits = MagnitudeDigits(magnitude, decimals);
  bool all_zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0' || c == '.'; });
  if (std::signbit(value) && !all_zero) digits.insert(digits.begin(), '-');
  if (static_cast<int>(digits.size()) > kMaxNumberText) return Stars(width);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), ' ');
  return digits;
}

std::string RealToText(double value, int width, int decimals) {
  std::string text = FormatFixed(value, width, decimals);
  if (decimals > 0) std::replace(text.begin(), text.end(), '.', DecimalSeparator());
  return text;
}

std::string RealToText(const Real48& value, int width, int decimals) {
  return RealToText(value.ToDouble(), width, decimals);
}

std::string ChooseText(bool flag, std::string_view a, std::string_view b) {
  return std::string(flag ? a : b);
}

std::string TextBefore(std::string_view separator, std::string_view text) {
  if (separator.empty()) return {};
  size_t at = text.find(separator);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(0, at));
}

std::string TextAfter(std::string_view separator, std::string_view text) {
  if (separator.empty()) return {};
  size_t at = text.find(separator);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + separator.size()));
}

std::string IntegerToText(int64_t value, int width) {
  width = std::clamp(width, 0, 255);
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  std::string text(buf, res.ptr);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

int16_t TextToSmallInt(std::string_view text) {
  std::string s = TrimLeft(text);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  char grouping = GroupingFor(DecimalSeparator());
  std::erase(s, grouping);
  if (size_t dollar = s.find('$'); dollar != std::string::npos) s.erase(dollar, 1);

  size_t i = 0;
  bool negative = false;
  if (i < s.size() && s[i] == '-') {
    negative = true;
    ++i;
  }
  // Saturate while reading: the limit is reached long before any overflow.
  int64_t magnitude = 0;
  bool any = false;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    any = true;
    magnitude = std::min<int64_t>(magnitude * 10 + (s[i] - '0'), 100000);
  }
  if (!any) return 0;
  int64_t v = negative ? -magnitude : magnitude;
  return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

std::string CleanNumericText(std::string_view text) { return CleanNumericText(text, DecimalSeparator()); }

std::string CleanNumericText(std::string_view text, char decimal_separator) {
  std::string s(text);
  std::erase(s, '$');
  size_t lead = 0;
  while (lead < s.size() && (IsBlank(s[lead]) || s[lead] == '+')) ++lead;
  s.erase(0, lead);
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.erase(0, 1);

  std::erase(s, GroupingFor(decimal_separator));
  if (decimal_separator != '.') std::replace(s.begin(), s.end(), decimal_separator, '.');
  if (!s.empty() && s[0] == '.') s.insert(s.begin(), '0');

  size_t end = 0;
  bool seen_point = false;
  for (; end < s.size(); ++end) {
    char c = s[end];
    if (IsDigit(c)) continue;
    if (c == '.' && !seen_point) {
      seen_point = true;
      continue;
    }
    break;
  }
  s.resize(end);
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s.empty()) return {};
  if (negative) s.insert(s.begin(), '-');
  return s;
}

Real48 TextToReal(std::string_view text) { return TextToReal(text, DecimalSeparator()); }

Real48 TextToReal(std::string_view text, char decimal_separator) {
  std::string clean = CleanNumericText(text, decimal_separator);
  if (clean.empty()) return Real48{};
  double value = 0.0;
  auto res = std::from_chars(clean.data(), clean.data() + clean.size(), value, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) {
    // Out of a double's range: huge when any integer digit is non-zero.
    size_t first = clean[0] == '-' ? 1 : 0;
    size_t point = clean.find('.');
    std::string_view integer(clean.data() + first, (point == std::string::npos ? clean.size() : point) - first);
    bool huge = integer.find_first_not_of('0') != std::string_view::npos;
    if (!huge) return Real48{};
    value = first ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  } else if (res.ec != std::errc()) {
    return Real48{};
  }
  return Real48::From(value);
}

}  // namespace vz
