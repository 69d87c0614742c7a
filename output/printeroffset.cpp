// Printer offsets: device pixels, and the INI entries by printer name.
#include "output/printeroffset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "engine/textutil.h"

namespace qp {

namespace {

constexpr char kSectionPrefix[] = "Printer Offsets";
constexpr char kHorizontalKey[] = "Horizontal";
constexpr char kVerticalKey[] = "Vertical";
constexpr char kUnitsKey[] = "Units";
constexpr int kMicronsPerMillimetre = 1000;

bool NeedsEscape(unsigned char c) {
  return c <= 0x20 || c == 0x7F || c == '%' || c == '[' || c == ']' || c == '=' || c == ';' ||
         c == '#';
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return vz::ToLowerAscii(text.substr(text.size() - suffix.size())) == suffix;
}

// "1.5 mm", "-0.04 in" or a bare number of millimetres, in micrometres;
// false for anything else.
bool ParseDistance(std::string_view text, int* microns) {
  std::string value = vz::TrimBoth(text);
  double scale = kMicronsPerMillimetre;
  if (EndsWithNoCase(value, "mm")) {
    value = vz::TrimRight(std::string_view(value).substr(0, value.size() - 2));
  } else if (EndsWithNoCase(value, "in")) {
    value = vz::TrimRight(std::string_view(value).substr(0, value.size() - 2));
    scale = kMicronsPerInch;
  }
  if (!value.empty() && value.front() == '+') value.erase(0, 1);
  if (value.empty()) return false;
  double number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, ec] = std::from_chars(value.data(), end, number, std::chars_format::fixed);
  if (ec != std::errc() || stop != end || !std::isfinite(number)) return false;
  const double um = std::round(number * scale);
  *microns = static_cast<int>(std::clamp(um, double{-kMaxPrinterOffsetMicrons},
                                         double{kMaxPrinterOffsetMicrons}));
  return true;
}

// Micrometres as millimetres with at most three decimals: 1500 -> "1.5 mm".
std::string MillimetreText(int microns) {
  const int64_t magnitude = std::abs(int64_t{microns});
  std::string text = microns < 0 ? "-" : "";
  text += std::to_string(magnitude / kMicronsPerMillimetre);
  std::string decimals = std::to_string(magnitude % kMicronsPerMillimetre + kMicronsPerMillimetre).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (!decimals.empty()) text += "." + decimals;
  return text + " mm";
}

int ReadDistance(const plat::IniFile& ini, const std::string& section, const char* key) {
  std::string text;
  int microns = 0;
  if (!ini.ReadValue(section, key, &text) || !ParseDistance(text, &microns)) return 0;
  return microns;
}

}  // namespace

int OffsetPixels(int microns, int pixels_per_inch) {
  return static_cast<int>(std::llround(static_cast<double>(microns) * pixels_per_inch / kMicronsPerInch));
}

void ApplyPrinterOffset(std::vector<DrawItem>* items, const PrinterOffset& offset,
                        const PrinterFigures& printer) {
  const int dx = OffsetPixels(offset.horizontal_um, printer.pixels_per_inch_x);
  const int dy = OffsetPixels(offset.vertical_um, printer.pixels_per_inch_y);
  for (DrawItem& item : *items) {
    item.x += dx;
    item.y += dy;
  }
}

PrinterOffset ClampPrinterOffset(const PrinterOffset& offset) {
  return PrinterOffset{
      std::clamp(offset.horizontal_um, -kMaxPrinterOffsetMicrons, kMaxPrinterOffsetMicrons),
      std::clamp(offset.vertical_um, -kMaxPrinterOffsetMicrons, kMaxPrinterOffsetMicrons)};
}

std::string PrinterOffsetSection(std::string_view printer) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string section = std::string(kSectionPrefix) + " ";
  // Never the bare prefix, which names the section of the unit.
  if (printer.empty()) return section + "%";
  for (char ch : printer) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c)) {
      section += '%';
      section += kHex[c >> 4];
      section += kHex[c & 0xF];
    } else {
      section += ch;
    }
  }
  return section;
}

PrinterOffset ReadPrinterOffset(const plat::IniFile& ini, std::string_view printer) {
  const std::string section = PrinterOffsetSection(printer);
  return PrinterOffset{ReadDistance(ini, section, kHorizontalKey),
                       ReadDistance(ini, section, kVerticalKey)};
}

OffsetUnit ReadOffsetUnit(const plat::IniFile& ini, OffsetUnit def) {
  const std::string unit = vz::ToLowerAscii(vz::TrimBoth(ini.ReadString(kSectionPrefix, kUnitsKey, "")));
  if (unit == "mm") return OffsetUnit::kMillimetres;
  if (unit == "in") return OffsetUnit::kInches;
  return def;
}

int WritePrinterOffsets(plat::IniFile& ini, const std::map<std::string, PrinterOffset>& offsets,
                        OffsetUnit unit) {
  std::vector<plat::IniEntry> entries;
  entries.push_back({kSectionPrefix, kUnitsKey, unit == OffsetUnit::kMillimetres ? "mm" : "in"});
  for (const auto& [printer, offset] : offsets) {
    const PrinterOffset clamped = ClampPrinterOffset(offset);
    const std::string section = PrinterOffsetSection(printer);
    entries.push_back({section, kHorizontalKey, MillimetreText(clamped.horizontal_um)});
    entries.push_back({section, kVerticalKey, MillimetreText(clamped.vertical_um)});
  }
  return ini.WriteValues(entries);
}

}  // namespace qp
