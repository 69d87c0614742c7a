// Speed of the memo manager on the check table (the 18 check fields and
// the notes memo), for both memo flavours, in each folder given:
//
//   write    a three-line note of about 120 bytes into every record through
//            the memo text channel, stored with Replace (exclusive table);
//            the writer commits every note to disk, so the figure on a disk
//            is the disk's
//   read     every note back through the channel (GO, open, lines, close)
//   rewrite  every note again on the shared table, with RLock/Replace/
//            Unlock and the memo lock around each, as the program does it
//   pack     Pack (records and PackMemo) with every second record deleted
//
// Each figure is the best of three runs on fresh tables, so that other
// work on the machine disturbs it as little as possible.
//
// Usage: memo_bench [records] [folder...]   (defaults: 10000; a new folder
// in /dev/shm, where a commit to disk costs nothing, and one in the
// temporary directory; each removed afterwards)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "bench_common.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "platform/file.h"

namespace {

using qpbench::Clock;
using qpbench::Seconds;

constexpr int kRounds = 3;


void Fail(const char* what) {
  std::fprintf(stderr, "memo_bench: %s failed: %u %s\n", what, vz::ErrorCode(), vz::TakeMessage().c_str());
  std::exit(1);
}

std::string Note(int n) {
  std::string k = std::to_string(n);
  return "Authorised by telephone, call number " + k + "\r\nPayor confirmed the amount and the payee\r\n" +
         "Mailed to the payee on 05/17/26 #" + k;
}

// Writes (or rewrites) the note of every record; true when shared, with the
// record lock around each Replace.
void WriteNotes(int records, int field, bool shared) {
  for (int r = 1; r <= records; ++r) {
    vz::GO(r);
    int32_t block = vz::GetFieldMemo(field);
    vz::MemoChannel channel;
    if (!vz::AssignMemo(channel, &block) || channel.OpenWrite() != 0 || channel.Write(Note(r)) != 0 ||
        channel.Close() != 0) {
      Fail("writing a note");
    }
    vz::SetFieldMemo(field, block);
    if (shared && !vz::RLock()) Fail("RLock");
    vz::Replace();
    if (shared) vz::Unlock();
    if (vz::ErrorCode() != 0) Fail("Replace");
  }
}

struct Figures {
  double write_s = 0, read_s = 0, rewrite_s = 0, pack_s = 0;
  int64_t memo_before = 0, memo_after = 0;
};

Figures Run(const std::string& folder, uint8_t version, int records) {
  vz::ResetEngineSettings();
  vz::Settings().MemoVersion = version;
  const std::string file = folder + (version == 0x83 ? "/checks3.dbf" : "/checks4.dbf");
  auto fields = qp::CheckTableStructure();
  if (!vz::CreateDBF(file, fields)) Fail("CreateDBF");
  if (!vz::USE(file + " EXCLUSIVE")) Fail("USE");
  for (int r = 1; r <= records; ++r) {
    vz::ClearRecord();
    vz::SetFieldText(vz::FieldNo("payee"), "Payee number " + std::to_string(r));
    vz::Append();
  }
  const int field = vz::FieldNo("notes");
  Figures f;

  auto start = Clock::now();
  WriteNotes(records, field, false);
  f.write_s = Seconds(start);

  uint64_t sink = 0;
  start = Clock::now();
  for (int r = 1; r <= records; ++r) {
    vz::GO(r);
    int32_t block = vz::GetFieldMemo(field);
    vz::MemoChannel channel;
    if (!vz::AssignMemo(channel, &block) || channel.OpenRead() != 0) Fail("reading a note");
    std::string line;
    while (!channel.Eof()) {
      channel.ReadLine(&line);
      sink += line.size();
    }
    channel.Close();
  }
  f.read_s = Seconds(start);
  if (sink < static_cast<uint64_t>(records) * 100) Fail("reading the notes back");
  vz::USE("");

  if (!vz::USE(file)) Fail("USE shared");
  start = Clock::now();
  WriteNotes(records, field, true);
  f.rewrite_s = Seconds(start);
  vz::USE("");

  if (!vz::USE(file + " EXCLUSIVE")) Fail("USE");
  for (int r = 1; r <= records; r += 2) {
    vz::GO(r);
    vz::DeleteRec();
  }
  vz::MemoFileInfo info;
  vz::GetMemoFileInfo(&info);
  f.memo_before = info.file_size;
  start = Clock::now();
  if (!vz::Pack()) Fail("Pack");
  f.pack_s = Seconds(start);
  vz::GetMemoFileInfo(&info);
  f.memo_after = info.file_size;
  vz::USE("");
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int records = qpbench::RecordCount(argc, argv, 10000, "memo_bench [records] [folder...]");
  if (records < 1) return 2;
  std::vector<std::string> bases;
  for (int i = 2; i < argc; ++i) bases.push_back(argv[i]);
  if (bases.empty()) {
    if (plat::IsDirectory("/dev/shm")) bases.push_back("/dev/shm");
    bases.push_back(plat::TempDirectory());
  }
  vz::SetReportErrors(false);
  vz::StartMemoManager();
  for (const std::string& base : bases) {
    std::string templ = base + "/qpmemobench-XXXXXX";
    if (!mkdtemp(templ.data())) {
      std::fprintf(stderr, "memo_bench: cannot make a folder in %s\n", base.c_str());
      return 1;
    }
    std::printf("memo_bench: %d records of the check table in %s\n", records, templ.c_str());
    for (uint8_t version : {uint8_t{0x83}, uint8_t{0x8B}}) {
      Figures f = Run(templ, version, records);
      for (int round = 1; round < kRounds; ++round) {
        const Figures again = Run(templ, version, records);
        f.write_s = std::min(f.write_s, again.write_s);
        f.read_s = std::min(f.read_s, again.read_s);
        f.rewrite_s = std::min(f.rewrite_s, again.rewrite_s);
        f.pack_s = std::min(f.pack_s, again.pack_s);
      }
      std::printf("  %s memo\n", version == 0x83 ? "dBASE III" : "dBASE IV");
      std::printf("    %-46s %10.0f notes/s  (%.3f s)\n", "write, channel + Replace, exclusive", records / f.write_s,
                  f.write_s);
      std::printf("    %-46s %10.0f notes/s  (%.3f s)\n", "read, GO + channel, exclusive", records / f.read_s, f.read_s);
      std::printf("    %-46s %10.0f notes/s  (%.3f s)\n", "rewrite, shared, RLock/Replace/Unlock", records / f.rewrite_s,
                  f.rewrite_s);
      std::printf("    %-46s %10.3f s        (memo file %lld -> %lld bytes)\n", "Pack with PackMemo, half deleted",
                  f.pack_s, static_cast<long long>(f.memo_before), static_cast<long long>(f.memo_after));
    }
    std::error_code ec;
    std::filesystem::remove_all(templ, ec);
  }
  return 0;
}
