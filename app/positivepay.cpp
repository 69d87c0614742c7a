// The positive-pay file's rows.
#include "app/positivepay.h"

#include <cstdio>
#include <string_view>

#include "engine/textutil.h"
#include "output/checklayout.h"

namespace qp {

void AppendCsvField(std::string* line, std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
    line->append(value);
    return;
  }
  line->push_back('"');
  for (char c : value) {
    if (c == '"') line->push_back('"');
    line->push_back(c);
  }
  line->push_back('"');
}

namespace {

// One field and the comma before it (none before the first).
void PutField(std::string* line, bool* first, std::string_view value) {
  if (!*first) line->push_back(',');
  *first = false;
  AppendCsvField(line, value);
}

std::string IsoDate(const CheckDate& date) {
  // An invalid date must not reach the bank as a date.
  if (CheckDateText(date).empty()) return std::string();
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace

std::string PositivePayHeader() {
  std::string line;
  bool first = true;
  for (const char* name :
       {"check_number", "date", "payee", "amount", "account_number", "routing_number", "status"}) {
    PutField(&line, &first, name);
  }
  return line + "\r\n";
}

std::string PositivePayRow(const StoredCheck& check) {
  const CheckValues& v = check.values;
  std::string line;
  bool first = true;
  PutField(&line, &first, vz::TrimBoth(v.Text("checknum")));
  PutField(&line, &first, IsoDate(v.date));
  PutField(&line, &first, v.Text("payee"));
  PutField(&line, &first, AmountFigures(v.amount));
  PutField(&line, &first, vz::TrimBoth(v.Text("acctnum")));
  PutField(&line, &first, vz::TrimBoth(v.Text("abanum")));
  PutField(&line, &first, check.deleted ? "void" : "issued");
  return line + "\r\n";
}

std::string PositivePayCsv(std::span<const StoredCheck> checks) {
  std::string csv = PositivePayHeader();
  for (const StoredCheck& check : checks) csv += PositivePayRow(check);
  return csv;
}

}  // namespace qp
