// Memo files through the memo text channel in each flavour: written bytes,
// others' and damaged memos, the free-run chain, the channel, and packing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "tests/support/memo_helpers.h"

namespace {

using qptest::Flavour, qptest::Le32, qptest::PrintTo;
using MemoChannelTest = qptest::MemoTest;

std::string Le32Bytes(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string FreeRun(uint32_t next, uint32_t length) { return Le32Bytes(next) + Le32Bytes(length); }

std::string Prefixed(const std::string& text, uint32_t length = 0) {
  return std::string("\xFF\xFF\x08\x00", 4) + Le32Bytes(length ? length : static_cast<uint32_t>(text.size() + 8)) +
         text;
}

// A memo file by hand: the header (next free block `head`) and the blocks.
std::string HandMade(const Flavour& f, const std::map<int, std::string>& blocks, uint32_t head = 1) {
  std::string b(f.dbase4() ? 24 : 512, '\0');
  qptest::PutLe32(&b, 0, head);
  if (f.dbase4()) {
    b[8] = 't';
    qptest::PutLe16(&b, 18, 0x0102);
    qptest::PutLe16(&b, 20, f.block_size);
  }
  for (const auto& [block, bytes] : blocks) {
    size_t at = static_cast<size_t>(block) * f.block_size;
    b.resize(std::max(b.size(), at + bytes.size()), '\0');
    b.replace(at, bytes.size(), bytes);
  }
  return b;
}

std::string Pointer(int32_t block) {
  return std::string(10 - std::to_string(block).size(), ' ') + std::to_string(block);
}

std::string Filler(size_t size, char c) { return qptest::Note("", size, c); }

std::string Lines(int count, const std::string& prefix = "line ") {
  std::string text;
  for (int i = 1; i <= count; ++i) text += prefix + std::to_string(i) + (i < count ? "\r\n" : "");
  return text;
}

class MemoFlavourTest : public qptest::MemoTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  void SetUp() override {
    MemoTest::SetUp();
    MakeTable(GetParam(), "t", 6);
  }
  uint32_t bs() const { return GetParam().block_size; }
};

INSTANTIATE_TEST_SUITE_P(Flavours, MemoFlavourTest, ::testing::ValuesIn(qptest::kFlavours),
                         qptest::LabelName());

TEST_P(MemoFlavourTest, ThreeLinesAreStoredByteForByteAndTheLineLimitKeepsTheOldMemo) {
  ASSERT_TRUE(Use("t exclusive"));
  ASSERT_EQ(WriteNote(1, "a\r\nb\r\nc"), 0);
  EXPECT_EQ(vz::GetFieldMemo(2), 1);
  vz::USE("");
  const bool dbase4 = GetParam().dbase4();
  std::string expected =
      HandMade(GetParam(), {{1, dbase4 ? Prefixed("a\r\nb\r\nc") : std::string("a\r\nb\r\nc\x1A\x1A", 9)}}, 2);
  expected.resize(dbase4 ? 2 * bs() : 1024, '\0');  // the file reaches the end of the run
  EXPECT_EQ(MemoBytes(), expected);
  EXPECT_EQ(qptest::ReadAll(Path("t.dbf")).substr(97 + 21, 10), Pointer(1));
  // The line limit refuses a memo and keeps the old one.
  ASSERT_TRUE(Use("t exclusive"));
  ASSERT_EQ(WriteNote(1, Lines(1024)), 0);
  const int32_t stored = vz::GetFieldMemo(2);
  EXPECT_EQ(ReadNote(1), Lines(1024) + "\r\n");
  EXPECT_EQ(WriteNote(1, Lines(1025)), vz::kMemoWriteFailed);          // the last line without CR LF
  EXPECT_EQ(WriteNote(1, Lines(1025) + "\r\n"), vz::kMemoWriteFailed);  // refused while written
  vz::GO(1);
  EXPECT_EQ(vz::GetFieldMemo(2), stored);
  EXPECT_EQ(ReadNote(1), Lines(1024) + "\r\n");
}

// Letters of the code pages that share their byte with the soft return, and
// the line ends of other programs, as the channel delivers them.
TEST_P(MemoFlavourTest, NotesReadBackAsWrittenAndHandMadeOnesAsTheFileHoldsThem) {
  const struct { std::string written, read; } cases[] = {
      {"cos\x8D\r\nperch\x82 s\x8D, cos\x8D", "cos\x8D\r\nperch\x82 s\x8D, cos\x8D\r\n"},
      {"one\x8D\ntwo", "onetwo\r\n"},
      {"a\nb\r\nc\r\r\nd", "a\r\nb\r\nc\r\n\r\nd\r\n"},
      {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    ASSERT_TRUE(Use("t exclusive"));
    ASSERT_EQ(WriteNote(2, "other note"), 0);
    ASSERT_EQ(WriteNote(1, c.written), 0);
    EXPECT_EQ(ReadNote(1), c.read);
    EXPECT_EQ(ReadNote(2), "other note\r\n");
    vz::USE("");  // and once more from the file
    ASSERT_TRUE(Use("t"));
    EXPECT_EQ(ReadNote(1), c.read);
  }
  vz::USE("");  // memos written by hand read as the file holds them
  std::string words(300, 'w');
  for (size_t at : {40, 200, 250}) words[at] = ' ';
  const struct {
    const char* label;
    std::map<int, std::string> blocks;  // memo blocks placed in the file
    int32_t pointer;
    std::string read;
    uint16_t code = 0;  // engine error when the read fails
  } files[] = {
      {"BlockBeyondTheFile", {{2, "x\x1A"}}, 9, "", 1003},
      {"LengthPrefixedInAnyFlavour", {{2, Prefixed("ab\x1A" "cd")}}, 2, "ab\x1A" "cd\r\n"},
      {"LengthBeyondTheFileReadsToItsEnd", {{2, Prefixed("tail", 100000)}}, 2, "tail\r\n"},
      {"LengthBelowItsHeader", {{2, Prefixed("gone", 3)}}, 2, ""},
      {"ControlCEndsTheText", {{2, "ab\x03" "cd\x1A"}}, 2, "ab\r\n"},
      {"BareLineFeedsOfOtherPrograms", {{2, "line1\nline2\n\nline4\x1A"}}, 2, "line1\r\nline2\r\n\r\nline4\r\n"},
      {"SoftReturnNeedsItsLineFeed", {{2, "a\x8D\nb\x8D" "c\x1A"}}, 2, "a\x8D\nb\x8D" "c\r\n"},
      {"LongLineCutBeforeItsLastWord", {{2, words + "\x1A"}}, 2,
       words.substr(0, 251) + "\r\n" + std::string(49, 'w') + "\r\n"}};
  vz::SetReportErrors(false);
  for (const auto& c : files) {
    SCOPED_TRACE(c.label);
    qptest::WriteAll(Path("t.dbt"), HandMade(GetParam(), c.blocks));
    ASSERT_TRUE(Use("t exclusive"));
    vz::Poke(Pointer(c.pointer), 2, 1);
    int result = 0;
    EXPECT_EQ(ReadNote(1), c.read);
    ReadBlock(c.pointer, &result);
    EXPECT_EQ(result, c.code ? vz::kMemoReadFailed : 0);
    EXPECT_EQ(vz::ErrorCode(), c.code);
    vz::USE("");
  }
}

// Free runs exist in dBASE IV files only.
using MemoDbase4Test = MemoFlavourTest;
INSTANTIATE_TEST_SUITE_P(Flavours, MemoDbase4Test, ::testing::Values(qptest::kFlavours[1], qptest::kFlavours[2]),
                         qptest::LabelName());

TEST_P(MemoDbase4Test, ChainGivesRunsInBlockOrderAndDamageNeverLetsAWriteTouchAnotherNote) {
  // Used memos at 1, 4 and 8-9; free runs 2-3 and 5-7 chained from the header.
  const std::string c_text = Filler(bs() + 20, 'c');
  qptest::WriteAll(Path("t.dbt"), HandMade(GetParam(), {{1, Prefixed("note a")}, {2, FreeRun(5, 2)},
                                                        {4, Prefixed("note b")}, {5, FreeRun(10, 3)},
                                                        {8, Prefixed(c_text)}, {9, std::string(bs(), '\0')}},
                                           2));
  ASSERT_TRUE(Use("t exclusive"));
  for (int r = 1; r <= 3; ++r) vz::Poke(Pointer(r == 1 ? 1 : r == 2 ? 4 : 8), 2, r);
  auto links = [&](int block) {
    std::string b = MemoBytes();
    return std::make_pair(Le32(b, static_cast<size_t>(block) * bs()), Le32(b, static_cast<size_t>(block) * bs() + 4));
  };
  const std::string three = Filler(2 * bs(), 'd');  // needs 3 blocks

  ASSERT_EQ(WriteNote(4, three), 0);  // takes run 5-7 whole
  EXPECT_EQ(vz::GetFieldMemo(2), 5);
  EXPECT_EQ(links(2).first, 10u);

  const std::string four = Filler(3 * bs(), 'e');  // note c moves to the end
  ASSERT_EQ(WriteNote(3, four), 0);
  EXPECT_EQ(vz::GetFieldMemo(2), 10);
  EXPECT_EQ(Le32(MemoBytes(), 0), 2u);
  EXPECT_EQ(links(2), std::make_pair(8u, 2u));  // its old run joins in block order
  EXPECT_EQ(links(8), std::make_pair(14u, 2u));
  EXPECT_EQ(Le32(MemoBytes(), 32), 2u);

  ASSERT_EQ(WriteNote(1, Filler(bs(), 'f')), 0);  // note a takes run 2-3
  EXPECT_EQ(vz::GetFieldMemo(2), 2);
  EXPECT_EQ(Le32(MemoBytes(), 0), 1u);  // its old block heads the chain
  EXPECT_EQ(links(1), std::make_pair(8u, 1u));

  EXPECT_EQ(ReadNote(1), Filler(bs(), 'f') + "\r\n");
  EXPECT_EQ(ReadNote(2), "note b\r\n");
  EXPECT_EQ(ReadNote(3), four + "\r\n");
  EXPECT_EQ(ReadNote(4), three + "\r\n");
  vz::USE("");
  // Whatever a damaged file says of a note's length or the free runs, a write
  // stores a note that reads back, and the other notes read as they did.
  const std::map<int, std::string> looped = {{1, Prefixed("kept")}, {2, FreeRun(3, 1)}, {3, FreeRun(2, 1)}};
  const struct {
    const char* label;
    std::map<int, std::string> blocks;
    uint32_t head;                                   // the chain's head
    std::vector<int32_t> pointers;                   // records 1, 2, ...
    std::vector<std::pair<int32_t, double>> writes;  // record, text size in blocks
  } cases[] = {
      {"LengthReachesIntoTheNextNote", {{1, Prefixed("note a", 4 * bs())}, {2, Prefixed("note b")}}, 3, {1, 2},
       {{1, 1.2}}},
      {"ChainNamesABlockOfTheOldNote", {{1, Prefixed(Filler(2 * bs() + 20, 'a'))}, {3, FreeRun(9, 1)}}, 3, {1, 0},
       {{1, 2.2}, {2, 0.5}}},
      {"ChainRunOverlapsTheOldNote",
       {{1, Prefixed("note b")}, {2, FreeRun(99, 4)}, {3, Prefixed("old")}, {5, std::string(bs(), '\0')},
        {6, FreeRun(2, 1)}},
       6, {3, 1}, {{1, 1.0}}},
      // A loop of short runs (2 -> 3 -> 2), and a chain head naming a used note.
      {"ChainLoops", looped, 2, {1, 0}, {{2, 2.0}}},
      {"ChainHeadIsAUsedNote", looped, 1, {1, 0}, {{2, 2.0}}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    MakeTable(GetParam());
    qptest::WriteAll(Path("t.dbt"), HandMade(GetParam(), c.blocks, c.head));
    ASSERT_TRUE(Use("t exclusive"));
    std::vector<std::string> notes;
    for (size_t r = 0; r < c.pointers.size(); ++r) {
      if (c.pointers[r] != 0) vz::Poke(Pointer(c.pointers[r]), 2, static_cast<int32_t>(r + 1));
      notes.push_back(ReadNote(static_cast<int32_t>(r + 1)));
    }
    for (const auto& [record, blocks] : c.writes) {
      const std::string text = Filler(static_cast<size_t>(blocks * bs()), static_cast<char>('m' + record));
      ASSERT_EQ(WriteNote(record, text), 0);
      notes[static_cast<size_t>(record - 1)] = text + "\r\n";
      for (size_t r = 0; r < notes.size(); ++r) {
        EXPECT_EQ(ReadNote(static_cast<int32_t>(r + 1)), notes[r]) << "record " << r + 1 << " after writing " << record;
      }
    }
    vz::USE("");
  }
}

TEST_F(MemoChannelTest, ChannelResultsFollowItsStateLongLinesComeInPiecesAndASecondOpenIsRefused) {
  MakeTable(qptest::kFlavours[0]);
  vz::SetReportErrors(false);
  int32_t block = 0;
  vz::MemoChannel unbound;
  EXPECT_FALSE(vz::AssignMemo(unbound, &block));  // no table in the area
  EXPECT_EQ(vz::ErrorCode(), 215);
  EXPECT_EQ(vz::TakeMessage(), " [AssignMemo]");
  std::string line;
  EXPECT_EQ(unbound.OpenRead(), vz::kMemoNotAssigned);
  EXPECT_EQ(unbound.OpenWrite(), vz::kMemoNotAssigned);
  EXPECT_EQ(unbound.Write("x"), vz::kMemoNotOpen);
  EXPECT_EQ(unbound.ReadLine(&line), vz::kMemoNotOpen);

  ASSERT_TRUE(Create("plain", qptest::Fields({{"a", 'C', 5, 0}})));
  ASSERT_TRUE(Use("plain"));
  EXPECT_FALSE(vz::AssignMemo(unbound, &block));
  EXPECT_EQ(vz::ErrorCode(), 1019);
  EXPECT_EQ(vz::TakeMessage(), Path("plain.dbf") + " No Memo Field [AssignMemo]");

  vz::Select(2);
  ASSERT_TRUE(Use("t"));
  ASSERT_EQ(WriteNote(1, "text"), 0);
  block = vz::GetFieldMemo(2);
  vz::MemoChannel reader, writer;
  ASSERT_TRUE(vz::AssignMemo(reader, &block));
  ASSERT_TRUE(vz::AssignMemo(writer, &block));
  EXPECT_EQ(reader.ReadLine(&line), vz::kMemoNotOpen);
  vz::Select(1);  // the channel finds its own area
  ASSERT_EQ(reader.OpenRead(), 0);
  EXPECT_EQ(writer.OpenWrite(), vz::kMemoNoBuffer);  // one memo at a time
  EXPECT_EQ(reader.Write("x"), vz::kMemoNotAssigned);
  EXPECT_EQ(reader.OpenWrite(), vz::kMemoNotAssigned);
  ASSERT_EQ(reader.ReadLine(&line), 0);
  EXPECT_EQ(line, "text");
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.Close(), 0);
  EXPECT_EQ(reader.Close(), vz::kMemoNotOpen);

  ASSERT_EQ(writer.OpenWrite(), 0);
  EXPECT_EQ(block, 0);
  EXPECT_EQ(writer.ReadLine(&line), vz::kMemoNotAssigned);
  EXPECT_EQ(writer.OpenRead(), vz::kMemoNotAssigned);
  EXPECT_EQ(vz::CurrentArea(), 1);
  vz::Select(2);
  vz::USE("");  // the table goes while the channel is open
  EXPECT_EQ(writer.Close(), vz::kMemoNotAssigned);
  EXPECT_EQ(block, 1);  // the old block is back
  EXPECT_EQ(reader.OpenRead(), vz::kMemoNotAssigned);

  // Pieces of a long line come without a line end.
  ASSERT_TRUE(Use("t exclusive"));
  ASSERT_EQ(WriteNote(1, std::string(300, 'x') + "\r\nlast"), 0);
  block = vz::GetFieldMemo(2);
  vz::MemoChannel channel;
  ASSERT_TRUE(vz::AssignMemo(channel, &block));
  ASSERT_EQ(channel.OpenRead(), 0);
  std::vector<std::pair<size_t, vz::LineEnd>> lines;
  while (!channel.Eof()) {
    vz::LineEnd end;
    ASSERT_EQ(channel.ReadLine(&line, &end), 0);
    lines.emplace_back(line.size(), end);
  }
  EXPECT_EQ(lines, (std::vector<std::pair<size_t, vz::LineEnd>>{
                       {254, vz::LineEnd::kNone}, {46, vz::LineEnd::kHard}, {4, vz::LineEnd::kNone}}));
  std::string text;
  ASSERT_TRUE(vz::GetMemoText(block, &text));
  EXPECT_EQ(text, std::string(300, 'x') + "\r\nlast");
  // A second open of the same memo file is refused.
  EXPECT_FALSE(vz::GetMemoManager().OpenMemoFile(Path("t.dbf")));
  EXPECT_EQ(vz::ErrorCode(), 1007);
  EXPECT_EQ(vz::TakeMessage(), Path("t.dbt") + " [USE]");
  vz::USE("");
  std::remove(Path("t.dbt").c_str());
  EXPECT_FALSE(Use("t"));
  EXPECT_EQ(vz::ErrorCode(), plat::kFileNotFound);
}

// A note that names itself, `size` characters long.
std::string Note(const std::string& name, size_t size) {
  return qptest::Note("<" + name + ">", std::max(size, name.size() + 2), 'x');
}

size_t Count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

class MemoPackTest : public MemoFlavourTest {
 protected:
  // Notes on records 1-6, two rewritten, 6 raw data; 2 and 5 marked deleted.
  void Fill() {
    const size_t sizes[] = {10, bs() + 5, 3 * bs(), 20, 2 * bs(), 5};
    for (int r = 1; r <= 6; ++r) ASSERT_EQ(WriteNote(r, Note("old " + std::to_string(r), sizes[r - 1])), 0);
    ASSERT_EQ(WriteNote(3, Note("new 3", bs() / 2)), 0);
    ASSERT_EQ(WriteNote(4, Note("new 4", 4 * bs())), 0);
    vz::GO(6);
    raw_ = MemoBytes().substr(static_cast<size_t>(vz::GetFieldMemo(2)) * bs(), 8);
    ASSERT_TRUE(vz::RLock());
    vz::Poke(Pointer(-vz::GetFieldMemo(2)), 2, 6);
    vz::Unlock();
    for (int r : {2, 5}) {
      vz::GO(r);
      ASSERT_TRUE(vz::RLock());
      vz::DeleteRec();
      vz::Unlock();
    }
  }
  // After the pack: the survivors of records 1, 3, 4 and 6 with their notes.
  void ExpectSurvivors(bool raw = true) {
    EXPECT_EQ(ReadNote(1), Note("old 1", 10) + "\r\n");
    EXPECT_EQ(ReadNote(2), Note("new 3", bs() / 2) + "\r\n");
    EXPECT_EQ(ReadNote(3), Note("new 4", 4 * bs()) + "\r\n");
    if (raw) {
      EXPECT_EQ(ReadNote(4), "(BLOB)\r\n");
    }
  }
  std::string raw_;
};

INSTANTIATE_TEST_SUITE_P(Flavours, MemoPackTest, ::testing::ValuesIn(qptest::kFlavours), qptest::LabelName());

// A link planted at the temporary name is never followed.
TEST_P(MemoPackTest, SurvivorsKeepTheirNotesAndTheFileOnlyLiveOnes) {
  qptest::WriteAll(Path("victim"), "precious");
  ASSERT_EQ(::symlink(Path("victim").c_str(), Path("t.$$$").c_str()), 0);
  ASSERT_TRUE(Use("t"));  // shared: the pack makes it exclusive for itself
  Fill();
  // A pointer with trailing text: the pack reads it as the record does.
  ASSERT_TRUE(LockRecords({3}));
  const std::string padded = "  " + std::to_string(vz::GetFieldMemo(2)) + " kept";
  vz::Poke(padded + std::string(10 - padded.size(), ' '), 2, 3);
  vz::Unlock();
  ASSERT_EQ(ReadNote(3), Note("new 3", bs() / 2) + "\r\n");
  const size_t before = MemoBytes().size();
  ASSERT_TRUE(vz::Pack());
  ASSERT_EQ(vz::RecCount(), 4);
  EXPECT_EQ(vz::RecNo(), 1);
  const std::string bytes = MemoBytes();

  ExpectSurvivors();
  for (const char* live : {"<old 1>", "<new 3>", "<new 4>", "<old 6>"}) EXPECT_EQ(Count(bytes, live), 1u) << live;
  for (const char* dead : {"<old 2>", "<old 3>", "<old 4>", "<old 5>"}) EXPECT_EQ(Count(bytes, dead), 0u) << dead;
  EXPECT_LT(bytes.size(), before);
  EXPECT_EQ(Le32(bytes, 0), bytes.size() / bs() + 1);

  // Raw data keeps its bytes and its sign.
  vz::GO(4);
  const int32_t raw = vz::GetFieldMemo(2);
  ASSERT_LT(raw, 0);
  EXPECT_EQ(bytes.substr(static_cast<size_t>(-raw) * bs(), 8), raw_);
  vz::USE("");
  EXPECT_EQ(qptest::ReadAll(Path("victim")), "precious");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Path("t.$$$"))));
}

