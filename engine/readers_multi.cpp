// The readers of the entities that carry many points: POLYLINE with its VERTEX and SEQEND
// entities, LWPOLYLINE, SPLINE and 3DFACE.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "engine/data_line.h"
#include "engine/line_reader.h"
#include "engine/pairs.h"
#include "engine/reader_support.h"
#include "engine/report_text.h"
#include "engine/readers.h"

namespace corvane {

namespace {

// A group 70 value: a signed 32-bit integer in decimal, with an optional sign. The flags decide
// which vertices are exported, so a value that is not one ends the file rather than being
// guessed at.
std::int32_t GroupSeventyValue(std::string_view text, std::uint64_t line) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    i = 1;
  }
  bool valid = i < text.size();
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  for (; valid && i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      valid = false;
    } else {
      magnitude = magnitude * 10 + (c - '0');
      if (magnitude > limit) valid = false;
    }
  }
  if (!valid) {
    throw FileConversionError{"group 70 value " + QuoteForReport(text) + " in line " +
                              std::to_string(line) + " is not an integer"};
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

constexpr std::int32_t k3DPolylineFlag = 8;
constexpr std::int32_t kSplineFrameFlag = 16;
constexpr std::int32_t k3DVertexFlags = 32;

}  // namespace

void ReadPolylineEntity(FileState& file) {
  using namespace entity_bit;
  EntityValues& v = StartEntity(file);
  LineReader& in = file.input;
  std::int32_t PolylineFlags = 0;
  std::int32_t VertexFlags = 0;

  std::string_view codeLine, valueLine;
  int code = -1;
  std::string_view value;
  // Reads one pair; false at the end of the input (a code line without its value is dropped).
  // The code is taken before the value line is read, which may move the code line's bytes.
  // A code line that cannot be a code is the value of a pair whose code was the line before it
  // (the pairs were out of step); a group-0 value read that way is handed back like any other.
  auto nextPair = [&] {
    if (!in.Next(codeLine)) return false;
    code = CodeOfLine(codeLine);
    if (code < 0 && OutOfStep(file, codeLine)) {
      code = file.lastValueCode;
      file.lastValueCode = -1;
      value = TrimDxf(codeLine);
      return true;
    }
    if (!in.Next(valueLine)) return false;
    value = TrimDxf(valueLine);
    file.lastValueCode = GroupCode(value);
    return true;
  };
  // A group-0 pair that is neither a vertex nor the SEQEND starts the next entity: the
  // polyline's SEQEND is missing. Its name goes back to the main loop to be dispatched as usual.
  auto handBackEntityName = [&] {
    in.Unread();
    file.phase = LinePhase::kValueOfZero;
  };

  // Phase 1: the POLYLINE entity's own pairs. Its point (the elevation of a 2D polyline) is not
  // used.
  bool readVertices = false;
  bool endOfInput = false;
  for (;;) {
    if (!nextPair()) {
      endOfInput = true;
      break;
    }
    if (code == 0) {
      if (value == "VERTEX") {
        readVertices = true;
      } else if (value == "SEQEND") {
        file.phase = LinePhase::kCode;
      } else {
        handBackEntityName();
      }
      break;
    }
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 70: PolylineFlags = GroupSeventyValue(value, in.LineNumber()); break;
      default: break;
    }
  }

  const bool is3D = (PolylineFlags & k3DPolylineFlag) != 0;
  const bool exported = is3D ? file.Enabled(k3DPolylines) : file.Enabled(k2DPolylines);
  const bool allVertices = is3D ? file.Enabled(kAdded3D) : file.Enabled(kAdded2D);
  const std::int32_t ordinaryFlags = is3D ? k3DVertexFlags : 0;
  const std::string_view entityName = is3D ? "3DPOLYLINE" : "2DPOLYLINE";
  // Vertices that curve or spline fitting added are left out unless asked for; spline frame
  // control points always go out. A vertex without group 70 is judged as an ordinary one of its
  // kind, except the first, which starts from 0.
  auto judgeVertex = [&] {
    if (!exported) return;
    if (VertexFlags == ordinaryFlags || (VertexFlags & kSplineFrameFlag) != 0 || allVertices) {
      WritePoint(file, Coord(v.ZText), entityName);
    }
    VertexFlags = ordinaryFlags;
  };

  // Phase 2: the vertices. Each group-0 pair closes the vertex read before it. The coordinates
  // and the vertex flags carry over from one vertex to the next.
  if (readVertices) {
    bool vertexHasPairs = false;
    auto vertexPair = [&](int pairCode, std::string_view pairValue) {
      vertexHasPairs = true;
      const std::uint64_t line = in.LineNumber();
      switch (pairCode) {
        case 70: VertexFlags = GroupSeventyValue(pairValue, line); break;
        case 10: v.XText.SetFromLine(pairValue, line); break;
        case 20: v.YText.SetFromLine(pairValue, line); break;
        case 30: v.ZText.SetFromLine(pairValue, line); break;
        default: break;
      }
    };
    for (;;) {
      // Runs of whole pairs in the block: the vertices' own pairs and the names of further vertices.
      in.TakePairsInBlock([&](std::string_view pairCodeLine, std::string_view pairValueLine) {
        const int pairCode = CodeOfLine(pairCodeLine);
        if (pairCode < 0) return false;
        const std::string_view pairValue = TrimDxf(pairValueLine);
        if (pairCode == 0) {
          if (pairValue != "VERTEX") return false;
          file.lastValueCode = GroupCode(pairValue);
          judgeVertex();
          vertexHasPairs = false;
          return true;
        }
        file.lastValueCode = GroupCode(pairValue);
        vertexPair(pairCode, pairValue);
        return true;
      });
      if (!nextPair()) {
        // Cut off: a vertex of which nothing but its name arrived is not in hand.
        if (vertexHasPairs) judgeVertex();
        endOfInput = true;
        break;
      }
      if (code == 0) {
        judgeVertex();
        vertexHasPairs = false;
        if (value == "VERTEX") continue;
        if (value == "SEQEND") {
          file.phase = LinePhase::kCode;
        } else {
          handBackEntityName();
        }
        break;
      }
      vertexPair(code, value);
    }
  }

  if (endOfInput) file.endedInsideEntity = true;
  if (exported) file.CountEntity(is3D ? k3DPolylines : k2DPolylines);
}

