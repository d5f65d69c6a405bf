// Points too many to draw one by one, drawn as density: each pixel in the colour of the last point
// that fell on it (as marks drawn in order would show), stronger where more points fall. Shared by
// the --plot picture and any window that shows a preview, so both draw many points alike.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/point_preview.h"
#include "plot/png_image.h"

namespace corvane::plot {

// Which part of the drawing lands on which pixel, Y pointing up: pixel column c covers X from
// left + c / scale, row r covers Y down from top - r / scale.
struct RasterView {
  double left = 0;
  double top = 0;
  double scale = 1;  // pixels per drawing unit
  std::uint32_t width = 0, height = 0;
};

struct DensityImage {
  std::uint32_t width = 0, height = 0;
  // A DensityPalette() index per pixel, row by row from the top; 0 where no point fell.
  std::vector<std::uint8_t> indexes;
};

// Points outside the view (and those without a position) are left out. `cancel`, when given, is
// read every 65,536 points; a cancelled image is incomplete.
DensityImage RasterizeDensity(const PointPreview& preview, const RasterView& view,
                              const std::atomic<bool>* cancel = nullptr);

// Index 0 transparent; then, for each of the twelve counted entity types in option order, 16 shades
// from light (one point) to full (the most points on any pixel of the image).
const std::vector<PaletteEntry>& DensityPalette();

// The image as 32-bit ARGB pixels (0xAARRGGBB, not premultiplied), row by row from the top.
std::vector<std::uint32_t> DensityArgb32(const DensityImage& image);

}  // namespace corvane::plot
