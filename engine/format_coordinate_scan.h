// First stage of the coordinate formatter: one pass over a coordinate text that checks its form and
// collects its significant digits. Internal to engine/format_coordinate.cpp, its tests and its fuzzer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::coordinate_detail {

// An 80-bit extended float has a 64-bit significand, and 10^18 < 2^63: every decimal of at most 18
// significant digits in the normal range converts to extended and back to 18 digits unchanged. So for
// such a text its own digits ARE the first 18 digits of its extended value, and no conversion is needed.
inline constexpr int kValueDigits = 18;

// Every byte of `digits` from `count` up to kPaddedDigits is '0', so the layout copies whole 16-byte
// blocks of digits, rather than a counted run, and still writes zeros where the value has none.
inline constexpr int kPaddedDigits = 32;
inline constexpr int kDigitBuffer = 64;  // the padding, and room for copies that overshoot it

// A finite value as its first significant digits: digits[0] stands at the place 10^lead. No leading
// or trailing zeros are counted; count == 0 means zero.
struct DecimalDigits {
  char digits[kDigitBuffer];  // ASCII; see kPaddedDigits
  int count = 0;
  int lead = 0;
  bool negative = false;
};

enum class ScanStatus {
  kNotNumber,      // not of the accepted form
  kDigits,         // `value` holds the exact first digits of the extended value
  kNeedsExtended,  // well formed, but only the extended conversion can tell its digits (or overflow)
};

struct ScanResult {
  ScanStatus status = ScanStatus::kNotNumber;
  DecimalDigits value;
  // The number without spaces and sign, e.g. "12.5e3": what the extended conversion reads.
  const char* number_begin = nullptr;
  const char* number_end = nullptr;
};

// Below 10^-19 every text rounds to zero at any number of decimals (at most 14), even after the
// extended value's rounding to 18 digits moves it up by one place. This also keeps the conversion away
// from subnormal values, which from_chars reports as out of range.
inline constexpr std::int64_t kLowestLead = -20;
// From 10^4932 upwards the text may exceed the extended range (about 1.19e4932); the conversion decides.
inline constexpr std::int64_t kHighestExactLead = 4931;
// Exponent digits beyond this add nothing but the risk of overflowing the accumulator.
inline constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

#if defined(__GNUC__)
#define CORVANE_COORDINATE_INLINE [[gnu::always_inline]] inline
#else
#define CORVANE_COORDINATE_INLINE inline
#endif

inline bool IsDecimalDigit(char c) { return static_cast<unsigned char>(c) - unsigned{'0'} < 10; }

// The high bit of each byte of the result is set where that byte of `bytes` is not '0'..'9'. Exact
// per byte: no addition carries into the next byte.
inline std::uint64_t NonDigitBytes(std::uint64_t bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  const std::uint64_t x = bytes ^ (kOnes * '0');  // digits become 0..9
  // Low seven bits plus 0x76 reach 0x80 exactly when they are 10 or more; bytes of 0x80 and above
  // carry their own high bit.
  return (((x & (kOnes * 0x7F)) + kOnes * 0x76) | x) & (kOnes * 0x80);
}

// The end of the run of digits starting at `p`. Coordinates are short runs of varied length, where a
// per-character loop mispredicts its exit; eight bytes are classified at once instead, and a tail
// shorter than eight is read as the last eight bytes of the text when the text is that long.
CORVANE_COORDINATE_INLINE const char* SkipDigits(const char* p, const char* const text_begin,
                                                 const char* const end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 8) {
      std::uint64_t bytes;
      std::memcpy(&bytes, p, 8);
      if (const std::uint64_t stops = NonDigitBytes(bytes)) return p + std::countr_zero(stops) / 8;
      p += 8;
    }
    if (p != end && end - text_begin >= 8) {
      std::uint64_t bytes;
      std::memcpy(&bytes, end - 8, 8);
      bytes >>= 8 * (8 - (end - p));  // the tail's bytes first; zero bytes above stop the run
      return p + std::countr_zero(NonDigitBytes(bytes)) / 8;
    }
  }
  while (p != end && IsDecimalDigit(*p)) ++p;
  return p;
}

