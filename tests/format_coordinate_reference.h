// A slow coordinate formatter written for plain correctness, which the tests and the fuzzer hold the
// fast one against. It shares no code with it: the form is checked by a separate walk, every value goes
// through long double, and rounding works on an integer of the kept digits.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/extended_text.h"

namespace corvane::reference {

inline bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

inline bool AllDigits(std::string_view s) { return std::all_of(s.begin(), s.end(), IsDigitChar); }

template <typename Integer>
std::string IntegerText(Integer n) {
  char buffer[32];
  return std::string(buffer, static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, n).ptr - buffer));
}

// std::nullopt when the text is not a number.
inline std::optional<std::string> FormatCoordinateReference(std::string_view text, int decimals) {
  const int places = std::clamp(decimals, 0, 14);

  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return std::nullopt;
  std::string_view number = text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
  bool negative = false;
  if (number[0] == '+' || number[0] == '-') {
    negative = number[0] == '-';
    number.remove_prefix(1);
  }
  const std::size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  std::string mantissa_digits;
  for (char c : mantissa) {
    if (IsDigitChar(c)) mantissa_digits += c;
  }
  if (mantissa_digits.empty()) return std::nullopt;
  if (mantissa.size() - mantissa_digits.size() > 1) return std::nullopt;  // only one other char...
  if (mantissa.size() != mantissa_digits.size() && mantissa.find('.') == std::string_view::npos) {
    return std::nullopt;  // ...and it must be the point
  }
  std::int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view power = number.substr(e + 1);
    bool power_negative = false;
    if (!power.empty() && (power[0] == '+' || power[0] == '-')) {
      power_negative = power[0] == '-';
      power.remove_prefix(1);
    }
    if (power.empty() || !AllDigits(power)) return std::nullopt;
    for (char c : power) exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), 1'000'000'000);
    if (power_negative) exponent = -exponent;
  }

  long double x = 0;
  const auto [end, error] = ExtendedFromChars(number.data(), number.data() + number.size(), x);
  if (error == std::errc::result_out_of_range) {
    // Out of range is either above the extended range (not a number) or below it (zero): tell them
    // apart by where the first significant digit stands.
    const std::size_t first = mantissa_digits.find_first_not_of('0');
    const std::size_t point = mantissa.find('.') == std::string_view::npos ? mantissa_digits.size()
                                                                            : mantissa.find('.');
    const std::int64_t lead = static_cast<std::int64_t>(point) - 1 - static_cast<std::int64_t>(first) + exponent;
    if (lead > 0) return std::nullopt;
    x = 0;
  } else if (error != std::errc{} || end != number.data() + number.size()) {
    return "reference: from_chars disagrees with the form check";
  }

  // The value's first 18 significant digits: digits[0] stands at the place 10^power.
  char scientific[64];
  char* scientific_end =
      ExtendedToScientific(scientific, scientific + sizeof scientific, x, 17).ptr;
  const std::string s(scientific, static_cast<std::size_t>(scientific_end - scientific));  // "d.ddddddddddddddddde+dd"
  const std::string digits = s.substr(0, 1) + s.substr(2, 17);
  int power = 0;
  std::from_chars(s.data() + 21, s.data() + s.size(), power);
  if (s[20] == '-') power = -power;
  auto digit_at = [&](std::int64_t place) -> int {
    const std::int64_t index = power - place;
    return index >= 0 && index < 18 ? digits[static_cast<std::size_t>(index)] - '0' : 0;
  };

  // Kept value = kept * 10^last: at most 14 significant digits and no place below 10^-places.
  const std::int64_t last = std::max<std::int64_t>(power - 13, -places);
  std::uint64_t kept = 0;
  for (std::int64_t place = power; place >= last; --place) kept = kept * 10 + digit_at(place);
  if (digit_at(last - 1) >= 5) ++kept;

  if (kept == 0) return places == 0 ? std::string("0") : "0." + std::string(places, '0');

  std::string out = negative ? "-" : "";
  std::string kept_text = IntegerText(kept);
  const std::int64_t lead = static_cast<std::int64_t>(kept_text.size()) - 1 + last;
  if (lead >= 14) {
    kept_text.erase(kept_text.find_last_not_of('0') + 1);
    out += kept_text[0];
    if (kept_text.size() > 1) out += "." + kept_text.substr(1);
    std::string power_text = IntegerText(lead);
    if (places >= 1 && places <= 4 && power_text.size() < static_cast<std::size_t>(places)) {
      power_text.insert(0, places - power_text.size(), '0');
    }
    return out + "E" + power_text;
  }
  if (last > 0) kept_text.append(static_cast<std::size_t>(last), '0');
  const std::size_t fraction = last < 0 ? static_cast<std::size_t>(-last) : 0;
  if (kept_text.size() <= fraction) kept_text.insert(0, fraction + 1 - kept_text.size(), '0');
  out += kept_text.substr(0, kept_text.size() - fraction);
  if (places > 0) {
    out += "." + kept_text.substr(kept_text.size() - fraction);
    out.append(places - fraction, '0');
  }
  return out;
}

}  // namespace corvane::reference
