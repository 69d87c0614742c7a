// quilltable as its users run it: the program's output, error text and exit
// status for each command, on plain tables and on tables with notes in both
// memo flavours.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <vector>

#include "engine/dbf.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "engine/textutil.h"
#include "tests/support/memo_helpers.h"

namespace {

using qptest::Fields;
using qptest::ReadAll;

class QuilltableTest : public qptest::MemoTest {
 protected:
  // Runs the tool and expects its exit status; gives its standard output
  // and leaves its standard error in err_.
  std::string Quilltable(const std::string& args, int status = 0) {
    std::string command = std::string(QUILLTABLE_PATH) + " " + args + " >" + Path("out") + " 2>" + Path("err");
    int rc = std::system(command.c_str());
    err_ = ReadAll(Path("err"));
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, status) << args << "\n" << err_;
    return ReadAll(Path("out"));
  }
  // A table of every type: two live records and one marked deleted.
  void EveryType() {
    ASSERT_TRUE(Create("every", Fields({{"name", 'C', 16, 0}, {"born", 'D', 8, 0}, {"amount", 'N', 9, 2},
                                        {"count", 'N', 4, 0}, {"ok", 'L', 1, 0}, {"rate", 'F', 8, 3}})));
    ASSERT_TRUE(Use("every exclusive"));
    auto add = [](const std::string& text, const std::string& date, double amount, int count, bool ok) {
      vz::ClearRecord();
      vz::SetFieldText(1, text);
      vz::SetFieldText(2, date);
      vz::SetFieldNumber(3, amount);
      vz::SetFieldNumber(4, count);
      vz::SetFieldLogical(5, ok);
      vz::SetFieldNumber(6, 0.5);
      vz::Append();
    };
    add("M\x81ller, \"Max\"", "12/31/99", 1234.5, 42, true);  // 0x81 is u-umlaut in code page 437
    add("  gone", "01/01/01", 1, 1, false);
    vz::DeleteRec();
    add("Ann", "", -0.01, -7, false);
    vz::USE("");
  }

  std::string err_;
};

TEST_F(QuilltableTest, InfoDescribesHeaderAndFields) {
  ASSERT_TRUE(Create("three", Fields({{"payee", 'C', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'M', 10, 0}})));
  ASSERT_TRUE(Use("three"));
  ASSERT_TRUE(vz::ALock());
  vz::Append();
  vz::Append();
  vz::Unlock();  // still open: the header counts them already
  std::string b = ReadAll(Path("three.dbf"));
  b.resize(b.size() + 61, ' ');  // and a record another program is appending
  qptest::WriteAll(Path("three.dbf"), b);
  const std::string out = Quilltable("info " + Path("three.dbf"));
  for (const char* line : {"Version:        0x83 (dBASE III with memo)\n",
                           "Records:        2 in the header, 3 in the file\n",
                           "Header length:  129\nRecord length:  61\n", "Fields:         3\n",
                           "  2  AMTNUMBERS  F         10         2\n", "  3  NOTES       M         10         0\n"}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << out;
  }
  EXPECT_EQ(err_, "");
}

TEST_F(QuilltableTest, FailuresGiveTheEnginesReportOrTheUsage) {
  qptest::WriteAll(Path("bad.dbf"), std::string(10, 'x'));
  EXPECT_EQ(Quilltable("info " + Path("bad.dbf"), 210), "");
  EXPECT_NE(err_.find("Error # 210 (Not a dBASE data file)"), std::string::npos) << err_;
  EXPECT_NE(err_.find("(Prolog is less than 32 bytes)"), std::string::npos) << err_;
  EXPECT_EQ(Quilltable("csv " + Path("missing.dbf"), 2), "");
  EXPECT_NE(err_.find("Failure to open " + Path("missing.dbf")), std::string::npos) << err_;
  for (const char* args : {"", "info", "frobnicate x.dbf", "info a.dbf b.dbf", "pack --deleted x.dbf"}) {
    EXPECT_EQ(Quilltable(args, 2), "");
    EXPECT_NE(err_.find("usage: quilltable"), std::string::npos) << args;
  }
}

TEST_F(QuilltableTest, CsvWritesRecordsAsSpreadsheetsExpect) {
  EveryType();
  EXPECT_EQ(Quilltable("csv " + Path("every.dbf")),
            "NAME,BORN,AMOUNT,COUNT,OK,RATE\r\n"
            "\"M\xC3\xBCller, \"\"Max\"\"\",2099-12-31,1234.50,42,T,0.500\r\n"
            "Ann,,-0.01,-7,F,0.500\r\n");
  EXPECT_EQ(Quilltable("csv --deleted " + Path("every.dbf")),
            "deleted,NAME,BORN,AMOUNT,COUNT,OK,RATE\r\n"
            ",\"M\xC3\xBCller, \"\"Max\"\"\",2099-12-31,1234.50,42,T,0.500\r\n"
            "*,  gone,2001-01-01,1.00,1,F,0.500\r\n"
            ",Ann,,-0.01,-7,F,0.500\r\n");
}

// What the engine's typed values cannot hold comes out as the file holds it.
TEST_F(QuilltableTest, CsvWritesValuesBeyondTheEnginesSlotsAsStored) {
  qptest::WriteAll(Path("wide.dbf"), qptest::RawDbf(3, {{"BORN", 'D', 8, 0}, {"EMPTY", 'D', 8, 0}, {"BIG", 'N', 12, 0}},
                                                    {" 1899123100000000 12345678901"}));
  EXPECT_EQ(Quilltable("csv " + Path("wide.dbf")), "BORN,EMPTY,BIG\r\n1899-12-31,0000-00-00,12345678901\r\n");
}

