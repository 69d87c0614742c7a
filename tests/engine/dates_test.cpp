// National settings and date functions: the regional settings of the
// platform, the names of the languages in their slots, blank and invalid
// dates, and the parts of dates in every DateFormat.
#include <gtest/gtest.h>

#include <string>

#include "engine/dates.h"
#include "engine/national.h"
#include "platform/datefmt.h"

namespace {

class Dates : public ::testing::Test {
 protected:
  void SetUp() override {
    vz::InitNationalSettingsFor("en_US");
    vz::SetCenturyPivotForTesting(2000);
  }
  void TearDown() override { vz::InitNationalSettings(); }
};

// Zeller's sum is -24 for this date; a plain "%" left a negative weekday.
TEST_F(Dates, FirstOfMarchTwoThousandIsAWednesday) {
  EXPECT_EQ(vz::DOW("03/01/2000"), 4);
  EXPECT_EQ(vz::CDOW("03/01/2000"), "Wednesday");
  EXPECT_EQ(vz::DayOfWeek(2000, 3, 1), 4);
}

TEST_F(Dates, NamesStandInTheirLanguageSlotAndFillItExactly) {
  const struct { int format, weekday; const char* day; int month; const char* month_name; } names[] = {
      {0, 4, "Wednesday", 9, "September"}, {3, 2, "Lunedi   ", 1, "Gennaio  "},
      {4, 1, "Dimanche", 2, "Février  "}, {8, 4, "Среда      ", 5, "Май     "},
      {9, 1, "Sunday   ", 1, "January  "},  // out of range reads as 0
      {6, 7, "Sabado   ", 5, "Mayo      "}, {0, 0, "", 0, ""}, {0, 8, "", 13, ""}};
  for (const auto& n : names) {
    EXPECT_EQ(vz::DayName(n.format, n.weekday), n.day) << n.format;
    EXPECT_EQ(vz::MonthName(n.format, n.month), n.month_name) << n.format;
  }
  vz::SetDateFormat(5);
  EXPECT_EQ(vz::CMONTH("25.12.2026"), "Dezember ");
  EXPECT_EQ(vz::CDOW("25.12.26"), "Freitag   ");
}

TEST_F(Dates, BlankDatesGiveBlankResultsInEveryForm) {
  for (const char* text : {"  /  /  ", "  /  /    ", "  .  .  ", "  -  -    ", "  /  /", "        ", ""}) {
    for (int format = 0; format <= 8; ++format) {
      vz::SetDateFormat(format);
      EXPECT_TRUE(vz::IsBlankDate(text) && vz::IsValidDate(text)) << format << " '" << text << "'";
      EXPECT_EQ(vz::CDOW(text), std::string(10, ' ')) << format;
      EXPECT_EQ(vz::CMONTH(text), std::string(9, ' ')) << format;
      EXPECT_EQ(vz::DOW(text) + vz::MONTH(text) + vz::DAY(text) + vz::YEAR(text), 0) << format << " '" << text << "'";
    }
  }
}

// Only real dates in the current form are valid and have names; a part
// that is no number reads as 0, the year included.
TEST_F(Dates, PartsAndValidityAreReadAsTheyStand) {
  const struct { int format, pivot; const char* text; bool valid; int month, day, year; } cases[] = {
      {0, 2000, "12/25/26", true, 12, 25, 2026}, {0, 1900, "12/25/26", true, 12, 25, 1926},
      {0, 2000, " 12/25/1999 ", true, 12, 25, 1999}, {0, 2000, "2/30/98", false, 2, 30, 2098},
      {0, 2000, "02/29/2000", true, 2, 29, 2000}, {0, 2000, "02/29/1900", false, 2, 29, 1900},
      {0, 2000, "04/31/98", false, 4, 31, 2098}, {0, 2000, "13/01/98", false, 13, 1, 2098},
      {0, 2000, "12/xx/26", false, 12, 0, 2026},
      {0, 2000, "12/25/ab", false, 12, 25, 0}, {0, 2000, "12.25.26", false, 0, 0, 0},
      // -1: the parts are not looked at
      {0, 2000, "12/25/2026x", false, -1, 0, 0}, {0, 2000, "12/25", false, -1, 0, 0},
      {0, 2000, "12/25/199", false, -1, 0, 0}, {0, 2000, "+1/25/26", false, -1, 0, 0},
      {0, 2000, "123/5/98", false, -1, 0, 0}, {0, 2000, "12/25/-026", false, -1, 0, 0},
      {1, 2000, "26.12.25", true, 12, 25, 2026}, {1, 2000, "2024.02.29", true, 2, 29, 2024},
      {2, 2000, "25/12/2026", true, 12, 25, 2026}, {2, 2000, "12/31/99", false, 31, 12, 2099},
      {3, 2000, "5-1-7", true, 1, 5, 2007}, {3, 2000, "25.12.26", false, 0, 0, 0},
      {8, 2000, "01.02.03", true, 2, 1, 2003}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    vz::SetDateFormat(c.format);
    vz::SetCenturyPivotForTesting(c.pivot);
    EXPECT_EQ(vz::IsValidDate(c.text), c.valid);
    EXPECT_FALSE(vz::IsBlankDate(c.text));
    EXPECT_EQ(vz::DOW(c.text) != 0, c.valid);
    EXPECT_EQ(vz::CMONTH(c.text) != std::string(9, ' '), c.valid);
    if (c.month >= 0) {
      EXPECT_EQ(vz::MONTH(c.text), c.month);
      EXPECT_EQ(vz::DAY(c.text), c.day);
      EXPECT_EQ(vz::YEAR(c.text), c.year);
    }
  }
}

TEST_F(Dates, RegionalShortDateDecidesDateFormatAndCenturyButNotTheLanguage) {
  const struct { const char* format; int date_format; bool century; } cases[] = {
      {"M/d/yyyy", 0, true}, {"d.M.yy", 5, false}, {"dd/MM/yyyy", 2, true}, {"DD-MM-YY", 3, false},
      {"yyyy-MM-dd", 1, true}, {"dd MMM yyyy", 0, true}};
  vz::InitNationalSettingsFor("de_DE");
  for (const auto& c : cases) {
    vz::ApplyRegionalSettings({",", ".", c.format});
    EXPECT_EQ(vz::DateFormat(), c.date_format) << c.format;
    EXPECT_EQ(vz::CenturyOn(), c.century) << c.format;
  }
  EXPECT_EQ(vz::LanguageIndex(), 5);
  // Separators that are not one byte become blanks.
  vz::ApplyRegionalSettings({",", "\u202F", "dd.MM.yyyy"});  // narrow no-break space
  EXPECT_EQ(vz::DecimalSeparator(), ',');
  EXPECT_EQ(vz::ThousandsSeparator(), ' ');
  vz::ApplyRegionalSettings({"\u066B", "'", "MM/dd/yy"});
  EXPECT_EQ(vz::DecimalSeparator(), ' ');
  EXPECT_EQ(vz::ThousandsSeparator(), '\'');
}

}  // namespace
