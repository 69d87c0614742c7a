// The engine's side of interop_test.py, against Debian's DBF readers:
//
//   interop_tool records <table> [--shared-then-killed]   records from stdin
//   interop_tool create <table> <83|8b> <block size>       notes from stdin
//   interop_tool update <table>                            notes from stdin
//   interop_tool read <table>                              notes to stdout
//   interop_tool rewrite <table>
//
// A record is a line of tab-separated fields: name C(20) in UTF-8 (stored in
// code page 437), born D (MM/DD/YYYY or empty), amount N(10,2), count N(6,0),
// ok L (T or F), rate F(12,4). --shared-then-killed appends each record to
// the shared table under the file lock, as the program saves a check, and
// ends without closing the table, as a killed program. Notes travel one per
// line as hexadecimal bytes ("-" for none); rewrite reads each note into
// lines through the table component and writes it back from them, as the
// notes window does with a note nobody changed.
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "engine/codepage.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "engine/national.h"

namespace {

int Fail(const char* what) {
  std::cerr << what << ": " << vz::ErrorCode() << " " << vz::TakeMessage() << "\n";
  return 1;
}

int WriteRecords(const std::string& table, bool killed) {
  vz::InitNationalSettingsFor("en_US");
  vz::SetDateFormat(0);
  vz::SetCenturyOn(true);
  std::vector<vz::TFieldEntry> fields = {
      vz::TFieldEntry::Make("name", 'C', 20, 0),   vz::TFieldEntry::Make("born", 'D', 8, 0),
      vz::TFieldEntry::Make("amount", 'N', 10, 2), vz::TFieldEntry::Make("count", 'N', 6, 0),
      vz::TFieldEntry::Make("ok", 'L', 1, 0),      vz::TFieldEntry::Make("rate", 'F', 12, 4)};
  if (!vz::CreateDBF(table, fields)) return Fail("create");
  if (!vz::USE(table + (killed ? "" : " EXCLUSIVE"))) return Fail("use");
  for (std::string line; std::getline(std::cin, line);) {
    std::vector<std::string> v;
    std::istringstream parts(line);
    for (std::string part; std::getline(parts, part, '\t');) v.push_back(part);
    if (v.size() != 6) return Fail("need 6 fields");
    vz::ClearRecord();
    vz::SetFieldText(1, vz::Utf8ToOem(v[0], 437));
    if (!v[1].empty()) vz::SetFieldText(2, v[1]);
    vz::SetFieldNumber(3, std::stod(v[2]));
    vz::SetFieldNumber(4, std::stod(v[3]));
    vz::SetFieldLogical(5, v[4] == "T");
    vz::SetFieldNumber(6, std::stod(v[5]));
    if (killed && !vz::ALock()) return Fail("lock");
    vz::Append();
    if (killed) vz::Unlock();
  }
  if (killed) _exit(vz::ErrorCode() == 0 ? 0 : 1);
  vz::USE("");
  return vz::ErrorCode() == 0 ? 0 : Fail("close");
}

// Writes the notes of standard input into records 1, 2, ... (appending
// records as needed) of the open table.
int WriteNotes() {
  const int field = vz::FieldNo("NOTES");
  int32_t record = 0;
  for (std::string hex; std::getline(std::cin, hex);) {
    if (++record > vz::RecCount()) {
      vz::ClearRecord();
      vz::Append();
    }
    vz::GO(record);
    std::string text;
    for (size_t i = 0; hex != "-" && i + 1 < hex.size(); i += 2) text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    int32_t block = vz::GetFieldMemo(field);
    vz::MemoChannel channel;
    if (!vz::AssignMemo(channel, &block) || channel.OpenWrite() != 0) return Fail("open");
    if (channel.Write(text) != 0 || channel.Close() != 0) return Fail("write");
    vz::SetFieldMemo(field, block);
    vz::Replace();
    if (vz::ErrorCode() != 0) return Fail("replace");
  }
  return 0;
}

int ReadNotes() {
  const int field = vz::FieldNo("NOTES");
  for (int32_t r = 1; r <= vz::RecCount(); ++r) {
    vz::GO(r);
    std::string text;
    if (!vz::GetMemoText(vz::GetFieldMemo(field), &text)) return Fail("read");
    std::string hex;
    for (unsigned char c : text) {
      hex += "0123456789abcdef"[c >> 4];
      hex += "0123456789abcdef"[c & 15];
    }
    std::cout << (hex.empty() ? "-" : hex) << "\n";
  }
  return 0;
}

int RewriteNotes(const std::string& table) {
  vz::ComponentLayer layer(vz::RegionalSettings{});
  vz::TComponent form(nullptr);
  auto* t = new vz::TTzDbf(&form);  // the form owns it
  t->SetName("Notes");
  t->SetCreateIfNotFound(false);
  t->SetExclusive(true);
  t->SetDbfFileName(table);
  vz::TTzDataLink link;
  try {
    t->SetActive(true);
    if (!t->Active()) return Fail("open");
    link.SetDataSource(t);
    vz::TTzDataSet* ds = t->DataSet();
    vz::TTzField* notes = ds->FieldByName("notes");
    for (ds->First(); !ds->Eof(); ds->Next()) {
      ds->Edit();
      notes->SetLines(notes->Lines());
      if (!ds->Post() || vz::ErrorCode() != 0) return Fail("post");
    }
  } catch (const vz::EVozuvError& e) {
    std::cerr << "rewrite: " << e.what() << "\n";
    return 1;
  }
  link.SetDataSource(nullptr);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vz::SetReportErrors(false);
  vz::StartMemoManager();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  if (command == "records" && (args.size() == 2 || (args.size() == 3 && args[2] == "--shared-then-killed"))) {
    return WriteRecords(args[1], args.size() == 3);
  }
  if (command == "create" && args.size() == 4) {
    vz::Settings().MemoVersion = static_cast<uint8_t>(std::stoi(args[2], nullptr, 16));
    vz::Settings().MemoBlockSize = static_cast<uint16_t>(std::stoi(args[3]));
    std::vector<vz::TFieldEntry> fields = {vz::TFieldEntry::Make("title", 'C', 20, 0),
                                           vz::TFieldEntry::Make("notes", 'M', 10, 0)};
    if (!vz::CreateDBF(args[1], fields)) return Fail("create");
  } else if (args.size() != 2 || (command != "update" && command != "read" && command != "rewrite")) {
    std::cerr << "usage: interop_tool records|create|update|read|rewrite <table> ...\n";
    return 2;
  }
  if (command == "rewrite") return RewriteNotes(args[1]);
  if (!vz::USE(args[1] + " EXCLUSIVE")) return Fail("use");
  const int rc = command == "read" ? ReadNotes() : WriteNotes();
  vz::USE("");
  return rc != 0 ? rc : (vz::ErrorCode() != 0 ? Fail("close") : 0);
}
