// The readers of the single-point and two-point entities: POINT, CIRCLE, ARC, ELLIPSE, TEXT,
// MTEXT, LINE and INSERT.
#include <string_view>

#include "engine/data_line.h"
#include "engine/pairs.h"
#include "engine/reader_support.h"
#include "engine/readers.h"

namespace corvane {

namespace {

}  // namespace

void ReadPointEntity(FileState& file, std::string_view entityName) {
  EntityValues& v = StartEntity(file);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value, line); break;
      case 8: v.Layer.Set(value, line); break;
      case 10: v.XText.Set(value, line); break;
      case 20: v.YText.Set(value, line); break;
      case 30: v.ZText.Set(value, line); break;
      default: break;
    }
  });
  WritePoint(file, Coord(v.ZText), entityName);
  using namespace entity_bit;
  if (entityName == "POINT") {
    file.CountEntity(kPoints);
  } else if (entityName == "CIRCLE") {
    file.CountEntity(kCircles);
  } else if (entityName == "ARC") {
    file.CountEntity(kArcs);
  } else {
    file.CountEntity(kEllipses);
  }
}

void ReadTextEntity(FileState& file, std::string_view entityName) {
  EntityValues& v = StartEntity(file);
  const bool mtext = entityName == "MTEXT";
  // The pairs after a group 101 belong to an embedded object (text columns); its own point
  // would otherwise replace the text's insertion point.
  bool inEmbeddedObject = false;
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    if (inEmbeddedObject) return;
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value, line); break;
      case 8: v.Layer.Set(value, line); break;
      case 1: v.TextValue.Set(value, line); break;
      case 10: v.XText.Set(value, line); break;
      case 20: v.YText.Set(value, line); break;
      case 30: v.ZText.Set(value, line); break;
      case 101: inEmbeddedObject = mtext; break;
      default: break;
    }
  });
  WritePoint(file, Coord(v.ZText), entityName);
  file.CountEntity(mtext ? entity_bit::kMultilineText : entity_bit::kSingleLineText);
}

void ReadLineEntity(FileState& file) {
  EntityValues& v = StartEntity(file);
  // The point (0 start, 1 end) whose X or Y has arrived but whose Z has not. 2D writers leave
  // out groups 30 and 31; such a point is written with an empty Z when the other point's X or
  // the end of the entity comes first, so that a counted line is never silently dropped.
  int pending = -1;
  auto writeWithoutZ = [&] {
    if (pending < 0) return;
    pending = -1;
    WritePoint(file, CoordText{}, "LINE");
  };
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value, line); break;
      case 8: v.Layer.Set(value, line); break;
      case 10:
      case 11:
        if (pending >= 0 && pending != code - 10) writeWithoutZ();
        v.XText.Set(value, line);
        pending = code - 10;
        break;
      case 20:
      case 21:
        v.YText.Set(value, line);
        pending = code - 20;
        break;
      case 30:
      case 31:
        v.ZText.Set(value, line);
        pending = -1;
        WritePoint(file, Coord(v.ZText), "LINE");
        break;
      default: break;
    }
  });
  writeWithoutZ();
  file.CountEntity(entity_bit::kLines);
}

void ReadInsertEntity(FileState& file) {
  EntityValues& v = StartEntity(file, kNoBlockName);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value, line); break;
      case 8: v.Layer.Set(value, line); break;
      case 1: v.TextValue.Set(value, line); break;
      case 2: v.BlockName.Set(value, line); break;
      case 10: v.XText.Set(value, line); break;
      case 20: v.YText.Set(value, line); break;
      case 30: v.ZText.Set(value, line); break;
      default: break;
    }
  });
  // A rejected insertion leaves no trace: the next accepted one takes its entity number.
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  WritePoint(file, Coord(v.ZText), "INSERT");
  file.CountEntity(entity_bit::kBlocks);
}

}  // namespace corvane
