// The readers of the single-point and two-point entities: POINT, CIRCLE, ARC, ELLIPSE, TEXT,
// MTEXT, LINE and INSERT.
#include <string_view>

#include "engine/data_line.h"
#include "engine/pairs.h"
#include "engine/reader_support.h"
#include "engine/readers.h"

namespace corvane {

void ReadPointEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20: v.YText.SetFromLine(value, line); break;
      case 30: v.ZText.SetFromLine(value, line); break;
      default: break;
    }
  });
  ExportLonePoint(file, Coord(file.values.ZText), typeName);
  file.CountEntity(option);
}

void ReadTextEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file);
  const bool mtext = option == entity_bit::kMultilineText;
  // The pairs after a group 101 belong to an embedded object (text columns); its own point
  // would otherwise replace the text's insertion point.
  bool inEmbeddedObject = false;
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    if (inEmbeddedObject) return;
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 1: v.TextValue.Set(value); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20: v.YText.SetFromLine(value, line); break;
      case 30: v.ZText.SetFromLine(value, line); break;
      case 101: inEmbeddedObject = mtext; break;
      default: break;
    }
  });
  ExportLonePoint(file, Coord(file.values.ZText), typeName);
  file.CountEntity(option);
}

void ReadLineEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file);
  PointAwaitingZ pending(typeName);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 10:
      case 11:
        // The X of the other point: the one waiting goes out without its Z.
        if (pending.which() >= 0 && pending.which() != code - 10) pending.WriteWithoutZ(file);
        v.XText.SetFromLine(value, line);
        pending.Await(code - 10);
        break;
      case 20:
      case 21:
        v.YText.SetFromLine(value, line);
        pending.Await(code - 20);
        break;
      case 30:
      case 31:
        v.ZText.SetFromLine(value, line);
        pending.Arrived();
        ExportPoint(file, Coord(v.ZText), typeName);
        break;
      default: break;
    }
  });
  pending.WriteWithoutZ(file);
  file.CountEntity(option);
}

void ReadInsertEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file, kNoBlockName);
  ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 1: v.TextValue.Set(value); break;
      case 2: v.BlockName.Set(value); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20: v.YText.SetFromLine(value, line); break;
      case 30: v.ZText.SetFromLine(value, line); break;
      default: break;
    }
  });
  // A rejected insertion leaves no trace: the next accepted one takes its entity number.
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  ExportLonePoint(file, Coord(file.values.ZText), typeName);
  file.CountEntity(option);
}

}  // namespace corvane
