// The readers of the single-point and two-point entities: POINT, CIRCLE, ARC, ELLIPSE, TEXT,
// MTEXT, LINE and INSERT.
#include <string_view>

#include "config/entity_options.h"
#include "engine/coordinate_value.h"
#include "engine/data_line.h"
#include "engine/format_coordinate.h"
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
      default: TakeExtrusionGroup(file, code, value); break;
    }
  });
  // A circle's or arc's centre lies in its own plane; a point's and an ellipse's are world points.
  if (option == entity_bit::kCircles || option == entity_bit::kArcs) PutPointInWorld(file);
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
      default: TakeExtrusionGroup(file, code, value); break;
    }
  });
  // A TEXT's point lies in its own plane; an MTEXT's is a world point (its 210 is only its direction).
  if (!mtext) PutPointInWorld(file);
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

namespace {

// One attribute read whole: its value goes where the configuration asks for its tag.
void TakeAttribute(FileState& file, BlockAttributes& attributes) {
  const std::string_view value = TrimDxf(attributes.value);
  const std::string_view tag = attributes.tag;
  const AttributeTags& tags = file.run.attributeTags;
  if (!attributes.hasNumber && !tags.number.empty() && SameIgnoringAsciiCase(tag, tags.number)) {
    attributes.number.assign(value);
    attributes.hasNumber = true;
  }
  if (!attributes.hasZ && !tags.z.empty() && SameIgnoringAsciiCase(tag, tags.z)) {
    attributes.z.Set(value, attributes.valueLine);
    attributes.hasZ = true;
  }
  if (tags.allText) {
    // The text value of one insertion is one data line's: it is held to a line's length.
    if (attributes.all.size() < kMaxLineLength) {
      if (attributes.allCount++ > 0) attributes.all += file.run.customSeparator;
      attributes.all.append(value.substr(0, kMaxLineLength));
    }
  }
  for (std::size_t i = 0; i < tags.text.size(); ++i) {
    if (!attributes.hasText[i] && SameIgnoringAsciiCase(tag, tags.text[i])) {
      attributes.texts[i].assign(value);
      attributes.hasText[i] = 1;
    }
  }
}

// The attributes after an insertion whose group 66 is 1: ATTRIB entities up to the SEQEND, entered
// with the name of the entity after the insertion handed back. A group-0 pair that is neither
// (the SEQEND is missing) ends the list, and its name goes back to the main loop.
void ReadAttributeList(FileState& file, BlockAttributes& attributes) {
  for (;;) {
    std::string_view line;
    if (!file.input.Next(line)) {
      file.endedInsideEntity = true;
      return;
    }
    file.lastValueCode = -1;
    const std::string_view name = TrimDxf(line);
    if (name == "ATTRIB") {
      file.phase = LinePhase::kCode;
      attributes.tag.clear();
      attributes.value.clear();
      attributes.valueLine = 0;
      // The pairs after a group 101 belong to an embedded text object that repeats the value.
      bool embedded = false;
      const bool more = ReadEntityPairs(file, [&](const Pair& pair) {
        if (embedded) return;
        switch (pair.code) {
          case 2: attributes.tag.assign(pair.value); break;
          // A long value comes in pieces (groups 3, then 1): blanks between pieces are its own.
          case 1:
          case 3:
            if (attributes.value.size() < kMaxLineLength) attributes.value.append(pair.line);
            attributes.valueLine = file.input.LineNumber();
            break;
          case 101: embedded = true; break;
          default: break;
        }
      });
      TakeAttribute(file, attributes);
      if (!more) return;
      continue;
    }
    if (name == "SEQEND") {
      file.phase = LinePhase::kCode;
      ReadEntityPairs(file, [](const Pair&) {});
      return;
    }
    file.input.Unread();
    file.phase = LinePhase::kValueOfZero;
    return;
  }
}

// With the points inside blocks asked for, the insertion's placement takes its point as read, in its
// own plane.
void TakePlacementPoint(FileState& file) {
  const EntityValues& v = file.values;
  file.placement.insert = Vec3{CoordinateValue(v.XText.view()), CoordinateValue(v.YText.view()),
                               CoordinateValue(v.ZText.view())};
}

// After the insertion's own point, the points inside its block, placed by it; inside a block
// definition, the insertion is kept with the block, to be expanded with it.
void ExpandBlockContents(FileState& file) {
  if (file.blocks == nullptr) [[likely]] return;
  if (file.capturing) return file.blocks->CaptureInsertion(file, file.values.BlockName.view(), file.placement);
  file.blocks->Expand(file, file.values.BlockName.view(), file.placement, file.values.Layer.view());
}

bool IsCoordinateNumber(std::string_view text) {
  char formatted[kMaxCoordinateText];
  return !text.empty() && FormatCoordinate(text, 0, formatted) >= 0;
}

// An insertion whose point takes its number, Z or text value from its attributes.
void ExportInsertWithAttributes(FileState& file, int option, std::string_view typeName, bool listFollows) {
  BlockAttributes& attributes = file.attributes;
  const AttributeTags& tags = file.run.attributeTags;
  attributes.Clear(tags.text.size());
  if (listFollows) ReadAttributeList(file, attributes);
  EntityValues& v = file.values;
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  // Inside a block definition the layer is judged where the block is placed.
  if (!file.capturing && file.LayerLeftOut()) return ExpandBlockContents(file);
  const std::string_view number = attributes.hasNumber ? std::string_view(attributes.number) : std::string_view();
  CoordText z = Coord(v.ZText);
  if (attributes.hasZ) {
    if (IsCoordinateNumber(attributes.z.view())) {
      z = Coord(attributes.z);
    } else {
      ++file.zAttributesNotNumbers;
    }
  }
  if (tags.allText) {
    v.TextValue.SetText(attributes.all);
  } else if (!tags.text.empty()) {
    // A missing attribute is an empty value, so the columns stay in place.
    std::string& joined = attributes.all;
    joined.clear();
    for (std::size_t i = 0; i < tags.text.size(); ++i) {
      if (i > 0) joined += file.run.customSeparator;
      if (attributes.hasText[i]) joined += attributes.texts[i];
    }
    v.TextValue.SetText(joined);
  }
  ExportNumberedPoint(file, z, typeName, number);
  ExpandBlockContents(file);
  file.CountEntity(option);
}

}  // namespace

void ReadInsertEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file, kNoBlockName);
  file.placement = InsertPlacement{};
  bool attributesFollow = false;
  const bool complete = ReadPairsUntilZero(file, [&](int code, std::string_view value) {
    const std::uint64_t line = file.input.LineNumber();
    switch (code) {
      case 5: v.Handle.Set(value); break;
      case 8: v.Layer.Set(value); break;
      case 1: v.TextValue.Set(value); break;
      case 2: v.BlockName.Set(value); break;
      case 10: v.XText.SetFromLine(value, line); break;
      case 20: v.YText.SetFromLine(value, line); break;
      case 30: v.ZText.SetFromLine(value, line); break;
      case 66: attributesFollow = value == "1"; break;
      default:
        if (file.blocks != nullptr) [[unlikely]] file.placement.Take(code, value);
        TakeExtrusionGroup(file, code, value);
        break;
    }
  });
  if (file.blocks != nullptr) [[unlikely]] TakePlacementPoint(file);
  PutPointInWorld(file);
  if (file.run.attributeTags.Any()) [[unlikely]] {
    return ExportInsertWithAttributes(file, option, typeName, attributesFollow && complete);
  }
  // A rejected insertion leaves no trace: the next accepted one takes its entity number.
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  ExportLonePoint(file, Coord(file.values.ZText), typeName);
  ExpandBlockContents(file);
  file.CountEntity(option);
}

}  // namespace corvane
