// The picture of exported points over arbitrary coordinates: the SVG (marks and density raster),
// the raster on its own and the look-up grid, with points and extents from the input's bytes.
//
// Each 17 bytes are a point: X and Y as raw doubles (infinities, NaN, subnormals, 1e308 and all)
// and a type byte. The extent is the engine's own (MeasureExtent) on inputs whose first byte is
// even, else an extent read from the input too: any finite one, wider or narrower than the points.
// The picture must be complete XML text without "inf", "nan" or NUL, and of bounded size; every
// point with a place must be found by the grid where it lies.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/point_preview.h"
#include "plot/density_raster.h"
#include "plot/point_index.h"
#include "plot/point_plot.h"

namespace {

using namespace corvane;

[[noreturn]] void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "plot: %s\n  %.*s\n", what, static_cast<int>(std::min<std::size_t>(detail.size(), 3000)),
               detail.data());
  std::abort();
}

double DoubleAt(const std::uint8_t* bytes) {
  double v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

void CheckSvg(const std::string& svg, std::size_t points) {
  if (svg.rfind("<?xml", 0) != 0 || svg.size() < 8 || svg.compare(svg.size() - 7, 7, "</svg>\n") != 0) {
    Fail("the picture is not a whole SVG document", svg);
  }
  // The raster's base64 payload may spell "inf" or "nan" by chance; only the text around it counts.
  std::string text;
  for (std::size_t from = 0;;) {
    const std::size_t payload = svg.find("base64,", from);
    if (payload == std::string::npos) {
      text.append(svg, from, std::string::npos);
      break;
    }
    text.append(svg, from, payload - from);
    const std::size_t end = svg.find('"', payload);
    if (end == std::string::npos) Fail("a raster payload without its end", svg);
    from = end;
  }
  if (text.find("inf") != std::string::npos || text.find("nan") != std::string::npos) Fail("a number that is not one", text);
  if (svg.find('\0') != std::string::npos) Fail("a NUL byte in the picture", svg);
  // A mark is some 50 bytes; the raster is bounded by the frame; the rest is the legend.
  if (svg.size() > 64 * points + 400000) Fail("the picture grew beyond its bounds", svg.substr(0, 2000));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool ownExtent = (data[0] & 1) != 0;
  std::size_t at = 1;
  PointPreview p;
  double extent[4] = {0, 0, 0, 0};
  if (ownExtent) {
    if (size < at + 32) return 0;
    for (double& e : extent) {
      e = DoubleAt(data + at);
      at += 8;
      if (!std::isfinite(e)) e = 0;
    }
  }
  while (at + 17 <= size && p.x.size() < 20000) {
    p.x.push_back(DoubleAt(data + at));
    p.y.push_back(DoubleAt(data + at + 8));
    p.z.push_back(0);
    p.type.push_back(static_cast<std::uint8_t>(data[at + 16] % 17));
    at += 17;
  }
  p.lineStart.assign(p.x.size() + 1, 0);
  MeasureExtent(p);
  std::size_t withPlace = 0;
  for (std::size_t i = 0; i < p.size(); ++i) withPlace += std::isfinite(p.x[i]) && std::isfinite(p.y[i]);
  if (withPlace + p.pointsWithoutPlace != p.size()) Fail("points counted twice or not at all");
  if (p.hasExtent != (withPlace > 0)) Fail("an extent without points, or points without one");
  const PointPreview measured = p;
  if (ownExtent && p.hasExtent) {
    p.minX = std::min(extent[0], extent[1]);
    p.maxX = std::max(extent[0], extent[1]);
    p.minY = std::min(extent[2], extent[3]);
    p.maxY = std::max(extent[2], extent[3]);
  }

  // Marks, and the density raster (threshold from the input).
  plot::PlotOptions options;
  options.title = "fuzz";
  CheckSvg(plot::PlotSvg(p, options), p.size());
  options.rasterThreshold = size % 3;
  CheckSvg(plot::PlotSvg(p, options), p.size());

  // The raster over a view from the input: every pixel an index of the palette.
  if (size >= 24) {
    plot::RasterView view;
    view.left = DoubleAt(data + size - 24);
    view.top = DoubleAt(data + size - 16);
    view.scale = std::ldexp(1.0, static_cast<int>(data[size - 8]) - 128);
    view.width = 1 + data[size - 7] % 64;
    view.height = 1 + data[size - 6] % 64;
    const plot::DensityImage image = plot::RasterizeDensity(p, view);
    if (image.indexes.size() != std::size_t{view.width} * view.height) Fail("the raster has another size");
    for (std::uint8_t index : image.indexes) {
      if (index >= plot::DensityPalette().size()) Fail("a pixel outside the palette");
    }
  }

  // The grid over the engine's extent finds each point with a place where it lies.
  const plot::PointIndex index(measured);
  if (index.CellCount() > std::max<std::size_t>(1, measured.size() / 4 + 1)) Fail("the grid has too many cells");
  for (std::size_t i = 0; i < measured.size(); i += 1 + measured.size() / 64) {
    if (!std::isfinite(measured.x[i]) || !std::isfinite(measured.y[i])) continue;
    const std::int64_t found = index.Nearest(measured.x[i], measured.y[i], 0);
    if (found < 0) Fail("a point with a place is not found where it lies");
    const auto k = static_cast<std::size_t>(found);
    // The same place as the grid measures it: squares of distances below 1e-162 are zero.
    const double dx = measured.x[k] - measured.x[i], dy = measured.y[k] - measured.y[i];
    if (dx * dx + dy * dy != 0) Fail("the grid found another place");
  }
  return 0;
}