TEST_F(QuilltableTest, CsvReadsTheCodePageTheTableNames) {
  vz::InitNationalSettingsFor("ru_RU");
  ASSERT_TRUE(Create("ru", Fields({{"name", 'C', 6, 0}})));
  ASSERT_TRUE(Use("ru exclusive"));
  vz::ClearRecord();
  vz::SetFieldText(1, "\x8f\xe0\xa8\xa2\xa5\xe2");  // "Привет" in code page 866
  vz::Append();
  vz::USE("");
  EXPECT_EQ(Quilltable("csv " + Path("ru.dbf")), "NAME\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n");
  // Without a mark of a code page it knows, the text is read as 437.
  std::string b = ReadAll(Path("ru.dbf"));
  b[29] = 0x57;
  qptest::WriteAll(Path("ru.dbf"), b);
  EXPECT_EQ(Quilltable("csv " + Path("ru.dbf")), "NAME\r\n\xC3\x85\xCE\xB1\xC2\xBF\xC3\xB3\xC3\x91\xCE\x93\r\n");
}

TEST_F(QuilltableTest, PackRemovesMarkedRecordsAndSaysHowMany) {
  EveryType();
  EXPECT_EQ(Quilltable("pack " + Path("every.dbf")), "Removed 1 of 3 records; 2 remain.\n");
  ASSERT_TRUE(Use("every exclusive"));
  EXPECT_EQ(vz::RecCount(), 2);
  vz::GoBottom();
  EXPECT_EQ(vz::TrimRight(vz::GetFieldText(1)), "Ann");
  ASSERT_TRUE(Create("empty", Fields({{"a", 'C', 1, 0}})));
  EXPECT_EQ(Quilltable("pack " + Path("empty.dbf")), Path("empty.dbf") + " has no records: nothing to pack.\n");
}

TEST_F(QuilltableTest, TableTheProgramHasOpenIsReadButNotPacked) {
  EveryType();
  std::string before = ReadAll(Path("every.dbf"));
  ASSERT_TRUE(Use("every"));  // the program has it open, shared
  Quilltable("csv " + Path("every.dbf"));
  Quilltable("info " + Path("every.dbf"));
  EXPECT_EQ(Quilltable("pack " + Path("every.dbf"), 1), "");
  EXPECT_EQ(err_, "quilltable: " + Path("every.dbf") + " is open in another program; close it there and try again.\n");
  EXPECT_EQ(ReadAll(Path("every.dbf")), before);
}

// ---- notes ----

using qptest::Flavour;
using qptest::PrintTo;

class QuilltableMemoTest : public QuilltableTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  // Notes on records 1, 2 and 4 (raw data on 4), none on 3; record 2 deleted.
  void SetUp() override {
    QuilltableTest::SetUp();
    MakeTable(GetParam(), "t", 4);
    ASSERT_TRUE(Use("t exclusive"));
    ASSERT_EQ(WriteNote(1, kNote), 0);
    ASSERT_EQ(WriteNote(2, std::string(3 * GetParam().block_size, 'x')), 0);
    ASSERT_EQ(WriteNote(4, "raw"), 0);
    vz::GO(4);
    const std::string raw = "-" + std::to_string(vz::GetFieldMemo(2));
    vz::Poke(std::string(10 - raw.size(), ' ') + raw, 2, 4);
    vz::GO(2);
    vz::DeleteRec();
    vz::USE("");
  }
  // A line longer than the reader's lines, and a line end at the end; 0x8D
  // is i grave.
  inline static const std::string kLong = std::string(200, 'a') + " " + std::string(200, 'b');
  inline static const std::string kNote = "first line\r\n" + kLong + "\r\nsecond, with \"quotes\"\r\ncos\x8D\r\n";
  inline static const std::string kCsv = "TITLE,NOTES\r\n"
                                         "record 1,\"first line\r\n" + kLong +
                                         "\r\nsecond, with \"\"quotes\"\"\r\ncos\xC3\xAC\r\n\"\r\n"
                                         "record 3,\r\n"
                                         "record 4,(BLOB)\r\n";
};

INSTANTIATE_TEST_SUITE_P(Flavours, QuilltableMemoTest, ::testing::ValuesIn(qptest::kFlavours),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_P(QuilltableMemoTest, InfoTellsTheMemoFilesLayout) {
  const std::string out = Quilltable("info " + Path("t.dbf"));
  const std::string next = std::to_string(qptest::Le32(MemoBytes(), 0));
  for (const std::string& line : {"Memo file:      " + Path("t.dbt") + "\n",
                                  std::string(GetParam().dbase4() ? "Memo layout:    dBASE IV" : "Memo layout:    dBASE III"),
                                  "Block size:     " + std::to_string(GetParam().block_size) + "\n",
                                  "Next free:      block " + next + "\n"}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << out;
  }
}

TEST_P(QuilltableMemoTest, CsvWritesEachNoteAndPackKeepsThem) {
  EXPECT_EQ(Quilltable("csv " + Path("t.dbf")), kCsv);
  const size_t before = MemoBytes().size();
  const std::string out = Quilltable("pack " + Path("t.dbf"));
  const size_t after = MemoBytes().size();
  EXPECT_LT(after, before);
  EXPECT_EQ(out, "Removed 1 of 4 records; 3 remain.\nMemo file " + Path("t.dbt") + ": " + std::to_string(after) +
                       " bytes, " + std::to_string(before) + " before.\n");
  EXPECT_EQ(Quilltable("csv " + Path("t.dbf")), kCsv);
}

}  // namespace
