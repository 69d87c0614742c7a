// Failing writes and commits of memos and the pack, at each write in turn:
// reported, the pointer kept, and every stored note read back unchanged.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "engine/textutil.h"
#include "tests/support/memo_helpers.h"

namespace {

using qptest::Flavour, qptest::PrintTo;

enum class Op { kNewNote, kShorterNote, kLongerNote, kPack };
enum class Fault { kFailWrite, kShortWrite, kFailCommit };

struct FaultCase { const char* label; Op op; Fault fault; };

const FaultCase kCases[] = {
    {"NewNoteFailedWrite", Op::kNewNote, Fault::kFailWrite}, {"NewNoteShortWrite", Op::kNewNote, Fault::kShortWrite},
    {"NewNoteFailedCommit", Op::kNewNote, Fault::kFailCommit},
    {"ShorterNoteFailedWrite", Op::kShorterNote, Fault::kFailWrite},
    {"ShorterNoteShortWrite", Op::kShorterNote, Fault::kShortWrite},
    {"ShorterNoteFailedCommit", Op::kShorterNote, Fault::kFailCommit},
    {"LongerNoteFailedWrite", Op::kLongerNote, Fault::kFailWrite},
    {"LongerNoteShortWrite", Op::kLongerNote, Fault::kShortWrite},
    {"PackFailedWrite", Op::kPack, Fault::kFailWrite}, {"PackShortWrite", Op::kPack, Fault::kShortWrite},
    {"PackFailedCommit", Op::kPack, Fault::kFailCommit}};

class MemoFaultTest : public qptest::MemoTest,
                      public ::testing::WithParamInterface<std::tuple<Flavour, FaultCase>> {
 protected:
  const Flavour& flavour() const { return std::get<0>(GetParam()); }
  uint32_t bs() const { return flavour().block_size; }

  // Notes on records 1, 2 and 4 (4 deleted); `notes_` by title, as they read.
  void Prepare() {
    vz::USE("");
    MakeTable(flavour());
    ASSERT_TRUE(Use("t exclusive"));
    notes_ = {{"record 1", qptest::Note("first", 2 * bs() + 10)}, {"record 2", "second"},
              {"record 3", ""}, {"record 4", qptest::Note("fourth", bs())}};
    // The deleted record's note first, so that the pack moves the others.
    for (int r : {4, 1, 2}) ASSERT_EQ(WriteNote(r, notes_["record " + std::to_string(r)]), 0);
    vz::GO(4);
    vz::DeleteRec();
    ASSERT_EQ(vz::ErrorCode(), 0);
  }

  // Runs the operation; the record it writes and that record's new note.
  int Run(int32_t* record, std::string* text) {
    switch (std::get<1>(GetParam()).op) {
      case Op::kNewNote: *record = 3; *text = "new note\r\nsecond line"; break;
      case Op::kShorterNote: *record = 1; *text = "short"; break;
      case Op::kLongerNote: *record = 2; *text = qptest::Note("longer", 3 * bs()); break;
      case Op::kPack: *record = 0; return vz::Pack() ? 0 : 1;
    }
    return WriteNote(*record, *text);
  }

  void Arm(int nth) {
    switch (std::get<1>(GetParam()).fault) {
      case Fault::kFailWrite: plat::fault::FailNth(plat::fault::Op::kWrite, nth, EIO); break;
      case Fault::kShortWrite: plat::fault::ShortWriteNth(nth, 0); break;
      case Fault::kFailCommit: plat::fault::FailNth(plat::fault::Op::kSync, nth, EIO); break;
    }
  }
  plat::fault::Op Counted() const {
    return std::get<1>(GetParam()).fault == Fault::kFailCommit ? plat::fault::Op::kSync : plat::fault::Op::kWrite;
  }

  // Every record's note against its title, in the open table. The written
  // record may read its new note when `stored` says so (kEither: when the
  // memo was stored but the record write after it failed).
  enum Stored { kOld, kNew, kEither };
  void ExpectNotes(int32_t written, const std::string& new_text, Stored stored, const std::string& where) {
    for (int32_t r = 1; r <= vz::RecCount(); ++r) {
      vz::GO(r);
      const std::string title = vz::TrimRight(vz::GetFieldText(1));
      const std::string note = ReadNote(r);
      if (r == written && stored == kEither && note == AsRead(new_text)) continue;
      EXPECT_EQ(note, AsRead(r == written && stored == kNew ? new_text : notes_[title])) << where << ", " << title;
    }
  }

  std::map<std::string, std::string> notes_;
};

INSTANTIATE_TEST_SUITE_P(Faults, MemoFaultTest,
                         ::testing::Combine(::testing::ValuesIn(qptest::kFlavours), ::testing::ValuesIn(kCases)),
                         qptest::LabelName());

TEST_P(MemoFaultTest, FailureKeepsEveryStoredNote) {
  Prepare();
  int32_t record = 0;
  std::string text;
  plat::fault::Reset();
  ASSERT_EQ(Run(&record, &text), 0);
  const int calls = plat::fault::Calls(Counted());
  ASSERT_GT(calls, 0);

  for (int nth = 1; nth <= calls; ++nth) {
    const std::string where = "fault at call " + std::to_string(nth) + " of " + std::to_string(calls);
    Prepare();
    std::string pointer;
    if (record > 0) pointer = vz::Peek(2, record);
    halts_.clear();
    Arm(nth);
    const int rc = Run(&record, &text);
    plat::fault::Reset();
    EXPECT_FALSE(halts_.empty()) << where;  // nothing fails silently
    const Stored stored = rc == 0 ? kNew : rc == vz::kMemoWriteFailed ? kOld : kEither;
    if (record > 0 && rc != 0) {
      EXPECT_EQ(vz::Peek(2, record), pointer) << where;
    }
    vz::ClearError();
    ExpectNotes(record, text, stored, where);
    vz::USE("");
    EXPECT_FALSE(std::filesystem::exists(Path("t.$$$"))) << where;
    ASSERT_TRUE(Use("t exclusive")) << where;
    ExpectNotes(record, text, stored, where + ", reopened");
  }
}

}  // namespace
