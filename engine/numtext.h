// Number texts of the engine: reals and integers to text and back, with the
// engine's own separators (engine/national.h), never the C library's locale.
//
// The table engine formats N and F fields with these routines, the table
// components read typed numbers through them, and the amount in words rounds
// its amount with FormatFixed. Every routine accepts any input (empty,
// garbage, absurdly long or large) and answers with a defined text or value.
#ifndef QUILLPRINT_ENGINE_NUMTEXT_H_
#define QUILLPRINT_ENGINE_NUMTEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/real48.h"

namespace vz {

// The longest number text the engine produces; a width above it is cut to it.
inline constexpr int kMaxNumberText = 30;

// The value in fixed-point notation with `decimals` digits after a "." (none
// and no point for 0), right-aligned with blanks in `width`:
//   * rounding is half away from zero, decided on the exact value of the
//     double (0.125 gives "0.13"; 1.005, which is 1.00499..., gives "1.00");
//   * a value that rounds to zero never carries a "-";
//   * width is clamped to 0..kMaxNumberText, decimals to 0..kMaxNumberText;
//     a text longer than the width is not cut;
//   * a value whose text would need more than kMaxNumberText characters, an
//     infinity or a NaN gives asterisks: `width` of them, or kMaxNumberText
//     when the width is 0. A truncated number would be a wrong number.
// The "." stays whatever the national settings say: this is the form DBF
// records store.
std::string FormatFixed(double value, int width, int decimals);

// FormatFixed with "." replaced by the engine's DecimalSeparator() when
// decimals is above 0: the form users read and type.
std::string RealToText(double value, int width, int decimals);
std::string RealToText(const Real48& value, int width, int decimals);

// `a` when the flag is set, else `b`.
std::string ChooseText(bool flag, std::string_view a, std::string_view b);

// The part before the first occurrence of `separator`, "" when it does not
// occur. An empty separator never occurs.
std::string TextBefore(std::string_view separator, std::string_view text);
// The part after the first occurrence of `separator`, "" when it does not
// occur. An empty separator never occurs.
std::string TextAfter(std::string_view separator, std::string_view text);

// The decimal text of the value right-aligned with blanks in `width`
// (clamped to 0..255); never cut.
std::string IntegerToText(int64_t value, int width);

// Reads a small integer as typed by a user:
//   1. blanks trimmed on the left, then one leading "+" removed;
//   2. every thousands separator removed: "," when DecimalSeparator() is
//      ".", "." otherwise;
//   3. the first "$" removed;
//   4. the text cut before its first blank and before the first character
//      that is neither a digit nor "-";
//   5. the longest leading integer ("-" then digits, or digits) is the value,
//      limited to -32768..32767.
// 0 when nothing of the text forms an integer ("", "-", "--5", "abc").
int16_t TextToSmallInt(std::string_view text);

// Brings a number text as typed by a user into the plain form "-123.45":
//   every "$" removed; leading blanks and "+" removed; a leading "-" kept in
//   front of the digits; thousands separators removed ("," when the decimal
//   separator is ".", "." otherwise) and the decimal separator turned into
//   "."; a "0" put before a leading "."; the text cut before its first blank,
//   before the first character that is not a digit or ".", before a second
//   "." and at any later "-"; a trailing "." dropped.
// The result is either "" or a number: an optional "-", digits, and
// optionally "." and digits. A "-" with no digits after it gives "".
std::string CleanNumericText(std::string_view text);
// The same with a given decimal separator in place of DecimalSeparator().
std::string CleanNumericText(std::string_view text, char decimal_separator);

// The value of the cleaned text as a 6-byte real; 0 for "" (and for a text
// with no number in it). Magnitudes beyond the 6-byte range become the
// largest real of that sign; ones below it become 0.
Real48 TextToReal(std::string_view text);
// The same with a given decimal separator: TextToReal(text, '.') reads the
// text of a DBF N or F field whatever the national settings are.
Real48 TextToReal(std::string_view text, char decimal_separator);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_NUMTEXT_H_
