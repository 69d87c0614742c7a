// The typed field buffer: the copy of the current record through which
// callers read and write values, and small helpers for its slots.
//
// Layout: byte 0 is the deleted flag (0 live, non-zero deleted); then one
// slot per field in field order, with no gaps:
//
//   type                     slot bytes        content
//   C                        length + 1        counted text: length byte, then
//                                              up to `length` characters
//   D                        length + 3        counted text of the date in the
//                            (11 for 8)        DateFormat form, 8 characters
//                                              or 10 with CenturyOn
//   N, F with decimals > 0   6                 6-byte real (engine/real48.h)
//   N, F with decimals = 0   4                 signed 32-bit integer
//   L                        1                 0 false, 1 true
//   M                        4                 memo block number, signed 32-bit
//
// Integers are little-endian and slots are not aligned: read and write them
// through these helpers (or memcpy), never through a cast pointer.
#ifndef QUILLPRINT_ENGINE_FIELDBUF_H_
#define QUILLPRINT_ENGINE_FIELDBUF_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vz {

// Bytes of a field's slot by the rule above (0 for a type outside it).
uint16_t SlotSize(char type, uint8_t length, uint8_t decimals);

inline int32_t SlotInt32(const uint8_t* slot) {
  uint32_t v = uint32_t{slot[0]} | uint32_t{slot[1]} << 8 | uint32_t{slot[2]} << 16 |
               uint32_t{slot[3]} << 24;
  return static_cast<int32_t>(v);
}

inline void SetSlotInt32(uint8_t* slot, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  slot[0] = static_cast<uint8_t>(v);
  slot[1] = static_cast<uint8_t>(v >> 8);
  slot[2] = static_cast<uint8_t>(v >> 16);
  slot[3] = static_cast<uint8_t>(v >> 24);
}

// The counted text of a slot, at most `capacity` characters whatever its
// length byte says.
inline std::string SlotText(const uint8_t* slot, size_t capacity) {
  size_t n = slot[0] < capacity ? slot[0] : capacity;
  return std::string(reinterpret_cast<const char*>(slot + 1), n);
}

// Stores a counted text, cut to `capacity` characters.
inline void SetSlotText(uint8_t* slot, size_t capacity, std::string_view text) {
  size_t n = text.size() < capacity ? text.size() : capacity;
  if (n > 255) n = 255;
  slot[0] = static_cast<uint8_t>(n);
  std::memcpy(slot + 1, text.data(), n);
}

// ---- by field number, in the current work area --------------------------------
// Each looks the slot up with FieldAddress (so an invalid number or a missing
// table sets its error) and does nothing, or gives 0 / "", when the field's
// type does not have that kind of slot.

// C and D fields.
std::string GetFieldText(int n);
void SetFieldText(int n, std::string_view text);
// N and F fields, either slot kind. When the record read holds a number
// the slot cannot (beyond 32 bits for an integer slot, beyond the 6-byte
// real's range) and the slot was not set since, code 201 "Value out of
// range: <field> = <stored text> [GetFieldNumber(<n>)]" and the stored
// number.
double GetFieldNumber(int n);
void SetFieldNumber(int n, double value);
// L fields.
bool GetFieldLogical(int n);
void SetFieldLogical(int n, bool value);
// M fields: the memo block number.
int32_t GetFieldMemo(int n);
void SetFieldMemo(int n, int32_t block);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_FIELDBUF_H_
