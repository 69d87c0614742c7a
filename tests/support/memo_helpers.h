// The memo tests' fixture: tables with a memo field in each flavour, notes
// written and read through the memo text channel as the table component does.
#ifndef QUILLPRINT_TESTS_SUPPORT_MEMO_HELPERS_H_
#define QUILLPRINT_TESTS_SUPPORT_MEMO_HELPERS_H_

#include <string>
#include <vector>

#include "engine/memo.h"
#include "tests/support/dbf_helpers.h"

namespace qptest {

struct Flavour {
  const char* label;
  uint8_t version;     // 0x83 dBASE III memo, 0x8B dBASE IV memo
  uint16_t block_size;
  bool dbase4() const { return version == 0x8B; }
};

inline const Flavour kFlavours[] = {{"dBase3", 0x83, 512}, {"dBase4_512", 0x8B, 512}, {"dBase4_64", 0x8B, 64}};

// A note of exactly `size` characters that starts with `name`, in lines of
// 50, so that it reads back line for line.
inline std::string Note(const std::string& name, size_t size, char fill = '-') {
  std::string text = name.substr(0, size);
  for (size_t i = text.size(); i < size; ++i) text += i % 52 == 50 ? '\r' : i % 52 == 51 ? '\n' : fill;
  if (!text.empty() && text.back() == '\r') text.back() = fill;
  return text;
}

class MemoTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    vz::StartMemoManager();
  }

  // "<name>.dbf" (TITLE C 20, NOTES M) with `records` records, left closed.
  void MakeTable(const Flavour& f, const std::string& name = "t", int records = 4) {
    vz::SettingsGuard guard;
    vz::Settings().MemoVersion = f.version;
    vz::Settings().MemoBlockSize = f.block_size;
    ASSERT_TRUE(Create(name, Fields({{"title", 'C', 20, 0}, {"notes", 'M', 10, 0}})));
    ASSERT_TRUE(Use(name + " exclusive"));
    for (int i = 0; i < records; ++i) {
      vz::ClearRecord();
      vz::SetFieldText(1, "record " + std::to_string(i + 1));
      vz::Append();
    }
    vz::USE("");
  }

  // Writes the note of record `r` (locking it if needed): the channel's result.
  static int WriteNote(int32_t r, const std::string& text) {
    vz::GO(r);
    int32_t block = vz::GetFieldMemo(2);
    vz::MemoChannel channel;
    if (!vz::AssignMemo(channel, &block)) return -1;
    int rc = channel.OpenWrite();
    if (rc == 0) rc = channel.Write(text);
    int closed = channel.Close();
    if (rc == 0) rc = closed;
    if (rc != 0) return rc;
    vz::SetFieldMemo(2, block);
    const bool lock = !vz::IsLocked(r);
    if (lock && !vz::RLock()) return -2;
    vz::Replace();
    const uint16_t code = vz::ErrorCode();
    if (lock) vz::UnlockRec(r);
    if (code != 0) vz::SetErrorCode(code);  // unlocking clears it
    return code == 0 ? 0 : -3;
  }

  // The lines of a memo through the channel, each followed by its line end
  // as the channel delivers it; "" for no memo.
  static std::string ReadBlock(int32_t block, int* result = nullptr) {
    vz::MemoChannel channel;
    std::string text;
    int rc = vz::AssignMemo(channel, &block) ? channel.OpenRead() : -1;
    while (rc == 0 && !channel.Eof()) {
      std::string line;
      vz::LineEnd end;
      rc = channel.ReadLine(&line, &end);
      text += line + (end == vz::LineEnd::kSoft ? "\x8D\n" : "\r\n");
    }
    if (rc == 0) rc = channel.Close();
    if (result) *result = rc;
    return text;
  }
  static std::string ReadNote(int32_t r) {
    vz::GO(r);
    return ReadBlock(vz::GetFieldMemo(2));
  }

  // The text as it reads back: every line ended by CR LF.
  static std::string AsRead(const std::string& text) { return text.empty() ? text : text + "\r\n"; }

  std::string MemoBytes(const std::string& name = "t") const { return ReadAll(Path(name + ".dbt")); }
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_MEMO_HELPERS_H_
