// What every entity reader shares: the starting values of an entity and the export of a point.
#pragma once

#include <string_view>

#include "engine/data_line.h"
#include "engine/run_state.h"

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
  return v;
}

// One data line with the entity's current X and Y, the given Z and the entity's other values.
inline void WritePoint(FileState& file, CoordText z, std::string_view entityName) {
  const EntityValues& v = file.values;
  WriteDataLine(file, Coord(v.XText), Coord(v.YText), z, v.Handle.view(), v.Layer.view(),
                entityName, v.BlockName.view(), v.TextValue.view());
}

}  // namespace corvane
