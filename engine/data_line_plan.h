// A data line laid out once per run: what every line repeats (separators, prefixes, the label, a
// forced Z value, the line break) is joined into fixed pieces, so composing a line is a short walk of
// "copy a piece, write a value" steps instead of a walk over fields, items and configuration.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// The room a point number, sequence number or entity number takes in a line at most.
inline constexpr std::size_t kNumberRoom = 24;

// What a step writes after its fixed piece.
enum class LineValue : std::uint8_t {
  kNothing,  // the last step: its fixed piece ends the line
  kPointNumber,
  kX,
  kY,
  kZ,
  kForcedZNotANumber,  // a forced Z value that cannot be formatted: the line fails here
  kSequenceNumber,
  // The values that stay the same for every point of an entity, in this order (an index into the
  // texts an entity's part is composed from).
  kEntityName,
  kLayer,
  kHandle,
  kBlockName,
  kTextValue,
  kEntityNumber,
};

struct LineStep {
  std::uint32_t fixedOffset = 0;  // into LinePlan::fixed
  std::uint32_t fixedLength = 0;
  LineValue value = LineValue::kNothing;
  std::uint8_t decimals = 0;  // of a coordinate, clamped to 0..14
};

// The line seen from one entity's points: every value but the point number, the coordinates and the
// sequence number stays the same from one point of an entity to the next. A segment is the run of
// steps up to and including the fixed piece of such a changing value: its constant text is composed
// once per entity, and a line is that text and one changing value per segment.
struct LineSegment {
  std::uint32_t firstStep = 0;  // the steps [firstStep, valueStep) and valueStep's fixed piece
  std::uint32_t valueStep = 0;
  LineValue value = LineValue::kNothing;  // the changing value, or kNothing for the last segment
  std::uint8_t decimals = 0;
};

struct LinePlan {
  std::vector<LineStep> steps;  // never empty once prepared: the last is kNothing
  std::vector<LineSegment> segments;  // the last has value kNothing
  // Room the changing values of one line can take.
  std::size_t changingRoom = 0;
  // The fixed pieces one after another, followed by kFixedSlack bytes, so that pieces are copied
  // in whole 16-byte moves.
  std::string fixed;
  static constexpr std::size_t kFixedSlack = 16;
};

}  // namespace corvane
