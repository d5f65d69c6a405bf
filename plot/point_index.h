// Finding the exported point under the pointer (a preview window's hover and click): the points of
// a preview sorted into a grid over their extent once, so that each look-up reads only the few
// cells around the place asked for, even among a million points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/point_preview.h"

namespace corvane::plot {

class PointIndex {
 public:
  // Indexes the points of `preview`, which must outlive the index and keep its points unchanged.
  // About 4 bytes a point; 1.3 million points take some 40 ms, a look-up some 20 µs.
  explicit PointIndex(const PointPreview& preview);

  // The point nearest to (x, y) in drawing units, no farther than `radius`, or -1. Of points
  // equally near (the same place), the last in the data file: the one drawn on top.
  std::int64_t Nearest(double x, double y, double radius) const;

  // The grid's cells: never more than the points call for, whatever the extent's shape.
  std::size_t CellCount() const { return columns_ * rows_; }

 private:
  std::size_t CellOf(double x, double y) const;

  const PointPreview& preview_;
  double minX_ = 0, minY_ = 0, cellWidth_ = 1, cellHeight_ = 1;  // cells in half drawing units
  std::size_t columns_ = 0, rows_ = 0;
  std::vector<std::uint32_t> cellStart_;  // cell c holds points_[cellStart_[c], cellStart_[c + 1])
  std::vector<std::uint32_t> points_;     // point indexes by cell, in the data file's order
};

}  // namespace corvane::plot
