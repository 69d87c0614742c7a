// The 6-byte real: stored bytes of known values (worked out independently
// with exact rational arithmetic), narrowing from double, the range ends.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/real48.h"

namespace {

using Bytes = std::array<uint8_t, 6>;

struct KnownPattern {
  double value;
  Bytes bytes;
};

class Real48Pattern : public ::testing::TestWithParam<KnownPattern> {};

TEST_P(Real48Pattern, StoresTheExpectedBytes) {
  const KnownPattern& p = GetParam();
  vz::Real48 r;
  ASSERT_TRUE(vz::Real48::FromDouble(p.value, &r));
  EXPECT_EQ(r.bytes, p.bytes);
}

TEST_P(Real48Pattern, BytesReadBackAsTheNearestValue) {
  const KnownPattern& p = GetParam();
  vz::Real48 r;
  r.bytes = p.bytes;
  // 40 significant bits: the relative error is at most 2^-40.
  EXPECT_NEAR(r.ToDouble(), p.value, std::fabs(p.value) * 0x1p-40);
  EXPECT_EQ(vz::Real48::From(r.ToDouble()).bytes, p.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    KnownValues, Real48Pattern,
    ::testing::Values(KnownPattern{1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x00}},
                      KnownPattern{0.5, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00}},
                      KnownPattern{-2.5, {0x82, 0x00, 0x00, 0x00, 0x00, 0xA0}},
                      KnownPattern{1234.56, {0x8B, 0x1F, 0x85, 0xEB, 0x51, 0x1A}},
                      KnownPattern{9999999.99, {0x98, 0x71, 0xFD, 0x7F, 0x96, 0x18}},
                      KnownPattern{1.7e38, {0xFF, 0x67, 0x3C, 0x9E, 0xC9, 0x7F}}));

TEST(Real48, ZeroHasAllBytesZeroWhateverItsSign) {
  for (double zero : {0.0, -0.0}) {
    vz::Real48 r;
    r.bytes.fill(0xEE);
    ASSERT_TRUE(vz::Real48::FromDouble(zero, &r));
    EXPECT_EQ(r.bytes, Bytes{});
    EXPECT_TRUE(r.IsZero());
  }
  vz::Real48 r;  // and exponent 0 is zero whatever the other bytes
  r.bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};
  EXPECT_EQ(r.ToDouble(), 0.0);
}

// A small deterministic generator, so a failure names a reproducible case.
uint64_t Next(uint64_t* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return *state >> 11;
}

TEST(Real48, EveryStoredValueSurvivesARoundTripThroughDouble) {
  uint64_t state = 42;
  for (int i = 0; i < 200000; ++i) {
    vz::Real48 r;
    uint64_t bits = Next(&state);
    for (int b = 0; b < 6; ++b) r.bytes[static_cast<size_t>(b)] = static_cast<uint8_t>(bits >> (8 * b));
    if (r.bytes[0] == 0) r.bytes[0] = 1;
    vz::Real48 back;
    ASSERT_TRUE(vz::Real48::FromDouble(r.ToDouble(), &back)) << i;
    ASSERT_EQ(back.bytes, r.bytes) << i;
  }
}

TEST(Real48, CentAmountsKeepTheirCentsThroughTheRealType) {
  // Amounts up to the amount field's limit must come back to the same cents.
  for (int64_t cents = 0; cents <= 999999999; cents += 9973) {
    double amount = static_cast<double>(cents) / 100.0;
    double back = vz::Real48::From(amount).ToDouble();
    ASSERT_EQ(std::llround(back * 100.0), cents) << amount;
  }
}

struct Narrowing {
  const char* name;
  double value;
  double expected;
};

class Real48Narrowing : public ::testing::TestWithParam<Narrowing> {};

TEST_P(Real48Narrowing, RoundsToTheNearestFortyBitValue) {
  const Narrowing& n = GetParam();
  EXPECT_EQ(vz::Real48::From(n.value).ToDouble(), n.expected) << n.name;
  EXPECT_EQ(vz::Real48::From(-n.value).ToDouble(), -n.expected) << n.name;
}

