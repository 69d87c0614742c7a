// Date functions: the names of six languages in their slots, blank and
// invalid dates, every DateFormat, and every date of two centuries against
// the standard library's calendar.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "engine/dates.h"
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

int CharacterCount(const std::string& s) {
  int n = 0;
  for (char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

TEST_F(Dates, ChristmasTwentyTwentySixIsAFridayInDecember) {
  EXPECT_EQ(vz::CDOW("12/25/2026"), "Friday   ");
  EXPECT_EQ(vz::CDOW("12/25/26"), "Friday   ");
  vz::SetDateFormat(5);
  EXPECT_EQ(vz::CMONTH("25.12.2026"), "Dezember ");
  EXPECT_EQ(vz::CDOW("25.12.26"), "Freitag   ");
}

// Zeller's sum is -24 for this date; a plain "%" left a negative weekday.
TEST_F(Dates, FirstOfMarchTwoThousandIsAWednesday) {
  EXPECT_EQ(vz::DOW("03/01/2000"), 4);
  EXPECT_EQ(vz::CDOW("03/01/2000"), "Wednesday");
  EXPECT_EQ(vz::DayOfWeek(2000, 3, 1), 4);
}

struct Slot {
  int format;
  int weekday;
  const char* day;
  int month;
  const char* month_name;
};

class NameSlot : public Dates, public ::testing::WithParamInterface<Slot> {};

TEST_P(NameSlot, NamesStandInTheirLanguageSlot) {
  const Slot& s = GetParam();
  EXPECT_EQ(vz::DayName(s.format, s.weekday), s.day);
  EXPECT_EQ(vz::MonthName(s.format, s.month), s.month_name);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, NameSlot,
    ::testing::Values(Slot{0, 4, "Wednesday", 9, "September"}, Slot{1, 1, "Sunday   ", 5, "May      "},
                      Slot{2, 7, "Saturday ", 2, "February "}, Slot{3, 4, "Mercoledi", 9, "Settembre"},
                      Slot{3, 2, "Lunedi   ", 1, "Gennaio  "}, Slot{4, 1, "Dimanche", 2, "Février  "},
                      Slot{7, 6, "Vendredi", 8, "Août     "}, Slot{4, 2, "Lundi   ", 12, "Décembre "},
                      Slot{5, 5, "Donnerstag", 3, "März     "}, Slot{5, 1, "Sonntag   ", 10, "Oktober  "},
                      Slot{6, 4, "Miercoles", 9, "Septiembre"}, Slot{6, 7, "Sabado   ", 5, "Mayo      "},
                      Slot{8, 1, "Воскресенье", 9, "Сентябрь"}, Slot{8, 4, "Среда      ", 5, "Май     "},
                      Slot{9, 1, "Sunday   ", 1, "January  "},     // out of range reads as 0
                      Slot{0, 0, "", 0, ""}, Slot{0, 8, "", 13, ""}));

TEST_F(Dates, EveryNameFillsExactlyItsSlot) {
  struct Widths {
    int day;
    int month;
  };
  const Widths widths[] = {{9, 9}, {9, 9}, {9, 9}, {9, 9}, {8, 9}, {10, 9}, {9, 10}, {8, 9}, {11, 8}};
  for (int format = 0; format <= 8; ++format) {
    for (int d = 1; d <= 7; ++d) {
      std::string name = vz::DayName(format, d);
      EXPECT_EQ(CharacterCount(name), widths[format].day) << format << " " << name;
      EXPECT_NE(name[0], ' ') << format << " " << d;
    }
    for (int m = 1; m <= 12; ++m) {
      std::string name = vz::MonthName(format, m);
      EXPECT_EQ(CharacterCount(name), widths[format].month) << format << " " << name;
      EXPECT_NE(name[0], ' ') << format << " " << m;
    }
  }
}

class BlankDate : public Dates, public ::testing::WithParamInterface<const char*> {};

TEST_P(BlankDate, GivesBlankResults) {
  for (int format = 0; format <= 8; ++format) {
    vz::SetDateFormat(format);
    const char* text = GetParam();
    EXPECT_TRUE(vz::IsBlankDate(text)) << format;
    EXPECT_TRUE(vz::IsValidDate(text)) << format;
    EXPECT_EQ(vz::CDOW(text), std::string(10, ' ')) << format;
    EXPECT_EQ(vz::CMONTH(text), std::string(9, ' ')) << format;
    EXPECT_EQ(vz::DOW(text), 0) << format;
    EXPECT_EQ(vz::MONTH(text), 0) << format;
    EXPECT_EQ(vz::DAY(text), 0) << format;
    EXPECT_EQ(vz::YEAR(text), 0) << format;
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, BlankDate,
                         ::testing::Values("  /  /  ", "  /  /    ", "  .  .  ", "  -  -    ", "  /  /",
                                           "        ", ""));

struct Validity {
  int format;
  const char* text;
  bool valid;
};

class DateValidity : public Dates, public ::testing::WithParamInterface<Validity> {};

TEST_P(DateValidity, AcceptsOnlyRealDatesInTheCurrentForm) {
  vz::SetDateFormat(GetParam().format);
  EXPECT_EQ(vz::IsValidDate(GetParam().text), GetParam().valid) << GetParam().text;
  EXPECT_FALSE(vz::IsBlankDate(GetParam().text));
  // Only a real date has a weekday and names.
  EXPECT_EQ(vz::DOW(GetParam().text) != 0, GetParam().valid) << GetParam().text;
  EXPECT_EQ(vz::CMONTH(GetParam().text) != std::string(9, ' '), GetParam().valid) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    MonthFirst, DateValidity,
    ::testing::Values(Validity{0, "12/5/98", true}, Validity{0, "2/30/98", false},
                      Validity{0, " 12/25/26 ", true}, Validity{0, "1/1/1", true},
                      Validity{0, "02/29/2000", true}, Validity{0, "02/29/1900", false},
                      Validity{0, "02/29/24", true}, Validity{0, "02/29/23", false},
                      Validity{0, "04/31/98", false}, Validity{0, "04/30/98", true},
                      Validity{0, "13/01/98", false}, Validity{0, "00/10/98", false},
                      Validity{0, "12/00/98", false}, Validity{0, "12/32/98", false},
                      Validity{0, "12/25/2026x", false}, Validity{0, "12-25-26", false},
                      Validity{0, "12/25", false}, Validity{0, "12/25/199", false},
                      Validity{0, "12/25/26/", false}, Validity{0, "ab/cd/ef", false},
                      Validity{0, "+1/25/26", false}, Validity{0, "123/5/98", false},
                      Validity{0, "12/25/-026", false}));

INSTANTIATE_TEST_SUITE_P(
    OtherForms, DateValidity,
    ::testing::Values(Validity{1, "26.12.25", true}, Validity{1, "26.13.25", false},
                      Validity{1, "2024.02.29", true}, Validity{2, "31/12/99", true},
                      Validity{2, "12/31/99", false}, Validity{3, "25-12-26", true},
                      Validity{3, "25.12.26", false}, Validity{5, "29.02.2024", true},
                      Validity{5, "29.02.2023", false}, Validity{8, "31.04.26", false}));

struct Parts {
  int format;
  int pivot;
  const char* text;
  int month;
  int day;
  int year;
};

class DateParts : public Dates, public ::testing::WithParamInterface<Parts> {};

TEST_P(DateParts, ReadsTheNumbersAsTheyStand) {
  const Parts& p = GetParam();
  vz::SetDateFormat(p.format);
  vz::SetCenturyPivotForTesting(p.pivot);
  EXPECT_EQ(vz::MONTH(p.text), p.month) << p.text;
  EXPECT_EQ(vz::DAY(p.text), p.day) << p.text;
  EXPECT_EQ(vz::YEAR(p.text), p.year) << p.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateParts,
    ::testing::Values(Parts{0, 2000, "12/25/26", 12, 25, 2026}, Parts{0, 1900, "12/25/26", 12, 25, 1926},
                      Parts{0, 2000, "12/25/1999", 12, 25, 1999}, Parts{0, 2000, "2/30/98", 2, 30, 2098},
                      Parts{0, 2000, "12/xx/26", 12, 0, 2026}, Parts{0, 2000, "12/25/ab", 12, 25, 0},
                      Parts{0, 2000, "12.25.26", 0, 0, 0}, Parts{1, 2000, "26.12.25", 12, 25, 2026},
                      Parts{2, 2000, "25/12/2026", 12, 25, 2026}, Parts{3, 2000, "5-1-7", 1, 5, 2007},
                      Parts{6, 2000, "25.12.26", 12, 25, 2026}, Parts{8, 2000, "01.02.03", 2, 1, 2003}));

TEST_F(Dates, DayOfWeekMatchesTheCalendarFromYearZero) {
  const chr::sys_days first = chr::year{0} / 1 / 1;
  const chr::sys_days last = chr::year{2400} / 12 / 31;
  for (chr::sys_days day = first; day <= last; day += chr::days{1}) {
    chr::year_month_day ymd{day};
    int expected = static_cast<int>(chr::weekday{day}.c_encoding()) + 1;
    ASSERT_EQ(vz::DayOfWeek(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                            static_cast<int>(static_cast<unsigned>(ymd.day()))),
              expected)
        << static_cast<int>(ymd.year()) << "-" << static_cast<unsigned>(ymd.month()) << "-"
        << static_cast<unsigned>(ymd.day());
  }
}

// Every date of 1900-2099 written in every DateFormat, with two-digit years
// and with four, is read back with its own weekday, month, day and year.
TEST_F(Dates, EveryDateOfTwoCenturiesInEveryFormat) {
  const char* english[] = {"Sunday   ", "Monday   ", "Tuesday  ", "Wednesday",
                           "Thursday ", "Friday   ", "Saturday "};
  const chr::sys_days first = chr::year{1900} / 1 / 1;
  const chr::sys_days last = chr::year{2099} / 12 / 31;
  for (int format = 0; format <= 8; ++format) {
    for (bool century : {false, true}) {
      vz::SetDateFormat(format);
      vz::SetCenturyOn(century);
      for (chr::sys_days day = first; day <= last; day += chr::days{1}) {
        chr::year_month_day ymd{day};
        int y = static_cast<int>(ymd.year());
        int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
        int d = static_cast<int>(static_cast<unsigned>(ymd.day()));
        vz::SetCenturyPivotForTesting(y / 100 * 100);
        std::string text = plat::FormatShortDate(y, m, d);
        int weekday = static_cast<int>(chr::weekday{day}.c_encoding()) + 1;
        ASSERT_TRUE(vz::IsValidDate(text)) << format << " " << text;
        ASSERT_EQ(vz::DOW(text), weekday) << format << " " << text;
        ASSERT_EQ(vz::MONTH(text), m) << format << " " << text;
        ASSERT_EQ(vz::DAY(text), d) << format << " " << text;
        ASSERT_EQ(vz::YEAR(text), y) << format << " " << text;
        if (format <= 2) {
          ASSERT_EQ(vz::CDOW(text), english[weekday - 1]) << format << " " << text;
        }
      }
    }
  }
}

}  // namespace
