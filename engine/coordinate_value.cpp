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

}  // namespace

double CoordinateValue(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return 0.0;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // One pass checks the form (digits with an optional point, at least one digit, then optionally
  // E or e, an optional sign and digits) and gathers the digits while they fit in 64 bits.
  const std::size_t n = text.size();
  std::size_t i = 0, digits = 0;
  std::uint64_t mantissa = 0;
  int significant = 0, exponent10 = 0;
  bool exact = true;
  auto takeDigit = [&](char c, bool fraction) {
    ++digits;
    if (mantissa == 0 && c == '0') {
      if (fraction) --exponent10;
      return;
    }
    if (significant < 19) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++significant;
      if (fraction) --exponent10;
    } else {
      exact = false;  // more digits than 64 bits hold
      if (!fraction) ++exponent10;
    }
  };
  for (; i < n && IsDigit(text[i]); ++i) takeDigit(text[i], false);
  if (i < n && text[i] == '.') {
    for (++i; i < n && IsDigit(text[i]); ++i) takeDigit(text[i], true);
  }
  if (digits == 0) return std::numeric_limits<double>::quiet_NaN();
  bool negativeExponent = false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    std::size_t exponentDigits = 0;
    int written = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++exponentDigits) {
      if (written < 100000) written = written * 10 + (text[i] - '0');
    }
    if (exponentDigits == 0) return std::numeric_limits<double>::quiet_NaN();
    exponent10 += negativeExponent ? -written : written;
  }
  if (i != n) return std::numeric_limits<double>::quiet_NaN();

  double value = 0.0;
  // Most coordinates: few digits and a small power of ten, where one exact multiplication or
  // division rounds correctly. The rest go the long way.
  if (exact && mantissa <= (std::uint64_t{1} << 53) && exponent10 >= -22 && exponent10 <= 22) {
    const double m = static_cast<double>(mantissa);
    value = exponent10 < 0 ? m / kExactPowers[-exponent10] : m * kExactPowers[exponent10];
  } else {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + n, value);
    if (ec == std::errc::result_out_of_range) {
      value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (ec != std::errc() || ptr != text.data() + n) {
      return std::numeric_limits<double>::quiet_NaN();
    }
  }
  return negative ? -value : value;
}

}  // namespace corvane
