// The amount of a check in words, the line that stands under the payee:
// 1234.56 reads "One Thousand Two Hundred Thirty-Four and 56/100". The main
// window rewrites it on every keystroke in the amount field, so it is plain
// text work on a few dozen characters.
#ifndef QUILLPRINT_OUTPUT_AMOUNTWORDS_H_
#define QUILLPRINT_OUTPUT_AMOUNTWORDS_H_

#include <string>

#include "engine/real48.h"

namespace qp {

// The amount rounded to cents (half away from zero) and spelled out: German
// when vz::LanguageIndex() is 5 ("Eintausendzweihundertvierunddreißig DM und
// 56 Pf"), English otherwise. German words are UTF-8.
//
//   * whole units in words, then "and" and the cents as "56/100"; no cents
//     read "NO/100" ("keine Pf");
//   * below 1 the words are "ZERO" followed by two blanks: "ZERO  and
//     99/100" ("NULL DM und 99 Pf");
//   * otherwise single blanks between words and none at either end;
//   * the result does not depend on the decimal separator setting.
//
// The domain is 0 to below 10^12 after rounding. Outside it (negative
// amounts, larger ones) the result is "": a check must never carry words
// that disagree with its figures.
std::string AmountInWords(const vz::Real48& amount);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_AMOUNTWORDS_H_
