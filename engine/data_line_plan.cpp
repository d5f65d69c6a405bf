// Laying out the data line once per run: its plan, the room a line takes, and the header line.
#include <algorithm>

#include "engine/data_line.h"
#include "engine/format_coordinate.h"
#include "engine/line_slack.h"

namespace corvane {

std::string BuildHeaderLine(const RunSettings& run, const std::vector<std::string>& customItemNames) {
  std::string line;
  bool first = true;
  for (FieldCode field : run.SelectedFields) {
    if (!first) line += run.fieldSeparator;
    first = false;
    if (field != FieldCode::kCustom) {
      line += FieldKindOf(field).title;
      continue;
    }
    line += run.config.CustomPrefix.view();
    bool firstItem = true;
    for (int item : run.SelectedCustomItems) {
      if (!firstItem) line += run.customSeparator;
      firstItem = false;
      if (item >= 0 && static_cast<std::size_t>(item) < customItemNames.size()) {
        line += customItemNames[static_cast<std::size_t>(item)];
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

// The value a custom item writes, as a step of the plan.
constexpr LineValue PlanValueOf(CustomValue value) {
  switch (value) {
    case CustomValue::kEntityName: return LineValue::kEntityName;
    case CustomValue::kLayer: return LineValue::kLayer;
    case CustomValue::kHandle: return LineValue::kHandle;
    case CustomValue::kBlockName: return LineValue::kBlockName;
    case CustomValue::kTextValue: return LineValue::kTextValue;
    case CustomValue::kSequenceNumber: return LineValue::kSequenceNumber;
    case CustomValue::kEntityNumber: return LineValue::kEntityNumber;
    case CustomValue::kLabel: break;
  }
  return LineValue::kNothing;
}

void PlanCustomField(const RunSettings& run, PlanBuilder& plan) {
  const TExportConfig& cfg = run.config;
  plan.Fixed(cfg.CustomPrefix.view());
  bool firstItem = true;
  for (int item : run.SelectedCustomItems) {
    if (!firstItem) plan.Fixed(run.customSeparator);
    firstItem = false;
    if (item < 0 || item >= kCustomItemCount) continue;
    const CustomValue value = kCustomItems[static_cast<std::size_t>(item)].value;
    if (value == CustomValue::kLabel) {
      plan.Fixed(cfg.CustomLabel.view());
    } else {
      plan.Value(PlanValueOf(value));
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

// Whether a value can change from one point of an entity to the next (the forced Z value that is not
// a number counts as one: it must fail the line when the line reaches it).
bool ChangesWithThePoint(LineValue value) {
  switch (value) {
    case LineValue::kNothing:
    case LineValue::kPointNumber:
    case LineValue::kX:
    case LineValue::kY:
    case LineValue::kZ:
    case LineValue::kForcedZNotANumber:
    case LineValue::kSequenceNumber: return true;
    default: return false;
  }
}

// Cuts the steps into segments, each ending with a value that changes with the point.
void PlanSegments(LinePlan& plan) {
  plan.segments.clear();
  plan.changingRoom = 0;
  std::uint32_t first = 0;
  for (std::uint32_t i = 0; i < plan.steps.size(); ++i) {
    const LineStep& step = plan.steps[i];
    if (!ChangesWithThePoint(step.value)) continue;
    plan.segments.push_back(LineSegment{first, i, step.value, step.decimals});
    first = i + 1;
    switch (step.value) {
      case LineValue::kPointNumber:
      case LineValue::kSequenceNumber: plan.changingRoom += kNumberRoom; break;
      // FormatCoordinate may use all of its output block, beyond the text it returns.
      case LineValue::kX:
      case LineValue::kY:
      case LineValue::kZ: plan.changingRoom += kMaxCoordinateText; break;
      default: break;
    }
  }
}

}  // namespace

namespace {

void PlanFields(RunSettings& run) {
  const TExportConfig& cfg = run.config;
  PlanBuilder plan(run.linePlan);
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
}

// The entity texts are counted apart, by how often the most repeated one is written.
std::size_t TextCopies(const LinePlan& plan) {
  std::size_t textTimes[5] = {};
  for (const LineStep& step : plan.steps) {
    switch (step.value) {
      case LineValue::kEntityName: ++textTimes[0]; break;
      case LineValue::kLayer: ++textTimes[1]; break;
      case LineValue::kHandle: ++textTimes[2]; break;
      case LineValue::kBlockName: ++textTimes[3]; break;
      case LineValue::kTextValue: ++textTimes[4]; break;
      default: break;
    }
  }
  return *std::max_element(textTimes, textTimes + 5);
}

// A whole line at once: every fixed piece and value with the overshoot of its moves, the texts
// apart (their lengths vary).
std::size_t LineRoom(const LinePlan& plan) {
  std::size_t room = 0;
  for (const LineStep& step : plan.steps) {
    room += step.fixedLength + LinePlan::kFixedSlack;
    switch (step.value) {
      case LineValue::kPointNumber:
      case LineValue::kSequenceNumber:
      case LineValue::kEntityNumber: room += kNumberRoom; break;
      case LineValue::kX:
      case LineValue::kY:
      case LineValue::kZ: room += kMaxCoordinateText; break;
      case LineValue::kEntityName:
      case LineValue::kLayer:
      case LineValue::kHandle:
      case LineValue::kBlockName:
      case LineValue::kTextValue: room += kLineSlack; break;
      default: break;
    }
  }
  return room;
}

}  // namespace

void PrepareDataLines(RunSettings& run) {
  PlanFields(run);
  PlanSegments(run.linePlan);
  run.textCopies = TextCopies(run.linePlan);
  run.lineRoom = LineRoom(run.linePlan);
}

}  // namespace corvane
