// The picture of a point preview as an SVG file: every exported point as a small mark coloured by
// its entity type, or, for many points, a density raster embedded as a PNG; a legend with each
// type's count as the report gives it; the drawing's extent, with the Y axis pointing up.
#pragma once

#include <cstddef>
#include <string>

#include "engine/point_preview.h"

namespace corvane::plot {

// Up to this many points, each is one mark (a <circle> of class "pt"); above it, the picture is a
// density raster. 50,000 marks make an SVG of 2.5 MB (librsvg draws it in 0.6 s of CPU time); a
// million would make 50 MB and a document that keeps a browser busy for many seconds. The raster
// costs the same at any count (some 30 KB).
inline constexpr std::size_t kRasterThreshold = 50000;

struct PlotOptions {
  std::string title;  // shown above the picture (the drawing's name); any bytes
  std::size_t rasterThreshold = kRasterThreshold;
};

// The SVG file's text (UTF-8 XML). Legend entries carry the report's counts in machine-readable
// form too: <text class="count" data-option="I" data-count="N">.
std::string PlotSvg(const PointPreview& preview, const PlotOptions& options);

}  // namespace corvane::plot
