// Conversions between double and the 6-byte real.
#include "engine/real48.h"

#include <cmath>
#include <cstring>

namespace vz {

namespace {

constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr uint64_t kFractionMask = (uint64_t{1} << kFractionBits) - 1;

Real48 Make(int exponent, uint64_t fraction, bool negative) {
  Real48 r;
  r.bytes[0] = static_cast<uint8_t>(exponent);
  for (int i = 0; i < 5; ++i) r.bytes[1 + i] = static_cast<uint8_t>(fraction >> (8 * i));
  if (negative) r.bytes[5] |= 0x80;
  return r;
}

}  // namespace

bool Real48::FromDouble(double value, Real48* out) {
  if (std::isnan(value) || std::isinf(value)) return false;
  if (value == 0.0) {
    *out = Real48{};
    return true;
  }
  bool negative = std::signbit(value);
  int k;
  double m = std::frexp(std::fabs(value), &k);  // |value| = m * 2^k, m in [0.5, 1)
  // 53-bit integer mantissa with its top bit set: |value| = mant * 2^(k-53).
  uint64_t mant = static_cast<uint64_t>(std::ldexp(m, 53));
  int exponent = k - 1 + kBias;
  // Keep 40 bits (hidden bit + 39); round the dropped 13 to nearest, ties to even.
  constexpr int kDrop = 53 - 40;
  uint64_t kept = mant >> kDrop;
  uint64_t rest = mant & ((uint64_t{1} << kDrop) - 1);
  uint64_t half = uint64_t{1} << (kDrop - 1);
  if (rest > half || (rest == half && (kept & 1))) ++kept;
  if (kept >> 40) {  // rounding carried into a new top bit
    kept >>= 1;
    ++exponent;
  }
  if (exponent > 255) return false;
  if (exponent < 1) {
    // Below the smallest normal value: round to 0 or to the smallest.
    double smallest = std::ldexp(1.0, 1 - kBias);
    if (std::fabs(value) > smallest / 2) {
      *out = Make(1, 0, negative);
    } else {
      *out = Real48{};
    }
    return true;
  }
  *out = Make(exponent, kept & kFractionMask, negative);
  return true;
}

Real48 Real48::From(double value) {
  Real48 r;
  if (FromDouble(value, &r)) return r;
  if (std::isnan(value)) return Real48{};
  return Make(255, kFractionMask, value < 0);
}

double Real48::ToDouble() const {
  if (bytes[0] == 0) return 0.0;
  uint64_t fraction = 0;
  for (int i = 4; i >= 0; --i) fraction = (fraction << 8) | bytes[1 + i];
  bool negative = (fraction >> kFractionBits) & 1;
  fraction &= kFractionMask;
  double v = std::ldexp(static_cast<double>(fraction | (uint64_t{1} << kFractionBits)),
                        bytes[0] - kBias - kFractionBits);
  return negative ? -v : v;
}

Real48 Real48::Load(const void* p) {
  Real48 r;
  std::memcpy(r.bytes.data(), p, 6);
  return r;
}

void Real48::Store(void* p) const { std::memcpy(p, bytes.data(), 6); }

}  // namespace vz
