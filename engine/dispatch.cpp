#include "engine/dispatch.h"

#include <array>

#include "config/entity_options.h"
#include "engine/readers.h"

namespace corvane {

namespace {

struct NamedStart {
  std::string_view name;
  EntityReader reader = EntityReader::kNone;
  int option = -1;
};

// The entity names that start a reader, in one flat list: an entity of any other name costs a
// length compare per entry. A name that starts two options (POLYLINE) is listed once, under the
// first: its reader decides between them.
constexpr std::size_t kStartCount = [] {
  std::size_t n = 0;
  for (const EntityOption& option : kEntityOptions) {
    for (const EntityStart& start : option.starts) n += start.reader != EntityReader::kNone ? 1 : 0;
  }
  return n;
}();

constexpr std::array<NamedStart, kStartCount> kStarts = [] {
  std::array<NamedStart, kStartCount> starts{};
  std::size_t n = 0;
  for (const EntityOption& option : kEntityOptions) {
    for (const EntityStart& start : option.starts) {
      if (start.reader != EntityReader::kNone) starts[n++] = NamedStart{start.name, start.reader, option.bit};
    }
  }
  return starts;
}();

void StartReader(FileState& file, const NamedStart& start) {
  // Always read, so that the vertices of a polyline whose kind is off are consumed with it.
  if (start.reader == EntityReader::kPolyline) return ReadPolylineEntity(file);
  if (!file.Enabled(start.option)) return;
  const std::string_view typeName = EntityOptionOf(start.option).typeNames[0];
  switch (start.reader) {
    case EntityReader::kPoint: return ReadPointEntity(file, start.option, typeName);
    case EntityReader::kText: return ReadTextEntity(file, start.option, typeName);
    case EntityReader::kLine: return ReadLineEntity(file, start.option, typeName);
    case EntityReader::kInsert: return ReadInsertEntity(file, start.option, typeName);
    case EntityReader::kLwPolyline: return ReadLwPolylineEntity(file, start.option, typeName);
    case EntityReader::kSpline: return ReadSplineEntity(file, start.option, typeName);
    case EntityReader::k3DFace: return Read3DFaceEntity(file, start.option, typeName);
    case EntityReader::kPolyline:
    case EntityReader::kNone: return;
  }
}

}  // namespace

void DispatchEntityName(FileState& file, std::string_view line) {
  file.phase = LinePhase::kCode;
  file.lastValueCode = -1;
  for (const NamedStart& start : kStarts) {
    if (start.name == line) return StartReader(file, start);
  }
  if (line == "EOF") file.afterEof = true;
}

}  // namespace corvane
