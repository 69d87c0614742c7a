// Speed of the table engine on a table of the check structure (the 18
// fields of a check, without the memo), side by side in one run:
//
//   append    100,000 records one at a time on a shared table, with the
//             file lock taken and released around each (ALock/Append/Unlock)
//   scan      GoTop and SKIP to the end reading every field, on the table
//             opened exclusively and shared
//   go        10,000 GOs to random records (exclusive)
//   delete    marking every second record deleted (exclusive)
//   pack      Pack of the table with every second record marked; the
//             commit to disk at its end is timed apart
//   read      one plain sequential read of the whole file: the speed of the
//             disk and the cache, which no engine can beat
//
// Usage: dbf_bench [records] [folder]   (defaults: 100000, a new folder in
// the temporary directory, removed afterwards)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "bench_common.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/real48.h"
#include "platform/file.h"

namespace {

using qpbench::Clock;
using qpbench::Seconds;

// Reads every field of the current record, so that no conversion can be
// skipped; returns something that depends on all of them.
uint64_t TouchFields(const std::vector<uint8_t*>& slots, int amount_field) {
  uint64_t sum = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    const uint8_t* s = slots[i];
    if (static_cast<int>(i) + 1 == amount_field) {
      sum += static_cast<uint64_t>(vz::Real48::Load(s).ToDouble() * 100);
    } else {
      sum += s[0] + s[1] + s[s[0]];
    }
  }
  return sum;
}

std::vector<uint8_t*> Slots() {
  std::vector<uint8_t*> slots;
  for (int i = 1; i <= vz::FieldCount(); ++i) slots.push_back(vz::FieldAddress(i));
  return slots;
}

