// National settings: the language table from locale names, the regional
// settings of the platform, and the short date pattern that follows them.
#include "engine/national.h"

#include <gtest/gtest.h>

#include "platform/datefmt.h"

namespace {

class NationalTest : public ::testing::Test {
 protected:
  void TearDown() override { vz::InitNationalSettingsFor("en_US.UTF-8"); }
};

struct LocaleCase {
  const char* locale;
  int index;
  char decimal;
  char thousands;
};

class LocaleTable : public NationalTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(LocaleTable, GivesLanguageIndexSeparatorsAndDateFormat) {
  const LocaleCase& c = GetParam();
  vz::InitNationalSettingsFor(c.locale);
  EXPECT_EQ(vz::LanguageIndex(), c.index) << c.locale;
  EXPECT_EQ(vz::DecimalSeparator(), c.decimal) << c.locale;
  EXPECT_EQ(vz::ThousandsSeparator(), c.thousands) << c.locale;
  EXPECT_EQ(vz::DateFormat(), c.index) << c.locale;
  EXPECT_FALSE(vz::CenturyOn());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LocaleTable,
    ::testing::Values(LocaleCase{"de_DE.UTF-8", 5, ',', '.'}, LocaleCase{"de_AT", 5, ',', '.'},
                      LocaleCase{"en_US.UTF-8", 0, '.', ','}, LocaleCase{"en_GB.UTF-8", 2, '.', ','},
                      LocaleCase{"en_AU", 2, '.', ','}, LocaleCase{"es_ES.UTF-8", 6, ',', '.'},
                      LocaleCase{"fr_CA.UTF-8", 7, '.', ','}, LocaleCase{"fr_FR.UTF-8", 4, ',', '.'},
                      LocaleCase{"it_IT@euro", 3, ',', '.'}, LocaleCase{"ru_RU.KOI8-R", 8, '.', ' '},
                      LocaleCase{"pt_BR", 0, '.', ','}, LocaleCase{"C", 0, '.', ','},
                      LocaleCase{"POSIX", 0, '.', ','}, LocaleCase{"", 0, '.', ','}));

struct FormatCase {
  int format;
  bool century;
  const char* pattern;
  char separator;
};

class DateFormatTable : public NationalTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(DateFormatTable, SetsTheShortDatePattern) {
  const FormatCase& c = GetParam();
  vz::SetCenturyOn(c.century);
  vz::SetDateFormat(c.format);
  EXPECT_EQ(plat::ShortDatePattern(), c.pattern);
  EXPECT_EQ(vz::DateSeparator(), c.separator);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DateFormatTable,
    ::testing::Values(FormatCase{0, false, "MM/dd/yy", '/'}, FormatCase{1, false, "yy.MM.dd", '.'},
                      FormatCase{2, false, "dd/MM/yy", '/'}, FormatCase{3, false, "dd-MM-yy", '-'},
                      FormatCase{4, false, "dd.MM.yy", '.'}, FormatCase{8, false, "dd.MM.yy", '.'},
                      FormatCase{9, false, "MM/dd/yy", '/'}, FormatCase{0, true, "MM/dd/yyyy", '/'},
                      FormatCase{1, true, "yyyy.MM.dd", '.'}, FormatCase{5, true, "dd.MM.yyyy", '.'}));

TEST_F(NationalTest, FormatAboveEightStoresZero) {
  vz::SetDateFormat(5);
  vz::SetDateFormat(200);
  EXPECT_EQ(vz::DateFormat(), 0);
}

struct RegionalCase {
  const char* format;
  int date_format;
  bool century;
};

class RegionalTable : public NationalTest, public ::testing::WithParamInterface<RegionalCase> {};

TEST_P(RegionalTable, ShortDateFormatDecidesDateFormatAndCentury) {
  vz::InitNationalSettingsFor("de_DE");
  vz::ApplyRegionalSettings({",", ".", GetParam().format});
  EXPECT_EQ(vz::DateFormat(), GetParam().date_format) << GetParam().format;
  EXPECT_EQ(vz::CenturyOn(), GetParam().century) << GetParam().format;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RegionalTable,
    ::testing::Values(RegionalCase{"MM/dd/yy", 0, false}, RegionalCase{"M/d/yyyy", 0, true},
                      RegionalCase{"dd.MM.yyyy", 5, true}, RegionalCase{"d.M.yy", 5, false},
                      RegionalCase{"dd/MM/yyyy", 2, true}, RegionalCase{"DD-MM-YY", 3, false},
                      RegionalCase{"yyyy-MM-dd", 1, true}, RegionalCase{"YY.MM.DD", 1, false},
                      RegionalCase{"dd MMM yyyy", 0, true}));

TEST_F(NationalTest, SeparatorsThatAreNotOneByteBecomeBlanks) {
  vz::ApplyRegionalSettings({",", "\u202F", "dd.MM.yyyy"});  // narrow no-break space
  EXPECT_EQ(vz::DecimalSeparator(), ',');
  EXPECT_EQ(vz::ThousandsSeparator(), ' ');
  vz::ApplyRegionalSettings({"\u066B", "'", "MM/dd/yy"});
  EXPECT_EQ(vz::DecimalSeparator(), ' ');
  EXPECT_EQ(vz::ThousandsSeparator(), '\'');
}

TEST_F(NationalTest, LanguageStaysWhenRegionalSettingsChange) {
  vz::InitNationalSettingsFor("de_DE");
  vz::ApplyRegionalSettings({".", ",", "MM/dd/yy"});
  EXPECT_EQ(vz::LanguageIndex(), 5);
  EXPECT_EQ(vz::TableCodePage(), 437);
  vz::InitNationalSettingsFor("ru_RU");
  EXPECT_EQ(vz::TableCodePage(), 866);
}

TEST_F(NationalTest, CenturyPivotIsThisCentury) {
  vz::InitNationalSettingsFor("en_US");
  EXPECT_EQ(vz::CenturyPivot() % 100, 0);
  EXPECT_GE(vz::CenturyPivot(), 2000);
}

}  // namespace
