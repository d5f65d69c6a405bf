// Decimal text to and from the 80-bit extended float, exactly and without any locale. The C++
// library's from_chars and to_chars do this where they are complete; MinGW-w64's library reads and
// writes long double as a 64-bit double, so there the C runtime's own 80-bit routines are used.
#pragma once

#include <charconv>
#include <system_error>

#if defined(__MINGW32__)
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#endif

namespace corvane {

// As std::from_chars: on result_out_of_range `value` is left as it was.
inline std::from_chars_result ExtendedFromChars(const char* first, const char* last, long double& value) {
#if defined(__MINGW32__)
  const std::string text(first, last);
  char* end = nullptr;
  errno = 0;
  const long double x = __mingw_strtold(text.c_str(), &end);
  if (end == text.c_str()) return {first, std::errc::invalid_argument};
  const char* stop = first + (end - text.c_str());
  if (errno == ERANGE) return {stop, std::errc::result_out_of_range};
  value = x;
  return {stop, std::errc{}};
#else
  return std::from_chars(first, last, value);
#endif
}

// As std::to_chars with chars_format::scientific and `precision` digits after the point.
inline std::to_chars_result ExtendedToScientific(char* first, char* last, long double value, int precision) {
#if defined(__MINGW32__)
  const int n = __mingw_snprintf(first, static_cast<std::size_t>(last - first), "%.*Le", precision, value);
  if (n < 0 || n >= last - first) return {last, std::errc::value_too_large};
  return {first + n, std::errc{}};
#else
  return std::to_chars(first, last, value, std::chars_format::scientific, precision);
#endif
}

}  // namespace corvane
