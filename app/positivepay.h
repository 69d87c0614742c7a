// The positive-pay file: the checks a bank is told to expect, as CSV for its
// upload, written alike by the table window's Export and by
// `quilltable positive-pay`.
//
//   check_number,date,payee,amount,account_number,routing_number,status
//   1047,2025-03-14,Sangamon Valley Plumbing & Heating,1248.50,4021887365,123456780,issued
//
// RFC 4180: fields separated by commas, records ended by CRLF, a field
// holding a comma, a quote, a CR or an LF enclosed in quotes with its
// quotes doubled; one header row. UTF-8, without a byte-order mark.
//   - check, account and routing numbers as the MICR line prints them, the
//     blanks at both ends removed;
//   - the date as YYYY-MM-DD, empty when the record holds no valid date;
//   - the amount with two decimals and a point, no separators;
//   - status "issued", or "void" for a record marked deleted.
//
// Plain C++, for the tools as for the window.
#ifndef QUILLPRINT_APP_POSITIVEPAY_H_
#define QUILLPRINT_APP_POSITIVEPAY_H_

#include <span>
#include <string>
#include <string_view>

#include "app/checkrecord.h"

namespace qp {

// Appends one CSV field, enclosed in quotes with its quotes doubled when it
// holds a comma, a quote, a CR or an LF (RFC 4180).
void AppendCsvField(std::string* line, std::string_view value);

// The header row, CRLF included.
std::string PositivePayHeader();

// One check's row, CRLF included.
std::string PositivePayRow(const StoredCheck& check);

// The whole file: the header, then one row per check in the order given.
std::string PositivePayCsv(std::span<const StoredCheck> checks);

}  // namespace qp

#endif  // QUILLPRINT_APP_POSITIVEPAY_H_
