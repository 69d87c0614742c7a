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
  plat::SetShortDatePattern("dd.MM.yyyy");
  EXPECT_EQ(plat::FormatShortDate(2026, 3, 1), "01.03.2026");
  plat::SetShortDatePattern("yy.MM.dd");
  EXPECT_EQ(plat::FormatShortDate(2005, 7, 9), "05.07.09");
  EXPECT_EQ(plat::ShortDateSeparator(), '.');
}

TEST_F(DateFmtTest, ReadsDatesInThePatternWithinFiftyYearsOfToday) {
  struct Case {
    const char* pattern;
    const char* text;
    bool ok;
    int y, m, d;
  };
  const Case cases[] = {
      {"MM/dd/yy", "01/01/75", true, 2075, 1, 1},  // the window around 2026
      {"MM/dd/yy", "01/01/77", true, 1977, 1, 1},
      {"MM/dd/yy", "12/05/1898", true, 1898, 12, 5},
      {"MM/dd/yy", "2/29/24", true, 2024, 2, 29},
      {"MM/dd/yy", "2/29/23", false, 0, 0, 0},
      {"MM/dd/yy", "13/01/20", false, 0, 0, 0},
      {"MM/dd/yy", "  /  /  ", false, 0, 0, 0},
      {"MM/dd/yy", "12/05", false, 0, 0, 0},
      {"MM/dd/yy", "12/05/98x", false, 0, 0, 0},
      {"MM/dd/yy", "", false, 0, 0, 0},
      {"dd.MM.yyyy", "31.12.1999", true, 1999, 12, 31},
      {"dd.MM.yyyy", "31-12-99", true, 1999, 12, 31},
      {"yy.MM.dd", "99.12.31", true, 1999, 12, 31},
      {"dd/MM/yy", "00/12/99", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pattern << " \"" << c.text << '"');
    plat::SetShortDatePattern(c.pattern);
    int y = 0, m = 0, d = 0;
    EXPECT_EQ(plat::ParseShortDate(c.text, &y, &m, &d, 2026), c.ok);
    if (c.ok) {
      EXPECT_EQ(y, c.y);
      EXPECT_EQ(m, c.m);
      EXPECT_EQ(d, c.d);
    }
  }
}

TEST_F(DateFmtTest, CalendarDates) {
  EXPECT_TRUE(plat::IsCalendarDate(2000, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(1900, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(2026, 4, 31));
  EXPECT_FALSE(plat::IsCalendarDate(0, 1, 1));
}

}  // namespace
