// quilltable on tables with notes: csv writes each note's text, info tells
// the memo file's layout, pack packs the memo file with the table; in both
// memo flavours.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "engine/memo.h"
#include "tests/support/memo_helpers.h"

namespace {

using qptest::Flavour;
using qptest::PrintTo;

class QuilltableMemoTest : public qptest::MemoTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  // The tool's exit status; its output in *out.
  int Quilltable(const std::string& args, std::string* out) {
    std::string command = std::string(QUILLTABLE_PATH) + " " + args + " >" + Path("out") + " 2>" + Path("err");
    int rc = std::system(command.c_str());
    *out = qptest::ReadAll(Path("out"));
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  // Notes on records 1, 2 and 4 (raw data on 4), none on 3; record 2 deleted.
  void Notes() {
    MakeTable(GetParam(), "t", 4);
    ASSERT_TRUE(Use("t exclusive"));
    ASSERT_EQ(WriteNote(1, "first line\r\nsecond, with \"quotes\"\r\ncos\x8D"), 0);  // 0x8D: i grave
    ASSERT_EQ(WriteNote(2, std::string(3 * GetParam().block_size, 'x')), 0);
    ASSERT_EQ(WriteNote(4, "raw"), 0);
    vz::GO(4);
    const std::string raw = "-" + std::to_string(vz::GetFieldMemo(2));
    vz::Poke(std::string(10 - raw.size(), ' ') + raw, 2, 4);
    vz::GO(2);
    vz::DeleteRec();
    vz::USE("");
  }
};

INSTANTIATE_TEST_SUITE_P(Flavours, QuilltableMemoTest, ::testing::ValuesIn(qptest::kFlavours),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_P(QuilltableMemoTest, CsvWritesEachNoteAsItsText) {
  Notes();
  std::string out;
  EXPECT_EQ(Quilltable("csv " + Path("t.dbf"), &out), 0) << qptest::ReadAll(Path("err"));
  EXPECT_EQ(out,
            "TITLE,NOTES\r\n"
            "record 1,\"first line\nsecond, with \"\"quotes\"\"\ncos\xC3\xAC\"\r\n"
            "record 3,\r\n"
            "record 4,(BLOB)\r\n");
}

TEST_P(QuilltableMemoTest, InfoTellsTheMemoFilesLayout) {
  Notes();
  std::string out;
  EXPECT_EQ(Quilltable("info " + Path("t.dbf"), &out), 0);
  const bool dbase4 = GetParam().dbase4();
  EXPECT_NE(out.find("Memo file:      " + Path("t.dbt") + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find(dbase4 ? "Memo layout:    dBASE IV" : "Memo layout:    dBASE III"), std::string::npos) << out;
  EXPECT_NE(out.find("Block size:     " + std::to_string(GetParam().block_size) + "\n"), std::string::npos) << out;
  const uint32_t next = qptest::Le32(MemoBytes(), 0);
  EXPECT_NE(out.find("Next free:      block " + std::to_string(next) + "\n"), std::string::npos) << out;
}

TEST_P(QuilltableMemoTest, PackPacksTheMemoFileWithTheTable) {
  Notes();
  const size_t before = MemoBytes().size();
  std::string out;
  EXPECT_EQ(Quilltable("pack " + Path("t.dbf"), &out), 0) << qptest::ReadAll(Path("err"));
  const size_t after = MemoBytes().size();
  EXPECT_LT(after, before);
  EXPECT_EQ(out, "Removed 1 of 4 records; 3 remain.\nMemo file " + Path("t.dbt") + ": " + std::to_string(after) +
                     " bytes, " + std::to_string(before) + " before.\n");
  EXPECT_EQ(Quilltable("csv " + Path("t.dbf"), &out), 0);
  EXPECT_EQ(out,
            "TITLE,NOTES\r\n"
            "record 1,\"first line\nsecond, with \"\"quotes\"\"\ncos\xC3\xAC\"\r\n"
            "record 3,\r\n"
            "record 4,(BLOB)\r\n");
}

}  // namespace
