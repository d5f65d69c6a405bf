#include "engine/coordinate_value.h"

#include "files/text_rules.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace corvane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A decimal number's text taken apart: its digits while they fit in 64 bits and its power of ten.
struct ScannedDecimal {
  bool wellFormed = false;
  bool exact = true;  // every digit is in the mantissa
  bool negativeExponent = false;
  std::uint64_t mantissa = 0;
  int exponent10 = 0;
};

// One pass checks the form (digits with an optional point, at least one digit, then optionally
// E or e, an optional sign and digits) and gathers the digits while they fit in 64 bits.
ScannedDecimal ScanDecimal(std::string_view text) {
  ScannedDecimal d;
  const std::size_t n = text.size();
  std::size_t i = 0, digits = 0;
  int significant = 0;
  auto takeDigit = [&](char c, bool fraction) {
    ++digits;
    if (d.mantissa == 0 && c == '0') {
      if (fraction) --d.exponent10;
      return;
    }
    if (significant < 19) {
      d.mantissa = d.mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++significant;
      if (fraction) --d.exponent10;
    } else {
      d.exact = false;  // more digits than 64 bits hold
      if (!fraction) ++d.exponent10;
    }
  };
  for (; i < n && IsDigit(text[i]); ++i) takeDigit(text[i], false);
  if (i < n && text[i] == '.') {
    for (++i; i < n && IsDigit(text[i]); ++i) takeDigit(text[i], true);
  }
  if (digits == 0) return d;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) d.negativeExponent = text[i++] == '-';
    std::size_t exponentDigits = 0;
    int written = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++exponentDigits) {
      if (written < 100000) written = written * 10 + (text[i] - '0');
    }
    if (exponentDigits == 0) return d;
    d.exponent10 += d.negativeExponent ? -written : written;
  }
  d.wellFormed = i == n;
  return d;
}

}  // namespace

double CoordinateValue(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return 0.0;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const ScannedDecimal d = ScanDecimal(text);
  if (!d.wellFormed) return std::numeric_limits<double>::quiet_NaN();

  double value = 0.0;
  // Most coordinates: few digits and a small power of ten, where one exact multiplication or
  // division rounds correctly. The rest go the long way.
  if (d.exact && d.mantissa <= (std::uint64_t{1} << 53) && d.exponent10 >= -22 && d.exponent10 <= 22) {
    const double m = static_cast<double>(d.mantissa);
    value = d.exponent10 < 0 ? m / kExactPowers[-d.exponent10] : m * kExactPowers[d.exponent10];
  } else {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
      value = d.negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (ec != std::errc() || ptr != text.data() + text.size()) {
      return std::numeric_limits<double>::quiet_NaN();
    }
  }
  return negative ? -value : value;
}

}  // namespace corvane
