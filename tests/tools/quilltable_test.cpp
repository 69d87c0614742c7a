// quilltable as its users run it: output, errors and exit status of each
// command, on tables written byte by byte and tables with notes of each flavour.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>

#include "engine/dbf.h"
#include "tests/support/memo_helpers.h"

namespace {

using qptest::ReadAll, qptest::WriteAll;

class QuilltableTest : public qptest::MemoTest {
 public:
  // Runs the tool, expects its exit status, gives its output; err_ holds its errors.
  std::string Quilltable(const std::string& args, int status = 0) {
    const int rc = std::system((QUILLTABLE_PATH " " + args + " >" + Path("out") + " 2>" + Path("err")).c_str());
    err_ = ReadAll(Path("err"));
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, status) << args << "\n" << err_;
    return ReadAll(Path("out"));
  }
  std::string Raw(const std::string& name, std::initializer_list<qptest::FieldDef> fields,
                  const std::vector<std::string>& records, char code_page_mark = 0) {
    WriteAll(Path(name), qptest::RawDbf(3, fields, records).replace(29, 1, 1, code_page_mark));
    return Path(name);
  }
  std::string err_;
};

TEST_F(QuilltableTest, FailuresGiveTheEnginesReportOrTheUsage) {
  WriteAll(Path("bad.dbf"), std::string(10, 'x'));
  EXPECT_EQ(Quilltable("info " + Path("bad.dbf"), 210), "");
  EXPECT_NE(err_.find("Error # 210 (Not a dBASE data file)"), std::string::npos) << err_;
  EXPECT_EQ(Quilltable("csv " + Path("missing.dbf"), 2), "");
  EXPECT_NE(err_.find("Failure to open " + Path("missing.dbf")), std::string::npos) << err_;
  const std::string other = Raw("other.dbf", {{"NAME", 'C', 4, 0}}, {" Ann"});
  EXPECT_EQ(Quilltable("positive-pay " + other, 1), "");  // no rows of blanks that look like checks
  EXPECT_NE(err_.find(other + " is not a check table: it has no field"), std::string::npos) << err_;
  for (const char* args : {"", "info", "frobnicate x.dbf", "info a.dbf b.dbf", "pack --deleted x.dbf"}) {
    EXPECT_EQ(Quilltable(args, 2), "");
    EXPECT_NE(err_.find("usage: quilltable"), std::string::npos) << args;
  }
}

// Values beyond the engine's slots are written as stored; an open table is read, not packed.
TEST_F(QuilltableTest, CsvWritesValuesAsStoredAndPackWaitsForTheProgram) {
  // Every type; no code page mark (so 437, where 0x81 is u-umlaut); the second record deleted.
  const std::string file = Raw("every.dbf",
                               {{"NAME", 'C', 16, 0}, {"BORN", 'D', 8, 0}, {"AMOUNT", 'N', 9, 2}, {"BIG", 'N', 12, 0},
                                {"OK", 'L', 1, 0}, {"RATE", 'F', 8, 3}},
                               {" M\x81ller, \"Max\"   18991231  1234.50 12345678901T   0.500",
                                "*  gone          00000000     1.00           1F   0.500",
                                " Ann                         -0.01          -7F   0.500"});
  const std::string before = ReadAll(file);
  EXPECT_EQ(Quilltable("csv --deleted " + file),
            "deleted,NAME,BORN,AMOUNT,BIG,OK,RATE\r\n,\"M\xC3\xBCller, \"\"Max\"\"\",1899-12-31,1234.50,12345678901,T,"
            "0.500\r\n*,  gone,0000-00-00,1.00,1,F,0.500\r\n,Ann,,-0.01,-7,F,0.500\r\n");
  const std::string ru = Raw("ru.dbf", {{"NAME", 'C', 6, 0}}, {" \x8f\xe0\xa8\xa2\xa5\xe2"}, 0x26);  // 866
  EXPECT_EQ(Quilltable("csv " + ru), "NAME\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n");
  ASSERT_TRUE(Use("every"));  // shared
  EXPECT_NE(Quilltable("info " + file).find("Version:        0x03 (dBASE III, no memo)\n"), std::string::npos);
  EXPECT_EQ(Quilltable("pack " + file, 1), "");
  EXPECT_EQ(err_, "quilltable: " + file + " is open in another program; close it there and try again.\n");
  EXPECT_EQ(ReadAll(file), before);
  vz::USE("");
  EXPECT_EQ(Quilltable("pack " + file), "Removed 1 of 3 records; 2 remain.\n");
  EXPECT_EQ(Quilltable("csv --deleted " + file).find("gone"), std::string::npos);
  const std::string empty = Raw("empty.dbf", {{"A", 'C', 1, 0}}, {});
  EXPECT_EQ(Quilltable("pack " + empty), empty + " has no records: nothing to pack.\n");
}

