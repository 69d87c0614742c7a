// The 6-byte real: stored bytes of known values (worked out independently
// with exact rational arithmetic), narrowing from double, the range ends.
#include "engine/real48.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using Bytes = std::array<uint8_t, 6>;

TEST(Real48, KnownValuesHaveTheirBytesBothWays) {
  const struct { double value; Bytes bytes; } cases[] = {
      {1.0, {0x81, 0, 0, 0, 0, 0}}, {0.5, {0x80, 0, 0, 0, 0, 0}}, {-2.5, {0x82, 0, 0, 0, 0, 0xA0}},
      {1234.56, {0x8B, 0x1F, 0x85, 0xEB, 0x51, 0x1A}}, {9999999.99, {0x98, 0x71, 0xFD, 0x7F, 0x96, 0x18}},
      {1.7e38, {0xFF, 0x67, 0x3C, 0x9E, 0xC9, 0x7F}}, {0.0, {}}, {-0.0, {}},
      {vz::Real48::kMax, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}};  // exact: the largest value
  for (const auto& c : cases) {
    vz::Real48 r;
    r.bytes.fill(0xEE);
    ASSERT_TRUE(vz::Real48::FromDouble(c.value, &r));
    EXPECT_EQ(r.bytes, c.bytes) << c.value;
    // 40 significant bits: the relative error is at most 2^-40.
    EXPECT_NEAR(r.ToDouble(), c.value, std::fabs(c.value) * 0x1p-40);
  }
  vz::Real48 r;  // exponent 0 is zero whatever the other bytes
  r.bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};
  EXPECT_EQ(r.ToDouble(), 0.0);
  EXPECT_TRUE(vz::Real48::From(std::nan("")).IsZero());  // saturating, NaN is zero
}

// One unit in the last place near 1 is 2^-39; the smallest Real48 is 2^-128.
TEST(Real48, NarrowingRoundsToTheNearestFortyBitValueAndTinyOnesToZero) {
  const struct { double value, expected; } cases[] = {
      {1 + 0x1p-39, 1 + 0x1p-39}, {1 + 0x1p-41, 1.0}, {1 + 0x1p-40 + 0x1p-52, 1 + 0x1p-39},
      {1 + 0x1p-40, 1.0}, {1 + 0x1p-39 + 0x1p-40, 1 + 0x1p-38}, {2 - 0x1p-41, 2.0}, {0.1, 0x1.999999999ap-4},
      {0x1p-128, 0x1p-128}, {0x1.8p-129, 0x1p-128}, {0x1p-129, 0.0}, {1e-45, 0.0},
      {std::numeric_limits<double>::denorm_min(), 0.0}, {0x1.fffffffffffffp-129, 0x1p-128}};
  for (const auto& c : cases) {
    vz::Real48 r;
    ASSERT_TRUE(vz::Real48::FromDouble(c.value, &r));
    EXPECT_EQ(r.ToDouble(), c.expected) << c.value;
    EXPECT_EQ(vz::Real48::From(-c.value).ToDouble(), -c.expected) << c.value;
  }
}

}  // namespace