TEST_P(MemoPackTest, SharedTableOrBadPointerStopsThePackAndChangesNothing) {
  vz::SetReportErrors(false);
  ASSERT_TRUE(Use("t"));
  EXPECT_FALSE(vz::GetMemoManager().PackMemo());  // others may write it
  EXPECT_EQ(vz::ErrorCode(), plat::kSharingViolation);
  EXPECT_EQ(vz::TakeMessage(), Path("t.dbt") + " [PackMemoFile]");
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  vz::Poke("      9999", 2, 4);
  const std::string table = qptest::ReadAll(Path("t.dbf"));
  const std::string memo = MemoBytes();
  EXPECT_FALSE(vz::GetMemoManager().PackMemo());
  EXPECT_EQ(vz::ErrorCode(), 1003);
  EXPECT_EQ(vz::TakeMessage(), Path("t.dbt") + " Memo block # 9999 Record # 4 [PackMemo]");
  EXPECT_EQ(qptest::ReadAll(Path("t.dbf")), table);
  EXPECT_EQ(MemoBytes(), memo);
  EXPECT_FALSE(std::filesystem::exists(Path("t.$$$")));
  EXPECT_EQ(ReadNote(3), Note("new 3", bs() / 2) + "\r\n");
}

TEST_P(MemoPackTest, RecordHooksCodeTheTextButNeverABlockHeader) {
  auto code = [](uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] ^= 0x55;
  };
  vz::Settings().EncodeRecordHook = code;
  vz::Settings().DecodeRecordHook = code;
  ASSERT_TRUE(Use("t exclusive"));
  Fill();
  EXPECT_EQ(Count(MemoBytes(), "<new 3>"), 0u);  // no plain text in the file
  ASSERT_TRUE(vz::Pack());
  const std::string bytes = MemoBytes();
  EXPECT_EQ(Count(bytes, "<new 3>"), 0u);
  vz::GO(2);
  const size_t at = static_cast<size_t>(vz::GetFieldMemo(2)) * bs();
  EXPECT_EQ(bytes.substr(at, 4) == std::string("\xFF\xFF\x08\x00", 4), GetParam().dbase4());
  ExpectSurvivors(false);
}

}  // namespace
