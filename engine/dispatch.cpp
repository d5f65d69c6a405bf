#include "engine/dispatch.h"

#include "engine/readers.h"

namespace corvane {

void DispatchEntityName(FileState& file, std::string_view line) {
  // An entity name. The pairs of an entity no reader takes follow as code and value lines; a
  // reader that runs sets the phase it leaves the input in.
  file.phase = LinePhase::kCode;
  file.lastValueCode = -1;
  using namespace entity_bit;
  if (line == "LINE") {
    if (file.Enabled(kLines)) ReadLineEntity(file);
  } else if (line == "POINT") {
    if (file.Enabled(kPoints)) ReadPointEntity(file, "POINT");
  } else if (line == "CIRCLE") {
    if (file.Enabled(kCircles)) ReadPointEntity(file, "CIRCLE");
  } else if (line == "ELLIPSE") {
    if (file.Enabled(kEllipses)) ReadPointEntity(file, "ELLIPSE");
  } else if (line == "ARC") {
    if (file.Enabled(kArcs)) ReadPointEntity(file, "ARC");
  } else if (line == "TEXT") {
    if (file.Enabled(kSingleLineText)) ReadTextEntity(file, "TEXT");
  } else if (line == "MTEXT") {
    if (file.Enabled(kMultilineText)) ReadTextEntity(file, "MTEXT");
  } else if (line == "INSERT") {
    if (file.Enabled(kBlocks)) ReadInsertEntity(file);
  } else if (line == "3DFACE") {
    if (file.Enabled(k3DFaces)) Read3DFaceEntity(file, file.Enabled(kThreePointsOnly));
  } else if (line == "LWPOLYLINE") {
    if (file.Enabled(k2DPolylines)) ReadLwPolylineEntity(file);
  } else if (line == "SPLINE") {
    if (file.Enabled(kSplines)) ReadSplineEntity(file);
  } else if (line == "POLYLINE") {
    // Always read, so that the vertices of a polyline whose kind is off are consumed with it.
    ReadPolylineEntity(file);
  } else if (line == "EOF") {
    file.afterEof = true;
  }
}

}  // namespace corvane
