// Writes a table through the engine for the interoperability test: the
// structure below, one record per input line, fields separated by tabs in
// this order, text in UTF-8 (stored in code page 437):
//
//   name C(20)   born D (YYYYMMDD or empty)   amount N(10,2)   count N(6,0)
//   ok L (T or F)   rate F(12,4)
//
//   dbf_interop_writer FILE [--shared-then-killed] < records
//
// With --shared-then-killed the table is opened shared, each record is
// appended under the file lock as the program saves a check, and the
// writer then ends at once without closing the table, as a program that
// was killed.
#include <unistd.h>

#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"

namespace {

double Number(const std::string& text) {
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool killed = argc == 3 && std::string(argv[2]) == "--shared-then-killed";
  if (argc != 2 && !killed) {
    std::cerr << "usage: dbf_interop_writer FILE [--shared-then-killed] < records\n";
    return 2;
  }
  vz::InitNationalSettingsFor("en_US");
  vz::SetDateFormat(0);
  vz::SetCenturyOn(true);  // dates go in as MM/DD/YYYY
  std::vector<vz::TFieldEntry> fields = {
      vz::TFieldEntry::Make("name", 'C', 20, 0),   vz::TFieldEntry::Make("born", 'D', 8, 0),
      vz::TFieldEntry::Make("amount", 'N', 10, 2), vz::TFieldEntry::Make("count", 'N', 6, 0),
      vz::TFieldEntry::Make("ok", 'L', 1, 0),      vz::TFieldEntry::Make("rate", 'F', 12, 4)};
  if (!vz::CreateDBF(argv[1], fields)) return 1;
  if (!vz::USE(std::string(argv[1]) + (killed ? "" : " EXCLUSIVE"))) return 1;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::vector<std::string> v = Split(line);
    if (v.size() != 6) {
      std::cerr << "dbf_interop_writer: need 6 fields: " << line << "\n";
      return 2;
    }
    vz::ClearRecord();
    vz::SetFieldText(1, vz::Utf8ToOem(v[0], 437));
    if (v[1].size() == 8) vz::SetFieldText(2, v[1].substr(4, 2) + "/" + v[1].substr(6, 2) + "/" + v[1].substr(0, 4));
    vz::SetFieldNumber(3, Number(v[2]));
    vz::SetFieldNumber(4, Number(v[3]));
    vz::SetFieldLogical(5, v[4] == "T");
    vz::SetFieldNumber(6, Number(v[5]));
    if (killed && !vz::ALock()) return 1;
    vz::Append();
    if (killed) vz::Unlock();
  }
  if (killed) _exit(vz::ErrorCode() == 0 ? 0 : 1);
  vz::USE("");
  return vz::ErrorCode() == 0 ? 0 : 1;
}
