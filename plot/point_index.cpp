#include "plot/point_index.h"

#include <algorithm>
#include <cmath>

namespace corvane::plot {

namespace {

bool HasPlace(const PointPreview& p, std::size_t i) { return std::isfinite(p.x[i]) && std::isfinite(p.y[i]); }

}  // namespace

PointIndex::PointIndex(const PointPreview& preview) : preview_(preview) {
  if (!preview.hasExtent || preview.size() == 0) return;
  minX_ = preview.minX;
  minY_ = preview.minY;
  // Half spans: the extent's own span may be larger than any double (-1e308 to 1e308).
  const double halfX = PointPreview::HalfSpan(preview.minX, preview.maxX);
  const double halfY = PointPreview::HalfSpan(preview.minY, preview.maxY);
  // About four points a cell, the cells as square as the extent allows, at most 2^20 of them.
  const double cells = std::clamp(static_cast<double>(preview.size()) / 4, 1.0, 1048576.0);
  // Square roots taken apart: the area of an extent that wide is more than a double holds.
  double side = halfX > 0 && halfY > 0 ? std::sqrt(halfX) * std::sqrt(halfY / cells) : std::max(halfX, halfY) / cells;
  if (!(side > 0) || !std::isfinite(side)) side = 1;
  columns_ = static_cast<std::size_t>(std::clamp(std::floor(halfX / side) + 1, 1.0, cells));
  // Never more cells than points call for, whatever the extent's shape.
  rows_ = static_cast<std::size_t>(
      std::clamp(std::floor(halfY / side) + 1, 1.0, std::max(1.0, std::floor(cells / static_cast<double>(columns_)))));
  cellWidth_ = halfX > 0 ? halfX / static_cast<double>(columns_) : 1;
  cellHeight_ = halfY > 0 ? halfY / static_cast<double>(rows_) : 1;
  // A counting sort: points per cell, their starts, then the points in order.
  cellStart_.assign(columns_ * rows_ + 1, 0);
  for (std::size_t i = 0; i < preview.size(); ++i) {
    if (HasPlace(preview, i)) ++cellStart_[CellOf(preview.x[i], preview.y[i]) + 1];
  }
  for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
  points_.resize(cellStart_.back());
  std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
  for (std::size_t i = 0; i < preview.size(); ++i) {
    if (HasPlace(preview, i)) points_[next[CellOf(preview.x[i], preview.y[i])]++] = static_cast<std::uint32_t>(i);
  }
}

std::size_t PointIndex::CellOf(double x, double y) const {
  const auto column = static_cast<std::size_t>(std::clamp(
      PointPreview::HalfSpan(minX_, x) / cellWidth_, 0.0, static_cast<double>(columns_ - 1)));
  const auto row = static_cast<std::size_t>(std::clamp(
      PointPreview::HalfSpan(minY_, y) / cellHeight_, 0.0, static_cast<double>(rows_ - 1)));
  return row * columns_ + column;
}

std::int64_t PointIndex::Nearest(double x, double y, double radius) const {
  if (points_.empty() || !(radius >= 0) || !std::isfinite(x) || !std::isfinite(y)) return -1;
  const auto range = [](double low, double high, double origin, double size, std::size_t count) {
    const double last = static_cast<double>(count - 1);
    return std::pair<std::size_t, std::size_t>(
        static_cast<std::size_t>(std::clamp(std::floor(PointPreview::HalfSpan(origin, low) / size), 0.0, last)),
        static_cast<std::size_t>(std::clamp(std::floor(PointPreview::HalfSpan(origin, high) / size), 0.0, last)));
  };
  // Cells wholly outside the extent hold nothing: a place far away finds nothing in them.
  if (x + radius < preview_.minX || x - radius > preview_.maxX || y + radius < preview_.minY ||
      y - radius > preview_.maxY) {
    return -1;
  }
  const auto [c0, c1] = range(x - radius, x + radius, minX_, cellWidth_, columns_);
  const auto [r0, r1] = range(y - radius, y + radius, minY_, cellHeight_, rows_);
  std::int64_t best = -1;
  double bestDistance = radius * radius;
  for (std::size_t r = r0; r <= r1; ++r) {
    for (std::size_t c = c0; c <= c1; ++c) {
      const std::size_t cell = r * columns_ + c;
      for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        const std::uint32_t i = points_[k];
        const double dx = preview_.x[i] - x, dy = preview_.y[i] - y;
        const double d = dx * dx + dy * dy;
        if (d < bestDistance || (d == bestDistance && static_cast<std::int64_t>(i) > best)) {
          bestDistance = d;
          best = i;
        }
      }
    }
  }
  return best;
}

}  // namespace corvane::plot