class QuilltableMemoTest : public QuilltableTest, public ::testing::WithParamInterface<qptest::Flavour> {};
INSTANTIATE_TEST_SUITE_P(Flavours, QuilltableMemoTest, ::testing::ValuesIn(qptest::kFlavours),
                         [](const auto& info) { return std::string(info.param.label); });

// Notes on records 1 and 2 (deleted), none on 3 and 4; info tells the memo file's layout.
TEST_P(QuilltableMemoTest, CsvWritesEachNoteAndPackKeepsThem) {
  const std::string dbf = Path("t.dbf");
  MakeTable(GetParam(), "t", 4);
  ASSERT_TRUE(Use("t exclusive"));
  // A line longer than the reader's lines, and a line end at the end; 0x8D is i grave.
  const std::string lines = "first line\r\n" + std::string(200, 'a') + " " + std::string(200, 'b');
  ASSERT_EQ(WriteNote(1, lines + "\r\nsecond, with \"quotes\"\r\ncos\x8D\r\n"), 0);
  ASSERT_EQ(WriteNote(2, std::string(3 * GetParam().block_size, 'x')), 0);
  vz::DeleteRec();  // record 2, whose note was written last
  vz::USE("");
  const std::string csv = "TITLE,NOTES\r\nrecord 1,\"" + lines +
                          "\r\nsecond, with \"\"quotes\"\"\r\ncos\xC3\xAC\r\n\"\r\nrecord 3,\r\nrecord 4,\r\n";
  const std::string table = ReadAll(dbf);
  WriteAll(dbf, table + std::string(31, ' '));  // a record another program is appending
  const std::string info = Quilltable("info " + dbf);
  WriteAll(dbf, table);
  const bool iv = GetParam().dbase4();
  EXPECT_NE(info.find(iv ? "(dBASE IV with memo)\n" : "(dBASE III with memo)\n"), std::string::npos) << info;
  EXPECT_EQ(info.substr(info.find("Records:")),
            "Records:        4 in the header, 5 in the file\nHeader length:  97\nRecord length:  31\n"
            "Code page:      437\nMemo file:      " + Path("t.dbt") + "\nMemo layout:    " +
                (iv ? "dBASE IV (length-prefixed blocks, reused in place)" : "dBASE III (blocks ended by 0x1A, always appended)") +
                "\nBlock size:     " + std::to_string(GetParam().block_size) + "\nNext free:      block " +
                std::to_string(qptest::Le32(MemoBytes(), 0)) + "\nFields:         2\n  #  Name        Type  Length  Decimals\n"
                "  1  TITLE       C         20         0\n  2  NOTES       M         10         0\n");
  EXPECT_EQ(Quilltable("csv " + dbf), csv);
  const size_t before = MemoBytes().size();
  const std::string packed = Quilltable("pack " + dbf);
  const size_t after = MemoBytes().size();
  EXPECT_LT(after, before);
  EXPECT_EQ(packed, "Removed 1 of 4 records; 3 remain.\nMemo file " + Path("t.dbt") + ": " + std::to_string(after) +
                        " bytes, " + std::to_string(before) + " before.\n");
  EXPECT_EQ(Quilltable("csv " + dbf), csv);
}

}  // namespace
