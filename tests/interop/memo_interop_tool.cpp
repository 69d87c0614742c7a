// The engine's side of the interoperability test with Debian's DBF readers:
// writes notes given on standard input into a table, or prints the notes a
// table holds, so that a script can compare both with python3-dbf and
// python3-dbfread.
//
//   memo_interop_tool create <table> <83|8b> <block size>   notes from stdin
//   memo_interop_tool update <table>                         notes from stdin
//   memo_interop_tool read <table>                           notes to stdout
//   memo_interop_tool rewrite <table>   each note read into lines by the
//                                       table component and written back
//                                       from them, as the notes window does
//                                       with a note nobody changed
//
// Notes travel one per line as hexadecimal bytes ("-" for none); a note
// read is its text as the memo file holds it.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex.empty() ? "-" : hex;
}

int Fail(const char* what) {
  std::cerr << what << ": " << vz::ErrorCode() << " " << vz::TakeMessage() << "\n";
  return 1;
}

// Writes `text` as the note of the current record.
int StoreNote(int field, const std::string& text) {
  int32_t block = vz::GetFieldMemo(field);
  vz::MemoChannel channel;
  if (!vz::AssignMemo(channel, &block) || channel.OpenWrite() != 0) return Fail("open");
  if (channel.Write(text) != 0 || channel.Close() != 0) return Fail("write");
  vz::SetFieldMemo(field, block);
  vz::Replace();
  return vz::ErrorCode() != 0 ? Fail("replace") : 0;
}

// Writes the notes of standard input into records 1, 2, ... (appending
// records as needed) of the open table.
int WriteNotes() {
  std::string line;
  int32_t record = 0;
  while (std::getline(std::cin, line)) {
    ++record;
    if (record > vz::RecCount()) {
      vz::ClearRecord();
      vz::Append();
    }
    vz::GO(record);
    if (int rc = StoreNote(vz::FieldNo("NOTES"), FromHex(line)); rc != 0) return rc;
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

int ReadNotes() {
  const int field = vz::FieldNo("NOTES");
  for (int32_t r = 1; r <= vz::RecCount(); ++r) {
    vz::GO(r);
    std::string text;
    if (!vz::GetMemoText(vz::GetFieldMemo(field), &text)) return Fail("read");
    std::cout << ToHex(text) << "\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vz::SetReportErrors(false);
  vz::StartMemoManager();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "create") {
    vz::Settings().MemoVersion = static_cast<uint8_t>(std::stoi(args[2], nullptr, 16));
    vz::Settings().MemoBlockSize = static_cast<uint16_t>(std::stoi(args[3]));
    std::vector<vz::TFieldEntry> fields = {vz::TFieldEntry::Make("title", 'C', 20, 0),
                                           vz::TFieldEntry::Make("notes", 'M', 10, 0)};
    if (!vz::CreateDBF(args[1], fields)) return Fail("create");
  } else if (args.size() != 2 || (args[0] != "update" && args[0] != "read" && args[0] != "rewrite")) {
    std::cerr << "usage: memo_interop_tool create <table> <83|8b> <block size> | update <table> | read <table>"
                 " | rewrite <table>\n";
    return 2;
  }
  if (args[0] == "rewrite") return RewriteNotes(args[1]);
  if (!vz::USE(args[1] + " EXCLUSIVE")) return Fail("use");
  int rc = args[0] == "read" ? ReadNotes() : WriteNotes();
  vz::USE("");
  return rc != 0 ? rc : (vz::ErrorCode() != 0 ? Fail("close") : 0);
}
