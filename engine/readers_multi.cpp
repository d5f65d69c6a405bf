// The readers of the entities that carry many points: POLYLINE with its VERTEX and SEQEND
// entities, LWPOLYLINE, SPLINE and 3DFACE.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/entity_options.h"
#include "engine/data_line.h"
#include "engine/pairs.h"
#include "engine/reader_support.h"
#include "engine/readers.h"
#include "engine/report_text.h"
#include "files/text_rules.h"

namespace corvane {

namespace {

// A group 70 value: a signed 32-bit integer in decimal, with an optional sign. The flags decide
// which vertices are exported, so a value that is not one ends the file rather than being
// guessed at.
std::int32_t GroupSeventyValue(std::string_view text, std::uint64_t line) {
  if (const std::optional<std::int32_t> value = ParseInt32(text)) return *value;
  throw FileConversionError{"group 70 value " + QuoteForReport(text) + " in line " +
                            std::to_string(line) + " is not an integer"};
}

constexpr std::int32_t k3DPolylineFlag = 8;
constexpr std::int32_t kSplineFrameFlag = 16;
constexpr std::int32_t k3DVertexFlags = 32;
constexpr std::int32_t kMeshFlags = 16 | 64;  // polygon mesh, polyface mesh

// A POLYLINE entity with the VERTEX entities that follow it up to its SEQEND.
class PolylineReader {
 public:
  explicit PolylineReader(FileState& file) : file_(file), pairs_(file), v_(StartEntity(file)) {}

  void Read() {
    const bool vertexFollows = ReadOwnPairs();
    const bool is3D = (polylineFlags_ & k3DPolylineFlag) != 0;
    option_ = is3D ? entity_bit::k3DPolylines : entity_bit::k2DPolylines;
    exported_ = file_.Enabled(option_);
    allVertices_ = file_.Enabled(is3D ? entity_bit::kAdded3D : entity_bit::kAdded2D);
    ordinaryFlags_ = is3D ? k3DVertexFlags : 0;
    entityName_ = EntityOptionOf(option_).typeNames[is3D ? 0 : 1];
    // A 2D polyline's vertices lie in its own plane at its elevation; 3D polylines and meshes
    // store world points.
    if (!is3D && (polylineFlags_ & kMeshFlags) == 0 && file_.worldCoordinates) [[unlikely]] {
      plane_ = file_.extrusion.Plane();
      // Inside a block every vertex is placed at the elevation; in the drawing, one on the world's
      // plane keeps its texts as written.
      atElevation_ = file_.capturing || !plane_.IsWorld();
    }
    if (vertexFollows) ReadVertices();
    if (endOfInput_) file_.endedInsideEntity = true;
    if (exported_) file_.CountEntity(option_);
  }

 private:
  // The POLYLINE entity's own pairs; true when a vertex follows. Its point (the elevation of a 2D
  // polyline) is not used.
  bool ReadOwnPairs() {
    Pair pair;
    for (;;) {
      if (pairs_.Next(pair) != PairRead::kPair) {
        endOfInput_ = true;
        return false;
      }
      if (pair.code == 0) {
        if (pair.value == "VERTEX") return true;
        EndWithoutVertex(pair.value);
        return false;
      }
      switch (pair.code) {
        case 5: v_.Handle.Set(pair.value); break;
        case 8: v_.Layer.Set(pair.value); break;
        case 70: polylineFlags_ = GroupSeventyValue(pair.value, file_.input.LineNumber()); break;
        case 30: elevation_.Set(pair.value, file_.input.LineNumber()); break;
        default: TakeExtrusionGroup(file_, pair.code, pair.value); break;
      }
    }
  }

  // A group-0 pair that is neither a vertex nor the SEQEND starts the next entity: the
  // polyline's SEQEND is missing. Its name goes back to the main loop to be dispatched as usual.
  void EndWithoutVertex(std::string_view name) {
    if (name == "SEQEND") {
      file_.phase = LinePhase::kCode;
    } else {
      pairs_.HandBackEntityName();
    }
  }

