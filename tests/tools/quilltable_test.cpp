// quilltable as its users run it: the program's output, error text and exit
// status for each command.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "engine/dbf.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "engine/textutil.h"
#include "tests/support/dbf_helpers.h"

namespace {

using qptest::DbfTest;
using qptest::Fields;
using qptest::ReadAll;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class QuilltableTest : public DbfTest {
 protected:
  ToolRun Quilltable(const std::string& args) {
    std::string command = std::string(QUILLTABLE_PATH) + " " + args + " >" + Path("out") + " 2>" + Path("err");
    int rc = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    run.out = ReadAll(Path("out"));
    run.err = ReadAll(Path("err"));
    return run;
  }
  // A table of every type: two live records and one marked deleted.
  void EveryType(const std::string& name) {
    ASSERT_TRUE(Create(name, Fields({{"name", 'C', 16, 0}, {"born", 'D', 8, 0}, {"amount", 'N', 9, 2},
                                     {"count", 'N', 4, 0}, {"ok", 'L', 1, 0}, {"rate", 'F', 8, 3}})));
    ASSERT_TRUE(Use(name + " exclusive"));
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
};

TEST_F(QuilltableTest, InfoDescribesHeaderAndFields) {
  ASSERT_TRUE(Create("three", Fields({{"payee", 'C', 40, 0}, {"amtnumbers", 'F', 10, 2}, {"notes", 'M', 10, 0}})));
  ASSERT_TRUE(Use("three"));
  ASSERT_TRUE(vz::ALock());
  vz::Append();
  vz::Append();
  vz::Unlock();  // still open: the header says 0, the file holds 2
  ToolRun r = Quilltable("info " + Path("three.dbf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Version:        0x83 (dBASE III with memo)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Records:        0 in the header, 2 in the file\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Header length:  129\nRecord length:  61\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Fields:         3\n"), std::string::npos);
  EXPECT_NE(r.out.find("  2  AMTNUMBERS  F         10         2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  3  NOTES       M         10         0\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(QuilltableTest, ErrorsAreTheEnginesReportWithItsCode) {
  qptest::WriteAll(Path("bad.dbf"), std::string(10, 'x'));
  ToolRun r = Quilltable("info " + Path("bad.dbf"));
  EXPECT_EQ(r.status, 210);
  EXPECT_NE(r.err.find("Error # 210 (Not a dBASE data file)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(Prolog is less than 32 bytes)"), std::string::npos) << r.err;
  r = Quilltable("csv " + Path("missing.dbf"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Failure to open " + Path("missing.dbf")), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(QuilltableTest, BadArgumentsShowTheUsage) {
  for (const char* args : {"", "info", "frobnicate x.dbf", "info a.dbf b.dbf", "pack --deleted x.dbf"}) {
    ToolRun r = Quilltable(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("usage: quilltable"), std::string::npos) << args;
  }
}

TEST_F(QuilltableTest, CsvWritesLiveRecordsAsSpreadsheetsExpect) {
  EveryType("every");
  ToolRun r = Quilltable("csv " + Path("every.dbf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "NAME,BORN,AMOUNT,COUNT,OK,RATE\r\n"
            "\"M\xC3\xBCller, \"\"Max\"\"\",2099-12-31,1234.50,42,T,0.500\r\n"
            "Ann,,-0.01,-7,F,0.500\r\n");
}

TEST_F(QuilltableTest, CsvWithDeletedRecordsMarksThem) {
  EveryType("every");
  ToolRun r = Quilltable("csv --deleted " + Path("every.dbf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "deleted,NAME,BORN,AMOUNT,COUNT,OK,RATE\r\n"
            ",\"M\xC3\xBCller, \"\"Max\"\"\",2099-12-31,1234.50,42,T,0.500\r\n"
            "*,  gone,2001-01-01,1.00,1,F,0.500\r\n"
            ",Ann,,-0.01,-7,F,0.500\r\n");
}

TEST_F(QuilltableTest, CsvReadsTheCodePageTheTableNames) {
  vz::InitNationalSettingsFor("ru_RU");
  ASSERT_TRUE(Create("ru", Fields({{"name", 'C', 6, 0}})));
  ASSERT_TRUE(Use("ru exclusive"));
  vz::ClearRecord();
  vz::SetFieldText(1, "\x8f\xe0\xa8\xa2\xa5\xe2");  // "Привет" in code page 866
  vz::Append();
  vz::USE("");
  ToolRun r = Quilltable("csv " + Path("ru.dbf"));
  EXPECT_EQ(r.out, "NAME\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n");
  // Without a mark of a code page it knows, the text is read as 437.
  std::string b = ReadAll(Path("ru.dbf"));
  b[29] = 0x57;
  qptest::WriteAll(Path("ru.dbf"), b);
  r = Quilltable("csv " + Path("ru.dbf"));
  EXPECT_EQ(r.out, "NAME\r\n\xC3\x85\xCE\xB1\xC2\xBF\xC3\xB3\xC3\x91\xCE\x93\r\n");
}

TEST_F(QuilltableTest, ReadingSharesTheTableWithTheProgram) {
  EveryType("every");
  ASSERT_TRUE(Use("every"));  // the program has it open, shared
  EXPECT_EQ(Quilltable("csv " + Path("every.dbf")).status, 0);
  EXPECT_EQ(Quilltable("info " + Path("every.dbf")).status, 0);
}

TEST_F(QuilltableTest, PackRemovesMarkedRecordsAndSaysHowMany) {
  EveryType("every");
  ToolRun r = Quilltable("pack " + Path("every.dbf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Removed 1 of 3 records; 2 remain.\n");
  ASSERT_TRUE(Use("every exclusive"));
  EXPECT_EQ(vz::RecCount(), 2);
  vz::GoBottom();
  EXPECT_EQ(vz::TrimRight(vz::GetFieldText(1)), "Ann");
}

TEST_F(QuilltableTest, PackOfAnEmptyTableSaysSo) {
  ASSERT_TRUE(Create("empty", Fields({{"a", 'C', 1, 0}})));
  ToolRun r = Quilltable("pack " + Path("empty.dbf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Path("empty.dbf") + " has no records: nothing to pack.\n");
}

TEST_F(QuilltableTest, PackIsRefusedWhileTheProgramHasTheTable) {
  EveryType("every");
  std::string before = ReadAll(Path("every.dbf"));
  ASSERT_TRUE(Use("every"));
  ToolRun r = Quilltable("pack " + Path("every.dbf"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "quilltable: " + Path("every.dbf") + " is open in another program; close it there and try again.\n");
  EXPECT_EQ(ReadAll(Path("every.dbf")), before);
}

}  // namespace
