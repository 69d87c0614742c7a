// E-13B shapes: drawn as 7 x 9 square maps ('#' is a filled 0.013-inch
// square), turned into rectangles once.
//
// The digits keep the look of E-13B: upright strokes of one or two squares,
// the lower strokes heavier than the upper ones (the 1, 2, 3, 5, 7 and 9 end
// in thick stems or feet), corners of the 0 left open. Symbols are bars and
// squares only.
#include "output/micr.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

namespace qp {

namespace {

struct GlyphMap {
  char code;
  std::array<std::string_view, kMicrGridRows> rows;
};

// clang-format off
constexpr GlyphMap kGlyphMaps[] = {
    {'0', {".#####.",
           "##...##",
           "##...##",
           "##...##",
           "##...##",
           "##...##",
           "##...##",
           "##...##",
           ".#####."}},
    {'1', {".###...",
           "...#...",
           "...#...",
           "...#...",
           "...#...",
           "..####.",
           "..####.",
           "..####.",
           "..####."}},
    {'2', {"#####..",
           "....#..",
           "....#..",
           "....#..",
           "#####..",
           "##.....",
           "##.....",
           "##.....",
           "######."}},
    {'3', {"#####..",
           "....#..",
           "....#..",
           ".####..",
           "....##.",
           "....##.",
           "....##.",
           "....##.",
           "######."}},
    {'4', {"##.....",
           "##.....",
           "##.....",
           "##..##.",
           "##..##.",
           "#######",
           "....##.",
           "....##.",
           "....##."}},
    {'5', {"#####..",
           "#......",
           "#......",
           "#......",
           "#####..",
           "...###.",
           "...###.",
           "...###.",
           "######."}},
    {'6', {"##.....",
           "##.....",
           "##.....",
           "##.....",
           "######.",
           "##...#.",
           "##...#.",
           "##...#.",
           "######."}},
    {'7', {"######.",
           ".....#.",
           ".....#.",
           ".....#.",
           "....##.",
           "...###.",
           "...###.",
           "...###.",
           "...###."}},
    {'8', {".####..",
           ".#..#..",
           ".#..#..",
           ".####..",
           "##..##.",
           "##..##.",
           "##..##.",
           "##..##.",
           "######."}},
    {'9', {"######.",
           "#...##.",
           "#...##.",
           "#...##.",
           "######.",
           "...###.",
           "...###.",
           "...###.",
           "...###."}},
    // Transit: a full bar with two squares beside it.
    {'A', {"##.....",
           "##..##.",
           "##..##.",
           "##.....",
           "##.....",
           "##.....",
           "##..##.",
           "##..##.",
           "##....."}},
    // Amount: a thin bar between two squares at opposite corners.
    {'B', {"...#.##",
           "...#.##",
           "...#...",
           "...#...",
           "...#...",
           "...#...",
           "...#...",
           "##.#...",
           "##.#..."}},
    // On-us: a full bar, a long upper bar and a lower square.
    {'C', {"##..##.",
           "##..##.",
           "##..##.",
           "##..##.",
           "##..##.",
           "##.....",
           "##.....",
           "##..##.",
           "##..##."}},
    // Dash: two short bars stepping down from right to left.
    {'D', {".......",
           ".......",
           "....###",
           "....###",
           ".......",
           "###....",
           "###....",
           ".......",
           "......."}},
};
// clang-format on

// Horizontal runs of each row, a run extended downwards while the next row
// has exactly the same run: few rectangles, none overlapping.
std::vector<MicrRect> ToRects(const GlyphMap& map) {
  std::vector<MicrRect> rects;
  std::vector<size_t> open;  // rects that end at the previous row
  for (int y = 0; y < kMicrGridRows; ++y) {
    std::vector<size_t> now;
    std::string_view row = map.rows[static_cast<size_t>(y)];
    for (int x = 0; x < kMicrGridColumns;) {
      if (row[static_cast<size_t>(x)] != '#') {
        ++x;
        continue;
      }
      int end = x;
      while (end < kMicrGridColumns && row[static_cast<size_t>(end)] == '#') ++end;
      bool extended = false;
      for (size_t i : open) {
        if (rects[i].x == x && rects[i].width == end - x) {
          ++rects[i].height;
          now.push_back(i);
          extended = true;
          break;
        }
      }
      if (!extended) {
        rects.push_back(MicrRect{x, y, end - x, 1});
        now.push_back(rects.size() - 1);
      }
      x = end;
    }
    open = std::move(now);
  }
  return rects;
}

struct GlyphTable {
  std::array<std::vector<MicrRect>, 256> by_code;
  GlyphTable() {
    for (const GlyphMap& map : kGlyphMaps) {
      by_code[static_cast<unsigned char>(map.code)] = ToRects(map);
    }
    by_code[static_cast<unsigned char>('-')] = by_code[static_cast<unsigned char>('D')];
  }
};

const GlyphTable& Table() {
  static const GlyphTable table;
  return table;
}

}  // namespace

const std::vector<MicrRect>& MicrGlyph(char c) {
  return Table().by_code[static_cast<unsigned char>(c)];
}

bool IsMicrCharacter(char c) { return !MicrGlyph(c).empty(); }

}  // namespace qp
