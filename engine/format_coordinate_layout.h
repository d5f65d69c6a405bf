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
inline void RoundDigits(DecimalDigits& v, int decimals) {
  if (v.count == 0) return;
  const int last_place = std::max(v.lead - (kKeptDigits - 1), -decimals);
  const int keep = v.lead - last_place + 1;
  if (keep >= v.count) return;
  if (keep < 0 || v.digits[keep] < '5') {
    // keep < 0: the first dropped place lies above the first digit and holds a zero.
    int n = keep < 0 ? 0 : keep;
    while (n > 0 && v.digits[n - 1] == '0') --n;
    v.count = n;
    return;
  }
  int i = keep - 1;
  while (i >= 0 && v.digits[i] == '9') --i;
  if (i < 0) {
    // All kept digits were 9 (or none was kept): the value becomes the next power of ten.
    v.digits[0] = '1';
    v.count = 1;
    ++v.lead;
    return;
  }
  ++v.digits[i];
  v.count = i + 1;  // the 9s after it became trailing zeros
}

// Writes rounded digits to `out` (at least 32 bytes) and returns the length.
inline int LayOutDigits(const DecimalDigits& v, int decimals, char* out) {
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
      std::memcpy(p, v.digits + 1, static_cast<std::size_t>(v.count - 1));
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

  // Fixed form: fill every place with '0', then drop the digits in at their places. Rounding left no
  // digit beyond the last decimal place, and the integer part has at most 14 digits.
  const int integer_length = v.lead >= 0 ? v.lead + 1 : 1;
  const int length = integer_length + (decimals > 0 ? 1 + decimals : 0);
  std::memset(p, '0', 32);
  int integer_digits = 0;
  if (v.lead >= 0) {
    integer_digits = std::min(v.count, integer_length);
    std::memcpy(p, v.digits, static_cast<std::size_t>(integer_digits));
  }
  if (decimals > 0) {
    p[integer_length] = '.';
    if (integer_digits < v.count) {
      // Place -1 is written right after the point; the first remaining digit stands at place
      // min(lead, -1).
      const int first_place = std::min(v.lead, -1);
      std::memcpy(p + integer_length - first_place, v.digits + integer_digits,
                  static_cast<std::size_t>(v.count - integer_digits));
    }
  }
  return static_cast<int>(p - out) + length;
}

}  // namespace corvane::coordinate_detail
