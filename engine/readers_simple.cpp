// The readers of the single-point and two-point entities: POINT, CIRCLE, ARC, ELLIPSE, TEXT,
// MTEXT, LINE and INSERT.
#include <string_view>

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

namespace {

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
      BlockAttribute& attribute = attributes.Add();
      // The pairs after a group 101 belong to an embedded text object that repeats the value.
      bool embedded = false;
      const bool more = ReadEntityPairs(file, [&](const Pair& pair) {
        if (embedded) return;
        switch (pair.code) {
          case 2: attribute.tag.assign(pair.value); break;
          // A long value comes in pieces (groups 3, then 1): blanks between pieces are its own.
          case 1:
          case 3:
            attribute.value.append(pair.line);
            attribute.line = file.input.LineNumber();
            break;
          case 101: embedded = true; break;
          default: break;
        }
      });
      const std::string_view trimmed = TrimDxf(attribute.value);
      if (trimmed.size() != attribute.value.size()) attribute.value = std::string(trimmed);
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

bool IsCoordinateNumber(std::string_view text) {
  char formatted[kMaxCoordinateText];
  return !text.empty() && FormatCoordinate(text, 0, formatted) >= 0;
}

// An insertion whose point takes its number, Z or text value from its attributes.
void ExportInsertWithAttributes(FileState& file, int option, std::string_view typeName, bool listFollows) {
  BlockAttributes& attributes = file.attributes;
  attributes.Clear();
  if (listFollows) ReadAttributeList(file, attributes);
  EntityValues& v = file.values;
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  if (file.LayerLeftOut()) return;
  const AttributeTags& tags = file.run.attributeTags;
  std::string_view number;
  if (!tags.number.empty()) {
    if (const BlockAttribute* a = attributes.Find(tags.number)) number = a->value;
  }
  CoordText z = Coord(v.ZText);
  if (!tags.z.empty()) {
    if (const BlockAttribute* a = attributes.Find(tags.z)) {
      if (IsCoordinateNumber(a->value)) {
        attributes.z.Set(a->value, a->line);
        z = Coord(attributes.z);
      } else {
        ++file.zAttributesNotNumbers;
      }
    }
  }
  if (tags.allText || !tags.text.empty()) {
    std::string& joined = attributes.joined;
    joined.clear();
    const std::string& separator = file.run.customSeparator;
    if (tags.allText) {
      for (std::size_t i = 0; i < attributes.count; ++i) {
        if (i > 0) joined += separator;
        joined += attributes.items[i].value;
      }
    } else {
      // A missing attribute is an empty value, so the columns stay in place.
      for (std::size_t i = 0; i < tags.text.size(); ++i) {
        if (i > 0) joined += separator;
        if (const BlockAttribute* a = attributes.Find(tags.text[i])) joined += a->value;
      }
    }
    v.TextValue.SetText(joined);
  }
  ExportNumberedPoint(file, z, typeName, number);
  file.CountEntity(option);
}

}  // namespace

void ReadInsertEntity(FileState& file, int option, std::string_view typeName) {
  EntityValues& v = StartEntity(file, kNoBlockName);
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
      default: break;
    }
  });
  if (file.run.attributeTags.Any()) [[unlikely]] {
    return ExportInsertWithAttributes(file, option, typeName, attributesFollow && complete);
  }
  // A rejected insertion leaves no trace: the next accepted one takes its entity number.
  if (!file.blockFilter.Empty() && !file.blockFilter.Accepts(v.BlockName.view())) return;
  ExportLonePoint(file, Coord(file.values.ZText), typeName);
  file.CountEntity(option);
}

}  // namespace corvane
