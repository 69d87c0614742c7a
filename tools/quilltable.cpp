// quilltable: a look at a check table without the windows, and a way to
// take the checks elsewhere (an accountant's spreadsheet, a backup check).
//
//   quilltable info FILE             the header and the fields
//   quilltable csv [--deleted] FILE  the records as CSV (RFC 4180), UTF-8
//   quilltable pack FILE             removes the records marked deleted
//   quilltable positive-pay FILE     the checks for the bank's positive-pay
//                                    upload (app/positivepay.h), as CSV
//
// positive-pay reads a check table, the program's checks.dbf, and writes to
// standard output (redirect it into the file to upload): every record,
// those marked deleted as void. Texts and dates are read by the national
// settings of the locale (LANG, LC_ALL), as the program reads them.
// info and csv open the table for reading only and share it with whoever
// has it open; pack needs the table to itself. A table with memo fields is
// opened with its memo file: csv writes each note as its text, and every
// other field as the record stores it (a number too wide for the engine's
// own slots included), info tells
// the memo file's layout, pack packs it with the table. Failures come out
// as the engine's report on standard error with a non-zero exit status (bad
// arguments: status 2).
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/checkrecord.h"
#include "app/positivepay.h"
#include "engine/codepage.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "engine/textutil.h"
#include "platform/file.h"

