// What a bank's reader will make of a check's MICR line, known before the
// check is printed: whether the routing number is a real ABA number and
// whether the check and account numbers hold only characters a MICR line
// can carry. The window warns with these; nothing here stops a check from
// being printed or saved.
//
// Each number is judged as the MICR line prints it, with the blanks at
// both ends removed (MicrLineText in output/checklayout.h).
//
// Plain C++, one check at a time, so that any window printing checks can
// ask about each of them.
#ifndef QUILLPRINT_OUTPUT_MICRCHECK_H_
#define QUILLPRINT_OUTPUT_MICRCHECK_H_

#include <string>
#include <string_view>
#include <vector>

#include "output/checklayout.h"

namespace qp {

enum class RoutingStatus {
  kEmpty,            // nothing but blanks
  kNotNineDigits,    // anything but exactly nine digits
  kWrongCheckDigit,  // nine digits whose weighted sum is no multiple of 10
  kValid,
};

// An ABA routing number carries its own check digit: with the digits
// d1 to d9, 3 x (d1 + d4 + d7) + 7 x (d2 + d5 + d8) + (d3 + d6 + d9) is a
// multiple of 10.
RoutingStatus CheckRoutingNumber(std::string_view aba_number);

// The characters of `number` that a MICR line cannot carry, each once, in
// the order they first appear: anything but the digits, the blank and the
// dash. A character outside ASCII is kept whole (all its UTF-8 bytes).
// Empty when the number can be printed as it is.
std::string NonMicrCharacters(std::string_view number);

// One sentence for the user about each field of the check that the MICR
// line will carry wrongly, routing number first, then account number, then
// check number; empty when the line is sound. An empty check or account
// number is no fault here: the line then holds just its symbols.
std::vector<std::string> MicrLineProblems(std::string_view check_number,
                                          std::string_view aba_number,
                                          std::string_view account_number);
std::vector<std::string> MicrLineProblems(const CheckFields& fields);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_MICRCHECK_H_
