// First stage of the coordinate formatter: one pass over a coordinate text that checks its form and
// collects its significant digits. Internal to engine/format_coordinate.cpp, its tests and its fuzzer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::coordinate_detail {

// An 80-bit extended float has a 64-bit significand, and 10^18 < 2^63: every decimal of at most 18
// significant digits in the normal range converts to extended and back to 18 digits unchanged. So for
// such a text its own digits ARE the first 18 digits of its extended value, and no conversion is needed.
inline constexpr int kValueDigits = 18;

// A finite value as its first significant digits: value = 0.d1d2d3... * 10^(lead + 1), i.e. digits[0]
// stands at the place 10^lead. No leading or trailing zeros are kept; count == 0 means zero.
struct DecimalDigits {
  char digits[kValueDigits];  // ASCII '0'..'9', only the first `count` are meaningful
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

inline bool IsDecimalDigit(char c) { return static_cast<unsigned char>(c) - unsigned{'0'} < 10; }

// Accepts: spaces, optional sign, digits with at most one "." (at least one digit), optional exponent
// ("E"/"e", optional sign, at least one digit), spaces. Never reads outside `text`.
inline ScanResult ScanDecimalText(std::string_view text) {
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
  while (p != end && IsDecimalDigit(*p)) ++p;
  const char* const int_end = p;
  const char* fraction_begin = p;
  if (p != end && *p == '.') {
    fraction_begin = ++p;
    while (p != end && IsDecimalDigit(*p)) ++p;
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
  if (int_count > 0) std::memcpy(digits, first, static_cast<std::size_t>(int_count));
  if (fraction_count > 0) {
    std::memcpy(digits + int_count, int_count > 0 ? fraction_begin : first,
                static_cast<std::size_t>(fraction_count));
  }
  result.value.count = static_cast<int>(int_count + fraction_count);
  result.value.lead = static_cast<int>(lead);
  return result;
}

}  // namespace corvane::coordinate_detail
