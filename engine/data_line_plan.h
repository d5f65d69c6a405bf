// A data line laid out once per run: what every line repeats (separators, prefixes, the label, a
// forced Z value, the line break) is joined into fixed pieces, so composing a line is a short walk of
// "copy a piece, write a value" steps instead of a walk over fields, items and configuration.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// What a step writes after its fixed piece.
enum class LineValue : std::uint8_t {
  kNothing,  // the last step: its fixed piece ends the line
  kPointNumber,
  kX,
  kY,
  kZ,
  kForcedZNotANumber,  // a forced Z value that cannot be formatted: the line fails here
  kEntityName,
  kLayer,
  kHandle,
  kBlockName,
  kTextValue,
  kSequenceNumber,
  kEntityNumber,
};

struct LineStep {
  std::uint32_t fixedOffset = 0;  // into LinePlan::fixed
  std::uint32_t fixedLength = 0;
  LineValue value = LineValue::kNothing;
  std::uint8_t decimals = 0;  // of a coordinate, clamped to 0..14
};

struct LinePlan {
  std::vector<LineStep> steps;  // never empty once prepared: the last is kNothing
  // The fixed pieces one after another, followed by kFixedSlack bytes, so that pieces are copied
  // in whole 16-byte moves.
  std::string fixed;
  static constexpr std::size_t kFixedSlack = 16;
};

}  // namespace corvane
