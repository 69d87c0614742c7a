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

TEST_F(NationalTest, LocaleGivesLanguageSeparatorsDateFormatAndCodePage) {
  const struct { const char* locale; int index; char decimal, thousands; int codepage; } cases[] = {
      {"de_DE.UTF-8", 5, ',', '.', 437}, {"de_AT", 5, ',', '.', 437}, {"en_US.UTF-8", 0, '.', ',', 437},
      {"en_GB.UTF-8", 2, '.', ',', 437}, {"en_AU", 2, '.', ',', 437}, {"es_ES.UTF-8", 6, ',', '.', 437},
      {"fr_CA.UTF-8", 7, '.', ',', 437}, {"fr_FR.UTF-8", 4, ',', '.', 437}, {"it_IT@euro", 3, ',', '.', 437},
      {"ru_RU.KOI8-R", 8, '.', ' ', 866}, {"pt_BR", 0, '.', ',', 437}, {"C", 0, '.', ',', 437},
      {"POSIX", 0, '.', ',', 437}, {"", 0, '.', ',', 437}};
  for (const auto& c : cases) {
    vz::InitNationalSettingsFor(c.locale);
    EXPECT_EQ(vz::LanguageIndex(), c.index) << c.locale;
    EXPECT_EQ(vz::DecimalSeparator(), c.decimal) << c.locale;
    EXPECT_EQ(vz::ThousandsSeparator(), c.thousands) << c.locale;
    EXPECT_EQ(vz::DateFormat(), c.index) << c.locale;
    EXPECT_EQ(vz::TableCodePage(), c.codepage) << c.locale;
    EXPECT_FALSE(vz::CenturyOn());
  }
  EXPECT_EQ(vz::CenturyPivot() % 100, 0);
  EXPECT_GE(vz::CenturyPivot(), 2000);
}

TEST_F(NationalTest, DateFormatSetsTheShortDatePattern) {
  const struct { int format; bool century; const char* pattern; char separator; } cases[] = {
      {0, false, "MM/dd/yy", '/'}, {1, false, "yy.MM.dd", '.'}, {2, false, "dd/MM/yy", '/'},
      {3, false, "dd-MM-yy", '-'}, {4, false, "dd.MM.yy", '.'}, {8, false, "dd.MM.yy", '.'},
      {9, false, "MM/dd/yy", '/'}, {0, true, "MM/dd/yyyy", '/'},
      {1, true, "yyyy.MM.dd", '.'}, {5, true, "dd.MM.yyyy", '.'}};
  for (const auto& c : cases) {
    vz::SetCenturyOn(c.century);
    vz::SetDateFormat(c.format);
    EXPECT_EQ(plat::ShortDatePattern(), c.pattern) << c.format;
    EXPECT_EQ(vz::DateSeparator(), c.separator) << c.format;
  }
  vz::SetDateFormat(200);  // above eight stores zero
  EXPECT_EQ(vz::DateFormat(), 0);
}

TEST_F(NationalTest, RegionalShortDateDecidesDateFormatAndCenturyButNotTheLanguage) {
  const struct { const char* format; int date_format; bool century; } cases[] = {
      {"MM/dd/yy", 0, false}, {"M/d/yyyy", 0, true}, {"dd.MM.yyyy", 5, true}, {"d.M.yy", 5, false},
      {"dd/MM/yyyy", 2, true}, {"DD-MM-YY", 3, false}, {"yyyy-MM-dd", 1, true}, {"YY.MM.DD", 1, false},
      {"dd MMM yyyy", 0, true}};
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
