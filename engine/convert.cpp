// Conversions between a field's stored text in the record and its slot in
// the typed field buffer. They run for every field of every record read or
// written, so they avoid allocation and the C library's locale: numbers are
// read and written digit by digit, dates by position.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "engine/dbf_p.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "engine/real48.h"

namespace vz {

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool IsBlank(uint8_t c) { return c <= 0x20; }

// Copies a field's bytes. Fields are short and of every length, where an
// inlined variable-length memcpy turns into a slow string instruction:
// fixed-size pieces compile to plain moves.
inline void CopyField(uint8_t* dst, const uint8_t* src, size_t n) {
  while (n >= 16) {
    std::memcpy(dst, src, 16);
    dst += 16;
    src += 16;
    n -= 16;
  }
  if (n >= 8) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else {
    for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  }
}
inline bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// ---- dates ----------------------------------------------------------------------

// The characters of the date form: year first (format 1), month first
// (format 0) or day first (the rest).
void DateText(const char y[4], const char m[2], const char d[2], char* out, size_t* n) {
  int format = DateFormat();
  bool century = CenturyOn();
  char sep = DateSeparator();
  const char* year = century ? y : y + 2;
  size_t ylen = century ? 4 : 2;
  char* p = out;
  auto put = [&p](const char* s, size_t len) {
    std::memcpy(p, s, len);
    p += len;
  };
  if (format == 1) {
    put(year, ylen);
    *p++ = sep;
    put(m, 2);
    *p++ = sep;
    put(d, 2);
  } else {
    put(format == 0 ? m : d, 2);
    *p++ = sep;
    put(format == 0 ? d : m, 2);
    *p++ = sep;
    put(year, ylen);
  }
  *n = static_cast<size_t>(p - out);
}

void BlankDate(uint8_t* slot, size_t capacity) {
  static const char kBlank[4] = {' ', ' ', ' ', ' '};
  char text[10];
  size_t n;
  DateText(kBlank, kBlank, kBlank, text, &n);
  SetSlotText(slot, capacity, std::string_view(text, n));
}

void DecodeDate(const FieldPlan& f, const uint8_t* src, uint8_t* slot) {
  size_t capacity = size_t{f.length} + 2;
  char stored[8];
  size_t have = f.length < 8 ? f.length : 8;
  std::memcpy(stored, src, have);
  std::memset(stored + have, ' ', 8 - have);
  bool blank = true;
  for (char c : stored) {
    if (c != ' ' && c != '\0') blank = false;
  }
  if (blank) {
    BlankDate(slot, capacity);
    return;
  }
  char text[10];
  size_t n;
  DateText(stored, stored + 4, stored + 6, text, &n);
  SetSlotText(slot, capacity, std::string_view(text, n));
}

// Copies `len` characters of `text` from `at`, blanks where it has none.
void Take(std::string_view text, size_t at, size_t len, char* out) {
  for (size_t i = 0; i < len; ++i) out[i] = at + i < text.size() ? text[at + i] : ' ';
}

void EncodeDate(const FieldPlan& f, const uint8_t* slot, uint8_t* dst) {
  std::string_view text(reinterpret_cast<const char*>(slot + 1),
                        slot[0] < size_t{f.length} + 2 ? slot[0] : size_t{f.length} + 2);
  bool blank = true;
  for (char c : text) {
    if (c != ' ' && c != '/' && c != '-' && c != '.') blank = false;
  }
  char stored[8];
  if (blank) {
    std::memset(stored, ' ', 8);
  } else {
    int format = DateFormat();
    size_t ypos, mpos, dpos, ylen;
    // The year's width comes from the text, whatever CenturyOn says now: a
    // date typed or stored in the other width is still that date.
    if (format == 1) {
      ylen = text.size() >= 10 ? 4 : 2;
      ypos = 0;
      mpos = ylen + 1;
      dpos = ylen + 4;
    } else {
      ypos = 6;
      ylen = text.size() >= 10 ? 4 : 2;
      mpos = format == 0 ? 0 : 3;
      dpos = format == 0 ? 3 : 0;
    }
    char year[4];
    if (ylen == 4) {
      Take(text, ypos, 4, year);
    } else {
      char yy[2];
      Take(text, ypos, 2, yy);
      int pivot = CenturyPivot();
      if (IsDigit(static_cast<uint8_t>(yy[0])) && IsDigit(static_cast<uint8_t>(yy[1]))) {
        pivot += (yy[0] - '0') * 10 + (yy[1] - '0');
        for (int i = 3; i >= 0; --i) {
          year[i] = static_cast<char>('0' + pivot % 10);
          pivot /= 10;
        }
      } else {
        year[0] = static_cast<char>('0' + pivot / 1000 % 10);
        year[1] = static_cast<char>('0' + pivot / 100 % 10);
        year[2] = yy[0];
        year[3] = yy[1];
      }
    }
    std::memcpy(stored, year, 4);
    Take(text, mpos, 2, stored + 4);
    Take(text, dpos, 2, stored + 6);
  }
  size_t put = f.length < 8 ? f.length : 8;
  std::memcpy(dst, stored, put);
  if (f.length > 8) std::memset(dst + 8, ' ', f.length - 8);
}

// ---- numbers --------------------------------------------------------------------

// The nearest 6-byte real of a double, exactly as Real48::From gives it, but
// by moving bits instead of through frexp and ldexp: every numeric field of
// every record read passes here. Zero, the extremes and the values outside
// the 6-byte range take the general way.
void StoreReal(double value, uint8_t* slot) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0 || biased == 0x7FF) {
    Real48::From(value).Store(slot);
    return;
  }
  uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  uint64_t kept = mantissa >> 13;  // 40 bits: the hidden one and 39 more
  const uint64_t rest = mantissa & 0x1FFF;
  if (rest > 0x1000 || (rest == 0x1000 && (kept & 1))) ++kept;
  int exponent = biased - 1023 + 129;
  if (kept >> 40) {
    kept >>= 1;
    ++exponent;
  }
  if (exponent < 1 || exponent > 255) {
    Real48::From(value).Store(slot);
    return;
  }
  slot[0] = static_cast<uint8_t>(exponent);
  for (int i = 0; i < 5; ++i) slot[1 + i] = static_cast<uint8_t>(kept >> (8 * i));
  slot[5] = static_cast<uint8_t>((slot[5] & 0x7F) | ((bits >> 63) << 7));
}

}  // namespace

