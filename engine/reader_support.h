// What every entity reader shares: the starting values of an entity and the export of a point.
#pragma once

#include <string_view>

#include "engine/data_line.h"
#include "engine/run_state.h"
#include "engine/world_points.h"

namespace corvane {

inline constexpr std::string_view kNoHandle = "!NoHandle!";
inline constexpr std::string_view kNoLayer = "!NoLayer!";
inline constexpr std::string_view kNoBlockName = "!NoBlockName!";

// Every entity starts from the same values; the slots keep their buffers between entities.
inline EntityValues& StartEntity(FileState& file, std::string_view blockName = {},
                                 std::string_view zStart = {}) {
  EntityValues& v = file.values;
  v.XText.Reset();
  v.YText.Reset();
  v.ZText.Reset(zStart);
  v.Handle.Reset(kNoHandle);
  v.Layer.Reset(kNoLayer);
  v.BlockName.Reset(blockName);
  v.TextValue.Reset();
  file.extrusion.Reset();
  return v;
}

// A pair no reader takes for itself: with world coordinates asked for, it may be part of the
// entity's extrusion direction.
inline void TakeExtrusionGroup(FileState& file, int code, std::string_view value) {
  if (file.worldCoordinates) [[unlikely]] file.extrusion.Take(code, value);
}

// With world coordinates asked for, the point in the value slots, stored in the entity's plane,
// goes to world coordinates.
inline void PutPointInWorld(FileState& file) {
  if (!file.worldCoordinates || !file.extrusion.Given()) [[likely]] return;
  EntityValues& v = file.values;
  PutInWorld(file.extrusion.Plane(), v.XText, v.YText, v.ZText);
}

// The point of an entity whose X or Y has arrived but whose Z has not. 2D writers leave out the Z
// groups; such a point is written with an empty Z when the next point or the end of the entity
// comes first, so that a counted entity never silently loses a point.
class PointAwaitingZ {
 public:
  explicit PointAwaitingZ(std::string_view entityName) : entityName_(entityName) {}
  // Which point of the entity waits (0 start or control, 1 end or fit, a corner), or -1.
  int which() const { return which_; }
  void Await(int which) { which_ = which; }
  // Its Z came; the reader writes the point itself.
  void Arrived() { which_ = -1; }
  void WriteWithoutZ(FileState& file) {
    if (which_ < 0) return;
    which_ = -1;
    ExportPoint(file, CoordText{}, entityName_);
  }

 private:
  std::string_view entityName_;
  int which_ = -1;
};

}  // namespace corvane
