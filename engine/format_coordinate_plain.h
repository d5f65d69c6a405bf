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

// The rare ends of FormatPlainLooked: a rounded-up 9 (now ':') that carries into the digits before it,
// and a negative value below 1, which loses its sign when it rounds to zero. `out` holds the laid-out
// result of `length` bytes with `sign` bytes of sign. Returns the length, or -1 for a carry out of the
// first digit.
inline int FinishPlainPadded(char* out, int sign, int length, bool rounded_up) {
  if (rounded_up) {
    for (char* q = out + length - 1; *q == '9' + 1;) {
      if (q == out + sign) return -1;  // 9.99 -> 10.0: one digit more; rare, left to the general route
      *q = '0';
      --q;
      if (*q == '.') --q;
      ++*q;
    }
    return length;
  }
  // Not rounded up, so a negative value below 1: "-0." and the kept digits.
  for (int i = 3; i < length; ++i) {
    if (out[i] != '0') return length;
  }
  std::memcpy(out, "0.00000000000000", 16);
  return length - 1;
}

// The plain route once the text's bytes are classified (`bytes`, bits 0 to n - 1 of which belong to the
// text) and copied to `out`, padded with anything: checks the form and lays out the result by whole
// 16-byte moves. It takes the texts FormatPlain takes, but for those with "+", and returns the same;
// it also takes 14 integer digits without decimals, which still have a fixed form. -1 for every other
// text (or a carry out of the first digit), which the general route then formats.
CORVANE_COORDINATE_INLINE int FormatPlainLooked(const char* p, std::size_t n, std::size_t places,
                                                SixteenBytes bytes, char* out) {
  // A "-" keeps its place in the output, so the text is copied as it stands; a "+" would not.
  const std::uint32_t sign = bytes.marks & 1;
  const std::uint32_t end_bit = std::uint32_t{1} << n;
  const std::uint32_t stops = ~bytes.digits & (end_bit - 1 - sign);
  // Nothing but digits after the sign, and at most one point among them.
  if (((stops & ~bytes.marks) | (stops & (stops - 1))) != 0) return -1;
  const std::size_t point = static_cast<unsigned>(std::countr_zero(stops | end_bit));  // n without a point
  // A single "0" before the point, or integer digits without a leading zero that leave room for the
  // decimals within the kept digits.
  const bool int_zero = p[sign] == '0';
  const std::size_t most_int_digits = int_zero ? 1 : kKeptDigits - places;
  if (point - sign - 1 >= most_int_digits) return -1;

  std::memset(out + n, '0', 16);  // the places the text lacks: length <= n + 15
  out[point] = '.';               // the text may have no point at all
  const std::size_t cut = point + 1 + places;  // the first dropped digit, or a padding zero
  const std::size_t length = places != 0 ? cut : point;
  // Half away from zero on the first dropped digit; a 9 that rounds up becomes ':' and carries.
  // Both digits are read from the text, not from `out`: reading back bytes just stored by the
  // 16-byte moves above waits for those stores. Past the text, the padding holds zeros; the last
  // kept place is a digit, never the point.
  const char first_dropped = cut < n ? p[cut] : '0';
  const char last_kept = length - 1 < n ? p[length - 1] : '0';
  const int up = first_dropped >= '5' ? 1 : 0;
  const char rounded = static_cast<char>(last_kept + up);
  out[length - 1] = rounded;
  // A negative value below 1 loses its sign if it rounds to zero.
  const bool negative_below_one = std::memcmp(p, "-0", 2) == 0;
  if (((rounded == '9' + 1 ? 1 : 0) | (negative_below_one ? 1 : 0)) != 0) [[unlikely]] {
    return FinishPlainPadded(out, static_cast<int>(sign), static_cast<int>(length), up != 0);
  }
  return static_cast<int>(length);
}

// The plain route in one look, for a text of 1 to 16 bytes with at least 16 readable bytes at its
// start, and `decimals` in 0..14. -1 for the texts FormatPlainLooked leaves, and for any other length.
CORVANE_COORDINATE_INLINE int FormatPlainPadded(std::string_view text, int decimals, char* out) {
  const std::size_t n = text.size();
  if (n - 1 >= 16) return -1;  // empty, or more than one look
  const char* const p = text.data();
  const SixteenBytes bytes = ClassifySixteen(p);
  std::memcpy(out, p, 16);  // the sign, the digits and whatever lies behind them
  return FormatPlainLooked(p, n, static_cast<unsigned>(decimals), bytes, out);
}

// The plain route in two looks, for a text of 16 to 20 bytes ("1234.567890123456"), which needs no
// slack: the first and the last sixteen bytes, overlapping, both lie inside the text. `decimals` in
// 0..14. -1 for the texts FormatPlainLooked leaves, texts of more than 18 digits, whose own digits may
// differ from their value's, and any other length.
CORVANE_COORDINATE_INLINE int FormatPlainTwoLooks(std::string_view text, int decimals, char* out) {
  const std::size_t n = text.size();
  if (n - 16 > 4) return -1;
  const char* const p = text.data();
  const SixteenBytes head = ClassifySixteen(p);
  // More than 18 digits besides the point (without a point, 19 integer digits are too many anyway).
  if (n - (head.marks & 1) > 19) return -1;
  const SixteenBytes tail = ClassifySixteen(p + n - 16);
  const std::uint32_t shift = static_cast<std::uint32_t>(n - 16);
  // The tail's first byte lies inside the head's sixteen, and is no sign.
  const SixteenBytes bytes{head.digits | (tail.digits << shift), head.marks | ((tail.marks & ~1u) << shift)};
  std::memcpy(out, p, 16);
  std::memcpy(out + n - 16, p + n - 16, 16);
  return FormatPlainLooked(p, n, static_cast<unsigned>(decimals), bytes, out);
}

}  // namespace coordinate_detail

// FormatCoordinate for every text: the plain route inline, the general one called.
CORVANE_COORDINATE_INLINE int FormatCoordinateInline(std::string_view text, int decimals, char* out) {
  const int plain = coordinate_detail::FormatPlain(text, std::clamp(decimals, 0, coordinate_detail::kMaxDecimals), out);
  return plain >= 0 ? plain : FormatCoordinate(text, decimals, out);
}

// FormatCoordinate for every text, for callers whose texts lie in buffers with slack behind them.
// PRECONDITION: at least 16 bytes are readable at text.data(), whatever text.size() is (the bytes
// past the text may hold anything), and `out` holds kMaxCoordinateText bytes, all of which may be
// written. Texts of up to 16 bytes as DXF writers emit them are formatted in one look, inline; every
// other text goes to FormatCoordinate.
CORVANE_COORDINATE_INLINE int FormatCoordinatePadded(std::string_view text, int decimals, char* out) {
  // Decimals out of range are clamped by the general route.
  if (static_cast<unsigned>(decimals) <= static_cast<unsigned>(coordinate_detail::kMaxDecimals)) {
    const int plain = coordinate_detail::FormatPlainPadded(text, decimals, out);
    if (plain >= 0) return plain;
  }
  return FormatCoordinate(text, decimals, out);
}

}  // namespace corvane
