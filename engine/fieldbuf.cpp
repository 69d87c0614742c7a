// Typed access to the field buffer's slots by field number.
#include "engine/fieldbuf.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "engine/dbf_p.h"
#include "engine/errors.h"
#include "engine/real48.h"
#include "engine/textutil.h"

namespace vz {

namespace {

// The slot of field n when its kind is one of `kinds`; *capacity gets the
// characters a text slot holds.
uint8_t* SlotFor(int n, std::initializer_list<FieldKind> kinds, size_t* capacity = nullptr) {
  uint8_t* slot = FieldAddress(n);
  if (!slot || n == 0) return nullptr;
  const FieldPlan& f = CurrentWorkArea()->plan[static_cast<size_t>(n - 1)];
  for (FieldKind k : kinds) {
    if (f.kind == k) {
      if (capacity) *capacity = SlotSize(k == FieldKind::kDate ? 'D' : 'C', f.length, 0) - 1u;
      return slot;
    }
  }
  return nullptr;
}

}  // namespace

std::string GetFieldText(int n) {
  size_t capacity = 0;
  uint8_t* slot = SlotFor(n, {FieldKind::kChar, FieldKind::kDate}, &capacity);
  return slot ? SlotText(slot, capacity) : std::string();
}

void SetFieldText(int n, std::string_view text) {
  size_t capacity = 0;
  uint8_t* slot = SlotFor(n, {FieldKind::kChar, FieldKind::kDate}, &capacity);
  if (slot) SetSlotText(slot, capacity, text);
}

double GetFieldNumber(int n) {
  uint8_t* slot = SlotFor(n, {FieldKind::kReal, FieldKind::kInteger});
  if (!slot) return 0;
  TWorkArea& wa = *CurrentWorkArea();
  const size_t index = static_cast<size_t>(n - 1);
  const FieldPlan& f = wa.plan[index];
  // A number another program stored that the slot cannot hold (an integer
  // beyond 32 bits reads as 0 there, a real beyond the 6-byte range as the
  // largest one): the caller learns of it, with the number the file holds.
  double stored = 0;
  if (SlotAsRead(wa, index) && StoredNumberOverflows(f, wa.record.data(), &stored)) {
    SetError(201, "Value out of range: " + wa.fields[index].Name() + " = " +
                      TrimBoth(std::string_view(reinterpret_cast<const char*>(wa.record.data() + f.record_offset),
                                                f.length)) +
                      " [GetFieldNumber(" + std::to_string(n) + ")]");
    return stored;
  }
  if (f.kind == FieldKind::kReal) return Real48::Load(slot).ToDouble();
  return SlotInt32(slot);
}

void SetFieldNumber(int n, double value) {
  if (uint8_t* slot = SlotFor(n, {FieldKind::kReal})) {
    Real48::From(value).Store(slot);
  } else if (uint8_t* slot = SlotFor(n, {FieldKind::kInteger})) {
    double r = std::round(value);
    if (std::isnan(r)) r = 0;
    r = std::clamp(r, double{INT32_MIN}, double{INT32_MAX});
    SetSlotInt32(slot, static_cast<int32_t>(r));
  }
}

bool GetFieldLogical(int n) {
  uint8_t* slot = SlotFor(n, {FieldKind::kLogical});
  return slot && slot[0] != 0;
}

void SetFieldLogical(int n, bool value) {
  if (uint8_t* slot = SlotFor(n, {FieldKind::kLogical})) slot[0] = value ? 1 : 0;
}

int32_t GetFieldMemo(int n) {
  uint8_t* slot = SlotFor(n, {FieldKind::kMemo});
  return slot ? SlotInt32(slot) : 0;
}

void SetFieldMemo(int n, int32_t block) {
  if (uint8_t* slot = SlotFor(n, {FieldKind::kMemo})) SetSlotInt32(slot, block);
}

}  // namespace vz
