// The short date pattern: formatting, reading, and the fifty-year window
// for two-digit years.
#include "platform/datefmt.h"

#include <gtest/gtest.h>

namespace {

class DateFmtTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::SetShortDatePattern("MM/dd/yy"); }
};

TEST_F(DateFmtTest, FormatsByPattern) {
  plat::SetShortDatePattern("MM/dd/yy");
  EXPECT_EQ(plat::FormatShortDate(1998, 12, 5), "12/05/98");
  plat::SetShortDatePattern("dd.MM.yyyy");
  EXPECT_EQ(plat::FormatShortDate(2026, 3, 1), "01.03.2026");
  plat::SetShortDatePattern("yy.MM.dd");
  EXPECT_EQ(plat::FormatShortDate(2005, 7, 9), "05.07.09");
  EXPECT_EQ(plat::ShortDateSeparator(), '.');
}

struct ParseCase {
  const char* pattern;
  const char* text;
  bool ok;
  int y, m, d;
};

class ParseTable : public DateFmtTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParseTable, ReadsDatesInThePattern) {
  const ParseCase& c = GetParam();
  plat::SetShortDatePattern(c.pattern);
  int y = 0, m = 0, d = 0;
  EXPECT_EQ(plat::ParseShortDate(c.text, &y, &m, &d, 2026), c.ok) << c.text;
  if (c.ok) {
    EXPECT_EQ(y, c.y) << c.text;
    EXPECT_EQ(m, c.m) << c.text;
    EXPECT_EQ(d, c.d) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTable,
    ::testing::Values(ParseCase{"MM/dd/yy", "12/05/98", true, 1998, 12, 5},
                      ParseCase{"MM/dd/yy", "12/05/26", true, 2026, 12, 5},
                      ParseCase{"MM/dd/yy", "01/01/75", true, 2075, 1, 1},
                      ParseCase{"MM/dd/yy", "01/01/77", true, 1977, 1, 1},
                      ParseCase{"MM/dd/yy", "12/05/1898", true, 1898, 12, 5},
                      ParseCase{"MM/dd/yy", "2/29/24", true, 2024, 2, 29},
                      ParseCase{"MM/dd/yy", "2/29/23", false, 0, 0, 0},
                      ParseCase{"MM/dd/yy", "13/01/20", false, 0, 0, 0},
                      ParseCase{"MM/dd/yy", "  /  /  ", false, 0, 0, 0},
                      ParseCase{"MM/dd/yy", "12/05", false, 0, 0, 0},
                      ParseCase{"MM/dd/yy", "12/05/98x", false, 0, 0, 0},
                      ParseCase{"MM/dd/yy", "", false, 0, 0, 0},
                      ParseCase{"dd.MM.yyyy", "31.12.1999", true, 1999, 12, 31},
                      ParseCase{"dd.MM.yyyy", "31-12-99", true, 1999, 12, 31},
                      ParseCase{"yy.MM.dd", "99.12.31", true, 1999, 12, 31},
                      ParseCase{"dd/MM/yy", "00/12/99", false, 0, 0, 0}));

TEST_F(DateFmtTest, CalendarDates) {
  EXPECT_TRUE(plat::IsCalendarDate(2000, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(1900, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(2026, 4, 31));
  EXPECT_FALSE(plat::IsCalendarDate(0, 1, 1));
}

}  // namespace
