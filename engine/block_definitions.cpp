#include "engine/block_definitions.h"

#include <string>

#include "engine/coordinate_value.h"
#include "engine/dispatch.h"
#include "engine/pairs.h"

namespace corvane {

namespace {

// The name of the next entity: handed back by the reader before, or the value of the next group-0
// pair. False at the end of the input.
bool NextEntityName(FileState& file, PairCursor& pairs, std::string_view& name) {
  if (file.phase == LinePhase::kValueOfZero) {
    file.phase = LinePhase::kCode;
    return file.input.Next(name);
  }
  Pair pair;
  for (;;) {
    if (pairs.Next(pair) != PairRead::kPair) return false;
    if (pair.code == 0) {
      name = pair.line;
      return true;
    }
  }
}

void StartBlock(FileState& file) {
  std::string name;
  Vec3 base;
  file.phase = LinePhase::kCode;
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    switch (code) {
      case 2: name.assign(value); break;
      case 10: base.x = CoordinateValue(value); break;
      case 20: base.y = CoordinateValue(value); break;
      case 30: base.z = CoordinateValue(value); break;
      default: break;
    }
  });
  file.blocks->StartBlock(name, base);
}

}  // namespace

void ReadBlockDefinitions(FileState& file) {
  PairCursor pairs(file);
  // The entities inside a block are placed in the world by the insertions that use it.
  const bool worldCoordinates = file.worldCoordinates;
  file.worldCoordinates = true;
  file.capturing = true;
  file.phase = LinePhase::kCode;
  std::string_view line;
  while (NextEntityName(file, pairs, line)) {
    const std::string_view name = TrimDxf(line);
    if (name == "ENDSEC" || name == "EOF") break;
    if (name == "BLOCK") {
      StartBlock(file);
    } else if (name == "ENDBLK") {
      file.blocks->EndBlock();
    } else if (file.blocks->InBlock()) {
      DispatchEntityName(file, line);
    }
  }
  file.blocks->EndBlock();
  file.capturing = false;
  file.worldCoordinates = worldCoordinates;
  file.phase = LinePhase::kCode;
  file.afterEof = false;
}

}  // namespace corvane