bool ParseNumber(const char* text, size_t n, double* value) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
  size_t i = 0;
  while (i < n && IsBlank(p[i])) ++i;
  while (n > i && IsBlank(p[n - 1])) --n;
  if (i == n) return false;
  size_t start = i;
  bool negative = false;
  if (p[i] == '-' || p[i] == '+') negative = p[i++] == '-';
  uint64_t mantissa = 0;
  int significant = 0;
  int fraction = 0;
  bool dot = false;
  bool any_digit = false;
  for (; i < n; ++i) {
    uint8_t c = p[i];
    if (IsDigit(c)) {
      any_digit = true;
      if (significant > 0 || c != '0') {
        if (++significant > 15) break;  // beyond exact doubles: the slow way
      }
      mantissa = mantissa * 10 + (c - '0');
      if (dot) ++fraction;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  if (i == n) {
    if (!any_digit || fraction > 22) return false;
    double v = static_cast<double>(mantissa) / kPow10[fraction];
    *value = negative ? -v : v;
    return true;
  }
  // Long mantissas and exponents: the library's exact conversion, which
  // knows neither a leading "+" nor a locale.
  size_t from = start;
  if (p[from] == '+') ++from;
  double v = 0;
  auto [end, ec] = std::from_chars(text + from, text + n, v, std::chars_format::general);
  if (ec != std::errc() || end != text + n) return false;
  *value = v;
  return true;
}

int32_t StoredMemoBlock(const uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n && IsBlank(p[i])) ++i;
  bool negative = false;
  if (i < n && (p[i] == '-' || p[i] == '+')) negative = p[i++] == '-';
  int64_t v = 0;
  size_t digits = 0;
  while (i < n && IsDigit(p[i])) {
    v = v * 10 + (p[i++] - '0');
    if (++digits > 10) return 0;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return 0;
  return static_cast<int32_t>(v);
}

bool StoredNumberOverflows(const FieldPlan& f, const uint8_t* rec, double* value) {
  if (f.kind != FieldKind::kInteger && f.kind != FieldKind::kReal) return false;
  double v = 0;
  if (!ParseNumber(reinterpret_cast<const char*>(rec + f.record_offset), f.length, &v)) return false;
  *value = v;
  if (f.kind == FieldKind::kReal) return !(std::fabs(v) <= Real48::kMax);
  const double r = std::round(v);
  return !(r >= INT32_MIN && r <= INT32_MAX);
}

void FormatInteger(int64_t value, char* out, size_t width) {
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  uint64_t u = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  if (value < 0) *--p = '-';
  size_t len = static_cast<size_t>(end - p);
  if (len > width) {
    std::memset(out, '*', width);
    return;
  }
  std::memset(out, ' ', width - len);
  std::memcpy(out + width - len, p, len);
}

void FormatNumber(double value, int decimals, char* out, size_t width) {
  if (decimals <= 0) {
    double r = std::round(value);
    if (std::fabs(r) < 9.0e18) {
      FormatInteger(static_cast<int64_t>(r), out, width);
      return;
    }
  } else if (decimals <= 18 && std::isfinite(value)) {
    double scaled = value * kPow10[decimals];
    if (std::fabs(scaled) < 9.0e15) {
      int64_t n = std::llround(scaled);
      uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
      char digits[48];
      char* end = digits + sizeof digits;
      char* p = end;
      int written = 0;
      do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
        if (++written == decimals) *--p = '.';
      } while (u != 0 || written <= decimals);
      if (n < 0) *--p = '-';
      size_t len = static_cast<size_t>(end - p);
      if (len > width) {
        std::memset(out, '*', width);
        return;
      }
      std::memset(out, ' ', width - len);
      std::memcpy(out + width - len, p, len);
      return;
    }
  }
  // Values beyond exact integers: the library's exact fixed form.
  char text[700];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                 decimals < 0 ? 0 : decimals);
  size_t len = ec == std::errc() ? static_cast<size_t>(end - text) : width + 1;
  if (len > width) {
    std::memset(out, '*', width);
    return;
  }
  std::memset(out, ' ', width - len);
  std::memcpy(out + width - len, text, len);
}

