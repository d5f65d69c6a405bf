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

constexpr std::size_t kNumberRoom = 24;  // the bound of PutNumber and CounterText::Put
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
    message = "the forced Z value " + QuoteForReport(text.text) + " is not a number";
  } else {
    message = QuoteForReport(text.text) + " in line " + std::to_string(text.line) + " is not a number";
  }
  throw FileConversionError{std::move(message)};
}

}  // namespace

std::string BuildHeaderLine(const RunSettings& run, const std::vector<std::string>& customItemNames) {
  std::string line;
  bool first = true;
  for (FieldCode field : run.SelectedFields) {
    if (!first) line += run.fieldSeparator;
    first = false;
    switch (field) {
      case FieldCode::kNumber: line += "Number"; break;
      case FieldCode::kX: line += "X Coord."; break;
      case FieldCode::kY: line += "Y Coord."; break;
      case FieldCode::kZ: line += "Z Coord."; break;
      case FieldCode::kCustom: {
        line += run.config.CustomPrefix.view();
        bool firstItem = true;
        for (int item : run.SelectedCustomItems) {
          if (!firstItem) line += run.customSeparator;
          firstItem = false;
          if (item >= 0 && static_cast<std::size_t>(item) < customItemNames.size()) {
            line += customItemNames[static_cast<std::size_t>(item)];
          }
        }
        break;
      }
    }
  }
  return line;
}

namespace {

// Builds the plan: fixed text gathers until a value is due, which closes a step.
class PlanBuilder {
 public:
  explicit PlanBuilder(LinePlan& plan) : plan_(plan) {
    plan_.steps.clear();
    plan_.fixed.clear();
  }
  void Fixed(std::string_view text) { plan_.fixed += text; }
  void Value(LineValue value, int decimals = 0) {
    LineStep step;
    step.fixedOffset = static_cast<std::uint32_t>(pieceStart_);
    step.fixedLength = static_cast<std::uint32_t>(plan_.fixed.size() - pieceStart_);
    step.value = value;
    step.decimals = static_cast<std::uint8_t>(std::clamp(decimals, 0, 14));
    plan_.steps.push_back(step);
    pieceStart_ = plan_.fixed.size();
  }
  void Finish() {
    Fixed("\r\n");
    Value(LineValue::kNothing);
    plan_.fixed.append(LinePlan::kFixedSlack, '\0');
  }

 private:
  LinePlan& plan_;
  std::size_t pieceStart_ = 0;
};

constexpr LineValue kEntityTextValues[5] = {LineValue::kEntityName, LineValue::kLayer, LineValue::kHandle,
                                            LineValue::kBlockName, LineValue::kTextValue};

void PlanCustomField(const RunSettings& run, PlanBuilder& plan) {
  const TExportConfig& cfg = run.config;
  plan.Fixed(cfg.CustomPrefix.view());
  bool firstItem = true;
  for (int item : run.SelectedCustomItems) {
    if (!firstItem) plan.Fixed(run.customSeparator);
    firstItem = false;
    if (item >= 0 && item < 5) {
      plan.Value(kEntityTextValues[item]);
    } else if (item == 5) {
      plan.Fixed(cfg.CustomLabel.view());
    } else if (item == 6) {
      plan.Value(LineValue::kSequenceNumber);
    } else if (item == 7) {
      plan.Value(LineValue::kEntityNumber);
    }
  }
}

void PlanForcedZ(const TExportConfig& cfg, PlanBuilder& plan) {
  // The same value on every line: formatted once. One that is not a number fails the first line
  // that reaches it, as it would if it were formatted there.
  const std::string_view forced = cfg.ForcedZValue.view();
  char text[kMaxCoordinateText];
  const int n = FormatCoordinate(forced.empty() ? std::string_view("0") : forced, cfg.ZDecimals, text);
  if (n < 0) {
    plan.Value(LineValue::kForcedZNotANumber);
  } else {
    plan.Fixed(std::string_view(text, static_cast<std::size_t>(n)));
  }
}

}  // namespace

