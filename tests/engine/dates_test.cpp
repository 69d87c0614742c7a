// Date functions: the names of six languages in their slots, blank and
// invalid dates, every DateFormat, and every date of two centuries against
// the standard library's calendar.
#include "engine/dates.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include "engine/national.h"
#include "platform/datefmt.h"

namespace {

namespace chr = std::chrono;

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
      {0, 4, "Wednesday", 9, "September"}, {1, 1, "Sunday   ", 5, "May      "}, {3, 2, "Lunedi   ", 1, "Gennaio  "},
      {4, 1, "Dimanche", 2, "Février  "}, {7, 6, "Vendredi", 8, "Août     "}, {5, 5, "Donnerstag", 3, "März     "},
      {6, 7, "Sabado   ", 5, "Mayo      "}, {8, 1, "Воскресенье", 9, "Сентябрь"}, {8, 4, "Среда      ", 5, "Май     "},
      {9, 1, "Sunday   ", 1, "January  "},  // out of range reads as 0
      {0, 0, "", 0, ""}, {0, 8, "", 13, ""}};
  for (const auto& n : names) {
    EXPECT_EQ(vz::DayName(n.format, n.weekday), n.day) << n.format;
    EXPECT_EQ(vz::MonthName(n.format, n.month), n.month_name) << n.format;
  }
  // Every name of a language is as wide as its slot (in characters).
  const int day_width[] = {9, 9, 9, 9, 8, 10, 9, 8, 11}, month_width[] = {9, 9, 9, 9, 9, 9, 10, 9, 8};
  auto width = [](const std::string& s) {
    int n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
  };
  for (int format = 0; format <= 8; ++format) {
    for (int i = 1; i <= 12; ++i) {
      const std::string day = vz::DayName(format, (i - 1) % 7 + 1), month = vz::MonthName(format, i);
      EXPECT_EQ(width(day), day_width[format]) << day;
      EXPECT_EQ(width(month), month_width[format]) << month;
      EXPECT_TRUE(day[0] != ' ' && month[0] != ' ') << format << " " << i;
    }
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

TEST_F(Dates, OnlyRealDatesInTheCurrentFormAreValidAndHaveNames) {
  const struct { int format; const char* text; bool valid; } cases[] = {
      {0, "12/5/98", true}, {0, "2/30/98", false}, {0, " 12/25/26 ", true}, {0, "1/1/1", true},
      {0, "02/29/2000", true}, {0, "02/29/1900", false}, {0, "02/29/24", true}, {0, "02/29/23", false},
      {0, "04/31/98", false}, {0, "04/30/98", true}, {0, "13/01/98", false}, {0, "00/10/98", false},
      {0, "12/00/98", false}, {0, "12/32/98", false}, {0, "12/25/2026x", false}, {0, "12-25-26", false},
      {0, "12/25", false}, {0, "12/25/199", false}, {0, "12/25/26/", false}, {0, "ab/cd/ef", false},
      {0, "+1/25/26", false}, {0, "123/5/98", false}, {0, "12/25/-026", false}, {1, "26.12.25", true},
      {1, "26.13.25", false}, {1, "2024.02.29", true}, {2, "31/12/99", true}, {2, "12/31/99", false},
      {3, "25-12-26", true}, {3, "25.12.26", false}, {5, "29.02.2024", true}, {5, "29.02.2023", false},
      {8, "31.04.26", false}};
  for (const auto& c : cases) {
    vz::SetDateFormat(c.format);
    EXPECT_EQ(vz::IsValidDate(c.text), c.valid) << c.text;
    EXPECT_FALSE(vz::IsBlankDate(c.text)) << c.text;
    EXPECT_EQ(vz::DOW(c.text) != 0, c.valid) << c.text;
    EXPECT_EQ(vz::CMONTH(c.text) != std::string(9, ' '), c.valid) << c.text;
  }
}

// A part that is no number reads as 0, the year included.
TEST_F(Dates, PartsAreReadAsTheyStand) {
  const struct { int format, pivot; const char* text; int month, day, year; } cases[] = {
      {0, 2000, "12/25/26", 12, 25, 2026}, {0, 1900, "12/25/26", 12, 25, 1926}, {0, 2000, "12/25/1999", 12, 25, 1999},
      {0, 2000, "2/30/98", 2, 30, 2098}, {0, 2000, "12/xx/26", 12, 0, 2026}, {0, 2000, "12/25/ab", 12, 25, 0},
      {0, 2000, "12.25.26", 0, 0, 0}, {1, 2000, "26.12.25", 12, 25, 2026}, {2, 2000, "25/12/2026", 12, 25, 2026},
      {3, 2000, "5-1-7", 1, 5, 2007}, {6, 2000, "25.12.26", 12, 25, 2026}, {8, 2000, "01.02.03", 2, 1, 2003}};
  for (const auto& c : cases) {
    vz::SetDateFormat(c.format);
    vz::SetCenturyPivotForTesting(c.pivot);
    EXPECT_EQ(vz::MONTH(c.text), c.month) << c.text;
    EXPECT_EQ(vz::DAY(c.text), c.day) << c.text;
    EXPECT_EQ(vz::YEAR(c.text), c.year) << c.text;
  }
}

// Every date of 1900-2099 written in every DateFormat, with two-digit years
// and with four, is read back with its own weekday, month, day and year.
TEST_F(Dates, EveryDateOfTwoCenturiesInEveryFormat) {
  const char* english[] = {"Sunday   ", "Monday   ", "Tuesday  ", "Wednesday", "Thursday ", "Friday   ", "Saturday "};
  for (int format = 0; format <= 8; ++format) {
    for (bool century : {false, true}) {
      vz::SetDateFormat(format);
      vz::SetCenturyOn(century);
      for (chr::sys_days day = chr::year{1900} / 1 / 1; day <= chr::year{2099} / 12 / 31; day += chr::days{1}) {
        chr::year_month_day ymd{day};
        int y = static_cast<int>(ymd.year()), m = static_cast<int>(static_cast<unsigned>(ymd.month())),
            d = static_cast<int>(static_cast<unsigned>(ymd.day()));
        vz::SetCenturyPivotForTesting(y / 100 * 100);
        std::string text = plat::FormatShortDate(y, m, d);
        int weekday = static_cast<int>(chr::weekday{day}.c_encoding()) + 1;
        ASSERT_TRUE(vz::IsValidDate(text)) << format << " " << text;
        ASSERT_EQ(vz::DOW(text), weekday) << format << " " << text;
        ASSERT_EQ(vz::DayOfWeek(y, m, d), weekday) << format << " " << text;
        ASSERT_EQ((std::array{vz::MONTH(text), vz::DAY(text), vz::YEAR(text)}), (std::array{m, d, y})) << text;
        if (format <= 2) {
          ASSERT_EQ(vz::CDOW(text), english[weekday - 1]) << format << " " << text;
        }
      }
    }
  }
}

}  // namespace
