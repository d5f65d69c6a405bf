// The entity readers. Each is entered just after its entity's type-name line and exports its
// points through WriteDataLine. All but ReadPolylineEntity return just after the code line "0"
// that ends the entity; every reader stops at the end of the input.
#pragma once

#include <string_view>

#include "engine/run_state.h"

namespace corvane {

void ReadPointEntity(FileState& file, std::string_view entityName);  // POINT CIRCLE ARC ELLIPSE
void ReadTextEntity(FileState& file, std::string_view entityName);   // TEXT MTEXT
void ReadLineEntity(FileState& file);
void ReadInsertEntity(FileState& file);

void ReadPolylineEntity(FileState& file);
void ReadLwPolylineEntity(FileState& file);
void ReadSplineEntity(FileState& file);
void Read3DFaceEntity(FileState& file, bool ThreePointsOnly);

}  // namespace corvane
