#include "plot/density_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "plot/plot_colors.h"

namespace corvane::plot {

namespace {

constexpr int kLevels = 16;

// The counted types, in option order, as palette slots; a sub-option is never a point's type.
constexpr std::array<int, kEntityOptionCount> kSlots = [] {
  std::array<int, kEntityOptionCount> slots{};
  int next = 0;
  for (const EntityOption& option : kEntityOptions) slots[static_cast<std::size_t>(option.bit)] = option.counted ? next++ : -1;
  return slots;
}();

int SlotOf(int type) { return (type >= 0 && type < kEntityOptionCount) ? kSlots[static_cast<std::size_t>(type)] : -1; }

}  // namespace

const std::vector<PaletteEntry>& DensityPalette() {
  static const std::vector<PaletteEntry> palette = [] {
    std::vector<PaletteEntry> p(1 + 12 * kLevels);
    p[0] = PaletteEntry{0, 0, 0, 0};
    for (int t = 0; t < kEntityOptionCount; ++t) {
      const int slot = SlotOf(t);
      if (slot < 0) continue;
      const Rgb c = EntityColor(t);
      for (int level = 0; level < kLevels; ++level) {
        const auto alpha = static_cast<std::uint8_t>(110 + (255 - 110) * level / (kLevels - 1));
        p[static_cast<std::size_t>(1 + slot * kLevels + level)] = PaletteEntry{c.r, c.g, c.b, alpha};
      }
    }
    return p;
  }();
  return palette;
}

DensityImage RasterizeDensity(const PointPreview& p, const RasterView& view, const std::atomic<bool>* cancel) {
  DensityImage image;
  image.width = view.width;
  image.height = view.height;
  const std::size_t pixels = static_cast<std::size_t>(view.width) * view.height;
  image.indexes.assign(pixels, 0);
  if (pixels == 0) return image;
  // Zeroed in one block rather than element by element.
  const std::unique_ptr<std::uint32_t[]> count = std::make_unique<std::uint32_t[]>(pixels);
  // The pixels that got a point, so the shading pass costs what the points cost, not the frame's
  // size: a view is redrawn on every zoom and pan, mostly over few points.
  std::vector<std::size_t> touched;
  std::uint32_t most = 0;
  const double width = view.width, height = view.height;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if ((i & 0xFFFF) == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed)) return image;
    // In halves: a point and an edge 1e308 apart are a finite distance apart.
    const double column = PointPreview::HalfSpan(view.left, p.x[i]) * view.scale * 2;
    const double row = PointPreview::HalfSpan(p.y[i], view.top) * view.scale * 2;
    // NaN fails both tests and is left out with the points outside.
    if (!(column >= 0 && column < width && row >= 0 && row < height)) continue;
    const std::size_t at = static_cast<std::size_t>(row) * view.width + static_cast<std::size_t>(column);
    if (count[at] == 0) touched.push_back(at);
    most = std::max(most, ++count[at]);
    const int slot = SlotOf(p.type[i]);
    image.indexes[at] = static_cast<std::uint8_t>(1 + std::max(slot, 0) * kLevels);  // the last point's type
  }
  // The shade: how many points fell there, on a logarithmic scale up to the most on one pixel.
  const double logMost = std::log(static_cast<double>(std::max<std::uint32_t>(most, 2)));
  for (const std::size_t k : touched) {
    const int level = std::clamp(
        static_cast<int>(std::lround((kLevels - 1) * std::log(static_cast<double>(count[k])) / logMost)), 0,
        kLevels - 1);
    image.indexes[k] = static_cast<std::uint8_t>(image.indexes[k] + level);
  }
  return image;
}

std::vector<std::uint32_t> DensityArgb32(const DensityImage& image) {
  const std::vector<PaletteEntry>& palette = DensityPalette();
  std::uint32_t argb[256] = {};
  for (std::size_t k = 0; k < palette.size(); ++k) {
    const PaletteEntry& e = palette[k];
    argb[k] = (std::uint32_t{e.a} << 24) | (std::uint32_t{e.r} << 16) | (std::uint32_t{e.g} << 8) | e.b;
  }
  std::vector<std::uint32_t> pixels(image.indexes.size());
  for (std::size_t k = 0; k < pixels.size(); ++k) pixels[k] = argb[image.indexes[k]];
  return pixels;
}

}  // namespace corvane::plot
