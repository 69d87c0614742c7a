// Fuzz target over memo files: arbitrary bytes become the memo file of a
// small table, and the engine reads every block number a record could name
// (into lines and whole), writes one note, stores it in a record and
// (sometimes) packs the table.
//
// Beyond the sanitizers' findings, two promises are checked: a note the
// engine has stored reads back exactly, through the line view and whole,
// and it still does after a pack, whether the pack succeeds or gives up on
// the damaged file.
//
// Input: byte 0 flags (bit 0 dBASE IV table, bit 1 pack), bytes 1-4 the
// old block of the note (little-endian, any value), bytes 5-12 the memo
// pointers of records 2 and 3, then the memo file's bytes.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/dbf.h"
#include "engine/endian.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "platform/file.h"

namespace {

constexpr size_t kPrefix = 13;
// Reading a block costs up to the rest of the file; beyond this many the
// fuzzer learns nothing new from more of them.
constexpr int32_t kMostBlocks = 512;
constexpr int kNotesField = 2;
const std::string kNote = "first line\r\nsecond \x8D line\r\nthird";
const std::string kNoteRead = "first line\r\nsecond \x8D line\r\nthird\r\n";

struct Table {
  std::string dir;
  std::string dbf;
  std::string dbt;
  std::string image;  // the data file: fields TITLE C 4, NOTES M, 3 records
  size_t header_length = 0;
  size_t record_length = 0;
  size_t notes_offset = 0;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const void* data, size_t n) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
}

int32_t SignedLe32(const uint8_t* p) { return static_cast<int32_t>(vz::Le32(p)); }

void RemoveDir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

Table& TheTable() {
  static Table table = [] {
    Table t;
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : plat::TempDirectory();
    std::string templ = base + "/qp-memo-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) std::abort();
    t.dir = templ;
    t.dbf = t.dir + "/f.dbf";
    t.dbt = t.dir + "/f.dbt";
    std::vector<vz::TFieldEntry> fields = {vz::TFieldEntry::Make("title", 'C', 4, 0),
                                           vz::TFieldEntry::Make("notes", 'M', 10, 0)};
    if (!vz::CreateDBF(t.dbf, fields) || !vz::USE(t.dbf + " EXCLUSIVE")) std::abort();
    for (int i = 0; i < 3; ++i) {
      vz::ClearRecord();
      vz::Append();
    }
    vz::USE("");
    t.image = ReadAll(t.dbf);
    t.header_length = 32 + 2 * 32 + 1;
    t.record_length = 1 + 4 + 10;
    t.notes_offset = 1 + 4;
    static std::string dir = t.dir;
    std::atexit([] { RemoveDir(dir); });
    return t;
  }();
  return table;
}

void PutPointer(std::string* image, const Table& t, int record, int32_t block) {
  std::string digits = std::to_string(block % 100000000);
  std::string field = std::string(10 - digits.size(), ' ') + digits;
  image->replace(t.header_length + static_cast<size_t>(record - 1) * t.record_length + t.notes_offset, 10, field);
}

// The memo's lines joined as the channel delivers them; "" when it cannot
// be read.
std::string ReadBlock(int32_t block) {
  vz::MemoChannel channel;
  std::string text, line;
  if (!vz::AssignMemo(channel, &block) || channel.OpenRead() != 0) return text;
  vz::LineEnd end;
  while (!channel.Eof() && channel.ReadLine(&line, &end) == 0) {
    text += line + (end == vz::LineEnd::kSoft ? "\x8D\n" : "\r\n");
  }
  channel.Close();
  return text;
}

// The memo's text whole, as the file holds it; "" when it cannot be read.
std::string ReadWhole(int32_t block) {
  std::string text;
  if (!vz::GetMemoText(block, &text)) text.clear();
  return text;
}

// Whether the note at `block` is the one written, line by line and whole.
bool IsTheNote(int32_t block) { return ReadBlock(block) == kNoteRead && ReadWhole(block) == kNote; }

void ExpectNote(const char* when) {
  vz::GO(1);
  if (!IsTheNote(vz::GetFieldMemo(kNotesField))) {
    std::fprintf(stderr, "the stored note does not read back %s\n", when);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vz::SetReportErrors(false);
  vz::SetRaiseEngineErrors(false);
  vz::StartMemoManager();
  TheTable();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t prefix[kPrefix] = {};
  std::memcpy(prefix, data, size < kPrefix ? size : kPrefix);
  const Table& t = TheTable();
  std::string image = t.image;
  image[0] = static_cast<char>(prefix[0] & 1 ? 0x8B : 0x83);
  PutPointer(&image, t, 2, SignedLe32(prefix + 5));
  PutPointer(&image, t, 3, SignedLe32(prefix + 9));
  WriteAll(t.dbf, image.data(), image.size());
  WriteAll(t.dbt, data + (size < kPrefix ? size : kPrefix), size < kPrefix ? 0 : size - kPrefix);

  vz::ResetEngineSettings();
  vz::ClearError();
  vz::Select(1);
  if (!vz::USE(t.dbf + " EXCLUSIVE")) return 0;
  vz::MemoFileInfo info;
  if (vz::GetMemoFileInfo(&info) && info.block_size > 0) {
    const int64_t blocks = std::min<int64_t>(info.file_size / info.block_size + 2, kMostBlocks);
    for (int64_t b = 0; b <= blocks; ++b) {
      ReadBlock(static_cast<int32_t>(b));
      ReadWhole(static_cast<int32_t>(b));
    }
    for (int32_t b : {-1, -2, static_cast<int32_t>(-blocks), INT32_MIN, INT32_MAX}) {
      ReadBlock(b);
      ReadWhole(b);
    }

    int32_t block = SignedLe32(prefix + 1);
    vz::MemoChannel channel;
    if (vz::AssignMemo(channel, &block) && channel.OpenWrite() == 0 && channel.Write(kNote) == 0 &&
        channel.Close() == 0) {
      if (!IsTheNote(block)) {
        std::fprintf(stderr, "a note written at block %d does not read back\n", block);
        std::abort();
      }
      vz::GO(1);
      vz::SetFieldMemo(kNotesField, block);
      vz::Replace();
      ExpectNote("after it was stored");
      if (prefix[0] & 2) {
        vz::Pack();
        if (vz::GetMemoFileInfo(&info)) ExpectNote("after a pack");
      }
    }
  }
  vz::USE("");
  return 0;
}