  // The vertices. Each group-0 pair closes the vertex read before it. The coordinates and the
  // vertex flags carry over from one vertex to the next.
  void ReadVertices() {
    Pair pair;
    for (;;) {
      // Runs of whole pairs in the block: the vertices' own pairs and the names of further vertices.
      pairs_.TakeInBlock([&](const Pair& taken) {
        if (taken.code != 0) {
          VertexPair(taken.code, taken.value);
        } else if (taken.value == "VERTEX") {
          JudgeVertex();
        } else {
          return PairTaken::kDeclined;
        }
        return PairTaken::kTaken;
      });
      if (pairs_.Next(pair) != PairRead::kPair) {
        // Cut off: a vertex of which nothing but its name arrived is not in hand.
        if (vertexHasPairs_) JudgeVertex();
        endOfInput_ = true;
        return;
      }
      if (pair.code != 0) {
        VertexPair(pair.code, pair.value);
        continue;
      }
      JudgeVertex();
      if (pair.value == "VERTEX") continue;
      EndWithoutVertex(pair.value);
      return;
    }
  }

  void VertexPair(int code, std::string_view value) {
    vertexHasPairs_ = true;
    const std::uint64_t line = file_.input.LineNumber();
    switch (code) {
      case 70: vertexFlags_ = GroupSeventyValue(value, line); break;
      case 10: v_.XText.SetFromLine(value, line); break;
      case 20: v_.YText.SetFromLine(value, line); break;
      case 30: v_.ZText.SetFromLine(value, line); break;
      default: break;
    }
  }

  // Vertices that curve or spline fitting added are left out unless asked for; spline frame
  // control points always go out. A vertex without group 70 is judged as an ordinary one of its
  // kind, except the first, which starts from 0.
  void JudgeVertex() {
    vertexHasPairs_ = false;
    if (!exported_) return;
    if (vertexFlags_ == ordinaryFlags_ || (vertexFlags_ & kSplineFrameFlag) != 0 || allVertices_) {
      if (atElevation_) [[unlikely]] return ExportVertexInWorld();
      ExportPoint(file_, Coord(v_.ZText), entityName_);
    }
    vertexFlags_ = ordinaryFlags_;
  }

  // The vertex's texts carry over to the next vertex as read: the world point goes out from copies.
  void ExportVertexInWorld() {
    vertexFlags_ = ordinaryFlags_;
    ValueSlot& x = v_.XText;
    ValueSlot& y = v_.YText;
    ValueSlot& z = v_.ZText;
    keptX_.Set(x.view(), x.line());
    keptY_.Set(y.view(), y.line());
    keptZ_.Set(z.view(), z.line());
    if (plane_.IsWorld()) {
      z.Set(elevation_.view(), elevation_.line());
    } else {
      PutInWorld(plane_, x, y, elevation_, z);
    }
    ExportPoint(file_, Coord(z), entityName_);
    x.Set(keptX_.view(), keptX_.line());
    y.Set(keptY_.view(), keptY_.line());
    z.Set(keptZ_.view(), keptZ_.line());
  }

