// The number a DXF coordinate text stands for, as a double, for drawing points (the data line
// formats the text itself, digit by digit; this is only its value).
#pragma once

#include <string_view>

namespace corvane {

// The value of a coordinate text: an empty text is 0 (a missing group means 0 in DXF); the DXF
// number form (blanks, an optional sign, digits with an optional point, an optional exponent)
// gives its value; a value beyond double's range gives an infinity, one below it 0; any other
// text gives NaN. Independent of the C and C++ locale.
double CoordinateValue(std::string_view text);

}  // namespace corvane