void ReadLwPolylineEntity(FileState& file) {
  EntityValues& v = StartEntity(file, {}, "0");
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 38: v.ZText.SetFromLine(value, line); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20:
        v.YText.SetFromLine(value, line);
        WritePoint(file, Coord(v.ZText), "LWPOLYLINE");
        break;
      default: break;
    }
  });
  file.CountEntity(entity_bit::k2DPolylines);
}

void ReadSplineEntity(FileState& file) {
  using namespace entity_bit;
  EntityValues& v = StartEntity(file);
  const bool kindWritten[2] = {file.Enabled(kControlPoints), file.Enabled(kFitPoints)};
  PointAwaitingZ pending("SPLINE");
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
        if (kindWritten[code - 30]) WritePoint(file, Coord(v.ZText), "SPLINE");
        break;
      default: break;
    }
  });
  pending.WriteWithoutZ(file);
  file.CountEntity(kSplines);
}

void Read3DFaceEntity(FileState& file, bool ThreePointsOnly) {
  EntityValues& v = StartEntity(file);
  const int corners = ThreePointsOnly ? 3 : 4;
  PointAwaitingZ pending("3DFACE");
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
      WritePoint(file, Coord(v.ZText), "3DFACE");
    }
  });
  pending.WriteWithoutZ(file);
  file.CountEntity(entity_bit::k3DFaces);
}

}  // namespace corvane
