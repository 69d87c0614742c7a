// The E-13B shapes: every character inside its 7 x 9 grid of 0.013-inch
// squares, rectangles that neither overlap nor stay empty, full-height digits,
// fourteen distinct shapes, and nothing for characters outside the set.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <string>
#include <vector>

#include "output/micr.h"

namespace {

constexpr int kCols = qp::kMicrGridColumns, kRows = qp::kMicrGridRows;
using Mask = std::bitset<kCols * kRows>;

// The squares a glyph fills; fails the test on overlap or on a square
// outside the grid.
Mask Rasterize(char c) {
  Mask mask;
  for (const qp::MicrRect& r : qp::MicrGlyph(c)) {
    EXPECT_TRUE(r.width > 0 && r.height > 0 && r.x >= 0 && r.y >= 0 && r.x + r.width <= kCols &&
                r.y + r.height <= kRows)
        << c << " has a rectangle at " << r.x << "," << r.y << " of " << r.width << "x" << r.height;
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, kRows); ++y) {
      for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, kCols); ++x) {
        EXPECT_FALSE(mask.test(y * kCols + x)) << c << " fills square " << x << "," << y << " twice";
        mask.set(y * kCols + x);
      }
    }
  }
  return mask;
}

// Enough ink to be read and never a filled block; the digits and framing
// symbols stand the full height, the dash floats clear of top and bottom.
// No two of the fourteen look alike, '-' prints the dash, and characters
// outside the set have no shape.
TEST(MicrShapesTest, FourteenDistinctShapesFillTheirGridOnceEachAtTheirHeight) {
  const std::string set = "0123456789ABCD";
  const Mask top_row(Mask().set() >> (kCols * (kRows - 1))), bottom_row = top_row << kCols * (kRows - 1);
  std::vector<Mask> masks;
  for (char c : set) {
    ASSERT_TRUE(qp::IsMicrCharacter(c)) << c;
    const Mask mask = Rasterize(c);
    EXPECT_GE(mask.count(), 8u) << c;
    EXPECT_LT(mask.count(), mask.size() * 3 / 4) << c;
    EXPECT_EQ((mask & top_row).any(), c != 'D') << c;
    EXPECT_EQ((mask & bottom_row).any(), c != 'D') << c;
    for (size_t j = 0; j < masks.size(); ++j) EXPECT_NE(masks[j], mask) << set[j] << " and " << c;
    masks.push_back(mask);
  }
  EXPECT_EQ(Rasterize('-'), masks.back());
  for (char c : std::string(" abcdEFZ+./:#$@\t") + '\0' + '\x7f' + '\x80' + '\xff') {
    EXPECT_FALSE(qp::IsMicrCharacter(c)) << static_cast<int>(static_cast<unsigned char>(c));
    EXPECT_TRUE(qp::MicrGlyph(c).empty());
  }
}

}  // namespace
