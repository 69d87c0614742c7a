// The check both output test files print: the fields as a user might leave
// them, blanks at either end included, since the layout drops some (the
// trailing ones of names and places) and keeps the others.
#ifndef QUILLPRINT_TESTS_OUTPUT_SAMPLEFIELDS_H_
#define QUILLPRINT_TESTS_OUTPUT_SAMPLEFIELDS_H_

#include "output/checklayout.h"

namespace qptest {

inline qp::CheckFields SampleFields() {
  return {.first_name = " Ada  ", .last_name = "Lovelace ", .address = " 12 St James's Square ",
          .city = " London  ", .state = "LN", .zip = "SW1Y ", .bank_name = "Coutts & Co",
          .bank_address = "440 Strand", .bank_city = "London", .bank_state = "", .bank_zip = "WC2R",
          .aba_number = " 123456789 ", .account_number = "987654", .check_number = " 1001  ",
          .date = {1998, 12, 5}, .payee = "Charles Babbage ",
          .amount_words = "One Hundred Twenty Three and 45/100", .amount_text = "123.45"};
}

// The largest amount the field takes, whose line is too wide at 12 point.
inline qp::CheckFields LargestAmount() {
  qp::CheckFields f = SampleFields();
  f.amount_words = "Nine Million Nine Hundred Ninety-Nine Thousand Nine Hundred Ninety-Nine and 99/100";
  f.amount_text = "9999999.99";
  return f;
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_OUTPUT_SAMPLEFIELDS_H_
