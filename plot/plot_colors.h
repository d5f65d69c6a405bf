// The colour of each entity type in a picture of exported points, shared by every picture (the
// plot of corvane-cli, the desktop program's preview) so a type looks the same everywhere.
#pragma once

#include <cstdint>

namespace corvane::plot {

struct Rgb {
  std::uint8_t r, g, b;
};

// By entity option (entity_bit::k*): distinct hues for the twelve counted types; the
// sub-options, which are never a point's type, get grey.
inline Rgb EntityColor(int option) {
  static constexpr Rgb kColors[17] = {
      {31, 119, 180},  // 0 points
      {255, 127, 14},  // 1 circles
      {44, 160, 44},   // 2 arcs
      {214, 39, 40},   // 3 ellipses
      {148, 103, 189}, // 4 blocks
      {140, 86, 75},   // 5 lines
      {227, 119, 194}, // 6 2D polylines
      {128, 128, 128}, // 7
      {23, 190, 207},  // 8 3D polylines
      {128, 128, 128}, // 9
      {188, 189, 34},  // 10 splines
      {128, 128, 128}, // 11
      {20, 20, 20},    // 12 single-line text
      {0, 128, 96},    // 13 multiline text
      {173, 73, 74},   // 14 3D faces
      {128, 128, 128}, // 15
      {128, 128, 128}, // 16
  };
  return (option >= 0 && option < 17) ? kColors[option] : Rgb{128, 128, 128};
}

}  // namespace corvane::plot