  FileState& file_;
  PairCursor pairs_;
  EntityValues& v_;
  ObjectPlane plane_{Vec3{0, 0, 1}};
  bool atElevation_ = false;
  ValueSlot elevation_;
  ValueSlot keptX_, keptY_, keptZ_;
  std::int32_t polylineFlags_ = 0;
  std::int32_t vertexFlags_ = 0;
  int option_ = entity_bit::k2DPolylines;
  bool exported_ = false;
  bool allVertices_ = false;
  std::int32_t ordinaryFlags_ = 0;
  std::string_view entityName_;
  bool vertexHasPairs_ = false;
  bool endOfInput_ = false;
};

}  // namespace

void ReadPolylineEntity(FileState& file) { PolylineReader(file).Read(); }

namespace {

// With world coordinates asked for, an LWPOLYLINE's vertices wait for its extrusion direction,
// which the DXF format puts behind them; on the world's plane they go out as read.
void ReadLwPolylineInWorld(FileState& file, std::string_view typeName) {
  EntityValues& v = file.values;
  HeldVertices& held = file.heldVertices;
  held.Clear();
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 38: v.ZText.SetFromLine(value, line); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20:
        v.YText.SetFromLine(value, line);
        held.Add(v.XText.view(), v.XText.line(), v.YText.view(), v.YText.line(), v.ZText.view(), v.ZText.line());
        break;
      default: file.extrusion.Take(code, value); break;
    }
  });
  const ObjectPlane plane = file.extrusion.Plane();
  // Every vertex lies at the entity's elevation, whichever came last.
  ValueSlot& elevation = file.heldElevation;
  elevation.Set(v.ZText.view(), v.ZText.line());
  for (const HeldVertices::Vertex& vertex : held.vertices()) {
    v.XText.Set(held.TextOf(vertex.x), vertex.x.line);
    v.YText.Set(held.TextOf(vertex.y), vertex.y.line);
    if (plane.IsWorld()) {
      v.ZText.Set(held.TextOf(vertex.z), vertex.z.line);
    } else {
      PutInWorld(plane, v.XText, v.YText, elevation, v.ZText);
    }
    ExportPoint(file, Coord(v.ZText), typeName);
  }
}

}  // namespace

void ReadLwPolylineEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file, {}, "0");
  if (file.worldCoordinates) [[unlikely]] {
    ReadLwPolylineInWorld(file, typeName);
    file.CountEntity(option);
    return;
  }
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 38: v.ZText.SetFromLine(value, line); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20:
        v.YText.SetFromLine(value, line);
        ExportPoint(file, Coord(v.ZText), typeName);
        break;
      default: break;
    }
  });
  file.CountEntity(option);
}

void ReadSplineEntity(FileState& file, int option, std::string_view typeName) {
  using namespace entity_bit;
  EntityValues& v = StartEntity(file);
  const bool kindWritten[2] = {file.Enabled(kControlPoints), file.Enabled(kFitPoints)};
  PointAwaitingZ pending(typeName);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 10:
      case 11:
        // Every control point shares group 10 (every fit point 11): any X starts a new point.
        pending.WriteWithoutZ(file);
        v.XText.SetFromLine(value, line);
        if (kindWritten[code - 10]) pending.Await(code - 10);
        break;
      case 20:
      case 21:
        v.YText.SetFromLine(value, line);
        if (kindWritten[code - 20]) pending.Await(code - 20);
        break;
      case 30:
      case 31:
        v.ZText.SetFromLine(value, line);
        pending.Arrived();
        if (kindWritten[code - 30]) ExportPoint(file, Coord(v.ZText), typeName);
        break;
      default: break;
    }
  });
  pending.WriteWithoutZ(file);
  file.CountEntity(option);
}

void Read3DFaceEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file);
  const int corners = file.Enabled(entity_bit::kThreePointsOnly) ? 3 : 4;
  PointAwaitingZ pending(typeName);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    if (code == 5) {
      v.Handle.Set(value);
    } else if (code == 8) {
      v.Layer.Set(value);
    } else if (code >= 10 && code < 10 + corners) {
      // The next corner's X: the corner waiting goes out without its Z.
      if (pending.which() >= 0 && pending.which() != code - 10) pending.WriteWithoutZ(file);
      v.XText.SetFromLine(value, line);
      pending.Await(code - 10);
    } else if (code >= 20 && code < 20 + corners) {
      v.YText.SetFromLine(value, line);
      pending.Await(code - 20);
    } else if (code >= 30 && code < 30 + corners) {
      v.ZText.SetFromLine(value, line);
      pending.Arrived();
      ExportPoint(file, Coord(v.ZText), typeName);
    }
  });
  pending.WriteWithoutZ(file);
  file.CountEntity(option);
}

}  // namespace corvane
