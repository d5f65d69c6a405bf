// Last stages of the coordinate formatter: round the significant digits on their decimal places and lay
// out the text. Internal to engine/format_coordinate.cpp, its tests and its fuzzer.
#pragma once

#include <algorithm>
#include <cstring>

#include "engine/format_coordinate_scan.h"

namespace corvane::coordinate_detail {

inline constexpr int kMaxDecimals = 14;
inline constexpr int kKeptDigits = 14;
// From this place of the first digit on (10^14), the value is written in exponent form.
inline constexpr int kExponentFormLead = 14;

// Keeps at most 14 significant digits and at most `decimals` places after the point. Only the first
// dropped digit decides (5 or more rounds the magnitude up), so "12.0005" keeps its 5 even though the
// nearest double lies below it. Trailing zeros are dropped from the result; a zero result has count 0.
CORVANE_COORDINATE_INLINE void RoundDigits(DecimalDigits& v, int decimals) {
  if (v.count == 0) return;
  const int last_place = std::max(v.lead - (kKeptDigits - 1), -decimals);
  const int keep = v.lead - last_place + 1;
  if (keep >= v.count) return;
  int n;
  if (keep < 0 || v.digits[keep] < '5') {
    // keep < 0: the first dropped place lies above the first digit and holds a zero.
    n = keep < 0 ? 0 : keep;
    while (n > 0 && v.digits[n - 1] == '0') --n;
  } else {
    n = keep;
    while (n > 0 && v.digits[n - 1] == '9') --n;  // these 9s become trailing zeros
    if (n == 0) {
      // All kept digits were 9 (or none was kept): the value becomes the next power of ten.
      v.digits[0] = '1';
      n = 1;
      ++v.lead;
    } else {
      ++v.digits[n - 1];
    }
  }
  std::memset(v.digits + n, '0', kValueDigits);  // the dropped digits, as kPaddedDigits promises
  v.count = n;
}

// Writes rounded digits to `out` (at least 32 bytes) and returns the length.
CORVANE_COORDINATE_INLINE int LayOutDigits(const DecimalDigits& v, int decimals, char* out) {
  if (v.count == 0) {
    // Zero has no sign, even when it came from a negative value.
    std::memset(out, '0', 16);
    if (decimals == 0) return 1;
    out[1] = '.';
    return 2 + decimals;
  }
  char* p = out;
  if (v.negative) *p++ = '-';

  if (v.lead >= kExponentFormLead) {
    *p++ = v.digits[0];
    if (v.count > 1) {
      *p++ = '.';
      std::memcpy(p, v.digits + 1, 16);  // at most 13 of them count
      p += v.count - 1;
    }
    *p++ = 'E';
    // The power is at most 4932 (the extended range); it is padded to `decimals` digits for 1 to 4.
    const int power = v.lead;
    const int power_digits = power >= 1000 ? 4 : power >= 100 ? 3 : 2;
    const int width = (decimals >= 1 && decimals <= 4) ? std::max(power_digits, decimals) : power_digits;
    for (int i = width - 1, rest = power; i >= 0; --i, rest /= 10) p[i] = static_cast<char>('0' + rest % 10);
    return static_cast<int>(p - out) + width;
  }

  // Fixed form. Rounding left no digit beyond the last decimal place and at most 14 before the point,
  // and the padding supplies the zeros for places beyond the kept digits.
  if (v.lead >= 0) {
    const int integer_length = v.lead + 1;
    std::memcpy(p, v.digits, 16);
    if (decimals == 0) return static_cast<int>(p - out) + integer_length;
    p[integer_length] = '.';
    std::memcpy(p + integer_length + 1, v.digits + integer_length, 16);
    return static_cast<int>(p - out) + integer_length + 1 + decimals;
  }
  // Below 1: "0.", then zeros down to the first digit's place (at most 13, as lead >= -decimals).
  std::memcpy(p, "0.00000000000000", 16);
  std::memcpy(p + 1 - v.lead, v.digits, 16);
  return static_cast<int>(p - out) + 2 + decimals;
}

}  // namespace corvane::coordinate_detail
