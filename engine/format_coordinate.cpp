#include "engine/format_coordinate.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

#include "engine/extended_text.h"
#include "engine/format_coordinate_extended.h"
#include "engine/format_coordinate_layout.h"
#include "engine/format_coordinate_plain.h"
#include "engine/format_coordinate_scan.h"

namespace corvane {
namespace coordinate_detail {
namespace {

static_assert(sizeof(long double) >= 10 && std::numeric_limits<long double>::digits == 64,
              "coordinates are read as 80-bit extended floats");

// For texts with more than 18 significant digits, or near the top of the extended range: read the
// value as an extended float and take its first 18 digits. from_chars and to_chars are exact and
// ignore the locale. Not on the hot path: DXF writers emit at most 17 significant digits.
// Returns false when the value overflows the extended range.
bool ReadExtendedDigits(const ScanResult& scan, DecimalDigits& value) {
  long double x = 0;
  const auto [parsed_end, parse_error] = ExtendedFromChars(scan.number_begin, scan.number_end, x);
  // The scanner keeps subnormal values away, so out of range here always means overflow.
  if (parse_error != std::errc{} || parsed_end != scan.number_end) return false;
  if (x == 0) {
    value.count = 0;
    return true;
  }
  // "d.ddddddddddddddddde+dddd": 18 significant digits.
  char text[40];
  const auto written = ExtendedToScientific(text, text + sizeof text, x, kValueDigits - 1);
  if (written.ec != std::errc{}) return false;
  std::memset(value.digits, '0', kPaddedDigits);
  value.digits[0] = text[0];
  std::copy(text + 2, text + 1 + kValueDigits, value.digits + 1);
  int count = kValueDigits;
  while (count > 0 && value.digits[count - 1] == '0') --count;
  value.count = count;

  const char* p = text + 1 + kValueDigits;  // at 'e'
  const bool exponent_negative = p[1] == '-';
  int exponent = 0;
  std::from_chars(p + 2, written.ptr, exponent);
  value.lead = exponent_negative ? -exponent : exponent;
  return true;
}

template <bool kAlwaysExtended>
int Format(std::string_view text, int decimals, char* out) {
  if constexpr (!kAlwaysExtended) {
    // From 16 bytes on, two looks of sixteen bytes see the whole text; FormatPlain takes none beyond 20.
    const int places = std::clamp(decimals, 0, kMaxDecimals);
    const int plain = text.size() >= 16 ? FormatPlainTwoLooks(text, places, out) : FormatPlain(text, places, out);
    if (plain >= 0) return plain;
  }
  ScanResult scan = ScanDecimalText(text);
  if (scan.status == ScanStatus::kNotNumber) return -1;
  if (scan.status == ScanStatus::kNeedsExtended || (kAlwaysExtended && scan.value.count > 0)) {
    if (!ReadExtendedDigits(scan, scan.value)) return -1;
  }
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  RoundDigits(scan.value, decimals);
  return LayOutDigits(scan.value, decimals, out);
}

}  // namespace

int FormatCoordinateThroughExtended(std::string_view text, int decimals, char* out) {
  return Format<true>(text, decimals, out);
}

}  // namespace coordinate_detail

int FormatCoordinate(std::string_view text, int decimals, char* out) {
  return coordinate_detail::Format<false>(text, decimals, out);
}

}  // namespace corvane