void Fail(const char* what) {
  std::fprintf(stderr, "dbf_bench: %s failed: %s\n", what, vz::TakeMessage().c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  const int records = qpbench::RecordCount(argc, argv, 100000, "dbf_bench [records] [folder]");
  if (records < 1) return 2;
  std::string folder;
  bool own_folder = argc <= 2;
  if (own_folder) {
    std::string templ = plat::TempDirectory() + "/qpbench-XXXXXX";
    if (!mkdtemp(templ.data())) return 1;
    folder = templ;
  } else {
    folder = argv[2];
  }
  vz::SetReportErrors(false);
  const std::string file = folder + "/checks.dbf";
  auto fields = qp::CheckTableStructure(/*with_notes=*/false);
  if (!vz::CreateDBF(file, fields)) Fail("CreateDBF");

  // ---- append, shared, file lock around each ----
  if (!vz::USE(file)) Fail("USE");
  std::vector<uint8_t*> slots = Slots();
  const int amount = vz::FieldNo("amtnumbers");
  // Every record is the sample check, by field name, with a number and a
  // payee of its own.
  struct Text {
    uint8_t* slot;
    size_t length;
    std::string text;
  };
  std::vector<Text> texts;
  const qp::CheckValues& sample = qp::SampleCheck();
  for (const qp::CheckRecordField& f : qp::CheckRecord()) {
    if (f.input != qp::CheckInput::kText) continue;
    const int n = vz::FieldNo(f.name);
    texts.push_back({vz::FieldAddress(n), vz::FieldLen(n), qp::ToTableText(sample.Text(f.name))});
  }
  const int payee = vz::FieldNo("payee"), checknum = vz::FieldNo("checknum");
  const int chkdate = vz::FieldNo("chkdate");
  auto start = Clock::now();
  for (int i = 1; i <= records; ++i) {
    if (!vz::ALock()) Fail("ALock");
    vz::ClearRecord();
    std::string n = std::to_string(i);
    for (const Text& t : texts) vz::SetSlotText(t.slot, t.length, t.text);
    vz::SetSlotText(vz::FieldAddress(payee), vz::FieldLen(payee), "Payee number " + n);
    vz::SetSlotText(vz::FieldAddress(checknum), vz::FieldLen(checknum), n);
    vz::Real48::From(i * 1.25).Store(slots[amount - 1]);
    vz::SetSlotText(vz::FieldAddress(chkdate), vz::FieldLen(chkdate), "05/17/26");
    vz::Append();
    vz::Unlock();
    if (vz::ErrorCode() != 0) Fail("Append");
  }
  const double append_s = Seconds(start);
  vz::USE("");

  // ---- the floor of a shared append: the five system calls it cannot do
  // without (take the file lock, ask the file's size for the records other
  // programs added, write the record, bring the header's count up to date
  // for readers that trust it, release the lock), with no engine ----
  double floor_s = 0;
  {
    const std::string raw = folder + "/floor.bin";
    plat::File f;
    if (f.Create(raw, plat::kModeShared) != plat::kOk) Fail("floor create");
    size_t record_length = 1;
    for (const vz::TFieldEntry& f : fields) record_length += f.length;
    std::vector<char> record(record_length, ' ');
    char header[8] = {};
    start = Clock::now();
    for (int i = 0; i < records; ++i) {
      int64_t size = 0;
      size_t done = 0;
      if (f.Lock(0x40000001, 1) != plat::kOk || f.Size(&size) != plat::kOk ||
          f.WriteAt(size, record.data(), record.size(), &done) != plat::kOk ||
          f.WriteAt(0, header, sizeof header, &done) != plat::kOk || f.Unlock(0x40000001, 1) != plat::kOk) {
        Fail("floor");
      }
    }
    floor_s = Seconds(start);
    f.Close();
    plat::Erase(raw);
  }

  // ---- the physical reference: one plain read of the whole file ----
  std::vector<char> whole;
  double read_s = 0;
  {
    plat::File f;
    if (f.Open(file, plat::kModeShared) != plat::kOk) Fail("plain open");
    int64_t size = 0;
    f.Size(&size);
    whole.resize(static_cast<size_t>(size));
    size_t got = 0;
    f.ReadAt(0, whole.data(), whole.size(), &got);  // warm the cache first
    start = Clock::now();
    f.ReadAt(0, whole.data(), whole.size(), &got);
    read_s = Seconds(start);
  }

  // ---- full scans ----
  uint64_t sink = 0;
  auto scan = [&](const char* command) {
    if (!vz::USE(command)) Fail("USE");
    std::vector<uint8_t*> s = Slots();
    auto t = Clock::now();
    int seen = 0;
    vz::GoTop();
    while (!vz::dEOF()) {
      sink += TouchFields(s, amount);
      ++seen;
      vz::SKIP(1);
    }
    double secs = Seconds(t);
    if (seen != records) Fail("scan");
    return secs;
  };
  const double scan_excl_s = scan((file + " EXCLUSIVE").c_str());
  const double scan_shared_s = scan(file.c_str());

  // ---- random GO, exclusive ----
  if (!vz::USE(file + " EXCLUSIVE")) Fail("USE");
  slots = Slots();
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> pick(1, records);
  constexpr int kGos = 10000;
  start = Clock::now();
  for (int i = 0; i < kGos; ++i) {
    vz::GO(pick(rng));
    sink += TouchFields(slots, amount);
  }
  const double go_s = Seconds(start);

  // ---- mark every second record deleted ----
  start = Clock::now();
  int marked = 0;
  for (int n = 1; n <= records; n += 2) {
    vz::GO(n);
    vz::DeleteRec();
    ++marked;
  }
  const double delete_s = Seconds(start);
  if (vz::ErrorCode() != 0) Fail("DeleteRec");

  // ---- pack ----
  const uint64_t commit_before = vz::CommitNanoseconds();
  start = Clock::now();
  if (!vz::Pack()) Fail("Pack");
  const double pack_total_s = Seconds(start);
  const double commit_s = static_cast<double>(vz::CommitNanoseconds() - commit_before) / 1e9;
  const double pack_s = pack_total_s - commit_s;
  const int left = vz::RecCount();
  vz::USE("");

  std::printf("dbf_bench: %d records of the check structure (%zu bytes each), %s\n", records,
              whole.size() / static_cast<size_t>(records), file.c_str());
  std::printf("  %-44s %12.0f records/s  (%.3f s)\n", "append, shared, ALock/Append/Unlock each", records / append_s,
              append_s);
  std::printf("  %-44s %12.0f records/s  (%.3f s, the same system calls alone)\n",
              "  floor: lock, size, write, header, unlock", records / floor_s, floor_s);
  std::printf("  %-44s %12.0f records/s  (%.2f ms, %.2f x the plain read)\n", "full scan, exclusive, every field",
              records / scan_excl_s, scan_excl_s * 1e3, scan_excl_s / read_s);
  std::printf("  %-44s %12.0f records/s  (%.2f ms, %.2f x the plain read)\n", "full scan, shared, every field",
              records / scan_shared_s, scan_shared_s * 1e3, scan_shared_s / read_s);
  std::printf("  %-44s %12.0f GOs/s      (%.2f ms)\n", "random GO, exclusive, 10,000", kGos / go_s, go_s * 1e3);
  std::printf("  %-44s %12.0f records/s  (%.2f ms)\n", "mark every second record deleted", marked / delete_s,
              delete_s * 1e3);
  std::printf("  %-44s %12.3f s          (%d records left)\n", "Pack, before its commit to disk", pack_s, left);
  std::printf("  %-44s %12.3f s\n", "Pack's commit to disk", commit_s);
  std::printf("  %-44s %12.2f ms         (%.0f MB/s)\n", "plain sequential read of the file", read_s * 1e3,
              static_cast<double>(whole.size()) / read_s / 1e6);
  if (sink == 42) std::printf(" \n");
  if (own_folder) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  return 0;
}
