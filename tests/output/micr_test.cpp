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

constexpr char kMicrCharacters[] = "0123456789ABCD";

using Mask = std::bitset<qp::kMicrGridColumns * qp::kMicrGridRows>;

// The squares a glyph fills; fails the test on overlap or on a square
// outside the grid.
Mask Rasterize(char c) {
  Mask mask;
  for (const qp::MicrRect& r : qp::MicrGlyph(c)) {
    EXPECT_GT(r.width, 0) << c;
    EXPECT_GT(r.height, 0) << c;
    EXPECT_GE(r.x, 0) << c;
    EXPECT_GE(r.y, 0) << c;
    EXPECT_LE(r.x + r.width, qp::kMicrGridColumns) << c;
    EXPECT_LE(r.y + r.height, qp::kMicrGridRows) << c;
    for (int y = r.y; y < r.y + r.height && y < qp::kMicrGridRows; ++y) {
      for (int x = r.x; x < r.x + r.width && x < qp::kMicrGridColumns; ++x) {
        if (x < 0 || y < 0) continue;
        const size_t bit = static_cast<size_t>(y * qp::kMicrGridColumns + x);
        EXPECT_FALSE(mask.test(bit)) << c << " fills square " << x << "," << y << " twice";
        mask.set(bit);
      }
    }
  }
  return mask;
}

class MicrGlyphTest : public ::testing::TestWithParam<char> {};

// Enough ink to be read and never a filled block; the digits and framing
// symbols stand the full height, the dash floats clear of top and bottom.
TEST_P(MicrGlyphTest, FillsItsGridOnceEachAtItsHeight) {
  const char c = GetParam();
  ASSERT_TRUE(qp::IsMicrCharacter(c));
  const Mask mask = Rasterize(c);
  EXPECT_GE(mask.count(), 8u) << c;
  EXPECT_LT(mask.count(), mask.size() * 3 / 4) << c;
  int top = qp::kMicrGridRows;
  int bottom = -1;
  for (size_t bit = 0; bit < mask.size(); ++bit) {
    if (!mask.test(bit)) continue;
    top = std::min(top, static_cast<int>(bit) / qp::kMicrGridColumns);
    bottom = std::max(bottom, static_cast<int>(bit) / qp::kMicrGridColumns);
  }
  if (c == 'D') {
    EXPECT_GT(top, 0);
    EXPECT_LT(bottom, qp::kMicrGridRows - 1);
  } else {
    EXPECT_EQ(top, 0) << c;
    EXPECT_EQ(bottom, qp::kMicrGridRows - 1) << c;
  }
}

INSTANTIATE_TEST_SUITE_P(E13B, MicrGlyphTest,
                         ::testing::ValuesIn(std::vector<char>(kMicrCharacters,
                                                               kMicrCharacters + 14)),
                         [](const ::testing::TestParamInfo<char>& info) {
                           return std::string("Char_") + info.param;
                         });

TEST(MicrShapesTest, FourteenCharactersHaveFourteenDistinctShapes) {
  std::vector<Mask> masks;
  for (const char* p = kMicrCharacters; *p; ++p) masks.push_back(Rasterize(*p));
  for (size_t i = 0; i < masks.size(); ++i) {
    for (size_t j = i + 1; j < masks.size(); ++j) {
      EXPECT_NE(masks[i], masks[j]) << kMicrCharacters[i] << " and " << kMicrCharacters[j];
    }
  }
}

TEST(MicrShapesTest, HyphenPrintsTheDashSymbol) {
  EXPECT_EQ(Rasterize('-'), Rasterize('D'));
}

TEST(MicrShapesTest, CharactersOutsideTheSetHaveNoShape) {
  for (char c : std::string(" abcdEFZ+./:#$@\t") + '\0' + '\x7f' + '\x80' + '\xff') {
    EXPECT_FALSE(qp::IsMicrCharacter(c)) << static_cast<int>(static_cast<unsigned char>(c));
    EXPECT_TRUE(qp::MicrGlyph(c).empty());
  }
}

}  // namespace
