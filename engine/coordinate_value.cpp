#include "engine/coordinate_value.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace corvane {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `t` (blanks and a leading sign removed) has the DXF number form: digits with an
// optional point, at least one digit, then optionally E or e, an optional sign and digits.
bool HasNumberForm(std::string_view t, bool& negativeExponent) {
  std::size_t i = 0, digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  negativeExponent = false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negativeExponent = t[i++] == '-';
    std::size_t exponentDigits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == t.size();
}

}  // namespace

double CoordinateValue(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return 0.0;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool negativeExponent = false;
  if (!HasNumberForm(text, negativeExponent)) return std::numeric_limits<double>::quiet_NaN();
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc() || ptr != text.data() + text.size()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return negative ? -value : value;
}

}  // namespace corvane
