// The common route of the coordinate formatter: texts as DXF writers emit them, formatted by copying
// their own digits. Inline, so that the data line composer takes it without a call; every other text
// goes to FormatCoordinate.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "engine/format_coordinate.h"
#include "engine/format_coordinate_classify.h"
#include "engine/format_coordinate_layout.h"
#include "engine/format_coordinate_scan.h"
#include "engine/short_copy.h"

namespace corvane {
namespace coordinate_detail {

// The text DXF writers emit: an optional sign, 1 to 13 integer digits without a leading zero (or a
// single "0"), and optionally "." and fraction digits, at most 18 digits in all, nothing else. Such a
// value's digits are its own extended digits, and when its integer digits and the decimals make at
// most 14 places, the result is the text itself cut after `decimals` places, padded with zeros and
// rounded on the first cut digit. Returns the length, or -1 for any other text (or a carry out of the
// first digit), which the general route then formats.
CORVANE_COORDINATE_INLINE int FormatPlain(std::string_view text, int decimals, char* out) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p == end) return -1;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  const char* int_end;
  std::ptrdiff_t fraction_count = 0;
  const std::ptrdiff_t n = end - p;
  if (std::endian::native == std::endian::little && n >= 8 && n <= 16) {
    // Most coordinates ("5028.750000"): the first and the last eight bytes, overlapping, classified
    // at once; the one byte that is not a digit must be the point.
    std::uint64_t head, tail;
    std::memcpy(&head, p, 8);
    std::memcpy(&tail, end - 8, 8);
    const std::uint32_t stops = NonDigitMask(head) | (NonDigitMask(tail) << (n - 8));
    if (stops == 0) {
      int_end = end;
    } else {
      if ((stops & (stops - 1)) != 0) return -1;
      const int point = std::countr_zero(stops);
      if (p[point] != '.') return -1;
      int_end = p + point;
      fraction_count = n - point - 1;
    }
  } else {
    int_end = SkipDigits(p, text.data(), end);
    if (int_end != end) {
      if (*int_end != '.') return -1;
      const char* const fraction_end = SkipDigits(int_end + 1, text.data(), end);
      if (fraction_end != end) return -1;
      fraction_count = fraction_end - (int_end + 1);
    }
  }
  const std::ptrdiff_t int_count = int_end - p;
  if (int_count < 1 || int_count > 13 || (*p == '0' && int_count > 1)) return -1;
  const bool int_zero = *p == '0';
  if (!int_zero && int_count + decimals > kKeptDigits) return -1;
  if (int_count + fraction_count > kValueDigits) return -1;

  char* const digits = out + (negative ? 1 : 0);
  std::ptrdiff_t length = int_count;
  if (decimals > 0) {
    const std::ptrdiff_t copied = std::min<std::ptrdiff_t>(fraction_count, decimals);
    const std::ptrdiff_t taken = int_end != end ? int_count + 1 + copied : int_count;
    CopyAtMost32(digits, p, static_cast<std::size_t>(taken));
    digits[int_count] = '.';  // the text may have no point at all
    std::memset(digits + int_count + 1 + copied, '0', 16);
    length = int_count + 1 + decimals;
  } else {
    CopyAtMost32(digits, p, static_cast<std::size_t>(int_count));
  }
  if (fraction_count > decimals && int_end[1 + decimals] >= '5') {
    char* q = digits + length - 1;
    for (;; --q) {
      if (*q == '.') continue;
      if (*q != '9') break;
      if (q == digits) return -1;  // 9.99 -> 10.0: one digit more; rare, left to the general route
      *q = '0';
    }
    ++*q;
  } else if (negative && int_zero) {
    // A negative value that rounds to zero loses its sign.
    bool zero = true;
    for (std::ptrdiff_t i = 2; i < length; ++i) zero = zero && digits[i] == '0';
    if (zero) {
      std::memmove(out, digits, static_cast<std::size_t>(length));
      return static_cast<int>(length);
    }
  }
  if (negative) out[0] = '-';
  return static_cast<int>(length + (negative ? 1 : 0));
}

}  // namespace coordinate_detail

// FormatCoordinate for every text: the plain route inline, the general one called.
CORVANE_COORDINATE_INLINE int FormatCoordinateInline(std::string_view text, int decimals, char* out) {
  const int plain = coordinate_detail::FormatPlain(text, std::clamp(decimals, 0, coordinate_detail::kMaxDecimals), out);
  return plain >= 0 ? plain : FormatCoordinate(text, decimals, out);
}

}  // namespace corvane
