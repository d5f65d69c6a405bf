// The long double route of the coordinate formatter, taken on its own: the tests and the fuzzer hold
// the digit fast path against it. Internal to engine/format_coordinate.cpp.
#pragma once

#include <string_view>

namespace corvane::coordinate_detail {

// As FormatCoordinate, but every text of a nonzero value is converted to an extended float and back,
// even when its digits alone would do.
int FormatCoordinateThroughExtended(std::string_view text, int decimals, char* out);

}  // namespace corvane::coordinate_detail
