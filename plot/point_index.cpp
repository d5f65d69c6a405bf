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
  const double spanX = preview.maxX - preview.minX, spanY = preview.maxY - preview.minY;
  // About four points a cell, the cells as square as the extent allows, at most 2^20 of them.
  const double cells = std::clamp(static_cast<double>(preview.size()) / 4, 1.0, 1048576.0);
  const double area = spanX * spanY;
  double side = area > 0 ? std::sqrt(area / cells) : std::max(spanX, spanY) / cells;
  if (!(side > 0) || !std::isfinite(side)) side = 1;
  columns_ = static_cast<std::size_t>(std::clamp(std::floor(spanX / side) + 1, 1.0, cells));
  rows_ = static_cast<std::size_t>(std::clamp(std::floor(spanY / side) + 1, 1.0, cells));
  cellWidth_ = spanX > 0 ? spanX / static_cast<double>(columns_) : 1;
  cellHeight_ = spanY > 0 ? spanY / static_cast<double>(rows_) : 1;
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
  const auto column = static_cast<std::size_t>(
      std::clamp((x - minX_) / cellWidth_, 0.0, static_cast<double>(columns_ - 1)));
  const auto row = static_cast<std::size_t>(std::clamp((y - minY_) / cellHeight_, 0.0, static_cast<double>(rows_ - 1)));
  return row * columns_ + column;
}

std::int64_t PointIndex::Nearest(double x, double y, double radius) const {
  if (points_.empty() || !(radius >= 0) || !std::isfinite(x) || !std::isfinite(y)) return -1;
  const auto range = [](double low, double high, double origin, double size, std::size_t count) {
    const double last = static_cast<double>(count - 1);
    return std::pair<std::size_t, std::size_t>(
        static_cast<std::size_t>(std::clamp(std::floor((low - origin) / size), 0.0, last)),
        static_cast<std::size_t>(std::clamp(std::floor((high - origin) / size), 0.0, last)));
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
