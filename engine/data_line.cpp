#include "engine/data_line.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/data_file_writer.h"
#include "engine/format_coordinate.h"
#include "engine/format_coordinate_plain.h"
#include "engine/report_text.h"
#include "engine/short_copy.h"

namespace corvane {

namespace {

static_assert(CounterText::kRoom <= kNumberRoom);

inline char* PutNumber(char* p, std::int64_t value) {
  // Sequence numbers are mostly a digit or two.
  if (static_cast<std::uint64_t>(value) < 10) {
    *p = static_cast<char>('0' + value);
    return p + 1;
  }
  if (static_cast<std::uint64_t>(value) <= 0xFFFFFFFFu) {
    return std::to_chars(p, p + 24, static_cast<std::uint32_t>(value)).ptr;  // 32-bit division is cheaper
  }
  return std::to_chars(p, p + 24, value).ptr;
}

[[noreturn]] void ThrowNotANumber(const CoordText& text, bool forced) {
  std::string message;
  if (forced) {
    message = ForcedZNotANumberText(text.text);
  } else {
    message = QuoteForReport(text.text) + " in line " + std::to_string(text.line) + " is not a number";
  }
  throw FileConversionError{std::move(message)};
}

}  // namespace

bool ForcedZIsNumber(std::string_view forcedZ) {
  char text[kMaxCoordinateText];
  return FormatCoordinate(forcedZ.empty() ? std::string_view("0") : forcedZ, 0, text) >= 0;
}

std::string ForcedZNotANumberText(std::string_view forcedZ) {
  return "the forced Z value " + QuoteForReport(forcedZ) + " is not a number";
}

namespace {

// A fixed piece from the plan, in whole 16-byte moves: the plan's slack makes the reading safe, and
// the line's room the writing.
inline char* PutFixed(char* p, const char* piece, std::uint32_t length) {
  std::memcpy(p, piece, 16);  // nearly every piece: a separator and a short prefix
  for (std::uint32_t i = 16; i < length; i += 16) std::memcpy(p + i, piece + i, 16);
  return p + length;
}

inline char* PutText(char* p, std::string_view s) {
  CopyShort(p, s.data(), s.size());
  return p + s.size();
}

// A text in a value slot, which holds at least 64 bytes: a short one goes in two whole 16-byte moves
// (the line has kLineSlack bytes of room for each text).
inline char* PutSlotText(char* p, std::string_view s) {
  if (s.size() <= kLineSlack) {
    std::memcpy(p, s.data(), kLineSlack);
  } else {
    std::memcpy(p, s.data(), s.size());
  }
  return p + s.size();
}

// A coordinate text of the entity being read lies in its value slot, which always has 16 readable
// bytes from its start; a missing coordinate group means 0 in DXF.
alignas(16) constexpr char kPaddedZero[16] = {'0'};

template <bool kPadded>
CORVANE_COORDINATE_INLINE char* PutPlanCoordinate(char* p, const CoordText& text, int decimals) {
  int n;
  if constexpr (kPadded) {
    const std::string_view value = text.text.empty() ? std::string_view(kPaddedZero, 1) : text.text;
    n = FormatCoordinatePadded(value, decimals, p);
  } else {
    const std::string_view value = text.text.empty() ? std::string_view("0") : text.text;
    n = FormatCoordinateInline(value, decimals, p);
  }
  if (n < 0) ThrowNotANumber(text, false);
  return p + n;
}

}  // namespace

namespace {

// Composes every segment's constant text for the entity with these texts.
void ComposeEntityPart(FileState& file, std::string_view Handle, std::string_view Layer,
                       std::string_view EntityName, std::string_view BlockName, std::string_view TextValue) {
  const RunSettings& run = file.run;
  const LinePlan& plan = run.linePlan;
  EntityLinePart& part = file.entityPart;
  // Every fixed piece and number with its 16-byte overshoot, the texts as often as the plan repeats
  // them, and slack behind the last segment for the 16-byte moves that copy segments into lines.
  const std::size_t room = plan.fixed.size() + plan.steps.size() * (kNumberRoom + LinePlan::kFixedSlack) +
                           run.textCopies * (Handle.size() + Layer.size() + EntityName.size() +
                                             BlockName.size() + TextValue.size()) + LinePlan::kFixedSlack;
  if (part.text.size() < room) part.text.resize(room);
  const std::size_t count = plan.segments.size();
  if (part.starts.size() != count + 1) part.starts.resize(count + 1);
  // Writes through char pointers may alias anything: the plan is walked through locals.
  char* const start = part.text.data();
  std::uint32_t* const starts = part.starts.data();
  const LineSegment* const segments = plan.segments.data();
  const LineStep* const steps = plan.steps.data();
  const char* const fixed = plan.fixed.data();
  char number[CounterText::kRoom];
  const std::string_view texts[] = {
      EntityName, Layer, Handle, BlockName, TextValue,
      std::string_view(number, static_cast<std::size_t>(file.entityNumberText.Put(number, file.EntityNumber) - number))};
  static_assert(static_cast<int>(LineValue::kEntityNumber) - static_cast<int>(LineValue::kEntityName) == 5);
  char* p = start;
  for (std::size_t k = 0; k < count; ++k) {
    starts[k] = static_cast<std::uint32_t>(p - start);
    const LineStep* step = steps + segments[k].firstStep;
    const LineStep* const last = steps + segments[k].valueStep;
    // Every step before the changing value writes one of the entity's texts.
    for (; step != last; ++step) {
      p = PutFixed(p, fixed + step->fixedOffset, step->fixedLength);
      p = PutText(p, texts[static_cast<int>(step->value) - static_cast<int>(LineValue::kEntityName)]);
    }
    p = PutFixed(p, fixed + last->fixedOffset, last->fixedLength);
  }
  const std::size_t used = static_cast<std::size_t>(p - start);
  starts[count] = static_cast<std::uint32_t>(used);
  part.room = used + count * LinePlan::kFixedSlack;
}

// One line: each segment's text from the entity part, followed by its changing value.
// kPadded: the coordinate texts have 16 readable bytes from their start (value slots).
template <bool kPadded>
void WriteComposedLine(FileState& file, const CoordText& XText, const CoordText& YText, const CoordText& ZText) {
  const LinePlan& plan = file.run.linePlan;
  const EntityLinePart& part = file.entityPart;
  char* const start = file.out.Reserve(part.room + plan.changingRoom);
  char* p = start;
  // Writes through char pointers may alias anything: the plan is walked through locals.
  const char* const text = part.text.data();
  const std::uint32_t* starts = part.starts.data();
  const LineSegment* segment = plan.segments.data();
  const LineSegment* const end = segment + plan.segments.size();
  for (; segment != end; ++segment, ++starts) {
    p = PutFixed(p, text + starts[0], starts[1] - starts[0]);
    switch (segment->value) {
      case LineValue::kPointNumber: p = file.pointNumberText.Put(p, file.PointNumber++); break;
      case LineValue::kX: p = PutPlanCoordinate<kPadded>(p, XText, segment->decimals); break;
      case LineValue::kY: p = PutPlanCoordinate<kPadded>(p, YText, segment->decimals); break;
      case LineValue::kZ: p = PutPlanCoordinate<kPadded>(p, ZText, segment->decimals); break;
      case LineValue::kForcedZNotANumber:
        ThrowNotANumber(CoordText{file.run.config.ForcedZValue.view(), 0}, true);
      case LineValue::kSequenceNumber: p = PutNumber(p, file.SequenceNumber++); break;
      default: break;  // kNothing: the last segment ended the line
    }
  }
  file.out.Commit(static_cast<std::size_t>(p - start));
}

}  // namespace

void WriteDataLine(FileState& file, const CoordText& XText, const CoordText& YText, const CoordText& ZText,
                   std::string_view Handle, std::string_view Layer, std::string_view EntityName,
                   std::string_view BlockName, std::string_view TextValue) {
  if (file.layerFilterOn && !file.layerFilter.Accepts(Layer)) [[unlikely]] return;
  ComposeEntityPart(file, Handle, Layer, EntityName, BlockName, TextValue);
  file.entityPart.composed = false;  // these texts are not the entity's
  WriteComposedLine<false>(file, XText, YText, ZText);
  if (file.pointListener != nullptr) [[unlikely]] {
    file.pointListener->PointWritten(file, XText, YText, ZText, EntityName);
  }
}

void ExportPoint(FileState& file, const CoordText& ZText, std::string_view entityName) {
  if (file.capturing) [[unlikely]] {
    return file.blocks->CapturePoint(file, Coord(file.values.XText), Coord(file.values.YText), ZText, entityName);
  }
  if (file.layerFilterOn && file.LayerLeftOut()) [[unlikely]] return;
  const EntityValues& v = file.values;
  EntityLinePart& part = file.entityPart;
  if (!part.composed || part.textChanges != v.textChanges || part.entityNumber != file.EntityNumber ||
      part.entityName.data() != entityName.data() || part.entityName.size() != entityName.size()) {
    ComposeEntityPart(file, v.Handle.view(), v.Layer.view(), entityName, v.BlockName.view(), v.TextValue.view());
    part.composed = true;
    part.textChanges = v.textChanges;
    part.entityNumber = file.EntityNumber;
    part.entityName = entityName;
  }
  WriteComposedLine<true>(file, Coord(v.XText), Coord(v.YText), ZText);
  if (file.pointListener != nullptr) [[unlikely]] {
    file.pointListener->PointWritten(file, Coord(v.XText), Coord(v.YText), ZText, entityName);
  }
}

namespace {

// kOwnNumber: a non-empty `ownNumber` is written as the point number instead of the counter, which
// then stays where it is.
template <bool kOwnNumber>
void WriteLonePoint(FileState& file, const CoordText& ZText, std::string_view entityName,
                    std::string_view ownNumber) {
  if (file.capturing) [[unlikely]] {
    return file.blocks->CapturePoint(file, Coord(file.values.XText), Coord(file.values.YText), ZText, entityName);
  }
  if (file.layerFilterOn && file.LayerLeftOut()) [[unlikely]] return;
  const RunSettings& run = file.run;
  const EntityValues& v = file.values;
  file.entityPart.composed = false;  // not composed for this entity
  const std::string_view layer = v.Layer.view(), handle = v.Handle.view(), blockName = v.BlockName.view(),
                         textValue = v.TextValue.view();
  const std::size_t room = run.lineRoom + run.textCopies * (entityName.size() + layer.size() + handle.size() +
                                                           blockName.size() + textValue.size()) +
                         (kOwnNumber ? ownNumber.size() * run.linePlan.steps.size() : 0);
  char* const start = file.out.Reserve(room);
  char* p = start;
  const char* const fixed = run.linePlan.fixed.data();
  const LineStep* step = run.linePlan.steps.data();
  const LineStep* const end = step + run.linePlan.steps.size();
  for (; step != end; ++step) {
    p = PutFixed(p, fixed + step->fixedOffset, step->fixedLength);
    switch (step->value) {
      case LineValue::kNothing: break;
      case LineValue::kPointNumber:
        if constexpr (kOwnNumber) {
          if (!ownNumber.empty()) {
            p = PutText(p, ownNumber);
            break;
          }
        }
        p = file.pointNumberText.Put(p, file.PointNumber++);
        break;
      case LineValue::kX: p = PutPlanCoordinate<true>(p, Coord(v.XText), step->decimals); break;
      case LineValue::kY: p = PutPlanCoordinate<true>(p, Coord(v.YText), step->decimals); break;
      case LineValue::kZ: p = PutPlanCoordinate<true>(p, ZText, step->decimals); break;
      case LineValue::kForcedZNotANumber: ThrowNotANumber(CoordText{run.config.ForcedZValue.view(), 0}, true);
      case LineValue::kSequenceNumber: p = PutNumber(p, file.SequenceNumber++); break;
      case LineValue::kEntityName: p = PutText(p, entityName); break;
      case LineValue::kLayer: p = PutSlotText(p, layer); break;
      case LineValue::kHandle: p = PutSlotText(p, handle); break;
      case LineValue::kBlockName: p = PutSlotText(p, blockName); break;
      case LineValue::kTextValue: p = PutSlotText(p, textValue); break;
      case LineValue::kEntityNumber: p = file.entityNumberText.Put(p, file.EntityNumber); break;
    }
  }
  file.out.Commit(static_cast<std::size_t>(p - start));
  if (file.pointListener != nullptr) [[unlikely]] {
    file.pointListener->PointWritten(file, Coord(v.XText), Coord(v.YText), ZText, entityName);
  }
}

}  // namespace

void ExportLonePoint(FileState& file, const CoordText& ZText, std::string_view entityName) {
  WriteLonePoint<false>(file, ZText, entityName, {});
}

void ExportNumberedPoint(FileState& file, const CoordText& ZText, std::string_view entityName,
                         std::string_view ownNumber) {
  WriteLonePoint<true>(file, ZText, entityName, ownNumber);
}

}  // namespace corvane
