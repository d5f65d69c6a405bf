// How many readable bytes the line reader keeps behind every line it hands out, so that short texts
// are searched and copied in whole 16-byte moves.
#pragma once

#include <cstddef>

namespace corvane {

inline constexpr std::size_t kLineSlack = 32;

}  // namespace corvane
