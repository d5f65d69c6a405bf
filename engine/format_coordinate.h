// Turning a DXF coordinate text into the text of a data line: read as a decimal number, rounded
// half away from zero to at most 14 significant digits and at most `decimals` places, written in
// fixed form, or in exponent form from 10^14 upwards. Nothing here depends on the C or C++ locale.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvane {

// Large enough for every result: sign, 14 digits, point, 14 zero-padded decimals, or the
// exponent form with a padded power.
inline constexpr std::size_t kMaxCoordinateText = 48;

// Writes the formatted value of `text` with `decimals` places (clamped to 0..14) to `out`, which
// must hold kMaxCoordinateText bytes. Returns the number of bytes written, or -1 when the text is
// not a number (the empty text included). A missing DXF coordinate means 0: the caller turns an empty
// text into "0" before formatting, so this function keeps one meaning for every text.
// Never throws. Texts of up to 18 significant digits are formatted from their own digits without
// allocating; longer ones are read through long double (std::from_chars), which may allocate.
int FormatCoordinate(std::string_view text, int decimals, char* out);

}  // namespace corvane
