// Printer offsets: printers feed paper a little differently, and check paper
// with perforations needs the whole check moved by a millimetre or two. An
// offset moves every item of the layout by the same distance; each printer
// has its own, kept in the program's INI file.
//
// In the INI file one section per printer, the offsets in millimetres:
//
//   [Printer Offsets HP_LaserJet_4]
//   Horizontal=1.5 mm        (to the right; negative: to the left)
//   Vertical=-0.8 mm         (down; negative: up)
//
// and the unit the dialog shows them in:
//
//   [Printer Offsets]
//   Units=mm                 ("in" or "mm")
//
// Characters an INI name cannot hold ("%", "[", "]", "=", ";", "#",
// blanks and control characters) are written as "%XX" in the section name.
// A missing entry, or one that is not a number, reads as 0; a value beyond
// one inch reads as one inch.
//
// Plain C++.
#ifndef QUILLPRINT_OUTPUT_PRINTEROFFSET_H_
#define QUILLPRINT_OUTPUT_PRINTEROFFSET_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "output/checklayout.h"
#include "platform/ini.h"

namespace qp {

inline constexpr int kMicronsPerInch = 25400;
// The furthest an offset moves the check, either way: one inch.
inline constexpr int kMaxPrinterOffsetMicrons = kMicronsPerInch;

// Micrometres hold whole millimetres with three decimals and whole
// thousandths of an inch (25.4) without surprise.
struct PrinterOffset {
  int horizontal_um = 0;  // to the right
  int vertical_um = 0;    // down

  bool IsZero() const { return horizontal_um == 0 && vertical_um == 0; }
  friend bool operator==(const PrinterOffset&, const PrinterOffset&) = default;
};

// `microns` at `pixels_per_inch`, rounded to the nearest device pixel.
int OffsetPixels(int microns, int pixels_per_inch);

// Moves every item by the offset in the printer's device pixels. A zero
// offset leaves the items exactly as they are.
void ApplyPrinterOffset(std::vector<DrawItem>* items, const PrinterOffset& offset,
                        const PrinterFigures& printer);

// Clamps each distance to +/- kMaxPrinterOffsetMicrons.
PrinterOffset ClampPrinterOffset(const PrinterOffset& offset);

enum class OffsetUnit { kInches, kMillimetres };

// The section holding a printer's offsets: "Printer Offsets " and the
// printer's name with the characters an INI name cannot hold as "%XX".
std::string PrinterOffsetSection(std::string_view printer);

// The printer's stored offset (zero when none is stored).
PrinterOffset ReadPrinterOffset(const plat::IniFile& ini, std::string_view printer);

// The unit stored for the dialog, `def` when none is.
OffsetUnit ReadOffsetUnit(const plat::IniFile& ini, OffsetUnit def);

// Stores the offsets of several printers and the unit in one replacement
// of the file; 0 or the error code of the INI layer, the file as it was on
// failure. Offsets are clamped first.
int WritePrinterOffsets(plat::IniFile& ini, const std::map<std::string, PrinterOffset>& offsets,
                        OffsetUnit unit);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_PRINTEROFFSET_H_
