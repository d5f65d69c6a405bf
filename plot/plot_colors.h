// The colour of each entity type in a picture of exported points, shared by every picture (the
// plot of corvane-cli, the desktop program's preview) so a type looks the same everywhere.
#pragma once

#include <cstdint>

#include "config/entity_options.h"

namespace corvane::plot {

struct Rgb {
  std::uint8_t r, g, b;
};

// By entity option (entity_bit::k*); anything else gets the sub-options' grey.
inline Rgb EntityColor(int option) {
  const EntityColour c =
      (option >= 0 && option < kEntityOptionCount) ? EntityOptionOf(option).colour : kSubOptionGrey;
  return Rgb{c.r, c.g, c.b};
}

}  // namespace corvane::plot