uint16_t SlotSize(char type, uint8_t length, uint8_t decimals) {
  switch (type) {
    case 'C': return static_cast<uint16_t>(length + 1);
    case 'D': return static_cast<uint16_t>(length + 3);
    case 'N':
    case 'F': return decimals > 0 ? 6 : 4;
    case 'L': return 1;
    case 'M': return 4;
    default: return 0;
  }
}

void DecodeField(const FieldPlan& f, const uint8_t* rec, uint8_t* slot) {
  const uint8_t* src = rec + f.record_offset;
  switch (f.kind) {
    case FieldKind::kChar:
      slot[0] = f.length;
      CopyField(slot + 1, src, f.length);
      break;
    case FieldKind::kDate:
      DecodeDate(f, src, slot);
      break;
    case FieldKind::kInteger: {
      double v = 0;
      int32_t i = 0;
      if (ParseNumber(reinterpret_cast<const char*>(src), f.length, &v)) {
        double r = std::round(v);
        if (r >= INT32_MIN && r <= INT32_MAX) i = static_cast<int32_t>(r);
      }
      SetSlotInt32(slot, i);
      break;
    }
    case FieldKind::kReal: {
      double v = 0;
      if (!ParseNumber(reinterpret_cast<const char*>(src), f.length, &v)) v = 0;
      StoreReal(v, slot);
      break;
    }
    case FieldKind::kLogical: {
      uint8_t c = src[0];
      slot[0] = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1 : 0;
      break;
    }
    case FieldKind::kMemo:
      SetSlotInt32(slot, StoredMemoBlock(src, f.length));
      break;
  }
}

void EncodeField(const FieldPlan& f, const uint8_t* slot, uint8_t* rec) {
  uint8_t* dst = rec + f.record_offset;
  char* out = reinterpret_cast<char*>(dst);
  switch (f.kind) {
    case FieldKind::kChar: {
      size_t n = slot[0] < f.length ? slot[0] : f.length;
      CopyField(dst, slot + 1, n);
      std::memset(dst + n, ' ', f.length - n);
      break;
    }
    case FieldKind::kDate:
      EncodeDate(f, slot, dst);
      break;
    case FieldKind::kInteger:
      FormatInteger(SlotInt32(slot), out, f.length);
      break;
    case FieldKind::kReal:
      FormatNumber(Real48::Load(slot).ToDouble(), f.decimals, out, f.length);
      break;
    case FieldKind::kLogical:
      dst[0] = slot[0] ? 'T' : 'F';
      if (f.length > 1) std::memset(dst + 1, ' ', f.length - 1u);
      break;
    case FieldKind::kMemo:
      // No note is stored as blanks, not "0": both mean none to us, and
      // other dBASE readers take blanks only.
      if (SlotInt32(slot) == 0) {
        std::memset(dst, ' ', f.length);
      } else {
        FormatInteger(SlotInt32(slot), out, f.length);
      }
      break;
  }
}

void BlankField(const FieldPlan& f, uint8_t* slot) {
  switch (f.kind) {
    case FieldKind::kChar:
      slot[0] = f.length;
      std::memset(slot + 1, ' ', f.length);
      break;
    case FieldKind::kDate:
      BlankDate(slot, size_t{f.length} + 2);
      break;
    case FieldKind::kInteger:
    case FieldKind::kMemo:
      SetSlotInt32(slot, 0);
      break;
    case FieldKind::kReal:
      std::memset(slot, 0, 6);
      break;
    case FieldKind::kLogical:
      slot[0] = 0;
      break;
  }
}

}  // namespace vz