// Copies the run [src, src + count) of at most 24 bytes, which lies inside [text_begin, text_end), to
// `dst`, in 8-byte moves that may write up to 7 bytes of garbage past dst + count but never read
// outside the text.
CORVANE_COORDINATE_INLINE void CopyShortRun(char* dst, const char* src, std::int64_t count,
                                            const char* const text_begin, const char* const text_end) {
  for (; count >= 8; count -= 8, src += 8, dst += 8) std::memcpy(dst, src, 8);
  if (count == 0) return;
  if (text_end - src >= 8) {
    std::memcpy(dst, src, 8);
    return;
  }
  if constexpr (std::endian::native == std::endian::little) {
    if (src + count - text_begin >= 8) {
      std::uint64_t bytes;
      std::memcpy(&bytes, src + count - 8, 8);
      bytes >>= 8 * (8 - count);
      std::memcpy(dst, &bytes, 8);
      return;
    }
  }
  for (; count > 0; --count) *dst++ = *src++;
}

// Accepts: spaces, optional sign, digits with at most one "." (at least one digit), optional exponent
// ("E"/"e", optional sign, at least one digit), spaces. Never reads outside `text`.
CORVANE_COORDINATE_INLINE ScanResult ScanDecimalText(std::string_view text) {
  ScanResult result;
  const char* p = text.data();
  const char* const end = p + text.size();

  while (p != end && *p == ' ') ++p;
  if (p != end && (*p == '-' || *p == '+')) {
    result.value.negative = *p == '-';
    ++p;
  }
  result.number_begin = p;

  // Plain runs of digits keep the loops tight; the significant digits are found at their ends later.
  const char* const int_begin = p;
  p = SkipDigits(p, text.data(), end);
  const char* const int_end = p;
  const char* fraction_begin = p;
  if (p != end && *p == '.') {
    fraction_begin = ++p;
    p = SkipDigits(p, text.data(), end);
  }
  const char* const fraction_end = p;
  if (int_begin == int_end && fraction_begin == fraction_end) return result;  // "", "+", ".", ".e5"

  std::int64_t exponent = 0;
  if (p != end && (*p | 0x20) == 'e') {
    ++p;
    bool exponent_negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
      exponent_negative = *p == '-';
      ++p;
    }
    const char* const exponent_begin = p;
    for (; p != end && IsDecimalDigit(*p); ++p) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (*p - '0');
    }
    if (p == exponent_begin) return result;
    if (exponent_negative) exponent = -exponent;
  }
  result.number_end = p;

  while (p != end && *p == ' ') ++p;
  if (p != end) return result;
  result.status = ScanStatus::kDigits;

  // The significant digits run from the first nonzero digit to the last one, across the point if
  // it lies between them; `lead` is the place of the first.
  const char* first = int_begin;
  while (first != int_end && *first == '0') ++first;
  const char* last = fraction_end;
  while (last != fraction_begin && last[-1] == '0') --last;
  std::int64_t lead;
  std::int64_t int_count;       // significant digits before the point
  std::int64_t fraction_count;  // and after it
  if (first != int_end) {
    lead = (int_end - first) - 1 + exponent;
    if (last == fraction_begin) {
      last = int_end;
      while (last[-1] == '0') --last;  // stops at `first` at the latest
      int_count = last - first;
      fraction_count = 0;
    } else {
      int_count = int_end - first;
      fraction_count = last - fraction_begin;
    }
  } else {
    first = fraction_begin;
    while (first != fraction_end && *first == '0') ++first;
    if (first == fraction_end) return result;  // all zeros: count stays 0
    lead = -(first - fraction_begin) - 1 + exponent;
    int_count = 0;
    fraction_count = last - first;
  }

  if (lead <= kLowestLead) return result;  // rounds to zero whatever the decimals
  if (int_count + fraction_count > kValueDigits || lead > kHighestExactLead) {
    result.status = ScanStatus::kNeedsExtended;
    return result;
  }
  char* const digits = result.value.digits;
  CopyShortRun(digits, first, int_count, text.data(), end);
  CopyShortRun(digits + int_count, int_count > 0 ? fraction_begin : first, fraction_count, text.data(), end);
  static_assert(kValueDigits + kPaddedDigits <= kDigitBuffer);
  std::memset(digits + int_count + fraction_count, '0', kPaddedDigits);
  result.value.count = static_cast<int>(int_count + fraction_count);
  result.value.lead = static_cast<int>(lead);
  return result;
}

}  // namespace corvane::coordinate_detail
