// The engine's 6-byte real: the numeric type of the typed field buffer, of
// amounts before they are spelled out or stored.
//
//   byte 0     exponent e, biased by 129; e == 0 means the value 0
//   bytes 1-5  39-bit fraction f from the low byte up; the top bit of
//              byte 5 is the sign s
//   value      (-1)^s * 2^(e - 129) * (1 + f / 2^39)
//
// Every Real48 is exactly a double; a double is narrowed to the nearest
// Real48 (ties to the even fraction). The range is about 2.9E-39 to 1.7E38.
#ifndef QUILLPRINT_ENGINE_REAL48_H_
#define QUILLPRINT_ENGINE_REAL48_H_

#include <array>
#include <cstdint>

namespace vz {

struct Real48 {
  std::array<uint8_t, 6> bytes{};  // the stored form, as in the field buffer

  // The nearest Real48. Magnitudes too small for the type become 0; too
  // large ones, infinities and NaN give false and leave *out alone.
  static bool FromDouble(double value, Real48* out);
  // The same, saturating: overflow gives the largest Real48 of that sign,
  // NaN gives 0.
  static Real48 From(double value);

  double ToDouble() const;
  bool IsZero() const { return bytes[0] == 0; }

  // Reads and writes the six bytes at an address (field buffer slots are
  // not aligned).
  static Real48 Load(const void* p);
  void Store(void* p) const;

  // The largest value: exponent byte 255, every fraction bit set.
  static constexpr double kMax = 0x1.fffffffffep+126;  // 2^126 * (2 - 2^-39)

  bool operator==(const Real48&) const = default;
};

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_REAL48_H_