namespace {

constexpr int kUsageStatus = 2;

int Usage() {
  std::fputs(
      "usage: quilltable info FILE\n"
      "       quilltable csv [--deleted] FILE\n"
      "       quilltable pack FILE\n"
      "       quilltable positive-pay FILE\n",
      stderr);
  return kUsageStatus;
}

// Opens for reading, beside any program that has the table open shared.
void OpenForReading(const std::string& file) {
  vz::SettingsGuard settings;
  vz::Settings().ShareModeOverride = 0x40;  // read only, deny none
  vz::USE(file);
}

std::string VersionName(const vz::TableInfo& info) {
  if (info.dbase2) return "dBASE II";
  switch (info.version) {
    case 0x03: return "dBASE III, no memo";
    case 0x83: return "dBASE III with memo";
    case 0x8B: return "dBASE IV with memo";
    default: return (info.version & 0x80) ? "with memo" : "no memo";
  }
}

int CodePageOf(const vz::TableInfo& info) { return info.language_driver == 0x26 ? 866 : 437; }

int Info(const std::string& file) {
  OpenForReading(file);
  vz::TableInfo info;
  if (!vz::GetTableInfo(&info)) return 1;
  std::printf("File:           %s\n", vz::DbfFileName().c_str());
  std::printf("Version:        0x%02X (%s)\n", info.version, VersionName(info).c_str());
  std::printf("Last update:    %04d-%02d-%02d\n", info.year, info.month, info.day);
  std::printf("Records:        %u in the header, %lld in the file\n", info.header_count,
              static_cast<long long>(info.size_count));
  std::printf("Header length:  %u\n", info.header_length);
  std::printf("Record length:  %u\n", info.record_length);
  if (!info.dbase2) std::printf("Code page:      %d\n", CodePageOf(info));
  vz::MemoFileInfo memo;
  if (vz::GetMemoFileInfo(&memo)) {
    std::printf("Memo file:      %s\n", memo.file_name.c_str());
    std::printf("Memo layout:    %s\n", memo.dbase4 ? "dBASE IV (length-prefixed blocks, reused in place)"
                                                   : "dBASE III (blocks ended by 0x1A, always appended)");
    std::printf("Block size:     %u\n", memo.block_size);
    std::printf("Next free:      block %u\n", memo.next_free);
  }
  const int fields = vz::FieldCount();
  std::printf("Fields:         %d\n", fields);
  std::printf("  #  Name        Type  Length  Decimals\n");
  for (int i = 1; i <= fields; ++i) {
    vz::TFieldEntry e;
    vz::GetFieldEntry(i, &e);
    std::printf("%3d  %-10s  %c     %6u  %8u\n", i, e.Name().c_str(), e.type, e.length, e.decimals);
  }
  vz::USE("");
  return 0;
}

// A note as one value, exactly as stored (line ends and long lines as they
// are), in UTF-8; "(BLOB)" for raw data. A note that cannot be read ends
// the program with the engine's report.
std::string NoteText(int field, int codepage) {
  std::string text;
  if (!vz::GetMemoText(vz::GetFieldMemo(field), &text)) return std::string();
  return vz::OemToUtf8(text, codepage);
}

// The stored text of a field as a spreadsheet wants it.
std::string CsvValue(const vz::TFieldEntry& e, std::string_view stored, int codepage) {
  switch (e.type) {
    case 'C':
      return vz::OemToUtf8(vz::TrimRight(stored), codepage);
    case 'D': {
      std::string text = vz::TrimBoth(stored);
      if (text.empty()) return text;
      bool digits = stored.size() >= 8;
      for (size_t i = 0; digits && i < 8; ++i) digits = stored[i] >= '0' && stored[i] <= '9';
      if (!digits) return vz::OemToUtf8(text, codepage);
      return std::string(stored.substr(0, 4)) + "-" + std::string(stored.substr(4, 2)) + "-" +
             std::string(stored.substr(6, 2));
    }
    case 'L': {
      char c = stored.empty() ? ' ' : stored[0];
      return (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? "T" : "F";
    }
    default:  // N, F, M: the number as stored
      return vz::OemToUtf8(vz::TrimBoth(stored), codepage);
  }
}

int Csv(const std::string& file, bool with_deleted) {
  OpenForReading(file);
  vz::TableInfo info;
  if (!vz::GetTableInfo(&info)) return 1;
  const int codepage = CodePageOf(info);
  std::vector<vz::TFieldEntry> fields(vz::FieldCount());
  for (size_t i = 0; i < fields.size(); ++i) vz::GetFieldEntry(static_cast<int>(i + 1), &fields[i]);

  std::string line;
  if (with_deleted) line = "deleted,";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line.push_back(',');
    qp::AppendCsvField(&line, vz::OemToUtf8(fields[i].Name(), codepage));
  }
  line += "\r\n";
  std::fwrite(line.data(), 1, line.size(), stdout);

  const int32_t count = vz::RecCount();
  for (int32_t r = 1; r <= count; ++r) {
    vz::GO(r);
    if (vz::ErrorCode() != 0) return 1;
    std::string_view rec = vz::RecordImage();
    bool deleted = rec[0] == '*';
    if (deleted && !with_deleted) continue;
    line.clear();
    if (with_deleted) line = deleted ? "*," : ",";
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) line.push_back(',');
      if (fields[i].type == 'M' && info.has_memo) {
        qp::AppendCsvField(&line, NoteText(static_cast<int>(i + 1), codepage));
        if (vz::ErrorCode() != 0) return 1;
      } else {
        qp::AppendCsvField(&line, CsvValue(fields[i], rec.substr(fields[i].offset, fields[i].length), codepage));
      }
    }
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  vz::USE("");
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int Pack(const std::string& file) {
  {
    vz::ReportErrorsGuard quiet(false);
    vz::USE(file + " EXCLUSIVE");
  }
  if (vz::ErrorCode() == plat::kSharingViolation) {
    vz::TakeMessage();
    std::fprintf(stderr, "quilltable: %s is open in another program; close it there and try again.\n",
                 file.c_str());
    return 1;
  }
  if (vz::ErrorCode() != 0) {
    vz::Report();
    return 1;
  }
  const int32_t before = vz::RecCount();
  vz::MemoFileInfo memo;
  const bool has_memo = vz::GetMemoFileInfo(&memo);
  if (before == 0) {
    std::printf("%s has no records: nothing to pack.\n", vz::DbfFileName().c_str());
    vz::USE("");
    return 0;
  }
  if (!vz::Pack()) return 1;
  const int32_t after = vz::RecCount();
  const int64_t memo_before = memo.file_size;
  if (has_memo && !vz::GetMemoFileInfo(&memo)) return 1;
  vz::USE("");
  if (vz::ErrorCode() != 0) return 1;
  std::printf("Removed %d of %d records; %d remain.\n", before - after, before, after);
  if (has_memo) {
    std::printf("Memo file %s: %lld bytes, %lld before.\n", memo.file_name.c_str(),
                static_cast<long long>(memo.file_size), static_cast<long long>(memo_before));
  }
  return 0;
}

int PositivePay(const std::string& file) {
  vz::InitNationalSettings();
  OpenForReading(file);
  if (vz::ErrorCode() != 0) return 1;
  // Another table would give rows of blanks that look like checks.
  for (const qp::CheckRecordField& f : qp::CheckRecord()) {
    if (f.input == qp::CheckInput::kNotes || vz::FieldNo(f.name) != 0) continue;
    std::fprintf(stderr, "quilltable: %s is not a check table: it has no field %s.\n",
                 vz::DbfFileName().c_str(), f.name);
    vz::USE("");
    return 1;
  }
  std::vector<qp::StoredCheck> checks;
  if (!qp::ReadStoredChecks({}, &checks)) return 1;
  vz::USE("");
  const std::string csv = qp::PositivePayCsv(checks);
  std::fwrite(csv.data(), 1, csv.size(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  vz::StartMemoManager();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string command = args[0];
  args.erase(args.begin());
  bool with_deleted = false;
  if (command == "csv" && !args.empty() && args[0] == "--deleted") {
    with_deleted = true;
    args.erase(args.begin());
  }
  if (args.size() != 1 || args[0].empty()) return Usage();
  const std::string& file = args[0];
  if (command == "info") return Info(file);
  if (command == "csv") return Csv(file, with_deleted);
  if (command == "pack") return Pack(file);
  if (command == "positive-pay") return PositivePay(file);
  return Usage();
}
