// E-13B character shapes for the MICR line, used when no MICR font is
// installed (the usual case on this platform).
//
// Geometry after ISO 1004-1 and ANSI X9.100-160 (formerly X9.27), the E-13B
// standards: every character is drawn on a grid of 0.013-inch squares,
// 7 squares wide and 9 high (0.091 by 0.117 inch), within a character cell
// of 1/8 inch (8 characters per inch), all characters standing on one
// baseline. The shapes on that grid are our own drawing of the fourteen
// E-13B characters: the digits 0 to 9 with their heavy lower strokes, and the
// transit, amount, on-us and dash symbols built from bars and squares.
//
// Plain data and C++ only; output/qt fills the rectangles on a painter.
#ifndef QUILLPRINT_OUTPUT_MICR_H_
#define QUILLPRINT_OUTPUT_MICR_H_

#include <vector>

namespace qp {

inline constexpr double kMicrModuleInches = 0.013;
inline constexpr int kMicrGridColumns = 7;
inline constexpr int kMicrGridRows = 9;
inline constexpr double kMicrCharacterHeightInches = kMicrGridRows * kMicrModuleInches;  // 0.117
inline constexpr double kMicrPitchInches = 0.125;

// A filled rectangle of a character in grid squares: x to the right from the
// cell's left edge, y down from the top of the character.
struct MicrRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The shape of `c` as rectangles on the grid that neither overlap nor leave
// seams: '0' to '9'; 'A' transit, 'B' amount, 'C' on-us and 'D' dash, the
// letters a MICR font puts these symbols on; '-' is the dash as well, for
// account numbers typed with dashes. Any other character (the blank among
// them) has no shape and an empty list: it only takes its cell.
const std::vector<MicrRect>& MicrGlyph(char c);

// Whether `c` has an E-13B shape.
bool IsMicrCharacter(char c);

}  // namespace qp

#endif  // QUILLPRINT_OUTPUT_MICR_H_
