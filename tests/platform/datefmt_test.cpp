// The short date pattern: formatting, reading, and the fifty-year window
// for two-digit years.
#include "platform/datefmt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DateFmt, ReadsAndWritesDatesInThePatternWithinFiftyYearsOfToday) {
  struct Case {
    const char* pattern;
    const char* text;
    std::vector<int> date;  // empty: refused
  };
  const Case cases[] = {
      {"MM/dd/yy", "01/01/75", {2075, 1, 1}}, {"MM/dd/yy", "01/01/77", {1977, 1, 1}},  // the window around 2026
      {"MM/dd/yy", "12/05/1898", {1898, 12, 5}}, {"MM/dd/yy", "2/29/24", {2024, 2, 29}},
      {"MM/dd/yy", "2/29/23", {}},
      {"MM/dd/yy", "13/01/20", {}}, {"MM/dd/yy", "  /  /  ", {}}, {"MM/dd/yy", "12/05", {}},
      {"MM/dd/yy", "12/05/98x", {}}, {"MM/dd/yy", "", {}}, {"dd.MM.yyyy", "31.12.1999", {1999, 12, 31}},
      {"dd.MM.yyyy", "31-12-99", {1999, 12, 31}}, {"yy.MM.dd", "99.12.31", {1999, 12, 31}}, {"dd/MM/yy", "00/12/99", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pattern << " \"" << c.text << '"');
    plat::SetShortDatePattern(c.pattern);
    int y = 0, m = 0, d = 0;
    EXPECT_EQ(plat::ParseShortDate(c.text, &y, &m, &d, 2026), !c.date.empty());
    if (!c.date.empty()) {
      EXPECT_EQ((std::vector<int>{y, m, d}), c.date);
    }
  }
  plat::SetShortDatePattern("dd.MM.yyyy");
  const std::string four = plat::FormatShortDate(2026, 3, 1);
  plat::SetShortDatePattern("yy.MM.dd");
  EXPECT_EQ(four + " " + plat::FormatShortDate(2005, 7, 9), "01.03.2026 05.07.09");
  EXPECT_EQ(plat::ShortDateSeparator(), '.');
  plat::SetShortDatePattern("MM/dd/yy");
  EXPECT_TRUE(plat::IsCalendarDate(2000, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(1900, 2, 29));
  EXPECT_FALSE(plat::IsCalendarDate(2026, 4, 31));
  EXPECT_FALSE(plat::IsCalendarDate(0, 1, 1));
}

}  // namespace