// One unit in the last place of a Real48 near 1 is 2^-39.
INSTANTIATE_TEST_SUITE_P(
    Cases, Real48Narrowing,
    ::testing::Values(Narrowing{"exact", 1 + 0x1p-39, 1 + 0x1p-39},
                      Narrowing{"below half drops", 1 + 0x1p-41, 1.0},
                      Narrowing{"above half carries", 1 + 0x1p-40 + 0x1p-52, 1 + 0x1p-39},
                      Narrowing{"tie to even stays", 1 + 0x1p-40, 1.0},
                      Narrowing{"tie to even rises", 1 + 0x1p-39 + 0x1p-40, 1 + 0x1p-38},
                      Narrowing{"carry into the exponent", 2 - 0x1p-41, 2.0},
                      Narrowing{"one tenth", 0.1, 0x1.999999999ap-4}),
    [](const ::testing::TestParamInfo<Narrowing>& info) {
      std::string s = info.param.name;
      for (char& c : s) {
        if (c == ' ') c = '_';
      }
      return s;
    });

TEST(Real48, LargestValueIsExactAndOneStepBeyondOverflows) {
  vz::Real48 r;
  ASSERT_TRUE(vz::Real48::FromDouble(vz::Real48::kMax, &r));
  EXPECT_EQ(r.bytes, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(r.ToDouble(), vz::Real48::kMax);

  vz::Real48 untouched;
  untouched.bytes = {1, 2, 3, 4, 5, 6};
  for (double too_big : {0x1p128, -0x1p128, 1e300, std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::nan("")}) {
    vz::Real48 out = untouched;
    EXPECT_FALSE(vz::Real48::FromDouble(too_big, &out)) << too_big;
    EXPECT_EQ(out, untouched) << too_big;
  }
}

TEST(Real48, SaturatingConversionKeepsTheSignAndTurnsNaNIntoZero) {
  EXPECT_EQ(vz::Real48::From(1e300).ToDouble(), vz::Real48::kMax);
  EXPECT_EQ(vz::Real48::From(-1e300).ToDouble(), -vz::Real48::kMax);
  EXPECT_EQ(vz::Real48::From(std::numeric_limits<double>::infinity()).ToDouble(), vz::Real48::kMax);
  EXPECT_TRUE(vz::Real48::From(std::nan("")).IsZero());
}

struct Underflow {
  double value;
  double expected;
};

class Real48Underflow : public ::testing::TestWithParam<Underflow> {};

TEST_P(Real48Underflow, TinyMagnitudesGoToZeroOrTheSmallestValue) {
  const Underflow& u = GetParam();
  vz::Real48 r;
  ASSERT_TRUE(vz::Real48::FromDouble(u.value, &r));
  EXPECT_EQ(r.ToDouble(), u.expected);
  ASSERT_TRUE(vz::Real48::FromDouble(-u.value, &r));
  EXPECT_EQ(r.ToDouble(), -u.expected);
}

// The smallest Real48 is 2^-128 (exponent byte 1).
INSTANTIATE_TEST_SUITE_P(Cases, Real48Underflow,
                         ::testing::Values(Underflow{0x1p-128, 0x1p-128},
                                           Underflow{0x1.8p-129, 0x1p-128},
                                           Underflow{0x1p-129, 0.0},
                                           Underflow{1e-45, 0.0},
                                           Underflow{std::numeric_limits<double>::denorm_min(), 0.0},
                                           Underflow{0x1.fffffffffffffp-129, 0x1p-128}));

TEST(Real48, LoadAndStoreWorkAtUnalignedAddresses) {
  uint8_t buffer[16] = {};
  vz::Real48 r = vz::Real48::From(-1234.56);
  r.Store(buffer + 3);
  EXPECT_EQ(buffer[2], 0);
  EXPECT_EQ(buffer[9], 0);
  EXPECT_EQ(vz::Real48::Load(buffer + 3), r);
}

}  // namespace
