// National settings: language from the locale, separators, date form.
#include "engine/national.h"

#include <cctype>
#include <cstdlib>
#include <ctime>

#include "platform/datefmt.h"

namespace vz {

namespace {

struct National {
  bool ready = false;
  int language = 0;
  char decimal = '.';
  char thousands = ',';
  int date_format = 0;
  bool century = false;
  int pivot = 2000;
};

National& N();

void RefreshPattern() {
  static const char* const kPatterns[] = {"MM/dd/yy", "yy.MM.dd", "dd/MM/yy", "dd-MM-yy", "dd.MM.yy"};
  int f = N().date_format;
  std::string p = kPatterns[f > 4 ? 4 : f];
  if (N().century) {
    auto at = p.find("yy");
    p.replace(at, 2, "yyyy");
  }
  plat::SetShortDatePattern(p);
}

int CurrentCentury() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return (tm.tm_year + 1900) / 100 * 100;
}

void InitFrom(National& n, std::string_view locale) {
  n.ready = true;
  n.language = LanguageIndexForLocale(locale);
  switch (n.language) {
    case 3:  // Italian
    case 4:  // French
    case 5:  // German
    case 6:  // Spanish
      n.decimal = ',';
      n.thousands = '.';
      break;
    case 8:  // Russian
      n.decimal = '.';
      n.thousands = ' ';
      break;
    default:
      n.decimal = '.';
      n.thousands = ',';
  }
  n.date_format = n.language;
  n.century = false;
  n.pivot = CurrentCentury();
}

std::string EnvironmentLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return "";
}

National& N() {
  static National n;
  if (!n.ready) {
    InitFrom(n, EnvironmentLocale());
    // Set the pattern without recursion: n is ready now.
    RefreshPattern();
  }
  return n;
}

char SingleByte(const std::string& s, char fallback) {
  if (s.empty()) return fallback;
  if (s.size() == 1 && static_cast<unsigned char>(s[0]) < 0x80) return s[0];
  return ' ';
}

}  // namespace

int LanguageIndexForLocale(std::string_view locale) {
  // "de_DE.UTF-8@euro": language, then territory.
  auto end = locale.find_first_of(".@");
  std::string_view name = locale.substr(0, end);
  std::string_view lang = name.substr(0, name.find('_'));
  std::string_view territory;
  if (auto us = name.find('_'); us != std::string_view::npos) territory = name.substr(us + 1);
  auto is = [](std::string_view a, const char* b) {
    std::string_view bv(b);
    if (a.size() != bv.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(a[i])) != bv[i]) return false;
    }
    return true;
  };
  if (is(lang, "de")) return 5;
  if (is(lang, "en")) return (territory.empty() || is(territory, "us")) ? 0 : 2;
  if (is(lang, "es")) return 6;
  if (is(lang, "fr")) return is(territory, "ca") ? 7 : 4;
  if (is(lang, "it")) return 3;
  if (is(lang, "ru")) return 8;
  return 0;
}

int LanguageIndex() { return N().language; }

void InitNationalSettings() { InitNationalSettingsFor(EnvironmentLocale()); }

void InitNationalSettingsFor(std::string_view locale) {
  InitFrom(N(), locale);
  RefreshPattern();
}

char DecimalSeparator() { return N().decimal; }
char ThousandsSeparator() { return N().thousands; }
void SetDecimalSeparator(char c) { N().decimal = c; }
void SetThousandsSeparator(char c) { N().thousands = c; }

int DateFormat() { return N().date_format; }

void SetDateFormat(int format) {
  N().date_format = (format < 0 || format > 8) ? 0 : format;
  RefreshPattern();
}

bool CenturyOn() { return N().century; }

void SetCenturyOn(bool on) {
  N().century = on;
  RefreshPattern();
}

char DateSeparator() {
  switch (N().date_format) {
    case 0:
    case 2: return '/';
    case 3: return '-';
    default: return '.';
  }
}

int CenturyPivot() { return N().pivot; }
void SetCenturyPivotForTesting(int pivot) { N().pivot = pivot; }

void ApplyRegionalSettings(const RegionalSettings& settings) {
  National& n = N();
  n.decimal = SingleByte(settings.decimal_separator, '.');
  n.thousands = SingleByte(settings.thousands_separator, ',');
  const std::string& f = settings.short_date_format;
  std::string upper;
  for (char c : f) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  n.century = upper.find("YYYY") != std::string::npos;
  char sep = 0;
  for (char c : f) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u != 'D' && u != 'M' && u != 'Y') {
      sep = c;
      break;
    }
  }
  int format = 0;
  if (!upper.empty() && upper[0] == 'D') {
    if (sep == '-') format = 3;
    else if (sep == '.') format = 5;
    else if (sep == '/') format = 2;
  } else if (!upper.empty() && upper[0] == 'Y') {
    format = 1;
  }
  SetDateFormat(format);
}

int TableCodePage() { return LanguageIndex() == 8 ? 866 : 437; }

}  // namespace vz
