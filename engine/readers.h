// The entity readers. Each is entered just after its entity's type-name line and exports its
// points through WriteDataLine. All but ReadPolylineEntity return just after the code line "0"
// that ends the entity; every reader stops at the end of the input.
#pragma once

#include <string_view>

#include "engine/run_state.h"

namespace corvane {

// `option` is the entity option the reader counts the entity under, `typeName` the entity name its
// data lines carry (both from the entity options' table).
void ReadPointEntity(FileState& file, int option, std::string_view typeName);  // POINT CIRCLE ARC ELLIPSE
void ReadTextEntity(FileState& file, int option, std::string_view typeName);   // TEXT MTEXT
void ReadLineEntity(FileState& file, int option, std::string_view typeName);
void ReadInsertEntity(FileState& file, int option, std::string_view typeName);
void ReadLwPolylineEntity(FileState& file, int option, std::string_view typeName);
void ReadSplineEntity(FileState& file, int option, std::string_view typeName);
void Read3DFaceEntity(FileState& file, int option, std::string_view typeName);

// 2D or 3D by the polyline's flags; read whether its option is ticked or not, so that its vertices
// are consumed with it.
void ReadPolylineEntity(FileState& file);

}  // namespace corvane