void PrepareDataLines(RunSettings& run) {
  const TExportConfig& cfg = run.config;
  PlanBuilder plan(run.linePlan);
  std::size_t room = 0;
  bool firstField = true;
  for (FieldCode field : run.SelectedFields) {
    if (!firstField) plan.Fixed(run.fieldSeparator);
    firstField = false;
    switch (field) {
      case FieldCode::kNumber:
        plan.Fixed(cfg.NumberPrefix.view());
        plan.Value(LineValue::kPointNumber);
        break;
      case FieldCode::kX:
        plan.Fixed(cfg.XPrefix.view());
        plan.Value(LineValue::kX, cfg.XDecimals);
        break;
      case FieldCode::kY:
        plan.Fixed(cfg.YPrefix.view());
        plan.Value(LineValue::kY, cfg.YDecimals);
        break;
      case FieldCode::kZ:
        plan.Fixed(cfg.ZPrefix.view());
        if (cfg.ForceZ) {
          PlanForcedZ(cfg, plan);
        } else {
          plan.Value(LineValue::kZ, cfg.ZDecimals);
        }
        break;
      case FieldCode::kCustom: PlanCustomField(run, plan); break;
    }
  }
  plan.Finish();

  // Room for a line: every fixed piece with its 16-byte overshoot, and each value at its largest;
  // the entity texts are counted apart, by how often the most repeated one is written.
  std::size_t textTimes[5] = {};
  for (const LineStep& step : run.linePlan.steps) {
    room += step.fixedLength + LinePlan::kFixedSlack;
    switch (step.value) {
      case LineValue::kPointNumber:
      case LineValue::kSequenceNumber:
      case LineValue::kEntityNumber: room += kNumberRoom; break;
      // FormatCoordinate may use all of its output block, beyond the text it returns.
      case LineValue::kX:
      case LineValue::kY:
      case LineValue::kZ: room += kMaxCoordinateText; break;
      case LineValue::kEntityName: ++textTimes[0]; break;
      case LineValue::kLayer: ++textTimes[1]; break;
      case LineValue::kHandle: ++textTimes[2]; break;
      case LineValue::kBlockName: ++textTimes[3]; break;
      case LineValue::kTextValue: ++textTimes[4]; break;
      case LineValue::kNothing:
      case LineValue::kForcedZNotANumber: break;
    }
  }
  run.lineRoom = room;
  run.textCopies = *std::max_element(textTimes, textTimes + 5);
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

CORVANE_COORDINATE_INLINE char* PutPlanCoordinate(char* p, const CoordText& text, int decimals) {
  // A missing coordinate group means 0 in DXF.
  const std::string_view value = text.text.empty() ? std::string_view("0") : text.text;
  const int n = FormatCoordinateInline(value, decimals, p);
  if (n < 0) ThrowNotANumber(text, false);
  return p + n;
}

}  // namespace

void WriteDataLine(FileState& file, const CoordText& XText, const CoordText& YText, const CoordText& ZText,
                   std::string_view Handle, std::string_view Layer, std::string_view EntityName,
                   std::string_view BlockName, std::string_view TextValue) {
  const RunSettings& run = file.run;
  const std::size_t room = run.lineRoom + run.textCopies * (Handle.size() + Layer.size() + EntityName.size() +
                                                           BlockName.size() + TextValue.size());
  char* const start = file.out.Reserve(room);
  char* p = start;
  const char* const fixed = run.linePlan.fixed.data();
  for (const LineStep& step : run.linePlan.steps) {
    p = PutFixed(p, fixed + step.fixedOffset, step.fixedLength);
    switch (step.value) {
      case LineValue::kNothing: break;
      case LineValue::kPointNumber: p = file.pointNumberText.Put(p, file.PointNumber++); break;
      case LineValue::kX: p = PutPlanCoordinate(p, XText, step.decimals); break;
      case LineValue::kY: p = PutPlanCoordinate(p, YText, step.decimals); break;
      case LineValue::kZ: p = PutPlanCoordinate(p, ZText, step.decimals); break;
      case LineValue::kForcedZNotANumber: ThrowNotANumber(CoordText{run.config.ForcedZValue.view(), 0}, true);
      case LineValue::kEntityName: p = PutText(p, EntityName); break;
      case LineValue::kLayer: p = PutText(p, Layer); break;
      case LineValue::kHandle: p = PutText(p, Handle); break;
      case LineValue::kBlockName: p = PutText(p, BlockName); break;
      case LineValue::kTextValue: p = PutText(p, TextValue); break;
      case LineValue::kSequenceNumber: p = PutNumber(p, file.SequenceNumber++); break;
      case LineValue::kEntityNumber: p = file.entityNumberText.Put(p, file.EntityNumber); break;
    }
  }
  file.out.Commit(static_cast<std::size_t>(p - start));
}

}  // namespace corvane
